// The proxy-graphics decoder over hand-made command streams: each command kind, the properties
// and transforms in force, and streams that lie about their sizes and counts.
#include "database/entities/vxEntities.h"
#include "database/entities/vxEntPolylines.h"
#include "database/hatches/vxHatches.h"
#include "database/text/vxText.h"
#include "readers/dxf/vxProxyGraphics.h"
#include "test_proxy_fixture.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <vector>

namespace vx {
namespace {

using proxytest::Data;
using proxytest::Stream;

struct Decoded {
  std::vector<TvxEntityPtr<>> Ents;
  std::vector<TvxProxyProps> Props;
  template <class T>
  T* As(size_t i) const {
    return i < Ents.size() ? dynamic_cast<T*>(Ents[i].get()) : nullptr;
  }
};

Decoded Decode(const std::string& bytes, int segments = 48) {
  Decoded d;
  TDXFProxyReader rd(bytes);
  TvxProxyOptions o;
  o.CircleSegments = segments;
  ReadProxyGraphics(rd, o, d.Ents, d.Props);
  EXPECT_EQ(d.Ents.size(), d.Props.size());
  return d;
}

double Dist(const TFPoint& a, const TFPoint& b) {
  return std::hypot(a.X - b.X, a.Y - b.Y, a.Z - b.Z);
}

std::vector<TFPoint> Vertices(const TvxDXFPolyline* p) {
  std::vector<TFPoint> v;
  for (int i = 0; p && i < p->Count(); ++i) v.push_back(p->GetVertex(i)->GetPoint());
  return v;
}

Data Poly(std::initializer_list<TFPoint> pts) {
  Data d;
  d.I(static_cast<int32_t>(pts.size()));
  for (const TFPoint& p : pts) d.P(p.X, p.Y, p.Z);
  return d;
}

TEST(ProxyGraphics, CirclesAndArcsAreSampledAroundTheirPlane) {
  struct Case {
    const char* Name;
    Stream S;
    bool Made;
    TFPoint Centre;
    double Radius;
    TFPoint First, Last;
  };
  const double h = std::sqrt(0.5);
  const std::vector<Case> cases = {
      {"circle", Stream().Add(2, Data().P(1, 2, 0).D(3).P(0, 0, 1)), true, {1, 2, 0}, 3, {}, {}},
      // a normal along Y that is not of unit length still has a plane
      {"circle normal (0,5,0)", Stream().Add(2, Data().P(0, 0, 0).D(1).P(0, 5, 0)), true, {0, 0, 0}, 1, {}, {}},
      {"circle zero normal", Stream().Add(2, Data().P(0, 0, 0).D(1).P(0, 0, 0)), false, {}, 0, {}, {}},
      {"circle NaN radius", Stream().Add(2, Data().P(0, 0, 0).D(NAN).P(0, 0, 1)), false, {}, 0, {}, {}},
      {"3-point circle", Stream().Add(3, Data().P(1, 0, 0).P(0, 1, 0).P(-1, 0, 0)), true, {0, 0, 0}, 1,
       {1, 0, 0}, {1, 0, 0}},
      {"3-point collinear", Stream().Add(3, Data().P(0, 0, 0).P(1, 1, 1).P(2, 2, 2)), false, {}, 0, {}, {}},
      {"3-point arc", Stream().Add(5, Data().P(1, 0, 0).P(0, 1, 0).P(-1, 0, 0).Zeros(4)), true, {0, 0, 0}, 1,
       {1, 0, 0}, {-1, 0, 0}},
      // clockwise through the bottom: the arc still passes its middle point
      {"3-point arc clockwise", Stream().Add(5, Data().P(1, 0, 0).P(0, -1, 0).P(-1, 0, 0).Zeros(4)), true,
       {0, 0, 0}, 1, {1, 0, 0}, {-1, 0, 0}},
      {"arc by angle", Stream().Add(4, Data().P(0, 0, 5).D(2).P(0, 0, 1).P(1, 1, 0).D(M_PI / 2).Zeros(4)), true,
       {0, 0, 5}, 2, {2 * h, 2 * h, 5}, {-2 * h, 2 * h, 5}},
  };
  for (const Case& c : cases) {
    const Decoded d = Decode(c.S.Bytes(), 48);
    if (!c.Made) {
      EXPECT_TRUE(d.Ents.empty()) << c.Name;
      continue;
    }
    auto* p = d.As<TvxDXFPolyline>(0);
    ASSERT_NE(p, nullptr) << c.Name;
    EXPECT_TRUE(p->Polyline3D()) << c.Name;
    const std::vector<TFPoint> v = Vertices(p);
    ASSERT_EQ(v.size(), 49u) << c.Name;
    for (const TFPoint& q : v) EXPECT_NEAR(Dist(q, c.Centre), c.Radius, 1e-9) << c.Name;
    if (c.Radius > 0 && c.First.X == 0 && c.Last.X == 0) {
      EXPECT_NEAR(Dist(v.front(), v.back()), 0, 1e-9) << c.Name;
      continue;
    }
    EXPECT_NEAR(Dist(v.front(), c.First), 0, 1e-9) << c.Name;
    EXPECT_NEAR(Dist(v.back(), c.Last), 0, 1e-9) << c.Name;
  }
  // The three-point arcs pass through their middle point halfway.
  for (double y : {1.0, -1.0}) {
    const Decoded d = Decode(Stream().Add(5, Data().P(1, 0, 0).P(0, y, 0).P(-1, 0, 0).Zeros(4)).Bytes(), 48);
    ASSERT_NE(d.As<TvxDXFPolyline>(0), nullptr);
    EXPECT_NEAR(Dist(Vertices(d.As<TvxDXFPolyline>(0))[24], {0, y, 0}), 0, 1e-9) << y;
  }
}

TEST(ProxyGraphics, PolylinesPolygonsMeshesAndShells) {
  // Two points make a line, more an open 3D polyline; type 32 carries a normal after the points.
  Stream s;
  s.Add(6, Poly({{0, 0, 0}, {1, 0, 0}}))
      .Add(6, Poly({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}}))
      .Add(32, Poly({{0, 0, 0}, {2, 0, 0}, {2, 2, 0}}).P(0, 0, 1))
      .Add(7, Poly({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}}))
      .Add(20, Data().I(1))
      .Add(7, Poly({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}}))
      .Add(20, Data().I(0))
      .Add(7, Poly({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}}));
  Data mesh;
  mesh.I(2).I(3);
  for (int i = 0; i < 6; ++i) mesh.P(i, i % 3, 0);
  mesh.Zeros(16);  // edge and face data, skipped
  s.Add(8, mesh);
  const Decoded d = Decode(s.Bytes());
  ASSERT_EQ(d.Ents.size(), 7u);
  ASSERT_NE(d.As<TvxDXFLine>(0), nullptr);
  EXPECT_EQ(d.As<TvxDXFLine>(0)->GetPoint1(), (TFPoint{1, 0, 0}));
  for (size_t i : {1u, 2u}) {
    auto* p = d.As<TvxDXFPolyline>(i);
    ASSERT_NE(p, nullptr) << i;
    EXPECT_TRUE(p->Polyline3D());
    EXPECT_FALSE(p->GetClosed());
    EXPECT_EQ(p->Count(), 3);
  }
  ASSERT_NE(d.As<TvxDXFPolyline>(3), nullptr);
  EXPECT_TRUE(d.As<TvxDXFPolyline>(3)->GetClosed());
  auto* filled = d.As<TvxCADPolyPolygon>(4);
  ASSERT_NE(filled, nullptr);
  ASSERT_EQ(filled->Boundaries().size(), 1u);
  EXPECT_GE(filled->Boundaries()[0].Count(), 3);
  ASSERT_NE(d.As<TvxDXFPolyline>(5), nullptr);  // after fill 0
  EXPECT_TRUE(d.As<TvxDXFPolyline>(5)->GetClosed());
  auto* m = d.As<TvxDXFPolyline>(6);
  ASSERT_NE(m, nullptr);
  EXPECT_EQ(m->MeshM(), 2);
  EXPECT_EQ(m->MeshN(), 3);
  EXPECT_EQ(m->Count(), 6);
  EXPECT_TRUE(m->IsPolygonMesh());

  // Shells: a count and that many vertex numbers per face; a negative count is a hole, read
  // alike; numbers outside the vertices name no corner; a zero count ends the list.
  Data shell;
  shell.I(4).P(0, 0, 0).P(1, 0, 0).P(1, 1, 0).P(0, 1, 0);
  const std::vector<int32_t> faces = {4, 0, 1, 2, 3, -3, 0, 2, 9, 0, 3, 0, 1, 2};
  shell.I(static_cast<int32_t>(faces.size()));
  for (int32_t f : faces) shell.I(f);
  const Decoded sh = Decode(Stream().Add(9, shell).Bytes());
  auto* pf = sh.As<TvxDXFPolyline>(0);
  ASSERT_NE(pf, nullptr);
  EXPECT_EQ(pf->GetFlags() & cnstPolylinePolyFace, cnstPolylinePolyFace);
  ASSERT_EQ(pf->Count(), 6);  // 4 vertices and 2 faces
  for (int k = 0; k < 4; ++k) EXPECT_EQ(pf->GetVertex(4)->GetPolyFaceVertexIndex(k), k + 1);
  EXPECT_EQ(pf->GetVertex(5)->GetPolyFaceVertexIndex(0), 1);
  EXPECT_EQ(pf->GetVertex(5)->GetPolyFaceVertexIndex(1), 3);
  EXPECT_EQ(pf->GetVertex(5)->GetPolyFaceVertexIndex(2), 0);  // 9 is not a vertex
}

