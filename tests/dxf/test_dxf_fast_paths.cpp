// The quick paths of the DXF reader give exactly what the general ones give: reals converted in
// place versus the general scan and strtod, short integer lines, the file copied straight from
// a stream, ASCII strings that skip the decoders, and the loader's name lookups and per-class
// commit answers once tables grow and record classes alternate.
#include "readers/dxf/vxCodePage.h"
#include "readers/dxf/vxDXFNumbers.h"
#include "readers/dxf/vxDXFRecords.h"
#include "test_dxf_load_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <sstream>
#include <streambuf>
#include <string>
#include <vector>

using namespace vx;
using namespace vx::dxftest;

namespace {

// Scans from a heap copy of exactly the line's bytes (ASan sees a read past the end).
template <typename F>
auto Scan(const std::string& line, F scan, size_t* stop = nullptr) {
  std::unique_ptr<uint8_t[]> buf(new uint8_t[line.size() + 1]);
  std::memcpy(buf.get(), line.data(), line.size());
  const uint8_t* p = buf.get();
  auto v = scan(p, buf.get() + line.size());
  if (stop) *stop = static_cast<size_t>(p - buf.get());
  return v;
}

bool SameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// A stream that cannot seek: its size is unknown until it is read to the end.
class TUnseekableBuf : public std::streambuf {
 public:
  explicit TUnseekableBuf(std::string data) : FData(std::move(data)) {
    char* b = FData.data();
    setg(b, b, b + FData.size());
  }

 private:
  std::string FData;
};

}  // namespace

TEST(DXFFastPaths, RealsInPlaceMatchTheGeneralScanAndStrtod) {
  // Reals written the usual ways ("%.17g" round trips, fixed decimals, exponents) over a wide
  // range. The comma form of each line goes through the general scan, the dot form through the
  // in-place conversion: both must give strtod's value to the last bit.
  uint64_t state = 0x9E3779B97F4A7C15ull;
  auto next = [&state] {
    state ^= state << 13;
    state ^= state >> 7;
    state ^= state << 17;
    return state;
  };
  int checked = 0, failures = 0;
  for (int i = 0; i < 4000; ++i) {
    const double unit = static_cast<double>(next() >> 11) / 9007199254740992.0;
    const int exp10 = static_cast<int>(next() % 41) - 20;
    const double v = (next() & 1 ? -1 : 1) * unit * std::pow(10.0, exp10);
    for (const char* fmt : {"%.17g", "%.16g", "%.15g", "%.6f", "%.12f", "%.3e", "%.0f"}) {
      char text[64];
      std::snprintf(text, sizeof text, fmt, v);
      const double want = std::strtod(text, nullptr);
      std::string comma = text;
      for (char& c : comma)
        if (c == '.') c = ',';
      const double dot = Scan(text, ScanDXFReal);
      const double general = Scan(comma, ScanDXFReal);
      ++checked;
      if ((!SameBits(dot, want) || !SameBits(general, want)) && ++failures <= 5)
        ADD_FAILURE() << text << ": in place " << dot << ", general " << general << ", strtod " << want;
    }
  }
  EXPECT_EQ(failures, 0) << "of " << checked;
}

TEST(DXFFastPaths, RealLinesAtTheEdgesOfTheInPlacePath) {
  // Each scan stops at the line end.
  struct Case { std::string in; double want; };
  const std::string digits40 = "1." + std::string(39, '1');
  const std::string digits41 = "1." + std::string(40, '1');
  for (const Case& c : std::initializer_list<Case>{
           {"1.5\r\n", 1.5},     {"1.5  \n", 1.5},   {"1e5\n", 1e5},     {"1e\n", 1.0},
           {"1e+\n", 1.0},       {"2.5e-0000001\n", 0.25},             {"1e-400\n", 0.0},
           {"1e400\n", 0.0},     {"1.5e5x\n", 0.0},  {"-0.0\n", -0.0},
           {std::string(45, '0') + "1.5\n", 1.5},
           {digits40, std::strtod(digits40.c_str(), nullptr)},
           {digits41, std::strtod(digits41.c_str(), nullptr)}}) {
    size_t stop = 0;
    const double v = Scan(c.in, ScanDXFReal, &stop);
    EXPECT_TRUE(SameBits(v, c.want)) << c.in << " gives " << v;
    EXPECT_EQ(stop, std::min(c.in.find_first_of("\r\n"), c.in.size())) << c.in;
  }
}

