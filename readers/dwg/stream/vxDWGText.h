// vxDWGText: texts of DWG R13 and later files, as UTF-8.
//
//  - DWGCodePage: the DWG code-page index of a file or a text to a Windows code page.
//  - TdwgTextCoding: how the texts of one file read: 8-bit characters in the drawing's code page
//    (R13 to 2004, and after 2013) or UTF-16 characters (2007 to 2013), with or without the
//    "\U+XXXX" / "\M+nXXXX" escapes expanded (object texts expand them).
//  - ReadTV (BS length), ReadTextCP (extended-data strings with their own code page), and the
//    plain decoders the section readers use.
//
// Lengths are checked against the bits left before anything is read or allocated; a length that
// does not fit fails the cursor and yields an empty text. Undecodable characters become U+FFFD.
#pragma once

#include "readers/dwg/stream/vxDWGCursor.h"

#include <string>

namespace vx {

// The Windows code page of a DWG code-page index: 28..44 the ANSI, Asian and UTF-16 pages, other
// indices up to 60 give 0 (the default); above 60 gives defaultCodePage.
int DWGCodePage(unsigned index, int defaultCodePage = 0);

struct TdwgTextCoding {
  bool Unicode = false;  // characters are UTF-16LE
  int CodePage = 0;      // code page of 8-bit characters (0: the process default)
  bool Escapes = false;  // expand "\U+" and "\M+" escapes
};
// The coding of a version's texts: UTF-16 for 2007, 2010 and 2013.
TdwgTextCoding DWGTextCoding(TvxDWGVersion version, int codePage, bool escapes);

// n characters at p (bytes, or UTF-16 units when unicode) as UTF-8; one trailing NUL is dropped.
std::string DecodeDWGText(const uint8_t* p, size_t n, const TdwgTextCoding& coding);
// UTF-16LE units to UTF-8 (pairs joined; lone surrogates give U+FFFD).
void AppendUTF16(std::string& out, const uint8_t* p, size_t units);

// Copies n bytes from the cursor (any bit alignment); false (cursor failed) when they do not fit.
bool ReadDWGBytes(TvxBitCursor& c, uint8_t* out, size_t n);

// Text whose length comes first as BS (TV), RS, RL: the characters follow on the same cursor.
std::string ReadTV(TvxBitCursor& c, const TdwgTextCoding& coding);
std::string ReadTextRS(TvxBitCursor& c, const TdwgTextCoding& coding);
std::string ReadTextRL(TvxBitCursor& c, const TdwgTextCoding& coding);
// n characters of the coding without a length.
std::string ReadTextChars(TvxBitCursor& c, size_t n, const TdwgTextCoding& coding);
// A text with an explicit code page: before 2007 an RS length, an RC code-page index and the
// bytes; from 2007 (coding.Unicode) an RS length and UTF-16 characters.
std::string ReadTextCP(TvxBitCursor& c, const TdwgTextCoding& coding);

}  // namespace vx
