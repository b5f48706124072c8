// Reading the header variables through their rows.
#include "readers/dwg/vxDWGHeader.h"

#include <cstring>

namespace vx {

namespace {

const uint8_t cnstHeaderSentinel[16] = {0xCF, 0x7B, 0x1F, 0x23, 0xFD, 0xDE, 0x38, 0xA9,
                                        0x5F, 0x7C, 0x68, 0xB8, 0x4E, 0x6D, 0x33, 0x5F};

void Keep(const TdwgHeaderRow& row, const TdwgValue& v, TdwgHeaderData& h) {
  const THeadField f = row.Field;
  if (f == hfNone) return;
  if (uint8_t(f) < uint8_t(TvxHeadField::hvCount)) {
    const TvxHeadField var = TvxHeadField(uint8_t(f));
    if (row.Code == dcH) {
      if (uint64_t* slot = h.Handles.Slot(var)) *slot = v.H.Handle;
      return;
    }
    SetHeadField(h.Vars, var, TvxHeadValue{v.I, v.D, v.S, v.P, v.C});
    return;
  }
  switch (f) {
    case hfHandSeed: h.HandSeed = v.H.Handle; break;
    case hfCMLStyle: h.Handles.CMLSTYLE = v.H.Handle; break;
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
    case hfFlags:
      // The low five bits index the line weights; a set 0x200 bit turns their display off.
      h.Vars.CELWeight = DWGLineWeight(unsigned(v.I & 0x1F));
      h.Vars.LwDisplay = (v.I & 0x200) == 0;
      break;
    case hfPaperBlockRecord: h.PaperBlockRecord = v.H.Handle; break;
    case hfModelBlockRecord: h.ModelBlockRecord = v.H.Handle; break;
    case hfLTByLayer: h.LTByLayer = v.H.Handle; break;
    case hfLTByBlock: h.LTByBlock = v.H.Handle; break;
    case hfLTContinuous: h.LTContinuous = v.H.Handle; break;
    default: break;
  }
}

}  // namespace

uint64_t* TdwgHeaderHandles::Slot(TvxHeadField f) {
  switch (f) {
    case hvCLayer: return &CLAYER;
    case hvCELType: return &CELTYPE;
    case hvTextStyle: return &TEXTSTYLE;
    case hvDimStyle: return &DIMSTYLE;
    case hvDimTextStyle: return &DIMTXTSTY;
    case hvDimBlk: return &DIMBLK;
    case hvDimBlk1: return &DIMBLK1;
    case hvDimBlk2: return &DIMBLK2;
    case hvDimLdrBlk: return &DIMLDRBLK;
    default: return nullptr;
  }
}

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
    if (v.Present) Keep(row, v, out);
    prev = std::move(v);
  }
  out.Complete = true;
}

}  // namespace vx
