// vxInserts: block references. TvxDXFInsert (a block shown at a point with scale, rotation and
// extrusion, carrying its attributes), its matrix, box and walk; the rectangular array
// (TvxCADMInsert); the box-clipped reference (TvxCADClipInsert); the clipping boundary found in
// a reference's extension dictionary (TvxCADSpatialFilter); and the rules that resolve an
// entity's effective layer, colour and line weight through the chain of nested references.
//
// Walks into blocks stop on cycles (a block that reaches itself again through its references)
// and below a fixed nesting depth, in every path: loading, boxes and walking.
#pragma once

#include "database/core/DXFConv.h"
#include "database/blocks/vxAttribs.h"

#include <functional>
#include <vector>

namespace vx {

class TvxDXFXref;

// References nested deeper than this are not entered (treated as empty).
constexpr int cnstMaxBlockNesting = 64;
// Cells of a multiple insert walked at most per walk: a file may ask for 65535 x 65535.
constexpr int64_t cnstMaxMInsertCells = 100000;

// The clipping boundary of a reference: the object "SPATIAL" in the dictionary "ACAD_FILTER" of
// the reference's extension dictionary.
class TvxCADSpatialFilter : public TvxDXFOwneredItem {
  VX_ENTITY_CLASS(TvxCADSpatialFilter)
 public:
  TFMatrix InvBlkTransform = cnstIdentityMat;
  TFMatrix Clip = cnstIdentityMat;
  std::vector<TFPoint> Bounds;
  TFPoint Extrusion = cnstExtrusion;
  bool BackClip = false;
  double BackDist = 0;
  TFPoint Clipbdorg;
  bool DisplayBounds = false;
  bool FrontClip = false;
  double FrontDist = 0;
  void AssignEntity(const TvxDXFEntity* source) override;
};

class TvxDXFInsert : public TvxDXFCustomVertex {
  VX_ENTITY_CLASS(TvxDXFInsert)
 public:
  TvxDXFInsert() = default;

  TvxCADEntities EntType() const override { return ceInsert; }
  bool IsInsert() const override { return true; }
  // A reference is never drawn as a single pixel.
  virtual bool IsOnePixelOptimisationValid() const { return false; }
  std::string EntName() const override;

  // ---- attributes: the insert's children ----
  const std::vector<TvxDXFAttrib*>& Attribs() const { return FAttribs; }
  bool HasAttribs() const { return !FAttribs.empty(); }
  int Count() const override { return static_cast<int>(FAttribs.size()); }
  TvxDXFEntity* GetEntity(int index) const override;
  void SetEntity(int index, TvxDXFEntity* e) override;
  // Accepts attributes only; -1 for anything else.
  int InsertEntity(int index, TvxDXFEntity* e) override;
  TvxDXFEntity* DeleteEntity(int index) override;
  int IndexOfEntity(const TvxDXFEntity* e) const override;
  void Clear(bool freeChildren) override;
  virtual void AssignAttrib(TvxDXFAttrib* target, const TvxDXFAttrib* source);
  virtual void AssignAttribs(const TvxDXFInsert* source);
  virtual void LoadAttribs(TvxDXFConverter* conv);

  // ---- block ----
  // The slot as stored: a block record, a link placeholder (owned), or nil.
  TvxDXFEntity* GetBlockRecordItem() const { return FBlockRecord; }
  TvxDXFBlockRecord* BlockRecord() const;
  TvxDXFBlock* GetBlock() const override;
  // A block sets its record; anything else (nil, a placeholder) is stored as it is.
  void SetBlock(TvxDXFEntity* block);
  // Keeps the blocks' reference lists in step; a placeholder is taken over.
  virtual void SetBlockRecord(TvxDXFEntity* record);
  void ReferenceRemoved(TvxDXFEntity* obj) override;

  // ---- placement ----
  // Attributes follow the point, the scale and the angle.
  void SetPoint(const TFPoint& p) override;
  TFPoint Scale() const { return FScale; }
  // Non-finite values are refused; a zero component leaves that axis of the attributes alone.
  virtual void SetScale(const TFPoint& s);
  double Angle() const { return FAngle; }
  // Reduced to (-360, 360); non-finite or huge values are refused.
  virtual void SetAngle(double degrees);
  TFPoint GetExtrusion() const override { return FExtrusion; }
  void SetExtrusion(const TFPoint& e) override;
  double GetLineWeight() const override { return FLineWeight; }
  void SetLineWeight(double w) override { FLineWeight = w; }
  int SceneElement() const { return FSceneElement; }
  void SetSceneElement(int v) { FSceneElement = v; }
  // The block's base point (for a loaded external drawing plus its insertion base).
  virtual TFPoint BasePoint() const;
  const TFMatrix& GetMatrix() const { return FMatrix; }
  virtual void ResetMatrix() { FMatrix = cnstIdentityMat; }
  // Block-to-parent transform: -base, scale, rotation, extrusion, +insertion point.
  void BuildMatrix();
  // The enclosing reference during a walk; nil outside walks.
  TvxDXFInsert* OwnerInsert() const { return FOwnerInsert; }
  void SetOwnerInsert(TvxDXFInsert* i) { FOwnerInsert = i; }
  // The clipping boundary from the extension dictionary, nil when none.
  TvxCADSpatialFilter* SpatialFilter() const;
  // The layer an entity on layer "0" inside this reference takes.
  TvxDXFLayer* RealLayer() const;

