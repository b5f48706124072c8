// Flattening of DWG 2007 files: header, page map, section map, data pages.
#include "readers/dwg/paged/vxDWG2007.h"

#include "readers/dwg/paged/vxRSCoder.h"
#include "readers/dwg/stream/vxDWGCursor.h"
#include "readers/dwg/stream/vxDWGText.h"

#include <algorithm>
#include <cstring>
#include <map>

namespace vx {

namespace {

[[noreturn]] void Corrupted() { throw EdwgError(cnstDWGHeaderCorrupted); }

int64_t I64(const uint8_t* p) { return int64_t(LoadLE64(p)); }
int32_t I32(const uint8_t* p) { return int32_t(LoadLE32(p)); }

constexpr size_t cnstHeaderSize = 0x110;
constexpr uint64_t cnstPageBase = 0x480;

struct TPage {
  uint64_t Offset = 0;
  uint64_t Size = 0;
};

class TFlattener2007 {
 public:
  TFlattener2007(const uint8_t* file, size_t size) : FFile(file), FSize(size) {}
  TdwgFlattened Run();

 private:
  void ReadHeader();
  std::vector<uint8_t> ReadSystemPage(uint64_t offset, uint64_t comp, uint64_t uncomp, uint64_t factor);
  void ReadPageMap();
  void ReadSectionMap(TdwgSectionBodies& bodies);
  void ReadDataPage(std::vector<uint8_t>& body, const uint8_t* rec, bool encoded);
  uint64_t Limit() const { return 128 * uint64_t(FSize) + (1u << 24); }
  uint64_t Field(size_t at) const { return uint64_t(I64(FHeader + at)); }

