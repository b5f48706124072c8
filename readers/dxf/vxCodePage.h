// vxCodePage: 8-bit text in Windows code pages to UTF-8, and the text escapes of drawing files.
//
// Conversions go through the C library's iconv with one cached converter per code page (opened on
// first use, kept for the process, used under a lock). Code page 0 means the process default, a
// setting that starts at 1252 (there is no "ANSI code page" to ask on this platform). Nothing here
// throws on bad data: undecodable bytes become U+FFFD, an unknown code page falls back to the
// default, and malformed escapes are left as written.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vx {

constexpr int cpDefault = 0;
constexpr int cpUTF16LE = 1200;
constexpr int cpUTF8 = 65001;

// Process-wide default code page used for code page 0 and for unknown code pages.
int DefaultCodePage();
void SetDefaultCodePage(int codePage);

// True when a converter for the code page can be opened (65001 always).
bool IsCodePageSupported(int codePage);

// Bytes of the code page as UTF-8. Pure ASCII of an ASCII-based code page is copied as it is.
std::string CodePageToUTF8(std::string_view bytes, int codePage);
// As above, but false (and nothing appended) when any byte sequence does not convert.
bool TryCodePageToUTF8(std::string_view bytes, int codePage, std::string& out);

// UTF-8 checked: every invalid or overlong sequence and every encoded surrogate becomes U+FFFD.
std::string ValidUTF8(std::string_view bytes);

// Appends one code point as UTF-8 (surrogates and values above U+10FFFF as U+FFFD).
void AppendUTF8(std::string& out, char32_t c);

// The "$DWGCODEPAGE" names: ANSI_1252 -> 1252, DOS850 -> 850, ISO8859-5 -> 28595, JOHAB -> 1361,
// GB2312 -> 936, KSC5601 -> 949, BIG5 -> 950, ASCII -> 20127, UTF-16 -> 1200, MAC-ROMAN -> 10000;
// anything else 0 (the default). Case-insensitive.
int CodePageByName(std::string_view name);

// The code page of the digit n of a "\M+nhhll" escape: 1 932, 2 950, 3 949, 5 936, else 0.
int CodePageOfMBCSDigit(char n);

// Replaces, in one left-to-right pass over UTF-8 text, "\U+XXXX" by that UTF-16 unit (two escapes
// forming a surrogate pair give one character) and "\M+nhhll" by the double-byte character hh ll
// of the code page of digit n. A "\U+" with fewer than four characters after it is dropped with
// them; escapes with non-hexadecimal digits are kept as text. Decoded characters are not
// rescanned, so a decoded backslash never starts a new escape and the pass stays linear.
std::string ExpandDXFEscapes(std::string_view text);

}  // namespace vx
