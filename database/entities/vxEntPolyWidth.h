// vxEntPolyWidth: the width outline of wide polylines, free of the database classes.
//
// Each drawn vertex segment (a straight piece or a tessellated bulge arc) with a start and an
// end width becomes a run of quadrilaterals, four outline points each. The half width ramps
// linearly along the segment. Straight pieces are offset along the segment's right-hand normal,
// arc pieces along the radii, so the quads of one arc close up without gaps. With a dashed line
// type the segment is first cut into dashes and every dash gets its own quads. Where two
// segments meet, their facing quads are mitred (their offset edges are cut at the crossing
// points) unless the turn is slight or the mitre would spike out.
#pragma once

#include "database/linetypes/vxLines.h"
#include "foundation/vxConsts.h"
#include "foundation/vxLists.h"

#include <vector>

namespace vx {

// One drawn vertex segment, in object coordinates.
struct TvxWidthSegment {
  // The segment's points: the vertex point first, the next vertex's point last; a bulge arc
  // holds its tessellation in between.
  std::vector<TFPoint> Points;
  double StartWidth = 0;  // full widths at the two ends
  double EndWidth = 0;
  bool IsArc = false;     // a bulge arc: Centre and Radius are set
  bool CounterClockwise = true;
  TFPoint Centre;
  double Radius = 0;
};

struct TvxWidthOutlineParams {
  // The pattern that cuts the segments into dashes; nil or solid means continuous.
  const TvxLines* Pattern = nullptr;
  TvxLinesParams PatternParams;
  // Also join the last segment to the first (only with a continuous line type).
  bool Closed = false;
  // Join the segments even when the line type is dashed.
  bool CrossSegments = false;
  // Dash points one segment may make; above it the segment is drawn whole.
  int PointBudget = 8000;
};

// The turn (degrees) above which two segments are mitred.
constexpr double cnstWidthJoinAngle = 29.0;
// A mitre corner farther from the vertex than this many half widths is not moved (no spikes
// at hairpin turns).
constexpr double cnstWidthMiterLimit = 4.0;

// Whether a pattern cuts anything (false for nil, solid and empty patterns).
bool IsDashedPattern(const TvxLines* pattern);

// Appends the quads of all segments to out, four points per quad. A segment whose two widths
// are 0 adds nothing; half widths of an arc are limited to its radius.
void BuildWidthOutline(const std::vector<TvxWidthSegment>& segments,
                       const TvxWidthOutlineParams& params, TFPointList& out);

}  // namespace vx
