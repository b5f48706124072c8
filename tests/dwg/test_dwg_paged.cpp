// 2004+ paged files: the LZ77 decompressor and the flattening on real files.
#include "dwg/dwg_test_files.h"
#include "readers/dwg/paged/vxDWGPaged.h"
#include "readers/dwg/paged/vxDWGUtils.h"
#include "readers/dwg/stream/vxDWGErrors.h"
#include "readers/dwg/vxDWGFile.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

using namespace vx;

namespace {

std::vector<uint8_t> Lz(const std::vector<uint8_t>& in, size_t outSize, size_t* produced = nullptr) {
  std::vector<uint8_t> out(outSize, 0xEE);
  const size_t n = TvxDWG2004Compressor().Decompress(in.data(), in.size(), out.data(), out.size());
  if (produced) *produced = n;
  out.resize(n);
  return out;
}

std::string LzError(const std::vector<uint8_t>& in, size_t outSize) {
  try {
    Lz(in, outSize);
  } catch (const TvxDWGCompressorError& e) {
    return e.what();
  }
  return "";
}

uint32_t U32(const uint8_t* p) {
  uint32_t v;
  std::memcpy(&v, p, 4);
  return v;
}

}  // namespace

TEST(DWGLZ77, FormatVectors) {
  // Literal length byte 00 then 00 05: 0x0F + 0xFF + 5 + 3 = 278 literal bytes.
  std::vector<uint8_t> in = {0x00, 0x00, 0x05};
  for (int i = 0; i < 278; ++i) in.push_back(uint8_t(i));
  in.insert(in.end(), {0x11, 0x00, 0x00});
  const std::vector<uint8_t> out = Lz(in, 400);
  ASSERT_EQ(out.size(), 278u);
  EXPECT_EQ(out[277], uint8_t(277));

  // Opcode 0x20 with extension 03: copy length 0x1F + 3 + 2 = 36, offset (b1 >> 2 | b2 << 6) + 1.
  std::vector<uint8_t> copy36 = {0x01, 'a', 'b', 'c', 'd', 0x20, 0x03, 0x0C, 0x00, 0x11, 0x00, 0x00};
  // 01 is the literal length byte: 1 + 3 = 4 literals; offset (0x0C >> 2) + 1 = 4.
  const std::vector<uint8_t> o36 = Lz(copy36, 100);
  ASSERT_EQ(o36.size(), 40u);
  std::string abcd10;
  for (int i = 0; i < 10; ++i) abcd10 += "abcd";
  EXPECT_EQ(std::string(o36.begin(), o36.end()), abcd10);

  // Offset 1 and length 10 repeats the last byte: 0x40-form with length (0xB0 >> 4) - 1 = 10.
  std::vector<uint8_t> rep = {0x01, 'x', 'y', 'z', 'q', 0xB0, 0x00, 0x11, 0x00, 0x00};
  const std::vector<uint8_t> orep = Lz(rep, 100);
  EXPECT_EQ(std::string(orep.begin(), orep.end()), "xyzq" + std::string(10, 'q'));

  // The 0x10 form: offset from 0x4000, so it reaches only into long outputs.
  EXPECT_EQ(LzError({0x01, 'a', 'b', 'c', 'd', 0x12, 0x00, 0x00, 0x11, 0x00, 0x00}, 100),
            "DWG file header is corrupted");
}

TEST(DWGLZ77, CorruptInputFailsInsideTheBuffers) {
  const struct { const char* Name; std::vector<uint8_t> In; size_t Out; const char* Message; } cases[] = {
      {"end opcode with a non-zero byte", {0x01, 'a', 'b', 'c', 'd', 0x11, 0x00, 0x01}, 10,
       "Unexpected error has occurred while DWG file decompressing"},
      {"back-reference before the output", {0x01, 'a', 'b', 'c', 'd', 0x40, 0x05, 0x11, 0, 0}, 100,
       "DWG file header is corrupted"},
      {"literal run past the input", {0x05, 'a', 'b'}, 100, "DWG file header is corrupted"},
      {"extension chain past the input", {0x00, 0x00, 0x00}, 100, "DWG file header is corrupted"},
      {"literal past the output", {0x01, 'a', 'b', 'c', 'd', 0x11, 0, 0}, 3, "DWG file header is corrupted"},
      {"copy past the output", {0x01, 'a', 'b', 'c', 'd', 0xF0, 0x00, 0x11, 0, 0}, 8, "DWG file header is corrupted"},
      {"no end opcode", {0x01, 'a', 'b', 'c', 'd'}, 100, "DWG file header is corrupted"},
      {"empty input", {}, 100, "DWG file header is corrupted"},
  };
  for (const auto& k : cases) EXPECT_EQ(LzError(k.In, k.Out), k.Message) << k.Name;
  // An instruction byte below 0x10 after a copy is not an instruction.
  EXPECT_EQ(LzError({0x01, 'a', 'b', 'c', 'd', 0x41, 0x00, 'e', 0x05}, 100), "DWG file header is corrupted");
}

