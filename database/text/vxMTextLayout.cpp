// Multi-line text layout: the parsed tokens measured with the provider's faces, wrapped into
// lines, spaced, aligned, and made into single-line pieces inside the MText's own block.
//
// Lines: the first baseline lies one line height below the top (0); each further baseline lies
// 5/3 x its line's height x the line-spacing factor lower (line-spacing style 2, "exactly",
// uses the MText's height for every line). Wrapping (reference width > 0) breaks before a word
// that would cross the width, never before the first word of a line, so every line takes at
// least one word and the layout always advances; with hyphenation on (table cells) a word wider
// than the line is cut between characters instead. Stacks are two pieces at 0.7 of the height,
// the upper part of a fraction underlined as its bar; a "#" stack is written inline as
// "upper/lower".
#include "database/text/vxMText.h"

#include "database/core/vxConverter.h"
#include "database/text/vxMTextParser.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <tuple>

namespace vx {

namespace {

constexpr double cnstLinePitch = 5.0 / 3.0;
constexpr double cnstStackScale = 0.7;
// More pieces than this are not laid out (a malformed string of millions of codes).
constexpr size_t cnstMaxPieces = 200000;

struct TvxFaceMetric {
  TvxFontFace* Face = nullptr;
  double Cap = 1;  // font units of the text height
};

// One run of a line: a token's text (or a stack part) at x.
struct TvxLineItem {
  const TvxMTextToken* Token = nullptr;
  std::string Text;
  double X = 0, Width = 0, Height = 0, DY = 0;
  bool StackPart = false, Bar = false;
};

struct TvxLine {
  std::vector<TvxLineItem> Items;
  double Height = 0;
};

class TvxMTextLayouter {
 public:
  TvxMTextLayouter(TvxDXFMText& m, const TvxDXFStyle* style, std::string folder)
      : M(m), Style(style), Folder(std::move(folder)) {
    StyleFont(style, StyleFontName, StyleWin, StyleFontStyle);
    StyleWidth = style && std::isfinite(style->WidthFactor) && style->WidthFactor > 0 ? style->WidthFactor : 1;
    StyleOblique = style ? style->ObliqueAngle : 0;
    Width = std::isfinite(m.RectWidth()) && m.RectWidth() > 0 ? m.RectWidth() : 0;
  }

  std::string FontOf(const TvxMTextFormat& f, bool& win, uint8_t& fontStyle) const {
    if (f.FontName.empty()) {
      win = StyleWin;
      fontStyle = StyleFontStyle;
      if (f.Bold) fontStyle |= cnstFontBold;
      if (f.Italic) fontStyle |= cnstFontItalic;
      return StyleFontName;
    }
    win = f.WinFont;
    fontStyle = static_cast<uint8_t>((f.Bold ? cnstFontBold : 0) | (f.Italic ? cnstFontItalic : 0));
    return f.FontName;
  }

  const TvxFaceMetric& Metric(const TvxMTextFormat& f) {
    bool win = false;
    uint8_t fs = 0;
    const std::string name = FontOf(f, win, fs);
    auto key = std::make_tuple(name, win, fs);
    auto it = Faces.find(key);
    if (it != Faces.end()) return it->second;
    TvxFaceMetric m;
    m.Face = FindTextFace(name, win, (fs & cnstFontBold) != 0, (fs & cnstFontItalic) != 0, Folder);
    if (m.Face) {
      m.Cap = m.Face->Kind() == fkTrueType ? cnstTrueTypeEmHeight / m.Face->Koef() : m.Face->Above();
      if (!(m.Cap > 0) || !std::isfinite(m.Cap)) m.Cap = 1;
    }
    return Faces.emplace(key, m).first->second;
  }

  double WidthFactor(const TvxMTextFormat& f) const { return f.WidthFactor > 0 ? f.WidthFactor : StyleWidth; }

  // The advance of text in format f at height h, in drawing units.
  double Measure(const TvxMTextFormat& f, double h, std::string_view text) {
    const TvxFaceMetric& m = Metric(f);
    if (!m.Face || text.empty()) return 0;
    double adv = 0;
    for (const TvxTextChar& c : DecodeTextChars(text)) {
      const TvxGlyph* g = m.Face->Glyph(c.Ch);
      if (!g && c.Ch != U'?') g = m.Face->Glyph(U'?');
      if (g && std::isfinite(g->AdvanceX)) adv += g->AdvanceX;
    }
    return adv * h / m.Cap * WidthFactor(f);
  }

