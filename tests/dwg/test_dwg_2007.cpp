// 2007 files: the Reed-Solomon coder, the 2007 decompressor, and the flattening of real files.
#include "dwg/dwg_test_files.h"
#include "readers/dwg/paged/vxDWG2007.h"
#include "readers/dwg/paged/vxRSCoder.h"
#include "readers/dwg/vxDWGFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <random>
#include <set>
#include <string>

using namespace vx;

namespace {

// A codeword: a random message polynomial times the generator (byte j = coefficient of x^j).
std::vector<uint8_t> Codeword(const TvxRSCoder& c, std::mt19937& rng) {
  std::vector<uint8_t> g;
  for (int e : c.GeneratorPoly()) g.push_back(c.Alpha(e));
  std::vector<uint8_t> msg(c.DSize());
  for (uint8_t& b : msg) b = uint8_t(rng());
  std::vector<uint8_t> word(255, 0);
  for (size_t i = 0; i < msg.size(); ++i)
    for (size_t k = 0; k < g.size(); ++k) word[i + k] ^= c.Mul(msg[i], g[k]);
  return word;
}

// Distinct positions of a block, chosen by the generator.
std::vector<int> Positions(std::mt19937& rng, int n) {
  std::vector<int> all(255);
  std::iota(all.begin(), all.end(), 0);
  std::shuffle(all.begin(), all.end(), rng);
  all.resize(size_t(n));
  return all;
}

std::vector<uint8_t> Inflate(const std::vector<uint8_t>& in, size_t outSize) {
  std::vector<uint8_t> out(outSize, 0);
  const size_t n = TvxDWG2007Decompressor().Decompress(in.data(), in.size(), out.size(), out.data());
  out.resize(n);
  return out;
}

std::string InflateError(const std::vector<uint8_t>& in, size_t outSize) {
  try {
    Inflate(in, outSize);
  } catch (const TvxDWGCompressorError& e) {
    return e.what();
  }
  return "";
}

}  // namespace

TEST(DWGReedSolomon, GeneratorsAreTheFormatsLists) {
  EXPECT_EQ(DWGHeaderCoder().GeneratorPoly(),
            (std::vector<int>{136, 105, 57, 25, 160, 222, 95, 66, 119, 49, 61, 171, 92, 195, 210, 241, 0}));
  EXPECT_EQ(DWGPageCoder().GeneratorPoly(), (std::vector<int>{10, 81, 251, 76, 0}));
  EXPECT_EQ(DWGHeaderCoder().DSize(), 239u);
  EXPECT_EQ(DWGPageCoder().DSize(), 251u);
  TvxRSCoder c;
  try {
    c.Init({1, 0, 0, 1, 0, 1, 1, 0}, 2, 7);
    ADD_FAILURE();
  } catch (const EvxRSCoderError& e) {
    EXPECT_STREQ(e.what(), "Block size error");
  }
  try {
    c.Init({1, 0, 0, 1, 0, 1, 1, 0}, 9, 8);
    ADD_FAILURE();
  } catch (const EvxRSCoderError& e) {
    EXPECT_STREQ(e.what(), "The number of errors cannot be more than 8");
  }
}

TEST(DWGReedSolomon, CorrectsUpToTErrorsPerBlock) {
  std::mt19937 rng(2007);
  for (const TvxRSCoder* coder : {&DWGHeaderCoder(), &DWGPageCoder()}) {
    const int t = coder->Errors();
    for (int round = 0; round < 60; ++round) {
      const std::vector<uint8_t> clean = Codeword(*coder, rng);
      std::vector<uint8_t> block = clean;
      EXPECT_EQ(coder->Decode(block.data()), 0);
      const int errors = round % (t + 1);
      for (int p : Positions(rng, errors)) block[size_t(p)] ^= uint8_t(1 + rng() % 255);
      EXPECT_EQ(coder->Decode(block.data()), errors) << "t " << t << " round " << round;
      EXPECT_EQ(block, clean) << "t " << t << " round " << round;
    }
  }
}

