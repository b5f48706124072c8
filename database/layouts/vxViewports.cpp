// Viewports: matrix and sheet rectangle, ordinals within a block, and the walk of model space
// through a viewport.
#include "database/layouts/vxViewports.h"

#include "database/core/vxConverter.h"
#include "database/entities/vxEntCurves.h"
#include "database/blocks/vxInserts.h"
#include "database/linetypes/vxLines.h"
#include "database/layouts/vxVPorts.h"
#include "foundation/vxFunction.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace vx {

namespace {

bool HasOffDiagonal3(const TFMatrix& m) {
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c)
      if (r != c && std::abs(m.M[r][c]) > 1e-6) return true;
  return false;
}

// The drawing at the top of a chain of external references.
TvxDXFConverter* RootConverter(TvxDXFConverter* conv) {
  TvxDXFConverter* top = conv;
  for (int depth = 0; conv && depth <= cnstMaxBlockNesting; ++depth) {
    top = conv;
    conv = conv->OwnerConverter();
  }
  return top;
}

}  // namespace

TFMatrix ViewportMatrix(const TvxDXFViewport& vp) {
  const double p = vp.PSpaceHeight != 0 ? vp.PSpaceHeight : 1;
  const double m = vp.MSpaceHeight != 0 ? vp.MSpaceHeight : p;
  const double s = p / m;
  const TFMatrix r = ViewMatrix(vp.ViewDirection, vp.ViewTwistAngle);
  const TFPoint t = TransformPoint(vp.ViewTarget, r);
  TFMatrix sm = ScaleMatrix(s, s, s);
  sm.SetRow(3, {vp.PSpaceCenter.X - (t.X + vp.MSpaceCenter.X) * s,
                vp.PSpaceCenter.Y - (t.Y + vp.MSpaceCenter.Y) * s,
                vp.PSpaceCenter.Z - t.Z * s});
  return MultiplyMatrix(r, sm);
}

TvxDXFViewport::TvxDXFViewport() {
  FFrozenLayers.SetSorted(true);
  FFrozenLayers.SetDuplicates(dupIgnore);
}

void TvxDXFViewport::SetBoundary(TvxDXFEntity* e) {
  FClippingBoundary = e;
  SetFlags(GetFlags() | cnstViewportNonRectClip);
}

TvxDXFEntity* TvxDXFViewport::GetBoundary(TvxDXFConverter* conv) {
  if (FClippingBoundary || FClippingBoundaryHandle == 0) return FClippingBoundary;
  if (TvxDXFEntity* owner = GetOwner()) {
    if (TvxDXFEntity* e = owner->FindEntByHandle(FClippingBoundaryHandle)) {
      FClippingBoundary = e;
      FClippingBoundaryHandle = 0;
    }
    return FClippingBoundary;
  }
  if (!conv) conv = GetConverter();
  TvxDXFBlock* model = conv ? conv->ModelSpaceBlock() : nullptr;
  return model ? model->FindEntByHandle(FClippingBoundaryHandle) : nullptr;
}

TvxDXFEntity* TvxDXFViewport::ClipOutline(TvxDXFConverter* conv) {
  TvxDXFEntity* b = GetBoundary(conv);
  if (auto* curve = dynamic_cast<TvxCADBasePolyline*>(b); curve && curve->PointCount() > 2)
    return b;
  return nullptr;
}

bool TvxDXFViewport::InModelSpaceBlock() const {
  auto* block = dynamic_cast<const TvxDXFBlock*>(GetOwner());
  return block && block->IsModalSpaceBlock();
}

void TvxDXFViewport::SetVisibleBoundary(bool v) { FVisibleBoundary = v && !InModelSpaceBlock(); }

bool TvxDXFViewport::IsOff() const {
  return (GetFlags() & cnstViewportOff) != 0 || InModelSpaceBlock();
}

