// The converter: default tables, the whole-drawing load, link resolution, layer dictionaries,
// extents and draw order.
#include "database/core/vxConverter.h"

#include "database/core/vxNames.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numeric>
#include <typeinfo>
#include <unordered_map>

namespace vx {

namespace {

// Recursive passes over the tree stop this deep: a file can nest containers without bound.
constexpr int cnstMaxTreeDepth = 512;

// Containers that show children owned elsewhere: the records table (BLOCKS) and a layout (its
// block). Tree passes do not descend into them.
// Asked for every entity and vertex of the drawing: the answer depends only on the class, and a
// failed dynamic_cast compares type names up the class tree, so answers are kept per class.
bool IsView(const TvxDXFEntity* e) {
  struct Row {
    const std::type_info* Type = nullptr;
    bool View = false;
  };
  constexpr size_t kRows = 64;
  thread_local std::array<Row, kRows> rows;
  const std::type_info* type = &typeid(*e);
  Row& row = rows[(reinterpret_cast<uintptr_t>(type) >> 4) % kRows];
  if (row.Type != type)
    row = {type, dynamic_cast<const TvxDXFBlockRecords*>(e) || dynamic_cast<const TvxDXFLayout*>(e)};
  return row.View;
}

// Clears a callback on every exit, exceptions included.
struct TvxLoaderScope {
  TvxBlockLoader& Slot;
  ~TvxLoaderScope() { Slot = nullptr; }
};

}  // namespace

// ---- loading single items -------------------------------------------------------------------

void TvxDXFConverter::Loads(TvxDXFEntity* e) {
  if (!e) return;
  e->RegisterHandle(this);
  e->SetConverter(this);
  e->LoadData(this);
  if (FCount < INT32_MAX) ++FCount;
}

void TvxDXFConverter::LoadsGroup(TvxDXFEntity* e) {
  if (!e) return;
  const int n = e->Count();
  for (int i = 0; i < n; ++i) {
    if (TvxDXFEntity* c = e->GetEntity(i)) {
      c->RegisterHandle(this);
      c->LoadData(this);
    }
  }
  FCount = static_cast<int>(std::min<int64_t>(int64_t{FCount} + n, INT32_MAX));
}

// ---- default tables -------------------------------------------------------------------------

void TvxDXFConverter::InitializeSectionsBegin() {
  for (TConvSection s : {csLTypes, csLayers, csStyles, csDimStyles, csBlockRecords, csVPorts}) {
    const TvxSectionInfo& info = SectionInfo(s);
    // NewNamedEntity reuses a table of that name already under TABLES.
    if (TvxDXFTable* t = NewNamedTable(info.Name, info.ContainerClass())) SetSection(s, t);
  }
  FillMainSection();
}

void TvxDXFConverter::FillMainSection() {
  if (!FMain) return;
  for (TvxDXFSection* s : {FTablesSection, FBlocksSection, FObjectsSection})
    if (s && FMain->IndexOfEntity(s) < 0) FMain->AddEntity(s);
  if (FTablesSection && FBlockRecords && FTablesSection->IndexOfEntity(FBlockRecords) < 0)
    FTablesSection->AddEntity(FBlockRecords);
  if (FObjectsSection) {
    for (TvxDXFTable* d : {FImageDefs, FMStyles, FLayouts, FTableStyles, FFieldList})
      if (d && FObjectsSection->IndexOfEntity(d) < 0) FObjectsSection->AddEntity(d);
  }
}

bool TvxDXFConverter::IsValidTableName(const std::string& name) const { return !name.empty(); }

void TvxDXFConverter::InitializeSectionsEnd(bool finalizing) {
  // 1. Line types.
  SectionContainer(csLTypes);
  for (const char* name : {"BYLAYER", "BYBLOCK", "CONTINUOUS"}) FindOrCreateItem(name, csLTypes, true);

  // 2. The header's text and dimension styles exist.
  TvxHeadVarStruct& hv = FHeadVarStruct;
  SectionContainer(csStyles);
  SectionContainer(csDimStyles);
  if ((finalizing && !(FStyles && FStyles->FindItem<TvxDXFStyle>(hv.TextStyle))) ||
      !IsValidTableName(hv.TextStyle))
    hv.TextStyle = "STANDARD";
  StyleByName(hv.TextStyle);
  if ((finalizing && !(FDimStyles && FDimStyles->FindItem<TvxDXFDimensionStyle>(hv.DimStyle))) ||
      !IsValidTableName(hv.DimStyle))
    hv.DimStyle = "STANDARD";
  if (TvxDXFDimensionStyle* ds = DimensionStyleByName(hv.DimStyle); ds && !ds->GetTextStyle()) {
    if ((finalizing && !(FStyles && FStyles->FindItem<TvxDXFStyle>(hv.DimTextStyle))) ||
        !IsValidTableName(hv.DimTextStyle))
      hv.DimTextStyle = "STANDARD";
    ds->SetTextStyle(StyleByName(hv.DimTextStyle));
  }

  // 3. "STANDARD" in both.
  FindOrCreateItem("STANDARD", csStyles, true);
  FindOrCreateItem("STANDARD", csDimStyles, true);

  // 4. Every table still missing, then each is loaded.
  for (TConvSection s : {csAppID, csLTypes, csLayers, csStyles, csDimStyles, csBlockRecords, csVPorts})
    if (TvxDXFEntity* t = SectionContainer(s)) Loads(t);

  // 5. Our application id.
  FindOrCreateItem("VXWINVENTORY", csAppID, true);

  // 6. Layers without a line type draw continuous.
  if (FLayers) {
    TvxDXFLineType* continuous = LTypeByName("CONTINUOUS");
    for (int i = 0, n = FLayers->Count(); i < n; ++i)
      if (auto* layer = dynamic_cast<TvxDXFLayer*>(FLayers->GetEntity(i)))
        if (!layer->GetLineTypeItem()) layer->SetLineType(continuous);
  }

  // 7. Empty paper layouts go.
  if (LayoutsCount() >= 2) {
    TvxDXFLayout* layout1 = Layouts(1);
    CleaningLayouts(layout1 && layout1->IsEmpty());
  }

  // 8. Entities read without handles get theirs now.
  FMapEntities->ApplyAndFreeGeneratedList(this);
}

// ---- the whole-drawing load -----------------------------------------------------------------

void TvxDXFConverter::LoadSubtree(TvxDXFEntity* e, int depth) {
  if (!e) return;
  if (depth < cnstMaxTreeDepth && !IsView(e)) {
    for (int i = 0; i < e->Count(); ++i) LoadSubtree(e->GetEntity(i), depth + 1);
  }
  Loads(e);
}

void TvxDXFConverter::LoadBlockOnce(TvxDXFEntity* block) {
  if (!block) return;
  // A block that (through its inserts) asks for itself is being loaded already.
  if (std::find(FBlocksBeingLoaded.begin(), FBlocksBeingLoaded.end(), block) !=
      FBlocksBeingLoaded.end())
    return;
  if (auto* b = dynamic_cast<TvxDXFBlock*>(block); b && b->IsLoaded() && !b->Layout()) return;
  if (static_cast<int>(FBlocksBeingLoaded.size()) >= cnstMaxTreeDepth) return;
  FBlocksBeingLoaded.push_back(block);
  try {
    for (int i = 0; i < block->Count(); ++i) LoadSubtree(block->GetEntity(i), 1);
    Loads(block);
  } catch (...) {
    FBlocksBeingLoaded.pop_back();
    throw;
  }
  FBlocksBeingLoaded.pop_back();
}

void TvxDXFConverter::LoadDrawing() {
  FStatus = stDefault;
  // 1. Tables whose items entities refer to.
  for (TvxDXFTable* t : {FStyles, FLTypes, FLayers, FDimStyles}) {
    if (!t) continue;
    for (int i = 0; i < t->Count(); ++i) Loads(t->GetEntity(i));
  }
  // 2. Objects, children first.
  if (FObjectsSection) {
    for (int i = 0; i < FObjectsSection->Count(); ++i) {
      TvxDXFEntity* e = FObjectsSection->GetEntity(i);
      if (e && e != FLayouts) LoadSubtree(e, 1);
    }
  }
  // 3. Inserts ask for their block through FOnLoad, so a block loads before the insert.
  FOnLoad = [this](TvxDXFEntity* block) { LoadBlockOnce(block); };
  TvxLoaderScope scope{FOnLoad};
  // 4. Ordinary blocks.
  if (FBlocksSection) {
    for (int i = 0; i < FBlocksSection->Count(); ++i) {
      auto* block = dynamic_cast<TvxDXFBlock*>(FBlocksSection->GetEntity(i));
      if (block && !block->Layout()) LoadBlockOnce(block);
    }
  }
  // 5. The layouts' blocks (model space included), then 6. the layouts with their boxes.
  for (int i = 0; i < LayoutsCount(); ++i)
    if (TvxDXFLayout* layout = Layouts(i)) LoadSubtree(layout->PaperSpaceBlock(), 0);
  for (int i = 0; i < LayoutsCount(); ++i) Loads(Layouts(i));
}

// ---- link resolution ------------------------------------------------------------------------

void TvxDXFConverter::ResolveSubtree(TvxDXFEntity* e, int depth) {
  if (!e) return;
  if (depth < cnstMaxTreeDepth && !IsView(e))
    for (int i = 0; i < e->Count(); ++i) ResolveSubtree(e->GetEntity(i), depth + 1);
  e->ResolveLinks(this);
}

void TvxDXFConverter::ResolveDrawingLinks() {
  if (FMain) FMain->ResolveLinks(this);
  if (FHeaderSection) FHeaderSection->ResolveLinks(this);
  for (TvxDXFTable* t : {FStyles, FLTypes, FLayers, FDimStyles, FBlockRecords}) {
    if (!t) continue;
    for (int i = 0; i < t->Count(); ++i) {
      TvxDXFEntity* item = t->GetEntity(i);
      if (!item) continue;
      if (!dynamic_cast<TvxDXFBlockRecord*>(item))
        for (int k = 0; k < item->Count(); ++k)
          if (TvxDXFEntity* c = item->GetEntity(k)) c->ResolveLinks(this);
      item->ResolveLinks(this);
    }
    t->ResolveLinks(this);
    if (t == FLTypes || t == FLayers) t->RebuildNameIndex();
  }
  if (FObjectsSection) {
    for (int i = 0; i < FObjectsSection->Count(); ++i) {
      TvxDXFEntity* e = FObjectsSection->GetEntity(i);
      if (!e) continue;
      if (e == FLayouts) {
        for (int k = 0; k < e->Count(); ++k)
          if (TvxDXFEntity* layout = e->GetEntity(k)) layout->ResolveLinks(this);
        e->ResolveLinks(this);
      } else {
        ResolveSubtree(e, 1);
      }
    }
  }
  if (FBlocksSection) ResolveSubtree(FBlocksSection, 0);
}

// ---- layer dictionaries ---------------------------------------------------------------------

void TvxDXFConverter::RegisterEntityDictionary(uint64_t ownerHandle, uint64_t dictionaryHandle) {
  if (ownerHandle == 0 || dictionaryHandle == 0) return;
  FEntityDictionaries.emplace(ownerHandle, dictionaryHandle);  // one entry per owner
}

void TvxDXFConverter::ApplyLayerDictionaries() {
  if (FEntityDictionaries.empty()) return;
  // The owners are found by handle among the layers; entries of other owners are dropped.
  std::unordered_map<uint64_t, uint64_t> kept;
  if (FLayers) {
    for (int i = 0, n = FLayers->Count(); i < n; ++i) {
      auto* layer = dynamic_cast<TvxDXFLayer*>(FLayers->GetEntity(i));
      if (!layer || layer->GetHandle() == 0) continue;
      auto it = FEntityDictionaries.find(layer->GetHandle());
      if (it == FEntityDictionaries.end()) continue;
      kept.insert(*it);
      if (!FObjectsSection) continue;
      const int k = FObjectsSection->IndexOfHandle(it->second);
      if (k >= 0) layer->SetDictionary(FObjectsSection->GetEntity(k));
      // The round-trip colours of the dictionary's XRecord are read by the extended-data module.
    }
  }
  FEntityDictionaries = std::move(kept);
}

// ---- extents --------------------------------------------------------------------------------

void TvxDXFConverter::DoExtents() {
  for (int i = 0; i < LayoutsCount(); ++i) {
    if (TvxDXFLayout* layout = Layouts(i)) {
      layout->RegisterHandle(this);
      layout->SetConverter(this);
      layout->LoadData(this);
    }
  }
}

TFRect TvxDXFConverter::Extents() const {
  const int i = FDefaultLayoutIndex >= 0 && FDefaultLayoutIndex < LayoutsCount() ? FDefaultLayoutIndex : 0;
  TvxDXFLayout* layout = Layouts(i);
  return layout ? layout->GetBox() : BadBox;
}

// ---- draw order -----------------------------------------------------------------------------

void TvxDXFConverter::SortBlockByTable(TvxDXFBlock* block, const TvxDXFSortEntsTable* table) {
  if (!block || !table) return;
  const size_t pairs = std::min(table->HandlesOld.size(), table->HandlesNew.size());
  const int n = block->Count();
  if (n < 2 || pairs == 0) return;
  std::unordered_map<uint64_t, uint64_t> sortHandle;
  sortHandle.reserve(pairs);
  for (size_t i = 0; i < pairs; ++i) sortHandle.emplace(table->HandlesOld[i], table->HandlesNew[i]);
  std::vector<std::pair<uint64_t, TvxDXFEntity*>> keyed;
  keyed.reserve(static_cast<size_t>(n));
  for (TvxDXFEntity* e : block->Entities()) {
    const uint64_t h = e ? e->GetHandle() : 0;
    auto it = sortHandle.find(h);
    keyed.emplace_back(it != sortHandle.end() ? it->second : h, e);
  }
  // Stable on the unsigned key: entities with equal keys keep their order.
  std::stable_sort(keyed.begin(), keyed.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  std::vector<TvxDXFEntity*> order;
  order.reserve(keyed.size());
  for (const auto& k : keyed) order.push_back(k.second);
  block->ReorderEntities(std::move(order));
  block->SetViewPortOrdIndex(-1);
}

void TvxDXFConverter::SortEntities() {
  if (!FBlockRecords) {
    SortEntitiesInZDepth();
    return;
  }
  for (int i = 0; i < FBlockRecords->Count(); ++i) {
    auto* record = dynamic_cast<TvxDXFBlockRecord*>(FBlockRecords->GetEntity(i));
    TvxDXFEntity* dict = record ? record->GetDictionary() : nullptr;
    if (!dict) continue;
    TvxDXFSortEntsTable* table = nullptr;
    if (auto* t = dynamic_cast<TvxDXFTable*>(dict))
      table = t->FindItem<TvxDXFSortEntsTable>("ACAD_SORTENTS");
    else
      table = dynamic_cast<TvxDXFSortEntsTable*>(dict->FindEntByName("ACAD_SORTENTS"));
    if (!table) continue;
    TvxDXFBlock* block = dynamic_cast<TvxDXFBlock*>(table->SortObject);
    if (!block)
      if (auto* rec = dynamic_cast<TvxDXFBlockRecord*>(table->SortObject)) block = rec->Block();
    if (!block) block = record->Block();
    SortBlockByTable(block, table);
  }
}

bool TvxDXFConverter::SortEntitiesInZDepth() {
  TvxDXFBlock* model = ModelSpaceBlock();
  if (!model || model->Count() < 2) return false;
  std::vector<std::pair<double, TvxDXFEntity*>> keyed;
  keyed.reserve(static_cast<size_t>(model->Count()));
  for (TvxDXFEntity* e : model->Entities()) {
    const TFRect b = e ? e->GetBox() : BadBox;
    keyed.emplace_back((b.Z1 + b.Z2) / 2, e);
  }
  const double first = keyed.front().first;
  const bool allLevel = std::all_of(keyed.begin(), keyed.end(), [first](const auto& k) {
    return std::fabs(k.first - first) <= 1e-6;
  });
  if (allLevel) return false;
  // A strict order: NaN middles go last, equal middles keep their order.
  std::stable_sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) {
    if (std::isnan(a.first)) return false;
    if (std::isnan(b.first)) return true;
    return a.first < b.first;
  });
  std::vector<TvxDXFEntity*> order;
  order.reserve(keyed.size());
  for (const auto& k : keyed) order.push_back(k.second);
  model->ReorderEntities(std::move(order));
  return true;
}

}  // namespace vx
