// The shape program interpreter: vector bytes, moves, scale codes, the position stack, the arc
// codes 10, 11, 12 and 13, the vertical-only code 14, subshapes with their limits, programs that
// end with their definition, and the conversion into flattened glyph parts.
#include "text/shx/vxSHXProgram.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <numbers>

using namespace vx;
using namespace vx::shx;

namespace {

using Bytes = std::vector<uint8_t>;

// A definition: empty name, then the program.
Bytes Def(Bytes program) {
  program.insert(program.begin(), 0);
  return program;
}

uint8_t S(int v) { return static_cast<uint8_t>(static_cast<int8_t>(v)); }

TvxSHXProgramResult Exec(const Bytes& program, bool vertical = false, const TvxSHXProgramContext& c = {}) {
  const Bytes d = Def(program);
  return RunShapeProgram(d, vertical, c);
}

// A context whose subshapes come from a table (definitions with their names).
struct TShapes {
  std::map<uint32_t, Bytes> Defs;
  int Calls = 0;
  TvxSHXProgramContext Context(bool unicode = false) {
    TvxSHXProgramContext c;
    c.Unicode = unicode;
    c.Subshape = [this](uint32_t n, Bytes& out) {
      ++Calls;
      auto it = Defs.find(n);
      if (it == Defs.end()) return false;
      out = it->second;
      return true;
    };
    return c;
  }
};

constexpr double kEps = 1e-9;

}  // namespace

TEST(SHXProgram, VectorBytesMoveByLengthAndDirection) {
  struct Case { uint8_t code; double x, y; };
  for (const Case& c : std::initializer_list<Case>{
           {0x34, 0, 3}, {0x1C, 0, -1}, {0x4F, 4, -2}, {0x10, 1, 0}, {0x21, 2, 1}, {0x13, 0.5, 1},
           {0x25, -1, 2}, {0x16, -1, 1}, {0x27, -2, 1}, {0x18, -1, 0}, {0x29, -2, -1},
           {0x1A, -1, -1}, {0x2B, -1, -2}, {0x2D, 1, -2}, {0x1E, 1, -1}, {0xF2, 15, 15}}) {
    const TvxSHXProgramResult r = Exec({c.code});
    ASSERT_FALSE(r.Failed);
    EXPECT_NEAR(r.EndX, c.x, kEps) << int(c.code);
    EXPECT_NEAR(r.EndY, c.y, kEps) << int(c.code);
    ASSERT_EQ(r.Vertices.size(), 2u);
    EXPECT_EQ(r.Vertices[0].PenDown, 0);  // the pen-up vertex at the start
    EXPECT_EQ(r.Vertices[1].PenDown, 1);  // the pen starts down
  }
}

TEST(SHXProgram, MovesPenAndScale) {
  struct Case { Bytes program; double x, y; };
  for (const Case& c : std::initializer_list<Case>{
           {{8, S(-3), 7}, -3, 7},
           {{9, 1, 2, S(-4), 0, 0, 0}, -3, 2},   // pairs until (0, 0)
           {{4, 2, 0x14}, 0, 2},                 // multiply the scale
           {{3, 2, 0x14}, 0, 0.5},               // divide it
           {{3, 0, 0x14}, 0, 1},                 // divide by 0 is ignored
           {{4, 3, 3, 2, 0x20}, 3, 0},           // 3 / 2 x 2
           {{0x14, 0, 0x14}, 0, 1},              // code 0 ends the program
           {{15, 0x10}, 1, 0}}) {                // 15 does nothing
    const TvxSHXProgramResult r = Exec(c.program);
    ASSERT_FALSE(r.Failed);
    EXPECT_NEAR(r.EndX, c.x, kEps);
    EXPECT_NEAR(r.EndY, c.y, kEps);
  }
  // Pen state travels with each vertex.
  const TvxSHXProgramResult r = Exec({2, 0x10, 1, 0x10});
  ASSERT_EQ(r.Vertices.size(), 3u);
  EXPECT_EQ(r.Vertices[1].PenDown, 0);
  EXPECT_EQ(r.Vertices[2].PenDown, 1);
  // A scale multiplied without end stays finite.
  Bytes big;
  for (int i = 0; i < 300; ++i) big.insert(big.end(), {4, 255});
  big.push_back(0x10);
  const TvxSHXProgramResult b = Exec(big);
  EXPECT_TRUE(std::isfinite(b.EndX));
  EXPECT_GT(b.EndX, 1e6);
}

