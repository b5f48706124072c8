// Shared pieces of the image tests: a Qt application for painting, small DXF drawings written
// in code, and an image loaded from them.
#pragma once

#include "render/vxCADdxfImage.h"
#include "support/vxTestGuiApp.h"

#include <QGuiApplication>
#include <QImage>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace vx::test {

struct DxfLine {
  double X1, Y1, X2, Y2;
  int Color = 256;  // ACI; 256 = by layer
};

// A minimal text DXF: an ENTITIES section with the lines (on layer "0").
inline std::string DxfWithLines(const std::vector<DxfLine>& lines) {
  std::string s = "0\nSECTION\n2\nENTITIES\n";
  char buf[256];
  for (const DxfLine& l : lines) {
    std::snprintf(buf, sizeof buf, "0\nLINE\n8\n0\n62\n%d\n10\n%.17g\n20\n%.17g\n30\n0\n11\n%.17g\n21\n%.17g\n31\n0\n",
                  l.Color, l.X1, l.Y1, l.X2, l.Y2);
    s += buf;
  }
  return s + "0\nENDSEC\n0\nEOF\n";
}

inline std::unique_ptr<TvxCADdxfImage> LoadedImage(const std::string& dxf) {
  auto image = std::make_unique<TvxCADdxfImage>();
  image->LoadFromBuffer(dxf.data(), dxf.size());
  return image;
}

inline QImage Blank(int w, int h, QRgb fill = 0xFF0000FF) {
  QImage img(w, h, QImage::Format_ARGB32);
  img.fill(fill);
  return img;
}

// Pixels that are not the given colour (alpha ignored).
inline int CountOther(const QImage& img, QRgb colour) {
  int n = 0;
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x)
      if ((img.pixel(x, y) & 0xFFFFFF) != (colour & 0xFFFFFF)) ++n;
  return n;
}

// Whether some pixel within r of (x, y) has the colour.
inline bool HasColourNear(const QImage& img, int x, int y, QRgb colour, int r = 1) {
  for (int dy = -r; dy <= r; ++dy)
    for (int dx = -r; dx <= r; ++dx) {
      const int px = x + dx, py = y + dy;
      if (px >= 0 && py >= 0 && px < img.width() && py < img.height() &&
          (img.pixel(px, py) & 0xFFFFFF) == (colour & 0xFFFFFF))
        return true;
    }
  return false;
}

class ImageTest : public ::testing::Test {
 protected:
  void SetUp() override { EnsureGuiApp(); }
};

}  // namespace vx::test
