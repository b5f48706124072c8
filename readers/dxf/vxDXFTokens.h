// vxDXFTokens: the token level of the DXF reader. Turns the in-memory copy of a text or binary DXF
// file into a stream of group pairs (group code, value) for the record readers.
//
//  - TdxfSource: the copy of the file, followed by the bytes CR, LF, 0, 0 that are not counted.
//  - DXFValueKind / DXFBinaryLayout: what value a group code carries in text and in binary files.
//  - TdxfReader: the text tokenizer; TdxfBinReader: the binary one (1- or 2-byte group codes).
//  - EdxfReadError: the reader's own exception, with the line-number wrapping of read errors.
//
// Tokenizers scan the buffer in place with a moving pointer that never passes the end of data;
// numbers are parsed straight from the bytes and strings are built only when asked for. At the end
// of data (or once StopLoading was called) every further Next gives the pair 0 "SEQEND", which
// closes any open record. The token level knows nothing of the drawing database: the record layer
// sets the code page and the text encoding as it reads the header, and wires progress and stop.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <iosfwd>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace vx {

// Value kinds of the text format (bit values as stored in the kind table).
enum TdxfValueKind : uint8_t { vkNone = 0, vkInteger = 1, vkReal = 2, vkString = 4, vkHandle = 8 };

// Kind of a text group code; codes outside -5..1071 read as vkNone (raw text).
TdxfValueKind DXFValueKind(int code);

// Value layout of a binary group code.
enum class TdxfBinLayout : uint8_t {
  blString,   // bytes up to a zero byte
  blDouble,   // 8-byte IEEE double
  blInt16,    // 2-byte signed
  blInt32,    // 4-byte signed
  blInt64,    // 8-byte signed (codes 160..169)
  blByte,     // 1 byte, 0..255
  blChunk,    // 1 length byte n, then n bytes; delivered as 2n upper-case hexadecimal digits
  blIllegal,  // not a group code (above 1071)
};

// Layout of a binary group code (0..65535). Codes up to 1071 that have no numeric layout are
// zero-terminated strings.
TdxfBinLayout DXFBinaryLayout(int code);

// The reader's exception: structural errors of the file, and any failure while reading records
// once it is wrapped with the line number (see TdxfReader::ReadErrorMessage).
class EdxfReadError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// "DXF read error on line %d: %s\r\n%s" with the line, the raw value and the cause.
std::string DXFReadErrorMessage(int line, std::string_view value, std::string_view cause);
// "Illegal group code %d at %.8x".
std::string DXFIllegalCodeMessage(int code, uint64_t offset);

// The in-memory copy of a DXF file: Size() bytes of data followed by CR, LF, 0, 0.
class TdxfSource {
 public:
  TdxfSource() { Assign(nullptr, 0); }
  TdxfSource(const TdxfSource& other) { Assign(other.Data(), other.Size()); }
  TdxfSource(TdxfSource&&) noexcept = default;
  TdxfSource& operator=(const TdxfSource& other) {
    if (this != &other) Assign(other.Data(), other.Size());
    return *this;
  }
  TdxfSource& operator=(TdxfSource&&) noexcept = default;

  // Copies every byte from the stream's current position to its end, straight into the buffer
  // when the stream can tell its size.
  static TdxfSource FromStream(std::istream& stream);
  static TdxfSource FromBytes(const void* data, size_t size);

  const uint8_t* Data() const { return FBytes.get(); }
  size_t Size() const { return FSize; }
  const uint8_t* Limit() const { return FBytes.get() + FSize; }

 private:
  void Assign(const void* data, size_t size);
  // Room for at least size bytes and the four behind them, keeping the first FSize bytes.
  // New bytes are left uninitialised: the file overwrites them at once, and clearing a buffer
  // of the file's size first would cost as much as the copy.
  void Reserve(size_t size);
  // Size() := size, and the four bytes behind the data.
  void SetSize(size_t size);

  std::unique_ptr<uint8_t[]> FBytes;
  size_t FCapacity = 0;  // bytes in FBytes
  size_t FSize = 0;
};

// The text tokenizer, base of the binary one. It reads [data, data + size) and does not own it.
class TdxfReader {
 public:
  // Progress hook: called by ReportProgress with the reader (Position() / Size() give the ratio).
  using TdxfProgressEvent = std::function<void(TdxfReader&)>;

