// Record readers: what each record puts into the drawing, on small files written here.
#include "test_dxf_load_fixture.h"

#include "readers/dxf/vxDXFRecords.h"

#include <cmath>
#include <numbers>

using namespace vx;
using namespace vx::dxftest;

namespace {

Pairs Layers(std::initializer_list<Pairs> entries) {
  Pairs p{{0, "TABLE"}, {2, "LAYER"}, {70, "1"}};
  for (const Pairs& e : entries) p.insert(p.end(), e.begin(), e.end());
  p.push_back({0, "ENDTAB"});
  return p;
}

}  // namespace

TEST(DxfRecords, TableHasEveryRowSortedAndFindsNamesCaseInsensitively) {
  const auto& t = DXFRecordTable();
  EXPECT_EQ(t.size(), 84u);
  for (const char* name : {"LINE", "line", "3dFace", "EOF", "SeqEnd", "LWPOLYLINE", "BLOCK_RECORD", ""})
    EXPECT_NE(FindDXFRecord(name), nullptr) << name;
  for (const char* name : {"LINE ", " LINE", "CLASS", "LINES"}) EXPECT_EQ(FindDXFRecord(name), nullptr) << name;
  // Records whose class the drawing does not hold yet are read and dropped.
  EXPECT_EQ(FindDXFRecord("OLE2FRAME")->Item, nullptr);
  EXPECT_NE(FindDXFRecord("OLE2FRAME")->Reader, nullptr);
}

TEST(DxfRecords, LineColourWeightAndVisibility) {
  Drawing d;
  d.Load(Entities({{0, "LINE"}, {5, "2A"}, {8, "Walls"}, {62, "3"}, {370, "35"}, {60, "1"},
                   {10, "1"}, {20, "2"}, {30, "3"}, {11, "4"}, {21, "5"}, {31, "6"},
                   {0, "LINE"}, {420, "16711680"}, {370, "-2"},
                   {0, "LINE"}}));
  ASSERT_EQ(d.Count(), 3);
  auto* a = d.As<TvxDXFLine>(0);
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(a->GetHandle(), 0x2Au);
  EXPECT_EQ(a->GetPoint().Z, 3);
  EXPECT_EQ(a->GetPoint1().Y, 5);
  EXPECT_EQ(a->GetColorCAD().Color, 3u);
  EXPECT_DOUBLE_EQ(a->GetLineWeight(), 0.35);
  EXPECT_FALSE(a->GetVisibility());
  ASSERT_NE(a->GetLayer(), nullptr);  // the placeholder of a layer never defined became a layer
  EXPECT_EQ(a->GetLayer()->GetName(), "Walls");
  auto* b = d.As<TvxDXFLine>(1);
  EXPECT_EQ(b->GetColorCAD().Active, acRGBColor);
  EXPECT_EQ(b->GetColorCAD().Color, 0x0000FFu);  // 0xFF0000 (red) with its bytes reversed
  EXPECT_DOUBLE_EQ(b->GetLineWeight(), -2);
  auto* c = d.As<TvxDXFLine>(2);
  EXPECT_DOUBLE_EQ(c->GetLineWeight(), -1);
  EXPECT_EQ(c->GetColorCAD().Color, 256u);
  EXPECT_EQ(c->GetLayer()->GetName(), "0");
  EXPECT_TRUE(c->GetVisibility());
}

TEST(DxfRecords, CirclesArcsAndEllipses) {
  Drawing d;
  d.Load(Entities({{0, "CIRCLE"}, {10, "1"}, {20, "1"}, {40, "0"},
                   {0, "ARC"}, {40, "2"}, {50, "30"},
                   {0, "ELLIPSE"}, {10, "0"}, {20, "0"}, {11, "4"}, {21, "0"}, {40, "0.5"},
                   {41, "0"}, {42, "3.14159265358979"}}));
  ASSERT_EQ(d.Count(), 3);
  EXPECT_DOUBLE_EQ(d.As<TvxDXFCircle>(0)->GetRadius(), 0.0);  // radius 0 stays 0 (drawn as a point)
  auto* arc = d.As<TvxDXFArc>(1);
  EXPECT_DOUBLE_EQ(arc->GetStartAngle(), 30);
  EXPECT_DOUBLE_EQ(arc->GetEndAngle(), 360);  // preset
  auto* el = d.As<TvxDXFEllipse>(2);
  ASSERT_NE(el, nullptr);
  EXPECT_NEAR(el->GetEndAngle(), 180, 1e-9);
  EXPECT_DOUBLE_EQ(el->GetRatio(), 0.5);
  EXPECT_EQ(el->GetRadPt().X, 4);
  EXPECT_EQ(d.Model()->GetBox().Right, 4);
}

