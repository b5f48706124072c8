// The data-segment file of 2013 drawings: a real one, and hand-built ones for blobs and damage.
#include "dwg/dwg_load_fixture.h"
#include "dwg/dwg_test_files.h"
#include "readers/dwg/paged/vxDWGPaged.h"
#include "readers/dwg/vxDataSegFile.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

using namespace vx;
using namespace vx::test;

namespace {

// A little-endian byte builder.
struct TBytes {
  std::vector<uint8_t> B;
  size_t Size() const { return B.size(); }
  void U32At(size_t at, uint32_t v) {
    if (B.size() < at + 4) B.resize(at + 4);
    for (int i = 0; i < 4; ++i) B[at + i] = uint8_t(v >> (8 * i));
  }
  void U64At(size_t at, uint64_t v) {
    U32At(at, uint32_t(v));
    U32At(at + 4, uint32_t(v >> 32));
  }
  void BytesAt(size_t at, const void* p, size_t n) {
    if (B.size() < at + n) B.resize(at + n);
    std::memcpy(B.data() + at, p, n);
  }
  // A 48-byte segment header.
  void SegmentAt(size_t at, const char* name, uint32_t index, uint32_t size, uint32_t objAlign = 0) {
    if (B.size() < at + 48) B.resize(at + 48);
    B[at] = 0xAC;
    B[at + 1] = 0xD5;
    std::memcpy(B.data() + at + 2, name, 6);
    U32At(at + 8, index);
    U32At(at + 16, size);
    U32At(at + 36, objAlign);
    std::memset(B.data() + at + 40, 0x55, 8);
  }
};

const uint8_t cnstPNG[12] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13};

// Segments: 1 segidx (at 0x100), 2 datidx (0x200), 3 _data_ (0x400), 4 blob01 (0x800).
// Entries of the data segment (handle: what it holds): 0x30 a PNG, 0x10 the bare text "PNG",
// 0x20 a size past the segment, 0x40 a one-page blob, 0x50 a two-page blob, 0x60 an entry header
// outside its segment.
std::vector<uint8_t> HandBuiltFile() {
  TBytes f;
  f.BytesAt(0, "jard", 4);
  f.U32At(24, 0x100);  // SegIdxOffset
  f.U32At(32, 5);      // SegIdxEntryCount
  f.U32At(40, 2);      // DatIdxIndex
  f.SegmentAt(0x100, "segidx", 1, 0x100);
  const uint64_t offsets[] = {0, 0x100, 0x200, 0x400, 0x800};
  for (int i = 0; i < 5; ++i) {
    f.U64At(0x130 + 12 * i, offsets[i]);
    f.U32At(0x130 + 12 * i + 8, 0x100);
  }
  f.SegmentAt(0x200, "datidx", 2, 0x100);
  const uint32_t local[] = {0, 20, 40, 60, 80, 0x300};
  f.U32At(0x230, 7);
  f.U32At(0x238, 0);  // an entry of segment 0: dropped
  for (int i = 0; i < 6; ++i) {
    f.U32At(0x244 + 12 * i, 3);
    f.U32At(0x244 + 12 * i + 4, local[i]);
  }
  const uint32_t dataSize = 0x300;
  f.SegmentAt(0x400, "_data_", 3, dataSize, 11);  // data from 0x400 + 176
  const uint64_t handles[] = {0x30, 0x10, 0x20, 0x40, 0x50, 0x60};
  const uint32_t dataAt[] = {0, 32, 48, 64, 128, 0};
  for (int i = 0; i < 6; ++i) {
    const size_t h = 0x430 + local[i];
    if (h + 20 > 0x400 + dataSize) continue;
    f.U32At(h, 20);
    f.U32At(h + 4, 1);
    f.U64At(h + 8, handles[i]);
    f.U32At(h + 16, dataAt[i]);
  }
  const size_t data = 0x400 + 176;
  f.U32At(data, sizeof cnstPNG);
  f.BytesAt(data + 4, cnstPNG, sizeof cnstPNG);
  f.U32At(data + 32, 3);
  f.BytesAt(data + 36, "PNG", 3);
  f.U32At(data + 48, 0x1000);
  for (uint32_t at : {64u, 128u}) {
    f.U32At(data + at, 0xBB106BB1);
    f.U64At(data + at + 4, 10);
    f.U32At(data + at + 12, at == 64 ? 1 : 2);  // PageCount
    f.U32At(data + at + 36, 4);                  // the page's segment
    f.U32At(data + at + 40, 10);
  }
  f.SegmentAt(0x800, "blob01", 4, 0x100);
  f.U64At(0x830, 10);
  f.U32At(0x830 + 20, 1);
  f.U64At(0x830 + 24, 15);
  f.BytesAt(0x850, "ACIS BinaryFile", 15);
  f.B.resize(0x900);
  return f.B;
}

std::string ReadError(const std::vector<uint8_t>& bytes) {
  try {
    TvxSegmentedFile::CreateFromMemory(nullptr, bytes.size(), bytes.data())->ReadFile();
  } catch (const TvxDataSegFileError& e) {
    return e.what();
  }
  return "";
}

}  // namespace

