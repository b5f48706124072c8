// Draw targets: the fan-out's order and taking rule (own targets, export hooks, selection matrix,
// canvas), and the fill, picture and transparency primitives on each target.
#include "test_walk_fixture.h"

#include "render/output/vxDrawTarget.h"

#include <QPainter>

#include <cmath>
#include <string>

namespace vx::test {
namespace {

// Names every primitive it sees; takes them for itself when Take is set.
struct RecordingTarget final : TvxDrawTarget {
  std::vector<std::string> Seen;
  std::vector<QPointF> LastPoints;
  bool Take = false;

  bool Note(const char* what, const QPointF* pts = nullptr, int n = 0) {
    Seen.emplace_back(what);
    if (pts) LastPoints.assign(pts, pts + n);
    return Take;
  }
  bool Polyline(const QPointF* p, int n) override { return Note("Polyline", p, n); }
  bool PolyPolyline(const QPointF* p, const int* c, int k) override {
    return Note("PolyPolyline", p, TotalCount(c, k));
  }
  bool ClosedPath(const QPointF* p, int n) override { return Note("ClosedPath", p, n); }
  bool Arc(const QRectF&, QPointF, QPointF) override { return Note("Arc"); }
  bool Ellipse(const QRectF&) override { return Note("Ellipse"); }
  bool Polygon(const QPointF* p, int n) override { return Note("Polygon", p, n); }
  bool PolyPolygon(const QPointF* p, const int* c, int k, bool) override {
    return Note("PolyPolygon", p, TotalCount(c, k));
  }
  bool Pixel(QPoint, TColor) override { return Note("Pixel"); }
  bool FillRegion(const QRegion&, TColor) override { return Note("FillRegion"); }
  bool FillPath(const QPointF* p, const int* c, int k, TvxFillRule, const TvxFill&) override {
    return Note("FillPath", p, TotalCount(c, k));
  }
  bool Image(const TvxImagePlacement&) override { return Note("Image"); }
  void SetAlpha(uint8_t) override { Seen.emplace_back("SetAlpha"); }
};

// A square ring: the outer square (10,10)-(90,90) and an island (30,30)-(70,70), the island
// clockwise or (sameTurn) in the outer square's turn.
std::vector<QPointF> Ring(bool sameTurn) {
  std::vector<QPointF> p{{10, 10}, {90, 10}, {90, 90}, {10, 90}};
  if (sameTurn)
    p.insert(p.end(), {{30, 30}, {70, 30}, {70, 70}, {30, 70}});
  else
    p.insert(p.end(), {{30, 30}, {30, 70}, {70, 70}, {70, 30}});
  return p;
}

class TargetTest : public WalkTest {
 protected:
  // A white picture with the image's canvas bound to it for direct primitive calls.
  void BeginCanvas() {
    Show();
    picture = QImage(cnstSize, cnstSize, QImage::Format_RGB32);
    picture.fill(Qt::white);
    painter = std::make_unique<QPainter>(&picture);
    img->FCanvas = painter.get();
    img->FWalk->BeginDraw(*img);
  }
  // Picking on, with the primitives credited to owner.
  TvxSelectionMatrix* BeginMatrix(TvxDXFEntity* owner) {
    auto* m = new TvxSelectionMatrix();
    img->SetSelectionMatrix(m);
    img->SetMatrixMode(smEnabled);
    m->SetSize(QSize(cnstSize, cnstSize));
    m->ClearFull();
    img->FWalk->Entity = owner;
    return m;
  }
  QImage End() {
    img->FWalk->EndDraw(*img);
    painter->end();
    img->FCanvas = nullptr;
    return picture;
  }

