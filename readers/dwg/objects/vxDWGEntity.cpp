// The common entity data and the entity commit.
#include "readers/dwg/objects/vxDWGObject.h"

#include "readers/dwg/stream/vxDWGErrors.h"
#include "readers/dwg/vxDWGReader.h"

namespace vx {

void TdwgEntity::ReadCommon(TdwgReader& r) {
  TvxBitCursor& d = S.Dat;
  const TvxDWGVersion v = r.Version;
  if (ReadBit(d)) {
    // A graphic image: its size in bytes, then the bytes.
    const uint64_t bytes = v >= acR2010 ? ReadBLL(d) : ReadRL(d);
    if (bytes > d.Remaining() / 8) DWGObjectCorrupt();
    if (KeepsGraphics()) {
      FGraphics.resize(static_cast<size_t>(bytes));
      for (char& c : FGraphics) c = static_cast<char>(ReadRC(d));
    } else {
      d.Skip(bytes * 8);
    }
  }
  if (v < acR2000) {
    FDataBits = ReadRL(d);
    const uint64_t handles = FDataStart + FDataBits;
    if (handles < d.Pos || handles > FDataEnd) DWGObjectCorrupt();
    S.Hnd = d.Window(handles, FDataEnd);
    S.SplitHandles = true;
  }
  FMode = ReadBB(d);
  FReactorsCount = ReadBL(d);
  if (v >= acR2004) FXDicHandlePresent = ReadBit(d) == 0;
  if (v >= acR2013) ReadBit(d);  // binary data present
  if (v < acR2000) FLTypeByLayer = ReadBit(d) != 0;
  if (v < acR2004) FNoLinks = ReadBit(d) != 0;
  FColor = S.ENC(FColorFlags);
  FLineTypeScale = ReadBD(d);
  if (v >= acR2000) {
    FStandardLType = ReadBB(d);
    if (ReadBB(d) == 3) ++FExtraHandles;  // plot style
  }
  if (v >= acR2007) {
    if (ReadBB(d) == 3) ++FExtraHandles;  // material
    ReadRC(d);                            // shadow flags
  }
  if (v >= acR2010)
    for (int i = 0; i < 3; ++i) FExtraHandles += ReadBit(d);  // visual styles
  FVisibility = ReadBS(d) != 1;
  if (v >= acR2000) FLineWeight = DWGLineWeight(ReadRC(d));
}

void TdwgEntity::ReadOwnHandles(TdwgReader& r) {
  const TvxDWGVersion v = r.Version;
  if (v < acR2000) {
    FLayer = S.HandleValue();
    if (!FLTypeByLayer) FLType = S.HandleValue();
  }
  if (v < acR2004) {
    if (!FNoLinks) {
      FPrev = S.HandleValue();
      FSibling = S.HandleValue();
    } else {
      FSibling = FHandle + 1;
    }
  }
  if (v >= acR2004 && (FColorFlags & cnstENCHasDbColor)) FDbColor = S.HandleValue();
  if (v >= acR2000) {
    FLayer = S.HandleValue();
    if (FStandardLType == 3) FLType = S.HandleValue();
  }
  for (unsigned i = 0; i < FExtraHandles; ++i) S.H();
  TdwgObject::ReadOwnHandles(r);
}

TvxDXFEntity* TdwgEntity::GetOwnerItem(TdwgReader& r) {
  if (FMode == 1) return r.Paper;
  if (FMode == 2) return r.Model;
  TvxDXFEntity* owner = r.GetChild(FOwner);
  // Entities of a block belong to the block of its record.
  if (auto* rec = dynamic_cast<TvxDXFBlockRecord*>(owner)) return rec->Block();
  return owner;
}

bool TdwgEntity::AddToOwner(TdwgReader& r, TvxDXFEntity* owner) {
  return owner && FItem && owner->AddEntity(FItem) >= 0;
}

void TdwgEntity::Commit(TdwgReader& r) {
  if (!FItem) return;
  TvxDXFEntity* e = FItem;
  e->SetLineWeight(FLineWeight);
  e->SetVisibility(FVisibility);
  e->SetLineTypeScale(FLineTypeScale);
  TvxDXFLineType* lt = nullptr;
  switch (FStandardLType) {
    case 1: lt = dynamic_cast<TvxDXFLineType*>(r.GetChild(r.Header.LTByBlock)); break;
    case 2: lt = dynamic_cast<TvxDXFLineType*>(r.GetChild(r.Header.LTContinuous)); break;
    case 3: lt = dynamic_cast<TvxDXFLineType*>(r.GetChild(FLType)); break;
    default:
      lt = dynamic_cast<TvxDXFLineType*>(r.GetChild(FLType ? FLType : r.Header.LTByLayer));
      break;
  }
  if (lt) e->SetLineType(lt);
  if (auto* layer = dynamic_cast<TvxDXFLayer*>(r.GetChild(FLayer))) e->SetLayer(layer);
  TvxColorCAD color = FColor;
  if (FDbColor)
    if (TvxDXFEntity* named = r.GetChild(FDbColor)) color = named->GetColorCAD();
  e->SetColorCAD(color);
  Apply(r);
  TdwgObject::Commit(r);
}

}  // namespace vx
