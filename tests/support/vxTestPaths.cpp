#include "support/vxTestPaths.h"

#include <cstdlib>
#include <filesystem>

namespace vx::test {

std::string SourceDir() { return VX_SOURCE_DIR; }

std::string CorpusDir() {
  namespace fs = std::filesystem;
  const char* env = std::getenv("VX_CORPUS");
  fs::path dir = env && *env ? fs::path(env) : fs::path(VX_SOURCE_DIR) / ".." / "shared" / "corpus";
  std::error_code ec;
  return fs::is_directory(dir, ec) ? fs::weakly_canonical(dir, ec).string() : std::string();
}

}  // namespace vx::test
