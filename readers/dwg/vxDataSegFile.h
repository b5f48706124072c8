// vxDataSegFile: the data-segment file of 2013 drawings (the "AcDb:AcDsPrototype_1b" section).
//
// The section is a small file of its own ("jard"): a 56-byte header, a segment index (offset and
// size of every segment), a data index naming the data entries, and "_data_" segments holding the
// entries (solid-model streams and preview pictures of objects) by object handle. Single-page
// blobs stored in "blob01" segments are resolved; multi-page blobs keep no data.
//
// Every read is bounded by the section: a segment header outside it, or whose alignment bytes are
// not 0x55, is not used; entries whose data does not fit their segment keep no data.
#pragma once

#include "readers/dwg/stream/vxDWGErrors.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace vx {

class TvxDXFConverter;

enum TvxSegIdxEntryType : uint8_t { stSegInd, stDatInd, stData, stSchInd, stSchData, stBlob01, stPrvsav, stFreesp, stUnknown };
enum TvxDSDataEntryType : uint8_t { etUnknown, etACISBin, atACISTxt, etPNG };

struct TvxSegmentedFileHeader {
  uint32_t FileSignature = 0, FileHeaderSize = 0, Unknown3 = 0, Version = 0, Unknown5 = 0, DsEntryCount = 0;
  uint32_t SegIdxOffset = 0, SegIdxUnknown = 0, SegIdxEntryCount = 0, SchIdxIndex = 0, DatIdxIndex = 0;
  uint32_t SearchIndex = 0, PrvsavIndex = 0, FileSize = 0;
};

struct TvxFileSegmentHeader {
  uint16_t Signature = 0;
  char Name[7] = {};  // six characters and a terminating zero
  uint32_t SegmentIndex = 0, Unknown1 = 0, SegmentSize = 0, Unknown2 = 0, DataStorageRevision = 0;
  uint32_t Unknown3 = 0, SysDataAlignOffset = 0, ObjDataAlignOffset = 0;
};

struct TvxSegIdxEntry {
  uint64_t Offset = 0;
  uint32_t Size = 0;
  TvxSegIdxEntryType SegIdxType = stUnknown;
};

struct TvxDatIdxEntry {
  uint32_t SegmentIndex = 0, LocalOffset = 0, SchemaIndex = 0;
};

struct TvxDatHeaderEntry {
  uint32_t EntrySize = 0, Unknown = 0;
  uint64_t Handle = 0;
  uint32_t LocalOffset = 0;
};

struct TvxDataBlobReference {
  uint64_t TotalDataSize = 0;
  uint32_t PageCount = 0, RecordSize = 0, PageSize = 0, LastPageSize = 0, Unknown1 = 0, Unknown2 = 0;
};

struct TvxBlobEntryReferenceHeader {
  uint64_t TotalDataSize = 0, PageStartOffset = 0;
  uint32_t PageIndex = 0, PageCount = 0;
  uint64_t PageDataSize = 0;
};

struct TvxDataSegmentEntry {
  TvxDatHeaderEntry Header;
  TvxDataBlobReference BlobReference;
  uint32_t DataSize = 0;
  TvxDSDataEntryType EntryType = etUnknown;
  const uint8_t* Data = nullptr;  // into the file's own copy of the section; nil without data
};

// The segment type of a segment name ("segidx", "_data_", ...).
TvxSegIdxEntryType DataSegmentType(const char* name);
// The kind of an entry's bytes: a binary solid-model stream, a PNG picture (by its 8-byte
// signature), or unknown.
TvxDSDataEntryType DataEntryType(const uint8_t* data, size_t size);

class TvxSegmentedFile {
 public:
  // A copy of the section's bytes; nothing is read before ReadFile.
  static std::unique_ptr<TvxSegmentedFile> CreateFromMemory(TvxDXFConverter* converter, size_t size, const uint8_t* mem);

  // Reads the indexes and the data entries. Raises TvxDataSegFileError "Data segment file in not
  // initialized" for an empty section; other damage leaves out what it touches.
  void ReadFile();

  // The index of the entry of an object handle, -1 when there is none.
  int IndexOf(uint64_t handle) const;
  // The entry at index; an empty entry out of range.
  const TvxDataSegmentEntry& GetDataEntry(int index) const;
  int DataEntryCount() const { return static_cast<int>(FDataSegment.size()); }

  const TvxSegmentedFileHeader& Header() const { return FHeader; }
  const std::vector<TvxSegIdxEntry>& SegIdxSegment() const { return FSegIdxSegment; }
  const std::vector<TvxDatIdxEntry>& DatIdxSegment() const { return FDatIdxSegment; }
  // The segment index entry at index; TvxDataSegFileError "Segment index is invalid" out of range.
  const TvxSegIdxEntry& SegIdxEntry(size_t index) const;

 private:
  bool ReadSegmentHeader(uint64_t offset, TvxFileSegmentHeader& header) const;
  void ReadDataSegment(const TvxSegIdxEntry& segment);
  void ResolveBlob(TvxDataSegmentEntry& entry, size_t at, size_t end);

  TvxDXFConverter* FConverter = nullptr;
  TvxSegmentedFileHeader FHeader;
  size_t FStartOffset = 0;
  std::vector<TvxSegIdxEntry> FSegIdxSegment;
  std::vector<TvxDatIdxEntry> FDatIdxSegment;
  std::vector<TvxDataSegmentEntry> FDataSegment;
  std::vector<TvxBlobEntryReferenceHeader> FBlobEntries;
  std::vector<uint8_t> FStream;
  bool FBlobSegmentWasRead = false;
};

}  // namespace vx
