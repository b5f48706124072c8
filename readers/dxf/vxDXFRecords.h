// vxDXFRecords: the record layer of the DXF reader.
//
//  - TdxfLoader: the reading state of one load (the token reader, the drawing being filled, the
//    space blocks met so far, the comments, the lookups that give table items or placeholders).
//  - TdxfObject / TdxfEntity: the short-lived reader of one DXF record (a section, a table, a
//    table entry, a block, an entity). ReadRecord consumes the record's pairs into generic slots,
//    commits them to the record's database item and, for complex records, reads the child records
//    that follow.
//  - The record table: record name -> reader class and database class (FindDXFRecord). Records
//    whose database class does not exist yet keep their row with no item: they are read and
//    dropped, so adding the class later is a change of one row.
//
// Ownership: a record reader owns its item until the parent's AddChild places it; a refused item
// is freed with the reader. An item placed inside a record that may still be refused (an entity
// of a block read inside the entities section) is not final yet: it goes when that record goes.
// So registrations that point at an item (space blocks, the block-record index, extension
// dictionaries) are made only once the item is final: until then they wait with the records
// above it, and are dropped with them (Register, AfterAdded).
#pragma once

#include "database/core/DXFConv.h"
#include "database/extdata/vxExtData.h"
#include "readers/dxf/vxDXFTokens.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace vx {

class TdxfObject;
class TdxfLoader;

// The names an empty layer or line-type name stands for.
inline const std::string cnstDefaultLayer = "0";
inline const std::string cnstDefaultLType = "BYLAYER";

// Complex records nest at most this deep; a deeper one is read as if it had no children.
constexpr int cnstMaxRecordDepth = 64;

// The kinds of terminator records.
enum class TdxfRecordKind : uint8_t { rkRecord, rkSeqend, rkEndSec, rkEndTab, rkEndBlk };
using enum TdxfRecordKind;

using TdxfReaderFactory = TdxfObject* (*)();
using TdxfItemFactory = TvxDXFEntity* (*)();

// One row of the record table.
struct TdxfRecordRow {
  const char* Name;
  TdxfReaderFactory Reader;
  TdxfItemFactory Item;  // nil: the record is read and dropped
};

// The row of a record name (case-insensitive); nil for names not in the table.
const TdxfRecordRow* FindDXFRecord(std::string_view name);
// Every row, sorted by name.
const std::vector<TdxfRecordRow>& DXFRecordTable();

// The database section a table's code-2 name stands for; false for other names.
bool DXFTableSection(std::string_view name, TConvSection& section);

// Version from the "$ACADVER" text; false (version unchanged) when the text is not a version.
// AC1032 and later read as the newest version this library knows.
bool DXFVersionByName(std::string_view text, TvxDWGVersion& version);

// The reading state of one load. It does not own the drawing nor the token reader.
class TdxfLoader {
 public:
  TdxfLoader(TdxfReader& tokens, TvxDXFConverter* conv);

  TdxfReader& Tok;
  TvxDXFConverter* const Conv;

  // Comments (999) in file order, upper-cased.
  std::vector<std::string> FileInfoList;
  std::string FileInfo() const { return FileInfoList.empty() ? std::string() : FileInfoList.back(); }

  // The model-space block (index 0) and the paper-space blocks in the order they were met.
  std::vector<TvxDXFBlock*> Papers;
  void RegisterSpaceBlock(TvxDXFBlock* block);
  // Makes sure index 0 and 1 hold a model and a paper-space block.
  void EnsurePapers();

  // Lookups: the item, or a new placeholder the caller's slot takes over.
  TvxDXFEntity* Layers(const std::string& name);
  TvxDXFEntity* LTypes(const std::string& name);
  // The items alone; nil when the table has none of that name. An empty name stands for "0"
  // and "BYLAYER".
  TvxDXFLayer* FindLayer(const std::string& name);
  TvxDXFLineType* FindLType(const std::string& name);
  TvxDXFBlock* BlockByName(const std::string& name) const;
  TvxDXFBlockRecord* HBlockRecords(uint64_t handle) const;
  void RegisterBlockRecord(TvxDXFBlockRecord* rec);

