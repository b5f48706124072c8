// Single-line text: substitutions, style and font choice, the estimated box.
#include "database/text/vxText.h"

#include "database/core/vxConverter.h"
#include "database/core/vxNames.h"

#include <cctype>
#include <cmath>

namespace vx {

namespace {

bool IsHex(char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; }

// Replaces every occurrence of name (exact case) by value.
void ReplaceAll(std::string& s, const std::string& name, const std::string& value) {
  if (name.empty()) return;
  for (size_t i = 0; (i = s.find(name, i)) != std::string::npos; i += value.size())
    s.replace(i, name.size(), value);
}

// The extension of a font file name, lower-cased, without the dot; empty when there is none.
std::string FontExtension(const std::string& name) {
  const size_t dot = name.rfind('.');
  if (dot == std::string::npos || name.find_first_of("/\\", dot) != std::string::npos) return {};
  std::string ext = name.substr(dot + 1);
  for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return ext;
}

std::string WithoutExtension(const std::string& name) {
  const size_t dot = name.rfind('.');
  return dot == std::string::npos ? name : name.substr(0, dot);
}

double Finite(double v, double fallback) { return std::isfinite(v) ? v : fallback; }

bool FinitePoint(const TFPoint& p) {
  return std::isfinite(p.X) && std::isfinite(p.Y) && std::isfinite(p.Z);
}

}  // namespace

std::string SubstituteTextCodes(std::string_view text, bool numericCodes) {
  std::string s(text);
  for (const auto& [name, value] : TextSubstitutions) ReplaceAll(s, name, value);
  if (s.find("%%") == std::string::npos) return s;
  std::string out;
  out.reserve(s.size() + 8);
  for (size_t i = 0; i < s.size();) {
    if (s[i] != '%' || i + 2 >= s.size() || s[i + 1] != '%') {
      out += s[i++];
      continue;
    }
    const char c = static_cast<char>(std::tolower(static_cast<unsigned char>(s[i + 2])));
    if (c == 'd') {
      out += "\u00B0";
    } else if (c == 'p') {
      out += "\u00B1";
    } else if (c == 'c') {
      out += "\\U+2205";
    } else if (numericCodes && i + 4 < s.size() && std::isdigit(static_cast<unsigned char>(s[i + 2])) &&
               std::isdigit(static_cast<unsigned char>(s[i + 3])) &&
               std::isdigit(static_cast<unsigned char>(s[i + 4]))) {
      // The character of that code; codes the table does not know stay as written.
      const int code = (s[i + 2] - '0') * 100 + (s[i + 3] - '0') * 10 + (s[i + 4] - '0');
      const char* ch = nullptr;
      switch (code) {
        case 127: ch = "?"; break;
        case 128: ch = "\u0080"; break;
        case 176: ch = "\u00B0"; break;
        case 179: ch = "\u00B3"; break;
        case 220: ch = "\u00DC"; break;
        default: break;
      }
      if (!ch) {
        out += s[i++];
        continue;
      }
      out += ch;
      i += 5;
      continue;
    } else {
      out += s[i++];
      continue;
    }
    i += 3;
  }
  return out;
}

double ReduceObliqueAngle(double degrees) {
  if (!std::isfinite(degrees)) return 0;
  double a = degrees - 180.0 * std::floor(degrees / 180.0);
  if (a >= 180.0 || a < 0) a = 0;  // rounding at the edges of huge values
  return a == 90.0 ? 0.0 : a;
}

size_t TextCharCount(std::string_view text) {
  size_t n = 0;
  for (size_t i = 0; i < text.size();) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (c == '\\' && i + 6 < text.size() && (text[i + 1] == 'U' || text[i + 1] == 'u') &&
        text[i + 2] == '+' && IsHex(text[i + 3]) && IsHex(text[i + 4]) && IsHex(text[i + 5]) &&
        IsHex(text[i + 6])) {
      ++n;
      i += 7;
      continue;
    }
    if (c == '\\' && i + 7 < text.size() && (text[i + 1] == 'M' || text[i + 1] == 'm') &&
        text[i + 2] == '+') {
      ++n;
      i += 8;
      continue;
    }
    if (c == '%' && i + 2 < text.size() && text[i + 1] == '%') {
      const char k = static_cast<char>(std::tolower(static_cast<unsigned char>(text[i + 2])));
      if (k == 'u' || k == 'o' || k == 'k') {
        i += 3;
        continue;
      }
    }
    if ((c & 0xC0) != 0x80) ++n;
    ++i;
  }
  return n;
}

