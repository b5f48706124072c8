// vxDWGRecords: the record readers of DWG R13+ objects by family, and their rows.
//
// Each reader gives its rows (in vxDWGKinds.cpp, by type code) and applies the slots to its
// database item; irregular encodings are hooks its rows call.
#pragma once

#include "database/hatches/vxHatches.h"
#include "readers/dwg/objects/vxDWGObject.h"

#include <memory>
#include <vector>

namespace vx {

// ---- entities (vxDWGEntities.cpp) -----------------------------------------------------------

class TdwgLine : public TdwgEntity {  // lines, points, rays, construction lines
 public:
  void Apply(TdwgReader& r) override;
};

class TdwgCircle : public TdwgEntity {  // circles, arcs, ellipses
 public:
  TdwgCircle();
  void Apply(TdwgReader& r) override;
};

class TdwgSolid : public TdwgEntity {  // solids, traces, 3D faces
 public:
  void Apply(TdwgReader& r) override;
  static void Read3DFace(TdwgObject& o, TdwgReader& r, TdwgStreams& s);
};

class TdwgPolyline : public TdwgEntity {  // 2D, 3D, mesh and polyface polylines
 public:
  void Apply(TdwgReader& r) override;
  static void ReadOwnedCount(TdwgObject& o, TdwgReader& r, TdwgStreams& s);
  static void ReadVertexHandles(TdwgObject& o, TdwgReader& r, TdwgStreams& s);
};

class TdwgVertex : public TdwgEntity {
 public:
  void Apply(TdwgReader& r) override;
  static void ReadWidths(TdwgObject& o, TdwgReader& r, TdwgStreams& s);
};

class TdwgLWPline : public TdwgEntity {
 public:
  void Apply(TdwgReader& r) override;
  static void ReadBody(TdwgObject& o, TdwgReader& r, TdwgStreams& s);

  std::vector<TFPoint> FPoints;
  std::vector<double> FBulges;
  std::vector<std::pair<double, double>> FWidths;
  unsigned FFlags = 0;
};

class TdwgSpline : public TdwgEntity {
 public:
  void Apply(TdwgReader& r) override;
  static void ReadBody(TdwgObject& o, TdwgReader& r, TdwgStreams& s);

  std::vector<TFPoint> FControls, FFit;
  std::vector<double> FKnots, FWeights;
  int FFlags = 0;
};

// ---- filled areas (vxDWGFills.cpp) ---------------------------------------------------------

class TdwgHatch : public TdwgEntity {  // hatches (solid ones become curve polygons), multi-polygons
 public:
  void Apply(TdwgReader& r) override;
  static void ReadBody(TdwgObject& o, TdwgReader& r, TdwgStreams& s);

 private:
  struct TFree {
    void operator()(TvxDXFEntity* e) const { e->Free(); }
  };
  std::unique_ptr<TvxCADBoundaryData, TFree> FBoundaries{new TvxCADBoundaryData()};
  std::unique_ptr<TvxCADHatchPatternData, TFree> FPattern{new TvxCADHatchPatternData()};
  TvxCurvePolygonFields FFields;
  bool FSolid = false;
  double FPatternAngle = 0, FPatternScale = 1;
  std::string FPatternName;
  TvxColorCAD FFillColor;
  TF2DPoint FOffset;
};

class TdwgWipeOut : public TdwgEntity {
 public:
  void Apply(TdwgReader& r) override;
  static void ReadBody(TdwgObject& o, TdwgReader& r, TdwgStreams& s);

