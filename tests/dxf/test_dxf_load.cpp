// Loading whole files: the section driver, the steps after reading, damaged and hostile input,
// stopping, and real files (VX_CORPUS, the librecad library) against an independent reader.
#include "test_dxf_load_fixture.h"
#include "support/vxTestPaths.h"

#include "database/blocks/vxXRefs.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <sstream>

using namespace vx;
using namespace vx::dxftest;

namespace {

Pairs SmallDrawing() {
  return WithEOF(Join({
      Section("HEADER", {{9, "$ACADVER"}, {1, "AC1015"}, {9, "$HANDSEED"}, {5, "100"}}),
      Section("TABLES", {{0, "TABLE"}, {2, "LAYER"}, {0, "LAYER"}, {2, "A"}, {62, "1"}, {0, "ENDTAB"},
                         {0, "TABLE"}, {2, "BLOCK_RECORD"}, {0, "BLOCK_RECORD"}, {5, "1A"}, {2, "B1"},
                         {0, "ENDTAB"}}),
      Section("BLOCKS", {{0, "BLOCK"}, {330, "1A"}, {2, "B1"}, {0, "LINE"}, {11, "1"}, {0, "ENDBLK"}}),
      Section("ENTITIES", {{0, "LINE"}, {8, "A"}, {10, "0"}, {20, "0"}, {11, "10"}, {21, "5"},
                           {0, "CIRCLE"}, {8, "Late"}, {10, "5"}, {20, "5"}, {40, "2"},
                           {0, "LWPOLYLINE"}, {10, "0"}, {20, "0"}, {10, "3"}, {20, "4"},
                           {0, "POLYLINE"}, {66, "1"}, {0, "VERTEX"}, {10, "1"}, {20, "1"},
                           {0, "VERTEX"}, {10, "2"}, {20, "2"}, {0, "SEQEND"},
                           {0, "ARC"}, {10, "0"}, {20, "0"}, {40, "1"}, {50, "0"}, {51, "90"}}),
  }));
}

// Kinds and the extents, enough to tell two loads of one drawing apart.
std::string Dump(const Drawing& d) {
  std::ostringstream o;
  for (int i = 0; i < d.Conv->LayoutsCount(); ++i) {
    TvxDXFLayout* l = d.Conv->Layouts(i);
    o << l->GetName() << ":";
    for (auto [k, n] : Kinds(l->ExistingPaperSpaceBlock())) o << k << "=" << n << " ";
    o << ";";
  }
  const TFRect e = d.Conv->Extents();
  char buf[160];
  std::snprintf(buf, sizeof buf, "[%.9g %.9g %.9g %.9g %.9g %.9g]", e.Left, e.Bottom, e.Z1, e.Right, e.Top, e.Z2);
  return o.str() + buf + " layers=" + std::to_string(d.Conv->Counts(csLayers)) +
         " blocks=" + std::to_string(d.Conv->Counts(csBlocks));
}

}  // namespace

TEST(DxfLoad, SmallDrawingLoadsWithLayoutsAndExtents) {
  Drawing d;
  d.Load(SmallDrawing());
  ASSERT_TRUE(d.Error.empty()) << d.Error;
  EXPECT_EQ(d.Count(), 5);
  EXPECT_EQ(d.Conv->Layouts(0)->GetName(), "Model");
  const TFRect e = d.Conv->Extents();
  EXPECT_DOUBLE_EQ(e.Left, 0);
  EXPECT_DOUBLE_EQ(e.Bottom, 0);
  EXPECT_DOUBLE_EQ(e.Right, 10);
  EXPECT_DOUBLE_EQ(e.Top, 7);
  EXPECT_EQ(d.Conv->BlockByName("B1")->Count(), 1);
  EXPECT_GE(d.Conv->MaxHandle(), 0x100u);
  // Default entries exist after reading.
  EXPECT_NE(d.Conv->LTypes()->FindItem<TvxDXFLineType>("CONTINUOUS"), nullptr);
  EXPECT_NE(d.Conv->Layers()->FindItem<TvxDXFLayer>("0"), nullptr);
  EXPECT_NE(d.Conv->Layers()->FindItem<TvxDXFLayer>("Late"), nullptr);  // made for its entity
}

