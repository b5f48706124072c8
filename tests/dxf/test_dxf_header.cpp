// The header variables: every kept variable read from small files, and the corpus files' values
// against what an independent reader (ezdxf) reads from them.
#include "test_dxf_load_fixture.h"

#include "database/core/vxNames.h"
#include "readers/dxf/vxDXFHeader.h"

#include <cmath>
#include <functional>
#include <sstream>

using namespace vx;
using namespace vx::dxftest;

namespace {

Pairs Header(const Pairs& body) { return WithEOF(Section("HEADER", body)); }

struct TRefRow {
  const char* File;
  const char* Var;
  const char* Value;
};

// Generated once by fixtures/ezdxf_header.py from the corpus.
constexpr TRefRow cnstReference[] = {
#include "fixtures/ezdxf_header_values.inc"
};

std::vector<double> Numbers(const std::string& s) {
  std::istringstream in(s);
  std::vector<double> v;
  for (double d; in >> d;) v.push_back(d);
  return v;
}

void ExpectNear(double have, double want, const std::string& what) {
  EXPECT_NEAR(have, want, 1e-9 * std::max(1.0, std::fabs(want))) << what;
}

void ExpectPoint(const TFPoint& have, const std::string& want, const std::string& what) {
  const std::vector<double> w = Numbers(want);
  ASSERT_EQ(w.size(), 3u) << what;
  ExpectNear(have.X, w[0], what + " X");
  ExpectNear(have.Y, w[1], what + " Y");
  ExpectNear(have.Z, w[2], what + " Z");
}

double LineWeight(int v) { return v > 0 ? v / 100.0 : v; }

const char* VersionName(uint8_t v) {
  static const char* names[] = {"acR09",  "acR10",  "acR11",  "acR12",  "acR13",  "acR14",
                                "acR2000", "acR2004", "acR2007", "acR2010", "acR2013"};
  return v < std::size(names) ? names[v] : "?";
}

// Compares one reference value with what the drawing keeps; false for a variable it does not know.
bool Compare(const TvxDXFConverter& conv, const std::string& var, const std::string& value,
             const std::string& what) {
  const TvxHeadVarStruct& h = conv.HeadVarStruct();
  const TvxDimStyle& d = h.DimProps;
  const double real = std::atof(value.c_str());
  const int integer = std::atoi(value.c_str());
  using TReal = std::function<double()>;
  using TInt = std::function<int()>;
  using TText = std::function<std::string()>;
  using TPoint = std::function<TFPoint()>;
  const std::map<std::string, TReal> reals = {
      {"$LTSCALE", [&] { return h.LTScale; }},       {"$PDSIZE", [&] { return h.PointDisplaySize; }},
      {"$TEXTSIZE", [&] { return h.TextSize; }},     {"$FILLETRAD", [&] { return h.FilletRadius; }},
      {"$CELTSCALE", [&] { return h.CELTScale; }},   {"$DIMSCALE", [&] { return d.Scale; }},
      {"$DIMASZ", [&] { return d.Asz; }},            {"$DIMTXT", [&] { return d.Txt; }},
      {"$DIMGAP", [&] { return d.Gap; }},            {"$DIMEXE", [&] { return d.Exe; }},
      {"$DIMEXO", [&] { return d.Exo; }},            {"$DIMLFAC", [&] { return d.LFac; }},
      {"$DIMALTF", [&] { return d.AltF; }},          {"$DIMCEN", [&] { return d.Cen; }},
      {"$CELWEIGHT", [&] { return h.CELWeight; }},   {"$DIMLWD", [&] { return d.LwD; }},
      {"$DIMLWE", [&] { return d.LwE; }},
  };
  const std::map<std::string, TInt> ints = {
      {"$PDMODE", [&] { return h.PointDisplayMode; }}, {"$ATTMODE", [&] { return int(h.AttMode); }},
      {"$TILEMODE", [&] { return h.TileMode; }},       {"$INSUNITS", [&] { return h.InsUnits; }},
      {"$MEASUREMENT", [&] { return int(h.Measurement); }},
      {"$CECOLOR", [&] { return int(h.CEColor.Color); }},
      {"$DIMDEC", [&] { return d.Dec; }},              {"$DIMTAD", [&] { return d.Tad; }},
      {"$DIMTIH", [&] { return int(d.Tih); }},         {"$DIMTOH", [&] { return int(d.Toh); }},
      {"$DIMTIX", [&] { return d.Tix; }},              {"$DIMSAH", [&] { return int(d.Sah); }},
      {"$DIMSE1", [&] { return int(d.SE1); }},         {"$DIMSE2", [&] { return int(d.SE2); }},
      {"$DIMSD1", [&] { return int(d.SD1); }},         {"$DIMSD2", [&] { return int(d.SD2); }},
      {"$DIMALT", [&] { return int(d.Alt); }},         {"$DIMCLRD", [&] { return int(d.ClrD.Color); }},
      {"$DIMCLRE", [&] { return int(d.ClrE.Color); }}, {"$DIMCLRT", [&] { return int(d.ClrT.Color); }},
      {"$LWDISPLAY", [&] { return int(h.LwDisplay); }},
      {"$XCLIPFRAME", [&] { return int(h.XClipFrame); }},
      {"$DWGCODEPAGE", [&] { return h.CodePage; }},
      {"$DIMBLK", [&] { return int(d.Arrows[0]); }},  {"$DIMBLK1", [&] { return int(d.Arrows[1]); }},
      {"$DIMBLK2", [&] { return int(d.Arrows[2]); }}, {"$DIMLDRBLK", [&] { return int(d.Arrows[3]); }},
  };
  const std::map<std::string, TText> texts = {
      {"$CLAYER", [&] { return h.CLayer; }},       {"$CELTYPE", [&] { return h.CELType; }},
      {"$TEXTSTYLE", [&] { return h.TextStyle; }}, {"$DIMSTYLE", [&] { return h.DimStyle; }},
      {"$DIMTXSTY", [&] { return h.DimTextStyle; }}, {"$DIMPOST", [&] { return d.Post; }},
      {"$DIMAPOST", [&] { return d.APost; }},
  };
  const std::map<std::string, TPoint> points = {
      {"$EXTMIN", [&] { return h.ExtMin; }},   {"$EXTMAX", [&] { return h.ExtMax; }},
      {"$INSBASE", [&] { return h.InsBase; }}, {"$UCSORG", [&] { return h.UCSORG; }},
      {"$UCSXDIR", [&] { return h.UCSXDir; }}, {"$UCSYDIR", [&] { return h.UCSYDir; }},
  };
  if (var == "$ACADVER") {
    EXPECT_STREQ(VersionName(h.Version), value.c_str()) << what;
  } else if (var == "$HANDSEED") {
    // Items the loader adds after the header take handles above the seed.
    EXPECT_GE(conv.MaxHandle(), std::stoull(value)) << what;
  } else if (var == "$LTSCALE") {
    ExpectNear(h.LTScale, real == 0 ? 1.0 : real, what);  // a scale of 0 draws as 1
  } else if (var == "$CELWEIGHT" || var == "$DIMLWD" || var == "$DIMLWE") {
    ExpectNear(reals.at(var)(), LineWeight(integer), what);
  } else if (var == "$ATTMODE") {
    EXPECT_EQ(int(h.AttMode), integer == 0 ? 0 : (integer == 1 ? 1 : 2)) << what;
  } else if (var.starts_with("$DIMBLK") || var == "$DIMLDRBLK") {
    EXPECT_EQ(ints.at(var)(), int(ArrowKindByName(value))) << what;
  } else if (var == "$DIMTIH" || var == "$DIMTOH" || var.starts_with("$DIMSE") || var.starts_with("$DIMSD") ||
             var == "$DIMSAH") {
    EXPECT_EQ(ints.at(var)(), integer == 1 ? 1 : 0) << what;
  } else if (var == "$DIMALT" || var == "$MEASUREMENT" || var == "$LWDISPLAY") {
    EXPECT_EQ(ints.at(var)(), integer != 0 ? 1 : 0) << what;
  } else if (auto r = reals.find(var); r != reals.end()) {
    ExpectNear(r->second(), real, what);
  } else if (auto i = ints.find(var); i != ints.end()) {
    EXPECT_EQ(i->second(), integer) << what;
  } else if (var == "$TEXTSTYLE" || var == "$DIMSTYLE") {
    // A style the tables do not hold falls back to the standard one.
    const TvxDXFTable* table = var == "$TEXTSTYLE" ? conv.Styles() : conv.DimStyles();
    const bool held = table && table->FindItem<TvxDXFEntity>(value);
    EXPECT_TRUE(SameName(texts.at(var)(), held ? value : std::string("STANDARD"))) << what << ": " << texts.at(var)();
  } else if (auto t = texts.find(var); t != texts.end()) {
    EXPECT_TRUE(SameName(t->second(), value)) << what << ": " << t->second();
  } else if (auto p = points.find(var); p != points.end()) {
    ExpectPoint(p->second(), value, what);
  } else {
    return false;
  }
  return true;
}

}  // namespace

