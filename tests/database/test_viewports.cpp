// Viewports: matrix, sheet box, ordinals, the walk of model space through viewports, VPORT
// view operations and the user coordinate system.
#include "database/core/DXFConv.h"
#include "database/layouts/vxViewports.h"
#include "database/layouts/vxVPorts.h"
#include "test_inserts_fixture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vx::test {
namespace {

TvxDXFViewport* NewViewport(uint64_t handle, const TFPoint& pCenter = {}, double pw = 10,
                            double ph = 10) {
  auto* vp = new TvxDXFViewport();
  vp->SetHandle(handle);
  vp->PSpaceCenter = pCenter;
  vp->PSpaceWidth = pw;
  vp->PSpaceHeight = ph;
  return vp;
}

TEST(ViewportMatrix, MapsModelViewOntoTheSheet) {
  TvxDXFViewport vp;
  vp.PSpaceHeight = 10;
  vp.MSpaceHeight = 5;
  vp.MSpaceCenter = {1, 1, 0};
  vp.PSpaceCenter = {10, 10, 0};
  vp.LoadData(nullptr);
  ExpectPoint(TransformPoint({1, 1, 0}, vp.Matrix()), {10, 10, 0});
  ExpectPoint(TransformPoint({2, 1, 0}, vp.Matrix()), {12, 10, 0});

  // A quarter twist turns the model's X axis onto the sheet's Y axis.
  vp.ViewTwistAngle = 90;
  vp.MSpaceHeight = 10;
  vp.MSpaceCenter = {};
  vp.PSpaceCenter = {};
  vp.LoadData(nullptr);
  ExpectPoint(TransformPoint({1, 0, 0}, vp.Matrix()), {0, 1, 0});

  // Zero heights give scale 1; a zero direction looks down Z.
  TvxDXFViewport flat;
  flat.ViewDirection = {};
  flat.ViewTarget = {2, 3, 0};
  flat.LoadData(nullptr);
  EXPECT_EQ(flat.ViewDirection, cnstExtrusion);
  ExpectPoint(TransformPoint({2, 3, 0}, flat.Matrix()), {0, 0, 0});
  ExpectPoint(TransformPoint({3, 3, 0}, flat.Matrix()), {1, 0, 0});
}

TEST(ViewportBox, SheetRectangleAndVisibility) {
  TvxDXFViewport vp;
  vp.PSpaceCenter = {10, 20, 0};
  vp.PSpaceWidth = 8;
  vp.PSpaceHeight = 6;
  vp.StatusField = 0;
  vp.LoadData(nullptr);
  const TFRect r = vp.Rect();
  EXPECT_EQ(r.TopLeft(), (TFPoint{6, 23, 0}));
  EXPECT_EQ(r.BottomRight(), (TFPoint{14, 17, 0}));
  EXPECT_EQ(vp.GetBox(), r);  // status 0: the box counts
  vp.StatusField = 2;
  vp.ThisID = 1;
  EXPECT_TRUE(IsBadBox(vp.GetBox()));  // the sheet's own viewport without an ordinal
  vp.ThisID = 2;
  EXPECT_EQ(vp.GetBox(), r);
  vp.SetFlags(cnstViewportOff);
  EXPECT_FALSE(vp.ShowsModelSpace());
  EXPECT_TRUE(vp.IsDraw());  // the frame still shows
  vp.SetVisibleBoundary(false);
  EXPECT_FALSE(vp.IsDraw());
}

// A drawing with model space and one paper sheet.
class ViewportsTest : public InsertsTest {
 protected:
  ViewportsTest() {
    while (conv->LayoutsCount() < 2) conv->AddLayout(new TvxDXFLayout());
  }
};

TEST_F(ViewportsTest, OrdinalsGoBySmallestHandle) {
  TvxDXFBlock* sheet = conv->Layouts(1)->PaperSpaceBlock();
  TvxDXFViewport* v30 = NewViewport(0x30);
  TvxDXFViewport* v20 = NewViewport(0x20);
  TvxDXFViewport* v40 = NewViewport(0x40);
  for (auto* v : {v30, v20, v40}) ASSERT_GE(sheet->AddEntity(v), 0);
  EXPECT_EQ(v30->OrdIndex(), 1);
  EXPECT_EQ(v20->OrdIndex(), 0);
  EXPECT_EQ(v40->OrdIndex(), 2);
  EXPECT_TRUE(v30->ShowsModelSpace());
  EXPECT_FALSE(v20->ShowsModelSpace());

  // The remembered one leaves: the block forgets it, the next one added is remembered.
  TvxDXFEntity* gone = sheet->ExtractEntity(sheet->IndexOfEntity(v20));
  EXPECT_EQ(v20->OrdIndex(), -1);
  TvxDXFViewport* v50 = NewViewport(0x50);
  TvxDXFViewport* v10 = NewViewport(0x10);
  sheet->AddEntity(v50);
  sheet->AddEntity(v10);
  EXPECT_EQ(v50->OrdIndex(), 4);
  EXPECT_EQ(v10->OrdIndex(), 3);
  TvxDXFEntity::FreeEntity(gone);
}

TEST_F(ViewportsTest, ModelSpaceViewportIsOff) {
  TvxDXFViewport* vp = NewViewport(0x70);
  vp->StatusField = 2;
  b.Place(vp);
  EXPECT_TRUE(vp->IsOff());
  EXPECT_EQ(vp->StatusField, 0);
  EXPECT_FALSE(vp->VisibleBoundary());
  vp->SetVisibleBoundary(true);
  EXPECT_FALSE(vp->VisibleBoundary());
  EXPECT_TRUE(IsBadBox(vp->GetBox()));
}

// Model space: a line on layer A and one on layer B. The sheet: the overall viewport, one that
// freezes A and one that freezes nothing.
struct SheetWalk {
  TvxDXFLayer* A;
  TvxDXFLayer* B;
  TvxDXFLine* OnA;
  TvxDXFLine* OnB;
  TvxDXFViewport* Overall;
  TvxDXFViewport* Freezing;
  TvxDXFViewport* Plain;
};

SheetWalk BuildSheet(TvxDXFConverter* conv, DrawingBuilder& b) {
  SheetWalk s{};
  s.A = b.Layer("A");
  s.A->SetHandle(0xA0);
  s.B = b.Layer("B");
  s.B->SetHandle(0xB0);
  s.OnA = b.Place(b.Line({0, 0, 0}, {1, 0, 0}, s.A));
  s.OnB = b.Place(b.Line({0, 0, 0}, {0, 1, 0}, s.B));
  TvxDXFBlock* sheet = conv->Layouts(1)->PaperSpaceBlock();
  s.Overall = NewViewport(0x10, {0, 0, 0}, 100, 100);
  s.Freezing = NewViewport(0x20, {10, 0, 0});
  s.Freezing->FrozenLayers().Add(0xA0);
  s.Plain = NewViewport(0x30, {30, 0, 0});
  for (auto* v : {s.Overall, s.Freezing, s.Plain}) {
    sheet->AddEntity(v);
    conv->Loads(v);
  }
  return s;
}

TEST_F(ViewportsTest, FrozenLayerIsHiddenOnlyInItsViewport) {
  SheetWalk s = BuildSheet(conv, b);
  TvxCADIterate* params = conv->Params();
  std::vector<std::string> seen;
  std::vector<TFPoint> ends;
  int finished = 0;
  conv->Layouts(1)->Iterate(
      conv, [&](TvxDXFEntity*) { return ++finished; },
      [&](TvxDXFEntity* e) {
        // The renderer skips what is frozen in the viewport being walked.
        const TvxDXFLayer* layer = e->GetLayer();
        if (layer && layer->FrozenByViewPort()) return 1;
        if (e == s.OnA || e == s.OnB) {
          seen.push_back(e == s.OnA ? "A" : "B");
          ends.push_back(TransformPoint(static_cast<TvxDXFLine*>(e)->GetPoint1(), params->Matrix));
          EXPECT_TRUE(conv->ViewPortCut());
        } else {
          seen.push_back(e == s.Freezing ? "Vfreeze" : e == s.Plain ? "Vplain" : "V?");
        }
        return 1;
      });
  EXPECT_EQ(seen, (std::vector<std::string>{"Vfreeze", "B", "Vplain", "A", "B"}));
  ASSERT_EQ(ends.size(), 3u);
  ExpectPoint(ends[0], {10, 1, 0});  // B's end through the first viewport
  ExpectPoint(ends[1], {31, 0, 0});  // A's end through the second
  EXPECT_EQ(finished, 2);
  // Everything the viewport walks changed is back.
  EXPECT_FALSE(s.A->FrozenByViewPort());
  EXPECT_FALSE(conv->ViewPortCut());
  EXPECT_TRUE(IsBadBox(conv->ViewPortRect()));
  EXPECT_EQ(params->Matrix, cnstIdentityMat);
  EXPECT_EQ(conv->Transform3D(), cnstIdentityMat);
  EXPECT_FALSE(s.Freezing->Active());
}

TEST_F(ViewportsTest, WalkRestoresStateWhenAStepFails) {
  SheetWalk s = BuildSheet(conv, b);
  s.A->SetFrozenByViewPort(true);  // frozen by an enclosing walk: not ours to thaw
  conv->SetViewPortCut(true);
  TFRect outer;
  outer.Right = outer.Top = 5;
  conv->SetViewPortRect(outer);
  EXPECT_THROW(conv->Layouts(1)->Iterate(conv, nullptr,
                                         [&](TvxDXFEntity* e) -> int {
                                           if (e == s.OnB) throw std::runtime_error("stop");
                                           return 1;
                                         }),
               std::runtime_error);
  EXPECT_TRUE(s.A->FrozenByViewPort());
  EXPECT_TRUE(conv->ViewPortCut());
  EXPECT_EQ(conv->ViewPortRect(), outer);
  EXPECT_FALSE(s.Freezing->Active());
  EXPECT_EQ(conv->Params()->Matrix, cnstIdentityMat);
  EXPECT_EQ(conv->Transform3D(), cnstIdentityMat);
  EXPECT_TRUE(conv->Params()->BlockStack.empty());
}

TEST_F(ViewportsTest, ViewportReachingItsOwnModelSpaceStops) {
  // Model space holds a reference to a block with viewports: the one that shows model space
  // would walk model space again from inside it.
  TvxDXFLine* line = b.Place(b.Line({0, 0, 0}, {1, 0, 0}));
  TvxDXFBlock* frames = b.Block("FRAMES");
  frames->AddEntity(NewViewport(0x100));
  TvxDXFViewport* inner = NewViewport(0x200);
  frames->AddEntity(inner);
  for (int i = 0; i < frames->Count(); ++i) conv->Loads(frames->GetEntity(i));
  conv->Loads(frames);
  TvxDXFInsert* ins = b.Place(b.Ref(frames));
  EXPECT_EQ(inner->OrdIndex(), 1);
  int lines = 0, inners = 0;
  conv->Layouts(0)->Iterate(conv, nullptr, [&](TvxDXFEntity* e) {
    if (e == line) ++lines;
    if (e == inner) ++inners;
    return 1;
  });
  EXPECT_EQ(lines, 1);
  EXPECT_EQ(inners, 1);
  EXPECT_EQ(ins->GetBlock(), frames);  // the reference is not cut: model space just stops
}

TEST_F(ViewportsTest, BoundaryFoundByHandleAmongOwnersChildren) {
  TvxDXFBlock* sheet = conv->Layouts(1)->PaperSpaceBlock();
  auto* outline = new TvxDXFCircle();
  outline->SetHandle(0x77);
  outline->SetRadius(2);
  sheet->AddEntity(outline);
  conv->Loads(outline);
  TvxDXFViewport* vp = NewViewport(0x20);
  sheet->AddEntity(vp);
  vp->SetClippingBoundaryHandle(0x77);
  EXPECT_EQ(vp->GetBoundary(conv), outline);
  EXPECT_EQ(vp->ClippingBoundaryHandle(), 0u);
  EXPECT_EQ(vp->ClipOutline(conv), outline);
  vp->ReferenceRemoved(outline);
  EXPECT_EQ(vp->GetBoundary(conv), nullptr);
  vp->SetBoundary(outline);
  EXPECT_NE(vp->GetFlags() & cnstViewportNonRectClip, 0);
}

// ---- VPORT entries and the user coordinate system -------------------------------------------

TEST_F(ViewportsTest, ActiveVPortAndViewTwist) {
  TvxDXFVport* active = ActiveVPortOf(conv);
  ASSERT_NE(active, nullptr);
  EXPECT_EQ(active->GetName(), "*ACTIVE");
  EXPECT_EQ(ActiveVPortOf(conv), active);
  SetVPortViewDirection(active, {});
  EXPECT_EQ(active->ViewDirection, cnstExtrusion);
  active->ViewTwistAngle = 90;
  const TFMatrix twist = SetActiveVPort(conv, active);
  ExpectPoint(TransformPoint({1, 0, 0}, twist), {0, 1, 0});
  EXPECT_EQ(conv->ViewTwistMatrix(), twist);
  ExpectPoint(TransformPoint({1, 0, 0}, ViewTwistMatrixOf(active, false)), {0, -1, 0});

  SetDrawingAngle(conv, 450);
  EXPECT_DOUBLE_EQ(DrawingAngle(conv), 90);
  SetDrawingAngle(conv, 1e300);  // too large to reduce: kept as it was
  EXPECT_DOUBLE_EQ(DrawingAngle(conv), 90);

  active->ViewHeight = 0;
  EXPECT_TRUE(DropDegenerateActiveVPort(conv, 100));
  EXPECT_EQ(conv->ActiveVPort(), nullptr);
  EXPECT_FALSE(DropDegenerateActiveVPort(conv, 100));
  SetActiveVPort(conv, active);
  active->ViewHeight = 50;
  EXPECT_FALSE(DropDegenerateActiveVPort(conv, 100));
  EXPECT_TRUE(DropDegenerateActiveVPort(conv, 1e-12));
}

TEST_F(ViewportsTest, UCSMatrixOfARotatedSystem) {
  TvxHeadVarStruct& h = conv->HeadVarStruct();
  h.UCSORG = {1, 2, 0};
  h.UCSXDir = {0, 1, 0};   // UCS X along world Y
  h.UCSYDir = {-1, 0, 0};  // UCS Y along world -X
  const TFMatrix ucs = GetUCS(conv, conv->Layouts(0));
  ExpectPoint(TransformPoint({1, 2, 0}, ucs), {0, 0, 0});
  ExpectPoint(TransformPoint({1, 3, 0}, ucs), {1, 0, 0});
  ExpectPoint(TransformPoint({0, 2, 0}, ucs), {0, 1, 0});
  ExpectPoint(TransformPoint({1, 2, 5}, ucs), {0, 0, 5});

  // The active entry's own UCS wins when it says so; paper sheets use the world axes.
  TvxDXFVport* active = ActiveVPortOf(conv);
  active->UCSVP = true;
  active->UCSOrigin = {0, 0, 0};
  active->UCSXDir = {0, 0, 2};  // unnormalized: coordinates still go along unit axes
  active->UCSYDir = {1, 0, 0};
  ExpectPoint(TransformPoint({3, 0, 4}, GetUCS(conv, conv->Layouts(0))), {4, 3, 0});
  EXPECT_EQ(GetUCS(conv, conv->Layouts(1)), cnstIdentityMat);
}

}  // namespace
}  // namespace vx::test
