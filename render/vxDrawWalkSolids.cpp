// Solids, traces and 3D faces: the filled ring of a solid (corners 1, 2, 4, 3), the unfilled
// prism of a solid with thickness seen from the side, and the visible edges of a 3D face.
#include "render/vxDrawWalk.h"

#include "database/entities/vxEntities.h"
#include "render/vxCADImage.h"

#include <cmath>

namespace vx {

namespace {

// The stored corners in drawing order: with four, the third and fourth change places, so that
// the ring visits the corners 1, 2, 4, 3 (the order solids are stored in).
int RingCorners(const TvxSolidCorners& c, TFPoint* out) {
  if (c.Count == 4) {
    out[0] = c.P[0];
    out[1] = c.P[1];
    out[2] = c.P[3];
    out[3] = c.P[2];
    return 4;
  }
  for (int i = 0; i < c.Count; ++i) out[i] = c.P[static_cast<size_t>(i)];
  return c.Count;
}

// Maps a ring, drops consecutive coinciding screen points and closes it.
int MapRing(TvxCADImage& img, const TFPoint* ring, int n, QPointF* out) {
  int m = 0;
  for (int i = 0; i < n; ++i) {
    const QPointF q = img.DevicePoint(ring[i]);
    if (m == 0 || out[m - 1] != q) out[m++] = q;
  }
  while (m > 1 && out[m - 1] == out[0]) --m;
  if (m > 1) out[m++] = out[0];
  return m;
}

}  // namespace

int WalkDrawSolid(TvxCADImage& img, TvxDXFEntity* e) {
  auto* solid = dynamic_cast<TvxDXFSolid*>(e);
  if (!solid) return 0;
  const TvxSolidCorners c = solid->GetPoints(false, false);
  if (c.Count <= 0) return 0;
  TFPoint ring[4];
  const int n = RingCorners(c, ring);
  img.SetPenWidth(1);

  const double thick = solid->GetZThick();
  const TFPoint z = TransformVector({0, 0, thick}, img.FDraw.Matrix);
  // Seen from the side, a thick solid is drawn as its prism (not filled).
  if (std::abs(thick) > 1e-6 && (std::abs(z.X) > 1e-6 || std::abs(z.Y) > 1e-6) &&
      !img.IsIterator()) {
    TvxDrawWalkState& w = *img.FWalk;
    std::vector<QPointF>& pts = w.Points;
    std::vector<int>& counts = w.Counts;
    pts.clear();
    counts.clear();
    TFPoint top[4];
    for (int i = 0; i < n; ++i) top[i] = {ring[i].X, ring[i].Y, ring[i].Z + thick};
    QPointF mapped[5];
    for (const TFPoint* r : {static_cast<const TFPoint*>(ring), static_cast<const TFPoint*>(top)}) {
      const int m = MapRing(img, r, n, mapped);
      pts.insert(pts.end(), mapped, mapped + m);
      counts.push_back(m);
    }
    for (int i = 0; i < n; ++i) {
      pts.push_back(img.DevicePoint(ring[i]));
      pts.push_back(img.DevicePoint(top[i]));
      counts.push_back(2);
    }
    WalkPolyPolyline(img, pts.data(), counts.data(), static_cast<int>(counts.size()));
    return 0;
  }

  QPointF mapped[5];
  const int m = MapRing(img, ring, n, mapped);
  if (m == 1) {
    WalkPixel(img, DevicePixel(mapped[0]), WalkPixelColor(img));
  } else if (m <= 3) {
    // two distinct corners on the screen: a line
    WalkPolyline(img, mapped, 2);
  } else {
    img.SetColor(img.FDraw.Color, ctBrush, true);
    WalkPolygon(img, mapped, m);
  }
  return 0;
}

int WalkDraw3dFace(TvxCADImage& img, TvxDXFEntity* e) {
  auto* face = dynamic_cast<TvxDXF3dFace*>(e);
  if (!face) return 0;
  const int flags = face->GetFlags();
  TFPoint corner[4];
  for (int i = 0; i < 4; ++i) corner[i] = face->GetCorner(i);
  TFPointList edges;
  for (int i = 0; i < 4; ++i) {
    if (flags & (1 << i)) continue;  // an invisible edge
    const TFPoint& a = corner[i];
    const TFPoint& b = corner[(i + 1) % 4];
    if (a == b) continue;  // the fourth corner of a triangle repeats the third
    if (WalkPatternShows(img)) {
      const TFPoint ab[2]{a, b};
      const int before = edges.Count();
      WalkCutPattern(img, ab, 2, false, ckPoly, nullptr, false, edges);
      if (edges.Count() > before) continue;
    }
    edges.Append(a);
    edges.Append(b);
  }
  // each edge (or dash) is its own part: edges that meet are not merged
  TvxDrawWalkState& w = *img.FWalk;
  std::vector<QPointF>& pts = w.Points;
  std::vector<int>& counts = w.Counts;
  pts.clear();
  counts.clear();
  for (int i = 0; i + 1 < edges.Count(); i += 2) {
    pts.push_back(img.DevicePoint(edges[i]));
    pts.push_back(img.DevicePoint(edges[i + 1]));
    counts.push_back(2);
  }
  if (!counts.empty())
    WalkPolyPolyline(img, pts.data(), counts.data(), static_cast<int>(counts.size()));
  return 0;
}

}  // namespace vx
