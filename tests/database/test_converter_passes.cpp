// The whole-drawing passes: LoadDrawing with its block loader, extents, draw order and the
// iteration protocol.
#include "test_converter_fixture.h"

#include "database/entities/vxEntities.h"

#include <cmath>
#include <limits>

namespace vx::test {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

void ExpectBox(const TFRect& got, const TFRect& want) {
  EXPECT_DOUBLE_EQ(got.Left, want.Left);
  EXPECT_DOUBLE_EQ(got.Bottom, want.Bottom);
  EXPECT_DOUBLE_EQ(got.Right, want.Right);
  EXPECT_DOUBLE_EQ(got.Top, want.Top);
}

// ---- extents --------------------------------------------------------------------------------

TEST(Extents, InvisibleEntitiesDoNotCount) {
  ConvPtr conv = NewConvWithTables();
  TvxDXFBlock* model = conv->ModelSpaceBlock();
  model->AddEntity(NewBoxEntity(Box(0, 0, 10, 5)));
  auto* hidden = NewBoxEntity(Box(100, 100, 200, 200));
  hidden->SetVisibility(false);
  model->AddEntity(hidden);
  model->AddEntity(NewBoxEntity(BadBox));  // a bad box is ignored
  conv->DoExtents();
  ExpectBox(conv->Layouts(0)->GetBox(), Box(0, 0, 10, 5));
  ExpectBox(conv->Extents(), Box(0, 0, 10, 5));
}

TEST(Extents, RealLinesAndAnXlineOnly) {
  ConvPtr conv = NewConvWithTables();
  TvxDXFBlock* model = conv->ModelSpaceBlock();
  auto* xline = new TvxDXFXline();
  xline->SetStartPoint({0, 0, 0});
  xline->SetDirection({1, 0, 0});
  model->AddEntity(xline);
  conv->Loads(xline);
  conv->DoExtents();
  // A construction line alone has nothing to be clipped against.
  EXPECT_TRUE(IsBadBox(conv->Layouts(0)->GetBox()));

  auto* line = new TvxDXFLine();
  line->SetPoint({0, -1, 0});
  line->SetPoint1({10, 5, 0});
  model->AddEntity(line);
  conv->Loads(line);
  conv->DoExtents();
  // Clipped to the box of the rest, the xline cannot widen it.
  ExpectBox(conv->Layouts(0)->GetBox(), Box(0, -1, 10, 5));
}

TEST(Extents, PointsAndLayerOffInserts) {
  SettingsGuard guard;
  ConvPtr conv = NewConvWithTables();
  TvxDXFBlock* model = conv->ModelSpaceBlock();
  model->AddEntity(NewBoxEntity(Box(0, 0, 1, 1)));
  auto* point = NewBoxEntity(Box(50, 50, 50, 50));
  point->Kind = cePoint;
  model->AddEntity(point);
  conv->DoExtents();
  ExpectBox(conv->Layouts(0)->GetBox(), Box(0, 0, 50, 50));
  conv->HeadVarStruct().PointDisplayMode = 1;  // points not shown: not counted
  conv->DoExtents();
  ExpectBox(conv->Layouts(0)->GetBox(), Box(0, 0, 1, 1));

  // A hidden insert on a switched-off layer counts when its block shows something.
  TvxDXFBlock* block = conv->NewNamed<TvxDXFBlock>(conv->BlocksSection(), "B");
  auto* inner = NewBoxEntity(Box(0, 0, 1, 1));
  block->AddEntity(inner);
  TvxDXFLayer* off = conv->LayerByName("Off");
  TvxDXFLayer* shown = conv->LayerByName("Shown");
  off->SetVisible(false);
  auto* ins = new TestInsert();
  ins->RefBlock = block;
  ins->FixedBox = Box(-20, -20, -10, -10);
  ins->SetVisibility(false);
  ins->SetLayer(off);
  model->AddEntity(ins);
  struct Case { bool frozen; bool innerShown; bool counts; };
  for (const Case& c : std::initializer_list<Case>{
           {false, true, true}, {true, true, false}, {false, false, false}}) {
    off->SetFrozen(c.frozen);
    inner->SetLayer(c.innerShown ? shown : off);
    conv->DoExtents();
    EXPECT_EQ(conv->Layouts(0)->GetBox().Left, c.counts ? -20.0 : 0.0)
        << c.frozen << c.innerShown;
  }
}

TEST(Extents, PaperLayoutHasItsOwnBox) {
  ConvPtr conv = NewConv();
  conv->Layouts(1)->AddEntity(NewBoxEntity(Box(1, 2, 3, 4)));
  conv->ModelSpaceBlock()->AddEntity(NewBoxEntity(Box(-5, -5, 5, 5)));
  conv->DoExtents();
  ExpectBox(conv->Layouts(1)->GetBox(), Box(1, 2, 3, 4));
  ExpectBox(conv->Layouts(0)->GetBox(), Box(-5, -5, 5, 5));
  conv->SetDefaultLayoutIndex(1);
  ExpectBox(conv->Extents(), Box(1, 2, 3, 4));
}

TEST(Extents, PlotSettingsPickedUpOnlyFromPlotSettings) {
  ConvPtr conv = NewConvWithTables();
  auto* setup = new TvxDXFPlotSettings();
  setup->SetName("A3 setup");
  setup->Data.PaperSize = "ISO A3";
  auto* impostor = new TvxDXFDictionary();
  impostor->SetName("Other");
  conv->ObjectsSection()->AddEntity(impostor);
  conv->ObjectsSection()->AddEntity(setup);
  TvxDXFLayout* layout = conv->Layouts(0);
  layout->PlotSettings()->SetName("Other");
  conv->Loads(layout);
  EXPECT_EQ(layout->PlotSettings()->Data.PaperSize, "");
  layout->PlotSettings()->SetName("A3 SETUP");
  conv->Loads(layout);
  EXPECT_EQ(layout->PlotSettings()->Data.PaperSize, "ISO A3");
}

// ---- whole-drawing load ---------------------------------------------------------------------

TEST(LoadDrawing, LoadsBlocksBeforeTheirInsertsAndEndsOnCycles) {
  ConvPtr conv = NewConvWithTables();
  TvxDXFBlock* a = conv->NewNamed<TvxDXFBlock>(conv->BlocksSection(), "A");
  TvxDXFBlock* b = conv->NewNamed<TvxDXFBlock>(conv->BlocksSection(), "B");
  auto* inA = NewBoxEntity(Box(0, 0, 2, 2));
  a->AddEntity(inA);
  auto* aToB = new TestInsert();
  aToB->RefBlock = b;
  a->AddEntity(aToB);
  auto* bToA = new TestInsert();
  bToA->RefBlock = a;
  auto* bToB = new TestInsert();
  bToB->RefBlock = b;
  b->AddEntity(bToA);
  b->AddEntity(bToB);
  auto* modelIns = new TestInsert();
  modelIns->RefBlock = a;
  modelIns->FixedBox = Box(0, 0, 2, 2);
  conv->ModelSpaceBlock()->AddEntity(modelIns);
  auto* layer = conv->LayerByName("L");

  conv->LoadDrawing();
  EXPECT_TRUE(a->IsLoaded());
  EXPECT_TRUE(b->IsLoaded());
  EXPECT_EQ(inA->Loaded, 1);
  EXPECT_GT(modelIns->LoaderCalls, 0);
  EXPECT_FALSE(conv->OnLoad());  // only set while the load runs
  ExpectBox(a->GetBox(), Box(0, 0, 2, 2));
  ExpectBox(conv->Layouts(0)->GetBox(), Box(0, 0, 2, 2));
  EXPECT_NE(layer->GetHandle(), 0u);
  EXPECT_EQ(conv->Status(), stDefault);
}

TEST(LoadDrawing, ReadingSequenceEndsWithDefaults) {
  ConvPtr conv = NewConv();
  conv->InitializeSectionsBegin();
  conv->BeginReading();
  auto* e = NewBoxEntity(Box(0, 0, 1, 1), 0x10);
  e->SetLayerLink(TvxLinkObject::ByName("Walls"));
  conv->ModelSpaceBlock()->AddEntity(e);
  conv->ResolveDrawingLinks();
  conv->LoadDrawing();
  ASSERT_TRUE(conv->EndReading());
  EXPECT_EQ(e->GetLayer()->GetName(), "Walls");
  EXPECT_EQ(e->GetLayer()->GetLineType()->GetName(), "CONTINUOUS");
  EXPECT_EQ(conv->LTypes()->Count(), 3);
  EXPECT_GE(conv->LoadsCount(), 1);
}

TEST(LoadDrawing, LayerDictionariesAreLinkedAndOthersDropped) {
  ConvPtr conv = NewConvWithTables();
  TvxDXFLayer* layer = conv->LayerByName("L");
  auto* dict = new TvxDXFDictionary();
  dict->SetName("");
  dict->SetHandle(0xAB);
  conv->ObjectsSection()->AddEntity(dict);
  auto* e = NewBoxEntity(Box(0, 0, 1, 1), 0x10);
  conv->ModelSpaceBlock()->AddEntity(e);
  conv->RegisterEntityDictionary(layer->GetHandle(), 0xAB);
  conv->RegisterEntityDictionary(layer->GetHandle(), 0xCD);  // one per owner
  conv->RegisterEntityDictionary(0x10, 0xAB);
  conv->ApplyLayerDictionaries();
  EXPECT_EQ(layer->GetDictionary(), dict);
  EXPECT_EQ(e->GetDictionary(), nullptr);
}

TEST(LoadDrawing, DeepNestingEndsWithoutExhaustingTheStack) {
  ConvPtr conv = NewConvWithTables();
  TvxDXFEntity* parent = conv->ObjectsSection();
  TvxDXFEntity* deepest = nullptr;
  for (int i = 0; i < 2000; ++i) {
    auto* d = new TvxDXFDictionary();
    d->SetHandle(0x1000 + static_cast<uint64_t>(i));
    parent->AddEntity(d);
    parent = deepest = d;
  }
  conv->ResolveDrawingLinks();
  conv->LoadDrawing();
  EXPECT_EQ(conv->Main()->FindEntByHandle(0xFFFFF, true, true), nullptr);
  EXPECT_EQ(deepest->GetHandle(), 0x1000u + 1999);
}

TEST(Blocks, LeavingBlocksDropsTheRecordsDictionary) {
  ConvPtr conv = NewConvWithTables();
  TvxDXFBlock* b = conv->NewNamed<TvxDXFBlock>(conv->BlocksSection(), "B");
  auto* dict = new TvxDXFDictionary();
  conv->ObjectsSection()->AddEntity(dict);
  b->BlockRecord()->SetDictionary(dict);
  ASSERT_TRUE(conv->DeleteBlock(b, false));
  EXPECT_EQ(b->BlockRecord()->GetDictionary(), nullptr);
  b->Free();
}

TEST(Blocks, LoadedBlockRefusesChildrenUnlessItBelongsToALayout) {
  ConvPtr conv = NewConvWithTables();
  TvxDXFBlock* b = conv->NewNamed<TvxDXFBlock>(conv->BlocksSection(), "B");
  EXPECT_EQ(b->AddEntity(NewBoxEntity(Box(0, 0, 1, 1))), 0);
  conv->Loads(b);
  EXPECT_TRUE(b->IsLoaded());
  ExpectBox(b->GetBox(), Box(0, 0, 1, 1));
  auto* refused = NewBoxEntity(Box(0, 0, 1, 1));
  EXPECT_EQ(b->AddEntity(refused), -1);
  refused->Free();
  // Clearing unloads it; a layout's block always takes children.
  b->Clear(true);
  EXPECT_FALSE(b->IsLoaded());
  TvxDXFBlock* model = conv->ModelSpaceBlock();
  conv->Loads(model);
  EXPECT_EQ(model->AddEntity(NewBoxEntity(Box(0, 0, 1, 1))), 0);
}

TEST(Blocks, DrawingDestroyedWhileAnExtractedLayerIsInUse) {
  TvxDXFConverter* conv = TvxDXFConverter::Create();
  conv->InitializeSectionsBegin();
  conv->InitializeSectionsEnd(false);
  TvxDXFLayer* layer = conv->LayerByName("Kept");
  auto* e = NewBoxEntity(Box(0, 0, 1, 1));
  conv->ModelSpaceBlock()->AddEntity(e);
  e->SetLayer(layer);
  conv->ExtractFromTable(conv->Layers(), layer);
  EXPECT_EQ(conv->Release(), 0);  // the entity goes with the drawing, and the layer with it
}

// ---- draw order -----------------------------------------------------------------------------

struct SortFixture {
  ConvPtr conv = NewConvWithTables();
  TvxDXFBlock* model = conv->ModelSpaceBlock();
  TvxDXFSortEntsTable* table = nullptr;

