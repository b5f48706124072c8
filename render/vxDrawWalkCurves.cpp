// Curves: circles, arcs and ellipses (as their computed points, or as the platform's ellipse
// and arc when UseWinEllipse asks for it on a plan view), polylines (wide outline, centre line,
// thickness walls, polygon and polyface meshes) and splines.
#include "render/vxDrawWalk.h"

#include "database/entities/vxEntPolylines.h"
#include "database/entities/vxEntSplines.h"
#include "database/entities/vxEntities.h"
#include "render/vxCADImage.h"

#include <cmath>

namespace vx {

namespace {

// A plan view: the walk's matrix keeps Z out of X and Y, has no turn or shear, and the image is
// not rotated.
bool IsPlanView(const TvxCADImage& img) {
  const TFMatrix& m = img.FDraw.Matrix;
  return img.FDraw.Additional == 0 && !img.IsBadRotated() && std::abs(m.M[2][0]) < 1e-9 &&
         std::abs(m.M[2][1]) < 1e-9 && std::abs(m.M[0][1]) < 1e-9 && std::abs(m.M[1][0]) < 1e-9;
}

bool UsePlatformCurve(const TvxCADImage& img, const TvxDXFCircle* c) {
  return img.UseWinEllipse() && !img.FWalk->Pattern && !c->HasExtrusion() && IsPlanView(img);
}

// The screen box of a circle of radius r about centre: its extreme device points.
QRectF ScreenBox(TvxCADImage& img, const TFPoint& centre, double r) {
  const QPointF a = img.DevicePoint({centre.X - r, centre.Y - r, centre.Z});
  const QPointF b = img.DevicePoint({centre.X + r, centre.Y + r, centre.Z});
  return QRectF(QPointF(std::min(a.x(), b.x()), std::min(a.y(), b.y())),
                QPointF(std::max(a.x(), b.x()), std::max(a.y(), b.y())));
}

// A thick curve: its bottom outline, its raised copy and the walls between them. With dash
// pieces stored (pairs), every piece gets its copy and walls.
void DrawWalls(TvxCADImage& img, const TvxCADBasePolyline& poly) {
  const TFPointList& p = poly.PolyPoints();
  const int half = p.Count() / 2;
  TvxDrawWalkState& w = *img.FWalk;
  std::vector<QPointF>& pts = w.Points;
  std::vector<int>& counts = w.Counts;
  pts.clear();
  counts.clear();
  if (poly.GetFlags() & cnstPolyPatternPoints) {
    for (int i = 0; i + 1 < half; i += 2) {
      const QPointF a = img.DevicePoint(p[i]), b = img.DevicePoint(p[i + 1]);
      const QPointF at = img.DevicePoint(p[half + i]), bt = img.DevicePoint(p[half + i + 1]);
      for (const QPointF& q : {a, b, at, bt, a, at, b, bt}) pts.push_back(q);
      counts.insert(counts.end(), {2, 2, 2, 2});
    }
  } else {
    const bool closed = poly.GetClosed() && half > 2;
    for (int side = 0; side < 2; ++side) {
      for (int i = 0; i < half; ++i) pts.push_back(img.DevicePoint(p[side * half + i]));
      if (closed) pts.push_back(pts[pts.size() - static_cast<size_t>(half)]);
      counts.push_back(half + (closed ? 1 : 0));
    }
    for (int i = 0; i < half; ++i) {
      pts.push_back(img.DevicePoint(p[i]));
      pts.push_back(img.DevicePoint(p[half + i]));
      counts.push_back(2);
    }
  }
  if (!counts.empty())
    WalkPolyPolyline(img, pts.data(), counts.data(), static_cast<int>(counts.size()));
}

// A polygon mesh: its M rows and N columns of the grid, closed where the mesh is closed.
void DrawPolygonMesh(TvxCADImage& img, const TvxDXFPolyline& mesh) {
  const TFPointList& p = mesh.PolyPoints();
  const int m = mesh.MeshM(), n = mesh.MeshN();
  if (m <= 0 || n <= 0 || static_cast<int64_t>(m) * n > p.Count()) return;
  TvxDrawWalkState& w = *img.FWalk;
  std::vector<QPointF>& pts = w.Points;
  std::vector<int>& counts = w.Counts;
  pts.clear();
  counts.clear();
  for (int i = 0; i < m; ++i) {
    for (int j = 0; j < n; ++j) pts.push_back(img.DevicePoint(p[i * n + j]));
    if (mesh.IsMeshNClosed() && n > 2) pts.push_back(img.DevicePoint(p[i * n]));
    counts.push_back(n + (mesh.IsMeshNClosed() && n > 2 ? 1 : 0));
  }
  for (int j = 0; j < n; ++j) {
    for (int i = 0; i < m; ++i) pts.push_back(img.DevicePoint(p[i * n + j]));
    if (mesh.IsMeshMClosed() && m > 2) pts.push_back(img.DevicePoint(p[j]));
    counts.push_back(m + (mesh.IsMeshMClosed() && m > 2 ? 1 : 0));
  }
  WalkPolyPolyline(img, pts.data(), counts.data(), static_cast<int>(counts.size()));
}

// A polyface mesh: the visible edges of its faces.
void DrawPolyfaceMesh(TvxCADImage& img, const TvxDXFPolyline& mesh) {
  const TFPointList& p = mesh.PolyPoints();
  TvxDrawWalkState& w = *img.FWalk;
  std::vector<QPointF>& pts = w.Points;
  std::vector<int>& counts = w.Counts;
  pts.clear();
  counts.clear();
  for (const TvxPolyFace& f : mesh.PolyFaceFaces()) {
    for (int k = 0; k < f.Count; ++k) {
      if (!f.EdgeVisible[static_cast<size_t>(k)]) continue;
      const int a = f.Index[static_cast<size_t>(k)];
      const int b = f.Index[static_cast<size_t>((k + 1) % f.Count)];
      if (a < 0 || b < 0 || a >= p.Count() || b >= p.Count() || a == b) continue;
      pts.push_back(img.DevicePoint(p[a]));
      pts.push_back(img.DevicePoint(p[b]));
      counts.push_back(2);
    }
  }
  if (!counts.empty())
    WalkPolyPolyline(img, pts.data(), counts.data(), static_cast<int>(counts.size()));
}

// The wide outline: quads of four points, each filled in the current colour.
void DrawWideOutline(TvxCADImage& img, const TFPointList& quads) {
  TvxDrawWalkState& w = *img.FWalk;
  std::vector<QPointF>& pts = w.Points;
  std::vector<int>& counts = w.Counts;
  pts.clear();
  counts.clear();
  for (int i = 0; i + 3 < quads.Count(); i += 4) {
    for (int k = 0; k < 4; ++k) pts.push_back(img.DevicePoint(quads[i + k]));
    counts.push_back(4);
  }
  if (counts.empty()) return;
  const int savedWidth = img.FPenWidth;
  img.SetPenWidth(1);
  img.SetColor(img.FDraw.Color, ctBrush, true);
  WalkPolygons(img, pts.data(), counts.data(), static_cast<int>(counts.size()));
  img.SetPenWidth(savedWidth);
}

// The centre line of any curve: pieces of its pattern when it shows, the plain points otherwise.
void DrawCentreLine(TvxCADImage& img, const TvxCADBasePolyline& poly, TvxCutKind kind,
                    bool closed) {
  const TFPointList& p = poly.PolyPoints();
  const int n = p.Count();
  if (n == 0) return;
  if (poly.GetFlags() & cnstPolyPatternPoints) {
    // the points are already dash pieces
    WalkDrawPieces(img, p);
    return;
  }
  const auto* pl = dynamic_cast<const TvxDXFPolyline*>(&poly);
  const TvxIntegerList* counts = pl ? &pl->PointsCounts() : nullptr;
  WalkDrawPatterned(img, p.List(), n, closed, kind, counts, poly.GetIsPLinegen());
}

int DrawCurve(TvxCADImage& img, TvxCADBasePolyline& poly, TvxCutKind kind, bool closed) {
  if (poly.PointCount() == 0) return 0;
  if (poly.IsPolyZThickness()) {
    DrawWalls(img, poly);
    return 0;
  }
  DrawCentreLine(img, poly, kind, closed);
  return 0;
}

}  // namespace

int WalkDrawCircle(TvxCADImage& img, TvxDXFEntity* e) {
  auto* circle = dynamic_cast<TvxDXFCircle*>(e);
  if (!circle) return 0;
  if (UsePlatformCurve(img, circle) && !circle->IsPolyZThickness()) {
    img.SetColor(img.DefaultColor(), ctBrushClear, true);
    WalkEllipse(img, ScreenBox(img, circle->GetPoint(), circle->GetRadius()));
    return 0;
  }
  return DrawCurve(img, *circle, ckCurve, true);
}

int WalkDrawArc(TvxCADImage& img, TvxDXFEntity* e) {
  auto* arc = dynamic_cast<TvxDXFArc*>(e);
  if (!arc) return 0;
  if (arc->EntType() == ceArc && UsePlatformCurve(img, arc) && !arc->IsPolyZThickness()) {
    QPointF start = img.DevicePoint(arc->GetStartPoint());
    QPointF end = img.DevicePoint(arc->GetEndPoint());
    if (start == end && !arc->GetClosed()) {
      WalkPixel(img, DevicePixel(start), WalkPixelColor(img));
      return 0;
    }
    // counter-clockwise in the drawing is clockwise on a screen whose Y runs down
    const TFMatrix& m = img.FDraw.Matrix;
    if (m.M[0][0] * m.M[1][1] - m.M[0][1] * m.M[1][0] < 0) std::swap(start, end);
    WalkArc(img, ScreenBox(img, arc->GetPoint(), arc->GetRadius()), start, end);
    return 0;
  }
  return DrawCurve(img, *arc, ckCurve, arc->GetClosed());
}

int WalkDrawPolyline(TvxCADImage& img, TvxDXFEntity* e) {
  auto* poly = dynamic_cast<TvxCADBasePolyline*>(e);
  if (!poly || poly->PointCount() == 0) return 0;
  auto* pl = dynamic_cast<TvxDXFPolyline*>(e);
  if (pl && !pl->IsLightweight() && pl->IsPolygonMesh() && pl->MeshM() > 0 && pl->MeshN() > 0) {
    DrawPolygonMesh(img, *pl);
    return 0;
  }
  if (pl && pl->IsPolyFaceMesh() && pl->PolyFaceVertexIndexes()) {
    DrawPolyfaceMesh(img, *pl);
    return 0;
  }
  if (poly->IsPolyZThickness()) {
    DrawWalls(img, *poly);
    return 0;
  }
  if (pl && pl->Arrows() && pl->Arrows()->Count() > 3) DrawWideOutline(img, *pl->Arrows());
  DrawCentreLine(img, *poly, pl ? ckVertexes : ckPoly, poly->GetClosed());
  return 0;
}

int WalkDrawSpline(TvxCADImage& img, TvxDXFEntity* e) {
  auto* poly = dynamic_cast<TvxCADBasePolyline*>(e);
  if (!poly) return 0;
  if (dynamic_cast<TvxDXFPolyline*>(e)) return WalkDrawPolyline(img, e);
  return DrawCurve(img, *poly, ckCurve, poly->GetClosed());
}

}  // namespace vx
