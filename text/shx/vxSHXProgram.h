// vxSHXProgram: the shape program interpreter of SHX fonts and the conversion of its vertices into
// the flattened glyphs of the font interface.
//
// A shape definition is a zero-terminated name followed by a byte program: pen up/down, scale
// changes, a four-deep position stack, subshape calls, vector bytes (length and one of 16
// directions), moves, octant arcs, fractional arcs, bulge arcs and the vertical-only prefix 14.
// The program starts at (0, 0) with the pen down and scale 1 and ends at code 0 or at the end of
// its definition, whichever comes first: nothing is read past the bytes it was given. Subshapes
// are fetched through a callback; calls deeper than cnstSHXMaxSubshapeDepth, a subshape that is
// already running (a cycle) or one the callback cannot give fail the whole glyph. A glyph that
// would grow past cnstSHXMaxVertices vertices or cnstSHXMaxSteps commands fails too, so that a
// small file cannot make a huge glyph through nested calls.
#pragma once

#include "database/text/vxFontInterface.h"

#include <cstdint>
#include <functional>
#include <span>
#include <vector>

namespace vx::shx {

constexpr int cnstSHXStackDepth = 4;
constexpr int cnstSHXMaxSubshapeDepth = 10;
constexpr size_t cnstSHXMaxVertices = 200000;
constexpr size_t cnstSHXMaxSteps = 1000000;
// Box values beyond this magnitude are taken as 0 (damaged glyphs).
constexpr double cnstSHXMaxBoxValue = 90000;

// One vertex of a glyph: the bulge belongs to the segment that ends here; PenDown 0 is a move.
struct TvxSHXVertex {
  double X = 0, Y = 0;
  double Bulge = 0;
  uint8_t PenDown = 0;
};

// What the interpreter needs to know of the font.
struct TvxSHXProgramContext {
  // Unicode fonts: code 7 takes a two-byte number (high byte first).
  bool Unicode = false;
  // Extended big fonts: code 7 takes a two-byte number, origin X and Y, width and height; the
  // subshape is placed at the origin and scaled by width / CharWidth and height / CharHeight.
  bool ExtendedBig = false;
  int CharWidth = 0, CharHeight = 0;
  // The whole definition (name included) of a subshape; false when the font has none.
  std::function<bool(uint32_t number, std::vector<uint8_t>& definition)> Subshape;
};

// The result of one run.
struct TvxSHXProgramResult {
  std::vector<TvxSHXVertex> Vertices;  // starts with the pen-up vertex at (0, 0)
  double EndX = 0, EndY = 0;           // the pen position at the end (the glyph's advance)
  bool Failed = false;                 // a subshape could not be drawn, or a limit was hit
};

// Runs the definition (name included) for horizontal or vertical text.
TvxSHXProgramResult RunShapeProgram(std::span<const uint8_t> definition, bool vertical,
                                    const TvxSHXProgramContext& context);

// The glyph of a run: pen-down runs become parts, bulge segments are flattened (at least
// cnstSHXArcSegments per full circle), the box covers the drawn points (values beyond
// cnstSHXMaxBoxValue become 0), the advance is the end position. A failed run gives an empty
// glyph without advance.
constexpr int cnstSHXArcSegments = 48;
TvxGlyph GlyphOfProgram(const TvxSHXProgramResult& run);

// Appends the points of the segment from p0 to p1 with the given bulge (positive turns
// counter-clockwise), p0 excluded, p1 included.
void AppendBulgeSegment(std::vector<TF2DPoint>& out, TF2DPoint p0, TF2DPoint p1, double bulge);

}  // namespace vx::shx
