// Block references and attributes read from DXF: blocks named before they are defined, nesting,
// attributes, arrays, the placement matrix, and real files.
#include "test_dxf_load_fixture.h"

#include "database/blocks/vxAttribs.h"
#include "database/blocks/vxInserts.h"

#include <algorithm>
#include <cmath>

using namespace vx;
using namespace vx::dxftest;

namespace {

Pairs Block(const char* name, const Pairs& body, double baseX = 0, double baseY = 0) {
  Pairs p{{0, "BLOCK"}, {8, "0"}, {2, name}, {70, "0"},
          {10, std::to_string(baseX)}, {20, std::to_string(baseY)}, {30, "0"}};
  p.insert(p.end(), body.begin(), body.end());
  p.push_back({0, "ENDBLK"});
  return p;
}

Pairs Line(double x1, double y1, double x2, double y2) {
  return {{0, "LINE"}, {10, std::to_string(x1)}, {20, std::to_string(y1)},
          {11, std::to_string(x2)}, {21, std::to_string(y2)}};
}

Pairs Insert(const char* block, double x, double y, const Pairs& extra = {}) {
  Pairs p{{0, "INSERT"}, {2, block}, {10, std::to_string(x)}, {20, std::to_string(y)}, {30, "0"}};
  p.insert(p.end(), extra.begin(), extra.end());
  return p;
}

// Entities first and blocks after them: every reference is read before its block.
Pairs EntitiesThenBlocks(const Pairs& entities, const Pairs& blocks) {
  return WithEOF(Join({Section("ENTITIES", entities), Section("BLOCKS", blocks)}));
}

void ExpectBox(const TFRect& b, double l, double bottom, double r, double top, const char* what) {
  EXPECT_NEAR(b.Left, l, 1e-9) << what;
  EXPECT_NEAR(b.Bottom, bottom, 1e-9) << what;
  EXPECT_NEAR(b.Right, r, 1e-9) << what;
  EXPECT_NEAR(b.Top, top, 1e-9) << what;
}

}  // namespace

TEST(DxfInserts, BlocksDefinedLaterResolveAndNest) {
  // OUTER is used before it exists and itself uses INNER, defined after it.
  Drawing d;
  d.Load(EntitiesThenBlocks(Join({Insert("OUTER", 100, 0), Insert("outer", 0, 0, {{41, "2"}, {42, "2"}}),
                                  Insert("NOWHERE", 5, 5)}),
                            Join({Block("OUTER", Insert("INNER", 10, 0)), Block("INNER", Line(0, 0, 1, 1))})));
  ASSERT_TRUE(d.Error.empty()) << d.Error;
  ASSERT_EQ(d.Count(), 3);
  auto* a = d.As<TvxDXFInsert>(0);
  auto* b = d.As<TvxDXFInsert>(1);
  auto* lost = d.As<TvxDXFInsert>(2);
  ASSERT_TRUE(a && b && lost);
  ASSERT_NE(a->GetBlock(), nullptr);
  EXPECT_EQ(a->GetBlock()->GetName(), "OUTER");
  EXPECT_EQ(b->GetBlock(), a->GetBlock());  // names compare without case
  ExpectBox(a->GetBox(), 110, 0, 111, 1, "nested");
  ExpectBox(b->GetBox(), 20, 0, 22, 2, "nested and scaled");
  // A block never defined leaves no placeholder behind and shows nothing.
  EXPECT_EQ(lost->GetBlockRecordItem(), nullptr);
  EXPECT_TRUE(IsBadBox(lost->GetBox()));
  const TFRect e = d.Conv->Extents();
  EXPECT_NEAR(e.Right, 111, 1e-9);
}

TEST(DxfInserts, PlacementMatrixFromScaleRotationBaseAndExtrusion) {
  // The block's content spans (0,0)-(2,1) around its base point (1,1).
  struct Case {
    const char* Name;
    Pairs Extra;
    double L, B, R, T;
  };
  const Case cases[] = {
      {"plain", {}, 10, 20, 12, 21},
      {"scaled", {{41, "2"}, {42, "3"}}, 10, 20, 14, 23},
      {"scaled and turned", {{41, "2"}, {42, "3"}, {50, "90"}}, 7, 20, 10, 24},
      // Extrusion (0,0,-1) mirrors the object X axis: the point and the content flip in X.
      {"mirrored by extrusion", {{41, "2"}, {42, "3"}, {50, "90"}, {210, "0"}, {220, "0"}, {230, "-1"}},
       -10, 20, -7, 24},
  };
  for (const Case& c : cases) {
    Drawing d;
    d.Load(EntitiesThenBlocks(Insert("B", 10, 20, c.Extra), Block("B", Line(1, 1, 3, 2), 1, 1)));
    ASSERT_TRUE(d.Error.empty()) << d.Error;
    auto* ins = d.As<TvxDXFInsert>(0);
    ASSERT_NE(ins, nullptr) << c.Name;
    ExpectBox(ins->GetBox(), c.L, c.B, c.R, c.T, c.Name);
  }
}

