// A CAD image over a drawing built in code, drawn with a known view (one drawing unit per pixel,
// Y up, origin at the bottom left of a 100 x 100 picture) either through recording export hooks
// or onto a QImage whose pixels the tests read.
#pragma once

#include "database/test_inserts_fixture.h"
#include "render/vxCADImage.h"
#include "render/vxDrawWalk.h"
#include "render/vxSelectionMatrix.h"
#include "support/vxTestGuiApp.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <memory>
#include <utility>
#include <vector>

namespace vx::test {

using PointRun = std::vector<QPoint>;

// Every primitive the walk sends to the export hooks, in order.
struct Recorder {
  std::vector<PointRun> Polylines, Polygons;
  std::vector<std::vector<PointRun>> PolyPolylines, PolyPolygons;
  std::vector<std::pair<QPoint, TColor>> Pixels;
  std::vector<double> PenWidths;
  int Calls = 0;

  static std::vector<PointRun> Split(const QPoint* p, const int* counts, int parts) {
    std::vector<PointRun> out;
    for (int i = 0; i < parts; ++i) {
      out.emplace_back(p, p + counts[i]);
      p += counts[i];
    }
    return out;
  }

  void Attach(TvxExportHooks& h) {
    h.ExpPolyline = [this](const QPoint* p, int n) {
      ++Calls;
      Polylines.emplace_back(p, p + n);
    };
    h.ExpPolygon = [this](const QPoint* p, int n) {
      ++Calls;
      Polygons.emplace_back(p, p + n);
    };
    h.ExpPolyPolyline = [this](const QPoint* p, const int* c, int parts) {
      ++Calls;
      PolyPolylines.push_back(Split(p, c, parts));
    };
    h.ExpPolyPolygon = [this](const QPoint* p, const int* c, int parts) {
      ++Calls;
      PolyPolygons.push_back(Split(p, c, parts));
    };
    h.ExpPixel = [this](QPoint p, TColor c) {
      ++Calls;
      Pixels.emplace_back(p, c);
    };
    h.ExpSetPenWidth = [this](double w) { PenWidths.push_back(w); };
  }
};

class WalkTest : public ::testing::Test {
 protected:
  static constexpr int cnstSize = 100;

  WalkTest() : img(std::make_unique<TvxCADImage>()), conv(img->Converter()), b{conv} {
    EnsureGuiApp();
    conv->InitializeSectionsBegin();
    conv->InitializeSectionsEnd(false);
    conv->ModelSpaceBlock();
  }

  // Shows layout index at `scale` pixels per drawing unit, drawing (0, 0) at the bottom left.
  void Show(int layout = 0, double scale = 1) {
    img->SetCustomDraw(false);
    img->SetCurrentLayout(conv->Layouts(layout));
    TFMatrix m = cnstIdentityMat;
    m.M[0][0] = scale;
    m.M[1][1] = -scale;
    m.M[2][2] = scale;
    m.M[3][1] = cnstSize;
    img->SetDrawMatrix(m);
  }

  // Draws onto a white picture; the walk's output goes to the hooks of rec when given.
  QImage Draw(Recorder* rec = nullptr, int dotsPerMeter = 3780) {
    if (!img->CurrentLayout()) Show();
    if (rec) rec->Attach(img->Hooks);
    QImage picture(cnstSize, cnstSize, QImage::Format_RGB32);
    picture.setDotsPerMeterX(dotsPerMeter);
    picture.setDotsPerMeterY(dotsPerMeter);
    picture.fill(Qt::white);
    {
      QPainter p(&picture);
      img->Draw(p, QRect(0, 0, cnstSize, cnstSize));
    }
    if (rec) img->Hooks = {};
    return picture;
  }

  // 0x00BBGGRR of a pixel.
  static TColor Pixel(const QImage& im, int x, int y) {
    const QRgb c = im.pixel(x, y);
    return static_cast<TColor>(qRed(c) | (qGreen(c) << 8) | (qBlue(c) << 16));
  }
  static int CountNot(const QImage& im, TColor background) {
    int n = 0;
    for (int y = 0; y < im.height(); ++y)
      for (int x = 0; x < im.width(); ++x) n += Pixel(im, x, y) != background;
    return n;
  }

  std::unique_ptr<TvxCADImage> img;
  TvxDXFConverter* conv;
  DrawingBuilder b;
};

}  // namespace vx::test
