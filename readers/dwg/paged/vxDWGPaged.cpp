// Flattening of DWG 2004, 2010 and 2013 files, and the flattened image shared with 2007 files.
#include "readers/dwg/paged/vxDWGPaged.h"

#include "readers/dwg/paged/vxDWGUtils.h"
#include "readers/dwg/stream/vxDWGCursor.h"
#include "readers/dwg/stream/vxDWGErrors.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <zlib.h>

namespace vx {

namespace {

constexpr const char* cnstSectionNames[cnstDWGLocatorCount] = {
    "AcDb:Header",      "AcDb:Classes",  "AcDb:Handles",         "AcDb:AcDbObjects",
    "AcDb:SummaryInfo", "AcDb:Template", "AcDb:AcDsPrototype_1b"};

[[noreturn]] void Corrupted() { throw EdwgError(cnstDWGHeaderCorrupted); }

uint32_t U32(const uint8_t* p) { return LoadLE32(p); }
uint64_t U64(const uint8_t* p) { return LoadLE64(p); }
void Put32(uint8_t* p, uint32_t v) { StoreLE32(p, v); }

// Decompressed sections never exceed this many times the file (plus a floor for small files):
// sizes beyond it come from corrupt maps, not from drawings.
uint64_t SectionLimit(size_t fileSize) { return 128 * uint64_t(fileSize) + (1u << 24); }

constexpr uint32_t cnstPageMapType = 0x41630E3B;
constexpr uint32_t cnstSectionMapType = 0x4163003B;
constexpr uint32_t cnstDataPageType = 0x4163043B;
constexpr size_t cnstHeaderBlockSize = 0x6C;
constexpr size_t cnstMaxPageSize = 1u << 20;

struct TPageEntry {
  uint64_t Address = 0;
  uint32_t Size = 0;
};

class TFlattener2004 {
 public:
  TFlattener2004(const uint8_t* file, size_t size) : FFile(file), FSize(size) {}
  TdwgFlattened Run(TvxDWGVersion version);

 private:
  void ReadHeaderBlock();
  std::vector<uint8_t> ReadSystemPage(uint32_t type, uint64_t offset);
  void ReadPageMap();
  void ReadSectionMap(TdwgSectionBodies& bodies, TdwgFlattened& out);
  std::vector<uint8_t> AssembleSection(const uint8_t* desc, uint32_t pageCount, uint64_t sectionSize,
                                       uint32_t maxPageSize, uint32_t compression);