TEST(ProxyGraphics, PropertiesHoldUntilChangedAndTransformsNest) {
  Stream s;
  s.Add(6, Poly({{0, 0, 0}, {1, 0, 0}}))
      .Add(16, Data().I(2))
      .Add(14, Data().I(5))
      .Add(18, Data().I(32767))
      .Add(23, Data().I(25))
      .Add(24, Data().D(2.5))
      .Add(19, Data().I(7))
      .Add(26, Data().I(3).I(4))
      .Add(6, Poly({{0, 0, 0}, {1, 0, 0}}))
      .Add(18, Data().I(32766))
      .Add(22, Data().Raw("\x09\x01\x02\x03", 4))
      .Add(6, Poly({{0, 0, 0}, {1, 0, 0}}));
  const Decoded d = Decode(s.Bytes());
  ASSERT_EQ(d.Props.size(), 3u);
  const TvxProxyProps& a = d.Props[0];
  EXPECT_EQ(a.Layer, -1);
  EXPECT_EQ(a.LineType, -1);
  EXPECT_EQ(a.Color, -1);
  EXPECT_EQ(a.LineWeight, -2);
  EXPECT_EQ(a.Marker, 0);
  EXPECT_EQ(a.LineTypeScale, 0);
  const TvxProxyProps& b = d.Props[1];
  EXPECT_EQ(b.Layer, 2);
  EXPECT_EQ(b.Color, 5);
  EXPECT_EQ(b.LineType, -1);
  EXPECT_EQ(b.LineWeight, 25);
  EXPECT_EQ(b.LineTypeScale, 2.5);
  EXPECT_EQ(b.Marker, 7);
  EXPECT_EQ(b.PlotStyle[0], 3);
  EXPECT_EQ(b.PlotStyle[1], 4);
  EXPECT_EQ(d.Props[2].LineType, -2);
  EXPECT_EQ(d.Props[2].Color, 9);  // the first byte of a true colour
  EXPECT_EQ(d.Props[2].Layer, 2);

  // Push a translation by (10, 0, 0) (file rows: translation in the fourth column), then a
  // uniform scale of 3 inside it; pops restore; a pop on an empty stack does nothing.
  auto push = [](double m[4][4]) {
    Data d;
    for (int r = 0; r < 4; ++r)
      for (int c = 0; c < 4; ++c) d.D(m[r][c]);
    return d;
  };
  double move[4][4] = {{1, 0, 0, 10}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}};
  double scale[4][4] = {{3, 0, 0, 0}, {0, 3, 0, 0}, {0, 0, 3, 0}, {0, 0, 0, 1}};
  Data text;
  text.P(1, 0, 0).P(0, 0, 1).P(0, 1, 0).S8("Hi").I(-1).Zeros(4).D(2).D(0.5).D(0.2617993877991494);
  text.P(0, 0, 0).Zeros(4).S8("romans.shx").Zeros(4);
  Stream t;
  t.Add(31)
      .Add(29, push(move))
      .Add(6, Poly({{1, 0, 0}, {2, 0, 0}}))
      .Add(29, push(scale))
      .Add(6, Poly({{1, 0, 0}, {2, 0, 0}}))
      .Add(11, text)
      .Add(31)
      .Add(31)
      .Add(6, Poly({{1, 0, 0}, {2, 0, 0}}));
  const Decoded e = Decode(t.Bytes());
  ASSERT_EQ(e.Ents.size(), 4u);
  EXPECT_EQ(e.As<TvxDXFLine>(0)->GetPoint(), (TFPoint{11, 0, 0}));
  // the inner transform applies first, then the outer one
  EXPECT_EQ(e.As<TvxDXFLine>(1)->GetPoint(), (TFPoint{13, 0, 0}));
  EXPECT_EQ(e.As<TvxDXFLine>(3)->GetPoint(), (TFPoint{1, 0, 0}));
  auto* tx = e.As<TvxDXFText>(2);
  ASSERT_NE(tx, nullptr);
  EXPECT_EQ(tx->Text(), "Hi");
  EXPECT_EQ(tx->GetPoint(), (TFPoint{13, 0, 0}));
  EXPECT_NEAR(tx->Rotation(), 90, 1e-9);
  EXPECT_NEAR(tx->Height(), 6, 1e-9);
  EXPECT_NEAR(tx->WidthFactor(), 0.5, 1e-12);
  EXPECT_NEAR(tx->ObliqueAngle(), 15, 1e-9);
  EXPECT_EQ(e.Props[2].FontName, "romans.shx");
}

