// Extents, border, zoom and nominal size; the fit; the view matrix operations; rotations and
// standard views; the pixel mapping both ways.
#include "test_image_fixture.h"

#include <cmath>
#include <limits>

namespace vx::test {
namespace {

void ExpectBox(const TFRect& b, double l, double bottom, double r, double t, double tol = 1e-9) {
  EXPECT_NEAR(b.Left, l, tol);
  EXPECT_NEAR(b.Bottom, bottom, tol);
  EXPECT_NEAR(b.Right, r, tol);
  EXPECT_NEAR(b.Top, t, tol);
}

using ImageViewTest = ImageTest;

TEST_F(ImageViewTest, EmptyDrawingIsTheUnitBoxAtZoomTen) {
  auto image = LoadedImage("0\nEOF\n");
  ASSERT_NE(image->CurrentLayout(), nullptr);
  EXPECT_EQ(image->CurrentLayout(), image->Layouts(0));
  ExpectBox(image->Extents(), 0, 0, 1, 1);
  ExpectBox(image->PureExtents(), 0, 0, 1, 1);
  EXPECT_EQ(image->Zoom(), 10);
  // 1 x 10 + 0.5 rounds half to even.
  EXPECT_EQ(image->Width(), 10);
  EXPECT_EQ(image->Height(), 10);
}

TEST_F(ImageViewTest, LineGetsTheRatioBorderAndNominalSize) {
  auto image = LoadedImage(DxfWithLines({{0, 0, 100, 50}}));
  ExpectBox(image->PureExtents(), 0, 0, 100, 50);
  ExpectBox(image->Extents(), -12.5, -6.25, 112.5, 56.25);
  EXPECT_EQ(image->Zoom(), 1);
  EXPECT_EQ(image->Width(), 126);  // 125.5 to even
  EXPECT_EQ(image->Height(), 63);
  EXPECT_DOUBLE_EQ(image->Center().X, 50);
  EXPECT_DOUBLE_EQ(image->Center().Y, 25);
}

TEST_F(ImageViewTest, LargeDrawingIsCappedAt32767Pixels) {
  auto image = LoadedImage(DxfWithLines({{0, 0, 100000, 50000}}));
  EXPECT_DOUBLE_EQ(image->Zoom(), 32767.0 / 125000.0);
  // 125000 x (32767 / 125000) + 0.5 is 32767.4999... in double arithmetic: the cap holds.
  EXPECT_EQ(image->Width(), 32767);
  EXPECT_EQ(image->Height(), 16384);
}

TEST_F(ImageViewTest, BorderKinds) {
  auto image = LoadedImage(DxfWithLines({{0, 0, 100, 50}}));
  struct Case { TvxBorderType type; double size; bool without; double bx, by; };
  for (const Case& c : std::initializer_list<Case>{{btRatio, 0.125, false, 12.5, 6.25},
                                                   {btGlobal, 3, false, 3, 3},
                                                   {btGlobal, -3, false, 3, 3},
                                                   {btRatio, -0.5, false, 1, 1},  // negative: 1
                                                   {btRatio, 0.125, true, 0, 0}}) {
    image->SetBorderType(c.type);
    image->SetBorderSize(c.size);
    image->SetIsWithoutBorder(c.without);
    image->RefreshCurrentLayout();
    ExpectBox(image->Extents(), -c.bx, -c.by, 100 + c.bx, 50 + c.by);
  }
}

TEST_F(ImageViewTest, UnsetAndNonFiniteBoxesBecomeTheUnitBox) {
  TvxCADdxfImage image;
  const double inf = std::numeric_limits<double>::infinity();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  for (const TFRect& b : std::initializer_list<TFRect>{
           BadBox, {0, 1, 0, inf, 0, 0}, {nan, 1, 0, 1, 0, 0}, {-1e308, 1e308, 0, 1e308, -1e308, 0},
           {5, 1, 0, 1, 0, 0} /* inverted */}) {
    image.SetExtentsParameters(b, true);
    ExpectBox(image.Extents(), 0, 0, 1, 1);
    EXPECT_EQ(image.Width(), 10);
    EXPECT_EQ(image.Height(), 10);
  }
  // A handler may supply the box.
  image.OnGetBox = [](TvxCADImage*, TFRect& b) {
    b = TFRect{0, 20, 0, 40, 0, 0};
    return true;
  };
  image.SetExtentsParameters(BadBox, true);
  ExpectBox(image.Extents(), 0, 0, 40, 20);
}

TEST_F(ImageViewTest, DisproportionateDrawingIsWidened) {
  auto image = LoadedImage(DxfWithLines({{0, 0, 0, 100}}));
  image->SetIsWithoutBorder(true);
  image->SetResizeDisproportionateDrawing(true);
  image->RefreshCurrentLayout();
  ExpectBox(image->Extents(), -50, 0, 50, 100);
}

TEST_F(ImageViewTest, FitKeepsAspectUnlessStretched) {
  auto image = LoadedImage(DxfWithLines({{0, 0, 200, 100}}));
  image->SetIsWithoutBorder(true);
  image->RefreshCurrentLayout();
  const QRect rect(0, 0, 100, 100);
  image->FitToRect(rect);
  EXPECT_EQ(image->GetPoint({0, 0, 0}), QPoint(0, 75));
  EXPECT_EQ(image->GetPoint({200, 100, 0}), QPoint(100, 25));
  EXPECT_LT(image->DrawMatrix().M[1][1], 0);  // the screen's Y runs down

  image->SetStretch(true);
  image->FitToRect(rect);
  EXPECT_EQ(image->GetPoint({0, 0, 0}), QPoint(0, 100));
  EXPECT_EQ(image->GetPoint({200, 100, 0}), QPoint(100, 0));

  // An offset rectangle: the centre lands on its centre.
  image->FitToRect(QRect(50, 20, 100, 100));
  EXPECT_EQ(image->GetPoint({100, 50, 0}), QPoint(100, 70));
  // Empty rectangles count as 1 x 1; nothing is divided by zero.
  image->FitToRect(QRect(0, 0, 0, 0));
  const TFMatrix m = image->DrawMatrix();
  for (const auto& row : m.M)
    for (double v : row) EXPECT_TRUE(std::isfinite(v));
}

TEST_F(ImageViewTest, MatrixOperationsAndTheirEvents) {
  auto image = LoadedImage(DxfWithLines({{0, 0, 100, 50}}));
  int changes = 0;
  image->OnMatrixChanged = [&](TvxCADImage*) { ++changes; };
  image->SetDrawMatrix(cnstIdentityMat);
  EXPECT_EQ(changes, 0);  // CustomDraw (the default): matrices change inside Draw only
  image->SetCustomDraw(false);
  image->SetDrawMatrix(cnstIdentityMat);
  image->ScaleDrawMatrix(2, 3, 1);
  image->TranslateDrawMatrix(10, -5);
  EXPECT_EQ(changes, 3);
  EXPECT_EQ(image->GetPoint({1, 1, 0}), QPoint(12, -2));
  EXPECT_DOUBLE_EQ(image->Scale().X, 2);
  EXPECT_DOUBLE_EQ(image->Scale().Y, 3);
  EXPECT_EQ(image->FDraw.Additional, 0);
  TFMatrix rotated = RotationMatrixZDeg(30);
  image->SetDrawMatrix(rotated);
  EXPECT_NE(image->FDraw.Additional, 0);
}

TEST_F(ImageViewTest, DevicePointsAreClamped) {
  TvxCADdxfImage image;
  image.SetDrawMatrix(ScaleMatrix(1e12, -1e12, 1));
  EXPECT_EQ(image.GetPoint({1, 1, 0}), QPoint(16777216, -16777216));
  EXPECT_EQ(image.GetPoint({-1, -1, 0}), QPoint(-16777216, 16777216));
  const double nan = std::numeric_limits<double>::quiet_NaN();
  EXPECT_EQ(image.GetPoint({nan, 0, 0}), QPoint(0, 0));
}

TEST_F(ImageViewTest, RotationMarksBadlyRotatedViews) {
  struct Case { TvxAxis axis; double angle; bool bad; };
  for (const Case& c : std::initializer_list<Case>{{axisZ, 90, false}, {axisZ, -270, false},
                                                   {axisZ, 450, false}, {axisZ, 0, false},
                                                   {axisZ, 45, true}, {axisX, 10, true},
                                                   {axisY, -90, true}, {axisX, 360, false}}) {
    auto image = LoadedImage(DxfWithLines({{0, 0, 100, 50}}));
    image->Rotate(c.axis, c.angle);
    EXPECT_EQ(image->IsBadRotated(), c.bad) << static_cast<int>(c.axis) << " " << c.angle;
    image->RotToView(vdDefault);
    EXPECT_FALSE(image->IsBadRotated());
  }
}

TEST_F(ImageViewTest, RotationTurnsTheLayoutAndTheExtents) {
  auto image = LoadedImage(DxfWithLines({{0, 0, 100, 50}}));
  image->SetIsWithoutBorder(true);
  image->Rotate(axisZ, 90);
  // (x, y) -> (-y, x): the box stands upright.
  ExpectBox(image->PureExtents(), -50, 0, 0, 100);
  EXPECT_DOUBLE_EQ(image->RotZAngle(), 90);
  image->RotToView(vdTop);
  ExpectBox(image->PureExtents(), 0, 0, 100, 50);
}

TEST_F(ImageViewTest, OneBracketOneRefresh) {
  auto image = LoadedImage(DxfWithLines({{0, 0, 100, 50}}));
  int before = 0, after = 0, changes = 0;
  image->OnBeforeRotate = [&](TvxCADImage*) { ++before; };
  image->OnAfterRotate = [&](TvxCADImage*) { ++after; };
  image->OnChange = [&](TvxGraphic*) { ++changes; };
  image->BeginRotate();
  image->Rotate(axisZ, 90);
  image->Rotate(axisX, 30);
  image->Rotate(axisY, 15);
  EXPECT_EQ(after, 0);
  EXPECT_EQ(changes, 0);
  image->EndRotate();
  EXPECT_EQ(before, 1);
  EXPECT_EQ(after, 1);
  EXPECT_EQ(changes, 1);
  image->EndRotate();  // unbalanced: the count stays at 0
  EXPECT_EQ(after, 1);
}

TEST_F(ImageViewTest, StandardViews) {
  auto image = LoadedImage(DxfWithLines({{0, 0, 100, 50}}));
  image->RotToView(vdSWIsometric);
  const TFMatrix want = MultiplyMatrix(RotationMatrix(axisZ, 45 * fPiDiv180),
                                       RotationMatrix(axisX, -54.735610317245345688 * fPiDiv180));
  const TFMatrix got = image->CurrentLayout()->RotMatrix();
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c) EXPECT_NEAR(got.M[r][c], want.M[r][c], 1e-12) << r << c;
  EXPECT_TRUE(image->IsBadRotated());

