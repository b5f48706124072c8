// The DXF image and the image bases of the format readers.
#include "render/vxCADdxfImage.h"

#include "readers/dxf/vxDXFImport.h"

#include <exception>

namespace vx {

TvxImageWithHandles::TvxImageWithHandles() {
  // The base constructor cannot reach this class's parameters: make the database again.
  SetConverter(CreateConverter());
}

void TvxImageWithHandles::GetConverterParams(TvxConverterParams& params) {
  params = {};
  params.CheckHandles = true;
}

void TvxVectorImage::SetDefaultViewModePlotSettings() {
  SetShowPlotSetting(false);
  SetShowPlotForModel(true);
  SetShowPlotMargins(true);
}

void TvxCADdxfImage::LoadFromStream(std::istream& stream) {
  TvxCADImage::LoadFromStream(stream);
  const TdxfSource source = TdxfSource::FromStream(stream);
  LoadFromBuffer(source.Data(), source.Size());
}

void TvxCADdxfImage::LoadFromBuffer(const void* data, size_t size) {
  if (KeepSourceCopy) FSourceCopy.assign(static_cast<const char*>(data), size);
  // A database shared with other images (Assign) stays theirs: reading would clear it under
  // them. This image reads into a database of its own.
  if (FConverter && FConverter->RefCount() > 1) SetConverter(CreateConverter());
  // The old layouts go with the old drawing.
  FCurrentLayout = nullptr;
  std::exception_ptr error;
  {
    TvxLoadingScope scope(this, size);
    FFileInfo.clear();
    FVersionText.clear();
    try {
      TvxDXFLoadResult result;
      try {
        LoadDXF(FConverter, TdxfSource::FromBytes(data, size), result);
      } catch (...) {
        FFileInfo = result.FileInfo;
        FVersionText = result.VersionText;
        throw;
      }
      FFileInfo = result.FileInfo;
      FVersionText = result.VersionText;
    } catch (...) {
      error = std::current_exception();
    }
  }
  AfterLoad();
  Changed();
  if (error) std::rethrow_exception(error);
}

}  // namespace vx
