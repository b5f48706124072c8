// vxSelectionManager: TvxSelectionManager, the editor's picking controller over a drawing
// navigator. It hooks the navigator's mouse and paint events (saving the handlers it replaces
// and giving them back), picks through the CAD image's selection matrix (a click in single mode,
// Shift-click to add or remove, a rubber band in multiple mode, taking entities wholly inside),
// drags the selection by entity kind, draws grips and frames on the selected entities over the
// drawn picture, and keeps the entity inspector in step.
//
// It listens to the navigator's picture changes: when the graphic is replaced (or goes away) it
// binds to the new one and forgets the old selection, so it never holds an entity of a freed
// drawing.
#pragma once

#include "viewer/vxDrawingNavigator.h"

#include <QPoint>
#include <QRect>

#include <functional>
#include <vector>

namespace vx {

class TvxEntityInspector;

enum TvxManagerMode { mmSelect, mmMultiSelect };

class TvxSelectionManager : public TvxNavigatorClient {
 public:
  TvxSelectionManager() = default;
  ~TvxSelectionManager() override;
  TvxSelectionManager(const TvxSelectionManager&) = delete;
  TvxSelectionManager& operator=(const TvxSelectionManager&) = delete;

  // Hooks nav (the previous navigator gets its handlers back) and binds to its graphic; the same
  // navigator again only binds again (a new file in the same viewer). Nil unhooks.
  void SetDNavigator(TvxDrawingNavigator* nav);
  TvxDrawingNavigator* DNavigator() const { return FDNavigator; }
  TvxCADImage* Image() const { return FImg; }
  TvxDXFConverter* Converter() const { return FConverter; }
  void SetInspector(TvxEntityInspector* inspector) { FInspector = inspector; }

  TvxManagerMode Mode() const { return FMode; }
  void SetMode(TvxManagerMode m) { FMode = m; }
  const std::vector<TvxDXFEntity*>& Entities() const { return FEntities; }

  // The element of the selection matrix at a client point; nil when there is none, the matrix
  // overflowed or no CAD image is bound.
  TvxDXFEntity* FindEntity(QPoint p) const;
  void SelectAll();
  // The selection becomes the list (each entity once, in order).
  void SetSelection(const std::vector<TvxDXFEntity*>& entities);
  void DeselectAll();
  // Empties the selection and clears the inspector.
  void Cancel();

  // The entities the selection may take (top-level entities of what is shown).
  std::vector<TvxDXFEntity*> TopLevelEntities() const;
  // The screen area of an entity's grips and frame (its box on the screen, 4 pixels larger).
  QRect HighlightArea(TvxDXFEntity* e) const;
  // The rubber band while one is drawn (multiple mode), empty otherwise.
  QRect Band() const { return FSelection && FMode == mmMultiSelect ? QRect(FDownPoint, FCurPoint).normalized() : QRect(); }

  // After every selection change.
  std::function<void(TvxSelectionManager*)> OnSelectionChanged;

  void NavigatorMessage(TvxDrawingNavigator& sender, TvxNavigatorMessage& m) override;

 private:
  void Bind();
  void Unhook();
  void MouseDown(TvxDrawingNavigator* n, Qt::MouseButton b, Qt::KeyboardModifiers m, QPoint p);
  void MouseMove(TvxDrawingNavigator* n, Qt::MouseButtons b, Qt::KeyboardModifiers m, QPoint p);
  void MouseUp(TvxDrawingNavigator* n, Qt::MouseButton b, Qt::KeyboardModifiers m, QPoint p);
  void Paint(TvxDrawingNavigator* n, QPainter& p);
  void DrawHighlights(QPainter& p) const;
  void DrawBand(QPainter& p) const;
  void InvalidateHighlights();
  void InvalidateBand(const QRect& before);
  void Changed();
  QPoint ScreenPoint(const TFPoint& p) const;
  // Moves an entity by d, by kind; false for kinds that do not move.
  bool MoveEntity(TvxDXFEntity* e, const TFPoint& d);
  void Select(TvxDXFEntity* e);

  TvxDrawingNavigator* FDNavigator = nullptr;
  TvxCADImage* FImg = nullptr;
  TvxDXFConverter* FConverter = nullptr;
  TvxEntityInspector* FInspector = nullptr;
  QPoint FDownPoint, FCurPoint, FStartPoint;
  bool FSelection = false;  // a left button went down and the gesture is not finished
  bool FDraging = false;
  TvxManagerMode FMode = mmSelect;
  std::vector<TvxDXFEntity*> FEntities;
  TvxNavigatorMouseEvent FOnMouseDownOld, FOnMouseUpOld;
  TvxNavigatorMoveEvent FOnMouseMoveOld;
  TvxNavigatorPaintEvent FOnImagePaint;
  bool FSavedRectZooming = true;
};

}  // namespace vx
