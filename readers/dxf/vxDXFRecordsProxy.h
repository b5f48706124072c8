// vxDXFRecordsProxy: the readers of proxy entities, subdivision meshes and solid-model bodies.
//
//  - TdxfProxy ("ACAD_PROXY_ENTITY"): the 310 chunks of the graphic image (those before the
//    entity data that 93 announces) are decoded by ReadProxyGraphics; each decoded entity takes
//    the proxy's visibility and line weight, its own colour (1..255) or the proxy's, the layer
//    and line type its indexes name when they are inside the tables (else the proxy's), and a text
//    the style of its font; then it becomes a part of the proxy (TvxDXFProxy).
//  - TdxfMesh ("MESH"): a proxy whose "AcDbSubDMesh" part gives vertices (92, then 10/20/30),
//    a face list (93, then 90s: a count and that many vertex numbers per face) and edges and
//    creases (94, 95: read and dropped). Each face becomes a 3D face part of the item. Counts are
//    checked against what was read: a face that names a vertex that does not exist is dropped, a
//    face count of 0 or less ends the walk.
//  - TdxfACIS ("REGION", "3DSOLID", "BODY", the surfaces): the modeller data text lines (1, with
//    3 continuing the line before) kept on the item.
#pragma once

#include "readers/dxf/vxDXFRecords.h"

#include <string>
#include <vector>

namespace vx {

// Graphic images larger than this are not decoded (the proxy keeps no parts).
constexpr size_t cnstMaxProxyGraphicsBytes = size_t{64} << 20;
// Vertices and face-list values a MESH record keeps at most.
constexpr size_t cnstMaxMeshValues = size_t{1} << 22;

class TdxfProxy : public TdxfEntity {
 public:
  void ReadProperty(TdxfLoader& r) override;
  void Commit(TdxfLoader& r) override;

 protected:
  std::string FGraphics;       // the decoded 310 chunks of the graphic image
  bool FGraphicsEnded = false; // the entity data (93) began: later 310s are not graphics
  bool FBadGraphics = false;   // a chunk was not hexadecimal
};

class TdxfMesh : public TdxfProxy {
 public:
  void ReadProperty(TdxfLoader& r) override;
  void Commit(TdxfLoader& r) override;

 private:
  enum class TPart : uint8_t { None, Faces, Edges, Creases, Overrides };
  bool FSubMesh = false;     // "AcDbSubDMesh" was met
  bool FHasVertexCount = false;
  int64_t FVertexCount = 0;
  int64_t FFaceListSize = 0;
  int64_t FEdgeValues = 0;
  TPart FPart = TPart::None;
  std::vector<TFPoint> FVertices;
  std::vector<int32_t> FFaceList;
};

class TdxfACIS : public TdxfEntity {
 public:
  void ReadProperty(TdxfLoader& r) override;
  void Commit(TdxfLoader& r) override;

 private:
  std::vector<std::string> FLines;
};

}  // namespace vx
