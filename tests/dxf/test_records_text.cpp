// Text records: "TEXT", "MTEXT", "SHAPE", the text fields of "ATTDEF"/"ATTRIB", and "STYLE"
// entries with their TrueType face; text and binary files agree; real drawings against ezdxf.
#include "test_dxf_load_fixture.h"

#include "database/text/vxMText.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

#include <array>
#include <bit>
#include <cstdio>
#include <sstream>

using namespace vx;
using namespace vx::dxftest;

namespace {

Pairs Styles(const Pairs& entries) {
  Pairs p{{0, "TABLE"}, {2, "STYLE"}};
  p.insert(p.end(), entries.begin(), entries.end());
  p.push_back({0, "ENDTAB"});
  return Section("TABLES", p);
}

// A TEXT record with every field the record carries.
const Pairs kFullText = {
    {0, "TEXT"}, {5, "2A"}, {8, "L"}, {7, "Fancy"}, {10, "1"}, {20, "2"}, {30, "3"}, {11, "4"}, {21, "5"},
    {31, "6"}, {40, "2.5"}, {41, "0.75"}, {50, "30"}, {51, "-10"}, {71, "6"}, {72, "2"}, {73, "1"}, {39, "0.5"},
    {210, "0"}, {220, "0"}, {230, "-1"}, {1, "A^ B %%d"}, {1001, "PE_URL"}, {1000, "http://example.org"}};

}  // namespace

TEST(DxfRecordsText, TextHoldsEveryFieldOfItsRecord) {
  Drawing d;
  d.Load(WithEOF(Join({Styles({{0, "STYLE"}, {2, "Fancy"}, {3, "romans.shx"}}), Section("ENTITIES", kFullText)})));
  ASSERT_TRUE(d.Error.empty()) << d.Error;
  auto* t = d.As<TvxDXFText>(0);
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(t->EntType(), ceText);
  EXPECT_EQ(t->GetHandle(), 0x2Au);
  // The caret before a blank stands for the caret; "%%d" is the degree sign.
  EXPECT_EQ(t->Text(), "A^B \u00B0");
  ASSERT_NE(t->GetStyle(), nullptr);
  EXPECT_EQ(t->GetStyle()->GetName(), "Fancy");
  EXPECT_EQ(t->FontName(), "romans");
  EXPECT_TRUE(t->IsSHXFont());
  EXPECT_EQ(t->GetPoint().X, 1);
  EXPECT_EQ(t->GetPoint().Z, 3);
  EXPECT_EQ(t->GetPoint1().Y, 5);
  EXPECT_EQ(t->GetPoint1().Z, 6);
  EXPECT_DOUBLE_EQ(t->Height(), 2.5);
  EXPECT_DOUBLE_EQ(t->Scale(), 0.75);
  EXPECT_DOUBLE_EQ(t->Rotation(), 30);
  EXPECT_DOUBLE_EQ(t->ObliqueAngle(), 170);
  EXPECT_EQ(t->Generation(), cnstTextBackward | cnstTextUpsideDown);
  EXPECT_EQ(t->HAlign(), cnstHAlignRight);
  EXPECT_EQ(t->VAlign(), cnstVAlignBottom);
  EXPECT_DOUBLE_EQ(t->ZThick(), 0.5);
  EXPECT_EQ(t->GetExtrusion().Z, -1);
  EXPECT_EQ(t->GetHyperLink(), "http://example.org");
  EXPECT_EQ(t->GetLayer()->GetName(), "L");
  EXPECT_FALSE(IsBadBox(t->GetBox()));
  // The text is in the drawing's extents.
  const TFRect e = d.Conv->Extents();
  EXPECT_LE(e.Left, t->GetBox().Left);
  EXPECT_GE(e.Right, t->GetBox().Right);
}

