// DXFConvHeader: the header variables of a drawing (TvxHeadVarStruct) with the defaults a new
// drawing starts from, and the dimension-variable record they carry (TvxDimStyle).
#pragma once

#include "foundation/vxConsts.h"

#include <array>
#include <cstdint>
#include <string>

namespace vx {

// File format versions, ordered: version tests are comparisons.
enum class TvxDWGVersion : uint8_t {
  acR09, acR10, acR11, acR12, acR13, acR14, acR2000, acR2004, acR2007, acR2010, acR2013
};
using enum TvxDWGVersion;

enum class TvxAttributeMode : uint8_t { attDisable, attNormal, attEnable };
using enum TvxAttributeMode;

// The dimension variables shared by the header, the DIMSTYLE table and per-entity overrides.
// Only the defaults the header needs live here; the dimension module extends the record.
struct TvxDimStyle {
  bool Alt = false;
  double AltF = 1.0;
  std::string APost;
  double Asz = 0.18;
  bool Sah = false;
  std::array<uint8_t, 3> Arrows{};  // first, second, leader arrow types
  double Cen = 0.09;
  TvxColorCAD ClrD = cnstColorCADByBlock();
  TvxColorCAD ClrE = cnstColorCADByBlock();
  TvxColorCAD ClrT = cnstColorCADByBlock();
  bool SD1 = false, SD2 = false, SE1 = false, SE2 = false;
  int Dec = 4;
  double Exe = 0.18;
  double Exo = 0.0625;
  double Gap = 0.0625;
  double LFac = 1.0;
  double LwD = -1;
  double LwE = -1;
  std::string Post;
  double Scale = 1.0;
  int Tad = 0;
  bool Tih = true;
  int Tix = 0;
  bool Toh = true;
  double Txt = 0.18;
};

struct TvxHeadVarStruct {
  TvxColorCAD CEColor = cnstColorCADByLayer();
  std::string CLayer = "0";
  std::string CELType = "BYLAYER";
  double CELTScale = 1.0;
  double CELWeight = fLineWeightByLayer;
  int CodePage = 0;
  std::string DimStyle = "STANDARD";
  std::string DimTextStyle = "STANDARD";
  TvxDimStyle DimProps;
  TFPoint ExtMin;
  TFPoint ExtMax;
  std::string TextStyle = "STANDARD";
  double FilletRadius = 0.5;
  int InsUnits = 4;
  double LTScale = 1.0;
  bool Measurement = false;
  int PointDisplayMode = 0;
  double PointDisplaySize = 0.0;
  double TextSize = 0.18;
  int TileMode = 1;
  TFPoint UCSORG;
  TFPoint UCSXDir = cnstXOrtAxis;
  TFPoint UCSYDir = cnstYOrtAxis;
  uint8_t Version = 0;
  TFPoint InsBase;
  TvxAttributeMode AttMode = attNormal;
  uint8_t XClipFrame = 2;
};

}  // namespace vx
