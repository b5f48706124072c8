// libFuzzer target for the whole DXF reader: any bytes load into a drawing or end in a clean
// EdxfReadError; either way the drawing is left consistent and is freed without leaks.
#include "readers/dxf/vxDXFImport.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  vx::TvxDXFConverter* conv = vx::TvxDXFConverter::Create();
  try {
    vx::LoadDXF(conv, vx::TdxfSource::FromBytes(data, size));
  } catch (const vx::EdxfReadError&) {
  }
  // What a viewer asks of a loaded drawing.
  for (int i = 0; i < conv->LayoutsCount(); ++i)
    if (vx::TvxDXFLayout* layout = conv->Layouts(i)) layout->GetBox();
  conv->Extents();
  conv->Release();
  return 0;
}
