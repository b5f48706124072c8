// Loading corpus drawings for the DWG tests: a DWG and its DXF twin side by side.
#pragma once

#include "dwg/dwg_test_files.h"
#include "readers/dwg/DWG.h"
#include "readers/dxf/vxDXFImport.h"

#include <map>
#include <memory>
#include <set>
#include <string>

namespace vx::test {

struct TConvDeleter {
  void operator()(TvxDXFConverter* c) const {
    if (c) c->Release();
  }
};
using TConvPtr = std::unique_ptr<TvxDXFConverter, TConvDeleter>;

// The drawing of a DWG file; error receives the message of a failed load.
inline TConvPtr LoadDWGBytes(std::vector<uint8_t> bytes, std::string* error = nullptr,
                             TvxDWGLoadResult* result = nullptr) {
  TConvPtr conv(TvxDXFConverter::Create());
  TvxDWGLoadResult r;
  try {
    LoadDWG(conv.get(), std::move(bytes), r);
  } catch (const std::exception& e) {
    if (error) *error = e.what();
  }
  if (result) *result = r;
  return conv;
}

inline TConvPtr LoadDXFFile(const std::string& relative) {
  const std::vector<uint8_t> bytes = ReadCorpusFile(relative);
  TConvPtr conv(TvxDXFConverter::Create());
  if (!bytes.empty()) LoadDXF(conv.get(), TdxfSource::FromBytes(bytes.data(), bytes.size()));
  return conv;
}

// Upper-cased names of a table's items.
inline std::multiset<std::string> TableNames(const TvxDXFEntity* table) {
  std::multiset<std::string> names;
  if (!table) return names;
  for (int i = 0; i < table->Count(); ++i)
    if (TvxDXFEntity* e = table->GetEntity(i)) names.insert(UpperName(e->GetName()));
  return names;
}

// Entity kinds of a layout and their counts.
inline std::map<int, int> KindCounts(const TvxDXFLayout* layout) {
  std::map<int, int> counts;
  for (int i = 0; layout && i < layout->Count(); ++i)
    if (TvxDXFEntity* e = layout->GetEntity(i)) ++counts[int(e->EntType())];
  return counts;
}

// The value lines of a header variable in a text DXF file ("$LTSCALE" -> {"1.0"}).
inline std::map<std::string, std::vector<std::string>> DXFHeaderValues(const std::string& relative) {
  const std::vector<uint8_t> bytes = ReadCorpusFile(relative);
  std::map<std::string, std::vector<std::string>> vars;
  std::vector<std::string> lines;
  std::string line;
  for (uint8_t b : bytes) {
    if (b == '\n') {
      while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
      size_t s = line.find_first_not_of(' ');
      lines.push_back(s == std::string::npos ? std::string() : line.substr(s));
      line.clear();
    } else {
      line += char(b);
    }
  }
  std::string current;
  for (size_t i = 0; i + 1 < lines.size(); i += 2) {
    if (lines[i] == "0" && lines[i + 1] == "ENDSEC") break;
    if (lines[i] == "9") current = lines[i + 1];
    else if (!current.empty()) vars[current].push_back(lines[i + 1]);
  }
  return vars;
}

}  // namespace vx::test
