// vxEntityInspector: TvxEntityInspector, the stay-on-top window that shows the picked entity.
// For now the least the main window and the selection manager call: Load (bind to a navigator's
// drawing), Clear, RefreshGrid (show one entity, or none) and AddEntity (a new entity joins the
// list); the window shows the entity's kind and handle.
#pragma once

#include <QWidget>

#include <vector>

class QLabel;

namespace vx {

class TvxDrawingNavigator;
class TvxDXFEntity;

class TvxEntityInspector : public QWidget {
 public:
  explicit TvxEntityInspector(QWidget* parent = nullptr);

  // Binds to the navigator's drawing: the list holds its top-level entities.
  void Load(TvxDrawingNavigator* nav);
  // Forgets the drawing (whenever it goes away): nothing of it stays in the list.
  void Clear();
  // Shows the entity (nil: nothing).
  void RefreshGrid(TvxDXFEntity* e);
  void AddEntity(TvxDXFEntity* e);

  TvxDXFEntity* Shown() const { return FShown; }
  const std::vector<TvxDXFEntity*>& List() const { return FList; }
  TvxDrawingNavigator* Navigator() const { return FNavigator; }

 private:
  TvxDrawingNavigator* FNavigator = nullptr;
  std::vector<TvxDXFEntity*> FList;
  TvxDXFEntity* FShown = nullptr;
  QLabel* FLabel = nullptr;
};

}  // namespace vx
