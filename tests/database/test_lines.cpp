// Tests of line-type patterns: preparation, the cutting rules of Line, Curve, Poly and Vertexes,
// the repetition budget, scale handling and bad input.
#include "database/linetypes/vxLines.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

namespace vx {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kTol = 1e-9;

struct Iv {
  double A, B;
};

std::string Show(const std::vector<Iv>& v) {
  std::string s;
  for (const Iv& iv : v) s += "[" + std::to_string(iv.A) + "," + std::to_string(iv.B) + "] ";
  return s;
}

void ExpectIntervals(const std::vector<Iv>& got, const std::vector<Iv>& want,
                     const std::string& what, double tol = kTol) {
  ASSERT_EQ(got.size(), want.size()) << what << ": got " << Show(got) << " want " << Show(want);
  for (size_t i = 0; i < got.size(); ++i) {
    EXPECT_NEAR(got[i].A, want[i].A, tol) << what << " piece " << i << ": " << Show(got);
    EXPECT_NEAR(got[i].B, want[i].B, tol) << what << " piece " << i << ": " << Show(got);
  }
}

bool AllFinite(const TFPointList& l) {
  for (const TFPoint& p : l)
    if (!std::isfinite(p.X) || !std::isfinite(p.Y) || !std::isfinite(p.Z)) return false;
  return true;
}

// Pieces of a cut along the X axis as intervals of X; every point must lie on the axis.
std::vector<Iv> AlongX(const TFPointList& l) {
  EXPECT_EQ(l.Count() % 2, 0);
  std::vector<Iv> out;
  for (int i = 0; i + 1 < l.Count(); i += 2) {
    EXPECT_NEAR(l[i].Y, 0, kTol);
    EXPECT_NEAR(l[i + 1].Y, 0, kTol);
    out.push_back({l[i].X, l[i + 1].X});
  }
  return out;
}

double Dist(const TFPoint& a, const TFPoint& b) {
  return std::hypot(b.X - a.X, b.Y - a.Y, b.Z - a.Z);
}

// Arc-length position of p on the path, the first one at or after minPos; -1 when off the path.
double ArcPos(const std::vector<TFPoint>& path, const TFPoint& p, double minPos) {
  double cum = 0;
  for (size_t i = 0; i + 1 < path.size(); ++i) {
    double len = Dist(path[i], path[i + 1]);
    double da = Dist(path[i], p), db = Dist(p, path[i + 1]);
    if (std::fabs(da + db - len) < 1e-9 && cum + da >= minPos - 1e-9) return cum + da;
    cum += len;
  }
  return -1;
}

// The drawn runs of a cut along a path: pieces mapped to arc length, joined pieces merged.
std::vector<Iv> Runs(const TFPointList& l, const std::vector<TFPoint>& path) {
  std::vector<Iv> out;
  double last = 0;
  for (int i = 0; i + 1 < l.Count(); i += 2) {
    double a = ArcPos(path, l[i], last);
    double b = ArcPos(path, l[i + 1], a);
    EXPECT_GE(a, 0) << "piece " << i / 2 << " off the path";
    EXPECT_GE(b, 0) << "piece " << i / 2 << " off the path";
    if (!out.empty() && std::fabs(out.back().B - a) < 1e-9 && b > a)
      out.back().B = b;
    else
      out.push_back({a, b});
    last = b;
  }
  return out;
}

double DrawnLength(const TFPointList& l) {
  double s = 0;
  for (int i = 0; i + 1 < l.Count(); i += 2) s += Dist(l[i], l[i + 1]);
  return s;
}

TvxLines Pattern(std::initializer_list<double> dashes) {
  TvxLines p;
  p.Initialize(dashes);
  p.Loaded();
  return p;
}

TvxLinesParams Scaled(double scale, bool uniform = false, bool acad = false) {
  TvxLinesParams p;
  p.Scale = scale;
  p.IsUniform = uniform;
  p.IsAutocadMetod = acad;
  return p;
}

bool SameList(const TFPointList& a, const TFPointList& b) {
  if (a.Count() != b.Count()) return false;
  for (int i = 0; i < a.Count(); ++i)
    if (!(a[i] == b[i])) return false;
  return true;
}

// ---- preparation -----------------------------------------------------------------------------

TEST(LinesPrepare, LengthSizeSolidAndDotted) {
  struct Case {
    std::vector<double> dashes;
    double length;
    int prepared;
    bool solid, dotted;
  };
  const Case cases[] = {
      {{}, 0, 0, true, false},
      {{1.0}, 1.0, 1, true, false},              // a single element is continuous
      {{0.0, 0.0, 0.0}, 0, 0, false, false},     // length 0: prepared list emptied
      {{0.5, -0.25}, 0.75, 2, false, false},
      {{0.0, -0.25}, 0.25, 2, false, true},
      {{-0.25, 0.0}, 0.25, 2, false, false},     // a gap first is not dotted
      {{1.25, -0.25, 0.25, -0.25}, 2.0, 4, false, false},
      {{0.5, kNaN, -0.25}, 0.75, 2, false, false},  // non-finite dashes are left out
      {{0.5, kInf, -0.25}, 0.75, 2, false, false},
      {{1e308, -1e308, 1e308}, 0, 0, false, false},  // overflowing length: continuous
  };
  for (const Case& c : cases) {
    TvxLines p;
    p.Initialize(c.dashes.data(), static_cast<int>(c.dashes.size()) - 1);
    p.Loaded();
    std::string what = "pattern of " + std::to_string(c.dashes.size());
    EXPECT_DOUBLE_EQ(p.PatternLength(), c.length) << what;
    EXPECT_DOUBLE_EQ(p.MaxSizeOfPatterns(), c.length) << what;
    EXPECT_EQ(p.SimpleElementsCount(), c.prepared) << what;
    EXPECT_EQ(p.IsSolid(), c.solid) << what;
    EXPECT_EQ(p.IsDotted(), c.dotted) << what;
  }
}

TEST(LinesPrepare, ElementsAssignAndClear) {
  TvxLines p;
  p.AddTick(0.5);
  p.AddTick(-0.25);
  EXPECT_EQ(p.GetElementsCount(), 2);
  ASSERT_NE(p.GetElement(1), nullptr);
  EXPECT_DOUBLE_EQ(p.GetElement(1)->Dash, -0.25);
  EXPECT_EQ(p.GetElement(2), nullptr);
  EXPECT_EQ(p.GetElement(-1), nullptr);
  p.SetScale(2);
  p.SetIsUniform(true);
  p.SetIsAutocadMetod(true);
  p.Loaded();

  TvxLines copy;
  copy.Assign(p);
  EXPECT_EQ(copy.GetElementsCount(), 2);
  EXPECT_DOUBLE_EQ(copy.Scale(), 2);
  EXPECT_TRUE(copy.IsUniform());
  EXPECT_TRUE(copy.IsAutocadMetod());
  EXPECT_DOUBLE_EQ(copy.PatternLength(), 0.75);
  // the prepared list is not copied: until Loaded the copy cuts nothing
  EXPECT_EQ(copy.SimpleElementsCount(), 0);
  TFPointList out;
  copy.Line({0, 0, 0}, {2, 0, 0}, out, Scaled(1));
  ExpectIntervals(AlongX(out), {{0, 2}}, "unprepared copy");
  copy.Loaded();
  EXPECT_EQ(copy.SimpleElementsCount(), 2);

  p.Clear();
  EXPECT_EQ(p.GetElementsCount(), 0);
  EXPECT_EQ(p.SimpleElementsCount(), 0);
  EXPECT_TRUE(p.IsSolid());
  EXPECT_TRUE(TvxLines::Continuous().IsSolid());
}

TEST(LinesPrepare, ScaleIsSanitised) {
  struct Case {
    double in, want;
  };
  for (const Case& c : std::initializer_list<Case>{{0, 1},
                                                   {1e-7, 1},
                                                   {-1e-7, 1},
                                                   {0.5, 0.5},
                                                   {-2, 2},
                                                   {1e-6, 1e-6},
                                                   {kNaN, 1},
                                                   {kInf, 1},
                                                   {-kInf, 1}}) {
    TvxLines p;
    p.SetScale(c.in);
    EXPECT_DOUBLE_EQ(p.Scale(), c.want) << c.in;
    EXPECT_DOUBLE_EQ(TvxLines::SanitizeScale(c.in), c.want) << c.in;
  }
}

TEST(LinesPrepare, EntityParamsCombineScalesWithoutMutatingThePattern) {
  TvxLines p = Pattern({0.5, -0.25});
  p.SetScale(0.1);
  TvxLinesParams e = p.Params(2.0, 3.0);
  EXPECT_DOUBLE_EQ(e.Scale, 2.0 * static_cast<double>(0.1f) * 3.0);
  EXPECT_DOUBLE_EQ(p.Scale(), 0.1);  // the shared pattern keeps its own scale
  EXPECT_DOUBLE_EQ(p.Params(0.0, 3.0).Scale, 1.0);
  EXPECT_DOUBLE_EQ(p.Params(kNaN, 1.0).Scale, 1.0);
  EXPECT_DOUBLE_EQ(p.Params(kInf, 0.0).Scale, 1.0);
}

// ---- Line ------------------------------------------------------------------------------------

struct LineCase {
  const char* name;
  std::vector<double> dashes;
  double length;  // the segment runs from the origin along X
  TvxLinesParams params;
  std::vector<Iv> want;  // equal ends are dots
};

TEST(LinesLine, CutsSegmentsIntoCentredPieces) {
  const LineCase cases[] = {
      {"dash/gap over 2", {0.5, -0.25}, 2.0, Scaled(1), {{0, 0.5}, {0.75, 1.25}, {1.5, 2.0}}},
      {"dash/gap over 2.2", {0.5, -0.25}, 2.2, Scaled(1), {{0, 0.6}, {0.85, 1.35}, {1.6, 2.2}}},
      {"uniform over 2.2", {0.5, -0.25}, 2.2, Scaled(1, true),
       {{0, 0.5}, {0.75, 1.25}, {1.5, 2.0}}},
      {"uniform over 2.6 cut at the end", {0.5, -0.25}, 2.6, Scaled(1, true),
       {{0, 0.5}, {0.75, 1.25}, {1.5, 2.0}, {2.25, 2.6}}},
      {"scale 2", {0.5, -0.25}, 4.0, Scaled(2), {{0, 1}, {1.5, 2.5}, {3, 4}}},
      {"scale -2 is 2", {0.5, -0.25}, 4.0, Scaled(-2), {{0, 1}, {1.5, 2.5}, {3, 4}}},
      {"scale 0 is 1", {0.5, -0.25}, 2.0, Scaled(0), {{0, 0.5}, {0.75, 1.25}, {1.5, 2.0}}},
      {"scale NaN is 1", {0.5, -0.25}, 2.0, Scaled(kNaN), {{0, 0.5}, {0.75, 1.25}, {1.5, 2.0}}},
      {"four elements, symmetric ends", {1.25, -0.25, 0.25, -0.25}, 5.0, Scaled(1),
       {{0, 1.125}, {1.375, 1.625}, {1.875, 3.125}, {3.375, 3.625}, {3.875, 5}}},
      {"gap first", {-0.25, 0.5}, 2.0, Scaled(1), {{0.375, 0.875}, {1.125, 1.625}, {1.875, 2}}},
      {"shorter than a pattern: whole", {0.5, -0.25}, 0.6, Scaled(1), {{0, 0.6}}},
      {"dotted, short: a dot at each end", {0.0, -0.5}, 0.3, Scaled(1), {{0, 0}, {0.3, 0.3}}},
      {"dotted over 1.2", {0.0, -0.5}, 1.2, Scaled(1), {{0, 0}, {0.6, 0.6}, {1.2, 1.2}}},
      {"dash and dot", {0.5, -0.25, 0.0, -0.25}, 2.5, Scaled(1),
       {{0, 0.5}, {0.75, 0.75}, {1, 1.5}, {1.75, 1.75}, {2, 2.5}}},
      {"zero-length segment", {0.5, -0.25}, 0.0, Scaled(1), {{0, 0}}},
      {"zero-length dotted", {0.0, -0.5}, 0.0, Scaled(1), {{0, 0}, {0, 0}}},
      {"continuous", {1.0}, 3.0, Scaled(1), {{0, 3}}},
      {"a lone gap is continuous too", {-1.0}, 3.0, Scaled(1), {{0, 3}}},
      {"all zero", {0.0, 0.0}, 3.0, Scaled(1), {{0, 3}}},
      {"tiny pattern length", {1e-300, -1e-300}, 3.0, Scaled(1), {{0, 3}}},
  };
  for (const LineCase& c : cases) {
    TvxLines p;
    p.Initialize(c.dashes.data(), static_cast<int>(c.dashes.size()) - 1);
    p.Loaded();
    TFPointList out;
    p.Line({0, 0, 0}, {c.length, 0, 0}, out, c.params);
    ExpectIntervals(AlongX(out), c.want, c.name);
  }
}

TEST(LinesLine, FollowsTheSegmentIn3D) {
  TvxLines p = Pattern({0.5, -0.25});
  const TFPoint a{1, 2, 3}, d{0.6, 0.0, 0.8};  // unit direction
  TFPointList out;
  p.Line(a, {a.X + 2 * d.X, a.Y + 2 * d.Y, a.Z + 2 * d.Z}, out, Scaled(1));
  const double want[][2] = {{0, 0.5}, {0.75, 1.25}, {1.5, 2.0}};
  ASSERT_EQ(out.Count(), 6);
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 2; ++j) {
      const TFPoint& q = out[2 * i + j];
      double t = want[i][j];
      EXPECT_NEAR(q.X, a.X + t * d.X, kTol);
      EXPECT_NEAR(q.Y, a.Y + t * d.Y, kTol);
      EXPECT_NEAR(q.Z, a.Z + t * d.Z, kTol);
    }
}

