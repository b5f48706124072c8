// vxRSCoder: the Reed-Solomon decoder of DWG 2007 files.
//
// 255-byte blocks over GF(2^8); byte j of a block is the coefficient of x^j, the first DSize bytes
// are data and the last 2t parity. Decode computes the 2t syndromes at alpha^1..alpha^2t, finds
// the error locator with Berlekamp-Massey, its roots by Chien search and the error values by
// Forney's formula, and corrects the block in place. Two coders serve the format: t = 8 (239 data
// bytes, primitive polynomial x^8+x^6+x^5+x^3+1) for the file header and the system pages, t = 2
// (251 data bytes, x^8+x^4+x^3+x^2+1) for data pages.
#pragma once

#include "readers/dwg/stream/vxDWGErrors.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace vx {

class TvxRSCoder {
 public:
  TvxRSCoder() = default;
  // The primitive polynomial as eight coefficient bytes for x^0..x^7 (1 present); 2^m must be
  // 256 ("Block size error"); t at most 8 ("The number of errors cannot be more than 8").
  void Init(const uint8_t (&primitive)[8], int t, int m);

  // Corrects a 255-byte block in place: the number of corrected bytes, or -1 when the block
  // cannot be corrected.
  int Decode(uint8_t* block) const;

  unsigned DSize() const { return FDSize; }
  int Errors() const { return FErr; }
  // Generator coefficients in exponent form, constant term first, as the format lists them.
  const std::vector<int>& GeneratorPoly() const { return FGPoly; }
  // Field arithmetic, for the tests' encoder.
  uint8_t Alpha(int power) const { return uint8_t(FAlfaTo[((power % 255) + 255) % 255]); }
  uint8_t Mul(uint8_t a, uint8_t b) const;

 private:
  std::array<int, 256> FAlfaTo{};
  unsigned FBlockSize = 255;
  unsigned FDSize = 0;
  int FErr = 0;
  std::vector<int> FGPoly;
  std::array<int, 256> FIndexOf{};
  int FPSize = 0;
  // Multiplication by alpha^i for the syndromes (row i - 1): one lookup per byte of a block.
  std::vector<std::array<uint8_t, 256>> FTimesRoot;
};

// The two coders of the format, built once.
const TvxRSCoder& DWGHeaderCoder();  // t = 8
const TvxRSCoder& DWGPageCoder();    // t = 2

// De-interleaves blocks bytes of stride from in (block k takes bytes k, k + stride, ...; missing
// bytes are 0), corrects each with the coder and appends up to wanted data bytes. Raises
// EvxRSCoderError "RS decoder error. DWG file is corrupted!" for a block that cannot be corrected.
// corrected (when given) grows by the number of bytes the coder corrected.
std::vector<uint8_t> DWGDecodeInterleaved(const TvxRSCoder& coder, const uint8_t* in, size_t size,
                                          size_t blocks, size_t wanted, size_t* corrected = nullptr);

}  // namespace vx