TEST(DxfRecords, LWPolylineVerticesTakeTheWidthsThatFollowThem) {
  Drawing d;
  d.Load(Entities({{0, "LWPOLYLINE"}, {90, "3"}, {70, "1"}, {43, "0"}, {38, "2.5"},
                   {10, "0"}, {20, "0"},
                   {10, "1"}, {20, "0"}, {40, "0.5"}, {41, "0.25"}, {42, "1"},
                   {10, "1"}, {20, "1"}}));
  auto* pl = d.As<TvxDXFLWPolyline>(0);
  ASSERT_NE(pl, nullptr);
  ASSERT_EQ(pl->Count(), 3);
  EXPECT_TRUE(pl->GetClosed());
  EXPECT_EQ(pl->GetElevation(), 2.5);
  EXPECT_EQ(pl->GetVertex(0)->GetStartWidth(), 0);
  EXPECT_EQ(pl->GetVertex(1)->GetStartWidth(), 0.5);
  EXPECT_EQ(pl->GetVertex(1)->GetEndWidth(), 0.25);
  EXPECT_EQ(pl->GetVertex(1)->GetBulge(), 1);
  EXPECT_EQ(pl->GetVertex(2)->GetStartWidth(), 0);
  EXPECT_EQ(pl->GetVertex(2)->GetPoint().Y, 1);
}

TEST(DxfRecords, PolylineReadsItsVerticesToSeqendAndClampsWidths) {
  Drawing d;
  d.Load(Entities({{0, "POLYLINE"}, {66, "1"}, {70, "0"}, {40, "1e300"}, {10, "0"}, {20, "0"}, {30, "7"},
                   {0, "VERTEX"}, {10, "0"}, {20, "0"}, {42, "0.5"},
                   {0, "VERTEX"}, {10, "2"}, {20, "0"},
                   {0, "SEQEND"},
                   {0, "LINE"}}));
  ASSERT_EQ(d.Count(), 2);
  auto* pl = d.As<TvxDXFPolyline>(0);
  ASSERT_NE(pl, nullptr);
  EXPECT_EQ(pl->Count(), 2);
  EXPECT_EQ(pl->GetVertex(0)->GetBulge(), 0.5);
  EXPECT_EQ(pl->GetElevation(), 7);
  EXPECT_EQ(pl->StartWidth(), static_cast<double>(std::numeric_limits<float>::max()));
  EXPECT_NE(d.As<TvxDXFLine>(1), nullptr);
}

TEST(DxfRecords, SplineKeepsEveryControlAndFitPoint) {
  Drawing d;
  d.Load(Entities({{0, "SPLINE"}, {70, "8"}, {71, "3"}, {40, "0"}, {40, "0"}, {40, "0"}, {40, "0"},
                   {40, "1"}, {40, "1"}, {40, "1"}, {40, "1"},
                   {10, "0"}, {20, "0"}, {30, "0"}, {10, "1"}, {20, "1"}, {30, "0"},
                   {10, "2"}, {20, "1"}, {30, "0"}, {10, "3"}, {20, "0"}, {30, "0"},
                   {11, "0"}, {21, "0"}, {11, "3"}, {21, "0"}}));
  auto* s = d.As<TvxDXFSpline>(0);
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->ControlCount(), 4);
  EXPECT_EQ(s->GetControlPoint(3).X, 3);
  EXPECT_EQ(s->FitCount(), 2);
  EXPECT_EQ(s->KnotCount(), 8);
  EXPECT_EQ(s->Degree(), 3);
}

