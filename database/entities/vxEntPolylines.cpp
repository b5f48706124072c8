#include "database/entities/vxEntPolylines.h"

#include "database/core/DXFConv.h"
#include "foundation/vxGenerator.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace vx {

namespace {

// Segments per bulge arc for this drawing: the converter's count, else the process-wide one
// (the generator clamps it to 3..255).
int PartsInCircle(const TvxDXFConverter* conv) {
  int n = conv ? conv->NumberOfPartsInCircle() : 0;
  return n > 0 ? n : DefaultPartsInCircle();
}

bool SameWithin(const TFPoint& a, const TFPoint& b, double tol) {
  return std::fabs(a.X - b.X) <= tol && std::fabs(a.Y - b.Y) <= tol &&
         std::fabs(a.Z - b.Z) <= tol;
}

// A bulge that makes an arc: finite and not vanishingly small (the centre formula divides by it).
bool IsArcBulge(double b) { return std::isfinite(b) && std::fabs(b) >= 1e-12; }

}  // namespace

// ---- TvxDXFVertex -----------------------------------------------------------------------------

void TvxDXFVertex::SetBulge(double b) {
  if (!Is3DVertex()) FBulge = b;
}

void TvxDXFVertex::SetStartWidth(double w) {
  if (!Is3DVertex()) FStartWidth = w;
}

void TvxDXFVertex::SetEndWidth(double w) {
  if (!Is3DVertex()) FEndWidth = w;
}

void TvxDXFVertex::SetIs3DVertex(bool v) {
  if (v) {
    FFlags |= cnstVertex3D;
    FBulge = 0;
    FStartWidth = 0;
    FEndWidth = 0;
  } else {
    FFlags &= ~cnstVertex3D;
  }
}

int TvxDXFVertex::GetPolyFaceVertexIndex(int i) const {
  if (!FPolyFaceIndexes || i < 0 || i > 3) return 0;
  return (*FPolyFaceIndexes)[static_cast<size_t>(i)];
}

void TvxDXFVertex::SetPolyFaceVertexIndex(int i, int value) {
  if (i < 0 || i > 3) return;
  if (!FPolyFaceIndexes) FPolyFaceIndexes = std::make_unique<std::array<int, 4>>();
  (*FPolyFaceIndexes)[static_cast<size_t>(i)] = value;
}

TFRect TvxDXFVertex::GetBox() {
  TFRect box = BadBox;
  ExpandBox(box, FPoint);
  return box;
}

void TvxDXFVertex::AssignEntity(const TvxDXFEntity* source) {
  TvxDXFEntity::AssignEntity(source);
  auto* src = dynamic_cast<const TvxDXFVertex*>(source);
  if (!src || src == this) return;
  FFlags = src->FFlags;
  FPoint = src->FPoint;
  FBulge = src->FBulge;
  FStartWidth = src->FStartWidth;
  FEndWidth = src->FEndWidth;
  if (src->FPolyFaceIndexes)
    FPolyFaceIndexes = std::make_unique<std::array<int, 4>>(*src->FPolyFaceIndexes);
  else
    FPolyFaceIndexes.reset();
}

// ---- TvxDXFPolyline: container --------------------------------------------------------------

TvxDXFEntity* TvxDXFPolyline::GetEntity(int index) const { return GetVertex(index); }

TvxDXFVertex* TvxDXFPolyline::GetVertex(int i) const {
  if (i < 0 || i >= Count()) return nullptr;
  return FEntities[static_cast<size_t>(i)];
}

void TvxDXFPolyline::SetEntity(int index, TvxDXFEntity* e) {
  auto* v = dynamic_cast<TvxDXFVertex*>(e);
  if (!v || index < 0 || index >= Count()) return;
  FEntities[static_cast<size_t>(index)]->SetOwner(nullptr);
  FEntities[static_cast<size_t>(index)] = v;
  v->SetOwner(this);
  if (Polyline3D()) v->SetIs3DVertex(true);
}

int TvxDXFPolyline::InsertEntity(int index, TvxDXFEntity* e) {
  auto* v = dynamic_cast<TvxDXFVertex*>(e);
  if (!v) return -1;
  index = std::clamp(index, 0, Count());
  FEntities.insert(FEntities.begin() + index, v);
  v->SetOwner(this);
  if (Polyline3D()) v->SetIs3DVertex(true);
  return index;
}

