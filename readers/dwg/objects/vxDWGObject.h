// vxDWGObject: the short-lived reader of one DWG R13+ object.
//
//  - TdwgObject: framing (size, type, streams, handle, extended data), the common object data and
//    handles, the record's own rows, commit (owner, children, placement). Its database item is
//    owned by the reader object until the owner takes it; a refused item is freed with it.
//  - TdwgEntity: the common entity data (mode, colour, line type, weight, visibility, links) and
//    the entity commit.
//  - The record kinds by type code (DWGRecordKind): reader factory, item factory, rows.
// Every read goes through the object's bounded streams: a cursor that passes the object's data
// marks the object failed, and the file reader drops it.
#pragma once

#include "database/core/DXFConv.h"
#include "readers/dwg/objects/vxDWGRecordRows.h"

#include <memory>
#include <span>
#include <string>
#include <vector>

namespace vx {

class TdwgReader;
class TdwgObject;

using TdwgReaderFactory = TdwgObject* (*)();
using TdwgItemFactory = TvxDXFEntity* (*)();

// What a type code reads: the reader class, the database class, and the record's rows.
struct TdwgRecordKind {
  const char* Name = "";
  TdwgReaderFactory Reader = nullptr;
  TdwgItemFactory Item = nullptr;
  std::span<const TdwgFieldRow> Rows;      // the record's data after the common data
  std::span<const TdwgFieldRow> HandleRows;  // the record's handles after the common handles
  std::span<const TdwgFieldRow> Rows2;       // more data after Rows (a record that extends another)
};

// Raises the decoding error of the object being read (EdwgReadError).
[[noreturn]] void DWGObjectCorrupt();
// A count from the file, checked against the bits left (each element takes at least minBits)
// before anything is allocated for it.
uint32_t DWGCounted(const TvxBitCursor& c, uint32_t n, unsigned minBits);

// The kind of an internal type code (0..98); nil for codes without a reader.
const TdwgRecordKind* DWGRecordKind(unsigned code);

class TdwgObject {
 public:
  TdwgObject() = default;
  TdwgObject(const TdwgObject&) = delete;
  TdwgObject& operator=(const TdwgObject&) = delete;
  // Frees the item unless it was placed.
  virtual ~TdwgObject();

  virtual bool IsEntity() const { return false; }
  // Whether the handles begin with the owner (entities in model or paper space have none).
  virtual bool OwnerStored() const { return true; }

  // Frames the object at byte location of the image (streams, type, handle, extended data) and
  // reads its data. false when the object cannot be framed.
  void ReadData(TdwgReader& r);
  // The object's own data after the common object data.
  virtual void ReadCommon(TdwgReader& r);
  virtual void ReadOwnData(TdwgReader& r);
  virtual void ReadOwnHandles(TdwgReader& r);
  // Owner handle, reactors, extension dictionary.
  void ReadHandles(TdwgReader& r);
  // From 2004 the owned handles are listed (FSubEnts of them); earlier the first and last entity.
  void ReadOwnedHandles(TdwgReader& r, bool chained);

  // Resolves the owner, loads the children, places the item.
  virtual void Commit(TdwgReader& r);
  // The database item the object goes into; nil when none takes it.
  virtual TvxDXFEntity* GetOwnerItem(TdwgReader& r);
  // Places the item in the owner; false when refused.
  virtual bool AddToOwner(TdwgReader& r, TvxDXFEntity* owner);
  virtual void LoadChildren(TdwgReader& r);
  // Called once the item was placed.
  virtual void AfterAdded(TdwgReader& r) {}
  // The next entity of a chain of entities (before 2004), 0 for others.
  virtual uint64_t NextInChain() const { return 0; }

  TvxDXFEntity* ExtractItem() {
    TvxDXFEntity* e = FItem;
    FItem = nullptr;
    return e;
  }

  // Framing results.
  const TdwgRecordKind* FKind = nullptr;
  unsigned FType = 0;  // the stored type
  unsigned FCode = 0;  // the internal type code
  int FMapIndex = -1;
  uint64_t FLocation = 0;   // byte offset of the object in the image
  uint64_t FDataStart = 0;  // bit of the data after the size (and 2010+ handle size)
  uint64_t FDataEnd = 0;    // bit where the object's data ends
  uint64_t FDataBits = 0;   // the stored data bit size (before 2007 a separate RL)
  TdwgStreams S;

  TvxDXFEntity* FItem = nullptr;
  bool FPlaced = false;
  bool FCorrectData = true;
  uint64_t FHandle = 0;
  uint64_t FOwner = 0;
  uint32_t FReactorsCount = 0;
  std::vector<uint64_t> FReactors;
  bool FXDicHandlePresent = true;
  uint64_t FXDict = 0;
  uint32_t FSubEnts = 0;
  std::vector<uint64_t> FChildren;
  uint64_t FFirstChild = 0, FLastChild = 0;
  int FAnnotativeFlags = 0;
  TdwgSlots F;
  TvxDXFEntity* FOwnerItem = nullptr;
};

class TdwgEntity : public TdwgObject {
 public:
  bool IsEntity() const override { return true; }
  bool OwnerStored() const override { return FMode == 0; }
  void ReadCommon(TdwgReader& r) override;
  void ReadOwnHandles(TdwgReader& r) override;
  void Commit(TdwgReader& r) override;
  TvxDXFEntity* GetOwnerItem(TdwgReader& r) override;
  bool AddToOwner(TdwgReader& r, TvxDXFEntity* owner) override;
  // The entity's own values into its item (after the common commit).
  virtual void Apply(TdwgReader& r) {}
  // Whether the graphic image of the common data is kept (in FGraphics) rather than passed over.
  virtual bool KeepsGraphics() const { return false; }
  uint64_t NextInChain() const override { return FSibling; }

  unsigned FMode = 0;  // 0 owner handle stored, 1 paper space, 2 model space
  TvxColorCAD FColor;
  uint16_t FColorFlags = 0;
  uint64_t FDbColor = 0;
  uint64_t FLayer = 0;
  uint64_t FLType = 0;
  unsigned FStandardLType = 0;  // 0 by layer, 1 by block, 2 continuous, 3 handle
  bool FLTypeByLayer = true;    // before 2000
  double FLineTypeScale = 1;
  bool FVisibility = true;
  double FLineWeight = fLineWeightByLayer;
  bool FNoLinks = true;
  uint64_t FPrev = 0, FSibling = 0;
  unsigned FExtraHandles = 0;  // material / plot style handles at the end (2000+)
  std::string FGraphics;       // the graphic image, when kept
};

}  // namespace vx
