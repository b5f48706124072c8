// The hatch and multi-polygon records: boundary paths of every edge kind, pattern lines,
// gradients, solid hatches becoming curve polygons, and the pairs that only look like points.
#include "database/hatches/vxHatches.h"
#include "test_dxf_load_fixture.h"

#include <cmath>

namespace vx::dxftest {
namespace {

// A hatch record: the common part, then body, ending with the pattern or solid flag's tail.
Pairs Hatch(const char* name, const Pairs& body) {
  Pairs p{{0, name}, {5, "2A"}, {8, "0"}, {10, "0"}, {20, "0"}, {30, "7"},
          {210, "0"}, {220, "0"}, {230, "1"}};
  p.insert(p.end(), body.begin(), body.end());
  return p;
}

// A polyline path over the points (x0 y0 x1 y1 ...), closed, with bulges where given.
Pairs PolyPath(std::initializer_list<double> xy, int flags = 3, std::vector<double> bulges = {}) {
  std::vector<double> v(xy);
  Pairs p{{92, std::to_string(flags)}, {72, bulges.empty() ? "0" : "1"}, {73, "1"},
          {93, std::to_string(v.size() / 2)}};
  for (size_t i = 0; i + 1 < v.size(); i += 2) {
    p.push_back({10, std::to_string(v[i])});
    p.push_back({20, std::to_string(v[i + 1])});
    if (!bulges.empty()) p.push_back({42, std::to_string(bulges[i / 2])});
  }
  p.push_back({97, "0"});
  return p;
}

TEST(DxfHatch, PolylineAndEdgePathsKeepTheirEdges) {
  Pairs body{{2, "ANSI31"}, {70, "0"}, {71, "0"}, {91, "2"}};
  const Pairs square = PolyPath({0, 0, 10, 0, 10, 10, 0, 10}, 3, {0, 0.5, 0, 0});
  body.insert(body.end(), square.begin(), square.end());
  const Pairs edges{{92, "1"}, {93, "4"},
                    {72, "1"}, {10, "20"}, {20, "0"}, {11, "30"}, {21, "0"},
                    {72, "2"}, {10, "30"}, {20, "5"}, {40, "5"}, {50, "270"}, {51, "90"}, {73, "1"},
                    {72, "3"}, {10, "25"}, {20, "10"}, {11, "5"}, {21, "0"}, {40, "0.5"},
                    {50, "0"}, {51, "180"}, {73, "1"},
                    {72, "4"}, {94, "3"}, {73, "0"}, {74, "0"}, {95, "8"}, {96, "4"},
                    {40, "0"}, {40, "0"}, {40, "0"}, {40, "0"}, {40, "1"}, {40, "1"}, {40, "1"}, {40, "1"},
                    {10, "20"}, {20, "10"}, {10, "18"}, {20, "6"}, {10, "18"}, {20, "4"}, {10, "20"}, {20, "0"},
                    {97, "0"}};
  body.insert(body.end(), edges.begin(), edges.end());
  body.insert(body.end(), {{75, "0"}, {76, "1"}, {52, "0"}, {41, "1"}, {77, "0"}, {78, "0"}, {98, "1"},
                           {10, "99"}, {20, "99"}});
  Drawing d;
  d.Load(Entities(Hatch("HATCH", body)));
  auto* h = d.As<TvxCADHatch>(0);
  ASSERT_NE(h, nullptr) << d.Error;
  EXPECT_EQ(h->EntType(), ceHatch);
  EXPECT_EQ(h->HatchName(), "ANSI31");
  // the seed point after the paths is not the elevation
  EXPECT_EQ(h->Elevation().X, 0);
  EXPECT_EQ(h->Elevation().Z, 7);
  ASSERT_EQ(h->BoundaryDataCount(), 2);
  const Tvx2DBoundaryList* poly = h->BoundaryData(0);
  EXPECT_EQ(poly->BoundaryType(), 3);
  ASSERT_EQ(poly->Count(), 1);
  auto* pl = dynamic_cast<const Tvx2DPolyline*>(poly->Items(0));
  ASSERT_NE(pl, nullptr);
  EXPECT_EQ(pl->FVertexes.Count(), 4);
  EXPECT_TRUE(pl->Closed());
  EXPECT_EQ(pl->FBulges[1], 0.5);

  const Tvx2DBoundaryList* mixed = h->BoundaryData(1);
  ASSERT_EQ(mixed->Count(), 4);
  EXPECT_EQ(mixed->Items(0)->EdgeType(), 1);
  EXPECT_EQ(mixed->Items(1)->EdgeType(), 2);
  EXPECT_EQ(mixed->Items(2)->EdgeType(), 3);
  EXPECT_EQ(mixed->Items(3)->EdgeType(), 4);
  auto* line = dynamic_cast<const Tvx2DLine*>(mixed->Items(0));
  EXPECT_EQ(line->FEndPoint.X, 30);
  auto* arc = dynamic_cast<const Tvx2DArc*>(mixed->Items(1));
  EXPECT_EQ(arc->FRadius, 5);
  EXPECT_EQ(arc->FStartParam, 270);
  EXPECT_TRUE(arc->CounterClockWise());
  auto* ell = dynamic_cast<const Tvx2DEllipse*>(mixed->Items(2));
  EXPECT_EQ(ell->FMajorPoint.X, 5);
  EXPECT_EQ(ell->FRadius, 0.5);
  auto* spl = dynamic_cast<const Tvx2DSpline*>(mixed->Items(3));
  EXPECT_EQ(spl->FControls.Count(), 4);
  EXPECT_EQ(spl->FKnots.Count(), 8);
  EXPECT_EQ(spl->Degree, 3);
  // the loops were built: the box covers both paths
  const TFRect box = h->GetBox();
  EXPECT_NEAR(box.Left, 0, 1e-6);
  EXPECT_GT(box.Right, 34.9);
}

TEST(DxfHatch, PatternLinesAreReadAsWritten) {
  Pairs body{{2, "USER"}, {70, "0"}, {71, "0"}, {91, "1"}};
  const Pairs square = PolyPath({0, 0, 10, 0, 10, 10, 0, 10});
  body.insert(body.end(), square.begin(), square.end());
  body.insert(body.end(), {{75, "1"}, {76, "0"}, {52, "30"}, {41, "2"}, {77, "0"}, {78, "2"},
                           {53, "45"}, {43, "0"}, {44, "0"}, {45, "-1"}, {46, "1"}, {79, "0"},
                           {53, "135"}, {43, "1"}, {44, "2"}, {45, "-2"}, {46, "-2"}, {79, "2"},
                           {49, "3"}, {49, "-1"}, {98, "0"}});
  Drawing d;
  d.Load(Entities(Hatch("HATCH", body)));
  auto* h = d.As<TvxCADHatch>(0);
  ASSERT_NE(h, nullptr) << d.Error;
  const TvxCADHatchPatternData& p = h->HatchPatternData();
  EXPECT_EQ(p.Angle(), 30);
  EXPECT_EQ(p.Scale(), 2);
  ASSERT_EQ(p.Count(), 2);
  EXPECT_EQ(p.Pattern(0).LineAngle, 45);
  EXPECT_FALSE(p.Pattern(0).IsDash);
  EXPECT_EQ(p.Pattern(1).BaseP.Y, 2);
  EXPECT_EQ(p.Pattern(1).Offset.X, -2);
  EXPECT_EQ(p.Pattern(1).DashNum, 2);
  ASSERT_EQ(p.Pattern(1).Lines.Count(), 2);
  EXPECT_EQ(p.Pattern(1).Lines[1], -1);
  EXPECT_EQ(h->IslandStyle(), isOutermost);
  EXPECT_GT(h->ParsedLines().Count(), 0);  // the pattern was generated over the square
}

struct GradientCase {
  const char* Name;
  Pairs Colors;
  TvxColorCAD First, Second;
};

TEST(DxfHatch, SolidHatchesBecomeCurvePolygonsWithTheirGradient) {
  const GradientCase cases[] = {
      // each colour in its own 463 slot: the 421 refines the 63 of its slot
      {"slots", {{453, "2"}, {463, "0"}, {63, "5"}, {421, "255"}, {463, "1"}, {63, "2"}, {421, "16776960"}},
       MakeColorCAD(acRGBColor, 0xFF0000), MakeColorCAD(acRGBColor, 0x00FFFF)},
      // without slots every colour takes the next index
      {"plain", {{63, "1"}, {63, "3"}}, MakeColorCAD(acIndexColor, 1), MakeColorCAD(acIndexColor, 3)},
  };
  for (const GradientCase& c : cases) {
    SCOPED_TRACE(c.Name);
    Pairs body{{2, "SOLID"}, {70, "1"}, {71, "0"}, {91, "1"}};
    const Pairs square = PolyPath({0, 0, 10, 0, 10, 10, 0, 10});
    body.insert(body.end(), square.begin(), square.end());
    body.insert(body.end(), {{75, "0"}, {76, "1"}, {98, "0"}, {450, "1"}, {451, "0"}, {452, "0"}});
    body.insert(body.end(), c.Colors.begin(), c.Colors.end());
    body.insert(body.end(), {{460, "1.5707963267949"}, {461, "0.5"}, {470, "CYLINDER"}});
    Drawing d;
    d.Load(Entities(Hatch("HATCH", body)));
    auto* cp = d.As<TvxCADCurvePolygon>(0);
    ASSERT_NE(cp, nullptr) << d.Error;
    EXPECT_EQ(cp->EntType(), ceCurvePolygon);
    EXPECT_TRUE(cp->SolidFill());
    EXPECT_EQ(cp->GetHandle(), 0x2Au);
    EXPECT_EQ(cp->GradientType(), gtCylinder);
    EXPECT_NEAR(cp->GradientAngle(), 90, 1e-9);
    EXPECT_FALSE(cp->GradientUseCenter());
    EXPECT_EQ(cp->GradientColorCAD(0).Active, c.First.Active);
    EXPECT_EQ(cp->GradientColorCAD(0).Color, c.First.Color);
    EXPECT_EQ(cp->GradientColorCAD(1).Color, c.Second.Color);
    ASSERT_EQ(cp->Boundaries().size(), 1u);
  }
}

TEST(DxfHatch, BinaryFilesGiveTheSameGradient) {
  // the 450..470 codes are integers, reals and strings in binary files
  Pairs body{{2, "SOLID"}, {70, "1"}, {71, "0"}, {91, "1"}};
  const Pairs square = PolyPath({0, 0, 10, 0, 10, 10, 0, 10});
  body.insert(body.end(), square.begin(), square.end());
  body.insert(body.end(), {{75, "0"}, {76, "1"}, {98, "0"}, {450, "1"}, {451, "0"}, {452, "0"}, {453, "2"},
                           {463, "0"}, {63, "5"}, {421, "255"}, {463, "1"}, {63, "2"}, {421, "16776960"},
                           {460, "0.5"}, {461, "0"}, {470, "SPHERICAL"}});
  const Pairs file = Entities(Hatch("HATCH", body));
  Drawing text, binary;
  text.Load(DxfText(file));
  binary.Load(DxfBinary(file));
  auto* a = text.As<TvxCADCurvePolygon>(0);
  auto* b = binary.As<TvxCADCurvePolygon>(0);
  ASSERT_NE(a, nullptr) << text.Error;
  ASSERT_NE(b, nullptr) << binary.Error;
  EXPECT_EQ(b->GradientType(), gtSpherical);
  EXPECT_EQ(a->GradientType(), b->GradientType());
  EXPECT_DOUBLE_EQ(a->GradientAngle(), b->GradientAngle());
  EXPECT_EQ(a->GradientColorCAD(1).Color, b->GradientColorCAD(1).Color);
  EXPECT_EQ(a->GetBox().Right, b->GetBox().Right);
}

TEST(DxfHatch, MultiPolygonTakesItsFillColourAndClosedLoops) {
  Pairs body{{2, "SOLID"}, {70, "1"}, {71, "1"}, {91, "1"}, {92, "2"}, {72, "0"}, {73, "0"},
             {93, "3"}, {10, "0"}, {20, "0"}, {10, "10"}, {20, "0"}, {10, "5"}, {20, "8"},
             {76, "1"}, {63, "3"}, {11, "0"}, {21, "0"}, {99, "0"}};
  Drawing d;
  d.Load(Entities(Hatch("MPOLYGON", body)));
  auto* mp = d.As<TvxCADMPolygon>(0);
  ASSERT_NE(mp, nullptr) << d.Error;
  EXPECT_TRUE(mp->SolidFill());
  EXPECT_EQ(mp->FillColor().Color, 3u);
  auto* pl = dynamic_cast<const Tvx2DPolyline*>(mp->BoundaryData(0)->Items(0));
  ASSERT_NE(pl, nullptr);
  EXPECT_TRUE(pl->Closed());
  EXPECT_EQ(pl->FVertexes.Count(), 3);
}

TEST(DxfHatch, SourceHandlesAfterThePathsAreNotTheOwner) {
  Pairs body{{2, "SOLID"}, {70, "1"}, {71, "1"}, {91, "1"}, {92, "3"}, {72, "0"}, {73, "1"},
             {93, "3"}, {10, "0"}, {20, "0"}, {10, "10"}, {20, "0"}, {10, "5"}, {20, "8"},
             {97, "1"}, {330, "ABC"}, {75, "0"}, {76, "1"}, {98, "0"}};
  Drawing d;
  d.Load(Entities(Hatch("HATCH", body)));
  auto* cp = d.As<TvxCADCurvePolygon>(0);
  ASSERT_NE(cp, nullptr) << d.Error;
  EXPECT_EQ(cp->BoundaryDataCount(), 1);
  EXPECT_EQ(cp->BoundaryData(0)->Count(), 1);
}

TEST(DxfHatch, EveryCutOfAHatchRecordLoadsOrFailsCleanly) {
  Pairs body{{2, "X"}, {70, "0"}, {71, "0"}, {91, "2"}};
  const Pairs square = PolyPath({0, 0, 10, 0, 10, 10, 0, 10}, 3, {0, 1, 0, -1});
  body.insert(body.end(), square.begin(), square.end());
  body.insert(body.end(), {{92, "1"}, {93, "2"}, {72, "4"}, {94, "3"}, {95, "8"}, {96, "4"},
                           {40, "0"}, {40, "1"}, {10, "1"}, {20, "1"}, {42, "1e308"}, {72, "3"},
                           {40, "-1e300"}, {97, "0"}, {53, "1e999"}, {79, "100000000"}, {49, "nan"}});
  const std::string text = DxfText(Entities(Hatch("HATCH", body)));
  for (size_t n = 0; n < text.size(); n += 3) {
    Drawing d;
    d.Load(text.substr(0, n));
  }
  Drawing d;
  d.Load(text);
  EXPECT_EQ(d.Count(), 1) << d.Error;
}

}  // namespace
}  // namespace vx::dxftest
