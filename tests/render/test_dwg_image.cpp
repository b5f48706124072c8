// The DWG image: registered for its extensions, and a DWG draws the picture of its DXF twin.
#include "test_image_fixture.h"

#include "render/vxCADImageRender.h"
#include "render/vxCADdwgImage.h"
#include "render/vxGraphic.h"
#include "support/vxTestPaths.h"

#include <QPainter>

#include <cstdlib>
#include <fstream>

namespace vx::test {
namespace {

bool CorpusFile(const std::string& relative, std::string& path) {
  const std::string dir = CorpusDir();
  path = dir + "/" + relative;
  return !dir.empty() && std::ifstream(path).good();
}

// Pixels whose colour differs by more than a small amount in any channel.
int DifferentPixels(const QImage& a, const QImage& b) {
  int n = 0;
  for (int y = 0; y < a.height(); ++y)
    for (int x = 0; x < a.width(); ++x) {
      const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
      if (std::abs(qRed(p) - qRed(q)) > 24 || std::abs(qGreen(p) - qGreen(q)) > 24 || std::abs(qBlue(p) - qBlue(q)) > 24) ++n;
    }
  return n;
}

// Ink: the pixels that are not the white background.
int Ink(const QImage& a) {
  int n = 0;
  for (int y = 0; y < a.height(); ++y)
    for (int x = 0; x < a.width(); ++x)
      if ((a.pixel(x, y) & 0xFFFFFF) != 0xFFFFFF) ++n;
  return n;
}

}  // namespace

TEST(DWGImage, RegisteredForItsExtensions) {
  EnsureGuiApp();
  for (const char* ext : {"dwg", "DWT", "gp2"}) {
    std::unique_ptr<TvxCADImage> image(NewImageForExtension(ext));
    ASSERT_NE(image, nullptr) << ext;
    EXPECT_NE(dynamic_cast<TvxDWGImage*>(image.get()), nullptr) << ext;
  }
}

TEST(DWGImage, DrawsThePictureOfItsDXFTwin) {
  EnsureGuiApp();
  const struct { const char* Dwg; const char* Dxf; } twins[] = {
      {"same-drawing/sample_AC1015.dwg", "same-drawing/sample_AC1015_ascii.dxf"},
      {"same-drawing/sample_AC1018.dwg", "same-drawing/sample_AC1018_ascii.dxf"},
      {"same-drawing/sample_AC1021.dwg", "same-drawing/sample_AC1021_ascii.dxf"},
      {"same-drawing/sample_AC1024.dwg", "same-drawing/sample_AC1024_ascii.dxf"},
      {"same-drawing/sample_AC1027.dwg", "same-drawing/sample_AC1027_ascii.dxf"},
      {"libredwg/example_2000.dwg", "libredwg/example_2000.dxf"},
      {"libredwg/example_2004.dwg", "libredwg/example_2004.dxf"},
      {"libredwg/example_2007.dwg", "libredwg/example_2007.dxf"},
      {"libredwg/example_2010.dwg", "libredwg/example_2010.dxf"},
      {"libredwg/example_2013.dwg", "libredwg/example_2013.dxf"},
  };
  int seen = 0;
  for (const auto& t : twins) {
    std::string dwgPath, dxfPath;
    if (!CorpusFile(t.Dwg, dwgPath) || !CorpusFile(t.Dxf, dxfPath)) continue;
    ++seen;
    SCOPED_TRACE(t.Dwg);
    TvxDWGImage dwg;
    ASSERT_NO_THROW(dwg.LoadFromFile(dwgPath));
    TvxCADdxfImage dxf;
    ASSERT_NO_THROW(dxf.LoadFromFile(dxfPath));
    const QImage a = RenderToImage(dwg, 400, 300), b = RenderToImage(dxf, 400, 300);
    const int ink = Ink(b);
    EXPECT_GT(ink, 100);
    // The same picture: a small tolerance for a curve the DXF stores with extra points.
    EXPECT_LE(DifferentPixels(a, b), std::max(20, ink / 100)) << "ink " << ink;
  }
  if (!seen) GTEST_SKIP() << "no corpus (set VX_CORPUS)";
}

TEST(DWGImage, ABrokenFileRaisesAfterTheImageIsSetUp) {
  EnsureGuiApp();
  TvxDWGImage image;
  const std::string text = "AC1032 newer than this library";
  try {
    image.LoadFromBuffer(text.data(), text.size());
    ADD_FAILURE();
  } catch (const std::exception& e) {
    EXPECT_STREQ(e.what(), "Unsupported new DWG version ID: \"AC1032\"");
  }
  QImage img = Blank(64, 48);
  QPainter p(&img);
  EXPECT_NO_THROW(image.Draw(p, img.rect()));
}

}  // namespace vx::test
