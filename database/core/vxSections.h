// vxSections: the top-level containers of a drawing (SECTIONS, TABLES, BLOCKS, OBJECTS, and the
// HEADER and ENTITIES sections kept for XML export), and the sample entities that expose header
// variables to the property grid.
#pragma once

#include "database/core/vxTables.h"

namespace vx {

// Sections take no part in handle numbering.
class TvxDXFSection : public TvxDXFTable {
  VX_ENTITY_CLASS(TvxDXFSection)
 public:
  bool HasHandle() const override { return false; }
  void RegisterHandle(TvxDXFConverter* conv) override {}
};

class TvxDXFSectionTables : public TvxDXFSection {
  VX_ENTITY_CLASS(TvxDXFSectionTables)
};

// The BLOCKS section: a block taken out of it loses its record's extension dictionary.
class TvxDXFSectionBlocks : public TvxDXFSection {
  VX_ENTITY_CLASS(TvxDXFSectionBlocks)
 public:
  void ListChanged(TvxDXFEntity* child, TvxListNotification action) override;
};

class TvxDXFSectionObjects : public TvxDXFSection {
  VX_ENTITY_CLASS(TvxDXFSectionObjects)
};

class TvxDXFSectionForXMLExport : public TvxDXFSection {
  VX_ENTITY_CLASS(TvxDXFSectionForXMLExport)
};

// Change events of the sample entities.
using TvxChangeEvent = std::function<void(TvxDXFEntity*)>;

// Exposes header variables of its converter as properties.
class TvxDXFEntitySampleCustom : public TvxDXFEntity {
  VX_ENTITY_CLASS(TvxDXFEntitySampleCustom)
 public:
  TvxDXFConverter* GetConverter() const override { return FConverter; }
  void SetConverter(TvxDXFConverter* conv) override { FConverter = conv; }
  TvxChangeEvent OnAfterChange;
  TvxChangeEvent OnBeforeChange;

 protected:
  TvxDXFConverter* FConverter = nullptr;
};

class TvxDXFEntitySample : public TvxDXFEntitySampleCustom {
  VX_ENTITY_CLASS(TvxDXFEntitySample)
 public:
  bool GetStrValue(const std::string& name, std::string& value) const override;
  bool SetStrValue(const std::string& name, const std::string& value) override;
  double TextRotation() const { return FTextRotation; }
  void SetTextRotation(double v) { FTextRotation = v; }

 protected:
  void* FBackGroundImage = nullptr;  // reserved for the export layer
  double FTextRotation = 0;
};

class TvxDXFSectionHeader : public TvxDXFSectionForXMLExport {
  VX_ENTITY_CLASS(TvxDXFSectionHeader)
 public:
  TvxDXFSectionHeader();
  TvxDXFEntitySample* Access() const { return FAccess; }
  void FreeOwnedParts() override;

 protected:
  TvxDXFEntitySample* FAccess;  // owned
};

class TvxDXFSectionEntities : public TvxDXFSectionForXMLExport {
  VX_ENTITY_CLASS(TvxDXFSectionEntities)
};

}  // namespace vx
