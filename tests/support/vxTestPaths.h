// Where tests find files outside the build: the source tree (scripts, fixtures) and the corpus of
// real drawings. Source paths in __FILE__ are relative under ccache's base-dir rewriting, so the
// folders are compiled into this one small library instead.
#pragma once

#include <string>

namespace vx::test {

// The repository root.
std::string SourceDir();
// $VX_CORPUS when set, else ../shared/corpus beside the repository; empty when it is not a folder.
std::string CorpusDir();

}  // namespace vx::test
