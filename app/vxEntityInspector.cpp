// TvxEntityInspector: the sorted list of the drawing's entities, the property grid and its edit
// rules, and the stay-on-top toggle.
#include "app/vxEntityInspector.h"

#include "database/blocks/vxAttribs.h"
#include "database/blocks/vxInserts.h"
#include "database/core/vxTables.h"
#include "database/text/vxText.h"
#include "viewer/vxDrawingNavigator.h"

#include <QAbstractListModel>
#include <QApplication>
#include <QComboBox>
#include <QFocusEvent>
#include <QHeaderView>
#include <QLineEdit>
#include <QListView>
#include <QPainter>
#include <QStatusBar>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>

namespace vx {

// ---- texts --------------------------------------------------------------------------------------

std::string InspectorEntName(const TvxDXFEntity* e) {
  if (!e) return {};
  std::string cls = e->ClassName();
  if (cls.rfind("TvxDXF", 0) == 0 || cls.rfind("TvxCAD", 0) == 0) cls.erase(0, 6);
  for (char& c : cls) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  // what the entity adds to the class-derived part of its name (a reference: " " and its block)
  const std::string full = e->EntName(), base = e->GetPropertyName();
  if (!base.empty() && full.compare(0, base.size(), base) == 0) return cls + full.substr(base.size());
  return cls;
}

std::string InspectorColorText(uint32_t color) {
  if (color == clByLayer) return "clByLayer";
  if (color == clByBlock) return "clByBlock";
  return "(" + std::to_string(color & 0xFF) + ", " + std::to_string((color >> 8) & 0xFF) + ", " +
         std::to_string((color >> 16) & 0xFF) + ")";
}

namespace {

std::string WithSeparator(std::string s, char decimalSeparator) {
  if (decimalSeparator != '.') std::replace(s.begin(), s.end(), '.', decimalSeparator);
  return s;
}

}  // namespace

std::string InspectorNumberText(double v, char decimalSeparator) {
  if (!std::isfinite(v)) return {};
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.15g", v);
  return WithSeparator(buf, decimalSeparator);
}

std::string InspectorPointText(double x, double y, double z, char decimalSeparator) {
  char buf[160];
  std::snprintf(buf, sizeof buf, "(%.4f; %.4f; %.4f)", x, y, z);
  return WithSeparator(buf, decimalSeparator);
}

// ---- the sorted list ----------------------------------------------------------------------------

// The drop-down list's items: kept sorted by name (case-insensitively, equal names in the order
// they came), held in a plain vector so that drawings of many entities list quickly.
class TvxInspectorListModel : public QAbstractListModel {
 public:
  struct Item {
    QString Name;
    TvxDXFEntity* Entity;
  };
  using QAbstractListModel::QAbstractListModel;

  int rowCount(const QModelIndex& parent = QModelIndex()) const override {
    return parent.isValid() ? 0 : static_cast<int>(FItems.size());
  }
  QVariant data(const QModelIndex& index, int role) const override {
    if (!index.isValid() || index.row() >= rowCount()) return {};
    if (role == Qt::DisplayRole || role == Qt::EditRole) return FItems[size_t(index.row())].Name;
    return {};
  }
  static bool Less(const Item& a, const Item& b) {
    return QString::compare(a.Name, b.Name, Qt::CaseInsensitive) < 0;
  }
  void Reset(std::vector<Item> items) {
    beginResetModel();
    FItems = std::move(items);
    std::stable_sort(FItems.begin(), FItems.end(), Less);
    endResetModel();
  }
  // The row the entity went to.
  int Add(TvxDXFEntity* e, const QString& name) {
    const Item item{name, e};
    const auto at = std::upper_bound(FItems.begin(), FItems.end(), item, Less);
    const int row = static_cast<int>(at - FItems.begin());
    beginInsertRows(QModelIndex(), row, row);
    FItems.insert(at, item);
    endInsertRows();
    return row;
  }
  int IndexOf(const TvxDXFEntity* e) const {
    if (!e) return -1;
    for (size_t i = 0; i < FItems.size(); ++i)
      if (FItems[i].Entity == e) return static_cast<int>(i);
    return -1;
  }
  TvxDXFEntity* EntityAt(int row) const {
    return row >= 0 && row < rowCount() ? FItems[size_t(row)].Entity : nullptr;
  }

