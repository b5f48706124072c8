// vxProcess: settings of the running program that must be made before it does any work.
#pragma once

#include <optional>
#include <string>

namespace vx {

// A large drawing allocates hundreds of megabytes in small blocks, and on many machines the first
// touch of every 4 KB page costs a fault: backing the heap with transparent huge pages loads a
// drawing of 300,000 entities in about half the time. The C library takes that setting only from
// the environment at start, so a program asks for it by starting itself once more with it set.
// Call first thing in main; returns when nothing is to be done (already set, VX_HUGEPAGES=0, not
// a glibc system) or when starting again failed (the program then runs as it is).
void UseHugePageHeap(char** argv);

// The tunables text to start again with, from the current GLIBC_TUNABLES and VX_HUGEPAGES values
// (nil when unset); nothing when no restart is wanted.
std::optional<std::string> HugePageTunables(const char* tunables, const char* optOut);

}  // namespace vx
