// vxDXFRecordsTables: the readers of tables and their entries (layers, line types, text and
// dimension styles, application ids, viewport entries, block records) and of blocks.
#pragma once

#include "readers/dxf/vxDXFRecords.h"

namespace vx {

// "TABLE": its code-2 name picks the database table; an existing table of that name is reused.
// The table is placed in TABLES before its entries are read, so lookups see them at once.
class TdxfTable : public TdxfObject {
 public:
  TdxfTable() { FComplex = true; }
  void Commit(TdxfLoader& r) override;
  bool IsTerminator(const TdxfObject* child) const override { return child->Kind() == rkEndTab; }
  bool AddChild(TdxfLoader& r, TdxfObject* child) override;
  std::string FName;
};

// Table entries with a name and flags; an entry whose name the table already holds fills that
// entry instead of adding a second one.
class TdxfPenTableItem : public TdxfEntity {
 public:
  void ReadProperty(TdxfLoader& r) override;
  void Commit(TdxfLoader& r) override;

 protected:
  bool FMatched = false;
};

class TdxfLayer : public TdxfPenTableItem {
 public:
  TdxfLayer() { FLineWeight = fLineWeightDefault; }
  void ReadProperty(TdxfLoader& r) override;
  void Commit(TdxfLoader& r) override;

 private:
  bool FPlottable = true;
};

class TdxfLType : public TdxfPenTableItem {
 public:
  void ReadProperty(TdxfLoader& r) override;
  void Commit(TdxfLoader& r) override;

 private:
  TvxLTypeElement& Current();
  std::vector<TvxLTypeElement> FElements;
  std::vector<uint64_t> FStyleHandles;
};

// "STYLE": the font files, defaults and generation flags; an "ACAD" extended-data block names
// the TrueType face (1000) and its bold and italic bits (1071, bits 25 and 24).
class TdxfStyle : public TdxfPenTableItem {
 public:
  TdxfStyle();
  void ReadProperty(TdxfLoader& r) override;
  void Prepare(TdxfLoader& r) override;
  void Commit(TdxfLoader& r) override;

 private:
  std::string FXDataApp;  // the application of the extended data being read (1001)
  std::string FFace;      // "ACAD" 1000
  int FFaceFlags = 0;     // "ACAD" 1071
  bool FHasFace = false, FHasFaceFlags = false;
};

class TdxfDimStyle : public TdxfPenTableItem {
 public:
  void ReadProperty(TdxfLoader& r) override;
};

class TdxfAppID : public TdxfPenTableItem {};

class TdxfVport : public TdxfPenTableItem {
 public:
  TdxfVport() { FPoints[6] = cnstExtrusion; }
  void ReadProperty(TdxfLoader& r) override;
  void Commit(TdxfLoader& r) override;

 private:
  TFPoint FUCSOrigin, FUCSXDir = cnstXOrtAxis, FUCSYDir = cnstYOrtAxis;
};

// "BLOCK_RECORD": a block record whose block goes to BLOCKS through the BLOCK_RECORD table.
class TdxfBlockRecord : public TdxfObject {
 public:
  void ReadProperty(TdxfLoader& r) override;
  void Commit(TdxfLoader& r) override;
  void AfterAdded(TdxfLoader& r) override;

 private:
  int FFlags = 0;
};

// "BLOCK": fills the block its record made, found by name or by the record's handle; entities
// follow until "ENDBLK".
class TdxfBlock : public TdxfEntity {
 public:
  TdxfBlock() { FComplex = true; }
  void ReadProperty(TdxfLoader& r) override;
  void Commit(TdxfLoader& r) override;
  void AfterAdded(TdxfLoader& r) override;
  bool AddChild(TdxfLoader& r, TdxfObject* child) override;
  bool IsTerminator(const TdxfObject* child) const override { return child->Kind() == rkEndBlk; }

 private:
  void Match(TvxDXFBlock* block);
  bool FMatched = false;
};

}  // namespace vx
