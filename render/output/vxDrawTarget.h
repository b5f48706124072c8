// vxDrawTarget: where the drawing walk's primitives go.
//
// The walk (render/vxDrawWalk*.cpp) works out the device geometry of an entity once and hands
// every primitive to one TvxDrawTarget: the image's fan-out (TvxDrawFanOut), which passes it on
// to its targets in order. The built-in targets are the export hooks (TvxHookTarget), the
// selection matrix (TvxMatrixTarget) and the canvas (TvxCanvasTarget), declared in
// render/output/vxDrawTargets.h. A target that takes a primitive for itself answers true, and
// the targets after it do not see it: an export hook replaces the drawing of what it exports.
//
// Device coordinates are pixels with Y down, as floating point numbers: an antialiasing canvas
// draws them as they are; the selection matrix, the export hooks and an aliased canvas round
// them with DevicePixel, as the view matrix rounds its points. Pens, brushes and fonts are the
// painter state the image keeps (SetColor, SetPenWidth, SetStyle); a target that needs the
// current colours reads them from the image it was made for.
//
// Adding a primitive: declare it here (pure virtual, so that every target must answer it),
// forward it in TvxDrawFanOut, implement it in each target of render/output/. Adding a target:
// one class deriving from TvxDrawTarget, registered with TvxCADImage::AddDrawTarget.
#pragma once

#include "foundation/vxConsts.h"
#include "foundation/vxGeometry2D.h"

#include <QImage>
#include <QPoint>
#include <QPointF>
#include <QRectF>
#include <QRegion>

#include <algorithm>
#include <cstdint>
#include <vector>

namespace vx {

// How overlapping contours of one filled area combine.
enum class TvxFillRule : uint8_t {
  frOddEven,  // alternate: islands are holes (hatch and solid boundaries, GDI polygons)
  frWinding   // non-zero winding (glyph outlines drawn with both orientations)
};
using enum TvxFillRule;

// How a gradient's two colours spread over the fill. Linear runs from colour 1 at From to colour 2
// at To; the cylinder shapes mirror it about the axis' middle (colour 1 at both ends); the
// spherical and hemispherical shapes run from From (the centre) out to the radius |To - From|;
// the curved shapes are linear with colour 1 held over the first third. The Inv* shapes swap the
// colours.
enum class TvxGradientShape : uint8_t {
  gsLinear, gsCylinder, gsInvCylinder, gsSpherical, gsInvSpherical, gsHemispherical,
  gsInvHemispherical, gsCurved, gsInvCurved
};
using enum TvxGradientShape;

// A fill: one solid colour, or a two-colour gradient over a device axis.
struct TvxFill {
  TColor Color = 0;  // 0x00BBGGRR: the solid colour, the gradient's colour 1
  bool Gradient = false;
  TvxGradientShape Shape = gsLinear;
  TColor Color2 = 0;
  QPointF From, To;  // the gradient's axis in device pixels

  static TvxFill Solid(TColor c) {
    TvxFill f;
    f.Color = c;
    return f;
  }
};

// A raster picture drawn onto a parallelogram: the picture's top-left corner lands on Origin,
// its width runs along U and its height along V (device vectors of the whole picture).
struct TvxImagePlacement {
  const QImage* Picture = nullptr;
  QPointF Origin, U, V;
  bool Smooth = true;  // filtered when scaled (pixelated when off)
};

class TvxDrawTarget {
 public:
  virtual ~TvxDrawTarget() = default;

  // ---- strokes in the current pen ----
  virtual bool Polyline(const QPointF* pts, int n) = 0;
  virtual bool PolyPolyline(const QPointF* pts, const int* counts, int parts) = 0;
  // A closed outline stroked as one figure (joins at every corner, the closing one included).
  virtual bool ClosedPath(const QPointF* pts, int n) = 0;
  // Counter-clockwise on the screen from the direction of start to the direction of end, on the
  // ellipse inscribed in box (its corners are the extreme points of the curve); start == end is
  // the whole ellipse.
  virtual bool Arc(const QRectF& box, QPointF start, QPointF end) = 0;
  virtual bool Ellipse(const QRectF& box) = 0;

  // ---- areas in the current brush, outlined in the current pen (odd-even rule) ----
  virtual bool Polygon(const QPointF* pts, int n) = 0;
  // eachPart: the parts are filled one by one, so that overlapping pieces (the quads of a wide
  // outline) do not cancel out; otherwise as one area where islands are holes.
  virtual bool PolyPolygon(const QPointF* pts, const int* counts, int parts, bool eachPart) = 0;

  // ---- pixels and regions in a given colour ----
  virtual bool Pixel(QPoint p, TColor color) = 0;
  virtual bool FillRegion(const QRegion& region, TColor color) = 0;

  // ---- fills without outline: hatch and solid fills with islands, gradients, glyph outlines ----
  virtual bool FillPath(const QPointF* pts, const int* counts, int parts, TvxFillRule rule,
                        const TvxFill& fill) = 0;

  // ---- raster pictures ----
  virtual bool Image(const TvxImagePlacement& image) = 0;

  // ---- state ----
  // The opacity of the primitives that follow (255 opaque), until the next call; Draw gives the
  // painter's own opacity back when it ends. Targets without transparency (the selection
  // matrix) ignore it.
  virtual void SetAlpha(uint8_t alpha) = 0;
};

// Passes every primitive to its targets in order until one takes it for itself. Holds no
// target: whoever adds one removes it before freeing it.
class TvxDrawFanOut final : public TvxDrawTarget {
 public:
  // Appends t (a target already held, or the fan-out itself, is not added).
  void Add(TvxDrawTarget* t);
  // Puts t at position index (clamped), before the targets from there on.
  void Insert(int index, TvxDrawTarget* t);
  // Answers whether t was held.
  bool Remove(TvxDrawTarget* t);
  int Count() const { return static_cast<int>(FTargets.size()); }
  TvxDrawTarget* Target(int i) const { return FTargets[static_cast<size_t>(i)]; }

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
  std::vector<TvxDrawTarget*> FTargets;
};

// One device coordinate in whole pixels: half to even, within the pixel limit and +-2^24 (as
// TvxCADImage::GetPoint rounds); NaN gives 0. Inline: the walk maps every point through it.
inline int DeviceCoordinate(double v) {
  constexpr double cnstDeviceLimit = 16777216.0;
  const double limit = std::min<double>(PixelLimit(), cnstDeviceLimit);
  if (!(v == v)) return 0;
  if (v >= limit) return static_cast<int>(limit);
  if (v <= -limit) return -static_cast<int>(limit);
  // 1.5 x 2^52 pushes the fraction out of the mantissa: the addition rounds half to even
  constexpr double cnstRounder = 6755399441055744.0;
  return static_cast<int>((v + cnstRounder) - cnstRounder);
}

// The device pixel of a device point, rounded half to even and clamped as the view matrix
// rounds its points.
inline QPoint DevicePixel(QPointF p) { return {DeviceCoordinate(p.x()), DeviceCoordinate(p.y())}; }
// The pixels of n points into out (resized to n).
void DevicePixels(const QPointF* pts, int n, std::vector<QPoint>& out);
// The pixel rectangle whose corner pixels are those of a device rectangle's corners (a box from
// (0, 0) to (10, 10) covers the pixels 0 to 10, as a box of device points does).
QRect DeviceRect(const QRectF& r);
// The sum of the non-negative counts (at most INT_MAX).
int TotalCount(const int* counts, int parts);

}  // namespace vx
