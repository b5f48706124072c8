// Paper space from DXF: VIEWPORT entities and LAYOUT objects, on small files and on the corpus.
#include "test_dxf_load_fixture.h"

#include "database/layouts/vxViewports.h"

#include <gtest/gtest.h>

using namespace vx;
using namespace vx::dxftest;

namespace {

std::vector<TvxDXFViewport*> Viewports(const TvxDXFEntity* block) {
  std::vector<TvxDXFViewport*> v;
  for (int i = 0; block && i < block->Count(); ++i)
    if (auto* vp = dynamic_cast<TvxDXFViewport*>(block->GetEntity(i))) v.push_back(vp);
  return v;
}

Pairs ViewportPairs(const char* handle, int flags90, const char* frozen = nullptr) {
  Pairs p{{0, "VIEWPORT"}, {5, handle}, {8, "0"}, {67, "1"},   {10, "5"},  {20, "4"},
          {30, "0"},       {40, "8"},   {41, "6"}, {68, "2"},  {69, "2"},  {12, "100"},
          {22, "50"},      {45, "12"},  {90, std::to_string(flags90)}};
  if (frozen) p.push_back({331, frozen});
  return p;
}

}  // namespace

TEST(DXFViewports, RecordFieldsAndStatusFlags) {
  // 0x80 in code 90 is a view setting (fast zoom) and must not hide the viewport; 0x20000 turns
  // the viewport off.
  Drawing d;
  d.Load(WithEOF(Join({
      Section("TABLES", {{0, "TABLE"}, {2, "LAYER"}, {0, "LAYER"}, {5, "2A"}, {2, "Walls"}, {70, "0"},
                         {62, "1"}, {6, "CONTINUOUS"}, {0, "ENDTAB"}}),
      Section("ENTITIES", Join({ViewportPairs("40", 0x80, "2A"), ViewportPairs("41", 0x20000 | 0x80)})),
  })));
  ASSERT_EQ(d.Error, "");
  ASSERT_GE(d.Conv->LayoutsCount(), 2);
  TvxDXFBlock* paper = d.Conv->Layouts(1)->ExistingPaperSpaceBlock();
  const auto vps = Viewports(paper);
  ASSERT_EQ(vps.size(), 2u);
  TvxDXFViewport* on = vps[0];
  EXPECT_TRUE(on->GetVisible());
  EXPECT_EQ(on->PSpaceCenter.X, 5);
  EXPECT_EQ(on->PSpaceWidth, 8);
  EXPECT_EQ(on->PSpaceHeight, 6);
  EXPECT_EQ(on->MSpaceCenter.X, 100);
  EXPECT_EQ(on->MSpaceHeight, 12);
  EXPECT_EQ(on->StatusField, 2);
  EXPECT_EQ(on->ThisID, 2);
  EXPECT_EQ(on->ViewDirection.Z, 1);  // preset when the file gives none
  ASSERT_EQ(on->FrozenLayers().Count(), 1);
  EXPECT_EQ(on->FrozenLayers()[0], 0x2A);
  EXPECT_FALSE(on->IsOff());
  EXPECT_TRUE(vps[1]->IsOff());
  EXPECT_TRUE(vps[1]->GetVisible());
  // Ordinals by handle: the smaller handle is the sheet's own viewport.
  EXPECT_EQ(on->OrdIndex(), 0);
  EXPECT_EQ(vps[1]->OrdIndex(), 1);
}

TEST(DXFLayouts, ObjectsGiveNamedLayoutsInTabOrderBoundToTheirBlocks) {
  auto blockRecord = [](const char* h, const char* name) {
    return Pairs{{0, "BLOCK_RECORD"}, {5, h}, {100, "AcDbSymbolTableRecord"}, {100, "AcDbBlockTableRecord"}, {2, name}};
  };
  auto block = [](const char* record, const char* name, Pairs body) {
    Pairs p{{0, "BLOCK"}, {330, record}, {8, "0"}, {2, name}, {70, "0"}, {10, "0"}, {20, "0"}, {30, "0"}, {3, name}};
    p.insert(p.end(), body.begin(), body.end());
    p.push_back({0, "ENDBLK"});
    return p;
  };
  auto layout = [](const char* h, const char* name, const char* tab, const char* record) {
    return Pairs{{0, "LAYOUT"},  {5, h},        {100, "AcDbPlotSettings"}, {1, "setup"},  {4, "ISO_A4"},
                 {44, "297"},    {45, "210"},   {70, "688"},               {72, "1"},     {73, "1"},
                 {100, "AcDbLayout"}, {1, name}, {70, "1"}, {71, tab}, {330, record}};
  };
  Drawing d;
  d.Load(WithEOF(Join({
      Section("TABLES", Join({{{0, "TABLE"}, {2, "BLOCK_RECORD"}}, blockRecord("1F", "*Model_Space"),
                              blockRecord("1B", "*Paper_Space"), blockRecord("23", "*Paper_Space0"),
                              {{0, "ENDTAB"}}})),
      Section("BLOCKS", Join({block("1F", "*Model_Space", {}), block("1B", "*Paper_Space", ViewportPairs("51", 0)),
                              block("23", "*Paper_Space0", ViewportPairs("50", 0))})),
      Section("ENTITIES", {{0, "LINE"}, {8, "0"}, {10, "0"}, {20, "0"}, {11, "1"}, {21, "1"}}),
      Section("OBJECTS", Join({layout("60", "Sheet B", "2", "1B"), layout("61", "Model", "0", "1F"),
                               layout("62", "Sheet A", "1", "23"), layout("63", "Orphan", "3", "99")})),
  })));
  ASSERT_EQ(d.Error, "");
  ASSERT_EQ(d.Conv->LayoutsCount(), 3);
  EXPECT_EQ(d.Conv->Layouts(0)->GetName(), "Model");
  EXPECT_EQ(d.Conv->Layouts(1)->GetName(), "Sheet A");
  EXPECT_EQ(d.Conv->Layouts(2)->GetName(), "Sheet B");
  EXPECT_EQ(d.Conv->Layouts(0)->ExistingPaperSpaceBlock(), d.Model());
  EXPECT_EQ(d.Conv->Layouts(0)->Count(), 1);
  TvxDXFBlock* sheetA = d.Conv->Layouts(1)->ExistingPaperSpaceBlock();
  ASSERT_NE(sheetA, nullptr);
  EXPECT_EQ(Viewports(sheetA).size(), 1u);
  const TvxPlotSettingsData& plot = d.Conv->Layouts(2)->PlotSettings()->Data;
  EXPECT_EQ(plot.PaperSize, "ISO_A4");
  EXPECT_EQ(plot.PlotPaperSize.X, 297);
  EXPECT_EQ(plot.PlotPaperUnits, ppuMM);
  EXPECT_EQ(plot.PlotRotation, pr90DegreesCounterCW);
  EXPECT_EQ(plot.PlotLayoutFlags, 688);
}

