// vxLines: line-type patterns. TvxLines holds a pattern of dashes, gaps, dots and symbols and
// cuts lines, point lists, tessellated curves and polylines into the pieces actually drawn.
//
// Output is always appended to a TFPointList as pairs of points: each pair is one piece drawn
// from its first to its second point, a pair of equal points is a dot. Symbol strokes follow as
// further pairs along their polylines.
//
// One pattern is shared by its line-type table item, layers and every entity naming it, so the
// cutting methods are const: the per-entity scale and the continuous-generation flags are passed
// per call in TvxLinesParams instead of being set on the shared object. The work of one call is
// bounded by the process-wide repetition budget (MaxRepetitions, 8000 by default).
//
// Depends only on foundation/. Symbols (text and shapes) are built by whoever owns fonts: Loaded
// takes an optional source that turns a symbol element into strokes; without one a symbol element
// keeps only its dash or gap.
#pragma once

#include "foundation/vxConsts.h"
#include "foundation/vxLists.h"

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <span>
#include <string>
#include <vector>

namespace vx {

class TvxDXFStyle;  // the text style of a symbol element; never dereferenced here

// ComplexType bits of a pattern element.
constexpr uint8_t cnstLTypeAbsoluteRotation = 1;  // symbol rotation is absolute, not along the line
constexpr uint8_t cnstLTypeText = 2;              // the element carries a text
constexpr uint8_t cnstLTypeShape = 4;             // the element carries a shape

// One element of a pattern as stored.
struct TvxLTypeElement {
  uint8_t ComplexType = 0;
  double Dash = 0;       // > 0 dash of that length, < 0 gap of its magnitude, 0 dot
  double Scale = 1;      // symbol scale
  double Rotation = 0;   // symbol rotation, degrees
  double XOffset = 0;    // symbol offset
  double YOffset = 0;
  std::string Text;      // the symbol's text
  int16_t ShapeNumber = 0;
  TvxDXFStyle* Style = nullptr;  // non-owning: the style holding the symbol's font

  bool HasText() const { return (ComplexType & cnstLTypeText) != 0; }
  bool HasShape() const { return (ComplexType & cnstLTypeShape) != 0; }
  bool IsAbsoluteRotation() const { return (ComplexType & cnstLTypeAbsoluteRotation) != 0; }
};

// A symbol as handed back by a symbol source: strokes in pattern units relative to the place on
// the line where the symbol sits (offset and the element's own rotation already applied).
struct TvxLTypeSymbol {
  std::vector<std::vector<TFPoint>> Strokes;
  double Width = 0;   // the symbol's box, counted into MaxSizeOfPatterns
  double Height = 0;
};

// Builds the symbol of an element; returns false when the symbol has no box (nothing is added).
using TvxLTypeSymbolSource = std::function<bool(const TvxLTypeElement&, TvxLTypeSymbol&)>;

// A prepared element: kind 0 is a dash, gap or dot with its value; a symbol refers to its strokes.
enum class TvxSimpleKind : uint8_t { skDash = 0, skSymbol = 1 };
using enum TvxSimpleKind;

struct TvxLTypeSimpleElement {
  TvxSimpleKind Kind = skDash;
  double Value = 0;       // skDash: the dash value
  int Symbol = -1;        // skSymbol: index into the pattern's symbols
  double Rotation = 0;    // skSymbol: degrees
  bool Absolute = false;  // skSymbol: rotation does not follow the line
};

// Per-call settings of a cut.
struct TvxLinesParams {
  double Scale = 1;             // drawing units per pattern unit; sanitised like SetScale
  bool IsUniform = false;       // run on continuously instead of centring per segment
  bool IsAutocadMetod = false;  // the alternative fitting of whole patterns along curves
  int MaxRepetitions = 0;       // repetition budget for this call; 0 = the process-wide one
};

class TvxLines {
 public:
  TvxLines() = default;

  // A process-wide empty pattern standing for the continuous line type.
  static const TvxLines& Continuous();

  // Process-wide limit of pattern repetitions per piece (8000); values below 1 become 1.
  static int MaxRepetitions();
  static void SetMaxRepetitions(int value);
  static constexpr int cnstDefaultMaxRepetitions = 8000;

  // The stored magnitude of a scale: non-finite values and magnitudes under 1e-6 give 1.
  static double SanitizeScale(double scale);

  // ---- the stored pattern ----
  void Clear();  // drops the stored and the prepared elements
  // Copies the flags, the pattern length, the scale and the stored elements; the prepared list
  // is not copied: call Loaded on the copy.
  void Assign(const TvxLines& source);
  int Add(const TvxLTypeElement& element);
  int AddTick(double dash);
  // Replaces the elements by plain ones with dashes[0..highIndex].
  void Initialize(const double* dashes, int highIndex);
  void Initialize(std::initializer_list<double> dashes);
  const TvxLTypeElement* GetElement(int index) const;  // nullptr out of range
  TvxLTypeElement* GetElement(int index);
  int GetElementsCount() const { return static_cast<int>(FElements.size()); }

