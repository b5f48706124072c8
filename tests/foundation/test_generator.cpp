#include "foundation/vxGenerator.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <thread>

namespace vx {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

TFPointList Points(std::initializer_list<TFPoint> pts) {
  TFPointList l;
  for (const TFPoint& p : pts) l.Append(p);
  return l;
}

TvxDoubleList Doubles(std::initializer_list<double> v) {
  TvxDoubleList l;
  for (double d : v) l.Append(d);
  return l;
}

double Binomial(int n, int k) {
  double r = 1;
  for (int i = 1; i <= k; ++i) r = r * (n - k + i) / i;
  return r;
}

// Bezier point of the control polygon by the Bernstein form.
TFPoint Bernstein(const TFPointList& c, double u) {
  const int n = c.Count() - 1;
  TFPoint r;
  for (int i = 0; i <= n; ++i) {
    const double b = Binomial(n, i) * std::pow(u, i) * std::pow(1 - u, n - i);
    r.X += b * c[i].X;
    r.Y += b * c[i].Y;
    r.Z += b * c[i].Z;
  }
  return r;
}

void ExpectNear(const TFPoint& got, const TFPoint& want, double tol, const std::string& what) {
  EXPECT_NEAR(got.X, want.X, tol) << what;
  EXPECT_NEAR(got.Y, want.Y, tol) << what;
  EXPECT_NEAR(got.Z, want.Z, tol) << what;
}

class GeneratorTest : public ::testing::Test {
 protected:
  void SetUp() override { gen.SetBaseList(&out); }
  TvxGeneratorShapeEdge gen;
  TFPointList out;
};

// ---- settings -------------------------------------------------------------------------------

TEST(GeneratorSettings, PartsClampTo3Through255) {
  struct Case { int64_t in; uint32_t want; };
  for (const Case& c : std::initializer_list<Case>{
           {2, 3}, {1000, 255}, {-5, 3}, {0, 3}, {3, 3}, {255, 255}, {256, 255}, {48, 48},
           {int64_t{1} << 40, 255}}) {
    TvxGeneratorShapeEdge g;
    g.SetNumberCirclePart(c.in);
    g.SetNumberSplinePart(c.in);
    EXPECT_EQ(g.NumberCirclePart(), c.want) << c.in;
    EXPECT_EQ(g.NumberSplinePart(), c.want) << c.in;
  }
}

TEST(GeneratorSettings, DefaultsAndQualityTolerances) {
  TvxGeneratorShapeEdge g;
  EXPECT_EQ(g.NumberCirclePart(), 48u);
  EXPECT_EQ(g.NumberSplinePart(), 24u);
  EXPECT_EQ(g.QualityApproximation(), 0u);
  EXPECT_DOUBLE_EQ(g.DistanceToleranceSquare(), 0.5);
  EXPECT_DOUBLE_EQ(g.DistanceToleranceManhattan(), 4.0);
  EXPECT_EQ(g.RecursionLimit(), 16);

  struct Case { int64_t in; uint32_t q; double square, manhattan; };
  for (const Case& c : std::initializer_list<Case>{{9, 6, 0.005, 0.4},
                                                   {6, 6, 0.005, 0.4},
                                                   {3, 3, 50, 40},
                                                   {1, 1, 0.5e12, 4e6},
                                                   {-1, 0, 0.5, 4}}) {
    g.SetQualityApproximation(c.in);
    EXPECT_EQ(g.QualityApproximation(), c.q) << c.in;
    EXPECT_NEAR(g.DistanceToleranceSquare(), c.square, c.square * 1e-12) << c.in;
    EXPECT_NEAR(g.DistanceToleranceManhattan(), c.manhattan, c.manhattan * 1e-12) << c.in;
  }
}

TEST(GeneratorSettings, IsBSplineAcceptsOneTwoAndFourToNine) {
  for (int d = -2; d <= 12; ++d) {
    const bool want = d == 1 || d == 2 || (d >= 4 && d <= 9);
    EXPECT_EQ(TvxGeneratorShapeEdge::IsBSpline(d), want) << d;
  }
}

// ---- output modes ---------------------------------------------------------------------------

TEST(GeneratorOutput, EveryListKindReceivesThePoint) {
  const TFPoint p1{0, 0, 7}, p2{1, 0, 7}, p3{2, 0, 7};  // collinear: adds (1, 0, 7) only
  TvxGeneratorShapeEdge g;

  TF2DPointList l2;
  g.SetBaseList(&l2);
  EXPECT_EQ(g.ListType(), ltF2DPoint);
  g.CreateQuadraticSpline(p1, p2, p3);
  ASSERT_EQ(l2.Count(), 1);
  EXPECT_EQ(l2[0], (TF2DPoint{1, 0}));

  TvxDoubleList ld;
  g.SetBaseList(&ld);
  EXPECT_EQ(g.ListType(), ltDouble);
  g.CreateQuadraticSpline(p1, p2, p3);
  ASSERT_EQ(ld.Count(), 3);
  EXPECT_EQ(ld[0], 1);
  EXPECT_EQ(ld[1], 0);
  EXPECT_EQ(ld[2], 7);

  // The create callback is preferred over the add callback.
  TvxPointerList lp;
  std::vector<TFPoint> made;
  int added = 0;
  g.SetListAndProc(
      &lp, [&](TvxPointerList&, const TFPoint&) { ++added; },
      [&](TvxGeneratorShapeEdge& who, const TFPoint& p) -> void* {
        EXPECT_EQ(&who, &g);
        made.push_back(p);
        return &made;
      });
  EXPECT_EQ(g.ListType(), ltList);
  g.CreateQuadraticSpline(p1, p2, p3);
  EXPECT_EQ(lp.Count(), 1);
  EXPECT_EQ(added, 0);
  ASSERT_EQ(made.size(), 1u);
  EXPECT_EQ(made[0], (TFPoint{1, 0, 7}));

  g.SetListAndProc(&lp, [&](TvxPointerList& l, const TFPoint& p) {
    EXPECT_EQ(&l, &lp);
    EXPECT_EQ(p, (TFPoint{1, 0, 7}));
    ++added;
  });
  g.CreateQuadraticSpline(p1, p2, p3);
  EXPECT_EQ(added, 1);
  EXPECT_EQ(lp.Count(), 1);

  // No callback or no list: nothing is produced, nothing fails.
  g.SetListAndProc(&lp, nullptr, nullptr);
  g.CreateQuadraticSpline(p1, p2, p3);
  g.SetListAndProc(nullptr, [&](TvxPointerList&, const TFPoint&) { ++added; });
  EXPECT_EQ(g.ListType(), ltNil);
  g.CreateBulgesArc(p1, p3, 1);
  EXPECT_EQ(added, 1);
  EXPECT_EQ(lp.Count(), 1);

  // A typed list drops the callbacks.
  TFPointList lf;
  g.SetListAndProc(&lp, [&](TvxPointerList&, const TFPoint&) { ++added; });
  g.SetBaseList(&lf);
  g.CreateQuadraticSpline(p1, p2, p3);
  EXPECT_EQ(lf.Count(), 1);
  EXPECT_EQ(added, 1);
}

// ---- bulge arcs -----------------------------------------------------------------------------

TEST_F(GeneratorTest, BulgeArcsLieOnTheirCircle) {
  const double q = std::tan(22.5 * fPiDiv180);
  struct Case {
    TFPoint p1, p2;
    double bulge;
    int n;
    TFPoint centre;
    double radius, angS, angE;
    int probe;  // index of a point with a known place
    TFPoint probeAt;
  };
  const double r45 = std::sqrt(0.5);
  for (const Case& c : std::initializer_list<Case>{
           {{1, 0}, {-1, 0}, 1, 48, {0, 0}, 1, 0, 180, 24, {0, 1}},
           {{1, 0}, {-1, 0}, -1, 48, {0, 0}, 1, -180, 0, 24, {0, -1}},
           {{1, 0}, {0, 1}, q, 4, {0, 0}, 1, 0, 90, 2, {r45, r45}},
           {{0, 1}, {1, 0}, -q, 4, {0, 0}, 1, 0, 90, 2, {r45, r45}},
           {{12, 5, 3}, {8, 5, 3}, 1, 3, {10, 5, 3}, 2, 0, 180, 1, {11, 5 + std::sqrt(3.0), 3}},
           // a bulge beyond 1 is more than a half circle: 270 degrees clockwise over the top
           {{-1, 0}, {1, 0}, -1 / q, 8, {0, 1}, std::sqrt(2.0), -45, 225, 4,
            {0, 1 + std::sqrt(2.0)}},
       }) {
    const std::string what = "bulge " + std::to_string(c.bulge) + " N " + std::to_string(c.n);
    out.Clear();
    gen.SetNumberCirclePart(c.n);
    TvxArcR arc;
    ASSERT_TRUE(gen.CreateBulgesArc(c.p1, c.p2, c.bulge, &arc)) << what;
    ASSERT_EQ(out.Count(), c.n + 1) << what;
    EXPECT_EQ(out.First(), c.p1) << what;
    EXPECT_EQ(out.Last(), c.p2) << what;
    ExpectNear(arc.Center, c.centre, 1e-12, what);
    EXPECT_NEAR(arc.Radius, c.radius, 1e-12) << what;
    EXPECT_NEAR(arc.AngleS, c.angS, 1e-9) << what;
    EXPECT_NEAR(arc.AngleE, c.angE, 1e-9) << what;
    for (const TFPoint& p : out)
      EXPECT_NEAR(std::hypot(p.X - c.centre.X, p.Y - c.centre.Y), c.radius, 1e-12) << what;
    ExpectNear(out[c.probe], c.probeAt, 1e-12, what);
  }
}

TEST_F(GeneratorTest, BulgeArcZRunsEvenlyFromP1ToP2) {
  gen.SetNumberCirclePart(48);
  gen.CreateBulgesArc({1, 0, 0}, {-1, 0, 4.8}, 1);
  ASSERT_EQ(out.Count(), 49);
  for (int k = 0; k <= 48; ++k) EXPECT_NEAR(out[k].Z, 0.1 * k, 1e-12) << k;
}

TEST_F(GeneratorTest, DegenerateBulgeGivesTheStraightSegment) {
  const TFPoint p1{1, 2, 3}, p2{4, 6, 3};
  for (double b : {0.0, 1e-12, -1e-12, kNaN, kInf, -kInf, 1e300}) {
    out.Clear();
    TvxArcR arc{{9, 9, 9}, 9, 9, 9};
    EXPECT_FALSE(gen.CreateBulgesArc(p1, p2, b, &arc)) << b;
    ASSERT_EQ(out.Count(), 2) << b;
    EXPECT_EQ(out[0], p1);
    EXPECT_EQ(out[1], p2);
    EXPECT_EQ(arc.Radius, 0) << b;
    EXPECT_EQ(arc.Center, (TFPoint{2.5, 4, 3})) << b;
  }
  // Coincident ends have no circle either.
  out.Clear();
  EXPECT_FALSE(gen.CreateBulgesArc(p1, p1, 1));
  EXPECT_EQ(out.Count(), 2);
}

TEST(GeneratorLocking, SharedGeneratorKeepsEachCallContiguous) {
  TvxGeneratorShapeEdge g;
  TFPointList out;
  g.SetBaseList(&out);
  g.SetNumberCirclePart(16);
  constexpr int kCalls = 1000;
  auto run = [&](double z) {
    for (int i = 0; i < kCalls; ++i) g.CreateBulgesArc({1, 0, z}, {-1, 0, z}, 1);
  };
  std::thread a(run, 1.0), b(run, 2.0);
  a.join();
  b.join();
  ASSERT_EQ(out.Count(), 2 * kCalls * 17);
  for (int start = 0; start < out.Count(); start += 17) {
    EXPECT_EQ(out[start].X, 1);
    EXPECT_EQ(out[start + 16].X, -1);
    for (int k = 1; k < 17; ++k) ASSERT_EQ(out[start + k].Z, out[start].Z) << start;
  }
}

// ---- quadratic curves -----------------------------------------------------------------------

TEST_F(GeneratorTest, CollinearQuadraticAddsItsMidpoint) {
  gen.CreateQuadraticSpline({0, 0}, {1, 0}, {2, 0});
  ASSERT_EQ(out.Count(), 1);
  EXPECT_EQ(out[0], (TFPoint{1, 0, 0}));
}

TEST_F(GeneratorTest, QuadraticPointsFollowTheParabola) {
  struct Case { int quality; int minCount, maxCount; };
  // Quality 1 is the coarsest (one point), 6 the finest.
  for (const Case& c : std::initializer_list<Case>{{1, 1, 1}, {0, 3, 8}, {6, 16, 256}}) {
    out.Clear();
    gen.SetQualityApproximation(c.quality);
    // x = 10t, y = 20t(1 - t)
    gen.CreateQuadraticSpline({0, 0}, {5, 10}, {10, 0});
    EXPECT_GE(out.Count(), c.minCount) << c.quality;
    EXPECT_LE(out.Count(), c.maxCount) << c.quality;
    double lastX = 0;
    for (const TFPoint& p : out) {
      const double t = p.X / 10;
      EXPECT_NEAR(p.Y, 20 * t * (1 - t), 1e-12) << c.quality;
      EXPECT_GT(p.X, lastX) << c.quality;
      EXPECT_LT(p.X, 10) << c.quality;
      lastX = p.X;
    }
  }
}

TEST_F(GeneratorTest, QuadraticSubdivisionIsBounded) {
  gen.SetQualityApproximation(6);
  gen.CreateQuadraticSpline({0, 0}, {5e12, 1e13}, {1e13, 0});  // never flat before the limit
  EXPECT_LE(out.Count(), 1 << 16);
  out.Clear();
  gen.CreateQuadraticSpline({0, 0}, {kNaN, 1}, {2, 0});  // NaN is never flat: nothing added
  EXPECT_EQ(out.Count(), 0);
}

// ---- cubic splines by knots -----------------------------------------------------------------

TEST_F(GeneratorTest, ClampedCubicByKnotsEqualsItsBezierForm) {
  const TFPointList controls = Points({{0, 0, 1}, {1, 2, 0}, {3, 3, -1}, {4, 0, 2}});
  // The short list is padded with its last knot up to 8 knots.
  for (const TvxDoubleList& knots : {Doubles({0, 0, 0, 0, 1, 1, 1, 1}), Doubles({0, 0, 0, 0, 1})}) {
    out.Clear();
    gen.CreateSplineByKnots(controls, knots, 1.0 / 24);
    ASSERT_EQ(out.Count(), 26);
    EXPECT_EQ(out.First(), controls.First());
    EXPECT_EQ(out.Last(), controls.Last());
    for (int j = 0; j < 24; ++j)
      ExpectNear(out[1 + j], Bernstein(controls, j / 24.0), 1e-12, "sample " + std::to_string(j));
  }
  // u = 0.5 is (P0 + 3 P1 + 3 P2 + P3) / 8
  ExpectNear(out[13], {(0 + 3 + 9 + 4) / 8.0, (0 + 6 + 9 + 0) / 8.0, (1 + 0 - 3 + 2) / 8.0}, 1e-12,
             "middle");
}

TEST_F(GeneratorTest, CubicByKnotsSamplesByIntegerIndex) {
  const TFPointList controls = Points({{0, 0}, {1, 2}, {3, 3}, {4, 0}, {6, 1}});
  const TvxDoubleList knots = Doubles({0, 0, 0, 0, 1, 2, 2, 2, 2});
  struct Case { double step; int perSpan; };
  for (const Case& c : std::initializer_list<Case>{
           {1.0 / 24, 24}, {0.01, 100}, {0.3, 4}, {5, 1}, {0, 24}, {-1, 24}, {kNaN, 24}, {kInf, 24}}) {
    out.Clear();
    gen.CreateSplineByKnots(controls, knots, c.step);
    EXPECT_EQ(out.Count(), 2 + 2 * c.perSpan) << c.step;
  }
  // Knots far beyond the precision of their span: the parameter cannot advance, the loop ends.
  out.Clear();
  const double big = 1e17;
  gen.CreateSplineByKnots(controls,
                          Doubles({big, big, big, big, big + 16, big + 32, big + 32, big + 32, big + 32}),
                          1.0 / 24);
  EXPECT_LE(out.Count(), 2 + 2 * 24);
  EXPECT_GE(out.Count(), 2);
}

TEST_F(GeneratorTest, CubicByKnotsMalformedInputStaysInRange) {
  const TFPointList controls = Points({{0, 0}, {1, 2}, {3, 3}, {4, 0}});
  // No knots: the control polygon itself.
  gen.CreateSplineByKnots(controls, TvxDoubleList{}, 1.0 / 24);
  ASSERT_EQ(out.Count(), 4);
  EXPECT_EQ(out[2], controls[2]);
  // No controls: nothing.
  out.Clear();
  gen.CreateSplineByKnots(TFPointList{}, Doubles({0, 1}), 1.0 / 24);
  EXPECT_EQ(out.Count(), 0);
  // Fewer than 4 controls, NaN, decreasing or infinite knots: just the end points.
  struct Case { TFPointList c; TvxDoubleList k; };
  for (const Case& c : std::initializer_list<Case>{
           {Points({{0, 0}, {1, 1}}), Doubles({0, 0, 1, 1})},
           {controls, Doubles({0, 0, 0, kNaN, 1, 1, 1, 1})},
           {controls, Doubles({0, 0, 0, 1, 0, 0, 0, 0})},
           {controls, Doubles({0, 0, 0, -kInf, kInf, 1, 1, 1})},
           {controls, Doubles({5})}}) {
    out.Clear();
    gen.CreateSplineByKnots(c.c, c.k, 1.0 / 24);
    ASSERT_EQ(out.Count(), 2);
    EXPECT_EQ(out.First(), c.c.First());
    EXPECT_EQ(out.Last(), c.c.Last());
  }
}

// ---- B-splines by de Boor -------------------------------------------------------------------

TEST_F(GeneratorTest, SingleSpanBSplinesEqualTheirBezierForm) {
  gen.SetNumberSplinePart(10);
  const TFPointList quad = Points({{0, 0, 0}, {2, 4, 1}, {5, 1, -2}});
  const TFPointList quartic = Points({{0, 0}, {1, 3, 1}, {2, -1}, {4, 2, 5}, {6, 0}});
  struct Case { const TFPointList* c; int degree; TvxDoubleList knots; };
  for (const Case& c : std::initializer_list<Case>{
           {&quad, 2, Doubles({0, 0, 0, 1, 1, 1})},
           {&quad, 2, Doubles({-3, -3, -3, 5, 5, 5})},  // the parameter range does not matter
           {&quartic, 4, Doubles({0, 0, 0, 0, 0, 2, 2, 2, 2, 2})}}) {
    out.Clear();
    gen.CreateBSpline(*c.c, c.knots, c.degree);
    ASSERT_EQ(out.Count(), 11) << c.degree;
    for (int e = 0; e <= 10; ++e)
      ExpectNear(out[e], Bernstein(*c.c, e / 10.0), 1e-12, "degree " + std::to_string(c.degree));
  }
}

TEST_F(GeneratorTest, RationalQuadraticBSplinesDrawCircles) {
  const double w = std::sqrt(0.5);
  struct Case { TFPointList c; TvxDoubleList knots, weights; int count; };
  for (const Case& c : std::initializer_list<Case>{
           {Points({{1, 0}, {1, 1}, {0, 1}}), Doubles({0, 0, 0, 1, 1, 1}), Doubles({1, w, 1}), 25},
           // the full circle: four spans, each closing sample repeated by the next span
           {Points({{1, 0}, {1, 1}, {0, 1}, {-1, 1}, {-1, 0}, {-1, -1}, {0, -1}, {1, -1}, {1, 0}}),
            Doubles({0, 0, 0, 0.25, 0.25, 0.5, 0.5, 0.75, 0.75, 1, 1, 1}),
            Doubles({1, w, 1, w, 1, w, 1, w, 1}), 4 * 25}}) {
    out.Clear();
    gen.CreateBSpline(c.c, c.knots, 2, &c.weights);
    ASSERT_EQ(out.Count(), c.count);
    ExpectNear(out.First(), c.c.First(), 1e-12, "first");
    ExpectNear(out.Last(), c.c.Last(), 1e-12, "last");
    for (const TFPoint& p : out) EXPECT_NEAR(std::hypot(p.X, p.Y), 1, 1e-12);
  }
}

TEST_F(GeneratorTest, BSplineRefusedDegreesAddNothing) {
  const TFPointList controls = Points({{0, 0}, {1, 1}, {2, 0}, {3, 1}, {4, 0}});
  const TvxDoubleList knots = Doubles({0, 0, 0, 0, 0.5, 1, 1, 1, 1});
  for (int degree : {3, 10, 11, 0, -1, -2147483647 - 1}) {
    gen.CreateBSpline(controls, knots, degree);
    EXPECT_EQ(out.Count(), 0) << degree;
  }
}

TEST_F(GeneratorTest, BSplineMalformedInputStaysInRange) {
  gen.SetNumberSplinePart(4);
  const TFPointList three = Points({{0, 0}, {1, 1}, {2, 0}});
  const TFPointList none;
  struct Case {
    const char* what;
    const TFPointList* c;
    int degree;
    TvxDoubleList knots, weights;
    int count;  // -1: only check the last point
  };
  for (const Case& c : std::initializer_list<Case>{
           // weights shorter than the controls: a missing weight counts as 1
           {"short weights", &three, 2, Doubles({0, 0, 0, 1, 1, 1}), Doubles({1}), 5},
           // unclamped start: spans 0 and 1 need controls before the first
           {"unclamped", &three, 2, Doubles({0, 1, 2, 3, 4, 5}), {}, -1},
           {"short knots", &three, 2, Doubles({0, 0, 0, 1}), {}, 1},
           {"degree above controls", &three, 4, Doubles({0, 0, 0, 0, 0, 1, 1, 1, 1, 1}), {}, 1},
           {"zero weights", &three, 2, Doubles({0, 0, 0, 1, 1, 1}), Doubles({0, 0, 0}), 1},
           {"NaN knots", &three, 2, Doubles({0, 0, 0, kNaN, 1, 1}), {}, 0},  // no span at all
           {"NaN knot in the middle", &three, 2, Doubles({0, 0, 0, 1, kNaN, 2, 2, 2}), {}, -1},
           {"infinite knots", &three, 2, Doubles({0, 0, 0, kInf, kInf, kInf}), {}, 0},
           {"huge knots", &three, 2, Doubles({0, 0, 0, 1e308, 1e308, 1e308}), {}, 5},
           {"one knot", &three, 2, Doubles({0}), {}, 0},
           {"no controls", &none, 2, Doubles({0, 0, 0, 1, 1, 1}), {}, 0}}) {
    out.Clear();
    gen.CreateBSpline(*c.c, c.knots, c.degree, &c.weights);
    if (c.count >= 0) {
      EXPECT_EQ(out.Count(), c.count) << c.what;
    }
    if (c.count != 0) {
      ASSERT_GT(out.Count(), 0) << c.what;
      EXPECT_EQ(out.Last(), c.c->Last()) << c.what;
    }
  }
}

// Random numbers, NaN and infinities into every entry point: no read out of range (ASan), no hang,
// and the output stays within the bound each method promises.
TEST_F(GeneratorTest, RandomInputStaysBounded) {
  std::mt19937 rng(12345);
  const double specials[] = {kNaN, kInf, -kInf, 0, 1e300, -1e300, 1e-300};
  auto value = [&]() -> double {
    const unsigned r = rng() % 10;
    if (r == 0) return specials[rng() % std::size(specials)];
    if (r == 1) return static_cast<double>(rng() % 4);
    return std::uniform_real_distribution<double>(-100, 100)(rng);
  };
  auto point = [&] { return TFPoint{value(), value(), value()}; };
  gen.SetNumberSplinePart(5);
  gen.SetNumberCirclePart(5);
  for (int iter = 0; iter < 300; ++iter) {
    TFPointList controls;
    TvxDoubleList knots, weights;
    const int nc = static_cast<int>(rng() % 12), nk = static_cast<int>(rng() % 16);
    for (int i = 0; i < nc; ++i) controls.Append(point());
    for (int i = 0; i < nk; ++i) knots.Append(value());
    if (rng() % 2) std::sort(knots.begin(), knots.end());
    for (int i = 0, nw = static_cast<int>(rng() % 12); i < nw; ++i) weights.Append(value());
    const int degree = static_cast<int>(rng() % 12) - 1;

    out.Clear();
    gen.CreateBSpline(controls, knots, degree, &weights);
    EXPECT_LE(out.Count(), nk * 6 + 1);
    out.Clear();
    gen.CreateSplineByKnots(controls, knots, value());
    EXPECT_LE(out.Count(), std::max(nc, 2 + std::max(nc - 3, 0) * (1 << 16)));
    out.Clear();
    gen.CreateBulgesArc(point(), point(), value());
    EXPECT_TRUE(out.Count() == 2 || out.Count() == 6);
    out.Clear();
    gen.CreateQuadraticSpline(point(), point(), point());
    EXPECT_LE(out.Count(), 1 << 16);
  }
}

}  // namespace
}  // namespace vx
