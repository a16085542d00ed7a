// tests/vrml/builder_lights_test.cpp -- light and camera nodes: their
// leaves with the defaults, their placement and the camera table.
#include <cmath>

#include "tests/vrml/builder_fixture.h"
#include "core/camera.h"
#include "vrml/objcreate.h"
#include "vrml/qvsfields.h"

namespace {

void expectRows(const ZmRT& m, std::initializer_list<float> rows) {
  int i = 0;
  for (float value : rows) EXPECT_NEAR(m.m[i++], value, 1e-5) << "element " << i - 1;
}

}  // namespace

TEST_F(BuilderTest, LightsKeepTheirFieldsAndArePlacedByLocationAndDirection) {
  ASSERT_EQ(parseVRMLIntoWorld(worldFile("lights_cameras.wrl").c_str(), world), 0);
  ZmObj* spot = named("Spot");
  const auto* spotLeaf = reinterpret_cast<const ZmSpotLight*>(spot->leaf);
  ASSERT_EQ(spotLeaf->kind, ZM_LEAF_SPOT_LIGHT);
  EXPECT_EQ(spotLeaf->on, 1);
  EXPECT_FLOAT_EQ(spotLeaf->intensity, 1.0f);
  EXPECT_FLOAT_EQ(spotLeaf->color[2], 1.0f);
  EXPECT_FLOAT_EQ(spotLeaf->dropOffRate, 0.0f);
  EXPECT_FLOAT_EQ(spotLeaf->cutOffAngle, 0.785398f);
  expectRows(spot->localRT, {1, 0, 0, 0, 1, 0, 0, 0, 1});
  EXPECT_FLOAT_EQ(spot->localRT.t.z, 1.0f);

  ZmObj* bulb = named("Bulb");
  EXPECT_EQ(bulb->leaf->kind, ZM_LEAF_POINT_LIGHT);
  EXPECT_EQ(reinterpret_cast<const ZmLight*>(bulb->leaf)->on, 0);
  EXPECT_FLOAT_EQ(bulb->localRT.t.y, 2.0f);
  EXPECT_FLOAT_EQ(bulb->worldRT.t.z, 3.0f);

  float down[9];
  zmMat3FromAngles(-M_PI / 2, 0, 0, down);
  expectRows(named("Down")->localRT, {down[0], down[1], down[2], down[3], down[4], down[5], down[6], down[7], down[8]});
  ZmObj* side = named("Side");
  expectRows(side->localRT, {0, 0, 1, 0, 1, 0, -1, 0, 0});
  const auto* sideLeaf = reinterpret_cast<const ZmLight*>(side->leaf);
  EXPECT_FLOAT_EQ(sideLeaf->intensity, 0.5f);
  EXPECT_FLOAT_EQ(sideLeaf->color[1], 0.0f);
}

TEST(LightDirection, TurnsMinusZOntoTheDirection) {
  struct Case {
    float d[3];
    std::initializer_list<float> rows;
  } cases[] = {
      {{0, 0, -1}, {1, 0, 0, 0, 1, 0, 0, 0, 1}},
      {{0, 0, 0}, {1, 0, 0, 0, 1, 0, 0, 0, 1}},
      {{3, 0, 0}, {0, 0, 1, 0, 1, 0, -1, 0, 0}},
      {{0, 0, 2}, {-1, 0, 0, 0, 1, 0, 0, 0, -1}},
  };
  for (const Case& c : cases) {
    QvSFVec3f direction;
    std::copy(c.d, c.d + 3, direction.value);
    ZmRT m;
    setZmDirectionRT(direction, &m);
    SCOPED_TRACE(testing::Message() << c.d[0] << " " << c.d[1] << " " << c.d[2]);
    expectRows(m, c.rows);
    ZmVec3 minusZ = {-m.m[6], -m.m[7], -m.m[8]};
    float length = std::sqrt(c.d[0] * c.d[0] + c.d[1] * c.d[1] + c.d[2] * c.d[2]);
    if (length > 0) {
      EXPECT_NEAR(minusZ.x, c.d[0] / length, 1e-6);
      EXPECT_NEAR(minusZ.z, c.d[2] / length, 1e-6);
    }
  }
}

TEST_F(BuilderTest, CamerasKeepTheirLeafFieldsAndTheLastOneHoldsIdThree) {
  ASSERT_EQ(parseVRMLIntoWorld(worldFile("lights_cameras.wrl").c_str(), world), 0);
  ZmObj* flat = named("Flat");
  const auto* ortho = reinterpret_cast<const ZmOrthographicCamera*>(flat->leaf);
  ASSERT_EQ(ortho->kind, ZM_LEAF_ORTHOGRAPHIC_CAMERA);
  EXPECT_FLOAT_EQ(ortho->focalDistance, 5.0f);
  EXPECT_FLOAT_EQ(ortho->height, 2.0f);
  EXPECT_FLOAT_EQ(flat->localRT.t.z, 1.0f);

  ZmObj* eye = named("Eye");
  const auto* perspective = reinterpret_cast<const ZmPerspectiveCamera*>(eye->leaf);
  EXPECT_FLOAT_EQ(perspective->focalDistance, 5.0f);
  EXPECT_FLOAT_EQ(perspective->heightAngle, 0.5f);
  // A quarter turn about y, then moved to (0, 0, 10).
  expectRows(eye->localRT, {0, 0, -1, 0, 1, 0, 1, 0, 0});
  EXPECT_FLOAT_EQ(eye->localRT.t.z, 10.0f);

  ASSERT_NE(world->cameraTable, nullptr);
  EXPECT_EQ(zmGetCameraFromCameraTable(world, 3), eye);
  int entries = 0;
  for (ZmCameraList* node = world->cameraTable->first; node; node = node->next) ++entries;
  EXPECT_EQ(entries, 1);
  EXPECT_EQ(world->cameraTable->activeId, 1);
}
