// The records that draw through parts or blocks of their own: proxy entities with their decoded
// graphics, subdivision meshes, dimensions and tables as references of their stored blocks, and
// the solid-model bodies kept with their modeller data.
#include "database/blocks/vxDimTables.h"
#include "database/core/vxTables.h"
#include "database/entities/vxEntBodies.h"
#include "database/entities/vxEntSolids.h"
#include "database/hatches/vxHatches.h"
#include "database/text/vxText.h"
#include "test_dxf_load_fixture.h"
#include "test_proxy_fixture.h"

#include <fstream>
#include <sstream>
#include <typeinfo>

namespace vx::dxftest {
namespace {

using proxytest::Data;
using proxytest::Hex;
using proxytest::Stream;

// Layers "0", "A", "B"; line types BYBLOCK, BYLAYER, CONTINUOUS, DASHED; a style on romans.shx.
Pairs Tables() {
  return Section("TABLES",
                 {{0, "TABLE"}, {2, "LTYPE"},
                  {0, "LTYPE"}, {2, "BYBLOCK"}, {70, "0"},
                  {0, "LTYPE"}, {2, "BYLAYER"}, {70, "0"},
                  {0, "LTYPE"}, {2, "CONTINUOUS"}, {70, "0"},
                  {0, "LTYPE"}, {2, "DASHED"}, {70, "0"}, {73, "2"}, {40, "0.75"}, {49, "0.5"}, {49, "-0.25"},
                  {0, "ENDTAB"},
                  {0, "TABLE"}, {2, "LAYER"},
                  {0, "LAYER"}, {2, "0"}, {62, "7"}, {6, "CONTINUOUS"},
                  {0, "LAYER"}, {2, "A"}, {62, "1"}, {6, "CONTINUOUS"},
                  {0, "LAYER"}, {2, "B"}, {62, "2"}, {6, "CONTINUOUS"},
                  {0, "ENDTAB"},
                  {0, "TABLE"}, {2, "STYLE"},
                  {0, "STYLE"}, {2, "STANDARD"}, {70, "0"}, {40, "0"}, {41, "1"}, {3, "txt"},
                  {0, "STYLE"}, {2, "ROMAN"}, {70, "0"}, {40, "0"}, {41, "1"}, {3, "romans.shx"},
                  {0, "ENDTAB"}});
}

// 310 chunks of at most 127 bytes (254 digits) each.
void AddChunks(Pairs& p, const std::string& bytes) {
  const std::string hex = Hex(bytes);
  for (size_t i = 0; i < hex.size(); i += 254) p.push_back({310, hex.substr(i, 254)});
}

Pairs Proxy(const std::string& graphics, const Pairs& own = {{8, "B"}, {62, "4"}}) {
  Pairs p{{0, "ACAD_PROXY_ENTITY"}, {5, "80"}, {100, "AcDbEntity"}};
  p.insert(p.end(), own.begin(), own.end());
  p.insert(p.end(), {{100, "AcDbProxyEntity"}, {90, "498"}, {91, "500"}, {92, std::to_string(graphics.size())}});
  AddChunks(p, graphics);
  // the entity data: the writer's own bytes, not drawing commands
  p.push_back({93, "64"});
  AddChunks(p, std::string("\x10\x00\x00\x00\x01\x00\x00\x00\xff\xff\xff\xff\x02\x00\x00\x00", 16));
  p.push_back({94, "0"});
  return p;
}

Data Line(double x) {
  Data d;
  d.I(2).P(x, 0, 0).P(x + 1, 0, 0);
  return d;
}

TEST(DxfProxy, GraphicsBecomePartsWithTheirPropertiesRangeChecked) {
  struct Case {
    const char* Name;
    Stream Props;       // property commands before one line
    const char* Layer;  // the part's layer
    const char* LType;
    int Color;          // ACI of the part's colour
  };
  const std::vector<Case> cases = {
      {"proxy's own", Stream(), "B", "BYLAYER", 4},
      {"by index", Stream().Add(16, Data().I(1)).Add(18, Data().I(1)).Add(14, Data().I(3)), "A", "DASHED", 3},
      {"by layer / by block line types", Stream().Add(18, Data().I(32766)), "B", "BYBLOCK", 4},
      // indexes beyond the tables and colours outside the palette fall back to the proxy's
      {"out of range", Stream().Add(16, Data().I(99)).Add(18, Data().I(40)).Add(14, Data().I(300)), "B", "BYLAYER", 4},
      {"negative", Stream().Add(16, Data().I(-7)).Add(18, Data().I(-9)).Add(14, Data().I(0)), "B", "BYLAYER", 4},
  };
  for (const Case& c : cases) {
    Stream s = c.Props;
    s.Add(6, Line(0));
    Drawing d;
    d.Load(WithEOF(Join({Tables(), Section("ENTITIES", Proxy(s.Bytes()))})));
    auto* proxy = d.As<TvxDXFProxy>(0);
    ASSERT_NE(proxy, nullptr) << c.Name << d.Error;
    ASSERT_EQ(proxy->Count(), 1) << c.Name;  // the entity data after 93 decodes to nothing
    TvxDXFEntity* part = proxy->GetEntity(0);
    ASSERT_EQ(part->EntType(), ceLine) << c.Name;
    ASSERT_NE(part->GetLayer(), nullptr) << c.Name;
    EXPECT_EQ(part->GetLayer()->GetName(), c.Layer) << c.Name;
    ASSERT_NE(part->GetLineType(), nullptr) << c.Name;
    EXPECT_EQ(part->GetLineType()->GetName(), c.LType) << c.Name;
    EXPECT_EQ(part->GetColorCAD().Color, static_cast<uint32_t>(c.Color)) << c.Name;
    EXPECT_EQ(part->GetOwner(), proxy) << c.Name;
  }
}

TEST(DxfProxy, TextsTakeTheStyleOfTheirFontAndTheBoxUnitesTheParts) {
  auto text = [](const char* font) {
    Data t;
    t.P(5, 5, 0).P(0, 0, 1).P(1, 0, 0).S8("T").I(-1).Zeros(4).D(2).D(1).D(0).P(0, 0, 0).Zeros(4).S8(font).Zeros(4);
    return t;
  };
  Stream s;
  s.Add(6, Line(0)).Add(11, text("ROMANS")).Add(11, text("other.shx")).Add(6, Line(20));
  Drawing d;
  d.Load(WithEOF(Join({Tables(), Section("ENTITIES", Proxy(s.Bytes(), {{8, "A"}, {60, "0"}}))})));
  auto* proxy = d.As<TvxDXFProxy>(0);
  ASSERT_NE(proxy, nullptr) << d.Error;
  ASSERT_EQ(proxy->Count(), 4);
  auto* roman = dynamic_cast<TvxDXFText*>(proxy->GetEntity(1));
  auto* other = dynamic_cast<TvxDXFText*>(proxy->GetEntity(2));
  ASSERT_TRUE(roman && other);
  ASSERT_TRUE(roman->GetStyle() && other->GetStyle());
  EXPECT_EQ(roman->GetStyle()->GetName(), "ROMAN");  // "ROMANS" is romans.shx without extension
  EXPECT_EQ(other->GetStyle()->GetName(), "STANDARD");
  const TFRect box = proxy->GetBox();
  EXPECT_NEAR(box.Left, 0, 1e-9);
  EXPECT_NEAR(box.Right, 21, 1e-9);
  EXPECT_EQ(d.Conv->Extents().Right, box.Right);
}

// A cube: 8 vertices, 6 four-sided faces.
Pairs Mesh(const std::vector<int>& faces, const Pairs& tail = {}) {
  Pairs p{{0, "MESH"}, {5, "90"}, {100, "AcDbEntity"}, {8, "A"}, {62, "3"}, {100, "AcDbSubDMesh"},
          {71, "2"}, {72, "0"}, {91, "0"}, {92, "8"}};
  for (int i = 0; i < 8; ++i)
    p.insert(p.end(), {{10, std::to_string(i & 1)}, {20, std::to_string((i >> 1) & 1)}, {30, std::to_string(i >> 2)}});
  p.push_back({93, std::to_string(faces.size())});
  for (int f : faces) p.push_back({90, std::to_string(f)});
  p.insert(p.end(), {{94, "2"}, {90, "0"}, {90, "1"}, {90, "1"}, {90, "3"}, {95, "2"}, {140, "0"}, {140, "0"}});
  p.insert(p.end(), tail.begin(), tail.end());
  return p;
}

TEST(DxfProxy, MeshFacesBecome3dFacesAndBadFacesAreDropped) {
  const std::vector<int> cube = {4, 0, 1, 3, 2, 4, 4, 5, 7, 6, 4, 0, 1, 5, 4, 4, 2, 3, 7, 6, 4, 0, 2, 6, 4, 4, 1, 3, 7, 5};
  struct Case {
    const char* Name;
    std::vector<int> Faces;
    Pairs Tail;
    int Made;
  };
  std::vector<int> withTriangle = {3, 0, 1, 2};
  std::vector<int> badIndex = {4, 0, 1, 2, 99, 3, 0, 1, 2};
  std::vector<int> stops = {3, 0, 1, 2, 0, 3, 4, 5, 6};
  std::vector<int> negative = {-3, 0, 1, 2, 3, 4, 5, 6};
  std::vector<int> overlong = {3, 0, 1, 2, 9, 1, 2};
  const std::vector<Case> cases = {
      // the per-face overrides at the end (a second 92, colours, layers) are not the mesh's
      {"cube", cube, {{90, "1"}, {91, "3"}, {92, "1"}, {90, "0"}, {62, "5"}, {8, "B"}}, 6},
      {"triangle", withTriangle, {}, 1},
      {"vertex number beyond the vertices", badIndex, {}, 1},
      {"zero count ends the walk", stops, {}, 1},
      {"negative count ends the walk", negative, {}, 0},
      {"count beyond the list", overlong, {}, 1},
  };
  for (const Case& c : cases) {
    Drawing d;
    d.Load(WithEOF(Join({Tables(), Section("ENTITIES", Mesh(c.Faces, c.Tail))})));
    auto* mesh = d.As<TvxDXFProxy>(0);
    ASSERT_NE(mesh, nullptr) << c.Name << d.Error;
    ASSERT_EQ(mesh->Count(), c.Made) << c.Name;
    EXPECT_EQ(mesh->GetLayer()->GetName(), "A") << c.Name;
    EXPECT_EQ(mesh->GetColorCAD().Color, 3u) << c.Name;
    for (int i = 0; i < mesh->Count(); ++i) {
      auto* f = dynamic_cast<TvxDXF3dFace*>(mesh->GetEntity(i));
      ASSERT_NE(f, nullptr) << c.Name;
      EXPECT_EQ(f->GetFlags(), 16);
      EXPECT_EQ(f->GetLayer()->GetName(), "A");
      EXPECT_EQ(f->GetColorCAD().Color, 3u);
    }
  }
  Drawing d;
  d.Load(WithEOF(Join({Tables(), Section("ENTITIES", Mesh(withTriangle))})));
  auto* f = dynamic_cast<TvxDXF3dFace*>(d.As<TvxDXFProxy>(0)->GetEntity(0));
  EXPECT_EQ(f->GetPoint1(), (TFPoint{1, 0, 0}));
  EXPECT_EQ(f->GetPoint3(), (TFPoint{0, 1, 0}));  // a face of three repeats its third corner
  const TFRect box = d.As<TvxDXFProxy>(0)->GetBox();
  EXPECT_EQ(box.Right, 1);
  EXPECT_EQ(box.Top, 1);
}

Pairs Block(const char* name, const char* handle, const Pairs& body) {
  Pairs p{{0, "BLOCK"}, {5, handle}, {8, "0"}, {2, name}, {70, "1"}, {10, "0"}, {20, "0"}, {30, "0"}, {3, name}};
  p.insert(p.end(), body.begin(), body.end());
  p.push_back({0, "ENDBLK"});
  return p;
}

TEST(DxfProxy, DimensionsAndTablesShowTheirStoredBlocks) {
  const Pairs blocks = Section(
      "BLOCKS", Join({Block("*D1", "20", {{0, "LINE"}, {8, "0"}, {10, "0"}, {20, "0"}, {11, "10"}, {21, "0"}}),
                      Block("*T1", "30", {{0, "LINE"}, {8, "0"}, {10, "0"}, {20, "0"}, {11, "0"}, {21, "-5"}})}));
  const Pairs records = Section(
      "TABLES", {{0, "TABLE"}, {2, "BLOCK_RECORD"},
                 {0, "BLOCK_RECORD"}, {5, "21"}, {2, "*D1"},
                 {0, "BLOCK_RECORD"}, {5, "31"}, {2, "*T1"},
                 {0, "ENDTAB"}});
  // 10 is the definition point, 12 the block's insertion point; 50 and 70 are the dimension's.
  const Pairs dim = {{0, "DIMENSION"}, {5, "40"}, {8, "0"}, {2, "*D1"}, {10, "10"}, {20, "3"}, {30, "0"},
                     {11, "5"}, {21, "4"}, {12, "100"}, {22, "0"}, {13, "0"}, {23, "0"}, {14, "10"}, {24, "0"},
                     {50, "30"}, {70, "33"}, {71, "5"}, {1, "<>"}, {53, "15"}, {3, "STANDARD"}};
  // 40, 41 (margins), 70, 71 (flow direction, more): no scale, no array; the block by handle.
  const Pairs table = {{0, "ACAD_TABLE"}, {5, "50"}, {8, "0"}, {100, "AcDbBlockReference"}, {10, "200"},
                       {20, "0"}, {30, "0"}, {100, "AcDbTable"}, {280, "0"}, {342, "0"}, {343, "31"},
                       {11, "1"}, {21, "0"}, {31, "0"}, {90, "22"}, {91, "3"}, {92, "2"}, {40, "0.06"},
                       {41, "0.06"}, {70, "2"}, {71, "3"}, {141, "1"}, {141, "1"}, {141, "1"}, {142, "2"},
                       {142, "2"}, {171, "1"}, {1, "cell"}, {7, "STANDARD"}};
  Drawing d;
  d.Load(WithEOF(Join({records, blocks, Section("ENTITIES", Join({dim, table}))})));
  auto* dm = d.As<TvxDXFDimension>(0);
  ASSERT_NE(dm, nullptr) << d.Error;
  EXPECT_EQ(dm->EntType(), ceDimension);
  EXPECT_EQ(dm->GetPoint(), (TFPoint{100, 0, 0}));
  EXPECT_EQ(dm->DefPoint(), (TFPoint{10, 3, 0}));
  EXPECT_EQ(dm->MiddlePoint(), (TFPoint{5, 4, 0}));
  EXPECT_EQ(dm->LinDefPoint2(), (TFPoint{10, 0, 0}));
  EXPECT_EQ(dm->DimFlags(), 33);
  EXPECT_EQ(dm->TextOverride(), "<>");
  EXPECT_EQ(dm->TextRotation(), 15);
  EXPECT_EQ(dm->Angle(), 0);
  EXPECT_EQ(dm->Scale(), cnstFPointSingle);
  ASSERT_NE(dm->GetBlock(), nullptr);
  EXPECT_EQ(dm->GetBlock()->GetName(), "*D1");
  ASSERT_NE(dm->Style(), nullptr);
  EXPECT_EQ(dm->Style()->GetName(), "STANDARD");
  TFRect box = dm->GetBox();
  EXPECT_NEAR(box.Left, 100, 1e-9);
  EXPECT_NEAR(box.Right, 110, 1e-9);

  auto* t = d.As<TvxDXFAcadTable>(1);
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(typeid(*t), typeid(TvxDXFAcadTable));  // not an array
  EXPECT_EQ(t->EntType(), ceACADTable);
  EXPECT_EQ(t->Scale(), cnstFPointSingle);
  EXPECT_EQ(t->TableFlags(), 22);
  EXPECT_EQ(t->NumRows(), 3);
  EXPECT_EQ(t->NumCols(), 2);
  ASSERT_NE(t->GetBlock(), nullptr);
  EXPECT_EQ(t->GetBlock()->GetName(), "*T1");
  box = t->GetBox();
  EXPECT_NEAR(box.Left, 200, 1e-9);
  EXPECT_NEAR(box.Bottom, -5, 1e-9);
}

TEST(DxfProxy, BodiesKeepTheirModellerText) {
  struct Case {
    const char* Record;
    TvxCADEntities Kind;
  };
  for (const Case& c : std::initializer_list<Case>{{"REGION", ceRegion}, {"3DSOLID", ce3DSolid}, {"BODY", ceBody},
                                                   {"SURFACE", ceRegion}, {"EXTRUDEDSURFACE", ceRegion},
                                                   {"PLANESURFACE", ceRegion}}) {
    Drawing d;
    d.Load(Entities({{0, c.Record}, {5, "60"}, {8, "0"}, {100, "AcDbModelerGeometry"}, {70, "1"},
                     {1, "21200 115 2 26"}, {1, "body $-1 -1 $-1"}, {3, " $2 $-1 #"}, {0, "LINE"}, {8, "0"},
                     {10, "0"}, {20, "0"}, {11, "1"}, {21, "1"}}));
    ASSERT_EQ(d.Count(), 2) << c.Record << d.Error;
    auto* body = d.As<TvxDXFRegion>(0);
    ASSERT_NE(body, nullptr) << c.Record;
    EXPECT_EQ(body->EntType(), c.Kind) << c.Record;
    EXPECT_EQ(body->BodyText(), (std::vector<std::string>{"21200 115 2 26", "body $-1 -1 $-1 $2 $-1 #"})) << c.Record;
    EXPECT_TRUE(IsBadBox(body->GetBox())) << c.Record;
    EXPECT_EQ(d.Ent(1)->EntType(), ceLine) << c.Record;
  }
}

// The proxy of a real file (a leader): ezdxf's decoder finds two texts "xx" of height 4, a filled
// polygon (the arrowhead) and two leader segments, which two-point polylines make lines here.
TEST(DxfProxyCorpus, ProxyOfARealFileDecodesLikeAnIndependentDecoder) {
  const fs::path dir = Corpus();
  if (dir.empty()) GTEST_SKIP() << "no corpus (VX_CORPUS)";
  Drawing d;
  d.Load(ReadFile(dir / "libredwg/example_r14.dxf"));
  ASSERT_TRUE(d.Error.empty()) << d.Error;
  TvxDXFProxy* proxy = nullptr;
  for (int i = 0; i < d.Count() && !proxy; ++i) proxy = d.As<TvxDXFProxy>(i);
  ASSERT_NE(proxy, nullptr);
  std::map<int, int> kinds;
  for (int i = 0; i < proxy->Count(); ++i) {
    TvxDXFEntity* e = proxy->GetEntity(i);
    ++kinds[static_cast<int>(e->EntType())];
    if (auto* t = dynamic_cast<TvxDXFText*>(e)) {
      EXPECT_EQ(t->Text(), "xx");
      EXPECT_NEAR(t->Height(), 4, 1e-9);
      EXPECT_NEAR(t->GetPoint().X, -2237.1284406528, 1e-6);
    }
  }
  EXPECT_EQ(kinds, (std::map<int, int>{{static_cast<int>(ceLine), 2},
                                       {static_cast<int>(ceText), 2},
                                       {static_cast<int>(cePolyPolygon), 1}}));
  EXPECT_FALSE(IsBadBox(proxy->GetBox()));
}

}  // namespace
}  // namespace vx::dxftest

