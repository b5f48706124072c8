// The bit codes: values, bounds, skipping, CRCs, and the reader class against the cursor.
#include "dwg/dwg_bit_writer.h"
#include "readers/dwg/stream/vxDWGBits.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <random>

using namespace vx;
using vx::test::TBitWriter;

namespace {

TvxBitCursor CursorOf(const TBitWriter& w) {
  TvxBitCursor c(w.Bytes.data(), w.Bytes.size());
  c.End = w.Size;
  return c;
}

}  // namespace

TEST(DWGBits, PrefixCodesGiveTheirValues) {
  struct Case {
    const char* Name;
    std::function<void(TBitWriter&)> Write;
    std::function<double(TvxBitCursor&)> Read;
    double Want;
    uint64_t Bits;
  };
  const std::vector<Case> cases = {
      {"BS prefix 0", [](TBitWriter& w) { w.BB(0).RS(0x1234); }, [](TvxBitCursor& c) { return ReadBS(c); }, 0x1234, 18},
      {"BS prefix 1", [](TBitWriter& w) { w.BB(1).RC(200); }, [](TvxBitCursor& c) { return ReadBS(c); }, 200, 10},
      {"BS prefix 2", [](TBitWriter& w) { w.BB(2); }, [](TvxBitCursor& c) { return ReadBS(c); }, 0, 2},
      {"BS prefix 3", [](TBitWriter& w) { w.BB(3); }, [](TvxBitCursor& c) { return ReadBS(c); }, 256, 2},
      {"BL prefix 0", [](TBitWriter& w) { w.BB(0).RL(0x12345678); }, [](TvxBitCursor& c) { return ReadBL(c); }, 0x12345678, 34},
      {"BL prefix 1", [](TBitWriter& w) { w.BB(1).RC(7); }, [](TvxBitCursor& c) { return ReadBL(c); }, 7, 10},
      {"BL prefix 3", [](TBitWriter& w) { w.BB(3); }, [](TvxBitCursor& c) { return ReadBL(c); }, 0, 2},
      {"BD prefix 0", [](TBitWriter& w) { w.BB(0).RD(-2.5); }, [](TvxBitCursor& c) { return ReadBD(c); }, -2.5, 66},
      {"BD prefix 1", [](TBitWriter& w) { w.BB(1); }, [](TvxBitCursor& c) { return ReadBD(c); }, 1.0, 2},
      {"BD prefix 3", [](TBitWriter& w) { w.BB(3); }, [](TvxBitCursor& c) { return ReadBD(c); }, 0.0, 2},
      {"BLL count 0", [](TBitWriter& w) { w.Bits(0, 3); }, [](TvxBitCursor& c) { return double(ReadBLL(c)); }, 0, 3},
      {"BLL count 3", [](TBitWriter& w) { w.Bits(3, 3).RC(1).RC(2).RC(3); }, [](TvxBitCursor& c) { return double(ReadBLL(c)); }, 0x030201, 27},
      {"RS across bytes", [](TBitWriter& w) { w.B(1).RS(0xBEEF); }, [](TvxBitCursor& c) { ReadBit(c); return ReadRS(c); }, 0xBEEF, 17},
      {"RL across bytes", [](TBitWriter& w) { w.Bits(5, 3).RL(0xDEADBEEF); }, [](TvxBitCursor& c) { Read3B(c); return ReadRL(c); }, 0xDEADBEEF, 35},
      {"MC 85 41", [](TBitWriter& w) { w.RC(0x85).RC(0x41); }, [](TvxBitCursor& c) { return double(ReadMC(c)); }, -133, 16},
      {"MC one byte", [](TBitWriter& w) { w.RC(0x3F); }, [](TvxBitCursor& c) { return double(ReadMC(c)); }, 63, 8},
      {"UMC 85 01", [](TBitWriter& w) { w.RC(0x85).RC(0x01); }, [](TvxBitCursor& c) { return double(ReadUMC(c)); }, 133, 16},
      {"MS two words", [](TBitWriter& w) { w.RS(0x8001).RS(0x0002); }, [](TvxBitCursor& c) { return ReadMS(c); }, 1 + (2 << 15), 32},
      {"MS fourth word adds nothing", [](TBitWriter& w) { w.RS(0x8000).RS(0x8000).RS(0x8001).RS(0x7FFF); }, [](TvxBitCursor& c) { return ReadMS(c); }, double(1u << 30), 64},
  };
  for (const Case& k : cases) {
    TBitWriter w;
    k.Write(w);
    const std::vector<uint8_t> bytes = w.Bytes;
    TvxBitCursor c(bytes.data(), bytes.size());
    c.End = w.Size;
    EXPECT_EQ(k.Read(c), k.Want) << k.Name;
    EXPECT_EQ(c.Pos, k.Bits) << k.Name;
    EXPECT_FALSE(c.Failed) << k.Name;
  }
}