TvxDXFEntity* TvxDXFPolyline::DeleteEntity(int index) {
  if (index < 0 || index >= Count()) return nullptr;
  TvxDXFVertex* v = FEntities[static_cast<size_t>(index)];
  FEntities.erase(FEntities.begin() + index);
  v->SetOwner(nullptr);
  return v;
}

void TvxDXFPolyline::ExchangeEntity(int i, int j) {
  if (i < 0 || j < 0 || i >= Count() || j >= Count()) return;
  std::swap(FEntities[static_cast<size_t>(i)], FEntities[static_cast<size_t>(j)]);
}

int TvxDXFPolyline::IndexOfEntity(const TvxDXFEntity* e) const {
  for (size_t i = 0; i < FEntities.size(); ++i)
    if (FEntities[i] == e) return static_cast<int>(i);
  return -1;
}

void TvxDXFPolyline::Clear(bool freeChildren) {
  std::vector<TvxDXFVertex*> old;
  old.swap(FEntities);
  for (TvxDXFVertex* v : old) {
    v->SetOwner(nullptr);
    if (freeChildren) v->Free();
  }
}

TvxDXFVertex* TvxDXFPolyline::AddVertex(const TFPoint& p, double bulge, double startWidth,
                                        double endWidth) {
  auto* v = new TvxDXFVertex();
  v->SetPoint(p);
  v->SetBulge(bulge);
  v->SetStartWidth(startWidth);
  v->SetEndWidth(endWidth);
  InsertEntity(Count(), v);
  return v;
}

// ---- kind -----------------------------------------------------------------------------------

bool TvxDXFPolyline::Polyline3D() const {
  return !IsLightweight() && (FFlags & cnstPolyline3D) != 0;
}

void TvxDXFPolyline::SetPolyline3D(bool v) {
  if (IsLightweight()) return;
  FFlags = v ? (FFlags | cnstPolyline3D) : (FFlags & ~cnstPolyline3D);
  if (v)
    for (TvxDXFVertex* vx : FEntities) vx->SetIs3DVertex(true);
}

bool TvxDXFPolyline::IsPolygonMesh() const {
  if (IsLightweight() || FMeshM <= 1 || FMeshN <= 1) return false;
  if ((FFlags & cnstPolylinePolyFace) != 0) return false;
  // 64-bit: M x N from a file may exceed the integer range
  const int64_t mn = int64_t{FMeshM} * int64_t{FMeshN};
  if (FPolyPoints.Count() > 0) return mn == FPolyPoints.Count();
  // before a load: a grid is possible when there are enough vertices for it
  int64_t pts = 0;
  for (const TvxDXFVertex* v : FEntities)
    if (IsDrawnVertex(v)) ++pts;
  return mn <= pts;
}

bool TvxDXFPolyline::IsPolyFaceMesh() const {
  if (!FPolyFaceVertexIndexes || FPolyFaceVertexIndexes->Count() == 0) return false;
  // the file's flags only: the internal bits of a load do not change the kind
  if ((FFlags & ~(cnstPolyCrossSegments | cnstPolyPatternPoints)) != cnstPolylinePolyFace)
    return false;
  return (FMeshM > 1 && FMeshN > 0) || FPolyFaceVertexIndexes->Count() > 1;
}

bool TvxDXFPolyline::HasExtrusion() const {
  if (!IsLightweight() &&
      (FFlags & (cnstPolyline3D | cnstPolylineMesh | cnstPolylinePolyFace)) != 0)
    return false;
  return TvxCADBasePolyline::HasExtrusion();
}

bool TvxDXFPolyline::HasWidth(bool full) const {
  if (FGlobalW != 0 || FStartW != 0 || FEndW != 0) return true;
  if (!full) return false;
  for (const TvxDXFVertex* v : FEntities)
    if (v->GetStartWidth() != 0 || v->GetEndWidth() != 0) return true;
  return false;
}

bool TvxDXFPolyline::IsDrawnVertex(const TvxDXFVertex* v) {
  return !v->IsSplineFrame() && !v->IsPolyfaceMeshVertex();
}

// ---- results --------------------------------------------------------------------------------

TvxDXFEntity* TvxDXFPolyline::PolyLineEntity(int i) const {
  if (i < 0 || i >= PolyLineEntitiesCount()) return nullptr;
  return FPolyLineEntities[static_cast<size_t>(i)].get();
}

