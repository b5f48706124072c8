// The canvas as a draw target: the painter Draw was given, in the current pen and brush that the
// image keeps. An antialiasing painter gets the device points as they are; an aliased one gets
// them rounded to whole pixels, so the old look stays pixel for pixel.
#include "render/output/vxDrawTargets.h"

#include "render/output/vxPainterOps.h"
#include "render/vxCADImage.h"

#include <QLinearGradient>
#include <QRadialGradient>

#include <algorithm>
#include <cmath>

namespace vx {

namespace {

bool Smooth(const QPainter* c) { return c->testRenderHint(QPainter::Antialiasing); }

}  // namespace

QPainter* TvxCanvasTarget::Begin() {
  QPainter* c = FImage.FCanvas;
  if (!c || FImage.FSelectionMode == smMatrixOnly || !c->isActive()) return nullptr;
  QPen pen = c->pen();
  if (pen.capStyle() != Qt::FlatCap || pen.joinStyle() != Qt::MiterJoin) {
    pen.setCapStyle(Qt::FlatCap);
    pen.setJoinStyle(Qt::MiterJoin);
    c->setPen(pen);
  }
  return c;
}

const QPoint* TvxCanvasTarget::Pixels(const QPointF* pts, int n) {
  DevicePixels(pts, n, FPixels);
  return FPixels.data();
}

bool TvxCanvasTarget::Polyline(const QPointF* pts, int n) {
  QPainter* c = Begin();
  if (!c) return false;
  if (Smooth(c))
    c->drawPolyline(pts, n);
  else
    c->drawPolyline(Pixels(pts, n), n);
  return false;
}

bool TvxCanvasTarget::PolyPolyline(const QPointF* pts, const int* counts, int parts) {
  QPainter* c = Begin();
  if (!c) return false;
  if (Smooth(c))
    PaintPolyPolyline(*c, pts, counts, parts);
  else
    PaintPolyPolyline(*c, Pixels(pts, TotalCount(counts, parts)), counts, parts);
  return false;
}

bool TvxCanvasTarget::ClosedPath(const QPointF* pts, int n) {
  QPainter* c = Begin();
  if (!c) return false;
  c->strokePath(Smooth(c) ? ClosedFigure(pts, n) : ClosedFigure(Pixels(pts, n), n), c->pen());
  return false;
}

bool TvxCanvasTarget::Arc(const QRectF& box, QPointF start, QPointF end) {
  QPainter* c = Begin();
  if (!c) return false;
  int a16 = 0, s16 = 0;
  if (Smooth(c)) {
    ArcAngles16(box, start, end, a16, s16);
    c->drawArc(box, a16, s16);
  } else {
    const QRect r = DeviceRect(box);
    ArcAngles16(QRectF(r), DevicePixel(start), DevicePixel(end), a16, s16);
    c->drawArc(r, a16, s16);
  }
  return false;
}

bool TvxCanvasTarget::Ellipse(const QRectF& box) {
  QPainter* c = Begin();
  if (!c) return false;
  if (Smooth(c))
    c->drawEllipse(box);
  else
    c->drawEllipse(DeviceRect(box));
  return false;
}

bool TvxCanvasTarget::Polygon(const QPointF* pts, int n) {
  QPainter* c = Begin();
  if (!c) return false;
  if (Smooth(c))
    c->drawPolygon(pts, n, Qt::OddEvenFill);
  else
    c->drawPolygon(Pixels(pts, n), n, Qt::OddEvenFill);
  return false;
}

bool TvxCanvasTarget::PolyPolygon(const QPointF* pts, const int* counts, int parts,
                                  bool eachPart) {
  QPainter* c = Begin();
  if (!c) return false;
  if (Smooth(c)) {
    if (eachPart)
      PaintEachPolygon(*c, pts, counts, parts);
    else
      c->drawPath(ContourPath(pts, counts, parts, Qt::OddEvenFill));
    return false;
  }
  const QPoint* px = Pixels(pts, TotalCount(counts, parts));
  if (eachPart)
    PaintEachPolygon(*c, px, counts, parts);
  else
    c->drawPath(ContourPath(px, counts, parts, Qt::OddEvenFill));
  return false;
}

bool TvxCanvasTarget::Pixel(QPoint p, TColor color) {
  QPainter* c = Begin();
  if (!c) return false;
  if (FImage.IsPlotting()) {
    // a printer sets no single pixels: a one-pixel line in the pixel's colour
    const QPen saved = c->pen();
    QPen pen(TvxCADImage::ToColor(color));
    pen.setWidth(0);
    pen.setCapStyle(Qt::FlatCap);
    c->setPen(pen);
    c->drawLine(p, p + QPoint(0, 1));
    c->setPen(saved);
  } else {
    c->fillRect(QRect(p, QSize(1, 1)), TvxCADImage::ToColor(color));
  }
  return false;
}

bool TvxCanvasTarget::FillRegion(const QRegion& region, TColor color) {
  if (QPainter* c = Begin()) PaintRegion(*c, region, TvxCADImage::ToColor(color));
  return false;
}

bool TvxCanvasTarget::FillPath(const QPointF* pts, const int* counts, int parts,
                               TvxFillRule rule, const TvxFill& fill) {
  QPainter* c = Begin();
  if (!c) return false;
  const Qt::FillRule qr = ToQtRule(rule);
  const QPainterPath path =
      Smooth(c) ? ContourPath(pts, counts, parts, qr)
                : ContourPath(Pixels(pts, TotalCount(counts, parts)), counts, parts, qr);
  c->fillPath(path, FillBrush(fill));
  return false;
}

bool TvxCanvasTarget::Image(const TvxImagePlacement& image) {
  QPainter* c = Begin();
  if (!c || !image.Picture || image.Picture->isNull()) return false;
  const QImage& pic = *image.Picture;
  const double w = pic.width(), h = pic.height();
  // picture pixels to device points: x along U, y along V
  const QTransform t(image.U.x() / w, image.U.y() / w, image.V.x() / h, image.V.y() / h,
                     image.Origin.x(), image.Origin.y());
  if (!t.isInvertible()) return false;
  c->save();
  c->setTransform(t, true);
  c->setRenderHint(QPainter::SmoothPixmapTransform, image.Smooth);
  c->drawImage(QPointF(0, 0), pic);
  c->restore();
  return false;
}

void TvxCanvasTarget::SetAlpha(uint8_t alpha) {
  if (QPainter* c = FImage.FCanvas; c && c->isActive()) c->setOpacity(alpha / 255.0);
}

QBrush FillBrush(const TvxFill& fill) {
  const QColor c1 = TvxCADImage::ToColor(fill.Color);
  if (!fill.Gradient) return QBrush(c1);
  QColor a = c1, b = TvxCADImage::ToColor(fill.Color2);
  switch (fill.Shape) {
    case gsInvCylinder: case gsInvSpherical: case gsInvHemispherical: case gsInvCurved:
      std::swap(a, b);
      break;
    default:
      break;
  }
  const QPointF axis = fill.To - fill.From;
  const double radius = std::hypot(axis.x(), axis.y());
  switch (fill.Shape) {
    case gsCylinder: case gsInvCylinder: {
      QLinearGradient g(fill.From, fill.To);
      g.setColorAt(0, a);
      g.setColorAt(0.5, b);
      g.setColorAt(1, a);
      return QBrush(g);
    }
    case gsSpherical: case gsInvSpherical: case gsHemispherical: case gsInvHemispherical: {
      QRadialGradient g(fill.From, radius > 0 ? radius : 1);
      g.setColorAt(0, a);
      g.setColorAt(1, b);
      return QBrush(g);
    }
    case gsCurved: case gsInvCurved: {
      // colour 1 held longer, then bending into colour 2
      QLinearGradient g(fill.From, fill.To);
      g.setColorAt(0, a);
      g.setColorAt(0.35, a);
      g.setColorAt(1, b);
      return QBrush(g);
    }
    case gsLinear:
      break;
  }
  QLinearGradient g(fill.From, fill.To);
  g.setColorAt(0, a);
  g.setColorAt(1, b);
  return QBrush(g);
}

}  // namespace vx
