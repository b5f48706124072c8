// vxDXFImport: loading a DXF file (text or binary) into a drawing.
//
//  - LoadDXF: reads a file held in memory into a TvxDXFConverter and runs the steps after reading
//    (default table entries, space blocks and layouts, link resolution, the whole-drawing load,
//    draw-order sorting). A structural error raises EdxfReadError with the line-number message;
//    the drawing then keeps what was read, with every reference resolved, so it stays usable.
//  - TvxDXFLoader: the Qt-free loading part of the DXF image: owns a drawing (by reference), loads it
//    from a stream, a file or a buffer, and keeps the file information (the last 999 comment).
#pragma once

#include "database/core/DXFConv.h"
#include "readers/dxf/DXF.h"

#include <iosfwd>
#include <string>

namespace vx {

struct TvxDXFLoadResult {
  std::string FileInfo;     // the last 999 comment, upper-cased
  std::string VersionText;  // the "$ACADVER" text as written; empty when the file has none
  double ReadMs = 0;        // tokenizing and the record readers
  double LoadMs = 0;        // the steps after reading: links, geometry, extents, sorting
  uint64_t Records = 0;     // records read
  uint64_t Dropped = 0;     // records whose item was refused by its owner
  bool Binary = false;
};

// Reads the file in source into conv (which is cleared first). Raises EdxfReadError; result is
// filled on both paths.
void LoadDXF(TvxDXFConverter* conv, const TdxfSource& source, TvxDXFLoadResult& result);
inline TvxDXFLoadResult LoadDXF(TvxDXFConverter* conv, const TdxfSource& source) {
  TvxDXFLoadResult result;
  LoadDXF(conv, source, result);
  return result;
}

// Registers the DXF reader for external references ("dxf"). Runs once by itself when this unit
// is linked; calling it again does no harm.
void RegisterDXFFormat();

class TvxDXFLoader {
 public:
  TvxDXFLoader();
  ~TvxDXFLoader();
  TvxDXFLoader(const TvxDXFLoader&) = delete;
  TvxDXFLoader& operator=(const TvxDXFLoader&) = delete;

  // Each raises EdxfReadError on a read error (the drawing keeps what was read) and
  // std::runtime_error when the file cannot be opened.
  void LoadFromStream(std::istream& stream);
  void LoadFromFile(const std::string& fileName);
  void LoadFromBuffer(const void* data, size_t size);

  TvxDXFConverter* Converter() const { return FConverter; }
  const std::string& FileInfo() const { return FFileInfo; }
  const std::string& Message() const { return FMessage; }
  const TvxDXFLoadResult& LastLoad() const { return FLastLoad; }
  TFRect Extents() const;

  // The image loading on this thread, nil when none.
  static TvxDXFLoader* LoadingImage();

 private:
  void Load(const TdxfSource& source);

  TvxDXFConverter* FConverter;  // one reference
  std::string FFileInfo;
  std::string FMessage;
  TvxDXFLoadResult FLastLoad;
};

}  // namespace vx
