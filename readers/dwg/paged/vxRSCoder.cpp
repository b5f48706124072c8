// The Reed-Solomon decoder: syndromes, Berlekamp-Massey, Chien search, Forney.
#include "readers/dwg/paged/vxRSCoder.h"

#include <algorithm>
#include <string>

namespace vx {

uint8_t TvxRSCoder::Mul(uint8_t a, uint8_t b) const {
  if (a == 0 || b == 0) return 0;
  return uint8_t(FAlfaTo[(FIndexOf[a] + FIndexOf[b]) % 255]);
}

void TvxRSCoder::Init(const uint8_t (&primitive)[8], int t, int m) {
  if (m != 8) throw EvxRSCoderError("Block size error");
  if (t > 8 || t < 1) throw EvxRSCoderError("The number of errors cannot be more than " + std::to_string(8));
  FErr = t;
  FPSize = 2 * t;
  FDSize = FBlockSize - unsigned(FPSize);
  // alpha^i by repeated multiplication with x modulo the primitive polynomial.
  int poly = 0x100;
  for (int i = 0; i < 8; ++i)
    if (primitive[i]) poly |= 1 << i;
  int v = 1;
  FIndexOf.fill(-1);
  for (int i = 0; i < 255; ++i) {
    FAlfaTo[i] = v;
    FIndexOf[v] = i;
    v <<= 1;
    if (v & 0x100) v ^= poly;
  }
  FAlfaTo[255] = 0;
  // g(x) = (x - alpha^1) ... (x - alpha^2t), kept in exponent form, constant term first.
  std::vector<uint8_t> g{1};
  for (int i = 1; i <= FPSize; ++i) {
    std::vector<uint8_t> next(g.size() + 1, 0);
    const uint8_t root = Alpha(i);
    for (size_t k = 0; k < g.size(); ++k) {
      next[k + 1] ^= g[k];
      next[k] ^= Mul(g[k], root);
    }
    g = std::move(next);
  }
  FGPoly.clear();
  for (uint8_t c : g) FGPoly.push_back(FIndexOf[c]);
  FTimesRoot.assign(size_t(FPSize), {});
  for (int i = 1; i <= FPSize; ++i)
    for (int v = 0; v < 256; ++v) FTimesRoot[size_t(i - 1)][size_t(v)] = Mul(uint8_t(v), Alpha(i));
}

int TvxRSCoder::Decode(uint8_t* r) const {
  const int n2t = FPSize;
  uint8_t s[17] = {};  // s[i]: the syndrome at alpha^i
  bool clean = true;
  for (int i = 1; i <= n2t; ++i) {
    const std::array<uint8_t, 256>& times = FTimesRoot[size_t(i - 1)];
    uint8_t acc = 0;
    for (int j = int(FBlockSize) - 1; j >= 0; --j) acc = uint8_t(times[acc] ^ r[j]);
    s[i] = acc;
    clean = clean && acc == 0;
  }
  if (clean) return 0;

  // Berlekamp-Massey: the error locator lambda (lambda[0] = 1).
  uint8_t lambda[18] = {1}, prev[18] = {1}, tmp[18];
  int l = 0, shift = 1;
  uint8_t prevDisc = 1;
  for (int k = 0; k < n2t; ++k) {
    uint8_t d = s[k + 1];
    for (int i = 1; i <= l; ++i) d ^= Mul(lambda[i], s[k + 1 - i]);
    if (d == 0) {
      ++shift;
      continue;
    }
    const uint8_t coef = uint8_t(FAlfaTo[(FIndexOf[d] - FIndexOf[prevDisc] + 255) % 255]);
    std::copy(lambda, lambda + 18, tmp);
    for (int i = 0; i + shift < 18; ++i) lambda[i + shift] ^= Mul(coef, prev[i]);
    if (2 * l <= k) {
      l = k + 1 - l;
      std::copy(tmp, tmp + 18, prev);
      prevDisc = d;
      shift = 1;
    } else {
      ++shift;
    }
  }
  int degree = 0;
  for (int i = 0; i < 18; ++i)
    if (lambda[i]) degree = i;
  if (degree != l || l > FErr) return -1;

  // Chien search: position j is in error when lambda(alpha^-j) = 0.
  int positions[17];
  int found = 0;
  for (int j = 0; j < int(FBlockSize); ++j) {
    uint8_t acc = 0;
    for (int i = l; i >= 0; --i) acc = uint8_t(Mul(acc, Alpha(-j)) ^ lambda[i]);
    if (acc == 0) {
      if (found == l) return -1;
      positions[found++] = j;
    }
  }
  if (found != l) return -1;

  // Omega(x) = S(x) lambda(x) mod x^2t, with S(x) = s1 + s2 x + ...
  uint8_t omega[16] = {};
  for (int i = 0; i < n2t; ++i)
    for (int k = 0; k <= i && k <= l; ++k) omega[i] ^= Mul(lambda[k], s[i - k + 1]);
  for (int e = 0; e < found; ++e) {
    const int j = positions[e];
    const uint8_t xinv = Alpha(-j);
    uint8_t num = 0, den = 0, pw = 1;
    for (int i = 0; i < n2t; ++i) {
      num ^= Mul(omega[i], pw);
      pw = Mul(pw, xinv);
    }
    // The formal derivative keeps the odd terms: lambda'(x) = lambda1 + lambda3 x^2 + ...
    pw = 1;
    const uint8_t x2 = Mul(xinv, xinv);
    for (int i = 1; i <= l; i += 2) {
      den ^= Mul(lambda[i], pw);
      pw = Mul(pw, x2);
    }
    if (den == 0) return -1;
    if (num) r[j] ^= uint8_t(FAlfaTo[(FIndexOf[num] - FIndexOf[den] + 255) % 255]);
  }
  return found;
}

const TvxRSCoder& DWGHeaderCoder() {
  static const TvxRSCoder coder = [] {
    TvxRSCoder c;
    c.Init({1, 0, 0, 1, 0, 1, 1, 0}, 8, 8);
    return c;
  }();
  return coder;
}

const TvxRSCoder& DWGPageCoder() {
  static const TvxRSCoder coder = [] {
    TvxRSCoder c;
    c.Init({1, 0, 1, 1, 1, 0, 0, 0}, 2, 8);
    return c;
  }();
  return coder;
}

std::vector<uint8_t> DWGDecodeInterleaved(const TvxRSCoder& coder, const uint8_t* in, size_t size,
                                          size_t blocks, size_t wanted, size_t* corrected) {
  std::vector<uint8_t> out;
  out.reserve(std::min(wanted, blocks * coder.DSize()));
  uint8_t block[255];
  for (size_t k = 0; k < blocks && out.size() < wanted; ++k) {
    for (size_t i = 0; i < 255; ++i) {
      const size_t at = k + i * blocks;
      block[i] = at < size ? in[at] : 0;
    }
    const int fixed = coder.Decode(block);
    if (fixed < 0) throw EvxRSCoderError(cnstRSDecoderError);
    if (corrected) *corrected += size_t(fixed);
    const size_t n = std::min<size_t>(coder.DSize(), wanted - out.size());
    out.insert(out.end(), block, block + n);
  }
  return out;
}

}  // namespace vx
