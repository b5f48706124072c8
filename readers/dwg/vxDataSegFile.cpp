// The data-segment file: segment index, data index, data entries and single-page blobs.
#include "readers/dwg/vxDataSegFile.h"

#include <algorithm>
#include <cstring>

namespace vx {

namespace {

constexpr size_t cnstFileHeaderSize = 56;
constexpr size_t cnstSegmentHeaderSize = 48;
constexpr size_t cnstSegIdxEntrySize = 12;
constexpr size_t cnstDatIdxEntrySize = 12;
constexpr size_t cnstDatHeaderEntrySize = 20;
constexpr size_t cnstBlobReferenceSize = 32;
constexpr size_t cnstBlobEntryHeaderSize = 32;
constexpr uint32_t cnstBlobMarker = 0xBB106BB1;

constexpr uint8_t cnstPNGSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr char cnstACISBinary[] = "ACIS BinaryFile";

// Little-endian reads at an offset the caller has checked.
uint32_t U32(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24; }
uint64_t U64(const uint8_t* p) { return uint64_t(U32(p)) | uint64_t(U32(p + 4)) << 32; }

// True when [at, at + n) lies inside [0, end).
bool Fits(uint64_t at, uint64_t n, uint64_t end) { return at <= end && n <= end - at; }

const TvxDataSegmentEntry cnstEmptyEntry{};

}  // namespace

TvxSegIdxEntryType DataSegmentType(const char* name) {
  static const struct {
    const char* Name;
    TvxSegIdxEntryType Type;
  } rows[] = {{"segidx", stSegInd}, {"datidx", stDatInd}, {"_data_", stData},   {"schidx", stSchInd},
              {"schdat", stSchData}, {"blob01", stBlob01}, {"prvsav", stPrvsav}, {"freesp", stFreesp}};
  for (const auto& row : rows)
    if (std::strncmp(name, row.Name, 6) == 0) return row.Type;
  return stUnknown;
}

TvxDSDataEntryType DataEntryType(const uint8_t* data, size_t size) {
  if (!data) return etUnknown;
  if (size >= sizeof cnstACISBinary - 1 && std::memcmp(data, cnstACISBinary, sizeof cnstACISBinary - 1) == 0)
    return etACISBin;
  if (size >= sizeof cnstPNGSignature && std::memcmp(data, cnstPNGSignature, sizeof cnstPNGSignature) == 0)
    return etPNG;
  return etUnknown;
}

std::unique_ptr<TvxSegmentedFile> TvxSegmentedFile::CreateFromMemory(TvxDXFConverter* converter, size_t size,
                                                                     const uint8_t* mem) {
  auto file = std::make_unique<TvxSegmentedFile>();
  file->FConverter = converter;
  if (mem && size) file->FStream.assign(mem, mem + size);
  std::memcpy(&file->FHeader.FileSignature, "jard", 4);
  return file;
}

const TvxSegIdxEntry& TvxSegmentedFile::SegIdxEntry(size_t index) const {
  if (index >= FSegIdxSegment.size()) throw TvxDataSegFileError(cnstSegmentIndexInvalid);
  return FSegIdxSegment[index];
}

bool TvxSegmentedFile::ReadSegmentHeader(uint64_t offset, TvxFileSegmentHeader& h) const {
  if (offset == 0 || !Fits(offset, cnstSegmentHeaderSize, FStream.size())) return false;
  const uint8_t* p = FStream.data() + offset;
  for (size_t i = 40; i < cnstSegmentHeaderSize; ++i)
    if (p[i] != 0x55) return false;
  h.Signature = uint16_t(p[0] | p[1] << 8);
  std::memcpy(h.Name, p + 2, 6);
  h.Name[6] = 0;
  uint32_t* fields[] = {&h.SegmentIndex, &h.Unknown1, &h.SegmentSize, &h.Unknown2, &h.DataStorageRevision,
                        &h.Unknown3, &h.SysDataAlignOffset, &h.ObjDataAlignOffset};
  for (size_t i = 0; i < 8; ++i) *fields[i] = U32(p + 8 + 4 * i);
  return true;
}

void TvxSegmentedFile::ReadFile() {
  if (FStream.empty()) throw TvxDataSegFileError(cnstDataSegNotInitialized);
  FSegIdxSegment.clear();
  FDatIdxSegment.clear();
  FDataSegment.clear();
  FBlobEntries.clear();
  FBlobSegmentWasRead = false;
  const size_t size = FStream.size();
  if (size < cnstFileHeaderSize) return;
  const uint8_t* p = FStream.data();
  uint32_t* fields[] = {&FHeader.FileSignature, &FHeader.FileHeaderSize, &FHeader.Unknown3,  &FHeader.Version,
                        &FHeader.Unknown5,      &FHeader.DsEntryCount,   &FHeader.SegIdxOffset, &FHeader.SegIdxUnknown,
                        &FHeader.SegIdxEntryCount, &FHeader.SchIdxIndex, &FHeader.DatIdxIndex, &FHeader.SearchIndex,
                        &FHeader.PrvsavIndex,   &FHeader.FileSize};
  for (size_t i = 0; i < 14; ++i) *fields[i] = U32(p + 4 * i);
  FStartOffset = 0;

  // The segment index: every segment's place, its type from its own header.
  TvxFileSegmentHeader h;
  if (!ReadSegmentHeader(FHeader.SegIdxOffset, h)) return;
  const uint64_t first = uint64_t(FHeader.SegIdxOffset) + cnstSegmentHeaderSize;
  const uint64_t count = std::min<uint64_t>(FHeader.SegIdxEntryCount, (size - std::min<uint64_t>(first, size)) / cnstSegIdxEntrySize);
  FSegIdxSegment.resize(size_t(count));
  for (uint64_t i = 0; i < count; ++i) {
    const uint8_t* e = p + first + i * cnstSegIdxEntrySize;
    TvxSegIdxEntry& s = FSegIdxSegment[size_t(i)];
    s.Offset = U64(e);
    s.Size = U32(e + 8);
    TvxFileSegmentHeader sh;
    s.SegIdxType = ReadSegmentHeader(s.Offset, sh) ? DataSegmentType(sh.Name) : stUnknown;
  }

  // The data index: which segment holds each entry header, and where.
  if (FHeader.DatIdxIndex < FSegIdxSegment.size()) {
    const TvxSegIdxEntry& d = FSegIdxSegment[FHeader.DatIdxIndex];
    const uint64_t at = d.Offset + cnstSegmentHeaderSize;
    if (d.SegIdxType == stDatInd && Fits(at, 8, size)) {
      const uint64_t n = std::min<uint64_t>(U32(p + at), (size - (at + 8)) / cnstDatIdxEntrySize);
      for (uint64_t i = 0; i < n; ++i) {
        const uint8_t* e = p + at + 8 + i * cnstDatIdxEntrySize;
        TvxDatIdxEntry x{U32(e), U32(e + 4), U32(e + 8)};
        if (x.SegmentIndex != 0) FDatIdxSegment.push_back(x);
      }
    }
  }

  for (size_t i = 0; i < FSegIdxSegment.size(); ++i)
    if (FSegIdxSegment[i].SegIdxType == stData) ReadDataSegment(FSegIdxSegment[i]);
  std::stable_sort(FDataSegment.begin(), FDataSegment.end(),
                   [](const TvxDataSegmentEntry& a, const TvxDataSegmentEntry& b) { return a.Header.Handle < b.Header.Handle; });
}

void TvxSegmentedFile::ReadDataSegment(const TvxSegIdxEntry& segment) {
  TvxFileSegmentHeader h;
  if (!ReadSegmentHeader(segment.Offset, h)) return;
  const size_t size = FStream.size();
  const uint8_t* p = FStream.data();
  const uint64_t start = segment.Offset;
  const uint64_t end = std::min<uint64_t>(size, start + std::max<uint64_t>(h.SegmentSize, cnstSegmentHeaderSize));
  const size_t self = size_t(&segment - FSegIdxSegment.data());
  for (const TvxDatIdxEntry& x : FDatIdxSegment) {
    if (x.SegmentIndex != self) continue;
    const uint64_t at = start + cnstSegmentHeaderSize + x.LocalOffset;
    if (!Fits(at, cnstDatHeaderEntrySize, end)) continue;
    TvxDataSegmentEntry entry;
    const uint8_t* e = p + at;
    entry.Header = {U32(e), U32(e + 4), U64(e + 8), U32(e + 16)};
    const uint64_t data = start + uint64_t(h.ObjDataAlignOffset) * 16 + entry.Header.LocalOffset;
    if (Fits(data, 4, end)) {
      const uint32_t n = U32(p + data);
      if (n == cnstBlobMarker) {
        ResolveBlob(entry, size_t(data + 4), size_t(end));
      } else if (Fits(data + 4, n, end)) {
        entry.DataSize = n;
        entry.Data = p + data + 4;
      }
    }
    entry.EntryType = DataEntryType(entry.Data, entry.DataSize);
    FDataSegment.push_back(entry);
  }
}

void TvxSegmentedFile::ResolveBlob(TvxDataSegmentEntry& entry, size_t at, size_t end) {
  const uint8_t* p = FStream.data();
  if (!Fits(at, cnstBlobReferenceSize, end)) return;
  TvxDataBlobReference& b = entry.BlobReference;
  b.TotalDataSize = U64(p + at);
  uint32_t* fields[] = {&b.PageCount, &b.RecordSize, &b.PageSize, &b.LastPageSize, &b.Unknown1, &b.Unknown2};
  for (size_t i = 0; i < 6; ++i) *fields[i] = U32(p + at + 8 + 4 * i);
  // Only a blob of one page is put together.
  if (b.PageCount != 1 || !Fits(at + cnstBlobReferenceSize, 8, end)) return;
  const uint32_t segmentIndex = U32(p + at + cnstBlobReferenceSize);
  if (segmentIndex >= FSegIdxSegment.size()) return;
  const TvxSegIdxEntry& s = FSegIdxSegment[segmentIndex];
  TvxFileSegmentHeader h;
  if (s.SegIdxType != stBlob01 || !ReadSegmentHeader(s.Offset, h)) return;
  const uint64_t segEnd = std::min<uint64_t>(FStream.size(), s.Offset + std::max<uint64_t>(h.SegmentSize, cnstSegmentHeaderSize));
  const uint64_t r = s.Offset + cnstSegmentHeaderSize;
  if (!Fits(r, cnstBlobEntryHeaderSize, segEnd)) return;
  TvxBlobEntryReferenceHeader page{U64(p + r), U64(p + r + 8), U32(p + r + 16), U32(p + r + 20), U64(p + r + 24)};
  FBlobEntries.push_back(page);
  FBlobSegmentWasRead = true;
  const uint64_t data = r + cnstBlobEntryHeaderSize;
  if (page.PageDataSize > UINT32_MAX || !Fits(data, page.PageDataSize, segEnd)) return;
  entry.DataSize = uint32_t(page.PageDataSize);
  entry.Data = p + data;
}

int TvxSegmentedFile::IndexOf(uint64_t handle) const {
  auto it = std::lower_bound(FDataSegment.begin(), FDataSegment.end(), handle,
                             [](const TvxDataSegmentEntry& e, uint64_t h) { return e.Header.Handle < h; });
  if (it == FDataSegment.end() || it->Header.Handle != handle) return -1;
  return static_cast<int>(it - FDataSegment.begin());
}

const TvxDataSegmentEntry& TvxSegmentedFile::GetDataEntry(int index) const {
  if (index < 0 || index >= DataEntryCount()) return cnstEmptyEntry;
  return FDataSegment[size_t(index)];
}

}  // namespace vx
