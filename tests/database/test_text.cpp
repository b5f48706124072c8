// Text entities in the database: substitutions, oblique angles, the font a text takes from its
// style, alignment that cannot be used, estimated boxes of texts, shapes and MTexts, copies.
#include "test_entities_fixture.h"

#include "database/text/vxMText.h"

#include <cmath>
#include <string>

using namespace vx;
using namespace vx::test;

namespace {

class TextTest : public EntitiesTest {
 protected:
  TvxDXFStyle* Style(const std::string& name, const std::string& primary, const std::string& face = "",
                     const std::string& big = "") {
    auto* s = conv->StyleByName(name);
    s->PrimaryFont = primary;
    s->FontName = face;
    s->BigFont = big;
    return s;
  }
  TvxDXFText* Text(const std::string& s, TFPoint at = {}, double h = 1) {
    auto* t = new TvxDXFText();
    t->SetText(s);
    t->SetPoint(at);
    t->SetHeight(h);
    return t;
  }
};

}  // namespace

TEST(TextCodes, SubstitutionsAndNumericCodes) {
  struct Case {
    const char* in;
    bool numeric;
    const char* want;
  };
  for (const Case& c : std::initializer_list<Case>{
           {"%%c25", false, "\\U+2205" "25"},
           {"30%%d and 30%%D", false, "30\u00B0 and 30\u00B0"},
           {"%%p0.1", false, "\u00B10.1"},
           {"%%uABC%%u", false, "%%uABC%%u"},  // underline codes are read by the layout
           {"100%", false, "100%"},
           {"%%", false, "%%"},
           {"%%176 %%179 %%220 %%128x", true, "\u00B0 \u00B3 \u00DC \u0080x"},
           {"%%176", false, "%%176"},  // numeric codes only when importing
           {"%%999", true, "%%999"},
       })
    EXPECT_EQ(SubstituteTextCodes(c.in, c.numeric), c.want) << c.in;
}

TEST(TextCodes, HostSubstitutionsComeFirst) {
  TextSubstitutions = {{"$NAME", "%%dX"}};
  EXPECT_EQ(SubstituteTextCodes("a $NAME"), "a \u00B0X");
  TextSubstitutions.clear();
}

TEST(TextCodes, ObliqueAngleIsReducedIntoHalfATurn) {
  struct Case {
    double in, want;
  };
  for (const Case& c : std::initializer_list<Case>{
           {-10, 170}, {270, 0}, {90, 0}, {15, 15}, {180, 0}, {-190, 170}, {NAN, 0}, {INFINITY, 0}}) {
    TvxDXFText t;
    t.SetObliqueAngle(c.in);
    EXPECT_DOUBLE_EQ(t.ObliqueAngle(), c.want) << c.in;
  }
}

TEST(TextCodes, CharacterCountSeesEscapesAsOne) {
  EXPECT_EQ(TextCharCount("abc"), 3u);
  EXPECT_EQ(TextCharCount("\u00B0C"), 2u);  // UTF-8 code points, not bytes
  EXPECT_EQ(TextCharCount("\\U+2205" "25"), 3u);
  EXPECT_EQ(TextCharCount("%%uAB%%U"), 2u);
  EXPECT_EQ(TextCharCount("\\U+22"), 5u);  // not an escape
}

TEST_F(TextTest, FontComesFromTheStyle) {
  struct Case {
    const char* primary;
    const char* face;
    const char* big;
    bool win;
    const char* name;
  };
  for (const Case& c : std::initializer_list<Case>{
           {"arial.ttf", "", "", true, "arial"},
           {"romans.shx", "", "", false, "romans"},
           {"txt", "", "", false, "txt"},
           {"txt", "Arial", "", true, "Arial"},
           {"font.xyz", "", "", true, "font"},
           {"romans.shx", "", "bigfont.shx", false, "romans"},
           {"arial.ttf", "", "bigfont.shx", false, "arial"},
       }) {
    SCOPED_TRACE(std::string(c.primary) + "/" + c.face + "/" + c.big);
    TvxDXFStyle* s = Style(std::string("S") + c.primary + c.face + c.big, c.primary, c.face, c.big);
    s->FontStyle = cnstFontBold;
    auto* t = AddLoaded(Text("x"));
    t->SetStyle(s);
    EXPECT_EQ(t->WinFont(), c.win);
    EXPECT_EQ(t->IsSHXFont(), !c.win);
    EXPECT_EQ(t->FontName(), c.name);
    EXPECT_EQ(t->FontStyle(), *c.face ? cnstFontBold : 0);
  }
}

