// TvxDWGBits: the self-contained bit reader and its version classes.
#include "readers/dwg/stream/vxDWGBits.h"

#include <algorithm>

namespace vx {

double JulianToDateTime(const TvxJulianTimeStamp& t) {
  if (t.Day == 0) return 0;
  // Julian day 2415019 is 1899-12-30, day 0 of the date-time values.
  return double(int64_t(t.Day) - 2415019) + t.MilliSeconds / 86400000.0;
}

TvxDWGBits::TvxDWGBits(uint64_t size, bool sizeInBytes) {
  const uint64_t bytes = sizeInBytes ? size : (size + 7) / 8;
  FOwned.assign(size_t(bytes) + FAllocBlock, 0);
  FData = FOwned.data();
  FBitSize = sizeInBytes ? size * 8 : size;
}

TvxDWGBits::TvxDWGBits(const uint8_t* memory, size_t size) {
  FData = memory;
  FBitSize = memory ? uint64_t(size) * 8 : 0;
}

std::unique_ptr<TvxDWGBits> TvxDWGBits::CreateFromMemory(const uint8_t* memory, size_t size) {
  return std::make_unique<TvxDWGBits>(memory, size);
}

namespace {

// Offset of the first occurrence of what in [p, p + size), or size when absent.
size_t FindBytes(const uint8_t* p, size_t size, const std::vector<uint8_t>& what) {
  if (what.empty() || what.size() > size) return size;
  const uint8_t* end = p + size - what.size() + 1;
  for (const uint8_t* q = p; (q = static_cast<const uint8_t*>(std::memchr(q, what[0], size_t(end - q))));
       ++q) {
    if (std::memcmp(q, what.data(), what.size()) == 0) return size_t(q - p);
    if (q + 1 >= end) break;
  }
  return size;
}

}  // namespace

std::unique_ptr<TvxDWGBits> TvxDWGBits::CreateFromMemoryAndSentinel(
    const uint8_t* memory, size_t size, const std::vector<uint8_t>& beginSentinel,
    const std::vector<uint8_t>& endSentinel) {
  if (beginSentinel.empty()) throw EDWGBitsError("Begin sentinel cannot be empty");
  if (!memory) throw EDWGBitsError("Byte array access error");
  const size_t at = FindBytes(memory, size, beginSentinel);
  if (at == size) throw EDWGBitsError("Begin sentinel cannot be found");
  const size_t start = at + beginSentinel.size();
  size_t length = size - start;
  if (!endSentinel.empty()) {
    const size_t e = FindBytes(memory + start, length, endSentinel);
    if (e == length) throw EDWGBitsError("End sentinel cannot be found");
    length = e;
  }
  auto bits = std::make_unique<TvxDWGBits>(memory + start, length);
  bits->FBeginSentinel = beginSentinel;
  bits->FEndSentinel = endSentinel;
  return bits;
}

std::unique_ptr<TvxDWGBits> TvxDWGBits::CreateFromDWGObjectData(const uint8_t* objData, size_t available) {
  if (!objData) throw EDWGBitsError("Byte array access error");
  TvxBitCursor c(objData, available);
  const uint32_t ms = vx::ReadMS(c);
  const size_t msBytes = size_t(c.Pos / 8);
  if (c.Failed || uint64_t(ms) + msBytes + 2 > available) throw EDWGBitsError("Byte array access error");
  const size_t size = ms + msBytes + 2;
  const uint16_t stored = uint16_t(objData[size - 2] | (objData[size - 1] << 8));
  if (DWGCrc16(cnstDWGCrcSeed, objData, size - 2) != stored) throw EDWGBitsError(cnstCRCMismatch);
  auto bits = std::make_unique<TvxDWGBits>(objData, size);
  bits->FPos = uint64_t(msBytes) * 8;
  return bits;
}

void TvxDWGBits::RequireData() const {
  if (!FData) throw EDWGBitsError("Byte array access error");
}

void TvxDWGBits::SetPosition(uint64_t bits) {
  if (bits <= FBitSize) FPos = bits;
}

void TvxDWGBits::SeekInBits(int64_t offset, TvxSeekOrigin origin) {
  int64_t base = 0;
  if (origin == soCurrent) base = int64_t(FPos);
  else if (origin == soEnd) base = int64_t(FBitSize);
  const int64_t target = base + offset;
  if (target < 0 || uint64_t(target) > FBitSize) return;
  FPos = uint64_t(target);
}

void TvxDWGBits::GotoFirstBit() {
  const uint64_t next = (FPos + 7) & ~uint64_t(7);
  FPos = next <= FBitSize ? next : LastBit();
}

unsigned TvxDWGBits::ReadBit() { RequireData(); return Run([](TvxBitCursor& c) { return vx::ReadBit(c); }); }
unsigned TvxDWGBits::ReadBB() { RequireData(); return Run([](TvxBitCursor& c) { return vx::ReadBB(c); }); }
uint8_t TvxDWGBits::ReadRC() { RequireData(); return Run([](TvxBitCursor& c) { return vx::ReadRC(c); }); }
uint16_t TvxDWGBits::ReadRS() { RequireData(); return Run([](TvxBitCursor& c) { return vx::ReadRS(c); }); }
uint32_t TvxDWGBits::ReadRL() { RequireData(); return Run([](TvxBitCursor& c) { return vx::ReadRL(c); }); }
double TvxDWGBits::ReadRD() { RequireData(); return Run([](TvxBitCursor& c) { return vx::ReadRD(c); }); }
TFPoint TvxDWGBits::Read2RD() { RequireData(); return Run([](TvxBitCursor& c) { return vx::Read2RD(c); }); }
TFPoint TvxDWGBits::Read3RD() { RequireData(); return Run([](TvxBitCursor& c) { return vx::Read3RD(c); }); }
uint16_t TvxDWGBits::ReadBS() { RequireData(); return Run([](TvxBitCursor& c) { return vx::ReadBS(c); }); }
uint32_t TvxDWGBits::ReadBL() { RequireData(); return Run([](TvxBitCursor& c) { return vx::ReadBL(c); }); }
double TvxDWGBits::ReadBD() { RequireData(); return Run([](TvxBitCursor& c) { return vx::ReadBD(c); }); }
TFPoint TvxDWGBits::Read2BD() { RequireData(); return Run([](TvxBitCursor& c) { return vx::Read2BD(c); }); }
TFPoint TvxDWGBits::Read3BD() { RequireData(); return Run([](TvxBitCursor& c) { return vx::Read3BD(c); }); }
int64_t TvxDWGBits::ReadMC() { RequireData(); return Run([](TvxBitCursor& c) { return vx::ReadMC(c); }); }
uint32_t TvxDWGBits::ReadMS() { RequireData(); return Run([](TvxBitCursor& c) { return vx::ReadMS(c); }); }
uint16_t TvxDWGBits::ReadCRC8() { return ReadRS(); }

double TvxDWGBits::ReadDD(double def) {
  RequireData();
  return Run([def](TvxBitCursor& c) { return vx::ReadDD(c, def); });
}
double TvxDWGBits::ReadBT() {
  RequireData();
  const TvxDWGVersion v = Version();
  return Run([v](TvxBitCursor& c) { return vx::ReadBT(c, v); });
}
TFPoint TvxDWGBits::ReadBE() {
  RequireData();
  const TvxDWGVersion v = Version();
  return Run([v](TvxBitCursor& c) { return vx::ReadBE(c, v); });
}
unsigned TvxDWGBits::ReadOT() {
  RequireData();
  const TvxDWGVersion v = Version();
  return Run([v](TvxBitCursor& c) { return vx::ReadOT(c, v); });
}
TdwgHandleRef TvxDWGBits::ReadHandle(uint64_t reference) {
  RequireData();
  return Run([reference](TvxBitCursor& c) { return vx::ReadHandle(c, reference); });
}

TdwgTextCoding TvxDWGBits::Coding(int codePage, bool unicode) const {
  TdwgTextCoding t;
  t.Unicode = unicode;
  t.CodePage = codePage;
  return t;
}

TvxColorCAD TvxDWGBits::ReadCMC(int codePage) {
  RequireData();
  const TvxDWGVersion v = Version();
  const TdwgTextCoding t = Coding(codePage, false);
  return Run([&](TvxBitCursor& c) { return vx::ReadCMC(c, c, v, t); });
}

TvxColorCAD TvxDWGBits::ReadENCSection(int codePage, uint16_t& flags) {
  RequireData();
  const TvxDWGVersion v = Version();
  const TdwgTextCoding t = Coding(codePage, false);
  return Run([&](TvxBitCursor& c) { return vx::ReadENC(c, c, v, t, flags); });
}

void TvxDWGBits::ReadBytes(uint8_t* buffer, size_t count) {
  RequireData();
  Run([&](TvxBitCursor& c) {
    if (!ReadDWGBytes(c, buffer, count)) std::fill(buffer, buffer + count, uint8_t(0));
    return 0;
  });
}

uint64_t TvxDWGBits::ReadBytesHandle(unsigned count) {
  RequireData();
  return Run([count](TvxBitCursor& c) {
    uint64_t v = 0;
    for (unsigned i = 0; i < count; ++i) v = (v << 8) | vx::ReadRC(c);
    return c.Failed ? uint64_t(0) : v;
  });
}

TvxJulianTimeStamp TvxDWGBits::ReadJulianDateIntAsTimeStamp(bool readMilliSeconds, bool readBL) {
  TvxJulianTimeStamp t;
  t.Day = readBL ? ReadBL() : ReadRL();
  if (readMilliSeconds) t.MilliSeconds = readBL ? ReadBL() : ReadRL();
  return t;
}

double TvxDWGBits::ReadJulianDateIntAsDateTime(bool readBL) {
  return JulianToDateTime(ReadJulianDateIntAsTimeStamp(true, readBL));
}

std::string TvxDWGBits::ReadT(int codePage) {
  RequireData();
  const TdwgTextCoding t = Coding(codePage, false);
  return Run([&](TvxBitCursor& c) { return vx::ReadTV(c, t); });
}

std::string TvxDWGBits::ReadAppInfoText(int codePage) {
  RequireData();
  const TdwgTextCoding t = Coding(codePage, false);
  return Run([&](TvxBitCursor& c) { return ReadTextRS(c, t); });
}

std::string TvxDWGBits::ReadSummaryInfoText(int codePage) { return ReadAppInfoText(codePage); }

std::string TvxDWG2007Bits::ReadSummaryInfoText(int codePage) {
  RequireData();
  const TdwgTextCoding t = Coding(codePage, true);
  return Run([&](TvxBitCursor& c) { return ReadTextRS(c, t); });
}

std::string TvxDWGBits::ReadFileDepListText(int codePage) {
  RequireData();
  const TdwgTextCoding t = Coding(codePage, false);
  return Run([&](TvxBitCursor& c) { return ReadTextRL(c, t); });
}

std::string TvxDWGBits::ReadXRecordText(int codePage, bool conversionFlag) {
  RequireData();
  return Run([&](TvxBitCursor& c) {
    unsigned n, index;
    if (conversionFlag) {
      n = vx::ReadRC(c);
      index = vx::ReadRS(c) & 0xFF;
    } else {
      n = vx::ReadRS(c);
      index = vx::ReadRC(c);
    }
    return ReadTextChars(c, n, Coding(DWGCodePage(index, codePage), false));
  });
}

std::unique_ptr<TvxDWGBits> CreateDWGBits(TvxDWGVersion version, const uint8_t* memory, size_t size) {
  switch (version) {
    case acR2000: return std::make_unique<TvxDWGBits>(memory, size);
    case acR2004: return std::make_unique<TvxDWG2004Bits>(memory, size);
    case acR2007: return std::make_unique<TvxDWG2007Bits>(memory, size);
    case acR2010:
    case acR2013: return std::make_unique<TvxDWG2010Bits>(memory, size);
    default: return nullptr;
  }
}

}  // namespace vx
