// External references: finding the file (Windows paths, case, extensions, search folders,
// resolver), loading through the registered loader, sharing, cycles, dependent layers, the
// walk into the external drawing.
#include "test_inserts_fixture.h"

#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace fs = std::filesystem;

namespace vx::test {
namespace {

// A drawing described by lines of text, built in code (the readers register themselves the
// same way for their own formats):
//   layer NAME ACI | line X1 Y1 X2 Y2 [LAYER] | xref BLOCK PATH [LAYER] | fail
std::atomic<int> gLoads{0};

void LoadTextDrawing(TvxDXFConverter* d, const std::string& path) {
  ++gLoads;
  std::ifstream in(path);
  if (!in) throw std::runtime_error("cannot open " + path);
  d->InitializeSectionsBegin();
  d->InitializeSectionsEnd(false);
  d->ModelSpaceBlock();
  DrawingBuilder b{d};
  std::string row;
  while (std::getline(in, row)) {
    std::istringstream s(row);
    std::string kind;
    s >> kind;
    if (kind == "fail") throw std::runtime_error("broken drawing");
    if (kind == "layer") {
      std::string name;
      int aci = 7;
      s >> name >> aci;
      b.Layer(name, aci);
    } else if (kind == "line") {
      double x1, y1, x2, y2;
      std::string layer = "0";
      s >> x1 >> y1 >> x2 >> y2 >> layer;
      b.Place(b.Line({x1, y1, 0}, {x2, y2, 0}, d->LayerByName(layer)));
    } else if (kind == "xref") {
      std::string name, ref, layer = "0";
      s >> name >> ref >> layer;
      TvxDXFBlock* block = b.Block(name);
      block->SetXrefPath(ref);
      block->SetFlags(cnstBlockXref);
      b.Place(b.Ref(block, {}, d->LayerByName(layer)));
    }
  }
  d->LoadDrawing();
}

class XrefsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    static int counter = 0;
    dir = fs::temp_directory_path() /
          ("vx_xrefs_" + std::to_string(::getpid()) + "_" + std::to_string(counter++));
    fs::create_directories(dir);
    RegisterXrefLoader("vxt", LoadTextDrawing);
    gLoads = 0;
  }
  void TearDown() override {
    if (host) host->Release();
    UnregisterXrefLoader("vxt");
    std::error_code ec;
    fs::remove_all(dir, ec);
  }

  void Write(const std::string& rel, const std::string& text) {
    const fs::path p = dir / rel;
    fs::create_directories(p.parent_path());
    std::ofstream(p) << text;
  }

  // Loads the host drawing from its file as an application would.
  TvxDXFConverter* Open(const std::string& rel,
                        const std::function<void(TvxDXFConverter*)>& before = nullptr) {
    host = TvxDXFConverter::CreateFromFile((dir / rel).string());
    if (before) before(host);
    LoadTextDrawing(host, (dir / rel).string());
    return host;
  }

  TvxDXFInsert* RefTo(const std::string& blockName) {
    TvxDXFBlock* block = host->BlockByName(blockName);
    for (TvxDXFEntity* e : block ? block->References() : std::vector<TvxDXFEntity*>{})
      return dynamic_cast<TvxDXFInsert*>(e);
    return nullptr;
  }

  std::string Canon(const std::string& rel) { return fs::weakly_canonical(dir / rel).string(); }

  fs::path dir;
  TvxDXFConverter* host = nullptr;
};

TEST_F(XrefsTest, RelativeWindowsPathWithOtherCaseIsFound) {
  Write("sub/part.vxt", "line 0 0 2 1\n");
  Write("host.vxt", "xref PART sub\\Part.VXT\n");
  Open("host.vxt");
  TvxDXFXref* xref = XrefOfBlock(host->BlockByName("PART"));
  ASSERT_NE(xref, nullptr);
  ASSERT_NE(xref->Drawing(), nullptr);
  EXPECT_EQ(xref->Path(), Canon("sub/part.vxt"));
  EXPECT_EQ(xref->GetName(), "part");
  EXPECT_EQ(ContainerXrefOf(xref->Drawing()), xref);
  EXPECT_EQ(xref->Drawing()->OwnerConverter(), host);
  const TFRect box = RefTo("PART")->GetBox();
  EXPECT_DOUBLE_EQ(box.Right, 2);
  EXPECT_DOUBLE_EQ(box.Top, 1);
  EXPECT_EQ(host->XRefs(), std::vector<TvxDXFEntity*>{xref});
  // The walk enters the external drawing and gives everything back afterwards.
  int lines = 0;
  DrawingBuilder{host}.Walk([&](TvxDXFEntity* e, TvxDXFInsert*) { lines += e->EntType() == ceLine; });
  EXPECT_EQ(lines, 1);
  EXPECT_TRUE(xref->InvokeConverters().empty());
  EXPECT_TRUE(host->Params()->BlockStack.empty());
}

