// The LZ77 decompressor of DWG 2004 and later pages.
#include "readers/dwg/paged/vxDWGUtils.h"

#include <cstring>

namespace vx {

namespace {

[[noreturn]] void Corrupted() { throw TvxDWGCompressorError(cnstDWGHeaderCorrupted); }

struct TLZ77 {
  const uint8_t* Src;
  size_t SrcSize;
  size_t S = 0;
  uint8_t* Dst;
  size_t DstSize;
  size_t D = 0;

  uint8_t Byte() {
    if (S >= SrcSize) Corrupted();
    return Src[S++];
  }
  // Adds 0xFF for every 0x00 byte, then the first non-zero byte.
  size_t Extended() {
    size_t v = 0;
    for (uint8_t b; (b = Byte()) == 0;) v += 0xFF;
    return v + Src[S - 1];
  }
  // The literal run after an instruction whose low two bits were taken from p.
  void Literal(uint8_t p) {
    size_t n = p & 3;
    if (n == 0) {
      if (S >= SrcSize || Src[S] >= 0x10) return;
      const uint8_t b = Src[S++];
      n = ((b & 0x0F) ? (b & 0x0F) : 0x0F + Extended()) + 3;
    }
    if (n > SrcSize - S || n > DstSize - D) Corrupted();
    std::memcpy(Dst + D, Src + S, n);
    S += n;
    D += n;
  }
  void Copy(size_t length, size_t offset) {
    if (offset > D || length > DstSize - D) Corrupted();
    uint8_t* out = Dst + D;
    const uint8_t* from = out - offset;
    if (length <= offset) std::memcpy(out, from, length);
    else
      for (size_t i = 0; i < length; ++i) out[i] = from[i];  // overlapping: repeats the pattern
    D += length;
  }
};

}  // namespace

size_t TvxDWG2004Compressor::Decompress(const uint8_t* source, size_t sourceSize, uint8_t* dest,
                                        size_t destSize) {
  if (!source || !dest || sourceSize == 0 || destSize == 0) Corrupted();
  TLZ77 z{source, sourceSize, 0, dest, destSize, 0};
  z.Literal(0);
  for (;;) {
    const uint8_t op = z.Byte();  // input that ends without the end opcode is corrupt
    size_t length, offset;
    uint8_t next;
    if (op == 0x11) {
      const uint8_t b1 = z.Byte(), b2 = z.Byte();
      if (b1 != 0 || b2 != 0) throw TvxDWGCompressorError(cnstDWGDecompressError);
      break;
    }
    if (op >= 0x40) {
      const uint8_t b = z.Byte();
      length = (op >> 4) - 1;
      offset = (((op >> 2) & 3) | (size_t(b) << 2)) + 1;
      next = op;
    } else if (op >= 0x20) {
      length = ((op & 0x1F) ? (op & 0x1F) : 0x1F + z.Extended()) + 2;
      const uint8_t b1 = z.Byte(), b2 = z.Byte();
      offset = ((b1 >> 2) | (size_t(b2) << 6)) + 1;
      next = b1;
    } else if (op >= 0x10) {
      length = ((op & 7) ? (op & 7) : 7 + z.Extended()) + 2;
      const uint8_t b1 = z.Byte(), b2 = z.Byte();
      offset = ((size_t(op & 8) << 11) | (b1 >> 2) | (size_t(b2) << 6)) + 0x4000;
      next = b1;
    } else {
      Corrupted();  // 0x00..0x0F are literal lengths, never instructions
    }
    z.Copy(length, offset);
    z.Literal(next);
  }
  return z.D;
}

std::vector<uint8_t> TvxDWG2004Compressor::Decompress(const uint8_t* source, size_t sourceSize,
                                                      size_t destSize) {
  std::vector<uint8_t> out(destSize, 0);
  Decompress(source, sourceSize, out.data(), out.size());
  return out;
}

}  // namespace vx
