// vxHatchEdges: the boundary edges of hatches and curve polygons (lines, circular and elliptic
// arcs, polylines with bulges, splines) with the points each generates, the boundary lists they
// form (Tvx2DBoundaryList), the boundary data an entity keeps (TvxCADBoundaryData), and the
// conversion of boundaries into closed point loops: chaining edges end to end, splitting what does
// not connect, emitting each chain as one loop (BuildBoundaryLoops).
//
// Coordinates are 2D object coordinates of the owning entity.
#pragma once

#include "database/core/DXFConvBase.h"

#include <memory>
#include <vector>

namespace vx {

// Segment counts an edge is generated with.
struct TvxEdgeResolution {
  int CircleParts = 48;  // per full turn of an arc or ellipse (and per bulge arc)
  int SplineParts = 24;  // per knot span
};

// Boundary path type bits (as read from the drawing file).
constexpr uint8_t cnstBoundaryExternal = 0x01;
constexpr uint8_t cnstBoundaryPolyline = 0x02;
constexpr uint8_t cnstBoundaryDerived = 0x04;
constexpr uint8_t cnstBoundaryTextBox = 0x08;
constexpr uint8_t cnstBoundaryOutermost = 0x10;
constexpr uint8_t cnstBoundaryIgnored = 0x80;  // never drawn

// An edge of a boundary. Generate fills the points the loop takes from it; StartPoint and
// EndPoint are its generated ends (a line's own ends).
class Tvx2DCurve : public TvxListObject {
 public:
  const char* ClassName() const override { return "Tvx2DCurve"; }
  virtual int EdgeType() const { return 255; }
  virtual std::unique_ptr<Tvx2DCurve> Clone() const { return std::make_unique<Tvx2DCurve>(*this); }
  virtual void Generate(const TvxEdgeResolution& res) {}
  virtual int Count() const { return 0; }
  virtual TF2DPoint Points(int i) const { return {}; }
  TF2DPoint StartPoint() const { return Count() ? Points(0) : TF2DPoint{}; }
  TF2DPoint EndPoint() const { return Count() ? Points(Count() - 1) : TF2DPoint{}; }
};

class Tvx2DLine : public Tvx2DCurve {
 public:
  Tvx2DLine() = default;
  Tvx2DLine(const TF2DPoint& s, const TF2DPoint& e) : FEndPoint(e), FStartPoint(s) {}
  const char* ClassName() const override { return "Tvx2DLine"; }
  int EdgeType() const override { return 1; }
  std::unique_ptr<Tvx2DCurve> Clone() const override { return std::make_unique<Tvx2DLine>(*this); }
  int Count() const override { return 2; }
  TF2DPoint Points(int i) const override { return i == 0 ? FStartPoint : FEndPoint; }

  TF2DPoint FEndPoint, FStartPoint;
};

// Edges whose points are generated into a list.
class Tvx2DPoints : public Tvx2DCurve {
 public:
  const char* ClassName() const override { return "Tvx2DPoints"; }
  int Count() const override { return FPoints.Count(); }
  TF2DPoint Points(int i) const override { return FPoints[i]; }
  const TF2DPointList& GeneratedPoints() const { return FPoints; }

 protected:
  TF2DPointList FPoints;
};

constexpr uint8_t cnstArcCounterClockWise = 0x01;

// A circular arc edge; the parameters are degrees. A clockwise arc keeps its angles as the
// drawing file gives them (mirrored): it runs clockwise from -start to -end.
class Tvx2DArc : public Tvx2DPoints {
 public:
  const char* ClassName() const override { return "Tvx2DArc"; }
  int EdgeType() const override { return 2; }
  std::unique_ptr<Tvx2DCurve> Clone() const override { return std::make_unique<Tvx2DArc>(*this); }
  bool CounterClockWise() const { return (FFlag & cnstArcCounterClockWise) != 0; }
  void SetCounterClockWise(bool v) {
    FFlag = static_cast<uint8_t>(v ? FFlag | cnstArcCounterClockWise : FFlag & ~cnstArcCounterClockWise);
  }
  void Generate(const TvxEdgeResolution& res) override;

  TF2DPoint FCenterPoint;
  double FEndParam = 360;
  uint8_t FFlag = cnstArcCounterClockWise;
  double FRadius = 0;
  double FStartParam = 0;

 protected:
  // The point at angle t (degrees) of the curve.
  virtual TF2DPoint At(double tDeg) const;
  // The curve parameter (degrees) of a stored angle.
  virtual double ParamOf(double aDeg) const { return aDeg; }
};

// An elliptic arc edge: FMajorPoint is the end of the major axis relative to the centre and
// FRadius the minor-to-major ratio. With IsAngleInParam the stored angles are true angles from
// the major axis, turned into curve parameters before use.
class Tvx2DEllipse : public Tvx2DArc {
 public:
  const char* ClassName() const override { return "Tvx2DEllipse"; }
  int EdgeType() const override { return 3; }
  std::unique_ptr<Tvx2DCurve> Clone() const override { return std::make_unique<Tvx2DEllipse>(*this); }

  TF2DPoint FMajorPoint{1, 0};
  bool IsAngleInParam = false;

