// libFuzzer target for SHX files: any bytes load as a font of some kind or as none, and every
// glyph of what loads runs in both directions with sound results. The bytes are also run as one
// shape program whose subshapes are slices of the input, so the interpreter is reached even when
// the header does not match, and as a text through the character map.
#include "text/shx/vxSHXFont.h"
#include "text/shx/vxSHXProgram.h"
#include "text/shx/vxUnicodeParser.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <numeric>
#include <string>

namespace {

void CheckGlyph(const vx::TvxGlyph* g) {
  if (!g) return;
  if (std::accumulate(g->Counts.begin(), g->Counts.end(), size_t(0)) != g->Points.size()) __builtin_trap();
  for (const vx::TF2DPoint& p : g->Points)
    if (!std::isfinite(p.X) || !std::isfinite(p.Y)) __builtin_trap();
  if (std::fabs(g->Left) > vx::shx::cnstSHXMaxBoxValue || std::fabs(g->Top) > vx::shx::cnstSHXMaxBoxValue)
    __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  vx::shx::TvxSHXFont font("fuzz.shx");
  font.LoadFromBytes(std::string(reinterpret_cast<const char*>(data), size));
  size_t n = 0;
  for (const vx::shx::TvxSHXRecord& r : font.Records()) {
    if (++n > 512) break;
    CheckGlyph(font.GlyphByCode(r.ShapeNumber, false));
    CheckGlyph(font.GlyphByCode(r.ShapeNumber, true));
  }
  for (char32_t ch : {U'A', U'?', U'\u00B0', U'\u3000', U'\u4E00'}) CheckGlyph(font.Glyph(ch));
  (void)font.ShapeNumber("A");
  // The bytes as a text over the font as a big font (when it is one).
  vx::shx::TvxUnicodeParser parser(std::string_view(reinterpret_cast<const char*>(data), std::min<size_t>(size, 4096)),
                                   font.FKind == vx::shx::cnstSHXBigFont ? &font : nullptr, size > 3 ? 932 : 0);
  parser.Execute(size > 0 && (data[size - 1] & 1));
  if (parser.FSHXUnicode.size() != parser.FUnicode.size() || parser.FSHXMap.size() != parser.FUnicode.size())
    __builtin_trap();

  vx::shx::TvxSHXProgramContext c;
  c.Unicode = size > 0 && (data[0] & 1);
  c.ExtendedBig = size > 0 && (data[0] & 2);
  c.CharWidth = size > 1 ? data[1] : 0;
  c.CharHeight = size > 2 ? data[2] : 0;
  c.Subshape = [&](uint32_t number, std::vector<uint8_t>& out) {
    if (size == 0 || number % 5 == 0) return false;
    const size_t start = (number * 7) % size;
    const size_t len = std::min<size_t>(size - start, number % 97);
    out.assign(data + start, data + start + len);
    return true;
  };
  const std::span<const uint8_t> def(data, size);
  for (bool vertical : {false, true}) {
    const vx::TvxGlyph g = vx::shx::GlyphOfProgram(vx::shx::RunShapeProgram(def, vertical, c));
    CheckGlyph(&g);
  }
  return 0;
}
