// Record layouts on hand-made objects: the cases where one field decides how the next ones read.
#include "database/blocks/vxInserts.h"
#include "database/entities/vxEntPolylines.h"
#include "dwg/dwg_bit_writer.h"
#include "readers/dwg/objects/vxDWGRecords.h"
#include "readers/dwg/vxDWGReader.h"

#include <gtest/gtest.h>

#include <functional>

using namespace vx;
using vx::test::TBitWriter;

namespace {

using TWrite = std::function<void(TBitWriter&)>;

// One entity of the version in model space (mode 2), on the layer handle 0x10: the common data,
// then own, then the handles (its own after the layer).
std::vector<uint8_t> EntityBytes(TvxDWGVersion v, unsigned type, uint64_t handle, const TWrite& own,
                                 const TWrite& ownHandles = {}, bool noLinks = true) {
  auto build = [&](uint32_t bitSize, uint32_t& handlesAt) {
    TBitWriter w;
    w.BS(type);
    if (v >= acR2000) w.RL(bitSize);
    w.H(0, handle);
    w.BS(0);  // no extended data
    w.B(0);   // no graphic
    if (v < acR2000) w.RL(bitSize);
    w.BB(2).BL(0);
    if (v < acR2000) w.B(0);  // line type by layer stored
    w.B(noLinks ? 1 : 0);
    w.BS(256);  // colour by layer
    w.BD(1.0);
    if (v >= acR2000) w.BB(0).BB(0);
    w.BS(0);
    if (v >= acR2000) w.RC(29);
    own(w);
    handlesAt = uint32_t(w.Size);
    w.H(3, 0);        // extension dictionary
    w.H(5, 0x10);     // layer
    if (v < acR2000) w.H(5, 0x14);  // line type
    if (!noLinks) w.H(4, 0).H(4, handle + 7);
    if (ownHandles) ownHandles(w);
    return w;
  };
  uint32_t at = 0;
  build(0, at);
  TBitWriter data = build(at, at);
  TBitWriter obj;
  obj.RS(uint16_t(data.Bytes.size()));  // MS, one word
  for (uint8_t b : data.Bytes) obj.RC(b);
  obj.RS(0);  // CRC, not checked here
  return obj.Padded(16);
}

// A reader over an image of one object at offset 0.
struct TConvRelease {
  void operator()(TvxDXFConverter* c) const { c->Release(); }
};

struct TOneObject {
  std::unique_ptr<TvxDXFConverter, TConvRelease> Conv{TvxDXFConverter::Create()};
  TdwgReader Reader{Conv.get()};
  std::unique_ptr<TdwgObject> Object;

  TOneObject(TvxDWGVersion v, std::vector<uint8_t> bytes, uint64_t handle) {
    Reader.Version = v;
    Reader.Coding = DWGTextCoding(v, 1252, true);
    Reader.File.Image = std::move(bytes);
    Reader.Map.Add(handle, 0);
    Object = Reader.ReadObject(0);
    if (Object) Object->Commit(Reader);  // nothing owns it here: the item stays with the reader
  }
  ~TOneObject() { Object.reset(); }
  template <class T>
  T* Item() const {
    return Object ? dynamic_cast<T*>(Object->FItem) : nullptr;
  }
};

}  // namespace

TEST(DWGRecords, LWPolylineBulgesBeyondThePointsAreDropped) {
  // Flags 16 (bulges): three points, five bulges.
  const std::vector<uint8_t> bytes = EntityBytes(acR2000, 77, 0x40, [](TBitWriter& w) {
    w.BS(16).BL(3).BL(5);
    w.RD2(0, 0).DD(10, 0).DD(0, 0).DD(10, 10).DD(5, 0);
    for (double b : {0.5, -0.25, 1.0, 7.0, 9.0}) w.BD(b);
  });
  TOneObject o(acR2000, bytes, 0x40);
  auto* lw = o.Item<TvxDXFPolyline>();
  ASSERT_NE(lw, nullptr);
  ASSERT_EQ(lw->Count(), 3);
  const double want[3][3] = {{0, 0, 0.5}, {10, 0, -0.25}, {10, 5, 1.0}};
  for (int i = 0; i < 3; ++i) {
    auto* v = dynamic_cast<TvxDXFVertex*>(lw->GetEntity(i));
    EXPECT_EQ(v->GetPoint().X, want[i][0]);
    EXPECT_EQ(v->GetPoint().Y, want[i][1]);
    EXPECT_EQ(v->GetBulge(), want[i][2]);
  }
  EXPECT_EQ(o.Reader.Stats.DataMismatches, 0);
}

TEST(DWGRecords, VertexWithNegativeStartWidthHasBothWidths) {
  const std::vector<uint8_t> bytes = EntityBytes(acR2000, 10, 0x41, [](TBitWriter& w) {
    w.RC(0).BD3(1, 2, 0).BD(-2.5).BD(0.75).BD(0);  // no end width: the bulge follows
  });
  TOneObject o(acR2000, bytes, 0x41);
  auto* v = o.Item<TvxDXFVertex>();
  ASSERT_NE(v, nullptr);
  EXPECT_EQ(v->GetStartWidth(), 2.5);
  EXPECT_EQ(v->GetEndWidth(), 2.5);
  EXPECT_EQ(v->GetBulge(), 0.75);
  EXPECT_EQ(o.Reader.Stats.DataMismatches, 0);
}

