// Damaged files: truncations and byte mutations of real DWGs load or fail with a message; nothing
// reads outside its data (the suite runs under AddressSanitizer), nothing hangs.
#include "dwg/dwg_load_fixture.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <random>

using namespace vx;
using namespace vx::test;

namespace {

// Loads a damaged copy; false when it raised something that is not a std::exception with a
// message.
bool LoadsOrFailsCleanly(std::vector<uint8_t> bytes, std::string& message) {
  try {
    TConvPtr conv(TvxDXFConverter::Create());
    LoadDWG(conv.get(), std::move(bytes));
    message.clear();
    return true;
  } catch (const std::exception& e) {
    message = e.what();
    return !message.empty();
  } catch (...) {
    return false;
  }
}

// Mutations per file: VX_DWG_MUTATIONS overrides the default (long runs check thousands).
int MutationCount(int fallback) {
  const char* env = std::getenv("VX_DWG_MUTATIONS");
  return env && *env ? std::max(1, std::atoi(env)) : fallback;
}

constexpr const char* cnstFiles[] = {
    "same-drawing/sample_AC1014.dwg", "same-drawing/sample_AC1015.dwg", "same-drawing/sample_AC1018.dwg",
    "same-drawing/sample_AC1021.dwg", "same-drawing/sample_AC1024.dwg", "same-drawing/sample_AC1027.dwg",
    "libredwg/example_r13.dwg",      "libredwg/example_r14.dwg",      "libredwg/example_2000.dwg",
    "libredwg/example_2004.dwg",     "libredwg/example_2007.dwg",     "libredwg/example_2010.dwg",
    "libredwg/example_2013.dwg",
};

}  // namespace

TEST(DWGRobust, TruncatedFiles) {
  int files = 0;
  for (const char* name : {"libredwg/example_2000.dwg", "libredwg/example_2004.dwg", "libredwg/example_2007.dwg",
                           "libredwg/example_2013.dwg"}) {
    const std::vector<uint8_t> file = ReadCorpusFile(name);
    if (file.empty()) continue;
    ++files;
    std::vector<size_t> cuts;
    for (size_t n = 0; n < 300; ++n) cuts.push_back(n);  // the file header, byte by byte
    for (size_t n = 300; n < file.size(); n += file.size() / 90 + 1) cuts.push_back(n);
    cuts.push_back(file.size() - 1);
    for (size_t n : cuts) {
      std::string message;
      EXPECT_TRUE(LoadsOrFailsCleanly(std::vector<uint8_t>(file.begin(), file.begin() + long(n)), message))
          << name << " cut at " << n;
    }
  }
  if (!files) GTEST_SKIP() << "no corpus DWG files (set VX_CORPUS)";
}

TEST(DWGRobust, MutatedFiles) {
  int files = 0;
  std::mt19937 rng(4711);
  const int count = MutationCount(40);
  for (const char* name : cnstFiles) {
    const std::vector<uint8_t> file = ReadCorpusFile(name);
    if (file.empty()) continue;
    ++files;
    for (int round = 0; round < count; ++round) {
      std::vector<uint8_t> bytes = file;
      // A few bytes anywhere, now and then one in the first kilobyte (headers and maps).
      const int flips = 1 + int(rng() % 8);
      for (int k = 0; k < flips; ++k) {
        const size_t at = (k == 0 && round % 4 == 0) ? rng() % std::min<size_t>(1024, bytes.size()) : rng() % bytes.size();
        bytes[at] = uint8_t(rng());
      }
      std::string message;
      EXPECT_TRUE(LoadsOrFailsCleanly(std::move(bytes), message)) << name << " round " << round;
    }
  }
  if (!files) GTEST_SKIP() << "no corpus DWG files (set VX_CORPUS)";
}

TEST(DWGRobust, StoppingEndsTheLoadEarlyWithoutAnError) {
  VX_NEED_CORPUS_FILE(file, "same-drawing/sample_AC1018.dwg");
  TConvPtr conv(TvxDXFConverter::Create());
  int seen = 0;
  conv->OnRead = [&seen](TvxDXFConverter* c) {
    if (++seen == 50) c->StopLoading();
  };
  TvxDWGLoadResult r;
  EXPECT_NO_THROW(LoadDWG(conv.get(), file, r));
  EXPECT_GE(r.Stats.Objects, 50);
  EXPECT_LT(r.Stats.Objects, 300);
}

TEST(DWGRobust, EveryTruncationPointOfASmallFile) {
  // The suite cuts the first kilobyte byte by byte and then every 61st byte; VX_DWG_SWEEP=1 cuts
  // at every point of the file (a long run, outside the default suite).
  VX_NEED_CORPUS_FILE(file, "libredwg/example_2013.dwg");
  const char* env = std::getenv("VX_DWG_SWEEP");
  const bool sweep = env && *env == '1';
  size_t cuts = 0;
  for (size_t n = 0; n < file.size(); n += (sweep || n < 1024) ? 1 : 61) {
    std::string message;
    ++cuts;
    EXPECT_TRUE(LoadsOrFailsCleanly(std::vector<uint8_t>(file.begin(), file.begin() + long(n)), message))
        << "cut at " << n;
  }
  EXPECT_GT(cuts, 3000u);
}
