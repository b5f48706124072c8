// Extended data of DXF records: the 1001 blocks, their items and their filing under the
// application's APPID entry for the record's handle; hyperlinks; the corpus against ezdxf.
#include "test_dxf_load_fixture.h"

#include "database/core/vxNames.h"
#include "database/extdata/vxExtData.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <sstream>

using namespace vx;
using namespace vx::dxftest;

namespace {

uint64_t AppHandle(TvxDXFConverter* conv, const std::string& name) {
  TvxDXFTable* apps = conv->AppIDs();
  TvxDXFEntity* app = apps ? apps->FindEntByName(name) : nullptr;
  return app ? app->GetHandle() : 0;
}

TvxCADExtendedData* EED(TvxDXFConverter* conv, uint64_t handle, const std::string& app) {
  const uint64_t h = AppHandle(conv, app);
  return h ? conv->EntityEEDItems().Find(handle, h) : nullptr;
}

std::string Codes(const TvxCADExtendedData& d) {
  std::string s;
  for (int i = 1; i < d.DataCount(); ++i) s += (s.empty() ? "" : " ") + std::to_string(d.DataCode(i));
  return s;
}

}  // namespace

TEST(DXFExtendedData, BlocksAreFiledPerApplicationWithTheirTypes) {
  Drawing d;
  d.Load(Entities({{0, "LINE"},    {5, "40"},     {8, "Walls"},    {10, "0"},      {20, "0"},
                   {11, "1"},      {21, "1"},     {1001, "ACAD"},  {1000, "text"}, {1010, "1"},
                   {1020, "2"},    {1040, "3.5"}, {1070, "7"},     {1071, "70000"}, {1005, "1F"},
                   {1004, "0AFF"}, {8, "Stray"},  {1002, "{"},     {1011, "4"},    {1021, "5"},
                   {1031, "6"},    {1030, "9"},   {1001, "MYAPP"}, {1000, "x"},    {1001, "ACAD"},
                   {1000, "dup"},  {0, "LINE"},   {5, "41"},       {10, "0"},      {20, "0"},
                   {11, "1"},      {21, "1"}}));
  ASSERT_EQ(d.Error, "");
  ASSERT_EQ(d.Count(), 2);
  // A pair of another code inside extended data is not the record's.
  EXPECT_EQ(d.Ent(0)->GetLayer()->GetName(), "Walls");
  TvxCADExtendedData* acad = EED(d.Conv, 0x40, "ACAD");
  ASSERT_NE(acad, nullptr);
  EXPECT_TRUE(acad->IsEqualName("ACAD"));
  // The second ACAD block is dropped whole; the 1030 after a closed point is ignored.
  EXPECT_EQ(Codes(*acad), "1000 1010 1040 1070 1071 1005 1004 1002 1011");
  EXPECT_EQ(acad->DataString(1), "text");
  EXPECT_EQ(acad->DataPoint(2), (TFPoint{1, 2, 0}));  // no 1030: Z = 0
  EXPECT_DOUBLE_EQ(acad->DataDouble(3), 3.5);
  EXPECT_EQ(acad->DataType(4), edtInt16);
  EXPECT_EQ(acad->DataInt(5), 70000);
  EXPECT_EQ(acad->DataInt64(6), 0x1F);
  EXPECT_EQ(acad->DataBinary(7), std::string("\x0A\xFF", 2));
  EXPECT_EQ(acad->DataPoint(9), (TFPoint{4, 5, 6}));
  TvxCADExtendedData* mine = EED(d.Conv, 0x40, "MYAPP");
  ASSERT_NE(mine, nullptr);
  EXPECT_EQ(mine->DataString(1), "x");
  // The application got an APPID entry; the other line has no data.
  EXPECT_NE(AppHandle(d.Conv, "MYAPP"), 0u);
  EXPECT_EQ(d.Conv->EntityEEDItems().Items(0x41), nullptr);
  EXPECT_EQ(d.Conv->EntityEEDItems().EntityCount(), 1u);
}

TEST(DXFExtendedData, ManyBlocksOnOneRecordAreALoop) {
  // A flood of 1001 pairs: one block after another, never nested calls; the repeats of one
  // application are dropped (and freed).
  Pairs p{{0, "POINT"}, {5, "50"}, {10, "1"}, {20, "1"}};
  for (int i = 0; i < 100000; ++i) {
    p.push_back({1001, i % 2 ? "ODD" : "EVEN"});
    p.push_back({1070, std::to_string(i % 1000)});
  }
  Drawing d;
  d.Load(Entities(p));
  ASSERT_EQ(d.Error, "");
  ASSERT_EQ(d.Count(), 1);
  TvxCADExtendedData* even = EED(d.Conv, 0x50, "EVEN");
  TvxCADExtendedData* odd = EED(d.Conv, 0x50, "ODD");
  ASSERT_TRUE(even && odd);
  EXPECT_EQ(even->DataCount(), 2);
  EXPECT_EQ(odd->DataInt16(1), 1);
}