TEST(ProxyGraphics, TextsOfEachForm) {
  struct Case {
    const char* Name;
    int32_t Type;
    Data D;
    std::string Text;
    double Rotation;
  };
  auto head = [] { return Data().P(1, 2, 0).P(0, 0, 1).P(1, 0, 0); };
  const std::vector<Case> cases = {
      // the stored length cuts the text
      {"8-bit cut", 11, head().S8("Hello").I(3).Zeros(4).D(1).D(1).D(0).P(0, 0, 0).Zeros(4).S8("txt").Zeros(4),
       "Hel", 0},
      // the vector after the oblique angle turns the text further
      {"8-bit turned", 11, head().S8("A").I(-1).Zeros(4).D(1).D(1).D(0).P(0, 1, 0).Zeros(4).S8("txt").Zeros(4),
       "A", 90},
      {"unicode", 36, head().D(1).D(1).D(0).S16(u"\u00e9t\u00e9"), "\xc3\xa9t\xc3\xa9", 0},
      {"unicode 2", 38,
       head().S16(u"ab").Zeros(8).D(1).D(1).D(0).P(0, 0, 0).Zeros(24).S16(u"arial.ttf"), "ab", 0},
      // a string without its NUL ends with its command
      {"unterminated", 36, head().D(1).D(1).D(0).Raw(u"xyz", 6), "xyz", 0},
  };
  for (const Case& c : cases) {
    const Decoded d = Decode(Stream().Add(c.Type, c.D).Add(6, Poly({{0, 0, 0}, {1, 1, 1}})).Bytes());
    ASSERT_EQ(d.Ents.size(), 2u) << c.Name;
    auto* t = d.As<TvxDXFText>(0);
    ASSERT_NE(t, nullptr) << c.Name;
    EXPECT_EQ(t->Text(), c.Text) << c.Name;
    EXPECT_NEAR(t->Rotation(), c.Rotation, 1e-9) << c.Name;
    EXPECT_EQ(t->GetPoint(), (TFPoint{1, 2, 0})) << c.Name;
    EXPECT_NE(d.As<TvxDXFLine>(1), nullptr) << c.Name;  // the next command still decodes
  }
  const Decoded u = Decode(Stream().Add(38, Data().P(0, 0, 0).P(0, 0, 1).P(1, 0, 0).S16(u"a").Zeros(8).D(1).D(1).D(0)
                                                .P(0, 0, 0).Zeros(24).S16(u"arial.ttf")).Bytes());
  ASSERT_EQ(u.Props.size(), 1u);
  EXPECT_EQ(u.Props[0].FontName, "arial.ttf");
}

