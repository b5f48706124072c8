// Attribute definitions and attributes.
#include "database/vxAttribs.h"

#include "database/vxConverter.h"

#include <cmath>
#include <typeinfo>

namespace vx {

void TvxDXFAttdef::SetTag(const std::string& tag) {
  FTag = tag;
  FText = tag;
}

std::string TvxDXFAttdef::EntName() const {
  std::string n = TvxDXFCustomVertex::EntName();
  const size_t blank = n.find(' ');
  if (blank != std::string::npos) n.insert(blank + 1, FTag + " = ");
  return n;
}

bool TvxDXFAttdef::GetStrValue(const std::string& name, std::string& value) const {
  value = FValue;
  return true;
}

bool TvxDXFAttdef::SetStrValue(const std::string& name, const std::string& value) {
  SetValue(value);
  return true;
}

void TvxDXFAttdef::UpdateTextBox() {
  FBox = BadBox;
  const double h = std::isfinite(FHeight) ? FHeight : 0;
  const double wf = std::isfinite(FWidthFactor) && FWidthFactor > 0 ? FWidthFactor : 1;
  const double w = 0.6 * h * wf * static_cast<double>(FText.size());
  const TFMatrix rot = RotationMatrixZDeg(std::isfinite(FRotation) ? FRotation : 0);
  for (const TFPoint& c : {TFPoint{0, 0, 0}, TFPoint{w, 0, 0}, TFPoint{w, h, 0}, TFPoint{0, h, 0}})
    ExpandBox(FBox, AddFPoint(FPoint, TransformPoint(c, rot)));
}

void TvxDXFAttdef::LoadData(TvxDXFConverter* conv) {
  TvxDXFCustomVertex::LoadData(conv);
  UpdateTextBox();
}

void TvxDXFAttdef::DoIterate(TvxDXFConverter* conv, const TvxEntityProc& finishProc,
                             const TvxEntityProc& proc) {
  // The rules below concern definitions only (an attribute walks as text).
  if (typeid(*this) == typeid(TvxDXFAttdef)) {
    // An attribute of the reference carries this tag and was drawn in its place. The mark is
    // dropped first, so that it never outlives this reference's walk.
    if (FHasChanging) {
      FHasChanging = false;
      return;
    }
    const bool inReference = conv && conv->Params() && conv->Params()->Insert;
    if (inReference && (FAttFlags == 0 || NotAppear() || Controlled() || Preset())) return;
    if (inReference && FText != FValue) {
      FText = FValue;
      LoadData(conv);
    }
  }
  TvxDXFCustomVertex::DoIterate(conv, finishProc, proc);
}

void TvxDXFAttdef::AssignEntity(const TvxDXFEntity* source) {
  TvxDXFCustomVertex::AssignEntity(source);
  auto* src = dynamic_cast<const TvxDXFAttdef*>(source);
  if (!src) return;
  FText = src->FText;
  FPoint1 = src->FPoint1;
  FUsesPoint1 = src->FUsesPoint1;
  FHeight = src->FHeight;
  FWidthFactor = src->FWidthFactor;
  FRotation = src->FRotation;
  FBox = src->FBox;
  FAttFlags = src->FAttFlags;
  FHasChanging = false;
  FTag = src->FTag;
  FValue = src->FValue;
  FLockPosition = src->FLockPosition;
}

void TvxDXFAttrib::DoIterate(TvxDXFConverter* conv, const TvxEntityProc& finishProc,
                             const TvxEntityProc& proc) {
  if (NotAppear()) return;
  TvxDXFCustomVertex::DoIterate(conv, finishProc, proc);
}

}  // namespace vx
