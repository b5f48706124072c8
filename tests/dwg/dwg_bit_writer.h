// A bit writer for hand-made DWG streams in tests: the codes of the reader, written the way the
// format stores them (most significant bit first, multi-byte values little-endian).
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace vx::test {

class TBitWriter {
 public:
  std::vector<uint8_t> Bytes;
  uint64_t Size = 0;  // bits written

  TBitWriter& Bits(uint64_t v, unsigned n) {
    for (unsigned i = n; i-- > 0;) {
      if (Size % 8 == 0) Bytes.push_back(0);
      if ((v >> i) & 1) Bytes.back() |= uint8_t(0x80 >> (Size % 8));
      ++Size;
    }
    return *this;
  }
  TBitWriter& B(unsigned v) { return Bits(v, 1); }
  TBitWriter& BB(unsigned v) { return Bits(v, 2); }
  TBitWriter& RC(unsigned v) { return Bits(v & 0xFF, 8); }
  TBitWriter& RS(unsigned v) { return RC(v).RC(v >> 8); }
  TBitWriter& RL(uint32_t v) { return RS(v & 0xFFFF).RS(v >> 16); }
  TBitWriter& Raw64(uint64_t v) { return RL(uint32_t(v)).RL(uint32_t(v >> 32)); }
  TBitWriter& RD(double d) {
    uint64_t v;
    std::memcpy(&v, &d, 8);
    return Raw64(v);
  }
  // The shortest form, as a writer would choose.
  TBitWriter& BS(unsigned v) {
    if (v == 0) return BB(2);
    if (v == 256) return BB(3);
    if (v < 256) return BB(1).RC(v);
    return BB(0).RS(v);
  }
  TBitWriter& BL(uint32_t v) {
    if (v == 0) return BB(2);
    if (v < 256) return BB(1).RC(v);
    return BB(0).RL(v);
  }
  TBitWriter& BD(double d) {
    if (d == 1.0) return BB(1);
    if (d == 0.0) return BB(2);
    return BB(0).RD(d);
  }
  TBitWriter& BD3(double x, double y, double z) { return BD(x).BD(y).BD(z); }
  TBitWriter& RD2(double x, double y) { return RD(x).RD(y); }
  // DD written as a full RD (prefix 3) unless it equals the default (prefix 0).
  TBitWriter& DD(double d, double def) { return d == def ? BB(0) : BB(3).RD(d); }
  // A handle reference with the number stored in the fewest bytes.
  TBitWriter& H(unsigned code, uint64_t value) {
    unsigned n = 0;
    for (uint64_t v = value; v; v >>= 8) ++n;
    RC((code << 4) | n);
    for (unsigned i = n; i-- > 0;) RC(unsigned(value >> (8 * i)));
    return *this;
  }
  // TV in 8-bit characters.
  TBitWriter& TV(const std::string& s) {
    BS(unsigned(s.size()));
    for (unsigned char ch : s) RC(ch);
    return *this;
  }
  // TV in UTF-16 (ASCII text only).
  TBitWriter& TVU(const std::string& s) {
    BS(unsigned(s.size()));
    for (unsigned char ch : s) RS(ch);
    return *this;
  }
  TBitWriter& Align() {
    while (Size % 8) B(0);
    return *this;
  }
  // Bytes plus padding so that a reader's fast paths stay inside the buffer.
  std::vector<uint8_t> Padded(size_t pad = 0) const {
    std::vector<uint8_t> b = Bytes;
    b.resize(b.size() + pad, 0);
    return b;
  }
};

}  // namespace vx::test
