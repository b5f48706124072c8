// vxMapEntities: the converter's bookkeeping of entities: the queue of entities read without a
// handle (GeneratedHandles), which get handles once loading ends, in the order they were queued.
#pragma once

#include "database/core/DXFConvBase.h"

#include <unordered_map>
#include <vector>

namespace vx {

class TvxMapEntities {
 public:
  static constexpr int cnstReserved = 1048576;

  void CreateGeneratedList();
  bool HasGeneratedList() const { return FHasGenerated; }
  // Queues an entity once (duplicates are ignored).
  void AddEntityToGeneratedList(TvxDXFEntity* e);
  // Queues the children of a container that take part in handle numbering, binding each to
  // the converter.
  void AddEntitiesToGeneratedList(TvxDXFEntity* container, TvxDXFConverter* conv);
  void RemoveEntityFromGeneratedList(TvxDXFEntity* e);
  bool IsInGeneratedList(const TvxDXFEntity* e) const;
  int GeneratedCount() const;
  // Gives every queued entity whose handle is still 0 the next handle of the converter, in
  // queue order, then frees the queue.
  void ApplyAndFreeGeneratedList(TvxDXFConverter* conv);
  // Drops the queue without applying it.
  void UnActivateRegister();

  // The unsorted entity list (kept for readers that index entities by position).
  std::vector<TvxDXFEntity*>& Entities() { return FEntities; }
  bool EntitiesSorted() const { return FEntitiesSorted; }
  void SetEntitiesUnsorted() { FEntitiesSorted = false; }

 private:
  bool FHasGenerated = false;
  std::vector<TvxDXFEntity*> FGenerated;                   // insertion order; nil = removed
  std::unordered_map<const TvxDXFEntity*, size_t> FIndex;  // entity -> slot in FGenerated
  std::vector<TvxDXFEntity*> FEntities;
  bool FEntitiesSorted = true;
};

}  // namespace vx
