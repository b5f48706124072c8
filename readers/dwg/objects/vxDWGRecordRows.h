// vxDWGRecordRows: record fields as rows.
//
// A record's own data is a list of rows in stream order: the bit code, the versions that store
// the field, and the DXF group code whose slot receives the value (the slot the record's commit
// reads, as the DXF reader's records do). Rows may be conditional on the record's data flags, may
// default to another slot's value (DD codes and absent fields), and convert radians to degrees.
// Where the encoding itself is irregular (counted lists, a field that selects the next ones) the
// row calls a hook of the record reader.
#pragma once

#include "readers/dwg/vxDWGFields.h"

#include <array>
#include <span>
#include <string>
#include <vector>

namespace vx {

class TdwgObject;
class TdwgReader;

// The values of one record by DXF group code.
struct TdwgSlots {
  std::array<TFPoint, 10> Points{};  // 10..19 (X, and Y/Z from the 20s and 30s)
  std::array<double, 20> Floats{};   // 40..59
  std::array<int64_t, 20> Ints{};    // 60..79
  std::array<int64_t, 10> Longs{};   // 90..99
  std::array<std::string, 10> Texts;  // 0..9
  double Thickness = 0;               // 39
  double Elevation = 0;               // 38
  TFPoint Extrusion{0, 0, 1};         // 210
  std::array<uint64_t, 10> Refs{};    // 340..349
  std::array<double, 10> Floats140{}; // 140..149
  std::array<int64_t, 10> Ints170{};  // 170..179
  std::array<int64_t, 20> Ints270{};  // 270..289
  std::array<int64_t, 10> Ints370{};  // 370..379
  std::array<TvxColorCAD, 4> Colors;  // 62, 176, 177, 178
  uint32_t Cond = 0;                  // the data flags conditional rows test

  // The value slot of a group code as a double (reals and integers), 0 for unknown codes.
  double Real(int group) const;
};

using TdwgHook = void (*)(TdwgObject& obj, TdwgReader& r, TdwgStreams& s);

enum TdwgRowFlags : uint8_t {
  rfNone = 0,
  rfDegrees = 1,   // radians in the file, degrees in the slot
  rfCond = 2,      // the value becomes the record's data flags
  rfXY = 4,        // a point code writes X and Y only
};

struct TdwgFieldRow {
  TdwgCode Code;
  TdwgVersions Versions = dvAll;
  int16_t Group = 0;    // destination slot; 0: read and dropped
  int16_t Default = 0;  // for DD codes and absent fields: the slot whose value is the default
  uint16_t IfSet = 0;   // present only when Cond has one of these bits
  uint16_t IfClear = 0; // present only when Cond has none of these bits
  uint8_t Flags = rfNone;
  TdwgHook Hook = nullptr;  // irregular encodings: called instead of reading Code
};

// Walks the rows for the stream's version.
void ReadDWGRows(TdwgObject& obj, TdwgReader& r, TdwgStreams& s, std::span<const TdwgFieldRow> rows);

// Stores a value into the slot of a group code.
void StoreDWGSlot(TdwgSlots& slots, int group, TdwgCode code, const TdwgValue& v);

}  // namespace vx
