// vxDWGColors: the colour codes of DWG R13 and later files.
//
//  - CMC (table entries, header, objects): before 2004 a BS colour index; from 2004 a BS index, and
//    for index 0 a BL colour value, an RC of flags and the optional colour and book names.
//  - ENC (entities, from 2004): a BS flags word that announces an RGB colour, a transparency and a
//    handle to a named colour object; before 2004 the same as CMC.
//  - The BL colour value of 2004 and later: method byte 0xC1 by block, 0xC2 RGB, 0xC3 ACI, any
//    other by layer.
// Names are TV texts read from the names cursor (the string stream of 2007+ objects, else the
// data cursor itself).
#pragma once

#include "readers/dwg/stream/vxDWGText.h"

namespace vx {

// Bits of the ENC flags word.
constexpr uint16_t cnstENCHasDbColor = 0x4000;
constexpr uint16_t cnstENCHasTransparency = 0x2000;

TvxColorCAD DWGColorOfValue(uint32_t value);

TvxColorCAD ReadCMC(TvxBitCursor& c, TvxBitCursor& names, TvxDWGVersion v,
                    const TdwgTextCoding& coding);
// flags receives the stored flags word from 2004 on, 0 before (an index is no flags word).
TvxColorCAD ReadENC(TvxBitCursor& c, TvxBitCursor& names, TvxDWGVersion v,
                    const TdwgTextCoding& coding, uint16_t& flags);

}  // namespace vx
