// The drawing navigator as a widget: the fit of a new drawing, wheel zoom about the cursor, zoom
// limits, the previous-view stack, the update bracket, paints from the drawn picture, client
// messages, mouse gestures, keys, degenerate extents, and the antialiased canvas over an exact
// selection matrix.
#include "test_navigator_fixture.h"

#include "database/layouts/vxLayouts.h"
#include "render/vxSelectionMatrix.h"

#include <QKeyEvent>
#include <QScrollBar>

#include <cmath>
#include <stdexcept>

namespace vx::test {
namespace {

const std::vector<DxfLine> kLine{{0, 0, 100, 50, 1}};

TEST_F(NavigatorTest, NewDrawingIsFittedAndBecomesTheBaseView) {
  TvxCADImage* img = Show(kLine);
  EXPECT_TRUE(NearRect(nav->PictureRect2D(), {0.5, 100.25, 799.5, 499.75}));
  EXPECT_TRUE(img->Antialias());  // the editor's canvas is smooth
  ASSERT_NE(img->CurrentLayout()->ExistingView(), nullptr);
  EXPECT_EQ(img->CurrentLayout()->ExistingView()->ViewCount(), 1);
}

TEST_F(NavigatorTest, WheelZoomsAboutTheCursor) {
  struct Case {
    int Delta;
    Qt::KeyboardModifiers Mods;
    double Factor;  // 0: no zoom
  };
  const Case cases[] = {{120, Qt::NoModifier, 1.25},     {-120, Qt::NoModifier, 0.8},
                        {120, Qt::ShiftModifier, 1.25},  {120, Qt::ControlModifier, 1.01},
                        {-120, Qt::ControlModifier, 0.99}, {120, Qt::AltModifier, 0},
                        {60, Qt::NoModifier, 0}};
  const QPointF at(300, 200);
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.Delta << " mods " << int(c.Mods));
    Show(kLine);
    const TF2DRect before = nav->PictureRect2D();
    Wheel(at, c.Delta, c.Mods);
    const TF2DRect want = c.Factor ? ZoomAbout(before, at.x(), at.y(), c.Factor) : before;
    EXPECT_TRUE(NearRect(nav->PictureRect2D(), want, 1e-6));
  }
  // touchpad steps add up to a notch
  Show(kLine);
  const TF2DRect before = nav->PictureRect2D();
  for (int i = 0; i < 3; ++i) Wheel(at, 40);
  EXPECT_TRUE(NearRect(nav->PictureRect2D(), ZoomAbout(before, at.x(), at.y(), 1.25), 1e-6));
}

TEST_F(NavigatorTest, ZoomStopsAtTheLimits) {
  Show(kLine);
  for (int i = 0; i < 80; ++i) Wheel(QPointF(400, 300), 120);
  const TF2DRect big = nav->PictureRect2D();
  EXPECT_LT(std::max(Width(big), Height(big)), nav->MaxDim());
  EXPECT_GT(std::max(Width(big), Height(big)), 30000);
  for (int i = 0; i < 200; ++i) Wheel(QPointF(400, 300), -120);
  const TF2DRect small = nav->PictureRect2D();
  EXPECT_GE(Width(small), 2);
  EXPECT_GE(Height(small), 2);
  EXPECT_FALSE(nav->AlterScale(false, QPointF(10, 10), 1e-6));
  EXPECT_FALSE(nav->AlterScale(false, QPointF(10, 10), std::nan("")));
}

TEST_F(NavigatorTest, PreviousViewsUndoZoomsAndTheStackKeepsItsBase) {
  TvxCADImage* img = Show(kLine);
  const TF2DRect fitted = nav->PictureRect2D();
  Wheel(QPointF(100, 100), 120);
  const TF2DRect first = nav->PictureRect2D();
  Wheel(QPointF(500, 300), 120);
  Wheel(QPointF(200, 400), -120);
  nav->CallPreviousView();
  nav->CallPreviousView();
  EXPECT_TRUE(NearRect(nav->PictureRect2D(), first, 1));
  nav->CallPreviousView();
  EXPECT_TRUE(NearRect(nav->PictureRect2D(), fitted, 1));
  nav->CallPreviousView();  // the base view stays
  EXPECT_TRUE(NearRect(nav->PictureRect2D(), fitted, 1));

  TvxView* view = img->CurrentLayout()->View();
  const TvxViewRect base = view->ActiveView();
  for (int i = 0; i < 300; ++i) nav->PushView(QRect(i, 0, 50 + i, 40));
  EXPECT_EQ(view->ViewCount(), 257);
  for (int i = 0; i < 300; ++i) view->PopView();
  EXPECT_EQ(view->ActiveView(), base);
}

