// Walking the avatar through a small world with gravity on (floor, wall,
// ledge, ceiling): held keys and their acceleration, sliding, looking up and
// down, the stop short of a wall, gravity at a ledge, the jump, the rise and
// the way back, walks to a clicked point, the mouse's drag values, walking
// sounds and click thresholds, what the world server is told and when, and
// records that must not outlive the objects they name.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "core/object.h"
#include "core/transform.h"
#include "core/world.h"
#include "platform/clock.h"
#include "platform/winuser.h"
#include "tests/hook_guard.h"
#include "viewer/api.h"
#include "viewer/automove.h"
#include "viewer/hooks.h"
#include "viewer/navigation.h"
#include "viewer/person.h"
#include "viewer/rendering.h"
#include "viewer/transfer.h"
#include "viewer_fixture.h"

namespace {

constexpr uint8_t kShift = 16, kControl = 17, kLeft = 37, kUp = 38, kDown = 40;
constexpr float kEyeHeight = 1.55f;  // of the shipped avatar
constexpr double kDegree = 3.14159265358979323846 / 180.0;
constexpr uint64_t kTickMs = 50;  // the tick whose amounts the state holds
constexpr int kPressX = 32, kPressY = 40;  // a point of the floor ahead
constexpr const char* kViewClass = "NavigationTestView";

// What the layers above the viewer were asked to do.
struct Seen {
  uint8_t keys[256] = {};
  int alerts = 0;
  std::set<std::string> playing;
  std::vector<uint64_t> fullSends, positionSends;  // clock times
  int nextPostures = 0, previousPostures = 0;
};
Seen seen;

LRESULT viewProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  zmNavMouseEvent(hwnd, message, wParam, lParam);
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

class Navigation : public ViewerWorld {
 protected:
  void SetUp() override {
    ViewerWorld::SetUp();
    if (HasFatalFailure()) return;
    platform::useVirtualClock(true, 50000);
    zmNavForgetProgramStateForTest();
    seen = Seen{};
    shell->getKeyStateTable = [](uint8_t buffer[256]) { std::memcpy(buffer, seen.keys, 256); };
    shell->alert = [] { seen.alerts++; };
    media->playSpotSoundByName = [](const char* name, int) {
      seen.playing.insert(name);
      return 0;
    };
    media->stopSoundByName = [](const char* name) {
      seen.playing.erase(name);
      return 0;
    };
    media->kinNextPosture = [](ZmObj*) {
      seen.nextPostures++;
      return 0;
    };
    media->kinPrevPosture = [](ZmObj*) {
      seen.previousPostures++;
      return 0;
    };
    multiUser->qxUpdateObj = [](ZmObj*) {
      seen.fullSends.push_back(platform::clockMs());
      return 0;
    };
    multiUser->qxSendObjPosition = [](ZmObj*) {
      seen.positionSends.push_back(platform::clockMs());
      return 0;
    };

    read("nav.wrl");
    ASSERT_EQ(zmConstructWorldInViewer(world), 0);
    zmSetWorldBoundingCube(world);
    ASSERT_EQ(zmAddPersonToWorld(world), 0);
    ASSERT_EQ(zmAdjustPersonToActiveCamera(world->person), 0);
    ASSERT_EQ(zmNavInit(), 0);
    state = zmGetNavState(world);
    ASSERT_NE(state, nullptr);
    person = world->person;
    camera = zmNavGetPersonCamera(world);
    ASSERT_NE(camera, nullptr);
    initialSpeed = state->speed;
    state->speed = 0.1f;
    standAt(0, 0, 0, 0, 1);
  }

  void TearDown() override {
    if (view != nullptr) {
      DestroyWindow(view);
      UnregisterClassA(kViewClass, nullptr);
    }
    ViewerWorld::TearDown();
    platform::useVirtualClock(false);
    zmNavForgetProgramStateForTest();
  }

  // Feet at (x, y, z), facing along (faceX, 0, faceZ), the view level.
  void standAt(float x, float y, float z, float faceX, float faceZ) {
    const ZmVec3 feet = {x, y, z};
    zmObjectTrans(person, &feet, ZM_COORD_WORLD, 0);
    const ZmVec3 facing = {faceX, 0, faceZ};
    zmNavFaceDirection(person, &facing);
    zmNavLevelCamera(camera);
    state->pitch = 0;
  }

  ZmVec3 feet() const { return zmGetWRT(person)->t; }
  ZmVec3 eye() const { return zmGetWRT(camera)->t; }
  ZmVec3 heading() const {
    const ZmRT* m = zmGetWRT(person);
    return {m->m[6], m->m[7], m->m[8]};
  }

  static void hold(std::initializer_list<uint8_t> keys) {
    std::memset(seen.keys, 0, sizeof seen.keys);
    for (uint8_t key : keys) seen.keys[key] = 0x80;
  }

  static void tick(int n = 1) {
    for (int i = 0; i < n; ++i) {
      zmNavStep(nullptr);
      platform::advanceClock(kTickMs);
    }
  }

