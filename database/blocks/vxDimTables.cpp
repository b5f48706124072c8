// Dimensions and tables shown through their stored blocks.
#include "database/blocks/vxDimTables.h"

#include "database/core/vxTables.h"

namespace vx {

// ---- TvxDXFDimension --------------------------------------------------------------------------

TvxDXFDimensionStyle* TvxDXFDimension::Style() const {
  return dynamic_cast<TvxDXFDimensionStyle*>(FStyleItem.Item());
}

void TvxDXFDimension::SetStyle(TvxDXFDimensionStyle* style) { FStyleItem.SetItem(style); }

void TvxDXFDimension::AssignEntity(const TvxDXFEntity* source) {
  TvxDXFInsert::AssignEntity(source);
  auto* s = dynamic_cast<const TvxDXFDimension*>(source);
  if (!s || s == this) return;
  FDefPoint = s->FDefPoint;
  FMiddlePoint = s->FMiddlePoint;
  FLinDefPoint1 = s->FLinDefPoint1;
  FLinDefPoint2 = s->FLinDefPoint2;
  FRadDefPoint = s->FRadDefPoint;
  FArcDefPoint = s->FArcDefPoint;
  FDimFlags = s->FDimFlags;
  FTextOverride = s->FTextOverride;
  FTextRotation = s->FTextRotation;
  SetStyle(s->Style());
}

void TvxDXFDimension::UnlinkReferences() {
  FStyleItem.SetItem(nullptr);
  TvxDXFInsert::UnlinkReferences();
}

// ---- TvxDXFAcadTable --------------------------------------------------------------------------

void TvxDXFAcadTable::LoadData(TvxDXFConverter* conv) {
  SetScale(cnstFPointSingle);
  SetAngle(0);
  TvxDXFInsert::LoadData(conv);
}

void TvxDXFAcadTable::AssignEntity(const TvxDXFEntity* source) {
  TvxDXFInsert::AssignEntity(source);
  auto* s = dynamic_cast<const TvxDXFAcadTable*>(source);
  if (!s || s == this) return;
  FTableFlags = s->FTableFlags;
  FNumRows = s->FNumRows;
  FNumCols = s->FNumCols;
  FDirection = s->FDirection;
  FStyleHandle = s->FStyleHandle;
}

}  // namespace vx