bool TvxDXFViewport::ShowsModelSpace() const {
  if (IsOff()) return false;
  if (GetOwner()) return FOrdIndex > 0;
  return StatusField > 0 && !(ThisID == 1 && FOrdIndex <= 0);
}

TFRect TvxDXFViewport::GetBox() {
  return (ShowsModelSpace() || StatusField == 0) ? FBox : BadBox;
}

// ---- ordinals -------------------------------------------------------------------------------

void TvxDXFViewport::SetOwner(TvxDXFEntity* owner) {
  if (owner == GetOwner()) return;
  if (dynamic_cast<TvxDXFBlock*>(GetOwner())) LeaveBlock();
  TvxDXFPenEntity::SetOwner(owner);
  if (auto* block = dynamic_cast<TvxDXFBlock*>(owner)) JoinBlock(block);
}

void TvxDXFViewport::JoinBlock(TvxDXFBlock* block) {
  const int next = block->ViewPortOrdIndex() + 1;
  block->SetViewPortOrdIndex(next);
  FOrdIndex = next;
  TvxDXFViewport* min = nullptr;
  for (int i = 0, n = block->Count(); i < n && !min; ++i)
    if (auto* vp = dynamic_cast<TvxDXFViewport*>(block->GetEntity(i)); vp && vp != this &&
                                                                      vp->FMinOfBlock)
      min = vp;
  if (!min) {
    FMinOfBlock = true;
  } else if (GetHandle() < min->GetHandle()) {
    std::swap(FOrdIndex, min->FOrdIndex);
    min->FMinOfBlock = false;
    FMinOfBlock = true;
  }
}

void TvxDXFViewport::LeaveBlock() {
  FOrdIndex = -1;
  FMinOfBlock = false;
}

// ---- loading --------------------------------------------------------------------------------

void TvxDXFViewport::LoadData(TvxDXFConverter* conv) {
  if (ViewDirection.X == 0 && ViewDirection.Y == 0 && ViewDirection.Z == 0)
    ViewDirection = cnstExtrusion;
  FBox = TFRect{PSpaceCenter.X - PSpaceWidth / 2, PSpaceCenter.Y + PSpaceHeight / 2, 0,
                PSpaceCenter.X + PSpaceWidth / 2, PSpaceCenter.Y - PSpaceHeight / 2, 0};
  FRect = FBox;
  FMatrix = ViewportMatrix(*this);
  if (InModelSpaceBlock()) {
    SetFlags(GetFlags() | cnstViewportOff);
    StatusField = 0;
    FVisibleBoundary = false;
    FBox = BadBox;
  }
  TvxDXFPenEntity::LoadData(conv);
}

// ---- the walk -------------------------------------------------------------------------------

void TvxDXFViewport::DoIterate(TvxDXFConverter* conv, const TvxEntityProc& finishProc,
                               const TvxEntityProc& proc) {
  if (FActive) return;
  if (!ShowsModelSpace()) {
    if (StatusField != 0) return;
    TvxDXFPenEntity::DoIterate(conv, finishProc, proc);
    if (finishProc) finishProc(this);
    return;
  }
  TvxDXFPenEntity::DoIterate(conv, finishProc, proc);
  if (!conv) conv = GetConverter();
  if (conv && conv->Params()) WalkModel(conv, finishProc, proc);
  if (finishProc) finishProc(this);
}

