// Handles: reserving, registering while loading, the generated-handle queue, and searches by
// handle (cyclic block references included).
#include "test_converter_fixture.h"

#include <set>

namespace vx::test {
namespace {

TEST(Handles, ReserveRaisesOrHandsOutTheNext) {
  ConvPtr conv = NewConv();
  const uint64_t start = conv->MaxHandle();
  struct Case { uint64_t in, want, max; };
  for (const Case& c : std::initializer_list<Case>{{0, start + 1, start + 1},
                                                   {0x50, 0x50, 0x50},
                                                   {0x10, 0x10, 0x50},
                                                   {0, 0x51, 0x51},
                                                   {0x51, 0x51, 0x51}}) {
    EXPECT_EQ(conv->ReserveHandle(c.in), c.want) << c.in;
    EXPECT_EQ(conv->MaxHandle(), c.max) << c.in;
  }
}

TEST(Handles, CounterNeverWrapsToZero) {
  ConvPtr conv = NewConv();
  EXPECT_EQ(conv->ReserveHandle(UINT64_MAX - 1), UINT64_MAX - 1);
  EXPECT_EQ(conv->ReserveHandle(0), UINT64_MAX);
  // Exhausted: no handle rather than 0 or a handle in use.
  EXPECT_EQ(conv->ReserveHandle(0), 0u);
  EXPECT_EQ(conv->MaxHandle(), UINT64_MAX);
  auto* e = NewBoxEntity(Box(0, 0, 1, 1));
  conv->ModelSpaceBlock()->AddEntity(e);
  conv->Loads(e);
  EXPECT_EQ(e->GetHandle(), 0u);
}

TEST(Handles, WithoutCheckHandlesLoadsNumbersAtOnce) {
  ConvPtr conv = NewConvWithTables();
  conv->LayerByName("0");  // made now, so that loading the entities makes nothing else
  auto* read = NewBoxEntity(Box(0, 0, 1, 1), 0x400);
  auto* fresh = NewBoxEntity(Box(0, 0, 1, 1));
  conv->ModelSpaceBlock()->AddEntity(read);
  conv->ModelSpaceBlock()->AddEntity(fresh);
  conv->Loads(read);
  EXPECT_EQ(read->GetHandle(), 0x400u);
  EXPECT_EQ(conv->MaxHandle(), 0x400u);
  conv->Loads(fresh);
  EXPECT_EQ(fresh->GetHandle(), 0x401u);
  // Sections take no part in numbering.
  conv->Loads(conv->BlocksSection());
  EXPECT_EQ(conv->BlocksSection()->GetHandle(), 0u);
  EXPECT_EQ(conv->MaxHandle(), 0x401u);
}

std::vector<uint64_t> AllHandles(TvxDXFConverter* conv) {
  std::vector<uint64_t> r;
  WalkTree(conv->Main(), [&r](TvxDXFEntity* e) {
    if (e->HasHandle()) r.push_back(e->GetHandle());
  });
  return r;
}

TEST(Handles, EntitiesReadWithoutHandlesNeverTakeOnesReadLater) {
  // Entities read in this order, with these handles (0 = none in the file).
  for (const std::vector<uint64_t>& order : {std::vector<uint64_t>{0, 0x20, 0},
                                             std::vector<uint64_t>{0, 0, 0x20},
                                             std::vector<uint64_t>{0x20, 0, 0}}) {
    ConvPtr conv = NewConv(/*checkHandles=*/true);
    conv->InitializeSectionsBegin();
    conv->BeginReading();
    std::vector<TestBoxEntity*> read;
    for (uint64_t h : order) {
      auto* e = NewBoxEntity(Box(0, 0, 1, 1), h);
      conv->ModelSpaceBlock()->AddEntity(e);
      conv->Loads(e);
      EXPECT_EQ(e->GetHandle(), h);  // nothing handed out while reading
      read.push_back(e);
    }
    ASSERT_TRUE(conv->EndReading());
    std::vector<uint64_t> generated;
    for (size_t i = 0; i < order.size(); ++i) {
      if (order[i] == 0x20) {
        EXPECT_EQ(read[i]->GetHandle(), 0x20u);
      } else {
        EXPECT_GT(read[i]->GetHandle(), 0x20u);
        generated.push_back(read[i]->GetHandle());
      }
    }
    ASSERT_EQ(generated.size(), 2u);
    EXPECT_LT(generated[0], generated[1]) << "in reading order";
    // One handle each, none shared with anything else in the drawing.
    const std::vector<uint64_t> all = AllHandles(conv.get());
    const std::set<uint64_t> unique(all.begin(), all.end());

    EXPECT_EQ(unique.size(), all.size());
    EXPECT_EQ(unique.count(0), 0u);
    EXPECT_FALSE(conv->HasGeneratedHandles());  // the queue goes with the load
  }
}

TEST(Handles, ReadingRenumbersTheWholeDrawing) {
  ConvPtr conv = NewConv(true);
  conv->InitializeSectionsBegin();
  TvxDXFTable* layers = conv->Layers();
  layers->SetHandle(0x999);
  conv->BeginReading();
  EXPECT_EQ(layers->GetHandle(), 0u);
  ASSERT_TRUE(conv->EndReading());
  EXPECT_NE(layers->GetHandle(), 0u);
  EXPECT_LT(layers->GetHandle(), 0x999u);
}

TEST(Handles, QueueKeepsInsertionOrderAndIgnoresDuplicates) {
  ConvPtr conv = NewConv();
  TvxMapEntities map;
  map.CreateGeneratedList();
  std::vector<TvxEntityPtr<TestBoxEntity>> es;
  for (int i = 0; i < 50; ++i) es.emplace_back(new TestBoxEntity());
  // Queued in an order unrelated to the addresses, some twice.
  std::vector<int> order;
  for (int i = 0; i < 50; ++i) order.push_back((i * 17) % 50);
  for (int i : order) map.AddEntityToGeneratedList(es[static_cast<size_t>(i)].get());
  map.AddEntityToGeneratedList(es[3].get());
  EXPECT_EQ(map.GeneratedCount(), 50);
  es[10]->SetHandle(0x7);  // got one meanwhile: keeps it
  map.ApplyAndFreeGeneratedList(conv.get());
  uint64_t last = 0;
  for (int i : order) {
    if (i == 10) continue;
    const uint64_t h = es[static_cast<size_t>(i)]->GetHandle();
    EXPECT_GT(h, last) << i;
    last = h;
  }
  EXPECT_EQ(es[10]->GetHandle(), 0x7u);
  EXPECT_FALSE(map.HasGeneratedList());
}

TEST(Handles, FreedEntityLeavesTheQueue) {
  ConvPtr conv = NewConv(true);
  conv->BeginReading();
  auto* gone = NewBoxEntity(Box(0, 0, 1, 1));
  auto* kept = NewBoxEntity(Box(0, 0, 1, 1));
  conv->ModelSpaceBlock()->AddEntity(gone);
  conv->ModelSpaceBlock()->AddEntity(kept);
  conv->Loads(gone);
  conv->Loads(kept);
  EXPECT_TRUE(conv->MapEntities().IsInGeneratedList(gone));
  gone->Free();  // applying the queue must not touch it
  EXPECT_TRUE(conv->MapEntities().IsInGeneratedList(kept));
  ASSERT_TRUE(conv->EndReading());
  EXPECT_NE(kept->GetHandle(), 0u);
}

TEST(Handles, BindingToAnotherConverterMovesTheQueueEntry) {
  ConvPtr a = NewConv(true);
  ConvPtr b = NewConv(true);
  TvxEntityPtr<TestBoxEntity> e(new TestBoxEntity());
  e->SetConverter(a.get());
  EXPECT_TRUE(a->MapEntities().IsInGeneratedList(e.get()));
  e->SetConverter(b.get());
  EXPECT_FALSE(a->MapEntities().IsInGeneratedList(e.get()));
  EXPECT_TRUE(b->MapEntities().IsInGeneratedList(e.get()));
  e->SetConverter(nullptr);
  EXPECT_FALSE(b->MapEntities().IsInGeneratedList(e.get()));
}

TEST(Handles, LoadsGroupNumbersTheChildrenOnly) {
  ConvPtr conv = NewConvWithTables();
  conv->LayerByName("0");
  TvxDXFBlock* block = conv->NewNamed<TvxDXFBlock>(conv->BlocksSection(), "B");
  auto* c1 = NewBoxEntity(Box(0, 0, 1, 1));
  auto* c2 = NewBoxEntity(Box(0, 0, 1, 1), 0x900);
  block->AddEntity(c1);
  block->AddEntity(c2);
  block->SetHandle(0);
  const int before = conv->LoadsCount();
  conv->LoadsGroup(block);
  EXPECT_EQ(conv->LoadsCount(), before + 2);
  EXPECT_NE(c1->GetHandle(), 0u);
  EXPECT_EQ(c2->GetHandle(), 0x900u);
  EXPECT_EQ(block->GetHandle(), 0u);
  EXPECT_EQ(c1->Loaded, 1);
}

// ---- searches by handle ---------------------------------------------------------------------

TEST(HandleSearch, ScansLastToFirstAndDescends) {
  ConvPtr conv = NewConvWithTables();
  TvxDXFBlock* model = conv->ModelSpaceBlock();
  auto* first = NewBoxEntity(Box(0, 0, 1, 1), 0x30);
  auto* dup = NewBoxEntity(Box(0, 0, 1, 1), 0x30);
  model->AddEntity(first);
  model->AddEntity(dup);
  EXPECT_EQ(model->IndexOfHandle(0x30), 1);
  EXPECT_EQ(model->IndexOfHandle(0x31), -1);
  EXPECT_EQ(model->FindEntByHandle(0x30), dup);

  TvxDXFBlock* inner = conv->NewNamed<TvxDXFBlock>(conv->BlocksSection(), "Inner");
  auto* deep = NewBoxEntity(Box(0, 0, 1, 1), 0x77);
  inner->AddEntity(deep);
  EXPECT_EQ(conv->BlocksSection()->FindEntByHandle(0x77), nullptr);
  EXPECT_EQ(conv->BlocksSection()->FindEntByHandle(0x77, true), deep);
  EXPECT_EQ(conv->Main()->FindEntByHandle(0x77, true), deep);

  auto* ins = new TestInsert();
  ins->RefBlock = inner;
  model->AddEntity(ins);
  EXPECT_EQ(ins->FindEntByHandle(0x77), nullptr);
  EXPECT_EQ(ins->FindEntByHandle(0x77, false, true), deep);
  EXPECT_EQ(model->FindEntByHandle(0x77, true, true), deep);
  EXPECT_EQ(model->FindEntByHandle(0x77, true, false), nullptr);
}

TEST(HandleSearch, CyclicBlocksEndTheSearch) {
  ConvPtr conv = NewConvWithTables();
  TvxDXFBlock* a = conv->NewNamed<TvxDXFBlock>(conv->BlocksSection(), "A");
  TvxDXFBlock* b = conv->NewNamed<TvxDXFBlock>(conv->BlocksSection(), "B");
  auto* aToB = new TestInsert();
  aToB->RefBlock = b;
  auto* bToA = new TestInsert();
  bToA->RefBlock = a;
  auto* self = new TestInsert();
  self->RefBlock = a;
  a->AddEntity(aToB);
  a->AddEntity(self);
  b->AddEntity(bToA);
  auto* target = NewBoxEntity(Box(0, 0, 1, 1), 0x55);
  b->AddEntity(target);
  for (bool children : {false, true}) {
    EXPECT_EQ(aToB->FindEntByHandle(0x1234, children, true), nullptr);
    EXPECT_EQ(a->FindEntByHandle(0x1234, children, true), nullptr);
    EXPECT_EQ(self->FindEntByHandle(0x55, children, true), target);
  }
}

}  // namespace
}  // namespace vx::test
