// Code-page layer and text escapes: iconv-backed decoding, UTF-8 checking, "$DWGCODEPAGE" names,
// and the "\U+" / "\M+" escapes, malformed ones included.
#include "readers/dxf/vxCodePage.h"

#include <gtest/gtest.h>

#include <string>

using namespace vx;

TEST(DXFCodePage, DecodesCodePagesToUTF8) {
  struct Case { std::string bytes; int cp; const char* want; };
  for (const Case& c : std::initializer_list<Case>{
           {"\x80", 1252, "\u20AC"},
           {"Gr\xFC\xDF" "e", 1252, "Gr\u00FC\u00DF" "e"},
           {"\x80", cpDefault, "\u20AC"},  // the default is 1252
           {"\xC0\xE1", 1251, "\u0410\u0431"},
           {"\x81\x40", 932, "\u3000"},
           {"\xB0\xA1", 936, "\u554A"},
           {"\xE9", 28591, "\u00E9"},
           {"\xE9", 99999, "\u00E9"},  // unknown code page: the default
           {std::string("A\0B\0", 4), cpUTF16LE, "AB"},
           {"plain ASCII", 932, "plain ASCII"},
           {"\xC3\xA9", cpUTF8, "\u00E9"}}) {
    EXPECT_EQ(CodePageToUTF8(c.bytes, c.cp), c.want) << c.cp;
  }
}

TEST(DXFCodePage, LongTextsConvertWhole) {
  std::string want;
  for (int i = 0; i < 5000; ++i) want += "\u00E9";
  EXPECT_EQ(CodePageToUTF8(std::string(5000, '\xE9'), 1252), want);
}

TEST(DXFCodePage, UndecodableBytesBecomeReplacementCharacters) {
  EXPECT_EQ(CodePageToUTF8("a\x81" "b", 1252), "a\uFFFD" "b");  // 0x81 is unassigned in 1252
  EXPECT_EQ(CodePageToUTF8("a\x81", 932), "a\uFFFD");         // a lead byte cut off at the end
  std::string out = "keep";
  EXPECT_FALSE(TryCodePageToUTF8("\x81", 932, out));
  EXPECT_EQ(out, "keep");
}

TEST(DXFCodePage, ValidUTF8ReplacesEveryBrokenSequence) {
  struct Case { std::string in; const char* want; };
  for (const Case& c : std::initializer_list<Case>{
           {"abc", "abc"},
           {"\xE2\x82\xAC", "\u20AC"},
           {"\xF0\x9F\x98\x80", "\U0001F600"},
           {"a\xFF" "b", "a\uFFFD" "b"},
           {"\xC0\xAF", "\uFFFD"},           // overlong
           {"\xED\xA0\x80", "\uFFFD"},       // encoded surrogate
           {"\xE2\x82" "A", "\uFFFD" "A"},   // cut-off sequence resynchronises
           {"\xE2\x82", "\uFFFD"},
           {"\xF4\x90\x80\x80", "\uFFFD"}}) {  // above U+10FFFF
    EXPECT_EQ(ValidUTF8(c.in), c.want);
  }
}

TEST(DXFCodePage, DrawingCodePageNames) {
  struct Case { const char* name; int cp; };
  for (const Case& c : std::initializer_list<Case>{
           {"ANSI_1252", 1252}, {"ansi_1251", 1251}, {"ANSI1250", 1250}, {"DOS850", 850},
           {"DOS_866", 866}, {"ISO8859-5", 28595}, {"ISO_8859_1", 28591}, {"JOHAB", 1361},
           {"GB2312", 936}, {"KSC5601", 949}, {"BIG5", 950}, {"ASCII", 20127}, {"UTF-16", 1200},
           {"MAC-ROMAN", 10000}, {"", 0}, {"ANSI_", 0}, {"UTF8", 0}, {"ISO8859", 0},
           {"ANSI_99999999", 0}}) {
    EXPECT_EQ(CodePageByName(c.name), c.cp) << c.name;
  }
}

TEST(DXFCodePage, Escapes) {
  struct Case { const char* in; const char* want; };
  for (const Case& c : std::initializer_list<Case>{
           {"\\U+0041BC", "ABC"},
           {"caf\\U+00E9", "caf\u00E9"},
           {"\\U+00e9\\U+00E9", "\u00E9\u00E9"},
           {"\\U+D83D\\U+DE00", "\U0001F600"},       // a surrogate pair is one character
           {"\\U+D83Dx", "\uFFFDx"},                  // a lone surrogate is not
           {"ab\\U+00", "ab"},                        // cut off: dropped with its rest
           {"ab\\U+", "ab"},
           {"\\U+00G1z", "\\U+00G1z"},                // not hexadecimal: kept as written
           {"\\M+18140", "\u3000"},
           {"x\\M+5B0A1y", "x\u554Ay"},
           {"\\M+1814", "\\M+1814"},                  // too short: kept
           {"\\M+X8140", "\\M+X8140"},
           {"\\M+18100", ""},                         // does not convert: nothing
           {"\\U+005CU+0041", "\\U+0041"},            // a decoded backslash starts no escape
           {"no escapes \\P here", "no escapes \\P here"},
           {"\\u+0041", "\\u+0041"}}) {
    EXPECT_EQ(ExpandDXFEscapes(c.in), c.want) << c.in;
  }
}

TEST(DXFCodePage, ManyEscapesStayLinear) {
  std::string in, want;
  for (int i = 0; i < 20000; ++i) {
    in += "\\U+0041";
    want += 'A';
  }
  EXPECT_EQ(ExpandDXFEscapes(in), want);
}
