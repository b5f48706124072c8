#include "text/vxTextFonts.h"

#include "database/text/vxFontInterface.h"
#include "text/truetype/vxTableFonts.h"
#include "text/truetype/vxTextGlyph.h"
#include "text/vxTextFaces.h"

#include <map>
#include <memory>
#include <mutex>

namespace vx {

namespace {

// The face a missing SHX font is drawn with when no SHX font can stand in.
constexpr const char* cnstFallbackFace = "Liberation Sans";

class TvxTextFontProvider : public TvxFontProvider {
 public:
  TvxFontFace* FindFace(const TvxFontRequest& request) override {
    if (request.Kind == fkTrueType) return TrueTypeFace(request.Name, request.Bold, request.Italic);
    if (request.Kind == fkBigFont) return nullptr;
    return TrueTypeFace(cnstFallbackFace, false, false);
  }

 private:
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
