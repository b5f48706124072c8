// DWG: loading a DWG file into a drawing.
//
//  - LoadDWG: reads a file held in memory into a TvxDXFConverter and runs the steps after reading
//    (default table entries, layouts, link resolution, the whole-drawing load, draw-order
//    sorting). An empty file gives an empty drawing. Versions this library does not read raise
//    EdwgError ("Unsupported old DWG version ID: ...", "Unsupported new DWG version ID: ...");
//    structural faults of the file raise the errors of the section readers; an object that fails
//    to decode is dropped, and once the drawing is complete the first such failure is raised as
//    EdwgError "<class>: Entity handle = $<hex>.".
//  - TvxDWGLoader: the Qt-free loading part of the DWG image.
//  - RegisterDWGFormat: the DWG reader for external references ("dwg").
#pragma once

#include "database/core/DXFConv.h"
#include "readers/dwg/vxDWGReader.h"

#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

namespace vx {

struct TvxDWGLoadResult {
  bool Empty = true;          // nothing was read (an empty file)
  TvxDWGVersion Version = acR2000;
  std::string VersionText;    // the six characters of the file's start
  bool Millimetres = false;   // the header's measurement is metric
  double ReadMs = 0;          // sections and objects
  double LoadMs = 0;          // the steps after reading
  TdwgLoadStats Stats;
  size_t CorrectedBytes = 0;  // by the Reed-Solomon decoder (2007)
  size_t FailedPages = 0;
};

// Reads file into conv (cleared first). The converter keeps the in-memory image as its source.
void LoadDWG(TvxDXFConverter* conv, std::vector<uint8_t> file, TvxDWGLoadResult& result);
inline TvxDWGLoadResult LoadDWG(TvxDXFConverter* conv, std::vector<uint8_t> file) {
  TvxDWGLoadResult result;
  LoadDWG(conv, std::move(file), result);
  return result;
}

// The rest of a stream, read in one piece when the stream can seek.
std::vector<uint8_t> ReadDWGStream(std::istream& stream);

// Whether the bytes start like a DWG file of any release ("AC1" or "AC2." followed by digits).
bool LooksLikeDWG(const uint8_t* data, size_t size);

void RegisterDWGFormat();

class TvxDWGLoader {
 public:
  TvxDWGLoader();
  ~TvxDWGLoader();
  TvxDWGLoader(const TvxDWGLoader&) = delete;
  TvxDWGLoader& operator=(const TvxDWGLoader&) = delete;

  void LoadFromStream(std::istream& stream);
  void LoadFromFile(const std::string& fileName);
  void LoadFromBuffer(const void* data, size_t size);

  TvxDXFConverter* Converter() const { return FConverter; }
  const TvxDWGLoadResult& LastLoad() const { return FLastLoad; }

 private:
  TvxDXFConverter* FConverter;  // one reference
  TvxDWGLoadResult FLastLoad;
};

}  // namespace vx
