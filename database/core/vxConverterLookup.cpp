// The converter: named lookups, creation of named items and tables, layouts and handles.
#include "database/core/vxConverter.h"

#include "database/core/vxNames.h"

#include <climits>

namespace vx {

namespace {

// The child of owner with that name that fits the class; among duplicates the newest.
TvxDXFEntity* FindFitting(const TvxDXFEntity* owner, const std::string& name,
                          const TvxEntityClassInfo* cls) {
  if (!owner) return nullptr;
  auto fits = [cls](const TvxDXFEntity* e) { return e && (!cls || cls->IsInstance(e)); };
  TvxDXFEntity* e = owner->FindEntByName(name);
  if (fits(e)) return e;
  if (auto* table = dynamic_cast<const TvxDXFTable*>(owner)) {
    if (!dynamic_cast<const TvxDXFBlockRecords*>(owner))
      return table->FindEntByNameIf(name, fits);
    return nullptr;
  }
  // A plain container: last-to-first scan, the last fitting match wins.
  for (int i = owner->Count() - 1; i >= 0; --i) {
    TvxDXFEntity* c = owner->GetEntity(i);
    if (c && fits(c) && SameName(c->EntName(), name)) return c;
  }
  return nullptr;
}

}  // namespace

// ---- layouts --------------------------------------------------------------------------------

int TvxDXFConverter::LayoutsCount() const { return FLayouts ? FLayouts->Count() : 0; }

TvxDXFLayout* TvxDXFConverter::Layouts(int i) const {
  return FLayouts ? dynamic_cast<TvxDXFLayout*>(FLayouts->GetEntity(i)) : nullptr;
}

int TvxDXFConverter::AddLayout(TvxDXFLayout* layout) {
  if (!layout) return -1;
  layout->SetConverter(this);
  if (!FLayouts) SectionContainer(csLayouts);
  return FLayouts ? FLayouts->AddEntity(layout) : -1;
}

void TvxDXFConverter::CleaningLayouts(bool removeLayout1) {
  for (int i = LayoutsCount() - 1; i >= 2; --i) {
    TvxDXFLayout* layout = Layouts(i);
    if (layout && layout->IsEmpty()) RemoveLayoutWithBlock(layout);
  }
  if (removeLayout1 && LayoutsCount() > 1) RemoveLayoutWithBlock(Layouts(1));
}

TvxDXFBlock* TvxDXFConverter::ModelSpaceBlock() const {
  TvxDXFLayout* model = Layouts(0);
  return model ? model->PaperSpaceBlock() : nullptr;
}

TvxDXFEntity* TvxDXFConverter::Entities(int i) const {
  TvxDXFBlock* model = ModelSpaceBlock();
  return model ? model->GetEntity(i) : nullptr;
}

// ---- named lookups --------------------------------------------------------------------------

TvxDXFLayer* TvxDXFConverter::LayerByName(const std::string& name) {
  return dynamic_cast<TvxDXFLayer*>(FindOrCreateItem(name, csLayers, true));
}

TvxDXFLineType* TvxDXFConverter::LTypeByName(const std::string& name) const {
  return FLTypes ? FLTypes->FindItem<TvxDXFLineType>(name) : nullptr;
}

TvxDXFStyle* TvxDXFConverter::StyleByName(const std::string& name) {
  const std::string n = name.empty() ? std::string("STANDARD") : UpperName(name);
  return dynamic_cast<TvxDXFStyle*>(FindOrCreateItem(n, csStyles, true));
}

TvxDXFDimensionStyle* TvxDXFConverter::DimensionStyleByName(const std::string& name) {
  return dynamic_cast<TvxDXFDimensionStyle*>(FindOrCreateItem(name, csDimStyles, true));
}

TvxDXFBlock* TvxDXFConverter::BlockByName(const std::string& name) const {
  return FBlocksSection ? FBlocksSection->FindItem<TvxDXFBlock>(name) : nullptr;
}

TvxDXFEntity* TvxDXFConverter::FindOrCreateItem(const std::string& name, TConvSection section,
                                                bool create) {
  TvxDXFEntity* container = SectionContainer(section);
  if (!container) return nullptr;
  const TvxEntityClassInfo* cls = SectionInfo(section).ItemClass();
  if (TvxDXFEntity* found = FindFitting(container, name, cls)) return found;
  if (!create) return nullptr;
  TvxDXFEntity* item = NewNamedEntity(container, cls, name);
  if (item) Loads(item);
  return item;
}

TvxDXFEntity* TvxDXFConverter::SectionContainer(TConvSection section) {
  if (TvxDXFEntity* e = Sections(section)) return e;
  const TvxSectionInfo& info = SectionInfo(section);
  TvxDXFEntity* made = nullptr;
  switch (section) {
    case csEntities:
      return nullptr;  // the model-space block comes with layout 0
    case csTables:
    case csBlocks:
    case csObjects:
      if (!FMain) return nullptr;
      made = NewNamedEntity(FMain, info.ContainerClass(), info.Name);
      break;
    case csMLineStyles:
    case csImageDefs:
    case csLayouts:
    case csTableStyles: {
      TvxDXFEntity* objects = SectionContainer(csObjects);
      if (!objects) return nullptr;
      made = NewNamedEntity(objects, info.ContainerClass(), info.Name);
      break;
    }
    default:
      made = NewNamedTable(info.Name, info.ContainerClass());
      break;
  }
  if (!made) return nullptr;
  Loads(made);
  SetSection(section, made);
  return Sections(section) ? Sections(section) : made;
}

TvxDXFEntity* TvxDXFConverter::NewNamedEntity(TvxDXFEntity* owner, const TvxEntityClassInfo* cls,
                                              const std::string& name) {
  if (!owner || !cls) return nullptr;
  if (TvxDXFEntity* existing = FindFitting(owner, name, cls)) return existing;
  TvxDXFEntity* e = cls->Create();
  try {
    if (OnCreate) OnCreate(e);
    e->SetConverter(this);
    e->SetName(name);
  } catch (...) {
    e->Free();
    throw;
  }
  if (owner->AddEntity(e) < 0) {
    e->Free();
    return nullptr;
  }
  return e;
}

TvxDXFTable* TvxDXFConverter::NewNamedTable(const std::string& name, const TvxEntityClassInfo* cls) {
  TvxDXFEntity* tables = SectionContainer(csTables);
  TvxDXFEntity* t = NewNamedEntity(tables, cls ? cls : ClassOf<TvxDXFTable>(), name);
  if (t) Loads(t);
  return dynamic_cast<TvxDXFTable*>(t);
}

TvxDXFEntity* TvxDXFConverter::ExtractFromTable(TvxDXFEntity* table, TvxDXFEntity* entity) {
  if (!table || !entity || table->Count() == 0) return nullptr;
  bool found = false;
  for (int i = table->IndexOfEntity(entity); i >= 0; i = table->IndexOfEntity(entity)) {
    if (!table->ExtractEntity(i)) break;
    found = true;
  }
  return found ? entity : nullptr;
}

bool TvxDXFConverter::DeleteBlock(TvxDXFBlock* block, bool freeBlock) {
  if (!ExtractFromTable(FBlocksSection, block)) return false;
  if (freeBlock) block->Free();
  return true;
}

std::string TvxDXFConverter::NewDimensionBlockName() {
  std::string name;
  do {
    name = "*vxDim" + std::to_string(FAddedDimensionsCount);
    if (FAddedDimensionsCount < INT_MAX) ++FAddedDimensionsCount;
  } while (BlockByName(name) && FAddedDimensionsCount < INT_MAX);
  return name;
}

std::string TvxDXFConverter::NewTableBlockName() {
  std::string name;
  do {
    if (FAddedTablesCount < INT_MAX) ++FAddedTablesCount;
    name = "*TvxTbl" + std::to_string(FAddedTablesCount);
  } while (BlockByName(name) && FAddedTablesCount < INT_MAX);
  return name;
}

// ---- handles --------------------------------------------------------------------------------

uint64_t TvxDXFConverter::ReserveHandle(uint64_t h) {
  if (h == 0) {
    // The counter saturates: a wrapped 0 would mean "no handle" and later values would
    // collide with handles in use, so an exhausted counter hands out nothing.
    if (FMaxHandle == UINT64_MAX) return 0;
    return ++FMaxHandle;
  }
  if (h > FMaxHandle) FMaxHandle = h;
  return h;
}

void TvxDXFConverter::RegisterHandle(TvxDXFEntity* e) {
  if (!e) return;
  if (FStatus == stLoading && HasGeneratedHandles()) {
    const uint64_t h = e->GetHandle();
    if (h != 0) {
      if (h > FMaxHandle) FMaxHandle = h;
    } else if (e->HasHandle()) {
      e->SetConverter(this);
      FMapEntities->AddEntityToGeneratedList(e);
    }
    return;
  }
  if (!e->HasHandle()) return;
  e->SetHandle(ReserveHandle(e->GetHandle()));
}

}  // namespace vx
