// vxSelectionMatrix: the picking bitmap. While the CAD image draws, every primitive is drawn a
// second time into a hidden 32-bit image in a key colour: the index of the entity (element) that
// owns it. Finding the entity under the mouse is then a look-up of pixel values.
//
// Offers TvxSelectionMatrix: sizing and clearing (whole or a rectangle), element registration
// (AddElement: the key colour becomes the new element's index), the overflow test (more than
// 0xFFFFFE elements), the changed flag, a painter bound to the bitmap (antialiasing off, so key
// colours are never blended), a stack of clip regions for viewports, the text key colour, and
// the look-up of the element at a pixel.
#pragma once

#include <QImage>
#include <QPainter>
#include <QPoint>
#include <QRect>
#include <QRegion>
#include <QSize>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace vx {

class TvxDXFEntity;

enum class TvxTypeElement : uint8_t { teEntity, teMarker };
using enum TvxTypeElement;

// How the element near a pixel is found: the pixel alone, a square spiral out to the precision, or
// the most filled value of the square around the pixel (the rule below).
enum TvxSearchMode : uint8_t { smPoint, smSnail, smFillability };

// How a viewport's outline goes into the matrix: as its edge, or filled (the whole viewport picks
// the viewport).
enum class TvxViewPortMode : uint8_t { vmEdge, vmFill };
using enum TvxViewPortMode;

class TvxSelectionMatrix {
 public:
  // Pixels that hold no element.
  static constexpr uint32_t cnstClearValue = 0xFFFFFF;
  // More elements than this cannot be told apart from the clear value.
  static constexpr int cnstMaxElements = 0xFFFFFE;

  TvxSelectionMatrix();
  virtual ~TvxSelectionMatrix();
  TvxSelectionMatrix(const TvxSelectionMatrix&) = delete;
  TvxSelectionMatrix& operator=(const TvxSelectionMatrix&) = delete;

  // ---- the bitmap ----
  // Resizes the bitmap (contents are cleared when the size changes); negative sizes give 0.
  void SetSize(const QSize& size);
  QSize GetSize() const { return FBitMap.size(); }
  const QImage& Image() const { return FBitMap; }
  // Empties the element list and clears the whole bitmap.
  void ClearFull();
  // Fills the rectangle with the clear value.
  void ClearRect(const QRect& rect);

  // ---- elements ----
  // Registers an entity (or, with nil, keeps drawing in the current key colour); the key colour
  // becomes the index of the last element.
  void AddElement(TvxDXFEntity* item, TvxTypeElement type = teEntity);
  int ElementCount() const { return static_cast<int>(FEntities.size()); }
  // The entity of element i; nil for markers, for nil elements and out of range.
  TvxDXFEntity* Element(int i) const;
  // The number of elements (the next index).
  int GetCurrColor() const { return ElementCount(); }
  // The key colour primitives are drawn in now (the last element's index; clear before any).
  uint32_t KeyColor() const { return FKeyColor; }
  bool IsOverflow() const { return ElementCount() > cnstMaxElements; }

  // Set by every primitive drawn into the bitmap; the holder clears it when it has looked.
  bool IsChanged() const { return FChanged; }
  void SetChanged(bool v) { FChanged = v; }

  // ---- drawing into the bitmap ----
  // A painter on the bitmap in the key colour (solid pen and brush, no antialiasing), begun on
  // first use; EndPaint ends it (before the bitmap is read or resized).
  QPainter* Painter();
  void EndPaint();
  bool IsPainting() const { return FPainter != nullptr; }
  // The pen and brush take the current key colour again (after AddElement, or after someone
  // changed the painter's state).
  void Changed();
  // The key colour of texts (kept for the text step).
  void SetFontColor(uint32_t c) { FFontColor = c; }
  uint32_t GetFontColor() const { return FFontColor; }

  // ---- clip regions (viewports) ----
  // The bitmap's clip; an empty region means none.
  void SetClipRegion(const QRegion& r);
  const QRegion& ClipRegion() const { return FClip; }
  void SaveClipRGN();
  // Pops the last saved clip; nothing when none was saved.
  void RestoreClipRGN();
  int SavedClipCount() const { return static_cast<int>(FRegions.size()); }

  TvxViewPortMode ViewPortMode() const { return FViewPortMode; }
  void SetViewPortMode(TvxViewPortMode m) { FViewPortMode = m; }
  int Precision() const { return FPrecision; }
  // A negative value restores the default 3; the radius is kept within 255 pixels.
  void SetPrecision(int p) { FPrecision = p < 0 ? 3 : std::min(p, 255); }

  // ---- look-up ----
  // The raw key value at a pixel (the clear value outside the bitmap).
  uint32_t ValueAt(int x, int y) const;
  // The element at the pixel or near it by the search mode; nil when none, and always nil while
  // the matrix is overflowed (its keys are ambiguous then). Points off the bitmap read as clear.
  TvxDXFEntity* GetElementInMatrix(int x, int y);
  // Every element met in the square of side 2 x precision + 1 around the pixel, column by column,
  // without repeats when unique.
  std::vector<TvxDXFEntity*> GetElements(int x, int y, bool unique);
  TvxSearchMode SearchMode() const { return FSearchMode; }
  void SetSearchMode(TvxSearchMode m) { FSearchMode = m; }
  QPoint PointByEntity() const { return FPointByEntity; }

 private:
  void ApplyClip();
  bool Spiral(int x, int y, const std::function<bool(uint32_t)>& hit, QPoint& at) const;

  QImage FBitMap;
  std::vector<TvxDXFEntity*> FEntities;           // element i has key colour i
  std::unique_ptr<std::vector<bool>> FMarkers;    // created on the first marker element
  std::unique_ptr<QPainter> FPainter;
  uint32_t FKeyColor = cnstClearValue;
  uint32_t FFontColor = cnstClearValue;
  bool FChanged = false;
  QRegion FClip;
  std::vector<QRegion> FRegions;
  TvxViewPortMode FViewPortMode = vmEdge;
  int FPrecision = 3;
  TvxSearchMode FSearchMode = smFillability;
  QPoint FPointByEntity;
};

}  // namespace vx
