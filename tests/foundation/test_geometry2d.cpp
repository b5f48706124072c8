#include "foundation/vxGeometry2D.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace vx {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr int32_t kMax = 2147483647;

TFMatrix Matrix(TFPoint v1, TFPoint v2, TFPoint v3 = {0, 0, 1}, TFPoint v4 = {}) {
  TFMatrix m;
  m.SetRow(0, v1);
  m.SetRow(1, v2);
  m.SetRow(2, v3);
  m.SetRow(3, v4);
  return m;
}

TFPointList Loop(std::initializer_list<TFPoint> pts) {
  TFPointList l;
  for (const TFPoint& p : pts) l.Append(p);
  return l;
}

TFPointList Square(double x0, double y0, double x1, double y1) {
  return Loop({{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}});
}

// ---- pixels ---------------------------------------------------------------------------------

TEST(TransformPointToPixel, RoundsHalfToEvenAndClampsWithSign) {
  struct Case { TFPoint p; TPixelPoint want; };
  for (const Case& c : std::initializer_list<Case>{
           {{0.5, 2.5}, {0, 2}},
           {{1.5, 3.5}, {2, 4}},
           {{-0.5, -1.5}, {0, -2}},
           {{0.49, -2.51}, {0, -3}},
           {{3e9, -3e9}, {kMax, -kMax}},
           {{2147483647.0, -2147483647.0}, {kMax, -kMax}},
           {{2147483646.4, -2147483646.6}, {2147483646, -kMax}},
           {{1e300, -1e300}, {kMax, -kMax}},
           {{kInf, 0}, {kMax, 0}},  // Y = inf * 0 + 0 is NaN
           {{kNaN, 1e300}, {0, 0}}}) {
    EXPECT_EQ(TransformPointToPixel(c.p, cnstIdentityMat), c.want) << c.p.X << ", " << c.p.Y;
  }
}

TEST(TransformPointToPixel, UsesEveryRowAndThePixelLimit) {
  // X = 2x + z + 10 = 13, Y = -3y + z + 20 = 14.5
  const TFMatrix m = Matrix({2, 0, 0}, {0, -3, 0}, {1, 1, 0}, {10, 20, 0});
  EXPECT_EQ(TransformPointToPixel({1.25, 2, 0.5}, m), (TPixelPoint{13, 14}));

  ASSERT_EQ(PixelLimit(), kMax);
  SetPixelLimit(1000);
  EXPECT_EQ(TransformPointToPixel({5000, -5000}, cnstIdentityMat), (TPixelPoint{1000, -1000}));
  EXPECT_EQ(TransformPointToPixel({999.4, -999.6}, cnstIdentityMat), (TPixelPoint{999, -1000}));
  SetPixelLimit(-5);
  EXPECT_EQ(PixelLimit(), 1);
  SetPixelLimit(int64_t{1} << 40);
  EXPECT_EQ(PixelLimit(), kMax);
}

// ---- matrix classification ------------------------------------------------------------------

TEST(IsRotatedMatrix, PlainAndScreenForms) {
  const double c = std::cos(30 * fPiDiv180), s = std::sin(30 * fPiDiv180);
  struct Case { TFMatrix m; bool plain, screen; const char* what; };
  for (const Case& t : std::initializer_list<Case>{
           {cnstIdentityMat, false, true, "identity: Y grows upward"},
           {Matrix({c, s, 0}, {-s, c, 0}), true, true, "rotated 30 degrees"},
           {Matrix({2, 0, 0}, {0, -2, 0}), false, false, "device matrix"},
           {Matrix({2, 0, 0}, {0, -2, 0}, {0, 0, 5}, {100, 200, 0}), false, false, "translated"},
           {Matrix({2, 0, 0}, {0, 2, 0}), false, true, "Y not flipped"},
           {Matrix({2, 0, 0}, {0, -1, 0}), false, true, "ratio 2"},
           {Matrix({2, 0, 0}, {0, -1.8, 0}), false, false, "ratio within 0.15"},
           {Matrix({-2, 0, 0}, {0, -2, 0}), false, true, "X mirrored"},
           {Matrix({0, 0, 0}, {0, -2, 0}), false, true, "no X scale"},
           {Matrix({2, 0, 0}, {0, -1e-7, 0}), false, true, "no Y scale"},
           {Matrix({1, 1e-7, 0}, {0, -1, 0}), false, false, "off-diagonal below 1e-6"},
           {Matrix({1, 0, 0}, {0, -1, 2e-6}), true, true, "off-diagonal above 1e-6"},
           {Matrix({1, 0, 0}, {0, -1, 0}, {-3e-6, 0, 1}), true, true, "Z row"},
           {Matrix({1, kNaN, 0}, {0, -1, 0}), true, true, "NaN entry"},
           {Matrix({kNaN, 0, 0}, {0, -1, 0}), false, true, "NaN scale"}}) {
    EXPECT_EQ(IsRotatedMatrix(t.m), t.plain) << t.what;
    EXPECT_EQ(IsRotatedMatrix(t.m, true), t.screen) << t.what;
  }
}

