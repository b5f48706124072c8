#include "database/entities/vxEntLines.h"

#include "database/core/DXFConv.h"

#include <algorithm>
#include <cmath>

namespace vx {

namespace {

double ExactDistance(const TFPoint& a, const TFPoint& b) {
  TFPoint d = SubFPoint(b, a);
  return std::sqrt(DotFPoint(d, d));
}

}  // namespace

// ---- TvxDXFPenLine ----------------------------------------------------------------------------

void TvxDXFPenLine::SetExtrusion(const TFPoint& e) {
  // A normal without length or with non-finite parts (damaged input) has no object coordinate
  // system: it would fold the entity onto the origin, so it stands for the default instead.
  const double len2 = DotFPoint(e, e);
  if (IsEqualFPoints(e, cnstExtrusion) || !(len2 > 0) || !std::isfinite(len2))
    FExtrusion.reset();
  else if (FExtrusion)
    *FExtrusion = e;
  else
    FExtrusion = std::make_unique<TFPoint>(e);
}

void TvxDXFPenLine::ToWCS() {
  if (HasExtrusion()) FPoint = TransformPoint(FPoint, ExtrusionMat());
}

void TvxDXFPenLine::SetLWeight(int hundredths) {
  if (FLineWeight == fLineWeightByLayer) FLineWeight = hundredths / 100.0;
}

TFMatrix TvxDXFPenLine::ExtrusionMat() const {
  return HasExtrusion() ? ExtrusionMatrix(GetExtrusion()) : cnstIdentityMat;
}

TFPoint TvxDXFPenLine::ThicknessVector() const {
  TFPoint v{0, 0, FZThick};
  return HasExtrusion() ? TransformVector(v, ExtrusionMat()) : v;
}

void TvxDXFPenLine::AssignEntity(const TvxDXFEntity* source) {
  TvxDXFCustomVertex::AssignEntity(source);
  auto* src = dynamic_cast<const TvxDXFPenLine*>(source);
  if (!src || src == this) return;
  FLineWeight = src->FLineWeight;
  FZThick = src->FZThick;
  // through the virtual writer, so that classes caching the extrusion drop their cache
  SetExtrusion(src->FExtrusion ? *src->FExtrusion : cnstExtrusion);
}

// ---- TvxDXFLine -------------------------------------------------------------------------------

void TvxDXFLine::SetLine(const TvxLine& l) {
  FPoint = l.Point1;
  FPoint1 = l.Point2;
}

TFPoint TvxDXFLine::GetPoints(int index) const {
  if (index == 0) return FPoint;
  if (index == 1) return FPoint1;
  return cnstFPointZero;
}

void TvxDXFLine::SetPoints(int index, const TFPoint& p) {
  if (index == 0)
    FPoint = p;
  else if (index == 1)
    FPoint1 = p;
}

double TvxDXFLine::GetAngle() const {
  return VectorAngle(FPoint1.X - FPoint.X, FPoint1.Y - FPoint.Y);
}

void TvxDXFLine::SetAngle(double degrees) {
  if (!std::isfinite(degrees)) return;
  const double a = std::fmod(degrees, 360.0) * fPiDiv180;
  const double len = std::hypot(FPoint1.X - FPoint.X, FPoint1.Y - FPoint.Y);
  if (!(len > 1e-6)) return;
  FPoint1.X = FPoint.X + len * std::cos(a);
  FPoint1.Y = FPoint.Y + len * std::sin(a);
}

double TvxDXFLine::GetLength() const { return ExactDistance(FPoint, FPoint1); }

void TvxDXFLine::SetLength(double length) {
  if (!std::isfinite(length)) return;
  const double len = GetLength();
  // Without a direction there is nothing to stretch; any real length keeps its direction.
  if (IsEqualFPoints(FPoint, FPoint1) || !(len > 0)) return;
  if (std::abs(length) <= Accuracy) {
    FPoint1 = FPoint;
    return;
  }
  FPoint1 = AddFPoint(FPoint, PtXScalar(SubFPoint(FPoint1, FPoint), length / len));
}

TFRect TvxDXFLine::GetBox() {
  TFRect box = BadBox;
  ExpandBox(box, FPoint);
  ExpandBox(box, FPoint1);
  if (FZThick != 0) {
    const TFPoint up = ThicknessVector();
    ExpandBox(box, AddFPoint(FPoint, up));
    ExpandBox(box, AddFPoint(FPoint1, up));
  }
  return box;
}

void TvxDXFLine::LoadData(TvxDXFConverter* conv) { TvxDXFObjectEntity::LoadData(conv); }

void TvxDXFLine::AssignEntity(const TvxDXFEntity* source) {
  TvxDXFPenLine::AssignEntity(source);
  if (auto* src = dynamic_cast<const TvxDXFLine*>(source)) FPoint1 = src->FPoint1;
}

// ---- TvxDXFRay / TvxDXFXline ------------------------------------------------------------------

void TvxDXFRay::SetStartPoint(const TFPoint& p) {
  FStartPoint = p;
  FPoint = p;
  FPoint1 = p;
}

void TvxDXFRay::ClipToView(const TFMatrix& m, const TvxIntRect& r) {
  FPoint1 = ClipRayEndToView(FStartPoint, FDirection, m, r);
}

bool TvxDXFRay::ClipLine(const TFPoint& start, const TFPoint& dir, const TFRect& box,
                         TFRect& clipped) const {
  return ClipHalfLineToBox(start, dir, box, clipped);
}

bool TvxDXFRay::ClipRayToBox(const TFRect& box, TFRect& clipped) const {
  return ClipLine(FStartPoint, FDirection, box, clipped);
}

bool TvxDXFRay::IsInViewPort(TvxDXFConverter* conv) {
  if (!conv || conv->ImportMode() != imImport || !conv->ViewPortCut() || !conv->Params())
    return TvxDXFLine::IsInViewPort(conv);
  // compared in the device plane of the walk's matrix, as other entities' boxes are
  const TFMatrix& m = conv->Params()->Matrix;
  TFPoint s = TransformPoint(FStartPoint, m);
  TFPoint d = SubFPoint(TransformPoint(AddFPoint(FStartPoint, FDirection), m), s);
  s.Z = 0;
  d.Z = 0;
  TFRect view = conv->ViewPortRect();
  view.Z1 = view.Z2 = 0;
  TFRect clipped;
  return ClipLine(s, d, view, clipped);
}

TFRect TvxDXFRay::GetBox() {
  TFRect box = BadBox;
  ExpandBox(box, FStartPoint);
  return box;
}

void TvxDXFRay::AssignEntity(const TvxDXFEntity* source) {
  TvxDXFLine::AssignEntity(source);
  if (auto* src = dynamic_cast<const TvxDXFRay*>(source)) {
    FStartPoint = src->FStartPoint;
    FDirection = src->FDirection;
  }
}

void TvxDXFXline::ClipToView(const TFMatrix& m, const TvxIntRect& r) {
  FPoint1 = ClipRayEndToView(FStartPoint, FDirection, m, r);
  FPoint = ClipRayEndToView(FStartPoint, PtXScalar(FDirection, -1), m, r);
}

bool TvxDXFXline::ClipLine(const TFPoint& start, const TFPoint& dir, const TFRect& box,
                           TFRect& clipped) const {
  return ClipHalfLineToBox(start, dir, box, clipped) ||
         ClipHalfLineToBox(start, PtXScalar(dir, -1), box, clipped);
}

// ---- TvxDXFPoint ------------------------------------------------------------------------------

TFRect TvxDXFPoint::GetBox() {
  if (FPoints) return FPoints->Box;
  TFRect box = BadBox;
  ExpandBox(box, FPoint);
  if (FZThick != 0) ExpandBox(box, AddFPoint(FPoint, ThicknessVector()));
  return box;
}

void TvxDXFPoint::LoadData(TvxDXFConverter* conv) {
  TvxDXFPenLine::LoadData(conv);
  FPoints.reset();
  if (!conv) return;
  const TvxHeadVarStruct& head = conv->HeadVarStruct();
  int mode = head.PointDisplayMode;
  // points on the layer of dimension definition points are always plain dots
  if (TvxDXFLayer* layer = GetLayer(); layer && SameName(layer->GetName(), "DEFPOINTS")) mode = 0;
  if (mode <= 1) return;
  const TFMatrix ext = ExtrusionMat();
  const int parts = DrawingPartsInCircle(conv->NumberOfPartsInCircle());
  // A size of 0 or below is relative to the view: 0 is 5 % of its height, -n is n %.
  const double size = head.PointDisplaySize;
  const bool relative = !(size > 0);
  FPoints = std::make_unique<TvxPointShapes>(BuildPointShapes(
      FPoint, mode, relative ? 1.0 : size, FZThick, HasExtrusion() ? &ext : nullptr, parts));
  if (relative) {
    FPoints->Relative = size == 0 || !std::isfinite(size) ? 0.05 : std::min(-size, 100.0) / 100;
    FPoints->Centre = FPoint;
    FPoints->Box = BadBox;
    ExpandBox(FPoints->Box, FPoint);
    if (FZThick != 0) ExpandBox(FPoints->Box, AddFPoint(FPoint, ThicknessVector()));
  }
}

}  // namespace vx
