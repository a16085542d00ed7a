// Collision: box tests, the face refinement, the walks and the COLLISION
// events they deliver.
#include "core/collision.h"

#include "core/event.h"
#include "tests/core/scene_fixture.h"
#include "tests/core/shape_builders.h"

namespace {

class CollisionTest : public SceneTest {
 protected:
  void SetUp() override {
    SceneTest::SetUp();
    deliveries.clear();
    failDeliveries = false;
    hooks.script->callEventHandler = [](ZmObj* target, ZmEvent* event) {
      event->object = target;
      deliveries.push_back(sceneNameOf(target) + (event->type == ZM_EVENT_COLLISION ? " COLLISION with " : " ? ") +
                           sceneNameOf(event->otherObject));
      return failDeliveries ? -1 : 0;
    };
  }

  // A solid, colliding box of the given size centred at (x, y, z).
  ZmObj* box(const char* name, float x, float y, float z, float w = 2, float h = 2, float d = 2,
             ZmObj* parent = nullptr) {
    ZmObj* object = make(name, parent);
    zmAddLeaf(object, 0, zmNewCubeLeaf(w, h, d));
    object->obj_flags |= ZM_OBJ_SOLID | ZM_OBJ_COLLISION;
    moveTo(object, x, y, z);
    return object;
  }

