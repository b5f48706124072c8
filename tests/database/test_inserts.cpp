// Block references: matrix, box, block container rules, attributes following their reference,
// arrays, clipping.
#include "test_inserts_fixture.h"

#include <cmath>

namespace vx::test {
namespace {

TEST_F(InsertsTest, MatrixMapsBlockPointsThroughBaseScaleRotationExtrusionAndPoint) {
  struct Case {
    const char* name;
    TFPoint scale;
    double angle;
    TFPoint extrusion, base, at, q, want;
  };
  const Case cases[] = {
      {"scale rotate base", {2, 2, 2}, 90, {0, 0, 1}, {1, 0, 0}, {10, 0, 0}, {2, 0, 0}, {10, 2, 0}},
      {"flipped extrusion", {1, 1, 1}, 0, {0, 0, -1}, {}, {5, 0, 0}, {0, 0, 0}, {-5, 0, 0}},
      {"non-uniform scale", {1, 2, 3}, 0, {0, 0, 1}, {}, {}, {1, 1, 1}, {1, 2, 3}},
      {"half turn", {1, 1, 1}, 180, {0, 0, 1}, {}, {1, 1, 0}, {1, 0, 0}, {0, 1, 0}},
      {"extrusion along X", {1, 1, 1}, 0, {1, 0, 0}, {}, {2, 0, 0}, {1, 0, 0}, {0, 3, 0}},
      {"base and extrusion", {2, 1, 1}, 0, {0, 0, -1}, {1, 1, 0}, {0, 0, 0}, {2, 1, 0}, {-2, 0, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TvxDXFBlock* block = b.BlockWith(c.name, {b.Line({0, 0, 0}, {1, 1, 0})});
    block->SetOffset(c.base);
    auto* ins = b.Ref(block, c.at);
    ins->SetScale(c.scale);
    ins->SetAngle(c.angle);
    ins->SetExtrusion(c.extrusion);
    b.Place(ins);
    ExpectPoint(TransformPoint(c.q, ins->GetMatrix()), c.want);
  }
}

TEST_F(InsertsTest, BoxIsTheBlockBoxCarriedByTheMatrix) {
  TvxDXFBlock* block = b.BlockWith("B", {b.Line({0, 0, 0}, {1, 1, 0})});
  auto* ins = b.Ref(block, {10, 0, 0});
  ins->SetScale({2, 2, 2});
  b.Place(ins);
  const TFRect box = ins->GetBox();
  EXPECT_DOUBLE_EQ(box.Left, 10);
  EXPECT_DOUBLE_EQ(box.Bottom, 0);
  EXPECT_DOUBLE_EQ(box.Right, 12);
  EXPECT_DOUBLE_EQ(box.Top, 2);
  // The reference counts in the drawing's extents.
  conv->DoExtents();
  EXPECT_DOUBLE_EQ(conv->Extents().Right, 12);
}

TEST_F(InsertsTest, ReferenceWithoutBlockOrContentHasNoBox) {
  auto* none = b.Place(b.Ref<TvxDXFInsert>(nullptr));
  EXPECT_TRUE(IsBadBox(none->GetBox()));
  auto* empty = b.Place(b.Ref(b.BlockWith("EMPTY", {})));
  EXPECT_TRUE(IsBadBox(empty->GetBox()));
  // A name that resolves nowhere leaves the reference without a block.
  auto* dangling = new TvxDXFInsert();
  dangling->SetBlockRecord(TvxLinkObject::ByName("NOSUCH"));
  b.Place(dangling);
  EXPECT_EQ(dangling->GetBlock(), nullptr);
  EXPECT_TRUE(IsBadBox(dangling->GetBox()));
}

TEST_F(InsertsTest, PlaceholderResolvesByNameOnLoad) {
  TvxDXFBlock* block = b.BlockWith("LATER", {b.Line({0, 0, 0}, {3, 1, 0})});
  auto* ins = new TvxDXFInsert();
  ins->SetBlockRecord(TvxLinkObject::ByName("later"));
  b.Place(ins);
  EXPECT_EQ(ins->GetBlock(), block);
  EXPECT_DOUBLE_EQ(ins->GetBox().Right, 3);
  EXPECT_EQ(block->References(), std::vector<TvxDXFEntity*>{ins});
}

TEST_F(InsertsTest, LoadedBlockRefusesChildrenUntilItIsNotLoaded) {
  TvxDXFBlock* block = b.BlockWith("B", {b.Line({0, 0, 0}, {1, 0, 0})});
  ASSERT_TRUE(block->IsLoaded());
  TvxDXFLine* extra = b.Line({0, 0, 0}, {5, 5, 0});
  EXPECT_EQ(block->AddEntity(extra), -1);
  block->SetIsLoaded(false);
  EXPECT_EQ(block->AddEntity(extra), 1);
  conv->Loads(extra);
  conv->Loads(block);
  EXPECT_DOUBLE_EQ(block->GetBox().Right, 5);
  // A layout's block always accepts.
  EXPECT_GE(conv->ModelSpaceBlock()->AddEntity(b.Line({}, {1, 1, 0})), 0);
}

TEST_F(InsertsTest, AttributeDefinitionsKeepFlag2) {
  TvxDXFBlock* block = b.Block("ATT");
  auto* variable = new TvxDXFAttdef();
  auto* constant = new TvxDXFAttdef();
  constant->SetFlags(cnstAttConstant);
  block->AddEntity(variable);
  EXPECT_TRUE(block->GetFlags() & cnstBlockHasAttributes);
  block->AddEntity(constant);
  EXPECT_FALSE(block->GetFlags() & cnstBlockHasAttributes);
  block->RemoveEntity(constant);
  EXPECT_TRUE(block->GetFlags() & cnstBlockHasAttributes);
  constant->Free();
  block->RemoveEntity(variable);
  EXPECT_FALSE(block->GetFlags() & cnstBlockHasAttributes);
  variable->Free();
}

TEST_F(InsertsTest, InsertAcceptsOnlyAttributes) {
  auto* ins = b.Place(b.Ref(b.BlockWith("B", {b.Line({}, {1, 0, 0})})));
  TvxDXFLine* line = b.Line({}, {1, 0, 0});
  EXPECT_EQ(ins->AddEntity(line), -1);
  line->Free();
  auto* def = new TvxDXFAttdef();
  EXPECT_EQ(ins->AddEntity(def), -1);
  def->Free();
  EXPECT_EQ(ins->AddEntity(new TvxDXFAttrib()), 0);
  EXPECT_EQ(ins->Count(), 1);
}

// An attribute at (12, 0) of a reference at (10, 0), height 2.
struct AttribCase {
  const char* name;
  std::function<void(TvxDXFInsert*)> change;
  TFPoint point, point1;
  double height, widthFactor, rotation;
};

TEST_F(InsertsTest, AttributesMoveWithTheirReference) {
  const AttribCase cases[] = {
      {"point", [](TvxDXFInsert* i) { i->SetPoint({11, 5, 0}); }, {13, 5, 0}, {15, 5, 0}, 2, 1, 0},
      {"scale", [](TvxDXFInsert* i) { i->SetScale({2, 3, 1}); }, {14, 0, 0}, {18, 0, 0}, 6,
       2.0 / 3.0, 0},
      {"angle 370", [](TvxDXFInsert* i) { i->SetAngle(370); }, {10 + 2 * std::cos(10 * fPiDiv180),
       2 * std::sin(10 * fPiDiv180), 0}, {10 + 4 * std::cos(10 * fPiDiv180),
       4 * std::sin(10 * fPiDiv180), 0}, 2, 1, 10},
      // A zero scale cannot be divided out: that axis stays, the others follow.
      {"from zero scale", [](TvxDXFInsert* i) { i->SetScale({0, 1, 1}); i->SetScale({2, 1, 1}); },
       {10, 0, 0}, {10, 0, 0}, 2, 0, 0},
      {"non-finite values refused",
       [](TvxDXFInsert* i) { i->SetScale({NAN, 1, 1}); i->SetAngle(INFINITY); i->SetAngle(1e12); },
       {12, 0, 0}, {14, 0, 0}, 2, 1, 0},
  };
  for (const AttribCase& c : cases) {
    SCOPED_TRACE(c.name);
    auto* ins = b.Ref(b.BlockWith(c.name, {b.Line({}, {1, 0, 0})}), {10, 0, 0});
    auto* a = new TvxDXFAttrib();
    a->SetPoint({12, 0, 0});
    a->SetPoint1({14, 0, 0});
    a->SetUsesPoint1(true);
    a->SetHeight(2);
    ins->AddEntity(a);
    b.Place(ins);
    c.change(ins);
    ExpectPoint(a->GetPoint(), c.point);
    ExpectPoint(a->GetPoint1(), c.point1);
    EXPECT_NEAR(a->Height(), c.height, 1e-9);
    EXPECT_NEAR(a->WidthFactor(), c.widthFactor, 1e-9);
    EXPECT_NEAR(a->Rotation(), c.rotation, 1e-6);
  }
}

TEST_F(InsertsTest, AngleIsReducedAndExtrusionNeverZero) {
  auto* ins = b.Place(b.Ref(b.BlockWith("B", {b.Line({}, {1, 0, 0})})));
  ins->SetAngle(370);
  EXPECT_FLOAT_EQ(ins->Angle(), 10);
  ins->SetAngle(-725);
  EXPECT_FLOAT_EQ(ins->Angle(), -5);
  ins->SetExtrusion({0, 0, 0});
  ExpectPoint(ins->GetExtrusion(), {0, 0, 1});
}

TEST_F(InsertsTest, CopyTakesAttributesAndBlockButNotTheWalkOwner) {
  TvxDXFBlock* block = b.BlockWith("B", {b.Line({}, {1, 0, 0})});
  auto* outer = b.Place(b.Ref(block));
  auto* src = b.Ref(block, {3, 0, 0});
  auto* a = new TvxDXFAttrib();
  a->SetTag("T");
  a->SetValue("v");
  src->AddEntity(a);
  b.Place(src);
  src->SetOwnerInsert(outer);
  auto* copy = static_cast<TvxDXFInsert*>(src->Clone());
  EXPECT_EQ(copy->GetBlock(), block);
  EXPECT_EQ(copy->OwnerInsert(), nullptr);
  ASSERT_EQ(copy->Count(), 1);
  EXPECT_NE(copy->GetEntity(0), a);
  EXPECT_EQ(static_cast<TvxDXFAttrib*>(copy->GetEntity(0))->Value(), "v");
  b.Place(copy);
  EXPECT_EQ(block->References().size(), 3u);
  src->SetOwnerInsert(nullptr);
}

TEST_F(InsertsTest, FreedBlockLeavesItsReferencesWithoutBlock) {
  TvxDXFBlock* block = b.BlockWith("GONE", {b.Line({}, {1, 0, 0})});
  auto* ins = b.Place(b.Ref(block));
  ASSERT_EQ(ins->GetBlock(), block);
  conv->DeleteBlock(block, true);
  EXPECT_EQ(ins->GetBlock(), nullptr);
  conv->Loads(ins);
  EXPECT_TRUE(IsBadBox(ins->GetBox()));
}

TEST_F(InsertsTest, MultipleInsertBoxAndWalkCoverEveryCell) {
  struct Case {
    double angle;
    TFRect want;  // Left, Top, Z1, Right, Bottom, Z2
  };
  // One cell spans (0,0)-(1,1); 2 columns 5 apart, 3 rows 4 apart.
  const Case cases[] = {{0, {0, 9, 0, 6, 0, 0}}, {90, {-9, 6, 0, 0, 0, 0}}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.angle);
    auto* m = b.Ref<TvxCADMInsert>(b.BlockWith("M" + std::to_string(c.angle),
                                               {b.Line({}, {1, 1, 0})}));
    m->SetNumCols(2);
    m->SetNumRows(3);
    m->SetNumRows(0);  // ignored
    m->SetNumCols(70000);  // ignored
    m->SetColSpacing(5);
    m->SetRowSpacing(4);
    // An attribute inside the cell, turned with the reference.
    auto* a = new TvxDXFAttrib();
    a->SetPoint({0.5, 0.2, 0});
    a->SetHeight(0.5);
    m->AddEntity(a);
    m->SetAngle(c.angle);
    b.Place(m);
    const TFPoint attribAt = a->GetPoint();
    const TFRect box = m->GetBox();
    EXPECT_NEAR(box.Left, c.want.Left, 1e-9);
    EXPECT_NEAR(box.Right, c.want.Right, 1e-9);
    EXPECT_NEAR(box.Bottom, c.want.Bottom, 1e-9);
    EXPECT_NEAR(box.Top, c.want.Top, 1e-9);
    const TFMatrix before = m->GetMatrix();
    std::vector<TFPoint> starts;
    int attribs = 0;
    b.Walk([&](TvxDXFEntity* e, TvxDXFInsert* in) {
      if (auto* line = dynamic_cast<TvxDXFLine*>(e); line && in == m)
        starts.push_back(TransformPoint(line->GetPoint1(), conv->Params()->Matrix));
      if (e == a) ++attribs;
    });
    conv->ModelSpaceBlock()->RemoveEntity(m);
    ASSERT_EQ(starts.size(), 6u);
    EXPECT_EQ(attribs, 6);
    TFRect seen = BadBox;
    for (const TFPoint& p : starts) ExpandBox(seen, p);
    EXPECT_NEAR(seen.Right - seen.Left + seen.Top - seen.Bottom, 5 + 8, 1e-9);
    EXPECT_EQ(m->GetMatrix(), before);
    EXPECT_EQ(a->GetPoint(), attribAt);
    m->Free();
  }
}

TEST_F(InsertsTest, HugeArrayWalkIsCapped) {
  TvxDXFLine* line = b.Line({}, {1, 0, 0});
  auto* m = b.Ref<TvxCADMInsert>(b.BlockWith("HUGE", {line}));
  m->SetNumCols(65535);
  m->SetNumRows(65535);
  m->SetColSpacing(1);
  m->SetRowSpacing(1);
  b.Place(m);
  EXPECT_DOUBLE_EQ(m->GetBox().Top, 65534);
  int64_t cells = 0;
  b.Walk([&](TvxDXFEntity* e, TvxDXFInsert*) { cells += e == line; });
  EXPECT_EQ(cells, cnstMaxMInsertCells);
}

TEST_F(InsertsTest, ClipInsertBoxIsClippedAndTheClipMovesWithThePoint) {
  auto* c = b.Ref<TvxCADClipInsert>(b.BlockWith("C", {b.Line({}, {10, 10, 0})}));
  TFRect clip = BadBox;
  ExpandBox(clip, {2, 3, 0});
  ExpandBox(clip, {5, 20, 0});
  c->SetClipBox(clip);
  b.Place(c);
  TFRect box = c->GetBox();
  EXPECT_DOUBLE_EQ(box.Left, 2);
  EXPECT_DOUBLE_EQ(box.Right, 5);
  EXPECT_DOUBLE_EQ(box.Bottom, 3);
  EXPECT_DOUBLE_EQ(box.Top, 10);
  c->SetPoint({100, 0, 0});
  conv->Loads(c);
  box = c->GetBox();
  EXPECT_DOUBLE_EQ(box.Left, 102);
  EXPECT_DOUBLE_EQ(box.Right, 105);
}

TEST_F(InsertsTest, SpatialFilterOfTwoPointsIsItsRectangle) {
  auto* ins = b.Ref(b.BlockWith("F", {b.Line({}, {10, 10, 0})}), {100, 0, 0});
  auto* dict = new TvxDXFDictionary();
  auto* filters = new TvxDXFDictionary();
  filters->SetName("ACAD_FILTER");
  auto* filter = new TvxCADSpatialFilter();
  filter->SetName("SPATIAL");
  filter->Bounds = {{1, 2, 0}, {4, 6, 0}};
  filters->AddEntity(filter);
  dict->AddEntity(filters);
  conv->ObjectsSection()->AddEntity(dict);
  ins->SetDictionary(dict);
  b.Place(ins);
  TFRect box = ins->GetBox();
  EXPECT_DOUBLE_EQ(box.Left, 101);
  EXPECT_DOUBLE_EQ(box.Right, 104);
  EXPECT_DOUBLE_EQ(box.Bottom, 2);
  EXPECT_DOUBLE_EQ(box.Top, 6);
  // A boundary outside the content leaves nothing to show.
  filter->Bounds = {{50, 50, 0}, {60, 60, 0}};
  conv->Loads(ins);
  EXPECT_TRUE(IsBadBox(ins->GetBox()));
  // One point is no boundary: the whole block shows.
  filter->Bounds = {{1, 1, 0}};
  conv->Loads(ins);
  EXPECT_DOUBLE_EQ(ins->GetBox().Right, 110);
}

TEST_F(InsertsTest, BlockQueries) {
  EXPECT_TRUE(conv->ModelSpaceBlock()->IsModalSpaceBlock());
  EXPECT_FALSE(b.Block("PLAIN")->IsModalSpaceBlock());
  struct Case {
    const char* name;
    bool table;
  };
  for (const Case& c : {Case{"*T12", true}, Case{"*t3", true}, Case{"*TvxTbl7", true},
                        Case{"*TA", false}, Case{"T12", false}, Case{"*U2", false}})
    EXPECT_EQ(b.Block(c.name)->IsAcadTableBlock(), c.table) << c.name;
}

}  // namespace
}  // namespace vx::test