std::vector<TvxPolyFace> TvxDXFPolyline::PolyFaceFaces() const {
  std::vector<TvxPolyFace> faces;
  if (!FPolyFaceVertexIndexes) return faces;
  // the raised copy of a thick mesh is not addressed by the face numbers
  int64_t points = FPolyPoints.Count();
  if (IsPolyZThickness()) points /= 2;
  const TvxIntegerList& nums = *FPolyFaceVertexIndexes;
  for (int f = 0; f + 3 < nums.Count(); f += 4) {
    TvxPolyFace face;
    for (int k = 0; k < 4; ++k) {
      const int64_t v = nums[f + k];
      if (v == 0) break;  // a face of fewer corners
      const int64_t idx = std::llabs(v) - 1;
      if (idx >= points) continue;  // a number beyond the vertices names nothing
      face.Index[static_cast<size_t>(face.Count)] = static_cast<int>(idx);
      face.EdgeVisible[static_cast<size_t>(face.Count)] = v > 0;
      ++face.Count;
    }
    if (face.Count > 0) faces.push_back(face);
  }
  return faces;
}

double TvxDXFPolyline::BulgeHeight(int i) const {
  TvxDXFVertex* v = GetVertex(i);
  if (!v || !IsDrawnVertex(v) || !IsArcBulge(v->GetBulge())) return 0;
  const TvxDXFVertex* next = nullptr;
  for (int j = i + 1; j < Count() && !next; ++j)
    if (IsDrawnVertex(FEntities[static_cast<size_t>(j)])) next = FEntities[static_cast<size_t>(j)];
  if (!next && (GetClosed() || IsMeshNClosed()))
    for (int j = 0; j < i && !next; ++j)
      if (IsDrawnVertex(FEntities[static_cast<size_t>(j)]))
        next = FEntities[static_cast<size_t>(j)];
  if (!next) return 0;
  // the sagitta is bulge x half the chord
  return std::fabs(v->GetBulge()) * DistanceFPoint2D(v->GetPoint(), next->GetPoint()) / 2;
}

double TvxDXFPolyline::Length() const {
  int n = FPolyPoints.Count();
  if (IsPolyZThickness()) n /= 2;
  double len = 0;
  for (int i = 1; i < n; ++i) len += DistanceFPoint(FPolyPoints[i - 1], FPolyPoints[i]);
  if (GetClosed() && n > 2) len += DistanceFPoint(FPolyPoints[n - 1], FPolyPoints[0]);
  return len;
}

double TvxDXFPolyline::Area() const {
  int n = FPolyPoints.Count();
  if (IsPolyZThickness()) n /= 2;
  double s = 0;
  for (int i = 0; i < n; ++i) {
    const TFPoint& a = FPolyPoints[i];
    const TFPoint& b = FPolyPoints[(i + 1) % n];
    s += (a.X + b.X) * (a.Y - b.Y);
  }
  return std::fabs(s) / 2;
}

// ---- load -----------------------------------------------------------------------------------

void TvxDXFPolyline::LoadData(TvxDXFConverter* conv) {
  struct Scope {
    TvxDXFPolyline* P;
    ~Scope() { P->FLoadConverter = nullptr; }
  } scope{this};
  FLoadConverter = conv;
  TvxCADBasePolyline::LoadData(conv);
}

void TvxDXFPolyline::BuildPoints() {
  FPolyPoints.Clear();
  FPointsCounts.Clear();
  FPolyFaceVertexIndexes.reset();
  ClearImportEntities();
  FArrows.reset();
  FArrowsLines = nullptr;
  if (FEntities.empty()) return;
  if (!IsLightweight() && (FFlags & cnstPolylineMesh) != 0) {
    BuildMeshPoints();
    return;
  }
  TvxDXFConverter* conv = FLoadConverter ? FLoadConverter : GetConverter();
  std::vector<TvxWidthSegment> segs;
  BuildVertexPoints(conv, segs);
  if (!IsLightweight() && (FFlags & cnstPolylinePolyFace) != 0 && !FPolyFaceVertexIndexes) {
    // A polyface mesh without face records has nothing to draw; its vertices are no path.
    FPolyPoints.Clear();
    FPointsCounts.Clear();
    return;
  }
  InsertDashPoints();
  if (HasWidth(true) && !IsPolygonMesh() && !IsPolyFaceMesh()) BuildOutline(segs);
}

