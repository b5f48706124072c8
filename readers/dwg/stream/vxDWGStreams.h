// vxDWGStreams: the three streams of one DWG object or section, read by object rules.
//
// From 2007 on an object keeps its texts in a string stream at the end of its data and its handle
// references in a handle stream after the data; before 2007 everything follows on one cursor.
// TdwgStreams holds the three cursors and the rules of the version, so that record readers ask for
// a TV, a colour or a handle without knowing where it lies.
#pragma once

#include "readers/dwg/stream/vxDWGColors.h"

namespace vx {

// The string stream ending at bit e of c: the flag bit at e - 1 says whether strings exist; an RS
// before it (and a second RS when its top bit is set) gives their size. The result starts no
// earlier than lowest; an empty cursor at e when there are no strings; a failed one when the
// sizes do not fit.
TvxBitCursor DWGLocateStrings(const TvxBitCursor& c, uint64_t e, uint64_t lowest);

struct TdwgStreams {
  TvxBitCursor Dat;  // the object's data
  TvxBitCursor Str;  // the string stream (2007 to 2013)
  TvxBitCursor Hnd;  // the handle stream (2007 and later)
  TvxDWGVersion Version = acR2000;
  TdwgTextCoding Coding;
  uint64_t Handle = 0;  // reference of relative handle codes
  bool SplitStrings = false;
  bool SplitHandles = false;

  TvxBitCursor& Texts() { return SplitStrings ? Str : Dat; }
  TvxBitCursor& Handles() { return SplitHandles ? Hnd : Dat; }
  bool Failed() const { return Dat.Failed || (SplitStrings && Str.Failed) || (SplitHandles && Hnd.Failed); }

  std::string TV() { return ReadTV(Texts(), Coding); }
  TdwgHandleRef H() { return ReadHandle(Handles(), Handle); }
  uint64_t HandleValue() { return H().Handle; }
  TvxColorCAD CMC() { return ReadCMC(Dat, Texts(), Version, Coding); }
  TvxColorCAD ENC(uint16_t& flags) { return ReadENC(Dat, Texts(), Version, Coding, flags); }
  double BT() { return ReadBT(Dat, Version); }
  TFPoint BE() { return ReadBE(Dat, Version); }
};

}  // namespace vx
