// The selection matrix's look-up: the fillability winner rule, the point and spiral searches,
// precision, key colours that round-trip, points off the bitmap, and the overflowed matrix.
#include "test_walk_fixture.h"

#include <QPainter>

namespace vx::test {
namespace {

class SelectionMatrixTest : public WalkTest {
 protected:
  // A 40 x 40 matrix with n registered entities (lines placed far off, never drawn here).
  void Make(int n) {
    m.SetSize(QSize(40, 40));
    m.ClearFull();
    for (int i = 0; i < n; ++i) {
      ents.push_back(b.Place(b.Line({0, 0, 0}, {1, double(i + 1), 0})));
      m.AddElement(ents.back());
    }
  }
  void Fill(const QRect& r, uint32_t key) {
    QPainter* p = m.Painter();
    p->fillRect(r, QColor::fromRgb(0xFF000000u | key));
  }
  TvxSelectionMatrix m;
  std::vector<TvxDXFEntity*> ents;
};

TEST_F(SelectionMatrixTest, FillabilityFavoursTheThinElementMetAfterTheFill) {
  Make(2);
  Fill(QRect(0, 0, 40, 40), 0);   // a solid fill: element 0
  Fill(QRect(20, 0, 1, 40), 1);   // a vertical line over it: element 1
  struct Case {
    int X;
    int Want;  // -1: nothing
  };
  const Case cases[] = {
      {20, 1},  // on the line: the fill is met first and holds more; the line wins
      {23, 0},  // the line in the window's leftmost column: met first, so the fill wins
      {17, 1},  // the line in the rightmost column: met last, the line wins
      {10, 0},  // only the fill around
      {30, 0},
  };
  for (const Case& c : cases) {
    TvxDXFEntity* got = m.GetElementInMatrix(c.X, 10);
    EXPECT_EQ(got, c.Want < 0 ? nullptr : ents[static_cast<size_t>(c.Want)]) << c.X;
  }
  // the winner's pixel met first by the spiral from the point (right 1, down 1, left 2, up 2,
  // right 3 reaches (20, 9))
  m.GetElementInMatrix(18, 10);
  EXPECT_EQ(m.PointByEntity(), QPoint(20, 9));
}

TEST_F(SelectionMatrixTest, ClearAndForeignValuesAreNotElements) {
  Make(1);
  Fill(QRect(5, 5, 1, 1), 0);
  Fill(QRect(6, 5, 3, 3), 0x123456);  // no such element
  EXPECT_EQ(m.GetElementInMatrix(6, 6), ents[0]);
  EXPECT_EQ(m.GetElementInMatrix(30, 30), nullptr);
  EXPECT_EQ(m.PointByEntity(), QPoint(0, 0));
  // a key colour reads back exactly
  Fill(QRect(0, 0, 1, 1), 0x123456);
  m.EndPaint();
  EXPECT_EQ(m.ValueAt(0, 0), 0x123456u);
}

TEST_F(SelectionMatrixTest, SearchModesAndPrecision) {
  Make(1);
  Fill(QRect(10, 10, 1, 1), 0);
  m.SetSearchMode(smPoint);
  EXPECT_EQ(m.GetElementInMatrix(10, 10), ents[0]);
  EXPECT_EQ(m.GetElementInMatrix(11, 10), nullptr);
  m.SetSearchMode(smSnail);
  EXPECT_EQ(m.GetElementInMatrix(12, 11), ents[0]);
  EXPECT_EQ(m.PointByEntity(), QPoint(10, 10));
  EXPECT_EQ(m.GetElementInMatrix(15, 10), nullptr);  // beyond the precision
  m.SetSearchMode(smFillability);
  m.SetPrecision(1);  // under 2: the pixel alone
  EXPECT_EQ(m.GetElementInMatrix(11, 10), nullptr);
  m.SetPrecision(-4);
  EXPECT_EQ(m.Precision(), 3);
  EXPECT_EQ(m.GetElementInMatrix(13, 13), ents[0]);
  EXPECT_EQ(m.GetElements(11, 11, true), std::vector<TvxDXFEntity*>{ents[0]});
}

TEST_F(SelectionMatrixTest, PointsOffTheBitmapAndOverflowFindNothing) {
  Make(1);
  Fill(QRect(0, 0, 2, 2), 0);
  EXPECT_EQ(m.GetElementInMatrix(-2, -2), ents[0]);  // the window reaches into the bitmap
  for (QPoint p : {QPoint(-100, 5), QPoint(5, 5000), QPoint(2147483647, 0), QPoint(0, -2147483647 - 1)})
    EXPECT_EQ(m.GetElementInMatrix(p.x(), p.y()), nullptr) << p.x() << "," << p.y();
  m.SetSearchMode(smSnail);
  EXPECT_EQ(m.GetElementInMatrix(2147483647, 2147483647), nullptr);
}

}  // namespace
}  // namespace vx::test
