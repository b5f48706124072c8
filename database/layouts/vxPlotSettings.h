// vxPlotSettings: the plot settings of a layout (page setup): paper, margins, scale, rotation,
// plot area, and the paper frames the renderer derives from them (paper, margins, printable
// area), plus the defaults a vector picture takes from its extents.
#pragma once

#include "database/core/vxTables.h"

namespace vx {

enum class TvxPlotPaperUnits : uint8_t { ppuInches, ppuMM, ppuPixels };
using enum TvxPlotPaperUnits;

enum class TvxPlotRotation : uint8_t {
  prNoRotation, pr90DegreesCounterCW, prUpsideDown, pr90DegreesCW
};
using enum TvxPlotRotation;

enum class TvxPlotType : uint8_t {
  ptLastScreenDisplay, ptDrawingExtents, ptDrawingLimits, ptViewSpecified, ptWindowSpecified,
  ptLayoutInformation
};
using enum TvxPlotType;

// Plot layout flags, one bit each in this order.
enum TvxPlotLayoutFlag : uint16_t {
  plfPlotViewportBorders = 1 << 0, plfShowPlotStyles = 1 << 1, plfPlotCentered = 1 << 2,
  plfPlotHidden = 1 << 3, plfUseStandardScale = 1 << 4, plfPlotPlotStyles = 1 << 5,
  plfScaleLineweights = 1 << 6, plfPrintLineweights = 1 << 7, plf256bit = 1 << 8,
  plfDrawViewportsFirst = 1 << 9, plfModelType = 1 << 10, plfUpdatePaper = 1 << 11,
  plfZoomToPaperOnUpdate = 1 << 12, plfInitializing = 1 << 13, plfPrevPlotInit = 1 << 14
};

struct TvxPlotScale {
  double Numerator = 1;
  double Denomenator = 1;
};

struct TvxPlotSettingsData {
  std::string PageSetupName;
  std::string PrintOrConfigName = "none_device";
  uint16_t PlotLayoutFlags =
      plfUseStandardScale | plfPlotPlotStyles | plfPrintLineweights | plfDrawViewportsFirst;
  TvxPlotPaperUnits PlotPaperUnits = ppuMM;
  uint8_t StandardScaleType = 16;
  double NumeratorOfCustomPrintScale = 1;
  double DenominatorOfCustomPrintScale = 1;
  std::string PaperSize;
  std::string PlotViewName;
  TF2DRect UnprintableMargin;
  TF2DPoint PlotPaperSize;
  TF2DPoint PlotOrigin;
  TF2DPoint PlotWindowAreaMin;
  TF2DPoint PlotWindowAreaMax;
  TvxPlotRotation PlotRotation = prNoRotation;
  TvxPlotType PlotType = ptLayoutInformation;
  std::string CurrentStyleSheet;
  int ShadePlotMode = 0;
  int ShadePlotResolutionLevel = 0;
  int ShadePlotCustomDPI = 100;
  double FloatingPointScaleFactor = 1;
  TF2DPoint PaperImageOrigin;
};

class TvxDXFPlotSettings : public TvxDXFOwneredItem {
  VX_ENTITY_CLASS(TvxDXFPlotSettings)
 public:
  TvxPlotSettingsData Data;
  // The page-setup name is the object's name.
  void SetName(const std::string& name) override;
  void AssignEntity(const TvxDXFEntity* source) override;

  TvxPlotScale CustomPrintScale() const {
    return {Data.NumeratorOfCustomPrintScale, Data.DenominatorOfCustomPrintScale};
  }
  void SetCustomPrintScale(const TvxPlotScale& s) {
    Data.NumeratorOfCustomPrintScale = s.Numerator;
    Data.DenominatorOfCustomPrintScale = s.Denomenator;
  }
  // Denominator over the numerator in millimetres; 1 for a zero numerator.
  double CustomPrintScaleKoef() const;
  bool IsCenter() const { return (Data.PlotLayoutFlags & plfPlotCentered) != 0; }
  bool IsFitToPaper() const {
    return (Data.PlotLayoutFlags & plfUseStandardScale) != 0 && Data.StandardScaleType == 0;
  }
  // The paper is wider than high, as turned by the plot rotation.
  bool LandScape() const;
  void SetLandScape(bool v);
  bool IsQuarterTurn() const {
    return Data.PlotRotation == pr90DegreesCounterCW || Data.PlotRotation == pr90DegreesCW;
  }

  TFRect PlotFrameArea() const;
  // Top holds the smaller Y: readers of this area exchange Top and Bottom.
  TFRect PlotPaperArea() const;
  TFRect PlotMarginsArea() const;
  TFRect PlotPrintableArea() const;
  // Plot the given extents on a sheet of their own size (needSaveSize) or on A4; false for a
  // bad box (scale 1 : 1 then).
  bool SetDefaultValueByExtents(const TFRect& box, bool needSaveSize);

 private:
  TF2DRect RotatedMargins(double k) const;
  TF2DPoint PaperOrigin(double k) const;
  TF2DPoint PaperSizeScaled(double k) const;
};

}  // namespace vx
