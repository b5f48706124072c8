// TvxDrawingNavigator's input: mouse (rectangle zoom, mouse scaling, panning, the context menu
// on a right click), the wheel (notches of 120, touchpads' small steps added up), keys, scroll
// bar actions, and the broadcast of mouse, key and focus events to the clients.
#include "viewer/vxDrawingNavigator.h"

#include "viewer/vxNavigatorState.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <QWheelEvent>

#include <cmath>
#include <cstdlib>

namespace vx {

namespace {

bool IsPanButton(Qt::MouseButton b) { return b == Qt::RightButton || b == Qt::MiddleButton; }

// The events the clients hear about.
bool IsBroadcastEvent(QEvent::Type t) {
  switch (t) {
    case QEvent::FocusIn:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
      return true;
    default:
      return false;
  }
}

}  // namespace

bool TvxDrawingNavigator::event(QEvent* e) {
  const QEvent::Type t = e->type();
  // Mouse moves reach the clients only while the application is active and the left button is
  // not panning.
  const bool move = t == QEvent::MouseMove && !ImageDragMode && FAppActive;
  if (!FClients.empty() && (IsBroadcastEvent(t) || move)) {
    TvxNavigatorMessage m;
    m.Event = e;
    m.Graphic = Graphic();
    Broadcast(m);
  }
  return QWidget::event(e);
}

// ---- mouse --------------------------------------------------------------------------------------

void TvxDrawingNavigator::mousePressEvent(QMouseEvent* e) {
  const QPoint pt = e->position().toPoint();
  FMouseDownPt = FMouseMovePrevPoint = pt;
  FDownButton = e->button();
  FMovedSinceDown = false;
  auto startPan = [this] {
    if (!MouseDragging && !ImageDragMode) return;
    FMoveByMouse = true;
    FCursorBeforePan = cursor();
    SetCursorId(cnstCursorHandFlat);
  };
  if (e->button() == Qt::LeftButton) {
    if (focusPolicy() != Qt::NoFocus) setFocus(Qt::MouseFocusReason);
    if (ImageDragMode) {
      startPan();
    } else if (RectZooming) {
      FRectZoomingProcess = true;
      FZoomingRect = QRect(pt, pt);
    } else if (MouseScaling) {
      FMouseMoveZoomingProcess = true;
    }
  } else if (IsPanButton(e->button())) {
    startPan();
  }
  if (OnMouseDown) OnMouseDown(this, e->button(), e->modifiers(), pt);
}

void TvxDrawingNavigator::mouseMoveEvent(QMouseEvent* e) {
  if (BlockFocusUpdate) return;
  const QPoint pt = e->position().toPoint();
  if (AutoFocus && isEnabled() && isVisible() && FAppActive && !hasFocus()) setFocus(Qt::MouseFocusReason);
  if (e->buttons() != Qt::NoButton && pt != FMouseDownPt) FMovedSinceDown = true;
  if (FAppActive) {
    const bool panButtons = e->buttons() & (Qt::RightButton | Qt::MiddleButton);
    if (FMoveByMouse && (panButtons || (ImageDragMode && (e->buttons() & Qt::LeftButton)))) {
      SetCursorId(cnstCursorHandFlat);
      const QPoint d = pt - FMouseMovePrevPoint;
      if (!d.isNull()) MovePictureRect(d.x(), d.y());
    } else if (FRectZoomingProcess && (e->buttons() & Qt::LeftButton)) {
      // the band follows the mouse inside the client area
      if (QRect(QPoint(0, 0), ClientSize()).contains(pt)) FZoomingRect.setBottomRight(pt);
      update();
    } else if (FMouseMoveZoomingProcess && (e->buttons() & Qt::LeftButton)) {
      const int dy = pt.y() - FMouseMovePrevPoint.y();
      if (dy != 0)
        AlterScale(false, QPointF(FMouseDownPt), dy > 0 ? ZoomChangeByMouseMove : 1 / ZoomChangeByMouseMove);
    }
  }
  FMouseMovePrevPoint = pt;
  if (OnMouseMove) OnMouseMove(this, e->buttons(), e->modifiers(), pt);
}

void TvxDrawingNavigator::EndPan() {
  if (!FMoveByMouse) return;
  FMoveByMouse = false;
  setCursor(FCursorBeforePan);
  FCursorId = FCursorBeforePan.shape() == Qt::CrossCursor ? cnstCursorCross : 0;
}

void TvxDrawingNavigator::mouseReleaseEvent(QMouseEvent* e) {
  const QPoint pt = e->position().toPoint();
  const Qt::MouseButton b = e->button();
  if (FRectZoomingProcess && b == Qt::LeftButton) {
    FRectZoomingProcess = false;
    update();
    const QRect band = FZoomingRect.normalized();
    TF2DRect r;
    const TF2DRect corners{double(band.left()), double(band.top()), double(band.right()),
                           double(band.bottom())};
    if (ZoomToBand(FPictureRect2D, corners, ClientSize(), r)) {
      TvxNavigatorStateScope zooming(this, dnsZooming);
      SetPictureRect2D(r);
    }
  }
  if (b == Qt::LeftButton) FMouseMoveZoomingProcess = false;
  if (FMovedSinceDown && IsPanButton(b)) PushView();
  if (IsPanButton(b) || (ImageDragMode && b == Qt::LeftButton)) EndPan();
  // The context menu: only for a right click that did not pan.
  if (b == Qt::RightButton && !FMovedSinceDown && pt == FMouseDownPt && OnContextPopup)
    OnContextPopup(this, mapToGlobal(pt));
  if (OnMouseUp) OnMouseUp(this, b, e->modifiers(), pt);
}

void TvxDrawingNavigator::mouseDoubleClickEvent(QMouseEvent* e) {
  if (e->button() == Qt::MiddleButton) {
    FitToSize();
    const std::vector<TvxNavigatorEvent> handlers = OnFitToSize;
    for (const TvxNavigatorEvent& h : handlers)
      if (h) h(this);
    return;
  }
  mousePressEvent(e);
}

// ---- wheel -------------------------------------------------------------------------------------

void TvxDrawingNavigator::wheelEvent(QWheelEvent* e) {
  e->accept();
  // a notch is 120; touchpads send small steps that add up to it
  FWheelAccum += e->angleDelta().y();
  const Qt::KeyboardModifiers mods =
      e->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
  const Qt::MouseButtons buttons = e->buttons();
  while (std::abs(FWheelAccum) >= 120) {
    const bool up = FWheelAccum > 0;
    FWheelAccum += up ? -120 : 120;
    if (FRectZoomingProcess || HasState(dnsZooming)) continue;
    double f = 0;
    if ((mods == Qt::NoModifier && (ScalingOnMouseWheel || buttons == Qt::LeftButton)) ||
        mods == Qt::ShiftModifier)
      f = up ? ZoomInChange : ZoomOutChange;
    else if (mods == Qt::ControlModifier)
      f = up ? 1.01 : 0.99;
    if (f == 0) continue;
    TvxNavigatorStateScope wheel(this, dnsWheel);
    if (!DrawOnEveryMouseWheel) BeginUpdate();
    AlterScale(false, e->position(), f);
    if (!DrawOnEveryMouseWheel) EndUpdate();
  }
}

// ---- keys --------------------------------------------------------------------------------------

void TvxDrawingNavigator::keyPressEvent(QKeyEvent* e) {
  if (e->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier)) {
    QWidget::keyPressEvent(e);
    return;
  }
  const bool keypad = e->modifiers() & Qt::KeypadModifier;
  const int h = FHorz->singleStep(), v = FVert->singleStep();
  const QSize c = ClientSize();
  switch (e->key()) {
    case Qt::Key_Left: MovePictureRect(h, 0); break;
    case Qt::Key_Right: MovePictureRect(-h, 0); break;
    case Qt::Key_Up: MovePictureRect(0, v); break;
    case Qt::Key_Down: MovePictureRect(0, -v); break;
    case Qt::Key_Home: MovePictureRect2D(-FPictureRect2D.Left, -FPictureRect2D.Top); break;
    case Qt::Key_End:
      MovePictureRect2D(c.width() - FPictureRect2D.Right, c.height() - FPictureRect2D.Bottom);
      break;
    case Qt::Key_Plus:
      if (!keypad) return QWidget::keyPressEvent(e);
      AlterScale(false, QPointF(Center()), 2);
      break;
    case Qt::Key_Minus:
      if (!keypad) return QWidget::keyPressEvent(e);
      AlterScale(false, QPointF(Center()), 0.5);
      break;
    default:
      QWidget::keyPressEvent(e);
      return;
  }
  e->accept();
}

// ---- scroll bars -------------------------------------------------------------------------------

void TvxDrawingNavigator::OnScroll(bool horizontal, int action) {
  if (HasState(dnsSclollChanging) || HasState(dnsMoving)) return;
  QScrollBar* bar = horizontal ? FHorz : FVert;
  const int step = bar->singleStep();
  double d = 0;
  switch (action) {
    case QAbstractSlider::SliderSingleStepAdd: d = -step; break;
    case QAbstractSlider::SliderSingleStepSub: d = step; break;
    case QAbstractSlider::SliderNoAction: return;
    default:
      // page, thumb, ends: the picture's edge goes to minus the bar's position
      d = -bar->sliderPosition() - (horizontal ? FPictureRect2D.Left : FPictureRect2D.Top);
      break;
  }
  if (horizontal)
    MovePictureRect2D(d, 0);
  else
    MovePictureRect2D(0, d);
}

}  // namespace vx