TEST(DxfRecordsText, TextDefaultsAndStylesDefinedLater) {
  Drawing d;
  // No 11: the alignment point stays undefined and the right alignment cannot be used. The style
  // is unknown while the entity is read ("Late" is never defined) or missing (STANDARD).
  d.Load(Entities({{0, "TEXT"}, {1, "plain"}, {72, "2"}, {7, "Late"}, {0, "TEXT"}, {1, "^ "}}));
  ASSERT_EQ(d.Count(), 2);
  auto* t = d.As<TvxDXFText>(0);
  EXPECT_TRUE(IsUndefinedPoint(t->GetPoint1()));
  EXPECT_EQ(std::bit_cast<uint64_t>(t->GetPoint1().X), 0xC2D5554000000000u);
  EXPECT_DOUBLE_EQ(t->Scale(), 1);
  EXPECT_EQ(t->HAlign(), 0);
  EXPECT_EQ(t->GetStyle(), nullptr);
  EXPECT_EQ(t->GetStyleItem(), nullptr);  // the placeholder was resolved (to nothing)
  EXPECT_EQ(d.As<TvxDXFText>(1)->Text(), "^");
}

TEST(DxfRecordsText, MTextJoinsItsPiecesInFileOrder) {
  Drawing d;
  d.Load(Entities({{0, "MTEXT"}, {3, "ab"}, {1, "ef"}, {3, "cd"}, {10, "1"}, {20, "2"}, {40, "3"}, {41, "20"},
                   {71, "5"}, {72, "1"}, {44, "1.5"}, {73, "2"}, {50, "45"}, {11, "0"}, {21, "1"}, {7, "Missing"},
                   {0, "MTEXT"}, {1, "x"}}));
  ASSERT_TRUE(d.Error.empty()) << d.Error;
  ASSERT_EQ(d.Count(), 2);
  auto* m = d.As<TvxDXFMText>(0);
  ASSERT_NE(m, nullptr);
  EXPECT_EQ(m->EntType(), ceMText);
  EXPECT_EQ(m->Text(), "abcdef");
  EXPECT_EQ(m->GetPoint().Y, 2);
  EXPECT_DOUBLE_EQ(m->Height(), 3);
  EXPECT_DOUBLE_EQ(m->RectWidth(), 20);
  EXPECT_EQ(m->Align(), cnstMTextMiddleCenter);
  EXPECT_DOUBLE_EQ(m->LineSpacingFactor(), 1.5);
  EXPECT_EQ(m->LineSpacingStyle(), 2);
  EXPECT_FLOAT_EQ(m->Rotation(), 45);
  EXPECT_NEAR(m->EffectiveRotation(), 90, 1e-9);
  EXPECT_FALSE(m->Hyphenation());
  // A style never defined: "STANDARD" at load.
  ASSERT_NE(m->GetStyle(), nullptr);
  EXPECT_EQ(m->GetStyle()->GetName(), "STANDARD");
  // Presets of a record without those codes.
  auto* plain = d.As<TvxDXFMText>(1);
  EXPECT_TRUE(IsUndefinedPoint(plain->GetPoint1()));
  EXPECT_DOUBLE_EQ(plain->LineSpacingFactor(), 1);
  EXPECT_EQ(plain->LineSpacingStyle(), 1);
  EXPECT_EQ(plain->Align(), 0);
}

TEST(DxfRecordsText, MTextPiecesAreDecodedTogether) {
  // "Grüße" in code page 1252, cut inside the text; and a double-byte character of code page 932
  // cut between its two bytes, which decoding each piece alone would break.
  struct Case {
    const char* codePage;
    std::string piece, rest, want;
  };
  for (const Case& c : std::initializer_list<Case>{
           {"ANSI_1252", "Gr\xFC", "\xDF" "e", "Gr\u00FC\u00DFe"},
           {"ANSI_932", "a\x82", "\xA0z", "a\u3042z"},
       }) {
    SCOPED_TRACE(c.codePage);
    Drawing d;
    d.Load(WithEOF(Join({Section("HEADER", {{9, "$ACADVER"}, {1, "AC1015"}, {9, "$DWGCODEPAGE"}, {3, c.codePage}}),
                         Section("ENTITIES", {{0, "MTEXT"}, {3, c.piece}, {1, c.rest}})})));
    auto* m = d.As<TvxDXFMText>(0);
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(m->Text(), c.want);
  }
}

