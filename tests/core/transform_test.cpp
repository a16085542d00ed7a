// Transforms in the three coordinate systems and the world caches.
#include "tests/core/scene_fixture.h"

#include <cmath>

#include "core/transform.h"

using TransformTest = SceneTest;

static ZmRT translation(float x, float y, float z) {
  ZmRT m;
  zmRTIdentity(&m);
  m.t = {x, y, z};
  return m;
}

static ZmRT turnAboutY(double angle) {
  ZmRT m;
  zmRTIdentity(&m);
  zmMat3FromAngles(0, angle, 0, m.m);
  return m;
}

static void expectPoint(const ZmVec3& p, float x, float y, float z) {
  EXPECT_NEAR(p.x, x, 1e-5);
  EXPECT_NEAR(p.y, y, 1e-5);
  EXPECT_NEAR(p.z, z, 1e-5);
}

TEST_F(TransformTest, AChildUnderAMovedParent) {
  ZmObj* parent = make("parent");
  ZmObj* child = make("child", parent);
  ZmObj* grandchild = make("grandchild", child);
  ZmRT at5 = translation(5, 0, 0);
  ASSERT_EQ(zmObjectRotateTrans(parent, &at5, ZM_COORD_WORLD, 0), 0);
  ZmRT at6 = translation(6, 0, 0);
  ASSERT_EQ(zmObjectRotateTrans(child, &at6, ZM_COORD_WORLD, 0), 0);
  expectPoint(zmGetLRT(child)->t, 1, 0, 0);
  expectPoint(zmGetWRT(child)->t, 6, 0, 0);

  ZmRT up = translation(0, 2, 0);
  ASSERT_EQ(zmObjectRotateTrans(grandchild, &up, ZM_COORD_PARENT, 0), 0);
  expectPoint(zmGetWRT(grandchild)->t, 6, 2, 0);

  // Turning the top object invalidates everything below it.
  ZmRT quarter = turnAboutY(M_PI / 2);
  ASSERT_EQ(zmObjectRotateTrans(parent, &quarter, ZM_COORD_OWN, 1), 0);
  EXPECT_EQ(child->obj_flags & ZM_OBJ_WRT_VALID, 0u);
  EXPECT_EQ(grandchild->obj_flags & ZM_OBJ_WRT_VALID, 0u);
  // The grandchild's local first, then the child's, then the parent's world.
  ZmVec3 origin = {0, 0, 0}, placed;
  zmRTTransformPoint(zmGetWRT(grandchild), &origin, &placed);
  expectPoint(placed, 5, 2, -1);
  EXPECT_EQ(zmValidateChildWRT(parent), 0);
  EXPECT_NE(grandchild->obj_flags & ZM_OBJ_WRT_VALID, 0u);
}

TEST_F(TransformTest, RelativeMovesTurnAboutTheRightOrigin) {
  ZmObj* parent = make("parent");
  ZmObj* own = make("own", parent);
  ZmObj* inParent = make("inParent", parent);
  ZmRT at = translation(2, 0, 0);
  ASSERT_EQ(zmObjectRotateTrans(own, &at, ZM_COORD_PARENT, 0), 0);
  ASSERT_EQ(zmObjectRotateTrans(inParent, &at, ZM_COORD_PARENT, 0), 0);
  ZmRT quarter = turnAboutY(M_PI / 2);
  ASSERT_EQ(zmObjectRotateTrans(own, &quarter, ZM_COORD_OWN, 1), 0);
  ASSERT_EQ(zmObjectRotateTrans(inParent, &quarter, ZM_COORD_PARENT, 1), 0);
  expectPoint(zmGetWRT(own)->t, 2, 0, 0);        // turned in place
  expectPoint(zmGetWRT(inParent)->t, 0, 0, -2);  // turned about the parent's origin
  for (int i = 0; i < 9; ++i) EXPECT_FLOAT_EQ(own->localRT.m[i], inParent->localRT.m[i]);

  // A relative shift in world axes follows the world transform.
  ZmRT step = translation(0, 1, 0);
  ASSERT_EQ(zmObjectRotateTrans(own, &step, ZM_COORD_WORLD, 1), 0);
  expectPoint(zmGetWRT(own)->t, 2, 1, 0);
}

