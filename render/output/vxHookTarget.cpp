// The export hooks as a draw target: a primitive whose hook is set is exported in whole pixels
// and taken (nothing else draws it); one without a hook goes on to the other targets.
#include "render/output/vxDrawTargets.h"

#include "render/output/vxPainterOps.h"
#include "render/vxCADImage.h"

#include <algorithm>
#include <cmath>

namespace vx {

const QPoint* TvxHookTarget::Pixels(const QPointF* pts, int n) {
  DevicePixels(pts, n, FPixels);
  return FPixels.data();
}

bool TvxHookTarget::Polyline(const QPointF* pts, int n) {
  const auto& hook = FImage.Hooks.ExpPolyline;
  if (!hook) return false;
  hook(Pixels(pts, n), n);
  return true;
}

bool TvxHookTarget::PolyPolyline(const QPointF* pts, const int* counts, int parts) {
  const auto& hook = FImage.Hooks.ExpPolyPolyline;
  if (!hook) return false;
  hook(Pixels(pts, TotalCount(counts, parts)), counts, parts);
  return true;
}

bool TvxHookTarget::ClosedPath(const QPointF* pts, int n) {
  const auto& hook = FImage.Hooks.ExpPolyline;
  if (!hook) return false;
  // the ring back to its first point, then the figure closed
  DevicePixels(pts, n, FPixels);
  FPixels.push_back(FPixels.front());
  hook(FPixels.data(), static_cast<int>(FPixels.size()));
  if (FImage.Hooks.ExpCloseFigure) FImage.Hooks.ExpCloseFigure();
  return true;
}

bool TvxHookTarget::Arc(const QRectF& box, QPointF start, QPointF end) {
  const auto& hook = FImage.Hooks.ExpArc;
  if (!hook) return false;
  hook(DeviceRect(box), DevicePixel(start), DevicePixel(end));
  return true;
}

bool TvxHookTarget::Ellipse(const QRectF& box) {
  const auto& hook = FImage.Hooks.ExpArc;
  if (!hook) return false;
  // an arc whose ends coincide is the whole ellipse
  const QRect r = DeviceRect(box);
  const QPoint right(r.right(), r.center().y());
  hook(r, right, right);
  return true;
}

bool TvxHookTarget::Polygon(const QPointF* pts, int n) {
  const auto& hook = FImage.Hooks.ExpPolygon;
  if (!hook) return false;
  hook(Pixels(pts, n), n);
  return true;
}

bool TvxHookTarget::PolyPolygon(const QPointF* pts, const int* counts, int parts, bool) {
  const auto& hook = FImage.Hooks.ExpPolyPolygon;
  if (!hook) return false;
  hook(Pixels(pts, TotalCount(counts, parts)), counts, parts);
  return true;
}

bool TvxHookTarget::Pixel(QPoint p, TColor color) {
  const auto& hook = FImage.Hooks.ExpPixel;
  if (!hook) return false;
  hook(p, color);
  return true;
}

bool TvxHookTarget::FillRegion(const QRegion& region, TColor) {
  const auto& hook = FImage.Hooks.ExpFillRgn;
  if (!hook) return false;
  hook(region);
  return true;
}

bool TvxHookTarget::FillPath(const QPointF* pts, const int* counts, int parts, TvxFillRule,
                             const TvxFill& fill) {
  const auto& hook = FImage.Hooks.ExpPolyPolygon;
  if (!hook) return false;
  // An export knows brushes of one colour: a gradient goes out in its first colour.
  if (FImage.Hooks.ExpSetColor) FImage.Hooks.ExpSetColor(fill.Color, ctBrush);
  hook(Pixels(pts, TotalCount(counts, parts)), counts, parts);
  return true;
}

bool TvxHookTarget::Image(const TvxImagePlacement& image) {
  const auto& hook = FImage.Hooks.ExpImage;
  if (!hook || !image.Picture) return false;
  QPointF c[4];
  PlacementCorners(image, c);
  double l = c[0].x(), r = l, t = c[0].y(), b = t;
  for (const QPointF& q : c) {
    l = std::min(l, q.x());
    r = std::max(r, q.x());
    t = std::min(t, q.y());
    b = std::max(b, q.y());
  }
  hook(*image.Picture, QRect(DevicePixel({l, t}), DevicePixel({r, b})));
  return true;
}

}  // namespace vx
