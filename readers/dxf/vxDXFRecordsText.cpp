// Text, shape and multi-line text records.
#include "readers/dxf/vxDXFRecordsText.h"

#include "database/core/vxNames.h"
#include "readers/dxf/vxCodePage.h"

#include <cmath>

namespace vx {

namespace {

bool FinitePoint(const TFPoint& p) {
  return std::isfinite(p.X) && std::isfinite(p.Y) && std::isfinite(p.Z);
}

double FiniteOr(double v, double fallback) { return std::isfinite(v) ? v : fallback; }

// A byte-sized code value (alignments, attachment); anything outside 0..255 is 0.
uint8_t ByteCode(int v) { return v >= 0 && v <= 255 ? static_cast<uint8_t>(v) : 0; }

// Every "^ " becomes "^": a caret written before a blank stands for the caret itself.
std::string CaretBlanks(std::string s) {
  for (size_t i = 0; (i = s.find("^ ", i)) != std::string::npos; ++i) s.erase(i + 1, 1);
  return s;
}

// Binary files store line ends and tabs as they are; text files write a control character as
// "^" and the character 64 above it ("^J"), which is how the text layout reads them. Binary
// strings are brought to that form so that both kinds of file give the same text.
std::string CaretControls(const TdxfLoader& r, std::string s) {
  if (!r.Tok.IsBinary()) return s;
  for (size_t i = 0; i < s.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    if (c >= 0x20 || c == 0) continue;
    s[i] = static_cast<char>(c + 64);
    s.insert(i, 1, '^');
    ++i;
  }
  return s;
}

// Raw bytes of the file decoded as the reader decodes strings.
std::string DecodeRaw(const TdxfLoader& r, const std::string& raw) {
  return CaretControls(r, r.Tok.UnicodeText() ? ValidUTF8(raw) : CodePageToUTF8(raw, r.Tok.CodePage()));
}

}  // namespace

TvxDXFEntity* DXFTextStyle(TdxfLoader& r, const std::string& name) {
  const std::string key = name.empty() ? std::string("STANDARD") : name;
  TvxDXFTable* t = r.Conv->Styles();
  if (t && t->Count() > 0)
    if (auto* style = t->FindItem<TvxDXFStyle>(key)) return style;
  return TvxLinkObject::ByName(key);
}

// ---- TdxfText -------------------------------------------------------------------------------

TdxfText::TdxfText() {
  FPoints[1] = cnstUndefinedPoint;  // 11: alignment point
  FFloats[1] = 1.0;                 // 41: width factor
}

void TdxfText::ReadProperty(TdxfLoader& r) {
  TdxfReader& t = r.Tok;
  // Newer attributes carry a copy of themselves as multi-line text after "101 Embedded Object";
  // its codes would overwrite the attribute's own point, height and text.
  if (t.Code() == 101) FEmbedded = true;
  if (FEmbedded && t.Code() < 1000) return;
  switch (t.Code()) {
    case 1: FTexts[1] = CaretBlanks(CaretControls(r, t.StrValue())); return;
    default: TdxfEntity::ReadProperty(r); return;
  }
}

void TdxfText::CommitText(TdxfLoader& r, TvxDXFText* t) {
  TvxDXFEntity* style = DXFTextStyle(r, DXFTrim(FTexts[7]));
  if (auto* link = dynamic_cast<TvxLinkObject*>(style)) t->SetStyleLink(link);
  else t->SetStyle(static_cast<TvxDXFStyle*>(style));
  t->SetText(FTexts[1]);
  t->SetPoint(FinitePoint(FPoints[0]) ? FPoints[0] : cnstFPointZero);
  t->SetPoint1(FinitePoint(FPoints[1]) ? FPoints[1] : cnstUndefinedPoint);
  t->SetExtrusion(FExtrusion);
  t->SetHeight(FiniteOr(FFloats[0], 0));
  t->SetScale(FiniteOr(FFloats[1], 1));
  t->SetRotation(FiniteOr(FFloats[10], 0));
  t->SetObliqueAngle(FFloats[11]);
  t->SetGeneration(ByteCode(FInts[11]));
  t->SetHAlign(ByteCode(FInts[12]));
  t->SetVAlign(ByteCode(FInts[13]));
  t->SetZThick(FiniteOr(FZThick, 0));
}

void TdxfText::Commit(TdxfLoader& r) {
  TdxfEntity::Commit(r);
  if (auto* t = dynamic_cast<TvxDXFText*>(FEnt)) CommitText(r, t);
}

// ---- TdxfShape ------------------------------------------------------------------------------

TdxfShape::TdxfShape() {
  FPoints[1] = cnstUndefinedPoint;  // 11
  FFloats[1] = 1.0;                 // 41: width factor
}

void TdxfShape::Commit(TdxfLoader& r) {
  TdxfEntity::Commit(r);
  auto* s = dynamic_cast<TvxDXFShape*>(FEnt);
  if (!s) return;
  s->SetShapeName(DXFTrim(FTexts[2]));
  s->SetPoint(FinitePoint(FPoints[0]) ? FPoints[0] : cnstFPointZero);
  s->SetExtrusion(FExtrusion);
  s->SetSize(FiniteOr(FFloats[0], 0));
  s->SetScale(FiniteOr(FFloats[1], 1));
  s->SetRotation(FiniteOr(FFloats[10], 0));
  s->SetObliqueAngle(FFloats[11]);
  s->SetZThick(FiniteOr(FZThick, 0));
}

// ---- TdxfMText ------------------------------------------------------------------------------

TdxfMText::TdxfMText() {
  FPoints[1] = cnstUndefinedPoint;  // 11: direction
  FFloats[4] = 1.0;                 // 44: line-spacing factor
  FInts[13] = 1;                    // 73: line-spacing style
}

void TdxfMText::ReadProperty(TdxfLoader& r) {
  TdxfReader& t = r.Tok;
  // Newer files follow the MText's own codes with "101 Embedded Object" and a second set of
  // codes (column data: 10 a direction, 11 the insertion point, 40 the width...) that would
  // overwrite the MText's point, height and width.
  if (t.Code() == 101) FEmbedded = true;
  if (FEmbedded && t.Code() < 1000) return;
  switch (t.Code()) {
    case 1: FRawText = t.Value(); return;
    case 3: FRawPieces += t.Value(); return;
    default: TdxfEntity::ReadProperty(r); return;
  }
}

void TdxfMText::Commit(TdxfLoader& r) {
  TdxfEntity::Commit(r);
  auto* m = dynamic_cast<TvxDXFMText*>(FEnt);
  if (!m) return;
  m->SetAngle(static_cast<float>(FiniteOr(FFloats[10], 0)));
  m->SetText(DecodeRaw(r, FRawPieces + FRawText));
  TvxDXFEntity* style = DXFTextStyle(r, DXFTrim(FTexts[7]));
  if (auto* link = dynamic_cast<TvxLinkObject*>(style)) m->SetStyleLink(link);
  else m->SetStyle(static_cast<TvxDXFStyle*>(style));
  m->SetPoint(FinitePoint(FPoints[0]) ? FPoints[0] : cnstFPointZero);
  m->SetPoint1(FinitePoint(FPoints[1]) ? FPoints[1] : cnstUndefinedPoint);
  m->SetExtrusion(FExtrusion);
  m->SetHeight(FiniteOr(FFloats[0], 0));
  m->SetRectWidth(FiniteOr(FFloats[1], 0));
  m->SetAlign(ByteCode(FInts[11]));
  m->SetLineSpacingFactor(FiniteOr(FFloats[4], 1));
  m->SetLineSpacingStyle(ByteCode(FInts[13]));
  // The cells of a table entity are MTexts in the table's anonymous block ("*T..."); they wrap
  // inside words.
  const TvxDXFEntity* owner = FOwner ? FOwner->FEnt : nullptr;
  if (auto* block = dynamic_cast<const TvxDXFBlock*>(owner)) {
    const std::string name = UpperName(block->GetName());
    if (name.size() > 2 && name.compare(0, 2, "*T") == 0) m->SetHyphenation(true);
  }
}

}  // namespace vx