TEST(DxfRecordsText, TableCellTextsWrapInsideWords) {
  Drawing d;
  d.Load(WithEOF(Join({Section("BLOCKS", {{0, "BLOCK"}, {2, "*T1"}, {0, "MTEXT"}, {1, "cell"}, {0, "ENDBLK"},
                                          {0, "BLOCK"}, {2, "*TEXT"}, {0, "MTEXT"}, {1, "x"}, {0, "ENDBLK"},
                                          {0, "BLOCK"}, {2, "B"}, {0, "MTEXT"}, {1, "x"}, {0, "ENDBLK"}}),
                       Section("ENTITIES", {})})));
  auto first = [&](const char* block) {
    TvxDXFBlock* b = d.Conv->BlockByName(block);
    return b && b->Count() > 0 ? dynamic_cast<TvxDXFMText*>(b->GetEntity(0)) : nullptr;
  };
  ASSERT_TRUE(first("*T1") && first("*TEXT") && first("B"));
  EXPECT_TRUE(first("*T1")->Hyphenation());
  EXPECT_TRUE(first("*TEXT")->Hyphenation());  // the name alone tells: any "*T" block
  EXPECT_FALSE(first("B")->Hyphenation());
}

TEST(DxfRecordsText, ShapeByName) {
  Drawing d;
  d.Load(Entities({{0, "SHAPE"}, {2, " BOX "}, {10, "5"}, {20, "6"}, {40, "2"}, {41, "1.5"}, {50, "90"},
                   {51, "20"}, {39, "1"}, {0, "SHAPE"}}));
  ASSERT_EQ(d.Count(), 2);
  auto* s = d.As<TvxDXFShape>(0);
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->EntType(), ceShape);
  EXPECT_EQ(s->ShapeName(), "BOX");
  EXPECT_EQ(s->GetPoint().X, 5);
  EXPECT_DOUBLE_EQ(s->Size(), 2);
  EXPECT_DOUBLE_EQ(s->Scale(), 1.5);
  EXPECT_DOUBLE_EQ(s->Rotation(), 90);
  EXPECT_DOUBLE_EQ(s->ObliqueAngle(), 20);
  EXPECT_DOUBLE_EQ(s->ZThick(), 1);
  EXPECT_TRUE(IsUndefinedPoint(s->GetPoint1()));
  EXPECT_FALSE(IsBadBox(s->GetBox()));
  auto* empty = d.As<TvxDXFShape>(1);
  EXPECT_DOUBLE_EQ(empty->Scale(), 1);
  EXPECT_TRUE(IsBadBox(empty->GetBox()));  // no glyph named
}

TEST(DxfRecordsText, AttributesCarryTheTextFields) {
  const Pairs block = {{0, "BLOCK"}, {2, "B"}, {0, "ATTDEF"}, {10, "1"}, {20, "1"}, {40, "1"}, {1, "d"},
                       {2, "TAG"}, {3, "Prompt"}, {70, "2"}, {7, "S"}, {51, "15"}, {71, "2"}, {72, "4"},
                       {11, "3"}, {21, "1"}, {0, "ENDBLK"}};
  const Pairs entities = {
      {0, "INSERT"}, {2, "B"}, {10, "0"}, {20, "0"}, {66, "1"},
      {0, "ATTRIB"}, {10, "6"}, {20, "3"}, {40, "1"}, {1, "42 %%p"}, {2, "TAG"}, {70, "0"}, {72, "1"},
      {73, "1"}, {74, "2"}, {11, "7"}, {21, "3"}, {210, "0"}, {220, "0"}, {230, "1"},
      // A copy of the attribute as multi-line text: its codes are not the attribute's.
      {101, "Embedded Object"}, {10, "99"}, {20, "99"}, {40, "9"}, {1, "other"},
      {0, "SEQEND"}};
  Drawing d;
  d.Load(WithEOF(Join({Styles({{0, "STYLE"}, {2, "S"}, {3, "arial.ttf"}}), Section("BLOCKS", block),
                       Section("ENTITIES", entities)})));
  ASSERT_TRUE(d.Error.empty()) << d.Error;
  auto* ins = d.As<TvxDXFInsert>(0);
  ASSERT_TRUE(ins && ins->Attribs().size() == 1);
  TvxDXFAttrib* a = ins->Attribs()[0];
  EXPECT_EQ(a->VAlign(), 2);  // 74, not 73
  EXPECT_EQ(a->HAlign(), 1);
  EXPECT_EQ(a->Value(), "42 %%p");
  EXPECT_EQ(a->Text(), "42 \u00B1");
  EXPECT_EQ(a->GetPoint().X, 6);
  EXPECT_DOUBLE_EQ(a->Height(), 1);
  auto* def = dynamic_cast<TvxDXFAttdef*>(d.Conv->BlockByName("B")->GetEntity(0));
  ASSERT_NE(def, nullptr);
  EXPECT_EQ(def->Text(), "TAG");
  EXPECT_EQ(def->Value(), "d");
  EXPECT_TRUE(def->Constant());
  EXPECT_DOUBLE_EQ(def->ObliqueAngle(), 15);
  EXPECT_TRUE(def->Backward());
  EXPECT_EQ(def->HAlign(), cnstHAlignMiddle);
  ASSERT_NE(def->GetStyle(), nullptr);
  EXPECT_TRUE(def->WinFont());
  EXPECT_EQ(def->FontName(), "arial");
}

