#include "database/entities/vxEntSplines.h"

#include "database/core/DXFConv.h"
#include "foundation/vxGenerator.h"

#include <algorithm>
#include <cmath>

namespace vx {

namespace {

bool Finite(const TFPoint& p) {
  return std::isfinite(p.X) && std::isfinite(p.Y) && std::isfinite(p.Z);
}

// Slopes of the C2 cubic through y over the parameters t (Thomas algorithm). An end with a
// slope given is clamped to it, otherwise natural (second derivative 0).
std::vector<double> SplineSlopes(const std::vector<double>& t, const std::vector<double>& y,
                                 bool clampBegin, double slopeBegin, bool clampEnd,
                                 double slopeEnd) {
  const size_t n = y.size();
  std::vector<double> a(n, 0), b(n, 0), c(n, 0), d(n, 0);
  auto h = [&](size_t j) { return t[j + 1] - t[j]; };
  auto delta = [&](size_t j) { return (y[j + 1] - y[j]) / h(j); };
  if (clampBegin) {
    b[0] = 1;
    d[0] = slopeBegin;
  } else {
    b[0] = 2;
    c[0] = 1;
    d[0] = 3 * delta(0);
  }
  for (size_t j = 1; j + 1 < n; ++j) {
    a[j] = h(j);
    b[j] = 2 * (h(j - 1) + h(j));
    c[j] = h(j - 1);
    d[j] = 3 * (h(j) * delta(j - 1) + h(j - 1) * delta(j));
  }
  if (clampEnd) {
    b[n - 1] = 1;
    d[n - 1] = slopeEnd;
  } else {
    a[n - 1] = 1;
    b[n - 1] = 2;
    d[n - 1] = 3 * delta(n - 2);
  }
  // forward sweep, then back substitution; the system is diagonally dominant
  for (size_t j = 1; j < n; ++j) {
    const double w = a[j] / b[j - 1];
    b[j] -= w * c[j - 1];
    d[j] -= w * d[j - 1];
  }
  std::vector<double> m(n, 0);
  m[n - 1] = d[n - 1] / b[n - 1];
  for (size_t j = n - 1; j-- > 0;) m[j] = (d[j] - c[j] * m[j + 1]) / b[j];
  return m;
}

}  // namespace

TFPoint NormalizeSplineTangent(const TFPoint& t) {
  if (!Finite(t)) return cnstFPointZero;
  const double len = std::sqrt(t.X * t.X + t.Y * t.Y + t.Z * t.Z);
  if (len == 0 || !std::isfinite(len)) return cnstFPointZero;
  return {t.X / len, t.Y / len, t.Z / len};
}

void InterpolateFitPoints(const std::vector<TFPoint>& fits, const TFPoint& beginTangent,
                          const TFPoint& endTangent, int n, TFPointList& out) {
  const size_t count = fits.size();
  if (count < 2 || n < 1) return;
  std::vector<double> t(count, 0);
  double total = 0;
  for (size_t i = 1; i < count; ++i) {
    total += DistanceFPoint(fits[i - 1], fits[i]);
    t[i] = total;
  }
  if (!(total > 0) || !std::isfinite(total)) return;
  for (size_t i = 1; i + 1 < count; ++i) t[i] /= total;
  t[count - 1] = 1;
  for (size_t i = 1; i < count; ++i)
    if (!(t[i] > t[i - 1])) return;  // equal fits left in: no parameterisation

  const bool clampBegin = !(beginTangent == cnstFPointZero);
  const bool clampEnd = !(endTangent == cnstFPointZero);
  std::vector<double> m[3];
  std::vector<double> y(count);
  for (int c = 0; c < 3; ++c) {
    for (size_t i = 0; i < count; ++i) y[i] = fits[i].V(c);
    m[c] = SplineSlopes(t, y, clampBegin, beginTangent.V(c) * total, clampEnd,
                        endTangent.V(c) * total);
  }
  out.Reserve(out.Count() + static_cast<int>((count - 1) * static_cast<size_t>(n)));
  for (size_t j = 0; j + 1 < count; ++j) {
    const double h = t[j + 1] - t[j];
    for (int k = 0; k < n; ++k) {
      const double s = static_cast<double>(k) / n;
      const double h00 = (1 - s) * (1 - s) * (1 + 2 * s);
      const double h01 = s * s * (3 - 2 * s);
      const double h10 = (1 - s) * (1 - s) * s;
      const double h11 = (1 - s) * s * s;
      TFPoint p;
      for (int c = 0; c < 3; ++c)
        p.V(c) = h00 * fits[j].V(c) + h01 * fits[j + 1].V(c) + h10 * h * m[c][j] -
                 h11 * h * m[c][j + 1];
      out.Append(p);
    }
  }
  out.SetItem(out.Count() - 1, fits.back());
}

std::vector<TFPoint> HelixFitPoints(const TFPoint& axis, const TFPoint& start, double endRadius,
                                    double turns, double turnHeight, bool clockwise) {
  std::vector<TFPoint> pts;
  if (!std::isfinite(turns) || !(turns > 0) || !std::isfinite(endRadius) ||
      !std::isfinite(turnHeight) || !Finite(axis) || !Finite(start))
    return pts;
  const double steps = std::ceil(turns * 16);
  const int n = steps >= cnstMaxHelixFitPoints ? cnstMaxHelixFitPoints
                                               : std::max(1, static_cast<int>(steps));
  const double r0 = std::hypot(start.X - axis.X, start.Y - axis.Y);
  const double a0 = std::atan2(start.Y - axis.Y, start.X - axis.X);
  const double da = (clockwise ? -1.0 : 1.0) * turns * 2 * fPi / n;
  const double dr = (endRadius - r0) / n;
  const double dz = turns * turnHeight / n;
  pts.reserve(static_cast<size_t>(n) + 1);
  for (int i = 0; i <= n; ++i) {
    const double a = a0 + i * da, r = r0 + i * dr;
    pts.push_back({axis.X + r * std::cos(a), axis.Y + r * std::sin(a), start.Z + i * dz});
  }
  return pts;
}

// ---- TvxDXFSpline -----------------------------------------------------------------------------

TFPoint TvxDXFSpline::GetControlPoint(int i) const {
  return i >= 0 && i < FControls.Count() ? FControls[i] : cnstFPointZero;
}

TFPoint TvxDXFSpline::GetFitPoint(int i) const {
  return i >= 0 && i < FFit.Count() ? FFit[i] : cnstFPointZero;
}

double TvxDXFSpline::Knot(int i) const { return i >= 0 && i < FKnots.Count() ? FKnots[i] : 0; }

double TvxDXFSpline::Weight(int i) const {
  return i >= 0 && i < FWeights.Count() ? FWeights[i] : 0;
}

void TvxDXFSpline::SetControlPoint(int i, const TFPoint& p) {
  if (i >= 0 && i < FControls.Count()) FControls.SetItem(i, p);
}

void TvxDXFSpline::SetFitPoint(int i, const TFPoint& p) {
  if (i >= 0 && i < FFit.Count()) FFit.SetItem(i, p);
}

void TvxDXFSpline::SetKnot(int i, double k) {
  if (i >= 0 && i < FKnots.Count()) FKnots.SetItem(i, static_cast<float>(k));
}

void TvxDXFSpline::SetWeight(int i, double w) {
  if (i >= 0 && i < FWeights.Count()) FWeights.SetItem(i, static_cast<float>(w));
}

int TvxDXFSpline::PartsInSpline(int64_t spans) const {
  const TvxDXFConverter* conv = FLoadConverter ? FLoadConverter : GetConverter();
  const int n = conv ? conv->NumberOfPartsInSpline() : 0;
  const int64_t lo = TvxGeneratorShapeEdge::cnstMinPart;
  int64_t parts = std::clamp<int64_t>(n > 0 ? n : DefaultPartsInSpline(), lo,
                                      TvxGeneratorShapeEdge::cnstMaxPart);
  if (spans > 0 && spans * (parts + 1) > SplinePointBudget)
    parts = std::max<int64_t>(lo, SplinePointBudget / spans - 1);
  return static_cast<int>(parts);
}

void TvxDXFSpline::LoadData(TvxDXFConverter* conv) {
  struct Scope {
    TvxDXFSpline* S;
    ~Scope() { S->FLoadConverter = nullptr; }
  } scope{this};
  FLoadConverter = conv;
  FPolyPoints.Clear();
  SetExtrusion(cnstExtrusion);
  TvxCADBasePolyline::LoadData(conv);
}

void TvxDXFSpline::BuildPoints() {
  FPolyPoints.Clear();
  FLen = 0;
  for (int i = 1; i < FFit.Count(); ++i) FLen += DistanceFPoint(FFit[i - 1], FFit[i]);
  if (FFlagsExtented & cnstSplineFitPolyline) {
    for (const TFPoint& p : FFit)
      if (FPolyPoints.Count() == 0 || !IsEqualFPoints(FPolyPoints.Last(), p, Accuracy))
        FPolyPoints.Append(p);
  } else if (IsByAngles()) {
    BuildThroughFits();
  } else {
    BuildByKnots();
  }
  InsertThickDashes([this](const TvxLines& lines, const TvxLinesParams& params, TFPointList& pieces) {
    lines.Curve(FPolyPoints, pieces, GetClosed(), params);
  });
}

void TvxDXFSpline::BuildThroughFits() {
  // repeated fit points carry nothing and would make a zero-length interval
  std::vector<TFPoint>& fits = FFit.Vector();
  fits.erase(std::unique(fits.begin(), fits.end(),
                         [](const TFPoint& a, const TFPoint& b) {
                           return DistanceFPoint(a, b) == 0;
                         }),
             fits.end());
  FLen = 0;
  for (size_t i = 1; i < fits.size(); ++i) FLen += DistanceFPoint(fits[i - 1], fits[i]);
  InterpolateFitPoints(fits, NormalizeSplineTangent(FBeginningTangent),
                       NormalizeSplineTangent(FEndingTangent),
                       PartsInSpline(static_cast<int64_t>(fits.size())), FPolyPoints);
}

void TvxDXFSpline::BuildByKnots() {
  if (FControls.Count() == 0) return;
  TvxDoubleList knots;
  if (FKnots.Count() == 0) {
    // A spline stored without its knot values is still the curve: through its fit points when
    // it has them, else over a clamped uniform knot vector (the one most writers use); only a
    // polygon too short for its degree stays the control polygon.
    if (FFit.Count() >= 2) {
      BuildThroughFits();
      return;
    }
    const int p = FDegree, cnt = FControls.Count();
    if (p < 1 || cnt <= p) {
      FPolyPoints.Vector() = FControls.Vector();
      return;
    }
    knots.Reserve(cnt + p + 1);
    for (int i = 0; i < cnt + p + 1; ++i) knots.Append(std::clamp(i - p, 0, cnt - p));
  } else {
    knots.Reserve(FKnots.Count());
    for (float k : FKnots) knots.Append(k);
  }
  const int n = PartsInSpline(std::max(knots.Count(), FControls.Count()));
  TvxGeneratorShapeEdge gen;
  gen.SetNumberSplinePart(n);
  gen.SetBaseList(&FPolyPoints);
  if (TvxGeneratorShapeEdge::IsBSpline(FDegree)) {
    // weights that do not pair up with the control points are not used
    TvxDoubleList weights;
    const bool rational = IsRational() && FWeights.Count() == FControls.Count();
    if (rational)
      for (float w : FWeights) weights.Append(w);
    gen.CreateBSpline(FControls, knots, FDegree, rational ? &weights : nullptr);
  } else {
    double step = 1.0 / n;
    if (FFit.Count() < 2 && FControls.Count() > 4 && FControls[3].X == FControls[4].X &&
        FControls[3].Y == FControls[4].Y)
      step = 0.01;
    gen.CreateSplineByKnots(FControls, knots, step);
  }
}

void TvxDXFSpline::AssignEntity(const TvxDXFEntity* source) {
  TvxCADBasePolyline::AssignEntity(source);
  auto* src = dynamic_cast<const TvxDXFSpline*>(source);
  if (!src || src == this) return;
  FBeginningTangent = src->FBeginningTangent;
  FControls.Vector() = src->FControls.Vector();
  FDegree = src->FDegree;
  FEndingTangent = src->FEndingTangent;
  FFit.Vector() = src->FFit.Vector();
  FKnots.Vector() = src->FKnots.Vector();
  FLen = src->FLen;
  FWeights.Vector() = src->FWeights.Vector();
  FFlagsExtented = src->FFlagsExtented;
}

// ---- TvxCADHelix ------------------------------------------------------------------------------

void TvxCADHelix::LoadData(TvxDXFConverter* conv) {
  FControls.Clear();
  FFit.Clear();
  FKnots.Clear();
  for (const TFPoint& p :
       HelixFitPoints(FPoint, FStart, FRadius, FTurns, FTurnHeight, FClockwise))
    FFit.Append(p);
  TvxDXFSpline::LoadData(conv);
}

void TvxCADHelix::AssignEntity(const TvxDXFEntity* source) {
  TvxDXFSpline::AssignEntity(source);
  auto* src = dynamic_cast<const TvxCADHelix*>(source);
  if (!src || src == this) return;
  FStart = src->FStart;
  FRadius = src->FRadius;
  FTurns = src->FTurns;
  FTurnHeight = src->FTurnHeight;
  FClockwise = src->FClockwise;
}

}  // namespace vx
