// vxDXFRecordsEntities: the readers of the entity records that the drawing database holds so far:
// points, lines, rays and construction lines, solids, traces and 3D faces, circles, arcs,
// ellipses, polylines with their vertices, lightweight polylines, splines and helices.
#pragma once

#include "readers/dxf/vxDXFRecords.h"

namespace vx {

// "POINT", "LINE", "3DLINE": point 10, extrusion, thickness 39; lines add point 11.
class TdxfPenLine : public TdxfEntity {
 public:
  void Commit(TdxfLoader& r) override;
};

class TdxfPoint : public TdxfPenLine {};

class TdxfLine : public TdxfPenLine {
 public:
  void Commit(TdxfLoader& r) override;
};

// "SOLID", "TRACE", "3DFACE": a line with points 12 and 13; a 3D face also takes 70.
class TdxfSolid : public TdxfLine {
 public:
  void Commit(TdxfLoader& r) override;
};

// "RAY", "XLINE": start point 10 and direction 11.
class TdxfRay : public TdxfEntity {
 public:
  void Commit(TdxfLoader& r) override;
};

// The common part of circles, arcs, ellipses, splines and polylines.
class TdxfBasePolyLine : public TdxfEntity {
 public:
  void Commit(TdxfLoader& r) override;
};

class TdxfCircle : public TdxfBasePolyLine {
 public:
  void Commit(TdxfLoader& r) override;
};

class TdxfArc : public TdxfCircle {
 public:
  TdxfArc() { FFloats[11] = 360; }
  void Commit(TdxfLoader& r) override;
};

class TdxfEllipse : public TdxfArc {
 public:
  TdxfEllipse();
  void Commit(TdxfLoader& r) override;
};

// "POLYLINE": widths, mesh counts, elevation; its vertices follow as children.
class TdxfPolyLine : public TdxfBasePolyLine {
 public:
  void Commit(TdxfLoader& r) override;
};

class TdxfVertex : public TdxfEntity {
 public:
  void ReadProperty(TdxfLoader& r) override;
  void Commit(TdxfLoader& r) override;
};

// "LWPOLYLINE": a vertex for every 10/20 group, with the widths and bulge that follow it.
class TdxfLWPline : public TdxfPolyLine {
 public:
  void ReadProperty(TdxfLoader& r) override;
  void Commit(TdxfLoader& r) override;

 private:
  void AddVertex();
  bool FHasPoint = false;
};

// "SPLINE": control points (10), fit points (11), knots (40) and weights (41).
class TdxfSpline : public TdxfBasePolyLine {
 public:
  void ReadProperty(TdxfLoader& r) override;
  void Commit(TdxfLoader& r) override;

 protected:
  void FlushPoints();
  bool FHasControl = false;
  bool FHasFit = false;
};

// "HELIX": a spline until the "AcDbHelix" marker, then the helix's own values.
class TdxfHelix : public TdxfSpline {
 public:
  void ReadProperty(TdxfLoader& r) override;
  void Commit(TdxfLoader& r) override;

 private:
  bool FInHelix = false;
  double FRadius = 0;
  bool FHandedness = false;
};

}  // namespace vx
