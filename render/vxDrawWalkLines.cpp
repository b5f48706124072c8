// The kind dispatch of the drawing walk (DrawEntityByType), the drawing of point lists and of
// line-type pieces shared by every kind, and the steps of points, lines, rays and construction
// lines.
#include "render/vxDrawWalk.h"

#include "database/entities/vxEntities.h"
#include "render/vxCADImage.h"

#include <cmath>
#include <span>

namespace vx {

namespace {

// The length of one row of a matrix's 3 x 3 part (the scale along that axis); 1 when unusable.
double RowScale(const TFMatrix& m, int r) {
  const double s = std::sqrt(m.M[r][0] * m.M[r][0] + m.M[r][1] * m.M[r][1] + m.M[r][2] * m.M[r][2]);
  return std::isfinite(s) && s > 1e-12 ? s : 1.0;
}

void DrawPixelLine(TvxCADImage& img, QPointF q) {
  const QPointF two[2]{q, q + QPointF(1, 0)};
  WalkPolyline(img, two, 2);
}

}  // namespace

// ---- point lists and pieces -------------------------------------------------------------------

uint32_t WalkPixelColor(const TvxCADImage& img) {
  const TColor c = img.FDraw.Color;
  if (c == clForeground || c == clByLayer || c == clByBlock) return img.DefaultColor();
  return c;
}

void WalkDrawPoints(TvxCADImage& img, const TFPoint* pts, int n, bool closed) {
  if (!pts || n <= 0) return;
  std::vector<QPointF>& buf = img.FWalk->Points;
  buf.clear();
  for (int i = 0; i < n; ++i) {
    const QPointF q = img.DevicePoint(pts[i]);
    if (buf.empty() || buf.back() != q) buf.push_back(q);
  }
  if (closed && buf.size() > 1 && buf.back() == buf.front()) buf.pop_back();
  const int m = static_cast<int>(buf.size());
  if (m == 1) {
    WalkPixel(img, DevicePixel(buf.front()), WalkPixelColor(img));
  } else if (closed && m > 2) {
    WalkClosedPath(img, buf.data(), m);
  } else {
    WalkPolyline(img, buf.data(), m);
  }
}

void WalkDrawPieces(TvxCADImage& img, const TFPointList& pieces) {
  TvxDrawWalkState& w = *img.FWalk;
  std::vector<QPointF>& pts = w.Points;
  std::vector<int>& counts = w.Counts;
  pts.clear();
  counts.clear();
  std::vector<QPoint> dots;
  bool open = false;
  TFPoint lastF;
  for (int i = 0; i + 1 < pieces.Count(); i += 2) {
    const TFPoint& a = pieces[i];
    const TFPoint& b = pieces[i + 1];
    if (a == b) {
      dots.push_back(img.GetPoint(a));
      open = false;
      continue;
    }
    const TFPoint fa = img.GetPointF(a);
    // pieces that join within half a pixel make one run
    if (open && std::hypot(fa.X - lastF.X, fa.Y - lastF.Y) <= 0.5) {
      pts.push_back(img.DevicePoint(b));
      ++counts.back();
    } else {
      pts.push_back(img.DevicePoint(a));
      pts.push_back(img.DevicePoint(b));
      counts.push_back(2);
      open = true;
    }
    lastF = img.GetPointF(b);
  }
  if (!counts.empty())
    WalkPolyPolyline(img, pts.data(), counts.data(), static_cast<int>(counts.size()));
  const uint32_t color = WalkPixelColor(img);
  for (const QPoint& d : dots) WalkPixel(img, d, color);
}

void WalkCutPattern(TvxCADImage& img, const TFPoint* pts, int n, bool closed, TvxCutKind kind,
                    const TvxIntegerList* counts, bool plineGen, TFPointList& pieces) {
  const TvxDrawWalkState& w = *img.FWalk;
  if (!w.Pattern || !pts || n <= 0) return;
  TvxLinesParams params = w.PatternParams;
  if (plineGen) {
    params.IsUniform = true;
    params.IsAutocadMetod = true;
  }
  // Inside a reference the pattern is laid out in world units: the points take the reference's
  // scale before cutting and give it back afterwards.
  TFPoint s{1, 1, 1};
  bool scaled = false;
  if (img.FDraw.Insert) {
    const TFMatrix& c = img.FDraw.ConvertMatrixCurrentInsertToWCS;
    s = {RowScale(c, 0), RowScale(c, 1), RowScale(c, 2)};
    scaled = std::abs(s.X - 1) > 1e-12 || std::abs(s.Y - 1) > 1e-12 || std::abs(s.Z - 1) > 1e-12;
  }
  std::vector<TFPoint> world;
  std::span<const TFPoint> src(pts, static_cast<size_t>(n));
  if (scaled) {
    world.reserve(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) world.push_back({pts[i].X * s.X, pts[i].Y * s.Y, pts[i].Z * s.Z});
    src = world;
  }
  const int first = pieces.Count();
  switch (kind) {
    case ckCurve:
      w.Pattern->Curve(src, pieces, closed, params);
      break;
    case ckVertexes:
      if (counts) {
        w.Pattern->Vertexes(src, std::span<const int32_t>(counts->Vector()), closed, pieces, params);
        break;
      }
      [[fallthrough]];
    case ckPoly:
      w.Pattern->Poly(src, pieces, closed, params);
      break;
  }
  if (scaled)
    for (int i = first; i < pieces.Count(); ++i) {
      TFPoint& p = pieces[i];
      p = {p.X / s.X, p.Y / s.Y, p.Z / s.Z};
    }
}

void WalkDrawPatterned(TvxCADImage& img, const TFPoint* pts, int n, bool closed, TvxCutKind kind,
                       const TvxIntegerList* counts, bool plineGen) {
  if (!WalkPatternShows(img)) {
    WalkDrawPoints(img, pts, n, closed);
    return;
  }
  TFPointList pieces;
  WalkCutPattern(img, pts, n, closed, kind, counts, plineGen, pieces);
  if (pieces.Count() < 2)
    WalkDrawPoints(img, pts, n, closed);
  else
    WalkDrawPieces(img, pieces);
}

// ---- points -----------------------------------------------------------------------------------

int WalkDrawPoint(TvxCADImage& img, TvxDXFEntity* e) {
  auto* point = dynamic_cast<TvxDXFPoint*>(e);
  if (!point) return 0;
  img.SetPenWidth(img.NullWidth());
  const TvxPointShapes* shapes = point->Shapes();
  if (shapes && !shapes->Parts.empty()) {
    TvxDrawWalkState& w = *img.FWalk;
    std::vector<QPointF>& pts = w.Points;
    std::vector<int>& counts = w.Counts;
    pts.clear();
    counts.clear();
    // A marker relative to the view: its unit-size parts scaled so that it spans the given part
    // of the view's height, whatever the zoom.
    double k = 1;
    const TFPoint c = shapes->Centre;
    if (shapes->Relative > 0) {
      // pixels per drawing unit along Y under the current matrix (references included)
      const TFMatrix& m = img.FDraw.Matrix;
      const double perUnit = std::hypot(m.M[1][0], m.M[1][1]);
      const double height = img.FDrawRect.isEmpty() ? 0 : img.FDrawRect.height();
      if (perUnit > 0 && std::isfinite(perUnit) && height > 0) k = shapes->Relative * height / perUnit;
    }
    auto at = [&](const TFPoint& p) {
      if (k == 1) return img.DevicePoint(p);
      return img.DevicePoint({c.X + (p.X - c.X) * k, c.Y + (p.Y - c.Y) * k, c.Z + (p.Z - c.Z) * k});
    };
    for (const std::vector<TFPoint>& part : shapes->Parts) {
      if (part.empty()) continue;
      if (part.size() == 1) {
        const QPointF q = at(part.front());
        pts.push_back(q);
        pts.push_back(q + QPointF(1, 0));
        counts.push_back(2);
        continue;
      }
      for (const TFPoint& p : part) pts.push_back(at(p));
      counts.push_back(static_cast<int>(part.size()));
    }
    WalkPolyPolyline(img, pts.data(), counts.data(), static_cast<int>(counts.size()));
    return 0;
  }
  const QPointF q = img.DevicePoint(point->GetPoint());
  DrawPixelLine(img, q);
  if (point->GetZThick() != 0) {
    const QPointF top = img.DevicePoint(AddFPoint(point->GetPoint(), point->ThicknessVector()));
    DrawPixelLine(img, top);
    const QPointF edge[2]{q, top};
    if (top != q) WalkPolyline(img, edge, 2);
  }
  return 0;
}

// ---- lines, rays, construction lines ----------------------------------------------------------

int WalkDrawLine(TvxCADImage& img, TvxDXFEntity* e) {
  auto* line = dynamic_cast<TvxDXFLine*>(e);
  if (!line) return 0;
  const TvxDrawWalkState& w = *img.FWalk;
  const TFPoint ends[2]{line->GetPoint(), line->GetPoint1()};
  if (line->GetZThick() != 0) {
    // the segment, its copy raised by the thickness and the two connecting edges (each dash
    // likewise)
    const TFPoint t = line->ThicknessVector();
    TFPointList base;
    if (WalkPatternShows(img)) WalkCutPattern(img, ends, 2, false, ckPoly, nullptr, false, base);
    if (base.Count() < 2) {
      base.Clear();
      base.Append(ends[0]);
      base.Append(ends[1]);
    }
    TFPointList all;
    for (int i = 0; i + 1 < base.Count(); i += 2) {
      const TFPoint a = base[i], b = base[i + 1];
      const TFPoint at = AddFPoint(a, t), bt = AddFPoint(b, t);
      for (const TFPoint& p : {a, b, at, bt, a, at, b, bt}) all.Append(p);
    }
    WalkDrawPieces(img, all);
    return 0;
  }
  if (WalkPatternShows(img)) {
    TFPointList pieces;
    WalkCutPattern(img, ends, 2, false, ckPoly, nullptr, false, pieces);
    if (pieces.Count() >= 2) {
      WalkDrawPieces(img, pieces);
      return 0;
    }
  }
  QPointF ab[2];
  if (w.Ready && w.Index >= 2 && !img.Antialias()) {
    // the measure already mapped both ends to whole pixels
    ab[0] = w.IPoints[0];
    ab[1] = w.IPoints[1];
  } else {
    ab[0] = img.DevicePoint(ends[0]);
    ab[1] = img.DevicePoint(ends[1]);
  }
  if (ab[0] == ab[1])
    WalkPixel(img, DevicePixel(ab[0]), WalkPixelColor(img));
  else
    WalkPolyline(img, ab, 2);
  return 0;
}

// ---- the dispatch -----------------------------------------------------------------------------

int TvxCADImage::DrawEntityByType(TvxDXFEntity* entity) {
  if (!entity || !FWalk) return 0;
  switch (entity->EntType()) {
    case cePoint:
      return WalkDrawPoint(*this, entity);
    case ceLine:
    case ceRay:
    case ceXline:
      return WalkDrawLine(*this, entity);
    case ceSolid:
    case ceTrace:
      return WalkDrawSolid(*this, entity);
    case ce3dFace:
      return WalkDraw3dFace(*this, entity);
    case ceCircle:
      return WalkDrawCircle(*this, entity);
    case ceArc:
    case ceEllipse:
      return WalkDrawArc(*this, entity);
    case cePolyline:
    case ceLWPolyline:
    case cePath:
      return WalkDrawPolyline(*this, entity);
    case ceSpline:
    case ceHelix:
    case ceLeader:
      return WalkDrawSpline(*this, entity);
    case ceInsert:
    case ceTolerance:
    case ceMText:
    case ceACADTable:
    case ceMLine:
      return WalkDrawReference(*this, entity);
    case ceDimension:
      if (DimensionsVisible()) return WalkDrawReference(*this, entity);
      WalkRegisterEntity(*this, entity);
      return 0;
    case ceText:
    case ceAttdef:
    case ceAttrib:
    case ceShape:
      return TextVisible() ? DrawTextEntity(*this, entity) : 0;
    case ceViewport:
      return WalkDrawViewport(*this, entity);
    case ceRegion:
    case ceBody:
    case ce3DSolid:
    case ceIges:
    case ceStep:
    case ceBrep:
    case ceProxy:
      return WalkDrawComplex(*this, entity);
    case cePolyPolygon:
    case ceGradientPolygon:
    case ceCurvePolygon:
    case ceHatch:
    case ceGradient:
    case ceMPolygon:
      return WalkDrawFill(*this, entity);
    case ceWipeOut:
      return WalkDrawWipeout(*this, entity);
    // Images, OLE frames, flat polygons and external references get their steps with their own
    // modules.
    default:
      return 0;
  }
}

}  // namespace vx
