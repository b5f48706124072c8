// Hand-made proxy graphic streams for the decoder and record tests.
#pragma once

#include <climits>
#include <cstdint>
#include <string>

namespace vx::proxytest {

// One command's data, little-endian.
struct Data {
  std::string B;
  Data& I(int32_t v) { return Raw(&v, 4); }
  Data& D(double v) { return Raw(&v, 8); }
  Data& P(double x, double y, double z) { return D(x).D(y).D(z); }
  Data& S8(const std::string& s) {  // padded 8-bit string
    B += s;
    B.append(1 + (4 - (s.size() + 1) % 4) % 4, '\0');
    return *this;
  }
  Data& S16(const std::u16string& s) {  // NUL-terminated, padded to 4 bytes
    for (char16_t c : s) Raw(&c, 2);
    const char16_t z = 0;
    Raw(&z, 2);
    if ((s.size() + 1) % 2) Raw(&z, 2);
    return *this;
  }
  Data& Zeros(size_t n) {
    B.append(n, '\0');
    return *this;
  }
  Data& Raw(const void* p, size_t n) {
    B.append(static_cast<const char*>(p), n);
    return *this;
  }
};

// A command stream: total size, command count, then (size, type, data) per command.
struct Stream {
  std::string Cmds;
  int32_t Count = 0;
  // size < 0: the true size.
  Stream& Add(int32_t type, const Data& d = {}, int32_t size = -1) {
    const int32_t s = size < 0 ? static_cast<int32_t>(d.B.size() + 8) : size;
    Cmds.append(reinterpret_cast<const char*>(&s), 4);
    Cmds.append(reinterpret_cast<const char*>(&type), 4);
    Cmds += d.B;
    ++Count;
    return *this;
  }
  std::string Bytes(int32_t count = INT32_MIN) const {
    std::string s;
    const int32_t total = static_cast<int32_t>(Cmds.size() + 8), n = count == INT32_MIN ? Count : count;
    s.append(reinterpret_cast<const char*>(&total), 4);
    s.append(reinterpret_cast<const char*>(&n), 4);
    return s + Cmds;
  }
};

// Upper-case hexadecimal text of bytes, as 310 chunks carry them.
inline std::string Hex(const std::string& bytes) {
  static const char* digits = "0123456789ABCDEF";
  std::string s;
  for (unsigned char c : bytes) {
    s += digits[c >> 4];
    s += digits[c & 15];
  }
  return s;
}

}  // namespace vx::proxytest
