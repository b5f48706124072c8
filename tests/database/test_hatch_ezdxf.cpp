// The hatch generator against ezdxf's: predefined patterns (ANSI31, NET, ANSI33, BRICK, DOTS,
// HONEY) at several scales and angles over loops with islands, even far from the origin, under
// the three island styles, must give the same segments. The cases come from tests/database/ezdxf_hatch_fixture.py.
#include "database/hatches/vxHatches.h"
#include "support/vxTestPaths.h"
#include "test_entities_fixture.h"

#include <filesystem>
#include <fstream>
#include <sstream>

namespace vx::test {
namespace {

namespace fs = std::filesystem;

struct TvxEzdxfCase {
  std::string Name;
  int Style = 0;
  std::vector<int> Flags;
  std::vector<std::vector<TF2DPoint>> Loops;
  std::vector<TvxHatchPatternData> Lines;
  std::vector<std::array<double, 4>> Segments;
};

std::vector<TvxEzdxfCase> ReadCases(const fs::path& file) {
  std::vector<TvxEzdxfCase> cases;
  std::ifstream in(file);
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream s(line);
    std::string tag;
    s >> tag;
    if (tag == "case") {
      cases.emplace_back();
      s >> cases.back().Name >> cases.back().Style;
    } else if (tag == "loop") {
      int flags, n;
      s >> flags >> n;
      cases.back().Flags.push_back(flags);
      std::vector<TF2DPoint> loop(static_cast<size_t>(n));
      for (TF2DPoint& p : loop) s >> p.X >> p.Y;
      cases.back().Loops.push_back(loop);
    } else if (tag == "pattern") {
      TvxHatchPatternData p;
      int n;
      s >> p.LineAngle >> p.BaseP.X >> p.BaseP.Y >> p.Offset.X >> p.Offset.Y >> n;
      for (int i = 0; i < n; ++i) {
        double d;
        s >> d;
        p.Lines.Append(d);
      }
      p.DashNum = n;
      p.IsDash = n > 0;
      cases.back().Lines.push_back(p);
    } else if (tag == "seg") {
      std::array<double, 4> g;
      s >> g[0] >> g[1] >> g[2] >> g[3];
      cases.back().Segments.push_back(g);
    }
  }
  return cases;
}

class HatchEzdxfTest : public EntitiesTest {};

TEST_F(HatchEzdxfTest, SameSegmentsAsEzdxf) {
  if (std::system("/usr/bin/python3 -c 'import ezdxf' >/dev/null 2>&1") != 0) GTEST_SKIP() << "no ezdxf";
  const fs::path dir = fs::temp_directory_path() / ("vx_hatch_ezdxf_" + std::to_string(::getpid()));
  fs::create_directories(dir);
  const fs::path script = fs::path(SourceDir()) / "tests/database/ezdxf_hatch_fixture.py";
  const std::string cmd = "/usr/bin/python3 '" + script.string() + "' '" + (dir / "cases.txt").string() + "'";
  ASSERT_EQ(std::system(cmd.c_str()), 0) << cmd;
  const std::vector<TvxEzdxfCase> cases = ReadCases(dir / "cases.txt");
  fs::remove_all(dir);
  ASSERT_EQ(cases.size(), 10u);
  for (const TvxEzdxfCase& c : cases) {
    auto* h = new TvxCADHatch();
    h->SetIslandStyle(static_cast<TvxIslandStyle>(c.Style));
    for (size_t l = 0; l < c.Loops.size(); ++l) {
      Tvx2DBoundaryList* b = h->AddBoundaryList();
      b->SetBoundaryType(static_cast<uint8_t>(c.Flags[l]));
      Tvx2DPolyline* edge = b->AddEdge<Tvx2DPolyline>();
      for (const TF2DPoint& p : c.Loops[l]) edge->FVertexes.Append(p);
      edge->SetClosed(true);
    }
    for (const TvxHatchPatternData& p : c.Lines) h->HatchPatternData().AddPattern() = p;
    AddLoaded(h);
    const TFPointList& ours = h->ParsedLines();
    // ezdxf also draws lines that run along a boundary edge; here they are outside, as in the
    // even-odd rule of every fill (a line exactly on the bottom of a rectangle draws nothing).
    std::vector<std::array<double, 4>> theirs;
    for (const auto& g : c.Segments) {
      bool along = false;
      for (const auto& loop : c.Loops)
        for (size_t i = 0; i < loop.size() && !along; ++i) {
          const TF2DPoint a = loop[i], b = loop[(i + 1) % loop.size()];
          auto onEdge = [&](double x, double y) {
            const double len = std::hypot(b.X - a.X, b.Y - a.Y);
            const double cross = ((b.X - a.X) * (y - a.Y) - (b.Y - a.Y) * (x - a.X)) / len;
            const double dot = ((b.X - a.X) * (x - a.X) + (b.Y - a.Y) * (y - a.Y)) / len;
            return std::fabs(cross) < 1e-9 * std::max(1.0, len) && dot > -1e-9 && dot < len + 1e-9;
          };
          // A dot lies on every edge through it; it runs along one parallel to its family.
          bool parallel = g[0] != g[2] || g[1] != g[3];
          for (const TvxHatchPatternData& p : c.Lines) {
            const double r = p.LineAngle * fPiDiv180;
            parallel = parallel || std::fabs(std::cos(r) * (b.Y - a.Y) - std::sin(r) * (b.X - a.X)) <
                                       1e-9 * std::hypot(b.X - a.X, b.Y - a.Y);
          }
          along = parallel && onEdge(g[0], g[1]) && onEdge(g[2], g[3]);
        }
      if (!along) theirs.push_back(g);
    }
    ASSERT_FALSE(theirs.empty()) << c.Name;
    EXPECT_EQ(ours.Count(), 2 * static_cast<int>(theirs.size())) << c.Name;
    // Every ezdxf segment is one of ours within 1e-6 relative to the place; dashes run the same
    // way, while ezdxf gives whole lines in the order it found their ends.
    // ezdxf places its lines at their distance rounded to 4 decimals (its grouping key), so
    // families whose spacing is no multiple of 1e-4 (HONEY) sit up to 5e-5 off, and their
    // dashes up to 1e-4 along.
    bool rounded = false;
    for (const TvxHatchPatternData& p : c.Lines) {
      const double a = p.LineAngle * fPiDiv180;
      const double spacing = std::fabs(std::cos(a) * p.Offset.Y - std::sin(a) * p.Offset.X) * 1e4;
      rounded = rounded || std::fabs(spacing - std::round(spacing)) > 1e-6;
    }
    std::vector<bool> used(static_cast<size_t>(ours.Count() / 2), false);
    int missing = 0;
    for (const auto& g : theirs) {
      const double tol = (rounded ? 2e-4 : 1e-6) * std::max(1.0, std::fabs(g[0]) + std::fabs(g[1]));
      auto near = [&](const TFPoint& p, double x, double y) {
        return std::fabs(p.X - x) < tol && std::fabs(p.Y - y) < tol;
      };
      bool found = false;
      for (int i = 0; i + 1 < ours.Count() && !found; i += 2) {
        if (used[static_cast<size_t>(i / 2)]) continue;
        const bool same = near(ours[i], g[0], g[1]) && near(ours[i + 1], g[2], g[3]);
        const bool reversed = near(ours[i], g[2], g[3]) && near(ours[i + 1], g[0], g[1]);
        if (same || (reversed && c.Lines.size() && !c.Lines[0].IsDash)) used[static_cast<size_t>(i / 2)] = found = true;
      }
      if (!found && ++missing <= 3)
        ADD_FAILURE() << c.Name << ": no segment (" << g[0] << ", " << g[1] << ") - (" << g[2] << ", "
                      << g[3] << ")";
    }
    EXPECT_EQ(missing, 0) << c.Name;
    if (const char* dbg = std::getenv("VX_DUMP_CASE"); dbg && c.Name == dbg)
      for (int i = 0; i + 1 < ours.Count(); i += 2)
        std::printf("ours %.12g %.12g %.12g %.12g\n", ours[i].X, ours[i].Y, ours[i + 1].X, ours[i + 1].Y);
  }
}

}  // namespace
}  // namespace vx::test
