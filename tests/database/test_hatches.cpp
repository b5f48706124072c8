// Hatches and fills: boundary edges and their points, chaining into loops, fill styles,
// gradient names, pattern transformations, object coordinates and copying.
#include "database/hatches/vxHatches.h"
#include "test_entities_fixture.h"

#include <algorithm>

namespace vx::test {
namespace {

class HatchTest : public EntitiesTest {
 protected:
  // A hatch whose boundary is the square (x0, y0)-(x1, y1) of four line edges.
  static void AddSquare(TvxCADCurvePolygon* h, double x0, double y0, double x1, double y1) {
    Tvx2DBoundaryList* b = h->AddBoundaryList();
    b->Add(std::make_unique<Tvx2DLine>(TF2DPoint{x0, y0}, TF2DPoint{x1, y0}));
    b->Add(std::make_unique<Tvx2DLine>(TF2DPoint{x1, y0}, TF2DPoint{x1, y1}));
    b->Add(std::make_unique<Tvx2DLine>(TF2DPoint{x1, y1}, TF2DPoint{x0, y1}));
    b->Add(std::make_unique<Tvx2DLine>(TF2DPoint{x0, y1}, TF2DPoint{x0, y0}));
  }
  static TvxHatchPatternData& AddLine(TvxCADHatch* h, double angle, TFPoint base, TFPoint offset,
                                      std::vector<double> dashes = {}) {
    TvxHatchPatternData& p = h->HatchPatternData().AddPattern();
    p.LineAngle = angle;
    p.BaseP = base;
    p.Offset = offset;
    for (double d : dashes) p.Lines.Append(d);
    p.DashNum = static_cast<int>(dashes.size());
    p.IsDash = !dashes.empty();
    return p;
  }
  // The segments of ParsedLines as (x0, y0, x1, y1), sorted.
  static std::vector<std::array<double, 4>> Segments(const TvxCADHatch* h) {
    std::vector<std::array<double, 4>> s;
    const TFPointList& p = h->ParsedLines();
    for (int i = 0; i + 1 < p.Count(); i += 2) s.push_back({p[i].X, p[i].Y, p[i + 1].X, p[i + 1].Y});
    std::sort(s.begin(), s.end());
    return s;
  }
};

TEST_F(HatchTest, SquareWithHorizontalLines) {
  auto* h = new TvxCADHatch();
  AddSquare(h, 0, 0, 10, 10);
  AddLine(h, 0, {0, 0, 0}, {0, 1, 0});
  AddLoaded(h);
  ASSERT_EQ(h->Boundaries().size(), 1u);
  EXPECT_EQ(h->Boundaries()[0].Count(), 5);
  const auto s = Segments(h);
  // Y = 1 .. 9: the lines on the top and bottom edges run along the boundary (outside).
  ASSERT_EQ(s.size(), 9u);
  for (size_t i = 0; i < s.size(); ++i) {
    EXPECT_NEAR(s[i][0], 0, 1e-12);
    EXPECT_NEAR(s[i][1], double(i + 1), 1e-12);
    EXPECT_NEAR(s[i][2], 10, 1e-12);
    EXPECT_NEAR(s[i][3], double(i + 1), 1e-12);
  }
  EXPECT_EQ(h->HatchStyle(), hsHorizontal);
  const TFRect b = h->GetBox();
  EXPECT_EQ(b.Left, 0);
  EXPECT_EQ(b.Top, 10);
}

TEST_F(HatchTest, NestedLoopsAreHoles) {
  auto* h = new TvxCADHatch();
  AddSquare(h, 0, 0, 10, 10);
  AddSquare(h, 3, 3, 7, 7);
  AddSquare(h, 4.5, 4.5, 5.5, 5.5);  // an island inside the hole is filled again
  AddLine(h, 0, {0, 0.25, 0}, {0, 1, 0});
  AddLoaded(h);
  std::vector<std::array<double, 4>> want;
  for (double y = 0.25; y < 10; ++y) {
    if (y < 3 || y > 7) {
      want.push_back({0, y, 10, y});
      continue;
    }
    want.push_back({0, y, 3, y});
    if (y > 4.5 && y < 5.5) want.push_back({4.5, y, 5.5, y});
    want.push_back({7, y, 10, y});
  }
  std::sort(want.begin(), want.end());
  EXPECT_EQ(Segments(h), want);
}

TEST_F(HatchTest, EdgesChainInAnyOrderAndDirection) {
  // bottom, top (reversed), right, left: one loop of five points.
  auto* h = new TvxCADHatch();
  Tvx2DBoundaryList* b = h->AddBoundaryList();
  b->Add(std::make_unique<Tvx2DLine>(TF2DPoint{0, 0}, TF2DPoint{10, 0}));
  b->Add(std::make_unique<Tvx2DLine>(TF2DPoint{0.004, 10}, TF2DPoint{10, 10}));  // a gap within tolerance
  b->Add(std::make_unique<Tvx2DLine>(TF2DPoint{10, 0}, TF2DPoint{10, 10}));
  b->Add(std::make_unique<Tvx2DLine>(TF2DPoint{0, 10}, TF2DPoint{0, 0.004}));  // and another
  AddLine(h, 0, {0, 0, 0}, {0, 1, 0});
  AddLoaded(h);
  ASSERT_EQ(h->Boundaries().size(), 1u);
  const TF2DPointList& loop = h->Boundaries()[0];
  EXPECT_EQ(loop.Count(), 7);  // each gap adds a corner of its own
  EXPECT_EQ(loop.First(), loop.Last());
  EXPECT_EQ(Segments(h).size(), 9u);

  // A chain that starts in the middle grows backwards from its first edge too.
  auto* m = new TvxCADHatch();
  b = m->AddBoundaryList();
  b->Add(std::make_unique<Tvx2DLine>(TF2DPoint{10, 0}, TF2DPoint{10, 10}));
  b->Add(std::make_unique<Tvx2DLine>(TF2DPoint{0, 0}, TF2DPoint{10, 0}));
  b->Add(std::make_unique<Tvx2DLine>(TF2DPoint{10, 10}, TF2DPoint{0, 10}));
  AddLoaded(m);
  ASSERT_EQ(m->Boundaries().size(), 1u);
  EXPECT_EQ(m->Boundaries()[0].Count(), 5);  // (0,0) (10,0) (10,10) (0,10) closed

  // Edges that meet nothing within 0.005 start loops of their own.
  auto* s = new TvxCADHatch();
  b = s->AddBoundaryList();
  b->Add(std::make_unique<Tvx2DLine>(TF2DPoint{0, 0}, TF2DPoint{10, 0}));
  b->Add(std::make_unique<Tvx2DLine>(TF2DPoint{10.01, 0}, TF2DPoint{10, 10}));
  AddLoaded(s);
  EXPECT_EQ(s->Boundaries().size(), 2u);
}

TEST_F(HatchTest, SkippedBoundaries) {
  struct Case { uint8_t type; bool solid; bool kept; };
  for (const Case& c : std::initializer_list<Case>{{0, false, true}, {0x80, false, false},
                                                   {0x82, true, false}, {32, true, false},
                                                   {36, true, true}, {32, false, true}}) {
    TvxEntityPtr<TvxCADMPolygon> h(new TvxCADMPolygon());
    h->SetSolidFill(c.solid);
    AddSquare(h.get(), 0, 0, 1, 1);
    h->BoundaryDataLast()->SetBoundaryType(c.type);
    h->AddBoundaryList();  // no edges: skipped
    h->LoadData(conv);
    EXPECT_EQ(h->Boundaries().size(), c.kept ? 1u : 0u) << int(c.type) << " solid " << c.solid;
    EXPECT_EQ(IsBadBox(h->GetBox()), !c.kept);
  }
}

TEST_F(HatchTest, ArcAndEllipseEdges) {
  TvxEdgeResolution res;  // 48 per turn
  Tvx2DArc arc;
  arc.FRadius = 5;
  arc.FStartParam = 0;
  arc.FEndParam = 90;
  arc.Generate(res);
  ASSERT_EQ(arc.Count(), 49);
  ExpectNear({arc.StartPoint().X, arc.StartPoint().Y, 0}, {5, 0, 0});
  ExpectNear({arc.EndPoint().X, arc.EndPoint().Y, 0}, {0, 5, 0});
  arc.FEndParam = 360;  // a full turn closes on itself
  arc.Generate(res);
  ASSERT_EQ(arc.Count(), 49);
  ExpectNear({arc.EndPoint().X, arc.EndPoint().Y, 0}, {5, 0, 0});
  // Clockwise, stored (0, 90): from -0 back to -90.
  arc.SetCounterClockWise(false);
  arc.FEndParam = 90;
  arc.Generate(res);
  ExpectNear({arc.StartPoint().X, arc.StartPoint().Y, 0}, {5, 0, 0});
  ExpectNear({arc.EndPoint().X, arc.EndPoint().Y, 0}, {0, -5, 0});
  EXPECT_LT(arc.Points(24).Y, 0);  // through the fourth quadrant
  EXPECT_GT(arc.Points(24).X, 0);

  // An ellipse whose stored angles are true angles: the ends lie on the rays at those angles.
  Tvx2DEllipse e;
  e.FCenterPoint = {1, 1};
  e.FMajorPoint = {4, 0};
  e.FRadius = 0.5;
  e.FStartParam = 45;
  e.FEndParam = 135;
  e.IsAngleInParam = true;
  e.Generate(res);
  const TF2DPoint s = e.StartPoint(), f = e.EndPoint();
  EXPECT_NEAR(s.Y - 1, s.X - 1, 1e-9);
  EXPECT_NEAR(f.Y - 1, -(f.X - 1), 1e-9);
  EXPECT_NEAR(std::pow((s.X - 1) / 4, 2) + std::pow((s.Y - 1) / 2, 2), 1, 1e-9);
  e.IsAngleInParam = false;  // parameters: the point at parameter 45
  e.Generate(res);
  ExpectNear({e.StartPoint().X, e.StartPoint().Y, 0}, {1 + 4 * std::sqrt(0.5), 1 + 2 * std::sqrt(0.5), 0});
}

TEST_F(HatchTest, PolylineAndSplineEdges) {
  TvxEdgeResolution res;
  // A bulge of 1 is a half circle; the last vertex's bulge bends back to the first.
  Tvx2DPolyline p;
  p.FVertexes.Append({0, 0});
  p.FVertexes.Append({2, 0});
  p.FBulges.Append(1);
  p.FBulges.Append(1);
  p.Generate(res);
  EXPECT_EQ(p.Count(), 2 + 2 * 47);
  for (int i = 0; i < p.Count(); ++i)
    EXPECT_NEAR(std::hypot(p.Points(i).X - 1, p.Points(i).Y), 1, 1e-9) << i;
  Tvx2DPolyline q;  // fewer bulges than vertices: the missing ones are straight
  for (TF2DPoint v : {TF2DPoint{0, 0}, TF2DPoint{1, 0}, TF2DPoint{1, 1}}) q.FVertexes.Append(v);
  q.FBulges.Append(0);
  q.Generate(res);
  EXPECT_EQ(q.Count(), 3);

  // A rational cubic keeps its weights: heavy inner weights pull the middle to y = 1.875
  // (1.5 without them).
  Tvx2DSpline sp;
  for (TF2DPoint c : {TF2DPoint{0, 0}, TF2DPoint{1, 2}, TF2DPoint{3, 2}, TF2DPoint{4, 0}}) sp.FControls.Append(c);
  for (double k : {0, 0, 0, 0, 1, 1, 1, 1}) sp.FKnots.Append(k);
  for (double w : {1, 5, 5, 1}) sp.FWeights.Append(w);
  sp.Degree = 3;
  sp.Rational = true;
  sp.Generate(res);
  double top = 0;
  for (int i = 0; i < sp.Count(); ++i) top = std::max(top, sp.Points(i).Y);
  EXPECT_NEAR(top, 1.875, 1e-9);
  sp.Rational = false;
  sp.Generate(res);
  top = 0;
  for (int i = 0; i < sp.Count(); ++i) top = std::max(top, sp.Points(i).Y);
  EXPECT_NEAR(top, 1.5, 1e-9);
  ExpectNear({sp.EndPoint().X, sp.EndPoint().Y, 0}, {4, 0, 0});
}

TEST_F(HatchTest, FillStylesBuildPatterns) {
  TvxEntityPtr<TvxCADHatch> h(new TvxCADHatch());
  EXPECT_EQ(h->FillStyle(), fsCAD);
  h->SetFillStyle(fsCross);
  ASSERT_EQ(h->HatchPatternData().Count(), 2);
  EXPECT_EQ(h->HatchPatternData().Pattern(0).LineAngle, 0);
  EXPECT_EQ(h->HatchPatternData().Pattern(1).LineAngle, 90);
  EXPECT_EQ(h->HatchPatternData().Pattern(1).Offset, (TFPoint{1, 1, 0}));
  h->SetFillStyle(fsCAD);
  EXPECT_EQ(h->HatchPatternData().Count(), 2);
  h->SetFillStyle(fsBDiagonal);
  ASSERT_EQ(h->HatchPatternData().Count(), 1);
  EXPECT_EQ(h->HatchPatternData().Pattern(0).LineAngle, 45);
  EXPECT_EQ(h->HatchPatternData().Pattern(0).Offset, (TFPoint{1, -1, 0}));
  h->SetFillStyle(fsSolid);
  EXPECT_EQ(h->HatchPatternData().Count(), 0);
  // The style and the orientation summary share one integer.
  h->SetHatchStyle(hsDiagCross);
  EXPECT_EQ(h->FillStyle(), fsSolid);
  EXPECT_EQ(h->HatchStyle(), hsDiagCross);
}

TEST_F(HatchTest, GradientNames) {
  struct Case { const char* in; const char* out; TvxGradientType type; };
  for (const Case& c : std::initializer_list<Case>{{"linear", "LINEAR", gtLinear},
                                                   {"InvSpherical", "INVSPHERICAL", gtInvSpherical},
                                                   {"UNKNOWN", "UNKNOWN", gtOther},
                                                   {"foo", "", gtNone},
                                                   {"", "", gtNone}}) {
    TvxEntityPtr<TvxCADGradientPolygon> g(new TvxCADGradientPolygon());
    g->SetGradientName(c.in);
    EXPECT_EQ(g->GradientName(), c.out) << c.in;
    EXPECT_EQ(g->GradientType(), c.type) << c.in;
  }
  TvxEntityPtr<TvxCADGradientPolygon> g(new TvxCADGradientPolygon());
  g->SetGradientName(std::string("SPHERICAL\0\0", 11));
  EXPECT_EQ(g->GradientName(), "SPHERICAL");
  EXPECT_EQ(g->GradientColor(0), 0xFF0000u);  // blue, as a 0x00BBGGRR colour
  EXPECT_EQ(g->GradientColor(1), 0xFFFFFFu);
  EXPECT_EQ(g->GradientColorCAD(2).Color, 7u);
  EXPECT_TRUE(g->GradientUseCenter());
  // A hatch without a pattern name shows its gradient's name.
  TvxEntityPtr<TvxCADHatch> h(new TvxCADHatch());
  h->SetGradientName("CYLINDER");
  EXPECT_EQ(h->HatchName(), "CYLINDER");
  h->HatchPatternData().SetName("ANSI31");
  EXPECT_EQ(h->HatchName(), "ANSI31");
}

TEST_F(HatchTest, PatternAngleAndScale) {
  TvxEntityPtr<TvxCADHatch> h(new TvxCADHatch());
  AddLine(h.get(), 0, {1, 0, 0}, {0, 1, 0}, {0.5, -0.25});
  h->SetFillStyle(fsSolid);
  AddLine(h.get(), 0, {1, 0, 0}, {0, 1, 0}, {0.5, -0.25});
  h->SetPatternAngle(90);
  EXPECT_EQ(h->FillStyle(), fsCAD);
  const TvxHatchPatternData& p = h->HatchPatternData().Pattern(0);
  EXPECT_NEAR(p.LineAngle, 90, 1e-12);
  ExpectNear(p.Offset, {-1, 0, 0}, 1e-12);
  ExpectNear(p.BaseP, {0, 1, 0}, 1e-12);
  h->SetPatternScale(2);
  ExpectNear(p.Offset, {-2, 0, 0}, 1e-12);
  EXPECT_EQ(p.Lines[0], 1);
  EXPECT_EQ(p.Lines[1], -0.5);
  h->SetPatternScale(0);  // ignored
  EXPECT_EQ(h->PatternScale(), 2);
  h->SetPatternScale(1);
  EXPECT_EQ(p.Lines[0], 0.5);
  h->SetPatternAngle(450);  // reduced to 90: no turn
  EXPECT_NEAR(p.LineAngle, 90, 1e-12);
  h->RotatePatterns(-90);  // not recorded
  EXPECT_NEAR(p.LineAngle, 0, 1e-12);
  EXPECT_EQ(h->PatternAngle(), 90);
}

TEST_F(HatchTest, ExtrusionAndElevationPlaceTheHatch) {
  // A mirrored hatch (extrusion (0, 0, -1)) lies at negative X in world coordinates.
  auto* h = new TvxCADHatch();
  AddSquare(h, 1, 2, 4, 6);
  AddLine(h, 0, {0, 0, 0}, {0, 1, 0});
  h->SetExtrusion({0, 0, -1});
  h->SetElevation({0, 0, 3});
  AddLoaded(h);
  const TFRect b = h->GetBox();
  EXPECT_NEAR(b.Left, -4, 1e-12);
  EXPECT_NEAR(b.Right, -1, 1e-12);
  EXPECT_NEAR(b.Bottom, 2, 1e-12);
  EXPECT_NEAR(b.Z1, -3, 1e-12);
  ASSERT_TRUE(h->HasMatrix());
  // The segments stay in object coordinates; the matrix takes them to the box.
  const TFPoint p = TransformPoint(h->ParsedLines()[0], h->Matrix());
  EXPECT_TRUE(p.X >= -4 - 1e-9 && p.X <= -1 + 1e-9);
  EXPECT_NEAR(h->LoopBox().Left, 1, 1e-12);
  // When importing, the box stays in object coordinates.
  conv->SetImportMode(imImport);
  EXPECT_NEAR(h->GetBox().Left, 1, 1e-12);
  conv->SetImportMode(imView);
}

TEST_F(HatchTest, PolygonsGradientsAndCopies) {
  auto* pp = new TvxCADPolyPolygon();
  pp->AddBoundary(TF2DPointList());
  TF2DPointList loop;
  for (TF2DPoint p : {TF2DPoint{0, 0}, TF2DPoint{2, 0}, TF2DPoint{2, 1}}) loop.Append(p);
  pp->AddBoundary(loop);
  AddLoaded(pp);
  EXPECT_EQ(pp->Boundaries()[1].Count(), 4);  // closed by the load
  EXPECT_TRUE(pp->SolidFill());
  EXPECT_EQ(pp->GetBox().Right, 2);
  // A gradient over a line-shaped area has nothing to show.
  auto* g = new TvxCADGradientPolygon();
  TF2DPointList flat;
  flat.Append({0, 0});
  flat.Append({5, 0});
  g->AddBoundary(flat);
  AddLoaded(g);
  EXPECT_TRUE(IsBadBox(g->GetBox()));

  auto* h = new TvxCADMPolygon();
  EXPECT_EQ(h->EntType(), ceMPolygon);
  h->SetSolidFill(true);
  h->SetFillColor(MakeColorCAD(acIndexColor, 3));
  AddSquare(h, 0, 0, 10, 10);
  AddLine(h, 45, {0, 0, 0}, {-1, 1, 0});
  AddLoaded(h);
  TvxEntityPtr<TvxCADMPolygon> c(static_cast<TvxCADMPolygon*>(h->Clone()));
  EXPECT_TRUE(c->SolidFill());
  EXPECT_EQ(c->FillColor().Color, 3u);
  EXPECT_EQ(c->ParsedLines().Count(), h->ParsedLines().Count());
  EXPECT_EQ(c->HatchPatternData().Count(), 1);
  // The copy's boundaries are its own.
  c->BoundaryDataLast()->Clear();
  EXPECT_EQ(h->BoundaryDataLast()->Count(), 4);
  // Readers may hand over the boundary and pattern objects as children.
  auto* data = new TvxCADBoundaryData();
  data->AddBoundary()->AssignBoundary(loop);
  EXPECT_EQ(c->AddEntity(data), 0);
  EXPECT_EQ(&c->BoundaryDataObject(), data);
  EXPECT_EQ(c->BoundaryDataLast()->Count(), 3);
  EXPECT_EQ(c->AddEntity(new TvxCADHatchPatternData()), 0);
  EXPECT_EQ(c->HatchPatternData().Count(), 0);
}

}  // namespace
}  // namespace vx::test
