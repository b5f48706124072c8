// vxBitmapRotate: quarter turns of a TvxBitmap in every pixel format. Whole-byte pixels are
// copied byte-wise; 1 and 4-bit pixels are gathered bit by bit into a zero-filled buffer, so
// rows whose bit width is not a multiple of 8 come out aligned at bit 0.
#include "foundation/vxBitmap.h"

#include <cstring>

namespace vx {

namespace {

int SubPixel(const uint8_t* row, size_t x, int bits) {
  if (bits == 1) return (row[x >> 3] >> (7 - (x & 7))) & 1;
  return (row[x >> 1] >> ((x & 1) ? 0 : 4)) & 15;
}

void SetSubPixel(uint8_t* row, size_t x, int bits, int v) {
  if (bits == 1)
    row[x >> 3] = static_cast<uint8_t>(row[x >> 3] | (v & 1) << (7 - (x & 7)));
  else
    row[x >> 1] = static_cast<uint8_t>(row[x >> 1] | (v & 15) << ((x & 1) ? 0 : 4));
}

}  // namespace

void TvxBitmap::Rotate(int angle) {
  if (Empty()) return;
  const int turns = (angle / 90) & 3;
  if (turns == 0) return;
  RotateImpl(turns);
}

void TvxBitmap::RotateImpl(int turns) {
  MakePrivate();
  const int w = FWidth, h = FHeight, bits = BitsPerPixel();
  const int nw = turns == 2 ? w : h, nh = turns == 2 ? h : w;
  const size_t srcRow = RowSize(), dstRow = RowSizeOf(nw, bits);
  const std::vector<uint8_t>& src = FImg->FData;
  std::vector<uint8_t> dst(dstRow * static_cast<size_t>(nh), 0);
  // Picture rows (0 = top) of the bottom-up stores.
  auto srcLine = [&](int r) { return src.data() + static_cast<size_t>(h - 1 - r) * srcRow; };
  auto dstLine = [&](int r) { return dst.data() + static_cast<size_t>(nh - 1 - r) * dstRow; };
  const size_t bytes = static_cast<size_t>(bits) / 8;
  for (int y = 0; y < nh; ++y) {
    if (OnRotate) OnRotate(*this, y);
    uint8_t* out = dstLine(y);
    for (int x = 0; x < nw; ++x) {
      // The source pixel shown at (x, y) after the turn (counter-clockwise as displayed).
      int sx, sy;
      if (turns == 1) {
        sx = w - 1 - y;
        sy = x;
      } else if (turns == 2) {
        sx = w - 1 - x;
        sy = h - 1 - y;
      } else {
        sx = y;
        sy = h - 1 - x;
      }
      const uint8_t* in = srcLine(sy);
      if (bytes)
        std::memcpy(out + static_cast<size_t>(x) * bytes, in + static_cast<size_t>(sx) * bytes,
                    bytes);
      else
        SetSubPixel(out, static_cast<size_t>(x), bits, SubPixel(in, static_cast<size_t>(sx), bits));
    }
  }
  FImg->FData = std::move(dst);
  FWidth = static_cast<uint16_t>(nw);
  FHeight = static_cast<uint16_t>(nh);
  PutLE32(&FImg->FInfo[4], static_cast<uint32_t>(nw));
  PutLE32(&FImg->FInfo[8], static_cast<uint32_t>(nh));
  Changed();
}

}  // namespace vx
