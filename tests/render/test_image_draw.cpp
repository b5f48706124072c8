// Draw: background, transparency, draw modes, the painter and image state restored on every
// exit (exceptions from the walk included), and databases shared between images.
#include "test_image_fixture.h"

#include "database/layouts/vxLayouts.h"

#include <sstream>
#include <stdexcept>

namespace vx::test {
namespace {

using ImageDrawTest = ImageTest;

constexpr QRgb kWhite = 0xFFFFFF, kRed = 0xFF0000, kBlack = 0x000000, kBlue = 0x0000FF;

// A line (0,0)-(100,50) with the ratio border fitted into 256 x 192: scale 2.048, centred.
QPoint LinePixel(double x, double y) {
  return QPoint(static_cast<int>(std::lround(128 + (x - 50) * 2.048)),
                static_cast<int>(std::lround(96 - (y - 25) * 2.048)));
}

QImage DrawInto(TvxCADImage& image, QImage img) {
  QPainter p(&img);
  image.Draw(p, img.rect());
  return img;
}

TEST_F(ImageDrawTest, FillsTheBackgroundAndDrawsTheLayout) {
  auto image = LoadedImage(DxfWithLines({{0, 0, 100, 50, 1}}));
  const QImage img = DrawInto(*image, Blank(256, 192, 0xFF0000FF));
  EXPECT_EQ(img.pixel(0, 0) & 0xFFFFFF, kWhite);
  EXPECT_EQ(img.pixel(255, 191) & 0xFFFFFF, kWhite);
  // The line in red: a blank picture is a failure.
  ASSERT_GT(CountOther(img, kWhite), 0) << "nothing drawn";
  EXPECT_TRUE(HasColourNear(img, LinePixel(50, 25).x(), LinePixel(50, 25).y(), kRed));
  EXPECT_TRUE(HasColourNear(img, LinePixel(10, 5).x(), LinePixel(10, 5).y(), kRed));
  EXPECT_FALSE(HasColourNear(img, 128, 20, kRed, 3));
}

TEST_F(ImageDrawTest, TransparentImageLeavesTheBackground) {
  auto image = LoadedImage(DxfWithLines({{0, 0, 100, 50, 1}}));
  image->SetTransparent(true);
  const QImage img = DrawInto(*image, Blank(256, 192, 0xFF0000FF));
  EXPECT_EQ(img.pixel(0, 0) & 0xFFFFFF, kBlue);
  EXPECT_EQ(img.pixel(128, 20) & 0xFFFFFF, kBlue);
}

TEST_F(ImageDrawTest, BlackModeDrawsInTheDefaultColour) {
  auto image = LoadedImage(DxfWithLines({{0, 0, 100, 50, 1}}));
  image->SetDrawMode(dmBlack);
  const QImage img = DrawInto(*image, Blank(256, 192));
  ASSERT_GT(CountOther(img, kWhite), 0) << "nothing drawn";
  const QPoint mid = LinePixel(50, 25);
  EXPECT_TRUE(HasColourNear(img, mid.x(), mid.y(), kBlack));
  EXPECT_FALSE(HasColourNear(img, mid.x(), mid.y(), kRed, 2));
}

TEST_F(ImageDrawTest, NothingWithoutALayout) {
  TvxCADdxfImage image;
  ASSERT_EQ(image.CurrentLayout(), nullptr);
  const QImage img = DrawInto(image, Blank(16, 16));
  EXPECT_EQ(CountOther(img, kBlue), 0);
}

TEST_F(ImageDrawTest, PainterAndImageStateAreRestored) {
  auto image = LoadedImage(DxfWithLines({{0, 0, 100, 50, 1}}));
  image->SetDeviceDPI(QPoint(300, 300));
  image->SetLineWeightScale(1.5);
  image->SetIsDraw3DAxes(true);
  QImage img = Blank(256, 192);
  QPainter p(&img);
  const QPen pen(QColor(9, 8, 7), 3, Qt::DotLine);
  const QBrush brush(QColor(1, 2, 3), Qt::Dense4Pattern);
  p.setPen(pen);
  p.setBrush(brush);
  p.setClipRect(QRect(10, 10, 100, 100));
  image->Draw(p, img.rect());
  EXPECT_EQ(p.pen(), pen);
  EXPECT_EQ(p.brush(), brush);
  EXPECT_EQ(p.clipBoundingRect().toAlignedRect(), QRect(10, 10, 100, 100));
  EXPECT_DOUBLE_EQ(image->LineWeightScale(), 1.5);
  EXPECT_EQ(image->FCanvas, nullptr);
  EXPECT_NE(image->Converter()->Params(), &image->FDraw);
  // The clip held: nothing outside it changed.
  EXPECT_EQ(img.pixel(200, 150) & 0xFFFFFF, kBlue);
}

// A walk step that fails.
class ThrowingImage : public TvxCADdxfImage {
 public:
  int DrawEntity(TvxDXFEntity*) override { throw std::runtime_error("walk failed"); }
};

TEST_F(ImageDrawTest, ExceptionFromTheWalkPropagatesAfterTheRestore) {
  ThrowingImage image;
  const std::string dxf = DxfWithLines({{0, 0, 100, 50, 1}});
  image.LoadFromBuffer(dxf.data(), dxf.size());
  image.SetDeviceDPI(QPoint(600, 600));
  image.Rotate(axisZ, 90);
  const double zBefore = image.CurrentLayout()->RotZAngle();
  int afterDraw = 0;
  image.OnAfterDraw = [&](TvxCADImage*) { ++afterDraw; };
  QImage img = Blank(64, 64);
  QPainter p(&img);
  const QPen pen(QColor(9, 8, 7), 3);
  p.setPen(pen);
  EXPECT_THROW(image.Draw(p, img.rect()), std::runtime_error);
  EXPECT_EQ(p.pen(), pen);
  EXPECT_FALSE(p.hasClipping());
  EXPECT_DOUBLE_EQ(image.LineWeightScale(), 1.0);
  EXPECT_EQ(image.FCanvas, nullptr);
  EXPECT_EQ(afterDraw, 1);
  // The image's Z rotation went back to the layout.
  EXPECT_DOUBLE_EQ(image.CurrentLayout()->RotZAngle(), zBefore + 90);
  EXPECT_DOUBLE_EQ(image.RotZAngle(), 0);
}

TEST_F(ImageDrawTest, AssignSharesTheDatabase) {
  for (bool freeSourceFirst : {true, false}) {
    auto a = LoadedImage(DxfWithLines({{0, 0, 100, 50, 1}}));
    auto b = std::make_unique<TvxCADdxfImage>();
    a->SetBackgroundColor(0x101010);
    a->SetDrawMode(dmGray);
    ASSERT_TRUE(b->Assign(*a));
    EXPECT_EQ(b->Converter(), a->Converter());
    EXPECT_EQ(a->Converter()->RefCount(), 2);
    EXPECT_EQ(b->CurrentLayout(), a->CurrentLayout());
    EXPECT_EQ(b->BackgroundColor(), 0x101010u);
    EXPECT_EQ(b->ChangeBackgroundColor(), a->ChangeBackgroundColor());
    EXPECT_EQ(b->DrawMode(), dmGray);
    EXPECT_EQ(b->Width(), a->Width());
    // Either image may go first; the other keeps drawing from the shared database.
    if (freeSourceFirst) a.reset(); else b.reset();
    TvxCADdxfImage& left = freeSourceFirst ? *b : *a;
    EXPECT_EQ(left.Converter()->RefCount(), 1);
    DrawInto(left, Blank(64, 48));
  }
}

TEST_F(ImageDrawTest, LoadingIntoASharedImageLeavesTheOtherAlone) {
  auto a = LoadedImage(DxfWithLines({{0, 0, 100, 50, 1}}));
  TvxCADdxfImage b;
  ASSERT_TRUE(b.Assign(*a));
  const std::string other = DxfWithLines({{0, 0, 10, 10, 3}, {5, 5, 20, 20, 3}});
  b.LoadFromBuffer(other.data(), other.size());
  EXPECT_NE(b.Converter(), a->Converter());
  EXPECT_EQ(a->Converter()->RefCount(), 1);
  EXPECT_EQ(a->Converter()->ModelSpaceBlock()->Count(), 1);
  EXPECT_EQ(b.Converter()->ModelSpaceBlock()->Count(), 2);
  EXPECT_EQ(a->CurrentLayout(), a->Layouts(0));
  DrawInto(*a, Blank(64, 48));
  DrawInto(b, Blank(64, 48));
}

TEST_F(ImageDrawTest, AssignFromAnotherGraphicIsRefused) {
  TvxCADdxfImage image;
  TvxRasterGraphic raster;
  EXPECT_FALSE(image.Assign(raster));
}

TEST_F(ImageDrawTest, PaperLayoutShowsItsPlotPaperOnGrey) {
  auto image = LoadedImage(DxfWithLines({{0, 0, 100, 50, 1}}));
  auto* sheet = new TvxDXFLayout();
  sheet->SetName("Sheet");
  image->Converter()->AddLayout(sheet);
  ASSERT_NE(sheet->PlotSettings(), nullptr);
  sheet->PlotSettings()->Data.PlotPaperSize = {100, 100};
  sheet->SetBox(TFRect{-100, 200, 0, 200, -100, 0});
  image->SetIsWithoutBorder(true);
  image->SetShowPlotSetting(true);
  image->SetShowPlotMargins(false);
  image->SetCurrentLayout(sheet);
  ASSERT_TRUE(image->IsCurLayoutShowPlot());
  const QImage img = DrawInto(*image, Blank(300, 300));
  EXPECT_EQ(img.pixel(5, 5) & 0xFFFFFF, 0xC0C0C0u);      // around the paper
  const QRect paper = image->GetRect(TFRect{0, 100, 0, 100, 0, 0});
  EXPECT_EQ(img.pixel(paper.center()) & 0xFFFFFF, kWhite);  // the sheet itself

  // The model layout shows no paper unless asked.
  image->SetCurrentLayout(image->Layouts(0));
  EXPECT_FALSE(image->IsCurLayoutShowPlot());
  image->SetShowPlotForModel(true);
  EXPECT_TRUE(image->IsCurLayoutShowPlot());
}

TEST_F(ImageDrawTest, AxesAreDrawnWhenAsked) {
  auto image = LoadedImage(DxfWithLines({{0, 0, 100, 50, 5}}));
  image->SetIsDraw3DAxes(true);
  const QImage img = DrawInto(*image, Blank(256, 192));
  const QPoint c = image->GetPoint(image->Center());
  EXPECT_TRUE(HasColourNear(img, c.x() + 30, c.y(), 0xFF0000, 1));  // X in red, to the right
  EXPECT_TRUE(HasColourNear(img, c.x(), c.y() - 30, 0x44EB8C, 1));  // Y upwards
  EXPECT_TRUE(HasColourNear(img, c.x(), c.y(), 0x00FFFF, 1));       // the marker (TColor 0xFFFF00)
}

TEST_F(ImageDrawTest, ClipBoxFillsTheRectangle) {
  auto image = LoadedImage(DxfWithLines({{0, 0, 100, 50, 1}}));
  image->SetIsWithoutBorder(true);
  image->RefreshCurrentLayout();
  TvxClipping clip;
  clip.ClipMode = 1;
  clip.ClipRect = TFRect{50, 50, 0, 100, 0, 0};  // the right half
  image->SetClipping(clip);
  ASSERT_NE(image->ClippingRect(), nullptr);
  EXPECT_DOUBLE_EQ(image->AbsWidth(), 50);
  QImage img = Blank(300, 100);
  {
    QPainter p(&img);
    image->Draw(p, QRect(100, 0, 100, 100));
  }
  EXPECT_EQ(image->GetPoint({50, 0, 0}), QPoint(100, 100));
  EXPECT_EQ(image->GetPoint({100, 50, 0}), QPoint(200, 0));
  // Nothing outside the given rectangle, although the view runs over it.
  EXPECT_EQ(img.pixel(50, 50) & 0xFFFFFF, kBlue);
  EXPECT_EQ(img.pixel(250, 50) & 0xFFFFFF, kBlue);
  EXPECT_EQ(img.pixel(150, 5) & 0xFFFFFF, kWhite);
  clip.ClipMode = 0;
  image->SetClipping(clip);
  EXPECT_EQ(image->ClippingRect(), nullptr);
}

TEST_F(ImageDrawTest, PaletteAndSourceCopy) {
  const std::vector<TColor>& pal = TvxCADImage::Palette();
  ASSERT_EQ(pal.size(), 216u);
  EXPECT_EQ(pal[0], 0u);
  EXPECT_EQ(pal[1], 0x000033u);
  EXPECT_EQ(pal[6], 0x003300u);
  EXPECT_EQ(pal[36], 0x330000u);
  EXPECT_EQ(pal[215], 0xFFFFFFu);

  const std::string dxf = DxfWithLines({{0, 0, 1, 1}});
  TvxCADImage::KeepSourceCopy = true;
  auto image = LoadedImage(dxf);
  TvxCADImage::KeepSourceCopy = false;
  std::ostringstream out;
  image->SaveToStream(out);
  EXPECT_EQ(out.str(), dxf);
}

}  // namespace
}  // namespace vx::test
