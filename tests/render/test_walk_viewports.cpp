// Paper layouts: model space drawn through viewports, clipped to them; viewport save and restore
// paired, also when the walk throws; real drawings rendered onto a picture.
#include "test_walk_fixture.h"

#include "database/layouts/vxViewports.h"
#include "render/vxCADdxfImage.h"
#include "support/vxTestPaths.h"

#include <filesystem>
#include <stdexcept>

namespace vx::test {
namespace {

class WalkViewportTest : public WalkTest {
 protected:
  WalkViewportTest() {
    while (conv->LayoutsCount() < 2) conv->AddLayout(new TvxDXFLayout());
  }

  // The sheet's own viewport, then one showing model space 1:1 on the sheet rectangle
  // (30..70) x (30..70).
  TvxDXFViewport* AddViewport() {
    TvxDXFBlock* sheet = conv->Layouts(1)->PaperSpaceBlock();
    auto* overall = new TvxDXFViewport();
    overall->SetHandle(0x10);
    overall->PSpaceCenter = {50, 50, 0};
    overall->PSpaceWidth = overall->PSpaceHeight = 100;
    auto* vp = new TvxDXFViewport();
    vp->SetHandle(0x20);
    vp->PSpaceCenter = vp->MSpaceCenter = {50, 50, 0};
    vp->PSpaceWidth = vp->PSpaceHeight = vp->MSpaceHeight = 40;
    for (TvxDXFViewport* v : {overall, vp}) {
      sheet->AddEntity(v);
      conv->Loads(v);
    }
    return vp;
  }
};

TEST_F(WalkViewportTest, ModelSpaceShowsOnlyInsideTheViewport) {
  TvxDXFViewport* vp = AddViewport();
  // a red model line across the viewport's left and right borders
  b.Place(b.Line({10, 50, 0}, {90, 50, 0}, nullptr, 1));
  Show(1);
  QImage im = Draw();
  EXPECT_EQ(Pixel(im, 50, 50), 0x0000FFu);
  EXPECT_EQ(Pixel(im, 32, 50), 0x0000FFu);
  EXPECT_EQ(Pixel(im, 68, 50), 0x0000FFu);
  EXPECT_EQ(Pixel(im, 20, 50), 0xFFFFFFu);  // outside: the line stops at the border
  EXPECT_EQ(Pixel(im, 80, 50), 0xFFFFFFu);
  // the frame in the viewport's colour
  EXPECT_EQ(Pixel(im, 30, 40), 0x000000u);
  EXPECT_EQ(Pixel(im, 50, 30), 0x000000u);
  // nothing is left saved or pushed after the draw
  EXPECT_TRUE(img->FWalk->Saved.empty());
  EXPECT_EQ(img->FWalk->Regions.Count(), 0);

  // Without its frame the viewport still clips.
  vp->SetVisibleBoundary(false);
  im = Draw();
  EXPECT_EQ(Pixel(im, 30, 40), 0xFFFFFFu);
  EXPECT_EQ(Pixel(im, 50, 50), 0x0000FFu);
  EXPECT_EQ(Pixel(im, 20, 50), 0xFFFFFFu);
}

TEST_F(WalkViewportTest, AViewportThatSavedNothingRestoresNothing) {
  AddViewport();
  // A viewport of model space is walked (and finished) without being drawn; its finish must not
  // undo the clip of the sheet viewport being walked.
  auto* modelVp = new TvxDXFViewport();
  modelVp->SetHandle(0x30);
  modelVp->PSpaceWidth = modelVp->PSpaceHeight = 10;
  b.Place(modelVp);
  b.Place(b.Line({10, 50, 0}, {90, 50, 0}, nullptr, 1));
  Show(1);
  const QImage im = Draw();
  EXPECT_EQ(Pixel(im, 50, 50), 0x0000FFu);
  EXPECT_EQ(Pixel(im, 20, 50), 0xFFFFFFu);
  EXPECT_EQ(Pixel(im, 80, 50), 0xFFFFFFu);
}

TEST_F(WalkViewportTest, AWalkThatThrowsLeavesNothingBehind) {
  AddViewport();
  TvxDXFLine* line = b.Place(b.Line({10, 50, 0}, {90, 50, 0}, nullptr, 1));
  Show(1);
  QImage picture(cnstSize, cnstSize, QImage::Format_RGB32);
  picture.fill(Qt::white);
  {
    QPainter p(&picture);
    img->Hooks.ExpPolyline = [&](const QPoint*, int) {
      if (img->FCurrentEntity == line) throw std::runtime_error("stop");
    };
    EXPECT_THROW(img->Draw(p, QRect(0, 0, cnstSize, cnstSize)), std::runtime_error);
    img->Hooks = {};
    EXPECT_FALSE(p.hasClipping());  // the viewport's clip did not outlive the walk
  }
  EXPECT_TRUE(img->FWalk->Saved.empty());
  EXPECT_EQ(img->FWalk->Regions.Count(), 0);
  const QImage im = Draw();
  EXPECT_EQ(Pixel(im, 50, 50), 0x0000FFu);
  EXPECT_EQ(Pixel(im, 20, 50), 0xFFFFFFu);
}

TEST_F(WalkViewportTest, ViewportsPickByTheirEdgeOrTheirWholeArea) {
  TvxDXFViewport* vp = AddViewport();
  b.Place(b.Line({10, 50, 0}, {90, 50, 0}));
  auto* matrix = new TvxSelectionMatrix();
  img->SetSelectionMatrix(matrix);
  img->SetMatrixMode(smEnabled);
  img->SetVisibleArea(QSize(cnstSize, cnstSize));
  Show(1);
  Draw();
  EXPECT_EQ(matrix->GetElementInMatrix(30, 45), vp);    // on the frame
  EXPECT_EQ(matrix->GetElementInMatrix(50, 45), nullptr);  // model space is not picked here
  matrix->SetViewPortMode(vmFill);
  Draw();
  EXPECT_EQ(matrix->GetElementInMatrix(50, 45), vp);
  EXPECT_EQ(matrix->GetElementInMatrix(10, 10), nullptr);
}

TEST(WalkCorpus, RealDrawingsAreNotBlank) {
  EnsureGuiApp();
  const std::string dir = CorpusDir();
  if (dir.empty()) GTEST_SKIP() << "corpus not found (set VX_CORPUS)";
  int drawn = 0;
  for (const char* name : {"same-drawing/sample_AC1015_ascii.dxf", "libredwg/example_2000.dxf",
                           "old-dwg/r11_entities-2d.dxf"}) {
    const std::filesystem::path path = std::filesystem::path(dir) / name;
    if (!std::filesystem::exists(path)) continue;
    TvxCADdxfImage img;
    img.LoadFromFile(path.string());
    // with picking on, as the editor draws
    img.SetSelectionMatrix(new TvxSelectionMatrix());
    img.SetMatrixMode(smEnabled);
    img.SetVisibleArea(QSize(400, 300));
    QImage picture(400, 300, QImage::Format_RGB32);
    picture.fill(Qt::white);
    {
      QPainter p(&picture);
      img.Draw(p, picture.rect());
    }
    int ink = 0;
    for (int y = 0; y < picture.height(); ++y)
      for (int x = 0; x < picture.width(); ++x) ink += (picture.pixel(x, y) & 0xFFFFFF) != 0xFFFFFF;
    EXPECT_GT(ink, 200) << name;
    // VX_WALK_DUMP=<folder> keeps the pictures for a look by eye.
    if (const QByteArray out = qgetenv("VX_WALK_DUMP"); !out.isEmpty())
      picture.save(QString::fromUtf8(out) + "/" +
                   QString::fromStdString(path.stem().string()) + ".png");
    EXPECT_GT(img.SelectionMatrix()->ElementCount(), 0) << name;
    ++drawn;
  }
  if (drawn == 0) GTEST_SKIP() << "no corpus DXF found";
}

}  // namespace
}  // namespace vx::test
