// vxHatches: the filled-area entities. TvxCADPolyPolygon is a set of closed loops filled by
// the even-odd rule; TvxCADGradientPolygon adds a two-colour gradient; TvxCADCurvePolygon builds
// its loops from boundary edges (vxHatchEdges.h) in its object coordinate system; TvxCADHatch
// adds a line pattern (vxHatchPattern.h) whose segments the load generates (vxHatchGenerator.h);
// TvxCADMPolygon is the multi-polygon with a fill colour of its own.
//
// Loops and pattern segments are kept in object coordinates. Matrix() takes them to world
// coordinates (elevation and extrusion); Box() is already in world coordinates.
#pragma once

#include "database/hatches/vxHatchEdges.h"
#include "database/hatches/vxHatchGenerator.h"
#include "database/hatches/vxHatchPattern.h"
#include "database/objects/DXFConvObjects.h"

#include <array>
#include <string>
#include <vector>

namespace vx {

class TvxCADPolyPolygon : public TvxDXFObjectEntityLineType {
  VX_ENTITY_CLASS(TvxCADPolyPolygon)
 public:
  TvxCADEntities EntType() const override { return cePolyPolygon; }

  // The closed loops (each ends with its first point).
  std::vector<TF2DPointList>& Boundaries() { return FBoundaryPolylines; }
  const std::vector<TF2DPointList>& Boundaries() const { return FBoundaryPolylines; }
  // Appends a loop (closed by the load when it is not).
  TF2DPointList& AddBoundary(const TF2DPointList& loop);

  // Whether the area is painted in one colour (or a gradient); hatches paint lines.
  virtual bool SolidFill() const { return true; }
  virtual void SetSolidFill(bool v) {}
  virtual std::string HatchName() const { return "SOLID"; }
  // Object to world coordinates of the loops; the identity for plain poly-polygons.
  virtual const TFMatrix& Matrix() const { return cnstIdentityMat; }
  bool HasMatrix() const { return !(Matrix() == cnstIdentityMat); }
  // The box of the loops in object coordinates.
  const TFRect& LoopBox() const { return FBox; }

  TFRect GetBox() override { return FBox; }
  // Layer and line-type defaults, the loops (closed), their box, then the kind's own steps.
  void LoadData(TvxDXFConverter* conv) override;
  void AssignEntity(const TvxDXFEntity* source) override;

 protected:
  // Fills FBoundaryPolylines (the base keeps the loops it was given).
  virtual void BuildLoops(TvxDXFConverter* conv) {}
  // Runs after the box is known (and not bad).
  virtual void AfterBox(TvxDXFConverter* conv) {}

  TFRect FBox = BadBox;
  std::vector<TF2DPointList> FBoundaryPolylines;
};

class TvxCADGradientPolygon : public TvxCADPolyPolygon {
  VX_ENTITY_CLASS(TvxCADGradientPolygon)
 public:
  TvxCADEntities EntType() const override { return ceGradientPolygon; }

  // Colours 0 and 1 (display colours); any other index gives ACI 7.
  TColor GradientColor(int i) const;
  void SetGradientColor(int i, TColor c);
  TvxColorCAD GradientColorCAD(int i) const;
  void SetGradientColorCAD(int i, const TvxColorCAD& c);
  double GradientAngle() const { return FGradientAngle; }
  void SetGradientAngle(double a) { FGradientAngle = a; }
  bool GradientUseCenter() const { return FGradientUseCenter; }
  void SetGradientUseCenter(bool v) { FGradientUseCenter = v; }
  TvxGradientType GradientType() const { return FType; }
  void SetGradientType(TvxGradientType t) { FType = t; }
  std::string GradientName() const { return GradientTypeName(FType); }
  void SetGradientName(const std::string& name) { FType = GradientTypeByName(name); }
  std::string HatchName() const override;

  void AssignEntity(const TvxDXFEntity* source) override;

 protected:
  // A gradient over an area without width or height has nothing to show: its box goes bad.
  void AfterBox(TvxDXFConverter* conv) override;

  std::array<TvxColorCAD, 2> FGradientColor = {MakeColorCAD(acRGBColor, 0xFF0000),
                                               MakeColorCAD(acRGBColor, 0xFFFFFF)};
  double FGradientAngle = 0;
  bool FGradientUseCenter = true;
  TvxGradientType FType = gtNone;
};

// A curve polygon's own values as drawing files store them: both readers collect one and hand it over
// with AssignFields.
struct TvxCurvePolygonFields {
  TFPoint Elevation;                  // the elevation point
  TFPoint Extrusion = cnstExtrusion;
  int IslandStyle = 0;                // 0 nested, 1 outermost, 2 ignore
  bool Gradient = false;              // the gradient values below apply
  std::string GradientName;
  double GradientAngle = 0;           // degrees
  double GradientShift = 0;           // centred when its magnitude is below 1e-6
  std::array<TvxColorCAD, 2> GradientColors{MakeColorCAD(acRGBColor, 0xFF0000),
                                            MakeColorCAD(acRGBColor, 0xFFFFFF)};
};

class TvxCADCurvePolygon : public TvxCADGradientPolygon {
  VX_ENTITY_CLASS(TvxCADCurvePolygon)
 public:
  TvxCADCurvePolygon();
  TvxCADEntities EntType() const override { return ceCurvePolygon; }

  TvxCADBoundaryData& BoundaryDataObject() { return *FBoundaryData; }
  const TvxCADBoundaryData& BoundaryDataObject() const { return *FBoundaryData; }
  int BoundaryDataCount() const { return FBoundaryData->BoundaryCount(); }
  Tvx2DBoundaryList* BoundaryData(int i) const { return FBoundaryData->Boundary(i); }
  Tvx2DBoundaryList* BoundaryDataLast() const { return FBoundaryData->LastBoundary(); }
  Tvx2DBoundaryList* AddBoundaryList() { return FBoundaryData->AddBoundary(); }
  void ClearBoundaryData() { FBoundaryData->ClearBoundaries(); }

