// vxEntPolylines: polylines of every kind and their vertices.
//
// TvxDXFVertex is one vertex as read (point, bulge, widths, or the four vertex numbers of a
// polyface face record). TvxDXFPolyline owns its vertices and turns them into drawable points:
// 2D polylines (with bulge arcs and the width outline), 3D polylines, polygon meshes (M x N
// grids) and polyface meshes (points plus a face list). TvxDXFLWPolyline is the lightweight
// form: never a mesh, never 3D, vertex Z used as stored.
//
// PointsCounts has one entry per vertex: the number of points it added (1 for a straight
// segment or a lone point, N + 1 for a bulge arc), -1 for a spline frame control point, 4 for a
// face record (which adds no points, only face numbers).
#pragma once

#include "database/entities/vxEntCurves.h"
#include "database/entities/vxEntPolyWidth.h"

#include <array>
#include <memory>
#include <vector>

namespace vx {

// Vertex flag values.
constexpr int cnstVertexSplineFrame = 16;   // spline frame control point, never drawn
constexpr int cnstVertex3D = 32;            // vertex of a 3D polyline
constexpr int cnstVertexPolyFaceMesh = 64;  // vertex of a polyface mesh
constexpr int cnstVertexFaceRecord = 128;   // exactly 128: a polyface face record

// Points one polyline may generate; beyond it bulge arcs get fewer segments (at least 3) rather
// than the load running out of memory on a hostile file. Process-wide, settable for tests.
inline int64_t PolylinePointBudget = int64_t{1} << 22;

// Polyline flag values (as in the drawing file).
constexpr int cnstPolyline3D = 8;
constexpr int cnstPolylineMesh = 16;
constexpr int cnstPolylineMeshNClosed = 32;
constexpr int cnstPolylinePolyFace = 64;

class TvxDXFVertex : public TvxDXFEntity {
  VX_ENTITY_CLASS(TvxDXFVertex)
 public:
  TvxDXFVertex() = default;

  TvxDXFEntity* GetOwner() const override { return FOwner; }
  void SetOwner(TvxDXFEntity* owner) override { FOwner = owner; }
  uint64_t GetHandle() const override { return FHandle; }
  void SetHandle(uint64_t h) override { FHandle = h; }
  int GetFlags() const override { return FFlags; }
  void SetFlags(int f) override { FFlags = f; }

  TFPoint GetPoint() const { return FPoint; }
  void SetPoint(const TFPoint& p) { FPoint = p; }
  double GetBulge() const { return FBulge; }
  void SetBulge(double b);
  double GetStartWidth() const { return FStartWidth; }
  void SetStartWidth(double w);
  double GetEndWidth() const { return FEndWidth; }
  void SetEndWidth(double w);

  bool Is3DVertex() const { return (FFlags & cnstVertex3D) != 0; }
  // Making a vertex 3D clears its bulge and widths; a 3D vertex ignores new ones.
  void SetIs3DVertex(bool v);
  bool IsSplineFrame() const { return (FFlags & cnstVertexSplineFrame) != 0; }
  bool IsPolyfaceMeshVertex() const { return FFlags == cnstVertexFaceRecord; }

  // The face's vertex numbers as read (1-based, negative: the edge from it is invisible);
  // 0 while none was written. i outside 0..3 reads 0 and writes nothing.
  int GetPolyFaceVertexIndex(int i) const;
  void SetPolyFaceVertexIndex(int i, int value);
  bool HasPolyFaceIndexes() const { return FPolyFaceIndexes != nullptr; }

  // The point itself.
  TFRect GetBox() override;
  void AssignEntity(const TvxDXFEntity* source) override;

 protected:
  int FFlags = 0;
  uint64_t FHandle = 0;
  TFPoint FPoint;
  double FBulge = 0;
  double FEndWidth = 0;
  std::unique_ptr<std::array<int, 4>> FPolyFaceIndexes;
  double FStartWidth = 0;
  TvxDXFEntity* FOwner = nullptr;  // non-owning: the polyline
};

// One face of a polyface mesh with its vertex numbers checked against the points.
struct TvxPolyFace {
  int Count = 0;                        // corners in use (at most 4)
  std::array<int, 4> Index{};           // 0-based indexes into the points
  std::array<bool, 4> EdgeVisible{};    // the edge from corner i to corner i + 1
};

class TvxDXFPolyline : public TvxCADBasePolyline {
  VX_ENTITY_CLASS(TvxDXFPolyline)
 public:
  TvxDXFPolyline() = default;
  TvxCADEntities EntType() const override { return cePolyline; }

  // ---- vertices (the polyline owns them; only vertices are accepted) ----
  int Count() const override { return static_cast<int>(FEntities.size()); }
  TvxDXFEntity* GetEntity(int index) const override;
  void SetEntity(int index, TvxDXFEntity* e) override;
  int InsertEntity(int index, TvxDXFEntity* e) override;
  TvxDXFEntity* DeleteEntity(int index) override;
  void ExchangeEntity(int i, int j) override;
  int IndexOfEntity(const TvxDXFEntity* e) const override;
  void Clear(bool freeChildren) override;
  TvxDXFVertex* GetVertex(int i) const;
  TvxDXFVertex* Vertexes(int i) const { return GetVertex(i); }
  // Adds a vertex at p (a convenience for code that builds polylines).
  TvxDXFVertex* AddVertex(const TFPoint& p, double bulge = 0, double startWidth = 0,
                          double endWidth = 0);

