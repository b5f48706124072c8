// The 2007 decompressor and its literal reordering.
#include "readers/dwg/paged/vxDWG2007.h"

#include <cstring>

namespace vx {

namespace {

[[noreturn]] void Corrupted() { throw TvxDWGCompressorError(cnstDWGHeaderCorrupted); }

// Remainder orders of the format, r = 1..31.
constexpr uint8_t cnstOrders[31][31] = {
    {0},
    {1, 0},
    {2, 1, 0},
    {0, 1, 2, 3},
    {4, 0, 1, 2, 3},
    {5, 1, 2, 3, 4, 0},
    {6, 5, 1, 2, 3, 4, 0},
    {0, 1, 2, 3, 4, 5, 6, 7},
    {8, 0, 1, 2, 3, 4, 5, 6, 7},
    {9, 1, 2, 3, 4, 5, 6, 7, 8, 0},
    {10, 9, 1, 2, 3, 4, 5, 6, 7, 8, 0},
    {8, 9, 10, 11, 0, 1, 2, 3, 4, 5, 6, 7},
    {12, 8, 9, 10, 11, 0, 1, 2, 3, 4, 5, 6, 7},
    {13, 9, 10, 11, 12, 1, 2, 3, 4, 5, 6, 7, 8, 0},
    {14, 13, 9, 10, 11, 12, 1, 2, 3, 4, 5, 6, 7, 8, 0},
    {8, 9, 10, 11, 12, 13, 14, 15, 0, 1, 2, 3, 4, 5, 6, 7},
    {9, 10, 11, 12, 13, 14, 15, 16, 8, 0, 1, 2, 3, 4, 5, 6, 7},
    {17, 9, 10, 11, 12, 13, 14, 15, 16, 1, 2, 3, 4, 5, 6, 7, 8, 0},
    {18, 17, 16, 8, 9, 10, 11, 12, 13, 14, 15, 0, 1, 2, 3, 4, 5, 6, 7},
    {16, 17, 18, 19, 8, 9, 10, 11, 12, 13, 14, 15, 0, 1, 2, 3, 4, 5, 6, 7},
    {20, 16, 17, 18, 19, 8, 9, 10, 11, 12, 13, 14, 15, 0, 1, 2, 3, 4, 5, 6, 7},
    {21, 20, 16, 17, 18, 19, 8, 9, 10, 11, 12, 13, 14, 15, 0, 1, 2, 3, 4, 5, 6, 7},
    {22, 21, 20, 16, 17, 18, 19, 8, 9, 10, 11, 12, 13, 14, 15, 0, 1, 2, 3, 4, 5, 6, 7},
    {16, 17, 18, 19, 20, 21, 22, 23, 8, 9, 10, 11, 12, 13, 14, 15, 0, 1, 2, 3, 4, 5, 6, 7},
    {17, 18, 19, 20, 21, 22, 23, 24, 16, 8, 9, 10, 11, 12, 13, 14, 15, 0, 1, 2, 3, 4, 5, 6, 7},
    {25, 17, 18, 19, 20, 21, 22, 23, 24, 16, 8, 9, 10, 11, 12, 13, 14, 15, 0, 1, 2, 3, 4, 5, 6, 7},
    {26, 25, 17, 18, 19, 20, 21, 22, 23, 24, 16, 8, 9, 10, 11, 12, 13, 14, 15, 0, 1, 2, 3, 4, 5, 6, 7},
    {24, 25, 26, 27, 16, 17, 18, 19, 20, 21, 22, 23, 8, 9, 10, 11, 12, 13, 14, 15, 0, 1, 2, 3, 4, 5, 6, 7},
    {28, 24, 25, 26, 27, 16, 17, 18, 19, 20, 21, 22, 23, 8, 9, 10, 11, 12, 13, 14, 15, 0, 1, 2, 3, 4, 5, 6, 7},
    {29, 28, 24, 25, 26, 27, 16, 17, 18, 19, 20, 21, 22, 23, 8, 9, 10, 11, 12, 13, 14, 15, 0, 1, 2, 3, 4, 5, 6, 7},
    {30, 26, 27, 28, 29, 18, 19, 20, 21, 22, 23, 24, 25, 10, 11, 12, 13, 14, 15, 16, 17, 2, 3, 4, 5, 6, 7, 8, 9, 1, 0},
};

}  // namespace

const uint8_t* DWG2007LiteralOrder(unsigned r) { return r >= 1 && r <= 31 ? cnstOrders[r - 1] : nullptr; }

uint8_t TvxDWG2007Decompressor::Byte() {
  if (FSrc >= FSrcEnd) Corrupted();
  return *FSrc++;
}

void TvxDWG2007Decompressor::Literal(size_t n) {
  const uint8_t* s = FSrc;
  uint8_t* d = FDst;
  size_t left = n;
  for (; left >= 32; left -= 32, s += 32, d += 32) {
    std::memcpy(d, s + 24, 8);
    std::memcpy(d + 8, s + 16, 8);
    std::memcpy(d + 16, s + 8, 8);
    std::memcpy(d + 24, s, 8);
  }
  if (left) {
    const uint8_t* order = cnstOrders[left - 1];
    for (size_t i = 0; i < left; ++i) d[i] = s[order[i]];
  }
  FSrc += n;
  FDst += n;
}

// Decodes the copy instruction in FOpCode into FLength and FOffset; FOpCode becomes the last byte
// read, whose low bits announce the next literal run.
void TvxDWG2007Decompressor::Instruction() {
  const uint8_t op = FOpCode;
  if (op < 0x10) {
    const uint8_t b = Byte(), n = Byte();
    FLength = size_t(op & 0x0F) + 0x13 + ((n >> 3) & 0x10);
    FOffset = (size_t(n & 0x78) << 5) + b + 1;
    FOpCode = n;
  } else if (op < 0x20) {
    const uint8_t b = Byte(), n = Byte();
    FLength = size_t(op & 0x0F) + 3;
    FOffset = (size_t(n & 0xF8) << 5) + b + 1;
    FOpCode = n;
  } else if (op < 0x28) {
    const uint8_t b = Byte(), c = Byte(), n = Byte();
    FOffset = size_t(b) | (size_t(c) << 8);
    FLength = size_t(op & 7) | size_t(n & 0xF8);
    FOpCode = n;
  } else if (op < 0x30) {
    const uint8_t b = Byte(), c = Byte(), e = Byte(), n = Byte();
    FOffset = (size_t(b) | (size_t(c) << 8)) + 1;
    FLength = size_t(op & 7) + size_t(e) * 8 + (size_t(n & 0xF8) << 8) + 0x100;
    FOpCode = n;
  } else {
    const uint8_t n = Byte();
    FLength = op >> 4;
    FOffset = (size_t(n & 0xF8) << 1) + (op & 0x0F) + 1;
    FOpCode = n;
  }
}

// Copies FLength bytes from FOffset back; false when the output end cut the copy.
bool TvxDWG2007Decompressor::Copy() {
  const size_t produced = size_t(FDst - FDstStart);
  if (FOffset == 0 || FOffset > produced) Corrupted();
  const size_t room = size_t(FDstEnd - FDst);
  const size_t n = FLength < room ? FLength : room;
  const uint8_t* from = FDst - FOffset;
  for (size_t i = 0; i < n; ++i) FDst[i] = from[i];  // overlapping copies repeat the pattern
  FDst += n;
  return n == FLength && FDst < FDstEnd;
}

size_t TvxDWG2007Decompressor::Decompress(const uint8_t* source, size_t sourceSize, size_t destSize,
                                          uint8_t* dest) {
  if (!source || !dest || sourceSize == 0 || destSize == 0) Corrupted();
  FSrc = source;
  FSrcEnd = source + sourceSize;
  FDst = FDstStart = dest;
  FDstEnd = dest + destSize;
  Clear();
  FOpCode = Byte();
  size_t literal = 0;
  if ((FOpCode & 0xF0) == 0x20) {
    Byte();
    Byte();
    literal = Byte() & 7;
    if (literal == 0) Corrupted();
  }
  while (FSrc < FSrcEnd) {
    if (literal == 0) {
      if (FOpCode >= 0x10) Corrupted();
      literal = size_t(FOpCode) + 8;
      if (FOpCode == 0x0F) {
        const uint8_t b = Byte();
        literal += b;
        if (b == 0xFF) {
          for (;;) {
            const uint8_t lo = Byte(), hi = Byte();
            literal += size_t(lo) | (size_t(hi) << 8);
            if (lo != 0xFF || hi != 0xFF) break;
          }
        }
      }
    }
    if (literal > size_t(FSrcEnd - FSrc)) Corrupted();
    if (literal > size_t(FDstEnd - FDst)) break;  // the output is full
    Literal(literal);
    literal = 0;
    if (FDst >= FDstEnd || FSrc >= FSrcEnd) break;
    FOpCode = Byte();
    for (;;) {
      Instruction();
      if (!Copy()) return size_t(FDst - FDstStart);
      literal = FOpCode & 7;
      if (literal != 0 || FSrc >= FSrcEnd) break;
      FOpCode = Byte();
      if (FOpCode < 0x10) break;          // a literal run follows
      if (FOpCode >= 0xF0) FOpCode &= 0x0F;  // the long form of a copy
    }
  }
  return size_t(FDst - FDstStart);
}

}  // namespace vx
