#include "database/entities/vxEntSolids.h"

#include "database/core/DXFConv.h"

namespace vx {

TFPoint TvxDXFSolid::GetCorner(int index) const {
  switch (index) {
    case 0: return FPoint;
    case 1: return FPoint1;
    case 2: return FPoint2;
    case 3: return FPoint3;
    default: return cnstFPointZero;
  }
}

TvxSolidCorners TvxDXFSolid::GetPoints(bool addThickness, bool toWCS) const {
  TvxSolidCorners c = ReduceSolidCorners(FPoint, FPoint1, FPoint2, FPoint3);
  if (!addThickness && !(toWCS && HasExtrusion())) return c;
  const TFMatrix m = GetExtrusionMatrix();
  for (TFPoint& p : c.P) {
    if (addThickness) p.Z += FZThick;
    if (toWCS && HasExtrusion()) p = TransformVector(p, m);
  }
  return c;
}

TFMatrix TvxDXFSolid::GetExtrusionMatrix() const {
  if (!HasExtrusion()) return cnstIdentityMat;
  if (!FMatrix) FMatrix = std::make_unique<TFMatrix>(ExtrusionMatrix(GetExtrusion()));
  return *FMatrix;
}

void TvxDXFSolid::SetExtrusion(const TFPoint& e) {
  TvxDXFLine::SetExtrusion(e);
  FMatrix.reset();
}

TFRect TvxDXFSolid::GetBox() {
  TFRect box = BadBox;
  TvxSolidCorners c = GetPoints(false, true);
  for (int i = 0; i < c.Count; ++i) ExpandBox(box, c.P[i]);
  if (FZThick != 0) {
    c = GetPoints(true, true);
    for (int i = 0; i < c.Count; ++i) ExpandBox(box, c.P[i]);
  }
  return box;
}

void TvxDXFSolid::LoadData(TvxDXFConverter* conv) {
  TvxDXFLine::LoadData(conv);
  // the internal flags keep only their bit 0x02; the triangle bits are set afresh
  const int kinds = ClassifySolidTriangles(GetPoints(false, false));
  SetInternalFlags(static_cast<uint8_t>((GetInternalFlags() & 0x02) | kinds));
}

void TvxDXFSolid::DoIterate(TvxDXFConverter* conv, const TvxEntityProc& finishProc,
                            const TvxEntityProc& proc) {
  if (!conv || !HasExtrusion() || !conv->Params()) {
    TvxDXFLine::DoIterate(conv, finishProc, proc);
    return;
  }
  // the view test works on the world box, so it runs before the matrix is swapped
  if (!IsInViewPort(conv) || !proc) return;
  TvxCADIterate* params = conv->Params();
  struct MatrixSwap {
    TvxCADIterate* P;
    TFMatrix Saved;
    ~MatrixSwap() { P->Matrix = Saved; }
  } swap{params, params->Matrix};
  params->Matrix = MultiplyMatrix(GetExtrusionMatrix(), swap.Saved);
  proc(this);
}

void TvxDXFSolid::AssignEntity(const TvxDXFEntity* source) {
  TvxDXFLine::AssignEntity(source);
  if (auto* src = dynamic_cast<const TvxDXFSolid*>(source)) {
    FPoint2 = src->FPoint2;
    FPoint3 = src->FPoint3;
  }
  FMatrix.reset();
}

void TvxDXF3dFace::AssignEntity(const TvxDXFEntity* source) {
  TvxDXFSolid::AssignEntity(source);
  if (auto* src = dynamic_cast<const TvxDXF3dFace*>(source)) FFlags = src->FFlags;
}

}  // namespace vx
