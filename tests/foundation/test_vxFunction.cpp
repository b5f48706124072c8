#include "foundation/vxFunction.h"
#include "foundation/vxLists.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace vx;

namespace {

void ExpectPoint(const TFPoint& got, const TFPoint& want, double tol = 1e-12) {
  EXPECT_NEAR(got.X, want.X, tol);
  EXPECT_NEAR(got.Y, want.Y, tol);
  EXPECT_NEAR(got.Z, want.Z, tol);
}

void ExpectMatrix(const TFMatrix& got, const TFMatrix& want, double tol = 1e-12) {
  for (int i = 0; i < 12; ++i) EXPECT_NEAR(got.V(i), want.V(i), tol) << "entry " << i;
}

}  // namespace

TEST(Rounding, HalfToEven) {
  struct Case { double in; int64_t want; };
  for (const Case& c : std::initializer_list<Case>{
           {0.5, 0}, {1.5, 2}, {2.5, 2}, {-0.5, 0}, {-1.5, -2}, {2.4999, 2}, {2.5001, 3},
           {std::nan(""), 0}, {1e300, std::numeric_limits<int64_t>::max()},
           {-1e300, std::numeric_limits<int64_t>::min()}})
    EXPECT_EQ(RoundHalfEven(c.in), c.want) << c.in;
}

TEST(Matrix, TransformAndMultiplyFollowRowVectorConvention) {
  TFMatrix a = TranslationMatrix({1, 2, 3});
  TFMatrix b = ScaleMatrix(2, 3, 4);
  // a first, then b: (p + t) * s
  ExpectPoint(TransformPoint({1, 1, 1}, MultiplyMatrix(a, b)), {4, 9, 16});
  ExpectPoint(TransformPoint({1, 1, 1}, MultiplyMatrix(b, a)), {3, 5, 7});
  ExpectPoint(TransformVector({1, 1, 1}, MultiplyMatrix(a, b)), {2, 3, 4});
  ExpectMatrix(MultiplyMatrix(cnstIdentityMat, a), a);
}

TEST(Matrix, MatrixScaleScalesColumnsIncludingTranslation) {
  TFMatrix m = TranslationMatrix({1, 2, 3});
  TFMatrix s = MatrixScale(m, {2, 3, 4});
  ExpectPoint(s.E0(), {2, 6, 12});
  ExpectPoint(s.EX(), {2, 0, 0});
}

TEST(Matrix, RotationsAreRightHandedAndExactOnQuarterTurns) {
  TFMatrix z = RotationMatrix(axisZ, fPi / 2);
  EXPECT_EQ(z.M[0][0], 0.0);
  EXPECT_EQ(z.M[0][1], 1.0);
  EXPECT_EQ(z.M[1][0], -1.0);
  EXPECT_EQ(z.M[1][1], 0.0);
  struct Case { TvxAxis axis; TFPoint in, want; };
  for (const Case& c : std::initializer_list<Case>{{axisZ, {1, 0, 0}, {0, 1, 0}},
                                                   {axisX, {0, 1, 0}, {0, 0, 1}},
                                                   {axisY, {0, 0, 1}, {1, 0, 0}}})
    ExpectPoint(TransformPoint(c.in, RotationMatrix(c.axis, fPi / 2)), c.want);
  TFMatrix full = RotationMatrix(axisZ, -3 * fPi / 2);  // same as +pi/2
  ExpectMatrix(full, z, 0);
  ExpectPoint(TransformPoint({1, 0, 0}, RotationMatrixZDeg(30)), {std::cos(fPi / 6), 0.5, 0});
}

