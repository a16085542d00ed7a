// Line queries and collision on a world of 1,000 top objects of 12
// triangles each, scattered and turned at random in a 200-unit cube, plus
// the user's avatar. 10,000 random rays go through zmIntersectLineAndTopObjs
// and zmFindZmObjByPerson; each query is timed alone and the mean and the
// 99th percentile are reported (both must stay far below the 20 ms frame
// tick). Then 200 objects are each tested against the rest of the world.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <random>
#include <vector>

#include "core/collision.h"
#include "core/leaf.h"
#include "core/linequery.h"
#include "core/memory.h"
#include "core/object.h"
#include "core/shapequery.h"
#include "core/transform.h"
#include "core/world.h"

namespace {

constexpr int kTopObjects = 1000;
constexpr int kRays = 10000;
constexpr int kColliders = 200;
constexpr float kWorldHalfSize = 100;

// A triangle face leaf.
ZmLeaf* newTriangle(ZmVec3 a, ZmVec3 b, ZmVec3 c) {
  ZmFace* face = zmNewFaceLeaf();
  face->vertex.count = 3;
  face->vertex.values = static_cast<ZmVec3*>(zmMalloc(3 * sizeof(ZmVec3)));
  face->vertex.values[0] = a;
  face->vertex.values[1] = b;
  face->vertex.values[2] = c;
  return face;
}

// A box of half size h as 12 triangles, two per side.
ZmLeaf* newTriangleBox(float h) {
  auto corner = [h](int i) { return ZmVec3{(i & 1) ? h : -h, (i & 2) ? h : -h, (i & 4) ? h : -h}; };
  static constexpr int sides[6][4] = {{0, 1, 3, 2}, {4, 6, 7, 5}, {0, 4, 5, 1}, {2, 3, 7, 6}, {0, 2, 6, 4}, {1, 5, 7, 3}};
  ZmLeaf* first = nullptr;
  ZmLeaf* last = nullptr;
  for (const auto& side : sides) {
    for (ZmLeaf* triangle : {newTriangle(corner(side[0]), corner(side[1]), corner(side[2])),
                             newTriangle(corner(side[0]), corner(side[2]), corner(side[3]))}) {
      if (first == nullptr) first = triangle; else last->next = triangle;
      last = triangle;
    }
  }
  return first;
}

struct BenchWorld {
  ZmWorld* world = nullptr;
  std::vector<ZmObj*> objects;

