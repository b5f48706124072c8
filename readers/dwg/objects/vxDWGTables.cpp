// Table controls and entries (layers, line types, text and dimension styles, viewport entries,
// application ids), block records, dictionaries and layouts.
#include "readers/dwg/objects/vxDWGKinds.h"
#include "readers/dwg/objects/vxDWGRecords.h"

#include "database/core/vxNames.h"
#include "readers/dwg/stream/vxDWGErrors.h"
#include "readers/dwg/vxDWGReader.h"

#include <cmath>

namespace vx {

namespace {

// ---- rows -----------------------------------------------------------------------------------

constexpr TdwgFieldRow cnstLayerRows[] = {
    {dcB, dvAll, 0, 0, 0, 0, rfNone, &TdwgLayer::ReadFlags},
    {dcCMC, dvAll, 62},
};
constexpr TdwgFieldRow cnstLayerHandles[] = {
    {dcH, dvR2000, 0},  // plot style
    {dcH, dvR2007, 0},  // material
    {dcH, dvAll, 340},  // line type
};

constexpr TdwgFieldRow cnstLTypeRows[] = {
    {dcTV, dvAll, 3},  // description
    {dcBD, dvAll, 0},  // pattern length
    {dcRC, dvAll, 0},  // alignment
    {dcRC, dvAll, 0, 0, 0, 0, rfNone, &TdwgLType::ReadElements},
};
constexpr TdwgFieldRow cnstLTypeHandles[] = {
    {dcH, dvAll, 0, 0, 0, 0, rfNone, &TdwgLType::ReadStyles},
};

constexpr TdwgFieldRow cnstStyleRows[] = {
    {dcB, dvAll, 61},  // shape file
    {dcB, dvAll, 63},  // vertical
    {dcBD, dvAll, 40},
    {dcBD, dvAll, 41},
    {dcBD, dvAll, 50, 0, 0, 0, rfDegrees},
    {dcRC, dvAll, 71},
    {dcBD, dvAll, 42},
    {dcTV, dvAll, 3},
    {dcTV, dvAll, 4},
};

constexpr TdwgFieldRow cnstAppIDRows[] = {{dcRC, dvAll, 0}};

constexpr TdwgFieldRow cnstDbColorRows[] = {{dcCMC, dvAll, 62}};

// The dimension-style control counts the extra handles it lists after its entries.
constexpr TdwgFieldRow cnstDimStyleControlRows[] = {{dcRC, dvR2000, 0}};

// Table names of the controls.
struct TControlRow {
  unsigned Code;
  const char* Table;
  TConvSection Section;
};
constexpr TControlRow cnstControls[] = {
    {48, "BLOCK_RECORD", csBlockRecords}, {50, "LAYER", csLayers}, {52, "STYLE", csStyles},
    {56, "LTYPE", csLTypes},   {64, "VPORT", csVPorts},        {66, "APPID", csAppID},
    {68, "DIMSTYLE", csDimStyles},
};

const TControlRow* ControlOf(unsigned code) {
  for (const TControlRow& c : cnstControls)
    if (c.Code == code) return &c;
  return nullptr;
}

// The control of the table an entry belongs to.
const TControlRow* ControlOfEntry(unsigned code) {
  switch (code) {
    case 49: return ControlOf(48);
    case 51: return ControlOf(50);
    case 53: return ControlOf(52);
    case 57: return ControlOf(56);
    case 65: return ControlOf(64);
    case 67: return ControlOf(66);
    case 69: return ControlOf(68);
    default: return nullptr;
  }
}

}  // namespace

// ---- table controls -------------------------------------------------------------------------

void TdwgTableControl::ReadOwnData(TdwgReader& r) {
  FSubEnts = DWGCounted(S.Handles(), ReadBL(S.Dat), 8);
  TdwgObject::ReadOwnData(r);
  const TControlRow* c = ControlOf(FCode);
  if (!c) return;
  // The drawing keeps one table of each kind.
  if (TvxDXFTable* existing = r.Conv->Tables(c->Table)) {
    if (FItem) FItem->Free();
    FItem = existing;
    FPlaced = true;
    return;
  }
  if (FCode == 48) {
    if (FItem) FItem->Free();
    FItem = new TvxDXFBlockRecords();
  }
  if (FItem) {
    FItem->SetConverter(r.Conv);
    FItem->SetName(c->Table);
  }
}

void TdwgTableControl::ReadOwnHandles(TdwgReader& r) {
  FChildren.reserve(FSubEnts);
  for (uint32_t i = 0; i < FSubEnts && !S.Failed(); ++i) {
    const TdwgHandleRef h = S.H();
    if (h.Code != 2 || !h.Handle) continue;
    FChildren.push_back(h.Handle);
    if (FCode == 48) r.BlockRecordIndex.emplace(h.Handle, int(i));
  }
}

TvxDXFEntity* TdwgTableControl::GetOwnerItem(TdwgReader& r) { return r.Conv->TablesSection(); }

bool TdwgTableControl::AddToOwner(TdwgReader& r, TvxDXFEntity* owner) {
  return owner && FItem && owner->AddEntity(FItem) >= 0;
}

void TdwgTableControl::LoadChildren(TdwgReader& r) { r.LoadChildList(FChildren); }

// ---- table entries --------------------------------------------------------------------------

void TdwgTableItem::ReadCommon(TdwgReader& r) {
  TdwgObject::ReadCommon(r);
  FEntryName = S.TV();
  if (r.Version < acR2007) {
    if (ReadBit(S.Dat)) FFlags |= 64;
    ReadBS(S.Dat);  // xref index
    if (ReadBit(S.Dat)) FFlags |= 16;
  } else {
    FFlags = ReadBS(S.Dat);
  }
}

void TdwgTableItem::ReadOwnHandles(TdwgReader& r) {
  S.H();  // the external-reference block
  TdwgObject::ReadOwnHandles(r);
}

TvxDXFEntity* TdwgTableItem::GetOwnerItem(TdwgReader& r) {
  TvxDXFEntity* owner = r.GetChild(FOwner);
  if (dynamic_cast<TvxDXFTable*>(owner)) return owner;
  // An entry whose control is missing goes to the drawing's table of its kind.
  const TControlRow* c = ControlOfEntry(FCode);
  return c ? r.Conv->SectionContainer(c->Section) : nullptr;
}

bool TdwgTableItem::AddToOwner(TdwgReader& r, TvxDXFEntity* owner) {
  return owner && FItem && owner->AddEntity(FItem) >= 0;
}

void TdwgTableItem::Commit(TdwgReader& r) {
  if (!FItem) return;
  FItem->SetName(FEntryName);
  FItem->SetFlags(FFlags);
  Apply(r);
  TdwgObject::Commit(r);
}

// ---- layers ---------------------------------------------------------------------------------

void TdwgLayer::ReadFlags(TdwgObject& o, TdwgReader& r, TdwgStreams& s) {
  auto& self = static_cast<TdwgLayer&>(o);
  TvxBitCursor& d = s.Dat;
  int flags = self.FFlags;
  if (r.Version < acR2000) {
    if (ReadBit(d)) flags |= cnstLayerFrozen;
    self.FOff = ReadBit(d) != 0;
    if (ReadBit(d)) flags |= cnstLayerFrozenInNewViewports;
    if (ReadBit(d)) flags |= cnstLayerLocked;
    o.F.Ints[10] = 1;  // plotting
    o.F.Ints370[0] = -3;
  } else {
    const unsigned v = ReadBS(d);
    if (v & 1) flags |= cnstLayerFrozen;
    self.FOff = (v & 2) != 0;
    if (v & 4) flags |= cnstLayerFrozenInNewViewports;
    if (v & 8) flags |= cnstLayerLocked;
    o.F.Ints[10] = (v & 0x10) ? 1 : 0;
    o.F.Ints370[0] = int64_t((v >> 5) & 0x1F);
  }
  self.FFlags = flags;
}

void TdwgLayer::Apply(TdwgReader& r) {
  auto* layer = dynamic_cast<TvxDXFLayer*>(FItem);
  if (!layer) return;
  layer->SetFlags(FFlags);
  layer->SetColorCAD(F.Colors[0]);
  layer->SetVisible(!FOff);
  layer->SetIsPlotting(F.Ints[10] != 0);
  if (r.Version >= acR2000) layer->SetLineWeight(DWGLineWeight(unsigned(F.Ints370[0])));
  if (auto* lt = dynamic_cast<TvxDXFLineType*>(r.GetChild(F.Refs[0]))) layer->SetLineType(lt);
}

// ---- line types -----------------------------------------------------------------------------

void TdwgLType::ReadElements(TdwgObject& o, TdwgReader& r, TdwgStreams& s) {
  auto& self = static_cast<TdwgLType&>(o);
  TvxBitCursor& d = s.Dat;
  const unsigned n = ReadRC(d);
  bool hasText = false;
  for (unsigned i = 0; i < n && !d.Failed; ++i) {
    TvxLTypeElement e;
    e.Dash = ReadBD(d);
    e.ShapeNumber = int16_t(ReadBS(d));
    e.XOffset = ReadRD(d);
    e.YOffset = ReadRD(d);
    e.Scale = ReadBD(d);
    e.Rotation = ReadBD(d) * 180 / 3.14159265358979323846;
    e.ComplexType = uint8_t(ReadBS(d));
    hasText = hasText || (e.ComplexType & 2);
    self.FElements.push_back(e);
  }
  // The text area: 256 bytes before 2007; from 2007 512 bytes, present only when an element has
  // a text.
  const bool wide = r.Version >= acR2007;
  if (wide && !hasText) return;
  const size_t areaBytes = wide ? 512 : 256;
  std::vector<uint8_t> area(areaBytes, 0);
  if (!ReadDWGBytes(d, area.data(), areaBytes)) return;
  for (TvxLTypeElement& e : self.FElements) {
    if (!(e.ComplexType & 2)) continue;
    // A text element's shape number is the offset of its text in the area.
    size_t at = size_t(uint16_t(e.ShapeNumber));
    if (at >= areaBytes) at = 0;
    size_t end = at;
    if (wide) {
      while (end + 1 < areaBytes && (area[end] || area[end + 1])) end += 2;
      e.Text.clear();
      AppendUTF16(e.Text, area.data() + at, (end - at) / 2);
    } else {
      while (end < areaBytes && area[end]) ++end;
      e.Text = DecodeDWGText(area.data() + at, end - at, s.Coding);
    }
    e.ShapeNumber = 0;
  }
}

void TdwgLType::ReadStyles(TdwgObject& o, TdwgReader& r, TdwgStreams& s) {
  auto& self = static_cast<TdwgLType&>(o);
  for (size_t i = 0; i < self.FElements.size() && !s.Failed(); ++i) self.FStyles.push_back(s.HandleValue());
}

void TdwgLType::Apply(TdwgReader& r) {
  auto* lt = dynamic_cast<TvxDXFLineType*>(FItem);
  if (!lt) return;
  lt->Lines().Clear();
  for (size_t i = 0; i < FElements.size(); ++i) {
    if (i < FStyles.size() && FStyles[i]) FElements[i].Style = dynamic_cast<TvxDXFStyle*>(r.GetChild(FStyles[i]));
    lt->Lines().Add(FElements[i]);
  }
}

// ---- styles ---------------------------------------------------------------------------------

void TdwgStyle::Apply(TdwgReader& r) {
  auto* style = dynamic_cast<TvxDXFStyle*>(FItem);
  if (!style) return;
  int flags = FFlags;
  if (F.Ints[1]) flags |= 1;
  if (F.Ints[3]) flags |= 8;
  style->SetFlags(flags);
  style->FixedHeight = F.Floats[0];
  style->WidthFactor = F.Floats[1];
  style->LastHeightUsed = F.Floats[2];
  style->ObliqueAngle = F.Floats[10];
  style->TextGenFlags = uint8_t(F.Ints[11] & (cnstTextBackward | cnstTextUpsideDown));
  style->PrimaryFont = F.Texts[3];
  if (style->PrimaryFont.empty()) style->PrimaryFont = "simplex.shx";
  style->BigFont = F.Texts[4];
}

// ---- block records --------------------------------------------------------------------------

void TdwgBlockRecord::ReadOwnData(TdwgReader& r) {
  TvxBitCursor& d = S.Dat;
  const TvxDWGVersion v = r.Version;
  if (ReadBit(d)) FFlags |= 1;  // anonymous
  if (ReadBit(d)) FFlags |= 2;  // has attributes
  if (ReadBit(d)) FFlags |= 4;  // external reference
  if (ReadBit(d)) FFlags |= 8;  // overlaid
  if (v >= acR2000) ReadBit(d);  // loaded
  if (v >= acR2004 && !(FFlags & 12)) FSubEnts = DWGCounted(S.Handles(), ReadBL(d), 8);
  FBase = Read3BD(d);
  FXrefPath = S.TV();
  unsigned inserts = 0;
  if (v >= acR2000) {
    // One RC per insert that uses the block, up to a 0.
    while (!d.Failed && ReadRC(d) != 0) ++inserts;
    FDescription = S.TV();
    const uint32_t preview = ReadBL(d);
    if (preview > d.Remaining() / 8) DWGObjectCorrupt();
    d.Skip(uint64_t(preview) * 8);
  }
  if (v >= acR2007) {
    ReadBS(d);
    ReadBit(d);
    ReadRC(d);
  }
  F.Longs[0] = inserts;
}

void TdwgBlockRecord::ReadOwnHandles(TdwgReader& r) {
  S.H();  // the external-reference block
  FBlockEntity = S.HandleValue();
  ReadOwnedHandles(r, (FFlags & 12) == 0);
  FBlockEnd = S.HandleValue();
  if (r.Version >= acR2000) {
    if (uint64_t(F.Longs[0]) > S.Handles().Remaining() / 8) DWGObjectCorrupt();
    for (int64_t i = 0; i < F.Longs[0] && !S.Failed(); ++i) S.H();
    FLayout = S.HandleValue();
  }
}

void TdwgBlockRecord::Apply(TdwgReader& r) {
  // The space blocks exist from the start: their records are the ones read here.
  TvxDXFBlock* space = FHandle == r.Header.ModelBlockRecord ? r.Model
                       : FHandle == r.Header.PaperBlockRecord ? r.Paper : nullptr;
  if (space && space->BlockRecord()) {
    FItem->Free();
    FItem = space->BlockRecord();
    FPlaced = true;
    FItem->SetHandle(FHandle);
  }
  auto* rec = dynamic_cast<TvxDXFBlockRecord*>(FItem);
  if (!rec) return;
  std::string name = FEntryName;
  // Anonymous blocks ("*U", "*D") and the paper spaces other than the current one are stored
  // without their number: they take their position in the BLOCK_RECORD control ("*U3",
  // "*Paper_Space0").
  bool anonymous = name.size() == 2 && name[0] == '*';
  const bool otherPaper = !space && SameName(name, "*Paper_Space");
  if (otherPaper && r.Version < acR2000) {
    // Files before 2000 have one paper space; another one (left by a newer release) is an
    // anonymous block there.
    name = "*U";
    anonymous = true;
  }
  if (anonymous || otherPaper) {
    auto it = r.BlockRecordIndex.find(FHandle);
    name += std::to_string(it != r.BlockRecordIndex.end() ? it->second : r.Conv->Counts(csBlocks));
    if (anonymous) FFlags |= 1;
  }
  rec->SetName(name);
  rec->SetFlags(FFlags);
  rec->SetDescription(FDescription);
  if (TvxDXFBlock* block = space ? space : rec->EnsureBlock()) {
    block->SetFlags(FFlags);
    block->SetOffset(FBase);
    block->SetXrefPath(FXrefPath);
  }
}

TdwgBlockRecord::~TdwgBlockRecord() {
  auto* rec = dynamic_cast<TvxDXFBlockRecord*>(FItem);
  if (FPlaced || !rec || !rec->Block()) return;
  TvxDXFBlock* block = rec->Block();
  FItem = nullptr;
  block->Free();
}

bool TdwgBlockRecord::AddToOwner(TdwgReader& r, TvxDXFEntity* owner) {
  return owner && FItem && owner->AddEntity(FItem) >= 0;
}

void TdwgBlockRecord::LoadChildren(TdwgReader& r) {
  if (r.Version >= acR2004) r.LoadChildList(FChildren);
  else if (FFirstChild) r.LoadChildChain(FFirstChild);
}

// ---- named colours -------------------------------------------------------------------------

TvxDXFEntity* TdwgDbColor::GetOwnerItem(TdwgReader& r) { return r.Conv->ObjectsSection(); }

void TdwgDbColor::Commit(TdwgReader& r) {
  if (FItem) FItem->SetColorCAD(F.Colors[0]);
  TdwgObject::Commit(r);
}

// ---- dictionaries ---------------------------------------------------------------------------

void TdwgDictionary::ReadOwnData(TdwgReader& r) {
  TvxBitCursor& d = S.Dat;
  FSubEnts = DWGCounted(S.Handles(), ReadBL(d), 8);
  if (r.Version == acR14) ReadRC(d);
  if (r.Version >= acR2000) {
    ReadBS(d);  // cloning
    ReadRC(d);  // hard owner
  }
  for (uint32_t i = 0; i < FSubEnts && !S.Failed(); ++i) FNames.push_back(S.TV());
}

void TdwgDictionary::ReadOwnHandles(TdwgReader& r) {
  for (uint32_t i = 0; i < FSubEnts && !S.Failed(); ++i) FChildren.push_back(S.HandleValue());
  if (FHandle == r.Header.NamedObjects) {
    for (size_t i = 0; i < FNames.size() && i < FChildren.size(); ++i) {
      const std::string& n = FNames[i];
      if (SameName(n, "ACAD_LAYOUT")) r.Header.LayoutsDict = FChildren[i];
      else if (SameName(n, "ACAD_MLINESTYLE")) r.Header.MLStylesDict = FChildren[i];
      else if (SameName(n, "ACAD_PLOTSETTINGS")) r.Header.PlotSettingsDict = FChildren[i];
      else if (SameName(n, "ACAD_COLOR")) r.Header.ColorsDict = FChildren[i];
      else if (SameName(n, "ACAD_MATERIAL")) r.Header.MaterialDict = FChildren[i];
    }
  }
}

TvxDXFEntity* TdwgDictionary::GetOwnerItem(TdwgReader& r) { return nullptr; }

bool TdwgDictionary::AddToOwner(TdwgReader& r, TvxDXFEntity* owner) { return false; }

void TdwgDictionary::LoadChildren(TdwgReader& r) { r.LoadChildList(FChildren); }

void AddDWGTableKinds(TdwgKindTable& t) {
  for (const TControlRow& c : cnstControls)
    t[c.Code] = Kind(c.Table, Reader<TdwgTableControl>, Item<TvxDXFTable>);
  t[68].Rows = cnstDimStyleControlRows;
  t[49] = Kind("BLOCK_HEADER", Reader<TdwgBlockRecord>, Item<TvxDXFBlockRecord>, {});
  t[51] = Kind("LAYER", Reader<TdwgLayer>, Item<TvxDXFLayer>, cnstLayerRows, cnstLayerHandles);
  t[53] = Kind("STYLE", Reader<TdwgStyle>, Item<TvxDXFStyle>, cnstStyleRows);
  t[57] = Kind("LTYPE", Reader<TdwgLType>, Item<TvxDXFLineType>, cnstLTypeRows, cnstLTypeHandles);
  t[67] = Kind("APPID", Reader<TdwgAppID>, Item<TvxDXFAppID>, cnstAppIDRows);
  // Dictionaries are followed for what they hold; the drawing keeps no item of their own.
  t[42] = Kind("DICTIONARY", Reader<TdwgDictionary>, nullptr, {});
  t[89] = Kind("DBCOLOR", Reader<TdwgDbColor>, Item<TvxDXFCustomColor>, cnstDbColorRows);
  AddDWGTableObjectKinds(t);
}

}  // namespace vx