TEST(SHXProgram, StackKeepsFourPositionsAndIgnoresUnderflow) {
  // Push at x = 1..5 (the fifth push is ignored), move on, then pop six times.
  Bytes p;
  for (int i = 0; i < 5; ++i) p.insert(p.end(), {0x10, 5});
  p.insert(p.end(), {0x10, 6, 6, 6, 6});
  TvxSHXProgramResult r = Exec(p);
  EXPECT_NEAR(r.EndX, 1, kEps);  // back at the first push
  // Each pop emits a pen-up vertex: at 4, 3, 2, 1.
  ASSERT_GE(r.Vertices.size(), 4u);
  const size_t n = r.Vertices.size();
  for (int i = 0; i < 4; ++i) {
    EXPECT_NEAR(r.Vertices[n - 4 + i].X, 4 - i, kEps);
    EXPECT_EQ(r.Vertices[n - 4 + i].PenDown, 0);
  }
  p.insert(p.end(), {6, 6});  // more pops than pushes
  r = Exec(p);
  EXPECT_FALSE(r.Failed);
  EXPECT_NEAR(r.EndX, 1, kEps);
}

TEST(SHXProgram, OctantArcs) {
  const double b225 = std::tan(22.5 * std::numbers::pi / 180);
  const double h = std::sqrt(0.5);
  struct Case { uint8_t r, sc; double x, y, bulge; };
  for (const Case& c : std::initializer_list<Case>{
           // Radius 1, counter-clockwise from octant 1 over two octants: centre (-h, -h), end at 135 degrees.
           {1, 0x12, -h - h, -h + h, b225},
           // The same clockwise: end at -45 degrees.
           {1, 0x92, -h + h, -h - h, -b225},
           // Radius 2, start octant 0, one octant: centre (-2, 0), end at 45 degrees.
           {2, 0x01, -2 + 2 * h, 2 * h, std::tan(11.25 * std::numbers::pi / 180)},
           // Start octant 4, four octants clockwise: a half circle from (0, 0) to (2r, 0).
           {3, 0xC4, 6, 0, -1}}) {
    const TvxSHXProgramResult r = Exec({10, c.r, c.sc});
    ASSERT_EQ(r.Vertices.size(), 2u) << int(c.sc);
    EXPECT_NEAR(r.EndX, c.x, 1e-9) << int(c.sc);
    EXPECT_NEAR(r.EndY, c.y, 1e-9) << int(c.sc);
    EXPECT_NEAR(r.Vertices[1].Bulge, c.bulge, 1e-9) << int(c.sc);
  }
  // Count 0 (and counts of eight or more) is the full circle: two half circles back to the start.
  for (uint8_t sc : {uint8_t(0x20), uint8_t(0x28), uint8_t(0xAF)}) {
    const TvxSHXProgramResult r = Exec({10, 1, sc});
    ASSERT_EQ(r.Vertices.size(), 3u);
    const double sign = sc & 0x80 ? -1 : 1;
    // Start octant 2: centre (0, -1), the opposite point (0, -2).
    EXPECT_NEAR(r.Vertices[1].X, 0, kEps);
    EXPECT_NEAR(r.Vertices[1].Y, -2, kEps);
    EXPECT_EQ(r.Vertices[1].Bulge, sign);
    EXPECT_NEAR(r.EndX, 0, kEps);
    EXPECT_NEAR(r.EndY, 0, kEps);
    EXPECT_EQ(r.Vertices[2].Bulge, sign);
  }
  // The scale applies to the radius.
  const TvxSHXProgramResult s = Exec({4, 3, 10, 1, 0x04});
  EXPECT_NEAR(s.EndX, -6, kEps);
}