TEST(LinesLine, RepetitionBudget) {
  TvxLines p = Pattern({0.5, -0.5});  // pattern length 1
  TFPointList out;
  p.Line({0, 0, 0}, {7999.5, 0, 0}, out, Scaled(1));
  std::vector<Iv> got = AlongX(out);
  ASSERT_EQ(got.size(), 8000u);  // 7999 whole patterns plus the two partial ends
  EXPECT_NEAR(got.front().B, 0.5, kTol);
  EXPECT_NEAR(got.back().A, 7999.0, 1e-6);
  EXPECT_NEAR(got.back().B, 7999.5, kTol);

  out.Clear();
  p.Line({0, 0, 0}, {8000, 0, 0}, out, Scaled(1));
  ExpectIntervals(AlongX(out), {{0, 8000}}, "8000 patterns are drawn continuous");

  // a dotted pattern over the budget is continuous too, not two dots
  TvxLines dots = Pattern({0.0, -1.0});
  out.Clear();
  dots.Line({0, 0, 0}, {1e6, 0, 0}, out, Scaled(1));
  ExpectIntervals(AlongX(out), {{0, 1e6}}, "dotted over the budget");

  // per-call budget (e.g. the thickness pass) and the process-wide setting
  TvxLinesParams small = Scaled(1);
  small.MaxRepetitions = 10;
  out.Clear();
  p.Line({0, 0, 0}, {20, 0, 0}, out, small);
  ExpectIntervals(AlongX(out), {{0, 20}}, "per-call budget");

  EXPECT_EQ(TvxLines::MaxRepetitions(), 8000);
  struct Restore {
    int saved = TvxLines::MaxRepetitions();
    ~Restore() { TvxLines::SetMaxRepetitions(saved); }
  } restore;
  TvxLines::SetMaxRepetitions(10);
  out.Clear();
  p.Line({0, 0, 0}, {20, 0, 0}, out, Scaled(1));
  EXPECT_EQ(out.Count(), 2);
  out.Clear();
  p.Line({0, 0, 0}, {9.5, 0, 0}, out, Scaled(1));
  EXPECT_EQ(out.Count(), 20);
  TvxLines::SetMaxRepetitions(0);
  EXPECT_EQ(TvxLines::MaxRepetitions(), 1);
}

