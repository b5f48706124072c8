#include "text/shx/vxSHXProgram.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <numbers>

namespace vx::shx {

namespace {

constexpr double kDeg = std::numbers::pi / 180.0;
// Scales stay finite however often a program multiplies or divides them.
constexpr double kMaxScale = 1e12, kMinScale = 1e-12;

// Unit moves of the 16 vector directions.
constexpr double kDirX[16] = {1, 1, 1, 0.5, 0, -0.5, -1, -1, -1, -1, -1, -0.5, 0, 0.5, 1, 1};
constexpr double kDirY[16] = {0, 0.5, 1, 1, 1, 1, 1, 0.5, 0, -0.5, -1, -1, -1, -1, -1, -0.5};

class TvxInterpreter {
 public:
  TvxInterpreter(bool vertical, const TvxSHXProgramContext& context)
      : FVertical(vertical), FContext(context) {}

  TvxSHXProgramResult Run(std::span<const uint8_t> definition) {
    Emit(0, 0, 0, 0);
    if (!Execute(definition, 0)) FResult.Failed = true;
    FResult.EndX = FX;
    FResult.EndY = FY;
    if (FResult.Failed) FResult.Vertices.clear();
    return std::move(FResult);
  }

 private:
  // Runs one definition; false when the glyph fails.
  bool Execute(std::span<const uint8_t> def, int depth) {
    // The program begins after the zero-terminated name; a name without its zero is all there is.
    size_t pos = 0;
    while (pos < def.size() && def[pos] != 0) ++pos;
    if (pos >= def.size()) return true;
    ++pos;
    const size_t end = def.size();
    auto need = [&](size_t n) { return pos + n <= end; };
    auto s8 = [&](size_t at) { return static_cast<double>(static_cast<int8_t>(def[at])); };
    bool apply = true;  // false for the command after a 14 in horizontal text
    while (pos < end) {
      if (++FSteps > cnstSHXMaxSteps || FResult.Vertices.size() > cnstSHXMaxVertices) return false;
      const uint8_t code = def[pos++];
      const bool act = apply;
      apply = true;
      switch (code) {
        case 0:
          return true;
        case 1:
          if (act) FPen = 1;
          break;
        case 2:
          if (act) FPen = 0;
          break;
        case 3:
        case 4: {
          if (!need(1)) return true;
          const double n = def[pos++];
          if (!act || n == 0) break;
          const double f = code == 3 ? 1.0 / n : n;
          FScaleX = std::clamp(FScaleX * f, kMinScale, kMaxScale);
          FScaleY = std::clamp(FScaleY * f, kMinScale, kMaxScale);
          break;
        }
        case 5:
          if (act && FStackSize < cnstSHXStackDepth) FStack[FStackSize++] = {FX, FY};
          break;
        case 6:
          if (act && FStackSize > 0) {
            const TF2DPoint p = FStack[--FStackSize];
            FX = p.X;
            FY = p.Y;
            Emit(FX, FY, 0, 0);
          }
          break;
        case 7: {
          uint32_t number = 0;
          int ox = 0, oy = 0, w = 0, h = 0;
          if (FContext.ExtendedBig) {
            if (!need(6)) return true;
            number = uint32_t(def[pos]) << 8 | def[pos + 1];
            ox = def[pos + 2];
            oy = def[pos + 3];
            w = def[pos + 4];
            h = def[pos + 5];
            pos += 6;
          } else if (FContext.Unicode) {
            if (!need(2)) return true;
            number = uint32_t(def[pos]) << 8 | def[pos + 1];
            pos += 2;
          } else {
            if (!need(1)) return true;
            number = def[pos++];
          }
          if (act && !CallSubshape(number, depth, FContext.ExtendedBig, ox, oy, w, h)) return false;
          break;
        }
        case 8:
          if (!need(2)) return true;
          if (act) Move(s8(pos), s8(pos + 1), 0);
          pos += 2;
          break;
        case 9:
          while (true) {
            if (!need(2)) return true;
            const double dx = s8(pos), dy = s8(pos + 1);
            pos += 2;
            if (dx == 0 && dy == 0) break;
            if (act) Move(dx, dy, 0);
          }
          break;
        case 10:
          if (!need(2)) return true;
          if (act) OctantArc(def[pos], def[pos + 1]);
          pos += 2;
          break;
        case 11:
          if (!need(5)) return true;
          if (act) FractionalArc(def[pos], def[pos + 1], def[pos + 2] * 256.0 + def[pos + 3], def[pos + 4]);
          pos += 5;
          break;
        case 12:
          if (!need(3)) return true;
          if (act) Move(s8(pos), s8(pos + 1), s8(pos + 2) / 127.0);
          pos += 3;
          break;
        case 13:
          while (true) {
            if (!need(2)) return true;
            const double dx = s8(pos), dy = s8(pos + 1);
            pos += 2;
            if (dx == 0 && dy == 0) break;
            if (!need(1)) return true;
            if (act) Move(dx, dy, s8(pos) / 127.0);
            ++pos;
          }
          break;
        case 14:
          if (act) apply = FVertical;
          break;
        case 15:
          break;
        default: {
          if (!act) break;
          const double len = code >> 4;
          Move(len * kDirX[code & 15], len * kDirY[code & 15], 0);
          break;
        }
      }
    }
    return true;
  }