 private:
  std::vector<Item> FItems;
};

// ---- the cell editor ----------------------------------------------------------------------------

// Edits a value cell in a line of at most 255 characters. The view commits on Enter and when
// another cell becomes current; focus that leaves the grid abandons the edit instead (the
// cell keeps its previous text). Switching windows or opening a popup leaves the edit running.
class TvxInspectorDelegate : public QStyledItemDelegate {
 public:
  explicit TvxInspectorDelegate(TvxEntityInspector* owner)
      : QStyledItemDelegate(owner), FOwner(owner) {
    QObject::connect(this, &QAbstractItemDelegate::closeEditor, owner,
                     [owner](QWidget*, QAbstractItemDelegate::EndEditHint) { owner->EditAbandoned(); });
  }
  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&,
                        const QModelIndex& index) const override {
    auto* editor = new QLineEdit(parent);
    editor->setFrame(false);
    editor->setMaxLength(TvxEntityInspector::cnstMaxEditLength);
    FOwner->EditStarted(index.row(), index.column(), editor);
    return editor;
  }
  void setEditorData(QWidget* editor, const QModelIndex& index) const override {
    if (auto* line = qobject_cast<QLineEdit*>(editor)) line->setText(index.data(Qt::EditRole).toString());
  }
  void setModelData(QWidget* editor, QAbstractItemModel*, const QModelIndex& index) const override {
    if (auto* line = qobject_cast<QLineEdit*>(editor))
      FOwner->EditCommitted(index.row(), index.column(), line->text());
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* e) override {
    if (e->type() == QEvent::FocusOut) {
      const Qt::FocusReason reason = static_cast<QFocusEvent*>(e)->reason();
      if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason) return false;
      QWidget* now = QApplication::focusWidget();
      QTableWidget* grid = FOwner->StringGridObject();
      if (!now || (now != grid && !grid->isAncestorOf(now))) {
        auto* editor = qobject_cast<QWidget*>(watched);
        if (editor) emit closeEditor(editor, QAbstractItemDelegate::RevertModelCache);
        return false;
      }
    }
    return QStyledItemDelegate::eventFilter(watched, e);
  }

 private:
  TvxEntityInspector* FOwner;
};

// ---- the window ---------------------------------------------------------------------------------

namespace {

constexpr int cnstRowName = 1, cnstRowLayer = 2, cnstRowColor = 3, cnstRowBox = 4, cnstRowCentre = 8;

// The stay-on-top button's glyph: a pin.
QIcon PinGlyph() {
  QPixmap pm(16, 16);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(QColor(40, 40, 40), 1.2));
  p.setBrush(QColor(200, 60, 60));
  p.drawEllipse(QRectF(5, 1.5, 6, 6));
  p.drawLine(QPointF(8, 7.5), QPointF(8, 14.5));
  return QIcon(pm);
}

char DecimalSeparator() {
  const QString s = QLocale().decimalPoint();
  return s.isEmpty() || s.at(0).unicode() > 127 ? '.' : s.at(0).toLatin1();
}

bool IsAttdef(const TvxDXFEntity* e) { return e && e->EntType() == ceAttdef; }

}  // namespace

TvxEntityInspector::TvxEntityInspector(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint) {
  setWindowTitle(QString::fromUtf8("Entités sélectionnées"));
  setObjectName("fmEntityInspector");
  QFont f = font();
  f.setPixelSize(10);
  setFont(f);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);

  FPnlCombo = new QWidget(this);
  FPnlCombo->setFixedHeight(23);
  FComboBox = new QComboBox(FPnlCombo);
  FComboBox->setObjectName("ComboBox");
  FComboBox->setEditable(false);  // a drop-down list only
  FModel = new TvxInspectorListModel(FComboBox);
  FComboBox->setModel(FModel);
  // sizing by the contents would measure every entity of a large drawing
  FComboBox->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  FComboBox->setMinimumContentsLength(8);
  if (auto* v = qobject_cast<QListView*>(FComboBox->view())) v->setUniformItemSizes(true);
  FComboBox->setGeometry(0, 1, 206, 21);
  FSpeedButtonStayOnTop = new QToolButton(FPnlCombo);
  FSpeedButtonStayOnTop->setObjectName("SpeedButtonStayOnTop");
  FSpeedButtonStayOnTop->setGeometry(207, 0, 23, 22);
  FSpeedButtonStayOnTop->setCheckable(true);
  FSpeedButtonStayOnTop->setChecked(true);
  FSpeedButtonStayOnTop->setAutoRaise(true);
  FSpeedButtonStayOnTop->setIcon(PinGlyph());
  FSpeedButtonStayOnTop->setToolTip("Stay on top");
  layout->addWidget(FPnlCombo);
  FPnlCombo->installEventFilter(this);

  FStringGridObject = new QTableWidget(0, 2, this);
  FStringGridObject->setObjectName("StringGridObject");
  FStringGridObject->horizontalHeader()->hide();
  FStringGridObject->verticalHeader()->hide();
  FStringGridObject->horizontalHeader()->setDefaultSectionSize(104);
  FStringGridObject->verticalHeader()->setDefaultSectionSize(18);
  FStringGridObject->setShowGrid(true);
  FStringGridObject->setSelectionMode(QAbstractItemView::SingleSelection);
  FStringGridObject->setEditTriggers(QAbstractItemView::DoubleClicked |
                                     QAbstractItemView::EditKeyPressed |
                                     QAbstractItemView::AnyKeyPressed);
  FStringGridObject->setItemDelegate(new TvxInspectorDelegate(this));
  FStringGridObject->installEventFilter(this);
  layout->addWidget(FStringGridObject, 1);

  FStatusBar = new QStatusBar(this);
  FStatusBar->setFixedHeight(19);
  FStatusBar->setSizeGripEnabled(false);
  layout->addWidget(FStatusBar);

  QObject::connect(FComboBox, &QComboBox::currentIndexChanged, this,
                   [this](int index) { ComboBoxSelect(index); });
  QObject::connect(FSpeedButtonStayOnTop, &QToolButton::toggled, this,
                   [this](bool on) { SetStayOnTop(on); });
  resize(231, 237);
  RefreshGrid(nullptr);
}