TEST(LinesLine, PatternWithManyElementsStaysBounded) {
  // 100000 elements of length 1e-3 make one pattern of length 100; 7000 of them would be
  // 7e8 pieces. Such a cut is drawn continuous.
  TvxLines p;
  for (int i = 0; i < 50000; ++i) {
    p.AddTick(1e-3);
    p.AddTick(-1e-3);
  }
  p.Loaded();
  TFPointList out;
  p.Line({0, 0, 0}, {700000, 0, 0}, out, Scaled(1));
  EXPECT_EQ(out.Count(), 2);
}

TEST(LinesLine, BadCoordinatesGiveNoNaN) {
  TvxLines p = Pattern({0.5, -0.25});
  TFPointList out;
  p.Line({kNaN, 0, 0}, {2, 0, 0}, out, Scaled(1));
  p.Line({0, 0, 0}, {kInf, 0, 0}, out, Scaled(1));
  EXPECT_EQ(out.Count(), 0);
  // a length that overflows: the segment is drawn whole
  p.Line({-1e308, 0, 0}, {1e308, 0, 0}, out, Scaled(1));
  EXPECT_EQ(out.Count(), 2);
  p.Line({0, 0, 0}, {2, 0, 0}, out, Scaled(1e300));
  EXPECT_EQ(out.Count(), 4);
  EXPECT_TRUE(AllFinite(out));
}

