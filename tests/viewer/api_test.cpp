// The viewer's interface as its callers use it: the avatar joining a world
// and standing at its home view, Switch and visibility queries, subtree
// builds pausing rendering, the exit handlers, and the authoring view.
#include <cmath>
#include <string>
#include <vector>

#include "core/camera.h"
#include "core/transform.h"
#include "engine/camera.h"
#include "engine/clump.h"
#include "engine/light.h"
#include "engine/matrix.h"
#include "tests/hook_guard.h"
#include "viewer/api.h"
#include "viewer/attributes.h"
#include "viewer/authrend.h"
#include "viewer/hooks.h"
#include "viewer/install.h"
#include "viewer/person.h"
#include "viewer/sceneobjects.h"
#include "viewer_fixture.h"

namespace {

class ViewerApi : public ViewerWorld {
 protected:
  void construct(const char* name) {
    read(name);
    ASSERT_EQ(zmConstructWorldInViewer(world), 0) << (errorBoxes().empty() ? "" : errorBoxes()[0]);
  }

  // The world as the program starts it after a load: bounding cube, avatar
  // and home view.
  void start(const char* name) {
    construct(name);
    zmSetWorldBoundingCube(world);
    ASSERT_EQ(zmAddPersonToWorld(world), 0) << (errorBoxes().empty() ? "" : errorBoxes()[0]);
    ASSERT_EQ(zmAdjustPersonToActiveCamera(world->person), 0);
  }

  ZmObj* find(const char* name) {
    for (ZmTopObjList* node = world->topObjects; node; node = node->next)
      if (ZmObj* found = zmFindObjInSubtree(node->object, name)) return found;
    ADD_FAILURE() << "no object named " << name;
    return nullptr;
  }

  ZmObj* personCamera() { return zmGetCameraFromCameraTable(world, 2); }

  static bool isDrawn(ZmObj* object) {
    RwClump* clump = zmRwGetLeafClump(object->leaf);
    return clump != nullptr && clump->state == 2;
  }

  static bool lightIsOn(ZmObj* object) {
    RwLight* light = zmRwGetLight(object->leaf);
    return light != nullptr && RwGetLightState(light) == 2 && static_cast<ZmLight*>(object->leaf)->on == 1;
  }

  std::vector<std::string>& recordWarnings() {
    notes.clear();
    zmTurnOnFlagByName("warning");
    coreHooks.messages->notifyMessage = [](const char* text) {
      notes.push_back(text);
      return 0;
    };
    return notes;
  }

