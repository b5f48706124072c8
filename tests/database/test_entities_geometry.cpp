// The plain geometry of the basic entities: arc sweeps, tessellation, thinning, solid corners,
// point markers and ray clipping.
#include "database/entities/vxEntGeometry.h"

#include "foundation/vxFunction.h"

#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>
#include <limits>

namespace vx {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

void ExpectNear(const TFPoint& a, const TFPoint& b, double tol = 1e-9) {
  EXPECT_NEAR(a.X, b.X, tol);
  EXPECT_NEAR(a.Y, b.Y, tol);
  EXPECT_NEAR(a.Z, b.Z, tol);
}

TEST(EntGeometry, ArcSweepIsInHalfOpenTurn) {
  struct Case { double s, e, want; };
  for (const Case& c : std::initializer_list<Case>{
           {350, 10, 20},      // through 0
           {30, 30, 360},      // equal angles: a full turn
           {0, 360, 360},
           {10, 370, 360},
           {170, -200, 350},   // end below start by more than a turn stays counter-clockwise
           {90, 0, 270},
           {-90, 90, 180},
           {720, 45, 45},
           {0, 1e-12, 360},    // within 1e-9 of a whole turn
           {0, 90, 90}}) {
    EXPECT_NEAR(ArcSweepDeg(c.s, c.e), c.want, 1e-9) << c.s << " -> " << c.e;
    double sweep = ArcSweepDeg(c.s, c.e);
    EXPECT_GT(sweep, 0);
    EXPECT_LE(sweep, 360);
  }
  EXPECT_TRUE(std::isnan(ArcSweepDeg(kNaN, 10)));
  EXPECT_TRUE(std::isnan(ArcSweepDeg(0, kInf)));
  EXPECT_NEAR(ArcSweepDeg(1e300, 1e300 + 0), 360, 0);  // huge angles do not overflow
}

TEST(EntGeometry, WholeTurnRule) {
  struct Case { double s, e; bool want; };
  for (const Case& c : std::initializer_list<Case>{{30, 30, true},
                                                   {0, 360, true},
                                                   {-360, 360, true},
                                                   {10, 10 + 5e-10, true},
                                                   {10, 11, false},
                                                   {350, 10, false},
                                                   {kNaN, 0, false}})
    EXPECT_EQ(IsWholeTurn(c.s, c.e), c.want) << c.s << " -> " << c.e;
}

TEST(EntGeometry, PartsCountDefaultsAndCap) {
  EXPECT_EQ(CurvePartsCount(0), 48);
  EXPECT_EQ(CurvePartsCount(-5), 48);
  EXPECT_EQ(CurvePartsCount(12), 12);
  EXPECT_EQ(CurvePartsCount(100000000), cnstMaxPartsInCircle);
}

TEST(EntGeometry, FullCircleClosesExactly) {
  TFPointList pts;
  TvxCurveParams p{2, 2, 1, 0, 0, 360};
  TessellateCurve({1, 1, 3}, p, 48, pts);
  ASSERT_EQ(pts.Count(), 49);
  EXPECT_EQ(pts.First(), pts.Last());
  ExpectNear(pts[0], {3, 1, 3});
  ExpectNear(pts[12], {1, 3, 3});
  for (const TFPoint& q : pts) EXPECT_NEAR(std::hypot(q.X - 1, q.Y - 1), 2, 1e-12);
}

TEST(EntGeometry, WholeTurnFromAnyStartClosesExactly) {
  for (double start : {0.1, 33.3, 359.9}) {
    TFPointList pts;
    TvxCurveParams p{1, 1, 1, 0, start, start + ArcSweepDeg(start, start)};
    TessellateCurve({0, 0, 0}, p, 7, pts);
    ASSERT_EQ(pts.Count(), 8);
    EXPECT_EQ(pts.First(), pts.Last()) << start;
  }
}

TEST(EntGeometry, EllipseDirectionAndAxes) {
  // major axis along Y (A = 90 degrees), rx 4, ry 1
  TvxCurveParams p{4, 1, 0, 1, 0, 360};
  ExpectNear(CurvePoint({0, 0, 0}, p, 0), {0, 4, 0});
  ExpectNear(CurvePoint({0, 0, 0}, p, fPi / 2), {-1, 0, 0});
}

TEST(EntGeometry, ArcAcrossZeroGoesCounterClockwise) {
  TFPointList pts;
  TvxCurveParams p{1, 1, 1, 0, 350, 350 + ArcSweepDeg(350, 10)};
  TessellateCurve({0, 0, 0}, p, 8, pts);
  ASSERT_EQ(pts.Count(), 9);
  for (const TFPoint& q : pts) EXPECT_GT(q.X, 0.98);
  EXPECT_LT(pts.First().Y, 0);
  EXPECT_GT(pts.Last().Y, 0);
  ExpectNear(pts[4], {1, 0, 0});
}

TEST(EntGeometry, ThinningDropsOnlyStraightRuns) {
  struct Case {
    const char* name;
    std::initializer_list<TFPoint> in;
    double merge;
    int want;
  };
  for (const Case& c : std::initializer_list<Case>{
           {"off", {{0, 0}, {1, 0}, {2, 0}, {3, 0}}, 0, 4},
           {"straight", {{0, 0}, {1, 0}, {2, 0}, {3, 0}}, 1, 2},
           {"corner kept", {{0, 0}, {1, 0}, {2, 0}, {2, 1}, {2, 2}}, 1, 3},
           {"slight bend", {{0, 0}, {1, 0}, {2, 0.01}}, 1, 2},
           {"bend beyond merge", {{0, 0}, {1, 0}, {2, 0.5}}, 1, 3},
           {"repeated point", {{0, 0}, {1, 0}, {1, 0}, {1, 1}}, 1, 3},
           {"two points", {{0, 0}, {1, 0}}, 5, 2}}) {
    TFPointList pts;
    for (const TFPoint& q : c.in) pts.Append(q);
    ThinCollinearPoints(pts, c.merge);
    EXPECT_EQ(pts.Count(), c.want) << c.name;
    EXPECT_EQ(pts.First(), *c.in.begin()) << c.name;
    EXPECT_EQ(pts.Last(), *(c.in.end() - 1)) << c.name;
  }
}

TEST(EntGeometry, SolidCornerReduction) {
  const TFPoint a{0, 0}, b{1, 0}, c{0, 1}, d{1, 1};
  struct Case {
    const char* name;
    TFPoint p0, p1, p2, p3;
    std::initializer_list<TFPoint> want;
  };
  for (const Case& k : std::initializer_list<Case>{
           {"quad", a, b, c, d, {a, b, c, d}},
           {"fourth repeats third", a, b, c, c, {a, b, c}},
           {"third repeats second", a, b, b, d, {a, b, d}},
           {"fourth repeats first", a, b, c, a, {a, b, c}},
           {"third repeats first", a, b, a, d, {a, b, d}},
           {"line", a, b, b, a, {a, b}},
           {"line with three equal", a, b, b, b, {a, b}}}) {
    TvxSolidCorners r = ReduceSolidCorners(k.p0, k.p1, k.p2, k.p3);
    ASSERT_EQ(r.Count, static_cast<int>(k.want.size())) << k.name;
    int i = 0;
    for (const TFPoint& w : k.want) EXPECT_EQ(r.P[i++], w) << k.name << " corner " << i;
  }
}

TEST(EntGeometry, SolidTriangleClassification) {
  struct Case {
    const char* name;
    TFPoint p0, p1, p2, p3;
    int want;
  };
  for (const Case& k : std::initializer_list<Case>{
           // triangles (c0, c1, c2) and (c0, c2, c3)
           {"both up", {0, 0}, {1, 0}, {1, 1}, {0, 1}, 0},
           {"both down", {0, 0}, {-1, 0}, {-1, 1}, {0, 1}, 0x10 | 0x20},
           {"second down", {0, 0}, {1, 0}, {0, 1}, {1, 1}, 0x20},
           {"triangle", {0, 0}, {1, 0}, {0, 1}, {0, 1}, 0x80},
           {"line", {0, 0}, {1, 0}, {1, 0}, {0, 0}, 0x40 | 0x80}}) {
    TvxSolidCorners r = ReduceSolidCorners(k.p0, k.p1, k.p2, k.p3);
    EXPECT_EQ(ClassifySolidTriangles(r), k.want) << k.name;
  }
}

TEST(EntGeometry, PointMarkers) {
  const TFPoint p{10, 20, 1};
  struct Case {
    int mode;
    double size;
    int parts;
  };
  for (const Case& c : std::initializer_list<Case>{
           {0, 1, 0}, {1, 1, 0}, {-3, 1, 0}, {2, 1, 2}, {3, 1, 2}, {4, 1, 1}, {32, 1, 2},
           {33, 1, 1}, {34, 1, 3}, {64, 1, 2}, {65, 1, 1}, {98, 1, 4}, {5, 1, 0}}) {
    TvxPointShapes s = BuildPointShapes(p, c.mode, c.size, 0, nullptr, 48);
    EXPECT_EQ(static_cast<int>(s.Parts.size()), c.parts) << "mode " << c.mode;
    EXPECT_EQ(IsBadBox(s.Box), c.parts == 0) << "mode " << c.mode;
  }
}

TEST(EntGeometry, PointMarkerCircleAndCrossOfZeroSize) {
  // mode 35 = circle + cross; a size of 0 draws as 1
  TvxPointShapes s = BuildPointShapes({0, 0, 0}, 35, 0, 0, nullptr, 48);
  ASSERT_EQ(s.Parts.size(), 3u);
  const double a = 0.7071067811865476;
  ExpectNear(s.Parts[0][0], {a, a, 0}, 0);
  ExpectNear(s.Parts[0][1], {-a, -a, 0}, 0);
  ExpectNear(s.Parts[1][0], {a, -a, 0}, 0);
  ASSERT_EQ(s.Parts[2].size(), 49u);
  ExpectNear(s.Parts[2][0], {0.5, 0, 0});
  EXPECT_EQ(s.Parts[2].front(), s.Parts[2].back());
  for (const TFPoint& q : s.Parts[2]) EXPECT_NEAR(std::hypot(q.X, q.Y), 0.5, 1e-12);
  EXPECT_NEAR(s.Box.Right, a, 1e-15);
  EXPECT_NEAR(s.Box.Bottom, -a, 1e-15);
}

TEST(EntGeometry, PointMarkerSquarePlusThicknessAndExtrusion) {
  TvxPointShapes s = BuildPointShapes({1, 1, 0}, 66, 2, 0, nullptr, 48);
  ASSERT_EQ(s.Parts.size(), 3u);
  const std::initializer_list<TFPoint> square{{0, 2}, {2, 2}, {2, 0}, {0, 0}, {0, 2}};
  ASSERT_EQ(s.Parts[2].size(), 5u);
  int i = 0;
  for (const TFPoint& w : square) ExpectNear(s.Parts[2][i++], w);
  ExpectNear(s.Parts[0][0], {1, 3, 0});  // plus of arm 2

  // thickness repeats each part raised; an extrusion (0,0,-1) mirrors X and lowers the copy
  TFMatrix ext = ExtrusionMatrix({0, 0, -1});
  TvxPointShapes t = BuildPointShapes({0, 0, 0}, 4, 2, 3, &ext, 48);
  ASSERT_EQ(t.Parts.size(), 2u);
  ExpectNear(t.Parts[0][1], {0, 1, 0});
  ExpectNear(t.Parts[1][1], {0, 1, -3});
  EXPECT_NEAR(t.Box.Z1, -3, 1e-12);

  // a negative size is used as it is
  TvxPointShapes n = BuildPointShapes({0, 0, 0}, 4, -2, 0, nullptr, 48);
  ExpectNear(n.Parts[0][1], {0, -1, 0});
}

TEST(EntGeometry, HalfLineAgainstBox) {
  const TFRect box{0, 10, 0, 10, 0, 0};  // x 0..10, y 0..10, z 0
  struct Case {
    const char* name;
    TFPoint start, dir;
    bool hit;
    double left, right, bottom, top;
  };
  for (const Case& c : std::initializer_list<Case>{
           {"inside along x", {5, 5}, {1, 0}, true, 5, 10, 5, 5},
           {"outside towards", {-5, 5}, {1, 0}, true, 0, 10, 5, 5},
           {"outside away", {-5, 5}, {-1, 0}, false, 0, 0, 0, 0},
           {"diagonal", {-5, -5}, {1, 1}, true, 0, 10, 0, 10},
           {"passes beside", {-5, 20}, {1, 0}, false, 0, 0, 0, 0},
           {"zero direction", {5, 5}, {0, 0}, false, 0, 0, 0, 0},
           {"NaN direction", {5, 5}, {kNaN, 0}, false, 0, 0, 0, 0},
           {"off the plane", {5, 5, 1}, {1, 0}, false, 0, 0, 0, 0}}) {
    TFRect r = BadBox;
    ASSERT_EQ(ClipHalfLineToBox(c.start, c.dir, box, r), c.hit) << c.name;
    if (!c.hit) continue;
    // never outside the box, so clipping to a box already grown by it changes nothing
    EXPECT_TRUE(r.Left >= box.Left && r.Right <= box.Right && r.Bottom >= box.Bottom &&
                r.Top <= box.Top && r.Z1 >= box.Z1 && r.Z2 <= box.Z2)
        << c.name;
    EXPECT_NEAR(r.Left, c.left, 1e-8) << c.name;
    EXPECT_NEAR(r.Right, c.right, 1e-8) << c.name;
    EXPECT_NEAR(r.Bottom, c.bottom, 1e-8) << c.name;
    EXPECT_NEAR(r.Top, c.top, 1e-8) << c.name;
  }
  TFRect r;
  EXPECT_FALSE(ClipHalfLineToBox({0, 0, 0}, {1, 0, 0}, BadBox, r));
}

TEST(EntGeometry, RayEndClippedToView) {
  const TvxIntRect view{0, 0, 100, 100};
  struct Case {
    const char* name;
    TFPoint start, dir, want;
  };
  for (const Case& c : std::initializer_list<Case>{
           {"right from centre", {50, 50}, {1, 0}, {100, 50}},
           {"down from centre", {50, 50}, {0, 3}, {50, 100}},
           {"diagonal from centre", {50, 50}, {1, 1}, {100, 100}},
           {"steep", {50, 50}, {1, 4}, {62.5, 100}},
           {"left from outside", {150, 50}, {-2, 0}, {0, 50}},
           {"zero direction", {50, 50}, {0, 0}, {50, 50}}}) {
    TFPoint e = ClipRayEndToView(c.start, c.dir, cnstIdentityMat, view);
    ExpectNear(e, c.want, 1e-9);
  }
  // a scaled view matrix: the end lies on the device edge, returned in drawing units
  TFMatrix m = ScaleMatrix(10, 10, 1);
  ExpectNear(ClipRayEndToView({5, 5, 0}, {1, 0, 0}, m, view), {10, 5, 0});
  // a degenerate rectangle gives no NaN
  TFPoint e = ClipRayEndToView({0, 0, 0}, {1, 0, 0}, cnstIdentityMat, {0, 0, 0, 0});
  EXPECT_FALSE(std::isnan(e.X));
}

}  // namespace
}  // namespace vx