  const uint8_t* FFile;
  size_t FSize;
  uint8_t FHeader[cnstHeaderSize] = {};
  std::map<uint64_t, TPage> FPages;
  TvxDWG2007Decompressor FDecompressor;
  size_t FCorrected = 0;
  size_t FFailedPages = 0;
};

void TFlattener2007::ReadHeader() {
  if (FSize < 0x80) Corrupted();
  const size_t avail = std::min<size_t>(0x400, FSize - 0x80);
  const std::vector<uint8_t> data = DWGDecodeInterleaved(DWGHeaderCoder(), FFile + 0x80, avail, 3, 3 * 239, &FCorrected);
  const int32_t length = I32(data.data() + 0x18);
  if (length > int32_t(cnstHeaderSize)) throw EdwgError(cnstDWG2007HeaderError);
  const size_t room = data.size() - 0x20;
  if (length < 0) {
    // A stored header: its bytes follow as they are.
    const size_t n = std::min<size_t>({size_t(-int64_t(length)), cnstHeaderSize, room});
    std::memcpy(FHeader, data.data() + 0x20, n);
    return;
  }
  if (length == 0) throw EdwgError(cnstDWG2007HeaderError);
  try {
    FDecompressor.Decompress(data.data() + 0x20, std::min<size_t>(size_t(length), room), cnstHeaderSize, FHeader);
  } catch (const TvxDWGCompressorError&) {
    throw EdwgError(cnstDWG2007HeaderError);
  }
}

std::vector<uint8_t> TFlattener2007::ReadSystemPage(uint64_t offset, uint64_t comp, uint64_t uncomp,
                                                    uint64_t factor) {
  if (factor == 0 || factor > 256 || comp == 0 || comp > FSize || uncomp == 0 || uncomp > Limit())
    Corrupted();
  const uint64_t a = ((comp + 7) & ~uint64_t(7)) * factor;
  const uint64_t blocks = (a + 238) / 239;
  const uint64_t readSize = (blocks * 255 + 255) & ~uint64_t(255);
  if (offset > FSize || cnstPageBase > FSize - offset) Corrupted();
  const uint64_t at = offset + cnstPageBase;
  const size_t avail = size_t(std::min<uint64_t>(readSize, FSize - at));
  if (avail < blocks * 255 && blocks * 255 - avail >= 255) Corrupted();  // whole blocks are missing
  const std::vector<uint8_t> data = DWGDecodeInterleaved(DWGHeaderCoder(), FFile + at, avail, size_t(blocks), size_t(a), &FCorrected);
  if (data.size() < comp) Corrupted();
  std::vector<uint8_t> out(size_t(uncomp), 0);
  size_t n;
  try {
    n = FDecompressor.Decompress(data.data(), size_t(comp), out.size(), out.data());
  } catch (const TvxDWGCompressorError&) {
    Corrupted();
  }
  out.resize(n);
  return out;
}

void TFlattener2007::ReadPageMap() {
  const std::vector<uint8_t> map = ReadSystemPage(Field(0x38), Field(0x50), Field(0x58), Field(0x18));
  const uint64_t highest = Field(0x68);
  uint64_t offset = 0;
  for (size_t i = 0; i + 16 <= map.size(); i += 16) {
    const int64_t size = I64(map.data() + i);
    const int64_t id = I64(map.data() + i + 8);
    if (id == INT64_MIN || size < 0) continue;
    const uint64_t index = uint64_t(id < 0 ? -id : id);
    if (index > highest) continue;
    FPages[index] = {offset, uint64_t(size)};
    offset += uint64_t(size);
  }
}

void TFlattener2007::ReadDataPage(std::vector<uint8_t>& body, const uint8_t* rec, bool encoded) {
  const int64_t id = I64(rec + 16);
  const uint64_t uncomp = uint64_t(I64(rec + 24));
  const uint64_t comp = uint64_t(I64(rec + 32));
  if (uncomp > Limit() || body.size() + uncomp > Limit()) Corrupted();
  // The page takes its slot first: a failure below leaves it zero-filled.
  const size_t start = body.size();
  body.resize(start + size_t(uncomp), 0);
  auto it = FPages.find(uint64_t(id < 0 ? -id : id));
  if (it == FPages.end()) Corrupted();
  const TPage& page = it->second;
  if (page.Offset > FSize || cnstPageBase > FSize - page.Offset ||
      page.Size > FSize - page.Offset - cnstPageBase)
    Corrupted();
  const uint8_t* p = FFile + page.Offset + cnstPageBase;
  std::vector<uint8_t> decoded;
  size_t avail = size_t(page.Size);
  if (encoded) {
    const uint64_t blocks = (((comp + 7) & ~uint64_t(7)) + 250) / 251;
    if (blocks * 255 > avail + 254) Corrupted();
    decoded = DWGDecodeInterleaved(DWGPageCoder(), p, avail, size_t(blocks), size_t(blocks * 251), &FCorrected);
    p = decoded.data();
    avail = decoded.size();
  }
  if (comp > avail) Corrupted();
  if (uncomp == 0) return;
  if (comp == uncomp) std::memcpy(body.data() + start, p, size_t(comp));
  else FDecompressor.Decompress(p, size_t(comp), size_t(uncomp), body.data() + start);
}

void TFlattener2007::ReadSectionMap(TdwgSectionBodies& bodies) {
  auto it = FPages.find(Field(0xC0));
  if (it == FPages.end()) Corrupted();
  const std::vector<uint8_t> map =
      ReadSystemPage(it->second.Offset, Field(0xB0), Field(0xC8), Field(0xD8));
  const uint64_t highest = Field(0x68);
  size_t at = 0;
  while (at + 64 <= map.size()) {
    const uint8_t* rec = map.data() + at;
    const uint64_t dataSize = uint64_t(I64(rec));
    const int64_t nameLength = I64(rec + 32);
    const int64_t encoding = I64(rec + 48);
    const int64_t pageCount = I64(rec + 56);
    at += 64;
    if (nameLength < 0 || uint64_t(nameLength) > map.size() - at) break;
    std::string name;
    AppendUTF16(name, map.data() + at, size_t(nameLength) / 2);
    while (!name.empty() && name.back() == 0) name.pop_back();
    at += size_t(nameLength);
    if (pageCount <= 0) continue;
    if (uint64_t(pageCount) > highest + 1 || uint64_t(pageCount) > (map.size() - at) / 56) break;
    const uint8_t* pages = map.data() + at;
    at += size_t(pageCount) * 56;
    const int locator = DWGSectionLocator(name);
    if (locator < 0 || locator > 5) continue;
    std::vector<uint8_t> body;
    for (int64_t k = 0; k < pageCount; ++k) {
      try {
        ReadDataPage(body, pages + 56 * k, encoding == 4);
      } catch (const EdwgBaseError&) {
        // The page keeps its zero-filled slot when it got one; the next page is tried.
        ++FFailedPages;
      }
    }
    if (body.size() > dataSize) body.resize(size_t(dataSize));
    if (body.empty()) continue;
    bodies.Body[locator] = std::move(body);
    bodies.Present[locator] = true;
  }
}

TdwgFlattened TFlattener2007::Run() {
  ReadHeader();
  ReadPageMap();
  TdwgSectionBodies bodies;
  ReadSectionMap(bodies);
  char magic[7] = {};
  std::memcpy(magic, FFile, 6);
  TdwgFlattened out = BuildFlatImage(magic, bodies);
  out.CorrectedBytes = FCorrected;
  out.FailedPages = FFailedPages;
  return out;
}

}  // namespace

TdwgFlattened FlattenDWG2007(const uint8_t* file, size_t size) { return TFlattener2007(file, size).Run(); }

}  // namespace vx
