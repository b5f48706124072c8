// Helpers of the DXF loading tests: DXF text and binary files written from pair lists, loading
// them into a drawing, and the paths of the real files.
#pragma once

#include "database/core/DXFConv.h"
#include "database/entities/vxEntities.h"
#include "database/entities/vxEntPolylines.h"
#include "database/entities/vxEntSplines.h"
#include "readers/dxf/vxDXFImport.h"
#include "readers/dxf/vxDXFTokens.h"

#include "support/vxTestPaths.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace vx::dxftest {

namespace fs = std::filesystem;

using Pairs = std::vector<std::pair<int, std::string>>;

// DXF text with the given line end.
inline std::string DxfText(const Pairs& pairs, const char* eol = "\n") {
  std::string s;
  for (const auto& [code, value] : pairs) {
    s += std::to_string(code) + eol + value + eol;
  }
  return s;
}

// Binary DXF with 2-byte group codes, each value in the layout the reader expects for its code.
inline std::string DxfBinary(const Pairs& pairs) {
  std::string s("AutoCAD Binary DXF\r\n\x1A", 22);
  auto put = [&s](const void* p, size_t n) { s.append(static_cast<const char*>(p), n); };
  for (const auto& [code, value] : pairs) {
    const uint16_t c = static_cast<uint16_t>(code);
    put(&c, 2);
    switch (DXFBinaryLayout(code)) {
      case TdxfBinLayout::blDouble: {
        const double d = std::strtod(value.c_str(), nullptr);
        put(&d, 8);
        break;
      }
      case TdxfBinLayout::blInt16: {
        const int16_t v = static_cast<int16_t>(std::atoi(value.c_str()));
        put(&v, 2);
        break;
      }
      case TdxfBinLayout::blInt32: {
        const int32_t v = static_cast<int32_t>(std::strtol(value.c_str(), nullptr, 10));
        put(&v, 4);
        break;
      }
      case TdxfBinLayout::blInt64: {
        const int64_t v = std::strtoll(value.c_str(), nullptr, 10);
        put(&v, 8);
        break;
      }
      case TdxfBinLayout::blByte:
        s += static_cast<char>(std::atoi(value.c_str()));
        break;
      case TdxfBinLayout::blChunk: {
        // the value is given as hexadecimal digits
        std::string bytes;
        for (size_t i = 0; i + 1 < value.size(); i += 2) bytes += static_cast<char>(std::stoi(value.substr(i, 2), nullptr, 16));
        s += static_cast<char>(bytes.size());
        s += bytes;
        break;
      }
      default:
        s += value;
        s += '\0';
        break;
    }
  }
  return s;
}

// A drawing that is released when the test ends.
struct Drawing {
  TvxDXFConverter* Conv = TvxDXFConverter::Create();
  TvxDXFLoadResult Result;
  std::string Error;
  Drawing() = default;
  Drawing(const Drawing&) = delete;
  ~Drawing() { Conv->Release(); }

  // Loads the bytes; a read error is kept in Error.
  Drawing& Load(const std::string& bytes) {
    try {
      LoadDXF(Conv, TdxfSource::FromBytes(bytes.data(), bytes.size()), Result);
    } catch (const EdxfReadError& e) {
      Error = e.what();
    }
    return *this;
  }
  Drawing& Load(const Pairs& pairs) { return Load(DxfText(pairs)); }

  TvxDXFBlock* Model() const { return Conv->ModelSpaceBlock(); }
  TvxDXFEntity* Ent(int i) const { return Model() ? Model()->GetEntity(i) : nullptr; }
  int Count() const { return Model() ? Model()->Count() : 0; }
  template <class T>
  T* As(int i) const {
    return dynamic_cast<T*>(Ent(i));
  }
};

// The pairs of a file: a header (optional), tables (optional) and entities.
inline Pairs Section(const char* name, const Pairs& body) {
  Pairs p{{0, "SECTION"}, {2, name}};
  p.insert(p.end(), body.begin(), body.end());
  p.push_back({0, "ENDSEC"});
  return p;
}

inline Pairs Join(std::initializer_list<Pairs> parts) {
  Pairs p;
  for (const Pairs& part : parts) p.insert(p.end(), part.begin(), part.end());
  return p;
}

inline Pairs WithEOF(Pairs p) {
  p.push_back({0, "EOF"});
  return p;
}

inline Pairs Entities(const Pairs& body) { return WithEOF(Section("ENTITIES", body)); }

// VX_CORPUS, or ../shared/corpus beside the repository; empty when neither is a folder.
inline fs::path Corpus() {
  fs::path dir = vx::test::CorpusDir();
  std::error_code ec;
  return fs::is_directory(dir, ec) ? dir : fs::path();
}

inline std::string ReadFile(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// Top-level kinds of a block by TvxCADEntities value.
inline std::map<int, int> Kinds(const TvxDXFEntity* block) {
  std::map<int, int> m;
  if (!block) return m;
  for (int i = 0; i < block->Count(); ++i)
    if (const TvxDXFEntity* e = block->GetEntity(i)) ++m[static_cast<int>(e->EntType())];
  return m;
}

}  // namespace vx::dxftest
