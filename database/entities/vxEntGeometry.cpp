#include "database/entities/vxEntGeometry.h"

#include "database/core/vxSettings.h"
#include "foundation/vxFunction.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace vx {

namespace {

double Reduce360(double a) {
  double r = std::fmod(a, 360.0);
  return r < 0 ? r + 360.0 : r;
}

// Plain Euclidean length; the library's VectorLength treats short vectors as zero, which would
// lose the direction of short but real segments.
double ExactLength(const TFPoint& v) { return std::sqrt(DotFPoint(v, v)); }

bool IsFinitePoint(const TFPoint& p) {
  return std::isfinite(p.X) && std::isfinite(p.Y) && std::isfinite(p.Z);
}

}  // namespace

// ---- circle family --------------------------------------------------------------------------

double ArcSweepDeg(double startDeg, double endDeg) {
  if (!std::isfinite(startDeg) || !std::isfinite(endDeg))
    return std::numeric_limits<double>::quiet_NaN();
  double sweep = Reduce360(Reduce360(endDeg) - Reduce360(startDeg));
  if (sweep <= Accuracy || 360.0 - sweep <= Accuracy) return 360.0;
  return sweep;
}

bool IsWholeTurn(double startDeg, double endDeg) {
  if (!std::isfinite(startDeg) || !std::isfinite(endDeg)) return false;
  double rest = Reduce360(Reduce360(endDeg) - Reduce360(startDeg));
  return rest <= Accuracy || 360.0 - rest <= Accuracy;
}

int CurvePartsCount(int n) {
  if (n <= 0) return cnstDefaultPartsInCircle;
  return std::min(n, cnstMaxPartsInCircle);
}

int DrawingPartsInCircle(int drawingParts) {
  return CurvePartsCount(drawingParts > 0 ? drawingParts : DefaultPartsInCircle());
}

TFPoint CurvePoint(const TFPoint& centre, const TvxCurveParams& p, double tRad) {
  double c = std::cos(tRad), s = std::sin(tRad);
  return {centre.X + p.RX * c * p.CosA - p.RY * s * p.SinA,
          centre.Y + p.RX * c * p.SinA + p.RY * s * p.CosA, centre.Z};
}

void TessellateCurve(const TFPoint& centre, const TvxCurveParams& p, int n, TFPointList& out) {
  n = CurvePartsCount(n);
  double start = p.Start * fPiDiv180, end = p.End * fPiDiv180;
  double step = (end - start) / n;
  int first = out.Count();
  out.Reserve(first + n + 1);
  for (int i = 0; i < n; ++i) out.Append(CurvePoint(centre, p, start + i * step));
  if (std::abs(p.End - p.Start - 360.0) <= Accuracy)
    out.Append(out[first]);  // a full turn closes exactly on its first point
  else
    out.Append(CurvePoint(centre, p, end));
}

void ThinCollinearPoints(TFPointList& pts, double mergeAngleDeg) {
  if (!(mergeAngleDeg > 0) || pts.Count() < 3) return;
  const double limit = 180.0 - mergeAngleDeg;
  std::vector<TFPoint>& v = pts.Vector();
  std::vector<TFPoint> kept;
  kept.reserve(v.size());
  kept.push_back(v.front());
  for (size_t j = 1; j + 1 < v.size(); ++j) {
    TFPoint a = SubFPoint(kept.back(), v[j]);
    TFPoint b = SubFPoint(v[j + 1], v[j]);
    double la = ExactLength(a), lb = ExactLength(b);
    double angle = 180.0;  // a repeated point bends nothing
    if (la > Accuracy && lb > Accuracy) {
      double c = std::clamp(DotFPoint(a, b) / (la * lb), -1.0, 1.0);
      angle = std::acos(c) * f180DivPi;
    }
    if (!(angle > limit)) kept.push_back(v[j]);
  }
  kept.push_back(v.back());
  v.swap(kept);
}

// ---- solids ---------------------------------------------------------------------------------

TvxSolidCorners ReduceSolidCorners(const TFPoint& p0, const TFPoint& p1, const TFPoint& p2,
                                   const TFPoint& p3) {
  TvxSolidCorners c;
  c.P[c.Count++] = p0;
  c.P[c.Count++] = p1;
  if (!IsEqualFPoints(p2, p1) && !IsEqualFPoints(p2, p0)) c.P[c.Count++] = p2;
  if (!IsEqualFPoints(p3, p0) && !IsEqualFPoints(p3, p2)) c.P[c.Count++] = p3;
  for (int i = c.Count; i < 4; ++i) c.P[i] = c.P[c.Count - 1];
  return c;
}

int ClassifySolidTriangles(const TvxSolidCorners& c) {
  const TFPoint& c0 = c.P[0];
  TFPoint n1 = CrossFPoint(SubFPoint(c.P[1], c0), SubFPoint(c.P[2], c0));
  TFPoint n2 = CrossFPoint(SubFPoint(c.P[2], c0), SubFPoint(c.P[3], c0));
  int flags = 0;
  if (VectorLength(n1) == 0)
    flags |= 0x40;
  else if (n1.Z < 0)
    flags |= 0x10;
  if (VectorLength(n2) == 0)
    flags |= 0x80;
  else if (n2.Z < 0)
    flags |= 0x20;
  return flags;
}

// ---- point markers --------------------------------------------------------------------------

