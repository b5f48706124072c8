// Entity records: lines, points, rays, circles, arcs, ellipses, solids, traces, 3D faces,
// polylines with their vertices, lightweight polylines and splines.
#include "readers/dwg/objects/vxDWGKinds.h"
#include "readers/dwg/objects/vxDWGRecords.h"

#include "database/entities/vxEntities.h"
#include "database/entities/vxEntPolylines.h"
#include "database/entities/vxEntSplines.h"
#include "readers/dwg/stream/vxDWGErrors.h"
#include "readers/dwg/vxDWGReader.h"

#include <cmath>
#include <limits>
#include <numbers>

namespace vx {

namespace {

double FloatWidth(double w) {
  constexpr double maxF = std::numeric_limits<float>::max();
  if (!std::isfinite(w)) return 0;
  return static_cast<float>(std::clamp(w, -maxF, maxF));
}

// ---- rows -----------------------------------------------------------------------------------

constexpr TdwgFieldRow cnstLineRows[] = {
    {dcB, dvR2000, 0, 0, 0, 0, rfCond},  // 1: Z values are zero
    {dcRD, dvR2000, 10},
    {dcDD, dvR2000, 11, 10},
    {dcRD, dvR2000, 20},
    {dcDD, dvR2000, 21, 20},
    {dcRD, dvR2000, 30, 0, 0, 1},
    {dcDD, dvR2000, 31, 30, 0, 1},
    {dc3BD, dvR13R14, 10},
    {dc3BD, dvR13R14, 11},
    {dcBT, dvAll, 39},
    {dcBE, dvAll, 210},
};

constexpr TdwgFieldRow cnstPointRows[] = {
    {dc3BD, dvAll, 10},
    {dcBT, dvAll, 39},
    {dcBE, dvAll, 210},
    {dcBD, dvAll, 0},  // X-axis angle
};

constexpr TdwgFieldRow cnstRayRows[] = {
    {dc3BD, dvAll, 10},
    {dc3BD, dvAll, 11},
};

constexpr TdwgFieldRow cnstCircleRows[] = {
    {dc3BD, dvAll, 10},
    {dcBD, dvAll, 40},
    {dcBT, dvAll, 39},
    {dcBE, dvAll, 210},
};

constexpr TdwgFieldRow cnstArcRows[] = {
    {dc3BD, dvAll, 10},
    {dcBD, dvAll, 40},
    {dcBT, dvAll, 39},
    {dcBE, dvAll, 210},
    {dcBD, dvAll, 50, 0, 0, 0, rfDegrees},
    {dcBD, dvAll, 51, 0, 0, 0, rfDegrees},
};

constexpr TdwgFieldRow cnstEllipseRows[] = {
    {dc3BD, dvAll, 10},
    {dc3BD, dvAll, 11},
    {dc3BD, dvAll, 210},
    {dcBD, dvAll, 40},
    {dcBD, dvAll, 50, 0, 0, 0, rfDegrees},  // start parameter
    {dcBD, dvAll, 51, 0, 0, 0, rfDegrees},  // end parameter
};

constexpr TdwgFieldRow cnstSolidRows[] = {
    {dcBT, dvAll, 39},
    {dcBD, dvAll, 38},
    {dc2RD, dvAll, 10, 0, 0, 0, rfXY},
    {dc2RD, dvAll, 11, 0, 0, 0, rfXY},
    {dc2RD, dvAll, 12, 0, 0, 0, rfXY},
    {dc2RD, dvAll, 13, 0, 0, 0, rfXY},
    {dcBE, dvAll, 210},
};

constexpr TdwgFieldRow cnst3DFaceRows[] = {
    {dcB, dvR2000, 0, 0, 0, 0, rfNone, &TdwgSolid::Read3DFace},
    {dc3BD, dvR13R14, 10},
    {dc3BD, dvR13R14, 11},
    {dc3BD, dvR13R14, 12},
    {dc3BD, dvR13R14, 13},
    {dcBS, dvR13R14, 70},
};

constexpr TdwgFieldRow cnstPolyline2DRows[] = {
    {dcBS, dvAll, 70},
    {dcBS, dvAll, 75},  // curve type
    {dcBD, dvAll, 40},
    {dcBD, dvAll, 41},
    {dcBT, dvAll, 39},
    {dcBD, dvAll, 30},  // elevation
    {dcBE, dvAll, 210},
    {dcBL, dvR2004, 0, 0, 0, 0, rfNone, &TdwgPolyline::ReadOwnedCount},
};

constexpr TdwgFieldRow cnstPolyline3DRows[] = {
    {dcRC, dvAll, 0},   // spline flags
    {dcRC, dvAll, 71},  // bit 0: closed
    {dcBL, dvR2004, 0, 0, 0, 0, rfNone, &TdwgPolyline::ReadOwnedCount},
};

constexpr TdwgFieldRow cnstPFaceRows[] = {
    {dcBS, dvAll, 71},  // vertices
    {dcBS, dvAll, 72},  // faces
    {dcBL, dvR2004, 0, 0, 0, 0, rfNone, &TdwgPolyline::ReadOwnedCount},
};

constexpr TdwgFieldRow cnstPolyMeshRows[] = {
    {dcBS, dvAll, 70},
    {dcBS, dvAll, 75},
    {dcBS, dvAll, 71},  // M
    {dcBS, dvAll, 72},  // N
    {dcBS, dvAll, 73},  // M density
    {dcBS, dvAll, 74},  // N density
    {dcBL, dvR2004, 0, 0, 0, 0, rfNone, &TdwgPolyline::ReadOwnedCount},
};

constexpr TdwgFieldRow cnstPolylineHandles[] = {
    {dcH, dvAll, 0, 0, 0, 0, rfNone, &TdwgPolyline::ReadVertexHandles},
    {dcH, dvAll, 0},  // the end marker
};

constexpr TdwgFieldRow cnstVertex2DRows[] = {
    {dcRC, dvAll, 70},
    {dc3BD, dvAll, 10},
    {dcBD, dvAll, 0, 0, 0, 0, rfNone, &TdwgVertex::ReadWidths},
    {dcBD, dvAll, 42},
    {dcBL, dvR2010, 0},  // vertex id
    {dcBD, dvAll, 50},   // tangent direction
};

constexpr TdwgFieldRow cnstVertexRows[] = {
    {dcRC, dvAll, 70},
    {dc3BD, dvAll, 10},
};

constexpr TdwgFieldRow cnstFaceRows[] = {
    {dcBS, dvAll, 71},
    {dcBS, dvAll, 72},
    {dcBS, dvAll, 73},
    {dcBS, dvAll, 74},
};

constexpr TdwgFieldRow cnstLWPlineRows[] = {
    {dcBS, dvAll, 0, 0, 0, 0, rfNone, &TdwgLWPline::ReadBody},
};

constexpr TdwgFieldRow cnstSplineRows[] = {
    {dcBS, dvAll, 0, 0, 0, 0, rfNone, &TdwgSpline::ReadBody},
};

}  // namespace

// ---- lines ----------------------------------------------------------------------------------

void TdwgLine::Apply(TdwgReader& r) {
  if (auto* ray = dynamic_cast<TvxDXFRay*>(FItem)) {
    ray->SetStartPoint(F.Points[0]);
    ray->SetDirection(F.Points[1]);
    return;
  }
  auto* e = dynamic_cast<TvxDXFPenLine*>(FItem);
  if (!e) return;
  e->SetPoint(F.Points[0]);
  e->SetExtrusion(F.Extrusion);
  e->SetZThick(F.Thickness);
  if (auto* line = dynamic_cast<TvxDXFLine*>(FItem)) line->SetPoint1(F.Points[1]);
}

// ---- curves ---------------------------------------------------------------------------------

TdwgCircle::TdwgCircle() { F.Floats[11] = 360; }

void TdwgCircle::Apply(TdwgReader& r) {
  auto* e = dynamic_cast<TvxDXFCircle*>(FItem);
  if (!e) return;
  e->SetExtrusion(F.Extrusion);
  e->SetZThick(F.Thickness);
  e->SetPoint(F.Points[0]);
  if (auto* ellipse = dynamic_cast<TvxDXFEllipse*>(FItem)) {
    ellipse->SetRadPt(F.Points[1]);
    ellipse->SetRatio(F.Floats[0]);
    ellipse->SetStartAngle(F.Floats[10]);
    ellipse->SetEndAngle(F.Floats[11]);
    return;
  }
  e->SetRadius(F.Floats[0]);  // 0 keeps the new circle's radius 0: a point
  if (auto* arc = dynamic_cast<TvxDXFArc*>(FItem)) {
    arc->SetStartAngle(F.Floats[10]);
    arc->SetEndAngle(F.Floats[11]);
  }
}

// ---- solids ---------------------------------------------------------------------------------

void TdwgSolid::Read3DFace(TdwgObject& o, TdwgReader& r, TdwgStreams& s) {
  TvxBitCursor& d = s.Dat;
  const bool noFlags = ReadBit(d) != 0;
  const bool zIsZero = ReadBit(d) != 0;
  TFPoint p = Read2RD(d);
  if (!zIsZero) p.Z = ReadRD(d);
  o.F.Points[0] = p;
  for (int i = 1; i < 4; ++i) {
    p.X = ReadDD(d, p.X);
    p.Y = ReadDD(d, p.Y);
    p.Z = ReadDD(d, p.Z);
    o.F.Points[size_t(i)] = p;
  }
  if (!noFlags) o.F.Ints[10] = ReadBS(d);
}

void TdwgSolid::Apply(TdwgReader& r) {
  auto* e = dynamic_cast<TvxDXFSolid*>(FItem);
  if (!e) return;
  const bool face = dynamic_cast<TvxDXF3dFace*>(FItem) != nullptr;
  TFPoint p[4];
  for (int i = 0; i < 4; ++i) {
    p[i] = F.Points[size_t(i)];
    if (!face) p[i].Z = F.Elevation;  // solids and traces lie at their elevation
  }
  e->SetPoint(p[0]);
  e->SetPoint1(p[1]);
  e->SetPoint2(p[2]);
  e->SetPoint3(p[3]);
  e->SetExtrusion(F.Extrusion);
  e->SetZThick(F.Thickness);
  if (face) e->SetFlags(int(F.Ints[10]));
}

// ---- polylines ------------------------------------------------------------------------------

void TdwgPolyline::ReadOwnedCount(TdwgObject& o, TdwgReader& r, TdwgStreams& s) {
  o.FSubEnts = ReadBL(s.Dat);
}

void TdwgPolyline::ReadVertexHandles(TdwgObject& o, TdwgReader& r, TdwgStreams& s) {
  o.ReadOwnedHandles(r, true);
}

void TdwgPolyline::Apply(TdwgReader& r) {
  auto* e = dynamic_cast<TvxDXFPolyline*>(FItem);
  if (!e) return;
  e->SetExtrusion(F.Extrusion);
  e->SetZThick(F.Thickness);
  switch (FCode) {
    case 15:  // 2D: the closed flag is bit 0 of the BS flags
      e->SetFlags(int(F.Ints[10]));
      e->SetStartWidth(FloatWidth(F.Floats[0]));
      e->SetEndWidth(FloatWidth(F.Floats[1]));
      e->SetPoint({0, 0, F.Points[0].Z});
      break;
    case 16:
      e->SetFlags(8 | int(F.Ints[11] & 1));
      e->SetPolyline3D(true);
      break;
    case 29:
      e->SetFlags(64);
      e->SetMeshM(int(F.Ints[11]));
      e->SetMeshN(int(F.Ints[12]));
      break;
    case 30:
      e->SetFlags(16 | int(F.Ints[10]));
      e->SetMeshM(int(F.Ints[13] ? F.Ints[13] : F.Ints[11]));
      e->SetMeshN(int(F.Ints[14] ? F.Ints[14] : F.Ints[12]));
      break;
    default: break;
  }
}

void TdwgVertex::ReadWidths(TdwgObject& o, TdwgReader& r, TdwgStreams& s) {
  const double start = ReadBD(s.Dat);
  if (start < 0) {
    o.F.Floats[0] = o.F.Floats[1] = -start;
  } else {
    o.F.Floats[0] = start;
    o.F.Floats[1] = ReadBD(s.Dat);
  }
}

void TdwgVertex::Apply(TdwgReader& r) {
  auto* v = dynamic_cast<TvxDXFVertex*>(FItem);
  if (!v) return;
  if (FCode == 14) {
    v->SetFlags(128);
    for (int i = 0; i < 4; ++i) v->SetPolyFaceVertexIndex(i, int(int16_t(F.Ints[size_t(11 + i)])));
    return;
  }
  v->SetFlags(int(F.Ints[10]));
  v->SetPoint(F.Points[0]);
  v->SetStartWidth(FloatWidth(F.Floats[0]));
  v->SetEndWidth(FloatWidth(F.Floats[1]));
  v->SetBulge(std::isfinite(F.Floats[2]) ? F.Floats[2] : 0);
}

// ---- lightweight polylines ------------------------------------------------------------------

void TdwgLWPline::ReadBody(TdwgObject& o, TdwgReader& r, TdwgStreams& s) {
  auto& self = static_cast<TdwgLWPline&>(o);
  TvxBitCursor& d = s.Dat;
  const unsigned flags = ReadBS(d);
  self.FFlags = flags;
  if (flags & 4) o.F.Floats[3] = ReadBD(d);   // constant width
  if (flags & 8) o.F.Elevation = ReadBD(d);
  if (flags & 2) o.F.Thickness = ReadBD(d);
  if (flags & 1) o.F.Extrusion = Read3BD(d);
  const uint32_t points = DWGCounted(d, ReadBL(d), 4);
  const uint32_t bulges = (flags & 16) ? DWGCounted(d, ReadBL(d), 2) : 0;
  const uint32_t ids = (flags & 1024) ? DWGCounted(d, ReadBL(d), 2) : 0;  // 2010+: vertex ids
  const uint32_t widths = (flags & 32) ? DWGCounted(d, ReadBL(d), 4) : 0;
  self.FPoints.reserve(points);
  TFPoint p;
  for (uint32_t i = 0; i < points && !d.Failed; ++i) {
    if (i == 0 || r.Version < acR2000) {
      p = Read2RD(d);
    } else {
      p.X = ReadDD(d, p.X);
      p.Y = ReadDD(d, p.Y);
    }
    self.FPoints.push_back(p);
  }
  self.FBulges.reserve(bulges);
  for (uint32_t i = 0; i < bulges && !d.Failed; ++i) self.FBulges.push_back(ReadBD(d));
  for (uint32_t i = 0; i < ids && !d.Failed; ++i) ReadBL(d);
  self.FWidths.reserve(widths);
  for (uint32_t i = 0; i < widths && !d.Failed; ++i) {
    const double a = ReadBD(d);
    self.FWidths.push_back({a, ReadBD(d)});
  }
}

void TdwgLWPline::Apply(TdwgReader& r) {
  auto* e = dynamic_cast<TvxDXFPolyline*>(FItem);
  if (!e) return;
  int flags = (FFlags & 512) ? 1 : 0;
  if (FFlags & 256) flags |= 128;
  e->SetFlags(flags);
  e->SetExtrusion(F.Extrusion);
  e->SetZThick(F.Thickness);
  e->SetGlobalWidth(FloatWidth(F.Floats[3]));
  for (size_t i = 0; i < FPoints.size(); ++i) {
    auto* v = new TvxDXFVertex();
    v->SetPoint({FPoints[i].X, FPoints[i].Y, 0});
    if (i < FBulges.size()) v->SetBulge(std::isfinite(FBulges[i]) ? FBulges[i] : 0);
    if (i < FWidths.size()) {
      v->SetStartWidth(FloatWidth(FWidths[i].first));
      v->SetEndWidth(FloatWidth(FWidths[i].second));
    }
    if (e->AddEntity(v) < 0) v->Free();
  }
  e->SetPoint({0, 0, F.Elevation});
}

// ---- splines --------------------------------------------------------------------------------

void TdwgSpline::ReadBody(TdwgObject& o, TdwgReader& r, TdwgStreams& s) {
  auto& self = static_cast<TdwgSpline&>(o);
  TvxBitCursor& d = s.Dat;
  unsigned scenario = ReadBS(d);
  if (r.Version >= acR2013) {
    ReadBL(d);  // spline flags
    if (ReadBL(d) != 15) ++scenario;  // the knot parameter
  }
  o.F.Ints[11] = ReadBS(d);  // degree
  uint32_t fit = 0, knots = 0, controls = 0;
  bool weights = false;
  if (scenario & 2) {
    ReadBD(d);  // fit tolerance
    o.F.Points[2] = Read3BD(d);
    o.F.Points[3] = Read3BD(d);
    fit = DWGCounted(d, ReadBL(d), 6);
  }
  if (scenario & 1) {
    if (ReadBit(d)) self.FFlags |= 4;  // rational
    if (ReadBit(d)) self.FFlags |= 1;  // closed
    if (ReadBit(d)) self.FFlags |= 2;  // periodic
    ReadBD(d);  // knot tolerance
    ReadBD(d);  // control tolerance
    knots = DWGCounted(d, ReadBL(d), 2);
    controls = DWGCounted(d, ReadBL(d), 6);
    weights = ReadBit(d) != 0;
  }
  for (uint32_t i = 0; i < knots && !d.Failed; ++i) self.FKnots.push_back(ReadBD(d));
  for (uint32_t i = 0; i < controls && !d.Failed; ++i) {
    self.FControls.push_back(Read3BD(d));
    if (weights) self.FWeights.push_back(ReadBD(d));
  }
  for (uint32_t i = 0; i < fit && !d.Failed; ++i) self.FFit.push_back(Read3BD(d));
}

void TdwgSpline::Apply(TdwgReader& r) {
  auto* e = dynamic_cast<TvxDXFSpline*>(FItem);
  if (!e) return;
  e->SetFlags(FFlags | 8);  // planar
  e->SetDegree(int(F.Ints[11]));
  e->SetBeginningTangent(F.Points[2]);
  e->SetEndingTangent(F.Points[3]);
  for (double k : FKnots) e->AddKnot(k);
  for (const TFPoint& p : FControls) e->AddControl(p);
  for (double w : FWeights) e->AddWeight(w);
  for (const TFPoint& p : FFit) e->AddFit(p);
}

// ---- kinds ----------------------------------------------------------------------------------

void AddDWGEntityKinds(TdwgKindTable& t) {
  t[19] = Kind("LINE", Reader<TdwgLine>, Item<TvxDXFLine>, cnstLineRows);
  t[27] = Kind("POINT", Reader<TdwgLine>, Item<TvxDXFPoint>, cnstPointRows);
  t[40] = Kind("RAY", Reader<TdwgLine>, Item<TvxDXFRay>, cnstRayRows);
  t[41] = Kind("XLINE", Reader<TdwgLine>, Item<TvxDXFXline>, cnstRayRows);
  t[18] = Kind("CIRCLE", Reader<TdwgCircle>, Item<TvxDXFCircle>, cnstCircleRows);
  t[17] = Kind("ARC", Reader<TdwgCircle>, Item<TvxDXFArc>, cnstArcRows);
  t[35] = Kind("ELLIPSE", Reader<TdwgCircle>, Item<TvxDXFEllipse>, cnstEllipseRows);
  t[31] = Kind("SOLID", Reader<TdwgSolid>, Item<TvxDXFSolid>, cnstSolidRows);
  t[32] = Kind("TRACE", Reader<TdwgSolid>, Item<TvxDXFTrace>, cnstSolidRows);
  t[28] = Kind("3DFACE", Reader<TdwgSolid>, Item<TvxDXF3dFace>, cnst3DFaceRows);
  t[15] = Kind("POLYLINE_2D", Reader<TdwgPolyline>, Item<TvxDXFPolyline>, cnstPolyline2DRows, cnstPolylineHandles);
  t[16] = Kind("POLYLINE_3D", Reader<TdwgPolyline>, Item<TvxDXFPolyline>, cnstPolyline3DRows, cnstPolylineHandles);
  t[29] = Kind("POLYLINE_PFACE", Reader<TdwgPolyline>, Item<TvxDXFPolyline>, cnstPFaceRows, cnstPolylineHandles);
  t[30] = Kind("POLYLINE_MESH", Reader<TdwgPolyline>, Item<TvxDXFPolyline>, cnstPolyMeshRows, cnstPolylineHandles);
  t[10] = Kind("VERTEX_2D", Reader<TdwgVertex>, Item<TvxDXFVertex>, cnstVertex2DRows);
  t[11] = Kind("VERTEX_3D", Reader<TdwgVertex>, Item<TvxDXFVertex>, cnstVertexRows);
  t[12] = Kind("VERTEX_MESH", Reader<TdwgVertex>, Item<TvxDXFVertex>, cnstVertexRows);
  t[13] = Kind("VERTEX_PFACE", Reader<TdwgVertex>, Item<TvxDXFVertex>, cnstVertexRows);
  t[14] = Kind("VERTEX_PFACE_FACE", Reader<TdwgVertex>, Item<TvxDXFVertex>, cnstFaceRows);
  t[77] = Kind("LWPOLYLINE", Reader<TdwgLWPline>, Item<TvxDXFLWPolyline>, cnstLWPlineRows);
  t[36] = Kind("SPLINE", Reader<TdwgSpline>, Item<TvxDXFSpline>, cnstSplineRows);
  t[5] = Kind("ENDBLK", Reader<TdwgUndefinedEntity>, nullptr, {});
  t[6] = Kind("SEQEND", Reader<TdwgUndefinedEntity>, nullptr, {});
}

}  // namespace vx
