// vxDWGReader: TdwgReader, the reader of DWG R13 to 2013 files into a drawing database.
//
// ReadFile reads the sections (locators, header variables, classes, object map) and then loads
// the objects by following handles: application ids, styles, line types, layers, block records
// with their entities, dimension styles, the named-objects dictionary, then every object not
// reached yet in handle order. An object is decoded at most once; its reader object lives only
// while it is decoded and committed, its database item stays with its owner.
//
// An object that fails to decode is dropped and loading goes on; the first failure is kept (its
// class and the object's handle) and the caller raises it once the drawing is complete.
#pragma once

#include "database/core/DXFConv.h"
#include "readers/dwg/vxDWGClasses.h"
#include "readers/dwg/vxDWGFile.h"
#include "readers/dwg/vxDataSegFile.h"
#include "readers/dwg/vxDWGHeader.h"
#include "readers/dwg/vxDWGObjectMap.h"
#include "readers/dwg/stream/vxDWGBits.h"

#include <array>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace vx {

class TdwgObject;

// Progress of a load: stage 0 before the objects, 1 after each object, 2 at the end.
using TdwgProgressEvent = std::function<void(int stage, int loaded, int total)>;

// The summary information of 2004+ files: title, subject, author, keywords, comments, saved by,
// revision number, hyperlink base; editing time; dates; custom properties.
struct TdwgSummaryInfo {
  std::array<std::string, 8> Texts;
  TvxJulianTimeStamp EditingTime;
  double Created = 0, Modified = 0;
  std::vector<std::pair<std::string, std::string>> Custom;
};

// Counters of a load, for diagnostics and tests.
struct TdwgLoadStats {
  int Objects = 0;         // objects decoded
  int Dropped = 0;         // objects that failed or were refused by their owner
  int Skipped = 0;         // objects of types without a reader
  int DataMismatches = 0;  // objects whose data did not end where their handles begin
  int HandleMismatches = 0;  // objects whose handles did not end inside their handle stream
  std::map<unsigned, int> MismatchCodes;  // type codes of the data mismatches
  std::map<unsigned, int> DroppedCodes;   // type codes of the objects whose owner refused them
  int DataSegmentEntries = 0;  // entries of the data-segment file (2013)
};

class TdwgReader {
 public:
  explicit TdwgReader(TvxDXFConverter* conv);
  ~TdwgReader();
  TdwgReader(const TdwgReader&) = delete;
  TdwgReader& operator=(const TdwgReader&) = delete;

  // Reads the file (held in memory by the caller). Raises EdwgError and the errors of the
  // section readers for structural faults; object faults are kept (FirstError).
  void ReadFile(std::vector<uint8_t>&& file, TvxDWGVersion version);

  // ---- state the object readers use ----
  TvxDXFConverter* const Conv;
  TdwgFileImage File;
  TvxDWGVersion Version = acR2000;
  TdwgClasses Classes;
  TvxObjectsMap Map;
  TdwgHeaderData Header;
  TdwgTextCoding Coding;  // texts of objects (escapes expanded)
  TvxDXFBlock* Model = nullptr;
  TvxDXFBlock* Paper = nullptr;
  TdwgProgressEvent OnProgress;
  TdwgLoadStats Stats;
  TdwgSummaryInfo Summary;
  // The data-segment file of a 2013 drawing (solid-model streams and pictures by object handle);
  // nil when the file has none or it could not be read.
  std::unique_ptr<TvxSegmentedFile> SegmentedFile;

  uint64_t ActiveViewport = 0;
  // Position of each block record in the BLOCK_RECORD control: anonymous blocks are numbered by it.
  std::unordered_map<uint64_t, int> BlockRecordIndex;
  // Viewport entities of each layout's block record, for numbering.
  std::unordered_map<uint64_t, std::vector<TvxDXFEntity*>> Viewports;

  // The item of a handle, loading it when it was not loaded yet; nil when none.
  TvxDXFEntity* GetChild(uint64_t handle);
  // The item of a handle if it was loaded, without loading it.
  TvxDXFEntity* LoadedItem(uint64_t handle) const;
  // Loads the children of a container in order (2004+ lists).
  void LoadChildList(const std::vector<uint64_t>& handles);
  // Follows a chain of entities (before 2004) from its first handle.
  void LoadChildChain(uint64_t first);
  // The next entity of a chain, as read by the entity that was loaded last.
  uint64_t LastSibling = 0;
  bool LastWasChained = false;

  // A layout read from the file; bound to its block and added once every object was read.
  void AddPendingLayout(TvxDXFEntity* layout, uint64_t blockRecord, int tabOrder);
  // The item of a map element once its owner took it.
  void SetPlaced(int mapIndex, TvxDXFEntity* item);

  bool Stopped() const;
  // The first object failure: class name and handle (0 when none).
  bool HasError() const { return !FErrorClass.empty(); }
  std::string ErrorMessage() const;
  void RecordError(const std::string& className, uint64_t handle);

  int Depth = 0;  // nesting of loads

  // Decodes the object of a map element without committing it (nil for types without a reader).
  // Raises the decoding errors. For tools and tests; loading goes through GetChild.
  std::unique_ptr<TdwgObject> ReadObject(size_t index);

 private:
  void ReadSections();
  void ReadTemplate(const TdwgLocator& loc);
  void ReadDataSegments(const TdwgLocator& loc);
  void ReadSummaryInfo(const TdwgLocator& loc);
  void LoadObjects();
  void FinishLayouts();
  void ResolveHeaderNames();
  TvxDXFEntity* LoadAt(size_t index);

  struct TPendingLayout {
    TvxDXFEntity* Layout;  // owned until placed
    uint64_t Record;
    int TabOrder;
  };
  std::vector<TPendingLayout> FLayouts;
  struct TCached {
    uint64_t Handle = 0;
    TvxDXFEntity* Item = nullptr;
  };
  std::array<TCached, 64> FCache{};
  std::string FErrorClass;
  uint64_t FErrorHandle = 0;
};

}  // namespace vx
