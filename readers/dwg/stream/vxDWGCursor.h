// vxDWGCursor: the bit codes of DWG R13 and later files, read through a bounded bit cursor.
//
//  - TvxBitCursor: a buffer base, a bit position and a bit limit. Copies are independent readers
//    (an object's data, string and handle streams run as three cursors over one buffer). A read
//    that would cross the limit reads nothing: it sets Failed, moves the position to the limit and
//    returns a neutral value (0, 0.0), so a decoder checks the mark once per object.
//  - The codes as free functions: B, BB, 3B, RC, RS, RL, RD, 2RD, 3RD, BS, BL, BLL, BD, 2BD, 3BD,
//    DD, BT, BE, OT, MC, UMC, MS, H, CRC; SkipBySignature passes over fields without decoding.
//  - Line weights by index, CRC-16 (ARC table, seeds 0xC0C1 for objects and sections) and the
//    CRC-32 of the 2004 file header (zlib's).
//
// Bits are numbered from the most significant bit of each byte; multi-byte raw values are
// little-endian once their bytes are taken from the stream. Reads never allocate.
#pragma once

#include "database/core/DXFConvHeader.h"
#include "foundation/vxConsts.h"

#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace vx {

static_assert(std::endian::native == std::endian::little, "DWG values are assembled as little-endian");

// Little-endian values at a byte address (file headers and page maps).
inline uint32_t LoadLE32(const uint8_t* p) {
  uint32_t v;
  std::memcpy(&v, p, 4);
  return v;
}
inline uint64_t LoadLE64(const uint8_t* p) {
  uint64_t v;
  std::memcpy(&v, p, 8);
  return v;
}
inline void StoreLE32(uint8_t* p, uint32_t v) { std::memcpy(p, &v, 4); }

struct TvxBitCursor {
  const uint8_t* Data = nullptr;
  uint64_t Pos = 0;  // bits from Data
  uint64_t End = 0;  // bit limit; the buffer holds at least (End + 7) / 8 bytes
  bool Failed = false;

  TvxBitCursor() = default;
  TvxBitCursor(const uint8_t* data, size_t size) : Data(data), End(uint64_t(size) * 8) {}

  uint64_t Remaining() const { return End - Pos; }
  bool AtEnd() const { return Pos >= End; }
  void Fail() {
    Failed = true;
    Pos = End;
  }
  // Moves forward by n bits; past the limit it fails.
  void Skip(uint64_t n) {
    if (n > End - Pos) Fail();
    else Pos += n;
  }
  // Moves to an absolute bit position; past the limit it fails.
  void Seek(uint64_t pos) {
    if (pos > End) Fail();
    else Pos = pos;
  }
  // Moves to the next byte boundary.
  void AlignToByte() { Skip((8 - (Pos & 7)) & 7); }
  // A cursor over [from, to) of the same buffer, both clamped to this cursor's limit.
  TvxBitCursor Window(uint64_t from, uint64_t to) const {
    TvxBitCursor c = *this;
    c.Failed = false;
    c.End = to < End ? to : End;
    c.Pos = from < c.End ? from : c.End;
    return c;
  }
};

namespace dwgbits_detail {

inline uint16_t Swap(uint16_t v) { return __builtin_bswap16(v); }
inline uint32_t Swap(uint32_t v) { return __builtin_bswap32(v); }
inline uint64_t Swap(uint64_t v) { return __builtin_bswap64(v); }

// n (1..56) bits at the position, most significant first; the caller checked the limit.
inline uint64_t PeekBits(const TvxBitCursor& c, unsigned n) {
  const uint64_t byte = c.Pos >> 3;
  const unsigned bit = unsigned(c.Pos & 7);
  if (byte + 8 <= (c.End + 7) >> 3) {
    uint64_t w;
    std::memcpy(&w, c.Data + byte, 8);
    w = Swap(w) << bit;
    return w >> (64 - n);
  }
  // Near the end of the buffer: only the bytes the value covers.
  uint64_t w = 0;
  const uint64_t last = (c.Pos + n - 1) >> 3;
  for (uint64_t i = byte; i <= last; ++i) w = (w << 8) | c.Data[i];
  const unsigned total = unsigned(last - byte + 1) * 8;
  return (w >> (total - bit - n)) & ((uint64_t(1) << n) - 1);
}

}  // namespace dwgbits_detail

