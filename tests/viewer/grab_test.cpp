// Grabbing objects in the view: a move keeps the grabbed point under the
// cursor at its depth, presses that must not grab, the trackball's turn
// (its sign and turns past a quarter), the undo record, and grabbed objects
// deleted or left behind while held.
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "core/camera.h"
#include "core/shapequery.h"
#include "core/transform.h"
#include "platform/winuser.h"
#include "tests/hook_guard.h"
#include "viewer/api.h"
#include "viewer/grab.h"
#include "viewer/hooks.h"
#include "viewer/transfer.h"
#include "viewer_fixture.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

std::vector<ZmObj*> sent;  // the objects handed to the multi-user client, in order

class Grab : public ViewerWorld {
 protected:
  void SetUp() override {
    ViewerWorld::SetUp();
    sent.clear();
    multiUser->qxUpdateObj = [](ZmObj* object) {
      sent.push_back(object);
      return 0;
    };
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.lpszClassName = "LfGrabView";
    RegisterClassA(&windowClass);
    view = CreateWindowExA(0, "LfGrabView", "", WS_POPUP | WS_VISIBLE, 0, 0, 64, 48, nullptr, nullptr, nullptr,
                           nullptr);
    ASSERT_NE(view, nullptr);
    read("grab.wrl");
    ASSERT_EQ(zmConstructWorldInViewer(world), 0) << (errorBoxes().empty() ? "" : errorBoxes()[0]);
    ASSERT_EQ(zmSetActiveCameraID(world, 3), 0) << "the world file's camera";
    movable = find("Movable");
    fixed = find("Fixed");
    ASSERT_EQ(zmGetActiveCamera(world), find("View"));
    ASSERT_TRUE(zmIsGrabbable(movable));
    ASSERT_FALSE(zmIsGrabbable(fixed));
  }

  void TearDown() override {
    platform::setKeyDown(VK_MENU, false);
    ReleaseCapture();
    DestroyWindow(view);
    ViewerWorld::TearDown();
  }

  ZmObj* find(const char* name) {
    for (ZmTopObjList* node = world->topObjects; node; node = node->next)
      if (ZmObj* found = zmFindObjInSubtree(node->object, name)) return found;
    ADD_FAILURE() << "no object named " << name;
    return nullptr;
  }

  void mouse(UINT message, int x, int y, WPARAM keys = 0) {
    zmGrabMouseEvent(view, message, keys, MAKELPARAM(x, y));
  }

  // Alt + left button at (x, y), dragged through the points, released at the last.
  void altDrag(int x, int y, std::initializer_list<POINT> path, WPARAM keys = 0) {
    platform::setKeyDown(VK_MENU, true);
    mouse(WM_LBUTTONDOWN, x, y, keys);
    for (POINT p : path) mouse(WM_MOUSEMOVE, p.x, p.y, keys);
    POINT end = path.size() ? *(path.end() - 1) : POINT{x, y};
    mouse(WM_LBUTTONUP, end.x, end.y, keys);
    platform::setKeyDown(VK_MENU, false);
  }

  POINT pixelOf(const ZmVec3& point) {
    const float p[3] = {point.x, point.y, point.z};
    int x = -1, y = -1, onScreen = 0;
    EXPECT_EQ(zmProjectObjPoint(world, p, &x, &y, &onScreen), 0);
    EXPECT_EQ(onScreen, 1);
    return {x, y};
  }

  static ZmObj* topOf(ZmObj* object) {
    while (object->parent) object = object->parent;
    return object;
  }

  static ZmVec3 position(ZmObj* object) { return zmGetWRT(object)->t; }

  // The box's turn about the world's y axis in degrees, from where its z
  // axis points (positive turns z towards +x).
  static double turnAboutY(ZmObj* object) {
    const float* m = zmGetWRT(object)->m;
    return std::atan2(m[6], m[8]) * 180.0 / kPi;
  }

  ServiceGuard<ZmViewerMultiUser> multiUser{viewerMultiUser};
  HWND view = nullptr;
  ZmObj* movable = nullptr;
  ZmObj* fixed = nullptr;
};

