// vxHatchEdges: point generation of the boundary edges, the boundary containers, and the
// chaining of edges into closed loops.
#include "database/hatches/vxHatchEdges.h"

#include "database/entities/vxEntSplines.h"
#include "foundation/vxGenerator.h"
#include "foundation/vxGeometry2D.h"

#include <algorithm>
#include <cmath>
#include <deque>

namespace vx {

namespace {

bool Finite(const TF2DPoint& p) { return std::isfinite(p.X) && std::isfinite(p.Y); }

// a modulo 360 in [0, 360).
double Mod360(double a) {
  double r = std::fmod(a, 360.0);
  if (r < 0) r += 360.0;
  return r >= 360.0 ? 0.0 : r;
}

}  // namespace

// ---- arcs and ellipses ----------------------------------------------------------------------

TF2DPoint Tvx2DArc::At(double tDeg) const {
  const double t = tDeg * fPiDiv180;
  return {FCenterPoint.X + FRadius * std::cos(t), FCenterPoint.Y + FRadius * std::sin(t)};
}

TF2DPoint Tvx2DEllipse::At(double tDeg) const {
  const double t = tDeg * fPiDiv180;
  const double c = std::cos(t), s = std::sin(t);
  // The minor axis is the major one turned a quarter counter-clockwise, scaled by the ratio.
  return {FCenterPoint.X + FMajorPoint.X * c - FMajorPoint.Y * FRadius * s,
          FCenterPoint.Y + FMajorPoint.Y * c + FMajorPoint.X * FRadius * s};
}

double Tvx2DEllipse::ParamOf(double aDeg) const {
  if (!IsAngleInParam || !(std::fabs(FRadius) > 1e-12)) return aDeg;
  const double a = aDeg * fPiDiv180;
  const double c = std::cos(a);
  if (std::fabs(c) <= 1e-6) return aDeg;
  double p = std::atan(std::tan(a) / FRadius) * f180DivPi;
  if (c < 0) p = Mod360(p + 180.0);
  return p;
}

void Tvx2DArc::Generate(const TvxEdgeResolution& res) {
  FPoints.Clear();
  double s = ParamOf(FStartParam), e = ParamOf(FEndParam);
  if (!std::isfinite(s) || !std::isfinite(e)) return;
  const bool ccw = CounterClockWise();
  // A clockwise arc stores its angles mirrored: it runs clockwise from -start to -end.
  if (!ccw) {
    const double t = s;
    s = -e;
    e = -t;
  }
  s = Mod360(s);
  e = Mod360(e);
  if (e < s || std::fabs(e - s) <= 1e-9) e += 360.0;
  const int n = std::max(1, res.CircleParts);
  FPoints.Reserve(n + 1);
  for (int i = 0; i <= n; ++i) {
    const double t = ccw ? s + (e - s) * i / n : e - (e - s) * i / n;
    FPoints.Append(At(t));
  }
}

// ---- polylines ------------------------------------------------------------------------------

bool Tvx2DPolyline::HasBulge() const {
  return std::any_of(FBulges.begin(), FBulges.end(), [](double b) { return b != 0; });
}

void Tvx2DPolyline::Generate(const TvxEdgeResolution& res) {
  FPoints.Clear();
  const int n = FVertexes.Count();
  FPoints.Reserve(n);
  TvxGeneratorShapeEdge gen;
  gen.SetNumberCirclePart(res.CircleParts);
  TFPointList arc;
  gen.SetBaseList(&arc);
  for (int i = 0; i < n; ++i) {
    const TF2DPoint& v = FVertexes[i];
    FPoints.Append(v);
    const double b = i < FBulges.Count() ? FBulges[i] : 0.0;
    // The last vertex's bulge bends the way back to the first vertex.
    if (b == 0 || !std::isfinite(b) || n < 2) continue;
    const TF2DPoint& w = FVertexes[(i + 1) % n];
    arc.Clear();
    gen.CreateBulgesArc({v.X, v.Y, 0}, {w.X, w.Y, 0}, b);
    for (int k = 1; k + 1 < arc.Count(); ++k) FPoints.Append({arc[k].X, arc[k].Y});
  }
}

// ---- splines --------------------------------------------------------------------------------

void Tvx2DSpline::Generate(const TvxEdgeResolution& res) {
  FPoints.Clear();
  TFPointList out;
  if (FControls.Count() == 0) {
    // A spline given by its fit points alone.
    std::vector<TFPoint> fits;
    for (const TF2DPoint& f : FFitPoints)
      if (fits.empty() || fits.back().X != f.X || fits.back().Y != f.Y) fits.push_back({f.X, f.Y, 0});
    InterpolateFitPoints(fits, {}, {}, std::max(1, res.SplineParts), out);
  } else {
    TFPointList controls;
    controls.Reserve(FControls.Count());
    for (const TF2DPoint& c : FControls) controls.Append({c.X, c.Y, 0});
    // Hostile knot counts get fewer samples per span rather than millions of points.
    const int64_t spans = std::max<int64_t>(1, FKnots.Count());
    const int parts = static_cast<int>(std::clamp<int64_t>(SplinePointBudget / spans, 3,
                                                           std::max(3, res.SplineParts)));
    TvxGeneratorShapeEdge gen;
    gen.SetNumberSplinePart(parts);
    gen.SetBaseList(&out);
    const bool rational = Rational && FWeights.Count() == FControls.Count();
    if (rational && FKnots.Count() > 0)
      gen.CreateRationalBSpline(controls, FKnots, Degree, &FWeights);
    else if (TvxGeneratorShapeEdge::IsBSpline(Degree))
      gen.CreateBSpline(controls, FKnots, Degree);
    else
      gen.CreateSplineByKnots(controls, FKnots, 1.0 / parts);
  }
  FPoints.Reserve(out.Count());
  for (const TFPoint& p : out) FPoints.Append({p.X, p.Y});
}

// ---- boundaries -----------------------------------------------------------------------------

Tvx2DCurve* Tvx2DBoundaryList::Add(std::unique_ptr<Tvx2DCurve> edge) {
  if (!edge) return nullptr;
  FObjects.push_back(std::move(edge));
  return FObjects.back().get();
}

void Tvx2DBoundaryList::Insert(int i, std::unique_ptr<Tvx2DCurve> edge) {
  if (!edge) return;
  i = std::clamp(i, 0, Count());
  FObjects.insert(FObjects.begin() + i, std::move(edge));
}

void Tvx2DBoundaryList::Delete(int i) {
  if (i >= 0 && i < Count()) FObjects.erase(FObjects.begin() + i);
}

void Tvx2DBoundaryList::CopyFrom(const Tvx2DBoundaryList& other) {
  FBoundaryType = other.FBoundaryType;
  std::vector<std::unique_ptr<Tvx2DCurve>> copy;
  copy.reserve(other.FObjects.size());
  for (const auto& e : other.FObjects) copy.push_back(e->Clone());
  FObjects = std::move(copy);
}

void Tvx2DBoundaryList::AssignBoundary(const TF2DPointList& points) {
  FObjects.clear();
  const int n = points.Count();
  for (int i = 0; i < n && n > 1; ++i)
    FObjects.push_back(std::make_unique<Tvx2DLine>(points[i], points[(i + 1) % n]));
}

Tvx2DBoundaryList* TvxCADBoundaryData::Boundary(int i) const {
  return i >= 0 && i < BoundaryCount() ? FBoundaries[static_cast<size_t>(i)].get() : nullptr;
}

Tvx2DBoundaryList* TvxCADBoundaryData::AddBoundary() {
  FBoundaries.push_back(std::make_unique<Tvx2DBoundaryList>());
  return FBoundaries.back().get();
}

void TvxCADBoundaryData::AssignEntity(const TvxDXFEntity* source) {
  TvxDXFEntity::AssignEntity(source);
  auto* src = dynamic_cast<const TvxCADBoundaryData*>(source);
  if (!src || src == this) return;
  FBoundaries.clear();
  for (const auto& b : src->FBoundaries) FBoundaries.push_back(std::make_unique<Tvx2DBoundaryList>(*b));
}

// ---- chaining -------------------------------------------------------------------------------

namespace {

// The ends of the edges of one boundary sorted by X, for nearest-end queries within the chain
// tolerance: O(log n) per query instead of a scan of every remaining edge.
class TvxEdgeEnds {
 public:
  explicit TvxEdgeEnds(const std::vector<Tvx2DCurve*>& edges) : FUsed(edges.size(), false) {
    FEnds.reserve(edges.size() * 2);
    for (size_t i = 0; i < edges.size(); ++i) {
      FEnds.push_back({edges[i]->StartPoint(), i, false});
      FEnds.push_back({edges[i]->EndPoint(), i, true});
    }
    std::sort(FEnds.begin(), FEnds.end(), [](const End& a, const End& b) { return a.P.X < b.P.X; });
  }
  void Use(size_t edge) { FUsed[edge] = true; }
  bool Used(size_t edge) const { return FUsed[edge]; }
  // The unused end nearest p within the tolerance (ties: the edge given first, its start first).
  bool Nearest(const TF2DPoint& p, size_t& edge, bool& atEnd) const {
    constexpr double tol = cnstBoundaryChainTolerance;
    auto it = std::lower_bound(FEnds.begin(), FEnds.end(), p.X - tol,
                               [](const End& e, double x) { return e.P.X < x; });
    double best = tol * tol;
    bool found = false;
    for (; it != FEnds.end() && it->P.X <= p.X + tol; ++it) {
      if (FUsed[it->Edge]) continue;
      const double dx = it->P.X - p.X, dy = it->P.Y - p.Y, d = dx * dx + dy * dy;
      const bool better =
          !found ? d <= best
                 : d < best || (d == best && (it->Edge < edge || (it->Edge == edge && !it->AtEnd)));
      if (better) {
        best = d;
        edge = it->Edge;
        atEnd = it->AtEnd;
        found = true;
      }
    }
    return found;
  }

