// Line-type patterns: storing and preparing a pattern, and cutting geometry into pieces.
//
// Every cut reduces to one walk along a run of length L in pattern units: the walk lays the
// prepared elements cyclically from position 0 and reports dashes, dots and symbols by position;
// a path (one segment or a measured point list) turns positions into points.
#include "database/linetypes/vxLines.h"

#include <algorithm>
#include <atomic>
#include <cmath>

namespace vx {

namespace {

std::atomic<int> gMaxRepetitions{TvxLines::cnstDefaultMaxRepetitions};

// Output per call is bounded: whole patterns times the cost of one pattern (its elements plus its
// symbol stroke points) must stay within the repetition budget times this factor.
constexpr double cnstWorkFactor = 1024;
// Symbol strokes kept per symbol.
constexpr size_t cnstMaxSymbolPoints = 8000 * 8;

bool IsFinitePoint(const TFPoint& p) {
  return std::isfinite(p.X) && std::isfinite(p.Y) && std::isfinite(p.Z);
}

// Overflows to +inf for points far apart (the three-argument hypot may give NaN there).
double Distance(const TFPoint& a, const TFPoint& b) {
  const double dx = b.X - a.X, dy = b.Y - a.Y, dz = b.Z - a.Z;
  return std::sqrt(dx * dx + dy * dy + dz * dz);
}

bool SamePoint(const TFPoint& a, const TFPoint& b) {
  return std::fabs(a.X - b.X) < Accuracy && std::fabs(a.Y - b.Y) < Accuracy &&
         std::fabs(a.Z - b.Z) < Accuracy;
}

void AddPiece(TFPointList& dotted, const TFPoint& a, const TFPoint& b) {
  dotted.Append(a);
  dotted.Append(b);
}

// A measured point list: Cum[i] is the distance along the path from Pts[0] to Pts[i].
struct Path {
  std::vector<TFPoint> Pts;
  std::vector<double> Cum;

  double Length() const { return Cum.empty() ? 0 : Cum.back(); }

  // Appends p unless it is not finite or lies under 1e-9 from the last point.
  void Push(const TFPoint& p) {
    if (!IsFinitePoint(p)) return;
    if (Pts.empty()) {
      Pts.push_back(p);
      Cum.push_back(0);
      return;
    }
    double d = Distance(Pts.back(), p);
    if (!(d >= Accuracy)) return;  // also drops an overflowed (NaN) distance
    Pts.push_back(p);
    Cum.push_back(Cum.back() + d);
  }
};

// Turns walk positions (pattern units) into output pieces along a path.
class PathSink {
 public:
  PathSink(const Path& path, double scale, const TvxLines& lines, TFPointList& out)
      : FPath(path), FScale(scale), FLines(lines), FOut(out) {}

  void Dash(double a, double b) {
    double da = Clamp(a * FScale), db = Clamp(b * FScale);
    if (db <= da) return;
    Seek(da);
    TFPoint from = At(da);
    // a dash bends round every vertex it passes
    while (FSeg < LastSeg() && FPath.Cum[FSeg + 1] < db) {
      const TFPoint& v = FPath.Pts[FSeg + 1];
      AddPiece(FOut, from, v);
      from = v;
      ++FSeg;
    }
    AddPiece(FOut, from, At(db));
  }

  void Dot(double a) {
    double da = Clamp(a * FScale);
    Seek(da);
    TFPoint p = At(da);
    AddPiece(FOut, p, p);
  }

  void Symbol(double a, const TvxLTypeSimpleElement& e) {
    if (e.Symbol < 0) return;
    double da = Clamp(a * FScale);
    Seek(da);
    TFPoint base = At(da);
    double angle = 0;
    if (!e.Absolute) {
      const TFPoint& p0 = FPath.Pts[FSeg];
      const TFPoint& p1 = FPath.Pts[FSeg + 1];
      angle = std::atan2(p1.Y - p0.Y, p1.X - p0.X);
    }
    double c = std::cos(angle) * FScale, s = std::sin(angle) * FScale;
    auto place = [&](const TFPoint& q) {
      return TFPoint{base.X + q.X * c - q.Y * s, base.Y + q.X * s + q.Y * c,
                     base.Z + q.Z * FScale};
    };
    for (const std::vector<TFPoint>& stroke : FLines.Symbol(e.Symbol).Strokes) {
      if (stroke.size() == 1) {
        TFPoint p = place(stroke[0]);
        AddPiece(FOut, p, p);
      }
      for (size_t i = 1; i < stroke.size(); ++i)
        AddPiece(FOut, place(stroke[i - 1]), place(stroke[i]));
    }
  }

