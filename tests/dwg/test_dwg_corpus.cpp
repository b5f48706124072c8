// Real drawings: every corpus DWG against the DXF the same program saved from the same drawing.
#include "dwg/dwg_load_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <set>

using namespace vx;
using namespace vx::test;

namespace {

// How closely a DWG and its twin agree.
enum TTwinKind {
  tkSame,       // the same release: tables, blocks, layouts, entities, header
  tkOldRelease, // an R13 or R14 DWG with the DXF of that release, which shows the proxies of
                // newer objects (an arc dimension, a table) as block references of blocks of its own
  tkModelOnly,  // an R14 DWG against the 2000 DXF of the drawing: model space and its entities
};

struct TTwin {
  const char* Dwg;
  const char* Dxf;
  TTwinKind Kind;
};

constexpr TTwin cnstTwins[] = {
    {"same-drawing/sample_AC1014.dwg", "same-drawing/sample_AC1015_ascii.dxf", tkModelOnly},
    {"same-drawing/sample_AC1015.dwg", "same-drawing/sample_AC1015_ascii.dxf", tkSame},
    {"same-drawing/sample_AC1018.dwg", "same-drawing/sample_AC1018_ascii.dxf", tkSame},
    {"same-drawing/sample_AC1021.dwg", "same-drawing/sample_AC1021_ascii.dxf", tkSame},
    {"same-drawing/sample_AC1024.dwg", "same-drawing/sample_AC1024_ascii.dxf", tkSame},
    {"same-drawing/sample_AC1027.dwg", "same-drawing/sample_AC1027_ascii.dxf", tkSame},
    {"libredwg/example_r13.dwg", "libredwg/example_r13.dxf", tkOldRelease},
    {"libredwg/example_r14.dwg", "libredwg/example_r14.dxf", tkOldRelease},
    {"libredwg/example_2000.dwg", "libredwg/example_2000.dxf", tkSame},
    {"libredwg/example_2004.dwg", "libredwg/example_2004.dxf", tkSame},
    {"libredwg/example_2007.dwg", "libredwg/example_2007.dxf", tkSame},
    {"libredwg/example_2010.dwg", "libredwg/example_2010.dxf", tkSame},
    {"libredwg/example_2013.dwg", "libredwg/example_2013.dxf", tkSame},
};

double Diagonal(const TFRect& r) { return std::hypot(r.Right - r.Left, r.Top - r.Bottom); }

}  // namespace

TEST(DWGCorpus, EveryRecordEndsWhereItsHandlesBegin) {
  // The rows of each record read exactly the bits the file stores for it, in every version.
  int files = 0;
  for (const TTwin& t : cnstTwins) {
    std::vector<uint8_t> bytes = ReadCorpusFile(t.Dwg);
    if (bytes.empty()) continue;
    ++files;
    std::string error;
    TvxDWGLoadResult r;
    LoadDWGBytes(std::move(bytes), &error, &r);
    EXPECT_EQ(error, "") << t.Dwg;
    EXPECT_GT(r.Stats.Objects, 300) << t.Dwg;
    EXPECT_EQ(r.Stats.Dropped, 0) << t.Dwg;
    EXPECT_EQ(r.Stats.DataMismatches, 0) << t.Dwg;
    for (const auto& [code, n] : r.Stats.MismatchCodes) ADD_FAILURE() << t.Dwg << ": type " << code << " x" << n;
    EXPECT_EQ(r.Stats.HandleMismatches, 0) << t.Dwg;
  }
  if (!files) GTEST_SKIP() << "no corpus DWG files (set VX_CORPUS)";
}

