// Attribute definitions and attributes.
#include "database/blocks/vxAttribs.h"

#include "database/core/vxConverter.h"

#include <typeinfo>

namespace vx {

void TvxDXFAttdef::SetTag(const std::string& tag) {
  FTag = tag;
  FText = tag;
}

std::string TvxDXFAttdef::EntName() const {
  std::string n = TvxDXFText::EntName();
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
    if (inReference) {
      // Shown with its value, substituted as any text; reloaded only when that changes it.
      const std::string before = FText;
      SetText(FValue);
      if (FText != before) LoadData(conv);
    }
  }
  TvxDXFText::DoIterate(conv, finishProc, proc);
}

void TvxDXFAttdef::AssignEntity(const TvxDXFEntity* source) {
  TvxDXFText::AssignEntity(source);
  auto* src = dynamic_cast<const TvxDXFAttdef*>(source);
  if (!src) return;
  FAttFlags = src->FAttFlags;
  FHasChanging = false;
  FTag = src->FTag;
  FValue = src->FValue;
  FLockPosition = src->FLockPosition;
}

void TvxDXFAttrib::DoIterate(TvxDXFConverter* conv, const TvxEntityProc& finishProc,
                             const TvxEntityProc& proc) {
  if (NotAppear()) return;
  TvxDXFText::DoIterate(conv, finishProc, proc);
}

}  // namespace vx