TEST_F(TextTest, StyleIsCountedAndBackwardComesFromTextOrStyle) {
  TvxDXFStyle* s = Style("G", "txt");
  const int before = s->GetOwneredItem()->RefCount();
  auto* t = AddLoaded(Text("x"));
  t->SetStyle(s);
  EXPECT_EQ(s->GetOwneredItem()->RefCount(), before + 1);
  EXPECT_FALSE(t->Backward());
  s->TextGenFlags = cnstTextBackward;
  EXPECT_TRUE(t->Backward());
  EXPECT_FALSE(t->UpsideDown());
  t->SetGeneration(cnstTextUpsideDown | 1);
  EXPECT_EQ(t->Generation(), cnstTextUpsideDown);
  EXPECT_TRUE(t->UpsideDown());
  conv->ModelSpaceBlock()->RemoveEntity(t);
  t->Free();
  EXPECT_EQ(s->GetOwneredItem()->RefCount(), before);
}

TEST_F(TextTest, EstimatedBoxFollowsAlignmentAndRotation) {
  // "abcd" at height 2: 0.8 x 2 x 4 = 6.4 wide.
  struct Case {
    const char* name;
    uint8_t h, v;
    TFPoint p1;
    double rotation;
    TFRect want;  // Left, Top, Z1, Right, Bottom, Z2
  };
  const TFPoint u = cnstUndefinedPoint;
  for (const Case& c : std::initializer_list<Case>{
           {"left", 0, 0, u, 0, {10, 7, 0, 16.4, 5, 0}},
           {"centre at point 1", 1, 0, {20, 5, 0}, 0, {16.8, 7, 0, 23.2, 5, 0}},
           {"right top", 2, 3, {20, 5, 0}, 0, {13.6, 5, 0, 20, 3, 0}},
           {"middle", 4, 0, {20, 5, 0}, 0, {16.8, 6, 0, 23.2, 4, 0}},
           {"rotated 90", 0, 0, u, 90, {8, 11.4, 0, 10, 5, 0}},
           {"fit along point 1", 5, 0, {10, 13, 0}, 0, {8, 13, 0, 10, 5, 0}},
           {"alignment without point 1", 2, 0, u, 0, {10, 7, 0, 16.4, 5, 0}},
       }) {
    SCOPED_TRACE(c.name);
    auto* t = Text("abcd", {10, 5, 0}, 2);
    t->SetHAlign(c.h);
    t->SetVAlign(c.v);
    t->SetPoint1(c.p1);
    t->SetRotation(c.rotation);
    AddLoaded(t);
    const TFRect b = t->GetBox();
    EXPECT_NEAR(b.Left, c.want.Left, 1e-9);
    EXPECT_NEAR(b.Right, c.want.Right, 1e-9);
    EXPECT_NEAR(b.Bottom, c.want.Bottom, 1e-9);
    EXPECT_NEAR(b.Top, c.want.Top, 1e-9);
  }
}

TEST_F(TextTest, UnusableAlignmentIsResetAtLoad) {
  auto* t = Text("a");
  t->SetHAlign(cnstHAlignRight);
  t->SetVAlign(cnstVAlignTop);
  EXPECT_FALSE(t->UsesPoint1());
  AddLoaded(t);
  EXPECT_EQ(t->HAlign(), 0);
  EXPECT_EQ(t->VAlign(), 0);
  // With a second point the alignment stays and the point moves with references.
  auto* u = Text("a");
  u->SetHAlign(cnstHAlignRight);
  u->SetPoint1({3, 0, 0});
  EXPECT_TRUE(u->UsesPoint1());
  AddLoaded(u);
  EXPECT_EQ(u->HAlign(), cnstHAlignRight);
  EXPECT_NEAR(u->StartPoint().X, 3 - 0.8, 1e-9);
}

