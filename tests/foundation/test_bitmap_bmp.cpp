// The BMP decoder of TvxBitmap: the header kinds, palettes, run-length coding and colour masks
// other writers use, and hostile input (truncation, mutation, absurd sizes).
#include "foundation/vxBitmap.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <random>

namespace vx {
namespace {

struct TvxBmpSpec {
  uint32_t HeaderSize = 40;
  int32_t Width = 0, Height = 0;
  int Bits = 24;
  uint32_t Compression = 0;
  std::vector<uint32_t> Palette;  // 0x00RRGGBB
  std::vector<uint32_t> Masks;    // written after a 40-byte header, inside a larger one
  uint32_t ColorsUsed = 0;
  std::vector<uint8_t> Pixels;
};

std::vector<uint8_t> MakeBmp(const TvxBmpSpec& s) {
  // Fields are written into a full-size header that is then cut to the declared size.
  std::vector<uint8_t> out(14 + std::max<uint32_t>(s.HeaderSize, 124), 0);
  uint8_t* h = out.data() + 14;
  PutLE32(h, s.HeaderSize);
  if (s.HeaderSize == 12) {
    PutLE16(h + 4, static_cast<uint16_t>(s.Width));
    PutLE16(h + 6, static_cast<uint16_t>(s.Height));
    PutLE16(h + 8, 1);
    PutLE16(h + 10, static_cast<uint16_t>(s.Bits));
  } else {
    PutLE32(h + 4, static_cast<uint32_t>(s.Width));
    PutLE32(h + 8, static_cast<uint32_t>(s.Height));
    PutLE16(h + 12, 1);
    PutLE16(h + 14, static_cast<uint16_t>(s.Bits));
    PutLE32(h + 16, s.Compression);
    PutLE32(h + 32, s.ColorsUsed);
    for (size_t i = 0; i < s.Masks.size() && s.HeaderSize > 40; ++i) PutLE32(h + 40 + 4 * i, s.Masks[i]);
  }
  out.resize(14 + s.HeaderSize);
  if (s.HeaderSize == 40)
    for (uint32_t m : s.Masks) {
      out.resize(out.size() + 4);
      PutLE32(&out[out.size() - 4], m);
    }
  for (uint32_t c : s.Palette) {
    out.push_back(static_cast<uint8_t>(c));
    out.push_back(static_cast<uint8_t>(c >> 8));
    out.push_back(static_cast<uint8_t>(c >> 16));
    if (s.HeaderSize != 12) out.push_back(0);
  }
  const uint32_t offset = static_cast<uint32_t>(out.size());
  out.insert(out.end(), s.Pixels.begin(), s.Pixels.end());
  out[0] = 'B';
  out[1] = 'M';
  PutLE32(&out[2], static_cast<uint32_t>(out.size()));
  PutLE32(&out[10], offset);
  return out;
}

// A 5 x 4 picture with distinct pixels.
TvxBitmap Numbered24() {
  TvxBitmap b;
  b.Allocate(pf24bit, 5, 4);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 15; ++x) b.MutableScanLine(y)[x] = static_cast<uint8_t>(y * 15 + x);
  return b;
}

TvxBitmap Decode(const TvxBmpSpec& s) {
  TvxBitmap b;
  b.LoadFromBytes(MakeBmp(s));
  return b;
}

TEST(BitmapBmp, PalettesHeadersAndRowOrder) {
  // 3 x 2 at 8 bits, bottom-up: the first stored row is the bottom one.
  TvxBmpSpec s;
  s.Width = 3;
  s.Height = 2;
  s.Bits = 8;
  s.ColorsUsed = 3;
  s.Palette = {0xFF0000, 0x00FF00, 0x0000FF};
  s.Pixels = {0, 1, 2, 0, /*top:*/ 2, 2, 1, 0};
  TvxBitmap b = Decode(s);
  EXPECT_EQ(b.PixelFormat(), pf8bit);
  EXPECT_EQ(b.PixelColor(0, 1), 0xFF0000u);
  EXPECT_EQ(b.PixelColor(2, 1), 0x0000FFu);
  EXPECT_EQ(b.PixelColor(0, 0), 0x0000FFu);
  EXPECT_EQ(b.PixelColor(2, 0), 0x00FF00u);
  EXPECT_EQ(b.Color(3), 0u);  // the rest of the table is black

  // The same picture top-down (negative height).
  s.Height = -2;
  s.Pixels = {2, 2, 1, 0, 0, 1, 2, 0};
  b = Decode(s);
  EXPECT_EQ(b.Height(), 2);
  EXPECT_EQ(b.PixelColor(0, 0), 0x0000FFu);
  EXPECT_EQ(b.PixelColor(0, 1), 0xFF0000u);

  // The core header with three-byte palette entries, at 1 bit.
  TvxBmpSpec core;
  core.HeaderSize = 12;
  core.Width = 10;
  core.Height = 1;
  core.Bits = 1;
  core.Palette = {0x000000, 0xFFFFFF};
  core.Pixels = {0xC0, 0x40, 0, 0};
  b = Decode(core);
  EXPECT_EQ(b.PixelFormat(), pf1bit);
  EXPECT_TRUE(b.IsMonochrome());
  EXPECT_EQ(b.PixelColor(0, 0), 0xFFFFFFu);
  EXPECT_EQ(b.PixelColor(2, 0), 0u);
  EXPECT_EQ(b.PixelColor(9, 0), 0xFFFFFFu);
}

TEST(BitmapBmp, RunLengthCoding) {
  // RLE8: a run, a literal run (odd, padded), end of line, a move, end of picture.
  TvxBmpSpec s;
  s.Width = 6;
  s.Height = 3;
  s.Bits = 8;
  s.Compression = cnstBIRLE8;
  s.Palette.assign(256, 0);
  for (uint32_t i = 0; i < 256; ++i) s.Palette[i] = i * 0x010101;
  s.Pixels = {3, 9, 0, 3, 4, 5, 6, 0, 0, 0, 0, 2, 2, 1, 1, 7, 0, 1};
  TvxBitmap b = Decode(s);
  const uint32_t bottom[] = {9, 9, 9, 4, 5, 6};
  for (int x = 0; x < 6; ++x) EXPECT_EQ(b.PixelColor(x, 2), bottom[x] * 0x010101) << x;
  EXPECT_EQ(b.PixelColor(2, 0), 7 * 0x010101u);  // moved right 2 and up 1 from the second row
  EXPECT_EQ(b.PixelColor(0, 1), 0u);

  // RLE4: alternating nibbles in runs and literals; a run longer than the row is cut.
  s.Bits = 4;
  s.Compression = cnstBIRLE4;
  s.Palette.resize(16);
  s.Pixels = {4, 0x12, 0, 3, 0x34, 0x50, 0, 0, 200, 0x77, 0, 1};
  b = Decode(s);
  EXPECT_EQ(b.PixelFormat(), pf4bit);
  const uint32_t row[] = {1, 2, 1, 2, 3, 4};
  for (int x = 0; x < 6; ++x) EXPECT_EQ(b.PixelColor(x, 2), row[x] * 0x010101) << x;
  for (int x = 0; x < 6; ++x) EXPECT_EQ(b.PixelColor(x, 1), 7 * 0x010101u) << x;
}

TEST(BitmapBmp, ColourMasks) {
  // 16 bits 5-6-5 keep their format; 5-5-5 masks and plain 16 bits are 5-5-5.
  TvxBmpSpec s;
  s.Width = 2;
  s.Height = 1;
  s.Bits = 16;
  s.Compression = cnstBIBitFields;
  s.Masks = {0xF800, 0x07E0, 0x001F};
  s.Pixels = {0x00, 0xF8, 0x1F, 0x00};
  TvxBitmap b = Decode(s);
  EXPECT_EQ(b.PixelFormat(), pf16bit);
  EXPECT_EQ(b.PixelColor(0, 0), 0xFF0000u);
  EXPECT_EQ(b.PixelColor(1, 0), 0x0000FFu);
  TvxBitmap again;
  again.LoadFromBytes(b.SaveToBytes());  // our own file keeps the 5-6-5 masks
  EXPECT_EQ(again.PixelFormat(), pf16bit);
  EXPECT_EQ(again.PixelColor(0, 0), 0xFF0000u);

  s.Compression = 0;
  s.Masks.clear();
  s.Pixels = {0x00, 0x7C, 0xE0, 0x03};
  b = Decode(s);
  EXPECT_EQ(b.PixelFormat(), pf15bit);
  EXPECT_EQ(b.PixelColor(0, 0), 0xFF0000u);
  EXPECT_EQ(b.PixelColor(1, 0), 0x00FF00u);

  // 4-4-4-4 with alpha in a 56-byte header: widened to 32 bits with alpha.
  s.HeaderSize = 56;
  s.Compression = cnstBIBitFields;
  s.Masks = {0x0F00, 0x00F0, 0x000F, 0xF000};
  s.Pixels = {0x00, 0x8F, 0xF0, 0xF0};
  b = Decode(s);
  EXPECT_EQ(b.PixelFormat(), pf32bit);
  EXPECT_TRUE(b.HasAlpha());
  EXPECT_EQ(b.PixelColor(0, 0), 0xFF0000u);
  EXPECT_EQ(b.PixelColor(1, 0), 0x00FF00u);
  uint32_t colors[2];
  b.RowColors(0, colors);
  EXPECT_EQ(colors[0] >> 24, 0x88u);
  EXPECT_EQ(colors[1] >> 24, 0xFFu);

  // 32 bits in a 124-byte header with the usual masks: copied as they are, alpha kept.
  s.HeaderSize = 124;
  s.Bits = 32;
  s.Masks = {0xFF0000, 0xFF00, 0xFF, 0xFF000000};
  s.Pixels = {1, 2, 3, 4, 5, 6, 7, 8};
  b = Decode(s);
  EXPECT_EQ(b.PixelFormat(), pf32bit);
  EXPECT_TRUE(b.HasAlpha());
  b.RowColors(0, colors);
  EXPECT_EQ(colors[0], 0x04030201u);
  // Plain 32 bits: the fourth byte is not alpha.
  s.Compression = 0;
  b = Decode(s);
  EXPECT_FALSE(b.HasAlpha());
  b.RowColors(0, colors);
  EXPECT_EQ(colors[1], 0xFF070605u);
}

TEST(BitmapBmp, MalformedFilesAreRefused) {
  TvxBmpSpec good;
  good.Width = 2;
  good.Height = 2;
  good.Pixels.assign(16, 0x55);
  struct Case { const char* what; std::function<void(TvxBmpSpec&)> change; };
  const std::vector<Case> cases = {
      {"zero width", [](TvxBmpSpec& s) { s.Width = 0; }},
      {"negative width", [](TvxBmpSpec& s) { s.Width = -5; }},
      {"too wide", [](TvxBmpSpec& s) { s.Width = 70000; }},
      {"zero height", [](TvxBmpSpec& s) { s.Height = 0; }},
      {"INT_MIN height", [](TvxBmpSpec& s) { s.Height = INT32_MIN; }},
      {"bit count 7", [](TvxBmpSpec& s) { s.Bits = 7; }},
      {"RLE8 at 24 bits", [](TvxBmpSpec& s) { s.Compression = cnstBIRLE8; }},
      {"JPEG inside", [](TvxBmpSpec& s) { s.Compression = 4; }},
      {"masks at 8 bits", [](TvxBmpSpec& s) { s.Bits = 8; s.Compression = cnstBIBitFields; }},
      {"rows missing", [](TvxBmpSpec& s) { s.Pixels.resize(5); }},
      {"header size 8", [](TvxBmpSpec& s) { s.HeaderSize = 8; }},
      {"huge picture", [](TvxBmpSpec& s) { s.Width = 65535; s.Height = 65535; s.Bits = 32; }},
  };
  for (const Case& c : cases) {
    TvxBmpSpec s = good;
    c.change(s);
    TvxBitmap b = Numbered24();
    const std::vector<uint8_t> before = b.SaveToBytes();
    EXPECT_THROW(b.LoadFromBytes(MakeBmp(s)), EvxBitmapError) << c.what;
    EXPECT_EQ(b.SaveToBytes(), before) << c.what << ": a failed load leaves the bitmap alone";
  }
  const std::vector<uint8_t> notBmp = {'P', 'K', 3, 4};
  TvxBitmap b;
  EXPECT_THROW(b.LoadFromBytes(notBmp), EvxBitmapError);
}

// Every prefix and thousands of mutations of real-looking files either load or raise the
// decoder's error; ASan and UBSan watch the reads.
TEST(BitmapBmp, TruncatedAndMutatedFilesNeverCrash) {
  std::vector<std::vector<uint8_t>> seeds;
  TvxBmpSpec rle;
  rle.Width = 7;
  rle.Height = 5;
  rle.Bits = 8;
  rle.Compression = cnstBIRLE8;
  rle.Palette.assign(256, 0x808080);
  rle.Pixels = {3, 9, 0, 5, 1, 2, 3, 4, 5, 0, 0, 0, 2, 3, 1, 0, 3, 4, 5, 6, 0, 1};
  seeds.push_back(MakeBmp(rle));
  rle.Bits = 4;
  rle.Compression = cnstBIRLE4;
  rle.Palette.resize(16);
  seeds.push_back(MakeBmp(rle));
  TvxBmpSpec masked;
  masked.HeaderSize = 108;
  masked.Width = 3;
  masked.Height = -2;
  masked.Bits = 16;
  masked.Compression = cnstBIBitFields;
  masked.Masks = {0x0F00, 0x00F0, 0x000F, 0xF000};
  masked.Pixels.assign(16, 0xA5);
  seeds.push_back(MakeBmp(masked));
  seeds.push_back(Numbered24().SaveToBytes());

  // Mutated sizes must not make the test allocate hundreds of megabytes.
  const size_t limit = TvxBitmap::MaxPixelBytes();
  TvxBitmap::SetMaxPixelBytes(1 << 20);
  std::mt19937 rng(1234);
  int loaded = 0, refused = 0;
  for (const std::vector<uint8_t>& seed : seeds) {
    for (size_t n = 0; n <= seed.size(); ++n) {
      TvxBitmap b;
      try {
        b.LoadFromBytes(std::span<const uint8_t>(seed.data(), n));
        ++loaded;
      } catch (const EvxBitmapError&) {
        ++refused;
      }
    }
    for (int i = 0; i < 3000; ++i) {
      std::vector<uint8_t> m = seed;
      for (int k = 0, n = 1 + static_cast<int>(rng() % 4); k < n; ++k)
        m[rng() % m.size()] = static_cast<uint8_t>(rng());
      TvxBitmap b;
      try {
        b.LoadFromBytes(m);
        ++loaded;
        EXPECT_FALSE(b.Empty());
      } catch (const EvxBitmapError&) {
        ++refused;
      }
    }
  }
  TvxBitmap::SetMaxPixelBytes(limit);
  EXPECT_GT(loaded, 0);
  EXPECT_GT(refused, 0);
}

}  // namespace
}  // namespace vx