TEST(DxfHeader, RowsAreSortedAndFoundByName) {
  const auto rows = DXFHeaderRows();
  for (size_t i = 1; i < rows.size(); ++i) EXPECT_LT(std::string(rows[i - 1].Name), rows[i].Name);
  for (const TdxfHeaderRow& row : rows) EXPECT_EQ(DXFHeaderVariable(row.Name), &row) << row.Name;
  EXPECT_EQ(DXFHeaderVariable("$ACADMAINTVER"), nullptr);
  EXPECT_EQ(DXFHeaderVariable(""), nullptr);
}

TEST(DxfHeader, VariablesAreKeptWithTheirConversions) {
  struct Case {
    Pairs Vars;
    std::function<void(const TvxDXFConverter&)> Check;
  };
  auto hv = [](const TvxDXFConverter& c) -> const TvxHeadVarStruct& { return c.HeadVarStruct(); };
  const Case cases[] = {
      {{{9, "$LTSCALE"}, {40, "0"}}, [&](auto& c) { EXPECT_EQ(hv(c).LTScale, 1.0); }},
      {{{9, "$ltscale"}, {40, "2.5"}}, [&](auto& c) { EXPECT_EQ(hv(c).LTScale, 2.5); }},
      {{{9, "$CELWEIGHT"}, {370, "35"}}, [&](auto& c) { EXPECT_DOUBLE_EQ(hv(c).CELWeight, 0.35); }},
      {{{9, "$CELWEIGHT"}, {370, "-2"}}, [&](auto& c) { EXPECT_EQ(hv(c).CELWeight, -2.0); }},
      {{{9, "$DIMLWD"}, {70, "50"}, {9, "$DIMLWE"}, {70, "-3"}},
       [&](auto& c) {
         EXPECT_DOUBLE_EQ(hv(c).DimProps.LwD, 0.5);
         EXPECT_EQ(hv(c).DimProps.LwE, -3.0);
       }},
      {{{9, "$ATTMODE"}, {70, "0"}}, [&](auto& c) { EXPECT_EQ(hv(c).AttMode, attDisable); }},
      {{{9, "$ATTMODE"}, {70, "7"}}, [&](auto& c) { EXPECT_EQ(hv(c).AttMode, attEnable); }},
      // styles the tables do not hold fall back to the standard ones
      {{{9, "$TEXTSTYLE"}, {7, "Notes"}, {9, "$DIMSTYLE"}, {2, "ISO-25"}},
       [&](auto& c) {
         EXPECT_EQ(hv(c).TextStyle, "STANDARD");
         EXPECT_EQ(hv(c).DimStyle, "STANDARD");
       }},
      {{{9, "$TEXTSIZE"}, {40, "2.5"}, {9, "$INSUNITS"}, {70, "6"}, {9, "$FILLETRAD"}, {40, "0.25"}},
       [&](auto& c) {
         EXPECT_EQ(hv(c).TextSize, 2.5);
         EXPECT_EQ(hv(c).InsUnits, 6);
         EXPECT_EQ(hv(c).FilletRadius, 0.25);
       }},
      {{{9, "$CLAYER"}, {8, "Walls"}, {9, "$CELTYPE"}, {6, "DASHED"}, {9, "$CECOLOR"}, {62, "3"}},
       [&](auto& c) {
         EXPECT_EQ(hv(c).CLayer, "Walls");
         EXPECT_EQ(hv(c).CELType, "DASHED");
         EXPECT_EQ(hv(c).CEColor.Color, 3u);
       }},
      {{{9, "$DIMBLK"}, {1, "_ArchTick"}, {9, "$DIMBLK1"}, {1, "OPEN30"}, {9, "$DIMBLK2"}, {1, "MyArrow"},
        {9, "$DIMLDRBLK"}, {1, ""}},
       [&](auto& c) {
         const std::array<uint8_t, 4> want{4, 10, 255, 0};
         EXPECT_EQ(hv(c).DimProps.Arrows, want);
       }},
      {{{9, "$DIMTIH"}, {70, "0"}, {9, "$DIMTOH"}, {70, "2"}, {9, "$DIMSE1"}, {70, "1"}, {9, "$DIMALT"},
        {70, "2"}, {9, "$DIMCLRD"}, {70, "1"}, {9, "$DIMPOST"}, {1, "<> mm"}},
       [&](auto& c) {
         const TvxDimStyle& d = hv(c).DimProps;
         EXPECT_FALSE(d.Tih);
         EXPECT_FALSE(d.Toh);  // only 1 turns the flag on
         EXPECT_TRUE(d.SE1);
         EXPECT_TRUE(d.Alt);
         EXPECT_EQ(d.ClrD.Color, 1u);
         EXPECT_EQ(d.Post, "<> mm");
       }},
      // a 2D variable after a 3D one does not keep the Z of the first
      {{{9, "$EXTMIN"}, {10, "1"}, {20, "2"}, {30, "3"}, {9, "$INSBASE"}, {10, "4"}, {20, "5"}},
       [&](auto& c) {
         EXPECT_EQ(hv(c).ExtMin.Z, 3.0);
         EXPECT_EQ(hv(c).InsBase.X, 4.0);
         EXPECT_EQ(hv(c).InsBase.Y, 5.0);
         EXPECT_EQ(hv(c).InsBase.Z, 0.0);
       }},
      {{{9, "$LWDISPLAY"}, {290, "0"}, {9, "$XCLIPFRAME"}, {280, "1"}},
       [&](auto& c) {
         EXPECT_FALSE(hv(c).LwDisplay);
         EXPECT_EQ(hv(c).XClipFrame, 1);
       }},
      // a variable this reader drops does not disturb the next one
      {{{9, "$ACADMAINTVER"}, {70, "105"}, {9, "$PDMODE"}, {70, "35"}, {9, "$PDSIZE"}, {40, "-3"}},
       [&](auto& c) {
         EXPECT_EQ(hv(c).PointDisplayMode, 35);
         EXPECT_EQ(hv(c).PointDisplaySize, -3.0);
       }},
      {{{9, "$DWGCODEPAGE"}, {3, "ANSI_1251"}, {9, "$ACADVER"}, {1, "AC1018"}},
       [&](auto& c) {
         EXPECT_EQ(hv(c).CodePage, 1251);
         EXPECT_EQ(hv(c).Version, uint8_t(acR2004));
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Vars.front().second);
    Drawing d;
    d.Load(Header(c.Vars));
    ASSERT_TRUE(d.Error.empty()) << d.Error;
    c.Check(*d.Conv);
  }
}

TEST(DxfHeader, StylesNamedByTheHeaderAreKept) {
  auto table = [](const char* kind, const char* name) {
    return Pairs{{0, "TABLE"}, {2, kind}, {0, kind}, {2, name}, {70, "0"}, {0, "ENDTAB"}};
  };
  Drawing d;
  d.Load(WithEOF(Join({Section("HEADER", {{9, "$TEXTSTYLE"}, {7, "Notes"}, {9, "$DIMSTYLE"}, {2, "  ISO-25 "},
                                          {9, "$DIMTXSTY"}, {7, "Notes"}}),
                       Section("TABLES", Join({table("STYLE", "Notes"), table("DIMSTYLE", "ISO-25")}))})));
  ASSERT_TRUE(d.Error.empty()) << d.Error;
  const TvxHeadVarStruct& h = d.Conv->HeadVarStruct();
  EXPECT_EQ(h.TextStyle, "Notes");
  EXPECT_EQ(h.DimStyle, "ISO-25");
  EXPECT_EQ(h.DimTextStyle, "Notes");
}

TEST(DxfHeader, DefaultsStandWhenTheFileSaysNothing) {
  Drawing d;
  d.Load(Header({{9, "$ACADVER"}, {1, "AC1015"}}));
  const TvxHeadVarStruct& h = d.Conv->HeadVarStruct();
  EXPECT_TRUE(h.LwDisplay);
  EXPECT_EQ(h.TextStyle, "STANDARD");
  EXPECT_EQ(h.InsUnits, 4);
  EXPECT_EQ(h.DimProps.Arrows, (std::array<uint8_t, 4>{}));
}

TEST(DxfHeaderCorpus, ValuesAreWhatEzdxfReads) {
  const fs::path dir = Corpus();
  if (dir.empty()) GTEST_SKIP() << "no corpus (VX_CORPUS)";
  std::string file;
  std::unique_ptr<Drawing> d;
  int compared = 0, files = 0;
  for (const TRefRow& row : cnstReference) {
    if (file != row.File) {
      file = row.File;
      d = std::make_unique<Drawing>();
      d->Load(ReadFile(dir / file));
      EXPECT_TRUE(d->Error.empty()) << file << ": " << d->Error;
      ++files;
    }
    const std::string what = file + " " + row.Var;
    EXPECT_TRUE(Compare(*d->Conv, row.Var, row.Value, what)) << what << " has no comparison";
    ++compared;
  }
  EXPECT_GT(files, 30);
  EXPECT_GT(compared, 1500);
}
