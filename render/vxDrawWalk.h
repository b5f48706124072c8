// vxDrawWalk: the per-draw state of the entity drawing walk (screen measure of the entity being
// drawn, the one-pixel cache, point buffers, the region stack, the complex-entity marker, the
// in-place reference and the saved viewport state). A TvxCADImage owns one; Draw calls BeginDraw
// before the walk and EndDraw after it.
#pragma once

namespace vx {

class TvxCADImage;

struct TvxDrawWalkState {
  void BeginDraw(TvxCADImage& image);
  void EndDraw(TvxCADImage& image);
};

}  // namespace vx
