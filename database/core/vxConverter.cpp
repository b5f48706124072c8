// The converter: creation, lifetime, sections and their notifications, drawing properties.
#include "database/core/vxConverter.h"

#include "database/core/vxNames.h"
#include "database/core/vxSettings.h"

#include <chrono>
#include <climits>
#include <sstream>

namespace vx {

namespace {

template <class T>
const TvxEntityClassInfo* Cls() {
  return ClassOf<T>();
}

// Item classes of later modules (multi-line styles, image definitions, table styles) are
// plain owned items until those modules register their own.
const TvxSectionInfo cnstSectionInfo[cnstSectionCount] = {
    {"TABLES", Cls<TvxDXFSectionTables>, Cls<TvxDXFTable>},
    {"BLOCKS", Cls<TvxDXFSectionBlocks>, Cls<TvxDXFBlock>},
    {"ENTITIES", Cls<TvxDXFBlock>, Cls<TvxDXFEntity>},
    {"APPID", Cls<TvxDXFTable>, Cls<TvxDXFAppID>},
    {"LTYPE", Cls<TvxDXFTable>, Cls<TvxDXFLineType>},
    {"LAYER", Cls<TvxDXFTable>, Cls<TvxDXFLayer>},
    {"STYLE", Cls<TvxDXFTable>, Cls<TvxDXFStyle>},
    {"DIMSTYLE", Cls<TvxDXFTable>, Cls<TvxDXFDimensionStyle>},
    {"BLOCK_RECORD", Cls<TvxDXFBlockRecords>, Cls<TvxDXFBlockRecord>},
    {"VPORT", Cls<TvxDXFTable>, Cls<TvxDXFVport>},
    {"MLINESTYLES", Cls<TvxDXFDictionary>, Cls<TvxDXFOwneredItem>},
    {"IMAGEDEFS", Cls<TvxDXFDictionary>, Cls<TvxDXFOwneredItem>},
    {"LAYOUTS", Cls<TvxDXFDictionary>, Cls<TvxDXFLayout>},
    {"TABLESTYLES", Cls<TvxDXFDictionary>, Cls<TvxDXFOwneredItem>},
    {"OBJECTS", Cls<TvxDXFSectionObjects>, Cls<TvxDXFDictionary>},
};

// Days since 1899-12-30, the date-time form of the header values.
double NowAsDateTime() {
  using namespace std::chrono;
  const double secs = duration<double>(system_clock::now().time_since_epoch()).count();
  return secs / 86400.0 + 25569.0;
}

}  // namespace

const TvxSectionInfo& SectionInfo(TConvSection s) { return cnstSectionInfo[static_cast<int>(s)]; }

// ---- TvxConverterExtented -------------------------------------------------------------------

TvxConverterExtented::TvxConverterExtented(TvxDXFConverter* owner) : FOwner(owner) {
  if (!owner) throw EvxDatabaseError("Does not have owner!");
}

bool TvxConverterExtented::SaveHandle(int index, uint64_t handle) {
  if (index < 0 || index >= cnstMaxSaved) return false;
  FHandles[static_cast<size_t>(index)] = handle;
  return true;
}

uint64_t TvxConverterExtented::SavedHandle(int index) const {
  return index < 0 || index >= cnstMaxSaved ? 0 : FHandles[static_cast<size_t>(index)];
}

// ---- creation and lifetime ------------------------------------------------------------------

TvxDXFConverter* TvxDXFConverter::Create() { return CreateEx({}); }

TvxDXFConverter* TvxDXFConverter::CreateEx(const TvxConverterParams& params) {
  return new TvxDXFConverter(params);
}

TvxDXFConverter* TvxDXFConverter::CreateFromFile(const std::string& fileName) {
  TvxDXFConverter* conv = Create();
  conv->FFileName = fileName;
  return conv;
}

TvxDXFConverter::TvxDXFConverter(const TvxConverterParams& params) {
  OnSHXResolve = DefaultSHXResolve;
  OnXRefResolve = DefaultXRefResolve;
  OnFindFont = DefaultFindFont;
  FConvExtended = std::make_unique<TvxConverterExtented>(this);
  FMapEntities = std::make_unique<TvxMapEntities>();
  FFileName = params.FileName;
  if (params.CheckHandles) FMapEntities->CreateGeneratedList();

  CreateSkeleton();

  FNumberOfPartsInSpline = DefaultPartsInSpline();
  FNumberOfPartsInCircle = DefaultPartsInCircle();

  auto* model = new TvxDXFLayout();  // keeps its default name "Model"
  AddLayout(model);
  auto* paper = new TvxDXFLayout();
  paper->SetName("Layout1");
  AddLayout(paper);

  BuildSHXSearchPath();
  FUseSHXFonts = GlobalSettings.UseSHXFonts;
  ClearDrawingProp();
}

TvxDXFConverter::~TvxDXFConverter() {
  Clear();
  FStatus = stDestroying;
  FSource.clear();
  FXRefs.clear();
  if (FMain) {
    TvxDXFSection* main = FMain;
    main->Free();  // BLOCKS go first (last added), then OBJECTS, then TABLES
    FMain = nullptr;
  }
  // Containers a reader kept outside the tree.
  for (TvxDXFSection* s : {FHeaderSection, FEntitiesSection})
    if (s && !s->GetOwner()) s->Free();
  FHeaderSection = FEntitiesSection = nullptr;
  FreeEntityDictionaries();
}

int TvxDXFConverter::Release() {
  if (FReleasePending) return 0;  // already stopping; the reader's end step ends us
  if (FRefs > 0) --FRefs;
  if (FRefs > 0) return FRefs;
  if (FStatus == stLoading) {
    // The reader still runs on this object: stop it, and let its end step destroy us.
    StopLoading();
    FStatus = stDefault;
    FReleasePending = true;
    return 0;
  }
  delete this;
  return 0;
}

void TvxDXFConverter::CreateSkeleton() {
  FMain = new TvxDXFSection();
  FMain->SetName("SECTIONS");
  FMain->SetConverter(this);
  FMain->SetOnListNotify([this](TvxDXFEntity* e, TvxListNotification a) { MainNotify(e, a); });

  auto* tables = new TvxDXFSectionTables();
  tables->SetName("TABLES");
  tables->SetConverter(this);
  FMain->AddEntity(tables);
  auto* objects = new TvxDXFSectionObjects();
  objects->SetName("OBJECTS");
  objects->SetConverter(this);
  FMain->AddEntity(objects);
  auto* blocks = new TvxDXFSectionBlocks();
  blocks->SetName("BLOCKS");
  blocks->SetConverter(this);
  FMain->AddEntity(blocks);
  CreateObjectsDictionaries();
}

void TvxDXFConverter::CreateObjectsDictionaries() {
  if (!FObjectsSection) return;
  for (const char* name : {"MLINESTYLES", "LAYOUTS", "IMAGEDEFS"}) {
    if (FObjectsSection->FindItem<TvxDXFDictionary>(name)) continue;
    auto* d = new TvxDXFDictionary();
    d->SetName(name);
    d->SetConverter(this);
    FObjectsSection->AddEntity(d);
  }
}

void TvxDXFConverter::BuildSHXSearchPath() {
  std::vector<std::string> parts;
  if (GlobalSettings.UseACADPaths) parts = InstalledSupportPaths();
  parts.push_back(GlobalSettings.SHXSearchPath);
  // Split everything on ";" and drop empty entries: no ";;", no leading ";", one trailing ";".
  std::string path;
  for (const std::string& p : parts) {
    std::stringstream ss(p);
    std::string item;
    while (std::getline(ss, item, ';'))
      if (!item.empty()) path += item + ";";
  }
  FSHXSearchPath = path;
}

std::vector<std::string> TvxDXFConverter::InstalledSupportPaths() {
  return {};  // the support folders of installed CAD programs live in a registry this platform has not
}

void TvxDXFConverter::FreeEntityDictionaries() {
  FEntityDictionaries.clear();
  FEntityEEDItems.Clear();  // extended-data collections belong to their entities
}

void TvxDXFConverter::RemoveLayoutWithBlock(TvxDXFLayout* layout) {
  if (!layout) return;
  if (TvxDXFBlock* block = layout->ExistingPaperSpaceBlock()) {
    layout->SetPaperSpaceBlock(nullptr);
    if (FBlocksSection) FBlocksSection->RemoveEntity(block);
    block->Free();
  }
  if (FLayouts) FLayouts->RemoveEntity(layout);
  layout->Free();
}

void TvxDXFConverter::Clear() {
  FreeEntityDictionaries();
  const TConvStatus before = FStatus;
  FStatus = stClearing;
  FCount = 0;
  try {
    FXRefs.clear();
    // The LAYOUTS dictionary and the first two layouts survive, without their blocks.
    TvxDXFTable* layouts = FLayouts;
    if (layouts && FObjectsSection) FObjectsSection->RemoveEntity(layouts);
    FLayouts = layouts;
    if (layouts) {
      for (int i = layouts->Count() - 1; i >= 0; --i) {
        auto* layout = dynamic_cast<TvxDXFLayout*>(layouts->GetEntity(i));
        if (!layout) continue;
        layout->SetPaperSpaceBlock(nullptr);
        if (i >= 2) {
          layouts->RemoveEntity(layout);
          layout->Free();
        }
      }
    }
    // Entities first, so that the table items they use are released before their tables go.
    for (TvxDXFSection* s : {FBlocksSection, FObjectsSection, FTablesSection})
      if (s) s->Clear(true);
    FActiveVPort = nullptr;
    FIsHaveActiveVPort = false;
    if (FObjectsSection && layouts) FObjectsSection->AddEntity(layouts);
    CreateObjectsDictionaries();
    FExtents = BadBox;
  } catch (...) {
    // Clearing must leave a usable status whatever a destructor of a later module throws.
  }
  FStatus = before == stLoading ? stLoading : stDefault;
}

void TvxDXFConverter::BeginReading() {
  if (HasGeneratedHandles() && FStatus != stLoading && FMain) ResetHandles(FMain, 0);
  FStatus = stLoading;
  FStopped = false;
  FReleasePending = false;
  FPos = 0;
}

void TvxDXFConverter::ResetHandles(TvxDXFEntity* e, int depth) {
  if (!e || depth > 512) return;
  // Renumbering: every item starts again without a handle and joins the queue in tree order.
  if (e->HasHandle()) {
    e->SetHandle(0);
    e->SetConverter(this);
    FMapEntities->AddEntityToGeneratedList(e);
  }
  if (auto* block = dynamic_cast<TvxDXFBlock*>(e)) ResetHandles(block->BlockRecord(), depth + 1);
  // The records table shows BLOCKS and a layout its block; the items are reached there.
  if (dynamic_cast<TvxDXFBlockRecords*>(e) || dynamic_cast<TvxDXFLayout*>(e)) return;
  for (int i = 0, n = e->Count(); i < n; ++i) ResetHandles(e->GetEntity(i), depth + 1);
}

bool TvxDXFConverter::EndReading() {
  if (FReleasePending) {
    delete this;
    return false;
  }
  FStatus = stDefault;
  InitializeSectionsEnd(true);
  return true;
}

void TvxDXFConverter::StopLoading() {
  FPos = 0;
  FStopped = true;
}

void TvxDXFConverter::SetSource(std::vector<uint8_t> data) {
  FSource = std::move(data);
  FPos = 0;
  FLimit = FSource.size();
  FHeadEnd = FLimit;
}

int TvxDXFConverter::Count() const {
  const size_t n = FStatus == stLoading ? FSource.size() : static_cast<size_t>(FCount);
  if (n == 0) return 1;
  return n > static_cast<size_t>(INT_MAX) ? INT_MAX : static_cast<int>(n);
}

// ---- sections -------------------------------------------------------------------------------

TvxDXFEntity* TvxDXFConverter::Sections(TConvSection s) const {
  switch (s) {
    case csTables: return FTablesSection;
    case csBlocks: return FBlocksSection;
    case csEntities: return ModelSpaceBlock();
    case csAppID: return FAppIDs;
    case csLTypes: return FLTypes;
    case csLayers: return FLayers;
    case csStyles: return FStyles;
    case csDimStyles: return FDimStyles;
    case csBlockRecords: return FBlockRecords;
    case csVPorts: return FVPorts;
    case csMLineStyles: return FMStyles;
    case csImageDefs: return FImageDefs;
    case csLayouts: return FLayouts;
    case csTableStyles: return FTableStyles;
    case csObjects: return FObjectsSection;
  }
  return nullptr;
}

void TvxDXFConverter::SetSection(TConvSection s, TvxDXFEntity* e) {
  if (s == csEntities || s == csMLineStyles) return;
  const bool isSection = s == csTables || s == csBlocks || s == csObjects;
  TvxDXFSection* section = dynamic_cast<TvxDXFSection*>(e);
  TvxDXFTable* table = dynamic_cast<TvxDXFTable*>(e);
  if (e && (isSection ? !section : !table)) throw EvxInvalidCast();
  switch (s) {
    case csTables: FTablesSection = section; break;
    case csBlocks: FBlocksSection = section; break;
    case csObjects: FObjectsSection = section; break;
    case csAppID: FAppIDs = table; break;
    case csLTypes: FLTypes = table; break;
    case csLayers: FLayers = table; break;
    case csStyles: FStyles = table; break;
    case csDimStyles: FDimStyles = table; break;
    case csBlockRecords: FBlockRecords = table; break;
    case csVPorts: FVPorts = table; break;
    case csImageDefs: FImageDefs = table; break;
    case csLayouts: FLayouts = table; break;
    case csTableStyles: FTableStyles = table; break;
    default: break;
  }
}

int TvxDXFConverter::Counts(TConvSection s) const {
  const TvxDXFEntity* e = Sections(s);
  return e ? e->Count() : 0;
}

TvxDXFTable* TvxDXFConverter::Table(TConvSection s) const {
  return dynamic_cast<TvxDXFTable*>(Sections(s));
}

TvxDXFTable* TvxDXFConverter::Tables(const std::string& name) const {
  return FTablesSection ? FTablesSection->FindItem<TvxDXFTable>(name) : nullptr;
}

void TvxDXFConverter::MainNotify(TvxDXFEntity* e, TvxListNotification action) {
  auto* section = dynamic_cast<TvxDXFSection*>(e);
  if (!section) return;
  const std::string name = e->GetName();
  if (action == lnAdded) {
    if (SameName(name, "BLOCKS")) {
      FBlocksSection = section;
    } else if (SameName(name, "TABLES")) {
      FTablesSection = section;
      section->SetOnListNotify([this](TvxDXFEntity* c, TvxListNotification a) { TablesNotify(c, a); });
    } else if (SameName(name, "OBJECTS")) {
      FObjectsSection = section;
      section->SetOnListNotify([this](TvxDXFEntity* c, TvxListNotification a) { ObjectsNotify(c, a); });
    }
    return;
  }
  if (e == FBlocksSection) FBlocksSection = nullptr;
  if (e == FTablesSection) FTablesSection = nullptr;
  if (e == FObjectsSection) FObjectsSection = nullptr;
}

void TvxDXFConverter::TablesNotify(TvxDXFEntity* e, TvxListNotification action) {
  auto* table = dynamic_cast<TvxDXFTable*>(e);
  if (!table) return;
  struct Slot {
    const char* Name;
    TvxDXFTable* TvxDXFConverter::*Field;
    bool Shared;
  };
  static const Slot slots[] = {
      {"BLOCK_RECORD", &TvxDXFConverter::FBlockRecords, false},
      {"LTYPE", &TvxDXFConverter::FLTypes, true},
      {"LAYER", &TvxDXFConverter::FLayers, true},
      {"STYLE", &TvxDXFConverter::FStyles, true},
      {"DIMSTYLE", &TvxDXFConverter::FDimStyles, true},
      {"VPORT", &TvxDXFConverter::FVPorts, false},
      {"APPID", &TvxDXFConverter::FAppIDs, false},
  };
  const std::string name = e->GetName();
  for (const Slot& slot : slots) {
    if (action == lnAdded) {
      if (!SameName(name, slot.Name)) continue;
      this->*slot.Field = table;
      if (slot.Shared) table->SetInternalFlags(table->GetInternalFlags() | cnstSharedItemsContainer);
    } else if (this->*slot.Field == table) {
      this->*slot.Field = nullptr;
      if (slot.Field == &TvxDXFConverter::FVPorts) FActiveVPort = nullptr;
    }
  }
}

void TvxDXFConverter::ObjectsNotify(TvxDXFEntity* e, TvxListNotification action) {
  auto* table = dynamic_cast<TvxDXFTable*>(e);
  if (!table) return;
  struct Slot {
    const char* Name;
    const char* AltName;
    TvxDXFTable* TvxDXFConverter::*Field;
  };
  static const Slot slots[] = {
      {"LAYOUTS", "ACAD_LAYOUT", &TvxDXFConverter::FLayouts},
      {"IMAGEDEFS", "ACAD_IMAGE_DICT", &TvxDXFConverter::FImageDefs},
      {"MLINESTYLES", "ACAD_MLINESTYLE", &TvxDXFConverter::FMStyles},
      {"TABLESTYLES", "ACAD_TABLESTYLE", &TvxDXFConverter::FTableStyles},
      {"FIELDLIST", "ACAD_FIELDLIST", &TvxDXFConverter::FFieldList},
  };
  const std::string name = e->GetName();
  bool known = false;
  for (const Slot& slot : slots) {
    if (action == lnAdded) {
      if (!SameName(name, slot.Name) && !SameName(name, slot.AltName)) continue;
      this->*slot.Field = table;
      if (slot.Field == &TvxDXFConverter::FLayouts)
        table->SetOnListNotify([this](TvxDXFEntity* c, TvxListNotification a) { LayoutsNotify(c, a); });
      known = true;
    } else if (this->*slot.Field == table) {
      this->*slot.Field = nullptr;
      known = true;
    }
  }
  // Another dictionary leaving OBJECTS stops being any layer's extension dictionary.
  if (action != lnAdded && !known && FLayers && FStatus != stDestroying) {
    for (int i = 0, n = FLayers->Count(); i < n; ++i)
      if (TvxDXFEntity* layer = FLayers->GetEntity(i))
        if (layer->GetDictionary() == e) layer->SetDictionary(nullptr);
  }
}

void TvxDXFConverter::LayoutsNotify(TvxDXFEntity* e, TvxListNotification action) {
  if (action == lnAdded) {
    if (OnLayoutAdd) OnLayoutAdd(e);
  } else if (OnLayoutRemove) {
    OnLayoutRemove(e);
  }
}

// ---- drawing properties ---------------------------------------------------------------------

void TvxDXFConverter::SetDefaultDrawingProp() {
  SetDrwProp(1, "");
  SetDrwProp(2, "VarrowTools");
  SetDrwProp(3, "");
  SetDrwProp(4, "");
  SetDrwProp(6, "Created by Varrow Ltd. https://www.varrowtools.example");
  SetDrwProp(7, "");
  SetDrwProp(8, "");
  SetDrwProp(9, "");
}

void TvxDXFConverter::ClearDrawingProp() {
  FDrwPropInfo.clear();
  FDrwPropCustomSummaryInfo.clear();
  FDrwPropCreatedDateTime = FDrwPropModifiedDateTime = NowAsDateTime();
  FDrwPropTotalEditingTime = 0;
}

std::string TvxDXFConverter::DrwProp(int key) const {
  const std::string prefix = std::to_string(key) + "=";
  for (const std::string& line : FDrwPropInfo)
    if (line.compare(0, prefix.size(), prefix) == 0) return line.substr(prefix.size());
  return {};
}

void TvxDXFConverter::SetDrwProp(int key, const std::string& value) {
  const std::string prefix = std::to_string(key) + "=";
  for (std::string& line : FDrwPropInfo) {
    if (line.compare(0, prefix.size(), prefix) == 0) {
      line = prefix + value;
      return;
    }
  }
  FDrwPropInfo.push_back(prefix + value);
}

std::string TvxDXFConverter::XRefSearchPath() const {
  std::string r;
  for (size_t i = 0; i < FXRefSearchPaths.size(); ++i) {
    if (i) r += ";";
    r += FXRefSearchPaths[i];
  }
  return r;
}

int TvxDXFConverter::NumberOfPartsInCircle() const {
  return GlobalSettings.MergeAngle > 0 ? 255 : FNumberOfPartsInCircle;
}

int TvxDXFConverter::NumberOfPartsInSpline() const {
  return GlobalSettings.MergeAngle > 0 ? 255 : FNumberOfPartsInSpline;
}

}  // namespace vx