void TvxDXFPolyline::BuildMeshPoints() {
  const int64_t mn = int64_t{FMeshM} * int64_t{FMeshN};
  int64_t available = 0;
  for (const TvxDXFVertex* v : FEntities)
    if (IsDrawnVertex(v)) ++available;
  // a grid needs all its points; a short one draws nothing rather than a partial grid
  if (FMeshM <= 0 || FMeshN <= 0 || available < mn) return;
  int64_t taken = 0;
  for (const TvxDXFVertex* v : FEntities) {
    if (v->IsSplineFrame()) {
      FPointsCounts.Append(-1);
    } else if (v->IsPolyfaceMeshVertex()) {
      if (!FPolyFaceVertexIndexes) FPolyFaceVertexIndexes = std::make_unique<TvxIntegerList>();
      for (int k = 0; k < 4; ++k) FPolyFaceVertexIndexes->Append(v->GetPolyFaceVertexIndex(k));
      FPointsCounts.Append(4);
    } else if (taken < mn) {
      // vertices beyond M x N are not part of the grid
      FPolyPoints.Append(v->GetPoint());
      FPointsCounts.Append(1);
      ++taken;
    } else {
      FPointsCounts.Append(0);
    }
  }
}

TFPoint TvxDXFPolyline::AdjustZ(const TFPoint& p) const {
  const double elevation = GetElevation();
  if (IsLightweight() || elevation == 0) return p;
  TFPoint r = p;
  // the thickness step adds the elevation back
  if ((FFlags & (cnstPolyline3D | cnstPolylinePolyFace)) != 0)
    r.Z -= elevation;
  else
    r.Z = 0;
  return r;
}

TFPoint TvxDXFPolyline::ToWorld(const TFPoint& p) const {
  return HasExtrusion() ? TransformPoint(p, ExtrusionMat()) : p;
}