TEST_F(TextTest, EmptyTextHasNoBoxAndExtrudedTextLeavesItsPlane) {
  auto* empty = AddLoaded(Text(""));
  EXPECT_TRUE(IsBadBox(empty->GetBox()));
  EXPECT_TRUE(empty->IsEmpty());
  // Normal (0, 0, -1): object X runs along world -X.
  auto* t = Text("ab", {1, 0, 0}, 1);
  t->SetExtrusion({0, 0, -1});
  AddLoaded(t);
  EXPECT_NEAR(t->GetBox().Left, -1 - 1.6, 1e-9);
  EXPECT_NEAR(t->GetBox().Right, -1, 1e-9);
  // A zero or broken normal is the default one.
  t->SetExtrusion({0, 0, 0});
  EXPECT_EQ(t->GetExtrusion().Z, 1);
  t->SetExtrusion({NAN, 0, 1});
  EXPECT_EQ(t->GetExtrusion().X, 0);
}

TEST_F(TextTest, ShapeShowsWhenItNamesAGlyph) {
  auto* s = new TvxDXFShape();
  s->SetPoint({1, 1, 0});
  s->SetSize(2);
  s->SetScale(1.5);
  AddLoaded(s);
  EXPECT_EQ(s->EntType(), ceShape);
  EXPECT_TRUE(IsBadBox(s->GetBox()));
  s->SetShapeName("BOX");
  conv->Loads(s);
  EXPECT_NEAR(s->GetBox().Right, 4, 1e-9);
  EXPECT_NEAR(s->GetBox().Top, 3, 1e-9);
  auto* copy = static_cast<TvxDXFShape*>(s->Clone());
  EXPECT_EQ(copy->ShapeName(), "BOX");
  EXPECT_DOUBLE_EQ(copy->Size(), 2);
  copy->Free();
}

TEST_F(TextTest, CopyTakesEveryFieldAndTheStyle) {
  TvxDXFStyle* s = Style("C", "romans.shx");
  auto* t = Text("abc", {1, 2, 3}, 4);
  t->SetStyle(s);
  t->SetPoint1({5, 6, 7});
  t->SetHAlign(2);
  t->SetVAlign(1);
  t->SetRotation(30);
  t->SetObliqueAngle(15);
  t->SetScale(0.5);
  t->SetGeneration(cnstTextBackward);
  t->SetExtrusion({0, 1, 0});
  t->SetZThick(2);
  t->SetHyperLink("http://x");
  AddLoaded(t);
  auto* c = static_cast<TvxDXFText*>(t->Clone());
  EXPECT_EQ(c->Text(), "abc");
  EXPECT_EQ(c->GetStyle(), s);
  ExpectNear(c->GetPoint1(), {5, 6, 7});
  EXPECT_EQ(c->HAlign(), 2);
  EXPECT_EQ(c->VAlign(), 1);
  EXPECT_DOUBLE_EQ(c->Rotation(), 30);
  EXPECT_DOUBLE_EQ(c->ObliqueAngle(), 15);
  EXPECT_DOUBLE_EQ(c->Scale(), 0.5);
  EXPECT_TRUE(c->Backward());
  ExpectNear(c->GetExtrusion(), {0, 1, 0});
  EXPECT_DOUBLE_EQ(c->ZThick(), 2);
  EXPECT_EQ(c->GetHyperLink(), "http://x");
  EXPECT_EQ(c->FontName(), "romans");
  c->Free();
}

TEST_F(TextTest, AttributesAreTexts) {
  auto* a = new TvxDXFAttrib();
  a->SetValue("%%d");
  a->SetTag("T");
  a->SetHeight(1);
  a->LoadData(conv);
  EXPECT_EQ(a->Text(), "\u00B0");
  EXPECT_EQ(a->Value(), "%%d");
  EXPECT_FALSE(IsBadBox(a->GetBox()));
  a->Free();
  auto* d = new TvxDXFAttdef();
  d->SetTag("TAG");
  EXPECT_EQ(d->Text(), "TAG");
  EXPECT_NE(dynamic_cast<TvxDXFText*>(static_cast<TvxDXFEntity*>(d)), nullptr);
  d->Free();
}

