// DXFConvBase: the root of the drawing database's class tree.
//
// Offers the entity kinds (TvxCADEntities), the walk state shared with the renderer
// (TvxCADIterate), the exceptions of the database, the root classes, TvxDXFEntity with its
// virtual interface, and the reference records that make table items shared and counted
// (TvxOwneredItem, TvxNamedItem, TvxTableItem, TvxDictionaryItem) plus the link placeholder
// readers store before a target exists (TvxLinkObject).
//
// Lifetime: entities are created with new and end with Free() (never delete): Free clears the
// children, unlinks references and frees owned parts through the virtual steps, then deletes.
// A container owns its children; every other pointer between entities is non-owning, except
// that table items are reference counted through TvxOwneredItem / TvxTableItem.
#pragma once

#include "foundation/vxConsts.h"
#include "foundation/vxFunction.h"
#include "foundation/vxLists.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <typeinfo>
#include <vector>

namespace vx {

class TvxDXFConverter;
class TvxDXFEntity;
class TvxDXFLayer;
class TvxDXFLineType;
class TvxDXFBlock;
class TvxLines;
class TvxCADExtendedData;
class TvxXMLNode;  // the XML layer's node; only passed through the hooks here

// ---- entity kinds ---------------------------------------------------------------------------

// The one-byte kind every drawable entity reports as EntType (values 0..51 in this order).
enum class TvxCADEntities : uint8_t {
  ceEntity, cePoint, ceLine, ceSolid, ceTrace, ceCircle, ceArc, ceEllipse, cePolyline,
  ceLWPolyline, ceSpline, ceHelix, ceLeader, ceInsert, ceDimension, ceTolerance, ceMText,
  ceShape, ceText, ceAttdef, ceAttrib, ce3dFace, ceImageEnt, ceViewport, ceRegion, ceBody,
  ce3DSolid, cePattern, ceGradient, ceOle2Frame, cePolyPolygon, ceGradientPolygon,
  ceCurvePolygon, ceHatch, ceACADTable, ceFlatPoly, ceFlatHatch, ceXRef, ceProxy, cePath,
  ceWipeOut, ceMLine, ceMPolygon, ceSurface, ceSeqEnd, ceSolidObject, ceIges, ceStep, ceBrep,
  ceFlatPoly3D, ceRay, ceXline
};
using enum TvxCADEntities;
static_assert(static_cast<int>(ceXline) == 51, "entity kinds are stored as these values");

// Group and type byte of an entity's class.
struct TvxEntClass {
  uint8_t Group = 0;
  uint8_t Type = 0;
  friend bool operator==(const TvxEntClass&, const TvxEntClass&) = default;
};

// ---- walk state -----------------------------------------------------------------------------

// The state of a walk over the drawing, shared by the database's iteration and the renderer.
struct TvxCADIterate {
  TFMatrix Matrix = cnstIdentityMat;      // current drawing-to-device matrix
  TFMatrix DrawMatrix = cnstIdentityMat;  // the view matrix as last set
  TvxDXFEntity* Insert = nullptr;         // the block reference being walked
  std::vector<TvxDXFEntity*> BlockStack;  // the block references entered
  TFMatrix ConvertMatrixCurrentInsertToWCS = cnstIdentityMat;
  TColor Color = 0;                       // display colour of the current entity
  float XScale = 1, YScale = 1, Angle = 0;
  int32_t Additional = 0;                 // non-zero when Matrix is not a plain 2D matrix
  const TvxLines* LType = nullptr;        // the pattern in force for by-block line types
};

// A walk procedure: called with each entity; the return value is the caller's "go" answer
// (complex entities read it: 0 stops, 1 walks the parts).
using TvxEntityProc = std::function<int(TvxDXFEntity*)>;

// ---- exceptions -----------------------------------------------------------------------------

class EvxDatabaseError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A layer renamed to an invalid name while name checking is on.
class EvxIncorrectNameLayer : public EvxDatabaseError {
 public:
  EvxIncorrectNameLayer() : EvxDatabaseError("Incorrect Layer Name") {}
};

// An object of the wrong class family handed to a typed slot (Sections[] writes).
class EvxInvalidCast : public std::bad_cast {
 public:
  const char* what() const noexcept override { return "Invalid class typecast"; }
};

// ---- list notifications ---------------------------------------------------------------------

enum class TvxListNotification : uint8_t { lnAdded, lnExtracted, lnDeleted };
using enum TvxListNotification;

using TvxListNotifyEvent = std::function<void(TvxDXFEntity*, TvxListNotification)>;

// ---- reference records ----------------------------------------------------------------------

// Owner and reference count of a shared table item. Ownership counts as one reference.
class TvxOwneredItem {
 public:
  virtual ~TvxOwneredItem() = default;