// The segments are only filled for a polyline with a width (the only one that draws an
// outline): copying every bulge arc into a segment of its own would double the cost of the
// common thin polyline.
void TvxDXFPolyline::BuildVertexPoints(TvxDXFConverter* conv,
                                       std::vector<TvxWidthSegment>& segments) {
  std::vector<TvxWidthSegment>* segs = HasWidth(true) ? &segments : nullptr;
  TvxGeneratorShapeEdge gen;
  int parts = std::clamp(PartsInCircle(conv), 3, 255);
  const int count = Count();
  int64_t arcs = 0;
  int firstDrawn = -1;
  for (int i = 0; i < count; ++i) {
    const TvxDXFVertex* v = FEntities[static_cast<size_t>(i)];
    if (!IsDrawnVertex(v)) continue;
    if (firstDrawn < 0) firstDrawn = i;
    if (IsArcBulge(v->GetBulge())) ++arcs;
  }
  if (arcs > 0 && arcs * (parts + 1) + count > PolylinePointBudget)
    parts = static_cast<int>(std::max<int64_t>(3, PolylinePointBudget / arcs - 1));
  gen.SetNumberCirclePart(parts);
  const int arcPoints = static_cast<int>(gen.NumberCirclePart()) + 1;
  // One allocation for the whole list: every arc adds at most its N + 1 points, every other
  // vertex one point.
  FPolyPoints.Reserve(static_cast<int>(std::min<int64_t>(
      arcs * (arcPoints - 1) + count, PolylinePointBudget + int64_t{count} * 2)));
  FPointsCounts.Reserve(count);
  if (segs) segs->reserve(static_cast<size_t>(count));
  const bool loop = GetClosed() || IsMeshNClosed();
  const bool import = conv && conv->ImportMode() == imImport;
  const bool extruded = HasExtrusion();
  const TFMatrix toWorld = extruded ? ExtrusionMat() : cnstIdentityMat;

  auto addPoint = [&](const TFPoint& p) {
    FPolyPoints.Append(extruded ? TransformPoint(p, toWorld) : p);
  };
  // Arcs go straight into the point list unless their points are wanted in object
  // coordinates as well (extrusion, width outline).
  const bool direct = !extruded && !segs;
  TFPointList arcList;
  if (!direct) arcList.Reserve(arcPoints);
  gen.SetBaseList(direct ? &FPolyPoints : &arcList);
  int next = -1;  // the next drawn vertex after i
  for (int i = 0; i < count; ++i) {
    const TvxDXFVertex* v = FEntities[static_cast<size_t>(i)];
    if (v->IsSplineFrame()) {
      FPointsCounts.Append(-1);
      continue;
    }
    if (v->IsPolyfaceMeshVertex()) {
      if (!FPolyFaceVertexIndexes) FPolyFaceVertexIndexes = std::make_unique<TvxIntegerList>();
      for (int k = 0; k < 4; ++k) FPolyFaceVertexIndexes->Append(v->GetPolyFaceVertexIndex(k));
      FPointsCounts.Append(4);
      continue;
    }
    if (next <= i) {
      next = -1;
      for (int j = i + 1; j < count; ++j)
        if (IsDrawnVertex(FEntities[static_cast<size_t>(j)])) {
          next = j;
          break;
        }
    }
    const TFPoint p = AdjustZ(v->GetPoint());
    const TvxDXFVertex* qv = nullptr;
    if (next >= 0)
      qv = FEntities[static_cast<size_t>(next)];
    else if (loop && firstDrawn != i)
      qv = FEntities[static_cast<size_t>(firstDrawn)];
    // compared as drawn: a 2D polyline's vertices differing only in Z coincide
    const TFPoint q = qv ? AdjustZ(qv->GetPoint()) : p;
    if (!qv || SameWithin(p, q, 1e-6)) {
      addPoint(p);
      FPointsCounts.Append(1);
      continue;
    }
    const double b = v->GetBulge();
    TvxArcR arc;
    bool isArc = false;
    if (IsArcBulge(b)) {
      if (direct) {
        const int before = FPolyPoints.Count();
        isArc = gen.CreateBulgesArc(p, q, b, &arc);
        if (isArc) {
          FPointsCounts.Append(FPolyPoints.Count() - before);
        } else {
          // the straight fallback adds P and Q; only P belongs to this vertex
          FPolyPoints.Vector().resize(static_cast<size_t>(before));
        }
      } else {
        arcList.Clear();
        isArc = gen.CreateBulgesArc(p, q, b, &arc);
        if (isArc) {
          for (const TFPoint& a : arcList) addPoint(a);
          FPointsCounts.Append(arcList.Count());
        }
      }
    }
    if (!isArc) {
      addPoint(p);
      FPointsCounts.Append(1);
    }
    if (segs) {
      TvxWidthSegment seg;
      seg.StartWidth = v->GetStartWidth();
      seg.EndWidth = v->GetEndWidth();
      if (isArc) {
        seg.Points = arcList.Vector();
        seg.IsArc = true;
        seg.CounterClockwise = b > 0;
        seg.Centre = arc.Center;
        seg.Radius = arc.Radius;
      } else {
        seg.Points = {p, q};
      }
      segs->push_back(std::move(seg));
    }
    if (import && conv) {
      TvxDXFPenLine* part = nullptr;
      if (isArc) {
        auto* a = new TvxDXFArc();
        a->AssignEntity(this);
        a->SetArc(arc);
        a->SetLayer(GetLayer());
        part = a;
      } else {
        auto* l = new TvxDXFLine();
        l->AssignEntity(this);
        l->SetPoint(extruded ? TransformPoint(p, toWorld) : p);
        l->SetPoint1(extruded ? TransformPoint(q, toWorld) : q);
        part = l;
      }
      part->SetVisibility(GetVisibility());
      FPolyLineEntities.emplace_back(part);
      part->LoadData(conv);
    }
  }
}

void TvxDXFPolyline::InsertDashPoints() {
  // Face lists address the vertex points, so a polyface mesh keeps them.
  if (FPolyFaceVertexIndexes || !IsDashedPattern(LoadPattern())) return;
  InsertThickDashes([this](const TvxLines& lines, const TvxLinesParams& params, TFPointList& pieces) {
    lines.Vertexes(FPolyPoints, FPointsCounts, GetClosed(), pieces, params);
  });
}