TEST(DXFLayouts, CorpusSheetsHaveTheirViewports) {
  const fs::path dir = Corpus();
  if (dir.empty()) GTEST_SKIP() << "corpus not found (VX_CORPUS)";
  int files = 0;
  for (const char* name : {"sample_AC1015_ascii.dxf", "sample_AC1015_binary.dxf", "sample_AC1018_ascii.dxf",
                           "sample_AC1021_ascii.dxf", "sample_AC1024_ascii.dxf", "sample_AC1027_ascii.dxf",
                           "sample_AC1027_binary.dxf"}) {
    const fs::path file = dir / "same-drawing" / name;
    if (!fs::exists(file)) continue;
    ++files;
    SCOPED_TRACE(name);
    Drawing d;
    d.Load(ReadFile(file));
    ASSERT_EQ(d.Error, "");
    // The layouts in tab order, each sheet with its overall viewport and one onto model space.
    ASSERT_EQ(d.Conv->LayoutsCount(), 4);
    const char* names[] = {"Model", "Layout1", "Layout2", "MyLayout"};
    for (int i = 0; i < 4; ++i) EXPECT_EQ(d.Conv->Layouts(i)->GetName(), names[i]);
    for (int i = 1; i < 4; ++i) {
      const auto vps = Viewports(d.Conv->Layouts(i)->ExistingPaperSpaceBlock());
      ASSERT_EQ(vps.size(), 2u) << names[i];
      int showing = 0;
      for (TvxDXFViewport* vp : vps) showing += vp->ShowsModelSpace() ? 1 : 0;
      EXPECT_EQ(showing, 1) << names[i];
      TFRect box = d.Conv->Layouts(i)->GetBox();
      EXPECT_LT(box.Left, box.Right) << names[i];
    }
  }
  if (files == 0) GTEST_SKIP() << "same-drawing files not found";
}

TEST(DXFViewports, OlderFilesTakeTheViewFromTheAcadExtendedData) {
  Pairs vp{{0, "VIEWPORT"}, {5, "30"}, {8, "0"}, {67, "1"}, {10, "5"}, {20, "4"}, {40, "8"}, {41, "6"},
           {68, "1"}, {69, "2"}, {1001, "ACAD"}, {1000, "MVIEW"}, {1002, "{"}, {1070, "16"},
           {1010, "1"}, {1020, "2"}, {1030, "0"}, {1010, "0"}, {1020, "0"}, {1030, "1"},
           {1040, "0"}, {1040, "25"}, {1040, "100"}, {1040, "50"}, {1040, "50"}, {1040, "0"},
           {1040, "0"}, {1070, "0"}, {1002, "{"}, {1003, "WALLS"}, {1002, "}"}, {1002, "}"}};
  Drawing d;
  d.Load(WithEOF(Join({
      Section("TABLES", {{0, "TABLE"}, {2, "LAYER"}, {0, "LAYER"}, {5, "2A"}, {2, "Walls"}, {70, "0"},
                         {62, "1"}, {6, "CONTINUOUS"}, {0, "ENDTAB"}}),
      Section("ENTITIES", vp),
  })));
  ASSERT_EQ(d.Error, "");
  const auto vps = Viewports(d.Conv->Layouts(1)->ExistingPaperSpaceBlock());
  ASSERT_EQ(vps.size(), 1u);
  EXPECT_EQ(vps[0]->MSpaceHeight, 25);
  EXPECT_EQ(vps[0]->MSpaceCenter.X, 100);
  EXPECT_EQ(vps[0]->MSpaceCenter.Y, 50);
  EXPECT_EQ(vps[0]->ViewTarget.Y, 2);
  EXPECT_EQ(vps[0]->ViewDirection.Z, 1);
  ASSERT_EQ(vps[0]->FrozenLayers().Count(), 1);
  EXPECT_EQ(vps[0]->FrozenLayers()[0], 0x2A);
}