TEST(DWGRecords, TextWithEveryFieldAbsentTakesItsDefaults) {
  // Data flags 0xFF: only the insertion, the extrusion, thickness, height and text are stored.
  const std::vector<uint8_t> bytes = EntityBytes(acR2000, 1, 0x42, [](TBitWriter& w) {
    w.RC(0xFF).RD2(3, 4).B(1).B(1).RD(2.5).TV("abc");
  }, [](TBitWriter& w) { w.H(5, 0x11); });
  TOneObject o(acR2000, bytes, 0x42);
  auto* t = o.Item<TvxDXFText>();
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(t->GetPoint().X, 3);
  EXPECT_EQ(t->GetPoint().Y, 4);
  EXPECT_EQ(t->GetPoint().Z, 0);
  EXPECT_EQ(t->Height(), 2.5);
  EXPECT_EQ(t->Rotation(), 0);
  EXPECT_EQ(t->Scale(), 1);
  EXPECT_EQ(t->HAlign(), 0);
  EXPECT_EQ(t->VAlign(), 0);
  EXPECT_EQ(t->Text(), "abc");
  EXPECT_EQ(o.Reader.Stats.DataMismatches, 0);
}

TEST(DWGRecords, InsertScaleKinds) {
  const struct { unsigned Kind; std::vector<double> Stored; TFPoint Want; } cases[] = {
      {3, {}, {1, 1, 1}},
      {2, {2.0}, {2, 2, 2}},
      {1, {4.0, 5.0}, {1, 4, 5}},  // Y and Z as DD over X = 1 (written whole here)
      {0, {3.0, 3.0, 6.0}, {3, 3, 6}},
  };
  for (const auto& k : cases) {
    const std::vector<uint8_t> bytes = EntityBytes(acR2000, 7, 0x43, [&](TBitWriter& w) {
      w.BD3(10, 20, 0).BB(k.Kind);
      if (k.Kind == 2) w.RD(k.Stored[0]);
      if (k.Kind == 1) w.DD(k.Stored[0], 1.0).DD(k.Stored[1], 1.0);
      if (k.Kind == 0) w.RD(k.Stored[0]).DD(k.Stored[1], k.Stored[0]).DD(k.Stored[2], k.Stored[0]);
      w.BD(0).BD3(0, 0, 1).B(0);
    }, [](TBitWriter& w) { w.H(5, 0x99); });
    TOneObject o(acR2000, bytes, 0x43);
    auto* ins = o.Item<TvxDXFInsert>();
    ASSERT_NE(ins, nullptr) << k.Kind;
    EXPECT_EQ(ins->Scale().X, k.Want.X) << k.Kind;
    EXPECT_EQ(ins->Scale().Y, k.Want.Y) << k.Kind;
    EXPECT_EQ(ins->Scale().Z, k.Want.Z) << k.Kind;
    EXPECT_EQ(o.Reader.Stats.DataMismatches, 0) << k.Kind;
    EXPECT_EQ(o.Object->F.Refs[0], 0x99u) << k.Kind;  // the block record
  }
}

TEST(DWGRecords, EntityChainsBeforeDWG2004) {
  // No links: the next entity is the following handle. With links: the stored next handle.
  const TWrite circle = [](TBitWriter& w) { w.BD3(0, 0, 0).BD(1).BD(0).BD3(0, 0, 1); };
  TOneObject next(acR14, EntityBytes(acR14, 18, 0x50, circle), 0x50);
  ASSERT_NE(next.Object, nullptr);
  EXPECT_EQ(next.Object->NextInChain(), 0x51u);
  EXPECT_EQ(next.Reader.Stats.DataMismatches, 0);
  TOneObject linked(acR14, EntityBytes(acR14, 18, 0x50, circle, {}, false), 0x50);
  ASSERT_NE(linked.Object, nullptr);
  EXPECT_EQ(linked.Object->NextInChain(), 0x57u);
}

TEST(DWGRecords, ObjectsThatDoNotFitFailAsDecodingErrors) {
  // A stored bit size past the object, a count that cannot fit, an object past the image.
  const std::vector<TWrite> broken = {
      [](TBitWriter& w) { w.BS(16).BL(0x7FFFFFFF).BL(0); },  // LW polyline: points beyond the data
  };
  std::vector<uint8_t> bytes = EntityBytes(acR2000, 77, 0x60, broken[0]);
  TvxDXFConverter* conv = TvxDXFConverter::Create();
  {
    TdwgReader reader(conv);
    reader.Version = acR2000;
    reader.File.Image = bytes;
    reader.Map.Add(0x60, 0);
    EXPECT_THROW(reader.ReadObject(0), EdwgReadError);
    // The same object cut short.
    reader.File.Image.resize(12);
    EXPECT_THROW(reader.ReadObject(0), EdwgReadError);
    // A location outside the image.
    reader.Map.Add(0x61, 1u << 30);
    reader.Map.Sort();
    EXPECT_THROW(reader.ReadObject(1), EdwgReadError);
  }
  conv->Release();
}