TEST(DXFFastPaths, ShortIntegerLinesAndTheirFallbacks) {
  struct Case { const char* in; int32_t want; size_t stop; };
  for (const Case& c : std::initializer_list<Case>{
           {"123456789\n", 123456789, 9},     {"1234567890\n", 1234567890, 10},
           {"-123456789\r\n", -123456789, 10}, {"2147483648\n", INT_MAX, 10},
           {"-2147483649\n", INT_MIN, 11},     {"007\n", 7, 3},
           {"-0\n", 0, 2},                     {"-\n", 0, 1},
           {"+12\n", 12, 3},                   {"7 \n", 7, 2},
           {"7 x\n", 7, 3},                    {"7x\n", 0, 2},
           {"12", 12, 2},                      {"\n", 0, 0}}) {
    size_t stop = 0;
    EXPECT_EQ(Scan(c.in, ScanDXFInt, &stop), c.want) << c.in;
    EXPECT_EQ(stop, c.stop) << c.in;
  }
}

TEST(DXFSource, StreamsOfKnownAndUnknownSize) {
  std::string data(200000, '\0');
  for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<char>('A' + i % 23);
  auto expectSource = [](const TdxfSource& s, const std::string& want) {
    ASSERT_EQ(s.Size(), want.size());
    EXPECT_EQ(std::memcmp(s.Data(), want.data(), want.size()), 0);
    EXPECT_EQ(std::memcmp(s.Limit(), "\r\n\0\0", 4), 0);
  };
  {
    // a seekable stream is copied from where it stands
    std::istringstream in(data);
    in.seekg(1000);
    expectSource(TdxfSource::FromStream(in), data.substr(1000));
  }
  {
    // without seeking, the buffer grows as the chunks come
    TUnseekableBuf buf(data);
    std::istream in(&buf);
    expectSource(TdxfSource::FromStream(in), data);
  }
  {
    TUnseekableBuf buf("");
    std::istream in(&buf);
    expectSource(TdxfSource::FromStream(in), "");
  }
  TdxfSource a = TdxfSource::FromBytes(data.data(), 5000);
  TdxfSource b = a;  // a copy owns bytes of its own
  EXPECT_NE(a.Data(), b.Data());
  expectSource(b, data.substr(0, 5000));
  b = TdxfSource::FromBytes("xy", 2);
  expectSource(b, "xy");
  expectSource(a, data.substr(0, 5000));
}

TEST(DXFFastPaths, AsciiStringsSkipTheDecodersWithTheSameResult) {
  struct Case {
    const char* value;
    int codePage;
    bool unicode;
  };
  for (const Case& c : std::initializer_list<Case>{{"Layer_1 ", 1251, false},
                                                   {"\xC0\xC1", 1251, false},
                                                   {"Layer_1", cpDefault, false},
                                                   {"AB", cpUTF16LE, false},
                                                   {"plain", 1252, true},
                                                   {"bad \xFF", 1252, true},
                                                   {"A\\U+0042C", 1252, false},
                                                   {"A\\U+0042C", 1252, true}}) {
    const std::string text = std::string("1\n") + c.value + "\n";
    TdxfSource src = TdxfSource::FromBytes(text.data(), text.size());
    TdxfReader r(src);
    r.SetCodePage(c.codePage);
    r.SetUnicodeText(c.unicode);
    r.Next();
    const std::string want =
        c.unicode ? ValidUTF8(c.value) : CodePageToUTF8(c.value, c.codePage);
    EXPECT_EQ(r.StrValue(), want) << c.value;
    EXPECT_EQ(r.UValue(), ExpandDXFEscapes(want)) << c.value;
  }
}

TEST(DXFLoaderLookups, NamesFollowTheTablesAsTheyGrow) {
  TvxDXFConverter* conv = TvxDXFConverter::Create();
  conv->InitializeSectionsBegin();
  conv->InitializeSectionsEnd(false);
  {
    TdxfSource src;
    TdxfReader tokens(src);
    TdxfLoader loader(tokens, conv);
    TvxDXFTable* layers = conv->Layers();
    ASSERT_NE(layers, nullptr);
    EXPECT_EQ(loader.FindLayer(""), layers->FindItem<TvxDXFLayer>("0"));
    EXPECT_EQ(loader.FindLayer("Walls"), nullptr);
    TvxDXFLayer* walls = conv->LayerByName("Walls");
    ASSERT_NE(walls, nullptr);
    EXPECT_EQ(loader.FindLayer("Walls"), walls);
    EXPECT_EQ(loader.FindLayer("WALLS"), walls);
    // a second item of the name: the loader answers what the table answers
    conv->NewNamed<TvxDXFLayer>(layers, "walls");
    EXPECT_EQ(loader.FindLayer("Walls"), layers->FindItem<TvxDXFLayer>("Walls"));
    EXPECT_NE(loader.FindLType(""), nullptr);
    EXPECT_EQ(loader.FindLType(""), conv->LTypes()->FindItem<TvxDXFLineType>("BYLAYER"));
    EXPECT_EQ(loader.FindLType("DASHED"), nullptr);
  }
  conv->Release();
}

