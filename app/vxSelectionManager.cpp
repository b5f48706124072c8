// TvxSelectionManager: hooking the navigator, picking by click, Shift-click and rubber band,
// dragging by entity kind, and the grips and frames drawn over the drawn picture.
#include "app/vxSelectionManager.h"

#include "app/vxEntityInspector.h"
#include "database/blocks/vxInserts.h"
#include "database/entities/vxEntCurves.h"
#include "database/entities/vxEntLines.h"
#include "database/entities/vxEntPolylines.h"
#include "database/entities/vxEntSolids.h"
#include "database/entities/vxEntSplines.h"
#include "database/layouts/vxLayouts.h"
#include "render/vxSelectionMatrix.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

namespace vx {

namespace {

constexpr int cnstGrip = 4;  // a grip reaches 4 pixels from its point

bool Contains(const std::vector<TvxDXFEntity*>& list, const TvxDXFEntity* e) {
  return std::find(list.begin(), list.end(), e) != list.end();
}

TFPoint Add(const TFPoint& a, const TFPoint& b) { return {a.X + b.X, a.Y + b.Y, a.Z + b.Z}; }

}  // namespace

TvxSelectionManager::~TvxSelectionManager() { Unhook(); }

// ---- binding ------------------------------------------------------------------------------------

void TvxSelectionManager::Unhook() {
  if (!FDNavigator) return;
  FDNavigator->OnMouseDown = FOnMouseDownOld;
  FDNavigator->OnMouseMove = FOnMouseMoveOld;
  FDNavigator->OnMouseUp = FOnMouseUpOld;
  FDNavigator->OnPaint = FOnImagePaint;
  FDNavigator->RectZooming = FSavedRectZooming;
  FDNavigator->RemoveClient(this);
  FDNavigator = nullptr;
}

void TvxSelectionManager::SetDNavigator(TvxDrawingNavigator* nav) {
  if (nav != FDNavigator) {
    Unhook();
    FDNavigator = nav;
    if (nav) {
      FSavedRectZooming = nav->RectZooming;
      nav->RectZooming = false;  // the left button picks
      FOnMouseDownOld = nav->OnMouseDown;
      FOnMouseMoveOld = nav->OnMouseMove;
      FOnMouseUpOld = nav->OnMouseUp;
      FOnImagePaint = nav->OnPaint;
      nav->OnMouseDown = [this](TvxDrawingNavigator* n, Qt::MouseButton b, Qt::KeyboardModifiers m, QPoint p) {
        MouseDown(n, b, m, p);
      };
      nav->OnMouseMove = [this](TvxDrawingNavigator* n, Qt::MouseButtons b, Qt::KeyboardModifiers m, QPoint p) {
        MouseMove(n, b, m, p);
      };
      nav->OnMouseUp = [this](TvxDrawingNavigator* n, Qt::MouseButton b, Qt::KeyboardModifiers m, QPoint p) {
        MouseUp(n, b, m, p);
      };
      nav->OnPaint = [this](TvxDrawingNavigator* n, QPainter& p) { Paint(n, p); };
      nav->AddClient(this);
    }
  }
  Bind();
}

void TvxSelectionManager::Bind() {
  TvxCADImage* img = FDNavigator ? FDNavigator->Image() : nullptr;
  if (img != FImg) {
    // the entities of another drawing mean nothing here (and may be freed already)
    FEntities.clear();
    FSelection = FDraging = false;
  }
  FImg = img;
  FConverter = img ? img->Converter() : nullptr;
  if (FInspector) {
    if (FImg)
      FInspector->Load(FDNavigator);
    else
      FInspector->Clear();
  }
}

void TvxSelectionManager::NavigatorMessage(TvxDrawingNavigator& sender, TvxNavigatorMessage& m) {
  // a replaced or closed graphic: bind to what the navigator holds now
  if (m.Msg == cnstMsgPictureChange && &sender == FDNavigator && sender.Image() != FImg) Bind();
}

// ---- picking ------------------------------------------------------------------------------------

TvxDXFEntity* TvxSelectionManager::FindEntity(QPoint p) const {
  if (!FImg || !FDNavigator || FDNavigator->Image() != FImg) return nullptr;
  TvxSelectionMatrix* m = FImg->SelectionMatrix();
  if (!m || m->IsOverflow()) return nullptr;
  return m->GetElementInMatrix(p.x(), p.y());
}

std::vector<TvxDXFEntity*> TvxSelectionManager::TopLevelEntities() const {
  std::vector<TvxDXFEntity*> out;
  if (!FImg || !FConverter) return out;
  TvxDXFLayout* layout = FImg->CurrentLayout();
  TvxDXFEntity* owner = layout && !layout->IsModel() ? layout->ExistingPaperSpaceBlock()
                                                      : FConverter->Sections(csEntities);
  if (!owner) return out;
  for (int i = 0; i < owner->Count(); ++i)
    if (TvxDXFEntity* e = owner->GetEntity(i)) out.push_back(e);
  return out;
}

void TvxSelectionManager::Select(TvxDXFEntity* e) {
  if (e && !Contains(FEntities, e)) FEntities.push_back(e);
}

void TvxSelectionManager::SelectAll() {
  InvalidateHighlights();
  FEntities.clear();
  for (TvxDXFEntity* e : TopLevelEntities()) Select(e);
  InvalidateHighlights();
  Changed();
}

void TvxSelectionManager::SetSelection(const std::vector<TvxDXFEntity*>& entities) {
  InvalidateHighlights();
  FEntities.clear();
  for (TvxDXFEntity* e : entities) Select(e);
  InvalidateHighlights();
  Changed();
}

void TvxSelectionManager::DeselectAll() {
  InvalidateHighlights();
  FEntities.clear();
  Changed();
}

void TvxSelectionManager::Cancel() {
  InvalidateHighlights();
  FEntities.clear();
  FSelection = FDraging = false;
  if (FInspector) FInspector->Clear();
  Changed();
}

void TvxSelectionManager::Changed() {
  if (OnSelectionChanged) OnSelectionChanged(this);
}

// ---- mouse --------------------------------------------------------------------------------------

void TvxSelectionManager::MouseDown(TvxDrawingNavigator* n, Qt::MouseButton b,
                                    Qt::KeyboardModifiers m, QPoint p) {
  if (b != Qt::LeftButton) {
    // other buttons are the navigator's (panning), not a gesture of ours
    return;
  }
  FDownPoint = FCurPoint = FStartPoint = p;
  FSelection = true;
  FDraging = FMode == mmSelect && !FEntities.empty();
  if (FMode == mmMultiSelect) InvalidateBand(QRect());
  if (FOnMouseDownOld) FOnMouseDownOld(n, b, m, p);
}

void TvxSelectionManager::MouseMove(TvxDrawingNavigator* n, Qt::MouseButtons b,
                                    Qt::KeyboardModifiers m, QPoint p) {
  if (FSelection && FMode == mmMultiSelect) {
    const QRect before = Band();
    FCurPoint = p;
    InvalidateBand(before);
  } else if (FSelection) {
    FCurPoint = p;
  }
  if (FOnMouseMoveOld) FOnMouseMoveOld(n, b, m, p);
}

void TvxSelectionManager::MouseUp(TvxDrawingNavigator* n, Qt::MouseButton b,
                                  Qt::KeyboardModifiers m, QPoint p) {
  if (b != Qt::LeftButton) return;
  const bool shift = m & Qt::ShiftModifier;
  TvxDXFEntity* shown = nullptr;
  bool changed = false;
  if (FSelection && p == FDownPoint) {
    InvalidateHighlights();
    if (FMode == mmSelect) {
      TvxDXFEntity* e = FindEntity(p);
      if (!shift) FEntities.clear();
      if (e) {
        auto it = std::find(FEntities.begin(), FEntities.end(), e);
        if (it == FEntities.end())
          FEntities.push_back(e);
        else if (shift)
          FEntities.erase(it);
      }
      shown = e;
    }
    InvalidateHighlights();
    changed = true;
  } else if (FSelection && FMode == mmMultiSelect) {
    InvalidateHighlights();
    const QRect band = Band();
    FCurPoint = FDownPoint;  // the band goes
    InvalidateBand(band);
    std::vector<TvxDXFEntity*> taken;
    const std::vector<TvxDXFEntity*> all = TopLevelEntities();
    for (auto it = all.rbegin(); it != all.rend(); ++it) {
      const TFRect box = (*it)->GetBox();
      if (IsBadBox(box)) continue;
      const QRect screen = QRect(ScreenPoint({box.Left, box.Top, box.Z1}),
                                 ScreenPoint({box.Right, box.Bottom, box.Z2})).normalized();
      if (band.contains(screen)) taken.push_back(*it);
    }
    if (!shift) FEntities.clear();
    for (TvxDXFEntity* e : taken) Select(e);
    InvalidateHighlights();
    changed = true;
  } else if (FSelection && FDraging && FDNavigator && FImg) {
    // the drawing points under the start and the end of the drag
    const TFPoint a = FDNavigator->GetDrawingInternalCoordsWithoutSnap(FStartPoint.x(), FStartPoint.y());
    const TFPoint z = FDNavigator->GetDrawingInternalCoordsWithoutSnap(p.x(), p.y());
    const TFPoint d{z.X - a.X, z.Y - a.Y, z.Z - a.Z};
    InvalidateHighlights();
    for (TvxDXFEntity* e : FEntities)
      if (MoveEntity(e, d)) {
        FConverter->Loads(e);
        shown = e;
      }
    InvalidateHighlights();
    FDNavigator->RepaintPicture();
  }
  if (FSelection && FInspector) FInspector->RefreshGrid(FEntities.size() <= 1 ? shown : nullptr);
  FSelection = FDraging = false;
  if (changed) Changed();
  if (FOnMouseUpOld) FOnMouseUpOld(n, b, m, p);
}

// ---- moving -------------------------------------------------------------------------------------

bool TvxSelectionManager::MoveEntity(TvxDXFEntity* e, const TFPoint& d) {
  if (!e || !std::isfinite(d.X) || !std::isfinite(d.Y) || !std::isfinite(d.Z)) return false;
  switch (e->EntType()) {
    case ceLine: {
      auto* l = dynamic_cast<TvxDXFLine*>(e);
      if (!l) return false;
      l->SetPoint(Add(l->GetPoint(), d));
      l->SetPoint1(Add(l->GetPoint1(), d));
      return true;
    }
    case ceSolid:
    case ceTrace: {
      auto* s = dynamic_cast<TvxDXFSolid*>(e);
      if (!s) return false;
      s->SetPoint(Add(s->GetPoint(), d));
      s->SetPoint1(Add(s->GetPoint1(), d));
      s->SetPoint2(Add(s->GetPoint2(), d));
      s->SetPoint3(Add(s->GetPoint3(), d));
      return true;
    }
    case ceCircle: case ceArc: case ceEllipse: case ceInsert: case ceDimension:
    case ceTolerance: case ceMText: case ceShape: case ceText: case ceAttdef: case ceAttrib:
    case ceACADTable: case ceMLine: {
      // the base point (a reference's setter takes its attributes along)
      auto* v = dynamic_cast<TvxDXFCustomVertex*>(e);
      if (!v) return false;
      v->SetPoint(Add(v->GetPoint(), d));
      return true;
    }
    case cePolyline:
    case ceLWPolyline: {
      bool moved = false;
      for (int i = 0; i < e->Count(); ++i)
        if (auto* vx = dynamic_cast<TvxDXFVertex*>(e->GetEntity(i))) {
          vx->SetPoint(Add(vx->GetPoint(), d));
          moved = true;
        }
      return moved;
    }
    case ceSpline:
    case ceLeader: {
      auto* s = dynamic_cast<TvxDXFSpline*>(e);
      if (!s) return false;
      for (int i = 0; i < s->Controls().Count(); ++i) s->Controls()[i] = Add(s->Controls()[i], d);
      for (int i = 0; i < s->Fit().Count(); ++i) s->Fit()[i] = Add(s->Fit()[i], d);
      return true;
    }
    default:
      return false;
  }
}

// ---- highlights ---------------------------------------------------------------------------------

QPoint TvxSelectionManager::ScreenPoint(const TFPoint& p) const {
  if (!FImg) return {};
  // the view the image drew with (the walk's matrix may be a reference's at the end of a draw)
  const TFPoint q = TransformPoint(p, FImg->DrawMatrix());
  auto px = [](double v) {
    return std::isfinite(v) ? static_cast<int>(std::lround(std::clamp(v, -1e7, 1e7))) : 0;
  };
  return {px(q.X), px(q.Y)};
}

QRect TvxSelectionManager::HighlightArea(TvxDXFEntity* e) const {
  if (!e || !FImg) return {};
  const TFRect box = e->GetBox();
  if (IsBadBox(box)) return {};
  const QRect r = QRect(ScreenPoint({box.Left, box.Top, box.Z1}),
                        ScreenPoint({box.Right, box.Bottom, box.Z2})).normalized();
  return r.adjusted(-cnstGrip - 1, -cnstGrip - 1, cnstGrip + 1, cnstGrip + 1);
}

void TvxSelectionManager::InvalidateHighlights() {
  if (!FDNavigator) return;
  for (TvxDXFEntity* e : FEntities) FDNavigator->InvalidateOverlay(HighlightArea(e));
}

void TvxSelectionManager::InvalidateBand(const QRect& before) {
  if (!FDNavigator) return;
  FDNavigator->InvalidateOverlay(before.adjusted(-1, -1, 1, 1));
  FDNavigator->InvalidateOverlay(Band().adjusted(-1, -1, 1, 1));
}

void TvxSelectionManager::Paint(TvxDrawingNavigator* n, QPainter& p) {
  DrawHighlights(p);
  DrawBand(p);
  if (FOnImagePaint) FOnImagePaint(n, p);
}

void TvxSelectionManager::DrawBand(QPainter& p) const {
  const QRect band = Band();
  if (band.width() < 1 && band.height() < 1) return;
  p.save();
  p.setRenderHint(QPainter::Antialiasing, false);
  p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
  p.setPen(QPen(Qt::white, 0));
  p.setBrush(Qt::NoBrush);
  p.drawRect(band);
  p.restore();
}

void TvxSelectionManager::DrawHighlights(QPainter& p) const {
  if (!FImg || FEntities.empty()) return;
  p.save();
  p.setRenderHint(QPainter::Antialiasing, false);
  p.setBrush(Qt::NoBrush);
  const QPen grip(QColor(0, 0, 255), 1);
  auto drawGrip = [&p](QPoint q) {
    p.drawRect(QRect(q - QPoint(cnstGrip, cnstGrip), q + QPoint(cnstGrip - 1, cnstGrip - 1)));
  };
  for (TvxDXFEntity* e : FEntities) {
    p.setPen(grip);
    const TvxCADEntities kind = e->EntType();
    if (kind == ceInsert) {
      const TFRect box = e->GetBox();
      if (IsBadBox(box)) continue;
      p.setPen(QPen(QColor(255, 0, 0), 1));
      p.drawRect(QRect(ScreenPoint({box.Left, box.Top, box.Z1}),
                       ScreenPoint({box.Right, box.Bottom, box.Z2})).normalized());
    } else if (kind == ceText || kind == ceMText || kind == ceAttdef || kind == ceAttrib) {
      const TFRect b = e->GetBox();
      if (IsBadBox(b)) continue;
      const double mx = (b.Left + b.Right) / 2, my = (b.Top + b.Bottom) / 2;
      for (const TFPoint& q : {TFPoint{b.Left, b.Top, 0}, TFPoint{mx, b.Top, 0},
                               TFPoint{b.Right, b.Top, 0}, TFPoint{b.Right, my, 0},
                               TFPoint{b.Right, b.Bottom, 0}, TFPoint{mx, b.Bottom, 0},
                               TFPoint{b.Left, b.Bottom, 0}, TFPoint{b.Left, my, 0}})
        drawGrip(ScreenPoint(q));
    } else if (kind == cePoint) {
      if (auto* v = dynamic_cast<TvxDXFCustomVertex*>(e)) drawGrip(ScreenPoint(v->GetPoint()));
    } else if (kind == ceLine) {
      if (auto* l = dynamic_cast<TvxDXFLine*>(e)) {
        drawGrip(ScreenPoint(l->GetPoint()));
        drawGrip(ScreenPoint(l->GetPoint1()));
      }
    } else if (kind == ceSolid || kind == ceTrace) {
      if (auto* s = dynamic_cast<TvxDXFSolid*>(e)) {
        drawGrip(ScreenPoint(s->GetPoint1()));
        drawGrip(ScreenPoint(s->GetPoint2()));
      }
    } else if (auto* poly = dynamic_cast<TvxCADBasePolyline*>(e)) {
      const TFPointList& pts = poly->PolyPoints();
      for (int i = 0; i < pts.Count(); ++i) drawGrip(ScreenPoint(pts[i]));
    }
  }
  p.restore();
}

}  // namespace vx