  TdxfReader(const uint8_t* data, size_t size);
  explicit TdxfReader(const TdxfSource& source) : TdxfReader(source.Data(), source.Size()) {}
  virtual ~TdxfReader() = default;
  TdxfReader(const TdxfReader&) = delete;
  TdxfReader& operator=(const TdxfReader&) = delete;

  // Advances to the next pair and parses its value by the code's kind.
  virtual void Next();

  int Code() const { return FCode; }
  virtual int IntValue();
  virtual int64_t Int64Value();
  virtual double FloatValue();
  virtual uint64_t HandleValue();
  // Raw bytes of the current value (cached for the pair).
  const std::string& Value();
  // Value decoded to UTF-8: with the code page, or as UTF-8 for drawings from 2007 on.
  std::string StrValue();
  // StrValue with the "\U+" and "\M+" escapes replaced.
  std::string UValue();

  // End of data: the raw value is "EOF" and was not yet taken as a string, the buffer is consumed,
  // or loading was stopped.
  bool Eof() const;
  // The current pair is the closing 0 "SEQEND" made at the end of data.
  bool AtEndPair() const { return FEndPair; }

  int Line() const { return FLine; }
  uint64_t Position() const { return static_cast<uint64_t>(FPos - FStart); }
  uint64_t PairPosition() const { return static_cast<uint64_t>(FPrev - FStart); }
  uint64_t Size() const { return static_cast<uint64_t>(FLimit - FStart); }
  virtual bool IsBinary() const { return false; }

  // Text decoding: code page (0: the process default) and whether strings are UTF-8.
  int CodePage() const { return FCodePage; }
  void SetCodePage(int codePage) { FCodePage = codePage; }
  bool UnicodeText() const { return FUnicodeText; }
  void SetUnicodeText(bool value) { FUnicodeText = value; }

  // Cooperative stop: the next Next jumps to the end of data. Safe from any thread or callback.
  void StopLoading() { FStopRequested.store(true, std::memory_order_relaxed); }
  bool StopRequested() const { return FStopRequested.load(std::memory_order_relaxed); }
  // Called by the record layer after each record; fires OnProgress, which may call StopLoading.
  void ReportProgress() {
    if (OnProgress) OnProgress(*this);
  }
  TdxfProgressEvent OnProgress;

  // The message of a read failure at the current pair: line, raw value and cause.
  std::string ReadErrorMessage(std::string_view cause) const;

 protected:
  void SetEndPair();
  void ResetPair();
  // Raw text of the current value without touching the cache.
  std::string RawValue() const;

  int32_t FCode = 0;
  const uint8_t* FStart = nullptr;
  const uint8_t* FLimit = nullptr;
  int32_t FLine = 0;
  const uint8_t* FPos = nullptr;
  const uint8_t* FPrev = nullptr;
  std::string FValue;
  int32_t FInt = 0;
  int64_t FInt64 = 0;
  double FDouble = 0.0;
  uint64_t FHandle = 0;
  const uint8_t* FValueStartPos = nullptr;
  ptrdiff_t FValueSize = -1;  // -1 once FValue holds the value
  bool FEndPair = false;
  // A binary numeric value whose text form is built on demand by Value().
  enum class TdxfPending : uint8_t { None, Int, Int64, Double } FPendingText = TdxfPending::None;
  int FCodePage = 0;
  bool FUnicodeText = false;
  std::atomic<bool> FStopRequested{false};
};

// The binary tokenizer over the data that follows the 22-byte signature.
class TdxfBinReader : public TdxfReader {
 public:
  TdxfBinReader(const uint8_t* data, size_t size, int groupCodeSize);
  TdxfBinReader(const TdxfSource& source, int groupCodeSize)
      : TdxfBinReader(source.Data(), source.Size(), groupCodeSize) {}

  // Raises EdxfReadError on a code above 1071 ("Illegal group code %d at %.8x") and on a value
  // cut off by the end of data.
  void Next() override;
  int IntValue() override { return FInt; }
  int64_t Int64Value() override { return FLayout == TdxfBinLayout::blInt64 ? FInt64 : FInt; }
  double FloatValue() override { return FDouble; }
  uint64_t HandleValue() override;
  bool IsBinary() const override { return true; }
  int GroupCodeSize() const { return FGroupCodeSize; }

 private:
  [[noreturn]] void RaiseTruncated();
  bool Has(size_t n) const { return static_cast<size_t>(FLimit - FPos) >= n; }

  int FGroupCodeSize;
  TdxfBinLayout FLayout = TdxfBinLayout::blString;
};

}  // namespace vx
