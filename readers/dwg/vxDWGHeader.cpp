// Reading the header variables through their rows.
#include "readers/dwg/vxDWGHeader.h"

#include <cstring>

namespace vx {

namespace {

const uint8_t cnstHeaderSentinel[16] = {0xCF, 0x7B, 0x1F, 0x23, 0xFD, 0xDE, 0x38, 0xA9,
                                        0x5F, 0x7C, 0x68, 0xB8, 0x4E, 0x6D, 0x33, 0x5F};

double LineWeightOf(int64_t v) {
  const int16_t w = int16_t(v);
  return w < 0 ? double(w) : w * 0.01;
}

void Keep(THeadField f, const TdwgValue& v, TdwgHeaderData& h) {
  TvxHeadVarStruct& hv = h.Vars;
  TvxDimStyle& dim = hv.DimProps;
  switch (f) {
    case hfNone: break;
    case hfTileMode: hv.TileMode = int(v.I); break;
    case hfAttMode: hv.AttMode = v.I == 0 ? attDisable : (v.I == 2 ? attEnable : attNormal); break;
    case hfPDMode: hv.PointDisplayMode = int(int16_t(v.I)); break;
    case hfLTScale: hv.LTScale = v.D; break;
    case hfTextSize: hv.TextSize = v.D; break;
    case hfFilletRad: hv.FilletRadius = v.D; break;
    case hfPDSize: hv.PointDisplaySize = v.D; break;
    case hfCELTScale: hv.CELTScale = v.D; break;
    case hfCEColor: hv.CEColor = v.C; break;
    case hfHandSeed: h.HandSeed = v.H.Handle; break;
    case hfCLayer: h.Handles.CLAYER = v.H.Handle; break;
    case hfTextStyle: h.Handles.TEXTSTYLE = v.H.Handle; break;
    case hfCELType: h.Handles.CELTYPE = v.H.Handle; break;
    case hfDimStyle: h.Handles.DIMSTYLE = v.H.Handle; break;
    case hfCMLStyle: h.Handles.CMLSTYLE = v.H.Handle; break;
    case hfInsBase: hv.InsBase = v.P; break;
    case hfExtMin: hv.ExtMin = v.P; break;
    case hfExtMax: hv.ExtMax = v.P; break;
    case hfUCSOrg: hv.UCSORG = v.P; break;
    case hfUCSXDir: hv.UCSXDir = v.P; break;
    case hfUCSYDir: hv.UCSYDir = v.P; break;
    case hfDimPost: dim.Post = v.S; break;
    case hfDimAPost: dim.APost = v.S; break;
    case hfDimScale: dim.Scale = v.D; break;
    case hfDimAsz: dim.Asz = v.D; break;
    case hfDimExo: dim.Exo = v.D; break;
    case hfDimExe: dim.Exe = v.D; break;
    case hfDimTxt: dim.Txt = v.D; break;
    case hfDimCen: dim.Cen = v.D; break;
    case hfDimAltF: dim.AltF = v.D; break;
    case hfDimLFac: dim.LFac = v.D; break;
    case hfDimGap: dim.Gap = v.D; break;
    case hfDimTih: dim.Tih = v.I != 0; break;
    case hfDimToh: dim.Toh = v.I != 0; break;
    case hfDimSE1: dim.SE1 = v.I != 0; break;
    case hfDimSE2: dim.SE2 = v.I != 0; break;
    case hfDimAlt: dim.Alt = v.I != 0; break;
    case hfDimSah: dim.Sah = v.I != 0; break;
    case hfDimTix: dim.Tix = int(v.I); break;
    case hfDimSD1: dim.SD1 = v.I != 0; break;
    case hfDimSD2: dim.SD2 = v.I != 0; break;
    case hfDimTad: dim.Tad = int(int16_t(v.I)); break;
    case hfDimDec: dim.Dec = int(int16_t(v.I)); break;
    case hfDimBlkName: h.DimBlkName = v.S; break;
    case hfDimBlk1Name: h.DimBlk1Name = v.S; break;
    case hfDimBlk2Name: h.DimBlk2Name = v.S; break;
    case hfDimClrD: dim.ClrD = v.C; break;
    case hfDimClrE: dim.ClrE = v.C; break;
    case hfDimClrT: dim.ClrT = v.C; break;
    case hfDimTxSty: h.Handles.DIMTXTSTY = v.H.Handle; break;
    case hfDimLdrBlk: h.Handles.DIMLDRBLK = v.H.Handle; break;
    case hfDimBlk: h.Handles.DIMBLK = v.H.Handle; break;
    case hfDimBlk1: h.Handles.DIMBLK1 = v.H.Handle; break;
    case hfDimBlk2: h.Handles.DIMBLK2 = v.H.Handle; break;
    case hfDimLwD: dim.LwD = LineWeightOf(v.I); break;
    case hfDimLwE: dim.LwE = LineWeightOf(v.I); break;
    case hfBlockControl: h.BlockControl = v.H.Handle; break;
    case hfLayerControl: h.LayerControl = v.H.Handle; break;
    case hfStyleControl: h.StyleControl = v.H.Handle; break;
    case hfLTypeControl: h.LTypeControl = v.H.Handle; break;
    case hfVPortControl: h.VPortControl = v.H.Handle; break;
    case hfAppIDControl: h.AppIDControl = v.H.Handle; break;
    case hfDimStyleControl: h.DimStyleControl = v.H.Handle; break;
    case hfMLStylesDict: h.MLStylesDict = v.H.Handle; break;
    case hfNamedObjects: h.NamedObjects = v.H.Handle; break;
    case hfLayoutsDict: h.LayoutsDict = v.H.Handle; break;
    case hfPlotSettingsDict: h.PlotSettingsDict = v.H.Handle; break;
    case hfMaterialDict: h.MaterialDict = v.H.Handle; break;
    case hfColorsDict: h.ColorsDict = v.H.Handle; break;
    case hfFlags: hv.CELWeight = DWGLineWeight(unsigned(v.I & 0x1F)); break;
    case hfInsUnits: hv.InsUnits = int(int16_t(v.I)); break;
    case hfXClipFrame: hv.XClipFrame = uint8_t(v.I); break;
    case hfPaperBlockRecord: h.PaperBlockRecord = v.H.Handle; break;
    case hfModelBlockRecord: h.ModelBlockRecord = v.H.Handle; break;
    case hfLTByLayer: h.LTByLayer = v.H.Handle; break;
    case hfLTByBlock: h.LTByBlock = v.H.Handle; break;
    case hfLTContinuous: h.LTContinuous = v.H.Handle; break;
  }
}

}  // namespace

void ReadDWGHeader(TvxBitCursor c, TvxDWGVersion version, uint8_t maintenance, int codePage,
                   TdwgHeaderData& out) {
  if (c.Remaining() < 20 * 8 || std::memcmp(c.Data + c.Pos / 8, cnstHeaderSentinel, 16) != 0) return;
  c.Skip(16 * 8);
  const uint32_t size = ReadRL(c);
  if (version >= acR2010 && maintenance > 3) ReadRL(c);  // the high half of the size
  const uint64_t dataStart = c.Pos;
  const uint64_t dataEnd = dataStart + uint64_t(size) * 8;
  if (dataEnd > c.End) return;
  TdwgStreams s;
  s.Version = version;
  s.Coding = DWGTextCoding(version, codePage, true);
  s.Dat = c.Window(dataStart, dataEnd);
  if (version >= acR2007) {
    // The bit size of the data; handles follow it, and the strings end where the handles begin.
    const uint64_t bitSizeAt = s.Dat.Pos;
    const uint32_t bits = ReadRL(s.Dat);
    const uint64_t e = bitSizeAt + bits;
    if (e > dataEnd) return;
    s.Str = DWGLocateStrings(c, e, s.Dat.Pos);
    s.Hnd = c.Window(e, dataEnd);
    s.Dat = c.Window(s.Dat.Pos, s.Str.Pos);
    s.SplitStrings = s.SplitHandles = true;
    if (s.Str.Failed) return;
  }
  out.Found = true;
  TdwgValue prev, v;
  for (const TdwgHeaderRow& row : DWGHeaderRows()) {
    if (!row.Versions.Has(version)) continue;
    v = TdwgValue();
    ReadDWGField(s, row.Code, prev, v);
    if (s.Failed()) return;
    if (v.Present) Keep(row.Field, v, out);
    prev = std::move(v);
  }
  out.Complete = true;
}

}  // namespace vx
