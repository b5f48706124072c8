#include "foundation/vxGenerator.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

namespace vx {

namespace {

// Flatness scale by quality; index 1 is deliberately the coarsest (every curve is flat at once).
constexpr std::array<double, 7> cnstQualityTable{1.0, 1e-6, 0.005, 0.1, 1.0, 5.0, 10.0};

// Samples per knot span of CreateSplineByKnots never exceed this, whatever step a caller passes.
constexpr size_t cnstMaxSamplesPerSpan = 1u << 16;

uint32_t ClampPart(int64_t value) {
  if (value < TvxGeneratorShapeEdge::cnstMinPart) return TvxGeneratorShapeEdge::cnstMinPart;
  if (value > TvxGeneratorShapeEdge::cnstMaxPart) return TvxGeneratorShapeEdge::cnstMaxPart;
  return static_cast<uint32_t>(value);
}

// Angle of (dx, dy) in [0, 2 pi).
double Angle2Pi(double dx, double dy) {
  double a = std::atan2(dy, dx);
  if (a < 0) a += 2 * fPi;
  if (a >= 2 * fPi) a = 0;  // -tiny + 2 pi may round up to 2 pi
  return a;
}

TFPoint Mid(const TFPoint& a, const TFPoint& b) {
  return {(a.X + b.X) / 2, (a.Y + b.Y) / 2, (a.Z + b.Z) / 2};
}

// Point of a B-spline of the given degree at u, computed by de Boor in span s (k[s] <= u <= k[s+1])
// over homogeneous coordinates. False when the span needs a control point or knot outside the
// lists, or the weight sum vanishes (or is not finite).
bool DeBoor(const TFPointList& controls, const TvxDoubleList& knots, const TvxDoubleList* weights,
            size_t degree, size_t span, double u, TFPoint& out) {
  const size_t n = static_cast<size_t>(controls.Count());
  const size_t nk = static_cast<size_t>(knots.Count());
  if (span < degree || span >= n || span + degree >= nk) return false;
  const size_t nw = weights ? static_cast<size_t>(weights->Count()) : 0;
  std::array<std::array<double, 4>, 10> d{};  // degree <= 9
  for (size_t j = 0; j <= degree; ++j) {
    const size_t idx = span - degree + j;
    const TFPoint& p = controls[static_cast<int>(idx)];
    const double w = idx < nw ? (*weights)[static_cast<int>(idx)] : 1.0;
    d[j] = {p.X * w, p.Y * w, p.Z * w, w};
  }
  for (size_t r = 1; r <= degree; ++r) {
    for (size_t j = degree; j >= r; --j) {
      const size_t idx = span - degree + j;
      const double k0 = knots[static_cast<int>(idx)];
      const double denom = knots[static_cast<int>(idx + degree + 1 - r)] - k0;
      const double alpha = denom != 0 ? (u - k0) / denom : 0.0;
      for (size_t c = 0; c < 4; ++c) d[j][c] = (1 - alpha) * d[j - 1][c] + alpha * d[j][c];
    }
  }
  const double hw = d[degree][3];
  if (!std::isfinite(hw) || std::fabs(hw) < 1e-300) return false;
  out = {d[degree][0] / hw, d[degree][1] / hw, d[degree][2] / hw};
  return true;
}

// Cubic B-spline point at u in span i (k[i] <= u < k[i+1]): the controls i-3..i weighted by
// their Cox-de Boor basis values. The caller guarantees 3 <= i < controls and k.size() >= i + 5.
TFPoint CubicPoint(const TFPointList& controls, const std::vector<double>& k, size_t i, double u) {
  // nb[m] holds N(i - 3 + m, p) for the current degree p.
  std::array<double, 7> nb{};
  for (size_t m = 0; m < 7; ++m) {
    const size_t c = i - 3 + m;
    nb[m] = (k[c] <= u && u < k[c + 1]) ? 1.0 : 0.0;
  }
  for (size_t p = 1; p <= 3; ++p) {
    for (size_t m = 0; m + p < 7; ++m) {
      const size_t c = i - 3 + m;
      double v = 0;
      const double dl = k[c + p] - k[c];
      if (dl != 0) v += (u - k[c]) / dl * nb[m];
      const double dr = k[c + p + 1] - k[c + 1];
      if (dr != 0) v += (k[c + p + 1] - u) / dr * nb[m + 1];
      nb[m] = v;
    }
  }
  TFPoint r;
  for (size_t m = 0; m < 4; ++m) {
    const TFPoint& p = controls[static_cast<int>(i - 3 + m)];
    r.X += p.X * nb[m];
    r.Y += p.Y * nb[m];
    r.Z += p.Z * nb[m];
  }
  return r;
}

}  // namespace

TvxGeneratorShapeEdge::TvxGeneratorShapeEdge() { SetQualityApproximation(0); }

void TvxGeneratorShapeEdge::SetBaseList(TFPointList* list) {
  FList = list;
  FListType = list ? ltFPoint : ltNil;
  FAddPoint = nullptr;
  FCreatePoint = nullptr;
}

void TvxGeneratorShapeEdge::SetBaseList(TF2DPointList* list) {
  FList = list;
  FListType = list ? ltF2DPoint : ltNil;
  FAddPoint = nullptr;
  FCreatePoint = nullptr;
}

void TvxGeneratorShapeEdge::SetBaseList(TvxDoubleList* list) {
  FList = list;
  FListType = list ? ltDouble : ltNil;
  FAddPoint = nullptr;
  FCreatePoint = nullptr;
}

void TvxGeneratorShapeEdge::SetListAndProc(TvxPointerList* list, TvxAddPointProc addPoint,
                                           TvxCreatePointFunc createPoint) {
  FList = list;
  FListType = list ? ltList : ltNil;
  FAddPoint = std::move(addPoint);
  FCreatePoint = std::move(createPoint);
}

void TvxGeneratorShapeEdge::SetNumberCirclePart(int64_t value) { FNumberCirclePart = ClampPart(value); }

void TvxGeneratorShapeEdge::SetNumberSplinePart(int64_t value) { FNumberSplinePart = ClampPart(value); }

void TvxGeneratorShapeEdge::SetQualityApproximation(int64_t value) {
  FQualityApproximation = static_cast<uint32_t>(std::clamp<int64_t>(value, 0, cnstMaxQuality));
  const double q = cnstQualityTable[FQualityApproximation];
  FDistanceToleranceSquare = 0.5 / (q * q);
  FDistanceToleranceManhattan = 4.0 / q;
  FRecursionLimit = cnstRecursionLimit;
}

bool TvxGeneratorShapeEdge::IsBSpline(int degree) {
  return degree == 1 || degree == 2 || (degree >= 4 && degree <= 9);
}

bool TvxGeneratorShapeEdge::CanOutput() const {
  if (!FList) return false;
  return FListType != ltList || FAddPoint || FCreatePoint;
}

void TvxGeneratorShapeEdge::AddPoint(const TFPoint& p) {
  switch (FListType) {
    case ltList: {
      auto& list = *static_cast<TvxPointerList*>(FList);
      if (FCreatePoint)
        list.Append(FCreatePoint(*this, p));
      else if (FAddPoint)
        FAddPoint(list, p);
      break;
    }
    case ltFPoint:
      static_cast<TFPointList*>(FList)->Append(p);
      break;
    case ltF2DPoint:
      static_cast<TF2DPointList*>(FList)->Append({p.X, p.Y});
      break;
    case ltDouble: {
      auto& list = *static_cast<TvxDoubleList*>(FList);
      list.Append(p.X);
      list.Append(p.Y);
      list.Append(p.Z);
      break;
    }
    case ltNil:
      break;
  }
}

bool TvxGeneratorShapeEdge::CreateBulgesArc(const TFPoint& p1, const TFPoint& p2, double bulge,
                                            TvxArcR* arc) {
  std::lock_guard<std::mutex> guard(FLock);
  const double mx = (p1.X + p2.X) / 2, my = (p1.Y + p2.Y) / 2;
  const double hx = p1.X - mx, hy = p1.Y - my;
  // A bulge below the zero test (or one that puts the centre at infinity) is a straight segment;
  // the centre formula would divide by zero.
  bool isArc = std::isfinite(bulge) && std::fabs(bulge) >= Accuracy;
  double cx = 0, cy = 0, radius = 0;
  if (isArc) {
    const double t = (1 - bulge * bulge) / (2 * bulge);
    cx = mx + hy * t;
    cy = my - hx * t;
    radius = std::hypot(mx - bulge * hy - cx, my + bulge * hx - cy);
    isArc = std::isfinite(cx) && std::isfinite(cy) && std::isfinite(radius) && radius > 0;
  }
  if (!isArc) {
    if (arc) *arc = TvxArcR{{mx, my, p1.Z}, 0, 0, 0};
    if (CanOutput()) {
      AddPoint(p1);
      AddPoint(p2);
    }
    return false;
  }
  double a1 = Angle2Pi(p1.X - cx, p1.Y - cy);
  double a2 = Angle2Pi(p2.X - cx, p2.Y - cy);
  if (bulge > 0 && a1 > a2) a1 -= 2 * fPi;
  if (bulge < 0 && a1 < a2) a2 -= 2 * fPi;
  if (arc) {
    arc->Center = {cx, cy, p1.Z};
    arc->Radius = radius;
    arc->AngleS = std::min(a1, a2) * f180DivPi;
    arc->AngleE = std::max(a1, a2) * f180DivPi;
  }
  if (!CanOutput()) return true;
  const uint32_t n = FNumberCirclePart;
  const double da = (a1 - a2) / n;
  const double dz = (p2.Z - p1.Z) / n;  // Z runs evenly from P1 to P2
  AddPoint(p1);
  for (uint32_t k = 1; k < n; ++k) {
    const double a = a1 - k * da;
    AddPoint({cx + radius * std::cos(a), cy + radius * std::sin(a), p1.Z + k * dz});
  }
  AddPoint(p2);
  return true;
}

void TvxGeneratorShapeEdge::CreateBSpline(const TFPointList& controls, const TvxDoubleList& knots,
                                          int degree, const TvxDoubleList* weights) {
  if (!IsBSpline(degree)) return;
  SampleBSpline(controls, knots, degree, weights);
}

void TvxGeneratorShapeEdge::CreateRationalBSpline(const TFPointList& controls,
                                                  const TvxDoubleList& knots, int degree,
                                                  const TvxDoubleList* weights) {
  if (degree < 1 || degree > 9) return;
  SampleBSpline(controls, knots, degree, weights);
}

void TvxGeneratorShapeEdge::SampleBSpline(const TFPointList& controls, const TvxDoubleList& knots,
                                          int degree, const TvxDoubleList* weights) {
  std::lock_guard<std::mutex> guard(FLock);
  if (!CanOutput() || controls.Count() == 0 || knots.Count() < 2) return;
  if (weights && weights->Count() == 0) weights = nullptr;
  const uint32_t n = FNumberSplinePart;
  const size_t deg = static_cast<size_t>(degree);
  bool skipped = false;
  TFPoint p;
  for (int i = 0; i + 1 < knots.Count(); ++i) {
    const double a = knots[i], b = knots[i + 1];
    // Only increasing finite spans are sampled; NaN or decreasing knots give no span.
    if (!(a < b) || !std::isfinite(b - a)) continue;
    const double d = (b - a) / n;  // divided first: e * (b - a) may overflow on huge knots
    for (uint32_t e = 0; e <= n; ++e) {
      // The closing sample is evaluated in this span at its right end, so that a sample is
      // never lost to a following span that lacks control points.
      const double u = e == n ? b : a + e * d;
      if (DeBoor(controls, knots, weights, deg, static_cast<size_t>(i), u, p))
        AddPoint(p);
      else
        skipped = true;
    }
  }
  if (skipped) AddPoint(controls.Last());
}

void TvxGeneratorShapeEdge::CreateSplineByKnots(const TFPointList& controls,
                                                const TvxDoubleList& knots, double step) {
  std::lock_guard<std::mutex> guard(FLock);
  if (!CanOutput() || controls.Count() == 0) return;
  if (knots.Count() == 0) {
    // Nothing to evaluate on: the curve is its control polygon.
    for (const TFPoint& c : controls) AddPoint(c);
    return;
  }
  const size_t n = static_cast<size_t>(controls.Count());
  std::vector<double> k(knots.begin(), knots.end());
  if (k.size() < n + 4) k.resize(n + 4, k.back());
  if (!(step > 0) || !std::isfinite(step)) step = 1.0 / FNumberSplinePart;
  // Samples j*step below 1; the tolerance keeps 1 / (1/24) at 24 samples.
  const double inv = 1.0 / step;
  const size_t samples =
      inv >= static_cast<double>(cnstMaxSamplesPerSpan)
          ? cnstMaxSamplesPerSpan
          : std::max<size_t>(1, static_cast<size_t>(std::ceil(inv - 1e-9)));
  AddPoint(controls.First());
  for (size_t i = 3; i < n; ++i) {
    const double a = k[i], b = k[i + 1];
    if (!(a < b) || !std::isfinite(b - a)) continue;
    const double d = (b - a) * step;
    // An integer sample index, not an accumulated parameter: huge knots whose step is below
    // their precision still end after the given number of samples.
    for (size_t j = 0; j < samples; ++j) {
      const double u = a + static_cast<double>(j) * d;
      if (!(u < b)) break;
      AddPoint(CubicPoint(controls, k, i, u));
    }
  }
  AddPoint(controls.Last());
}

void TvxGeneratorShapeEdge::CreateQuadraticSpline(const TFPoint& p1, const TFPoint& p2,
                                                  const TFPoint& p3) {
  std::lock_guard<std::mutex> guard(FLock);
  if (!CanOutput()) return;
  QuadraticStep(p1, p2, p3, 0);
}

void TvxGeneratorShapeEdge::QuadraticStep(const TFPoint& p1, const TFPoint& p2, const TFPoint& p3,
                                          unsigned depth) {
  const TFPoint m12 = Mid(p1, p2);
  const TFPoint m23 = Mid(p2, p3);
  const TFPoint m = Mid(m12, m23);
  const double e = std::fabs((p2.X - p3.X) * (p3.Y - p1.Y) - (p2.Y - p3.Y) * (p3.X - p1.X));
  bool flat;
  if (e <= 1e-30) {
    const double ax = (p2.X - p1.X) + (p2.X - p3.X);
    const double ay = (p2.Y - p1.Y) + (p2.Y - p3.Y);
    flat = std::fabs(ax) + std::fabs(ay) <= FDistanceToleranceManhattan;
  } else {
    const double dx = p3.X - p1.X, dy = p3.Y - p1.Y;
    flat = e * e <= FDistanceToleranceSquare * (dx * dx + dy * dy);
  }
  if (flat) {
    AddPoint(m);
    return;
  }
  // NaN input is never flat; the depth limit ends it without output.
  if (depth + 1 <= FRecursionLimit) {
    QuadraticStep(p1, m12, m, depth + 1);
    QuadraticStep(m, m23, p3, depth + 1);
  }
}

}  // namespace vx
