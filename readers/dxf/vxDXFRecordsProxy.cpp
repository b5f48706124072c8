// Proxy entities, subdivision meshes and solid-model bodies: what "ACAD_PROXY_ENTITY", "MESH",
// "REGION", "3DSOLID", "BODY" and the surface records put into the drawing.
#include "readers/dxf/vxDXFRecordsProxy.h"

#include "database/core/vxNames.h"
#include "database/entities/vxEntBodies.h"
#include "database/entities/vxEntSolids.h"
#include "database/text/vxText.h"
#include "readers/dxf/vxProxyGraphics.h"

#include <cmath>

namespace vx {

namespace {

// The table item at index of a section; nil outside the table.
TvxDXFEntity* TableItem(TvxDXFConverter* conv, TConvSection section, int64_t index) {
  TvxDXFEntity* table = conv->Sections(section);
  if (!table || index < 0 || index >= table->Count()) return nullptr;
  return table->GetEntity(static_cast<int>(index));
}

// Gives a part the layer, line type, colour, visibility and line weight the proxy's record
// says, falling back to the proxy's own where an index names nothing.
void ApplyProxyProps(TdxfLoader& r, TvxDXFEntity* proxy, const std::string& layerName,
                     const std::string& ltypeName, TvxDXFEntity* part, const TvxProxyProps& p) {
  part->SetVisibility(proxy->GetVisibility());
  part->SetLineWeight(proxy->GetLineWeight());
  // Only ACI 1..255 is a colour of its own: 0 and 256 (by block, by layer) and anything beyond
  // the palette take the proxy's.
  if (p.Color >= 1 && p.Color <= 255)
    part->SetColorCAD({acIndexColor, static_cast<uint32_t>(p.Color), {}});
  else
    part->SetColorCAD(proxy->GetColorCAD());
  auto* obj = dynamic_cast<TvxDXFObjectEntityLineType*>(part);
  if (!obj) return;
  auto* layer = dynamic_cast<TvxDXFLayer*>(p.Layer >= 0 ? TableItem(r.Conv, csLayers, p.Layer) : nullptr);
  if (!layer) layer = r.FindLayer(layerName);
  if (layer) obj->SetLayer(layer);
  else obj->SetLayerLink(TvxLinkObject::ByName(layerName.empty() ? cnstDefaultLayer : layerName));
  // -1 and -2 are by layer and by block; the other indexes count after those two entries.
  TvxDXFLineType* lt = nullptr;
  if (p.LineType == -1) lt = r.FindLType("BYLAYER");
  else if (p.LineType == -2) lt = r.FindLType("BYBLOCK");
  else if (p.LineType >= 0) lt = dynamic_cast<TvxDXFLineType*>(TableItem(r.Conv, csLTypes, int64_t{p.LineType} + 2));
  if (!lt) lt = r.FindLType(ltypeName);
  if (lt) obj->SetLineType(lt);
  else obj->SetLineTypeLink(TvxLinkObject::ByName(ltypeName.empty() ? cnstDefaultLType : ltypeName));
  if (p.LineTypeScale > 0 && std::isfinite(p.LineTypeScale)) obj->SetLineTypeScale(p.LineTypeScale);
  if (auto* text = dynamic_cast<TvxDXFText*>(part)) {
    TvxDXFStyle* style = ProxyTextStyle(r.Conv, p.FontName);
    text->SetStyle(style ? style : r.Conv->StyleByName("STANDARD"));
  }
}

}  // namespace

// ---- TdxfProxy --------------------------------------------------------------------------------

void TdxfProxy::ReadProperty(TdxfLoader& r) {
  TdxfReader& t = r.Tok;
  switch (t.Code()) {
    case 310:
      if (FGraphicsEnded || FBadGraphics) return;
      if (FGraphics.size() > cnstMaxProxyGraphicsBytes) {
        FBadGraphics = true;
        return;
      }
      if (!AppendHexChunk(t.Value(), FGraphics)) FBadGraphics = true;
      return;
    case 93:
      // The entity data follows: its chunks are the writer's own, not drawing commands.
      if (!FGraphics.empty()) FGraphicsEnded = true;
      return;
    default: TdxfEntity::ReadProperty(r); return;
  }
}

void TdxfProxy::Commit(TdxfLoader& r) {
  TdxfEntity::Commit(r);
  auto* proxy = dynamic_cast<TvxDXFProxy*>(FEnt);
  if (!proxy || FGraphics.empty() || FBadGraphics) return;
  TDXFProxyReader reader(FGraphics, r.Conv->HeadVarStruct().Version);
  std::vector<TvxEntityPtr<>> parts;
  std::vector<TvxProxyProps> props;
  ReadProxyGraphics(reader, ProxyOptionsOf(r.Conv), parts, props);
  for (size_t i = 0; i < parts.size(); ++i) {
    ApplyProxyProps(r, proxy, FTexts[8], FTexts[6], parts[i].get(), props[i]);
    if (proxy->AddEntity(parts[i].get()) >= 0) parts[i].release();
  }
}

// ---- TdxfMesh ---------------------------------------------------------------------------------

void TdxfMesh::ReadProperty(TdxfLoader& r) {
  TdxfReader& t = r.Tok;
  const int code = t.Code();
  if (!FSubMesh) {
    if (code == 100 && DXFTrim(t.Value()) == "AcDbSubDMesh") FSubMesh = true;
    else TdxfProxy::ReadProperty(r);
    return;
  }
  // The per-face overrides at the end name colours and layers of parts, not of the mesh.
  if (FPart == TPart::Overrides) return;
  switch (code) {
    case 92:
      if (!FHasVertexCount) {
        FHasVertexCount = true;
        FVertexCount = std::max<int64_t>(0, t.IntValue());
        FVertices.reserve(static_cast<size_t>(std::min<int64_t>(FVertexCount, 1 << 16)));
      }
      return;
    case 10: case 20: case 30: {
      TdxfEntity::ReadProperty(r);
      if (code == 30 && static_cast<int64_t>(FVertices.size()) < FVertexCount &&
          FVertices.size() < cnstMaxMeshValues)
        FVertices.push_back(FPoints[0]);
      return;
    }
    case 93:
      FPart = TPart::Faces;
      FFaceListSize = std::max<int64_t>(0, t.IntValue());
      return;
    case 94:
      FPart = TPart::Edges;
      FEdgeValues = 2 * std::max<int64_t>(0, t.IntValue());
      return;
    case 95: FPart = TPart::Creases; return;
    case 90:
      if (FPart == TPart::Faces && static_cast<int64_t>(FFaceList.size()) < FFaceListSize &&
          FFaceList.size() < cnstMaxMeshValues)
        FFaceList.push_back(t.IntValue());
      else if (FPart == TPart::Edges && FEdgeValues > 0)
        --FEdgeValues;
      else if (FPart == TPart::Creases)
        FPart = TPart::Overrides;  // the count of overridden parts
      return;
    case 140: return;  // crease values
    default: TdxfEntity::ReadProperty(r); return;
  }
}

void TdxfMesh::Commit(TdxfLoader& r) {
  TdxfProxy::Commit(r);
  auto* proxy = dynamic_cast<TvxDXFProxy*>(FEnt);
  if (!proxy) return;
  const auto nv = static_cast<int64_t>(FVertices.size());
  for (size_t i = 0; i < FFaceList.size();) {
    const int64_t c = FFaceList[i];
    // A face of no corners (or a negative count) leaves nothing to walk by.
    if (c <= 0 || c > static_cast<int64_t>(FFaceList.size() - i - 1)) break;
    const int32_t* v = &FFaceList[i + 1];
    i += static_cast<size_t>(c) + 1;
    if (c < 3) continue;  // not a face
    bool ok = true;
    for (int k = 0; k < 4 && k < c; ++k) ok = ok && v[k] >= 0 && v[k] < nv;
    if (!ok) continue;
    auto* f = new TvxDXF3dFace();
    f->SetFlags(16);
    f->SetPoint(FVertices[static_cast<size_t>(v[0])]);
    f->SetPoint1(FVertices[static_cast<size_t>(v[1])]);
    f->SetPoint2(FVertices[static_cast<size_t>(v[2])]);
    f->SetPoint3(FVertices[static_cast<size_t>(c > 3 ? v[3] : v[2])]);
    f->SetColorCAD(proxy->GetColorCAD());
    f->SetVisibility(proxy->GetVisibility());
    f->SetLineWeight(proxy->GetLineWeight());
    if (TvxDXFLayer* layer = r.FindLayer(FTexts[8])) f->SetLayer(layer);
    else f->SetLayerLink(TvxLinkObject::ByName(FTexts[8].empty() ? cnstDefaultLayer : FTexts[8]));
    if (TvxDXFLineType* lt = r.FindLType(FTexts[6])) f->SetLineType(lt);
    else f->SetLineTypeLink(TvxLinkObject::ByName(FTexts[6].empty() ? cnstDefaultLType : FTexts[6]));
    if (proxy->AddEntity(f) < 0) f->Free();
  }
}

// ---- TdxfACIS ---------------------------------------------------------------------------------

void TdxfACIS::ReadProperty(TdxfLoader& r) {
  TdxfReader& t = r.Tok;
  switch (t.Code()) {
    case 1:
      if (FLines.size() < cnstMaxMeshValues) FLines.push_back(t.Value());
      return;
    case 3:
      if (FLines.empty()) FLines.emplace_back();
      if (FLines.back().size() < (size_t{1} << 24)) FLines.back() += t.Value();
      return;
    default: TdxfEntity::ReadProperty(r); return;
  }
}

void TdxfACIS::Commit(TdxfLoader& r) {
  TdxfEntity::Commit(r);
  if (auto* body = dynamic_cast<TvxDXFRegion*>(FEnt)) body->BodyText() = std::move(FLines);
}

}  // namespace vx
