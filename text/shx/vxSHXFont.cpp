#include "text/shx/vxSHXFont.h"

#include "text/shx/vxSHXCodePage.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <fstream>

namespace vx::shx {

namespace {

class TvxFileSource : public TvxSHXSource {
 public:
  explicit TvxFileSource(const std::string& path) : FFile(path, std::ios::binary) {
    if (!FFile) return;
    FFile.seekg(0, std::ios::end);
    const std::streamoff n = FFile.tellg();
    FSize = n > 0 ? uint64_t(n) : 0;
  }
  bool Good() const { return bool(FFile); }
  uint64_t Size() const override { return FSize; }
  bool Read(uint64_t pos, size_t n, uint8_t* out) override {
    if (pos > FSize || n > FSize - pos) return false;
    if (n == 0) return true;
    FFile.clear();
    FFile.seekg(std::streamoff(pos));
    FFile.read(reinterpret_cast<char*>(out), std::streamsize(n));
    return FFile.gcount() == std::streamsize(n);
  }

 private:
  std::ifstream FFile;
  uint64_t FSize = 0;
};

class TvxMemorySource : public TvxSHXSource {
 public:
  explicit TvxMemorySource(std::string bytes) : FBytes(std::move(bytes)) {}
  uint64_t Size() const override { return FBytes.size(); }
  bool Read(uint64_t pos, size_t n, uint8_t* out) override {
    if (pos > FBytes.size() || n > FBytes.size() - pos) return false;
    if (n) std::memcpy(out, FBytes.data() + pos, n);
    return true;
  }

