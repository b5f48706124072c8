#include "text/truetype/vxTextGlyph.h"

#include "foundation/vxFunction.h"
#include "text/truetype/vxOutline.h"
#include "text/truetype/vxTableFonts.h"

#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cmath>

namespace vx::ttf {

struct TvxTextGlyph::Face {
  FT_Face Handle = nullptr;
  double Scale = 1;  // font units -> outline units
  bool SynthBold = false, SynthItalic = false;
  ~Face() {
    std::lock_guard<std::mutex> guard(FreeTypeLock());
    if (Handle) FT_Done_Face(Handle);
  }
};

void TvxGlyph::ComputeBox() {
  float left = 1e20f, bottom = 1e20f, top = -1e20f, right = -1e20f;
  bool any = false;
  for (const TvxGlyphContour& c : FPolyPolyline)
    for (const TvxGlyphPoint& p : c) {
      any = true;
      left = std::min(left, p.X);
      right = std::max(right, p.X);
      bottom = std::min(bottom, p.Y);
      top = std::max(top, p.Y);
    }
  FBox = any ? TvxGlyphBox{left, top, right, bottom} : TvxGlyphBox{};
}

TvxTextGlyph::TvxTextGlyph() = default;
TvxTextGlyph::~TvxTextGlyph() = default;

void TvxTextGlyph::SetFontParams(std::string_view faceName, uint8_t style) {
  std::lock_guard<std::mutex> guard(FLock);
  FFontName = std::string(faceName.substr(0, faceName.find('\0')));
  FFontStyle = style;
}

bool TvxTextGlyph::OpenFile(const std::string& fileName, int faceIndex) {
  std::lock_guard<std::mutex> guard(FLock);
  return OpenFileLocked(fileName, faceIndex);
}

bool TvxTextGlyph::OpenFileLocked(const std::string& fileName, int faceIndex) {
  FTriedOpen = true;
  FFace.reset();
  FT_Library lib = FreeTypeLibrary();
  if (!lib) return false;
  auto face = std::make_unique<Face>();
  {
    std::lock_guard<std::mutex> ft(FreeTypeLock());
    if (FT_New_Face(lib, fileName.c_str(), faceIndex, &face->Handle) != 0) {
      face->Handle = nullptr;
      return false;
    }
  }
  if (!FT_IS_SCALABLE(face->Handle) || face->Handle->units_per_EM == 0) return false;
  face->Scale = cnstOutlineHeight / face->Handle->units_per_EM;
  FT_Select_Charmap(face->Handle, FT_ENCODING_UNICODE);
  FFileName = fileName;
  FFamilyName = face->Handle->family_name ? face->Handle->family_name : "";
  FFace = std::move(face);
  return true;
}

bool TvxTextGlyph::OpenLocked() {
  if (FTriedOpen) return FFace != nullptr;
  // The table's own face of that name and style first ("DejaVu Sans Bold"), then fontconfig's
  // match.
  std::string tableName = FFontName;
  if (FFontStyle & cnstTTFBold) tableName += " Bold";
  if (FFontStyle & cnstTTFItalic) tableName += " Italic";
  std::string path = TvxTableFonts::Instance().GetFilePath(tableName);
  TvxFontMatch match;
  int index = 0;
  bool synthBold = false, synthItalic = false;
  if (path.empty() && MatchFontFace(FFontName, FFontStyle, match)) {
    path = match.File;
    index = match.Index;
    synthBold = match.SynthBold;
    synthItalic = match.SynthItalic;
  }
  const bool ok = !path.empty() && OpenFileLocked(path, index);
  if (ok) {
    FFace->SynthBold = synthBold;
    FFace->SynthItalic = synthItalic;
  }
  FTriedOpen = true;
  return ok;
}

std::unique_ptr<TvxGlyph> TvxTextGlyph::LoadGlyph(char32_t code) {
  auto glyph = std::make_unique<TvxGlyph>();
  FT_Face face = FFace->Handle;
  const FT_UInt index = FT_Get_Char_Index(face, code);
  if (FT_Load_Glyph(face, index, FT_LOAD_NO_SCALE | FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP) != 0)
    return glyph;
  FT_GlyphSlot slot = face->glyph;
  double advance = slot->metrics.horiAdvance * FFace->Scale;
  if (slot->format == FT_GLYPH_FORMAT_OUTLINE && slot->outline.n_points > 0) {
    FT_Outline& outline = slot->outline;
    if (FFace->SynthBold) {
      const FT_Pos strength = face->units_per_EM / 24;
      FT_Outline_EmboldenXY(&outline, strength, strength / 2);
      advance += strength * FFace->Scale;
    }
    if (FFace->SynthItalic) {
      FT_Matrix shear{0x10000, 0x0366A, 0, 0x10000};  // about 12 degrees
      FT_Outline_Transform(&outline, &shear);
    }
    FlattenOutline(outline, FFace->Scale, glyph->FPolyPolyline);
  }
  glyph->ComputeBox();
  glyph->FRealLeft = glyph->FBox.Left;
  glyph->FRealRight = glyph->FBox.Right;
  glyph->FBox.Left = 0;
  glyph->FBox.Right = std::isfinite(advance) ? static_cast<float>(advance) : 0.f;
  return glyph;
}

const TvxGlyph* TvxTextGlyph::GlyphLocked(char32_t code) {
  if (!OpenLocked()) return nullptr;
  if (code < 256) {
    if (!FDirect[code]) FDirect[code] = LoadGlyph(code);
    return FDirect[code].get();
  }
  auto it = FUniCodeIndex.find(code);
  if (it != FUniCodeIndex.end()) return FGlyphs[it->second].get();
  FGlyphs.push_back(LoadGlyph(code));
  FGlyphsUniCode.push_back(code);
  FUniCodeIndex.emplace(code, FGlyphs.size() - 1);
  return FGlyphs.back().get();
}

const TvxGlyph* TvxTextGlyph::Glyph(char32_t code) {
  std::lock_guard<std::mutex> guard(FLock);
  return GlyphLocked(code);
}

bool TvxTextGlyph::HasGlyph(char32_t code) {
  std::lock_guard<std::mutex> guard(FLock);
  return OpenLocked() && FT_Get_Char_Index(FFace->Handle, code) != 0;
}

bool TvxTextGlyph::LoadedW(std::u32string_view text) {
  std::lock_guard<std::mutex> guard(FLock);
  if (!OpenLocked()) return false;
  GlyphLocked(U'Q');
  GlyphLocked(U'y');
  for (char32_t c : text) GlyphLocked(c);
  if (!(FKoef > 0)) InitKoef();
  return true;
}

// The coefficient makes the reference character as tall as the text height. The reference
// character follows the face's classification; a face without that character, or whose
// character is (nearly) flat, is measured on its capital height or its ascent instead, so that
// no face ever scales its text by thousands.
void TvxTextGlyph::InitKoef() {
  FT_Face face = FFace->Handle;
  const double s = FFace->Scale;
  const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
  const bool hasOS2 = os2 && os2->version != 0xFFFF;
  const double ascent = hasOS2 && os2->usWinAscent ? os2->usWinAscent * s : face->ascender * s;
  FAbove = std::fabs(hasOS2 ? os2->sTypoAscender * s : face->ascender * s);
  FBelow = std::fabs(hasOS2 ? os2->sTypoDescender * s : face->descender * s);
  char32_t ref = U'W';
  double symbolKoef = 0;
  if (hasOS2) {
    const uint8_t* panose = os2->panose;
    switch (panose[0]) {
      case 2: ref = panose[9] == 1 ? U'Q' : U'W'; break;
      case 3: ref = panose[6] == 6 ? U'H' : U'W'; break;
      case 4: ref = panose[6] == 7 ? U'X' : U'h'; break;
      case 5:
        if (panose[6] == 1) {
          ref = 0;
          if (ascent > 0) symbolKoef = cnstOutlineHeight / ascent;
        } else {
          ref = U'h';
        }
        break;
      default: ref = U'W';
    }
  }
  double height = 0;
  if (ref != 0) {
    const TvxGlyph* g = FT_Get_Char_Index(face, ref) != 0 ? GlyphLocked(ref) : nullptr;
    if (g) height = std::fabs(double(g->FBox.Top) - g->FBox.Bottom);
  } else if (symbolKoef > 0) {
    FReferenceChar = 0;
    FKoef = symbolKoef;
    return;
  }
  const double cap = hasOS2 && os2->version >= 2 ? os2->sCapHeight * s : 0;
  const double used = KoefHeight(height, cap, FAbove);
  FReferenceChar = used == height ? ref : 0;
  FKoef = cnstOutlineHeight / used;
}

double KoefHeight(double referenceHeight, double capHeight, double ascent) {
  const double minHeight = cnstOutlineHeight / 64;
  for (double h : {referenceHeight, capHeight, ascent})
    if (std::isfinite(h) && h >= minHeight) return h;
  return cnstOutlineHeight;
}

double TvxTextGlyph::TextAdvance(std::u32string_view text) {
  std::lock_guard<std::mutex> guard(FLock);
  double x = 0;
  for (char32_t c : text)
    if (const TvxGlyph* g = GlyphLocked(c)) x += g->Width();
  return x;
}

void TvxTextGlyph::GetBoxW(std::u32string_view text, TFRect& result, TvxTTFFontParams* params,
                           const TFMatrix* matrix) {
  std::lock_guard<std::mutex> guard(FLock);
  result = cnstBadRect;
  double x = 0;
  for (char32_t c : text) {
    const TvxGlyph* g = GlyphLocked(c);
    if (!g) continue;
    ExpandBox(result, {x + g->FBox.Left, g->FBox.Top, 0});
    ExpandBox(result, {x + g->FBox.Right, g->FBox.Bottom, 0});
    x += g->Width();
  }
  if (params) {
    *params = {};
    if (!text.empty()) {
      const TFMatrix m = matrix ? *matrix : cnstIdentityMat;
      const TFPoint o = TransformPoint({0, 0, 0}, m);
      params->Above = DistanceFPoint(o, TransformPoint({0, FAbove, 0}, m));
      params->Below = DistanceFPoint(o, TransformPoint({0, FBelow, 0}, m));
    }
  }
  if (matrix && !IsBadBox(result)) result = TransformBox(result, *matrix);
}

int TvxTextGlyph::GetPolyPolylineW(std::u32string_view text, std::vector<TFPointList>& list,
                                   const TFMatrix& matrix, uint8_t styles,
                                   const TF2DPoint* epsilon) {
  std::lock_guard<std::mutex> guard(FLock);
  const size_t start = list.size();
  double x = 0;
  for (char32_t c : text) {
    const TvxGlyph* g = GlyphLocked(c);
    if (!g) continue;
    for (const TvxGlyphContour& contour : g->FPolyPolyline) {
      TFPointList& out = list.emplace_back();
      out.Reserve(static_cast<int>(contour.size()));
      TFPoint last{};
      bool haveLast = false;
      for (const TvxGlyphPoint& p : contour) {
        const TFPoint q{x + p.X, p.Y, 0};
        if (epsilon && haveLast && std::fabs(q.X - last.X) <= epsilon->X &&
            std::fabs(q.Y - last.Y) <= epsilon->Y)
          continue;
        last = q;
        haveLast = true;
        out.Append(TransformPoint(q, matrix));
      }
    }
    x += g->Width();
  }
  const auto line = [&](double y) {
    TFPointList& out = list.emplace_back();
    out.Append(TransformPoint({0, y, 0}, matrix));
    out.Append(TransformPoint({x, y, 0}, matrix));
  };
  if (styles & (cnstTTFUnderline | cnstTTFStrikeOut)) {
    const TvxGlyph* y = GlyphLocked(U'y');
    const TvxGlyph* q = GlyphLocked(U'Q');
    if (y && q) {
      if (styles & cnstTTFUnderline) line(y->FBox.Bottom);
      if (styles & cnstTTFStrikeOut) line((double(q->FBox.Top) + y->FBox.Bottom) / 2);
    }
  }
  return static_cast<int>(list.size() - start);
}

// ---- the process-wide cache ----

TvxContainerOfTextGlyphs& TvxContainerOfTextGlyphs::Instance() {
  static TvxContainerOfTextGlyphs container;
  return container;
}

std::string TvxContainerOfTextGlyphs::Key(std::string_view faceName, uint8_t styles) {
  return std::string(faceName.substr(0, faceName.find('\0'))) + std::to_string(styles);
}

TvxTextGlyph* TvxContainerOfTextGlyphs::Find(std::string_view faceName, uint8_t styles) {
  std::lock_guard<std::mutex> guard(FLock);
  auto it = FContainer.find(Key(faceName, styles));
  return it == FContainer.end() ? nullptr : it->second.get();
}

TvxTextGlyph* TvxContainerOfTextGlyphs::AddTextGlyphsByFont(std::string_view faceName,
                                                            uint8_t styles) {
  std::lock_guard<std::mutex> guard(FLock);
  auto& slot = FContainer[Key(faceName, styles)];
  if (!slot) {
    slot = std::make_unique<TvxTextGlyph>();
    slot->SetFontParams(faceName, styles);
    slot->LoadedW({});
  }
  return slot.get();
}

int TvxContainerOfTextGlyphs::Count() {
  std::lock_guard<std::mutex> guard(FLock);
  return static_cast<int>(FContainer.size());
}

void TvxContainerOfTextGlyphs::Clear() {
  std::lock_guard<std::mutex> guard(FLock);
  FContainer.clear();
}

void TvxContainerOfTextGlyphs::Reference() {
  std::lock_guard<std::mutex> guard(FLock);
  ++FRefs;
}

void TvxContainerOfTextGlyphs::Release() {
  bool clear = false;
  {
    std::lock_guard<std::mutex> guard(FLock);
    if (FRefs > 0) --FRefs;
    clear = FRefs == 0;
  }
  if (clear) Clear();
}

}  // namespace vx::ttf
