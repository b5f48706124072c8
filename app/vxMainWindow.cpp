// TfmMain: the window's parts (button panel, menus, status bar), selection modes, the inspector,
// keys, the private message and the status bar's cursor position. Opening and closing files is
// in vxMainWindowFile.cpp.
#include "app/vxMainWindow.h"

#include "database/blocks/vxInserts.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QPainter>
#include <QPainterPath>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace vx {

namespace {

constexpr int cnstPanelWidths[4] = {300, 80, 200, 50};

// The buttons' glyphs: small pictures of what they do.
QIcon Glyph(char kind) {
  QPixmap pm(20, 20);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(QColor(40, 40, 40), 1.5));
  switch (kind) {
    case 'o':  // an open folder
      p.setBrush(QColor(230, 190, 80));
      p.drawPolygon(QPolygonF({QPointF(2, 6), QPointF(8, 6), QPointF(10, 8), QPointF(18, 8),
                               QPointF(18, 17), QPointF(2, 17)}));
      break;
    case 's': {  // the arrow of single picking
      QPainterPath a;
      a.moveTo(5, 2);
      a.lineTo(5, 16);
      a.lineTo(9, 12);
      a.lineTo(12, 18);
      a.lineTo(14, 17);
      a.lineTo(11, 11);
      a.lineTo(16, 11);
      a.closeSubpath();
      p.setBrush(Qt::white);
      p.drawPath(a);
      break;
    }
    case 'm':  // a dotted band
      p.setPen(QPen(QColor(40, 40, 40), 1.2, Qt::DashLine));
      p.drawRect(QRectF(3, 4, 14, 12));
      break;
    case 'i':  // the property list
      p.drawRect(QRectF(3, 2, 14, 16));
      for (int y : {6, 10, 14}) p.drawLine(QPointF(6, y), QPointF(14, y));
      break;
    case 'x':  // closing
      p.drawLine(QPointF(5, 5), QPointF(15, 15));
      p.drawLine(QPointF(15, 5), QPointF(5, 15));
      break;
  }
  return QIcon(pm);
}

QToolButton* SpeedButton(QWidget* parent, int left, int top, int w, int h) {
  auto* b = new QToolButton(parent);
  b->setGeometry(left, top, w, h);
  b->setAutoRaise(true);  // flat
  b->setIconSize(QSize(18, 18));
  return b;
}

}  // namespace

TfmMain::TfmMain(QWidget* parent) : QMainWindow(parent) {
  setWindowTitle(QApplication::applicationName());
  resize(624, 574);
  setAcceptDrops(true);
  auto* central = new QWidget(this);
  auto* layout = new QVBoxLayout(central);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  BuildPanel();
  FPnlMain->setParent(central);
  layout->addWidget(FPnlMain);
  // The navigator has no size until a file is opened (it is not laid out yet).
  FDNavigator = new TvxDrawingNavigator(central);
  FDNavigator->AutoFocus = true;
  FDNavigator->RectZooming = true;
  FDNavigator->OnMouseMove = [this](TvxDrawingNavigator*, Qt::MouseButtons, Qt::KeyboardModifiers,
                                    QPoint p) { ShowCursorPosition(p); };
  FDNavigator->hide();
  layout->addWidget(FDNavigator, 1);
  layout->addStretch(0);
  setCentralWidget(central);
  BuildMenus();
  BuildStatusBar();

  FManager.SetMode(mmSelect);
  // created at start-up in this order: the insertion dialog, the inspector
  FBlockInsert = new TfmBlockInsert(this);
  FBlockInsert->SetBlockLibrary(&FBlockLibrary);
  FBlockInsert->OnInsert = [this](int index, double x, double y) { return InsertBlock(index, x, y); };
  FBlockInsert->OnMessage = [this](const QString& text) {
    Message(FBlockInsert->windowTitle(), text, false);
  };
  FInspector = new TvxEntityInspector(this);
  FManager.SetInspector(FInspector);
  SetFileState(false);
}

TfmMain::~TfmMain() {
  // waiting copies go while their drawing is still there (the library holds it until then)
  FBlockLibrary.Clear();
  // the manager gives the navigator its handlers back before either goes
  FManager.SetInspector(nullptr);
  FManager.SetDNavigator(nullptr);
}

// ---- building -----------------------------------------------------------------------------------