TEST(DWGDataSegment, TheDrawingsSolidsAndPicturesByHandle) {
  VX_NEED_CORPUS_FILE(file, "same-drawing/sample_AC1027.dwg");
  const TdwgFlattened flat = FlattenDWG2004(file.data(), file.size(), acR2013);
  ASSERT_EQ(flat.LocatorCount, 7);
  const uint8_t* rec = flat.Image.data() + cnstFlatLocatorOffset + 9 * 6;
  uint32_t at, size;
  std::memcpy(&at, rec + 1, 4);
  std::memcpy(&size, rec + 5, 4);
  auto seg = TvxSegmentedFile::CreateFromMemory(nullptr, size, flat.Image.data() + at);
  seg->ReadFile();
  EXPECT_EQ(seg->Header().FileSize, size);
  EXPECT_EQ(seg->SegIdxSegment().size(), seg->Header().SegIdxEntryCount);
  ASSERT_EQ(seg->DataEntryCount(), 8);
  int png = 0, acis = 0;
  for (int i = 0; i < seg->DataEntryCount(); ++i) {
    const TvxDataSegmentEntry& e = seg->GetDataEntry(i);
    ASSERT_NE(e.Data, nullptr);
    EXPECT_EQ(seg->IndexOf(e.Header.Handle), i);
    png += e.EntryType == etPNG;
    acis += e.EntryType == etACISBin;
  }
  EXPECT_EQ(png, 5);
  EXPECT_EQ(acis, 3);
  EXPECT_EQ(seg->IndexOf(0xD65) >= 0 ? seg->GetDataEntry(seg->IndexOf(0xD65)).EntryType : etUnknown, etACISBin);
  EXPECT_EQ(seg->IndexOf(0x12345), -1);
  EXPECT_EQ(seg->GetDataEntry(-1).Data, nullptr);
  EXPECT_EQ(seg->GetDataEntry(8).Data, nullptr);

  // The reader keeps it while the drawing loads.
  TvxDWGLoadResult r;
  LoadDWGBytes(file, nullptr, &r);
  EXPECT_EQ(r.Stats.DataSegmentEntries, 8);

  // Cut anywhere, it reads what lies before the cut.
  for (uint32_t cut = 1; cut < size; cut += 97) {
    auto part = TvxSegmentedFile::CreateFromMemory(nullptr, cut, flat.Image.data() + at);
    EXPECT_NO_THROW(part->ReadFile());
    EXPECT_LE(part->DataEntryCount(), 8);
  }
}

TEST(DWGDataSegment, EntriesBlobsAndDamage) {
  const std::vector<uint8_t> bytes = HandBuiltFile();
  auto seg = TvxSegmentedFile::CreateFromMemory(nullptr, bytes.size(), bytes.data());
  seg->ReadFile();
  ASSERT_EQ(seg->SegIdxSegment().size(), 5u);
  EXPECT_EQ(seg->SegIdxSegment()[3].SegIdxType, stData);
  EXPECT_EQ(seg->SegIdxSegment()[4].SegIdxType, stBlob01);
  EXPECT_EQ(seg->DatIdxSegment().size(), 6u);
  // The header outside its segment is left out; the others are sorted by handle.
  ASSERT_EQ(seg->DataEntryCount(), 5);
  const struct {
    uint64_t Handle;
    TvxDSDataEntryType Type;
    uint32_t Size;
  } cases[] = {
      {0x10, etUnknown, 3},                 // "PNG" alone is no picture
      {0x20, etUnknown, 0},                 // its size runs past the segment: no data
      {0x30, etPNG, sizeof cnstPNG},        // the 8-byte signature
      {0x40, etACISBin, 15},                // a blob of one page, from the blob segment
      {0x50, etUnknown, 0},                 // two pages: not put together
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Handle);
    const int i = seg->IndexOf(c.Handle);
    ASSERT_GE(i, 0);
    const TvxDataSegmentEntry& e = seg->GetDataEntry(i);
    EXPECT_EQ(e.EntryType, c.Type);
    EXPECT_EQ(e.DataSize, c.Size);
    EXPECT_EQ(e.Data != nullptr, c.Size != 0);
  }
  EXPECT_EQ(seg->GetDataEntry(seg->IndexOf(0x50)).BlobReference.PageCount, 2u);
  EXPECT_EQ(seg->IndexOf(0x60), -1);

  try {
    seg->SegIdxEntry(5);
    ADD_FAILURE();
  } catch (const TvxDataSegFileError& e) {
    EXPECT_STREQ(e.what(), "Segment index is invalid");
  }
  EXPECT_EQ(ReadError({}), "Data segment file in not initialized");
  // A damaged alignment of the segment index: nothing is read, nothing fails.
  std::vector<uint8_t> bad = bytes;
  bad[0x100 + 44] = 0;
  EXPECT_EQ(ReadError(bad), "");
  auto none = TvxSegmentedFile::CreateFromMemory(nullptr, bad.size(), bad.data());
  none->ReadFile();
  EXPECT_EQ(none->DataEntryCount(), 0);
  // Offsets and counts pointing anywhere stay inside the bytes (the sanitizers watch).
  for (size_t i = 0; i < bytes.size(); i += 3) {
    std::vector<uint8_t> m = bytes;
    m[i] ^= 0xFF;
    EXPECT_EQ(ReadError(m), "") << i;
  }
}
