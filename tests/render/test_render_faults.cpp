// Pictures that once came out plainly wrong beside an independent renderer: point marks sized by a
// relative $PDSIZE, $LWDISPLAY, circles of no radius, polyface meshes without faces, the edges of
// a vxrender window, drawings of construction lines only, the sheet's own viewport, splines
// stored without knot values, and by-block line types inside references on a dashed layer.
#include "test_image_fixture.h"
#include "test_walk_fixture.h"

#include "database/entities/vxEntPolylines.h"
#include "database/entities/vxEntSplines.h"
#include "database/layouts/vxViewports.h"
#include "render/vxCADImageRender.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace vx::test {
namespace {

using Pairs = std::vector<std::pair<int, std::string>>;

std::string Dxf(const Pairs& header, const Pairs& entities, const Pairs& tables = {},
                const Pairs& blocks = {}) {
  std::string s;
  auto put = [&s](const Pairs& p) {
    for (const auto& [code, value] : p) s += std::to_string(code) + "\n" + value + "\n";
  };
  auto section = [&](const char* name, const Pairs& body) {
    if (body.empty()) return;
    put({{0, "SECTION"}, {2, name}});
    put(body);
    put({{0, "ENDSEC"}});
  };
  section("HEADER", header);
  section("TABLES", tables);
  section("BLOCKS", blocks);
  section("ENTITIES", entities);
  return s + "0\nEOF\n";
}

Pairs Line(double x1, double y1, double x2, double y2, Pairs extra = {}) {
  Pairs p{{0, "LINE"}, {8, "0"}};
  p.insert(p.end(), extra.begin(), extra.end());
  Pairs ends{{10, std::to_string(x1)}, {20, std::to_string(y1)}, {11, std::to_string(x2)}, {21, std::to_string(y2)}};
  p.insert(p.end(), ends.begin(), ends.end());
  return p;
}

Pairs Join(std::initializer_list<Pairs> parts) {
  Pairs out;
  for (const Pairs& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

// Corner marks that fix the extents at (0, 0) - (size, size).
Pairs Corners(double size) {
  return Join({Line(0, 0, 0.001 * size, 0), Line(size, size, size * 0.999, size)});
}

bool Dark(const QImage& im, int x, int y) {
  const QRgb c = im.pixel(x, y);
  return qRed(c) + qGreen(c) + qBlue(c) < 600;
}

// The bounding box of the dark pixels within r of (cx, cy).
QRect DarkAround(const QImage& im, int cx, int cy, int r) {
  QRect box;
  for (int y = std::max(0, cy - r); y <= std::min(im.height() - 1, cy + r); ++y)
    for (int x = std::max(0, cx - r); x <= std::min(im.width() - 1, cx + r); ++x)
      if (Dark(im, x, y)) box = box.united(QRect(x, y, 1, 1));
  return box;
}

QImage Render(TvxCADImage& image, int w, int h, bool antialias = false) {
  TvxRenderOptions o;
  o.Antialias = antialias;
  std::string error;
  EXPECT_TRUE(PrepareRenderImage(image, o, error)) << error;
  return RenderToImage(image, w, h);
}

class RenderFaultTest : public ImageTest {};

// A "+" mark spans twice its size: a size of 0 or below is a part of the view height (0 is 5 %,
// -n is n %), a size above 0 is in drawing units.
TEST_F(RenderFaultTest, RelativePointSizeFollowsTheViewHeight) {
  struct Case {
    const char* size;
    double wantSpanPx;  // across the 200-pixel picture
  };
  for (const Case& c : std::initializer_list<Case>{{"-10", 40}, {"0", 20}, {"-3", 12}, {"100", 0}}) {
    SCOPED_TRACE(c.size);
    auto image = LoadedImage(Dxf({{9, "$PDMODE"}, {70, "2"}, {9, "$PDSIZE"}, {40, c.size}},
                                 Join({Corners(1000), {{0, "POINT"}, {8, "0"}, {10, "500"}, {20, "500"}}})));
    const QImage im = Render(*image, 200, 200);
    const QRect mark = DarkAround(im, 100, 100, 60);
    ASSERT_FALSE(mark.isEmpty());
    const double want = c.wantSpanPx > 0 ? c.wantSpanPx : 2 * 100 * image->Scale().Y;  // 100 units
    EXPECT_NEAR(mark.width(), want, 0.2 * want + 2);
    EXPECT_NEAR(mark.height(), want, 0.2 * want + 2);
  }
}

TEST_F(RenderFaultTest, LineWeightDisplayFollowsTheDrawing) {
  int widths[2] = {};
  for (int shown : {0, 1}) {
    auto image = LoadedImage(Dxf({{9, "$ACADVER"}, {1, "AC1015"}, {9, "$LWDISPLAY"}, {290, std::to_string(shown)}},
                                 Join({Corners(100), Line(10, 50, 90, 50, {{370, "200"}})})));
    const QImage im = Render(*image, 200, 200);
    int n = 0;
    for (int y = 0; y < im.height(); ++y) n += Dark(im, 100, y);
    widths[shown] = n;
  }
  EXPECT_LE(widths[0], 2);  // off: the thin pen
  EXPECT_GE(widths[1], 4);  // on: 2 mm
}

TEST_F(RenderFaultTest, CircleWithoutRadiusIsAtMostItsCentre) {
  auto image = LoadedImage(Dxf({}, Join({Corners(20), {{0, "CIRCLE"}, {8, "0"}, {10, "10"}, {20, "10"}, {40, "0"}}})));
  const QImage im = Render(*image, 200, 200);
  const QRect mark = DarkAround(im, 100, 100, 60);
  EXPECT_LE(mark.width(), 3);
  EXPECT_LE(mark.height(), 3);
}

TEST_F(RenderFaultTest, PolyfaceMeshWithoutFacesDrawsNothing) {
  Pairs mesh{{0, "POLYLINE"}, {8, "0"}, {66, "1"}, {70, "64"}, {71, "4"}, {72, "0"}};
  for (const auto& [x, y] : std::initializer_list<std::pair<int, int>>{{5, 5}, {15, 5}, {15, 15}, {5, 15}}) {
    Pairs v{{0, "VERTEX"}, {8, "0"}, {10, std::to_string(x)}, {20, std::to_string(y)}, {70, "192"}};
    mesh.insert(mesh.end(), v.begin(), v.end());
  }
  mesh.push_back({0, "SEQEND"});
  auto image = LoadedImage(Dxf({}, Join({Corners(20), mesh})));
  const QImage im = Render(*image, 200, 200);
  EXPECT_TRUE(DarkAround(im, 100, 100, 70).isEmpty());
  auto* pl = dynamic_cast<TvxDXFPolyline*>(image->Converter()->ModelSpaceBlock()->GetEntity(2));
  ASSERT_NE(pl, nullptr);
  EXPECT_EQ(pl->PointCount(), 0);
}

TEST_F(RenderFaultTest, WindowEdgesAreDrawn) {
  for (const bool antialias : {false, true}) {
    SCOPED_TRACE(antialias);
    auto image = LoadedImage(Dxf({}, Join({Line(0, 0, 100, 0), Line(100, 0, 100, 100), Line(0, 100, 50, 100),
                                           Line(0, 0, 0, 50)})));
    TvxRenderOptions o;
    o.Antialias = antialias;
    o.Width = o.Height = 100;
    o.Window = TFRect{0, 100, 0, 100, 0, 0};
    std::string error;
    ASSERT_TRUE(PrepareRenderImage(*image, o, error)) << error;
    const QImage im = RenderToImage(*image, 100, 100);
    int bottom = 0, right = 0, top = 0, left = 0;
    for (int i = 0; i < 100; ++i) {
      bottom += Dark(im, i, 99);
      right += Dark(im, 99, i);
      top += Dark(im, i, 0);
      left += Dark(im, 0, i);
    }
    EXPECT_GE(bottom, 95);
    EXPECT_GE(right, 95);
    EXPECT_NEAR(top, 50, 3);
    EXPECT_NEAR(left, 50, 3);
  }
}

TEST_F(RenderFaultTest, ConstructionLinesAloneGetAView) {
  auto image = LoadedImage(Dxf({}, {{0, "RAY"}, {8, "0"}, {10, "5"}, {20, "5"}, {11, "1"}, {21, "0"},
                                    {0, "XLINE"}, {8, "0"}, {10, "5"}, {20, "5"}, {11, "0"}, {21, "1"}}));
  const QImage im = Render(*image, 200, 100);
  int fullColumns = 0, longRows = 0;
  for (int x = 0; x < im.width(); ++x) {
    int n = 0;
    for (int y = 0; y < im.height(); ++y) n += Dark(im, x, y);
    fullColumns += n >= 95;
  }
  for (int y = 0; y < im.height(); ++y) {
    int n = 0;
    for (int x = 0; x < im.width(); ++x) n += Dark(im, x, y);
    longRows += n >= 50;
  }
  EXPECT_GE(fullColumns, 1);  // the construction line runs across the whole height
  EXPECT_GE(longRows, 1);     // the ray leaves its base point for the right side
}

TEST_F(RenderFaultTest, SplineWithoutKnotValuesIsTheCurve) {
  // A cubic over four control points with a clamped uniform knot vector is a Bezier curve: it
  // passes (15, 0) halfway and stays well inside the control polygon's peaks (y = +-20).
  Pairs spline{{0, "SPLINE"}, {8, "0"}, {70, "8"}, {71, "3"}, {72, "8"}, {73, "4"}, {74, "0"}};
  for (const auto& [x, y] : std::initializer_list<std::pair<int, int>>{{0, 0}, {10, 20}, {20, -20}, {30, 0}}) {
    spline.push_back({10, std::to_string(x)});
    spline.push_back({20, std::to_string(y)});
    spline.push_back({30, "0"});
  }
  auto image = LoadedImage(Dxf({}, spline));
  auto* s = dynamic_cast<TvxDXFSpline*>(image->Converter()->ModelSpaceBlock()->GetEntity(0));
  ASSERT_NE(s, nullptr);
  const std::vector<TFPoint>& pts = s->PolyPoints().Vector();
  ASSERT_GT(pts.size(), 8u);
  double peak = 0, nearMiddle = 1e9;
  for (const TFPoint& p : pts) {
    peak = std::max(peak, std::fabs(p.Y));
    nearMiddle = std::min(nearMiddle, std::hypot(p.X - 15, p.Y));
  }
  EXPECT_LT(peak, 6.5);  // the curve's own peak is 5.77
  EXPECT_GT(peak, 5);
  EXPECT_LT(nearMiddle, 0.5);
  EXPECT_NEAR(pts.front().X, 0, 1e-9);
  EXPECT_NEAR(pts.back().X, 30, 1e-6);
}

TEST_F(RenderFaultTest, ByBlockLineTypeInsideAReferenceTakesItsLayersLineType) {
  const Pairs tables{{0, "TABLE"}, {2, "LTYPE"}, {0, "LTYPE"}, {2, "DASHED"}, {70, "0"}, {73, "2"}, {40, "10"},
                     {49, "5"}, {74, "0"}, {49, "-5"}, {74, "0"}, {0, "ENDTAB"},
                     {0, "TABLE"}, {2, "LAYER"}, {0, "LAYER"}, {2, "Dash"}, {70, "0"}, {62, "7"}, {6, "DASHED"},
                     {0, "ENDTAB"}};
  const Pairs blocks = Join({{{0, "BLOCK"}, {8, "0"}, {2, "B"}, {70, "0"}, {10, "0"}, {20, "0"}},
                             Line(0, 0, 100, 0, {{6, "BYBLOCK"}}), {{0, "ENDBLK"}}});
  auto image = LoadedImage(Dxf({}, Join({Corners(100), {{0, "INSERT"}, {8, "Dash"}, {6, "BYLAYER"}, {2, "B"},
                                                        {10, "0"}, {20, "50"}}}),
                               tables, blocks));
  const QImage im = Render(*image, 200, 200);
  // Along the reference's line: dashes and gaps, not one solid run.
  int dark = 0, light = 0;
  for (int x = 20; x < 180; ++x) {
    bool any = false;
    for (int y = 90; y <= 110; ++y) any = any || Dark(im, x, y);
    (any ? dark : light) += 1;
  }
  EXPECT_GT(dark, 40);
  EXPECT_GT(light, 40);
}

// The sheet's own viewport (status 1, showing no model space) draws no frame; the viewports on it
// keep theirs.
class SheetViewportTest : public WalkTest {};

TEST_F(SheetViewportTest, OverallViewportHasNoFrame) {
  while (conv->LayoutsCount() < 2) conv->AddLayout(new TvxDXFLayout());
  TvxDXFBlock* sheet = conv->Layouts(1)->PaperSpaceBlock();
  auto* overall = new TvxDXFViewport();
  overall->SetHandle(0x10);
  overall->PSpaceCenter = {50, 50, 0};
  overall->PSpaceWidth = overall->PSpaceHeight = 80;
  auto* vp = new TvxDXFViewport();
  vp->SetHandle(0x20);
  vp->StatusField = vp->ThisID = 2;
  vp->PSpaceCenter = vp->MSpaceCenter = {50, 50, 0};
  vp->PSpaceWidth = vp->PSpaceHeight = vp->MSpaceHeight = 40;
  for (TvxDXFViewport* v : {overall, vp}) {
    sheet->AddEntity(v);
    conv->Loads(v);
  }
  Show(1);
  const QImage im = Draw();
  for (const auto& [x, y] : std::initializer_list<std::pair<int, int>>{{10, 50}, {90, 50}, {50, 10}, {50, 90}})
    EXPECT_EQ(Pixel(im, x, y), 0xFFFFFFu) << "sheet frame at " << x << "," << y;
  EXPECT_EQ(Pixel(im, 30, 50), 0x000000u);  // the inner viewport's frame
  EXPECT_EQ(Pixel(im, 50, 70), 0x000000u);
}

}  // namespace
}  // namespace vx::test