TEST(DWGBits, RawDoublesAreSanitized) {
  const double inf = std::numeric_limits<double>::infinity();
  const struct { double In, Want; } cases[] = {
      {std::nan(""), 0}, {inf, 0}, {-inf, 0}, {2e101, 0}, {-2e101, 0}, {1e101, 1e101}, {-1e101, -1e101}, {3.25, 3.25}};
  for (const auto& k : cases) {
    TBitWriter w;
    w.RD(k.In).BB(0).RD(k.In);
    TvxBitCursor c = CursorOf(w);
    EXPECT_EQ(ReadRD(c), k.Want) << k.In;
    EXPECT_EQ(ReadBD(c), k.Want) << k.In;
  }
}

TEST(DWGBits, DefaultDoublesPatchTheDefault) {
  // Prefix 1 keeps the high half of 1.0 (3FF00000) and replaces the low half.
  TBitWriter w1;
  w1.BB(1).RL(0);
  TvxBitCursor c1 = CursorOf(w1);
  EXPECT_EQ(ReadDD(c1, 1.0), 1.0);
  // Prefix 2: bytes 4..5 first, then bytes 0..3. 2.0 is 40000000 00000000; 0x0008 into bytes 4..5
  // gives 40000008 00000000.
  TBitWriter w2;
  w2.BB(2).RS(0x0008).RL(0x00000001);
  TvxBitCursor c2 = CursorOf(w2);
  const uint64_t want = 0x4000000800000001ull;
  double d;
  std::memcpy(&d, &want, 8);
  EXPECT_EQ(ReadDD(c2, 2.0), d);
  TBitWriter w3;
  w3.BB(0).BB(3).RD(-7.5);
  TvxBitCursor c3 = CursorOf(w3);
  EXPECT_EQ(ReadDD(c3, 4.0), 4.0);
  EXPECT_EQ(ReadDD(c3, 4.0), -7.5);
  EXPECT_EQ(c3.Pos, w3.Size);
}

TEST(DWGBits, ThicknessExtrusionAndTypeFollowTheVersion) {
  TBitWriter w;
  w.B(1).B(1).B(0).BD(2).B(0).BD3(0, 1, 0);
  TvxBitCursor c = CursorOf(w);
  EXPECT_EQ(ReadBT(c, acR2000), 0.0);
  EXPECT_EQ(ReadBE(c, acR2000).Z, 1.0);
  EXPECT_EQ(ReadBT(c, acR2000), 2.0);
  EXPECT_EQ(ReadBE(c, acR2004).Y, 1.0);
  EXPECT_EQ(c.Pos, w.Size);

  TBitWriter r14;  // before 2000: plain BD and 3BD
  r14.BD(3).BD3(0, 0, -1);
  TvxBitCursor c14 = CursorOf(r14);
  EXPECT_EQ(ReadBT(c14, acR14), 3.0);
  EXPECT_EQ(ReadBE(c14, acR14).Z, -1.0);

  const struct { unsigned Prefix, Byte1, Byte2; TvxDWGVersion V; unsigned Want; } types[] = {
      {1, 0x02, 0, acR2010, 498}, {0, 0x13, 0, acR2010, 19}, {2, 0xF4, 0x01, acR2013, 500}};
  for (const auto& k : types) {
    TBitWriter t;
    t.BB(k.Prefix).RC(k.Byte1);
    if (k.Prefix >= 2) t.RC(k.Byte2);
    TvxBitCursor ct = CursorOf(t);
    EXPECT_EQ(ReadOT(ct, k.V), k.Want);
  }
  TBitWriter bs;
  bs.BS(0x1F3);
  TvxBitCursor cbs = CursorOf(bs);
  EXPECT_EQ(ReadOT(cbs, acR2007), 0x1F3u);
}

