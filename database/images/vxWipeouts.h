// vxWipeouts: the wipeout, a polygon that hides what lies beneath it. It has the geometry of a
// raster image (a parallelogram spanned by two pixel vectors from its insertion corner, with a
// clip boundary in pixel coordinates) but no picture. The load turns the clip boundary into a
// closed world polygon (not repeating its first point) whose box is the entity's box.
#pragma once

#include "database/entities/vxEntCurves.h"

namespace vx {

// Display flags of images and wipeouts (the Flags integer).
constexpr int cnstImageShow = 1;
constexpr int cnstImageShowUnaligned = 2;
constexpr int cnstImageUseClipping = 4;
constexpr int cnstImageTransparency = 8;

class TvxCADWipeout : public TvxCADBasePolyline {
  VX_ENTITY_CLASS(TvxCADWipeout)
 public:
  TvxCADWipeout() { FFlags = cnstImageShow | cnstImageShowUnaligned | cnstImageUseClipping; }
  TvxCADEntities EntType() const override { return ceWipeOut; }

  bool GetClosed() const override { return true; }
  void SetClosed(bool) override {}

  // Clip boundary points in pixels, from the centre of the first pixel, V growing downward.
  void AddPoint(double u, double v) { FClipPoints.Append({u, v}); }
  TF2DPoint GetClipPoint(int i) const { return FClipPoints[i]; }
  int ClipPointsCount() const { return FClipPoints.Count(); }
  void ClearClipPoints() { FClipPoints.Clear(); }
  // 1: a rectangle given by two opposite corners; any other value: a polygon.
  uint8_t ClippingBoundaryType() const { return FClippingBoundaryType; }
  void SetClippingBoundaryType(uint8_t t) { FClippingBoundaryType = t; }
  bool UseClipping() const { return FUseClipping; }
  void SetUseClipping(bool v) { FUseClipping = v; }

  // World vectors of one pixel along the width and the height; the size in pixels.
  TFPoint UVector() const { return FUVector; }
  void SetUVector(const TFPoint& v) { FUVector = v; }
  TFPoint VVector() const { return FVVector; }
  void SetVVector(const TFPoint& v) { FVVector = v; }
  TFPoint Size() const { return FSize; }
  void SetSize(const TFPoint& s) { FSize = s; }
  double Width() const;
  double Height() const;
  // Scale both vectors' X and Y so that the width (height) becomes w (h); nothing when the
  // current one is 0.
  void SetWidth(double w);
  void SetHeight(double h);

  // The point a pixels up the height and b pixels along the width from the insertion corner.
  TFPoint PointAt(double a, double b) const;
  TFPoint Point1() const { return PointAt(0, FSize.X); }        // end of the width side
  TFPoint Point2() const { return PointAt(FSize.Y, 0); }        // end of the height side
  TFPoint Point3() const { return PointAt(FSize.Y, FSize.X); }  // the opposite corner

  void BuildPoints() override;
  void AssignEntity(const TvxDXFEntity* source) override;

 protected:
  TF2DPointList FClipPoints;
  uint8_t FClippingBoundaryType = 1;
  bool FUseClipping = false;
  TFPoint FUVector{1, 0, 0};
  TFPoint FVVector{0, 1, 0};
  TFPoint FSize{1, 1, 1};
};

}  // namespace vx