TEST(DxfLoad, LineEndsAndBinaryGiveTheSameDrawing) {
  Drawing lf, crlf, cr, bin;
  lf.Load(DxfText(SmallDrawing(), "\n"));
  crlf.Load(DxfText(SmallDrawing(), "\r\n"));
  cr.Load(DxfText(SmallDrawing(), "\r"));
  bin.Load(DxfBinary(SmallDrawing()));
  for (Drawing* d : {&lf, &crlf, &cr, &bin}) EXPECT_TRUE(d->Error.empty()) << d->Error;
  EXPECT_TRUE(bin.Result.Binary);
  EXPECT_EQ(Dump(lf), Dump(crlf));
  EXPECT_EQ(Dump(lf), Dump(cr));
  EXPECT_EQ(Dump(lf), Dump(bin));
}

TEST(DxfLoad, UnknownSectionIsSkippedToItsEnd) {
  // Before the fix the driver never came back from an unknown section and the entities that
  // followed became table entries.
  Drawing d;
  d.Load(WithEOF(Join({Section("ACDSDATA", {{0, "ACDSSCHEMA"}, {90, "0"}, {0, "LINE"}, {0, "TABLE"}}),
                       Section("ENTITIES", {{0, "LINE"}, {0, "CIRCLE"}})})));
  EXPECT_TRUE(d.Error.empty()) << d.Error;
  EXPECT_EQ(d.Count(), 2);
}

TEST(DxfLoad, FileWithoutEOFOrSectionEndsLoads) {
  Pairs p = SmallDrawing();
  p.pop_back();  // no EOF
  p.pop_back();  // no ENDSEC
  Drawing d;
  d.Load(p);
  EXPECT_TRUE(d.Error.empty()) << d.Error;
  EXPECT_EQ(d.Count(), 5);
  EXPECT_GE(d.Conv->LayoutsCount(), 1);
}

TEST(DxfLoad, DeepNestingIsBounded) {
  // Complex records nested without end would recurse once per record.
  for (const Pairs& unit : {Pairs{{0, "POLYLINE"}, {66, "1"}}, Pairs{{0, "BLOCK"}, {2, "X"}}}) {
    Pairs body;
    for (int i = 0; i < 50000; ++i) body.insert(body.end(), unit.begin(), unit.end());
    body.push_back({0, "LINE"});
    Drawing d;
    d.Load(Join({{{0, "SECTION"}, {2, "BLOCKS"}}, body, {{0, "SECTION"}, {2, "ENTITIES"}}, body}));
    EXPECT_TRUE(d.Error.empty()) << d.Error;
  }
}

TEST(DxfLoad, RefusedChildLeavesNoRegistration) {
  // A paper-space block in the entities section is refused and freed; were it registered as
  // the paper space, the layouts would point at freed memory (ASan). Likewise a line inside a
  // polyline, whose extension dictionary entry would outlive it.
  Drawing d;
  d.Load(Entities({{0, "BLOCK"}, {2, "*Paper_Space"}, {0, "LINE"}, {0, "ENDBLK"},
                   {0, "LINE"}, {67, "1"},
                   {0, "POLYLINE"}, {66, "1"}, {0, "LINE"}, {5, "AB"}, {102, "{ACAD_XDICTIONARY"}, {360, "FF"},
                   {102, "}"}, {0, "SEQEND"}}));
  EXPECT_TRUE(d.Error.empty()) << d.Error;
  ASSERT_GE(d.Conv->LayoutsCount(), 2);
  EXPECT_EQ(d.Conv->Layouts(1)->Count(), 1);
  EXPECT_EQ(d.Conv->Layouts(1)->GetEntity(0)->EntType(), ceLine);
  EXPECT_GE(d.Result.Dropped, 2u);
}

