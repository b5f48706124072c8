#include "readers/dxf/vxDXFNumbers.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace vx {

namespace {

inline bool IsDigit(uint8_t c) { return c >= '0' && c <= '9'; }
inline bool IsLineEnd(uint8_t c) { return c == '\r' || c == '\n'; }

// The common ending rule of the numeric lines. True when the value stands: the line ends here, or
// only blanks follow the number (then anything after the blanks is skipped as well, so the pair
// boundaries stay in step). Any other byte voids the value and the rest of the line is skipped.
bool EndOfNumber(const uint8_t*& p, const uint8_t* end) {
  if (p >= end || IsLineEnd(*p)) return true;
  if (*p == ' ') {
    while (p < end && *p == ' ') ++p;
    SkipDXFLine(p, end);
    return true;
  }
  SkipDXFLine(p, end);
  return false;
}

// Digits beyond this many are only counted (into the exponent) and remembered as "something
// non-zero followed"; 40 significant digits plus that sticky digit round like the full text.
constexpr int kMaxMantissa = 40;
constexpr int64_t kMaxExponent = 100000;  // far beyond any double; keeps the sums in range

struct Mantissa {
  char digits[kMaxMantissa + 1];
  int count = 0;
  int64_t exponent = 0;  // decimal exponent of the last kept digit
  bool sticky = false;
  uint64_t value = 0;    // the kept digits as an integer while there are at most 19

  void Add(uint8_t c, bool fraction) {
    if (count == 0 && c == '0') {  // leading zeros carry no precision
      if (fraction) --exponent;
      return;
    }
    if (count < kMaxMantissa) {
      if (count < 19) value = value * 10 + (c - '0');
      digits[count++] = static_cast<char>(c);
      if (fraction) --exponent;
    } else {
      if (!fraction) ++exponent;
      if (c != '0') sticky = true;
    }
  }

