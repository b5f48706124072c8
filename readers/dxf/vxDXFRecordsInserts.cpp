// Block references and attributes: what "INSERT", "ATTDEF" and "ATTRIB" records put into the
// drawing.
#include "readers/dxf/vxDXFRecordsInserts.h"

#include "database/blocks/vxInserts.h"
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
