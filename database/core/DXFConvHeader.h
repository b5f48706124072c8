// DXFConvHeader: the header variables of a drawing (TvxHeadVarStruct) with the defaults a new
// drawing starts from, and the dimension-variable record they carry (TvxDimStyle). Readers name
// the field a header variable fills by TvxHeadField and store it through SetHeadField, so that
// every reader converts a field's value the same way.
#pragma once

#include "foundation/vxConsts.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

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
  // Arrow kinds of DIMBLK, DIMBLK1, DIMBLK2 and DIMLDRBLK (255: a block that is no standard arrow).
  std::array<uint8_t, 4> Arrows{};
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
  // Line weights are drawn; files that do not say draw them.
  bool LwDisplay = true;
};

// The fields of TvxHeadVarStruct that header variables fill, one id per field.
enum class TvxHeadField : uint8_t {
  hvNone,
  hvCEColor, hvCLayer, hvCELType, hvCELTScale, hvCELWeight, hvDimStyle, hvDimTextStyle,
  hvExtMin, hvExtMax, hvTextStyle, hvFilletRadius, hvInsUnits, hvLTScale, hvMeasurement,
  hvPDMode, hvPDSize, hvTextSize, hvTileMode, hvUCSOrg, hvUCSXDir, hvUCSYDir, hvInsBase,
  hvAttMode, hvXClipFrame, hvLwDisplay,
  // DimProps
  hvDimAlt, hvDimAltF, hvDimAPost, hvDimAsz, hvDimSah, hvDimBlk, hvDimBlk1, hvDimBlk2,
  hvDimLdrBlk, hvDimCen, hvDimClrD, hvDimClrE, hvDimClrT, hvDimSD1, hvDimSD2, hvDimSE1,
  hvDimSE2, hvDimDec, hvDimExe, hvDimExo, hvDimGap, hvDimLFac, hvDimLwD, hvDimLwE, hvDimPost,
  hvDimScale, hvDimTad, hvDimTih, hvDimTix, hvDimToh, hvDimTxt,
  hvCount
};
using enum TvxHeadField;

// A header value as a reader decoded it; each field takes the member of its kind: I for
// integers, flags and line weights (hundredths of a millimetre), D for reals, S for texts and
// arrow names, P for points, C for colours.
struct TvxHeadValue {
  int64_t I = 0;
  double D = 0;
  std::string S;
  TFPoint P{};
  TvxColorCAD C = cnstColorCADByLayer();
};

// Stores v into the field f of hv. A line-type scale of 0 becomes 1; line weights above 0 are
// hundredths of a millimetre, others keep their by-layer / by-block / default meaning; the
// attribute mode is 0 off, 1 normal, anything else on; arrows are kinds by block name.
void SetHeadField(TvxHeadVarStruct& hv, TvxHeadField f, const TvxHeadValue& v);

// The arrow kind of a standard arrow block name, with or without its leading underscore, in any
// case; an empty name is the closed filled arrow (0); any other name is 255.
uint8_t ArrowKindByName(std::string_view name);

}  // namespace vx
