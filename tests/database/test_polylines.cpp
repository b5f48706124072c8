// Polylines: vertex points and bulge arcs, PointsCounts, elevation and extrusion rules, the
// kinds (3D, polygon mesh, polyface mesh), measures, boxes and malformed counts.
#include "database/entities/vxEntPolylines.h"
#include "test_entities_fixture.h"

#include <climits>
#include <initializer_list>

namespace vx::test {
namespace {

using PolylineTest = EntitiesTest;

struct V {
  TFPoint P;
  double Bulge = 0, SW = 0, EW = 0;
};

template <class T = TvxDXFLWPolyline>
T* MakePoly(std::initializer_list<V> vs, bool closed = false) {
  auto* p = new T();
  for (const V& v : vs) p->AddVertex(v.P, v.Bulge, v.SW, v.EW);
  p->SetClosed(closed);
  return p;
}

TEST_F(PolylineTest, ClosedTwoVertexBulgeOneIsAFullCircleOf98Points) {
  struct Case {
    double bulge;
    double midY;  // the half circle from (0,0) to (2,0) passes (1, midY)
  };
  for (const Case& k : std::initializer_list<Case>{{1.0, -1.0}, {-1.0, 1.0}}) {
    SCOPED_TRACE(k.bulge);
    auto* p = AddLoaded(MakePoly({{{0, 0, 0}, k.bulge}, {{2, 0, 0}, k.bulge}}, true));
    ASSERT_EQ(p->PointCount(), 98);
    ASSERT_EQ(p->PointsCounts().Count(), 2);
    EXPECT_EQ(p->PointsCounts()[0], 49);
    EXPECT_EQ(p->PointsCounts()[1], 49);
    for (const TFPoint& q : p->PolyPoints())
      EXPECT_NEAR(DistanceFPoint(q, {1, 0, 0}), 1.0, 1e-12);
    // each half circle repeats its end point: the joins are duplicated on purpose
    EXPECT_EQ(p->GetPoints(48), p->GetPoints(49));
    ExpectNear(p->GetPoints(24), {1, k.midY, 0}, 1e-12);
    ExpectNear(p->GetPoints(73), {1, -k.midY, 0}, 1e-12);
    TFRect b = p->GetBox();
    EXPECT_NEAR(b.Left, 0, 1e-12);
    EXPECT_NEAR(b.Right, 2, 1e-12);
    EXPECT_NEAR(b.Top, 1, 1e-12);
    EXPECT_NEAR(b.Bottom, -1, 1e-12);
    EXPECT_NEAR(p->BulgeHeight(0), 1.0, 1e-12);
  }
}

TEST_F(PolylineTest, BulgeSegmentCountIsClampedTo3And255) {
  struct Case {
    int parts;
    int arcPoints;
  };
  for (const Case& k : std::initializer_list<Case>{{2, 4}, {48, 49}, {1000, 256}}) {
    conv->SetNumberOfPartsInCircle(k.parts);
    auto* p = AddLoaded(MakePoly({{{0, 0, 0}, 0.5}, {{4, 0, 0}}}));
    ASSERT_EQ(p->PointsCounts().Count(), 2) << k.parts;
    EXPECT_EQ(p->PointsCounts()[0], k.arcPoints) << k.parts;
    EXPECT_EQ(p->PointsCounts()[1], 1) << k.parts;
    // the open end adds the last vertex again after the arc's own copy of it
    EXPECT_EQ(p->PointCount(), k.arcPoints + 1) << k.parts;
  }
}

// A lightweight polyline keeps vertex Z: a bulge arc between two heights climbs evenly.
TEST_F(PolylineTest, BulgeArcZRunsEvenlyBetweenItsEnds) {
  auto* p = AddLoaded(MakePoly({{{0, 0, 0}, 1}, {{2, 0, 4}}}));
  ASSERT_EQ(p->PointCount(), 50);
  for (int i = 0; i <= 48; ++i) EXPECT_NEAR(p->GetPoints(i).Z, 4.0 * i / 48, 1e-12) << i;
  EXPECT_EQ(p->GetBox().Z2, 4);
}

// Very many bulges get coarser arcs instead of exhausting memory.
TEST_F(PolylineTest, PointBudgetCoarsensBulgeArcs) {
  struct BudgetScope {
    int64_t Saved = PolylinePointBudget;
    ~BudgetScope() { PolylinePointBudget = Saved; }
  } scope;
  PolylinePointBudget = 500;
  auto* p = new TvxDXFLWPolyline();
  for (int i = 0; i < 20; ++i) p->AddVertex({double(i), 0, 0}, 0.5);
  AddLoaded(p);
  EXPECT_EQ(p->PointsCounts()[0], 25);
  EXPECT_LE(p->PointCount(), 500);
  PolylinePointBudget = 10;  // never fewer than 3 segments
  conv->Loads(p);
  EXPECT_EQ(p->PointsCounts()[0], 4);
}

TEST_F(PolylineTest, DegenerateBulgesDrawStraight) {
  struct Case {
    const char* name;
    TFPoint second;
    double bulge;
  };
  const double inf = std::numeric_limits<double>::infinity();
  for (const Case& k : std::initializer_list<Case>{{"coincident", {1e-7, 0, 0}, 1.0},
                                                   {"nan", {2, 0, 0}, kNaN},
                                                   {"inf", {2, 0, 0}, inf},
                                                   {"denormal", {2, 0, 0}, 1e-320},
                                                   {"zero", {2, 0, 0}, 0.0}}) {
    auto* p = AddLoaded(MakePoly({{{0, 0, 0}, k.bulge}, {k.second}}));
    ASSERT_EQ(p->PointCount(), 2) << k.name;
    EXPECT_EQ(p->PointsCounts()[0], 1) << k.name;
    EXPECT_EQ(p->GetPoints(0), (TFPoint{0, 0, 0})) << k.name;
    EXPECT_EQ(p->Arrows(), nullptr) << k.name;
    EXPECT_FALSE(IsBadBox(p->GetBox())) << k.name;
  }
}

TEST_F(PolylineTest, FrameAndFaceVerticesTakeNoPoints) {
  auto* p = MakePoly<TvxDXFPolyline>({{{0, 0, 0}}, {{5, 5, 0}}, {{10, 0, 0}}});
  p->GetVertex(1)->SetFlags(cnstVertexSplineFrame);
  AddLoaded(p);
  ASSERT_EQ(p->PointCount(), 2);
  EXPECT_EQ(p->PointsCounts().Vector(), (std::vector<int32_t>{1, -1, 1}));
  EXPECT_EQ(p->GetPoints(1), (TFPoint{10, 0, 0}));
}

TEST_F(PolylineTest, ElevationAndExtrusionRules) {
  struct Case {
    const char* name;
    bool lw;
    int flags;
    TFPoint ext;
    double elevation;
    TFPoint vertex;
    TFPoint want;
  };
  for (const Case& k : std::initializer_list<Case>{
           // a 2D polyline puts its points at the elevation whatever their stored Z
           {"2d elevation", false, 0, cnstExtrusion, 5, {1, 2, 3}, {1, 2, 5}},
           // a 3D polyline keeps its vertex Z (subtracted, then added back)
           {"3d elevation", false, cnstPolyline3D, cnstExtrusion, 5, {1, 2, 3}, {1, 2, 3}},
           // the lightweight form raises the stored Z by the elevation
           {"lw elevation", true, 0, cnstExtrusion, 5, {1, 2, 3}, {1, 2, 8}},
           {"2d mirrored", false, 0, {0, 0, -1}, 0, {1, 2, 0}, {-1, 2, 0}},
           {"lw mirrored", true, 0, {0, 0, -1}, 2, {1, 2, 0}, {-1, 2, -2}},
           // 3D polylines and meshes never count as extruded
           {"3d mirrored", false, cnstPolyline3D, {0, 0, -1}, 0, {1, 2, 3}, {1, 2, 3}},
       }) {
    TvxDXFPolyline* p = k.lw ? new TvxDXFLWPolyline() : new TvxDXFPolyline();
    p->SetFlags(k.flags);
    p->SetExtrusion(k.ext);
    p->SetPoint({0, 0, k.elevation});
    p->AddVertex(k.vertex);
    p->AddVertex({10, 10, k.vertex.Z});
    AddLoaded(p);
    ASSERT_EQ(p->PointCount(), 2) << k.name;
    ExpectNear(p->GetPoints(0), k.want);
  }
}

TEST_F(PolylineTest, Polyline3DVerticesRefuseBulgeAndWidths) {
  auto* p = Add(new TvxDXFPolyline());
  p->AddVertex({0, 0, 0}, 0.5, 1, 1);  // 2D: kept
  EXPECT_EQ(p->GetVertex(0)->GetBulge(), 0.5);
  p->SetPolyline3D(true);  // makes the vertices 3D, which clears them
  EXPECT_TRUE(p->GetVertex(0)->Is3DVertex());
  EXPECT_EQ(p->GetVertex(0)->GetBulge(), 0);
  EXPECT_EQ(p->GetVertex(0)->GetStartWidth(), 0);
  TvxDXFVertex* v = p->AddVertex({3, 4, 5}, 1.0, 2, 2);  // added to a 3D polyline: made 3D
  EXPECT_TRUE(v->Is3DVertex());
  v->SetBulge(1);
  v->SetStartWidth(3);
  v->SetEndWidth(3);
  EXPECT_EQ(v->GetBulge(), 0);
  EXPECT_EQ(v->GetStartWidth(), 0);
  EXPECT_EQ(v->GetEndWidth(), 0);
  p->SetExtrusion({0, 0, -1});
  conv->Loads(p);
  ASSERT_EQ(p->PointCount(), 2);
  EXPECT_EQ(p->GetPoints(1), (TFPoint{3, 4, 5}));
  EXPECT_EQ(p->Arrows(), nullptr);
}

TEST_F(PolylineTest, ContainerAcceptsOnlyVertices) {
  auto* p = Add(new TvxDXFLWPolyline());
  auto* line = new TvxDXFLine();
  EXPECT_EQ(p->AddEntity(line), -1);
  line->Free();
  auto* v = new TvxDXFVertex();
  EXPECT_EQ(p->AddEntity(v), 0);
  EXPECT_EQ(v->GetOwner(), p);
  EXPECT_EQ(p->GetVertex(0), v);
  EXPECT_EQ(p->GetVertex(1), nullptr);
  EXPECT_EQ(p->GetVertex(-1), nullptr);
  EXPECT_EQ(p->DeleteEntity(5), nullptr);
  TvxDXFEntity* out = p->DeleteEntity(0);
  EXPECT_EQ(out, v);
  EXPECT_EQ(v->GetOwner(), nullptr);
  v->Free();
  // an empty polyline loads to nothing
  conv->Loads(p);
  EXPECT_EQ(p->PointCount(), 0);
  EXPECT_TRUE(IsBadBox(p->GetBox()));
}

TEST_F(PolylineTest, MeasuresUseTheBottomOutlineOnly) {
  auto* p = MakePoly({{{0, 0, 0}}, {{10, 0, 0}}, {{10, 10, 0}}, {{0, 10, 0}}}, true);
  p->SetZThick(3);
  AddLoaded(p);
  ASSERT_EQ(p->PointCount(), 8);  // bottom and raised top
  EXPECT_NEAR(p->Length(), 40, 1e-12);
  EXPECT_NEAR(p->Area(), 100, 1e-12);
  EXPECT_EQ(p->GetBox().Z2, 3);
  p->SetClosed(false);
  conv->Loads(p);
  EXPECT_NEAR(p->Length(), 30, 1e-12);
}

// ---- meshes ---------------------------------------------------------------------------------

TEST_F(PolylineTest, PolygonMeshNeedsExactlyMTimesNPoints) {
  struct Case {
    const char* name;
    int m, n, vertices;
    int points;
    bool mesh;
  };
  for (const Case& k : std::initializer_list<Case>{
           {"exact", 3, 4, 12, 12, true},
           {"short", 3, 4, 11, 0, false},
           {"extra vertices beyond the grid", 3, 4, 14, 12, true},
           {"32-bit product wraps to 0", 65536, 65536, 4, 0, false},
           {"product beyond int", INT_MAX, 3, 4, 0, false},
           {"negative", -3, 4, 12, 0, false},
           {"one row", 1, 4, 4, 4, false},
       }) {
    auto* p = Add(new TvxDXFPolyline());
    p->SetFlags(cnstPolylineMesh);
    p->SetMeshM(k.m);
    p->SetMeshN(k.n);
    for (int i = 0; i < k.vertices; ++i) p->AddVertex({double(i % 4), double(i / 4), double(i)});
    conv->Loads(p);
    EXPECT_EQ(p->PointCount(), k.points) << k.name;
    EXPECT_EQ(p->IsPolygonMesh(), k.mesh) << k.name;
    if (k.points > 0) {
      EXPECT_EQ(p->GetPoints(k.points - 1).Z, k.points - 1) << k.name;
      // meshes keep their vertex points: no elevation, extrusion or thickness
    }
  }
}

TEST_F(PolylineTest, LightweightIsNeverAMeshNor3D) {
  auto* p = Add(new TvxDXFLWPolyline());
  p->SetFlags(cnstPolylineMesh | cnstPolyline3D);
  p->SetMeshM(2);
  p->SetMeshN(2);
  p->SetPolyline3D(true);
  for (int i = 0; i < 4; ++i) p->AddVertex({double(i), 0, 0}, 0.5);
  EXPECT_FALSE(p->GetVertex(0)->Is3DVertex());
  conv->Loads(p);
  EXPECT_FALSE(p->IsPolygonMesh());
  EXPECT_FALSE(p->Polyline3D());
  EXPECT_EQ(p->PointsCounts()[0], 49);  // drawn as a polyline with its bulges
}

TEST_F(PolylineTest, ClosedInNClosesAPlainPolyline) {
  auto* p = Add(new TvxDXFPolyline());
  p->SetFlags(cnstPolylineMeshNClosed);
  p->AddVertex({0, 0, 0});
  p->AddVertex({2, 0, 0}, 1.0);  // the closing segment is a half circle back to the start
  conv->Loads(p);
  EXPECT_EQ(p->PointsCounts().Vector(), (std::vector<int32_t>{1, 49}));
  EXPECT_EQ(p->PolyPoints().Last(), (TFPoint{0, 0, 0}));
}

TEST_F(PolylineTest, MeshIgnoresThicknessAndExtrusion) {
  auto* p = Add(new TvxDXFPolyline());
  p->SetFlags(cnstPolylineMesh);
  p->SetMeshM(2);
  p->SetMeshN(2);
  p->SetZThick(5);
  p->SetExtrusion({0, 0, -1});
  for (TFPoint q : {TFPoint{0, 0, 1}, TFPoint{1, 0, 1}, TFPoint{0, 1, 1}, TFPoint{1, 1, 1}})
    p->AddVertex(q);
  conv->Loads(p);
  ASSERT_EQ(p->PointCount(), 4);
  EXPECT_TRUE(p->IsPolygonMesh());
  EXPECT_EQ(p->GetPoints(1), (TFPoint{1, 0, 1}));
}

TvxDXFPolyline* MakePolyFace(std::initializer_list<std::array<int, 4>> faces, int m = 4) {
  auto* p = new TvxDXFPolyline();
  p->SetFlags(cnstPolylinePolyFace);
  p->SetMeshM(m);
  p->SetMeshN(static_cast<int>(faces.size()));
  for (TFPoint q : {TFPoint{0, 0, 0}, TFPoint{1, 0, 0}, TFPoint{1, 1, 0}, TFPoint{0, 1, 1}}) {
    TvxDXFVertex* v = p->AddVertex(q);
    v->SetFlags(cnstVertexFaceRecord | cnstVertexPolyFaceMesh);
  }
  for (const auto& f : faces) {
    TvxDXFVertex* v = p->AddVertex({});
    v->SetFlags(cnstVertexFaceRecord);
    for (int k = 0; k < 4; ++k) v->SetPolyFaceVertexIndex(k, f[static_cast<size_t>(k)]);
  }
  return p;
}

TEST_F(PolylineTest, PolyFaceMeshFacesAndInvisibleEdges) {
  auto* p = Add(MakePolyFace({{1, 2, 3, 0}, {1, -3, 4, 2}}));
  conv->Loads(p);
  EXPECT_TRUE(p->IsPolyFaceMesh());
  EXPECT_FALSE(p->IsPolygonMesh());
  ASSERT_EQ(p->PointCount(), 4);
  EXPECT_EQ(p->PointsCounts().Vector(), (std::vector<int32_t>{1, 1, 1, 1, 4, 4}));
  ASSERT_NE(p->PolyFaceVertexIndexes(), nullptr);
  EXPECT_EQ(p->PolyFaceVertexIndexes()->Vector(),
            (std::vector<int32_t>{1, 2, 3, 0, 1, -3, 4, 2}));
  std::vector<TvxPolyFace> faces = p->PolyFaceFaces();
  ASSERT_EQ(faces.size(), 2u);
  EXPECT_EQ(faces[0].Count, 3);
  EXPECT_EQ(faces[0].Index, (std::array<int, 4>{0, 1, 2, 0}));
  EXPECT_EQ(faces[1].Count, 4);
  EXPECT_EQ(faces[1].Index, (std::array<int, 4>{0, 2, 3, 1}));
  EXPECT_EQ(faces[1].EdgeVisible, (std::array<bool, 4>{true, false, true, true}));
  EXPECT_EQ(p->GetPoints(3), (TFPoint{0, 1, 1}));
  // flags beyond 64 (from the file) make it something else
  p->SetFlags(cnstPolylinePolyFace | cnstPolyClosed);
  conv->Loads(p);
  EXPECT_FALSE(p->IsPolyFaceMesh());
}

TEST_F(PolylineTest, PolyFaceNumbersOutOfRangeNameNothing) {
  auto* p = Add(MakePolyFace({{1, 9, 3, 0},
                              {0, 1, 2, 3},
                              {INT_MIN, INT_MAX, -5, 2},
                              {-4, -1, -2, 0}}));
  conv->Loads(p);
  std::vector<TvxPolyFace> faces = p->PolyFaceFaces();
  ASSERT_EQ(faces.size(), 3u);  // the face starting with 0 names no corner
  EXPECT_EQ(faces[0].Count, 2);
  EXPECT_EQ(faces[0].Index[0], 0);
  EXPECT_EQ(faces[0].Index[1], 2);
  EXPECT_EQ(faces[1].Count, 1);
  EXPECT_EQ(faces[1].Index[0], 1);
  EXPECT_EQ(faces[2].Count, 3);
  EXPECT_EQ(faces[2].Index, (std::array<int, 4>{3, 0, 1, 0}));
  EXPECT_EQ(faces[2].EdgeVisible, (std::array<bool, 4>{false, false, false, false}));
  for (const TvxPolyFace& f : faces)
    for (int i = 0; i < f.Count; ++i) {
      EXPECT_GE(f.Index[static_cast<size_t>(i)], 0);
      EXPECT_LT(f.Index[static_cast<size_t>(i)], p->PointCount());
    }
}

TEST_F(PolylineTest, VertexFaceIndexesReadZeroUntilWritten) {
  TvxEntityPtr<TvxDXFVertex> v(new TvxDXFVertex());
  EXPECT_FALSE(v->HasPolyFaceIndexes());
  for (int i : {-1, 0, 3, 4}) EXPECT_EQ(v->GetPolyFaceVertexIndex(i), 0);
  v->SetPolyFaceVertexIndex(4, 7);  // out of range: nothing
  EXPECT_FALSE(v->HasPolyFaceIndexes());
  v->SetPolyFaceVertexIndex(2, -7);
  EXPECT_EQ(v->GetPolyFaceVertexIndex(2), -7);
  EXPECT_EQ(v->GetPolyFaceVertexIndex(0), 0);
  v->SetFlags(cnstVertexFaceRecord);
  EXPECT_TRUE(v->IsPolyfaceMeshVertex());
  v->SetFlags(cnstVertexFaceRecord | cnstVertexPolyFaceMesh);
  EXPECT_FALSE(v->IsPolyfaceMeshVertex());
  v->SetPoint({1, 2, 3});
  EXPECT_EQ(v->GetBox().Left, 1);
  EXPECT_EQ(v->GetBox().Z2, 3);
}

// ---- copies and import mode -----------------------------------------------------------------

TEST_F(PolylineTest, CloneCopiesVerticesAndWidths) {
  auto* p = MakePoly({{{0, 0, 0}, 0.5, 1, 2}, {{4, 0, 0}}}, true);
  p->SetGlobalWidth(0.25);
  p->GetVertex(1)->SetPolyFaceVertexIndex(1, 3);
  AddLoaded(p);
  TvxEntityPtr<TvxDXFLWPolyline> c(static_cast<TvxDXFLWPolyline*>(p->Clone()));
  ASSERT_EQ(c->Count(), 2);
  EXPECT_NE(c->GetVertex(0), p->GetVertex(0));
  EXPECT_EQ(c->GetVertex(0)->GetOwner(), c.get());
  EXPECT_EQ(c->GetVertex(0)->GetBulge(), 0.5);
  EXPECT_EQ(c->GetVertex(0)->GetEndWidth(), 2);
  EXPECT_EQ(c->GetVertex(1)->GetPolyFaceVertexIndex(1), 3);
  EXPECT_EQ(c->GlobalWidth(), 0.25);
  EXPECT_TRUE(c->GetClosed());
  EXPECT_EQ(c->PointCount(), p->PointCount());
  ASSERT_NE(c->Arrows(), nullptr);
  EXPECT_EQ(c->Arrows()->Count(), p->Arrows()->Count());
}

TEST_F(PolylineTest, ImportModeBuildsLinesAndArcs) {
  conv->SetImportMode(imImport);
  auto* p = AddLoaded(MakePoly({{{0, 0, 0}}, {{2, 0, 0}, 1.0}, {{4, 0, 0}}}));
  ASSERT_EQ(p->PolyLineEntitiesCount(), 2);
  auto* line = dynamic_cast<TvxDXFLine*>(p->PolyLineEntity(0));
  auto* arc = dynamic_cast<TvxDXFArc*>(p->PolyLineEntity(1));
  ASSERT_NE(line, nullptr);
  ASSERT_NE(arc, nullptr);
  EXPECT_EQ(line->GetPoint1(), (TFPoint{2, 0, 0}));
  ExpectNear(arc->GetPoint(), {3, 0, 0});
  EXPECT_NEAR(arc->GetRadius(), 1, 1e-12);
  EXPECT_EQ(arc->GetLayer(), p->GetLayer());
  EXPECT_EQ(arc->PointCount(), 49);  // loaded
  // the walk visits the parts instead of the polyline once arcs are not drawn as curves
  std::vector<TvxDXFEntity*> seen;
  auto visit = [&](TvxDXFEntity* e) {
    seen.push_back(e);
    return 1;
  };
  p->DoIterate(conv, nullptr, visit);
  EXPECT_EQ(seen, (std::vector<TvxDXFEntity*>{p}));
  seen.clear();
  conv->SetAllArcsAsCurves(false);
  p->DoIterate(conv, nullptr, visit);
  EXPECT_EQ(seen, (std::vector<TvxDXFEntity*>{line, arc}));
  // a reload rebuilds them; leaving import mode drops them
  conv->Loads(p);
  EXPECT_EQ(p->PolyLineEntitiesCount(), 2);
  conv->SetImportMode(imView);
  conv->Loads(p);
  EXPECT_EQ(p->PolyLineEntitiesCount(), 0);
}

}  // namespace
}  // namespace vx::test
