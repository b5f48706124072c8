// vxDWGPaged: the paged layouts of DWG 2004 and later, flattened into one image laid out like an
// R2000 file.
//
//  - The flattened image: an 88-byte header area (the version magic, then 9-byte locator records
//    at offset 25: number, start, size) followed by the bodies of the kept sections in locator
//    order. Absent or empty sections get offset 0 and size 0.
//  - FlattenDWG2004: 2004, 2010 and 2013 files (enciphered header block, page map and section map
//    in checksummed system pages, LZ77-compressed data pages). Each data page takes its slot of
//    the section (page index x maximum page size), so a page that fails leaves its slot zero-filled
//    and no later page moves.
//  - FlattenDWG2007 (vxDWG2007.h): 2007 files.
// Structural errors of the header block and the two maps raise EdwgError "DWG file header is
// corrupted"; a section whose pages cannot be read is dropped and the others are kept.
#pragma once

#include "database/core/DXFConvHeader.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vx {

constexpr int cnstDWGLocatorCount = 7;
constexpr size_t cnstFlatHeaderSize = 88;
constexpr size_t cnstFlatLocatorOffset = 25;

// Locator number of a section name (case-insensitive), -1 for sections that are not kept.
int DWGSectionLocator(std::string_view name);
const char* DWGSectionName(int locator);

// The kept sections of a paged file on their way into the flattened image.
struct TdwgSectionBodies {
  std::array<std::vector<uint8_t>, cnstDWGLocatorCount> Body;
  std::array<bool, cnstDWGLocatorCount> Present{};
};

struct TdwgFlattened {
  std::vector<uint8_t> Image;
  int LocatorCount = 6;  // 7 when the data-segment section is present
  // Sections that failed while their pages were read (for diagnostics).
  std::vector<std::string> DroppedSections;
  // Bytes the Reed-Solomon decoder corrected (2007 files), and data pages that failed.
  size_t CorrectedBytes = 0;
  size_t FailedPages = 0;
};

// Writes the image: header area with the magic and the locators, then the bodies.
TdwgFlattened BuildFlatImage(const char* magic, const TdwgSectionBodies& bodies);

// 2004, 2010 and 2013 files.
TdwgFlattened FlattenDWG2004(const uint8_t* file, size_t size, TvxDWGVersion version);

// The Adler-style checksum of system pages (zlib's adler32 from a seed).
uint32_t DWGPageChecksum(uint32_t seed, const uint8_t* data, size_t size);

// Deciphers the 0x6C-byte header block of a 2004+ file in place.
void DecipherDWG2004Header(uint8_t* block, size_t size);

}  // namespace vx
