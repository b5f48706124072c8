// vxEntSplines: splines and helices.
//
// TvxDXFSpline is stored as read: control points with knots (and weights when rational), or fit
// points with optional end tangents. LoadData turns it into drawable points in world
// coordinates: the fit points as they are (when asked to), a C2 cubic through the fit points
// (when there are fewer control points than fit points), or the B-spline of the control
// points sampled through the curve point generator. TvxCADHelix generates the fit points of a
// helix and then loads as a spline through them.
#pragma once

#include "database/entities/vxEntCurves.h"

#include <algorithm>
#include <vector>

namespace vx {

// Spline flag: rational (the weights are used).
constexpr int cnstSplineRational = 4;
// FFlagsExtented bit: draw the fit points as a plain polyline.
constexpr int cnstSplineFitPolyline = 1;

// Points one spline may generate; beyond it spans get fewer samples (at least 3) rather than
// the load running out of memory on a hostile file. Process-wide, settable for tests.
inline int64_t SplinePointBudget = int64_t{1} << 22;

// Fit points of a helix never exceed this (very many turns get fewer points per turn).
constexpr int cnstMaxHelixFitPoints = 16384;

// The C2 cubic through fits (chord-length parameters), n samples per fit interval; the very
// last sample is replaced by the last fit point. A non-zero tangent fixes the slope at its end
// (natural end otherwise). Consecutive equal fits must be removed by the caller. Appends
// nothing with fewer than 2 fits or n < 1.
void InterpolateFitPoints(const std::vector<TFPoint>& fits, const TFPoint& beginTangent,
                          const TFPoint& endTangent, int n, TFPointList& out);

// A tangent as the interpolation uses it: non-finite ones are dropped (zero), others made unit.
TFPoint NormalizeSplineTangent(const TFPoint& t);

// Fit points of a helix about axis (the base point) starting at start: ceil(turns x 16) steps
// (capped), radius growing to endRadius, rising turnHeight per turn. Empty for turns that are
// not finite or not above 0.
std::vector<TFPoint> HelixFitPoints(const TFPoint& axis, const TFPoint& start, double endRadius,
                                    double turns, double turnHeight, bool clockwise);

class TvxDXFSpline : public TvxCADBasePolyline {
  VX_ENTITY_CLASS(TvxDXFSpline)
 public:
  TvxCADEntities EntType() const override { return ceSpline; }

  // ---- stored data ----
  TFPoint BeginningTangent() const { return FBeginningTangent; }
  void SetBeginningTangent(const TFPoint& t) { FBeginningTangent = t; }
  TFPoint EndingTangent() const { return FEndingTangent; }
  void SetEndingTangent(const TFPoint& t) { FEndingTangent = t; }
  int Degree() const { return FDegree; }
  void SetDegree(int d) { FDegree = static_cast<uint8_t>(std::clamp(d, 0, 255)); }
  int FlagsExtented() const { return FFlagsExtented; }
  void SetFlagsExtented(int f) { FFlagsExtented = f; }
  bool IsRational() const { return (FFlags & cnstSplineRational) != 0; }

  int ControlCount() const { return FControls.Count(); }
  int FitCount() const { return FFit.Count(); }
  int KnotCount() const { return FKnots.Count(); }
  int WeightCount() const { return FWeights.Count(); }
  // The zero point (or 0) out of range.
  TFPoint GetControlPoint(int i) const;
  TFPoint GetFitPoint(int i) const;
  double Knot(int i) const;
  double Weight(int i) const;
  // Writers of stored items; an index out of range writes nothing.
  void SetControlPoint(int i, const TFPoint& p);
  void SetFitPoint(int i, const TFPoint& p);
  void SetKnot(int i, double k);
  void SetWeight(int i, double w);
  void AddControl(const TFPoint& p) { FControls.Append(p); }
  void AddFit(const TFPoint& p) { FFit.Append(p); }
  void AddKnot(double k) { FKnots.Append(static_cast<float>(k)); }
  void AddWeight(double w) { FWeights.Append(static_cast<float>(w)); }
  TFPointList& Controls() { return FControls; }
  TFPointList& Fit() { return FFit; }
  TvxSingleList& Knots() { return FKnots; }
  TvxSingleList& Weights() { return FWeights; }

  // Fewer control points than fit points: the curve goes through the fit points.
  bool IsByAngles() const { return FControls.Count() < FFit.Count(); }
  // Total chord length of the fit points (computed at load).
  double Length() const override { return FLen; }

  // Drops the extrusion (splines are stored in world coordinates), then the common load.
  void LoadData(TvxDXFConverter* conv) override;
  void BuildPoints() override;
  void AssignEntity(const TvxDXFEntity* source) override;

 protected:
  // Segments per spline span for this drawing, reduced so that spans x segments stays within
  // the point budget.
  int PartsInSpline(int64_t spans) const;
  void BuildThroughFits();
  void BuildByKnots();

  TFPoint FBeginningTangent;
  TFPointList FControls;
  uint8_t FDegree = 3;
  TFPoint FEndingTangent;
  TFPointList FFit;
  TvxSingleList FKnots;
  double FLen = 0;
  TvxSingleList FWeights;
  int FFlagsExtented = 0;
  TvxDXFConverter* FLoadConverter = nullptr;
};

class TvxCADHelix : public TvxDXFSpline {
  VX_ENTITY_CLASS(TvxCADHelix)
 public:
  TvxCADEntities EntType() const override { return ceHelix; }

  TFPoint StartPoint() const { return FStart; }
  void SetStartPoint(const TFPoint& p) { FStart = p; }
  double Radius() const { return FRadius; }
  void SetRadius(double r) { FRadius = r; }
  double Turns() const { return FTurns; }
  void SetTurns(double t) { FTurns = t; }
  double TurnHeight() const { return FTurnHeight; }
  void SetTurnHeight(double h) { FTurnHeight = h; }
  bool Clockwise() const { return FClockwise; }
  void SetClockwise(bool c) { FClockwise = c; }

  // Replaces controls, fits and knots by the helix's fit points, then the spline load.
  void LoadData(TvxDXFConverter* conv) override;
  void AssignEntity(const TvxDXFEntity* source) override;

 protected:
  TFPoint FStart;
  double FRadius = 0;
  double FTurns = 1;
  double FTurnHeight = 0;
  bool FClockwise = false;
};

}  // namespace vx
