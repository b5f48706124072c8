// The selection matrix as a draw target: every primitive again in the key colour of the entity
// that owns it, in whole pixels and without antialiasing, so a pixel's value is exactly one key.
// Fills and pictures cover their whole area with the key (no gradient, no transparency).
#include "render/output/vxDrawTargets.h"

#include "render/output/vxPainterOps.h"
#include "render/vxCADImage.h"
#include "render/vxDrawWalk.h"
#include "render/vxSelectionMatrix.h"

#include <algorithm>

namespace vx {

QPainter* TvxMatrixTarget::Begin() {
  if (!WalkPickingActive(FImage)) return nullptr;
  WalkRegister(FImage);
  TvxSelectionMatrix* m = FImage.FSelectionMatrix;
  QPainter* p = m->Painter();
  if (!p) return nullptr;
  m->Changed();
  QPen pen = p->pen();
  pen.setWidth(std::max(0, FImage.FPenWidth));
  p->setPen(pen);
  m->SetChanged(true);
  return p;
}

const QPoint* TvxMatrixTarget::Pixels(const QPointF* pts, int n) {
  DevicePixels(pts, n, FPixels);
  return FPixels.data();
}

bool TvxMatrixTarget::Polyline(const QPointF* pts, int n) {
  if (QPainter* p = Begin()) p->drawPolyline(Pixels(pts, n), n);
  return false;
}

bool TvxMatrixTarget::PolyPolyline(const QPointF* pts, const int* counts, int parts) {
  if (QPainter* p = Begin())
    PaintPolyPolyline(*p, Pixels(pts, TotalCount(counts, parts)), counts, parts);
  return false;
}

bool TvxMatrixTarget::ClosedPath(const QPointF* pts, int n) {
  if (QPainter* p = Begin()) p->strokePath(ClosedFigure(Pixels(pts, n), n), p->pen());
  return false;
}

bool TvxMatrixTarget::Arc(const QRectF& box, QPointF start, QPointF end) {
  QPainter* p = Begin();
  if (!p) return false;
  const QRect r = DeviceRect(box);
  int a16 = 0, s16 = 0;
  ArcAngles16(QRectF(r), DevicePixel(start), DevicePixel(end), a16, s16);
  p->drawArc(r, a16, s16);
  return false;
}

bool TvxMatrixTarget::Ellipse(const QRectF& box) {
  QPainter* p = Begin();
  if (!p) return false;
  // the outline only: the inside of a circle is not the circle
  p->setBrush(Qt::NoBrush);
  p->drawEllipse(DeviceRect(box));
  FImage.FSelectionMatrix->Changed();
  return false;
}

bool TvxMatrixTarget::Polygon(const QPointF* pts, int n) {
  if (QPainter* p = Begin()) p->drawPolygon(Pixels(pts, n), n, Qt::OddEvenFill);
  return false;
}

bool TvxMatrixTarget::PolyPolygon(const QPointF* pts, const int* counts, int parts,
                                  bool eachPart) {
  QPainter* p = Begin();
  if (!p) return false;
  const QPoint* px = Pixels(pts, TotalCount(counts, parts));
  if (eachPart)
    PaintEachPolygon(*p, px, counts, parts);
  else
    p->drawPath(ContourPath(px, counts, parts, Qt::OddEvenFill));
  return false;
}

bool TvxMatrixTarget::Pixel(QPoint pt, TColor) {
  if (QPainter* p = Begin()) p->fillRect(QRect(pt, QSize(1, 1)), p->pen().color());
  return false;
}

bool TvxMatrixTarget::FillRegion(const QRegion& region, TColor) {
  if (QPainter* p = Begin()) PaintRegion(*p, region, p->pen().color());
  return false;
}

bool TvxMatrixTarget::FillPath(const QPointF* pts, const int* counts, int parts, TvxFillRule rule,
                               const TvxFill&) {
  QPainter* p = Begin();
  if (!p) return false;
  const QPoint* px = Pixels(pts, TotalCount(counts, parts));
  p->fillPath(ContourPath(px, counts, parts, ToQtRule(rule)), p->pen().color());
  return false;
}

bool TvxMatrixTarget::Image(const TvxImagePlacement& image) {
  QPainter* p = Begin();
  if (!p) return false;
  QPointF c[4];
  PlacementCorners(image, c);
  const int four = 4;
  p->fillPath(ContourPath(Pixels(c, 4), &four, 1, Qt::OddEvenFill), p->pen().color());
  return false;
}

}  // namespace vx
