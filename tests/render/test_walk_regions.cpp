// Clip regions and their stack, and the selection matrix on its own.
#include "render/vxRegion.h"
#include "render/vxSelectionMatrix.h"
#include "test_walk_fixture.h"

namespace vx::test {
namespace {

TvxRegion Rect(int x, int y, int w, int h) { return TvxRegion(QRegion(x, y, w, h)); }

TEST(WalkRegion, EmptyMeansNoClipAndCombinesByCopy) {
  TvxRegion empty;
  EXPECT_FALSE(empty.HandleAllocated());
  // combining an empty region with another copies the other one
  for (int op = 0; op < 3; ++op) {
    TvxRegion r;
    const TvxRegion other = Rect(0, 0, 10, 10);
    if (op == 0) r.CopyFrom(other);
    if (op == 1) r.Exclude(other);
    if (op == 2) r.Intersect(other);
    EXPECT_EQ(r.Region(), other.Region()) << op;
  }
  // combining with an empty region changes nothing
  TvxRegion r = Rect(0, 0, 10, 10);
  r.Intersect(empty);
  r.Exclude(empty);
  r.CopyFrom(empty);
  EXPECT_EQ(r.Region(), QRegion(0, 0, 10, 10));
  // Exclude is the exclusive or, Intersect the common part
  TvxRegion x = Rect(0, 0, 10, 10);
  x.Exclude(Rect(5, 0, 10, 10));
  EXPECT_EQ(x.Region(), QRegion(0, 0, 5, 10).united(QRegion(10, 0, 5, 10)));
  TvxRegion i = Rect(0, 0, 10, 10);
  i.Intersect(Rect(5, 0, 10, 10));
  EXPECT_EQ(i.Region(), QRegion(5, 0, 5, 10));
}

TEST(WalkRegion, PolygonsFillByTheAlternateRule) {
  // a five-pointed star: its centre is outside by the alternate rule, inside by winding
  const QPoint star[5]{{50, 0}, {80, 90}, {5, 35}, {95, 35}, {20, 90}};
  TvxRegion alt, wind;
  alt.SetPolygon(star, 5, Qt::OddEvenFill);
  wind.SetPolygon(star, 5, Qt::WindingFill);
  EXPECT_FALSE(alt.Region().contains(QPoint(50, 50)));
  EXPECT_TRUE(wind.Region().contains(QPoint(50, 50)));
  TvxRegion two;
  two.SetPolygon(star, 2, Qt::OddEvenFill);
  EXPECT_FALSE(two.HandleAllocated());
}

TEST(WalkRegion, SelectAndUpdateGoThroughTheCanvas) {
  EnsureGuiApp();
  QImage im(20, 20, QImage::Format_RGB32);
  QPainter p(&im);
  TvxRegion got;
  EXPECT_FALSE(got.Update(&p));  // no clip yet
  Rect(2, 2, 5, 5).Select(&p);
  EXPECT_TRUE(got.Update(&p));
  EXPECT_EQ(got.Region(), QRegion(2, 2, 5, 5));
  TvxRegion().Select(&p);  // empty: no clip at all
  EXPECT_FALSE(p.hasClipping());
}

TEST(WalkRegionStack, FirstEntryStaysEmptyAndPushesCopy) {
  TvxRegionStack s;
  EXPECT_EQ(s.Top(), nullptr);
  EXPECT_EQ(s.Handle(), nullptr);
  s.Push(Rect(0, 0, 10, 10));
  EXPECT_FALSE(s.Top()->HandleAllocated());  // the base entry: no clip of its own
  EXPECT_EQ(s.Handle(), nullptr);
  TvxRegion given = Rect(1, 1, 3, 3);
  s.Push(given);
  given.Clear();  // the stack keeps its own copy
  ASSERT_NE(s.Handle(), nullptr);
  EXPECT_EQ(*s.Handle(), QRegion(1, 1, 3, 3));
  s.Pop();
  s.Pop();
  s.Pop();  // popping an empty stack does nothing
  EXPECT_EQ(s.Count(), 0);
}

TEST(WalkSelectionMatrix, KeysElementsAndLookUp) {
  EnsureGuiApp();
  TvxSelectionMatrix m;
  m.SetSize(QSize(30, 30));
  EXPECT_EQ(m.GetCurrColor(), 0);
  EXPECT_EQ(m.ValueAt(5, 5), TvxSelectionMatrix::cnstClearValue);
  auto* a = reinterpret_cast<TvxDXFEntity*>(0x1000);
  auto* c = reinterpret_cast<TvxDXFEntity*>(0x2000);
  m.AddElement(a);
  m.Painter()->drawLine(0, 5, 29, 5);
  m.AddElement(c);
  m.Painter()->fillRect(QRect(20, 20, 5, 5), m.Painter()->brush());
  m.AddElement(nullptr);  // keeps drawing in c's colour
  m.Painter()->drawPoint(0, 29);
  EXPECT_EQ(m.KeyColor(), 1u);
  EXPECT_EQ(m.ElementCount(), 2);
  EXPECT_EQ(m.ValueAt(10, 5), 0u);
  EXPECT_EQ(m.GetElementInMatrix(10, 5), a);
  EXPECT_EQ(m.GetElementInMatrix(10, 7), a);  // within the precision around the pixel
  EXPECT_EQ(m.GetElementInMatrix(22, 22), c);
  EXPECT_EQ(m.GetElementInMatrix(12, 15), nullptr);
  EXPECT_EQ(m.GetElementInMatrix(-100, 500), nullptr);  // outside the bitmap
  m.ClearRect(QRect(0, 0, 30, 10));
  EXPECT_EQ(m.GetElementInMatrix(10, 5), nullptr);
  m.ClearFull();
  EXPECT_EQ(m.ElementCount(), 0);
  EXPECT_EQ(m.GetElementInMatrix(22, 22), nullptr);
  EXPECT_FALSE(m.IsOverflow());
}

TEST(WalkSelectionMatrix, ClipStackPairs) {
  EnsureGuiApp();
  TvxSelectionMatrix m;
  m.SetSize(QSize(10, 10));
  m.SaveClipRGN();
  m.SetClipRegion(QRegion(0, 0, 5, 5));
  m.AddElement(reinterpret_cast<TvxDXFEntity*>(0x10));
  m.Painter()->fillRect(QRect(0, 0, 10, 10), m.Painter()->brush());
  EXPECT_EQ(m.ValueAt(2, 2), 0u);
  EXPECT_EQ(m.ValueAt(7, 7), TvxSelectionMatrix::cnstClearValue);  // clipped away
  m.RestoreClipRGN();
  m.RestoreClipRGN();  // one more than saved: nothing happens
  EXPECT_TRUE(m.ClipRegion().isEmpty());
  m.Painter()->fillRect(QRect(0, 0, 10, 10), m.Painter()->brush());
  EXPECT_EQ(m.ValueAt(7, 7), 0u);
}

}  // namespace
}  // namespace vx::test