TvxEntityInspector::~TvxEntityInspector() = default;

// ---- list ---------------------------------------------------------------------------------------

void TvxEntityInspector::Load(TvxDrawingNavigator* nav) {
  Clear();
  FDNavigator = nav;
  TvxCADImage* img = nav ? nav->Image() : nullptr;
  TvxDXFConverter* conv = img ? img->Converter() : nullptr;
  TvxDXFEntity* owner = conv ? conv->Sections(csEntities) : nullptr;
  if (!owner) return;
  std::vector<TvxInspectorListModel::Item> items;
  items.reserve(static_cast<size_t>(std::max(0, owner->Count())));
  for (int i = 0; i < owner->Count(); ++i)
    if (TvxDXFEntity* e = owner->GetEntity(i))
      items.push_back({QString::fromStdString(InspectorEntName(e)), e});
  FRefreshing = true;
  FModel->Reset(std::move(items));
  FComboBox->setCurrentIndex(-1);
  FRefreshing = false;
}

void TvxEntityInspector::Clear() {
  RefreshGrid(nullptr);
  FRefreshing = true;
  FModel->Reset({});
  FComboBox->setCurrentIndex(-1);
  FRefreshing = false;
  FDNavigator = nullptr;
}

void TvxEntityInspector::AddEntity(TvxDXFEntity* e, bool refresh) {
  if (!e) return;
  if (FModel->IndexOf(e) < 0) {
    FRefreshing = true;
    TvxDXFEntity* shown = Shown();
    FModel->Add(e, QString::fromStdString(InspectorEntName(e)));
    // the shown entity keeps its item (rows after the new one moved)
    FComboBox->setCurrentIndex(FModel->IndexOf(shown));
    FRefreshing = false;
  }
  if (refresh) RefreshGrid(e);
}

TvxDXFEntity* TvxEntityInspector::Shown() const { return FModel->EntityAt(FComboBox->currentIndex()); }

std::vector<TvxDXFEntity*> TvxEntityInspector::List() const {
  std::vector<TvxDXFEntity*> out;
  for (int i = 0; i < FModel->rowCount(); ++i) out.push_back(FModel->EntityAt(i));
  return out;
}

void TvxEntityInspector::ComboBoxSelect(int index) {
  if (FRefreshing) return;
  RefreshGrid(FModel->EntityAt(index));
}

// ---- grid ---------------------------------------------------------------------------------------

TvxDXFEntity* TvxEntityInspector::RowObject(int row) const {
  return row >= 0 && row < static_cast<int>(FRowObjects.size()) ? FRowObjects[size_t(row)] : nullptr;
}

QString TvxEntityInspector::CellText(int row, int column) const {
  const QTableWidgetItem* item = FStringGridObject->item(row, column);
  return item ? item->text() : QString();
}

void TvxEntityInspector::SetRow(int row, const QString& caption, const QString& value,
                                TvxDXFEntity* object) {
  const bool fixedRow = row == 0;
  auto* head = new QTableWidgetItem(caption);
  head->setFlags(Qt::ItemIsEnabled);
  const QBrush face = palette().brush(QPalette::Button);
  const QBrush fixedText = palette().brush(QPalette::Disabled, QPalette::WindowText);
  head->setBackground(face);
  head->setForeground(fixedText);
  auto* cell = new QTableWidgetItem(value);
  Qt::ItemFlags flags = Qt::ItemIsEnabled;
  if (!fixedRow) flags |= Qt::ItemIsSelectable;
  if (object) flags |= Qt::ItemIsEditable;  // only rows that carry an object take edits
  cell->setFlags(flags);
  if (fixedRow) {
    cell->setBackground(face);
    cell->setForeground(fixedText);
  }
  FStringGridObject->setItem(row, 0, head);
  FStringGridObject->setItem(row, 1, cell);
  FRowObjects[size_t(row)] = object;
}

