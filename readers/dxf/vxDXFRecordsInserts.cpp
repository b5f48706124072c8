// Block references and attributes: what "INSERT", "ATTDEF" and "ATTRIB" records put into the
// drawing.
#include "readers/dxf/vxDXFRecordsInserts.h"

#include "database/blocks/vxDimTables.h"
#include "database/blocks/vxInserts.h"
#include "database/core/vxConverter.h"
#include "database/core/vxNames.h"

#include <cmath>
#include <typeinfo>

namespace vx {

namespace {

bool IsFinite(const TFPoint& p) { return std::isfinite(p.X) && std::isfinite(p.Y) && std::isfinite(p.Z); }

}  // namespace

// ---- TdxfInsert -----------------------------------------------------------------------------

TdxfInsert::TdxfInsert() {
  FFloats[1] = FFloats[2] = FFloats[3] = 1.0;  // 41, 42, 43: scale factors
}

void TdxfInsert::Commit(TdxfLoader& r) {
  // More than one cell makes an array; the plain item is still empty, so nothing is lost.
  const int cols = FInts[10], rows = FInts[11];
  const bool array = (cols > 0 && rows > 1) || (cols > 1 && rows > 0);
  if (array && FEnt && !FAdded && typeid(*FEnt) == typeid(TvxDXFInsert)) {
    auto* m = new TvxCADMInsert();
    if (r.Conv->OnCreate) r.Conv->OnCreate(m);
    m->SetConverter(r.Conv);
    ReplaceEnt(m, false);
  }
  TdxfEntity::Commit(r);
  auto* ins = dynamic_cast<TvxDXFInsert*>(FEnt);
  if (!ins) return;
  // The item has no attributes yet, so these setters move nothing but the reference itself.
  if (IsFinite(FPoints[0])) ins->SetPoint(FPoints[0]);
  ins->SetExtrusion(FExtrusion);
  ins->SetScale({FFloats[1], FFloats[2], FFloats[3]});
  ins->SetAngle(static_cast<float>(FFloats[10]));
  const std::string& name = FTexts[2];
  if (TvxDXFBlock* block = name.empty() ? nullptr : r.BlockByName(name))
    ins->SetBlock(block);
  else if (!name.empty())
    ins->SetBlockRecord(TvxLinkObject::ByName(name));  // a block defined later in the file
  if (auto* m = dynamic_cast<TvxCADMInsert*>(ins)) {
    m->SetNumCols(cols);
    m->SetNumRows(rows);
    if (std::isfinite(FFloats[4])) m->SetColSpacing(FFloats[4]);
    if (std::isfinite(FFloats[5])) m->SetRowSpacing(FFloats[5]);
  }
}

void TdxfInsert::ReadChildren(TdxfLoader& r) {
  while (!r.Tok.Eof()) {
    const std::string name = r.Tok.Value();
    const bool attrib = SameName(DXFTrim(name), "ATTRIB");
    // Anything else than an attribute or the end marker belongs to the parent.
    if (!attrib && !SameName(DXFTrim(name), "SEQEND")) break;
    if (ReadChild(r, name) || !attrib) break;
  }
}

bool TdxfInsert::AddChild(TdxfLoader& r, TdxfObject* child) {
  auto* ins = dynamic_cast<TvxDXFInsert*>(FEnt);
  return ins && child->FEnt && child->FEnt->EntType() == ceAttrib &&
         ins->InsertEntity(ins->Count(), child->FEnt) >= 0;
}

// ---- TdxfDimension --------------------------------------------------------------------------

void TdxfDimension::Commit(TdxfLoader& r) {
  // 10 is the definition point, 12 the insertion point of the block; 50 turns the measurement
  // and 70 is the kind, neither of them the reference's.
  const TFPoint def = FPoints[0];
  const int flags = FInts[10];
  FPoints[0] = FPoints[2];
  FFloats[1] = FFloats[2] = FFloats[3] = 1.0;
  FFloats[10] = 0;
  FInts[10] = FInts[11] = 0;
  TdxfInsert::Commit(r);
  FComplex = false;
  auto* d = dynamic_cast<TvxDXFDimension*>(FEnt);
  if (!d) return;
  auto finite = [](const TFPoint& p) { return IsFinite(p) ? p : TFPoint{}; };
  d->SetDefPoint(finite(def));
  d->SetMiddlePoint(finite(FPoints[1]));
  d->SetLinDefPoint1(finite(FPoints[3]));
  d->SetLinDefPoint2(finite(FPoints[4]));
  d->SetRadDefPoint(finite(FPoints[5]));
  d->SetArcDefPoint(finite(FPoints[6]));
  d->SetDimFlags(flags);
  d->SetTextOverride(FTexts[1]);
  if (std::isfinite(FFloats[13])) d->SetTextRotation(FFloats[13]);
  const std::string style = DXFTrim(FTexts[3]);
  const std::string name = style.empty() ? r.Conv->HeadVarStruct().DimStyle : style;
  if (!name.empty()) d->SetStyle(r.Conv->DimensionStyleByName(name));
}

// ---- TdxfAcadTable --------------------------------------------------------------------------

void TdxfAcadTable::ReadProperty(TdxfLoader& r) {
  TdxfReader& t = r.Tok;
  switch (t.Code()) {
    case 100:
      if (DXFTrim(t.Value()) == "AcDbTable") FTableMarker = true;
      return;
    case 90: FTableFlags = t.IntValue(); return;
    case 91: if (FRows == 0) FRows = t.IntValue(); return;
    case 92: if (FTableMarker && FCols == 0) FCols = t.IntValue(); return;
    case 342: FStyleHandle = t.HandleValue(); return;
    case 343: FBlockRecordHandle = t.HandleValue(); return;
    // cell texts and styles: the block holds what they draw
    case 1: case 3: case 7: return;
    default: TdxfInsert::ReadProperty(r); return;
  }
}

void TdxfAcadTable::Commit(TdxfLoader& r) {
  // 40 and 41 are cell margins, 70 and 71 the flow direction and more, not scales or a grid.
  FFloats[1] = FFloats[2] = FFloats[3] = 1.0;
  FFloats[10] = 0;
  FInts[10] = FInts[11] = 0;
  TdxfInsert::Commit(r);
  FComplex = false;
  auto* t = dynamic_cast<TvxDXFAcadTable*>(FEnt);
  if (!t) return;
  if (!t->GetBlockRecordItem() && FBlockRecordHandle != 0)
    if (TvxDXFBlockRecord* rec = r.HBlockRecords(FBlockRecordHandle)) t->SetBlockRecord(rec);
  t->SetTableFlags(FTableFlags);
  t->SetNumRows(std::max(0, FRows));
  t->SetNumCols(std::max(0, FCols));
  if (IsFinite(FPoints[1]) && (FPoints[1].X != 0 || FPoints[1].Y != 0 || FPoints[1].Z != 0))
    t->SetDirection(FPoints[1]);
  t->SetStyleHandle(FStyleHandle);
}

// ---- TdxfAttdef -----------------------------------------------------------------------------

void TdxfAttdef::ReadProperty(TdxfLoader& r) {
  // Newer files write 280 twice (a version, then the lock flag): the last one counts.
  if (r.Tok.Code() == 280 && !FEmbedded) FLockPosition = r.Tok.IntValue() != 0;
  TdxfText::ReadProperty(r);
}

void TdxfAttdef::Commit(TdxfLoader& r) {
  // The vertical alignment of attributes is 74 (73 is the field length).
  FInts[13] = FInts[14];
  TdxfText::Commit(r);
  FComplex = false;
  auto* a = dynamic_cast<TvxDXFAttdef*>(FEnt);
  if (!a) return;
  a->SetValue(FTexts[1]);
  a->SetTag(DXFTrim(FTexts[2]));
  a->SetFlags(FInts[10]);
  if (r.Conv->HeadVarStruct().Version >= static_cast<uint8_t>(acR2007)) a->SetLockPosition(FLockPosition);
}

}  // namespace vx