 protected:
  TF2DPoint At(double tDeg) const override;
  double ParamOf(double aDeg) const override;
};

constexpr uint8_t cnstEdgePolylineClosed = 0x01;

// A polyline edge: vertices, each with the bulge of the arc to the next vertex (missing bulges
// count as 0); a closed one runs on from the last vertex to the first.
class Tvx2DPolyline : public Tvx2DPoints {
 public:
  const char* ClassName() const override { return "Tvx2DPolyline"; }
  int EdgeType() const override { return 0; }
  std::unique_ptr<Tvx2DCurve> Clone() const override { return std::make_unique<Tvx2DPolyline>(*this); }
  bool Closed() const { return (FProps & cnstEdgePolylineClosed) != 0; }
  void SetClosed(bool v) {
    FProps = static_cast<uint8_t>(v ? FProps | cnstEdgePolylineClosed : FProps & ~cnstEdgePolylineClosed);
  }
  bool HasBulge() const;
  void Generate(const TvxEdgeResolution& res) override;

  TvxDoubleList FBulges;
  uint8_t FProps = 0;
  TF2DPointList FVertexes;
};

// A spline edge. Rational splines keep their weights in every degree.
class Tvx2DSpline : public Tvx2DPoints {
 public:
  const char* ClassName() const override { return "Tvx2DSpline"; }
  int EdgeType() const override { return 4; }
  std::unique_ptr<Tvx2DCurve> Clone() const override { return std::make_unique<Tvx2DSpline>(*this); }
  void Generate(const TvxEdgeResolution& res) override;

  TF2DPointList FControls;
  TF2DPointList FFitPoints;  // used when there are no control points
  TvxDoubleList FKnots;
  int Degree = 3;
  bool Periodic = false;
  bool Rational = false;
  TvxDoubleList FWeights;
};

// One boundary: its path type and its edges (owned).
class Tvx2DBoundaryList {
 public:
  Tvx2DBoundaryList() = default;
  Tvx2DBoundaryList(const Tvx2DBoundaryList& other) { CopyFrom(other); }
  Tvx2DBoundaryList& operator=(const Tvx2DBoundaryList& other) {
    if (this != &other) CopyFrom(other);
    return *this;
  }

  uint8_t BoundaryType() const { return FBoundaryType; }
  void SetBoundaryType(uint8_t t) { FBoundaryType = t; }
  int Count() const { return static_cast<int>(FObjects.size()); }
  Tvx2DCurve* Items(int i) const { return FObjects[static_cast<size_t>(i)].get(); }
  // Takes the edge over; nil is ignored. Returns the edge.
  Tvx2DCurve* Add(std::unique_ptr<Tvx2DCurve> edge);
  template <class T>
  T* AddEdge() {
    return static_cast<T*>(Add(std::make_unique<T>()));
  }
  void Insert(int i, std::unique_ptr<Tvx2DCurve> edge);
  void Delete(int i);
  void Clear() { FObjects.clear(); }
  // Deep copy of the type and the edges.
  void CopyFrom(const Tvx2DBoundaryList& other);
  // A boundary of line edges through the points (closed: the last joins the first).
  void AssignBoundary(const TF2DPointList& points);

 private:
  uint8_t FBoundaryType = 0;
  std::vector<std::unique_ptr<Tvx2DCurve>> FObjects;
};

// The boundaries of a curve polygon or hatch (an entity so that readers may hand it over as a
// child; the entity keeps exactly one).
class TvxCADBoundaryData : public TvxDXFEntity {
  VX_ENTITY_CLASS(TvxCADBoundaryData)
 public:
  int BoundaryCount() const { return static_cast<int>(FBoundaries.size()); }
  Tvx2DBoundaryList* Boundary(int i) const;
  Tvx2DBoundaryList* LastBoundary() const { return FBoundaries.empty() ? nullptr : FBoundaries.back().get(); }
  Tvx2DBoundaryList* AddBoundary();
  void ClearBoundaries() { FBoundaries.clear(); }
  void AssignEntity(const TvxDXFEntity* source) override;

 private:
  std::vector<std::unique_ptr<Tvx2DBoundaryList>> FBoundaries;
};

// Edge ends closer than this (in drawing units) join when boundaries are chained.
constexpr double cnstBoundaryChainTolerance = 0.005;

// Which boundaries take part in the fill (the drawing file's hatch style): every one, nested
// ones alternating in and out; the external and outermost ones only; the external ones only.
enum class TvxIslandStyle : uint8_t { isNested, isOutermost, isIgnore };
using enum TvxIslandStyle;

// The closed point loops of the boundaries (each loop ends with its first point). Boundaries
// with the ignored bit, and, for a solid fill, those above 31 without the derived bit, are
// skipped, and so are those the island style leaves out (unless it would leave out all of them:
// files that flag no boundary as external fill every one); every edge generates its points;
// edges are chained end to end (nearest end first, forwards then backwards from the first edge)
// and each chain becomes one loop, so edges given in any order or direction give one loop while
// edges that meet nothing start loops of their own.
void BuildBoundaryLoops(const TvxCADBoundaryData& data, bool solidFill,
                        const TvxEdgeResolution& res, std::vector<TF2DPointList>& loops,
                        TvxIslandStyle style = isNested);

}  // namespace vx
