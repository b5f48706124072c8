// Text tokenizer: pairs from small inline files, line endings, blanks, empty and missing value
// lines, typed accessors on every kind, stop and progress, and the error message format.
#include "readers/dxf/DXF.h"
#include "readers/dxf/vxCodePage.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace vx;

namespace {

struct Pair {
  int code;
  std::string value;
  friend bool operator==(const Pair&, const Pair&) = default;
};

std::ostream& operator<<(std::ostream& os, const Pair& p) { return os << p.code << " '" << p.value << "'"; }

// All pairs up to (not including) the closing SEQEND made at the end of data.
std::vector<Pair> Pairs(const std::string& text) {
  TdxfSource src = TdxfSource::FromBytes(text.data(), text.size());
  TdxfReader r(src);
  std::vector<Pair> out;
  for (size_t guard = 0; guard <= text.size() + 1; ++guard) {
    r.Next();
    if (r.AtEndPair()) break;
    out.push_back({r.Code(), r.Value()});
  }
  return out;
}

const std::string kSmall =
    "0\nSECTION\n2\nENTITIES\n0\nLINE\n5\n1A\n8\n0\n10\n1.5\n20\n-2\n70\n3\n0\nENDSEC\n0\nEOF\n";

}  // namespace

TEST(DXFTextTokens, LineEndingsReadTheSame) {
  const std::vector<Pair> want = {{0, "SECTION"}, {2, "ENTITIES"}, {0, "LINE"}, {5, "1A"}, {8, "0"},
                                  {10, "1.5"},    {20, "-2"},      {70, "3"},   {0, "ENDSEC"}, {0, "EOF"}};
  EXPECT_EQ(Pairs(kSmall), want);
  std::string crlf, cr;
  for (char c : kSmall) {
    crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    cr += c == '\n' ? '\r' : c;
  }
  EXPECT_EQ(Pairs(crlf), want);
  EXPECT_EQ(Pairs(cr), want);
  std::string noFinalNewline = kSmall.substr(0, kSmall.size() - 1);
  EXPECT_EQ(Pairs(noFinalNewline), want);
}

TEST(DXFTextTokens, BlanksAroundCodesAndValues) {
  TdxfSource src = TdxfSource::FromBytes("  10\n  1.5e+2 \n1\n  ab c  \n", 27);
  TdxfReader r(src);
  r.Next();
  EXPECT_EQ(r.Code(), 10);
  EXPECT_DOUBLE_EQ(r.FloatValue(), 150.0);
  r.Next();
  EXPECT_EQ(r.Code(), 1);
  EXPECT_EQ(r.Value(), "  ab c  ");  // strings keep their blanks
}

TEST(DXFTextTokens, EmptyValueLinesAndSwallowedBlankLines) {
  EXPECT_EQ(Pairs("1\n\n0\nEOF\n"), (std::vector<Pair>{{1, ""}, {0, "EOF"}}));
  EXPECT_EQ(Pairs("1\nabc\n\n\r\n\n0\nEOF\n"), (std::vector<Pair>{{1, "abc"}, {0, "EOF"}}));
}

TEST(DXFTextTokens, TruncatedFilesEndInTheClosingPair) {
  // cut after a code line: the pair has an empty value, not the previous pair's size
  EXPECT_EQ(Pairs("0\nLINE\n10\n"), (std::vector<Pair>{{0, "LINE"}, {10, ""}}));
  EXPECT_EQ(Pairs("0\nLINE\n10"), (std::vector<Pair>{{0, "LINE"}, {10, ""}}));
  // cut inside a value line: the last pair is still delivered, then the file closes
  EXPECT_EQ(Pairs("0\nLINE\n10\n1.2"), (std::vector<Pair>{{0, "LINE"}, {10, "1.2"}}));

  const std::string text = "0\nLINE\n10\n";
  TdxfSource src = TdxfSource::FromBytes(text.data(), text.size());
  TdxfReader r(src);
  r.Next();
  r.Next();
  EXPECT_EQ(r.FloatValue(), 0.0);
  for (int i = 0; i < 3; ++i) {  // the closing pair repeats
    r.Next();
    EXPECT_TRUE(r.AtEndPair());
    EXPECT_EQ(r.Code(), 0);
    EXPECT_EQ(r.Value(), "SEQEND");
    EXPECT_TRUE(r.Eof());
  }
}

TEST(DXFTextTokens, NumericJunkKeepsPairsInStep) {
  EXPECT_EQ(Pairs("70\n5  x\n1\nabc\n"), (std::vector<Pair>{{70, "5  x"}, {1, "abc"}}));
  TdxfSource src = TdxfSource::FromBytes("70\n5  x\n40\n12abc\n", 18);
  TdxfReader r(src);
  r.Next();
  EXPECT_EQ(r.IntValue(), 5);
  r.Next();
  EXPECT_EQ(r.Code(), 40);
  EXPECT_EQ(r.FloatValue(), 0.0);
}

TEST(DXFTextTokens, TypedAccessorsOnEveryKind) {
  const std::string text =
      "70\n-12\n40\n1,5\n5\n1a2B\n1\n  42 \n1\n2.5mm\n1\nff\n160\n12345678901\n"
      "2000\nabc\n-10\n5\n999\ncomment\n";
  TdxfSource src = TdxfSource::FromBytes(text.data(), text.size());
  TdxfReader r(src);
  r.Next();
  EXPECT_EQ(r.IntValue(), -12);
  EXPECT_EQ(r.Int64Value(), -12);
  r.Next();
  EXPECT_DOUBLE_EQ(r.FloatValue(), 1.5);
  r.Next();
  EXPECT_EQ(r.HandleValue(), 0x1A2Bu);
  r.Next();
  EXPECT_EQ(r.IntValue(), 42);
  r.Next();
  EXPECT_DOUBLE_EQ(r.FloatValue(), 2.5);
  r.Next();
  EXPECT_EQ(r.HandleValue(), 0xFFu);
  r.Next();
  EXPECT_EQ(r.Code(), 160);
  EXPECT_EQ(r.Int64Value(), 12345678901);
  r.Next();  // codes outside the kind table read as raw text
  EXPECT_EQ(r.Code(), 2000);
  EXPECT_EQ(r.Value(), "abc");
  r.Next();
  EXPECT_EQ(r.Code(), -10);
  EXPECT_EQ(r.IntValue(), 5);
  r.Next();
  EXPECT_EQ(r.Code(), 999);
  EXPECT_EQ(r.Value(), "comment");
}

