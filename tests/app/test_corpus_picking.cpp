// The editor on a real drawing of the corpus: the caption and the status bar after opening it, and
// picking its lines by click, Shift-click and rubber band.
#include "test_app_fixture.h"

#include "database/entities/vxEntLines.h"
#include "render/vxSelectionMatrix.h"
#include "support/vxTestPaths.h"

#include <QLabel>
#include <QToolButton>

#include <regex>

namespace vx::test {
namespace {

// An AutoCAD 2000 drawing with lines, polylines, texts, block references and dimensions.
std::string CorpusDrawing() {
  const std::string corpus = CorpusDir();
  return corpus.empty() ? std::string() : corpus + "/same-drawing/sample_AC1015_ascii.dxf";
}

class CorpusEditorTest : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    path = CorpusDrawing();
    if (path.empty()) GTEST_SKIP() << "no corpus (set VX_CORPUS)";
  }
  // The lines that a click on their middle picks (nothing else drawn over that pixel).
  std::vector<TvxDXFLine*> PickableLines() {
    std::vector<TvxDXFLine*> out;
    const QRect client(QPoint(0, 0), Nav()->ClientSize());
    for (TvxDXFEntity* e : win->Manager().TopLevelEntities()) {
      auto* l = dynamic_cast<TvxDXFLine*>(e);
      if (!l) continue;
      const QPoint mid = Middle(l);
      if (client.contains(mid) && win->Manager().FindEntity(mid) == l) out.push_back(l);
    }
    return out;
  }
  QPoint Middle(TvxDXFLine* l) const {
    const TFPoint a = l->GetPoint(), b = l->GetPoint1();
    return Pixel({(a.X + b.X) / 2, (a.Y + b.Y) / 2, (a.Z + b.Z) / 2});
  }
  const std::vector<TvxDXFEntity*>& Sel() { return win->Manager().Entities(); }
  std::string path;
};

TEST_F(CorpusEditorTest, CaptionAndStatusPanelsAfterOpening) {
  ASSERT_TRUE(Open(path)) << (messages.empty() ? "" : messages.front().second);
  EXPECT_EQ(win->windowTitle().toStdString(), path + " Editor");
  EXPECT_EQ(win->Panel(0)->text().toStdString(), path);
  for (int i = 1; i < 4; ++i) EXPECT_TRUE(win->Panel(i)->text().isEmpty()) << i;
  EXPECT_TRUE(win->BtnSelect()->isChecked());
  EXPECT_TRUE(win->BtnClose()->isEnabled());
  ASSERT_NE(Nav()->Image(), nullptr);
  EXPECT_GT(Nav()->Image()->SelectionMatrix()->ElementCount(), 50);
  // the cursor over the drawing: pixels in panel 1, drawing units in panel 2, panel 3 untouched
  const QPoint c = Nav()->Center();
  Mouse(QEvent::MouseMove, c, Qt::NoButton, Qt::NoButton);
  EXPECT_EQ(win->Panel(1)->text(), QString("X:%1  Y:%2").arg(c.x()).arg(c.y()));
  const std::string p2 = win->Panel(2)->text().toStdString();
  EXPECT_TRUE(std::regex_match(p2, std::regex(R"(X:-?[0-9.E+-]+  Y:-?[0-9.E+-]+  Z:-?[0-9.E+-]+)")))
      << p2;
  const TFPoint d = Nav()->GetDrawingInternalCoordsWithoutSnap(c.x(), c.y());
  const QString sep = QLocale::system().decimalPoint();
  const std::string x = "X:" + CoordinateText(d.X, sep.isEmpty() ? '.' : sep.at(0).toLatin1());
  EXPECT_EQ(p2.substr(0, x.size()), x);
  EXPECT_TRUE(win->Panel(3)->text().isEmpty());
  EXPECT_TRUE(messages.empty());
}

TEST_F(CorpusEditorTest, ClickShiftClickAndBandPickItsLines) {
  ASSERT_TRUE(Open(path));
  const std::vector<TvxDXFLine*> lines = PickableLines();
  ASSERT_GE(lines.size(), 2u) << "too few lines of the drawing can be clicked";
  TvxDXFLine *first = lines[0], *second = lines[1];

  Click(Middle(first));
  EXPECT_EQ(Sel(), std::vector<TvxDXFEntity*>{first});
  EXPECT_EQ(win->Inspector()->Shown(), first);
  Click(Middle(second), Qt::ShiftModifier);
  EXPECT_EQ(Sel(), (std::vector<TvxDXFEntity*>{first, second}));
  Click(Middle(first), Qt::ShiftModifier);
  EXPECT_EQ(Sel(), std::vector<TvxDXFEntity*>{second});
  Click(Middle(first));
  EXPECT_EQ(Sel(), std::vector<TvxDXFEntity*>{first});

  // a band just around the first line takes it, and only what lies wholly inside the band
  win->MSelect();
  const QRect around = win->Manager().HighlightArea(first);
  ASSERT_FALSE(around.isEmpty());
  win->Manager().DeselectAll();
  Drag(around.topLeft(), around.bottomRight());
  ASSERT_FALSE(Sel().empty());
  EXPECT_NE(std::find(Sel().begin(), Sel().end(), first), Sel().end());
  for (TvxDXFEntity* e : Sel()) {
    const QRect inner = win->Manager().HighlightArea(e).adjusted(5, 5, -5, -5);
    EXPECT_TRUE(around.contains(inner)) << e->EntName();
  }
  // with Shift the band around the second line adds it; the first stays
  const size_t before = Sel().size();
  const QRect around2 = win->Manager().HighlightArea(second);
  Drag(around2.topLeft(), around2.bottomRight(), Qt::ShiftModifier);
  EXPECT_GT(Sel().size(), before);
  EXPECT_NE(std::find(Sel().begin(), Sel().end(), first), Sel().end());
  EXPECT_NE(std::find(Sel().begin(), Sel().end(), second), Sel().end());
  // a band over the whole window takes every entity whose box is on screen
  Drag(QPoint(0, 0), QPoint(Nav()->ClientSize().width() - 1, Nav()->ClientSize().height() - 1));
  EXPECT_GT(Sel().size(), lines.size());
}

}  // namespace
}  // namespace vx::test
