// Every DXF of the corpus loads through the DXF image and draws onto a picture.
#include "test_image_fixture.h"

#include "support/vxTestPaths.h"

#include <filesystem>

namespace vx::test {
namespace {

namespace fs = std::filesystem;

std::vector<fs::path> CorpusDrawings() {
  std::vector<fs::path> files;
  const std::string dir = CorpusDir();
  if (dir.empty()) return files;
  for (const auto& e : fs::recursive_directory_iterator(dir)) {
    const std::string ext = FileExtension(e.path().string());
    if (e.is_regular_file() && (ext == "dxf" || ext == "dxfb")) files.push_back(e.path());
  }
  std::sort(files.begin(), files.end());
  return files;
}

using ImageCorpusTest = ImageTest;

TEST_F(ImageCorpusTest, EveryDrawingLoadsAndDraws) {
  const std::vector<fs::path> files = CorpusDrawings();
  if (files.empty()) GTEST_SKIP() << "no corpus (set VX_CORPUS)";
  for (const fs::path& f : files) {
    SCOPED_TRACE(f.string());
    TvxCADdxfImage image;
    ASSERT_NO_THROW(image.LoadFromFile(f.string()));
    ASSERT_NE(image.CurrentLayout(), nullptr);
    EXPECT_EQ(image.CurrentLayout(), image.Layouts(0));  // the model layout, whatever the file marks
    EXPECT_GE(image.Width(), 1);
    EXPECT_LE(image.Width(), cnstMaxImageSize);
    QImage img = Blank(256, 192);
    QPainter p(&img);
    ASSERT_NO_THROW(image.Draw(p, img.rect()));
    p.end();
    EXPECT_EQ(img.pixel(0, 0) & 0xFFFFFF, 0xFFFFFFu);  // background filled
    // Every layout draws too.
    for (int i = 1; i < image.LayoutsCount(); ++i) {
      image.SetCurrentLayout(image.Layouts(i));
      QPainter q(&img);
      ASSERT_NO_THROW(image.Draw(q, img.rect())) << "layout " << i;
    }
  }
}

}  // namespace
}  // namespace vx::test
