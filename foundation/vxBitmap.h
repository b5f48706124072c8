// vxBitmap: TvxBitmap, the library's own raster picture: a device-independent bitmap kept as the
// 40-byte BMP information header with its colour table (and the masks of 5-6-5 pixels) plus the
// bottom-up pixel rows, shared copy-on-write between bitmaps through TvxBitmapImage. It saves as a
// BMP file, loads BMP streams through its own bounds-checked decoder (vxBitmapBMP.cpp), turns by
// quarter turns in every pixel format (vxBitmapRotate.cpp) and makes the averaged reduced copies
// the renderer's raster cache draws (vxBitmapReduce.cpp). Qt-free: the renderer draws it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <iosfwd>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

namespace vx {

enum class TvxPixelFormat : uint8_t {
  pfDevice, pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit, pfCustom
};
using enum TvxPixelFormat;

// Bits per pixel written to the header for a format (device and custom give 0).
int PixelFormatBits(TvxPixelFormat pf);

// Raised for malformed BMP data, for sizes beyond the limits, and by the clipboard methods.
class EvxBitmapError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Raster-operation codes (ternary ROPs): the raster operation's index is the third byte.
constexpr uint32_t cnstSrcCopy = 0x00CC0020;
constexpr uint32_t cnstSrcAnd = 0x008800C6;
// The full code of the ternary raster operation with index i (0..255).
uint32_t TernaryRasterOperation(uint8_t index);

// Size of the BMP information header every bitmap keeps.
constexpr int cnstBitmapInfoHeaderSize = 40;
// BMP compression values used here.
constexpr uint32_t cnstBIRGB = 0, cnstBIRLE8 = 1, cnstBIRLE4 = 2, cnstBIBitFields = 3;

// The pixel store several bitmaps may share: FInfo is the information header followed by the
// colour table (1, 4, 8 bits) or the three colour masks (5-6-5 pixels), FData the rows, bottom
// row first, each padded to 4 bytes.
class TvxBitmapImage {
 public:
  std::vector<uint8_t> FInfo;
  std::vector<uint8_t> FData;

  int RefCount() const { return FRefCount; }

 private:
  friend class TvxBitmap;
  int FRefCount = 1;
};

class TvxBitmap {
 public:
  // Raised once before each output row while Rotate runs (progress); row counts from 0.
  using TvxRotateEvent = std::function<void(TvxBitmap&, int row)>;
  using TvxChangeEvent = std::function<void(TvxBitmap&)>;

  TvxBitmap();
  // Copies share the pixels (as Assign does).
  TvxBitmap(const TvxBitmap& other);
  TvxBitmap& operator=(const TvxBitmap& other);
  TvxBitmap(TvxBitmap&& other) noexcept;
  TvxBitmap& operator=(TvxBitmap&& other) noexcept;
  ~TvxBitmap();

  int Width() const { return FWidth; }
  int Height() const { return FHeight; }
  TvxPixelFormat PixelFormat() const { return FPixelFormat; }
  // Changing the size or the format re-creates the pixel store: zero-filled header with the
  // size fields, planes and bits per pixel, a zero colour table, rows of undefined content
  // (zero here). Sizes are 0..65535 (EvxBitmapError beyond); the store is refused when its rows
  // would exceed MaxPixelBytes().
  void SetWidth(int w) { SetSize(w, FHeight); }
  void SetHeight(int h) { SetSize(FWidth, h); }
  void SetSize(int w, int h);
  void SetPixelFormat(TvxPixelFormat pf);
  // Format and size in one step (one re-creation).
  void Allocate(TvxPixelFormat pf, int w, int h);
  // True when the width, the height or the bits per pixel are 0.
  bool Empty() const;

  int BitsPerPixel() const { return PixelFormatBits(FPixelFormat); }
  // ((width * bits + 31) div 32) * 4.
  size_t RowSize() const { return RowSizeOf(FWidth, BitsPerPixel()); }
  static size_t RowSizeOf(int width, int bits);

  // The raster operation: its index (third byte of the code) and the full code.
  uint8_t ROP() const { return static_cast<uint8_t>(FROP >> 16); }
  void SetROP(uint8_t index) { FROP = TernaryRasterOperation(index); }
  uint32_t ROPCode() const { return FROP; }

