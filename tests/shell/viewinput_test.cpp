// The view's mouse and key input: press, hold, drag and release sequences
// turned into events for the pressed object and anchors opened, the cursor
// over what is under the mouse, the key-state table and the toolbar's mirror
// of keys and drags, objects deleted while held, the drag feedback and the
// alert.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/apphandles.h"
#include "core/camera.h"
#include "core/event.h"
#include "core/report.h"
#include "core/world.h"
#include "engine/camera.h"
#include "engine/device.h"
#include "engine/library.h"
#include "engine/scene.h"
#include "loading/loadhooks.h"
#include "platform/resources.h"
#include "platform/wingdi.h"
#include "platform/winuser.h"
#include "script/events.h"
#include "script/install.h"
#include "shell/install.h"
#include "shell/appstate.h"
#include "shell/viewinput.h"
#include "tests/hook_guard.h"
#include "tests/url_fetch_guard.h"
#include "tests/vrml_hook_guards.h"
#include "viewer/install.h"
#include "viewer/construct.h"
#include "viewer/hooks.h"
#include "viewer/rendering.h"
#include "vrml/parse.h"

namespace {

// What the input did, in order: handler events by name, navigation off and
// on, URLs opened, toolbar buttons pressed (+) and released (-).
std::string actionLog;

void note(const std::string& entry) { actionLog += (actionLog.empty() ? "" : " ") + entry; }

std::vector<ZmEvent> delivered;

const char* eventName(uint32_t type) {
  switch (type) {
    case ZM_EVENT_PICK: return "PICK";
    case ZM_EVENT_GRAB: return "GRAB";
    case ZM_EVENT_DRAG: return "DRAG";
    case ZM_EVENT_RELEASE: return "RELEASE";
    default: return "?";
  }
}

int recordEvent(ZmObj*, ZmEvent* event, const char*) {
  delivered.push_back(*event);
  note(eventName(event->type));
  return 0;
}

constexpr uint32_t kMouseEvents = ZM_EVENT_PICK | ZM_EVENT_GRAB | ZM_EVENT_DRAG | ZM_EVENT_RELEASE;

// View pixels of the three cubes and of the empty background.
constexpr POINT kPlain{21, 24}, kLink{32, 24}, kHandle{43, 24}, kEmpty{2, 2};

// The engine's recording device: a 64 x 48 view that draws nothing.
RwMetaCallbacks silentDevice() {
  RwMetaCallbacks callbacks = {};
  callbacks.createImage = [](intptr_t, intptr_t) -> uintptr_t { return 1; };
  callbacks.describeImage = [](uintptr_t, RwCameraImage* image) {
    image->width = 64;
    image->height = 48;
    image->depth = 16;
  };
  callbacks.colourToDeviceValue = [](const uint16_t*) -> uintptr_t { return 0; };
  callbacks.drawTriangle = [](const RwMetaTriangle*) {};
  return callbacks;
}

// The fixture world shown in the viewer, with scripting for its handlers
// and recorders for everything the input asks of the rest of the program.
class ViewInputTest : public ::testing::Test {
 protected:
  void SetUp() override {
    zmResetReportStateForTest();
    zmInstallViewerHooks();
    zmInstallLoadingHooks();
    zmInstallScriptHooks();
    zmInstallShellHooks();
    ASSERT_EQ(RwOpenDefault("MetaDevice", reinterpret_cast<intptr_t>(&callbacks)), 1);
    world = zmNewWorld("input.wrl");
    zmSetCurrentWorld(world);
    ZmId first = -10000, last = -1;
    ASSERT_EQ(zmSetIdCounter(&first, &last, 0), 0);
    zmSetViewWindowSize(64, 48);
    showWorld();
    zmSetViewInputActions({
        [] { note("off"); return 1; },
        [] { note("on"); return 0; },
        [](ZmObj* person, float height) { note("jump " + std::to_string(int(height))); return 0; },
        [](const char* url) { note(std::string("open ") + url); return 0; },
        [](int id, bool pressed) { note((pressed ? "+" : "-") + std::to_string(id)); },
        [](const char* path) { note(std::string("sound ") + path); },
    });
    zmResetViewInput();
    zmClearKeyStateTable();
    zmLoadCursors(nullptr);
    actionLog.clear();
    delivered.clear();
  }