TEST(DXFTextTokens, EndOfDataTest) {
  // the raw value EOF ends the data only until it has been taken as a string
  const std::string text = "0\nEOF\n0\nLINE\n";
  TdxfSource src = TdxfSource::FromBytes(text.data(), text.size());
  TdxfReader r(src);
  r.Next();
  EXPECT_TRUE(r.Eof());
  EXPECT_EQ(r.Value(), "EOF");
  EXPECT_FALSE(r.Eof());
  r.Next();
  EXPECT_TRUE(r.Eof());  // the buffer is consumed
  EXPECT_FALSE(r.AtEndPair());
  EXPECT_EQ(r.Value(), "LINE");
}

TEST(DXFTextTokens, LinesArePairsTimesTwo) {
  TdxfSource src = TdxfSource::FromBytes(kSmall.data(), kSmall.size());
  TdxfReader r(src);
  r.Next();
  r.Next();
  r.Next();
  EXPECT_EQ(r.Line(), 6);
  r.Next();
  EXPECT_EQ(r.ReadErrorMessage("boom"), "DXF read error on line 8: 1A\r\nboom");
}

TEST(DXFTextTokens, StopFromTheProgressHookEndsAtTheNextPair) {
  TdxfSource src = TdxfSource::FromBytes(kSmall.data(), kSmall.size());
  TdxfReader r(src);
  int calls = 0;
  r.OnProgress = [&calls](TdxfReader& reader) {
    ++calls;
    EXPECT_GT(reader.Position(), 0u);
    EXPECT_EQ(reader.Size(), kSmall.size());
    reader.StopLoading();
  };
  r.Next();
  EXPECT_FALSE(r.Eof());
  r.ReportProgress();
  EXPECT_EQ(calls, 1);
  EXPECT_TRUE(r.Eof());  // so no further record is started
  r.Next();
  EXPECT_TRUE(r.AtEndPair());
  EXPECT_EQ(r.Value(), "SEQEND");
}

TEST(DXFTextTokens, StringDecoding) {
  const std::string text = "1\n\xC0\xE1\n1\nGr\xC3\xBC\xC3\x9F" "e\n1\ncaf\\U+00E9 \\M+18140\n1\n\x80\n";
  TdxfSource src = TdxfSource::FromBytes(text.data(), text.size());
  TdxfReader r(src);
  r.SetCodePage(1251);
  r.Next();
  EXPECT_EQ(r.StrValue(), "\u0410\u0431");
  r.SetUnicodeText(true);  // drawings from 2007 on: UTF-8 whatever the code page
  r.Next();
  EXPECT_EQ(r.StrValue(), "Gr\u00FC\u00DF" "e");
  r.Next();
  EXPECT_EQ(r.UValue(), "caf\u00E9 \u3000");
  r.Next();
  EXPECT_EQ(r.StrValue(), "\uFFFD");  // not UTF-8
  r.SetUnicodeText(false);
  r.SetCodePage(cpDefault);
  EXPECT_EQ(r.StrValue(), "\u20AC");
}

TEST(DXFTextTokens, FactoryPicksTheTextTokenizer) {
  auto r = CreateDXFTokenReader(reinterpret_cast<const uint8_t*>(kSmall.data()), kSmall.size());
  EXPECT_FALSE(r->IsBinary());
  r->Next();
  EXPECT_EQ(r->Value(), "SECTION");
}

TEST(DXFTextTokens, ValueLinesByKind) {
  // the value line as it stands in a file, read through the tokenizer (leading blanks skipped)
  struct Case { int code; const char* line; double real; int integer; uint64_t handle; };
  for (const Case& c : std::initializer_list<Case>{
           {10, " 1.5 ", 1.5, 0, 0}, {10, "1,5", 1.5, 0, 0}, {10, "1.#QNAN0", 1.0, 0, 0},
           {10, "1e400", 0.0, 0, 0}, {10, "nan", 0.0, 0, 0}, {10, "-", 0.0, 0, 0},
           {10, "12abc", 0.0, 0, 0}, {70, "  42  ", 0, 42, 0}, {70, "99999999999", 0, 2147483647, 0},
           {70, "12abc", 0, 0, 0}, {5, " 1A ", 0, 0, 0x1A}, {5, "1Az", 0, 0, 0}}) {
    const std::string text = std::to_string(c.code) + "\n" + c.line + "\n999\nnext\n";
    TdxfSource src = TdxfSource::FromBytes(text.data(), text.size());
    TdxfReader r(src);
    r.Next();
    switch (DXFValueKind(c.code)) {
      case vkReal: EXPECT_DOUBLE_EQ(r.FloatValue(), c.real) << c.line; break;
      case vkInteger: EXPECT_EQ(r.IntValue(), c.integer) << c.line; break;
      default: EXPECT_EQ(r.HandleValue(), c.handle) << c.line; break;
    }
    r.Next();
    EXPECT_EQ(r.Code(), 999) << c.line;  // still in step
    EXPECT_EQ(r.Value(), "next") << c.line;
  }
}