  TFPoint Elevation() const { return FElevation; }
  void SetElevation(const TFPoint& e) { FElevation = e; }
  TFPoint GetExtrusion() const override { return FExtrusion; }
  void SetExtrusion(const TFPoint& e) override { FExtrusion = e; }
  const TFMatrix& Matrix() const override { return FMatrix; }
  TvxIslandStyle IslandStyle() const { return FIslandStyle; }
  void SetIslandStyle(TvxIslandStyle s) { FIslandStyle = s; }
  // Elevation, extrusion, island style and (when set) the gradient, as read.
  void AssignFields(const TvxCurvePolygonFields& f);

  // Takes over a boundary data object (or, for hatches, a pattern data object), freeing the
  // one it had; returns 0, or -1 for anything else.
  int InsertEntity(int index, TvxDXFEntity* e) override;
  // The loops' box taken to world coordinates (when the drawing is viewed, not imported).
  TFRect GetBox() override;
  void AssignEntity(const TvxDXFEntity* source) override;

 protected:
  void BuildLoops(TvxDXFConverter* conv) override;

  TvxEntityPtr<TvxCADBoundaryData> FBoundaryData;
  TFPoint FElevation;
  TFPoint FExtrusion = cnstExtrusion;
  TFMatrix FMatrix = cnstIdentityMat;
  TvxIslandStyle FIslandStyle = isNested;
};

class TvxCADHatch : public TvxCADCurvePolygon {
  VX_ENTITY_CLASS(TvxCADHatch)
 public:
  TvxCADHatch();
  TvxCADEntities EntType() const override { return ceHatch; }

  bool SolidFill() const override { return false; }
  // The pattern name, or the gradient name when it has none.
  std::string HatchName() const override;

  TvxCADHatchPatternData& HatchPatternData() { return *FHatchPatternData; }
  const TvxCADHatchPatternData& HatchPatternData() const { return *FHatchPatternData; }
  TvxHatchPatternData& AddPatternData(const TFPoint& base, double sign, double angle) {
    return FHatchPatternData->AddPatternData(base, sign, angle);
  }
  double PatternAngle() const { return FHatchPatternData->Angle(); }
  // Turns the pattern (see DoAngle) and makes the fill style fsCAD.
  void SetPatternAngle(double a);
  double PatternScale() const { return FHatchPatternData->Scale(); }
  // Ignored below 1e-6; scales the pattern (see DoScale) and makes the fill style fsCAD.
  void SetPatternScale(double s);
  // Turn and scale the pattern lines without recording it.
  virtual void RotatePatterns(double degrees) { FHatchPatternData->RotatePatterns(degrees); }
  virtual void ScalePatterns(double factor) { FHatchPatternData->ScalePatterns(factor); }

  TvxHatchStyle HatchStyle() const { return static_cast<TvxHatchStyle>(FHatchStyles & 0xFF); }
  void SetHatchStyle(TvxHatchStyle s) { FHatchStyles = (FHatchStyles & ~0xFF) | static_cast<int>(s); }
  TvxFillStyle FillStyle() const { return static_cast<TvxFillStyle>((FHatchStyles >> 8) & 0x7F); }
  // A new style other than fsCAD rebuilds the pattern lines from it.
  void SetFillStyle(TvxFillStyle s);

  // The pattern segments as point pairs (object coordinates), made by the load.
  const TFPointList& ParsedLines() const { return FParsedLines; }
  // Set when the last load stopped at a limit: the pattern is too fine to draw as lines, so it
  // is drawn as a solid area instead of not at all.
  bool PatternOverflow() const { return FPatternOverflow; }
  // The limits of the next loads of this hatch.
  void SetLimits(const TvxHatchLimits& limits) { FLimits = limits; }

  double GetLineWeight() const override { return FLineWeight; }
  void SetLineWeight(double w) override { FLineWeight = w; }
  void SetLWeight(int hundredths) override;
  double GetThickness() const override { return FLineWeight; }

  int InsertEntity(int index, TvxDXFEntity* e) override;
  void AssignEntity(const TvxDXFEntity* source) override;

 protected:
  // The pattern segments, under the limits (which leave none).
  void AfterBox(TvxDXFConverter* conv) override;

  TvxEntityPtr<TvxCADHatchPatternData> FHatchPatternData;
  int FHatchStyles = static_cast<int>(hsPatternData) | static_cast<int>(fsCAD) << 8;
  TFPointList FParsedLines;
  double FLineWeight = fLineWeightByLayer;
  bool FPatternOverflow = false;
  TvxHatchLimits FLimits;
};

class TvxCADMPolygon : public TvxCADHatch {
  VX_ENTITY_CLASS(TvxCADMPolygon)
 public:
  TvxCADEntities EntType() const override { return ceMPolygon; }

  // The fill flag of the multi-polygon: painted in its fill colour.
  bool SolidFill() const override { return FSolidFill; }
  void SetSolidFill(bool v) override { FSolidFill = v; }
  TF2DPoint Offset() const { return FOffset; }
  void SetOffset(const TF2DPoint& o) { FOffset = o; }
  TvxColorCAD FillColor() const { return FFillColor; }
  void SetFillColor(const TvxColorCAD& c) { FFillColor = c; }

  void AssignEntity(const TvxDXFEntity* source) override;

 protected:
  TF2DPoint FOffset;
  TvxColorCAD FFillColor = cnstColorCADByLayer();
  bool FSolidFill = false;
};

}  // namespace vx
