// The text library as the database's font provider: installation, TrueType faces through the
// interface, and the fallbacks that keep text visible when a named font is missing.
#include "text/vxTextFonts.h"

#include "database/text/vxFontInterface.h"
#include "text/truetype/vxTableFonts.h"

#include <gtest/gtest.h>

#include <numeric>

using namespace vx;

namespace {
bool HaveFaces() { return !ttf::TvxTableFonts::Instance().GetFileName("DejaVu Sans").empty(); }
}  // namespace

TEST(TextFonts, InstallSetsTheProcessProvider) {
  TvxFontProvider* p = InstallTextFonts();
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(FontProvider(), p);
  EXPECT_EQ(InstallTextFonts(), p);  // once per process
  EXPECT_EQ(TextFontProvider(), p);
}

TEST(TextFonts, TrueTypeFacesThroughTheInterface) {
  if (!HaveFaces()) GTEST_SKIP() << "no TrueType faces installed";
  TvxFontProvider* p = InstallTextFonts();
  struct Case { const char* name; bool bold; };
  for (const Case& c : std::initializer_list<Case>{{"Arial", false}, {"arial.ttf", false},
                                                    {"DejaVu Sans", true}, {"NoSuchFace", false}}) {
    TvxFontRequest r;
    r.Kind = fkTrueType;
    r.Name = c.name;
    r.Bold = c.bold;
    TvxFontFace* f = p->FindFace(r);
    ASSERT_NE(f, nullptr) << c.name;
    EXPECT_EQ(f->Kind(), fkTrueType);
    EXPECT_EQ(p->FindFace(r), f) << "cached";
    EXPECT_GT(f->Koef(), 0.5);
    EXPECT_LT(f->Koef(), 3);
    EXPECT_GT(f->Above(), 0);
    EXPECT_GT(f->Below(), 0);
    const TvxGlyph* g = f->Glyph(U'A');
    ASSERT_NE(g, nullptr);
    EXPECT_EQ(std::accumulate(g->Counts.begin(), g->Counts.end(), size_t(0)), g->Points.size());
    EXPECT_EQ(g->Counts.size(), 2u) << c.name;  // 'A' has an outer contour and a hole
    EXPECT_GT(g->AdvanceX, 0);
    EXPECT_EQ(g->Left, 0);
    EXPECT_EQ(g->Right, g->AdvanceX);
    EXPECT_GT(g->Top, 0);
    EXPECT_EQ(f->Glyph(U'A'), g);
    EXPECT_EQ(f->GlyphByCode(65), nullptr);  // no numbering of its own
    const TvxGlyph* space = f->Glyph(U' ');
    ASSERT_NE(space, nullptr);
    EXPECT_TRUE(space->Counts.empty());
    EXPECT_GT(space->AdvanceX, 0);
  }
  TvxFontRequest arial{fkTrueType, "Arial"};
  TvxFontRequest file{fkTrueType, "ARIAL.TTF"};
  EXPECT_NE(p->FindFace(arial)->FileName().find("LiberationSans"), std::string::npos);
  EXPECT_EQ(p->FindFace(arial)->FileName(), p->FindFace(file)->FileName());
}

// An SHX font that no folder holds still draws (with a TrueType face at worst).
TEST(TextFonts, MissingSHXFontStillDraws) {
  if (!HaveFaces()) GTEST_SKIP() << "no TrueType faces installed";
  TvxFontRequest r{fkShapes, "no_such_font_anywhere.shx"};
  TvxFontFace* f = InstallTextFonts()->FindFace(r);
  ASSERT_NE(f, nullptr);
  const TvxGlyph* g = f->Glyph(U'E');
  ASSERT_NE(g, nullptr);
  EXPECT_FALSE(g->Points.empty());
}
