// Picking in the editor on drawings read from DXF: click, Shift-click, rubber band (only what
// lies wholly inside), the fillability rule on a line over a solid, dragging a line, SelectAll,
// highlights painted over the drawn picture, and the navigator handlers the manager gives back.
#include "test_app_fixture.h"

#include "database/entities/vxEntLines.h"
#include "render/vxSelectionMatrix.h"

#include <QLabel>

namespace vx::test {
namespace {

// A horizontal line, a vertical line, and a short line far right.
const std::vector<DxfLine> kLines{{0, 0, 100, 0, 1}, {50, 10, 50, 90, 3}, {150, 40, 170, 40, 5}};

class SelectionTest : public AppTest {
 protected:
  void OpenLines() {
    ASSERT_TRUE(Open(Write("lines.dxf", DxfWithLines(kLines))));
    all = win->Manager().TopLevelEntities();
    ASSERT_EQ(all.size(), 3u);
  }
  const std::vector<TvxDXFEntity*>& Sel() { return win->Manager().Entities(); }
  std::vector<TvxDXFEntity*> all;
};

TEST_F(SelectionTest, ClickShiftClickAndEmptyClick) {
  OpenLines();
  const QPoint onH = Pixel({25, 0, 0}), onV = Pixel({50, 70, 0}), empty = Pixel({120, 80, 0});
  Click(onH);
  EXPECT_EQ(Sel(), std::vector<TvxDXFEntity*>{all[0]});
  EXPECT_EQ(win->Inspector()->Shown(), all[0]);
  Click(onV, Qt::ShiftModifier);  // adds
  EXPECT_EQ(Sel(), (std::vector<TvxDXFEntity*>{all[0], all[1]}));
  EXPECT_EQ(win->Inspector()->Shown(), nullptr);  // two selected: nothing shown
  Click(onH, Qt::ShiftModifier);  // removes
  EXPECT_EQ(Sel(), std::vector<TvxDXFEntity*>{all[1]});
  Click(onH);  // a plain click replaces
  EXPECT_EQ(Sel(), std::vector<TvxDXFEntity*>{all[0]});
  Click(empty);  // nothing there, no Shift: cleared
  EXPECT_TRUE(Sel().empty());
}

TEST_F(SelectionTest, RubberBandTakesOnlyWhatLiesWhollyInside) {
  OpenLines();
  win->MSelect();
  // around the vertical line and the short one, cutting through the horizontal line
  Drag(Pixel({40, 95, 0}), Pixel({180, -5, 0}));
  EXPECT_EQ(Sel().size(), 2u);
  EXPECT_NE(std::find(Sel().begin(), Sel().end(), all[1]), Sel().end());
  EXPECT_NE(std::find(Sel().begin(), Sel().end(), all[2]), Sel().end());
  // with Shift the band adds; without, it replaces
  Drag(Pixel({-5, 5, 0}), Pixel({105, -5, 0}), Qt::ShiftModifier);
  EXPECT_EQ(Sel().size(), 3u);
  Drag(Pixel({140, 50, 0}), Pixel({180, 30, 0}));
  EXPECT_EQ(Sel(), std::vector<TvxDXFEntity*>{all[2]});
  EXPECT_TRUE(win->Manager().Band().isEmpty());  // the band went with the gesture
}

TEST_F(SelectionTest, ALineOverASolidIsPickedOnTheLine) {
  const std::string solid = DxfSolid({0, 0, 0}, {100, 0, 0}, {0, 100, 0}, {100, 100, 0}, 2);
  ASSERT_TRUE(Open(Write("solid.dxf", DxfWith(solid, {{50, 0, 50, 100, 1}}))));
  const auto top = win->Manager().TopLevelEntities();
  ASSERT_EQ(top.size(), 2u);
  TvxDXFEntity* line = top[0]->EntType() == ceLine ? top[0] : top[1];
  TvxDXFEntity* fill = line == top[0] ? top[1] : top[0];
  const QPoint on = Pixel({50, 50, 0});
  EXPECT_EQ(win->Manager().FindEntity(on), line);
  // the line in the 7 x 7 window's leftmost column: met first, so the solid wins
  EXPECT_EQ(win->Manager().FindEntity(on + QPoint(3, 0)), fill);
  // a click on part of it selects it
  Click(on);
  EXPECT_EQ(win->Manager().Entities(), std::vector<TvxDXFEntity*>{line});
}

TEST_F(SelectionTest, DraggingMovesTheSelectionAndRedraws) {
  OpenLines();
  auto* line = dynamic_cast<TvxDXFLine*>(all[0]);
  ASSERT_NE(line, nullptr);
  Click(Pixel({25, 0, 0}));
  ASSERT_EQ(Sel(), std::vector<TvxDXFEntity*>{line});
  const int drawn = Nav()->FullPaintCount();
  // a drag by 10 drawing units along X, measured through the navigator's own conversion
  const QPoint a = Pixel({25, 0, 0});
  const TFPoint da = Nav()->GetDrawingInternalCoordsWithoutSnap(a.x(), a.y());
  QPoint z = Pixel({35, 0, 0});
  const TFPoint dz = Nav()->GetDrawingInternalCoordsWithoutSnap(z.x(), z.y());
  Drag(a, z);
  const double dx = dz.X - da.X, dy = dz.Y - da.Y;
  EXPECT_NEAR(dx, 10, 1);
  EXPECT_NEAR(line->GetPoint().X, 0 + dx, 1e-9);
  EXPECT_NEAR(line->GetPoint1().X, 100 + dx, 1e-9);
  EXPECT_NEAR(line->GetPoint().Y, dy, 1e-9);
  EXPECT_GT(Nav()->FullPaintCount(), drawn);
  // the line is picked at its new place
  Nav()->repaint();
  EXPECT_EQ(win->Manager().FindEntity(Pixel({100 + dx - 5, dy, 0})), line);
}

TEST_F(SelectionTest, SelectAllTwiceHoldsEachOnceAndEscapeClears) {
  OpenLines();
  win->Manager().SelectAll();
  win->Manager().SelectAll();
  EXPECT_EQ(Sel(), all);
  win->Manager().DeselectAll();
  EXPECT_TRUE(Sel().empty());
}

TEST_F(SelectionTest, HighlightsPaintOverTheDrawnPicture) {
  OpenLines();
  const QImage before = Nav()->grab().toImage();
  const int drawn = Nav()->FullPaintCount();
  win->Manager().SelectAll();
  Nav()->repaint();
  const QImage after = Nav()->grab().toImage();
  EXPECT_EQ(Nav()->FullPaintCount(), drawn);  // the drawing was not drawn again
  // a grip at the vertical line's top end
  const QPoint top = Pixel({50, 90, 0});
  int changed = 0;
  for (int dy = -4; dy <= 4; ++dy)
    for (int dx = -4; dx <= 4; ++dx)
      changed += before.pixel(top + QPoint(dx, dy)) != after.pixel(top + QPoint(dx, dy));
  EXPECT_GT(changed, 8);
}

TEST_F(SelectionTest, TheManagerGivesTheNavigatorItsHandlersBack) {
  OpenLines();
  TvxDrawingNavigator* nav = Nav();
  EXPECT_FALSE(nav->RectZooming);  // the left button picks while hooked
  win->Manager().SetDNavigator(nullptr);
  EXPECT_TRUE(nav->RectZooming);
  EXPECT_EQ(nav->ClientCount(), 0);
  // the main window's cursor position handler is the navigator's again
  QMouseEvent move(QEvent::MouseMove, QPointF(7, 9), nav->mapToGlobal(QPointF(7, 9)),
                   Qt::NoButton, Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(nav, &move);
  EXPECT_EQ(win->Panel(1)->text(), "X:7  Y:9");
}

}  // namespace
}  // namespace vx::test