TEST(LinesLine, OwnParamsAreUsedByTheShortForm) {
  TvxLines p = Pattern({0.5, -0.25});
  p.SetScale(2);
  TFPointList a, b;
  p.Line({0, 0, 0}, {4, 0, 0}, a);
  p.Line({0, 0, 0}, {4, 0, 0}, b, Scaled(2));
  EXPECT_TRUE(SameList(a, b));
}

// ---- Poly ------------------------------------------------------------------------------------

TEST(LinesPoly, SegmentsThroughLineWithSkipAndCloseRules) {
  TvxLines p = Pattern({0.0, -0.5});  // dotted: every Line call leaves visible dots
  auto manual = [&](std::initializer_list<std::pair<TFPoint, TFPoint>> segs) {
    TFPointList l;
    for (const auto& s : segs) p.Line(s.first, s.second, l, Scaled(1));
    return l;
  };
  const TFPoint a{0, 0, 0}, b{2, 0, 0}, c{2, 2, 0};
  struct Case {
    const char* name;
    std::vector<TFPoint> pts;
    bool close;
    TFPointList want;
  };
  const Case cases[] = {
      {"open", {a, b, c}, false, manual({{a, b}, {b, c}})},
      {"closed", {a, b, c}, true, manual({{a, b}, {b, c}, {c, a}})},
      {"zero-length segment after the first skipped", {a, b, b, c}, false,
       manual({{a, b}, {b, c}})},
      {"zero-length first segment kept", {a, a, b}, false, manual({{a, a}, {a, b}})},
      {"closed but already closed", {a, b, c, a}, true, manual({{a, b}, {b, c}, {c, a}})},
      {"one point", {a}, true, {}},
      {"NaN point", {a, {kNaN, 0, 0}, b}, false, {}},
  };
  for (const Case& k : cases) {
    TFPointList out;
    p.Poly(std::span<const TFPoint>(k.pts), out, k.close, Scaled(1));
    EXPECT_TRUE(SameList(out, k.want)) << k.name << ": " << out.Count() << " vs "
                                       << k.want.Count();
    EXPECT_TRUE(AllFinite(out)) << k.name;
  }
}

