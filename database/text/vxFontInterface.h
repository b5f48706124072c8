// vxFontInterface: the fonts the text layout measures and draws with, seen from the database.
//
// The database cannot read font files itself (that is the text library's work, over FreeType,
// fontconfig and the SHX readers). It asks one process-wide TvxFontProvider for faces instead:
// an SHX text font, an SHX shape file or big font by file name, or a TrueType face by family
// name and style. A face answers its kind, its metrics and the geometry of each glyph in its own
// font units, already flattened: stroke polylines for SHX fonts (pen-up moves split the parts),
// closed contours to fill with the winding rule for TrueType faces. The layout (vxTextLayout*)
// walks the string over these glyphs, scales them to the text height and keeps the result.
//
// Without a provider (the default) no glyph is known: texts get estimated boxes and draw
// nothing. Faces and glyphs belong to the provider; their pointers stay valid until the provider
// is replaced or freed, so a provider is installed before drawings load and outlives them.
// A provider may be called from several threads (drawings load in the background): it guards
// its own caches.
#pragma once

#include "foundation/vxConsts.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vx {

// What a face is: an SHX file of shapes or a text font (kind 0 of the file), an SHX big font for
// double-byte text (kind 1), an SHX Unicode font (kind 2), or a TrueType/OpenType face.
enum class TvxFontKind : uint8_t { fkShapes, fkBigFont, fkUnicode, fkTrueType };
using enum TvxFontKind;

// The outline height of TrueType faces: every glyph is given at this em height (font units).
constexpr double cnstTrueTypeEmHeight = 5472.0;

// One glyph in font units, baseline at Y = 0, pen starting at (0, 0).
struct TvxGlyph {
  // The geometry: Counts[i] consecutive points of Points form part i. SHX: polylines stroked
  // with the pen (a pen-up move starts a new part; bulge arcs already flattened). TrueType:
  // closed contours (last point repeats the first; curves already flattened) filled together
  // with the winding rule.
  std::vector<TF2DPoint> Points;
  std::vector<int> Counts;
  // Where the pen stands after the glyph (TrueType: X the advance width, Y 0).
  double AdvanceX = 0, AdvanceY = 0;
  // Extents of the drawn geometry (SHX: pen-down vertices with their arcs; TrueType: the
  // outline's vertical extent with Left 0 and Right the advance). All zero for an empty glyph.
  double Left = 0, Bottom = 0, Right = 0, Top = 0;
};

class TvxFontFace {
 public:
  virtual ~TvxFontFace() = default;

  virtual TvxFontKind Kind() const = 0;
  // The file the face came from (for messages and the dump); may be empty.
  virtual std::string FileName() const = 0;
  // Height above and below the baseline in font units (both non-negative): SHX the font's own
  // values; TrueType the typographic ascent and descent at the em height.
  virtual double Above() const = 0;
  virtual double Below() const = 0;
  // TrueType: the scale coefficient (em height / height of the reference character), so that
  // outlines scaled by text height x Koef / em height make the reference character exactly as
  // tall as the text. Always finite and positive (a font without the reference character gives
  // 1, not a millionfold). SHX faces answer 0.
  virtual double Koef() const = 0;
  // SHX fonts with a vertical program (modes 2).
  virtual bool HasVertical() const { return false; }

  // The glyph of a Unicode character (the face maps it to its own code: code page of a text
  // font, big-font code with its escape ranges, Unicode font number, TrueType character map);
  // nullptr when the face has none. vertical: the vertical program of SHX fonts.
  virtual const TvxGlyph* Glyph(char32_t ch, bool vertical = false) = 0;
  // The glyph of a code of the face's own numbering (SHX shape number, big-font double-byte
  // code as first byte x 256 + second); nullptr when missing.
  virtual const TvxGlyph* GlyphByCode(uint32_t code, bool vertical = false) = 0;
  // The number of a shape by its name (shape files; case-insensitive); -1 when unknown.
  virtual int ShapeNumber(std::string_view name) = 0;
};

// What a text asks for.
struct TvxFontRequest {
  // fkShapes: an SHX text font or shape file by file name (with or without ".shx", maybe with a
  // folder); fkBigFont: an SHX big font by file name; fkTrueType: a face by family name ("Arial",
  // "Times New Roman") or TrueType file name ("arial.ttf"). fkUnicode is not asked for: an SHX
  // request finds either kind.
  TvxFontKind Kind = fkShapes;
  std::string Name;
  bool Bold = false;
  bool Italic = false;
  // The folder of the drawing being loaded (searched for SHX files); may be empty.
  std::string DrawingFolder;
};

class TvxFontProvider {
 public:
  virtual ~TvxFontProvider() = default;
  // The face for a request, or nullptr. An SHX request the provider cannot satisfy may be
  // answered with a substitute (another SHX font, or a TrueType face) so that text stays
  // visible; the layout follows the kind of the face it gets.
  virtual TvxFontFace* FindFace(const TvxFontRequest& request) = 0;
};

// The process-wide provider (nullptr: estimated boxes, nothing drawn). Not owned.
TvxFontProvider* FontProvider();
// Installs p (nullptr removes it) and returns the one it replaces.
TvxFontProvider* SetFontProvider(TvxFontProvider* p);
// Counts every SetFontProvider, so that caches of laid-out glyphs can see a change.
uint32_t FontProviderGeneration();

}  // namespace vx
