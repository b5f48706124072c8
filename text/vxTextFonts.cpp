#include "text/vxTextFonts.h"

#include "database/core/vxSettings.h"
#include "database/text/vxFontInterface.h"
#include "text/shx/vxSHXFont.h"
#include "text/shx/vxSHXFontList.h"
#include "text/truetype/vxTableFonts.h"
#include "text/truetype/vxTextGlyph.h"
#include "text/vxTextFaces.h"

#include <cstdlib>
#include <map>
#include <memory>
#include <mutex>
#include <unordered_map>

namespace vx {

namespace {

// The face a missing SHX font is drawn with when no SHX font can stand in.
constexpr const char* cnstFallbackFace = "Liberation Sans";

class TvxTextFontProvider : public TvxFontProvider {
 public:
  TvxFontFace* FindFace(const TvxFontRequest& request) override {
    if (request.Kind == fkTrueType) return TrueTypeFace(request.Name, request.Bold, request.Italic);
    if (!GlobalSettings.UseSHXFonts)
      return request.Kind == fkBigFont ? nullptr : TrueTypeFace(cnstFallbackFace, false, false);
    // The answer depends on the search path as well as the name; both are part of the key.
    const char* env = std::getenv(shx::cnstSHXPathVariable);
    std::string key = std::to_string(int(request.Kind));
    for (const std::string* s : std::initializer_list<const std::string*>{
             &request.Name, &request.DrawingFolder, &GlobalSettings.SHXSearchPath})
      key.append(1, '\0').append(*s);
    key.append(1, '\0').append(env ? env : "");
    {
      std::lock_guard<std::mutex> guard(FLock);
      auto it = FSHX.find(key);
      if (it != FSHX.end()) return it->second;
    }
    TvxFontFace* face = SHXFace(request);
    std::lock_guard<std::mutex> guard(FLock);
    return FSHX.emplace(key, face).first->second;
  }

 private:
  // A named SHX font; when it is missing, the first text font of the search path and then a
  // TrueType face stand in, so that no text vanishes. A missing big font has no stand-in: its
  // characters fall back to the main font.
  TvxFontFace* SHXFace(const TvxFontRequest& request) {
    shx::TvxSHXFontList& list = shx::SHXFontList();
    if (shx::TvxSHXFont* f = list.FindFont(request.Name, request.DrawingFolder)) return f;
    if (request.Kind == fkBigFont) return nullptr;
    if (shx::TvxSHXFont* f = list.SubstituteFont(request.DrawingFolder)) return f;
    return TrueTypeFace(cnstFallbackFace, false, false);
  }

  TvxFontFace* TrueTypeFace(const std::string& name, bool bold, bool italic) {
    // A file name ("arial.ttf") stands for its face; a face name is used as it is.
    const bool isFile = name.find('.') != std::string::npos || name.find('/') != std::string::npos;
    const std::string face = isFile ? ttf::FaceNameOfFontFile(name) : name;
    const uint8_t style = (bold ? ttf::cnstTTFBold : 0) | (italic ? ttf::cnstTTFItalic : 0);
    std::lock_guard<std::mutex> guard(FLock);
    const std::string key = ttf::TvxContainerOfTextGlyphs::Key(face, style);
    auto it = FTrueType.find(key);
    if (it != FTrueType.end()) return it->second.get();
    ttf::TvxTextGlyph* glyphs = ttf::TvxContainerOfTextGlyphs::Instance().AddTextGlyphsByFont(face, style);
    std::unique_ptr<TvxTrueTypeFace>& slot = FTrueType[key];
    // A face that cannot be opened stays null, so the layout keeps its estimated boxes.
    if (glyphs && !glyphs->FileName().empty()) slot = std::make_unique<TvxTrueTypeFace>(glyphs);
    return slot.get();
  }

  std::mutex FLock;
  std::map<std::string, std::unique_ptr<TvxTrueTypeFace>> FTrueType;
  std::unordered_map<std::string, TvxFontFace*> FSHX;  // request -> face (not owned)
};

}  // namespace

TvxFontProvider* TextFontProvider() {
  static TvxTextFontProvider* provider = [] {
    ttf::TvxContainerOfTextGlyphs::Instance().Reference();
    return new TvxTextFontProvider();
  }();
  return provider;
}

TvxFontProvider* InstallTextFonts() {
  static TvxFontProvider* installed = [] {
    TvxFontProvider* p = TextFontProvider();
    SetFontProvider(p);
    return p;
  }();
  return installed;
}

}  // namespace vx