TEST(DWGBits, HandleReferences) {
  const struct { uint8_t First; std::vector<uint8_t> Bytes; uint64_t Ref, Want; } cases[] = {
      {0x80, {}, 0x10, 0x0F},          {0xC1, {0x05}, 0x10, 0x0B},      {0x52, {0x01, 0x02}, 0x10, 0x102},
      {0x60, {}, 0x10, 0x11},          {0xA1, {0x05}, 0x10, 0x15},      {0x30, {}, 0x10, 0},
      {0x28, {1, 2, 3, 4, 5, 6, 7, 8}, 0, 0x0102030405060708ull},
      {0x80, {}, 0, ~uint64_t(0)},  // 64-bit arithmetic wraps, it does not trap
  };
  for (const auto& k : cases) {
    TBitWriter w;
    w.RC(k.First);
    for (uint8_t b : k.Bytes) w.RC(b);
    TvxBitCursor c = CursorOf(w);
    const TdwgHandleRef h = ReadHandle(c, k.Ref);
    EXPECT_EQ(h.Code, k.First >> 4);
    EXPECT_EQ(h.Handle, k.Want) << std::hex << int(k.First);
    EXPECT_FALSE(c.Failed);
  }
  // A count beyond the data fails before reading.
  TBitWriter w;
  w.RC(0x5F).RC(1);
  TvxBitCursor c = CursorOf(w);
  ReadHandle(c, 0);
  EXPECT_TRUE(c.Failed);
}

TEST(DWGBits, ReadsPastTheLimitFailWithoutTouchingMemory) {
  // Each read on a cursor with 7 bits left fails, returns 0 and leaves the cursor at its limit.
  const std::vector<std::function<double(TvxBitCursor&)>> reads = {
      [](TvxBitCursor& c) { return ReadRC(c); },  [](TvxBitCursor& c) { return ReadRS(c); },
      [](TvxBitCursor& c) { return ReadRL(c); },  [](TvxBitCursor& c) { return ReadRD(c); },
      [](TvxBitCursor& c) { return ReadMS(c); },  [](TvxBitCursor& c) { return double(ReadMC(c)); },
      [](TvxBitCursor& c) { return double(ReadUMC(c)); },
      [](TvxBitCursor& c) { return double(ReadHandle(c, 5).Handle); },
  };
  const uint8_t data[1] = {0xFF};
  for (size_t i = 0; i < reads.size(); ++i) {
    TvxBitCursor c(data, 1);
    c.Pos = 1;
    EXPECT_EQ(reads[i](c), 0.0) << i;
    EXPECT_TRUE(c.Failed) << i;
    EXPECT_EQ(c.Pos, c.End) << i;
  }
  // A modular char that never ends fails after five bytes instead of shifting past 32 bits.
  const uint8_t endless[8] = {0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x01};
  TvxBitCursor c(endless, sizeof endless);
  ReadMC(c);
  EXPECT_TRUE(c.Failed);
  // A window ends where it is told, inside a larger buffer.
  const uint8_t four[4] = {1, 2, 3, 4};
  TvxBitCursor whole(four, 4);
  TvxBitCursor win = whole.Window(8, 24);
  EXPECT_EQ(ReadRC(win), 2);
  EXPECT_EQ(ReadRC(win), 3);
  EXPECT_EQ(ReadRC(win), 0);
  EXPECT_TRUE(win.Failed);
  EXPECT_FALSE(whole.Failed);
}

TEST(DWGBits, SkipBySignatureLandsWhereTheReadsLand) {
  std::mt19937 rng(7);
  for (int round = 0; round < 200; ++round) {
    TBitWriter w;
    std::vector<uint8_t> codes;
    for (int i = 0; i < 12; ++i) {
      const uint8_t code = uint8_t(rng() % 15);
      codes.push_back(code);
      switch (code) {
        case skB: w.B(1); break;
        case skBB: w.BB(2); break;
        case skBS: w.BS(rng() % 3 == 0 ? 256 : rng() % 700); break;
        case skBL: w.BL(rng() % 3 == 0 ? 0 : uint32_t(rng())); break;
        case skBD: w.BD(rng() % 2 ? 1.0 : 0.5); break;
        case sk2RD: w.RD2(1, 2); break;
        case sk3RD: w.RD2(1, 2).RD(3); break;
        case sk2BD: w.BD(0.25).BD(1); break;
        case sk3BD: w.BD3(0, 1, 0.75); break;
        case skRS: w.RS(5); break;
        case skRC: w.RC(5); break;
        case skRL: w.RL(5); break;
        case skCMC2004: w.BS(0).BL(0xC2000000).RC(0); break;
        case skBLL: w.Bits(2, 3).RC(1).RC(1); break;
        default: break;  // nothing
      }
    }
    TvxBitCursor c = CursorOf(w);
    SkipBySignature(c, codes.data(), codes.size());
    EXPECT_EQ(c.Pos, w.Size) << round;
    EXPECT_FALSE(c.Failed);
  }
  // The example of the format: one BS, two RC and one B.
  TBitWriter w;
  w.BS(300).RC(1).RC(2).B(1).RC(0x77);
  TvxBitCursor c = CursorOf(w);
  const uint8_t codes[] = {skBS, skRC, skRC, skB};
  SkipBySignature(c, codes, 4);
  EXPECT_EQ(ReadRC(c), 0x77);
}

