// vxCADdwgImage: the DWG image, TvxDWGImage: loads DWG R13 to 2013 files through LoadDWG, with
// progress. Registered for "dwg" ("AutoCAD DWG"), "dwt" ("AutoCAD DWT") and "gp2" ("AutoCAD DWG"),
// clipboard name "Varrow DWG Image".
#pragma once

#include "render/vxCADdxfImage.h"

#include <cstddef>
#include <iosfwd>
#include <string>

namespace vx {

class TvxGraphicRegistry;

class TvxDWGImage : public TvxImageWithHandles {
 public:
  static constexpr const char* cnstClipboardName = "Varrow DWG Image";

  // Reads the DWG in the rest of the stream. A read error propagates after the image is set up on
  // what was read, so a partial drawing can still be shown.
  void LoadFromStream(std::istream& stream) override;
  void LoadFromBuffer(const void* data, size_t size);
  // The six version characters of the last file read.
  const std::string& VersionText() const { return FVersionText; }

 private:
  std::string FVersionText;
};

// Registers the DWG image's extensions in the registry.
void RegisterDWGImage(TvxGraphicRegistry& registry);

}  // namespace vx
