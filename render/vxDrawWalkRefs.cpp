// References, viewports and complex entities: what they register for picking, the clip regions
// they push for what is drawn through them, and the paired restores after their walk.
#include "render/vxDrawWalk.h"

#include "database/entities/vxEntCurves.h"
#include "database/blocks/vxInserts.h"
#include "database/layouts/vxViewports.h"
#include "render/vxCADImage.h"
#include "render/vxSelectionMatrix.h"

namespace vx {

namespace {

// The clip outline of a clipped reference in the coordinates of its parent; empty when the
// reference clips nothing.
std::vector<TFPoint> ReferenceClip(TvxDXFEntity* e) {
  std::vector<TFPoint> out;
  if (auto* clip = dynamic_cast<TvxCADClipInsert*>(e)) {
    const TFRect b = clip->ClipBox();
    if (!IsBadBox(b))
      out = {{b.Left, b.Bottom, 0}, {b.Right, b.Bottom, 0}, {b.Right, b.Top, 0}, {b.Left, b.Top, 0}};
    return out;
  }
  auto* ins = dynamic_cast<TvxDXFInsert*>(e);
  const TvxCADSpatialFilter* filter = ins ? ins->SpatialFilter() : nullptr;
  if (!filter || filter->Bounds.size() < 2) return out;
  std::vector<TFPoint> bounds = filter->Bounds;
  if (bounds.size() == 2) {
    const TFPoint a = bounds[0], b = bounds[1];
    bounds = {a, {b.X, a.Y, 0}, {b.X, b.Y, 0}, {a.X, b.Y, 0}};
  }
  // as the reference computes its own box from the boundary
  const TFMatrix m = MultiplyMatrix(filter->InvBlkTransform, ins->GetMatrix());
  const TFMatrix t = TransposeMatrix3(filter->Clip);
  for (const TFPoint& q : bounds)
    out.push_back(AddFPoint(TransformVector(TransformPoint(q, m), t), filter->Clipbdorg));
  return out;
}

// Saves the canvas (and, when picking, the matrix clip) into a new record.
TvxWalkSaved& SaveState(TvxCADImage& img, TvxDXFEntity* e, bool wholeCanvas) {
  TvxDrawWalkState& w = *img.FWalk;
  TvxWalkSaved s;
  s.Entity = e;
  if (QPainter* c = img.FCanvas; c && c->isActive()) {
    s.CanvasSaved = true;
    s.Viewport = wholeCanvas;
    s.Pen = c->pen();
    s.Brush = c->brush();
    s.Font = c->font();
    s.HadClip = c->hasClipping();
    if (s.HadClip) s.Clip = c->clipRegion();
  }
  s.ColorPen = img.FColorPen;
  s.ColorBrush = img.FColorBrush;
  s.ColorFont = img.FColorFont;
  s.PenWidth = img.FPenWidth;
  if (WalkPickingActive(img)) {
    img.FSelectionMatrix->SaveClipRGN();
    s.MatrixClipSaved = true;
  }
  w.Saved.push_back(std::move(s));
  return w.Saved.back();
}

// Pushes the region of a device outline (within the clip already in force) and selects it.
void PushClip(TvxCADImage& img, TvxWalkSaved& s, const QPolygon& outline) {
  TvxDrawWalkState& w = *img.FWalk;
  TvxRegion r;
  r.SetPolygon(outline, Qt::OddEvenFill);
  QRegion region = r.Region();
  // Nested clips only ever narrow what is seen.
  if (const QRegion* top = w.Regions.Handle()) region = region.intersected(*top);
  if (s.CanvasSaved && s.HadClip) region = region.intersected(s.Clip);
  if (region.isEmpty()) region = QRegion(QRect(QPoint(-2, -2), QSize(1, 1)));  // nothing shows
  w.Regions.Push(TvxRegion(region));
  s.RegionPushed = true;
  if (img.Hooks.ExpClipRgn) img.Hooks.ExpClipRgn(region);
  if (img.FCanvas && img.FCanvas->isActive()) TvxRegion(region).Select(img.FCanvas);
  if (s.MatrixClipSaved) img.FSelectionMatrix->SetClipRegion(region);
}

QPolygon MapOutline(TvxCADImage& img, const std::vector<TFPoint>& pts) {
  QPolygon poly;
  for (const TFPoint& p : pts) poly.append(img.GetPoint(p));
  return poly;
}

}  // namespace

void WalkRestore(TvxCADImage& img, const TvxWalkSaved& s) {
  TvxDrawWalkState& w = *img.FWalk;
  if (s.RegionPushed && w.Regions.Count() > 1) w.Regions.Pop();
  if (s.CanvasSaved && img.FCanvas && img.FCanvas->isActive()) {
    QPainter* c = img.FCanvas;
    if (s.Viewport) {
      c->setPen(s.Pen);
      c->setBrush(s.Brush);
      c->setFont(s.Font);
      img.FColorPen = s.ColorPen;
      img.FColorBrush = s.ColorBrush;
      img.FColorFont = s.ColorFont;
      img.FPenWidth = s.PenWidth;
    }
    if (s.HadClip)
      c->setClipRegion(s.Clip);
    else
      c->setClipping(false);
  }
  if (s.MatrixClipSaved && img.FSelectionMatrix) img.FSelectionMatrix->RestoreClipRGN();
  if (img.Hooks.ExpClipRgn && s.RegionPushed) {
    const QRegion* top = w.Regions.Handle();
    img.Hooks.ExpClipRgn(top ? *top : QRegion());
  }
}

// ---- references -------------------------------------------------------------------------------

int WalkDrawReference(TvxCADImage& img, TvxDXFEntity* e) {
  TvxDrawWalkState& w = *img.FWalk;
  if (!e->GetBlock()) {
    if (img.FSelectionMatrix && !img.IsIterator()) WalkRegisterEntity(img, e);
    return 0;
  }
  if (w.InPlaceReference && e == w.InPlaceReference) w.InPlaceMode = true;
  if (img.FSelectionMatrix && !img.IsIterator()) WalkRegisterEntity(img, e);
  const std::vector<TFPoint> clip = ReferenceClip(e);
  if (clip.size() >= 3) {
    TvxWalkSaved& s = SaveState(img, e, false);
    PushClip(img, s, MapOutline(img, clip));
  }
  return 1;
}

void WalkFinishReference(TvxCADImage& img, TvxDXFEntity* e) {
  TvxDrawWalkState& w = *img.FWalk;
  if (w.InPlaceReference && e == w.InPlaceReference) w.InPlaceMode = false;
  if (!w.Saved.empty() && w.Saved.back().Entity == e && !w.Saved.back().Viewport) {
    const TvxWalkSaved s = w.Saved.back();
    w.Saved.pop_back();
    WalkRestore(img, s);
  }
}

// ---- viewports --------------------------------------------------------------------------------

int WalkDrawViewport(TvxCADImage& img, TvxDXFEntity* e) {
  auto* vp = dynamic_cast<TvxDXFViewport*>(e);
  if (!vp || !vp->IsDraw()) return 0;
  // The layout's overall viewport (status 1 or id 1, showing no model space) is the sheet
  // itself: it has no frame to draw.
  const bool sheet = !vp->IsOff() && !vp->ShowsModelSpace() && (vp->StatusField == 1 || vp->ThisID == 1);
  const bool frame = !sheet && vp->VisibleBoundary() && WalkIsDrawable(img, e);
  const bool showsModel = vp->ShowsModelSpace();
  if (!frame && !showsModel) return 0;

  // The outline: the clip boundary, or the sheet rectangle.
  std::vector<TFPoint> outline;
  if (TvxDXFEntity* b = vp->ClipOutline(img.Converter())) {
    if (auto* curve = dynamic_cast<TvxCADBasePolyline*>(b)) outline = curve->PolyPoints().Vector();
  }
  if (outline.size() < 3) {
    const TFRect r = vp->Rect();
    if (IsBadBox(r)) return 0;
    outline = {{r.Left, r.Top, 0}, {r.Right, r.Top, 0}, {r.Right, r.Bottom, 0}, {r.Left, r.Bottom, 0}};
  }
  const QPolygon device = MapOutline(img, outline);

  // Saved only for a viewport that shows model space: its FinishEntity restores exactly this.
  TvxWalkSaved* saved = showsModel ? &SaveState(img, e, true) : nullptr;
  if (frame) {
    QPolygon ring = device;
    if (!ring.isEmpty() && ring.back() != ring.front()) ring.append(ring.front());
    img.SetColor(img.DefaultColor(), ctBrushClear, true);
    TvxSelectionMatrix* m = img.FSelectionMatrix;
    if (m && WalkPickingActive(img) && m->ViewPortMode() == vmFill && !img.Hooks.ExpPolyline) {
      // the whole viewport picks it: filled in the matrix (the frame then goes over it in the
      // same key colour)
      WalkRegister(img);
      if (QPainter* p = m->Painter()) {
        m->Changed();
        p->drawPolygon(ring, Qt::OddEvenFill);
        m->SetChanged(true);
      }
    }
    WalkPolyline(img, ring.constData(), static_cast<int>(ring.size()));
  }
  if (saved) PushClip(img, *saved, device);
  return 0;
}

void WalkFinishViewport(TvxCADImage& img, TvxDXFEntity* e) {
  TvxDrawWalkState& w = *img.FWalk;
  // Only what this viewport saved is restored: a viewport that was not drawn saved nothing.
  if (w.Saved.empty() || w.Saved.back().Entity != e || !w.Saved.back().Viewport) return;
  const TvxWalkSaved s = w.Saved.back();
  w.Saved.pop_back();
  WalkRestore(img, s);
  img.SetPenWidth(1);
}

// ---- complex entities -------------------------------------------------------------------------

int WalkDrawComplex(TvxCADImage& img, TvxDXFEntity* e) {
  TvxDrawWalkState& w = *img.FWalk;
  if (!w.ComplexEntity) {
    WalkRegisterEntity(img, e);
    w.ComplexEntity = e;
  }
  return 1;
}

}  // namespace vx
