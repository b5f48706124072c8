// Filled areas: hatches, curve polygons, gradient polygons, poly-polygons and multi-polygons.
// The loops are one area filled with the alternate rule (islands are holes); a pattern hatch
// draws its generated lines instead, chained into as few polylines as the screen allows.
#include "render/vxDrawWalk.h"

#include "database/hatches/vxHatches.h"
#include "database/images/vxWipeouts.h"
#include "render/vxCADImage.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace vx {

namespace {

TFPoint ObjectToWorld(const TvxCADPolyPolygon& poly, const TF2DPoint& p) {
  const TFPoint q{p.X, p.Y, 0};
  return poly.HasMatrix() ? TransformPoint(q, poly.Matrix()) : q;
}

// The loops in device points, into the walk's buffers; false when nothing is left.
bool MapLoops(TvxCADImage& img, const TvxCADPolyPolygon& poly) {
  TvxDrawWalkState& w = *img.FWalk;
  w.Points.clear();
  w.Counts.clear();
  for (const TF2DPointList& loop : poly.Boundaries()) {
    if (loop.Count() < 3) continue;
    for (int i = 0; i < loop.Count(); ++i) w.Points.push_back(img.DevicePoint(ObjectToWorld(poly, loop[i])));
    w.Counts.push_back(loop.Count());
  }
  return !w.Counts.empty();
}

TvxGradientShape ShapeOf(TvxGradientType t) {
  switch (t) {
    case gtCylinder: return gsCylinder;
    case gtInvCylinder: return gsInvCylinder;
    case gtSpherical: return gsSpherical;
    case gtInvSpherical: return gsInvSpherical;
    case gtHemiSpherical: return gsHemispherical;
    case gtInvHemiSpherical: return gsInvHemispherical;
    case gtCurved: return gsCurved;
    case gtInvCurved: return gsInvCurved;
    default: return gsLinear;
  }
}

// The gradient over the loops' box: its axis in object coordinates, mapped to the screen.
TvxFill GradientFill(TvxCADImage& img, const TvxCADGradientPolygon& g) {
  TvxFill f;
  f.Gradient = true;
  f.Shape = ShapeOf(g.GradientType());
  const TFRect b = g.LoopBox();
  const double w = b.Right - b.Left, h = b.Top - b.Bottom;
  const double cx = (b.Left + b.Right) / 2, cy = (b.Top + b.Bottom) / 2;
  TF2DPoint from, to;
  switch (f.Shape) {
    case gsSpherical: case gsInvSpherical: {
      // centre colour 2, surround colour 1
      const double r = std::max(w, h) / 2;
      from = g.GradientUseCenter() ? TF2DPoint{cx, cy} : TF2DPoint{b.Left + 0.2 * w, b.Top - 0.2 * h};
      to = {from.X + r, from.Y};
      f.Color = g.GradientColor(1);
      f.Color2 = g.GradientColor(0);
      break;
    }
    case gsHemispherical: case gsInvHemispherical: {
      const double r = std::max(w, h);
      from = {g.GradientUseCenter() ? cx : b.Left, b.Bottom};
      to = {from.X + r, from.Y};
      f.Color = g.GradientColor(1);
      f.Color2 = g.GradientColor(0);
      break;
    }
    default: {
      double a = g.GradientAngle() * std::numbers::pi / 180;
      if (f.Shape == gsCurved || f.Shape == gsInvCurved) a += std::numbers::pi / 2;
      const double dx = std::cos(a), dy = std::sin(a);
      const double half = (std::fabs(w * dx) + std::fabs(h * dy)) / 2;
      from = {cx - dx * half, cy - dy * half};
      to = {cx + dx * half, cy + dy * half};
      f.Color = g.GradientColor(0);
      f.Color2 = g.GradientColor(1);
      break;
    }
  }
  f.From = img.DevicePoint(ObjectToWorld(g, from));
  f.To = img.DevicePoint(ObjectToWorld(g, to));
  return f;
}

// The colour a solid area takes: a multi-polygon's own fill colour, else the entity's.
TColor SolidColor(TvxCADImage& img, const TvxCADPolyPolygon& poly) {
  if (auto* mp = dynamic_cast<const TvxCADMPolygon*>(&poly)) {
    const TvxColorCAD c = mp->FillColor();
    const bool byEntity = c.Active == acIndexColor && (c.Color == 0 || c.Color == 256);
    if (!byEntity) return ColorCADToColor(c);
  }
  return img.FDraw.Color;
}

// The pattern segments as joined polylines: a segment starting within 2 pixels of where the
// last part ends continues it; a segment that is one pixel on the screen is that pixel when the
// pen is wide.
void DrawPatternLines(TvxCADImage& img, const TvxCADHatch& hatch) {
  const TFPointList& lines = hatch.ParsedLines();
  TvxDrawWalkState& w = *img.FWalk;
  w.Points.clear();
  w.Counts.clear();
  const uint32_t pixelColor = WalkPixelColor(img);
  const bool wide = img.FPenWidth > 1;
  for (int i = 0; i + 1 < lines.Count(); i += 2) {
    const QPointF a = img.DevicePoint(hatch.HasMatrix() ? TransformPoint(lines[i], hatch.Matrix()) : lines[i]);
    const QPointF b = img.DevicePoint(hatch.HasMatrix() ? TransformPoint(lines[i + 1], hatch.Matrix()) : lines[i + 1]);
    if (!w.Counts.empty()) {
      const QPointF last = w.Points.back();
      if (std::fabs(a.x() - last.x()) < 2 && std::fabs(a.y() - last.y()) < 2) {
        w.Points.push_back(b);
        ++w.Counts.back();
        continue;
      }
    }
    if (DevicePixel(a) == DevicePixel(b) && wide) {
      WalkPixel(img, DevicePixel(a), pixelColor);
      continue;
    }
    w.Points.push_back(a);
    w.Points.push_back(b);
    w.Counts.push_back(2);
  }
  if (!w.Counts.empty())
    WalkPolyPolyline(img, w.Points.data(), w.Counts.data(), static_cast<int>(w.Counts.size()));
}

}  // namespace