  bool Run(const std::vector<TvxMTextToken>& tokens) {
    if (tokens.empty()) return true;
    if (!Metric(tokens.front().Format).Face) return false;
    Lines.emplace_back();
    ParagraphStart(tokens.front().Format.Paragraph, true);
    for (const TvxMTextToken& t : tokens) {
      if (Pieces > cnstMaxPieces) break;
      switch (t.Kind) {
        case mtLineBreak:
          NewLine();
          ParagraphStart(t.Format.Paragraph, true);
          break;
        case mtTab:
          X = MTextTabPosition(X, 1, t.Format.Paragraph, 4 * std::fabs(M.Height()));
          LineHasText = true;
          break;
        case mtText: PlaceText(t); break;
        case mtStack: PlaceStack(t); break;
      }
      LastHeight = t.Format.Height;
    }
    return true;
  }

  void ParagraphStart(const TvxMTextParagraph& p, bool firstLine) {
    double x = p.LeftIndent + (firstLine ? p.Indent : 0);
    if (!std::isfinite(x) || (firstLine && x < 0)) x = 0;
    X = std::max(0.0, x);
    LineHasText = false;
    Paragraph = p;
  }

  void NewLine() {
    Lines.emplace_back();
    LineHasText = false;
  }

  void Append(const TvxMTextToken& t, std::string_view text, double width) {
    TvxLine& line = Lines.back();
    if (!line.Items.empty() && line.Items.back().Token == &t && !line.Items.back().StackPart) {
      line.Items.back().Text += text;
      line.Items.back().Width += width;
    } else {
      TvxLineItem item;
      item.Token = &t;
      item.Text = std::string(text);
      item.X = X;
      item.Width = width;
      item.Height = t.Format.Height;
      line.Items.push_back(std::move(item));
      ++Pieces;
    }
    X += width;
    LineHasText = true;
  }

  void Wrap(const TvxMTextParagraph& p) {
    NewLine();
    ParagraphStart(p, false);
  }

  void PlaceText(const TvxMTextToken& t) {
    const TvxMTextFormat& f = t.Format;
    const std::string& s = t.Text;
    size_t i = 0;
    while (i < s.size()) {
      // a word and the blanks after it
      size_t wordEnd = s.find(' ', i);
      if (wordEnd == std::string::npos) wordEnd = s.size();
      size_t end = wordEnd;
      while (end < s.size() && s[end] == ' ') ++end;
      std::string_view word(s.data() + i, wordEnd - i);
      std::string_view all(s.data() + i, end - i);
      double wWord = Measure(f, f.Height, word);
      if (Width > 0 && LineHasText && X + wWord > Width + 1e-9) {
        Wrap(f.Paragraph);
        if (word.empty()) {  // blanks at a break are dropped
          i = end;
          continue;
        }
      }
      if (Width > 0 && M.Hyphenation() && !word.empty() && X + wWord > Width + 1e-9) {
        // cut the word between characters: as many as fit, at least one
        size_t cut = 0, next = 0;
        while (next < word.size()) {
          size_t n = next + 1;
          while (n < word.size() && (static_cast<unsigned char>(word[n]) & 0xC0) == 0x80) ++n;
          if (cut > 0 && X + Measure(f, f.Height, word.substr(0, n)) > Width + 1e-9) break;
          cut = next = n;
        }
        if (cut < word.size()) {
          std::string_view head = word.substr(0, cut);
          Append(t, head, Measure(f, f.Height, head));
          Wrap(f.Paragraph);
          i += cut;
          continue;
        }
      }
      Append(t, all, word.size() == all.size() ? wWord : Measure(f, f.Height, all));
      i = end;
    }
  }

