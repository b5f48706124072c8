// vxDWGObjectMap: the object map of a DWG R13+ file (handle -> location of the object in the
// image), read from the handles section and searched by binary search.
//
// Duplicates are kept (a lookup finds one of them). The map does not own the database items it
// records: they belong to the drawing once placed.
#pragma once

#include "readers/dwg/stream/vxDWGCursor.h"

#include <cstdint>
#include <vector>

namespace vx {

class TvxDXFEntity;

struct TdwgMapElement {
  uint64_t Handle = 0;
  uint64_t Location = 0;  // byte offset of the object in the image
  TvxDXFEntity* Obj = nullptr;
  int Loads = -1;  // -1 not loaded yet; the number of times an item was stored otherwise
};

class TvxObjectsMap {
 public:
  TvxObjectsMap() { FElements.reserve(1024); }

  // Reads the pages of the handles section; locations are offset by base (the start of the
  // objects section for 2004 and later, 0 before). Stops at a page of size 2 or less, or at a
  // page that does not fit the section. Sorts by handle at the end.
  void Read(TvxBitCursor section, uint64_t base);

  size_t Size() const { return FElements.size(); }
  // The highest index (number of elements minus one).
  int GetCount() const { return int(FElements.size()) - 1; }
  TdwgMapElement& operator[](size_t i) { return FElements[i]; }
  const TdwgMapElement& operator[](size_t i) const { return FElements[i]; }
  // Index of an element with that handle, -1 when none.
  int IndexOfHandle(uint64_t handle) const;
  // Stores the loaded item (nil for a dropped object) and counts the load.
  void SetObject(size_t index, TvxDXFEntity* obj);
  bool Loaded(size_t index) const { return FElements[index].Loads >= 0; }
  int ObjectsLoaded() const { return FObjectsLoaded; }
  void Add(uint64_t handle, uint64_t location) { FElements.push_back({handle, location}); }
  void Sort();

 private:
  std::vector<TdwgMapElement> FElements;
  int FObjectsLoaded = 0;
};

}  // namespace vx
