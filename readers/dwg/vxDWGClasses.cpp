// The class list of DWG R13+ files.
#include "readers/dwg/vxDWGClasses.h"

#include "database/core/vxNames.h"
#include "readers/dwg/stream/vxDWGErrors.h"

#include <cstring>

namespace vx {

namespace {

struct TClassRow {
  const char* Name;
  int Code;
};

// DXF record names of classes with a reader of their own.
constexpr TClassRow cnstClassCodes[] = {
    {"LWPOLYLINE", 77}, {"HATCH", 78}, {"LAYOUT", 82}, {"IMAGE", 54}, {"IMAGEDEF", 55},
    {"SORTENTSTABLE", 58}, {"OLE2FRAME", 74}, {"ACAD_TABLE", 84}, {"WIPEOUT", 85},
    {"WIPEOUTVARIABLES", 86}, {"MPOLYGON", 87}, {"SURFACE", 88}, {"PLANESURFACE", 88},
    {"EXTRUDEDSURFACE", 88}, {"LOFTEDSURFACE", 88}, {"NURBSURFACE", 88}, {"REVOLVEDSURFACE", 88},
    {"SWEPTSURFACE", 88}, {"DBCOLOR", 89}, {"TABLESTYLE", 90}, {"RASTERVARIABLES", 91},
    {"PLOTSETTINGS", 92}, {"ACIDBLOCKREFERENCE", 7}, {"DICTIONARYVAR", 93}, {"XRECORD", 79},
    {"MESH", 94}, {"SCALE", 95}, {"MATERIAL", 96},
    {"ACDB_MTEXTATTRIBUTEOBJECTCONTEXTDATA_CLASS", 97}, {"ACDB_TEXTOBJECTCONTEXTDATA_CLASS", 97},
    {"ACDB_LEADEROBJECTCONTEXTDATA_CLASS", 97}, {"ACDB_MTEXTOBJECTCONTEXTDATA_CLASS", 97},
    {"ACDB_ALDIMOBJECTCONTEXTDATA_CLASS", 97}, {"SPATIAL_FILTER", 98},
};

const uint8_t cnstClassesSentinel[16] = {0x8D, 0xA1, 0xC4, 0xB8, 0xC4, 0xA9, 0xF8, 0xC5,
                                         0xC0, 0xDC, 0xF4, 0x5F, 0xE7, 0xCF, 0xB6, 0x8A};

}  // namespace

int DWGClassCode(std::string_view dxfName) {
  for (const TClassRow& row : cnstClassCodes)
    if (SameName(row.Name, dxfName)) return row.Code;
  return 0;
}

int TdwgClasses::NumberOf(const std::string& cppName) const {
  auto it = FByName.find(UpperName(cppName));
  return it == FByName.end() ? -1 : it->second;
}

void TdwgClasses::Read(TvxBitCursor c, TvxDWGVersion version, uint8_t maintenance, int codePage) {
  const uint64_t sectionBits = c.Remaining();
  if (sectionBits < 16 * 8 || std::memcmp(c.Data + c.Pos / 8, cnstClassesSentinel, 16) != 0) return;
  const uint64_t start = c.Pos;
  c.Skip(16 * 8);
  const uint32_t size = ReadRL(c);
  if (size < 20 || uint64_t(size) + 20 > sectionBits / 8) return;
  if (version >= acR2010 && maintenance > 3 && ReadRL(c) != 0) throw EdwgError(cnstDWGDecompressError);
  TdwgStreams s;
  s.Version = version;
  s.Coding = DWGTextCoding(version, codePage, true);
  uint64_t end = start + 20 * 8 + uint64_t(size) * 8;  // the data after the sentinel and the size
  if (version >= acR2007) {
    const uint64_t bitSizeAt = c.Pos;
    const uint32_t bitSize = ReadRL(c);
    const uint64_t e = bitSizeAt + bitSize;
    s.Str = DWGLocateStrings(c, e, c.Pos);
    s.SplitStrings = true;
    if (s.Str.Failed) return;
    end = s.Str.Pos;  // the class records end where their strings begin
  }
  s.Dat = c.Window(c.Pos, end);
  if (version >= acR2004) {
    ReadBS(s.Dat);  // the highest class number
    ReadRC(s.Dat);
    ReadRC(s.Dat);
    ReadBit(s.Dat);
  }
  while (!s.Failed() && s.Dat.Remaining() > 8) {
    TdwgClass k;
    k.Number = ReadBS(s.Dat);
    ReadBS(s.Dat);  // proxy flags
    k.AppName = s.TV();
    k.CppName = s.TV();
    k.DxfName = s.TV();
    ReadBit(s.Dat);  // was a zombie
    k.ItemClassId = ReadBS(s.Dat);
    if (version >= acR2004) {
      const uint8_t five[] = {skBL, skBL, skBL, skBL, skBL};  // instance count and four more
      SkipBySignature(s.Dat, five, 5);
    }
    if (s.Failed()) break;
    if (k.Number < 500) continue;
    k.Code = DWGClassCode(k.DxfName);
    if (k.Code == 0 && k.ItemClassId == 0x1F2) k.Code = cnstDWGProxyEntityCode;
    FList.push_back(k);
    if (k.Code == 0) continue;
    const size_t at = size_t(k.Number - 500);
    if (at >= FCodes.size()) FCodes.resize(at + 1, 0);
    FCodes[at] = k.Code;
    if (k.Code != cnstDWGProxyEntityCode || DWGClassCode(k.DxfName) != 0) FByName[UpperName(k.CppName)] = k.Number;
  }
}

}  // namespace vx