// ---- TvxDXFText -----------------------------------------------------------------------------

void TvxDXFText::SetText(const std::string& t) {
  // Numeric codes ("%%176") are always read: the platform's own text output, which would draw
  // them, is never used here.
  FText = SubstituteTextCodes(t, true);
}

bool TvxDXFText::UsesPoint1() const {
  if (IsUndefinedPoint(FPoint1)) return false;
  return FUsesPoint1 || FHAlign != cnstHAlignLeft || FVAlign != cnstVAlignBaseline;
}

bool TvxDXFText::Backward() const {
  if (FPropertiesItem.TextGenFlags & cnstTextBackward) return true;
  const TvxDXFStyle* s = GetStyle();
  return s && s->Backward();
}

bool TvxDXFText::UpsideDown() const {
  if (FPropertiesItem.TextGenFlags & cnstTextUpsideDown) return true;
  const TvxDXFStyle* s = GetStyle();
  return s && s->UpsideDown();
}

void TvxDXFText::SetExtrusion(const TFPoint& e) {
  const bool usable = std::isfinite(e.X) && std::isfinite(e.Y) && std::isfinite(e.Z) &&
                      (e.X != 0 || e.Y != 0 || e.Z != 0);
  FExtrusion = usable ? e : cnstExtrusion;
}

TvxDXFStyle* TvxDXFText::GetStyle() const { return dynamic_cast<TvxDXFStyle*>(FTextStyleItem.Item()); }

void TvxDXFText::SetStyle(TvxDXFStyle* style) {
  FTextStyleItem.SetItem(style);
  TakeFontFromStyle();
}

void TvxDXFText::SetInsideMText(bool v) {
  FInternalFlags = v ? (FInternalFlags | itfInsideMText) : (FInternalFlags & ~itfInsideMText);
}

void StyleFont(const TvxDXFStyle* style, std::string& name, bool& winFont, uint8_t& fontStyle) {
  winFont = false;
  name.clear();
  if (!style) return;
  name = style->FontName;
  // A big font only exists for SHX fonts: such a style draws with its primary font.
  if (!style->BigFont.empty()) name.clear();
  if (!name.empty()) {
    fontStyle = style->FontStyle;
    const std::string ext = FontExtension(name);
    if (ext == "ttf" || ext == "ttc" || ext == "otf") name = WithoutExtension(name);
    winFont = true;
  } else {
    name = style->PrimaryFont;
    const std::string ext = FontExtension(name);
    if (!ext.empty()) {
      winFont = ext != "shx";
      name = WithoutExtension(name);
    }
  }
  if (!style->BigFont.empty()) winFont = false;
}

void TvxDXFText::TakeFontFromStyle() {
  const TvxDXFStyle* style = GetStyle();
  // A piece of multi-line text keeps the font its codes chose.
  if (!style || (FInternalFlags & itfSetFontName)) return;
  bool win = false;
  StyleFont(style, FPropertiesItem.FontName, win, FPropertiesItem.FontStyle);
  FInternalFlags = win ? (FInternalFlags | itfWinFont) : (FInternalFlags & ~itfWinFont);
}

void TvxDXFText::SetOwnFont(const std::string& name, bool winFont, uint8_t fontStyle) {
  FPropertiesItem.FontName = name;
  FPropertiesItem.FontStyle = fontStyle;
  FInternalFlags = static_cast<uint8_t>((FInternalFlags | itfSetFontName) & ~itfWinFont);
  if (winFont) FInternalFlags |= itfWinFont;
}

