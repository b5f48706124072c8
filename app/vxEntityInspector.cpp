// The entity inspector's least: binding, clearing, the shown entity.
#include "app/vxEntityInspector.h"

#include "viewer/vxDrawingNavigator.h"

#include <QLabel>
#include <QVBoxLayout>

#include <algorithm>
#include <cstdio>

namespace vx {

TvxEntityInspector::TvxEntityInspector(QWidget* parent) : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint) {
  setWindowTitle("Entity inspector");
  auto* layout = new QVBoxLayout(this);
  FLabel = new QLabel(this);
  layout->addWidget(FLabel);
  resize(240, 120);
}

void TvxEntityInspector::Load(TvxDrawingNavigator* nav) {
  Clear();
  FNavigator = nav;
  TvxCADImage* img = nav ? nav->Image() : nullptr;
  TvxDXFConverter* conv = img ? img->Converter() : nullptr;
  if (TvxDXFEntity* owner = conv ? conv->Sections(csEntities) : nullptr)
    for (int i = 0; i < owner->Count(); ++i)
      if (TvxDXFEntity* e = owner->GetEntity(i)) FList.push_back(e);
}

void TvxEntityInspector::Clear() {
  FNavigator = nullptr;
  FList.clear();
  RefreshGrid(nullptr);
}

void TvxEntityInspector::RefreshGrid(TvxDXFEntity* e) {
  FShown = e;
  if (!e) {
    FLabel->clear();
    return;
  }
  char handle[32];
  std::snprintf(handle, sizeof handle, "%llX", static_cast<unsigned long long>(e->GetHandle()));
  FLabel->setText(QString::fromStdString(e->EntName() + "  " + handle));
}

void TvxEntityInspector::AddEntity(TvxDXFEntity* e) {
  if (e && std::find(FList.begin(), FList.end(), e) == FList.end()) FList.push_back(e);
}

}  // namespace vx
