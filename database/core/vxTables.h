// vxTables: table items and tables of the drawing database.
//
// Table items (TvxDXFOwneredItem and below: application ids, layers, line types, text and
// dimension styles, viewport entries, sort tables) are shared by many entities and reference
// counted through their TvxNamedItem. TvxDXFTable is a container with a sorted, case-insensitive
// name index that accepts duplicates; TvxDXFDictionary is a table with a value.
#pragma once

#include "database/core/DXFConvHeader.h"
#include "database/objects/DXFConvObjects.h"
#include "database/linetypes/vxLines.h"

#include <vector>

namespace vx {

// ---- table items ----------------------------------------------------------------------------

class TvxDXFOwneredItem : public TvxDXFEntity {
  VX_ENTITY_CLASS(TvxDXFOwneredItem)
 public:
  TvxDXFOwneredItem() : FNamedItem(this) {}

  TvxDXFEntity* GetOwner() const override { return FNamedItem.Owner(); }
  void SetOwner(TvxDXFEntity* owner) override { FNamedItem.SetOwner(owner); }
  TvxDXFConverter* GetConverter() const override;
  // Binds the item like an object entity (the generated-handle queue follows it).
  void SetConverter(TvxDXFConverter* conv) override;
  TvxOwneredItem* GetOwneredItem() const override {
    return const_cast<TvxNamedItem*>(&FNamedItem);
  }
  std::string GetName() const override { return FNamedItem.Name(); }
  void SetName(const std::string& name) override { FNamedItem.SetName(name); }
  std::string EntName() const override { return GetName(); }
  TvxDXFEntity* GetDictionary() const override { return FDictionary; }
  void SetDictionary(TvxDXFEntity* dict) override { FDictionary = dict; }

  uint64_t GetHandle() const override { return FHandle; }
  void SetHandle(uint64_t h) override { FHandle = h; }
  bool HasHandle() const override { return true; }

  void AssignEntity(const TvxDXFEntity* source) override;
  void UnlinkReferences() override;

 protected:
  uint64_t FHandle = 0;
  TvxNamedItem FNamedItem;
  TvxDXFEntity* FDictionary = nullptr;  // non-owning; the extension dictionary (in OBJECTS)
  TvxDXFConverter* FConverter = nullptr;
};

class TvxDXFPenTableItem : public TvxDXFOwneredItem {
  VX_ENTITY_CLASS(TvxDXFPenTableItem)
 public:
  int GetFlags() const override { return FFlags; }
  void SetFlags(int f) override { FFlags = f; }
  void AssignEntity(const TvxDXFEntity* source) override;

 protected:
  int FFlags = 0;
};

class TvxDXFAppID : public TvxDXFPenTableItem {
  VX_ENTITY_CLASS(TvxDXFAppID)
};

class TvxDXFCustomColor : public TvxDXFPenTableItem {
  VX_ENTITY_CLASS(TvxDXFCustomColor)
 public:
  TvxColorCAD GetColorCAD() const override { return FColor; }
  void SetColorCAD(const TvxColorCAD& c) override { FColor = c; }
  void AssignEntity(const TvxDXFEntity* source) override;

 protected:
  TvxColorCAD FColor = cnstColorCADByLayer();
};

// Layer table flags.
constexpr int cnstLayerFrozen = 1;
constexpr int cnstLayerFrozenInNewViewports = 2;
constexpr int cnstLayerLocked = 4;
constexpr int cnstLayerXrefLink = 16;

class TvxDXFLayer : public TvxDXFCustomColor {
  VX_ENTITY_CLASS(TvxDXFLayer)
 public:
  TvxDXFLayer();

  // Checks the name first when name checking is on (EvxIncorrectNameLayer, name unchanged).
  void SetName(const std::string& name) override;
  static bool IsValidLayerName(const std::string& name);

  TvxDXFLineType* GetLineType() const override;
  void SetLineType(TvxDXFLineType* ltype) override;
  TvxDXFEntity* GetLineTypeItem() const { return FLineTypeItem.Item(); }
  void SetLineTypeLink(TvxLinkObject* link) { FLineTypeItem.SetItem(link); }
  const TvxLines* GetLines() const override;
  double GetLineWeight() const override { return FLineWeight; }
  void SetLineWeight(double w) override { FLineWeight = w; }

