// Sections and the header sample entities.
#include "database/core/vxSections.h"

#include "database/blocks/vxBlocks.h"

namespace vx {

void TvxDXFSectionBlocks::ListChanged(TvxDXFEntity* child, TvxListNotification action) {
  TvxDXFSection::ListChanged(child, action);
  if (action == lnAdded) return;
  if (auto* block = dynamic_cast<TvxDXFBlock*>(child))
    if (TvxDXFBlockRecord* rec = block->BlockRecord()) rec->SetDictionary(nullptr);
}

bool TvxDXFEntitySample::GetStrValue(const std::string& name, std::string& value) const {
  return false;  // the property grid layer maps header variables by name
}

bool TvxDXFEntitySample::SetStrValue(const std::string& name, const std::string& value) {
  return false;
}

TvxDXFSectionHeader::TvxDXFSectionHeader() : FAccess(new TvxDXFEntitySample()) {}

void TvxDXFSectionHeader::FreeOwnedParts() {
  TvxDXFEntity::FreeEntity(FAccess);
  FAccess = nullptr;
  TvxDXFSectionForXMLExport::FreeOwnedParts();
}

}  // namespace vx
