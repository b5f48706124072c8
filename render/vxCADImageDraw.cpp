// TvxCADImage::Draw: the top of every drawing pass (fit, device measures, background, plot
// paper, clip, picking matrix, the layout walk, 3D axes) and the restoring of the painter and
// the image state on every exit, exceptions from the walk included. Each step is a member of
// its own whose comment says why it is there.
#include "render/vxCADImage.h"

#include "render/vxDrawWalk.h"
#include "render/vxSelectionMatrix.h"

#include <QPaintDevice>

#include <algorithm>
#include <cmath>

namespace vx {

namespace {

TFRect Normalized(TFRect b) {
  if (b.Left > b.Right) std::swap(b.Left, b.Right);
  if (b.Bottom > b.Top) std::swap(b.Bottom, b.Top);
  return b;
}

// Millimetres per device pixel; a device that reports no physical size falls back to its
// resolution, and that to 96 dpi, so line weights never become infinite.
double DeviceMMPerPixel(const QPaintDevice* dev) {
  if (!dev) return 25.4 / 96;
  const int px = dev->width(), mm = dev->widthMM();
  if (px > 0 && mm > 0) return static_cast<double>(mm) / px;
  const int dpi = dev->logicalDpiX();
  return 25.4 / (dpi > 0 ? dpi : 96);
}

QRect Inflated(const QRect& r, int d) { return r.adjusted(-d, -d, d, d); }

}  // namespace

// The target rectangle enlarged so that the clip box (a part of the extents) fills rect.
void TvxCADImage::ClipBoxRect(const QRect& rect, QRect& target) const {
  target = rect;
  if (!FClippingRect) return;
  const TFRect ext = GetDrawingExtents();
  const double ew = ext.Right - ext.Left, eh = ext.Top - ext.Bottom;
  const double cw = FClippingRect->Right - FClippingRect->Left;
  const double ch = FClippingRect->Top - FClippingRect->Bottom;
  if (!(cw > 0) || !(ch > 0) || !(ew > 0) || !(eh > 0)) return;
  const double kx = rect.width() / cw, ky = rect.height() / ch;
  const double l = rect.x() - (FClippingRect->Left - ext.Left) * kx;
  const double t = rect.y() - (ext.Top - FClippingRect->Top) * ky;
  const double w = ew * kx, h = eh * ky;
  auto clamp = [](double v) { return std::clamp(v, -cnstMaxDeviceCoord, cnstMaxDeviceCoord); };
  target = QRect(static_cast<int>(clamp(l)), static_cast<int>(clamp(t)),
                 static_cast<int>(clamp(w)), static_cast<int>(clamp(h)));
}

void TvxCADImage::DrawPlotPaper(QPainter& canvas) {
  if (FTransparent || !FShowPlotSetting || FIsIterator || !IsCurLayoutShowPlot()) return;
  const TvxDXFPlotSettings* ps = FCurrentLayout->PlotSettings();
  if (!ps) return;
  const TFRect paperBox = Normalized(ps->PlotPaperArea());
  if (IsUnsetBox(paperBox)) return;
  const QRect paper = GetRect(paperBox);
  canvas.fillRect(paper, ToColor(DrawingBackgroundColor()));
  if (ps->Data.PlotType == ptWindowSpecified && FShowPlotFrame) {
    const TFRect winBox = Normalized(TFRect{ps->Data.PlotWindowAreaMin.X, ps->Data.PlotWindowAreaMax.Y, 0,
                                            ps->Data.PlotWindowAreaMax.X, ps->Data.PlotWindowAreaMin.Y, 0});
    if (!IsUnsetBox(winBox)) {
      const QRect win = GetRect(winBox);
      canvas.fillRect(win, ToColor(FPlotWindowAreaColor));
      canvas.setBrush(Qt::NoBrush);
      canvas.setPen(QPen(ToColor(0xA0A0A0), 0, Qt::DotLine));
      canvas.drawRect(win);
      // The paper shows again where the window leaves it: only the window keeps its tint.
      if (paper.contains(win)) {
        const QRegion rest = QRegion(paper).subtracted(QRegion(win.adjusted(0, 0, 1, 1)));
        for (const QRect& r : rest) canvas.fillRect(r, ToColor(DrawingBackgroundColor()));
        canvas.fillRect(win, ToColor(FPlotWindowAreaColor));
        canvas.drawRect(win);
      }
    }
  }
  if (FShowPlotMargins) {
    const TFRect marginsBox = Normalized(ps->PlotMarginsArea());
    if (!IsUnsetBox(marginsBox)) {
      canvas.setBrush(Qt::NoBrush);
      const TColor c = (DrawingBackgroundColor() & 0xFFFFFF) == 0 ? 0xFFFFFF : 0x000000;
      canvas.setPen(QPen(ToColor(c), 0, Qt::DashLine));
      canvas.drawRect(GetRect(marginsBox));
    }
  }
}

void TvxCADImage::Draw3DAxes(QPainter& canvas) {
  if (!FIsDraw3DAxes || FIsIterator) return;
  const QPoint c = GetPoint(FCenter);
  const int len = std::max(1, std::min(FDrawRect.width(), FDrawRect.height()) / 4);
  TFMatrix rot = FCurrentLayout ? FCurrentLayout->RotMatrix() : cnstIdentityMat;
  struct Axis { int Row; TColor Color; const char* Label; };
  QFont font = canvas.font();
  font.setPointSize(6);
  canvas.setFont(font);
  for (const Axis& a : {Axis{0, 0x0000FF, "X"}, Axis{1, 0x8CEB44, "Y"}, Axis{2, 0xFF0000, "Z"}}) {
    const TFPoint v = rot.Row(a.Row);
    if (!std::isfinite(v.X) || !std::isfinite(v.Y)) continue;
    const QPoint end(c.x() + static_cast<int>(std::lround(v.X * len)),
                     c.y() - static_cast<int>(std::lround(v.Y * len)));
    canvas.setPen(QPen(ToColor(a.Color), 2));
    canvas.drawLine(c, end);
    canvas.drawText(end, a.Label);
  }
  canvas.fillRect(QRect(c.x() - 2, c.y() - 2, 5, 5), ToColor(0xFFFF00));
}

// A known painter state that the image's colour and pen caches describe: the caches are only
// compared against, never read back from the painter, so the two must agree from the start.
void TvxCADImage::ResetCanvasState(QPainter& canvas) {
  const TColor def = DrawingDefaultColor();
  FDraw.Color = def;
  FColorPen = FColorBrush = FColorFont = def;
  FPenWidth = 0;
  canvas.setRenderHint(QPainter::Antialiasing, FAntialias);
  canvas.setPen(QPen(QBrush(ToColor(def)), 0, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
  canvas.setBrush(QBrush(ToColor(def), Qt::SolidPattern));
}

// The background and the plot paper under the drawing; a transparent image leaves what the
// caller painted, and a matrix-only pass must not touch the canvas at all.
void TvxCADImage::PaintBackground(QPainter& canvas, const QRect& target) {
  if (FTransparent) return;
  const TColor def = DrawingDefaultColor();
  const TColor fill = IsCurLayoutShowPlot() ? 0xC0C0C0 : DrawingBackgroundColor();
  if (FIsShowBackground && FSelectionMode != smMatrixOnly) canvas.fillRect(target, ToColor(fill));
  DrawPlotPaper(canvas);
  // the plot paper drew with pens of its own
  canvas.setPen(QPen(QBrush(ToColor(def)), 0, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
  canvas.setBrush(QBrush(ToColor(def), Qt::SolidPattern));
}

// Only the drawing box (with a clip box) or the printable area (when the plot settings are used)
// may show: what lies beyond would not be on the paper either.
void TvxCADImage::ClipToShownArea(QPainter& canvas) {
  QRect clip;
  if (FClippingRect) {
    if (!IsUnsetBox(FDrawingBox)) clip = Inflated(GetRect(FDrawingBox), 1);
  } else if (FUsePlotSetting && FCurrentLayout->PlotSettings()) {
    const TvxDXFPlotSettings* ps = FCurrentLayout->PlotSettings();
    const TFRect area = Normalized(ps->Data.PlotType == ptWindowSpecified ? ps->PlotPrintableArea()
                                                                         : ps->PlotMarginsArea());
    if (!IsUnsetBox(area)) clip = Inflated(GetRect(area), 1);
  }
  if (!clip.isEmpty()) canvas.setClipRect(clip, Qt::IntersectClip);
}

// The device rectangle this draw can change: the walk's on-screen test and ray clipping use it
// to skip what cannot show, and the matrix is cleared over it.
void TvxCADImage::MeasureDrawRect(QPainter& canvas, const QRect& target) {
  const QPaintDevice* dev = canvas.device();
  if (canvas.hasClipping()) {
    FDrawRect = canvas.clipBoundingRect().toAlignedRect();
  } else {
    FDrawRect = dev ? QRect(0, 0, dev->width(), dev->height()) : target;
    if (!canvas.transform().isIdentity()) FDrawRect = canvas.transform().inverted().mapRect(FDrawRect);
  }
}

// Picking keys of a previous draw must not survive where this one paints; a matrix that
// overflowed last time starts again from nothing.
void TvxCADImage::ClearSelectionMatrix() {
  if (!FSelectionMatrix) return;
  const QSize area = FSelectionMatrix->GetSize();
  if (FSelectionMatrix->IsOverflow() ||
      (FDrawRect.contains(0, 0) && FDrawRect.contains(area.width() - 1, area.height() - 1)))
    FSelectionMatrix->ClearFull();
  else
    FSelectionMatrix->ClearRect(FDrawRect);
}

// More entities than the matrix has key colours: the first walk's keys are ambiguous, so the
// matrix alone is filled once more from a clean start (the canvas is already complete).
void TvxCADImage::RefillOverflowedMatrix(const std::function<void()>& walk) {
  if (!FSelectionMatrix || !FSelectionMatrix->IsOverflow()) return;
  const TvxSelectionMode savedMode = FSelectionMode;
  const QRect savedRect = FDrawRect;
  FSelectionMode = smMatrixOnly;
  FSelectionMatrix->EndPaint();
  FSelectionMatrix->ClearFull();
  FDrawRect = QRect(QPoint(0, 0), FSelectionMatrix->GetSize());
  struct TvxModeRestore {
    TvxCADImage* Image;
    TvxSelectionMode Mode;
    QRect Rect;
    ~TvxModeRestore() {
      Image->FSelectionMode = Mode;
      Image->FDrawRect = Rect;
    }
  } modeRestore{this, savedMode, savedRect};
  walk();
}

void TvxCADImage::Draw(QPainter& canvas, const QRect& rect) {
  // A paint that arrives while this image is loading sees a half-read database.
  if (!FCurrentLayout || !FConverter || IsLoading() || !canvas.isActive()) return;

  // The matrix follows the visible area (one pixel when picking is off, so it costs nothing);
  // resizing ends its painter first.
  const double savedLineWeightScale = FLineWeightScale;
  if (FSelectionMatrix) {
    FSelectionMatrix->EndPaint();
    const QSize size = FSelectionMode != smDisabled && FVisibleArea.isValid() ? FVisibleArea : QSize(1, 1);
    FSelectionMatrix->SetSize(size);
  }

  // A clip box makes a part of the drawing fill rect: the view is fitted to a larger target.
  QRect target;
  ClipBoxRect(rect, target);
  SetCurrentDrawingImage(this);
  FCanvas = &canvas;

  // A view that cannot be fitted draws nothing.
  if (FCustomDraw) {
    try {
      FitToRect(target);
    } catch (...) {
      FCanvas = nullptr;
      return;
    }
  } else {
    // The walk starts from the view itself, whatever a previous walk left.
    FDraw.Matrix = FDraw.DrawMatrix;
  }

  // Line weights are millimetres: they need the device's pixel size (and a printer's DPI).
  const QPaintDevice* dev = canvas.device();
  FmmToPixelX = DeviceMMPerPixel(dev);
  if (FDeviceDPI.x() > 0) FLineWeightScale *= FDeviceDPI.x() * FmmToPixelX / 25.4;
  canvas.save();
  if (dev && dev->logicalDpiY() > 0) FPixelsPerInch = dev->logicalDpiY();
  // The target outgrows the caller's rectangle with a clip box: nothing, the background
  // included, may land outside the rectangle given.
  if (FClippingRect) canvas.setClipRect(rect, Qt::IntersectClip);

  TvxDXFConverter* conv = FConverter;
  const bool savedAutoInsert = conv->AutoInsert();
  TvxCADIterate* savedParams = conv->Params();
  bool walkBegun = false;

  // Whatever Draw changed is given back on every exit from here on, exceptions from the walk
  // included: the caller's painter, the database's walk state, the image's scales.
  struct TvxDrawRestore {
    TvxCADImage* Image;
    QPainter& Canvas;
    double LineWeightScale;
    TvxDXFConverter* Conv;
    bool AutoInsert;
    TvxCADIterate* Params;
    bool& WalkBegun;
    ~TvxDrawRestore() {
      Image->FLineWeightScale = LineWeightScale;
      if (Image->FCurrentLayout) {
        Image->FCurrentLayout->SetRotZAngle(Image->FCurrentLayout->RotZAngle() + Image->FRotZAngle);
        Image->FRotZAngle = 0;
      }
      if (WalkBegun) {
        try {
          Image->FWalk->EndDraw(*Image);
        } catch (...) {
        }
      }
      if (Image->FSelectionMatrix) Image->FSelectionMatrix->EndPaint();
      Canvas.restore();
      Image->FXRefsDrawing.clear();
      Image->FCurrentEntity = nullptr;
      Conv->SetAutoInsert(AutoInsert);
      Conv->SetParams(Params == &Image->FDraw ? nullptr : Params);
      Image->FCanvas = nullptr;
      if (Image->OnAfterDraw) {
        try {
          Image->OnAfterDraw(Image);
        } catch (...) {
        }
      }
    }
  } restore{this, canvas, savedLineWeightScale, conv, savedAutoInsert, savedParams, walkBegun};

  ResetCanvasState(canvas);
  PaintBackground(canvas, target);

  // The walk composes reference matrices into the image's own iterate record, and never
  // inserts blocks while drawing.
  conv->SetAutoInsert(false);
  conv->SetParams(&FDraw);

  ClipToShownArea(canvas);
  MeasureDrawRect(canvas, target);
  canvas.setRenderHint(QPainter::SmoothPixmapTransform, true);
  ClearSelectionMatrix();

  FWalk->BeginDraw(*this);
  walkBegun = true;
  TvxDXFLayout* layout = FCurrentLayout;
  const TvxEntityProc drawProc = [this](TvxDXFEntity* e) { return DrawEntity(e); };
  const TvxEntityProc finishProc = [this](TvxDXFEntity* e) { return FinishEntity(e); };
  const auto walk = [&] { layout->Iterate(conv, finishProc, drawProc); };
  walk();
  RefillOverflowedMatrix(walk);

  Draw3DAxes(canvas);
}

}  // namespace vx
