// TvxBitmap: the store layout, copy on write, BMP writing, rotation in every format, the raster
// operations and the reduced copy.
#include "foundation/vxBitmap.h"

#include <gtest/gtest.h>

#include <sstream>

namespace vx {
namespace {

// A bitmap whose pixel (x, y) holds a value that differs for every pixel the format can tell
// apart, so any misplaced pixel shows.
TvxBitmap Numbered(TvxPixelFormat pf, int w, int h) {
  TvxBitmap b;
  b.Allocate(pf, w, h);
  const int bits = b.BitsPerPixel();
  if (bits <= 8) {
    std::vector<uint32_t> table(static_cast<size_t>(b.ColorCount()));
    for (size_t i = 0; i < table.size(); ++i) table[i] = static_cast<uint32_t>(i * 0x010203 + 7);
    b.SetColors(table);
  }
  for (int y = 0; y < h; ++y) {
    uint8_t* row = b.MutableScanLine(y);
    for (int x = 0; x < w; ++x) {
      const int v = y * w + x + 1;
      switch (bits) {
        case 1: row[x / 8] |= static_cast<uint8_t>(((x * 7 + y * 3) % 5 < 2) << (7 - x % 8)); break;
        case 4: row[x / 2] |= static_cast<uint8_t>((v % 16) << (x % 2 ? 0 : 4)); break;
        default: {
          for (int k = 0; k < bits / 8; ++k)
            row[x * (bits / 8) + k] = static_cast<uint8_t>(v * 37 + k * 11);
        }
      }
    }
  }
  return b;
}

TEST(Bitmap, RowSizeAndLayout) {
  struct Case { TvxPixelFormat pf; int w; size_t row; };
  for (const Case& c : std::initializer_list<Case>{
           {pf24bit, 3, 12}, {pf1bit, 33, 8}, {pf4bit, 9, 8}, {pf8bit, 5, 8}, {pf15bit, 3, 8},
           {pf16bit, 2, 4}, {pf32bit, 3, 12}, {pf1bit, 32, 4}, {pfDevice, 10, 0}}) {
    TvxBitmap b;
    b.Allocate(c.pf, c.w, 1);
    EXPECT_EQ(b.RowSize(), c.row) << static_cast<int>(c.pf) << " w=" << c.w;
  }
  TvxBitmap b;
  b.Allocate(pf24bit, 7, 10);
  EXPECT_EQ(b.ScanLine(0), b.RowData() + 9 * b.RowSize());  // the top row is stored last
  EXPECT_EQ(b.ScanLine(9), b.RowData());
  EXPECT_EQ(b.ScanLine(10), nullptr);
  EXPECT_EQ(b.ScanLine(-1), nullptr);
  TvxBitmap empty;
  EXPECT_TRUE(empty.Empty());
  EXPECT_EQ(empty.ScanLine(0), nullptr);
  TvxBitmap device;
  device.SetSize(4, 4);  // no pixel format yet: still empty
  EXPECT_TRUE(device.Empty());
}

TEST(Bitmap, SaveWritesABmpFile) {
  TvxBitmap b;
  b.Allocate(pf24bit, 2, 2);
  std::ostringstream out;
  b.SaveToStream(out);
  const std::string s = out.str();
  ASSERT_EQ(s.size(), 70u);
  const auto* p = reinterpret_cast<const uint8_t*>(s.data());
  EXPECT_EQ(s.substr(0, 2), "BM");
  EXPECT_EQ(GetLE32(p + 2), 70u);
  EXPECT_EQ(GetLE32(p + 10), 54u);
  EXPECT_EQ(GetLE32(p + 14), 40u);
  EXPECT_EQ(static_cast<int32_t>(GetLE32(p + 22)), 2);  // positive height: bottom-up
  EXPECT_EQ(GetLE16(p + 26), 1);
  EXPECT_EQ(GetLE16(p + 28), 24);

  TvxBitmap pal;
  pal.Allocate(pf8bit, 2, 2);
  const std::vector<uint8_t> bytes = pal.SaveToBytes();
  EXPECT_EQ(bytes.size(), 14u + 40 + 1024 + 8);
  EXPECT_EQ(GetLE32(bytes.data() + 10), 14u + 40 + 1024);

  EXPECT_EQ(TvxBitmap().SaveToBytes().size(), 14u);  // an empty bitmap: the file header alone
}

TEST(Bitmap, SavedFilesReadBackInEveryFormat) {
  for (TvxPixelFormat pf : {pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit}) {
    const TvxBitmap a = Numbered(pf, 13, 5);
    TvxBitmap b;
    b.LoadFromBytes(a.SaveToBytes());
    ASSERT_EQ(b.PixelFormat(), pf);
    ASSERT_EQ(b.Width(), 13);
    ASSERT_EQ(b.Height(), 5);
    for (int y = 0; y < 5; ++y)
      for (int x = 0; x < 13; ++x)
        ASSERT_EQ(b.PixelColor(x, y), a.PixelColor(x, y)) << static_cast<int>(pf) << " " << x << "," << y;
  }
}

// Where pixel (x, y) of the turned picture comes from, counter-clockwise as displayed.
void Source(int turns, int w, int h, int x, int y, int& sx, int& sy) {
  switch (turns) {
    case 1: sx = w - 1 - y; sy = x; break;
    case 2: sx = w - 1 - x; sy = h - 1 - y; break;
    default: sx = y; sy = h - 1 - x; break;
  }
}

TEST(Bitmap, RotatesEveryFormatByQuarterTurns) {
  // 11 x 3: 1 and 4-bit rows whose bits do not fill whole bytes.
  for (TvxPixelFormat pf : {pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit}) {
    for (int angle : {90, 180, 270, -90, 450}) {
      const TvxBitmap a = Numbered(pf, 11, 3);
      TvxBitmap b;
      b.Assign(a);
      int rows = 0;
      b.OnRotate = [&](TvxBitmap&, int row) { EXPECT_EQ(row, rows++); };
      b.Rotate(angle);
      const int turns = (angle / 90) & 3;
      ASSERT_EQ(b.Width(), turns == 2 ? 11 : 3);
      ASSERT_EQ(b.Height(), turns == 2 ? 3 : 11);
      EXPECT_EQ(rows, b.Height());
      for (int y = 0; y < b.Height(); ++y)
        for (int x = 0; x < b.Width(); ++x) {
          int sx, sy;
          Source(turns, 11, 3, x, y, sx, sy);
          ASSERT_EQ(b.PixelColor(x, y), a.PixelColor(sx, sy))
              << static_cast<int>(pf) << " angle " << angle << " at " << x << "," << y;
        }
      // The spare bits of every row stay zero, so saved files compare equal.
      if (pf == pf1bit && turns != 2) {
        EXPECT_EQ(b.ScanLine(0)[0] & 0x1F, 0);
      }
      // Header and pixels agree.
      EXPECT_EQ(GetLE32(b.Info().data() + 4), static_cast<uint32_t>(b.Width()));
    }
  }
}

TEST(Bitmap, RotateSpecialCases) {
  TvxBitmap b;
  b.Allocate(pf24bit, 100, 40);
  b.Rotate(90);
  EXPECT_EQ(b.Width(), 40);
  EXPECT_EQ(b.Height(), 100);
  b.Rotate(45);  // not a quarter turn
  EXPECT_EQ(b.Width(), 40);
  b.Rotate(-90);
  EXPECT_EQ(b.Width(), 100);
  // Four quarter turns give the picture back.
  const TvxBitmap a = Numbered(pf4bit, 9, 4);
  TvxBitmap c = a;
  for (int i = 0; i < 4; ++i) c.Rotate(90);
  EXPECT_EQ(c.SaveToBytes(), a.SaveToBytes());
  TvxBitmap empty;
  empty.Rotate(90);  // nothing to turn
  EXPECT_TRUE(empty.Empty());
}

TEST(Bitmap, CopiesShareUntilOneChanges) {
  TvxBitmap a = Numbered(pf8bit, 100, 40);
  const std::vector<uint8_t> before = a.SaveToBytes();
  TvxBitmap b;
  b.Assign(a);
  EXPECT_EQ(a.ImageData(), b.ImageData());
  EXPECT_EQ(a.ImageData()->RefCount(), 2);
  b.Rotate(90);
  EXPECT_NE(a.ImageData(), b.ImageData());
  EXPECT_EQ(a.Width(), 100);
  EXPECT_EQ(a.SaveToBytes(), before);

  TvxBitmap c = a;  // writing through a row, changing the palette or the size unshares too
  c.MutableScanLine(0)[0] ^= 0xFF;
  EXPECT_EQ(a.SaveToBytes(), before);
  TvxBitmap d = a;
  d.SetColors(std::vector<uint32_t>(256, 0x123456));
  EXPECT_EQ(a.SaveToBytes(), before);
  TvxBitmap e = a;
  e.SetSize(3, 3);
  EXPECT_EQ(a.SaveToBytes(), before);
  EXPECT_EQ(a.ImageData()->RefCount(), 1);
}

TEST(Bitmap, RasterOperationTable) {
  struct Case { uint8_t index; uint32_t code; };
  for (const Case& c : std::initializer_list<Case>{{0xCC, 0x00CC0020}, {0x88, 0x008800C6},
                                                   {0x66, 0x00660046}, {0xEE, 0x00EE0086},
                                                   {0x00, 0x00000042}, {0xFF, 0x00FF0062},
                                                   {0x55, 0x00550009}, {0xF0, 0x00F00021},
                                                   {0xFB, 0x00FB0A09}, {0x16, 0x00165CCA}}) {
    TvxBitmap b;
    b.SetROP(c.index);
    EXPECT_EQ(b.ROPCode(), c.code) << int(c.index);
    EXPECT_EQ(b.ROP(), c.index);
  }
  EXPECT_EQ(TvxBitmap().ROPCode(), cnstSrcCopy);
}

TEST(Bitmap, ReducedCopies) {
  struct Case { int w, h, f, rw, rh; };
  for (const Case& c : std::initializer_list<Case>{{40000, 16000, 8, 4096, 1638},
                                                   {3, 2, 4, 1, 1},
                                                   {1000, 800, 4, 250, 200},
                                                   {65535, 10, 4, 4096, 1}}) {
    int rw, rh;
    TvxBitmap::ReducedSize(c.w, c.h, c.f, rw, rh);
    EXPECT_EQ(rw, c.rw) << c.w << "x" << c.h;
    EXPECT_EQ(rh, c.rh) << c.w << "x" << c.h;
  }
  // A black and white checkerboard averages to grey, whatever the source format.
  TvxBitmap board;
  board.Allocate(pf1bit, 8, 8);
  board.SetColors(std::vector<uint32_t>{0x000000, 0xFFFFFF});
  for (int y = 0; y < 8; ++y) board.MutableScanLine(y)[0] = y % 2 ? 0xAA : 0x55;
  const TvxBitmap r = board.CreateReducedCopy(4);
  ASSERT_EQ(r.Width(), 2);
  ASSERT_EQ(r.PixelFormat(), pf24bit);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 2; ++x) EXPECT_EQ(r.PixelColor(x, y), 0x808080u);
  const TvxBitmap tiny = Numbered(pf24bit, 3, 2).CreateReducedCopy(4);
  EXPECT_EQ(tiny.Width(), 1);
  EXPECT_EQ(tiny.Height(), 1);
}

TEST(Bitmap, LimitsAndUnsupportedOperations) {
  TvxBitmap b;
  EXPECT_THROW(b.Allocate(pf24bit, 65536, 1), EvxBitmapError);
  EXPECT_THROW(b.SetSize(-1, 1), EvxBitmapError);
  const size_t limit = TvxBitmap::MaxPixelBytes();
  TvxBitmap::SetMaxPixelBytes(1000);
  EXPECT_THROW(b.Allocate(pf32bit, 100, 100), EvxBitmapError);
  TvxBitmap::SetMaxPixelBytes(limit);
  b.Allocate(pf32bit, 100, 100);
  EXPECT_EQ(b.Width(), 100);
  try {
    b.LoadFromClipboardFormat();
    FAIL();
  } catch (const EvxBitmapError& e) {
    EXPECT_STREQ(e.what(), "Not implemented");
  }
  EXPECT_THROW(b.SaveToClipboardFormat(), EvxBitmapError);
}

}  // namespace
}  // namespace vx