namespace vx::dxftest {
namespace {

// Model-space counts of the kinds above on every corpus file, against what ezdxf found once
// (tests/dxf/ezdxf_added_kinds.txt, written by tests/dxf/ezdxf_added_kinds.py).
TEST(DxfProxyCorpus, ModelSpaceCountsOfTheseKindsMatchEzdxf) {
  const fs::path dir = Corpus();
  if (dir.empty()) GTEST_SKIP() << "no corpus (VX_CORPUS)";
  static const std::map<std::string, TvxCADEntities> kinds = {
      {"Dimension", ceDimension}, {"ACADTable", ceACADTable}, {"Proxy", ceProxy},
      {"Region", ceRegion},       {"3DSolid", ce3DSolid},     {"Body", ceBody}};
  std::ifstream fixture(fs::path(vx::test::SourceDir()) / "tests/dxf/ezdxf_added_kinds.txt");
  ASSERT_TRUE(fixture) << "tests/dxf/ezdxf_added_kinds.txt";
  std::string line;
  int compared = 0;
  while (std::getline(fixture, line)) {
    std::istringstream words(line);
    std::string file, pair;
    words >> file;
    std::map<int, int> want;
    while (words >> pair) {
      const size_t eq = pair.find('=');
      ASSERT_NE(eq, std::string::npos) << line;
      ASSERT_TRUE(kinds.count(pair.substr(0, eq))) << line;
      want[static_cast<int>(kinds.at(pair.substr(0, eq)))] = std::stoi(pair.substr(eq + 1));
    }
    if (!fs::exists(dir / file)) continue;
    Drawing d;
    d.Load(ReadFile(dir / file));
    EXPECT_TRUE(d.Error.empty()) << file << ": " << d.Error;
    std::map<int, int> got;
    for (const auto& [k, n] : Kinds(d.Model()))
      for (const auto& [name, kind] : kinds)
        if (k == static_cast<int>(kind)) got[k] = n;
    EXPECT_EQ(got, want) << file;
    ++compared;
  }
  EXPECT_GT(compared, 30);
}

}  // namespace
}  // namespace vx::dxftest
