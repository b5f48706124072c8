// Clip regions of the drawing walk and their stack.
#include "render/vxRegion.h"

#include <QTransform>

namespace vx {

void TvxRegion::SetPolygon(const QPoint* points, int count, Qt::FillRule fillMode) {
  if (!points || count < 3) {
    FRegion = QRegion();
    return;
  }
  FRegion = QRegion(QPolygon(QList<QPoint>(points, points + count)), fillMode);
}

void TvxRegion::CopyFrom(const TvxRegion& other) {
  if (!other.HandleAllocated()) return;
  FRegion = other.FRegion;
}

void TvxRegion::Exclude(const TvxRegion& other) {
  if (!other.HandleAllocated()) return;
  FRegion = HandleAllocated() ? FRegion.xored(other.FRegion) : other.FRegion;
}

void TvxRegion::Intersect(const TvxRegion& other) {
  if (!other.HandleAllocated()) return;
  FRegion = HandleAllocated() ? FRegion.intersected(other.FRegion) : other.FRegion;
}

bool TvxRegion::Update(const QPainter* canvas) {
  if (!canvas || !canvas->isActive() || !canvas->hasClipping()) {
    FRegion = QRegion();
    return false;
  }
  // The painter keeps its clip in logical coordinates; regions here are device pixels.
  FRegion = canvas->deviceTransform().map(canvas->clipRegion());
  return true;
}

void TvxRegion::Select(QPainter* canvas) const {
  if (!canvas || !canvas->isActive()) return;
  if (!HandleAllocated()) {
    canvas->setClipping(false);
    return;
  }
  bool invertible = false;
  const QTransform inv = canvas->deviceTransform().inverted(&invertible);
  canvas->setClipRegion(invertible ? inv.map(FRegion) : FRegion);
}

void TvxRegion::Offset(const QPainter* canvas) {
  if (!canvas || !canvas->isActive()) return;
  const QTransform t = canvas->deviceTransform();
  FRegion.translate(static_cast<int>(t.dx()), static_cast<int>(t.dy()));
}

TvxRegion& TvxRegionStack::Push(const TvxRegion& region) {
  auto r = std::make_unique<TvxRegion>();
  if (!FItems.empty()) r->Assign(region);
  FItems.push_back(std::move(r));
  return *FItems.back();
}

void TvxRegionStack::Pop() {
  if (!FItems.empty()) FItems.pop_back();
}

const QRegion* TvxRegionStack::Handle() const {
  const TvxRegion* top = Top();
  return top && top->HandleAllocated() ? &top->Region() : nullptr;
}

}  // namespace vx
