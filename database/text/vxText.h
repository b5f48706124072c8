// vxText: single-line text (TvxDXFText), the base of shapes, attribute definitions and
// attributes, with the text substitutions ("%%d", "%%p", "%%c") its SetText applies, the
// undefined-point constant that marks an alignment point a file did not give, and the
// font choice a text takes from its style (TrueType face or SHX font).
//
// LoadData lays the glyphs out over the process-wide font provider (vxTextLayout.h): the text
// keeps the placed glyphs and the matrix from font units to drawing coordinates, and its box is
// the box of the laid-out glyphs. Without a provider (or a face) the text gets an estimated box
// so that the drawing's extents still include it.
#pragma once

#include "database/objects/DXFConvObjects.h"
#include "database/core/vxTables.h"
#include "database/text/vxTextLayout.h"

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vx {

class TvxDXFConverter;

// The alignment point a file did not give: X = Y = -93823560581120.0 (the Double whose bits are
// 0xC2D5554000000000), Z = 0.
inline constexpr double cnstUndefinedCoord = -93823560581120.0;
inline constexpr TFPoint cnstUndefinedPoint{cnstUndefinedCoord, cnstUndefinedCoord, 0};
inline bool IsUndefinedPoint(const TFPoint& p) {
  return p.X == cnstUndefinedCoord && p.Y == cnstUndefinedCoord;
}

// Process-wide name=value pairs applied to every text before the built-in codes; empty unless
// the host fills it.
inline std::vector<std::pair<std::string, std::string>> TextSubstitutions;

// The text with the substitution list applied, then, case-insensitively, "%%d" -> "°",
// "%%p" -> "±" and "%%c" -> "\U+2205" (the diameter sign, decoded when drawn). With
// numericCodes, "%%nnn" for nnn of 127, 128, 176, 179 and 220 also becomes that character.
std::string SubstituteTextCodes(std::string_view text, bool numericCodes = false);

// An oblique angle reduced into [0, 180); a result of exactly 90 (or a non-finite angle) is 0.
double ReduceObliqueAngle(double degrees);

// The font a style gives its texts: the TrueType face (file extension cut off) when it names
// one, else the primary font file (SHX unless its extension says otherwise, extension cut
// off); a style with a big font always draws with SHX fonts. fontStyle is set only for faces.
void StyleFont(const TvxDXFStyle* style, std::string& name, bool& winFont, uint8_t& fontStyle);

// Lines drawn along a whole text (pieces of multi-line text).
constexpr uint8_t cnstDecorUnder = 1;
constexpr uint8_t cnstDecorOver = 2;
constexpr uint8_t cnstDecorStrike = 4;

// Horizontal alignment (FHAlign).
constexpr uint8_t cnstHAlignLeft = 0;
constexpr uint8_t cnstHAlignCenter = 1;
constexpr uint8_t cnstHAlignRight = 2;
constexpr uint8_t cnstHAlignAligned = 3;
constexpr uint8_t cnstHAlignMiddle = 4;
constexpr uint8_t cnstHAlignFit = 5;
// Vertical alignment (FVAlign).
constexpr uint8_t cnstVAlignBaseline = 0;
constexpr uint8_t cnstVAlignBottom = 1;
constexpr uint8_t cnstVAlignMiddle = 2;
constexpr uint8_t cnstVAlignTop = 3;

// Internal flags of a text (kept in the entity's internal-flag byte).
constexpr uint8_t itfWinFont = 1;          // drawn with a TrueType face
constexpr uint8_t itfInsideMText = 2;      // a piece of an MText
constexpr uint8_t itfUseDefaultFont = 4;
constexpr uint8_t itfSetFontName = 8;

// The text's own font settings, shaped like a style entry: the font name chosen from the style,
// the width factor (Scale), the oblique angle and the generation flags.
struct TvxTextProperties {
  std::string FontName;
  uint8_t FontStyle = 0;
  double Scale = 1;
  double ObliqueAngle = 0;
  uint8_t TextGenFlags = 0;
};

class TvxDXFText : public TvxDXFCustomVertex {
  VX_ENTITY_CLASS(TvxDXFText)
 public:
  TvxDXFText() = default;

  TvxCADEntities EntType() const override { return ceText; }

  // ---- text ----
  const std::string& Text() const { return FText; }
  // Stores the value after the text substitutions.
  virtual void SetText(const std::string& t);
  bool IsEmpty() const { return FText.empty(); }

  // ---- placement ----
  // The second alignment point; cnstUndefinedPoint when not given.
  TFPoint GetPoint1() const { return FPoint1; }
  void SetPoint1(const TFPoint& p) { FPoint1 = p; }
  // Whether Point1 places the text (and so moves with a reference): set explicitly, or implied
  // by an alignment other than left/baseline with a defined Point1.
  bool UsesPoint1() const;
  void SetUsesPoint1(bool v) { FUsesPoint1 = v; }
  double Height() const { return FHeight; }
  void SetHeight(double h) { FHeight = h; }
  // The width factor (Scale); WidthFactor is the same value.
  double Scale() const { return FPropertiesItem.Scale; }
  void SetScale(double s) { FPropertiesItem.Scale = s; }
  double WidthFactor() const { return Scale(); }
  void SetWidthFactor(double w) { SetScale(w); }
  double XScale() const { return Scale(); }
  double Rotation() const { return FRotation; }  // degrees
  void SetRotation(double r) { FRotation = r; }
  double ObliqueAngle() const { return FPropertiesItem.ObliqueAngle; }
  // Reduced into [0, 180); exactly 90 is stored as 0.
  void SetObliqueAngle(double a) { FPropertiesItem.ObliqueAngle = ReduceObliqueAngle(a); }
  uint8_t HAlign() const { return FHAlign; }
  void SetHAlign(uint8_t a) { FHAlign = a; }
  uint8_t VAlign() const { return FVAlign; }
  void SetVAlign(uint8_t a) { FVAlign = a; }
  // Backward flag x 2 + upside-down flag x 4, the text's own.
  uint8_t Generation() const { return FPropertiesItem.TextGenFlags; }
  void SetGeneration(uint8_t g) { FPropertiesItem.TextGenFlags = g & (cnstTextBackward | cnstTextUpsideDown); }
  // The text's own flag or its style's.
  bool Backward() const;
  bool UpsideDown() const;
  TFPoint GetExtrusion() const override { return FExtrusion; }
  // A zero or non-finite normal is the default (0, 0, 1).
  void SetExtrusion(const TFPoint& e) override;
  double GetLineWeight() const override { return FLineWeight; }
  void SetLineWeight(double w) override { FLineWeight = w; }
  // Hundredths of a millimetre; applied only while the line weight is still by layer.
  void SetLWeight(int hundredths) override {
    if (FLineWeight == fLineWeightByLayer) FLineWeight = hundredths / 100.0;
  }
  // The pen width the renderer asks for: the line weight, as for the pen-line entities.
  double GetThickness() const override { return FLineWeight; }
  // Extrusion thickness (DXF 39).
  double ZThick() const { return FZThick; }
  void SetZThick(double t) { FZThick = t; }

  // ---- style and font ----
  // The style, nil when none (or while a placeholder waits for resolution).
  TvxDXFStyle* GetStyle() const;
  // Takes the style's font (FontName, WinFont).
  void SetStyle(TvxDXFStyle* style);
  TvxDXFEntity* GetStyleItem() const { return FTextStyleItem.Item(); }
  // Stores a placeholder (taken over) that ResolveLinks turns into the style.
  void SetStyleLink(TvxLinkObject* link) { FTextStyleItem.SetItem(link); }
  const std::string& FontName() const { return FPropertiesItem.FontName; }
  uint8_t FontStyle() const { return FPropertiesItem.FontStyle; }
  bool WinFont() const { return (FInternalFlags & itfWinFont) != 0; }
  bool IsSHXFont() const { return !WinFont(); }
  bool InsideMText() const { return (FInternalFlags & itfInsideMText) != 0; }
  void SetInsideMText(bool v);
  const TvxTextProperties& Properties() const { return FPropertiesItem; }

  // ---- pieces of multi-line text ----
  // The text as it is (codes already read).
  void SetRawText(const std::string& t) { FText = t; }
  // A font of the text's own that the style does not override (itfSetFontName).
  void SetOwnFont(const std::string& name, bool winFont, uint8_t fontStyle);
  // cnstDecorUnder | cnstDecorOver | cnstDecorStrike along the whole text.
  uint8_t Decoration() const { return FDecoration; }
  void SetDecoration(uint8_t d) { FDecoration = d; }

  // ---- geometry ----
  TFRect GetBox() override { return FBox; }
  // The computed start of the text line.
  TFPoint StartPoint() const { return FStartPoint; }
  // The laid-out glyphs (Face nil when the box is an estimate) and the matrix from their font
  // units to drawing coordinates.
  const TvxTextLayout& Layout() const { return FLayout; }
  const TFMatrix& GlyphMatrix() const { return FMatrix; }

  // Layer "0" and line type as every entity, the style's font, an alignment that cannot be
  // used (no second point) reset to left/baseline, then the estimated box.
  void LoadData(TvxDXFConverter* conv) override;
  void ResolveLinks(TvxDXFConverter* conv) override;
  void AssignEntity(const TvxDXFEntity* source) override;
  void UnlinkReferences() override;

 protected:
  bool IsDrawable() const override { return true; }
  // Font name and WinFont from the style (TrueType face, else the primary font file).
  void TakeFontFromStyle();
  // The estimated advance of the whole text: 0.8 x height x width factor per character.
  virtual double EstimatedWidth() const;
  // Whether there is anything to draw (an empty text has an empty box).
  virtual bool HasContent() const { return !FText.empty(); }
  // Box, start point and matrix from the laid-out glyphs, else from the estimate.
  virtual void UpdateTextBox();
  void EstimateTextBox();
  // Lays the glyphs out in the text's face; false when no face gives them.
  virtual bool LayoutGlyphs(TvxTextLayout& out);
  // The folder of the drawing (searched for SHX fonts).
  std::string DrawingFolder() const;

  TFRect FBox = BadBox;
  uint8_t FHAlign = cnstHAlignLeft;
  TFPoint FPoint1 = cnstUndefinedPoint;
  bool FUsesPoint1 = false;
  double FRotation = 0;
  TFPoint FExtrusion = cnstExtrusion;
  TFPoint FStartPoint;
  TvxTableItem FTextStyleItem;
  std::string FText;
  double FHeight = 1;
  double FLineWeight = fLineWeightByLayer;
  double FZThick = 0;
  uint8_t FVAlign = cnstVAlignBaseline;
  TvxTextProperties FPropertiesItem;
  TvxTextLayout FLayout;
  TFMatrix FMatrix{};
  uint8_t FDecoration = 0;
};

// Characters of a text as the estimate counts them: UTF-8 code points, with a "\U+XXXX" or
// "\M+nXXXX" escape as one character and the underline and overline codes ("%%u", "%%o") as none.
size_t TextCharCount(std::string_view text);

}  // namespace vx
