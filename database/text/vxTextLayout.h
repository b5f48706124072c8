// vxTextLayout: single-line text laid out over the faces of the font interface.
//
// A text's string is decoded into characters (UTF-8, "\U+XXXX" escapes, the "%%u", "%%o" and
// "%%k" toggles of underline, overline and strike-through, "%%%" for a percent sign), a face is
// found for its font (an SHX file, else a TrueType family; an SHX font the provider cannot give
// is drawn with a TrueType face so that no text vanishes), and the glyphs are placed along the
// baseline in font units. The text keeps the placement and the matrix from font units to drawing
// coordinates (width factor, oblique angle, mirroring, alignment, rotation, object coordinate
// system), so that its box is exact and the renderer only maps the face's glyph geometry.
//
// Glyphs belong to the provider: a layout made under one provider is not drawn under another
// (Generation).
#pragma once

#include "database/text/vxFontInterface.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vx {

// One character of a decoded text with the line decorations in force.
struct TvxTextChar {
  char32_t Ch = 0;
  bool Under = false, Over = false, Strike = false;
};

// The characters of a text string after the substitutions of SetText: UTF-8 (a broken sequence
// gives U+FFFD), "\U+XXXX", "%%u"/"%%o"/"%%k" toggles (any case), "%%%" -> "%".
std::vector<TvxTextChar> DecodeTextChars(std::string_view text);

// A glyph and the pen position it is drawn at (font units).
struct TvxPlacedGlyph {
  const TvxGlyph* Glyph = nullptr;
  double X = 0, Y = 0;
};

struct TvxTextLayout {
  TvxFontFace* Face = nullptr;   // nil: nothing laid out (no provider or no face)
  bool Filled = false;           // TrueType contours (filled) rather than SHX strokes
  std::vector<TvxPlacedGlyph> Glyphs;
  // Underline, overline and strike-through segments: pairs of points in font units (stroked).
  std::vector<TF2DPoint> Lines;
  double Advance = 0;            // pen X after the last character (font units)
  // Font units of the text height: the SHX font's Above, the TrueType reference height.
  double CapHeight = 0;
  // Extents of the drawn geometry in font units; HasBox false when nothing is drawn.
  bool HasBox = false;
  double Left = 0, Bottom = 0, Right = 0, Top = 0;
  uint32_t Generation = 0;       // FontProviderGeneration() when laid out

  bool Usable() const { return Face && Generation == FontProviderGeneration(); }
  void Clear() { *this = TvxTextLayout(); }
};

// The face a text's font gives: winFont asks for a TrueType family (or file), otherwise an SHX
// font file; an SHX request that finds nothing falls back to the TrueType face of the same name
// and then to "Arial". nullptr without a provider.
TvxFontFace* FindTextFace(const std::string& fontName, bool winFont, bool bold, bool italic,
                          const std::string& drawingFolder);

// Places the characters in face (nil face or no characters: an empty layout with no box).
// A character the face lacks is drawn as "?" when the face has that.
void LayoutTextGlyphs(TvxFontFace* face, const std::vector<TvxTextChar>& chars, TvxTextLayout& out);

// Where a single-line text lands: the matrix from font units to drawing coordinates and the
// start of the line. Inputs are the text's own values (angles in degrees, points in the object
// coordinate system of extrusion).
struct TvxTextPlacementInput {
  TFPoint Point, Point1;   // Point1 may be the undefined point
  bool HasPoint1 = false;
  double Height = 1, WidthFactor = 1, Rotation = 0, Oblique = 0;
  uint8_t HAlign = 0, VAlign = 0;
  bool Backward = false, UpsideDown = false;
  TFPoint Extrusion{0, 0, 1};
};
struct TvxTextPlacement {
  TFMatrix Matrix{};       // font units -> drawing coordinates
  TFPoint Start{};         // the pen's start in drawing coordinates
  double Height = 0;       // after aligned scaling
  double WidthFactor = 1;  // after fit scaling
  double Rotation = 0;     // after aligned/fit
};
// Alignment in text units (w = advance x width factor, h = height): centre and middle w/2 left,
// right w left; aligned and fit run from Point to Point1 (aligned scales the height, fit the
// width factor); vertical: bottom h/3 up, middle and the middle alignment h/2 down, top h down.
TvxTextPlacement PlaceText(const TvxTextPlacementInput& in, const TvxTextLayout& layout);

// The drawing-coordinate box of a layout under a matrix (the four corners of its font-unit box).
TFRect LayoutBox(const TvxTextLayout& layout, const TFMatrix& m);

}  // namespace vx