TEST(ProxyGraphics, SizesAndCountsThatLieEndOrDropOnlyTheirCommand) {
  const Data line = Poly({{0, 0, 0}, {1, 0, 0}});
  struct Case {
    const char* Name;
    std::string Bytes;
    size_t Entities;
  };
  std::string truncated = Stream().Add(6, line).Add(6, line).Bytes();
  truncated.resize(truncated.size() - 5);
  const std::vector<Case> cases = {
      {"no commands", Stream().Bytes(), 0},
      {"empty data", std::string(), 0},
      {"unknown type skipped", Stream().Add(77, Data().I(1)).Add(6, line).Bytes(), 1},
      // a size below 8 would step back or stand still: the decoding ends there
      {"size 0", Stream().Add(6, line).Add(6, line, 0).Add(6, line).Bytes(), 1},
      {"size 4", Stream().Add(6, line).Add(6, line, 4).Add(6, line).Bytes(), 1},
      {"size past the end", Stream().Add(6, line).Add(6, line, 1 << 30).Bytes(), 1},
      {"count beyond the commands", Stream().Add(6, line).Bytes(1000000), 1},
      {"negative count", Stream().Add(6, line).Bytes(-1), 0},
      {"truncated command", truncated, 1},
      // counts inside a command are checked against the command's bytes
      {"point count too large", Stream().Add(6, Data().I(1 << 28).P(0, 0, 0)).Add(6, line).Bytes(), 1},
      {"negative point count", Stream().Add(7, Data().I(-5)).Add(6, line).Bytes(), 1},
      {"mesh cells overflow", Stream().Add(8, Data().I(1 << 16).I(1 << 16).P(0, 0, 0)).Add(6, line).Bytes(), 1},
      {"shell face list too long", Stream().Add(9, Data().I(1).P(0, 0, 0).I(1 << 29)).Add(6, line).Bytes(), 1},
      {"command shorter than its data", Stream().Add(6, line, 20).Add(6, line).Bytes(), 0},
      // a size that covers more than the data: the next command is read at mark + size - 8
      {"size covers the next", Stream().Add(6, line, static_cast<int32_t>(line.B.size() + 8 + line.B.size() + 8)).Add(6, line).Add(6, line).Bytes(), 2},
  };
  for (const Case& c : cases) {
    const Decoded d = Decode(c.Bytes);
    EXPECT_EQ(d.Ents.size(), c.Entities) << c.Name;
  }
}