TEST(DxfInserts, PlacementFieldsAreKeptAsRead) {
  Drawing d;
  d.Load(Entities(Insert("B", 1, 2, {{41, "2"}, {42, "-3"}, {43, "4"}, {50, "33.3"}, {210, "0"}, {220, "1"},
                                     {230, "0"}, {8, "L1"}})));
  auto* ins = d.As<TvxDXFInsert>(0);
  ASSERT_NE(ins, nullptr);
  EXPECT_EQ(ins->GetPoint().Y, 2);
  EXPECT_EQ(ins->Scale().Y, -3);
  EXPECT_EQ(ins->Scale().Z, 4);
  EXPECT_EQ(ins->Angle(), static_cast<double>(33.3f));  // kept in single precision
  EXPECT_EQ(ins->GetExtrusion().Y, 1);
  EXPECT_EQ(ins->GetLayer()->GetName(), "L1");
  // No scale codes: 1, 1, 1.
  Drawing plain;
  plain.Load(Entities(Insert("B", 0, 0)));
  ASSERT_NE(plain.As<TvxDXFInsert>(0), nullptr);
  EXPECT_EQ(plain.As<TvxDXFInsert>(0)->Scale().X, 1);
  EXPECT_EQ(plain.As<TvxDXFInsert>(0)->Scale().Z, 1);
}

TEST(DxfInserts, AttributesLandOnTheirInsertAndMoveWithIt) {
  const Pairs block = Block("T", Join({{{0, "ATTDEF"}, {10, "1"}, {20, "0"}, {40, "2"}, {1, "dflt"}, {2, " NAME "},
                                        {3, "Name?"}, {70, "0"}},
                                       Line(0, 0, 1, 1)}));
  const Pairs entities = Join({
      Insert("T", 5, 5, {{66, "1"}}),
      {{0, "ATTRIB"}, {8, "A"}, {10, "6"}, {20, "5"}, {40, "2"}, {1, "Bob"}, {2, "NAME"}, {70, "0"},
       {0, "ATTRIB"}, {10, "6"}, {20, "3"}, {40, "1"}, {1, "42"}, {2, "NUM"}, {70, "1"}, {72, "1"}, {74, "2"},
       {11, "7"}, {21, "3"}, {0, "SEQEND"}},
      {{0, "CIRCLE"}, {10, "0"}, {20, "0"}, {40, "1"}},
  });
  Drawing d;
  d.Load(WithEOF(Join({Section("BLOCKS", block), Section("ENTITIES", entities)})));
  ASSERT_TRUE(d.Error.empty()) << d.Error;
  ASSERT_EQ(d.Count(), 2);
  auto* ins = d.As<TvxDXFInsert>(0);
  ASSERT_NE(ins, nullptr);
  EXPECT_EQ(d.Ent(1)->EntType(), ceCircle);
  ASSERT_EQ(ins->Attribs().size(), 2u);
  TvxDXFAttrib* name = ins->Attribs()[0];
  TvxDXFAttrib* num = ins->Attribs()[1];
  EXPECT_EQ(name->GetOwner(), ins);
  EXPECT_EQ(name->Tag(), "NAME");
  EXPECT_EQ(name->Value(), "Bob");
  EXPECT_EQ(name->Text(), "Bob");
  EXPECT_EQ(name->GetLayer()->GetName(), "A");
  EXPECT_FALSE(name->UsesPoint1());
  EXPECT_TRUE(num->NotAppear());
  ASSERT_TRUE(num->UsesPoint1());
  EXPECT_EQ(num->GetPoint1().X, 7);
  // The visible attribute widens the box beyond the block's content (5..6 x 5..6).
  EXPECT_GT(ins->GetBox().Right, 6.5);

  // The definition stays in its block and shows its tag.
  TvxDXFBlock* b = ins->GetBlock();
  ASSERT_NE(b, nullptr);
  ASSERT_EQ(b->Count(), 2);
  auto* def = dynamic_cast<TvxDXFAttdef*>(b->GetEntity(0));
  ASSERT_NE(def, nullptr);
  EXPECT_EQ(def->EntType(), ceAttdef);
  EXPECT_EQ(def->Tag(), "NAME");
  EXPECT_EQ(def->Text(), "NAME");
  EXPECT_EQ(def->Value(), "dflt");

  // Moving the reference moves its attributes; they were read where the file put them.
  ins->SetPoint({15, 5, 0});
  EXPECT_EQ(name->GetPoint().X, 16);
  EXPECT_EQ(num->GetPoint1().X, 17);
}

