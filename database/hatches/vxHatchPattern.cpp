// vxHatchPattern: gradient names, the pattern lines and their transformations.
#include "database/hatches/vxHatchPattern.h"

#include "database/core/vxNames.h"

#include <array>
#include <cmath>

namespace vx {

namespace {

constexpr std::array<const char*, 9> cnstGradientNames = {
    "CURVED", "CYLINDER", "HEMISPHERICAL", "LINEAR", "SPHERICAL",
    "INVCURVED", "INVCYLINDER", "INVHEMISPHERICAL", "INVSPHERICAL"};

}  // namespace

std::string GradientTypeName(TvxGradientType t) {
  if (t == gtNone) return {};
  if (t == gtOther) return "UNKNOWN";
  const size_t i = static_cast<size_t>(t) - 1;
  return i < cnstGradientNames.size() ? cnstGradientNames[i] : std::string();
}

TvxGradientType GradientTypeByName(std::string_view name) {
  while (!name.empty() && name.back() == '\0') name.remove_suffix(1);
  if (name.empty()) return gtNone;
  for (size_t i = 0; i < cnstGradientNames.size(); ++i)
    if (SameName(name, cnstGradientNames[i])) return static_cast<TvxGradientType>(i + 1);
  if (SameName(name, "UNKNOWN")) return gtOther;
  return gtNone;
}

bool IsInverseGradient(TvxGradientType t) {
  return t == gtInvCurved || t == gtInvCylinder || t == gtInvHemiSpherical || t == gtInvSpherical;
}

// ---- pattern data ---------------------------------------------------------------------------

TvxHatchPatternData& TvxCADHatchPatternData::AddPatternData(const TFPoint& base, double sign,
                                                            double angle) {
  TvxHatchPatternData& p = AddPattern();
  p.LineAngle = angle;
  p.BaseP = base;
  p.Offset = {1, sign, 0};
  return p;
}

void TvxCADHatchPatternData::ClearPatterns() {
  FAngle = 0;
  FName.clear();
  FScale = 1;
  FPatterns.clear();
}

void TvxCADHatchPatternData::CopyPatterns(const TvxCADHatchPatternData& other) {
  if (&other == this) return;
  FName = other.FName;
  FAngle = other.FAngle;
  FScale = other.FScale;
  FPatterns = other.FPatterns;
}

void TvxCADHatchPatternData::Turn(double degrees) {
  const double r = degrees * fPiDiv180, c = std::cos(r), s = std::sin(r);
  auto rotate = [&](TFPoint& p) {
    const double x = p.X * c - p.Y * s, y = p.X * s + p.Y * c;
    p.X = x;
    p.Y = y;
  };
  for (TvxHatchPatternData& p : FPatterns) {
    p.LineAngle += degrees;
    rotate(p.BaseP);
    rotate(p.Offset);
  }
}

void TvxCADHatchPatternData::Multiply(double r) {
  for (TvxHatchPatternData& p : FPatterns) {
    p.BaseP = {p.BaseP.X * r, p.BaseP.Y * r, 0};
    p.Offset = {p.Offset.X * r, p.Offset.Y * r, 0};
    if (p.Lines.Count() && !p.Lines.Sorted())
      for (double& d : p.Lines) d *= r;
  }
}

void TvxCADHatchPatternData::DoAngle(double a) {
  if (!NormalizeAngle(a)) return;
  Turn(a - FAngle);
  FAngle = a;
}

void TvxCADHatchPatternData::DoScale(double s) {
  Multiply(FScale <= 1e-6 ? s : s / FScale);
  FScale = s;
}

void TvxCADHatchPatternData::RotatePatterns(double degrees) {
  if (std::fabs(degrees) > 1e-6) Turn(degrees);
}

void TvxCADHatchPatternData::ScalePatterns(double factor) {
  if (std::fabs(factor - 1) > 1e-6) Multiply(factor);
}

void TvxCADHatchPatternData::AssignEntity(const TvxDXFEntity* source) {
  TvxDXFEntity::AssignEntity(source);
  if (auto* src = dynamic_cast<const TvxCADHatchPatternData*>(source)) CopyPatterns(*src);
}

void BuildFillStylePatterns(TvxFillStyle style, TvxCADHatchPatternData& data) {
  if (style == fsCAD) return;
  data.ClearPatterns();
  const TFPoint o = cnstFPointZero;
  switch (style) {
    case fsHorizontal: data.AddPatternData(o, 1, 0); break;
    case fsVertical: data.AddPatternData(o, 1, 90); break;
    case fsFDiagonal: data.AddPatternData(o, 1, -45); break;
    case fsBDiagonal: data.AddPatternData(o, -1, 45); break;
    case fsCross:
      data.AddPatternData(o, 1, 0);
      data.AddPatternData(o, 1, 90);
      break;
    case fsDiagCross:
      data.AddPatternData(o, -1, 45);
      data.AddPatternData(o, 1, -45);
      break;
    default: break;  // solid and clear have no lines
  }
}

}  // namespace vx