TEST(DWGCorpus, TwinsHoldTheSameDrawing) {
  int files = 0;
  for (const TTwin& t : cnstTwins) {
    std::vector<uint8_t> bytes = ReadCorpusFile(t.Dwg);
    if (bytes.empty()) continue;
    ++files;
    TConvPtr dwg = LoadDWGBytes(std::move(bytes));
    TConvPtr dxf = LoadDXFFile(t.Dxf);
    SCOPED_TRACE(t.Dwg);
    if (t.Kind != tkModelOnly) {
      EXPECT_EQ(TableNames(dwg->Layers()), TableNames(dxf->Layers()));
      EXPECT_EQ(TableNames(dwg->LTypes()), TableNames(dxf->LTypes()));
      EXPECT_EQ(TableNames(dwg->DimStyles()), TableNames(dxf->DimStyles()));
      if (t.Kind == tkSame) {
        EXPECT_EQ(TableNames(dwg->BlocksSection()), TableNames(dxf->BlocksSection()));
      }
      ASSERT_EQ(dwg->LayoutsCount(), dxf->LayoutsCount());
    }
    for (int i = 0; i < (t.Kind == tkModelOnly ? 1 : dwg->LayoutsCount()); ++i) {
      TvxDXFLayout* a = dwg->Layouts(i);
      TvxDXFLayout* b = dxf->Layouts(i);
      EXPECT_TRUE(SameName(a->GetName(), b->GetName())) << a->GetName() << " " << b->GetName();
      std::map<int, int> ka = KindCounts(a), kb = KindCounts(b);
      // The R13 and R14 DXF files show the table as a reference of its block, and entities of
      // classes the DWG reader drops (multileaders...) as block references or proxies.
      if (t.Kind == tkOldRelease && i == 0) {
        ka[int(ceInsert)] += ka[int(ceACADTable)];
        ka.erase(int(ceACADTable));
        std::set<uint64_t> inDwg;
        for (int k = 0; k < a->Count(); ++k)
          if (TvxDXFEntity* e = a->GetEntity(k)) inDwg.insert(e->GetHandle());
        for (int k = 0; k < b->Count(); ++k) {
          TvxDXFEntity* e = b->GetEntity(k);
          if (!e || inDwg.count(e->GetHandle()) || (e->EntType() != ceInsert && e->EntType() != ceProxy)) continue;
          if (--kb[int(e->EntType())] == 0) kb.erase(int(e->EntType()));
        }
      }
      EXPECT_EQ(ka, kb) << "layout " << a->GetName();
      // Entity by entity: the same handle gives the same kind and the same box.
      std::map<uint64_t, TvxDXFEntity*> byHandle;
      for (int k = 0; k < b->Count(); ++k)
        if (TvxDXFEntity* e = b->GetEntity(k)) byHandle[e->GetHandle()] = e;
      const double tolerance = 1e-7 * std::max(1.0, Diagonal(dxf->Extents()));
      for (int k = 0; k < a->Count(); ++k) {
        TvxDXFEntity* e = a->GetEntity(k);
        auto it = byHandle.find(e->GetHandle());
        // The R14 file of the drawing numbers its objects its own way.
        if (t.Kind == tkModelOnly) break;
        ASSERT_NE(it, byHandle.end()) << std::hex << e->GetHandle();
        const bool oldTable = t.Kind == tkOldRelease && e->EntType() == ceACADTable;
        ASSERT_EQ(oldTable ? ceInsert : e->EntType(), it->second->EntType()) << std::hex << e->GetHandle();
        // The common entity data: colour, layer, line type, weight, visibility, scale.
        const TvxDXFEntity* f = it->second;
        auto nameOf = [](const TvxDXFEntity* item) { return item ? UpperName(item->GetName()) : std::string("-"); };
        EXPECT_EQ(int(e->GetColorCAD().Active), int(f->GetColorCAD().Active)) << std::hex << e->GetHandle();
        EXPECT_EQ(e->GetColorCAD().Color, f->GetColorCAD().Color) << std::hex << e->GetHandle();
        EXPECT_EQ(nameOf(e->GetLayer()), nameOf(f->GetLayer())) << std::hex << e->GetHandle();
        EXPECT_EQ(nameOf(e->GetLineType()), nameOf(f->GetLineType())) << std::hex << e->GetHandle();
        EXPECT_EQ(e->GetLineWeight(), f->GetLineWeight()) << std::hex << e->GetHandle();
        EXPECT_EQ(e->GetVisibility(), f->GetVisibility()) << std::hex << e->GetHandle();
        EXPECT_EQ(e->GetLineTypeScale(), f->GetLineTypeScale()) << std::hex << e->GetHandle();
        const TFRect x = e->GetBox(), y = it->second->GetBox();
        // A spline stored by its fit points alone gets its control points computed here, the
        // DXF stores both: the curves agree to within a few thousandths of their size.
        const double tol = e->EntType() == ceSpline ? 1e-4 * std::max(1.0, Diagonal(y)) : tolerance;
        for (double d : {x.Left - y.Left, x.Right - y.Right, x.Top - y.Top, x.Bottom - y.Bottom, x.Z1 - y.Z1, x.Z2 - y.Z2})
          EXPECT_LE(std::fabs(d), tol) << std::hex << e->GetHandle();
      }
    }
    // Layers: colour, flags (the DXF files leave out the "referenced" bit 64), visibility, weight,
    // line type, plotting.
    if (t.Kind != tkModelOnly)
      for (int i = 0; i < dwg->Layers()->Count(); ++i) {
        auto* x = dynamic_cast<TvxDXFLayer*>(dwg->Layers()->GetEntity(i));
        auto* y = x ? dynamic_cast<TvxDXFLayer*>(dxf->Layers()->FindEntByName(x->GetName())) : nullptr;
        ASSERT_NE(y, nullptr);
        SCOPED_TRACE(x->GetName());
        EXPECT_EQ(int(x->GetColorCAD().Active), int(y->GetColorCAD().Active));
        EXPECT_EQ(x->GetColorCAD().Color, y->GetColorCAD().Color);
        EXPECT_EQ(x->GetFlags() & ~64, y->GetFlags() & ~64);
        EXPECT_EQ(x->GetVisible(), y->GetVisible());
        EXPECT_EQ(x->GetLineWeight(), y->GetLineWeight());
        EXPECT_EQ(x->IsPlotting(), y->IsPlotting());
        ASSERT_TRUE(x->GetLineType() && y->GetLineType());
        EXPECT_TRUE(SameName(x->GetLineType()->GetName(), y->GetLineType()->GetName()));
      }
    const TFRect ea = dwg->Extents(), eb = dxf->Extents();
    const double tol = 1e-7 * std::max(1.0, Diagonal(eb));
    for (double d : {ea.Left - eb.Left, ea.Right - eb.Right, ea.Top - eb.Top, ea.Bottom - eb.Bottom})
      EXPECT_LE(std::fabs(d), tol);
  }
  if (!files) GTEST_SKIP() << "no corpus DWG files (set VX_CORPUS)";
}