  const uint8_t* FFile;
  size_t FSize;
  uint8_t FHeader[cnstHeaderBlockSize];
  uint32_t FArraySize = 0;
  uint32_t FSectionMapId = 0;
  std::map<uint32_t, TPageEntry> FPages;
  TvxDWG2004Compressor FCompressor;
  size_t FFailedPages = 0;
};

void TFlattener2004::ReadHeaderBlock() {
  if (FSize < 0x80 + cnstHeaderBlockSize) Corrupted();
  std::memcpy(FHeader, FFile + 0x80, cnstHeaderBlockSize);
  DecipherDWG2004Header(FHeader, cnstHeaderBlockSize);
  static const char sig[12] = "AcFssFcAJMB";
  if (std::memcmp(FHeader, sig, 12) != 0) Corrupted();
  if (U32(FHeader + 0x0C) != 0 || U32(FHeader + 0x10) != 0x6C || U32(FHeader + 0x14) != 4 ||
      U32(FHeader + 0x44) != 0x20 || U32(FHeader + 0x48) != 0x80 || U32(FHeader + 0x4C) != 0x40)
    Corrupted();
  uint8_t check[cnstHeaderBlockSize];
  std::memcpy(check, FHeader, cnstHeaderBlockSize);
  Put32(check + 0x68, 0);
  if (DWGCrc32(check, cnstHeaderBlockSize) != U32(FHeader + 0x68)) Corrupted();
  // The second copy must say the same.
  const uint64_t second = U64(FHeader + 0x34);
  if (second > FSize || FSize - second < cnstHeaderBlockSize) Corrupted();
  uint8_t copy[cnstHeaderBlockSize];
  std::memcpy(copy, FFile + second, cnstHeaderBlockSize);
  DecipherDWG2004Header(copy, cnstHeaderBlockSize);
  if (std::memcmp(copy, FHeader, cnstHeaderBlockSize) != 0) Corrupted();
  FArraySize = U32(FHeader + 0x60);
  FSectionMapId = U32(FHeader + 0x5C);
}

std::vector<uint8_t> TFlattener2004::ReadSystemPage(uint32_t type, uint64_t offset) {
  if (offset > FSize || FSize - offset < 20) Corrupted();
  const uint8_t* h = FFile + offset;
  const uint32_t decompSize = U32(h + 4), compSize = U32(h + 8);
  if (U32(h) != type || U32(h + 12) != 2) Corrupted();
  if (compSize == 0 || compSize > FSize - offset - 20 || decompSize == 0 || decompSize > SectionLimit(FSize))
    Corrupted();
  uint8_t head[20];
  std::memcpy(head, h, 20);
  Put32(head + 16, 0);
  uint32_t sum = DWGPageChecksum(0, head, 20);
  sum = DWGPageChecksum(sum, h + 20, compSize);
  if (sum != U32(h + 16)) Corrupted();
  std::vector<uint8_t> out(std::max(decompSize, compSize), 0);
  size_t n;
  try {
    n = FCompressor.Decompress(h + 20, compSize, out.data(), out.size());
  } catch (const TvxDWGCompressorError&) {
    Corrupted();
  }
  if (n != decompSize) Corrupted();
  out.resize(decompSize);
  return out;
}

void TFlattener2004::ReadPageMap() {
  const std::vector<uint8_t> map = ReadSystemPage(cnstPageMapType, U64(FHeader + 0x54) + 0x100);
  uint64_t address = 0x100;
  int64_t last = 0;
  for (size_t i = 0; i + 8 <= map.size();) {
    const int32_t number = int32_t(U32(map.data() + i));
    const uint32_t size = U32(map.data() + i + 4);
    i += 8;
    if (number < 0) {
      i += 16;  // a gap: four more values
    } else {
      if (uint32_t(number) > FArraySize) Corrupted();
      FPages[uint32_t(number)] = {address, size};
    }
    last = number;
    address += size;
  }
  const uint64_t lastEnd = U64(FHeader + 0x2C);
  if (int64_t(U32(FHeader + 0x28)) != last || (lastEnd >> 32) != 0 || lastEnd + 0x100 != address)
    Corrupted();
  if (FPages.empty() || FPages.rbegin()->first < FSectionMapId) Corrupted();
}

std::vector<uint8_t> TFlattener2004::AssembleSection(const uint8_t* desc, uint32_t pageCount,
                                                     uint64_t sectionSize, uint32_t maxPageSize,
                                                     uint32_t compression) {
  if (maxPageSize == 0 || maxPageSize > cnstMaxPageSize) Corrupted();
  const uint64_t slots = uint64_t(pageCount) * maxPageSize;
  const uint64_t size = std::min(sectionSize, slots);
  if (size > SectionLimit(FSize)) Corrupted();
  std::vector<uint8_t> body(size_t(size), 0);
  std::vector<uint8_t> slot(maxPageSize);
  for (uint32_t k = 0; k < pageCount; ++k) {
    const uint64_t start = uint64_t(k) * maxPageSize;
    if (start >= size) break;
    auto it = FPages.find(U32(desc + 16 * k));
    if (it == FPages.end() || it->second.Address == 0 || it->second.Size == 0) continue;
    const uint64_t at = it->second.Address;
    try {
      if (at > FSize || FSize - at < 32) Corrupted();
      uint8_t head[32];
      std::memcpy(head, FFile + at, 32);
      const uint32_t mask = 0x4164536B ^ uint32_t(at);
      for (int w = 0; w < 8; ++w) Put32(head + 4 * w, U32(head + 4 * w) ^ mask);
      if (U32(head) != cnstDataPageType) Corrupted();
      const uint32_t compSize = U32(head + 8);
      if (compSize > FSize - at - 32) Corrupted();
      std::fill(slot.begin(), slot.end(), uint8_t(0));
      if (compression == 2) {
        FCompressor.Decompress(FFile + at + 32, compSize, slot.data(), slot.size());
      } else {
        std::memcpy(slot.data(), FFile + at + 32, std::min<size_t>(compSize, slot.size()));
      }
      const size_t n = size_t(std::min<uint64_t>(maxPageSize, size - start));
      std::memcpy(body.data() + start, slot.data(), n);
    } catch (const EdwgBaseError&) {
      // This page's slot stays zero-filled; the later pages keep their places.
      ++FFailedPages;
    }
  }
  return body;
}

void TFlattener2004::ReadSectionMap(TdwgSectionBodies& bodies, TdwgFlattened& out) {
  auto it = FPages.find(FSectionMapId);
  if (it == FPages.end()) Corrupted();
  const std::vector<uint8_t> map = ReadSystemPage(cnstSectionMapType, it->second.Address);
  if (map.size() < 20) Corrupted();
  if (U32(map.data() + 4) != 2 || U32(map.data() + 8) != 0x7400 || U32(map.data() + 12) != 0) Corrupted();
  const uint32_t count = U32(map.data());
  size_t at = 20;
  for (uint32_t d = 0; d < count && at + 96 <= map.size(); ++d) {
    const uint8_t* desc = map.data() + at;
    const uint64_t sectionSize = U64(desc);
    const uint32_t pageCount = U32(desc + 8);
    const uint32_t maxPageSize = U32(desc + 12);
    const uint32_t compression = U32(desc + 20);
    char name[65] = {};
    std::memcpy(name, desc + 32, 64);
    const uint64_t pagesBytes = uint64_t(pageCount) * 16;
    if (pagesBytes > map.size() - at - 96) break;  // the map ends inside this description
    at += 96 + size_t(pagesBytes);
    const int locator = DWGSectionLocator(name);
    if (locator < 0 || pageCount == 0 || uint64_t(pageCount) > uint64_t(FArraySize) + 1) continue;
    try {
      std::vector<uint8_t> body = AssembleSection(desc + 96, pageCount, sectionSize, maxPageSize, compression);
      if (body.empty()) continue;
      bodies.Body[locator] = std::move(body);
      bodies.Present[locator] = true;
    } catch (const EdwgBaseError&) {
      out.DroppedSections.push_back(name);
    }
  }
}

TdwgFlattened TFlattener2004::Run(TvxDWGVersion version) {
  ReadHeaderBlock();
  ReadPageMap();
  TdwgSectionBodies bodies;
  TdwgFlattened dropped;
  ReadSectionMap(bodies, dropped);
  char magic[7] = {};
  std::memcpy(magic, FFile, 6);
  TdwgFlattened out = BuildFlatImage(magic, bodies);
  out.DroppedSections = std::move(dropped.DroppedSections);
  out.FailedPages = FFailedPages;
  return out;
}

}  // namespace

int DWGSectionLocator(std::string_view name) {
  for (int i = 0; i < cnstDWGLocatorCount; ++i) {
    const std::string_view s = cnstSectionNames[i];
    if (s.size() == name.size() &&
        std::equal(s.begin(), s.end(), name.begin(), [](char a, char b) {
          return (a >= 'a' && a <= 'z' ? a - 32 : a) == (b >= 'a' && b <= 'z' ? b - 32 : b);
        }))
      return i;
  }
  return -1;
}

const char* DWGSectionName(int locator) {
  return locator >= 0 && locator < cnstDWGLocatorCount ? cnstSectionNames[locator] : "";
}

TdwgFlattened BuildFlatImage(const char* magic, const TdwgSectionBodies& bodies) {
  TdwgFlattened out;
  out.LocatorCount = bodies.Present[6] ? 7 : 6;
  size_t total = cnstFlatHeaderSize;
  for (int i = 0; i < out.LocatorCount; ++i) total += bodies.Body[i].size();
  out.Image.assign(total, 0);
  std::memcpy(out.Image.data(), magic, std::min<size_t>(6, std::strlen(magic)));
  size_t at = cnstFlatHeaderSize;
  for (int i = 0; i < out.LocatorCount; ++i) {
    uint8_t* rec = out.Image.data() + cnstFlatLocatorOffset + 9 * i;
    const std::vector<uint8_t>& b = bodies.Body[i];
    rec[0] = uint8_t(i);
    Put32(rec + 1, b.empty() ? 0 : uint32_t(at));
    Put32(rec + 5, uint32_t(b.size()));
    if (!b.empty()) std::memcpy(out.Image.data() + at, b.data(), b.size());
    at += b.size();
  }
  return out;
}

TdwgFlattened FlattenDWG2004(const uint8_t* file, size_t size, TvxDWGVersion version) {
  return TFlattener2004(file, size).Run(version);
}

uint32_t DWGPageChecksum(uint32_t seed, const uint8_t* data, size_t size) {
  return uint32_t(adler32_z(seed, data, size));
}

void DecipherDWG2004Header(uint8_t* block, size_t size) {
  uint32_t state = 1;
  for (size_t i = 0; i < size; ++i) {
    state = state * 0x343FD + 0x269EC3;
    block[i] ^= uint8_t(state >> 16);
  }
}

}  // namespace vx