void TvxEntityInspector::RefreshGrid(TvxDXFEntity* e) {
  const int index = FModel->IndexOf(e);
  FRefreshing = true;
  FComboBox->setCurrentIndex(index);
  FRefreshing = false;
  BuildRows(index >= 0 ? e : nullptr);
}

void TvxEntityInspector::BuildRows(TvxDXFEntity* e) {
  FRefreshing = true;
  // an edit of the rows being replaced ends without a commit
  if (FChangeCellText && FEditor)
    emit FStringGridObject->itemDelegate()->closeEditor(FEditor, QAbstractItemDelegate::RevertModelCache);
  FChangeCellText = false;
  FRow = FColumn = -1;

  std::vector<std::pair<QString, std::pair<QString, TvxDXFEntity*>>> rows;
  rows.push_back({QString::fromUtf8(" Propriétés "), {QString::fromUtf8(" Valeur "), nullptr}});
  if (e) {
    const char sep = DecimalSeparator();
    auto text = [](const std::string& s) { return QString::fromStdString(s); };
    rows.push_back({" Nom ", {text(InspectorEntName(e)), nullptr}});
    const TvxDXFLayer* layer = e->GetLayer();
    rows.push_back({" Calc ", {layer ? text(layer->GetName()) : QString("not set"), nullptr}});
    rows.push_back({" Couleur (RGB)", {text(InspectorColorText(e->GetColor())), nullptr}});
    const TFRect box = e->GetBox();
    const bool bad = IsBadBox(box);  // nothing to show: empty, not the 1E20 of an unset box
    auto num = [&](double v) { return bad ? QString() : text(InspectorNumberText(v, sep)); };
    rows.push_back({" Rect.gauche ", {num(box.Left), nullptr}});
    rows.push_back({" Rect.haut ", {num(box.Top), nullptr}});
    rows.push_back({" Rect.droit ", {num(box.Right), nullptr}});
    rows.push_back({" Rect.bas ", {num(box.Bottom), nullptr}});
    if (auto* v = dynamic_cast<TvxDXFCustomVertex*>(e)) {
      const TFPoint p = v->GetPoint();
      rows.push_back({" Centre ", {text(InspectorPointText(p.X, p.Y, p.Z, sep)), nullptr}});
    }
    if (auto* ins = dynamic_cast<TvxDXFInsert*>(e); ins && ins->HasAttribs()) {
      const auto& attribs = ins->Attribs();
      for (size_t i = 0; i < attribs.size(); ++i)
        rows.push_back({QString(" Attrib [%1]").arg(i), {text(attribs[i]->Text()), attribs[i]}});
    } else if (auto* t = dynamic_cast<TvxDXFText*>(e)) {
      if (IsAttdef(e))
        rows.push_back({" Tag ", {text(static_cast<TvxDXFAttdef*>(e)->Tag()), e}});
      else
        rows.push_back({" Text ", {text(t->Text()), e}});
    }
  }
  FStringGridObject->setRowCount(0);
  FStringGridObject->setRowCount(static_cast<int>(rows.size()));
  FRowObjects.assign(rows.size(), nullptr);
  for (size_t i = 0; i < rows.size(); ++i)
    SetRow(static_cast<int>(i), rows[i].first, rows[i].second.first, rows[i].second.second);
  FRefreshing = false;
}

// The box and base point after an edit reloaded the entity.
void TvxEntityInspector::RefreshBoxRows(TvxDXFEntity* e) {
  if (!e || FStringGridObject->rowCount() <= cnstRowBox + 3) return;
  const char sep = DecimalSeparator();
  const TFRect box = e->GetBox();
  const bool bad = IsBadBox(box);
  const double values[4] = {box.Left, box.Top, box.Right, box.Bottom};
  for (int i = 0; i < 4; ++i)
    if (QTableWidgetItem* item = FStringGridObject->item(cnstRowBox + i, 1))
      item->setText(bad ? QString() : QString::fromStdString(InspectorNumberText(values[i], sep)));
  if (auto* v = dynamic_cast<TvxDXFCustomVertex*>(e))
    if (QTableWidgetItem* item = FStringGridObject->item(cnstRowCentre, 1)) {
      const TFPoint p = v->GetPoint();
      item->setText(QString::fromStdString(InspectorPointText(p.X, p.Y, p.Z, sep)));
    }
}

