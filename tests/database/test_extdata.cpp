// Extended entity data: the container, the converter's store through the entity, hyperlinks.
#include "database/core/DXFConv.h"
#include "database/entities/vxEntities.h"
#include "database/extdata/vxExtData.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

using namespace vx;

TEST(ExtendedData, TypedItemsReadBackAndNeutralValues) {
  TvxCADExtendedData d;
  EXPECT_EQ(d.AddString(1001, "APP"), 0);
  d.AddInt16(1070, -7);
  d.AddInt(1071, 70000);
  d.AddDouble(1040, 2.5);
  d.AddPoint(1010, {1, 2, 3});
  d.AddInt64(1005, 0x1234567890LL);
  d.AddByte(280, 9);
  EXPECT_EQ(d.DataCount(), 7);
  EXPECT_EQ(d.DataString(0), "APP");
  EXPECT_EQ(d.DataInt16(1), -7);
  EXPECT_EQ(d.DataInt(2), 70000);
  EXPECT_DOUBLE_EQ(d.DataDouble(3), 2.5);
  EXPECT_EQ(d.DataPoint(4), (TFPoint{1, 2, 3}));
  EXPECT_EQ(d.DataInt64(5), 0x1234567890LL);
  EXPECT_EQ(d.DataByte(6), 9);
  // No conversion between types; missing items read neutral and ignore writes.
  EXPECT_EQ(d.DataString(1), "");
  EXPECT_EQ(d.DataInt(1), 0);
  EXPECT_EQ(d.DataCode(99), -1);
  EXPECT_EQ(d.DataType(-1), edtUndefined);
  d.SetDataDouble(99, 1.0);
  d.SetDataDouble(1, 1.0);  // a 16-bit item keeps its value
  EXPECT_EQ(d.DataInt16(1), -7);
  // By code.
  d.SetUseCode(true);
  EXPECT_DOUBLE_EQ(d.DataDouble(1040), 2.5);
  EXPECT_EQ(d.DataInt(1071), 70000);
  EXPECT_EQ(d.DataCode(1234), -1);
  d.SetUseCode(false);
  // ChangeType gives a zero value of the new type.
  d.ChangeType(3, edtString);
  EXPECT_EQ(d.DataType(3), edtString);
  EXPECT_EQ(d.DataString(3), "");
  EXPECT_EQ(d.DataCode(3), 1040);
}

TEST(ExtendedData, ComplexAddsAppendCodeThenValue) {
  TvxCADExtendedData d;
  d.AddComplexDouble(5, 2.5);
  d.AddComplexInt32(6, 12);
  d.AddComplexString(7, "x");
  ASSERT_EQ(d.DataCount(), 6);
  EXPECT_EQ(d.DataCode(0), 1070);
  EXPECT_EQ(d.DataInt16(0), 5);
  EXPECT_EQ(d.DataCode(1), 1040);
  EXPECT_DOUBLE_EQ(d.DataDouble(1), 2.5);
  EXPECT_EQ(d.DataCode(3), 1071);
  EXPECT_EQ(d.DataCode(5), 1000);
}

TEST(ExtendedData, TextsAndBinaryChunksAreCutAt255) {
  TvxCADExtendedData d;
  d.AddString(1000, std::string(300, 'a'));
  EXPECT_EQ(d.DataString(0).size(), 255u);
  d.SetDataString(0, std::string(256, 'b'));
  EXPECT_EQ(d.DataString(0), std::string(255, 'b'));
  // A multi-byte character is never split.
  std::string wide;
  for (int i = 0; i < 200; ++i) wide += "\xC3\xA4";
  d.AddString(1000, wide);
  EXPECT_EQ(d.DataString(1).size(), 2u * 200);
  d.AddString(1000, wide + wide);
  EXPECT_EQ(d.DataString(2).size(), 2u * 255);
  // 300 bytes keep 255 (a count taken as a byte would keep 44).
  const std::string bytes(300, '\x5A');
  d.AddBinary(1004, bytes.size(), reinterpret_cast<const uint8_t*>(bytes.data()));
  EXPECT_EQ(d.DataBinary(3).size(), 255u);
  struct Case {
    std::string Hex;
    std::string Want;
  };
  for (const Case& c : {Case{"0AFF10", std::string("\x0A\xFF\x10", 3)}, Case{"0a1", std::string("\x0A", 1)},
                        Case{"12zz34", std::string("\x12", 1)}, Case{std::string(600, 'F'), std::string(255, '\xFF')}}) {
    TvxCADExtendedData h;
    h.AddBinary(1004, c.Hex);
    EXPECT_EQ(h.DataBinary(0), c.Want) << c.Hex.substr(0, 20);
  }
}

