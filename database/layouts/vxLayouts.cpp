// Layouts: the paper-space block, the layout box (the drawing's extents), the view stack and
// the layout walk.
#include "database/layouts/vxLayouts.h"

#include "database/core/vxConverter.h"
#include "database/blocks/vxInserts.h"
#include "database/linetypes/vxLines.h"
#include "database/core/vxNames.h"

#include <algorithm>
#include <typeinfo>

namespace vx {

TvxDXFLayout::TvxDXFLayout() : FPlotSettings(new TvxDXFPlotSettings()) { SetName("Model"); }

TvxDXFBlock* TvxDXFLayout::PaperSpaceBlock() {
  if (!FPaperSpaceBlock) {
    TvxDXFConverter* conv = GetConverter();
    TvxDXFSection* blocks = conv ? conv->BlocksSection() : nullptr;
    if (blocks) {
      if (auto* block = conv->NewNamed<TvxDXFBlock>(blocks, BlockName())) {
        conv->RegisterHandle(block);
        if (block->BlockRecord()) conv->RegisterHandle(block->BlockRecord());
        SetPaperSpaceBlock(block);
      }
    }
  }
  // A layout's block always accepts children and is loaded again by each load.
  if (FPaperSpaceBlock) FPaperSpaceBlock->SetIsLoaded(false);
  return FPaperSpaceBlock;
}

void TvxDXFLayout::SetPaperSpaceBlock(TvxDXFEntity* block) {
  TvxDXFBlock* b = dynamic_cast<TvxDXFBlock*>(block);
  if (!b)
    if (auto* rec = dynamic_cast<TvxDXFBlockRecord*>(block)) b = rec->Block();
  if (b == FPaperSpaceBlock) return;
  if (FPaperSpaceBlock && FPaperSpaceBlock->Layout() == this) FPaperSpaceBlock->SetLayout(nullptr);
  // A block belongs to one layout: one that had it lets it go, so that removing either layout
  // with its block never leaves the other pointing at a freed block.
  if (b && b->Layout() != this)
    if (auto* other = dynamic_cast<TvxDXFLayout*>(b->Layout())) other->FPaperSpaceBlock = nullptr;
  FPaperSpaceBlock = b;
  if (b) b->SetLayout(this);
}

void TvxDXFLayout::SetPlotSettings(const TvxDXFPlotSettings* ps) {
  if (ps && ps != FPlotSettings) FPlotSettings->AssignEntity(ps);
}

int TvxDXFLayout::Index() const {
  TvxDXFConverter* conv = GetConverter();
  TvxDXFTable* layouts = conv ? conv->LayoutsDictionary() : nullptr;
  return layouts ? layouts->IndexOfEntity(this) : -1;
}

bool TvxDXFLayout::IsModel() const { return !GetConverter() || Index() == 0; }

bool TvxDXFLayout::IsEmpty() const { return Count() == 0; }

std::string TvxDXFLayout::BlockName() const {
  const int i = Index();
  if (i == 0) return "*MODEL_SPACE";
  if (i == 1) return "*PAPER_SPACE";
  if (i >= 2) return "*PAPER_SPACE" + std::to_string(i - 2);
  return "*[" + GetName() + "]";
}

int TvxDXFLayout::Count() const { return FPaperSpaceBlock ? FPaperSpaceBlock->Count() : 0; }

TvxDXFEntity* TvxDXFLayout::GetEntity(int index) const {
  return FPaperSpaceBlock ? FPaperSpaceBlock->GetEntity(index) : nullptr;
}

void TvxDXFLayout::SetEntity(int index, TvxDXFEntity* e) {
  if (FPaperSpaceBlock) FPaperSpaceBlock->SetEntity(index, e);
}

int TvxDXFLayout::InsertEntity(int index, TvxDXFEntity* e) {
  TvxDXFBlock* b = PaperSpaceBlock();
  return b ? b->InsertEntity(index, e) : -1;
}

TvxDXFEntity* TvxDXFLayout::DeleteEntity(int index) {
  TvxDXFBlock* b = PaperSpaceBlock();
  return b ? b->DeleteEntity(index) : nullptr;
}

TvxDXFEntity* TvxDXFLayout::ExtractEntity(int index) {
  TvxDXFBlock* b = PaperSpaceBlock();
  return b ? b->ExtractEntity(index) : nullptr;
}

int TvxDXFLayout::IndexOfEntity(const TvxDXFEntity* e) const {
  return FPaperSpaceBlock ? FPaperSpaceBlock->IndexOfEntity(e) : -1;
}

int TvxDXFLayout::IndexOfName(const std::string& name) const {
  return FPaperSpaceBlock ? FPaperSpaceBlock->IndexOfName(name) : -1;
}

void TvxDXFLayout::Clear(bool freeChildren) {
  if (FPaperSpaceBlock) FPaperSpaceBlock->Clear(freeChildren);
}

void TvxDXFLayout::LoadData(TvxDXFConverter* conv) {
  const std::string& setup = FPlotSettings->Data.PageSetupName;
  if (conv && !setup.empty()) {
    // Only plot settings are copied: another object of that name is no page setup.
    if (TvxDXFSection* objects = conv->ObjectsSection())
      if (auto* ps = objects->FindItem<TvxDXFPlotSettings>(setup); ps && ps != FPlotSettings)
        FPlotSettings->AssignEntity(ps);
  }
  UpdateBox(conv);
  TvxDXFOwneredItem::LoadData(conv);
}

namespace {

bool LayerOn(const TvxDXFLayer* layer) { return !layer || layer->GetVisible(); }

// An insert on a switched-off (not frozen) layer still counts when its block shows something:
// an entity on a layer that is on and frozen neither globally nor in the viewport.
bool CountsDespiteLayerOff(TvxDXFEntity* e) {
  const TvxDXFLayer* layer = e->GetLayer();
  if (!layer || layer->GetVisible() || layer->Frozen()) return false;
  if (!e->IsInsert()) return false;
  const TvxDXFBlock* block = e->GetBlock();
  if (!block) return false;
  for (int i = 0, n = block->Count(); i < n; ++i) {
    const TvxDXFEntity* c = block->GetEntity(i);
    const TvxDXFLayer* cl = c ? c->GetLayer() : nullptr;
    if (cl && cl->GetVisible() && !cl->Frozen() && !cl->FrozenByViewPort()) return true;
  }
  return false;
}

}  // namespace

void TvxDXFLayout::UpdateBox(TvxDXFConverter* conv) {
  FBox = BadBox;
  if (!FPaperSpaceBlock) return;
  std::vector<TvxDXFEntity*> rays;
  const bool pointsHidden = conv && conv->PointDisplayMode() == 1;
  for (int i = 0, n = FPaperSpaceBlock->Count(); i < n; ++i) {
    TvxDXFEntity* e = FPaperSpaceBlock->GetEntity(i);
    if (!e) continue;
    const TvxCADEntities kind = e->EntType();
    if (kind == ceRay || kind == ceXline) {
      if (e->GetVisibility()) rays.push_back(e);
      continue;
    }
    if (typeid(*e) == typeid(TvxDXFEntity)) continue;
    bool take = kind == cePoint ? (!pointsHidden && e->GetVisibility()) : e->GetVisibility();
    if (!take && kind != ceViewport && CountsDespiteLayerOff(e)) take = true;
    if (take) UnionBox(FBox, e->GetBox());
  }
  // Rays and construction lines are endless: they only count where they cross the box of the
  // rest, so a layout of nothing else keeps a bad box.
  for (TvxDXFEntity* e : rays) {
    if (!LayerOn(e->GetLayer()) || IsBadBox(FBox)) continue;
    TFRect clipped = BadBox;
    if (e->ClipRayToBox(FBox, clipped)) UnionBox(FBox, clipped);
  }
}

void TvxDXFLayout::Iterate(TvxDXFConverter* conv, const TvxEntityProc& finishProc,
                           const TvxEntityProc& proc) {
  TvxDXFBlock* block = FPaperSpaceBlock;
  if (!block) return;
  if (!conv) conv = GetConverter();
  TvxCADIterate* params = conv ? conv->Params() : nullptr;
  if (!params) {
    block->Iterate(conv, finishProc, proc);
    return;
  }
  auto& stack = params->BlockStack;
  if (std::find(stack.begin(), stack.end(), block) != stack.end()) return;
  if (static_cast<int>(stack.size()) >= cnstMaxBlockNesting) return;
  params->Insert = nullptr;
  params->ConvertMatrixCurrentInsertToWCS = cnstIdentityMat;
  params->Color = clByLayer;
  params->XScale = params->YScale = 0;
  params->LType = &TvxLines::Continuous();
  stack.push_back(block);
  // The block leaves the stack however the walk ends.
  struct TvxPop {
    TvxCADIterate* Params;
    TvxDXFBlock* Block;
    ~TvxPop() {
      auto& s = Params->BlockStack;
      auto it = std::find(s.rbegin(), s.rend(), Block);
      if (it != s.rend()) s.erase(std::next(it).base());
    }
  } pop{params, block};
  block->Iterate(conv, finishProc, proc);
}

void TvxDXFLayout::SetBox(const TFRect& box) { FBox = box; }

TvxView* TvxDXFLayout::View() {
  if (!FView) FView = new TvxView();
  return FView;
}

void TvxDXFLayout::AssignEntity(const TvxDXFEntity* source) {
  TvxDXFOwneredItem::AssignEntity(source);
  if (auto* src = dynamic_cast<const TvxDXFLayout*>(source)) {
    FPlotSettings->AssignEntity(src->FPlotSettings);
    FCADSpace = src->FCADSpace;
    FRotMatrix = src->FRotMatrix;
    FRotZAngle = src->FRotZAngle;
    UCSOrigin = src->UCSOrigin;
    UCSXDir = src->UCSXDir;
    UCSYDir = src->UCSYDir;
    TvxDXFEntity::FreeEntity(FView);
    FView = nullptr;
    if (src->FView) View()->AssignEntity(src->FView);
  }
}

void TvxDXFLayout::UnlinkReferences() {
  SetPaperSpaceBlock(nullptr);
  if (FView) FView->ClearView();
  TvxDXFOwneredItem::UnlinkReferences();
}

void TvxDXFLayout::FreeOwnedParts() {
  TvxDXFEntity::FreeEntity(FPlotSettings);
  FPlotSettings = nullptr;
  TvxDXFEntity::FreeEntity(FView);
  FView = nullptr;
  TvxDXFOwneredItem::FreeOwnedParts();
}

// ---- the view stack -------------------------------------------------------------------------

void TvxView::PushView(const TvxViewRect& r) {
  if (!FStackView) FStackView = std::make_unique<TvxIntegerList>();
  auto& v = FStackView->Vector();
  // The base view stays; the oldest of the others gives way.
  if (static_cast<int>(v.size()) > cnstMaxViews * 4) v.erase(v.begin() + 4, v.begin() + 8);
  v.insert(v.end(), {r.Left, r.Top, r.Bottom, r.Right});
}

TvxViewRect TvxView::ActiveView() const {
  if (ViewCount() == 0) return {};
  const auto& v = FStackView->Vector();
  const size_t i = v.size() - 4;
  return {v[i], v[i + 1], v[i + 3], v[i + 2]};
}

void TvxView::SetActiveView(const TvxViewRect& r) {
  if (ViewCount() == 0) return;
  auto& v = FStackView->Vector();
  const size_t i = v.size() - 4;
  v[i] = r.Left;
  v[i + 1] = r.Top;
  v[i + 2] = r.Bottom;
  v[i + 3] = r.Right;
}

TvxViewRect TvxView::PopView() {
  const TvxViewRect active = ActiveView();
  if (ViewCount() >= 2) FStackView->Vector().resize(FStackView->Vector().size() - 4);
  return active;
}

void TvxView::Clear(bool) {
  FInternalFlags = 0;
  FMatrix = cnstIdentityMat;
  FStackView.reset();
}

void TvxView::AssignEntity(const TvxDXFEntity* source) {
  TvxDXFEntity::AssignEntity(source);
  auto* src = dynamic_cast<const TvxView*>(source);
  if (!src || src == this) return;
  FInternalFlags = src->FInternalFlags;
  FMatrix = src->FMatrix;
  FStackView.reset();
  if (src->FStackView) FStackView = std::make_unique<TvxIntegerList>(*src->FStackView);
}

}  // namespace vx