// n bits (0..56) as an unsigned number, first bit most significant.
inline uint64_t ReadBits(TvxBitCursor& c, unsigned n) {
  if (n == 0) return 0;
  if (n > c.End - c.Pos) {
    c.Fail();
    return 0;
  }
  const uint64_t v = dwgbits_detail::PeekBits(c, n);
  c.Pos += n;
  return v;
}

inline unsigned ReadBit(TvxBitCursor& c) { return unsigned(ReadBits(c, 1)); }
inline unsigned ReadBB(TvxBitCursor& c) { return unsigned(ReadBits(c, 2)); }
inline unsigned Read3B(TvxBitCursor& c) { return unsigned(ReadBits(c, 3)); }
inline uint8_t ReadRC(TvxBitCursor& c) { return uint8_t(ReadBits(c, 8)); }
inline uint16_t ReadRS(TvxBitCursor& c) { return dwgbits_detail::Swap(uint16_t(ReadBits(c, 16))); }
inline uint32_t ReadRL(TvxBitCursor& c) { return dwgbits_detail::Swap(uint32_t(ReadBits(c, 32))); }
// The 8 raw bytes of an RD as a little-endian 64-bit number.
inline uint64_t ReadRaw64(TvxBitCursor& c) {
  const uint64_t hi = ReadBits(c, 32);
  const uint64_t lo = ReadBits(c, 32);
  return dwgbits_detail::Swap((hi << 32) | lo);
}
inline uint16_t ReadCRC8(TvxBitCursor& c) { return ReadRS(c); }

// NaN and magnitudes above 1e101 (infinities included) become 0.0.
inline double SanitizeDouble(double v) { return (std::isnan(v) || std::fabs(v) > 1e101) ? 0.0 : v; }
inline double DoubleOfBits(uint64_t bits) {
  double d;
  std::memcpy(&d, &bits, 8);
  return SanitizeDouble(d);
}

inline double ReadRD(TvxBitCursor& c) { return DoubleOfBits(ReadRaw64(c)); }
inline TFPoint Read2RD(TvxBitCursor& c) {
  const double x = ReadRD(c);
  return {x, ReadRD(c), 0};
}
inline TFPoint Read3RD(TvxBitCursor& c) {
  const double x = ReadRD(c);
  const double y = ReadRD(c);
  return {x, y, ReadRD(c)};
}

inline uint16_t ReadBS(TvxBitCursor& c) {
  switch (ReadBB(c)) {
    case 0: return ReadRS(c);
    case 1: return ReadRC(c);
    case 2: return 0;
    default: return 256;
  }
}
inline uint32_t ReadBL(TvxBitCursor& c) {
  switch (ReadBB(c)) {
    case 0: return ReadRL(c);
    case 1: return ReadRC(c);
    default: return 0;
  }
}
// 3B byte count n (0..7), then n bytes little-endian.
inline uint64_t ReadBLL(TvxBitCursor& c) {
  const unsigned n = Read3B(c);
  uint64_t v = 0;
  for (unsigned i = 0; i < n; ++i) v |= uint64_t(ReadRC(c)) << (8 * i);
  return v;
}
inline double ReadBD(TvxBitCursor& c) {
  switch (ReadBB(c)) {
    case 0: return ReadRD(c);
    case 1: return 1.0;
    default: return 0.0;
  }
}
inline TFPoint Read2BD(TvxBitCursor& c) {
  const double x = ReadBD(c);
  return {x, ReadBD(c), 0};
}
inline TFPoint Read3BD(TvxBitCursor& c) {
  const double x = ReadBD(c);
  const double y = ReadBD(c);
  return {x, y, ReadBD(c)};
}

