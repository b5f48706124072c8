// Table items and tables.
#include "database/core/vxTables.h"

#include "database/core/vxConverter.h"
#include "database/core/vxNames.h"
#include "database/core/vxSettings.h"

#include <algorithm>
#include <atomic>
#include <cstring>

namespace vx {

// ---- TvxDXFOwneredItem ----------------------------------------------------------------------

TvxDXFConverter* TvxDXFOwneredItem::GetConverter() const {
  if (FConverter) return FConverter;
  const TvxDXFEntity* owner = GetOwner();
  return owner ? owner->GetConverter() : nullptr;
}

void TvxDXFOwneredItem::SetConverter(TvxDXFConverter* conv) {
  BindEntityToConverter(this, FConverter, conv);
}

void TvxDXFOwneredItem::AssignEntity(const TvxDXFEntity* source) {
  TvxDXFEntity::AssignEntity(source);
  if (auto* src = dynamic_cast<const TvxDXFOwneredItem*>(source)) SetName(src->GetName());
}

void TvxDXFOwneredItem::UnlinkReferences() {
  FDictionary = nullptr;
  SetConverter(nullptr);
}

void TvxDXFPenTableItem::AssignEntity(const TvxDXFEntity* source) {
  TvxDXFOwneredItem::AssignEntity(source);
  if (auto* src = dynamic_cast<const TvxDXFPenTableItem*>(source)) FFlags = src->FFlags;
}

void TvxDXFCustomColor::AssignEntity(const TvxDXFEntity* source) {
  TvxDXFPenTableItem::AssignEntity(source);
  if (auto* src = dynamic_cast<const TvxDXFCustomColor*>(source)) FColor = src->FColor;
}

// ---- TvxDXFLayer ----------------------------------------------------------------------------

TvxDXFLayer::TvxDXFLayer() : FIsCheckName(GlobalSettings.CheckLayerNames) {
  FColor = cnstColorCADByWhite();
}

bool TvxDXFLayer::IsValidLayerName(const std::string& name) {
  if (name.empty()) return false;
  size_t chars = 0;  // characters, not bytes: UTF-8 continuation bytes do not count
  for (unsigned char c : name) {
    if ((c & 0xC0) != 0x80) ++chars;
    if (c < 0x80 && std::strchr("\"*,/:;<=>?\\`|", static_cast<char>(c)) && c != 0) return false;
  }
  return chars <= 255;
}

void TvxDXFLayer::SetName(const std::string& name) {
  if (FIsCheckName && !IsValidLayerName(name)) throw EvxIncorrectNameLayer();
  TvxDXFCustomColor::SetName(name);
}

TvxDXFLineType* TvxDXFLayer::GetLineType() const {
  return dynamic_cast<TvxDXFLineType*>(FLineTypeItem.Item());
}

void TvxDXFLayer::SetLineType(TvxDXFLineType* ltype) { FLineTypeItem.SetItem(ltype); }

const TvxLines* TvxDXFLayer::GetLines() const {
  const TvxDXFLineType* lt = GetLineType();
  return lt ? lt->GetLines() : nullptr;
}

void TvxDXFLayer::SetFrozen(bool v) {
  FFlags = v ? (FFlags | cnstLayerFrozen) : (FFlags & ~cnstLayerFrozen);
}

void TvxDXFLayer::SetLocked(bool v) {
  FFlags = v ? (FFlags | cnstLayerLocked) : (FFlags & ~cnstLayerLocked);
}

bool TvxDXFLayer::IsPlotting() const { return FIsPlotting && !SameName(GetName(), "DEFPOINTS"); }

void TvxDXFLayer::LoadData(TvxDXFConverter* conv) {
  if (FColor.Active == acIndexColor) {
    const auto index = static_cast<int32_t>(FColor.Color);
    if (index < 0) {
      // A switched-off layer stores its colour negated. Values that do not negate into the
      // palette (-32768 from a 16-bit field) fall back to the layer default.
      const int64_t positive = -static_cast<int64_t>(index);
      FColor.Color = positive >= 1 && positive <= 255 ? static_cast<uint32_t>(positive) : 7u;
      FVisible = false;
    }
  }
  if (conv) {
    const TvxDXFLineType* lt = GetLineType();
    if (lt && (SameName(lt->GetName(), "BYLAYER") || SameName(lt->GetName(), "BYBLOCK"))) {
      SetLineType(
          static_cast<TvxDXFLineType*>(conv->FindOrCreateItem("CONTINUOUS", csLTypes, true)));
    }
  }
  if (SameName(GetName(), "*ADSK_CONSTRAINTS")) SetFrozen(true);
  TvxDXFCustomColor::LoadData(conv);
}

void TvxDXFLayer::ResolveLinks(TvxDXFConverter* conv) {
  auto* link = dynamic_cast<TvxLinkObject*>(FLineTypeItem.Item());
  if (!link || !conv) return;
  TvxDXFLineType* lt = nullptr;
  if (TvxDXFTable* ltypes = conv->LTypes()) {
    lt = link->Data().LinkType == lodtName ? ltypes->FindItem<TvxDXFLineType>(link->Data().Name)
                                           : dynamic_cast<TvxDXFLineType*>(link->GetObject(ltypes));
  }
  SetLineType(lt);
}

void TvxDXFLayer::AssignEntity(const TvxDXFEntity* source) {
  TvxDXFCustomColor::AssignEntity(source);
  if (auto* src = dynamic_cast<const TvxDXFLayer*>(source)) {
    if (!dynamic_cast<TvxLinkObject*>(src->FLineTypeItem.Item()))
      FLineTypeItem.SetItem(src->FLineTypeItem.Item());
    FLineWeight = src->FLineWeight;
    FIsPlotting = src->FIsPlotting;
    FFrozenByViewPort = src->FFrozenByViewPort;
    FVisible = src->FVisible;
  }
}

void TvxDXFLayer::UnlinkReferences() {
  FLineTypeItem.SetItem(nullptr);
  TvxDXFCustomColor::UnlinkReferences();
}

// ---- other items ----------------------------------------------------------------------------

void TvxDXFLineType::LoadData(TvxDXFConverter* conv) {
  if (SameName(GetName(), "CONTINUOUS"))
    FLines.Clear();
  else
    FLines.Loaded();
  TvxDXFPenTableItem::LoadData(conv);
}

void TvxDXFLineType::AssignEntity(const TvxDXFEntity* source) {
  TvxDXFPenTableItem::AssignEntity(source);
  if (auto* src = dynamic_cast<const TvxDXFLineType*>(source)) {
    FLines.Assign(src->FLines);
    FLines.Loaded();
  }
}

void TvxDXFStyle::AssignEntity(const TvxDXFEntity* source) {
  TvxDXFPenTableItem::AssignEntity(source);
  if (auto* src = dynamic_cast<const TvxDXFStyle*>(source)) {
    PrimaryFont = src->PrimaryFont;
    BigFont = src->BigFont;
    FixedHeight = src->FixedHeight;
    WidthFactor = src->WidthFactor;
    ObliqueAngle = src->ObliqueAngle;
    LastHeightUsed = src->LastHeightUsed;
    FontName = src->FontName;
    FontStyle = src->FontStyle;
    TextGenFlags = src->TextGenFlags;
  }
}

TvxDXFStyle* TvxDXFDimensionStyle::GetTextStyle() const {
  return dynamic_cast<TvxDXFStyle*>(FTextStyleItem.Item());
}

void TvxDXFDimensionStyle::AssignEntity(const TvxDXFEntity* source) {
  TvxDXFPenTableItem::AssignEntity(source);
  if (auto* src = dynamic_cast<const TvxDXFDimensionStyle*>(source)) {
    DimProps = src->DimProps;
    if (!dynamic_cast<TvxLinkObject*>(src->FTextStyleItem.Item()))
      FTextStyleItem.SetItem(src->FTextStyleItem.Item());
  }
}

void TvxDXFDimensionStyle::UnlinkReferences() {
  FTextStyleItem.SetItem(nullptr);
  TvxDXFPenTableItem::UnlinkReferences();
}

void TvxDXFVport::LoadData(TvxDXFConverter* conv) {
  if (conv) conv->SetIsHaveActiveVPort(true);
  TvxDXFPenTableItem::LoadData(conv);
}

void TvxDXFVport::AssignEntity(const TvxDXFEntity* source) {
  TvxDXFPenTableItem::AssignEntity(source);
  if (auto* src = dynamic_cast<const TvxDXFVport*>(source)) {
    CircleZoomPercent = src->CircleZoomPercent;
    ViewAspectRatio = src->ViewAspectRatio;
    ViewCenterPoint = src->ViewCenterPoint;
    ViewDirection = src->ViewDirection;
    ViewHeight = src->ViewHeight;
    ViewTarget = src->ViewTarget;
    ViewTwistAngle = src->ViewTwistAngle;
    UCSOrigin = src->UCSOrigin;
    UCSYDir = src->UCSYDir;
    UCSXDir = src->UCSXDir;
    UCSVP = src->UCSVP;
  }
}

void TvxDXFSortEntsTable::AssignEntity(const TvxDXFEntity* source) {
  TvxDXFOwneredItem::AssignEntity(source);
  if (auto* src = dynamic_cast<const TvxDXFSortEntsTable*>(source)) {
    SortObject = src->SortObject;
    SortObjectHandle = src->SortObjectHandle;
    HandlesOld = src->HandlesOld;
    HandlesNew = src->HandlesNew;
  }
}

// ---- TvxDXFTable ----------------------------------------------------------------------------

namespace {

auto LowerBoundName(const std::vector<TvxNameEntry>& list, const std::string& name) {
  return std::lower_bound(list.begin(), list.end(), name,
                          [](const TvxNameEntry& e, const std::string& n) { return NameLess(e.Name, n); });
}

}  // namespace

void TvxDXFTable::SetOwner(TvxDXFEntity* owner) {
  TvxDXFGroup::SetOwner(owner);
  FNamedItem.SetOwner(owner);
}

TvxDXFEntity* TvxDXFTable::FindEntByName(const std::string& name) const {
  auto it = LowerBoundName(FSortEntList, name);
  return it != FSortEntList.end() && SameName(it->Name, name) ? it->Entity : nullptr;
}

TvxDXFEntity* TvxDXFTable::FindEntByNameIf(
    const std::string& name, const std::function<bool(const TvxDXFEntity*)>& fits) const {
  for (auto it = LowerBoundName(FSortEntList, name);
       it != FSortEntList.end() && SameName(it->Name, name); ++it)
    if (!fits || fits(it->Entity)) return it->Entity;
  return nullptr;
}

void TvxDXFTable::Touch() {
  static std::atomic<uint64_t> next{0};
  FChangeStamp = next.fetch_add(1, std::memory_order_relaxed) + 1;
}

int TvxDXFTable::AddName(TvxDXFEntity* child) {
  if (!child) return -1;
  Touch();
  std::string name = child->GetName();
  // Before its equals: among duplicates the newest is found first, as the last-to-first scan
  // of IndexOfName finds it.
  auto it = LowerBoundName(FSortEntList, name);
  it = FSortEntList.insert(it, TvxNameEntry{std::move(name), child});
  return static_cast<int>(it - FSortEntList.begin());
}

void TvxDXFTable::RemoveName(TvxDXFEntity* child) {
  Touch();
  if (!child || FSortEntList.empty()) return;
  const std::string name = child->GetName();
  for (auto it = LowerBoundName(FSortEntList, name);
       it != FSortEntList.end() && SameName(it->Name, name); ++it) {
    if (it->Entity == child) {
      FSortEntList.erase(it);
      return;
    }
  }
  // The entry was made under another name (renamed behind the index's back).
  auto it = std::find_if(FSortEntList.begin(), FSortEntList.end(),
                         [child](const TvxNameEntry& e) { return e.Entity == child; });
  if (it != FSortEntList.end()) FSortEntList.erase(it);
}

void TvxDXFTable::RebuildNameIndex() {
  Touch();
  FSortEntList.clear();
  FSortEntList.reserve(FEntities.size());
  for (TvxDXFEntity* e : FEntities)
    if (e) AddName(e);
}

void TvxDXFTable::Clear(bool freeChildren) {
  Touch();
  FSortEntList.clear();
  TvxDXFGroup::Clear(freeChildren);
}

void TvxDXFTable::ListChanged(TvxDXFEntity* child, TvxListNotification action) {
  Touch();
  if (!child) return;
  if (action == lnAdded)
    AddName(child);
  else
    RemoveName(child);
  TvxDXFGroup::ListChanged(child, action);
}

void TvxDXFTable::LoadData(TvxDXFConverter* conv) {
  if (FSortEntList.size() != FEntities.size()) RebuildNameIndex();
  TvxDXFGroup::LoadData(conv);
}

void TvxDXFTable::UnlinkReferences() {
  Touch();
  FSortEntList.clear();
  TvxDXFGroup::UnlinkReferences();
}

}  // namespace vx
