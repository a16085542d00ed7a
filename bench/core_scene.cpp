// Builds worlds of 1,000 to 10,000 objects (a Separator of cubes) and one
// object of 100,000 face leaves, then looks every object up by id. The time
// per object must stay flat as the world grows: appends reach the ends of
// child lists, leaf chains and hash chains through tail pointers.
#include <benchmark/benchmark.h>

#include <vector>

#include "core/leaf.h"
#include "core/object.h"
#include "core/world.h"

namespace {

struct BuiltWorld {
  ZmWorld* world;
  std::vector<ZmId> ids;
};

BuiltWorld buildSeparatorOfCubes(int cubes) {
  BuiltWorld built = {zmNewWorld("bench.wrl"), {}};
  ZmId first = -10000, last = -1;
  zmSetIdCounter(&first, &last, 0);
  ZmObj* separator = nullptr;
  zmNewZmObj(built.world, &separator, 0);
  separator->vrmlType = ZM_VRML_SEPARATOR;
  zmAddTopObject(separator, "bench.wrl");
  built.ids.push_back(separator->id);
  for (int i = 1; i < cubes; ++i) {
    ZmObj* cube = nullptr;
    zmNewZmObj(built.world, &cube, 0);
    cube->vrmlType = ZM_VRML_CUBE;
    zmAddLeaf(cube, 0, zmNewCubeLeaf(1, 1, 1));
    zmAddChild(separator, cube);
    built.ids.push_back(cube->id);
  }
  return built;
}

void BM_BuildWorld(benchmark::State& state) {
  const int objects = static_cast<int>(state.range(0));
  for (auto _ : state) {
    BuiltWorld built = buildSeparatorOfCubes(objects);
    state.PauseTiming();
    zmDeleteWorld(built.world);
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * objects);
  state.counters["time_per_object"] = benchmark::Counter(
      static_cast<double>(state.iterations() * objects), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_LookUpEveryObjectById(benchmark::State& state) {
  const int objects = static_cast<int>(state.range(0));
  BuiltWorld built = buildSeparatorOfCubes(objects);
  for (auto _ : state) {
    for (ZmId id : built.ids) benchmark::DoNotOptimize(zmGetZmObjById(built.world, &id));
  }
  zmDeleteWorld(built.world);
  state.SetItemsProcessed(state.iterations() * objects);
  state.counters["time_per_object"] = benchmark::Counter(
      static_cast<double>(state.iterations() * objects), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_AppendFaceLeaves(benchmark::State& state) {
  const int faces = static_cast<int>(state.range(0));
  for (auto _ : state) {
    ZmWorld* world = zmNewWorld("bench.wrl");
    ZmId first = -10000, last = -1;
    zmSetIdCounter(&first, &last, 0);
    ZmObj* mesh = nullptr;
    zmNewZmObj(world, &mesh, 0);
    zmAddTopObject(mesh, "bench.wrl");
    for (int i = 0; i < faces; ++i) zmAddLeaf(mesh, 0, zmNewFaceLeaf());
    state.PauseTiming();
    zmDeleteWorld(world);
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * faces);
  state.counters["time_per_leaf"] = benchmark::Counter(
      static_cast<double>(state.iterations() * faces), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

}  // namespace

BENCHMARK(BM_BuildWorld)->Arg(1000)->Arg(2000)->Arg(5000)->Arg(10000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LookUpEveryObjectById)->Arg(1000)->Arg(2000)->Arg(5000)->Arg(10000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_AppendFaceLeaves)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