  // ---- loading and walking ----
  TFRect GetBox() override;
  void LoadData(TvxDXFConverter* conv) override;
  void ResolveLinks(TvxDXFConverter* conv) override;
  void DoIterate(TvxDXFConverter* conv, const TvxEntityProc& finishProc,
                 const TvxEntityProc& proc) override;
  void AssignEntity(const TvxDXFEntity* source) override;
  void UnlinkReferences() override;

 protected:
  // Resolves a placeholder and loads the block (cycles and deep nesting stop); true when the
  // reference has something to show.
  bool PrepareBlock(TvxDXFConverter* conv);
  // The common start of a walk: the converter in use and the visitor's answer for this reference
  // (0: nothing more to walk). Without walk state the visitor is told about the reference only.
  int BeginWalk(TvxDXFConverter*& conv, const TvxEntityProc& proc);
  // The walk of one placement (the array walks it once per cell).
  void WalkReference(TvxDXFConverter* conv, const TvxEntityProc& finishProc,
                     const TvxEntityProc& proc, int go);
  // Moves every attribute by delta (object coordinates).
  void MoveAttribs(const TFPoint& delta);

  std::vector<TvxDXFAttrib*> FAttribs;  // owned
  TvxDXFEntity* FBlockRecord = nullptr;  // a record (non-owning) or a placeholder (owned)
  TFPoint FExtrusion = cnstExtrusion;
  double FLineWeight = fLineWeightByLayer;
  TvxDXFInsert* FOwnerInsert = nullptr;  // walk-scoped
  int FSceneElement = 0;
  float FAngle = 0;
  TFRect FBox = BadBox;
  TFMatrix FMatrix = cnstIdentityMat;
  TFPoint FScale = cnstFPointSingle;
};

// A rectangular array of one block.
class TvxCADMInsert : public TvxDXFInsert {
  VX_ENTITY_CLASS(TvxCADMInsert)
 public:
  int NumCols() const { return FNumCols; }
  // Values outside 1..65535 are ignored.
  void SetNumCols(int n);
  int NumRows() const { return FNumRows; }
  void SetNumRows(int n);
  double ColSpacing() const { return FColSpacing; }
  void SetColSpacing(double d) { FColSpacing = d; }
  double RowSpacing() const { return FRowSpacing; }
  void SetRowSpacing(double d) { FRowSpacing = d; }
  // The offset of cell (col, row) in world coordinates: the grid turns with the reference.
  TFPoint CellOffset(int col, int row) const;

  // The insert's box united with the boxes of the three other corner cells.
  TFRect GetBox() override;
  // Walks every cell (capped) without moving the stored insertion point.
  void DoIterate(TvxDXFConverter* conv, const TvxEntityProc& finishProc,
                 const TvxEntityProc& proc) override;
  void AssignEntity(const TvxDXFEntity* source) override;

 protected:
  uint16_t FNumCols = 1;
  uint16_t FNumRows = 1;
  double FColSpacing = 0;
  double FRowSpacing = 0;
};

// A reference clipped to a box in world coordinates (the plot reader's picture frame).
class TvxCADClipInsert : public TvxDXFInsert {
  VX_ENTITY_CLASS(TvxCADClipInsert)
 public:
  TFRect ClipBox() const { return FClipBox; }
  void SetClipBox(const TFRect& r) { FClipBox = r; }
  TFRect GetBox() override;
  // The clip box moves with the point.
  void SetPoint(const TFPoint& p) override;
  void AssignEntity(const TvxDXFEntity* source) override;

 protected:
  TFRect FClipBox = BadBox;
};

// ---- block walk ---------------------------------------------------------------------------

// Walks the block's children for the reference params.Insert; collects the plain attribute
// definitions instead of walking them. A block already on the walk's stack (a cycle) cuts the
// reference: it loses its block and nothing is walked.
std::vector<TvxDXFAttdef*> WalkBlock(TvxDXFBlock* block, TvxDXFConverter* conv,
                                     const TvxEntityProc& finishProc, const TvxEntityProc& proc);

// Block-reference bookkeeping: the inserts that use a block (kept in the block, which tells
// them when it goes).
void AddBlockReference(TvxDXFBlock* block, TvxDXFInsert* insert);
void RemoveBlockReference(TvxDXFBlock* block, TvxDXFInsert* insert);

// Loads a block unless it is loaded or already being loaded on this thread (a cycle), and not
// deeper than the nesting limit. Uses the converter's block loader when one is set.
void LoadBlockGuarded(TvxDXFBlock* block, TvxDXFConverter* conv);
// True while the block is being loaded on this thread.
bool IsBlockLoading(const TvxDXFBlock* block);

// ---- effective properties through nested references ----------------------------------------

// The layer of the host drawing that stands for a layer of an external drawing
// ("<xref block>|<layer>", "0" for "0"); the layer itself when there is none.
TvxDXFLayer* HostLayer(TvxDXFLayer* layer);
// The layer entity e takes inside the reference ins (ins may be nil).
TvxDXFLayer* EffectiveLayer(const TvxDXFEntity* e, const TvxDXFInsert* ins);
// The display colour (by-layer and by-block resolved; clForeground when nothing is left).
TColor EffectiveColor(const TvxDXFEntity* e, const TvxDXFInsert* ins);
// Millimetres; 0 for the special values once resolved.
double EffectiveLineWeight(const TvxDXFEntity* e, const TvxDXFInsert* ins);
// Whether an entity draws with its line weight (a wide light-weight polyline does not); the
// polyline module sets this.
inline std::function<bool(const TvxDXFEntity*)> UsesLineWeight;

}  // namespace vx