TEST(SHXProgram, FractionalArcs) {
  constexpr double d = std::numbers::pi / 180;
  struct Case { Bytes args; double x, y, bulge; };
  for (const Case& c : std::initializer_list<Case>{
           // No offsets, radius 1, start octant 0, two octants: end offset 0 counts as 45, so 0 to 90.
           {{0, 0, 0, 1, 0x02}, -1, 1, std::tan(22.5 * d)},
           // End offset 128: ceil(22.5) = 23 degrees into the last octant: 0 to 23.
           {{0, 128, 0, 1, 0x01}, std::cos(23 * d) - 1, std::sin(23 * d), std::tan(23 * d / 4)},
           // Clockwise, start offset 64 (ceil(11.25) = 12), radius 256: -12 to -(45 + 23).
           {{64, 128, 1, 0, 0x82}, 256 * (std::cos(-68 * d) - std::cos(-12 * d)),
            256 * (std::sin(-68 * d) - std::sin(-12 * d)), std::tan(-56 * d / 4)},
           // Start octant 2 (90 degrees), one octant with end offset 0: 90 to 135.
           {{0, 0, 0, 2, 0x21}, 2 * (std::cos(135 * d) - 0), 2 * (std::sin(135 * d) - 1), std::tan(45 * d / 4)}}) {
    Bytes p{11};
    p.insert(p.end(), c.args.begin(), c.args.end());
    const TvxSHXProgramResult r = Exec(p);
    ASSERT_EQ(r.Vertices.size(), 2u);
    EXPECT_NEAR(r.EndX, c.x, 1e-9);
    EXPECT_NEAR(r.EndY, c.y, 1e-9);
    EXPECT_NEAR(r.Vertices[1].Bulge, c.bulge, 1e-9);
  }
  // Count 0 means eight octants: the whole turn comes back to the start in two halves.
  const TvxSHXProgramResult r = Exec({11, 0, 0, 0, 1, 0x00});
  ASSERT_EQ(r.Vertices.size(), 3u);
  EXPECT_NEAR(r.Vertices[1].X, -2, 1e-9);
  EXPECT_NEAR(r.Vertices[1].Y, 0, 1e-9);
  EXPECT_NEAR(r.Vertices[2].Bulge, 1, 1e-9);
  EXPECT_NEAR(r.EndX, 0, 1e-9);
  EXPECT_NEAR(r.EndY, 0, 1e-9);
}

TEST(SHXProgram, BulgeArcs) {
  TvxSHXProgramResult r = Exec({12, 10, 0, 127});
  ASSERT_EQ(r.Vertices.size(), 2u);
  EXPECT_NEAR(r.Vertices[1].Bulge, 1, kEps);
  // A half circle counter-clockwise from (0, 0) to (10, 0) passes below the chord.
  TvxGlyph g = GlyphOfProgram(r);
  ASSERT_EQ(g.Counts.size(), 1u);
  EXPECT_NEAR(g.Bottom, -5, 1e-9);
  EXPECT_NEAR(g.Top, 0, 1e-9);
  EXPECT_GE(g.Points.size(), 25u);  // 48 segments per turn at least
  for (const TF2DPoint& p : g.Points) EXPECT_NEAR(std::hypot(p.X - 5, p.Y), 5, 1e-9);
  // Code 13: triples until (0, 0), which has no bulge byte.
  r = Exec({13, 4, 0, S(-127), 0, 4, 0, 0, 0, 0x10});
  ASSERT_EQ(r.Vertices.size(), 4u);
  EXPECT_NEAR(r.Vertices[1].Bulge, -1, kEps);
  EXPECT_NEAR(r.Vertices[2].Bulge, 0, kEps);
  EXPECT_NEAR(r.EndX, 5, kEps);
  EXPECT_NEAR(r.EndY, 4, kEps);
  g = GlyphOfProgram(r);
  EXPECT_NEAR(g.Bottom, 0, 1e-9);
  EXPECT_NEAR(g.Top, 4, 1e-9);
  EXPECT_NEAR(g.Right, 5, 1e-9);
}

