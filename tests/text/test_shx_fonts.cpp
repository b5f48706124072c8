// SHX files: recognition of the kinds, the real fonts of the corpus (a Latin Unicode font, a large
// Japanese one, the shape files of line types), text fonts with their code page, big fonts with
// escape ranges, Unicode fonts, the record table wider than a byte, the glyph cache, and damaged
// files (every prefix, random byte flips) that must load partially or not at all, never crash.
#include "text/shx/vxSHXFont.h"

#include "support/vxTestPaths.h"
#include "text/shx_writer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <numeric>
#include <random>
#include <sstream>
#include <unistd.h>

using namespace vx;
using namespace vx::shx;
using namespace vx::test;
using namespace std::string_literals;

namespace {

std::string FontPath(const char* rel) {
  const std::string c = CorpusDir();
  return c.empty() ? std::string() : c + "/" + rel;
}

#define REQUIRE_CORPUS()                                                   \
  if (CorpusDir().empty()) GTEST_SKIP() << "VX_CORPUS is not set (no corpus)";

std::unique_ptr<TvxSHXFont> Open(const char* rel) {
  auto f = std::make_unique<TvxSHXFont>(FontPath(rel));
  EXPECT_TRUE(f->Load()) << rel;
  return f;
}

std::unique_ptr<TvxSHXFont> FromBytes(std::string bytes, const char* name = "test.shx") {
  auto f = std::make_unique<TvxSHXFont>(name);
  f->LoadFromBytes(std::move(bytes));
  return f;
}

size_t PointSum(const TvxGlyph& g) { return std::accumulate(g.Counts.begin(), g.Counts.end(), size_t(0)); }

// Every glyph of a font, both directions: sound parts, finite numbers.
void CheckAllGlyphs(TvxSHXFont& f, size_t limit = SIZE_MAX) {
  size_t n = 0;
  for (const TvxSHXRecord& r : f.Records()) {
    if (r.ShapeNumber == 0 || n++ >= limit) continue;
    for (bool vertical : {false, true}) {
      const TvxGlyph* g = f.GlyphByCode(r.ShapeNumber, vertical);
      ASSERT_NE(g, nullptr);
      ASSERT_EQ(PointSum(*g), g->Points.size());
      for (const TF2DPoint& p : g->Points) ASSERT_TRUE(std::isfinite(p.X) && std::isfinite(p.Y));
      ASSERT_TRUE(std::isfinite(g->AdvanceX) && std::isfinite(g->AdvanceY));
    }
  }
}

const TSHXInfo kInfo{"test", 8, 2, 0};

}  // namespace

TEST(SHXFont, RecognisesTheKinds) {
  struct Case { std::string bytes; uint8_t kind; bool isShape; };
  const std::vector<TSHXShape> one{{65, "", {0x14}}};
  for (const Case& c : std::vector<Case>{
           {SHXShapeFile(one), cnstSHXShapes, true},
           {SHXShapeFile(one, &kInfo), cnstSHXShapes, false},
           {SHXBigFont(one, {}, kInfo), cnstSHXBigFont, false},
           {SHXUnicodeFont(one, kInfo), cnstSHXUnicode, false},
           {"AutoCAD-86 shapes 1.0\r\n\x1a\1\0\1\0\1\0\x41\0\2\0\0\x14"s, cnstSHXShapes, true},
           {"AutoCAD-86 shapes 2.0\r\n\x1a", cnstSHXNone, false},
           {"AutoCAD-86 shap", cnstSHXNone, false},
           {"", cnstSHXNone, false}}) {
    auto f = FromBytes(c.bytes);
    EXPECT_EQ(f->FKind, c.kind) << c.bytes.substr(0, 22);
    if (c.kind == cnstSHXNone) continue;
    EXPECT_EQ(f->FIsShape, c.isShape);
    const TvxGlyph* g = f->GlyphByCode(65);
    ASSERT_NE(g, nullptr);
    EXPECT_EQ(g->AdvanceY, 1);
  }
  TvxSHXFont missing("/no/such/folder/font.shx");
  EXPECT_FALSE(missing.Load());
  EXPECT_EQ(missing.FKind, cnstSHXNone);
}

