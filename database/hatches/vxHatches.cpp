// vxHatches: loading and copying of the filled-area entities.
#include "database/hatches/vxHatches.h"

#include "database/core/vxConverter.h"
#include "foundation/vxGeometry2D.h"

#include <cmath>
#include <new>

namespace vx {

// ---- poly-polygon ---------------------------------------------------------------------------

TF2DPointList& TvxCADPolyPolygon::AddBoundary(const TF2DPointList& loop) {
  FBoundaryPolylines.push_back(loop);
  return FBoundaryPolylines.back();
}

void TvxCADPolyPolygon::LoadData(TvxDXFConverter* conv) {
  TvxDXFObjectEntityLineType::LoadData(conv);
  BuildLoops(conv);
  FBox = BadBox;
  bool any = false;
  for (TF2DPointList& loop : FBoundaryPolylines) {
    if (loop.Count() && !PointsEqual2D(loop.Last(), loop.First(), Accuracy)) loop.Append(loop.First());
    for (const TF2DPoint& p : loop) {
      if (!std::isfinite(p.X) || !std::isfinite(p.Y)) continue;
      ExpandBox(FBox, {p.X, p.Y, 0});
      any = true;
    }
  }
  if (any) AfterBox(conv);
}

void TvxCADPolyPolygon::AssignEntity(const TvxDXFEntity* source) {
  TvxDXFObjectEntityLineType::AssignEntity(source);
  auto* src = dynamic_cast<const TvxCADPolyPolygon*>(source);
  if (!src || src == this) return;
  FBox = src->FBox;
  FBoundaryPolylines = src->FBoundaryPolylines;
}

// ---- gradient polygon -----------------------------------------------------------------------

TColor TvxCADGradientPolygon::GradientColor(int i) const {
  return ColorCADToColor(GradientColorCAD(i));
}

void TvxCADGradientPolygon::SetGradientColor(int i, TColor c) {
  SetGradientColorCAD(i, ColorToColorCAD(c));
}

TvxColorCAD TvxCADGradientPolygon::GradientColorCAD(int i) const {
  if (i < 0 || i > 1) return cnstColorCADByWhite();
  return FGradientColor[static_cast<size_t>(i)];
}

void TvxCADGradientPolygon::SetGradientColorCAD(int i, const TvxColorCAD& c) {
  if (i >= 0 && i <= 1) FGradientColor[static_cast<size_t>(i)] = c;
}

std::string TvxCADGradientPolygon::HatchName() const {
  return FType == gtNone ? TvxCADPolyPolygon::HatchName() : GradientName();
}

void TvxCADGradientPolygon::AfterBox(TvxDXFConverter* conv) {
  if (!(FBox.Right - FBox.Left > Accuracy) || !(FBox.Top - FBox.Bottom > Accuracy)) FBox = BadBox;
}

void TvxCADGradientPolygon::AssignEntity(const TvxDXFEntity* source) {
  TvxCADPolyPolygon::AssignEntity(source);
  auto* src = dynamic_cast<const TvxCADGradientPolygon*>(source);
  if (!src || src == this) return;
  FGradientColor = src->FGradientColor;
  FGradientAngle = src->FGradientAngle;
  FGradientUseCenter = src->FGradientUseCenter;
  FType = src->FType;
}

// ---- curve polygon --------------------------------------------------------------------------

TvxCADCurvePolygon::TvxCADCurvePolygon() : FBoundaryData(new TvxCADBoundaryData()) {}

int TvxCADCurvePolygon::InsertEntity(int index, TvxDXFEntity* e) {
  auto* data = dynamic_cast<TvxCADBoundaryData*>(e);
  if (!data) return -1;
  if (data != FBoundaryData.get()) FBoundaryData.reset(data);
  return 0;
}

void TvxCADCurvePolygon::BuildLoops(TvxDXFConverter* conv) {
  // A normal of no length or with non-finite parts is the default one.
  TFPoint ext = FExtrusion;
  const double len = std::sqrt(ext.X * ext.X + ext.Y * ext.Y + ext.Z * ext.Z);
  if (!(len > Accuracy) || !std::isfinite(len)) ext = cnstExtrusion;
  const bool elevated = std::isfinite(FElevation.X) && std::isfinite(FElevation.Y) &&
                        std::isfinite(FElevation.Z) && !(FElevation == cnstFPointZero);
  FMatrix = (elevated || !IsEqualFPoints(ext, cnstExtrusion))
                ? MultiplyMatrix(TranslationMatrix(elevated ? FElevation : cnstFPointZero),
                                 ExtrusionMatrix(ext))
                : cnstIdentityMat;
  TvxEdgeResolution res;
  if (conv) {
    res.CircleParts = conv->NumberOfPartsInCircle();
    res.SplineParts = conv->NumberOfPartsInSpline();
  }
  BuildBoundaryLoops(*FBoundaryData, SolidFill(), res, FBoundaryPolylines, FIslandStyle);
}

TFRect TvxCADCurvePolygon::GetBox() {
  if (IsBadBox(FBox) || !HasMatrix()) return FBox;
  const TvxDXFConverter* conv = GetConverter();
  if (conv && conv->ImportMode() == imImport) return FBox;
  return TransformBox(FBox, FMatrix);
}

void TvxCADCurvePolygon::AssignFields(const TvxCurvePolygonFields& f) {
  SetElevation(f.Elevation);
  SetExtrusion(f.Extrusion);
  SetIslandStyle(f.IslandStyle == 1 ? isOutermost : f.IslandStyle == 2 ? isIgnore : isNested);
  if (!f.Gradient) return;
  SetGradientName(f.GradientName);
  SetGradientAngle(f.GradientAngle);
  SetGradientUseCenter(std::fabs(f.GradientShift) < 1e-6);
  SetGradientColorCAD(0, f.GradientColors[0]);
  SetGradientColorCAD(1, f.GradientColors[1]);
}

void TvxCADCurvePolygon::AssignEntity(const TvxDXFEntity* source) {
  TvxCADGradientPolygon::AssignEntity(source);
  auto* src = dynamic_cast<const TvxCADCurvePolygon*>(source);
  if (!src || src == this) return;
  FBoundaryData->AssignEntity(src->FBoundaryData.get());
  FElevation = src->FElevation;
  FExtrusion = src->FExtrusion;
  FMatrix = src->FMatrix;
  FIslandStyle = src->FIslandStyle;
}

// ---- hatch ----------------------------------------------------------------------------------

TvxCADHatch::TvxCADHatch() : FHatchPatternData(new TvxCADHatchPatternData()) {}

std::string TvxCADHatch::HatchName() const {
  const std::string name = FHatchPatternData->GetName();
  return name.empty() ? GradientName() : name;
}

void TvxCADHatch::SetPatternAngle(double a) {
  FHatchPatternData->DoAngle(a);
  FHatchStyles = (FHatchStyles & 0xFF) | static_cast<int>(fsCAD) << 8;
}

void TvxCADHatch::SetPatternScale(double s) {
  if (!(s >= 1e-6)) return;
  FHatchStyles = (FHatchStyles & 0xFF) | static_cast<int>(fsCAD) << 8;
  FHatchPatternData->DoScale(s);
}

void TvxCADHatch::SetFillStyle(TvxFillStyle s) {
  if (s == FillStyle()) return;
  FHatchStyles = (FHatchStyles & 0xFF) | (static_cast<int>(s) & 0x7F) << 8;
  BuildFillStylePatterns(s, *FHatchPatternData);
}

void TvxCADHatch::SetLWeight(int hundredths) {
  if (FLineWeight == fLineWeightByLayer) FLineWeight = hundredths / 100.0;
}

int TvxCADHatch::InsertEntity(int index, TvxDXFEntity* e) {
  if (auto* data = dynamic_cast<TvxCADHatchPatternData*>(e)) {
    if (data != FHatchPatternData.get()) FHatchPatternData.reset(data);
    return 0;
  }
  return TvxCADCurvePolygon::InsertEntity(index, e);
}

void TvxCADHatch::AfterBox(TvxDXFConverter* conv) {
  TvxCADCurvePolygon::AfterBox(conv);
  FParsedLines.Clear();
  FPatternOverflow = false;
  if (IsBadBox(FBox) || FillStyle() != fsCAD) return;
  try {
    SetHatchStyle(GenerateHatchLines(FBoundaryPolylines, FBox, *FHatchPatternData, FParsedLines,
                                     FLimits, HatchStyle()));
  } catch (const EvxLimitTimeUsesException&) {
    FPatternOverflow = true;
  } catch (const EvxLimitMemoryUsesException&) {
    FPatternOverflow = true;
  } catch (const std::bad_alloc&) {
    FPatternOverflow = true;
  }
  if (FPatternOverflow) {
    FParsedLines.Clear();
    FParsedLines.Vector().shrink_to_fit();
  }
}

void TvxCADHatch::AssignEntity(const TvxDXFEntity* source) {
  TvxCADCurvePolygon::AssignEntity(source);
  auto* src = dynamic_cast<const TvxCADHatch*>(source);
  if (!src || src == this) return;
  FHatchPatternData->CopyPatterns(*src->FHatchPatternData);
  FHatchStyles = src->FHatchStyles;
  FParsedLines = src->FParsedLines;
  FLineWeight = src->FLineWeight;
  FPatternOverflow = src->FPatternOverflow;
  FLimits = src->FLimits;
}

// ---- multi-polygon --------------------------------------------------------------------------

void TvxCADMPolygon::AssignEntity(const TvxDXFEntity* source) {
  TvxCADHatch::AssignEntity(source);
  auto* src = dynamic_cast<const TvxCADMPolygon*>(source);
  if (!src || src == this) return;
  FOffset = src->FOffset;
  FFillColor = src->FFillColor;
  FSolidFill = src->FSolidFill;
}

}  // namespace vx