TEST(ProxyGraphics, EveryPrefixAndMutationOfAStreamDecodesCleanly) {
  Data text;
  text.P(1, 0, 0).P(0, 0, 1).P(0, 1, 0).S8("Hi").I(-1).Zeros(4).D(2).D(0.5).D(0.2).P(0, 0, 0).Zeros(4).S8("txt").Zeros(4);
  Data shell;
  shell.I(3).P(0, 0, 0).P(1, 0, 0).P(1, 1, 0).I(4).I(3).I(0).I(1).I(2);
  double m[16] = {1, 0, 0, 1, 0, 1, 0, 2, 0, 0, 1, 3, 0, 0, 0, 1};
  Data push;
  for (double v : m) push.D(v);
  Stream s;
  s.Add(2, Data().P(0, 0, 0).D(1).P(0, 0, 1))
      .Add(29, push)
      .Add(5, Data().P(1, 0, 0).P(0, 1, 0).P(-1, 0, 0).Zeros(4))
      .Add(11, text)
      .Add(36, Data().P(0, 0, 0).P(0, 0, 1).P(1, 0, 0).D(1).D(1).D(0).S16(u"ok"))
      .Add(9, shell)
      .Add(20, Data().I(1))
      .Add(7, Poly({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}}))
      .Add(31);
  const std::string bytes = s.Bytes();
  EXPECT_EQ(Decode(bytes, 8).Ents.size(), 6u);
  for (size_t n = 0; n <= bytes.size(); ++n) Decode(bytes.substr(0, n), 8);
  std::mt19937 rng(7);
  std::uniform_int_distribution<size_t> pos(0, bytes.size() - 1);
  std::uniform_int_distribution<int> byte(0, 255);
  for (int i = 0; i < 2000; ++i) {
    std::string b = bytes;
    for (int k = 0; k <= i % 4; ++k) b[pos(rng)] = static_cast<char>(byte(rng));
    Decode(b, 8);
  }
}

TEST(ProxyGraphics, HexChunks) {
  std::string out;
  EXPECT_TRUE(AppendHexChunk("00ff7A", out));
  EXPECT_EQ(out, std::string("\x00\xff\x7a", 3));
  EXPECT_FALSE(AppendHexChunk("0G", out));
  EXPECT_FALSE(AppendHexChunk("ABC", out));  // odd length
}

}  // namespace
}  // namespace vx
