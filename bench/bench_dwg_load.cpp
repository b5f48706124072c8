// Read and load throughput of DWG drawings: the file named by VX_BENCH_DWG (default
// ../shared/bench/big_r2000.dwg beside the repository: 300,000 entities saved as R2000), read into
// a drawing and loaded (links, geometry, extents, draw order); and the decoding alone (sections and
// objects into the database, without the database's load passes) of the same file. The paged
// formats: flattening of the largest 2004 and 2007 corpus files (VX_CORPUS).
#include "readers/dwg/DWG.h"
#include "readers/dwg/paged/vxDWG2007.h"
#include "readers/dwg/paged/vxDWGPaged.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

using namespace vx;

std::vector<uint8_t> ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

const std::vector<uint8_t>& BenchFile() {
  static const std::vector<uint8_t> bytes = [] {
    const char* path = std::getenv("VX_BENCH_DWG");
    return ReadFile(path && *path ? path : VX_SOURCE_DIR "/../shared/bench/big_r2000.dwg");
  }();
  return bytes;
}

std::vector<uint8_t> CorpusFile(const char* relative) {
  const char* dir = std::getenv("VX_CORPUS");
  return ReadFile(std::string(dir && *dir ? dir : VX_SOURCE_DIR "/../shared/corpus") + "/" + relative);
}

void BM_DwgReadAndLoad(benchmark::State& state) {
  const std::vector<uint8_t>& bytes = BenchFile();
  if (bytes.empty()) {
    state.SkipWithError("set VX_BENCH_DWG to a DWG file");
    return;
  }
  double readMs = 0, loadMs = 0;
  for (auto _ : state) {
    state.PauseTiming();
    std::vector<uint8_t> copy = bytes;  // the load takes its file over
    TvxDXFConverter* conv = TvxDXFConverter::Create();
    state.ResumeTiming();
    TvxDWGLoadResult r;
    LoadDWG(conv, std::move(copy), r);
    readMs += r.ReadMs;
    loadMs += r.LoadMs;
    state.PauseTiming();
    conv->Release();  // freeing the drawing is not part of the load
    state.ResumeTiming();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(bytes.size()));
  state.counters["read_ms"] = readMs / static_cast<double>(state.iterations());
  state.counters["load_ms"] = loadMs / static_cast<double>(state.iterations());
}
BENCHMARK(BM_DwgReadAndLoad)->Unit(benchmark::kMillisecond)->UseRealTime();

// Read and load of one corpus drawing, the same drawing in each release (the paged and the
// Reed-Solomon layouts against R2000).
void BM_DwgCorpusLoad(benchmark::State& state, const char* file) {
  const std::vector<uint8_t> bytes = CorpusFile(file);
  if (bytes.empty()) {
    state.SkipWithError("corpus file missing (set VX_CORPUS)");
    return;
  }
  for (auto _ : state) {
    state.PauseTiming();
    std::vector<uint8_t> copy = bytes;
    TvxDXFConverter* conv = TvxDXFConverter::Create();
    state.ResumeTiming();
    LoadDWG(conv, std::move(copy));
    state.PauseTiming();
    conv->Release();
    state.ResumeTiming();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(bytes.size()));
}
BENCHMARK_CAPTURE(BM_DwgCorpusLoad, r2000, "same-drawing/sample_AC1015.dwg")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_DwgCorpusLoad, r2004, "same-drawing/sample_AC1018.dwg")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_DwgCorpusLoad, r2007, "same-drawing/sample_AC1021.dwg")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_DwgCorpusLoad, r2010, "same-drawing/sample_AC1024.dwg")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_DwgCorpusLoad, r2013, "same-drawing/sample_AC1027.dwg")->Unit(benchmark::kMillisecond);

void BM_DwgFlatten(benchmark::State& state, const char* file, bool r2007) {
  const std::vector<uint8_t> bytes = CorpusFile(file);
  if (bytes.empty()) {
    state.SkipWithError("corpus file missing (set VX_CORPUS)");
    return;
  }
  for (auto _ : state) {
    TdwgFlattened f = r2007 ? FlattenDWG2007(bytes.data(), bytes.size())
                            : FlattenDWG2004(bytes.data(), bytes.size(), acR2004);
    benchmark::DoNotOptimize(f.Image.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(bytes.size()));
}
BENCHMARK_CAPTURE(BM_DwgFlatten, r2004, "same-drawing/sample_AC1018.dwg", false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_DwgFlatten, r2007, "same-drawing/sample_AC1021.dwg", true)->Unit(benchmark::kMillisecond);

}  // namespace
