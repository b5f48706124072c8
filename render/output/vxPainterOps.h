// vxPainterOps: the QPainter drawing shared by the canvas and the selection matrix targets, in
// whole pixels (aliased painting, exactly as the walk has always drawn) and in floating point
// device coordinates (antialiased painting).
//
// GDI conventions mapped onto QPainter: polygons are filled by the alternate (odd-even) rule,
// arcs are given by their box and the directions of their ends.
#pragma once

#include "render/output/vxDrawTarget.h"

#include <QPainter>
#include <QPainterPath>

namespace vx {

// Part by part; parts of fewer than two points draw nothing.
void PaintPolyPolyline(QPainter& p, const QPoint* pts, const int* counts, int parts);
void PaintPolyPolyline(QPainter& p, const QPointF* pts, const int* counts, int parts);

// Closed contours, one per part, as one path.
QPainterPath ContourPath(const QPoint* pts, const int* counts, int parts, Qt::FillRule rule);
QPainterPath ContourPath(const QPointF* pts, const int* counts, int parts, Qt::FillRule rule);
// One closed figure (for stroking).
QPainterPath ClosedFigure(const QPoint* pts, int n);
QPainterPath ClosedFigure(const QPointF* pts, int n);

// Each part as a polygon of its own (odd-even).
void PaintEachPolygon(QPainter& p, const QPoint* pts, const int* counts, int parts);
void PaintEachPolygon(QPainter& p, const QPointF* pts, const int* counts, int parts);

// QPainter's start angle and span (1/16 degree) of the arc of box from the direction of start
// to that of end, counter-clockwise on the screen; equal ends give the whole turn.
void ArcAngles16(const QRectF& box, QPointF start, QPointF end, int& start16, int& span16);

void PaintRegion(QPainter& p, const QRegion& region, const QColor& color);

// The device parallelogram of a placed picture (top-left, top-right, bottom-right, bottom-left).
void PlacementCorners(const TvxImagePlacement& image, QPointF corners[4]);

Qt::FillRule ToQtRule(TvxFillRule rule);

}  // namespace vx
