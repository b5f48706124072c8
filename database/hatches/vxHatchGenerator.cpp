// vxHatchGenerator: family stepping, the scan-line clipper, the dash rule and the limits.
#include "database/hatches/vxHatchGenerator.h"

#include <algorithm>
#include <chrono>
#include <cmath>

namespace vx {

namespace {

TvxHatchClock& ClockSlot() {
  static TvxHatchClock clock;
  return clock;
}

bool Finite(const TFPoint& p) { return std::isfinite(p.X) && std::isfinite(p.Y); }

// Family indices beyond this cannot be stepped one by one in double precision.
constexpr double cnstMaxFamilyIndex = 4503599627370496.0;  // 2^52

TvxHatchStyle Summary(TvxHatchStyle style, double c, double s) {
  if (std::fabs(c) < 0.001) return style == hsHorizontal ? hsCross : hsVertical;
  if (std::fabs(s) < 0.001) return style == hsVertical ? hsCross : hsHorizontal;
  if ((s > 0) == (c > 0)) return style == hsBDiagonal ? hsDiagCross : hsFDiagonal;
  return style == hsFDiagonal ? hsDiagCross : hsBDiagonal;
}

}  // namespace

void SetHatchClock(TvxHatchClock clock) { ClockSlot() = std::move(clock); }

int64_t HatchClockNow() {
  if (const TvxHatchClock& c = ClockSlot()) return c();
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

// ---- clipper --------------------------------------------------------------------------------

TvxParserLineHatch::TvxParserLineHatch(const std::vector<TF2DPointList>& loops, double angleDeg) {
  const double a = angleDeg * fPiDiv180;
  FCos = std::cos(a);
  FSin = std::sin(a);
  double tLo = 1e300, tHi = -1e300, sLo = 1e300, sHi = -1e300, mag = 0;
  for (const TF2DPointList& loop : loops) {
    const int n = loop.Count();
    if (n < 2) continue;
    for (int i = 0; i < n; ++i) {
      const TF2DPoint& p = loop[i];
      // The loop is closed: the last point joins the first when they differ.
      const TF2DPoint& q = loop[(i + 1) % n];
      if (i + 1 == n && p.X == q.X && p.Y == q.Y) break;
      const Edge e{p.X * FCos + p.Y * FSin, p.Y * FCos - p.X * FSin,
                   q.X * FCos + q.Y * FSin, q.Y * FCos - q.X * FSin, 0, 0};
      if (!std::isfinite(e.Ta) || !std::isfinite(e.Sa) || !std::isfinite(e.Tb) ||
          !std::isfinite(e.Sb))
        continue;
      FEdges.push_back({e.Ta, e.Sa, e.Tb, e.Sb, std::min(e.Sa, e.Sb), std::max(e.Sa, e.Sb)});
      tLo = std::min(tLo, e.Ta);
      tHi = std::max(tHi, e.Ta);
      sLo = std::min(sLo, e.Sa);
      sHi = std::max(sHi, e.Sa);
      mag = std::max({mag, std::fabs(p.X), std::fabs(p.Y)});
    }
  }
  std::sort(FEdges.begin(), FEdges.end(), [](const Edge& x, const Edge& y) { return x.SMin < y.SMin; });
  // On-the-line tolerance: relative to the loops' size, with room for the rounding of large
  // coordinates.
  const double size = std::max(tHi > tLo ? tHi - tLo : 0.0, sHi > sLo ? sHi - sLo : 0.0);
  FEps = size * 1e-9 + mag * 1e-14 + 1e-300;
}

int TvxParserLineHatch::Parse(double c, std::vector<double>& out) {
  if (!FStarted || c < FLast) {
    FActive.clear();
    FNext = 0;
    FStarted = true;
  }
  FLast = c;
  while (FNext < FEdges.size() && FEdges[FNext].SMin <= c + FEps) FActive.push_back(FNext++);
  FCross.clear();
  FAlong.clear();
  for (size_t i = 0; i < FActive.size();) {
    const Edge& e = FEdges[FActive[i]];
    if (e.SMax < c - FEps) {  // passed for good: the lines only move on
      FActive[i] = FActive.back();
      FActive.pop_back();
      continue;
    }
    ++i;
    const double da = e.Sa - c, db = e.Sb - c;
    const bool onA = std::fabs(da) <= FEps, onB = std::fabs(db) <= FEps;
    if (onA && onB) {
      FAlong.push_back(std::min(e.Ta, e.Tb));
      FAlong.push_back(std::max(e.Ta, e.Tb));
      continue;
    }
    // A vertex on the line counts as below it, so a line through a vertex crosses once.
    if ((!onA && da > 0) == (!onB && db > 0)) continue;
    FCross.push_back(onA ? e.Ta : onB ? e.Tb : e.Ta + (e.Tb - e.Ta) * (-da / (db - da)));
  }
  const int crossings = static_cast<int>(FCross.size());
  std::sort(FCross.begin(), FCross.end());
  // Spans along the line's own boundary edges, merged and sorted.
  std::vector<std::pair<double, double>> along;
  for (size_t i = 0; i + 1 < FAlong.size(); i += 2) along.push_back({FAlong[i], FAlong[i + 1]});
  std::sort(along.begin(), along.end());
  const size_t first = out.size();
  auto emit = [&](double t0, double t1) {
    if (t1 - t0 <= FEps) return;
    if (out.size() > first && t0 - out.back() <= FEps) {
      out.back() = t1;  // touches the previous piece (loops sharing an edge)
      return;
    }
    out.push_back(t0);
    out.push_back(t1);
  };
  for (size_t i = 0; i + 1 < FCross.size(); i += 2) {
    double t0 = FCross[i];
    const double t1 = FCross[i + 1];
    for (const auto& [a0, a1] : along) {
      if (a1 <= t0 || a0 >= t1) continue;
      if (a0 > t0) emit(t0, a0);
      t0 = std::max(t0, a1);
    }
    if (t0 < t1) emit(t0, t1);
  }
  return crossings;
}

// ---- dashes ---------------------------------------------------------------------------------

void CutDashes(double t0, double t1, double tRef, const TvxDoubleList& dashes, double dashLimit,
               std::vector<double>& out) {
  const double len = t1 - t0;
  double period = 0;
  for (double d : dashes) period += std::fabs(d);
  if (dashes.Count() < 2 || !(len >= 1e-4) || !(period > 0) || !std::isfinite(period) ||
      len / period > dashLimit) {
    out.push_back(t0);
    out.push_back(t1);
    return;
  }
  // The period the segment starts in, in double precision: far reference points give indices
  // beyond any integer type.
  const double m = std::floor((t0 - tRef) / period);
  if (!std::isfinite(m)) {
    out.push_back(t0);
    out.push_back(t1);
    return;
  }
  const double maxRuns = std::ceil(dashLimit) + 2;
  // Slivers of a dash cut at a segment end by rounding are not drawn.
  const double sliver = period * 1e-9;
  for (double r = 0; r <= maxRuns; ++r) {
    double pos = tRef + (m + r) * period;
    if (pos > t1) break;
    for (double d : dashes) {
      const double end = pos + std::fabs(d);
      if (d > 0) {
        const double a = std::max(pos, t0), b = std::min(end, t1);
        if (b - a > sliver) {
          out.push_back(a);
          out.push_back(b);
        }
      } else if (d == 0 && pos >= t0 && pos < t1) {  // a dot at the far end belongs to the next piece
        out.push_back(pos);
        out.push_back(pos);
      }
      pos = end;
      if (pos > t1) break;
    }
  }
}

// ---- generation -----------------------------------------------------------------------------

TvxHatchStyle GenerateHatchLines(const std::vector<TF2DPointList>& loops, const TFRect& box,
                                 const TvxCADHatchPatternData& data, TFPointList& out,
                                 const TvxHatchLimits& limits, TvxHatchStyle style) {
  const double width = box.Right - box.Left, height = box.Top - box.Bottom;
  if (!(width > 0) || !(height > 0) || !std::isfinite(width) || !std::isfinite(height)) return style;
  const int64_t start = HatchClockNow();
  int64_t memory = 0;
  auto count = [&](int64_t bytes) {
    memory += bytes;
    if (memory > limits.MemoryBytes) throw EvxLimitMemoryUsesException();
  };

  struct Family {
    const TvxHatchPatternData* P;
    double Cos, Sin, OffN, S0, KLo, KHi;
  };
  std::vector<Family> families;
  double lines = 0;
  for (const TvxHatchPatternData& p : data.Patterns()) {
    if (!std::isfinite(p.LineAngle) || !Finite(p.BaseP) || !Finite(p.Offset)) continue;
    const double a = p.LineAngle * fPiDiv180, c = std::cos(a), s = std::sin(a);
    // The step between lines is the offset's part across them; along them it only shifts the
    // dashes. An offset along the lines makes no family.
    const double offN = c * p.Offset.Y - s * p.Offset.X;
    const double offLen = std::hypot(p.Offset.X, p.Offset.Y);
    if (!(offLen > 0) || !(std::fabs(offN) > 1e-9 * offLen)) continue;
    const double s0 = c * p.BaseP.Y - s * p.BaseP.X;
    double lo = 1e300, hi = -1e300;
    for (int i = 0; i < 4; ++i) {
      const double x = (i & 1) ? box.Right : box.Left, y = (i & 2) ? box.Top : box.Bottom;
      const double sv = c * y - s * x;
      lo = std::min(lo, sv);
      hi = std::max(hi, sv);
    }
    double k0 = (lo - s0) / offN, k1 = (hi - s0) / offN;
    if (k0 > k1) std::swap(k0, k1);
    const double kLo = std::ceil(k0), kHi = std::floor(k1);
    if (!(kHi >= kLo) || std::fabs(kLo) > cnstMaxFamilyIndex || std::fabs(kHi) > cnstMaxFamilyIndex)
      continue;
    lines += kHi - kLo + 1;
    families.push_back({&p, c, s, offN, s0, kLo, kHi});
  }
  // A pattern too dense for the memory limit is refused before any line is made.
  if (lines * 52 > static_cast<double>(limits.MemoryBytes)) throw EvxLimitMemoryUsesException();

  std::vector<double> pieces, dashes;
  for (const Family& f : families) {
    const TvxHatchPatternData& p = *f.P;
    style = Summary(style, f.Cos, f.Sin);
    TvxParserLineHatch clip(loops, p.LineAngle);
    const bool dashed = p.IsDash && p.Lines.Count() > 0;
    const double tBase = p.BaseP.X * f.Cos + p.BaseP.Y * f.Sin;
    const double tStep = p.Offset.X * f.Cos + p.Offset.Y * f.Sin;
    const double n = f.KHi - f.KLo + 1;
    // Lines in increasing s, so that the clipper's active edges only move on.
    for (double i = 0; i < n; ++i) {
      const double k = f.OffN > 0 ? f.KLo + i : f.KHi - i;
      count(52);
      const double c = f.S0 + k * f.OffN;
      pieces.clear();
      const int crossings = clip.Parse(c, pieces);
      count(48 * int64_t{crossings} + 4);
      const double tRef = tBase + k * tStep;
      for (size_t j = 0; j + 1 < pieces.size(); j += 2) {
        const std::vector<double>* runs = &pieces;
        size_t from = j, to = j + 2;
        if (dashed) {
          dashes.clear();
          CutDashes(pieces[j], pieces[j + 1], tRef, p.Lines, limits.DashLimit, dashes);
          count(24 * static_cast<int64_t>(dashes.size()));
          runs = &dashes;
          from = 0;
          to = dashes.size();
        }
        for (size_t r = from; r + 1 < to; r += 2) {
          out.Append(clip.PointAt((*runs)[r], c));
          out.Append(clip.PointAt((*runs)[r + 1], c));
        }
      }
      if (HatchClockNow() - start > limits.TimeMs) throw EvxLimitTimeUsesException();
    }
    if (out.Count() > limits.Points) throw EvxLimitMemoryUsesException();
  }
  return style;
}

}  // namespace vx