  void TearDown() override {
    zmResetViewInput();
    zmClearKeyStateTable();
    zmSetViewInputActions({});
    platform::setKeyDown(VK_MENU, false);
    zmSetCurrentWorld(nullptr);
    EXPECT_EQ(zmDeleteWorld(world), 0);
    RwClose();
    zmSetViewWindowSize(0, 0);
    zmResetReportStateForTest();
  }

  // The fixture file read and built into the viewer, seen through the
  // default camera at (0, 0, 10).
  void showWorld() {
    ASSERT_EQ(zmRwInitRWStruct(world), 0);
    world->rendering->scene = RwCreateScene();
    ASSERT_EQ(parseVRMLIntoWorld(LUMENFOLD_TEST_DATA "/input.wrl", world), 0);
    ASSERT_EQ(zmRenderConstructWorldInViewer(world), 0);
    world->cameraTable->activeId = 1;
  }

  // The world emptied and shown again, as a reload does.
  void showFreshWorld() {
    ASSERT_EQ(zmClearWorld(world), 0);
    showWorld();
  }

  ZmObj* object(const char* name) {
    for (ZmTopObjList* node = world->topObjects; node; node = node->next)
      if (ZmObj* found = zmFindObjInSubtree(node->object, name)) return found;
    ADD_FAILURE() << "no object named " << name;
    return nullptr;
  }

  void handle(const char* name, uint32_t mask, ZmEventCallback callback = recordEvent) {
    ASSERT_EQ(zmAddEventHandler(object(name), "", mask, 4, reinterpret_cast<const void*>(callback), "", nullptr), 0);
  }

  static void mouse(UINT message, POINT at, DWORD time, WPARAM keys = 0) {
    zmViewMouseInput(nullptr, message, keys, MAKELPARAM(at.x, at.y), time);
  }