TEST(Matrix, ArbitraryAxisAndExtrusion) {
  TFPoint ax, ay;
  ArbitraryAxis({0, 0, 1}, ax, ay);
  ExpectPoint(ax, {1, 0, 0});
  ExpectPoint(ay, {0, 1, 0});
  ArbitraryAxis({0, 0, -1}, ax, ay);
  ExpectPoint(ax, {-1, 0, 0});
  ExpectPoint(ay, {0, 1, 0});
  ArbitraryAxis({1, 0, 0}, ax, ay);  // |N.X| >= 1/64: Z x N
  ExpectPoint(ax, {0, 1, 0});
  ExpectPoint(ay, {0, 0, 1});
  ArbitraryAxis({0, 0, 5}, ax, ay);  // the normal is normalised first
  ExpectPoint(ax, {1, 0, 0});

  TFMatrix e = ExtrusionMatrix({0, 0, -1});
  ExpectPoint(TransformPoint({5, 0, 0}, e), {-5, 0, 0});
  // The transpose maps world back to object coordinates.
  TFPoint world = TransformPoint({1, 2, 3}, ExtrusionMatrix({1, 1, 1}));
  ExpectPoint(TransformPoint(world, TransposeMatrix3(ExtrusionMatrix({1, 1, 1}))), {1, 2, 3});
  // Rotate about Z first, then extrude.
  ExpectPoint(TransformPoint({1, 0, 0}, ExtrusionMatrix({0, 0, -1}, 90)), {0, 1, 0});
}

TEST(Matrix, InvertOrthoMatrixUndoesViewMatrices) {
  TFMatrix m = MultiplyMatrix(MultiplyMatrix(RotationMatrixZDeg(37), ScaleMatrix(2.5, 2.5, 2.5)),
                              TranslationMatrix({10, -4, 2}));
  TFMatrix inv = InvertOrthoMatrix(m);
  ExpectPoint(TransformPoint(TransformPoint({3, 4, 5}, m), inv), {3, 4, 5}, 1e-9);
  ExpectMatrix(MultiplyMatrix(m, inv), cnstIdentityMat, 1e-12);
  // A zero row is left unscaled rather than dividing by zero.
  TFMatrix degenerate = ScaleMatrix(0, 1, 1);
  TFMatrix dinv = InvertOrthoMatrix(degenerate);
  for (int i = 0; i < 12; ++i) EXPECT_TRUE(std::isfinite(dinv.V(i)));
  // The general inverse handles skew too.
  TFMatrix skew = cnstIdentityMat;
  skew.M[1][0] = 0.5;
  skew.M[3] = {1, 2, 3};
  ExpectPoint(TransformPoint(TransformPoint({3, 4, 5}, skew), InvertMatrix(skew)), {3, 4, 5}, 1e-12);
}

TEST(Vector, LengthNormalizeRotate) {
  EXPECT_EQ(VectorLength({1e-5, 0, 0}), 0.0);  // squared length below 1e-9
  EXPECT_DOUBLE_EQ(VectorLength({3, 4, 0}), 5.0);
  ExpectPoint(Normalize({0, 0, 0}), {0, 0, 0});
  ExpectPoint(Normalize({0, 3, 4}), {0, 0.6, 0.8});
  ExpectPoint(RotateAroundVector({1, 0, 0}, {0, 0, 1}, fPi / 2), {0, 1, 0}, 1e-12);
  ExpectPoint(RotateAroundVector({1, 0, 0}, {0, 0, 1}, 5e-7), {1, 0, 0}, 0);
  ExpectPoint(CrossFPoint({1, 0, 0}, {0, 1, 0}), {0, 0, 1});
}

TEST(Box, ExpandUnionAndBadness) {
  TFRect b = BadBox;
  EXPECT_TRUE(IsBadBox(b));
  ExpandBox(b, {1, 2, 3});
  EXPECT_FALSE(IsBadBox(b));
  EXPECT_EQ(b, (TFRect{1, 2, 3, 1, 2, 3}));
  ExpandBox(b, {-1, 5, 0});
  EXPECT_EQ(b, (TFRect{-1, 5, 0, 1, 2, 3}));

  TFRect u = b;
  UnionBox(u, BadBox);
  EXPECT_EQ(u, b);
  UnionBox(u, TFRect{10, 20, -5, 11, 19, -4});
  EXPECT_EQ(u, (TFRect{-1, 20, -5, 11, 2, 3}));

  TFRect nan = b;
  nan.Z2 = std::nan("");
  EXPECT_TRUE(IsBadBox(nan));

  TF2DRect out;
  EXPECT_TRUE(IntersectBox2D({0, 10, 10, 0}, {5, 20, 20, 5}, out));
  EXPECT_EQ(out, (TF2DRect{5, 10, 10, 5}));
  EXPECT_FALSE(IntersectBox2D({0, 1, 1, 0}, {5, 20, 20, 5}, out));
}

