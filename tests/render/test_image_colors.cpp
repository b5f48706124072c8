// Contrast colours, entity colours against the background, draw modes, and the cached pen,
// brush and width setters.
#include "test_image_fixture.h"

#include <limits>

namespace vx::test {
namespace {

using ImageColorTest = ImageTest;

TEST_F(ImageColorTest, ContrastGreyOfTheBackground) {
  struct Case { TColor background; TColor want; };
  for (const Case& c : std::initializer_list<Case>{{0xFFFFFF, 0xB2B2B2},   // 178.5 to even
                                                   {0x000000, 0xFFFFFF},   // black: 255
                                                   {0x202020, 0x161616},   // dark: darker still
                                                   {0x0000FF, 0x262626}})  // pure red: 37.9
    EXPECT_EQ(TvxCADImage::ContrastColor(c.background), c.want) << std::hex << c.background;
  TvxCADdxfImage image;
  EXPECT_EQ(image.ChangeBackgroundColor(), 0xB2B2B2u);
  image.SetBackgroundColor(0);
  EXPECT_EQ(image.ChangeBackgroundColor(), 0xFFFFFFu);
}

TEST_F(ImageColorTest, EntityColourAgainstTheBackground) {
  // Index 255 is white, 250 the darkest grey (0x333333), 1 red.
  auto image = LoadedImage(DxfWithLines({{0, 0, 1, 1, 255}, {0, 0, 1, 1, 250}, {0, 0, 1, 1, 1}}));
  TvxDXFBlock* model = image->Converter()->ModelSpaceBlock();
  ASSERT_EQ(model->Count(), 3);
  TvxDXFEntity* white = model->GetEntity(0);
  TvxDXFEntity* grey = model->GetEntity(1);
  TvxDXFEntity* red = model->GetEntity(2);

  EXPECT_EQ(image->GetEntityColor(white, nullptr), 0xB2B2B2u);
  EXPECT_EQ(image->GetEntityColor(red, nullptr), 0x0000FFu);
  image->SetBackgroundColor(0x333333);
  EXPECT_EQ(image->GetEntityColor(grey, nullptr), TvxCADImage::ContrastColor(0x333333));
  EXPECT_EQ(image->GetEntityColor(white, nullptr), 0xFFFFFFu);
  image->SetBackgroundColor(0x0000FF);  // red on red is the user's choice: not an index 250-255
  EXPECT_EQ(image->GetEntityColor(red, nullptr), 0x0000FFu);

  image->SetBackgroundColor(0xFFFFFF);
  image->SetPrinting(pntDirectColor);
  EXPECT_EQ(image->GetEntityColor(white, nullptr), 0xFFFFFFu);
  image->SetPrinting(pntNone);

  image->SetDrawMode(dmBlack);
  image->SetDefaultColor(0x123456);
  EXPECT_EQ(image->GetEntityColor(red, nullptr), 0x123456u);
  image->SetPrinting(pntPrint);
  EXPECT_EQ(image->GetEntityColor(red, nullptr), TvxCADImage::PrintForegroundColor);
}

TEST_F(ImageColorTest, SettersTouchThePainterOnlyOnChange) {
  TvxCADdxfImage image;
  image.SetDefaultColor(0x00FF00);
  QImage img = Blank(8, 8);
  QPainter p(&img);
  image.FCanvas = &p;

  image.SetColor(0x0000FF, ctPen, false);
  EXPECT_EQ(p.pen().color(), QColor(255, 0, 0));
  EXPECT_EQ(image.FColorPen, 0x0000FFu);
  // Unchanged colour: the painter is left alone (a pen set behind the cache's back stays).
  p.setPen(QColor(1, 2, 3));
  image.SetColor(0x0000FF, ctPen, false);
  EXPECT_EQ(p.pen().color(), QColor(1, 2, 3));
  // Unresolved colours take the default colour.
  image.SetColor(clForeground, ctPen, false);
  EXPECT_EQ(p.pen().color(), QColor(0, 255, 0));

  // The brush is refreshed when the painter's brush no longer matches the cache.
  image.SetColor(0xFF0000, ctBrush, false);
  EXPECT_EQ(p.brush().color(), QColor(0, 0, 255));
  p.setBrush(Qt::NoBrush);
  image.SetColor(0xFF0000, ctBrush, false);
  EXPECT_EQ(p.brush().style(), Qt::SolidPattern);
  image.SetColor(0, ctBrushClear, false);
  EXPECT_EQ(p.brush().style(), Qt::NoBrush);
  EXPECT_EQ(image.FColorBrush, image.BackgroundColor());

  image.SetPenWidth(1.2);
  EXPECT_EQ(image.FPenWidth, 2);
  EXPECT_EQ(p.pen().width(), 2);
  image.SetPenWidth(std::numeric_limits<double>::quiet_NaN());
  EXPECT_EQ(image.FPenWidth, 0);
  image.SetPenWidth(1e300);
  EXPECT_EQ(image.FPenWidth, 65536);

  image.SetStyle(Qt::DashLine, ctPen);
  EXPECT_EQ(p.pen().style(), Qt::DashLine);
  image.FCanvas = nullptr;
}

TEST_F(ImageColorTest, HooksAndExternalPropertiesTakeOver) {
  TvxCADdxfImage image;
  QImage img = Blank(8, 8);
  QPainter p(&img);
  p.setPen(QColor(1, 2, 3));
  const int penWidth = p.pen().width();
  image.FCanvas = &p;
  std::vector<std::pair<TColor, TvxColorTarget>> got;
  std::vector<double> widths;
  image.Hooks.ExpSetColor = [&](TColor c, TvxColorTarget t) { got.push_back({c, t}); };
  image.Hooks.ExpSetPenWidth = [&](double w) { widths.push_back(w); };

  TvxExternalProps ext;
  ext.UseExternalPen = 2;
  ext.Color = 0xABCDEF;
  image.SetExternalProps(&ext);
  image.SetColor(0x0000FF, ctPen, true);
  image.SetColor(0x0000FF, ctPen, false);
  image.SetPenWidth(2.5);
  ASSERT_EQ(got.size(), 2u);
  EXPECT_EQ(got[0].first, 0xABCDEFu);
  EXPECT_EQ(got[1].first, 0x0000FFu);
  EXPECT_EQ(widths, std::vector<double>{2.5});
  EXPECT_EQ(p.pen().color(), QColor(1, 2, 3));  // the canvas saw nothing
  EXPECT_EQ(p.pen().width(), penWidth);

  // For one entity only: in force when that entity is being drawn.
  ext.UseExternalPen = 1;
  ext.EntityHandle = 0x42;
  EXPECT_FALSE(image.ExternalInForce());
  image.SetExternalProps(nullptr);
  image.FCanvas = nullptr;
}

TEST_F(ImageColorTest, DrawModeColoursForTexts) {
  TvxCADdxfImage image;
  QImage img = Blank(8, 8);
  QPainter p(&img);
  image.FCanvas = &p;
  image.SetDefaultColor(0x010203);
  image.SetDrawMode(dmGray);
  image.ApplyDrawModeColors();
  EXPECT_EQ(image.FColorPen, 0x808080u);
  EXPECT_EQ(image.FColorFont, 0x808080u);
  image.SetDrawMode(dmBlack);
  image.ApplyDrawModeColors();
  EXPECT_EQ(image.FColorPen, 0x010203u);
  EXPECT_EQ(image.FColorFont, 0x010203u);
  image.SetDrawMode(dmNormal);
  image.SetColor(0x0000FF, ctPen, false);
  image.ApplyDrawModeColors();
  EXPECT_EQ(image.FColorPen, 0x0000FFu);
  image.FCanvas = nullptr;
}

}  // namespace
}  // namespace vx::test