void TfmMain::BuildPanel() {
  FPnlMain = new QWidget(this);
  FPnlMain->setFixedHeight(33);
  FPnlMain->setObjectName("pnlMain");
  // the panel's small font: "Preview selection" fits its 90 pixels
  QFont small = FPnlMain->font();
  small.setPixelSize(11);
  FPnlMain->setFont(small);
  FBtnOpen = SpeedButton(FPnlMain, 4, 5, 25, 25);
  FBtnOpen->setIcon(Glyph('o'));
  FBtnOpen->setToolTip("Open");
  FBtnSelect = SpeedButton(FPnlMain, 53, 5, 25, 25);
  FBtnSelect->setIcon(Glyph('s'));
  FBtnSelect->setCheckable(true);
  FBtnSelect->setToolTip("Select");
  FBtnMSelect = SpeedButton(FPnlMain, 92, 5, 25, 25);
  FBtnMSelect->setIcon(Glyph('m'));
  FBtnMSelect->setCheckable(true);
  FBtnMSelect->setToolTip("Multiple select");
  FBtnEntityInspector = SpeedButton(FPnlMain, 134, 5, 19, 25);
  FBtnEntityInspector->setIcon(Glyph('i'));
  FBtnEntityInspector->setToolTip("Propriété sélection");
  FSbPreviewSelection = SpeedButton(FPnlMain, 376, 3, 90, 25);
  FSbPreviewSelection->setText("Preview selection");
  FSbPreviewSelection->setToolTip("Preview selection");
  // wide enough for its caption in this style (there is room up to the close button)
  FSbPreviewSelection->resize(std::min(120, std::max(90, FSbPreviewSelection->sizeHint().width())), 25);
  FBtnClose = SpeedButton(FPnlMain, 498, 5, 25, 25);
  FBtnClose->setIcon(Glyph('x'));
  FBtnClose->setToolTip("Close");
  FBtnCopy = SpeedButton(FPnlMain, 529, 3, 38, 25);
  FBtnCopy->setText("Copy");
  FBtnCopy->setToolTip("Copy block");
  FBtnPaste = SpeedButton(FPnlMain, 573, 5, 38, 25);
  FBtnPaste->setText("Paste");
  FBtnPaste->setToolTip("Paste block");
  // the close button stays part of the panel, hidden (the menu closes files)
  FBtnClose->hide();

  QObject::connect(FBtnOpen, &QToolButton::clicked, this, [this] { FileOpen(); });
  QObject::connect(FBtnClose, &QToolButton::clicked, this, [this] { Guarded([this] { FileClose(); }); });
  QObject::connect(FBtnSelect, &QToolButton::clicked, this, [this] { Select(); });
  QObject::connect(FBtnMSelect, &QToolButton::clicked, this, [this] { MSelect(); });
  QObject::connect(FBtnEntityInspector, &QToolButton::clicked, this, [this] { ShowInspector(); });
  QObject::connect(FBtnCopy, &QToolButton::clicked, this, [this] { Guarded([this] { CopyAsBlock(); }); });
  QObject::connect(FBtnPaste, &QToolButton::clicked, this, [this] { Guarded([this] { PasteBlock(); }); });
  QObject::connect(FSbPreviewSelection, &QToolButton::clicked, this,
                   [this] { Guarded([this] { PreviewSelection(); }); });
}

QAction* TfmMain::ActionNamed(const QString& objectName) const {
  return findChild<QAction*>(objectName);
}

void TfmMain::BuildMenus() {
  auto add = [this](QMenu* menu, const char* name, const QString& text, QKeySequence key,
                    std::function<void()> f) {
    QAction* a = menu->addAction(text);
    a->setObjectName(name);
    if (!key.isEmpty()) a->setShortcut(key);
    QObject::connect(a, &QAction::triggered, this, [this, f] { Guarded(f); });
    return a;
  };
  QMenu* file = menuBar()->addMenu("&File");
  FFileActions.push_back(add(file, "actOpen", "&Open...", QKeySequence::Open, [this] { FileOpen(); }));
  FFileActions.push_back(add(file, "actClose", "&Close", QKeySequence("Ctrl+W"), [this] { FileClose(); }));
  FRecentMenu = file->addMenu("&Recent files");
  file->addSeparator();
  add(file, "actQuit", "&Quit", QKeySequence("Ctrl+Q"), [this] { close(); });

  QMenu* edit = menuBar()->addMenu("&Edit");
  add(edit, "actSelectAll", "Select &all", QKeySequence::SelectAll, [this] { FManager.SelectAll(); });
  add(edit, "actDeselect", "&Deselect", QKeySequence(Qt::Key_Escape), [this] { FManager.DeselectAll(); });
  edit->addSeparator();
  add(edit, "actCopyBlock", "&Copy as block", QKeySequence("Ctrl+C"), [this] { CopyAsBlock(); });
  add(edit, "actInsertBlock", "&Insert block...", QKeySequence("Ctrl+V"), [this] { PasteBlock(); });

  QMenu* view = menuBar()->addMenu("&View");
  add(view, "actFit", "&Fit to window", QKeySequence("Ctrl+F"), [this] { FDNavigator->FitToSize(); });
  add(view, "actZoomIn", "Zoom &in", QKeySequence(Qt::Key_Plus), [this] {
    FDNavigator->AlterScale(false, QPointF(FDNavigator->Center()), FDNavigator->ZoomInChange);
  });
  add(view, "actZoomOut", "Zoom &out", QKeySequence(Qt::Key_Minus), [this] {
    FDNavigator->AlterScale(false, QPointF(FDNavigator->Center()), FDNavigator->ZoomOutChange);
  });
  add(view, "actPrevious", "&Previous view", QKeySequence("Ctrl+Backspace"),
      [this] { FDNavigator->CallPreviousView(); });
  FLayoutMenu = view->addMenu("&Layout");
  view->addSeparator();
  add(view, "actPreview", "Pre&view selection", QKeySequence(), [this] { PreviewSelection(); });
  add(view, "actInspector", "Entity &inspector", QKeySequence(Qt::Key_F4), [this] { ShowInspector(); });
  RebuildRecentMenu();
}

