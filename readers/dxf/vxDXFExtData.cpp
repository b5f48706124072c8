// Extended data of DXF records: the 1001 blocks of a record, and their filing with the drawing
// after reading.
#include "database/core/vxNames.h"
#include "readers/dxf/vxDXFRecords.h"

#include <algorithm>

namespace vx {

TvxCADExtendedData* TdxfObject::ExtData(std::string_view appName) const {
  for (const auto& [name, data] : FEEDItems)
    if (SameName(name, appName)) return data.get();
  return nullptr;
}

void TdxfObject::ReadExtendedData(TdxfLoader& r) {
  TdxfReader& t = r.Tok;
  // One block after another: each 1001 switches the block (a loop, however many there are).
  // A second block of an application already read is read into a scratch list and dropped.
  std::unique_ptr<TvxCADExtendedData> scratch;
  TvxCADExtendedData* data = nullptr;
  int openPoint = -1;  // the point item waiting for its Y and Z
  auto startBlock = [&]() {
    const std::string name = DXFTrim(t.UValue());
    openPoint = -1;
    scratch.reset();
    if (name.empty() || ExtData(name)) {
      scratch = std::make_unique<TvxCADExtendedData>();
      data = scratch.get();
    } else {
      FEEDItems.emplace_back(name, std::make_unique<TvxCADExtendedData>());
      data = FEEDItems.back().second.get();
    }
    data->AddString(1001, name);
  };
  startBlock();
  ReadProperty(r);
  for (;;) {
    t.Next();
    const int code = t.Code();
    if (code == 0) break;
    // Pairs of other codes inside extended data are skipped.
    if (code < 1000) continue;
    ReadProperty(r);
    if (code == 1001) {
      startBlock();
      continue;
    }
    if (code == 1000 || code == 1002 || code == 1003) {
      data->AddString(code, t.UValue());
    } else if (code == 1004) {
      data->AddBinary(code, DXFTrim(t.Value()));
    } else if (code == 1005) {
      data->AddInt64(code, static_cast<int64_t>(t.HandleValue()));
    } else if (code >= 1010 && code <= 1039) {
      const double v = t.FloatValue();
      if (code < 1020) {
        openPoint = data->AddPoint(code, TFPoint{v, 0, 0});
      } else if (openPoint >= 0) {
        TFPoint p = data->DataPoint(openPoint);
        (code < 1030 ? p.Y : p.Z) = v;
        data->SetDataPoint(openPoint, p);
        if (code >= 1030) openPoint = -1;
      }
    } else if (code >= 1040 && code <= 1042) {
      data->AddDouble(code, t.FloatValue());
    } else if (code == 1070) {
      data->AddInt16(code, static_cast<int16_t>(t.IntValue()));
    } else if (code == 1071) {
      data->AddInt(code, static_cast<int32_t>(t.IntValue()));
    }
  }
}

void TdxfLoader::AddPendingExtData(uint64_t handle, TExtDataList list) {
  if (handle == 0 || list.empty()) return;
  FPendingEED.emplace_back(handle, std::move(list));
}

void TdxfLoader::ResolveExtendedData() {
  TvxEEDStore& store = Conv->EntityEEDItems();
  // From the last record to the first: of two records with one handle, the last read counts.
  for (auto it = FPendingEED.rbegin(); it != FPendingEED.rend(); ++it) {
    const uint64_t handle = it->first;
    if (store.Items(handle)) continue;
    for (auto& [name, data] : it->second) {
      auto* app = dynamic_cast<TvxDXFAppID*>(Conv->FindOrCreateItem(name, csAppID, true));
      if (!app) continue;
      if (app->GetHandle() == 0) app->SetHandle(Conv->ReserveHandle(0));
      if (app->GetHandle() == 0) continue;
      store.Set(handle, app->GetHandle(), data.release());
    }
  }
  FPendingEED.clear();
}

}  // namespace vx
