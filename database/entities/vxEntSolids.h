// vxEntSolids: the filled quadrilaterals and triangles: solid, trace and 3D face.
//
// The four corners (Point, Point1, Point2, Point3) are stored in object coordinates; GetPoints
// reads them with degenerate corners dropped, optionally raised by the thickness and turned to
// world coordinates. The renderer draws the stored corners through the iteration matrix, which
// the solid's walk composes with its extrusion matrix.
#pragma once

#include "database/entities/vxEntLines.h"

namespace vx {

// Internal-flag bits set at load: which of the two triangles (c0, c1, c2) and (c0, c2, c3) is
// degenerate or faces down.
constexpr uint8_t cnstSolidFirstDown = 0x10;
constexpr uint8_t cnstSolidSecondDown = 0x20;
constexpr uint8_t cnstSolidFirstEmpty = 0x40;
constexpr uint8_t cnstSolidSecondEmpty = 0x80;

class TvxDXFSolid : public TvxDXFLine {
  VX_ENTITY_CLASS(TvxDXFSolid)
 public:
  TvxCADEntities EntType() const override { return ceSolid; }

  TFPoint GetPoint2() const { return FPoint2; }
  void SetPoint2(const TFPoint& p) { FPoint2 = p; }
  TFPoint GetPoint3() const { return FPoint3; }
  void SetPoint3(const TFPoint& p) { FPoint3 = p; }
  // Corners 0..3 as stored; the zero point out of range.
  TFPoint GetCorner(int index) const;

  // The corners without the degenerate ones (4, 3 or 2), optionally raised by the thickness
  // along Z and turned to world coordinates.
  TvxSolidCorners GetPoints(bool addThickness, bool toWCS) const;
  // Object to world (linear part); cached on first use, the identity without an extrusion.
  TFMatrix GetExtrusionMatrix() const;
  // Writing the extrusion drops the cached matrix.
  void SetExtrusion(const TFPoint& e) override;

  // The corners in world coordinates, with the raised corners when there is a thickness.
  TFRect GetBox() override;
  // The layer default and the triangle classification (internal flags 0x10..0x80).
  void LoadData(TvxDXFConverter* conv) override;
  // With an extrusion the walk's matrix becomes extrusion x matrix while the visitor runs.
  void DoIterate(TvxDXFConverter* conv, const TvxEntityProc& finishProc,
                 const TvxEntityProc& proc) override;
  void AssignEntity(const TvxDXFEntity* source) override;

 protected:
  TFPoint FPoint2;
  TFPoint FPoint3;
  mutable std::unique_ptr<TFMatrix> FMatrix;
};

class TvxDXFTrace : public TvxDXFSolid {
  VX_ENTITY_CLASS(TvxDXFTrace)
 public:
  TvxCADEntities EntType() const override { return ceTrace; }
};

// Invisible-edge flags of a 3D face: edge i (from corner i to corner i + 1) is hidden when bit i
// is set; 15 hides the whole face.
class TvxDXF3dFace : public TvxDXFSolid {
  VX_ENTITY_CLASS(TvxDXF3dFace)
 public:
  TvxCADEntities EntType() const override { return ce3dFace; }
  // The edge flags as read (visibility stays in the object entity's own flag).
  int GetFlags() const override { return FFlags; }
  void SetFlags(int f) override { FFlags = f; }
  void AssignEntity(const TvxDXFEntity* source) override;

 protected:
  int FFlags = 0;
};

}  // namespace vx
