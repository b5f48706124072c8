// vxDWGErrors: the exceptions of the DWG readers and their messages.
//
// Every exception class carries its own name, because the object loader reports the first object
// that failed as "<class>: Entity handle = $<hex>." once the drawing is loaded.
#pragma once

#include <stdexcept>
#include <string>

namespace vx {

class EdwgBaseError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
  virtual const char* ClassName() const = 0;
};

#define VX_DWG_ERROR(T)                                      \
  class T : public EdwgBaseError {                           \
   public:                                                   \
    using EdwgBaseError::EdwgBaseError;                      \
    const char* ClassName() const override { return #T; }    \
  };

// Structural errors of a file (versions, locators, the paged layouts).
VX_DWG_ERROR(EdwgError)
// The bit reader class (sentinels, CRCs, reads without a buffer).
VX_DWG_ERROR(EDWGBitsError)
// A bit cursor went past its object or section.
VX_DWG_ERROR(EdwgReadError)
// The page decompressors.
VX_DWG_ERROR(TvxDWGCompressorError)
// The Reed-Solomon decoder of 2007 files.
VX_DWG_ERROR(EvxRSCoderError)
// The data-segment file of 2013 drawings.
VX_DWG_ERROR(TvxDataSegFileError)

#undef VX_DWG_ERROR

inline constexpr const char* cnstDWGHeaderCorrupted = "DWG file header is corrupted";
inline constexpr const char* cnstDWGDecompressError =
    "Unexpected error has occurred while DWG file decompressing";
inline constexpr const char* cnstDWGEncrypted = "Encrypted by password";
inline constexpr const char* cnstDWG2007HeaderError = "Error in DWG 2007 header";
inline constexpr const char* cnstRSDecoderError = "RS decoder error. DWG file is corrupted!";
inline constexpr const char* cnstCRCMismatch = "CRC does not match";
inline constexpr const char* cnstDataSegNotInitialized = "Data segment file in not initialized";
inline constexpr const char* cnstSegmentIndexInvalid = "Segment index is invalid";

}  // namespace vx
