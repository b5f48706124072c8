// TrueType outlines: the face cache and its keys, glyph slots, contours and advances of DejaVu
// Sans (the installed test face), the coefficient, layout outputs, the font table both ways and
// fontconfig's substitutions, cubic segments, and damaged font files.
#include "text/truetype/vxOutline.h"
#include "text/truetype/vxTableFonts.h"
#include "text/truetype/vxTextGlyph.h"

#include "foundation/vxFunction.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>

using namespace vx;
using namespace vx::ttf;

namespace {

// DejaVu Sans: 2048 units per em.
constexpr double kUnit = cnstOutlineHeight / 2048;

std::string DejaVuPath() { return TvxTableFonts::Instance().GetFilePath("DejaVu Sans"); }

TvxTextGlyph* DejaVu() {
  return TvxContainerOfTextGlyphs::Instance().AddTextGlyphsByFont("DejaVu Sans", 0);
}

#define REQUIRE_DEJAVU()                                                         \
  if (DejaVuPath().empty()) GTEST_SKIP() << "DejaVu Sans is not installed";

}  // namespace

TEST(TrueTypeCache, KeysAreFaceNameAndStyleByte) {
  REQUIRE_DEJAVU();
  EXPECT_EQ(TvxContainerOfTextGlyphs::Key("Arial", 1), "Arial1");
  EXPECT_EQ(TvxContainerOfTextGlyphs::Key(std::string_view("Arial\0junk", 10), 0), "Arial0");
  auto& c = TvxContainerOfTextGlyphs::Instance();
  TvxTextGlyph* regular = c.AddTextGlyphsByFont("DejaVu Sans", 0);
  TvxTextGlyph* bold = c.AddTextGlyphsByFont("DejaVu Sans", cnstTTFBold);
  ASSERT_NE(regular, nullptr);
  ASSERT_NE(bold, nullptr);
  EXPECT_NE(regular, bold);
  EXPECT_EQ(c.Find("DejaVu Sans", 0), regular);
  EXPECT_EQ(c.Find("DejaVu Sans", 1), bold);
  EXPECT_EQ(c.Find("DejaVu Sans", 2), nullptr);
  EXPECT_EQ(c.AddTextGlyphsByFont("DejaVu Sans", 0), regular);
  EXPECT_EQ(regular->FileName(), DejaVuPath());
  EXPECT_NE(bold->FileName(), regular->FileName());  // the bold face's own file
  // A bold face is wider than the regular one.
  EXPECT_GT(bold->TextAdvance(U"WWW"), regular->TextAdvance(U"WWW"));
}

TEST(TrueTypeCache, CodesAbove255GoAfterTheDirectSlotsInOrderOfFirstUse) {
  REQUIRE_DEJAVU();
  TvxTextGlyph g;
  ASSERT_TRUE(g.OpenFile(DejaVuPath()));
  const TvxGlyph* a = g.Glyph(U'A');
  const TvxGlyph* zhe = g.Glyph(U'\u0416');
  const TvxGlyph* omega = g.Glyph(U'\u03A9');
  ASSERT_TRUE(a && zhe && omega);
  EXPECT_EQ(g.GlyphsUniCode(), (std::vector<char32_t>{U'\u0416', U'\u03A9'}));
  EXPECT_EQ(g.Glyph(U'\u0416'), zhe);  // found again, not loaded twice
  EXPECT_EQ(g.Glyph(U'A'), a);
  EXPECT_EQ(g.GlyphsUniCode().size(), 2u);
  EXPECT_FALSE(zhe->FPolyPolyline.empty());
}

