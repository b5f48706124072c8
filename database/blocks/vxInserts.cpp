// Block references: placement, matrix, box, loading, and the block-reference bookkeeping.
#include "database/blocks/vxInserts.h"

#include "database/core/vxNames.h"
#include "database/blocks/vxXRefs.h"

#include <algorithm>
#include <cmath>

namespace vx {

namespace {

bool IsFinitePoint(const TFPoint& p) {
  return std::isfinite(p.X) && std::isfinite(p.Y) && std::isfinite(p.Z);
}

// Blocks being loaded on this thread, innermost last.
thread_local std::vector<const TvxDXFBlock*> tlBlocksLoading;

struct TvxLoadingMark {
  explicit TvxLoadingMark(const TvxDXFBlock* b) { tlBlocksLoading.push_back(b); }
  ~TvxLoadingMark() { tlBlocksLoading.pop_back(); }
  TvxLoadingMark(const TvxLoadingMark&) = delete;
  TvxLoadingMark& operator=(const TvxLoadingMark&) = delete;
};

}  // namespace

void AddBlockReference(TvxDXFBlock* block, TvxDXFInsert* insert) {
  if (block) block->AddReference(insert);
}

void RemoveBlockReference(TvxDXFBlock* block, TvxDXFInsert* insert) {
  if (block) block->RemoveReference(insert);
}

bool IsBlockLoading(const TvxDXFBlock* block) {
  if (block && block->IsLoading()) return true;
  return std::find(tlBlocksLoading.begin(), tlBlocksLoading.end(), block) != tlBlocksLoading.end();
}

void LoadBlockGuarded(TvxDXFBlock* block, TvxDXFConverter* conv) {
  if (!block || IsBlockLoading(block)) return;
  if (static_cast<int>(tlBlocksLoading.size()) >= cnstMaxBlockNesting) return;
  TvxLoadingMark mark(block);
  if (conv && conv->OnLoad())
    conv->OnLoad()(block);
  else if (conv)
    conv->Loads(block);
  else
    block->LoadData(nullptr);
}

// ---- TvxCADSpatialFilter --------------------------------------------------------------------

void TvxCADSpatialFilter::AssignEntity(const TvxDXFEntity* source) {
  TvxDXFOwneredItem::AssignEntity(source);
  auto* src = dynamic_cast<const TvxCADSpatialFilter*>(source);
  if (!src) return;
  InvBlkTransform = src->InvBlkTransform;
  Clip = src->Clip;
  Bounds = src->Bounds;
  Extrusion = src->Extrusion;
  BackClip = src->BackClip;
  BackDist = src->BackDist;
  Clipbdorg = src->Clipbdorg;
  DisplayBounds = src->DisplayBounds;
  FrontClip = src->FrontClip;
  FrontDist = src->FrontDist;
}

// ---- TvxDXFInsert: attributes ---------------------------------------------------------------

std::string TvxDXFInsert::EntName() const {
  if (FSceneElement >= 1) return "SceneElement";
  const TvxDXFBlock* b = GetBlock();
  return TvxDXFCustomVertex::EntName() + " " + (b ? b->GetName() : std::string());
}

TvxDXFEntity* TvxDXFInsert::GetEntity(int index) const {
  if (index < 0 || index >= Count()) return nullptr;
  return FAttribs[static_cast<size_t>(index)];
}

void TvxDXFInsert::SetEntity(int index, TvxDXFEntity* e) {
  auto* a = dynamic_cast<TvxDXFAttrib*>(e);
  if (index < 0 || index >= Count() || !a) return;
  TvxDXFAttrib* old = FAttribs[static_cast<size_t>(index)];
  if (old == a) return;
  if (old && old->GetOwner() == this) old->SetOwner(nullptr);
  FAttribs[static_cast<size_t>(index)] = a;
  a->SetOwner(this);
}

int TvxDXFInsert::InsertEntity(int index, TvxDXFEntity* e) {
  if (!e || e->EntType() != ceAttrib) return -1;
  auto* a = dynamic_cast<TvxDXFAttrib*>(e);
  if (!a) return -1;
  index = std::clamp(index, 0, Count());
  FAttribs.insert(FAttribs.begin() + index, a);
  a->SetOwner(this);
  return index;
}

TvxDXFEntity* TvxDXFInsert::DeleteEntity(int index) {
  if (index < 0 || index >= Count()) return nullptr;
  TvxDXFAttrib* a = FAttribs[static_cast<size_t>(index)];
  FAttribs.erase(FAttribs.begin() + index);
  if (a->GetOwner() == this) a->SetOwner(nullptr);
  return a;
}

int TvxDXFInsert::IndexOfEntity(const TvxDXFEntity* e) const {
  auto it = std::find(FAttribs.begin(), FAttribs.end(), e);
  return it == FAttribs.end() ? -1 : static_cast<int>(it - FAttribs.begin());
}

void TvxDXFInsert::Clear(bool freeChildren) {
  TvxDXFCustomVertex::Clear(freeChildren);
  while (!FAttribs.empty()) {
    TvxDXFAttrib* a = FAttribs.back();
    FAttribs.pop_back();
    if (a->GetOwner() == this) a->SetOwner(nullptr);
    if (freeChildren) a->Free();
  }
}

void TvxDXFInsert::AssignAttrib(TvxDXFAttrib* target, const TvxDXFAttrib* source) {
  if (target && source) target->AssignEntity(source);
}

void TvxDXFInsert::AssignAttribs(const TvxDXFInsert* source) {
  if (!source || source == this) return;
  bool copied = false;
  for (const TvxDXFAttrib* src : source->FAttribs) {
    auto* a = dynamic_cast<TvxDXFAttrib*>(src->NewInstance());
    if (!a) continue;
    AssignAttrib(a, src);
    if (InsertEntity(Count(), a) < 0) {
      a->Free();
      continue;
    }
    copied = true;
  }
  if (copied) FInternalFlags |= 1;
}

void TvxDXFInsert::LoadAttribs(TvxDXFConverter* conv) {
  if (!conv) return;
  for (TvxDXFAttrib* a : FAttribs) conv->Loads(a);
}

void TvxDXFInsert::MoveAttribs(const TFPoint& delta) {
  for (TvxDXFAttrib* a : FAttribs) {
    a->TvxDXFCustomVertex::SetPoint(AddFPoint(a->GetPoint(), delta));
    if (a->UsesPoint1()) a->SetPoint1(AddFPoint(a->GetPoint1(), delta));
  }
}

// ---- TvxDXFInsert: block --------------------------------------------------------------------

TvxDXFBlockRecord* TvxDXFInsert::BlockRecord() const {
  return dynamic_cast<TvxDXFBlockRecord*>(FBlockRecord);
}

TvxDXFBlock* TvxDXFInsert::GetBlock() const {
  const TvxDXFBlockRecord* rec = BlockRecord();
  return rec ? rec->Block() : nullptr;
}

void TvxDXFInsert::SetBlock(TvxDXFEntity* block) {
  if (auto* b = dynamic_cast<TvxDXFBlock*>(block))
    SetBlockRecord(b->BlockRecord());
  else
    SetBlockRecord(block);
}

void TvxDXFInsert::SetBlockRecord(TvxDXFEntity* record) {
  if (record == FBlockRecord) return;
  TvxDXFEntity* old = FBlockRecord;
  FBlockRecord = record;
  if (dynamic_cast<TvxLinkObject*>(old)) {
    old->Free();  // placeholders belong to the slot
  } else if (auto* rec = dynamic_cast<TvxDXFBlockRecord*>(old)) {
    RemoveBlockReference(rec->Block(), this);
  }
  if (auto* rec = dynamic_cast<TvxDXFBlockRecord*>(record)) AddBlockReference(rec->Block(), this);
}

void TvxDXFInsert::ReferenceRemoved(TvxDXFEntity* obj) {
  if (!obj) return;
  auto* rec = BlockRecord();
  if (rec && (obj == rec || obj == rec->Block())) FBlockRecord = nullptr;
  if (obj == FOwnerInsert) FOwnerInsert = nullptr;
}

// ---- TvxDXFInsert: placement ----------------------------------------------------------------

void TvxDXFInsert::SetPoint(const TFPoint& p) {
  MoveAttribs(SubFPoint(p, FPoint));
  FPoint = p;
}

void TvxDXFInsert::SetScale(const TFPoint& s) {
  if (!IsFinitePoint(s)) return;
  const TFPoint old = FScale;
  // A zero component cannot be divided out: that axis of the attributes stays as it is.
  const TFPoint r{old.X != 0 ? s.X / old.X : 1, old.Y != 0 ? s.Y / old.Y : 1,
                  old.Z != 0 ? s.Z / old.Z : 1};
  for (auto it = FAttribs.rbegin(); it != FAttribs.rend(); ++it) {
    TvxDXFAttrib* a = *it;
    const double oldH = a->Height();
    const double newH = oldH * r.Y;
    a->SetHeight(newH);
    a->SetWidthFactor(newH != 0 ? a->WidthFactor() * r.X * (oldH / newH) : a->WidthFactor() * r.X);
    auto scaled = [&](const TFPoint& c) {
      return TFPoint{FPoint.X + (c.X - FPoint.X) * r.X, FPoint.Y + (c.Y - FPoint.Y) * r.Y,
                     FPoint.Z + (c.Z - FPoint.Z) * r.Z};
    };
    a->TvxDXFCustomVertex::SetPoint(scaled(a->GetPoint()));
    if (a->UsesPoint1()) a->SetPoint1(scaled(a->GetPoint1()));
  }
  FScale = s;
}

void TvxDXFInsert::SetAngle(double degrees) {
  if (!std::isfinite(degrees)) return;
  double a = degrees;
  if (!NormalizeAngle(a)) return;
  const double d = a - static_cast<double>(FAngle);
  FAngle = static_cast<float>(a);
  const TFMatrix rot = RotationMatrixZDeg(d);
  auto turned = [&](const TFPoint& c) {
    TFPoint v = TransformVector(TFPoint{c.X - FPoint.X, c.Y - FPoint.Y, 0}, rot);
    return TFPoint{FPoint.X + v.X, FPoint.Y + v.Y, c.Z};
  };
  for (TvxDXFAttrib* at : FAttribs) {
    at->TvxDXFCustomVertex::SetPoint(turned(at->GetPoint()));
    if (at->UsesPoint1()) at->SetPoint1(turned(at->GetPoint1()));
    at->SetRotation(at->Rotation() + d);
  }
}

void TvxDXFInsert::SetExtrusion(const TFPoint& e) {
  const bool zero = e.X == 0 && e.Y == 0 && e.Z == 0;
  FExtrusion = zero || !IsFinitePoint(e) ? cnstExtrusion : e;
}

TFPoint TvxDXFInsert::BasePoint() const {
  const TvxDXFBlock* block = GetBlock();
  if (!block) return cnstFPointZero;
  TFPoint base = block->Offset();
  if (TvxDXFConverter* drawing = XrefDrawingOfBlock(block))
    base = AddFPoint(base, drawing->HeadVarStruct().InsBase);
  return base;
}

void TvxDXFInsert::BuildMatrix() {
  FMatrix = cnstIdentityMat;
  const TFMatrix ext = ExtrusionMatrix(FExtrusion);
  const TFPoint p = TransformPoint(FPoint, ext);
  const TFPoint b = BasePoint();
  TFMatrix m = TranslationMatrix(TFPoint{-b.X, -b.Y, -b.Z});
  m = MultiplyMatrix(m, ScaleMatrix(FScale));
  m = MultiplyMatrix(m, RotationMatrixZDeg(FAngle));
  m = MultiplyMatrix(m, ext);
  FMatrix = MultiplyMatrix(m, TranslationMatrix(p));
}

TvxCADSpatialFilter* TvxDXFInsert::SpatialFilter() const {
  const TvxDXFEntity* dict = GetDictionary();
  const TvxDXFEntity* filters = dict ? dict->FindEntByName("ACAD_FILTER") : nullptr;
  return filters ? dynamic_cast<TvxCADSpatialFilter*>(filters->FindEntByName("SPATIAL")) : nullptr;
}

TvxDXFLayer* TvxDXFInsert::RealLayer() const {
  const TvxDXFInsert* cur = this;
  TvxDXFLayer* layer = nullptr;
  // The chain of enclosing references is short; the bound guards against a stale cycle.
  for (int depth = 0; cur && depth <= cnstMaxBlockNesting; ++depth) {
    layer = HostLayer(cur->GetLayer());
    if (layer && !SameName(layer->GetName(), "0")) return layer;
    const TvxDXFInsert* next = cur->FOwnerInsert;
    if (!next || next == cur) break;
    cur = next;
  }
  return layer;
}

// ---- TvxDXFInsert: loading ------------------------------------------------------------------

bool TvxDXFInsert::PrepareBlock(TvxDXFConverter* conv) {
  if (auto* link = dynamic_cast<TvxLinkObject*>(FBlockRecord)) {
    TvxDXFEntity* found = nullptr;
    if (conv && conv->BlockRecords()) {
      found = link->GetObject(conv->BlockRecords());
      if (auto* b = dynamic_cast<TvxDXFBlock*>(found)) found = b->BlockRecord();
    }
    SetBlockRecord(dynamic_cast<TvxDXFBlockRecord*>(found));  // unresolved: no block
  }
  TvxDXFBlock* block = GetBlock();
  if (block && !block->IsLoaded()) LoadBlockGuarded(block, conv);
  block = GetBlock();
  return block && (block->Count() > 0 || HasAttribs());
}

void TvxDXFInsert::LoadData(TvxDXFConverter* conv) {
  TvxDXFCustomVertex::LoadData(conv);
  FBox = BadBox;
  if (!PrepareBlock(conv)) return;
  TvxDXFBlock* block = GetBlock();
  const TFRect blockBox = block->GetBox();
  FBox = blockBox;
  BuildMatrix();
  const TvxCADSpatialFilter* filter = SpatialFilter();
  if (filter && filter->Bounds.size() >= 2) {
    std::vector<TFPoint> bounds = filter->Bounds;
    if (bounds.size() == 2) {
      const TFPoint a = bounds[0], b = bounds[1];
      bounds = {a, {b.X, a.Y, 0}, {b.X, b.Y, 0}, {a.X, b.Y, 0}};
    }
    const TFMatrix m = MultiplyMatrix(filter->InvBlkTransform, FMatrix);
    const TFMatrix t = TransposeMatrix3(filter->Clip);
    FBox = BadBox;
    for (const TFPoint& q : bounds)
      ExpandBox(FBox, AddFPoint(TransformVector(TransformPoint(q, m), t), filter->Clipbdorg));
    const bool frameShown = filter->DisplayBounds && conv && conv->HeadVarStruct().XClipFrame != 0;
    if (!frameShown) {
      const TFRect content = TransformBox(blockBox, FMatrix);
      const bool overlap = !IsBadBox(content) && content.Left <= FBox.Right &&
                           FBox.Left <= content.Right && content.Bottom <= FBox.Top &&
                           FBox.Bottom <= content.Top;
      if (!overlap) FBox = BadBox;
    }
  } else if (block->Count() > 0 && !IsBadBox(FBox)) {
    FBox = TransformBox(blockBox, FMatrix);
  }
  if (FInternalFlags & 1) {
    FInternalFlags &= ~1;
    LoadAttribs(conv);
  }
  for (TvxDXFAttrib* a : FAttribs) {
    if (IsBadBox(a->GetBox()) && conv) conv->Loads(a);
    if (!a->NotAppear()) UnionBox(FBox, a->GetBox());
  }
}

TFRect TvxDXFInsert::GetBox() {
  // A block still to resolve or to load (a block's box asks its references before the
  // drawing load reached them) is made ready first; a block being loaded is left alone.
  const TvxDXFBlock* block = GetBlock();
  const bool placeholder = dynamic_cast<TvxLinkObject*>(FBlockRecord) != nullptr;
  if (placeholder || (block && !block->IsLoaded() && !IsBlockLoading(block)))
    if (TvxDXFConverter* conv = GetConverter()) LoadData(conv);
  return FBox;
}

void TvxDXFInsert::ResolveLinks(TvxDXFConverter* conv) {
  TvxDXFCustomVertex::ResolveLinks(conv);
  if (auto* link = dynamic_cast<TvxLinkObject*>(FBlockRecord)) {
    TvxDXFEntity* found = conv && conv->BlockRecords() ? link->GetObject(conv->BlockRecords()) : nullptr;
    if (auto* b = dynamic_cast<TvxDXFBlock*>(found)) found = b->BlockRecord();
    SetBlockRecord(dynamic_cast<TvxDXFBlockRecord*>(found));
  }
}

void TvxDXFInsert::AssignEntity(const TvxDXFEntity* source) {
  TvxDXFCustomVertex::AssignEntity(source);
  auto* src = dynamic_cast<const TvxDXFInsert*>(source);
  if (!src || src == this) return;
  FSceneElement = src->FSceneElement;
  Clear(true);
  AssignAttribs(src);
  if (auto* link = dynamic_cast<const TvxLinkObject*>(src->FBlockRecord))
    SetBlockRecord(new TvxLinkObject(link->Data()));
  else
    SetBlockRecord(src->FBlockRecord);
  FAngle = src->FAngle;
  FExtrusion = src->FExtrusion;
  FMatrix = src->FMatrix;
  FScale = src->FScale;
  FLineWeight = src->FLineWeight;
  // The enclosing reference of a walk is not part of the copy: it names an object of the
  // source's walk only.
}

void TvxDXFInsert::UnlinkReferences() {
  SetBlockRecord(nullptr);
  FOwnerInsert = nullptr;
  TvxDXFCustomVertex::UnlinkReferences();
}

// ---- TvxCADMInsert --------------------------------------------------------------------------

void TvxCADMInsert::SetNumCols(int n) {
  if (n >= 1 && n <= 65535) FNumCols = static_cast<uint16_t>(n);
}

void TvxCADMInsert::SetNumRows(int n) {
  if (n >= 1 && n <= 65535) FNumRows = static_cast<uint16_t>(n);
}

TFPoint TvxCADMInsert::CellOffset(int col, int row) const {
  const TFPoint v{col * FColSpacing, row * FRowSpacing, 0};
  return TransformVector(TransformVector(v, RotationMatrixZDeg(FAngle)),
                         ExtrusionMatrix(FExtrusion));
}

TFRect TvxCADMInsert::GetBox() {
  TFRect box = TvxDXFInsert::GetBox();
  if (IsBadBox(box)) return box;
  const TFRect one = box;
  // The grid is a translation of one cell: the corner cells bound all the others.
  for (const auto& [c, r] : {std::pair{FNumCols - 1, 0}, std::pair{0, FNumRows - 1},
                             std::pair{FNumCols - 1, FNumRows - 1}}) {
    const TFPoint d = CellOffset(c, r);
    TFRect moved = one;
    moved.SetTopLeft(AddFPoint(one.TopLeft(), d));
    moved.SetBottomRight(AddFPoint(one.BottomRight(), d));
    UnionBox(box, moved);
  }
  return box;
}

void TvxCADMInsert::AssignEntity(const TvxDXFEntity* source) {
  TvxDXFInsert::AssignEntity(source);
  if (auto* src = dynamic_cast<const TvxCADMInsert*>(source)) {
    FNumCols = src->FNumCols;
    FNumRows = src->FNumRows;
    FColSpacing = src->FColSpacing;
    FRowSpacing = src->FRowSpacing;
  }
}

// ---- TvxCADClipInsert -----------------------------------------------------------------------

TFRect TvxCADClipInsert::GetBox() {
  TFRect box = TvxDXFInsert::GetBox();
  // Without a clip box nothing is clipped.
  if (IsBadBox(box) || IsBadBox(FClipBox)) return box;
  box.Left = std::max(box.Left, FClipBox.Left);
  box.Right = std::min(box.Right, FClipBox.Right);
  box.Top = std::min(box.Top, FClipBox.Top);
  box.Bottom = std::max(box.Bottom, FClipBox.Bottom);
  if (box.Left > box.Right || box.Bottom > box.Top) return BadBox;
  return box;
}

void TvxCADClipInsert::SetPoint(const TFPoint& p) {
  const TFPoint d = SubFPoint(p, FPoint);
  if (!IsBadBox(FClipBox)) {
    FClipBox.SetTopLeft(AddFPoint(FClipBox.TopLeft(), d));
    FClipBox.SetBottomRight(AddFPoint(FClipBox.BottomRight(), d));
  }
  TvxDXFInsert::SetPoint(p);
}

void TvxCADClipInsert::AssignEntity(const TvxDXFEntity* source) {
  TvxDXFInsert::AssignEntity(source);
  if (auto* src = dynamic_cast<const TvxCADClipInsert*>(source)) FClipBox = src->FClipBox;
}

}  // namespace vx