  // The view window whose procedure hands the mouse to navigation; the
  // engine's cameras brought up to date, as after a frame, for picking.
  void openView() {
    WNDCLASSA wc{};
    wc.lpfnWndProc = viewProc;
    wc.lpszClassName = kViewClass;
    ASSERT_NE(RegisterClassA(&wc), 0);
    view = CreateWindowExA(0, kViewClass, "view", WS_OVERLAPPEDWINDOW, 10, 20, 64, 48, nullptr, nullptr, nullptr,
                           nullptr);
    ASSERT_NE(view, nullptr);
    zmRenderTransferObjects(world);
  }

  void mouse(UINT message, int x, int y, WPARAM keys = 0) {
    PostMessageA(view, message, keys, MAKELPARAM(x, y));
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
  }

  // The view-window pixel of a world point through the person's camera.
  POINT pixelOf(float x, float y, float z) {
    zmRenderTransferObjects(world);
    const float point[3] = {x, y, z};
    POINT pixel = {};
    int onScreen = 0, px = 0, py = 0;
    zmProjectObjPoint(world, point, &px, &py, &onScreen);
    EXPECT_EQ(onScreen, 1);
    pixel.x = px;
    pixel.y = py;
    return pixel;
  }

  ServiceGuard<ZmViewerShell> shell{viewerShell};
  ServiceGuard<ZmViewerMedia> media{viewerMedia};
  ServiceGuard<ZmViewerMultiUser> multiUser{viewerMultiUser};
  zmNavState* state = nullptr;
  ZmObj* person = nullptr;
  ZmObj* camera = nullptr;
  float initialSpeed = 0;
  HWND view = nullptr;
};

TEST_F(Navigation, WorldSwitchesComeFromTheReaderAndTheStepFromTheAvatarsHeight) {
  EXPECT_EQ(state->gravity, 1);
  EXPECT_EQ(state->collision, 1);
  EXPECT_EQ(state->enabled, 1);
  // The avatar runs from its feet to the top of its head at 1.7.
  EXPECT_NEAR(initialSpeed, 1.7f / 5.0f, 1e-5);
  EXPECT_NEAR(zmNavEyeHeight(person), kEyeHeight, 1e-4);
}

TEST_F(Navigation, HeldUpKeyWalksFasterEveryFewTicks) {
  struct Stretch {
    int firstTick, lastTick;
    float step;
  };
  const Stretch stretches[] = {{1, 5, 0.1f}, {6, 9, 0.2f}, {10, 14, 0.3f}, {15, 19, 0.4f}, {20, 25, 0.5f}};
  hold({kUp});
  for (const Stretch& stretch : stretches) {
    for (int t = stretch.firstTick; t <= stretch.lastTick; ++t) {
      const float before = feet().z;
      tick();
      EXPECT_NEAR(feet().z - before, stretch.step, 1e-4) << "tick " << t;
      EXPECT_NEAR(feet().y, 0.0f, 1e-4) << "tick " << t;
    }
  }
  hold({});
  tick();
  hold({kUp});
  const float before = feet().z;
  tick();
  EXPECT_NEAR(feet().z - before, 0.1f, 1e-4) << "letting go starts the count again";
  EXPECT_EQ(seen.alerts, 0);
}

// One second of held keys at ticks of any length: the sums of the 50 ms
// ticks (steps 0.1 x (5x1 + 4x2 + 5x3 + 5x4 + 1x5) = 5.3, 20 ticks of 4
// degrees, of -2 degrees of pitch).
TEST_F(Navigation, HeldKeysMoveAsFarInASecondAtAnyTickLength) {
  struct Keys {
    const char* what;
    std::initializer_list<uint8_t> keys;
    float perSecond;
  };
  const Keys keyCases[] = {{"Up walks", {kUp}, 5.3f}, {"Left turns", {kLeft}, 80.0f}, {"Shift+Up tilts", {kShift, kUp}, -40.0f}};
  for (const Keys& k : keyCases) {
    for (uint64_t tickMs : {10, 20, 50, 100}) {
      standAt(0, 0, 0, 0, 1);
      hold({});
      zmNavStep(nullptr);  // the time from which the keys count
      hold(k.keys);
      for (uint64_t held = 0; held < 1000; held += tickMs) {
        platform::advanceClock(tickMs);
        zmNavStep(nullptr);
      }
      const double moved = k.perSecond == 5.3f   ? feet().z
                           : k.perSecond == 80.0f ? std::atan2(heading().x, heading().z) / kDegree
                                                  : state->pitch;
      EXPECT_NEAR(moved, k.perSecond, std::fabs(k.perSecond) * 0.01) << k.what << " at " << tickMs << " ms ticks";
      hold({});
      platform::advanceClock(tickMs);
      zmNavStep(nullptr);
    }
  }
}

TEST_F(Navigation, AStepLongerThanTwoHundredMillisecondsMovesAsTwoHundred) {
  for (uint64_t stepMs : {200, 1000}) {
    standAt(0, 0, 0, 0, 1);
    hold({});
    zmNavStep(nullptr);
    hold({kUp});
    platform::advanceClock(stepMs);
    zmNavStep(nullptr);
    EXPECT_NEAR(feet().z, 0.4f, 1e-5) << stepMs << " ms: four ticks of 0.1";
    hold({});
    platform::advanceClock(stepMs);
    zmNavStep(nullptr);
  }
  // A jump in one long step is only four ticks along: at its top.
  ASSERT_EQ(zmNavStartEventMove(person, 3.0f), 0);
  platform::advanceClock(1000);
  zmNavStep(nullptr);
  EXPECT_NEAR(feet().y, 3.0f, 1e-4);
  EXPECT_EQ(state->autoMove, ZM_AUTO_JUMP);
}

// The jump and the rise take the same time and reach the same heights
// whether the frames come every 10 ms or every 100.
TEST_F(Navigation, JumpAndRiseKeepTheirShapeInTime) {
  world->boundingBox[0].y = 0;
  world->boundingBox[1].y = 4;
  for (uint64_t tickMs : {10, 20, 50, 100}) {
    standAt(0, 0, 0, 0, 1);
    hold({});
    zmNavStep(nullptr);
    const auto runFor = [tickMs](uint64_t ms) {
      for (uint64_t t = 0; t < ms; t += tickMs) {
        platform::advanceClock(tickMs);
        zmNavStep(nullptr);
      }
    };
    ASSERT_EQ(zmNavStartEventMove(person, 3.0f), 0);
    runFor(100);
    EXPECT_NEAR(feet().y, 1.5f, 1e-4) << tickMs << " ms ticks: half way up";
    runFor(200);
    EXPECT_NEAR(feet().y, 3.0f, 1e-4) << tickMs << " ms ticks: at the top for 100 ms";
    EXPECT_EQ(state->autoMove, ZM_AUTO_JUMP) << tickMs;
    runFor(200);
    EXPECT_NEAR(feet().y, 0.0f, 1e-4) << tickMs << " ms ticks: down";
    EXPECT_EQ(state->autoMove, ZM_AUTO_NONE) << tickMs;

    const float startEye = eye().y;
    ASSERT_EQ(zmNavGoHome(world), 1);
    runFor(200);
    EXPECT_NEAR(eye().y - startEye, 10.0f * (1 - std::pow(0.8f, 4)), 1e-3) << tickMs << " ms ticks: four ticks up";
    runFor(300);
    EXPECT_NEAR(eye().y - startEye, 10.0f * (1 - std::pow(0.8f, 10)), 1e-3) << tickMs << " ms ticks: hovering";
    EXPECT_EQ(state->stepsLeft, 0) << tickMs;
    ASSERT_EQ(zmNavGoHome(world), 1);
    runFor(500);
    EXPECT_EQ(state->autoMove, ZM_AUTO_NONE) << tickMs;
    EXPECT_NEAR(eye().y, startEye, 1e-4) << tickMs << " ms ticks: back";
  }
}

TEST_F(Navigation, ShiftCtrlUpRisesPastWallAndCeilingWithoutCollisionOrGravity) {
  struct Case {
    const char* what;
    ZmVec3 feet, facing;
  };
  const Case cases[] = {
      {"under the ceiling, its underside 2 above the eye", {-20, 0, 0}, {0, 0, 1}},
      {"the wall 0.05 ahead of the eye", {0, 0, -9.95f}, {0, 0, -1}},
  };
  state->speed = 0.6f;
  for (const Case& c : cases) {
    standAt(c.feet.x, c.feet.y, c.feet.z, c.facing.x, c.facing.z);
    hold({kShift, kControl, kUp});
    for (int t = 1; t <= 5; ++t) {
      tick();
      EXPECT_NEAR(feet().y, 0.6f * t, 1e-4) << c.what << ", tick " << t;
    }
    hold({});
    tick();
    EXPECT_GT(eye().y, 4.05f) << c.what << ": above the ceiling's top";
    EXPECT_NEAR(feet().z, c.feet.z, 1e-5) << c.what;
    EXPECT_NEAR(feet().y, 3.0f, 1e-4) << c.what << ": gravity leaves a slide alone";
  }
  EXPECT_EQ(seen.alerts, 0);
}

TEST_F(Navigation, ShiftUpAndDownTiltTheViewWithinItsLimit) {
  hold({kShift, kUp});
  for (int t = 1; t <= 45; ++t) {
    tick();
    const float expected = std::max(-2.0f * t, -80.0f);
    ASSERT_NEAR(state->pitch, expected, 1e-4) << "tick " << t;
    ASSERT_NEAR(zmNavGetPitch(camera), expected, 0.01) << "tick " << t;
  }
  hold({kShift, kDown});
  tick();
  EXPECT_NEAR(state->pitch, -78.0f, 1e-4);
  EXPECT_NEAR(feet().z, 0.0f, 1e-5) << "looking does not walk";
}

TEST_F(Navigation, WalkingIntoTheWallStopsTheEyeShortOfIt) {
  struct Case {
    float ahead;     // from the eye to the wall
    float endsAt;    // eye z afterwards
    int alerts;
  };
  // The wall's face is the plane z = -10; one step of 0.1 toward it.
  const Case cases[] = {{0.05f, -9.9f, 1}, {0.5f, -9.6f, 0}, {0.15f, -9.95f, 0}};
  for (const Case& c : cases) {
    seen.alerts = 0;
    standAt(0, 0, -10.0f + c.ahead, 0, -1);
    hold({kUp});
    tick();
    hold({});
    tick();
    EXPECT_NEAR(eye().z, c.endsAt, 1e-4) << c.ahead;
    EXPECT_EQ(seen.alerts, c.alerts) << c.ahead;
  }
}

TEST_F(Navigation, GravityDropsOffALedgeAndLeavesNothingBelowAlone) {
  struct Case {
    ZmVec3 start;
    float feetAfter;
  };
  const Case cases[] = {
      {{20, 2, 1.95f}, 0.0f},   // off the ledge's edge onto the floor, in one tick
      {{0, 2, 29.95f}, 2.0f},   // past the floor's edge, in the air: nothing below
  };
  for (const Case& c : cases) {
    standAt(c.start.x, c.start.y, c.start.z, 0, 1);
    hold({kUp});
    tick();
    hold({});
    tick();
    EXPECT_NEAR(feet().y, c.feetAfter, 1e-4) << c.start.z;
  }
}

TEST_F(Navigation, JumpRisesInFourTicksStaysTwoAndComesDownInFour) {
  ASSERT_EQ(zmNavStartEventMove(person, 3.0f), 0);
  EXPECT_EQ(zmNavStartEventMove(person, 3.0f), -1) << "one move at a time";
  const float rises[] = {0.75f, 0.75f, 0.75f, 0.75f, 0, 0, -0.75f, -0.75f, -0.75f, -0.75f};
  for (float rise : rises) {
    const float before = feet().y;
    tick();
    EXPECT_NEAR(feet().y - before, rise, 1e-4);
  }
  EXPECT_EQ(state->autoMove, ZM_AUTO_NONE);
  EXPECT_NEAR(feet().y, 0.0f, 1e-4);
  EXPECT_EQ(zmNavStartEventMove(nullptr, 3.0f), -1);
  EXPECT_EQ(zmNavStartEventMove(person, 3.0f), 0);
}

TEST_F(Navigation, DragWalksTurnsOrBothByItsShape) {
  struct Case {
    float forward, side;
    bool walks, turns;
  };
  // 0.9 x 0.33333334 is not below 0.3: only a turn.
  const Case cases[] = {{0.3f, 0.9f, false, true}, {0.31f, 0.9f, true, true}, {0.5f, 0.1f, true, false}};
  for (const Case& c : cases) {
    standAt(0, 0, 0, 0, 1);
    state->inputMode = ZM_NAV_WALK;
    state->forward = c.forward;
    state->side = c.side;
    state->turn = c.side * 3.0f;
    tick();
    const double walked = std::hypot(feet().x, feet().z);
    EXPECT_NEAR(walked, c.walks ? c.forward : 0.0f, 1e-4) << c.forward;
    const double turned = std::atan2(heading().x, heading().z) / kDegree;
    EXPECT_NEAR(turned, c.turns ? c.side * 3.0f : 0.0f, 1e-3) << c.forward;
  }
  state->inputMode = ZM_NAV_IDLE;
}

TEST_F(Navigation, WalkingLevelsAPitchTickByTick) {
  ZmRT tilted = *zmGetWRT(camera);
  float down[9];
  zmMat3FromAngles(-30 * kDegree, 0, 0, down);
  zmMat3Mult(zmGetWRT(camera)->m, down, tilted.m);  // tilted in the camera's own frame
  ASSERT_EQ(zmPlacePersonAtCamera(person, &tilted), 0);
  EXPECT_NEAR(state->pitch, 30.0f, 1e-3);
  EXPECT_NEAR(zmGetWRT(person)->m[4], 1.0f, 1e-5) << "the person stays upright";

  const float pitches[] = {24, 19.2f, 15.36f, 12.29f, 9.83f, 7.86f, 6.29f, 5.03f, 0};
  hold({kUp});
  for (float pitch : pitches) {
    tick();
    EXPECT_NEAR(state->pitch, pitch, 0.01);
    EXPECT_NEAR(zmNavGetPitch(camera), pitch, 0.01);
  }
}

// A view nobody touches is not moved: levelling and tilting it again on
// every step would queue it for the renderer, and each frame would then
// transform every shape in view anew.
TEST_F(Navigation, IdleStepsLeaveATiltedViewUnmoved) {
  ZmRT tilted = *zmGetWRT(camera);
  float down[9];
  zmMat3FromAngles(-30 * kDegree, 0, 0, down);
  zmMat3Mult(zmGetWRT(camera)->m, down, tilted.m);
  ASSERT_EQ(zmPlacePersonAtCamera(person, &tilted), 0);
  hold({});
  tick();
  zmRenderTransferObjects(world);
  tick(50);
  EXPECT_EQ(world->rendering->transferedObjs, nullptr) << "an idle step queued a move";
  EXPECT_NEAR(state->pitch, 30.0f, 1e-3);
  EXPECT_NEAR(zmNavGetPitch(camera), 30.0f, 0.01);
}

TEST_F(Navigation, ViewStraightDownTurnsTheAvatarTowardTheTopOfTheView) {
  // A viewpoint looking straight down, the top of its view toward -z, while
  // the avatar faces +z.
  ZmRT above;
  zmRTIdentity(&above);
  zmMat3FromAngles(-90 * kDegree, 0, 0, above.m);
  above.t = {0, 5, 0};
  ASSERT_EQ(zmPlacePersonAtCamera(person, &above), 0);
  EXPECT_NEAR(state->pitch, 90.0f, 1e-3);
  EXPECT_NEAR(heading().z, -1.0f, 1e-5);
  tick();
  EXPECT_NEAR(state->pitch, 80.0f, 1e-4);
  EXPECT_NEAR(zmNavGetPitch(camera), 80.0f, 0.01);
  ZmVec3 view;
  zmNavViewHeading(zmGetWRT(camera), &view);
  EXPECT_NEAR(view.z, -1.0f, 1e-4) << "the camera looks the way the avatar faces";
  EXPECT_NEAR(zmGetWRT(person)->m[4], 1.0f, 1e-5) << "upright";
}

TEST_F(Navigation, KeysStepAnAvatarsPostureWhileTheMouseMovesIt) {
  static int body;
  ASSERT_EQ(zmRegisterObjExtension(person, zmKinemationBody, reinterpret_cast<intptr_t>(&body)), 0);
  hold({kUp});
  tick();
  hold({kDown});
  tick();
  hold({});
  EXPECT_EQ(seen.nextPostures, 1);
  EXPECT_EQ(seen.previousPostures, 1);
  EXPECT_NEAR(feet().z, 0.0f, 1e-5);
  state->inputMode = ZM_NAV_WALK;
  state->forward = 0.5f;
  tick();
  EXPECT_NEAR(feet().z, 0.5f, 1e-4);
  EXPECT_EQ(seen.nextPostures, 1);
  state->inputMode = ZM_NAV_IDLE;

  // A posture a tick of walking, whatever the frame rate: 200 ms of Up in
  // steps of 10 ms are four.
  zmNavStep(nullptr);  // the time from which the key counts
  hold({kUp});
  for (int t = 0; t < 20; ++t) {
    platform::advanceClock(10);
    zmNavStep(nullptr);
  }
  hold({});
  EXPECT_EQ(seen.nextPostures, 5);
}

TEST_F(Navigation, RiseIsLimitedByTheWorldsHeightAndACeiling) {
  struct Case {
    float worldHeight;
    ZmVec3 feet;
    float rise;
  };
  const Case cases[] = {{4, {0, 0, 0}, 10}, {20, {0, 0, 0}, 30}, {20, {-20, 0, 0}, 2}};
  for (const Case& c : cases) {
    standAt(c.feet.x, c.feet.y, c.feet.z, 0, 1);
    state->autoMove = ZM_AUTO_NONE;
    world->boundingBox[0].y = -1;
    world->boundingBox[1].y = c.worldHeight - 1;
    ASSERT_EQ(zmNavGoHome(world), 1);
    EXPECT_EQ(state->autoMove, ZM_AUTO_RISE);
    EXPECT_EQ(state->stepsLeft, 10);
    EXPECT_NEAR(state->target.y - eye().y, c.rise, 1e-4) << c.worldHeight;
  }
}

TEST_F(Navigation, RiseHoversThenComesBackToTheSameViewAndHeading) {
  standAt(0, 0, 0, 0.6f, 0.8f);
  const ZmRT start = *zmGetWRT(camera);
  world->boundingBox[0].y = 0;
  world->boundingBox[1].y = 4;
  ASSERT_EQ(zmNavGoHome(world), 1);
  int32_t moving = 0, stepping = 0;
  zmNavGetFlags(&moving, &stepping);
  EXPECT_EQ(moving, 1);
  EXPECT_EQ(stepping, 1);
  tick(10);
  EXPECT_EQ(state->autoMove, ZM_AUTO_APPROACH);
  EXPECT_EQ(state->stepsLeft, 0);
  zmNavGetFlags(&moving, &stepping);
  EXPECT_EQ(moving, 1) << "hovering is still a move";
  EXPECT_EQ(stepping, 0);
  const float gained = eye().y - start.t.y;
  EXPECT_NEAR(gained, 10.0f * (1 - std::pow(0.8f, 10)), 1e-3);
  EXPECT_NEAR(state->pitch, std::atan(gained / 50.0) / kDegree, 0.01) << "looks down as it climbs";
  EXPECT_NEAR(zmNavGetPitch(camera), state->pitch, 0.01);
  tick(3);
  EXPECT_NEAR(eye().y - start.t.y, gained, 1e-4) << "hovering";

  ASSERT_EQ(zmNavGoHome(world), 1);
  EXPECT_EQ(state->autoMove, ZM_AUTO_APPROACH);
  tick(10);
  EXPECT_EQ(state->autoMove, ZM_AUTO_NONE);
  EXPECT_EQ(state->pitch, 0.0f);
  for (int i = 0; i < 12; ++i) EXPECT_NEAR(reinterpret_cast<const float*>(zmGetWRT(camera))[i],
                                           reinterpret_cast<const float*>(&start)[i], 1e-4) << i;
  EXPECT_NEAR(heading().x, 0.6f, 1e-4);
  EXPECT_NEAR(heading().z, 0.8f, 1e-4);
}

TEST_F(Navigation, WalkDuringTheHoverComesBackFacingTheStartingView) {
  standAt(0, 0, 0, 0, 1);
  const ZmRT start = *zmGetWRT(camera);
  world->boundingBox[0].y = 0;
  world->boundingBox[1].y = 4;
  ASSERT_EQ(zmNavGoHome(world), 1);
  tick(10);
  // Hovering: turn a quarter to the left and walk off sideways.
  const ZmVec3 left = {1, 0, 0};
  zmNavFaceDirection(person, &left);
  state->inputMode = ZM_NAV_WALK;
  state->forward = 2.0f;
  tick(3);
  state->inputMode = ZM_NAV_IDLE;
  ASSERT_GT(std::hypot(eye().x - start.t.x, eye().z - start.t.z), 5.0f);

  ASSERT_EQ(zmNavGoHome(world), 1);
  tick(10);
  EXPECT_EQ(state->autoMove, ZM_AUTO_NONE);
  EXPECT_NEAR(eye().x, start.t.x, 1e-4);
  EXPECT_NEAR(eye().y, start.t.y, 1e-4);
  EXPECT_NEAR(eye().z, start.t.z, 1e-4);
  EXPECT_GT(heading().z, 0.9f) << "back to the starting view's heading, not turned round";
}

TEST_F(Navigation, PickedTargetsStandOnFloorsAndStopShortOfWalls) {
  struct Case {
    const char* what;
    ZmVec3 feet, facing;
    const ZmVec3* picked;  // the point clicked; null: straight ahead, at the view's centre
    int gravity;
    int result;
    ZmVec3 target, direction;
  };
  const float b = kEyeHeight / 4;
  const ZmVec3 floorAhead = {0, 0, 5}, floorBelowLedge = {20, 0, 5};
  const Case cases[] = {
      {"on the ledge, gravity on: stand on the floor below", {20, 2, 0}, {0, 0, 1}, &floorBelowLedge, 1, 1,
       {20, kEyeHeight, 5}, {0, 0, 1}},
      {"on the ledge, gravity off: the point itself", {20, 2, 0}, {0, 0, 1}, &floorBelowLedge, 0, 1, {20, 0, 5},
       {0, 0, 1}},
      {"the floor stood on, gravity off: keep the height", {0, 0, 0}, {0, 0, 1}, &floorAhead, 0, 1,
       {0, kEyeHeight, 5}, {0, 0, 1}},
      {"a wall too close", {0, 0, -10 + 0.9f * b}, {0, 0, -1}, nullptr, 1, 0, {}, {}},
      {"a wall far enough: stop short, facing it", {0, 0, -9.5f}, {0, 0, -1}, nullptr, 1, 1,
       {0, kEyeHeight, -10 + b}, {0, 0, -1}},
  };
  for (const Case& c : cases) {
    standAt(c.feet.x, c.feet.y, c.feet.z, c.facing.x, c.facing.z);
    zmRenderTransferObjects(world);
    state->gravity = c.gravity;
    state->target = {-99, -99, -99};
    const POINT pixel = c.picked ? pixelOf(c.picked->x, c.picked->y, c.picked->z) : POINT{32, 24};
    ASSERT_EQ(zmNavPickTarget(pixel.x, pixel.y), c.result) << c.what;
    if (c.result == 0) {
      EXPECT_EQ(state->target.x, -99) << c.what;
      continue;
    }
    // A pixel is a few hundredths of a unit wide at these distances.
    EXPECT_NEAR(state->target.x, c.target.x, 0.1) << c.what;
    EXPECT_NEAR(state->target.y, c.target.y, 0.02) << c.what;
    EXPECT_NEAR(state->target.z, c.target.z, 0.25) << c.what;
    EXPECT_NEAR(state->targetDir.x, c.direction.x, 0.05) << c.what;
    EXPECT_NEAR(state->targetDir.z, c.direction.z, 0.01) << c.what;
  }
}

TEST_F(Navigation, CtrlClickWalksToThePointAndEndsATenthShort) {
  openView();
  mouse(WM_LBUTTONDOWN, kPressX, kPressY, MK_CONTROL);
  mouse(WM_LBUTTONUP, kPressX, kPressY, MK_CONTROL);
  ASSERT_EQ(state->inputMode, ZM_NAV_TO_POINT);
  ASSERT_EQ(state->stepsLeft, 10);
  const ZmVec3 target = state->target;
  EXPECT_NEAR(target.y, kEyeHeight, 1e-3) << "standing on the floor, gravity on";
  const float start = std::hypot(target.x - eye().x, target.z - eye().z);
  ASSERT_GT(start, 2.0f);
  tick();
  EXPECT_NEAR(std::hypot(target.x - eye().x, target.z - eye().z), 0.8f * start, 1e-3);
  tick(9);
  EXPECT_EQ(state->stepsLeft, 0);
  EXPECT_NEAR(std::hypot(target.x - eye().x, target.z - eye().z), std::pow(0.8f, 10) * start, 1e-3);
  EXPECT_NEAR(eye().y, kEyeHeight, 1e-3);
  EXPECT_EQ(state->pitch, 0.0f);
}

TEST_F(Navigation, ArrowKeyCancelsAWalkToAPoint) {
  openView();
  mouse(WM_LBUTTONDOWN, kPressX, kPressY, MK_CONTROL);
  mouse(WM_LBUTTONUP, kPressX, kPressY, MK_CONTROL);
  ASSERT_EQ(state->stepsLeft, 10);
  tick(2);
  hold({kLeft});
  tick();
  EXPECT_EQ(state->stepsLeft, 0);
}

TEST_F(Navigation, ClickPicksOnlyWhenShortNearAndAskedFor) {
  struct Case {
    WPARAM keys;
    int32_t autoMove;
    uint64_t heldMs;
    int dx, dy;
    bool picks;
  };
  const Case cases[] = {
      {MK_CONTROL, 0, 1000, 0, 0, true},  {MK_CONTROL, 0, 1001, 0, 0, false}, {MK_CONTROL, 0, 100, -5, -5, true},
      {MK_CONTROL, 0, 100, 5, 5, true},   {MK_CONTROL, 0, 100, 6, 0, false},  {MK_CONTROL, 0, 100, -6, 0, false},
      {MK_CONTROL, 0, 100, 0, -6, false}, {0, 0, 100, 0, 0, false},           {0, ZM_AUTO_APPROACH, 100, 0, 0, true},
  };
  openView();
  for (const Case& c : cases) {
    standAt(0, 0, 0, 0, 1);
    state->stepsLeft = 0;
    state->autoMove = c.autoMove;
    mouse(WM_LBUTTONDOWN, kPressX, kPressY, c.keys);
    platform::advanceClock(c.heldMs);
    mouse(WM_LBUTTONUP, kPressX + c.dx, kPressY + c.dy, c.keys);
    const std::string what = std::to_string(c.heldMs) + " ms, " + std::to_string(c.dx) + "," + std::to_string(c.dy);
    EXPECT_EQ(state->inputMode, c.picks ? ZM_NAV_TO_POINT : ZM_NAV_IDLE) << what;
    EXPECT_EQ(state->stepsLeft, c.picks ? 10 : 0) << what;
    EXPECT_EQ(state->pressTime, 0) << what;
    EXPECT_EQ(state->pressKeys, 0) << what;
    EXPECT_EQ(GetCapture(), nullptr) << what;
  }
}

TEST_F(Navigation, DragSetsMotionByModeFromTheOrigin) {
  struct Case {
    WPARAM keys;
    int dx, dy;  // the mouse's move from the press
    int32_t mode;
    float forward, side, turn;
  };
  const Case cases[] = {
      {0, -30, -50, ZM_NAV_WALK, 0.5f, 0.3f, 0.9f},
      {MK_CONTROL, -30, -50, ZM_NAV_WALK, 0.5f, 0.3f, 0.9f},
      {MK_SHIFT | MK_CONTROL, 40, 20, ZM_NAV_SLIDE, -0.2f, -0.4f, -1.2f},
      {MK_SHIFT, -30, 0, ZM_NAV_LOOK, 0, 0.3f, 0},
  };
  openView();
  for (const Case& c : cases) {
    mouse(WM_LBUTTONDOWN, 30, 20, c.keys);
    EXPECT_EQ(state->inputMode, c.mode);
    EXPECT_EQ(GetCapture(), view);
    mouse(WM_MOUSEMOVE, 30 + c.dx, 20 + c.dy, c.keys);
    EXPECT_FLOAT_EQ(state->forward, c.forward);
    EXPECT_FLOAT_EQ(state->side, c.side);
    EXPECT_FLOAT_EQ(state->turn, c.turn);
    mouse(WM_LBUTTONUP, 30 + c.dx, 20 + c.dy, c.keys);
    EXPECT_EQ(state->inputMode, ZM_NAV_IDLE);
  }
}

TEST_F(Navigation, ShiftDragTiltsBySixDegreesAMessageUpToTheLimit) {
  openView();
  mouse(WM_LBUTTONDOWN, 30, 20, MK_SHIFT);
  for (int message = 1; message <= 15; ++message) {
    mouse(WM_MOUSEMOVE, 30, 220, MK_SHIFT);
    EXPECT_NEAR(state->pitch, std::min(6.0f * message, 80.0f), 1e-4) << message;
  }
  mouse(WM_LBUTTONUP, 30, 220, MK_SHIFT);
}

TEST_F(Navigation, WalkingSoundsFollowTheDragsSinglePrecisionValues) {
  struct Case {
    int dx, dy;
    std::set<std::string> playing;
  };
  const Case cases[] = {
      {0, 20, {"man_slow"}},   {0, 19, {}},           {0, 90, {"man_slow"}}, {0, 91, {"man_middle"}},
      {0, 180, {"man_middle"}}, {0, 181, {"man_fast"}}, {90, 0, {}},           {91, 0, {"man_turn"}},
  };
  openView();
  for (const Case& c : cases) {
    mouse(WM_LBUTTONDOWN, 300, 300);
    mouse(WM_MOUSEMOVE, 300 - c.dx, 300 - c.dy);
    EXPECT_EQ(seen.playing, c.playing) << c.dx << "," << c.dy;
    mouse(WM_LBUTTONUP, 300 - c.dx, 300 - c.dy);
    EXPECT_TRUE(seen.playing.empty()) << "the release stops them";
  }
}

TEST_F(Navigation, DisablingEndsADragAndStopsTheStep) {
  openView();
  mouse(WM_LBUTTONDOWN, 30, 20);
  mouse(WM_MOUSEMOVE, 30, 0);
  EXPECT_EQ(zmDisableNavigation(), 1);
  EXPECT_EQ(zmDisableNavigation(), 0);
  EXPECT_EQ(state->inputMode, ZM_NAV_IDLE);
  EXPECT_EQ(GetCapture(), nullptr);
  hold({kUp});
  tick();
  EXPECT_NEAR(feet().z, 0.0f, 1e-6);
  mouse(WM_LBUTTONDOWN, 30, 20);
  EXPECT_EQ(state->inputMode, ZM_NAV_IDLE) << "mouse ignored while off";
  EXPECT_EQ(zmEnableNavigation(), 0);
  EXPECT_EQ(zmEnableNavigation(), 1);
  tick();
  EXPECT_NEAR(feet().z, 0.1f, 1e-4);
}

TEST_F(Navigation, ServerHearsTheWholeTransformEveryFiveSecondsAndMovesOnceASecond) {
  // Standing still for 11 seconds of 100 ms ticks: the whole transform on
  // the first step and then every five seconds, never a position.
  for (int i = 0; i <= 110; ++i) {
    zmNavStep(nullptr);
    platform::advanceClock(100);
  }
  ASSERT_EQ(seen.fullSends.size(), 3u);
  EXPECT_EQ(seen.fullSends[0], 50000u);
  for (size_t i = 1; i < seen.fullSends.size(); ++i) {
    EXPECT_GT(seen.fullSends[i] - seen.fullSends[i - 1], 5000u);
    EXPECT_LE(seen.fullSends[i] - seen.fullSends[i - 1], 5100u);
  }
  EXPECT_TRUE(seen.positionSends.empty());

  // Walking for 4 seconds: a position at most once a second.
  hold({kUp});
  for (int i = 0; i < 40; ++i) {
    zmNavStep(nullptr);
    platform::advanceClock(100);
  }
  EXPECT_GE(seen.positionSends.size(), 3u);
  for (size_t i = 1; i < seen.positionSends.size(); ++i)
    EXPECT_GT(seen.positionSends[i] - seen.positionSends[i - 1], 1000u);
}

TEST_F(Navigation, FacingAZeroDirectionKeepsTheHeading) {
  struct Case {
    ZmVec3 direction;
    ZmVec3 heading;
  };
  const Case cases[] = {
      {{0, 0, 0}, {0, 0, 1}},     {{1e-8f, 0, 0}, {0, 0, 1}}, {{0, 1, 0}, {0, 0, 1}},
      {{3, 0, 4}, {0.6f, 0, 0.8f}}, {{-2, 0.5f, 0}, {-1, 0, 0}},
  };
  for (const Case& c : cases) {
    standAt(1, 0, 2, 0, 1);
    EXPECT_EQ(zmNavFaceDirection(person, &c.direction), 0);
    const ZmRT* m = zmGetWRT(person);
    for (float value : m->m) ASSERT_TRUE(std::isfinite(value));
    EXPECT_NEAR(m->m[6], c.heading.x, 1e-5);
    EXPECT_NEAR(m->m[7], 0.0f, 1e-6);
    EXPECT_NEAR(m->m[8], c.heading.z, 1e-5);
    EXPECT_NEAR(m->m[4], 1.0f, 1e-6) << "upright";
    EXPECT_NEAR(m->m[0] * m->m[0] + m->m[2] * m->m[2], 1.0f, 1e-5) << "a rotation";
    EXPECT_NEAR(m->t.x, 1.0f, 1e-6);
    EXPECT_NEAR(m->t.z, 2.0f, 1e-6);
  }
}

TEST_F(Navigation, DeletedAvatarOrCameraLeavesNothingToMove) {
  ZmObj* doomed = camera;
  ASSERT_EQ(zmDeleteZmObj(doomed), 0);
  EXPECT_EQ(zmNavGetPersonCamera(world), nullptr);
  hold({kUp});
  tick();
  EXPECT_NEAR(feet().z, 0.0f, 1e-6);

  ASSERT_EQ(zmDeleteZmObj(person), 0);
  EXPECT_EQ(world->person, nullptr) << "the world forgets its deleted avatar";
  tick();
  EXPECT_EQ(zmNavStartJumpingEye(world, 10, 10), 0);
  EXPECT_EQ(zmNavInit(), 0);
}

}  // namespace
