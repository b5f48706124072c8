// Redraw speed of the CAD image: the drawing named by VX_BENCH_DXF (make one with
// `/usr/bin/python3 bench/make_big_dxf.py OUT.dxf 300000`) drawn whole onto a 1920 x 1080 picture,
// at its full extents and zoomed in to 1 % of their area and of their width; and the editor's
// frames that only move a rubber band or change highlights, painted from the navigator's drawn
// picture. Skipped without the file.
#include "app/vxSelectionManager.h"
#include "render/vxCADdxfImage.h"
#include "render/vxSelectionMatrix.h"
#include "viewer/vxDrawingNavigator.h"

#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QWindow>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>

namespace {

using namespace vx;

constexpr int cnstWidth = 1920, cnstHeight = 1080;

QApplication& App() {
  static int argc = 1;
  static char name[] = "bench_render";
  static char* argv[] = {name, nullptr};
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  // never destroyed: a QApplication torn down among the exit handlers crashes in Qt's own
  // statics (its pointing device outlives the platform)
  static QApplication* app = new QApplication(argc, argv);
  return *app;
}

// The drawing named by VX_BENCH_DXF, loaded; nil without the variable.
std::unique_ptr<TvxCADImage> LoadBenchDrawing() {
  App();
  const char* path = std::getenv("VX_BENCH_DXF");
  if (!path || !*path) return nullptr;
  auto img = std::make_unique<TvxCADdxfImage>();
  img->LoadFromFile(path);
  return img;
}

// The drawing, loaded once for every benchmark.
TvxCADImage* BenchImage() {
  static std::unique_ptr<TvxCADImage> image = LoadBenchDrawing();
  return image.get();
}

// Fits the drawing into the picture, then zooms about its centre by factor.
void SetView(TvxCADImage& img, double factor) {
  img.SetCustomDraw(true);
  img.FitToRect(QRect(0, 0, cnstWidth, cnstHeight));
  if (factor != 1) img.ScaleDrawMatrixAt(factor, {cnstWidth / 2.0, cnstHeight / 2.0, 0});
  img.SetCustomDraw(false);
}

// Arguments: the zoom factor (1: full extents; 10 shows 1 % of their area, 100 1 % of their
// width) and whether the canvas antialiases.
void BM_Draw(benchmark::State& state) {
  TvxCADImage* img = BenchImage();
  if (!img) {
    state.SkipWithError("set VX_BENCH_DXF to a DXF file");
    return;
  }
  SetView(*img, static_cast<double>(state.range(0)));
  img->SetAntialias(state.range(1) != 0);
  QImage picture(cnstWidth, cnstHeight, QImage::Format_ARGB32_Premultiplied);
  for (auto _ : state) {
    QPainter p(&picture);
    img->Draw(p, picture.rect());
  }
}

// A navigator of 1920 x 1080 over the drawing, drawn once, picking on, with the editor's
// selection manager hooked. Paints counts the paints that reached the overlays (the manager
// calls the handler it found after drawing its own), so a frame that painted nothing shows.
struct TvxEditorView {
  TvxDrawingNavigator Nav;
  TvxSelectionManager Manager;
  int Paints = 0;
  explicit TvxEditorView(std::unique_ptr<TvxGraphic> g) {
    Nav.resize(cnstWidth, cnstHeight);
    Nav.OnPaint = [this](TvxDrawingNavigator*, QPainter&) { ++Paints; };
    Nav.show();
    // repaint() paints nothing until the platform exposed the window
    for (int i = 0; i < 200 && !(Nav.windowHandle() && Nav.windowHandle()->isExposed()); ++i)
      QApplication::processEvents(QEventLoop::AllEvents, 10);
    Nav.SetGraphic(std::move(g));
    auto* img = Nav.Image();
    img->SetSelectionMatrix(new TvxSelectionMatrix());
    img->SetMatrixMode(smEnabled);
    Manager.SetDNavigator(&Nav);
    Nav.RepaintPicture();
  }
};

// After the frames: each iteration painted once, none drew the drawing again.
void CheckFrames(benchmark::State& state, const TvxEditorView& v, int drawn, int paintsBefore) {
  const int64_t painted = v.Paints - paintsBefore;
  state.counters["painted"] = static_cast<double>(painted);
  if (v.Nav.FullPaintCount() != drawn)
    state.SkipWithError("a frame drew the drawing again");
  else if (painted < static_cast<int64_t>(state.iterations()))
    state.SkipWithError("a frame painted nothing");
}

TvxEditorView* EditorView() {
  static std::unique_ptr<TvxEditorView> view = []() -> std::unique_ptr<TvxEditorView> {
    auto img = LoadBenchDrawing();
    if (!img) return nullptr;
    return std::make_unique<TvxEditorView>(std::move(img));
  }();
  return view.get();
}

// One frame of a rubber band drag: the band's corner moves, the window repaints.
void BM_RubberBandFrame(benchmark::State& state) {
  TvxEditorView* v = EditorView();
  if (!v) {
    state.SkipWithError("set VX_BENCH_DXF to a DXF file");
    return;
  }
  v->Manager.SetMode(mmMultiSelect);
  const int drawn = v->Nav.FullPaintCount(), paints = v->Paints;
  QMouseEvent down(QEvent::MouseButtonPress, QPointF(100, 100), QPointF(100, 100), Qt::LeftButton,
                   Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&v->Nav, &down);
  int i = 0;
  for (auto _ : state) {
    const QPointF p(200 + (i % 800), 150 + (i % 600));
    ++i;
    QMouseEvent move(QEvent::MouseMove, p, p, Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&v->Nav, &move);
    v->Nav.repaint();
  }
  QMouseEvent up(QEvent::MouseButtonRelease, QPointF(100, 100), QPointF(100, 100), Qt::LeftButton,
                 Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(&v->Nav, &up);
  v->Manager.SetMode(mmSelect);
  CheckFrames(state, *v, drawn, paints);
}

// One frame after the selection changed: the highlights of 1,000 entities painted again.
void BM_HighlightFrame(benchmark::State& state) {
  TvxEditorView* v = EditorView();
  if (!v) {
    state.SkipWithError("set VX_BENCH_DXF to a DXF file");
    return;
  }
  std::vector<TvxDXFEntity*> some = v->Manager.TopLevelEntities();
  if (some.size() > 1000) some.resize(1000);
  v->Manager.SetSelection(some);
  v->Nav.repaint();
  const int drawn = v->Nav.FullPaintCount(), paints = v->Paints;
  for (auto _ : state) {
    v->Nav.InvalidateOverlay(QRect(0, 0, cnstWidth, cnstHeight));
    v->Nav.repaint();
  }
  state.counters["selected"] = static_cast<double>(v->Manager.Entities().size());
  CheckFrames(state, *v, drawn, paints);
  v->Manager.DeselectAll();
}

BENCHMARK(BM_RubberBandFrame)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HighlightFrame)->Unit(benchmark::kMillisecond);

BENCHMARK(BM_Draw)
    ->ArgNames({"zoom", "aa"})
    ->ArgsProduct({{1, 10, 100}, {0, 1}})
    ->Unit(benchmark::kMillisecond);

}  // namespace
