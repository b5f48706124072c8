// Read and load throughput of whole drawings: the file named by VX_BENCH_DXF (make one with
// `/usr/bin/python3 bench/make_big_dxf.py OUT.dxf 300000`), read into a drawing and loaded
// (links, geometry, extents, draw order). Reports bytes per second; skipped without the file.
#include "readers/dxf/vxDXFImport.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

namespace {

using namespace vx;

const std::string& BenchFile() {
  static const std::string bytes = [] {
    const char* path = std::getenv("VX_BENCH_DXF");
    if (!path || !*path) return std::string();
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }();
  return bytes;
}

// Whole load: copy, read, steps after reading.
void BM_DxfReadAndLoad(benchmark::State& state) {
  const std::string& bytes = BenchFile();
  if (bytes.empty()) {
    state.SkipWithError("set VX_BENCH_DXF to a DXF file");
    return;
  }
  double readMs = 0, loadMs = 0;
  for (auto _ : state) {
    TvxDXFConverter* conv = TvxDXFConverter::Create();
    TvxDXFLoadResult r;
    LoadDXF(conv, TdxfSource::FromBytes(bytes.data(), bytes.size()), r);
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
BENCHMARK(BM_DxfReadAndLoad)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