TEST(TrueTypeOutline, ContoursOfDejaVuLetters) {
  REQUIRE_DEJAVU();
  TvxTextGlyph g;
  ASSERT_TRUE(g.OpenFile(DejaVuPath()));
  struct Case { char32_t ch; size_t contours; };
  for (const Case& c : std::initializer_list<Case>{
           {U'l', 1}, {U'H', 1}, {U'O', 2}, {U'o', 2}, {U'i', 2}, {U'B', 3}, {U'8', 3}, {U'%', 5}}) {
    const TvxGlyph* glyph = g.Glyph(c.ch);
    ASSERT_NE(glyph, nullptr);
    EXPECT_EQ(glyph->FPolyPolyline.size(), c.contours) << char(c.ch);
    for (const TvxGlyphContour& contour : glyph->FPolyPolyline) {
      ASSERT_GE(contour.size(), 4u);
      EXPECT_EQ(contour.front(), contour.back()) << "closed: " << char(c.ch);
    }
  }
  // 'H' is straight lines only: 12 corners and the closing point, at the font's own coordinates.
  const TvxGlyph* h = g.Glyph(U'H');
  EXPECT_EQ(h->FPolyPolyline[0].size(), 13u);
  EXPECT_NEAR(h->FBox.Top, 1493 * kUnit, 0.01);  // capital height
  EXPECT_NEAR(h->FBox.Bottom, 0, 0.01);
  EXPECT_EQ(h->FBox.Left, 0);
  EXPECT_NEAR(h->FBox.Right, 1540 * kUnit, 0.01);  // the advance
  EXPECT_NEAR(h->FRealLeft, 201 * kUnit, 0.01);
  EXPECT_NEAR(h->FRealRight, 1339 * kUnit, 0.01);
  // 'O' is curves: the points of each contour lie on a ring about its own box, none cut across.
  for (const TvxGlyphContour& c : g.Glyph(U'O')->FPolyPolyline) {
    EXPECT_GT(c.size(), 32u);
    float l = 1e9f, r = -1e9f, b = 1e9f, t = -1e9f;
    for (const TvxGlyphPoint& p : c) l = std::min(l, p.X), r = std::max(r, p.X), b = std::min(b, p.Y), t = std::max(t, p.Y);
    for (const TvxGlyphPoint& p : c) {
      const double d = std::hypot((p.X - (l + r) / 2) / ((r - l) / 2), (p.Y - (b + t) / 2) / ((t - b) / 2));
      EXPECT_GT(d, 0.99);
      EXPECT_LT(d, 1.08);
    }
  }
}

TEST(TrueTypeOutline, AdvancesAndBoxesAlongAString) {
  REQUIRE_DEJAVU();
  TvxTextGlyph g;
  ASSERT_TRUE(g.OpenFile(DejaVuPath()));
  ASSERT_TRUE(g.LoadedW(U"HH"));
  const double space = 651 * kUnit, advH = 1540 * kUnit;
  // Spaces: no contours, but the layout advances by each space's width.
  std::vector<TFPointList> list;
  EXPECT_EQ(g.GetPolyPolylineW(U"   ", list, cnstIdentityMat, 0), 0);
  EXPECT_NEAR(g.TextAdvance(U"   "), 3 * space, 0.01);
  TFRect box;
  g.GetBoxW(U"  ", box);
  EXPECT_NEAR(box.Right - box.Left, 2 * space, 0.01);
  // Two letters: the second glyph's contour starts one advance to the right.
  list.clear();
  EXPECT_EQ(g.GetPolyPolylineW(U"HH", list, cnstIdentityMat, 0), 2);
  EXPECT_NEAR(list[1][0].X - list[0][0].X, advH, 0.01);
  g.GetBoxW(U"HH", box);
  EXPECT_NEAR(box.Left, 0, 1e-9);
  EXPECT_NEAR(box.Right, 2 * advH, 0.01);
  EXPECT_NEAR(box.Top, 1493 * kUnit, 0.01);
  // Through a matrix: scaled by 2 and moved.
  const TFMatrix m = MultiplyMatrix(ScaleMatrix(2, 2, 1), TranslationMatrix({10, 20, 0}));
  TvxTTFFontParams params;
  g.GetBoxW(U"HH", box, &params, &m);
  EXPECT_NEAR(box.Left, 10, 1e-6);
  EXPECT_NEAR(box.Right, 10 + 4 * advH, 0.05);
  EXPECT_NEAR(params.Above, 2 * g.FAbove, 1e-6);
  EXPECT_NEAR(params.Below, 2 * g.FBelow, 1e-6);
  // The empty string: no contours, the empty rectangle, the default parameters.
  g.GetBoxW(U"", box, &params, &m);
  EXPECT_TRUE(IsBadBox(box));
  EXPECT_EQ(params.Above, 0);
  list.clear();
  EXPECT_EQ(g.GetPolyPolylineW(U"", list, cnstIdentityMat, 0), 0);
}

TEST(TrueTypeOutline, UnderlineAndStrikeOutAddTwoLinesAfterTheContours) {
  REQUIRE_DEJAVU();
  TvxTextGlyph g;
  ASSERT_TRUE(g.OpenFile(DejaVuPath()));
  ASSERT_TRUE(g.LoadedW(U"l"));
  std::vector<TFPointList> list;
  EXPECT_EQ(g.GetPolyPolylineW(U"ll", list, cnstIdentityMat, cnstTTFUnderline | cnstTTFStrikeOut), 4);
  const TvxGlyph* y = g.Glyph(U'y');
  const TvxGlyph* q = g.Glyph(U'Q');
  ASSERT_EQ(list[2].Count(), 2);
  ASSERT_EQ(list[3].Count(), 2);
  EXPECT_NEAR(list[2][0].Y, y->FBox.Bottom, 1e-6);
  EXPECT_NEAR(list[2][1].X, g.TextAdvance(U"ll"), 1e-6);
  EXPECT_NEAR(list[3][0].Y, (q->FBox.Top + y->FBox.Bottom) / 2, 1e-3);
  // An epsilon thins the contours.
  std::vector<TFPointList> thin;
  const TF2DPoint eps{200, 200};
  g.GetPolyPolylineW(U"O", thin, cnstIdentityMat, 0, &eps);
  std::vector<TFPointList> full;
  g.GetPolyPolylineW(U"O", full, cnstIdentityMat, 0);
  EXPECT_LT(thin[0].Count(), full[0].Count());
}

