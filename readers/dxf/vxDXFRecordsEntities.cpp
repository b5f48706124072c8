// Entity record readers: what each entity record takes from its pairs.
#include "readers/dxf/vxDXFRecordsEntities.h"

#include "database/entities/vxEntities.h"
#include "database/entities/vxEntPolylines.h"
#include "database/entities/vxEntSplines.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

namespace vx {

namespace {

// Polyline widths are kept as single-precision values in the file format.
double FloatWidth(double w) {
  constexpr double maxF = std::numeric_limits<float>::max();
  if (!std::isfinite(w)) return 0;
  return static_cast<float>(std::clamp(w, -maxF, maxF));
}

}  // namespace

// ---- pen lines ------------------------------------------------------------------------------

void TdxfPenLine::Commit(TdxfLoader& r) {
  TdxfEntity::Commit(r);
  auto* e = dynamic_cast<TvxDXFPenLine*>(FEnt);
  if (!e) return;
  e->SetPoint(FPoints[0]);
  e->SetExtrusion(FExtrusion);
  e->SetZThick(FZThick);
}

void TdxfLine::Commit(TdxfLoader& r) {
  TdxfPenLine::Commit(r);
  if (auto* e = dynamic_cast<TvxDXFLine*>(FEnt)) e->SetPoint1(FPoints[1]);
}

void TdxfSolid::Commit(TdxfLoader& r) {
  TdxfLine::Commit(r);
  auto* e = dynamic_cast<TvxDXFSolid*>(FEnt);
  if (!e) return;
  e->SetPoint2(FPoints[2]);
  e->SetPoint3(FPoints[3]);
  if (auto* face = dynamic_cast<TvxDXF3dFace*>(e)) face->SetFlags(FInts[10]);
}

void TdxfRay::Commit(TdxfLoader& r) {
  TdxfEntity::Commit(r);
  auto* e = dynamic_cast<TvxDXFRay*>(FEnt);
  if (!e) return;
  e->SetStartPoint(FPoints[0]);
  e->SetDirection(FPoints[1]);
}

// ---- curves ---------------------------------------------------------------------------------

void TdxfBasePolyLine::Commit(TdxfLoader& r) {
  TdxfEntity::Commit(r);
  auto* e = dynamic_cast<TvxCADBasePolyline*>(FEnt);
  if (!e) return;
  e->SetExtrusion(FExtrusion);
  e->SetZThick(FZThick);
  e->SetFlags(FInts[10]);
}

void TdxfCircle::Commit(TdxfLoader& r) {
  TdxfBasePolyLine::Commit(r);
  auto* e = dynamic_cast<TvxDXFCircle*>(FEnt);
  if (!e) return;
  e->SetPoint(FPoints[0]);
  // A radius of 0 (or none that is a number) leaves the circle at its centre: it draws as a point.
  e->SetRadius(FFloats[0]);
}

void TdxfArc::Commit(TdxfLoader& r) {
  TdxfCircle::Commit(r);
  auto* e = dynamic_cast<TvxDXFArc*>(FEnt);
  if (!e) return;
  e->SetStartAngle(FFloats[10]);
  e->SetEndAngle(FFloats[11]);
}

TdxfEllipse::TdxfEllipse() { FFloats[2] = 2 * std::numbers::pi; }

void TdxfEllipse::Commit(TdxfLoader& r) {
  // The parameters (radians) become the arc's angles (degrees).
  FFloats[10] = FFloats[1] * 180 / std::numbers::pi;
  FFloats[11] = FFloats[2] * 180 / std::numbers::pi;
  TdxfArc::Commit(r);
  auto* e = dynamic_cast<TvxDXFEllipse*>(FEnt);
  if (!e) return;
  e->SetRadPt(FPoints[1]);
  e->SetRatio(FFloats[0]);
}

// ---- polylines ------------------------------------------------------------------------------

void TdxfPolyLine::Commit(TdxfLoader& r) {
  TdxfBasePolyLine::Commit(r);
  auto* e = dynamic_cast<TvxDXFPolyline*>(FEnt);
  if (!e) return;
  e->SetStartWidth(FloatWidth(FFloats[0]));
  e->SetEndWidth(FloatWidth(FFloats[1]));
  e->SetGlobalWidth(FloatWidth(FFloats[3]));
  if (FInts[13] != 0) FInts[11] = FInts[13];
  if (FInts[14] != 0) FInts[12] = FInts[14];
  e->SetMeshM(FInts[11]);
  e->SetMeshN(FInts[12]);
  e->SetPoint({0, 0, FPoints[0].Z});
  // Vertices and a "SEQEND" always follow a polyline, whether or not 66 says so.
  FComplex = true;
}

void TdxfVertex::ReadProperty(TdxfLoader& r) {
  const int code = r.Tok.Code();
  if (code >= 71 && code <= 74) {
    if (auto* v = dynamic_cast<TvxDXFVertex*>(FEnt)) v->SetPolyFaceVertexIndex(code - 71, r.Tok.IntValue());
    return;
  }
  TdxfEntity::ReadProperty(r);
}

void TdxfVertex::Commit(TdxfLoader& r) {
  TdxfEntity::Commit(r);
  FComplex = false;
  auto* v = dynamic_cast<TvxDXFVertex*>(FEnt);
  if (!v) return;
  v->SetFlags(FInts[10]);
  v->SetPoint(FPoints[0]);
  v->SetStartWidth(FloatWidth(FFloats[0]));
  v->SetEndWidth(FloatWidth(FFloats[1]));
  v->SetBulge(std::isfinite(FFloats[2]) ? FFloats[2] : 0);
}

void TdxfLWPline::AddVertex() {
  auto* e = dynamic_cast<TvxDXFPolyline*>(FEnt);
  if (!e) return;
  auto* v = new TvxDXFVertex();
  v->SetPoint({FPoints[0].X, FPoints[0].Y, 0});
  v->SetStartWidth(FloatWidth(FFloats[0]));
  v->SetEndWidth(FloatWidth(FFloats[1]));
  v->SetBulge(std::isfinite(FFloats[2]) ? FFloats[2] : 0);
  if (e->AddEntity(v) < 0) v->Free();
  FFloats[0] = FFloats[1] = FFloats[2] = 0;
}

void TdxfLWPline::ReadProperty(TdxfLoader& r) {
  if (r.Tok.Code() == 10) {
    if (FHasPoint) AddVertex();
    FHasPoint = true;
  }
  TdxfPolyLine::ReadProperty(r);
}

void TdxfLWPline::Commit(TdxfLoader& r) {
  if (FHasPoint) AddVertex();
  FHasPoint = false;
  TdxfPolyLine::Commit(r);
  FComplex = false;
  if (auto* e = dynamic_cast<TvxDXFPolyline*>(FEnt)) e->SetPoint({0, 0, FElevation});
}

// ---- splines --------------------------------------------------------------------------------

void TdxfSpline::FlushPoints() {
  auto* e = dynamic_cast<TvxDXFSpline*>(FEnt);
  if (e && FHasControl) e->AddControl(FPoints[0]);
  if (e && FHasFit) e->AddFit(FPoints[1]);
  FHasControl = FHasFit = false;
}

void TdxfSpline::ReadProperty(TdxfLoader& r) {
  auto* e = dynamic_cast<TvxDXFSpline*>(FEnt);
  switch (r.Tok.Code()) {
    case 10:
      if (FHasControl && e) e->AddControl(FPoints[0]);
      FPoints[0] = {};
      FHasControl = true;
      break;
    case 11:
      if (FHasFit && e) e->AddFit(FPoints[1]);
      FPoints[1] = {};
      FHasFit = true;
      break;
    case 40:
      if (e) e->AddKnot(r.Tok.FloatValue());
      return;
    case 41:
      if (e) e->AddWeight(r.Tok.FloatValue());
      return;
    default: break;
  }
  TdxfBasePolyLine::ReadProperty(r);
}

void TdxfSpline::Commit(TdxfLoader& r) {
  FlushPoints();
  TdxfBasePolyLine::Commit(r);
  auto* e = dynamic_cast<TvxDXFSpline*>(FEnt);
  if (!e) return;
  e->SetBeginningTangent(FPoints[2]);
  e->SetEndingTangent(FPoints[3]);
  e->SetDegree(FInts[11]);
}

void TdxfHelix::ReadProperty(TdxfLoader& r) {
  TdxfReader& t = r.Tok;
  if (!FInHelix) {
    if (t.Code() == 100 && DXFTrim(t.Value()) == "AcDbHelix") {
      FlushPoints();
      FInHelix = true;
      return;
    }
    TdxfSpline::ReadProperty(r);
    return;
  }
  switch (t.Code()) {
    case 40: FRadius = t.FloatValue(); return;
    case 290: FHandedness = t.IntValue() != 0; return;
    default: TdxfBasePolyLine::ReadProperty(r); return;  // no more spline points
  }
}

void TdxfHelix::Commit(TdxfLoader& r) {
  // The axis and start points are the helix's own; the spline's points were flushed.
  const TFPoint axisBase = FPoints[0], start = FPoints[1];
  if (FInHelix) FPoints[2] = FPoints[3] = {};
  TdxfSpline::Commit(r);
  auto* e = dynamic_cast<TvxCADHelix*>(FEnt);
  if (!e) return;
  e->SetPoint(axisBase);
  e->SetStartPoint(start);
  e->SetRadius(FRadius);
  e->SetClockwise(!FHandedness);
  e->SetTurns(FFloats[1]);
  e->SetTurnHeight(FFloats[2]);
}

}  // namespace vx
