// Multi-line text: settings, style, the estimated box.
#include "database/text/vxMText.h"

#include "database/core/vxConverter.h"

#include <algorithm>
#include <cctype>
#include <cmath>

namespace vx {

namespace {

// Distance between the baselines of two lines, in text heights, at line-spacing factor 1.
constexpr double cnstMTextLinePitch = 5.0 / 3.0;

bool FinitePoint(const TFPoint& p) {
  return std::isfinite(p.X) && std::isfinite(p.Y) && std::isfinite(p.Z);
}

// Characters of a stack's text: its longer part.
size_t StackLength(std::string_view s) {
  const size_t cut = s.find_first_of("/^#");
  if (cut == std::string_view::npos) return TextCharCount(s);
  return std::max(TextCharCount(s.substr(0, cut)), TextCharCount(s.substr(cut + 1)));
}

}  // namespace

std::vector<size_t> MTextParagraphLengths(std::string_view text) {
  std::vector<size_t> lines(1, 0);
  size_t i = 0;
  auto skipArgument = [&]() {
    const size_t end = text.find(';', i);
    i = end == std::string_view::npos ? text.size() : end + 1;
  };
  while (i < text.size()) {
    const char c = text[i];
    if (c == '{' || c == '}') {
      ++i;
      continue;
    }
    if (c != '\\' || i + 1 >= text.size()) {
      if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++lines.back();
      ++i;
      continue;
    }
    const char code = text[i + 1];
    i += 2;
    switch (code) {
      case 'P':
      case 'X':
        lines.push_back(0);
        break;
      case 'U':
      case 'u':
        // "\U+XXXX": one character.
        ++lines.back();
        i = std::min(text.size(), i + 5);
        break;
      case 'M':
      case 'm':
        ++lines.back();
        i = std::min(text.size(), i + 6);
        break;
      case 'S': {
        const size_t end = text.find(';', i);
        const std::string_view stack = text.substr(i, end == std::string_view::npos ? text.npos : end - i);
        lines.back() += StackLength(stack);
        i = end == std::string_view::npos ? text.size() : end + 1;
        break;
      }
      case 'L': case 'l': case 'O': case 'o': case 'K': case 'k': case 'N':
        break;
      case '\\': case '{': case '}': case '~':
        ++lines.back();
        break;
      default:
        // Codes with an argument (\A \C \c \F \f \H \Q \T \W \p ...) end at ";".
        if (std::isalpha(static_cast<unsigned char>(code))) skipArgument();
        else lines.back() += 2;
        break;
    }
  }
  return lines;
}

TvxDXFMText::TvxDXFMText() : FBlock(new TvxDXFBlock()) { FBlock->SetOwner(this); }

void TvxDXFMText::FreeOwnedParts() {
  TvxDXFInsert::FreeOwnedParts();
  if (FBlock) {
    TvxDXFBlock* b = FBlock;
    FBlock = nullptr;
    b->Free();
  }
}

double TvxDXFMText::EffectiveRotation() const {
  if (IsUndefinedPoint(FPoint1) || !FinitePoint(FPoint1) || IsEqualFPoints(FPoint1, FExtrusion, 1e-9))
    return Angle();
  // The direction in the object coordinate system of the extrusion.
  const TFPoint d = TransformVector(FPoint1, TransposeMatrix3(ExtrusionMatrix(FExtrusion)));
  if (std::fabs(d.X) < 1e-12 && std::fabs(d.Y) < 1e-12) return Angle();
  return VectorAngle(d.X, d.Y);
}

TvxDXFStyle* TvxDXFMText::GetStyle() const {
  return dynamic_cast<TvxDXFStyle*>(FTextStyleItem.Item());
}

void TvxDXFMText::UpdateTextBox() {
  // An estimate: the text layout replaces it with the box of the laid-out pieces.
  FBox = BadBox;
  if (!FinitePoint(FPoint)) return;
  const std::vector<size_t> paragraphs = MTextParagraphLengths(FText);
  const bool empty = std::all_of(paragraphs.begin(), paragraphs.end(), [](size_t n) { return n == 0; });
  if (empty) return;
  const double h = std::isfinite(FHeight) ? std::fabs(FHeight) : 0;
  const double charWidth = 0.8 * h;
  const double rect = std::isfinite(FRectWidth) && FRectWidth > 0 ? FRectWidth : 0;
  double width = rect;
  double lines = 0;
  for (const size_t n : paragraphs) {
    const double natural = charWidth * static_cast<double>(n);
    // A paragraph wider than the reference width wraps onto further lines.
    lines += rect > 0 && natural > rect ? std::ceil(natural / rect) : 1;
    if (rect <= 0) width = std::max(width, natural);
  }
  const double f = std::isfinite(FLineSpacingFactor) && FLineSpacingFactor > 0 ? FLineSpacingFactor : 1;
  const double height = h + (lines - 1) * h * cnstMTextLinePitch * f;
  double x = 0, y = -height;  // lower-left corner relative to the insertion point
  switch (FAlign) {
    case cnstMTextTopCenter: case cnstMTextMiddleCenter: case cnstMTextBottomCenter: x = -width / 2; break;
    case cnstMTextTopRight: case cnstMTextMiddleRight: case cnstMTextBottomRight: x = -width; break;
    default: break;
  }
  switch (FAlign) {
    case cnstMTextMiddleLeft: case cnstMTextMiddleCenter: case cnstMTextMiddleRight: y = -height / 2; break;
    case cnstMTextBottomLeft: case cnstMTextBottomCenter: case cnstMTextBottomRight: y = 0; break;
    case cnstMTextBaseline: y = h - height; break;
    default: break;
  }
  TFMatrix m = ScaleMatrix(FScale);
  m = MultiplyMatrix(m, RotationMatrixZDeg(EffectiveRotation()));
  const TFMatrix ext = ExtrusionMatrix(FExtrusion);
  m = MultiplyMatrix(m, ext);
  // the insertion point is given in world coordinates
  m = MultiplyMatrix(m, TranslationMatrix(FPoint));
  for (const auto& [cx, cy] : {std::pair{x, y}, {x + width, y}, {x + width, y + height}, {x, y + height}})
    ExpandBox(FBox, TransformPoint(TFPoint{cx, cy, 0}, m));
}

void TvxDXFMText::LoadData(TvxDXFConverter* conv) {
  TvxDXFCustomVertex::LoadData(conv);
  if (conv && !FTextStyleItem.Item()) SetStyle(conv->StyleByName("STANDARD"));
  ClearPieces();
  if (FontProvider() && LayoutPieces(conv)) return;
  ClearPieces();
  UpdateTextBox();
}

void TvxDXFMText::ResolveLinks(TvxDXFConverter* conv) {
  if (auto* link = dynamic_cast<TvxLinkObject*>(FTextStyleItem.Item()); link && conv) {
    TvxDXFStyle* style = nullptr;
    if (TvxDXFTable* styles = conv->Styles()) {
      style = link->Data().LinkType == lodtName ? styles->FindItem<TvxDXFStyle>(link->Data().Name)
                                                : dynamic_cast<TvxDXFStyle*>(link->GetObject(styles));
    }
    SetStyle(style);  // nil: the load gives "STANDARD"
  }
  TvxDXFInsert::ResolveLinks(conv);
}

void TvxDXFMText::DoIterate(TvxDXFConverter* conv, const TvxEntityProc& finishProc,
                            const TvxEntityProc& proc) {
  // Laid-out pieces are walked like the parts of a reference; an estimate is one entity.
  if (FLaidOut && FBlock) TvxDXFInsert::DoIterate(conv, finishProc, proc);
  else TvxDXFCustomVertex::DoIterate(conv, finishProc, proc);
}

void TvxDXFMText::AssignEntity(const TvxDXFEntity* source) {
  TvxDXFInsert::AssignEntity(source);
  auto* src = dynamic_cast<const TvxDXFMText*>(source);
  if (!src) return;
  FAlign = src->FAlign;
  FHeight = src->FHeight;
  FHyphenation = src->FHyphenation;
  FLineSpacingFactor = src->FLineSpacingFactor;
  FLineSpacingStyle = src->FLineSpacingStyle;
  FPoint1 = src->FPoint1;
  FRectWidth = src->FRectWidth;
  if (!dynamic_cast<TvxLinkObject*>(src->FTextStyleItem.Item()))
    FTextStyleItem.SetItem(src->FTextStyleItem.Item());
  FText = src->FText;
  FBox = src->FBox;
}

void TvxDXFMText::UnlinkReferences() {
  FTextStyleItem.SetItem(nullptr);
  TvxDXFInsert::UnlinkReferences();
}

}  // namespace vx
