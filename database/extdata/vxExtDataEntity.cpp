// The entity-level extended-data operations: the converter's store and the hyperlink.
#include "database/core/vxConverter.h"
#include "database/extdata/vxExtData.h"

namespace vx {

TvxCADExtendedData* TvxDXFEntity::GetEED(uint64_t appHandle) const {
  const uint64_t h = GetHandle();
  const TvxDXFConverter* conv = GetConverter();
  if (h == 0 || !conv) return nullptr;
  return conv->EntityEEDItems().Find(h, appHandle);
}

void TvxDXFEntity::SetEED(TvxCADExtendedData* data, uint64_t appHandle) {
  const uint64_t h = GetHandle();
  TvxDXFConverter* conv = GetConverter();
  if (h == 0 || !conv) {
    if (data) delete data;  // nobody could ever find it
    return;
  }
  conv->EntityEEDItems().Set(h, appHandle, data);
}

bool TvxDXFEntity::GetExtData(TvxCADExtendedData& data, const std::string& appName) const {
  if (appName != cnstHyperLinkApp) return false;
  return ExtDataFromHyperLink(GetHyperLink(), data);
}

void TvxDXFEntity::SetExtDataHyperLink(const TvxCADExtendedData& data) {
  std::string link;
  if (HyperLinkFromExtData(data, link)) SetHyperLink(link);
}

}  // namespace vx
