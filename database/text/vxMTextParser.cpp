// The formatting codes of multi-line text.
#include "database/text/vxMTextParser.h"

#include "foundation/vxFunction.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>

namespace vx {

namespace {

char Lower(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }


std::string WithoutExtension(const std::string& name, std::string* ext) {
  const size_t dot = name.rfind('.');
  if (dot == std::string::npos || name.find_first_of("/\\", dot) != std::string::npos) {
    if (ext) ext->clear();
    return name;
  }
  if (ext) {
    *ext = name.substr(dot + 1);
    for (char& c : *ext) c = Lower(c);
  }
  return name.substr(0, dot);
}

class TvxParser {
 public:
  TvxParser(std::string_view s, const TvxMTextFormat& base) : S(s), Cur(base) {}

  std::vector<TvxMTextToken> Run() {
    while (I < S.size()) Step();
    Flush();
    return std::move(Out);
  }

 private:
  void Flush() {
    if (Buf.empty()) return;
    TvxMTextToken t;
    t.Kind = mtText;
    t.Format = Cur;
    t.Text = std::move(Buf);
    Buf.clear();
    Out.push_back(std::move(t));
  }
  void Push(TvxMTextTokenKind k) {
    Flush();
    TvxMTextToken t;
    t.Kind = k;
    t.Format = Cur;
    Out.push_back(std::move(t));
  }
  // The argument of a code: up to ";" (consumed) or the end of the string.
  std::string Argument() {
    const size_t end = S.find(';', I);
    std::string a(S.substr(I, end == std::string_view::npos ? std::string_view::npos : end - I));
    I = end == std::string_view::npos ? S.size() : end + 1;
    return a;
  }
  // A code without argument drops one ";" that follows it.
  void DropSemicolon() {
    if (I < S.size() && S[I] == ';') ++I;
  }

  void Step() {
    const char c = S[I];
    if (c == '\\') {
      Code();
      return;
    }
    if (c == '{') {
      Flush();
      Groups.push_back(Cur);
      ++I;
      return;
    }
    if (c == '}') {
      Flush();
      if (!Groups.empty()) {
        Cur = Groups.back();
        Groups.pop_back();
      }
      ++I;
      return;
    }
    if (c == '^' && I + 1 < S.size()) {
      const char n = Lower(S[I + 1]);
      if (n == 'i' || n == 'j') {
        Push(n == 'i' ? mtTab : mtLineBreak);
        I += 2;
        return;
      }
    }
    if (c == '\t') {
      Push(mtTab);
      ++I;
      return;
    }
    if (c == '\n') {
      Push(mtLineBreak);
      ++I;
      return;
    }
    Buf += c;
    ++I;
  }

  void Code() {
    if (I + 1 >= S.size()) {  // a lone backslash at the end
      Buf += '\\';
      ++I;
      return;
    }
    const char code = S[I + 1];
    I += 2;
    switch (code) {
      case 'P': case 'N': case 'X':
        Push(mtLineBreak);
        DropSemicolon();
        return;
      case '~': Buf += "\u00A0"; return;
      case '\\': case '{': case '}': Buf += code; return;
      case 'U': case 'u':
        // kept for the pieces' decoding
        Buf += '\\';
        Buf += code;
        return;
      case 'M': case 'm': {
        // a double-byte character of a code page: "\M+nXXXX"; not decodable here
        size_t n = 0;
        while (I < S.size() && n < 6 && (S[I] == '+' || std::isxdigit(static_cast<unsigned char>(S[I])))) ++I, ++n;
        Buf += '?';
        return;
      }
      case 'L': case 'l': case 'O': case 'o': case 'K': case 'k': {
        Flush();
        const bool on = std::isupper(static_cast<unsigned char>(code)) != 0;
        const char k = Lower(code);
        (k == 'l' ? Cur.Under : k == 'o' ? Cur.Over : Cur.Strike) = on;
        DropSemicolon();
        return;
      }
      case 'S': {
        const size_t end = S.find(';', I);
        if (end == std::string_view::npos) {
          // no closing ";": the rest is plain text that begins with "\S"
          Buf += "\\S";
          return;
        }
        Stack(std::string(S.substr(I, end - I)));
        I = end + 1;
        return;
      }
      case 'C': case 'c': case 'H': case 'h': case 'W': case 'w': case 'Q': case 'q': case 'T':
      case 't': case 'A': case 'a': case 'F': case 'f': case 'p':
        Flush();
        Apply(code, Argument());
        return;
      default:
        Buf += '\\';
        Buf += code;
        return;
    }
  }

