// TfmPreview: the window's layout and the copies of the selection in a drawing of its own.
#include "app/vxPreview.h"

#include "app/vxSelectionManager.h"
#include "viewer/vxDrawingNavigator.h"

#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

#include <memory>

namespace vx {

TfmPreview::TfmPreview(QWidget* parent) : QDialog(parent) {
  setWindowTitle("Preview selected entities");
  setObjectName("fmPreview");
  QFont f = font();
  f.setPixelSize(11);
  setFont(f);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  FPnlNavigator = new QWidget(this);
  auto* inner = new QVBoxLayout(FPnlNavigator);
  inner->setContentsMargins(0, 0, 0, 0);
  FDNavigator = new TvxDrawingNavigator(FPnlNavigator);
  FDNavigator->AutoFocus = true;
  FDNavigator->RectZooming = true;
  inner->addWidget(FDNavigator);
  layout->addWidget(FPnlNavigator, 1);
  FLabel = new QLabel("Demo preview (for some TvxDXFEntity classes)", this);
  FLabel->setAlignment(Qt::AlignCenter);
  FLabel->setFixedHeight(13);
  QFont lf("Arial");
  lf.setPixelSize(10);
  FLabel->setFont(lf);
  layout->addWidget(FLabel);
  FPnlButton = new QWidget(this);
  FPnlButton->setFixedHeight(41);
  FBtnCancel = new QPushButton("Close", FPnlButton);
  FBtnCancel->setGeometry(111, 10, 75, 23);
  QObject::connect(FBtnCancel, &QPushButton::clicked, this, [this] { reject(); });
  layout->addWidget(FPnlButton);
  resize(300, 349);
}

TfmPreview::~TfmPreview() {
  // the copies go with the preview's drawing, before the drawing they link into may go
  FDNavigator->SetGraphic(nullptr);
  if (FSource) FSource->Release();
}

void TfmPreview::resizeEvent(QResizeEvent* e) {
  QDialog::resizeEvent(e);
  FBtnCancel->move(width() / 2 - FBtnCancel->width() / 2, FBtnCancel->y());
}

void TfmPreview::showEvent(QShowEvent* e) {
  QDialog::showEvent(e);
  // laid out now: the copies fill the viewer
  if (layout()) layout()->activate();
  FDNavigator->FitToSize();
}

void TfmPreview::FillImage(TvxSelectionManager& manager, TvxCADImage*) {
  FSManager = &manager;
  TvxDXFConverter* source = manager.Converter();
  if (source && source != FSource) {
    source->Reference();
    if (FSource) FSource->Release();
    FSource = source;
  }
  auto img = std::make_unique<TvxCADImage>();
  TvxDXFConverter* conv = img->Converter();
  TvxDXFEntity* entities = conv ? conv->SectionContainer(csEntities) : nullptr;
  if (entities)
    for (const TvxDXFEntity* e : manager.Entities()) {
      if (!e) continue;
      TvxDXFEntity* copy = e->Clone();
      if (conv->OnCreate) conv->OnCreate(copy);
      conv->RegisterHandle(copy);
      if (entities->AddEntity(copy) < 0) {
        copy->Free();
        continue;
      }
      conv->Loads(copy);
    }
  img->GetExtents();
  img->SetAntialias(FDNavigator->Antialias);
  const TColor bg = img->BackgroundColor();
  QPalette pal = FDNavigator->palette();
  pal.setColor(FDNavigator->backgroundRole(), QColor(bg & 0xFF, (bg >> 8) & 0xFF, (bg >> 16) & 0xFF));
  FDNavigator->setPalette(pal);
  FDNavigator->setAutoFillBackground(true);
  FDNavigator->SetGraphic(std::move(img));
  FDNavigator->FitToSize();
}

void ShowPreview(QWidget* owner, TvxSelectionManager& manager, TvxCADImage* mainImage,
                 const std::function<void(const QString&)>& message,
                 const std::function<void(TfmPreview&)>& onShown) {
  if (manager.Entities().empty()) {
    const QString text = "There are no selected entities";
    if (message)
      message(text);
    else
      QMessageBox::information(owner, "Preview selected entities", text);
    return;
  }
  TfmPreview preview(owner);
  preview.FillImage(manager, mainImage);
  if (onShown) {
    preview.show();
    onShown(preview);
  } else {
    preview.exec();
  }
}

}  // namespace vx