TEST_F(NavigatorTest, UpdateBracketCollapsesRepaints) {
  Show(kLine);
  int paints = 0;
  nav->OnPaint = [&paints](TvxDrawingNavigator*, QPainter&) { ++paints; };
  const int drawn = nav->FullPaintCount();
  nav->BeginUpdate();
  nav->AlterScale(false, QPointF(100, 100), 1.5);
  nav->AlterScale(false, QPointF(300, 100), 1.5);
  nav->Invalidate();
  QApplication::processEvents();
  EXPECT_EQ(paints, 0);
  nav->EndUpdate();
  EXPECT_EQ(paints, 1);
  EXPECT_EQ(nav->FullPaintCount(), drawn + 1);
  // without a BeginUpdate: the counter stays at 0 and the control repaints (from its picture)
  nav->EndUpdate();
  EXPECT_EQ(nav->UpdateCount(), 0);
  EXPECT_EQ(paints, 2);
  EXPECT_EQ(nav->FullPaintCount(), drawn + 1);
  nav->RepaintPicture();
  EXPECT_EQ(nav->FullPaintCount(), drawn + 2);
}

TEST_F(NavigatorTest, OverlaysRepaintFromTheDrawnPicture) {
  Show(kLine);
  nav->repaint();
  const int drawn = nav->FullPaintCount();
  int paints = 0;
  nav->OnPaint = [&paints](TvxDrawingNavigator*, QPainter&) { ++paints; };
  for (int i = 0; i < 5; ++i) {
    nav->InvalidateOverlay(QRect(10 * i, 10, 20, 20));
    nav->repaint(QRect(10 * i, 10, 20, 20));
  }
  // a rubber band drag paints over the same picture
  Mouse(QEvent::MouseButtonPress, QPoint(100, 100), Qt::LeftButton, Qt::LeftButton);
  for (int x = 110; x < 200; x += 10) {
    Mouse(QEvent::MouseMove, QPoint(x, x), Qt::NoButton, Qt::LeftButton);
    nav->repaint();
  }
  EXPECT_GE(paints, 10);
  EXPECT_EQ(nav->FullPaintCount(), drawn);
  Mouse(QEvent::MouseButtonRelease, QPoint(190, 190), Qt::LeftButton, Qt::NoButton);
  nav->repaint();
  EXPECT_EQ(nav->FullPaintCount(), drawn + 1);  // the zoom drew the drawing again
}

struct RecordingClient : TvxNavigatorClient {
  std::vector<int> Msgs;
  std::vector<QEvent::Type> Events;
  bool Stop = false, Throw = false;
  void NavigatorMessage(TvxDrawingNavigator&, TvxNavigatorMessage& m) override {
    if (m.Msg)
      Msgs.push_back(m.Msg);
    else if (m.Event)
      Events.push_back(m.Event->type());
    if (Stop) m.Result = 1;
    if (Throw) throw std::runtime_error("client failure");
  }
};