// ---- Curve -----------------------------------------------------------------------------------

std::vector<TFPoint> Polygon(int n, double r, bool repeatFirst) {
  std::vector<TFPoint> pts;
  for (int i = 0; i < n; ++i) {
    double t = 2 * fPi * i / n;
    pts.push_back({r * std::cos(t), r * std::sin(t), 0});
  }
  if (repeatFirst) pts.push_back(pts.front());
  return pts;
}

double PathLength(const std::vector<TFPoint>& pts) {
  double s = 0;
  for (size_t i = 1; i < pts.size(); ++i) s += Dist(pts[i - 1], pts[i]);
  return s;
}

TEST(LinesCurve, PositionCarriesRoundVertices) {
  TvxLines p = Pattern({0.5, -0.25});
  const std::vector<TFPoint> path{{0, 0, 0}, {1, 0, 0}, {1, 1, 0}};
  TFPointList out;
  p.Curve(std::span<const TFPoint>(path), out, false, Scaled(1));
  ExpectIntervals(Runs(out, path), {{0, 0.5}, {0.75, 1.25}, {1.5, 2.0}}, "open L shape");
  // the middle dash bends round the vertex: it is two pieces meeting at (1, 0)
  ASSERT_EQ(out.Count(), 8);
  EXPECT_EQ(out[3], (TFPoint{1, 0, 0}));
  EXPECT_EQ(out[4], (TFPoint{1, 0, 0}));
}

TEST(LinesCurve, OpenCurveLayouts) {
  TvxLines p = Pattern({0.5, -0.25});
  const std::vector<TFPoint> path{{0, 0, 0}, {1.1, 0, 0}, {1.1, 1.1, 0}};  // length 2.2
  struct Case {
    const char* name;
    TvxLinesParams params;
    std::vector<Iv> want;
  };
  const Case cases[] = {
      {"centred", Scaled(1), {{0, 0.6}, {0.85, 1.35}, {1.6, 2.2}}},
      {"uniform", Scaled(1, true), {{0, 0.5}, {0.75, 1.25}, {1.5, 2.0}}},
      {"alternative method centres", Scaled(1, true, true), {{0, 0.6}, {0.85, 1.35}, {1.6, 2.2}}},
      {"alternative, not uniform", Scaled(1, false, true), {{0, 0.6}, {0.85, 1.35}, {1.6, 2.2}}},
  };
  for (const Case& c : cases) {
    TFPointList out;
    p.Curve(std::span<const TFPoint>(path), out, false, c.params);
    ExpectIntervals(Runs(out, path), c.want, c.name);
  }
}

TEST(LinesCurve, ClosedSquareIsStretchedToWholePatterns) {
  // side 2.5, length 10; pattern 0.8 -> 12.5 patterns: 12 whole ones stretched to fill 10
  TvxLines p = Pattern({0.5, -0.3});
  const std::vector<TFPoint> sq{{0, 0, 0}, {2.5, 0, 0}, {2.5, 2.5, 0}, {0, 2.5, 0}};
  std::vector<TFPoint> path = sq;
  path.push_back(sq.front());
  const double f = 10.0 / 9.6;
  std::vector<Iv> want{{0, 0.25 * f}};
  for (int k = 1; k < 12; ++k) want.push_back({(k * 0.8 - 0.25) * f, (k * 0.8 + 0.25) * f});
  want.push_back({(12 * 0.8 - 0.25) * f, 10});

  TFPointList out;
  p.Curve(std::span<const TFPoint>(sq), out, true, Scaled(1));  // closed by the call
  ExpectIntervals(Runs(out, path), want, "closed square");
  EXPECT_NEAR(DrawnLength(out), 12 * 0.5 * f, 1e-9);
  ASSERT_GE(out.Count(), 2);
  EXPECT_EQ(out.First(), sq.front());  // the seam dash is split at the start point
  EXPECT_NEAR(Dist(out.Last(), sq.front()), 0, kTol);
}

