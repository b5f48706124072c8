// vxDXFRecordsFills: the readers of the filled-area records, "HATCH" and "MPOLYGON", and of
// the masking "WIPEOUT".
//
// A hatch record carries its boundary paths and pattern lines as runs of pairs whose meaning
// depends on the edge being read (a 10 is a polyline vertex, a line's start, an arc's centre or
// a spline's control point). The reader keeps the boundary data and the pattern data it builds
// as objects of its own and hands them to the item at commit, so that a record dropped before
// its commit leaves nothing behind, and a solid hatch can become a curve polygon then.
#pragma once

#include "database/hatches/vxHatches.h"
#include "readers/dxf/vxDXFRecords.h"

#include <array>
#include <memory>
#include <vector>

namespace vx {

class TdxfHatch : public TdxfEntity {
 public:
  TdxfHatch();
  void ReadProperty(TdxfLoader& r) override;
  void Commit(TdxfLoader& r) override;

 private:
  struct TFree {
    void operator()(TvxDXFEntity* e) const { e->Free(); }
  };
  // The current boundary list, opened on first need with the flags of the last 92.
  Tvx2DBoundaryList* Boundary();
  // A new edge of the kind a 72 names, added to the current boundary list.
  void NewEdge(TdxfLoader& r, int value);
  bool ReadEdgeProperty(TdxfLoader& r, int code);
  bool ReadGradientProperty(TdxfLoader& r, int code);
  void SetGradientColor(const TvxColorCAD& c);

  bool IsMPolygon() const;

  std::unique_ptr<TvxCADBoundaryData, TFree> FBoundaries{new TvxCADBoundaryData()};
  std::unique_ptr<TvxCADHatchPatternData, TFree> FPattern{new TvxCADHatchPatternData()};
  Tvx2DBoundaryList* FList = nullptr;
  Tvx2DCurve* FEdge = nullptr;
  int FPathFlags = 0;
  bool FPathsStarted = false;     // a 91 was read: 10/20 belong to edges from now on
  bool FExpectFitCount = false;   // the spline edge just read may be followed by its fit count
  int FFlags70 = 0, FFlags71 = 0;
  // Elevation point, island style 75, gradient 450, 460 (radians), 461, 470 and two colours.
  TvxCurvePolygonFields FFields;
  int FColorIndex = -1;
  bool FColorSlots = false;       // a 463 opens each colour (63 and 421 then describe one colour)
  bool FHasFillColor = false;     // MPOLYGON: 63 is the fill colour
  TvxColorCAD FFillColor;
};

// "WIPEOUT": insertion point 10, pixel vectors 11 and 12, size 13, clip vertices 14/24, flags
// 70, clip boundary type 71, clipping 280.
class TdxfWipeout : public TdxfEntity {
 public:
  void ReadProperty(TdxfLoader& r) override;
  void Commit(TdxfLoader& r) override;

 private:
  std::vector<TF2DPoint> FClip;
  bool FUseClipping = false;
};

}  // namespace vx