 private:
  TFPoint FPoint, FU, FV, FSize;
  int FFlags = 0;
  unsigned FClipType = 0;
  bool FUseClipping = false;
  std::vector<TF2DPoint> FClip;
};

// ---- texts (vxDWGTexts.cpp) -----------------------------------------------------------------

class TdwgText : public TdwgEntity {  // texts, attributes, attribute definitions
 public:
  TdwgText();
  void Apply(TdwgReader& r) override;
  static void ReadLock(TdwgObject& o, TdwgReader& r, TdwgStreams& s);
  bool FLockPosition = false;
};

class TdwgShape : public TdwgEntity {
 public:
  TdwgShape();
  void Apply(TdwgReader& r) override;
};

class TdwgMText : public TdwgEntity {
 public:
  TdwgMText();
  void Apply(TdwgReader& r) override;
  static void ReadContents(TdwgObject& o, TdwgReader& r, TdwgStreams& s);
  static void ReadBackground(TdwgObject& o, TdwgReader& r, TdwgStreams& s);
};

// ---- references (vxDWGInserts.cpp) ----------------------------------------------------------

class TdwgInsert : public TdwgEntity {  // inserts and multiple inserts
 public:
  TdwgInsert();
  void Apply(TdwgReader& r) override;
  static void ReadScale(TdwgObject& o, TdwgReader& r, TdwgStreams& s);
  static void ReadAttribCount(TdwgObject& o, TdwgReader& r, TdwgStreams& s);
  static void ReadAttribHandles(TdwgObject& o, TdwgReader& r, TdwgStreams& s);
  bool FHasAttribs = false;
};

class TdwgViewport : public TdwgEntity {
 public:
  void Apply(TdwgReader& r) override;
  void AfterAdded(TdwgReader& r) override;
  static void ReadFrozenLayers(TdwgObject& o, TdwgReader& r, TdwgStreams& s);
  std::vector<uint64_t> FFrozen;
};

// The BLOCK entity: its item goes to BLOCKS (an existing block of that name is kept instead).
class TdwgBlock : public TdwgEntity {
 public:
  TvxDXFEntity* GetOwnerItem(TdwgReader& r) override;
  bool AddToOwner(TdwgReader& r, TvxDXFEntity* owner) override;
};

// Entities without a reader of their own data (end markers, kinds without a database class):
// the common data is read so that the entity chain goes on, the item is nil.
class TdwgUndefinedEntity : public TdwgEntity {
 public:
  void ReadOwnData(TdwgReader& r) override {}
};

// ---- tables and objects (vxDWGTables.cpp) ---------------------------------------------------

class TdwgTableControl : public TdwgObject {
 public:
  void ReadOwnData(TdwgReader& r) override;
  void ReadOwnHandles(TdwgReader& r) override;
  TvxDXFEntity* GetOwnerItem(TdwgReader& r) override;
  bool AddToOwner(TdwgReader& r, TvxDXFEntity* owner) override;
  void LoadChildren(TdwgReader& r) override;
};

class TdwgTableItem : public TdwgObject {
 public:
  void ReadCommon(TdwgReader& r) override;
  void ReadOwnHandles(TdwgReader& r) override;
  TvxDXFEntity* GetOwnerItem(TdwgReader& r) override;
  bool AddToOwner(TdwgReader& r, TvxDXFEntity* owner) override;
  void Commit(TdwgReader& r) override;
  virtual void Apply(TdwgReader& r) {}
  std::string FEntryName;
  int FFlags = 0;
};

class TdwgLayer : public TdwgTableItem {
 public:
  void Apply(TdwgReader& r) override;
  static void ReadFlags(TdwgObject& o, TdwgReader& r, TdwgStreams& s);
  bool FOff = false;
};

class TdwgLType : public TdwgTableItem {
 public:
  void Apply(TdwgReader& r) override;
  static void ReadElements(TdwgObject& o, TdwgReader& r, TdwgStreams& s);
  static void ReadStyles(TdwgObject& o, TdwgReader& r, TdwgStreams& s);
  std::vector<TvxLTypeElement> FElements;
  std::vector<uint64_t> FStyles;
};

class TdwgStyle : public TdwgTableItem {
 public:
  void Apply(TdwgReader& r) override;
};

class TdwgDimStyle : public TdwgTableItem {
 public:
  void Apply(TdwgReader& r) override;
};

class TdwgVPort : public TdwgTableItem {
 public:
  void Apply(TdwgReader& r) override;
};

class TdwgAppID : public TdwgTableItem {};

class TdwgBlockRecord : public TdwgTableItem {
 public:
  // A record that was not placed goes with its block.
  ~TdwgBlockRecord() override;
  void ReadOwnData(TdwgReader& r) override;
  void ReadOwnHandles(TdwgReader& r) override;
  bool AddToOwner(TdwgReader& r, TvxDXFEntity* owner) override;
  void Apply(TdwgReader& r) override;
  void LoadChildren(TdwgReader& r) override;
  uint64_t FBlockEntity = 0, FBlockEnd = 0, FLayout = 0;
  TFPoint FBase;
  std::string FXrefPath, FDescription;
};

class TdwgDictionary : public TdwgObject {
 public:
  // Without an item of its own a dictionary only loads what it holds.
  void Commit(TdwgReader& r) override { LoadChildren(r); }
  void ReadOwnData(TdwgReader& r) override;
  void ReadOwnHandles(TdwgReader& r) override;
  TvxDXFEntity* GetOwnerItem(TdwgReader& r) override;
  bool AddToOwner(TdwgReader& r, TvxDXFEntity* owner) override;
  void LoadChildren(TdwgReader& r) override;
  std::vector<std::string> FNames;
};

// A named colour (DBCOLOR): entities that name it take its colour. Kept in OBJECTS.
class TdwgDbColor : public TdwgObject {
 public:
  TvxDXFEntity* GetOwnerItem(TdwgReader& r) override;
  void Commit(TdwgReader& r) override;
};

class TdwgLayout : public TdwgObject {
 public:
  void ReadOwnData(TdwgReader& r) override;
  void ReadOwnHandles(TdwgReader& r) override;
  TvxDXFEntity* GetOwnerItem(TdwgReader& r) override { return nullptr; }
  void Commit(TdwgReader& r) override;
  uint64_t FPaperSpace = 0, FActiveViewport = 0;
  unsigned FViewportCount = 0;
  TvxPlotSettingsData FPlot;
  int FTabOrder = 0;
};

}  // namespace vx