  CoreHookGuards coreHooks;
  VrmlHookGuards vrmlHooks;
  ServiceGuard<ZmViewerShell> viewerShellHooks{viewerShell};
  UrlFetchGuard urlFetch;
  ServiceGuard<ZmLoadingScript> loadingScriptHooks{loadingScript};
  RwMetaCallbacks callbacks = silentDevice();
  ZmWorld* world = nullptr;
};

struct Step {
  UINT message;
  POINT at;
  DWORD time;
};

struct Sequence {
  const char* name;
  const char* handlerOn;  // the object given a handler for the mouse events, or null
  WPARAM keys;            // held through every step
  bool alt;
  std::vector<Step> steps;
  const char* expected;
};

constexpr UINT kDown = WM_LBUTTONDOWN, kMove = WM_MOUSEMOVE, kUp = WM_LBUTTONUP;

TEST_F(ViewInputTest, SequencesDeliverEventsOpenAnchorsAndMirrorDrags) {
  const Sequence sequences[] = {
      {"click within the square", "Link", 0, false,
       {{kDown, kLink, 1000}, {kMove, {35, 29}, 1300}, {kUp, {35, 29}, 1900}},
       "off PICK open http://example.org/next.wrl on"},
      {"click at the hold time still picks", "Link", 0, false, {{kDown, kLink, 1000}, {kUp, kLink, 2000}},
       "off PICK open http://example.org/next.wrl on"},
      {"hold 1.2 s then release", "Link", 0, false, {{kDown, kLink, 1000}, {kUp, kLink, 2200}},
       "off GRAB RELEASE on"},
      {"hold without moving grabs on the next move", "Link", 0, false,
       {{kDown, kLink, 1000}, {kMove, kLink, 2200}, {kMove, kLink, 2300}, {kUp, kLink, 2400}},
       "off GRAB RELEASE on"},
      {"move 6 px right drags", "Link", 0, false,
       {{kDown, kLink, 1000}, {kMove, {38, 24}, 1100}, {kMove, {40, 26}, 1200}, {kMove, {40, 26}, 1300},
        {kUp, {40, 26}, 1400}},
       "off GRAB DRAG DRAG RELEASE on"},
      {"Ctrl+click neither picks nor opens", "Link", MK_CONTROL, false,
       {{kDown, kLink, 1000}, {kUp, kLink, 1200}}, "off on"},
      {"anchor without handlers opens", nullptr, 0, false, {{kDown, kLink, 1000}, {kUp, kLink, 1200}},
       "open http://example.org/next.wrl on"},
      {"handler of an ancestor picks for its child", "Handle", 0, false,
       {{kDown, kHandle, 1000}, {kUp, kHandle, 1100}}, "off PICK on"},
      {"drag on the background mirrors its direction, afresh after the release", nullptr, 0, false,
       {{kDown, kEmpty, 1000}, {kMove, {8, 2}, 1100}, {kMove, {8, 18}, 1200}, {kMove, {9, 19}, 1300},
        {kUp, {9, 19}, 1400}, {kDown, kEmpty, 2000}, {kMove, {8, 2}, 2100}, {kUp, {8, 2}, 2200}},
       "+135 -130 +133 -132 -133 -132 -130 -135 on +135 -130 -133 -132 -130 -135 on"},
      {"a mostly sideways drag ignores a small vertical part", nullptr, 0, false,
       {{kDown, kEmpty, 1000}, {kMove, {-20, 6}, 1100}, {kMove, {-20, 12}, 1200}, {kUp, {-20, 12}, 1300}},
       "-135 +130 +133 -132 -133 -132 -130 -135 on"},
      {"Alt drag on a plain object shows nothing", nullptr, 0, true,
       {{kDown, kPlain, 1000}, {kMove, {30, 30}, 1100}, {kUp, {30, 30}, 1200}}, "off -133 -132 -130 -135 on"},
  };
  for (const Sequence& s : sequences) {
    SCOPED_TRACE(s.name);
    if (s.handlerOn) handle(s.handlerOn, kMouseEvents);
    platform::setKeyDown(VK_MENU, s.alt);
    actionLog.clear();
    for (const Step& step : s.steps) mouse(step.message, step.at, step.time, s.keys);
    EXPECT_EQ(actionLog, s.expected);
    if (s.handlerOn) {
      ASSERT_EQ(zmRemoveEventHandler(object(s.handlerOn), "", kMouseEvents, 4,
                                     reinterpret_cast<const void*>(recordEvent), "", nullptr),
                0);
    }
  }
}

// The record carries where, when and with what the event happened, and the
// object first hit.
TEST_F(ViewInputTest, EventRecordsCarryPointTimeModifiersAndTarget) {
  handle("Link", kMouseEvents);
  platform::setKeyDown(VK_MENU, true);
  // From one corner of the anchor's cube to the other, 6 pixels each way.
  mouse(kDown, {29, 21}, 61'250, MK_SHIFT);
  mouse(kMove, {35, 27}, 61'400, MK_SHIFT);
  mouse(kUp, {35, 27}, 62'007, MK_SHIFT | MK_CONTROL);
  ASSERT_EQ(delivered.size(), 3u);
  const ZmEvent& drag = delivered[1];
  EXPECT_EQ(drag.type, ZM_EVENT_DRAG);
  EXPECT_EQ(drag.x2d, 35.0f);
  EXPECT_EQ(drag.y2d, 27.0f);
  EXPECT_EQ(drag.modifiers, 1 | 8);
  EXPECT_EQ(drag.timeSec, 61u);
  EXPECT_EQ(drag.timeMsec, 400u);
  EXPECT_EQ(drag.object, object("LinkCube"));
  EXPECT_NEAR(drag.z, 1.0f, 0.01f);  // the cube's front face
  EXPECT_EQ(reinterpret_cast<ZmLeaf*>(drag.part)->owner, object("LinkCube")) << "the face hit";
  const ZmEvent& release = delivered[2];
  EXPECT_EQ(release.modifiers, 1 | 4 | 8);
  EXPECT_EQ(release.timeSec, 62u);
  EXPECT_EQ(release.timeMsec, 7u);
}

TEST_F(ViewInputTest, CursorShowsWhatAPressWouldDo) {
  using platform::PointerShape;
  const struct {
    const char* name;
    const char* handlerOn;
    uint32_t mask;
    POINT at;
    PointerShape shape;
  } cases[] = {
      {"background", nullptr, 0, kEmpty, PointerShape::Arrow},
      {"object without handlers", nullptr, 0, kPlain, PointerShape::Arrow},
      {"anchor", nullptr, 0, kLink, PointerShape::Link},
      {"anchor reacting to PICK", "Link", ZM_EVENT_PICK, kLink, PointerShape::Pick},
      {"anchor reacting to DRAG", "Link", ZM_EVENT_DRAG, kLink, PointerShape::Link},
      {"object reacting to RELEASE", "Handle", ZM_EVENT_RELEASE, kHandle, PointerShape::Grab},
      {"object reacting to GRAB and PICK", "Handle", ZM_EVENT_GRAB | ZM_EVENT_PICK, kHandle, PointerShape::Pick},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.handlerOn) handle(c.handlerOn, c.mask);
    mouse(kMove, c.at, 1000);
    EXPECT_EQ(platform::currentPointerShape(), c.shape);
    SetCursor(LoadCursorA(nullptr, IDC_WAIT));
    zmRestoreCursor();  // WM_SETCURSOR shows the same again
    EXPECT_EQ(platform::currentPointerShape(), c.shape);
    if (c.handlerOn)
      zmRemoveEventHandler(object(c.handlerOn), "", c.mask, 4, reinterpret_cast<const void*>(recordEvent), "",
                           nullptr);
  }

  // Holding an object that reacts to grabbing shows the drag cursor over
  // anything, until the release.
  handle("Handle", ZM_EVENT_GRAB);
  mouse(kDown, kHandle, 2000);
  EXPECT_EQ(platform::currentPointerShape(), PointerShape::Drag);
  mouse(kMove, kEmpty, 2100);
  EXPECT_EQ(platform::currentPointerShape(), PointerShape::Drag);
  mouse(kUp, kEmpty, 2200);
  EXPECT_EQ(platform::currentPointerShape(), PointerShape::Arrow);
  zmSelectCursor(7);
  EXPECT_EQ(platform::currentPointerShape(), PointerShape::Arrow);
}

TEST_F(ViewInputTest, KeysSetTheTableAndMirrorArrowsOnTheToolbar) {
  const struct {
    UINT message;
    int key;
    const char* log;      // toolbar buttons moved by this key
    BYTE leftState;       // the Left key's byte afterwards
  } steps[] = {
      {WM_KEYDOWN, VK_SHIFT, "", 0x00},
      {WM_KEYDOWN, VK_LEFT, "+131", 0x81},
      {WM_KEYDOWN, VK_LEFT, "+131", 0x81},  // repeats keep the toggle
      {WM_KEYUP, VK_SHIFT, "", 0x81},
      {WM_KEYUP, VK_LEFT, "-130 -131", 0x01},
      {WM_KEYDOWN, VK_LEFT, "+130", 0x80},
      {WM_KEYDOWN, VK_RIGHT, "+135", 0x80},
      {WM_KEYUP, VK_RIGHT, "-135 -134", 0x80},
      {WM_KEYDOWN, VK_UP, "+132", 0x80},
      {WM_KEYUP, VK_UP, "-132", 0x80},
      {WM_KEYDOWN, VK_DOWN, "+133", 0x80},
      {WM_KEYUP, VK_DOWN, "-133", 0x80},
      {WM_KEYDOWN, 'A', "", 0x80},
  };
  BYTE table[256];
  for (const auto& step : steps) {
    SCOPED_TRACE(step.key);
    actionLog.clear();
    zmViewKeyInput(nullptr, step.message, step.key, 0, 1000);
    EXPECT_EQ(actionLog, step.log);
    zmGetKeyStateTable(table);
    EXPECT_EQ(table[VK_LEFT], step.leftState);
  }
  EXPECT_EQ(table['A'], 0x81);
  EXPECT_EQ(table[VK_SHIFT], 0x01);

  // The toolbar's buttons come in as keys by virtual key.
  zmViewKeyDown(VK_SHIFT);
  zmViewKeyDown(VK_RIGHT);
  zmGetKeyStateTable(table);
  EXPECT_EQ(table[VK_SHIFT], 0x80);
  EXPECT_EQ(table[VK_RIGHT], 0x80) << "pressed a second time";
  zmClearKeyStateTable();
  zmGetKeyStateTable(table);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(table), sizeof table), std::string(sizeof table, '\0'));
}

TEST_F(ViewInputTest, AnArrowTappedBetweenTwoReadsCountsOnce) {
  BYTE table[256];
  zmViewKeyInput(nullptr, WM_KEYDOWN, VK_UP, 0, 1000);
  zmViewKeyInput(nullptr, WM_KEYUP, VK_UP, 0, 1005);
  zmViewKeyInput(nullptr, WM_KEYDOWN, VK_SHIFT, 0, 1010);
  zmViewKeyInput(nullptr, WM_KEYUP, VK_SHIFT, 0, 1015);
  zmGetKeyStateTable(table);
  EXPECT_EQ(table[VK_UP] & 0x80, 0x80);
  EXPECT_EQ(table[VK_SHIFT] & 0x80, 0) << "modifiers are not latched";
  zmGetKeyStateTable(table);
  EXPECT_EQ(table[VK_UP] & 0x80, 0) << "the tap counts for one read only";
}

TEST_F(ViewInputTest, EscapeMakesThePersonJumpWhenThereIsOne) {
  zmViewKeyInput(nullptr, WM_KEYDOWN, VK_ESCAPE, 0, 1000);
  EXPECT_EQ(actionLog, "");
  world->person = object("Plain");
  zmViewKeyInput(nullptr, WM_KEYDOWN, VK_ESCAPE, 0, 1100);
  zmViewKeyInput(nullptr, WM_KEYDOWN, VK_MENU, 0, 1200);
  EXPECT_EQ(actionLog, "jump 3");
}

// A handler or a script deletes what the press holds, or the world goes:
// what follows runs clean and delivers nothing stale.
TEST_F(ViewInputTest, ObjectsDeletedWhileHeldAreLetGo) {
  const struct {
    const char* name;
    void (*afterPress)(ZmWorld* world, ZmObj* link);  // null: the GRAB handler deletes
    const char* expected;
  } cases[] = {
      {"a GRAB handler deletes the object pressed", nullptr, "off GRAB on"},
      {"the anchor and what it holds are deleted", [](ZmWorld*, ZmObj* link) { zmDeleteZmObj(link); },
       "off on"},
      {"the world is emptied", [](ZmWorld* w, ZmObj*) { ASSERT_EQ(zmClearWorld(w), 0); }, "off on"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    handle("Link", ZM_EVENT_PICK | ZM_EVENT_DRAG | ZM_EVENT_RELEASE);
    handle("Link", ZM_EVENT_GRAB, [](ZmObj*, ZmEvent* event, const char*) {
      note("GRAB");
      zmDeleteZmObj(event->object);
      return 0;
    });
    actionLog.clear();
    mouse(kDown, kLink, 1000);
    if (c.afterPress) c.afterPress(world, object("Link"));
    mouse(kMove, {41, 25}, 1100);
    mouse(kMove, {42, 25}, 1200);
    mouse(kUp, {42, 25}, 1300);
    EXPECT_EQ(actionLog, c.expected);
    showFreshWorld();
  }
}

TEST_F(ViewInputTest, DragFeedbackCrossesThePressPointAndLeavesThePen) {
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = 64;
  info.bmiHeader.biHeight = -48;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  void* bits = nullptr;
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ oldBitmap = SelectObject(dc, bitmap);
  HPEN red = CreatePen(PS_SOLID, 1, RGB(255, 0, 0));
  HGDIOBJ oldPen = SelectObject(dc, red);
  const COLORREF white = RGB(255, 255, 255);

  mouse(kDown, {20, 20}, 1000);
  zmDrawLine(dc);  // a press alone is no drag yet
  EXPECT_EQ(GetPixel(dc, 20, 20), RGB(0, 0, 0));
  mouse(kMove, {40, 20}, 1100);
  zmDrawLine(dc);
  const struct {
    int x, y;
    COLORREF colour;
  } pixels[] = {{12, 20, white}, {28, 20, white}, {20, 12, white}, {20, 28, white}, {11, 20, 0},
                {20, 29, 0},    {34, 20, white}, {40, 20, white}, {41, 20, 0}};
  for (const auto& p : pixels) EXPECT_EQ(GetPixel(dc, p.x, p.y), p.colour) << p.x << "," << p.y;
  MoveToEx(dc, 0, 40, nullptr);
  LineTo(dc, 3, 40);
  EXPECT_EQ(GetPixel(dc, 1, 40), RGB(255, 0, 0)) << "the previous pen is back";
  mouse(kUp, {40, 20}, 1200);

  SelectObject(dc, oldPen);
  SelectObject(dc, oldBitmap);
  DeleteObject(red);
  DeleteObject(bitmap);
  DeleteDC(dc);
}

std::vector<LPARAM> lampColours;

LRESULT CALLBACK recordLamp(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_ZMLAMP) lampColours.push_back(lParam);
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

HWND makeWindow() {
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = recordLamp;
  windowClass.lpszClassName = "ViewInputTest";
  RegisterClassA(&windowClass);  // refused after the first time, which is fine
  return CreateWindowExA(0, "ViewInputTest", "", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr, nullptr,
                         nullptr);
}

TEST_F(ViewInputTest, PressCapturesTheMouseUntilTheRelease) {
  HWND view = makeWindow();
  zmViewMouseInput(view, WM_LBUTTONDOWN, 0, MAKELPARAM(kLink.x, kLink.y), 1000);
  EXPECT_EQ(GetCapture(), view);
  zmViewMouseInput(view, WM_LBUTTONUP, 0, MAKELPARAM(kLink.x, kLink.y), 1100);
  EXPECT_EQ(GetCapture(), nullptr);
  DestroyWindow(view);
}

TEST_F(ViewInputTest, AlertSoundsAndTurnsTheLampRed) {
  lampColours.clear();
  HWND main = makeWindow();
  zmSetMainHwnd(main);
  zmAlert();
  zmSetMainHwnd(nullptr);
  DestroyWindow(main);
  ASSERT_EQ(lampColours.size(), 1u);
  EXPECT_EQ(lampColours[0], LPARAM(RGB(255, 0, 0)));
  EXPECT_EQ(actionLog.rfind("sound /", 0), 0u) << actionLog;
  EXPECT_EQ(actionLog.substr(actionLog.size() - 10), "/alert.wav") << actionLog;
}

TEST_F(ViewInputTest, InstalledHooksLetGoOfObjectsAndDrawTheFeedback) {
  EXPECT_EQ(coreShell().viewInputForgetObj, zmViewInputForgetObj);
  EXPECT_EQ(viewerShell().drawDragFeedback, zmDrawLine);
  EXPECT_EQ(zmGetWinPlatform(), 3) << "the platform reports itself as the NT family";
}

}  // namespace
