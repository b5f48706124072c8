// The "WIPEOUT" record and the wipeout variables of the objects section.
#include "database/images/vxWipeouts.h"
#include "test_dxf_load_fixture.h"

namespace vx::dxftest {
namespace {

Pairs Wipeout(const Pairs& clip, int type) {
  Pairs p{{0, "WIPEOUT"}, {5, "3F"}, {8, "0"}, {90, "0"}, {10, "1"}, {20, "2"}, {30, "0"},
          {11, "4"}, {21, "0"}, {31, "0"}, {12, "0"}, {22, "2"}, {32, "0"}, {13, "1"}, {23, "1"},
          {70, "7"}, {280, "1"}, {281, "50"}, {282, "50"}, {283, "0"}, {71, std::to_string(type)},
          {91, std::to_string(clip.size() / 2)}};
  p.insert(p.end(), clip.begin(), clip.end());
  return p;
}

TEST(DxfWipeout, FieldsAndClipPolygon) {
  Drawing d;
  d.Load(Entities(Wipeout({{14, "-0.5"}, {24, "-0.5"}, {14, "0.5"}, {24, "-0.5"}, {14, "0"}, {24, "0.5"}}, 2)));
  auto* w = d.As<TvxCADWipeout>(0);
  ASSERT_NE(w, nullptr) << d.Error;
  EXPECT_EQ(w->EntType(), ceWipeOut);
  EXPECT_EQ(w->GetFlags(), 7);
  EXPECT_TRUE(w->UseClipping());
  EXPECT_EQ(w->ClippingBoundaryType(), 2);
  ASSERT_EQ(w->ClipPointsCount(), 3);
  EXPECT_EQ(w->GetClipPoint(2).Y, 0.5);
  // the polygon in world units: (1, 2) + u x (4, 0) + v x (0, 2)
  ASSERT_EQ(w->PointCount(), 3);
  EXPECT_NEAR(w->GetPoints(0).X, 1, 1e-9);
  EXPECT_NEAR(w->GetPoints(0).Y, 4, 1e-9);
  EXPECT_NEAR(w->GetPoints(2).X, 3, 1e-9);
  EXPECT_NEAR(w->GetPoints(2).Y, 2, 1e-9);
  EXPECT_FALSE(d.Conv->HideWipeouts());
}

TEST(DxfWipeout, WipeoutVariablesHideTheFrames) {
  for (const char* shown : {"0", "1"}) {
    Drawing d;
    d.Load(WithEOF(Join({Section("ENTITIES", Wipeout({{14, "-0.5"}, {24, "-0.5"}, {14, "0.5"}, {24, "0.5"}}, 1)),
                         Section("OBJECTS", {{0, "WIPEOUTVARIABLES"}, {5, "40"}, {70, shown}})})));
    EXPECT_EQ(d.Count(), 1) << d.Error;
    EXPECT_EQ(d.Conv->HideWipeouts(), std::string(shown) == "0");
  }
}

}  // namespace
}  // namespace vx::dxftest