// A double patched over a default: BB 0 the default, 1 its low four bytes replaced, 2 bytes 4..5
// then 0..3 replaced, 3 a whole RD.
inline double ReadDD(TvxBitCursor& c, double def) {
  uint64_t bits;
  std::memcpy(&bits, &def, 8);
  switch (ReadBB(c)) {
    case 0: return SanitizeDouble(def);
    case 1: {
      const uint64_t lo = ReadRL(c);
      bits = (bits & 0xFFFFFFFF00000000ull) | lo;
      break;
    }
    case 2: {
      const uint64_t mid = ReadRS(c);
      const uint64_t lo = ReadRL(c);
      bits = (bits & 0xFFFF000000000000ull) | (mid << 32) | lo;
      break;
    }
    default: bits = ReadRaw64(c); break;
  }
  return DoubleOfBits(bits);
}

// Thickness: from 2000 a bit 1 means 0.0; otherwise (and before 2000) a BD.
inline double ReadBT(TvxBitCursor& c, TvxDWGVersion v) {
  if (v >= acR2000 && ReadBit(c)) return 0.0;
  return ReadBD(c);
}
// Extrusion: from 2000 a bit 1 means (0, 0, 1); otherwise (and before 2000) a 3BD.
inline TFPoint ReadBE(TvxBitCursor& c, TvxDWGVersion v) {
  if (v >= acR2000 && ReadBit(c)) return {0, 0, 1};
  return Read3BD(c);
}
// Object type: a BS before 2010; from 2010 BB 0 RC, 1 RC + 0x1F0, 2 and 3 RS.
inline unsigned ReadOT(TvxBitCursor& c, TvxDWGVersion v) {
  if (v < acR2010) return ReadBS(c);
  switch (ReadBB(c)) {
    case 0: return ReadRC(c);
    case 1: return ReadRC(c) + 0x1F0u;
    default: return ReadRS(c);
  }
}

// Modular char, signed. A value longer than five bytes is not a value of this format: the cursor
// fails instead of shifting past 32 bits.
int64_t ReadMC(TvxBitCursor& c);
// Modular char, unsigned; contributions at shift 64 or more are dropped (at most ten bytes are
// taken, then the cursor fails).
uint64_t ReadUMC(TvxBitCursor& c);
// Modular short: 15 bits per little-endian word; a fourth or later word adds nothing.
uint32_t ReadMS(TvxBitCursor& c);

// A handle reference: the code (high nibble of the first byte) and the handle it gives, relative
// codes (6, 8, 0xA, 0xC) applied to the reference handle.
struct TdwgHandleRef {
  uint8_t Code = 0;
  uint64_t Handle = 0;
};
TdwgHandleRef ReadHandle(TvxBitCursor& c, uint64_t reference);
// The handle a code gives for a stored number relative to a reference.
uint64_t ApplyHandleCode(uint8_t code, uint64_t value, uint64_t reference);

// Field codes of SkipBySignature.
enum TdwgSkipCode : uint8_t {
  skB, skBB, skBS, skBL, skBD, sk2RD, sk3RD, sk2BD, sk3BD, skRS, skRC, skRL, skCMC2004, skBLL
};
// Passes over count fields described by one code each (codes above 13 skip nothing); runs of
// fixed-size fields are passed in one step.
void SkipBySignature(TvxBitCursor& c, const uint8_t* codes, size_t count);

// The RC line-weight index of an entity or layer in millimetres (negative values are the by-layer,
// by-block and default codes).
double DWGLineWeight(unsigned index);

// CRC-16 with the reflected polynomial 0xA001, from a seed.
uint16_t DWGCrc16(uint16_t seed, const uint8_t* data, size_t size);
constexpr uint16_t cnstDWGCrcSeed = 0xC0C1;
// The reflected CRC-32 (polynomial 0xEDB88320) from seed 0.
uint32_t DWGCrc32(const uint8_t* data, size_t size);

}  // namespace vx