  void PlaceStack(const TvxMTextToken& t) {
    const TvxMTextFormat& f = t.Format;
    if (t.StackKind == '#') {
      const std::string inline_ = t.Text + "/" + t.Lower;
      if (Width > 0 && LineHasText && X + Measure(f, f.Height, inline_) > Width + 1e-9) Wrap(f.Paragraph);
      Append(t, inline_, Measure(f, f.Height, inline_));
      // kept apart from the following text of the token
      Lines.back().Items.back().StackPart = true;
      return;
    }
    const double h = f.Height * cnstStackScale;
    const double wu = Measure(f, h, t.Text), wl = Measure(f, h, t.Lower);
    const double w = std::max(wu, wl);
    if (Width > 0 && LineHasText && X + w > Width + 1e-9) Wrap(f.Paragraph);
    TvxLine& line = Lines.back();
    auto part = [&](const std::string& text, double width, double dy, bool bar) {
      if (text.empty()) return;
      TvxLineItem item;
      item.Token = &t;
      item.Text = text;
      item.X = X;
      item.Width = width;
      item.Height = h;
      item.DY = dy;
      item.StackPart = true;
      item.Bar = bar;
      line.Items.push_back(std::move(item));
      ++Pieces;
    };
    const bool fraction = t.StackKind == '/';
    part(t.Text, wu, (fraction ? 0.55 : 0.5) * f.Height, fraction && !t.Lower.empty());
    part(t.Lower, wl, -0.35 * f.Height, false);
    X += w;
    LineHasText = true;
  }

  // Vertical and horizontal placement, then the pieces into the block.
  void Emit(TvxDXFConverter* conv) {
    const double f = std::isfinite(M.LineSpacingFactor()) && M.LineSpacingFactor() > 0 ? M.LineSpacingFactor() : 1;
    const bool exact = M.LineSpacingStyle() == 2;
    const double mh = std::fabs(M.Height());
    // line widths (trailing blanks left out) for the alignment within the widest line
    std::vector<double> widths(Lines.size(), 0);
    double widest = 0;
    for (size_t k = 0; k < Lines.size(); ++k) {
      TvxLine& line = Lines[k];
      for (TvxLineItem& it : line.Items) {
        line.Height = std::max(line.Height, it.StackPart ? it.Height / cnstStackScale : it.Height);
        std::string_view trimmed(it.Text);
        while (!trimmed.empty() && trimmed.back() == ' ') trimmed.remove_suffix(1);
        const double w = trimmed.size() == it.Text.size()
                             ? it.Width
                             : Measure(it.Token->Format, it.Height, trimmed);
        widths[k] = std::max(widths[k], it.X + w);
      }
      if (line.Height <= 0) line.Height = k > 0 ? Lines[k - 1].Height : (LastHeight > 0 ? LastHeight : mh);
      widest = std::max(widest, widths[k]);
    }
    const uint8_t a = M.Align();
    const bool centre = a == cnstMTextTopCenter || a == cnstMTextMiddleCenter || a == cnstMTextBottomCenter;
    const bool right = a == cnstMTextTopRight || a == cnstMTextMiddleRight || a == cnstMTextBottomRight;
    const double frame = std::max(widest, Width);
    double baseline = 0;
    TvxDXFBlock* block = M.GetBlock();
    for (size_t k = 0; k < Lines.size(); ++k) {
      const TvxLine& line = Lines[k];
      const double pitch = exact ? mh : line.Height;
      baseline = k == 0 ? -line.Height : baseline - f * cnstLinePitch * pitch;
      const double shift = centre ? (frame - widths[k]) / 2 : right ? frame - widths[k] : 0;
      for (const TvxLineItem& it : line.Items) {
        if (it.Text.empty()) continue;
        double dy = it.DY;
        if (!it.StackPart) {
          const uint8_t la = it.Token->Format.LineAlign;
          if (la == 1) dy += (line.Height - it.Height) / 2;
          else if (la == 2) dy += line.Height - it.Height;
        }
        block->AddEntity(MakePiece(it, {it.X + shift, baseline + dy, 0}));
      }
    }
    for (int i = 0; i < block->Count(); ++i) {
      TvxDXFEntity* e = block->GetEntity(i);
      if (conv) conv->Loads(e);
      else e->LoadData(nullptr);
    }
  }

  TvxDXFText* MakePiece(const TvxLineItem& it, const TFPoint& at) {
    const TvxMTextFormat& f = it.Token->Format;
    auto* t = new TvxDXFText();
    t->SetInsideMText(true);
    if (Style) t->SetStyle(const_cast<TvxDXFStyle*>(Style));
    bool win = false;
    uint8_t fs = 0;
    const std::string name = FontOf(f, win, fs);
    t->SetOwnFont(name, win, fs);
    t->SetRawText(it.Text);
    t->SetHeight(it.Height);
    t->SetScale(WidthFactor(f));
    t->SetObliqueAngle(f.ObliqueSet ? f.Oblique : StyleOblique);
    uint8_t decor = static_cast<uint8_t>((f.Under ? cnstDecorUnder : 0) | (f.Over ? cnstDecorOver : 0) |
                                         (f.Strike ? cnstDecorStrike : 0));
    if (it.Bar) decor |= cnstDecorUnder;
    t->SetDecoration(decor);
    t->SetColorCAD(f.ColorSet ? MakeColorCAD(f.ColorRGB ? acRGBColor : acIndexColor, f.Color)
                              : MakeColorCAD(acIndexColor, 0));
    t->SetLineWeight(fLineWeightByBlock);
    t->SetPoint(at);
    return t;
  }