TEST(SHXProgram, Code14RunsTheNextCommandOnlyInVerticalText) {
  struct Case { Bytes program; double hx, hy, vx, vy; };
  for (const Case& c : std::initializer_list<Case>{
           {{14, 0x14}, 0, 0, 0, 1},
           {{14, 8, 3, 4, 0x10}, 1, 0, 4, 4},
           // The skipped command's operands are read past, however long.
           {{14, 9, 1, 1, 2, 2, 0, 0, 0x10}, 1, 0, 4, 3},
           {{14, 13, 1, 1, 0, 0, 0, 0x10}, 1, 0, 2, 1},
           {{14, 11, 0, 0, 0, 1, 0x02, 0x10}, 1, 0, 0, 1},
           {{14, 3, 2, 0x10}, 1, 0, 0.5, 0},
           {{14, 2, 0x10}, 1, 0, 1, 0}}) {
    const TvxSHXProgramResult h = Exec(c.program, false);
    const TvxSHXProgramResult v = Exec(c.program, true);
    EXPECT_NEAR(h.EndX, c.hx, kEps);
    EXPECT_NEAR(h.EndY, c.hy, kEps);
    EXPECT_NEAR(v.EndX, c.vx, kEps);
    EXPECT_NEAR(v.EndY, c.vy, kEps);
  }
}

// Programs stop where their definition ends, even inside a command's operands.
TEST(SHXProgram, ProgramsEndWithTheirDefinition) {
  for (const Bytes& p : std::initializer_list<Bytes>{
           {0x10, 9, 1, 1, 2},   // code 9 without its (0, 0)
           {0x10, 13, 1, 1},     // code 13 without the bulge byte
           {0x10, 8, 5},         // code 8 with one byte
           {0x10, 10, 1},        // code 10 without SC
           {0x10, 11, 0, 0, 0},  // code 11 short
           {0x10, 7},            // code 7 without its number
           {0x10, 3},            // code 3 without n
           {0x10, 14}}) {        // code 14 at the end
    const TvxSHXProgramResult r = Exec(p);  // ASan sees any read past the vector
    EXPECT_FALSE(r.Failed);
    EXPECT_GE(r.EndX, 1);
  }
  // A definition that is only a name (no zero) has no program.
  const Bytes nameOnly{'A', 'B'};
  const TvxSHXProgramResult r = RunShapeProgram(nameOnly, false, {});
  EXPECT_FALSE(r.Failed);
  EXPECT_EQ(r.Vertices.size(), 1u);
}

TEST(SHXProgram, Subshapes) {
  TShapes s;
  s.Defs[2] = Def({0x20, 3, 2, 0x20});       // moves 2 then 0.5 (halved scale)
  s.Defs[3] = Def({7, 2, 0x14});
  TvxSHXProgramResult r = Exec({4, 2, 7, 3, 0x10}, false, s.Context());
  ASSERT_FALSE(r.Failed);
  // Scale 2 inside: 4, then 2 at the halved scale; the callee's scale change does not leak out of
  // it: up 2 in shape 3, then 2 more at the top.
  EXPECT_NEAR(r.EndX, 8, kEps);
  EXPECT_NEAR(r.EndY, 2, kEps);

  // Unicode fonts take a two-byte number, high byte first.
  s.Defs[0x1234] = Def({0x40});
  r = Exec({7, 0x12, 0x34}, false, s.Context(true));
  ASSERT_FALSE(r.Failed);
  EXPECT_NEAR(r.EndX, 4, kEps);

  // A missing subshape fails the glyph; the glyph is empty then.
  r = Exec({0x10, 7, 99}, false, s.Context());
  EXPECT_TRUE(r.Failed);
  EXPECT_TRUE(GlyphOfProgram(r).Points.empty());
  EXPECT_EQ(GlyphOfProgram(r).AdvanceX, 0);
}

