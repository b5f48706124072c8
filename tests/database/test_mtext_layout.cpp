// Multi-line text: the formatting-code parser, stack padding, tab positions, wrapping over a
// monospace face (at blanks and inside words), line spacing, attachment offsets, and strings
// that are cut off or malformed.
#include "test_entities_fixture.h"
#include "test_text_fonts_fixture.h"

#include "database/text/vxMText.h"
#include "database/text/vxMTextParser.h"

#include <cmath>
#include <initializer_list>
#include <string>

using namespace vx;
using namespace vx::test;

namespace {

std::vector<TvxMTextToken> Parse(const std::string& s, double h = 1) {
  TvxMTextFormat base;
  base.Height = h;
  return ParseMText(s, base);
}

class MTextLayoutTest : public EntitiesTest {
 protected:
  TvxDXFMText* MText(const std::string& s, double h = 1, double width = 0, uint8_t align = 1,
                     TFPoint at = {}) {
    auto* m = new TvxDXFMText();
    m->SetText(s);
    m->SetHeight(h);
    m->SetRectWidth(width);
    m->SetAlign(align);
    m->SetPoint(at);
    m->SetStyle(mono);
    return AddLoaded(m);
  }
  std::vector<TvxDXFText*> Pieces(TvxDXFMText* m) {
    std::vector<TvxDXFText*> out;
    for (int i = 0; i < m->GetBlock()->Count(); ++i)
      out.push_back(dynamic_cast<TvxDXFText*>(m->GetBlock()->GetEntity(i)));
    return out;
  }

  MonoProvider fonts;
  TvxDXFStyle* mono = [this] {
    TvxDXFStyle* s = conv->StyleByName("MONO");
    s->PrimaryFont = "mono.shx";
    return s;
  }();
};

}  // namespace

TEST(MTextParser, ColourGroupsStacksAndHeights) {
  auto t = Parse("{\\C1;Red} plain");
  ASSERT_EQ(t.size(), 2u);
  EXPECT_EQ(t[0].Text, "Red");
  EXPECT_TRUE(t[0].Format.ColorSet);
  EXPECT_EQ(t[0].Format.Color, 1u);
  EXPECT_EQ(t[1].Text, " plain");
  EXPECT_FALSE(t[1].Format.ColorSet);

  t = Parse("1\\S1/2;");
  ASSERT_EQ(t.size(), 2u);
  EXPECT_EQ(t[0].Text, "1");
  EXPECT_EQ(t[1].Kind, mtStack);
  EXPECT_EQ(t[1].StackKind, '/');
  EXPECT_EQ(t[1].Text, "1");
  EXPECT_EQ(t[1].Lower, "2");

  struct HCase {
    const char* in;
    double want;
  };
  for (const HCase& c : std::initializer_list<HCase>{{"\\H2x;A", 3},
                                                     {"\\H2X;A", 3},
                                                     {"\\H3.5;A", 3.5},
                                                     {"\\Hfoo;A", 1.5},
                                                     {"\\H0;A", 1.5},
                                                     {"\\H-2;A", 1.5},
                                                     {"\\H2,5;A", 2},      // a point, not the locale's comma
                                                     {"\\H.5x;A", 0.75}}) {
    t = Parse(c.in, 1.5);
    ASSERT_EQ(t.size(), 1u) << c.in;
    EXPECT_DOUBLE_EQ(t[0].Format.Height, c.want) << c.in;
  }
  t = Parse("\\c255;R\\c16711680;B");
  ASSERT_EQ(t.size(), 2u);
  EXPECT_TRUE(t[0].Format.ColorRGB);
  EXPECT_EQ(t[0].Format.Color, 0x0000FFu);  // red in the low byte
  EXPECT_EQ(t[1].Format.Color, 0xFF0000u);
}

