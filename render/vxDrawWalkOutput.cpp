// Output primitives of the drawing walk: the walk's own rules before a primitive leaves it (the
// one-pixel cache, the last pixel of short lines, long poly-polylines part by part, unresolved
// colours), then the primitive in device points to the walk state's Output, which hands it to
// the export hooks, the selection matrix and the canvas (render/output/). Picking registration
// lives here too: the matrix target registers the owner of each primitive it draws.
#include "render/vxDrawWalk.h"

#include "render/vxCADImage.h"
#include "render/vxSelectionMatrix.h"

#include <algorithm>

namespace vx {

namespace {

TColor Resolved(const TvxCADImage& img, TColor color) {
  if (color == clForeground || color == clByLayer || color == clByBlock) return img.DefaultColor();
  return color;
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

void WalkPolyline(TvxCADImage& img, const QPointF* pts, int n) {
  if (!pts || n <= 0) return;
  TvxDrawWalkState& w = *img.FWalk;
  w.PixelValid = false;
  QPointF three[3];
  if (w.AddOnePixel && n == 2 && img.FPenWidth <= 1 && !img.IsIterator() && !img.Antialias()) {
    // the line's own last pixel, which the aliased pen leaves out
    three[0] = pts[0];
    three[1] = pts[1];
    three[2] = pts[1] + QPointF(0, 1);
    pts = three;
    n = 3;
  }
  w.Output.Polyline(pts, n);
}

void WalkPolyline(TvxCADImage& img, const QPoint* pts, int n) {
  if (!pts || n <= 0) return;
  // converted into a buffer the QPointF form never uses
  std::vector<QPointF> device(pts, pts + n);
  WalkPolyline(img, device.data(), n);
}

void WalkPolyPolyline(TvxCADImage& img, const QPoint* pts, const int* counts, int parts) {
  if (!pts || !counts || parts <= 0) return;
  const int total = TotalCount(counts, parts);
  std::vector<QPointF> device(pts, pts + total);
  WalkPolyPolyline(img, device.data(), counts, parts);
}

void WalkPolyPolyline(TvxCADImage& img, const QPointF* pts, const int* counts, int parts) {
  if (!pts || !counts || parts <= 0) return;
  TvxDrawWalkState& w = *img.FWalk;
  w.PixelValid = false;
  if (TotalCount(counts, parts) > cnstMaxPolyPolylinePoints) {
    // very long runs go part by part
    for (int i = 0; i < parts; ++i) {
      if (counts[i] > 0) WalkPolyline(img, pts, counts[i]);
      pts += std::max(0, counts[i]);
    }
    return;
  }
  w.Output.PolyPolyline(pts, counts, parts);
}

void WalkPolygon(TvxCADImage& img, const QPointF* pts, int n) {
  if (!pts || n <= 0) return;
  img.FWalk->PixelValid = false;
  img.FWalk->Output.Polygon(pts, n);
}

void WalkPolyPolygon(TvxCADImage& img, const QPointF* pts, const int* counts, int parts) {
  if (!pts || !counts || parts <= 0) return;
  img.FWalk->PixelValid = false;
  img.FWalk->Output.PolyPolygon(pts, counts, parts, false);
}

void WalkPolygons(TvxCADImage& img, const QPointF* pts, const int* counts, int parts) {
  if (!pts || !counts || parts <= 0) return;
  img.FWalk->PixelValid = false;
  img.FWalk->Output.PolyPolygon(pts, counts, parts, true);
}

void WalkClosedPath(TvxCADImage& img, const QPointF* pts, int n) {
  if (!pts || n <= 0) return;
  img.FWalk->PixelValid = false;
  img.FWalk->Output.ClosedPath(pts, n);
}

void WalkPixel(TvxCADImage& img, QPoint p, uint32_t color) {
  // The one-pixel shortcut marks its own pixel after this; any other pixel may cover it.
  img.FWalk->PixelValid = false;
  img.FWalk->Output.Pixel(p, Resolved(img, color));
}

void WalkArc(TvxCADImage& img, const QRectF& box, QPointF start, QPointF end) {
  img.FWalk->PixelValid = false;
  img.FWalk->Output.Arc(box, start, end);
}

void WalkEllipse(TvxCADImage& img, const QRectF& box) {
  img.FWalk->PixelValid = false;
  img.FWalk->Output.Ellipse(box);
}

void WalkFillRegion(TvxCADImage& img, const QRegion& region, uint32_t color) {
  img.FWalk->PixelValid = false;
  img.FWalk->Output.FillRegion(region, Resolved(img, color));
}

void WalkFillPath(TvxCADImage& img, const QPointF* pts, const int* counts, int parts,
                  TvxFillRule rule, const TvxFill& fill) {
  if (!pts || !counts || parts <= 0 || TotalCount(counts, parts) <= 0) return;
  img.FWalk->PixelValid = false;
  TvxFill f = fill;
  f.Color = Resolved(img, f.Color);
  f.Color2 = Resolved(img, f.Color2);
  img.FWalk->Output.FillPath(pts, counts, parts, rule, f);
}

void WalkImage(TvxCADImage& img, const TvxImagePlacement& image) {
  if (!image.Picture || image.Picture->isNull()) return;
  img.FWalk->PixelValid = false;
  img.FWalk->Output.Image(image);
}

void WalkSetAlpha(TvxCADImage& img, uint8_t alpha) { img.FWalk->Output.SetAlpha(alpha); }

}  // namespace vx
