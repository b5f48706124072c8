// The DWG image.
#include "render/vxCADdwgImage.h"

#include "readers/dwg/DWG.h"
#include "render/vxGraphic.h"

#include <exception>
#include <iterator>
#include <vector>

namespace vx {

void TvxDWGImage::LoadFromStream(std::istream& stream) {
  TvxCADImage::LoadFromStream(stream);
  const std::vector<uint8_t> bytes = ReadDWGStream(stream);
  LoadFromBuffer(bytes.data(), bytes.size());
}

void TvxDWGImage::LoadFromBuffer(const void* data, size_t size) {
  if (KeepSourceCopy) FSourceCopy.assign(static_cast<const char*>(data), size);
  // A database shared with other images stays theirs: this image reads into one of its own.
  if (FConverter && FConverter->RefCount() > 1) SetConverter(CreateConverter());
  FCurrentLayout = nullptr;
  std::exception_ptr error;
  TvxDWGLoadResult result;
  {
    TvxLoadingScope scope(this, size);
    FFileInfo.clear();
    FVersionText.clear();
    try {
      const auto* p = static_cast<const uint8_t*>(data);
      LoadDWG(FConverter, std::vector<uint8_t>(p, p + size), result);
    } catch (...) {
      error = std::current_exception();
    }
    FVersionText = result.VersionText;
  }
  AfterLoad();
  // The header's measurement says whether the drawing is metric.
  if (!result.Empty) SetMillimetres(result.Millimetres);
  // A drawing saved with a paper-space layout current opens on it.
  if (FConverter && FConverter->HeadVarStruct().TileMode == 0) {
    const int i = FConverter->DefaultLayoutIndex();
    if (i > 0 && i < FConverter->LayoutsCount())
      if (TvxDXFLayout* l = FConverter->Layouts(i)) FCurrentLayout = l;
  }
  Changed();
  if (error) std::rethrow_exception(error);
}

void RegisterDWGImage(TvxGraphicRegistry& registry) {
  auto make = [] { return std::make_unique<TvxDWGImage>(); };
  registry.Register("dwg", "AutoCAD DWG", "TvxDWGImage", make, TvxDWGImage::cnstClipboardName);
  registry.Register("dwt", "AutoCAD DWT", "TvxDWGImage", make, TvxDWGImage::cnstClipboardName);
  registry.Register("gp2", "AutoCAD DWG", "TvxDWGImage", make, TvxDWGImage::cnstClipboardName);
}

}  // namespace vx