TEST_F(Grab, MoveKeepsTheGrabbedPointUnderTheCursorAtItsDepth) {
  const ZmVec3 start = position(movable);
  // A point of the box in the plane through its origin that faces the camera.
  const ZmVec3 grabbed = {start.x + 0.3f, start.y + 0.2f, start.z};
  const POINT at = pixelOf(grabbed);
  const POINT to = {at.x + 15, at.y - 8};

  altDrag(at.x, at.y, {{at.x + 6, at.y - 3}, to});

  const ZmVec3 end = position(movable);
  const ZmVec3 moved = {grabbed.x + end.x - start.x, grabbed.y + end.y - start.y, grabbed.z + end.z - start.z};
  const POINT shown = pixelOf(moved);
  EXPECT_LE(std::abs(shown.x - to.x), 1);
  EXPECT_LE(std::abs(shown.y - to.y), 1);
  EXPECT_FLOAT_EQ(end.z, start.z) << "the camera looks down -z: the depth is z";
  EXPECT_EQ(sent, (std::vector<ZmObj*>{movable, movable})) << "one transform per drag event";
  EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(Grab, PressesThatStartNoGrabMoveNothing) {
  struct Case {
    const char* what;
    bool alt;
    UINT press, release;
    WPARAM keys;
    const char* target;  // the box pressed on; null for the background
  };
  const Case cases[] = {
      {"Shift without Alt", false, WM_LBUTTONDOWN, WM_LBUTTONUP, MK_SHIFT, "Movable"},
      {"a box that is not grabbable", true, WM_LBUTTONDOWN, WM_LBUTTONUP, 0, "Fixed"},
      {"the background", true, WM_LBUTTONDOWN, WM_LBUTTONUP, 0, nullptr},
      {"the right button", true, WM_RBUTTONDOWN, WM_RBUTTONUP, 0, "Movable"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const POINT at = c.target ? pixelOf(position(find(c.target))) : POINT{32, 2};
    const ZmVec3 before[2] = {position(movable), position(fixed)};
    platform::setKeyDown(VK_MENU, c.alt);
    mouse(c.press, at.x, at.y, c.keys);
    EXPECT_EQ(GetCapture(), nullptr);
    mouse(WM_MOUSEMOVE, at.x + 10, at.y + 5, c.keys);
    mouse(c.release, at.x + 10, at.y + 5, c.keys);
    platform::setKeyDown(VK_MENU, false);
    EXPECT_FLOAT_EQ(position(movable).x, before[0].x);
    EXPECT_FLOAT_EQ(position(movable).y, before[0].y);
    EXPECT_FLOAT_EQ(position(fixed).x, before[1].x);
    EXPECT_FLOAT_EQ(position(fixed).y, before[1].y);
    EXPECT_TRUE(sent.empty());
  }
  EXPECT_EQ(zmUndoGrab(), -1) << "nothing was grabbed";
}

// The trackball between two pixels of the view's middle row, on the box's
// sphere (its radius enlarged by half): the box turns about the world's y
// axis by the angle between the two directions from its centre.
TEST_F(Grab, TrackballTurnsByTheAngleBetweenTheTwoDirections) {
  ZmObj* camera = zmGetActiveCamera(world);
  float windowWidth = 0, windowHeight = 0;
  ASSERT_EQ(zmGetCameraViewWindow(camera, &windowWidth, &windowHeight), 0);
  ZmVec3 eye;
  ASSERT_EQ(zmGetCameraPosition(camera, &eye), 0);
  const ZmVec3 centre = position(movable);
  // Column x of the middle row shows the direction ((x - 32) * w / 32, 0, -1)
  // from the eye (64 pixels across, half width w one unit away).
  auto hitDirection = [&](int x) {
    const ZmVec3 through = {eye.x + (x - 32) * windowWidth / 32, eye.y, eye.z - 1};
    ZmVec3 hit;
    EXPECT_EQ(zmIntersectLineAndBoundingSphere(&eye, &through, nullptr, movable, 1.5f, &hit), 1) << x;
    ZmVec3 d = {hit.x - centre.x, hit.y - centre.y, hit.z - centre.z};
    zmVec3NormalizeSelf(&d);
    return d;
  };
  auto angleBetween = [&](int x0, int x1) {
    const ZmVec3 a = hitDirection(x0), b = hitDirection(x1);
    const double degrees = std::acos(std::clamp(zmVec3Dot(&a, &b), -1.0, 1.0)) * 180.0 / kPi;
    return x1 > x0 ? degrees : -degrees;
  };

  const int centreColumn = pixelOf(centre).x;
  const ZmRT unturned = *zmGetLRT(movable);
  struct Case {
    int from, to;  // columns relative to the box's centre
    bool pastAQuarterTurn;
  };
  const Case cases[] = {{-3, 4, false}, {5, -2, false}, {-14, 14, true}, {14, -14, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.from << " -> " << c.to);
    ASSERT_EQ(zmObjectRotateTrans(movable, &unturned, ZM_COORD_PARENT, 0), 0);
    const int x0 = centreColumn + c.from, x1 = centreColumn + c.to;
    const double expected = angleBetween(x0, x1);
    ASSERT_EQ(std::abs(expected) > 90, c.pastAQuarterTurn) << expected;
    sent.clear();

    ASSERT_EQ(zmApplyVirtualTrackball(0, 1.5f, movable, x0, 24, x1, 24), 0);

    EXPECT_NEAR(turnAboutY(movable), expected, 0.1);
    EXPECT_NEAR(position(movable).x, centre.x, 1e-4) << "the box turns about its centre";
    EXPECT_NEAR(position(movable).z, centre.z, 1e-4);
    EXPECT_EQ(sent, std::vector<ZmObj*>{movable});
  }
  EXPECT_EQ(zmApplyVirtualTrackball(2, 1.5f, movable, 0, 0, 1, 1), -1);
}

TEST_F(Grab, RotateGrabTurnsTheTopObjectOncePerDragEvent) {
  ZmObj* top = topOf(movable);
  const POINT at = pixelOf(position(movable));
  altDrag(at.x - 3, at.y, {{at.x, at.y}, {at.x + 3, at.y}}, MK_SHIFT);
  EXPECT_GT(turnAboutY(top), 0.0) << "dragged to the right, its front turns right";
  EXPECT_EQ(sent, (std::vector<ZmObj*>{top, top}));
}

TEST_F(Grab, UndoAfterTwoGrabsRestoresTheSecondGrabsStart) {
  EXPECT_EQ(zmUndoGrab(), -1);
  POINT at = pixelOf(position(movable));
  altDrag(at.x, at.y, {{at.x + 8, at.y}});
  ASSERT_EQ(zmRenderTransferObjects(world), 0) << "a frame brings the engine up to date";
  const ZmVec3 afterFirst = position(movable);
  ASSERT_GT(afterFirst.x, -2.0f);

  at = pixelOf(afterFirst);
  altDrag(at.x, at.y, {{at.x, at.y + 6}});
  ASSERT_LT(position(movable).y, afterFirst.y);
  const POINT onFixed = pixelOf(position(fixed));
  altDrag(onFixed.x, onFixed.y, {{onFixed.x, onFixed.y + 6}});  // grabs nothing, keeps the record

  for (int i = 0; i < 2; ++i) {
    ASSERT_EQ(zmUndoGrab(), 0);
    EXPECT_FLOAT_EQ(position(movable).x, afterFirst.x);
    EXPECT_FLOAT_EQ(position(movable).y, afterFirst.y);
  }
  EXPECT_EQ(sent.size(), 2u) << "undoing is not sent";
}

// Whatever takes the held object away in the middle of a drag, the drag
// goes on harmlessly, the release frees the mouse, and there is nothing
// left to undo. The sanitizers watch every step.
enum class TakeAway { BoxDeleted, TopObjectDeleted, WorldEmptied, WorldLeft };

class GrabTakenAway : public Grab, public testing::WithParamInterface<TakeAway> {
 protected:
  void takeAway() {
    switch (GetParam()) {
      case TakeAway::BoxDeleted: EXPECT_EQ(zmDeleteZmObj(movable), 0); break;
      case TakeAway::TopObjectDeleted: EXPECT_EQ(zmDeleteZmObj(topOf(movable)), 0); break;
      case TakeAway::WorldEmptied: EXPECT_EQ(zmClearWorld(world), 0); break;
      case TakeAway::WorldLeft: zmSetCurrentWorld(nullptr); break;
    }
  }
};

TEST_P(GrabTakenAway, DragEndsHarmlessly) {
  const POINT at = pixelOf(position(movable));
  platform::setKeyDown(VK_MENU, true);
  mouse(WM_LBUTTONDOWN, at.x, at.y);
  mouse(WM_MOUSEMOVE, at.x + 4, at.y);
  ASSERT_EQ(GetCapture(), view);
  ASSERT_EQ(sent.size(), 1u);
  sent.clear();

  takeAway();
  mouse(WM_MOUSEMOVE, at.x + 8, at.y);
  mouse(WM_LBUTTONUP, at.x + 8, at.y);

  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_TRUE(sent.empty());
  EXPECT_EQ(zmUndoGrab(), -1);
}

std::string takeAwayName(const testing::TestParamInfo<TakeAway>& info) {
  constexpr const char* names[] = {"BoxDeleted", "TopObjectDeleted", "WorldEmptied", "WorldLeft"};
  return names[static_cast<int>(info.param)];
}

INSTANTIATE_TEST_SUITE_P(Cases, GrabTakenAway,
                         testing::Values(TakeAway::BoxDeleted, TakeAway::TopObjectDeleted, TakeAway::WorldEmptied,
                                         TakeAway::WorldLeft),
                         takeAwayName);

}  // namespace