TEST(DWGCorpus, HeaderValuesAreTheDXFHeader) {
  int files = 0;
  for (const TTwin& t : cnstTwins) {
    std::vector<uint8_t> bytes = ReadCorpusFile(t.Dwg);
    if (bytes.empty()) continue;
    ++files;
    SCOPED_TRACE(t.Dwg);
    TConvPtr dwg = LoadDWGBytes(std::move(bytes));
    const TvxHeadVarStruct& h = dwg->HeadVarStruct();
    if (t.Kind == tkModelOnly) continue;
    auto vars = DXFHeaderValues(t.Dxf);
    // Each value the DXF file states (R13 files state fewer).
    auto real = [&](const char* name, double have, size_t i = 0) {
      if (vars[name].size() > i) {
        EXPECT_NEAR(have, std::atof(vars[name][i].c_str()), 1e-9 * std::max(1.0, std::fabs(have))) << name;
      }
    };
    auto integer = [&](const char* name, int have) {
      if (!vars[name].empty()) {
        EXPECT_EQ(have, std::atoi(vars[name][0].c_str())) << name;
      }
    };
    auto text = [&](const char* name, const std::string& have) {
      if (!vars[name].empty()) {
        EXPECT_TRUE(SameName(have, vars[name][0])) << name << " " << have;
      }
    };
    real("$LTSCALE", h.LTScale);
    real("$TEXTSIZE", h.TextSize);
    real("$PDSIZE", h.PointDisplaySize);
    real("$FILLETRAD", h.FilletRadius);
    real("$CELTSCALE", h.CELTScale);
    integer("$PDMODE", h.PointDisplayMode);
    integer("$TILEMODE", h.TileMode);
    integer("$ATTMODE", int(h.AttMode));
    integer("$MEASUREMENT", h.Measurement ? 1 : 0);
    integer("$INSUNITS", h.InsUnits);
    text("$CLAYER", h.CLayer);
    text("$TEXTSTYLE", h.TextStyle);
    text("$DIMSTYLE", h.DimStyle);
    // X and Y: one DXF file of the corpus was written with the Z extents of another session.
    real("$EXTMIN", h.ExtMin.X, 0);
    real("$EXTMIN", h.ExtMin.Y, 1);
    real("$EXTMAX", h.ExtMax.X, 0);
    real("$EXTMAX", h.ExtMax.Y, 1);
    real("$DIMTXT", h.DimProps.Txt);
    real("$DIMASZ", h.DimProps.Asz);
    real("$DIMSCALE", h.DimProps.Scale);
    real("$DIMGAP", h.DimProps.Gap);
    integer("$DIMDEC", h.DimProps.Dec);
    integer("$DIMTAD", h.DimProps.Tad);
  }
  if (!files) GTEST_SKIP() << "no corpus DWG files (set VX_CORPUS)";
}