TEST(MTextParser, CodesBreaksFontsAndParagraphs) {
  auto t = Parse("a\\Pb^Jc^Id\\~e\\\\f\\{g\\}");
  ASSERT_EQ(t.size(), 7u);
  EXPECT_EQ(t[1].Kind, mtLineBreak);
  EXPECT_EQ(t[3].Kind, mtLineBreak);
  EXPECT_EQ(t[5].Kind, mtTab);
  EXPECT_EQ(t[6].Text, "d\u00A0e\\f{g}");

  t = Parse("\\LU\\lN\\OO\\oN\\KS\\k");
  ASSERT_EQ(t.size(), 5u);
  EXPECT_TRUE(t[0].Format.Under);
  EXPECT_FALSE(t[1].Format.Under);
  EXPECT_TRUE(t[2].Format.Over);
  EXPECT_TRUE(t[4].Format.Strike);

  struct FCase {
    const char* in;
    const char* name;
    bool win, bold, italic;
  };
  for (const FCase& c : std::initializer_list<FCase>{{"\\fArial|b1|i1|c0|p34;X", "Arial", true, true, true},
                                                     {"\\fTimes New Roman|b0|i1;X", "Times New Roman", true, false, true},
                                                     {"\\Fromans;X", "romans", false, false, false},
                                                     {"\\Fgdt.shx;X", "gdt", false, false, false},
                                                     {"\\fisocp.shx;X", "isocp", false, false, false},
                                                     {"\\farial.ttf;X", "arial", true, false, false},
                                                     {"\\f\\U+0041bc;X", "Arial", true, false, false}}) {
    t = Parse(c.in);
    ASSERT_FALSE(t.empty()) << c.in;
    EXPECT_EQ(t.back().Format.FontName, c.name) << c.in;
    EXPECT_EQ(t.back().Format.WinFont, c.win) << c.in;
    EXPECT_EQ(t.back().Format.Bold, c.bold) << c.in;
    EXPECT_EQ(t.back().Format.Italic, c.italic) << c.in;
  }

  t = Parse("\\pi-2,l3,t4,8,12;X\\A1;Y\\W0.5;\\Q15;Z");
  ASSERT_EQ(t.size(), 3u);
  const TvxMTextParagraph& p = t[0].Format.Paragraph;
  EXPECT_DOUBLE_EQ(p.Indent, -2 * cnstMTextParagraphUnit);
  EXPECT_DOUBLE_EQ(p.LeftIndent, 3 * cnstMTextParagraphUnit);
  ASSERT_EQ(p.TabsCount, 3);
  EXPECT_DOUBLE_EQ(p.Tabs[2], 12 * cnstMTextParagraphUnit);
  EXPECT_EQ(t[1].Format.LineAlign, 1);
  EXPECT_DOUBLE_EQ(t[2].Format.WidthFactor, 0.5);
  EXPECT_DOUBLE_EQ(t[2].Format.Oblique, 15);

  // more stops than a paragraph keeps: the first 15 count
  std::string many = "\\pt";
  for (int i = 1; i <= 30; ++i) many += std::to_string(i) + (i < 30 ? "," : ";");
  t = Parse(many + "X");
  ASSERT_EQ(t.size(), 1u);
  EXPECT_EQ(t[0].Format.Paragraph.TabsCount, cnstMTextMaxTabs);
  EXPECT_DOUBLE_EQ(t[0].Format.Paragraph.Tabs[14], 15 * cnstMTextParagraphUnit);
}

TEST(MTextParser, CutOffAndUnbalancedStrings) {
  struct Case {
    const char* in;
    const char* text;  // the text of all tokens joined
  };
  for (const Case& c : std::initializer_list<Case>{{"}}A{B", "AB"},
                                                   {"{{{A", "A"},
                                                   {"ABC\\", "ABC\\"},
                                                   {"A\\H", "A"},
                                                   {"A\\C", "A"},
                                                   {"A\\S1/2", "A\\S1/2"},
                                                   {"A\\S12;", "A12"},
                                                   {"A\\Zq", "A\\Zq"},
                                                   {"A^", "A^"},
                                                   {"A^x", "A^x"}}) {
    std::string got;
    for (const TvxMTextToken& t : Parse(c.in)) got += t.Text + t.Lower;
    EXPECT_EQ(got, c.text) << c.in;
  }
}