TEST(DxfLoad, ReadErrorKeepsAUsableDrawing) {
  // A binary file with an illegal code after entities whose layer is not defined yet: the
  // entities' placeholders must be resolved before the reader goes.
  Pairs p = Join({Section("ENTITIES", {{0, "LINE"}, {8, "Late"}, {11, "1"}, {0, "CIRCLE"}, {8, "Late"}, {40, "1"}})});
  std::string bytes = DxfBinary(p);
  bytes.erase(bytes.size() - 9);  // drop the final 0 ENDSEC
  const uint16_t bad = 2000;
  bytes.append(reinterpret_cast<const char*>(&bad), 2);
  bytes += "junk";
  Drawing d;
  d.Load(bytes);
  EXPECT_EQ(d.Error.rfind("DXF read error on line 0: ", 0), 0u) << d.Error;
  EXPECT_NE(d.Error.find("\r\nIllegal group code 2000 at "), std::string::npos) << d.Error;
  ASSERT_EQ(d.Count(), 1);  // the circle being read when the error came is dropped
  ASSERT_NE(d.Ent(0)->GetLayer(), nullptr);
  EXPECT_EQ(d.Ent(0)->GetLayer()->GetName(), "Late");
  EXPECT_FALSE(d.Conv->Extents().Left > d.Conv->Extents().Right);
  d.Conv->Clear();  // and the drawing can be emptied and refilled
  d.Error.clear();
  d.Load(SmallDrawing());
  EXPECT_TRUE(d.Error.empty());
  EXPECT_EQ(d.Count(), 5);
}

TEST(DxfLoad, StopFromTheProgressEventKeepsWhatWasRead) {
  Pairs body;
  for (int i = 0; i < 500; ++i) body.insert(body.end(), {{0, "LINE"}, {11, std::to_string(i)}});
  Drawing d;
  int calls = 0;
  d.Conv->OnRead = [&calls](TvxDXFConverter* c) {
    if (++calls == 100) c->StopLoading();
  };
  d.Load(Entities(body));
  EXPECT_TRUE(d.Error.empty()) << d.Error;
  // The section record and 98 lines had reported before the stop; the 99th closes at once.
  EXPECT_GT(d.Count(), 90);
  EXPECT_LT(d.Count(), 110);
  EXPECT_GE(d.Conv->LayoutsCount(), 1);
  EXPECT_EQ(d.Conv->Status(), stDefault);
}

TEST(DxfLoad, ReleaseDuringLoadingEndsTheDrawingAfterTheRead) {
  TvxDXFConverter* conv = TvxDXFConverter::Create();
  conv->OnRead = [](TvxDXFConverter* c) {
    if (c->Status() == stLoading) c->Release();
  };
  const std::string text = DxfText(SmallDrawing());
  LoadDXF(conv, TdxfSource::FromBytes(text.data(), text.size()));  // freed by its end step (ASan)
}

TEST(DxfLoad, EveryPrefixLoadsOrFailsCleanly) {
  for (bool binary : {false, true}) {
    const std::string full = binary ? DxfBinary(SmallDrawing()) : DxfText(SmallDrawing());
    for (size_t n = 0; n <= full.size(); ++n) {
      Drawing d;
      d.Load(full.substr(0, n));
      if (!d.Error.empty()) {
        EXPECT_EQ(d.Error.rfind("DXF read error on line ", 0), 0u) << d.Error;
      }
    }
  }
}

TEST(DxfLoad, NotADrawingOpensEmpty) {
  for (const std::string& bytes : {std::string(), std::string("hello\nworld\n"), std::string("\0\0\0", 3),
                                   std::string("0\nSECTION\n2\n"), std::string("999\n")}) {
    Drawing d;
    d.Load(bytes);
    EXPECT_TRUE(d.Error.empty()) << d.Error;
    EXPECT_EQ(d.Count(), 0);
  }
}

