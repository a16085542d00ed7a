// One navigation step with collision and gravity on, in a world of 1,000
// top objects of 10 shapes each (a box of 12 triangle leaves per shape,
// scattered over a 200 x 200 floor), plus the user's avatar with its
// camera. The avatar walks forward (a mouse walk: one collision ray ahead,
// one gravity ray down per step) and turns back every 200 steps so that it
// stays among the objects. Goal: at most 0.2 ms a step.
#include <benchmark/benchmark.h>

#include <random>

#include "core/camera.h"
#include "core/leaf.h"
#include "core/memory.h"
#include "core/object.h"
#include "core/transform.h"
#include "core/world.h"
#include "platform/clock.h"
#include "viewer/navigation.h"

namespace {

constexpr int kTopObjects = 1000;
constexpr int kShapesPerObject = 10;
constexpr float kFieldHalfSize = 100;
constexpr int kStepsEachWay = 200;

ZmLeaf* newTriangle(ZmVec3 a, ZmVec3 b, ZmVec3 c) {
  ZmFace* face = zmNewFaceLeaf();
  face->vertex.count = 3;
  face->vertex.values = static_cast<ZmVec3*>(zmMalloc(3 * sizeof(ZmVec3)));
  face->vertex.values[0] = a;
  face->vertex.values[1] = b;
  face->vertex.values[2] = c;
  return face;
}

// A box of half sizes (hx, hy, hz) as 12 triangles, two per side.
ZmLeaf* newTriangleBox(float hx, float hy, float hz) {
  auto corner = [=](int i) { return ZmVec3{(i & 1) ? hx : -hx, (i & 2) ? hy : -hy, (i & 4) ? hz : -hz}; };
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

ZmObj* newShape(ZmWorld* world, ZmLeaf* leaves, ZmVec3 at) {
  ZmObj* object = nullptr;
  zmNewZmObj(world, &object, 0);
  zmAddLeaf(object, 0, leaves);
  object->obj_flags |= ZM_OBJ_SOLID | ZM_OBJ_COLLISION;
  zmObjectTrans(object, &at, ZM_COORD_PARENT, 0);
  return object;
}

struct NavWorld {
  ZmWorld* world = nullptr;
  ZmObj* person = nullptr;

  NavWorld() {
    world = zmNewWorld("bench.wrl");
    ZmId first = -10000, last = -1;
    zmSetIdCounter(&first, &last, 0);
    zmSetCurrentWorld(world);
    zmAddTopObject(newShape(world, newTriangleBox(kFieldHalfSize, 0.5f, kFieldHalfSize), {0, -0.5f, 0}), "floor");
    std::mt19937 random(1234);
    std::uniform_real_distribution<float> place(-kFieldHalfSize + 5, kFieldHalfSize - 5);
    std::uniform_real_distribution<float> near(-3, 3);
    std::uniform_real_distribution<float> size(0.2f, 1.0f);
    for (int i = 0; i < kTopObjects; ++i) {
      ZmObj* group = nullptr;
      zmNewZmObj(world, &group, 0);
      const ZmVec3 centre = {place(random), 0, place(random)};
      zmObjectTrans(group, &centre, ZM_COORD_PARENT, 0);
      for (int k = 0; k < kShapesPerObject; ++k) {
        const float h = size(random);
        zmAddChild(group, newShape(world, newTriangleBox(h, h, h), {near(random), h, near(random)}));
      }
      zmAddTopObject(group, "bench.wrl");
    }
    addPerson();
    zmNavInit();
    zmNavSetSpeed(1, 1);
  }

  // The avatar as the program has it: a group holding a body 1.7 high,
  // standing on the floor, and a camera at eye height looking along the
  // group's +z, at the field's centre.
  void addPerson() {
    zmNewZmObj(world, &person, 0);
    zmAddChild(person, newShape(world, newTriangleBox(0.25f, 0.85f, 0.25f), {0, 0.85f, 0}));
    ZmObj* camera = nullptr;
    zmNewZmObj(world, &camera, 0);
    zmAddLeaf(camera, 0, zmNewPerspectiveCameraLeaf());
    camera->vrmlType = ZM_VRML_PERSPECTIVE_CAMERA;
    ZmRT eye;
    zmRTIdentity(&eye);
    zmMat3FromAngles(0, 3.14159265358979, 0, eye.m);
    eye.t = {0, 1.55f, 0};
    zmObjectRotateTrans(camera, &eye, ZM_COORD_PARENT, 0);
    zmAddChild(person, camera);
    zmAddTopObject(person, "person.wrl");
    world->person = person;
    zmReginsterToCameraTable(camera, 2);
  }

  ~NavWorld() {
    zmSetCurrentWorld(nullptr);
    zmDeleteWorld(world);
  }
};

void NavigationStep(benchmark::State& state) {
  static NavWorld built;
  zmNavState* nav = zmGetNavState(built.world);
  nav->inputMode = ZM_NAV_WALK;
  nav->forward = 0.1f;
  nav->side = 0;
  int steps = 0;
  // Steps move by the time between them: each one a whole tick apart.
  platform::useVirtualClock(true);
  for (auto _ : state) {
    if (++steps % kStepsEachWay == 0) nav->forward = -nav->forward;
    platform::advanceClock(ZM_NAV_TICK_MS);
    zmNavStep(nullptr);
  }
  platform::useVirtualClock(false);
  state.counters["feet_y"] = zmGetWRT(built.person)->t.y;
}
BENCHMARK(NavigationStep)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