TEST(SHXFont, Iso3098UnicodeFont) {
  REQUIRE_CORPUS();
  auto f = Open("fonts/iso3098.shx");
  EXPECT_EQ(f->FKind, cnstSHXUnicode);
  EXPECT_EQ(f->Kind(), fkUnicode);
  EXPECT_EQ(f->FFontName, "iso3098");
  EXPECT_EQ(f->FNumChars, 319);
  EXPECT_EQ(f->Records().size(), 318u);
  EXPECT_EQ(f->Above(), 32);
  EXPECT_EQ(f->Below(), 0);
  EXPECT_TRUE(f->HasVertical());
  EXPECT_EQ(f->Koef(), 0);
  // "A": 2,14,8,(-12,-32),8,(7,4),1,9,(10,28),(9,-28),(0,0),2,8,(-16,8),1,8,(13,0),2,8,(1,-12),14,8,(-12,0)
  const TvxGlyph* a = f->Glyph(U'A');
  ASSERT_NE(a, nullptr);
  ASSERT_EQ(a->Counts, (std::vector<int>{3, 2}));
  const std::vector<TF2DPoint> want{{7, 4}, {17, 32}, {26, 4}, {10, 12}, {23, 12}};
  EXPECT_EQ(a->Points, want);
  EXPECT_EQ(a->AdvanceX, 24);
  EXPECT_EQ(a->AdvanceY, 0);
  EXPECT_EQ(a->Left, 7);
  EXPECT_EQ(a->Right, 26);
  EXPECT_EQ(a->Bottom, 4);
  EXPECT_EQ(a->Top, 32);
  // The vertical program also runs the moves behind code 14: it starts 12 left and 32 down and
  // ends one character lower.
  const TvxGlyph* av = f->Glyph(U'A', true);
  ASSERT_NE(av, nullptr);
  EXPECT_EQ(av->Points[0], (TF2DPoint{-5, -28}));
  EXPECT_EQ(av->AdvanceX, 0);
  EXPECT_EQ(av->AdvanceY, -32);
  // Each program runs once per direction; later asks come from the cache.
  const size_t runs = f->ProgramRuns();
  EXPECT_EQ(f->Glyph(U'A'), a);
  EXPECT_EQ(f->Glyph(U'A', true), av);
  EXPECT_EQ(f->ProgramRuns(), runs);
  EXPECT_EQ(f->Glyph(U'\u4E00'), nullptr);  // no CJK in this font
  EXPECT_EQ(f->GlyphByCode(0), nullptr);
  CheckAllGlyphs(*f);
}

TEST(SHXFont, Kst32bLargeUnicodeFont) {
  REQUIRE_CORPUS();
  auto f = Open("fonts/kst32b.shx");
  EXPECT_EQ(f->FKind, cnstSHXUnicode);
  EXPECT_EQ(f->FFontName, "kst32b");
  EXPECT_EQ(f->Records().size(), 6721u);
  for (char32_t ch : {U'\u3042', U'\u65E5', U'\u672C', U'A'}) {
    const TvxGlyph* g = f->Glyph(ch);
    ASSERT_NE(g, nullptr) << uint32_t(ch);
    EXPECT_FALSE(g->Counts.empty()) << uint32_t(ch);
    EXPECT_GT(g->AdvanceX, 0);
    EXPECT_GT(g->Top, g->Bottom);
  }
  CheckAllGlyphs(*f);
}

TEST(SHXFont, ShapeFilesOfLineTypes) {
  REQUIRE_CORPUS();
  auto f = Open("fonts/ltypeshp.shx");
  EXPECT_EQ(f->FKind, cnstSHXShapes);
  EXPECT_TRUE(f->FIsShape);
  EXPECT_EQ(f->Kind(), fkShapes);
  struct Case { const char* name; int number; };
  for (const Case& c : std::initializer_list<Case>{
           {"TRACK1", 130}, {"zig", 131}, {"Box", 132}, {"CIRC1", 133}, {"BAT", 134}, {"NONE", -1}})
    EXPECT_EQ(f->ShapeNumber(c.name), c.number) << c.name;
  EXPECT_EQ(f->Records()[0].ShapeName, "TRACK1");
  // CIRC1: 10,(1,-0x40): a full circle of radius 1 starting at octant 4, centre (1, 0).
  const TvxGlyph* circle = f->GlyphByCode(133);
  ASSERT_NE(circle, nullptr);
  ASSERT_EQ(circle->Counts.size(), 1u);
  EXPECT_NEAR(circle->Left, 0, 1e-9);
  EXPECT_NEAR(circle->Right, 2, 1e-9);
  EXPECT_NEAR(circle->Bottom, -1, 1e-9);
  EXPECT_NEAR(circle->Top, 1, 1e-9);
  for (const TF2DPoint& p : circle->Points) EXPECT_NEAR(std::hypot(p.X - 1, p.Y), 1, 1e-9);
  // TRACK1: up 1, pen up, down 1, pen down, down 1: two strokes.
  const TvxGlyph* track = f->GlyphByCode(130);
  ASSERT_NE(track, nullptr);
  EXPECT_EQ(track->Counts, (std::vector<int>{2, 2}));
  EXPECT_EQ(track->AdvanceY, -1);
  CheckAllGlyphs(*f);

  auto s = Open("shapes/test_shape.shx");
  EXPECT_TRUE(s->FIsShape);
  EXPECT_EQ(s->ShapeNumber("my-shape"), 1);
  const TvxGlyph* g = s->GlyphByCode(1);
  ASSERT_NE(g, nullptr);
  EXPECT_GT(g->Counts.size(), 10u);
  EXPECT_GT(g->Right - g->Left, 1);
}

