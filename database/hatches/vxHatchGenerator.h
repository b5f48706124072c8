// vxHatchGenerator: the pattern-line generator of hatches. Each pattern line is a family of
// parallel lines; every line of the family that reaches the hatch box is clipped against the
// boundary loops by the even-odd rule (TvxParserLineHatch) and the inside pieces are cut into
// dashes laid from the line's reference point BaseP + k * Offset, so the pattern stays in phase
// across islands and neighbouring hatches. Generation runs under time, memory and point limits;
// the clock is injectable so that the time limit can be tested.
#pragma once

#include "database/hatches/vxHatchPattern.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace vx {

class EvxLimitTimeUsesException : public EvxDatabaseError {
 public:
  EvxLimitTimeUsesException() : EvxDatabaseError("Hatch Time Limit") {}
};

class EvxLimitMemoryUsesException : public EvxDatabaseError {
 public:
  EvxLimitMemoryUsesException() : EvxDatabaseError("Hatch Memory Limit") {}
};

// The limits of one hatch's generation. Memory is counted in the generator's own units: 52 per
// generated line, 48 per crossing plus 4 per clipped line, 24 per dash point.
struct TvxHatchLimits {
  int64_t TimeMs = 180000;
  int64_t MemoryBytes = 33554432;
  int64_t Points = 1398101;
  // Segments longer than this many pattern periods are drawn whole.
  double DashLimit = 8000;
};

// Milliseconds of a monotonic clock. Process-wide; tests install their own and put back the
// default by setting an empty function.
using TvxHatchClock = std::function<int64_t()>;
void SetHatchClock(TvxHatchClock clock);
int64_t HatchClockNow();

// The clipper of one family of lines against closed loops. Loops are taken into the family's
// frame: t along the lines, s across them (the line at s = c is the family line c). Vertices
// within a small tolerance of a line count as on it; a crossing is an edge whose ends lie on
// different sides, an edge with both ends on the line runs along it and its span counts as
// outside, as in every other even-odd fill.
class TvxParserLineHatch {
 public:
  TvxParserLineHatch(const std::vector<TF2DPointList>& loops, double angleDeg);

  // The inside pieces of the line s = c as (t0, t1) pairs in increasing t, pieces that touch
  // merged, appended to out. Calls are cheapest with non-decreasing c (edges enter and leave
  // an active list); a smaller c starts the list again. Returns the number of crossings.
  int Parse(double c, std::vector<double>& out);

  double Cos() const { return FCos; }
  double Sin() const { return FSin; }
  // The point of the line s = c at t, in the loops' coordinates.
  TFPoint PointAt(double t, double c) const { return {t * FCos - c * FSin, t * FSin + c * FCos, 0}; }
  double Tolerance() const { return FEps; }

 private:
  struct Edge {
    double Ta, Sa, Tb, Sb, SMin, SMax;
  };
  std::vector<Edge> FEdges;  // sorted by SMin
  std::vector<size_t> FActive;
  size_t FNext = 0;
  double FLast = 0;
  bool FStarted = false;
  double FCos = 1, FSin = 0, FEps = 1e-12;
  std::vector<double> FCross, FAlong;
};

// Appends to out the segments (point pairs, Z 0) of every pattern line of data inside loops,
// over the hatch box. Returns the summary orientation of the generated lines, starting from
// style. Throws EvxLimitTimeUsesException or EvxLimitMemoryUsesException when a limit is
// passed; a family too dense for the memory limit is refused before any line is made.
TvxHatchStyle GenerateHatchLines(const std::vector<TF2DPointList>& loops, const TFRect& box,
                                 const TvxCADHatchPatternData& data, TFPointList& out,
                                 const TvxHatchLimits& limits = {},
                                 TvxHatchStyle style = hsPatternData);

// The dash rule: appends the drawn pieces of the segment [t0, t1] (parameters along a line of
// direction d, whose reference point has parameter tRef) as parameter pairs. A segment shorter
// than 1e-4, a pattern of no length or one that would repeat more than dashLimit times appends
// the whole segment; a list of fewer than 2 dashes too.
void CutDashes(double t0, double t1, double tRef, const TvxDoubleList& dashes, double dashLimit,
               std::vector<double>& out);

}  // namespace vx
