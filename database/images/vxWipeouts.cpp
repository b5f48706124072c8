// The wipeout's geometry: its pixel frame and its clip polygon.
#include "database/images/vxWipeouts.h"

#include <cmath>

namespace vx {

double TvxCADWipeout::Width() const { return std::hypot(FUVector.X, FUVector.Y) * FSize.X; }

double TvxCADWipeout::Height() const { return std::hypot(FVVector.X, FVVector.Y) * FSize.Y; }

namespace {

void ScaleXY(TFPoint& u, TFPoint& v, double f) {
  f = std::fabs(f);
  u.X *= f;
  u.Y *= f;
  v.X *= f;
  v.Y *= f;
}

}  // namespace

void TvxCADWipeout::SetWidth(double w) {
  const double cur = Width();
  if (cur == 0 || !std::isfinite(w)) return;
  const double f = w / cur;
  if (f != 0) ScaleXY(FUVector, FVVector, f);
}

void TvxCADWipeout::SetHeight(double h) {
  const double cur = Height();
  if (cur == 0 || !std::isfinite(h)) return;
  const double f = h / cur;
  if (f != 0) ScaleXY(FUVector, FVVector, f);
}

TFPoint TvxCADWipeout::PointAt(double a, double b) const {
  const TFPoint p = GetPoint();
  return {p.X + b * FUVector.X + a * FVVector.X, p.Y + b * FUVector.Y + a * FVVector.Y,
          p.Z + b * FUVector.Z + a * FVVector.Z};
}

void TvxCADWipeout::BuildPoints() {
  FPolyPoints.Clear();
  // Clip coordinates count from the centre of the first pixel with V growing from the top row
  // down, while the V vector points from the bottom row up.
  auto mapped = [this](double u, double v) { return PointAt(FSize.Y - 0.5 - v, u + 0.5); };
  if (FClippingBoundaryType == 1) {
    if (FClipPoints.Count() < 2) return;
    const TF2DPoint a = FClipPoints[0], b = FClipPoints[1];
    for (const TF2DPoint& c : {a, TF2DPoint{b.X, a.Y}, b, TF2DPoint{a.X, b.Y}}) FPolyPoints.Append(mapped(c.X, c.Y));
    return;
  }
  for (const TF2DPoint& c : FClipPoints) FPolyPoints.Append(mapped(c.X, c.Y));
}

void TvxCADWipeout::AssignEntity(const TvxDXFEntity* source) {
  TvxCADBasePolyline::AssignEntity(source);
  auto* src = dynamic_cast<const TvxCADWipeout*>(source);
  if (!src || src == this) return;
  FClipPoints = src->FClipPoints;
  FClippingBoundaryType = src->FClippingBoundaryType;
  FUseClipping = src->FUseClipping;
  FUVector = src->FUVector;
  FVVector = src->FVVector;
  FSize = src->FSize;
}

}  // namespace vx
