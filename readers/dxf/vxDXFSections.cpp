// The section driver and the section readers.
#include "readers/dxf/vxDXFSections.h"

#include "database/core/vxNames.h"
#include "readers/dxf/vxDXFHeader.h"
#include "readers/dxf/vxDXFRecordsObjects.h"
#include "readers/dxf/vxDXFRecordsTables.h"

namespace vx {

// ---- the root -------------------------------------------------------------------------------

void TdxfMain::ReadChildren(TdxfLoader& r) {
  TdxfReader& t = r.Tok;
  while (!t.Eof()) {
    const std::string value = DXFTrim(t.Value());
    if (value == "SECTION") {
      t.Next();
      if (t.Code() == 2 && !t.Eof()) ReadSection(r, DXFTrim(t.UValue()));
    } else if (value == "TABLE") {
      // A table outside any section.
      TdxfTables tables;
      tables.FEnt = r.Conv->SectionContainer(csTables);
      tables.FAdded = tables.FFinal = true;
      tables.FOwner = this;
      tables.FDepth = FDepth + 1;
      tables.ReadChild(r, "TABLE");
    } else {
      // A record between sections is read and dropped; "EOF" ends the file.
      const std::string recordName = t.Value();
      if (ReadChild(r, recordName)) break;
    }
  }
}

bool TdxfMain::AddChild(TdxfLoader& r, TdxfObject* child) { return false; }

void TdxfMain::ReadSection(TdxfLoader& r, const std::string& name) {
  const std::string n = UpperName(name);
  std::unique_ptr<TdxfObject> section;
  TvxDXFConverter* conv = r.Conv;
  if (n == "HEADER") {
    section = std::make_unique<TdxfHeader>();
  } else if (n == "TABLES") {
    section = std::make_unique<TdxfTables>();
    section->FEnt = conv->SectionContainer(csTables);
  } else if (n == "BLOCKS") {
    section = std::make_unique<TdxfBlocks>();
    section->FEnt = conv->SectionContainer(csBlocks);
    conv->SectionContainer(csBlockRecords);
  } else if (n == "ENTITIES") {
    section = std::make_unique<TdxfEntities>();
    conv->SectionContainer(csBlockRecords);
  } else if (n == "CLASSES") {
    section = std::make_unique<TdxfClasses>();
  } else if (n == "OBJECTS") {
    section = std::make_unique<TdxfObjectsSection>();
  } else {
    // The thumbnail image and every section this reader does not know: skipped to "ENDSEC".
    section = std::make_unique<TdxfCustomSection>();
  }
  section->FAdded = section->FFinal = true;  // the database's own containers
  section->FOwner = this;
  section->FDepth = FDepth + 1;
  section->ReadRecord(r);
}

// ---- dropped sections -----------------------------------------------------------------------

TdxfObject* TdxfCustomSection::NewChild(TdxfLoader& r, const std::string& name) {
  const TdxfRecordRow* row = FindDXFRecord(name);
  // Only the terminators count; everything else is read and dropped without an item.
  if (row && (SameName(name, "ENDSEC") || SameName(name, "EOF"))) return row->Reader();
  return new TdxfSkip();
}

// ---- placing sections -----------------------------------------------------------------------

bool TdxfTables::AddChild(TdxfLoader& r, TdxfObject* child) {
  return FEnt && dynamic_cast<TvxDXFTable*>(child->FEnt) && FEnt->AddEntity(child->FEnt) >= 0;
}

bool TdxfBlocks::AddChild(TdxfLoader& r, TdxfObject* child) {
  return FEnt && dynamic_cast<TvxDXFBlock*>(child->FEnt) && FEnt->AddEntity(child->FEnt) >= 0;
}

bool TdxfEntities::AddChild(TdxfLoader& r, TdxfObject* child) {
  if (!IsDXFDrawableItem(child->FEnt)) return false;
  r.EnsurePapers();
  if (r.Papers.empty()) return false;
  TvxDXFBlock* target = r.Papers[child->FPaperSpace && r.Papers.size() > 1 ? 1 : 0];
  return target && target->AddEntity(child->FEnt) >= 0;
}

}  // namespace vx