  void Apply(char code, const std::string& arg) {
    double v = 0;
    switch (code) {
      case 'C':
        if (ParseMTextNumber(arg, v) && v >= 0 && v <= 257) {
          Cur.ColorSet = true;
          Cur.ColorRGB = false;
          Cur.Color = static_cast<uint32_t>(v);
        }
        return;
      case 'c':
        if (ParseMTextNumber(arg, v) && v >= 0 && v <= 16777215) {
          Cur.ColorSet = true;
          Cur.ColorRGB = true;
          Cur.Color = static_cast<uint32_t>(v);
        }
        return;
      case 'H': case 'h': {
        size_t used = 0;
        if (!ParseMTextNumber(arg, v, &used) || !std::isfinite(v)) return;
        const bool relative = used < arg.size() && Lower(arg[used]) == 'x';
        const double h = relative ? Cur.Height * v : v;
        if (std::isfinite(h) && h > 0) Cur.Height = h;
        return;
      }
      case 'W': case 'w':
        if (ParseMTextNumber(arg, v) && std::isfinite(v) && v > 0) Cur.WidthFactor = v;
        return;
      case 'Q': case 'q':
        if (ParseMTextNumber(arg, v) && std::isfinite(v)) {
          if (v > 85 || v < -85) v -= 360.0 * std::round(v / 360.0);
          Cur.Oblique = v;
          Cur.ObliqueSet = true;
        }
        return;
      case 'A': case 'a':
        Cur.LineAlign = !arg.empty() && arg[0] == '1' ? 1 : !arg.empty() && arg[0] == '2' ? 2 : 0;
        return;
      case 'F': case 'f': Font(code == 'F', arg); return;
      case 'p': Paragraph(arg); return;
      default: return;  // \T: tracking is read and ignored
    }
  }

  void Font(bool shx, const std::string& arg) {
    const size_t bar = arg.find('|');
    std::string name = arg.substr(0, bar);
    Cur.Bold = Cur.Italic = false;
    std::string ext;
    const std::string bare = WithoutExtension(name, &ext);
    if (name.find("\\U+") != std::string::npos) {
      Cur.FontName = shx ? "simplex" : "Arial";
      Cur.WinFont = !shx;
    } else if (ext == "shx" || (shx && ext.empty())) {
      Cur.FontName = bare;
      Cur.WinFont = false;
    } else {
      Cur.FontName = ext == "ttf" || ext == "ttc" || ext == "otf" ? bare : name;
      Cur.WinFont = true;
    }
    // options: |b1 |i0 |c0 |p34
    for (size_t at = bar; at != std::string::npos && at + 1 < arg.size();) {
      const size_t next = arg.find('|', at + 1);
      const std::string opt = arg.substr(at + 1, next == std::string::npos ? std::string::npos : next - at - 1);
      if (opt.size() >= 2) {
        const char k = Lower(opt[0]);
        if (k == 'b') Cur.Bold = opt[1] == '1';
        else if (k == 'i') Cur.Italic = opt[1] == '1';
      }
      at = next;
    }
  }

  void Paragraph(const std::string& arg) {
    // comma-separated entries: i<indent>, l<left indent>, t<stop>[,<stop>...]; others skipped
    bool inTabs = false;
    bool newTabs = false;
    size_t at = 0;
    while (at <= arg.size()) {
      const size_t comma = arg.find(',', at);
      std::string e = arg.substr(at, comma == std::string::npos ? std::string::npos : comma - at);
      at = comma == std::string::npos ? arg.size() + 1 : comma + 1;
      if (!e.empty() && Lower(e[0]) == 'x') e.erase(0, 1);
      double v = 0;
      if (e.empty()) continue;
      const char k = Lower(e[0]);
      if (k == 'i' || k == 'l') {
        inTabs = false;
        if (ParseMTextNumber(std::string_view(e).substr(1), v) && std::isfinite(v))
          (k == 'i' ? Cur.Paragraph.Indent : Cur.Paragraph.LeftIndent) = v * cnstMTextParagraphUnit;
        continue;
      }
      std::string_view num(e);
      if (k == 't') {
        inTabs = true;
        num.remove_prefix(1);
        if (!newTabs) {
          Cur.Paragraph.TabsCount = 0;  // a new list replaces earlier stops
          newTabs = true;
        }
      } else if (!inTabs) {
        continue;
      }
      if (ParseMTextNumber(num, v) && std::isfinite(v) && Cur.Paragraph.TabsCount < cnstMTextMaxTabs)
        Cur.Paragraph.Tabs[static_cast<size_t>(Cur.Paragraph.TabsCount++)] = v * cnstMTextParagraphUnit;
    }
  }

