// vxSHXCodePage: single characters between Unicode and the code pages of SHX fonts (text fonts in
// an ANSI code page, big fonts in a double-byte one), over the C library's iconv. One converter
// per code page and direction is opened on first use and kept for the process, used under a lock.
#pragma once

#include <cstdint>
#include <string>

namespace vx::shx {

// The code page that kind-0 text fonts are taken to be written in (1252 unless set).
int SHXTextCodePage();
void SetSHXTextCodePage(int codePage);

// The bytes of one character in the code page (one or two); empty when it has none there or the
// code page cannot be opened.
std::string CharToCodePage(char32_t ch, int codePage);
// The character of the bytes in the code page; 0 when they do not decode to exactly one.
char32_t CodePageToChar(const std::string& bytes, int codePage);

// The code page of the digit of a "\M+n" escape: 1 932, 2 950, 3 949, 5 936; else 0.
int CodePageOfMBCSDigit(char32_t digit);

}  // namespace vx::shx
