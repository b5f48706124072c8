// The walk into references: effective layer, colour and line weight through nested references,
// attribute display, and cyclic or deep block structures.
#include "test_inserts_fixture.h"

namespace vx::test {
namespace {

constexpr TColor kRed = 0x0000FF, kYellow = 0x00FFFF, kGreen = 0x00FF00, kBlue = 0xFF0000;

// What the walk resolved for the one line of the innermost block.
struct Resolved {
  TColor color = 0;
  double weight = -100;
  TvxDXFLayer* layer = nullptr;
  int seen = 0;
};

class NestedTest : public InsertsTest {
 protected:
  Resolved WalkLine(TvxDXFLine* line) {
    Resolved r;
    b.Walk([&](TvxDXFEntity* e, TvxDXFInsert* in) {
      if (e != line) return;
      r.color = EffectiveColor(e, in);
      r.weight = EffectiveLineWeight(e, in);
      r.layer = EffectiveLayer(e, in);
      ++r.seen;
    });
    return r;
  }
};

TEST_F(NestedTest, ColourLayerAndLineWeightFollowTheChainOfReferences) {
  struct Case {
    const char* name;
    // The line: layer name ("0" or "OWN"), colour (256 by layer, 0 by block), line weight.
    const char* lineLayer;
    int lineColor;
    double lineWeight;
    // The inner reference (nullptr: the line sits in the outer block directly).
    bool inner;
    const char* innerLayer;
    int innerColor;
    double innerWeight;
    // The outer reference in model space.
    const char* outerLayer;
    int outerColor;
    double outerWeight;
    TColor wantColor;
    double wantWeight;
    const char* wantLayer;
  };
  // Layers: "0" colour 7, "RED" colour 1 weight 0.3, "OWN" colour 3 weight 0.25.
  const Case cases[] = {
      {"by layer on 0 in a reference on a red layer", "0", 256, -1, false, "", 0, 0, "RED", 256,
       -1, kRed, 0.3, "RED"},
      {"own layer wins in any reference", "OWN", 256, -1, false, "", 0, 0, "RED", 5, 0.5, kGreen,
       0.25, "OWN"},
      {"by block in a reference of colour 5", "0", 0, -2, false, "", 0, 0, "0", 5, 0.5, kBlue, 0.5,
       "0"},
      {"by block in a by-block reference in a colour-2 reference", "0", 0, -2, true, "0", 0, -2,
       "0", 2, 0.7, kYellow, 0.7, "0"},
      {"by layer on 0 through a reference on 0 to a red one", "0", 256, -1, true, "0", 256, -1,
       "RED", 256, -1, kRed, 0.3, "RED"},
      {"concrete colour and weight stay", "0", 5, 0.13, true, "RED", 1, 0.5, "OWN", 2, 0.7, kBlue,
       0.13, "RED"},
      {"default weight is none", "OWN", 256, -3, false, "", 0, 0, "RED", 256, -1, kGreen, 0, "OWN"},
  };
  b.Layer("0", 7);
  b.Layer("RED", 1, 0.3);
  b.Layer("OWN", 3, 0.25);
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string suffix = std::to_string(n++);
    TvxDXFLine* line = b.Line({}, {1, 0, 0}, conv->LayerByName(c.lineLayer), c.lineColor, c.lineWeight);
    TvxDXFBlock* outerBlock;
    if (c.inner) {
      TvxDXFBlock* innerBlock = b.BlockWith("IN" + suffix, {line});
      outerBlock = b.BlockWith("OUT" + suffix, {b.Ref(innerBlock, {}, conv->LayerByName(c.innerLayer),
                                                      c.innerColor, c.innerWeight)});
    } else {
      outerBlock = b.BlockWith("OUT" + suffix, {line});
    }
    auto* outer = b.Place(b.Ref(outerBlock, {}, conv->LayerByName(c.outerLayer), c.outerColor,
                                c.outerWeight));
    const Resolved r = WalkLine(line);
    EXPECT_EQ(r.seen, 1);
    EXPECT_EQ(r.color, c.wantColor);
    EXPECT_DOUBLE_EQ(r.weight, c.wantWeight);
    ASSERT_NE(r.layer, nullptr);
    EXPECT_EQ(r.layer->GetName(), c.wantLayer);
    // Outside any walk the chain is gone.
    EXPECT_EQ(outer->OwnerInsert(), nullptr);
    conv->ModelSpaceBlock()->RemoveEntity(outer);
    outer->Free();
  }
}

TEST_F(NestedTest, WithoutReferenceByBlockAndByLayerFallBack) {
  b.Layer("RED", 1, 0.3);
  TvxDXFLine* byBlock = b.Place(b.Line({}, {1, 0, 0}, conv->LayerByName("RED"), 0, -2));
  EXPECT_EQ(EffectiveColor(byBlock, nullptr), clForeground);
  EXPECT_DOUBLE_EQ(EffectiveLineWeight(byBlock, nullptr), 0);
  TvxDXFLine* byLayer = b.Place(b.Line({}, {1, 0, 0}, conv->LayerByName("RED")));
  EXPECT_EQ(EffectiveColor(byLayer, nullptr), kRed);
  EXPECT_DOUBLE_EQ(EffectiveLineWeight(byLayer, nullptr), 0.3);
  // A wide light-weight polyline answers "no line weight" through the hook.
  UsesLineWeight = [byLayer](const TvxDXFEntity* e) { return e != byLayer; };
  EXPECT_DOUBLE_EQ(EffectiveLineWeight(byLayer, nullptr), 0);
  UsesLineWeight = nullptr;
}

TEST_F(NestedTest, WalkComposesMatricesAndRestoresTheWalkState) {
  TvxDXFLine* line = b.Line({}, {1, 0, 0});
  TvxDXFBlock* inner = b.BlockWith("IN", {line});
  auto* innerRef = b.Ref(inner, {0, 10, 0});
  innerRef->SetAngle(90);
  TvxDXFBlock* outer = b.BlockWith("OUT", {innerRef});
  auto* outerRef = b.Ref(outer, {100, 0, 0});
  outerRef->SetScale({2, 2, 2});
  b.Place(outerRef);
  conv->Params()->Color = 12345;
  std::vector<TFPoint> ends;
  std::vector<TFPoint> wcs;
  b.Walk([&](TvxDXFEntity* e, TvxDXFInsert* in) {
    if (e != line) return;
    EXPECT_EQ(in, innerRef);
    EXPECT_EQ(innerRef->OwnerInsert(), outerRef);
    ends.push_back(TransformPoint(line->GetPoint1(), conv->Params()->Matrix));
    wcs.push_back(TransformPoint(line->GetPoint1(), conv->Params()->ConvertMatrixCurrentInsertToWCS));
    EXPECT_NE(conv->Params()->Additional, 0);  // turned by 90 degrees
  });
  ASSERT_EQ(ends.size(), 1u);
  // (1,0) turned 90 -> (0,1), moved to (0,11), scaled 2 -> (0,22), moved to (100,22).
  ExpectPoint(ends[0], {100, 22, 0});
  ExpectPoint(wcs[0], {100, 22, 0});
  EXPECT_EQ(conv->Params()->Color, 12345u);
  EXPECT_EQ(conv->Params()->Insert, nullptr);
  EXPECT_TRUE(conv->Params()->BlockStack.empty());
  EXPECT_EQ(conv->Transform3D(), cnstIdentityMat);
}

TEST_F(NestedTest, AnswerZeroSkipsAndOtherAnswersWalkOnlyAttributes) {
  TvxDXFLine* line = b.Line({}, {1, 0, 0});
  auto* ins = b.Ref(b.BlockWith("B", {line}));
  auto* a = new TvxDXFAttrib();
  a->SetTag("T");
  ins->AddEntity(a);
  b.Place(ins);
  for (int answer : {0, 1, 2}) {
    int lines = 0, attribs = 0, finished = 0;
    conv->ModelSpaceBlock()->Iterate(
        conv, [&](TvxDXFEntity* e) { finished += e == ins; return 1; },
        [&](TvxDXFEntity* e) {
          lines += e == line;
          attribs += e == a;
          return e == ins ? answer : 1;
        });
    SCOPED_TRACE(answer);
    EXPECT_EQ(lines, answer == 1 ? 1 : 0);
    EXPECT_EQ(attribs, answer == 0 ? 0 : 1);
    EXPECT_EQ(finished, answer == 0 ? 0 : 1);
  }
}

TEST_F(NestedTest, AttributeDefinitionsShowOnlyWhatTheReferenceDoesNotReplace) {
  double x = 0;
  auto def = [&x](const char* tag, int flags, const char* value) {
    auto* d = new TvxDXFAttdef();
    d->SetPoint({x, 0, 0});
    x += 100;
    d->SetTag(tag);
    d->SetFlags(flags);
    d->SetValue(value);
    return d;
  };
  TvxDXFAttdef* constant = def("C", cnstAttConstant, "fixed");
  TvxDXFAttdef* variable = def("V", 0, "default");
  TvxDXFAttdef* hidden = def("H", cnstAttConstant | cnstAttNotAppear, "hidden");
  TvxDXFAttdef* replaced = def("R", cnstAttPreset | cnstAttConstant, "x");
  TvxDXFBlock* block = b.BlockWith("TITLE", {constant, variable, hidden, replaced});
  EXPECT_EQ(constant->Text(), "C");  // a definition shows its tag outside references
  // The box of the block counts only definitions that show a value.
  TFRect onlyShown = constant->GetBox();
  UnionBox(onlyShown, replaced->GetBox());
  EXPECT_EQ(block->GetBox(), onlyShown);

  auto* withAttribs = b.Ref(block);
  auto* valueV = new TvxDXFAttrib();
  valueV->SetTag("V");
  valueV->SetValue("typed");
  auto* invisible = new TvxDXFAttrib();
  invisible->SetTag("Z");
  invisible->SetFlags(cnstAttNotAppear);
  withAttribs->AddEntity(valueV);
  withAttribs->AddEntity(invisible);
  b.Place(withAttribs);
  auto* bare = b.Place(b.Ref(block, {50, 0, 0}));

  std::vector<std::pair<TvxDXFEntity*, TvxDXFInsert*>> shown;
  b.Walk([&](TvxDXFEntity* e, TvxDXFInsert* in) {
    if (e->EntType() == ceAttdef || e->EntType() == ceAttrib) shown.emplace_back(e, in);
  });
  // The typed attribute, then the constant definition with its value, in both references:
  // constant definitions have no attributes of their own, so they show without any.
  const std::vector<std::pair<TvxDXFEntity*, TvxDXFInsert*>> want = {
      {valueV, withAttribs}, {constant, withAttribs}, {constant, bare}};
  EXPECT_EQ(shown, want);
  EXPECT_EQ(constant->Text(), "fixed");
  EXPECT_FALSE(variable->HasChanging());
}

TEST_F(NestedTest, CyclicBlocksLoadWalkAndFreeWithoutHanging) {
  // SELF holds a reference to itself; A and B hold references to each other.
  TvxDXFBlock* self = b.Block("SELF");
  TvxDXFBlock* a = b.Block("A");
  TvxDXFBlock* bb = b.Block("B");
  TvxDXFLine* line = b.Line({}, {1, 1, 0});
  self->AddEntity(line);
  auto* selfRef = b.Ref(self, {5, 0, 0});
  self->AddEntity(selfRef);
  auto* aToB = b.Ref(bb, {1, 0, 0});
  a->AddEntity(aToB);
  a->AddEntity(b.Line({}, {2, 0, 0}));
  auto* bToA = b.Ref(a, {0, 1, 0});
  bb->AddEntity(bToA);
  auto* outerSelf = b.Ref(self);
  auto* outerA = b.Ref(a, {100, 0, 0});
  conv->ModelSpaceBlock()->AddEntity(outerSelf);
  conv->ModelSpaceBlock()->AddEntity(outerA);
  // Loading through single loads (no drawing load running) must end as well.
  conv->Loads(outerSelf);
  conv->Loads(aToB);
  conv->LoadDrawing();
  EXPECT_TRUE(self->IsLoaded());
  EXPECT_FALSE(IsBadBox(outerSelf->GetBox()));

  int lines = 0;
  b.Walk([&](TvxDXFEntity* e, TvxDXFInsert*) { lines += e == line; });
  EXPECT_EQ(lines, 1);  // the outer copy only
  EXPECT_EQ(selfRef->GetBlock(), nullptr);
  EXPECT_EQ(outerSelf->GetBlock(), self);
  // A -> B -> A: the reference that closed the cycle lost its block.
  EXPECT_EQ(bToA->GetBlock(), nullptr);
  EXPECT_EQ(outerA->GetBlock(), a);
  b.Walk([](TvxDXFEntity*, TvxDXFInsert*) {});
}

TEST_F(NestedTest, DeepNestingIsCutNotOverflowed) {
  constexpr int kDepth = 300;
  TvxDXFLine* line = b.Line({}, {1, 0, 0});
  TvxDXFBlock* block = b.BlockWith("D0", {line});
  for (int i = 1; i < kDepth; ++i)
    block = b.BlockWith("D" + std::to_string(i), {b.Ref(block, {1, 0, 0})});
  auto* top = b.Place(b.Ref(block));
  EXPECT_FALSE(IsBadBox(top->GetBox()));
  int lines = 0, refs = 0;
  b.Walk([&](TvxDXFEntity* e, TvxDXFInsert*) {
    lines += e == line;
    refs += e->IsInsert();
  });
  EXPECT_EQ(lines, 0);  // beyond the nesting limit
  EXPECT_LE(refs, cnstMaxBlockNesting + 1);
  EXPECT_GE(refs, cnstMaxBlockNesting - 1);
}

TEST_F(NestedTest, DeepChainOfUnloadedBlocksLoadsWithoutOverflow) {
  constexpr int kDepth = 400;
  TvxDXFBlock* block = b.Block("U0");
  block->AddEntity(b.Line({}, {1, 0, 0}));
  for (int i = 1; i < kDepth; ++i) {
    TvxDXFBlock* next = b.Block("U" + std::to_string(i));
    next->AddEntity(b.Ref(block, {1, 0, 0}));
    block = next;
  }
  auto* top = b.Ref(block);
  conv->ModelSpaceBlock()->AddEntity(top);
  conv->Loads(top);  // no drawing load: the guard of the references stops the descent
  conv->LoadDrawing();
  EXPECT_TRUE(block->IsLoaded());
  b.Walk([](TvxDXFEntity*, TvxDXFInsert*) {});
}

}  // namespace
}  // namespace vx::test
