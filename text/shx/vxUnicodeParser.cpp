#include "text/shx/vxUnicodeParser.h"

#include "text/shx/vxSHXCodePage.h"
#include "text/shx/vxSHXFont.h"

namespace vx::shx {

namespace {

int HexDigit(char32_t c) {
  if (c >= U'0' && c <= U'9') return int(c - U'0');
  if (c >= U'a' && c <= U'f') return int(c - U'a' + 10);
  if (c >= U'A' && c <= U'F') return int(c - U'A' + 10);
  return -1;
}

// Four hexadecimal digits at text[at], or -1.
int32_t Hex4(const std::u32string& text, size_t at) {
  if (at + 4 > text.size()) return -1;
  int32_t v = 0;
  for (size_t i = 0; i < 4; ++i) {
    const int d = HexDigit(text[at + i]);
    if (d < 0) return -1;
    v = v * 16 + d;
  }
  return v;
}

bool IsMainFontSymbol(char32_t ch) { return ch == U'\u00B0' || ch == U'\u00B1' || ch == U'\u2205'; }

std::string BytesOfCode(uint32_t code) {
  std::string b;
  if (code > 0xFF) b += char(code >> 8);
  b += char(code & 0xFF);
  return b;
}

}  // namespace

std::u32string UTF8ToUTF32(std::string_view s) {
  std::u32string out;
  for (size_t i = 0; i < s.size();) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    int len = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
    if (len == 0 || i + len > s.size()) {
      out += U'\uFFFD';
      ++i;
      continue;
    }
    char32_t v = len == 1 ? c : c & (0x7F >> len);
    bool ok = true;
    for (int k = 1; k < len; ++k) {
      const unsigned char t = static_cast<unsigned char>(s[i + k]);
      if ((t >> 6) != 2) ok = false;
      v = v << 6 | (t & 0x3F);
    }
    static constexpr char32_t kMin[5] = {0, 0, 0x80, 0x800, 0x10000};
    if (!ok || v < kMin[len] || v > 0x10FFFF || (v >= 0xD800 && v <= 0xDFFF)) {
      out += U'\uFFFD';
      ++i;
      continue;
    }
    out += v;
    i += size_t(len);
  }
  return out;
}

TvxUnicodeParser::TvxUnicodeParser(std::u32string text, TvxSHXFont* bigFont, int codePage)
    : FText(std::move(text)), FBigFont(bigFont), FCodePage(codePage) {}

TvxUnicodeParser::TvxUnicodeParser(std::string_view utf8, TvxSHXFont* bigFont, int codePage)
    : TvxUnicodeParser(UTF8ToUTF32(utf8), bigFont, codePage) {}

int TvxUnicodeParser::BigCodePage() const {
  return FBigFont && FBigFont->GetCodePage() > 0 ? FBigFont->GetCodePage() : FCodePage;
}

void TvxUnicodeParser::Add(char32_t ch, uint32_t code, uint8_t map) {
  FUnicode += ch;
  FSHXUnicode.push_back(code);
  FSHXMap.push_back(map);
}