int WalkDrawFill(TvxCADImage& img, TvxDXFEntity* e) {
  auto* poly = dynamic_cast<TvxCADPolyPolygon*>(e);
  if (!poly) return 0;
  const bool canvas = img.FSelectionMode != smMatrixOnly;
  if (!canvas && !WalkPickingActive(img)) return 0;
  auto* hatch = dynamic_cast<TvxCADHatch*>(poly);
  const bool solid = poly->SolidFill() || (hatch && hatch->PatternOverflow());
  if (!solid && hatch) {
    switch (hatch->FillStyle()) {
      case fsClear:
        return 0;
      case fsSolid:
        break;
      default:
        // pattern lines (the styles other than fsCAD generate theirs from the style)
        if (hatch->ParsedLines().Count() < 2) return 0;
        DrawPatternLines(img, *hatch);
        return 0;
    }
  }
  if (!MapLoops(img, *poly)) return 0;
  TvxDrawWalkState& w = *img.FWalk;
  auto* gradient = dynamic_cast<TvxCADGradientPolygon*>(poly);
  const TvxFill fill = gradient && gradient->GradientType() != gtNone && gradient->GradientType() != gtOther &&
                               !img.IsIterator()
                           ? GradientFill(img, *gradient)
                           : TvxFill::Solid(SolidColor(img, *poly));
  WalkFillPath(img, w.Points.data(), w.Counts.data(), static_cast<int>(w.Counts.size()), frOddEven, fill);
  return 0;
}

int WalkDrawWipeout(TvxCADImage& img, TvxDXFEntity* e) {
  auto* w = dynamic_cast<TvxCADWipeout*>(e);
  if (!w || w->PointCount() < 3) return 0;
  TvxDrawWalkState& st = *img.FWalk;
  st.Points.clear();
  st.Counts.clear();
  for (const TFPoint& p : w->PolyPoints()) st.Points.push_back(img.DevicePoint(p));
  st.Points.push_back(st.Points.front());
  st.Counts.push_back(static_cast<int>(st.Points.size()));
  // the area takes the background colour: what was drawn beneath it disappears
  WalkFillPath(img, st.Points.data(), st.Counts.data(), 1, frOddEven, TvxFill::Solid(img.BackgroundColor()));
  if (!img.Converter() || !img.Converter()->HideWipeouts())
    WalkPolyline(img, st.Points.data(), static_cast<int>(st.Points.size()));
  return 0;
}

}  // namespace vx
