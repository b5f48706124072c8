// The walk's rules: layers through references, the one-pixel shortcut and its cache, draw modes,
// line weights, nesting limits, the complex-entity marker, picking through the selection matrix.
#include "test_walk_fixture.h"

#include "database/entities/vxEntities.h"

#include <functional>
#include <stdexcept>
#include <string>

namespace vx::test {
namespace {

using Pts = PointRun;

bool HasRun(const Recorder& rec, const Pts& run) {
  for (const Pts& p : rec.Polylines)
    if (p == run) return true;
  return false;
}

TEST_F(WalkTest, ReferencesFollowTheLayerZeroAndFrozenRules) {
  b.Layer("0");
  TvxDXFLayer* off = b.Layer("OFF");
  off->SetVisible(false);
  TvxDXFLayer* frozen = b.Layer("FROZEN");
  frozen->SetFrozen(true);
  TvxDXFLayer* shown = b.Layer("SHOWN");
  TvxDXFLayer* zero = conv->LayerByName("0");
  TvxDXFBlock* blk = b.BlockWith("B", {b.Line({10, 10, 0}, {20, 10, 0}, shown),
                                       b.Line({10, 20, 0}, {20, 20, 0}, zero)});
  b.Place(b.Ref(blk, {0, 0, 0}, off));      // its parts on visible layers show
  b.Place(b.Ref(blk, {50, 0, 0}, frozen));  // nothing of it shows
  b.Place(b.Line({10, 30, 0}, {20, 30, 0}, off));  // an ordinary entity on an off layer
  Recorder rec;
  Draw(&rec);
  EXPECT_TRUE(HasRun(rec, {{10, 90}, {20, 90}}));   // on SHOWN inside the off reference
  EXPECT_FALSE(HasRun(rec, {{10, 80}, {20, 80}}));  // on "0": takes the reference's off layer
  EXPECT_EQ(rec.Polylines.size(), 1u);               // nothing of the frozen reference, no off line
}

TEST_F(WalkTest, AttributeModeZeroHidesAttributeDefinitions) {
  auto* def = new TvxDXFAttdef();
  def->SetTag("T");
  def->SetPoint({10, 10, 0});
  def->SetHeight(20);  // large enough not to be a single pixel
  b.Place(def);
  int seen = 0;
  struct Case {
    TvxAttributeMode mode;
    int drawn;
  };
  for (const Case c : {Case{attDisable, 0}, Case{attNormal, 1}, Case{attEnable, 1}}) {
    conv->HeadVarStruct().AttMode = c.mode;
    img->SetTextVisible(false);  // the text step itself is not under test: count the checks
    int before = seen;
    Show();
    // Every entity that passes visibility reaches the colour step; count those.
    img->Hooks.ExpSetPenWidth = [&seen](double) { ++seen; };
    Draw();
    img->Hooks = {};
    EXPECT_EQ(seen - before, c.drawn) << static_cast<int>(c.mode);
  }
}

TEST_F(WalkTest, TinyEntitiesPlotOnePixelPerRunOfOneColour) {
  auto tiny = [&](int aci) { return b.Place(b.Line({10, 10, 0}, {10.3, 10.2, 0}, nullptr, aci)); };
  tiny(1);
  tiny(1);
  Recorder same;
  Draw(&same);
  ASSERT_EQ(same.Pixels.size(), 1u);
  EXPECT_EQ(same.Pixels[0], std::make_pair(QPoint(10, 90), TColor{0x0000FF}));

  // The cache starts afresh with every draw: the pixel is plotted again.
  Recorder again;
  Draw(&again);
  EXPECT_EQ(again.Pixels.size(), 1u);

  tiny(3);  // another colour on the same pixel
  Recorder two;
  Draw(&two);
  EXPECT_EQ(two.Pixels.size(), 2u);

  // Anything drawn in between may cover the pixel: the next tiny entity plots it again.
  b.Place(b.Line({0, 10, 0}, {50, 10, 0}, nullptr, 3));
  tiny(3);
  Recorder between;
  Draw(&between);
  EXPECT_EQ(between.Pixels.size(), 3u);
}

TEST_F(WalkTest, DrawModesColourTheCanvas) {
  b.Place(b.Line({0, 50, 0}, {90, 50, 0}, nullptr, 1));
  EXPECT_EQ(Pixel(Draw(), 40, 50), 0x0000FFu);
  img->SetDrawMode(dmBlack);
  EXPECT_EQ(Pixel(Draw(), 40, 50), 0x000000u);
  // Grey is for texts only: a line keeps its own colour.
  img->SetDrawMode(dmGray);
  EXPECT_EQ(Pixel(Draw(), 40, 50), 0x0000FFu);
}

TEST_F(WalkTest, LineWeightSetsThePenWidth) {
  TvxDXFLine* line = b.Place(b.Line({0, 50, 0}, {90, 50, 0}, nullptr, 1, 0.5));
  Recorder rec;
  // 4000 dots per metre: 0.25 mm per pixel, so 0.5 mm is 2 pixels
  Draw(&rec, 4000);
  ASSERT_FALSE(rec.PenWidths.empty());
  EXPECT_DOUBLE_EQ(rec.PenWidths.back(), 2.0);
  QImage im = Draw(nullptr, 4000);
  int red = 0;
  for (int y = 40; y < 60; ++y) red += Pixel(im, 40, y) == 0x0000FFu;
  EXPECT_EQ(red, 2);

  img->SetIsShowLineWeight(false);
  Recorder off;
  Draw(&off, 4000);
  EXPECT_DOUBLE_EQ(off.PenWidths.back(), 0.0);
  img->SetIsShowLineWeight(true);

  // Colour-to-weight lines: the last matching one wins; red (255) to 1 mm is 4 pixels.
  struct Case {
    std::vector<std::string> lines;
    int aci;
    double want;
  };
  const std::vector<Case> cases{
      {{"clRed=1"}, 1, 4},
      {{"255 = 1"}, 1, 4},
      {{"$FF=1"}, 1, 4},
      {{"clRed=1", "255=0.5"}, 1, 2},
      {{"clBlue=3"}, 1, 2},        // no match: the line weight stands
      {{"0=0.5"}, 7, 2},           // 0 matches the foreground colour
      {{"clRed=1,5"}, 1, 0},       // not a number with a point: 0 millimetres
      {{"clRed"}, 1, 2},           // no equals sign: ignored
  };
  for (const Case& c : cases) {
    line->SetColorCAD(MakeColorCAD(acIndexColor, static_cast<uint32_t>(c.aci)));
    img->SetColorToLineWeight(c.lines);
    Recorder r;
    Draw(&r, 4000);
    ASSERT_FALSE(r.PenWidths.empty());
    EXPECT_DOUBLE_EQ(r.PenWidths.back(), c.want) << c.lines.front();
  }
  img->SetColorToLineWeight({"clRed=1"});
  line->SetColorCAD(MakeColorCAD(acIndexColor, 1));
  im = Draw(nullptr, 4000);
  red = 0;
  for (int y = 40; y < 60; ++y) red += Pixel(im, 40, y) == 0x0000FFu;
  EXPECT_EQ(red, 4);
}

TEST(WalkParse, ColourNamesAndMillimetres) {
  struct ColorCase {
    const char* in;
    uint32_t want;
  };
  for (const ColorCase& c : std::initializer_list<ColorCase>{{"clRed", 0xFF},
                                                             {" CLRED ", 0xFF},
                                                             {"clBlue", 0xFF0000},
                                                             {"255", 255},
                                                             {"$FF00", 0xFF00},
                                                             {"0x10", 16},
                                                             {"clForeground", clForeground},
                                                             {"red", 0},
                                                             {"12abc", 0},
                                                             {"", 0}})
    EXPECT_EQ(WalkParseColorName(c.in), c.want) << c.in;
  struct MmCase {
    const char* in;
    bool ok;
    double want;
  };
  for (const MmCase& c : std::initializer_list<MmCase>{
           {"1.5", true, 1.5}, {" 0.25 ", true, 0.25}, {"+2", true, 2}, {"1,5", false, 0},
           {"mm", false, 0}, {"inf", false, 0}, {"", false, 0}}) {
    double mm = 0;
    EXPECT_EQ(WalkParseMillimetres(c.in, mm), c.ok) << c.in;
    if (c.ok) {
      EXPECT_DOUBLE_EQ(mm, c.want) << c.in;
    }
  }
}

TEST_F(WalkTest, CyclicAndDeepBlockNestingEnds) {
  // A block that holds a reference to itself.
  TvxDXFBlock* self = b.Block("SELF");
  self->AddEntity(b.Line({10, 10, 0}, {40, 10, 0}));
  self->AddEntity(b.Ref(self, {1, 1, 0}));
  for (int i = 0; i < self->Count(); ++i) conv->Loads(self->GetEntity(i));
  conv->Loads(self);
  b.Place(b.Ref(self));
  // A chain of 100 distinct nested blocks, each drawing one line.
  TvxDXFBlock* inner = nullptr;
  for (int i = 99; i >= 0; --i) {
    std::vector<TvxDXFEntity*> parts{b.Line({0, 60, 0}, {50, 60, 0})};
    if (inner) parts.push_back(b.Ref(inner));
    inner = b.BlockWith("CHAIN" + std::to_string(i), parts);
  }
  b.Place(b.Ref(inner));
  Recorder rec;
  Draw(&rec);
  int selfLines = 0, chainLines = 0;
  for (const Pts& p : rec.Polylines) {
    if (p.front().y() == 40)
      ++chainLines;
    else
      ++selfLines;
  }
  EXPECT_GE(selfLines, 1);
  EXPECT_LE(selfLines, cnstMaxBlockNesting);
  EXPECT_GE(chainLines, 1);
  EXPECT_LE(chainLines, cnstMaxBlockNesting);
}

// An entity of a solid-model or proxy kind (its own parts are not walked here).
class FakeComplex : public TvxDXFLine {
 public:
  TvxCADEntities Kind = ceBrep;
  TvxCADEntities EntType() const override { return Kind; }
};

TEST_F(WalkTest, EveryComplexKindClearsItsMarker) {
  auto* fake = new FakeComplex();
  fake->SetPoint({10, 10, 0});
  fake->SetPoint1({40, 40, 0});
  b.Place(fake);
  TvxDXFLine* after = b.Place(b.Line({10, 50, 0}, {40, 50, 0}));
  auto* matrix = new TvxSelectionMatrix();
  img->SetSelectionMatrix(matrix);
  img->SetMatrixMode(smEnabled);
  img->SetVisibleArea(QSize(cnstSize, cnstSize));
  Show();
  for (TvxCADEntities kind : {ceRegion, ceBody, ce3DSolid, ceIges, ceStep, ceBrep, ceProxy}) {
    fake->Kind = kind;
    matrix->SetSize(QSize(cnstSize, cnstSize));
    matrix->ClearFull();
    img->FWalk->BeginDraw(*img);
    EXPECT_EQ(img->DrawEntity(fake), 1) << static_cast<int>(kind);  // its parts are walked
    EXPECT_EQ(img->FWalk->ComplexEntity, fake);
    img->FinishEntity(fake);
    EXPECT_EQ(img->FWalk->ComplexEntity, nullptr) << static_cast<int>(kind);
    // the next entity is picked as itself, not as the complex one
    img->DrawEntity(after);
    EXPECT_EQ(matrix->ElementCount(), 2);
    EXPECT_EQ(matrix->Element(1), after);
    img->FWalk->EndDraw(*img);
  }
}

TEST_F(WalkTest, PickingCreditsReferencePartsToTheReference) {
  TvxDXFBlock* blk = b.BlockWith("P", {b.Line({10, 10, 0}, {40, 10, 0})});
  TvxDXFInsert* ref = b.Place(b.Ref(blk, {0, 20, 0}));
  TvxDXFLine* line = b.Place(b.Line({10, 60, 0}, {40, 60, 0}));
  auto* matrix = new TvxSelectionMatrix();
  img->SetSelectionMatrix(matrix);
  img->SetMatrixMode(smEnabled);
  img->SetVisibleArea(QSize(cnstSize, cnstSize));
  const QImage im = Draw();
  EXPECT_EQ(matrix->GetElementInMatrix(25, 70), ref);  // the block's line, through the reference
  EXPECT_EQ(matrix->GetElementInMatrix(25, 40), line);
  EXPECT_EQ(matrix->GetElementInMatrix(25, 20), nullptr);
  EXPECT_EQ(matrix->ElementCount(), 2);
  EXPECT_EQ(Pixel(im, 25, 40), 0x000000u);  // the canvas is drawn as well

  // Matrix-only: the canvas is left alone.
  img->SetMatrixMode(smMatrixOnly);
  EXPECT_EQ(CountNot(Draw(), 0xFFFFFF), 0);
  EXPECT_EQ(matrix->GetElementInMatrix(25, 40), line);
}

TEST_F(WalkTest, LongPolyPolylinesGoOutPartByPart) {
  Show();
  img->FWalk->BeginDraw(*img);
  Recorder rec;
  rec.Attach(img->Hooks);
  std::vector<QPoint> pts(4000, QPoint(1, 1));
  const int big[2] = {2000, 2000};
  WalkPolyPolyline(*img, pts.data(), big, 2);
  EXPECT_EQ(rec.Polylines.size(), 2u);
  EXPECT_TRUE(rec.PolyPolylines.empty());
  const int small[2] = {1000, 999};
  WalkPolyPolyline(*img, pts.data(), small, 2);
  EXPECT_EQ(rec.PolyPolylines.size(), 1u);

  // The last pixel of a thin two-point line, when asked for.
  img->FWalk->AddOnePixel = true;
  const QPoint two[2]{{0, 0}, {5, 0}};
  WalkPolyline(*img, two, 2);
  EXPECT_EQ(rec.Polylines.back(), (Pts{{0, 0}, {5, 0}, {5, 1}}));
  img->FWalk->EndDraw(*img);
  img->Hooks = {};
}

TEST_F(WalkTest, CanvasLinesLeaveOutTheirLastPixel) {
  b.Place(b.Line({10, 50, 0}, {20, 50, 0}));
  const QImage im = Draw();
  EXPECT_EQ(Pixel(im, 10, 50), 0u);
  EXPECT_EQ(Pixel(im, 19, 50), 0u);
  EXPECT_EQ(Pixel(im, 20, 50), 0xFFFFFFu);
  EXPECT_EQ(CountNot(im, 0xFFFFFF), 10);
}

}  // namespace
}  // namespace vx::test
