// Corpus files for the DWG tests: read whole into memory.
#pragma once

#include "support/vxTestPaths.h"

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace vx::test {

// The bytes of a corpus file (path relative to the corpus folder); empty when it is missing.
inline std::vector<uint8_t> ReadCorpusFile(const std::string& relative) {
  const std::string root = CorpusDir();
  if (root.empty()) return {};
  std::ifstream f(root + "/" + relative, std::ios::binary);
  if (!f) return {};
  return std::vector<uint8_t>((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
}

}  // namespace vx::test

// Skips the test, saying so, when the corpus file is absent.
#define VX_NEED_CORPUS_FILE(var, path)                                                      \
  const std::vector<uint8_t> var = ::vx::test::ReadCorpusFile(path);                     \
  if (var.empty()) GTEST_SKIP() << "corpus file " << (path) << " not found (set VX_CORPUS)"
