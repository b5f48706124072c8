// Bulge arcs of polylines are generated into the point list directly for thin polylines in world
// coordinates, and through object coordinates for extruded or wide ones: every route must give the
// same points, counts and box, including the arcs the generator refuses.
#include "database/entities/vxEntPolylines.h"
#include "test_entities_fixture.h"

#include <initializer_list>
#include <vector>

namespace vx::test {
namespace {

using PolylineArcsTest = EntitiesTest;

struct V {
  TFPoint P;
  double Bulge = 0, SW = 0, EW = 0;
};

TvxDXFLWPolyline* MakeLW(std::initializer_list<V> vs, bool closed) {
  auto* p = new TvxDXFLWPolyline();
  for (const V& v : vs) p->AddVertex(v.P, v.Bulge, v.SW, v.EW);
  p->SetClosed(closed);
  return p;
}

// Vertices with every kind of segment: arcs both ways, a tiny bulge the generator refuses (drawn
// straight), a straight piece, a repeated point with a bulge, and a closing arc.
const std::initializer_list<V> kMixed = {{{0, 0, 0}, 0.5},   {{10, 0, 0}, -1.0}, {{10, 10, 0}, 1e-10},
                                         {{0, 10, 0}, 0},    {{0, 5, 0}, 0.3},   {{0, 5, 0}, 0.25},
                                         {{-5, 2, 0}, -0.7}};

}  // namespace

TEST_F(PolylineArcsTest, WideAndExtrudedRoutesGiveTheDirectPoints) {
  for (bool closed : {false, true}) {
    SCOPED_TRACE(closed);
    auto* thin = AddLoaded(MakeLW(kMixed, closed));
    // the same vertices with a constant width: the points are built for the outline as well
    auto* wide = MakeLW(kMixed, closed);
    wide->SetGlobalWidth(0.5);
    AddLoaded(wide);
    ASSERT_EQ(wide->PolyPoints().Vector(), thin->PolyPoints().Vector());
    EXPECT_EQ(wide->PointsCounts().Vector(), thin->PointsCounts().Vector());
    EXPECT_NE(wide->Arrows(), nullptr);
    // mirrored by its extrusion: the same points, mapped to world coordinates
    auto* mirrored = MakeLW(kMixed, closed);
    mirrored->SetExtrusion({0, 0, -1});
    AddLoaded(mirrored);
    ASSERT_EQ(mirrored->PointCount(), thin->PointCount());
    EXPECT_EQ(mirrored->PointsCounts().Vector(), thin->PointsCounts().Vector());
    for (int i = 0; i < thin->PointCount(); ++i) {
      const TFPoint a = thin->GetPoints(i), b = mirrored->GetPoints(i);
      EXPECT_DOUBLE_EQ(b.X, -a.X) << i;
      EXPECT_DOUBLE_EQ(b.Y, a.Y) << i;
    }
    const TFRect box = thin->GetBox();
    EXPECT_DOUBLE_EQ(mirrored->GetBox().Left, -box.Right);
    EXPECT_DOUBLE_EQ(mirrored->GetBox().Top, box.Top);
  }
}

TEST_F(PolylineArcsTest, CountsOfEachSegmentKind) {
  auto* p = AddLoaded(MakeLW(kMixed, true));
  // arcs add N + 1 = 49 points, the refused tiny bulge, the straight piece and the repeated
  // point one each
  EXPECT_EQ(p->PointsCounts().Vector(), (std::vector<int32_t>{49, 49, 1, 1, 1, 49, 49}));
  EXPECT_EQ(p->PointCount(), 4 * 49 + 3);
  // the refused bulge leaves its vertex alone, followed by the next vertex's point
  EXPECT_EQ(p->GetPoints(98), (TFPoint{10, 10, 0}));
  EXPECT_EQ(p->GetPoints(99), (TFPoint{0, 10, 0}));
  // every arc starts on its vertex and ends on the next one
  EXPECT_EQ(p->GetPoints(0), (TFPoint{0, 0, 0}));
  EXPECT_EQ(p->GetPoints(48), (TFPoint{10, 0, 0}));
  EXPECT_EQ(p->GetPoints(p->PointCount() - 1), (TFPoint{0, 0, 0}));
}

TEST_F(PolylineArcsTest, ReloadingGivesTheSamePoints) {
  // the list is rebuilt from scratch on every load, whatever room the last one left
  auto* p = AddLoaded(MakeLW(kMixed, true));
  const std::vector<TFPoint> first = p->PolyPoints().Vector();
  conv->Loads(p);
  EXPECT_EQ(p->PolyPoints().Vector(), first);
  p->GetVertex(0)->SetBulge(0);
  conv->Loads(p);
  EXPECT_EQ(p->PointCount(), static_cast<int>(first.size()) - 48);
}

}  // namespace vx::test
