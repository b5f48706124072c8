// vxGenerator: the curve point generator TvxGeneratorShapeEdge. It turns bulge arcs, B-splines
// (de Boor, degrees 1, 2 and 4..9, optionally rational), cubic splines by knots (Cox-de Boor) and
// quadratic curves (adaptive subdivision) into points appended to one output list: a typed list
// (TFPointList, TF2DPointList, TvxDoubleList) or a generic pointer list fed through callbacks.
//
// Every generating call holds the generator's own mutex for its whole duration, so one generator
// may be shared by threads. Setting the output list and the resolutions is not locked: a shared
// generator should be set up once, before it is shared (or under Lock/Unlock, see there).
#pragma once

#include "foundation/vxConsts.h"
#include "foundation/vxLists.h"

#include <cstdint>
#include <functional>
#include <mutex>

namespace vx {

enum class TvxListType : uint8_t { ltNil, ltList, ltFPoint, ltF2DPoint, ltDouble };
using enum TvxListType;

class TvxGeneratorShapeEdge {
 public:
  // Adds a point to the generic list (output mode ltList).
  using TvxAddPointProc = std::function<void(TvxPointerList& list, const TFPoint& p)>;
  // Makes a list item from a point (output mode ltList; preferred over the add callback).
  // It runs with the generator locked, so it must not call a generating method itself.
  using TvxCreatePointFunc = std::function<void*(TvxGeneratorShapeEdge& gen, const TFPoint& p)>;

  static constexpr uint32_t cnstDefaultCirclePart = 48;
  static constexpr uint32_t cnstDefaultSplinePart = 24;
  static constexpr uint32_t cnstMinPart = 3;
  static constexpr uint32_t cnstMaxPart = 255;
  static constexpr uint32_t cnstMaxQuality = 6;
  static constexpr uint8_t cnstRecursionLimit = 16;

  TvxGeneratorShapeEdge();
  TvxGeneratorShapeEdge(const TvxGeneratorShapeEdge&) = delete;
  TvxGeneratorShapeEdge& operator=(const TvxGeneratorShapeEdge&) = delete;
  ~TvxGeneratorShapeEdge() = default;

  // Brackets a caller's own work (for instance switching the output list of a shared generator).
  // The mutex is not recursive: never call a generating method between Lock and Unlock.
  void Lock() { FLock.lock(); }
  void Unlock() { FLock.unlock(); }

  // Output to a typed list; the callbacks are cleared. A null list means no output.
  void SetBaseList(TFPointList* list);
  void SetBaseList(TF2DPointList* list);
  void SetBaseList(TvxDoubleList* list);
  // Output to a generic list through the callbacks; ltList when a list is given, ltNil otherwise.
  void SetListAndProc(TvxPointerList* list, TvxAddPointProc addPoint,
                      TvxCreatePointFunc createPoint = nullptr);

  TvxListType ListType() const { return FListType; }
  void* List() const { return FList; }

  uint32_t NumberCirclePart() const { return FNumberCirclePart; }
  // Clamped to 3..255.
  void SetNumberCirclePart(int64_t value);
  uint32_t NumberSplinePart() const { return FNumberSplinePart; }
  // Clamped to 3..255.
  void SetNumberSplinePart(int64_t value);
  uint32_t QualityApproximation() const { return FQualityApproximation; }
  // Clamped to 0..6; recomputes the flatness tolerances of quadratic curves.
  void SetQualityApproximation(int64_t value);
  double DistanceToleranceSquare() const { return FDistanceToleranceSquare; }
  double DistanceToleranceManhattan() const { return FDistanceToleranceManhattan; }
  uint8_t RecursionLimit() const { return FRecursionLimit; }

  // Degrees evaluated by de Boor: 1, 2 and 4..9 (3 goes through CreateSplineByKnots).
  static bool IsBSpline(int degree);

  // Arc from P1 to P2 with the given bulge: P1, NumberCirclePart - 1 inner points, P2. A positive
  // bulge turns counter-clockwise. When arc is given it receives the centre (with P1's Z), the
  // radius and the angles in degrees, the smaller first. Returns false when the bulge gives no
  // usable arc (zero, or a non-finite centre); then the straight segment P1, P2 is added and
  // arc gets the chord's midpoint and radius 0.
  bool CreateBulgesArc(const TFPoint& p1, const TFPoint& p2, double bulge, TvxArcR* arc = nullptr);

  // De Boor sampling of every non-empty knot span with NumberSplinePart + 1 samples. Rational
  // when weights are given (a missing weight counts as 1). Degrees refused by IsBSpline add
  // nothing. Samples that cannot be evaluated are skipped; when any was, the last control point
  // is added at the end.
  void CreateBSpline(const TFPointList& controls, const TvxDoubleList& knots, int degree,
                     const TvxDoubleList* weights = nullptr);
  // The same sampling for every degree 1..9, cubic included: for rational curves, whose
  // weights CreateSplineByKnots cannot carry.
  void CreateRationalBSpline(const TFPointList& controls, const TvxDoubleList& knots, int degree,
                             const TvxDoubleList* weights);

  // Cubic spline by knots: the first control point, samples of the spans 3..count-1 at
  // parameters k_i + j*(k_i+1 - k_i)*step below k_i+1, the last control point. Without knots the
  // control points themselves are added. Callers pass step = 1 / NumberSplinePart.
  void CreateSplineByKnots(const TFPointList& controls, const TvxDoubleList& knots, double step);

  // Inner points of the quadratic curve P1 (start), P2 (control), P3 (end) by adaptive
  // subdivision; the end points are not added.
  void CreateQuadraticSpline(const TFPoint& p1, const TFPoint& p2, const TFPoint& p3);

 private:
  bool CanOutput() const;
  void SampleBSpline(const TFPointList& controls, const TvxDoubleList& knots, int degree,
                     const TvxDoubleList* weights);
  void AddPoint(const TFPoint& p);
  void QuadraticStep(const TFPoint& p1, const TFPoint& p2, const TFPoint& p3, unsigned depth);

  TvxAddPointProc FAddPoint;
  TvxCreatePointFunc FCreatePoint;
  double FDistanceToleranceManhattan = 4.0;
  double FDistanceToleranceSquare = 0.5;
  void* FList = nullptr;
  TvxListType FListType = ltNil;
  std::mutex FLock;
  uint32_t FNumberCirclePart = cnstDefaultCirclePart;
  uint32_t FNumberSplinePart = cnstDefaultSplinePart;
  uint32_t FQualityApproximation = 0;
  uint8_t FRecursionLimit = cnstRecursionLimit;
};

}  // namespace vx