TEST(DxfRecords, RaysSolidsFacesAndPoints) {
  Drawing d;
  d.Load(Entities({{0, "RAY"}, {10, "1"}, {20, "1"}, {11, "1"}, {21, "0"},
                   {0, "XLINE"}, {10, "0"}, {20, "0"}, {11, "0"}, {21, "1"},
                   {0, "3DFACE"}, {12, "1"}, {13, "2"}, {70, "5"},
                   {0, "TRACE"}, {0, "SOLID"}, {39, "2"}, {0, "POINT"}, {0, "3DLINE"}}));
  ASSERT_EQ(d.Count(), 7);
  EXPECT_EQ(d.As<TvxDXFRay>(0)->GetStartPoint().X, 1);
  EXPECT_EQ(d.Ent(1)->EntType(), ceXline);
  EXPECT_EQ(d.As<TvxDXFXline>(1)->GetDirection().Y, 1);
  EXPECT_EQ(d.As<TvxDXF3dFace>(2)->GetFlags(), 5);
  EXPECT_EQ(d.As<TvxDXF3dFace>(2)->GetPoint3().X, 2);
  EXPECT_EQ(d.Ent(3)->EntType(), ceTrace);
  EXPECT_EQ(d.As<TvxDXFSolid>(4)->GetZThick(), 2);
  EXPECT_EQ(d.Ent(5)->EntType(), cePoint);
  EXPECT_EQ(d.Ent(6)->EntType(), ceLine);
}

TEST(DxfRecords, ChildRecordsStayOutOfTheDrawing) {
  // Attributes go to their insert, not to the layout; a dropped record (OLE2FRAME) leaves nothing.
  Drawing d;
  d.Load(Entities({{0, "INSERT"}, {66, "1"}, {2, "B"}, {0, "ATTRIB"}, {1, "x"}, {0, "SEQEND"},
                   {0, "OLE2FRAME"}, {1, "t"}, {0, "CIRCLE"}, {40, "2"}}));
  ASSERT_EQ(d.Count(), 2);
  EXPECT_EQ(d.Ent(0)->EntType(), ceInsert);
  EXPECT_EQ(d.Ent(0)->Count(), 1);
  EXPECT_EQ(d.Ent(1)->EntType(), ceCircle);
}

TEST(DxfRecords, LayersAndLineTypes) {
  Drawing d;
  d.Load(WithEOF(Join({Section("TABLES", Join({
             {{0, "TABLE"}, {2, "LTYPE"}, {0, "LTYPE"}, {2, "DASHED"}, {70, "0"}, {73, "2"}, {40, "0.75"},
              {49, "0.5"}, {74, "0"}, {49, "-0.25"}, {74, "0"}, {0, "ENDTAB"}},
             Layers({{{0, "LAYER"}, {5, "10"}, {2, "Off"}, {62, "-7"}, {6, "DASHED"}, {370, "50"}, {290, "0"}},
                     {{0, "LAYER"}, {2, "Plain"}, {62, "2"}},
                     // The same name again fills the entry instead of adding one.
                     {{0, "LAYER"}, {2, "Plain"}, {62, "4"}}}),
         })),
                       Section("ENTITIES", {{0, "LINE"}, {8, "Off"}, {6, "DASHED"}})})));
  EXPECT_TRUE(d.Error.empty()) << d.Error;
  TvxDXFTable* layers = d.Conv->Layers();
  ASSERT_NE(layers, nullptr);
  auto* off = layers->FindItem<TvxDXFLayer>("OFF");
  ASSERT_NE(off, nullptr);
  EXPECT_FALSE(off->GetVisible());
  EXPECT_EQ(off->GetColorCAD().Color, 7u);  // the layer's load makes the colour positive
  EXPECT_DOUBLE_EQ(off->GetLineWeight(), 0.5);
  EXPECT_FALSE(off->IsPlotting());
  ASSERT_NE(off->GetLineType(), nullptr);
  EXPECT_EQ(off->GetLineType()->GetName(), "DASHED");
  EXPECT_EQ(off->GetLineType()->GetLines()->GetElementsCount(), 2);
  int plain = 0;
  for (int i = 0; i < layers->Count(); ++i)
    if (SameName(layers->GetEntity(i)->GetName(), "Plain")) {
      ++plain;
      EXPECT_EQ(layers->GetEntity(i)->GetColorCAD().Color, 4u);
    }
  EXPECT_EQ(plain, 1);
  auto* line = d.As<TvxDXFLine>(0);
  ASSERT_NE(line, nullptr);
  EXPECT_EQ(line->GetLayer(), off);
  EXPECT_EQ(line->GetLineType()->GetName(), "DASHED");
  // A layer read without its own line weight is "default".
  EXPECT_DOUBLE_EQ(layers->FindItem<TvxDXFLayer>("Plain")->GetLineWeight(), -3);
}

