#include "foundation/vxGeometry2D.h"

#include "foundation/vxFunction.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <limits>

namespace vx {

namespace {

constexpr int32_t cnstMaxPixel = std::numeric_limits<int32_t>::max();
std::atomic<int32_t> gPixelLimit{cnstMaxPixel};

// Rounds one device coordinate; the clamp keeps the sign so a point far to the left stays left.
int32_t ToPixel(double v) {
  if (std::isnan(v)) return 0;
  const int32_t limit = gPixelLimit.load(std::memory_order_relaxed);
  if (std::fabs(v) >= limit) return v < 0 ? -limit : limit;
  return static_cast<int32_t>(std::clamp<int64_t>(RoundHalfEven(v), -limit, limit));
}

// Not (|v| <= tol): a NaN entry is beyond any tolerance.
bool Beyond(double v, double tol) { return !(std::fabs(v) <= tol); }

// Squared distance from P to the segment A-B in XY.
double SegmentDistance2(const TFPoint& a, const TFPoint& b, const TFPoint& p) {
  const double dx = b.X - a.X, dy = b.Y - a.Y;
  const double l2 = dx * dx + dy * dy;
  double t = 0;
  if (l2 > 0) t = std::clamp(((p.X - a.X) * dx + (p.Y - a.Y) * dy) / l2, 0.0, 1.0);
  const double ex = a.X + t * dx - p.X, ey = a.Y + t * dy - p.Y;
  return ex * ex + ey * ey;
}

}  // namespace

int32_t PixelLimit() { return gPixelLimit.load(std::memory_order_relaxed); }

void SetPixelLimit(int64_t limit) {
  gPixelLimit.store(static_cast<int32_t>(std::clamp<int64_t>(limit, 1, cnstMaxPixel)),
                    std::memory_order_relaxed);
}

TPixelPoint TransformPointToPixel(const TFPoint& p, const TFMatrix& m) {
  const double x = p.X * m.M[0][0] + p.Y * m.M[1][0] + p.Z * m.M[2][0] + m.M[3][0];
  const double y = p.X * m.M[0][1] + p.Y * m.M[1][1] + p.Z * m.M[2][1] + m.M[3][1];
  return {ToPixel(x), ToPixel(y)};
}

bool IsRotatedMatrix(const TFMatrix& m, bool screen) {
  constexpr double eps = 1e-6;
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c)
      if (r != c && Beyond(m.M[r][c], eps)) return true;
  if (!screen) return false;
  const double sx = m.M[0][0], sy = m.M[1][1];
  if (!(sx > eps)) return true;    // X must grow to the right
  if (!(sy < eps)) return true;    // and Y downward on a device
  if (!(sy < -eps)) return true;   // no Y scale at all
  return Beyond(std::fabs(sx / sy) - 1, 0.15);
}

bool PointsEqual2D(const TF2DPoint& a, const TF2DPoint& b, double tol) {
  if (tol == 0) tol = Accuracy;
  return std::fabs(a.X - b.X) <= tol && std::fabs(a.Y - b.Y) <= tol;
}

bool PointsEqual2D(const TFPoint& a, const TFPoint& b, double tol) {
  return PointsEqual2D(a.Point2D(), b.Point2D(), tol);
}

bool PointsEqual3D(const TFPoint& a, const TFPoint& b, double tol) {
  return std::fabs(a.X - b.X) <= tol && std::fabs(a.Y - b.Y) <= tol &&
         std::fabs(a.Z - b.Z) <= tol;
}

bool PointInBox(const TFRect& box, const TFPoint& p, double tol) {
  const double x0 = std::min(box.Left, box.Right), x1 = std::max(box.Left, box.Right);
  const double y0 = std::min(box.Bottom, box.Top), y1 = std::max(box.Bottom, box.Top);
  return p.X >= x0 - tol && p.X <= x1 + tol && p.Y >= y0 - tol && p.Y <= y1 + tol;
}

bool SegmentIntersection(const TFPoint& a1, const TFPoint& a2, const TFPoint& b1,
                         const TFPoint& b2, double tol, TFPoint& crossing) {
  const double d1x = a2.X - a1.X, d1y = a2.Y - a1.Y;
  const double d2x = b2.X - b1.X, d2y = b2.Y - b1.Y;
  const double m = d1x * d2y - d1y * d2x;
  if (!(std::fabs(m) > tol)) return false;  // parallel (or NaN)
  const double ex = b1.X - a1.X, ey = b1.Y - a1.Y;
  const double s = (ex * d2y - ey * d2x) / m;
  const double t = (ex * d1y - ey * d1x) / m;
  if (!(s >= -tol && s <= 1 + tol && t >= -tol && t <= 1 + tol)) return false;
  crossing = {a1.X + s * d1x, a1.Y + s * d1y, 0};
  return true;
}

int PointInLoop(std::span<const TFPoint> loop, const TFPoint& p, const TFRect* box, double tol) {
  if (loop.size() < 2) return cnstPointOutside;
  TFRect own;
  if (!box) {
    own = BadBox;
    for (const TFPoint& q : loop) {
      own.Left = std::min(own.Left, q.X);
      own.Right = std::max(own.Right, q.X);
      own.Bottom = std::min(own.Bottom, q.Y);
      own.Top = std::max(own.Top, q.Y);
    }
    box = &own;
  }
  if (!PointInBox(*box, p, Accuracy)) return cnstPointOutside;  // NaN ends here too
  const double tol2 = tol > 0 ? tol * tol : 0;
  bool inside = false;
  for (size_t i = 0; i < loop.size(); ++i) {
    const TFPoint& a = loop[i];
    const TFPoint& b = loop[i + 1 < loop.size() ? i + 1 : 0];
    if (SegmentDistance2(a, b, p) <= tol2) return cnstPointOnBoundary;
    const bool aBelow = a.Y < p.Y, bBelow = b.Y < p.Y;
    // Half-open in Y: the lower end strictly below P, the upper end at or above it.
    if (aBelow == bBelow) continue;
    const double x = a.X + (p.Y - a.Y) * (b.X - a.X) / (b.Y - a.Y);
    if (x > p.X) inside = !inside;
  }
  return inside ? cnstPointInside : cnstPointOutside;
}

int PointInLoop(const TFPointList& loop, const TFPoint& p, const TFRect* box, double tol) {
  return PointInLoop(std::span<const TFPoint>(loop.Vector()), p, box, tol);
}

bool PointInLoops(std::span<const TFPointList> loops, const TFPoint& p,
                  std::span<const TFRect> boxes, double tol) {
  size_t count = 0;
  for (size_t i = 0; i < loops.size(); ++i) {
    if (loops[i].Count() <= 2) continue;
    const TFRect* box = i < boxes.size() ? &boxes[i] : nullptr;
    if (PointInLoop(loops[i], p, box, tol) == cnstPointInside) ++count;
  }
  return count % 2 == 1;
}

}  // namespace vx
