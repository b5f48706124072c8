// DWG proxies, subdivision meshes, dimensions, tables and solid-model bodies.
#include "readers/dwg/objects/vxDWGBodies.h"

#include "database/blocks/vxBlocks.h"
#include "database/blocks/vxDimTables.h"
#include "database/core/vxNames.h"
#include "database/core/vxTables.h"
#include "database/entities/vxEntBodies.h"
#include "database/entities/vxEntSolids.h"
#include "database/text/vxText.h"
#include "readers/dwg/objects/vxDWGKinds.h"
#include "readers/dwg/vxDWGReader.h"
#include "readers/dxf/vxProxyGraphics.h"

#include <cmath>

namespace vx {

void TdwgProxy::ReadOwnData(TdwgReader& r) {
  // Entities of classes this library does not read come here too; the DXF reader drops their
  // records, so they are dropped alike: only the file's own proxy entities (498) are kept.
  if (FCode == 83 && FType != 498 && FItem) {
    FItem->Free();
    FItem = nullptr;
  }
  // The data ends where the handles (from 2007 the strings) begin.
  TvxBitCursor& d = S.Dat;
  const uint64_t end = r.Version >= acR2007 ? d.End : S.Hnd.Pos;
  if (end >= d.Pos && end <= d.End) d.Pos = end;
}

void TdwgProxy::Apply(TdwgReader& r) {
  auto* proxy = dynamic_cast<TvxDXFProxy*>(FItem);
  if (!proxy || FGraphics.empty()) return;
  TDXFProxyReader reader(FGraphics, static_cast<int>(r.Version));
  std::vector<TvxEntityPtr<>> parts;
  std::vector<TvxProxyProps> props;
  ReadProxyGraphics(reader, ProxyOptionsOf(r.Conv), parts, props);
  TvxDXFEntity* layers = r.Conv->Sections(csLayers);
  TvxDXFEntity* ltypes = r.Conv->Sections(csLTypes);
  for (size_t i = 0; i < parts.size(); ++i) {
    TvxDXFEntity* e = parts[i].get();
    const TvxProxyProps& p = props[i];
    e->SetVisibility(proxy->GetVisibility());
    e->SetLineTypeScale(proxy->GetLineTypeScale());
    if (p.LineWeight >= 0 && p.LineWeight <= 211) e->SetLineWeight(p.LineWeight / 100.0);
    // Colours beyond the palette take the proxy's as 0 (by block) and 256 (by layer) do.
    if (p.Color >= 1 && p.Color <= 255) e->SetColorCAD({acIndexColor, static_cast<uint32_t>(p.Color), {}});
    else e->SetColorCAD(proxy->GetColorCAD());
    TvxDXFLayer* layer = nullptr;
    if (layers && p.Layer >= 0 && p.Layer < layers->Count())
      layer = dynamic_cast<TvxDXFLayer*>(layers->GetEntity(p.Layer));
    e->SetLayer(layer ? layer : proxy->GetLayer());
    if (ltypes && ltypes->Count() > 0) {
      const int64_t n = ltypes->Count();
      const int64_t at = ((int64_t{p.LineType} + 2) % n + n) % n;
      if (auto* lt = dynamic_cast<TvxDXFLineType*>(ltypes->GetEntity(static_cast<int>(at)))) e->SetLineType(lt);
    }
    if (auto* text = dynamic_cast<TvxDXFText*>(e)) {
      TvxDXFStyle* style = ProxyTextStyle(r.Conv, p.FontName);
      text->SetStyle(style ? style : r.Conv->StyleByName("STANDARD"));
    }
    if (proxy->AddEntity(e) >= 0) parts[i].release();
  }
}

void TdwgMesh::ReadOwnData(TdwgReader& r) {
  TvxBitCursor& d = S.Dat;
  ReadBS(d);   // version
  ReadBit(d);  // blend crease
  ReadBL(d);   // subdivision level
  const uint32_t nv = DWGCounted(d, ReadBL(d), 6);
  FVertices.reserve(nv);
  for (uint32_t i = 0; i < nv && !d.Failed; ++i) FVertices.push_back(Read3BD(d));
  const uint32_t nf = DWGCounted(d, ReadBL(d), 2);
  FFaces.reserve(nf);
  for (uint32_t i = 0; i < nf && !d.Failed; ++i) FFaces.push_back(static_cast<int32_t>(ReadBL(d)));
  TdwgProxy::ReadOwnData(r);
}

void TdwgMesh::Apply(TdwgReader& r) {
  TdwgProxy::Apply(r);
  auto* proxy = dynamic_cast<TvxDXFProxy*>(FItem);
  if (!proxy) return;
  const auto nv = static_cast<int64_t>(FVertices.size());
  for (size_t i = 0; i < FFaces.size();) {
    const int64_t c = FFaces[i];
    if (c <= 0 || c > static_cast<int64_t>(FFaces.size() - i - 1)) break;
    const int32_t* v = &FFaces[i + 1];
    i += static_cast<size_t>(c) + 1;
    if (c < 3) continue;
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
    f->SetLayer(proxy->GetLayer());
    f->SetLineType(proxy->GetLineType());
    if (proxy->AddEntity(f) < 0) f->Free();
  }
}

// ---- dimensions -------------------------------------------------------------------------------

void TdwgDimension::ReadOwnData(TdwgReader& r) {
  TvxBitCursor& d = S.Dat;
  const TvxDWGVersion v = r.Version;
  if (v >= acR2010) ReadRC(d);
  FExtrusion = Read3BD(d);
  FMiddle = Read2RD(d);
  ReadBD(d);  // elevation
  const unsigned flags = ReadRC(d);
  FFlags = (flags & 1) ? 0 : 128;
  if (flags & 2) FFlags |= 0x20;
  FText = S.TV();
  ReadBD(d);  // text rotation
  ReadBD(d);  // horizontal direction
  FScale = Read3BD(d);
  FAngle = ReadBD(d) * 180 / 3.14159265358979323846;
  if (v >= acR2000) {
    ReadBS(d);  // attachment
    ReadBS(d);  // line spacing style
    ReadBD(d);  // line spacing factor
    ReadBD(d);  // measurement
  }
  if (v >= acR2007) {
    ReadBit(d);
    ReadBit(d);  // flipped arrows
    ReadBit(d);
  }
  FPoint = Read2RD(d);
  switch (FCode) {
    case 20:
      FDef = Read3BD(d);
      FLin1 = Read3BD(d);
      FLin2 = Read3BD(d);
      if (ReadRC(d) & 1) FFlags |= 64;
      FFlags |= 6;
      break;
    case 21:
    case 22:
      FLin1 = Read3BD(d);
      FLin2 = Read3BD(d);
      FDef = Read3BD(d);
      ReadBD(d);
      if (FCode == 21) ReadBD(d);
      else FFlags |= 1;
      break;
    case 23:
      FDef = Read3BD(d);
      FLin1 = Read3BD(d);
      FLin2 = Read3BD(d);
      FRad = Read3BD(d);
      FFlags |= 5;
      break;
    case 24:
      FArc = Read2RD(d);
      FLin1 = Read3BD(d);
      FLin2 = Read3BD(d);
      FRad = Read3BD(d);
      FDef = Read3BD(d);
      FFlags |= 2;
      break;
    default:  // 25 radius, 26 diameter
      FDef = Read3BD(d);
      FRad = Read3BD(d);
      ReadBD(d);  // leader length
      FFlags |= FCode == 25 ? 4 : 3;
      break;
  }
}

void TdwgDimension::ReadOwnHandles(TdwgReader& r) {
  TdwgEntity::ReadOwnHandles(r);
  FStyle = S.HandleValue();
  FBlockRecord = S.HandleValue();
}

void TdwgDimension::Apply(TdwgReader& r) {
  auto* dm = dynamic_cast<TvxDXFDimension*>(FItem);
  if (!dm) return;
  auto finite = [](const TFPoint& p) {
    return std::isfinite(p.X) && std::isfinite(p.Y) && std::isfinite(p.Z) ? p : TFPoint{};
  };
  dm->SetPoint(finite(FPoint));
  dm->SetExtrusion(FExtrusion);
  dm->SetScale(FScale);
  if (std::isfinite(FAngle)) dm->SetAngle(FAngle);
  dm->SetDefPoint(finite(FDef));
  dm->SetMiddlePoint(finite(FMiddle));
  dm->SetLinDefPoint1(finite(FLin1));
  dm->SetLinDefPoint2(finite(FLin2));
  dm->SetRadDefPoint(finite(FRad));
  dm->SetArcDefPoint(finite(FArc));
  dm->SetDimFlags(FFlags);
  dm->SetTextOverride(FText);
  if (auto* style = dynamic_cast<TvxDXFDimensionStyle*>(r.GetChild(FStyle))) dm->SetStyle(style);
  if (auto* rec = dynamic_cast<TvxDXFBlockRecord*>(r.GetChild(FBlockRecord)))
    if (TvxDXFBlock* block = rec->Block()) dm->SetBlock(block);
}

// ---- tables -----------------------------------------------------------------------------------

void TdwgAcadTable::ReadOwnData(TdwgReader& r) {
  FPoint = Read3BD(S.Dat);
  TdwgProxy::ReadOwnData(r);
}

void TdwgAcadTable::ReadOwnHandles(TdwgReader& r) {
  TdwgEntity::ReadOwnHandles(r);
  FBlockRecord = S.HandleValue();
  FTableStyle = S.HandleValue();
}

void TdwgAcadTable::Apply(TdwgReader& r) {
  auto* t = dynamic_cast<TvxDXFAcadTable*>(FItem);
  if (!t) return;
  if (std::isfinite(FPoint.X) && std::isfinite(FPoint.Y) && std::isfinite(FPoint.Z)) t->SetPoint(FPoint);
  if (auto* rec = dynamic_cast<TvxDXFBlockRecord*>(r.GetChild(FBlockRecord)))
    if (TvxDXFBlock* block = rec->Block()) t->SetBlock(block);
}

void AddDWGProxyKinds(TdwgKindTable& t) {
  t[83] = Kind("ACAD_PROXY_ENTITY", Reader<TdwgProxy>, Item<TvxDXFProxy>, {});
  t[94] = Kind("MESH", Reader<TdwgMesh>, Item<TvxDXFProxy>, {});
  t[20] = Kind("DIMENSION_ORDINATE", Reader<TdwgDimension>, Item<TvxDXFDimension>, {});
  t[21] = Kind("DIMENSION_LINEAR", Reader<TdwgDimension>, Item<TvxDXFDimension>, {});
  t[22] = Kind("DIMENSION_ALIGNED", Reader<TdwgDimension>, Item<TvxDXFDimension>, {});
  t[23] = Kind("DIMENSION_ANG3PT", Reader<TdwgDimension>, Item<TvxDXFDimension>, {});
  t[24] = Kind("DIMENSION_ANG2LN", Reader<TdwgDimension>, Item<TvxDXFDimension>, {});
  t[25] = Kind("DIMENSION_RADIUS", Reader<TdwgDimension>, Item<TvxDXFDimension>, {});
  t[26] = Kind("DIMENSION_DIAMETER", Reader<TdwgDimension>, Item<TvxDXFDimension>, {});
  t[84] = Kind("ACAD_TABLE", Reader<TdwgAcadTable>, Item<TvxDXFAcadTable>, {});
  t[37] = Kind("REGION", Reader<TdwgACISEntity>, Item<TvxDXFRegion>, {});
  t[38] = Kind("3DSOLID", Reader<TdwgACISEntity>, Item<TvxDXF3dSolid>, {});
  t[39] = Kind("BODY", Reader<TdwgACISEntity>, Item<TvxDXFBody>, {});
  t[88] = Kind("SURFACE", Reader<TdwgACISEntity>, Item<TvxDXFRegion>, {});
}

}  // namespace vx