TEST(DxfRecords, StylesAndBlockRecordNames) {
  Drawing d;
  d.Load(WithEOF(Join({Section("TABLES", {
             {0, "TABLE"}, {2, "STYLE"}, {0, "STYLE"}, {2, "A"}, {0, "STYLE"}, {2, "B"}, {3, ""},
             {0, "ENDTAB"},
             {0, "TABLE"}, {2, "BLOCK_RECORD"}, {0, "BLOCK_RECORD"}, {5, "1F"},
             {0, "BLOCK_RECORD"}, {5, "20"}, {2, "*U"}, {0, "ENDTAB"}})})));
  auto* a = d.Conv->Styles()->FindItem<TvxDXFStyle>("A");
  auto* b = d.Conv->Styles()->FindItem<TvxDXFStyle>("B");
  ASSERT_TRUE(a && b);
  EXPECT_EQ(a->PrimaryFont, "txt");
  EXPECT_EQ(b->PrimaryFont, "simplex.shx");
  EXPECT_DOUBLE_EQ(a->LastHeightUsed, 2.5);
  EXPECT_NE(d.Conv->BlockByName("*U$1F"), nullptr);
  EXPECT_NE(d.Conv->BlockByName("*U1"), nullptr);  // one block read before it
}

TEST(DxfRecords, BlocksFillTheBlockOfTheirRecord) {
  Drawing d;
  d.Load(WithEOF(Join({
      Section("TABLES", {{0, "TABLE"}, {2, "BLOCK_RECORD"}, {0, "BLOCK_RECORD"}, {5, "1A"}, {2, "Door"},
                         {0, "BLOCK_RECORD"}, {5, "1B"}, {2, "*Paper_Space"}, {0, "ENDTAB"}}),
      Section("BLOCKS", {{0, "BLOCK"}, {330, "1A"}, {2, "door"}, {10, "1"}, {70, "0"}, {4, "a^Jb"},
                         {0, "LINE"}, {0, "ARC"}, {40, "1"}, {0, "ENDBLK"},
                         {0, "BLOCK"}, {2, "Window"}, {0, "CIRCLE"}, {0, "ENDBLK"}}),
      Section("ENTITIES", {{0, "LINE"}, {67, "1"}, {0, "CIRCLE"}, {67, "0"}})})));
  EXPECT_TRUE(d.Error.empty()) << d.Error;
  TvxDXFBlock* door = d.Conv->BlockByName("DOOR");
  ASSERT_NE(door, nullptr);
  // The record's block, matched by its handle, takes the block's spelling of the name.
  EXPECT_EQ(door->GetName(), "door");
  int doors = 0;
  for (int i = 0; i < d.Conv->BlocksSection()->Count(); ++i)
    doors += SameName(d.Conv->BlocksSection()->GetEntity(i)->GetName(), "door");
  EXPECT_EQ(doors, 1);
  EXPECT_EQ(door->Count(), 2);
  EXPECT_EQ(door->Offset().X, 1);
  EXPECT_EQ(door->GetDescription(), "a\nb");
  ASSERT_NE(d.Conv->BlockByName("Window"), nullptr);
  EXPECT_EQ(d.Conv->BlockByName("Window")->Count(), 1);
  // Paper-space entities go to the first paper layout's block.
  ASSERT_GE(d.Conv->LayoutsCount(), 2);
  EXPECT_EQ(d.Conv->Layouts(0)->Count(), 1);
  EXPECT_EQ(d.Conv->Layouts(1)->Count(), 1);
  EXPECT_EQ(d.Conv->Layouts(1)->GetEntity(0)->EntType(), ceLine);
}