TEST(LinesCurve, ClosedCircleFitting) {
  const std::vector<TFPoint> circle = Polygon(48, 10, true);
  const double T = PathLength(circle);  // about 62.79
  TvxLines p = Pattern({0.5, -0.5});
  struct Case {
    const char* name;
    TvxLinesParams params;
    size_t runs;  // centred: whole patterns + 1, the seam dash is split in two
    double lastEnd;
  };
  const Case cases[] = {
      {"stretched to floor(T) = 62", Scaled(1), 63, T},
      {"alternative: round(T) = 63", Scaled(1, false, true), 64, T},
      {"uniform: stretched, not centred", Scaled(1, true), 62, T - 0.5 * T / 62},
  };
  for (const Case& c : cases) {
    TFPointList out;
    p.Curve(std::span<const TFPoint>(circle), out, true, c.params);
    std::vector<Iv> runs = Runs(out, circle);
    EXPECT_EQ(runs.size(), c.runs) << c.name;
    EXPECT_NEAR(DrawnLength(out), T / 2, 1e-9) << c.name;
    ASSERT_FALSE(runs.empty());
    EXPECT_NEAR(runs.front().A, 0, kTol) << c.name;
    EXPECT_NEAR(runs.back().B, c.lastEnd, 1e-9) << c.name;
  }
  // unstretched, the same pattern would draw more than half the length
  TFPointList open;
  p.Curve(std::span<const TFPoint>(circle), open, false, Scaled(1));
  EXPECT_GT(DrawnLength(open), T / 2 + 0.1);
}

TEST(LinesCurve, SmallClosedCurve) {
  const std::vector<TFPoint> circle = Polygon(48, 0.05, true);  // length about 0.314
  const double T = PathLength(circle);
  TvxLines p = Pattern({0.5, -0.5});
  TFPointList out;
  p.Curve(std::span<const TFPoint>(circle), out, true, Scaled(1));
  EXPECT_EQ(out.Count(), 96) << "no whole pattern: every piece whole";
  EXPECT_NEAR(DrawnLength(out), T, 1e-12);
  out.Clear();
  p.Curve(std::span<const TFPoint>(circle), out, true, Scaled(1, false, true));
  EXPECT_EQ(Runs(out, circle).size(), 3u) << "alternative: at least two patterns";
  EXPECT_NEAR(DrawnLength(out), T / 2, 1e-12);
}

TEST(LinesCurve, UnpatternedCases) {
  TvxLines p = Pattern({0.5, -0.5});
  TvxLines dots = Pattern({0.0, -1.0});
  const std::vector<TFPoint> shortPath{{0, 0, 0}, {0.3, 0, 0}, {0.3, 0.3, 0}};
  TFPointList out;
  dots.Curve(std::span<const TFPoint>(shortPath), out, false, Scaled(1));
  ExpectIntervals(Runs(out, shortPath), {{0, 0}, {0.6, 0.6}}, "dotted, short: dots at the ends");

  const std::vector<TFPoint> longPiece{{0, 0, 0}, {1, 0, 0}, {9001, 0, 0}};
  out.Clear();
  p.Curve(std::span<const TFPoint>(longPiece), out, false, Scaled(1));
  ExpectIntervals(AlongX(out), {{0, 1}, {1, 9001}}, "a piece over 8000 patterns");

  // more whole patterns than budget x 1024, each piece small
  std::vector<TFPoint> many;
  for (int i = 0; i <= 2000; ++i) many.push_back({9.0 * i, 0, 0});
  TvxLinesParams small = Scaled(1);
  small.MaxRepetitions = 10;
  out.Clear();
  p.Curve(std::span<const TFPoint>(many), out, false, small);
  EXPECT_EQ(out.Count(), 4000);
  out.Clear();
  p.Curve(std::span<const TFPoint>(many), out, false, Scaled(1));
  EXPECT_EQ(DrawnLength(out), 9000.0);  // patterned: half of 18000
}

