// vxCADdxfImage: the format images of the drawing readers.
//
//  - TvxImageWithHandles: base of the DXF (and DWG) images; its database checks handles.
//  - TvxVectorImage: base of plotter-file images; plot settings shown for model space.
//  - TvxCADdxfImage: the DXF image; loads text and binary DXF through LoadDXF, with progress.
//    Registered for "dxf" as "AutoCAD DXF", clipboard name "Varrow DXF Image".
#pragma once

#include "render/vxCADImage.h"

#include <cstddef>
#include <iosfwd>
#include <string>

namespace vx {

class TvxImageWithHandles : public TvxCADImage {
 public:
  TvxImageWithHandles();
  void GetConverterParams(TvxConverterParams& params) override;
};

class TvxVectorImage : public TvxCADImage {
 public:
  void SetDefaultViewModePlotSettings() override;
};

class TvxCADdxfImage : public TvxImageWithHandles {
 public:
  static constexpr const char* cnstClipboardName = "Varrow DXF Image";

  // Reads the DXF in the rest of the stream. A read error (EdxfReadError) propagates after the
  // image is set up on what was read, so a partial drawing can still be shown.
  void LoadFromStream(std::istream& stream) override;
  void LoadFromBuffer(const void* data, size_t size);
  // The "$ACADVER" text of the last file read.
  const std::string& VersionText() const { return FVersionText; }

 private:
  std::string FVersionText;
};

}  // namespace vx
