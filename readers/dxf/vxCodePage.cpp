#include "readers/dxf/vxCodePage.h"

#include <atomic>
#include <cerrno>
#include <iconv.h>
#include <map>
#include <mutex>

namespace vx {

namespace {

std::atomic<int> gDefaultCodePage{1252};

const iconv_t kNoConverter = reinterpret_cast<iconv_t>(-1);

std::string IconvName(int cp) {
  switch (cp) {
    case cpUTF16LE: return "UTF-16LE";
    case 1201: return "UTF-16BE";
    case 1361: return "JOHAB";
    case 10000: return "MACINTOSH";
    case 20127: return "US-ASCII";
    case 20866: return "KOI8-R";
    case 21866: return "KOI8-U";
    case 20932: return "EUC-JP";
    default: break;
  }
  if (cp > 28590 && cp <= 28606) return "ISO-8859-" + std::to_string(cp - 28590);
  return "CP" + std::to_string(cp);
}

// One converter per code page for the whole process; iconv descriptors carry shift state, so a
// conversion holds the lock from reset to flush.
class ConverterCache {
 public:
  ~ConverterCache() {
    for (auto& [cp, cd] : FConverters)
      if (cd != kNoConverter) iconv_close(cd);
  }

  std::mutex& Lock() { return FLock; }

  // Call with the lock held; kNoConverter when the code page is unknown to the C library.
  iconv_t Get(int cp) {
    auto it = FConverters.find(cp);
    if (it != FConverters.end()) return it->second;
    iconv_t cd = iconv_open("UTF-8", IconvName(cp).c_str());
    FConverters.emplace(cp, cd);
    return cd;
  }