TEST(DWGBits, TextsByLengthCodingAndEscapes) {
  const TdwgTextCoding ansi = DWGTextCoding(acR2000, 1252, true);
  const TdwgTextCoding wide = DWGTextCoding(acR2007, 1252, true);
  {
    TBitWriter w;  // length 3 whose last character is NUL
    w.BS(3).RC('a').RC('b').RC(0);
    TvxBitCursor c = CursorOf(w);
    EXPECT_EQ(ReadTV(c, ansi), "ab");
  }
  {
    TBitWriter w;
    w.BS(2).RC(0xE9).RC('x');  // 1252 e-acute
    TvxBitCursor c = CursorOf(w);
    EXPECT_EQ(ReadTV(c, ansi), "\xC3\xA9x");
  }
  {
    TBitWriter w;
    w.TVU(std::string("ok\0", 3));
    TvxBitCursor c = CursorOf(w);
    EXPECT_EQ(ReadTV(c, wide), "ok");
  }
  {
    TBitWriter w;
    w.TV("A\\U+00B0B");
    TvxBitCursor c = CursorOf(w);
    EXPECT_EQ(ReadTV(c, ansi), "A\xC2\xB0"
                               "B");
  }
  {
    TBitWriter w;  // explicit code page: RS length, RC index 30 (1252), bytes
    w.RS(1).RC(30).RC(0xFC);
    TvxBitCursor c = CursorOf(w);
    EXPECT_EQ(ReadTextCP(c, ansi), "\xC3\xBC");
  }
  {
    TBitWriter w;  // a length beyond the data fails and gives nothing
    w.BS(200).RC('a');
    TvxBitCursor c = CursorOf(w);
    EXPECT_EQ(ReadTV(c, ansi), "");
    EXPECT_TRUE(c.Failed);
  }
  EXPECT_EQ(DWGCodePage(30), 1252);
  EXPECT_EQ(DWGCodePage(44), 1258);
  EXPECT_EQ(DWGCodePage(31), 0);
  EXPECT_EQ(DWGCodePage(61, 1251), 1251);
}

TEST(DWGBits, ColoursByVersion) {
  const TdwgTextCoding t = DWGTextCoding(acR2004, 0, true);
  {
    TBitWriter w;  // 2004 CMC: BS 0, BL method C2 with FF 80 00, flags 0
    w.BS(0).BL(0xC2FF8000).RC(0);
    TvxBitCursor c = CursorOf(w);
    const TvxColorCAD col = ReadCMC(c, c, acR2004, t);
    EXPECT_EQ(col.Active, acRGBColor);
    EXPECT_EQ(col.Color, 0x0080FFu);  // red in the low byte
    EXPECT_EQ(c.Pos, w.Size);
  }
  {
    TBitWriter w;  // with a colour name (kept) and a book name (dropped)
    w.BS(0).BL(0xC3000005).RC(3).TV("DIC 7").TV("DIC COLOR GUIDE(R)");
    TvxBitCursor c = CursorOf(w);
    const TvxColorCAD col = ReadCMC(c, c, acR2004, t);
    EXPECT_EQ(col.Color, 5u);
    EXPECT_EQ(col.AlbumString, "DIC 7");
    EXPECT_EQ(c.Pos, w.Size);
  }
  {
    TBitWriter w;  // before 2004 a plain index
    w.BS(3);
    TvxBitCursor c = CursorOf(w);
    EXPECT_EQ(ReadCMC(c, c, acR2000, t).Color, 3u);
  }
  const struct { uint16_t Flags; std::vector<uint32_t> BLs; TvxActiveColor Active; uint32_t Color; } enc[] = {
      {0xA0B7, {0xC2803DC2, 0x01000000}, acRGBColor, 0xC23D80},  // RGB, then transparency
      {0xC02A, {}, acIndexColor, 42},                            // index with a named colour
      {0x0101, {}, acIndexColor, 257 & 0x1FF},
      {0x2005, {0x02000000}, acIndexColor, 5},
  };
  for (const auto& k : enc) {
    TBitWriter w;
    w.BS(k.Flags);
    for (uint32_t v : k.BLs) w.BL(v);
    TvxBitCursor c = CursorOf(w);
    uint16_t flags = 0;
    const TvxColorCAD col = ReadENC(c, c, acR2004, t, flags);
    EXPECT_EQ(flags, k.Flags);
    EXPECT_EQ(col.Active, k.Active) << std::hex << k.Flags;
    EXPECT_EQ(col.Color, k.Color) << std::hex << k.Flags;
    EXPECT_EQ(c.Pos, w.Size) << std::hex << k.Flags;
  }
  EXPECT_EQ(DWGColorOfValue(0xC1000000).Color, 0u);
  EXPECT_EQ(DWGColorOfValue(0xC0000000).Color, 256u);
}

