// Colour codes of DWG files.
#include "readers/dwg/stream/vxDWGColors.h"

namespace vx {

namespace {

TvxColorCAD IndexColor(uint32_t index) { return MakeColorCAD(acIndexColor, index & 0x1FF); }

// The ENC decoding of a flags word whose extra values follow on c.
TvxColorCAD DecodeENC(TvxBitCursor& c, uint16_t flags) {
  TvxColorCAD color;
  if (int16_t(flags) < -0x4000) color = DWGColorOfValue(ReadBL(c));
  else color = IndexColor(flags);
  if (flags & cnstENCHasTransparency) ReadBL(c);
  return color;
}

}  // namespace

TvxColorCAD DWGColorOfValue(uint32_t value) {
  switch (value >> 24) {
    case 0xC1: return cnstColorCADByBlock();
    case 0xC2: {
      const uint32_t r = (value >> 16) & 0xFF, g = (value >> 8) & 0xFF, b = value & 0xFF;
      return MakeColorCAD(acRGBColor, r | (g << 8) | (b << 16));
    }
    case 0xC3: return IndexColor(value & 0xFF);
    default: return cnstColorCADByLayer();
  }
}

TvxColorCAD ReadCMC(TvxBitCursor& c, TvxBitCursor& names, TvxDWGVersion v,
                    const TdwgTextCoding& coding) {
  const uint16_t index = ReadBS(c);
  if (v < acR2004) return IndexColor(index);
  if (index != 0) return DecodeENC(c, index);
  TvxColorCAD color = DWGColorOfValue(ReadBL(c));
  const uint8_t flags = ReadRC(c);
  if (flags & 1) color.AlbumString = ReadTV(names, coding);
  if (flags & 2) ReadTV(names, coding);  // the book name is not kept
  return color;
}

TvxColorCAD ReadENC(TvxBitCursor& c, TvxBitCursor& names, TvxDWGVersion v,
                    const TdwgTextCoding& coding, uint16_t& flags) {
  if (v < acR2004) {
    flags = 0;  // an index, not a flags word: no named colour, no transparency
    return IndexColor(ReadBS(c));
  }
  flags = ReadBS(c);
  return DecodeENC(c, flags);
}

}  // namespace vx