TEST(DWGCorpus, RefusedAndEmptyFiles) {
  for (const char* name : {"same-drawing/sample_AC1032.dwg", "libredwg/example_2018.dwg"}) {
    std::vector<uint8_t> bytes = ReadCorpusFile(name);
    if (bytes.empty()) continue;
    std::string error;
    LoadDWGBytes(std::move(bytes), &error);
    EXPECT_EQ(error, "Unsupported new DWG version ID: \"AC1032\"") << name;
  }
  const struct { std::string Bytes; const char* Message; } cases[] = {
      {"AC10", "Unsupported old DWG version ID: \"AC10\""},
      {"0\nSECTION\n", "Unsupported old DWG version ID: \"0\nSECT\""},
      {"AC1015", "DWG file header is corrupted"},
  };
  for (const auto& k : cases) {
    std::string error;
    LoadDWGBytes(std::vector<uint8_t>(k.Bytes.begin(), k.Bytes.end()), &error);
    EXPECT_EQ(error, k.Message);
  }
  std::string error;
  TvxDWGLoadResult r;
  TConvPtr empty = LoadDWGBytes({}, &error, &r);
  EXPECT_EQ(error, "");
  EXPECT_TRUE(r.Empty);
  EXPECT_GE(empty->LayoutsCount(), 1);
}

TEST(DWGCorpus, AFailingObjectIsDroppedAndReportedOnceTheDrawingIsComplete) {
  VX_NEED_CORPUS_FILE(file, "same-drawing/sample_AC1015.dwg");
  // Break the line 0x2C7: its stored data size points past the object.
  TdwgFileImage img;
  img.Open(file.data(), file.size(), acR2000);
  TvxObjectsMap map;
  map.Read(img.Section(*img.Find(2)), 0);
  const int i = map.IndexOfHandle(0x2C7);
  ASSERT_GE(i, 0);
  std::vector<uint8_t> bad = file;
  const size_t at = size_t(map[size_t(i)].Location);
  // MS (2 bytes for this size), then BS type 19 as BB 1 + RC: the RL bit size starts at bit 10.
  TvxBitCursor c(bad.data() + at, 16);
  ReadMS(c);
  const uint64_t rlBit = c.Pos + 10;
  for (uint64_t b = rlBit; b < rlBit + 32; ++b) bad[at + b / 8] |= uint8_t(0x80 >> (b % 8));
  std::string error;
  TvxDWGLoadResult r;
  TConvPtr conv = LoadDWGBytes(bad, &error, &r);
  EXPECT_EQ(error, "EdwgReadError: Entity handle = $2C7.");
  EXPECT_EQ(r.Stats.Dropped, 1);
  // Everything else is there and loaded: the other 25 lines, the layouts, the extents.
  EXPECT_EQ(KindCounts(conv->Layouts(0))[int(ceLine)], 25);
  EXPECT_EQ(conv->LayoutsCount(), 4);
  EXPECT_FALSE(IsBadBox(conv->Extents()));
}

TEST(DWGCorpus, TheMeasurementSaysMillimetresNotTheIsolines) {
  // ISOLINES is 4 in these drawings; their measurement is imperial.
  for (const char* name : {"same-drawing/sample_AC1015.dwg", "same-drawing/sample_AC1024.dwg"}) {
    std::vector<uint8_t> bytes = ReadCorpusFile(name);
    if (bytes.empty()) GTEST_SKIP() << name << " not found (set VX_CORPUS)";
    TvxDWGLoadResult r;
    LoadDWGBytes(std::move(bytes), nullptr, &r);
    EXPECT_FALSE(r.Millimetres) << name;
  }
}

