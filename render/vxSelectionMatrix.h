// vxSelectionMatrix: the picking bitmap. Entities registered while drawing get a key colour;
// the primitives drawn into the bitmap in that colour let a click find the entity under it.
#pragma once

namespace vx {

class TvxSelectionMatrix {
 public:
  virtual ~TvxSelectionMatrix() = default;
};

}  // namespace vx
