// The hatch pattern generator: the scan-line clipper's rules on vertices and boundary edges,
// dashes phased from the reference point, the limits (memory, points, an injected clock), and
// random loops checked against an independent even-odd point test.
#include "database/hatches/vxHatches.h"
#include "foundation/vxGeometry2D.h"
#include "test_entities_fixture.h"

#include <algorithm>
#include <random>

namespace vx::test {
namespace {

TF2DPointList Loop(std::initializer_list<TF2DPoint> pts) {
  TF2DPointList l;
  for (const TF2DPoint& p : pts) l.Append(p);
  l.Append(*pts.begin());
  return l;
}

TFRect BoxOf(const std::vector<TF2DPointList>& loops) {
  TFRect b = BadBox;
  for (const auto& l : loops)
    for (const TF2DPoint& p : l) ExpandBox(b, {p.X, p.Y, 0});
  return b;
}

// Entities live on the heap (they end with Free).
TvxEntityPtr<TvxCADHatchPatternData> Pattern(double angle, TFPoint base, TFPoint offset,
                                             std::vector<double> dashes = {}) {
  TvxEntityPtr<TvxCADHatchPatternData> d(new TvxCADHatchPatternData());
  TvxHatchPatternData& p = d->AddPattern();
  p.LineAngle = angle;
  p.BaseP = base;
  p.Offset = offset;
  for (double x : dashes) p.Lines.Append(x);
  p.IsDash = !dashes.empty();
  return d;
}

void ExpectPieces(const std::vector<double>& got, const std::vector<double>& want) {
  ASSERT_EQ(got.size(), want.size());
  for (size_t i = 0; i < got.size(); ++i) EXPECT_NEAR(got[i], want[i], 1e-12) << i;
}

std::vector<double> Pieces(const std::vector<TF2DPointList>& loops, double angle, double c) {
  TvxParserLineHatch clip(loops, angle);
  std::vector<double> out;
  clip.Parse(c, out);
  return out;
}

TEST(HatchClipper, VerticesEdgesAndNeighbours) {
  // A line through two vertices of a diamond crosses it once on each side.
  const std::vector<TF2DPointList> diamond = {Loop({{0, -1}, {1, 0}, {0, 1}, {-1, 0}})};
  ExpectPieces(Pieces(diamond, 0, 0), {-1, 1});
  // Touching the tip only: nothing.
  EXPECT_TRUE(Pieces(diamond, 0, 1).empty());
  EXPECT_TRUE(Pieces(diamond, 0, -1).empty());
  // A vertex pointing down onto the line (a V) adds no piece and keeps the parity.
  const std::vector<TF2DPointList> notch = {Loop({{0, 0}, {4, 0}, {4, 4}, {2, 1}, {0, 4}})};
  ExpectPieces(Pieces(notch, 0, 1), {0, 4});
  ExpectPieces(Pieces(notch, 0, 2), {0, 2.0 * 2 / 3, 4 - 2.0 * 2 / 3, 4});
  // Along a boundary edge counts as outside; two squares sharing an edge give one piece.
  const std::vector<TF2DPointList> two = {Loop({{0, 0}, {5, 0}, {5, 5}, {0, 5}}),
                                          Loop({{5, 0}, {10, 0}, {10, 5}, {5, 5}})};
  EXPECT_TRUE(Pieces(two, 0, 0).empty());
  EXPECT_TRUE(Pieces(two, 0, 5).empty());
  ExpectPieces(Pieces(two, 0, 2), {0, 10});
  // A line running along part of the bottom of an L: the piece stops where the edge starts.
  const std::vector<TF2DPointList> step = {Loop({{0, 0}, {6, 0}, {6, 2}, {3, 2}, {3, 4}, {0, 4}})};
  ExpectPieces(Pieces(step, 0, 2), {0, 3});
  // At 90 degrees t runs along +Y and s along -X.
  ExpectPieces(Pieces(two, 90, -7), {0, 5});
}

TEST(HatchDashes, PhasedFromTheReferencePoint) {
  struct Case { double t0, t1, ref; std::vector<double> dashes, want; };
  const std::vector<Case> cases = {
      {0, 5, 0.3, {1, -1}, {0.3, 1.3, 2.3, 3.3, 4.3, 5}},
      {0, 5, 10.3, {1, -1}, {0.3, 1.3, 2.3, 3.3, 4.3, 5}},  // the reference beyond the segment
      {0, 3, 0.5, {0, -1}, {0.5, 0.5, 1.5, 1.5, 2.5, 2.5}},  // dots
      {0, 3, 0, {0, -1}, {0, 0, 1, 1, 2, 2}},                 // not at the far end
      {0, 3, 0, {2}, {0, 3}},                                 // one dash: the whole segment
      {0, 3, 0, {0, 0}, {0, 3}},                              // no length
      {0, 0.00005, 0, {1, -1}, {0, 0.00005}},                 // too short to cut
      {0, 20000, 0, {1, -1}, {0, 20000}},                     // past the dash limit
      {1e9, 1e9 + 3, 0.5, {1, -1}, {1e9 + 0.5, 1e9 + 1.5, 1e9 + 2.5, 1e9 + 3}},
  };
  for (const Case& c : cases) {
    TvxDoubleList d;
    for (double x : c.dashes) d.Append(x);
    std::vector<double> out;
    CutDashes(c.t0, c.t1, c.ref, d, 8000, out);
    ASSERT_EQ(out.size(), c.want.size()) << c.t0 << " " << c.ref;
    for (size_t i = 0; i < out.size(); ++i) EXPECT_NEAR(out[i], c.want[i], 1e-6) << i;
  }
}

TEST(HatchGenerator, IslandsKeepTheDashPhase) {
  // Dashes 1 on, 1 off from x = 0.3: the piece after the island resumes in phase.
  const std::vector<TF2DPointList> loops = {Loop({{0, 0}, {10, 0}, {10, 10}, {0, 10}}),
                                            Loop({{4, 4}, {6, 4}, {6, 6}, {4, 6}})};
  TFPointList out;
  GenerateHatchLines(loops, BoxOf(loops), *Pattern(0, {0.3, 0.5, 0}, {0, 1, 0}, {1, -1}), out);
  for (int i = 0; i + 1 < out.Count(); i += 2) {
    const double x0 = out[i].X, x1 = out[i + 1].X;
    const double phase = std::fmod(x0 - 0.3 + 100, 2.0);
    EXPECT_TRUE(phase < 1 + 1e-9 || x0 == 0 || x0 == 6) << x0;  // starts on a dash or at a cut
    EXPECT_LE(x1 - x0, 1 + 1e-9);
  }
  // The row through the island starts again at 6.3.
  bool resumed = false;
  for (int i = 0; i + 1 < out.Count(); i += 2)
    if (std::fabs(out[i].Y - 4.5) < 1e-9 && std::fabs(out[i].X - 6.3) < 1e-9) resumed = true;
  EXPECT_TRUE(resumed);
}

TEST(HatchGenerator, VerticalFamiliesAndNegativeAngles) {
  // The vertical family of a grid steps along X: its offset has no Y part at all.
  const std::vector<TF2DPointList> sq = {Loop({{0, 0}, {10, 0}, {10, 10}, {0, 10}})};
  TFPointList out;
  EXPECT_EQ(GenerateHatchLines(sq, BoxOf(sq), *Pattern(90, {0, 0, 0}, {-3.175, 0, 0}), out),
            hsVertical);
  EXPECT_EQ(out.Count(), 2 * 3);  // x = 3.175, 6.35, 9.525
  // A -90 degree family and a 270 degree one are the same lines.
  TFPointList a, b;
  GenerateHatchLines(sq, BoxOf(sq), *Pattern(-90, {0, 0, 0}, {1, 0, 0}, {0.5, -0.5}), a);
  GenerateHatchLines(sq, BoxOf(sq), *Pattern(270, {0, 0, 0}, {1, 0, 0}, {0.5, -0.5}), b);
  ASSERT_EQ(a.Count(), b.Count());
  for (int i = 0; i < a.Count(); ++i) ExpectNear(a[i], b[i], 1e-9);
  // An offset along the lines makes no family.
  out.Clear();
  GenerateHatchLines(sq, BoxOf(sq), *Pattern(45, {0, 0, 0}, {2, 2, 0}), out);
  EXPECT_EQ(out.Count(), 0);
  // Non-finite pattern data is skipped.
  GenerateHatchLines(sq, BoxOf(sq), *Pattern(kNaN, {0, 0, 0}, {0, 1, 0}), out);
  GenerateHatchLines(sq, BoxOf(sq), *Pattern(0, {0, kNaN, 0}, {0, 1, 0}), out);
  EXPECT_EQ(out.Count(), 0);
}

class HatchLimitsTest : public EntitiesTest {
 protected:
  TvxCADHatch* DenseSquare(double step) {
    auto* h = new TvxCADHatch();
    Tvx2DBoundaryList* b = h->AddBoundaryList();
    TF2DPointList sq;
    for (TF2DPoint p : {TF2DPoint{0, 0}, TF2DPoint{10, 0}, TF2DPoint{10, 10}, TF2DPoint{0, 10}}) sq.Append(p);
    b->AssignBoundary(sq);
    TvxHatchPatternData& p = h->HatchPatternData().AddPattern();
    p.Offset = {0, step, 0};
    return h;
  }
};

TEST_F(HatchLimitsTest, TooDenseIsRefusedAndMarked) {
  // A million lines: refused before any is made; boundaries and box stay.
  TvxCADHatch* h = AddLoaded(DenseSquare(1e-5));
  EXPECT_EQ(h->ParsedLines().Count(), 0);
  EXPECT_TRUE(h->PatternOverflow());
  EXPECT_EQ(h->Boundaries().size(), 1u);
  EXPECT_EQ(h->GetBox().Right, 10);
  // Under the line budget but past the point limit.
  TvxCADHatch* p = DenseSquare(0.01);
  TvxHatchLimits limits;
  limits.Points = 1000;
  p->SetLimits(limits);
  AddLoaded(p);
  EXPECT_EQ(p->ParsedLines().Count(), 0);
  EXPECT_TRUE(p->PatternOverflow());
  // A normal one is not marked.
  TvxCADHatch* n = AddLoaded(DenseSquare(0.5));
  EXPECT_EQ(n->ParsedLines().Count(), 2 * 19);
  EXPECT_FALSE(n->PatternOverflow());
}

TEST_F(HatchLimitsTest, TimeLimitWithAnInjectedClock) {
  int64_t now = 1000;
  SetHatchClock([&] { return now += 50000; });  // every reading is 50 s later
  TvxCADHatch* h = AddLoaded(DenseSquare(0.5));
  SetHatchClock({});
  EXPECT_EQ(h->ParsedLines().Count(), 0);
  EXPECT_TRUE(h->PatternOverflow());
  try {
    int64_t t = 0;
    SetHatchClock([&] { return t += 200000; });
    const std::vector<TF2DPointList> sq = {Loop({{0, 0}, {10, 0}, {10, 10}, {0, 10}})};
    TFPointList out;
    GenerateHatchLines(sq, BoxOf(sq), *Pattern(0, {0, 0, 0}, {0, 1, 0}), out);
    ADD_FAILURE() << "no time limit";
  } catch (const EvxLimitTimeUsesException& e) {
    EXPECT_STREQ(e.what(), "Hatch Time Limit");
  }
  SetHatchClock({});
  h->Update();  // the real clock: the lines come back
  EXPECT_EQ(h->ParsedLines().Count(), 2 * 19);
}

// Random loops (crossing themselves and each other) under random families: every segment lies
// inside by the even-odd rule, and every inside point of a family line is covered by one.
TEST(HatchGenerator, AgreesWithTheEvenOddPointTest) {
  std::mt19937 rng(7);
  std::uniform_real_distribution<double> u(-10, 10);
  for (int round = 0; round < 60; ++round) {
    std::vector<TF2DPointList> loops;
    std::vector<TFPointList> loops3;
    for (int l = 0, nl = 1 + static_cast<int>(rng() % 3); l < nl; ++l) {
      TF2DPointList loop;
      for (int i = 0, n = 3 + static_cast<int>(rng() % 6); i < n; ++i) {
        // Integer vertices often fall exactly on family lines.
        const double x = round % 2 ? std::round(u(rng)) : u(rng), y = round % 2 ? std::round(u(rng)) : u(rng);
        loop.Append({x, y});
      }
      loop.Append(loop.First());
      TFPointList l3;
      for (const TF2DPoint& p : loop) l3.Append({p.X, p.Y, 0});
      loops.push_back(loop);
      loops3.push_back(l3);
    }
    const double angle = round % 3 == 0 ? 0 : u(rng) * 18;
    const double a = angle * fPiDiv180;
    const auto pat = Pattern(angle, {u(rng), u(rng), 0}, {-std::sin(a) * 0.7, std::cos(a) * 0.7, 0});
    TFPointList out;
    GenerateHatchLines(loops, BoxOf(loops), *pat, out);
    ASSERT_EQ(out.Count() % 2, 0);
    const TvxParserLineHatch frame(loops, angle);
    for (int i = 0; i + 1 < out.Count(); i += 2) {
      const TFPoint m = MiddleFPoint(out[i], out[i + 1]);
      EXPECT_TRUE(PointInLoops(loops3, m)) << "round " << round << " segment " << i / 2;
    }
    // Sample the family lines: inside points are covered.
    const TFPoint base = pat->Pattern(0).BaseP;
    const double s0 = base.Y * std::cos(a) - base.X * std::sin(a);
    for (int k = -40; k <= 40; ++k) {
      const double c = s0 + k * 0.7;
      for (int j = 0; j < 40; ++j) {
        const double t = u(rng) * 1.5;
        const TFPoint p = frame.PointAt(t, c);
        if (!PointInLoops(loops3, p, {}, 1e-7)) continue;
        bool covered = false;
        for (int i = 0; i + 1 < out.Count() && !covered; i += 2) {
          const double t0 = out[i].X * std::cos(a) + out[i].Y * std::sin(a);
          const double t1 = out[i + 1].X * std::cos(a) + out[i + 1].Y * std::sin(a);
          const double ci = out[i].Y * std::cos(a) - out[i].X * std::sin(a);
          covered = std::fabs(ci - c) < 1e-7 && t >= t0 - 1e-7 && t <= t1 + 1e-7;
        }
        EXPECT_TRUE(covered) << "round " << round << " line " << k << " t " << t;
      }
    }
  }
}

}  // namespace
}  // namespace vx::test
