// TvxDrawingNavigator's painting and scroll bars. The drawing goes into an off-screen picture
// only when the picture or its rectangle changed, or the client size did; every paint copies that
// picture to the screen and draws the overlays over it (OnPaint, the clients' paint, the rubber
// band), so moving a band or a highlight never draws the drawing again.
#include "viewer/vxDrawingNavigator.h"

#include "viewer/vxNavigatorState.h"

#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>

namespace vx {

// ---- repainting ---------------------------------------------------------------------------------

void TvxDrawingNavigator::EndUpdate() {
  if (FUpdateCount > 0) --FUpdateCount;
  if (FUpdateCount == 0) repaint();
}

void TvxDrawingNavigator::Invalidate() {
  if (FUpdateCount == 0) update();
}

void TvxDrawingNavigator::InvalidateOverlay(const QRect& area) {
  if (FUpdateCount == 0 && !area.isEmpty()) update(area);
}

void TvxDrawingNavigator::RepaintPicture() {
  FPictureChanged = true;
  FBufferSaved = false;
  if (FUpdateCount == 0) repaint();
}

void TvxDrawingNavigator::FullPaint() {
  const QSize client = ClientSize();
  if (FBuffer.size() != client) FBuffer = QImage(client, QImage::Format_ARGB32_Premultiplied);
  // outside the picture rectangle the window's own colour shows
  FBuffer.fill(palette().color(backgroundRole()));
  if (TvxGraphic* g = Graphic()) {
    if (TvxCADImage* img = Image())
      img->SetVisibleArea(QSize(std::max(1, client.width()), std::max(1, client.height())));
    TvxNavigatorStateScope drawing(this, dnsDrawing);
    QPainter p(&FBuffer);
    g->Draw(p, PictureRect());
  }
  // a rectangle zoom under a redrawn picture ends without zooming
  FRectZoomingProcess = false;
  ++FFullPaints;
  FBufferSaved = true;
  FPictureChanged = FPictureRectChanged = false;
}

void TvxDrawingNavigator::paintEvent(QPaintEvent*) {
  QPainter p(this);
  const QSize client = ClientSize();
  p.setClipRect(QRect(QPoint(0, 0), client));
  if (FUpdateCount > 0) {
    // a compound change is under way: the last picture stays
    if (!FBuffer.isNull()) p.drawImage(0, 0, FBuffer);
    return;
  }
  const bool usable =
      FBufferSaved && !FPictureChanged && !FPictureRectChanged && FBuffer.size() == client;
  if (!usable) {
    try {
      FullPaint();
    } catch (...) {
      // a drawing that fails to draw must not take the event loop with it
      FBufferSaved = false;
      FPictureChanged = FPictureRectChanged = false;
    }
  }
  if (!FBuffer.isNull()) p.drawImage(0, 0, FBuffer);
  if (OnPaint) {
    p.save();
    try {
      OnPaint(this, p);
    } catch (...) {
    }
    p.restore();
  }
  if (!FClients.empty()) {
    QPaintEvent pe(QRect(QPoint(0, 0), client));
    TvxNavigatorMessage m;
    m.Event = &pe;
    m.Graphic = Graphic();
    Broadcast(m);
  }
  if (FRectZoomingProcess) DrawRubberBand(p);
}

// A dotted one-pixel frame that inverts what lies under it, visible on any background.
void TvxDrawingNavigator::DrawRubberBand(QPainter& p) const {
  const QRect band = FZoomingRect.normalized();
  if (band.width() <= 1 && band.height() <= 1) return;
  p.save();
  p.setRenderHint(QPainter::Antialiasing, false);
  p.setCompositionMode(QPainter::RasterOp_NotSourceXorDestination);
  p.setPen(QPen(Qt::black, 0, Qt::DotLine));
  p.setBrush(Qt::NoBrush);
  p.drawRect(band);
  p.restore();
}

// ---- size and scroll bars ----------------------------------------------------------------------

QSize TvxDrawingNavigator::ClientSize() const {
  const int w = width() - (FVert->isVisibleTo(this) ? FVert->sizeHint().width() : 0);
  const int h = height() - (FHorz->isVisibleTo(this) ? FHorz->sizeHint().height() : 0);
  return {std::max(0, w), std::max(0, h)};
}

void TvxDrawingNavigator::resizeEvent(QResizeEvent*) {
  LayoutScrollBars();
  UpdateScrollBars();
  FBufferSaved = false;
}

void TvxDrawingNavigator::LayoutScrollBars() {
  const QSize c = ClientSize();
  const int bw = FVert->sizeHint().width(), bh = FHorz->sizeHint().height();
  FHorz->setGeometry(0, c.height(), c.width(), bh);
  FVert->setGeometry(c.width(), 0, bw, c.height());
  FCorner->setGeometry(c.width(), c.height(), bw, bh);
  FCorner->setVisible(FHorz->isVisibleTo(this) && FVert->isVisibleTo(this));
}

void TvxDrawingNavigator::UpdateScrollBars() {
  if (HasState(dnsSclollChanging)) return;
  TvxNavigatorStateScope changing(this, dnsSclollChanging);
  const QRect picture = PictureRect();
  const int bw = FVert->sizeHint().width(), bh = FHorz->sizeHint().height();
  // A bar takes room from the other axis: decide both with the room the other leaves.
  bool h = false, v = false;
  for (int pass = 0; pass < 2; ++pass) {
    const QRect c(0, 0, width() - (v ? bw : 0), height() - (h ? bh : 0));
    const QRect u = c.united(picture);
    h = HorzScrollBarVisibility && u.width() > c.width();
    v = VertScrollBarVisibility && u.height() > c.height();
  }
  const bool resized = h != FHorz->isVisibleTo(this) || v != FVert->isVisibleTo(this);
  FHorz->setVisible(h);
  FVert->setVisible(v);
  LayoutScrollBars();
  if (resized) FBufferSaved = false;
  const QSize client = ClientSize();
  const QRect u = QRect(QPoint(0, 0), client).united(picture);
  auto set = [](QScrollBar* bar, int range, int pos, int extent) {
    bar->setRange(0, std::max(0, range));
    bar->setPageStep(std::max(1, extent - 48));
    bar->setSingleStep(std::max(1, (extent - 48) / 48));
    bar->setValue(pos);
  };
  set(FHorz, u.width() - client.width(), -u.left(), client.width());
  set(FVert, u.height() - client.height(), -u.top(), client.height());
  if (!HasState(dnsMoving) && !HasState(dnsSetView)) PushView();
}

// ---- cursors -----------------------------------------------------------------------------------

void TvxDrawingNavigator::SetCursorId(int id) {
  if (ImageDragMode && id != cnstCursorHandFlat) return;
  FCursorId = id;
  switch (id) {
    case cnstCursorHandFlat: setCursor(Qt::ClosedHandCursor); break;
    case cnstCursorCross: setCursor(Qt::CrossCursor); break;
    default: setCursor(Qt::ArrowCursor); break;
  }
}

void TvxDrawingNavigator::SetStandardCursor(Qt::CursorShape shape) {
  if (ImageDragMode) return;
  FCursorId = shape == Qt::CrossCursor ? cnstCursorCross : 0;
  setCursor(shape);
}

}  // namespace vx