TEST(LinesCurve, BadPointsAreDropped) {
  TvxLines p = Pattern({0.5, -0.25});
  const std::vector<TFPoint> clean{{0, 0, 0}, {1, 0, 0}, {1, 1, 0}};
  const std::vector<TFPoint> dirty{{0, 0, 0}, {kNaN, 1, 0}, {1, 0, 0}, {1, 0, 0},
                                   {1, kInf, 0}, {1, 1, 0}};
  TFPointList a, b;
  p.Curve(std::span<const TFPoint>(clean), a, false, Scaled(1));
  p.Curve(std::span<const TFPoint>(dirty), b, false, Scaled(1));
  EXPECT_TRUE(SameList(a, b));

  const std::vector<TFPoint> same{{1, 1, 1}, {1, 1, 1}, {1, 1, 1}};
  TFPointList c;
  p.Curve(std::span<const TFPoint>(same), c, true, Scaled(1));
  p.Curve(std::span<const TFPoint>(), c, true, Scaled(1));
  EXPECT_EQ(c.Count(), 0);

  const std::vector<TFPoint> huge{{-1e308, 0, 0}, {1e308, 0, 0}, {1e308, 1, 0}};
  p.Curve(std::span<const TFPoint>(huge), c, false, Scaled(1));
  EXPECT_EQ(c.Count(), 4);
  EXPECT_TRUE(AllFinite(c));
}

// ---- Vertexes --------------------------------------------------------------------------------

TEST(LinesVertexes, StraightSegmentsAndArcs) {
  TvxLines p = Pattern({0.5, -0.25});
  // vertex 0 straight to (2, 0); vertex 1 an arc of 12 points from (2, 0) to (4, 0);
  // vertex 2 at (4, 0) again, the last vertex
  std::vector<TFPoint> pts{{0, 0, 0}};
  for (int k = 0; k < 12; ++k) {
    double t = fPi - fPi * k / 11;
    pts.push_back({3 + std::cos(t), std::sin(t), 0});
  }
  pts.back() = {4, 0, 0};
  pts.push_back({4, 0, 0});
  const std::vector<int32_t> counts{1, 12, 1};
  const TvxLinesParams prm = Scaled(1);
  std::span<const TFPoint> all(pts);

  TFPointList want;
  p.Line(pts[0], pts[1], want, prm);
  p.Curve(all.subspan(1, 12), want, false, prm);
  TFPointList got;
  p.Vertexes(all, std::span<const int32_t>(counts), false, got, prm);
  EXPECT_TRUE(SameList(got, want)) << got.Count() << " vs " << want.Count();

  p.Line(pts.back(), pts.front(), want, prm);  // the closing segment
  got.Clear();
  p.Vertexes(all, std::span<const int32_t>(counts), true, got, prm);
  EXPECT_TRUE(SameList(got, want)) << "closed";

  // a closed polyline whose last arc ends at the first point adds no closing segment
  std::vector<TFPoint> ring(pts.begin() + 1, pts.begin() + 13);
  ring.push_back({4, 0, 0});
  for (int k = 1; k < 12; ++k) {
    double t = -fPi * k / 11;
    ring.push_back({3 + std::cos(t), std::sin(t), 0});
  }
  ring.back() = {2, 0, 0};
  TFPointList closed, arcs;
  const std::vector<int32_t> ringCounts{12, 12};
  p.Vertexes(std::span<const TFPoint>(ring), std::span<const int32_t>(ringCounts), true, closed,
             prm);
  std::span<const TFPoint> r(ring);
  p.Curve(r.subspan(0, 12), arcs, false, prm);
  p.Curve(r.subspan(12, 12), arcs, false, prm);
  EXPECT_TRUE(SameList(closed, arcs));
}

TEST(LinesVertexes, ContinuousGenerationVersusRestartingAtVertices) {
  TvxLines p = Pattern({0.5, -0.25});
  const std::vector<TFPoint> path{{0, 0, 0}, {1.1, 0, 0}, {1.1, 1.1, 0}};  // length 2.2
  const std::vector<int32_t> counts{1, 1, 1};
  struct Case {
    const char* name;
    TvxLinesParams params;
    std::vector<Iv> want;
  };
  const Case cases[] = {
      {"restart per segment", Scaled(1), {{0, 0.425}, {0.675, 1.525}, {1.775, 2.2}}},
      {"continuous", Scaled(1, true), {{0, 0.5}, {0.75, 1.25}, {1.5, 2.0}}},
      {"continuous, alternative method", Scaled(1, true, true),
       {{0, 0.6}, {0.85, 1.35}, {1.6, 2.2}}},
  };
  for (const Case& c : cases) {
    TFPointList out;
    p.Vertexes(std::span<const TFPoint>(path), std::span<const int32_t>(counts), false, out,
               c.params);
    ExpectIntervals(Runs(out, path), c.want, c.name);
  }
}

