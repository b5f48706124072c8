// vxProxyGraphics: the graphic image of proxy entities turned into database entities.
//
//  - TvxProxyDataReader: the little-endian reader the decoder reads through (doubles, integers,
//    characters, bytes, a mark to return to, skips, position and size). Reads never leave the
//    stream: a short read marks the reader failed and returns 0. TDXFProxyReader reads the bytes
//    of the 310 chunks of a DXF record; the DWG reader implements the same interface over an
//    object's bit stream.
//  - TvxProxyProps: the properties in force for one produced entity (layer, line-type and
//    colour indexes, line weight, marker, line-type scale, plot style, the font of a text).
//  - ReadProxyGraphics: decodes the command stream into entities (lines, 3D polylines, meshes,
//    polyface meshes, filled poly-polygons, texts) and their property records, index for index.
//
// The stream is not trusted: a command whose size is below 8 or runs past the data ends the
// decoding; every count inside a command is checked against the command's bytes before anything
// is allocated; strings end at their command; a circle or arc whose plane or radius cannot be
// computed (zero normal, collinear points, non-finite values) is dropped.
#pragma once

#include "database/core/DXFConv.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vx {

class TvxProxyDataReader {
 public:
  virtual ~TvxProxyDataReader() = default;
  virtual double ReadDouble() = 0;
  virtual int32_t ReadInt32() = 0;
  virtual uint16_t ReadUInt16() = 0;
  virtual char16_t ReadChar16() = 0;
  virtual uint8_t ReadByte() = 0;
  virtual int64_t ReadInt64() = 0;
  // Appends n bytes to out (fewer when the data ends; the reader is then failed).
  virtual void ReadBytes(size_t n, std::string& out) = 0;
  virtual void Mark() = 0;
  virtual void ReturnToMark() = 0;
  virtual void Skip(size_t n) = 0;
  // Byte position from the start of the stream and the stream's size in bytes.
  virtual size_t Position() const = 0;
  virtual size_t Size() const = 0;
  virtual bool Failed() const = 0;
  // Bytes up to and including a NUL, then padding to the next multiple of 4 counted from the
  // string's start; never reads past limit (a position), which also ends an unterminated string.
  std::string ReadPaddedString(size_t limit);
};

// Over bytes in memory (the decoded 310 chunks); the bytes must outlive the reader.
class TDXFProxyReader : public TvxProxyDataReader {
 public:
  explicit TDXFProxyReader(std::string_view data, int version = 0) : FData(data), FVersion(version) {}
  double ReadDouble() override;
  int32_t ReadInt32() override;
  uint16_t ReadUInt16() override;
  char16_t ReadChar16() override { return static_cast<char16_t>(ReadUInt16()); }
  uint8_t ReadByte() override;
  int64_t ReadInt64() override;
  void ReadBytes(size_t n, std::string& out) override;
  void Mark() override { FMark = FPos; }
  void ReturnToMark() override { FPos = FMark; }
  void Skip(size_t n) override;
  size_t Position() const override { return FPos; }
  size_t Size() const override { return FData.size(); }
  bool Failed() const override { return FFailed; }
  int Version() const { return FVersion; }

 private:
  // True (and the position moved) when n bytes remain; else the reader fails.
  bool Take(size_t n, const char*& at);

  std::string_view FData;
  size_t FPos = 0;
  size_t FMark = 0;
  bool FFailed = false;
  int FVersion;
};

// The properties a proxy gives each produced entity (indexes into the drawing's tables; -1 and
// -2 are by layer and by block where the writer meant them so).
struct TvxProxyProps {
  int32_t Layer = -1;
  int32_t LineType = -1;
  int32_t Color = -1;
  int32_t LineWeight = -2;
  int32_t Marker = 0;
  double LineTypeScale = 0;
  int32_t PlotStyle[2] = {0, 0};
  // The font file a text names (texts only).
  std::string FontName;
};

struct TvxProxyOptions {
  int CodePage = 1252;        // of 8-bit texts
  int CircleSegments = 48;    // N of circles and arcs
};

// The options of a drawing: its code page and circle segment count.
TvxProxyOptions ProxyOptionsOf(const TvxDXFConverter* conv);

// Model transforms pushed at most this deep; further pushes are ignored (their pops too).
constexpr int cnstMaxProxyTransforms = 256;

// Decodes the stream from the reader's position; appends the entities (owned by the caller) and,
// at the same index, their property records. Never throws for the content of the stream.
void ReadProxyGraphics(TvxProxyDataReader& reader, const TvxProxyOptions& options,
                       std::vector<TvxEntityPtr<>>& entities, std::vector<TvxProxyProps>& props);

// Hexadecimal text of a 310 chunk appended as bytes; false (nothing appended past the first bad
// digit) when the text is not hexadecimal.
bool AppendHexChunk(std::string_view hex, std::string& out);

// The text style a decoded text takes: the style whose primary font is the text's font, with or
// without folder and extension; nil when none (the caller then uses "STANDARD").
TvxDXFStyle* ProxyTextStyle(TvxDXFConverter* conv, const std::string& font);

}  // namespace vx