void TfmMain::BuildStatusBar() {
  QStatusBar* bar = statusBar();
  bar->setSizeGripEnabled(false);
  for (int i = 0; i < 4; ++i) {
    auto* l = new QLabel(bar);
    l->setObjectName(QString("panel%1").arg(i));
    l->setFixedWidth(cnstPanelWidths[i]);
    bar->addWidget(l);
    FPanels.push_back(l);
  }
  FProgress = new QProgressBar(bar);
  FProgress->setRange(0, 100);
  FProgress->setFixedWidth(160);
  FCancel = new QPushButton("Cancel", bar);
  QObject::connect(FCancel, &QPushButton::clicked, this, [this] { CancelLoading(); });
  bar->addPermanentWidget(FProgress);
  bar->addPermanentWidget(FCancel);
  FProgress->hide();
  FCancel->hide();
}

void TfmMain::resizeEvent(QResizeEvent* e) {
  QMainWindow::resizeEvent(e);
  // panel 0 takes what the other three leave
  const int rest = cnstPanelWidths[1] + cnstPanelWidths[2] + cnstPanelWidths[3];
  FPanels[0]->setFixedWidth(std::max(0, statusBar()->width() - rest));
}

// ---- selection, inspector, keys, messages ------------------------------------------------------

void TfmMain::Select() {
  FDNavigator->SetStandardCursor(Qt::ArrowCursor);
  FManager.SetMode(mmSelect);
  FBtnSelect->setChecked(true);
  FBtnMSelect->setChecked(false);
}

void TfmMain::MSelect() {
  FDNavigator->SetStandardCursor(Qt::CrossCursor);
  FManager.SetMode(mmMultiSelect);
  FBtnSelect->setChecked(false);
  FBtnMSelect->setChecked(true);
}

void TfmMain::ShowInspector() {
  if (FInspector->isVisible()) {
    FInspector->activateWindow();
    FInspector->setFocus();
  } else {
    FInspector->show();
  }
}

void TfmMain::CopyAsBlock() {
  if (FManager.Entities().empty() || !FManager.Image()) return;
  FBlockLibrary.CopyAsBlock(FManager.Entities());
}

void TfmMain::PasteBlock() {
  if (FLoading) return;
  FBlockInsert->exec();
}

bool TfmMain::InsertBlock(int index, double x, double y) {
  TvxDXFInsert* reference = FBlockLibrary.PasteAsBlock(index, x, y);
  if (!reference) return false;
  FInspector->AddEntity(reference, true);
  return true;
}

void TfmMain::PreviewSelection() {
  if (FLoading) return;
  ShowPreview(
      this, FManager, FDNavigator->Image(),
      [this](const QString& text) { Message("Preview selected entities", text, false); },
      OnPreviewShown);
}

void TfmMain::keyPressEvent(QKeyEvent* e) {
  if (e->key() == Qt::Key_Escape) {
    FManager.DeselectAll();
    e->accept();
    return;
  }
  QMainWindow::keyPressEvent(e);
}

bool TfmMain::event(QEvent* e) {
  if (e->type() == static_cast<QEvent::Type>(cnstSelectionChangedEvent)) {
    Message("Information", "Selection is changed!!!", false);
    return true;
  }
  return QMainWindow::event(e);
}

void TfmMain::Message(const QString& caption, const QString& text, bool error) {
  if (OnMessage) {
    OnMessage(caption, text);
    return;
  }
  if (error)
    QMessageBox::critical(this, caption, text);
  else
    QMessageBox::information(this, caption, text);
}

void TfmMain::Guarded(const std::function<void()>& f) {
  try {
    f();
  } catch (const std::exception& e) {
    Message(QApplication::applicationName(), QString::fromUtf8(e.what()), true);
  } catch (...) {
    Message(QApplication::applicationName(), "Unexpected error", true);
  }
}

void TfmMain::ShowCursorPosition(QPoint c) {
  FPanels[1]->setText(QString("X:%1  Y:%2").arg(c.x()).arg(c.y()));
  if (!FDNavigator->Graphic()) return;
  const TFPoint p = FDNavigator->GetDrawingInternalCoordsWithoutSnap(c.x(), c.y());
  const QString sep = QLocale::system().decimalPoint();
  const char s = sep.isEmpty() ? '.' : sep.at(0).toLatin1();
  FPanels[2]->setText(QString("X:%1  Y:%2  Z:%3")
                          .arg(QString::fromStdString(CoordinateText(p.X, s ? s : '.')))
                          .arg(QString::fromStdString(CoordinateText(p.Y, s ? s : '.')))
                          .arg(QString::fromStdString(CoordinateText(p.Z, s ? s : '.'))));
}

}  // namespace vx
