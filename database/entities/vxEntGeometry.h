// vxEntGeometry: the plain geometry behind the basic entities, free of the database classes:
// arc sweeps and curve tessellation of the circle family, the merge-angle thinning of point
// lists, solid corner reduction and triangle classification, point marker shapes, and the
// clipping of rays and construction lines (to a box for the extents, to a view for drawing).
#pragma once

#include "foundation/vxConsts.h"
#include "foundation/vxLists.h"

#include <array>
#include <vector>

namespace vx {

// Segments per full circle when neither the drawing nor the settings give one, and the cap that
// keeps a wild setting from asking for gigabytes of points.
constexpr int cnstDefaultPartsInCircle = 48;
constexpr int cnstMaxPartsInCircle = 4096;

// An integer device rectangle, Y downward (the view rectangle of the renderer).
struct TvxIntRect {
  int Left = 0, Top = 0, Right = 0, Bottom = 0;
};

// ---- circle family --------------------------------------------------------------------------

// Sweep from start to end, counter-clockwise, in degrees, always in (0, 360]: equal angles
// (modulo 360, within 1e-9) are a full turn, and a start above the end wraps through 0.
// NaN or infinite angles give NaN.
double ArcSweepDeg(double startDeg, double endDeg);

// Whether end - start is a whole multiple of 360 within 1e-9 (the arc's `Closed` rule).
bool IsWholeTurn(double startDeg, double endDeg);

// Shape and range of one curve of the circle family, as `CurveParams` hands it over.
struct TvxCurveParams {
  double RX = 0, RY = 0;       // semi-axes
  double CosA = 1, SinA = 0;   // direction of the major axis
  double Start = 0, End = 360; // degrees; End - Start is the sweep in (0, 360]
};

// The usable segment count: n <= 0 takes the default, larger values are capped.
int CurvePartsCount(int n);
// Segments per full circle for a drawing that asks for drawingParts: that count, or the
// process-wide one when it is 0 or less; capped.
int DrawingPartsInCircle(int drawingParts);

// The point at parameter t (radians) of the curve around centre.
TFPoint CurvePoint(const TFPoint& centre, const TvxCurveParams& p, double tRad);

// Appends n + 1 points from Start to End (n segments); a full turn repeats its first point
// exactly at the end.
void TessellateCurve(const TFPoint& centre, const TvxCurveParams& p, int n, TFPointList& out);

// Removes the inner points of runs that are straight within mergeAngleDeg: a point is dropped
// when the angle at it between the last kept point and the next point exceeds 180 - merge.
// The first and the last point always stay. Nothing happens for merge <= 0.
void ThinCollinearPoints(TFPointList& pts, double mergeAngleDeg);

// ---- solids ---------------------------------------------------------------------------------

// Corners of a solid, trace or 3D face after dropping degenerate ones (4, 3 or 2 remain).
struct TvxSolidCorners {
  std::array<TFPoint, 4> P{};
  int Count = 0;
};

// Drops the third corner when it repeats the second or the first, and the fourth when it
// repeats the first or the third (the usual encoding of a triangle).
TvxSolidCorners ReduceSolidCorners(const TFPoint& p0, const TFPoint& p1, const TFPoint& p2,
                                   const TFPoint& p3);

// Triangle classification flags for the renderer: 0x40 first triangle degenerate, else 0x10
// when its normal points down; 0x80 second triangle degenerate, else 0x20 when it points down.
int ClassifySolidTriangles(const TvxSolidCorners& c);

// ---- point markers --------------------------------------------------------------------------

// The generated shapes of a point entity: each part is drawn as one polyline (a one-vertex part
// is the point itself); Box holds all parts.
struct TvxPointShapes {
  TFRect Box = BadBox;
  std::vector<std::vector<TFPoint>> Parts;
  // Above 0 the marker's size is this part of the view's height, not a size in drawing units:
  // the parts are then built at size 1 around Centre and scaled when drawn, and Box holds the
  // point alone.
  double Relative = 0;
  TFPoint Centre{};
};

// Builds the marker of a point for a display mode above 1 (modes 0 and 1 give no parts). The
// offsets are turned to world directions by ext when given (an extruded point); a thickness
// above 1e-6 in magnitude repeats every part raised along the (turned) Z axis. circleParts is
// the segment count of the circle marker.
TvxPointShapes BuildPointShapes(const TFPoint& point, int mode, double size, double thickness,
                                const TFMatrix* ext, int circleParts);

// ---- rays -----------------------------------------------------------------------------------

// The part of the half-line start + t * dir (t >= 0) inside box, as a box of its two ends.
// False when they do not meet, when box is bad, or when dir has no length.
bool ClipHalfLineToBox(const TFPoint& start, const TFPoint& dir, const TFRect& box,
                       TFRect& clipped);

// The far end of a ray from start along dir clipped to the view rectangle r (device pixels)
// under the view matrix m; the rectangle is first grown to hold the start.
TFPoint ClipRayEndToView(const TFPoint& start, const TFPoint& dir, const TFMatrix& m,
                         const TvxIntRect& r);

}  // namespace vx