 private:
  TvxDXFMText& M;
  const TvxDXFStyle* Style;
  std::string Folder;
  std::string StyleFontName;
  bool StyleWin = false;
  uint8_t StyleFontStyle = 0;
  double StyleWidth = 1, StyleOblique = 0;
  double Width = 0;
  std::map<std::tuple<std::string, bool, uint8_t>, TvxFaceMetric> Faces;
  std::vector<TvxLine> Lines;
  TvxMTextParagraph Paragraph;
  double X = 0;
  bool LineHasText = false;
  double LastHeight = 0;
  size_t Pieces = 0;
};

bool FinitePoint(const TFPoint& p) { return std::isfinite(p.X) && std::isfinite(p.Y) && std::isfinite(p.Z); }

}  // namespace

void TvxDXFMText::ClearPieces() {
  FLaidOut = false;
  if (!FBlock) return;
  FBlock->SetIsLoaded(false);
  FBlock->Clear(true);
  FBlock->SetOffset(cnstFPointZero);
}

bool TvxDXFMText::LayoutPieces(TvxDXFConverter* conv) {
  FBox = BadBox;
  if (!FBlock || !FinitePoint(FPoint)) return false;
  const double h = std::fabs(FHeight);
  TvxMTextFormat base;
  base.Height = std::isfinite(h) ? h : 0;
  const std::string text = SubstituteTextCodes(FText, true);
  std::string folder;
  if (conv) {
    const std::string& f = conv->FileName();
    const size_t slash = f.find_last_of("/\\");
    if (slash != std::string::npos) folder = f.substr(0, slash);
  }
  TvxMTextLayouter layouter(*this, GetStyle(), folder);
  // A text without height, or with nothing but blanks, shows nothing.
  const bool blank = text.find_first_not_of(" \t\r\n") == std::string::npos;
  if (!(base.Height > 0) || blank) return true;
  const std::vector<TvxMTextToken> tokens = ParseMText(text, base);
  if (!layouter.Run(tokens)) return false;
  layouter.Emit(conv);
  TFRect box = BadBox;
  for (int i = 0; i < FBlock->Count(); ++i) UnionBox(box, FBlock->GetEntity(i)->GetBox());
  FBlock->SetIsLoaded(true);
  if (IsBadBox(box)) return true;
  FBlock->UpdateBox();
  // the attachment point of the block
  const double w = std::max(box.Right - box.Left, std::isfinite(FRectWidth) ? FRectWidth : 0);
  const double hh = box.Top - box.Bottom;
  TFPoint offset = cnstFPointZero;
  switch (FAlign) {
    case cnstMTextTopCenter: case cnstMTextMiddleCenter: case cnstMTextBottomCenter: offset.X = w / 2; break;
    case cnstMTextTopRight: case cnstMTextMiddleRight: case cnstMTextBottomRight: offset.X = w; break;
    default: break;
  }
  switch (FAlign) {
    case cnstMTextMiddleLeft: case cnstMTextMiddleCenter: case cnstMTextMiddleRight: offset.Y = -hh / 2; break;
    case cnstMTextBottomLeft: case cnstMTextBottomCenter: case cnstMTextBottomRight: offset.Y = -hh; break;
    case cnstMTextBaseline: offset.Y = -hh / 2 - h / 2; break;
    default: break;
  }
  FBlock->SetOffset(offset);
  const TFMatrix ext = ExtrusionMatrix(FExtrusion);
  TFMatrix m = TranslationMatrix(TFPoint{-offset.X, -offset.Y, 0});
  m = MultiplyMatrix(m, ScaleMatrix(FScale));
  m = MultiplyMatrix(m, RotationMatrixZDeg(EffectiveRotation()));
  m = MultiplyMatrix(m, ext);
  // the insertion point is given in world coordinates
  FMatrix = MultiplyMatrix(m, TranslationMatrix(FPoint));
  FBox = TransformBox(box, FMatrix);
  FLaidOut = true;
  return true;
}

}  // namespace vx
