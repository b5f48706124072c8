// Binary tokenizer on byte arrays built here: 2-byte codes, R12 1-byte codes with the 255 escape,
// every value layout (64-bit codes 160..169 and unlisted codes included), and clean errors on
// illegal codes and cut-off values.
#include "readers/dxf/DXF.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <sstream>
#include <string>

using namespace vx;

namespace {

// Builds a binary DXF file, signature included.
class BinFile {
 public:
  explicit BinFile(int codeSize) : FCodeSize(codeSize) {
    FBytes.assign(cnstDXFBinarySignature, cnstDXFBinarySignatureSize);
  }
  BinFile& Code(int code) {
    if (FCodeSize == 2) return Le(static_cast<uint64_t>(code), 2);
    if (code >= 255) {
      FBytes += '\xFF';
      return Le(static_cast<uint64_t>(code), 2);
    }
    FBytes += static_cast<char>(code);
    return *this;
  }
  BinFile& Str(int code, const std::string& s) {
    Code(code);
    FBytes += s;
    FBytes += '\0';
    return *this;
  }
  BinFile& Dbl(int code, double d) {
    uint64_t bits;
    std::memcpy(&bits, &d, 8);
    return Code(code).Le(bits, 8);
  }
  BinFile& Int(int code, int64_t v, int bytes) { return Code(code).Le(static_cast<uint64_t>(v), bytes); }
  BinFile& Chunk(int code, const std::string& bytes) {
    Code(code);
    FBytes += static_cast<char>(bytes.size());
    FBytes += bytes;
    return *this;
  }
  BinFile& Raw(const std::string& bytes) {
    FBytes += bytes;
    return *this;
  }
  const std::string& Bytes() const { return FBytes; }

 private:
  BinFile& Le(uint64_t v, int n) {
    for (int i = 0; i < n; ++i) FBytes += static_cast<char>((v >> (8 * i)) & 0xFF);
    return *this;
  }

  int FCodeSize;
  std::string FBytes;
};

// A heap copy of exactly the file's bytes, so ASan sees any read beyond them.
struct Buffer {
  explicit Buffer(const std::string& s) : size(s.size()), data(new uint8_t[s.size() ? s.size() : 1]) {
    std::memcpy(data.get(), s.data(), s.size());
  }
  size_t size;
  std::unique_ptr<uint8_t[]> data;
};

}  // namespace

TEST(DXFBinTokens, TwoByteCodesAndEveryLayout) {
  BinFile f(2);
  f.Str(0, "SECTION").Str(2, "HEADER").Str(9, "$ACADVER").Str(1, "AC1027")
      .Dbl(10, 1.5).Int(70, -2, 2).Int(90, -100000, 4).Int(160, 5000000000000, 8)
      .Int(290, 1, 1).Chunk(310, std::string("\x0A\xFF", 2)).Int(1071, 7, 4).Int(1070, -3, 2)
      .Chunk(1004, "AB").Str(999, "comment").Str(480, "1A").Int(400, 7, 2).Str(5, "1a2B")
      .Dbl(40, std::nan("")).Dbl(41, -HUGE_VAL).Str(0, "EOF");
  Buffer b(f.Bytes());
  auto r = CreateDXFTokenReader(b.data.get(), b.size);
  ASSERT_TRUE(r->IsBinary());
  EXPECT_EQ(static_cast<TdxfBinReader&>(*r).GroupCodeSize(), 2);

  auto next = [&r](int code) {
    r->Next();
    EXPECT_EQ(r->Code(), code);
    return r.get();
  };
  EXPECT_EQ(next(0)->Value(), "SECTION");
  EXPECT_EQ(next(2)->Value(), "HEADER");
  EXPECT_EQ(next(9)->Value(), "$ACADVER");
  EXPECT_EQ(next(1)->StrValue(), "AC1027");
  EXPECT_EQ(next(10)->FloatValue(), 1.5);
  EXPECT_EQ(r->Value(), "1.5");  // numeric values give their text on demand
  EXPECT_EQ(next(70)->IntValue(), -2);
  EXPECT_EQ(r->Value(), "-2");
  EXPECT_EQ(next(90)->IntValue(), -100000);
  EXPECT_EQ(next(160)->Int64Value(), 5000000000000);
  EXPECT_EQ(r->IntValue(), std::numeric_limits<int32_t>::max());  // saturated in 32 bits
  EXPECT_EQ(r->Value(), "5000000000000");
  EXPECT_EQ(next(290)->IntValue(), 1);
  EXPECT_EQ(next(310)->Value(), "0AFF");
  EXPECT_EQ(next(1071)->IntValue(), 7);
  EXPECT_EQ(next(1070)->IntValue(), -3);
  EXPECT_EQ(next(1004)->Value(), "4142");
  EXPECT_EQ(next(999)->Value(), "comment");  // unlisted codes are strings
  EXPECT_EQ(next(480)->Value(), "1A");
  EXPECT_EQ(next(400)->IntValue(), 7);
  EXPECT_EQ(next(5)->HandleValue(), 0x1A2Bu);
  EXPECT_EQ(next(40)->FloatValue(), 0.0);  // NaN
  EXPECT_EQ(next(41)->FloatValue(), 0.0);  // infinity
  next(0);
  EXPECT_TRUE(r->Eof());
  EXPECT_EQ(r->Value(), "EOF");
  r->Next();
  EXPECT_TRUE(r->AtEndPair());
  EXPECT_EQ(r->Value(), "SEQEND");
}