void TvxUnicodeParser::Execute(bool parsePercentSymbols) {
  FUnicode.clear();
  FSHXUnicode.clear();
  FSHXMap.clear();
  const std::u32string& t = FText;
  const size_t n = t.size();
  size_t i = 0;
  while (i < n) {
    const char32_t c = t[i];
    if (parsePercentSymbols && c == U'%' && i + 1 < n && t[i + 1] == U'%') {
      if (i + 2 >= n) break;  // "%%" at the end: dropped
      const char32_t k = t[i + 2];
      char32_t sym = 0;
      switch (k) {
        case U'%': sym = U'%'; break;
        case U'c': case U'C': sym = U'\u2205'; break;
        case U'd': case U'D': sym = U'\u00B0'; break;
        case U'p': case U'P': sym = U'\u00B1'; break;
        default: break;
      }
      if (sym) {
        Classify(sym, 0, 0);
        i += 3;
      } else if (k >= U'0' && k <= U'9') {
        size_t j = i + 2;
        uint32_t v = 0;
        while (j < n && j < i + 5 && t[j] >= U'0' && t[j] <= U'9') v = v * 10 + uint32_t(t[j++] - U'0');
        if (v != 0) Classify(char32_t(v), 0, 0);
        i = j;
      } else {
        i += 2;  // the two percent signs are dropped, what follows stays
      }
      continue;
    }
    if (c == U'\\') {
      const bool hasNext = i + 1 < n;
      if (!parsePercentSymbols && hasNext && t[i + 1] == U'\\') {
        Classify(U'\\', 0, 0);
        i += 2;
        continue;
      }
      if (i + 2 < n && t[i + 2] == U'+') {
        const char32_t k = t[i + 1];
        if (k == U'U') {
          if (const int32_t v = Hex4(t, i + 3); v > 0) {
            Classify(char32_t(v), 0, 0);
            i += 7;
            continue;
          }
        } else if (k == U'M' && i + 3 < n) {
          const int cp = CodePageOfMBCSDigit(t[i + 3]);
          if (const int32_t v = Hex4(t, i + 4); cp > 0 && v > 0) {
            Classify(0, cp, uint32_t(v));
            i += 8;
            continue;
          }
        }
      }
      Classify(U'\\', 0, 0);
      ++i;
      continue;
    }
    Classify(c, 0, 0);
    ++i;
  }
  if (FBigFont && KnownBigFontCodePage(FBigFont->FileName()) == 0) MergePairs();
}

void TvxUnicodeParser::Classify(char32_t ch, int mbcsCodePage, uint32_t mbcs) {
  if (mbcsCodePage > 0) {
    const char32_t u = CodePageToChar(BytesOfCode(mbcs), mbcsCodePage);
    if (FBigFont && mbcsCodePage == BigCodePage()) {
      const char32_t shown = u ? u : char32_t(mbcs);
      if (FBigFont->HasSymbol(mbcs))
        Add(shown, mbcs, cnstSHXMapBig);
      else
        AddMain(shown);
      return;
    }
    ch = u ? u : char32_t(mbcs);
  }
  if (!FBigFont || IsMainFontSymbol(ch)) return AddMain(ch);
  const int cp = BigCodePage();
  uint32_t code = 0;
  if (cp <= 0) {
    code = ch <= 0xFFFF ? uint32_t(ch) : 0;
  } else {
    const std::string b = CharToCodePage(ch, cp);
    if (!b.empty() && CodePageToChar(b, cp) == ch) {
      const uint32_t lead = static_cast<unsigned char>(b[0]);
      code = b.size() == 2 ? (lead << 8 | static_cast<unsigned char>(b[1])) : lead;
    }
  }
  if (code != 0 && FBigFont->HasSymbol(code))
    Add(ch, code, cnstSHXMapBig);
  else
    AddMain(ch);
}

void TvxUnicodeParser::MergePairs() {
  const int cp = BigCodePage();
  std::u32string u;
  std::vector<uint32_t> codes;
  std::vector<uint8_t> map;
  for (size_t i = 0; i < FUnicode.size(); ++i) {
    if (i + 1 < FUnicode.size() && FSHXMap[i] == cnstSHXMapMain && FSHXMap[i + 1] == cnstSHXMapMain &&
        FSHXUnicode[i] < 256 && FSHXUnicode[i + 1] < 256) {
      const uint32_t code = FSHXUnicode[i] << 8 | FSHXUnicode[i + 1];
      if (code > 0xFF && FBigFont->HasSymbol(code)) {
        const char32_t ch = cp > 0 ? CodePageToChar(BytesOfCode(code), cp) : 0;
        u += ch ? ch : char32_t(code);
        codes.push_back(code);
        map.push_back(cnstSHXMapBig);
        ++i;
        continue;
      }
    }
    u += FUnicode[i];
    codes.push_back(FSHXUnicode[i]);
    map.push_back(FSHXMap[i]);
  }
  FUnicode = std::move(u);
  FSHXUnicode = std::move(codes);
  FSHXMap = std::move(map);
}

}  // namespace vx::shx