TEST_F(NavigatorTest, ClientsHearScaleMoveAndMouseMessages) {
  Show(kLine);
  RecordingClient a, b;
  nav->AddClient(&a);
  nav->AddClient(&a);  // once
  nav->AddClient(&b);
  EXPECT_EQ(nav->ClientCount(), 2);
  nav->AlterScale(false, QPointF(100, 100), 1.5);
  EXPECT_NE(std::find(a.Msgs.begin(), a.Msgs.end(), cnstMsgChangeScale), a.Msgs.end());
  a.Msgs.clear();
  EXPECT_FALSE(nav->MovePictureRect2D(0.4, 0.3));  // under a pixel: nothing
  EXPECT_TRUE(a.Msgs.empty());
  EXPECT_TRUE(nav->MovePictureRect(10, 0));
  EXPECT_NE(std::find(a.Msgs.begin(), a.Msgs.end(), cnstMsgPictureMove), a.Msgs.end());
  // a throwing client does not stop the next; one that answers does
  a.Throw = true;
  b.Msgs.clear();
  nav->MovePictureRect(10, 0);
  EXPECT_FALSE(b.Msgs.empty());
  a.Throw = false;
  a.Stop = true;
  b.Msgs.clear();
  b.Events.clear();
  nav->MovePictureRect(10, 0);
  Mouse(QEvent::MouseButtonPress, QPoint(5, 5), Qt::RightButton, Qt::RightButton);
  EXPECT_TRUE(b.Msgs.empty());
  EXPECT_TRUE(b.Events.empty());
  EXPECT_NE(std::find(a.Events.begin(), a.Events.end(), QEvent::MouseButtonPress), a.Events.end());
  nav->RemoveClient(&a);
  nav->RemoveClient(&b);
  EXPECT_EQ(nav->ClientCount(), 0);
}

TEST_F(NavigatorTest, UnknownExtensionRaisesAndRestoresTheUpdateCount) {
  try {
    nav->LoadFromFile("/tmp/drawing.jpg");
    FAIL() << "no exception";
  } catch (const EvxInvalidGraphic& e) {
    EXPECT_STREQ(e.what(), "Extension de fichier image inconnue (.jpg)");
  }
  EXPECT_EQ(nav->UpdateCount(), 0);
  EXPECT_FALSE(nav->IsLoading());
  EXPECT_EQ(nav->Graphic(), nullptr);
}

TEST_F(NavigatorTest, ClientPointsMapToTheDrawing) {
  TvxCADImage* img = Show(kLine);
  nav->repaint();  // the image's view is the one it drew with
  for (const TFPoint& p : {TFPoint{0, 0, 0}, TFPoint{100, 50, 0}, TFPoint{37.5, 12.25, 0}}) {
    const TFPoint d = img->GetPointF(p);
    const TFPoint back = nav->GetRealPoint(d.X, d.Y);
    EXPECT_NEAR(back.X, p.X, 1e-9);
    EXPECT_NEAR(back.Y, p.Y, 1e-9);
  }
  // the line's ends are where the picture shows them: (0, 0) bottom left of the drawing box
  const TFPoint origin = img->GetPointF({0, 0, 0});
  EXPECT_NEAR(origin.X, 0.5 + 799.0 * 0.125 / 1.25, 1);
  EXPECT_NEAR(origin.Y, 499.75 - 399.5 * 0.125 / 1.25, 1);
}

TEST_F(NavigatorTest, MouseGestures) {
  int popups = 0, fits = 0;
  nav->OnContextPopup = [&popups](TvxDrawingNavigator*, QPoint) { ++popups; };
  nav->OnFitToSize.push_back([&fits](TvxDrawingNavigator*) { ++fits; });
  TvxCADImage* img = Show(kLine);
  const TF2DRect fitted = nav->PictureRect2D();

  // a left click without a drag leaves the view
  Drag(Qt::LeftButton, QPoint(200, 200), {});
  EXPECT_TRUE(NearRect(nav->PictureRect2D(), fitted));
  // a left drag zooms to its band
  Drag(Qt::LeftButton, QPoint(200, 200), {QPoint(300, 260), QPoint(400, 300)});
  TF2DRect want;
  ASSERT_TRUE(ZoomToBand(fitted, {200, 200, 400, 300}, nav->ClientSize(), want));
  EXPECT_TRUE(NearRect(nav->PictureRect2D(), want, 1e-6));

  // a right drag pans by the mouse's way, pushes the view and shows no menu
  const TF2DRect zoomed = nav->PictureRect2D();
  const int views = img->CurrentLayout()->View()->ViewCount();
  Drag(Qt::RightButton, QPoint(100, 100), {QPoint(130, 90), QPoint(150, 80)});
  EXPECT_TRUE(NearRect(nav->PictureRect2D(),
                       {zoomed.Left + 50, zoomed.Top - 20, zoomed.Right + 50, zoomed.Bottom - 20}));
  EXPECT_EQ(img->CurrentLayout()->View()->ViewCount(), views + 1);
  EXPECT_EQ(popups, 0);
  // a right click shows it
  Drag(Qt::RightButton, QPoint(100, 100), {});
  EXPECT_EQ(popups, 1);
  // the middle button pans as well; its double click fits and tells who asked
  Drag(Qt::MiddleButton, QPoint(100, 100), {QPoint(90, 100)});
  Mouse(QEvent::MouseButtonDblClick, QPoint(50, 50), Qt::MiddleButton, Qt::MiddleButton);
  EXPECT_TRUE(NearRect(nav->PictureRect2D(), fitted));
  EXPECT_EQ(fits, 1);
}

