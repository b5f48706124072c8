// vxEntBodies: entities that draw through parts of their own.
//
//  - TvxDXFProxy: an entity of a class this library does not know (or a subdivision mesh), shown
//    by the entities decoded from its graphic image (lines, polylines, faces, texts) that it owns.
//    Its box is the union of its visible parts; its walk visits the proxy, then each part, then
//    finishes the proxy.
//  - TvxDXFRegion, TvxDXFBody, TvxDXF3dSolid: solid-model bodies kept with their modeller data as
//    read (the body text lines). Nothing converts that data yet: they have no parts and no box,
//    and draw nothing.
#pragma once

#include "database/entities/vxEntLines.h"

#include <string>
#include <vector>

namespace vx {

class TvxDXFProxy : public TvxDXFPenLine {
  VX_ENTITY_CLASS(TvxDXFProxy)
 public:
  TvxCADEntities EntType() const override { return ceProxy; }

  // ---- the parts (owned; any entity is accepted) ----
  int Count() const override { return static_cast<int>(FEntities.size()); }
  TvxDXFEntity* GetEntity(int index) const override;
  void SetEntity(int index, TvxDXFEntity* e) override;
  int InsertEntity(int index, TvxDXFEntity* e) override;
  TvxDXFEntity* DeleteEntity(int index) override;
  int IndexOfEntity(const TvxDXFEntity* e) const override;
  void Clear(bool freeChildren) override;

  TFRect GetBox() override { return FBox; }
  // The pen-line load, then every part; the box is the union of the visible parts' boxes.
  void LoadData(TvxDXFConverter* conv) override;
  void ResolveLinks(TvxDXFConverter* conv) override;
  void DoIterate(TvxDXFConverter* conv, const TvxEntityProc& finishProc,
                 const TvxEntityProc& proc) override;
  // Copies the parts as well.
  void AssignEntity(const TvxDXFEntity* source) override;

 protected:
  ~TvxDXFProxy() override { Clear(true); }

  std::vector<TvxDXFEntity*> FEntities;  // owned
  TFRect FBox = BadBox;
};

class TvxDXFRegion : public TvxDXFPenLine {
  VX_ENTITY_CLASS(TvxDXFRegion)
 public:
  TvxCADEntities EntType() const override { return ceRegion; }
  // The modeller data as read: one entry per text line of the record.
  std::vector<std::string>& BodyText() { return FBodyText; }
  const std::vector<std::string>& BodyText() const { return FBodyText; }
  // No conversion of the modeller data: no box.
  TFRect GetBox() override { return BadBox; }
  void AssignEntity(const TvxDXFEntity* source) override;

 protected:
  std::vector<std::string> FBodyText;
};

class TvxDXFBody : public TvxDXFRegion {
  VX_ENTITY_CLASS(TvxDXFBody)
 public:
  TvxCADEntities EntType() const override { return ceBody; }
};

class TvxDXF3dSolid : public TvxDXFRegion {
  VX_ENTITY_CLASS(TvxDXF3dSolid)
 public:
  TvxCADEntities EntType() const override { return ce3DSolid; }
};

}  // namespace vx
