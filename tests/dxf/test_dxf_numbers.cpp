// Number scanners of the DXF reader: the quirks of the format (1,5 and 1.#QNAN0), malformed lines,
// and the limits (saturation, non-finite values, reads bounded by the end pointer).
#include "readers/dxf/vxDXFNumbers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <memory>
#include <string>

using namespace vx;

namespace {

// Scans from a heap copy of exactly the line's bytes, so ASan sees any read past the end; returns
// the value and where the scan stopped.
template <typename F>
auto Scan(const std::string& line, F scan, size_t* stop = nullptr) {
  std::unique_ptr<uint8_t[]> buf(new uint8_t[line.size() + 1]);
  std::copy(line.begin(), line.end(), buf.get());
  const uint8_t* p = buf.get();
  const uint8_t* end = p + line.size();
  auto v = scan(p, end);
  if (stop) *stop = static_cast<size_t>(p - buf.get());
  return v;
}

constexpr int32_t kIntMax = std::numeric_limits<int32_t>::max();
constexpr int32_t kIntMin = std::numeric_limits<int32_t>::min();

}  // namespace

TEST(DXFNumbers, RealLines) {
  struct Case { const char* in; double want; };
  const std::string many1s = "0." + std::string(400, '1');
  const std::string bigInt = "123456789012345678901234567890123456789012345678901234567890";
  for (const Case& c : std::initializer_list<Case>{
           {"1.5", 1.5}, {"1.5 ", 1.5}, {"1.5   x", 1.5}, {"1,5", 1.5}, {"1.#QNAN0", 1.0},
           {"1.5e+2", 150.0}, {"-2.5E-1", -0.25}, {"+3", 3.0}, {".5", 0.5}, {"5.", 5.0},
           {"0.1", 0.1}, {"0.30000000000000004", 0.30000000000000004},
           {"1.7976931348623157e308", 1.7976931348623157e308}, {"4.9e-324", 4.9e-324},
           {"1e400", 0.0}, {"1.8e308", 0.0}, {"-1e400", 0.0}, {"1e-400", 0.0},
           {"1e99999999999999999999", 0.0}, {"nan", 0.0}, {"inf", 0.0}, {"-", 0.0}, {"", 0.0},
           {"12abc", 0.0}, {"1.5x", 0.0}, {"abc", 0.0}, {"1e5x", 0.0}, {"\t1.5", 0.0},
           {many1s.c_str(), 0.11111111111111111}, {bigInt.c_str(), 1.2345678901234568e59}}) {
    EXPECT_DOUBLE_EQ(Scan(c.in, ScanDXFReal), c.want) << c.in;
  }
}

TEST(DXFNumbers, RealIsCorrectlyRounded) {
  // digit-by-digit accumulation would be off in the last bits for these
  for (const char* s : {"0.1", "2.2250738585072014e-308", "9007199254740993", "1.00000000000000011102230246251565404236316680908203125",
                        "123.456", "0.000001234567890123456789"}) {
    EXPECT_EQ(Scan(s, ScanDXFReal), std::strtod(s, nullptr)) << s;
  }
}

TEST(DXFNumbers, IntegerLines) {
  struct Case { const char* in; int32_t want; };
  for (const Case& c : std::initializer_list<Case>{
           {"5", 5}, {"-5", -5}, {"+5", 5}, {"5 ", 5}, {"5  x", 5}, {"0070", 70}, {"5x", 0},
           {"1.5", 0}, {"", 0}, {"-", 0}, {"x", 0}, {"2147483647", kIntMax},
           {"2147483648", kIntMax}, {"-2147483648", kIntMin}, {"-2147483649", kIntMin},
           {"99999999999999999999999999", kIntMax}, {"-99999999999999999999999999", kIntMin}}) {
    EXPECT_EQ(Scan(c.in, ScanDXFInt), c.want) << c.in;
  }
}

TEST(DXFNumbers, HandleLines) {
  struct Case { const char* in; uint64_t want; };
  for (const Case& c : std::initializer_list<Case>{
           {"1F", 0x1F}, {"abc", 0xABC}, {"12 ", 0x12}, {"12z", 0}, {"G1", 0}, {"", 0},
           {"FFFFFFFFFFFFFFFF", ~0ull}, {"1FFFFFFFFFFFFFFFF", ~0ull}, {"0000000000000000001", 1}}) {
    EXPECT_EQ(Scan(c.in, ScanDXFHex), c.want) << c.in;
  }
}

TEST(DXFNumbers, ScanStopsAtTheLineEndWhateverTheLineHolds) {
  // a malformed number, or junk after blanks, must not leave the scan inside the line: the rest
  // would be taken for the next code line
  struct Case { const char* in; size_t stop; };
  for (const Case& c : std::initializer_list<Case>{
           {"12abc\n10", 5}, {"5  x\r\n", 4}, {"1.5 zz\n", 6}, {"1.5", 3}, {"1e5x\r", 4}}) {
    size_t stop = 0;
    Scan(c.in, ScanDXFReal, &stop);
    EXPECT_EQ(stop, c.stop) << c.in;
    Scan(c.in, ScanDXFInt, &stop);
    EXPECT_EQ(stop, c.stop) << c.in;
  }
}

TEST(DXFNumbers, WholeStringConversions) {
  EXPECT_EQ(DXFStrToInt(" 42 "), 42);
  EXPECT_EQ(DXFStrToInt("-7"), -7);
  EXPECT_EQ(DXFStrToInt("4 2"), 0);
  EXPECT_EQ(DXFStrToInt("x"), 0);
  EXPECT_EQ(DXFStrToInt(""), 0);
  EXPECT_EQ(DXFStrToInt("99999999999"), kIntMax);
  EXPECT_EQ(DXFStrToInt("-99999999999"), kIntMin);
  EXPECT_EQ(DXFStrToInt64("-9223372036854775808"), std::numeric_limits<int64_t>::min());
  EXPECT_EQ(DXFStrToInt64("99999999999999999999999"), std::numeric_limits<int64_t>::max());
  EXPECT_EQ(DXFStrToInt64("1234567890123"), 1234567890123);

  struct Case { const char* in; double want; };
  for (const Case& c : std::initializer_list<Case>{
           {" 2.5mm ", 2.5}, {"1,5", 1.0}, {"+1.5", 1.5}, {"-0.25", -0.25}, {"1e3", 1000.0},
           {"inf", 0.0}, {"nan", 0.0}, {"-1e400", 0.0}, {"abc", 0.0}, {"", 0.0}, {"++1", 0.0}}) {
    EXPECT_DOUBLE_EQ(DXFStrToFloat(c.in), c.want) << c.in;
  }

  EXPECT_EQ(DXFStrToHandle(" 1a2B "), 0x1A2Bu);
  EXPECT_EQ(DXFStrToHandle("12 34"), 0u);
  EXPECT_EQ(DXFStrToHandle(""), 0u);
  EXPECT_EQ(DXFStrToHandle("xyz"), 0u);
  EXPECT_EQ(DXFStrToHandle("123456789ABCDEF01"), ~0ull);
}
