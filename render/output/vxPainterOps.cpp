// Painter drawing shared by the painter targets, in whole pixels and in device points.
#include "render/output/vxPainterOps.h"

#include <algorithm>
#include <cmath>

namespace vx {

namespace {

template <class P>
void PolyPolylineOf(QPainter& p, const P* pts, const int* counts, int parts) {
  for (int i = 0; i < parts; ++i) {
    if (counts[i] > 1) p.drawPolyline(pts, counts[i]);
    pts += std::max(0, counts[i]);
  }
}

template <class P>
QPainterPath ContourPathOf(const P* pts, const int* counts, int parts, Qt::FillRule rule) {
  QPainterPath path;
  path.setFillRule(rule);
  for (int i = 0; i < parts; ++i) {
    if (counts[i] > 0) {
      path.moveTo(pts[0]);
      for (int k = 1; k < counts[i]; ++k) path.lineTo(pts[k]);
      path.closeSubpath();
    }
    pts += std::max(0, counts[i]);
  }
  return path;
}

template <class P>
void EachPolygonOf(QPainter& p, const P* pts, const int* counts, int parts) {
  for (int i = 0; i < parts; ++i) {
    if (counts[i] > 0) p.drawPolygon(pts, counts[i], Qt::OddEvenFill);
    pts += std::max(0, counts[i]);
  }
}

}  // namespace

void PaintPolyPolyline(QPainter& p, const QPoint* pts, const int* counts, int parts) {
  PolyPolylineOf(p, pts, counts, parts);
}
void PaintPolyPolyline(QPainter& p, const QPointF* pts, const int* counts, int parts) {
  PolyPolylineOf(p, pts, counts, parts);
}

QPainterPath ContourPath(const QPoint* pts, const int* counts, int parts, Qt::FillRule rule) {
  return ContourPathOf(pts, counts, parts, rule);
}
QPainterPath ContourPath(const QPointF* pts, const int* counts, int parts, Qt::FillRule rule) {
  return ContourPathOf(pts, counts, parts, rule);
}

QPainterPath ClosedFigure(const QPoint* pts, int n) {
  return ContourPathOf(pts, &n, 1, Qt::OddEvenFill);
}
QPainterPath ClosedFigure(const QPointF* pts, int n) {
  return ContourPathOf(pts, &n, 1, Qt::OddEvenFill);
}

void PaintEachPolygon(QPainter& p, const QPoint* pts, const int* counts, int parts) {
  EachPolygonOf(p, pts, counts, parts);
}
void PaintEachPolygon(QPainter& p, const QPointF* pts, const int* counts, int parts) {
  EachPolygonOf(p, pts, counts, parts);
}

void ArcAngles16(const QRectF& box, QPointF start, QPointF end, int& start16, int& span16) {
  const QPointF c = box.center();
  auto angle = [&c](QPointF p) {
    return std::atan2(-(p.y() - c.y()), p.x() - c.x()) * 180.0 / 3.14159265358979323846;
  };
  const double a = angle(start);
  double span = angle(end) - a;
  while (span <= 0) span += 360;
  while (span > 360) span -= 360;
  if (start == end) span = 360;
  start16 = static_cast<int>(std::lround(a * 16));
  span16 = static_cast<int>(std::lround(span * 16));
}

void PaintRegion(QPainter& p, const QRegion& region, const QColor& color) {
  for (const QRect& r : region) p.fillRect(r, color);
}

void PlacementCorners(const TvxImagePlacement& image, QPointF corners[4]) {
  corners[0] = image.Origin;
  corners[1] = image.Origin + image.U;
  corners[2] = image.Origin + image.U + image.V;
  corners[3] = image.Origin + image.V;
}

Qt::FillRule ToQtRule(TvxFillRule rule) {
  return rule == frWinding ? Qt::WindingFill : Qt::OddEvenFill;
}

}  // namespace vx
