// Starting again with the heap on huge pages.
#include "foundation/vxProcess.h"

#include <cstdlib>
#include <cstring>

#if defined(__linux__)
#include <unistd.h>
#endif

namespace vx {

namespace {
constexpr const char* cnstHugePageTunable = "glibc.malloc.hugetlb";
}  // namespace

std::optional<std::string> HugePageTunables(const char* tunables, const char* optOut) {
  if (optOut && std::strcmp(optOut, "0") == 0) return std::nullopt;
  // Already asked for (also after starting again): never a second restart.
  if (tunables && std::strstr(tunables, cnstHugePageTunable)) return std::nullopt;
  std::string text = tunables && *tunables ? std::string(tunables) + ":" : std::string();
  return text + cnstHugePageTunable + "=1";
}

void UseHugePageHeap(char** argv) {
#if defined(__linux__) && defined(__GLIBC__) && (__GLIBC__ > 2 || (__GLIBC__ == 2 && __GLIBC_MINOR__ >= 35))
  if (!argv || !argv[0]) return;
  const std::optional<std::string> tunables = HugePageTunables(std::getenv("GLIBC_TUNABLES"), std::getenv("VX_HUGEPAGES"));
  if (!tunables || setenv("GLIBC_TUNABLES", tunables->c_str(), 1) != 0) return;
  execv("/proc/self/exe", argv);
  // Starting again failed: run on; the setting stays in the environment, so there is no loop.
#else
  (void)argv;
#endif
}

}  // namespace vx