 private:
  std::string FBytes;
};

uint16_t U16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }
uint32_t U32(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24; }

std::string Upper(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

bool StartsWith(const uint8_t* head, size_t size, const char* sig) {
  const size_t n = std::strlen(sig);
  return size >= n && std::memcmp(head, sig, n) == 0;
}

constexpr size_t kHeadSize = 129;
constexpr size_t kMaxFontName = 129;

}  // namespace

int KnownBigFontCodePage(std::string_view fileName) {
  std::string n(fileName);
  const size_t slash = n.find_last_of("/\\");
  if (slash != std::string::npos) n.erase(0, slash + 1);
  for (char& c : n) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  struct Known { const char* name; int cp; };
  static constexpr Known kKnown[] = {
      {"@extfont2.shx", 932}, {"bigfont.shx", 932}, {"chineset.shx", 950}, {"extfont.shx", 932},
      {"extfont2.shx", 932},  {"gbcbig.shx", 936},  {"whgdtxt.shx", 949},  {"whgtxt.shx", 949},
      {"whtgtxt.shx", 949},   {"whtmtxt.shx", 949}};
  for (const Known& k : kKnown)
    if (n == k.name) return k.cp;
  return 0;
}

TvxSHXFont::TvxSHXFont(std::string name) : FName(std::move(name)) { FixedTable.fill(-1); }
TvxSHXFont::~TvxSHXFont() = default;

TvxFontKind TvxSHXFont::Kind() const {
  switch (FKind) {
    case cnstSHXBigFont: return fkBigFont;
    case cnstSHXUnicode: return fkUnicode;
    default: return fkShapes;
  }
}

bool TvxSHXFont::Load() {
  auto file = std::make_unique<TvxFileSource>(FName);
  if (!file->Good()) {
    FKind = cnstSHXNone;
    return false;
  }
  FSource = std::move(file);
  return LoadSource();
}

bool TvxSHXFont::LoadFromBytes(std::string bytes) {
  FSource = std::make_unique<TvxMemorySource>(std::move(bytes));
  return LoadSource();
}

bool TvxSHXFont::LoadSource() {
  std::lock_guard<std::mutex> guard(FLock);
  FKind = cnstSHXNone;
  FShapes.clear();
  FSorted.clear();
  FRanges.clear();
  FixedTable.fill(-1);
  uint8_t head[kHeadSize] = {};
  const size_t headSize = size_t(std::min<uint64_t>(FSource->Size(), kHeadSize));
  if (!FSource->Read(0, headSize, head)) return false;
  bool ok = false;
  if (StartsWith(head, headSize, "AutoCAD-86 shapes 1.1") || StartsWith(head, headSize, "AutoCAD-86 shapes 1.0")) {
    FKind = cnstSHXShapes;
    ok = LoadShapes(head, headSize);
  } else if (StartsWith(head, headSize, "AutoCAD-86 bigfont 1.0")) {
    FKind = cnstSHXBigFont;
    ok = LoadBigFont();
  } else if (StartsWith(head, headSize, "AutoCAD-86 unifont 1.0")) {
    FKind = cnstSHXUnicode;
    ok = LoadUnicode();
  }
  if (!ok) {
    FKind = cnstSHXNone;
    FShapes.clear();
    FSorted.clear();
    FixedTable.fill(-1);
    return false;
  }
  if (FKind == cnstSHXBigFont && FCodePage == 0) FCodePage = KnownBigFontCodePage(FName);
  if (FKind == cnstSHXShapes && !FIsShape && FCodePage == 0) FCodePage = SHXTextCodePage();
  IndexRecords();
  return true;
}

// Kind 0: the record count at 28, index entries of (number, length), the definitions in order.
bool TvxSHXFont::LoadShapes(const uint8_t* head, size_t headSize) {
  if (headSize < 30) return false;
  const uint64_t size = FSource->Size();
  uint32_t n = U16(head + 28);
  // A count the file cannot hold is cut to the entries it has.
  n = uint32_t(std::min<uint64_t>(n, (size - 30) / 4));
  FNumChars = uint16_t(n);
  std::vector<uint8_t> index(size_t(n) * 4);
  if (!FSource->Read(30, index.size(), index.data())) return false;
  uint64_t pos = 30 + uint64_t(n) * 4;
  int info = -1;
  for (uint32_t i = 0; i < n; ++i) {
    TvxSHXRecord r;
    r.ShapeNumber = U16(&index[i * 4]);
    r.DefBytes = U16(&index[i * 4 + 2]);
    r.BytesPos = pos;
    pos += r.DefBytes;
    if (pos > size) break;  // the file ends inside this definition
    if (r.ShapeNumber == 0 && info < 0) info = int(FShapes.size());
    FShapes.push_back(std::move(r));
  }
  FIsShape = info < 0;
  if (!FIsShape) {
    std::vector<uint8_t> def;
    if (ReadDefinition(FShapes[size_t(info)], def)) ReadFontInfo(def);
  } else {
    for (TvxSHXRecord& r : FShapes) ReadName(r);
  }
  return true;
}

// Kind 1: count and escape ranges at 27, index entries of (number, length, offset) up to where the
// first definition begins.
bool TvxSHXFont::LoadBigFont() {
  const uint64_t size = FSource->Size();
  uint8_t h[4];
  if (!FSource->Read(27, 4, h)) return false;
  FNumChars = U16(h);
  const uint32_t r = U16(h + 2);
  if (31 + uint64_t(r) * 4 > size) return false;
  std::vector<uint8_t> ranges(size_t(r) * 4);
  if (!FSource->Read(31, ranges.size(), ranges.data())) return false;
  for (uint32_t i = 0; i < r; ++i) FRanges.emplace_back(U16(&ranges[i * 4]), U16(&ranges[i * 4 + 2]));
  uint64_t pos = 31 + uint64_t(r) * 4;
  uint64_t indexEnd = size;  // lowered to the first definition's offset once known
  int info = -1;
  bool first = true;
  while (pos + 8 <= indexEnd) {
    uint8_t e[8];
    if (!FSource->Read(pos, 8, e)) break;
    pos += 8;
    TvxSHXRecord rec;
    rec.ShapeNumber = U16(e);
    rec.DefBytes = U16(e + 2);
    rec.BytesPos = U32(e + 4);
    if (first) {
      first = false;
      if (rec.BytesPos >= pos && rec.BytesPos < indexEnd) indexEnd = rec.BytesPos;
    } else if (rec.ShapeNumber == 0) {
      continue;
    }
    // Definitions outside the file are left out.
    if (rec.BytesPos > size || rec.DefBytes > size - rec.BytesPos) continue;
    if (rec.ShapeNumber == 0 && info < 0) info = int(FShapes.size());
    FShapes.push_back(std::move(rec));
  }
  if (info >= 0) {
    std::vector<uint8_t> def;
    if (ReadDefinition(FShapes[size_t(info)], def)) ReadFontInfo(def);
  }
  return true;
}

// Kind 2: the count at 25 (the font-information record included), that record, then
// (number, length, definition) to the end.
bool TvxSHXFont::LoadUnicode() {
  const uint64_t size = FSource->Size();
  uint8_t h[6];
  if (!FSource->Read(25, 6, h)) return false;
  const uint32_t count = U16(h);
  FNumChars = uint16_t(count);
  TvxSHXRecord info;
  info.ShapeNumber = U16(h + 2);
  info.DefBytes = U16(h + 4);
  info.BytesPos = 31;
  if (info.DefBytes > size - 31) return false;
  std::vector<uint8_t> def;
  if (ReadDefinition(info, def)) ReadFontInfo(def);
  uint64_t pos = 31 + info.DefBytes;
  for (uint32_t i = 1; i < count && pos + 4 <= size; ++i) {
    uint8_t e[4];
    if (!FSource->Read(pos, 4, e)) break;
    TvxSHXRecord rec;
    rec.ShapeNumber = U16(e);
    rec.DefBytes = U16(e + 2);
    rec.BytesPos = pos + 4;
    pos += 4 + uint64_t(rec.DefBytes);
    if (pos > size) break;
    if (rec.ShapeNumber == 0) continue;
    FShapes.push_back(std::move(rec));
  }
  return true;
}

void TvxSHXFont::ReadFontInfo(const std::vector<uint8_t>& def) {
  size_t nul = 0;
  while (nul < def.size() && def[nul] != 0) ++nul;
  FFontName.assign(reinterpret_cast<const char*>(def.data()), std::min(nul, kMaxFontName));
  // Byte i after the name (the terminating zero is byte 0); 0 when the record is too short.
  auto at = [&](size_t i) -> uint8_t { return nul + i < def.size() ? def[nul + i] : 0; };
  if (FKind == cnstSHXBigFont && def.size() == nul + 6) {
    FExtndBig = true;
    FCharHeight = at(1);
    FModes = at(3);
    FCharWidth = at(4);
    FAbove = FCharHeight;
    FBelow = 0;
    return;
  }
  FAbove = at(1);
  FBelow = at(2);
  FModes = at(3);
  if (FKind == cnstSHXUnicode) {
    FEncoding = at(4);
    FEmbtype = at(5);
  }
}

void TvxSHXFont::IndexRecords() {
  for (size_t i = 0; i < FShapes.size(); ++i) {
    const uint16_t n = FShapes[i].ShapeNumber;
    if (n == 0) continue;
    if (FKind == cnstSHXShapes && n <= 255)
      FixedTable[n - 1] = int32_t(i);  // a later entry of the same number wins
    else
      FSorted.emplace_back(n, int32_t(i));
  }
  std::stable_sort(FSorted.begin(), FSorted.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
}

int TvxSHXFont::FindRecord(uint32_t code) const {
  if (code == 0) return -1;
  if (FKind == cnstSHXShapes && code <= 255) return FixedTable[code - 1];
  auto it = std::lower_bound(FSorted.begin(), FSorted.end(), code,
                             [](const auto& e, uint32_t c) { return e.first < c; });
  return it != FSorted.end() && it->first == code ? it->second : -1;
}

bool TvxSHXFont::ReadDefinition(const TvxSHXRecord& r, std::vector<uint8_t>& out) {
  out.resize(r.DefBytes);
  if (FSource && FSource->Read(r.BytesPos, out.size(), out.data())) return true;
  out.clear();
  return false;
}

void TvxSHXFont::ReadName(TvxSHXRecord& r) {
  if (r.NameRead) return;
  r.NameRead = true;
  std::vector<uint8_t> def;
  if (!ReadDefinition(r, def)) return;
  size_t nul = 0;
  while (nul < def.size() && def[nul] != 0) ++nul;
  r.ShapeName = Upper(std::string(reinterpret_cast<const char*>(def.data()), nul));
}

TvxSHXProgramContext TvxSHXFont::Context() {
  TvxSHXProgramContext c;
  c.Unicode = FKind == cnstSHXUnicode;
  c.ExtendedBig = FKind == cnstSHXBigFont && FExtndBig;
  c.CharWidth = FCharWidth;
  c.CharHeight = FCharHeight;
  c.Subshape = [this](uint32_t number, std::vector<uint8_t>& def) {
    const int i = FindRecord(number);
    return i >= 0 && ReadDefinition(FShapes[size_t(i)], def);
  };
  return c;
}

TvxSHXProgramResult TvxSHXFont::RunProgram(uint32_t code, bool vertical) {
  std::lock_guard<std::mutex> guard(FLock);
  TvxSHXProgramResult run;
  const int i = FindRecord(code);
  std::vector<uint8_t> def;
  if (i < 0 || !ReadDefinition(FShapes[size_t(i)], def)) {
    run.Failed = true;
    return run;
  }
  return RunShapeProgram(def, vertical, Context());
}

const TvxGlyph* TvxSHXFont::GlyphByCode(uint32_t code, bool vertical) {
  std::lock_guard<std::mutex> guard(FLock);
  const int i = FindRecord(code);
  if (i < 0) return nullptr;
  TvxSHXRecord& r = FShapes[size_t(i)];
  std::unique_ptr<TvxGlyph>& slot = vertical ? r.ShapePolyVert : r.ShapePoly;
  if (slot) return slot.get();
  std::vector<uint8_t> def;
  if (!ReadDefinition(r, def)) return nullptr;
  ++FProgramRuns;
  // A glyph whose program fails is kept empty: it draws nothing and is not run again.
  slot = std::make_unique<TvxGlyph>(GlyphOfProgram(RunShapeProgram(def, vertical, Context())));
  return slot.get();
}

bool TvxSHXFont::InEscapeRange(uint32_t leadByte) const {
  for (const auto& [lo, hi] : FRanges)
    if (leadByte >= lo && leadByte <= hi) return true;
  return false;
}

uint32_t TvxSHXFont::BigFontCode(char32_t ch) const {
  if (FCodePage <= 0) return ch <= 0xFFFF ? uint32_t(ch) : 0;
  if (ch < 0x80) return uint32_t(ch);
  const std::string b = CharToCodePage(ch, FCodePage);
  if (b.empty()) return 0;
  const uint32_t lead = static_cast<unsigned char>(b[0]);
  if (b.size() == 2 && InEscapeRange(lead)) return lead << 8 | static_cast<unsigned char>(b[1]);
  return lead;
}

uint32_t TvxSHXFont::CodeOfChar(char32_t ch) const {
  switch (FKind) {
    case cnstSHXUnicode:
      return ch <= 0xFFFF ? uint32_t(ch) : 0;
    case cnstSHXBigFont:
      return BigFontCode(ch);
    case cnstSHXShapes: {
      if (ch < 0x80 || FCodePage <= 0) return ch <= 0xFF ? uint32_t(ch) : 0;
      const std::string b = CharToCodePage(ch, FCodePage);
      return b.size() == 1 ? static_cast<unsigned char>(b[0]) : 0;
    }
    default:
      return 0;
  }
}

const TvxGlyph* TvxSHXFont::Glyph(char32_t ch, bool vertical) {
  if (const uint32_t code = CodeOfChar(ch); code != 0)
    if (const TvxGlyph* g = GlyphByCode(code, vertical)) return g;
  // Text fonts of the old single-byte kind keep degree, plus-minus and diameter at 127..129.
  if (FKind == cnstSHXShapes && !FIsShape) {
    switch (ch) {
      case U'\u00B0': return GlyphByCode(127, vertical);
      case U'\u00B1': return GlyphByCode(128, vertical);
      case U'\u2205':
      case U'\u2300': return GlyphByCode(129, vertical);
      default: break;
    }
  }
  return nullptr;
}

int TvxSHXFont::ShapeNumber(std::string_view name) {
  std::lock_guard<std::mutex> guard(FLock);
  if (!FNamesIndexed) {
    FNamesIndexed = true;
    for (TvxSHXRecord& r : FShapes) {
      ReadName(r);
      if (r.ShapeNumber != 0 && !r.ShapeName.empty()) FNames.emplace(r.ShapeName, r.ShapeNumber);
    }
  }
  auto it = FNames.find(Upper(std::string(name)));
  return it == FNames.end() ? -1 : it->second;
}

}  // namespace vx::shx
