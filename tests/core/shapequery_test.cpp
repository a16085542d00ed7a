// Searches over object trees and worlds: the nearest of several objects,
// pruning by boxes, Switch children, and the avatar left out.
#include "core/shapequery.h"

#include <random>
#include <vector>

#include "core/bounds.h"
#include "core/linequery.h"
#include "tests/core/scene_fixture.h"
#include "tests/core/shape_builders.h"

namespace {

class ObjectSearchTest : public SceneTest {
 protected:
  ZmObj* cube(const char* name, float z, ZmObj* parent = nullptr) {
    ZmObj* object = make(name, parent);
    zmAddLeaf(object, 0, zmNewCubeLeaf(2, 2, 2));
    moveTo(object, 0, 0, z);
    return object;
  }

  // The object a ray down the z axis from z = 20 finds first.
  ZmObj* pick(ZmObj* (*search)(ZmWorld*, const ZmVec3*, const ZmVec3*, float*, ZmLeaf**, int32_t*, ZmVec3*),
              float* t = nullptr) {
    const ZmVec3 p0 = {0.25f, 0.25f, 20}, p1 = {0.25f, 0.25f, 19};
    ZmLeaf* leaf = nullptr;
    int32_t part = -1;
    ZmVec3 point;
    float held = ZM_NO_HIT;
    return search(world, &p0, &p1, t ? t : &held, &leaf, &part, &point);
  }
};

TEST_F(ObjectSearchTest, NearerOfTwoCubesWinsWhateverTheirOrder) {
  cube("far", -5);
  ZmObj* near = cube("near", 5);
  cube("farther", -10);
  float t = ZM_NO_HIT;
  EXPECT_EQ(pick(zmIntersectLineAndTopObjs, &t), near);
  EXPECT_FLOAT_EQ(t, 14);  // the near cube's face at z = 6
}

TEST_F(ObjectSearchTest, AvatarTreeIsNeverReported) {
  ZmObj* avatar = make("avatar");
  ZmObj* body = cube("body", 5, avatar);
  ZmObj* ground = cube("ground", -5);
  world->person = body;
  EXPECT_EQ(pick(zmIntersectLineAndTopObjs), body);
  EXPECT_EQ(pick(zmFindZmObjByPerson), ground);
  world->person = nullptr;
  EXPECT_EQ(zmFindZmObjByPerson(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr), nullptr);
  EXPECT_EQ(sceneMessages, std::vector<std::string>{"zmFindZmObjByPerson: world is NULL"});
}

TEST_F(ObjectSearchTest, WorldSearchFindsWhatEachObjectsOwnTestFinds) {
  // Cubes turned and placed at random; half the rays aim at a cube's corner,
  // where its own box touches the world-axis box the search tests first.
  std::mt19937 random(7);
  std::uniform_real_distribution<float> place(-20, 20), angle(0, 6.2831853f), size(0.5f, 3);
  std::vector<ZmObj*> cubes;
  for (int i = 0; i < 60; ++i) {
    ZmObj* object = make("cube");
    const float edge = size(random);
    zmAddLeaf(object, 0, zmNewCubeLeaf(edge, edge, edge));
    ZmRT placement;
    zmMat3FromAngles(angle(random), angle(random), angle(random), placement.m);
    placement.t = {place(random), place(random), place(random)};
    zmObjectRotateTrans(object, &placement, ZM_COORD_PARENT, 0);
    cubes.push_back(object);
  }
  int hits = 0;
  for (int r = 0; r < 2000; ++r) {
    const ZmVec3 p0 = {place(random), place(random), place(random)};
    ZmVec3 p1 = {p0.x + place(random), p0.y + place(random), p0.z + place(random)};
    if (r % 2 == 1) {
      ZmObj* aimed = cubes[static_cast<size_t>(r) % cubes.size()];
      const ZmVec3 corner = zmGetBoundingCube(aimed)->local_max;
      zmRTTransformPoint(zmGetWRT(aimed), &corner, &p1);
    }
    ZmLeaf* leaf = nullptr;
    int32_t part = 0;
    ZmVec3 point;
    ZmObj* expected = nullptr;
    float nearest = ZM_NO_HIT;
    for (ZmObj* cube : cubes) {
      float t = ZM_NO_HIT;
      if (zmIntersectLineAndLeafObj(&p0, &p1, &t, cube, &leaf, &part, &point) == 1 && zmIsNearerHit(t, nearest)) {
        nearest = t;
        expected = cube;
      }
    }
    float t = ZM_NO_HIT;
    ASSERT_EQ(zmIntersectLineAndTopObjs(world, &p0, &p1, &t, &leaf, &part, &point), expected) << "ray " << r;
    if (expected == nullptr) continue;
    EXPECT_NEAR(t, nearest, 1e-4) << "ray " << r;
    hits++;
  }
  EXPECT_GT(hits, 1000);
}

TEST_F(ObjectSearchTest, BoxEnteredNoNearerThanTheHeldHitIsNotSearched) {
  // Two equal cubes at the same place: the first is held, the second's box
  // begins exactly there and is passed over.
  ZmObj* first = cube("first", 0);
  cube("second", 0);
  EXPECT_EQ(pick(zmIntersectLineAndTopObjs), first);
}

TEST_F(ObjectSearchTest, ObjectWithoutLeavesIsHitAtItsBox) {
  ZmObj* marker = make("marker");
  marker->boundingCube.local_min = {-1, -1, -1};
  marker->boundingCube.local_max = {1, 1, 1};
  marker->obj_flags |= ZM_OBJ_LOCAL_CUBE_VALID | ZM_OBJ_HAS_CUBE;
  const ZmVec3 p0 = {0, 0, 5}, p1 = {0, 0, 4};
  ZmObj* hitObj = nullptr;
  ZmLeaf* leaf = reinterpret_cast<ZmLeaf*>(&hitObj);
  int32_t part = 9;
  ZmVec3 point;
  float t = ZM_NO_HIT;
  zmIntersectLineAndObjTree(marker, &p0, &p1, &t, &hitObj, &leaf, &part, &point);
  EXPECT_EQ(hitObj, marker);
  EXPECT_EQ(leaf, nullptr);
  EXPECT_EQ(part, 0);
  EXPECT_FLOAT_EQ(t, 4);
  EXPECT_FLOAT_EQ(point.z, 1);
}

TEST_F(ObjectSearchTest, SwitchSearchesOnlyItsActiveChild) {
  ZmObj* sw = make("switch");
  sw->vrmlType = ZM_VRML_SWITCH;
  cube("front", 5, sw);
  cube("back", -5, sw);
  int32_t* which = static_cast<int32_t*>(zmMalloc(sizeof(int32_t)));
  zmRegisterObjExtension(sw, zmSwitchWhichChild, reinterpret_cast<intptr_t>(which));
  struct Case { int32_t active; const char* expected; };
  for (const Case& c : {Case{-1, "none"}, Case{1, "back"}, Case{-3, "front"}, Case{2, "none"}}) {
    *which = c.active;
    ZmObj* found = pick(zmIntersectLineAndTopObjs);
    EXPECT_EQ(found ? sceneNameOf(found) : "none", c.expected) << c.active;
  }
}

TEST_F(ObjectSearchTest, SwitchNumbersComeFromTheViewerWhenItIsThere) {
  ZmObj* sw = make("lod");
  sw->vrmlType = ZM_VRML_LOD;
  cube("near", 5, sw);
  ZmObj* far = cube("far", -5, sw);
  hooks.viewer->getSwitchObjNo = [](ZmObj*) { return int32_t{1}; };
  hooks.viewer->getSwitchObjByNo = [](ZmObj* o, int32_t n) {
    recordCall("getSwitchObjByNo", o);
    return n == 1 ? o->child->next->object : nullptr;
  };
  EXPECT_EQ(pick(zmIntersectLineAndTopObjs), far);
  EXPECT_EQ(sceneCalls.back(), "getSwitchObjByNo lod");
}

}  // namespace
