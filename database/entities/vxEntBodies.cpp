// Proxies with their decoded parts, and the solid-model bodies.
#include "database/entities/vxEntBodies.h"

#include "database/core/vxConverter.h"

namespace vx {

// ---- TvxDXFProxy ------------------------------------------------------------------------------

TvxDXFEntity* TvxDXFProxy::GetEntity(int index) const {
  return index >= 0 && index < Count() ? FEntities[static_cast<size_t>(index)] : nullptr;
}

void TvxDXFProxy::SetEntity(int index, TvxDXFEntity* e) {
  if (index < 0 || index >= Count() || !e) return;
  FEntities[static_cast<size_t>(index)] = e;
  e->SetOwner(this);
}

int TvxDXFProxy::InsertEntity(int index, TvxDXFEntity* e) {
  if (!e || e == this || e->EntType() == ceSeqEnd) return -1;
  if (index < 0 || index > Count()) index = Count();
  FEntities.insert(FEntities.begin() + index, e);
  e->SetOwner(this);
  return index;
}

TvxDXFEntity* TvxDXFProxy::DeleteEntity(int index) {
  if (index < 0 || index >= Count()) return nullptr;
  TvxDXFEntity* e = FEntities[static_cast<size_t>(index)];
  FEntities.erase(FEntities.begin() + index);
  if (e && e->GetOwner() == this) e->SetOwner(nullptr);
  return e;
}

int TvxDXFProxy::IndexOfEntity(const TvxDXFEntity* e) const {
  for (size_t i = 0; i < FEntities.size(); ++i)
    if (FEntities[i] == e) return static_cast<int>(i);
  return -1;
}

void TvxDXFProxy::Clear(bool freeChildren) {
  std::vector<TvxDXFEntity*> parts;
  parts.swap(FEntities);
  if (freeChildren)
    for (TvxDXFEntity* e : parts) FreeEntity(e);
  FBox = BadBox;
}

void TvxDXFProxy::LoadData(TvxDXFConverter* conv) {
  TvxDXFPenLine::LoadData(conv);
  FBox = BadBox;
  for (TvxDXFEntity* e : FEntities) {
    if (!e) continue;
    e->LoadData(conv);
    if (e->GetVisibility()) UnionBox(FBox, e->GetBox());
  }
}

void TvxDXFProxy::ResolveLinks(TvxDXFConverter* conv) {
  TvxDXFPenLine::ResolveLinks(conv);
  for (TvxDXFEntity* e : FEntities)
    if (e) e->ResolveLinks(conv);
}

void TvxDXFProxy::DoIterate(TvxDXFConverter* conv, const TvxEntityProc& finishProc,
                            const TvxEntityProc& proc) {
  if (!IsInViewPort(conv) || !proc) return;
  if (proc(this) == 0) return;
  for (size_t i = 0; i < FEntities.size(); ++i)
    if (TvxDXFEntity* e = FEntities[i]) e->DoIterate(conv, finishProc, proc);
  if (finishProc) finishProc(this);
}

void TvxDXFProxy::AssignEntity(const TvxDXFEntity* source) {
  TvxDXFPenLine::AssignEntity(source);
  auto* s = dynamic_cast<const TvxDXFProxy*>(source);
  if (!s || s == this) return;
  Clear(true);
  for (const TvxDXFEntity* e : s->FEntities)
    if (e) AddEntity(e->Clone());
  FBox = s->FBox;
}

// ---- TvxDXFRegion -----------------------------------------------------------------------------

void TvxDXFRegion::AssignEntity(const TvxDXFEntity* source) {
  TvxDXFPenLine::AssignEntity(source);
  if (auto* s = dynamic_cast<const TvxDXFRegion*>(source)) FBodyText = s->FBodyText;
}

}  // namespace vx
