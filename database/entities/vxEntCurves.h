// vxEntCurves: TvxCADBasePolyline, the point list every curved entity is turned into, with the
// common load shared by all polylines (layer and line type defaults, line-type scale, building
// the points, merge-angle thinning, thickness and elevation, box); and the circle family built
// on it: circle, arc and ellipse.
//
// Circles, arcs and ellipses are tessellated in object coordinates around Point and turned to
// world coordinates when they have an extrusion. Readers store an ellipse's centre and major
// axis in world coordinates; its first load converts them to object coordinates once.
#pragma once

#include "database/entities/vxEntLines.h"
#include "database/linetypes/vxLines.h"

#include <functional>

namespace vx {

// Flag bits of TvxCADBasePolyline.
constexpr int cnstPolyClosed = 0x01;
constexpr int cnstPolyPLinegen = 0x80;        // the pattern runs on along the whole point list
constexpr int cnstPolyCrossSegments = 0x200;  // a polyline property of its own
constexpr int cnstPolyPatternPoints = 0x800;  // the point list holds dash pieces (pairs)

class TvxCADBasePolyline : public TvxDXFPenLine {
  VX_ENTITY_CLASS(TvxCADBasePolyline)
 public:
  int GetFlags() const override { return FFlags; }
  void SetFlags(int f) override { FFlags = f; }
  TFRect GetBox() override { return FBox; }

  // Moves every point by the elevation and appends the points raised by the thickness (both
  // along the extrusion), so the list holds the bottom outline and then the top outline.
  virtual void ApplyThickness();
  virtual bool GetClosed() const { return (FFlags & cnstPolyClosed) != 0; }
  virtual double GetElevation() const { return 0; }
  virtual bool IsPolygonMesh() const { return false; }
  virtual void SetClosed(bool v);
  bool GetIsPLinegen() const { return (FFlags & cnstPolyPLinegen) != 0; }
  virtual void SetIsPLinegen(bool v);
  // Whether the load raised a top outline (the second half of the points).
  bool IsPolyZThickness() const { return FZThick != 0 && !IsPolygonMesh(); }
  // FBox = the box of all points.
  virtual void UpdateBox();
  // Builds the drawable points; the base empties the list.
  virtual void BuildPoints();
  virtual double Area() const { return 0; }
  virtual double Length() const { return 0; }
  virtual bool HasWidth() const { return false; }

  TFPointList& PolyPoints() { return FPolyPoints; }
  const TFPointList& PolyPoints() const { return FPolyPoints; }
  int PointCount() const { return FPolyPoints.Count(); }
  // The zero point out of range.
  TFPoint GetPoints(int index) const;

  // The common load: box reset, layer "0" and line type "BYLAYER" defaults, BuildPoints under
  // the entity's pattern scale, thinning (merge angle above 0), ApplyThickness, UpdateBox.
  void LoadData(TvxDXFConverter* conv) override;
  void AssignEntity(const TvxDXFEntity* source) override;

 protected:
  // The pattern the entity is drawn with: its line type's, the layer's for "BYLAYER", none for
  // "BYBLOCK" (known only inside a block reference) or without a line type.
  const TvxLines* EffectiveLines() const;
  // The entity's pattern and its effective parameters (LTScale x pattern scale x entity scale),
  // set while the load runs; nil outside a load or without a pattern.
  const TvxLines* LoadPattern() const { return FLoadLines; }
  const TvxLinesParams& LoadPatternParams() const { return FLoadParams; }
  // A thick curve is drawn as walls, so its dashes must exist as points before the top outline
  // is raised (a thin one is cut by the renderer). With a thickness and a dashed load pattern,
  // `cut` turns the points into dash pieces (with a reduced repetition budget), which replace them.
  using TvxDashCut = std::function<void(const TvxLines&, const TvxLinesParams&, TFPointList&)>;
  void InsertThickDashes(const TvxDashCut& cut);

  TFPointList FPolyPoints;
  int FFlags = 0;
  TFRect FBox = BadBox;

 private:
  const TvxLines* FLoadLines = nullptr;
  TvxLinesParams FLoadParams;
};

class TvxDXFCircle : public TvxCADBasePolyline {
  VX_ENTITY_CLASS(TvxDXFCircle)
 public:
  TvxCADEntities EntType() const override { return ceCircle; }

