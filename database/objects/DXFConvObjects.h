// DXFConvObjects: the object entities of the drawing database and the containers.
//
// TvxDXFObjectEntity carries converter, handle, layer and flags; TvxDXFObjectEntityColor,
// TvxDXFPenEntity, TvxDXFObjectEntityLineType and TvxDXFCustomVertex add colour, line-type scale,
// line type and the base point that every drawable entity builds on. TvxDXFGroup is the container
// (a list of owned children with change notification), TvxDXFGroupEntity a group with a cached box.
#pragma once

#include "database/core/DXFConvBase.h"

namespace vx {

class TvxDXFGroup;

// Internal-flag value of a container that holds shared table items (LTYPE, LAYER, STYLE,
// DIMSTYLE): clearing it lets items that are still referenced live on, owner-less.
constexpr uint8_t cnstSharedItemsContainer = 2;

// Bit of FFlag that makes an object entity invisible.
constexpr int cnstInvisibleFlag = 0x80;

class TvxDXFObjectEntity : public TvxDXFEntity {
  VX_ENTITY_CLASS(TvxDXFObjectEntity)
 public:
  TvxDXFObjectEntity() = default;

  TvxDXFEntity* GetOwner() const override { return FOwner; }
  void SetOwner(TvxDXFEntity* owner) override { FOwner = owner; }
  TvxDXFConverter* GetConverter() const override;
  // Takes the entity out of the old converter's generated-handle queue and, when the new one
  // keeps a queue and the entity has no handle yet, queues it there.
  void SetConverter(TvxDXFConverter* conv) override;
  TvxDXFEntity* GetDictionary() const override { return FDictionary; }
  void SetDictionary(TvxDXFEntity* dict) override { FDictionary = dict; }

  uint64_t GetHandle() const override { return FHandle; }
  void SetHandle(uint64_t h) override { FHandle = h; }
  bool HasHandle() const override { return true; }

  TvxDXFLayer* GetLayer() const override;
  void SetLayer(TvxDXFLayer* layer) override;
  // The layer slot as stored: a layer, a link placeholder, or nil.
  TvxDXFEntity* GetLayerItem() const { return FLayerItem.Item(); }
  // Stores a placeholder (taken over) that ResolveLinks turns into the layer.
  void SetLayerLink(TvxLinkObject* link) { FLayerItem.SetItem(link); }

  int GetFlags() const override { return FFlag; }
  void SetFlags(int f) override { FFlag = f; }
  uint8_t GetInternalFlags() const override { return FInternalFlags; }
  void SetInternalFlags(uint8_t f) override { FInternalFlags = f; }
  uint16_t GetPenStyle() const { return FPenStyle; }
  void SetPenStyle(uint16_t s) { FPenStyle = s; }
  bool GetVisibility() const override { return (FFlag & cnstInvisibleFlag) == 0; }
  void SetVisibility(bool v) override;

  // The auxiliary group of children that have handles (owned, created on demand).
  TvxDXFGroup* GetAuxGroup() const { return FGroup; }
  // Collects the children that have handles into the auxiliary group.
  virtual void CollectHandledChildren();

  // Drawable entities without a layer get layer "0" (created when missing).
  void LoadData(TvxDXFConverter* conv) override;
  // Turns a layer placeholder into the layer: by handle (missing: layer "0", found only) or by
  // name (missing: created).
  void ResolveLinks(TvxDXFConverter* conv) override;
  void AssignEntity(const TvxDXFEntity* source) override;
  void UnlinkReferences() override;

 protected:
  // Whether the class is drawn (so LoadData gives it layer "0"); containers and objects are not.
  virtual bool IsDrawable() const { return EntType() != ceEntity; }

  TvxDXFConverter* FConverter = nullptr;
  TvxDXFGroup* FGroup = nullptr;
  uint64_t FHandle = 0;
  TvxTableItem FLayerItem;
  uint8_t FInternalFlags = 0;
  int FFlag = 0;
  uint16_t FPenStyle = 0;
  TvxDXFEntity* FOwner = nullptr;       // non-owning; the container that holds this entity
  TvxDXFEntity* FDictionary = nullptr;  // non-owning; the extension dictionary (in OBJECTS)
};

// End marker of vertex and attribute sequences; containers refuse it.
class TvxDXFSeqend : public TvxDXFObjectEntity {
  VX_ENTITY_CLASS(TvxDXFSeqend)
 public:
  TvxCADEntities EntType() const override { return ceSeqEnd; }
};

class TvxDXFObjectEntityColor : public TvxDXFObjectEntity {
  VX_ENTITY_CLASS(TvxDXFObjectEntityColor)
 public:
  TvxColorCAD GetColorCAD() const override { return FColor; }
  void SetColorCAD(const TvxColorCAD& c) override { FColor = c; }
  std::string GetHyperLink() const override { return FHyperLink; }
  void SetHyperLink(const std::string& h) override { FHyperLink = h; }
  void AssignEntity(const TvxDXFEntity* source) override;

