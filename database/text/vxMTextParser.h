// vxMTextParser: the formatting codes of multi-line text, read into a list of tokens.
//
// A token is a run of text in one format, a tab, a line break or a stack; TvxDXFMText's layout
// (vxMTextLayout.cpp) measures the tokens, wraps them into lines and makes one single-line text
// piece per run of a line. Codes read:
//   \P new paragraph (\N column break and \X, the dimension separator, also start a line),
//   ^J line break, ^I tab, \~ non-breaking space, \\ \{ \} literals, { } groups,
//   \C ACI colour, \c true colour, \H height (absolute, or relative with a trailing x),
//   \W width factor, \Q oblique angle, \T tracking (read and ignored), \A line alignment,
//   \L \l underline, \O \o overline, \K \k strike-through, \f TrueType face with |b |i |c |p
//   options, \F SHX font, \S stacks ("/" fraction, "^" indexes, "#" diagonal), \p paragraph
//   indents and tab stops, \U+XXXX characters (kept for the decoding of the pieces).
// Numbers in codes are read without the locale. A code cut off by the end of the string reads
// what is there; a group closed more often than opened ignores the extra braces; a backslash
// before any other character is kept as text with that character.
#pragma once

#include "foundation/vxConsts.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vx {

// Up to this many tab stops are kept per paragraph; further stops of a \p code are ignored.
constexpr int cnstMTextMaxTabs = 15;
// Every length of a \p code is multiplied by this.
constexpr double cnstMTextParagraphUnit = 0.999963199872;

struct TvxMTextParagraph {
  double Indent = 0;      // first-line indent (i)
  double LeftIndent = 0;  // left indent (l)
  std::array<double, cnstMTextMaxTabs> Tabs{};
  int TabsCount = 0;
};

struct TvxMTextFormat {
  double Height = 1;           // absolute text height
  double WidthFactor = 0;      // 0: the style's
  double Oblique = 0;          // degrees, 0: the style's
  bool ObliqueSet = false;
  std::string FontName;        // empty: the style's font
  bool WinFont = false;
  bool Bold = false, Italic = false;
  bool ColorSet = false;       // else the MText's colour (by block)
  bool ColorRGB = false;
  uint32_t Color = 0;          // ACI index, or 0x00BBGGRR with ColorRGB
  bool Under = false, Over = false, Strike = false;
  uint8_t LineAlign = 0;       // \A: 0 bottom, 1 middle, 2 top
  TvxMTextParagraph Paragraph;
};

enum class TvxMTextTokenKind : uint8_t { mtText, mtTab, mtLineBreak, mtStack };
using enum TvxMTextTokenKind;

struct TvxMTextToken {
  TvxMTextTokenKind Kind = mtText;
  TvxMTextFormat Format;
  std::string Text;   // text; a stack's upper part
  std::string Lower;  // a stack's lower part
  char StackKind = 0; // '/', '^' or '#'
};

// The tokens of a formatted string (after the text substitutions) starting in format base.
std::vector<TvxMTextToken> ParseMText(std::string_view text, const TvxMTextFormat& base);

// A number at the start of s, read with "." as the decimal point whatever the locale; false
// when s does not start with one. used: characters read.
bool ParseMTextNumber(std::string_view s, double& value, size_t* used = nullptr);

// The upper part of a "/" or "^" stack padded with blanks to centre it over a longer lower
// part: d = lower - upper characters, p = round-half-even(d / 2 - 0.5); when p > 0 the upper
// part gets p + 1 blanks on each side.
std::string PadStackUpper(const std::string& upper, const std::string& lower);

// The X a piece with tabs pending jumps to from x: the first stop (the indent stop, when
// positive, then the tab stops) at or after x and tabs - 1 stops further; else past the last
// stop in steps of step (4 x the MText's height); else the next multiple of step. A step that
// is not positive is taken as 1 so that a zero height never divides by zero.
double MTextTabPosition(double x, int tabs, const TvxMTextParagraph& p, double step);

}  // namespace vx
