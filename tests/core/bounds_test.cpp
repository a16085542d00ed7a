// Bounding cubes: per leaf kind, scaled, turned, from children, invalidated.
#include "core/bounds.h"

#include <cmath>

#include "tests/core/scene_fixture.h"
#include "tests/core/shape_builders.h"

namespace {

class BoundsTest : public SceneTest {};

void expectVec(const ZmVec3& v, float x, float y, float z) {
  EXPECT_NEAR(v.x, x, 1e-4);
  EXPECT_NEAR(v.y, y, 1e-4);
  EXPECT_NEAR(v.z, z, 1e-4);
}

TEST_F(BoundsTest, LeafKindsGiveTheirBoxesScaledByTheObject) {
  struct Case {
    const char* what;
    ZmLeaf* (*leaves)();
    ZmVec3 min, max;
  };
  const Case cases[] = {
      {"sphere r2", [] { return static_cast<ZmLeaf*>(newSphere(2)); }, {-2, -4, -6}, {2, 4, 6}},
      {"cone r1 h2", [] { return zmNewConeLeaf(ZM_PARTS_ALL, 1, 2); }, {-1, -2, -3}, {1, 2, 3}},
      {"cone bottom only", [] { return zmNewConeLeaf(ZM_PARTS_BOTTOM, 1, 2); }, {-1, -2, -3}, {1, -2, 3}},
      {"cylinder r1/2 h4", [] { return zmNewCylinderLeaf(ZM_PARTS_ALL, 1, 2, 4); }, {-2, -4, -6}, {2, 4, 6}},
      {"cylinder top only", [] { return zmNewCylinderLeaf(ZM_PARTS_TOP, 1, 1, 4); }, {-1, 4, -3}, {1, 4, 3}},
      {"cube faces", [] { return zmNewCubeLeaf(2, 2, 2); }, {-1, -2, -3}, {1, 2, 3}},
      {"point set", [] { return static_cast<ZmLeaf*>(newPointSet({{0, 1, 0}, {2, -1, 1}})); }, {0, -2, 0}, {2, 2, 3}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ZmObj* object = make(c.what);
    object->scale[0] = 1;
    object->scale[1] = 2;
    object->scale[2] = 3;
    zmAddLeaf(object, 0, c.leaves());
    ZmBoundingCube* cube = zmGetBoundingCube(object);
    ASSERT_NE(cube, nullptr);
    expectVec(cube->local_min, c.min.x, c.min.y, c.min.z);
    expectVec(cube->local_max, c.max.x, c.max.y, c.max.z);
  }
}

TEST_F(BoundsTest, ParentFrameBoxEnclosesTheTurnedBox) {
  ZmObj* object = make("turned");
  zmAddLeaf(object, 0, zmNewCubeLeaf(2, 2, 2));
  float turn[9];
  zmMat3FromAngles(0, M_PI / 4, 0, turn);
  zmObjectRotate(object, turn, ZM_COORD_PARENT, 0);
  ZmBoundingCube* cube = zmGetBoundingCube(object);
  ASSERT_NE(cube, nullptr);
  expectVec(cube->p_local_min, -1.41421f, -1, -1.41421f);
  expectVec(cube->p_local_max, 1.41421f, 1, 1.41421f);
}

TEST_F(BoundsTest, GroupTakesChildrenOnlyAndFollowsAMovedChild) {
  ZmObj* group = make("group");
  zmAddLeaf(group, 0, newSphere(100));  // ignored: the group has children
  ZmObj* a = make("a", group);
  ZmObj* b = make("b", group);
  zmAddLeaf(a, 0, newSphere(1));
  zmAddLeaf(b, 0, newSphere(1));
  moveTo(b, 5, 0, 0);
  ZmBoundingCube* cube = zmGetBoundingCube(group);
  ASSERT_NE(cube, nullptr);
  expectVec(cube->local_min, -1, -1, -1);
  expectVec(cube->local_max, 6, 1, 1);

  moveTo(b, 0, -7, 0);
  cube = zmGetBoundingCube(group);
  expectVec(cube->local_min, -1, -8, -1);
  expectVec(cube->local_max, 1, 1, 1);
}

TEST_F(BoundsTest, ObjectsWithoutGeometryHaveNoBox) {
  ZmObj* text = make("text");
  zmAddLeaf(text, 0, zmNewAsciiTextLeaf());
  ZmObj* light = make("light");
  zmAddLeaf(light, 0, zmNewPointLight());
  EXPECT_EQ(zmGetBoundingCube(text), nullptr);
  EXPECT_EQ(zmGetBoundingCube(light), nullptr);
  EXPECT_EQ(zmGetObjBoundingCube(nullptr), nullptr);
  ZmVec3 centre = {7, 7, 7};
  float radius = 7;
  EXPECT_EQ(zmGetBoundingSphere(light, &centre, &radius), 0);
  EXPECT_EQ(radius, 7);
  EXPECT_EQ(sceneMessages, std::vector<std::string>{"zmSetAsciiTextBoundingCube: not supported"});
}

TEST_F(BoundsTest, FaceChainInterruptedByALineKeepsWhatWasGathered) {
  ZmObj* object = make("mixed");
  ZmFace* face = newFace({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}});
  face->next = newPolyline({{-9, -9, -9}, {9, 9, 9}});
  zmAddLeaf(object, 0, face);
  ZmBoundingCube* cube = zmGetBoundingCube(object);
  ASSERT_NE(cube, nullptr);
  expectVec(cube->local_min, 0, 0, 0);
  expectVec(cube->local_max, 1, 1, 0);
  EXPECT_EQ(sceneMessages,
            std::vector<std::string>{"zmSetFaceBoundingCube: ZmFace is linked to another type of a leaf\n"});
}

TEST_F(BoundsTest, BoundingSphereOfTheOwnBox) {
  ZmObj* object = make("box");
  zmAddLeaf(object, 0, newPointSet({{0, 0, 0}, {2, 2, 2}}));
  ZmVec3 centre;
  float radius;
  ASSERT_EQ(zmGetBoundingSphere(object, &centre, &radius), 1);
  expectVec(centre, 1, 1, 1);
  EXPECT_NEAR(radius, std::sqrt(3.0f), 1e-5);
}

}  // namespace