TEST(DWGBits, LineWeightsByIndex) {
  const struct { unsigned Index; double Want; } cases[] = {
      {0, 0}, {9, 0.35}, {23, 2.11}, {24, -1}, {29, -1}, {30, -2}, {31, -3}, {32, -1}, {200, -1}};
  for (const auto& k : cases) EXPECT_DOUBLE_EQ(DWGLineWeight(k.Index), k.Want) << k.Index;
}

TEST(DWGBits, CrcsMatchTheirStandardCheckValues) {
  const uint8_t check[] = {'1', '2', '3', '4', '5', '6', '7', '8', '9'};
  EXPECT_EQ(DWGCrc16(0, check, 9), 0xBB3D);  // CRC-16/ARC
  EXPECT_EQ(DWGCrc32(check, 9), 0xCBF43926u);
  // Continuing over a split buffer gives the same CRC.
  EXPECT_EQ(DWGCrc16(DWGCrc16(cnstDWGCrcSeed, check, 4), check + 4, 5), DWGCrc16(cnstDWGCrcSeed, check, 9));
}

TEST(DWGBits, ReaderClassAgreesWithTheCursor) {
  std::mt19937 rng(11);
  for (int round = 0; round < 100; ++round) {
    std::vector<uint8_t> data(64);
    for (uint8_t& b : data) b = uint8_t(rng());
    TvxDWGBits bits(data.data(), data.size());
    TvxBitCursor c(data.data(), data.size());
    for (int i = 0; i < 40 && !c.Failed; ++i) {
      const uint64_t before = c.Pos;
      double a = 0, b = 0;
      switch (rng() % 10) {
        case 0: a = ReadBit(c); b = bits.ReadBit(); break;
        case 1: a = ReadBS(c); b = bits.ReadBS(); break;
        case 2: a = ReadBL(c); b = bits.ReadBL(); break;
        case 3: a = ReadBD(c); b = bits.ReadBD(); break;
        case 4: a = ReadRC(c); b = bits.ReadRC(); break;
        case 5: a = ReadRS(c); b = bits.ReadRS(); break;
        case 6: a = ReadDD(c, 1.5); b = bits.ReadDD(1.5); break;
        case 7: a = double(ReadHandle(c, 9).Handle); b = double(bits.ReadHandle(9).Handle); break;
        case 8: a = ReadBT(c, acR2000); b = bits.ReadBT(); break;
        default: a = ReadRL(c); b = bits.ReadRL(); break;
      }
      if (c.Failed) {
        // Past the data the class stays on the last bit and gives a neutral value.
        EXPECT_EQ(bits.GetPosition(), data.size() * 8 - 1);
        EXPECT_EQ(b, 0.0);
        break;
      }
      EXPECT_TRUE(a == b || (std::isnan(a) && std::isnan(b))) << round << " at bit " << before;
      EXPECT_EQ(bits.GetPosition(), c.Pos);
    }
  }
}

