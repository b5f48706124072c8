// Writes small SHX files of each kind for the tests: shape files and text fonts (kind 0), big
// fonts (kind 1, plain or extended) and Unicode fonts (kind 2). Shapes are given as their number,
// name and program bytes; the writer adds the name's zero and the index.
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

namespace vx::test {

struct TSHXShape {
  uint32_t Number = 0;
  std::string Name;
  std::vector<uint8_t> Program;  // without the name
};

// The font-information record: name, then above, below, modes (and, for Unicode fonts,
// encoding and embedding), or for an extended big font height, 0, modes, width, 0.
struct TSHXInfo {
  std::string Name = "test";
  uint8_t Above = 8, Below = 2, Modes = 0;
};

namespace detail {
inline void U16(std::string& s, uint32_t v) {
  s += char(v & 0xFF);
  s += char((v >> 8) & 0xFF);
}
inline void U32(std::string& s, uint32_t v) {
  U16(s, v & 0xFFFF);
  U16(s, v >> 16);
}
inline std::string Def(const TSHXShape& sh) {
  std::string d = sh.Name;
  d += '\0';
  d.append(sh.Program.begin(), sh.Program.end());
  return d;
}
inline TSHXShape InfoShape(const TSHXInfo& info, std::vector<uint8_t> tail) {
  return {0, info.Name, std::move(tail)};
}
}  // namespace detail

// Kind 0; with info a text font (record 0 first), without it a shape file.
inline std::string SHXShapeFile(const std::vector<TSHXShape>& shapes, const TSHXInfo* info = nullptr) {
  std::vector<TSHXShape> all;
  if (info) all.push_back(detail::InfoShape(*info, {info->Above, info->Below, info->Modes, 0}));
  all.insert(all.end(), shapes.begin(), shapes.end());
  std::string s = "AutoCAD-86 shapes 1.1\r\n\x1a";
  detail::U16(s, 1);
  detail::U16(s, 255);
  detail::U16(s, uint32_t(all.size()));
  for (const TSHXShape& sh : all) {
    detail::U16(s, sh.Number);
    detail::U16(s, uint32_t(detail::Def(sh).size()));
  }
  for (const TSHXShape& sh : all) s += detail::Def(sh);
  return s;
}

// Kind 1 with escape ranges of lead bytes. extended: the font-information record of an
// extended big font (character height info.Above, width charWidth).
inline std::string SHXBigFont(const std::vector<TSHXShape>& shapes,
                              const std::vector<std::pair<uint16_t, uint16_t>>& ranges,
                              const TSHXInfo& info, bool extended = false, uint8_t charWidth = 0) {
  std::vector<TSHXShape> all;
  if (extended)
    all.push_back(detail::InfoShape(info, {info.Above, 0, info.Modes, charWidth, 0}));
  else
    all.push_back(detail::InfoShape(info, {info.Above, info.Below, info.Modes, 0}));
  all.insert(all.end(), shapes.begin(), shapes.end());
  std::string s = "AutoCAD-86 bigfont 1.0\r\n\x1a";
  detail::U16(s, uint32_t(all.size()));
  detail::U16(s, uint32_t(all.size()));
  detail::U16(s, uint32_t(ranges.size()));
  for (const auto& [a, b] : ranges) {
    detail::U16(s, a);
    detail::U16(s, b);
  }
  uint32_t offset = uint32_t(s.size() + all.size() * 8);
  for (const TSHXShape& sh : all) {
    const uint32_t n = uint32_t(detail::Def(sh).size());
    detail::U16(s, sh.Number);
    detail::U16(s, n);
    detail::U32(s, offset);
    offset += n;
  }
  for (const TSHXShape& sh : all) s += detail::Def(sh);
  return s;
}

// Kind 2.
inline std::string SHXUnicodeFont(const std::vector<TSHXShape>& shapes, const TSHXInfo& info) {
  std::string s = "AutoCAD-86 unifont 1.0\r\n\x1a";
  detail::U16(s, uint32_t(shapes.size() + 1));
  const std::string infoDef = detail::Def(detail::InfoShape(info, {info.Above, info.Below, info.Modes, 0, 0, 0}));
  detail::U16(s, 0);
  detail::U16(s, uint32_t(infoDef.size()));
  s += infoDef;
  for (const TSHXShape& sh : shapes) {
    const std::string d = detail::Def(sh);
    detail::U16(s, sh.Number);
    detail::U16(s, uint32_t(d.size()));
    s += d;
  }
  return s;
}

inline void WriteFile(const std::filesystem::path& p, const std::string& bytes) {
  std::filesystem::create_directories(p.parent_path());
  std::ofstream(p, std::ios::binary) << bytes;
}

inline std::string ReadFile(const std::filesystem::path& p) {
  std::ifstream f(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

}  // namespace vx::test