  TvxDXFEntity* Owner() const { return FOwner; }
  // Setting an owner where there was none adds a reference; clearing it removes one.
  virtual void SetOwner(TvxDXFEntity* owner);
  int RefCount() const { return FRefCount; }
  int ObjAddRef() { return ++FRefCount; }
  int ObjRelease() { return FRefCount > 0 ? --FRefCount : 0; }

 protected:
  TvxDXFEntity* FOwner = nullptr;
  int FRefCount = 0;
};

// An owner record that also carries the item's name and keeps the owner's name index in step.
class TvxNamedItem : public TvxOwneredItem {
 public:
  explicit TvxNamedItem(TvxDXFEntity* ancestor) : FAncestor(ancestor) {}

  TvxDXFEntity* Ancestor() const { return FAncestor; }
  const std::string& Name() const { return FName; }
  // A no-op for the same name; otherwise the owner's index drops the old name, the name
  // changes, and the index adds the new name.
  void SetName(const std::string& name);

 protected:
  TvxDXFEntity* FAncestor;
  std::string FName;
};

// A counted reference to a table item (an entity's layer, line type...). A placeholder
// (TvxLinkObject) held here is owned by the record and never counted.
class TvxTableItem {
 public:
  TvxTableItem() = default;
  explicit TvxTableItem(TvxDXFEntity* item) { SetItem(item); }
  TvxTableItem(const TvxTableItem&) = delete;
  TvxTableItem& operator=(const TvxTableItem&) = delete;
  virtual ~TvxTableItem() { SetItem(nullptr); }

  TvxDXFEntity* Item() const { return FItem; }
  // Adds the new reference before the old one is released, so re-assigning the same item, or
  // an item the old one keeps alive, is safe. An owner-less item whose count reaches 0 is freed.
  void SetItem(TvxDXFEntity* item);

  // Drops a reference taken on an item: frees a placeholder, or releases a counted item and
  // frees it when its count reaches 0 while it has no owner.
  static void ReleaseItem(TvxDXFEntity* item);
  static void AddRefItem(TvxDXFEntity* item);

 protected:
  TvxDXFEntity* FItem = nullptr;
};

class TvxDictionaryItem : public TvxTableItem {
 public:
  TvxDXFEntity* Entity() const { return FEntity; }
  void SetEntity(TvxDXFEntity* e) { FEntity = e; }