  // Files the extension dictionary of the item with ownerHandle with the drawing.
  void RegisterExtensionDictionary(uint64_t ownerHandle, uint64_t dictHandle);
  size_t ExtensionDictionaryCount() const { return FExtDictionaries; }

  // FindDXFRecord, remembered for the names met: a file repeats a few record names many times.
  const TdxfRecordRow* FindRecord(const std::string& name);

  // Called after each record: progress, the OnRead event, stop requests.
  void RecordRead();
  uint64_t RecordsRead() const { return FRecords; }

  // Drawing version and text decoding of the token reader follow the header.
  void SetVersion(TvxDWGVersion v);
  void SetCodePage(int cp);

  // ---- extended data (vxDXFExtData.cpp) ----
  // The blocks of one record: application name (as written) -> its items, in file order.
  using TExtDataList = std::vector<std::pair<std::string, std::unique_ptr<TvxCADExtendedData>>>;
  // A placed record hands its extended data over, keyed by its handle.
  void AddPendingExtData(uint64_t handle, TExtDataList list);
  size_t PendingExtDataCount() const { return FPendingEED.size(); }
  // After reading: every application name becomes its APPID entry, and the data is filed with
  // the drawing under the record's handle and the entry's handle (the last record of a handle
  // wins).
  void ResolveExtendedData();

  // The "$ACADVER" text as written.
  std::string VersionText;

  // The section readers found a refused or dropped record (for diagnostics).
  uint64_t DroppedRecords = 0;

  // Symbol elements of line types whose text style was not read yet (the STYLE table follows
  // the LTYPE table in most files): line type handle, element index, style handle. Resolved
  // once the whole file was read.
  struct TLTypeStyleLink {
    uint64_t LType;
    size_t Element;
    uint64_t Style;
  };
  std::vector<TLTypeStyleLink> PendingLTypeStyles;

 private:
  // Items found by their exact name, valid while the table is the same and has not changed
  // (every entity names its layer and line type, and a drawing has few of them).
  struct TNameCache {
    const TvxDXFTable* Table = nullptr;
    uint64_t Stamp = 0;
    std::unordered_map<std::string, TvxDXFEntity*> Items;
    // The item of that name in table (cached), nil when none.
    template <class T>
    T* Find(const TvxDXFTable* table, const std::string& name);
  };

  std::unordered_map<uint64_t, TvxDXFBlockRecord*> FBlockRecordsByHandle;
  std::vector<std::pair<uint64_t, TExtDataList>> FPendingEED;
  size_t FExtDictionaries = 0;
  TNameCache FLayerCache, FLTypeCache;
  struct TRecordSlot {
    std::string Name;
    const TdxfRecordRow* Row = nullptr;
    bool Used = false;
  };
  std::array<TRecordSlot, 16> FRecordSlots;
  // Papers[0] and Papers[1] as last found to be the model and the first paper space.
  const TvxDXFBlock* FCheckedModel = nullptr;
  const TvxDXFBlock* FCheckedPaper = nullptr;
  uint64_t FRecords = 0;
};

// ---- the record readers ---------------------------------------------------------------------

// A registration made once a record's item is final (see Register).
using TdxfRegistration = std::function<void(TdxfLoader&)>;

class TdxfObject {
 public:
  TdxfObject() = default;
  TdxfObject(const TdxfObject&) = delete;
  TdxfObject& operator=(const TdxfObject&) = delete;
  // Frees the item unless it was placed.
  virtual ~TdxfObject();

  virtual TdxfRecordKind Kind() const { return rkRecord; }

