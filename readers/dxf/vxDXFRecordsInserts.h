// vxDXFRecordsInserts: the readers of block references and attributes.
//
//  - TdxfInsert ("INSERT"): a block reference; with more than one cell (70 columns, 71 rows) it
//    becomes a rectangular array (TvxCADMInsert). Its attributes ("ATTRIB") follow as children
//    when 66 is 1 and end at "SEQEND"; the run also ends at the first record that is not an
//    attribute (a file without "SEQEND"), which the parent then reads as its own.
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

class TdxfAttdef : public TdxfText {
 public:
  void ReadProperty(TdxfLoader& r) override;
  void Commit(TdxfLoader& r) override;

 private:
  bool FLockPosition = false;  // 280
};

}  // namespace vx