  bool CallSubshape(uint32_t number, int depth, bool extended, int ox, int oy, int w, int h) {
    if (depth + 1 > cnstSHXMaxSubshapeDepth || !FContext.Subshape) return false;
    if (std::find(FCalls.begin(), FCalls.end(), number) != FCalls.end()) return false;  // a cycle
    // Definitions are fetched once per run: a glyph may call the same subshape many times.
    auto it = FDefinitions.find(number);
    if (it == FDefinitions.end()) {
      std::vector<uint8_t> bytes;
      if (!FContext.Subshape(number, bytes)) return false;
      it = FDefinitions.emplace(number, std::move(bytes)).first;
    }
    const double sx = FScaleX, sy = FScaleY;
    if (extended) {
      FX += ox * sx;
      FY += oy * sy;
      Emit(FX, FY, 0, 0);
      if (FContext.CharWidth > 0 && w > 0) FScaleX = sx * w / FContext.CharWidth;
      if (FContext.CharHeight > 0 && h > 0) FScaleY = sy * h / FContext.CharHeight;
    }
    FCalls.push_back(number);
    const bool ok = Execute(it->second, depth + 1);
    FCalls.pop_back();
    FScaleX = sx;
    FScaleY = sy;
    return ok;
  }

  void Emit(double x, double y, double bulge, uint8_t pen) {
    FResult.Vertices.push_back({x, y, bulge, pen});
  }

  void Move(double dx, double dy, double bulge) {
    FX += dx * FScaleX;
    FY += dy * FScaleY;
    Emit(FX, FY, bulge, FPen);
  }

  // Code 10: radius byte and SC (bit 7 clockwise, bits 4-6 start octant, bits 0-3 count).
  void OctantArc(uint8_t radius, uint8_t sc) {
    const bool cw = sc & 0x80;
    const int s = (sc >> 4) & 7;
    const int c = sc & 15;
    const double rx = radius * FScaleX, ry = radius * FScaleY;
    const double cx = FX - rx * std::cos(s * 45 * kDeg), cy = FY - ry * std::sin(s * 45 * kDeg);
    const double sign = cw ? -1 : 1;
    // Eight or more octants (a count the four bits allow) is the full circle, like 0.
    if (c == 0 || c >= 8) {
      const double sx = FX, sy = FY;
      FX = 2 * cx - sx;
      FY = 2 * cy - sy;
      Emit(FX, FY, sign, FPen);
      FX = sx;
      FY = sy;
      Emit(FX, FY, sign, FPen);
      return;
    }
    const int e = cw ? s - c : s + c;
    FX = cx + rx * std::cos(e * 45 * kDeg);
    FY = cy + ry * std::sin(e * 45 * kDeg);
    Emit(FX, FY, sign * std::tan(c * 11.25 * kDeg), FPen);
  }

  // Code 11: start and end offsets (1/256 of an octant), radius, SC as for code 10.
  void FractionalArc(uint8_t startOffset, uint8_t endOffset, double radius, uint8_t sc) {
    const bool cw = sc & 0x80;
    const int s = (sc >> 4) & 7;
    int c = sc & 15;
    if (c == 0 || c > 8) c = 8;
    const double sign = cw ? -1 : 1;
    const double so = (startOffset * 45 + 255) / 256;  // ceil(offset * 45 / 256), whole degrees
    double e = (endOffset * 45 + 255) / 256;
    if (e < 0.9) e = 45;
    const double a0 = (s * 45 + sign * so) * kDeg;
    const double a1 = (s * 45 + sign * ((c - 1) * 45 + e)) * kDeg;
    const double rx = radius * FScaleX, ry = radius * FScaleY;
    const double cx = FX - rx * std::cos(a0), cy = FY - ry * std::sin(a0);
    const double sweep = a1 - a0;
    // Beyond half a turn the arc goes in two halves: a bulge near a full turn has no usable chord.
    if (std::fabs(sweep) > std::numbers::pi) {
      const double am = a0 + sweep / 2;
      Emit(cx + rx * std::cos(am), cy + ry * std::sin(am), std::tan(sweep / 8), FPen);
      FX = cx + rx * std::cos(a1);
      FY = cy + ry * std::sin(a1);
      Emit(FX, FY, std::tan(sweep / 8), FPen);
      return;
    }
    FX = cx + rx * std::cos(a1);
    FY = cy + ry * std::sin(a1);
    Emit(FX, FY, std::tan(sweep / 4), FPen);
  }

