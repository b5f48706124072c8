// vxBlocks: blocks (named lists of entities with a base point, kept in BLOCKS), their table
// entries (TvxDXFBlockRecord) and the BLOCK_RECORD table, which is a view over BLOCKS.
//
// The database core needs these for the model and paper-space blocks of layouts, the block
// loader of LoadDrawing, BlockByName/DeleteBlock and draw-order sorting; inserts, attributes and
// external references build on them.
#pragma once

#include "database/core/vxTables.h"

#include <unordered_set>
#include <vector>

namespace vx {

class TvxDXFBlock;

// Block flags as read from the file.
constexpr int cnstBlockAnonymous = 1;
constexpr int cnstBlockHasAttributes = 2;
constexpr int cnstBlockXref = 4;
constexpr int cnstBlockXrefOverlay = 8;
constexpr int cnstBlockXrefResolved = 32;

// Internal-flag bit of a loaded block.
constexpr uint8_t cnstBlockLoaded = 1;
// Internal-flag bit of a block whose load is running: a re-entrant load (a block that reaches
// itself through its references) does nothing.
constexpr uint8_t cnstBlockLoading = 0x20;
// Internal-flag bit of a block whose external drawing was looked for already.
constexpr uint8_t cnstBlockXrefTried = 0x10;

// The table entry of a block. A record made on its own gets its block when it is added to the
// BLOCK_RECORD table; a record made by a block is owned by that block.
class TvxDXFBlockRecord : public TvxDXFPenTableItem {
  VX_ENTITY_CLASS(TvxDXFBlockRecord)
 public:
  TvxDXFBlock* Block() const { return FBlock; }
  TvxDXFBlock* GetBlock() const override { return FBlock; }
  // Creates the block of a lone record (the block then owns the record).
  TvxDXFBlock* EnsureBlock();
  TvxDXFConverter* GetConverter() const override;
  std::string GetDescription() const override { return FDescription; }
  void SetDescription(const std::string& d) override { FDescription = d; }
  void AssignEntity(const TvxDXFEntity* source) override;
  void UnlinkReferences() override;

 protected:
  friend class TvxDXFBlock;
  TvxDXFBlock* FBlock = nullptr;  // the block that owns this record
  std::string FDescription;
};

class TvxDXFBlock : public TvxDXFGroupEntity {
  VX_ENTITY_CLASS(TvxDXFBlock)
 public:
  // A block with a new record, or adopting the given lone record.
  explicit TvxDXFBlock(TvxDXFBlockRecord* record = nullptr);

  TvxDXFBlockRecord* BlockRecord() const { return FBlockRecord; }
  // Gives up the record, which the caller then owns (the record forgets this block).
  TvxDXFBlockRecord* ReleaseRecord();
  std::string GetName() const override;
  // Renames through the record and keeps the owner's name index in step.
  void SetName(const std::string& name) override;
  std::string EntName() const override;
  std::string GetDescription() const override;
  void SetDescription(const std::string& d) override;
  int GetFlags() const override { return FBlockFlags; }
  void SetFlags(int f) override { FBlockFlags = f; }
  TFPoint Offset() const { return FOffset; }
  void SetOffset(const TFPoint& p) { FOffset = p; }
  const std::string& XrefPath() const { return FXrefPath; }
  void SetXrefPath(const std::string& p) { FXrefPath = p; }
  // The layout whose entities the block holds; nil for ordinary blocks.
  TvxDXFEntity* Layout() const { return FLayout; }
  void SetLayout(TvxDXFEntity* layout) { FLayout = layout; }
  bool SpecPaperSpace() const { return FLayout != nullptr; }
  bool IsLoaded() const { return (FInternalFlags & cnstBlockLoaded) != 0; }
  void SetIsLoaded(bool v);
  bool IsBlockIntetnal() const;
  bool IsBlockByXRef() const { return (FBlockFlags & (cnstBlockXref | cnstBlockXrefResolved)) != 0; }
  bool IsBlockXrefOverlay() const { return (FBlockFlags & cnstBlockXrefOverlay) != 0; }
  int ViewPortOrdIndex() const { return FViewPortOrdIndex; }
  void SetViewPortOrdIndex(int i) { FViewPortOrdIndex = i; }
  bool IsLoading() const { return (FInternalFlags & cnstBlockLoading) != 0; }
  // The block's layout is the model layout of its drawing.
  bool IsModalSpaceBlock() const;
  // An internal block named like the blocks of table entities ("*T" and a digit, "*TvxTbl...").
  bool IsAcadTableBlock() const;

  // The references (inserts) that use this block; duplicates are ignored. They are told by
  // ReferenceRemoved when the block goes.
  const std::vector<TvxDXFEntity*>& References() const { return FReferences; }
  void AddReference(TvxDXFEntity* insert);
  void RemoveReference(TvxDXFEntity* insert);
  // Flag 2: set when the block holds attribute definitions and none of them is constant.
  void UpdateAttributesFlag();

  // Accepts children only while not loaded, or when the block belongs to a layout.
  int InsertEntity(int index, TvxDXFEntity* e) override;
  void Clear(bool freeChildren) override;
  // Attribute definitions keep flag 2 in step.
  void ListChanged(TvxDXFEntity* child, TvxListNotification action) override;
  // Children count when visible; attribute definitions only when they show a value.
  void UpdateBox() override;
  // Nothing when loaded or being loaded; else the external drawing (when the block names one),
  // flag 2, the group load and the record's load, then loaded.
  void LoadData(TvxDXFConverter* conv) override;
  void RegisterHandle(TvxDXFConverter* conv) override;
  void SetConverter(TvxDXFConverter* conv) override;
  void AssignEntity(const TvxDXFEntity* source) override;
  void UnlinkReferences() override;
  void FreeOwnedParts() override;

 protected:
  friend class TvxDXFBlockRecord;
  bool IsDrawable() const override { return false; }

  TvxDXFBlockRecord* FBlockRecord;  // owned
  TFPoint FOffset;
  std::string FXrefPath;
  TvxDXFEntity* FLayout = nullptr;
  int FViewPortOrdIndex = -1;
  int FBlockFlags = 0;
  std::vector<TvxDXFEntity*> FReferences;  // non-owning
  std::unordered_set<TvxDXFEntity*> FReferenceSet;  // the same, for membership
};

// The BLOCK_RECORD table: owns nothing, shows the records of the blocks in BLOCKS.
class TvxDXFBlockRecords : public TvxDXFTable {
  VX_ENTITY_CLASS(TvxDXFBlockRecords)
 public:
  // The BLOCKS section of the converter (looked up on every use, so it never dangles).
  TvxDXFGroup* Blocks() const;
  int Count() const override;
  TvxDXFEntity* GetEntity(int index) const override;
  void SetEntity(int index, TvxDXFEntity* e) override;
  // Adds the record's block to BLOCKS.
  int InsertEntity(int index, TvxDXFEntity* e) override;
  TvxDXFEntity* DeleteEntity(int index) override;
  int IndexOfEntity(const TvxDXFEntity* e) const override;
  TvxDXFEntity* FindEntByName(const std::string& name) const override;
  void Clear(bool freeChildren) override {}
  int AddName(TvxDXFEntity* child) override { return -1; }
  void RemoveName(TvxDXFEntity* child) override {}
  void LoadData(TvxDXFConverter* conv) override;
};

}  // namespace vx