  // Reads the record's pairs, commits them and reads the children of a complex record.
  void ReadRecord(TdxfLoader& r);
  virtual void ReadProperties(TdxfLoader& r);
  virtual void ReadProperty(TdxfLoader& r);
  virtual void ApplyHandle(TdxfLoader& r);
  virtual void Prepare(TdxfLoader& r) {}
  virtual void Commit(TdxfLoader& r);
  virtual void ReadChildren(TdxfLoader& r);
  // Reads one child record; true when it terminates this record.
  bool ReadChild(TdxfLoader& r, const std::string& name);
  virtual TdxfObject* NewChild(TdxfLoader& r, const std::string& name);
  virtual bool IsTerminator(const TdxfObject* child) const { return child->Kind() == rkSeqend; }
  // Places the child's item; false when refused (the child frees it).
  virtual bool AddChild(TdxfLoader& r, TdxfObject* child);
  // The item was placed: its registrations, made through Register.
  virtual void AfterAdded(TdxfLoader& r);
  // Runs fn at once when the item is final, else hands it to the parent record, which runs it
  // once its own item is final or drops it with that item.
  void Register(TdxfLoader& r, TdxfRegistration fn);
  // Reads the extended data that starts at the current 1001 pair up to the record's end (code
  // 0): one block per application, the first block of an application kept. Every pair is also
  // handed to ReadProperty, so that records read the applications they know themselves.
  void ReadExtendedData(TdxfLoader& r);
  // The data of an application read on this record (case-insensitive), nil when none.
  TvxCADExtendedData* ExtData(std::string_view appName) const;
  // Gives the item up (the caller owns it).
  TvxDXFEntity* ExtractEnt();
  // Replaces the item by another one; the old item is freed at once.
  void ReplaceEnt(TvxDXFEntity* e, bool added);

  // The item is part of the drawing: placed by the parent, found existing, or a database
  // container.
  bool FAdded = false;
  // The item stays in the drawing whatever becomes of the records read around it: found
  // existing, a database container, or placed in a final parent.
  bool FFinal = false;
  bool FComplex = false;
  bool FPaperSpace = false;
  bool FReactorsRead = false;
  TvxDXFEntity* FEnt = nullptr;
  uint64_t FHandle = 0;
  // The handles kept of the 330 and 360 pairs: what the readers here use, without a list per
  // record.
  uint64_t FSoftOwner = 0;       // the last 330 outside a 102 group
  uint64_t FExtDictionary = 0;   // the first 360 inside a 102 group: the extension dictionary
  std::array<std::string, 10> FTexts;    // codes 1..9
  TdxfLoader::TExtDataList FEEDItems;    // the record's extended data
  TdxfObject* FOwner = nullptr;
  int FDepth = 0;

 private:
  // The item was placed by the parent: pending registrations run or move up, then AfterAdded.
  void Placed(TdxfLoader& r);
  // Registrations of placed descendants waiting for this record's item to be final.
  std::vector<TdxfRegistration> FPending;
};

// The reader of entity-like records: generic slots by group code.
class TdxfEntity : public TdxfObject {
 public:
  TdxfEntity();
  void ReadProperty(TdxfLoader& r) override;
  // The common entity commit: handle, layer, line type, scale, visibility, colour, weight.
  void Commit(TdxfLoader& r) override;

  double FElevation = 0;
  TFPoint FExtrusion = cnstExtrusion;
  std::array<double, 20> FFloats{};  // 40..59
  std::array<int, 20> FInts{};       // 60..79
  int FIntsRGBColor = 0x1FFFFFFF;    // 420; none
  double FLineWeight = fLineWeightByLayer;
  bool FHasLineWeight = false;
  std::array<TFPoint, 10> FPoints{};  // 10..37 by code mod 10
  double FZThick = 0;
};

// A record with no database item that is not a terminator (unknown names, dropped records).
class TdxfSkip : public TdxfEntity {};

class TdxfSeqend : public TdxfObject {
 public:
  TdxfRecordKind Kind() const override { return rkSeqend; }
};
class TdxfEndSeq : public TdxfObject {
 public:
  TdxfRecordKind Kind() const override { return rkEndSec; }
};
class TdxfEndTab : public TdxfObject {
 public:
  TdxfRecordKind Kind() const override { return rkEndTab; }
};
class TdxfEndBlock : public TdxfObject {
 public:
  TdxfRecordKind Kind() const override { return rkEndBlk; }
};

// Reader factories by family, for the record table.
template <class R>
TdxfObject* MakeDXFReader() {
  return new R();
}
template <class E>
TvxDXFEntity* MakeDXFItem() {
  return new E();
}

// Whether a record's item may sit in a block or a layout (not a vertex, attribute, container or
// table item).
bool IsDXFDrawableItem(const TvxDXFEntity* e);

// A trimmed copy (blanks, tabs, line ends).
std::string DXFTrim(std::string_view s);

}  // namespace vx
