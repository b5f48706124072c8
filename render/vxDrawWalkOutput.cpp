// Output primitives of the drawing walk. Every primitive goes to its export hook when one is
// set and nowhere else; otherwise into the selection matrix in the owner's key colour when
// picking is active, and onto the canvas unless the selection mode is matrix-only.
//
// GDI conventions mapped onto QPainter: pens have flat caps and mitred joins (the last pixel of
// a line is left out, as the platform this drawing model comes from does), polygons are filled
// by the alternate (odd-even) rule, and the matrix is painted without antialiasing so key colours
// never blend.
#include "render/vxDrawWalk.h"

#include "render/vxCADImage.h"
#include "render/vxSelectionMatrix.h"

#include <QPainterPath>

#include <algorithm>
#include <cmath>
#include <numeric>

namespace vx {

namespace {

// The canvas when it is a destination, with the pen's caps and joins as the walk needs them.
QPainter* Canvas(TvxCADImage& img) {
  QPainter* c = img.FCanvas;
  if (!c || img.FSelectionMode == smMatrixOnly || !c->isActive()) return nullptr;
  QPen pen = c->pen();
  if (pen.capStyle() != Qt::FlatCap || pen.joinStyle() != Qt::MiterJoin) {
    pen.setCapStyle(Qt::FlatCap);
    pen.setJoinStyle(Qt::MiterJoin);
    c->setPen(pen);
  }
  return c;
}

// The matrix painter in the key colour of the primitive's owner, or nil when picking is off.
QPainter* Matrix(TvxCADImage& img) {
  if (!WalkPickingActive(img)) return nullptr;
  WalkRegister(img);
  TvxSelectionMatrix* m = img.FSelectionMatrix;
  QPainter* p = m->Painter();
  if (!p) return nullptr;
  m->Changed();
  QPen pen = p->pen();
  pen.setWidth(std::max(0, img.FPenWidth));
  p->setPen(pen);
  m->SetChanged(true);
  return p;
}

int Total(const int* counts, int parts) {
  int64_t n = 0;
  for (int i = 0; i < parts; ++i) n += std::max(0, counts[i]);
  return static_cast<int>(std::min<int64_t>(n, 2147483647));
}

void DrawPolyPolyline(QPainter* p, const QPoint* pts, const int* counts, int parts) {
  for (int i = 0; i < parts; ++i) {
    if (counts[i] > 1) p->drawPolyline(pts, counts[i]);
    pts += std::max(0, counts[i]);
  }
}

QPainterPath PolyPolygonPath(const QPoint* pts, const int* counts, int parts) {
  QPainterPath path;
  path.setFillRule(Qt::OddEvenFill);
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

void FillRegionOn(QPainter* p, const QRegion& region, const QColor& color) {
  for (const QRect& r : region) p->fillRect(r, color);
}

}  // namespace

// ---- picking ----------------------------------------------------------------------------------

bool WalkPickingActive(const TvxCADImage& img) {
  const TvxSelectionMatrix* m = img.FSelectionMatrix;
  if (!m || m->IsOverflow()) return false;
  // What a viewport shows of model space is picked through the viewport, not entity by entity.
  if (const TvxDXFConverter* conv = img.Converter(); conv && conv->ViewPortCut()) return false;
  return img.FSelectionMode != smDisabled || (img.FWalk && img.FWalk->InPlaceMode);
}

namespace {

// Inside a reference (other than the in-place one in in-place mode) or while a complex entity
// is drawn, primitives belong to the element registered last.
bool CreditsLastElement(const TvxCADImage& img) {
  const TvxDrawWalkState& w = *img.FWalk;
  if (w.ComplexEntity) return true;
  if (!img.FDraw.Insert) return false;
  return !(w.InPlaceMode && img.FDraw.Insert == w.InPlaceReference);
}

}  // namespace

void WalkRegisterEntity(TvxCADImage& img, TvxDXFEntity* e) {
  if (!e || !WalkPickingActive(img)) return;
  TvxDrawWalkState& w = *img.FWalk;
  if (img.FSelectionMatrix->ElementCount() == 0) w.Registered = nullptr;
  if (e == w.Registered) return;
  if (e != w.ComplexEntity && CreditsLastElement(img)) return;
  img.FSelectionMatrix->AddElement(e);
  w.Registered = e;
}

void WalkRegister(TvxCADImage& img) {
  TvxDrawWalkState& w = *img.FWalk;
  // a matrix cleared during the draw (its second walk) knows nothing registered before
  if (img.FSelectionMatrix->ElementCount() == 0) w.Registered = nullptr;
  if (!w.Entity || w.Entity == w.Registered || CreditsLastElement(img)) return;
  img.FSelectionMatrix->AddElement(w.Entity);
  w.Registered = w.Entity;
}

// ---- primitives -------------------------------------------------------------------------------

void WalkPolyline(TvxCADImage& img, const QPoint* pts, int n) {
  if (!pts || n <= 0) return;
  TvxDrawWalkState& w = *img.FWalk;
  w.PixelValid = false;
  QPoint three[3];
  if (w.AddOnePixel && n == 2 && img.FPenWidth <= 1 && !img.IsIterator()) {
    // the line's own last pixel, which the pen leaves out
    three[0] = pts[0];
    three[1] = pts[1];
    three[2] = pts[1] + QPoint(0, 1);
    pts = three;
    n = 3;
  }
  if (img.Hooks.ExpPolyline) {
    img.Hooks.ExpPolyline(pts, n);
    return;
  }
  if (QPainter* m = Matrix(img)) m->drawPolyline(pts, n);
  if (QPainter* c = Canvas(img)) c->drawPolyline(pts, n);
}

void WalkPolyPolyline(TvxCADImage& img, const QPoint* pts, const int* counts, int parts) {
  if (!pts || !counts || parts <= 0) return;
  img.FWalk->PixelValid = false;
  if (Total(counts, parts) > cnstMaxPolyPolylinePoints) {
    // very long runs go part by part
    for (int i = 0; i < parts; ++i) {
      if (counts[i] > 0) WalkPolyline(img, pts, counts[i]);
      pts += std::max(0, counts[i]);
    }
    return;
  }
  if (img.Hooks.ExpPolyPolyline) {
    img.Hooks.ExpPolyPolyline(pts, counts, parts);
    return;
  }
  if (QPainter* m = Matrix(img)) DrawPolyPolyline(m, pts, counts, parts);
  if (QPainter* c = Canvas(img)) DrawPolyPolyline(c, pts, counts, parts);
}

void WalkPolygon(TvxCADImage& img, const QPoint* pts, int n) {
  if (!pts || n <= 0) return;
  img.FWalk->PixelValid = false;
  if (img.Hooks.ExpPolygon) {
    img.Hooks.ExpPolygon(pts, n);
    return;
  }
  if (QPainter* m = Matrix(img)) m->drawPolygon(pts, n, Qt::OddEvenFill);
  if (QPainter* c = Canvas(img)) c->drawPolygon(pts, n, Qt::OddEvenFill);
}

void WalkPolyPolygon(TvxCADImage& img, const QPoint* pts, const int* counts, int parts) {
  if (!pts || !counts || parts <= 0) return;
  img.FWalk->PixelValid = false;
  if (img.Hooks.ExpPolyPolygon) {
    img.Hooks.ExpPolyPolygon(pts, counts, parts);
    return;
  }
  const QPainterPath path = PolyPolygonPath(pts, counts, parts);
  if (QPainter* m = Matrix(img)) m->drawPath(path);
  if (QPainter* c = Canvas(img)) c->drawPath(path);
}

void WalkPolygons(TvxCADImage& img, const QPoint* pts, const int* counts, int parts) {
  if (!pts || !counts || parts <= 0) return;
  img.FWalk->PixelValid = false;
  if (img.Hooks.ExpPolyPolygon) {
    img.Hooks.ExpPolyPolygon(pts, counts, parts);
    return;
  }
  QPainter* m = Matrix(img);
  QPainter* c = Canvas(img);
  for (int i = 0; i < parts; ++i) {
    if (counts[i] > 0) {
      if (m) m->drawPolygon(pts, counts[i], Qt::OddEvenFill);
      if (c) c->drawPolygon(pts, counts[i], Qt::OddEvenFill);
    }
    pts += std::max(0, counts[i]);
  }
}

void WalkClosedPath(TvxCADImage& img, const QPoint* pts, int n) {
  if (!pts || n <= 0) return;
  img.FWalk->PixelValid = false;
  if (img.Hooks.ExpPolyline) {
    std::vector<QPoint> ring(pts, pts + n);
    ring.push_back(pts[0]);
    img.Hooks.ExpPolyline(ring.data(), static_cast<int>(ring.size()));
    if (img.Hooks.ExpCloseFigure) img.Hooks.ExpCloseFigure();
    return;
  }
  QPainterPath path;
  path.moveTo(pts[0]);
  for (int i = 1; i < n; ++i) path.lineTo(pts[i]);
  path.closeSubpath();
  if (QPainter* m = Matrix(img)) m->strokePath(path, m->pen());
  if (QPainter* c = Canvas(img)) c->strokePath(path, c->pen());
}

void WalkPixel(TvxCADImage& img, QPoint p, uint32_t color) {
  // The one-pixel shortcut marks its own pixel after this; any other pixel may cover it.
  img.FWalk->PixelValid = false;
  if (color == clForeground || color == clByLayer || color == clByBlock) color = img.DefaultColor();
  if (img.Hooks.ExpPixel) {
    img.Hooks.ExpPixel(p, color);
    return;
  }
  if (QPainter* m = Matrix(img)) m->fillRect(QRect(p, QSize(1, 1)), m->pen().color());
  if (QPainter* c = Canvas(img)) {
    if (img.IsPlotting()) {
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
  }
}

void WalkArc(TvxCADImage& img, const QRect& box, QPoint start, QPoint end) {
  img.FWalk->PixelValid = false;
  if (img.Hooks.ExpArc) {
    img.Hooks.ExpArc(box, start, end);
    return;
  }
  const QPointF c = QRectF(box).center();
  auto angle = [&c](QPoint p) {
    return std::atan2(-(p.y() - c.y()), p.x() - c.x()) * 180.0 / 3.14159265358979323846;
  };
  const double a = angle(start);
  double span = angle(end) - a;
  while (span <= 0) span += 360;
  while (span > 360) span -= 360;
  if (start == end) span = 360;
  const int a16 = static_cast<int>(std::lround(a * 16));
  const int s16 = static_cast<int>(std::lround(span * 16));
  if (QPainter* m = Matrix(img)) m->drawArc(box, a16, s16);
  if (QPainter* cv = Canvas(img)) cv->drawArc(box, a16, s16);
}

void WalkEllipse(TvxCADImage& img, const QRect& box) {
  img.FWalk->PixelValid = false;
  if (img.Hooks.ExpArc) {
    // an arc whose ends coincide is the whole ellipse
    const QPoint right(box.right(), box.center().y());
    img.Hooks.ExpArc(box, right, right);
    return;
  }
  if (QPainter* m = Matrix(img)) {
    m->setBrush(Qt::NoBrush);
    m->drawEllipse(box);
    img.FSelectionMatrix->Changed();
  }
  if (QPainter* c = Canvas(img)) c->drawEllipse(box);
}

void WalkFillRegion(TvxCADImage& img, const QRegion& region, uint32_t color) {
  img.FWalk->PixelValid = false;
  if (img.Hooks.ExpFillRgn) {
    img.Hooks.ExpFillRgn(region);
    return;
  }
  if (color == clForeground || color == clByLayer || color == clByBlock) color = img.DefaultColor();
  if (QPainter* m = Matrix(img)) FillRegionOn(m, region, m->pen().color());
  if (QPainter* c = Canvas(img)) FillRegionOn(c, region, TvxCADImage::ToColor(color));
}

}  // namespace vx