TEST(MTextParser, StackPaddingCentresShortUpperParts) {
  struct Case {
    const char *upper, *lower, *want;
  };
  for (const Case& c : std::initializer_list<Case>{{"1", "2345", "  1  "},
                                                   {"1", "234", "1"},
                                                   {"1", "23456", "   1   "},
                                                   {"1", "1234567", "   1   "},
                                                   {"123", "4", "123"}}) {
    EXPECT_EQ(PadStackUpper(c.upper, c.lower), c.want) << c.upper << "/" << c.lower;
  }
}

TEST(MTextParser, TabPositions) {
  TvxMTextParagraph none;
  EXPECT_DOUBLE_EQ(MTextTabPosition(0, 1, none, 10), 10);
  EXPECT_DOUBLE_EQ(MTextTabPosition(12, 1, none, 10), 20);
  EXPECT_DOUBLE_EQ(MTextTabPosition(12, 2, none, 10), 30);
  TvxMTextParagraph stops;
  stops.Tabs[0] = 5;
  stops.Tabs[1] = 15;
  stops.TabsCount = 2;
  EXPECT_DOUBLE_EQ(MTextTabPosition(6, 1, stops, 10), 15);
  EXPECT_DOUBLE_EQ(MTextTabPosition(0, 1, stops, 10), 5);
  EXPECT_DOUBLE_EQ(MTextTabPosition(16, 1, stops, 10), 20);  // past the stops
  TvxMTextParagraph indent;
  indent.LeftIndent = 3;
  EXPECT_DOUBLE_EQ(MTextTabPosition(1, 1, indent, 10), 3);
  // a zero height never divides by zero and a tab always moves on
  const double z = MTextTabPosition(3, 1, none, 0);
  EXPECT_TRUE(std::isfinite(z));
  EXPECT_GT(z, 3);
}

TEST_F(MTextLayoutTest, WrapsAtBlanksOverAMonospaceFace) {
  TvxDXFMText* m = MText("AAA BBB CCC", 1, 7.5);
  ASSERT_TRUE(m->LaidOut());
  auto p = Pieces(m);
  ASSERT_EQ(p.size(), 2u);
  EXPECT_EQ(p[0]->Text(), "AAA BBB ");
  EXPECT_EQ(p[1]->Text(), "CCC");
  EXPECT_DOUBLE_EQ(p[0]->GetPoint().Y, -1);
  EXPECT_DOUBLE_EQ(p[1]->GetPoint().X, 0);
  EXPECT_NEAR(p[1]->GetPoint().Y, -1 - 5.0 / 3, 1e-12);
  const TFRect b = m->GetBox();
  EXPECT_NEAR(b.Top, 0, 1e-9);
  EXPECT_NEAR(b.Bottom, -1 - 5.0 / 3, 1e-9);
  EXPECT_NEAR(b.Right, 6.6, 1e-9);

  // no reference width: one line
  EXPECT_EQ(Pieces(MText("AAA BBB CCC", 1, 0)).size(), 1u);
  // a word wider than the line stays whole on its own line, and the layout ends
  p = Pieces(MText("ABCDEFGHIJ KL", 1, 3));
  ASSERT_EQ(p.size(), 2u);
  EXPECT_EQ(p[0]->Text(), "ABCDEFGHIJ ");
  // line spacing factor 2
  TvxDXFMText* wide = MText("A\\PB", 1, 0);
  wide->SetLineSpacingFactor(2);
  conv->Loads(wide);
  p = Pieces(wide);
  ASSERT_EQ(p.size(), 2u);
  EXPECT_NEAR(p[1]->GetPoint().Y, -1 - 2 * 5.0 / 3, 1e-12);
}

TEST_F(MTextLayoutTest, WrapsInsideWordsWithHyphenation) {
  auto* m = new TvxDXFMText();
  m->SetText("ABCDEFGHIJ");
  m->SetHeight(1);
  m->SetRectWidth(3);
  m->SetHyphenation(true);
  m->SetStyle(mono);
  AddLoaded(m);
  std::vector<std::string> got;
  for (TvxDXFText* t : Pieces(m)) got.push_back(t->Text());
  EXPECT_EQ(got, (std::vector<std::string>{"ABC", "DEF", "GHI", "J"}));
}