TEST(DxfRecordsText, StyleEntriesAndTheirTrueTypeFace) {
  Drawing d;
  d.Load(WithEOF(Styles({
      {0, "STYLE"}, {2, "Plain"},
      {0, "STYLE"}, {2, "Empty"}, {3, ""},
      {0, "STYLE"}, {2, "Face"}, {3, "arial.ttf"}, {4, "big.shx"}, {40, "2"}, {41, "0.8"}, {42, "3"}, {50, "12"},
      {71, "4"}, {1001, "ACAD"}, {1000, " Arial Black "}, {1071, std::to_string((1 << 25) | (1 << 24) | 34)},
      {0, "STYLE"}, {2, "Regular"}, {3, "consola.ttf"}, {1001, "OTHER"}, {1000, "no"},
      {1001, "ACAD"}, {1000, "Consolas"}, {1071, "49"},
  })));
  ASSERT_TRUE(d.Error.empty()) << d.Error;
  TvxDXFTable* styles = d.Conv->Styles();
  auto* plain = styles->FindItem<TvxDXFStyle>("Plain");
  auto* empty = styles->FindItem<TvxDXFStyle>("Empty");
  auto* face = styles->FindItem<TvxDXFStyle>("Face");
  auto* regular = styles->FindItem<TvxDXFStyle>("Regular");
  ASSERT_TRUE(plain && empty && face && regular);
  EXPECT_EQ(plain->PrimaryFont, "txt");
  EXPECT_EQ(empty->PrimaryFont, "simplex.shx");
  EXPECT_EQ(plain->FontName, "");
  EXPECT_EQ(face->FontName, "Arial Black");
  EXPECT_EQ(face->FontStyle, cnstFontBold | cnstFontItalic);
  EXPECT_EQ(face->BigFont, "big.shx");
  EXPECT_DOUBLE_EQ(face->FixedHeight, 2);
  EXPECT_DOUBLE_EQ(face->WidthFactor, 0.8);
  EXPECT_DOUBLE_EQ(face->LastHeightUsed, 3);
  EXPECT_DOUBLE_EQ(face->ObliqueAngle, 12);
  EXPECT_TRUE(face->UpsideDown());
  EXPECT_FALSE(face->Backward());
  EXPECT_EQ(regular->FontName, "Consolas");  // the other application's string is not the face
  EXPECT_EQ(regular->FontStyle, 0);
}

namespace {

// The text fields of every text entity of a block, one line each. Six digits: the R12 text file
// of the corpus writes the texts of its dimension blocks with no more.
void DescribeTexts(const TvxDXFEntity* block, std::ostream& o) {
  if (!block) return;
  for (int i = 0; i < block->Count(); ++i) {
    const TvxDXFEntity* e = block->GetEntity(i);
    if (auto* ins = dynamic_cast<const TvxDXFInsert*>(e); ins && !dynamic_cast<const TvxDXFMText*>(e)) {
      DescribeTexts(ins, o);  // its attributes
      continue;
    }
    char buf[400];
    if (auto* t = dynamic_cast<const TvxDXFText*>(e)) {
      const TFPoint p = t->GetPoint(), q = t->GetPoint1();
      std::snprintf(buf, sizeof buf, "%d [%.6g %.6g %.6g] [%.6g %.6g] h=%.6g w=%.6g r=%.6g o=%.6g g=%d a=%d/%d ",
                    static_cast<int>(t->EntType()), p.X, p.Y, p.Z, q.X, q.Y, t->Height(), t->Scale(), t->Rotation(),
                    t->ObliqueAngle(), t->Generation(), t->HAlign(), t->VAlign());
      o << buf << t->Text() << " style=" << (t->GetStyle() ? t->GetStyle()->GetName() : "-") << "\n";
    } else if (auto* m = dynamic_cast<const TvxDXFMText*>(e)) {
      const TFPoint p = m->GetPoint();
      std::snprintf(buf, sizeof buf, "MText [%.6g %.6g %.6g] h=%.6g w=%.6g a=%d r=%.6g ", p.X, p.Y, p.Z, m->Height(),
                    m->RectWidth(), m->Align(), m->EffectiveRotation());
      o << buf << m->Text() << "\n";
    }
  }
}

std::string AllTexts(const Drawing& d) {
  std::ostringstream o;
  TvxDXFEntity* blocks = d.Conv->BlocksSection();
  for (int i = 0; blocks && i < blocks->Count(); ++i) {
    o << "block " << blocks->GetEntity(i)->GetName() << "\n";
    DescribeTexts(blocks->GetEntity(i), o);
  }
  return o.str();
}

}  // namespace

