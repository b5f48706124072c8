// TfmMain's files: the open dialog and its filter, opening (progress, Cancel, failures that leave
// nothing dangling), closing, recent files, the layout menu, and files dropped on the window.
#include "app/vxMainWindow.h"

#include "database/layouts/vxLayouts.h"
#include "render/vxSelectionMatrix.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QLabel>
#include <QLayout>
#include <QMenu>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QToolButton>

#include <algorithm>
#include <set>

namespace vx {

namespace {

// The system's own filter, as "label|patterns" pairs.
constexpr const char* cnstOpenFilter =
    "All (*.jpg;*.jpeg;*.bmp;*.ico;*.emf;*.wmf;*.dxf)|*.jpg;*.jpeg;*.bmp;*.ico;*.emf;*.wmf;*.dxf;"
    "*.dwg;*.plt;*.hgl;*.hpg|JPEG Image File (*.jpg)|*.jpg|JPEG Image File (*.jpeg)|*.jpeg|"
    "Bitmaps (*.bmp)|*.bmp|Icons (*.ico)|*.ico|Enhanced Metafiles (*.emf)|*.emf|"
    "Metafiles (*.wmf)|*.wmf|CAD files (*.dxf;*.dwg;*.plt)|*.dxf;*.dwg;*.plt;*.hgl;*.hpg";

constexpr int cnstMaxRecent = 8;

QStringList Split(const QString& s, QChar sep) { return s.split(sep, Qt::SkipEmptyParts); }

// "label (p1;p2)" with patterns "p1;p2;p3" -> "label (p1 p2 p3)": Qt reads the patterns from
// the last parentheses, separated by blanks.
QString QtFilterEntry(QString label, const QStringList& patterns) {
  const int open = label.lastIndexOf('(');
  if (open > 0 && label.endsWith(')')) label = label.left(open).trimmed();
  return label + " (" + patterns.join(' ') + ")";
}

}  // namespace

QString TfmMain::OpenDialogFilter() {
  const QStringList parts = QString(cnstOpenFilter).split('|');
  std::vector<std::pair<QString, QStringList>> entries;
  for (int i = 0; i + 1 < parts.size(); i += 2) entries.push_back({parts[i], Split(parts[i + 1], ';')});
  // the extensions the registry knows besides, in "All" and one entry each
  std::set<QString> known;
  for (const auto& e : entries)
    for (const QString& p : e.second) known.insert(p.toLower());
  std::vector<std::pair<QString, QStringList>> extra;
  for (const TvxGraphicFormat& f : TvxGraphicRegistry::Instance().Formats()) {
    const QString pattern = "*." + QString::fromStdString(f.Extension).toLower();
    if (!known.insert(pattern).second) continue;
    entries.front().second.append(pattern);
    extra.push_back({QString::fromStdString(f.Description), QStringList{pattern}});
  }
  QStringList out;
  for (const auto& e : entries) out << QtFilterEntry(e.first, e.second);
  for (const auto& e : extra) out << QtFilterEntry(e.first, e.second);
  return out.join(";;");
}

// ---- opening ------------------------------------------------------------------------------------

void TfmMain::FileOpen() {
  if (FLoading) return;
  // (OpenFile shows its own failures)
  FManager.DeselectAll();
  const QString name = QFileDialog::getOpenFileName(this, "Open", QString(), OpenDialogFilter());
  if (name.isEmpty()) return;  // cancelled: nothing changes
  OpenFile(name.toStdString());
}

void TfmMain::RebindAll() {
  FManager.SetDNavigator(FDNavigator);
  FBlockLibrary.SetDNavigator(FDNavigator);
  if (!FDNavigator->Image()) FInspector->Clear();
}

bool TfmMain::OpenFile(const std::string& fileName) {
  if (FLoading) return false;
  FManager.DeselectAll();
  FDNavigator->SetGraphic(nullptr);
  FDNavigator->BeginUpdate();
  FLoading = true;
  FCancelRequested = false;
  for (QAction* a : FFileActions) a->setEnabled(false);
  FRecentMenu->setEnabled(false);
  FBtnOpen->setEnabled(false);
  FProgress->setValue(0);
  FProgress->show();
  FCancel->show();
  FDNavigator->OnProgress = [this](TvxGraphic*, TvxProgressStage s, int p, const std::string&) {
    Progress(s, p);
  };
  auto endLoading = [this] {
    FDNavigator->OnProgress = nullptr;
    FLoading = false;
    for (QAction* a : FFileActions) a->setEnabled(true);
    FRecentMenu->setEnabled(!FRecent.empty());
    FBtnOpen->setEnabled(true);
    FProgress->hide();
    FCancel->hide();
  };
  QString failure;
  try {
    FDNavigator->LoadFromFile(fileName);
  } catch (const std::exception& e) {
    failure = QString::fromUtf8(e.what());
  } catch (...) {
    failure = "Unexpected error";
  }
  endLoading();
  // A cancelled open opens nothing: the part read so far goes with the rest.
  if (!failure.isEmpty() || FCancelRequested || !FDNavigator->Graphic()) {
    // Nothing may keep the drawing that failed (or the one before it): everything is bound to
    // the now empty navigator before the message shows.
    FDNavigator->SetGraphic(nullptr);
    RebindAll();
    FDNavigator->EndUpdate();
    repaint();
    if (FCancelRequested)
      FPanels[0]->setText("Loading cancelled");
    else
      Message(QApplication::applicationName(), failure, true);
    if (FCloseAfterLoad) close();
    return false;
  }
  RebindAll();
  setWindowTitle(QString::fromStdString(fileName) + " Editor");
  SetFileState(true);
  FBtnSelect->setChecked(true);
  FBtnMSelect->setChecked(false);
  FManager.SetMode(mmSelect);
  FDNavigator->show();
  if (centralWidget() && centralWidget()->layout()) centralWidget()->layout()->activate();
  FDNavigator->FitToSize();
  if (TvxCADImage* img = FDNavigator->Image()) {
    img->SetMatrixMode(smEnabled);
    if (!img->SelectionMatrix()) img->SetSelectionMatrix(new TvxSelectionMatrix());
  }
  FDNavigator->EndUpdate();
  FDNavigator->RepaintPicture();
  ClearPanels();
  FPanels[0]->setText(QString::fromStdString(fileName));
  AddRecent(fileName);
  RebuildLayoutMenu();
  if (FCloseAfterLoad) close();
  return true;
}

void TfmMain::Progress(TvxProgressStage, int percent) {
  FProgress->setValue(std::clamp(percent, 0, 100));
  if (OnLoadProgress) OnLoadProgress(percent);
  // the window stays alive while the file loads (Cancel, repaints); file actions are off
  QApplication::processEvents();
}

void TfmMain::CancelLoading() {
  if (!FLoading) return;
  FCancelRequested = true;
  if (TvxCADImage* img = TvxCADImage::LoadingImage()) img->StopLoading();
}

void TfmMain::FileClose() {
  if (FLoading) return;
  FManager.Cancel();
  FDNavigator->SetGraphic(nullptr);
  RebindAll();
  FDNavigator->hide();
  FDNavigator->setGeometry(0, 0, 0, 0);
  setWindowTitle(QApplication::applicationName());
  SetFileState(false);
  ClearPanels();
  RebuildLayoutMenu();
}

void TfmMain::SetFileState(bool open) {
  if (!open) {
    FBtnSelect->setChecked(false);
    FBtnMSelect->setChecked(false);
  }
  FBtnSelect->setEnabled(open);
  FBtnMSelect->setEnabled(open);
  FBtnClose->setEnabled(open);
  if (QAction* a = ActionNamed("actClose")) a->setEnabled(open);
}

void TfmMain::ClearPanels() {
  for (QLabel* l : FPanels) l->clear();
}

void TfmMain::closeEvent(QCloseEvent* e) {
  if (FLoading) {
    // the load ends first (it runs on this thread, under this call)
    FCloseAfterLoad = true;
    CancelLoading();
    e->ignore();
    return;
  }
  FileClose();
  if (FInspector) FInspector->close();
  QMainWindow::closeEvent(e);
}

// ---- layouts and recent files -------------------------------------------------------------------

void TfmMain::RebuildLayoutMenu() {
  FLayoutMenu->clear();
  TvxCADImage* img = FDNavigator->Image();
  FLayoutMenu->setEnabled(img && img->LayoutsCount() > 0);
  if (!img) return;
  auto* group = new QActionGroup(FLayoutMenu);
  for (int i = 0; i < img->LayoutsCount(); ++i) {
    TvxDXFLayout* layout = img->Layouts(i);
    if (!layout) continue;
    QAction* a = FLayoutMenu->addAction(QString::fromStdString(layout->GetName()));
    a->setCheckable(true);
    a->setChecked(layout == img->CurrentLayout());
    group->addAction(a);
    QObject::connect(a, &QAction::triggered, this, [this, img, layout] {
      Guarded([&] {
        if (FDNavigator->Image() != img) return;
        FManager.DeselectAll();
        img->SetCurrentLayout(layout);
        FDNavigator->RepaintPicture();
      });
    });
  }
}

void TfmMain::SetRecentFiles(const std::vector<std::string>& files) {
  FRecent = files;
  if (FRecent.size() > cnstMaxRecent) FRecent.resize(cnstMaxRecent);
  RebuildRecentMenu();
}

void TfmMain::AddRecent(const std::string& file) {
  FRecent.erase(std::remove(FRecent.begin(), FRecent.end(), file), FRecent.end());
  FRecent.insert(FRecent.begin(), file);
  if (FRecent.size() > cnstMaxRecent) FRecent.resize(cnstMaxRecent);
  RebuildRecentMenu();
  if (OnRecentFilesChanged) OnRecentFilesChanged(FRecent);
}

void TfmMain::RebuildRecentMenu() {
  FRecentMenu->clear();
  FRecentMenu->setEnabled(!FRecent.empty());
  for (const std::string& f : FRecent) {
    QAction* a = FRecentMenu->addAction(QString::fromStdString(f));
    QObject::connect(a, &QAction::triggered, this, [this, f] { Guarded([&] { OpenFile(f); }); });
  }
}

// ---- drag and drop ------------------------------------------------------------------------------

void TfmMain::dragEnterEvent(QDragEnterEvent* e) {
  const QMimeData* m = e->mimeData();
  if (!FLoading && m && m->hasUrls() && !m->urls().isEmpty() && m->urls().front().isLocalFile())
    e->acceptProposedAction();
}

void TfmMain::dropEvent(QDropEvent* e) {
  const QMimeData* m = e->mimeData();
  if (FLoading || !m || !m->hasUrls() || m->urls().isEmpty() || !m->urls().front().isLocalFile()) return;
  e->acceptProposedAction();
  const std::string file = m->urls().front().toLocalFile().toStdString();
  Guarded([&] { OpenFile(file); });
}

}  // namespace vx
