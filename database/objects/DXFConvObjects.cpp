// Object entities and containers.
#include "database/objects/DXFConvObjects.h"

#include "database/core/vxConverter.h"
#include "database/core/vxTables.h"

#include <algorithm>

namespace vx {

// ---- TvxDXFObjectEntity ---------------------------------------------------------------------

TvxDXFConverter* TvxDXFObjectEntity::GetConverter() const {
  if (FConverter) return FConverter;
  return FOwner ? FOwner->GetConverter() : nullptr;
}

void TvxDXFObjectEntity::SetConverter(TvxDXFConverter* conv) {
  BindEntityToConverter(this, FConverter, conv);
}

TvxDXFLayer* TvxDXFObjectEntity::GetLayer() const {
  return dynamic_cast<TvxDXFLayer*>(FLayerItem.Item());
}

void TvxDXFObjectEntity::SetLayer(TvxDXFLayer* layer) { FLayerItem.SetItem(layer); }

void TvxDXFObjectEntity::SetVisibility(bool v) {
  if (v)
    FFlag &= ~cnstInvisibleFlag;
  else
    FFlag |= cnstInvisibleFlag;
}

void TvxDXFObjectEntity::CollectHandledChildren() {
  // The auxiliary group is filled by the classes that keep one (extended-data owners).
}

void TvxDXFObjectEntity::LoadData(TvxDXFConverter* conv) {
  if (conv && IsDrawable() && !FLayerItem.Item()) SetLayer(conv->LayerByName("0"));
}

void TvxDXFObjectEntity::ResolveLinks(TvxDXFConverter* conv) {
  auto* link = dynamic_cast<TvxLinkObject*>(FLayerItem.Item());
  if (!link || !conv) return;
  TvxDXFTable* layers = conv->Layers();
  TvxDXFLayer* layer = nullptr;
  if (link->Data().LinkType == lodtName) {
    if (layers) layer = layers->FindItem<TvxDXFLayer>(link->Data().Name);
    if (!layer) layer = conv->LayerByName(link->Data().Name);
  } else {
    if (layers) layer = dynamic_cast<TvxDXFLayer*>(link->GetObject(layers));
    // A handle that finds nothing falls back to layer "0", which is not created here.
    if (!layer && layers) layer = layers->FindItem<TvxDXFLayer>("0");
  }
  SetLayer(layer);  // frees the placeholder
}

void TvxDXFObjectEntity::AssignEntity(const TvxDXFEntity* source) {
  TvxDXFEntity::AssignEntity(source);
  auto* src = dynamic_cast<const TvxDXFObjectEntity*>(source);
  if (!src) return;
  if (!dynamic_cast<TvxLinkObject*>(src->FLayerItem.Item())) FLayerItem.SetItem(src->FLayerItem.Item());
  FFlag = src->FFlag;
  FPenStyle = src->FPenStyle;
}

void TvxDXFObjectEntity::UnlinkReferences() {
  FDictionary = nullptr;
  if (FGroup) {
    TvxDXFGroup* g = FGroup;
    FGroup = nullptr;
    g->Clear(false);  // the auxiliary group only lists children owned elsewhere
    g->Free();
  }
  FLayerItem.SetItem(nullptr);
  SetConverter(nullptr);
}

// ---- colour, pen, line type, vertex ---------------------------------------------------------

void TvxDXFObjectEntityColor::AssignEntity(const TvxDXFEntity* source) {
  TvxDXFObjectEntity::AssignEntity(source);
  if (auto* src = dynamic_cast<const TvxDXFObjectEntityColor*>(source)) {
    FColor = src->FColor;
    FHyperLink = src->FHyperLink;
  }
}

TvxDXFLineType* TvxDXFObjectEntityLineType::GetLineType() const {
  return dynamic_cast<TvxDXFLineType*>(FLineTypeItem.Item());
}

void TvxDXFObjectEntityLineType::SetLineType(TvxDXFLineType* ltype) {
  FLineTypeItem.SetItem(ltype);
}

const TvxLines* TvxDXFObjectEntityLineType::GetLines() const {
  const TvxDXFLineType* lt = GetLineType();
  return lt ? lt->GetLines() : nullptr;
}

void TvxDXFObjectEntityLineType::LoadData(TvxDXFConverter* conv) {
  if (conv && !FLineTypeItem.Item()) SetLineType(conv->LTypeByName("BYLAYER"));
  TvxDXFPenEntity::LoadData(conv);
}

void TvxDXFObjectEntityLineType::ResolveLinks(TvxDXFConverter* conv) {
  if (auto* link = dynamic_cast<TvxLinkObject*>(FLineTypeItem.Item()); link && conv) {
    TvxDXFLineType* lt = nullptr;
    if (TvxDXFTable* ltypes = conv->LTypes()) {
      lt = link->Data().LinkType == lodtName ? ltypes->FindItem<TvxDXFLineType>(link->Data().Name)
                                             : dynamic_cast<TvxDXFLineType*>(link->GetObject(ltypes));
    }
    SetLineType(lt);  // nil: the load gives "BYLAYER"
  }
  TvxDXFPenEntity::ResolveLinks(conv);
}

void TvxDXFObjectEntityLineType::AssignEntity(const TvxDXFEntity* source) {
  TvxDXFPenEntity::AssignEntity(source);
  if (auto* src = dynamic_cast<const TvxDXFObjectEntityLineType*>(source))
    if (!dynamic_cast<TvxLinkObject*>(src->FLineTypeItem.Item()))
      FLineTypeItem.SetItem(src->FLineTypeItem.Item());
}

void TvxDXFObjectEntityLineType::UnlinkReferences() {
  FLineTypeItem.SetItem(nullptr);
  TvxDXFPenEntity::UnlinkReferences();
}

void TvxDXFCustomVertex::AssignEntity(const TvxDXFEntity* source) {
  TvxDXFObjectEntityLineType::AssignEntity(source);
  if (auto* src = dynamic_cast<const TvxDXFCustomVertex*>(source)) FPoint = src->FPoint;
}

// ---- TvxDXFGroup ----------------------------------------------------------------------------

TvxDXFEntity* TvxDXFGroup::GetEntity(int index) const {
  if (index < 0 || index >= Count()) return nullptr;
  return FEntities[static_cast<size_t>(index)];
}

void TvxDXFGroup::SetEntity(int index, TvxDXFEntity* e) {
  if (index < 0 || index >= Count() || !e || e->EntType() == ceSeqEnd) return;
  TvxDXFEntity* old = FEntities[static_cast<size_t>(index)];
  if (old == e) return;
  FEntities[static_cast<size_t>(index)] = e;
  ListChanged(old, lnDeleted);
  ListChanged(e, lnAdded);
}

int TvxDXFGroup::InsertEntity(int index, TvxDXFEntity* e) {
  // End markers close sequences in files; they never enter a list.
  if (!e || e->EntType() == ceSeqEnd) return -1;
  index = std::clamp(index, 0, Count());
  FEntities.insert(FEntities.begin() + index, e);
  ListChanged(e, lnAdded);
  return index;
}

TvxDXFEntity* TvxDXFGroup::RemoveAt(int index, TvxListNotification action) {
  if (index < 0 || index >= Count()) return nullptr;
  TvxDXFEntity* e = FEntities[static_cast<size_t>(index)];
  FEntities.erase(FEntities.begin() + index);
  ListChanged(e, action);
  return e;
}

TvxDXFEntity* TvxDXFGroup::DeleteEntity(int index) { return RemoveAt(index, lnDeleted); }

TvxDXFEntity* TvxDXFGroup::ExtractEntity(int index) { return RemoveAt(index, lnExtracted); }

void TvxDXFGroup::ExchangeEntity(int i, int j) {
  if (i == j || i < 0 || j < 0 || i >= Count() || j >= Count()) return;
  std::swap(FEntities[static_cast<size_t>(i)], FEntities[static_cast<size_t>(j)]);
}

int TvxDXFGroup::IndexOfEntity(const TvxDXFEntity* e) const {
  auto it = std::find(FEntities.begin(), FEntities.end(), e);
  return it == FEntities.end() ? -1 : static_cast<int>(it - FEntities.begin());
}

void TvxDXFGroup::FreeChild(TvxDXFEntity* e) {
  if (TvxOwneredItem* oi = e->GetOwneredItem()) {
    // A shared item still used by an entity lives on, owner-less; its last user frees it.
    if (oi->Owner() == nullptr && oi->RefCount() <= 0) e->Free();
    return;
  }
  e->Free();
}

void TvxDXFGroup::Clear(bool freeChildren) {
  while (!FEntities.empty()) {
    TvxDXFEntity* e = FEntities.back();
    FEntities.pop_back();
    ListChanged(e, lnDeleted);
    if (freeChildren) FreeChild(e);
  }
}

void TvxDXFGroup::ListChanged(TvxDXFEntity* child, TvxListNotification action) {
  if (!child) return;
  if (action == lnAdded) {
    if (FOnListNotify) FOnListNotify(child, action);
    child->SetOwner(this);
  } else {
    if (child->GetOwner() == this) child->SetOwner(nullptr);
    if (FOnListNotify) FOnListNotify(child, action);
  }
}

void TvxDXFGroup::ReorderEntities(std::vector<TvxDXFEntity*> order) {
  if (order.size() == FEntities.size()) FEntities = std::move(order);
}

void TvxDXFGroup::Iterate(TvxDXFConverter* conv, const TvxEntityProc& finishProc,
                          const TvxEntityProc& proc) {
  for (size_t i = 0; i < FEntities.size(); ++i)
    if (TvxDXFEntity* e = FEntities[i]) e->DoIterate(conv, finishProc, proc);
}

// ---- TvxDXFGroupEntity ----------------------------------------------------------------------

void TvxDXFGroupEntity::UpdateBox() {
  FBox = BadBox;
  for (TvxDXFEntity* e : FEntities)
    if (e && e->GetVisibility()) UnionBox(FBox, e->GetBox());
}

void TvxDXFGroupEntity::LoadData(TvxDXFConverter* conv) {
  TvxDXFGroup::LoadData(conv);
  UpdateBox();
}

}  // namespace vx