struct VersionCase {
  const char* Text;
  bool Known;
  TvxDWGVersion Want;
};

TEST(DxfRecords, VersionNames) {
  for (const VersionCase& c : std::initializer_list<VersionCase>{
           {"AC1009", true, acR12}, {"AC1015", true, acR2000}, {"AC1021", true, acR2007},
           {"AC1027", true, acR2013}, {"AC1032", true, acR2013}, {"AC2.10", true, acR09},
           {"AC1002", true, acR09}, {"AC1013", true, acR14}, {"AC1005", false, acR09},
           {"AC10", false, acR09}, {"ACXXXX", false, acR09}, {"AC10AB", false, acR09}}) {
    TvxDWGVersion v = acR09;
    EXPECT_EQ(DXFVersionByName(c.Text, v), c.Known) << c.Text;
    if (c.Known) {
      EXPECT_EQ(v, c.Want) << c.Text;
    }
  }
}

TEST(DxfRecords, HeaderVariables) {
  Drawing d;
  d.Load(WithEOF(Join({Section("HEADER", {{9, "$ACADVER"}, {1, "AC1015"}, {9, "$HANDSEED"}, {5, "FFFF"},
                                          {9, "$LTSCALE"}, {40, "0"}, {9, "$DWGCODEPAGE"}, {3, "ANSI_1251"},
                                          {9, "$EXTMIN"}, {10, "-1"}, {20, "-2"}, {30, "-3"},
                                          {9, "$LIMMIN"}, {10, "5"}, {20, "5"},
                                          {9, "$EXTMAX"}, {10, "1"}, {20, "2"}}),
                       Section("ENTITIES", {{0, "LINE"}, {8, "\xC0\xC1"}})})));
  const TvxHeadVarStruct& hv = d.Conv->HeadVarStruct();
  EXPECT_EQ(hv.Version, static_cast<uint8_t>(acR2000));
  EXPECT_EQ(hv.CodePage, 1251);
  EXPECT_EQ(hv.LTScale, 1.0);  // 0 means 1
  EXPECT_EQ(hv.ExtMin.Z, -3);
  EXPECT_EQ(hv.ExtMax.Z, 0);  // a 2D variable does not take the Z of the one before
  EXPECT_GE(d.Conv->MaxHandle(), 0xFFFFu);
  EXPECT_EQ(d.Result.VersionText, "AC1015");
  ASSERT_NE(d.As<TvxDXFLine>(0), nullptr);
  EXPECT_EQ(d.As<TvxDXFLine>(0)->GetLayer()->GetName(), "\xD0\x90\xD0\x91");  // Cyrillic A, B
}

TEST(DxfRecords, NewerVersionsReadTextAsUTF8) {
  Drawing d;
  d.Load(WithEOF(Join({Section("HEADER", {{9, "$ACADVER"}, {1, "AC1032"}, {9, "$DWGCODEPAGE"}, {3, "ANSI_1252"}}),
                       Section("ENTITIES", {{0, "LINE"}, {8, "Gr\xC3\xBC\xC3\x9F" "e"}})})));
  EXPECT_EQ(d.Conv->HeadVarStruct().Version, static_cast<uint8_t>(acR2013));
  ASSERT_NE(d.As<TvxDXFLine>(0), nullptr);
  EXPECT_EQ(d.As<TvxDXFLine>(0)->GetLayer()->GetName(), "Gr\xC3\xBC\xC3\x9F" "e");
}

TEST(DxfRecords, CommentsAreTheFileInformation) {
  Drawing d;
  d.Load(Join({{{999, "dxflib 2.2.0.0"}}, Entities({{0, "LINE"}})}));
  EXPECT_EQ(d.Result.FileInfo, "DXFLIB 2.2.0.0");
  Drawing inv;
  inv.Load(Join({{{999, "Inventory"}}, Entities({{0, "LINE"}})}));
  EXPECT_EQ(inv.Conv->HeadVarStruct().CodePage, 1251);
}
