// The generated-handle queue.
#include "database/core/vxMapEntities.h"

#include "database/core/vxConverter.h"

namespace vx {

void TvxMapEntities::CreateGeneratedList() {
  if (FHasGenerated) return;
  FHasGenerated = true;
  FGenerated.clear();
  FIndex.clear();
}

void TvxMapEntities::AddEntityToGeneratedList(TvxDXFEntity* e) {
  if (!FHasGenerated || !e) return;
  if (!FIndex.emplace(e, FGenerated.size()).second) return;  // queued already
  FGenerated.push_back(e);
}

void TvxMapEntities::AddEntitiesToGeneratedList(TvxDXFEntity* container, TvxDXFConverter* conv) {
  if (!FHasGenerated || !container) return;
  for (int i = 0, n = container->Count(); i < n; ++i) {
    TvxDXFEntity* c = container->GetEntity(i);
    if (!c || !c->HasHandle()) continue;
    c->SetConverter(conv);
    AddEntityToGeneratedList(c);
  }
}

void TvxMapEntities::RemoveEntityFromGeneratedList(TvxDXFEntity* e) {
  auto it = FIndex.find(e);
  if (it == FIndex.end()) return;
  FGenerated[it->second] = nullptr;  // keeps the order of the others
  FIndex.erase(it);
}

bool TvxMapEntities::IsInGeneratedList(const TvxDXFEntity* e) const {
  return FIndex.find(e) != FIndex.end();
}

int TvxMapEntities::GeneratedCount() const { return static_cast<int>(FIndex.size()); }

void TvxMapEntities::ApplyAndFreeGeneratedList(TvxDXFConverter* conv) {
  if (!FHasGenerated) return;
  // Off first: handing out handles must not queue anything again.
  FHasGenerated = false;
  std::vector<TvxDXFEntity*> queue;
  queue.swap(FGenerated);
  FIndex.clear();
  for (TvxDXFEntity* e : queue)
    if (e && e->GetHandle() == 0 && conv) e->SetHandle(conv->ReserveHandle(0));
}

void TvxMapEntities::UnActivateRegister() {
  FHasGenerated = false;
  FGenerated.clear();
  FGenerated.shrink_to_fit();
  FIndex.clear();
}

}  // namespace vx
