// The entity base, the reference records and the link placeholder.
#include "database/core/DXFConvBase.h"

#include "database/blocks/vxBlocks.h"
#include "database/core/vxConverter.h"
#include "database/core/vxNames.h"
#include "database/core/vxTables.h"

#include <unordered_set>

namespace vx {

namespace {

// Searches deeper than this are cut: a file can nest containers without bound.
constexpr int cnstMaxSearchDepth = 512;

using TvxVisited = std::unordered_set<const TvxDXFEntity*>;

TvxDXFEntity* FindByHandle(const TvxDXFEntity* e, uint64_t handle, bool children, bool inserts,
                           TvxVisited& visitedBlocks, int depth) {
  const int i = e->IndexOfHandle(handle);
  if (i >= 0) return e->GetEntity(i);
  if (depth >= cnstMaxSearchDepth) return nullptr;
  if (children) {
    for (int k = 0, n = e->Count(); k < n; ++k) {
      const TvxDXFEntity* c = e->GetEntity(k);
      if (!c) continue;
      if (TvxDXFEntity* r = FindByHandle(c, handle, children, inserts, visitedBlocks, depth + 1))
        return r;
    }
  }
  // A block is entered once per search, so blocks that insert each other end the search.
  if (inserts && e->IsInsert()) {
    const TvxDXFEntity* block = e->GetBlock();
    if (block && visitedBlocks.insert(block).second) {
      const int j = block->IndexOfHandle(handle);
      if (j >= 0) return block->GetEntity(j);
      for (int k = 0, n = block->Count(); k < n; ++k) {
        const TvxDXFEntity* c = block->GetEntity(k);
        if (!c) continue;
        if (TvxDXFEntity* r = FindByHandle(c, handle, children, inserts, visitedBlocks, depth + 1))
          return r;
      }
    }
  }
  return nullptr;
}

}  // namespace

// ---- reference records ----------------------------------------------------------------------

void TvxOwneredItem::SetOwner(TvxDXFEntity* owner) {
  if (owner == FOwner) return;
  if (!FOwner && owner)
    ObjAddRef();
  else if (FOwner && !owner)
    ObjRelease();
  FOwner = owner;
}

void TvxNamedItem::SetName(const std::string& name) {
  if (name == FName) return;
  TvxDXFEntity* owner = FOwner;
  if (owner) owner->RemoveName(FAncestor);
  FName = name;
  if (owner) owner->AddName(FAncestor);
}

void TvxTableItem::AddRefItem(TvxDXFEntity* item) {
  if (!item || dynamic_cast<TvxLinkObject*>(item)) return;
  if (TvxOwneredItem* oi = item->GetOwneredItem()) oi->ObjAddRef();
}

void TvxTableItem::ReleaseItem(TvxDXFEntity* item) {
  if (!item) return;
  if (dynamic_cast<TvxLinkObject*>(item)) {
    item->Free();
    return;
  }
  TvxOwneredItem* oi = item->GetOwneredItem();
  if (!oi) return;
  if (oi->ObjRelease() == 0 && oi->Owner() == nullptr) item->Free();
}

void TvxTableItem::SetItem(TvxDXFEntity* item) {
  if (item == FItem) return;
  AddRefItem(item);
  TvxDXFEntity* old = FItem;
  FItem = item;
  ReleaseItem(old);
}

// ---- root classes ---------------------------------------------------------------------------

std::string TvxObject::GetPropertyName() const {
  std::string n = ClassName();
  if (!n.empty() && n[0] == 'T') n.erase(0, 1);
  if (n.size() > 2 && n.compare(0, 2, "vx") == 0) n.erase(0, 2);
  return n;
}

// ---- the entity -----------------------------------------------------------------------------

void TvxDXFEntity::Free() {
  // An entity freed while still listed would leave a dangling child behind.
  if (TvxDXFEntity* owner = GetOwner()) owner->RemoveEntity(this);
  Clear(true);
  UnlinkReferences();
  FreeOwnedParts();
  delete this;
}

std::string TvxDXFEntity::EntName() const {
  std::string n = GetName();
  return n.empty() ? GetPropertyName() : n;
}

TvxDXFConverter* TvxDXFEntity::GetConverter() const {
  const TvxDXFEntity* owner = GetOwner();
  return owner ? owner->GetConverter() : nullptr;
}

TColor TvxDXFEntity::GetColor() const { return ColorCADToColor(GetColorCAD()); }

void TvxDXFEntity::SetColor(TColor c) { SetColorCAD(ColorToColorCAD(c)); }

const TvxLines* TvxDXFEntity::GetLines() const {
  const TvxDXFLineType* lt = GetLineType();
  return lt ? lt->GetLines() : nullptr;
}

bool TvxDXFEntity::GetVisible() const {
  if (const TvxDXFLayer* layer = GetLayer())
    if (layer->Frozen() || !layer->GetVisible()) return false;
  return GetVisibility();
}

int TvxDXFEntity::IndexOfName(const std::string& name) const {
  for (int i = Count() - 1; i >= 0; --i) {
    const TvxDXFEntity* e = GetEntity(i);
    if (e && SameName(e->EntName(), name)) return i;
  }
  return -1;
}

int TvxDXFEntity::IndexOfNameCaseSensitive(const std::string& name) const {
  for (int i = Count() - 1; i >= 0; --i) {
    const TvxDXFEntity* e = GetEntity(i);
    if (e && e->EntName() == name) return i;
  }
  return -1;
}

TvxDXFEntity* TvxDXFEntity::FindEntByName(const std::string& name) const {
  const int i = IndexOfName(name);
  return i >= 0 ? GetEntity(i) : nullptr;
}

int TvxDXFEntity::IndexOfHandle(uint64_t handle) const {
  for (int i = Count() - 1; i >= 0; --i) {
    const TvxDXFEntity* e = GetEntity(i);
    if (e && e->GetHandle() == handle) return i;
  }
  return -1;
}

TvxDXFEntity* TvxDXFEntity::FindEntByHandle(uint64_t handle, bool iterateChildren,
                                            bool iterateInsert) const {
  TvxVisited visited;
  return FindByHandle(this, handle, iterateChildren, iterateInsert, visited, 0);
}

bool TvxDXFEntity::RemoveEntity(TvxDXFEntity* e) {
  bool removed = false;
  for (int i = IndexOfEntity(e); i >= 0; i = IndexOfEntity(e)) {
    if (!DeleteEntity(i)) break;
    removed = true;
  }
  return removed;
}

void TvxDXFEntity::RegisterHandle(TvxDXFConverter* conv) {
  if (conv) conv->RegisterHandle(this);
}

void TvxDXFEntity::DoIterate(TvxDXFConverter* conv, const TvxEntityProc& finishProc,
                             const TvxEntityProc& proc) {
  if (IsInViewPort(conv) && proc) proc(this);
}

bool TvxDXFEntity::IsInViewPort(TvxDXFConverter* conv) {
  if (!conv || conv->ImportMode() != imImport || !conv->ViewPortCut()) return true;
  const TFRect box = GetBox();
  if (IsBadBox(box)) return false;
  // All corners are transformed: under a rotation two corners do not bound the box.
  const TFRect t = TransformBox(box, conv->Params()->Matrix);
  if (IsBadBox(t)) return false;
  const TFRect vp = conv->ViewPortRect();
  constexpr double tol = 1e-9;
  return !(t.Right < vp.Left - tol || t.Left > vp.Right + tol || t.Top < vp.Bottom - tol ||
           t.Bottom > vp.Top + tol);
}

void TvxDXFEntity::Update() {
  if (TvxDXFConverter* conv = GetConverter()) conv->Loads(this);
}

void TvxDXFEntity::AssignEntity(const TvxDXFEntity* source) {
  if (!source || dynamic_cast<const TvxLinkObject*>(source)) return;
  SetHyperLink(source->GetHyperLink());
  SetLineWeight(source->GetLineWeight());
  SetLineTypeScale(source->GetLineTypeScale());
}

TvxDXFEntity* TvxDXFEntity::Clone() const {
  TvxDXFEntity* e = NewInstance();
  e->AssignEntity(this);
  return e;
}

void BindEntityToConverter(TvxDXFEntity* e, TvxDXFConverter*& slot, TvxDXFConverter* conv) {
  if (slot == conv) return;
  if (slot) slot->MapEntities().RemoveEntityFromGeneratedList(e);
  slot = conv;
  if (conv && conv->HasGeneratedHandles() && e->HasHandle() && e->GetHandle() == 0)
    conv->MapEntities().AddEntityToGeneratedList(e);
}

// ---- link placeholders ----------------------------------------------------------------------

TvxLinkObject* TvxLinkObject::ByName(const std::string& name) {
  TvxLinkObjectData d;
  d.LinkType = lodtName;
  d.Name = name;
  return new TvxLinkObject(std::move(d));
}

TvxLinkObject* TvxLinkObject::ByHandle(uint64_t handle) {
  TvxLinkObjectData d;
  d.LinkType = lodtHandle;
  d.Handle = handle;
  return new TvxLinkObject(std::move(d));
}

TvxLinkObject* TvxLinkObject::ByIndex(int index) {
  TvxLinkObjectData d;
  d.LinkType = lodtIndex;
  d.Index = index;
  return new TvxLinkObject(std::move(d));
}

TvxLinkObject* TvxLinkObject::ByArrow(uint8_t arrowType) {
  TvxLinkObjectData d;
  d.LinkType = lodtDimArrow;
  d.ArrowType = arrowType;
  return new TvxLinkObject(std::move(d));
}

TvxDXFEntity* TvxLinkObject::GetObject(const TvxDXFEntity* owner) {
  if (FObject || !owner) return FObject;
  switch (FData.LinkType) {
    case lodtName:
      FObject = owner->FindEntByName(FData.Name);
      break;
    case lodtHandle:
      FObject = owner->FindEntByHandle(FData.Handle, false, false);
      break;
    case lodtIndex:
      FObject = owner->GetEntity(FData.Index);
      break;
    case lodtDimArrow: {
      const std::string name = ArrowBlockName ? ArrowBlockName(FData.ArrowType) : std::string();
      if (!name.empty()) FObject = owner->FindEntByName(name);
      break;
    }
  }
  return FObject;
}

}  // namespace vx
