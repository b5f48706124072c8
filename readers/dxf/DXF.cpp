#include "readers/dxf/DXF.h"

#include <cstring>
#include <istream>

namespace vx {

TdxfFormat DetectDXFFormat(const uint8_t* data, size_t size) {
  TdxfFormat f;
  if (size < cnstDXFBinarySignatureSize ||
      std::memcmp(data, cnstDXFBinarySignature, cnstDXFBinarySignatureSize) != 0)
    return f;
  f.DataOffset = cnstDXFBinarySignatureSize;
  const size_t rest = size - cnstDXFBinarySignatureSize;
  const uint8_t* p = data + cnstDXFBinarySignatureSize;
  f.GroupCodeSize = rest >= 2 && p[0] == 0 && p[1] == 0 ? 2 : 1;
  return f;
}

int DetectDXFBinary(std::istream& stream) {
  const auto start = stream.tellg();
  uint8_t head[cnstDXFBinarySignatureSize + 2] = {};
  stream.read(reinterpret_cast<char*>(head), sizeof head);
  const size_t got = static_cast<size_t>(stream.gcount());
  stream.clear();
  const TdxfFormat f = DetectDXFFormat(head, got);
  if (start != std::istream::pos_type(-1)) {
    stream.seekg(start + static_cast<std::streamoff>(f.DataOffset));
  } else {
    // a stream that cannot seek: put back what was read beyond the data start
    for (size_t i = got; i > f.DataOffset; --i) stream.unget();
  }
  return f.GroupCodeSize;
}

std::unique_ptr<TdxfReader> CreateDXFTokenReader(const uint8_t* data, size_t size) {
  const TdxfFormat f = DetectDXFFormat(data, size);
  if (f.GroupCodeSize == 0) return std::make_unique<TdxfReader>(data, size);
  return std::make_unique<TdxfBinReader>(data + f.DataOffset, size - f.DataOffset, f.GroupCodeSize);
}

}  // namespace vx