TEST(DXFExtendedData, HyperLinks) {
  struct Case {
    Pairs Url;
    std::string Want;
  };
  const Case cases[] = {
      {{{1001, "PE_URL"}, {1000, "http://x.org"}, {1002, "{"}, {1000, "Door"}, {1002, "{"}, {1071, "1"},
        {1002, "}"}, {1002, "}"}},
       "Door#http://x.org"},
      // Written without "#": both texts hold the link.
      {{{1001, "PE_URL"}, {1000, "http://x.org"}, {1002, "{"}, {1000, "http://x.org"}, {1002, "}"}},
       "http://x.org"},
      // One text alone keeps the link.
      {{{1001, "pe_url"}, {1000, "http://only"}}, "http://only"},
      {{{1001, "ACAD"}, {1000, "not a link"}}, ""},
  };
  for (const char* kind : {"LINE", "TEXT", "INSERT"}) {
    for (const Case& c : cases) {
      Pairs p{{0, kind}, {5, "60"}, {2, "B"}, {1, "t"}, {10, "0"}, {20, "0"}, {11, "1"}, {21, "0"}};
      p.insert(p.end(), c.Url.begin(), c.Url.end());
      Drawing d;
      d.Load(WithEOF(Join({Section("BLOCKS", {{0, "BLOCK"}, {2, "B"}, {70, "0"}, {10, "0"}, {20, "0"},
                                              {0, "LINE"}, {10, "0"}, {20, "0"}, {11, "1"}, {21, "1"},
                                              {0, "ENDBLK"}}),
                           Section("ENTITIES", p)})));
      ASSERT_EQ(d.Count(), 1) << kind;
      EXPECT_EQ(d.Ent(0)->GetHyperLink(), c.Want) << kind << " " << c.Want;
    }
  }
}

TEST(DXFExtendedData, CorpusMatchesEzdxf) {
  const fs::path corpus = Corpus();
  if (corpus.empty()) GTEST_SKIP() << "corpus not found (VX_CORPUS)";
  if (std::system("/usr/bin/python3 -c 'import ezdxf' >/dev/null 2>&1") != 0) GTEST_SKIP() << "no ezdxf";
  const fs::path script = fs::path(vx::test::SourceDir()) / "tests/dxf/ezdxf_xdata.py";
  // Records whose items this library keeps: each of their blocks must be found here too.
  const std::set<std::string> kept = {"LINE", "ARC",    "CIRCLE", "MTEXT",        "TEXT",  "INSERT", "LAYER",
                                      "STYLE", "HATCH", "ATTDEF", "ATTRIB", "BLOCK_RECORD", "LTYPE"};
  for (const char* name : {"ezdxf/xclip.dxf", "ezdxf/wipeout_door.dxf", "ezdxf/colors.dxf",
                           "same-drawing/sample_AC1015_ascii.dxf"}) {
    const fs::path file = corpus / name;
    ASSERT_TRUE(fs::exists(file)) << file;
    const std::string cmd = "/usr/bin/python3 '" + script.string() + "' '" + file.string() + "'";
    FILE* pipe = popen(cmd.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string out;
    char buf[4096];
    while (size_t n = fread(buf, 1, sizeof buf, pipe)) out.append(buf, n);
    ASSERT_EQ(pclose(pipe), 0) << cmd;

    Drawing d;
    d.Load(ReadFile(file));
    ASSERT_EQ(d.Error, "") << name;
    std::set<std::pair<uint64_t, std::string>> reference;
    int checked = 0;
    std::istringstream lines(out);
    for (std::string line; std::getline(lines, line);) {
      std::vector<std::string> f;
      std::istringstream fields(line);
      for (std::string s; std::getline(fields, s, '\t');) f.push_back(s);
      ASSERT_GE(f.size(), 4u) << line;
      if (f.size() == 4) f.push_back("");
      const uint64_t handle = std::stoull(f[1], nullptr, 16);
      reference.insert({handle, FoldName(f[3])});
      if (!kept.count(f[2])) continue;
      TvxCADExtendedData* data = EED(d.Conv, handle, f[3]);
      ASSERT_NE(data, nullptr) << name << " " << f[2] << " " << f[1] << " " << f[3];
      EXPECT_EQ(Codes(*data), f[4]) << name << " " << f[2] << " " << f[1] << " " << f[3];
      ++checked;
    }
    EXPECT_GT(checked, 0) << name;
    // Nothing is filed that the file does not hold, nor under another application or record.
    std::map<uint64_t, std::string> appNames;
    for (int i = 0; d.Conv->AppIDs() && i < d.Conv->AppIDs()->Count(); ++i)
      if (TvxDXFEntity* a = d.Conv->AppIDs()->GetEntity(i)) appNames[a->GetHandle()] = FoldName(a->GetName());
    for (const auto& [handle, items] : d.Conv->EntityEEDItems())
      for (int i = 0; i < items.Count(); ++i)
        EXPECT_TRUE(reference.count({handle, appNames[items.AppHandle(i)]}))
            << name << " " << std::hex << handle << " " << appNames[items.AppHandle(i)];
  }
}
