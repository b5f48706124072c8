// Texts, attribute definitions and attributes. Which of them show is decided before this step
// (TextVisible, the drawing's attribute mode, invisible attributes); the text module fills in
// the strokes, glyph outlines and platform text output.
#include "render/vxDrawWalk.h"

#include "render/vxCADImage.h"

namespace vx {

int DrawTextEntity(TvxCADImage& img, TvxDXFEntity* e) { return 0; }

}  // namespace vx
