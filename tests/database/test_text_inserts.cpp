// Texts inside block references: constant definitions show their substituted value, attributes
// keep their text fields as their reference moves and turns, multi-line texts are walked whole.
#include "test_inserts_fixture.h"

#include "database/text/vxMText.h"

using namespace vx;
using namespace vx::test;

TEST_F(InsertsTest, ConstantDefinitionShowsItsValueSubstitutedOnce) {
  auto* def = new TvxDXFAttdef();
  def->SetTag("T");
  def->SetFlags(cnstAttConstant);
  def->SetValue("90%%d");
  def->SetHeight(1);
  TvxDXFBlock* block = b.BlockWith("B", {def});
  b.Place(b.Ref(block));
  int shown = 0;
  for (int pass = 0; pass < 2; ++pass)
    b.Walk([&](TvxDXFEntity* e, TvxDXFInsert*) { shown += e == def; });
  EXPECT_EQ(shown, 2);
  EXPECT_EQ(def->Text(), "90\u00B0");
  EXPECT_EQ(def->Value(), "90%%d");
}

TEST_F(InsertsTest, AttributeAlignmentPointMovesOnlyWhenItPlacesTheText) {
  TvxDXFBlock* block = b.BlockWith("B", {b.Line({}, {1, 0, 0})});
  auto* ins = b.Ref(block, {10, 0, 0});
  auto* left = new TvxDXFAttrib();  // left-aligned: its alignment point is not given
  left->SetPoint({10, 0, 0});
  auto* right = new TvxDXFAttrib();
  right->SetPoint({10, 0, 0});
  right->SetPoint1({12, 0, 0});
  right->SetHAlign(cnstHAlignRight);
  ins->AddEntity(left);
  ins->AddEntity(right);
  b.Place(ins);
  ins->SetPoint({20, 5, 0});
  EXPECT_TRUE(IsUndefinedPoint(left->GetPoint1()));
  ExpectPoint(left->GetPoint(), {20, 5, 0});
  ExpectPoint(right->GetPoint1(), {22, 5, 0});
  ins->SetAngle(90);
  EXPECT_DOUBLE_EQ(right->Rotation(), 90);
  EXPECT_TRUE(IsUndefinedPoint(left->GetPoint1()));
}

TEST_F(InsertsTest, MTextIsWalkedAsOneEntityWithAnEmptyOwnBlock) {
  auto* m = new TvxDXFMText();
  m->SetText("abc\\Pdef");
  m->SetHeight(2);
  b.Place(m);
  ASSERT_NE(m->GetBlock(), nullptr);
  EXPECT_EQ(m->GetBlock()->Count(), 0);
  EXPECT_EQ(m->GetBlock()->GetOwner(), m);
  int seen = 0;
  b.Walk([&](TvxDXFEntity* e, TvxDXFInsert*) { seen += e == m; });
  EXPECT_EQ(seen, 1);
  EXPECT_FALSE(IsBadBox(m->GetBox()));
  auto* copy = static_cast<TvxDXFMText*>(m->Clone());
  EXPECT_NE(copy->GetBlock(), m->GetBlock());
  EXPECT_EQ(copy->Text(), "abc\\Pdef");
  EXPECT_DOUBLE_EQ(copy->Height(), 2);
  copy->Free();
}
