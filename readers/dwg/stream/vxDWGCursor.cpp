// The variable-length bit codes, handles, field skipping, line weights and CRCs.
#include "readers/dwg/stream/vxDWGCursor.h"

#include <array>
#include <zlib.h>

namespace vx {

int64_t ReadMC(TvxBitCursor& c) {
  uint64_t v = 0;
  for (unsigned shift = 0; shift <= 28; shift += 7) {
    const uint8_t b = ReadRC(c);
    if (c.Failed) return 0;
    if (b & 0x80) {
      v |= uint64_t(b & 0x7F) << shift;
      continue;
    }
    v |= uint64_t(b & 0x3F) << shift;
    return (b & 0x40) ? -int64_t(v) : int64_t(v);
  }
  c.Fail();
  return 0;
}

uint64_t ReadUMC(TvxBitCursor& c) {
  uint64_t v = 0;
  for (unsigned shift = 0; shift < 70; shift += 7) {
    const uint8_t b = ReadRC(c);
    if (c.Failed) return 0;
    if (shift < 64) v |= uint64_t(b & 0x7F) << shift;
    if (!(b & 0x80)) return v;
  }
  c.Fail();
  return 0;
}

uint32_t ReadMS(TvxBitCursor& c) {
  uint32_t v = 0;
  for (unsigned shift = 0;; shift += 15) {
    const uint16_t w = ReadRS(c);
    if (c.Failed) return 0;
    if (shift <= 30) v |= uint32_t(w & 0x7FFF) << shift;
    if (!(w & 0x8000)) return v;
  }
}

uint64_t ApplyHandleCode(uint8_t code, uint64_t value, uint64_t reference) {
  switch (code) {
    case 0x6: return reference + 1;
    case 0x8: return reference - 1;
    case 0xA: return reference + value;
    case 0xC: return reference - value;
    default: return value;
  }
}

TdwgHandleRef ReadHandle(TvxBitCursor& c, uint64_t reference) {
  const uint8_t first = ReadRC(c);
  const unsigned n = first & 0x0F;
  if (n > c.Remaining() / 8) {
    c.Fail();
    return {};
  }
  uint64_t value = 0;
  for (unsigned i = 0; i < n; ++i) value = (value << 8) | ReadRC(c);
  const uint8_t code = first >> 4;
  return {code, ApplyHandleCode(code, value, reference)};
}

void SkipBySignature(TvxBitCursor& c, const uint8_t* codes, size_t count) {
  uint64_t pending = 0;
  auto flush = [&] {
    c.Skip(pending);
    pending = 0;
  };
  auto skipBD = [&] {
    if (ReadBB(c) == 0) c.Skip(64);
  };
  for (size_t i = 0; i < count && !c.Failed; ++i) {
    switch (codes[i]) {
      case skB: pending += 1; break;
      case skBB: pending += 2; break;
      case skRS: pending += 16; break;
      case skRC: pending += 8; break;
      case skRL: pending += 32; break;
      case sk2RD: pending += 128; break;
      case sk3RD: pending += 192; break;
      case skBS:
        flush();
        switch (ReadBB(c)) {
          case 0: c.Skip(16); break;
          case 1: c.Skip(8); break;
          default: break;
        }
        break;
      case skBL:
        flush();
        switch (ReadBB(c)) {
          case 0: c.Skip(32); break;
          case 1: c.Skip(8); break;
          default: break;
        }
        break;
      case skBD: flush(); skipBD(); break;
      case sk2BD: flush(); skipBD(); skipBD(); break;
      case sk3BD: flush(); skipBD(); skipBD(); skipBD(); break;
      case skCMC2004: {
        flush();
        const uint8_t bs[] = {skBS, skBL};
        SkipBySignature(c, bs, 2);
        c.Skip(8);
        break;
      }
      case skBLL: flush(); c.Skip(uint64_t(Read3B(c)) * 8); break;
      default: break;
    }
  }
  flush();
}

double DWGLineWeight(unsigned index) {
  // Divided as the DXF reader divides its hundredths, so that both give the same double.
  if (index < LineWeightTable.size()) return LineWeightTable[index] / 100.0;
  if (index <= 29) return fLineWeightByLayer;
  if (index == 30) return fLineWeightByBlock;
  if (index == 31) return fLineWeightDefault;
  return fLineWeightByLayer;
}

namespace {

constexpr std::array<uint16_t, 256> MakeCrc16Table() {
  std::array<uint16_t, 256> t{};
  for (unsigned i = 0; i < 256; ++i) {
    uint16_t r = uint16_t(i);
    for (int k = 0; k < 8; ++k) r = (r & 1) ? uint16_t((r >> 1) ^ 0xA001) : uint16_t(r >> 1);
    t[i] = r;
  }
  return t;
}
constexpr std::array<uint16_t, 256> cnstCrc16Table = MakeCrc16Table();

}  // namespace

uint16_t DWGCrc16(uint16_t seed, const uint8_t* data, size_t size) {
  uint16_t crc = seed;
  for (size_t i = 0; i < size; ++i) crc = uint16_t((crc >> 8) ^ cnstCrc16Table[(crc ^ data[i]) & 0xFF]);
  return crc;
}

uint32_t DWGCrc32(const uint8_t* data, size_t size) {
  uLong crc = crc32(0L, Z_NULL, 0);
  // zlib takes lengths as uInt: feed large buffers in pieces.
  while (size > 0) {
    const uInt n = size > 0x40000000u ? 0x40000000u : uInt(size);
    crc = crc32(crc, data, n);
    data += n;
    size -= n;
  }
  return uint32_t(crc);
}

}  // namespace vx
