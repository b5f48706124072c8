// vxDXFRecordsInserts: the readers of block references and attributes.
//
//  - TdxfInsert ("INSERT"): a block reference; with more than one cell (70 columns, 71 rows) it
//    becomes a rectangular array (TvxCADMInsert). Its attributes ("ATTRIB") follow as children
//    when 66 is 1 and end at "SEQEND"; the run also ends at the first record that is not an
//    attribute (a file without "SEQEND"), which the parent then reads as its own.
//  - TdxfDimension ("DIMENSION"): a reference of the dimension's block at code 12, scale 1 and no
//    rotation (its 50 and 70 are the dimension's own), with the definition points, flags, text
//    override and the style named by 3 (the header's when 3 is empty).
//  - TdxfAcadTable ("ACAD_TABLE"): a reference of the table's block (by name, else by the 343
//    block-record handle) at scale 1 and no rotation; the table's flags, sizes, direction and
//    style handle. Cells are not read (their geometry is in the block).
//  - TdxfAttdef ("ATTDEF", "ATTRIB"): a text record (TdxfText) with tag, value, flags and the
//    lock-position flag; its vertical alignment is code 74.
#pragma once

#include "readers/dxf/vxDXFRecords.h"
#include "readers/dxf/vxDXFRecordsText.h"

namespace vx {

class TdxfInsert : public TdxfEntity {
 public:
  TdxfInsert();
  void Commit(TdxfLoader& r) override;
  void ReadChildren(TdxfLoader& r) override;
  // Attributes only.
  bool AddChild(TdxfLoader& r, TdxfObject* child) override;
};

class TdxfDimension : public TdxfInsert {
 public:
  void Commit(TdxfLoader& r) override;
};

class TdxfAcadTable : public TdxfInsert {
 public:
  void ReadProperty(TdxfLoader& r) override;
  void Commit(TdxfLoader& r) override;

 private:
  int FTableFlags = 0;
  int FRows = 0;
  int FCols = 0;
  bool FTableMarker = false;  // "AcDbTable" was met
  uint64_t FStyleHandle = 0;
  uint64_t FBlockRecordHandle = 0;
};

class TdxfAttdef : public TdxfText {
 public:
  void ReadProperty(TdxfLoader& r) override;
  void Commit(TdxfLoader& r) override;

 private:
  bool FLockPosition = false;  // 280
};

}  // namespace vx