TEST(DWGPaged2004, SectionsOfARealFile) {
  VX_NEED_CORPUS_FILE(file, "same-drawing/sample_AC1018.dwg");
  const TdwgFlattened flat = FlattenDWG2004(file.data(), file.size(), acR2004);
  ASSERT_EQ(flat.LocatorCount, 6);
  EXPECT_EQ(flat.FailedPages, 0u);
  const uint32_t want[6] = {630, 3720, 3236, 1298807, 63, 0};
  static const uint8_t header[4] = {0xCF, 0x7B, 0x1F, 0x23}, classes[4] = {0x8D, 0xA1, 0xC4, 0xB8};
  for (int i = 0; i < 6; ++i) {
    const uint8_t* rec = flat.Image.data() + cnstFlatLocatorOffset + 9 * i;
    EXPECT_EQ(rec[0], i);
    EXPECT_EQ(U32(rec + 5), want[i]) << DWGSectionName(i);
    if (i == 5) {
      EXPECT_EQ(U32(rec + 1), 0u);  // a template without pages is absent
    }
  }
  EXPECT_EQ(std::memcmp(flat.Image.data() + U32(flat.Image.data() + 26), header, 4), 0);
  EXPECT_EQ(std::memcmp(flat.Image.data() + U32(flat.Image.data() + 35), classes, 4), 0);
  // Handles are followed directly by the objects.
  EXPECT_EQ(U32(flat.Image.data() + 25 + 18 + 1) + U32(flat.Image.data() + 25 + 18 + 5),
            U32(flat.Image.data() + 25 + 27 + 1));
}

TEST(DWGPaged2004, DataSegmentSectionMakesSevenLocators) {
  VX_NEED_CORPUS_FILE(file, "same-drawing/sample_AC1027.dwg");
  const TdwgFlattened flat = FlattenDWG2004(file.data(), file.size(), acR2013);
  EXPECT_EQ(flat.LocatorCount, 7);
  const uint8_t* rec = flat.Image.data() + cnstFlatLocatorOffset + 9 * 6;
  EXPECT_EQ(U32(rec + 5), 36736u);
  EXPECT_EQ(std::memcmp(flat.Image.data() + U32(rec + 1), "jard", 4), 0);
}

TEST(DWGPaged2004, DamagedHeaderBlocksAreRefused) {
  VX_NEED_CORPUS_FILE(file, "same-drawing/sample_AC1018.dwg");
  uint8_t block[0x6C];
  std::memcpy(block, file.data() + 0x80, 0x6C);
  DecipherDWG2004Header(block, 0x6C);
  ASSERT_EQ(std::memcmp(block, "AcFssFcAJMB", 12), 0);
  uint64_t second;
  std::memcpy(&second, block + 0x34, 8);
  ASSERT_LE(second + 0x6C, file.size());
  const struct { const char* Name; size_t At; } cases[] = {
      {"second copy differs", size_t(second) + 0x20}, {"first copy CRC", 0x80 + 0x40}, {"signature", 0x80}};
  for (const auto& k : cases) {
    std::vector<uint8_t> bad = file;
    bad[k.At] ^= 0x01;
    try {
      FlattenDWG2004(bad.data(), bad.size(), acR2004);
      ADD_FAILURE() << k.Name;
    } catch (const EdwgError& e) {
      EXPECT_STREQ(e.what(), "DWG file header is corrupted") << k.Name;
    }
  }
}

TEST(DWGPaged2004, AFailingPageKeepsItsSlotZeroFilled) {
  VX_NEED_CORPUS_FILE(file, "same-drawing/sample_AC1018.dwg");
  const TdwgFlattened good = FlattenDWG2004(file.data(), file.size(), acR2004);
  // Find the second data page of the objects section by its deciphered header and break its
  // compressed data.
  std::vector<uint8_t> bad = file;
  int pagesSeen = 0;
  size_t broken = 0;
  for (size_t at = 0x100; at + 32 < file.size() && !broken; ++at) {
    uint32_t type;
    std::memcpy(&type, file.data() + at, 4);
    if ((type ^ (0x4164536B ^ uint32_t(at))) != 0x4163043B) continue;
    uint32_t section;
    std::memcpy(&section, file.data() + at + 4, 4);
    section ^= 0x4164536B ^ uint32_t(at);
    if (++pagesSeen < 8) continue;  // a page well inside the objects
    for (size_t i = 32; i < 96; ++i) bad[at + i] = 0xFF;
    broken = at;
  }
  ASSERT_NE(broken, 0u);
  const TdwgFlattened flat = FlattenDWG2004(bad.data(), bad.size(), acR2004);
  EXPECT_EQ(flat.FailedPages, 1u);
  ASSERT_EQ(flat.Image.size(), good.Image.size());
  // Everything but one page-sized run of the image is unchanged, and that run is zeros.
  size_t first = 0, last = 0, differing = 0;
  for (size_t i = 0; i < good.Image.size(); ++i)
    if (good.Image[i] != flat.Image[i]) {
      if (!differing++) first = i;
      last = i;
      EXPECT_EQ(flat.Image[i], 0) << i;
      if (flat.Image[i]) break;
    }
  EXPECT_GT(differing, 0u);
  EXPECT_LE(last - first, 0x7400u);
}