// ---- equality and boxes ---------------------------------------------------------------------

TEST(PointPredicates, EqualityAndBoxTolerances) {
  struct Case { TFPoint a, b; double tol; bool eq2, eq3; };
  for (const Case& c : std::initializer_list<Case>{
           {{1, 2, 3}, {1, 2, 3}, 0, true, true},
           {{1, 2, 3}, {1, 2, 4}, 0, true, false},
           {{1, 2, 3}, {1 + 5e-10, 2, 3}, 0, true, false},  // 0 means 1e-9 only in 2D
           {{1, 2, 3}, {1 + 2e-9, 2, 3}, 0, false, false},
           {{1, 2, 3}, {1.1, 2.1, 3.1}, 0.1 + 1e-12, true, true},  // at most the tolerance
           {{1, 2, 3}, {1.1, 2.1, 3.1}, 0.09, false, false},
           {{kNaN, 2, 3}, {kNaN, 2, 3}, 1, false, false}}) {
    EXPECT_EQ(PointsEqual2D(c.a, c.b, c.tol), c.eq2) << c.b.X << " tol " << c.tol;
    EXPECT_EQ(PointsEqual2D(c.a.Point2D(), c.b.Point2D(), c.tol), c.eq2) << c.b.X;
    EXPECT_EQ(PointsEqual3D(c.a, c.b, c.tol), c.eq3) << c.b.X << " tol " << c.tol;
  }

  const TFRect proper{0, 10, 0, 20, 0, 0};
  const TFRect reversed{20, 0, 0, 0, 10, 0};  // Left/Right and Top/Bottom swapped
  struct BoxCase { TFPoint p; double tol; bool want; };
  for (const BoxCase& c : std::initializer_list<BoxCase>{{{5, 5}, 0, true},
                                                          {{0, 10}, 0, true},
                                                          {{20.5, 5}, 0, false},
                                                          {{20.5, 5}, 0.5, true},
                                                          {{5, -0.6}, 0.5, false},
                                                          {{kNaN, 5}, 1, false}}) {
    EXPECT_EQ(PointInBox(proper, c.p, c.tol), c.want) << c.p.X << ", " << c.p.Y;
    EXPECT_EQ(PointInBox(reversed, c.p, c.tol), c.want) << c.p.X << ", " << c.p.Y;
  }
}

// ---- segment intersection -------------------------------------------------------------------

