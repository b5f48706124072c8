// vxRegion: clip regions of the drawing walk. TvxRegion wraps a QRegion (device pixels) with the
// walk's combination rules: an empty region means "no clip of its own", and combining with an
// empty region copies the other one (or changes nothing when the other one is empty).
// TvxRegionStack is the owning stack of the regions pushed by viewports and clipped references;
// its first entry stays empty (no clip beyond the canvas's own).
#pragma once

#include <QPainter>
#include <QPoint>
#include <QPolygon>
#include <QRegion>

#include <memory>
#include <vector>

namespace vx {

class TvxRegion {
 public:
  TvxRegion() = default;
  explicit TvxRegion(const QRegion& r) : FRegion(r) {}

  // A polygon region (Qt::OddEvenFill is the alternate rule, Qt::WindingFill the winding one);
  // fewer than 3 points give the empty region.
  void SetPolygon(const QPoint* points, int count, Qt::FillRule fillMode);
  void SetPolygon(const QPolygon& polygon, Qt::FillRule fillMode) {
    SetPolygon(polygon.constData(), static_cast<int>(polygon.size()), fillMode);
  }
  // Combine with another region by copy, exclusive or, and intersection. Each copies the other
  // region when this one is empty, and changes nothing when the other one is empty.
  void CopyFrom(const TvxRegion& other);
  void Exclude(const TvxRegion& other);
  void Intersect(const TvxRegion& other);
  // Takes the canvas's current clip region (empty when it has none); true when there was one.
  bool Update(const QPainter* canvas);
  // Makes the region the canvas's clip (no clip when it is empty).
  void Select(QPainter* canvas) const;
  // Shifts the region by the canvas's logical-to-device origin.
  void Offset(const QPainter* canvas);
  void Translate(int dx, int dy) { FRegion.translate(dx, dy); }
  // Whether the region is non-empty.
  bool HandleAllocated() const { return !FRegion.isEmpty(); }
  void Assign(const TvxRegion& other) { FRegion = other.FRegion; }
  void Assign(const QPainter* canvas) { Update(canvas); }
  void Clear() { FRegion = QRegion(); }

  const QRegion& Region() const { return FRegion; }
  void SetRegion(const QRegion& r) { FRegion = r; }

 private:
  QRegion FRegion;
};

class TvxRegionStack {
 public:
  // Adds a region that copies the given one, except that the first entry stays empty.
  TvxRegion& Push(const TvxRegion& region);
  // Removes the top entry; nothing on an empty stack.
  void Pop();
  // The top region, or nil on an empty stack.
  TvxRegion* Top() const { return FItems.empty() ? nullptr : FItems.back().get(); }
  // The top region's clip when it has one; nil otherwise (no clip of its own, or no entry).
  const QRegion* Handle() const;
  int Count() const { return static_cast<int>(FItems.size()); }
  void Clear() { FItems.clear(); }

 private:
  std::vector<std::unique_ptr<TvxRegion>> FItems;
};

}  // namespace vx
