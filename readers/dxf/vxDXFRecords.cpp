// The record machinery: the loader's lookups and bookkeeping, TdxfObject and TdxfEntity.
#include "readers/dxf/vxDXFRecords.h"

#include "database/core/vxNames.h"
#include "readers/dxf/vxDXFNumbers.h"

#include <algorithm>
#include <cctype>
#include <typeinfo>

namespace vx {

std::string DXFTrim(std::string_view s) { return std::string(TrimDXF(s)); }

bool IsDXFDrawableItem(const TvxDXFEntity* e) {
  // Drawable entities report a kind of their own; vertices, containers, table items and end
  // markers do not. An attribute belongs to its reference: one met on its own is dropped.
  if (!e) return false;
  const TvxCADEntities kind = e->EntType();
  return kind != ceEntity && kind != ceSeqEnd && kind != ceAttrib;
}

// ---- TdxfLoader -----------------------------------------------------------------------------

TdxfLoader::TdxfLoader(TdxfReader& tokens, TvxDXFConverter* conv) : Tok(tokens), Conv(conv) {}

namespace {

// 0 model space, 1 the first paper space, 2 another paper space, -1 an ordinary block.
int SpaceBlockKind(const std::string& name) {
  std::string n = UpperName(name);
  if (!n.empty() && n[0] == '$') n[0] = '*';
  if (n == "*MODEL_SPACE") return 0;
  if (n == "*PAPER_SPACE") return 1;
  if (n.size() > 12 && n.compare(0, 12, "*PAPER_SPACE") == 0 &&
      std::all_of(n.begin() + 12, n.end(), [](char c) { return c >= '0' && c <= '9'; }))
    return 2;
  return -1;
}

}  // namespace

void TdxfLoader::RegisterSpaceBlock(TvxDXFBlock* block) {
  if (!block) return;
  const int kind = SpaceBlockKind(block->GetName());
  if (kind < 0 || std::find(Papers.begin(), Papers.end(), block) != Papers.end()) return;
  const bool hasModel = !Papers.empty() && SpaceBlockKind(Papers[0]->GetName()) == 0;
  if (kind == 0) {
    if (!hasModel) Papers.insert(Papers.begin(), block);
  } else if (kind == 1) {
    // The first paper space sits right after the model space.
    if (hasModel) Papers.insert(Papers.begin() + 1, block);
    else Papers.insert(Papers.begin(), block);
  } else {
    Papers.push_back(block);
  }
}

void TdxfLoader::EnsurePapers() {
  // Every entity of the entities section asks; once both slots hold the right blocks, the
  // answer stays the same until the list changes.
  if (Papers.size() >= 2 && Papers[0] == FCheckedModel && Papers[1] == FCheckedPaper) return;
  auto ensure = [this](const char* name) {
    TvxDXFBlock* b = Conv->BlockByName(name);
    if (!b && Conv->BlocksSection()) b = Conv->NewNamed<TvxDXFBlock>(Conv->BlocksSection(), name);
    RegisterSpaceBlock(b);
  };
  if (Papers.empty() || SpaceBlockKind(Papers[0]->GetName()) != 0) ensure("*MODEL_SPACE");
  if (Papers.size() < 2 || SpaceBlockKind(Papers[1]->GetName()) != 1) ensure("*PAPER_SPACE");
  if (Papers.size() >= 2 && SpaceBlockKind(Papers[0]->GetName()) == 0 &&
      SpaceBlockKind(Papers[1]->GetName()) == 1) {
    FCheckedModel = Papers[0];
    FCheckedPaper = Papers[1];
  }
}

template <class T>
T* TdxfLoader::TNameCache::Find(const TvxDXFTable* table, const std::string& name) {
  const uint64_t stamp = table ? table->ChangeStamp() : 0;
  if (table != Table || stamp != Stamp) {
    Items.clear();
    Table = table;
    Stamp = stamp;
  }
  if (auto it = Items.find(name); it != Items.end()) return static_cast<T*>(it->second);
  T* item = table && table->Count() > 0 ? table->FindItem<T>(name) : nullptr;
  if (item) Items.emplace(name, item);
  return item;
}

TvxDXFLayer* TdxfLoader::FindLayer(const std::string& name) {
  return FLayerCache.Find<TvxDXFLayer>(Conv->Layers(), name.empty() ? cnstDefaultLayer : name);
}

TvxDXFLineType* TdxfLoader::FindLType(const std::string& name) {
  return FLTypeCache.Find<TvxDXFLineType>(Conv->LTypes(), name.empty() ? cnstDefaultLType : name);
}

const TdxfRecordRow* TdxfLoader::FindRecord(const std::string& name) {
  const size_t h = name.empty() ? 0
                                : (name.size() * 31 + static_cast<uint8_t>(name.front()) * 7 +
                                   static_cast<uint8_t>(name.back()));
  TRecordSlot& slot = FRecordSlots[h % FRecordSlots.size()];
  if (!slot.Used || slot.Name != name) {
    slot.Name = name;
    slot.Row = FindDXFRecord(name);
    slot.Used = true;
  }
  return slot.Row;
}

TvxDXFEntity* TdxfLoader::Layers(const std::string& name) {
  if (TvxDXFLayer* layer = FindLayer(name)) return layer;
  return TvxLinkObject::ByName(name.empty() ? cnstDefaultLayer : name);
}

TvxDXFEntity* TdxfLoader::LTypes(const std::string& name) {
  if (TvxDXFLineType* lt = FindLType(name)) return lt;
  return TvxLinkObject::ByName(name.empty() ? cnstDefaultLType : name);
}

TvxDXFBlock* TdxfLoader::BlockByName(const std::string& name) const {
  return Conv->BlockByName(name);
}

TvxDXFBlockRecord* TdxfLoader::HBlockRecords(uint64_t handle) const {
  if (handle == 0) return nullptr;
  auto it = FBlockRecordsByHandle.find(handle);
  return it == FBlockRecordsByHandle.end() ? nullptr : it->second;
}

void TdxfLoader::RegisterBlockRecord(TvxDXFBlockRecord* rec) {
  if (rec && rec->GetHandle() != 0) FBlockRecordsByHandle[rec->GetHandle()] = rec;
}

void TdxfLoader::RegisterExtensionDictionary(uint64_t ownerHandle, uint64_t dictHandle) {
  if (ownerHandle == 0 || dictHandle == 0) return;
  Conv->RegisterEntityDictionary(ownerHandle, dictHandle);
  ++FExtDictionaries;
}

void TdxfLoader::RecordRead() {
  ++FRecords;
  Conv->SetPos(static_cast<size_t>(Tok.Position()) + 1);
  if (Conv->OnRead) Conv->OnRead(Conv);
  Tok.ReportProgress();
  if (Conv->LoadingStopped()) Tok.StopLoading();
}

void TdxfLoader::SetVersion(TvxDWGVersion v) {
  Conv->HeadVarStruct().Version = static_cast<uint8_t>(v);
  Tok.SetUnicodeText(v >= acR2007);
}

void TdxfLoader::SetCodePage(int cp) {
  Conv->HeadVarStruct().CodePage = cp;
  Tok.SetCodePage(cp);
}

bool DXFVersionByName(std::string_view text, TvxDWGVersion& version) {
  if (text.size() < 6) return false;
  const int n = 10 * (text[4] & 0x0F) + (text[5] & 0x0F);
  if (text.substr(0, 4) == "AC2.") {
    if (n == 10 || n == 21 || n == 22) {
      version = acR09;
      return true;
    }
    return false;
  }
  if (text.substr(0, 4) != "AC10" || !std::isdigit(static_cast<unsigned char>(text[4])) ||
      !std::isdigit(static_cast<unsigned char>(text[5])))
    return false;
  struct Row {
    int Code;
    TvxDWGVersion Version;
  };
  static constexpr Row rows[] = {{1, acR09},  {2, acR09},    {3, acR09},    {4, acR09},
                                 {6, acR10},  {9, acR12},    {12, acR13},   {13, acR14},
                                 {14, acR14}, {15, acR2000}, {18, acR2004}, {21, acR2007},
                                 {24, acR2010}, {27, acR2013}};
  for (const Row& row : rows)
    if (row.Code == n) {
      version = row.Version;
      return true;
    }
  // Versions newer than the last one known are read like it: their text is UTF-8 too.
  if (n > 27) {
    version = acR2013;
    return true;
  }
  return false;
}

// ---- TdxfObject -----------------------------------------------------------------------------

TdxfObject::~TdxfObject() {
  if (FEnt && !FAdded) FEnt->Free();
}

void TdxfObject::ReadRecord(TdxfLoader& r) {
  ReadProperties(r);
  Commit(r);
  r.RecordRead();
  // Nesting is bounded: a deeper record's children are read by its parent as siblings.
  if (FComplex && FDepth < cnstMaxRecordDepth) ReadChildren(r);
}

void TdxfObject::ReadProperties(TdxfLoader& r) {
  TdxfReader& t = r.Tok;
  do {
    t.Next();
    switch (t.Code()) {
      case 66: FComplex = t.IntValue() != 0; break;
      case 67: FPaperSpace = t.IntValue() != 0; break;
      // Reads on to the record's end.
      case 1001: ReadExtendedData(r); break;
      default: ReadProperty(r); break;
    }
  } while (t.Code() != 0);
}

void TdxfObject::ReadProperty(TdxfLoader& r) {
  TdxfReader& t = r.Tok;
  const int code = t.Code();
  if (code >= 1 && code <= 9) {
    if (code == 5) FHandle = t.HandleValue();
    else FTexts[static_cast<size_t>(code)] = t.UValue();
    return;
  }
  switch (code) {
    case 102: FReactorsRead = !FReactorsRead; break;
    case 330:
      if (!FReactorsRead) FSoftOwner = t.HandleValue();
      break;
    case 360:
      if (FReactorsRead && FExtDictionary == 0) FExtDictionary = t.HandleValue();
      break;
    default: break;
  }
}

void TdxfObject::ApplyHandle(TdxfLoader& r) {
  if (!FEnt || FHandle == 0) return;
  FEnt->SetHandle(FHandle);
  if (FHandle > r.Conv->MaxHandle()) r.Conv->ReserveHandle(FHandle);
}

void TdxfObject::Commit(TdxfLoader& r) {
  ApplyHandle(r);
  Prepare(r);
}

void TdxfObject::ReadChildren(TdxfLoader& r) {
  while (!r.Tok.Eof()) {
    const std::string name = r.Tok.Value();
    if (ReadChild(r, name)) break;
  }
}

bool TdxfObject::ReadChild(TdxfLoader& r, const std::string& name) {
  std::unique_ptr<TdxfObject> child(NewChild(r, name));
  child->FOwner = this;
  child->FDepth = FDepth + 1;
  child->ReadRecord(r);
  const bool result = IsTerminator(child.get());
  if (child->FEnt) {
    const bool found = child->FAdded;  // an existing item: final already
    if (found || AddChild(r, child.get())) {
      child->FAdded = true;
      if (!found) child->FFinal = FFinal;
      child->Placed(r);
    } else {
      ++r.DroppedRecords;  // freed with the child reader, its pending registrations with it
    }
  }
  return result;
}

void TdxfObject::Placed(TdxfLoader& r) {
  // Descendants' registrations first: they were made before this item was placed.
  std::vector<TdxfRegistration> pending = std::move(FPending);
  FPending.clear();
  if (FFinal) {
    for (TdxfRegistration& fn : pending) fn(r);
  } else if (FOwner) {
    for (TdxfRegistration& fn : pending) FOwner->FPending.push_back(std::move(fn));
  }
  const uint64_t handle = FEnt ? FEnt->GetHandle() : FHandle;
  if (!FEEDItems.empty() && handle != 0) {
    // Handed over once the item is final: a record dropped with its parent takes its data along.
    auto list = std::make_shared<TdxfLoader::TExtDataList>(std::move(FEEDItems));
    FEEDItems.clear();
    Register(r, [handle, list](TdxfLoader& l) { l.AddPendingExtData(handle, std::move(*list)); });
  }
  AfterAdded(r);
}

void TdxfObject::Register(TdxfLoader& r, TdxfRegistration fn) {
  if (FFinal) fn(r);
  else if (FOwner) FOwner->FPending.push_back(std::move(fn));
}

TdxfObject* TdxfObject::NewChild(TdxfLoader& r, const std::string& name) {
  const TdxfRecordRow* row = r.FindRecord(name);
  if (!row) return new TdxfSkip();
  TdxfObject* child = row->Reader();
  if (row->Item) {
    TvxDXFEntity* e = row->Item();
    child->FEnt = e;
    if (r.Conv->OnCreate) r.Conv->OnCreate(e);
    e->SetConverter(r.Conv);
  }
  return child;
}

bool TdxfObject::AddChild(TdxfLoader& r, TdxfObject* child) {
  return FEnt && child->FEnt && FEnt->AddEntity(child->FEnt) >= 0;
}

void TdxfObject::AfterAdded(TdxfLoader& r) {
  if (FExtDictionary == 0 || !FEnt || FEnt->GetHandle() == 0) return;
  Register(r, [owner = FEnt->GetHandle(), dict = FExtDictionary](TdxfLoader& l) {
    l.RegisterExtensionDictionary(owner, dict);
  });
}

TvxDXFEntity* TdxfObject::ExtractEnt() {
  TvxDXFEntity* e = FEnt;
  FEnt = nullptr;
  FAdded = FFinal = false;
  return e;
}

void TdxfObject::ReplaceEnt(TvxDXFEntity* e, bool added) {
  if (FEnt == e) return;
  if (FEnt && !FAdded) FEnt->Free();
  FEnt = e;
  FAdded = added;
  FFinal = added;  // an item found in the drawing stays there
}

// ---- TdxfEntity -----------------------------------------------------------------------------

TdxfEntity::TdxfEntity() {
  FFloats[8] = 1.0;  // 48: line-type scale
  FInts[2] = 256;    // 62: by layer
}

void TdxfEntity::ReadProperty(TdxfLoader& r) {
  TdxfReader& t = r.Tok;
  const int code = t.Code();
  if (code >= 10 && code <= 37) {
    TFPoint& p = FPoints[static_cast<size_t>(code % 10)];
    const double v = t.FloatValue();
    if (code < 20) p.X = v;
    else if (code < 30) p.Y = v;
    else p.Z = v;
    return;
  }
  if (code >= 40 && code <= 59) {
    FFloats[static_cast<size_t>(code - 40)] = t.FloatValue();
    return;
  }
  if (code >= 60 && code <= 79) {
    FInts[static_cast<size_t>(code - 60)] = t.IntValue();
    return;
  }
  switch (code) {
    case 38: FElevation = t.FloatValue(); return;
    case 39: FZThick = t.FloatValue(); return;
    case 210: FExtrusion.X = t.FloatValue(); return;
    case 220: FExtrusion.Y = t.FloatValue(); return;
    case 230: FExtrusion.Z = t.FloatValue(); return;
    case 370: FLineWeight = t.IntValue(); return;
    case 420: FIntsRGBColor = t.IntValue(); return;
    case 999: {
      std::string text = UpperName(t.UValue());
      if (text.find("INVENTORY") != std::string::npos) r.SetCodePage(1251);
      r.FileInfoList.push_back(std::move(text));
      return;
    }
    default: TdxfObject::ReadProperty(r); return;
  }
}

namespace {

// The bases of an item the entity commit writes to. dynamic_cast compares type names all the
// way up the class tree, once per record, for an answer that only depends on the item's class:
// so the answers are kept per class.
struct TdxfCommitView {
  TvxDXFObjectEntityLineType* WithLType = nullptr;
  TvxDXFObjectEntity* Obj = nullptr;
  TvxDXFLayer* LayerItem = nullptr;
};

TdxfCommitView CommitView(TvxDXFEntity* e) {
  enum : uint8_t { kWithLType = 1, kObj = 2, kLayer = 4 };
  struct Row {
    const std::type_info* Type = nullptr;
    uint8_t Bases = 0;
  };
  constexpr size_t kRows = 64;
  thread_local std::array<Row, kRows> rows;
  const std::type_info* type = &typeid(*e);
  Row& row = rows[(reinterpret_cast<uintptr_t>(type) >> 4) % kRows];
  if (row.Type != type) {
    uint8_t bases = 0;
    if (dynamic_cast<TvxDXFObjectEntityLineType*>(e)) bases = kWithLType | kObj;
    else if (dynamic_cast<TvxDXFObjectEntity*>(e)) bases = kObj;
    else if (dynamic_cast<TvxDXFLayer*>(e)) bases = kLayer;
    row = {type, bases};
  }
  // The classes derive from TvxDXFEntity without virtual bases, so the checked downcasts
  // are exact.
  TdxfCommitView v;
  if (row.Bases & kWithLType) v.WithLType = static_cast<TvxDXFObjectEntityLineType*>(e);
  if (row.Bases & kObj) v.Obj = static_cast<TvxDXFObjectEntity*>(e);
  if (row.Bases & kLayer) v.LayerItem = static_cast<TvxDXFLayer*>(e);
  return v;
}

}  // namespace

void TdxfEntity::Commit(TdxfLoader& r) {
  TdxfObject::Commit(r);
  FComplex = FComplex && FEnt;
  if (!FEnt) return;
  const TdxfCommitView view = CommitView(FEnt);
  if (view.Obj) {
    if (TvxDXFLayer* layer = r.FindLayer(FTexts[8])) view.Obj->SetLayer(layer);
    else view.Obj->SetLayerLink(TvxLinkObject::ByName(FTexts[8].empty() ? cnstDefaultLayer : FTexts[8]));
  }
  if (view.WithLType || view.LayerItem) {
    TvxDXFLineType* lt = r.FindLType(FTexts[6]);
    TvxLinkObject* link =
        lt ? nullptr : TvxLinkObject::ByName(FTexts[6].empty() ? cnstDefaultLType : FTexts[6]);
    if (view.WithLType) {
      if (link) view.WithLType->SetLineTypeLink(link);
      else view.WithLType->SetLineType(lt);
    } else {
      if (link) view.LayerItem->SetLineTypeLink(link);
      else view.LayerItem->SetLineType(lt);
    }
  }
  FEnt->SetLineTypeScale(FFloats[8]);
  FEnt->SetVisibility(FInts[0] == 0);
  TvxColorCAD color{acIndexColor, static_cast<uint32_t>(FInts[2]), {}};
  if (FIntsRGBColor != 0x1FFFFFFF) {
    const auto rgb = static_cast<uint32_t>(FIntsRGBColor);
    color = {acRGBColor, ((rgb & 0xFF) << 16) | (rgb & 0xFF00) | ((rgb >> 16) & 0xFF), {}};
  }
  FEnt->SetColorCAD(color);
  FComplex = FComplex || FEnt->GetComplex();
  FEnt->SetLineWeight(FLineWeight > 0 ? FLineWeight / 100.0 : FLineWeight);
  if (const TvxCADExtendedData* url = ExtData(cnstHyperLinkApp)) FEnt->SetExtDataHyperLink(*url);
}

}  // namespace vx
