// Real files (VX_CORPUS): every DXF there tokenizes to its EOF without error, its strings decode
// without replacement characters, and the text and binary copies of one drawing give the same pairs.
#include "readers/dxf/DXF.h"

#include "readers/dxf/vxCodePage.h"

#include "support/vxTestPaths.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

using namespace vx;
namespace fs = std::filesystem;

namespace {

// VX_CORPUS, or ../shared/corpus beside the repository; empty when neither is a folder.
fs::path Corpus() {
  fs::path dir = vx::test::CorpusDir();
  std::error_code ec;
  return fs::is_directory(dir, ec) ? dir : fs::path();
}

struct Token {
  int code;
  std::string text;
  double real;
  int64_t integer;
};

struct Tokenized {
  std::vector<Token> tokens;
  bool binary = false;
  bool sawEOF = false;
  int replacements = 0;
};

// Tokenizes a whole file the way the loader does: detect, copy the rest, read pairs. Version and
// code page are taken from the header as they pass, so strings decode as the record layer will.
Tokenized Tokenize(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  const int codeSize = DetectDXFBinary(in);
  TdxfSource src = TdxfSource::FromStream(in);
  std::unique_ptr<TdxfReader> r;
  if (codeSize) r = std::make_unique<TdxfBinReader>(src, codeSize);
  else r = std::make_unique<TdxfReader>(src);
  Tokenized t;
  t.binary = codeSize != 0;
  std::string variable;
  while (true) {
    r->Next();
    if (r->AtEndPair()) break;
    if (r->Eof()) t.sawEOF = true;
    const int code = r->Code();
    const TdxfValueKind kind = DXFValueKind(code);
    Token tok{code, {}, 0.0, 0};
    if (kind == vkReal) tok.real = r->FloatValue();
    else if (kind == vkInteger || (code >= 160 && code <= 169)) tok.integer = r->Int64Value();
    else if (code == 310 || code == 1004) tok.text = r->Value();
    else tok.text = r->UValue();
    if (tok.text.find("\uFFFD") != std::string::npos) ++t.replacements;
    if (code == 9) variable = tok.text;
    if (variable == "$ACADVER" && code == 1) r->SetUnicodeText(tok.text >= "AC1021");
    if (variable == "$DWGCODEPAGE" && code == 3) r->SetCodePage(CodePageByName(tok.text));
    t.tokens.push_back(std::move(tok));
  }
  return t;
}

}  // namespace

TEST(DXFCorpus, EveryFileTokenizesToItsEnd) {
  const fs::path root = Corpus();
  if (root.empty()) GTEST_SKIP() << "no corpus folder (set VX_CORPUS); real-file checks skipped";
  int files = 0;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    const std::string ext = entry.path().extension().string();
    if (!entry.is_regular_file() || (ext != ".dxf" && ext != ".dxfb")) continue;
    ++files;
    SCOPED_TRACE(entry.path().string());
    Tokenized t;
    ASSERT_NO_THROW(t = Tokenize(entry.path()));
    EXPECT_GT(t.tokens.size(), 100u);
    EXPECT_TRUE(t.sawEOF);
    EXPECT_EQ(t.replacements, 0);
  }
  EXPECT_GT(files, 0) << "no DXF files under " << root;
}

namespace {

// Per section, the record names with their counts; the objects section is left out (each save may
// add dictionaries and records there), and so are pair counts (a save may add extended data).
std::map<std::string, int> Outline(const Tokenized& t) {
  std::map<std::string, int> out;
  std::string section;
  for (size_t i = 0; i < t.tokens.size(); ++i) {
    const Token& tok = t.tokens[i];
    if (tok.code == 0 && tok.text == "SECTION" && i + 1 < t.tokens.size()) section = t.tokens[i + 1].text;
    if (section == "OBJECTS") continue;
    if (tok.code == 0) ++out[section + " " + tok.text];
  }
  return out;
}

}  // namespace

TEST(DXFCorpus, TextAndBinaryCopiesHoldTheSameRecords) {
  const fs::path root = Corpus();
  if (root.empty()) GTEST_SKIP() << "no corpus folder (set VX_CORPUS); real-file checks skipped";
  struct Twin { std::string text, bin; };
  int twins = 0;
  for (const Twin& w : std::initializer_list<Twin>{
           {"same-drawing/sample_AC1009_ascii.dxf", "same-drawing/sample_AC1009_binary.dxf"},
           {"same-drawing/sample_AC1015_ascii.dxf", "same-drawing/sample_AC1015_binary.dxf"},
           {"same-drawing/sample_AC1027_ascii.dxf", "same-drawing/sample_AC1027_binary.dxf"},
           {"libredwg/example_2000.dxf", "libredwg/example_2000.dxfb"}}) {
    if (!fs::exists(root / w.text) || !fs::exists(root / w.bin)) continue;
    ++twins;
    SCOPED_TRACE(w.bin);
    const Tokenized a = Tokenize(root / w.text), b = Tokenize(root / w.bin);
    EXPECT_FALSE(a.binary);
    EXPECT_TRUE(b.binary);
    const auto oa = Outline(a), ob = Outline(b);
    EXPECT_GT(oa.size(), 10u);
    EXPECT_EQ(oa, ob);
  }
  if (twins == 0) GTEST_SKIP() << "no text/binary twins in " << root;
}