  double GetRadius() const { return FRadius; }
  // Values at or below 1e-9 (and NaN) are ignored.
  void SetRadius(double r);
  double Area() const override;    // pi R^2
  double Length() const override;  // 2 pi R
  bool GetClosed() const override { return true; }
  void SetClosed(bool) override {}

  // Semi-axes, major-axis direction and the angle range of the curve.
  virtual TvxCurveParams CurveParams() const;
  // Tessellates (N + 1 points, N = the drawing's segments per circle) and runs the common load.
  void LoadData(TvxDXFConverter* conv) override;
  // Dash pieces of a patterned curve with thickness, then object to world coordinates.
  void BuildPoints() override;
  void AssignEntity(const TvxDXFEntity* source) override;

 protected:
  // The centre used by the tessellation (Point, in object coordinates).
  TFPoint CurveCentre() const { return FPoint; }
  // A point of the curve in object coordinates turned to world coordinates when extruded.
  TFPoint CurveToWorld(const TFPoint& p) const;

  double FRadius = 0;
};

class TvxDXFArc : public TvxDXFCircle {
  VX_ENTITY_CLASS(TvxDXFArc)
 public:
  TvxCADEntities EntType() const override { return ceArc; }

  double GetStartAngle() const { return FStartAngle; }
  void SetStartAngle(double a) { FStartAngle = a; }
  double GetEndAngle() const { return FEndAngle; }
  void SetEndAngle(double a) { FEndAngle = a; }
  // Counter-clockwise sweep from the start to the end angle, degrees in (0, 360].
  double Sweep() const { return ArcSweepDeg(FStartAngle, FEndAngle); }
  // Points at the start and end angle, in world coordinates.
  virtual TFPoint GetStartPoint() const;
  virtual TFPoint GetEndPoint() const;
  TvxArcR GetArc() const { return {FPoint, FRadius, FStartAngle, FEndAngle}; }
  void SetArc(const TvxArcR& a);

  // Between the arc and its chord.
  double Area() const override;
  // R x sweep.
  double Length() const override;
  // The sweep is a whole turn (end - start a multiple of 360 within 1e-9).
  bool GetClosed() const override { return IsWholeTurn(FStartAngle, FEndAngle); }
  // The sagitta: from the chord's midpoint to the arc's middle point.
  virtual double Height() const;
  TvxCurveParams CurveParams() const override;
  void AssignEntity(const TvxDXFEntity* source) override;

 protected:
  double FEndAngle = 360;
  double FStartAngle = 0;
};

class TvxDXFEllipse : public TvxDXFArc {
  VX_ENTITY_CLASS(TvxDXFEllipse)
 public:
  TvxCADEntities EntType() const override { return ceEllipse; }

  // End of the major axis relative to the centre.
  TFPoint GetRadPt() const { return FRadPt; }
  void SetRadPt(const TFPoint& p) { FRadPt = p; }
  // Minor axis / major axis.
  double GetRatio() const { return FRatio; }
  void SetRatio(double r) { FRatio = r; }
  // Direction of the major axis in degrees, [0, 360).
  double GetAngle() const { return VectorAngle(FRadPt.X, FRadPt.Y); }
  // Whether Point and RadPt are still in world coordinates (not loaded yet).
  bool IsExtruded() const { return FIsExtruded; }

  // The point of the ellipse at the start parameter, in world coordinates.
  TFPoint GetStartPoint() const override;
  // RadPt, as the major-axis end.
  TFPoint GetEndPoint() const override { return FRadPt; }
  void SetEndPoint(const TFPoint& p) { FRadPt = p; }
  double Area() const override { return 0; }
  double Length() const override { return 0; }
  TvxCurveParams CurveParams() const override;
  // Converts Point and RadPt to object coordinates once, takes the radius from RadPt, then
  // the arc load.
  void LoadData(TvxDXFConverter* conv) override;
  void AssignEntity(const TvxDXFEntity* source) override;

 protected:
  TFPoint FRadPt = cnstXOrtAxis;
  double FRatio = 1;
  bool FIsExtruded = true;
};

}  // namespace vx
