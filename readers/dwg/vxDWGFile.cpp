// Version recognition, the in-memory image and the section locators.
#include "readers/dwg/vxDWGFile.h"

#include "readers/dwg/paged/vxDWG2007.h"
#include "readers/dwg/stream/vxDWGErrors.h"
#include "readers/dwg/stream/vxDWGText.h"

#include <cstring>

namespace vx {

namespace {

[[noreturn]] void VersionError(const char* kind, const uint8_t* data, size_t size) {
  std::string id(reinterpret_cast<const char*>(data), size < 6 ? size : 6);
  throw EdwgError(std::string("Unsupported ") + kind + " DWG version ID: \"" + id + "\"");
}

uint32_t U32(const uint8_t* p) { return LoadLE32(p); }

}  // namespace

TvxDWGVersion DWGVersionOfMagic(const uint8_t* data, size_t size) {
  if (size < 6) VersionError("old", data, size);
  const bool ac10 = std::memcmp(data, "AC10", 4) == 0;
  const bool ac2 = std::memcmp(data, "AC2.", 4) == 0;
  if (!ac10 && !ac2) VersionError("old", data, size);
  const int n = (data[4] & 0x0F) * 10 + (data[5] & 0x0F);
  if (ac2) {
    if (n == 10 || n == 21 || n == 22) return acR09;
    VersionError("old", data, size);
  }
  switch (n) {
    case 0: VersionError("old", data, size);
    case 1: case 2: case 3: case 4: return acR09;
    case 6: return acR10;
    case 9: return acR12;
    case 12: return acR13;
    case 13: case 14: return acR14;
    case 15: return acR2000;
    case 18: return acR2004;
    case 21: return acR2007;
    case 24: return acR2010;
    case 27: return acR2013;
    default: VersionError("new", data, size);
  }
}

void TdwgFileImage::Open(const uint8_t* data, size_t size, TvxDWGVersion version) {
  if (version >= acR2004) {
    std::vector<uint8_t> none;
    Open(data, size, version, none);
  } else {
    Open(std::vector<uint8_t>(data, data + size), version);
  }
}

void TdwgFileImage::Open(std::vector<uint8_t>&& file, TvxDWGVersion version) {
  if (version >= acR2004) {
    Open(file.data(), file.size(), version, file);
    return;
  }
  std::vector<uint8_t> owned = std::move(file);
  Open(owned.data(), owned.size(), version, owned);
}

void TdwgFileImage::Open(const uint8_t* data, size_t size, TvxDWGVersion version, std::vector<uint8_t>& owned) {
  Version = version;
  Locators.clear();
  if (size < 25) throw EdwgError(cnstDWGHeaderCorrupted);
  PreviewAddress = U32(data + 0x0D);
  CodePage = DWGCodePage(uint16_t(data[0x13] | (data[0x14] << 8)));
  uint32_t count = U32(data + 0x15);
  if (version >= acR2004) {
    if (count >> 24) throw EdwgError(cnstDWGEncrypted);
    count = 0;
    if (size < 0x2C) throw EdwgError(cnstDWGHeaderCorrupted);
    Metadata.ReleaseVersion = data[0x0B];
    Metadata.PreviewAddress = U32(data + 0x0D);
    Metadata.OrigFileSavedVer = data[0x11];
    Metadata.OrigFileSavedReleaseVer = data[0x12];
    Metadata.CodePage = uint16_t(data[0x13] | (data[0x14] << 8));
    Metadata.SecurityFlags = U32(data + 0x18);
    Metadata.SummaryInfoAddress = U32(data + 0x20);
    Metadata.VBAProjectAddress = U32(data + 0x24);
    TdwgFlattened flat = version == acR2007 ? FlattenDWG2007(data, size) : FlattenDWG2004(data, size, version);
    Image = std::move(flat.Image);
    DroppedSections = std::move(flat.DroppedSections);
    CorrectedBytes = flat.CorrectedBytes;
    FailedPages = flat.FailedPages;
    count = uint32_t(flat.LocatorCount);
  } else {
    if (count > (size - 25) / 9) throw EdwgError(cnstDWGHeaderCorrupted);
    if (owned.data() == data) Image = std::move(owned);
    else Image.assign(data, data + size);
  }
  for (uint32_t i = 0; i < count; ++i) {
    const uint8_t* rec = Image.data() + 25 + 9 * i;
    Locators.push_back({rec[0], U32(rec + 1), U32(rec + 5)});
  }
}

const TdwgLocator* TdwgFileImage::Find(int number) const {
  for (const TdwgLocator& l : Locators)
    if (l.Number == number) return &l;
  return nullptr;
}

TvxBitCursor TdwgFileImage::Section(const TdwgLocator& loc) const {
  if (uint64_t(loc.Offset) + loc.Size > Image.size()) throw EdwgError(cnstDWGHeaderCorrupted);
  return TvxBitCursor(Image.data() + loc.Offset, loc.Size);
}

}  // namespace vx