 private:
  struct End {
    TF2DPoint P;
    size_t Edge;
    bool AtEnd;
  };
  std::vector<End> FEnds;
  std::vector<bool> FUsed;
};

struct TvxChained {
  Tvx2DCurve* Edge;
  bool Reversed;
};

void EmitChain(const std::deque<TvxChained>& chain, std::vector<TF2DPointList>& loops) {
  TF2DPointList loop;
  for (const TvxChained& c : chain) {
    const int n = c.Edge->Count();
    for (int k = 0; k < n; ++k) {
      const TF2DPoint p = c.Edge->Points(c.Reversed ? n - 1 - k : k);
      if (loop.Count() && PointsEqual2D(loop.Last(), p, Accuracy)) continue;
      loop.Append(p);
    }
  }
  if (loop.Count()) loops.push_back(std::move(loop));
}

void ChainBoundary(const std::vector<Tvx2DCurve*>& edges, std::vector<TF2DPointList>& loops) {
  TvxEdgeEnds ends(edges);
  for (size_t first = 0; first < edges.size(); ++first) {
    if (ends.Used(first)) continue;
    ends.Use(first);
    std::deque<TvxChained> chain{{edges[first], false}};
    size_t j;
    bool atEnd;
    // Forwards from the end of the first edge...
    TF2DPoint exit = edges[first]->EndPoint();
    while (ends.Nearest(exit, j, atEnd)) {
      ends.Use(j);
      chain.push_back({edges[j], atEnd});
      exit = atEnd ? edges[j]->StartPoint() : edges[j]->EndPoint();
    }
    // ...then backwards from its start.
    TF2DPoint free = edges[first]->StartPoint();
    while (ends.Nearest(free, j, atEnd)) {
      ends.Use(j);
      chain.push_front({edges[j], !atEnd});
      free = atEnd ? edges[j]->StartPoint() : edges[j]->EndPoint();
    }
    EmitChain(chain, loops);
  }
}

bool EdgeUsable(const Tvx2DCurve* e) {
  const int n = e->Count();
  if (n == 0) return false;
  for (int k = 0; k < n; ++k)
    if (!Finite(e->Points(k))) return false;
  return true;
}

}  // namespace

void BuildBoundaryLoops(const TvxCADBoundaryData& data, bool solidFill,
                        const TvxEdgeResolution& res, std::vector<TF2DPointList>& loops,
                        TvxIslandStyle style) {
  loops.clear();
  uint8_t kept = 0;  // the path bits one of which a boundary needs under the style
  if (style != isNested) {
    kept = style == isIgnore ? cnstBoundaryExternal : cnstBoundaryExternal | cnstBoundaryOutermost;
    bool any = false;
    for (int b = 0; b < data.BoundaryCount() && !any; ++b)
      any = (data.Boundary(b)->BoundaryType() & cnstBoundaryExternal) != 0;
    if (!any) kept = 0;
  }
  for (int b = 0; b < data.BoundaryCount(); ++b) {
    const Tvx2DBoundaryList* list = data.Boundary(b);
    const uint8_t type = list->BoundaryType();
    if (list->Count() == 0 || (type & cnstBoundaryIgnored)) continue;
    if (solidFill && type > 31 && !(type & cnstBoundaryDerived)) continue;
    if (kept && !(type & kept)) continue;
    std::vector<Tvx2DCurve*> edges;
    edges.reserve(static_cast<size_t>(list->Count()));
    for (int i = 0; i < list->Count(); ++i) {
      Tvx2DCurve* e = list->Items(i);
      e->Generate(res);
      if (EdgeUsable(e)) edges.push_back(e);
    }
    ChainBoundary(edges, loops);
  }
}

}  // namespace vx
