// vxDWGUtils: the LZ77 decompressor of DWG 2004, 2010 and 2013 pages.
//
// TvxDWG2004Compressor::Decompress turns one compressed page into its bytes. Every read is checked
// against the end of the input and every write against the end of the output; a back-reference
// before the start of the output, an opcode that is not one of the format's, a run that would pass
// either end, and an empty input all fail with TvxDWGCompressorError "DWG file header is
// corrupted"; a non-zero byte after the end opcode fails with "Unexpected error has occurred while
// DWG file decompressing". Nothing is written outside the output.
#pragma once

#include "readers/dwg/stream/vxDWGErrors.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vx {

class TvxDWG2004Compressor {
 public:
  // Decompresses sourceSize bytes into dest (destSize bytes); returns the bytes produced.
  size_t Decompress(const uint8_t* source, size_t sourceSize, uint8_t* dest, size_t destSize);
  // Into a new buffer of destSize bytes (the produced bytes, zero-filled to destSize).
  std::vector<uint8_t> Decompress(const uint8_t* source, size_t sourceSize, size_t destSize);
};

// Every 2004, 2010 and 2013 page goes through this class; it decompresses the same way.
class TvxDWG2010Compressor : public TvxDWG2004Compressor {};

}  // namespace vx
