// Pen-line properties, lines, rays, construction lines and point markers.
#include "test_entities_fixture.h"

#include <initializer_list>
#include <string>

namespace vx::test {
namespace {

using PenLineTest = EntitiesTest;
using LineTest = EntitiesTest;
using RayTest = EntitiesTest;
using PointTest = EntitiesTest;

TEST_F(PenLineTest, ExtrusionIsNilForTheDefaultNormal) {
  auto* l = Add(new TvxDXFLine());
  EXPECT_FALSE(l->HasExtrusion());
  EXPECT_EQ(l->GetExtrusion(), cnstExtrusion);
  l->SetExtrusion({0, 0, -1});
  EXPECT_TRUE(l->HasExtrusion());
  EXPECT_EQ(l->GetExtrusion(), (TFPoint{0, 0, -1}));
  l->SetExtrusion({1e-10, 0, 1 - 1e-10});  // within 1e-9 of the default
  EXPECT_FALSE(l->HasExtrusion());
  EXPECT_EQ(l->GetExtrusion(), cnstExtrusion);
  // damaged normals would fold the entity onto the origin: they mean the default
  for (const TFPoint& bad :
       std::initializer_list<TFPoint>{{0, 0, 0}, {kNaN, 0, 1}, {0, 1e308, 1e308}}) {
    l->SetExtrusion({0, 0, -1});
    l->SetExtrusion(bad);
    EXPECT_FALSE(l->HasExtrusion());
  }
}

TEST_F(PenLineTest, LineWeightFromHundredthsOnlyWhenByLayer) {
  auto* l = Add(new TvxDXFLine());
  EXPECT_EQ(l->GetLineWeight(), fLineWeightByLayer);
  l->SetLWeight(35);
  EXPECT_DOUBLE_EQ(l->GetLineWeight(), 0.35);
  EXPECT_DOUBLE_EQ(l->GetThickness(), 0.35);  // the pen width the renderer asks for
  l->SetLWeight(50);                          // no longer by layer: kept
  EXPECT_DOUBLE_EQ(l->GetLineWeight(), 0.35);
}

TEST_F(PenLineTest, AssignCopiesWeightThicknessAndExtrusion) {
  auto* src = Add(new TvxDXFLine());
  src->SetLineWeight(0.5);
  src->SetZThick(3);
  src->SetExtrusion({0, 1, 0});
  src->SetPoint1({4, 5, 6});
  auto* dst = Add(new TvxDXFLine());
  dst->AssignEntity(src);
  EXPECT_EQ(dst->GetLineWeight(), 0.5);
  EXPECT_EQ(dst->GetZThick(), 3);
  EXPECT_EQ(dst->GetExtrusion(), (TFPoint{0, 1, 0}));
  EXPECT_EQ(dst->GetPoint1(), (TFPoint{4, 5, 6}));
  // a source without extrusion clears the target's
  auto* plain = Add(new TvxDXFLine());
  dst->AssignEntity(plain);
  EXPECT_FALSE(dst->HasExtrusion());

  TvxEntityPtr<TvxDXFLine> copy(static_cast<TvxDXFLine*>(src->Clone()));
  EXPECT_EQ(copy->EntType(), ceLine);
  EXPECT_EQ(copy->GetExtrusion(), (TFPoint{0, 1, 0}));
}

TEST_F(LineTest, LengthAndAngleWriters) {
  struct Case {
    const char* name;
    TFPoint p0, p1;
    bool setAngle;  // else the length is set
    double value;
    TFPoint want;
  };
  for (const Case& c : std::initializer_list<Case>{
           {"angle 90 keeps XY length and Z", {0, 0, 0}, {3, 4, 7}, true, 90, {0, 5, 7}},
           {"angle 450 is 90", {0, 0, 0}, {3, 4, 7}, true, 450, {0, 5, 7}},
           {"angle -90", {1, 1, 0}, {2, 1, 0}, true, -90, {1, 0, 0}},
           {"angle of a vertical line", {1, 1, 0}, {1, 1, 5}, true, 45, {1, 1, 5}},
           {"length 10", {0, 0, 0}, {3, 4, 0}, false, 10, {6, 8, 0}},
           {"length in 3D", {1, 1, 1}, {2, 2, 2}, false, std::sqrt(12.0), {3, 3, 3}},
           {"short line keeps its direction", {0, 0, 0}, {1e-4, 0, 0}, false, 2, {2, 0, 0}},
           {"tiny line keeps its direction", {0, 0, 0}, {0, 2e-9, 0}, false, 1, {0, 1, 0}},
           {"length 0 collapses", {0, 0, 0}, {3, 4, 0}, false, 0, {0, 0, 0}},
           {"length about 0 collapses", {0, 0, 0}, {3, 4, 0}, false, 1e-10, {0, 0, 0}},
           {"no direction, no change", {1, 2, 3}, {1, 2, 3}, false, 5, {1, 2, 3}},
           {"NaN length ignored", {0, 0, 0}, {3, 4, 0}, false, kNaN, {3, 4, 0}}}) {
    auto* l = Add(new TvxDXFLine());
    l->SetPoint(c.p0);
    l->SetPoint1(c.p1);
    if (c.setAngle)
      l->SetAngle(c.value);
    else
      l->SetLength(c.value);
    SCOPED_TRACE(c.name);
    ExpectNear(l->GetPoint1(), c.want, 1e-12);
    EXPECT_EQ(l->GetPoint(), c.p0);
  }
}

TEST_F(LineTest, AngleAndLengthReaders) {
  struct Case { TFPoint p1; double angle, length; };
  for (const Case& c : std::initializer_list<Case>{{{3, 4, 7}, 53.13010235415598, std::sqrt(74.0)},
                                                   {{0, -5, 0}, 270, 5},
                                                   {{-1, 0, 0}, 180, 1},
                                                   {{0, 0, 2}, 90, 2},
                                                   {{1e-5, 0, 0}, 0, 1e-5}}) {
    auto* l = Add(new TvxDXFLine());
    l->SetPoint1(c.p1);
    EXPECT_NEAR(l->GetAngle(), c.angle, 1e-9);
    EXPECT_NEAR(l->GetLength(), c.length, 1e-15);
  }
}

TEST_F(LineTest, LoadGivesLayerZeroOnlyAndBoxRisesWithThickness) {
  auto* l = AddLoaded(new TvxDXFLine());
  ASSERT_NE(l->GetLayer(), nullptr);
  EXPECT_EQ(l->GetLayer()->GetName(), "0");
  EXPECT_EQ(l->GetLineType(), nullptr);  // lines get no line type at load

  struct Case {
    const char* name;
    double thick;
    TFPoint ext;
    TFRect want;
  };
  for (const Case& c : std::initializer_list<Case>{
           {"flat", 0, cnstExtrusion, {0, 2, 0, 1, 0, 0}},
           {"thick", 3, cnstExtrusion, {0, 2, 0, 1, 0, 3}},
           {"thick, extruded down", 3, {0, 0, -1}, {0, 2, -3, 1, 0, 0}},
           {"thick along X", 3, {1, 0, 0}, {0, 2, 0, 4, 0, 0}}}) {
    auto* e = Add(new TvxDXFLine());
    e->SetLine({{0, 0, 0}, {1, 2, 0}});
    e->SetZThick(c.thick);
    e->SetExtrusion(c.ext);
    conv->Loads(e);
    TFRect b = e->GetBox();
    SCOPED_TRACE(c.name);
    for (int i = 0; i < 6; ++i) EXPECT_NEAR(b.V(i), c.want.V(i), 1e-12) << i;
  }
}

TEST_F(RayTest, StartPointDirectionAndBox) {
  auto* r = AddLoaded(new TvxDXFRay());
  r->SetStartPoint({1, 2, 3});
  r->SetDirection({0, 5, 0});
  EXPECT_EQ(r->GetPoint(), (TFPoint{1, 2, 3}));
  EXPECT_EQ(r->GetPoint1(), (TFPoint{1, 2, 3}));
  EXPECT_EQ(r->GetDirection(), (TFPoint{0, 5, 0}));  // not normalized
  TFRect b = r->GetBox();
  EXPECT_EQ(b.TopLeft(), (TFPoint{1, 2, 3}));
  EXPECT_EQ(b.BottomRight(), (TFPoint{1, 2, 3}));
  EXPECT_EQ(r->EntType(), ceRay);
  EXPECT_EQ(r->GetLayer()->GetName(), "0");
  EXPECT_EQ(Add(new TvxDXFXline())->EntType(), ceXline);
}

TEST_F(RayTest, ClipToViewEndsOnTheRectangle) {
  const TvxIntRect view{0, 0, 100, 100};
  auto* r = Add(new TvxDXFRay());
  r->SetStartPoint({50, 50, 0});
  r->SetDirection({1, 0, 0});
  r->ClipToView(cnstIdentityMat, view);
  ExpectNear(r->GetPoint1(), {100, 50, 0});
  EXPECT_EQ(r->GetPoint(), (TFPoint{50, 50, 0}));

  auto* x = Add(new TvxDXFXline());
  x->SetStartPoint({50, 50, 0});
  x->SetDirection({1, 1, 0});
  x->ClipToView(cnstIdentityMat, view);
  ExpectNear(x->GetPoint1(), {100, 100, 0});
  ExpectNear(x->GetPoint(), {0, 0, 0});  // the reversed end
}

TEST_F(RayTest, ClipToBoxTriesTheReversedDirectionOnlyForXlines) {
  const TFRect box{0, 10, 0, 10, 0, 0};
  struct Case {
    const char* name;
    bool xline;
    TFPoint start, dir;
    bool hit;
    double left, right;
  };
  for (const Case& c : std::initializer_list<Case>{
           {"ray towards", false, {-5, 5, 0}, {1, 0, 0}, true, 0, 10},
           {"ray away", false, {20, 5, 0}, {1, 0, 0}, false, 0, 0},
           {"xline away, reversed hits", true, {20, 5, 0}, {1, 0, 0}, true, 0, 10},
           {"xline from inside", true, {5, 5, 0}, {1, 0, 0}, true, 5, 10},
           {"xline beside", true, {20, 50, 0}, {1, 0, 0}, false, 0, 0}}) {
    TvxDXFRay* r = c.xline ? Add(new TvxDXFXline()) : Add(new TvxDXFRay());
    r->SetStartPoint(c.start);
    r->SetDirection(c.dir);
    TFRect clipped = BadBox;
    ASSERT_EQ(r->ClipRayToBox(box, clipped), c.hit) << c.name;
    if (!c.hit) continue;
    EXPECT_NEAR(clipped.Left, c.left, 1e-8) << c.name;
    EXPECT_NEAR(clipped.Right, c.right, 1e-8) << c.name;
    EXPECT_NEAR(clipped.Top, 5, 1e-8) << c.name;
  }
  // the base entity answers false
  TFRect clipped;
  EXPECT_FALSE(Add(new TvxDXFLine())->ClipRayToBox(box, clipped));
}

TEST_F(RayTest, ViewportCutKeepsRaysThatCrossTheView) {
  conv->SetImportMode(imImport);
  conv->SetViewPortCut(true);
  conv->SetViewPortRect({0, 10, 0, 10, 0, 0});
  conv->Params()->Matrix = cnstIdentityMat;
  struct Case {
    const char* name;
    bool xline;
    TFPoint start, dir;
    bool in;
  };
  for (const Case& c : std::initializer_list<Case>{
           {"ray from outside towards the view", false, {-50, 5, 0}, {1, 0, 0}, true},
           {"ray from outside away from it", false, {-50, 5, 0}, {-1, 0, 0}, false},
           {"xline whose start lies off to the side", true, {-50, 5, 0}, {-1, 0, 0}, true},
           {"xline beside the view", true, {-50, 50, 0}, {1, 0, 0}, false},
           {"ray at another height", false, {-50, 5, 7}, {1, 0, 0}, true}}) {
    TvxDXFRay* r = c.xline ? Add(new TvxDXFXline()) : Add(new TvxDXFRay());
    r->SetStartPoint(c.start);
    r->SetDirection(c.dir);
    int calls = 0;
    r->DoIterate(conv, nullptr, [&](TvxDXFEntity*) { return ++calls; });
    EXPECT_EQ(calls, c.in ? 1 : 0) << c.name;
  }
}

TEST_F(PointTest, MarkersFollowTheHeader) {
  struct Case {
    const char* name;
    int mode;
    double size;
    size_t parts;
    double halfWidth;  // of the marker box
  };
  for (const Case& c : std::initializer_list<Case>{
           {"dot", 0, 1, 0, 0},
           {"nothing", 1, 1, 0, 0},
           // Sizes of 0 and below are parts of the view height: the marker is scaled when drawn,
           // its box is the point.
           {"circle and cross, size 0", 35, 0, 3, 0},
           {"plus", 2, 2, 2, 2},
           {"square and plus", 66, 2, 3, 2},
           {"negative size, relative to the view", 3, -2, 2, 0}}) {
    conv->HeadVarStruct().PointDisplayMode = c.mode;
    conv->HeadVarStruct().PointDisplaySize = c.size;
    auto* p = Add(new TvxDXFPoint());
    p->SetPoint({10, 10, 0});
    conv->Loads(p);
    SCOPED_TRACE(c.name);
    if (c.parts == 0) {
      EXPECT_EQ(p->Shapes(), nullptr);
      EXPECT_EQ(p->GetBox().Left, 10);
      EXPECT_EQ(p->GetBox().Right, 10);
      continue;
    }
    ASSERT_NE(p->Shapes(), nullptr);
    EXPECT_EQ(p->Shapes()->Parts.size(), c.parts);
    EXPECT_NEAR(p->GetBox().Right, 10 + c.halfWidth, 1e-12);
    EXPECT_NEAR(p->GetBox().Left, 10 - c.halfWidth, 1e-12);
  }
}

TEST_F(PointTest, CircleOfModeThirtyFiveHasRadiusHalf) {
  conv->HeadVarStruct().PointDisplayMode = 35;
  auto* p = AddLoaded(new TvxDXFPoint());
  ASSERT_NE(p->Shapes(), nullptr);
  const auto& ring = p->Shapes()->Parts.back();
  ASSERT_EQ(ring.size(), static_cast<size_t>(conv->NumberOfPartsInCircle() + 1));
  for (const TFPoint& q : ring) EXPECT_NEAR(std::hypot(q.X, q.Y), 0.5, 1e-12);
}

TEST_F(PointTest, DefpointsLayerAndReloadDropMarkers) {
  conv->HeadVarStruct().PointDisplayMode = 3;
  auto* p = Add(new TvxDXFPoint());
  p->SetLayer(conv->LayerByName("Defpoints"));
  conv->Loads(p);
  EXPECT_EQ(p->Shapes(), nullptr);

  auto* q = AddLoaded(new TvxDXFPoint());
  ASSERT_NE(q->Shapes(), nullptr);
  conv->HeadVarStruct().PointDisplayMode = 1;
  conv->Loads(q);  // the shapes of the earlier load are freed
  EXPECT_EQ(q->Shapes(), nullptr);
}

TEST_F(PointTest, ThicknessRaisesMarkersAndBox) {
  auto* plain = Add(new TvxDXFPoint());
  plain->SetPoint({1, 2, 3});
  plain->SetZThick(2);
  conv->Loads(plain);
  EXPECT_EQ(plain->GetBox().Z1, 3);
  EXPECT_EQ(plain->GetBox().Z2, 5);

  conv->HeadVarStruct().PointDisplayMode = 2;
  conv->HeadVarStruct().PointDisplaySize = 1;
  auto* p = Add(new TvxDXFPoint());
  p->SetZThick(2);
  p->SetExtrusion({0, 0, -1});
  conv->Loads(p);
  ASSERT_NE(p->Shapes(), nullptr);
  ASSERT_EQ(p->Shapes()->Parts.size(), 4u);  // the plus and its raised copy
  EXPECT_NEAR(p->GetBox().Z1, -2, 1e-12);    // raised along the extrusion
  ExpectNear(p->Shapes()->Parts[1][0], {-1, 0, 0});  // X offsets mirror with the extrusion
}

}  // namespace
}  // namespace vx::test
