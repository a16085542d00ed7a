// bench/vrml_parse.cpp -- reading speed of the VRML parser on large geometry.
//
// Parses a generated file of N x 1,000,000 coordinates and N x 500,000 face
// indices (N = 1 and 2) and reports the bytes read per second and the peak
// heap memory in use while parsing. The time for N = 2 should stay within
// twice that for N = 1: list fields grow geometrically.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "bench/heap_peak.h"
#include "core/hooks.h"
#include "vrml/qvdump.h"
#include "vrml/qvnode.h"

namespace {

std::string generatedFile(int scale) {
  std::string path = "/tmp/lumenfold_bench_vrml_" + std::to_string(getpid()) + "_" +
                     std::to_string(scale) + ".wrl";
  FILE* fp = std::fopen(path.c_str(), "w");
  std::fputs("#VRML V1.0 ascii\nSeparator {\n  Coordinate3 { point [\n", fp);
  const int points = 1000000 * scale;
  for (int i = 0; i < points; ++i)
    std::fprintf(fp, "    %d.%d %d.5 -%d.25,\n", i % 1000, i % 7, i % 313, i % 97);
  std::fputs("  ] }\n  IndexedFaceSet { coordIndex [\n", fp);
  const int indices = 500000 * scale;
  for (int i = 0; i < indices; ++i) std::fprintf(fp, "%d,%s", (i % 4 == 3) ? -1 : i % points, i % 16 == 15 ? "\n" : " ");
  std::fputs("  ] }\n}\n", fp);
  std::fclose(fp);
  return path;
}

long fileSize(const std::string& path) {
  FILE* fp = std::fopen(path.c_str(), "rb");
  std::fseek(fp, 0, SEEK_END);
  long size = std::ftell(fp);
  std::fclose(fp);
  return size;
}

void BM_ParseLargeGeometry(benchmark::State& state) {
  const std::string path = generatedFile(static_cast<int>(state.range(0)));
  const long size = fileSize(path);
  const size_t before = heap_peak::inUse;
  heap_peak::reset();
  for (auto _ : state) {
    std::vector<QvNode*> nodes;
    if (qvReadTopLevelNodes(path.c_str(), nodes) != 0) state.SkipWithError("the file did not parse");
    qvReleaseNodes(nodes);
  }
  std::remove(path.c_str());
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * size);
  state.counters["file_MB"] = static_cast<double>(size) / 1e6;
  state.counters["peak_heap_MB"] = static_cast<double>(heap_peak::peakSince(before)) / 1e6;
}

BENCHMARK(BM_ParseLargeGeometry)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