  QImage picture;
  std::unique_ptr<QPainter> painter;
};

using DrawTargetTest = TargetTest;

TEST_F(DrawTargetTest, OwnTargetsComeFirstAndATakenPrimitiveGoesNoFurther) {
  TvxDXFLine* line = b.Place(b.Line({10, 50, 0}, {60, 50, 0}));
  RecordingTarget own;
  img->AddDrawTarget(&own);
  img->AddDrawTarget(&own);  // held once
  auto* matrix = new TvxSelectionMatrix();
  img->SetSelectionMatrix(matrix);
  img->SetMatrixMode(smEnabled);
  img->SetVisibleArea(QSize(cnstSize, cnstSize));

  // Seen in device points, and drawn on by the matrix and the canvas.
  QImage im = Draw();
  ASSERT_EQ(own.Seen, std::vector<std::string>{"Polyline"});
  EXPECT_EQ(own.LastPoints, (std::vector<QPointF>{{10, 50}, {60, 50}}));
  EXPECT_EQ(Pixel(im, 30, 50), 0x000000u);
  EXPECT_EQ(matrix->GetElementInMatrix(30, 50), line);

  // Taken: neither the hooks, nor the matrix, nor the canvas see it.
  own.Take = true;
  Recorder rec;
  im = Draw(&rec);
  EXPECT_EQ(rec.Calls, 0);
  EXPECT_EQ(CountNot(im, 0xFFFFFF), 0);
  EXPECT_EQ(matrix->GetElementInMatrix(30, 50), nullptr);

  // An export hook takes what it exports, after the own target saw it.
  own.Take = false;
  own.Seen.clear();
  im = Draw(&rec);
  EXPECT_EQ(own.Seen.size(), 1u);
  EXPECT_EQ(rec.Polylines.size(), 1u);
  EXPECT_EQ(CountNot(im, 0xFFFFFF), 0);

  // Removed: sees nothing more; the image's own targets cannot be removed.
  img->RemoveDrawTarget(&own);
  img->RemoveDrawTarget(&img->FWalk->CanvasTarget);
  own.Seen.clear();
  im = Draw();
  EXPECT_TRUE(own.Seen.empty());
  EXPECT_EQ(Pixel(im, 30, 50), 0x000000u);
}

TEST_F(DrawTargetTest, FillPathRulesDecideIslands) {
  struct Case {
    TvxFillRule Rule;
    bool SameTurn;
    bool IslandFilled;
  };
  for (const Case& c : {Case{frOddEven, false, false}, Case{frOddEven, true, false},
                        Case{frWinding, true, true}, Case{frWinding, false, false}}) {
    SCOPED_TRACE(testing::Message() << "winding " << (c.Rule == frWinding) << " same turn "
                                    << c.SameTurn);
    BeginCanvas();
    const std::vector<QPointF> pts = Ring(c.SameTurn);
    const int counts[2] = {4, 4};
    WalkFillPath(*img, pts.data(), counts, 2, c.Rule, TvxFill::Solid(0x0000FF));
    const QImage im = End();
    EXPECT_EQ(Pixel(im, 20, 50), 0x0000FFu);  // the ring
    EXPECT_EQ(Pixel(im, 50, 50), c.IslandFilled ? 0x0000FFu : 0xFFFFFFu);
    EXPECT_EQ(Pixel(im, 5, 5), 0xFFFFFFu);
  }
}

TEST_F(DrawTargetTest, GradientsRunAlongTheirAxis) {
  BeginCanvas();
  const QPointF square[4] = {{0, 0}, {100, 0}, {100, 100}, {0, 100}};
  const int four = 4;
  TvxFill fill;
  fill.Gradient = true;
  fill.Color = 0x0000FF;   // red
  fill.Color2 = 0xFF0000;  // blue
  fill.From = {0, 50};
  fill.To = {100, 50};
  WalkFillPath(*img, square, &four, 1, frOddEven, fill);
  QImage im = End();
  auto red = [&](int x) { return qRed(im.pixel(x, 50)); };
  auto blue = [&](int x) { return qBlue(im.pixel(x, 50)); };
  EXPECT_GT(red(2), 240);
  EXPECT_LT(blue(2), 15);
  EXPECT_GT(blue(97), 240);
  EXPECT_NEAR(red(50), 128, 12);
  EXPECT_NEAR(blue(50), 128, 12);

  // Cylinder: colour 1 at both ends, colour 2 in the middle.
  BeginCanvas();
  fill.Shape = gsCylinder;
  WalkFillPath(*img, square, &four, 1, frOddEven, fill);
  im = End();
  EXPECT_GT(red(2), 230);
  EXPECT_GT(red(97), 230);
  EXPECT_GT(blue(50), 230);
}

TEST_F(DrawTargetTest, AlphaBlendsOnTheCanvasAndNeverInTheMatrix) {
  TvxDXFLine* owner = b.Place(b.Line({0, 0, 0}, {1, 1, 0}));
  BeginCanvas();
  TvxSelectionMatrix* matrix = BeginMatrix(owner);
  const QPointF square[4] = {{10, 10}, {50, 10}, {50, 50}, {10, 50}};
  const int four = 4;
  WalkSetAlpha(*img, 128);
  TvxFill fill = TvxFill::Solid(0x0000FF);
  fill.Gradient = true;  // the matrix ignores gradients too
  fill.Color2 = 0x00FF00;
  fill.From = {10, 30};
  fill.To = {50, 30};
  WalkFillPath(*img, square, &four, 1, frOddEven, fill);
  WalkSetAlpha(*img, 255);
  WalkFillPath(*img, square, &four, 1, frOddEven, TvxFill::Solid(0x000000));
  const QPointF later[4] = {{60, 60}, {90, 60}, {90, 90}, {60, 90}};
  WalkSetAlpha(*img, 0);  // invisible on the canvas, still picked
  WalkFillPath(*img, later, &four, 1, frOddEven, TvxFill::Solid(0x000000));
  const QImage im = End();
  matrix->EndPaint();
  EXPECT_EQ(Pixel(im, 30, 30), 0x000000u);  // the opaque fill over the blended one
  EXPECT_EQ(Pixel(im, 75, 75), 0xFFFFFFu);
  EXPECT_EQ(matrix->ValueAt(30, 30), 0u);    // key 0: the owner, exactly
  EXPECT_EQ(matrix->ValueAt(75, 75), 0u);
  EXPECT_EQ(matrix->ValueAt(55, 55), TvxSelectionMatrix::cnstClearValue);
  EXPECT_EQ(matrix->GetElementInMatrix(75, 75), owner);

  // Half transparent red over white.
  BeginCanvas();
  WalkSetAlpha(*img, 128);
  WalkFillPath(*img, square, &four, 1, frOddEven, TvxFill::Solid(0x0000FF));
  const QImage blended = End();
  EXPECT_EQ(qRed(blended.pixel(30, 30)), 255);
  EXPECT_NEAR(qGreen(blended.pixel(30, 30)), 127, 2);
}

TEST_F(DrawTargetTest, PicturesLandOnTheirParallelogram) {
  QImage quad(2, 2, QImage::Format_RGB32);
  quad.setPixel(0, 0, qRgb(255, 0, 0));
  quad.setPixel(1, 0, qRgb(0, 255, 0));
  quad.setPixel(0, 1, qRgb(0, 0, 255));
  quad.setPixel(1, 1, qRgb(0, 0, 0));
  struct Case {
    QPointF Origin, U, V;
    QPoint Red, Green, Blue, Black, Outside;
  };
  const Case cases[] = {
      // upright, 40 x 40 from (20, 20)
      {{20, 20}, {40, 0}, {0, 40}, {30, 30}, {50, 30}, {30, 50}, {50, 50}, {70, 30}},
      // turned a quarter: the width runs down, the height to the left
      {{80, 20}, {0, 40}, {-40, 0}, {70, 30}, {70, 50}, {50, 30}, {50, 50}, {30, 30}},
      // sheared: the height leans right by 20
      {{20, 20}, {40, 0}, {20, 40}, {32, 28}, {52, 28}, {42, 52}, {62, 52}, {25, 55}},
  };
  TvxDXFLine* owner = b.Place(b.Line({0, 0, 0}, {1, 1, 0}));
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "U " << c.U.x() << "," << c.U.y());
    BeginCanvas();
    TvxSelectionMatrix* matrix = BeginMatrix(owner);
    TvxImagePlacement place;
    place.Picture = &quad;
    place.Origin = c.Origin;
    place.U = c.U;
    place.V = c.V;
    place.Smooth = false;
    WalkImage(*img, place);
    const QImage im = End();
    matrix->EndPaint();
    EXPECT_EQ(Pixel(im, c.Red.x(), c.Red.y()), 0x0000FFu);
    EXPECT_EQ(Pixel(im, c.Green.x(), c.Green.y()), 0x00FF00u);
    EXPECT_EQ(Pixel(im, c.Blue.x(), c.Blue.y()), 0xFF0000u);
    EXPECT_EQ(Pixel(im, c.Black.x(), c.Black.y()), 0x000000u);
    EXPECT_EQ(Pixel(im, c.Outside.x(), c.Outside.y()), 0xFFFFFFu);
    for (QPoint p : {c.Red, c.Green, c.Blue, c.Black}) EXPECT_EQ(matrix->ValueAt(p.x(), p.y()), 0u);
    EXPECT_EQ(matrix->ValueAt(c.Outside.x(), c.Outside.y()), TvxSelectionMatrix::cnstClearValue);
  }
}