TEST_F(XrefsTest, ReferenceCyclesBetweenDrawingsTerminate) {
  struct Case {
    const char* name;
    std::vector<std::pair<const char*, const char*>> files;
    int loads;  // the host included
    int lines;
  };
  const Case cases[] = {
      {"two drawings", {{"a.vxt", "line 0 0 1 1\nxref B b.vxt\n"}, {"b.vxt", "line 5 5 6 6\nxref A a.vxt\n"}},
       2, 2},
      {"back to the middle",
       {{"a.vxt", "xref B b.vxt\n"}, {"b.vxt", "line 0 0 1 1\nxref C c.vxt\n"},
        {"c.vxt", "line 0 0 2 2\nxref B2 B.VXT\n"}},
       3, 2},
      {"itself", {{"a.vxt", "line 0 0 1 1\nxref SELF .\\A.vxt\n"}}, 1, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    for (const auto& [file, text] : c.files) Write(file, text);
    gLoads = 0;
    Open("a.vxt");
    EXPECT_EQ(gLoads, c.loads);
    int lines = 0;
    DrawingBuilder{host}.Walk([&](TvxDXFEntity* e, TvxDXFInsert*) { lines += e->EntType() == ceLine; });
    EXPECT_EQ(lines, c.lines);
    host->Release();
    host = nullptr;
  }
}

TEST_F(XrefsTest, FilesOfOneNameInDifferentFoldersStayDistinctAndOneFileIsShared) {
  Write("x/detail.vxt", "line 0 0 1 1\n");
  Write("y/detail.vxt", "line 0 0 7 7\n");
  Write("host.vxt", "xref X x\\detail.vxt\nxref Y y/detail.vxt\nxref X2 x\\DETAIL.vxt\n");
  Open("host.vxt");
  EXPECT_DOUBLE_EQ(RefTo("X")->GetBox().Right, 1);
  EXPECT_DOUBLE_EQ(RefTo("Y")->GetBox().Right, 7);
  TvxDXFConverter* x = XrefDrawingOfBlock(host->BlockByName("X"));
  EXPECT_NE(x, XrefDrawingOfBlock(host->BlockByName("Y")));
  EXPECT_EQ(x, XrefDrawingOfBlock(host->BlockByName("X2")));
  EXPECT_EQ(gLoads, 3);  // the host, x and y
  EXPECT_EQ(x->RefCount(), 2);
}

TEST_F(XrefsTest, SearchOrderAndPathsThatAreNeverOpened) {
  Write("lib/shelf.vxt", "line 0 0 4 4\n");
  Write("near.vxt", "line 0 0 3 3\n");
  Write("host.vxt",
        "xref MISSING nowhere.vxt\n"
        "xref UNC \\\\srv\\share\\near.vxt\n"
        "xref DRIVE C:\\drawings\\near.vxt\n"
        "xref SHELF shelf.vxt\n");
  Open("host.vxt", [this](TvxDXFConverter* c) { c->XRefSearchPaths().push_back((dir / "lib").string()); });
  struct Case {
    const char* block;
    const char* file;  // empty: not loaded
  };
  for (const Case& c : {Case{"MISSING", ""}, Case{"UNC", ""}, Case{"DRIVE", "near.vxt"},
                        Case{"SHELF", "lib/shelf.vxt"}}) {
    SCOPED_TRACE(c.block);
    TvxDXFBlock* block = host->BlockByName(c.block);
    ASSERT_NE(block, nullptr);
    TvxDXFXref* xref = XrefOfBlock(block);
    if (std::string(c.file).empty()) {
      EXPECT_EQ(xref, nullptr);
      EXPECT_EQ(block->Count(), 0);
      EXPECT_TRUE(IsBadBox(RefTo(c.block)->GetBox()));
    } else {
      ASSERT_NE(xref, nullptr);
      EXPECT_EQ(xref->Path(), Canon(c.file));
    }
  }
  EXPECT_EQ(FindXrefFile("//srv/x.vxt", dir.string(), {}), "");
}

TEST_F(XrefsTest, PathWithoutExtensionTriesTheRegisteredDrawingFormatsInOrder) {
  Write("part.dwg", "line 0 0 3 3\n");
  Write("part.dxf", "line 0 0 9 9\n");
  Write("only.dxf", "line 0 0 5 5\n");
  struct Formats {
    Formats() {
      RegisterXrefLoader("dwg", LoadTextDrawing);
      RegisterXrefLoader("DXF", LoadTextDrawing);
    }
    ~Formats() {
      UnregisterXrefLoader("dwg");
      UnregisterXrefLoader("dxf");
    }
  } formats;
  EXPECT_EQ(FindXrefFile("part", dir.string(), {}), Canon("part.dwg"));
  EXPECT_EQ(FindXrefFile("ONLY", dir.string(), {}), Canon("only.dxf"));
  UnregisterXrefLoader("dwg");
  EXPECT_EQ(FindXrefFile("part", dir.string(), {}), Canon("part.dxf"));
}

TEST_F(XrefsTest, ResolverNamesAFileTheSearchMissed) {
  Write("renamed.vxt", "line 0 0 6 6\n");
  Write("host.vxt", "xref OLD old.vxt\n");
  std::string asked;
  Open("host.vxt", [&](TvxDXFConverter* c) {
    c->OnXRefResolve = [&, this](TvxDXFConverter*, const std::string& name, std::string& file) {
      asked = name;
      file = (dir / "renamed.vxt").string();
      return true;
    };
  });
  EXPECT_EQ(asked, "old.vxt");
  EXPECT_DOUBLE_EQ(RefTo("OLD")->GetBox().Right, 6);
}

TEST_F(XrefsTest, ADrawingThatFailsToLoadCountsAsNotFound) {
  Write("bad.vxt", "line 0 0 1 1\nfail\n");
  Write("host.vxt", "xref BAD bad.vxt\nline 0 0 1 1\n");
  EXPECT_NO_THROW(Open("host.vxt"));
  EXPECT_EQ(XrefOfBlock(host->BlockByName("BAD")), nullptr);
  EXPECT_EQ(gLoads, 2);
}

TEST_F(XrefsTest, DependentLayersOfTheHostStandForTheDrawingsLayers) {
  Write("part.vxt", "layer WALLS 3\nline 0 0 1 1 WALLS\nline 0 0 2 2 0\nline 0 0 3 3 DOORS\n");
  Write("host.vxt", "layer PART|WALLS 1\nlayer HOSTL 5\nxref PART part.vxt HOSTL\n");
  Open("host.vxt");
  std::vector<TColor> colors;
  DrawingBuilder{host}.Walk([&](TvxDXFEntity* e, TvxDXFInsert* in) {
    if (e->EntType() == ceLine) colors.push_back(EffectiveColor(e, in));
  });
  // WALLS takes the host's PART|WALLS (red); "0" the reference's layer (blue); DOORS, with no
  // host layer, keeps its own colour.
  TvxDXFConverter* part = XrefDrawingOfBlock(host->BlockByName("PART"));
  ASSERT_NE(part, nullptr);
  const TColor doors = part->LayerByName("DOORS")->GetColor();
  EXPECT_EQ(colors, (std::vector<TColor>{0x0000FF, 0xFF0000, doors}));
}

TEST_F(XrefsTest, AttachingALoadedDrawing) {
  Write("host.vxt", "line 0 0 1 1\n");
  Write("part.vxt", "line 0 0 2 2\n");
  Open("host.vxt");
  TvxDXFConverter* part = TvxDXFConverter::CreateFromFile((dir / "part.vxt").string());
  LoadTextDrawing(part, (dir / "part.vxt").string());
  TvxDXFInsert* ins = AddXRef(host, part, "part.vxt", nullptr, 90, {2, 2, 2}, {10, 0, 0});
  part->Release();  // the reference keeps it
  ASSERT_NE(ins, nullptr);
  ASSERT_NE(ins->GetBlock(), nullptr);
  EXPECT_EQ(ins->GetBlock()->GetName(), "part");
  EXPECT_EQ(XrefDrawingOfBlock(ins->GetBlock()), part);
  const TFRect box = ins->GetBox();
  EXPECT_NEAR(box.Left, 6, 1e-9);
  EXPECT_NEAR(box.Right, 10, 1e-9);
  EXPECT_NEAR(box.Top, 4, 1e-9);
  EXPECT_EQ(host->ModelSpaceBlock()->IndexOfEntity(ins), 1);
}

TEST_F(XrefsTest, AttachingReferenceAttachesOnceWhateverTheNumberOfLoads) {
  Write("host.vxt", "line 0 0 1 1\n");
  Write("part.vxt", "line 0 0 2 2\n");
  Open("host.vxt");
  auto* att = new TvxDXFInsertXRef();
  att->SetNameFile("part.vxt");
  att->SetAttachLayout(host->Layouts(0));
  att->SetPoint({5, 0, 0});
  host->ModelSpaceBlock()->AddEntity(att);
  host->Loads(att);
  TvxDXFInsert* real = att->RealInsert();
  ASSERT_NE(real, nullptr);
  EXPECT_NEAR(real->GetBox().Right, 7, 1e-9);
  const int count = host->ModelSpaceBlock()->Count();
  host->Loads(att);
  att->Update();
  EXPECT_EQ(att->RealInsert(), real);
  EXPECT_EQ(host->ModelSpaceBlock()->Count(), count);
  EXPECT_EQ(gLoads, 2);
}

TEST_F(XrefsTest, OverlaysShowOnlyInTheDrawingThatAttachesThem) {
  Write("host.vxt", "xref MID mid.vxt\n");
  Write("mid.vxt", "line 0 0 1 1\nxref OVER over.vxt\n");
  Write("over.vxt", "line 0 0 9 9\n");
  Open("host.vxt");
  TvxDXFConverter* mid = XrefDrawingOfBlock(host->BlockByName("MID"));
  ASSERT_NE(mid, nullptr);
  EXPECT_NE(XrefOfBlock(mid->BlockByName("OVER")), nullptr);
  host->Release();
  host = nullptr;
  // A drawing attached to a host, whose OVER is an overlay: not loaded below the top drawing.
  host = TvxDXFConverter::CreateFromFile((dir / "host.vxt").string());
  host->InitializeSectionsBegin();
  host->InitializeSectionsEnd(false);
  host->ModelSpaceBlock();
  TvxDXFConverter* attached = TvxDXFConverter::CreateFromFile((dir / "mid.vxt").string());
  attached->InitializeSectionsBegin();
  attached->InitializeSectionsEnd(false);
  attached->ModelSpaceBlock();
  attached->SetOwnerConverter(host);
  DrawingBuilder b{attached};
  TvxDXFBlock* over = b.Block("OVER");
  over->SetXrefPath("over.vxt");
  over->SetFlags(cnstBlockXref | cnstBlockXrefOverlay);
  TvxDXFInsert* ins = AddXRef(host, attached, "mid.vxt", nullptr, 0, {1, 1, 1}, {});
  attached->Release();
  ASSERT_NE(ins, nullptr);
  b.Place(b.Ref(over));
  EXPECT_EQ(XrefOfBlock(over), nullptr);
  // In a drawing of its own the overlay loads.
  TvxDXFBlock* own = DrawingBuilder{host}.Block("OWN");
  own->SetXrefPath("over.vxt");
  own->SetFlags(cnstBlockXref | cnstBlockXrefOverlay);
  DrawingBuilder{host}.Place(DrawingBuilder{host}.Ref(own));
  EXPECT_NE(XrefOfBlock(own), nullptr);
}

TEST_F(XrefsTest, DrawingsLoadOnSeveralThreadsAtOnce) {
  Write("part.vxt", "line 0 0 2 2\n");
  for (int i = 0; i < 4; ++i) Write("h" + std::to_string(i) + ".vxt", "xref P part.vxt\nxref Q part.vxt\n");
  std::vector<double> rights(4, 0);
  std::vector<std::thread> threads;
  for (int i = 0; i < 4; ++i) {
    threads.emplace_back([this, i, &rights] {
      const std::string file = (dir / ("h" + std::to_string(i) + ".vxt")).string();
      TvxDXFConverter* h = TvxDXFConverter::CreateFromFile(file);
      LoadTextDrawing(h, file);
      TvxDXFBlock* p = h->BlockByName("P");
      if (p && !p->References().empty()) rights[i] = p->References()[0]->GetBox().Right;
      h->Release();
    });
  }
  for (std::thread& t : threads) t.join();
  for (double r : rights) EXPECT_DOUBLE_EQ(r, 2);
}

}  // namespace
}  // namespace vx::test
