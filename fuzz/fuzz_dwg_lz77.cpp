// libFuzzer target for the LZ77 decompressor of DWG 2004+ pages: any input decompresses into
// the output buffer or fails with TvxDWGCompressorError, never touching memory outside either.
// The first two bytes choose the output size.
#include "readers/dwg/paged/vxDWGUtils.h"

#include <cstddef>
#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const size_t out = 1 + ((size_t(data[0]) << 8) | data[1]);
  std::vector<uint8_t> dest(out);
  try {
    vx::TvxDWG2004Compressor().Decompress(data + 2, size - 2, dest.data(), dest.size());
  } catch (const vx::TvxDWGCompressorError&) {
  }
  return 0;
}
