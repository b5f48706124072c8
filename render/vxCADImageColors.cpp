// TvxCADImage: colours. The contrast grey of the background, the colour of an entity, the draw
// modes, and the pen, brush and font state the walk sets through cached setters (the painter is
// only touched when a value really changes).
#include "render/vxCADImage.h"

#include "database/blocks/vxInserts.h"

#include <cmath>

namespace vx {

namespace {
QColor ToQColor(TColor c) { return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF); }

bool IsUnresolved(TColor c) { return c == clForeground || c == clByLayer || c == clByBlock; }
}  // namespace

QColor TvxCADImage::ToColor(TColor c) { return ToQColor(c); }

TColor TvxCADImage::ContrastColor(TColor background) {
  const TColor c = background & 0xFFFFFF;
  int level = 255;
  if (c != 0) {
    const double r = c & 0xFF, g = (c >> 8) & 0xFF, b = (c >> 16) & 0xFF;
    level = static_cast<int>(RoundHalfEven((0.2126 * r + 0.7152 * g + 0.0722 * b) * 0.7));
  }
  const TColor l = static_cast<TColor>(level);
  return l | (l << 8) | (l << 16);
}

void TvxCADImage::SetBackgroundColor(TColor c) {
  FBackgroundColor = c;
  FChangeBackgroundColor = ContrastColor(c);
  Changed();
}

void TvxCADImage::SetDefaultColor(TColor c) {
  FDefaultColor = c;
  Changed();
}

void TvxCADImage::SetDrawMode(TvxDXFDrawMode m) {
  if (m == FDrawMode) return;
  FDrawMode = m;
  Changed();
}

TColor TvxCADImage::DrawingDefaultColor() const {
  return FPrinting == pntPrint ? PrintForegroundColor : FDefaultColor;
}

TColor TvxCADImage::DrawingBackgroundColor() const {
  return FPrinting == pntPrint ? PrintBackgroundColor : FBackgroundColor;
}

TColor TvxCADImage::GetEntityColor(TvxDXFEntity* entity, TvxDXFEntity* insert) {
  if (FDrawMode == dmBlack) return DrawingDefaultColor();
  const TColor c = EffectiveColor(entity, dynamic_cast<const TvxDXFInsert*>(insert));
  if (FPrinting != pntNone || !entity) return c;
  // Light greys and white on a background of the same colour would vanish: draw them in the
  // contrast grey instead.
  const TvxColorCAD own = entity->GetColorCAD();
  if (own.Active == acIndexColor && own.Color >= 250 && own.Color <= 255 &&
      (c & 0xFFFFFF) == (FBackgroundColor & 0xFFFFFF) && !IsUnresolved(c))
    return FChangeBackgroundColor;
  return c;
}

bool TvxCADImage::ExternalInForce() const {
  if (!FExternalProps) return false;
  switch (FExternalProps->UseExternalPen) {
    case 1: return FCurrentEntity && FCurrentEntity->GetHandle() == FExternalProps->EntityHandle;
    case 2: return true;
    default: return false;
  }
}

void TvxCADImage::SetColor(TColor color, TvxColorTarget target, bool allowExternal) {
  if (allowExternal && ExternalInForce()) color = FExternalProps->Color;
  if (IsUnresolved(color)) color = DrawingDefaultColor();
  if (Hooks.ExpSetColor) {
    Hooks.ExpSetColor(color, target);
    return;
  }
  switch (target) {
    case ctPen:
      if (color == FColorPen) return;
      FColorPen = color;
      if (FCanvas) {
        QPen pen = FCanvas->pen();
        pen.setColor(ToQColor(color));
        FCanvas->setPen(pen);
      }
      break;
    case ctBrush: {
      const bool stale = FCanvas && (FCanvas->brush().style() == Qt::NoBrush ||
                                     FCanvas->brush().color() != ToQColor(color));
      if (color == FColorBrush && !stale) return;
      FColorBrush = color;
      if (FCanvas) {
        QBrush brush = FCanvas->brush();
        if (brush.style() == Qt::NoBrush) brush.setStyle(Qt::SolidPattern);
        brush.setColor(ToQColor(color));
        FCanvas->setBrush(brush);
      }
      break;
    }
    case ctFont:
      // Texts take their colour from FColorFont when they are drawn.
      FColorFont = color;
      break;
    case ctBrushClear: {
      const TColor bg = DrawingBackgroundColor();
      if (FCanvas) {
        QBrush brush = FCanvas->brush();
        if (bg != FColorBrush) brush.setColor(ToQColor(bg));
        if (!FExternalProps) brush.setStyle(Qt::NoBrush);
        FCanvas->setBrush(brush);
      }
      FColorBrush = bg;
      break;
    }
  }
}

void TvxCADImage::SetStyle(Qt::PenStyle style, TvxColorTarget target) {
  if (Hooks.ExpSetStyle) {
    Hooks.ExpSetStyle(style, target);
    return;
  }
  if (!FCanvas) return;
  if (target == ctPen) {
    if (FCanvas->pen().style() == style) return;
    QPen pen = FCanvas->pen();
    pen.setStyle(style);
    FCanvas->setPen(pen);
  } else if (target == ctBrush || target == ctBrushClear) {
    const Qt::BrushStyle bs =
        (target == ctBrushClear || style == Qt::NoPen) ? Qt::NoBrush : Qt::SolidPattern;
    if (FCanvas->brush().style() == bs) return;
    QBrush brush = FCanvas->brush();
    brush.setStyle(bs);
    if (bs == Qt::SolidPattern) brush.setColor(ToQColor(FColorBrush));
    FCanvas->setBrush(brush);
  }
}

void TvxCADImage::SetPenWidth(double width) {
  if (!std::isfinite(width) || width < 0) width = 0;
  if (Hooks.ExpSetPenWidth) Hooks.ExpSetPenWidth(width);
  // Wider than any device: a corrupt weight must not reach the painter.
  const int w = static_cast<int>(std::ceil(std::min(width, 65536.0)));
  if (w == FPenWidth) return;
  FPenWidth = w;
  if (FCanvas && !Hooks.ExpSetPenWidth) {
    QPen pen = FCanvas->pen();
    pen.setWidth(w);
    FCanvas->setPen(pen);
  }
}

void TvxCADImage::ApplyDrawModeColors() {
  switch (FDrawMode) {
    case dmBlack:
      SetColor(DrawingDefaultColor(), ctFont, false);
      SetColor(DrawingDefaultColor(), ctPen, false);
      break;
    case dmGray:
      SetColor(0x808080, ctFont, false);
      SetColor(0x808080, ctPen, false);
      break;
    case dmNormal:
      break;
  }
}

}  // namespace vx