TEST(DxfRecordsText, TextAndBinaryFilesGiveTheSameTexts) {
  const Pairs file = WithEOF(Join({Styles({{0, "STYLE"}, {2, "Fancy"}, {3, "romans.shx"}}),
                                   Section("ENTITIES", Join({Pairs(kFullText.begin(), kFullText.end() - 2),
                                                             {{0, "MTEXT"}, {3, "ab"}, {1, "cd"}, {10, "1"}, {40, "2"}},
                                                             {{0, "SHAPE"}, {2, "S"}, {40, "1"}}}))}));
  Drawing a, b;
  a.Load(DxfText(file));
  b.Load(DxfBinary(file));
  ASSERT_TRUE(a.Error.empty() && b.Error.empty()) << a.Error << b.Error;
  EXPECT_EQ(a.Count(), 3);
  EXPECT_EQ(AllTexts(a), AllTexts(b));
}

TEST(DxfRecordsTextCorpus, TextAndBinaryTwinsGiveTheSameTexts) {
  const fs::path dir = Corpus();
  if (dir.empty()) GTEST_SKIP() << "no corpus (VX_CORPUS)";
  int twins = 0;
  for (const auto& [text, bin] : std::initializer_list<std::pair<const char*, const char*>>{
           {"same-drawing/sample_AC1009_ascii.dxf", "same-drawing/sample_AC1009_binary.dxf"},
           {"same-drawing/sample_AC1015_ascii.dxf", "same-drawing/sample_AC1015_binary.dxf"},
           {"same-drawing/sample_AC1027_ascii.dxf", "same-drawing/sample_AC1027_binary.dxf"},
           {"libredwg/example_2000.dxf", "libredwg/example_2000.dxfb"}}) {
    if (!fs::exists(dir / text) || !fs::exists(dir / bin)) continue;
    SCOPED_TRACE(bin);
    ++twins;
    Drawing a, b;
    a.Load(ReadFile(dir / text));
    b.Load(ReadFile(dir / bin));
    ASSERT_TRUE(a.Error.empty() && b.Error.empty()) << a.Error << b.Error;
    const std::string ta = AllTexts(a);
    EXPECT_NE(ta.find(" style="), std::string::npos);  // the drawing has texts
    EXPECT_EQ(ta, AllTexts(b));
  }
  if (twins == 0) GTEST_SKIP() << "no text/binary twins in " << dir;
}

TEST(DxfRecordsTextCorpus, StylesOfARealDrawing) {
  const fs::path f = Corpus() / "same-drawing/sample_AC1015_ascii.dxf";
  if (Corpus().empty() || !fs::exists(f)) GTEST_SKIP() << "no corpus (VX_CORPUS)";
  Drawing d;
  d.Load(ReadFile(f));
  ASSERT_TRUE(d.Error.empty()) << d.Error;
  auto* standard = d.Conv->Styles()->FindItem<TvxDXFStyle>("Standard");
  auto* custom = d.Conv->Styles()->FindItem<TvxDXFStyle>("custom_text_style");
  ASSERT_TRUE(standard && custom);
  EXPECT_EQ(standard->PrimaryFont, "arial.ttf");
  EXPECT_EQ(standard->FontName, "Arial");
  EXPECT_EQ(custom->FontName, "Consolas");
  EXPECT_EQ(custom->FontStyle, 0);
  // Its texts take the face of their style.
  int texts = 0;
  for (int i = 0; i < d.Count(); ++i)
    if (auto* t = d.As<TvxDXFText>(i); t && t->EntType() == ceText) {
      ++texts;
      EXPECT_TRUE(t->WinFont()) << t->Text();
    }
  EXPECT_EQ(texts, 29);
}

