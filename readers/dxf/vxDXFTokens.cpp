#include "readers/dxf/vxDXFTokens.h"

#include "readers/dxf/vxCodePage.h"
#include "readers/dxf/vxDXFNumbers.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <istream>

namespace vx {

namespace {

constexpr int kMinKindCode = -5;
constexpr int kMaxKindCode = 1071;

constexpr std::array<uint8_t, kMaxKindCode - kMinKindCode + 1> MakeKindTable() {
  std::array<uint8_t, kMaxKindCode - kMinKindCode + 1> t{};
  auto set = [&t](int lo, int hi, TdxfValueKind k) {
    for (int c = lo; c <= hi; ++c) t[static_cast<size_t>(c - kMinKindCode)] = k;
  };
  set(0, 4, vkString);
  set(5, 5, vkHandle);
  set(6, 9, vkString);
  set(10, 59, vkReal);
  set(60, 79, vkInteger);
  set(90, 99, vkInteger);
  set(100, 100, vkString);
  set(102, 102, vkString);
  set(105, 105, vkHandle);
  set(110, 149, vkReal);
  set(170, 179, vkInteger);
  set(210, 239, vkReal);
  set(270, 299, vkInteger);
  set(300, 309, vkString);
  set(320, 369, vkHandle);
  set(370, 389, vkInteger);
  set(390, 399, vkHandle);
  set(400, 409, vkInteger);
  set(410, 419, vkString);
  set(420, 429, vkInteger);
  set(430, 439, vkString);
  set(440, 459, vkInteger);
  set(460, 469, vkReal);
  set(470, 479, vkString);
  set(999, 1004, vkString);
  set(1005, 1005, vkHandle);
  set(1006, 1009, vkString);
  set(1010, 1059, vkReal);
  set(1060, 1071, vkInteger);
  return t;
}

constexpr auto kKinds = MakeKindTable();

constexpr std::array<TdxfBinLayout, kMaxKindCode + 1> MakeLayoutTable() {
  std::array<TdxfBinLayout, kMaxKindCode + 1> t{};
  for (auto& l : t) l = TdxfBinLayout::blString;
  auto set = [&t](int lo, int hi, TdxfBinLayout l) {
    for (int c = lo; c <= hi; ++c) t[static_cast<size_t>(c)] = l;
  };
  using enum TdxfBinLayout;
  set(10, 59, blDouble);
  set(110, 149, blDouble);
  set(210, 249, blDouble);
  set(460, 469, blDouble);
  set(1010, 1059, blDouble);
  set(60, 79, blInt16);
  set(170, 179, blInt16);
  set(270, 289, blInt16);
  set(370, 389, blInt16);
  set(400, 409, blInt16);
  set(1060, 1070, blInt16);
  set(90, 99, blInt32);
  set(420, 429, blInt32);
  set(440, 459, blInt32);
  set(1071, 1071, blInt32);
  set(160, 169, blInt64);
  set(255, 257, blByte);
  set(290, 299, blByte);
  set(512, 512, blByte);
  set(310, 319, blChunk);
  set(1004, 1004, blChunk);
  return t;
}

constexpr auto kLayouts = MakeLayoutTable();

}  // namespace

TdxfValueKind DXFValueKind(int code) {
  if (code < kMinKindCode || code > kMaxKindCode) return vkNone;
  return static_cast<TdxfValueKind>(kKinds[static_cast<size_t>(code - kMinKindCode)]);
}

TdxfBinLayout DXFBinaryLayout(int code) {
  if (code < 0 || code > kMaxKindCode) return TdxfBinLayout::blIllegal;
  return kLayouts[static_cast<size_t>(code)];
}

std::string DXFReadErrorMessage(int line, std::string_view value, std::string_view cause) {
  std::string s = "DXF read error on line " + std::to_string(line) + ": ";
  s.append(value);
  s += "\r\n";
  s.append(cause);
  return s;
}

std::string DXFIllegalCodeMessage(int code, uint64_t offset) {
  char buf[96];
  std::snprintf(buf, sizeof buf, "Illegal group code %d at %.8" PRIx64, code, offset);
  return buf;
}

// --- TdxfSource ---

void TdxfSource::Reserve(size_t size) {
  if (size + 4 <= FCapacity && FBytes) return;
  std::unique_ptr<uint8_t[]> bytes(new uint8_t[size + 4]);
  if (FSize) std::memcpy(bytes.get(), FBytes.get(), FSize);
  FBytes = std::move(bytes);
  FCapacity = size + 4;
}

void TdxfSource::SetSize(size_t size) {
  Reserve(size);
  FSize = size;
  uint8_t* end = FBytes.get() + size;
  end[0] = '\r';
  end[1] = '\n';
  end[2] = 0;
  end[3] = 0;
}

void TdxfSource::Assign(const void* data, size_t size) {
  FSize = 0;
  Reserve(size);
  if (size) std::memcpy(FBytes.get(), data, size);
  SetSize(size);
}

TdxfSource TdxfSource::FromBytes(const void* data, size_t size) {
  TdxfSource s;
  s.Assign(data, size);
  return s;
}

TdxfSource TdxfSource::FromStream(std::istream& stream) {
  TdxfSource s;
  size_t size = 0;
  const auto start = stream.tellg();
  if (start != std::istream::pos_type(-1) && stream.seekg(0, std::ios::end)) {
    const auto end = stream.tellg();
    stream.seekg(start);
    if (end != std::istream::pos_type(-1) && end > start) {
      // The whole rest in one read, into its final place.
      const auto expected = static_cast<size_t>(end - start);
      s.Reserve(expected);
      stream.read(reinterpret_cast<char*>(s.FBytes.get()), static_cast<std::streamsize>(expected));
      size = static_cast<size_t>(stream.gcount());
    }
  }
  stream.clear();
  // Whatever the stream still holds (all of it when it could not tell its size).
  char chunk[1 << 16];
  while (stream.read(chunk, sizeof chunk) || stream.gcount() > 0) {
    const auto n = static_cast<size_t>(stream.gcount());
    if (size + n + 4 > s.FCapacity) {
      s.FSize = size;
      s.Reserve(std::max(size + n, 2 * size));
    }
    std::memcpy(s.FBytes.get() + size, chunk, n);
    size += n;
  }
  s.SetSize(size);
  return s;
}

// --- TdxfReader ---

TdxfReader::TdxfReader(const uint8_t* data, size_t size)
    : FStart(data), FLimit(data + size), FPos(data), FPrev(data), FValueStartPos(data) {
  FValue.reserve(63);
}

void TdxfReader::ResetPair() {
  FCode = 0;
  FInt = 0;
  FInt64 = 0;
  FDouble = 0.0;
  FHandle = 0;
  FValue.clear();
  FValueSize = 0;
  FPendingText = TdxfPending::None;
  FEndPair = false;
}

void TdxfReader::SetEndPair() {
  ResetPair();
  FPos = FPrev = FValueStartPos = FLimit;
  FValueSize = -1;
  FValue = "SEQEND";
  FEndPair = true;
}

void TdxfReader::Next() {
  if (StopRequested()) FPos = FLimit;
  if (FPos >= FLimit) {
    SetEndPair();
    return;
  }
  ResetPair();
  FPrev = FPos;
  while (FPos < FLimit && *FPos == ' ') ++FPos;
  FCode = ScanDXFInt(FPos, FLimit);
  if (FPos < FLimit && *FPos == '\r') ++FPos;
  if (FPos < FLimit && *FPos == '\n') ++FPos;
  if (FLine < INT32_MAX) ++FLine;
  FValueStartPos = FPos;
  if (FPos >= FLimit) return;  // a code line without its value line: the value is empty
  while (FPos < FLimit && *FPos == ' ') ++FPos;
  switch (DXFValueKind(FCode)) {
    case vkInteger: FInt = ScanDXFInt(FPos, FLimit); break;
    case vkReal: FDouble = ScanDXFReal(FPos, FLimit); break;
    case vkHandle: FHandle = ScanDXFHex(FPos, FLimit); break;
    default: SkipDXFLine(FPos, FLimit); break;
  }
  FValueSize = FPos - FValueStartPos;
  // the value's line end, and any blank lines after it
  while (FPos < FLimit && (*FPos == '\r' || *FPos == '\n')) ++FPos;
  if (FLine < INT32_MAX) ++FLine;
}

int TdxfReader::IntValue() {
  if (DXFValueKind(FCode) != vkInteger) FInt = DXFStrToInt(UValue());
  return FInt;
}

int64_t TdxfReader::Int64Value() {
  if (DXFValueKind(FCode) == vkInteger) return FInt;
  return DXFStrToInt64(UValue());
}

double TdxfReader::FloatValue() {
  if (DXFValueKind(FCode) != vkReal) FDouble = DXFStrToFloat(UValue());
  return FDouble;
}

uint64_t TdxfReader::HandleValue() {
  if (DXFValueKind(FCode) != vkHandle) FHandle = DXFStrToHandle(UValue());
  return FHandle;
}

std::string TdxfReader::RawValue() const {
  if (FValueSize >= 0)
    return std::string(reinterpret_cast<const char*>(FValueStartPos), static_cast<size_t>(FValueSize));
  char buf[40];
  std::to_chars_result r{buf, std::errc()};
  switch (FPendingText) {
    case TdxfPending::None: return FValue;
    case TdxfPending::Int: r = std::to_chars(buf, buf + sizeof buf, FInt); break;
    case TdxfPending::Int64: r = std::to_chars(buf, buf + sizeof buf, FInt64); break;
    case TdxfPending::Double: r = std::to_chars(buf, buf + sizeof buf, FDouble); break;
  }
  return std::string(buf, r.ptr);
}

const std::string& TdxfReader::Value() {
  if (FValueSize >= 0 || FPendingText != TdxfPending::None) {
    FValue = RawValue();
    FValueSize = -1;
    FPendingText = TdxfPending::None;
  }
  return FValue;
}

namespace {

bool IsAsciiText(const std::string& s) {
  for (char c : s)
    if (static_cast<uint8_t>(c) >= 0x80) return false;
  return true;
}

}  // namespace

std::string TdxfReader::StrValue() {
  const std::string& raw = Value();
  // Nearly every value is plain ASCII, which reads the same in UTF-8 and in every code page
  // built on ASCII: no decoder needs to run.
  if (IsAsciiText(raw)) {
    if (FUnicodeText) return raw;
    const int cp = FCodePage == cpDefault ? DefaultCodePage() : FCodePage;
    if (cp != cpUTF16LE && cp != 1201) return raw;
  }
  if (FUnicodeText) return ValidUTF8(raw);
  return CodePageToUTF8(raw, FCodePage);
}

std::string TdxfReader::UValue() {
  std::string s = StrValue();
  if (s.find('\\') == std::string::npos) return s;
  return ExpandDXFEscapes(s);
}

bool TdxfReader::Eof() const {
  if (FPos >= FLimit || StopRequested()) return true;
  return FValueSize == 3 && std::memcmp(FValueStartPos, "EOF", 3) == 0;
}

std::string TdxfReader::ReadErrorMessage(std::string_view cause) const {
  return DXFReadErrorMessage(FLine, RawValue(), cause);
}

}  // namespace vx
