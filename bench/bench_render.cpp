// Redraw speed of the CAD image: the drawing named by VX_BENCH_DXF (make one with
// `/usr/bin/python3 bench/make_big_dxf.py OUT.dxf 300000`) drawn whole onto a 1920 x 1080 picture,
// at its full extents and zoomed in to 1 % of their area and of their width. Skipped without the file.
#include "render/vxCADdxfImage.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>

namespace {

using namespace vx;

constexpr int cnstWidth = 1920, cnstHeight = 1080;

QGuiApplication& App() {
  static int argc = 1;
  static char name[] = "bench_render";
  static char* argv[] = {name, nullptr};
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  static QGuiApplication app(argc, argv);
  return app;
}

// The drawing, loaded once for every benchmark.
TvxCADImage* BenchImage() {
  static std::unique_ptr<TvxCADImage> image = []() -> std::unique_ptr<TvxCADImage> {
    App();
    const char* path = std::getenv("VX_BENCH_DXF");
    if (!path || !*path) return nullptr;
    auto img = std::make_unique<TvxCADdxfImage>();
    img->LoadFromFile(path);
    return img;
  }();
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

BENCHMARK(BM_Draw)
    ->ArgNames({"zoom", "aa"})
    ->ArgsProduct({{1, 10, 100}, {0, 1}})
    ->Unit(benchmark::kMillisecond);

}  // namespace
