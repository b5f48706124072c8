// The wipeout's geometry: the corners of its pixel frame, width and height, and the clip
// polygon built from rectangle and polygon boundaries in pixel coordinates.
#include "database/images/vxWipeouts.h"
#include "test_entities_fixture.h"

namespace vx::test {
namespace {

class WipeoutTest : public EntitiesTest {
 protected:
  // The picture-sized frame: 640 x 480 pixels of 0.1 at (10, 20).
  TvxCADWipeout* Frame() {
    auto* w = new TvxCADWipeout();
    w->SetPoint({10, 20, 0});
    w->SetUVector({0.1, 0, 0});
    w->SetVVector({0, 0.1, 0});
    w->SetSize({640, 480, 0});
    return w;
  }
};

TEST_F(WipeoutTest, FrameCornersAndSize) {
  TvxCADWipeout* w = Add(Frame());
  ExpectNear(w->Point1(), {74, 20, 0});
  ExpectNear(w->Point2(), {10, 68, 0});
  ExpectNear(w->Point3(), {74, 68, 0});
  EXPECT_NEAR(w->Width(), 64, 1e-9);
  EXPECT_NEAR(w->Height(), 48, 1e-9);
  w->SetWidth(128);  // both vectors double: the aspect ratio stays
  EXPECT_NEAR(w->Height(), 96, 1e-9);
  w->SetSize({0, 0, 0});
  w->SetWidth(5);  // no ratio from a zero width: unchanged
  EXPECT_NEAR(w->UVector().X, 0.2, 1e-12);
}

TEST_F(WipeoutTest, ClipBoundariesBecomeWorldPolygons) {
  struct Case {
    const char* Name;
    uint8_t Type;
    std::vector<TF2DPoint> Clip;
    std::vector<TFPoint> Want;
  };
  const Case cases[] = {
      {"rectangle", 1, {{-0.5, -0.5}, {639.5, 479.5}}, {{10, 68, 0}, {74, 68, 0}, {74, 20, 0}, {10, 20, 0}}},
      {"rectangle of one point", 1, {{-0.5, -0.5}}, {}},
      {"polygon", 2, {{-0.5, -0.5}, {319.5, 479.5}, {639.5, -0.5}}, {{10, 68, 0}, {42, 20, 0}, {74, 68, 0}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    TvxCADWipeout* w = Frame();
    w->SetClippingBoundaryType(c.Type);
    for (const TF2DPoint& p : c.Clip) w->AddPoint(p.X, p.Y);
    AddLoaded(w);
    ASSERT_EQ(w->PointCount(), static_cast<int>(c.Want.size()));
    for (size_t i = 0; i < c.Want.size(); ++i) ExpectNear(w->GetPoints(static_cast<int>(i)), c.Want[i], 1e-9);
    EXPECT_EQ(IsBadBox(w->GetBox()), c.Want.empty());
  }
}

TEST_F(WipeoutTest, UnitWipeoutSpansItsTwoVectors) {
  auto* w = new TvxCADWipeout();
  w->SetUVector({2, 0, 0});
  w->SetVVector({0, 3, 0});
  w->SetClippingBoundaryType(2);
  for (const TF2DPoint& p : {TF2DPoint{-0.5, -0.5}, {0.5, -0.5}, {0.5, 0.5}, {-0.5, 0.5}}) w->AddPoint(p.X, p.Y);
  AddLoaded(w);
  ASSERT_EQ(w->PointCount(), 4);
  ExpectNear(w->GetPoints(0), {0, 3, 0});
  ExpectNear(w->GetPoints(1), {2, 3, 0});
  ExpectNear(w->GetPoints(2), {2, 0, 0});
  ExpectNear(w->GetPoints(3), {0, 0, 0});
}

}  // namespace
}  // namespace vx::test
