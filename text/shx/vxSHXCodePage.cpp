#include "text/shx/vxSHXCodePage.h"

#include <iconv.h>

#include <atomic>
#include <map>
#include <mutex>

namespace vx::shx {

namespace {

std::atomic<int> gTextCodePage{1252};

struct TvxConverters {
  std::mutex Lock;
  // (code page, to Unicode) -> converter; (iconv_t)-1 remembers one that cannot be opened.
  std::map<std::pair<int, bool>, iconv_t> Open;

  ~TvxConverters() {
    for (auto& [key, cd] : Open)
      if (cd != reinterpret_cast<iconv_t>(-1)) iconv_close(cd);
  }

  iconv_t Get(int codePage, bool toUnicode) {
    auto it = Open.find({codePage, toUnicode});
    if (it != Open.end()) return it->second;
    const std::string cp = "CP" + std::to_string(codePage);
    iconv_t cd = toUnicode ? iconv_open("UTF-32LE", cp.c_str()) : iconv_open(cp.c_str(), "UTF-32LE");
    Open[{codePage, toUnicode}] = cd;
    return cd;
  }
};

TvxConverters& Converters() {
  static TvxConverters c;
  return c;
}

// Converts in one call; false when anything is left over or the converter is missing.
bool Convert(int codePage, bool toUnicode, const char* in, size_t inSize, char* out, size_t& outSize) {
  TvxConverters& c = Converters();
  std::lock_guard<std::mutex> guard(c.Lock);
  iconv_t cd = c.Get(codePage, toUnicode);
  if (cd == reinterpret_cast<iconv_t>(-1)) return false;
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  char* src = const_cast<char*>(in);
  char* dst = out;
  size_t left = inSize, room = outSize;
  const size_t r = iconv(cd, &src, &left, &dst, &room);
  if (r == static_cast<size_t>(-1) || left != 0) return false;
  // A stateful code page may still hold a shift sequence.
  iconv(cd, nullptr, nullptr, &dst, &room);
  outSize = outSize - room;
  return true;
}

}  // namespace

int SHXTextCodePage() { return gTextCodePage.load(); }
void SetSHXTextCodePage(int codePage) { gTextCodePage.store(codePage > 0 ? codePage : 1252); }

std::string CharToCodePage(char32_t ch, int codePage) {
  if (codePage <= 0 || ch == 0 || ch > 0x10FFFF) return {};
  const char in[4] = {char(ch & 0xFF), char((ch >> 8) & 0xFF), char((ch >> 16) & 0xFF), 0};
  char out[8];
  size_t n = sizeof out;
  if (!Convert(codePage, false, in, 4, out, n) || n == 0 || n > 2) return {};
  return std::string(out, n);
}

char32_t CodePageToChar(const std::string& bytes, int codePage) {
  if (codePage <= 0 || bytes.empty()) return 0;
  char out[16];
  size_t n = sizeof out;
  if (!Convert(codePage, true, bytes.data(), bytes.size(), out, n) || n != 4) return 0;
  const auto* u = reinterpret_cast<const unsigned char*>(out);
  return char32_t(u[0]) | char32_t(u[1]) << 8 | char32_t(u[2]) << 16 | char32_t(u[3]) << 24;
}

int CodePageOfMBCSDigit(char32_t digit) {
  switch (digit) {
    case U'1': return 932;
    case U'2': return 950;
    case U'3': return 949;
    case U'5': return 936;
    default: return 0;
  }
}

}  // namespace vx::shx
