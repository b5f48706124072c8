// Finding SHX fonts: the search path (drawing folder, process-wide folders, VX_SHX_PATH), file
// names matched without regard to case while folders keep theirs, ".shx" optional, names with
// folders, missed fonts, and the provider's fallback order for a missing font (the default font,
// then the first text font of the search path, then a TrueType face).
#include "text/shx/vxSHXFont.h"
#include "text/shx/vxSHXFontList.h"
#include "text/vxTextFonts.h"

#include "database/core/vxSettings.h"
#include "support/vxTestPaths.h"
#include "text/shx_writer.h"
#include "text/truetype/vxTableFonts.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace vx;
using namespace vx::shx;
using namespace vx::test;

namespace {

// A fresh folder per test, VX_SHX_PATH and the process-wide folders restored afterwards.
class SHXSearch : public ::testing::Test {
 protected:
  void SetUp() override {
    FDir = fs::temp_directory_path() /
           ("vx_shx_" + std::to_string(getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(FDir);
    fs::create_directories(FDir);
    if (const char* e = std::getenv(cnstSHXPathVariable)) FOldEnv = e, FHadEnv = true;
    unsetenv(cnstSHXPathVariable);
    FOldSetting = GlobalSettings.SHXSearchPath;
    GlobalSettings.SHXSearchPath.clear();
  }
  void TearDown() override {
    if (FHadEnv)
      setenv(cnstSHXPathVariable, FOldEnv.c_str(), 1);
    else
      unsetenv(cnstSHXPathVariable);
    GlobalSettings.SHXSearchPath = FOldSetting;
    GlobalSettings.UseSHXFonts = true;
    std::error_code ec;
    fs::remove_all(FDir, ec);
  }
  std::string Dir(const std::string& sub) {
    fs::create_directories(FDir / sub);
    return (FDir / sub).string();
  }
  // A small text font whose "A" advances by width.
  static std::string TextFont(const std::string& name, uint8_t width) {
    const TSHXInfo info{name, 8, 2, 0};
    return SHXShapeFile({{65, "", {uint8_t(0x10 * width)}}}, &info);
  }
  static std::string Corpus(const char* rel) { return CorpusDir() + "/" + rel; }

  fs::path FDir;
  std::string FOldEnv, FOldSetting;
  bool FHadEnv = false;
};

TvxFontRequest Req(TvxFontKind kind, std::string name, std::string folder = {}) {
  TvxFontRequest r;
  r.Kind = kind;
  r.Name = std::move(name);
  r.DrawingFolder = std::move(folder);
  return r;
}

bool HaveFaces() { return !ttf::TvxTableFonts::Instance().GetFileName("DejaVu Sans").empty(); }

#define REQUIRE_CORPUS()                                                   \
  if (CorpusDir().empty()) GTEST_SKIP() << "VX_CORPUS is not set (no corpus)";

}  // namespace

TEST_F(SHXSearch, SearchPathOrderAndExistingFoldersOnly) {
  TvxSHXFontList list;
  const std::string drawing = Dir("drawing"), a = Dir("a"), b = Dir("b"), c = Dir("c"), d = Dir("d");
  GlobalSettings.SHXSearchPath = a + ";;" + (FDir / "missing").string() + "; " + b + "/;";
  setenv(cnstSHXPathVariable, (c + ":" + d + "::" + a).c_str(), 1);
  EXPECT_EQ(list.SearchPath(drawing), (std::vector<std::string>{drawing, a, b, c, d}));
  EXPECT_EQ(list.SearchPath(""), (std::vector<std::string>{a, b, c, d}));
}

TEST_F(SHXSearch, FileNamesMatchWithoutCaseFoldersKeepTheirs) {
  TvxSHXFontList list;
  const std::string fonts = Dir("Mixed Case/Fonts");
  WriteFile(fs::path(fonts) / "Romans.SHX", TextFont("romans", 3));
  WriteFile(fs::path(fonts) / "txt", "not a font");
  setenv(cnstSHXPathVariable, fonts.c_str(), 1);
  const std::string want = fonts + "/Romans.SHX";
  for (const char* name : {"romans", "ROMANS.SHX", "romans.shx", " Romans.shx ",
                           "C:\\Program Files\\CAD\\Fonts\\romans.shx", "/elsewhere/ROMANS"})
    EXPECT_EQ(list.FindFile(name, ""), want) << name;
  // A folder given with the name is searched first, whether or not it is on the path.
  setenv(cnstSHXPathVariable, "", 1);
  EXPECT_EQ(list.FindFile(fonts + "/rOMANS.shx", ""), want);
  EXPECT_EQ(list.FindFile("romans", ""), "");
  // The folder part is never case-folded: an upper-cased folder does not exist.
  std::string upperFolder = fonts;
  for (char& ch : upperFolder) ch = char(std::toupper(static_cast<unsigned char>(ch)));
  EXPECT_EQ(list.FindFile(upperFolder + "/romans.shx", ""), "");

  setenv(cnstSHXPathVariable, fonts.c_str(), 1);
  TvxSHXFont* f = list.FindFont("ROMANS", "");
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(f->FFontName, "romans");
  EXPECT_EQ(list.FindFont("romans.shx", ""), f);  // one font per file
  // "txt" exists but is no SHX file; "nofont" is nowhere.
  EXPECT_EQ(list.FindFont("txt", ""), nullptr);
  EXPECT_EQ(list.FindFont("nofont.shx", ""), nullptr);
  EXPECT_EQ(list.MissedFonts(), (std::vector<std::string>{"nofont.shx", "txt"}));
}

TEST_F(SHXSearch, DrawingFolderComesFirst) {
  TvxSHXFontList list;
  const std::string drawing = Dir("drawing"), env = Dir("env"), setting = Dir("setting");
  for (const std::string& d : {drawing, env, setting}) WriteFile(fs::path(d) / "same.shx", TextFont("same", 1));
  WriteFile(fs::path(setting) / "other.shx", TextFont("other", 1));
  WriteFile(fs::path(env) / "OTHER.shx", TextFont("other", 1));
  GlobalSettings.SHXSearchPath = setting;
  setenv(cnstSHXPathVariable, env.c_str(), 1);
  EXPECT_EQ(list.FindFile("same", drawing), drawing + "/same.shx");
  EXPECT_EQ(list.FindFile("same", ""), setting + "/same.shx");
  EXPECT_EQ(list.FindFile("other", drawing), setting + "/other.shx");
}

TEST_F(SHXSearch, MissingFontsFallBackToTheSearchPathThenTrueType) {
  REQUIRE_CORPUS();
  TvxFontProvider* p = InstallTextFonts();
  const std::string fonts = Dir("fonts");
  fs::copy_file(Corpus("fonts/iso3098.shx"), fs::path(fonts) / "iso3098.shx");
  fs::copy_file(Corpus("fonts/ltypeshp.shx"), fs::path(fonts) / "aaa_shapes.shx");  // a shape file first
  setenv(cnstSHXPathVariable, fonts.c_str(), 1);

  // Every missing text font draws with the text font of the path.
  for (const char* name : {"txt.shx", "romans", "ISOCP.SHX"}) {
    TvxFontFace* f = p->FindFace(Req(fkShapes, name));
    ASSERT_NE(f, nullptr) << name;
    EXPECT_EQ(f->Kind(), fkUnicode) << name;
    EXPECT_EQ(fs::path(f->FileName()).filename(), "iso3098.shx");
    ASSERT_NE(f->Glyph(U'E'), nullptr);
    EXPECT_FALSE(f->Glyph(U'E')->Points.empty());
  }
  // A font that is there is itself.
  TvxFontFace* shapes = p->FindFace(Req(fkShapes, "AAA_SHAPES"));
  ASSERT_NE(shapes, nullptr);
  EXPECT_EQ(shapes->ShapeNumber("track1"), 130);
  // A missing big font has no stand-in; one that is there is found.
  EXPECT_EQ(p->FindFace(Req(fkBigFont, "bigfont.shx")), nullptr);
  WriteFile(fs::path(fonts) / "BigFont.shx", SHXBigFont({{0x8140, "", {0x20}}}, {{0x81, 0x9F}}, {"big", 8, 0, 0}));
  SHXFontList().ClearFolderCache();
  const TvxFontRequest big = Req(fkBigFont, "bigfont", Dir("drawing"));  // another key than above
  TvxFontFace* bf = p->FindFace(big);
  ASSERT_NE(bf, nullptr);
  EXPECT_EQ(bf->Kind(), fkBigFont);
  ASSERT_NE(bf->Glyph(U'\u3000'), nullptr);

  // The default font comes before the first text font of the path.
  const std::string withDefault = Dir("withdefault");
  fs::copy_file(Corpus("fonts/iso3098.shx"), fs::path(withDefault) / "iso3098.shx");
  WriteFile(fs::path(withDefault) / "Simplex.shx", TextFont("simplex", 2));
  setenv(cnstSHXPathVariable, withDefault.c_str(), 1);
  TvxFontFace* d = p->FindFace(Req(fkShapes, "txt"));
  ASSERT_NE(d, nullptr);
  EXPECT_EQ(fs::path(d->FileName()).filename(), "Simplex.shx");

  // No text font on the path: a TrueType face keeps the text visible.
  const std::string onlyShapes = Dir("onlyshapes");
  fs::copy_file(Corpus("fonts/ltypeshp.shx"), fs::path(onlyShapes) / "ltypeshp.shx");
  setenv(cnstSHXPathVariable, onlyShapes.c_str(), 1);
  if (HaveFaces()) {
    TvxFontFace* t = p->FindFace(Req(fkShapes, "txt"));
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->Kind(), fkTrueType);
  }
  // The drawing's own folder holds fonts too.
  const TvxFontRequest own = Req(fkShapes, "iso3098", fonts);
  ASSERT_NE(p->FindFace(own), nullptr);
  EXPECT_EQ(p->FindFace(own)->Kind(), fkUnicode);
  // With SHX fonts switched off every SHX request draws with TrueType.
  GlobalSettings.UseSHXFonts = false;
  if (HaveFaces()) {
    EXPECT_EQ(p->FindFace(own)->Kind(), fkTrueType);
  }
  EXPECT_EQ(p->FindFace(Req(fkBigFont, "bigfont")), nullptr);
}
