// Golden pictures: three corpus drawings drawn at 256 x 192 the way vxrender draws them, in whole
// pixels (NAME.png) and antialiased (NAME_aa.png), compared with pictures checked by eye
// (tests/render/golden/make_golden.sh makes them again). Small differences of rasterisation are
// tolerated; a changed drawing is not.
#include "test_image_fixture.h"

#include "render/vxCADImageRender.h"
#include "support/vxTestPaths.h"

#include <filesystem>

namespace vx::test {
namespace {

namespace fs = std::filesystem;

// Pixels whose colour moved by more than 64 in some channel.
int DifferentPixels(const QImage& a, const QImage& b) {
  int n = 0;
  for (int y = 0; y < a.height(); ++y)
    for (int x = 0; x < a.width(); ++x) {
      const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
      if (std::abs(qRed(p) - qRed(q)) > 64 || std::abs(qGreen(p) - qGreen(q)) > 64 ||
          std::abs(qBlue(p) - qBlue(q)) > 64)
        ++n;
    }
  return n;
}

using ImageGoldenTest = ImageTest;

TEST_F(ImageGoldenTest, CorpusDrawingsMatchTheirPictures) {
  const std::string corpus = CorpusDir();
  if (corpus.empty()) GTEST_SKIP() << "no corpus (set VX_CORPUS)";
  const fs::path golden = fs::path(SourceDir()) / "tests" / "render" / "golden";
  struct Case { const char* picture; const char* drawing; };
  for (const Case& c : std::initializer_list<Case>{
           {"r11_entities-2d.png", "old-dwg/r11_entities-2d.dxf"},
           {"example_2000.png", "libredwg/example_2000.dxf"},
           {"sample_AC1015_ascii.png", "same-drawing/sample_AC1015_ascii.dxf"}})
    for (const bool antialias : {false, true}) {
      std::string picture = c.picture;
      if (antialias) picture.insert(picture.size() - 4, "_aa");
      SCOPED_TRACE(picture);
      const fs::path drawing = fs::path(corpus) / c.drawing;
      const QImage want(QString::fromStdString((golden / picture).string()));
      if (!fs::exists(drawing) || want.isNull()) {
        ADD_FAILURE() << "missing " << drawing << " or " << (golden / picture);
        continue;
      }
      TvxCADdxfImage image;
      image.LoadFromFile(drawing.string());
      TvxRenderOptions options;
      options.Antialias = antialias;
      std::string error;
      ASSERT_TRUE(PrepareRenderImage(image, options, error)) << error;
      const QImage got = RenderToImage(image, 256, 192).convertToFormat(QImage::Format_RGB32);
      ASSERT_EQ(got.size(), want.size());
      const int limit = got.width() * got.height() / 200;  // 0.5 %
      const int diff = DifferentPixels(got, want.convertToFormat(QImage::Format_RGB32));
      EXPECT_LE(diff, limit);
      if (diff > limit)
        got.save(QString::fromStdString((fs::temp_directory_path() / picture).string()), "PNG");
    }
}

}  // namespace
}  // namespace vx::test
