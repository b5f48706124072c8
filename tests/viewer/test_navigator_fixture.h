// A drawing navigator of 800 x 600 (offscreen) showing a drawing written in code, and the events
// a user would send it.
#pragma once

#include "render/test_image_fixture.h"
#include "viewer/vxDrawingNavigator.h"

#include <QApplication>
#include <QMouseEvent>
#include <QWheelEvent>
#include <QWindow>

#include <gtest/gtest.h>

#include <memory>

namespace vx::test {

class NavigatorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    EnsureGuiApp<QApplication>();
    nav = std::make_unique<TvxDrawingNavigator>();
    nav->HorzScrollBarVisibility = nav->VertScrollBarVisibility = false;
    nav->resize(800, 600);
    nav->show();
    // painting starts once the window is exposed
    for (int i = 0; i < 100 && !(nav->windowHandle() && nav->windowHandle()->isExposed()); ++i)
      QApplication::processEvents(QEventLoop::AllEvents, 10);
  }

  // Shows a drawing of lines (fitted, as a new picture is).
  TvxCADImage* Show(const std::vector<DxfLine>& lines) {
    auto image = LoadedImage(DxfWithLines(lines));
    TvxCADImage* img = image.get();
    nav->SetGraphic(std::move(image));
    return img;
  }

  void Wheel(QPointF at, int delta, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QWheelEvent e(at, nav->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton, mods,
                  Qt::NoScrollPhase, false);
    QApplication::sendEvent(nav.get(), &e);
  }
  void Mouse(QEvent::Type t, QPoint at, Qt::MouseButton b, Qt::MouseButtons held,
             Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QMouseEvent e(t, QPointF(at), nav->mapToGlobal(QPointF(at)), b, held, mods);
    QApplication::sendEvent(nav.get(), &e);
  }
  // Press at a, move through the points, release at the last.
  void Drag(Qt::MouseButton b, QPoint a, std::initializer_list<QPoint> path,
            Qt::KeyboardModifiers mods = Qt::NoModifier) {
    Mouse(QEvent::MouseButtonPress, a, b, b, mods);
    QPoint last = a;
    for (QPoint p : path) {
      Mouse(QEvent::MouseMove, p, Qt::NoButton, b, mods);
      last = p;
    }
    Mouse(QEvent::MouseButtonRelease, last, b, Qt::NoButton, mods);
  }

  std::unique_ptr<TvxDrawingNavigator> nav;
};

inline ::testing::AssertionResult NearRect(const TF2DRect& got, const TF2DRect& want,
                                           double tol = 1e-6) {
  if (std::fabs(got.Left - want.Left) <= tol && std::fabs(got.Top - want.Top) <= tol &&
      std::fabs(got.Right - want.Right) <= tol && std::fabs(got.Bottom - want.Bottom) <= tol)
    return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "(" << got.Left << ", " << got.Top << ", " << got.Right
                                       << ", " << got.Bottom << ") instead of (" << want.Left
                                       << ", " << want.Top << ", " << want.Right << ", "
                                       << want.Bottom << ")";
}

}  // namespace vx::test
