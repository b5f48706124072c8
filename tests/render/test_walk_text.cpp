// The text step of the walk: glyphs land inside the text's box, TrueType glyphs filled and SHX
// glyphs stroked, texts picked through the selection matrix, unreadably small texts drawn as
// their box, and real glyph outlines from the installed fonts.
#include "database/test_text_fonts_fixture.h"
#include "render/test_walk_fixture.h"

#include "database/blocks/vxAttribs.h"
#include "database/text/vxText.h"
#include "text/vxTextFonts.h"

using namespace vx;
using namespace vx::test;

namespace {

class WalkTextTest : public WalkTest {
 protected:
  TvxDXFStyle* Style(bool trueType) {
    TvxDXFStyle* style = conv->StyleByName(trueType ? "TT" : "SHX");
    style->PrimaryFont = trueType ? "" : "mono.shx";
    style->FontName = trueType ? "Arial" : "";
    return style;
  }
  TvxDXFText* Text(const std::string& s, TFPoint at, double h, bool trueType) {
    TvxDXFStyle* style = Style(trueType);
    auto* t = new TvxDXFText();
    t->SetText(s);
    t->SetPoint(at);
    t->SetHeight(h);
    t->SetStyle(style);
    return t;
  }
  // Device rows run down: drawing y is 100 - row.
  static int Row(double y) { return static_cast<int>(100 - y); }
};

class WalkMonoTextTest : public WalkTextTest {
 protected:
  MonoProvider fonts;
};

}  // namespace

TEST_F(WalkMonoTextTest, TrueTypeGlyphsAreFilledInsideTheBox) {
  TvxDXFText* t = b.Place(Text("AB", {10, 10, 0}, 20, true));
  const TFRect box = t->GetBox();
  EXPECT_DOUBLE_EQ(box.Left, 10);
  EXPECT_DOUBLE_EQ(box.Right, 50);  // two advances of 20
  const QImage im = Draw();
  EXPECT_EQ(Pixel(im, 15, Row(20)), 0x000000u);  // inside A
  EXPECT_EQ(Pixel(im, 35, Row(20)), 0x000000u);  // inside B
  EXPECT_EQ(Pixel(im, 26, Row(20)), 0xFFFFFFu);  // between them
  EXPECT_EQ(Pixel(im, 15, Row(35)), 0xFFFFFFu);  // above
  // nothing outside the box
  for (int y = 0; y < cnstSize; ++y)
    for (int x = 0; x < cnstSize; ++x)
      if (x < 9 || x > 51 || y < Row(31) || y > Row(9))
        ASSERT_EQ(Pixel(im, x, y), 0xFFFFFFu) << x << "," << y;
}

TEST_F(WalkMonoTextTest, ShxGlyphsAreStroked) {
  b.Place(Text("A", {10, 10, 0}, 20, false));
  Recorder rec;
  const QImage plain = Draw();
  EXPECT_EQ(Pixel(plain, 16, Row(20)), 0xFFFFFFu);  // the glyph's inside stays empty
  EXPECT_NE(Pixel(plain, 10, Row(20)), 0xFFFFFFu);  // its left edge
  Draw(&rec);
  ASSERT_EQ(rec.PolyPolylines.size(), 1u);
  ASSERT_EQ(rec.PolyPolylines[0].size(), 1u);
  const PointRun& run = rec.PolyPolylines[0][0];
  ASSERT_EQ(run.size(), 5u);
  EXPECT_EQ(run[0], QPoint(10, 90));
  EXPECT_EQ(run[2], QPoint(22, 70));
}

TEST_F(WalkMonoTextTest, TextsArePickedAndTinyTextsDrawTheirBox) {
  TvxDXFText* big = b.Place(Text("AB", {10, 10, 0}, 20, true));
  TvxDXFText* tiny = b.Place(Text("ABCDEFGHIJ", {10, 60, 0}, 1, true));
  auto* matrix = new TvxSelectionMatrix();
  img->SetSelectionMatrix(matrix);
  img->SetMatrixMode(smEnabled);
  img->SetVisibleArea(QSize(cnstSize, cnstSize));
  const QImage im = Draw();
  EXPECT_EQ(matrix->GetElementInMatrix(15, Row(20)), big);
  EXPECT_EQ(matrix->GetElementInMatrix(26, Row(20)), nullptr);
  // a text one pixel high is a bar as long as its box
  EXPECT_EQ(matrix->GetElementInMatrix(15, Row(60.5)), tiny);
  EXPECT_NE(Pixel(im, 15, Row(60.5)), 0xFFFFFFu);
  EXPECT_NE(Pixel(im, 19, Row(60.5)), 0xFFFFFFu);
}

TEST_F(WalkMonoTextTest, AttributesDrawAndInvisibleOnesDoNot) {
  auto* att = new TvxDXFAttrib();
  att->SetValue("A");
  att->SetPoint({10, 10, 0});
  att->SetHeight(20);
  att->SetStyle(Style(true));
  b.Place(att);
  EXPECT_EQ(Pixel(Draw(), 15, Row(20)), 0x000000u);
  att->SetFlags(cnstAttNotAppear);
  EXPECT_EQ(CountNot(Draw(), 0xFFFFFF), 0);
}

TEST_F(WalkTextTest, InstalledFontsDrawLettersInsideTheirBox) {
  InstallTextFonts();
  TvxDXFText* t = b.Place(Text("HI", {10, 30, 0}, 30, true));
  const TFRect box = t->GetBox();
  ASSERT_FALSE(IsBadBox(box));
  // the cap height is the text height
  EXPECT_NEAR(box.Top - box.Bottom, 30, 1.5);
  EXPECT_GT(box.Right - box.Left, 20);
  const QImage im = Draw();
  int inside = 0, outside = 0;
  for (int y = 0; y < cnstSize; ++y)
    for (int x = 0; x < cnstSize; ++x) {
      if (Pixel(im, x, y) == 0xFFFFFFu) continue;
      const double dx = x + 0.5, dy = 100 - y - 0.5;
      const bool in = dx > box.Left - 1 && dx < box.Right + 1 && dy > box.Bottom - 1 && dy < box.Top + 1;
      (in ? inside : outside)++;
    }
  EXPECT_GT(inside, 200);  // the stems of H and I are filled
  EXPECT_EQ(outside, 0);
  // the left stem of H at its middle height (past the left side bearing)
  EXPECT_EQ(Pixel(im, static_cast<int>(box.Left) + 5, Row(45)), 0x000000u);
}