void TvxDXFViewport::WalkModel(TvxDXFConverter* conv, const TvxEntityProc& finishProc,
                               const TvxEntityProc& proc) {
  TvxDXFLayout* model = conv->Layouts(0);
  if (!model) return;
  TvxCADIterate* params = conv->Params();

  // Everything this walk changes goes back to what it was, also when a step fails; nested
  // viewport walks (through blocks) thus unwind one by one.
  struct TvxRestore {
    TvxDXFViewport* Vp;
    TvxDXFConverter* Conv;
    TvxCADIterate* Params;
    TvxCADIterate Saved;
    TFRect Rect;
    bool Cut;
    TvxDXFConverter* Root = nullptr;
    TFMatrix RootTransform = cnstIdentityMat;
    std::vector<TvxDXFLayer*> Frozen;
    ~TvxRestore() {
      *Params = Saved;
      Vp->FActive = false;
      Conv->SetViewPortRect(Rect);
      Conv->SetViewPortCut(Cut);
      for (TvxDXFLayer* l : Frozen) l->SetFrozenByViewPort(false);
      if (Root) Root->SetTransform3D(RootTransform);
    }
  } restore{this, conv, params, *params, conv->ViewPortRect(), conv->ViewPortCut()};

  if (TvxDXFConverter* own = GetConverter()) {
    restore.Root = RootConverter(own);
    restore.RootTransform = restore.Root->Transform3D();
    restore.Root->SetTransform3D(MultiplyMatrix(FMatrix, restore.RootTransform));
  }
  conv->SetViewPortCut(true);
  conv->SetViewPortRect(TransformBox(FBox, params->Matrix));
  if (!FFrozenLayers.Empty()) {
    if (TvxDXFTable* layers = conv->Layers()) {
      for (int i = 0, n = layers->Count(); i < n; ++i) {
        auto* layer = dynamic_cast<TvxDXFLayer*>(layers->GetEntity(i));
        if (!layer || layer->FrozenByViewPort()) continue;
        const auto& v = FFrozenLayers.Vector();
        if (std::find(v.begin(), v.end(), static_cast<int64_t>(layer->GetHandle())) != v.end()) {
          layer->SetFrozenByViewPort(true);
          restore.Frozen.push_back(layer);
        }
      }
    }
  }
  params->Matrix = MultiplyMatrix(FMatrix, params->Matrix);
  params->DrawMatrix = MultiplyMatrix(FMatrix, params->DrawMatrix);
  params->Additional = HasOffDiagonal3(params->Matrix) ? 1 : 0;
  params->Insert = nullptr;
  params->ConvertMatrixCurrentInsertToWCS = cnstIdentityMat;
  params->XScale = params->YScale = 0;
  params->LType = &TvxLines::Continuous();
  FActive = true;
  model->Iterate(conv, finishProc, proc);
}

// ---- references and copies ------------------------------------------------------------------

void TvxDXFViewport::ReferenceRemoved(TvxDXFEntity* obj) {
  if (obj && obj == FClippingBoundary) FClippingBoundary = nullptr;
  TvxDXFPenEntity::ReferenceRemoved(obj);
}

void TvxDXFViewport::AssignEntity(const TvxDXFEntity* source) {
  TvxDXFPenEntity::AssignEntity(source);
  auto* src = dynamic_cast<const TvxDXFViewport*>(source);
  if (!src || src == this) return;
  BackClipPlane = src->BackClipPlane;
  FrontClipPlane = src->FrontClipPlane;
  MSpaceCenter = src->MSpaceCenter;
  MSpaceHeight = src->MSpaceHeight;
  PSpaceCenter = src->PSpaceCenter;
  PSpaceHeight = src->PSpaceHeight;
  PSpaceWidth = src->PSpaceWidth;
  StatusField = src->StatusField;
  ThisID = src->ThisID;
  ViewDirection = src->ViewDirection;
  ViewTarget = src->ViewTarget;
  ViewTwistAngle = src->ViewTwistAngle;
  XDataAppName = src->XDataAppName;
  FBox = src->FBox;
  FRect = src->FRect;
  FMatrix = src->FMatrix;
  FFrozenLayers.Vector() = src->FFrozenLayers.Vector();
  FClippingBoundary = src->FClippingBoundary;
  FClippingBoundaryHandle = src->FClippingBoundaryHandle;
  SetVisibleBoundary(src->FVisibleBoundary);
}

void TvxDXFViewport::UnlinkReferences() {
  FFrozenLayers.Vector().clear();
  FClippingBoundary = nullptr;
  FClippingBoundaryHandle = 0;
  TvxDXFPenEntity::UnlinkReferences();
}

}  // namespace vx
