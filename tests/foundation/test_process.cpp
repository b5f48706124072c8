// Starting again with the heap on huge pages: when, and with what setting.
#include "foundation/vxProcess.h"

#include <gtest/gtest.h>

using namespace vx;

TEST(HugePageHeap, TheTunablesToStartAgainWith) {
  const struct {
    const char* Tunables;
    const char* OptOut;
    const char* Want;  // nil: no restart
  } cases[] = {
      {nullptr, nullptr, "glibc.malloc.hugetlb=1"},
      {"", nullptr, "glibc.malloc.hugetlb=1"},
      {"glibc.malloc.arena_max=2", nullptr, "glibc.malloc.arena_max=2:glibc.malloc.hugetlb=1"},
      {"glibc.malloc.hugetlb=1", nullptr, nullptr},  // after the restart
      {"glibc.malloc.hugetlb=0", nullptr, nullptr},  // the user's own choice stands
      {nullptr, "0", nullptr},                       // VX_HUGEPAGES=0
      {nullptr, "1", "glibc.malloc.hugetlb=1"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.Tunables ? c.Tunables : "(unset)") + " / " + (c.OptOut ? c.OptOut : "(unset)"));
    const std::optional<std::string> got = HugePageTunables(c.Tunables, c.OptOut);
    ASSERT_EQ(got.has_value(), c.Want != nullptr);
    if (got) {
      EXPECT_EQ(*got, c.Want);
    }
  }
}
