// vxUnicodeParser: the character map of a text drawn with an SHX font and maybe a big font.
//
// TvxUnicodeParser turns a text into three arrays of equal length: the characters (FUnicode),
// the code to look up for each (FSHXUnicode) and the font of each (FSHXMap: 1 the main font, 2 the
// big font). Execute(parsePercentSymbols) decodes "%%" codes (when asked), "\U+XXXX" and
// "\M+nXXXX" escapes and classifies each character: without a big font every character belongs
// to the main font with its own code; with one, a character goes to the big font when it survives
// the round trip through the big font's code page and the big font has its code. Degree,
// plus-minus and diameter stay with the main font. For big fonts outside the known list, two
// consecutive main-font characters whose codes together form a code of the big font become one
// big-font character.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vx::shx {

class TvxSHXFont;

constexpr uint8_t cnstSHXMapMain = 1, cnstSHXMapBig = 2;

class TvxUnicodeParser {
 public:
  // bigFont may be null; codePage is the text's, used when the big font has none of its own.
  TvxUnicodeParser(std::u32string text, TvxSHXFont* bigFont, int codePage);
  // The same from UTF-8 (invalid sequences become U+FFFD).
  TvxUnicodeParser(std::string_view utf8, TvxSHXFont* bigFont, int codePage);

  void Execute(bool parsePercentSymbols);

  std::u32string FUnicode;
  std::vector<uint32_t> FSHXUnicode;
  std::vector<uint8_t> FSHXMap;

 private:
  // One decoded character: mbcsCodePage > 0 for a "\M+" code (mbcs the double-byte code).
  void Classify(char32_t ch, int mbcsCodePage, uint32_t mbcs);
  void AddMain(char32_t ch) { Add(ch, ch, cnstSHXMapMain); }
  void Add(char32_t ch, uint32_t code, uint8_t map);
  void MergePairs();
  int BigCodePage() const;

  std::u32string FText;
  TvxSHXFont* FBigFont;
  int FCodePage;
};

// UTF-8 to UTF-32 (invalid or overlong sequences and surrogates become U+FFFD).
std::u32string UTF8ToUTF32(std::string_view s);

}  // namespace vx::shx