TEST(DWGBits, ReaderClassSentinelsObjectsAndSeeks) {
  const std::vector<uint8_t> begin = {0xCF, 0x7B, 0x1F, 0x23};
  const std::vector<uint8_t> end = {0x30, 0x84};
  const std::vector<uint8_t> mem = {0xCF, 0x00, 0xCF, 0x7B, 0x1F, 0x23, 0xAA, 0xBB, 0x30, 0x84, 0x01};
  auto bits = TvxDWGBits::CreateFromMemoryAndSentinel(mem.data(), mem.size(), begin, end);
  EXPECT_EQ(bits->GetSize(), 2u);
  EXPECT_EQ(bits->ReadRC(), 0xAA);
  EXPECT_EQ(bits->BeginSentinel(), begin);
  const struct { std::vector<uint8_t> Begin, End; const char* Message; } bad[] = {
      {{}, {}, "Begin sentinel cannot be empty"},
      {{0x11, 0x22}, {}, "Begin sentinel cannot be found"},
      {begin, {0x55}, "End sentinel cannot be found"},
      {{0x84, 0x01, 0x02}, {}, "Begin sentinel cannot be found"},  // would run past the end
  };
  for (const auto& k : bad) {
    try {
      TvxDWGBits::CreateFromMemoryAndSentinel(mem.data(), mem.size(), k.Begin, k.End);
      ADD_FAILURE() << k.Message;
    } catch (const EDWGBitsError& e) {
      EXPECT_STREQ(e.what(), k.Message);
    }
  }

  // An object: MS 3, three bytes, the CRC over MS and data.
  std::vector<uint8_t> obj = {0x03, 0x00, 0x10, 0x20, 0x30};
  const uint16_t crc = DWGCrc16(cnstDWGCrcSeed, obj.data(), obj.size());
  obj.push_back(uint8_t(crc));
  obj.push_back(uint8_t(crc >> 8));
  auto o = TvxDWGBits::CreateFromDWGObjectData(obj.data(), obj.size());
  EXPECT_EQ(o->GetPosition(), 16u);
  EXPECT_EQ(o->ReadRC(), 0x10);
  obj[3] ^= 1;
  try {
    TvxDWGBits::CreateFromDWGObjectData(obj.data(), obj.size());
    ADD_FAILURE();
  } catch (const EDWGBitsError& e) {
    EXPECT_STREQ(e.what(), "CRC does not match");
  }
  EXPECT_THROW(TvxDWGBits::CreateFromDWGObjectData(obj.data(), 4), EDWGBitsError);

  // Seeks out of the data are ignored.
  TvxDWGBits s(mem.data(), mem.size());
  s.SeekInBytes(3, soBeginning);
  EXPECT_EQ(s.GetPosition(), 24u);
  s.SeekInBits(-100, soCurrent);
  EXPECT_EQ(s.GetPosition(), 24u);
  s.SeekInBytes(1, soEnd);
  EXPECT_EQ(s.GetPosition(), 24u);
  s.SeekInBytes(-1, soEnd);
  EXPECT_EQ(s.ReadRC(), 0x01);
  s.SetPosition(3);
  s.GotoFirstBit();
  EXPECT_EQ(s.GetPosition(), 8u);
  EXPECT_EQ(s.ReadBytesHandle(2), 0x00CFu);

  // Julian dates and version classes.
  EXPECT_NEAR(JulianToDateTime({2459632, 37383000}), 44613 + 37383000 / 86400000.0, 1e-9);
  EXPECT_EQ(CreateDWGBits(acR2004, mem.data(), 1)->Version(), acR2004);
  EXPECT_EQ(CreateDWGBits(acR2013, mem.data(), 1)->Version(), acR2010);
  EXPECT_EQ(CreateDWGBits(acR14, mem.data(), 1), nullptr);
  TvxDWGBits none(nullptr, 0);
  EXPECT_THROW(none.ReadRC(), EDWGBitsError);
}

TEST(DWGBits, SummaryTextsAreWideFrom2007) {
  TBitWriter w;
  w.RS(3).RS('h').RS('i').RS(0).RS(2).RC('o').RC('k');
  auto b7 = CreateDWGBits(acR2007, w.Bytes.data(), w.Bytes.size());
  EXPECT_EQ(b7->ReadSummaryInfoText(1252), "hi");
  auto b4 = CreateDWGBits(acR2004, w.Bytes.data() + 8, w.Bytes.size() - 8);
  EXPECT_EQ(b4->ReadSummaryInfoText(1252), "ok");
}
