// Tokenizer throughput on a generated drawing: text and binary pairs per second, the real-number
// scanner, and code-page decoding of string values.
#include "readers/dxf/DXF.h"
#include "readers/dxf/vxCodePage.h"
#include "readers/dxf/vxDXFNumbers.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <string>

namespace {

using namespace vx;

// A drawing of n LINE records with realistic values, as text.
std::string TextDrawing(int n) {
  std::string s = "0\nSECTION\n2\nENTITIES\n";
  for (int i = 0; i < n; ++i) {
    s += "0\nLINE\n5\n" + std::to_string(0x100 + i) + "\n330\n1F\n100\nAcDbEntity\n8\nLayer " +
         std::to_string(i % 7) + "\n100\nAcDbLine\n10\n" + std::to_string(i * 1.25) + "\n20\n" +
         std::to_string(-i * 0.333333333333) + "\n30\n0.0\n11\n123.456789012345\n21\n-98.7654321\n31\n0.0\n";
  }
  return s + "0\nENDSEC\n0\nEOF\n";
}

// The same records as a binary file with 2-byte codes.
std::string BinaryDrawing(int n) {
  std::string b(cnstDXFBinarySignature, cnstDXFBinarySignatureSize);
  auto code = [&b](int c) {
    b += static_cast<char>(c & 0xFF);
    b += static_cast<char>(c >> 8);
  };
  auto str = [&](int c, const std::string& v) {
    code(c);
    b.append(v.c_str(), v.size() + 1);
  };
  auto dbl = [&](int c, double d) {
    code(c);
    char raw[8];
    std::memcpy(raw, &d, 8);
    b.append(raw, 8);
  };
  str(0, "SECTION");
  str(2, "ENTITIES");
  for (int i = 0; i < n; ++i) {
    str(0, "LINE");
    str(5, std::to_string(0x100 + i));
    str(330, "1F");
    str(100, "AcDbEntity");
    str(8, "Layer " + std::to_string(i % 7));
    str(100, "AcDbLine");
    dbl(10, i * 1.25);
    dbl(20, -i * 0.333333333333);
    dbl(30, 0.0);
    dbl(11, 123.456789012345);
    dbl(21, -98.7654321);
    dbl(31, 0.0);
  }
  str(0, "ENDSEC");
  str(0, "EOF");
  return b;
}

void ReadPairs(benchmark::State& state, const std::string& file) {
  int64_t pairs = 0;
  for (auto _ : state) {
    auto r = CreateDXFTokenReader(reinterpret_cast<const uint8_t*>(file.data()), file.size());
    for (r->Next(); !r->AtEndPair(); r->Next()) {
      if (r->Code() == 8) benchmark::DoNotOptimize(r->StrValue());
      else if (DXFValueKind(r->Code()) == vkReal) benchmark::DoNotOptimize(r->FloatValue());
      ++pairs;
    }
  }
  state.SetItemsProcessed(pairs);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(file.size()));
}

void BM_TextPairs(benchmark::State& state) { ReadPairs(state, TextDrawing(static_cast<int>(state.range(0)))); }
BENCHMARK(BM_TextPairs)->Arg(10000);

void BM_BinaryPairs(benchmark::State& state) { ReadPairs(state, BinaryDrawing(static_cast<int>(state.range(0)))); }
BENCHMARK(BM_BinaryPairs)->Arg(10000);

void BM_ScanReal(benchmark::State& state) {
  static const char kLine[] = "-12345.678901234567\n";
  for (auto _ : state) {
    const uint8_t* p = reinterpret_cast<const uint8_t*>(kLine);
    benchmark::DoNotOptimize(ScanDXFReal(p, p + sizeof kLine - 1));
  }
}
BENCHMARK(BM_ScanReal);

void BM_DecodeCodePage(benchmark::State& state) {
  const std::string ascii = "Layer name with plain text 0123456789";
  const std::string cyrillic = "\xCF\xF0\xE8\xE2\xE5\xF2 \xEC\xE8\xF0 0123456789";
  for (auto _ : state) {
    benchmark::DoNotOptimize(CodePageToUTF8(ascii, 1252));
    benchmark::DoNotOptimize(CodePageToUTF8(cyrillic, 1251));
  }
}
BENCHMARK(BM_DecodeCodePage);

}  // namespace
