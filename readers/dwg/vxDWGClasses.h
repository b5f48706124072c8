// vxDWGClasses: the class list of a DWG R13+ file: custom class numbers (500 and up) to the type
// codes of the object readers, and AcDb class names to class numbers.
#pragma once

#include "readers/dwg/stream/vxDWGStreams.h"

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace vx {

constexpr int cnstDWGProxyEntityCode = 83;

// The type code of a class's DXF record name (case-insensitive), 0 when the name has no reader.
int DWGClassCode(std::string_view dxfName);

struct TdwgClass {
  int Number = 0;
  std::string AppName, CppName, DxfName;
  unsigned ItemClassId = 0;  // 0x1F2 entities, 0x1F3 objects
  int Code = 0;
};

class TdwgClasses {
 public:
  // Reads the classes section. A section without its sentinel or with an implausible size is
  // ignored; a 2010+ section with a non-zero high size raises EdwgError "Unexpected error has
  // occurred while DWG file decompressing".
  void Read(TvxBitCursor section, TvxDWGVersion version, uint8_t maintenance, int codePage);

  // The type code of class number (500 and up), 0 when none.
  int CodeOf(unsigned number) const {
    return number >= 500 && number - 500 < FCodes.size() ? FCodes[number - 500] : 0;
  }
  // The class number of an AcDb class name (case-insensitive), -1 when absent.
  int NumberOf(const std::string& cppName) const;
  const std::vector<TdwgClass>& List() const { return FList; }

 private:
  std::vector<int> FCodes;
  std::map<std::string, int> FByName;  // upper-cased AcDb class name -> number
  std::vector<TdwgClass> FList;
};

}  // namespace vx
