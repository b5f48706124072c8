// vxDWGBits: TvxDWGBits, the self-contained bit reader over one section or object.
//
// It reads the same codes as the cursor functions of vxDWGCursor.h and gives the same values for
// the same bits; it keeps its own position and never moves past its data: a read that does not
// fit returns a neutral value and leaves the position on the last bit (the last byte, bit 7).
// TvxDWG2004Bits, TvxDWG2007Bits and TvxDWG2010Bits report their versions; they differ only in
// ReadSummaryInfoText (UTF-16 characters from 2007 on). CreateDWGBits picks the class of a version.
#pragma once

#include "readers/dwg/stream/vxDWGColors.h"
#include "readers/dwg/stream/vxDWGErrors.h"

#include <memory>
#include <string>
#include <vector>

namespace vx {

enum class TvxSeekOrigin : uint8_t { soBeginning, soCurrent, soEnd };
using enum TvxSeekOrigin;

// A Julian day and the milliseconds into it.
struct TvxJulianTimeStamp {
  uint32_t Day = 0;
  uint32_t MilliSeconds = 0;
};
// Days since 1899-12-30 (0 for day 0).
double JulianToDateTime(const TvxJulianTimeStamp& t);

class TvxDWGBits {
 public:
  // An owned, zeroed buffer of size bytes (sizeInBytes) or bits, plus the growth step.
  TvxDWGBits(uint64_t size, bool sizeInBytes);
  // Wraps caller memory of size bytes (not owned), position 0.
  TvxDWGBits(const uint8_t* memory, size_t size);
  virtual ~TvxDWGBits() = default;
  TvxDWGBits(const TvxDWGBits&) = delete;
  TvxDWGBits& operator=(const TvxDWGBits&) = delete;

  // Wraps caller memory (not owned), position 0.
  static std::unique_ptr<TvxDWGBits> CreateFromMemory(const uint8_t* memory, size_t size);
  // Data starts just after the begin sentinel and, with an end sentinel, ends before it. Raises
  // EDWGBitsError "Begin sentinel cannot be empty", "Begin sentinel cannot be found", "End
  // sentinel cannot be found".
  static std::unique_ptr<TvxDWGBits> CreateFromMemoryAndSentinel(
      const uint8_t* memory, size_t size, const std::vector<uint8_t>& beginSentinel,
      const std::vector<uint8_t>& endSentinel = {});
  // The object at objData (available bytes from there): MS size, data, RS CRC. Raises
  // EDWGBitsError "CRC does not match"; the position is then just after the MS.
  static std::unique_ptr<TvxDWGBits> CreateFromDWGObjectData(const uint8_t* objData, size_t available);

  virtual TvxDWGVersion Version() const { return acR2000; }

  uint64_t GetPosition() const { return FPos; }
  void SetPosition(uint64_t bits);
  // Moves by offset bits (or bytes) from the origin; a target before the start or past the data
  // is ignored.
  void SeekInBits(int64_t offset, TvxSeekOrigin origin);
  void Seek(int64_t offset, TvxSeekOrigin origin) { SeekInBits(offset, origin); }
  void SeekInBytes(int64_t offset, TvxSeekOrigin origin) { SeekInBits(offset * 8, origin); }
  // Moves to the first bit of the next byte unless already on one.
  void GotoFirstBit();
  uint64_t BitSize() const { return FBitSize; }
  size_t GetSize() const { return size_t((FBitSize + 7) / 8); }
  const uint8_t* GetData() const { return FData; }
  const std::vector<uint8_t>& BeginSentinel() const { return FBeginSentinel; }
  const std::vector<uint8_t>& EndSentinel() const { return FEndSentinel; }

  unsigned ReadBit();
  unsigned ReadBB();
  uint8_t ReadRC();
  uint16_t ReadRS();
  uint32_t ReadRL();
  double ReadRD();
  TFPoint Read2RD();
  TFPoint Read3RD();
  uint16_t ReadBS();
  uint32_t ReadBL();
  double ReadBD();
  TFPoint Read2BD();
  TFPoint Read3BD();
  double ReadDD(double def);
  double ReadBT();
  TFPoint ReadBE();
  unsigned ReadOT();
  int64_t ReadMC();
  uint32_t ReadMS();
  TdwgHandleRef ReadHandle(uint64_t reference);
  TvxColorCAD ReadCMC(int codePage);
  TvxColorCAD ReadENCSection(int codePage, uint16_t& flags);
  uint16_t ReadCRC8();
  // count RC values.
  void ReadBytes(uint8_t* buffer, size_t count);
  // count bytes as a big-endian number.
  uint64_t ReadBytesHandle(unsigned count);
  // Day, then (when readMilliSeconds) milliseconds, each an RL or (readBL) a BL.
  TvxJulianTimeStamp ReadJulianDateIntAsTimeStamp(bool readMilliSeconds, bool readBL);
  double ReadJulianDateIntAsDateTime(bool readBL = false);

  // Texts in the code page given: ReadT and ReadTV take a BS length, ReadAppInfoText and
  // ReadSummaryInfoText an RS length, ReadFileDepListText an RL length. ReadXRecordText takes an
  // RS length and an RC code-page index, or (conversionFlag) an RC length and an RS whose low
  // byte is the code-page index.
  std::string ReadT(int codePage);
  std::string ReadTV(int codePage) { return ReadT(codePage); }
  std::string ReadAppInfoText(int codePage);
  virtual std::string ReadSummaryInfoText(int codePage);
  std::string ReadFileDepListText(int codePage);
  std::string ReadXRecordText(int codePage, bool conversionFlag = false);

 protected:
  // Runs a cursor read at the position; a read that failed leaves the position on the last bit.
  template <class F>
  auto Run(F&& read) {
    TvxBitCursor c(FData, 0);
    c.End = FBitSize;
    c.Pos = FPos;
    auto v = read(c);
    if (!c.Failed) {
      FPos = c.Pos;
      return v;
    }
    FPos = LastBit();
    return decltype(v){};
  }
  uint64_t LastBit() const { return FBitSize ? ((FBitSize - 1) | 7) : 0; }
  TdwgTextCoding Coding(int codePage, bool unicode) const;
  void RequireData() const;

  uint32_t FAllocBlock = 250;
  const uint8_t* FData = nullptr;
  uint64_t FBitSize = 0;
  uint64_t FPos = 0;
  std::vector<uint8_t> FOwned;  // the buffer when owned
  std::vector<uint8_t> FBeginSentinel, FEndSentinel;
};

class TvxDWG2004Bits : public TvxDWGBits {
 public:
  using TvxDWGBits::TvxDWGBits;
  TvxDWGVersion Version() const override { return acR2004; }
};

class TvxDWG2007Bits : public TvxDWG2004Bits {
 public:
  using TvxDWG2004Bits::TvxDWG2004Bits;
  TvxDWGVersion Version() const override { return acR2007; }
  std::string ReadSummaryInfoText(int codePage) override;
};

class TvxDWG2010Bits : public TvxDWG2007Bits {
 public:
  using TvxDWG2007Bits::TvxDWG2007Bits;
  TvxDWGVersion Version() const override { return acR2010; }
};

// A reader of the version's class over caller memory: acR2000 TvxDWGBits, acR2004 TvxDWG2004Bits,
// acR2007 TvxDWG2007Bits, acR2010 and acR2013 TvxDWG2010Bits; nil for other versions.
std::unique_ptr<TvxDWGBits> CreateDWGBits(TvxDWGVersion version, const uint8_t* memory, size_t size);

}  // namespace vx
