// vxBitmapBMP: the BMP decoder of TvxBitmap. Every read is checked against the end of the data;
// sizes are checked before anything is allocated. It reads the core (12-byte), information
// (40-byte, OS/2 2.x) and extended (52, 56, 108, 124-byte) headers; 1, 4 and 8-bit palettes,
// run-length coded 4 and 8-bit pixels, 16 and 32-bit pixels with or without colour masks, and
// 24-bit pixels; bottom-up and top-down rows. Pixels keep their format where the store has one;
// other mask layouts are widened to 24 bits (32 with an alpha mask).
#include "foundation/vxBitmap.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <fstream>
#include <istream>
#include <iterator>

namespace vx {

namespace {

[[noreturn]] void Fail(const char* what) { throw EvxBitmapError(what); }

// One colour channel of a masked pixel.
struct TvxMaskChannel {
  uint32_t Mask = 0;
  int Shift = 0;
  int Bits = 0;

  explicit TvxMaskChannel(uint32_t mask) : Mask(mask) {
    if (!mask) return;
    Shift = std::countr_zero(mask);
    Bits = std::popcount(mask);
  }
  // The channel widened (or cut) to 8 bits; an absent channel is 0.
  uint8_t Value(uint32_t pixel) const {
    if (!Bits) return 0;
    const uint64_t v = (uint64_t{pixel} & Mask) >> Shift;
    if (Bits >= 8) return static_cast<uint8_t>(v >> (Bits - 8));
    const uint64_t max = (uint64_t{1} << Bits) - 1;
    // Bits of a scattered mask may give values above the contiguous maximum.
    return static_cast<uint8_t>(std::min<uint64_t>(255, (v * 255 + max / 2) / max));
  }
};

struct TvxBmpHeader {
  uint32_t HeaderSize = 0;
  int64_t Width = 0, Height = 0;
  bool TopDown = false;
  int Bits = 0;
  uint32_t Compression = cnstBIRGB;
  uint32_t ColorsUsed = 0;
  uint32_t Masks[4] = {0, 0, 0, 0};  // red, green, blue, alpha
  size_t PaletteOffset = 0;          // in the whole file
  int PaletteEntrySize = 4;
};

constexpr uint32_t cnstBIAlphaBitFields = 6;

TvxBmpHeader ReadHeader(std::span<const uint8_t> b) {
  if (b.size() < 14 + 12) Fail("BMP file truncated");
  if (b[0] != 'B' || b[1] != 'M') Fail("Not a BMP file");
  TvxBmpHeader h;
  const uint8_t* d = b.data() + 14;
  const size_t avail = b.size() - 14;
  h.HeaderSize = GetLE32(d);
  if (h.HeaderSize < 12 || h.HeaderSize > avail) Fail("BMP header truncated");
  if (h.HeaderSize == 12) {
    // The core header: unsigned 16-bit sizes, three-byte palette entries.
    h.Width = GetLE16(d + 4);
    h.Height = GetLE16(d + 6);
    h.Bits = GetLE16(d + 10);
    h.PaletteEntrySize = 3;
  } else {
    if (h.HeaderSize < 16) Fail("Unsupported BMP header");
    h.Width = static_cast<int32_t>(GetLE32(d + 4));
    h.Height = static_cast<int32_t>(GetLE32(d + 8));
    h.Bits = GetLE16(d + 14);
    h.Compression = h.HeaderSize >= 20 ? GetLE32(d + 16) : cnstBIRGB;
    h.ColorsUsed = h.HeaderSize >= 36 ? GetLE32(d + 32) : 0;
    const bool os2 = h.HeaderSize != 40 && h.HeaderSize != 52 && h.HeaderSize != 56 &&
                     h.HeaderSize != 108 && h.HeaderSize != 124;
    // The OS/2 2.x header numbers its compressions differently past run-length coding.
    if (os2 && h.Compression > cnstBIRLE4) Fail("Unsupported BMP compression");
    const bool masked = h.Compression == cnstBIBitFields || h.Compression == cnstBIAlphaBitFields;
    if (masked) {
      const int n = h.Compression == cnstBIAlphaBitFields ? 4 : 3;
      size_t at = 40;
      if (h.HeaderSize == 40) {
        // Masks follow the plain information header.
        if (avail < 40 + 4u * n) Fail("BMP header truncated");
      } else if (h.HeaderSize < 40 + 4u * n) {
        Fail("BMP header truncated");
      }
      for (int i = 0; i < n; ++i) h.Masks[i] = GetLE32(d + at + 4 * i);
      if (h.HeaderSize >= 56) h.Masks[3] = GetLE32(d + 52);
      h.PaletteOffset = 14 + h.HeaderSize + (h.HeaderSize == 40 ? 4u * n : 0);
    }
  }
  if (h.PaletteOffset == 0) h.PaletteOffset = 14 + h.HeaderSize;
  if (h.Height < 0) {
    h.TopDown = true;
    h.Height = -h.Height;  // from a 32-bit value: INT_MIN stays in range of int64
  }
  if (h.Width <= 0 || h.Height <= 0 || h.Width > 65535 || h.Height > 65535)
    Fail("BMP size out of range");
  switch (h.Compression) {
    case cnstBIRGB:
      if (h.Bits != 1 && h.Bits != 4 && h.Bits != 8 && h.Bits != 16 && h.Bits != 24 && h.Bits != 32)
        Fail("Unsupported BMP bit count");
      break;
    case cnstBIRLE8:
      if (h.Bits != 8) Fail("Unsupported BMP compression");
      break;
    case cnstBIRLE4:
      if (h.Bits != 4) Fail("Unsupported BMP compression");
      break;
    case cnstBIBitFields:
    case cnstBIAlphaBitFields:
      if (h.Bits != 16 && h.Bits != 32) Fail("Unsupported BMP compression");
      break;
    default: Fail("Unsupported BMP compression");
  }
  return h;
}

void ReadPalette(std::span<const uint8_t> b, const TvxBmpHeader& h, TvxBitmap& bmp) {
  const int entries = bmp.ColorCount();
  if (entries == 0) return;
  uint32_t n = h.ColorsUsed == 0 ? static_cast<uint32_t>(entries)
                                 : std::min<uint32_t>(h.ColorsUsed, static_cast<uint32_t>(entries));
  std::vector<uint32_t> table(static_cast<size_t>(entries), 0);
  for (uint32_t i = 0; i < n; ++i) {
    const size_t at = h.PaletteOffset + size_t{i} * static_cast<size_t>(h.PaletteEntrySize);
    if (at + 3 > b.size()) break;  // a short table leaves the rest black
    table[i] = uint32_t{b[at + 2]} << 16 | uint32_t{b[at + 1]} << 8 | b[at];
  }
  bmp.SetColors(table);
}

// Run-length coded 8 or 4-bit pixels. Runs, literal runs and moves that leave the row or the
// picture are cut there; the data's end or the end code stops it.
void DecodeRLE(std::span<const uint8_t> b, size_t pos, const TvxBmpHeader& h, TvxBitmap& bmp) {
  const bool four = h.Bits == 4;
  const int w = bmp.Width(), hgt = bmp.Height();
  int x = 0, y = 0;  // y counts from the first stored row
  auto put = [&](int px, int value) {
    if (px < 0 || px >= w || y < 0 || y >= hgt) return;
    uint8_t* row = bmp.MutableScanLine(h.TopDown ? y : hgt - 1 - y);
    if (four) {
      uint8_t& byte = row[px >> 1];
      byte = (px & 1) ? static_cast<uint8_t>((byte & 0xF0) | (value & 15))
                      : static_cast<uint8_t>((byte & 0x0F) | (value & 15) << 4);
    } else {
      row[px] = static_cast<uint8_t>(value);
    }
  };
  const size_t end = b.size();
  while (pos + 1 < end && y < hgt) {
    const int n = b[pos], c = b[pos + 1];
    pos += 2;
    if (n > 0) {
      for (int i = 0; i < n && x < w; ++i, ++x) put(x, four ? ((i & 1) ? c & 15 : c >> 4) : c);
      continue;
    }
    if (c == 0) {
      x = 0;
      ++y;
    } else if (c == 1) {
      return;
    } else if (c == 2) {
      if (pos + 1 >= end) return;
      x += b[pos];
      y += b[pos + 1];
      pos += 2;
    } else {
      const size_t bytes = four ? (static_cast<size_t>(c) + 1) / 2 : static_cast<size_t>(c);
      if (pos + bytes > end) return;
      for (int i = 0; i < c; ++i, ++x) {
        const uint8_t v = b[pos + (four ? static_cast<size_t>(i) / 2 : static_cast<size_t>(i))];
        put(x, four ? ((i & 1) ? v & 15 : v >> 4) : v);
      }
      pos += (bytes + 1) & ~size_t{1};  // literal runs end on a 16-bit boundary
    }
  }
}

bool SameMasks(const TvxBmpHeader& h, uint32_t r, uint32_t g, uint32_t bl) {
  return h.Masks[0] == r && h.Masks[1] == g && h.Masks[2] == bl;
}

}  // namespace

void TvxBitmap::LoadFromBytes(std::span<const uint8_t> b) {
  const TvxBmpHeader h = ReadHeader(b);
  const int w = static_cast<int>(h.Width), hgt = static_cast<int>(h.Height);
  const bool masked = h.Compression == cnstBIBitFields || h.Compression == cnstBIAlphaBitFields;

  // The store's format: the file's own where it fits, else 24 or 32 bits.
  TvxPixelFormat pf = pf24bit;
  bool copyRows = true, alpha = false;
  switch (h.Bits) {
    case 1: pf = pf1bit; break;
    case 4: pf = pf4bit; break;
    case 8: pf = pf8bit; break;
    case 24: pf = pf24bit; break;
    case 16:
      if (!masked || SameMasks(h, 0x7C00, 0x03E0, 0x001F)) {
        pf = pf15bit;
      } else if (SameMasks(h, 0xF800, 0x07E0, 0x001F)) {
        pf = pf16bit;
      } else {
        alpha = h.Masks[3] != 0;
        pf = alpha ? pf32bit : pf24bit;
        copyRows = false;
      }
      break;
    case 32:
      pf = pf32bit;
      if (masked) {
        alpha = h.Masks[3] != 0;
        copyRows = SameMasks(h, 0xFF0000, 0x00FF00, 0x0000FF) &&
                   (h.Masks[3] == 0 || h.Masks[3] == 0xFF000000u);
      }
      break;
  }

  const uint32_t offBits = GetLE32(b.data() + 10);
  size_t pixels = offBits;
  // A file header that points into the headers, or nowhere, is taken to mean "right after".
  if (pixels < 14 + size_t{h.HeaderSize} || pixels > b.size()) {
    pixels = h.PaletteOffset;
    if (h.Bits <= 8) {
      const uint32_t n = h.ColorsUsed ? std::min<uint32_t>(h.ColorsUsed, 1u << h.Bits) : 1u << h.Bits;
      pixels += size_t{n} * static_cast<size_t>(h.PaletteEntrySize);
    }
  }
  if (pixels > b.size()) Fail("BMP pixel data missing");

  const size_t srcRow = RowSizeOf(w, h.Bits);
  const size_t avail = b.size() - pixels;
  const bool rle = h.Compression == cnstBIRLE8 || h.Compression == cnstBIRLE4;
  // Uncompressed rows must all be there; writers that drop the last row's padding are accepted.
  if (!rle && uint64_t{srcRow} * static_cast<uint64_t>(hgt) > uint64_t{avail} + srcRow)
    Fail("BMP pixel data truncated");

  TvxBitmap bmp;
  bmp.Allocate(pf, w, hgt);
  ReadPalette(b, h, bmp);
  const uint8_t* src = b.data() + pixels;
  if (rle) {
    DecodeRLE(b, pixels, h, bmp);
  } else {
    const TvxMaskChannel ch[4] = {TvxMaskChannel(h.Masks[0]), TvxMaskChannel(h.Masks[1]),
                                  TvxMaskChannel(h.Masks[2]), TvxMaskChannel(h.Masks[3])};
    const size_t dstRow = bmp.RowSize();
    for (int r = 0; r < hgt; ++r) {
      const size_t at = static_cast<size_t>(h.TopDown ? r : hgt - 1 - r) * srcRow;
      const size_t have = at < avail ? std::min(srcRow, avail - at) : 0;
      uint8_t* dst = bmp.MutableScanLine(r);
      if (copyRows) {
        std::memcpy(dst, src + at, std::min(have, dstRow));
        continue;
      }
      const size_t step = static_cast<size_t>(h.Bits) / 8, out = alpha ? 4 : 3;
      for (int x = 0; x < w; ++x) {
        const size_t p = static_cast<size_t>(x) * step;
        if (p + step > have) break;
        const uint32_t v = step == 2 ? GetLE16(src + at + p) : GetLE32(src + at + p);
        uint8_t* o = dst + static_cast<size_t>(x) * out;
        o[0] = ch[2].Value(v);
        o[1] = ch[1].Value(v);
        o[2] = ch[0].Value(v);
        if (alpha) o[3] = ch[3].Value(v);
      }
    }
  }
  bmp.FHasAlpha = alpha;
  // The graphic's switches stay with this bitmap (moving keeps its callbacks too).
  const bool transparent = FTransparent;
  const uint32_t rop = FROP;
  *this = std::move(bmp);
  FTransparent = transparent;
  FROP = rop;
  Changed();
}

void TvxBitmap::LoadFromStream(std::istream& stream) {
  std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(stream)),
                             std::istreambuf_iterator<char>());
  LoadFromBytes(bytes);
}

void TvxBitmap::LoadFromFile(const std::string& fileName) {
  std::ifstream f(fileName, std::ios::binary);
  if (!f) throw EvxBitmapError("Cannot open file " + fileName);
  LoadFromStream(f);
}

}  // namespace vx