TEST(LinesVertexes, ContinuousGenerationDropsDuplicatesAndCloses) {
  TvxLines p = Pattern({0.5, -0.3});
  const std::vector<TFPoint> sq{{0, 0, 0}, {2.5, 0, 0}, {2.5, 0, 0}, {2.5, 2.5, 0}, {0, 2.5, 0}};
  const std::vector<TFPoint> run{{0, 0, 0}, {2.5, 0, 0}, {2.5, 2.5, 0}, {0, 2.5, 0}, {0, 0, 0}};
  const std::vector<int32_t> counts{1, 1, 1, 1, 1};
  for (bool acad : {false, true}) {
    TvxLinesParams prm = Scaled(1, true, acad);
    TFPointList got, want;
    p.Vertexes(std::span<const TFPoint>(sq), std::span<const int32_t>(counts), true, got, prm);
    // the run is closed (stretched) only in the alternative method
    p.Curve(std::span<const TFPoint>(run), want, acad, prm);
    EXPECT_TRUE(SameList(got, want)) << "acad " << acad;
  }
}

TEST(LinesVertexes, CountsThatDoNotMatchThePoints) {
  TvxLines p = Pattern({0.5, -0.25});
  const std::vector<TFPoint> pts{{0, 0, 0}, {2, 0, 0}, {2, 2, 0}};
  TFPointList none, want;
  p.Line(pts[0], pts[1], want, Scaled(1));
  p.Line(pts[1], pts[2], want, Scaled(1));
  // missing counts: straight segments
  p.Vertexes(std::span<const TFPoint>(pts), std::span<const int32_t>(), false, none, Scaled(1));
  EXPECT_TRUE(SameList(none, want));
  // entries below 1 add no points; a count past the end is cut
  const std::vector<int32_t> odd{0, -1, 1, 1000000};
  TFPointList got, want2;
  p.Line(pts[0], pts[1], want2, Scaled(1));
  p.Curve(std::span<const TFPoint>(pts).subspan(1, 2), want2, false, Scaled(1));
  p.Vertexes(std::span<const TFPoint>(pts), std::span<const int32_t>(odd), false, got, Scaled(1));
  EXPECT_TRUE(SameList(got, want2));
}

// ---- symbols ---------------------------------------------------------------------------------

class LinesSymbol : public ::testing::Test {
 protected:
  void SetUp() override {
    p.AddTick(0.5);
    TvxLTypeElement text;
    text.ComplexType = cnstLTypeText;
    text.Dash = -0.5;
    text.Text = "X";
    p.Add(text);
  }
  static bool Source(const TvxLTypeElement& e, TvxLTypeSymbol& s) {
    if (e.Text != "X") return false;
    s.Strokes = {{{0, 0, 0}, {0.1, 0, 0}}, {{kNaN, 0, 0}}};
    s.Width = 0.1;
    s.Height = 0.05;
    return true;
  }
  TFPointList Cut() const {
    TFPointList out;
    p.Line({0, 0, 0}, {0, 3, 0}, out, Scaled(2, true));
    return out;
  }
  TvxLines p;
};

TEST_F(LinesSymbol, WithoutSourceTheSymbolIsAPlainGap) {
  p.Loaded();
  EXPECT_EQ(p.SimpleElementsCount(), 2);
  EXPECT_DOUBLE_EQ(p.MaxSizeOfPatterns(), 1.0);
  TFPointList want;
  want.Append({0, 0, 0});
  want.Append({0, 1, 0});
  want.Append({0, 2, 0});
  want.Append({0, 3, 0});
  EXPECT_TRUE(SameList(Cut(), want));
}

TEST_F(LinesSymbol, StrokesFollowTheLineOrKeepTheirRotation) {
  p.Loaded(Source);
  ASSERT_EQ(p.SimpleElementsCount(), 3);
  EXPECT_EQ(p.SimpleElement(2).Kind, skSymbol);
  EXPECT_DOUBLE_EQ(p.MaxSizeOfPatterns(), 1.15);
  TFPointList out = Cut();
  ASSERT_EQ(out.Count(), 6);  // dash, symbol stroke, dash; the NaN stroke point is dropped
  EXPECT_NEAR(out[2].X, 0, kTol);
  EXPECT_NEAR(out[2].Y, 2, kTol);
  EXPECT_NEAR(out[3].X, 0, kTol);  // rotated along the line (90 degrees), scaled by 2
  EXPECT_NEAR(out[3].Y, 2.2, kTol);
  EXPECT_NEAR(out[5].Y, 3, kTol);

  p.GetElement(1)->ComplexType |= cnstLTypeAbsoluteRotation;
  p.Loaded(Source);
  out = Cut();
  ASSERT_EQ(out.Count(), 6);
  EXPECT_NEAR(out[3].X, 0.2, kTol);
  EXPECT_NEAR(out[3].Y, 2, kTol);
}

TEST_F(LinesSymbol, SymbolWithoutBoxAddsNothing) {
  p.GetElement(1)->Text = "other";
  p.Loaded(Source);
  EXPECT_EQ(p.SimpleElementsCount(), 2);
  EXPECT_DOUBLE_EQ(p.MaxSizeOfPatterns(), 1.0);
}

}  // namespace
}  // namespace vx
