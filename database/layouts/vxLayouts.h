// vxLayouts: layouts (model space and paper sheets, each with its own block of entities): the
// paper-space block and its name, the plot settings (vxPlotSettings.h), the layout box that
// becomes the drawing's extents, the viewer's view stack (TvxView) and the layout walk, where
// every drawing pass starts.
#pragma once

#include "database/blocks/vxBlocks.h"
#include "database/layouts/vxPlotSettings.h"

#include <memory>

namespace vx {

enum class TvxCADSpace : uint8_t { cs2D, cs3D, csUndefined };
using enum TvxCADSpace;

// A viewer rectangle in client pixels.
struct TvxViewRect {
  int Left = 0, Top = 0, Right = 0, Bottom = 0;
  friend bool operator==(const TvxViewRect&, const TvxViewRect&) = default;
};

// The viewer's state kept with a layout: the draw matrix last set and the stack of previous
// views (four integers per view: Left, Top, Bottom, Right). The oldest view is the base view.
class TvxView : public TvxDXFEntity {
  VX_ENTITY_CLASS(TvxView)
 public:
  // Views kept besides the base view; older ones are dropped from just above the base.
  static constexpr int cnstMaxViews = 256;

  void PushView(const TvxViewRect& r);
  // The active view; the last one is dropped while at least two are stored. Empty: (0,0,0,0).
  TvxViewRect PopView();
  void ClearView() { FStackView.reset(); }
  bool HasBaseView() const { return FStackView != nullptr; }
  bool HasView() const { return ViewCount() > 1; }
  int ViewCount() const { return FStackView ? FStackView->Count() / 4 : 0; }
  // The last view; (0,0,0,0) without one. Writing overwrites it and does nothing without one.
  TvxViewRect ActiveView() const;
  void SetActiveView(const TvxViewRect& r);
  bool HasDrawMatrix() const { return (FInternalFlags & 1) != 0; }
  TFMatrix DrawMatrix() const { return FMatrix; }
  void SetDrawMatrix(const TFMatrix& m) {
    FMatrix = m;
    FInternalFlags |= 1;
  }
  void Clear(bool freeChildren = true) override;
  void AssignEntity(const TvxDXFEntity* source) override;

 private:
  int FInternalFlags = 0;
  TFMatrix FMatrix = cnstIdentityMat;
  std::unique_ptr<TvxIntegerList> FStackView;
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
  TvxPlotPaperUnits PlotPaperUnits() const { return FPlotSettings->Data.PlotPaperUnits; }
  TFPoint LinMin() const { return ExtMin(); }
  TFPoint LinMax() const { return ExtMax(); }
  // Sets the box from outside (the image's own extents); the paper-space block takes it too.
  void SetBox(const TFRect& box);
  // The view object, created on first use.
  TvxView* View();
  TvxView* ExistingView() const { return FView; }
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
  // Walks the layout's entities from a clean reference state (no insert, by-layer colour,
  // continuous pattern) with the layout's block on the block stack. A layout whose block is
  // already being walked (a viewport that reaches its own sheet), or one nested too deep, is not
  // entered again.
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
  TvxView* FView = nullptr;  // owned
};

}  // namespace vx
