// vxTextGlyph: glyph outlines of TrueType and OpenType faces, as text of those faces is drawn:
// filled contours that scale, rotate, slant and clip like any other geometry.
//
// TvxTextGlyph is one face in one style (bold, italic, underline, strike-out bits). Its glyphs
// are read once, unhinted and unscaled, through FreeType, scaled to the outline height 5472 (the
// em height every glyph is kept at), flattened into closed contours (quadratic and cubic
// segments alike) and kept until the object goes: codes 0..255 in direct slots, others after
// them in the order of first use. FKoef scales outline units so that the face's reference
// character is as tall as the text height: text is drawn at height * FKoef / 5472.
//
// TvxContainerOfTextGlyphs is the process-wide cache of faces, keyed by face name and style
// byte ("Arial1" is Arial bold). Faces are found through fontconfig, which also substitutes
// metric-compatible faces for the common names (Arial, Times New Roman, Courier New) and some
// face for any name, so text always has outlines.
//
// These classes live in vx::ttf: the database's font interface has a glyph record of its own.
#pragma once

#include "foundation/vxConsts.h"
#include "foundation/vxLists.h"

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace vx::ttf {

// The em height, in outline units, at which every glyph is kept.
constexpr double cnstOutlineHeight = 5472;

struct TvxGlyphBox {
  float Left = 0, Top = 0, Right = 0, Bottom = 0;
};
struct TvxGlyphPoint {
  float X = 0, Y = 0;
  friend bool operator==(const TvxGlyphPoint&, const TvxGlyphPoint&) = default;
};
using TvxGlyphContour = std::vector<TvxGlyphPoint>;

// One glyph: closed contours (the first point repeated at the end) in outline units. After
// loading FBox.Left is 0 and FBox.Right the advance; Top and Bottom the outline's vertical
// extent. FRealLeft and FRealRight keep the outline's own horizontal extent.
class TvxGlyph {
 public:
  TvxGlyphBox FBox;
  std::vector<TvxGlyphContour> FPolyPolyline;
  float FRealLeft = 0, FRealRight = 0;

  double Width() const { return double(FBox.Right) - FBox.Left; }
  // The box over every contour point, starting from the empty rectangle; all zeros without points.
  void ComputeBox();
};

// Above and below distances of a face, after the matrix (distance of the transformed origin to
// the transformed (0, FAbove) and (0, FBelow)).
struct TvxTTFFontParams {
  double Above = 0;
  double Below = 0;
};

// Style byte bits of a face.
constexpr uint8_t cnstTTFBold = 1;
constexpr uint8_t cnstTTFItalic = 2;
constexpr uint8_t cnstTTFUnderline = 4;
constexpr uint8_t cnstTTFStrikeOut = 8;

class TvxTextGlyph {
 public:
  TvxTextGlyph();
  ~TvxTextGlyph();
  TvxTextGlyph(const TvxTextGlyph&) = delete;
  TvxTextGlyph& operator=(const TvxTextGlyph&) = delete;

  // Face name (cut at its first NUL) and style byte; takes effect at the next load.
  void SetFontParams(std::string_view faceName, uint8_t style);
  // Opens a face file directly (tests and callers that know the file); false when it cannot be read.
  bool OpenFile(const std::string& fileName, int faceIndex = 0);

  // Loads 'Q', 'y' and every character of the text, and the coefficient when not yet positive.
  // False when no face could be opened (then nothing draws and every box is empty).
  bool LoadedW(std::u32string_view text);
  // The glyph of a code, loaded on first use; null only when no face is open.
  const TvxGlyph* Glyph(char32_t code);
  // Whether the face maps the code to a glyph of its own (not the missing-glyph box).
  bool HasGlyph(char32_t code);

  // Union of the glyph boxes laid along the text, through the matrix (when given); the empty
  // rectangle for an empty text. params gets the transformed above and below distances (zeros
  // for an empty text).
  void GetBoxW(std::u32string_view text, TFRect& result, TvxTTFFontParams* params = nullptr,
               const TFMatrix* matrix = nullptr);
  // Appends the text's contours through the matrix and returns how many were added. With an
  // epsilon a point that differs from the last kept point of its contour by no more than the
  // epsilon in both coordinates is dropped. Style bits 4 and 8 add an underline and a
  // strike-out line (two points each).
  int GetPolyPolylineW(std::u32string_view text, std::vector<TFPointList>& list,
                       const TFMatrix& matrix, uint8_t styles, const TF2DPoint* epsilon = nullptr);
  // Total advance of the text in outline units.
  double TextAdvance(std::u32string_view text);

  double FKoef = 0;
  double FAbove = 0, FBelow = 0;
  std::string FFontName;
  uint8_t FFontStyle = 0;
  bool FFillText = true;

  // The file the face came from (after substitution) and the family it reports.
  const std::string& FileName() const { return FFileName; }
  const std::string& FamilyName() const { return FFamilyName; }
  // The reference character the coefficient was measured on (0: none, from the face's metrics).
  char32_t ReferenceChar() const { return FReferenceChar; }
  // Glyphs kept beyond the direct slots, in the order of first use.
  const std::vector<char32_t>& GlyphsUniCode() const { return FGlyphsUniCode; }

 private:
  struct Face;
  bool OpenLocked();
  bool OpenFileLocked(const std::string& fileName, int faceIndex);
  const TvxGlyph* GlyphLocked(char32_t code);
  std::unique_ptr<TvxGlyph> LoadGlyph(char32_t code);
  void InitKoef();

  std::mutex FLock;
  std::unique_ptr<Face> FFace;
  bool FTriedOpen = false;
  std::string FFileName, FFamilyName;
  char32_t FReferenceChar = 0;
  std::array<std::unique_ptr<TvxGlyph>, 256> FDirect{};
  std::vector<std::unique_ptr<TvxGlyph>> FGlyphs;  // codes above 255
  std::vector<char32_t> FGlyphsUniCode;
  std::unordered_map<char32_t, size_t> FUniCodeIndex;
};

// The height the coefficient is measured on: the reference character's, else (missing or
// nearly flat, below 1/64 em) the capital height, else the ascent, else the em height itself.
double KoefHeight(double referenceHeight, double capHeight, double ascent);

// The process-wide cache of faces.
class TvxContainerOfTextGlyphs {
 public:
  static TvxContainerOfTextGlyphs& Instance();

  // "Arial" and 1 give "Arial1".
  static std::string Key(std::string_view faceName, uint8_t styles);

  // The cached face or null.
  TvxTextGlyph* Find(std::string_view faceName, uint8_t styles);
  // Creates, enters and loads the face (or returns the cached one), under the lock.
  TvxTextGlyph* AddTextGlyphsByFont(std::string_view faceName, uint8_t styles);
  int Count();
  void Clear();
  void Reference();
  // Down by one (not below 0); the cache is cleared when the count reaches 0.
  void Release();
  int Refs() const { return FRefs; }

 private:
  std::mutex FLock;
  std::map<std::string, std::unique_ptr<TvxTextGlyph>> FContainer;
  int FRefs = 0;
};

}  // namespace vx::ttf