  // ---- kind ----
  virtual bool IsLightweight() const { return false; }
  bool Polyline3D() const;
  void SetPolyline3D(bool v);
  bool IsPolygonMesh() const override;
  bool IsPolyFaceMesh() const;
  bool IsMeshMClosed() const { return GetClosed(); }
  bool IsMeshNClosed() const { return (FFlags & cnstPolylineMeshNClosed) != 0; }
  int MeshM() const { return FMeshM; }
  void SetMeshM(int m) { FMeshM = m; }
  int MeshN() const { return FMeshN; }
  void SetMeshN(int n) { FMeshN = n; }
  // 3D polylines and meshes keep world coordinates whatever their extrusion says.
  bool HasExtrusion() const override;
  double GetElevation() const override { return FPoint.Z; }

  // ---- widths ----
  double StartWidth() const { return FStartW; }
  void SetStartWidth(double w) { FStartW = w; }
  double EndWidth() const { return FEndW; }
  void SetEndWidth(double w) { FEndW = w; }
  double GlobalWidth() const { return FGlobalW; }
  void SetGlobalWidth(double w) { FGlobalW = w; }
  // A width of the polyline itself (global, start or end), or of any vertex.
  bool HasWidth() const override { return HasWidth(true); }
  bool HasWidth(bool full) const;

  // ---- results of the load ----
  const TvxIntegerList& PointsCounts() const { return FPointsCounts; }
  // Face vertex numbers as read, 4 per face (nil when there are none).
  const TvxIntegerList* PolyFaceVertexIndexes() const { return FPolyFaceVertexIndexes.get(); }
  // The faces with their numbers checked against the points: numbers of 0 end a face, numbers
  // beyond the points drop the corner, so every index is usable as is.
  std::vector<TvxPolyFace> PolyFaceFaces() const;
  // The width outline, four points per quad (nil when the polyline has none).
  const TFPointList* Arrows() const { return FArrows.get(); }
  // The pattern the outline was cut with (non-owning; nil for continuous).
  const TvxLines* ArrowsLines() const { return FArrowsLines; }
  // The lines and arcs built in import mode.
  int PolyLineEntitiesCount() const { return static_cast<int>(FPolyLineEntities.size()); }
  TvxDXFEntity* PolyLineEntity(int i) const;
  // The sagitta of the bulge arc from vertex i (0 for a straight or missing segment).
  double BulgeHeight(int i) const;

  double Area() const override;
  double Length() const override;

  void ApplyThickness() override;
  void UpdateBox() override;
  void BuildPoints() override;
  void LoadData(TvxDXFConverter* conv) override;
  // In import mode, with arcs not drawn as curves, the lines and arcs are walked instead.
  void DoIterate(TvxDXFConverter* conv, const TvxEntityProc& finishProc,
                 const TvxEntityProc& proc) override;
  void AssignEntity(const TvxDXFEntity* source) override;
  void FreeOwnedParts() override;

 protected:
  ~TvxDXFPolyline() override { Clear(true); }
  // Whether a vertex is drawn (not a frame point, not a face record).
  static bool IsDrawnVertex(const TvxDXFVertex* v);
  void BuildMeshPoints();
  // Vertex points and bulge arcs; segs receives the drawn segments in object coordinates
  // with the widths of their vertices.
  void BuildVertexPoints(TvxDXFConverter* conv, std::vector<TvxWidthSegment>& segs);
  void InsertDashPoints();
  void BuildOutline(std::vector<TvxWidthSegment>& segs);
  // The elevation rule of a vertex point (object coordinates), and object to world.
  TFPoint AdjustZ(const TFPoint& p) const;
  TFPoint ToWorld(const TFPoint& p) const;
  void ClearImportEntities();

  std::unique_ptr<TFPointList> FArrows;
  const TvxLines* FArrowsLines = nullptr;
  std::vector<TvxDXFVertex*> FEntities;  // owned
  int FMeshM = 0;
  int FMeshN = 0;
  std::unique_ptr<TvxIntegerList> FPolyFaceVertexIndexes;
  std::vector<TvxEntityPtr<>> FPolyLineEntities;
  double FStartW = 0;
  double FEndW = 0;
  double FGlobalW = 0;
  TvxIntegerList FPointsCounts;
  // The drawing being loaded (set for the duration of LoadData).
  TvxDXFConverter* FLoadConverter = nullptr;
};

class TvxDXFLWPolyline : public TvxDXFPolyline {
  VX_ENTITY_CLASS(TvxDXFLWPolyline)
 public:
  TvxCADEntities EntType() const override { return ceLWPolyline; }
  bool IsLightweight() const override { return true; }
  // Whether the renderer may draw it as a thin line when it shrinks below a pixel: only
  // without any width.
  bool IsOnePixelOptimisationValid() const override { return !HasWidth(true); }
};

}  // namespace vx
