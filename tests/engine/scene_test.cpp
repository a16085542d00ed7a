// Scenes: the spatial tree (separation, enclosers, overlap groups), the
// drawing order, picking order, light lists, destruction and the library
// close with clumps still alive.
#include <algorithm>
#include <cfloat>
#include <cstring>
#include <vector>

#include <gtest/gtest.h>

#include "engine/camera.h"
#include "engine/clump.h"
#include "engine/light.h"
#include "engine/polygon.h"
#include "engine/renderstate.h"
#include "engine/scene.h"
#include "engine/scenetree.h"
#include "engine_fixture.h"

namespace {

struct Drawn {
  RwClump* clump;
  intptr_t depthGroup;
};
std::vector<Drawn> drawn;
int depthClears = 0;

// An axis-aligned box from low to high, six quadrilaterals.
RwClump* box(RwVector low, RwVector high) {
  RwClump* clump = RwCreateClump(8, 6);
  for (int corner = 0; corner < 8; ++corner) {
    RwAddVertexToClump(clump, corner & 1 ? high.x : low.x, corner & 2 ? high.y : low.y, corner & 4 ? high.z : low.z);
  }
  const int32_t faces[6][4] = {{1, 3, 4, 2}, {5, 6, 8, 7}, {1, 2, 6, 5}, {3, 7, 8, 4}, {1, 5, 7, 3}, {2, 4, 8, 6}};
  for (const auto& face : faces) RwAddPolygonToClump(clump, 4, face);
  return clump;
}

RwClump* cubeAt(float x, float y, float z, float half = 0.5f) {
  return box({x - half, y - half, z - half}, {x + half, y + half, z + half});
}

uintptr_t recordsInUse(const char* poolName) {
  for (RwPool* pool = RwGetPoolState().head; pool; pool = pool->next) {
    if (std::strcmp(pool->name, poolName) == 0) return pool->recordsInUse;
  }
  return 0;
}

class Scenes : public OpenEngine {
 protected:
  void SetUp() override {
    OpenEngine::SetUp();
    drawn.clear();
    depthClears = 0;
    links = rwSceneLinks();
    links.renderClump = [](RwClump* clump) {
      drawn.push_back({clump, RwIsDepthGroup()});
      return 1;
    };
    links.clumpScreenBounds = [](RwClump*, RwCamera*, RwRect* rect, float* depth) -> uintptr_t {
      *rect = {0, 0, 10, 10};
      depth[0] = 1.0f;
      depth[1] = 2.0f;
      return 0;
    };
    rwSceneLinks.provide(links);
    rwDeviceRecord.clearDepthRect = [](const RwRect*) { ++depthClears; };
    camera = RwCreateCamera(64, 64, nullptr);
    RwSetCameraViewport(camera, 0, 0, 64, 64);
    scene = RwCreateScene();
  }
  std::vector<RwClump*> renderFrom(float x, float y, float z) {
    drawn.clear();
    RwSetCameraPosition(camera, x, y, z);
    RwBeginCameraUpdate(camera, 0);
    EXPECT_EQ(RwRenderScene(scene), scene);
    RwEndCameraUpdate(camera);
    std::vector<RwClump*> order;
    for (const Drawn& d : drawn) order.push_back(d.clump);
    return order;
  }
  RwSceneLinks links = {};  // the pipeline's, with recorders in place; the close withdraws it
  RwCamera* camera = nullptr;
  RwScene* scene = nullptr;
};

TEST_F(Scenes, CubesApartAreSplitOnTheSeparatingAxisAndDrawnFarToNear) {
  struct Case {
    RwVector a, b;  // centres
    int axis;       // expected world axis of the split
    float gap;      // half size, to make the boxes overlap slightly
  };
  const Case cases[] = {
      {{-1.5f, 0, 0}, {1.5f, 0, 0}, 0, 0.5f},
      {{0, 0, -1.5f}, {0, 0, 1.5f}, 2, 0.5f},
      {{0, -0.5f, 0}, {0, 0.495f, 0}, 1, 0.5f},  // overlapping by 0.005: still separated
  };
  for (const Case& c : cases) {
    RwClump* a = cubeAt(c.a.x, c.a.y, c.a.z, c.gap);
    RwClump* b = cubeAt(c.b.x, c.b.y, c.b.z, c.gap);
    RwAddClumpToScene(scene, a);
    RwAddClumpToScene(scene, b);
    ASSERT_EQ(RwRebuildScene(scene), 1);
    ASSERT_EQ(scene->root->kind, rwNodeSplit);
    EXPECT_FLOAT_EQ(std::abs(scene->root->split.axis[c.axis]), 1.0f);
    float far = 10.0f;
    float eye[3] = {0, 0, 0};
    eye[c.axis] = far;  // on b's side: a is drawn first
    EXPECT_EQ(renderFrom(eye[0], eye[1], eye[2]), (std::vector<RwClump*>{a, b}));
    eye[c.axis] = -far;
    EXPECT_EQ(renderFrom(eye[0], eye[1], eye[2]), (std::vector<RwClump*>{b, a}));
    for (const Drawn& d : drawn) EXPECT_EQ(d.depthGroup, 0);  // planes order them: no z-buffer
    RwDestroyClump(a);
    RwDestroyClump(b);
  }
}

TEST_F(Scenes, AContainerEnclosesWhatIsInsideAndIsDrawnFirst) {
  RwClump* room = cubeAt(0, 0, 0, 5.0f);
  RwClump* chair = cubeAt(0, 0, 0, 0.5f);
  RwSetClumpFlags(room, rwHiddenSurface | rwContainer);
  RwAddClumpToScene(scene, chair);
  RwAddClumpToScene(scene, room);
  EXPECT_EQ(renderFrom(20, 0, 0), (std::vector<RwClump*>{room, chair}));
  EXPECT_EQ(scene->root->clump, room);
  ASSERT_NE(scene->root->enclosed, nullptr);
  EXPECT_EQ(scene->root->enclosed->clump, chair);
  EXPECT_EQ(depthClears, 0);
}

TEST_F(Scenes, OverlappingClumpsFormADepthGroup) {
  RwClump* room = cubeAt(0, 0, 0, 5.0f);
  RwClump* chair = cubeAt(0, 0, 0, 0.5f);
  RwAddClumpToScene(scene, room);
  RwAddClumpToScene(scene, chair);
  std::vector<RwClump*> order = renderFrom(20, 0, 0);
  ASSERT_EQ(order.size(), 2u);
  EXPECT_EQ(scene->root->kind, rwNodeGroup);
  for (const Drawn& d : drawn) EXPECT_EQ(d.depthGroup, 1);
  EXPECT_GE(depthClears, 1);  // the group's rectangles were cleared first
  EXPECT_EQ(RwIsDepthGroup(), 0);
  EXPECT_EQ(scene->flags & rwSceneHasOverlaps, 0u);
}

TEST_F(Scenes, AGroupGrownOneByOneKeepsItsOrderAndTheUnionOfItsBoxes) {
  // Boxes of distinct sizes around points near the origin: each holds the
  // others' centres, so all of them overlap. The largest is placed first and
  // the group keeps the order of placing, which is also the drawing order.
  constexpr int count = 300;
  std::vector<RwClump*> bySize(count);
  for (int i = 0; i < count; ++i) {
    const float half = 1.0f + 0.002f * static_cast<float>(count - i);
    bySize[static_cast<size_t>(i)] = cubeAt(0.1f * static_cast<float>(i % 7 - 3), 0.1f * static_cast<float>(i % 5 - 2),
                                            0.1f * static_cast<float>(i % 3 - 1), half);
  }
  // A long thin box turned about y reaches past all the others in x and z:
  // its world box, not its modelling box, belongs in the union.
  RwClump* turned = box({-0.2f, -0.2f, -6.0f}, {0.2f, 0.2f, 6.0f});
  RwMatrix turn;
  RwRotateMatrix(&turn, 0, 1, 0, 30, RwReplace);
  RwTransformClump(turned, &turn, RwReplace);
  bySize.insert(bySize.begin(), turned);
  for (int i = 0; i < count + 1; ++i) RwAddClumpToScene(scene, bySize[static_cast<size_t>(i * 37 % (count + 1))]);

  EXPECT_EQ(renderFrom(0, 0, 30), bySize);
  for (const Drawn& d : drawn) EXPECT_EQ(d.depthGroup, 1);
  const RwSceneNode* group = scene->root;
  ASSERT_EQ(group->kind, rwNodeGroup);
  ASSERT_EQ(group->group.childCount, count + 1);
  for (intptr_t i = 0; i <= count; ++i) {
    EXPECT_EQ(group->group.children[i]->clump, bySize[static_cast<size_t>(i)]);
    EXPECT_EQ(group->group.children[i]->parent, group);
  }
  float expected[6] = {FLT_MAX, -FLT_MAX, FLT_MAX, -FLT_MAX, FLT_MAX, -FLT_MAX};
  for (RwClump* clump : bySize) {
    for (intptr_t slot = rwReservedVertices; slot < clump->vertexArray->count; ++slot) {
      RwVector corner = clump->vertexArray->vertices[slot].model;
      RwTransformPoint(&corner, &clump->worldMatrix);
      const float coordinates[3] = {corner.x, corner.y, corner.z};
      for (int axis = 0; axis < 3; ++axis) {
        expected[2 * axis] = std::min(expected[2 * axis], coordinates[axis]);
        expected[2 * axis + 1] = std::max(expected[2 * axis + 1], coordinates[axis]);
      }
    }
  }
  EXPECT_LT(expected[0], -3.1f);  // the turned box's end, beyond the widest cube's side
  for (int i = 0; i < 6; ++i) EXPECT_NEAR(group->bounds[i], expected[i], 1e-4f) << "bound " << i;
}

TEST_F(Scenes, LeavesLeaveTheQueueFromAnyPlace) {
  // Cubes apart on a line; some leave while queued (destroyed, or moved to
  // another scene), before the first rebuild and after some were moved.
  RwScene* other = RwCreateScene();
  std::vector<RwClump*> cubes;
  for (int i = 0; i < 40; ++i) {
    cubes.push_back(cubeAt(3.0f * static_cast<float>(i), 0, 0));
    RwAddClumpToScene(scene, cubes.back());
  }
  // Every `every`-th cube leaves, destroyed and moved by turns.
  auto leave = [&](size_t every) {
    std::vector<RwClump*> kept;
    for (size_t i = 0; i < cubes.size(); ++i) {
      if (i % every != 1) {
        kept.push_back(cubes[i]);
      } else if (i / every % 2) {
        RwDestroyClump(cubes[i]);
      } else {
        RwAddClumpToScene(other, cubes[i]);
      }
    }
    cubes = kept;
  };
  auto drawnNow = [&] {
    std::vector<RwClump*> order = renderFrom(-10, 0, 0);
    std::sort(order.begin(), order.end());
    std::vector<RwClump*> remaining = cubes;
    std::sort(remaining.begin(), remaining.end());
    return order == remaining;
  };
  leave(3);
  EXPECT_TRUE(drawnNow());
  RwMatrix lift;
  RwTranslateMatrix(&lift, 0, 0.25f, 0, RwReplace);
  for (size_t i = 0; i < cubes.size(); i += 2) RwTransformClump(cubes[i], &lift, RwReplace);
  leave(4);
  EXPECT_TRUE(drawnNow());
  EXPECT_EQ(scene->leafCount, static_cast<intptr_t>(cubes.size()));
  RwDestroyScene(other);
}

TEST_F(Scenes, AClumpWithoutGeometryIsNeverDrawnUntilItGetsSome) {
  RwClump* solid = cubeAt(0, 0, 0);
  RwClump* empty = RwCreateClump(0, 0);
  RwAddVertexToClump(empty, 3, 0, 0);
  RwAddVertexToClump(empty, 4, 0, 0);
  RwAddVertexToClump(empty, 3, 1, 0);
  RwAddClumpToScene(scene, solid);
  RwAddClumpToScene(scene, empty);
  EXPECT_EQ(renderFrom(10, 0, 0), (std::vector<RwClump*>{solid}));
  EXPECT_EQ(scene->root->clump, solid);
  EXPECT_EQ(scene->unboundedLeaves->clump, empty);
  const int32_t triangle[] = {1, 2, 3};
  RwAddPolygonToClump(empty, 3, triangle);
  EXPECT_EQ(renderFrom(10, 0, 0), (std::vector<RwClump*>{solid, empty}));
  EXPECT_EQ(scene->unboundedLeaves, nullptr);
}

TEST_F(Scenes, AMovedClumpIsPlacedAgain) {
  RwClump* a = cubeAt(-1.5f, 0, 0);
  RwClump* b = cubeAt(1.5f, 0, 0);
  RwAddClumpToScene(scene, a);
  RwAddClumpToScene(scene, b);
  EXPECT_EQ(renderFrom(10, 0, 0), (std::vector<RwClump*>{a, b}));
  RwMatrix move;
  RwTranslateMatrix(&move, 6, 0, 0, RwReplace);  // a now lies beyond b
  RwTransformClump(a, &move, RwReplace);
  EXPECT_EQ(renderFrom(10, 0, 0), (std::vector<RwClump*>{b, a}));
}

TEST_F(Scenes, PickingAnswersWithTheNearestClump) {
  RwClump* a = cubeAt(-1.5f, 0, 0);
  RwClump* b = cubeAt(1.5f, 0, 0);
  RwAddClumpToScene(scene, a);
  RwAddClumpToScene(scene, b);
  links.pickClump = [](RwClump* clump, intptr_t, intptr_t, RwCamera*, RwPickRecord* record) {
    record->kind = 1;
    record->clump = clump;
    return record;
  };
  RwSetCameraPosition(camera, -10, 0, 0);
  RwPickRecord record = {};
  ASSERT_EQ(RwPickScene(scene, 5, 5, camera, &record), &record);
  EXPECT_EQ(record.kind, 1);
  EXPECT_EQ(record.clump, a);
  EXPECT_EQ(RwGetCurrentCamera(), nullptr);  // the previous camera is back
  RwSetClumpState(a, rwClumpOff);  // the pick stage skips clumps that are off
  links.pickClump = [](RwClump* clump, intptr_t, intptr_t, RwCamera*, RwPickRecord* record) {
    if (clump->state == rwClumpOn) *record = {1, clump, nullptr, 0, 0, {0, 0, 0}};
    return record;
  };
  RwPickScene(scene, 5, 5, camera, &record);
  EXPECT_EQ(record.clump, b);
}

TEST_F(Scenes, LightsMoveBetweenListsAndRaiseTheLightingCount) {
  EXPECT_EQ(scene->lightingCount, 999999);
  RwLight* light = RwCreateLight(rwPointLight, 0, 0, 0, 1.0f);
  EXPECT_EQ(RwGetDefaultScene()->lightsOn, light);
  RwAddLightToScene(scene, light);
  EXPECT_EQ(scene->lightsOn, light);
  EXPECT_EQ(scene->lightingCount, 1000000);
  RwSetLightState(light, rwLightOn);  // the same state again changes nothing
  EXPECT_EQ(scene->lightingCount, 1000000);
  RwSetLightState(light, rwLightOff);
  EXPECT_EQ(scene->lightsOff, light);
  EXPECT_EQ(scene->lightsOn, nullptr);
  EXPECT_EQ(scene->lightingCount, 1000001);
}

TEST_F(Scenes, DestroyingAScene) {
  EXPECT_EQ(RwDestroyScene(RwGetDefaultScene()), 0);
  EXPECT_EQ(RwGetAndClearError(), rwErrDefaultScene);
  uintptr_t clumpsBefore = recordsInUse("clumplist");
  uintptr_t lightsBefore = recordsInUse("lightlist");
  RwClump* parent = cubeAt(0, 0, 0);
  RwAddChildToClump(parent, cubeAt(3, 0, 0));
  RwAddClumpToScene(scene, parent);
  RwAddClumpToScene(scene, cubeAt(-3, 0, 0));
  RwAddLightToScene(scene, RwCreateLight(rwDirectionalLight, 0, -1, 0, 1.0f));
  ASSERT_EQ(RwRebuildScene(scene), 1);
  EXPECT_EQ(scene->leafCount, 3);
  EXPECT_EQ(RwAddClumpToScene(scene, parent->firstChild), nullptr);
  EXPECT_EQ(RwGetAndClearError(), rwErrNotRootClump);
  EXPECT_EQ(RwDestroyScene(scene), 1);
  EXPECT_EQ(recordsInUse("clumplist"), clumpsBefore);
  EXPECT_EQ(recordsInUse("lightlist"), lightsBefore);
}

TEST_F(Scenes, ClumpsLeftInScenesAreFreedWhenTheLibraryCloses) {
  // Checked by the leak sanitizer: nothing of these may outlive RwClose.
  RwAddClumpToScene(scene, cubeAt(0, 0, 0));
  cubeAt(4, 0, 0);
  RwCreateLight(rwSpotLight, 0, 5, 0, 1.0f);
  RwClose();
  ASSERT_EQ(RwOpenDefault("NullDevice", 0), 1);
}

TEST_F(Scenes, RunningOutOfMemoryLeavesNothingBehind) {
  for (intptr_t allowed = 0;; ++allowed) {
    RwFailAllocationsAfter(allowed);
    RwScene* trial = RwCreateScene();
    RwClump* a = trial ? cubeAt(-2, 0, 0) : nullptr;
    RwClump* b = a ? cubeAt(2, 0, 0) : nullptr;
    RwClump* c = b ? cubeAt(0, 0, 0, 3.0f) : nullptr;
    bool placed = c && RwAddClumpToScene(trial, a) && RwAddClumpToScene(trial, b) && RwAddClumpToScene(trial, c);
    RwBeginCameraUpdate(camera, 0);
    bool rendered = placed && RwRenderScene(trial) == trial;
    RwEndCameraUpdate(camera);
    RwFailAllocationsAfter(-1);
    RwGetAndClearError();
    for (RwClump* clump : {a, b, c}) {
      if (clump && RwGetClumpScene(clump) != trial) RwDestroyClump(clump);
    }
    if (trial) RwDestroyScene(trial);
    if (rendered) break;
    ASSERT_LT(allowed, 1000);
  }
}

}  // namespace
