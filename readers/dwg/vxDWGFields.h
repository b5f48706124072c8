// vxDWGFields: the vocabulary of DWG field rows: the bit code of a field and the versions that
// store it. Header variables and record fields are described as rows of these; a version
// difference is a row with its range, not a branch in code.
#pragma once

#include "database/core/DXFConvHeader.h"
#include "readers/dwg/stream/vxDWGStreams.h"

#include <cstdint>
#include <string>

namespace vx {

// How a field is stored. Texts, colours and handles follow the object rules of TdwgStreams
// (string and handle streams from 2007 on).
enum class TdwgCode : uint8_t {
  dcB, dcBB, dcBS, dcBL, dcBLL, dcBD, dcRC, dcRS, dcRL, dcRD, dc2RD, dc2BD, dc3BD, dc3RD,
  dcTV, dcCMC, dcH,
  dcTimeBL,  // two BL: Julian day and milliseconds
  dcHData,   // a handle read from the data stream even when handles have their own stream
  dcHIf3,    // a handle present only when the previous field's value is 3
  dcDD,      // a DD over the default given in the previous value's D
  dc2DD,     // two DD over the default given in the previous value's P (X, Y)
  dc3DD,     // three DD over the default given in the previous value's P
  dcBT,      // thickness
  dcBE,      // extrusion
};
using enum TdwgCode;

// The versions that store a field: From <= version <= To.
struct TdwgVersions {
  TvxDWGVersion From = acR13;
  TvxDWGVersion To = acR2013;
  constexpr bool Has(TvxDWGVersion v) const { return v >= From && v <= To; }
};
inline constexpr TdwgVersions dvAll{acR13, acR2013};
inline constexpr TdwgVersions dvR13R14{acR13, acR14};
inline constexpr TdwgVersions dvR13R2000{acR13, acR2000};
inline constexpr TdwgVersions dvR13R2004{acR13, acR2004};
inline constexpr TdwgVersions dvR2000{acR2000, acR2013};
inline constexpr TdwgVersions dvR2004{acR2004, acR2013};
inline constexpr TdwgVersions dvR2007{acR2007, acR2013};
inline constexpr TdwgVersions dvR2010{acR2010, acR2013};
inline constexpr TdwgVersions dvR2013{acR2013, acR2013};
inline constexpr TdwgVersions dvR14R2004{acR14, acR2004};

// One decoded value; the member the code fills is set.
struct TdwgValue {
  int64_t I = 0;       // B, BB, BS, BL, BLL, RC, RS, RL; the day of a time
  int64_t I2 = 0;      // milliseconds of a time
  double D = 0;        // BD, RD
  TFPoint P{};         // 2RD, 2BD, 3BD, 3RD
  std::string S;       // TV
  TvxColorCAD C;       // CMC
  TdwgHandleRef H;     // handles
  bool Present = true; // false for a conditional field that is not stored
};

// Reads one field of the code. prev is the value of the field before (for dcHIf3).
void ReadDWGField(TdwgStreams& s, TdwgCode code, const TdwgValue& prev, TdwgValue& out);

}  // namespace vx