TEST(TrueTypeKoef, ReferenceCharacterMakesTheTextHeight) {
  REQUIRE_DEJAVU();
  TvxTextGlyph* g = DejaVu();
  ASSERT_NE(g, nullptr);
  ASSERT_GT(g->FKoef, 0);
  const char32_t ref = g->ReferenceChar();
  ASSERT_NE(ref, 0u);
  const TvxGlyph* r = g->Glyph(ref);
  EXPECT_NEAR(g->FKoef * (r->FBox.Top - r->FBox.Bottom), cnstOutlineHeight, 1e-6);
  EXPECT_NEAR(g->FAbove, 1556 * kUnit, 0.01);  // typographic ascent
  EXPECT_NEAR(g->FBelow, 492 * kUnit, 0.01);
}

// A face without its reference character (or with a flat one) never scales text by thousands.
TEST(TrueTypeKoef, MissingReferenceCharacterFallsBackToTheFaceMetrics) {
  struct Case { double ref, cap, ascent, want; };
  for (const Case& c : std::initializer_list<Case>{{3989, 3900, 4100, 3989},
                                                    {0, 3900, 4100, 3900},
                                                    {1e-6, 3900, 4100, 3900},
                                                    {20, 0, 4100, 4100},
                                                    {0, 0, 0, cnstOutlineHeight},
                                                    {NAN, NAN, NAN, cnstOutlineHeight}})
    EXPECT_EQ(KoefHeight(c.ref, c.cap, c.ascent), c.want) << c.ref;
}

TEST(TrueTypeFontTable, LooksUpBothWays) {
  REQUIRE_DEJAVU();
  auto& t = TvxTableFonts::Instance();
  EXPECT_GT(t.Count(), 0);
  struct Case { const char* face; const char* file; };
  for (const Case& c : std::initializer_list<Case>{{"DejaVu Sans", "DejaVuSans.ttf"},
                                                    {"DejaVu Sans Bold", "DejaVuSans-Bold.ttf"},
                                                    {"DejaVu Serif Bold Italic",
                                                     "DejaVuSerif-BoldItalic.ttf"}}) {
    EXPECT_EQ(t.GetFileName(c.face), c.file);
    EXPECT_EQ(t.GetFontName(c.file), c.face);
  }
  EXPECT_EQ(t.GetFileName("dejavu sans"), "DejaVuSans.ttf");  // names ignore case
  EXPECT_EQ(t.GetFontName("/any/folder/DEJAVUSANS.TTF"), "DejaVu Sans");
  EXPECT_EQ(t.GetFileName("No Such Face"), "");
  EXPECT_EQ(t.GetFontName("nosuch.ttf"), "");
  EXPECT_EQ(t.GetFontType("DejaVu Sans"), ftTrueType);
  EXPECT_EQ(t.GetFontType("No Such Face"), ftNone);
  EXPECT_EQ(FaceNameOfFontFile("DejaVuSans.ttf"), "DejaVu Sans");
  EXPECT_EQ(FaceNameOfFontFile("C:\\Windows\\Fonts\\arial.ttf"), "arial");
}

TEST(TrueTypeFontTable, CommonFacesGetMetricCompatibleSubstitutes) {
  if (TvxTableFonts::Instance().GetFileName("Liberation Sans").empty())
    GTEST_SKIP() << "the Liberation faces are not installed";
  struct Case { const char* asked; const char* family; };
  for (const Case& c : std::initializer_list<Case>{{"Arial", "Liberation Sans"},
                                                    {"arial", "Liberation Sans"},
                                                    {"Times New Roman", "Liberation Serif"},
                                                    {"Courier New", "Liberation Mono"}}) {
    TvxFontMatch m;
    ASSERT_TRUE(MatchFontFace(c.asked, 0, m)) << c.asked;
    EXPECT_EQ(m.Family, c.family) << c.asked;
  }
  // Any name gets some face.
  TvxFontMatch m;
  EXPECT_TRUE(MatchFontFace("txt", 0, m));
  EXPECT_FALSE(m.File.empty());
  // Arial's advance widths: 'W' is 1933 of 2048 units.
  TvxTextGlyph* arial = TvxContainerOfTextGlyphs::Instance().AddTextGlyphsByFont("Arial", 0);
  EXPECT_EQ(arial->FamilyName(), "Liberation Sans");
  EXPECT_NEAR(arial->Glyph(U'W')->Width(), 1933 * kUnit, 0.01);
}

