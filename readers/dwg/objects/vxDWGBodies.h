// vxDWGBodies: the DWG readers of the entities that draw through parts or blocks of their own.
//
//  - TdwgProxy (83, and entity classes this library does not know): the graphic image of the
//    common entity data is kept and decoded by the proxy-graphics decoder; the object's own data
//    (the writer's) is passed over to the handles. Each decoded entity takes the proxy's
//    visibility and line-type scale, its own colour (ACI 1..255) or the proxy's, the layer of its
//    index when that is inside the layer table (else the proxy's), the line type at (index + 2)
//    modulo the line-type count, and a text the style of its font.
//  - TdwgMesh (94): the vertices and the face list, then as a proxy; each face of three or four
//    existing vertices becomes a 3D face; a face count of 0 or less ends the walk.
//  - TdwgDimension (20..26): the common dimension data and each kind's points; the dimension
//    shows its block (the second handle after the common ones; the first is its style).
//  - TdwgAcadTable (84): the insertion point; the rest of the data is passed over; the table shows
//    the block of the first handle after the common ones.
//  - TdwgACISEntity (37, 38, 39, 88): the modeller data is passed over (nothing converts it).
#pragma once

#include "readers/dwg/objects/vxDWGObject.h"

#include <string>
#include <vector>

namespace vx {

class TdwgProxy : public TdwgEntity {
 public:
  bool KeepsGraphics() const override { return true; }
  // Passes over the writer's data to the handles.
  void ReadOwnData(TdwgReader& r) override;
  void Apply(TdwgReader& r) override;
};

class TdwgMesh : public TdwgProxy {
 public:
  void ReadOwnData(TdwgReader& r) override;
  void Apply(TdwgReader& r) override;

 private:
  std::vector<TFPoint> FVertices;
  std::vector<int32_t> FFaces;
};

class TdwgDimension : public TdwgEntity {
 public:
  void ReadOwnData(TdwgReader& r) override;
  void ReadOwnHandles(TdwgReader& r) override;
  void Apply(TdwgReader& r) override;

 private:
  TFPoint FExtrusion = cnstExtrusion, FMiddle, FScale = cnstFPointSingle, FPoint;
  TFPoint FDef, FLin1, FLin2, FRad, FArc;
  double FAngle = 0;
  int FFlags = 0;
  std::string FText;
  uint64_t FStyle = 0, FBlockRecord = 0;
};

class TdwgAcadTable : public TdwgProxy {
 public:
  bool KeepsGraphics() const override { return false; }
  void ReadOwnData(TdwgReader& r) override;
  void ReadOwnHandles(TdwgReader& r) override;
  void Apply(TdwgReader& r) override;

 private:
  TFPoint FPoint;
  uint64_t FBlockRecord = 0, FTableStyle = 0;
};

class TdwgACISEntity : public TdwgProxy {
 public:
  bool KeepsGraphics() const override { return false; }
  void Apply(TdwgReader& r) override {}
};

}  // namespace vx
