// The object map: pages of (handle, location) increments.
#include "readers/dwg/vxDWGObjectMap.h"

#include <algorithm>

namespace vx {

void TvxObjectsMap::Read(TvxBitCursor c, uint64_t base) {
  while (!c.Failed && c.Remaining() >= 16) {
    const uint64_t pageStart = c.Pos;
    // The page size is stored most significant byte first and counts itself.
    const unsigned size = (unsigned(ReadRC(c)) << 8) | ReadRC(c);
    if (size <= 2) break;
    const uint64_t pageEnd = pageStart + uint64_t(size) * 8;
    if (pageEnd > c.End) break;
    TvxBitCursor page = c.Window(c.Pos, pageEnd);
    uint64_t handle = 0;
    int64_t location = 0;
    while (!page.AtEnd()) {
      const uint64_t dh = ReadUMC(page);
      const int64_t dl = ReadMC(page);
      if (page.Failed) break;
      handle += dh;
      location += dl;
      if (location >= 0) Add(handle, uint64_t(location) + base);
    }
    c.Seek(pageEnd + 16);  // the page CRC is not checked
  }
  Sort();
}

void TvxObjectsMap::Sort() {
  std::stable_sort(FElements.begin(), FElements.end(),
                   [](const TdwgMapElement& a, const TdwgMapElement& b) { return a.Handle < b.Handle; });
}

int TvxObjectsMap::IndexOfHandle(uint64_t handle) const {
  auto it = std::lower_bound(FElements.begin(), FElements.end(), handle,
                             [](const TdwgMapElement& e, uint64_t h) { return e.Handle < h; });
  if (it == FElements.end() || it->Handle != handle) return -1;
  return int(it - FElements.begin());
}

void TvxObjectsMap::SetObject(size_t index, TvxDXFEntity* obj) {
  TdwgMapElement& e = FElements[index];
  if (e.Loads < 0) {
    e.Loads = 0;
    ++FObjectsLoaded;
  }
  e.Obj = obj;
  if (obj) ++e.Loads;
}

}  // namespace vx
