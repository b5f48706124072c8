// vxHatchPattern: the fill vocabulary of hatches (gradient types and their names, fill styles,
// hatch styles) and the pattern a hatch is drawn with: TvxCADHatchPatternData, a list of pattern
// lines (TvxHatchPatternData: a family of parallel lines through BaseP + k * Offset at LineAngle,
// cut into dashes), with the rotation and scaling that keep the pattern's own angle and scale.
//
// Pattern lines are stored as the drawing file gives them: already rotated and scaled, in the
// object coordinates of the hatch. Angle and Scale record how they were made.
#pragma once

#include "database/core/DXFConvBase.h"

#include <string>
#include <string_view>
#include <vector>

namespace vx {

enum class TvxGradientType : uint8_t {
  gtNone, gtCurved, gtCylinder, gtHemiSpherical, gtLinear, gtSpherical, gtInvCurved,
  gtInvCylinder, gtInvHemiSpherical, gtInvSpherical, gtOther
};
using enum TvxGradientType;

// "CURVED" ... "INVSPHERICAL", "UNKNOWN" for gtOther, "" for gtNone.
std::string GradientTypeName(TvxGradientType t);
// Trailing NUL characters are trimmed and the name upper-cased; an empty or unknown name is
// gtNone, "UNKNOWN" gtOther.
TvxGradientType GradientTypeByName(std::string_view name);
// Whether the type paints its two colours in exchanged order.
bool IsInverseGradient(TvxGradientType t);

enum class TvxFillStyle : uint8_t {
  fsSolid, fsClear, fsHorizontal, fsVertical, fsFDiagonal, fsBDiagonal, fsCross, fsDiagCross, fsCAD
};
using enum TvxFillStyle;

enum class TvxHatchStyle : uint8_t {
  hsSolid, hsPatternData, hsHorizontal, hsVertical, hsFDiagonal, hsBDiagonal, hsCross, hsDiagCross
};
using enum TvxHatchStyle;

// One family of pattern lines. Lines holds the dash lengths: positive drawn, negative gap, 0 a
// dot.
struct TvxHatchPatternData {
  double LineAngle = 0;  // degrees
  TFPoint BaseP;
  TFPoint Offset;        // from one line of the family to the next
  int DashNum = 0;
  TvxDoubleList Lines;
  bool IsDash = false;
};

class TvxCADHatchPatternData : public TvxDXFEntity {
  VX_ENTITY_CLASS(TvxCADHatchPatternData)
 public:
  std::string GetName() const override { return FName; }
  void SetName(const std::string& name) override { FName = name; }
  double Angle() const { return FAngle; }
  double Scale() const { return FScale; }
  // The recorded angle and scale as read, without touching the lines (readers: the drawing file
  // gives the lines already turned and scaled).
  void SetAngleValue(double a) { FAngle = a; }
  void SetScaleValue(double s) { FScale = s; }

  int Count() const override { return static_cast<int>(FPatterns.size()); }
  TvxHatchPatternData& Pattern(int i) { return FPatterns[static_cast<size_t>(i)]; }
  const TvxHatchPatternData& Pattern(int i) const { return FPatterns[static_cast<size_t>(i)]; }
  std::vector<TvxHatchPatternData>& Patterns() { return FPatterns; }
  const std::vector<TvxHatchPatternData>& Patterns() const { return FPatterns; }
  TvxHatchPatternData& AddPattern() { return FPatterns.emplace_back(); }
  // A line at angle through base with Offset (1, sign, 0) and no dashes.
  TvxHatchPatternData& AddPatternData(const TFPoint& base, double sign, double angle);

  // Angle 0, no name, scale 1, no lines.
  void ClearPatterns();
  // Name, angle, scale and the lines of other.
  void CopyPatterns(const TvxCADHatchPatternData& other);
  // Turns every line by a - Angle (a reduced first; refused when it cannot be) and records a.
  void DoAngle(double a);
  // Scales every line's base, offset and dashes by s / Scale (by s while the scale is about 0)
  // and records s.
  void DoScale(double s);
  // Turn or scale the lines without recording it (nothing for |x| <= 1e-6, |x - 1| <= 1e-6).
  void RotatePatterns(double degrees);
  void ScalePatterns(double factor);

  void AssignEntity(const TvxDXFEntity* source) override;

 private:
  void Turn(double degrees);
  void Multiply(double r);

  double FAngle = 0;
  std::string FName;
  double FScale = 1;
  std::vector<TvxHatchPatternData> FPatterns;
};

// Rebuilds the lines for a fill style (fsSolid and fsClear clear them, fsCAD keeps them).
void BuildFillStylePatterns(TvxFillStyle style, TvxCADHatchPatternData& data);

}  // namespace vx
