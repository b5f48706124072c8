// vxNames: the one case-insensitive name comparison of the drawing database.
//
// Every lookup, name index and duplicate test compares names through these functions, so that
// a name found by one lookup is found by all. Names are UTF-8; the fold is an ASCII case fold
// applied byte by byte, so multi-byte characters pass through unchanged.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vx {

inline char FoldNameChar(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

// The folded (upper-case) form of a name.
inline std::string FoldName(std::string_view s) {
  std::string r(s);
  for (char& c : r) c = FoldNameChar(c);
  return r;
}

// Three-way comparison of folded names: <0, 0 or >0. Bytes compare as unsigned.
inline int CompareNames(std::string_view a, std::string_view b) {
  const size_t n = a.size() < b.size() ? a.size() : b.size();
  for (size_t i = 0; i < n; ++i) {
    const auto ca = static_cast<unsigned char>(FoldNameChar(a[i]));
    const auto cb = static_cast<unsigned char>(FoldNameChar(b[i]));
    if (ca != cb) return ca < cb ? -1 : 1;
  }
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

inline bool SameName(std::string_view a, std::string_view b) {
  return a.size() == b.size() && CompareNames(a, b) == 0;
}

inline bool NameLess(std::string_view a, std::string_view b) { return CompareNames(a, b) < 0; }

// Upper-cases a name with the same fold (used where names are stored upper-case).
inline std::string UpperName(std::string_view s) { return FoldName(s); }

}  // namespace vx