  void Stack(const std::string& s) {
    TvxMTextToken t;
    t.Kind = mtStack;
    t.Format = Cur;
    size_t cut = s.find('/');
    char kind = '/';
    if (cut == std::string::npos) cut = s.find('^'), kind = '^';
    if (cut == std::string::npos) cut = s.find('#'), kind = '#';
    if (cut == std::string::npos) {
      // nothing to stack: plain text
      Buf += s;
      return;
    }
    Flush();
    t.StackKind = kind;
    t.Text = s.substr(0, cut);
    t.Lower = s.substr(cut + 1);
    if (kind != '#') t.Text = PadStackUpper(t.Text, t.Lower);
    Out.push_back(std::move(t));
  }

  std::string_view S;
  size_t I = 0;
  TvxMTextFormat Cur;
  std::vector<TvxMTextFormat> Groups;
  std::string Buf;
  std::vector<TvxMTextToken> Out;
};

size_t CharCount(const std::string& s) {
  size_t n = 0;
  for (const char c : s) n += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  return n;
}

}  // namespace

bool ParseMTextNumber(std::string_view s, double& value, size_t* used) {
  size_t i = 0;
  while (i < s.size() && s[i] == ' ') ++i;
  size_t start = i;
  if (i < s.size() && s[i] == '+') start = ++i;  // from_chars takes no plus sign
  const char* first = s.data() + start;
  const char* last = s.data() + s.size();
  double v = 0;
  const auto r = std::from_chars(first, last, v, std::chars_format::fixed);
  if (r.ec != std::errc() || r.ptr == first) return false;
  value = v;
  if (used) *used = static_cast<size_t>(r.ptr - s.data());
  return true;
}

std::string PadStackUpper(const std::string& upper, const std::string& lower) {
  const double d = static_cast<double>(CharCount(lower)) - static_cast<double>(CharCount(upper));
  const double p = RoundHalfEvenD(d / 2 - 0.5);
  if (p <= 0) return upper;
  const std::string pad(static_cast<size_t>(p) + 1, ' ');
  return pad + upper + pad;
}

double MTextTabPosition(double x, int tabs, const TvxMTextParagraph& p, double step) {
  if (!(step > 0) || !std::isfinite(step)) step = 1;
  if (tabs < 1) tabs = 1;
  const double indent = p.Indent >= 0 ? std::fabs(p.LeftIndent) : std::fabs(p.Indent);
  const bool indentCounts = indent > 0;
  std::vector<double> stops;
  if (indentCounts) stops.push_back(indent);
  const int count = std::clamp(p.TabsCount, 0, cnstMTextMaxTabs);
  for (int i = 0; i < count; ++i) stops.push_back(p.Tabs[static_cast<size_t>(i)]);
  for (size_t i = 0; i < stops.size(); ++i) {
    if (stops[i] < x) continue;
    const size_t at = i + static_cast<size_t>(tabs) - 1;
    if (at < stops.size()) return stops[at];
    break;
  }
  if (count > 0 && p.Tabs[static_cast<size_t>(count - 1)] > x) {
    int k = tabs - count - (indentCounts ? 1 : 0);
    if (k == 0) k = 1;
    const double pos = step * RoundHalfEvenD(p.Tabs[static_cast<size_t>(count - 1)] / step) + step * k;
    // a jump never goes backwards
    if (pos > x) return pos;
  }
  return (std::floor(x / step) + tabs) * step;
}

std::vector<TvxMTextToken> ParseMText(std::string_view text, const TvxMTextFormat& base) {
  return TvxParser(text, base).Run();
}

}  // namespace vx