  // Switched on (a negative stored colour switches it off).
  bool GetVisible() const override { return FVisible; }
  void SetVisible(bool v) override { FVisible = v; }
  bool GetVisibility() const override { return FVisible; }
  void SetVisibility(bool v) override { FVisible = v; }
  bool Frozen() const { return (FFlags & cnstLayerFrozen) != 0; }
  void SetFrozen(bool v);
  bool Locked() const { return (FFlags & cnstLayerLocked) != 0; }
  void SetLocked(bool v);
  bool XrefLink() const { return (FFlags & cnstLayerXrefLink) != 0; }
  bool FrozenByViewPort() const { return FFrozenByViewPort; }
  void SetFrozenByViewPort(bool v) { FFrozenByViewPort = v; }
  // False for "DEFPOINTS" whatever the stored flag.
  bool IsPlotting() const;
  void SetIsPlotting(bool v) { FIsPlotting = v; }
  bool IsCheckName() const { return FIsCheckName; }
  void SetIsCheckName(bool v) { FIsCheckName = v; }
  bool Used() const { return FNamedItem.RefCount() > 0; }

  // Negative colour: made positive and the layer switched off; "BYLAYER"/"BYBLOCK" line type:
  // "CONTINUOUS"; "*ADSK_CONSTRAINTS": frozen.
  void LoadData(TvxDXFConverter* conv) override;
  void ResolveLinks(TvxDXFConverter* conv) override;
  void AssignEntity(const TvxDXFEntity* source) override;
  void UnlinkReferences() override;

 protected:
  TvxTableItem FLineTypeItem;
  double FLineWeight = fLineWeightDefault;
  bool FIsPlotting = true;
  bool FFrozenByViewPort = false;
  bool FIsCheckName;
  bool FVisible = true;
};

class TvxDXFLineType : public TvxDXFPenTableItem {
  VX_ENTITY_CLASS(TvxDXFLineType)
 public:
  const TvxLines* GetLines() const override { return &FLines; }
  TvxLines& Lines() { return FLines; }
  // "CONTINUOUS" clears the pattern; other line types prepare theirs.
  void LoadData(TvxDXFConverter* conv) override;
  void AssignEntity(const TvxDXFEntity* source) override;

 protected:
  TvxLines FLines;
};

// Font style bits of a text style's TrueType face (FFontStyle).
constexpr uint8_t cnstFontBold = 1;
constexpr uint8_t cnstFontItalic = 2;
constexpr uint8_t cnstFontUnderline = 4;
constexpr uint8_t cnstFontStrikeOut = 8;

// Text generation flags of styles and texts.
constexpr uint8_t cnstTextBackward = 2;
constexpr uint8_t cnstTextUpsideDown = 4;

// Text style: the font files (primary and big font) or the TrueType face, and the defaults a
// text of this style takes. The SHX style record of the font engine is made on first use by the
// text layout and is not kept here yet.
class TvxDXFStyle : public TvxDXFPenTableItem {
  VX_ENTITY_CLASS(TvxDXFStyle)
 public:
  std::string PrimaryFont;    // font file name ("txt", "romans.shx", "arial.ttf")
  std::string BigFont;        // big-font file name; a style with one always draws with SHX fonts
  std::string FontName;       // TrueType face name when the style uses one
  uint8_t FontStyle = 0;      // cnstFontBold | cnstFontItalic | ...
  double FixedHeight = 0;     // 0: not fixed
  double WidthFactor = 1;
  double ObliqueAngle = 0;    // degrees
  double LastHeightUsed = 0.2;
  uint8_t TextGenFlags = 0;   // cnstTextBackward | cnstTextUpsideDown

  bool Backward() const { return (TextGenFlags & cnstTextBackward) != 0; }
  bool UpsideDown() const { return (TextGenFlags & cnstTextUpsideDown) != 0; }
  void AssignEntity(const TvxDXFEntity* source) override;
};

class TvxDXFDimensionStyle : public TvxDXFPenTableItem {
  VX_ENTITY_CLASS(TvxDXFDimensionStyle)
 public:
  TvxDimStyle DimProps;
  TvxDXFStyle* GetTextStyle() const;
  void SetTextStyle(TvxDXFStyle* style) { FTextStyleItem.SetItem(style); }
  void AssignEntity(const TvxDXFEntity* source) override;
  void UnlinkReferences() override;