TEST_F(TransformTest, AbsoluteTurnsAndShiftsKeepTheOtherPart) {
  ZmObj* object = make("object");
  ZmRT start = turnAboutY(0.5);
  start.t = {1, 2, 3};
  ASSERT_EQ(zmObjectRotateTrans(object, &start, ZM_COORD_WORLD, 0), 0);
  ZmVec3 there = {7, 8, 9};
  ASSERT_EQ(zmObjectTrans(object, &there, ZM_COORD_WORLD, 0), 0);
  expectPoint(zmGetWRT(object)->t, 7, 8, 9);
  EXPECT_FLOAT_EQ(zmGetWRT(object)->m[0], start.m[0]);
  float identity[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
  ASSERT_EQ(zmObjectRotate(object, identity, ZM_COORD_OWN, 0), 0);
  EXPECT_EQ(zmGetWRT(object)->m[0], 1.0f);
  expectPoint(zmGetWRT(object)->t, 7, 8, 9);
}

TEST_F(TransformTest, OnlyRealWorldMovesAreQueuedForTheRenderer) {
  ZmObj* parent = make("parent");
  ZmObj* child = make("child", parent);
  ZmRT at = translation(1, 0, 0);
  ASSERT_EQ(zmObjectRotateTrans(child, &at, ZM_COORD_WORLD, 0), 0);
  sceneCalls.clear();
  ASSERT_EQ(zmObjectRotateTrans(child, &at, ZM_COORD_WORLD, 0), 0);
  EXPECT_TRUE(sceneCalls.empty());
  ASSERT_EQ(zmObjectRotateTrans(child, &at, ZM_COORD_PARENT, 0), 0);
  EXPECT_EQ(sceneCalls, std::vector<std::string>{"rwAddObjToTransferedObjList child"});

  // The parent moves: the child's cache is stale. Moving the child to its
  // old world place is a real move and must be queued.
  ZmRT parentAt = translation(0, 5, 0);
  ASSERT_EQ(zmObjectRotateTrans(parent, &parentAt, ZM_COORD_WORLD, 0), 0);
  sceneCalls.clear();
  ASSERT_EQ(zmObjectRotateTrans(child, &at, ZM_COORD_WORLD, 0), 0);
  EXPECT_EQ(sceneCalls, std::vector<std::string>{"rwAddObjToTransferedObjList child"});
  expectPoint(zmGetLRT(child)->t, 1, -5, 0);

  hooks.viewer->rwAddObjToTransferedObjList = [](ZmObj*) { return -5; };
  EXPECT_EQ(zmObjectRotateTrans(child, &parentAt, ZM_COORD_OWN, 1), -1);
}

TEST_F(TransformTest, InvalidCodesAndBrokenChildLists) {
  ZmObj* object = make("object");
  ZmRT before = object->localRT;
  ZmRT at = translation(1, 1, 1);
  EXPECT_EQ(zmObjectRotateTrans(object, &at, 3, 0), -1);
  EXPECT_EQ(fatalTexts(), std::vector<std::string>{"zmObjectRotateTrans() : invalid coordinate system"});
  EXPECT_EQ(memcmp(&before, &object->localRT, sizeof before), 0);
  EXPECT_TRUE(sceneCalls.empty());

  ZmObj* child = make("child", object);
  child->obj_flags |= ZM_OBJ_PARENT_CUBE_VALID | ZM_OBJ_LOCAL_CUBE_VALID;
  object->obj_flags |= ZM_OBJ_PARENT_CUBE_VALID | ZM_OBJ_LOCAL_CUBE_VALID;
  ASSERT_EQ(zmObjectRotateTrans(child, &at, ZM_COORD_OWN, 0), 0);
  EXPECT_EQ(child->obj_flags & (ZM_OBJ_PARENT_CUBE_VALID | ZM_OBJ_LOCAL_CUBE_VALID), ZM_OBJ_LOCAL_CUBE_VALID);
  EXPECT_EQ(object->obj_flags & (ZM_OBJ_PARENT_CUBE_VALID | ZM_OBJ_LOCAL_CUBE_VALID), 0u);

  ZmObj* saved = object->child->object;
  object->child->object = nullptr;
  sceneCalls.clear();
  EXPECT_EQ(zmObjectRotateTrans(object, &at, ZM_COORD_OWN, 0), -1);
  EXPECT_EQ(sceneMessages.back(), "zmValidateChildWRT: child list contains NULL entry.");
  EXPECT_TRUE(sceneCalls.empty());
  EXPECT_EQ(zmValidateChildWRT(object), -3);
  object->child->object = saved;
}