TEST(DxfInserts, AttributeRunsEndCleanly) {
  struct Case {
    const char* Name;
    Pairs Body;
    std::vector<TvxCADEntities> Kinds;  // the layout's entities in order
    int Attribs;                        // of the first insert
  };
  const Pairs attrib{{0, "ATTRIB"}, {1, "v"}, {2, "T"}};
  const Case cases[] = {
      // Without SEQEND the next entity ends the run and stays in the layout.
      {"no SEQEND", Join({Insert("B", 0, 0, {{66, "1"}}), attrib, Line(0, 0, 1, 1)}), {ceInsert, ceLine}, 1},
      // An entity inside the run ends it; the stray SEQEND after it is ignored.
      {"entity inside", Join({Insert("B", 0, 0, {{66, "1"}}), attrib, {{0, "LINE"}, {5, "7F"}, {102, "{ACAD_XDICTIONARY"},
                                                                       {360, "80"}, {102, "}"}},
                               attrib, {{0, "SEQEND"}}, Line(0, 0, 2, 2)}),
       {ceInsert, ceLine, ceLine}, 1},
      // 66 missing: the attributes are not the insert's, and alone they are dropped.
      {"no 66", Join({Insert("B", 0, 0), attrib, {{0, "SEQEND"}}, Line(0, 0, 1, 1)}), {ceInsert, ceLine}, 0},
      {"stray attribute", Join({attrib, {{0, "SEQEND"}}}), {}, 0},
      // The section ends inside the run.
      {"ENDSEC inside", Join({Insert("B", 0, 0, {{66, "1"}}), attrib}), {ceInsert}, 1},
  };
  for (const Case& c : cases) {
    Drawing d;
    d.Load(Entities(c.Body));
    EXPECT_TRUE(d.Error.empty()) << c.Name << ": " << d.Error;
    std::vector<TvxCADEntities> got;
    for (int i = 0; i < d.Count(); ++i) got.push_back(d.Ent(i)->EntType());
    EXPECT_EQ(got, c.Kinds) << c.Name;
    if (auto* ins = d.As<TvxDXFInsert>(0)) {
      EXPECT_EQ(ins->Count(), c.Attribs) << c.Name;
    }
  }
}

TEST(DxfInserts, AttributesAtTheEndOfABlockAndNoSeqendBeforeEndblk) {
  Drawing d;
  d.Load(EntitiesThenBlocks(Insert("OUT", 0, 0),
                            Join({Block("OUT", Join({Insert("IN", 0, 0, {{66, "1"}}),
                                                     {{0, "ATTRIB"}, {10, "3"}, {20, "3"}, {1, "x"}, {2, "T"}}})),
                                  Block("IN", Line(0, 0, 1, 1))})));
  ASSERT_TRUE(d.Error.empty()) << d.Error;
  auto* out = d.As<TvxDXFInsert>(0);
  ASSERT_NE(out, nullptr);
  ASSERT_NE(out->GetBlock(), nullptr);
  ASSERT_EQ(out->GetBlock()->Count(), 1);
  auto* in = dynamic_cast<TvxDXFInsert*>(out->GetBlock()->GetEntity(0));
  ASSERT_NE(in, nullptr);
  EXPECT_EQ(in->Count(), 1);
  EXPECT_EQ(d.Conv->BlockByName("IN")->Count(), 1);  // ENDBLK still closed OUT, not IN
}

TEST(DxfInserts, CyclicBlocksLoadWithoutEndlessNesting) {
  // A uses B and B uses A; C uses itself. Loading, boxes and extents must end.
  Drawing d;
  d.Load(EntitiesThenBlocks(Join({Insert("A", 0, 0), Insert("C", 5, 5)}),
                            Join({Block("A", Join({Insert("B", 1, 0), Line(0, 0, 1, 1)})),
                                  Block("B", Insert("A", 1, 0)), Block("C", Join({Insert("C", 1, 1), Line(0, 0, 2, 2)}))})));
  ASSERT_TRUE(d.Error.empty()) << d.Error;
  ASSERT_EQ(d.Count(), 2);
  for (int i = 0; i < 2; ++i) {
    auto* ins = d.As<TvxDXFInsert>(i);
    ASSERT_NE(ins, nullptr);
    const TFRect b = ins->GetBox();
    if (!IsBadBox(b)) {
      EXPECT_TRUE(std::isfinite(b.Left) && std::isfinite(b.Right)) << i;
    }
  }
  (void)d.Conv->Extents();
}

