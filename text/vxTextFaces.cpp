#include "text/vxTextFaces.h"

#include "text/truetype/vxTextGlyph.h"

#include <cmath>

namespace vx {

std::unique_ptr<TvxGlyph>& TvxGlyphSlots::Slot(uint32_t code, bool vertical) {
  if (code < 256) return vertical ? FDirectVert[code] : FDirect[code];
  return FOthers[(uint64_t(vertical) << 32) | code];
}

std::string TvxTrueTypeFace::FileName() const { return FGlyphs->FileName(); }
double TvxTrueTypeFace::Above() const { return FGlyphs->FAbove; }
double TvxTrueTypeFace::Below() const { return FGlyphs->FBelow; }

double TvxTrueTypeFace::Koef() const {
  const double k = FGlyphs->FKoef;
  return std::isfinite(k) && k > 0 ? k : 1.0;
}

const TvxGlyph* TvxTrueTypeFace::Glyph(char32_t ch, bool) {
  std::lock_guard<std::mutex> guard(FLock);
  std::unique_ptr<TvxGlyph>& slot = FCache.Slot(ch, false);
  if (slot) return slot.get();
  const ttf::TvxGlyph* g = FGlyphs->Glyph(ch);
  if (!g) return nullptr;
  auto out = std::make_unique<TvxGlyph>();
  for (const ttf::TvxGlyphContour& c : g->FPolyPolyline) {
    out->Counts.push_back(static_cast<int>(c.size()));
    for (const ttf::TvxGlyphPoint& p : c) out->Points.push_back({p.X, p.Y});
  }
  out->AdvanceX = g->Width();
  out->Left = g->FBox.Left;
  out->Right = g->FBox.Right;
  out->Bottom = g->FBox.Bottom;
  out->Top = g->FBox.Top;
  slot = std::move(out);
  return slot.get();
}

}  // namespace vx