 protected:
  TvxColorCAD FColor = cnstColorCADByLayer();
  std::string FHyperLink;
};

class TvxDXFPenEntity : public TvxDXFObjectEntityColor {
  VX_ENTITY_CLASS(TvxDXFPenEntity)
 public:
  double GetLineTypeScale() const override { return FLineTypeScale; }
  void SetLineTypeScale(double s) override { FLineTypeScale = s; }

 protected:
  double FLineTypeScale = 1.0;
};

class TvxDXFObjectEntityLineType : public TvxDXFPenEntity {
  VX_ENTITY_CLASS(TvxDXFObjectEntityLineType)
 public:
  TvxDXFLineType* GetLineType() const override;
  void SetLineType(TvxDXFLineType* ltype) override;
  TvxDXFEntity* GetLineTypeItem() const { return FLineTypeItem.Item(); }
  void SetLineTypeLink(TvxLinkObject* link) { FLineTypeItem.SetItem(link); }
  const TvxLines* GetLines() const override;

  // An entity with no line type gets "BYLAYER"; then the object-entity load.
  void LoadData(TvxDXFConverter* conv) override;
  void ResolveLinks(TvxDXFConverter* conv) override;
  void AssignEntity(const TvxDXFEntity* source) override;
  void UnlinkReferences() override;

 protected:
  TvxTableItem FLineTypeItem;
};

// The base of every drawable entity with a base point.
class TvxDXFCustomVertex : public TvxDXFObjectEntityLineType {
  VX_ENTITY_CLASS(TvxDXFCustomVertex)
 public:
  virtual TFPoint GetPoint() const { return FPoint; }
  virtual void SetPoint(const TFPoint& p) { FPoint = p; }
  void AssignEntity(const TvxDXFEntity* source) override;

 protected:
  TFPoint FPoint;
};

// A container: owns its children (freed by Clear(true) and on Free), tells its ListChanged and
// the FOnListNotify event about every change, and refuses end markers (SEQEND).
class TvxDXFGroup : public TvxDXFObjectEntity {
  VX_ENTITY_CLASS(TvxDXFGroup)
 public:
  int Count() const override { return static_cast<int>(FEntities.size()); }
  TvxDXFEntity* GetEntity(int index) const override;
  // Replaces the child at index (the old child is deleted from the list, not freed).
  void SetEntity(int index, TvxDXFEntity* e) override;
  int InsertEntity(int index, TvxDXFEntity* e) override;
  TvxDXFEntity* DeleteEntity(int index) override;
  TvxDXFEntity* ExtractEntity(int index) override;
  void ExchangeEntity(int i, int j) override;
  int IndexOfEntity(const TvxDXFEntity* e) const override;
  void Clear(bool freeChildren) override;
  // Sets the owner on add and clears it on removal, around the FOnListNotify event.
  void ListChanged(TvxDXFEntity* child, TvxListNotification action) override;

  const TvxListNotifyEvent& OnListNotify() const { return FOnListNotify; }
  void SetOnListNotify(TvxListNotifyEvent ev) { FOnListNotify = std::move(ev); }
  const std::vector<TvxDXFEntity*>& Entities() const { return FEntities; }
  // Reorders the children without notifications (draw-order sorting).
  void ReorderEntities(std::vector<TvxDXFEntity*> order);

  // Recomputes the cached box where the class keeps one.
  virtual void UpdateBox() {}
  // Calls DoIterate on each child in order.
  virtual void Iterate(TvxDXFConverter* conv, const TvxEntityProc& finishProc,
                       const TvxEntityProc& proc);

 protected:
  // Frees a child taken out by Clear: a shared item still referenced elsewhere lives on.
  static void FreeChild(TvxDXFEntity* e);
  TvxDXFEntity* RemoveAt(int index, TvxListNotification action);

  std::vector<TvxDXFEntity*> FEntities;
  TvxListNotifyEvent FOnListNotify;
};

// A group that caches the union of its visible children's boxes.
class TvxDXFGroupEntity : public TvxDXFGroup {
  VX_ENTITY_CLASS(TvxDXFGroupEntity)
 public:
  TFRect GetBox() override { return FBox; }
  void UpdateBox() override;
  void LoadData(TvxDXFConverter* conv) override;

 protected:
  TFRect FBox = BadBox;
};

}  // namespace vx