  static inline std::vector<std::string> deliveries;
  static inline bool failDeliveries;
};

TEST_F(CollisionTest, CollidingAndSeparatedTopObjects) {
  struct Case {
    const char* what;
    float x;  // the second box's centre on x; both are 2 wide
    int result;
    int collided;
  };
  const Case cases[] = {
      {"overlapping", 1.5f, 0, 1},
      {"touching within 1e-5", 2.000001f, 0, 1},
      {"apart", 2.01f, -1, 0},
      {"far apart", 50, -1, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    deliveries.clear();
    ZmObj* me = box("me", 0, 0, 0);
    ZmObj* you = box("you", c.x, 0, 0);
    int32_t collided = -7;
    EXPECT_EQ(zmEvalCollisionTopObjs(me, you, 1, 1, &collided), c.result);
    EXPECT_EQ(collided, c.collided);
    if (c.collided) {
      EXPECT_EQ(deliveries, (std::vector<std::string>{"me COLLISION with you", "you COLLISION with me"}));
    } else {
      EXPECT_TRUE(deliveries.empty());
    }
    zmDeleteZmObj(me);
    zmDeleteZmObj(you);
  }
}

TEST_F(CollisionTest, EventsGoOnlyToTheSideThatAskedAndPassToAncestors) {
  ZmObj* me = box("me", 0, 0, 0);
  ZmObj* you = box("you", 1, 0, 0);
  int32_t collided = 0;
  EXPECT_EQ(zmEvalCollisionTopObjs(me, you, 1, 0, &collided), 0);
  EXPECT_EQ(deliveries, std::vector<std::string>{"me COLLISION with you"});
  deliveries.clear();
  EXPECT_EQ(zmEvalCollisionTopObjs(me, you, 0, 1, &collided), 0);
  EXPECT_EQ(deliveries, std::vector<std::string>{"you COLLISION with me"});
  EXPECT_EQ(collided, 1);
}

TEST_F(CollisionTest, WorldWalkFindsTheOtherTopObjectAndNeverItself) {
  ZmObj* me = box("me", 0, 0, 0);
  box("far", 50, 0, 0);
  box("near", 0, 1.5f, 0);
  int32_t collided = 0;
  EXPECT_EQ(zmEvalCollisionTopObjAndWorld(me, 1, 1, &collided), 0);
  EXPECT_EQ(collided, 1);
  EXPECT_EQ(deliveries, (std::vector<std::string>{"me COLLISION with near", "near COLLISION with me"}));

  deliveries.clear();
  ZmObj* lonely = box("lonely", 0, 100, 0);
  EXPECT_EQ(zmEvalCollisionTopObjAndWorld(lonely, 1, 1, &collided), 0);
  EXPECT_EQ(collided, 0);
  EXPECT_TRUE(deliveries.empty());
}

TEST_F(CollisionTest, SubObjectIsTestedAgainstOtherTopObjectsOnly) {
  ZmObj* group = make("group");
  ZmObj* arm = box("arm", 0, 0, 0, 2, 2, 2, group);
  box("sibling", 0.5f, 0, 0, 2, 2, 2, group);
  box("wall", 1.5f, 0, 0);
  int32_t collided = 0;
  EXPECT_EQ(zmEvalCollisionTopObjAndWorld(arm, 1, 0, &collided), 0);
  EXPECT_EQ(deliveries, std::vector<std::string>{"arm COLLISION with wall"});
}

TEST_F(CollisionTest, SubObjectArgumentsAreRefused) {
  ZmObj* group = make("group");
  ZmObj* child = box("child", 0, 0, 0, 2, 2, 2, group);
  ZmObj* top = box("top", 0, 0, 0);
  int32_t collided = 5;
  EXPECT_EQ(zmEvalCollisionTopObjs(child, top, 1, 1, &collided), -1);
  EXPECT_EQ(collided, 0);
  EXPECT_EQ(zmEvalCollisionTopObjs(top, child, 1, 1, &collided), -1);
  EXPECT_EQ(zmEvalCollisionObjAndTopObj(top, child, 1, 1, &collided), -1);
  EXPECT_EQ(sceneMessages, (std::vector<std::string>{"sub object is specified as me", "sub object is specified as you",
                                                     "sub object is specified as top_obj"}));
  EXPECT_TRUE(deliveries.empty());
}

TEST_F(CollisionTest, CrossedBoxesMeetThroughTheirEdges) {
  ZmObj* across = box("across", 0, 0, 0, 6, 1, 1);
  ZmObj* along = box("along", 0, 0, 0, 1, 1, 6);
  ZmObj* aside = box("aside", 0, 3, 0, 1, 1, 6);
  EXPECT_EQ(zmIntersectObjBoxes(across, along), 1);
  EXPECT_EQ(zmIntersectObjBoxes(across, aside), 0);
}

TEST_F(CollisionTest, FaceSetIsHitOnlyThroughItsFaces) {
  ZmObj* room = make("room");  // a closed surface of 10 x 10 x 10
  zmAddLeaf(room, 0, zmNewCubeLeaf(10, 10, 10));
  room->obj_flags |= ZM_OBJ_SOLID | ZM_OBJ_COLLISION;
  ZmObj* inside = box("inside", 0, 0, 0);
  ZmObj* atWall = box("atWall", 4.5f, 0, 0);
  EXPECT_EQ(zmIntersectObjAndObj(inside, room), 0);
  EXPECT_EQ(zmIntersectObjAndObj(atWall, room), 1);
  int32_t collided = 0;
  EXPECT_EQ(zmEvalCollisionObjAndObj(inside, room, 1, 1, &collided), 0);
  EXPECT_EQ(collided, 0);
  EXPECT_EQ(zmEvalCollisionObjAndObj(atWall, room, 1, 1, &collided), 0);
  EXPECT_EQ(collided, 1);
}

TEST_F(CollisionTest, GroupWithCollisionBitIsPassedOverWhenMissed) {
  ZmObj* me = box("me", 0, 0, 0);
  ZmObj* group = make("group");
  group->obj_flags |= ZM_OBJ_COLLISION;
  box("member", 10, 0, 0, 2, 2, 2, group);
  box("other member", 1, 0, 0, 2, 2, 2, group);
  int32_t collided = 0;
  EXPECT_EQ(zmEvalCollisionObjAndObj(me, group, 1, 0, &collided), 0);
  EXPECT_EQ(deliveries, std::vector<std::string>{"me COLLISION with other member"});

  deliveries.clear();
  moveTo(group, 0, 50, 0);
  EXPECT_EQ(zmEvalCollisionObjAndObj(me, group, 1, 0, &collided), 0);
  EXPECT_EQ(collided, 0);
  EXPECT_TRUE(deliveries.empty());
}

TEST_F(CollisionTest, SolidWithoutCollisionBitCollidesByTopBoxesAlone) {
  ZmObj* me = box("me", 0, 0, 0);
  ZmObj* ghost = box("ghost", 0, 0, 0);
  ghost->obj_flags &= ~ZM_OBJ_COLLISION;
  int32_t collided = 0;
  EXPECT_EQ(zmEvalCollisionTopObjs(me, ghost, 0, 1, &collided), 0);
  EXPECT_EQ(deliveries, std::vector<std::string>{"ghost COLLISION with me"});
}

TEST_F(CollisionTest, FailedDeliveryEndsTheWalkWithItsResult) {
  ZmObj* me = box("me", 0, 0, 0);
  ZmObj* you = box("you", 1, 0, 0);
  failDeliveries = true;
  int32_t collided = 0;
  EXPECT_EQ(zmEvalCollisionTopObjs(me, you, 1, 1, &collided), -1);
  EXPECT_EQ(collided, 1);
  EXPECT_EQ(deliveries, std::vector<std::string>{"me COLLISION with you"});
}

TEST_F(CollisionTest, DistanceBetweenBoxCentres) {
  ZmObj* a = box("a", 0, 0, 0);
  ZmObj* b = box("b", 3, 4, 0);
  ZmObj* empty = make("empty");
  moveTo(empty, 0, 0, 2);
  EXPECT_DOUBLE_EQ(zmCalcObjDistance(a, b), 5);
  EXPECT_DOUBLE_EQ(zmCalcObjDistance(a, a), 0);
  EXPECT_DOUBLE_EQ(zmCalcObjDistance(a, empty), 2);
}

}  // namespace
