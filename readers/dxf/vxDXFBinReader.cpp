// The binary tokenizer: group codes of 1 byte (R12 files, where 255 announces a 2-byte code) or
// 2 bytes, little-endian, each followed by a value laid out by its code (DXFBinaryLayout).
#include "readers/dxf/vxDXFTokens.h"

#include "readers/dxf/vxDXFNumbers.h"

#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

namespace vx {

namespace {

uint64_t LoadLE(const uint8_t* p, int n) {
  uint64_t v = 0;
  for (int i = n - 1; i >= 0; --i) v = (v << 8) | p[i];
  return v;
}

// Offsets in messages count the bytes consumed since the start of the data plus 20, the way the
// format has always reported them.
constexpr uint64_t kMessageOffsetBias = 20;

}  // namespace

TdxfBinReader::TdxfBinReader(const uint8_t* data, size_t size, int groupCodeSize)
    : TdxfReader(data, size), FGroupCodeSize(groupCodeSize == 1 ? 1 : 2) {}

void TdxfBinReader::RaiseTruncated() {
  char buf[96];
  std::snprintf(buf, sizeof buf, "Unexpected end of data in group code %d at %.8" PRIx64, FCode,
                Position() + kMessageOffsetBias);
  FPos = FLimit;  // nothing after a broken pair can be trusted; a later Next ends the data
  throw EdxfReadError(buf);
}

void TdxfBinReader::Next() {
  if (StopRequested()) FPos = FLimit;
  if (FPos >= FLimit) {
    SetEndPair();
    return;
  }
  ResetPair();
  FPrev = FPos;
  FValueSize = -1;
  if (FGroupCodeSize == 1) {
    FCode = *FPos++;
    if (FCode == 255) {  // a code of 255 or more follows in two bytes
      if (!Has(2)) RaiseTruncated();
      FCode = static_cast<int32_t>(LoadLE(FPos, 2));
      FPos += 2;
    }
  } else {
    if (!Has(2)) {
      FCode = *FPos;
      RaiseTruncated();
    }
    FCode = static_cast<int32_t>(LoadLE(FPos, 2));
    FPos += 2;
  }
  FValueStartPos = FPos;
  FLayout = DXFBinaryLayout(FCode);
  switch (FLayout) {
    case TdxfBinLayout::blString: {
      const void* zero = std::memchr(FPos, 0, static_cast<size_t>(FLimit - FPos));
      if (!zero) RaiseTruncated();
      const uint8_t* z = static_cast<const uint8_t*>(zero);
      FValueSize = z - FPos;
      FPos = z + 1;
      break;
    }
    case TdxfBinLayout::blDouble: {
      if (!Has(8)) RaiseTruncated();
      uint64_t bits = LoadLE(FPos, 8);
      double d;
      std::memcpy(&d, &bits, 8);
      FDouble = std::isfinite(d) ? d : 0.0;
      FPos += 8;
      FPendingText = TdxfPending::Double;
      break;
    }
    case TdxfBinLayout::blInt16:
      if (!Has(2)) RaiseTruncated();
      FInt = static_cast<int16_t>(LoadLE(FPos, 2));
      FPos += 2;
      FPendingText = TdxfPending::Int;
      break;
    case TdxfBinLayout::blInt32:
      if (!Has(4)) RaiseTruncated();
      FInt = static_cast<int32_t>(static_cast<uint32_t>(LoadLE(FPos, 4)));
      FPos += 4;
      FPendingText = TdxfPending::Int;
      break;
    case TdxfBinLayout::blInt64: {
      if (!Has(8)) RaiseTruncated();
      FInt64 = static_cast<int64_t>(LoadLE(FPos, 8));
      FPos += 8;
      constexpr int64_t lo = std::numeric_limits<int32_t>::min(), hi = std::numeric_limits<int32_t>::max();
      FInt = static_cast<int32_t>(FInt64 < lo ? lo : (FInt64 > hi ? hi : FInt64));
      FPendingText = TdxfPending::Int64;
      break;
    }
    case TdxfBinLayout::blByte:
      if (!Has(1)) RaiseTruncated();
      FInt = *FPos++;
      FPendingText = TdxfPending::Int;
      break;
    case TdxfBinLayout::blChunk: {
      if (!Has(1)) RaiseTruncated();
      const size_t n = *FPos;
      if (!Has(n + 1)) RaiseTruncated();
      ++FPos;
      static constexpr char kHex[] = "0123456789ABCDEF";
      FValue.resize(n * 2);
      for (size_t i = 0; i < n; ++i) {
        FValue[2 * i] = kHex[FPos[i] >> 4];
        FValue[2 * i + 1] = kHex[FPos[i] & 15];
      }
      FPos += n;
      break;
    }
    case TdxfBinLayout::blIllegal: {
      std::string message = DXFIllegalCodeMessage(FCode, Position() + kMessageOffsetBias);
      FPos = FLimit;
      throw EdxfReadError(message);
    }
  }
}

uint64_t TdxfBinReader::HandleValue() {
  FHandle = DXFStrToHandle(UValue());
  return FHandle;
}

}  // namespace vx