TEST(DWGReedSolomon, TooManyErrorsAreReported) {
  // Fixed patterns whose failure was checked: t + 1 errors in a block are not corrected (random
  // patterns may fall near another codeword and be miscorrected instead).
  std::mt19937 rng(99);
  const std::vector<uint8_t> clean = Codeword(DWGHeaderCoder(), rng);
  std::vector<uint8_t> block = clean;
  for (int p = 0; p < 9; ++p) block[size_t(p * 20)] ^= uint8_t(0x5A + p);
  EXPECT_LT(DWGHeaderCoder().Decode(block.data()), 0);
  EXPECT_THROW(DWGDecodeInterleaved(DWGHeaderCoder(), block.data(), 255, 1, 239), EvxRSCoderError);
  const std::vector<uint8_t> page = Codeword(DWGPageCoder(), rng);
  std::vector<uint8_t> three = page;
  three[3] ^= 0x11;
  three[100] ^= 0x22;
  three[200] ^= 0x33;
  EXPECT_LT(DWGPageCoder().Decode(three.data()), 0);
}

TEST(DWGReedSolomon, BeyondTErrorsTheDecoderFailsOrLandsOnAnotherCodeword) {
  // One error too many either fails or is "corrected" into a different valid codeword; never
  // into a word that is not a codeword. For t = 2 about half of the random patterns lie within
  // distance 2 of some other codeword; for t = 8 practically none do.
  std::mt19937 rng(4242);
  for (const TvxRSCoder* coder : {&DWGHeaderCoder(), &DWGPageCoder()}) {
    const int t = coder->Errors();
    const int rounds = 400;
    int failed = 0;
    for (int round = 0; round < rounds; ++round) {
      const std::vector<uint8_t> clean = Codeword(*coder, rng);
      std::vector<uint8_t> block = clean;
      for (int p : Positions(rng, t + 1)) block[size_t(p)] ^= uint8_t(1 + rng() % 255);
      const int fixed = coder->Decode(block.data());
      if (fixed < 0) {
        ++failed;
        continue;
      }
      EXPECT_LE(fixed, t);
      EXPECT_NE(block, clean);
      std::vector<uint8_t> again = block;
      EXPECT_EQ(coder->Decode(again.data()), 0) << "t " << t << " round " << round;
    }
    if (t == 8) EXPECT_EQ(failed, rounds);
    else {
      EXPECT_GT(failed, rounds * 3 / 10) << "t " << t;
      EXPECT_LT(failed, rounds * 7 / 10) << "t " << t;
    }
  }
}

TEST(DWG2007Decompressor, FormatVectors) {
  // Copy opcode 0x1A, bytes 0x10 0x08: 13 bytes from 0x111 back, no literal after it.
  std::vector<uint8_t> in = {0x0F, 0xFF, 0xFF, 0xFF, 0x03, 0x00};  // literal of 0x17+0xFF+0xFFFF+3 bytes
  const size_t lit = 0x17 + 0xFF + 0xFFFF + 3;
  for (size_t i = 0; i < lit; ++i) in.push_back(uint8_t(i * 7));
  in.insert(in.end(), {0x1A, 0x10, 0x08});
  const std::vector<uint8_t> out = Inflate(in, lit + 13);
  ASSERT_EQ(out.size(), lit + 13);
  for (size_t i = 0; i < 13; ++i) EXPECT_EQ(out[lit + i], out[lit - 0x111 + i]) << i;

  // A literal of 33 bytes (0x0F + 8 + 10): the first 32 by quarters in reverse, then the 33rd.
  std::vector<uint8_t> in33 = {0x0F, 33 - 0x17};
  for (int i = 0; i < 33; ++i) in33.push_back(uint8_t(i));
  const std::vector<uint8_t> o33 = Inflate(in33, 33);
  ASSERT_EQ(o33.size(), 33u);
  const std::vector<uint8_t> want33 = {24, 25, 26, 27, 28, 29, 30, 31, 16, 17, 18, 19, 20, 21, 22, 23, 8,
                                       9,  10, 11, 12, 13, 14, 15, 0,  1,  2,  3,  4,  5,  6,  7,  32};
  EXPECT_EQ(o33, want33);
}