  const bool FVertical;
  const TvxSHXProgramContext& FContext;
  TvxSHXProgramResult FResult;
  double FX = 0, FY = 0;
  double FScaleX = 1, FScaleY = 1;
  uint8_t FPen = 1;
  TF2DPoint FStack[cnstSHXStackDepth];
  int FStackSize = 0;
  size_t FSteps = 0;
  std::vector<uint32_t> FCalls;
  std::map<uint32_t, std::vector<uint8_t>> FDefinitions;
};

double BoxValue(double v) { return std::fabs(v) > cnstSHXMaxBoxValue || !std::isfinite(v) ? 0 : v; }

}  // namespace

TvxSHXProgramResult RunShapeProgram(std::span<const uint8_t> definition, bool vertical,
                                    const TvxSHXProgramContext& context) {
  return TvxInterpreter(vertical, context).Run(definition);
}

void AppendBulgeSegment(std::vector<TF2DPoint>& out, TF2DPoint p0, TF2DPoint p1, double bulge) {
  const double dx = p1.X - p0.X, dy = p1.Y - p0.Y;
  const double chord = std::hypot(dx, dy);
  if (std::fabs(bulge) < 1e-9 || chord < 1e-12 || !std::isfinite(bulge)) {
    out.push_back(p1);
    return;
  }
  const double sweep = 4 * std::atan(bulge);
  // The centre lies on the chord's left normal (for a positive bulge) at (1 - b^2) / (2 b) of
  // half the chord from its middle.
  const double k = (1 - bulge * bulge) / (2 * bulge) / 2;
  const double cx = (p0.X + p1.X) / 2 - dy * k, cy = (p0.Y + p1.Y) / 2 + dx * k;
  const double r = std::hypot(p0.X - cx, p0.Y - cy);
  const double a0 = std::atan2(p0.Y - cy, p0.X - cx);
  const int n = std::max(2, static_cast<int>(std::ceil(std::fabs(sweep) / (2 * std::numbers::pi) *
                                                       cnstSHXArcSegments)));
  for (int i = 1; i < n; ++i) {
    const double a = a0 + sweep * i / n;
    out.push_back({cx + r * std::cos(a), cy + r * std::sin(a)});
  }
  out.push_back(p1);
}

TvxGlyph GlyphOfProgram(const TvxSHXProgramResult& run) {
  TvxGlyph g;
  if (run.Failed) return g;
  g.AdvanceX = std::isfinite(run.EndX) ? run.EndX : 0;
  g.AdvanceY = std::isfinite(run.EndY) ? run.EndY : 0;
  const std::vector<TvxSHXVertex>& v = run.Vertices;
  size_t partStart = 0;
  auto flush = [&] {
    const size_t n = g.Points.size() - partStart;
    if (n >= 2)
      g.Counts.push_back(static_cast<int>(n));
    else
      g.Points.resize(partStart);
    partStart = g.Points.size();
  };
  for (size_t i = 1; i < v.size(); ++i) {
    if (!v[i].PenDown) {
      flush();
      continue;
    }
    if (g.Points.size() == partStart) g.Points.push_back({v[i - 1].X, v[i - 1].Y});
    AppendBulgeSegment(g.Points, {v[i - 1].X, v[i - 1].Y}, {v[i].X, v[i].Y}, v[i].Bulge);
  }
  flush();
  if (g.Points.empty()) return g;
  double l = 1e300, b = 1e300, r = -1e300, t = -1e300;
  for (const TF2DPoint& p : g.Points) {
    l = std::min(l, p.X);
    r = std::max(r, p.X);
    b = std::min(b, p.Y);
    t = std::max(t, p.Y);
  }
  g.Left = BoxValue(l);
  g.Bottom = BoxValue(b);
  g.Right = BoxValue(r);
  g.Top = BoxValue(t);
  return g;
}

}  // namespace vx::shx
