// vxDrawTargets: the image's own draw targets. Each is bound to one TvxCADImage and reads what it
// needs from it at every primitive (the painter of the draw in progress, the selection matrix and
// mode, the export hooks), so one set serves every draw of the image.
//
//   TvxHookTarget    the export hooks (TvxCADImage::Hooks): a primitive whose hook is set goes to
//                    it, in whole pixels, and nowhere else.
//   TvxMatrixTarget  the selection matrix: while picking is active, the primitive in the key
//                    colour of its owner (registered on the way), never antialiased.
//   TvxCanvasTarget  the painter Draw was given, unless the mode is matrix-only; in device points
//                    when the painter antialiases, in whole pixels otherwise.
#pragma once

#include "render/output/vxDrawTarget.h"

#include <QPainter>

namespace vx {

class TvxCADImage;

class TvxHookTarget final : public TvxDrawTarget {
 public:
  explicit TvxHookTarget(TvxCADImage& image) : FImage(image) {}

  bool Polyline(const QPointF* pts, int n) override;
  bool PolyPolyline(const QPointF* pts, const int* counts, int parts) override;
  bool ClosedPath(const QPointF* pts, int n) override;
  bool Arc(const QRectF& box, QPointF start, QPointF end) override;
  bool Ellipse(const QRectF& box) override;
  bool Polygon(const QPointF* pts, int n) override;
  bool PolyPolygon(const QPointF* pts, const int* counts, int parts, bool eachPart) override;
  bool Pixel(QPoint p, TColor color) override;
  bool FillRegion(const QRegion& region, TColor color) override;
  bool FillPath(const QPointF* pts, const int* counts, int parts, TvxFillRule rule,
                const TvxFill& fill) override;
  bool Image(const TvxImagePlacement& image) override;
  void SetAlpha(uint8_t) override {}

 private:
  const QPoint* Pixels(const QPointF* pts, int n);

  TvxCADImage& FImage;
  std::vector<QPoint> FPixels;
};

class TvxMatrixTarget final : public TvxDrawTarget {
 public:
  explicit TvxMatrixTarget(TvxCADImage& image) : FImage(image) {}

  bool Polyline(const QPointF* pts, int n) override;
  bool PolyPolyline(const QPointF* pts, const int* counts, int parts) override;
  bool ClosedPath(const QPointF* pts, int n) override;
  bool Arc(const QRectF& box, QPointF start, QPointF end) override;
  bool Ellipse(const QRectF& box) override;
  bool Polygon(const QPointF* pts, int n) override;
  bool PolyPolygon(const QPointF* pts, const int* counts, int parts, bool eachPart) override;
  bool Pixel(QPoint p, TColor color) override;
  bool FillRegion(const QRegion& region, TColor color) override;
  bool FillPath(const QPointF* pts, const int* counts, int parts, TvxFillRule rule,
                const TvxFill& fill) override;
  bool Image(const TvxImagePlacement& image) override;
  void SetAlpha(uint8_t) override {}  // key colours never blend

 private:
  // The matrix painter in the key colour of the primitive's owner (registered now), or nil when
  // picking is off.
  QPainter* Begin();
  const QPoint* Pixels(const QPointF* pts, int n);

  TvxCADImage& FImage;
  std::vector<QPoint> FPixels;
};

class TvxCanvasTarget final : public TvxDrawTarget {
 public:
  explicit TvxCanvasTarget(TvxCADImage& image) : FImage(image) {}

  bool Polyline(const QPointF* pts, int n) override;
  bool PolyPolyline(const QPointF* pts, const int* counts, int parts) override;
  bool ClosedPath(const QPointF* pts, int n) override;
  bool Arc(const QRectF& box, QPointF start, QPointF end) override;
  bool Ellipse(const QRectF& box) override;
  bool Polygon(const QPointF* pts, int n) override;
  bool PolyPolygon(const QPointF* pts, const int* counts, int parts, bool eachPart) override;
  bool Pixel(QPoint p, TColor color) override;
  bool FillRegion(const QRegion& region, TColor color) override;
  bool FillPath(const QPointF* pts, const int* counts, int parts, TvxFillRule rule,
                const TvxFill& fill) override;
  bool Image(const TvxImagePlacement& image) override;
  void SetAlpha(uint8_t alpha) override;

 private:
  // The painter when the canvas is a destination, its pen with the caps and joins the walk
  // draws with (flat caps: the last pixel of a line is left out; mitred joins).
  QPainter* Begin();
  const QPoint* Pixels(const QPointF* pts, int n);

  TvxCADImage& FImage;
  std::vector<QPoint> FPixels;
};

// The brush of a fill: its colour, or its gradient over the device axis.
QBrush FillBrush(const TvxFill& fill);

}  // namespace vx
