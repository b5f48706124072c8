// vxGeometry2D: drawing points to device pixels, the drawing-matrix classifier, and the 2D
// predicates the hatch clipper relies on: point equality, point in box, segment intersection
// and point in polygon (one loop, or several by the even-odd rule).
#pragma once

#include "foundation/vxConsts.h"
#include "foundation/vxLists.h"

#include <cstdint>
#include <span>

namespace vx {

// An integer device point.
struct TPixelPoint {
  int32_t X = 0, Y = 0;
  friend bool operator==(const TPixelPoint&, const TPixelPoint&) = default;
};

// The process-wide pixel limit, 2147483647 unless set (values are kept within 1..2147483647).
int32_t PixelLimit();
void SetPixelLimit(int64_t limit);

// X and Y of TransformPoint(P, M), each rounded half to even. A value whose magnitude reaches
// the pixel limit becomes the limit with the value's sign; NaN becomes 0.
TPixelPoint TransformPointToPixel(const TFPoint& p, const TFMatrix& m);

// True when an off-diagonal entry of the 3 x 3 part exceeds 1e-6 in magnitude. With screen set,
// also when the matrix does not scale X positively and Y negatively by nearly the same amount
// (|V1.X / V2.Y| within 0.15 of 1). Non-finite entries count as rotated.
bool IsRotatedMatrix(const TFMatrix& m, bool screen = false);

// Every coordinate differs by at most tol; for the 2D form a tol of 0 means Accuracy.
bool PointsEqual2D(const TF2DPoint& a, const TF2DPoint& b, double tol = 0);
bool PointsEqual2D(const TFPoint& a, const TFPoint& b, double tol = 0);
bool PointsEqual3D(const TFPoint& a, const TFPoint& b, double tol = 0);

// P inside the box in X and Y (Left/Right and Top/Bottom taken in either order), with tol added
// on every side.
bool PointInBox(const TFRect& box, const TFPoint& p, double tol = 0);

// The crossing of segments A1-A2 and B1-B2: false when they are parallel (|cross| <= tol) or the
// crossing lies beyond either segment by more than tol in its parameter. The point has Z 0.
bool SegmentIntersection(const TFPoint& a1, const TFPoint& a2, const TFPoint& b1,
                         const TFPoint& b2, double tol, TFPoint& crossing);

enum : int { cnstPointOutside = 0, cnstPointInside = 1, cnstPointOnBoundary = 2 };

// 0 outside, 1 inside, 2 on the boundary (within tol of an edge) of the closed polygon `loop`.
// box is the loop's bounding box, computed when null.
int PointInLoop(std::span<const TFPoint> loop, const TFPoint& p, const TFRect* box = nullptr,
                double tol = 0);
int PointInLoop(const TFPointList& loop, const TFPoint& p, const TFRect* box = nullptr,
                double tol = 0);

// Even-odd rule over the loops of more than 2 points: inside when an odd number of them hold P
// strictly inside. boxes[i], when present, is the box of loops[i].
bool PointInLoops(std::span<const TFPointList> loops, const TFPoint& p,
                  std::span<const TFRect> boxes = {}, double tol = 0);

}  // namespace vx