TEST(MTextParagraphs, CodesAreLeftOut) {
  struct Case {
    const char* in;
    std::vector<size_t> want;
  };
  for (const Case& c : std::initializer_list<Case>{
           {"abc", {3}},
           {"ab\\Pcdef", {2, 4}},
           {"{\\C1;red} x", {5}},
           {"\\fArial|b1;ab\\H2x;c", {3}},
           {"1\\S1/2345;", {5}},
           {"\\U+2205" "5\\~\\\\", {4}},
           {"\\Lu\\l", {1}},
           {"\\Hunterminated", {0}},
           {"", {0}},
       })
    EXPECT_EQ(MTextParagraphLengths(c.in), c.want) << c.in;
}

TEST_F(TextTest, MTextBoxByAttachmentWidthAndLines) {
  struct Case {
    uint8_t align;
    double rectWidth;
    const char* text;
    TFRect want;
  };
  // Height 1: a character is 0.8 wide, a further line adds 5/3.
  for (const Case& c : std::initializer_list<Case>{
           {1, 0, "abcde", {0, 0, 0, 4, -1, 0}},
           {5, 0, "abcde", {-2, 0.5, 0, 2, -0.5, 0}},
           {9, 0, "abcde", {-4, 1, 0, 0, 0, 0}},
           {1, 10, "ab\\Pc", {0, 0, 0, 10, -(1 + 5.0 / 3), 0}},
           {1, 2, "abcde", {0, 0, 0, 2, -(1 + 5.0 / 3), 0}},  // 4 wide wraps onto 2 lines
       }) {
    SCOPED_TRACE(std::to_string(c.align) + " " + c.text);
    auto* m = new TvxDXFMText();
    m->SetText(c.text);
    m->SetHeight(1);
    m->SetAlign(c.align);
    m->SetRectWidth(c.rectWidth);
    AddLoaded(m);
    const TFRect b = m->GetBox();
    EXPECT_NEAR(b.Left, c.want.Left, 1e-9);
    EXPECT_NEAR(b.Right, c.want.Right, 1e-9);
    EXPECT_NEAR(b.Bottom, c.want.Bottom, 1e-9);
    EXPECT_NEAR(b.Top, c.want.Top, 1e-9);
  }
}

TEST_F(TextTest, MTextTakesStandardAndTurnsWithItsDirection) {
  auto* m = new TvxDXFMText();
  m->SetText("ab");
  m->SetHeight(1);
  m->SetPoint({5, 5, 0});
  m->SetRotation(30);
  EXPECT_DOUBLE_EQ(m->EffectiveRotation(), 30);
  m->SetPoint1({0, 1, 0});  // the direction wins over the stored angle
  EXPECT_NEAR(m->EffectiveRotation(), 90, 1e-9);
  m->SetPoint1({0, 0, 1});  // equal to the extrusion: no direction
  EXPECT_DOUBLE_EQ(m->EffectiveRotation(), 30);
  m->SetPoint1({0, 1, 0});
  AddLoaded(m);
  ASSERT_NE(m->GetStyle(), nullptr);
  EXPECT_EQ(m->GetStyle()->GetName(), "STANDARD");
  EXPECT_EQ(m->EntType(), ceMText);
  // Turned by 90 about (5, 5): the 1.6 wide line runs up from the point, 1 high to its left.
  const TFRect b = m->GetBox();
  EXPECT_NEAR(b.Left, 5, 1e-9);
  EXPECT_NEAR(b.Right, 6, 1e-9);
  EXPECT_NEAR(b.Bottom, 5, 1e-9);
  EXPECT_NEAR(b.Top, 6.6, 1e-9);
  // Nothing visible: no box.
  m->SetText("{\\C1;}\\P");
  conv->Loads(m);
  EXPECT_TRUE(IsBadBox(m->GetBox()));
}

TEST_F(TextTest, LineWeightFromHundredthsOnlyWhileByLayer) {
  TvxEntityPtr<TvxDXFText> t(new TvxDXFText());
  EXPECT_DOUBLE_EQ(t->GetLineWeight(), fLineWeightByLayer);
  t->SetLWeight(35);
  EXPECT_DOUBLE_EQ(t->GetLineWeight(), 0.35);
  t->SetLWeight(50);
  EXPECT_DOUBLE_EQ(t->GetLineWeight(), 0.35);
  EXPECT_DOUBLE_EQ(t->GetThickness(), 0.35);  // the pen width the renderer asks for
}
