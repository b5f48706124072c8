// vxViewports: TvxDXFViewport, the window of a paper sheet that shows model space with its own
// view direction, twist, scale and frozen layers. It computes its model-to-paper matrix and
// sheet rectangle in LoadData, keeps its ordinal among the viewports of its block, and walks
// model space through itself (DoIterate) with its frozen layers hidden for that walk only.
#pragma once

#include "database/objects/DXFConvObjects.h"
#include "foundation/vxLists.h"

#include <string>

namespace vx {

class TvxDXFBlock;

// Viewport status flags.
constexpr int cnstViewportNonRectClip = 0x10000;
constexpr int cnstViewportOff = 0x20000;

class TvxDXFViewport : public TvxDXFPenEntity {
  VX_ENTITY_CLASS(TvxDXFViewport)
 public:
  TvxDXFViewport();
  TvxCADEntities EntType() const override { return ceViewport; }

  float BackClipPlane = 0;
  float FrontClipPlane = 0;
  TFPoint MSpaceCenter;
  double MSpaceHeight = 0;
  TFPoint PSpaceCenter;
  double PSpaceHeight = 0;
  double PSpaceWidth = 0;
  int StatusField = 1;
  int ThisID = 1;
  TFPoint ViewDirection = cnstExtrusion;
  TFPoint ViewTarget;
  float ViewTwistAngle = 0;
  std::string XDataAppName = "VarrowTools";

  TvxInt64List& FrozenLayers() { return FFrozenLayers; }
  const TvxInt64List& FrozenLayers() const { return FFrozenLayers; }
  uint64_t ClippingBoundaryHandle() const { return FClippingBoundaryHandle; }
  void SetClippingBoundaryHandle(uint64_t h) { FClippingBoundaryHandle = h; }
  // Stores the clipping entity (non-owning) and marks the clipping non-rectangular.
  void SetBoundary(TvxDXFEntity* e);
  // The clipping entity; one known by handle only is looked up among the owner's children
  // (then kept) or, without an owner, among the model-space entities.
  TvxDXFEntity* GetBoundary(TvxDXFConverter* conv);
  // The boundary when it can clip: a curve of more than 2 points; else nil.
  TvxDXFEntity* ClipOutline(TvxDXFConverter* conv);

  TFMatrix Matrix() const { return FMatrix; }
  TFRect Rect() const { return FRect; }
  int OrdIndex() const { return FOrdIndex; }
  bool VisibleBoundary() const { return FVisibleBoundary; }
  // A viewport of the model-space block never shows its frame.
  void SetVisibleBoundary(bool v);
  bool Active() const { return FActive; }

  void Offset(const TFPoint& p) {
    MSpaceCenter.X += p.X;
    MSpaceCenter.Y += p.Y;
  }
  bool IsOff() const;
  bool IsDraw() const { return FVisibleBoundary || !IsOff(); }
  bool ShowsModelSpace() const;
  TFRect GetBox() override;

  // Joining or leaving a block keeps the viewport ordinals of the block.
  void SetOwner(TvxDXFEntity* owner) override;
  // The sheet rectangle and the model-to-paper matrix.
  void LoadData(TvxDXFConverter* conv) override;
  // The frame, then model space through this viewport.
  void DoIterate(TvxDXFConverter* conv, const TvxEntityProc& finishProc,
                 const TvxEntityProc& proc) override;
  void ReferenceRemoved(TvxDXFEntity* obj) override;
  void AssignEntity(const TvxDXFEntity* source) override;
  void UnlinkReferences() override;

 private:
  bool InModelSpaceBlock() const;
  void JoinBlock(TvxDXFBlock* block);
  void LeaveBlock();
  void WalkModel(TvxDXFConverter* conv, const TvxEntityProc& finishProc,
                 const TvxEntityProc& proc);

  TFRect FBox = BadBox;
  TvxDXFEntity* FClippingBoundary = nullptr;  // non-owning
  uint64_t FClippingBoundaryHandle = 0;
  TvxInt64List FFrozenLayers;
  TFMatrix FMatrix = cnstIdentityMat;
  int FOrdIndex = -1;
  TFRect FRect = BadBox;
  bool FVisibleBoundary = true;
  bool FActive = false;
  // The viewport of smallest handle among those added to its block (ordinals exchange with it).
  bool FMinOfBlock = false;
};

// The model-to-paper matrix of a viewport from its view data.
TFMatrix ViewportMatrix(const TvxDXFViewport& vp);

}  // namespace vx