TEST(DWGFile, VersionsByMagic) {
  const struct { const char* Magic; int Want; const char* Message; } cases[] = {
      {"AC1009", int(acR12), ""},
      {"AC1012", int(acR13), ""},
      {"AC1014", int(acR14), ""},
      {"AC1015", int(acR2000), ""},
      {"AC1018", int(acR2004), ""},
      {"AC1021", int(acR2007), ""},
      {"AC1024", int(acR2010), ""},
      {"AC1027", int(acR2013), ""},
      {"AC2.10", int(acR09), ""},
      {"AC1004", int(acR09), ""},
      {"AC1006", int(acR10), ""},
      {"AC1032", -1, "Unsupported new DWG version ID: \"AC1032\""},
      {"AC1007", -1, "Unsupported new DWG version ID: \"AC1007\""},
      {"AC1000", -1, "Unsupported old DWG version ID: \"AC1000\""},
      {"AB1015", -1, "Unsupported old DWG version ID: \"AB1015\""},
      {"AC2.50", -1, "Unsupported old DWG version ID: \"AC2.50\""},
      {"AC10", -1, "Unsupported old DWG version ID: \"AC10\""},
  };
  for (const auto& k : cases) {
    const size_t n = std::strlen(k.Magic);
    try {
      const TvxDWGVersion v = DWGVersionOfMagic(reinterpret_cast<const uint8_t*>(k.Magic), n);
      EXPECT_EQ(int(v), k.Want) << k.Magic;
    } catch (const EdwgError& e) {
      EXPECT_EQ(k.Want, -1) << k.Magic;
      EXPECT_STREQ(e.what(), k.Message);
    }
  }
}

TEST(DWGFile, LocatorsOfEveryCorpusVersion) {
  const struct { const char* File; size_t Locators; uint32_t HeaderSize; } cases[] = {
      {"same-drawing/sample_AC1014.dwg", 5, 475},   {"same-drawing/sample_AC1015.dwg", 6, 575},
      {"same-drawing/sample_AC1018.dwg", 6, 630},   {"same-drawing/sample_AC1021.dwg", 6, 848},
      {"same-drawing/sample_AC1024.dwg", 6, 869},   {"same-drawing/sample_AC1027.dwg", 7, 870},
      {"libredwg/example_r13.dwg", 5, 466},         {"libredwg/example_2007.dwg", 6, 852},
  };
  int seen = 0;
  for (const auto& k : cases) {
    const std::vector<uint8_t> file = vx::test::ReadCorpusFile(k.File);
    if (file.empty()) continue;
    ++seen;
    TdwgFileImage img;
    img.Open(file.data(), file.size(), DWGVersionOfMagic(file.data(), file.size()));
    EXPECT_EQ(img.Locators.size(), k.Locators) << k.File;
    ASSERT_NE(img.Find(0), nullptr) << k.File;
    EXPECT_EQ(img.Find(0)->Size, k.HeaderSize) << k.File;
    EXPECT_EQ(img.CodePage, 1252) << k.File;
    EXPECT_EQ(img.FailedPages, 0u) << k.File;
  }
  if (!seen) GTEST_SKIP() << "no corpus DWG files (set VX_CORPUS)";
}

TEST(DWGFile, EncryptedAndTruncatedHeaders) {
  VX_NEED_CORPUS_FILE(file, "same-drawing/sample_AC1018.dwg");
  std::vector<uint8_t> enc = file;
  enc[0x18] = 1;
  TdwgFileImage img;
  try {
    img.Open(enc.data(), enc.size(), acR2004);
    ADD_FAILURE();
  } catch (const EdwgError& e) {
    EXPECT_STREQ(e.what(), "Encrypted by password");
  }
  EXPECT_THROW(img.Open(file.data(), 20, acR2000), EdwgError);
  // An R2000 locator count that cannot fit fails before anything is allocated.
  std::vector<uint8_t> r2000(64, 0);
  std::memcpy(r2000.data(), "AC1015", 6);
  r2000[0x15] = 0xFF;
  r2000[0x16] = 0xFF;
  EXPECT_THROW(img.Open(r2000.data(), r2000.size(), acR2000), EdwgError);
}
