// libFuzzer target for the whole DWG reader: any bytes load into a drawing or end in a clean
// exception with a message; either way the drawing is left consistent and is freed without leaks.
// Seed it with the corpus DWGs (R13 to 2013): mutations then reach the paged layouts, the
// Reed-Solomon pages and every object record.
#include "readers/dwg/DWG.h"

#include <cstddef>
#include <cstdint>
#include <exception>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  vx::TvxDXFConverter* conv = vx::TvxDXFConverter::Create();
  try {
    vx::LoadDWG(conv, std::vector<uint8_t>(data, data + size));
  } catch (const std::exception&) {
  }
  // What a viewer asks of a loaded drawing.
  for (int i = 0; i < conv->LayoutsCount(); ++i)
    if (vx::TvxDXFLayout* layout = conv->Layouts(i)) layout->GetBox();
  conv->Extents();
  conv->Release();
  return 0;
}