TEST(SegmentIntersection, CrossingsTouchesAndMisses) {
  struct Case {
    const char* what;
    TFPoint a1, a2, b1, b2;
    bool found;
    TFPoint at;
  };
  for (const Case& c : std::initializer_list<Case>{
           {"cross", {0, 0, 5}, {2, 2, 5}, {0, 2, 5}, {2, 0, 5}, true, {1, 1, 0}},
           {"touch at ends", {0, 0}, {1, 0}, {1, 0}, {1, 1}, true, {1, 0, 0}},
           {"touch at starts", {0, 0}, {1, 0}, {0, 0}, {0, 1}, true, {0, 0, 0}},
           {"T junction", {0, 0}, {4, 0}, {2, 0}, {2, 3}, true, {2, 0, 0}},
           {"gap within tolerance", {0, 0}, {1, 0}, {1 + 1e-10, -1}, {1 + 1e-10, 1}, true,
            {1 + 1e-10, 0, 0}},
           {"gap beyond tolerance", {0, 0}, {1, 0}, {1.001, -1}, {1.001, 1}, false, {}},
           {"lines cross outside", {0, 0}, {1, 1}, {3, 0}, {2, 1}, false, {}},
           {"parallel", {0, 0}, {1, 0}, {0, 1}, {1, 1}, false, {}},
           {"collinear overlap", {0, 0}, {2, 0}, {1, 0}, {3, 0}, false, {}},
           {"zero length", {1, 1}, {1, 1}, {0, 0}, {2, 2}, false, {}},
           {"NaN", {0, 0}, {kNaN, 2}, {0, 2}, {2, 0}, false, {}}}) {
    TFPoint at{9, 9, 9};
    ASSERT_EQ(SegmentIntersection(c.a1, c.a2, c.b1, c.b2, 1e-9, at), c.found) << c.what;
    if (!c.found) continue;
    EXPECT_NEAR(at.X, c.at.X, 1e-12) << c.what;
    EXPECT_NEAR(at.Y, c.at.Y, 1e-12) << c.what;
    EXPECT_EQ(at.Z, 0) << c.what;
  }
}

// ---- point in polygon -----------------------------------------------------------------------

TEST(PointInLoop, InsideOutsideAndBoundary) {
  const TFPointList square = Square(0, 0, 10, 10);
  const TFPointList diamond = Loop({{0, -1}, {1, 0}, {0, 1}, {-1, 0}});
  // A U shape: the notch between x 3 and 7 above y 3 is outside.
  const TFPointList u = Loop({{0, 0}, {10, 0}, {10, 10}, {7, 10}, {7, 3}, {3, 3}, {3, 10}, {0, 10}});
  struct Case { const TFPointList* loop; TFPoint p; int want; };
  for (const Case& c : std::initializer_list<Case>{
           {&square, {5, 5}, 1},
           {&square, {10, 5}, 2},
           {&square, {0, 0}, 2},
           {&square, {5, 10}, 2},
           {&square, {15, 5}, 0},
           {&square, {5, -1}, 0},
           {&square, {kNaN, 5}, 0},
           {&diamond, {-0.5, 0}, 1},  // the ray passes through the vertex (1, 0)
           {&diamond, {0, 0.5}, 1},
           {&diamond, {0.9, 0.9}, 0},
           {&u, {5, 5}, 0},
           {&u, {5, 2}, 1},
           {&u, {1, 5}, 1},
           {&u, {8, 8}, 1},
           {&u, {5, 3}, 2}}) {
    EXPECT_EQ(PointInLoop(*c.loop, c.p, nullptr, 1e-9), c.want) << c.p.X << ", " << c.p.Y;
  }
  // A given box is trusted: a point outside it is outside.
  const TFRect small{0, 1, 0, 1, 0, 0};
  EXPECT_EQ(PointInLoop(square, {5, 5}, &small, 1e-9), 0);
  // Fewer than two points is never a loop.
  EXPECT_EQ(PointInLoop(Loop({{5, 5}}), {5, 5}), 0);
  EXPECT_EQ(PointInLoop(TFPointList{}, {5, 5}), 0);
}

TEST(PointInLoops, EvenOddOverNestedLoops) {
  const std::vector<TFPointList> loops{Square(0, 0, 10, 10), Square(3, 3, 7, 7),
                                       Loop({{0, 0}, {20, 20}})};  // two points: ignored
  const std::vector<TFRect> boxes{{0, 10, 0, 10, 0, 0}, {3, 7, 0, 7, 3, 0}};
  struct Case { TFPoint p; bool want; };
  for (const Case& c : std::initializer_list<Case>{{{1, 1}, true},
                                                    {{5, 5}, false},
                                                    {{11, 5}, false},
                                                    {{3, 5}, true},  // on the inner boundary
                                                    {{0, 5}, false},  // on the outer boundary
                                                    {{kNaN, kNaN}, false}}) {
    EXPECT_EQ(PointInLoops(loops, c.p, {}, 1e-15), c.want) << c.p.X << ", " << c.p.Y;
    EXPECT_EQ(PointInLoops(loops, c.p, boxes, 1e-15), c.want) << c.p.X << ", " << c.p.Y;
  }
}

}  // namespace
}  // namespace vx
