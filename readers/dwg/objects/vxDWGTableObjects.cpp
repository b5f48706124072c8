// Dimension styles, VPORT entries and layouts with their plot settings.
#include "readers/dwg/objects/vxDWGKinds.h"
#include "readers/dwg/objects/vxDWGRecords.h"

#include "database/core/vxNames.h"
#include "readers/dwg/stream/vxDWGErrors.h"
#include "readers/dwg/vxDWGReader.h"

#include <algorithm>
#include <cmath>

namespace vx {

namespace {

constexpr TdwgFieldRow cnstDimStyleRows[] = {
    // R13 and R14.
    {dcB, dvR13R14, 71}, {dcB, dvR13R14, 72}, {dcB, dvR13R14, 73}, {dcB, dvR13R14, 74},
    {dcB, dvR13R14, 75}, {dcB, dvR13R14, 76}, {dcB, dvR13R14, 170}, {dcB, dvR13R14, 172},
    {dcB, dvR13R14, 173}, {dcB, dvR13R14, 174}, {dcB, dvR13R14, 175}, {dcRC, dvR13R14, 171},
    {dcRC, dvR13R14, 78}, {dcB, dvR13R14, 281}, {dcB, dvR13R14, 282}, {dcRC, dvR13R14, 283},
    {dcRC, dvR13R14, 280}, {dcRC, dvR13R14, 287}, {dcB, dvR13R14, 288}, {dcRC, dvR13R14, 284},
    {dcRC, dvR13R14, 285}, {dcRC, dvR13R14, 286}, {dcRC, dvR13R14, 77}, {dcBS, dvR13R14, 270},
    {dcBS, dvR13R14, 275}, {dcBS, dvR13R14, 271}, {dcBS, dvR13R14, 272}, {dcBS, dvR13R14, 273},
    {dcBS, dvR13R14, 274},
    // From 2000: the texts first.
    {dcTV, dvR2000, 3}, {dcTV, dvR2000, 4},
    {dcBD, dvAll, 40}, {dcBD, dvAll, 41}, {dcBD, dvAll, 42}, {dcBD, dvAll, 43}, {dcBD, dvAll, 44},
    {dcBD, dvAll, 45}, {dcBD, dvAll, 46}, {dcBD, dvAll, 47}, {dcBD, dvAll, 48},
    {dcBD, dvR2007, 0}, {dcBD, dvR2007, 0}, {dcBS, dvR2007, 0}, {dcCMC, dvR2007, 0},
    {dcB, dvR2000, 71}, {dcB, dvR2000, 72}, {dcB, dvR2000, 73}, {dcB, dvR2000, 74},
    {dcB, dvR2000, 75}, {dcB, dvR2000, 76}, {dcBS, dvR2000, 77}, {dcBS, dvR2000, 78},
    {dcBS, dvR2000, 79}, {dcBS, dvR2007, 0},
    {dcBD, dvAll, 140}, {dcBD, dvAll, 141}, {dcBD, dvAll, 142}, {dcBD, dvAll, 143},
    {dcBD, dvAll, 144}, {dcBD, dvAll, 145}, {dcBD, dvAll, 146}, {dcBD, dvAll, 147},
    {dcTV, dvR13R14, 0}, {dcTV, dvR13R14, 0},  // DIMPOST and DIMAPOST: the 2000 form is kept
    {dcTV, dvR13R14, 5}, {dcTV, dvR13R14, 6}, {dcTV, dvR13R14, 7},
    {dcBD, dvR2000, 148}, {dcB, dvR2000, 170}, {dcBS, dvR2000, 171}, {dcB, dvR2000, 172},
    {dcB, dvR2000, 173}, {dcB, dvR2000, 174}, {dcB, dvR2000, 175},
    {dcCMC, dvAll, 176}, {dcCMC, dvAll, 177}, {dcCMC, dvAll, 178},
    {dcBS, dvR2000, 179}, {dcBS, dvR2000, 271}, {dcBS, dvR2000, 272}, {dcBS, dvR2000, 273},
    {dcBS, dvR2000, 274}, {dcBS, dvR2000, 275}, {dcBS, dvR2000, 276}, {dcBS, dvR2000, 277},
    {dcBS, dvR2000, 278}, {dcBS, dvR2000, 279}, {dcBS, dvR2000, 280}, {dcB, dvR2000, 281},
    {dcB, dvR2000, 282}, {dcBS, dvR2000, 283}, {dcBS, dvR2000, 284}, {dcBS, dvR2000, 285},
    {dcBS, dvR2000, 286}, {dcB, dvR2000, 288}, {dcBS, dvR2000, 289},
    {dcB, dvR2007, 0},    // DIMFXLON
    {dcB, dvR2010, 0},    // DIMTXTDIRECTION
    {dcBD, dvR2010, 0},   // DIMALTMZF
    {dcTV, dvR2010, 0},   // DIMALTMZS
    {dcBD, dvR2010, 0},   // DIMMZF
    {dcTV, dvR2010, 0},   // DIMMZS
    {dcBS, dvR2000, 371}, {dcBS, dvR2000, 372},
    {dcB, dvAll, 69},  // added to the flags
};
constexpr TdwgFieldRow cnstDimStyleHandles[] = {
    {dcH, dvAll, 340},     // text style
    {dcH, dvR2000, 341},   // DIMLDRBLK
    {dcH, dvR2000, 342},   // DIMBLK
    {dcH, dvR2000, 343},   // DIMBLK1
    {dcH, dvR2000, 344},   // DIMBLK2
};

constexpr TdwgFieldRow cnstVPortRows[] = {
    {dcBD, dvAll, 40},
    {dcBD, dvAll, 41},
    {dc2RD, dvAll, 12, 0, 0, 0, rfXY},
    {dc3BD, dvAll, 17},
    {dc3BD, dvAll, 16},
    {dcBD, dvAll, 51, 0, 0, 0, rfDegrees},
    {dcBD, dvAll, 0}, {dcBD, dvAll, 0}, {dcBD, dvAll, 0},  // lens, front and back clip
    {dcB, dvAll, 0}, {dcB, dvAll, 0}, {dcB, dvAll, 0}, {dcB, dvAll, 0},
    {dcRC, dvR2000, 0},  // render mode
    {dcB, dvR2007, 0}, {dcRC, dvR2007, 0}, {dcBD, dvR2007, 0}, {dcBD, dvR2007, 0}, {dcCMC, dvR2007, 0},
    {dc2RD, dvAll, 0}, {dc2RD, dvAll, 0},  // lower left, upper right
    {dcB, dvAll, 0},
    {dcBS, dvAll, 72},  // circle zoom
    {dcB, dvAll, 0}, {dcB, dvAll, 0}, {dcB, dvAll, 0}, {dcB, dvAll, 0},
    {dc2RD, dvAll, 0},  // grid spacing
    {dcB, dvAll, 0}, {dcB, dvAll, 0},
    {dcBS, dvAll, 0}, {dcBD, dvAll, 0}, {dc2RD, dvAll, 0}, {dc2RD, dvAll, 0},
    {dcB, dvR2000, 0},
    {dcB, dvR2000, 71},   // UCS per viewport
    {dc3BD, dvR2000, 13}, // UCS origin
    {dc3BD, dvR2000, 14}, // UCS X axis
    {dc3BD, dvR2000, 15}, // UCS Y axis
    {dcBD, dvR2000, 0}, {dcBS, dvR2000, 0},
    {dcBS, dvR2007, 0}, {dcBS, dvR2007, 0},
};

constexpr TdwgFieldRow cnstLayoutRows[] = {
    // The plot settings.
    {dcTV, dvAll, 1}, {dcTV, dvAll, 2}, {dcBS, dvAll, 70},
    {dcBD, dvAll, 40}, {dcBD, dvAll, 41}, {dcBD, dvAll, 42}, {dcBD, dvAll, 43},
    {dcBD, dvAll, 44}, {dcBD, dvAll, 45}, {dcTV, dvAll, 4},
    {dcBD, dvAll, 46}, {dcBD, dvAll, 47},
    {dcBS, dvAll, 72}, {dcBS, dvAll, 73}, {dcBS, dvAll, 74},
    {dcBD, dvAll, 48}, {dcBD, dvAll, 49}, {dcBD, dvAll, 140}, {dcBD, dvAll, 141},
    {dcTV, dvR13R2000, 6},
    {dcBD, dvAll, 142}, {dcBD, dvAll, 143}, {dcTV, dvAll, 7}, {dcBS, dvAll, 75},
    {dcBD, dvAll, 147}, {dcBD, dvAll, 148}, {dcBD, dvAll, 149},
    {dcBS, dvR2004, 76}, {dcBS, dvR2004, 77}, {dcBS, dvR2004, 78},
    // The layout.
    {dcTV, dvAll, 8},  // name
    {dcBS, dvAll, 71}, // tab order
    {dcBS, dvAll, 0},  // flags
    {dc3BD, dvAll, 13}, {dc2RD, dvAll, 0}, {dc2RD, dvAll, 0}, {dc3BD, dvAll, 0},
    {dc3BD, dvAll, 16}, {dc3BD, dvAll, 17}, {dcBD, dvAll, 0}, {dcBS, dvAll, 0},
    {dc3BD, dvAll, 0}, {dc3BD, dvAll, 0},
    {dcBL, dvR2004, 90},  // viewports
};
constexpr TdwgFieldRow cnstLayoutHandles[] = {
    {dcH, dvR2004, 0},   // plot view
    {dcH, dvR2007, 0},   // visual style
    {dcH, dvAll, 340},   // paper-space block record
    {dcH, dvAll, 341},   // last active viewport
    {dcH, dvAll, 0},     // base UCS
    {dcH, dvAll, 0},     // named UCS
};

}  // namespace

void TdwgDimStyle::Apply(TdwgReader& r) {
  auto* ds = dynamic_cast<TvxDXFDimensionStyle*>(FItem);
  if (!ds) return;
  TvxDimStyle& p = ds->DimProps;
  if (FHandle == r.Header.Handles.DIMSTYLE) p = r.Header.Vars.DimProps;
  ds->SetFlags(FFlags | int(F.Ints[9] & 1));
  p.Post = F.Texts[3];
  p.APost = F.Texts[4];
  p.Scale = F.Floats[0] != 0 ? F.Floats[0] : r.Header.Vars.DimProps.Scale;
  p.Asz = F.Floats[1];
  p.Exo = F.Floats[2];
  p.Exe = F.Floats[4];
  p.Tih = F.Ints[13] != 0;
  p.Toh = F.Ints[14] != 0;
  p.SE1 = F.Ints[15] != 0;
  p.SE2 = F.Ints[16] != 0;
  p.Tad = int(int16_t(F.Ints[17]));
  p.Txt = F.Floats140[0];
  p.Cen = F.Floats140[1];
  p.AltF = F.Floats140[3];
  p.LFac = F.Floats140[4];
  p.Gap = F.Floats140[7];
  p.Alt = F.Ints170[0] != 0;
  p.Sah = F.Ints170[3] != 0;
  p.Tix = int(F.Ints170[4]);
  p.ClrD = F.Colors[1];
  p.ClrE = F.Colors[2];
  p.ClrT = F.Colors[3];
  p.Dec = int(int16_t(F.Ints270[1]));
  p.SD1 = F.Ints270[11] != 0;
  p.SD2 = F.Ints270[12] != 0;
  if (r.Version >= acR2000) {
    auto weight = [](int64_t v) { return int16_t(v) > 0 ? int16_t(v) / 100.0 : double(int16_t(v)); };
    p.LwD = weight(F.Ints370[1]);
    p.LwE = weight(F.Ints370[2]);
  }
  uint64_t textStyle = F.Refs[0] ? F.Refs[0] : r.Header.Handles.DIMTXTSTY;
  if (auto* style = dynamic_cast<TvxDXFStyle*>(r.GetChild(textStyle))) ds->SetTextStyle(style);
}

void TdwgVPort::Apply(TdwgReader& r) {
  auto* vp = dynamic_cast<TvxDXFVport*>(FItem);
  if (!vp) return;
  vp->SetName(UpperName(FEntryName));
  vp->ViewHeight = F.Floats[0];
  vp->ViewAspectRatio = F.Floats[0] != 0 ? F.Floats[1] / F.Floats[0] : F.Floats[1];
  vp->ViewCenterPoint = {F.Points[2].X, F.Points[2].Y, 0};
  vp->ViewTarget = F.Points[7];
  vp->ViewDirection = F.Points[6];
  vp->ViewTwistAngle = F.Floats[11];
  vp->CircleZoomPercent = int(F.Ints[12]);
  if (r.Version >= acR2000) {
    vp->UCSVP = F.Ints[11] != 0;
    vp->UCSOrigin = F.Points[3];
    vp->UCSXDir = F.Points[4];
    vp->UCSYDir = F.Points[5];
  }
  if (r.ActiveViewport == 0 && SameName(FEntryName, "*ACTIVE")) r.ActiveViewport = FHandle;
}

// ---- layouts --------------------------------------------------------------------------------

void TdwgLayout::ReadOwnData(TdwgReader& r) {
  TdwgObject::ReadOwnData(r);
  FViewportCount = uint32_t(F.Longs[0]);
}

void TdwgLayout::ReadOwnHandles(TdwgReader& r) {
  TdwgObject::ReadOwnHandles(r);
  if (r.Version >= acR2004) {
    if (FViewportCount > S.Handles().Remaining() / 8) DWGObjectCorrupt();
    for (uint32_t i = 0; i < FViewportCount && !S.Failed(); ++i) S.H();
  }
  FPaperSpace = F.Refs[0];
  FActiveViewport = F.Refs[1];
}

void TdwgLayout::Commit(TdwgReader& r) {
  auto* layout = dynamic_cast<TvxDXFLayout*>(FItem);
  if (!layout) return;
  if (r.Version < acR2000) {
    FItem = nullptr;
    layout->Free();
    return;
  }
  if (!F.Texts[8].empty()) layout->SetName(F.Texts[8]);
  auto finite = [](double v) { return std::isfinite(v) ? v : 0.0; };
  TvxPlotSettingsData& d = FPlot;
  d.PageSetupName = F.Texts[1];
  d.PrintOrConfigName = F.Texts[2];
  d.PlotLayoutFlags = uint16_t(F.Ints[10] & 0x7FFF);
  d.UnprintableMargin = {finite(F.Floats[0]), finite(F.Floats[1]), finite(F.Floats[2]), finite(F.Floats[3])};
  d.PlotPaperSize = {finite(F.Floats[4]), finite(F.Floats[5])};
  d.PaperSize = F.Texts[4];
  d.PlotOrigin = {finite(F.Floats[6]), finite(F.Floats[7])};
  const int64_t units = F.Ints[12], rotation = F.Ints[13], type = F.Ints[14];
  d.PlotPaperUnits = units >= 0 && units <= 2 ? TvxPlotPaperUnits(units) : ppuMM;
  d.PlotRotation = rotation >= 0 && rotation <= 3 ? TvxPlotRotation(rotation) : prNoRotation;
  d.PlotType = type >= 0 && type <= 5 ? TvxPlotType(type) : ptLayoutInformation;
  d.PlotWindowAreaMin = {finite(F.Floats[8]), finite(F.Floats[9])};
  d.PlotWindowAreaMax = {finite(F.Floats140[0]), finite(F.Floats140[1])};
  d.PlotViewName = F.Texts[6];
  if (F.Floats140[2] != 0) d.NumeratorOfCustomPrintScale = finite(F.Floats140[2]);
  if (F.Floats140[3] != 0) d.DenominatorOfCustomPrintScale = finite(F.Floats140[3]);
  d.CurrentStyleSheet = F.Texts[7];
  d.StandardScaleType = uint8_t(std::clamp<int64_t>(F.Ints[15], 0, 255));
  if (F.Floats140[7] != 0) d.FloatingPointScaleFactor = finite(F.Floats140[7]);
  d.PaperImageOrigin = {finite(F.Floats140[8]), finite(F.Floats140[9])};
  d.ShadePlotMode = int(F.Ints[16]);
  d.ShadePlotResolutionLevel = int(F.Ints[17]);
  if (F.Ints[18] > 0) d.ShadePlotCustomDPI = int(F.Ints[18]);
  TvxDXFPlotSettings settings;
  settings.Data = d;
  layout->SetPlotSettings(&settings);
  layout->UCSOrigin = F.Points[3];
  if (F.Points[6].X != 0 || F.Points[6].Y != 0 || F.Points[6].Z != 0) layout->UCSXDir = F.Points[6];
  if (F.Points[7].X != 0 || F.Points[7].Y != 0 || F.Points[7].Z != 0) layout->UCSYDir = F.Points[7];
  if (FPaperSpace == r.Header.ModelBlockRecord && FActiveViewport) r.ActiveViewport = FActiveViewport;
  r.AddPendingLayout(ExtractItem(), FPaperSpace, int(F.Ints[11]));
}

void AddDWGTableObjectKinds(TdwgKindTable& t) {
  t[65] = Kind("VPORT", Reader<TdwgVPort>, Item<TvxDXFVport>, cnstVPortRows);
  t[69] = Kind("DIMSTYLE", Reader<TdwgDimStyle>, Item<TvxDXFDimensionStyle>, cnstDimStyleRows, cnstDimStyleHandles);
  // Layouts exist from 2000 on; the layout objects a newer release left in older files describe
  // paper spaces those files do not have.
  t[82] = Kind("LAYOUT", Reader<TdwgLayout>, Item<TvxDXFLayout>, cnstLayoutRows, cnstLayoutHandles);
}

}  // namespace vx