  // Prepares the pattern for cutting; must run after the elements change.
  void Loaded(const TvxLTypeSymbolSource& symbols = {});

  // ---- settings and queries ----
  double Scale() const { return FScale; }
  void SetScale(double scale) { FScale = SanitizeScale(scale); }
  bool IsUniform() const { return FIsUniform; }
  void SetIsUniform(bool value) { FIsUniform = value; }
  bool IsAutocadMetod() const { return FIsAutocadMetod; }
  void SetIsAutocadMetod(bool value) { FIsAutocadMetod = value; }
  bool IsSolid() const { return FElements.size() < 2; }
  bool IsDotted() const;
  double MaxSizeOfPatterns() const { return FMaxSizeOfPatterns; }
  double PatternLength() const { return FPatternLength; }
  int SimpleElementsCount() const { return static_cast<int>(FSimpleElements.size()); }
  const TvxLTypeSimpleElement& SimpleElement(int index) const { return FSimpleElements[index]; }
  const TvxLTypeSymbol& Symbol(int index) const { return FSymbols[index]; }

  // The pattern's own scale and flags as call parameters.
  TvxLinesParams Params() const;
  // The parameters for one entity: scale = global scale x pattern scale (single precision) x
  // entity scale, sanitised; flags from the pattern.
  TvxLinesParams Params(double globalScale, double entityScale) const;

  // ---- cutting (pieces are appended to dotted) ----
  void Line(const TFPoint& point1, const TFPoint& point2, TFPointList& dotted) const;
  void Line(const TFPoint& point1, const TFPoint& point2, TFPointList& dotted,
            const TvxLinesParams& params) const;

  void Poly(std::span<const TFPoint> points, TFPointList& dotted, bool close) const;
  void Poly(std::span<const TFPoint> points, TFPointList& dotted, bool close,
            const TvxLinesParams& params) const;
  void Poly(const TFPointList& points, TFPointList& dotted, bool close) const {
    Poly(std::span<const TFPoint>(points.Vector()), dotted, close);
  }
  void Poly(const TFPointList& points, TFPointList& dotted, bool close,
            const TvxLinesParams& params) const {
    Poly(std::span<const TFPoint>(points.Vector()), dotted, close, params);
  }

  void Curve(std::span<const TFPoint> points, TFPointList& dotted, bool close) const;
  void Curve(std::span<const TFPoint> points, TFPointList& dotted, bool close,
             const TvxLinesParams& params) const;
  void Curve(const TFPointList& points, TFPointList& dotted, bool close) const {
    Curve(std::span<const TFPoint>(points.Vector()), dotted, close);
  }
  void Curve(const TFPointList& points, TFPointList& dotted, bool close,
             const TvxLinesParams& params) const {
    Curve(std::span<const TFPoint>(points.Vector()), dotted, close, params);
  }

  // counts: one entry per polyline vertex, 1 for a straight segment, more for the points of a
  // tessellated arc (see the polyline's PointsCounts); entries below 1 add no points.
  void Vertexes(std::span<const TFPoint> points, std::span<const int32_t> counts, bool close,
                TFPointList& dotted) const;
  void Vertexes(std::span<const TFPoint> points, std::span<const int32_t> counts, bool close,
                TFPointList& dotted, const TvxLinesParams& params) const;
  void Vertexes(const TFPointList& points, const TvxIntegerList& counts, bool close,
                TFPointList& dotted) const {
    Vertexes(std::span<const TFPoint>(points.Vector()),
             std::span<const int32_t>(counts.Vector()), close, dotted);
  }
  void Vertexes(const TFPointList& points, const TvxIntegerList& counts, bool close,
                TFPointList& dotted, const TvxLinesParams& params) const {
    Vertexes(std::span<const TFPoint>(points.Vector()),
             std::span<const int32_t>(counts.Vector()), close, dotted, params);
  }

 private:
  bool Cuts() const;  // false: every cut draws its geometry whole

  std::vector<TvxLTypeElement> FElements;
  bool FIsUniform = false;
  bool FIsAutocadMetod = false;
  double FMaxSizeOfPatterns = 0;
  double FPatternLength = 0;
  double FScale = 1;
  std::vector<TvxLTypeSimpleElement> FSimpleElements;
  std::vector<TvxLTypeSymbol> FSymbols;
  double FCycleCost = 0;  // output of one pattern, bounds the work of a cut
};

}  // namespace vx
