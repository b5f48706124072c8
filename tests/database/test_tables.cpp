// Tables and table items: the name index, reference counting of shared items, the layer rules
// applied at load, layer-name checking and link placeholders.
#include "test_converter_fixture.h"

#include "database/core/vxNames.h"

namespace vx::test {
namespace {

TEST(Names, FoldIsAsciiAndBytewise) {
  EXPECT_TRUE(SameName("Walls", "WALLS"));
  EXPECT_TRUE(SameName("", ""));
  EXPECT_FALSE(SameName("Wall", "Walls"));
  EXPECT_TRUE(SameName("Стены1", "Стены1"));
  EXPECT_FALSE(SameName("é", "É"));  // only ASCII folds; other bytes pass through
  EXPECT_TRUE(NameLess("abc", "ABD"));
  EXPECT_FALSE(NameLess("ABC", "abc"));
  EXPECT_TRUE(NameLess("Z", "\xC3\xA9"));  // bytes compare unsigned
  EXPECT_EQ(FoldName("aZ_ш"), "AZ_ш");
}

TvxDXFAppID* NewApp(const std::string& name) {
  auto* a = new TvxDXFAppID();
  a->SetName(name);
  return a;
}

TEST(TableNameIndex, FindsCaseInsensitivelyAndFollowsRenames) {
  TvxEntityPtr<TvxDXFTable> table(new TvxDXFTable());
  TvxDXFAppID* a = NewApp("Alpha");
  TvxDXFAppID* b = NewApp("beta");
  table->AddEntity(a);
  table->AddEntity(b);
  EXPECT_EQ(table->FindEntByName("ALPHA"), a);
  EXPECT_EQ(table->FindEntByName("Beta"), b);
  EXPECT_EQ(table->FindEntByName("gamma"), nullptr);

  b->SetName("Gamma");
  EXPECT_EQ(table->FindEntByName("beta"), nullptr);
  EXPECT_EQ(table->FindEntByName("GAMMA"), b);
  b->SetName("GAMMA");  // a case change is a rename too
  EXPECT_EQ(table->FindEntByName("gamma"), b);
  EXPECT_EQ(table->NameIndex().size(), 2u);

  EXPECT_EQ(table->ExtractEntity(table->IndexOfEntity(a)), a);
  EXPECT_EQ(table->FindEntByName("alpha"), nullptr);
  EXPECT_EQ(a->GetOwner(), nullptr);
  a->SetName("Delta");  // owner-less: no index to update
  EXPECT_EQ(table->FindEntByName("delta"), nullptr);
  a->Free();
}

TEST(TableNameIndex, DuplicatesAcceptedNewestFoundLikeTheScan) {
  TvxEntityPtr<TvxDXFTable> table(new TvxDXFTable());
  TvxDXFAppID* first = NewApp("Same");
  TvxDXFAppID* second = NewApp("SAME");
  TvxDXFAppID* third = NewApp("same");
  for (auto* e : {first, second, third}) table->AddEntity(e);
  EXPECT_EQ(table->NameIndex().size(), 3u);
  EXPECT_EQ(table->FindEntByName("same"), third);
  EXPECT_EQ(table->GetEntity(table->IndexOfName("same")), third);
  table->RemoveEntity(third);
  third->Free();
  EXPECT_EQ(table->FindEntByName("same"), second);
  EXPECT_EQ(table->GetEntity(table->IndexOfName("same")), second);
  EXPECT_EQ(table->IndexOfNameCaseSensitive("Same"), 0);
}

TEST(TableNameIndex, IndexStaysSortedUnderManyNames) {
  TvxEntityPtr<TvxDXFTable> table(new TvxDXFTable());
  for (int i = 99; i >= 0; --i) table->AddEntity(NewApp("n" + std::to_string(i * 37 % 100)));
  const auto& index = table->NameIndex();
  for (size_t i = 1; i < index.size(); ++i) EXPECT_FALSE(NameLess(index[i].Name, index[i - 1].Name));
  for (int i = 0; i < 100; ++i) {
    const std::string n = "N" + std::to_string(i);
    ASSERT_NE(table->FindEntByName(n), nullptr) << n;
    EXPECT_TRUE(SameName(table->FindEntByName(n)->GetName(), n));
  }
}

// ---- reference counting ---------------------------------------------------------------------

TEST(TableItemRefs, AssigningTheSameItemAgainIsSafe) {
  auto* layer = new TvxDXFLayer();  // owner-less: freed when its last reference goes
  {
    TvxTableItem ref(layer);
    EXPECT_EQ(layer->GetOwneredItem()->RefCount(), 1);
    ref.SetItem(layer);
    EXPECT_EQ(layer->GetOwneredItem()->RefCount(), 1);
    EXPECT_EQ(layer->GetName(), "");  // still alive (the sanitizer watches this)
  }
  // Freed by the record's destructor; nothing leaks.
}

TEST(TableItemRefs, MovingToAnotherItemReleasesTheOld) {
  auto* a = new TvxDXFLayer();
  auto* b = new TvxDXFLayer();
  TvxTableItem keepB(b);
  {
    TvxTableItem ref(a);
    ref.SetItem(b);  // a had no owner and no other user: freed here
    EXPECT_EQ(b->GetOwneredItem()->RefCount(), 2);
  }
  EXPECT_EQ(b->GetOwneredItem()->RefCount(), 1);
}

TEST(TableItemRefs, ExtractedLayerLivesWhileAnEntityUsesIt) {
  ConvPtr conv = NewConvWithTables();
  TvxDXFLayer* walls = conv->LayerByName("Walls");
  auto* e = NewBoxEntity(Box(0, 0, 1, 1));
  conv->ModelSpaceBlock()->AddEntity(e);
  e->SetLayer(walls);
  EXPECT_EQ(walls->GetOwneredItem()->RefCount(), 2);  // the table and the entity

  EXPECT_EQ(conv->ExtractFromTable(conv->Layers(), walls), walls);
  EXPECT_EQ(conv->Layers()->FindEntByName("Walls"), nullptr);
  EXPECT_EQ(walls->GetOwner(), nullptr);
  EXPECT_EQ(walls->GetOwneredItem()->RefCount(), 1);
  EXPECT_EQ(e->GetLayer(), walls);
  EXPECT_EQ(e->GetLayer()->GetName(), "Walls");
  EXPECT_TRUE(walls->Used());
  EXPECT_EQ(conv->ExtractFromTable(conv->Layers(), walls), nullptr);  // not there any more

  // The last user frees it.
  conv->ModelSpaceBlock()->RemoveEntity(e);
  e->Free();
}

TEST(TableItemRefs, ClearingSharedTableLeavesUsedItemsOwnerless) {
  ConvPtr conv = NewConvWithTables();
  TvxDXFLayer* used = conv->LayerByName("Used");
  conv->LayerByName("Unused");
  auto* e = NewBoxEntity(Box(0, 0, 1, 1));
  conv->ModelSpaceBlock()->AddEntity(e);
  e->SetLayer(used);
  conv->Layers()->Clear(true);
  EXPECT_EQ(conv->Layers()->Count(), 0);
  EXPECT_EQ(e->GetLayer(), used);
  EXPECT_EQ(used->GetOwner(), nullptr);
  EXPECT_EQ(used->GetName(), "Used");
  // The converter frees the entity, and the entity the layer.
}

TEST(TableItemRefs, EntityFreedOutsideTheTreeLeavesItsOwner) {
  ConvPtr conv = NewConvWithTables();
  auto* e = NewBoxEntity(Box(0, 0, 1, 1));
  TvxDXFBlock* model = conv->ModelSpaceBlock();
  model->AddEntity(e);
  e->Free();  // no dangling child left behind
  EXPECT_EQ(model->Count(), 0);
}

// ---- layers ---------------------------------------------------------------------------------

TEST(LayerLoad, NegativeColourSwitchesTheLayerOff) {
  struct Case { int32_t stored; uint32_t want; bool visible; };
  for (const Case& c : std::initializer_list<Case>{
           {-5, 5, false}, {5, 5, true}, {-255, 255, false}, {-32768, 7, false}, {7, 7, true}}) {
    ConvPtr conv = NewConvWithTables();
    TvxDXFLayer* layer = conv->LayerByName("L");
    layer->SetColorCAD({acIndexColor, static_cast<uint32_t>(c.stored), {}});
    conv->Loads(layer);
    EXPECT_EQ(layer->GetColorCAD().Color, c.want) << c.stored;
    EXPECT_EQ(layer->GetVisible(), c.visible) << c.stored;
  }
}

TEST(LayerLoad, ByLayerAndByBlockLineTypesBecomeContinuous) {
  ConvPtr conv = NewConvWithTables();
  auto* dashed = static_cast<TvxDXFLineType*>(conv->FindOrCreateItem("DASHED", csLTypes, true));
  struct Case { TvxDXFLineType* given; const char* want; };
  for (const Case& c : std::initializer_list<Case>{{conv->LTypeByName("ByLayer"), "CONTINUOUS"},
                                                   {conv->LTypeByName("byblock"), "CONTINUOUS"},
                                                   {dashed, "DASHED"}}) {
    TvxDXFLayer* layer = conv->LayerByName("L");
    layer->SetLineType(c.given);
    conv->Loads(layer);
    ASSERT_NE(layer->GetLineType(), nullptr);
    EXPECT_EQ(layer->GetLineType()->GetName(), c.want);
  }
}

TEST(LayerLoad, SpecialNames) {
  ConvPtr conv = NewConvWithTables();
  TvxDXFLayer* constraints = conv->LayerByName("*adsk_constraints");
  EXPECT_TRUE(constraints->Frozen());
  TvxDXFLayer* defpoints = conv->LayerByName("defpoints");
  EXPECT_FALSE(defpoints->IsPlotting());
  TvxDXFLayer* plain = conv->LayerByName("plain");
  EXPECT_TRUE(plain->IsPlotting());
  EXPECT_FALSE(plain->Frozen());
  EXPECT_EQ(plain->GetColorCAD().Color, 7u);
  EXPECT_EQ(plain->GetLineWeight(), fLineWeightDefault);
}

TEST(LayerLoad, EntitiesGetLayerZeroAndByLayer) {
  ConvPtr conv = NewConvWithTables();
  auto* e = NewBoxEntity(Box(0, 0, 1, 1));
  conv->ModelSpaceBlock()->AddEntity(e);
  conv->Loads(e);
  ASSERT_NE(e->GetLayer(), nullptr);
  EXPECT_EQ(e->GetLayer()->GetName(), "0");
  ASSERT_NE(e->GetLineType(), nullptr);
  EXPECT_EQ(e->GetLineType()->GetName(), "BYLAYER");
  EXPECT_EQ(e->GetLines(), e->GetLineType()->GetLines());
  // Containers get no layer.
  EXPECT_EQ(conv->ModelSpaceBlock()->GetLayer(), nullptr);
}

TEST(LayerLoad, VisibleFollowsTheLayer) {
  ConvPtr conv = NewConvWithTables();
  auto* e = NewBoxEntity(Box(0, 0, 1, 1));
  conv->ModelSpaceBlock()->AddEntity(e);
  TvxDXFLayer* layer = conv->LayerByName("L");
  e->SetLayer(layer);
  EXPECT_TRUE(e->GetVisible());
  layer->SetFrozen(true);
  EXPECT_FALSE(e->GetVisible());
  EXPECT_TRUE(e->GetVisibility());
  layer->SetFrozen(false);
  layer->SetVisible(false);
  EXPECT_FALSE(e->GetVisible());
  layer->SetVisible(true);
  e->SetVisibility(false);
  EXPECT_FALSE(e->GetVisible());
  EXPECT_EQ(e->GetFlags() & cnstInvisibleFlag, cnstInvisibleFlag);
}

TEST(LayerNames, CheckedOnlyWhenCheckingIsOn) {
  SettingsGuard guard;
  GlobalSettings.CheckLayerNames = true;
  const std::string tooLong(256, 'x');
  for (const std::string& bad : {std::string("a/b"), std::string(""), tooLong, std::string("a*"),
                                 std::string("x\"y"), std::string("p|q"), std::string("`"),
                                 std::string("a=b"), std::string("c:d"), std::string("<>")}) {
    TvxEntityPtr<TvxDXFLayer> layer(new TvxDXFLayer());
    layer->SetName("Before");
    try {
      layer->SetName(bad);
      ADD_FAILURE() << "accepted " << bad;
    } catch (const EvxIncorrectNameLayer& e) {
      EXPECT_STREQ(e.what(), "Incorrect Layer Name");
    }
    EXPECT_EQ(layer->GetName(), "Before");
  }
  for (const std::string& good : {std::string("Ш"), std::string(255, 'x'), std::string("Walls 1"),
                                  std::string("Ш") + std::string(254, 'y')}) {
    TvxEntityPtr<TvxDXFLayer> layer(new TvxDXFLayer());
    EXPECT_NO_THROW(layer->SetName(good)) << good;
    EXPECT_EQ(layer->GetName(), good);
  }
  // A lookup that would create a badly named layer leaves nothing behind.
  ConvPtr conv = NewConvWithTables();
  EXPECT_THROW(conv->LayerByName("a/b"), EvxIncorrectNameLayer);
  EXPECT_EQ(conv->Layers()->Count(), 0);

  GlobalSettings.CheckLayerNames = false;
  TvxEntityPtr<TvxDXFLayer> unchecked(new TvxDXFLayer());
  EXPECT_NO_THROW(unchecked->SetName("a/b"));
}

// ---- link placeholders ----------------------------------------------------------------------

TEST(LinkPlaceholders, LayerLinksResolve) {
  ConvPtr conv = NewConvWithTables();
  TvxDXFLayer* zero = conv->LayerByName("0");
  TvxDXFLayer* walls = conv->LayerByName("Walls");
  struct Case { TvxLinkObject* link; const char* want; };
  for (const Case& c : std::initializer_list<Case>{
           {TvxLinkObject::ByName("WALLS"), "Walls"},
           {TvxLinkObject::ByName("Missing"), "Missing"},  // created
           {TvxLinkObject::ByHandle(walls->GetHandle()), "Walls"},
           {TvxLinkObject::ByHandle(0xDEAD), "0"},        // found, not created
           {TvxLinkObject::ByIndex(99), "0"}}) {
    auto* e = NewBoxEntity(Box(0, 0, 1, 1));
    conv->ModelSpaceBlock()->AddEntity(e);
    e->SetLayerLink(c.link);
    EXPECT_EQ(e->GetLayer(), nullptr);  // a placeholder is no layer
    e->ResolveLinks(conv.get());
    ASSERT_NE(e->GetLayer(), nullptr) << c.want;
    EXPECT_EQ(e->GetLayer()->GetName(), c.want);
  }
  EXPECT_NE(conv->Layers()->FindEntByName("Missing"), nullptr);
  EXPECT_EQ(zero->GetName(), "0");
}

TEST(LinkPlaceholders, HandleLinkWithoutLayerZeroGivesNoLayer) {
  ConvPtr conv = NewConvWithTables();
  auto* e = NewBoxEntity(Box(0, 0, 1, 1));
  conv->ModelSpaceBlock()->AddEntity(e);
  e->SetLayerLink(TvxLinkObject::ByHandle(0x77));
  e->ResolveLinks(conv.get());
  EXPECT_EQ(e->GetLayerItem(), nullptr);
  EXPECT_EQ(conv->Layers()->Count(), 0);
}

TEST(LinkPlaceholders, LineTypeLinksResolveInLType) {
  ConvPtr conv = NewConvWithTables();
  auto* e = NewBoxEntity(Box(0, 0, 1, 1));
  conv->ModelSpaceBlock()->AddEntity(e);
  e->SetLineTypeLink(TvxLinkObject::ByName("continuous"));
  TvxDXFLayer* layer = conv->LayerByName("L");
  layer->SetLineTypeLink(TvxLinkObject::ByName("nope"));
  conv->ResolveDrawingLinks();
  ASSERT_NE(e->GetLineType(), nullptr);
  EXPECT_EQ(e->GetLineType()->GetName(), "CONTINUOUS");
  EXPECT_EQ(layer->GetLineTypeItem(), nullptr);  // unknown: dropped, the defaults fill it later
}

TEST(LinkPlaceholders, GetObjectCachesAndToleratesBadIndexes) {
  TvxEntityPtr<TvxDXFTable> table(new TvxDXFTable());
  TvxDXFAppID* a = NewApp("A");
  a->SetHandle(0x10);
  table->AddEntity(a);
  TvxEntityPtr<TvxLinkObject> byIndex(TvxLinkObject::ByIndex(-3));
  EXPECT_EQ(byIndex->GetObject(table.get()), nullptr);
  TvxEntityPtr<TvxLinkObject> byHandle(TvxLinkObject::ByHandle(0x10));
  EXPECT_EQ(byHandle->GetObject(table.get()), a);
  EXPECT_EQ(byHandle->GetObject(nullptr), a);  // cached
  TvxEntityPtr<TvxLinkObject> arrow(TvxLinkObject::ByArrow(3));
  EXPECT_EQ(arrow->GetObject(table.get()), nullptr);  // no arrow names known yet
  // A placeholder is never assigned from.
  TvxEntityPtr<TestBoxEntity> copy(new TestBoxEntity());
  copy->SetHyperLink("keep");
  copy->AssignEntity(byIndex.get());
  EXPECT_EQ(copy->GetHyperLink(), "keep");
}

TEST(EntityCopy, CloneMakesTheSameClassWithTheData) {
  ConvPtr conv = NewConvWithTables();
  TvxDXFLayer* layer = conv->LayerByName("Walls");
  layer->SetColorCAD({acIndexColor, 3, {}});
  layer->SetLineWeight(0.35);
  TvxEntityPtr<TvxDXFEntity> copy(layer->Clone());
  auto* c = dynamic_cast<TvxDXFLayer*>(copy.get());
  ASSERT_NE(c, nullptr);
  EXPECT_STREQ(c->ClassName(), "TvxDXFLayer");
  EXPECT_EQ(c->GetName(), "Walls");
  EXPECT_EQ(c->GetColorCAD().Color, 3u);
  EXPECT_EQ(c->GetLineWeight(), 0.35);
  EXPECT_EQ(c->GetOwner(), nullptr);

  auto* e = NewBoxEntity(Box(1, 2, 3, 4));
  conv->ModelSpaceBlock()->AddEntity(e);
  e->SetLayer(layer);
  e->SetPoint({1, 2, 3});
  e->SetHyperLink("http://x");
  TvxEntityPtr<TvxDXFEntity> ec(e->Clone());
  auto* ce = dynamic_cast<TestBoxEntity*>(ec.get());
  ASSERT_NE(ce, nullptr);
  EXPECT_EQ(ce->GetLayer(), layer);
  EXPECT_EQ(ce->GetPoint(), (TFPoint{1, 2, 3}));
  EXPECT_EQ(ce->GetHyperLink(), "http://x");
  EXPECT_EQ(ce->GetHandle(), 0u);
  EXPECT_EQ(layer->GetOwneredItem()->RefCount(), 3);
}

}  // namespace
}  // namespace vx::test