TEST(Box, TransformBoxHoldsRotatedCorners) {
  TFRect b{0, 1, 0, 2, 0, 0};
  TFRect r = TransformBox(b, RotationMatrixZDeg(90));
  EXPECT_NEAR(r.Left, -1, 1e-12);
  EXPECT_NEAR(r.Right, 0, 1e-12);
  EXPECT_NEAR(r.Bottom, 0, 1e-12);
  EXPECT_NEAR(r.Top, 2, 1e-12);
  EXPECT_TRUE(IsBadBox(TransformBox(BadBox, RotationMatrixZDeg(90))));
}

TEST(Angle, VectorAngleQuadrants) {
  struct Case { double dx, dy, want; };
  for (const Case& c : std::initializer_list<Case>{{0, -5, 270}, {-1, 0, 180}, {0, 0, 90}, {1, 0, 0},
                                                   {1, 1, 45}, {-1, 1, 135}, {-1, -1, 225}, {1, -1, 315},
                                                   {1, -1e-300, 0}})
    EXPECT_NEAR(VectorAngle(c.dx, c.dy), c.want, 1e-12) << c.dx << "," << c.dy;
}

TEST(Angle, NormalizeKeepsSignAndRefusesHugeValues) {
  struct Case { double in, want; bool ok; };
  for (const Case& c : std::initializer_list<Case>{{370, 10, true}, {-370, -10, true}, {360, 0, true},
                                                   {720.5, 0.5, true}, {3e9, 3e9, false}}) {
    double a = c.in;
    EXPECT_EQ(NormalizeAngle(a), c.ok) << c.in;
    EXPECT_NEAR(a, c.want, 1e-9) << c.in;
  }
  double n = std::nan("");
  EXPECT_FALSE(NormalizeAngle(n));
  double r = 5 * fPi;
  EXPECT_TRUE(NormalizeAngleRad(r));
  EXPECT_NEAR(r, fPi, 1e-12);

  TvxArcR arc{{}, 1, 400, 350};
  NormalizeArc(arc);
  EXPECT_NEAR(arc.AngleS, 40, 1e-12);
  EXPECT_EQ(arc.AngleE, 350);  // only reduced above 360
}

TEST(Compare, PointEqualityAndSign) {
  EXPECT_TRUE(IsEqualFPoints({1, 2, 3}, {1 + 1e-10, 2, 3}));
  EXPECT_FALSE(IsEqualFPoints({1, 2, 3}, {1 + 1e-8, 2, 3}));
  EXPECT_TRUE(IsEqualFPoints({1, 2, 3}, {1.05, 2, 3}, 0.1));
  EXPECT_EQ(SignWithTolerance(2e-9), 1);
  EXPECT_EQ(SignWithTolerance(-2e-9), -1);
  EXPECT_EQ(SignWithTolerance(5e-10), 0);
}

TEST(Palette, FixedEntriesAndFormula) {
  struct Case { int index; TColor want; };
  for (const Case& c : std::initializer_list<Case>{
           {0, 0x000000}, {1, 0x0000FF}, {2, 0x00FFFF}, {3, 0x00FF00}, {4, 0xFFFF00}, {5, 0xFF0000},
           {6, 0xFF00FF}, {7, 0xFFFFFF}, {8, 0x808080}, {9, 0xC0C0C0}, {10, 0x0000FF}, {11, 0x7F7FFF},
           {21, 0x7F9FFF}, {20, 0x003FFF}, {12, 0x0000CC}, {18, 0x00004C}, {90, 0x00FF00},
           {250, 0x333333}, {255, 0xFFFFFF}})
    EXPECT_EQ(AciPalette[c.index], c.want) << "ACI " << c.index;
}

