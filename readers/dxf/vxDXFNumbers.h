// vxDXFNumbers: the locale-free number scanners of the DXF reader.
//
// The Scan* functions read one value from a text line in place, starting at p and never touching a
// byte at or beyond end; they leave p on the line end (CR, LF) or at end, so trailing junk after a
// number can never be taken for the next line. Malformed numbers never raise: they give 0.
// The DXFStrTo* functions convert a whole string (already decoded) for the typed accessors of pairs
// whose code has another value kind. No function here depends on the process locale, allocates, or
// overflows: integers saturate and non-finite reals become 0.
#pragma once

#include <cstdint>
#include <string_view>

namespace vx {

// Integer line: optional sign, decimal digits; CR/LF ends it, blanks after the digits are skipped
// and the value stands; any other byte gives 0. Saturates to the 32-bit range.
int32_t ScanDXFIntGeneral(const uint8_t*& p, const uint8_t* end);
// The same, with the common line (up to nine digits right before the line end) read in place:
// every pair starts with one.
inline int32_t ScanDXFInt(const uint8_t*& p, const uint8_t* end) {
  const uint8_t* q = p;
  const bool negative = q < end && *q == '-';
  if (negative) ++q;
  int32_t v = 0;
  const uint8_t* const first = q;
  while (q < end && q - first < 9 && *q >= '0' && *q <= '9') v = v * 10 + (*q++ - '0');
  if (q != first && q < end && (*q == '\r' || *q == '\n')) {
    p = q;
    return negative ? -v : v;
  }
  return ScanDXFIntGeneral(p, end);
}

// Real line: sign, digits, "." or "," fraction (bytes between the separator and the next digit,
// E/e or line end are ignored, so "1.#QNAN0" reads 1.0), E/e exponent. Correctly rounded; a value
// that does not fit a double, or a line with other bytes after the number, gives 0.
double ScanDXFReal(const uint8_t*& p, const uint8_t* end);

// Handle line: hexadecimal digits (either case) into 64 bits, with the integer ending rule.
// More than 16 significant digits saturate to the largest handle.
uint64_t ScanDXFHex(const uint8_t*& p, const uint8_t* end);

// Moves p to the next CR or LF, or to end.
inline void SkipDXFLine(const uint8_t*& p, const uint8_t* end) {
  while (p < end && *p != '\r' && *p != '\n') ++p;
}

// Bytes <= 0x20 removed from both ends (control characters and blanks).
std::string_view TrimDXF(std::string_view s);

// Whole-string conversions; the string is trimmed first. 0 when it does not convert.
int32_t DXFStrToInt(std::string_view s);     // decimal, saturating
int64_t DXFStrToInt64(std::string_view s);   // decimal, saturating
uint64_t DXFStrToHandle(std::string_view s); // hexadecimal, saturating
// Decimal real with "." as separator; the longest leading part that converts ("2.5mm" gives 2.5).
double DXFStrToFloat(std::string_view s);

}  // namespace vx
