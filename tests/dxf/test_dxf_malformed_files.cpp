// Small files that once broke the reader (crashes found by fuzzing and by hand) and their
// neighbours: each must load, or fail with the reader's exception, as text and as binary DXF,
// leaving a drawing that can be walked. Under ASan a use of freed memory fails the test.
#include "test_dxf_load_fixture.h"

#include <algorithm>
#include <sstream>

using namespace vx;
using namespace vx::dxftest;

namespace {

fs::path MalformedDir() { return fs::path(vx::test::SourceDir()) / "tests/dxf/malformed"; }

std::vector<fs::path> MalformedFiles() {
  std::vector<fs::path> files;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(MalformedDir(), ec))
    if (entry.is_regular_file()) files.push_back(entry.path());
  std::sort(files.begin(), files.end());
  return files;
}

// The pairs of a text file, or false when it is not one (an odd line count, a code that is no
// number): then there is no binary twin to make.
bool ParsePairs(const std::string& text, Pairs& pairs) {
  std::istringstream in(text);
  std::string code, value;
  while (std::getline(in, code)) {
    if (!std::getline(in, value)) return false;
    char* end = nullptr;
    const long c = std::strtol(code.c_str(), &end, 10);
    if (end == code.c_str() || c < 0 || c > 1071) return false;
    if (!value.empty() && value.back() == '\r') value.pop_back();
    pairs.emplace_back(static_cast<int>(c), value);
  }
  return true;
}

// Everything a viewer asks of a loaded drawing.
void Walk(TvxDXFConverter* conv) {
  for (int i = 0; i < conv->LayoutsCount(); ++i)
    if (TvxDXFLayout* l = conv->Layouts(i)) (void)l->GetBox();
  if (TvxDXFBlock* model = conv->ModelSpaceBlock())
    for (TvxDXFEntity* e : model->Entities()) (void)e->GetBox();
  (void)conv->Extents();
}

}  // namespace

TEST(MalformedFiles, EachLoadsOrFailsCleanlyAsTextAndBinary) {
  const std::vector<fs::path> files = MalformedFiles();
  ASSERT_GE(files.size(), 10u) << MalformedDir();
  for (const fs::path& f : files) {
    SCOPED_TRACE(f.filename().string());
    const std::string bytes = ReadFile(f);
    Drawing text;
    text.Load(bytes);
    Walk(text.Conv);
    EXPECT_GE(text.Conv->LayoutsCount(), 1);
    Pairs pairs;
    if (!ParsePairs(bytes, pairs)) continue;
    Drawing binary;
    binary.Load(DxfBinary(pairs));
    Walk(binary.Conv);
    EXPECT_EQ(binary.Count(), text.Count());
    EXPECT_EQ(binary.Error.empty(), text.Error.empty()) << binary.Error << " / " << text.Error;
  }
}

// What the files whose records a refused owner took with it must leave: nothing of the dropped
// records, and no registration of them.
TEST(MalformedFiles, RecordsOfRefusedOwnersLeaveNothingBehind) {
  struct Case {
    const char* File;
    int ModelCount;
    int Dictionaries;  // extension dictionaries still registered after loading
  };
  for (const Case& c : std::initializer_list<Case>{
           {"block_in_entities_mtext_xdict.dxf", 0, 0},
           {"block_in_header_mtext_xdict.dxf", 0, 0},
           {"block_in_tables_mtext_xdict.dxf", 0, 0},
           {"insert_attrib_xdict_in_dropped_block.dxf", 0, 0},
           {"insert_attrib_xdict_in_header.dxf", 0, 0},
           {"space_blocks_in_dropped_block.dxf", 0, 0},
           // The second record fills the first layer again, with its own handle: the dictionary
           // registered under the first handle names no layer any more.
           {"layer_defined_twice.dxf", 2, 0},
       }) {
    SCOPED_TRACE(c.File);
    Drawing d;
    d.Load(ReadFile(MalformedDir() / c.File));
    EXPECT_EQ(d.Error, "");
    EXPECT_EQ(d.Count(), c.ModelCount);
    EXPECT_EQ(d.Conv->EntityDictionaryCount(), c.Dictionaries);
    // The paper space of a dropped block is not a layout of the drawing.
    for (int i = 0; i < d.Conv->LayoutsCount(); ++i) {
      TvxDXFBlock* b = d.Conv->Layouts(i)->ExistingPaperSpaceBlock();
      EXPECT_TRUE(b == nullptr || d.Conv->BlocksSection()->IndexOfEntity(b) >= 0);
    }
  }
}
