#include "render/vxDrawWalk.h"

namespace vx {

void TvxDrawWalkState::BeginDraw(TvxCADImage&) {}
void TvxDrawWalkState::EndDraw(TvxCADImage&) {}

}  // namespace vx
