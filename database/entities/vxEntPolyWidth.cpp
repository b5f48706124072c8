#include "database/entities/vxEntPolyWidth.h"

#include <algorithm>
#include <cmath>

namespace vx {

namespace {

// A quad by sides, in the direction of travel: R on the right-hand side, L on the left.
struct Quad {
  TFPoint R0, R1, L1, L0;
  bool LeftFirst = false;  // output order L0, L1, R1, R0 (counter-clockwise arc pieces)
};

bool Finite(const TFPoint& p) {
  return std::isfinite(p.X) && std::isfinite(p.Y) && std::isfinite(p.Z);
}

TFPoint Offset(const TFPoint& p, double nx, double ny, double h) {
  return {p.X + nx * h, p.Y + ny * h, p.Z};
}

// Crossing of the lines a0-a1 and b0-b1 in XY; false when they are parallel.
bool CrossLines(const TFPoint& a0, const TFPoint& a1, const TFPoint& b0, const TFPoint& b1,
                TFPoint& x) {
  const double dax = a1.X - a0.X, day = a1.Y - a0.Y;
  const double dbx = b1.X - b0.X, dby = b1.Y - b0.Y;
  const double m = dax * dby - day * dbx;
  if (std::fabs(m) <= 1e-15) return false;
  const double s = ((b0.X - a0.X) * dby - (b0.Y - a0.Y) * dbx) / m;
  x = {a0.X + s * dax, a0.Y + s * day, a1.Z};
  return Finite(x);
}

double TurnDeg(const TFPoint& a0, const TFPoint& a1, const TFPoint& b0, const TFPoint& b1) {
  const double dax = a1.X - a0.X, day = a1.Y - a0.Y;
  const double dbx = b1.X - b0.X, dby = b1.Y - b0.Y;
  const double la = std::hypot(dax, day), lb = std::hypot(dbx, dby);
  if (la <= 0 || lb <= 0) return 0;
  const double c = std::clamp((dax * dbx + day * dby) / (la * lb), -1.0, 1.0);
  return std::acos(c) * f180DivPi;
}

double Dist2D(const TFPoint& a, const TFPoint& b) { return std::hypot(a.X - b.X, a.Y - b.Y); }

// Fraction of the way along the segment at which p lies (0 at its start, 1 at its end).
double Fraction(const TvxWidthSegment& s, const TFPoint& p) {
  const TFPoint& a = s.Points.front();
  const TFPoint& b = s.Points.back();
  if (s.IsArc) {
    const double a0 = std::atan2(a.Y - s.Centre.Y, a.X - s.Centre.X);
    double sweep = 0, at = 0;
    // Sweep and position measured in the direction of travel.
    auto along = [&](const TFPoint& q) {
      double d = std::atan2(q.Y - s.Centre.Y, q.X - s.Centre.X) - a0;
      if (!s.CounterClockwise) d = -d;
      while (d < -1e-12) d += 2 * fPi;
      return d;
    };
    sweep = along(b);
    if (sweep <= 1e-12) sweep = 2 * fPi;
    at = along(p);
    return std::clamp(at / sweep, 0.0, 1.0);
  }
  const double dx = b.X - a.X, dy = b.Y - a.Y, dz = b.Z - a.Z;
  const double l2 = dx * dx + dy * dy + dz * dz;
  if (l2 <= 0) return 0;
  return std::clamp(((p.X - a.X) * dx + (p.Y - a.Y) * dy + (p.Z - a.Z) * dz) / l2, 0.0, 1.0);
}

// The quads of one segment, in order.
std::vector<Quad> SegmentQuads(const TvxWidthSegment& s, const TvxWidthOutlineParams& params,
                               bool dashed) {
  std::vector<Quad> quads;
  if (s.Points.size() < 2) return quads;
  double hs = std::fabs(s.StartWidth) / 2, he = std::fabs(s.EndWidth) / 2;
  if (!std::isfinite(hs) || !std::isfinite(he) || (hs == 0 && he == 0)) return quads;
  const bool arc = s.IsArc && std::isfinite(s.Radius) && s.Radius > 0 && Finite(s.Centre);
  if (arc && s.Radius > Accuracy) {
    hs = std::min(hs, s.Radius);
    he = std::min(he, s.Radius);
  }

  // pieces as pairs of points, with the fraction along the segment at both ends
  struct Piece {
    TFPoint A, B;
    double FA, FB;
  };
  std::vector<Piece> pieces;
  bool cut = false;
  if (dashed) {
    TFPointList dotted;
    if (arc)
      params.Pattern->Curve(std::span<const TFPoint>(s.Points), dotted, false,
                            params.PatternParams);
    else
      params.Pattern->Line(s.Points.front(), s.Points.back(), dotted, params.PatternParams);
    if (dotted.Count() > 0 && dotted.Count() <= params.PointBudget) {
      cut = true;
      for (int i = 0; i + 1 < dotted.Count(); i += 2)
        pieces.push_back({dotted[i], dotted[i + 1], Fraction(s, dotted[i]),
                          Fraction(s, dotted[i + 1])});
    }
  }
  if (!cut) {
    const size_t k = arc ? s.Points.size() - 1 : 1;
    const TFPoint* pts = s.Points.data();
    for (size_t j = 0; j < k; ++j) {
      const TFPoint& a = pts[j];
      const TFPoint& b = arc ? pts[j + 1] : s.Points.back();
      // a piece of no length has no direction to offset along
      if (!dashed && a.X == b.X && a.Y == b.Y) continue;
      pieces.push_back({a, b, double(j) / double(k), double(j + 1) / double(k)});
    }
  }

  double nx = 0, ny = 0;
  if (!arc) {
    const TFPoint& a = s.Points.front();
    const TFPoint& b = s.Points.back();
    const double len = std::hypot(b.X - a.X, b.Y - a.Y);
    if (!(len > 0) || !std::isfinite(len)) return quads;
    nx = (b.Y - a.Y) / len;
    ny = -(b.X - a.X) / len;
  }
  for (const Piece& p : pieces) {
    if (!Finite(p.A) || !Finite(p.B)) continue;
    const double ha = hs + (he - hs) * p.FA;
    const double hb = hs + (he - hs) * p.FB;
    Quad q;
    if (arc) {
      const double ra = Dist2D(p.A, s.Centre), rb = Dist2D(p.B, s.Centre);
      if (!(ra > 0) || !(rb > 0)) continue;
      const double uax = (p.A.X - s.Centre.X) / ra, uay = (p.A.Y - s.Centre.Y) / ra;
      const double ubx = (p.B.X - s.Centre.X) / rb, uby = (p.B.Y - s.Centre.Y) / rb;
      // Travelling counter-clockwise the radius points to the right; clockwise to the left.
      const double side = s.CounterClockwise ? 1.0 : -1.0;
      q.R0 = Offset(p.A, uax, uay, side * ha);
      q.R1 = Offset(p.B, ubx, uby, side * hb);
      q.L1 = Offset(p.B, ubx, uby, -side * hb);
      q.L0 = Offset(p.A, uax, uay, -side * ha);
      q.LeftFirst = s.CounterClockwise;
    } else {
      q.R0 = Offset(p.A, nx, ny, ha);
      q.R1 = Offset(p.B, nx, ny, hb);
      q.L1 = Offset(p.B, nx, ny, -hb);
      q.L0 = Offset(p.A, nx, ny, -ha);
    }
    quads.push_back(q);
  }
  return quads;
}

// Mitres the end of p against the start of q meeting at the vertex v.
void Join(Quad& p, Quad& q, const TFPoint& v) {
  if (TurnDeg(p.R0, p.R1, q.R0, q.R1) <= cnstWidthJoinAngle) return;
  TFPoint xr, xl;
  if (!CrossLines(p.R0, p.R1, q.R0, q.R1, xr) || !CrossLines(p.L0, p.L1, q.L0, q.L1, xl)) return;
  const double h = std::max(Dist2D(p.R1, p.L1), Dist2D(q.R0, q.L0)) / 2;
  const double limit = cnstWidthMiterLimit * h;
  if (Dist2D(xr, v) > limit || Dist2D(xl, v) > limit) return;
  xr.Z = p.R1.Z;
  xl.Z = p.L1.Z;
  p.R1 = xr;
  p.L1 = xl;
  q.R0 = {xr.X, xr.Y, q.R0.Z};
  q.L0 = {xl.X, xl.Y, q.L0.Z};
}

bool Meets(const TvxWidthSegment& a, const TvxWidthSegment& b) {
  const TFPoint& e = a.Points.back();
  const TFPoint& s = b.Points.front();
  return std::fabs(e.X - s.X) <= 1e-6 && std::fabs(e.Y - s.Y) <= 1e-6;
}

}  // namespace

bool IsDashedPattern(const TvxLines* pattern) {
  return pattern && !pattern->IsSolid() && pattern->SimpleElementsCount() > 0 &&
         pattern->PatternLength() > 0;
}

void BuildWidthOutline(const std::vector<TvxWidthSegment>& segments,
                       const TvxWidthOutlineParams& params, TFPointList& out) {
  const bool dashed = IsDashedPattern(params.Pattern);
  std::vector<std::vector<Quad>> quads;
  quads.reserve(segments.size());
  for (const TvxWidthSegment& s : segments) quads.push_back(SegmentQuads(s, params, dashed));

  if (!dashed || params.CrossSegments) {
    const size_t n = segments.size();
    for (size_t i = 0; i + 1 < n; ++i)
      if (!quads[i].empty() && !quads[i + 1].empty() && Meets(segments[i], segments[i + 1]))
        Join(quads[i].back(), quads[i + 1].front(), segments[i].Points.back());
    if (!dashed && params.Closed && n > 1 && !quads[n - 1].empty() && !quads[0].empty() &&
        Meets(segments[n - 1], segments[0]))
      Join(quads[n - 1].back(), quads[0].front(), segments[n - 1].Points.back());
  }

  for (const auto& run : quads)
    for (const Quad& q : run) {
      if (q.LeftFirst) {
        out.Append(q.L0);
        out.Append(q.L1);
        out.Append(q.R1);
        out.Append(q.R0);
      } else {
        out.Append(q.R0);
        out.Append(q.R1);
        out.Append(q.L1);
        out.Append(q.L0);
      }
    }
}

}  // namespace vx
