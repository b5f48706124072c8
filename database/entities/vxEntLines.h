// vxEntLines: the pen-line base of the basic entities (extrusion, line weight, thickness) and
// the straight entities built on it: line, ray, construction line (xline) and point.
//
// Lines, rays, xlines and points keep their coordinates in world coordinates; their extrusion
// only says along which direction the thickness rises. A ray or xline has no extents of its
// own: the layout clips it to the box of everything else (ClipRayToBox), the renderer to the
// view (ClipToView).
#pragma once

#include "database/objects/DXFConvObjects.h"
#include "database/entities/vxEntGeometry.h"

#include <memory>

namespace vx {

class TvxDXFPenLine : public TvxDXFCustomVertex {
  VX_ENTITY_CLASS(TvxDXFPenLine)
 public:
  TvxDXFPenLine() = default;

  // Nil extrusion means the default normal (0,0,1); writing (0,0,1) within 1e-9 drops the
  // record, and so does a normal of no length or with non-finite parts.
  TFPoint GetExtrusion() const override { return FExtrusion ? *FExtrusion : cnstExtrusion; }
  void SetExtrusion(const TFPoint& e) override;
  virtual bool HasExtrusion() const { return FExtrusion != nullptr; }
  // Converts the stored base point from object to world coordinates when there is an extrusion.
  virtual void ToWCS();

  double GetLineWeight() const override { return FLineWeight; }
  void SetLineWeight(double w) override { FLineWeight = w; }
  // Hundredths of a millimetre; applied only while the line weight is still by layer.
  void SetLWeight(int hundredths) override;
  // The pen width the renderer asks for: the line weight.
  double GetThickness() const override { return FLineWeight; }
  double GetZThick() const { return FZThick; }
  void SetZThick(double t) { FZThick = t; }

  // Object to world coordinates (rows Ax, Ay, N); the identity without an extrusion.
  TFMatrix ExtrusionMat() const;
  // (0, 0, thickness) as a world direction.
  TFPoint ThicknessVector() const;

  // Line weight, thickness and extrusion (a source without one clears this one's).
  void AssignEntity(const TvxDXFEntity* source) override;

 protected:
  bool IsDrawable() const override { return true; }

  std::unique_ptr<TFPoint> FExtrusion;
  double FLineWeight = fLineWeightByLayer;
  double FZThick = 0;
};

class TvxDXFLine : public TvxDXFPenLine {
  VX_ENTITY_CLASS(TvxDXFLine)
 public:
  TvxCADEntities EntType() const override { return ceLine; }

  TFPoint GetPoint1() const { return FPoint1; }
  void SetPoint1(const TFPoint& p) { FPoint1 = p; }
  TvxLine GetLine() const { return {FPoint, FPoint1}; }
  void SetLine(const TvxLine& l);
  // Point (0) and Point1 (1); the zero point out of range.
  TFPoint GetPoints(int index) const;
  void SetPoints(int index, const TFPoint& p);

  // Direction from Point to Point1 in the XY plane, degrees in [0, 360).
  double GetAngle() const;
  // Turns Point1 about Point in XY keeping the XY length and Z; lines shorter than 1e-6 in XY
  // have no direction to turn.
  void SetAngle(double degrees);
  double GetLength() const;
  // Moves Point1 along the current direction; a length of about 0 collapses the line onto
  // Point, and a line without direction (Point = Point1 within 1e-9) is left alone.
  void SetLength(double length);

  // Stored in world coordinates already.
  void ToWCS() override {}
  // The two points and, with a thickness, both raised along the extrusion.
  TFRect GetBox() override;
  // Only the layer default: no line type is assigned and nothing is converted.
  void LoadData(TvxDXFConverter* conv) override;
  void AssignEntity(const TvxDXFEntity* source) override;

 protected:
  TFPoint FPoint1;
};

class TvxDXFRay : public TvxDXFLine {
  VX_ENTITY_CLASS(TvxDXFRay)
 public:
  TvxCADEntities EntType() const override { return ceRay; }

  TFPoint GetStartPoint() const { return FStartPoint; }
  // Also moves Point and Point1 there.
  void SetStartPoint(const TFPoint& p);
  // Stored as given, not normalized.
  TFPoint GetDirection() const { return FDirection; }
  void SetDirection(const TFPoint& d) { FDirection = d; }

  // Sets Point1 to the far end of the visible part in the view rectangle r under the view
  // matrix m (the renderer's drawable segment).
  virtual void ClipToView(const TFMatrix& m, const TvxIntRect& r);
  // The part of the ray inside box.
  bool ClipRayToBox(const TFRect& box, TFRect& clipped) const override;
  // The start point alone: the layout clips rays separately.
  TFRect GetBox() override;
  // With the viewport cut on, the ray counts when it crosses the viewport rectangle (its start
  // point alone may well lie outside while the ray runs through the view).
  bool IsInViewPort(TvxDXFConverter* conv) override;
  void AssignEntity(const TvxDXFEntity* source) override;

 protected:
  // The part of the line from start along dir inside box; an xline also tries -dir.
  virtual bool ClipLine(const TFPoint& start, const TFPoint& dir, const TFRect& box,
                        TFRect& clipped) const;

  TFPoint FStartPoint;
  TFPoint FDirection = cnstXOrtAxis;
};

class TvxDXFXline : public TvxDXFRay {
  VX_ENTITY_CLASS(TvxDXFXline)
 public:
  TvxCADEntities EntType() const override { return ceXline; }
  // Also clips the reversed direction, whose end becomes Point.
  void ClipToView(const TFMatrix& m, const TvxIntRect& r) override;

 protected:
  // Tries the reversed direction when the forward half misses the box.
  bool ClipLine(const TFPoint& start, const TFPoint& dir, const TFRect& box,
                TFRect& clipped) const override;
};

class TvxDXFPoint : public TvxDXFPenLine {
  VX_ENTITY_CLASS(TvxDXFPoint)
 public:
  TvxCADEntities EntType() const override { return cePoint; }

  // The marker built at load from the header's point display mode and size; nil when the mode
  // draws no marker (0 and 1, or a point on the layer "DEFPOINTS").
  const TvxPointShapes* Shapes() const { return FPoints.get(); }

  void ToWCS() override {}
  // The marker's box, or the point and the point raised by the thickness.
  TFRect GetBox() override;
  void LoadData(TvxDXFConverter* conv) override;
  // A marker sized by the view is never one pixel, however small its box.
  bool IsOnePixelOptimisationValid() const override { return !(FPoints && FPoints->Relative > 0); }

 protected:
  std::unique_ptr<TvxPointShapes> FPoints;
};

}  // namespace vx
