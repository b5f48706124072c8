// Blocks, block records and the BLOCK_RECORD view.
#include "database/blocks/vxBlocks.h"

#include "database/blocks/vxAttribs.h"
#include "database/core/vxConverter.h"
#include "database/layouts/vxLayouts.h"
#include "database/core/vxNames.h"
#include "database/blocks/vxXRefs.h"

#include <algorithm>

namespace vx {

// ---- TvxDXFBlockRecord ----------------------------------------------------------------------

TvxDXFBlock* TvxDXFBlockRecord::EnsureBlock() {
  if (!FBlock) new TvxDXFBlock(this);  // the block links itself and owns this record
  return FBlock;
}

TvxDXFConverter* TvxDXFBlockRecord::GetConverter() const {
  if (FBlock)
    if (TvxDXFConverter* conv = FBlock->GetConverter()) return conv;
  return TvxDXFPenTableItem::GetConverter();
}

void TvxDXFBlockRecord::AssignEntity(const TvxDXFEntity* source) {
  TvxDXFPenTableItem::AssignEntity(source);
  if (auto* src = dynamic_cast<const TvxDXFBlockRecord*>(source)) FDescription = src->FDescription;
}

void TvxDXFBlockRecord::UnlinkReferences() {
  // Freed on its own while its block lives: the block forgets it.
  if (FBlock) FBlock->FBlockRecord = nullptr;
  FBlock = nullptr;
  TvxDXFPenTableItem::UnlinkReferences();
}

// ---- TvxDXFBlock ----------------------------------------------------------------------------

TvxDXFBlock::TvxDXFBlock(TvxDXFBlockRecord* record)
    : FBlockRecord(record ? record : new TvxDXFBlockRecord()) {
  FBlockRecord->FBlock = this;
}

TvxDXFBlockRecord* TvxDXFBlock::ReleaseRecord() {
  TvxDXFBlockRecord* rec = FBlockRecord;
  FBlockRecord = nullptr;
  if (rec) rec->FBlock = nullptr;
  return rec;
}

std::string TvxDXFBlock::GetName() const { return FBlockRecord ? FBlockRecord->GetName() : ""; }

void TvxDXFBlock::SetName(const std::string& name) {
  if (!FBlockRecord || name == FBlockRecord->GetName()) return;
  TvxDXFEntity* owner = FOwner;
  if (owner) owner->RemoveName(this);
  FBlockRecord->SetName(name);
  if (owner) owner->AddName(this);
}

std::string TvxDXFBlock::EntName() const {
  std::string n = GetName();
  return n.empty() ? TvxDXFGroupEntity::EntName() : n;
}

std::string TvxDXFBlock::GetDescription() const {
  return FBlockRecord ? FBlockRecord->GetDescription() : "";
}

void TvxDXFBlock::SetDescription(const std::string& d) {
  if (FBlockRecord) FBlockRecord->SetDescription(d);
}

void TvxDXFBlock::SetIsLoaded(bool v) {
  FInternalFlags = v ? (FInternalFlags | cnstBlockLoaded) : (FInternalFlags & ~cnstBlockLoaded);
}

bool TvxDXFBlock::IsBlockIntetnal() const {
  if (FBlockFlags & cnstBlockAnonymous) return true;
  const std::string n = GetName();
  return !n.empty() && n[0] == '*';
}

int TvxDXFBlock::InsertEntity(int index, TvxDXFEntity* e) {
  if (IsLoaded() && !FLayout) return -1;
  return TvxDXFGroupEntity::InsertEntity(index, e);
}

void TvxDXFBlock::Clear(bool freeChildren) {
  TvxDXFGroupEntity::Clear(freeChildren);
  SetIsLoaded(false);
  FBox = BadBox;
  FBlockFlags &= ~cnstBlockHasAttributes;
}

void TvxDXFBlock::LoadData(TvxDXFConverter* conv) {
  if (IsLoaded() || IsLoading()) return;
  FInternalFlags |= cnstBlockLoading;
  struct TvxUnmark {
    TvxDXFBlock* Block;
    ~TvxUnmark() { Block->FInternalFlags &= ~cnstBlockLoading; }
  } unmark{this};
  PrepareXrefBlock(this, conv);
  UpdateAttributesFlag();
  TvxDXFGroupEntity::LoadData(conv);
  SetIsLoaded(true);
  if (conv && FBlockRecord) conv->Loads(FBlockRecord);
}

bool TvxDXFBlock::IsModalSpaceBlock() const {
  const TvxDXFConverter* conv = GetConverter();
  return FLayout && conv && conv->Layouts(0) == FLayout;
}

bool TvxDXFBlock::IsAcadTableBlock() const {
  if (!IsBlockIntetnal()) return false;
  const std::string n = GetName();
  if (n.size() < 3 || (n[1] != 'T' && n[1] != 't')) return false;
  const auto c2 = static_cast<unsigned char>(n[2]);
  // Decimal digits, also the Arabic-Indic (U+0660..) and full-width (U+FF10..) ones.
  const bool digit = (c2 >= '0' && c2 <= '9') ||
                     (n.size() >= 4 && c2 == 0xD9 && static_cast<unsigned char>(n[3]) >= 0xA0 &&
                      static_cast<unsigned char>(n[3]) <= 0xA9) ||
                     (n.size() >= 5 && c2 == 0xEF && static_cast<unsigned char>(n[3]) == 0xBC &&
                      static_cast<unsigned char>(n[4]) >= 0x90 &&
                      static_cast<unsigned char>(n[4]) <= 0x99);
  return digit || n.rfind("*TvxTbl", 0) == 0;
}

void TvxDXFBlock::AddReference(TvxDXFEntity* insert) {
  // The set answers "already there" in constant time: a block referenced by tens of thousands of
  // inserts would otherwise cost a scan per insert.
  if (insert && FReferenceSet.insert(insert).second) FReferences.push_back(insert);
}

void TvxDXFBlock::RemoveReference(TvxDXFEntity* insert) {
  if (FReferenceSet.erase(insert) == 0) return;
  FReferences.erase(std::remove(FReferences.begin(), FReferences.end(), insert), FReferences.end());
}

void TvxDXFBlock::UpdateAttributesFlag() {
  bool any = false, constant = false;
  for (const TvxDXFEntity* e : FEntities) {
    if (!e || e->EntType() != ceAttdef) continue;
    any = true;
    if (auto* d = dynamic_cast<const TvxDXFAttdef*>(e); d && d->Constant()) constant = true;
  }
  if (any && !constant)
    FBlockFlags |= cnstBlockHasAttributes;
  else
    FBlockFlags &= ~cnstBlockHasAttributes;
}

void TvxDXFBlock::ListChanged(TvxDXFEntity* child, TvxListNotification action) {
  TvxDXFGroupEntity::ListChanged(child, action);
  if (!child || child->EntType() != ceAttdef) return;
  if (action != lnAdded) {
    UpdateAttributesFlag();
  } else if (auto* d = dynamic_cast<const TvxDXFAttdef*>(child); d && d->Constant()) {
    FBlockFlags &= ~cnstBlockHasAttributes;
  } else {
    FBlockFlags |= cnstBlockHasAttributes;
  }
}

void TvxDXFBlock::UpdateBox() {
  FBox = BadBox;
  for (TvxDXFEntity* e : FEntities) {
    if (!e || !e->GetVisibility()) continue;
    // A definition shows in references only with a value it may display.
    if (auto* d = dynamic_cast<const TvxDXFAttdef*>(e); d && e->EntType() == ceAttdef)
      if (d->GetFlags() == 0 || d->NotAppear() || d->Value().empty()) continue;
    UnionBox(FBox, e->GetBox());
  }
}

void TvxDXFBlock::RegisterHandle(TvxDXFConverter* conv) { TvxDXFGroupEntity::RegisterHandle(conv); }

void TvxDXFBlock::SetConverter(TvxDXFConverter* conv) {
  TvxDXFGroupEntity::SetConverter(conv);
  if (FBlockRecord) FBlockRecord->SetConverter(conv);
}

void TvxDXFBlock::AssignEntity(const TvxDXFEntity* source) {
  TvxDXFGroupEntity::AssignEntity(source);
  auto* src = dynamic_cast<const TvxDXFBlock*>(source);
  if (!src) return;
  if (TvxDXFXref* xref = XrefOfBlock(this)) xref->Free();
  FInternalFlags = src->FInternalFlags & ~(cnstBlockLoading | cnstBlockXrefTried);
  SetIsLoaded(false);
  FBlockFlags = src->FBlockFlags;
  FOffset = src->FOffset;
  FXrefPath = src->FXrefPath;
  if (FBlockRecord && src->FBlockRecord) {
    // The record's name is the block's name: rename through the block to keep indexes right.
    const std::string name = src->FBlockRecord->GetName();
    FBlockRecord->SetDescription(src->FBlockRecord->GetDescription());
    FBlockRecord->SetFlags(src->FBlockRecord->GetFlags());
    SetName(name);
  }
}

void TvxDXFBlock::UnlinkReferences() {
  if (auto* layout = dynamic_cast<TvxDXFLayout*>(FLayout)) {
    if (layout->ExistingPaperSpaceBlock() == this) layout->SetPaperSpaceBlock(nullptr);
  }
  FLayout = nullptr;
  // The references forget this block, last to first.
  std::vector<TvxDXFEntity*> refs = std::move(FReferences);
  FReferences.clear();
  for (auto it = refs.rbegin(); it != refs.rend(); ++it) (*it)->ReferenceRemoved(this);
  TvxDXFGroupEntity::UnlinkReferences();
}

void TvxDXFBlock::FreeOwnedParts() {
  if (FBlockRecord) {
    TvxDXFBlockRecord* rec = FBlockRecord;
    FBlockRecord = nullptr;
    rec->FBlock = nullptr;
    rec->Free();
  }
  TvxDXFGroupEntity::FreeOwnedParts();
}

// ---- TvxDXFBlockRecords ---------------------------------------------------------------------

TvxDXFGroup* TvxDXFBlockRecords::Blocks() const {
  TvxDXFConverter* conv = GetConverter();
  return conv ? conv->BlocksSection() : nullptr;
}

int TvxDXFBlockRecords::Count() const {
  const TvxDXFGroup* blocks = Blocks();
  return blocks ? blocks->Count() : 0;
}

TvxDXFEntity* TvxDXFBlockRecords::GetEntity(int index) const {
  const TvxDXFGroup* blocks = Blocks();
  auto* block = blocks ? dynamic_cast<TvxDXFBlock*>(blocks->GetEntity(index)) : nullptr;
  return block ? block->BlockRecord() : nullptr;
}

void TvxDXFBlockRecords::SetEntity(int index, TvxDXFEntity* e) {
  TvxDXFGroup* blocks = Blocks();
  auto* rec = dynamic_cast<TvxDXFBlockRecord*>(e);
  if (blocks && rec) blocks->SetEntity(index, rec->EnsureBlock());
}

int TvxDXFBlockRecords::InsertEntity(int index, TvxDXFEntity* e) {
  TvxDXFGroup* blocks = Blocks();
  auto* rec = dynamic_cast<TvxDXFBlockRecord*>(e);
  if (!blocks || !rec) return -1;
  const bool madeBlock = rec->Block() == nullptr;
  TvxDXFBlock* block = rec->EnsureBlock();
  block->SetConverter(GetConverter());
  const int i = blocks->InsertEntity(index, block);
  if (i < 0 && madeBlock) {
    // Refused: hand the record back to the caller without the block made for it.
    block->ReleaseRecord();
    block->Free();
  }
  return i;
}

TvxDXFEntity* TvxDXFBlockRecords::DeleteEntity(int index) {
  TvxDXFGroup* blocks = Blocks();
  auto* block = blocks ? dynamic_cast<TvxDXFBlock*>(blocks->DeleteEntity(index)) : nullptr;
  return block ? block->BlockRecord() : nullptr;
}

int TvxDXFBlockRecords::IndexOfEntity(const TvxDXFEntity* e) const {
  const TvxDXFGroup* blocks = Blocks();
  auto* rec = dynamic_cast<const TvxDXFBlockRecord*>(e);
  return blocks && rec && rec->Block() ? blocks->IndexOfEntity(rec->Block()) : -1;
}

TvxDXFEntity* TvxDXFBlockRecords::FindEntByName(const std::string& name) const {
  const TvxDXFGroup* blocks = Blocks();
  if (!blocks) return nullptr;
  TvxDXFBlock* block = nullptr;
  if (auto* table = dynamic_cast<const TvxDXFTable*>(blocks))
    block = table->FindItem<TvxDXFBlock>(name);
  else
    block = dynamic_cast<TvxDXFBlock*>(blocks->FindEntByName(name));
  return block ? block->BlockRecord() : nullptr;
}

void TvxDXFBlockRecords::LoadData(TvxDXFConverter* conv) { TvxDXFGroup::LoadData(conv); }

}  // namespace vx
