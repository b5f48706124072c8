// vxLayouts: layouts (model space and paper sheets, each with its own block of entities) and
// their plot settings, as far as the database core needs them: creation, the paper-space block,
// and the layout box that becomes the drawing's extents.
#pragma once

#include "database/vxBlocks.h"

namespace vx {

enum class TvxCADSpace : uint8_t { cs2D, cs3D, csUndefined };
using enum TvxCADSpace;

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
};

class TvxDXFLayout : public TvxDXFOwneredItem {
  VX_ENTITY_CLASS(TvxDXFLayout)
 public:
  TvxDXFLayout();

  TFRect GetBox() override { return FBox; }
  TvxCADSpace CADSpace() const { return FCADSpace; }
  void SetCADSpace(TvxCADSpace s) { FCADSpace = s; }
  // The block of the layout's entities; made (found or created in BLOCKS) on first use when
  // the layout has a converter. It is always left not loaded, so it accepts children.
  TvxDXFBlock* PaperSpaceBlock();
  TvxDXFBlock* ExistingPaperSpaceBlock() const { return FPaperSpaceBlock; }
  void SetPaperSpaceBlock(TvxDXFEntity* block);
  TvxDXFPlotSettings* PlotSettings() const { return FPlotSettings; }
  void SetPlotSettings(const TvxDXFPlotSettings* ps);
  TFMatrix RotMatrix() const { return FRotMatrix; }
  void SetRotMatrix(const TFMatrix& m) { FRotMatrix = m; }
  double RotZAngle() const { return FRotZAngle; }
  void SetRotZAngle(double a) { FRotZAngle = a; }
  TFPoint UCSOrigin, UCSXDir = cnstXOrtAxis, UCSYDir = cnstYOrtAxis;

  TFPoint ExtMin() const { return FBox.TopLeft(); }
  TFPoint ExtMax() const { return FBox.BottomRight(); }
  // Position in LAYOUTS; -1 without a converter or LAYOUTS.
  int Index() const;
  bool IsModel() const;
  bool IsEmpty() const;
  // The name its block gets: "*MODEL_SPACE", "*PAPER_SPACE", "*PAPER_SPACE0"..., or "*[name]".
  std::string BlockName() const;

  // The container operations act on the paper-space block.
  int Count() const override;
  TvxDXFEntity* GetEntity(int index) const override;
  void SetEntity(int index, TvxDXFEntity* e) override;
  int InsertEntity(int index, TvxDXFEntity* e) override;
  TvxDXFEntity* DeleteEntity(int index) override;
  TvxDXFEntity* ExtractEntity(int index) override;
  int IndexOfEntity(const TvxDXFEntity* e) const override;
  int IndexOfName(const std::string& name) const override;
  void Clear(bool freeChildren) override;

  // Picks up the plot settings named by the page setup, then computes the layout box.
  void LoadData(TvxDXFConverter* conv) override;
  // The box of the layout's entities (rays and lines through the box are clipped to it).
  void UpdateBox(TvxDXFConverter* conv);
  // Walks the layout's entities.
  virtual void Iterate(TvxDXFConverter* conv, const TvxEntityProc& finishProc,
                       const TvxEntityProc& proc);
  void AssignEntity(const TvxDXFEntity* source) override;
  void UnlinkReferences() override;
  void FreeOwnedParts() override;

 protected:
  TFRect FBox = BadBox;
  TvxCADSpace FCADSpace = cs3D;
  TvxDXFBlock* FPaperSpaceBlock = nullptr;  // non-owning: BLOCKS owns it
  TvxDXFPlotSettings* FPlotSettings;        // owned
  TFMatrix FRotMatrix = cnstIdentityMat;
  double FRotZAngle = 0;
};

}  // namespace vx
