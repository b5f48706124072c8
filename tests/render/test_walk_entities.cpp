// The walk's per-kind output through recording export hooks: lines, solids, 3D faces, circles,
// polylines, line-type pieces, points.
#include "test_walk_fixture.h"

#include "database/entities/vxEntPolylines.h"
#include "database/entities/vxEntSplines.h"
#include "database/entities/vxEntities.h"

namespace vx::test {
namespace {

using Pts = PointRun;

TEST_F(WalkTest, LineIsOneTwoPointPolyline) {
  b.Place(b.Line({10, 20, 0}, {60, 70, 0}));
  Recorder rec;
  Draw(&rec);
  ASSERT_EQ(rec.Polylines.size(), 1u);
  EXPECT_EQ(rec.Polylines[0], (Pts{{10, 80}, {60, 30}}));
  EXPECT_EQ(rec.Calls, 1);
}

TEST_F(WalkTest, SolidIsARingThroughCorners1243) {
  auto* s = new TvxDXFSolid();
  // stored as solids are: the third and fourth corners cross over
  s->SetPoint({10, 10, 0});
  s->SetPoint1({50, 10, 0});
  s->SetPoint2({10, 50, 0});
  s->SetPoint3({50, 50, 0});
  b.Place(s);
  Recorder rec;
  Draw(&rec);
  ASSERT_EQ(rec.Polygons.size(), 1u);
  // a square, closed, not a bow-tie
  EXPECT_EQ(rec.Polygons[0], (Pts{{10, 90}, {50, 90}, {50, 50}, {10, 50}, {10, 90}}));
}

TEST_F(WalkTest, SolidWithCoincidingCornersIsATriangleOrALine) {
  auto* tri = new TvxDXFSolid();
  tri->SetPoint({10, 10, 0});
  tri->SetPoint1({50, 10, 0});
  tri->SetPoint2({10, 50, 0});
  tri->SetPoint3({10, 50, 0});
  b.Place(tri);
  auto* flat = new TvxDXFSolid();  // all corners on one line: no area
  flat->SetPoint({60, 10, 0});
  flat->SetPoint1({90, 10, 0});
  flat->SetPoint2({60, 10, 0});
  flat->SetPoint3({90, 10, 0});
  b.Place(flat);
  Recorder rec;
  Draw(&rec);
  ASSERT_EQ(rec.Polygons.size(), 1u);
  EXPECT_EQ(rec.Polygons[0], (Pts{{10, 90}, {50, 90}, {10, 50}, {10, 90}}));
  ASSERT_EQ(rec.Polylines.size(), 1u);
  EXPECT_EQ(rec.Polylines[0].size(), 2u);
}

TEST_F(WalkTest, FaceDrawsItsVisibleEdgesOnly) {
  struct Case {
    int flags;
    size_t edges;
  };
  for (const Case c : {Case{0, 4}, Case{5, 2}, Case{15, 0}, Case{7, 1}}) {
    TvxDXFBlock* ms = conv->ModelSpaceBlock();
    while (ms->Count() > 0) TvxDXFEntity::FreeEntity(ms->DeleteEntity(0));
    auto* f = new TvxDXF3dFace();
    f->SetPoint({10, 10, 0});
    f->SetPoint1({50, 10, 0});
    f->SetPoint2({50, 50, 0});
    f->SetPoint3({10, 50, 0});
    f->SetFlags(c.flags);
    b.Place(f);
    Recorder rec;
    Draw(&rec);
    const size_t got = rec.PolyPolylines.empty() ? 0 : rec.PolyPolylines[0].size();
    EXPECT_EQ(got, c.edges) << "flags " << c.flags;
    EXPECT_TRUE(rec.Polygons.empty() && rec.Polylines.empty());
    if (c.flags == 5) {
      // edges 2 (corner 2 to 3) and 4 (corner 4 to 1)
      EXPECT_EQ(rec.PolyPolylines[0][0], (Pts{{50, 90}, {50, 50}}));
      EXPECT_EQ(rec.PolyPolylines[0][1], (Pts{{10, 50}, {10, 90}}));
    }
  }
}

TEST_F(WalkTest, CircleIsAClosedPolylineUnlessWinEllipse) {
  auto* c = new TvxDXFCircle();
  c->SetPoint({50, 50, 0});
  c->SetRadius(20);
  b.Place(c);
  Recorder rec;
  img->Hooks.ExpCloseFigure = [&rec] { ++rec.Calls; };
  Draw(&rec);
  ASSERT_EQ(rec.Polylines.size(), 1u);
  const Pts& ring = rec.Polylines[0];
  // 48 segments, closed: the first point once more at the end
  EXPECT_EQ(ring.size(), 49u);
  EXPECT_EQ(ring.front(), ring.back());
  EXPECT_EQ(ring.front(), QPoint(70, 50));

  // The platform ellipse on the circle's screen box (sent as a whole arc).
  img->SetUseWinEllipse(true);
  QRect box;
  QPoint s, e;
  img->Hooks.ExpArc = [&](const QRect& r, QPoint a, QPoint z) {
    box = r;
    s = a;
    e = z;
  };
  QImage unused = Draw();
  EXPECT_EQ(box, QRect(QPoint(30, 30), QPoint(70, 70)));
  EXPECT_EQ(s, e);
}

TEST_F(WalkTest, ArcWithWinEllipseRunsCounterClockwiseOnTheScreen) {
  auto* a = new TvxDXFArc();
  a->SetPoint({50, 50, 0});
  a->SetRadius(20);
  a->SetStartAngle(0);
  a->SetEndAngle(90);
  b.Place(a);
  img->SetUseWinEllipse(true);
  QPoint s, e;
  img->Hooks.ExpArc = [&](const QRect&, QPoint from, QPoint to) {
    s = from;
    e = to;
  };
  Draw();
  // Y runs down: the drawing's counter-clockwise quarter from (70,50) to (50,30) is the
  // screen's clockwise one, so the screen arc runs from the end point to the start point.
  EXPECT_EQ(s, QPoint(50, 30));
  EXPECT_EQ(e, QPoint(70, 50));
}

TEST_F(WalkTest, CurvesDrawTheirComputedPoints) {
  auto* el = new TvxDXFEllipse();
  el->SetPoint({50, 50, 0});
  el->SetRadPt({30, 0, 0});
  el->SetRatio(0.5);
  el->SetStartAngle(0);
  el->SetEndAngle(180);  // half of it, by parameter
  b.Place(el);
  auto* sp = new TvxDXFSpline();
  for (const TFPoint& p : {TFPoint{10, 10, 0}, TFPoint{30, 30, 0}, TFPoint{60, 10, 0}}) sp->AddFit(p);
  b.Place(sp);
  Recorder rec;
  Draw(&rec);
  ASSERT_EQ(rec.Polylines.size(), 2u);
  for (size_t i = 0; i < 2; ++i) {
    const TFPointList& pts = (i == 0 ? static_cast<TvxCADBasePolyline*>(el) : sp)->PolyPoints();
    ASSERT_GT(pts.Count(), 2) << i;
    EXPECT_EQ(rec.Polylines[i].front(), img->GetPoint(pts.First())) << i;
    EXPECT_EQ(rec.Polylines[i].back(), img->GetPoint(pts.Last())) << i;
  }
  EXPECT_EQ(rec.Polylines[0].front(), QPoint(80, 50));
  EXPECT_EQ(rec.Polylines[0].back(), QPoint(20, 50));
  EXPECT_EQ(rec.Polylines[1].front(), QPoint(10, 90));
}

TEST_F(WalkTest, MeshesDrawTheirGridAndVisibleFaceEdges) {
  auto* mesh = new TvxDXFPolyline();
  mesh->SetFlags(cnstPolylineMesh);
  mesh->SetMeshM(2);
  mesh->SetMeshN(3);
  for (int i = 0; i < 2; ++i)
    for (int j = 0; j < 3; ++j) mesh->AddVertex({10.0 + 20 * j, 10.0 + 20 * i, 0});
  b.Place(mesh);
  Recorder rec;
  Draw(&rec);
  ASSERT_EQ(rec.PolyPolylines.size(), 1u);
  const std::vector<Pts>& grid = rec.PolyPolylines[0];
  ASSERT_EQ(grid.size(), 5u);  // two rows of three, three columns of two
  EXPECT_EQ(grid[0], (Pts{{10, 90}, {30, 90}, {50, 90}}));
  EXPECT_EQ(grid[2], (Pts{{10, 90}, {10, 70}}));
}

TEST_F(WalkTest, ClosedPolylineIsStrokedAsOneFigure) {
  auto* pl = new TvxDXFLWPolyline();
  for (const TFPoint& p : {TFPoint{10, 10, 0}, TFPoint{60, 10, 0}, TFPoint{60, 60, 0}}) pl->AddVertex(p);
  pl->SetClosed(true);
  b.Place(pl);
  Recorder rec;
  int closes = 0;
  img->Hooks.ExpCloseFigure = [&closes] { ++closes; };
  Draw(&rec);
  ASSERT_EQ(rec.Polylines.size(), 1u);
  EXPECT_EQ(rec.Polylines[0], (Pts{{10, 90}, {60, 90}, {60, 40}, {10, 90}}));
  EXPECT_EQ(closes, 1);
}

TEST_F(WalkTest, WidePolylineFillsItsOutlineThenDrawsTheCentreLine) {
  auto* pl = new TvxDXFLWPolyline();
  pl->AddVertex({10, 50, 0});
  pl->AddVertex({90, 50, 0});
  pl->SetGlobalWidth(10);
  b.Place(pl);
  Recorder rec;
  Draw(&rec);
  ASSERT_EQ(rec.PolyPolygons.size(), 1u);
  ASSERT_EQ(rec.PolyPolygons[0].size(), 1u);
  QRect quad;
  for (const QPoint& p : rec.PolyPolygons[0][0]) quad |= QRect(p, QSize(1, 1));
  EXPECT_EQ(quad, QRect(QPoint(10, 45), QPoint(90, 55)));
  ASSERT_EQ(rec.Polylines.size(), 1u);
  EXPECT_EQ(rec.Polylines[0], (Pts{{10, 50}, {90, 50}}));
}

TEST_F(WalkTest, WideOutlineIsFilledOnTheCanvas) {
  auto* pl = new TvxDXFLWPolyline();
  pl->AddVertex({10, 50, 0});
  pl->AddVertex({50, 50, 0});
  pl->AddVertex({50, 90, 0});
  pl->SetGlobalWidth(10);
  pl->SetColorCAD(MakeColorCAD(acIndexColor, 1));
  b.Place(pl);
  const QImage im = Draw();
  // inside the band on both legs and at the corner (where the quads meet)
  for (const QPoint p : {QPoint(20, 47), QPoint(20, 53), QPoint(47, 20), QPoint(53, 20), QPoint(50, 50)})
    EXPECT_EQ(Pixel(im, p.x(), p.y()), 0x0000FFu) << p.x() << "," << p.y();
  EXPECT_EQ(Pixel(im, 20, 60), 0xFFFFFFu);
}

TEST_F(WalkTest, FilledAndClosedShapesReachTheCanvas) {
  auto* s = new TvxDXFSolid();
  s->SetPoint({10, 10, 0});
  s->SetPoint1({30, 10, 0});
  s->SetPoint2({10, 30, 0});
  s->SetPoint3({30, 30, 0});
  s->SetColorCAD(MakeColorCAD(acIndexColor, 1));
  b.Place(s);
  auto* tri = new TvxDXFLWPolyline();  // closed: its closing edge is drawn too
  for (const TFPoint& p : {TFPoint{50, 10, 0}, TFPoint{90, 10, 0}, TFPoint{90, 40, 0}}) tri->AddVertex(p);
  tri->SetClosed(true);
  tri->SetColorCAD(MakeColorCAD(acIndexColor, 5));
  b.Place(tri);
  auto* c = new TvxDXFCircle();
  c->SetPoint({50, 70, 0});
  c->SetRadius(15);
  c->SetColorCAD(MakeColorCAD(acIndexColor, 3));
  b.Place(c);
  const QImage im = Draw();
  EXPECT_EQ(Pixel(im, 20, 80), 0x0000FFu);  // inside the solid
  EXPECT_EQ(Pixel(im, 70, 90), 0xFF0000u);  // bottom edge of the triangle
  EXPECT_EQ(Pixel(im, 90, 75), 0xFF0000u);  // its right edge
  EXPECT_EQ(Pixel(im, 70, 75), 0xFF0000u);  // the closing edge, from (90,40) back to (50,10)
  EXPECT_EQ(Pixel(im, 75, 80), 0xFFFFFFu);  // not filled
  EXPECT_EQ(Pixel(im, 65, 30), 0x00FF00u);  // the circle's rightmost point
  EXPECT_EQ(Pixel(im, 50, 30), 0xFFFFFFu);  // its centre stays empty
}

TEST_F(WalkTest, ClippedReferenceShowsOnlyInsideItsClipBox) {
  TvxDXFBlock* blk = b.BlockWith("CLIPPED", {b.Line({0, 50, 0}, {100, 50, 0}, nullptr, 1)});
  auto* ref = b.Ref<TvxCADClipInsert>(blk);
  TFRect box;
  box.Left = 30;
  box.Right = 70;
  box.Bottom = 0;
  box.Top = 100;
  ref->SetClipBox(box);
  b.Place(ref);
  b.Place(b.Line({0, 20, 0}, {100, 20, 0}, nullptr, 1));  // after the reference: not clipped
  const QImage im = Draw();
  EXPECT_EQ(Pixel(im, 50, 50), 0x0000FFu);
  EXPECT_EQ(Pixel(im, 20, 50), 0xFFFFFFu);
  EXPECT_EQ(Pixel(im, 80, 50), 0xFFFFFFu);
  EXPECT_EQ(Pixel(im, 10, 80), 0x0000FFu);
  EXPECT_EQ(Pixel(im, 90, 80), 0x0000FFu);
}

TEST_F(WalkTest, ThickLineIsAPrismOfFourEdges) {
  TvxDXFLine* l = b.Line({10, 10, 0}, {50, 10, 0});
  l->SetZThick(5);
  b.Place(l);
  TFMatrix side = cnstIdentityMat;  // seen from the front: X right, Z up
  side.M[1][1] = 0;
  side.M[2][1] = -1;
  side.M[2][2] = 0;
  side.M[1][2] = 1;
  side.M[3][1] = cnstSize;
  img->SetCustomDraw(false);
  img->SetCurrentLayout(conv->Layouts(0));
  img->SetDrawMatrix(side);
  Recorder rec;
  Draw(&rec);
  std::vector<Pts> runs;
  for (const auto& pp : rec.PolyPolylines) runs.insert(runs.end(), pp.begin(), pp.end());
  for (const auto& p : rec.Polylines) runs.push_back(p);
  ASSERT_EQ(runs.size(), 4u);
  EXPECT_EQ(runs[0], (Pts{{10, 100}, {50, 100}}));
  EXPECT_EQ(runs[1], (Pts{{10, 95}, {50, 95}}));
}

TEST_F(WalkTest, DashedLineGoesOutAsItsPieces) {
  TvxDXFLineType* dashed = conv->NewNamed<TvxDXFLineType>(conv->LTypes(), "DASHED");
  dashed->Lines().Initialize({10, -5});
  dashed->Lines().Loaded();
  TvxDXFLine* l = b.Line({0, 50, 0}, {40, 50, 0});
  l->SetLineType(dashed);
  b.Place(l);
  Recorder rec;
  Draw(&rec);
  // 40 units hold 2 whole patterns of 15 with 10 left over, shared by both ends: the first
  // dash runs from 0 to (10 + 10) / 2, then gap, dash, gap, and the last dash runs to the end
  ASSERT_EQ(rec.PolyPolylines.size(), 1u);
  const std::vector<Pts>& parts = rec.PolyPolylines[0];
  ASSERT_EQ(parts.size(), 3u);
  EXPECT_EQ(parts[0], (Pts{{0, 50}, {10, 50}}));
  EXPECT_EQ(parts[1], (Pts{{15, 50}, {25, 50}}));
  EXPECT_EQ(parts[2], (Pts{{30, 50}, {40, 50}}));

  // Too small to show at this zoom: the plain line.
  conv->HeadVarStruct().LTScale = 0.05;
  Recorder small;
  Draw(&small);
  EXPECT_TRUE(small.PolyPolylines.empty());
  ASSERT_EQ(small.Polylines.size(), 1u);
  EXPECT_EQ(small.Polylines[0], (Pts{{0, 50}, {40, 50}}));
}

TEST_F(WalkTest, InvisibleUnboxedAndOffScreenEntitiesAreSkipped) {
  TvxDXFLine* hidden = b.Place(b.Line({10, 10, 0}, {20, 20, 0}));
  hidden->SetVisibility(false);
  b.Place(b.Line({500, 500, 0}, {600, 600, 0}));     // off the picture
  b.Place(new TvxDXFCircle());                           // no radius: no points, no box
  b.Place(b.Line({-50, 50, 0}, {-2, 50, 0}));        // ends two pixels left of the picture
  // the box grown by one pixel to the right reaches the left column: drawn (clipped)
  b.Place(b.Line({-50, 50, 0}, {-1, 50, 0}));
  Recorder rec;
  Draw(&rec);
  ASSERT_EQ(rec.Polylines.size(), 1u);
  EXPECT_EQ(rec.Polylines[0].back(), QPoint(-1, 50));
}

TEST_F(WalkTest, RayIsClippedToTheView) {
  auto* ray = new TvxDXFRay();
  ray->SetStartPoint({10, 50, 0});
  ray->SetDirection({1, 0, 0});
  b.Place(ray);
  auto* still = new TvxDXFRay();  // no direction: nothing to draw
  still->SetStartPoint({10, 60, 0});
  still->SetDirection({0, 0, 0});
  b.Place(still);
  Recorder rec;
  Draw(&rec);
  ASSERT_EQ(rec.Polylines.size(), 1u);
  EXPECT_EQ(rec.Polylines[0].front(), QPoint(10, 50));
  EXPECT_GE(rec.Polylines[0].back().x(), cnstSize - 1);
  EXPECT_LE(rec.Polylines[0].back().x(), cnstSize + 1);
}

TEST_F(WalkTest, PointsFollowTheDisplayMode) {
  auto* p = new TvxDXFPoint();
  p->SetPoint({30, 30, 0});
  b.Place(p);
  Recorder rec;
  Draw(&rec);
  // a tiny entity: one pixel in the default colour
  ASSERT_EQ(rec.Pixels.size(), 1u);
  EXPECT_EQ(rec.Pixels[0].first, QPoint(30, 70));
  conv->HeadVarStruct().PointDisplayMode = 1;  // points are not shown
  Recorder none;
  Draw(&none);
  EXPECT_EQ(none.Calls, 0);
}

}  // namespace
}  // namespace vx::test