 private:
  TvxTableItem FTextStyleItem;
};

// A VPORT table entry (the viewport module adds the view operations).
class TvxDXFVport : public TvxDXFPenTableItem {
  VX_ENTITY_CLASS(TvxDXFVport)
 public:
  int CircleZoomPercent = 100;
  double ViewAspectRatio = 1;
  TFPoint ViewCenterPoint;
  TFPoint ViewDirection = cnstExtrusion;
  double ViewHeight = 0;
  TFPoint ViewTarget;
  double ViewTwistAngle = 0;
  TFPoint UCSOrigin{0, 0, 1};
  TFPoint UCSYDir = cnstYOrtAxis;
  TFPoint UCSXDir = cnstXOrtAxis;
  bool UCSVP = false;
  void LoadData(TvxDXFConverter* conv) override;
  void AssignEntity(const TvxDXFEntity* source) override;
};

// An "ACAD_SORTENTS" table: pairs of (entity handle, sort handle) for one block.
class TvxDXFSortEntsTable : public TvxDXFOwneredItem {
  VX_ENTITY_CLASS(TvxDXFSortEntsTable)
 public:
  TvxDXFEntity* SortObject = nullptr;  // non-owning: the block (record) to reorder
  uint64_t SortObjectHandle = 0;
  std::vector<uint64_t> HandlesOld;    // entity handles
  std::vector<uint64_t> HandlesNew;    // their sort handles
  void AssignEntity(const TvxDXFEntity* source) override;
};

// ---- tables ---------------------------------------------------------------------------------

// One entry of a table's name index.
struct TvxNameEntry {
  std::string Name;
  TvxDXFEntity* Entity = nullptr;
};

class TvxDXFTable : public TvxDXFGroup {
  VX_ENTITY_CLASS(TvxDXFTable)
 public:
  TvxDXFTable() : FNamedItem(this) { Touch(); }

  std::string GetName() const override { return FNamedItem.Name(); }
  void SetName(const std::string& name) override { FNamedItem.SetName(name); }
  std::string EntName() const override { return GetName(); }
  void SetOwner(TvxDXFEntity* owner) override;

  // A lookup in the name index; among duplicates the most recently added child.
  TvxDXFEntity* FindEntByName(const std::string& name) const override;
  // The most recently added child of that name that satisfies fits; nil when none.
  TvxDXFEntity* FindEntByNameIf(const std::string& name,
                                const std::function<bool(const TvxDXFEntity*)>& fits) const;
  template <class T>
  T* FindItem(const std::string& name) const {
    return static_cast<T*>(FindEntByNameIf(
        name, [](const TvxDXFEntity* e) { return dynamic_cast<const T*>(e) != nullptr; }));
  }
  int AddName(TvxDXFEntity* child) override;
  void RemoveName(TvxDXFEntity* child) override;
  void RebuildNameIndex();
  const std::vector<TvxNameEntry>& NameIndex() const { return FSortEntList; }
  // Changes whenever a child joins, leaves or is renamed, and differs between any two tables of
  // the process: a cache of lookups made in a table is valid while the table and its stamp are
  // the same (the count alone would miss one child leaving and another joining).
  uint64_t ChangeStamp() const { return FChangeStamp; }

  void Clear(bool freeChildren) override;
  void ListChanged(TvxDXFEntity* child, TvxListNotification action) override;
  // Rebuilds the name index when it is out of step with the children, then the group load.
  void LoadData(TvxDXFConverter* conv) override;
  void UnlinkReferences() override;

 protected:
  bool IsDrawable() const override { return false; }

  void Touch();

  TvxNamedItem FNamedItem;
  std::vector<TvxNameEntry> FSortEntList;
  uint64_t FChangeStamp = 0;
};

class TvxDXFDictionary : public TvxDXFTable {
  VX_ENTITY_CLASS(TvxDXFDictionary)
 public:
  std::string Value;
};

}  // namespace vx