TEST(DXFLoadFastPaths, AlternatingRecordClassesKeepTheirLayersAndLineTypes) {
  // Entities of several classes in turn, a layer that only appears in a later tables section,
  // and layer items (which take a line type but no layer) between them.
  const Pairs ltype = {{0, "TABLE"}, {2, "LTYPE"}, {0, "LTYPE"}, {2, "DASHED"}, {70, "0"}, {73, "2"},
                       {40, "0.75"}, {49, "0.5"},  {74, "0"},   {49, "-0.25"}, {74, "0"}, {0, "ENDTAB"}};
  const Pairs layers = {{0, "TABLE"}, {2, "LAYER"}, {0, "LAYER"}, {2, "A"}, {6, "DASHED"},
                        {0, "LAYER"}, {2, "B"},     {0, "ENDTAB"}};
  const Pairs late = {{0, "TABLE"}, {2, "LAYER"}, {0, "LAYER"}, {2, "Late"}, {62, "3"}, {0, "ENDTAB"}};
  const Pairs first = {{0, "LINE"},       {8, "A"}, {6, "DASHED"}, {0, "CIRCLE"}, {8, "B"}, {40, "1"},
                       {0, "LINE"},       {8, "B"}, {0, "POINT"},  {8, "Late"},   {0, "LWPOLYLINE"},
                       {8, "A"},          {90, "2"}, {10, "0"},    {20, "0"},     {10, "1"}, {20, "1"}};
  const Pairs second = {{0, "LINE"}, {8, "Late"}, {0, "CIRCLE"}, {8, "A"}, {6, "DASHED"}, {40, "2"}};
  Drawing d;
  d.Load(WithEOF(Join({Section("TABLES", Join({ltype, layers})), Section("ENTITIES", first),
                       Section("TABLES", late), Section("ENTITIES", second)})));
  ASSERT_TRUE(d.Error.empty()) << d.Error;
  struct Want { TvxCADEntities kind; const char* layer; const char* ltype; };
  const std::vector<Want> want = {{ceLine, "A", "DASHED"},      {ceCircle, "B", "BYLAYER"},
                                  {ceLine, "B", "BYLAYER"},     {cePoint, "Late", "BYLAYER"},
                                  {ceLWPolyline, "A", "BYLAYER"}, {ceLine, "Late", "BYLAYER"},
                                  {ceCircle, "A", "DASHED"}};
  ASSERT_EQ(d.Count(), static_cast<int>(want.size()));
  TvxDXFLayer* lateLayer = d.Conv->Layers()->FindItem<TvxDXFLayer>("Late");
  ASSERT_NE(lateLayer, nullptr);
  for (int i = 0; i < d.Count(); ++i) {
    TvxDXFEntity* e = d.Ent(i);
    ASSERT_EQ(e->EntType(), want[static_cast<size_t>(i)].kind) << i;
    ASSERT_NE(e->GetLayer(), nullptr) << i;
    EXPECT_TRUE(SameName(e->GetLayer()->GetName(), want[static_cast<size_t>(i)].layer)) << i;
    ASSERT_NE(e->GetLineType(), nullptr) << i;
    EXPECT_TRUE(SameName(e->GetLineType()->GetName(), want[static_cast<size_t>(i)].ltype)) << i;
  }
  // the point met the layer before its entry: the placeholder resolved to the same item
  EXPECT_EQ(d.Ent(3)->GetLayer(), lateLayer);
  EXPECT_EQ(d.Ent(5)->GetLayer(), lateLayer);
  auto* a = d.Conv->Layers()->FindItem<TvxDXFLayer>("A");
  ASSERT_NE(a, nullptr);
  ASSERT_NE(a->GetLineType(), nullptr);
  EXPECT_EQ(a->GetLineType()->GetName(), "DASHED");
}
