// The basic entities inside a drawing: loaded through the converter and counted into the
// layout extents, rays and construction lines clipped to the rest.
#include "test_entities_fixture.h"

#include <vector>

namespace vx::test {
namespace {

using EntitiesExtentsTest = EntitiesTest;

TFRect ModelBox(TvxDXFConverter* conv) {
  conv->DoExtents();
  return conv->Layouts(0)->GetBox();
}

void ExpectBox(const TFRect& b, double l, double btm, double z1, double r, double t, double z2) {
  EXPECT_NEAR(b.Left, l, 1e-9);
  EXPECT_NEAR(b.Bottom, btm, 1e-9);
  EXPECT_NEAR(b.Z1, z1, 1e-9);
  EXPECT_NEAR(b.Right, r, 1e-9);
  EXPECT_NEAR(b.Top, t, 1e-9);
  EXPECT_NEAR(b.Z2, z2, 1e-9);
}

TEST_F(EntitiesExtentsTest, EveryKindCountsWithItsWorldBox) {
  auto* line = AddLoaded(new TvxDXFLine());
  line->SetLine({{0, 0, 0}, {1, 1, 0}});
  auto* circle = Add(new TvxDXFCircle());
  circle->SetPoint({10, 0, 0});
  circle->SetRadius(1);
  circle->SetExtrusion({0, 0, -1});  // centre at world (-10, 0, 0)
  conv->Loads(circle);
  auto* solid = Add(new TvxDXFSolid());
  solid->SetPoint({0, 5, 0});
  solid->SetPoint1({2, 5, 0});
  solid->SetPoint2({0, 6, 0});
  solid->SetPoint3({0, 6, 0});
  solid->SetZThick(4);
  conv->Loads(solid);
  conv->HeadVarStruct().PointDisplayMode = 3;
  conv->HeadVarStruct().PointDisplaySize = 1;
  auto* point = AddLoaded(new TvxDXFPoint());
  point->SetPoint({5, -3, 0});
  conv->Loads(point);
  auto* ellipse = Add(new TvxDXFEllipse());
  ellipse->SetPoint({4, 0, -1});
  ellipse->SetRadPt({0, 2, 0});
  ellipse->SetRatio(0.5);
  conv->Loads(ellipse);

  const double a = 0.7071067811865476;
  ExpectBox(ModelBox(conv), -11, -3 - a, -1, 5 + a, 6, 4);

  auto* face = Add(new TvxDXF3dFace());
  face->SetPoint({20, 0, 5});
  face->SetPoint1({21, 0, 5});
  face->SetPoint2({21, 1, 5});
  face->SetPoint3({20, 1, 5});
  conv->Loads(face);
  auto* arc = Add(new TvxDXFArc());
  arc->SetArc({{0, -10, 0}, 1, 180, 0});  // the lower half
  conv->Loads(arc);
  ExpectBox(ModelBox(conv), -11, -11, -1, 21, 6, 5);
}

TEST_F(EntitiesExtentsTest, HiddenPointsAndInvisibleEntitiesDoNotCount) {
  auto* line = AddLoaded(new TvxDXFLine());
  line->SetLine({{0, 0, 0}, {1, 1, 0}});
  auto* p = AddLoaded(new TvxDXFPoint());
  p->SetPoint({50, 50, 0});
  conv->HeadVarStruct().PointDisplayMode = 1;
  ExpectBox(ModelBox(conv), 0, 0, 0, 1, 1, 0);
  conv->HeadVarStruct().PointDisplayMode = 0;
  ExpectBox(ModelBox(conv), 0, 0, 0, 50, 50, 0);
  p->SetVisibility(false);
  ExpectBox(ModelBox(conv), 0, 0, 0, 1, 1, 0);
}

TEST_F(EntitiesExtentsTest, RaysAreClippedToTheRest) {
  auto* line = AddLoaded(new TvxDXFLine());
  line->SetLine({{0, 0, 0}, {10, 10, 0}});
  auto* ray = AddLoaded(new TvxDXFRay());
  ray->SetStartPoint({5, -100, 0});  // outside, pointing in: adds nothing beyond the box
  ray->SetDirection({0, 1, 0});
  auto* xline = AddLoaded(new TvxDXFXline());
  xline->SetStartPoint({100, 5, 0});  // misses forwards, crosses backwards
  xline->SetDirection({1, 0, 0});
  ExpectBox(ModelBox(conv), 0, 0, 0, 10, 10, 0);

  // a ray starting inside the box never widens it, whatever its length
  auto* inner = AddLoaded(new TvxDXFRay());
  inner->SetStartPoint({2, 2, 0});
  inner->SetDirection({1e6, 3, 0});
  ExpectBox(ModelBox(conv), 0, 0, 0, 10, 10, 0);
}

TEST_F(EntitiesExtentsTest, AnXlineAloneGivesNoExtents) {
  auto* xline = AddLoaded(new TvxDXFXline());
  xline->SetStartPoint({0, 0, 0});
  xline->SetDirection({1, 0, 0});
  EXPECT_TRUE(IsBadBox(ModelBox(conv)));
}

TEST_F(EntitiesExtentsTest, BadGeometryDropsOutOfTheExtents) {
  auto* line = AddLoaded(new TvxDXFLine());
  line->SetLine({{0, 0, 0}, {1, 1, 0}});
  auto* arc = Add(new TvxDXFArc());
  arc->SetRadius(1);
  arc->SetStartAngle(kNaN);
  conv->Loads(arc);
  EXPECT_TRUE(IsBadBox(arc->GetBox()));
  ExpectBox(ModelBox(conv), 0, 0, 0, 1, 1, 0);
}

// One entity of every kind with some geometry of its own.
std::vector<TvxDXFEntity*> EveryKind() {
  auto* line = new TvxDXFLine();
  line->SetLine({{1, 2, 3}, {4, 6, 3}});
  line->SetZThick(2);
  auto* ray = new TvxDXFRay();
  ray->SetStartPoint({1, 1, 0});
  ray->SetDirection({0, 2, 0});
  auto* xline = new TvxDXFXline();
  xline->SetStartPoint({-1, 1, 0});
  xline->SetDirection({1, 2, 0});
  auto* point = new TvxDXFPoint();
  point->SetPoint({3, 3, 3});
  point->SetZThick(-1);
  auto* solid = new TvxDXFSolid();
  solid->SetPoint1({1, 0, 0});
  solid->SetPoint2({0, 1, 0});
  solid->SetPoint3({1, 1, 0});
  solid->SetExtrusion({0, 1, 0});
  auto* trace = new TvxDXFTrace();
  trace->SetPoint1({2, 0, 0});
  trace->SetPoint2({0, 2, 0});
  trace->SetPoint3({0, 2, 0});
  auto* face = new TvxDXF3dFace();
  face->SetPoint1({1, 0, 1});
  face->SetPoint2({1, 1, 2});
  face->SetPoint3({0, 1, 1});
  face->SetFlags(5);
  auto* circle = new TvxDXFCircle();
  circle->SetPoint({2, 0, 1});
  circle->SetRadius(1.5);
  circle->SetExtrusion({1, 1, 1});
  auto* arc = new TvxDXFArc();
  arc->SetArc({{0, 0, 0}, 2, 300, 30});
  arc->SetZThick(1);
  auto* ellipse = new TvxDXFEllipse();
  ellipse->SetPoint({1, 1, 1});
  ellipse->SetRadPt({3, 0, 0});
  ellipse->SetRatio(0.25);
  ellipse->SetStartAngle(90);
  ellipse->SetExtrusion({0, 0, -1});
  return {line, ray, xline, point, solid, trace, face, circle, arc, ellipse};
}

TEST_F(EntitiesExtentsTest, ClonesOfEveryKindLoadToTheSameGeometry) {
  conv->HeadVarStruct().PointDisplayMode = 34;
  for (TvxDXFEntity* e : EveryKind()) {
    Add(e);
    conv->Loads(e);
    TvxEntityPtr<> copy(e->Clone());
    Add(copy.get());
    TvxDXFEntity* c = copy.release();  // the model space owns it now
    conv->Loads(c);
    SCOPED_TRACE(e->ClassName());
    EXPECT_EQ(c->EntType(), e->EntType());
    EXPECT_EQ(c->GetFlags(), e->GetFlags());
    EXPECT_EQ(c->GetExtrusion(), e->GetExtrusion());
    const TFRect a = e->GetBox(), b = c->GetBox();
    ASSERT_FALSE(IsBadBox(a));
    for (int i = 0; i < 6; ++i) EXPECT_NEAR(a.V(i), b.V(i), 1e-12) << i;
    if (auto* p = dynamic_cast<TvxCADBasePolyline*>(e)) {
      EXPECT_EQ(p->PolyPoints().Vector(),
                static_cast<TvxCADBasePolyline*>(c)->PolyPoints().Vector());
    }
  }
}

TEST_F(EntitiesExtentsTest, LoadingWithoutADrawingDoesNotCrash) {
  for (TvxDXFEntity* e : EveryKind()) {
    TvxEntityPtr<> owned(e);
    e->LoadData(nullptr);
    e->GetBox();
    SCOPED_TRACE(e->ClassName());
    if (auto* p = dynamic_cast<TvxCADBasePolyline*>(e)) {
      EXPECT_GT(p->PointCount(), 0);
    }
  }
}

}  // namespace
}  // namespace vx::test