TEST(ExtendedData, SortedKeepsFileOrderAmongEqualCodes) {
  TvxCADExtendedData d;
  d.AddInt16(1070, 1);
  d.AddString(1000, "a");
  d.AddInt16(1070, 2);
  d.SetSorted(true);
  EXPECT_EQ(d.DataCode(0), 1000);
  EXPECT_EQ(d.DataInt16(1), 1);
  EXPECT_EQ(d.DataInt16(2), 2);
  d.AddString(1000, "b");  // after the other 1000
  EXPECT_EQ(d.DataString(1), "b");
  TvxCADExtendedData copy;
  copy.AddInt(1, 1);
  copy.AssignData(d);
  EXPECT_EQ(copy.DataCount(), 4);
  EXPECT_TRUE(copy.Sorted());
}

TEST(ExtendedData, NamesAndTypeScan) {
  TvxCADExtendedData d;
  d.AddString(1001, "AcDbAttr");
  d.AddString(1000, "Group");
  d.AddString(1002, "{");
  d.AddInt16(1070, 70);
  d.AddInt16(1070, 3);
  d.AddString(1002, "}");
  EXPECT_TRUE(d.IsEqualName("ACDBATTR"));
  EXPECT_TRUE(d.IsEqualSubName("group"));
  std::string group;
  int type = 0;
  EXPECT_EQ(d.ExtractEEDType(group, type, 100), 4);
  EXPECT_EQ(group, "Group");
  EXPECT_EQ(type, 3);
  // Outside an open group nothing is taken.
  TvxCADExtendedData closed;
  closed.AddInt16(1070, 70);
  closed.AddInt16(1070, 3);
  closed.ExtractEEDType(group, type, 10);
  EXPECT_EQ(type, -1);
}

TEST(ExtendedData, HyperLinksRoundTrip) {
  // "A#B": 1000 B, then 1000 A; without "#" the link comes back unchanged.
  for (const std::string link : {"Description#http://x.org/a", "http://x.org/no-hash", "a#"}) {
    TvxCADExtendedData d;
    ASSERT_TRUE(ExtDataFromHyperLink(link, d));
    EXPECT_TRUE(d.IsEqualName("PE_URL"));
    std::string back;
    ASSERT_TRUE(HyperLinkFromExtData(d, back));
    EXPECT_EQ(back, link);
  }
  TvxCADExtendedData d;
  ExtDataFromHyperLink("A#B", d);
  EXPECT_EQ(d.DataString(1), "B");
  EXPECT_EQ(d.DataString(3), "A");
  // One text alone is the whole link; another application gives nothing.
  TvxCADExtendedData single;
  single.AddString(1001, "pe_url");
  single.AddString(1000, "http://only");
  std::string link;
  ASSERT_TRUE(HyperLinkFromExtData(single, link));
  EXPECT_EQ(link, "http://only");
  TvxCADExtendedData other;
  other.AddString(1001, "ACAD");
  other.AddString(1000, "x");
  EXPECT_FALSE(HyperLinkFromExtData(other, link));
}

TEST(ExtendedData, EntityStoreKeepsApplicationsApart) {
  TvxDXFConverter* conv = TvxDXFConverter::Create();
  auto* line = new TvxDXFLine();
  line->SetConverter(conv);
  line->SetHandle(0x40);
  auto* a = new TvxCADExtendedData();
  a->AddString(1001, "A");
  auto* b = new TvxCADExtendedData();
  b->AddString(1001, "B");
  line->SetEED(a, 0x10);
  line->SetEED(b, 0x11);
  EXPECT_EQ(line->GetEED(0x10), a);
  EXPECT_EQ(line->GetEED(0x11), b);
  line->SetEED(a, 0x10);  // the same container again: kept
  EXPECT_EQ(line->GetEED(0x10), a);
  auto* a2 = new TvxCADExtendedData();
  line->SetEED(a2, 0x10);  // replaced: the old one is freed (ASan sees a leak otherwise)
  EXPECT_EQ(line->GetEED(0x10), a2);
  line->SetEED(nullptr, 0x11);
  EXPECT_EQ(line->GetEED(0x11), nullptr);
  EXPECT_EQ(line->GetEED(0x10), a2);
  line->SetEED(nullptr, 0x10);
  EXPECT_EQ(conv->EntityEEDItems().Items(0x40), nullptr);  // no entries: no collection
  line->SetEED(new TvxCADExtendedData(), 0x10);
  // Entity hyperlink to "PE_URL" data and back.
  line->SetHyperLink("Door#http://d");
  TvxCADExtendedData url;
  ASSERT_TRUE(line->GetExtData(url, "PE_URL"));
  EXPECT_FALSE(line->GetExtData(url, "pe_url"));  // exact name only
  auto* other = new TvxDXFLine();
  other->SetExtDataHyperLink(url);
  EXPECT_EQ(other->GetHyperLink(), "Door#http://d");
  other->Free();
  line->Free();
  conv->Release();  // frees the data still filed
}
