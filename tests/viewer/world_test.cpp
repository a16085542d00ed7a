// A whole world mirrored into the engine: construction with Switch and LOD
// objects, moved objects reaching the engine once per frame, picking,
// bounding boxes, the backdrop, point projection, leaf modes, and teardown
// that frees every engine record exactly once.
#include <cmath>
#include <string>

#include "core/camera.h"
#include "core/transform.h"
#include "engine/camera.h"
#include "engine/clump.h"
#include "engine/material.h"
#include "engine/matrix.h"
#include "engine/polygon.h"
#include "engine/pool.h"
#include "engine/rasters.h"
#include "viewer/boundingbox.h"
#include "viewer/cameraquery.h"
#include "viewer/frame.h"
#include "viewer/sceneobjects.h"
#include "viewer/texture.h"
#include "viewer/transfer.h"
#include "viewer_fixture.h"

namespace {

uintptr_t inUse(const char* pool) {
  for (RwPool* p = RwGetPoolState().head; p; p = p->next)
    if (std::string(p->name) == pool) return p->recordsInUse;
  return 0;
}

struct EngineRecords {
  uintptr_t clumps, lights, cameras, rasters;
  bool operator==(const EngineRecords&) const = default;
};

EngineRecords engineRecords() {
  return {inUse("clumplist"), inUse("lightlist"), inUse("cameralist"), inUse("rasterlist")};
}

class WholeWorld : public ViewerWorld {
 protected:
  void construct(const char* name) {
    read(name);
    ASSERT_EQ(zmRenderConstructWorldInViewer(world), 0) << (errorBoxes().empty() ? "" : errorBoxes()[0]);
  }

  ZmObj* find(const char* name) {
    for (ZmTopObjList* node = world->topObjects; node; node = node->next)
      if (ZmObj* found = zmFindObjInSubtree(node->object, name)) return found;
    ADD_FAILURE() << "no object named " << name;
    return nullptr;
  }

  static bool isDrawn(ZmObj* object) {
    RwClump* clump = zmRwGetLeafClump(object->leaf);
    return clump != nullptr && clump->state == 2;
  }

  RwCamera* defaultCamera() const { return world->rendering->defaultCamera; }

