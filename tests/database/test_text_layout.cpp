// Single-line text laid out over a monospace face: decoding, font selection by style, the
// alignments, aligned and fit texts, width factor, oblique angles, mirroring, decorations,
// attributes and shapes, and layouts that outlive their provider.
#include "test_entities_fixture.h"
#include "test_text_fonts_fixture.h"

#include "database/blocks/vxAttribs.h"
#include "database/text/vxShape.h"
#include "database/text/vxTextLayout.h"

#include <cmath>
#include <initializer_list>
#include <string>

using namespace vx;
using namespace vx::test;

namespace {

class TextLayoutTest : public EntitiesTest {
 protected:
  TvxDXFStyle* Style(const std::string& name, const std::string& primary, const std::string& face = "",
                     uint8_t fontStyle = 0, const std::string& big = "") {
    auto* s = conv->StyleByName(name);
    s->PrimaryFont = primary;
    s->FontName = face;
    s->FontStyle = fontStyle;
    s->BigFont = big;
    return s;
  }
  TvxDXFText* Text(const std::string& s, TFPoint at = {}, double h = 1, TvxDXFStyle* style = nullptr) {
    auto* t = new TvxDXFText();
    t->SetText(s);
    t->SetPoint(at);
    t->SetHeight(h);
    t->SetStyle(style ? style : mono);
    return t;
  }
  static void ExpectBox(const TFRect& b, double l, double bottom, double r, double top, const char* what) {
    EXPECT_NEAR(b.Left, l, 1e-9) << what;
    EXPECT_NEAR(b.Bottom, bottom, 1e-9) << what;
    EXPECT_NEAR(b.Right, r, 1e-9) << what;
    EXPECT_NEAR(b.Top, top, 1e-9) << what;
  }

  MonoProvider fonts;
  TvxDXFStyle* mono = Style("MONO", "mono.shx");
};

}  // namespace

TEST(TextDecode, EscapesTogglesAndBrokenSequences) {
  struct Case {
    const char* in;
    std::u32string want;
  };
  for (const Case& c : std::initializer_list<Case>{
           {"A\\U+2205B", U"A\u2205B"},
           {"\\U+00d8", U"\u00D8"},
           {"\\U+12", U"\\U+12"},          // truncated escape stays text
           {"%%%", U"%"},
           {"%%uAB%%U", U"AB"},
           {"\xC3\xA9", U"\u00E9"},
           {"\xC3", U"\uFFFD"},            // cut sequence
           {"\xFF" "a", U"\uFFFDa"}}) {
    std::u32string got;
    for (const TvxTextChar& ch : DecodeTextChars(c.in)) got += ch.Ch;
    EXPECT_EQ(got, c.want) << c.in;
  }
  const auto chars = DecodeTextChars("a%%ub%%oc%%u%%od");
  ASSERT_EQ(chars.size(), 4u);
  EXPECT_FALSE(chars[0].Under);
  EXPECT_TRUE(chars[1].Under && !chars[1].Over);
  EXPECT_TRUE(chars[2].Under && chars[2].Over);
  EXPECT_FALSE(chars[3].Under || chars[3].Over);
}

TEST_F(TextLayoutTest, DiameterCodeDrawsTheDiameterSign) {
  TvxDXFText* t = AddLoaded(Text("%%c25"));
  std::u32string got;
  for (const TvxTextChar& ch : DecodeTextChars(t->Text())) got += ch.Ch;
  EXPECT_EQ(got, U"\u2205" U"25");
  EXPECT_EQ(t->Layout().Glyphs.size(), 3u);
  ExpectBox(t->GetBox(), 0, 0, 2.6, 1, "%%c25");
}