  SortFixture() {
    for (uint64_t h : {10, 11, 12}) model->AddEntity(NewBoxEntity(Box(0, 0, 1, 1), h));
    auto* dict = new TvxDXFDictionary();
    dict->SetName("EXT");
    conv->ObjectsSection()->AddEntity(dict);
    table = new TvxDXFSortEntsTable();
    table->SetName("ACAD_SORTENTS");
    dict->AddEntity(table);
    model->BlockRecord()->SetDictionary(dict);
  }
  std::vector<uint64_t> Order() const {
    std::vector<uint64_t> r;
    for (TvxDXFEntity* e : model->Entities()) r.push_back(e->GetHandle());
    return r;
  }
};

TEST(DrawOrder, SortEntsPairsReorderTheBlock) {
  struct Case { std::vector<uint64_t> old, sorted, want; };
  for (const Case& c : std::initializer_list<Case>{
           {{10, 12}, {0x30, 0x05}, {12, 11, 10}},
           {{10, 12}, {0x10000000, 0x05}, {12, 11, 10}},  // a span far beyond 5000000
           {{11}, {0xFFFFFFFFFFFFFFFF}, {10, 12, 11}},    // keys compare unsigned
           {{10, 12, 99}, {0x30, 0x05}, {12, 11, 10}},    // pairs up to the shorter list
           {{10, 11}, {12, 12}, {10, 11, 12}},            // equal keys keep their order
           {{}, {}, {10, 11, 12}}}) {
    SortFixture f;
    f.table->HandlesOld = c.old;
    f.table->HandlesNew = c.sorted;
    f.model->SetViewPortOrdIndex(4);
    f.conv->SortEntities();
    EXPECT_EQ(f.Order(), c.want);
    EXPECT_EQ(f.model->Count(), 3);
  }
}

TEST(DrawOrder, SortObjectNamesTheBlock) {
  SortFixture f;
  TvxDXFBlock* other = f.conv->NewNamed<TvxDXFBlock>(f.conv->BlocksSection(), "Other");
  for (uint64_t h : {1, 2}) other->AddEntity(NewBoxEntity(Box(0, 0, 1, 1), h));
  f.table->SortObject = other->BlockRecord();
  f.table->HandlesOld = {1};
  f.table->HandlesNew = {3};
  f.conv->SortEntities();
  EXPECT_EQ(other->GetEntity(0)->GetHandle(), 2u);
  EXPECT_EQ(f.Order(), (std::vector<uint64_t>{10, 11, 12}));
}

TEST(DrawOrder, ZDepthIsAStableSortWithNaNLast) {
  ConvPtr conv = NewConv();  // no BLOCK_RECORD: SortEntities sorts by depth
  TvxDXFBlock* model = conv->ModelSpaceBlock();
  const double zs[] = {5, kNaN, 1, 3, 1, kNaN, -2};
  for (size_t i = 0; i < std::size(zs); ++i)
    model->AddEntity(NewBoxEntity(Box(0, 0, 1, 1, zs[i], zs[i]), i + 1));
  conv->SortEntities();
  std::vector<uint64_t> order;
  for (TvxDXFEntity* e : model->Entities()) order.push_back(e->GetHandle());
  EXPECT_EQ(order, (std::vector<uint64_t>{7, 3, 5, 4, 1, 2, 6}));
}

TEST(DrawOrder, ZDepthLeavesLevelDrawingsAlone) {
  ConvPtr conv = NewConv();
  TvxDXFBlock* model = conv->ModelSpaceBlock();
  EXPECT_FALSE(conv->SortEntitiesInZDepth());
  for (uint64_t h : {3, 1, 2}) model->AddEntity(NewBoxEntity(Box(0, 0, 1, 1, 1e-7 * h, 0), h));
  EXPECT_FALSE(conv->SortEntitiesInZDepth());
  EXPECT_EQ(model->GetEntity(0)->GetHandle(), 3u);
}

// ---- iteration ------------------------------------------------------------------------------

TEST(Iterate, WalksEveryChildInOrder) {
  ConvPtr conv = NewConvWithTables();
  TvxDXFBlock* model = conv->ModelSpaceBlock();
  for (uint64_t h : {1, 2, 3}) model->AddEntity(NewBoxEntity(Box(0, 0, 1, 1), h));
  std::vector<uint64_t> seen;
  conv->Layouts(0)->Iterate(conv.get(), nullptr, [&seen](TvxDXFEntity* e) {
    seen.push_back(e->GetHandle());
    return 1;
  });
  EXPECT_EQ(seen, (std::vector<uint64_t>{1, 2, 3}));
}

TEST(Iterate, ImportModeCutsByTheFullTransformedBox) {
  ConvPtr conv = NewConvWithTables();
  TvxDXFBlock* model = conv->ModelSpaceBlock();
  auto* unit = NewBoxEntity(Box(0, 0, 1, 1), 1);
  auto* far = NewBoxEntity(Box(10, 10, 11, 11), 2);
  auto* bad = NewBoxEntity(BadBox, 3);
  for (auto* e : {unit, far, bad}) model->AddEntity(e);
  auto walk = [&] {
    std::vector<uint64_t> seen;
    model->Iterate(conv.get(), nullptr, [&seen](TvxDXFEntity* e) {
      seen.push_back(e->GetHandle());
      return 1;
    });
    return seen;
  };
  EXPECT_EQ(walk(), (std::vector<uint64_t>{1, 2, 3}));  // view mode: no cut
  conv->SetImportMode(imImport);
  conv->SetViewPortCut(true);
  // Turned by 45 degrees the unit square reaches up to y = 1.414; its two stored corners
  // only reach y = 0.707.
  conv->Params()->Matrix = RotationMatrixZDeg(45);
  conv->SetViewPortRect(Box(-1, 1.2, 1, 2));
  EXPECT_EQ(walk(), (std::vector<uint64_t>{1}));
  conv->SetViewPortRect(Box(-1, 1.5, 1, 2));
  EXPECT_TRUE(walk().empty());
}

TEST(Update, ReloadsThroughTheConverter) {
  ConvPtr conv = NewConvWithTables();
  auto* e = NewBoxEntity(Box(0, 0, 1, 1));
  conv->ModelSpaceBlock()->AddEntity(e);
  EXPECT_EQ(e->GetConverter(), conv.get());
  e->Update();
  e->Update();
  EXPECT_EQ(e->Loaded, 2);
  TvxEntityPtr<TestBoxEntity> loose(new TestBoxEntity());
  loose->Update();  // no converter: nothing to do
  EXPECT_EQ(loose->Loaded, 0);
}

}  // namespace
}  // namespace vx::test