double TvxDXFText::EstimatedWidth() const {
  const double h = Finite(FHeight, 0);
  const double wf = Finite(Scale(), 1) > 0 ? Finite(Scale(), 1) : 1;
  return 0.8 * std::fabs(h) * wf * static_cast<double>(TextCharCount(FText));
}

std::string TvxDXFText::DrawingFolder() const {
  const TvxDXFConverter* conv = GetConverter();
  if (!conv) return {};
  const std::string& f = conv->FileName();
  const size_t slash = f.find_last_of("/\\");
  return slash == std::string::npos ? std::string() : f.substr(0, slash);
}

bool TvxDXFText::LayoutGlyphs(TvxTextLayout& out) {
  const bool bold = (FPropertiesItem.FontStyle & cnstFontBold) != 0;
  const bool italic = (FPropertiesItem.FontStyle & cnstFontItalic) != 0;
  TvxFontFace* face = FindTextFace(FPropertiesItem.FontName, WinFont(), bold, italic, DrawingFolder());
  if (!face) return false;
  std::vector<TvxTextChar> chars = DecodeTextChars(FText);
  if (FDecoration)
    for (TvxTextChar& c : chars) {
      c.Under = c.Under || (FDecoration & cnstDecorUnder);
      c.Over = c.Over || (FDecoration & cnstDecorOver);
      c.Strike = c.Strike || (FDecoration & cnstDecorStrike);
    }
  LayoutTextGlyphs(face, chars, out);
  return true;
}

void TvxDXFText::UpdateTextBox() {
  FLayout.Clear();
  FMatrix = TFMatrix{};
  if (!FontProvider() || !HasContent() || !FinitePoint(FPoint) || !LayoutGlyphs(FLayout)) {
    FLayout.Clear();
    EstimateTextBox();
    return;
  }
  TvxTextPlacementInput in;
  in.Point = FPoint;
  in.HasPoint1 = !IsUndefinedPoint(FPoint1) && FinitePoint(FPoint1);
  in.Point1 = in.HasPoint1 ? FPoint1 : FPoint;
  in.Height = std::fabs(Finite(FHeight, 0));
  in.WidthFactor = Finite(Scale(), 1);
  in.Rotation = Finite(FRotation, 0);
  in.Oblique = ObliqueAngle();
  in.HAlign = FHAlign;
  in.VAlign = FVAlign;
  in.Backward = Backward();
  in.UpsideDown = UpsideDown();
  in.Extrusion = FExtrusion;
  const TvxTextPlacement place = PlaceText(in, FLayout);
  FMatrix = place.Matrix;
  FStartPoint = place.Start;
  // A text of no height or no width draws nothing.
  FBox = in.Height > 0 && place.WidthFactor != 0 ? LayoutBox(FLayout, FMatrix) : BadBox;
  if (IsBadBox(FBox)) FLayout.Glyphs.clear(), FLayout.Lines.clear();
}