TEST(DXFBinTokens, OneByteCodesWith255Escape) {
  BinFile f(1);
  f.Str(0, "SECTION").Str(2, "ENTITIES").Dbl(10, 2.25).Int(70, 9, 2)
      .Str(1001, "APP").Str(1000, "xdata").Dbl(1040, -4.5).Int(1071, 123456, 4).Int(1070, 12, 2)
      .Str(0, "EOF");
  EXPECT_EQ(f.Bytes().substr(22, 2), std::string("\0S", 2));
  Buffer b(f.Bytes());
  auto r = CreateDXFTokenReader(b.data.get(), b.size);
  ASSERT_TRUE(r->IsBinary());
  EXPECT_EQ(static_cast<TdxfBinReader&>(*r).GroupCodeSize(), 1);
  struct Want { int code; std::string text; };
  for (const Want& w : std::initializer_list<Want>{{0, "SECTION"}, {2, "ENTITIES"}, {10, "2.25"}, {70, "9"},
                                                  {1001, "APP"}, {1000, "xdata"}, {1040, "-4.5"},
                                                  {1071, "123456"}, {1070, "12"}, {0, "EOF"}}) {
    r->Next();
    EXPECT_EQ(r->Code(), w.code);
    EXPECT_EQ(r->Value(), w.text) << w.code;
  }
  r->Next();
  EXPECT_TRUE(r->AtEndPair());
}

TEST(DXFBinTokens, IllegalCodeMessage) {
  BinFile f(2);
  f.Str(0, "SECTION").Code(2000).Raw("xyz");
  Buffer b(f.Bytes());
  auto r = CreateDXFTokenReader(b.data.get(), b.size);
  r->Next();
  try {
    r->Next();
    FAIL() << "no error";
  } catch (const EdxfReadError& e) {
    // 10 bytes of the first pair and the 2 of the code, plus 20
    EXPECT_STREQ(e.what(), "Illegal group code 2000 at 00000020");
    EXPECT_EQ(r->ReadErrorMessage(e.what()), "DXF read error on line 0: \r\nIllegal group code 2000 at 00000020");
  }
  r->Next();  // nothing after a broken pair is read
  EXPECT_TRUE(r->AtEndPair());
}

TEST(DXFBinTokens, CutOffValuesRaiseCleanly) {
  struct Case { const char* what; std::string tail; int codeSize; };
  auto code2 = [](int c) { return std::string{static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)}; };
  for (const Case& c : std::initializer_list<Case>{
           {"string without terminator", code2(1) + "abc", 2},
           {"short double", code2(10) + "1234567", 2},
           {"short int16", code2(70) + "1", 2},
           {"short int32", code2(90) + "123", 2},
           {"short int64", code2(160) + "1234567", 2},
           {"missing byte", code2(290), 2},
           {"missing chunk length", code2(310), 2},
           {"short chunk", code2(310) + "\x05" "abc", 2},
           {"half a code", std::string("\x01", 1), 2},
           {"escape without code", std::string("\xFF\xE8", 2), 1}}) {
    BinFile f(c.codeSize);
    f.Str(0, "SECTION").Raw(c.tail);
    Buffer b(f.Bytes());
    auto r = CreateDXFTokenReader(b.data.get(), b.size);
    r->Next();
    EXPECT_THROW(r->Next(), EdxfReadError) << c.what;
    r->Next();
    EXPECT_TRUE(r->AtEndPair()) << c.what;
  }
}

TEST(DXFBinTokens, DetectionOnStreams) {
  BinFile f(2);
  f.Str(0, "SECTION");
  std::istringstream bin(f.Bytes());
  EXPECT_EQ(DetectDXFBinary(bin), 2);
  EXPECT_EQ(bin.tellg(), 22);
  TdxfSource src = TdxfSource::FromStream(bin);
  EXPECT_EQ(src.Size(), f.Bytes().size() - 22);
  EXPECT_EQ(std::memcmp(src.Limit(), "\r\n\0\0", 4), 0);

  std::istringstream text("0\nSECTION\n");
  EXPECT_EQ(DetectDXFBinary(text), 0);
  EXPECT_EQ(text.tellg(), 0);

  std::istringstream tiny("0\n");  // shorter than the signature
  EXPECT_EQ(DetectDXFBinary(tiny), 0);
  EXPECT_EQ(TdxfSource::FromStream(tiny).Size(), 2u);

  std::istringstream empty("");
  EXPECT_EQ(DetectDXFBinary(empty), 0);
  EXPECT_EQ(TdxfSource::FromStream(empty).Size(), 0u);
}
