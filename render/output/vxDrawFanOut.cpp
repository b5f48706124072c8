// TvxDrawFanOut: the first target that takes a primitive for itself ends its way; and the device
// rounding every aliased target shares.
#include "render/output/vxDrawTarget.h"

#include "foundation/vxFunction.h"
#include "foundation/vxGeometry2D.h"

#include <algorithm>
#include <cmath>

namespace vx {

void TvxDrawFanOut::Add(TvxDrawTarget* t) { Insert(Count(), t); }

void TvxDrawFanOut::Insert(int index, TvxDrawTarget* t) {
  if (!t || t == this || std::find(FTargets.begin(), FTargets.end(), t) != FTargets.end()) return;
  index = std::clamp(index, 0, Count());
  FTargets.insert(FTargets.begin() + index, t);
}

bool TvxDrawFanOut::Remove(TvxDrawTarget* t) {
  const auto it = std::find(FTargets.begin(), FTargets.end(), t);
  if (it == FTargets.end()) return false;
  FTargets.erase(it);
  return true;
}

// Every primitive: the targets in order, until one answers that it took it.
#define VX_FAN_OUT(call)                            \
  for (TvxDrawTarget* t : FTargets)                 \
    if (t->call) return true;                       \
  return false

bool TvxDrawFanOut::Polyline(const QPointF* pts, int n) { VX_FAN_OUT(Polyline(pts, n)); }
bool TvxDrawFanOut::PolyPolyline(const QPointF* pts, const int* counts, int parts) {
  VX_FAN_OUT(PolyPolyline(pts, counts, parts));
}
bool TvxDrawFanOut::ClosedPath(const QPointF* pts, int n) { VX_FAN_OUT(ClosedPath(pts, n)); }
bool TvxDrawFanOut::Arc(const QRectF& box, QPointF start, QPointF end) {
  VX_FAN_OUT(Arc(box, start, end));
}
bool TvxDrawFanOut::Ellipse(const QRectF& box) { VX_FAN_OUT(Ellipse(box)); }
bool TvxDrawFanOut::Polygon(const QPointF* pts, int n) { VX_FAN_OUT(Polygon(pts, n)); }
bool TvxDrawFanOut::PolyPolygon(const QPointF* pts, const int* counts, int parts, bool eachPart) {
  VX_FAN_OUT(PolyPolygon(pts, counts, parts, eachPart));
}
bool TvxDrawFanOut::Pixel(QPoint p, TColor color) { VX_FAN_OUT(Pixel(p, color)); }
bool TvxDrawFanOut::FillRegion(const QRegion& region, TColor color) {
  VX_FAN_OUT(FillRegion(region, color));
}
bool TvxDrawFanOut::FillPath(const QPointF* pts, const int* counts, int parts, TvxFillRule rule,
                             const TvxFill& fill) {
  VX_FAN_OUT(FillPath(pts, counts, parts, rule, fill));
}
bool TvxDrawFanOut::Image(const TvxImagePlacement& image) { VX_FAN_OUT(Image(image)); }

#undef VX_FAN_OUT

// State reaches every target.
void TvxDrawFanOut::SetAlpha(uint8_t alpha) {
  for (TvxDrawTarget* t : FTargets) t->SetAlpha(alpha);
}

// ---- device rounding ------------------------------------------------------------------------

void DevicePixels(const QPointF* pts, int n, std::vector<QPoint>& out) {
  out.resize(static_cast<size_t>(std::max(0, n)));
  for (int i = 0; i < n; ++i) out[static_cast<size_t>(i)] = DevicePixel(pts[i]);
}

QRect DeviceRect(const QRectF& r) {
  const QPoint a = DevicePixel(r.topLeft()), b = DevicePixel(r.bottomRight());
  return QRect(QPoint(std::min(a.x(), b.x()), std::min(a.y(), b.y())),
               QPoint(std::max(a.x(), b.x()), std::max(a.y(), b.y())));
}

int TotalCount(const int* counts, int parts) {
  int64_t n = 0;
  for (int i = 0; i < parts; ++i) n += std::max(0, counts[i]);
  return static_cast<int>(std::min<int64_t>(n, 2147483647));
}

}  // namespace vx
