// vxMainWindow: TfmMain, the editor's main window. It owns the drawing navigator, the selection
// manager and the block library, opens drawings (the open dialog, the command line, a file
// dropped on the window, the recent files), shows loading progress with a Cancel button, shows
// the cursor position in pixels and drawing units in its status bar, switches between single and
// multiple selection, and opens the entity inspector, the block insertion dialog and the preview.
// Besides the button panel it has a menu bar (File, Edit with the block copy and insertion, View
// with the layouts of the drawing, the preview and the inspector).
//
// Exceptions never cross the event loop: every slot catches and shows a message box.
#pragma once

#include "app/vxBlockInsert.h"
#include "app/vxBlockLibrary.h"
#include "app/vxEntityInspector.h"
#include "app/vxPreview.h"
#include "app/vxSelectionManager.h"
#include "viewer/vxDrawingNavigator.h"

#include <QMainWindow>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class QAction;
class QLabel;
class QMenu;
class QProgressBar;
class QPushButton;
class QToolButton;

namespace vx {

// The event a window receives as the private message 3024 (nothing in the system sends it).
constexpr int cnstSelectionChangedEvent = 1024 + 2000;

class TfmMain : public QMainWindow {
 public:
  explicit TfmMain(QWidget* parent = nullptr);
  ~TfmMain() override;

  // ---- files ----
  // Runs the open dialog, then opens the chosen file.
  void FileOpen();
  // Opens a drawing; false (after a message box) when it cannot be read or loading was
  // cancelled. The window stays usable either way.
  bool OpenFile(const std::string& fileName);
  void FileClose();
  // Asks the load in progress to stop (the Cancel button).
  void CancelLoading();
  bool IsLoading() const { return FLoading; }

  // ---- selection ----
  void Select();
  void MSelect();
  void ShowInspector();

  // ---- blocks and preview ----
  // Copies the selected entities into a new block of the library (nothing when none is selected).
  void CopyAsBlock();
  // Shows the block insertion dialog modally.
  void PasteBlock();
  // The dialog's way back: pastes waiting block index at (x, y) and shows the new reference in
  // the inspector; false when the library has no such block (any more).
  bool InsertBlock(int index, double x, double y);
  // Opens the preview of the selection ("There are no selected entities" when it is empty).
  void PreviewSelection();

  // ---- the open dialog's filter: the system's own, then the extensions the registry holds ----
  static QString OpenDialogFilter();

  // ---- recent files (kept by the program between runs) ----
  const std::vector<std::string>& RecentFiles() const { return FRecent; }
  void SetRecentFiles(const std::vector<std::string>& files);
  std::function<void(const std::vector<std::string>&)> OnRecentFilesChanged;

  // ---- parts (for the program and its tests) ----
  TvxDrawingNavigator* DNavigator() const { return FDNavigator; }
  TvxSelectionManager& Manager() { return FManager; }
  TvxBlockLibrary& BlockLibrary() { return FBlockLibrary; }
  TvxEntityInspector* Inspector() const { return FInspector; }
  TfmBlockInsert* BlockInsertDialog() const { return FBlockInsert; }
  QToolButton* BtnCopy() const { return FBtnCopy; }
  QToolButton* BtnPaste() const { return FBtnPaste; }
  QToolButton* SbPreviewSelection() const { return FSbPreviewSelection; }
  // Runs with the filled preview window instead of its modal loop when set (tests, screenshots).
  std::function<void(TfmPreview&)> OnPreviewShown;
  QLabel* Panel(int i) const { return FPanels[static_cast<size_t>(i)]; }
  QToolButton* BtnOpen() const { return FBtnOpen; }
  QToolButton* BtnSelect() const { return FBtnSelect; }
  QToolButton* BtnMSelect() const { return FBtnMSelect; }
  QToolButton* BtnClose() const { return FBtnClose; }
  QToolButton* BtnEntityInspector() const { return FBtnEntityInspector; }
  QAction* ActionNamed(const QString& objectName) const;
  QMenu* LayoutMenu() const { return FLayoutMenu; }
  // Runs for every progress step of a load (after the bar moved), so that tests can act then.
  std::function<void(int percent)> OnLoadProgress;
  // Message boxes go here instead when set (tests): (caption, text).
  std::function<void(const QString&, const QString&)> OnMessage;

  // The status bar's cursor position (the navigator's mouse move).
  void ShowCursorPosition(QPoint client);

 protected:
  bool event(QEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;
  void closeEvent(QCloseEvent* e) override;
  void dragEnterEvent(QDragEnterEvent* e) override;
  void dropEvent(QDropEvent* e) override;

 private:
  void BuildPanel();
  void BuildMenus();
  void BuildStatusBar();
  void SetFileState(bool open);
  void ClearPanels();
  void RebindAll();
  void RebuildLayoutMenu();
  void RebuildRecentMenu();
  void AddRecent(const std::string& file);
  void Progress(TvxProgressStage stage, int percent);
  void Message(const QString& caption, const QString& text, bool error);
  // Runs f; an exception becomes a message box.
  void Guarded(const std::function<void()>& f);

  TvxDrawingNavigator* FDNavigator = nullptr;
  TvxSelectionManager FManager;
  TvxBlockLibrary FBlockLibrary;
  TvxEntityInspector* FInspector = nullptr;
  TfmBlockInsert* FBlockInsert = nullptr;
  QWidget* FPnlMain = nullptr;
  QToolButton *FBtnOpen = nullptr, *FBtnSelect = nullptr, *FBtnMSelect = nullptr,
              *FBtnEntityInspector = nullptr, *FSbPreviewSelection = nullptr,
              *FBtnClose = nullptr, *FBtnCopy = nullptr, *FBtnPaste = nullptr;
  std::vector<QLabel*> FPanels;
  QProgressBar* FProgress = nullptr;
  QPushButton* FCancel = nullptr;
  QMenu *FLayoutMenu = nullptr, *FRecentMenu = nullptr;
  std::vector<QAction*> FFileActions;  // disabled while a file loads (with the recent files)
  std::vector<std::string> FRecent;
  bool FLoading = false, FCancelRequested = false, FCloseAfterLoad = false;
};

}  // namespace vx