 private:
  std::mutex FLock;
  std::map<int, iconv_t> FConverters;
};

ConverterCache& Cache() {
  static ConverterCache cache;
  return cache;
}

void AppendReplacement(std::string& out) { out += "\xEF\xBF\xBD"; }

// Converts with the lock held. Strict: false on the first byte sequence that does not convert;
// otherwise such a sequence gives U+FFFD and the conversion goes on after its first byte.
bool Convert(iconv_t cd, std::string_view in, std::string& out, bool strict) {
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  char* inp = const_cast<char*>(in.data());
  size_t inLeft = in.size();
  std::string buf(in.size() * 3 + 16, '\0');
  size_t used = 0;
  bool flushing = false;  // the input is consumed; write out any pending shift state
  for (;;) {
    char* outp = buf.data() + used;
    size_t outLeft = buf.size() - used;
    size_t r = flushing ? iconv(cd, nullptr, nullptr, &outp, &outLeft)
                        : iconv(cd, &inp, &inLeft, &outp, &outLeft);
    const int err = errno;
    used = static_cast<size_t>(outp - buf.data());
    if (r != static_cast<size_t>(-1)) {
      if (flushing) break;
      flushing = true;
      continue;
    }
    if (err == E2BIG) {
      buf.resize(buf.size() * 2 + 16);
      continue;
    }
    if (flushing || strict) return false;
    buf.resize(used);
    AppendReplacement(buf);
    used = buf.size();
    buf.resize(used + inLeft * 3 + 16);
    if (err == EILSEQ && inLeft > 0) {
      ++inp;
      --inLeft;
    } else {
      flushing = true;  // the text ends inside a multi-byte character
    }
  }
  buf.resize(used);
  out += buf;
  return true;
}

bool IsAsciiBased(int cp) { return cp != cpUTF16LE && cp != 1201; }

bool IsAscii(std::string_view s) {
  for (char c : s)
    if (static_cast<uint8_t>(c) >= 0x80) return false;
  return true;
}

int Resolve(int cp) { return cp == cpDefault ? DefaultCodePage() : cp; }

// Decodes with cp, or the default code page when cp is unknown; strict as in Convert.
bool Decode(std::string_view bytes, int cp, std::string& out, bool strict) {
  cp = Resolve(cp);
  if (cp == cpUTF8) {
    std::string v = ValidUTF8(bytes);
    if (strict && v != bytes) return false;
    out += v;
    return true;
  }
  if (IsAsciiBased(cp) && IsAscii(bytes)) {
    out.append(bytes);
    return true;
  }
  ConverterCache& cache = Cache();
  std::lock_guard<std::mutex> guard(cache.Lock());
  iconv_t cd = cache.Get(cp);
  if (cd == kNoConverter) cd = cache.Get(DefaultCodePage());
  if (cd == kNoConverter) cd = cache.Get(1252);
  if (cd == kNoConverter) {  // no converters at all: keep ASCII, mark the rest
    if (strict) return false;
    for (char c : bytes)
      if (static_cast<uint8_t>(c) < 0x80) out += c;
      else AppendReplacement(out);
    return true;
  }
  return Convert(cd, bytes, out, strict);
}

inline bool IsHex(char c) {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}
inline unsigned HexVal(char c) {
  return c <= '9' ? unsigned(c - '0') : (c <= 'F' ? unsigned(c - 'A' + 10) : unsigned(c - 'a' + 10));
}

// Four hexadecimal digits at s[i..i+4) into u; false when they are not all hexadecimal.
bool Hex4(std::string_view s, size_t i, unsigned& u) {
  if (i + 4 > s.size()) return false;
  u = 0;
  for (size_t k = 0; k < 4; ++k) {
    if (!IsHex(s[i + k])) return false;
    u = (u << 4) | HexVal(s[i + k]);
  }
  return true;
}

// Count of characters (UTF-8 lead bytes) in s[i..], stopping at limit.
size_t CharsFrom(std::string_view s, size_t i, size_t limit) {
  size_t n = 0;
  for (; i < s.size() && n < limit; ++i)
    if ((static_cast<uint8_t>(s[i]) & 0xC0) != 0x80) ++n;
  return n;
}

}  // namespace

int DefaultCodePage() { return gDefaultCodePage.load(std::memory_order_relaxed); }

void SetDefaultCodePage(int codePage) {
  gDefaultCodePage.store(codePage == cpDefault ? 1252 : codePage, std::memory_order_relaxed);
}

bool IsCodePageSupported(int codePage) {
  codePage = Resolve(codePage);
  if (codePage == cpUTF8) return true;
  ConverterCache& cache = Cache();
  std::lock_guard<std::mutex> guard(cache.Lock());
  return cache.Get(codePage) != kNoConverter;
}

std::string CodePageToUTF8(std::string_view bytes, int codePage) {
  std::string out;
  out.reserve(bytes.size());
  Decode(bytes, codePage, out, false);
  return out;
}

bool TryCodePageToUTF8(std::string_view bytes, int codePage, std::string& out) {
  std::string tmp;
  if (!Decode(bytes, codePage, tmp, true)) return false;
  out += tmp;
  return true;
}

void AppendUTF8(std::string& out, char32_t c) {
  if ((c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF) c = 0xFFFD;
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

std::string ValidUTF8(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  size_t i = 0;
  const size_t n = s.size();
  while (i < n) {
    uint8_t c = static_cast<uint8_t>(s[i]);
    if (c < 0x80) {
      out += static_cast<char>(c);
      ++i;
      continue;
    }
    int len = 0;
    char32_t cp = 0, min = 0;
    if ((c & 0xE0) == 0xC0) { len = 2; cp = c & 0x1F; min = 0x80; }
    else if ((c & 0xF0) == 0xE0) { len = 3; cp = c & 0x0F; min = 0x800; }
    else if ((c & 0xF8) == 0xF0) { len = 4; cp = c & 0x07; min = 0x10000; }
    int k = 1;
    if (len) {
      for (; k < len && i + k < n; ++k) {
        uint8_t t = static_cast<uint8_t>(s[i + k]);
        if ((t & 0xC0) != 0x80) break;
        cp = (cp << 6) | (t & 0x3F);
      }
    }
    if (len == 0 || k < len || cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
      AppendReplacement(out);
      i += len == 0 ? 1 : k;  // resynchronise on the first byte that broke the sequence
      continue;
    }
    out.append(s.substr(i, len));
    i += len;
  }
  return out;
}

int CodePageByName(std::string_view name) {
  std::string s(name);
  for (char& c : s)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  auto number = [](std::string_view t, int maxValue) {
    int v = 0;
    size_t i = 0;
    for (; i < t.size() && t[i] >= '0' && t[i] <= '9'; ++i) {
      v = v * 10 + (t[i] - '0');
      if (v > maxValue) return 0;
    }
    return i == 0 ? 0 : v;
  };
  auto skipSeparator = [](std::string_view t) {
    if (!t.empty() && !(t[0] >= '0' && t[0] <= '9')) t.remove_prefix(1);
    return t;
  };
  std::string_view v(s);
  if (v.starts_with("ANSI") || v.starts_with("DOS"))
    return number(skipSeparator(v.substr(v[0] == 'A' ? 4 : 3)), 65535);
  if (v.starts_with("ISO")) {
    std::string_view t = skipSeparator(v.substr(3));
    if (!t.starts_with("8859")) return 0;
    int part = number(skipSeparator(t.substr(4)), 16);
    return part > 0 ? 28590 + part : 0;
  }
  if (v == "JOHAB") return 1361;
  if (v == "GB2312") return 936;
  if (v == "KSC5601") return 949;
  if (v == "BIG5") return 950;
  if (v == "ASCII") return 20127;
  if (v == "UTF-16") return 1200;
  if (v == "MAC-ROMAN") return 10000;
  return 0;
}

int CodePageOfMBCSDigit(char n) {
  switch (n) {
    case '1': return 932;
    case '2': return 950;
    case '3': return 949;
    case '5': return 936;
    default: return cpDefault;
  }
}

std::string ExpandDXFEscapes(std::string_view s) {
  if (s.find('\\') == std::string_view::npos) return std::string(s);
  std::string out;
  out.reserve(s.size());
  size_t i = 0;
  while (i < s.size()) {
    const bool isU = s.compare(i, 3, "\\U+") == 0;
    const bool isM = !isU && s.compare(i, 3, "\\M+") == 0;
    if (!isU && !isM) {
      out += s[i++];
      continue;
    }
    const size_t arg = i + 3;
    if (isU) {
      if (CharsFrom(s, arg, 4) < 4) break;  // a cut-off escape is dropped with what follows it
      unsigned u = 0;
      if (!Hex4(s, arg, u)) {
        out += s[i++];
        continue;
      }
      i = arg + 4;
      if (u >= 0xD800 && u <= 0xDBFF) {
        unsigned lo = 0;
        if (s.compare(i, 3, "\\U+") == 0 && Hex4(s, i + 3, lo) && lo >= 0xDC00 && lo <= 0xDFFF) {
          AppendUTF8(out, 0x10000 + ((char32_t(u) - 0xD800) << 10) + (lo - 0xDC00));
          i += 7;
          continue;
        }
      }
      AppendUTF8(out, u);  // a lone surrogate becomes U+FFFD
      continue;
    }
    unsigned code = 0;
    if (arg + 5 > s.size() || !(s[arg] >= '0' && s[arg] <= '9') || !Hex4(s, arg + 1, code)) {
      out += s[i++];
      continue;
    }
    char bytes[2] = {static_cast<char>(code >> 8), static_cast<char>(code & 0xFF)};
    std::string_view mb = bytes[0] ? std::string_view(bytes, 2) : std::string_view(bytes + 1, 1);
    TryCodePageToUTF8(mb, CodePageOfMBCSDigit(s[arg]), out);  // nothing when it does not convert
    i = arg + 5;
  }
  return out;
}

}  // namespace vx
