// libFuzzer target for the DWG 2007 page decoding: the Reed-Solomon de-interleaving with both
// coders and the 2007 decompressor. Any input decodes or fails with EvxRSCoderError /
// TvxDWGCompressorError, never touching memory outside its buffers. The first byte chooses the
// coder and the block count, the next two the output size of the decompressor.
#include "readers/dwg/paged/vxDWG2007.h"
#include "readers/dwg/paged/vxRSCoder.h"

#include <cstddef>
#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 3) return 0;
  const bool header = data[0] & 0x80;
  const size_t blocks = 1 + (data[0] & 0x0F);
  const size_t out = 1 + ((size_t(data[1]) << 8) | data[2]);
  data += 3;
  size -= 3;
  const vx::TvxRSCoder& coder = header ? vx::DWGHeaderCoder() : vx::DWGPageCoder();
  try {
    vx::DWGDecodeInterleaved(coder, data, size, blocks, blocks * coder.DSize());
  } catch (const vx::EvxRSCoderError&) {
  }
  std::vector<uint8_t> dest(out);
  try {
    vx::TvxDWG2007Decompressor().Decompress(data, size, dest.size(), dest.data());
  } catch (const vx::TvxDWGCompressorError&) {
  }
  return 0;
}
