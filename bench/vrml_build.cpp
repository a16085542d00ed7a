// bench/vrml_build.cpp -- parsing and building generated worlds.
//
// Generated worlds, each parsed and built from its file per iteration:
// - one Separator holding cubes (12 triangles and 6 face leaves each), for
//   10,000 to 1,000,000 triangles;
// - one IndexedFaceSet of 100,000 or 1,000,000 triangles over a grid of
//   points, the shape almost every real world is made of;
// - the benchmark grid world (camera, light, material and a wave of
//   2*N*N triangles, as shared/bench/gridworld.py writes it) end to end,
//   reported in seconds and peak heap bytes;
// - N top-level Separators, each unwrapped into its children.
// Each reports the time per face leaf (or object) and the peak heap memory
// while parsing and building. Ten times the faces should cost ten times the
// time: the traversal, the face table and the object tree do constant work
// per face.
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <string>

#include "bench/gridworld.h"
#include "bench/heap_peak.h"
#include "core/memory.h"
#include "core/object.h"
#include "core/world.h"
#include "vrml/parse.h"

namespace {

std::string benchPath(const char* what, long triangles) {
  return "/tmp/lumenfold_bench_" + std::string(what) + "_" + std::to_string(getpid()) + "_" +
         std::to_string(triangles) + ".wrl";
}

std::string cubeWorld(long triangles) {
  std::string path = benchPath("cubes", triangles);
  FILE* fp = std::fopen(path.c_str(), "w");
  std::fputs("#VRML V1.0 ascii\nSeparator {\n", fp);
  const long cubes = (triangles + 11) / 12;
  for (long i = 0; i < cubes; ++i)
    std::fprintf(fp, "  Separator { Translation { translation %ld %ld 0 } Cube { width 0.5 height 0.5 depth 0.5 } }\n",
                 i % 100, i / 100);
  std::fputs("}\n", fp);
  std::fclose(fp);
  return path;
}

// A grid of 1000-point rows; each cell between two rows gives two triangles.
std::string faceSetWorld(long triangles) {
  const long columns = 1000;
  const long cells = (triangles + 1) / 2;
  const long rows = (cells + columns - 2) / (columns - 1) + 1;
  std::string path = benchPath("faceset", triangles);
  FILE* fp = std::fopen(path.c_str(), "w");
  std::fputs("#VRML V1.0 ascii\nSeparator {\n  Coordinate3 { point [\n", fp);
  for (long r = 0; r < rows; ++r)
    for (long c = 0; c < columns; ++c) std::fprintf(fp, "    %ld %ld %ld,\n", c, r, (c * r) % 7);
  std::fputs("  ] }\n  IndexedFaceSet { coordIndex [\n", fp);
  for (long t = 0; t < triangles; ++t) {
    long cell = t / 2;
    long r = cell / (columns - 1), c = cell % (columns - 1);
    long a = r * columns + c, b = a + 1, d = a + columns, e = d + 1;
    if (t % 2 == 0) std::fprintf(fp, "    %ld, %ld, %ld, -1,\n", a, b, e);
    else std::fprintf(fp, "    %ld, %ld, %ld, -1,\n", a, e, d);
  }
  std::fputs("  ] }\n}\n", fp);
  std::fclose(fp);
  return path;
}

// The benchmark grid of n x n quads (bench/gridworld.h).
std::string gridWorld(long n) {
  std::string path = benchPath("grid", 2 * n * n);
  writeGridWorld(path, n);
  return path;
}

std::string topSeparatorWorld(long separators) {
  std::string path = benchPath("separators", separators);
  FILE* fp = std::fopen(path.c_str(), "w");
  std::fputs("#VRML V1.0 ascii\n", fp);
  for (long i = 0; i < separators; ++i)
    std::fprintf(fp, "Separator { Translation { translation %ld 0 0 } Cube { } }\n", i);
  std::fclose(fp);
  return path;
}

// User and system CPU seconds of the process so far.
struct CpuTimes {
  double user = 0, system = 0;
};

CpuTimes cpuTimes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec * 1e-6; };
  return {seconds(usage.ru_utime), seconds(usage.ru_stime)};
}

// Builds the world once per iteration, each time as a program's first
// world: what the last build left is given back to the system first
// (untimed), so a million faces and ten thousand are built into the same
// kind of memory, fresh from the kernel. The kernel's share (clearing those
// pages) is reported apart from the program's own as system and user time
// per face.
void buildWorlds(benchmark::State& state, const std::string& path, double faces) {
  zmReleaseSpareChunks();  // else the chunks the last benchmark left are not counted
  const size_t before = heap_peak::inUse;
  heap_peak::reset();
  CpuTimes spent;
  for (auto _ : state) {
    const CpuTimes start = cpuTimes();
    ZmWorld* world = zmNewWorld(path.c_str());
    ZmId first = -10000, last = -1;
    zmSetIdCounter(&first, &last, 1);  // request-only: objects take no id, so no range runs out
    zmSetCurrentWorld(world);
    if (parseVRMLIntoWorld(path.c_str(), world) != 0) state.SkipWithError("the world was not built");
    state.PauseTiming();  // tearing the world down is not building it
    const CpuTimes end = cpuTimes();
    spent.user += end.user - start.user;
    spent.system += end.system - start.system;
    zmSetCurrentWorld(nullptr);
    zmDeleteWorld(world);
    zmReleaseSpareChunks();
    malloc_trim(0);
    state.ResumeTiming();
  }
  std::remove(path.c_str());
  const double builds = static_cast<double>(state.iterations());
  state.counters["faces"] = faces;
  state.counters["time_per_face"] =
      benchmark::Counter(faces, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
  state.counters["user_per_face"] = spent.user / builds / faces;
  state.counters["system_per_face"] = spent.system / builds / faces;
  state.counters["peak_bytes_per_face"] = static_cast<double>(heap_peak::peakSince(before)) / faces;
}

void BM_BuildCubeWorld(benchmark::State& state) {
  const long triangles = state.range(0);
  buildWorlds(state, cubeWorld(triangles), static_cast<double>((triangles + 11) / 12 * 6));
}

void BM_BuildIndexedFaceSet(benchmark::State& state) {
  const long triangles = state.range(0);
  buildWorlds(state, faceSetWorld(triangles), static_cast<double>(triangles));
}

// The grid world from file to built world: seconds per run and the heap's
// peak above what was in use before, as a user loading it would see them.
void BM_ParseAndBuildGrid(benchmark::State& state) {
  const long n = state.range(0);
  const std::string path = gridWorld(n);
  buildWorlds(state, path, 2.0 * n * n);
  state.counters["seconds"] = benchmark::Counter(1, benchmark::Counter::kIsIterationInvariantRate |
                                                        benchmark::Counter::kInvert);
  state.counters["peak_heap_bytes"] = state.counters["peak_bytes_per_face"] * 2.0 * n * n;
}

void BM_BuildTopSeparators(benchmark::State& state) {
  const long separators = state.range(0);
  buildWorlds(state, topSeparatorWorld(separators), static_cast<double>(separators * 6));
}

BENCHMARK(BM_BuildCubeWorld)
    ->Arg(10000)->Arg(20000)->Arg(100000)->Arg(200000)->Arg(1000000)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BuildIndexedFaceSet)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ParseAndBuildGrid)->Arg(224)->Arg(707)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_BuildTopSeparators)->Arg(5000)->Arg(40000)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