TEST(SHXFont, TextFontCodesAndCodePage) {
  std::vector<TSHXShape> shapes;
  for (uint32_t n : {65u, 0xE9u, 127u, 129u}) shapes.push_back({n, "", {0x10}});
  shapes[1].Program = {0x20};  // so that e-acute differs
  const TSHXInfo info{"txt", 6, 2, 2};
  auto f = FromBytes(SHXShapeFile(shapes, &info));
  EXPECT_FALSE(f->FIsShape);
  EXPECT_EQ(f->FFontName, "txt");
  EXPECT_EQ(f->Above(), 6);
  EXPECT_EQ(f->Below(), 2);
  EXPECT_TRUE(f->HasVertical());
  EXPECT_EQ(f->GetCodePage(), 1252);
  EXPECT_EQ(f->CodeOfChar(U'A'), 65u);
  EXPECT_EQ(f->CodeOfChar(U'\u00E9'), 0xE9u);   // e-acute through code page 1252
  EXPECT_EQ(f->CodeOfChar(U'\u20AC'), 0x80u);   // the euro sign is 0x80 there
  EXPECT_EQ(f->CodeOfChar(U'\u4E00'), 0u);      // not in the code page
  ASSERT_NE(f->Glyph(U'\u00E9'), nullptr);
  EXPECT_EQ(f->Glyph(U'\u00E9')->AdvanceX, 2);
  // Degree sign and diameter fall back to the old codes 127 and 129; plus-minus (128) is missing.
  EXPECT_EQ(f->Glyph(U'\u00B0'), f->GlyphByCode(127));
  EXPECT_EQ(f->Glyph(U'\u2205'), f->GlyphByCode(129));
  EXPECT_EQ(f->Glyph(U'\u00B1'), nullptr);
  EXPECT_EQ(f->Glyph(U'B'), nullptr);
  // The name of a text font's shape is read when asked for.
  EXPECT_EQ(f->ShapeNumber("x"), -1);
}

// A kind-0 font with more than 255 records: numbers 1..255 at record indices past 255 still find
// their own record, never the font-information record at index 0.
TEST(SHXFont, RecordIndexWiderThanAByte) {
  std::vector<TSHXShape> shapes;
  for (uint32_t n = 256; n < 556; ++n) shapes.push_back({n, "S" + std::to_string(n), {0x14}});
  shapes.push_back({65, "A", {0x30}});
  shapes.push_back({66, "B", {0x40}});
  auto f = FromBytes(SHXShapeFile(shapes, &kInfo));
  ASSERT_EQ(f->Records().size(), 303u);
  const TvxGlyph* a = f->GlyphByCode(65);
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(a->AdvanceX, 3);
  EXPECT_EQ(f->GlyphByCode(66)->AdvanceX, 4);
  EXPECT_EQ(f->GlyphByCode(300)->AdvanceY, 1);  // numbers above 255 are found too
  EXPECT_EQ(f->ShapeNumber("s555"), 555);
  EXPECT_EQ(f->GlyphByCode(67), nullptr);
  // Of two records with one number, the later one counts.
  auto twice = FromBytes(SHXShapeFile({{65, "", {0x10}}, {65, "", {0x20}}}));
  EXPECT_EQ(twice->GlyphByCode(65)->AdvanceX, 2);
}

