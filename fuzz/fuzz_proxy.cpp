// libFuzzer target for the proxy-graphics decoder: the bytes are a command stream (after an
// 8-byte header of total size and command count); decoding must end, never crash or read past
// the data, and give one property record per entity. Each entity is then loaded.
#include "database/core/DXFConv.h"
#include "readers/dxf/vxProxyGraphics.h"

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  vx::TDXFProxyReader reader(std::string_view(reinterpret_cast<const char*>(data), size));
  std::vector<vx::TvxEntityPtr<>> ents;
  std::vector<vx::TvxProxyProps> props;
  vx::TvxProxyOptions options;
  options.CircleSegments = 16;
  vx::ReadProxyGraphics(reader, options, ents, props);
  if (ents.size() != props.size()) __builtin_trap();
  vx::TvxDXFConverter* conv = vx::TvxDXFConverter::Create();
  for (auto& e : ents) e->LoadData(conv);
  ents.clear();
  conv->Release();
  return 0;
}
