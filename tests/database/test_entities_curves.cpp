// Circles, arcs and ellipses: tessellation, the common polyline load (thickness, extrusion,
// thinning, dash points), measures and bad input.
#include "test_entities_fixture.h"

#include <initializer_list>

namespace vx::test {
namespace {

using CircleTest = EntitiesTest;
using ArcTest = EntitiesTest;
using EllipseTest = EntitiesTest;

// Restores the process-wide merge angle whatever a test does.
struct MergeAngleScope {
  double Saved = GlobalSettings.MergeAngle;
  explicit MergeAngleScope(double v) { GlobalSettings.MergeAngle = v; }
  ~MergeAngleScope() { GlobalSettings.MergeAngle = Saved; }
};

TEST_F(CircleTest, FullCircleHasNPlusOnePointsAndClosesExactly) {
  auto* c = Add(new TvxDXFCircle());
  c->SetPoint({1, 2, 3});
  c->SetRadius(2);
  conv->Loads(c);
  ASSERT_EQ(conv->NumberOfPartsInCircle(), 48);
  ASSERT_EQ(c->PointCount(), 49);
  EXPECT_EQ(c->GetPoints(0), c->GetPoints(48));
  ExpectNear(c->GetPoints(0), {3, 2, 3});
  ExpectNear(c->GetPoints(12), {1, 4, 3});
  EXPECT_EQ(c->GetPoints(49), cnstFPointZero);  // out of range
  EXPECT_TRUE(c->GetClosed());
  EXPECT_TRUE(c->GetIsPLinegen());
  EXPECT_NEAR(c->Area(), 4 * fPi, 1e-12);
  EXPECT_NEAR(c->Length(), 4 * fPi, 1e-12);
  TFRect b = c->GetBox();
  EXPECT_NEAR(b.Left, -1, 1e-12);
  EXPECT_NEAR(b.Right, 3, 1e-12);
  EXPECT_NEAR(b.Bottom, 0, 1e-12);
  EXPECT_NEAR(b.Top, 4, 1e-12);
  EXPECT_EQ(c->GetLayer()->GetName(), "0");
  ASSERT_NE(c->GetLineType(), nullptr);
  EXPECT_EQ(c->GetLineType()->GetName(), "BYLAYER");
  c->SetClosed(false);  // the circle family ignores it
  EXPECT_TRUE(c->GetClosed());
}

TEST_F(CircleTest, RadiusWriterIgnoresZeroAndNaN) {
  auto* c = Add(new TvxDXFCircle());
  for (double r : {3.0, 0.0, 1e-10, -2.0, kNaN}) c->SetRadius(r);
  EXPECT_EQ(c->GetRadius(), 3);
}

TEST_F(CircleTest, ThicknessAppendsTheTopRing) {
  struct Case {
    const char* name;
    TFPoint ext;
    double topZ;
  };
  for (const Case& k : std::initializer_list<Case>{{"up", cnstExtrusion, 2},
                                                   {"mirrored", {0, 0, -1}, -2}}) {
    auto* c = Add(new TvxDXFCircle());
    c->SetRadius(1);
    c->SetZThick(2);
    c->SetExtrusion(k.ext);
    conv->Loads(c);
    SCOPED_TRACE(k.name);
    ASSERT_EQ(c->PointCount(), 98);
    EXPECT_TRUE(c->IsPolyZThickness());
    for (int i = 0; i < 49; ++i) {
      EXPECT_EQ(c->GetPoints(i).Z, 0);
      ExpectNear(c->GetPoints(i + 49), AddFPoint(c->GetPoints(i), {0, 0, k.topZ}));
    }
    EXPECT_EQ(c->GetBox().Z1, std::min(0.0, k.topZ));
    EXPECT_EQ(c->GetBox().Z2, std::max(0.0, k.topZ));
  }
}

TEST_F(CircleTest, ExtrusionTurnsObjectPointsToWorld) {
  auto* c = Add(new TvxDXFCircle());
  c->SetPoint({5, 0, 1});  // object coordinates
  c->SetRadius(1);
  c->SetExtrusion({0, 0, -1});
  conv->Loads(c);
  ExpectNear(c->GetPoints(0), {-6, 0, -1});  // object X runs along world -X
  EXPECT_NEAR(c->GetBox().Left, -6, 1e-12);
  EXPECT_NEAR(c->GetBox().Right, -4, 1e-12);
  // a second load starts from the stored object coordinates again
  conv->Loads(c);
  ExpectNear(c->GetPoints(0), {-6, 0, -1});
}

TEST_F(CircleTest, SegmentCountFollowsTheDrawing) {
  auto* c = Add(new TvxDXFCircle());
  c->SetRadius(1);
  for (int n : {8, 100}) {
    conv->SetNumberOfPartsInCircle(n);
    conv->Loads(c);
    EXPECT_EQ(c->PointCount(), n + 1);
  }
  conv->SetNumberOfPartsInCircle(100000000);  // capped instead of asking for gigabytes
  conv->Loads(c);
  EXPECT_EQ(c->PointCount(), cnstMaxPartsInCircle + 1);
}

TEST_F(CircleTest, MergeAngleTessellatesFinelyThenThins) {
  auto* c = Add(new TvxDXFCircle());
  c->SetRadius(1);
  {
    MergeAngleScope merge(10);
    EXPECT_EQ(conv->NumberOfPartsInCircle(), 255);
    conv->Loads(c);
    // 255 steps of 1.41 degrees; a point goes while the inscribed angle at it exceeds 170
    // degrees, i.e. while its neighbours span less than 20 degrees: every 14th step stays
    EXPECT_LT(c->PointCount(), 25);
    EXPECT_GT(c->PointCount(), 15);
    EXPECT_EQ(c->GetPoints(0), c->GetPoints(c->PointCount() - 1));
    for (const TFPoint& p : c->PolyPoints()) EXPECT_NEAR(std::hypot(p.X, p.Y), 1, 1e-12);
  }
  conv->Loads(c);
  EXPECT_EQ(c->PointCount(), 49);
}

TEST_F(CircleTest, ThickDashedCurveGetsDashPieces) {
  auto* lt = static_cast<TvxDXFLineType*>(conv->FindOrCreateItem("DASHED", csLTypes, true));
  ASSERT_NE(lt, nullptr);
  lt->Lines().Initialize({0.5, -0.25});
  conv->Loads(lt);
  ASSERT_GT(lt->Lines().PatternLength(), 0);

  auto* c = Add(new TvxDXFCircle());
  c->SetRadius(1);
  c->SetLineType(lt);
  conv->Loads(c);
  EXPECT_EQ(c->GetFlags() & cnstPolyPatternPoints, 0);  // thin: the renderer cuts it
  EXPECT_EQ(c->PointCount(), 49);

  c->SetZThick(1);
  conv->Loads(c);
  EXPECT_NE(c->GetFlags() & cnstPolyPatternPoints, 0);
  const int n = c->PointCount();
  ASSERT_GT(n, 2 * 49);  // every dash is a pair, bottom and top
  EXPECT_EQ(n % 4, 0);
  for (int i = 0; i < n / 2; ++i) {
    // dash ends lie on the chords of the tessellation
    EXPECT_NEAR(std::hypot(c->GetPoints(i).X, c->GetPoints(i).Y), 1, 3e-3);
    EXPECT_EQ(c->GetPoints(i + n / 2).Z, 1);
  }
  // the flag is cleared by the next load
  c->SetZThick(0);
  conv->Loads(c);
  EXPECT_EQ(c->GetFlags() & cnstPolyPatternPoints, 0);
  EXPECT_EQ(c->PointCount(), 49);
  // the shared pattern's own scale is untouched
  EXPECT_EQ(lt->Lines().Scale(), 1);
}

TEST_F(CircleTest, DashPiecesFollowTheEffectiveScaleAndTheLayerPattern) {
  auto* lt = static_cast<TvxDXFLineType*>(conv->FindOrCreateItem("DASHED", csLTypes, true));
  lt->Lines().Initialize({0.5, -0.25});
  conv->Loads(lt);
  // a closed run lays whole patterns: 2 pi R / (0.75 x scale) of them, one dash each; a dash
  // bends round the vertices it passes, so count the pieces' length instead of the pieces
  auto dashed = [&](TvxDXFCircle* c) {
    conv->Loads(c);
    double len = 0;
    const int n = c->PointCount() / 2;  // the bottom outline
    for (int i = 0; i + 1 < n; i += 2) len += DistanceFPoint(c->GetPoints(i), c->GetPoints(i + 1));
    return len;
  };
  auto* c = Add(new TvxDXFCircle());
  c->SetRadius(3);
  c->SetZThick(1);
  c->SetLineType(lt);
  const double unscaled = dashed(c);
  EXPECT_NEAR(unscaled, 2 * fPi * 3 * 2 / 3, 0.05);  // dashes are 2/3 of each pattern

  c->SetLineTypeScale(2);
  conv->HeadVarStruct().LTScale = 1.5;
  const int before = c->PointCount();
  EXPECT_NEAR(dashed(c), unscaled, 0.1);  // the same share, in fewer, longer dashes
  EXPECT_LT(c->PointCount(), before);
  EXPECT_EQ(lt->Lines().Scale(), 1);

  // "BYLAYER" takes the layer's pattern
  conv->HeadVarStruct().LTScale = 1;
  TvxDXFLayer* layer = conv->LayerByName("Dashes");
  layer->SetLineType(lt);
  auto* d = Add(new TvxDXFCircle());
  d->SetRadius(3);
  d->SetZThick(1);
  d->SetLayer(layer);
  conv->Loads(d);
  EXPECT_EQ(d->GetLineType()->GetName(), "BYLAYER");
  EXPECT_NE(d->GetFlags() & cnstPolyPatternPoints, 0);
  // "BYBLOCK" is only known inside a reference: continuous at load
  d->SetLineType(conv->LTypeByName("BYBLOCK"));
  conv->Loads(d);
  EXPECT_EQ(d->GetFlags() & cnstPolyPatternPoints, 0);
  EXPECT_EQ(d->PointCount(), 98);
}

TEST_F(CircleTest, ToWCSConvertsTheCentreOnlyWhenExtruded) {
  auto* c = Add(new TvxDXFCircle());
  c->SetPoint({1, 2, 3});
  c->ToWCS();
  EXPECT_EQ(c->GetPoint(), (TFPoint{1, 2, 3}));
  c->SetExtrusion({0, 0, -1});
  c->ToWCS();
  ExpectNear(c->GetPoint(), {-1, 2, -3});
  // lines keep world coordinates
  auto* l = Add(new TvxDXFLine());
  l->SetPoint({1, 2, 3});
  l->SetExtrusion({0, 0, -1});
  l->ToWCS();
  EXPECT_EQ(l->GetPoint(), (TFPoint{1, 2, 3}));
}

TEST_F(ArcTest, AcrossZeroSweepsCounterClockwise) {
  auto* a = Add(new TvxDXFArc());
  a->SetRadius(2);
  a->SetStartAngle(350);
  a->SetEndAngle(10);
  conv->Loads(a);
  ASSERT_EQ(a->PointCount(), 49);
  for (const TFPoint& p : a->PolyPoints()) EXPECT_GT(p.X, 1.96);
  ExpectNear(a->GetPoints(0), {2 * std::cos(-10 * fPiDiv180), 2 * std::sin(-10 * fPiDiv180), 0});
  ExpectNear(a->GetPoints(24), {2, 0, 0});
  ExpectNear(a->GetPoints(48), a->GetEndPoint());
  EXPECT_NEAR(a->Length(), 2 * 20 * fPiDiv180, 1e-12);
  EXPECT_FALSE(a->GetClosed());
}

TEST_F(ArcTest, EqualAnglesAreAFullTurn) {
  auto* a = Add(new TvxDXFArc());
  a->SetRadius(1);
  a->SetStartAngle(30);
  a->SetEndAngle(30);
  conv->Loads(a);
  EXPECT_TRUE(a->GetClosed());
  ASSERT_EQ(a->PointCount(), 49);
  EXPECT_EQ(a->GetPoints(0), a->GetPoints(48));
  EXPECT_NEAR(a->Length(), 2 * fPi, 1e-12);
  EXPECT_NEAR(a->Area(), fPi, 1e-12);
  EXPECT_NEAR(a->GetBox().Left, -1, 1e-3);
}

TEST_F(ArcTest, MeasuresOverATable) {
  struct Case {
    double s, e;
    double sweep, area, height;
    bool closed;
  };
  const double r = 2, r2 = 4;
  for (const Case& c : std::initializer_list<Case>{
           {0, 90, 90, r2 * (fPi / 4 - 0.5), r * (1 - std::cos(fPi / 4)), false},
           {0, 180, 180, r2 * fPi / 2, r, false},
           {0, 270, 270, r2 * (3 * fPi / 4 + 0.5), r * (1 - std::cos(3 * fPi / 4)), false},
           {90, 0, 270, r2 * (3 * fPi / 4 + 0.5), r * (1 - std::cos(3 * fPi / 4)), false},
           {170, -200, 350, r2 * (350 * fPiDiv180 / 2 + std::sin(10 * fPiDiv180) / 2),
            r * (1 - std::cos(175 * fPiDiv180)), false},
           {-360, 360, 360, r2 * fPi, 2 * r, true},
           {45, 405, 360, r2 * fPi, 2 * r, true}}) {
    auto* a = Add(new TvxDXFArc());
    a->SetRadius(r);
    a->SetStartAngle(c.s);
    a->SetEndAngle(c.e);
    SCOPED_TRACE(testing::Message() << c.s << " -> " << c.e);
    EXPECT_NEAR(a->Sweep(), c.sweep, 1e-9);
    EXPECT_NEAR(a->Length(), r * c.sweep * fPiDiv180, 1e-9);
    EXPECT_GT(a->Length(), 0);
    EXPECT_NEAR(a->Area(), c.area, 1e-9);
    EXPECT_NEAR(a->Height(), c.height, 1e-9);
    EXPECT_EQ(a->GetClosed(), c.closed);
  }
}

TEST_F(ArcTest, EndPointsAreInWorldCoordinates) {
  auto* a = Add(new TvxDXFArc());
  a->SetArc({{1, 0, 2}, 1, 0, 90});
  ExpectNear(a->GetStartPoint(), {2, 0, 2});
  ExpectNear(a->GetEndPoint(), {1, 1, 2});
  a->SetExtrusion({0, 0, -1});
  ExpectNear(a->GetStartPoint(), {-2, 0, -2});
  ExpectNear(a->GetEndPoint(), {-1, 1, -2});
  conv->Loads(a);
  ExpectNear(a->GetPoints(0), a->GetStartPoint());
  ExpectNear(a->GetPoints(48), a->GetEndPoint());
  EXPECT_EQ(a->GetArc(), (TvxArcR{{1, 0, 2}, 1, 0, 90}));
}

TEST_F(ArcTest, BadAnglesGiveABadBoxNotACrash) {
  for (double bad : {kNaN, std::numeric_limits<double>::infinity(), 1e300}) {
    auto* a = Add(new TvxDXFArc());
    a->SetRadius(1);
    a->SetStartAngle(bad);
    a->SetEndAngle(10);
    conv->Loads(a);
    EXPECT_EQ(a->PointCount(), 49) << bad;
    EXPECT_EQ(IsBadBox(a->GetBox()), !std::isfinite(bad)) << bad;
  }
}

TEST_F(EllipseTest, ExtrudedEllipseConvertsToObjectCoordinatesOnce) {
  auto* e = Add(new TvxDXFEllipse());
  e->SetPoint({5, 0, 0});  // world, as read
  e->SetRadPt({2, 0, 0});
  e->SetRatio(0.5);
  e->SetExtrusion({0, 0, -1});
  ExpectNear(e->GetStartPoint(), {7, 0, 0});  // before the load: still in world coordinates
  conv->Loads(e);
  ExpectNear(e->GetPoint(), {-5, 0, 0});
  ExpectNear(e->GetRadPt(), {-2, 0, 0});
  EXPECT_FALSE(e->IsExtruded());
  EXPECT_NEAR(e->GetRadius(), 2, 1e-12);
  ASSERT_EQ(e->PointCount(), 49);
  for (const TFPoint& p : e->PolyPoints()) {
    EXPECT_NEAR((p.X - 5) * (p.X - 5) / 4 + p.Y * p.Y, 1, 1e-9);
    EXPECT_NEAR(p.Z, 0, 1e-12);
  }
  ExpectNear(e->GetPoints(0), {7, 0, 0});
  ExpectNear(e->GetStartPoint(), {7, 0, 0});
  TFRect b = e->GetBox();
  EXPECT_NEAR((b.Left + b.Right) / 2, 5, 1e-9);
  EXPECT_NEAR(b.Top, 1, 1e-9);

  conv->Loads(e);  // no second conversion
  ExpectNear(e->GetPoint(), {-5, 0, 0});
  ExpectNear(e->GetPoints(0), {7, 0, 0});

  // a copy keeps the coordinates it was given and does not convert them again
  TvxEntityPtr<TvxDXFEllipse> copy(static_cast<TvxDXFEllipse*>(e->Clone()));
  EXPECT_FALSE(copy->IsExtruded());
  conv->Loads(copy.get());
  ExpectNear(copy->GetPoint(), {-5, 0, 0});
  ExpectNear(copy->GetPoints(0), {7, 0, 0});
}

TEST_F(EllipseTest, AngleIsInDegrees) {
  struct Case { TFPoint rad; double deg; };
  for (const Case& c : std::initializer_list<Case>{
           {{2, 0, 0}, 0},
           {{0, 2, 0}, 90},
           {{0, -2, 0}, 270},
           {{-1, 0, 0}, 180},
           {{1, 1, 0}, 45}}) {
    auto* e = Add(new TvxDXFEllipse());
    e->SetRadPt(c.rad);
    EXPECT_NEAR(e->GetAngle(), c.deg, 1e-12);
    EXPECT_EQ(e->GetEndPoint(), c.rad);
  }
}

TEST_F(EllipseTest, ArcOfEllipseAndDegenerateShapes) {
  // half an ellipse rotated by 90 degrees: major axis along Y
  auto* e = Add(new TvxDXFEllipse());
  e->SetRadPt({0, 4, 0});
  e->SetRatio(0.25);
  e->SetStartAngle(0);
  e->SetEndAngle(180);
  conv->Loads(e);
  ExpectNear(e->GetPoints(0), {0, 4, 0});
  ExpectNear(e->GetPoints(24), {-1, 0, 0});
  ExpectNear(e->GetPoints(48), {0, -4, 0});
  EXPECT_EQ(e->Area(), 0);
  EXPECT_EQ(e->Length(), 0);

  struct Case { const char* name; TFPoint rad; double ratio; };
  for (const Case& c : std::initializer_list<Case>{{"zero axis", {0, 0, 0}, 0.5},
                                                   {"zero ratio", {3, 0, 0}, 0},
                                                   {"axis along Z", {0, 0, 3}, 0.5}}) {
    auto* d = Add(new TvxDXFEllipse());
    d->SetRadPt(c.rad);
    d->SetRatio(c.ratio);
    conv->Loads(d);
    SCOPED_TRACE(c.name);
    ASSERT_EQ(d->PointCount(), 49);
    EXPECT_FALSE(IsBadBox(d->GetBox()));
    for (const TFPoint& p : d->PolyPoints()) EXPECT_FALSE(std::isnan(p.X) || std::isnan(p.Y));
  }
}

}  // namespace
}  // namespace vx::test
