#include "text/truetype/vxTableFonts.h"

#include "database/core/vxNames.h"
#include "text/truetype/vxTextGlyph.h"

#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <memory>

#if defined(__SANITIZE_ADDRESS__)
// fontconfig loses a few bytes while it parses its configuration, once per process.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }
#endif

namespace vx::ttf {

namespace {

std::mutex& FontconfigLock() {
  static std::mutex lock;
  return lock;
}

bool InitFontconfig() {
  static const bool ok = FcInit() == FcTrue;
  return ok;
}

std::string_view BaseName(std::string_view path) {
  const size_t slash = path.find_last_of("/\\");
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

std::string PatternString(FcPattern* p, const char* object) {
  FcChar8* s = nullptr;
  if (FcPatternGetString(p, object, 0, &s) != FcResultMatch || !s) return {};
  return reinterpret_cast<const char*>(s);
}

int PatternInt(FcPattern* p, const char* object, int fallback) {
  int v = 0;
  return FcPatternGetInteger(p, object, 0, &v) == FcResultMatch ? v : fallback;
}

struct PatternDeleter {
  void operator()(FcPattern* p) const { FcPatternDestroy(p); }
};
using PatternPtr = std::unique_ptr<FcPattern, PatternDeleter>;

}  // namespace

TvxTableFonts& TvxTableFonts::Instance() {
  static TvxTableFonts table;
  return table;
}

void TvxTableFonts::Fill() {
  if (FAddedFonts) return;
  FAddedFonts = true;
  std::lock_guard<std::mutex> fc(FontconfigLock());
  if (!InitFontconfig()) return;
  PatternPtr pattern(FcPatternCreate());
  FcObjectSet* objects = FcObjectSetBuild(FC_FAMILY, FC_FILE, FC_WEIGHT, FC_SLANT, FC_FONTFORMAT,
                                          FC_OUTLINE, nullptr);
  FcFontSet* set = FcFontList(nullptr, pattern.get(), objects);
  FcObjectSetDestroy(objects);
  if (!set) return;
  for (int i = 0; i < set->nfont; ++i) {
    FcPattern* p = set->fonts[i];
    FcBool outline = FcFalse;
    if (FcPatternGetBool(p, FC_OUTLINE, 0, &outline) == FcResultMatch && !outline) continue;
    const std::string file = PatternString(p, FC_FILE);
    // The last family is the face's own ("DejaVu Sans Condensed"); the first may be the
    // typographic family it shares with others ("DejaVu Sans").
    std::string name;
    FcChar8* family = nullptr;
    for (int k = 0; FcPatternGetString(p, FC_FAMILY, k, &family) == FcResultMatch; ++k)
      if (family) name = reinterpret_cast<const char*>(family);
    if (file.empty() || name.empty()) continue;
    if (PatternInt(p, FC_WEIGHT, FC_WEIGHT_REGULAR) >= FC_WEIGHT_BOLD) name += " Bold";
    if (PatternInt(p, FC_SLANT, FC_SLANT_ROMAN) != FC_SLANT_ROMAN) name += " Italic";
    const std::string format = PatternString(p, FC_FONTFORMAT);
    // A file with several faces gives one entry per distinct face name.
    bool seen = false;
    for (size_t k = 0; k < FFontNames.size() && !seen; ++k)
      seen = FFontPaths[k] == file && SameName(FFontNames[k], name);
    if (seen) continue;
    FFontNames.push_back(name);
    FFontFiles.emplace_back(BaseName(file));
    FFontPaths.push_back(file);
    FFontTypes.push_back(format == "TrueType" ? ftTrueType
                         : format == "CFF"    ? ftOpenTypeCFF
                                              : ftOther);
  }
  FcFontSetDestroy(set);
  const int n = static_cast<int>(FFontNames.size());
  FSortNames.resize(n);
  FSortFiles.resize(n);
  for (int i = 0; i < n; ++i) FSortNames[i] = FSortFiles[i] = i;
  // Several files may share a face name: the first listed (fontconfig's order) wins a lookup.
  std::stable_sort(FSortNames.begin(), FSortNames.end(),
                   [&](int a, int b) { return NameLess(FFontNames[a], FFontNames[b]); });
  std::stable_sort(FSortFiles.begin(), FSortFiles.end(),
                   [&](int a, int b) { return NameLess(FFontFiles[a], FFontFiles[b]); });
}

int TvxTableFonts::IndexOfName(std::string_view faceName) {
  Fill();
  auto it = std::lower_bound(FSortNames.begin(), FSortNames.end(), faceName,
                             [&](int i, std::string_view v) { return NameLess(FFontNames[i], v); });
  if (it == FSortNames.end() || !SameName(FFontNames[*it], faceName)) return -1;
  return *it;
}

std::string TvxTableFonts::GetFileName(std::string_view faceName) {
  std::lock_guard<std::mutex> guard(FLock);
  const int i = IndexOfName(faceName);
  return i < 0 ? std::string() : FFontFiles[i];
}

std::string TvxTableFonts::GetFilePath(std::string_view faceName) {
  std::lock_guard<std::mutex> guard(FLock);
  const int i = IndexOfName(faceName);
  return i < 0 ? std::string() : FFontPaths[i];
}

TvxFontType TvxTableFonts::GetFontType(std::string_view faceName) {
  std::lock_guard<std::mutex> guard(FLock);
  const int i = IndexOfName(faceName);
  return i < 0 ? ftNone : FFontTypes[i];
}

std::string TvxTableFonts::GetFontName(std::string_view fileName) {
  std::lock_guard<std::mutex> guard(FLock);
  Fill();
  const std::string_view file = BaseName(fileName);
  auto it = std::lower_bound(FSortFiles.begin(), FSortFiles.end(), file,
                             [&](int i, std::string_view v) { return NameLess(FFontFiles[i], v); });
  if (it == FSortFiles.end() || !SameName(FFontFiles[*it], file)) return {};
  return FFontNames[*it];
}

int TvxTableFonts::Count() {
  std::lock_guard<std::mutex> guard(FLock);
  Fill();
  return static_cast<int>(FFontNames.size());
}

bool MatchFontFace(std::string_view faceName, uint8_t style, TvxFontMatch& match) {
  std::lock_guard<std::mutex> fc(FontconfigLock());
  if (!InitFontconfig()) return false;
  const std::string family(faceName.substr(0, faceName.find('\0')));
  PatternPtr pattern(FcPatternCreate());
  if (!family.empty())
    FcPatternAddString(pattern.get(), FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
  const bool bold = (style & cnstTTFBold) != 0, italic = (style & cnstTTFItalic) != 0;
  FcPatternAddInteger(pattern.get(), FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
  FcPatternAddInteger(pattern.get(), FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  FcPatternAddBool(pattern.get(), FC_OUTLINE, FcTrue);
  FcPatternAddBool(pattern.get(), FC_SCALABLE, FcTrue);
  FcConfigSubstitute(nullptr, pattern.get(), FcMatchPattern);
  FcDefaultSubstitute(pattern.get());
  FcResult result = FcResultNoMatch;
  PatternPtr found(FcFontMatch(nullptr, pattern.get(), &result));
  if (!found) return false;
  match.File = PatternString(found.get(), FC_FILE);
  match.Index = PatternInt(found.get(), FC_INDEX, 0);
  match.Family = PatternString(found.get(), FC_FAMILY);
  match.SynthBold = bold && PatternInt(found.get(), FC_WEIGHT, FC_WEIGHT_REGULAR) < FC_WEIGHT_DEMIBOLD;
  match.SynthItalic =
      italic && PatternInt(found.get(), FC_SLANT, FC_SLANT_ROMAN) == FC_SLANT_ROMAN;
  return !match.File.empty();
}

std::string FaceNameOfFontFile(std::string_view fileName) {
  const std::string name = TvxTableFonts::Instance().GetFontName(fileName);
  if (!name.empty()) return name;
  std::string_view base = BaseName(fileName);
  const size_t dot = base.rfind('.');
  if (dot != std::string_view::npos && dot > 0) base = base.substr(0, dot);
  return std::string(base);
}

}  // namespace vx::ttf