// ---- real files ---------------------------------------------------------------------------

namespace {

std::vector<fs::path> CorpusDXF() {
  std::vector<fs::path> files;
  const fs::path dir = Corpus();
  if (dir.empty()) return files;
  for (const auto& e : fs::recursive_directory_iterator(dir)) {
    const std::string ext = e.path().extension().string();
    if (ext == ".dxf" || ext == ".dxfb") files.push_back(e.path());
  }
  std::sort(files.begin(), files.end());
  return files;
}

// Mutates bytes of a file at random positions (deterministic seed).
std::string Mutate(std::string s, std::mt19937& rng, int count) {
  if (s.empty()) return s;
  std::uniform_int_distribution<size_t> pos(0, s.size() - 1);
  std::uniform_int_distribution<int> byte(0, 255);
  for (int i = 0; i < count; ++i) s[pos(rng)] = static_cast<char>(byte(rng));
  return s;
}

}  // namespace

TEST(DxfLoadCorpus, TextAndBinaryCopiesGiveTheSameDrawing) {
  const fs::path dir = Corpus();
  if (dir.empty()) GTEST_SKIP() << "no corpus (VX_CORPUS)";
  for (const char* version : {"AC1009", "AC1015", "AC1027"}) {
    const fs::path text = dir / "same-drawing" / (std::string("sample_") + version + "_ascii.dxf");
    const fs::path bin = dir / "same-drawing" / (std::string("sample_") + version + "_binary.dxf");
    if (!fs::exists(text) || !fs::exists(bin)) continue;
    Drawing a, b;
    a.Load(ReadFile(text));
    b.Load(ReadFile(bin));
    EXPECT_TRUE(a.Error.empty() && b.Error.empty()) << a.Error << b.Error;
    // Text files hold 16 significant digits; the dump rounds to 9.
    EXPECT_EQ(Dump(a), Dump(b)) << version;
  }
}