TEST_F(TextLayoutTest, FontSelectionByStyle) {
  struct Case {
    const char* primary;
    const char* face;
    uint8_t fontStyle;
    const char* big;
    TvxFontKind wantKind;   // of the last request
    const char* wantName;   // of the last request
    bool wantFilled;
    bool wantBold, wantItalic;
  };
  for (const Case& c : std::initializer_list<Case>{
           {"mono.shx", "", 0, "", fkShapes, "mono", false, false, false},
           {"mono", "", 0, "", fkShapes, "mono", false, false, false},            // no extension: SHX
           {"romans.shx", "", 0, "", fkTrueType, "Arial", true, false, false},    // missing SHX
           {"txt", "Times New Roman", cnstFontBold | cnstFontItalic, "", fkTrueType,
            "Times New Roman", true, true, true},
           {"arial.ttf", "", 0, "", fkTrueType, "arial", true, false, false},
           {"", "arial.ttf", cnstFontBold, "", fkTrueType, "arial", true, true, false},
           {"mono.shx", "Arial", 0, "big.shx", fkShapes, "mono", false, false, false}}) {
    // a style with a big font draws with SHX fonts even when it names a face
    fonts.Requests.clear();
    TvxDXFStyle* s = Style(std::string("S") + c.primary + c.face, c.primary, c.face, c.fontStyle, c.big);
    TvxDXFText* t = AddLoaded(Text("A", {}, 1, s));
    ASSERT_FALSE(fonts.Requests.empty()) << c.primary;
    const TvxFontRequest& r = fonts.Requests.back();
    const std::string what = std::string(c.primary) + "/" + c.face;
    if (c.wantKind == fkShapes || std::string(c.primary) != "romans.shx") {
      EXPECT_EQ(r.Kind, c.wantKind) << what;
      EXPECT_EQ(r.Name, c.wantName) << what;
    } else {
      // the missing SHX font is asked for first, then the TrueType face of its name
      ASSERT_GE(fonts.Requests.size(), 2u);
      EXPECT_EQ(fonts.Requests[0].Kind, fkShapes);
      EXPECT_EQ(fonts.Requests[0].Name, "romans");
      EXPECT_EQ(fonts.Requests[1].Kind, fkTrueType);
      EXPECT_EQ(fonts.Requests[1].Name, "romans");
    }
    EXPECT_EQ(r.Bold, c.wantBold) << what;
    EXPECT_EQ(r.Italic, c.wantItalic) << what;
    EXPECT_EQ(t->Layout().Filled, c.wantFilled) << what;
    EXPECT_FALSE(IsBadBox(t->GetBox())) << what;
  }
}

TEST_F(TextLayoutTest, AlignmentsPlaceTheStartPoint) {
  // "ABC" at height 2 is 6 long (advance), its glyphs 5.2; Point1 is (30, 40).
  struct Case {
    uint8_t h, v;
    double x, y;
  };
  for (const Case& c : std::initializer_list<Case>{{0, 0, 10, 20},
                                                  {1, 0, 27, 40},
                                                  {2, 0, 24, 40},
                                                  {4, 0, 27, 39},
                                                  {0, 1, 30, 40 + 2.0 / 3},
                                                  {0, 2, 30, 39},
                                                  {0, 3, 30, 38},
                                                  {1, 3, 27, 38},
                                                  {2, 1, 24, 40 + 2.0 / 3}}) {
    TvxDXFText* t = Text("ABC", {10, 20, 0}, 2);
    t->SetPoint1({30, 40, 0});
    t->SetHAlign(c.h);
    t->SetVAlign(c.v);
    AddLoaded(t);
    const std::string what = std::to_string(c.h) + "," + std::to_string(c.v);
    EXPECT_NEAR(t->StartPoint().X, c.x, 1e-9) << what;
    EXPECT_NEAR(t->StartPoint().Y, c.y, 1e-9) << what;
    EXPECT_NEAR(t->GetBox().Left, c.x, 1e-9) << what;
    EXPECT_NEAR(t->GetBox().Right, c.x + 5.2, 1e-9) << what;
    EXPECT_NEAR(t->GetBox().Top - t->GetBox().Bottom, 2, 1e-9) << what;
  }
}

TEST_F(TextLayoutTest, AlignedScalesTheHeightFitTheWidth) {
  // aligned along a vertical line pointing down: rotation 270, height doubled (6 -> 12)
  TvxDXFText* a = Text("ABC", {0, 0, 0}, 2);
  a->SetPoint1({0, -12, 0});
  a->SetHAlign(cnstHAlignAligned);
  AddLoaded(a);
  ExpectBox(a->GetBox(), 0, -10.4, 4, 0, "aligned");
  // fit: the height stays, the width factor doubles
  for (TvxFontFace* face : {static_cast<TvxFontFace*>(&fonts.FShx), static_cast<TvxFontFace*>(&fonts.FTrueType)}) {
    TvxDXFText* f = Text("ABC", {0, 0, 0}, 2, face == &fonts.FShx ? mono : Style("TT", "", "Arial"));
    f->SetPoint1({12, 0, 0});
    f->SetHAlign(cnstHAlignFit);
    AddLoaded(f);
    const double right = face == &fonts.FShx ? 10.4 : 12;  // TrueType boxes reach the advance
    ExpectBox(f->GetBox(), 0, 0, right, 2, "fit");
  }
  TvxDXFText* down = Text("A", {5, 5, 0}, 1, Style("TT2", "", "Arial"));
  down->SetPoint1({5, 1, 0});
  down->SetHAlign(cnstHAlignFit);
  AddLoaded(down);
  // the glyph box (1 x 4 after the fit) turned to 270 degrees
  ExpectBox(down->GetBox(), 5, 1, 6, 5, "fit down");
}

