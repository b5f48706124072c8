// Single-line text layout: decoding, face choice, glyph placement, alignment.
#include "database/text/vxTextLayout.h"

#include "foundation/vxFunction.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <utility>

namespace vx {

namespace {

constexpr char32_t cnstReplacement = 0xFFFD;
// Slants beyond this are not drawable text; they are kept at the limit.
constexpr double cnstMaxSlant = 11.430052302761343;  // tan(85 degrees)

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// One UTF-8 code point at s[i]; i moves past it.
char32_t NextUTF8(std::string_view s, size_t& i) {
  const unsigned char c = static_cast<unsigned char>(s[i++]);
  if (c < 0x80) return c;
  int more = 0;
  char32_t cp = 0;
  if ((c & 0xE0) == 0xC0) { more = 1; cp = c & 0x1F; }
  else if ((c & 0xF0) == 0xE0) { more = 2; cp = c & 0x0F; }
  else if ((c & 0xF8) == 0xF0) { more = 3; cp = c & 0x07; }
  else return cnstReplacement;
  for (int k = 0; k < more; ++k) {
    if (i >= s.size() || (static_cast<unsigned char>(s[i]) & 0xC0) != 0x80) return cnstReplacement;
    cp = (cp << 6) | (static_cast<unsigned char>(s[i++]) & 0x3F);
  }
  return cp > 0x10FFFF ? cnstReplacement : cp;
}

bool FiniteNumber(double v) { return std::isfinite(v); }

}  // namespace

std::vector<TvxTextChar> DecodeTextChars(std::string_view s) {
  std::vector<TvxTextChar> out;
  out.reserve(s.size());
  bool under = false, over = false, strike = false;
  for (size_t i = 0; i < s.size();) {
    const char c = s[i];
    if (c == '%' && i + 2 < s.size() && s[i + 1] == '%') {
      const char k = static_cast<char>(std::tolower(static_cast<unsigned char>(s[i + 2])));
      if (k == 'u' || k == 'o' || k == 'k' || k == '%') {
        if (k == 'u') under = !under;
        else if (k == 'o') over = !over;
        else if (k == 'k') strike = !strike;
        else out.push_back({U'%', under, over, strike});
        i += 3;
        continue;
      }
    }
    if (c == '\\' && i + 6 < s.size() && (s[i + 1] == 'U' || s[i + 1] == 'u') && s[i + 2] == '+') {
      int v = 0;
      bool ok = true;
      for (int k = 3; k <= 6; ++k) {
        const int h = HexValue(s[i + static_cast<size_t>(k)]);
        if (h < 0) ok = false;
        v = v * 16 + h;
      }
      if (ok) {
        out.push_back({static_cast<char32_t>(v), under, over, strike});
        i += 7;
        continue;
      }
    }
    out.push_back({NextUTF8(s, i), under, over, strike});
  }
  return out;
}

TvxFontFace* FindTextFace(const std::string& fontName, bool winFont, bool bold, bool italic,
                          const std::string& drawingFolder) {
  TvxFontProvider* p = FontProvider();
  if (!p) return nullptr;
  TvxFontRequest r;
  r.Bold = bold;
  r.Italic = italic;
  r.DrawingFolder = drawingFolder;
  if (!winFont) {
    r.Kind = fkShapes;
    r.Name = fontName.empty() ? std::string("txt") : fontName;
    if (TvxFontFace* f = p->FindFace(r)) return f;
  }
  r.Kind = fkTrueType;
  r.Name = fontName.empty() ? std::string("Arial") : fontName;
  if (TvxFontFace* f = p->FindFace(r)) return f;
  r.Name = "Arial";
  return p->FindFace(r);
}

void LayoutTextGlyphs(TvxFontFace* face, const std::vector<TvxTextChar>& chars, TvxTextLayout& out) {
  out.Clear();
  out.Generation = FontProviderGeneration();
  if (!face) return;
  out.Face = face;
  out.Filled = face->Kind() == fkTrueType;
  if (out.Filled) {
    out.CapHeight = cnstTrueTypeEmHeight / face->Koef();
  } else {
    out.CapHeight = face->Above();
    if (!(out.CapHeight > 0) || !FiniteNumber(out.CapHeight)) out.CapHeight = 1;
  }
  out.Glyphs.reserve(chars.size());
  double x = 0, y = 0;
  double lineStart[3] = {0, 0, 0};
  bool lineOn[3] = {false, false, false};
  const double lineY[3] = {-0.2 * out.CapHeight, 1.2 * out.CapHeight, 0.5 * out.CapHeight};
  auto lineState = [](const TvxTextChar& c, int k) { return k == 0 ? c.Under : k == 1 ? c.Over : c.Strike; };
  auto closeLine = [&](int k) {
    if (x > lineStart[k]) {
      out.Lines.push_back({lineStart[k], lineY[k]});
      out.Lines.push_back({x, lineY[k]});
    }
    lineOn[k] = false;
  };
  for (const TvxTextChar& c : chars) {
    for (int k = 0; k < 3; ++k) {
      const bool on = lineState(c, k);
      if (on && !lineOn[k]) {
        lineOn[k] = true;
        lineStart[k] = x;
      } else if (!on && lineOn[k]) {
        closeLine(k);
      }
    }
    const TvxGlyph* g = face->Glyph(c.Ch);
    if (!g && c.Ch != U'?') g = face->Glyph(U'?');
    if (!g) continue;
    if (!g->Counts.empty() && (g->Right > g->Left || g->Top > g->Bottom)) {
      const double l = x + g->Left, r = x + g->Right, b = y + g->Bottom, t = y + g->Top;
      if (!out.HasBox) {
        out.Left = l, out.Right = r, out.Bottom = b, out.Top = t;
        out.HasBox = true;
      } else {
        out.Left = std::min(out.Left, l);
        out.Right = std::max(out.Right, r);
        out.Bottom = std::min(out.Bottom, b);
        out.Top = std::max(out.Top, t);
      }
      out.Glyphs.push_back({g, x, y});
    }
    x += FiniteNumber(g->AdvanceX) ? g->AdvanceX : 0;
    // SHX glyphs may move the pen vertically; a line of text stays on its baseline.
  }
  for (int k = 0; k < 3; ++k)
    if (lineOn[k]) closeLine(k);
  out.Advance = x;
  if (!out.Lines.empty()) {
    double lo = out.Lines.front().Y, hi = lo, l = out.Lines.front().X, r = l;
    for (const TF2DPoint& p : out.Lines) {
      lo = std::min(lo, p.Y);
      hi = std::max(hi, p.Y);
      l = std::min(l, p.X);
      r = std::max(r, p.X);
    }
    if (!out.HasBox) {
      out.Left = l, out.Right = r, out.Bottom = lo, out.Top = hi;
      out.HasBox = true;
    } else {
      out.Left = std::min(out.Left, l);
      out.Right = std::max(out.Right, r);
      out.Bottom = std::min(out.Bottom, lo);
      out.Top = std::max(out.Top, hi);
    }
  }
}

TvxTextPlacement PlaceText(const TvxTextPlacementInput& in, const TvxTextLayout& layout) {
  TvxTextPlacement out;
  double h = FiniteNumber(in.Height) ? in.Height : 0;
  double wf = FiniteNumber(in.WidthFactor) ? in.WidthFactor : 1;
  double rot = FiniteNumber(in.Rotation) ? in.Rotation : 0;
  const double cap = layout.CapHeight > 0 ? layout.CapHeight : 1;
  const double advance = layout.Advance;  // font units
  TFPoint base = in.Point;
  const bool aligns = in.HAlign != 0 || in.VAlign != 0;
  if (aligns && in.HasPoint1) base = in.Point1;
  double xoff = 0, yoff = 0;
  const uint8_t ha = in.HAlign;
  if ((ha == 3 || ha == 5) && in.HasPoint1 && advance > 0) {
    base = in.Point;
    const double len = DistanceFPoint2D(in.Point, in.Point1);
    const double w = advance * (h / cap) * wf;
    if (len > 0 && w > 0) {
      const double r = len / w;
      if (ha == 3) h *= r;
      else wf *= r;
      rot = VectorAngle(in.Point1.X - in.Point.X, in.Point1.Y - in.Point.Y);
    }
  } else {
    const double w = advance * (h / cap) * wf;
    if (ha == 1 || ha == 4) xoff = -w / 2;
    else if (ha == 2 && (advance >= 0)) xoff = -w;
    if (ha == 4) yoff = -h / 2;
    else if (in.VAlign == 1) yoff = h / 3;
    else if (in.VAlign == 2) yoff = -h / 2;
    else if (in.VAlign == 3) yoff = -h;
  }
  const double k = h / cap;
  double slant = std::tan(FiniteNumber(in.Oblique) ? in.Oblique * M_PI / 180.0 : 0.0);
  slant = std::clamp(slant, -cnstMaxSlant, cnstMaxSlant);
  const double mx = in.Backward ? -1 : 1, my = in.UpsideDown ? -1 : 1;
  // font units -> scaled, slanted, aligned, mirrored (text units): x' = a u + c v + e, y' = b v + f
  const double a = k * wf * mx, c = k * slant * mx, e = xoff * mx;
  const double b = k * my, f = yoff * my;
  TFMatrix m{};
  m.M[0] = {a, 0, 0};
  m.M[1] = {c, b, 0};
  m.M[2] = {0, 0, 1};
  m.M[3] = {e, f, 0};
  m = MultiplyMatrix(m, RotationMatrixZDeg(rot));
  m = MultiplyMatrix(m, TranslationMatrix(base));
  const TFPoint z = in.Extrusion;
  if (!(std::fabs(z.X) < 1e-12 && std::fabs(z.Y) < 1e-12 && z.Z > 0))
    m = MultiplyMatrix(m, ExtrusionMatrix(in.Extrusion));
  out.Matrix = m;
  out.Start = TransformPoint(TFPoint{0, 0, 0}, m);
  out.Height = h;
  out.WidthFactor = wf;
  out.Rotation = rot;
  return out;
}

TFRect LayoutBox(const TvxTextLayout& layout, const TFMatrix& m) {
  TFRect box = BadBox;
  if (!layout.HasBox) return box;
  for (const auto& [x, y] : {std::pair{layout.Left, layout.Bottom}, {layout.Right, layout.Bottom},
                             {layout.Right, layout.Top}, {layout.Left, layout.Top}})
    ExpandBox(box, TransformPoint(TFPoint{x, y, 0}, m));
  return box;
}

}  // namespace vx