void TvxDXFPolyline::BuildOutline(std::vector<TvxWidthSegment>& segs) {
  // The effective constant width is worked out here and never stored: a later edit of one
  // vertex's width must show on the next load.
  double global = FGlobalW;
  if (global == 0) {
    std::vector<const TvxDXFVertex*> drawn;
    for (const TvxDXFVertex* v : FEntities)
      if (IsDrawnVertex(v)) drawn.push_back(v);
    bool uniform = !drawn.empty() && drawn[0]->GetStartWidth() > 0;
    for (size_t i = 0; uniform && i + 1 < drawn.size(); ++i) {
      uniform = drawn[i]->GetEndWidth() == drawn[i]->GetStartWidth() &&
                (i == 0 || drawn[i]->GetStartWidth() == drawn[i - 1]->GetStartWidth());
    }
    if (uniform) global = drawn[0]->GetStartWidth();
  }
  for (TvxWidthSegment& s : segs) {
    if (global != 0) {
      s.StartWidth = s.EndWidth = global;
    } else if (s.StartWidth == 0 && s.EndWidth == 0) {
      // a vertex without widths of its own takes the polyline's defaults
      s.StartWidth = FStartW;
      s.EndWidth = FEndW;
    }
  }
  TvxWidthOutlineParams params;
  const TvxLines* lines = LoadPattern();
  if (IsDashedPattern(lines)) {
    params.Pattern = lines;
    params.PatternParams = LoadPatternParams();
    FArrowsLines = lines;
  }
  params.Closed = GetClosed() || IsMeshNClosed();
  params.CrossSegments = (FFlags & cnstPolyCrossSegments) != 0;
  params.PointBudget = TvxLines::MaxRepetitions();
  auto outline = std::make_unique<TFPointList>();
  BuildWidthOutline(segs, params, *outline);
  if (outline->Count() == 0) {
    FArrowsLines = nullptr;
    return;
  }
  if (HasExtrusion()) {
    const TFMatrix m = ExtrusionMat();
    for (TFPoint& p : *outline) p = TransformPoint(p, m);
  }
  FArrows = std::move(outline);
}

void TvxDXFPolyline::ApplyThickness() {
  TvxCADBasePolyline::ApplyThickness();
  // the outline is lifted and raised like the points
  const double elevation = GetElevation();
  if (!FArrows || (FZThick == 0 && elevation == 0) || IsPolygonMesh()) return;
  TFPoint lift{0, 0, elevation}, up{0, 0, FZThick};
  if (HasExtrusion()) {
    const TFMatrix m = ExtrusionMat();
    lift = TransformVector(lift, m);
    up = TransformVector(up, m);
  }
  std::vector<TFPoint>& v = FArrows->Vector();
  if (elevation != 0)
    for (TFPoint& p : v) p = AddFPoint(p, lift);
  if (FZThick != 0) {
    const size_t n = v.size();
    v.reserve(2 * n);
    for (size_t i = 0; i < n; ++i) v.push_back(AddFPoint(v[i], up));
  }
}

void TvxDXFPolyline::UpdateBox() {
  TvxCADBasePolyline::UpdateBox();
  if (FArrows)
    for (const TFPoint& p : *FArrows) ExpandBox(FBox, p);
}

void TvxDXFPolyline::DoIterate(TvxDXFConverter* conv, const TvxEntityProc& finishProc,
                               const TvxEntityProc& proc) {
  if (conv && !conv->AllArcsAsCurves() && !FPolyLineEntities.empty()) {
    for (auto& e : FPolyLineEntities) e->DoIterate(conv, finishProc, proc);
    return;
  }
  TvxCADBasePolyline::DoIterate(conv, finishProc, proc);
}

void TvxDXFPolyline::ClearImportEntities() { FPolyLineEntities.clear(); }

void TvxDXFPolyline::AssignEntity(const TvxDXFEntity* source) {
  TvxCADBasePolyline::AssignEntity(source);
  auto* src = dynamic_cast<const TvxDXFPolyline*>(source);
  if (!src || src == this) return;
  FMeshM = src->FMeshM;
  FMeshN = src->FMeshN;
  FStartW = src->FStartW;
  FEndW = src->FEndW;
  FGlobalW = src->FGlobalW;
  FPointsCounts.Vector() = src->FPointsCounts.Vector();
  FArrows = src->FArrows ? std::make_unique<TFPointList>(*src->FArrows) : nullptr;
  FArrowsLines = src->FArrowsLines;
  FPolyFaceVertexIndexes = src->FPolyFaceVertexIndexes
                               ? std::make_unique<TvxIntegerList>(*src->FPolyFaceVertexIndexes)
                               : nullptr;
  Clear(true);
  for (const TvxDXFVertex* v : src->FEntities) {
    auto* c = new TvxDXFVertex();
    c->AssignEntity(v);
    InsertEntity(Count(), c);
  }
}

void TvxDXFPolyline::FreeOwnedParts() {
  ClearImportEntities();
  FArrows.reset();
  FPolyFaceVertexIndexes.reset();
  TvxCADBasePolyline::FreeOwnedParts();
}

}  // namespace vx
