// Camera table: registration, the active camera, frames and look-at.
#include "tests/core/scene_fixture.h"

#include <cmath>

#include "core/camera.h"
#include "core/transform.h"

using CameraTest = SceneTest;

static ZmObj* withCamera(ZmObj* object) {
  zmAddLeaf(object, 0, zmNewPerspectiveCameraLeaf());
  return object;
}

TEST_F(CameraTest, TableRegistersReplacesAndChoosesTheActiveCamera) {
  ZmCameraTable* table = world->cameraTable;
  ASSERT_NE(table, nullptr);
  EXPECT_EQ(zmGetActiveCameraID(world), 1);
  EXPECT_EQ(zmGetActiveCamera(world), nullptr);
  EXPECT_TRUE(fatalTexts().empty());

  ZmObj* first = withCamera(make("first"));
  ZmObj* second = withCamera(make("second"));
  ZmObj* third = withCamera(make("third"));
  EXPECT_EQ(zmReginsterToCameraTable(first, 2), 0);
  EXPECT_EQ(zmReginsterToCameraTable(second, 2), 0);  // replaces, one node
  EXPECT_EQ(zmReginsterToCameraTable(third, 3), 0);
  EXPECT_EQ(table->first->camera, second);
  EXPECT_EQ(table->first->next->id, 3);
  EXPECT_EQ(table->first->next->next, nullptr);

  EXPECT_EQ(zmSetActiveCameraID(world, 5), -1);
  EXPECT_EQ(table->activeId, 1);
  EXPECT_EQ(zmSetActiveCameraID(world, 2), 0);
  EXPECT_EQ(zmGetActiveCamera(world), second);
  table->activeId = 4;
  EXPECT_EQ(zmGetActiveCameraID(world), 0);
  EXPECT_EQ(zmGetActiveCamera(world), nullptr);
  table->activeId = 3;

  EXPECT_EQ(zmDeleteCameraFromCameraTable(world, 2), 0);
  EXPECT_EQ(zmGetCameraFromCameraTable(world, 3), third);
  EXPECT_EQ(zmDeleteCameraFromCameraTable(world, 2), -1);
  EXPECT_EQ(sceneMessages.back(), "zmDeleteCameraFromCameraTable() : specified camera is not found");
  EXPECT_EQ(zmSetCameraTableToWorld(world), 0);
  EXPECT_EQ(sceneMessages.back(), "zmSetCameraTableToWorld() : camera table is already exists");
}

TEST_F(CameraTest, ASwitchGroupStandsForItsChosenChild) {
  ZmObj* group = make("group");
  group->vrmlType = ZM_VRML_SWITCH;
  withCamera(make("a", group));
  ZmObj* b = withCamera(make("b", group));
  int32_t* which = static_cast<int32_t*>(zmMalloc(sizeof(int32_t)));
  *which = 1;
  ASSERT_EQ(zmRegisterObjExtension(group, zmSwitchWhichChild, reinterpret_cast<intptr_t>(which)), 0);
  ASSERT_EQ(zmReginsterToCameraTable(group, 3), 0);
  ASSERT_EQ(zmSetActiveCameraID(world, 3), 0);
  EXPECT_EQ(zmGetActiveCamera(world), b);
  *which = -3;
  EXPECT_EQ(zmGetActiveCamera(world), group->child->object);
  *which = 2;
  EXPECT_EQ(zmGetActiveCamera(world), nullptr);
}

TEST_F(CameraTest, ErrorsWithoutATable) {
  ZmObj* camera = withCamera(make("camera"));
  ASSERT_EQ(zmDeleteCameraTable(world), 0);
  EXPECT_EQ(zmGetActiveCameraID(world), 0);
  EXPECT_EQ(fatalTexts(), std::vector<std::string>{"zmGetActiveCameraID() : there is no camera table"});
  // Registering makes the table again.
  EXPECT_EQ(zmReginsterToCameraTable(camera, 2), 0);
  EXPECT_EQ(zmGetCameraFromCameraTable(world, 2), camera);
  ZmObj* plain = make("plain");
  ZmVec3 v;
  zmResetReportStateForTest();
  EXPECT_EQ(zmGetCameraLookAt(plain, &v), -1);
  EXPECT_EQ(fatalTexts().back(), "zmGetCameraLookAt: has no camera");
}

TEST_F(CameraTest, LookAtKeepsThePositionAndAValidFrame) {
  ZmObj* camera = withCamera(make("camera"));
  ZmVec3 position = {1, 2, 3};
  ASSERT_EQ(zmObjectTrans(camera, &position, ZM_COORD_WORLD, 0), 0);
  ZmVec3 forward = {0, 0, -1};
  ASSERT_EQ(zmSetCameraLookAt(camera, &forward), 0);
  const ZmRT* frame = zmGetWRT(camera);
  const float identity[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
  for (int i = 0; i < 9; ++i) EXPECT_FLOAT_EQ(frame->m[i], identity[i]) << i;
  EXPECT_EQ(frame->t.x, 1.0f);
  EXPECT_EQ(frame->t.z, 3.0f);

  // Along the up axis: another up vector keeps a rotation.
  for (float sign : {-1.0f, 1.0f}) {
    ZmVec3 vertical = {0, 5 * sign, 0};
    ASSERT_EQ(zmSetCameraLookAt(camera, &vertical), 0);
    ZmVec3 look, up, pos;
    ASSERT_EQ(zmGetCameraLookAt(camera, &look), 0);
    ASSERT_EQ(zmGetCameraLookUp(camera, &up), 0);
    ASSERT_EQ(zmGetCameraPosition(camera, &pos), 0);
    EXPECT_FLOAT_EQ(look.y, sign);
    EXPECT_NEAR(zmVec3Dot(&look, &up), 0.0, 1e-6);
    EXPECT_NEAR(zmVec3Length(&up), 1.0, 1e-6);
    const float* m = zmGetWRT(camera)->m;
    double det = m[0] * (m[4] * m[8] - m[5] * m[7]) - m[1] * (m[3] * m[8] - m[5] * m[6]) +
                 m[2] * (m[3] * m[7] - m[4] * m[6]);
    EXPECT_NEAR(det, 1.0, 1e-6) << sign;
    EXPECT_EQ(pos.y, 2.0f);
  }
}

TEST_F(CameraTest, RendererForwardsAnswerWithoutARenderer) {
  ZmObj* camera = withCamera(make("camera"));
  int x = 7, y = 7, w = 7, h = 7;
  float near = 7;
  EXPECT_EQ(zmSetCameraViewport(world, 0, 0, 10, 10), 0);
  EXPECT_EQ(zmGetActiveCameraViewport(world, &x, &y, &w, &h), -1);
  EXPECT_EQ(zmGetCameraNearClipping(camera, &near), -1);
  EXPECT_EQ(x + near, 14);  // untouched
  hooks.viewer->renderGetCameraNearClipping = [](ZmObj*, float* d) {
    *d = 0.25f;
    return 0;
  };
  EXPECT_EQ(zmGetCameraNearClipping(camera, &near), 0);
  EXPECT_EQ(near, 0.25f);
}
