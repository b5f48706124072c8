// vxDXFSections: the section driver of the DXF reader (TdxfMain, the root record) and the
// section readers: tables, blocks, entities (the header is vxDXFHeader.h), and the sections that
// are read and dropped (classes, objects, thumbnail image, and any section this reader does not
// know).
#pragma once

#include "readers/dxf/vxDXFRecords.h"

namespace vx {

// The root record: comments before the first section, then section by section to "EOF".
class TdxfMain : public TdxfEntity {
 public:
  TdxfMain() { FComplex = true; }
  void Commit(TdxfLoader& r) override { TdxfObject::Commit(r); }
  void ReadChildren(TdxfLoader& r) override;
  bool AddChild(TdxfLoader& r, TdxfObject* child) override;

 private:
  void ReadSection(TdxfLoader& r, const std::string& name);
};

// A section whose records are read and dropped, up to its "ENDSEC".
class TdxfCustomSection : public TdxfObject {
 public:
  TdxfCustomSection() { FComplex = true; }
  bool IsTerminator(const TdxfObject* child) const override { return child->Kind() == rkEndSec; }
  TdxfObject* NewChild(TdxfLoader& r, const std::string& name) override;
};

class TdxfClasses : public TdxfCustomSection {};
class TdxfObjects : public TdxfCustomSection {};

// Sections that place their records: the item is the database container.
class TdxfPlacingSection : public TdxfObject {
 public:
  TdxfPlacingSection() { FComplex = true; }
  bool IsTerminator(const TdxfObject* child) const override { return child->Kind() == rkEndSec; }
};

// "TABLES": "TABLE" records until "ENDSEC".
class TdxfTables : public TdxfPlacingSection {
 public:
  bool AddChild(TdxfLoader& r, TdxfObject* child) override;
};

// "BLOCKS": blocks go to BLOCKS.
class TdxfBlocks : public TdxfPlacingSection {
 public:
  bool AddChild(TdxfLoader& r, TdxfObject* child) override;
};

// "ENTITIES": entities go to the model-space block, or the first paper-space block (code 67).
class TdxfEntities : public TdxfPlacingSection {
 public:
  bool AddChild(TdxfLoader& r, TdxfObject* child) override;
};

}  // namespace vx
