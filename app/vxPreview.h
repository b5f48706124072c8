// vxPreview: TfmPreview, the "Preview selected entities" window: copies of the selected entities
// in a drawing of their own, fitted in a viewer of their own, with a Close button.
//
// The copies keep the links of their sources (layers, styles, the blocks of references), so the
// window holds a reference on the source drawing's database until its own drawing is gone.
#pragma once

#include <QDialog>

#include <functional>

class QLabel;
class QPushButton;

namespace vx {

class TvxCADImage;
class TvxDXFConverter;
class TvxDrawingNavigator;
class TvxSelectionManager;

class TfmPreview : public QDialog {
 public:
  explicit TfmPreview(QWidget* parent = nullptr);
  ~TfmPreview() override;

  // Copies the manager's selected entities, in order, into a new drawing shown by the preview's
  // viewer, fitted. The main graphic is not needed (the copies come from the selection).
  void FillImage(TvxSelectionManager& manager, TvxCADImage* mainImage = nullptr);

  TvxDrawingNavigator* DNavigator() const { return FDNavigator; }
  TvxSelectionManager* SManager() const { return FSManager; }
  QPushButton* BtnCancel() const { return FBtnCancel; }

 protected:
  void resizeEvent(QResizeEvent* e) override;
  void showEvent(QShowEvent* e) override;

 private:
  TvxSelectionManager* FSManager = nullptr;
  TvxDrawingNavigator* FDNavigator = nullptr;
  QWidget* FPnlNavigator = nullptr;
  QWidget* FPnlButton = nullptr;
  QPushButton* FBtnCancel = nullptr;
  QLabel* FLabel = nullptr;
  TvxDXFConverter* FSource = nullptr;  // one counted reference while the copies live
};

// Opens the preview of the manager's selection modally, or says "There are no selected entities"
// (through message when given, else a message box) and opens nothing. onShown, when given, runs
// with the filled window instead of the modal loop (tests, screenshots).
void ShowPreview(QWidget* owner, TvxSelectionManager& manager, TvxCADImage* mainImage,
                 const std::function<void(const QString&)>& message = nullptr,
                 const std::function<void(TfmPreview&)>& onShown = nullptr);

}  // namespace vx
