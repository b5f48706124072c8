// Layouts: block names, the view stack, the layout walk and plot settings.
#include "database/core/DXFConv.h"
#include "database/blocks/vxInserts.h"
#include "database/linetypes/vxLines.h"
#include "database/layouts/vxPlotSettings.h"
#include "test_converter_fixture.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

namespace vx::test {
namespace {

TEST(LayoutNames, BlockNameFollowsTheLayoutIndex) {
  ConvPtr conv = NewConvWithTables();
  while (conv->LayoutsCount() < 4) conv->AddLayout(new TvxDXFLayout());
  const char* want[] = {"*MODEL_SPACE", "*PAPER_SPACE", "*PAPER_SPACE0", "*PAPER_SPACE1"};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(conv->Layouts(i)->BlockName(), want[i]) << i;
    ASSERT_NE(conv->Layouts(i)->PaperSpaceBlock(), nullptr);
    EXPECT_EQ(conv->Layouts(i)->PaperSpaceBlock()->GetName(), want[i]) << i;
  }
  EXPECT_TRUE(conv->Layouts(0)->IsModel());
  EXPECT_FALSE(conv->Layouts(3)->IsModel());

  auto* loose = new TvxDXFLayout();
  loose->SetName("Sheet");
  EXPECT_EQ(loose->Index(), -1);
  EXPECT_EQ(loose->BlockName(), "*[Sheet]");
  EXPECT_TRUE(loose->IsModel());
  EXPECT_EQ(loose->Count(), 0);
  EXPECT_EQ(loose->GetEntity(0), nullptr);
  TvxDXFEntity::FreeEntity(loose);
}

TEST(LayoutNames, ABlockBelongsToOneLayout) {
  // Two layouts bound to one block: the first lets it go, so cleaning empty layouts (which frees
  // each removed layout's block) never reaches a block freed with the other.
  ConvPtr conv = NewConvWithTables();
  while (conv->LayoutsCount() < 4) conv->AddLayout(new TvxDXFLayout());
  TvxDXFLayout* a = conv->Layouts(2);
  TvxDXFLayout* b = conv->Layouts(3);
  TvxDXFBlock* block = a->PaperSpaceBlock();
  b->SetPaperSpaceBlock(block);
  EXPECT_EQ(a->ExistingPaperSpaceBlock(), nullptr);
  EXPECT_EQ(b->ExistingPaperSpaceBlock(), block);
  EXPECT_EQ(block->Layout(), b);
  conv->CleaningLayouts(false);  // both are empty; ASan checks the rest
  EXPECT_EQ(conv->LayoutsCount(), 2);
}

// ---- the view stack -------------------------------------------------------------------------

TvxViewRect R(int i) { return {i, i + 1, i + 2, i + 3}; }

TEST(ViewStack, KeepsTheBaseViewAndThe256MostRecent) {
  TvxView view;
  for (int i = 0; i < 300; ++i) view.PushView(R(i));
  EXPECT_EQ(view.ViewCount(), 257);
  EXPECT_EQ(view.ActiveView(), R(299));
  // Popping walks back through the recent views down to the base view, which stays.
  for (int i = 299; i >= 44; --i) EXPECT_EQ(view.PopView(), R(i)) << i;
  EXPECT_EQ(view.ViewCount(), 1);
  EXPECT_EQ(view.ActiveView(), R(0));
  EXPECT_EQ(view.PopView(), R(0));
  EXPECT_EQ(view.PopView(), R(0));
  EXPECT_TRUE(view.HasBaseView());
  EXPECT_FALSE(view.HasView());
}

TEST(ViewStack, StoresLeftTopBottomRightAndEmptyStackDoesNothing) {
  TvxView view;
  EXPECT_EQ(view.PopView(), TvxViewRect{});
  EXPECT_EQ(view.ActiveView(), TvxViewRect{});
  view.SetActiveView(R(5));  // no view yet: nothing to overwrite
  EXPECT_FALSE(view.HasBaseView());
  EXPECT_EQ(view.ViewCount(), 0);

  view.PushView({1, 2, 3, 4});
  view.PushView({5, 6, 7, 8});
  EXPECT_TRUE(view.HasView());
  view.SetActiveView({9, 10, 11, 12});
  EXPECT_EQ(view.PopView(), (TvxViewRect{9, 10, 11, 12}));
  EXPECT_EQ(view.ActiveView(), (TvxViewRect{1, 2, 3, 4}));

  TFMatrix m = cnstIdentityMat;
  m.M[3] = {1, 2, 3};
  EXPECT_FALSE(view.HasDrawMatrix());
  view.SetDrawMatrix(m);
  EXPECT_TRUE(view.HasDrawMatrix());
  TvxView copy;
  copy.AssignEntity(&view);
  EXPECT_EQ(copy.DrawMatrix(), m);
  EXPECT_EQ(copy.ActiveView(), view.ActiveView());
  view.Clear(true);
  EXPECT_FALSE(view.HasDrawMatrix());
  EXPECT_FALSE(view.HasBaseView());
  EXPECT_EQ(copy.ViewCount(), 1);  // the copy has a stack of its own
}

TEST(ViewStack, LayoutOwnsAndCopiesItsView) {
  ConvPtr conv = NewConvWithTables();
  auto* sheet = new TvxDXFLayout();
  conv->AddLayout(sheet);
  EXPECT_EQ(sheet->ExistingView(), nullptr);
  sheet->View()->PushView(R(1));
  auto* copy = new TvxDXFLayout();
  copy->AssignEntity(sheet);
  ASSERT_NE(copy->ExistingView(), nullptr);
  EXPECT_NE(copy->ExistingView(), sheet->ExistingView());
  EXPECT_EQ(copy->View()->ActiveView(), R(1));
  TvxDXFEntity::FreeEntity(copy);
}

// ---- the layout walk ------------------------------------------------------------------------

TEST(LayoutWalk, StartsFromACleanStateAndLeavesTheStackAsItWas) {
  ConvPtr conv = NewConvWithTables();
  TvxDXFBlock* model = conv->ModelSpaceBlock();
  auto* e = new TestBoxEntity();
  e->FixedBox = Box(0, 0, 1, 1);
  model->AddEntity(e);
  TvxCADIterate* params = conv->Params();
  params->Color = 5;
  params->XScale = 3;
  int calls = 0;
  conv->Layouts(0)->Iterate(conv.get(), nullptr, [&](TvxDXFEntity*) {
    ++calls;
    EXPECT_EQ(params->Insert, nullptr);
    EXPECT_EQ(params->Color, clByLayer);
    EXPECT_EQ(params->XScale, 0);
    EXPECT_EQ(params->LType, &TvxLines::Continuous());
    EXPECT_EQ(params->BlockStack, (std::vector<TvxDXFEntity*>{model}));
    return 1;
  });
  EXPECT_EQ(calls, 1);
  EXPECT_TRUE(params->BlockStack.empty());
}

TEST(LayoutWalk, TooDeepOrReenteredIsNotWalked) {
  ConvPtr conv = NewConvWithTables();
  TvxDXFBlock* model = conv->ModelSpaceBlock();
  model->AddEntity(new TestBoxEntity());
  int calls = 0;
  auto count = [&](TvxDXFEntity*) { return ++calls; };
  TvxCADIterate* params = conv->Params();
  params->BlockStack = {model};
  conv->Layouts(0)->Iterate(conv.get(), nullptr, count);
  EXPECT_EQ(calls, 0);
  params->BlockStack.assign(cnstMaxBlockNesting, nullptr);
  conv->Layouts(0)->Iterate(conv.get(), nullptr, count);
  EXPECT_EQ(calls, 0);
  params->BlockStack.clear();
  conv->Layouts(0)->Iterate(conv.get(), nullptr, count);
  EXPECT_EQ(calls, 1);
}

// ---- plot settings --------------------------------------------------------------------------

TEST(PlotSettings, LandScapeFollowsPaperAndRotation) {
  struct Case {
    double w, h;
    bool landscape;
    TvxPlotRotation want;
  };
  for (const Case& c : std::initializer_list<Case>{{297, 210, true, prNoRotation},
                                                  {297, 210, false, pr90DegreesCW},
                                                  {210, 297, true, pr90DegreesCW},
                                                  {210, 297, false, prNoRotation}}) {
    TvxDXFPlotSettings ps;
    ps.Data.PlotPaperSize = {c.w, c.h};
    ps.SetLandScape(c.landscape);
    EXPECT_EQ(ps.Data.PlotRotation, c.want) << c.w << "x" << c.h << " " << c.landscape;
    EXPECT_EQ(ps.LandScape(), c.landscape);
  }
}

TEST(PlotSettings, CustomPrintScaleKoef) {
  TvxDXFPlotSettings ps;
  ps.SetCustomPrintScale({1, 100});
  EXPECT_DOUBLE_EQ(ps.CustomPrintScaleKoef(), 100);
  ps.Data.PlotPaperUnits = ppuInches;
  EXPECT_DOUBLE_EQ(ps.CustomPrintScaleKoef(), 100 / 25.4);
  ps.SetCustomPrintScale({0, 100});
  EXPECT_DOUBLE_EQ(ps.CustomPrintScaleKoef(), 1);
  EXPECT_FALSE(ps.IsFitToPaper());
  ps.Data.StandardScaleType = 0;
  EXPECT_TRUE(ps.IsFitToPaper());
}

void ExpectRect(const TFRect& r, double l, double t, double rt, double b) {
  EXPECT_DOUBLE_EQ(r.Left, l);
  EXPECT_DOUBLE_EQ(r.Top, t);
  EXPECT_DOUBLE_EQ(r.Right, rt);
  EXPECT_DOUBLE_EQ(r.Bottom, b);
}

TEST(PlotSettings, PaperAndMarginAreasTurnWithTheRotation) {
  TvxDXFPlotSettings ps;
  ps.Data.PlotPaperSize = {297, 210};
  ps.Data.UnprintableMargin = {5, 10, 15, 20};  // Left, Top, Right, Bottom
  ExpectRect(ps.PlotPaperArea(), -5, -20, 292, 190);
  ExpectRect(ps.PlotMarginsArea(), 0, 0, 277, 180);
  ps.Data.PlotRotation = pr90DegreesCW;  // margins become (B, L, T, R), the paper stands up
  ExpectRect(ps.PlotPaperArea(), -20, -15, 190, 282);
  ExpectRect(ps.PlotMarginsArea(), 0, 0, 180, 277);
  ps.Data.PlotRotation = prNoRotation;
  ps.SetCustomPrintScale({1, 2});
  ps.Data.PlotOrigin = {1, 2};
  ps.Data.PaperImageOrigin = {3, 4};
  // k = 2: o = (-3 - 2, -4 - 4), S = (594, 420), margins doubled.
  ExpectRect(ps.PlotMarginsArea(), -5, -8, -5 + 594 - 40, -8 + 420 - 60);
  ps.Data.PlotType = ptWindowSpecified;
  ps.Data.PlotWindowAreaMin = {100, 300};
  ps.Data.PlotWindowAreaMax = {0, 50};
  ExpectRect(ps.PlotPrintableArea(), 0, 300, 100, 50);
}

TEST(PlotSettings, DefaultsByExtents) {
  TvxDXFPlotSettings ps;
  // A wide picture on a standing A4 sheet is turned; the long side fits 297 - 6.4 mm.
  EXPECT_TRUE(ps.SetDefaultValueByExtents(Box(10, 20, 110, 70), false));
  EXPECT_EQ(ps.Data.PaperSize, "A4");
  EXPECT_EQ(ps.Data.PlotRotation, pr90DegreesCounterCW);
  EXPECT_EQ(ps.Data.PlotType, ptDrawingExtents);
  EXPECT_TRUE(ps.IsFitToPaper());
  EXPECT_DOUBLE_EQ(ps.Data.UnprintableMargin.Left, 3.2);
  EXPECT_DOUBLE_EQ(ps.Data.DenominatorOfCustomPrintScale, 1 / (290.6 / 100));
  EXPECT_EQ(ps.Data.PaperImageOrigin, (TF2DPoint{-10, -20}));

  TvxDXFPlotSettings own;
  EXPECT_TRUE(own.SetDefaultValueByExtents(Box(0, 0, 100, 50), true));
  EXPECT_EQ(own.Data.PlotPaperSize, (TF2DPoint{100, 50}));
  EXPECT_EQ(own.Data.PlotRotation, prNoRotation);
  EXPECT_DOUBLE_EQ(own.Data.DenominatorOfCustomPrintScale, 1);

  TvxDXFPlotSettings bad;
  bad.SetCustomPrintScale({3, 7});
  EXPECT_FALSE(bad.SetDefaultValueByExtents(BadBox, false));
  EXPECT_DOUBLE_EQ(bad.Data.NumeratorOfCustomPrintScale, 1);
  EXPECT_DOUBLE_EQ(bad.Data.DenominatorOfCustomPrintScale, 1);

  // A zero-sized picture on a sheet of its own size keeps a finite scale.
  TvxDXFPlotSettings flat;
  EXPECT_TRUE(flat.SetDefaultValueByExtents(Box(5, 5, 5, 5), true));
  EXPECT_DOUBLE_EQ(flat.Data.DenominatorOfCustomPrintScale, 1);
}

TEST(PlotSettings, LayoutTakesOnlyPlotSettingsNamedByItsPageSetup) {
  ConvPtr conv = NewConvWithTables();
  TvxDXFSection* objects = conv->ObjectsSection();
  ASSERT_NE(objects, nullptr);
  auto* sheet = new TvxDXFLayout();
  conv->AddLayout(sheet);
  sheet->PlotSettings()->SetName("Setup1");
  sheet->PlotSettings()->Data.PaperSize = "mine";

  auto* other = new TvxDXFLayout();  // not plot settings, same name
  other->SetName("Setup1");
  other->PlotSettings()->Data.PaperSize = "wrong";
  ASSERT_GE(objects->AddEntity(other), 0);
  conv->Loads(sheet);
  EXPECT_EQ(sheet->PlotSettings()->Data.PaperSize, "mine");

  auto* setup = new TvxDXFPlotSettings();
  setup->SetName("Setup1");
  setup->Data.PaperSize = "ISO A3";
  ASSERT_GE(objects->AddEntity(setup), 0);
  conv->Loads(sheet);
  EXPECT_EQ(sheet->PlotSettings()->Data.PaperSize, "ISO A3");
  EXPECT_EQ(sheet->PlotPaperUnits(), ppuMM);
}

}  // namespace
}  // namespace vx::test