  static inline std::vector<std::string> notes;
};

TEST_F(ViewerApi, AvatarCameraStandsInFrontOfAWorldWithoutCamera) {
  start("hall.wrl");
  EXPECT_EQ(world->boundingBox[0].x, -10.0f);
  EXPECT_EQ(world->boundingBox[0].y, 0.0f);
  EXPECT_EQ(world->boundingBox[0].z, -5.0f);
  EXPECT_EQ(world->boundingBox[1].x, 10.0f);
  EXPECT_EQ(world->boundingBox[1].y, 4.0f);
  EXPECT_EQ(world->boundingBox[1].z, 5.0f);

  ASSERT_NE(personCamera(), nullptr);
  EXPECT_EQ(zmGetActiveCameraID(world), 2);
  EXPECT_EQ(zmGetActiveCamera(world), personCamera());
  float halfWidth = 0.0f, halfHeight = 0.0f;
  ASSERT_EQ(zmGetCameraViewWindow(personCamera(), &halfWidth, &halfHeight), 0);
  EXPECT_FLOAT_EQ(halfWidth, 1.0f);
  EXPECT_FLOAT_EQ(halfHeight, 0.75f);

  // ax = 10, ay = max(|4 - y|, |0 - y|) < ax for the eye height y, so
  // d = 10 * 4 / 2 + 5.
  const float eyeHeight = 1.55f;
  const ZmRT& home = world->worldRT;
  EXPECT_FLOAT_EQ(home.t.x, 0.0f);
  EXPECT_FLOAT_EQ(home.t.y, eyeHeight);
  EXPECT_FLOAT_EQ(home.t.z, 25.0f);
  for (int i = 0; i < 9; ++i) EXPECT_FLOAT_EQ(home.m[i], (i % 4 == 0) ? 1.0f : 0.0f) << i;

  // The person's camera stands there, looking along -z, and the person
  // upright below it, facing the same way.
  const ZmRT* eye = zmGetWRT(personCamera());
  EXPECT_NEAR(eye->t.x, 0.0f, 1e-5);
  EXPECT_NEAR(eye->t.y, eyeHeight, 1e-5);
  EXPECT_NEAR(eye->t.z, 25.0f, 1e-5);
  ZmVec3 look{};
  ASSERT_EQ(zmGetCameraLookAt(personCamera(), &look), 0);
  EXPECT_NEAR(look.z, -1.0f, 1e-5);
  const ZmRT* body = zmGetWRT(world->person);
  EXPECT_NEAR(body->t.y, 0.0f, 1e-5);
  EXPECT_NEAR(body->m[8], -1.0f, 1e-5) << "the person's +z runs along the view";
  EXPECT_NEAR(body->m[4], 1.0f, 1e-5);
}

TEST_F(ViewerApi, AvatarLightZeroLightsOnlyWorldsWithoutLights) {
  start("hall.wrl");
  ZmObj* worldLight = zmGetNthLightNode(world->person, 0);
  ZmObj* headLight = zmGetNthLightNode(world->person, 1);
  ASSERT_NE(worldLight, nullptr);
  ASSERT_NE(headLight, nullptr);
  EXPECT_EQ(zmGetNthLightNode(world->person, 2), nullptr);
  EXPECT_TRUE(lightIsOn(worldLight));

  // The head light: off as shipped, switched through the person.
  EXPECT_EQ(zmGetPersonHeadLight(world->person), 0);
  EXPECT_EQ(zmSetPersonHeadLight(world->person, 1), 0);
  EXPECT_EQ(zmGetPersonHeadLight(world->person), 1);
  EXPECT_TRUE(lightIsOn(headLight));
  // An avatar without lights has no head light.
  EXPECT_EQ(zmGetPersonHeadLight(find("Floor")), 0);
  EXPECT_EQ(zmSetPersonHeadLight(find("Floor"), 1), -1);
}

TEST_F(ViewerApi, WorldCameraIsTheHomeViewAndGivesItsHeightAngle) {
  start("twocameras.wrl");
  EXPECT_FALSE(lightIsOn(zmGetNthLightNode(world->person, 0))) << "the world brings its own light";
  EXPECT_EQ(zmGetCameraFromCameraTable(world, 3), find("Second"));
  EXPECT_EQ(zmGetActiveCameraID(world), 2);
  float angle = 0.0f;
  ASSERT_EQ(zmGetCameraAttribute(personCamera(), zmCameraAttrHeightAngle, &angle), 0);
  EXPECT_FLOAT_EQ(angle, 0.6f);
  float halfWidth = 0.0f, halfHeight = 0.0f;
  ASSERT_EQ(zmGetCameraViewWindow(personCamera(), &halfWidth, &halfHeight), 0);
  EXPECT_FLOAT_EQ(halfHeight, std::tan(0.3f));
  const ZmRT* eye = zmGetWRT(personCamera());
  EXPECT_NEAR(eye->t.x, 1.0f, 1e-5);
  EXPECT_NEAR(eye->t.y, 2.0f, 1e-5);
  EXPECT_NEAR(eye->t.z, 30.0f, 1e-5);
}

TEST_F(ViewerApi, ParallelWorldCameraGivesNothingToThePerspectiveAvatar) {
  start("lookout.wrl");
  float angle = 0.0f;
  ASSERT_EQ(zmGetCameraAttribute(personCamera(), zmCameraAttrHeightAngle, &angle), 0);
  EXPECT_FLOAT_EQ(angle, 1.2870022f);
  ZmVec3 look{};
  ASSERT_EQ(zmGetCameraLookAt(personCamera(), &look), 0);
  EXPECT_NEAR(look.y, -1.0f, 1e-5) << "the avatar's camera takes the world camera's tilt";
}

TEST_F(ViewerApi, SavedCameraMatrixComesBack) {
  start("hall.wrl");
  ZmRT saved;
  zmMat3FromAngles(0.0, 0.5, 0.0, saved.m);
  saved.t = {3.0f, 1.0f, -7.0f};
  ASSERT_EQ(zmRestorePersonCamera(world, &saved), 0);
  const ZmRT* eye = zmGetWRT(personCamera());
  for (int i = 0; i < 9; ++i) EXPECT_NEAR(eye->m[i], saved.m[i], 1e-5) << i;
  EXPECT_NEAR(eye->t.x, 3.0f, 1e-5);
  EXPECT_NEAR(eye->t.z, -7.0f, 1e-5);
  world->person = nullptr;
  EXPECT_EQ(zmRestorePersonCamera(world, &saved), -1);
}

TEST_F(ViewerApi, SwitchChoiceShowsOneChildAllOrNone) {
  construct("switchlod.wrl");
  std::vector<std::string>& warnings = recordWarnings();
  ZmObj* second = find("Second");
  ZmObj* children[] = {find("S0"), find("S1"), find("S2")};
  EXPECT_EQ(zmGetSwitchObjNum(second), 3);
  EXPECT_EQ(zmGetSwitchObjNo(second), 1);
  EXPECT_EQ(zmGetSwitchObjByNo(second, 2), children[2]);

  struct Case {
    int32_t n;
    bool shown[3];
  } cases[] = {{2, {false, false, true}}, {-3, {true, true, true}}, {-1, {false, false, false}},
               {0, {true, false, false}}};
  for (const Case& c : cases) {
    ASSERT_EQ(zmSetSwitchObjNo(second, c.n), 0) << c.n;
    EXPECT_EQ(zmGetSwitchObjNo(second), c.n);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(isDrawn(children[i]), c.shown[i]) << c.n << " child " << i;
  }
  // The stored choice again changes nothing, even after other changes.
  zmShowObj(children[2]);
  EXPECT_EQ(zmSetSwitchObjNo(second, 0), 0);
  EXPECT_TRUE(isDrawn(children[2]));

  // A hidden Switch refuses; a Group acts on its first child.
  zmHideObj(second);
  EXPECT_EQ(zmSetSwitchObjNo(second, 1), -1);
  EXPECT_EQ(zmSetSwitchObjNo(children[0], 1), -1) << "no children";

  EXPECT_EQ(zmGetSwitchObjByNo(second, 3), nullptr);
  EXPECT_EQ(zmGetSwitchObjByNo(second, -1), nullptr);
  EXPECT_EQ(zmGetSwitchObjNo(children[0]), 0);
  EXPECT_EQ(zmGetSwitchObjNum(nullptr), 0);
  const std::vector<std::string> expected = {"zmGetSwitchObjByNo : not such a object",
                                             "zmGetSwitchObjByNo : not such a object",
                                             "zmGetSwitchObjNo : not a switch object",
                                             "zmGetSwitchObjNum : not a switch object"};
  EXPECT_EQ(warnings, expected);
}

TEST_F(ViewerApi, GroupPassesTheSwitchChoiceToItsFirstChild) {
  construct("switchlod.wrl");
  ZmObj* group = nullptr;
  ASSERT_EQ(zmNewZmObj(world, &group, 1), 0);
  ZmObj* second = find("Second");
  ASSERT_EQ(zmRemoveTopObject(world, second), 0);
  ASSERT_EQ(zmAddChild(group, second), 0);
  ASSERT_EQ(zmAddTopObject(group, "group"), 0);
  ASSERT_EQ(zmSetSwitchObjNo(group, 2), 0);
  EXPECT_EQ(zmGetSwitchObjNo(second), 2);
  EXPECT_TRUE(isDrawn(find("S2")));
  EXPECT_FALSE(isDrawn(find("S1")));
}

TEST_F(ViewerApi, CoreReachesTheSwitchQueriesThroughItsHooks) {
  construct("switchlod.wrl");
  std::vector<std::string>& warnings = recordWarnings();
  zmInstallViewerHooks();
  EXPECT_EQ(coreViewer().getSwitchObjNo(find("Second")), 1);
  EXPECT_EQ(coreViewer().getSwitchObjByNo(find("Second"), 3), nullptr);
  EXPECT_EQ(warnings, std::vector<std::string>{"zmGetSwitchObjByNo : not such a object"});
}

TEST_F(ViewerApi, VisibilityOfAnObjectWithoutLeavesIsItsFirstChilds) {
  construct("hall.wrl");
  std::vector<std::string>& warnings = recordWarnings();
  ZmObj* floor = find("Floor");
  ZmObj* separator = find("Slab");
  ASSERT_EQ(floor->parent, separator);
  EXPECT_EQ(zmIsVisible(separator), 1);
  zmHideObj(floor);
  EXPECT_NE(separator->obj_flags & ZM_OBJ_VISIBLE, 0u) << "the Separator's own flag stays";
  EXPECT_EQ(zmIsVisible(separator), 0);
  EXPECT_EQ(zmIsSolid(separator), 1);
  zmSetObjSolid(separator, 0);
  EXPECT_EQ(zmIsSolid(floor), 0);

  ZmObj* empty = nullptr;
  ASSERT_EQ(zmNewZmObj(world, &empty, 1), 0);
  EXPECT_EQ(zmIsVisible(empty), 0);
  EXPECT_EQ(zmIsVisible(nullptr), 0);
  EXPECT_EQ(zmIsSolid(empty), 0);
  zmAddLeaf(empty, 0, zmNewPointLight());
  EXPECT_EQ(zmIsVisible(empty), 0);
  zmDeleteZmObj(empty);
  const std::vector<std::string> expected = {"zmIsVisible: not a leaf object", "zmIsVisible: no object",
                                             "zmIsSolid: not a leaf object", "zmIsVisible: not a shape object"};
  EXPECT_EQ(warnings, expected);
}

TEST_F(ViewerApi, FailedSubtreeBuildLeavesRenderingPaused) {
  read("hall.wrl");
  zmRenderResume(world);
  ASSERT_EQ(zmRenderIsEnabled(world), 1);
  ZmObj* ball = find("Ball");
  RwFailAllocationsAfter(0);
  EXPECT_EQ(zmConstructObjInViewer(ball), -1);
  RwFailAllocationsAfter(-1);
  EXPECT_EQ(zmRenderIsEnabled(world), 0);
  EXPECT_FALSE(errorBoxes().empty());
  // A later build that succeeds resumes.
  EXPECT_EQ(zmConstructObjInViewer(ball), 0);
  EXPECT_EQ(zmRenderIsEnabled(world), 1);
  EXPECT_TRUE(isDrawn(ball));
  // The core's deletion takes the engine part away through the API.
  zmInstallViewerHooks();
  EXPECT_EQ(coreViewer().destroyObjInViewer, zmDestroyObjInViewer);
  ASSERT_EQ(zmDeleteZmObj(ball), 0);
  EXPECT_EQ(zmRenderIsEnabled(world), 1);
}

// ---- The authoring view -------------------------------------------------------

TEST_F(ViewerApi, AuthoringCameraLooksDownInParallelFromAbove) {
  RwCamera* camera = zmAuthNewCamera();
  ASSERT_NE(camera, nullptr);
  EXPECT_EQ(RwGetCameraProjection(camera), 2);
  RwVector position{}, look{};
  zmAuthGetCameraPosition(camera, &position);
  zmAuthGetCameraLookAt(camera, &look);
  EXPECT_FLOAT_EQ(position.x, 5.0f);
  EXPECT_FLOAT_EQ(position.y, 100.0f);
  EXPECT_FLOAT_EQ(position.z, 0.0f);
  EXPECT_NEAR(look.x, 0.0f, 1e-4);
  EXPECT_NEAR(look.y, -1.0f, 1e-4);
  EXPECT_NEAR(look.z, 0.0f, 1e-4);

  for (auto [width, height] : {std::pair{64, 48}, std::pair{300, 10}}) {
    ASSERT_EQ(zmAuthSetCameraViewport(camera, 0, 0, width, height), 0);
    float halfWidth = 0.0f, halfHeight = 0.0f;
    zmAuthGetCameraViewwindow(camera, &halfWidth, &halfHeight);
    EXPECT_EQ(halfWidth, 20.0f) << width;
    EXPECT_EQ(halfHeight, 20.0f) << width;
  }
  EXPECT_EQ(zmAuthDestroyCamera(camera), 1);
}

TEST_F(ViewerApi, AuthoringViewDrawsTheSharedSceneOrNamesWhatIsMissing) {
  construct("hall.wrl");
  RwCamera* camera = zmAuthNewCamera();
  ASSERT_NE(camera, nullptr);
  ASSERT_EQ(zmAuthSetCameraViewport(camera, 0, 0, 64, 48), 0);
  viewerTriangles.clear();
  EXPECT_EQ(zmAuthShowWorld(world, camera, nullptr, nullptr), 0);
  EXPECT_FALSE(viewerTriangles.empty()) << "the floor seen from above";

  // Each missing part is named in the fatal box (shown once per run, so
  // re-armed between the cases), and nothing is drawn.
  viewerTriangles.clear();
  RenderingStruct* record = world->rendering;
  struct Case {
    ZmWorld* world;
    RenderingStruct* record;
    const char* text;
  } cases[] = {{nullptr, record, "zmAuthShowWorld() : pWorld is NULL!!"},
               {world, nullptr, "zmAuthShowWorld() : RenderingStruct is NULL!!"}};
  for (const Case& c : cases) {
    zmResetReportStateForTest();
    platform::clearRecordedEvents();
    world->rendering = c.record;
    EXPECT_EQ(zmAuthShowWorld(c.world, camera, nullptr, nullptr), -1);
    world->rendering = record;
    ASSERT_EQ(errorBoxes().size(), 1u) << c.text;
    EXPECT_NE(errorBoxes()[0].find(c.text), std::string::npos) << errorBoxes()[0];
  }
  EXPECT_TRUE(viewerTriangles.empty());
  zmAuthDestroyCamera(camera);
}

// ---- Start and end --------------------------------------------------------------

std::vector<std::string> calls;

TEST(ViewerStart, ExitRunsTheHandlersLastRegisteredFirstWithTheBookmarksSavedLast) {
  ServiceGuard<ZmViewerShell> shellHooks{viewerShell};
  shellHooks->readBookmark = [] { calls.push_back("read bookmarks"); };
  shellHooks->saveBookmark = [] { calls.push_back("save bookmarks"); };
  calls.clear();
  zmAddExitHandler([] { calls.push_back("left over"); });
  ASSERT_EQ(zmInit(), 0);
  EXPECT_EQ(calls, std::vector<std::string>{"read bookmarks"}) << "the table starts empty";
  EXPECT_EQ(zmAddExitHandler([] { calls.push_back("first"); }), 0);
  EXPECT_EQ(zmAddExitHandler([] { calls.push_back("second"); }), 0);
  zmExitViewer();
  calls.clear();
  EXPECT_EQ(zmExit(), 0);
  EXPECT_EQ(calls, (std::vector<std::string>{"second", "first", "save bookmarks"}));
  zmInitExitHandlers();
}

}  // namespace
