// The editor's main window: opening (caption, panels, buttons, picking matrix), failures and a
// cancelled load that leave nothing dangling, closing, the status bar, Escape, the private
// message, the open dialog's filter, and every corpus drawing opened one after another.
#include "test_app_fixture.h"

#include "render/vxSelectionMatrix.h"
#include "support/vxTestPaths.h"

#include <QKeyEvent>
#include <QLabel>
#include <QStatusBar>
#include <QToolButton>

#include <regex>

namespace vx::test {
namespace {

const std::vector<DxfLine> kLines{{0, 0, 100, 0, 1}, {0, 50, 100, 50, 3}, {50, -20, 50, 80, 5}};

TEST_F(AppTest, OpeningShowsTheDrawingAndBindsEverything) {
  const std::string path = Write("lines.dxf", DxfWithLines(kLines));
  ASSERT_TRUE(Open(path)) << (messages.empty() ? "" : messages.front().second);
  EXPECT_EQ(win->windowTitle().toStdString(), path + " Editor");
  EXPECT_EQ(win->Panel(0)->text().toStdString(), path);
  for (int i = 1; i < 4; ++i) EXPECT_TRUE(win->Panel(i)->text().isEmpty()) << i;
  EXPECT_TRUE(win->BtnSelect()->isChecked());
  EXPECT_FALSE(win->BtnMSelect()->isChecked());
  EXPECT_TRUE(win->BtnSelect()->isEnabled());
  EXPECT_TRUE(win->BtnClose()->isEnabled());
  TvxCADImage* img = Nav()->Image();
  ASSERT_NE(img, nullptr);
  EXPECT_EQ(img->GetMatrixMode(), smEnabled);
  ASSERT_NE(img->SelectionMatrix(), nullptr);
  EXPECT_EQ(img->SelectionMatrix()->ElementCount(), 3);
  EXPECT_EQ(win->Manager().Image(), img);
  EXPECT_EQ(win->BlockLibrary().Converter(), img->Converter());
  EXPECT_EQ(win->Inspector()->List().size(), 3u);
  // fitted in the client area
  EXPECT_TRUE(Nav()->isVisible());
  EXPECT_GT(Width(Nav()->PictureRect2D()), 100);
  EXPECT_TRUE(messages.empty());
}

TEST_F(AppTest, StatusBarPanelsAndNumbers) {
  ASSERT_TRUE(Open(Write("lines.dxf", DxfWithLines(kLines))));
  win->ShowCursorPosition(QPoint(12, 34));
  EXPECT_EQ(win->Panel(1)->text(), "X:12  Y:34");
  const std::string p2 = win->Panel(2)->text().toStdString();
  EXPECT_TRUE(std::regex_match(p2, std::regex(R"(X:-?[0-9.E+-]+  Y:-?[0-9.E+-]+  Z:0)"))) << p2;
  // the drawing point under a line's end is that end
  const QPoint end = Pixel({100, 50, 0});
  win->ShowCursorPosition(end);
  const std::string atEnd = win->Panel(2)->text().toStdString();
  EXPECT_NE(atEnd.find("X:10"), std::string::npos) << atEnd;  // 99.x or 100.x
  // the status bar 624 wide: panel 0 takes 294
  win->resize(624, 574);
  QApplication::processEvents();
  ASSERT_EQ(win->statusBar()->width(), 624);
  EXPECT_EQ(win->Panel(0)->width(), 294);
}

TEST_F(AppTest, LargeCoordinatesShowInThePlatformForm) {
  ASSERT_TRUE(Open(Write("far.dxf", DxfWithLines({{2e7, 0, 2e7 + 100, 50, 1}}))));
  win->ShowCursorPosition(Pixel({2e7 + 50, 25, 0}));
  const std::string p2 = win->Panel(2)->text().toStdString();
  EXPECT_TRUE(std::regex_match(p2, std::regex(R"(X:2\.0000[0-9]{2}E\+007  Y:[0-9.]+  Z:0)"))) << p2;
}

TEST_F(AppTest, UnknownExtensionChangesNothing) {
  const QString title = win->windowTitle();
  EXPECT_FALSE(win->OpenFile(Write("photo.jpg", "not a picture")));
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].second, "Extension de fichier image inconnue (.jpg)");
  EXPECT_EQ(win->windowTitle(), title);
  EXPECT_FALSE(win->BtnSelect()->isEnabled());
  EXPECT_FALSE(win->BtnClose()->isEnabled());
  EXPECT_EQ(Nav()->Graphic(), nullptr);
  EXPECT_FALSE(win->IsLoading());
}

TEST_F(AppTest, AFailedOpenLeavesNothingOfTheOldDrawing) {
  ASSERT_TRUE(Open(Write("lines.dxf", DxfWithLines(kLines))));
  win->Manager().SelectAll();
  ASSERT_EQ(win->Manager().Entities().size(), 3u);
  EXPECT_FALSE(win->OpenFile(Write("broken.dxf", BrokenDxf())));
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(Nav()->Graphic(), nullptr);
  EXPECT_EQ(win->Manager().Image(), nullptr);
  EXPECT_TRUE(win->Manager().Entities().empty());
  EXPECT_EQ(win->BlockLibrary().Converter(), nullptr);
  EXPECT_TRUE(win->Inspector()->List().empty());
  // the window is usable: clicks find nothing, the next file opens
  Click(QPoint(100, 100));
  EXPECT_EQ(win->Manager().FindEntity(QPoint(100, 100)), nullptr);
  EXPECT_TRUE(Open(Write("again.dxf", DxfWithLines(kLines))));
}

