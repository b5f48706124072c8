// The file reader: sections, then objects by handle.
#include "readers/dwg/vxDWGReader.h"

#include "database/core/vxNames.h"
#include "readers/dwg/objects/vxDWGObject.h"
#include "readers/dwg/stream/vxDWGBits.h"
#include "readers/dwg/stream/vxDWGErrors.h"

#include <algorithm>
#include <cstdio>
#include <new>

namespace vx {

namespace {

constexpr int cnstMaxLoadDepth = 96;

// The internal type code of a stored object type; 0 for types without a reader.
unsigned CodeOfType(unsigned type, const TdwgClasses& classes) {
  if (type == 54 || type == 55) return 0;  // only their classes name images
  if (type >= 500) return unsigned(classes.CodeOf(type));
  if (type == 498) return 83;  // a proxy entity
  if (type > 98) return 0;
  return type;
}

}  // namespace

TdwgReader::TdwgReader(TvxDXFConverter* conv) : Conv(conv) {}

TdwgReader::~TdwgReader() {
  for (TPendingLayout& p : FLayouts)
    if (p.Layout) p.Layout->Free();
}

bool TdwgReader::Stopped() const { return Conv->LoadingStopped(); }

void TdwgReader::RecordError(const std::string& className, uint64_t handle) {
  if (!FErrorClass.empty()) return;
  FErrorClass = className;
  FErrorHandle = handle;
}

std::string TdwgReader::ErrorMessage() const {
  if (FErrorClass.empty()) return {};
  std::string m = FErrorClass;
  if (FErrorHandle != 0) {
    char hex[24];
    std::snprintf(hex, sizeof hex, "%llX", static_cast<unsigned long long>(FErrorHandle));
    m += std::string(": Entity handle = $") + hex;
  }
  return m + ".";
}

void TdwgReader::ReadFile(std::vector<uint8_t>&& file, TvxDWGVersion version) {
  Version = version;
  File.Open(std::move(file), version);
  Coding = DWGTextCoding(version, File.CodePage, true);
  ReadSections();
  LoadObjects();
}

// ---- sections -------------------------------------------------------------------------------

void TdwgReader::ReadSections() {
  TvxHeadVarStruct& hv = Conv->HeadVarStruct();
  hv.Version = uint8_t(Version);
  hv.CodePage = File.CodePage;
  Header.Vars = hv;
  const uint8_t maintenance = File.Metadata.ReleaseVersion;
  for (const TdwgLocator& loc : File.Locators) {
    switch (loc.Number) {
      case 0: ReadDWGHeader(File.Section(loc), Version, maintenance, File.CodePage, Header); break;
      case 1: Classes.Read(File.Section(loc), Version, maintenance, File.CodePage); break;
      case 2: {
        const TdwgLocator* objects = File.Find(3);
        Map.Read(File.Section(loc), Version >= acR2004 && objects ? objects->Offset : 0);
        break;
      }
      case 4:
        if (Version >= acR2004) {
          ReadSummaryInfo(loc);
        } else {
          TvxBitCursor c = File.Section(loc);
          if (c.Remaining() >= 32) Header.Vars.Measurement = ReadRL(c) != 0;
        }
        break;
      case 5:
        if (Version >= acR2004) ReadTemplate(loc);
        break;
      case 6:
        if (Version >= acR2013) ReadDataSegments(loc);
        break;
      default: break;
    }
  }
  // The header's values become the drawing's.
  hv = Header.Vars;
  hv.Version = uint8_t(Version);
  hv.CodePage = File.CodePage;
  Conv->SetDefaultLayoutIndex(hv.TileMode ^ 1);
  if (Header.HandSeed > Conv->MaxHandle()) Conv->ReserveHandle(Header.HandSeed);
}

void TdwgReader::ReadDataSegments(const TdwgLocator& loc) {
  if (loc.Size == 0 || SegmentedFile || loc.Offset > File.Image.size() || loc.Size > File.Image.size() - loc.Offset)
    return;
  SegmentedFile = TvxSegmentedFile::CreateFromMemory(Conv, loc.Size, File.Image.data() + loc.Offset);
  try {
    SegmentedFile->ReadFile();
    Stats.DataSegmentEntries = SegmentedFile->DataEntryCount();
  } catch (const TvxDataSegFileError&) {
    // Only the solid models use it: the drawing reads on without.
    SegmentedFile.reset();
  }
}

void TdwgReader::ReadTemplate(const TdwgLocator& loc) {
  TvxBitCursor c = File.Section(loc);
  const unsigned n = ReadRS(c);
  // The description, two bytes a character, when it fits the section.
  if (uint64_t(n) * 16 <= c.Remaining()) c.Skip(uint64_t(n) * 16);
  const unsigned measurement = ReadRS(c);
  if (!c.Failed && measurement) Header.Vars.Measurement = true;
}

void TdwgReader::ReadSummaryInfo(const TdwgLocator& loc) {
  TvxBitCursor c = File.Section(loc);
  std::unique_ptr<TvxDWGBits> bits = CreateDWGBits(Version, c.Data, size_t(c.End / 8));
  if (!bits) return;
  for (std::string& text : Summary.Texts) text = bits->ReadSummaryInfoText(File.CodePage);
  Summary.EditingTime = bits->ReadJulianDateIntAsTimeStamp(true, false);
  Summary.Created = bits->ReadJulianDateIntAsDateTime();
  Summary.Modified = bits->ReadJulianDateIntAsDateTime();
  const unsigned custom = bits->ReadRS();
  for (unsigned i = 0; i < custom && bits->GetPosition() + 32 <= bits->BitSize(); ++i) {
    std::string name = bits->ReadSummaryInfoText(File.CodePage);
    Summary.Custom.push_back({std::move(name), bits->ReadSummaryInfoText(File.CodePage)});
  }
  // The drawing keeps the title and the comments under their property keys.
  Conv->SetDrwProp(2, Summary.Texts[0]);
  Conv->SetDrwProp(6, Summary.Texts[4]);
}

// ---- loading --------------------------------------------------------------------------------

void TdwgReader::SetPlaced(int mapIndex, TvxDXFEntity* item) {
  if (mapIndex >= 0 && size_t(mapIndex) < Map.Size()) Map.SetObject(size_t(mapIndex), item);
}

void TdwgReader::AddPendingLayout(TvxDXFEntity* layout, uint64_t blockRecord, int tabOrder) {
  if (layout) FLayouts.push_back({layout, blockRecord, tabOrder});
}

TvxDXFEntity* TdwgReader::LoadedItem(uint64_t handle) const {
  const int i = handle ? Map.IndexOfHandle(handle) : -1;
  return i >= 0 ? Map[size_t(i)].Obj : nullptr;
}

TvxDXFEntity* TdwgReader::GetChild(uint64_t handle) {
  if (handle == 0) return nullptr;
  // Entities name the same few layers, line types and blocks over and over: placed items are
  // remembered by handle (a placed item stays where it is while the file is read).
  TCached& slot = FCache[handle % FCache.size()];
  if (slot.Handle == handle && slot.Item) return slot.Item;
  const int i = Map.IndexOfHandle(handle);
  if (i < 0) return nullptr;
  TvxDXFEntity* item = Map.Loaded(size_t(i)) ? Map[size_t(i)].Obj : LoadAt(size_t(i));
  if (item && Map[size_t(i)].Obj == item) slot = {handle, item};
  return item;
}

std::unique_ptr<TdwgObject> TdwgReader::ReadObject(size_t index) {
  const TdwgMapElement& e = Map[index];
  // The type decides the reader class: peek at it first.
  TvxBitCursor c(File.Image.data(), File.Image.size());
  c.Seek(e.Location * 8);
  ReadMS(c);
  if (Version >= acR2010) ReadUMC(c);
  const unsigned type = Version < acR2010 ? ReadBS(c) : ReadOT(c, Version);
  if (c.Failed) throw EdwgReadError("Object data is corrupted");
  const unsigned code = CodeOfType(type, Classes);
  const TdwgRecordKind* kind = DWGRecordKind(code);
  if (!kind) return nullptr;
  std::unique_ptr<TdwgObject> o(kind->Reader());
  o->FKind = kind;
  o->FCode = code;
  o->FMapIndex = int(index);
  o->FLocation = e.Location;
  if (kind->Item) {
    o->FItem = kind->Item();
    if (Conv->OnCreate) Conv->OnCreate(o->FItem);
    o->FItem->SetConverter(Conv);
  }
  o->ReadData(*this);
  return o;
}

TvxDXFEntity* TdwgReader::LoadAt(size_t index) {
  if (Map.Loaded(index)) return Map[index].Obj;
  Map.SetObject(index, nullptr);  // loading: a load that comes back here finds nothing
  if (Depth >= cnstMaxLoadDepth) return nullptr;
  struct TDepth {
    int& D;
    explicit TDepth(int& d) : D(d) { ++D; }
    ~TDepth() { --D; }
  } depth(Depth);
  const uint64_t handle = Map[index].Handle;
  std::unique_ptr<TdwgObject> o;
  try {
    o = ReadObject(index);
    if (!o) {
      ++Stats.Skipped;
      LastSibling = 0;
      return nullptr;
    }
    ++Stats.Objects;
    LastSibling = o->NextInChain();
    LastWasChained = o->IsEntity();
    o->Commit(*this);
  } catch (const EdwgBaseError& err) {
    RecordError(err.ClassName(), handle);
    ++Stats.Dropped;
    return nullptr;
  } catch (const std::bad_alloc&) {
    RecordError("EOutOfMemory", handle);
    ++Stats.Dropped;
    return nullptr;
  } catch (const std::exception&) {
    RecordError("Exception", handle);
    ++Stats.Dropped;
    return nullptr;
  }
  if (OnProgress) OnProgress(1, Map.ObjectsLoaded(), int(Map.Size()));
  Conv->SetPos(size_t(Map[index].Location));
  if (Conv->OnRead) Conv->OnRead(Conv);
  if (!o->FPlaced) {
    if (o->FItem) {
      ++Stats.Dropped;
      ++Stats.DroppedCodes[o->FCode];
    }
    Map.SetObject(index, nullptr);
    return nullptr;
  }
  return o->FItem;
}

void TdwgReader::LoadChildList(const std::vector<uint64_t>& handles) {
  for (uint64_t h : handles) {
    if (Stopped()) return;
    GetChild(h);
  }
}

void TdwgReader::LoadChildChain(uint64_t first) {
  // Each entity names the next one; the chain ends at 0, at a handle the map does not have, or at
  // an entity that was loaded already (which also ends a chain that loops).
  uint64_t h = first;
  for (size_t steps = 0; h != 0 && steps < Map.Size() && !Stopped(); ++steps) {
    const int i = Map.IndexOfHandle(h);
    if (i < 0 || Map.Loaded(size_t(i))) return;
    LoadAt(size_t(i));
    if (!LastWasChained) return;
    h = LastSibling;
  }
}

void TdwgReader::LoadObjects() {
  if (Map.Size() == 0) return;
  if (OnProgress) OnProgress(0, 0, int(Map.Size()));
  Conv->FillMainSection();
  // The space blocks exist before anything is read, so that entities of either space find them.
  TvxDXFSection* blocks = Conv->BlocksSection();
  auto space = [&](const char* name) {
    TvxDXFBlock* b = Conv->BlockByName(name);
    if (!b && blocks) b = Conv->NewNamed<TvxDXFBlock>(blocks, name);
    return b;
  };
  Model = space("*MODEL_SPACE");
  Paper = space("*PAPER_SPACE");
  for (uint64_t h : {Header.AppIDControl, Header.StyleControl, Header.LTypeControl, Header.LayerControl,
                     Header.BlockControl, Header.DimStyleControl, Header.VPortControl, Header.NamedObjects})
    GetChild(h);
  // Everything not reached from the tables, in handle order.
  for (size_t i = 0; i < Map.Size() && !Stopped(); ++i)
    if (!Map.Loaded(i)) LoadAt(i);
  FinishLayouts();
  ResolveHeaderNames();
  if (OnProgress) OnProgress(2, Map.ObjectsLoaded(), int(Map.Size()));
}

void TdwgReader::FinishLayouts() {
  // Bind each layout to the block of its record; a layout whose block is unknown, or taken by an
  // earlier layout, describes nothing that exists and is dropped.
  std::vector<TPendingLayout> bound;
  for (TPendingLayout& p : FLayouts) {
    auto* layout = dynamic_cast<TvxDXFLayout*>(p.Layout);
    auto* rec = dynamic_cast<TvxDXFBlockRecord*>(LoadedItem(p.Record));
    TvxDXFBlock* block = rec ? rec->Block() : nullptr;
    const bool taken = std::any_of(bound.begin(), bound.end(), [block](const TPendingLayout& b) {
      return static_cast<TvxDXFLayout*>(b.Layout)->ExistingPaperSpaceBlock() == block;
    });
    if (!layout || !block || taken || (block->Layout() && block->Layout() != layout)) {
      p.Layout->Free();
    } else {
      layout->SetPaperSpaceBlock(block);
      bound.push_back(p);
    }
    p.Layout = nullptr;
  }
  FLayouts.clear();
  std::stable_sort(bound.begin(), bound.end(), [this](const TPendingLayout& a, const TPendingLayout& b) {
    const bool am = static_cast<TvxDXFLayout*>(a.Layout)->ExistingPaperSpaceBlock() == Model;
    const bool bm = static_cast<TvxDXFLayout*>(b.Layout)->ExistingPaperSpaceBlock() == Model;
    if (am != bm) return am;
    return a.TabOrder < b.TabOrder;
  });
  TvxDXFTable* table = Conv->LayoutsDictionary();
  if (!bound.empty() && table) {
    // The file describes its layouts: the drawing's default ones give way to them.
    for (int i = table->Count() - 1; i >= 0; --i) {
      auto* l = dynamic_cast<TvxDXFLayout*>(table->GetEntity(i));
      if (l && !l->ExistingPaperSpaceBlock()) {
        table->ExtractEntity(i);
        l->Free();
      }
    }
  }
  for (TPendingLayout& p : bound)
    if (Conv->AddLayout(static_cast<TvxDXFLayout*>(p.Layout)) < 0) p.Layout->Free();
  // Model space and the first paper space always have a layout.
  auto bind = [this](TvxDXFBlock* block, const char* name) {
    if (!block || block->Layout()) return;
    for (int i = 0; i < Conv->LayoutsCount(); ++i)
      if (TvxDXFLayout* l = Conv->Layouts(i); l && !l->ExistingPaperSpaceBlock()) {
        l->SetPaperSpaceBlock(block);
        return;
      }
    auto* l = new TvxDXFLayout();
    l->SetName(name);
    if (Conv->AddLayout(l) < 0) l->Free();
    else l->SetPaperSpaceBlock(block);
  };
  bind(Model, "Model");
  bind(Paper, "Layout1");
  // The model layout comes first.
  if (table)
    for (int i = 1; i < table->Count(); ++i)
      if (auto* l = dynamic_cast<TvxDXFLayout*>(table->GetEntity(i)); l && l->ExistingPaperSpaceBlock() == Model) {
        if (TvxDXFEntity* e = table->ExtractEntity(i)) table->InsertEntity(0, e);
        break;
      }
  // The layout the drawing was saved with: model space, or the paper space of the header.
  int current = 0;
  if (Conv->HeadVarStruct().TileMode == 0)
    for (int i = 1; i < Conv->LayoutsCount(); ++i)
      if (TvxDXFLayout* l = Conv->Layouts(i); l && l->ExistingPaperSpaceBlock() == Paper) current = i;
  Conv->SetDefaultLayoutIndex(current);
  // Viewport numbers, in the order the viewports were read (1 is the sheet's own viewport). A
  // layout other than the current paper space that holds nothing but its sheet viewport has it
  // inactive (0), as these files say when they are written as DXF.
  for (auto& [record, list] : Viewports) {
    const bool current = record == Header.PaperBlockRecord || list.size() > 1;
    int id = 0;
    for (TvxDXFEntity* e : list)
      if (auto* vp = dynamic_cast<TvxDXFViewport*>(e)) {
        ++id;
        vp->ThisID = current ? id : 0;
        vp->StatusField = current ? id : 0;
      }
  }
}

void TdwgReader::ResolveHeaderNames() {
  TvxHeadVarStruct& hv = Conv->HeadVarStruct();
  auto nameOf = [this](uint64_t h) -> std::string {
    TvxDXFEntity* e = LoadedItem(h);
    return e ? e->GetName() : std::string();
  };
  for (TvxHeadField f : {hvCLayer, hvCELType, hvTextStyle, hvDimStyle, hvDimTextStyle}) {
    TvxHeadValue v;
    v.S = nameOf(*Header.Handles.Slot(f));
    if (!v.S.empty()) SetHeadField(hv, f, v);
  }
  // From 2000 the arrows are block records: no handle is the closed filled arrow.
  if (Version >= acR2000)
    for (TvxHeadField f : {hvDimBlk, hvDimBlk1, hvDimBlk2, hvDimLdrBlk}) {
      TvxHeadValue v;
      v.S = nameOf(*Header.Handles.Slot(f));
      SetHeadField(hv, f, v);
    }
  // The active viewport: the VPORT entry named by the model layout, else the first "*ACTIVE".
  TvxDXFVport* active = dynamic_cast<TvxDXFVport*>(LoadedItem(ActiveViewport));
  if (!active)
    if (TvxDXFTable* vports = Conv->VPorts()) active = vports->FindItem<TvxDXFVport>("*ACTIVE");
  if (active) {
    Conv->SetActiveVPortItem(active);
    Conv->SetIsHaveActiveVPort(true);
  }
}

}  // namespace vx