TEST_F(MTextLayoutTest, AttachmentOffsets) {
  // "AB" at height 1: glyph box 1.6 x 1; the insertion point is (10, 10)
  struct Case {
    uint8_t align;
    double l, b;
  };
  for (const Case& c : std::initializer_list<Case>{{1, 10, 9},
                                                  {2, 9.2, 9},
                                                  {3, 8.4, 9},
                                                  {4, 10, 9.5},
                                                  {5, 9.2, 9.5},
                                                  {6, 8.4, 9.5},
                                                  {7, 10, 10},
                                                  {8, 9.2, 10},
                                                  {9, 8.4, 10}}) {
    const TFRect box = MText("AB", 1, 0, c.align, {10, 10, 0})->GetBox();
    EXPECT_NEAR(box.Left, c.l, 1e-9) << int(c.align);
    EXPECT_NEAR(box.Bottom, c.b, 1e-9) << int(c.align);
    EXPECT_NEAR(box.Right - box.Left, 1.6, 1e-9) << int(c.align);
    EXPECT_NEAR(box.Top - box.Bottom, 1, 1e-9) << int(c.align);
  }
  // centred lines within the widest
  auto p = Pieces(MText("AAAA\\PBB", 1, 0, 2));
  ASSERT_EQ(p.size(), 2u);
  EXPECT_NEAR(p[1]->GetPoint().X - p[0]->GetPoint().X, 1, 1e-9);
}

TEST_F(MTextLayoutTest, PiecesTakeTheirFormat) {
  auto p = Pieces(MText("{\\C1;\\H2;\\fArial|b1;Big} \\LUnder\\l 1\\S1/2;"));
  ASSERT_GE(p.size(), 4u);
  EXPECT_EQ(p[0]->Text(), "Big");
  EXPECT_DOUBLE_EQ(p[0]->Height(), 2);
  EXPECT_TRUE(p[0]->WinFont());
  EXPECT_EQ(p[0]->FontName(), "Arial");
  EXPECT_EQ(p[0]->FontStyle() & cnstFontBold, cnstFontBold);
  EXPECT_EQ(p[0]->GetColorCAD().Color, 1u);
  EXPECT_FALSE(p[1]->WinFont());  // the style's font again after the group
  bool underlined = false, bar = false;
  for (TvxDXFText* t : p) {
    if (t->Text() == "Under") underlined = t->Decoration() & cnstDecorUnder;
    if (t->Text() == "1" && t->Height() < 1) bar = t->Decoration() & cnstDecorUnder;
  }
  EXPECT_TRUE(underlined);
  EXPECT_TRUE(bar);  // the fraction's upper part carries the bar
}

TEST_F(MTextLayoutTest, MalformedStringsLoad) {
  std::string manyTabs = "\\pt";
  for (int i = 0; i < 40; ++i) manyTabs += "1,";
  const std::vector<std::string> cases{"{{{{", "}}}}", "\\", "\\S", "\\S/;", "\\S^;", "\\S#;", "\\H0;A",
                                       "\\H1e308x;\\H1e308x;A", "\\W1e-300;A", "\\Q1e300;A", manyTabs + ";A^IB",
                                       "\\f|b1;A", "^", "\\U+", "\\U+ZZZZ", "\\M+1", "A^I^I^I^IB", " \\P \\P "};
  for (const std::string& s : cases) {
    TvxDXFMText* m = MText(s, 1, 2);
    const TFRect b = m->GetBox();
    if (!IsBadBox(b)) {
      EXPECT_TRUE(std::isfinite(b.Left) && std::isfinite(b.Right) && std::isfinite(b.Top) &&
                  std::isfinite(b.Bottom)) << s;
      EXPECT_LT(b.Right - b.Left, 1e6) << s;
    }
  }
  // a zero height shows nothing and tabs do not divide by it
  EXPECT_TRUE(IsBadBox(MText("A^IB", 0)->GetBox()));
}
