#include "database/entities/vxEntCurves.h"

#include "database/core/DXFConv.h"

#include <algorithm>
#include <cmath>

namespace vx {

namespace {

double Reduce360(double a) {
  double r = std::fmod(a, 360.0);
  return r < 0 ? r + 360.0 : r;
}


}  // namespace

// ---- TvxCADBasePolyline -----------------------------------------------------------------------

void TvxCADBasePolyline::ApplyThickness() {
  const double elevation = GetElevation();
  if ((FZThick == 0 && elevation == 0) || IsPolygonMesh()) return;
  TFPoint lift{0, 0, elevation}, up{0, 0, FZThick};
  if (HasExtrusion()) {
    const TFMatrix m = ExtrusionMat();
    lift = TransformVector(lift, m);
    up = TransformVector(up, m);
  }
  std::vector<TFPoint>& v = FPolyPoints.Vector();
  if (elevation != 0)
    for (TFPoint& p : v) p = AddFPoint(p, lift);
  if (FZThick != 0) {
    const size_t n = v.size();
    v.reserve(2 * n);
    for (size_t i = 0; i < n; ++i) v.push_back(AddFPoint(v[i], up));
  }
}

void TvxCADBasePolyline::SetClosed(bool v) {
  FFlags = v ? (FFlags | cnstPolyClosed) : (FFlags & ~cnstPolyClosed);
}

void TvxCADBasePolyline::SetIsPLinegen(bool v) {
  FFlags = v ? (FFlags | cnstPolyPLinegen) : (FFlags & ~cnstPolyPLinegen);
}

void TvxCADBasePolyline::UpdateBox() {
  // ExpandBox point by point, kept in registers: every curve runs this over all its points.
  TFRect b = BadBox;
  for (const TFPoint& p : FPolyPoints) {
    b.Left = std::min(b.Left, p.X);
    b.Right = std::max(b.Right, p.X);
    b.Bottom = std::min(b.Bottom, p.Y);
    b.Top = std::max(b.Top, p.Y);
    b.Z1 = std::min(b.Z1, p.Z);
    b.Z2 = std::max(b.Z2, p.Z);
  }
  FBox = b;
}

void TvxCADBasePolyline::BuildPoints() { FPolyPoints.Clear(); }

const TvxLines* TvxCADBasePolyline::EffectiveLines() const {
  const TvxDXFLineType* lt = GetLineType();
  if (!lt) return nullptr;
  // "BYLAYER" draws with the layer's pattern; "BYBLOCK" depends on the reference the entity is
  // drawn through, unknown while loading, so it counts as continuous here.
  if (SameName(lt->GetName(), "BYLAYER")) {
    const TvxDXFLayer* layer = GetLayer();
    return layer ? layer->GetLines() : nullptr;
  }
  if (SameName(lt->GetName(), "BYBLOCK")) return nullptr;
  return GetLines();
}

TFPoint TvxCADBasePolyline::GetPoints(int index) const {
  if (index < 0 || index >= FPolyPoints.Count()) return cnstFPointZero;
  return FPolyPoints[index];
}

void TvxCADBasePolyline::LoadData(TvxDXFConverter* conv) {
  FBox = BadBox;
  TvxDXFPenLine::LoadData(conv);  // layer "0" and line type "BYLAYER" when missing
  FFlags &= ~cnstPolyPatternPoints;

  // The pattern is shared by every entity of its line type, so the effective scale travels
  // as call parameters instead of being written into it; nothing needs restoring afterwards,
  // whatever a step throws.
  struct PatternScope {
    TvxCADBasePolyline* E;
    ~PatternScope() { E->FLoadLines = nullptr; }
  } scope{this};
  FLoadLines = EffectiveLines();
  FLoadParams = {};
  if (FLoadLines)
    FLoadParams = FLoadLines->Params(conv ? conv->LTScale() : 1.0, GetLineTypeScale());

  BuildPoints();
  // dash pieces are pairs; thinning would join pieces that belong apart
  if (GlobalSettings.MergeAngle > 0 && (FFlags & cnstPolyPatternPoints) == 0)
    ThinCollinearPoints(FPolyPoints, GlobalSettings.MergeAngle);
  ApplyThickness();
  UpdateBox();
}

void TvxCADBasePolyline::AssignEntity(const TvxDXFEntity* source) {
  TvxDXFPenLine::AssignEntity(source);
  auto* src = dynamic_cast<const TvxCADBasePolyline*>(source);
  if (!src || src == this) return;
  FFlags = src->FFlags;
  FPolyPoints.Vector() = src->FPolyPoints.Vector();
  FBox = src->FBox;
}

// ---- TvxDXFCircle -----------------------------------------------------------------------------

void TvxDXFCircle::SetRadius(double r) {
  if (r > Accuracy && std::isfinite(r)) FRadius = r;
}

double TvxDXFCircle::Area() const { return fPi * FRadius * FRadius; }

double TvxDXFCircle::Length() const { return 2 * fPi * FRadius; }

TvxCurveParams TvxDXFCircle::CurveParams() const { return {FRadius, FRadius, 1, 0, 0, 360}; }

TFPoint TvxDXFCircle::CurveToWorld(const TFPoint& p) const {
  return HasExtrusion() ? TransformPoint(p, ExtrusionMat()) : p;
}

void TvxDXFCircle::LoadData(TvxDXFConverter* conv) {
  FPolyPoints.Clear();
  FFlags |= cnstPolyPLinegen;
  const int parts = DrawingPartsInCircle(conv ? conv->NumberOfPartsInCircle() : 0);
  TessellateCurve(CurveCentre(), CurveParams(), parts, FPolyPoints);
  TvxCADBasePolyline::LoadData(conv);
}

void TvxCADBasePolyline::InsertThickDashes(const TvxDashCut& cut) {
  const TvxLines* lines = LoadPattern();
  if (FZThick == 0 || !lines || lines->IsSolid() || lines->SimpleElementsCount() <= 0) return;
  TvxLinesParams params = LoadPatternParams();
  params.MaxRepetitions = std::max(1, TvxLines::MaxRepetitions() / 8);
  TFPointList pieces;
  cut(*lines, params, pieces);
  if (pieces.Count() > 0) {
    FPolyPoints.Vector().swap(pieces.Vector());
    FFlags |= cnstPolyPatternPoints;
  }
}

void TvxDXFCircle::BuildPoints() {
  InsertThickDashes([this](const TvxLines& lines, const TvxLinesParams& params, TFPointList& pieces) {
    lines.Curve(FPolyPoints, pieces, GetClosed(), params);
  });
  if (HasExtrusion()) {
    const TFMatrix m = ExtrusionMat();
    for (TFPoint& p : FPolyPoints) p = TransformPoint(p, m);
  }
}

void TvxDXFCircle::AssignEntity(const TvxDXFEntity* source) {
  TvxCADBasePolyline::AssignEntity(source);
  if (auto* src = dynamic_cast<const TvxDXFCircle*>(source)) FRadius = src->FRadius;
}

// ---- TvxDXFArc --------------------------------------------------------------------------------

TFPoint TvxDXFArc::GetStartPoint() const {
  const double a = FStartAngle * fPiDiv180;
  return CurveToWorld(
      {FPoint.X + FRadius * std::cos(a), FPoint.Y + FRadius * std::sin(a), FPoint.Z});
}

TFPoint TvxDXFArc::GetEndPoint() const {
  const double a = FEndAngle * fPiDiv180;
  return CurveToWorld(
      {FPoint.X + FRadius * std::cos(a), FPoint.Y + FRadius * std::sin(a), FPoint.Z});
}

void TvxDXFArc::SetArc(const TvxArcR& a) {
  FPoint = a.Center;
  SetRadius(a.Radius);
  FStartAngle = a.AngleS;
  FEndAngle = a.AngleE;
}

double TvxDXFArc::Area() const {
  const double w = Sweep() * fPiDiv180;
  const double r2 = FRadius * FRadius;
  const double sector = r2 * w / 2;
  const double triangle = r2 * std::abs(std::sin(w)) / 2;
  return Sweep() > 180 ? sector + triangle : sector - triangle;
}

double TvxDXFArc::Length() const { return FRadius * Sweep() * fPiDiv180; }

double TvxDXFArc::Height() const {
  return FRadius * (1 - std::cos(Sweep() * fPiDiv180 / 2));
}

TvxCurveParams TvxDXFArc::CurveParams() const {
  TvxCurveParams p = TvxDXFCircle::CurveParams();
  p.Start = Reduce360(FStartAngle);
  p.End = p.Start + Sweep();
  return p;
}

void TvxDXFArc::AssignEntity(const TvxDXFEntity* source) {
  TvxDXFCircle::AssignEntity(source);
  if (auto* src = dynamic_cast<const TvxDXFArc*>(source)) {
    FStartAngle = src->FStartAngle;
    FEndAngle = src->FEndAngle;
  }
}

// ---- TvxDXFEllipse ----------------------------------------------------------------------------

TvxCurveParams TvxDXFEllipse::CurveParams() const {
  TvxCurveParams p = TvxDXFArc::CurveParams();
  p.RX = FRadius;
  p.RY = FRadius * FRatio;
  if (FRadius > 1e-10) {
    p.CosA = FRadPt.X / FRadius;
    p.SinA = FRadPt.Y / FRadius;
  } else {
    p.CosA = 0;
    p.SinA = 1;
  }
  return p;
}

TFPoint TvxDXFEllipse::GetStartPoint() const {
  const double t = Reduce360(FStartAngle) * fPiDiv180;
  // Before the first load an extruded ellipse is still in world coordinates.
  const bool inObject = HasExtrusion() && !FIsExtruded;
  const TFPoint normal = inObject ? cnstZOrtAxis : Normalize(GetExtrusion());
  const TFPoint minor = PtXScalar(CrossFPoint(normal, FRadPt), FRatio);
  TFPoint p = AddFPoint(FPoint, AddFPoint(PtXScalar(FRadPt, std::cos(t)),
                                          PtXScalar(minor, std::sin(t))));
  return inObject ? CurveToWorld(p) : p;
}

void TvxDXFEllipse::LoadData(TvxDXFConverter* conv) {
  if (FIsExtruded && HasExtrusion()) {
    FIsExtruded = false;
    const TFPoint n = Normalize(GetExtrusion());
    TFPoint ax, ay;
    ArbitraryAxis(n, ax, ay);
    auto toObject = [&](const TFPoint& p) {
      return TFPoint{DotFPoint(p, ax), DotFPoint(p, ay), DotFPoint(p, n)};
    };
    FPoint = toObject(FPoint);
    FRadPt = toObject(FRadPt);
  }
  FRadius = std::hypot(FRadPt.X, FRadPt.Y);
  TvxDXFArc::LoadData(conv);
}

void TvxDXFEllipse::AssignEntity(const TvxDXFEntity* source) {
  TvxDXFArc::AssignEntity(source);
  if (auto* src = dynamic_cast<const TvxDXFEllipse*>(source)) {
    FRadPt = src->FRadPt;
    FRatio = src->FRatio;
    // the copy's Point and RadPt are in the same coordinates as the source's
    FIsExtruded = src->FIsExtruded;
  }
}

}  // namespace vx