TEST(DWGCorpus, SummaryInformationOf2004AndLater) {
  // The same drawing: 8-bit texts in 2004, UTF-16 from 2007 on.
  int seen = 0;
  for (const char* name : {"same-drawing/sample_AC1018.dwg", "same-drawing/sample_AC1021.dwg",
                           "same-drawing/sample_AC1027.dwg"}) {
    std::vector<uint8_t> bytes = ReadCorpusFile(name);
    if (bytes.empty()) continue;
    ++seen;
    SCOPED_TRACE(name);
    TConvPtr conv(TvxDXFConverter::Create());
    TdwgReader reader(conv.get());
    reader.ReadFile(std::move(bytes), DWGVersionOfMagic(ReadCorpusFile(name).data(), 6));
    const TdwgSummaryInfo& s = reader.Summary;
    EXPECT_EQ(s.Texts[5], "alber");  // saved by
    for (int i : {0, 1, 2, 3, 4, 6, 7}) EXPECT_EQ(s.Texts[size_t(i)], "") << i;
    EXPECT_EQ(s.EditingTime.Day, 0u);
    EXPECT_NEAR(double(s.EditingTime.MilliSeconds), 34767000, 2000);  // the saves lie a second apart
    // Created 2022-02-21 10:23:03: day 44613 of the date-time values.
    EXPECT_NEAR(s.Created, 44613 + 37383000 / 86400000.0, 1e-6);
    EXPECT_GT(s.Modified, s.Created);
    EXPECT_TRUE(s.Custom.empty());
  }
  if (!seen) GTEST_SKIP() << "no corpus DWG files (set VX_CORPUS)";
}

TEST(DWGCorpus, LineTypesAreTheDXFLineTypes) {
  // Element by element, with the text style each symbol element draws with (a shape-file style
  // is unnamed: its font file tells it apart).
  int files = 0;
  for (const TTwin& t : cnstTwins) {
    if (t.Kind == tkModelOnly) continue;
    std::vector<uint8_t> bytes = ReadCorpusFile(t.Dwg);
    if (bytes.empty()) continue;
    ++files;
    TConvPtr dwg = LoadDWGBytes(std::move(bytes));
    TConvPtr dxf = LoadDXFFile(t.Dxf);
    SCOPED_TRACE(t.Dwg);
    for (int i = 0; i < dwg->LTypes()->Count(); ++i) {
      auto* x = dynamic_cast<TvxDXFLineType*>(dwg->LTypes()->GetEntity(i));
      auto* y = x ? dynamic_cast<TvxDXFLineType*>(dxf->LTypes()->FindEntByName(x->GetName())) : nullptr;
      ASSERT_NE(y, nullptr);
      SCOPED_TRACE(x->GetName());
      const TvxLines& a = x->Lines();
      const TvxLines& b = y->Lines();
      ASSERT_EQ(a.GetElementsCount(), b.GetElementsCount());
      EXPECT_NEAR(a.PatternLength(), b.PatternLength(), 1e-9);
      for (int k = 0; k < a.GetElementsCount(); ++k) {
        const TvxLTypeElement& p = *a.GetElement(k);
        const TvxLTypeElement& q = *b.GetElement(k);
        EXPECT_NEAR(p.Dash, q.Dash, 1e-9) << k;
        // Bits past the three kinds are the binary format's own.
        EXPECT_EQ(p.ComplexType & 7, q.ComplexType & 7) << k;
        if (!p.HasText() && !p.HasShape()) continue;
        EXPECT_EQ(p.ShapeNumber, q.ShapeNumber) << k;
        EXPECT_EQ(p.Text, q.Text) << k;
        EXPECT_NEAR(p.Scale, q.Scale, 1e-9) << k;
        EXPECT_NEAR(p.XOffset, q.XOffset, 1e-9) << k;
        EXPECT_NEAR(p.YOffset, q.YOffset, 1e-9) << k;
        ASSERT_TRUE(p.Style && q.Style) << k;
        EXPECT_TRUE(SameName(p.Style->GetName(), q.Style->GetName())) << k;
        EXPECT_TRUE(SameName(p.Style->PrimaryFont, q.Style->PrimaryFont)) << k;
      }
    }
  }
  if (!files) GTEST_SKIP() << "no corpus DWG files (set VX_CORPUS)";
}