TEST(SHXFont, BigFontCodesAndEscapeRanges) {
  // A known big-font name gives code page 932; lead bytes 0x81..0x9F and 0xE0..0xFC escape.
  const std::vector<TSHXShape> shapes{
      {0x8140, "", {0x20}},  // U+3000 ideographic space in code page 932
      {0x82A0, "", {0x30}},  // U+3042 hiragana a
      {0xB1, "", {0x40}},    // U+FF71 half-width katakana a: a single byte
      {0x41, "", {0x50}}};
  const TSHXInfo info{"bigfont", 10, 0, 0};
  auto f = FromBytes(SHXBigFont(shapes, {{0x81, 0x9F}, {0xE0, 0xFC}}, info), "/any/where/BIGFONT.SHX");
  ASSERT_EQ(f->FKind, cnstSHXBigFont);
  EXPECT_EQ(f->Kind(), fkBigFont);
  EXPECT_FALSE(f->FExtndBig);
  EXPECT_EQ(f->GetCodePage(), 932);
  EXPECT_EQ(f->Above(), 10);
  EXPECT_EQ(f->EscapeRanges().size(), 2u);
  EXPECT_TRUE(f->InEscapeRange(0x82));
  EXPECT_FALSE(f->InEscapeRange(0xA0));
  struct Case { char32_t ch; uint32_t code; double advance; };
  for (const Case& c : std::initializer_list<Case>{{U'\u3000', 0x8140, 2}, {U'\u3042', 0x82A0, 3},
                                                    {U'\uFF71', 0xB1, 4}, {U'A', 0x41, 5}}) {
    EXPECT_EQ(f->CodeOfChar(c.ch), c.code) << uint32_t(c.ch);
    const TvxGlyph* g = f->Glyph(c.ch);
    ASSERT_NE(g, nullptr) << uint32_t(c.ch);
    EXPECT_EQ(g->AdvanceX, c.advance);
    EXPECT_EQ(f->GlyphByCode(c.code), g);
  }
  EXPECT_EQ(f->Glyph(U'\u3043'), nullptr);  // 0x82A1: in an escape range, not in the font
  EXPECT_TRUE(f->HasSymbol(0x8140));
  EXPECT_FALSE(f->HasSymbol(0x8141));

  // A big font of an unknown name has no code page: characters are their own codes.
  auto plain = FromBytes(SHXBigFont(shapes, {{0x81, 0x9F}}, info), "mybig.shx");
  EXPECT_EQ(plain->GetCodePage(), 0);
  EXPECT_EQ(plain->CodeOfChar(U'\u3000'), 0x3000u);
  plain->SetCodePage(932);
  EXPECT_EQ(plain->CodeOfChar(U'\u3000'), 0x8140u);

  // The extended form: character height, modes and width in the font-information record.
  auto ext = FromBytes(SHXBigFont({{0x8140, "", {7, 0x01, 0x02, 0, 0, 20, 20}}, {0x0102, "", {0x10}}},
                                  {{0x81, 0x9F}}, TSHXInfo{"ext", 20, 0, 2}, true, 10),
                       "ext.shx");
  ASSERT_EQ(ext->FKind, cnstSHXBigFont);
  EXPECT_TRUE(ext->FExtndBig);
  EXPECT_EQ(ext->FCharHeight, 20);
  EXPECT_EQ(ext->FCharWidth, 10);
  EXPECT_EQ(ext->FModes, 2);
  // The primitive is drawn at twice the width (20 / 10).
  EXPECT_EQ(ext->GlyphByCode(0x8140)->AdvanceX, 2);
}

TEST(SHXFont, UnicodeFontSubshapesAndCycles) {
  const std::vector<TSHXShape> shapes{
      {0x0041, "", {0x10, 7, 0x01, 0x00, 0x10}},  // A calls U+0100
      {0x0100, "", {0x24}},
      {0x0042, "", {7, 0x00, 0x42}},              // B calls itself
      {0x0043, "", {0x10, 7, 0x00, 0x44}},        // C calls a missing shape
  };
  auto f = FromBytes(SHXUnicodeFont(shapes, TSHXInfo{"uni", 10, 3, 0}));
  ASSERT_EQ(f->FKind, cnstSHXUnicode);
  EXPECT_EQ(f->FFontName, "uni");
  EXPECT_EQ(f->Below(), 3);
  EXPECT_FALSE(f->HasVertical());
  const TvxGlyph* a = f->Glyph(U'A');
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(a->AdvanceX, 2);
  EXPECT_EQ(a->AdvanceY, 2);
  // A glyph whose subshape cannot be drawn draws nothing.
  for (char32_t ch : {U'B', U'C'}) {
    const TvxGlyph* g = f->Glyph(ch);
    ASSERT_NE(g, nullptr);
    EXPECT_TRUE(g->Points.empty());
    EXPECT_EQ(g->AdvanceX, 0);
  }
}

