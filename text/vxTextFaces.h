// vxTextFaces: the faces the text library's provider hands out, adapting its TrueType glyph
// cache and SHX fonts to the database's font interface (glyphs in font units, curves and arcs
// flattened). Each face converts a glyph once and keeps it for the process.
#pragma once

#include "database/text/vxFontInterface.h"

#include <array>
#include <memory>
#include <mutex>
#include <unordered_map>

namespace vx {

namespace ttf {
class TvxTextGlyph;
}

// A glyph cache by code: 256 direct slots, the rest in a map. Not locked: its owner locks.
class TvxGlyphSlots {
 public:
  // The slot of a code; an empty pointer until filled.
  std::unique_ptr<TvxGlyph>& Slot(uint32_t code, bool vertical);

 private:
  std::array<std::unique_ptr<TvxGlyph>, 256> FDirect{}, FDirectVert{};
  std::unordered_map<uint64_t, std::unique_ptr<TvxGlyph>> FOthers;
};

class TvxTrueTypeFace : public TvxFontFace {
 public:
  explicit TvxTrueTypeFace(ttf::TvxTextGlyph* glyphs) : FGlyphs(glyphs) {}

  TvxFontKind Kind() const override { return fkTrueType; }
  std::string FileName() const override;
  double Above() const override;
  double Below() const override;
  double Koef() const override;
  // Every character has a glyph: one the face lacks gets the face's missing-glyph outline.
  const TvxGlyph* Glyph(char32_t ch, bool vertical = false) override;
  // TrueType faces have no numbering of their own.
  const TvxGlyph* GlyphByCode(uint32_t, bool = false) override { return nullptr; }
  int ShapeNumber(std::string_view) override { return -1; }

  ttf::TvxTextGlyph* Glyphs() const { return FGlyphs; }

 private:
  ttf::TvxTextGlyph* FGlyphs;
  std::mutex FLock;
  TvxGlyphSlots FCache;
};

}  // namespace vx