 private:
  size_t LastSeg() const { return FPath.Pts.size() - 2; }
  double Clamp(double d) const { return std::clamp(d, 0.0, FPath.Length()); }
  // Positions only grow during a walk, so the segment cursor only moves forward.
  void Seek(double d) {
    while (FSeg < LastSeg() && FPath.Cum[FSeg + 1] <= d) ++FSeg;
  }
  TFPoint At(double d) const {
    const TFPoint& a = FPath.Pts[FSeg];
    const TFPoint& b = FPath.Pts[FSeg + 1];
    double len = FPath.Cum[FSeg + 1] - FPath.Cum[FSeg];
    double t = len > 0 ? (d - FPath.Cum[FSeg]) / len : 0;
    t = std::clamp(t, 0.0, 1.0);
    if (t == 1.0) return b;
    return {a.X + (b.X - a.X) * t, a.Y + (b.Y - a.Y) * t, a.Z + (b.Z - a.Z) * t};
  }

  const Path& FPath;
  double FScale;
  const TvxLines& FLines;
  TFPointList& FOut;
  size_t FSeg = 0;
};

// The layout of one run in pattern units.
struct Layout {
  double L = 0;       // run length
  int64_t N = 0;      // whole patterns
  double S = 0;       // start offset
  bool EndRun = false;  // centred layouts: the last cycle's first drawn element runs to the end
};

// Lays the prepared elements cyclically along [0, L]. Bounded: every cycle advances by the
// pattern length, and at most N + 2 cycles are walked.
void WalkPattern(const std::vector<TvxLTypeSimpleElement>& els, const Layout& w, PathSink& sink) {
  double pos = 0;
  bool atStart = true;  // the first dash runs to S, the first gap to S + |gap|
  int64_t cycle = 0;
  size_t k = 0;
  while (pos < w.L && cycle <= w.N + 1) {
    const TvxLTypeSimpleElement& e = els[k];
    bool last = w.EndRun && cycle >= w.N;
    if (e.Kind == skDash) {
      double g = e.Value;
      if (g > 0) {
        double b = last ? w.L : (atStart ? w.S : pos + g);
        b = std::min(b, w.L);
        if (b > pos) sink.Dash(pos, b);
        pos = std::max(pos, b);
        atStart = false;
        if (last) break;
      } else if (g < 0) {
        pos = atStart ? std::max(0.0, w.S - g) : pos - g;
        atStart = false;
      } else if (last) {
        sink.Dot(w.L);
        break;
      } else {
        sink.Dot(pos);
      }
    } else {
      sink.Symbol(pos, e);
    }
    if (++k == els.size()) {
      k = 0;
      ++cycle;
    }
  }
}

int Budget(const TvxLinesParams& params) {
  return params.MaxRepetitions > 0 ? params.MaxRepetitions : TvxLines::MaxRepetitions();
}

}  // namespace

// ---- process-wide settings -----------------------------------------------------------------

const TvxLines& TvxLines::Continuous() {
  static const TvxLines continuous;
  return continuous;
}

int TvxLines::MaxRepetitions() { return gMaxRepetitions.load(std::memory_order_relaxed); }

void TvxLines::SetMaxRepetitions(int value) {
  gMaxRepetitions.store(std::max(1, value), std::memory_order_relaxed);
}

double TvxLines::SanitizeScale(double scale) {
  // NaN and infinities would turn every length into NaN; treat them like a zero scale
  double m = std::fabs(scale);
  if (!std::isfinite(m) || m < 1e-6) return 1.0;
  return m;
}

// ---- the stored pattern --------------------------------------------------------------------

void TvxLines::Clear() {
  FElements.clear();
  FSimpleElements.clear();
  FSymbols.clear();
  FPatternLength = 0;
  FMaxSizeOfPatterns = 0;
  FCycleCost = 0;
}

void TvxLines::Assign(const TvxLines& source) {
  if (&source == this) return;
  FIsUniform = source.FIsUniform;
  FIsAutocadMetod = source.FIsAutocadMetod;
  FPatternLength = source.FPatternLength;
  FScale = source.FScale;
  FElements = source.FElements;
  FMaxSizeOfPatterns = 0;
  FCycleCost = 0;
  FSimpleElements.clear();
  FSymbols.clear();
}

int TvxLines::Add(const TvxLTypeElement& element) {
  FElements.push_back(element);
  return GetElementsCount() - 1;
}

int TvxLines::AddTick(double dash) {
  TvxLTypeElement e;
  e.Dash = dash;
  return Add(e);
}

void TvxLines::Initialize(const double* dashes, int highIndex) {
  FElements.clear();
  if (!dashes) return;
  for (int i = 0; i <= highIndex; ++i) AddTick(dashes[i]);
}

void TvxLines::Initialize(std::initializer_list<double> dashes) {
  FElements.clear();
  for (double d : dashes) AddTick(d);
}

const TvxLTypeElement* TvxLines::GetElement(int index) const {
  if (index < 0 || index >= GetElementsCount()) return nullptr;
  return &FElements[static_cast<size_t>(index)];
}

TvxLTypeElement* TvxLines::GetElement(int index) {
  if (index < 0 || index >= GetElementsCount()) return nullptr;
  return &FElements[static_cast<size_t>(index)];
}

void TvxLines::Loaded(const TvxLTypeSymbolSource& symbols) {
  FPatternLength = 0;
  FMaxSizeOfPatterns = 0;
  FSimpleElements.clear();
  FSymbols.clear();
  for (const TvxLTypeElement& e : FElements) {
    // a NaN or infinite dash would poison every position; such an element is left out
    if (!std::isfinite(e.Dash)) continue;
    FPatternLength += std::fabs(e.Dash);
    FMaxSizeOfPatterns += std::fabs(e.Dash);
    bool isSymbol = e.HasText() || (e.HasShape() && e.Style != nullptr);
    if (!isSymbol) {
      FSimpleElements.push_back({skDash, e.Dash, -1, 0, false});
      continue;
    }
    if (e.Dash != 0) FSimpleElements.push_back({skDash, e.Dash, -1, 0, false});
    if (!symbols) continue;
    TvxLTypeSymbol sym;
    if (!symbols(e, sym)) continue;
    if (std::isfinite(sym.Width) && std::isfinite(sym.Height))
      FMaxSizeOfPatterns += std::fabs(sym.Width) + std::fabs(sym.Height);
    // keep finite stroke points only, at most cnstMaxSymbolPoints per symbol
    TvxLTypeSymbol kept;
    size_t total = 0;
    for (const std::vector<TFPoint>& stroke : sym.Strokes) {
      std::vector<TFPoint> s;
      for (const TFPoint& p : stroke) {
        if (total >= cnstMaxSymbolPoints) break;
        if (!IsFinitePoint(p)) continue;
        s.push_back(p);
        ++total;
      }
      if (!s.empty()) kept.Strokes.push_back(std::move(s));
    }
    if (kept.Strokes.empty()) continue;
    kept.Width = sym.Width;
    kept.Height = sym.Height;
    FSymbols.push_back(std::move(kept));
    FSimpleElements.push_back({skSymbol, 0, static_cast<int>(FSymbols.size()) - 1, e.Rotation,
                               e.IsAbsoluteRotation()});
  }
  if (FPatternLength == 0 || !std::isfinite(FPatternLength)) {
    FSimpleElements.clear();
    FSymbols.clear();
    FPatternLength = 0;
  }
  if (!std::isfinite(FMaxSizeOfPatterns)) FMaxSizeOfPatterns = 0;
  // the cost of laying one pattern: its elements plus the stroke points of its symbols
  FCycleCost = static_cast<double>(FSimpleElements.size());
  for (const TvxLTypeSymbol& sym : FSymbols)
    for (const std::vector<TFPoint>& stroke : sym.Strokes)
      FCycleCost += static_cast<double>(stroke.size());
}

bool TvxLines::Cuts() const {
  // a single element (IsSolid) is continuous whatever it is, even a lone gap
  return !IsSolid() && FPatternLength > 0 && !FSimpleElements.empty();
}

bool TvxLines::IsDotted() const {
  return FSimpleElements.size() >= 2 && FSimpleElements[0].Kind == skDash &&
         FSimpleElements[0].Value == 0 && FSimpleElements[1].Kind == skDash &&
         FSimpleElements[1].Value < 0;
}

TvxLinesParams TvxLines::Params() const {
  TvxLinesParams p;
  p.Scale = FScale;
  p.IsUniform = FIsUniform;
  p.IsAutocadMetod = FIsAutocadMetod;
  return p;
}

TvxLinesParams TvxLines::Params(double globalScale, double entityScale) const {
  TvxLinesParams p = Params();
  // the pattern's own scale takes part in single precision
  p.Scale = SanitizeScale(globalScale * static_cast<double>(static_cast<float>(FScale)) *
                          entityScale);
  return p;
}

// ---- cutting -------------------------------------------------------------------------------

namespace {

double StartValue(const TvxLines& lines) {
  const TvxLTypeSimpleElement& first = lines.SimpleElement(0);
  return first.Kind == skDash ? first.Value : 0.0;
}

}  // namespace

void TvxLines::Line(const TFPoint& point1, const TFPoint& point2, TFPointList& dotted) const {
  Line(point1, point2, dotted, Params());
}

void TvxLines::Line(const TFPoint& point1, const TFPoint& point2, TFPointList& dotted,
                    const TvxLinesParams& params) const {
  if (!IsFinitePoint(point1) || !IsFinitePoint(point2)) return;
  const double scale = SanitizeScale(params.Scale);
  const double len = Distance(point1, point2);
  const double L = len / scale;
  const double budget = Budget(params);
  int64_t n = 0;
  bool patterned = false;
  bool tooMany = false;  // more repetitions than the budget: drawn continuous, never as dots
  if (Cuts()) {
    if (budget * FPatternLength > L) {
      n = static_cast<int64_t>(std::floor(L / FPatternLength + 1e-15));
      tooMany = static_cast<double>(n) * FCycleCost > budget * cnstWorkFactor;
      patterned = n > 0 && !tooMany;
    } else {
      tooMany = true;
    }
  }
  if (!patterned) {
    if (n == 0 && !tooMany && IsDotted()) {
      AddPiece(dotted, point1, point1);
      AddPiece(dotted, point2, point2);
    } else {
      AddPiece(dotted, point1, point2);
    }
    return;
  }
  Layout w;
  w.L = L;
  w.N = n;
  w.S = StartValue(*this);
  w.EndRun = !params.IsUniform;
  if (w.EndRun) w.S = (L - static_cast<double>(n) * FPatternLength + w.S) / 2;
  Path path;
  path.Pts = {point1, point2};
  path.Cum = {0, len};
  PathSink sink(path, scale, *this, dotted);
  WalkPattern(FSimpleElements, w, sink);
}

void TvxLines::Poly(std::span<const TFPoint> points, TFPointList& dotted, bool close) const {
  Poly(points, dotted, close, Params());
}

void TvxLines::Poly(std::span<const TFPoint> points, TFPointList& dotted, bool close,
                    const TvxLinesParams& params) const {
  for (size_t i = 0; i + 1 < points.size(); ++i) {
    if (i > 0 && SamePoint(points[i], points[i + 1])) continue;
    Line(points[i], points[i + 1], dotted, params);
  }
  if (close && points.size() >= 2 && !SamePoint(points.back(), points.front()))
    Line(points.back(), points.front(), dotted, params);
}

void TvxLines::Curve(std::span<const TFPoint> points, TFPointList& dotted, bool close) const {
  Curve(points, dotted, close, Params());
}

void TvxLines::Curve(std::span<const TFPoint> points, TFPointList& dotted, bool close,
                     const TvxLinesParams& params) const {
  Path path;
  path.Pts.reserve(points.size() + 1);
  path.Cum.reserve(points.size() + 1);
  for (const TFPoint& p : points) path.Push(p);
  if (close && path.Pts.size() >= 2 && !SamePoint(path.Pts.back(), path.Pts.front()))
    path.Push(path.Pts.front());
  if (path.Pts.size() < 2) return;

  const double T = path.Length();
  const double scale = SanitizeScale(params.Scale);
  const double budget = Budget(params);
  const double PL = FPatternLength;
  bool patterned = Cuts();
  bool tooMany = false;  // drawn continuous, never as dots
  int64_t n = 0;
  double fitted = scale;
  if (patterned) {
    const double q = T / (PL * scale);
    if (!std::isfinite(q) || q > budget * cnstWorkFactor + 1) {
      patterned = false;
      tooMany = true;
    } else if (params.IsAutocadMetod) {
      if (close) {
        n = std::max<int64_t>(2, static_cast<int64_t>(std::nearbyint(q)));
        fitted = T / (static_cast<double>(n) * PL);
      } else {
        n = static_cast<int64_t>(q);
      }
    } else {
      n = static_cast<int64_t>(std::floor(q + 1e-15));
      if (close && n > 0) fitted = T / (static_cast<double>(n) * PL);
    }
    if (patterned) {
      // the fit is degenerate when it yields no whole pattern, a useless scale, or too much work
      tooMany = static_cast<double>(n) > budget * cnstWorkFactor ||
                static_cast<double>(n) * FCycleCost > budget * cnstWorkFactor;
      const double limit = budget * PL * fitted;
      for (size_t i = 1; i < path.Cum.size() && !tooMany; ++i)
        if (path.Cum[i] - path.Cum[i - 1] >= limit) tooMany = true;
      patterned = n > 0 && !tooMany && std::isfinite(fitted) && fitted > 0;
    }
  }
  if (!patterned) {
    if (n == 0 && !tooMany && IsDotted()) {
      AddPiece(dotted, path.Pts.front(), path.Pts.front());
      AddPiece(dotted, path.Pts.back(), path.Pts.back());
    } else {
      for (size_t i = 1; i < path.Pts.size(); ++i) AddPiece(dotted, path.Pts[i - 1], path.Pts[i]);
    }
    return;
  }
  Layout w;
  w.L = T / fitted;
  w.N = n;
  w.S = StartValue(*this);
  w.EndRun = !params.IsUniform || params.IsAutocadMetod;
  if (w.EndRun) w.S = (w.L - static_cast<double>(n) * PL + w.S) / 2;
  PathSink sink(path, fitted, *this, dotted);
  WalkPattern(FSimpleElements, w, sink);
}

void TvxLines::Vertexes(std::span<const TFPoint> points, std::span<const int32_t> counts,
                        bool close, TFPointList& dotted) const {
  Vertexes(points, counts, close, dotted, Params());
}

void TvxLines::Vertexes(std::span<const TFPoint> points, std::span<const int32_t> counts,
                        bool close, TFPointList& dotted, const TvxLinesParams& params) const {
  if (params.IsUniform) {
    // the polyline generates its pattern continuously: one run over all its points
    std::vector<TFPoint> run;
    run.reserve(points.size() + 1);
    for (const TFPoint& p : points) {
      if (!IsFinitePoint(p)) continue;
      if (!run.empty() && SamePoint(run.back(), p)) continue;
      run.push_back(p);
    }
    if (close && run.size() >= 2 && !SamePoint(run.back(), run.front())) run.push_back(run.front());
    Curve(std::span<const TFPoint>(run), dotted, close && params.IsAutocadMetod, params);
    return;
  }
  const size_t size = points.size();
  size_t idx = 0;
  // entries past the end of counts (or a missing list) count as straight segments
  for (size_t v = 0; idx < size; ++v) {
    int32_t c = v < counts.size() ? counts[v] : 1;
    if (c <= 0) continue;
    if (c == 1) {
      if (idx + 1 < size) Line(points[idx], points[idx + 1], dotted, params);
      ++idx;
      continue;
    }
    size_t cnt = std::min(static_cast<size_t>(c), size - idx);
    Curve(points.subspan(idx, cnt), dotted, false, params);
    idx += cnt;
  }
  if (close && size >= 2 && !SamePoint(points.back(), points.front()))
    Line(points.back(), points.front(), dotted, params);
}

}  // namespace vx