// Every prefix of the small files (and a stride through the large ones) and random byte flips:
// a partial font or none, no read outside the data (ASan), every glyph sound.
TEST(SHXFont, TruncatedAndMutatedFontsNeverCrash) {
  REQUIRE_CORPUS();
  struct Case { const char* rel; size_t stride; size_t glyphs; };
  for (const Case& c : std::initializer_list<Case>{{"fonts/ltypeshp.shx", 1, SIZE_MAX},
                                                    {"shapes/test_shape.shx", 1, SIZE_MAX},
                                                    {"fonts/iso3098.shx", 97, SIZE_MAX},
                                                    {"fonts/kst32b.shx", 38497, 300}}) {
    const std::string bytes = ReadFile(FontPath(c.rel));
    ASSERT_FALSE(bytes.empty()) << c.rel;
    for (size_t n = 0; n < bytes.size(); n += (n < 512 ? 1 : c.stride)) {
      auto f = FromBytes(bytes.substr(0, n));
      if (n < 24) {
        EXPECT_EQ(f->FKind, cnstSHXNone) << c.rel << " " << n;
      }
      CheckAllGlyphs(*f, c.glyphs);
      f->ShapeNumber("X");
    }
    std::mt19937 rng(12345);
    for (int round = 0; round < 60; ++round) {
      std::string m = bytes.size() > 200000 ? bytes.substr(0, 200000) : bytes;
      const int flips = 1 + int(rng() % 12);
      for (int i = 0; i < flips; ++i) m[rng() % m.size()] = char(rng());
      auto f = FromBytes(m);
      CheckAllGlyphs(*f, c.glyphs);
      for (char32_t ch : {U'A', U'?', U'\u3042'}) f->Glyph(ch);
    }
  }
  // Counts and offsets far beyond the file.
  std::string big = SHXBigFont({{0x8140, "", {0x10}}}, {{0x81, 0x9F}}, kInfo);
  big[29] = char(0xFF);  // escape-range count 0xFF..: more ranges than bytes
  big[30] = char(0xFF);
  EXPECT_EQ(FromBytes(big)->FKind, cnstSHXNone);
  std::string off = SHXBigFont({{0x8140, "", {0x10}}}, {{0x81, 0x9F}}, kInfo);
  for (int i = 0; i < 4; ++i) off[35 + 4 + i] = char(0xFF);  // first entry's offset 0xFFFFFFFF
  auto f = FromBytes(off);
  EXPECT_EQ(f->FKind, cnstSHXBigFont);
  CheckAllGlyphs(*f);
  std::string shapes = SHXShapeFile({{65, "", {0x10}}});
  shapes[28] = char(0xFF);  // record count 0xFFFF
  shapes[29] = char(0xFF);
  CheckAllGlyphs(*FromBytes(shapes));
}

// Every glyph of the corpus fonts against ezdxf's shape renderer: the same pen position at the end
// and the same box of the drawn strokes (tests/text/ezdxf_shx_fixture.py writes its side).
TEST(SHXFont, SameGlyphsAsEzdxf) {
  REQUIRE_CORPUS();
  if (std::system("/usr/bin/python3 -c 'import ezdxf.shapefile' >/dev/null 2>&1") != 0) GTEST_SKIP() << "no ezdxf";
  namespace fs = std::filesystem;
  const fs::path out = fs::temp_directory_path() / ("vx_shx_ezdxf_" + std::to_string(getpid()) + ".txt");
  const std::string script = SourceDir() + "/tests/text/ezdxf_shx_fixture.py";
  for (const char* rel : {"fonts/iso3098.shx", "fonts/kst32b.shx", "fonts/ltypeshp.shx", "shapes/test_shape.shx"}) {
    const std::string cmd = "/usr/bin/python3 '" + script + "' '" + FontPath(rel) + "' '" + out.string() + "'";
    ASSERT_EQ(std::system(cmd.c_str()), 0) << cmd;
    auto f = Open(rel);
    std::ifstream in(out);
    std::string line;
    size_t n = 0;
    while (std::getline(in, line)) {
      std::istringstream s(line);
      uint32_t number;
      double want[6];
      s >> number >> want[0] >> want[1] >> want[2] >> want[3] >> want[4] >> want[5];
      const TvxGlyph* g = f->GlyphByCode(number);
      ASSERT_NE(g, nullptr) << rel << " " << number;
      const double got[6] = {g->AdvanceX, g->AdvanceY, g->Left, g->Bottom, g->Right, g->Top};
      for (int i = 0; i < 6; ++i) EXPECT_NEAR(got[i], want[i], 0.01) << rel << " shape " << number << " value " << i;
      ++n;
    }
    const auto shapes = std::count_if(f->Records().begin(), f->Records().end(),
                                      [](const TvxSHXRecord& r) { return r.ShapeNumber != 0; });
    EXPECT_EQ(n, size_t(shapes)) << rel;
  }
  std::error_code ec;
  fs::remove(out, ec);
}
