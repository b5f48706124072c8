// The fill step: loops as one area with islands as holes, pattern hatches as lines inside their
// boundary, gradients spreading across the area, and fills picked through the selection matrix.
#include "dxf/test_dxf_load_fixture.h"
#include "test_walk_fixture.h"

#include "database/hatches/vxHatches.h"
#include "readers/dxf/vxDXFImport.h"

namespace vx::test {
namespace {

using dxftest::Pairs;

Pairs Square(double x0, double y0, double x1, double y1) {
  Pairs p{{92, "3"}, {72, "0"}, {73, "1"}, {93, "4"}};
  for (auto [x, y] : {std::pair{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}}) {
    p.push_back({10, std::to_string(x)});
    p.push_back({20, std::to_string(y)});
  }
  p.push_back({97, "0"});
  return p;
}

// A hatch over nested squares centred on (50, 50), the outermost one 80 wide.
Pairs NestedHatch(int loops, const Pairs& tail, bool solid = true) {
  Pairs p{{0, "HATCH"}, {8, "0"}, {62, "1"}, {10, "0"}, {20, "0"}, {30, "0"}, {2, solid ? "SOLID" : "USER"},
          {70, solid ? "1" : "0"}, {71, "0"}, {91, std::to_string(loops)}};
  for (int i = 0; i < loops; ++i) {
    const double h = 40 - 12 * i;
    const Pairs s = Square(50 - h, 50 - h, 50 + h, 50 + h);
    p.insert(p.end(), s.begin(), s.end());
  }
  p.insert(p.end(), {{75, "0"}, {76, "1"}});
  p.insert(p.end(), tail.begin(), tail.end());
  return p;
}

class FillWalk : public WalkTest {
 protected:
  void Load(const Pairs& entity) {
    const std::string text = dxftest::DxfText(dxftest::Entities(entity));
    LoadDXF(conv, TdxfSource::FromBytes(text.data(), text.size()));
    Show();
  }
  static bool Red(TColor c) { return c == 0x0000FF; }
};

TEST_F(FillWalk, NestedLoopsAlternateBetweenAreaAndHole) {
  // probes at 50 - x for x in the outer ring, the second ring, the third ring
  struct Case {
    int Loops;
    bool Outer, Second, Third;
  };
  for (const Case c : {Case{1, true, true, true}, Case{2, true, false, false}, Case{3, true, false, true}}) {
    SCOPED_TRACE(c.Loops);
    Load(NestedHatch(c.Loops, {{98, "0"}}));
    const QImage im = Draw();
    // y = 50 on the screen too (one unit per pixel, Y flipped about the middle)
    EXPECT_EQ(Red(Pixel(im, 14, 50)), c.Outer);
    EXPECT_EQ(Red(Pixel(im, 26, 50)), c.Second);
    EXPECT_EQ(Red(Pixel(im, 50, 50)), c.Third);
    EXPECT_FALSE(Red(Pixel(im, 5, 50)));  // outside
  }
}

TEST_F(FillWalk, PatternHatchDrawsLinesOnlyInsideItsBoundary) {
  Load(NestedHatch(1,
                   {{52, "0"}, {41, "1"}, {77, "0"}, {78, "1"}, {53, "0"}, {43, "0"}, {44, "0"},
                    {45, "0"}, {46, "5"}, {79, "0"}, {98, "0"}},
                   false));
  const QImage im = Draw();
  int inside = 0, outside = 0, area = 0;
  for (int y = 0; y < 100; ++y)
    for (int x = 0; x < 100; ++x) {
      const bool in = x > 11 && x < 89 && y > 11 && y < 89;
      const bool painted = Pixel(im, x, y) != 0xFFFFFF;
      if (in) {
        ++area;
        inside += painted;
      } else if (x < 9 || x > 91 || y < 9 || y > 91) {
        outside += painted;
      }
    }
  EXPECT_EQ(outside, 0);
  // horizontal lines 5 units apart: about a fifth of the area, neither empty nor filled
  EXPECT_GT(inside, area / 10);
  EXPECT_LT(inside, area / 2);
}

TEST_F(FillWalk, GradientRunsFromTheFirstColourToTheSecond) {
  Load(NestedHatch(1, {{98, "0"}, {450, "1"}, {451, "0"}, {452, "0"}, {453, "2"}, {463, "0"}, {63, "5"},
                       {421, "255"}, {463, "1"}, {63, "7"}, {421, "16777215"}, {460, "0"}, {461, "0"},
                       {470, "LINEAR"}}));
  const QImage im = Draw();
  const QColor left = im.pixelColor(14, 50), right = im.pixelColor(86, 50);
  // blue on the left turning white on the right
  EXPECT_GT(left.blue(), 200);
  EXPECT_LT(left.red(), 80);
  EXPECT_GT(right.red(), 180);
  EXPECT_GT(right.blue(), 200);
  EXPECT_EQ(Pixel(im, 5, 50), 0xFFFFFFu);
}

TEST_F(FillWalk, FilledAreaIsPickedInsideNotInItsHole) {
  Load(NestedHatch(2, {{98, "0"}}));
  auto* matrix = new TvxSelectionMatrix();  // the image owns it
  img->SetSelectionMatrix(matrix);
  img->SetMatrixMode(smEnabled);
  img->SetVisibleArea(QSize(cnstSize, cnstSize));
  matrix->SetSize(QSize(cnstSize, cnstSize));
  matrix->ClearFull();
  Draw();
  TvxDXFEntity* hatch = conv->ModelSpaceBlock()->GetEntity(0);
  EXPECT_EQ(matrix->GetElementInMatrix(14, 50), hatch);
  EXPECT_EQ(matrix->GetElementInMatrix(50, 50), nullptr);
}

TEST_F(FillWalk, WipeoutHidesWhatLiesBeneathAndDrawsItsFrame) {
  // a red solid hatch over the picture, then a wipeout over its middle (30..70 both ways)
  Pairs both = NestedHatch(1, {{98, "0"}});
  const Pairs wipeout{{0, "WIPEOUT"}, {8, "0"}, {62, "5"}, {10, "30"}, {20, "30"}, {30, "0"},
                      {11, "40"}, {21, "0"}, {31, "0"}, {12, "0"}, {22, "40"}, {32, "0"},
                      {13, "1"}, {23, "1"}, {70, "7"}, {71, "1"}, {91, "2"},
                      {14, "-0.5"}, {24, "-0.5"}, {14, "0.5"}, {24, "0.5"}};
  both.insert(both.end(), wipeout.begin(), wipeout.end());
  for (bool hidden : {false, true}) {
    SCOPED_TRACE(hidden);
    Load(both);
    conv->SetHideWipeouts(hidden);
    const QImage im = Draw();
    EXPECT_TRUE(Red(Pixel(im, 20, 50)));            // the hatch around the wipeout
    EXPECT_EQ(Pixel(im, 50, 50), 0xFFFFFFu);        // masked: the background colour
    EXPECT_EQ(Pixel(im, 30, 50) == 0xFF0000u, !hidden);  // the frame in the wipeout's blue
  }
}

}  // namespace
}  // namespace vx::test