TEST(DWG2007Decompressor, RemainderOrdersArePermutations) {
  for (unsigned r = 1; r <= 31; ++r) {
    const uint8_t* order = DWG2007LiteralOrder(r);
    ASSERT_NE(order, nullptr);
    std::set<int> seen(order, order + r);
    EXPECT_EQ(seen.size(), r) << r;
    EXPECT_EQ(*seen.rbegin(), int(r) - 1) << r;
  }
  EXPECT_EQ(DWG2007LiteralOrder(0), nullptr);
  // Rows of the table, as the format gives them.
  const std::vector<uint8_t> r6(DWG2007LiteralOrder(6), DWG2007LiteralOrder(6) + 6);
  EXPECT_EQ(r6, (std::vector<uint8_t>{5, 1, 2, 3, 4, 0}));
  const std::vector<uint8_t> r19(DWG2007LiteralOrder(19), DWG2007LiteralOrder(19) + 3);
  EXPECT_EQ(r19, (std::vector<uint8_t>{18, 17, 16}));
}

TEST(DWG2007Decompressor, CorruptInputFailsInsideTheBuffers) {
  const struct { const char* Name; std::vector<uint8_t> In; } cases[] = {
      {"back-reference before the output", {0x00, 1, 2, 3, 4, 5, 6, 7, 8, 0x1A, 0x40, 0x00}},
      {"offset zero", {0x00, 1, 2, 3, 4, 5, 6, 7, 8, 0x20, 0x00, 0x00, 0x08}},
      {"literal past the input", {0x05, 1, 2}},
      {"first instruction that is no literal", {0x40, 1, 2}},
      {"start form without a literal", {0x21, 0, 0, 0x08}},
      {"length chain past the input", {0x0F, 0xFF, 0xFF, 0xFF}},
      {"empty input", {}},
  };
  for (const auto& k : cases) EXPECT_EQ(InflateError(k.In, 100), "DWG file header is corrupted") << k.Name;
  // A copy that would pass the output end stops there without writing past it.
  const std::vector<uint8_t> out = Inflate({0x00, 1, 2, 3, 4, 5, 6, 7, 8, 0x1F, 0x00, 0x00}, 12);
  EXPECT_EQ(out.size(), 12u);
}

TEST(DWG2007File, CleanFilesNeedNoCorrection) {
  for (const char* name : {"same-drawing/sample_AC1021.dwg", "libredwg/example_2007.dwg"}) {
    const std::vector<uint8_t> file = vx::test::ReadCorpusFile(name);
    if (file.empty()) GTEST_SKIP() << name << " not found (set VX_CORPUS)";
    const TdwgFlattened flat = FlattenDWG2007(file.data(), file.size());
    EXPECT_EQ(flat.CorrectedBytes, 0u) << name;
    EXPECT_EQ(flat.FailedPages, 0u) << name;
    EXPECT_EQ(flat.LocatorCount, 6);
  }
}

TEST(DWG2007File, CorruptedBytesAreCorrectedUpToT) {
  VX_NEED_CORPUS_FILE(file, "same-drawing/sample_AC1021.dwg");
  const TdwgFlattened good = FlattenDWG2007(file.data(), file.size());
  // The header: 8 flipped bytes in each of its three interleaved blocks (block k holds the bytes
  // k, k + 3, k + 6, ... of the 0x400 bytes at 0x80).
  std::vector<uint8_t> bad = file;
  for (int k = 0; k < 3; ++k)
    for (int n = 0; n < 8; ++n) bad[0x80 + size_t(k + 3 * (n * 29 + 5))] ^= uint8_t(0xA5 + n);
  // The data pages of the objects: one flipped byte in each of twenty t = 2 blocks (997 bytes
  // apart, so no two share a block of one page).
  for (size_t at = file.size() / 3, n = 0; n < 20; at += 997, ++n) bad[at] ^= 0x3C;
  const TdwgFlattened fixed = FlattenDWG2007(bad.data(), bad.size());
  EXPECT_EQ(fixed.Image, good.Image);
  EXPECT_GE(fixed.CorrectedBytes, 24u);

  // Nine flipped bytes in one header block cannot be corrected.
  std::vector<uint8_t> nine = file;
  for (int n = 0; n < 9; ++n) nine[0x80 + size_t(3 * (n * 27 + 2))] ^= uint8_t(0x5A + n);
  try {
    FlattenDWG2007(nine.data(), nine.size());
    ADD_FAILURE();
  } catch (const EvxRSCoderError& e) {
    EXPECT_STREQ(e.what(), "RS decoder error. DWG file is corrupted!");
  }
}
