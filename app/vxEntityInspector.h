// vxEntityInspector: TvxEntityInspector, the stay-on-top tool window "Entités sélectionnées" that
// lists the top-level entities of the open drawing in a sorted drop-down list and shows one
// entity's properties in a two-column grid: kind, layer, colour, box, base point, and for texts
// and block references with attributes the text values, which can be edited in place.
//
// Grid rows (captions exactly as below, blanks included): " Nom ", " Calc ", " Couleur (RGB)",
// " Rect.gauche ", " Rect.haut ", " Rect.droit ", " Rect.bas ", " Centre " (entities with a base
// point), then " Attrib [i]" per attribute of a reference, or " Tag " (attribute definition) /
// " Text " (any other text). Row 0 holds the header " Propriétés " / " Valeur ".
//
// Editing: only the attribute and text rows accept edits (at most 255 characters). An edit is
// committed by Enter or by moving to another cell of the grid; leaving the grid abandons it and
// the cell shows its previous text. A commit sets the text (an attribute definition's tag and
// text; an attribute's value), reloads the entity through its database and redraws the view.
//
// The list never outlives the drawing: Load binds to a navigator's drawing, Clear forgets it
// (the selection manager calls them whenever the navigator's graphic changes).
#pragma once

#include <QPointer>
#include <QWidget>

#include <cstdint>
#include <string>
#include <vector>

class QComboBox;
class QStatusBar;
class QTableWidget;
class QTableWidgetItem;
class QToolButton;

namespace vx {

class TvxDrawingNavigator;
class TvxDXFEntity;
class TvxInspectorListModel;

// The texts the inspector shows, without widgets.
// The entity's name: the class name without its library prefix ("TvxDXF", "TvxCAD") in upper
// case, followed by what the entity adds to its name (a reference: its block's name).
std::string InspectorEntName(const TvxDXFEntity* e);
// "(255, 0, 0)" for a display colour 0x000000FF; "clByLayer" / "clByBlock" for the by-layer and
// by-block values.
std::string InspectorColorText(uint32_t color);
// The general form with up to 15 significant digits and the decimal separator given.
std::string InspectorNumberText(double v, char decimalSeparator);
// "(%.4f; %.4f; %.4f)" with the decimal separator given.
std::string InspectorPointText(double x, double y, double z, char decimalSeparator);

class TvxEntityInspector : public QWidget {
 public:
  // Longest text a cell edit takes.
  static constexpr int cnstMaxEditLength = 255;

  explicit TvxEntityInspector(QWidget* parent = nullptr);
  ~TvxEntityInspector() override;

  // Clear, then list every entity of the drawing's entity section, in order.
  void Load(TvxDrawingNavigator* nav);
  // Forgets the drawing: header row only, empty list, no navigator.
  void Clear();
  // Adds the entity to the sorted list; with refresh it is shown.
  void AddEntity(TvxDXFEntity* e, bool refresh = false);
  // Selects the entity's item in the list and rebuilds the grid from it; an entity that is not
  // listed (nil, or a nested one) leaves no item selected and the header row alone.
  void RefreshGrid(TvxDXFEntity* e);
  // The entity changed: the view draws the drawing again.
  void UpdateEntity(TvxDXFEntity* e);

  // ---- state (for the main window and tests) ----
  // The entity of the selected item; nil when none.
  TvxDXFEntity* Shown() const;
  // The listed entities in list (sorted) order.
  std::vector<TvxDXFEntity*> List() const;
  TvxDrawingNavigator* Navigator() const { return FDNavigator; }
  // The entity a grid row carries (an attribute row, the text row); nil for the others.
  TvxDXFEntity* RowObject(int row) const;
  // The text of a grid cell ("" outside the grid).
  QString CellText(int row, int column) const;
  bool IsEditing() const { return FChangeCellText; }
  bool StayOnTop() const;

  QComboBox* ComboBox() const { return FComboBox; }
  QTableWidget* StringGridObject() const { return FStringGridObject; }
  QToolButton* SpeedButtonStayOnTop() const { return FSpeedButtonStayOnTop; }
  QStatusBar* StatusBar() const { return FStatusBar; }

 protected:
  void resizeEvent(QResizeEvent* e) override;
  bool eventFilter(QObject* watched, QEvent* e) override;

 private:
  friend class TvxInspectorDelegate;
  void FormResize();
  void ComboBoxSelect(int index);
  void SetStayOnTop(bool on);
  void BuildRows(TvxDXFEntity* e);
  void SetRow(int row, const QString& caption, const QString& value, TvxDXFEntity* object);
  void RefreshBoxRows(TvxDXFEntity* e);
  // The grid's edit notifications.
  void EditStarted(int row, int column, QWidget* editor);
  void EditCommitted(int row, int column, const QString& text);
  void EditAbandoned();
  void ChangeObjectParams();

  TvxDrawingNavigator* FDNavigator = nullptr;
  QComboBox* FComboBox = nullptr;
  TvxInspectorListModel* FModel = nullptr;
  QTableWidget* FStringGridObject = nullptr;
  QToolButton* FSpeedButtonStayOnTop = nullptr;
  QStatusBar* FStatusBar = nullptr;
  QWidget* FPnlCombo = nullptr;
  std::vector<TvxDXFEntity*> FRowObjects;  // per grid row, non-owning
  int FColumn = -1, FRow = -1;             // the cell being edited
  bool FChangeCellText = false;            // an edit is running
  QString FPrevCellText, FCellText;
  QPointer<QWidget> FEditor;               // the open cell editor
  bool FRefreshing = false;                // the grid is being filled (no edit notifications)
};

}  // namespace vx
