// DXF: the public entry of the DXF reader (text and binary DXF files).
//
// For now it offers the token level: format detection (the binary signature and the width of its
// group codes) and a factory that makes the matching tokenizer over an in-memory copy of a file.
// The record readers and the DXF image build on TdxfReader (vxDXFTokens.h).
#pragma once

#include "readers/dxf/vxDXFTokens.h"

#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <memory>

namespace vx {

// "AutoCAD Binary DXF", CR, LF, 0x1A, 0: the first 22 bytes of a binary file.
inline constexpr char cnstDXFBinarySignature[] = "AutoCAD Binary DXF\r\n\x1A";
inline constexpr size_t cnstDXFBinarySignatureSize = sizeof(cnstDXFBinarySignature);  // 22, with the 0

struct TdxfFormat {
  int GroupCodeSize = 0;  // 0 text, 1 or 2 bytes per binary group code
  size_t DataOffset = 0;  // where the pairs start: 0 for text, 22 for binary
};

// Looks at the first bytes of a file. Binary files whose first pair has a 2-byte code start with
// two zero bytes after the signature (code 0); with 1-byte codes the second byte is the name's.
TdxfFormat DetectDXFFormat(const uint8_t* data, size_t size);

// The same on a stream, which is left where the pairs start (just after the signature of a binary
// file, where it was for a text file). Returns the group-code size, 0 for text.
int DetectDXFBinary(std::istream& stream);

// The tokenizer for a whole file in memory (signature included when binary). The data must
// outlive the reader.
std::unique_ptr<TdxfReader> CreateDXFTokenReader(const uint8_t* data, size_t size);
inline std::unique_ptr<TdxfReader> CreateDXFTokenReader(const TdxfSource& source) {
  return CreateDXFTokenReader(source.Data(), source.Size());
}

}  // namespace vx