  BenchWorld() {
    world = zmNewWorld("bench.wrl");
    ZmId first = -10000, last = -1;
    zmSetIdCounter(&first, &last, 0);
    std::mt19937 random(1234);
    std::uniform_real_distribution<float> place(-kWorldHalfSize, kWorldHalfSize);
    std::uniform_real_distribution<float> angle(0, 6.2831853f);
    std::uniform_real_distribution<float> size(1, 4);
    for (int i = 0; i < kTopObjects; ++i) {
      ZmObj* object = nullptr;
      zmNewZmObj(world, &object, 0);
      zmAddLeaf(object, 0, newTriangleBox(size(random)));
      object->obj_flags |= ZM_OBJ_SOLID | ZM_OBJ_COLLISION;
      ZmRT placement;
      zmMat3FromAngles(angle(random), angle(random), angle(random), placement.m);
      placement.t = {place(random), place(random), place(random)};
      zmObjectRotateTrans(object, &placement, ZM_COORD_PARENT, 0);
      zmAddTopObject(object, "bench.wrl");
      objects.push_back(object);
    }
    // The avatar: a group at the centre holding the person's body.
    ZmObj* avatar = nullptr;
    ZmObj* body = nullptr;
    zmNewZmObj(world, &avatar, 0);
    zmNewZmObj(world, &body, 0);
    zmAddLeaf(body, 0, newTriangleBox(1));
    zmAddChild(avatar, body);
    zmAddTopObject(avatar, "bench.wrl");
    world->person = body;
  }
  ~BenchWorld() { zmDeleteWorld(world); }
};

struct Ray {
  ZmVec3 p0, p1;
};

std::vector<Ray> randomRays() {
  std::mt19937 random(99);
  std::uniform_real_distribution<float> place(-kWorldHalfSize, kWorldHalfSize);
  std::normal_distribution<float> direction(0, 1);
  std::vector<Ray> rays(kRays);
  for (Ray& ray : rays) {
    ray.p0 = {place(random), place(random), place(random)};
    ray.p1 = {ray.p0.x + direction(random), ray.p0.y + direction(random), ray.p0.z + direction(random)};
  }
  return rays;
}

using Search = ZmObj* (*)(ZmWorld*, const ZmVec3*, const ZmVec3*, float*, ZmLeaf**, int32_t*, ZmVec3*);

// Times every ray alone; reports the mean, the 99th percentile and the
// share of rays that hit something, in microseconds.
void runRays(benchmark::State& state, Search search) {
  static BenchWorld built;
  const std::vector<Ray> rays = randomRays();
  std::vector<double> micros(rays.size());
  int hits = 0;
  for (auto _ : state) {
    hits = 0;
    for (size_t i = 0; i < rays.size(); ++i) {
      float t = ZM_NO_HIT;
      ZmLeaf* leaf = nullptr;
      int32_t part = 0;
      ZmVec3 point;
      const auto start = std::chrono::steady_clock::now();
      ZmObj* found = search(built.world, &rays[i].p0, &rays[i].p1, &t, &leaf, &part, &point);
      const auto end = std::chrono::steady_clock::now();
      micros[i] = std::chrono::duration<double, std::micro>(end - start).count();
      hits += found != nullptr;
      benchmark::DoNotOptimize(found);
    }
  }
  std::vector<double> sorted = micros;
  std::sort(sorted.begin(), sorted.end());
  double sum = 0;
  for (double m : micros) sum += m;
  state.counters["mean_us"] = sum / static_cast<double>(micros.size());
  state.counters["p99_us"] = sorted[sorted.size() * 99 / 100];
  state.counters["max_us"] = sorted.back();
  state.counters["hit_share"] = static_cast<double>(hits) / static_cast<double>(rays.size());
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(rays.size()));
}

void BM_IntersectLineAndTopObjs(benchmark::State& state) { runRays(state, zmIntersectLineAndTopObjs); }
void BM_FindZmObjByPerson(benchmark::State& state) { runRays(state, zmFindZmObjByPerson); }

// The first 200 objects, each against every other top object.
void BM_CollisionOfObjectsWithTheWorld(benchmark::State& state) {
  static BenchWorld built;
  std::vector<double> micros(kColliders);
  int collisions = 0;
  for (auto _ : state) {
    collisions = 0;
    for (int i = 0; i < kColliders; ++i) {
      int32_t collided = 0;
      const auto start = std::chrono::steady_clock::now();
      benchmark::DoNotOptimize(zmEvalCollisionTopObjAndWorld(built.objects[i], 1, 1, &collided));
      const auto end = std::chrono::steady_clock::now();
      micros[i] = std::chrono::duration<double, std::micro>(end - start).count();
      collisions += collided;
    }
  }
  std::vector<double> sorted = micros;
  std::sort(sorted.begin(), sorted.end());
  double sum = 0;
  for (double m : micros) sum += m;
  state.counters["mean_us"] = sum / kColliders;
  state.counters["p99_us"] = sorted[sorted.size() * 99 / 100];
  state.counters["all_200_us"] = sum;
  state.counters["colliding"] = collisions;
  state.SetItemsProcessed(state.iterations() * kColliders);
}

}  // namespace

BENCHMARK(BM_IntersectLineAndTopObjs)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_FindZmObjByPerson)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_CollisionOfObjectsWithTheWorld)->Unit(benchmark::kMillisecond)->Iterations(3);

BENCHMARK_MAIN();