  static int lodShown(ZmObj* lod) {
    return *reinterpret_cast<const int32_t*>(zmGetObjExtension(lod, zmSwitchWhichChild));
  }
};

TEST_F(WholeWorld, SwitchShowsItsChosenChildAndLodChecksItsRanges) {
  zmTurnOnFlagByName("warning");
  static std::vector<std::string> notes;
  notes.clear();
  coreHooks.messages->notifyMessage = [](const char* text) { notes.push_back(text); return 0; };
  construct("switchlod.wrl");
  struct Case {
    const char* name;
    bool drawn;
  } cases[] = {{"S0", false}, {"S1", true}, {"S2", false}, {"A0", true},
               {"A1", true},  {"N0", false}, {"Near", true}, {"Far", true}};
  for (const Case& c : cases) EXPECT_EQ(isDrawn(find(c.name)), c.drawn) << c.name;
  int lodWarnings = 0;
  for (const std::string& note : notes)
    if (note.find("number of LOD range or children is wrong") != std::string::npos) ++lodWarnings;
  EXPECT_EQ(lodWarnings, 1) << "only the LOD with one range for three children";
}

TEST_F(WholeWorld, LodShowsTheChildOfTheCameraDistance) {
  construct("switchlod.wrl");
  ZmObj* lod = find("Detail");
  struct Case {
    float distance;
    int shown;
  } cases[] = {{5, 0}, {15, 1}, {25, 2}, {10, 1}, {10, 1}};
  for (const Case& c : cases) {
    RwSetCameraPosition(defaultCamera(), 0.0f, 0.0f, c.distance);
    RwPointCamera(defaultCamera(), 0.0f, 0.0f, -1.0f);
    ASSERT_EQ(zmRwEvalAllLOD(world, defaultCamera()), 0);
    EXPECT_EQ(lodShown(lod), c.shown) << c.distance;
    EXPECT_EQ(isDrawn(find("Near")), c.shown == 0) << c.distance;
    EXPECT_EQ(isDrawn(find("Middle")), c.shown == 1) << c.distance;
    EXPECT_EQ(isDrawn(find("Far")), c.shown == 2) << c.distance;
  }
  // A centre behind the camera keeps the child shown before.
  RwSetCameraPosition(defaultCamera(), 0.0f, 0.0f, 25.0f);
  RwPointCamera(defaultCamera(), 0.0f, 0.0f, 1.0f);
  zmRwEvalAllLOD(world, defaultCamera());
  EXPECT_EQ(lodShown(lod), 1);
}

TEST_F(WholeWorld, MovesReachTheEngineOnceAtTheNextTransfer) {
  construct("shapes.wrl");
  ZmObj* box = named("Box");
  ZmObj* parent = box->parent;
  ASSERT_NE(parent, nullptr);
  const ZmVec3 right{2.0f, 0.0f, 0.0f}, up{0.0f, 3.0f, 0.0f};
  ASSERT_EQ(zmObjectTrans(parent, &right, 0, 1), 0);
  ASSERT_EQ(zmObjectTrans(box, &up, 0, 1), 0);
  ASSERT_EQ(zmObjectTrans(parent, &right, 0, 1), 0);
  int queued = 0;
  for (ZmTransferedObj* node = world->rendering->transferedObjs; node; node = node->next) ++queued;
  EXPECT_EQ(queued, 1) << "the child waits with its parent, and the parent once";
  EXPECT_EQ(box->obj_flags & ZM_OBJ_NOT_QUEUED, 0u);

  ASSERT_EQ(zmRenderTransferObjects(world), 0);
  EXPECT_EQ(world->rendering->transferedObjs, nullptr);
  EXPECT_NE(box->obj_flags & ZM_OBJ_NOT_QUEUED, 0u);
  RwMatrix engine;
  RwGetClumpLocalMatrix(zmRwGetLeafClump(box->leaf), &engine);
  const ZmRT* rt = zmGetWRT(box);
  EXPECT_FLOAT_EQ(engine.m[3][0], rt->t.x);
  EXPECT_FLOAT_EQ(engine.m[3][1], rt->t.y);
  EXPECT_FLOAT_EQ(engine.m[3][2], rt->t.z);

  // An object deleted while it waits is gone from the list.
  ASSERT_EQ(zmObjectTrans(box, &up, 0, 1), 0);
  ASSERT_NE(world->rendering->transferedObjs, nullptr);
  ASSERT_EQ(zmDeleteZmObj(box), 0);
  EXPECT_EQ(world->rendering->transferedObjs, nullptr);
}

TEST_F(WholeWorld, PickingNamesObjectLeafPartAndDistance) {
  construct("pick.wrl");
  zmSetActiveCameraID(world, 1);
  world->cameraTable->activeId = 1;
  ZmPickInfo info = {};
  // The cube's front face lies 9 units in front of the default camera.
  ASSERT_EQ(zmPickupZmShape(world, 32, 24, &info), 0);
  EXPECT_EQ(info.object, find("Target"));
  EXPECT_EQ(info.leaf->owner, find("Target"));
  EXPECT_EQ(info.part, 0);
  EXPECT_NEAR(info.distance, 9.0f, 0.2f);
  ASSERT_EQ(info.hasNormal, 1);
  EXPECT_NEAR(info.normal[2], 1.0f, 0.01f);

  // The third segment of the line set, x from 0.2 to 0.6 at y 0.2 one unit
  // away: pixel column 32 + 0.4 * 32 / 1.0 and row 24 - 0.2 * 24 / 0.75.
  ZmPickInfo segment = {};
  ASSERT_EQ(zmPickupZmShape(world, 44, 17, &segment), 0);
  EXPECT_EQ(segment.object, find("Wire"));
  EXPECT_EQ(segment.leaf, find("Wire")->leaf);
  EXPECT_EQ(segment.part, 2);

  ZmPickInfo untouched = {};
  untouched.part = 77;
  EXPECT_EQ(zmPickupZmShape(world, 1, 46, &untouched), -7);
  EXPECT_EQ(untouched.part, 77);
}

TEST_F(WholeWorld, BoundingBoxIsMadeOnceAndHidesNothingFromPicking) {
  construct("pick.wrl");
  world->cameraTable->activeId = 1;
  ZmObj* target = find("Target");
  ASSERT_EQ(zmRenderSetBoundingBoxInViewer(target), 0);
  auto* box = reinterpret_cast<RwClump*>(zmGetObjExtension(target, zmRenderBoundingBox));
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(RwGetClumpNumVertices(box), 16);
  EXPECT_EQ(RwGetClumpNumPolygons(box), 24);
  ASSERT_EQ(zmRenderSetBoundingBoxInViewer(target), 0);
  EXPECT_EQ(reinterpret_cast<RwClump*>(zmGetObjExtension(target, zmRenderBoundingBox)), box);

  ZmPickInfo info = {};
  ASSERT_EQ(zmPickupZmShape(world, 32, 24, &info), 0);
  EXPECT_EQ(info.clump, zmRwGetLeafClump(target->leaf)) << "the cube inside, not its box";
  EXPECT_EQ(box->state, 2) << "the box is shown again";

  // Shapes built after the box keep their own material.
  RwMaterial* current = RwCurrentMaterial();
  EXPECT_NE(RwGetMaterialGeometrySampling(current), 2);

  const EngineRecords before = engineRecords();
  ASSERT_EQ(zmRenderDeleteBoundingBoxInViewer(target), 0);
  EXPECT_EQ(engineRecords().clumps, before.clumps - 1);
  EXPECT_EQ(zmGetObjExtension(target, zmRenderBoundingBox), 0);
  EXPECT_EQ(zmRenderDeleteBoundingBoxInViewer(target), 0);
}

TEST_F(WholeWorld, WireframeTwinIsMadeOnceAndGoesWithFilledMode) {
  construct("shapes.wrl");
  ZmObj* ball = named("Ball");
  RwClump* clump = zmRwGetLeafClump(ball->leaf);
  const intptr_t polygons = RwGetClumpNumPolygons(clump);
  const uintptr_t clumps = engineRecords().clumps;
  for (int i = 0; i < 3; ++i) zmRenderSetSubtreeMode(ball, 0);
  EXPECT_EQ(engineRecords().clumps, clumps + 1) << "one twin however often the mode is set";
  ASSERT_EQ(RwGetClumpNumChildren(clump), 1);
  EXPECT_EQ(RwGetClumpNumPolygons(RwGetClumpFirstChild(clump)), polygons);
  EXPECT_EQ(ball->obj_flags & ZM_OBJ_SOLID, 0u);
  zmRenderSetSubtreeMode(ball, 1);
  EXPECT_EQ(engineRecords().clumps, clumps);
  EXPECT_EQ(RwGetClumpNumChildren(clump), 0);
  EXPECT_NE(ball->obj_flags & ZM_OBJ_SOLID, 0u);

  // A face set turns its polygons, with no twin.
  ZmObj* box = named("Box");
  zmRenderSetSubtreeMode(box, 0);
  EXPECT_EQ(engineRecords().clumps, clumps);
}

TEST_F(WholeWorld, BackdropFollowsHeadingAndSitsCentredWhenLevel) {
  construct("pick.wrl");
  RwCamera* camera = defaultCamera();
  RwSetCameraViewport(camera, 0, 0, 400, 300);
  struct Case {
    intptr_t rasterHeight;
    float lookX, lookZ;
    intptr_t offsetX, offsetY, rectY, rectHeight;
  } cases[] = {
      // Along -z: yaw pi over a 90-degree field is two viewport widths back.
      {200, 0.0f, -1.0f, -800, 0, 50, 200},
      {600, 0.0f, -1.0f, -800, 150, 0, 450},
      // Along +z the backdrop starts at its left edge.
      {200, 0.0f, 1.0f, 0, 0, 50, 200},
  };
  for (const Case& c : cases) {
    RwRaster* raster = RwCreateRaster(128, c.rasterHeight, 16);
    ASSERT_NE(raster, nullptr);
    RwSetCameraPosition(camera, 0.0f, 0.0f, 0.0f);
    RwPointCamera(camera, c.lookX, 0.0f, c.lookZ);
    ASSERT_EQ(TrackBackdropToCamera(camera, raster), 0);
    EXPECT_EQ(camera->backdropOffset[0], c.offsetX) << c.rasterHeight;
    EXPECT_EQ(camera->backdropOffset[1], c.offsetY) << c.rasterHeight;
    EXPECT_EQ(camera->backdropRect[1], c.rectY) << c.rasterHeight;
    EXPECT_EQ(camera->backdropRect[3], c.rectHeight) << c.rasterHeight;
    RwDestroyRaster(raster);
  }
  EXPECT_EQ(TrackBackdropToCamera(camera, nullptr), -1);
}

TEST_F(WholeWorld, PointsProjectThroughACameraObject) {
  construct("shapes.wrl");
  ZmObj* eye = nullptr;
  for (ZmObj* object : buildable())
    if (zmIsCameraObj(object)) eye = object;
  ASSERT_NE(eye, nullptr);
  RwCamera* camera = zmRwGetCamera(eye->leaf);
  RwSetCameraViewport(camera, 0, 0, 64, 48);
  ZmRT at = {};
  at.m[0] = at.m[4] = at.m[8] = 1.0f;
  ASSERT_EQ(zmObjectRotateTrans(eye, &at, 1, 0), 0);
  struct Case {
    float point[3];
    int onScreen, x, y;
  } cases[] = {
      {{0.0f, 0.0f, -5.0f}, 1, 32, 24},   // on the axis: the centre
      {{0.0f, 0.0f, -0.5f}, 1, 32, 24},   // exactly half a unit in front
      {{5.0f, 0.0f, -5.0f}, 1, 64, 24},   // at the view window's edge: the right edge
      {{9.0f, 0.0f, -5.0f}, 0, 89, 24},   // beside the view
  };
  float w = 0, h = 0;
  ASSERT_EQ(zmRenderGetCameraViewWindow(eye, &w, &h), 0);
  for (Case& c : cases) {
    c.point[0] *= w;  // the edge case scales with the camera's own window
    int x = -1, y = -1, on = -1;
    ASSERT_EQ(zmRenderProjectPoint(eye, c.point, &x, &y, &on), 0);
    EXPECT_EQ(on, c.onScreen) << c.point[0];
    EXPECT_EQ(y, c.y) << c.point[0];
    if (c.onScreen) {
      EXPECT_EQ(x, c.x) << c.point[0];
    }
  }
  const float behind[3] = {0.0f, 0.0f, -0.4f};
  int x = -1, y = -1, on = -1;
  ASSERT_EQ(zmRenderProjectPoint(eye, behind, &x, &y, &on), 0);
  EXPECT_EQ(on, 0);
  EXPECT_EQ(x, -1) << "not written";
}

TEST_F(WholeWorld, TeardownFreesEveryEngineRecordOnce) {
  const EngineRecords empty = engineRecords();
  construct("shapes.wrl");
  ASSERT_EQ(zmVFloadAllPendingTextures(), 0);
  const EngineRecords built = engineRecords();
  EXPECT_GT(built.clumps, empty.clumps);
  EXPECT_GT(built.cameras, empty.cameras);

  // One object, then a whole subtree, then the world.
  ZmObj* box = named("Box");
  const uintptr_t boxClumps = 1;
  ASSERT_EQ(zmDeleteZmObj(box), 0);
  EXPECT_EQ(engineRecords().clumps, built.clumps - boxClumps);
  ZmObj* top = world->topObjects->object;
  ASSERT_EQ(zmDeleteZmObj(top), 0);
  zmSetCurrentWorld(nullptr);
  ASSERT_EQ(zmDeleteWorld(world), 0);
  world = nullptr;
  EXPECT_EQ(engineRecords(), empty);
}

TEST_F(WholeWorld, DeletingTheActiveCameraFallsBackToTheDefaultCamera) {
  construct("shapes.wrl");
  ZmObj* eye = nullptr;
  for (ZmObj* object : buildable())
    if (zmIsCameraObj(object)) eye = object;
  ASSERT_NE(eye, nullptr);
  ASSERT_EQ(zmRenderSetCameraState(eye, 1), 0);
  EXPECT_EQ(zmGetActiveCameraID(world), 3);
  EXPECT_EQ(zmRwGetActiveCamera(world), zmRwGetCamera(eye->leaf));
  ASSERT_EQ(zmDeleteZmObj(eye), 0);
  EXPECT_EQ(zmGetActiveCameraID(world), 1);
  EXPECT_EQ(zmGetCameraFromCameraTable(world, 3), nullptr);
  EXPECT_EQ(zmRwGetActiveCamera(world), defaultCamera());
}

TEST_F(WholeWorld, AFrameRendersTheSceneAndShowsIt) {
  construct("shapes.wrl");
  world->cameraTable->activeId = 1;
  viewerTriangles.clear();
  ASSERT_EQ(zmRenderShowWorld(world), 0) << (errorBoxes().empty() ? "" : errorBoxes()[0]);
  EXPECT_FALSE(viewerTriangles.empty());
}

}  // namespace
