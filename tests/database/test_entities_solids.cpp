// Solids, traces and 3D faces: corner reduction, triangle classification, boxes with extrusion
// and thickness, and the walk's matrix.
#include "test_entities_fixture.h"

#include <initializer_list>
#include <stdexcept>

namespace vx::test {
namespace {

using SolidTest = EntitiesTest;

TvxDXFSolid* MakeSolid(TvxDXFSolid* s, const TFPoint& p0, const TFPoint& p1, const TFPoint& p2,
                       const TFPoint& p3) {
  s->SetPoint(p0);
  s->SetPoint1(p1);
  s->SetPoint2(p2);
  s->SetPoint3(p3);
  return s;
}

TEST_F(SolidTest, CornerCounts) {
  const TFPoint a{0, 0}, b{1, 0}, c{0, 1}, d{1, 1};
  struct Case {
    const char* name;
    TFPoint p0, p1, p2, p3;
    int count;
    TFPoint third;
  };
  for (const Case& k : std::initializer_list<Case>{
           {"quad", a, b, c, d, 4, c},
           {"triangle: fourth = third", a, b, c, c, 3, c},
           {"second = third", a, b, b, d, 3, d},
           {"first = fourth", a, b, c, a, 3, c},
           {"first = third", a, b, a, d, 3, d},
           {"a line", a, b, b, a, 2, b}}) {
    auto* s = Add(MakeSolid(new TvxDXFSolid(), k.p0, k.p1, k.p2, k.p3));
    TvxSolidCorners got = s->GetPoints(false, false);
    EXPECT_EQ(got.Count, k.count) << k.name;
    EXPECT_EQ(got.P[std::min(2, got.Count - 1)], k.third) << k.name;
  }
}

TEST_F(SolidTest, PointsWithThicknessAndExtrusion) {
  auto* s = Add(MakeSolid(new TvxDXFSolid(), {1, 0, 0}, {2, 0, 0}, {1, 1, 0}, {2, 1, 0}));
  s->SetZThick(3);
  s->SetExtrusion({0, 0, -1});
  TvxSolidCorners raw = s->GetPoints(false, false);
  ExpectNear(raw.P[0], {1, 0, 0});
  TvxSolidCorners up = s->GetPoints(true, false);
  ExpectNear(up.P[3], {2, 1, 3});
  TvxSolidCorners world = s->GetPoints(true, true);
  ExpectNear(world.P[0], {-1, 0, -3});
  ExpectNear(world.P[3], {-2, 1, -3});

  TFRect b = s->GetBox();
  EXPECT_NEAR(b.Left, -2, 1e-12);
  EXPECT_NEAR(b.Right, -1, 1e-12);
  EXPECT_NEAR(b.Bottom, 0, 1e-12);
  EXPECT_NEAR(b.Top, 1, 1e-12);
  EXPECT_NEAR(b.Z1, -3, 1e-12);
  EXPECT_NEAR(b.Z2, 0, 1e-12);
}

TEST_F(SolidTest, ExtrusionMatrixIsCachedAndDroppedOnWrite) {
  auto* s = Add(new TvxDXFSolid());
  EXPECT_EQ(s->GetExtrusionMatrix(), cnstIdentityMat);
  s->SetExtrusion({0, 0, -1});
  EXPECT_EQ(s->GetExtrusionMatrix(), ExtrusionMatrix({0, 0, -1}));
  s->SetExtrusion({1, 0, 0});
  EXPECT_EQ(s->GetExtrusionMatrix(), ExtrusionMatrix({1, 0, 0}));
  // an assigned extrusion replaces the cached matrix too
  auto* t = Add(new TvxDXFSolid());
  t->SetExtrusion({0, 1, 0});
  s->AssignEntity(t);
  EXPECT_EQ(s->GetExtrusionMatrix(), ExtrusionMatrix({0, 1, 0}));
  s->AssignEntity(Add(new TvxDXFSolid()));
  EXPECT_EQ(s->GetExtrusionMatrix(), cnstIdentityMat);
}

TEST_F(SolidTest, LoadClassifiesTheTrianglesAndKeepsFlagTwo) {
  struct Case {
    const char* name;
    TFPoint p0, p1, p2, p3;
    uint8_t want;
  };
  for (const Case& k : std::initializer_list<Case>{
           {"both up", {0, 0}, {1, 0}, {1, 1}, {0, 1}, 0},
           {"stored as a bow tie", {0, 0}, {1, 0}, {0, 1}, {1, 1}, cnstSolidSecondDown},
           {"mirrored", {0, 0}, {-1, 0}, {-1, 1}, {0, 1}, cnstSolidFirstDown | cnstSolidSecondDown},
           {"triangle", {0, 0}, {1, 0}, {0, 1}, {0, 1}, cnstSolidSecondEmpty},
           {"line", {0, 0}, {1, 0}, {1, 0}, {0, 0}, cnstSolidFirstEmpty | cnstSolidSecondEmpty}}) {
    auto* s = Add(MakeSolid(new TvxDXFSolid(), k.p0, k.p1, k.p2, k.p3));
    s->SetInternalFlags(0xFF);
    conv->Loads(s);
    EXPECT_EQ(s->GetInternalFlags(), k.want | 0x02) << k.name;
    EXPECT_EQ(s->GetLayer()->GetName(), "0") << k.name;
  }
}

TEST_F(SolidTest, WalkComposesTheExtrusionMatrixAndRestoresIt) {
  auto* s = AddLoaded(MakeSolid(new TvxDXFSolid(), {0, 0}, {1, 0}, {0, 1}, {1, 1}));
  TvxCADIterate* params = conv->Params();
  ASSERT_NE(params, nullptr);
  const TFMatrix view = ScaleMatrix(2, 3, 1);
  params->Matrix = view;

  TFMatrix seen{};
  int calls = 0;
  TvxEntityProc proc = [&](TvxDXFEntity*) {
    seen = params->Matrix;
    ++calls;
    return 1;
  };
  s->DoIterate(conv, nullptr, proc);
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(seen, view);  // no extrusion: the matrix as it is

  s->SetExtrusion({0, 0, -1});
  s->DoIterate(conv, nullptr, proc);
  EXPECT_EQ(calls, 2);
  EXPECT_EQ(seen, MultiplyMatrix(ExtrusionMatrix({0, 0, -1}), view));
  EXPECT_EQ(params->Matrix, view);
  // the stored corner (1, 0) reaches the device mirrored and scaled
  ExpectNear(TransformPoint(s->GetPoint1(), seen), {-2, 0, 0});

  // the matrix is restored when the visitor throws
  TvxEntityProc throwing = [&](TvxDXFEntity*) -> int { throw std::runtime_error("stop"); };
  EXPECT_THROW(s->DoIterate(conv, nullptr, throwing), std::runtime_error);
  EXPECT_EQ(params->Matrix, view);
}

TEST_F(SolidTest, KindsAndFaceFlags) {
  EXPECT_EQ(Add(new TvxDXFSolid())->EntType(), ceSolid);
  EXPECT_EQ(Add(new TvxDXFTrace())->EntType(), ceTrace);
  auto* f = Add(new TvxDXF3dFace());
  EXPECT_EQ(f->EntType(), ce3dFace);
  f->SetFlags(15);
  EXPECT_EQ(f->GetFlags(), 15);
  EXPECT_TRUE(f->GetVisibility());  // edge flags are not the visibility bit
  f->SetVisibility(false);
  EXPECT_EQ(f->GetFlags(), 15);
  TvxEntityPtr<TvxDXF3dFace> copy(static_cast<TvxDXF3dFace*>(f->Clone()));
  EXPECT_EQ(copy->GetFlags(), 15);
  EXPECT_FALSE(copy->GetVisibility());
}

}  // namespace
}  // namespace vx::test
