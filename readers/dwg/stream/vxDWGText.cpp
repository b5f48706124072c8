// Texts of DWG files: code-page indices, 8-bit and UTF-16 characters, escapes.
#include "readers/dwg/stream/vxDWGText.h"

#include "readers/dxf/vxCodePage.h"

#include <array>
#include <string_view>
#include <vector>

namespace vx {

namespace {

constexpr std::array<int, 17> cnstCodePages28to44{1250, 1251, 1252, 0,   1253, 1254, 1255, 1256, 1257,
                                                   874,  932,  936,  949, 950,  1361, 1200, 1258};

bool HasEscape(const std::string& s) {
  for (size_t i = s.find('\\'); i != std::string::npos; i = s.find('\\', i + 1))
    if (i + 2 < s.size() && (s[i + 1] == 'U' || s[i + 1] == 'M') && s[i + 2] == '+') return true;
  return false;
}

}  // namespace

int DWGCodePage(unsigned index, int defaultCodePage) {
  if (index > 60) return defaultCodePage;
  if (index >= 28 && index <= 44) return cnstCodePages28to44[index - 28];
  return 0;
}

TdwgTextCoding DWGTextCoding(TvxDWGVersion version, int codePage, bool escapes) {
  TdwgTextCoding t;
  t.Unicode = version >= acR2007;
  t.CodePage = codePage;
  t.Escapes = escapes;
  return t;
}

void AppendUTF16(std::string& out, const uint8_t* p, size_t units) {
  for (size_t i = 0; i < units; ++i) {
    char32_t u = char32_t(p[2 * i] | (p[2 * i + 1] << 8));
    if (u < 0x80) {
      out += char(u);
      continue;
    }
    if (u >= 0xD800 && u <= 0xDBFF && i + 1 < units) {
      const char32_t lo = char32_t(p[2 * i + 2] | (p[2 * i + 3] << 8));
      if (lo >= 0xDC00 && lo <= 0xDFFF) {
        u = 0x10000 + ((u - 0xD800) << 10) + (lo - 0xDC00);
        ++i;
      }
    }
    AppendUTF8(out, u);  // a lone surrogate becomes U+FFFD
  }
}

std::string DecodeDWGText(const uint8_t* p, size_t n, const TdwgTextCoding& coding) {
  std::string s;
  if (coding.Unicode) {
    if (n > 0 && p[2 * n - 2] == 0 && p[2 * n - 1] == 0) --n;
    s.reserve(n);
    AppendUTF16(s, p, n);
  } else {
    if (n > 0 && p[n - 1] == 0) --n;
    s = CodePageToUTF8(std::string_view(reinterpret_cast<const char*>(p), n), coding.CodePage);
  }
  if (coding.Escapes && HasEscape(s)) s = ExpandDXFEscapes(s);
  return s;
}

bool ReadDWGBytes(TvxBitCursor& c, uint8_t* out, size_t n) {
  if (n > c.Remaining() / 8) {
    c.Fail();
    return false;
  }
  if ((c.Pos & 7) == 0) {
    std::memcpy(out, c.Data + (c.Pos >> 3), n);
    c.Pos += uint64_t(n) * 8;
    return true;
  }
  for (size_t i = 0; i < n; ++i) out[i] = ReadRC(c);
  return true;
}

std::string ReadTextChars(TvxBitCursor& c, size_t n, const TdwgTextCoding& coding) {
  const size_t bytes = coding.Unicode ? 2 * n : n;
  if (n == 0) return {};
  if (bytes / (coding.Unicode ? 2 : 1) != n || bytes > c.Remaining() / 8) {
    c.Fail();
    return {};
  }
  if ((c.Pos & 7) == 0) {
    const uint8_t* p = c.Data + (c.Pos >> 3);
    c.Pos += uint64_t(bytes) * 8;
    return DecodeDWGText(p, n, coding);
  }
  std::vector<uint8_t> buf(bytes);
  ReadDWGBytes(c, buf.data(), bytes);
  return DecodeDWGText(buf.data(), n, coding);
}

std::string ReadTV(TvxBitCursor& c, const TdwgTextCoding& coding) {
  const unsigned n = ReadBS(c);
  return ReadTextChars(c, n, coding);
}

std::string ReadTextRS(TvxBitCursor& c, const TdwgTextCoding& coding) {
  const unsigned n = ReadRS(c);
  return ReadTextChars(c, n, coding);
}

std::string ReadTextRL(TvxBitCursor& c, const TdwgTextCoding& coding) {
  const uint32_t n = ReadRL(c);
  return ReadTextChars(c, n, coding);
}

std::string ReadTextCP(TvxBitCursor& c, const TdwgTextCoding& coding) {
  const unsigned n = ReadRS(c);
  if (coding.Unicode) return ReadTextChars(c, n, coding);
  TdwgTextCoding t = coding;
  t.CodePage = DWGCodePage(ReadRC(c), coding.CodePage);
  return ReadTextChars(c, n, t);
}

}  // namespace vx
