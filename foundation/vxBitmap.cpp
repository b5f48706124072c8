// vxBitmap: the pixel store with its header and colour table, copy on write, BMP writing and
// the raster-operation table. Decoding, rotation and reduction live in their own files.
#include "foundation/vxBitmap.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <fstream>
#include <limits>
#include <ostream>

namespace vx {

namespace {

// The low words of the 256 ternary raster operations, by index (the published table).
constexpr uint16_t cnstRopLowWords[256] = {
    0x0042, 0x0289, 0x0C89, 0x00AA, 0x0C88, 0x00A9, 0x0865, 0x02C5, 0x0F08, 0x0245, 0x0329, 0x0B2A,
    0x0324, 0x0B25, 0x08A5, 0x0001, 0x0C85, 0x00A6, 0x0868, 0x02C8, 0x0869, 0x02C9, 0x5CCA, 0x1D54,
    0x0D59, 0x1CC8, 0x06C5, 0x0768, 0x06CA, 0x0766, 0x01A5, 0x0385, 0x0F09, 0x0248, 0x0326, 0x0B24,
    0x0D55, 0x1CC5, 0x06C8, 0x1868, 0x0369, 0x16CA, 0x0CC9, 0x1D58, 0x0784, 0x060A, 0x064A, 0x0E2A,
    0x032A, 0x0B28, 0x0688, 0x0008, 0x06C4, 0x1864, 0x01A8, 0x0388, 0x078A, 0x0604, 0x0644, 0x0E24,
    0x004A, 0x18A4, 0x1B24, 0x00EA, 0x0F0A, 0x0249, 0x0D5D, 0x1CC4, 0x0328, 0x0B29, 0x06C6, 0x076A,
    0x0368, 0x16C5, 0x0789, 0x0605, 0x0CC8, 0x1954, 0x0645, 0x0E25, 0x0325, 0x0B26, 0x06C9, 0x0764,
    0x08A9, 0x0009, 0x01A9, 0x0389, 0x0785, 0x0609, 0x0049, 0x18A9, 0x0649, 0x0E29, 0x1B29, 0x00E9,
    0x0365, 0x16C6, 0x0786, 0x0608, 0x0788, 0x0606, 0x0046, 0x18A8, 0x58A6, 0x0145, 0x01E9, 0x178A,
    0x01E8, 0x1785, 0x1E28, 0x0C65, 0x0CC5, 0x1D5C, 0x0648, 0x0E28, 0x0646, 0x0E26, 0x1B28, 0x00E6,
    0x01E5, 0x1786, 0x1E29, 0x0C68, 0x1E24, 0x0C69, 0x0955, 0x03C9, 0x03E9, 0x0975, 0x0C49, 0x1E04,
    0x0C48, 0x1E05, 0x17A6, 0x01C5, 0x00C6, 0x1B08, 0x0E06, 0x0666, 0x0E08, 0x0668, 0x1D7C, 0x0CE5,
    0x0C45, 0x1E08, 0x17A9, 0x01C4, 0x17AA, 0x01C9, 0x0169, 0x588A, 0x1888, 0x0066, 0x0709, 0x07A8,
    0x0704, 0x07A6, 0x16E6, 0x0345, 0x00C9, 0x1B05, 0x0E09, 0x0669, 0x1885, 0x0065, 0x0706, 0x07A5,
    0x03A9, 0x0189, 0x0029, 0x0889, 0x0744, 0x06E9, 0x0B06, 0x0229, 0x0E05, 0x0665, 0x1974, 0x0CE8,
    0x070A, 0x07A9, 0x16E9, 0x0348, 0x074A, 0x06E6, 0x0B09, 0x0226, 0x1CE4, 0x0D7D, 0x0269, 0x08C9,
    0x00CA, 0x1B04, 0x1884, 0x006A, 0x0E04, 0x0664, 0x0708, 0x07AA, 0x03A8, 0x0184, 0x0749, 0x06E4,
    0x0020, 0x0888, 0x0B08, 0x0224, 0x0E0A, 0x066A, 0x0705, 0x07A4, 0x1D78, 0x0CE9, 0x16EA, 0x0349,
    0x0745, 0x06E8, 0x1CE9, 0x0D75, 0x0B04, 0x0228, 0x0268, 0x08C8, 0x03A5, 0x0185, 0x0746, 0x06EA,
    0x0748, 0x06E5, 0x1CE8, 0x0D79, 0x1D74, 0x5CE6, 0x02E9, 0x0849, 0x02E8, 0x0848, 0x0086, 0x0A08,
    0x0021, 0x0885, 0x0B05, 0x022A, 0x0B0A, 0x0225, 0x0265, 0x08C5, 0x02E5, 0x0845, 0x0089, 0x0A09,
    0x008A, 0x0A0A, 0x02A9, 0x0062,
};

std::atomic<size_t> gMaxPixelBytes{size_t{512} << 20};

int ColorTableEntries(TvxPixelFormat pf) {
  switch (pf) {
    case pf1bit: return 2;
    case pf4bit: return 16;
    case pf8bit: return 256;
    default: return 0;
  }
}

// Bytes that follow the information header: the colour table, or the three masks of 5-6-5.
size_t InfoTailSize(TvxPixelFormat pf) {
  if (pf == pf16bit) return 12;
  return static_cast<size_t>(ColorTableEntries(pf)) * 4;
}

}  // namespace

int PixelFormatBits(TvxPixelFormat pf) {
  switch (pf) {
    case pf1bit: return 1;
    case pf4bit: return 4;
    case pf8bit: return 8;
    case pf15bit:
    case pf16bit: return 16;
    case pf24bit: return 24;
    case pf32bit: return 32;
    default: return 0;
  }
}

uint32_t TernaryRasterOperation(uint8_t index) {
  return (uint32_t{index} << 16) + cnstRopLowWords[index];
}

size_t TvxBitmap::MaxPixelBytes() { return gMaxPixelBytes.load(); }
void TvxBitmap::SetMaxPixelBytes(size_t n) { gMaxPixelBytes.store(n); }

size_t TvxBitmap::RowSizeOf(int width, int bits) {
  if (width <= 0 || bits <= 0) return 0;
  return (static_cast<size_t>(width) * static_cast<size_t>(bits) + 31) / 32 * 4;
}

// ---- life and sharing -----------------------------------------------------------------------

TvxBitmap::TvxBitmap() : FImg(new TvxBitmapImage()) {}

TvxBitmap::TvxBitmap(const TvxBitmap& other) : FImg(new TvxBitmapImage()) { Assign(other); }

TvxBitmap& TvxBitmap::operator=(const TvxBitmap& other) {
  if (this != &other) Assign(other);
  return *this;
}

TvxBitmap::TvxBitmap(TvxBitmap&& other) noexcept
    : FImg(other.FImg), FWidth(other.FWidth), FHeight(other.FHeight),
      FPixelFormat(other.FPixelFormat), FROP(other.FROP), FTransparent(other.FTransparent),
      FHasAlpha(other.FHasAlpha) {
  other.FImg = nullptr;
  other.FWidth = other.FHeight = 0;
  other.FPixelFormat = pfDevice;
}

TvxBitmap& TvxBitmap::operator=(TvxBitmap&& other) noexcept {
  if (this == &other) return *this;
  Release();
  FImg = other.FImg;
  FWidth = other.FWidth;
  FHeight = other.FHeight;
  FPixelFormat = other.FPixelFormat;
  FROP = other.FROP;
  FTransparent = other.FTransparent;
  FHasAlpha = other.FHasAlpha;
  other.FImg = nullptr;
  other.FWidth = other.FHeight = 0;
  other.FPixelFormat = pfDevice;
  return *this;
}

TvxBitmap::~TvxBitmap() { Release(); }

void TvxBitmap::Release() {
  if (FImg && --FImg->FRefCount == 0) delete FImg;
  FImg = nullptr;
}

void TvxBitmap::MakePrivate() {
  if (!FImg) {
    FImg = new TvxBitmapImage();
    return;
  }
  if (FImg->FRefCount <= 1) return;
  auto* copy = new TvxBitmapImage();
  copy->FInfo = FImg->FInfo;
  copy->FData = FImg->FData;
  --FImg->FRefCount;
  FImg = copy;
}

void TvxBitmap::Assign(const TvxBitmap& source) {
  if (&source == this) return;
  if (source.FImg != FImg) {
    Release();
    FImg = source.FImg;
    if (FImg)
      ++FImg->FRefCount;
    else
      FImg = new TvxBitmapImage();
  }
  FWidth = source.FWidth;
  FHeight = source.FHeight;
  FPixelFormat = source.FPixelFormat;
  FROP = source.FROP;
  FTransparent = source.FTransparent;
  FHasAlpha = source.FHasAlpha;
  Changed();
}

void TvxBitmap::Changed() {
  if (OnChange) OnChange(*this);
}

// ---- size and format ------------------------------------------------------------------------

bool TvxBitmap::Empty() const { return FWidth == 0 || FHeight == 0 || BitsPerPixel() == 0; }

void TvxBitmap::SetSize(int w, int h) {
  if (w == FWidth && h == FHeight) return;
  Allocate(FPixelFormat, w, h);
}

void TvxBitmap::SetPixelFormat(TvxPixelFormat pf) {
  if (pf == FPixelFormat) return;
  Allocate(pf, FWidth, FHeight);
}

void TvxBitmap::Allocate(TvxPixelFormat pf, int w, int h) {
  if (w < 0 || h < 0 || w > 65535 || h > 65535)
    throw EvxBitmapError("Bitmap size out of range");
  const int bits = PixelFormatBits(pf);
  // The rows are sized in 64 bits: 65535 x 65535 at 32 bits does not fit in 32.
  const uint64_t bytes = uint64_t{RowSizeOf(w, bits)} * static_cast<uint64_t>(h);
  if (bytes > MaxPixelBytes()) throw EvxBitmapError("Bitmap too large");
  Recreate(pf, w, h);
  Changed();
}

void TvxBitmap::Recreate(TvxPixelFormat pf, int w, int h) {
  // A shared store stays with the other bitmaps; this one starts a new one.
  if (FImg && FImg->FRefCount > 1) {
    --FImg->FRefCount;
    FImg = nullptr;
  }
  if (!FImg) FImg = new TvxBitmapImage();
  FWidth = static_cast<uint16_t>(w);
  FHeight = static_cast<uint16_t>(h);
  FPixelFormat = pf;
  FImg->FInfo.clear();
  FImg->FData.clear();
  FImg->FInfo.shrink_to_fit();
  FImg->FData.shrink_to_fit();
  if (Empty()) return;
  std::vector<uint8_t>& info = FImg->FInfo;
  info.assign(cnstBitmapInfoHeaderSize + InfoTailSize(pf), 0);
  PutLE32(&info[0], cnstBitmapInfoHeaderSize);
  PutLE32(&info[4], static_cast<uint32_t>(w));
  PutLE32(&info[8], static_cast<uint32_t>(h));  // positive: rows are stored bottom-up
  PutLE16(&info[12], 1);
  PutLE16(&info[14], static_cast<uint16_t>(BitsPerPixel()));
  if (pf == pf16bit) {
    // 5-6-5 pixels say so through their masks; a plain 16-bit header means 5-5-5.
    PutLE32(&info[16], cnstBIBitFields);
    PutLE32(&info[40], 0xF800);
    PutLE32(&info[44], 0x07E0);
    PutLE32(&info[48], 0x001F);
  }
  FImg->FData.assign(RowSize() * FHeight, 0);
}

// ---- pixels ---------------------------------------------------------------------------------

const uint8_t* TvxBitmap::RowData() const {
  return FImg && !FImg->FData.empty() ? FImg->FData.data() : nullptr;
}

uint8_t* TvxBitmap::MutableRows() {
  if (!FImg || FImg->FData.empty()) return nullptr;
  MakePrivate();
  return FImg->FData.data();
}

const uint8_t* TvxBitmap::ScanLine(int r) const {
  const uint8_t* rows = RowData();
  if (!rows || r < 0 || r >= FHeight) return nullptr;
  return rows + static_cast<size_t>(FHeight - r - 1) * RowSize();
}

uint8_t* TvxBitmap::MutableScanLine(int r) {
  if (r < 0 || r >= FHeight) return nullptr;
  uint8_t* rows = MutableRows();
  return rows ? rows + static_cast<size_t>(FHeight - r - 1) * RowSize() : nullptr;
}

std::span<const uint8_t> TvxBitmap::Info() const {
  if (!FImg) return {};
  return {FImg->FInfo.data(), FImg->FInfo.size()};
}

int TvxBitmap::ColorCount() const {
  if (!FImg || FImg->FInfo.size() < cnstBitmapInfoHeaderSize) return 0;
  return ColorTableEntries(FPixelFormat);
}

uint32_t TvxBitmap::Color(int i) const {
  if (i < 0 || i >= ColorCount()) return 0;
  return GetLE32(&FImg->FInfo[cnstBitmapInfoHeaderSize + static_cast<size_t>(i) * 4]) &
         0xFFFFFF;
}

void TvxBitmap::SetColors(std::span<const uint32_t> table) {
  const int n = std::min<int>(ColorCount(), static_cast<int>(table.size()));
  if (n <= 0) return;
  MakePrivate();
  for (int i = 0; i < n; ++i)
    PutLE32(&FImg->FInfo[cnstBitmapInfoHeaderSize + static_cast<size_t>(i) * 4],
            table[static_cast<size_t>(i)] & 0xFFFFFF);
  Changed();
}

uint32_t TvxBitmap::PixelColor(int x, int y) const {
  const uint8_t* row = ScanLine(y);
  if (!row || x < 0 || x >= FWidth) return 0;
  const size_t ux = static_cast<size_t>(x);
  auto widen5 = [](uint32_t v) { return (v << 3) | (v >> 2); };
  auto widen6 = [](uint32_t v) { return (v << 2) | (v >> 4); };
  switch (FPixelFormat) {
    case pf1bit: return Color((row[ux >> 3] >> (7 - (ux & 7))) & 1);
    case pf4bit: return Color((row[ux >> 1] >> ((ux & 1) ? 0 : 4)) & 15);
    case pf8bit: return Color(row[ux]);
    case pf15bit: {
      const uint32_t v = GetLE16(row + ux * 2);
      return widen5((v >> 10) & 31) << 16 | widen5((v >> 5) & 31) << 8 | widen5(v & 31);
    }
    case pf16bit: {
      const uint32_t v = GetLE16(row + ux * 2);
      return widen5((v >> 11) & 31) << 16 | widen6((v >> 5) & 63) << 8 | widen5(v & 31);
    }
    case pf24bit: {
      const uint8_t* p = row + ux * 3;
      return uint32_t{p[2]} << 16 | uint32_t{p[1]} << 8 | p[0];
    }
    case pf32bit: return GetLE32(row + ux * 4) & 0xFFFFFF;
    default: return 0;
  }
}

// ---- BMP writing ----------------------------------------------------------------------------

std::vector<uint8_t> TvxBitmap::SaveToBytes() const {
  const bool empty = Empty();
  const size_t headerSize = empty ? 0 : FImg->FInfo.size();
  const size_t dataSize = empty ? 0 : FImg->FData.size();
  const uint64_t total = uint64_t{14} + headerSize + dataSize;
  // The file header counts in 32 bits; a wrapped size would make a file no reader can use.
  if (total > std::numeric_limits<uint32_t>::max())
    throw EvxBitmapError("Bitmap too large for a BMP file");
  std::vector<uint8_t> out(static_cast<size_t>(total));
  out[0] = 'B';
  out[1] = 'M';
  PutLE32(&out[2], static_cast<uint32_t>(total));
  PutLE32(&out[10], static_cast<uint32_t>(14 + headerSize));
  if (!empty) {
    std::memcpy(&out[14], FImg->FInfo.data(), headerSize);
    std::memcpy(&out[14 + headerSize], FImg->FData.data(), dataSize);
  }
  return out;
}

void TvxBitmap::SaveToStream(std::ostream& stream) const {
  const std::vector<uint8_t> bytes = SaveToBytes();
  stream.write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

void TvxBitmap::SaveToFile(const std::string& fileName) const {
  std::ofstream f(fileName, std::ios::binary | std::ios::trunc);
  if (!f) throw EvxBitmapError("Cannot create file " + fileName);
  SaveToStream(f);
  if (!f) throw EvxBitmapError("Cannot write file " + fileName);
}

void TvxBitmap::LoadFromClipboardFormat() const { throw EvxBitmapError("Not implemented"); }
void TvxBitmap::SaveToClipboardFormat() const { throw EvxBitmapError("Not implemented"); }

}  // namespace vx