TEST(DxfRecordsText, DumpToolNamesTheTextKinds) {
  std::error_code ec;
  const fs::path tool = fs::read_symlink("/proc/self/exe", ec).parent_path() / "vxdump";
  if (!fs::exists(tool, ec)) GTEST_SKIP() << "vxdump is not built beside the tests";
  const fs::path file = fs::temp_directory_path() / ("vx_text_kinds_" + std::to_string(getpid()) + ".dxf");
  {
    std::ofstream out(file, std::ios::binary);
    out << DxfText(Entities({{0, "TEXT"}, {1, "a"}, {0, "MTEXT"}, {1, "b"}, {0, "SHAPE"}, {2, "S"}}));
  }
  FILE* pipe = popen(("'" + tool.string() + "' --json '" + file.string() + "' 2>/dev/null").c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  std::string json;
  std::array<char, 4096> buf;
  while (size_t n = fread(buf.data(), 1, buf.size(), pipe)) json.append(buf.data(), n);
  const int status = pclose(pipe);
  fs::remove(file, ec);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << json;
  EXPECT_NE(json.find("\"types\":{\"MText\":1,\"Shape\":1,\"Text\":1}"), std::string::npos) << json;
}

TEST(DxfRecordsTextCorpus, DrawingsWrittenByAnotherProgram) {
  if (std::system("/usr/bin/python3 -c 'import ezdxf' >/dev/null 2>&1") != 0) GTEST_SKIP() << "no ezdxf";
  const fs::path script = fs::path(vx::test::SourceDir()) / "tests/dxf/ezdxf_text_fixture.py";
  std::string want = "Gr\u00FC\u00DFe \u00B1 ";
  for (int i = 0; i < 40; ++i) want += "abcdefghij";
  want += " Ende";
  std::string first;
  for (const auto& [version, format] : std::initializer_list<std::pair<const char*, const char*>>{
           {"R2007", "asc"}, {"R2007", "bin"}, {"R2000", "asc"}, {"R2013", "bin"}}) {
    SCOPED_TRACE(std::string(version) + " " + format);
    const fs::path file = fs::temp_directory_path() /
                          ("vx_text_" + std::to_string(getpid()) + "_" + version + format + ".dxf");
    const std::string cmd = "/usr/bin/python3 '" + script.string() + "' '" + file.string() + "' " + version +
                            " " + format + " >/dev/null 2>&1";
    ASSERT_EQ(std::system(cmd.c_str()), 0) << cmd;
    Drawing d;
    d.Load(ReadFile(file));
    std::error_code ec;
    fs::remove(file, ec);
    ASSERT_TRUE(d.Error.empty()) << d.Error;
    ASSERT_EQ(d.Count(), 3);
    auto* m = d.As<TvxDXFMText>(0);
    auto* t = d.As<TvxDXFText>(1);
    auto* s = d.As<TvxDXFShape>(2);
    ASSERT_TRUE(m && t && s);
    EXPECT_EQ(m->Text(), want);
    EXPECT_EQ(m->Align(), cnstMTextMiddleCenter);
    EXPECT_DOUBLE_EQ(m->RectWidth(), 50);
    EXPECT_EQ(t->Text(), "Aligned");
    EXPECT_EQ(t->HAlign(), cnstHAlignCenter);
    EXPECT_EQ(t->VAlign(), cnstVAlignMiddle);
    EXPECT_EQ(t->GetPoint1().Y, 20);
    EXPECT_DOUBLE_EQ(t->Rotation(), 30);
    ASSERT_NE(t->GetStyle(), nullptr);
    EXPECT_EQ(t->GetStyle()->FontName, "Arial");
    EXPECT_EQ(t->GetStyle()->FontStyle, 0);
    EXPECT_TRUE(t->WinFont());
    EXPECT_EQ(s->ShapeName(), "BOX");
    EXPECT_DOUBLE_EQ(s->Size(), 3);
    // Every version and format gives the same texts.
    const std::string all = AllTexts(d);
    if (first.empty()) first = all;
    else EXPECT_EQ(all, first);
  }
}
