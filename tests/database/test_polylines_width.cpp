// The width outline of wide polylines: constant and tapered widths, the effective constant
// width (never stored), arcs, joins, dashes, extrusion, thickness and boxes.
#include "database/entities/vxEntPolylines.h"
#include "test_entities_fixture.h"

#include <initializer_list>
#include <vector>

namespace vx::test {
namespace {

using WidthTest = EntitiesTest;

struct V {
  TFPoint P;
  double Bulge = 0, SW = 0, EW = 0;
};

TvxDXFLWPolyline* MakePoly(std::initializer_list<V> vs, bool closed = false) {
  auto* p = new TvxDXFLWPolyline();
  for (const V& v : vs) p->AddVertex(v.P, v.Bulge, v.SW, v.EW);
  p->SetClosed(closed);
  return p;
}

std::vector<TFPoint> Quad(const TvxDXFPolyline* p, int q) {
  std::vector<TFPoint> r;
  for (int i = 0; i < 4; ++i) r.push_back((*p->Arrows())[4 * q + i]);
  return r;
}

void ExpectQuad(const std::vector<TFPoint>& got, std::initializer_list<TFPoint> want,
                double tol = 1e-12) {
  ASSERT_EQ(got.size(), want.size());
  size_t i = 0;
  for (const TFPoint& w : want) {
    SCOPED_TRACE(i);
    ExpectNear(got[i++], w, tol);
  }
}

TEST_F(WidthTest, ConstantAndTaperedSegments) {
  struct Case {
    const char* name;
    double sw, ew, global;
    std::initializer_list<TFPoint> quad;
    double height;  // of the box
  };
  for (const Case& k : std::initializer_list<Case>{
           {"vertex widths", 2, 2, 0, {{0, -1, 0}, {10, -1, 0}, {10, 1, 0}, {0, 1, 0}}, 2},
           {"global width", 0, 0, 2, {{0, -1, 0}, {10, -1, 0}, {10, 1, 0}, {0, 1, 0}}, 2},
           {"global overrides vertex", 6, 6, 2, {{0, -1, 0}, {10, -1, 0}, {10, 1, 0}, {0, 1, 0}}, 2},
           {"taper", 0, 2, 0, {{0, 0, 0}, {10, -1, 0}, {10, 1, 0}, {0, 0, 0}}, 2},
           {"reverse taper", 4, 0, 0, {{0, -2, 0}, {10, 0, 0}, {10, 0, 0}, {0, 2, 0}}, 4},
       }) {
    SCOPED_TRACE(k.name);
    auto* p = MakePoly({{{0, 0, 0}, 0, k.sw, k.ew}, {{10, 0, 0}}});
    p->SetGlobalWidth(k.global);
    AddLoaded(p);
    ASSERT_NE(p->Arrows(), nullptr);
    ASSERT_EQ(p->Arrows()->Count(), 4);
    ExpectQuad(Quad(p, 0), k.quad);
    TFRect b = p->GetBox();  // the outline is part of the box
    EXPECT_NEAR(b.Top - b.Bottom, k.height, 1e-12);
  }
}

TEST_F(WidthTest, NoWidthNoOutline) {
  auto* p = AddLoaded(MakePoly({{{0, 0, 0}}, {{10, 0, 0}}}));
  EXPECT_EQ(p->Arrows(), nullptr);
  EXPECT_FALSE(p->HasWidth());
  EXPECT_TRUE(p->IsOnePixelOptimisationValid());
}

// The uniform width found at load is used, never written back: editing one vertex later must
// show on the next load.
TEST_F(WidthTest, DerivedConstantWidthIsNotStored) {
  auto* p = AddLoaded(MakePoly({{{0, 0, 0}, 0, 2, 2}, {{10, 0, 0}, 0, 2, 2}, {{10, 10, 0}, 0, 2, 2}}));
  EXPECT_EQ(p->GlobalWidth(), 0);
  EXPECT_FALSE(p->HasWidth(false));  // only the vertices are wide
  EXPECT_TRUE(p->HasWidth(true));
  EXPECT_FALSE(p->IsOnePixelOptimisationValid());
  ASSERT_EQ(p->Arrows()->Count(), 8);
  p->GetVertex(1)->SetStartWidth(4);
  p->GetVertex(1)->SetEndWidth(4);
  conv->Loads(p);
  EXPECT_EQ(p->GlobalWidth(), 0);
  ASSERT_EQ(p->Arrows()->Count(), 8);
  // the second segment now runs 4 wide: its far end spans x = 8..12
  std::vector<TFPoint> q = Quad(p, 1);
  EXPECT_NEAR(q[1].X, 12, 1e-12);
  EXPECT_NEAR(q[2].X, 8, 1e-12);
  EXPECT_NEAR(q[1].Y, 10, 1e-12);
}

// The polyline's own default widths apply to vertices without widths, not over them.
TEST_F(WidthTest, DefaultWidthsFillOnlyVerticesWithoutWidths) {
  auto* p = MakePoly({{{0, 0, 0}}, {{10, 0, 0}, 0, 4, 4}, {{20, 0, 0}}});
  p->SetStartWidth(2);
  p->SetEndWidth(2);
  AddLoaded(p);
  EXPECT_TRUE(p->HasWidth(false));
  ASSERT_EQ(p->Arrows()->Count(), 8);
  EXPECT_NEAR(Quad(p, 0)[0].Y, -1, 1e-12);
  EXPECT_NEAR(Quad(p, 1)[0].Y, -2, 1e-12);
  EXPECT_EQ(p->StartWidth(), 2);
  EXPECT_EQ(p->GlobalWidth(), 0);
}

TEST_F(WidthTest, CornersAreMitredAboveTheJoinAngle) {
  // L-shape: both offset edges are cut at their crossing points
  auto* l = MakePoly({{{0, 0, 0}}, {{10, 0, 0}}, {{10, 10, 0}}});
  l->SetGlobalWidth(2);
  AddLoaded(l);
  ASSERT_EQ(l->Arrows()->Count(), 8);
  ExpectQuad(Quad(l, 0), {{0, -1, 0}, {11, -1, 0}, {9, 1, 0}, {0, 1, 0}});
  ExpectQuad(Quad(l, 1), {{11, -1, 0}, {11, 10, 0}, {9, 10, 0}, {9, 1, 0}});

  // a 10 degree turn stays unjoined
  const double a = 10 * fPiDiv180;
  auto* s = MakePoly({{{0, 0, 0}}, {{10, 0, 0}}, {{10 + 10 * std::cos(a), 10 * std::sin(a), 0}}});
  s->SetGlobalWidth(2);
  AddLoaded(s);
  ExpectQuad(Quad(s, 0), {{0, -1, 0}, {10, -1, 0}, {10, 1, 0}, {0, 1, 0}});

  // a hairpin would spike far out: the mitre is not applied
  auto* h = MakePoly({{{0, 0, 0}}, {{10, 0, 0}}, {{0, 0.5, 0}}});
  h->SetGlobalWidth(2);
  AddLoaded(h);
  ExpectQuad(Quad(h, 0), {{0, -1, 0}, {10, -1, 0}, {10, 1, 0}, {0, 1, 0}});
}

TEST_F(WidthTest, ClosedPolylineJoinsLastToFirst) {
  auto* p = MakePoly({{{0, 0, 0}}, {{10, 0, 0}}, {{10, 10, 0}}, {{0, 10, 0}}}, true);
  p->SetGlobalWidth(2);
  AddLoaded(p);
  ASSERT_EQ(p->Arrows()->Count(), 16);
  // the first quad's start corners are mitred with the closing segment
  std::vector<TFPoint> first = Quad(p, 0), last = Quad(p, 3);
  ExpectNear(first[0], {-1, -1, 0});
  ExpectNear(first[3], {1, 1, 0});
  ExpectNear(last[1], {-1, -1, 0});
  ExpectNear(last[2], {1, 1, 0});
  // open: the ends stay square
  p->SetClosed(false);
  conv->Loads(p);
  ASSERT_EQ(p->Arrows()->Count(), 12);
  ExpectNear(Quad(p, 0)[0], {0, -1, 0});
}

TEST_F(WidthTest, BulgeArcsOffsetAlongTheRadii) {
  struct Case {
    double bulge, width, inner, outer;
  };
  // half circles of radius 1 around (1, 0); a width beyond the diameter is limited to it
  for (const Case& k : std::initializer_list<Case>{{1, 0.5, 0.75, 1.25}, {-1, 0.5, 0.75, 1.25},
                                                   {1, 6, 0, 2}}) {
    SCOPED_TRACE(k.bulge);
    auto* p = MakePoly({{{0, 0, 0}, k.bulge, k.width, k.width}, {{2, 0, 0}}});
    AddLoaded(p);
    ASSERT_NE(p->Arrows(), nullptr);
    ASSERT_EQ(p->Arrows()->Count(), 4 * 48);
    for (int q = 0; q < 48; ++q) {
      std::vector<TFPoint> c = Quad(p, q);
      // order: A - ha u_A, B - hb u_B, B + hb u_B, A + ha u_A
      EXPECT_NEAR(DistanceFPoint(c[0], {1, 0, 0}), k.inner, 1e-9);
      EXPECT_NEAR(DistanceFPoint(c[1], {1, 0, 0}), k.inner, 1e-9);
      EXPECT_NEAR(DistanceFPoint(c[2], {1, 0, 0}), k.outer, 1e-9);
      EXPECT_NEAR(DistanceFPoint(c[3], {1, 0, 0}), k.outer, 1e-9);
      if (q > 0) ExpectNear(c[0], Quad(p, q - 1)[1]);  // the pieces close up
    }
  }
}

TEST_F(WidthTest, TaperedArcRampsByPoint) {
  conv->SetNumberOfPartsInCircle(4);
  auto* p = AddLoaded(MakePoly({{{0, 0, 0}, 1, 0, 0.8}, {{2, 0, 0}}}));
  ASSERT_EQ(p->Arrows()->Count(), 16);
  for (int q = 0; q < 4; ++q) {
    std::vector<TFPoint> c = Quad(p, q);
    EXPECT_NEAR(DistanceFPoint(c[3], {1, 0, 0}) - 1, 0.1 * q, 1e-12);
    EXPECT_NEAR(DistanceFPoint(c[2], {1, 0, 0}) - 1, 0.1 * (q + 1), 1e-12);
  }
}

TEST_F(WidthTest, ExtrusionThicknessAndElevationMoveTheOutline) {
  auto* p = MakePoly({{{0, 0, 0}}, {{10, 0, 0}}});
  p->SetGlobalWidth(2);
  p->SetExtrusion({0, 0, -1});
  p->SetPoint({0, 0, 1});  // elevation 1
  p->SetZThick(3);
  AddLoaded(p);
  ASSERT_EQ(p->Arrows()->Count(), 8);  // the quad and its raised copy
  // object (0,-1) mirrors to world (0,-1) with X negated; elevation and thickness run down
  ExpectNear((*p->Arrows())[0], {0, -1, -1});
  ExpectNear((*p->Arrows())[1], {-10, -1, -1});
  ExpectNear((*p->Arrows())[4], {0, -1, -4});
  TFRect b = p->GetBox();
  EXPECT_NEAR(b.Left, -10, 1e-12);
  EXPECT_NEAR(b.Bottom, -1, 1e-12);
  EXPECT_NEAR(b.Top, 1, 1e-12);
  EXPECT_NEAR(b.Z1, -4, 1e-12);
  EXPECT_NEAR(b.Z2, -1, 1e-12);
}

// A dashed line type: thick polylines get their dashes as points, wide ones a quad per dash.
TEST_F(WidthTest, DashedLineTypeCutsPointsAndOutline) {
  auto* lt = conv->NewNamed<TvxDXFLineType>(conv->LTypes(), "DASHED");
  ASSERT_NE(lt, nullptr);
  lt->Lines().Initialize({0.5, -0.25});
  lt->Lines().Loaded();

  auto* thick = MakePoly({{{0, 0, 0}}, {{2, 0, 0}}});
  thick->SetLineType(lt);
  thick->SetZThick(1);
  AddLoaded(thick);
  EXPECT_NE(thick->GetFlags() & cnstPolyPatternPoints, 0);
  ASSERT_EQ(thick->PointCount(), 12);  // three dashes as pairs, then raised
  EXPECT_NEAR(thick->GetPoints(2).X, 0.75, 1e-12);
  EXPECT_NEAR(thick->GetPoints(8).Z, 1, 1e-12);
  EXPECT_EQ(thick->PointsCounts().Vector(), (std::vector<int32_t>{1, 1}));

  auto* wide = MakePoly({{{0, 0, 0}}, {{2, 0, 0}}});
  wide->SetLineType(lt);
  wide->SetGlobalWidth(1);
  AddLoaded(wide);
  EXPECT_EQ(wide->GetFlags() & cnstPolyPatternPoints, 0);  // thin: the renderer cuts it
  EXPECT_EQ(wide->PointCount(), 2);
  ASSERT_NE(wide->Arrows(), nullptr);
  EXPECT_EQ(wide->Arrows()->Count(), 12);
  EXPECT_EQ(wide->ArrowsLines(), &lt->Lines());
  // a reload clears the pattern-points mark first
  thick->SetZThick(0);
  conv->Loads(thick);
  EXPECT_EQ(thick->GetFlags() & cnstPolyPatternPoints, 0);
  EXPECT_EQ(thick->PointCount(), 2);
}

// Hostile values in every field: loading never crashes, never reads out of range, and keeps
// the outline in whole quads.
TEST_F(WidthTest, HostileVerticesLoadSafely) {
  const double inf = std::numeric_limits<double>::infinity();
  const double values[] = {0, 1, -1, 0.5, 1e-320, 1e-12, 1e300, -1e300, inf, -inf, kNaN, 3, 1e6};
  const int nv = static_cast<int>(std::size(values));
  uint32_t seed = 12345;
  auto next = [&]() {
    seed = seed * 1664525u + 1013904223u;
    return static_cast<int>(seed >> 8);
  };
  auto pick = [&]() { return values[next() % nv]; };
  for (int round = 0; round < 150; ++round) {
    TvxDXFPolyline* p = round % 2 ? new TvxDXFPolyline() : new TvxDXFLWPolyline();
    const int flagsPool[] = {0, 1, 8, 16, 32, 64, 1 | 128, 0x200, 64 | 1};
    p->SetFlags(flagsPool[next() % 9]);
    p->SetMeshM(next() % 4 - 1);
    p->SetMeshN(next() % 4 - 1);
    if (next() % 3 == 0) p->SetGlobalWidth(pick());
    if (next() % 3 == 0) p->SetStartWidth(pick());
    if (next() % 4 == 0) p->SetZThick(pick());
    if (next() % 4 == 0) p->SetExtrusion({0, 0, -1});
    const int n = next() % 8;
    for (int i = 0; i < n; ++i) {
      TvxDXFVertex* v = p->AddVertex({next() % 2 ? pick() : double(i), double(next() % 5), 0},
                                     next() % 2 ? pick() : 0, next() % 2 ? pick() : 0,
                                     next() % 2 ? pick() : 0);
      const int vflags[] = {0, 0, 0, 16, 32, 128, 192};
      v->SetFlags(vflags[next() % 7]);
      if (v->IsPolyfaceMeshVertex())
        for (int k = 0; k < 4; ++k) v->SetPolyFaceVertexIndex(k, next() % 11 - 5);
    }
    AddLoaded(p);
    SCOPED_TRACE(round);
    if (p->Arrows()) EXPECT_EQ(p->Arrows()->Count() % 4, 0);
    for (const TvxPolyFace& f : p->PolyFaceFaces())
      for (int i = 0; i < f.Count; ++i) EXPECT_LT(f.Index[static_cast<size_t>(i)], p->PointCount());
    (void)p->Area();
    (void)p->Length();
    for (int i = -1; i <= n; ++i) (void)p->BulgeHeight(i);
  }
}

// ---- the outline builder on its own -----------------------------------------------------------

TvxWidthSegment Straight(TFPoint a, TFPoint b, double w) {
  TvxWidthSegment s;
  s.Points = {a, b};
  s.StartWidth = s.EndWidth = w;
  return s;
}

TEST(WidthOutline, DashedSegmentsGetOneQuadPerDash) {
  TvxLines dashed;
  dashed.Initialize({0.5, -0.25});
  dashed.Loaded();
  ASSERT_TRUE(IsDashedPattern(&dashed));
  TvxWidthOutlineParams params;
  params.Pattern = &dashed;
  TFPointList out;
  BuildWidthOutline({Straight({0, 0, 0}, {2, 0, 0}, 2), Straight({2, 0, 0}, {2, 2, 0}, 2)},
                    params, out);
  // dashes [0, 0.5], [0.75, 1.25], [1.5, 2] on each segment; no joins between segments
  ASSERT_EQ(out.Count(), 24);
  EXPECT_NEAR(out[0].X, 0, 1e-12);
  EXPECT_NEAR(out[1].X, 0.5, 1e-12);
  EXPECT_NEAR(out[4].X, 0.75, 1e-12);
  EXPECT_NEAR(out[9].X, 2, 1e-12);
  EXPECT_NEAR(out[9].Y, -1, 1e-12);
  // with cross segments the dashes at the corner are joined
  params.CrossSegments = true;
  out.Clear();
  BuildWidthOutline({Straight({0, 0, 0}, {2, 0, 0}, 2), Straight({2, 0, 0}, {2, 2, 0}, 2)},
                    params, out);
  ExpectNear(out[9], {3, -1, 0});
  ExpectNear(out[12], {3, -1, 0});
}

TEST(WidthOutline, TooManyDashesDrawTheSegmentWhole) {
  TvxLines fine;
  fine.Initialize({0.002, -0.001});
  fine.Loaded();
  TvxWidthOutlineParams params;
  params.Pattern = &fine;
  params.PointBudget = 100;
  TFPointList out;
  BuildWidthOutline({Straight({0, 0, 0}, {10, 0, 0}, 2)}, params, out);
  ASSERT_EQ(out.Count(), 4);
  ExpectNear(out[1], {10, -1, 0});
}

TEST(WidthOutline, DegenerateSegmentsAddNothing) {
  TvxWidthSegment arcNoPoints;
  arcNoPoints.IsArc = true;
  arcNoPoints.StartWidth = 1;
  TvxWidthSegment nanWidth = Straight({0, 0, 0}, {1, 0, 0}, 0);
  nanWidth.StartWidth = kNaN;
  TFPointList out;
  BuildWidthOutline({Straight({0, 0, 0}, {0, 0, 0}, 2), Straight({0, 0, 0}, {kNaN, 0, 0}, 2),
                     arcNoPoints, nanWidth, Straight({0, 0, 0}, {1, 0, 0}, 0)},
                    {}, out);
  EXPECT_EQ(out.Count(), 0);
  BuildWidthOutline({}, {}, out);
  EXPECT_EQ(out.Count(), 0);
}

}  // namespace
}  // namespace vx::test