TEST(DxfLoadCorpus, ModelSpaceCountsMatchAnIndependentReader) {
  const std::vector<fs::path> files = CorpusDXF();
  if (files.empty()) GTEST_SKIP() << "no corpus (VX_CORPUS)";
  if (std::system("/usr/bin/python3 -c 'import ezdxf' >/dev/null 2>&1") != 0) GTEST_SKIP() << "no ezdxf";
  const fs::path script = fs::path(vx::test::SourceDir()) / "tests/dxf/ezdxf_counts.py";
  std::string cmd = "/usr/bin/python3 '" + script.string() + "'";
  for (const fs::path& f : files) cmd += " '" + f.string() + "'";
  FILE* pipe = popen(cmd.c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  std::string out;
  std::array<char, 4096> buf;
  while (size_t n = fread(buf.data(), 1, buf.size(), pipe)) out.append(buf.data(), n);
  pclose(pipe);
  static const std::map<std::string, TvxCADEntities> kinds = {
      {"Line", ceLine}, {"Point", cePoint}, {"Solid", ceSolid}, {"Trace", ceTrace}, {"3dFace", ce3dFace},
      {"Circle", ceCircle}, {"Arc", ceArc}, {"Ellipse", ceEllipse}, {"Polyline", cePolyline},
      {"LWPolyline", ceLWPolyline}, {"Spline", ceSpline}, {"Helix", ceHelix}, {"Ray", ceRay},
      {"Xline", ceXline}, {"Insert", ceInsert}, {"Attdef", ceAttdef},
      {"Text", ceText}, {"MText", ceMText}, {"Shape", ceShape}, {"Hatch", ceHatch},
      {"CurvePolygon", ceCurvePolygon}, {"MPolygon", ceMPolygon}, {"Wipeout", ceWipeOut},
      {"Dimension", ceDimension}, {"ACADTable", ceACADTable}, {"Proxy", ceProxy}, {"Region", ceRegion},
      {"3DSolid", ce3DSolid}, {"Body", ceBody}};
  std::istringstream lines(out);
  std::string line;
  int compared = 0;
  size_t index = 0;
  while (std::getline(lines, line) && index < files.size()) {
    const fs::path& f = files[index++];
    if (line.find("\"error\"") != std::string::npos) continue;  // the reference could not read it
    std::map<int, int> want;
    for (const auto& [name, kind] : kinds) {
      const std::string key = "\"" + name + "\": ";
      const size_t at = line.find(key);
      if (at != std::string::npos) want[static_cast<int>(kind)] = std::atoi(line.c_str() + at + key.size());
    }
    Drawing d;
    d.Load(ReadFile(f));
    EXPECT_TRUE(d.Error.empty()) << f << ": " << d.Error;
    std::map<int, int> got = Kinds(d.Model());
    for (auto it = got.begin(); it != got.end();)
      it = it->first == static_cast<int>(ceEntity) ? got.erase(it) : std::next(it);
    EXPECT_EQ(got, want) << f;
    ++compared;
  }
  EXPECT_GT(compared, 0);
}

TEST(DxfLoadCorpus, MutatedAndTruncatedFilesLoadOrFailCleanly) {
  const fs::path dir = Corpus();
  if (dir.empty()) GTEST_SKIP() << "no corpus (VX_CORPUS)";
  const char* env = std::getenv("VX_MUTATIONS");
  const int rounds = env ? std::max(1, std::atoi(env)) : 300;
  std::mt19937 rng(12345);
  for (const char* name : {"old-dwg/r11_entities-2d.dxf", "old-dwg/r9_entities.dxf",
                           "libredwg/example_2000.dxfb", "same-drawing/sample_AC1009_binary.dxf"}) {
    const fs::path f = dir / name;
    if (!fs::exists(f)) continue;
    const std::string bytes = ReadFile(f);
    const bool small = bytes.size() < 20000;
    for (int i = 0; i < (small ? rounds : rounds / 30); ++i) {
      Drawing d;
      d.Load(Mutate(bytes, rng, 1 + i % 8));
      if (!d.Error.empty()) {
        EXPECT_EQ(d.Error.rfind("DXF read error on line ", 0), 0u) << d.Error;
      }
    }
    // Prefixes: every one of a small file, a spread of a large one.
    const size_t step = small ? 1 : bytes.size() / 40;
    for (size_t n = 0; n < bytes.size(); n += step) {
      Drawing d;
      d.Load(bytes.substr(0, n));
      if (!d.Error.empty()) {
        EXPECT_EQ(d.Error.rfind("DXF read error on line ", 0), 0u) << d.Error;
      }
    }
  }
}

TEST(DxfLoadCorpus, LibraryOfPartsLoadsWithoutError) {
  const fs::path dir = "/usr/share/librecad/library";
  std::error_code ec;
  if (!fs::is_directory(dir, ec)) GTEST_SKIP() << "librecad-data is not installed";
  int files = 0, withExtents = 0;
  for (const auto& e : fs::recursive_directory_iterator(dir)) {
    if (e.path().extension() != ".dxf") continue;
    Drawing d;
    const std::string bytes = ReadFile(e.path());
    d.Load(bytes);
    EXPECT_TRUE(d.Error.empty()) << e.path() << ": " << d.Error;
    // Most begin with a comment naming the writing library.
    if (bytes.rfind("999", 0) == 0) {
      EXPECT_FALSE(d.Result.FileInfo.empty()) << e.path();
    }
    const TFRect x = d.Conv->Extents();
    if (x.Left <= x.Right) ++withExtents;
    ++files;
  }
  EXPECT_EQ(files, 1272);
  EXPECT_GT(withExtents, 1250);
}

TEST(DxfLoad, ReaderIsRegisteredForExternalReferences) {
  RegisterDXFFormat();  // idempotent
  EXPECT_TRUE(IsXrefFormatRegistered("dxf"));
  EXPECT_TRUE(IsXrefFormatRegistered("DXF"));
}