TEST_F(AppTest, CancelDuringALoadOpensNothing) {
  std::vector<DxfLine> many;
  for (int i = 0; i < 40000; ++i) many.push_back({double(i), 0, double(i), 10, 1 + i % 7});
  const std::string big = Write("big.dxf", DxfWithLines(many));
  int steps = 0;
  win->OnLoadProgress = [&](int) {
    if (++steps == 1) win->CancelLoading();
  };
  EXPECT_FALSE(win->OpenFile(big));
  EXPECT_GE(steps, 1);
  EXPECT_EQ(Nav()->Graphic(), nullptr);
  EXPECT_EQ(win->Manager().Image(), nullptr);
  EXPECT_EQ(win->Panel(0)->text(), "Loading cancelled");
  EXPECT_TRUE(messages.empty());
  win->OnLoadProgress = nullptr;
  EXPECT_TRUE(Open(Write("small.dxf", DxfWithLines(kLines))));
}

TEST_F(AppTest, ClosingClearsTheSelectionFirst) {
  ASSERT_TRUE(Open(Write("lines.dxf", DxfWithLines(kLines))));
  win->Manager().SelectAll();
  win->FileClose();
  EXPECT_TRUE(win->Manager().Entities().empty());
  EXPECT_EQ(Nav()->Graphic(), nullptr);
  EXPECT_EQ(win->windowTitle(), QApplication::applicationName());
  EXPECT_FALSE(win->BtnSelect()->isEnabled());
  EXPECT_FALSE(win->BtnSelect()->isChecked());
  EXPECT_FALSE(win->BtnClose()->isEnabled());
  for (int i = 0; i < 4; ++i) EXPECT_TRUE(win->Panel(i)->text().isEmpty());
}

TEST_F(AppTest, EscapeDeselectsAndThePrivateMessageTellsOfIt) {
  ASSERT_TRUE(Open(Write("lines.dxf", DxfWithLines(kLines))));
  win->Manager().SelectAll();
  QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
  QApplication::sendEvent(win.get(), &esc);
  EXPECT_TRUE(win->Manager().Entities().empty());
  QEvent msg(static_cast<QEvent::Type>(cnstSelectionChangedEvent));
  QApplication::sendEvent(win.get(), &msg);
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].first, "Information");
  EXPECT_EQ(messages[0].second, "Selection is changed!!!");
}

TEST_F(AppTest, OpenDialogFilterKeepsThePatternsOfTheSystemsFilter) {
  const QString f = TfmMain::OpenDialogFilter();
  const QStringList entries = f.split(";;");
  ASSERT_GE(entries.size(), 9);
  EXPECT_TRUE(entries[0].startsWith(
      "All (*.jpg *.jpeg *.bmp *.ico *.emf *.wmf *.dxf *.dwg *.plt *.hgl *.hpg"))
      << entries[0].toStdString();
  EXPECT_EQ(entries[1], "JPEG Image File (*.jpg)");
  EXPECT_EQ(entries[7], "CAD files (*.dxf *.dwg *.plt *.hgl *.hpg)");
  // every extension the registry holds can be chosen
  for (const TvxGraphicFormat& fmt : TvxGraphicRegistry::Instance().Formats())
    EXPECT_TRUE(entries[0].contains("*." + QString::fromStdString(fmt.Extension))) << fmt.Extension;
}

// Every drawing of the corpus in one window, one after the other, with a failing file between:
// each is drawn, clicked, all selected, and replaced by the next (the sanitizers watch).
TEST_F(AppTest, EveryCorpusDrawingOpensOneAfterAnother) {
  const std::string corpus = CorpusDir();
  if (corpus.empty()) GTEST_SKIP() << "no corpus (set VX_CORPUS)";
  const std::vector<TCorpusDrawing> files = CorpusDrawings(corpus);
  ASSERT_FALSE(files.empty());
  const std::string broken = Write("broken.dxf", BrokenDxf());
  int opened = 0, dwg = 0;
  for (size_t i = 0; i < files.size(); ++i) {
    SCOPED_TRACE(files[i].Path);
    if (i == files.size() / 2) EXPECT_FALSE(win->OpenFile(broken));
    const bool ok = Open(files[i].Path);
    if (files[i].MustOpen) {
      EXPECT_TRUE(ok);
      ++dwg;
    }
    if (!ok) continue;
    ++opened;
    Click(QPoint(400, 300));
    win->Manager().SelectAll();
    Nav()->repaint();
    Nav()->AlterScale(false, QPointF(200, 200), 1.25);
    Nav()->repaint();
  }
  win->FileClose();
  EXPECT_GE(dwg, 13);
  EXPECT_GE(opened * 10, static_cast<int>(files.size()) * 8);
}

}  // namespace
}  // namespace vx::test
