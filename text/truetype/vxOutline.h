// vxOutline: FreeType outlines to flattened contours, and the process's one FreeType library.
//
// Quadratic segments go through the adaptive subdivision of the curve generator; cubic ones
// (CFF-flavoured OpenType and Type 1 faces) through the same flatness test, so that no segment
// of any outline format is dropped. Every contour is closed by repeating its first point.
#pragma once

#include "text/truetype/vxTextGlyph.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

namespace vx::ttf {

// The FreeType library of the process (created on first use). FreeType faces are not
// thread-safe: callers serialise the use of each face; creating and freeing faces goes through
// FreeTypeLock.
FT_Library FreeTypeLibrary();
std::mutex& FreeTypeLock();

// Appends the outline's contours, its coordinates multiplied by scale.
void FlattenOutline(const FT_Outline& outline, double scale, std::vector<TvxGlyphContour>& contours);

}  // namespace vx::ttf