 protected:
  TvxDXFEntity* FEntity = nullptr;  // non-owning
};

// ---- root classes ---------------------------------------------------------------------------

class TvxInterfacedObject {
 public:
  virtual ~TvxInterfacedObject() = default;
};

// Generic named-property access for the property grid and the XML layer.
class TvxObject : public TvxInterfacedObject {
 public:
  // The class name as this system names it ("TvxDXFLayer").
  virtual const char* ClassName() const { return "TvxObject"; }
  // The XML element name: the class name without its "T" and library prefix.
  virtual std::string GetPropertyName() const;
  virtual bool GetStrValue(const std::string& name, std::string& value) const { return false; }
  virtual bool SetStrValue(const std::string& name, const std::string& value) { return false; }
  virtual bool IsLikeGroup() const { return false; }
  virtual int EnumType() const { return 0; }
};

class TvxListObject : public TvxObject {
 public:
  virtual bool IsSameValue(const TvxListObject* other) const { return other == this; }
  virtual std::string XMLDescription() const { return {}; }
  virtual bool ToXML(TvxXMLNode* node) const { return false; }
  virtual bool FromXML(const TvxXMLNode* node) { return false; }
};

// Every class of the tree declares its name and virtual constructor with this macro, so that
// Clone and the factories make an object of the right class.
#define VX_ENTITY_CLASS(T)                                               \
 public:                                                                 \
  const char* ClassName() const override { return #T; }                  \
  ::vx::TvxDXFEntity* NewInstance() const override { return new T(); }

// ---- the entity -----------------------------------------------------------------------------

// Every item of the drawing tree, from the top section down to a vertex. It has no data of its
// own; descendants implement the properties. Base answers are neutral: no converter, no owner,
// no children, BadBox, by-layer colour, visible, handle 0.
class TvxDXFEntity : public TvxListObject {
 public:
  TvxDXFEntity() = default;
  TvxDXFEntity(const TvxDXFEntity&) = delete;
  TvxDXFEntity& operator=(const TvxDXFEntity&) = delete;

  const char* ClassName() const override { return "TvxDXFEntity"; }
  // Virtual constructor: a new, empty object of the same class.
  virtual TvxDXFEntity* NewInstance() const { return new TvxDXFEntity(); }

  // Ends the entity: Clear(true), UnlinkReferences, FreeOwnedParts, then delete.
  void Free();
  static void FreeEntity(TvxDXFEntity* e) {
    if (e) e->Free();
  }

  // ---- identity and naming ----
  virtual TvxCADEntities EntType() const { return ceEntity; }
  virtual TvxEntClass EntClass() const { return {}; }
  virtual std::string GetName() const { return {}; }
  virtual void SetName(const std::string& name) {}
  // The display name: class-derived name plus the entity's own name where it has one.
  virtual std::string EntName() const;
  virtual std::string GetDescription() const { return {}; }
  virtual void SetDescription(const std::string& d) {}
  virtual std::string GetHyperLink() const { return {}; }
  virtual void SetHyperLink(const std::string& h) {}

  // ---- ownership and database ----
  virtual TvxDXFEntity* GetOwner() const { return nullptr; }
  virtual void SetOwner(TvxDXFEntity* owner) {}
  // Object entities hold their converter and fall back to the owner's; others ask the owner.
  virtual TvxDXFConverter* GetConverter() const;
  virtual void SetConverter(TvxDXFConverter* conv) {}
  // The owner record of a shared table item; nil for everything else.
  virtual TvxOwneredItem* GetOwneredItem() const { return nullptr; }
  virtual TvxDXFEntity* GetDictionary() const { return nullptr; }
  virtual void SetDictionary(TvxDXFEntity* dict) {}

  // ---- extended data (database/extdata/vxExtData.h) ----
  // The converter's data of this entity for the application's handle; nil without a handle,
  // a converter or data.
  TvxCADExtendedData* GetEED(uint64_t appHandle) const;
  // Files data (taken over) for the application in the converter, replacing what was there;
  // nil removes it. Nothing happens (and data is freed) without a handle or a converter.
  void SetEED(TvxCADExtendedData* data, uint64_t appHandle);
  // Writes the entity's own state as data of that application; false when it has none. The
  // base answers "PE_URL" (the hyperlink).
  virtual bool GetExtData(TvxCADExtendedData& data, const std::string& appName) const;
  // Takes the entity's state back from data of its application; the base does nothing.
  virtual void SetExtData(const TvxCADExtendedData& data) {}
  // "PE_URL" data gives the hyperlink.
  void SetExtDataHyperLink(const TvxCADExtendedData& data);

  // ---- handles ----
  virtual uint64_t GetHandle() const { return 0; }
  virtual void SetHandle(uint64_t h) {}
  // Whether the entity takes part in handle numbering.
  virtual bool HasHandle() const { return false; }

  // ---- drawing properties ----
  virtual TFRect GetBox() { return BadBox; }
  virtual TvxColorCAD GetColorCAD() const { return cnstColorCADByLayer(); }
  virtual void SetColorCAD(const TvxColorCAD& c) {}
  TColor GetColor() const;        // the display colour of ColorCAD
  void SetColor(TColor c);
  virtual bool GetComplex() const { return false; }
  virtual TFPoint GetExtrusion() const { return cnstExtrusion; }
  virtual void SetExtrusion(const TFPoint& e) {}
  virtual TvxDXFLayer* GetLayer() const { return nullptr; }
  virtual void SetLayer(TvxDXFLayer* layer) {}
  virtual TvxDXFLineType* GetLineType() const { return nullptr; }
  virtual void SetLineType(TvxDXFLineType* ltype) {}
  // The pattern the entity is drawn with (its line type's), nil when none.
  virtual const TvxLines* GetLines() const;
  virtual double GetLineTypeScale() const { return 1.0; }
  virtual void SetLineTypeScale(double s) {}
  virtual double GetLineWeight() const { return fLineWeightByLayer; }
  virtual void SetLineWeight(double w) {}
  // Sets the line weight from hundredths of a millimetre where the class allows it.
  virtual void SetLWeight(int hundredths) {}
  virtual double GetThickness() const { return 0; }
  virtual int GetPaperSpace() const { return 0; }
  virtual void SetPaperSpace(int ps) {}
  virtual int GetFlags() const { return 0; }
  virtual void SetFlags(int f) {}
  virtual uint8_t GetInternalFlags() const { return 0; }
  virtual void SetInternalFlags(uint8_t f) {}
  // False when the layer is frozen or switched off; otherwise Visibility.
  virtual bool GetVisible() const;
  virtual void SetVisible(bool v) { SetVisibility(v); }
  virtual bool GetVisibility() const { return true; }
  virtual void SetVisibility(bool v) {}
  virtual bool IsInsert() const { return false; }
  // Whether the renderer may draw the entity as one pixel when it maps to one (false for shapes
  // whose width makes them larger than their points, such as wide LW polylines).
  virtual bool IsOnePixelOptimisationValid() const { return true; }
  // The block a reference shows (inserts); nil for everything else.
  virtual TvxDXFBlock* GetBlock() const { return nullptr; }

  // ---- children ----
  virtual int Count() const { return 0; }
  virtual TvxDXFEntity* GetEntity(int index) const { return nullptr; }
  virtual void SetEntity(int index, TvxDXFEntity* e) {}
  int AddEntity(TvxDXFEntity* e) { return InsertEntity(Count(), e); }
  // Inserts at index; returns the index or -1 when the container refuses the entity.
  virtual int InsertEntity(int index, TvxDXFEntity* e) { return -1; }
  // Removes and returns the child without freeing it (nil when out of range).
  virtual TvxDXFEntity* DeleteEntity(int index) { return nullptr; }
  // Removes the child as an extraction (the caller takes it over).
  virtual TvxDXFEntity* ExtractEntity(int index) { return DeleteEntity(index); }
  virtual void ExchangeEntity(int i, int j) {}
  virtual int IndexOfEntity(const TvxDXFEntity* e) const { return -1; }
  // Last-to-first scan comparing EntName case-insensitively; the last match wins.
  virtual int IndexOfName(const std::string& name) const;
  int IndexOfNameCaseSensitive(const std::string& name) const;
  virtual TvxDXFEntity* FindEntByName(const std::string& name) const;
  // Empties the container; children are freed only when freeChildren is set.
  virtual void Clear(bool freeChildren) {}
  // A table adds / removes a child's entry in its name index; the base has none.
  virtual int AddName(TvxDXFEntity* child) { return -1; }
  virtual void RemoveName(TvxDXFEntity* child) {}

  // Last-to-first scan for a child with the handle; -1 when none.
  int IndexOfHandle(uint64_t handle) const;
  // The child with the handle; else, with iterateChildren, a depth-first search in child
  // order; else, with iterateInsert, the same search in the block of an insert. Every block is
  // entered at most once per search, so cyclic block references end.
  TvxDXFEntity* FindEntByHandle(uint64_t handle, bool iterateChildren = false,
                                bool iterateInsert = false) const;
  // Deletes every occurrence of e; true when at least one was removed.
  bool RemoveEntity(TvxDXFEntity* e);

  // ---- loading and walking ----
  virtual void RegisterHandle(TvxDXFConverter* conv);
  virtual void LoadData(TvxDXFConverter* conv) {}
  virtual void ResolveLinks(TvxDXFConverter* conv) {}
  // Calls proc with the entity when IsInViewPort answers true.
  virtual void DoIterate(TvxDXFConverter* conv, const TvxEntityProc& finishProc,
                         const TvxEntityProc& proc);
  virtual bool IsInViewPort(TvxDXFConverter* conv);
  // A container's child was added, extracted or deleted.
  virtual void ListChanged(TvxDXFEntity* child, TvxListNotification action) {}
  // An object this entity may refer to is being released.
  virtual void ReferenceRemoved(TvxDXFEntity* obj) {}
  // Re-runs Loads through the entity's converter after a property change.
  void Update();

  // Rays and construction lines clip themselves to a box for the extents; others answer false.
  virtual bool ClipRayToBox(const TFRect& box, TFRect& clipped) const { return false; }

  // ---- copying ----
  // Copies the hyperlink, line weight and line type scale; descendants copy their own fields.
  // A TvxLinkObject source is ignored.
  virtual void AssignEntity(const TvxDXFEntity* source);
  // A new object of the same class assigned from this one.
  TvxDXFEntity* Clone() const;

  // ---- teardown steps (run by Free) ----
  // Drops references to other objects (extended data, auxiliary group, dictionary, line type,
  // layer, converter).
  virtual void UnlinkReferences() {}
  // Frees owned parts such as the reference records.
  virtual void FreeOwnedParts() {}

 protected:
  // Entities end through Free, which runs the teardown steps first.
  virtual ~TvxDXFEntity() = default;
};

// unique_ptr support for code that holds an entity outside the tree.
struct TvxEntityDeleter {
  void operator()(TvxDXFEntity* e) const { TvxDXFEntity::FreeEntity(e); }
};
template <class T = TvxDXFEntity>
using TvxEntityPtr = std::unique_ptr<T, TvxEntityDeleter>;

// Moves an entity's converter slot to conv: the entity leaves the old converter's
// generated-handle queue and, when conv keeps one and the entity has no handle yet, joins it.
void BindEntityToConverter(TvxDXFEntity* e, TvxDXFConverter*& slot, TvxDXFConverter* conv);

// ---- link placeholders ----------------------------------------------------------------------

enum class TvxLinkObjectDataType : uint8_t { lodtName, lodtHandle, lodtIndex, lodtDimArrow };
using enum TvxLinkObjectDataType;

struct TvxLinkObjectData {
  TvxLinkObjectDataType LinkType = lodtName;
  std::string Name;
  uint64_t Handle = 0;
  int Index = -1;
  uint8_t ArrowType = 0;
};

// Stored in a reference slot while reading, before the target exists. Never counted, never
// owned by a table; the slot that holds it frees it.
class TvxLinkObject : public TvxDXFEntity {
  VX_ENTITY_CLASS(TvxLinkObject)
 public:
  TvxLinkObject() = default;
  explicit TvxLinkObject(TvxLinkObjectData data) : FData(std::move(data)) {}
  static TvxLinkObject* ByName(const std::string& name);
  static TvxLinkObject* ByHandle(uint64_t handle);
  static TvxLinkObject* ByIndex(int index);
  static TvxLinkObject* ByArrow(uint8_t arrowType);

  const TvxLinkObjectData& Data() const { return FData; }
  TvxDXFEntity* Object() const { return FObject; }
  // Resolves once in the owner and caches the result: by name with FindEntByName, by handle
  // with FindEntByHandle (no descent), by index with GetEntity, an arrow by its block name.
  TvxDXFEntity* GetObject(const TvxDXFEntity* owner);

  // Turns an arrow type into its arrow block name; set by the dimension module.
  static inline std::function<std::string(uint8_t)> ArrowBlockName;

 private:
  TvxDXFEntity* FObject = nullptr;
  TvxLinkObjectData FData;
};

}  // namespace vx