TEST(DxfInserts, MultipleInsertFromColumnAndRowCounts) {
  struct Case {
    const char* Name;
    Pairs Extra;
    bool Array;
    int Cols, Rows;
  };
  const Case cases[] = {
      {"no counts", {}, false, 1, 1},
      {"one by one", {{70, "1"}, {71, "1"}}, false, 1, 1},
      {"zero", {{70, "0"}, {71, "0"}}, false, 1, 1},
      {"two columns", {{70, "2"}, {71, "1"}, {44, "10"}}, true, 2, 1},
      {"two rows", {{70, "1"}, {71, "2"}}, true, 1, 2},
      {"three by two", {{70, "3"}, {71, "2"}, {44, "10"}, {45, "5"}}, true, 3, 2},
      // Counts beyond the format's range are ignored: the array keeps one cell that way.
      {"hostile", {{70, "70000"}, {71, "2"}}, true, 1, 2},
      {"negative", {{70, "-5"}, {71, "-5"}}, false, 1, 1},
  };
  for (const Case& c : cases) {
    Drawing d;
    d.Load(EntitiesThenBlocks(Insert("C", 0, 0, c.Extra), Block("C", Line(0, 0, 1, 1))));
    ASSERT_TRUE(d.Error.empty()) << d.Error;
    ASSERT_EQ(d.Count(), 1) << c.Name;
    EXPECT_EQ(d.Ent(0)->EntType(), ceInsert) << c.Name;
    auto* m = d.As<TvxCADMInsert>(0);
    EXPECT_EQ(m != nullptr, c.Array) << c.Name;
    if (!m) continue;
    EXPECT_EQ(m->NumCols(), c.Cols) << c.Name;
    EXPECT_EQ(m->NumRows(), c.Rows) << c.Name;
    ASSERT_NE(m->GetBlock(), nullptr) << c.Name;
  }
  Drawing d;
  d.Load(EntitiesThenBlocks(Insert("C", 0, 0, {{70, "3"}, {71, "2"}, {44, "10"}, {45, "5"}, {66, "1"}}),
                            Block("C", Line(0, 0, 1, 1))));
  auto* m = d.As<TvxCADMInsert>(0);
  ASSERT_NE(m, nullptr);
  EXPECT_EQ(m->ColSpacing(), 10);
  EXPECT_EQ(m->RowSpacing(), 5);
  ExpectBox(m->GetBox(), 0, 0, 21, 6, "grid of 3 x 2");
}

TEST(DxfInsertsCorpus, EveryReferenceResolvesAndBinaryTwinsAgree) {
  const fs::path dir = Corpus();
  if (dir.empty()) GTEST_SKIP() << "no corpus (VX_CORPUS)";
  int inserts = 0;
  for (const auto& entry : fs::recursive_directory_iterator(dir)) {
    const std::string ext = entry.path().extension().string();
    if (ext != ".dxf" && ext != ".dxfb") continue;
    Drawing d;
    d.Load(ReadFile(entry.path()));
    EXPECT_TRUE(d.Error.empty()) << entry.path() << ": " << d.Error;
    for (int i = 0; i < d.Count(); ++i) {
      auto* ins = d.As<TvxDXFInsert>(i);
      if (!ins) continue;
      ++inserts;
      EXPECT_EQ(dynamic_cast<TvxLinkObject*>(ins->GetBlockRecordItem()), nullptr) << entry.path();
      EXPECT_NE(ins->GetBlock(), nullptr) << entry.path() << " insert " << i;
    }
  }
  EXPECT_GT(inserts, 0);
  // The same drawing as text and as binary: the same references, placed alike.
  for (const char* version : {"AC1009", "AC1015", "AC1027"}) {
    const fs::path text = dir / "same-drawing" / (std::string("sample_") + version + "_ascii.dxf");
    const fs::path bin = dir / "same-drawing" / (std::string("sample_") + version + "_binary.dxf");
    if (!fs::exists(text) || !fs::exists(bin)) continue;
    Drawing a, b;
    a.Load(ReadFile(text));
    b.Load(ReadFile(bin));
    ASSERT_EQ(a.Count(), b.Count()) << version;
    for (int i = 0; i < a.Count(); ++i) {
      auto* x = a.As<TvxDXFInsert>(i);
      auto* y = b.As<TvxDXFInsert>(i);
      ASSERT_EQ(x != nullptr, y != nullptr) << version << " " << i;
      if (!x) continue;
      EXPECT_EQ(x->GetBlock() ? x->GetBlock()->GetName() : "", y->GetBlock() ? y->GetBlock()->GetName() : "");
      EXPECT_NEAR(x->GetPoint().X, y->GetPoint().X, 1e-9);
      EXPECT_NEAR(x->GetPoint().Y, y->GetPoint().Y, 1e-9);
      EXPECT_EQ(x->Angle(), y->Angle());
      EXPECT_EQ(x->Count(), y->Count());
      const TFRect bx = x->GetBox(), by = y->GetBox();
      EXPECT_EQ(IsBadBox(bx), IsBadBox(by));
      if (!IsBadBox(bx)) {
        EXPECT_NEAR(bx.Left, by.Left, 1e-6 * std::max(1.0, std::abs(bx.Left)));
      }
    }
  }
}
