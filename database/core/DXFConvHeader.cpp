// Storing header values into their fields, the one conversion every reader uses.
#include "database/core/DXFConvHeader.h"

#include "database/core/vxNames.h"

namespace vx {

namespace {

double LineWeightOf(int64_t v) {
  const int w = int(int16_t(v));
  return w > 0 ? w / 100.0 : double(w);
}

// 16-bit integers of the files: a 70 pair or a DWG BS may stand for a negative value.
int ShortOf(int64_t v) { return int(int16_t(v)); }

constexpr const char* cnstArrowNames[] = {
    "_CLOSEDFILLED", "_CLOSEDBLANK", "_CLOSED",    "_DOT",         "_ARCHTICK",    "_OBLIQUE",
    "_OPEN",         "_ORIGIN",      "_ORIGIN2",   "_OPEN90",      "_OPEN30",      "_DOTSMALL",
    "_DOTBLANK",     "_SMALL",       "_BOXBLANK",  "_BOXFILLED",   "_DATUMBLANK",  "_DATUMFILLED",
    "_INTEGRAL",     "_USERARROW",   "_NONE",
};

}  // namespace

uint8_t ArrowKindByName(std::string_view name) {
  while (!name.empty() && (name.front() == ' ' || name.front() == '\t')) name.remove_prefix(1);
  while (!name.empty() && (name.back() == ' ' || name.back() == '\t')) name.remove_suffix(1);
  if (name.empty()) return 0;
  if (name.front() == '_') name.remove_prefix(1);
  for (size_t i = 0; i < std::size(cnstArrowNames); ++i)
    if (SameName(name, std::string_view(cnstArrowNames[i]).substr(1))) return uint8_t(i);
  return 255;
}

void SetHeadField(TvxHeadVarStruct& hv, TvxHeadField f, const TvxHeadValue& v) {
  TvxDimStyle& dim = hv.DimProps;
  switch (f) {
    case hvNone: case hvCount: break;
    case hvCEColor: hv.CEColor = v.C; break;
    case hvCLayer: hv.CLayer = v.S; break;
    case hvCELType: hv.CELType = v.S; break;
    case hvCELTScale: hv.CELTScale = v.D; break;
    case hvCELWeight: hv.CELWeight = LineWeightOf(v.I); break;
    case hvDimStyle: hv.DimStyle = v.S; break;
    case hvDimTextStyle: hv.DimTextStyle = v.S; break;
    case hvExtMin: hv.ExtMin = v.P; break;
    case hvExtMax: hv.ExtMax = v.P; break;
    case hvTextStyle: hv.TextStyle = v.S; break;
    case hvFilletRadius: hv.FilletRadius = v.D; break;
    case hvInsUnits: hv.InsUnits = ShortOf(v.I); break;
    case hvLTScale: hv.LTScale = v.D == 0 ? 1.0 : v.D; break;
    case hvMeasurement: hv.Measurement = v.I != 0; break;
    case hvPDMode: hv.PointDisplayMode = ShortOf(v.I); break;
    case hvPDSize: hv.PointDisplaySize = v.D; break;
    case hvTextSize: hv.TextSize = v.D; break;
    case hvTileMode: hv.TileMode = ShortOf(v.I); break;
    case hvUCSOrg: hv.UCSORG = v.P; break;
    case hvUCSXDir: hv.UCSXDir = v.P; break;
    case hvUCSYDir: hv.UCSYDir = v.P; break;
    case hvInsBase: hv.InsBase = v.P; break;
    case hvAttMode: hv.AttMode = v.I == 0 ? attDisable : (v.I == 1 ? attNormal : attEnable); break;
    case hvXClipFrame: hv.XClipFrame = uint8_t(v.I); break;
    case hvLwDisplay: hv.LwDisplay = v.I != 0; break;
    case hvDimAlt: dim.Alt = v.I != 0; break;
    case hvDimAltF: dim.AltF = v.D; break;
    case hvDimAPost: dim.APost = v.S; break;
    case hvDimAsz: dim.Asz = v.D; break;
    case hvDimSah: dim.Sah = v.I == 1; break;
    case hvDimBlk: dim.Arrows[0] = ArrowKindByName(v.S); break;
    case hvDimBlk1: dim.Arrows[1] = ArrowKindByName(v.S); break;
    case hvDimBlk2: dim.Arrows[2] = ArrowKindByName(v.S); break;
    case hvDimLdrBlk: dim.Arrows[3] = ArrowKindByName(v.S); break;
    case hvDimCen: dim.Cen = v.D; break;
    case hvDimClrD: dim.ClrD = v.C; break;
    case hvDimClrE: dim.ClrE = v.C; break;
    case hvDimClrT: dim.ClrT = v.C; break;
    case hvDimSD1: dim.SD1 = v.I == 1; break;
    case hvDimSD2: dim.SD2 = v.I == 1; break;
    case hvDimSE1: dim.SE1 = v.I == 1; break;
    case hvDimSE2: dim.SE2 = v.I == 1; break;
    case hvDimDec: dim.Dec = ShortOf(v.I); break;
    case hvDimExe: dim.Exe = v.D; break;
    case hvDimExo: dim.Exo = v.D; break;
    case hvDimGap: dim.Gap = v.D; break;
    case hvDimLFac: dim.LFac = v.D; break;
    case hvDimLwD: dim.LwD = LineWeightOf(v.I); break;
    case hvDimLwE: dim.LwE = LineWeightOf(v.I); break;
    case hvDimPost: dim.Post = v.S; break;
    case hvDimScale: dim.Scale = v.D; break;
    case hvDimTad: dim.Tad = ShortOf(v.I); break;
    case hvDimTih: dim.Tih = v.I == 1; break;
    case hvDimTix: dim.Tix = ShortOf(v.I); break;
    case hvDimToh: dim.Toh = v.I == 1; break;
    case hvDimTxt: dim.Txt = v.D; break;
  }
}

}  // namespace vx