TEST_F(NavigatorTest, KeysMoveAndZoom) {
  Show(kLine);
  auto key = [this](int k, Qt::KeyboardModifiers m = Qt::NoModifier) {
    QKeyEvent e(QEvent::KeyPress, k, m);
    QApplication::sendEvent(nav.get(), &e);
  };
  const TF2DRect r0 = nav->PictureRect2D();
  const int step = nav->HorzScrollBar()->singleStep();
  key(Qt::Key_Left);
  EXPECT_NEAR(nav->PictureRect2D().Left, r0.Left + step, 1e-9);
  key(Qt::Key_Down);
  EXPECT_NEAR(nav->PictureRect2D().Top, r0.Top - nav->VertScrollBar()->singleStep(), 1e-9);
  key(Qt::Key_Home);
  EXPECT_NEAR(nav->PictureRect2D().Left, 0, 1e-9);
  EXPECT_NEAR(nav->PictureRect2D().Top, 0, 1e-9);
  const TF2DRect home = nav->PictureRect2D();
  key(Qt::Key_Left, Qt::ControlModifier);  // modifiers: not the navigator's
  EXPECT_TRUE(NearRect(nav->PictureRect2D(), home));
  key(Qt::Key_Plus, Qt::KeypadModifier);
  EXPECT_TRUE(NearRect(nav->PictureRect2D(), ZoomAbout(home, 400, 300, 2), 1e-6));
}

TEST_F(NavigatorTest, DegenerateExtentsAndTinyWindows) {
  // a single horizontal line: zero height
  Show({{0, 10, 100, 10, 1}});
  Wheel(QPointF(300, 300), 120);
  const TF2DRect r = nav->PictureRect2D();
  for (double v : {r.Left, r.Top, r.Right, r.Bottom}) EXPECT_TRUE(std::isfinite(v));
  EXPECT_GE(Height(r), 2);
  // a minimised window skips the fit
  nav->resize(1, 1);
  nav->FitToSize();
  EXPECT_TRUE(NearRect(nav->PictureRect2D(), r));
}

TEST_F(NavigatorTest, SmoothCanvasOverAnExactMatrix) {
  TvxCADImage* img = Show({{0, 0, 100, 37, 1}, {0, 37, 100, 0, 3}, {10, 0, 90, 37, 5}});
  auto* matrix = new TvxSelectionMatrix();
  img->SetSelectionMatrix(matrix);
  img->SetMatrixMode(smEnabled);
  nav->RepaintPicture();
  const QImage screen = nav->grab().toImage();
  int blended = 0;
  for (int y = 0; y < screen.height(); ++y)
    for (int x = 0; x < screen.width(); ++x) {
      const QRgb p = screen.pixel(x, y) & 0xFFFFFF;
      blended += p != 0xFF0000 && p != 0x00FF00 && p != 0x0000FF && p != 0xFFFFFF &&
                 p != (nav->palette().color(nav->backgroundRole()).rgb() & 0xFFFFFF);
    }
  EXPECT_GT(blended, 100);
  matrix->EndPaint();
  ASSERT_EQ(matrix->GetSize(), nav->ClientSize());
  int keyed = 0;
  for (int y = 0; y < matrix->GetSize().height(); ++y)
    for (int x = 0; x < matrix->GetSize().width(); ++x) {
      const uint32_t v = matrix->ValueAt(x, y);
      ASSERT_TRUE(v == TvxSelectionMatrix::cnstClearValue || v < 3u) << x << "," << y << " " << v;
      keyed += v != TvxSelectionMatrix::cnstClearValue;
    }
  EXPECT_GT(keyed, 300);
}

}  // namespace
}  // namespace vx::test
