// vxDWG2007: DWG 2007 files, flattened into the R2000-like image of vxDWGPaged.h.
//
//  - TvxDWG2007Decompressor: the LZ variant of 2007 files, with its literal reordering (32-byte
//    groups reversed by 8-byte quarters, remainders by the format's table). Reads stay inside the
//    input and writes inside the output; a back-reference to before the output start, offset 0,
//    an instruction the format does not have, or a run past the input fail with
//    TvxDWGCompressorError "DWG file header is corrupted".
//  - FlattenDWG2007: the Reed-Solomon protected file header, page map and section map (t = 8),
//    the data pages (t = 2 when the section says so), decompressed. Each data page takes its slot
//    in the section before it is decoded, so a page that fails stays zero-filled and the later
//    pages keep their places.
#pragma once

#include "readers/dwg/paged/vxDWGPaged.h"
#include "readers/dwg/stream/vxDWGErrors.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vx {

class TvxDWG2007Decompressor {
 public:
  void Clear() {
    FOpCode = 0;
    FOffset = 0;
    FLength = 0;
  }
  // Decompresses sourceSize bytes into dest (destSize bytes); returns the bytes produced. The
  // output stops at destSize: a run that would pass it is cut there and decompression ends.
  size_t Decompress(const uint8_t* source, size_t sourceSize, size_t destSize, uint8_t* dest);

 private:
  void Instruction();
  uint8_t Byte();
  void Literal(size_t n);
  bool Copy();

  const uint8_t* FSrc = nullptr;
  const uint8_t* FSrcEnd = nullptr;
  uint8_t* FDst = nullptr;
  uint8_t* FDstStart = nullptr;
  uint8_t* FDstEnd = nullptr;
  size_t FLength = 0;
  size_t FOffset = 0;
  uint8_t FOpCode = 0;
};

// The order in which a literal remainder of r bytes (1..31) is written: source indices.
const uint8_t* DWG2007LiteralOrder(unsigned r);

TdwgFlattened FlattenDWG2007(const uint8_t* file, size_t size);

}  // namespace vx
