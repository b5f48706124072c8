// The object map and the class list on hand-made sections.
#include "dwg/dwg_bit_writer.h"
#include "dwg/dwg_test_files.h"
#include "readers/dwg/vxDWGFile.h"
#include "readers/dwg/vxDWGClasses.h"
#include "readers/dwg/vxDWGObjectMap.h"

#include <gtest/gtest.h>

using namespace vx;
using vx::test::TBitWriter;

namespace {

// One page: the size (most significant byte first, counting itself), the (handle, location)
// increments, a CRC that is not checked.
void Page(TBitWriter& w, const std::vector<std::pair<unsigned, int>>& entries) {
  TBitWriter body;
  for (auto [dh, dl] : entries) {
    body.RC(dh);  // UMC below 128
    // MC: sign in bit 0x40 of the last byte.
    const unsigned mag = unsigned(dl < 0 ? -dl : dl);
    if (mag < 64) body.RC(mag | (dl < 0 ? 0x40 : 0));
    else body.RC(0x80 | (mag & 0x7F)).RC((mag >> 7) | (dl < 0 ? 0x40 : 0));
  }
  const unsigned size = unsigned(body.Bytes.size()) + 2;
  w.RC(size >> 8).RC(size & 0xFF);
  for (uint8_t b : body.Bytes) w.RC(b);
  w.RS(0);
}

}  // namespace

TEST(DWGObjectMap, PagesIncrementsDuplicatesAndTheEnd) {
  TBitWriter w;
  Page(w, {{1, 100}, {2, 300}, {1, -50}});  // handles 1, 3, 4 at 100, 400, 350
  Page(w, {{3, 1000}, {0, 20}});            // increments start again: 3 at 1000 and again at 1020
  w.RC(0).RC(2).RS(0);                      // a page of size 2 ends the map
  Page(w, {{9, 9}});                        // never read
  const std::vector<uint8_t> bytes = w.Padded(8);
  TvxObjectsMap map;
  map.Read(TvxBitCursor(bytes.data(), bytes.size()), 5);
  ASSERT_EQ(map.Size(), 5u);
  EXPECT_EQ(map.GetCount(), 4);
  const struct { uint64_t Handle, Location; } want[] = {{1, 105}, {3, 405}, {3, 1005}, {3, 1025}, {4, 355}};
  for (size_t i = 0; i < 5; ++i) {
    EXPECT_EQ(map[i].Handle, want[i].Handle) << i;
    EXPECT_EQ(map[i].Location, want[i].Location) << i;
  }
  EXPECT_EQ(map.IndexOfHandle(4), 4);
  EXPECT_EQ(map[size_t(map.IndexOfHandle(3))].Handle, 3u);  // one of the duplicates
  EXPECT_EQ(map.IndexOfHandle(9), -1);
  // A page that claims more than the section holds ends the map too.
  TBitWriter cut;
  cut.RC(0x10).RC(0x00).RC(1).RC(1);
  const std::vector<uint8_t> cb = cut.Padded(4);
  TvxObjectsMap none;
  none.Read(TvxBitCursor(cb.data(), cb.size()), 0);
  EXPECT_EQ(none.Size(), 0u);
}

TEST(DWGClasses, CodesOfClassNames) {
  const struct { const char* Name; int Code; } cases[] = {
      {"LWPOLYLINE", 77}, {"hatch", 78}, {"IMAGE", 54}, {"ACAD_TABLE", 84}, {"SWEPTSURFACE", 88},
      {"ACDB_TEXTOBJECTCONTEXTDATA_CLASS", 97}, {"SPATIAL_FILTER", 98}, {"MULTILEADER", 0}, {"", 0}};
  for (const auto& k : cases) EXPECT_EQ(DWGClassCode(k.Name), k.Code) << k.Name;
}


TEST(DWGClasses, ClassListsOf2004And2010Files) {
  // Five BL end each 2004+ record, and 2007+ texts come from the string stream found by the stored
  // bit size: otherwise the classes after the first big one decode as garbage.
  const struct { unsigned Number; const char* Dxf; int Code; } want[] = {
      {502, "LAYOUT", 82},   {504, "TABLESTYLE", 90}, {517, "MESH", 94},        {518, "SORTENTSTABLE", 58},
      {520, "WIPEOUT", 85},  {523, "ACAD_TABLE", 84}, {526, "MULTILEADER", 83}, {528, "IMAGEDEF", 55},
      {530, "IMAGE", 54},    {531, "DBCOLOR", 89},    {543, "PDFUNDERLAY", 83}, {544, "SPATIAL_FILTER", 98}};
  int seen = 0;
  for (const char* name : {"same-drawing/sample_AC1018.dwg", "same-drawing/sample_AC1024.dwg",
                           "same-drawing/sample_AC1027.dwg"}) {
    const std::vector<uint8_t> file = vx::test::ReadCorpusFile(name);
    if (file.empty()) continue;
    ++seen;
    SCOPED_TRACE(name);
    const TvxDWGVersion v = DWGVersionOfMagic(file.data(), file.size());
    TdwgFileImage img;
    img.Open(file.data(), file.size(), v);
    TdwgClasses classes;
    classes.Read(img.Section(*img.Find(1)), v, img.Metadata.ReleaseVersion, img.CodePage);
    ASSERT_GE(classes.List().size(), 50u);
    EXPECT_EQ(classes.List().front().CppName, "AcDbDictionaryWithDefault");
    for (size_t i = 0; i < classes.List().size(); ++i) EXPECT_EQ(classes.List()[i].Number, int(500 + i));
    for (const auto& k : want) {
      const TdwgClass& c = classes.List()[k.Number - 500];
      EXPECT_EQ(c.DxfName, k.Dxf);
      EXPECT_EQ(classes.CodeOf(k.Number), k.Code) << k.Dxf;
    }
    EXPECT_EQ(classes.NumberOf("acdbrasterimage"), 530);  // names compare without regard to case
    EXPECT_EQ(classes.NumberOf("AcDbMLeader"), -1);  // a proxy has no class entry of its own
  }
  if (!seen) GTEST_SKIP() << "no corpus DWG files (set VX_CORPUS)";
}