TEST_F(DrawTargetTest, HooksExportFillsAndPicturesInWholePixels) {
  BeginCanvas();
  Recorder rec;
  rec.Attach(img->Hooks);
  std::vector<TColor> brushes;
  img->Hooks.ExpSetColor = [&](TColor c, TvxColorTarget t) {
    if (t == ctBrush) brushes.push_back(c);
  };
  QRect pictureBox;
  img->Hooks.ExpImage = [&](const QImage&, const QRect& r) { pictureBox = r; };
  const std::vector<QPointF> pts = Ring(false);
  const int counts[2] = {4, 4};
  WalkFillPath(*img, pts.data(), counts, 2, frOddEven, TvxFill::Solid(0x00FF00));
  QImage quad(2, 2, QImage::Format_RGB32);
  quad.fill(Qt::red);
  TvxImagePlacement place;
  place.Picture = &quad;
  place.Origin = {20.4, 20.6};
  place.U = {40, 0};
  place.V = {10, 30};
  WalkImage(*img, place);
  const QImage im = End();
  img->Hooks = {};
  ASSERT_EQ(rec.PolyPolygons.size(), 1u);
  EXPECT_EQ(rec.PolyPolygons[0][1], (PointRun{{30, 30}, {30, 70}, {70, 70}, {70, 30}}));
  EXPECT_EQ(brushes, std::vector<TColor>{0x00FF00});
  EXPECT_EQ(pictureBox, QRect(QPoint(20, 21), QPoint(70, 51)));
  EXPECT_EQ(CountNot(im, 0xFFFFFF), 0);
}

TEST(DevicePixelTest, RoundsAsTheViewMatrixDoes) {
  struct Case {
    QPointF In;
    QPoint Out;
  };
  for (const Case& c : {Case{{0.5, 1.5}, {0, 2}}, Case{{-2.5, 2.49}, {-2, 2}},
                        Case{{1e30, -1e30}, {16777216, -16777216}},
                        Case{{std::nan(""), 3.6}, {0, 4}}}) {
    EXPECT_EQ(DevicePixel(c.In), c.Out) << c.In.x() << "," << c.In.y();
  }
  // A box's corner pixels, whatever the corners' order.
  EXPECT_EQ(DeviceRect(QRectF(QPointF(10, 20), QPointF(4, 2))), QRect(QPoint(4, 2), QPoint(10, 20)));
}

}  // namespace
}  // namespace vx::test
