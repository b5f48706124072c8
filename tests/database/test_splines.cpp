// Splines and helices: interpolation through fit points, evaluation by knots (cubic and de Boor,
// rational included), the fit-point polyline, boxes, and malformed knots, weights and counts.
#include "database/entities/vxEntSplines.h"
#include "test_entities_fixture.h"

#include <initializer_list>
#include <vector>

namespace vx::test {
namespace {

using SplineTest = EntitiesTest;

bool AllFinite(const TvxCADBasePolyline* e) {
  for (const TFPoint& p : e->PolyPoints())
    if (!std::isfinite(p.X) || !std::isfinite(p.Y) || !std::isfinite(p.Z)) return false;
  return true;
}

TvxDXFSpline* KnotSpline(int degree, std::initializer_list<TFPoint> controls,
                         std::initializer_list<double> knots);

TvxDXFSpline* FitSpline(std::initializer_list<TFPoint> fits) {
  auto* s = new TvxDXFSpline();
  for (const TFPoint& p : fits) s->AddFit(p);
  return s;
}

TEST_F(SplineTest, FourFitPointsGiveThreeIntervalsOf24Samples) {
  auto* s = AddLoaded(FitSpline({{0, 0, 0}, {1, 1, 0}, {2, 0, 0}, {3, 1, 1}}));
  EXPECT_TRUE(s->IsByAngles());
  ASSERT_EQ(s->PointCount(), 72);
  // sample 0 of every interval is its fit point; the very last is the last fit point
  ExpectNear(s->GetPoints(0), {0, 0, 0});
  ExpectNear(s->GetPoints(24), {1, 1, 0});
  ExpectNear(s->GetPoints(48), {2, 0, 0});
  EXPECT_EQ(s->GetPoints(71), (TFPoint{3, 1, 1}));
  EXPECT_NEAR(s->Length(), 2 * std::sqrt(2.0) + std::sqrt(3.0), 1e-12);
  EXPECT_EQ(s->EntType(), ceSpline);
  // the curve passes the fit points smoothly: no sample strays far from their hull
  TFRect b = s->GetBox();
  EXPECT_GT(b.Left, -0.5);
  EXPECT_LT(b.Right, 3.5);
}

TEST_F(SplineTest, TwoFitPointsWithNaturalEndsAreStraight) {
  auto* s = AddLoaded(FitSpline({{0, 0, 0}, {4, 2, 0}}));
  ASSERT_EQ(s->PointCount(), 24);
  for (int i = 0; i < 23; ++i) ExpectNear(s->GetPoints(i), {4 * i / 24.0, 2 * i / 24.0, 0}, 1e-12);
  EXPECT_EQ(s->GetPoints(23), (TFPoint{4, 2, 0}));  // the last sample is the last fit point
}

TEST_F(SplineTest, PointBudgetCoarsensSamples) {
  struct BudgetScope {
    int64_t Saved = SplinePointBudget;
    ~BudgetScope() { SplinePointBudget = Saved; }
  } scope;
  SplinePointBudget = 100;
  auto* s = new TvxDXFSpline();
  for (int i = 0; i < 10; ++i) s->AddFit({double(i), double(i % 2), 0});
  AddLoaded(s);
  EXPECT_EQ(s->PointCount(), 9 * 9);
  auto* k = KnotSpline(2, {{0, 0, 0}, {1, 1, 0}, {2, 0, 0}, {3, 1, 0}},
                       {0, 0, 0, 0.25, 0.5, 0.75, 1, 1});
  SplinePointBudget = 16;
  AddLoaded(k);
  // the two spans the controls carry, 3 segments each, then the last control point for the
  // spans that need controls beyond the last
  EXPECT_EQ(k->PointCount(), 2 * 4 + 1);
}

TEST_F(SplineTest, RepeatedFitPointsAreDropped) {
  auto* s = AddLoaded(FitSpline({{0, 0, 0}, {0, 0, 0}, {1, 1, 0}, {1, 1, 0}, {2, 0, 0}}));
  EXPECT_EQ(s->FitCount(), 3);
  EXPECT_EQ(s->PointCount(), 48);
  auto* one = AddLoaded(FitSpline({{1, 1, 1}, {1, 1, 1}}));
  EXPECT_EQ(one->PointCount(), 0);
}

// Tangents only give a direction: one of any length bends the curve as its unit vector does.
TEST_F(SplineTest, EndTangentsAreUnitDirections) {
  auto make = [&](TFPoint t0, TFPoint t1) {
    auto* s = FitSpline({{0, 0, 0}, {2, 0, 0}, {4, 0, 0}});
    s->SetBeginningTangent(t0);
    s->SetEndingTangent(t1);
    return AddLoaded(s);
  };
  auto* unit = make({0.9701425001453319, 0.24253562503633297, 0}, {0, -1, 0});
  auto* longer = make({2, 0.5, 0}, {0, -7, 0});
  auto* natural = make({0, 0, 0}, {kNaN, 0, 0});  // NaN drops the tangent
  ASSERT_EQ(unit->PointCount(), 48);
  ASSERT_EQ(longer->PointCount(), 48);
  for (int i = 0; i < 48; ++i) ExpectNear(longer->GetPoints(i), unit->GetPoints(i), 1e-12);
  EXPECT_GT(unit->GetPoints(6).Y, 0.05);  // leaves upwards
  for (int i = 0; i < 48; ++i) EXPECT_NEAR(natural->GetPoints(i).Y, 0, 1e-12);
}

TEST_F(SplineTest, FitPolylineFlagDrawsTheFitPoints) {
  auto* s = FitSpline({{0, 0, 0}, {0, 0, 0}, {1, 0, 0}, {1, 2, 0}});
  s->SetFlagsExtented(cnstSplineFitPolyline);
  AddLoaded(s);
  ASSERT_EQ(s->PointCount(), 3);
  EXPECT_EQ(s->GetPoints(2), (TFPoint{1, 2, 0}));
}

TvxDXFSpline* KnotSpline(int degree, std::initializer_list<TFPoint> controls,
                         std::initializer_list<double> knots) {
  auto* s = new TvxDXFSpline();
  s->SetDegree(degree);
  for (const TFPoint& p : controls) s->AddControl(p);
  for (double k : knots) s->AddKnot(k);
  return s;
}

TFPoint Bezier(const TFPoint (&c)[4], double u) {
  const double v = 1 - u;
  const double b[4] = {v * v * v, 3 * u * v * v, 3 * u * u * v, u * u * u};
  TFPoint r;
  for (int i = 0; i < 4; ++i) r = AddFPoint(r, PtXScalar(c[i], b[i]));
  return r;
}

TEST_F(SplineTest, CubicWithClampedKnotsIsItsBezier) {
  const TFPoint c[4] = {{0, 0, 0}, {1, 3, 1}, {4, 3, -1}, {5, 0, 2}};
  auto* s = AddLoaded(KnotSpline(3, {c[0], c[1], c[2], c[3]}, {0, 0, 0, 0, 1, 1, 1, 1}));
  ASSERT_EQ(s->PointCount(), 26);
  EXPECT_EQ(s->GetPoints(0), c[0]);
  EXPECT_EQ(s->GetPoints(25), c[3]);
  for (int j = 0; j < 24; ++j) ExpectNear(s->GetPoints(1 + j), Bezier(c, j / 24.0), 1e-12);
  TFRect b = s->GetBox();
  EXPECT_EQ(b.Left, 0);
  EXPECT_EQ(b.Right, 5);
  EXPECT_NEAR(b.Top, Bezier(c, 0.5).Y, 1e-12);  // the top of a symmetric arch
}

TEST_F(SplineTest, RationalQuadraticCircle) {
  const double r = 5, w = std::sqrt(2.0) / 2;
  auto* s = KnotSpline(2,
                       {{r, 0, 0}, {r, r, 0}, {0, r, 0}, {-r, r, 0}, {-r, 0, 0}, {-r, -r, 0},
                        {0, -r, 0}, {r, -r, 0}, {r, 0, 0}},
                       {0, 0, 0, 0.25, 0.25, 0.5, 0.5, 0.75, 0.75, 1, 1, 1});
  for (double wt : {1.0, w, 1.0, w, 1.0, w, 1.0, w, 1.0}) s->AddWeight(wt);
  s->SetFlags(cnstSplineRational);
  AddLoaded(s);
  ASSERT_EQ(s->PointCount(), 4 * 25);  // N + 1 samples per span
  for (const TFPoint& p : s->PolyPoints()) EXPECT_NEAR(VectorLength(p), r, 1e-6);
  // without the rational flag the weights are not used and the curve leaves the circle
  s->SetFlags(0);
  conv->Loads(s);
  EXPECT_GT(VectorLength(s->GetPoints(12)), r + 0.1);
}

TEST_F(SplineTest, ItemAccessorsStayInRange) {
  auto* s = Add(KnotSpline(3, {{0, 0, 0}, {1, 1, 0}}, {0.1}));
  s->AddWeight(2);
  s->SetControlPoint(1, {5, 5, 5});
  s->SetControlPoint(2, {9, 9, 9});
  s->SetControlPoint(-1, {9, 9, 9});
  s->SetKnot(0, 0.5);
  s->SetKnot(1, 7);
  s->SetWeight(0, 3);
  s->SetWeight(5, 3);
  s->SetFitPoint(0, {1, 1, 1});
  EXPECT_EQ(s->ControlCount(), 2);
  EXPECT_EQ(s->GetControlPoint(1), (TFPoint{5, 5, 5}));
  EXPECT_EQ(s->KnotCount(), 1);
  EXPECT_EQ(s->Knot(0), 0.5);
  EXPECT_EQ(s->Knot(1), 0);
  EXPECT_EQ(s->Weight(0), 3);
  EXPECT_EQ(s->Weight(1), 0);
  EXPECT_EQ(s->FitCount(), 0);
  EXPECT_EQ(s->GetFitPoint(0), cnstFPointZero);
  // knots are kept in single precision
  s->SetKnot(0, 0.1);
  EXPECT_EQ(s->Knot(0), static_cast<double>(0.1f));
  TvxEntityPtr<TvxDXFSpline> c(static_cast<TvxDXFSpline*>(s->Clone()));
  EXPECT_EQ(c->GetControlPoint(1), (TFPoint{5, 5, 5}));
  EXPECT_EQ(c->Weight(0), 3);
  EXPECT_EQ(c->Degree(), 3);
}

TEST_F(SplineTest, NoKnotsMeansTheControlPolygon) {
  auto* s = AddLoaded(KnotSpline(3, {{0, 0, 0}, {1, 1, 0}, {2, 0, 0}}, {}));
  ASSERT_EQ(s->PointCount(), 3);
  EXPECT_EQ(s->GetPoints(1), (TFPoint{1, 1, 0}));
}

TEST_F(SplineTest, SplinesDropTheirExtrusion) {
  auto* s = KnotSpline(3, {{1, 0, 0}, {2, 0, 0}}, {});
  s->SetExtrusion({0, 0, -1});
  AddLoaded(s);
  EXPECT_EQ(s->GetExtrusion(), cnstExtrusion);
  EXPECT_EQ(s->GetPoints(0), (TFPoint{1, 0, 0}));  // world coordinates as stored
}

// Malformed data built by code: every case loads, reads only what exists and gives finite
// points (or none).
TEST_F(SplineTest, MalformedKnotsWeightsAndDegrees) {
  const double inf = std::numeric_limits<double>::infinity();
  struct Case {
    const char* name;
    int degree;
    int controls;
    std::vector<double> knots;
    std::vector<double> weights;
    int maxPoints;
  };
  const Case cases[] = {
      {"cubic, too few knots", 3, 6, {0, 1}, {}, 200},
      {"quadratic, too few knots", 2, 5, {0, 0, 1}, {}, 200},
      {"nan knots", 2, 4, {0, 0, 0, kNaN, 1, 1, 1}, {}, 200},
      {"infinite knots", 3, 4, {0, 0, 0, 0, inf, inf, inf, inf}, {}, 200},
      {"decreasing knots", 2, 4, {3, 2, 1, 0, -1, -2, -3}, {}, 200},
      {"weights short", 2, 4, {0, 0, 0, 0.5, 1, 1, 1}, {1, 2}, 200},
      {"zero weights", 2, 4, {0, 0, 0, 0.5, 1, 1, 1}, {0, 0, 0, 0}, 200},
      {"negative weights", 2, 3, {0, 0, 0, 1, 1, 1}, {1, -1, 1}, 200},
      {"degree 0", 0, 4, {0, 1, 2, 3, 4}, {}, 200},
      {"degree 12", 12, 4, {0, 0, 1, 1}, {}, 200},
      {"one control", 3, 1, {0, 0, 0, 0, 1, 1, 1, 1}, {}, 200},
      {"one control, de Boor", 2, 1, {0, 0, 0, 1, 1, 1}, {}, 200},
      {"huge knots", 3, 4, {1e30, 1e30, 1e30, 1e30, 1e30 + 1e15, 2e30, 2e30, 2e30}, {}, 200},
      {"more knots than needed", 2, 3, std::vector<double>(1000, 1.0), {}, 200},
  };
  for (const Case& k : cases) {
    auto* s = new TvxDXFSpline();
    s->SetDegree(k.degree);
    for (int i = 0; i < k.controls; ++i) s->AddControl({double(i), double(i % 2), 0});
    for (double v : k.knots) s->AddKnot(v);
    for (double v : k.weights) s->AddWeight(v);
    s->SetFlags(k.weights.empty() ? 0 : cnstSplineRational);
    AddLoaded(s);
    EXPECT_TRUE(AllFinite(s)) << k.name;
    EXPECT_LE(s->PointCount(), k.maxPoints) << k.name;
    EXPECT_EQ(s->GetControlPoint(k.controls), cnstFPointZero) << k.name;
    EXPECT_EQ(s->Knot(-1), 0) << k.name;
  }
}

// ---- helices ----------------------------------------------------------------------------------

TEST_F(SplineTest, HelixFitPointsRiseAndWiden) {
  struct Case {
    bool clockwise;
    TFPoint quarter;  // fit point 4 (a quarter turn)
  };
  for (const Case& k : std::initializer_list<Case>{{false, {2, 1.25, 3.125}},
                                                   {true, {2, -1.25, 3.125}}}) {
    auto* h = new TvxCADHelix();
    h->SetPoint({2, 0, 3});       // axis base
    h->SetStartPoint({3, 0, 3});  // 1 from the axis
    h->SetRadius(3);
    h->SetTurns(2);
    h->SetTurnHeight(0.5);
    h->SetClockwise(k.clockwise);
    h->AddControl({9, 9, 9});  // replaced by the generated fit points
    AddLoaded(h);
    EXPECT_EQ(h->EntType(), ceHelix);
    EXPECT_EQ(h->ControlCount(), 0);
    ASSERT_EQ(h->FitCount(), 33);
    ExpectNear(h->GetFitPoint(0), {3, 0, 3});
    ExpectNear(h->GetFitPoint(4), k.quarter, 1e-12);
    ExpectNear(h->GetFitPoint(32), {5, 0, 4}, 1e-12);
    ASSERT_EQ(h->PointCount(), 32 * 24);
    ExpectNear(h->GetPoints(32 * 24 - 1), {5, 0, 4});
    // a reload regenerates the same fit points
    conv->Loads(h);
    EXPECT_EQ(h->FitCount(), 33);
  }
}

TEST_F(SplineTest, HelixWithoutTurnsBuildsNothing) {
  const double inf = std::numeric_limits<double>::infinity();
  for (double turns : {0.0, -1.0, -1e-300, kNaN, inf}) {
    auto* h = new TvxCADHelix();
    h->SetStartPoint({1, 0, 0});
    h->SetRadius(1);
    h->SetTurns(turns);
    h->SetTurnHeight(1);
    AddLoaded(h);
    EXPECT_EQ(h->FitCount(), 0) << turns;
    EXPECT_EQ(h->PointCount(), 0) << turns;
    EXPECT_TRUE(IsBadBox(h->GetBox())) << turns;
  }
  // a tiny positive number of turns still makes one step
  EXPECT_EQ(HelixFitPoints({}, {1, 0, 0}, 1, 1e-9, 1, false).size(), 2u);
}

TEST(HelixFit, ManyTurnsAreCapped) {
  std::vector<TFPoint> pts = HelixFitPoints({}, {1, 0, 0}, 1, 1e12, 1, false);
  ASSERT_EQ(pts.size(), static_cast<size_t>(cnstMaxHelixFitPoints) + 1);
  EXPECT_NEAR(pts.back().Z, 1e12, 1);
  EXPECT_TRUE(HelixFitPoints({}, {1, 0, 0}, kNaN, 2, 1, false).empty());
}

TEST(FitInterpolation, DirectCallsGuardTheirInput) {
  TFPointList out;
  InterpolateFitPoints({}, {}, {}, 24, out);
  InterpolateFitPoints({{0, 0, 0}}, {}, {}, 24, out);
  InterpolateFitPoints({{0, 0, 0}, {1, 0, 0}}, {}, {}, 0, out);
  InterpolateFitPoints({{0, 0, 0}, {0, 0, 0}, {1, 0, 0}}, {}, {}, 4, out);  // not deduplicated
  InterpolateFitPoints({{0, 0, 0}, {kNaN, 0, 0}}, {}, {}, 4, out);
  EXPECT_EQ(out.Count(), 0);
  InterpolateFitPoints({{0, 0, 0}, {1, 0, 0}}, {}, {}, 1, out);
  ASSERT_EQ(out.Count(), 1);
  EXPECT_EQ(out[0], (TFPoint{1, 0, 0}));  // the only sample is replaced by the last fit
  EXPECT_EQ(NormalizeSplineTangent({0, 3, 4}), (TFPoint{0, 0.6, 0.8}));
  EXPECT_EQ(NormalizeSplineTangent({kNaN, 1, 0}), cnstFPointZero);
}

}  // namespace
}  // namespace vx::test
