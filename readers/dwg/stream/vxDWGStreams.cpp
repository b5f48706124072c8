// Locating the string stream of an object or section.
#include "readers/dwg/stream/vxDWGStreams.h"

namespace vx {

TvxBitCursor DWGLocateStrings(const TvxBitCursor& c, uint64_t e, uint64_t lowest) {
  TvxBitCursor none = c.Window(e, e);
  if (e > c.End || e < lowest + 1) {
    none.Fail();
    return none;
  }
  TvxBitCursor probe = c.Window(e - 1, e);
  if (ReadBit(probe) == 0) return none;
  if (e < lowest + 17) {
    none.Fail();
    return none;
  }
  TvxBitCursor sz = c.Window(e - 17, e - 1);
  uint64_t size = ReadRS(sz);
  uint64_t top = e - 17;
  if (size & 0x8000) {
    if (top < lowest + 16) {
      none.Fail();
      return none;
    }
    TvxBitCursor hi = c.Window(top - 16, top);
    size = (size & 0x7FFF) | (uint64_t(ReadRS(hi)) << 15);
    top -= 16;
  }
  if (size > top - lowest) {
    none.Fail();
    return none;
  }
  return c.Window(top - size, top);
}

}  // namespace vx
