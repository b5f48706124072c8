// vxDWGFile: the file level of DWG R13 and later drawings.
//
//  - DWGVersionOfMagic: the version from the first six bytes, or EdwgError with the system's
//    messages for versions this library does not read.
//  - TdwgFileImage: the in-memory image every later read points into (the file itself for R13 to
//    2000, the flattened image for 2004 and later), the section locators, the drawing's code page,
//    the preview address, and the 2004+ file-header metadata.
#pragma once

#include "database/core/DXFConvHeader.h"
#include "readers/dwg/paged/vxDWGPaged.h"
#include "readers/dwg/stream/vxDWGCursor.h"

#include <cstdint>
#include <string>
#include <vector>

namespace vx {

// Raises EdwgError "Unsupported old DWG version ID: "..."" or "Unsupported new DWG version ID:
// "..."".
TvxDWGVersion DWGVersionOfMagic(const uint8_t* data, size_t size);

struct TdwgLocator {
  uint8_t Number = 0;
  uint32_t Offset = 0;
  uint32_t Size = 0;
};

// The file-header metadata of 2004 and later files.
struct TvxDWGMeatadata {
  uint8_t ReleaseVersion = 6;
  uint32_t PreviewAddress = 0;
  uint8_t OrigFileSavedVer = 0;
  uint8_t OrigFileSavedReleaseVer = 0;
  uint16_t CodePage = 0;
  uint32_t SecurityFlags = 0;
  uint32_t SummaryInfoAddress = 0;
  uint32_t VBAProjectAddress = 0;
};

class TdwgFileImage {
 public:
  // Copies (R13 to 2000) or flattens (2004+) the file and reads the locators. Raises EdwgError
  // "DWG file header is corrupted" for a header that does not fit, "Encrypted by password" for a
  // 2004+ file with security flags, and the errors of the flattening.
  void Open(const uint8_t* data, size_t size, TvxDWGVersion version);
  // The same over a file the image may take over (R13 to 2000 files are read in place).
  void Open(std::vector<uint8_t>&& file, TvxDWGVersion version);

  TvxDWGVersion Version = acR2000;
  std::vector<uint8_t> Image;
  std::vector<TdwgLocator> Locators;
  int CodePage = 0;            // Windows code page of the drawing's texts
  uint32_t PreviewAddress = 0;  // file offset of the preview image (R13 to 2000)
  TvxDWGMeatadata Metadata;
  std::vector<std::string> DroppedSections;
  size_t CorrectedBytes = 0;  // by the Reed-Solomon decoder (2007)
  size_t FailedPages = 0;     // data pages left zero-filled

  // The locator with that record number, nil when absent.
  const TdwgLocator* Find(int number) const;
  // A cursor over a section; EdwgError "DWG file header is corrupted" when it lies outside the
  // image.
  TvxBitCursor Section(const TdwgLocator& loc) const;

 private:
  void Open(const uint8_t* data, size_t size, TvxDWGVersion version, std::vector<uint8_t>& owned);
};

}  // namespace vx
