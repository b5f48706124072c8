// vxBitmapReduce: rows as colours, and the averaged reduced copy of the raster cache. Every
// output pixel is the mean of the block of source pixels it covers (a box filter), so line-work
// thinner than the reduction still shows as a lighter line instead of vanishing at random.
#include "foundation/vxBitmap.h"

#include <algorithm>

namespace vx {

void TvxBitmap::RowColors(int r, std::span<uint32_t> out) const {
  const uint8_t* row = ScanLine(r);
  if (!row || out.size() < FWidth) return;
  const int w = FWidth;
  uint32_t palette[256];
  const int colors = ColorCount();
  for (int i = 0; i < colors; ++i) palette[i] = 0xFF000000u | Color(i);
  switch (FPixelFormat) {
    case pf1bit:
      for (int x = 0; x < w; ++x) out[x] = palette[(row[x >> 3] >> (7 - (x & 7))) & 1];
      break;
    case pf4bit:
      for (int x = 0; x < w; ++x) out[x] = palette[(row[x >> 1] >> ((x & 1) ? 0 : 4)) & 15];
      break;
    case pf8bit:
      for (int x = 0; x < w; ++x) out[x] = palette[row[x]];
      break;
    case pf24bit:
      for (int x = 0; x < w; ++x) {
        const uint8_t* p = row + 3 * x;
        out[x] = 0xFF000000u | uint32_t{p[2]} << 16 | uint32_t{p[1]} << 8 | p[0];
      }
      break;
    case pf32bit:
      for (int x = 0; x < w; ++x) {
        const uint32_t v = GetLE32(row + 4 * x);
        out[x] = FHasAlpha ? v : (0xFF000000u | v);
      }
      break;
    default:
      for (int x = 0; x < w; ++x) out[x] = 0xFF000000u | PixelColor(x, r);
  }
}

void TvxBitmap::ReducedSize(int w, int h, int factor, int& rw, int& rh) {
  if (factor < 1) factor = 1;
  rw = std::max(1, w / factor);
  rh = std::max(1, h / factor);
  const int larger = std::max(rw, rh);
  if (larger > 4096) {
    rw = std::max(1, static_cast<int>(int64_t{rw} * 4096 / larger));
    rh = std::max(1, static_cast<int>(int64_t{rh} * 4096 / larger));
  }
}

TvxBitmap TvxBitmap::CreateReducedCopy(int factor) const {
  TvxBitmap out;
  if (Empty()) return out;
  const int w = FWidth, h = FHeight;
  int rw, rh;
  ReducedSize(w, h, factor, rw, rh);
  const bool alpha = FHasAlpha && FPixelFormat == pf32bit;
  out.Allocate(alpha ? pf32bit : pf24bit, rw, rh);
  out.FHasAlpha = alpha;
  out.FTransparent = FTransparent;
  out.FROP = FROP;

  std::vector<int> column(static_cast<size_t>(w));
  for (int x = 0; x < w; ++x) column[x] = static_cast<int>(int64_t{x} * rw / w);
  std::vector<uint64_t> sum(static_cast<size_t>(rw) * 4, 0);
  std::vector<uint32_t> count(static_cast<size_t>(rw), 0);
  std::vector<uint32_t> line(static_cast<size_t>(w));
  const size_t bytes = alpha ? 4 : 3;
  auto flush = [&](int r) {
    uint8_t* dst = out.MutableScanLine(r);
    for (int c = 0; c < rw; ++c) {
      const uint64_t n = std::max<uint32_t>(count[c], 1);
      for (size_t k = 0; k < bytes; ++k)
        dst[c * bytes + k] = static_cast<uint8_t>((sum[c * 4 + k] + n / 2) / n);
    }
    std::fill(sum.begin(), sum.end(), 0);
    std::fill(count.begin(), count.end(), 0);
  };
  int current = 0;
  for (int y = 0; y < h; ++y) {
    const int r = static_cast<int>(int64_t{y} * rh / h);
    if (r != current) {
      flush(current);
      current = r;
    }
    RowColors(y, line);
    for (int x = 0; x < w; ++x) {
      const uint32_t v = line[x];
      uint64_t* s = &sum[static_cast<size_t>(column[x]) * 4];
      s[0] += v & 0xFF;
      s[1] += (v >> 8) & 0xFF;
      s[2] += (v >> 16) & 0xFF;
      s[3] += v >> 24;
      ++count[column[x]];
    }
  }
  flush(current);
  return out;
}

}  // namespace vx