  // Correctly rounded value of digits x 10^(exponent + extra); 0 when out of the double range.
  double Value(int64_t extra) const {
    if (count == 0) return 0.0;
    int64_t e = exponent + extra;
    // The common case of drawing files (at most 15 or so digits, a small exponent): the digits
    // and the power of ten are exact doubles, so one multiplication or division rounds
    // correctly, exactly as the full conversion below would.
    static constexpr double kPow10[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                        1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                        1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    if (count <= 19 && value <= (uint64_t{1} << 53) && e >= -22 && e <= 22) {
      const double w = static_cast<double>(value);
      return e < 0 ? w / kPow10[-e] : w * kPow10[e];
    }
    char buf[kMaxMantissa + 32];
    int n = 0;
    for (int i = 0; i < count; ++i) buf[n++] = digits[i];
    if (sticky) {
      buf[n++] = '1';
      --e;
    }
    buf[n++] = 'e';
    auto [ptr, ec] = std::to_chars(buf + n, buf + sizeof(buf), e);
    if (ec != std::errc()) return 0.0;
    double v = 0.0;
    auto res = std::from_chars(buf, ptr, v, std::chars_format::scientific);
    if (res.ec != std::errc() || !std::isfinite(v)) return 0.0;
    return v;
  }
};

}  // namespace

int32_t ScanDXFIntGeneral(const uint8_t*& p, const uint8_t* end) {
  bool negative = false;
  if (p < end && (*p == '-' || *p == '+')) {
    negative = *p == '-';
    ++p;
  }
  constexpr int64_t kCap = int64_t(std::numeric_limits<int32_t>::max()) + 1;
  int64_t v = 0;
  while (p < end && IsDigit(*p)) {
    if (v < kCap) v = v * 10 + (*p - '0');
    ++p;
  }
  if (!EndOfNumber(p, end)) return 0;
  if (v > kCap) v = kCap;
  if (negative) return static_cast<int32_t>(-v);  // -2^31 fits
  return v >= kCap ? std::numeric_limits<int32_t>::max() : static_cast<int32_t>(v);
}

namespace {

// The general scan: any separator, skipped bytes after it, any number of digits.
double ScanRealSlow(const uint8_t*& p, const uint8_t* end, bool negative) {
  Mantissa m;
  while (p < end && IsDigit(*p)) m.Add(*p++, false);
  if (p < end && (*p == '.' || *p == ',')) {
    ++p;
    while (p < end && !IsLineEnd(*p) && !IsDigit(*p) && *p != 'E' && *p != 'e') ++p;
    while (p < end && IsDigit(*p)) m.Add(*p++, true);
  }
  int64_t written = 0;
  if (p < end && (*p == 'E' || *p == 'e')) {
    ++p;
    bool negExp = false;
    if (p < end && (*p == '-' || *p == '+')) {
      negExp = *p == '-';
      ++p;
    }
    while (p < end && IsDigit(*p)) {
      if (written < kMaxExponent) written = written * 10 + (*p - '0');
      ++p;
    }
    if (negExp) written = -written;
  }
  if (!EndOfNumber(p, end)) return 0.0;
  double v = m.Value(written);
  return negative ? -v : v;
}

}  // namespace

double ScanDXFReal(const uint8_t*& p, const uint8_t* end) {
  bool negative = false;
  if (p < end && (*p == '-' || *p == '+')) {
    negative = *p == '-';
    ++p;
  }
  // Nearly every real in a file is plain digits, ".", digits and maybe an exponent: those are
  // converted straight from the buffer. With at most kMaxMantissa digits the text holds no
  // more than the general scan keeps, so both round the same decimal value the same way.
  const uint8_t* const start = p;
  const uint8_t* q = p;
  int digits = 0;
  while (q < end && IsDigit(*q)) ++q;
  digits += static_cast<int>(q - start);
  if (q < end && *q == '.') {
    const uint8_t* f = ++q;
    while (q < end && IsDigit(*q)) ++q;
    digits += static_cast<int>(q - f);
  }
  bool plain = digits > 0 && digits <= kMaxMantissa;
  if (plain && q < end && (*q == 'E' || *q == 'e')) {
    const uint8_t* e = q + 1;
    if (e < end && (*e == '-' || *e == '+')) ++e;
    const uint8_t* ed = e;
    while (e < end && IsDigit(*e)) ++e;
    // from_chars needs exponent digits; "1e" is left to the general scan
    if (e == ed || e - ed > 6) plain = false;
    q = e;
  }
  if (plain && (q >= end || IsLineEnd(*q) || *q == ' ')) {
    double v = 0.0;
    const char* b = reinterpret_cast<const char*>(start);
    const char* e = reinterpret_cast<const char*>(q);
    const auto res = std::from_chars(b, e, v, std::chars_format::general);
    if (res.ec == std::errc() && res.ptr == e && std::isfinite(v)) {
      p = q;
      EndOfNumber(p, end);
      return negative ? -v : v;
    }
  }
  p = start;
  return ScanRealSlow(p, end, negative);
}

uint64_t ScanDXFHex(const uint8_t*& p, const uint8_t* end) {
  uint64_t v = 0;
  bool saturated = false;
  for (; p < end; ++p) {
    uint8_t c = *p;
    unsigned d;
    if (c >= '0' && c <= '9') d = c - '0';
    else if (c >= 'A' && c <= 'F') d = c - 'A' + 10;
    else if (c >= 'a' && c <= 'f') d = c - 'a' + 10;
    else break;
    if (v > (std::numeric_limits<uint64_t>::max() >> 4)) saturated = true;
    v = (v << 4) | d;
  }
  if (!EndOfNumber(p, end)) return 0;
  return saturated ? std::numeric_limits<uint64_t>::max() : v;
}

std::string_view TrimDXF(std::string_view s) {
  size_t b = 0, e = s.size();
  while (b < e && static_cast<uint8_t>(s[b]) <= 0x20) ++b;
  while (e > b && static_cast<uint8_t>(s[e - 1]) <= 0x20) --e;
  return s.substr(b, e - b);
}

namespace {

// Whole-string decimal integer, saturating to [lo, hi]; false when any byte is not part of it.
bool StrToIntRange(std::string_view s, int64_t lo, int64_t hi, int64_t& out) {
  s = TrimDXF(s);
  size_t i = 0;
  bool negative = false;
  if (i < s.size() && (s[i] == '-' || s[i] == '+')) negative = s[i++] == '-';
  if (i == s.size()) return false;
  uint64_t v = 0;
  const uint64_t cap = negative ? uint64_t(-(lo + 1)) + 1 : uint64_t(hi);
  for (; i < s.size(); ++i) {
    if (!IsDigit(static_cast<uint8_t>(s[i]))) return false;
    if (v > cap / 10) v = cap + 1;  // saturated; stays above cap
    else v = v * 10 + unsigned(s[i] - '0');
  }
  if (v > cap) v = cap;
  out = negative ? (v == 0 ? 0 : -int64_t(v - 1) - 1) : int64_t(v);
  return true;
}

}  // namespace

int32_t DXFStrToInt(std::string_view s) {
  int64_t v = 0;
  if (!StrToIntRange(s, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max(), v))
    return 0;
  return static_cast<int32_t>(v);
}

int64_t DXFStrToInt64(std::string_view s) {
  int64_t v = 0;
  if (!StrToIntRange(s, std::numeric_limits<int64_t>::min(), std::numeric_limits<int64_t>::max(), v))
    return 0;
  return v;
}

uint64_t DXFStrToHandle(std::string_view s) {
  s = TrimDXF(s);
  if (s.empty()) return 0;
  uint64_t v = 0;
  bool saturated = false;
  for (char ch : s) {
    uint8_t c = static_cast<uint8_t>(ch);
    unsigned d;
    if (c >= '0' && c <= '9') d = c - '0';
    else if (c >= 'A' && c <= 'F') d = c - 'A' + 10;
    else if (c >= 'a' && c <= 'f') d = c - 'a' + 10;
    else return 0;
    if (v > (std::numeric_limits<uint64_t>::max() >> 4)) saturated = true;
    v = (v << 4) | d;
  }
  return saturated ? std::numeric_limits<uint64_t>::max() : v;
}

double DXFStrToFloat(std::string_view s) {
  s = TrimDXF(s);
  const char* b = s.data();
  const char* e = b + s.size();
  if (b != e && *b == '+') ++b;  // from_chars takes no plus sign
  if (b != e && *b == '+') return 0.0;
  if (b != e && *b == '-' && b + 1 != e && b[1] == '+') return 0.0;
  double v = 0.0;
  auto res = std::from_chars(b, e, v, std::chars_format::general);
  if (res.ec != std::errc() || !std::isfinite(v)) return 0.0;
  return v;
}

}  // namespace vx
