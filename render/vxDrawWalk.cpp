// The per-entity procedure of the drawing walk (DrawEntity), the step after a reference's block
// (FinishEntity), and the per-draw start and end of the walk state.
#include "render/vxDrawWalk.h"

#include "render/vxCADImage.h"
#include "render/vxSelectionMatrix.h"

namespace vx {

namespace {

bool IsComplexKind(TvxCADEntities k) {
  switch (k) {
    case ceRegion: case ceBody: case ce3DSolid: case ceIges: case ceStep: case ceBrep:
    case ceProxy:
      return true;
    default:
      return false;
  }
}

// Restores the selection mode the entity's step may have changed, however it ends.
struct TvxModeRestore {
  TvxCADImage& Img;
  TvxSelectionMode Mode;
  ~TvxModeRestore() { Img.FSelectionMode = Mode; }
};

}  // namespace

// ---- per draw ---------------------------------------------------------------------------------

void TvxDrawWalkState::BeginDraw(TvxCADImage& image) {
  Entity = nullptr;
  Handle = 0;
  Pattern = nullptr;
  PixelValid = false;
  ComplexEntity = nullptr;
  InPlaceMode = false;
  Registered = nullptr;
  Saved.clear();
  Regions.Clear();
  Regions.Push(TvxRegion());
}

void TvxDrawWalkState::EndDraw(TvxCADImage& image) {
  // Viewports and clipped references whose FinishEntity never came (the walk threw) are undone
  // innermost first, so the canvas leaves the walk as it entered it.
  while (!Saved.empty()) {
    const TvxWalkSaved s = Saved.back();
    Saved.pop_back();
    WalkRestore(image, s);
  }
  Regions.Clear();
  PixelValid = false;
  ComplexEntity = nullptr;
  InPlaceMode = false;
  Registered = nullptr;
  Entity = nullptr;
  Pattern = nullptr;
  image.FCurrentEntity = nullptr;
  // Buffers are reused from draw to draw but never kept huge.
  constexpr size_t cnstKeptRoom = 1000000;
  Points.clear();
  Counts.clear();
  if (Points.capacity() > cnstKeptRoom) Points.shrink_to_fit();
  if (Counts.capacity() > cnstKeptRoom) Counts.shrink_to_fit();
  if (image.FSelectionMatrix) image.FSelectionMatrix->EndPaint();
}

// ---- DrawEntity -------------------------------------------------------------------------------

int TvxCADImage::DrawEntity(TvxDXFEntity* entity) {
  if (!entity || !FWalk) return 0;
  TvxDrawWalkState& w = *FWalk;
  // 1. the entity, its pattern, the region stack
  w.Entity = entity;
  w.Handle = entity->GetHandle();
  FCurrentEntity = entity;
  WalkResolvePattern(*this, entity);
  if (IsIterator() && Hooks.ExpProgress) Hooks.ExpProgress(0);
  if (w.Regions.Count() == 0) w.Regions.Push(TvxRegion());
  TvxModeRestore modeRestore{*this, FSelectionMode};
  const TvxCADEntities kind = entity->EntType();

  // 2. a viewport draws its frame and sets up the clip of what is seen through it
  if (kind == ceViewport) {
    FDraw.Color = GetEntityColor(entity, FDraw.Insert);
    SetColor(FDraw.Color, ctPen, true);
    SetPenWidth(1);
    return DrawEntityByType(entity);
  }
  // 3. visibility, 4. measure, 5. on screen
  if (!WalkIsDrawable(*this, entity)) return 0;
  WalkMeasure(*this, entity);
  if (!WalkIsOnScreen(*this)) return 0;

  // 6. a tiny entity costs one pixel, and a run of them on one pixel in one colour costs one
  if (w.IRect.Right - w.IRect.Left < 1.5 && w.IRect.Bottom - w.IRect.Top < 1.5 &&
      entity->IsOnePixelOptimisationValid() && (Hooks.ExpPixel || !w.XorPen)) {
    TColor c = GetEntityColor(entity, FDraw.Insert);
    if (c == clForeground || c == clByLayer || c == clByBlock || DrawMode() == dmBlack)
      c = DefaultColor();
    const QPoint p(w.IRect.Left, w.IRect.Top);
    if (!w.PixelValid || p != w.Pixel || c != w.PixelColor) {
      WalkPixel(*this, p, c);
      w.PixelValid = true;
      w.Pixel = p;
      w.PixelColor = c;
    }
    return 0;
  }

  // 7. colour and pen width, then the kind's own step (8. the selection mode comes back on return)
  if (FExternalProps && ExternalInForce()) {
    FDraw.Color = FExternalProps->Color;
    SetColor(FDraw.Color, ctPen, true);
    SetPenWidth(FExternalProps->LineWidth);
  } else {
    FDraw.Color = GetEntityColor(entity, FDraw.Insert);
    SetColor(FDraw.Color, ctPen, true);
    ApplyLineWeight(entity);
  }
  return DrawEntityByType(entity);
}

// ---- FinishEntity -----------------------------------------------------------------------------

int TvxCADImage::FinishEntity(TvxDXFEntity* entity) {
  if (!entity || !FWalk) return 0;
  TvxDrawWalkState& w = *FWalk;
  const TvxCADEntities kind = entity->EntType();
  if (kind == ceViewport) {
    WalkFinishViewport(*this, entity);
  } else if (IsComplexKind(kind)) {
    // Every kind that can become the complex entity clears it again.
    if (w.ComplexEntity == entity) w.ComplexEntity = nullptr;
  } else {
    WalkFinishReference(*this, entity);
  }
  return 0;
}

}  // namespace vx