  // The graphic's transparency switch (drawn with the source-and operation when set).
  bool Transparent() const { return FTransparent; }
  void SetTransparent(bool t) { FTransparent = t; }
  // Whether the fourth byte of 32-bit pixels is an alpha value (BMP alpha masks; PNG pictures).
  bool HasAlpha() const { return FHasAlpha; }
  void SetHasAlpha(bool a) { FHasAlpha = a; }

  // Picture row r (0 = top): nil when there are no pixels or r is out of range. The writable
  // form first takes a private store when the pixels are shared.
  const uint8_t* ScanLine(int r) const;
  uint8_t* MutableScanLine(int r);
  const uint8_t* RowData() const;
  const TvxBitmapImage* ImageData() const { return FImg; }
  // The information header followed by the colour table (or masks), as stored.
  std::span<const uint8_t> Info() const;

  // Colour table entries as 0x00RRGGBB (the byte order of a BMP colour table); only the 1, 4
  // and 8 bit formats have one (2^bits entries).
  int ColorCount() const;
  uint32_t Color(int i) const;
  // Copies up to 2^bits entries into the table; nothing for the other formats.
  void SetColors(std::span<const uint32_t> table);
  // The colour of pixel (x, y) (y = 0 top) as 0x00RRGGBB; 0 outside the picture. 5-5-5 and
  // 5-6-5 channels are widened to 8 bits.
  uint32_t PixelColor(int x, int y) const;
  // The colours of picture row r as 0xAARRGGBB, alpha 255 unless the bitmap has alpha; out
  // holds at least Width() values. Nothing for a row out of range.
  void RowColors(int r, std::span<uint32_t> out) const;
  // True for the 1-bit format: scanned line-work that the renderer inverts on dark backgrounds.
  bool IsMonochrome() const { return FPixelFormat == pf1bit; }

  // Shares source's pixels: width, height, format, raster operation, transparency and alpha
  // are copied, the store's count grows.
  void Assign(const TvxBitmap& source);

  // Reads a BMP file (EvxBitmapError when it is malformed; the bitmap is unchanged then).
  void LoadFromStream(std::istream& stream);
  void LoadFromBytes(std::span<const uint8_t> bytes);
  void LoadFromFile(const std::string& fileName);
  // Writes the BMP file: the 14-byte file header, the information header with its colour table,
  // then the rows. An empty bitmap writes the file header alone.
  void SaveToStream(std::ostream& stream) const;
  void SaveToFile(const std::string& fileName) const;
  std::vector<uint8_t> SaveToBytes() const;
  [[noreturn]] void LoadFromClipboardFormat() const;
  [[noreturn]] void SaveToClipboardFormat() const;

  // Turns the picture by whole quarter turns, counter-clockwise as displayed: (angle div 90)
  // and 3 turns, so -90 turns three quarters and 45 does nothing.
  void Rotate(int angle);

  // The averaged copy at 1 / factor of the size (each side at least 1 pixel, the larger one at
  // most 4096), in 24 bits (32 with alpha) whatever the source format.
  TvxBitmap CreateReducedCopy(int factor) const;
  // The size CreateReducedCopy gives for a picture of w by h pixels.
  static void ReducedSize(int w, int h, int factor, int& rw, int& rh);

  TvxRotateEvent OnRotate;
  TvxChangeEvent OnChange;

  // Upper bound of the rows of one bitmap, in bytes (decoding, SetSize). Process-wide.
  static size_t MaxPixelBytes();
  static void SetMaxPixelBytes(size_t n);

 private:
  void Release();
  void MakePrivate();
  void Recreate(TvxPixelFormat pf, int w, int h);
  void Changed();
  uint8_t* MutableRows();
  void RotateImpl(int turns);

  TvxBitmapImage* FImg = nullptr;
  uint16_t FWidth = 0;
  uint16_t FHeight = 0;
  TvxPixelFormat FPixelFormat = pfDevice;
  uint32_t FROP = cnstSrcCopy;
  bool FTransparent = false;
  bool FHasAlpha = false;

  friend struct TvxBitmapAccess;
};

// Little-endian field access in a byte buffer (headers of the BMP layout).
inline uint32_t GetLE32(const uint8_t* p) {
  return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}
inline uint16_t GetLE16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
inline void PutLE32(uint8_t* p, uint32_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
  p[2] = static_cast<uint8_t>(v >> 16);
  p[3] = static_cast<uint8_t>(v >> 24);
}
inline void PutLE16(uint8_t* p, uint16_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}

}  // namespace vx
