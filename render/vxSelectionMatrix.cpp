// The picking bitmap: key colours, clearing, clip stack and the look-up around a pixel.
#include "render/vxSelectionMatrix.h"

#include <algorithm>
#include <utility>

namespace vx {

namespace {

QColor KeyToColor(uint32_t key) { return QColor::fromRgb(0xFF000000u | (key & 0xFFFFFFu)); }

}  // namespace

TvxSelectionMatrix::TvxSelectionMatrix() : FBitMap(0, 0, QImage::Format_RGB32) {}

TvxSelectionMatrix::~TvxSelectionMatrix() { EndPaint(); }

void TvxSelectionMatrix::SetSize(const QSize& size) {
  const QSize s(std::max(0, size.width()), std::max(0, size.height()));
  if (s == FBitMap.size()) return;
  EndPaint();
  FBitMap = QImage(s, QImage::Format_RGB32);
  FBitMap.fill(KeyToColor(cnstClearValue));
}

void TvxSelectionMatrix::ClearFull() {
  FEntities.clear();
  FMarkers.reset();
  FKeyColor = cnstClearValue;
  ClearRect(FBitMap.rect());
  if (FPainter) Changed();
}

void TvxSelectionMatrix::ClearRect(const QRect& rect) {
  const QRect r = rect.intersected(FBitMap.rect());
  if (r.isEmpty()) return;
  if (FPainter) {
    // The clip must not keep the clearing out.
    FPainter->save();
    FPainter->setClipping(false);
    FPainter->fillRect(r, KeyToColor(cnstClearValue));
    FPainter->restore();
  } else {
    for (int y = r.top(); y <= r.bottom(); ++y) {
      auto* line = reinterpret_cast<QRgb*>(FBitMap.scanLine(y));
      std::fill(line + r.left(), line + r.right() + 1, 0xFF000000u | cnstClearValue);
    }
  }
}

void TvxSelectionMatrix::AddElement(TvxDXFEntity* item, TvxTypeElement type) {
  if (item) {
    if (type == teMarker) {
      if (!FMarkers) FMarkers = std::make_unique<std::vector<bool>>(FEntities.size(), false);
      FEntities.push_back(item);
      FMarkers->push_back(true);
    } else {
      FEntities.push_back(item);
      if (FMarkers) FMarkers->push_back(false);
    }
  }
  FKeyColor = FEntities.empty() ? cnstClearValue
                                : static_cast<uint32_t>(FEntities.size() - 1) & 0xFFFFFFu;
  Changed();
}

TvxDXFEntity* TvxSelectionMatrix::Element(int i) const {
  if (i < 0 || i >= ElementCount()) return nullptr;
  if (FMarkers && (*FMarkers)[static_cast<size_t>(i)]) return nullptr;
  return FEntities[static_cast<size_t>(i)];
}

QPainter* TvxSelectionMatrix::Painter() {
  if (!FPainter && !FBitMap.isNull()) {
    FPainter = std::make_unique<QPainter>(&FBitMap);
    FPainter->setRenderHint(QPainter::Antialiasing, false);
    FPainter->setRenderHint(QPainter::TextAntialiasing, false);
    ApplyClip();
    Changed();
  }
  return FPainter.get();
}

void TvxSelectionMatrix::EndPaint() {
  if (FPainter) FPainter->end();
  FPainter.reset();
}

void TvxSelectionMatrix::Changed() {
  if (!FPainter) return;
  QPen pen(KeyToColor(FKeyColor));
  pen.setWidth(1);
  pen.setCapStyle(Qt::FlatCap);
  pen.setJoinStyle(Qt::MiterJoin);
  FPainter->setPen(pen);
  FPainter->setBrush(QBrush(KeyToColor(FKeyColor)));
}

void TvxSelectionMatrix::SetClipRegion(const QRegion& r) {
  FClip = r;
  ApplyClip();
}

void TvxSelectionMatrix::ApplyClip() {
  if (!FPainter) return;
  if (FClip.isEmpty())
    FPainter->setClipping(false);
  else
    FPainter->setClipRegion(FClip);
}

void TvxSelectionMatrix::SaveClipRGN() { FRegions.push_back(FClip); }

void TvxSelectionMatrix::RestoreClipRGN() {
  if (FRegions.empty()) return;
  FClip = std::move(FRegions.back());
  FRegions.pop_back();
  ApplyClip();
}

uint32_t TvxSelectionMatrix::ValueAt(int x, int y) const {
  if (!FBitMap.valid(x, y)) return cnstClearValue;
  return FBitMap.pixel(x, y) & 0xFFFFFFu;
}

// A square spiral from (x, y): one step right, one down, two left, two up, three right, ...,
// until a pixel's value satisfies hit or the spiral is the precision away on the X axis.
bool TvxSelectionMatrix::Spiral(int x, int y, const std::function<bool(uint32_t)>& hit,
                                QPoint& at) const {
  static constexpr int cnstDx[4] = {1, 0, -1, 0}, cnstDy[4] = {0, 1, 0, -1};
  int cx = x, cy = y, dir = 0;
  if (hit(ValueAt(cx, cy))) {
    at = {cx, cy};
    return true;
  }
  for (int run = 1; std::abs(cx - x) <= FPrecision; ++run)
    for (int twice = 0; twice < 2; ++twice, dir = (dir + 1) % 4)
      for (int k = 0; k < run; ++k) {
        cx += cnstDx[dir];
        cy += cnstDy[dir];
        if (std::abs(cx - x) > FPrecision) return false;
        if (hit(ValueAt(cx, cy))) {
          at = {cx, cy};
          return true;
        }
      }
  return false;
}

TvxDXFEntity* TvxSelectionMatrix::GetElementInMatrix(int x, int y) {
  FPointByEntity = QPoint(0, 0);
  // far off the bitmap (and away from integer overflow): nothing there
  constexpr int cnstFar = 1 << 28;
  if (IsOverflow() || x > cnstFar || x < -cnstFar || y > cnstFar || y < -cnstFar) return nullptr;
  const bool painting = IsPainting();
  if (painting) EndPaint();  // the pixels are read from the image itself
  auto valid = [this](uint32_t v) { return v < static_cast<uint32_t>(ElementCount()); };
  uint32_t found = cnstClearValue;
  if (FPrecision < 2 || FSearchMode == smPoint) {
    found = ValueAt(x, y);
  } else if (FSearchMode == smSnail) {
    QPoint at;
    if (Spiral(x, y, valid, at)) {
      found = ValueAt(at.x(), at.y());
      FPointByEntity = at;
    }
  } else {
    // Count each value in the square around the pixel, in the order first met.
    std::vector<std::pair<uint32_t, int>> counts;
    for (int cx = x - FPrecision; cx <= x + FPrecision; ++cx)
      for (int cy = y - FPrecision; cy <= y + FPrecision; ++cy) {
        const uint32_t v = ValueAt(cx, cy);
        if (!valid(v)) continue;
        auto it = std::find_if(counts.begin(), counts.end(),
                               [v](const auto& c) { return c.first == v; });
        if (it == counts.end())
          counts.emplace_back(v, 1);
        else
          ++it->second;
      }
    if (counts.size() == 1) {
      found = counts.front().first;
    } else if (!counts.empty()) {
      // From the last entry to the first: the best before the last replacement wins, which
      // favours a thin element lying over a filled one.
      int best = -1, earlier = -1;
      for (int i = static_cast<int>(counts.size()) - 1; i >= 0; --i)
        if (best < 0 || counts[static_cast<size_t>(i)].second >
                            counts[static_cast<size_t>(best)].second) {
          earlier = best;
          best = i;
        }
      found = counts[static_cast<size_t>(earlier >= 0 ? earlier : best)].first;
    }
    // The winner's pixel nearest to the point, met by the spiral.
    QPoint at;
    if (valid(found) && Spiral(x, y, [found](uint32_t v) { return v == found; }, at))
      FPointByEntity = at;
  }
  if (painting) Painter();
  return valid(found) ? Element(static_cast<int>(found)) : nullptr;
}

std::vector<TvxDXFEntity*> TvxSelectionMatrix::GetElements(int x, int y, bool unique) {
  std::vector<TvxDXFEntity*> out;
  constexpr int cnstFar = 1 << 28;
  if (IsOverflow() || x > cnstFar || x < -cnstFar || y > cnstFar || y < -cnstFar) return out;
  const bool painting = IsPainting();
  if (painting) EndPaint();
  std::vector<uint32_t> seen;
  for (int cx = x - FPrecision; cx <= x + FPrecision; ++cx)
    for (int cy = y - FPrecision; cy <= y + FPrecision; ++cy) {
      const uint32_t v = ValueAt(cx, cy);
      if (v >= static_cast<uint32_t>(ElementCount())) continue;
      if (unique) {
        if (std::find(seen.begin(), seen.end(), v) != seen.end()) continue;
        seen.push_back(v);
      }
      out.push_back(Element(static_cast<int>(v)));
    }
  if (painting) Painter();
  return out;
}

}  // namespace vx