void TvxDXFText::EstimateTextBox() {
  FBox = BadBox;
  const TFPoint point = FPoint;
  FStartPoint = point;
  if (!HasContent() || !FinitePoint(point)) return;
  double h = std::fabs(Finite(FHeight, 0));
  double w = EstimatedWidth();
  double rot = Finite(FRotation, 0);
  TFPoint base = point;
  double xoff = 0, yoff = 0;
  const bool p1 = !IsUndefinedPoint(FPoint1) && FinitePoint(FPoint1);
  if ((FHAlign == cnstHAlignAligned || FHAlign == cnstHAlignFit) && p1) {
    // The text runs from Point to Point1; aligned text keeps its proportions.
    const double len = DistanceFPoint2D(point, FPoint1);
    if (len > 0) {
      if (FHAlign == cnstHAlignAligned && w > 0) h *= len / w;
      w = len;
      rot = VectorAngle(point, FPoint1);
    }
  } else if ((FHAlign != cnstHAlignLeft || FVAlign != cnstVAlignBaseline) && p1) {
    base = FPoint1;
    if (FHAlign == cnstHAlignCenter || FHAlign == cnstHAlignMiddle) xoff = -w / 2;
    else if (FHAlign == cnstHAlignRight) xoff = -w;
  }
  if (FHAlign == cnstHAlignMiddle) yoff = -h / 2;
  else if (FVAlign == cnstVAlignBottom) yoff = h / 3;
  else if (FVAlign == cnstVAlignMiddle) yoff = -h / 2;
  else if (FVAlign == cnstVAlignTop) yoff = -h;
  const double sx = Backward() ? -1 : 1, sy = UpsideDown() ? -1 : 1;
  const TFMatrix rotm = RotationMatrixZDeg(rot);
  const bool ocs = !IsEqualFPoints(FExtrusion, cnstExtrusion, 1e-9);
  const TFMatrix ext = ExtrusionMatrix(FExtrusion);
  auto place = [&](double x, double y) {
    TFPoint q = AddFPoint(base, TransformVector(TFPoint{x * sx, y * sy, 0}, rotm));
    return ocs ? TransformPoint(q, ext) : q;
  };
  FStartPoint = place(xoff, yoff);
  for (const auto& [x, y] : {std::pair{0.0, 0.0}, {w, 0.0}, {w, h}, {0.0, h}})
    ExpandBox(FBox, place(xoff + x, yoff + y));
}

void TvxDXFText::LoadData(TvxDXFConverter* conv) {
  TvxDXFCustomVertex::LoadData(conv);
  TakeFontFromStyle();
  // An alignment that needs the second point is not usable without one.
  if ((FHAlign != cnstHAlignLeft || FVAlign != cnstVAlignBaseline) &&
      (IsUndefinedPoint(FPoint1) || !FinitePoint(FPoint1))) {
    FHAlign = cnstHAlignLeft;
    FVAlign = cnstVAlignBaseline;
  }
  UpdateTextBox();
}

void TvxDXFText::ResolveLinks(TvxDXFConverter* conv) {
  if (auto* link = dynamic_cast<TvxLinkObject*>(FTextStyleItem.Item()); link && conv) {
    TvxDXFStyle* style = nullptr;
    if (TvxDXFTable* styles = conv->Styles()) {
      style = link->Data().LinkType == lodtName ? styles->FindItem<TvxDXFStyle>(link->Data().Name)
                                                : dynamic_cast<TvxDXFStyle*>(link->GetObject(styles));
    }
    SetStyle(style);  // frees the placeholder; a style never defined leaves none
  }
  TvxDXFCustomVertex::ResolveLinks(conv);
}

void TvxDXFText::AssignEntity(const TvxDXFEntity* source) {
  TvxDXFCustomVertex::AssignEntity(source);
  auto* src = dynamic_cast<const TvxDXFText*>(source);
  if (!src) return;
  FBox = src->FBox;
  FHAlign = src->FHAlign;
  FPoint1 = src->FPoint1;
  FUsesPoint1 = src->FUsesPoint1;
  FRotation = src->FRotation;
  FExtrusion = src->FExtrusion;
  FStartPoint = src->FStartPoint;
  if (!dynamic_cast<TvxLinkObject*>(src->FTextStyleItem.Item()))
    FTextStyleItem.SetItem(src->FTextStyleItem.Item());
  FText = src->FText;
  FHeight = src->FHeight;
  FLineWeight = src->FLineWeight;
  FZThick = src->FZThick;
  FVAlign = src->FVAlign;
  FPropertiesItem = src->FPropertiesItem;
  FInternalFlags = src->FInternalFlags;
  FLayout = src->FLayout;
  FDecoration = src->FDecoration;
  FMatrix = src->FMatrix;
}

void TvxDXFText::UnlinkReferences() {
  FTextStyleItem.SetItem(nullptr);
  TvxDXFCustomVertex::UnlinkReferences();
}

}  // namespace vx
