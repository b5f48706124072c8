// The editor's main window (offscreen, 800 x 600) with its message boxes captured, drawings
// written to a scratch folder, and the mouse on its navigator.
#pragma once

#include "app/vxMainWindow.h"
#include "render/test_image_fixture.h"

#include <QApplication>
#include <QMouseEvent>
#include <QWindow>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <unistd.h>
#include <utility>
#include <vector>

namespace vx::test {

// A DXF of one SOLID (corners as drawn: p1, p2, p3, p4).
inline std::string DxfSolid(TFPoint a, TFPoint b, TFPoint c, TFPoint d, int colour) {
  std::string s = "0\nSOLID\n8\n0\n62\n" + std::to_string(colour) + "\n";
  const TFPoint pts[4] = {a, b, c, d};
  for (int i = 0; i < 4; ++i)
    s += std::to_string(10 + i) + "\n" + std::to_string(pts[i].X) + "\n" + std::to_string(20 + i) +
         "\n" + std::to_string(pts[i].Y) + "\n" + std::to_string(30 + i) + "\n0\n";
  return s;
}

// A whole DXF: the entity text first (drawn first), then the lines.
inline std::string DxfWith(const std::string& first, const std::vector<DxfLine>& lines) {
  const std::string s = DxfWithLines(lines);
  const size_t start = s.find("ENTITIES\n") + 9;
  return s.substr(0, start) + first + s.substr(start);
}

// A binary DXF cut short in its first record: the reader fails with its message.
inline std::string BrokenDxf() { return std::string("AutoCAD Binary DXF\r\n\x1a\0\0\0", 24); }

class AppTest : public ::testing::Test {
 protected:
  void SetUp() override {
    EnsureGuiApp<QApplication>();
    dir = std::filesystem::temp_directory_path() / ("vx_app_tests_" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    win = std::make_unique<TfmMain>();
    win->OnMessage = [this](const QString& caption, const QString& text) {
      messages.emplace_back(caption.toStdString(), text.toStdString());
    };
    win->resize(800, 600);
    win->show();
    for (int i = 0; i < 100 && !(win->windowHandle() && win->windowHandle()->isExposed()); ++i)
      QApplication::processEvents(QEventLoop::AllEvents, 10);
  }
  void TearDown() override {
    win.reset();
    std::filesystem::remove_all(dir);
  }

  std::string Write(const std::string& name, const std::string& content) {
    const std::string path = (dir / name).string();
    std::ofstream(path, std::ios::binary) << content;
    return path;
  }

  TvxDrawingNavigator* Nav() const { return win->DNavigator(); }
  // The client pixel of a drawing point in the view the drawing was drawn with.
  QPoint Pixel(const TFPoint& p) const {
    const TFPoint q = TransformPoint(p, Nav()->Image()->DrawMatrix());
    return {static_cast<int>(std::lround(q.X)), static_cast<int>(std::lround(q.Y))};
  }
  void Mouse(QEvent::Type t, QPoint at, Qt::MouseButton b, Qt::MouseButtons held,
             Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QMouseEvent e(t, QPointF(at), Nav()->mapToGlobal(QPointF(at)), b, held, mods);
    QApplication::sendEvent(Nav(), &e);
  }
  void Click(QPoint at, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    Mouse(QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton, mods);
    Mouse(QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton, mods);
  }
  void Drag(QPoint a, QPoint z, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    Mouse(QEvent::MouseButtonPress, a, Qt::LeftButton, Qt::LeftButton, mods);
    Mouse(QEvent::MouseMove, (a + z) / 2, Qt::NoButton, Qt::LeftButton, mods);
    Mouse(QEvent::MouseMove, z, Qt::NoButton, Qt::LeftButton, mods);
    Mouse(QEvent::MouseButtonRelease, z, Qt::LeftButton, Qt::NoButton, mods);
  }
  // Opens and paints (the selection matrix is filled by the paint).
  bool Open(const std::string& path) {
    const bool ok = win->OpenFile(path);
    Nav()->repaint();
    return ok;
  }

  std::filesystem::path dir;
  std::unique_ptr<TfmMain> win;
  std::vector<std::pair<std::string, std::string>> messages;
};

// The corpus drawings the Editor is asked to open, sorted: every DXF, and the DWG files of
// release 13 to 2013 (MustOpen), which the Editor must open, beside the older and newer ones,
// which it refuses with a message.
struct TCorpusDrawing {
  std::string Path;
  bool MustOpen = false;
};
inline std::vector<TCorpusDrawing> CorpusDrawings(const std::string& corpus) {
  std::vector<TCorpusDrawing> files;
  for (const auto& e : std::filesystem::recursive_directory_iterator(corpus)) {
    if (!e.is_regular_file()) continue;
    const std::string path = e.path().string(), ext = e.path().extension().string();
    if (ext == ".dxf") files.push_back({path, false});
    if (ext == ".dwg") {
      const bool refused = path.find("/old-dwg/") != std::string::npos ||
                           path.find("AC1032") != std::string::npos || path.find("_2018") != std::string::npos;
      files.push_back({path, !refused});
    }
  }
  std::sort(files.begin(), files.end(), [](const TCorpusDrawing& a, const TCorpusDrawing& b) { return a.Path < b.Path; });
  return files;
}

}  // namespace vx::test