// A cubic contour (as CFF faces have) keeps every segment: its points follow the curve.
TEST(TrueTypeOutline, CubicSegmentsAreFlattenedNotDropped) {
  FT_Vector points[] = {{0, 0}, {0, 1000}, {1000, 1000}, {1000, 0}};
  char tags[] = {FT_CURVE_TAG_ON, FT_CURVE_TAG_CUBIC, FT_CURVE_TAG_CUBIC, FT_CURVE_TAG_ON};
  short ends[] = {3};
  FT_Outline outline{};
  outline.n_contours = 1;
  outline.n_points = 4;
  outline.points = points;
  outline.tags = tags;
  outline.contours = ends;
  std::vector<TvxGlyphContour> contours;
  FlattenOutline(outline, 2.0, contours);
  ASSERT_EQ(contours.size(), 1u);
  const TvxGlyphContour& c = contours[0];
  ASSERT_GT(c.size(), 10u);
  EXPECT_EQ(c.front(), c.back());
  EXPECT_EQ(c[c.size() - 2], (TvxGlyphPoint{2000, 0}));  // the curve's end point, then the closing
  double top = 0;
  for (size_t i = 0; i + 1 < c.size(); ++i) {
    const double t = c[i].X / 2000;  // symmetric Bezier: x(t) is monotone
    (void)t;
    top = std::max(top, double(c[i].Y));
  }
  EXPECT_NEAR(top, 2 * 750, 1.0);  // the curve's apex: 3/4 of the control height
  // A mixed contour: line, quadratic, cubic.
  FT_Vector mixed[] = {{0, 0}, {500, 0}, {750, 500}, {1000, 0}, {1000, 300}, {500, 600}, {0, 300}};
  char mixedTags[] = {FT_CURVE_TAG_ON,    FT_CURVE_TAG_ON,    FT_CURVE_TAG_CONIC, FT_CURVE_TAG_ON,
                      FT_CURVE_TAG_CUBIC, FT_CURVE_TAG_CUBIC, FT_CURVE_TAG_ON};
  short mixedEnds[] = {6};
  outline.n_points = 7;
  outline.points = mixed;
  outline.tags = mixedTags;
  outline.contours = mixedEnds;
  contours.clear();
  FlattenOutline(outline, 1.0, contours);
  ASSERT_EQ(contours.size(), 1u);
  bool hasEnd = false;
  for (const TvxGlyphPoint& p : contours[0]) hasEnd |= p == TvxGlyphPoint{0, 300};
  EXPECT_TRUE(hasEnd);
  EXPECT_EQ(contours[0].front(), contours[0].back());
}

// Damaged font files: FreeType refuses them or reads what it can; nothing crashes.
TEST(TrueTypeRobust, TruncatedAndMutatedFontFiles) {
  REQUIRE_DEJAVU();
  std::ifstream in(DejaVuPath(), std::ios::binary);
  const std::string data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  ASSERT_GT(data.size(), 100000u);
  const auto dir = std::filesystem::temp_directory_path() / "vx_ttf_robust";
  std::filesystem::create_directories(dir);
  const auto tryFile = [&](const std::string& bytes, const std::string& name) {
    const std::string path = (dir / name).string();
    std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    TvxTextGlyph g;
    if (g.OpenFile(path)) {
      g.LoadedW(U"AHOQWy\u0416%");
      std::vector<TFPointList> list;
      g.GetPolyPolylineW(U"AHOQWy", list, cnstIdentityMat, cnstTTFUnderline);
      EXPECT_TRUE(std::isfinite(g.FKoef) && g.FKoef > 0 && g.FKoef < 100) << name;
    }
  };
  for (size_t len : {size_t(0), size_t(11), size_t(12), size_t(300), size_t(4096), data.size() / 2,
                     data.size() - 1})
    tryFile(data.substr(0, len), "cut" + std::to_string(len) + ".ttf");
  uint32_t seed = 12345;
  for (int round = 0; round < 8; ++round) {
    std::string bytes = data;
    for (int k = 0; k < 64; ++k) {
      seed = seed * 1103515245u + 12345u;
      bytes[(seed >> 8) % 4096] = static_cast<char>(seed >> 24);  // the tables' directory and heads
    }
    tryFile(bytes, "mut" + std::to_string(round) + ".ttf");
  }
  std::filesystem::remove_all(dir);
}