TEST(Palette, ColourConversions) {
  struct AciCase { int index; TColor want; };
  for (const AciCase& c : std::initializer_list<AciCase>{{-5, static_cast<TColor>(-5)},
                                                         {0, clByBlock},
                                                         {7, clForeground},
                                                         {1, 0x0000FF},
                                                         {256, clByLayer},
                                                         {300, clByLayer}})
    EXPECT_EQ(AciToColor(c.index), c.want) << c.index;

  struct ToAci { TColor c; int want; };
  for (const ToAci& c : std::initializer_list<ToAci>{{0x0000FF, 1}, {clForeground, 7}, {clByLayer, 256},
                                                     {clByBlock, 0}, {0x000000, 0}, {0x7F7FFF, 11},
                                                     {0x010101, 0}})
    EXPECT_EQ(ColorToAci(c.c), c.want) << std::hex << c.c;
  EXPECT_EQ(ColorToAciSkipZero(0x000000), 18);  // dark red (76, 0, 0) is the nearest non-zero entry

  struct ToCAD { TColor c; TvxActiveColor a; uint32_t v; };
  for (const ToCAD& c : std::initializer_list<ToCAD>{{0xFFFFFF, acRGBColor, 0xFFFFFF},
                                                     {clForeground, acRGBColor, clForeground},
                                                     {clByLayer, acIndexColor, 256},
                                                     {clByBlock, acIndexColor, 0},
                                                     {0x0000FF, acIndexColor, 1},
                                                     {0x000000, acIndexColor, 7},
                                                     {0x123456, acRGBColor, 0x123456}}) {
    TvxColorCAD cc = ColorToColorCAD(c.c);
    EXPECT_EQ(cc.Active, c.a) << std::hex << c.c;
    EXPECT_EQ(cc.Color, c.v) << std::hex << c.c;
  }
  EXPECT_EQ(ColorCADToColor({acRGBColor, 0x123456, {}}), 0x123456u);
  EXPECT_EQ(ColorCADToColor({acIndexColor, 256, {}}), clByLayer);

  EXPECT_TRUE(IsEqualColorCAD({acIndexColor, 1, {}}, {acRGBColor, 0x0000FF, {}}));
  EXPECT_TRUE(IsEqualColorCAD({acRGBColor, 0x0000FF, {}}, {acIndexColor, 1, {}}));
  EXPECT_FALSE(IsEqualColorCAD({acIndexColor, 1, {}}, {acIndexColor, 2, {}}));
  EXPECT_FALSE(IsEqualColorCAD({acIndexColor, 256, {}}, {acRGBColor, 0, {}}));
}

TEST(LineWeight, NearestTableEntryAtOrBelow) {
  struct Case { double mm; int want; };
  for (const Case& c : std::initializer_list<Case>{{0.25, 25}, {0.26, 25}, {0.3, 30}, {0.52, 50},
                                                   {2.11, 211}, {5.0, 211}, {0.0, 0}, {-1, -1},
                                                   {-2, -2}, {-3, -3}, {0.001, 0}, {0.054, 5}})
    EXPECT_EQ(LineWeightToTable(c.mm), c.want) << c.mm;
}

TEST(Lists, SortedAddAndDuplicatesPolicy) {
  TvxIntegerList l;
  l.SetSorted(true);
  l.SetDuplicates(dupIgnore);
  for (int v : {5, 1, 3, 5, 1}) l.Add(v);
  ASSERT_EQ(l.Count(), 3);
  EXPECT_EQ(l.First(), 1);
  EXPECT_EQ(l.Last(), 5);
  EXPECT_EQ(l.Add(3), 1);  // existing index, nothing added
  EXPECT_EQ(l.Count(), 3);
  l.SetDuplicates(dupError);
  EXPECT_EQ(l.Add(5), 2);  // no exception either
  EXPECT_EQ(l.Count(), 3);

  TFPointList pts;
  pts.SetDuplicates(dupIgnore);
  pts.Add({1, 2, 3});
  pts.Add({1, 2, 3});
  pts.Add({0, 0, 0});
  EXPECT_EQ(pts.Count(), 2);

  TvxDoubleList d;
  d.SetCount(3);
  d.SetCapacity(2);  // cuts the list
  EXPECT_EQ(d.Count(), 2);
  EXPECT_EQ(d[1], 0.0);
}

TEST(Lists, CollectionKeepsKeysSorted) {
  TvxCollection c;
  int a = 0, b = 0;
  c.Add(30, &a);
  c.Add(10, &b);
  c.Add(30, &b);  // duplicate ignored
  ASSERT_EQ(c.Count(), 2);
  EXPECT_EQ(c[0].HashCode, 10u);
  EXPECT_EQ(c.Find(30), &a);
  EXPECT_EQ(c.Find(20), nullptr);
  EXPECT_TRUE(c.Remove(10));
  EXPECT_EQ(c.Count(), 1);
  TvxCollection dup(dupAccept);
  dup.Add(1, &a);
  dup.Add(1, &b);
  EXPECT_EQ(dup.Count(), 2);
}
