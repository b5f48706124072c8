// The character map of SHX text: "%%" codes, "\U+" and "\M+" escapes, backslashes, and the
// split of characters between the main font and a big font (round trip through the big font's
// code page, symbols that stay with the main font, pairs merged for big fonts outside the known list).
#include "text/shx/vxUnicodeParser.h"

#include "text/shx/vxSHXFont.h"
#include "text/shx_writer.h"

#include <gtest/gtest.h>

using namespace vx;
using namespace vx::shx;
using namespace vx::test;

namespace {

std::u32string Parse(std::string_view utf8, bool percent, TvxSHXFont* big = nullptr) {
  TvxUnicodeParser p(utf8, big, 0);
  p.Execute(percent);
  EXPECT_EQ(p.FSHXUnicode.size(), p.FUnicode.size());
  EXPECT_EQ(p.FSHXMap.size(), p.FUnicode.size());
  return p.FUnicode;
}

std::unique_ptr<TvxSHXFont> BigFont(const char* name, std::vector<uint32_t> codes) {
  std::vector<TSHXShape> shapes;
  for (uint32_t c : codes) shapes.push_back({c, "", {0x10}});
  auto f = std::make_unique<TvxSHXFont>(name);
  f->LoadFromBytes(SHXBigFont(shapes, {{0x81, 0x9F}, {0xE0, 0xFC}}, {"big", 8, 0, 0}));
  return f;
}

}  // namespace

TEST(SHXUnicodeParser, PercentCodesAndEscapes) {
  struct Case { const char* in; bool percent; std::u32string want; };
  for (const Case& c : std::initializer_list<Case>{
           {"%%%", true, U"%"},
           {"%%c25", true, U"\u220525"},
           {"%%C%%d%%D%%p%%P", true, U"\u2205\u00B0\u00B0\u00B1\u00B1"},
           {"%%65", true, U"A"},
           {"%%0651", true, U"A1"},    // at most three digits
           {"%%176", true, U"\u00B0"},
           {"%%x", true, U"x"},        // the two percent signs are dropped
           {"ab%%", true, U"ab"},
           {"%%c", false, U"%%c"},     // not parsed when not asked for
           {"\\U+0041B", true, U"AB"},
           {"\\u+00e9", false, U"\\u+00e9"},  // upper case only
           {"\\M+18140", true, U"\u3000"},  // code page 932, 0x8140
           {"\\M+9FFFF", true, U"\\M+9FFFF"},  // no such code-page digit
           {"\\U+00", true, U"\\U+00"},        // too short: kept as written
           {"\\X", true, U"\\X"},
           {"a\\", true, U"a\\"},
           {"\\\\", false, U"\\"},             // a doubled backslash is one without percent parsing
           {"\\\\", true, U"\\\\"},
           {"\xE6\x97\xA5", true, U"\u65E5"}})  // UTF-8 in, characters out
    EXPECT_EQ(Parse(c.in, c.percent), c.want) << c.in;
  // Without a big font every character is the main font's, with its own code.
  TvxUnicodeParser p(std::string_view("A\\U+3042"), nullptr, 0);
  p.Execute(true);
  EXPECT_EQ(p.FSHXUnicode, (std::vector<uint32_t>{0x41, 0x3042}));
  EXPECT_EQ(p.FSHXMap, (std::vector<uint8_t>{1, 1}));
}

TEST(SHXUnicodeParser, CharactersSplitBetweenMainAndBigFont) {
  // bigfont.shx is a known big font of code page 932.
  auto big = BigFont("bigfont.shx", {0x82A0, 0x8140, 0x818B, 0xB1});
  ASSERT_EQ(big->GetCodePage(), 932);
  struct Case { const char* in; std::vector<uint32_t> codes; std::vector<uint8_t> map; };
  for (const Case& c : std::initializer_list<Case>{
           {"A\xE3\x81\x82" "B", {0x41, 0x82A0, 0x42}, {1, 2, 1}},  // U+3042 is 0x82A0 there
           {"\xE3\x81\x83", {0x3043}, {1}},                          // 0x82A1: not in the font
           {"\xEF\xBD\xB1", {0xB1}, {2}},                            // half-width katakana: one byte
           {"\\M+18140", {0x8140}, {2}},                             // the font's own code page
           {"\\M+18141", {0x3001}, {1}},                             // 0x8141 is not in the font
           {"\\M+2A440", {0x4E00}, {1}},                             // Big5: via Unicode, 0x88EA missing
           {"%%d\xC2\xB0", {0xB0, 0xB0}, {1, 1}},                    // degree stays with the main font
           {"\xE4\xB8\x80", {0x4E00}, {1}}}) {
    TvxUnicodeParser p(std::string_view(c.in), big.get(), 0);
    p.Execute(true);
    EXPECT_EQ(p.FSHXUnicode, c.codes) << c.in;
    EXPECT_EQ(p.FSHXMap, c.map) << c.in;
  }
  // "\M+" codes of the big font's code page give their character.
  TvxUnicodeParser m(std::string_view("\\M+18140"), big.get(), 0);
  m.Execute(true);
  EXPECT_EQ(m.FUnicode, U"\u3000");
}

TEST(SHXUnicodeParser, PairsMergeForUnknownBigFonts) {
  // Bytes of code page 932 that arrived as two single characters (U+0082, U+00A0) form one
  // big-font code when the font is not one of the known big fonts.
  auto unknown = BigFont("mybig.shx", {0x82A0, 0x4142});
  unknown->SetCodePage(932);
  TvxUnicodeParser p(std::u32string(U"x\u0082\u00A0y"), unknown.get(), 0);
  p.Execute(false);
  EXPECT_EQ(p.FSHXUnicode, (std::vector<uint32_t>{0x78, 0x82A0, 0x79}));
  EXPECT_EQ(p.FSHXMap, (std::vector<uint8_t>{1, 2, 1}));
  EXPECT_EQ(p.FUnicode, U"x\u3042y");
  // "AB" is 0x4142, which this font has.
  TvxUnicodeParser ab(std::u32string(U"ABC"), unknown.get(), 0);
  ab.Execute(false);
  EXPECT_EQ(ab.FSHXUnicode, (std::vector<uint32_t>{0x4142, 0x43}));
  // A known big font never merges.
  auto known = BigFont("bigfont.shx", {0x4142});
  TvxUnicodeParser k(std::u32string(U"AB"), known.get(), 0);
  k.Execute(false);
  EXPECT_EQ(k.FSHXMap, (std::vector<uint8_t>{1, 1}));
}
