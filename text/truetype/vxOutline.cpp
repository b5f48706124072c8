#include "text/truetype/vxOutline.h"

#include "foundation/vxGenerator.h"

#include <algorithm>
#include <cmath>

namespace vx::ttf {

FT_Library FreeTypeLibrary() {
  static FT_Library library = [] {
    FT_Library lib = nullptr;
    if (FT_Init_FreeType(&lib) != 0) lib = nullptr;
    return lib;
  }();
  return library;
}

std::mutex& FreeTypeLock() {
  static std::mutex lock;
  return lock;
}

namespace {

struct Flattener {
  double Scale;
  std::vector<TvxGlyphContour>* Contours;
  TvxGeneratorShapeEdge Generator;
  TFPointList Inner;
  TFPoint Current;
  bool Open = false;

  TFPoint Point(const FT_Vector* v) const { return {v->x * Scale, v->y * Scale, 0}; }
  void Add(const TFPoint& p) {
    Contours->back().push_back({static_cast<float>(p.X), static_cast<float>(p.Y)});
  }
  void Close() {
    if (Open && !Contours->back().empty()) {
      const TvxGlyphPoint first = Contours->back().front();
      if (!(Contours->back().back() == first)) Contours->back().push_back(first);
    }
    Open = false;
  }
  // Same flatness measure as the quadratic subdivision: the control points' distance from the
  // chord, squared, against the generator's tolerance.
  void Cubic(const TFPoint& p0, const TFPoint& c1, const TFPoint& c2, const TFPoint& p3,
             unsigned depth) {
    const double dx = p3.X - p0.X, dy = p3.Y - p0.Y;
    const double d1 = std::fabs((c1.X - p3.X) * dy - (c1.Y - p3.Y) * dx);
    const double d2 = std::fabs((c2.X - p3.X) * dy - (c2.Y - p3.Y) * dx);
    const double chord2 = dx * dx + dy * dy;
    bool flat;
    if (chord2 <= 1e-30)
      flat = std::fabs(c1.X - p0.X) + std::fabs(c1.Y - p0.Y) + std::fabs(c2.X - p0.X) +
                 std::fabs(c2.Y - p0.Y) <=
             Generator.DistanceToleranceManhattan();
    else
      flat = (d1 + d2) * (d1 + d2) <= Generator.DistanceToleranceSquare() * chord2;
    if (flat || depth >= Generator.RecursionLimit() || !std::isfinite(chord2)) {
      Add(p3);
      return;
    }
    const auto mid = [](const TFPoint& a, const TFPoint& b) {
      return TFPoint{(a.X + b.X) / 2, (a.Y + b.Y) / 2, 0};
    };
    const TFPoint a = mid(p0, c1), b = mid(c1, c2), c = mid(c2, p3);
    const TFPoint ab = mid(a, b), bc = mid(b, c), m = mid(ab, bc);
    Cubic(p0, a, ab, m, depth + 1);
    Cubic(m, bc, c, p3, depth + 1);
  }
};

int MoveTo(const FT_Vector* to, void* user) {
  auto& f = *static_cast<Flattener*>(user);
  f.Close();
  f.Contours->emplace_back();
  f.Open = true;
  f.Current = f.Point(to);
  f.Add(f.Current);
  return 0;
}

int LineTo(const FT_Vector* to, void* user) {
  auto& f = *static_cast<Flattener*>(user);
  if (!f.Open) return 0;
  f.Current = f.Point(to);
  f.Add(f.Current);
  return 0;
}

int ConicTo(const FT_Vector* control, const FT_Vector* to, void* user) {
  auto& f = *static_cast<Flattener*>(user);
  if (!f.Open) return 0;
  const TFPoint end = f.Point(to);
  f.Inner.Clear();
  f.Generator.CreateQuadraticSpline(f.Current, f.Point(control), end);
  for (const TFPoint& p : f.Inner) f.Add(p);
  // The subdivision gives only the inner points.
  f.Add(end);
  f.Current = end;
  return 0;
}

int CubicTo(const FT_Vector* c1, const FT_Vector* c2, const FT_Vector* to, void* user) {
  auto& f = *static_cast<Flattener*>(user);
  if (!f.Open) return 0;
  const TFPoint end = f.Point(to);
  f.Cubic(f.Current, f.Point(c1), f.Point(c2), end, 0);
  f.Current = end;
  return 0;
}

}  // namespace

void FlattenOutline(const FT_Outline& outline, double scale, std::vector<TvxGlyphContour>& contours) {
  const size_t first = contours.size();
  Flattener f;
  f.Scale = scale;
  f.Contours = &contours;
  f.Generator.SetBaseList(&f.Inner);
  FT_Outline_Funcs funcs{};
  funcs.move_to = MoveTo;
  funcs.line_to = LineTo;
  funcs.conic_to = ConicTo;
  funcs.cubic_to = CubicTo;
  FT_Outline copy = outline;
  FT_Outline_Decompose(&copy, &funcs, &f);
  f.Close();
  // A contour of a single point draws nothing.
  contours.erase(std::remove_if(contours.begin() + static_cast<std::ptrdiff_t>(first), contours.end(),
                                [](const TvxGlyphContour& c) { return c.size() < 2; }),
                 contours.end());
}

}  // namespace vx::ttf