  image->RotToView(vdFront);
  // Looking from the front: drawing Z is the screen's up, Y goes into the screen.
  EXPECT_NEAR(std::fabs(image->CurrentLayout()->RotMatrix().M[2][1]), 1, 1e-12);
}

TEST_F(ImageViewTest, CadCoordsOfPictureFractions) {
  auto image = LoadedImage(DxfWithLines({{10, 20, 110, 70}}));
  TFPoint p = image->GetCADCoords(0.5, 0.5);
  EXPECT_DOUBLE_EQ(p.X, 60);
  EXPECT_DOUBLE_EQ(p.Y, 45);
  p = image->GetCADCoords(0, 0);
  EXPECT_DOUBLE_EQ(p.X, 10);
  EXPECT_DOUBLE_EQ(p.Y, 20);
  EXPECT_DOUBLE_EQ(p.Z, 0);
  // A side view: the hidden drawing axis is 0.
  image->RotToView(vdLeft);
  p = image->GetCADCoords(0.25, 0.75);
  int zeros = (p.X == 0) + (p.Y == 0) + (p.Z == 0);
  EXPECT_GE(zeros, 1);
  // No box: the zero point.
  auto empty = LoadedImage("0\nEOF\n");
  p = empty->GetCADCoords(0.5, 0.5);
  EXPECT_EQ(p, TFPoint{});
}

TEST_F(ImageViewTest, DrawingBoxReplacesTheExtents) {
  auto image = LoadedImage(DxfWithLines({{0, 0, 100, 50}}));
  image->SetIsWithoutBorder(true);
  image->SetDrawingBox(TFRect{10, 40, 0, 30, 20, 0});
  ExpectBox(image->Extents(), 10, 20, 30, 40);
  image->ResetDrawingBox();
  ExpectBox(image->Extents(), 0, 0, 100, 50);
}

}  // namespace
}  // namespace vx::test