TEST_F(TextLayoutTest, WidthFactorObliqueAndMirroring) {
  struct Case {
    const char* what;
    double wf, oblique, rotation;
    uint8_t gen;
    double l, b, r, t;
  };
  const double t15 = std::tan(15 * M_PI / 180), t10 = std::tan(10 * M_PI / 180);
  for (const Case& c : std::initializer_list<Case>{
           {"plain", 1, 0, 0, 0, 0, 0, 2.6, 1},
           {"width 0.5", 0.5, 0, 0, 0, 0, 0, 1.3, 1},
           {"oblique 15", 1, 15, 0, 0, 0, 0, 2.6 + t15, 1},
           {"oblique -10", 1, -10, 0, 0, -t10, 0, 2.6, 1},   // stored as 170
           {"oblique 270", 1, 270, 0, 0, 0, 0, 2.6, 1},      // stored as 0
           {"backward", 1, 0, 0, cnstTextBackward, -2.6, 0, 0, 1},
           {"upside down", 1, 0, 0, cnstTextUpsideDown, 0, -1, 2.6, 0},
           {"rotated 90", 1, 0, 90, 0, -1, 0, 0, 2.6}}) {
    TvxDXFText* t = Text("ABC");
    t->SetScale(c.wf);
    t->SetObliqueAngle(c.oblique);
    t->SetRotation(c.rotation);
    t->SetGeneration(c.gen);
    AddLoaded(t);
    ExpectBox(t->GetBox(), c.l, c.b, c.r, c.t, c.what);
  }
  // the style's flags mirror too
  TvxDXFStyle* back = Style("BACK", "mono.shx");
  back->TextGenFlags = cnstTextBackward;
  ExpectBox(AddLoaded(Text("ABC", {}, 1, back))->GetBox(), -2.6, 0, 0, 1, "style backward");
}

TEST_F(TextLayoutTest, DecorationsAndEmptyTexts) {
  TvxDXFText* u = AddLoaded(Text("%%uABC%%u"));
  ASSERT_EQ(u->Layout().Lines.size(), 2u);  // one underline
  EXPECT_DOUBLE_EQ(u->Layout().Lines[1].X, 3000);
  ExpectBox(u->GetBox(), 0, -0.2, 3, 1, "underlined");
  TvxDXFText* o = AddLoaded(Text("A%%oB"));  // an overline left open runs to the end
  ASSERT_EQ(o->Layout().Lines.size(), 2u);
  EXPECT_DOUBLE_EQ(o->Layout().Lines[0].X, 1000);
  // blanks draw nothing: no box
  EXPECT_TRUE(IsBadBox(AddLoaded(Text("   "))->GetBox()));
  EXPECT_TRUE(IsBadBox(AddLoaded(Text("ABC", {}, 0))->GetBox()));
}

TEST_F(TextLayoutTest, AttributesAndShapesUseTheirGlyphs) {
  auto* att = new TvxDXFAttrib();
  att->SetValue("WXYZ");
  att->SetHeight(0.5);
  att->SetStyle(mono);
  AddLoaded(att);
  ExpectBox(att->GetBox(), 0, 0, 1.8, 0.5, "attribute");
  auto* def = new TvxDXFAttdef();
  def->SetTag("TAG");
  def->SetStyle(mono);
  AddLoaded(def);
  ExpectBox(def->GetBox(), 0, 0, 2.6, 1, "definition shows its tag");

  auto* shape = new TvxDXFShape();
  shape->SetShapeName("BOX");
  shape->SetSize(2);
  shape->SetPoint({1, 1, 0});
  shape->SetStyle(mono);
  AddLoaded(shape);
  ExpectBox(shape->GetBox(), 1, 1, 2.2, 3, "shape");
  EXPECT_EQ(shape->Layout().Glyphs.size(), 1u);
}

TEST_F(TextLayoutTest, LayoutsOfAnotherProviderAreNotUsable) {
  TvxDXFText* t = AddLoaded(Text("ABC"));
  EXPECT_TRUE(t->Layout().Usable());
  {
    MonoProvider other;  // replaces the fixture's provider, then gives it back
    EXPECT_FALSE(t->Layout().Usable());
    conv->Loads(t);
    EXPECT_TRUE(t->Layout().Usable());
  }
  EXPECT_FALSE(t->Layout().Usable());
}
