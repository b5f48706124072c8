// vxSHXFont: one compiled SHX file as a face of the font interface.
//
// Three kinds are read: shape files and text fonts ("AutoCAD-86 shapes 1.0/1.1", kind 0; a text
// font has the font-information record number 0, a shape file has not), big fonts for double-byte
// text ("AutoCAD-86 bigfont 1.0", kind 1, with escape ranges of lead bytes) and Unicode fonts
// ("AutoCAD-86 unifont 1.0", kind 2). Load reads the header, the record index and the
// font-information record; a definition is read when its glyph is first asked for, run once per
// direction and kept as a flattened glyph. Every read is bounded by the file: an index or a
// definition that runs past its end is cut where the file ends, a damaged file gives a partial
// font or none (kind 3), never a read outside the data.
//
// Characters map to shape codes by kind: text fonts through their code page (ASCII as it is),
// big fonts through theirs with the escape ranges deciding one or two bytes, Unicode fonts by the
// character itself. Glyph() and GlyphByCode() may be called from several threads.
#pragma once

#include "database/text/vxFontInterface.h"
#include "text/shx/vxSHXProgram.h"

#include <array>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

namespace vx::shx {

// FKind values.
constexpr uint8_t cnstSHXShapes = 0, cnstSHXBigFont = 1, cnstSHXUnicode = 2, cnstSHXNone = 3;

// Where a font's bytes come from: its file (read on demand) or a buffer.
class TvxSHXSource {
 public:
  virtual ~TvxSHXSource() = default;
  virtual uint64_t Size() const = 0;
  // Reads [pos, pos + n); false (and nothing read) when that is not inside the data.
  virtual bool Read(uint64_t pos, size_t n, uint8_t* out) = 0;
};

// One shape.
struct TvxSHXRecord {
  uint16_t ShapeNumber = 0;
  uint16_t DefBytes = 0;
  uint64_t BytesPos = 0;
  std::string ShapeName;  // upper-cased; read at load for shape files, on demand otherwise
  bool NameRead = false;
  // The glyph caches for horizontal and vertical text.
  std::unique_ptr<TvxGlyph> ShapePoly, ShapePolyVert;
};

// The code page of a big font known by its file name (932, 950, 936, 949), else 0.
int KnownBigFontCodePage(std::string_view fileName);

class TvxSHXFont : public TvxFontFace {
 public:
  explicit TvxSHXFont(std::string name);
  ~TvxSHXFont() override;

  // Reads the file FName; false (kind 3) when it is missing, unreadable or not an SHX file.
  bool Load();
  // The same over bytes in memory (tests, fuzzing).
  bool LoadFromBytes(std::string bytes);

  // The font interface.
  TvxFontKind Kind() const override;
  std::string FileName() const override { return FName; }
  double Above() const override { return FAbove; }
  double Below() const override { return FBelow; }
  double Koef() const override { return 0; }
  bool HasVertical() const override { return FModes == 2; }
  const TvxGlyph* Glyph(char32_t ch, bool vertical = false) override;
  const TvxGlyph* GlyphByCode(uint32_t code, bool vertical = false) override;
  int ShapeNumber(std::string_view name) override;

  uint8_t FKind = cnstSHXNone;
  bool FIsShape = false;
  bool FExtndBig = false;
  uint8_t FModes = 0;
  uint8_t FEncoding = 0, FEmbtype = 0;
  uint8_t FCharHeight = 0, FCharWidth = 0;
  int FCodePage = 0;
  double FAbove = 0, FBelow = 0;
  uint16_t FNumChars = 0;
  std::string FFontName;  // the name in the font-information record

  // The shape code a character maps to (0: none).
  uint32_t CodeOfChar(char32_t ch) const;
  // The big-font code of a character: converted to the font's code page, two bytes when the
  // first lies in an escape range; 0 when it does not convert.
  uint32_t BigFontCode(char32_t ch) const;
  bool InEscapeRange(uint32_t leadByte) const;
  bool HasSymbol(uint32_t code) const { return FindRecord(code) >= 0; }
  int GetCodePage() const { return FCodePage; }
  double GetAbove() const { return FAbove; }
  // Overrides the code page (a font registered with one).
  void SetCodePage(int codePage) { FCodePage = codePage; }

  // Runs the program of a code without caching (tests look at the vertices).
  TvxSHXProgramResult RunProgram(uint32_t code, bool vertical);
  // How many programs ran for the cache so far.
  size_t ProgramRuns() const { return FProgramRuns; }
  const std::vector<TvxSHXRecord>& Records() const { return FShapes; }
  const std::vector<std::pair<uint16_t, uint16_t>>& EscapeRanges() const { return FRanges; }

 private:
  bool LoadSource();
  bool LoadShapes(const uint8_t* head, size_t headSize);
  bool LoadBigFont();
  bool LoadUnicode();
  // Index of the record of a code, or -1.
  int FindRecord(uint32_t code) const;
  void IndexRecords();
  bool ReadDefinition(const TvxSHXRecord& r, std::vector<uint8_t>& out);
  void ReadName(TvxSHXRecord& r);
  // Name and metrics of the font-information record.
  void ReadFontInfo(const std::vector<uint8_t>& def);
  TvxSHXProgramContext Context();

  std::string FName;
  std::unique_ptr<TvxSHXSource> FSource;
  std::vector<TvxSHXRecord> FShapes;
  // Kind 0: record index of shape numbers 1..255 (-1 none); wider than a byte, since a font may
  // hold more than 255 records.
  std::array<int32_t, 255> FixedTable{};
  // Kinds 1 and 2, and kind-0 numbers above 255: (number, record index) sorted by number.
  std::vector<std::pair<uint32_t, int32_t>> FSorted;
  std::vector<std::pair<uint16_t, uint16_t>> FRanges;
  std::unordered_map<std::string, int> FNames;
  bool FNamesIndexed = false;
  size_t FProgramRuns = 0;
  std::mutex FLock;
};

}  // namespace vx::shx
