// Table, table-entry, block-record and block readers.
#include "readers/dxf/vxDXFRecordsTables.h"

#include "database/core/vxNames.h"

#include <cstdio>

namespace vx {

// ---- tables ---------------------------------------------------------------------------------

void TdxfTable::Commit(TdxfLoader& r) {
  TdxfObject::Commit(r);
  FName = DXFTrim(FTexts[2]);
  if (TvxDXFTable* existing = r.Conv->Tables(FName)) {
    ReplaceEnt(existing, true);
    return;
  }
  // The block-record table is a view over BLOCKS.
  if (SameName(FName, "BLOCK_RECORD")) {
    auto* records = new TvxDXFBlockRecords();
    records->SetHandle(FHandle);
    ReplaceEnt(records, false);
  }
  if (!FEnt) return;
  FEnt->SetConverter(r.Conv);
  FEnt->SetName(FName);
  // Placed before its entries, so that lookups find them while the rest of the table is read.
  if (TvxDXFSection* tables = r.Conv->TablesSection())
    if (tables->AddEntity(FEnt) >= 0) FAdded = FFinal = true;
}

bool TdxfTable::AddChild(TdxfLoader& r, TdxfObject* child) {
  if (!FEnt || !child->FEnt) return false;
  // Only the items of the table's own kind (a LAYER table takes layers).
  TConvSection section;
  if (DXFTableSection(FName, section)) {
    const TvxEntityClassInfo* cls = SectionInfo(section).ItemClass();
    if (cls && !cls->IsInstance(child->FEnt)) return false;
  }
  return FEnt->AddEntity(child->FEnt) >= 0;
}

// ---- table entries --------------------------------------------------------------------------

void TdxfPenTableItem::ReadProperty(TdxfLoader& r) {
  TdxfEntity::ReadProperty(r);
  if (r.Tok.Code() != 2 || FMatched || !FOwner || !FOwner->FEnt || !FEnt) return;
  // An entry of that name and kind already in the table is filled again.
  const std::string name = DXFTrim(FTexts[2]);
  // Unnamed entries (the shape-file styles line types refer to) are told apart by handle only.
  if (name.empty()) return;
  TvxDXFEntity* table = FOwner->FEnt;
  TvxDXFEntity* existing = nullptr;
  if (auto* t = dynamic_cast<TvxDXFTable*>(table)) {
    const std::type_info& kind = typeid(*FEnt);
    existing = t->FindEntByNameIf(name, [&kind](const TvxDXFEntity* e) { return typeid(*e) == kind; });
  }
  if (existing && existing != FEnt) {
    ReplaceEnt(existing, true);
    FMatched = true;
  }
}

void TdxfPenTableItem::Commit(TdxfLoader& r) {
  TdxfEntity::Commit(r);
  if (!FEnt) return;
  FEnt->SetName(DXFTrim(FTexts[2]));
  FEnt->SetFlags(FInts[10]);
}

void TdxfLayer::ReadProperty(TdxfLoader& r) {
  if (r.Tok.Code() == 290) {
    FPlottable = r.Tok.IntValue() != 0;
    return;
  }
  TdxfPenTableItem::ReadProperty(r);
}

void TdxfLayer::Commit(TdxfLoader& r) {
  TdxfPenTableItem::Commit(r);
  auto* layer = dynamic_cast<TvxDXFLayer*>(FEnt);
  if (!layer) return;
  layer->SetVisible(FInts[2] >= 0);  // a negative colour switches the layer off
  layer->SetIsPlotting(FPlottable);
}

TvxLTypeElement& TdxfLType::Current() {
  if (FElements.empty()) {
    FElements.emplace_back();
    FStyleHandles.push_back(0);
  }
  return FElements.back();
}

void TdxfLType::ReadProperty(TdxfLoader& r) {
  TdxfReader& t = r.Tok;
  switch (t.Code()) {
    case 49:
      FElements.emplace_back();
      FStyleHandles.push_back(0);
      FElements.back().Dash = t.FloatValue();
      return;
    case 74: Current().ComplexType = static_cast<uint8_t>(t.IntValue()); return;
    case 75: Current().ShapeNumber = static_cast<int16_t>(t.IntValue()); return;
    case 340:
      Current();
      FStyleHandles.back() = t.HandleValue();
      return;
    case 44: Current().XOffset = t.FloatValue(); return;
    case 45: Current().YOffset = t.FloatValue(); return;
    case 46: Current().Scale = t.FloatValue(); return;
    case 50: Current().Rotation = t.FloatValue(); return;
    case 9: Current().Text = t.UValue(); return;
    default: TdxfPenTableItem::ReadProperty(r); return;
  }
}

void TdxfLType::Commit(TdxfLoader& r) {
  TdxfPenTableItem::Commit(r);
  auto* lt = dynamic_cast<TvxDXFLineType*>(FEnt);
  if (!lt) return;
  lt->Lines().Clear();
  TvxDXFTable* styles = r.Conv->Styles();
  for (size_t i = 0; i < FElements.size(); ++i) {
    if (FStyleHandles[i] != 0 && styles)
      FElements[i].Style = dynamic_cast<TvxDXFStyle*>(styles->FindEntByHandle(FStyleHandles[i]));
    if (FStyleHandles[i] != 0 && !FElements[i].Style && lt->GetHandle() != 0)
      r.PendingLTypeStyles.push_back({lt->GetHandle(), i, FStyleHandles[i]});
    lt->Lines().Add(FElements[i]);
  }
}

TdxfStyle::TdxfStyle() {
  FTexts[2] = "STANDARD";
  FTexts[3] = "txt";
  FFloats[1] = 1.0;
  FFloats[2] = 2.5;
}

void TdxfStyle::ReadProperty(TdxfLoader& r) {
  TdxfReader& t = r.Tok;
  switch (t.Code()) {
    case 1001: FXDataApp = DXFTrim(t.StrValue()); return;
    case 1000:
      if (!FHasFace && SameName(FXDataApp, "ACAD")) {
        FFace = DXFTrim(t.StrValue());
        FHasFace = true;
      }
      return;
    case 1071:
      if (!FHasFaceFlags && SameName(FXDataApp, "ACAD")) {
        FFaceFlags = t.IntValue();
        FHasFaceFlags = true;
      }
      return;
    default: TdxfPenTableItem::ReadProperty(r); return;
  }
}

void TdxfStyle::Prepare(TdxfLoader& r) {
  TdxfPenTableItem::Prepare(r);
  auto* style = dynamic_cast<TvxDXFStyle*>(FEnt);
  if (!style || !FHasFace) return;
  style->FontName = FFace;
  uint8_t bits = 0;
  if (FFaceFlags & (1 << 25)) bits |= cnstFontBold;
  if (FFaceFlags & (1 << 24)) bits |= cnstFontItalic;
  style->FontStyle = bits;
}

void TdxfStyle::Commit(TdxfLoader& r) {
  TdxfPenTableItem::Commit(r);
  auto* style = dynamic_cast<TvxDXFStyle*>(FEnt);
  if (!style) return;
  style->FixedHeight = FFloats[0];
  style->WidthFactor = FFloats[1];
  style->LastHeightUsed = FFloats[2];
  style->ObliqueAngle = FFloats[10];
  style->TextGenFlags = static_cast<uint8_t>(FInts[11] & (cnstTextBackward | cnstTextUpsideDown));
  style->PrimaryFont = DXFTrim(FTexts[3]);
  if (style->PrimaryFont.empty()) style->PrimaryFont = "simplex.shx";
  style->BigFont = DXFTrim(FTexts[4]);
}

void TdxfDimStyle::ReadProperty(TdxfLoader& r) {
  // Code 5 of a dimension style is an arrow name; its handle comes with 105.
  switch (r.Tok.Code()) {
    case 5: FTexts[5] = r.Tok.UValue(); return;
    case 105: FHandle = r.Tok.HandleValue(); return;
    default: TdxfPenTableItem::ReadProperty(r); return;
  }
}

void TdxfVport::ReadProperty(TdxfLoader& r) {
  TdxfReader& t = r.Tok;
  const int code = t.Code();
  if (code >= 110 && code <= 132 && code % 10 <= 2) {
    TFPoint& p = code % 10 == 0 ? FUCSOrigin : (code % 10 == 1 ? FUCSXDir : FUCSYDir);
    const double v = t.FloatValue();
    if (code < 120) p.X = v;
    else if (code < 130) p.Y = v;
    else p.Z = v;
    return;
  }
  TdxfPenTableItem::ReadProperty(r);
}

void TdxfVport::Commit(TdxfLoader& r) {
  TdxfPenTableItem::Commit(r);
  auto* vp = dynamic_cast<TvxDXFVport*>(FEnt);
  if (!vp) return;
  vp->CircleZoomPercent = FInts[12];
  vp->UCSOrigin = FUCSOrigin;
  vp->UCSXDir = FUCSXDir;
  vp->UCSYDir = FUCSYDir;
  vp->UCSVP = FInts[5] == 1;
  vp->ViewCenterPoint = FPoints[2];
  vp->ViewDirection = FPoints[6];
  vp->ViewTarget = FPoints[7];
  vp->ViewHeight = FFloats[0];
  vp->ViewTwistAngle = FFloats[11];
}

// ---- block records and blocks ---------------------------------------------------------------

void TdxfBlockRecord::ReadProperty(TdxfLoader& r) {
  if (r.Tok.Code() == 70) {
    FFlags = r.Tok.IntValue();
    return;
  }
  TdxfObject::ReadProperty(r);
}

void TdxfBlockRecord::Commit(TdxfLoader& r) {
  TdxfObject::Commit(r);
  auto* rec = dynamic_cast<TvxDXFBlockRecord*>(FEnt);
  if (!rec) return;
  std::string name = FTexts[2];
  if (name.empty()) {
    char hex[24];
    std::snprintf(hex, sizeof hex, "%llX", static_cast<unsigned long long>(FHandle));
    name = std::string("*U$") + hex;
  } else if (name.size() == 2 && name[0] == '*') {
    name += std::to_string(r.Conv->Counts(csBlocks));
  }
  rec->SetName(name);
  rec->SetFlags(FFlags);
}

void TdxfBlockRecord::AfterAdded(TdxfLoader& r) {
  TdxfObject::AfterAdded(r);
  auto* rec = dynamic_cast<TvxDXFBlockRecord*>(FEnt);
  if (!rec) return;
  Register(r, [rec](TdxfLoader& l) {
    l.RegisterBlockRecord(rec);
    l.RegisterSpaceBlock(rec->Block());
  });
}

void TdxfBlock::Match(TvxDXFBlock* block) {
  if (!block) return;
  ReplaceEnt(block, true);
  FMatched = true;
}

void TdxfBlock::ReadProperty(TdxfLoader& r) {
  TdxfReader& t = r.Tok;
  if (t.Code() == 330 && !FReactorsRead && !FMatched) {
    if (TvxDXFBlockRecord* rec = r.HBlockRecords(t.HandleValue())) Match(rec->Block());
  }
  TdxfEntity::ReadProperty(r);
  if (t.Code() == 2 && !FMatched) Match(r.BlockByName(FTexts[2]));
}

void TdxfBlock::Commit(TdxfLoader& r) {
  TdxfEntity::Commit(r);
  auto* block = dynamic_cast<TvxDXFBlock*>(FEnt);
  if (!block) return;
  block->SetXrefPath(DXFTrim(FTexts[1]));
  if (!FMatched || !FTexts[2].empty()) block->SetName(FTexts[2]);
  block->SetOffset(FPoints[0]);
  block->SetFlags(FInts[10]);
  std::string d = FTexts[4];
  for (size_t i = 0; (i = d.find('^', i)) != std::string::npos;) {
    if (i + 1 < d.size() && (d[i + 1] == 'M' || d[i + 1] == 'J')) d.replace(i, 2, d[i + 1] == 'M' ? "\r" : "\n");
    ++i;
  }
  block->SetDescription(d);
}

bool TdxfBlock::AddChild(TdxfLoader& r, TdxfObject* child) {
  return FEnt && IsDXFDrawableItem(child->FEnt) && FEnt->AddEntity(child->FEnt) >= 0;
}

void TdxfBlock::AfterAdded(TdxfLoader& r) {
  TdxfEntity::AfterAdded(r);
  if (auto* block = dynamic_cast<TvxDXFBlock*>(FEnt))
    Register(r, [block](TdxfLoader& l) { l.RegisterSpaceBlock(block); });
}

}  // namespace vx