TvxPointShapes BuildPointShapes(const TFPoint& point, int mode, double size, double thickness,
                                const TFMatrix* ext, int circleParts) {
  TvxPointShapes s;
  if (mode <= 1) return s;
  const double sz = std::abs(size) < 1e-6 ? 1.0 : size;
  auto at = [&](double dx, double dy) {
    TFPoint v{dx, dy, 0};
    if (ext) v = TransformVector(v, *ext);
    return AddFPoint(point, v);
  };
  switch (mode & 7) {
    case 0:
      s.Parts.push_back({point});
      break;
    case 2:
      s.Parts.push_back({at(0, sz), at(0, -sz)});
      s.Parts.push_back({at(sz, 0), at(-sz, 0)});
      break;
    case 3: {
      const double a = sz * 0.7071067811865476;
      s.Parts.push_back({at(a, a), at(-a, -a)});
      s.Parts.push_back({at(a, -a), at(-a, a)});
      break;
    }
    case 4:
      s.Parts.push_back({point, at(0, sz / 2)});
      break;
    default:  // 1 and the unused values leave the centre empty
      break;
  }
  if (mode & 32) {
    const int n = CurvePartsCount(circleParts);
    const double r = sz / 2;
    std::vector<TFPoint> ring;
    ring.reserve(static_cast<size_t>(n) + 1);
    for (int i = 0; i < n; ++i) {
      double t = 2 * fPi * i / n;
      ring.push_back(at(r * std::cos(t), r * std::sin(t)));
    }
    ring.push_back(ring.front());
    s.Parts.push_back(std::move(ring));
  }
  if (mode & 64) {
    const double h = sz / 2;
    s.Parts.push_back({at(-h, h), at(h, h), at(h, -h), at(-h, -h), at(-h, h)});
  }
  if (std::abs(thickness) > 1e-6) {
    TFPoint up{0, 0, thickness};
    if (ext) up = TransformVector(up, *ext);
    const size_t base = s.Parts.size();
    for (size_t i = 0; i < base; ++i) {
      std::vector<TFPoint> raised;
      raised.reserve(s.Parts[i].size());
      for (const TFPoint& p : s.Parts[i]) raised.push_back(AddFPoint(p, up));
      s.Parts.push_back(std::move(raised));
    }
  }
  for (const auto& part : s.Parts)
    for (const TFPoint& p : part) ExpandBox(s.Box, p);
  return s;
}

// ---- rays -----------------------------------------------------------------------------------

bool ClipHalfLineToBox(const TFPoint& start, const TFPoint& dir, const TFRect& box,
                       TFRect& clipped) {
  if (IsBadBox(box) || !IsFinitePoint(start) || !IsFinitePoint(dir)) return false;
  if (DotFPoint(dir, dir) == 0) return false;
  const double lo[3] = {box.Left - Accuracy, box.Bottom - Accuracy, box.Z1 - Accuracy};
  const double hi[3] = {box.Right + Accuracy, box.Top + Accuracy, box.Z2 + Accuracy};
  double t0 = 0, t1 = std::numeric_limits<double>::infinity();
  for (int a = 0; a < 3; ++a) {
    const double o = start.V(a), d = dir.V(a);
    if (d == 0) {
      if (o < lo[a] || o > hi[a]) return false;
      continue;
    }
    double ta = (lo[a] - o) / d, tb = (hi[a] - o) / d;
    if (ta > tb) std::swap(ta, tb);
    t0 = std::max(t0, ta);
    t1 = std::min(t1, tb);
    if (t0 > t1) return false;
  }
  if (!std::isfinite(t1)) return false;
  // The tolerance only decides whether they meet; the part itself never leaves the box, so
  // clipping again to a box grown by it does not grow the box further.
  auto inBox = [&](double t) {
    TFPoint p = AddFPoint(start, PtXScalar(dir, t));
    return TFPoint{std::clamp(p.X, box.Left, box.Right), std::clamp(p.Y, box.Bottom, box.Top),
                   std::clamp(p.Z, box.Z1, box.Z2)};
  };
  clipped = BadBox;
  ExpandBox(clipped, inBox(t0));
  ExpandBox(clipped, inBox(t1));
  return true;
}

TFPoint ClipRayEndToView(const TFPoint& start, const TFPoint& dir, const TFMatrix& m,
                         const TvxIntRect& r) {
  const TFPoint s0 = TransformPoint(start, m);
  const TFPoint d = SubFPoint(TransformPoint(AddFPoint(start, dir), m), s0);
  const double minX = std::min<double>(r.Left, s0.X), maxX = std::max<double>(r.Right, s0.X);
  const double minY = std::min<double>(r.Top, s0.Y), maxY = std::max<double>(r.Bottom, s0.Y);
  const double w = maxX - minX, h = maxY - minY;
  double k = w;
  if (d.X != 0)
    k = w / std::abs(d.X);
  else if (d.Y != 0)
    k = h / std::abs(d.Y);
  else if (d.Z != 0)
    k = w / std::abs(d.Z);
  auto endAt = [&](double f) { return AddFPoint(start, PtXScalar(dir, f)); };
  TFPoint e = TransformPoint(endAt(k), m);
  // Pull the end back onto the rectangle; each correction is exact because the device
  // displacement is linear in k. A flat rectangle or a flat displacement has nothing to correct.
  if (w > 0) {
    if (e.X > maxX)
      k *= 1 - (e.X - maxX) / w;
    else if (e.X < minX)
      k *= 1 - (minX - e.X) / w;
    e = TransformPoint(endAt(k), m);
  }
  if (e.Y > maxY && e.Y - s0.Y != 0)
    k *= 1 - (e.Y - maxY) / (e.Y - s0.Y);
  else if (e.Y < minY && s0.Y - e.Y != 0)
    k *= 1 - (minY - e.Y) / (s0.Y - e.Y);
  return endAt(k);
}

}  // namespace vx