// ---- editing ------------------------------------------------------------------------------------

void TvxEntityInspector::EditStarted(int row, int column, QWidget* editor) {
  FEditor = editor;
  FRow = row;
  FColumn = column;
  const QTableWidgetItem* item = FStringGridObject->item(row, column);
  FPrevCellText = item ? item->text() : QString();
  FCellText = FPrevCellText;
  FChangeCellText = true;
}

void TvxEntityInspector::EditCommitted(int row, int column, const QString& text) {
  if (!FChangeCellText || row != FRow || column != FColumn || !RowObject(row)) return;
  FCellText = text.left(cnstMaxEditLength);
  if (QTableWidgetItem* item = FStringGridObject->item(row, column)) item->setText(FCellText);
  ChangeObjectParams();
  FPrevCellText = FCellText;
  FChangeCellText = false;
}

void TvxEntityInspector::EditAbandoned() {
  // the editor closed without a commit: the cell never took the typed text
  if (FChangeCellText && FRow >= 0)
    if (QTableWidgetItem* item = FStringGridObject->item(FRow, FColumn)) item->setText(FPrevCellText);
  FChangeCellText = false;
}

void TvxEntityInspector::ChangeObjectParams() {
  TvxDXFEntity* shown = Shown();
  TvxDXFEntity* object = RowObject(FRow);
  if (!shown || !object) return;
  TvxDXFConverter* conv = FDNavigator && FDNavigator->Image() ? FDNavigator->Image()->Converter()
                                                              : shown->GetConverter();
  const std::string text = FCellText.toStdString();
  auto setText = [&text](TvxDXFEntity* e) {
    if (e->EntType() == ceAttrib)
      static_cast<TvxDXFAttrib*>(e)->SetValue(text);  // an attribute shows its value
    else if (IsAttdef(e))
      static_cast<TvxDXFAttdef*>(e)->SetTag(text);    // a definition shows its tag
    else if (auto* t = dynamic_cast<TvxDXFText*>(e))
      t->SetText(text);
  };
  if (dynamic_cast<TvxDXFText*>(shown)) {
    setText(shown);
    if (conv) conv->Loads(shown);
  }
  if (object != shown && dynamic_cast<TvxDXFText*>(object)) {
    setText(object);
    if (conv) {
      conv->Loads(object);
      conv->Loads(shown);  // the reference's box takes the attribute's new box
    }
  } else if (object == shown && IsAttdef(shown)) {
    static_cast<TvxDXFText*>(shown)->SetText(text);
    if (conv) conv->Loads(shown);
  }
  RefreshBoxRows(shown);
  UpdateEntity(shown);
}

void TvxEntityInspector::UpdateEntity(TvxDXFEntity* e) {
  if (e && FDNavigator) FDNavigator->RepaintPicture();
}

// ---- window -------------------------------------------------------------------------------------

bool TvxEntityInspector::StayOnTop() const {
  return windowFlags().testFlag(Qt::WindowStaysOnTopHint);
}

void TvxEntityInspector::SetStayOnTop(bool on) {
  if (StayOnTop() == on) return;
  const QRect g = geometry();
  const bool visible = isVisible();
  setWindowFlag(Qt::WindowStaysOnTopHint, on);  // hides the window
  setGeometry(g);
  if (visible) show();
}

void TvxEntityInspector::FormResize() {
  const int w = FStringGridObject->viewport()->width();
  FStringGridObject->horizontalHeader()->setDefaultSectionSize(std::max(1, (w + 1) / 2 - 2));
  for (int c = 0; c < 2; ++c) FStringGridObject->setColumnWidth(c, std::max(1, (w + 1) / 2 - 2));
}

void TvxEntityInspector::resizeEvent(QResizeEvent* e) {
  QWidget::resizeEvent(e);
  FormResize();
}

bool TvxEntityInspector::eventFilter(QObject* watched, QEvent* e) {
  if (watched == FPnlCombo && e->type() == QEvent::Resize) {
    // the button keeps to the right edge; the list takes the width to its left
    const int w = FPnlCombo->width();
    FSpeedButtonStayOnTop->move(std::max(0, w - 24), 0);
    FComboBox->setGeometry(0, 1, std::max(20, w - 25), 21);
  } else if (watched == FStringGridObject && e->type() == QEvent::Resize) {
    FormResize();
  }
  return QWidget::eventFilter(watched, e);
}

}  // namespace vx
