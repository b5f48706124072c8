// The drawing as created: skeleton, header defaults, default tables, lookups, sections and
// lifetime.
#include "test_converter_fixture.h"

#include <typeinfo>

namespace vx::test {
namespace {

TEST(ConverterCreate, NewDrawingHasSectionsDictionariesAndTwoLayouts) {
  ConvPtr conv = NewConv();
  ASSERT_NE(conv->Main(), nullptr);
  EXPECT_EQ(conv->Main()->GetName(), "SECTIONS");
  EXPECT_EQ(ChildNames(conv->Main()), (std::vector<std::string>{"TABLES", "OBJECTS", "BLOCKS"}));
  EXPECT_EQ(ChildNames(conv->ObjectsSection()),
            (std::vector<std::string>{"MLINESTYLES", "LAYOUTS", "IMAGEDEFS"}));
  EXPECT_EQ(conv->Sections(csTables), conv->TablesSection());
  EXPECT_EQ(conv->Sections(csBlocks), conv->BlocksSection());
  EXPECT_EQ(conv->Sections(csObjects), conv->ObjectsSection());
  EXPECT_EQ(conv->Sections(csMLineStyles), conv->MLineStyles());
  EXPECT_NE(conv->MLineStyles(), nullptr);
  EXPECT_NE(conv->ImageDefs(), nullptr);
  EXPECT_NE(dynamic_cast<TvxDXFSectionTables*>(conv->TablesSection()), nullptr);
  EXPECT_NE(dynamic_cast<TvxDXFSectionBlocks*>(conv->BlocksSection()), nullptr);
  EXPECT_NE(dynamic_cast<TvxDXFSectionObjects*>(conv->ObjectsSection()), nullptr);

  ASSERT_EQ(conv->LayoutsCount(), 2);
  EXPECT_EQ(conv->Layouts(0)->GetName(), "Model");
  EXPECT_EQ(conv->Layouts(1)->GetName(), "Layout1");
  EXPECT_TRUE(conv->Layouts(0)->IsModel());
  EXPECT_FALSE(conv->Layouts(1)->IsModel());

  // ENTITIES is the model-space block, made once and kept in BLOCKS.
  TvxDXFBlock* model = conv->ModelSpaceBlock();
  ASSERT_NE(model, nullptr);
  EXPECT_EQ(conv->Sections(csEntities), model);
  EXPECT_EQ(model->GetName(), "*MODEL_SPACE");
  EXPECT_EQ(conv->ModelSpaceBlock(), model);
  EXPECT_EQ(conv->BlockByName("*model_space"), model);
  EXPECT_EQ(model->Layout(), conv->Layouts(0));

  EXPECT_EQ(conv->Status(), stDefault);
  EXPECT_EQ(conv->RefCount(), 1);
  EXPECT_EQ(conv->Count(), 1);  // never 0: progress divides by it
  EXPECT_EQ(conv->NumberOfPartsInCircle(), 48);
  EXPECT_EQ(conv->NumberOfPartsInSpline(), 24);
  EXPECT_EQ(conv->DefaultLayoutIndex(), -1);
  EXPECT_TRUE(conv->AllArcsAsCurves());
  EXPECT_TRUE(conv->IsCrossoverMatrix());
  EXPECT_EQ(conv->ImportMode(), imView);
  EXPECT_TRUE(IsBadBox(conv->ViewPortRect()));
  EXPECT_EQ(conv->SHXDefaultFont(), "simplex.shx");
}

TEST(ConverterCreate, HeaderStartsFromDefaults) {
  ConvPtr conv = NewConv();
  const TvxHeadVarStruct& h = conv->HeadVarStruct();
  EXPECT_EQ(h.CEColor.Active, acIndexColor);
  EXPECT_EQ(h.CEColor.Color, 256u);
  EXPECT_EQ(h.CLayer, "0");
  EXPECT_EQ(h.CELType, "BYLAYER");
  EXPECT_EQ(h.CELTScale, 1.0);
  EXPECT_EQ(h.CELWeight, -1.0);
  EXPECT_EQ(h.DimStyle, "STANDARD");
  EXPECT_EQ(h.DimTextStyle, "STANDARD");
  EXPECT_EQ(h.TextStyle, "STANDARD");
  EXPECT_EQ(h.FilletRadius, 0.5);
  EXPECT_EQ(h.InsUnits, 4);
  EXPECT_EQ(h.LTScale, 1.0);
  EXPECT_EQ(h.TextSize, 0.18);
  EXPECT_EQ(h.TileMode, 1);
  EXPECT_EQ(h.UCSXDir, (TFPoint{1, 0, 0}));
  EXPECT_EQ(h.UCSYDir, (TFPoint{0, 1, 0}));
  EXPECT_EQ(h.AttMode, attNormal);
  EXPECT_EQ(h.XClipFrame, 2);
  EXPECT_EQ(h.PointDisplayMode, 0);
  EXPECT_EQ(h.DimProps.Asz, 0.18);
  EXPECT_EQ(h.DimProps.Dec, 4);
  EXPECT_EQ(h.DimProps.Exo, 0.0625);
  EXPECT_EQ(h.DimProps.ClrT.Color, 0u);
  EXPECT_TRUE(h.DimProps.Tih);
}

TEST(ConverterCreate, FileNameFromParamsOrCreateFromFile) {
  ConvPtr a(TvxDXFConverter::CreateFromFile("plan.dxf"));
  EXPECT_EQ(a->FileName(), "plan.dxf");
  TvxConverterParams p;
  p.FileName = "b.dwg";
  ConvPtr b(TvxDXFConverter::CreateEx(p));
  EXPECT_EQ(b->FileName(), "b.dwg");
  EXPECT_FALSE(b->HasGeneratedHandles());
}

TEST(ConverterCreate, SegmentSettingsBelowFiveMeanDefaults) {
  SettingsGuard guard;
  struct Case { int circle, spline, wantCircle, wantSpline; double merge; int readCircle; };
  for (const Case& c : std::initializer_list<Case>{{4, 3, 48, 24, 0, 48},
                                                   {5, 6, 5, 6, 0, 5},
                                                   {100, 30, 100, 30, 0, 100},
                                                   {100, 30, 100, 30, 2.5, 255}}) {
    GlobalSettings.NumberOfPartsInCircle = c.circle;
    GlobalSettings.NumberOfPartsInSpline = c.spline;
    GlobalSettings.MergeAngle = 0;
    ConvPtr conv = NewConv();
    GlobalSettings.MergeAngle = c.merge;
    EXPECT_EQ(conv->NumberOfPartsInCircle(), c.readCircle) << c.circle;
    EXPECT_EQ(conv->NumberOfPartsInSpline(), c.merge > 0 ? 255 : c.wantSpline) << c.spline;
  }
}

TEST(ConverterCreate, SHXSearchPathHasNoEmptyEntries) {
  SettingsGuard guard;
  GlobalSettings.UseACADPaths = true;  // yields nothing on this platform
  for (const auto& [in, want] : std::initializer_list<std::pair<const char*, const char*>>{
           {"", ""}, {";;fonts;;;more;", "fonts;more;"}, {"a", "a;"}, {";;;", ""}}) {
    GlobalSettings.SHXSearchPath = in;
    ConvPtr conv = NewConv();
    EXPECT_EQ(conv->SHXSearchPath(), want) << in;
  }
}

// ---- default tables -------------------------------------------------------------------------

TEST(ConverterDefaultTables, InitializeCreatesTablesAndItems) {
  ConvPtr conv = NewConv();
  conv->InitializeSectionsBegin();
  conv->InitializeSectionsEnd(true);
  struct Case { TConvSection section; const char* name; std::vector<std::string> items; };
  for (const Case& c : std::initializer_list<Case>{
           {csLTypes, "LTYPE", {"BYLAYER", "BYBLOCK", "CONTINUOUS"}},
           {csLayers, "LAYER", {}},
           {csStyles, "STYLE", {"STANDARD"}},
           {csDimStyles, "DIMSTYLE", {"STANDARD"}},
           {csVPorts, "VPORT", {}},
           {csAppID, "APPID", {"VXWINVENTORY"}}}) {
    TvxDXFTable* t = conv->Table(c.section);
    ASSERT_NE(t, nullptr) << c.name;
    EXPECT_EQ(t->GetName(), c.name);
    EXPECT_EQ(t->GetOwner(), conv->TablesSection()) << c.name;
    EXPECT_EQ(conv->Tables(c.name), t);
    EXPECT_EQ(ChildNames(t), c.items) << c.name;
  }
  EXPECT_NE(dynamic_cast<TvxDXFBlockRecords*>(conv->BlockRecords()), nullptr);
  EXPECT_NE(dynamic_cast<TvxDXFLineType*>(conv->LTypes()->GetEntity(0)), nullptr);
  EXPECT_NE(dynamic_cast<TvxDXFAppID*>(conv->AppIDs()->GetEntity(0)), nullptr);
  EXPECT_NE(dynamic_cast<TvxDXFDimensionStyle*>(conv->DimStyles()->GetEntity(0)), nullptr);
  // The shared-item tables clear differently.
  for (TvxDXFTable* t : {conv->LTypes(), conv->Layers(), conv->Styles(), conv->DimStyles()})
    EXPECT_TRUE(t->GetInternalFlags() & cnstSharedItemsContainer) << t->GetName();
  EXPECT_FALSE(conv->AppIDs()->GetInternalFlags() & cnstSharedItemsContainer);

  // The dimension style got the header's text style.
  auto* ds = conv->DimensionStyleByName("STANDARD");
  ASSERT_NE(ds->GetTextStyle(), nullptr);
  EXPECT_EQ(ds->GetTextStyle(), conv->StyleByName("STANDARD"));
  // Layer "0" comes with the first entity that needs it, not before.
  EXPECT_EQ(conv->Layers()->Count(), 0);
  // The empty "Layout1" was cleaned away.
  EXPECT_EQ(conv->LayoutsCount(), 1);
  EXPECT_EQ(conv->BlockByName("*PAPER_SPACE"), nullptr);
}

TEST(ConverterDefaultTables, SecondRunReusesWhatExists) {
  ConvPtr conv = NewConv();
  conv->InitializeSectionsBegin();
  TvxDXFTable* layers = conv->Layers();
  conv->InitializeSectionsBegin();
  conv->InitializeSectionsEnd(false);
  conv->InitializeSectionsEnd(false);
  EXPECT_EQ(conv->Layers(), layers);
  EXPECT_EQ(conv->LTypes()->Count(), 3);
  EXPECT_EQ(conv->TablesSection()->Count(), 7);
  EXPECT_EQ(conv->ObjectsSection()->IndexOfName("LAYOUTS"), 1);
}

TEST(ConverterDefaultTables, PaperLayoutWithEntitiesIsKept) {
  ConvPtr conv = NewConv();
  conv->InitializeSectionsBegin();
  conv->Layouts(1)->AddEntity(NewBoxEntity(Box(0, 0, 1, 1)));
  conv->InitializeSectionsEnd(true);
  ASSERT_EQ(conv->LayoutsCount(), 2);
  EXPECT_EQ(conv->Layouts(1)->Count(), 1);
}

TEST(ConverterDefaultTables, UnknownHeaderStylesFallBackWhenFinalizing) {
  for (bool finalizing : {false, true}) {
    ConvPtr conv = NewConv();
    conv->HeadVarStruct().TextStyle = "Romans";
    conv->HeadVarStruct().DimStyle = "";
    conv->InitializeSectionsBegin();
    conv->InitializeSectionsEnd(finalizing);
    EXPECT_EQ(conv->HeadVarStruct().TextStyle, finalizing ? "STANDARD" : "Romans");
    EXPECT_EQ(conv->HeadVarStruct().DimStyle, "STANDARD");
    EXPECT_EQ(conv->Styles()->FindEntByName("ROMANS") != nullptr, !finalizing);
  }
}

TEST(ConverterDefaultTables, LayersWithoutLineTypeGetContinuous) {
  ConvPtr conv = NewConv();
  conv->InitializeSectionsBegin();
  auto* layer = new TvxDXFLayer();
  layer->SetName("Bare");
  conv->Layers()->AddEntity(layer);
  conv->InitializeSectionsEnd(true);
  ASSERT_NE(layer->GetLineType(), nullptr);
  EXPECT_EQ(layer->GetLineType()->GetName(), "CONTINUOUS");
}

// ---- lookups --------------------------------------------------------------------------------

TEST(ConverterLookup, NamesCompareCaseInsensitively) {
  ConvPtr conv = NewConvWithTables();
  TvxDXFLayer* walls = conv->LayerByName("Walls");
  ASSERT_NE(walls, nullptr);
  EXPECT_EQ(conv->LayerByName("WALLS"), walls);
  EXPECT_EQ(conv->LayerByName("walls"), walls);
  EXPECT_EQ(walls->GetName(), "Walls");
  EXPECT_EQ(conv->Layers()->Count(), 1);

  EXPECT_EQ(conv->LTypeByName("continuous")->GetName(), "CONTINUOUS");
  EXPECT_EQ(conv->LTypeByName("nope"), nullptr);
  EXPECT_EQ(conv->BlockByName("nope"), nullptr);
  EXPECT_EQ(conv->LTypes()->Count(), 3);  // finding never creates line types

  EXPECT_EQ(conv->StyleByName("")->GetName(), "STANDARD");
  EXPECT_EQ(conv->StyleByName("romans")->GetName(), "ROMANS");
  EXPECT_EQ(conv->StyleByName("RoMaNs"), conv->StyleByName("ROMANS"));
  EXPECT_EQ(conv->DimensionStyleByName("iso-25")->GetName(), "iso-25");
  EXPECT_EQ(conv->DimensionStyleByName("ISO-25"), conv->DimensionStyleByName("iso-25"));
  // UTF-8 passes through the fold.
  EXPECT_EQ(conv->LayerByName("Стены"), conv->LayerByName("Стены"));
}

TEST(ConverterLookup, LTypeByNameWithoutTableIsNil) {
  ConvPtr conv = NewConv();
  EXPECT_EQ(conv->LTypes(), nullptr);
  EXPECT_EQ(conv->LTypeByName("CONTINUOUS"), nullptr);
}

TEST(ConverterLookup, NamedLookupsOnlyReturnItemsOfTheirClass) {
  ConvPtr conv = NewConvWithTables();
  // A foreign item under a layer's name in LAYER and a layer in LTYPE.
  auto* stranger = new TvxDXFAppID();
  stranger->SetName("Walls");
  ASSERT_GE(conv->Layers()->AddEntity(stranger), 0);
  auto* odd = new TvxDXFLayer();
  odd->SetName("DASHED");
  ASSERT_GE(conv->LTypes()->AddEntity(odd), 0);

  TvxDXFLayer* walls = conv->LayerByName("Walls");
  ASSERT_NE(walls, nullptr);
  EXPECT_NE(static_cast<TvxDXFEntity*>(walls), static_cast<TvxDXFEntity*>(stranger));
  EXPECT_EQ(conv->LayerByName("WALLS"), walls);
  EXPECT_EQ(conv->FindOrCreateItem("walls", csLayers, false), walls);
  EXPECT_EQ(conv->LTypeByName("DASHED"), nullptr);
  EXPECT_EQ(conv->NewNamed<TvxDXFLayer>(conv->Layers(), "Walls"), walls);
}

TEST(ConverterLookup, NewNamedEntityReturnsExistingOrAddsNew) {
  ConvPtr conv = NewConvWithTables();
  int created = 0;
  conv->OnCreate = [&created](TvxDXFEntity*) { ++created; };
  TvxDXFEntity* a = conv->NewNamed<TvxDXFAppID>(conv->AppIDs(), "MYAPP");
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(a->GetOwner(), conv->AppIDs());
  EXPECT_EQ(a->GetConverter(), conv.get());
  EXPECT_EQ(conv->NewNamed<TvxDXFAppID>(conv->AppIDs(), "myapp"), a);
  EXPECT_EQ(created, 1);
}

TEST(ConverterLookup, NewNamedEntityFreesWhatTheOwnerRefuses) {
  ConvPtr conv = NewConvWithTables();
  TvxDXFBlock* block = conv->NewNamed<TvxDXFBlock>(conv->BlocksSection(), "B");
  conv->Loads(block);  // a loaded ordinary block refuses children
  ASSERT_TRUE(block->IsLoaded());
  EXPECT_EQ(conv->NewNamed<TestBoxEntity>(block, "x"), nullptr);
  EXPECT_EQ(block->Count(), 0);
}

TEST(ConverterLookup, FindOrCreateMakesMissingContainers) {
  ConvPtr conv = NewConv();
  TvxDXFEntity* app = conv->FindOrCreateItem("APP", csAppID, true);
  ASSERT_NE(app, nullptr);
  EXPECT_EQ(conv->AppIDs()->GetOwner(), conv->TablesSection());
  TvxDXFEntity* rec = conv->FindOrCreateItem("BLK", csBlockRecords, true);
  auto* record = dynamic_cast<TvxDXFBlockRecord*>(rec);
  ASSERT_NE(record, nullptr);
  ASSERT_NE(record->Block(), nullptr);
  EXPECT_EQ(conv->BlockByName("blk"), record->Block());
  EXPECT_EQ(conv->FindOrCreateItem("blk", csBlockRecords, false), rec);
  TvxDXFEntity* style = conv->FindOrCreateItem("TS", csTableStyles, true);
  ASSERT_NE(conv->TableStyles(), nullptr);
  EXPECT_EQ(style->GetOwner(), conv->TableStyles());
  EXPECT_EQ(conv->TableStyles()->GetOwner(), conv->ObjectsSection());
  EXPECT_EQ(conv->FindOrCreateItem("none", csLayers, false), nullptr);
}

TEST(ConverterLookup, GeneratedBlockNamesSkipExistingOnes) {
  ConvPtr conv = NewConvWithTables();
  EXPECT_EQ(conv->NewDimensionBlockName(), "*vxDim0");
  EXPECT_EQ(conv->NewDimensionBlockName(), "*vxDim1");
  conv->NewNamed<TvxDXFBlock>(conv->BlocksSection(), "*vxDim2");
  EXPECT_EQ(conv->NewDimensionBlockName(), "*vxDim3");
  EXPECT_EQ(conv->NewTableBlockName(), "*TvxTbl1");
  conv->NewNamed<TvxDXFBlock>(conv->BlocksSection(), "*TVXTBL2");
  EXPECT_EQ(conv->NewTableBlockName(), "*TvxTbl3");
}

TEST(ConverterContainers, EndMarkersAreRefusedEverywhere) {
  ConvPtr conv = NewConvWithTables();
  std::vector<TvxDXFEntity*> containers = {conv->ModelSpaceBlock(), conv->Layers(),
                                           conv->Main(), conv->Layouts(0), conv->ObjectsSection(),
                                           conv->LayoutsDictionary()};
  for (TvxDXFEntity* c : containers) {
    const int before = c->Count();
    auto* seqend = new TvxDXFSeqend();
    EXPECT_EQ(c->AddEntity(seqend), -1) << c->GetName();
    EXPECT_EQ(c->InsertEntity(0, seqend), -1) << c->GetName();
    EXPECT_EQ(c->Count(), before) << c->GetName();
    EXPECT_EQ(seqend->GetOwner(), nullptr);
    seqend->Free();
  }
}

// ---- sections -------------------------------------------------------------------------------

TEST(ConverterSections, WritesAreTypeChecked) {
  ConvPtr conv = NewConvWithTables();
  TvxDXFTable* layers = conv->Layers();
  TvxEntityPtr<TvxDXFLayer> notATable(new TvxDXFLayer());
  EXPECT_THROW(conv->SetSection(csLayers, notATable.get()), EvxInvalidCast);
  EXPECT_THROW(conv->SetSection(csLayers, notATable.get()), std::bad_cast);
  EXPECT_EQ(conv->Layers(), layers);
  TvxEntityPtr<TvxDXFTable> plainTable(new TvxDXFTable());
  EXPECT_THROW(conv->SetSection(csTables, plainTable.get()), EvxInvalidCast);
  EXPECT_EQ(conv->Sections(csTables), conv->TablesSection());

  // A section is a table, so it may stand for one; csEntities and csMLineStyles ignore writes.
  TvxEntityPtr<TvxDXFSection> section(new TvxDXFSection());
  conv->SetSection(csLayers, section.get());
  EXPECT_EQ(conv->Sections(csLayers), section.get());
  conv->SetSection(csLayers, layers);
  TvxDXFEntity* mstyles = conv->Sections(csMLineStyles);
  conv->SetSection(csMLineStyles, plainTable.get());
  conv->SetSection(csEntities, plainTable.get());
  EXPECT_EQ(conv->Sections(csMLineStyles), mstyles);
  EXPECT_EQ(conv->Sections(csEntities), conv->ModelSpaceBlock());
}

TEST(ConverterSections, FieldsFollowNamedContainersAddedAnywhere) {
  ConvPtr conv = NewConvWithTables();
  // Readers add containers by name; the converter picks them up and drops them on removal.
  auto* ltype = new TvxDXFTable();
  ltype->SetName("ltype");
  TvxDXFEntity* old = conv->ExtractFromTable(conv->TablesSection(), conv->LTypes());
  ASSERT_NE(old, nullptr);
  EXPECT_EQ(conv->LTypes(), nullptr);
  old->Free();
  conv->TablesSection()->AddEntity(ltype);
  EXPECT_EQ(conv->LTypes(), ltype);
  EXPECT_TRUE(ltype->GetInternalFlags() & cnstSharedItemsContainer);

  auto* images = new TvxDXFDictionary();
  images->SetName("ACAD_IMAGE_DICT");
  conv->ObjectsSection()->AddEntity(images);
  EXPECT_EQ(conv->ImageDefs(), images);
  conv->ExtractFromTable(conv->ObjectsSection(), images);
  EXPECT_EQ(conv->ImageDefs(), nullptr);
  images->Free();

  TvxDXFSection* blocks = conv->BlocksSection();
  conv->ExtractFromTable(conv->Main(), blocks);
  EXPECT_EQ(conv->BlocksSection(), nullptr);
  conv->Main()->AddEntity(blocks);
  EXPECT_EQ(conv->BlocksSection(), blocks);
}

TEST(ConverterSections, RemovedDictionaryLeavesLayers) {
  ConvPtr conv = NewConvWithTables();
  auto* dict = new TvxDXFDictionary();
  dict->SetName("EXT");
  conv->ObjectsSection()->AddEntity(dict);
  TvxDXFLayer* layer = conv->LayerByName("L");
  layer->SetDictionary(dict);
  conv->ExtractFromTable(conv->ObjectsSection(), dict);
  EXPECT_EQ(layer->GetDictionary(), nullptr);
  dict->Free();
}

TEST(ConverterSections, LayoutEventsAndBlockNames) {
  std::vector<std::string> events;  // outlives the drawing, whose teardown raises events too
  ConvPtr conv = NewConvWithTables();
  conv->OnLayoutAdd = [&](TvxDXFEntity* e) { events.push_back("+" + e->GetName()); };
  conv->OnLayoutRemove = [&](TvxDXFEntity* e) { events.push_back("-" + e->GetName()); };
  int want = 1;
  for (const char* name : {"Sheet A", "Sheet B", "Sheet C"}) {
    auto* l = new TvxDXFLayout();
    l->SetName(name);
    EXPECT_EQ(conv->AddLayout(l), want++);
  }
  // Layout 1 was cleaned away by the defaults, so these are layouts 1, 2, 3.
  EXPECT_EQ(conv->Layouts(1)->BlockName(), "*PAPER_SPACE");
  EXPECT_EQ(conv->Layouts(2)->BlockName(), "*PAPER_SPACE0");
  EXPECT_EQ(conv->Layouts(3)->BlockName(), "*PAPER_SPACE1");
  TvxEntityPtr<TvxDXFLayout> loose(new TvxDXFLayout());
  loose->SetName("Loose");
  EXPECT_EQ(loose->BlockName(), "*[Loose]");
  EXPECT_EQ(loose->Index(), -1);
  EXPECT_TRUE(loose->IsModel());

  conv->Layouts(3)->AddEntity(NewBoxEntity(Box(0, 0, 1, 1)));
  ASSERT_NE(conv->Layouts(2)->PaperSpaceBlock(), nullptr);
  EXPECT_NE(conv->BlockByName("*PAPER_SPACE0"), nullptr);
  conv->CleaningLayouts(false);
  // Empty layouts from index 2 on go, with their blocks; layout 1 stays without the flag.
  ASSERT_EQ(conv->LayoutsCount(), 3);
  EXPECT_EQ(conv->Layouts(2)->GetName(), "Sheet C");
  EXPECT_EQ(conv->BlockByName("*PAPER_SPACE0"), nullptr);
  EXPECT_NE(conv->BlockByName("*PAPER_SPACE1"), nullptr);
  conv->CleaningLayouts(true);
  EXPECT_EQ(conv->LayoutsCount(), 2);
  EXPECT_EQ(conv->Layouts(1)->GetName(), "Sheet C");
  EXPECT_EQ(events, (std::vector<std::string>{"+Sheet A", "+Sheet B", "+Sheet C", "-Sheet B",
                                              "-Sheet A"}));
}

TEST(ConverterBlocks, DeleteBlockOnlyWhenInBlocks) {
  ConvPtr conv = NewConvWithTables();
  TvxDXFBlock* b = conv->NewNamed<TvxDXFBlock>(conv->BlocksSection(), "B");
  b->AddEntity(NewBoxEntity(Box(0, 0, 1, 1)));
  TvxEntityPtr<TvxDXFBlock> loose(new TvxDXFBlock());
  EXPECT_FALSE(conv->DeleteBlock(loose.get(), true));
  EXPECT_TRUE(conv->DeleteBlock(b, true));
  EXPECT_EQ(conv->BlockByName("B"), nullptr);
  EXPECT_EQ(conv->BlockRecords()->FindEntByName("B"), nullptr);
}

TEST(ConverterBlocks, BlockRecordsIsAViewOfBlocks) {
  ConvPtr conv = NewConvWithTables();
  TvxDXFTable* records = conv->BlockRecords();
  const int before = records->Count();
  auto* rec = new TvxDXFBlockRecord();
  rec->SetName("Door");
  ASSERT_GE(records->AddEntity(rec), 0);
  ASSERT_NE(rec->Block(), nullptr);
  EXPECT_EQ(records->Count(), before + 1);
  EXPECT_EQ(conv->BlockByName("DOOR"), rec->Block());
  EXPECT_EQ(records->FindEntByName("door"), rec);
  EXPECT_EQ(records->IndexOfEntity(rec), conv->BlocksSection()->IndexOfEntity(rec->Block()));
  // Renaming the block keeps the BLOCKS index right.
  rec->Block()->SetName("Window");
  EXPECT_EQ(conv->BlockByName("Door"), nullptr);
  EXPECT_EQ(conv->BlockByName("window"), rec->Block());
  records->Clear(true);  // owns nothing
  EXPECT_EQ(records->Count(), before + 1);
}

// ---- lifetime -------------------------------------------------------------------------------

TEST(ConverterLifetime, ReleaseDuringLoadingStopsInsteadOfDestroying) {
  TvxDXFConverter* conv = TvxDXFConverter::Create();
  conv->BeginReading();
  conv->SetSource(std::vector<uint8_t>(1000, 'x'));
  conv->SetPos(400);
  EXPECT_EQ(conv->Status(), stLoading);
  EXPECT_EQ(conv->Count(), 1000);  // progress runs against the source while loading
  EXPECT_EQ(conv->Release(), 0);
  // Still here: the reader that owns the load finishes.
  EXPECT_EQ(conv->Status(), stDefault);
  EXPECT_TRUE(conv->LoadingStopped());
  EXPECT_EQ(conv->Pos(), 0u);
  EXPECT_TRUE(conv->ReleasePending());
  EXPECT_EQ(conv->Release(), 0);  // a second release does not end it twice
  conv->ModelSpaceBlock()->AddEntity(NewBoxEntity(Box(0, 0, 1, 1)));
  // The end step destroys it (the leak checker sees the rest).
  EXPECT_FALSE(conv->EndReading());
}

TEST(ConverterLifetime, ReferenceTakenWhileStoppingKeepsItAlive) {
  TvxDXFConverter* conv = TvxDXFConverter::Create();
  conv->BeginReading();
  conv->Release();
  conv->Reference();
  EXPECT_TRUE(conv->EndReading());
  EXPECT_EQ(conv->Status(), stDefault);
  EXPECT_EQ(conv->Release(), 0);
}

TEST(ConverterLifetime, ReferenceCountsShareTheDrawing) {
  TvxDXFConverter* conv = TvxDXFConverter::Create();
  EXPECT_EQ(conv->Reference(), 2);
  EXPECT_EQ(conv->Release(), 1);
  conv->ModelSpaceBlock()->AddEntity(NewBoxEntity(Box(0, 0, 1, 1)));
  EXPECT_EQ(conv->Release(), 0);  // destroyed with its tree
}

TEST(ConverterLifetime, ClearKeepsAUsableSkeleton) {
  for (bool loading : {false, true}) {
    ConvPtr conv = NewConvWithTables();
    TvxDXFLayer* walls = conv->LayerByName("Walls");
    auto* e = NewBoxEntity(Box(0, 0, 1, 1));
    conv->ModelSpaceBlock()->AddEntity(e);
    e->SetLayer(walls);
    conv->Loads(e);
    for (int i = 0; i < 3; ++i) conv->AddLayout(new TvxDXFLayout());
    if (loading) conv->BeginReading();
    conv->Clear();
    EXPECT_EQ(conv->Status(), loading ? stLoading : stDefault);
    EXPECT_EQ(conv->LoadsCount(), 0);
    EXPECT_EQ(conv->LayoutsCount(), 2);
    EXPECT_EQ(conv->TablesSection()->Count(), 0);
    EXPECT_EQ(conv->Layers(), nullptr);
    EXPECT_EQ(conv->BlocksSection()->Count(), 0);
    EXPECT_NE(conv->LayoutsDictionary(), nullptr);
    EXPECT_EQ(conv->LayoutsDictionary()->GetOwner(), conv->ObjectsSection());
    EXPECT_NE(conv->MLineStyles(), nullptr);
    // Usable again.
    ASSERT_NE(conv->ModelSpaceBlock(), nullptr);
    EXPECT_EQ(conv->ModelSpaceBlock()->Count(), 0);
    conv->InitializeSectionsBegin();
    conv->InitializeSectionsEnd(false);
    EXPECT_NE(conv->LayerByName("Walls"), nullptr);
    if (loading) {
      EXPECT_TRUE(conv->EndReading());
    }
  }
}

TEST(ConverterProperties, DrawingPropertiesStampAndClear) {
  ConvPtr conv = NewConv();
  conv->SetDefaultDrawingProp();
  EXPECT_EQ(conv->DrwProp(2), "VarrowTools");
  EXPECT_EQ(conv->DrwProp(6).rfind("Created by Varrow Ltd. ", 0), 0u);
  EXPECT_GT(conv->DrwProp(6).size(), std::string("Created by Varrow Ltd. ").size());
  for (int key : {1, 3, 4, 7, 8, 9}) EXPECT_EQ(conv->DrwProp(key), "") << key;
  conv->DrwPropCustomSummaryInfo().push_back("a=b");
  conv->ClearDrawingProp();
  EXPECT_EQ(conv->DrwProp(2), "");
  EXPECT_TRUE(conv->DrwPropCustomSummaryInfo().empty());
  EXPECT_EQ(conv->DrwPropTotalEditingTime(), 0);
  EXPECT_GT(conv->DrwPropCreatedDateTime(), 40000);  // after the year 2009
}

TEST(ConverterProperties, HandleSavingObjectNeedsAnOwner) {
  try {
    TvxConverterExtented ext(nullptr);
    FAIL() << "no error";
  } catch (const EvxDatabaseError& e) {
    EXPECT_STREQ(e.what(), "Does not have owner!");
  }
}

}  // namespace
}  // namespace vx::test