TEST(SHXProgram, SubshapeCyclesAndDepthFail) {
  TShapes s;
  s.Defs[1] = Def({0x10, 7, 1});  // calls itself
  s.Defs[2] = Def({7, 3});        // 2 -> 3 -> 2
  s.Defs[3] = Def({7, 2});
  for (uint8_t n : {1, 2}) EXPECT_TRUE(Exec({7, n}, false, s.Context()).Failed) << int(n);
  // A chain 10 -> 11 -> ... : within the depth limit it draws, one deeper it fails.
  for (uint8_t n = 10; n < 40; ++n) s.Defs[n] = Def({0x10, 7, uint8_t(n + 1)});
  s.Defs[40] = Def({0x10});
  const uint8_t okStart = uint8_t(41 - cnstSHXMaxSubshapeDepth);
  TvxSHXProgramResult r = Exec({7, okStart}, false, s.Context());
  EXPECT_FALSE(r.Failed);
  EXPECT_NEAR(r.EndX, cnstSHXMaxSubshapeDepth, kEps);
  EXPECT_TRUE(Exec({7, uint8_t(okStart - 1)}, false, s.Context()).Failed);
  // A subshape called many times is drawn each time but fetched once.
  s.Calls = 0;
  Bytes many;
  for (int i = 0; i < 100; ++i) many.insert(many.end(), {7, 40});
  r = Exec(many, false, s.Context());
  EXPECT_NEAR(r.EndX, 100, kEps);
  EXPECT_EQ(s.Calls, 1);
  // Nested fan-out (each level calls the next 200 times) would make billions of vertices:
  // the glyph fails instead.
  for (uint8_t n = 50; n < 55; ++n) {
    Bytes d{0};
    for (int i = 0; i < 200; ++i) d.insert(d.end(), {7, uint8_t(n + 1)});
    s.Defs[n] = d;
  }
  s.Defs[55] = Def({0x10});
  EXPECT_TRUE(Exec({7, 50}, false, s.Context()).Failed);
}

TEST(SHXProgram, ExtendedBigFontSubshapesArePlacedAndScaled) {
  TShapes s;
  s.Defs[0x0102] = Def({0x10, 0x14});  // (1, 1) in the primitive's units
  TvxSHXProgramContext c = s.Context();
  c.ExtendedBig = true;
  c.CharWidth = 10;
  c.CharHeight = 20;
  // Origin (2, 3), width 5 (half the character width), height 40 (twice its height).
  const TvxSHXProgramResult r = Exec({7, 0x01, 0x02, 2, 3, 5, 40}, false, c);
  ASSERT_FALSE(r.Failed);
  EXPECT_NEAR(r.EndX, 2 + 0.5, kEps);
  EXPECT_NEAR(r.EndY, 3 + 2, kEps);
}

TEST(SHXProgram, PenUpSplitsGlyphParts) {
  // Up 1, pen up, right 1, pen down, up 1, then a pen-up pop: two parts.
  const TvxGlyph g = GlyphOfProgram(Exec({5, 0x14, 2, 0x10, 1, 0x14, 6}));
  ASSERT_EQ(g.Counts, (std::vector<int>{2, 2}));
  EXPECT_EQ(g.Points[0], (TF2DPoint{0, 0}));
  EXPECT_EQ(g.Points[1], (TF2DPoint{0, 1}));
  EXPECT_EQ(g.Points[2], (TF2DPoint{1, 1}));
  EXPECT_EQ(g.Points[3], (TF2DPoint{1, 2}));
  EXPECT_EQ(g.AdvanceX, 0);  // back at the pushed start
  EXPECT_EQ(g.Left, 0);
  EXPECT_EQ(g.Right, 1);
  EXPECT_EQ(g.Top, 2);
  // Only pen-up moves: no parts, no box, but the advance.
  const TvxGlyph space = GlyphOfProgram(Exec({2, 0x60}));
  EXPECT_TRUE(space.Counts.empty());
  EXPECT_EQ(space.AdvanceX, 6);
  EXPECT_EQ(space.Right, 0);
  // Box values beyond 90000 are taken as 0.
  Bytes far{4, 255, 4, 255};
  for (int i = 0; i < 3; ++i) far.push_back(0xF0);
  const TvxGlyph f = GlyphOfProgram(Exec(far));
  EXPECT_EQ(f.Left, 0);
  EXPECT_EQ(f.Right, 0);
}
