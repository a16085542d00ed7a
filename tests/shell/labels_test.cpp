// The labels over the objects of the view: chat labels made, renewed and
// expired, the user's own avatar left without one, wrapped texts, the
// scouter's labels and their place inside the view, labels behind the
// camera, frozen labels, unknown geometries, and labels gone with their
// objects.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "core/apphandles.h"
#include "core/camera.h"
#include "core/memory.h"
#include "core/report.h"
#include "core/strings.h"
#include "core/transform.h"
#include "core/world.h"
#include "engine/camera.h"
#include "engine/device.h"
#include "engine/library.h"
#include "engine/scene.h"
#include "loading/loadhooks.h"
#include "platform/clock.h"
#include "platform/winuser.h"
#include "script/mainloop.h"
#include "shell/chat.h"
#include "shell/cmdline.h"
#include "shell/labels.h"
#include "tests/hook_guard.h"
#include "tests/shell/shell_fixture.h"
#include "tests/url_fetch_guard.h"
#include "tests/vrml_hook_guards.h"
#include "viewer/install.h"
#include "viewer/construct.h"
#include "viewer/rendering.h"
#include "vrml/parse.h"

namespace {

constexpr int kViewWidth = 64, kViewHeight = 48;
// View pixels of the left and right cubes (see labels.wrl).
constexpr POINT kPlain{21, 24}, kHandle{43, 24};

RwMetaCallbacks silentDevice() {
  RwMetaCallbacks callbacks = {};
  callbacks.createImage = [](intptr_t, intptr_t) -> uintptr_t { return 1; };
  callbacks.describeImage = [](uintptr_t, RwCameraImage* image) {
    image->width = kViewWidth;
    image->height = kViewHeight;
    image->depth = 16;
  };
  callbacks.colourToDeviceValue = [](const uint16_t*) -> uintptr_t { return 0; };
  callbacks.drawTriangle = [](const RwMetaTriangle*) {};
  return callbacks;
}

// Three cubes seen through the default camera in a 64 x 48 view window,
// with the label fonts made and the clock standing still.
class LabelTest : public shelltest::ShellTest {
 protected:
  void SetUp() override {
    ShellTest::SetUp();
    zmInstallViewerHooks();
    zmInstallLoadingHooks();
    ASSERT_EQ(RwOpenDefault("MetaDevice", reinterpret_cast<intptr_t>(&callbacks)), 1);
    view = CreateWindowExA(0, "static", "", WS_POPUP | WS_VISIBLE, 0, 0, kViewWidth, kViewHeight, nullptr, nullptr,
                           nullptr, nullptr);
    zmSetViewHwnd(view);
    ASSERT_EQ(zmScouterInitFont(), 0);
    ASSERT_EQ(zmChatLabelInitFont(), 0);
    world = zmNewWorld("labels.wrl");
    zmSetCurrentWorld(world);
    ZmId first = -10000, last = -1;
    ASSERT_EQ(zmSetIdCounter(&first, &last, 0), 0);
    zmSetViewWindowSize(kViewWidth, kViewHeight);
    ASSERT_EQ(zmRwInitRWStruct(world), 0);
    world->rendering->scene = RwCreateScene();
    ASSERT_EQ(parseVRMLIntoWorld(LUMENFOLD_TEST_DATA "/labels.wrl", world), 0);
    ASSERT_EQ(zmRenderConstructWorldInViewer(world), 0);
    ASSERT_EQ(zmSetActiveCameraID(world, 3), 0);
    ASSERT_EQ(zmSetCameraViewport(world, 0, 0, kViewWidth, kViewHeight), 0);
    zmResetOptions();
    zmScouterOff();
  }

  void TearDown() override {
    zmLabelExit();
    zmLabelShowAll();
    zmScouterOff();
    zmResetOptions();
    zmSetCurrentWorld(nullptr);
    EXPECT_EQ(zmDeleteWorld(world), 0);
    zmChatLabelExitFont();
    zmScouterExitFont();
    zmSetViewHwnd(nullptr);
    RwClose();
    zmSetViewWindowSize(0, 0);
    ShellTest::TearDown();
  }

  ZmObj* object(const char* name) {
    for (ZmTopObjList* node = world->topObjects; node; node = node->next)
      if (ZmObj* found = zmFindObjInSubtree(node->object, name)) return found;
    ADD_FAILURE() << "no object named " << name;
    return nullptr;
  }

  static void setComment(ZmObj* object, const char* text) {
    zmFree(object->comment[3]);
    object->comment[3] = zmStrdup(text);
  }

  static void moveMouse(POINT at) { zmScouterMouseMove(nullptr, WM_MOUSEMOVE, 0, MAKELPARAM(at.x, at.y)); }

  // Milliseconds from now to the label's expiry.
  static long lifeLeft(const ZmLabel* label) {
    const uint64_t expiry = uint64_t(label->expirySec) * 1000 + label->expiryMsec;
    return long(int64_t(expiry) - int64_t(platform::clockMs()));
  }

  static int labelCount() {
    int count = 0;
    for (ZmLabel* label = zmFirstLabel(); label != nullptr; label = label->next) ++count;
    return count;
  }

  RwMetaCallbacks callbacks = silentDevice();
  VrmlHookGuards vrmlHooks;
  UrlFetchGuard urlFetch;
  HWND view = nullptr;
  ZmWorld* world = nullptr;
};

TEST_F(LabelTest, ChatLabelStandsOverTheSpeakerAndLivesThirtySecondsUnlessRenewed) {
  ZmObj* speaker = object("Link");
  zmChatDisplay(speaker, "Bo: hello");
  ZmLabel* label = zmFindObjLabel(speaker, ZM_LABEL_CHAT);
  ASSERT_NE(label, nullptr);
  EXPECT_STREQ(zmLabelText(label), "Bo: hello");
  EXPECT_EQ(label->part, object("LinkCube")->leaf);
  EXPECT_EQ(label->geometry, ZM_LABEL_AT_TOP);
  EXPECT_EQ(lifeLeft(label), 30000);
  // Over the top of the middle cube: centred on the view's middle column,
  // its bottom above the view's middle row.
  ASSERT_EQ(label->placed, 1);
  EXPECT_NEAR(label->x + label->width / 2, kViewWidth / 2, 1);
  EXPECT_LT(label->y + label->height, kViewHeight / 2);

  platform::advanceClock(10000);
  zmChatDisplay(speaker, "Bo: hello");  // the same text: no new life
  EXPECT_EQ(lifeLeft(label), 20000);
  zmChatDisplay(speaker, "Bo: still here");
  EXPECT_EQ(zmFindObjLabel(speaker, ZM_LABEL_CHAT), label);
  EXPECT_STREQ(zmLabelText(label), "Bo: still here");
  EXPECT_EQ(lifeLeft(label), 5000);

  platform::advanceClock(4999);
  zmLabelUpdate();
  EXPECT_EQ(labelCount(), 1);
  platform::advanceClock(1);  // the expiry itself counts as expired
  zmLabelUpdate();
  EXPECT_EQ(labelCount(), 0);
}

TEST_F(LabelTest, OwnChatReachesTheWindowButMakesNoLabel) {
  ASSERT_EQ(zmRegisterLogViewClass(nullptr), 0);
  ASSERT_EQ(zmChatInit(), 0);
  world->person = object("Handle");
  const long before = zmChatLineCount();
  zmChatDisplay(world->person, "me: hi");
  EXPECT_EQ(zmChatLineCount(), before + 1);
  EXPECT_EQ(zmTextBufGetLineCount(zmGetChat()->pane->textBuf), 1);
  EXPECT_EQ(zmFirstLabel(), nullptr);
  world->person = nullptr;
  zmChatExit();
  ASSERT_EQ(zmChatLabelInitFont(), 0);
}

TEST_F(LabelTest, LongTextsWrapAtTheLabelWidthAndBackslashNEndsALine) {
  const std::string words(60, 'w');
  zmChatDisplay(object("Link"), (words + " " + words + " " + words).c_str());
  ZmLabel* wrapped = zmFindObjLabel(object("Link"), ZM_LABEL_CHAT);
  ASSERT_NE(wrapped, nullptr);
  EXPECT_GT(zmTextBufGetLineCount(wrapped->textBuf), 1);
  EXPECT_LE(wrapped->width, ZM_LABEL_WRAP_WIDTH);
  EXPECT_EQ(wrapped->height, zmTextBufGetLineCount(wrapped->textBuf) * zmGetFontObjLineHeight(wrapped->fontObj));

  zmChatDisplay(object("Plain"), "one\\ntwo");
  ZmLabel* twoLines = zmFindObjLabel(object("Plain"), ZM_LABEL_CHAT);
  ASSERT_NE(twoLines, nullptr);
  EXPECT_EQ(zmTextBufGetLineCount(twoLines->textBuf), 2);
}

TEST_F(LabelTest, ScouterLabelsTheCommentedObjectAboveThePickedOneInsideTheView) {
  setComment(object("Handle"), "a handle with a long description");
  zmChatDisplay(object("Handle"), "a chat text as long as the other one");

  moveMouse(kHandle);  // the scouter is off
  EXPECT_EQ(zmFindObjLabel(object("Handle"), ZM_LABEL_SCOUTER), nullptr);

  EXPECT_EQ(zmScouterOn(), 0);
  moveMouse(kHandle);
  ZmLabel* scouter = zmFindObjLabel(object("Handle"), ZM_LABEL_SCOUTER);
  ASSERT_NE(scouter, nullptr);  // the picked shape's owner, Handle's cube, has no comment of its own
  EXPECT_EQ(zmCurrentScouterLabel(), scouter);
  EXPECT_STREQ(zmLabelText(scouter), "a handle with a long description");
  EXPECT_EQ(scouter->geometry, ZM_LABEL_AT_ANCHOR);
  EXPECT_EQ(lifeLeft(scouter), 3000);
  // Wider than the view's right part: the scouter's label is pulled inside,
  // the chat label over the same cube is not.
  ASSERT_EQ(scouter->placed, 1);
  EXPECT_EQ(scouter->x, std::max(0, kViewWidth - scouter->width - 8));
  ZmLabel* chat = zmFindObjLabel(object("Handle"), ZM_LABEL_CHAT);
  ASSERT_EQ(chat->placed, 1);
  EXPECT_GT(chat->x + chat->width, kViewWidth);

  moveMouse({2, 2});  // nothing there
  EXPECT_EQ(zmCurrentScouterLabel(), nullptr);
  moveMouse(kPlain);  // no comment up its chain
  EXPECT_EQ(zmCurrentScouterLabel(), nullptr);

  EXPECT_EQ(zmScouterOff(), 1);
  platform::advanceClock(2999);
  zmLabelUpdate();
  EXPECT_EQ(zmFindObjLabel(object("Handle"), ZM_LABEL_SCOUTER), scouter);  // stays until it expires
  platform::advanceClock(1);
  zmLabelUpdate();
  EXPECT_EQ(zmFindObjLabel(object("Handle"), ZM_LABEL_SCOUTER), nullptr);
}

TEST_F(LabelTest, NameOptionMakesTheScouterShowNamesUnlessCommentsAreAskedFor) {
  setComment(object("Handle"), "the comment");
  zmScouterOn();
  zmShell.options.dname = 1;
  moveMouse(kHandle);
  ASSERT_NE(zmCurrentScouterLabel(), nullptr);
  EXPECT_STREQ(zmLabelText(zmCurrentScouterLabel()), "HandleCube");
  zmShell.options.dcomment = 1;
  moveMouse(kHandle);
  EXPECT_STREQ(zmLabelText(zmCurrentScouterLabel()), "the comment");
}

TEST_F(LabelTest, CommentAndNameAreLookedForUpTheParentChain) {
  setComment(object("Handle"), "outer");
  EXPECT_EQ(zmGetObjComment(object("HandleCube")), object("Handle"));
  EXPECT_EQ(zmGetObjName(object("HandleCube")), object("HandleCube"));
  EXPECT_EQ(zmGetObjComment(object("PlainCube")), nullptr);
  EXPECT_EQ(zmGetObjComment(nullptr), nullptr);
  EXPECT_TRUE(warned("zmGetObjComment: parameter is NULL"));
  EXPECT_EQ(zmGetObjName(nullptr), nullptr);
  EXPECT_TRUE(warned("zmGetObjName: parameter is NULL"));
}

TEST_F(LabelTest, LabelBehindTheCameraIsNotDrawnButStaysUntilItExpires) {
  ZmObj* speaker = object("Link");
  zmChatDisplay(speaker, "behind you");
  const ZmVec3 behind{0, 0, 20};
  ASSERT_EQ(zmObjectTrans(speaker, &behind, 1, 1), 0);
  zmLabelUpdate();
  ZmLabel* label = zmFindObjLabel(speaker, ZM_LABEL_CHAT);
  ASSERT_NE(label, nullptr);
  EXPECT_EQ(label->placed, 0);
  const ZmVec3 back{0, 0, -20};
  ASSERT_EQ(zmObjectTrans(speaker, &back, 1, 1), 0);
  zmLabelUpdate();
  EXPECT_EQ(label->placed, 1);
}

TEST_F(LabelTest, FrozenLabelsStayWhereTheyStandAndNewOnesAreBornFrozen) {
  ZmObj* speaker = object("Link");
  zmChatDisplay(speaker, "frozen");
  ZmLabel* label = zmFindObjLabel(speaker, ZM_LABEL_CHAT);
  const int x = label->x;
  zmLabelHideAll();
  zmChatDisplay(object("Plain"), "born frozen");
  EXPECT_NE(zmFindObjLabel(object("Plain"), ZM_LABEL_CHAT)->flags & ZM_LABEL_FROZEN, 0u);
  const ZmVec3 right{2, 0, 0};
  ASSERT_EQ(zmObjectTrans(speaker, &right, 1, 1), 0);
  zmLabelUpdate();
  EXPECT_EQ(label->x, x);
  zmLabelShowAll();
  zmLabelUpdate();
  EXPECT_GT(label->x, x);
}

TEST_F(LabelTest, UnknownGeometryWarnsAndLeavesTheLabelUnplaced) {
  zmChatDisplay(object("Link"), "somewhere");
  ZmLabel* label = zmFindObjLabel(object("Link"), ZM_LABEL_CHAT);
  label->geometry = 7;
  zmLabelUpdate();
  EXPECT_EQ(label->placed, 0);
  EXPECT_TRUE(warned("zmLabelWinSetObjPos: unknown geometry"));
  POINT point{};
  EXPECT_EQ(zmLabelWinSetObjPos(world, object("Link"), &point, ZM_LABEL_AT_BOTTOM), 0);
  EXPECT_EQ(zmLabelWinSetObjPos(world, object("Link"), &point, -1), -1);
}

TEST_F(LabelTest, DeletedObjectTakesItsLabelsAlong) {
  zmScouterOn();
  setComment(object("Handle"), "going");
  moveMouse(kHandle);
  zmChatDisplay(object("Handle"), "bye");
  zmChatDisplay(object("Link"), "stays");
  ASSERT_EQ(labelCount(), 3);
  zmDeleteObjLabels(object("Handle"));
  EXPECT_EQ(labelCount(), 1);
  EXPECT_EQ(zmCurrentScouterLabel(), nullptr);
  EXPECT_NE(zmFindObjLabel(object("Link"), ZM_LABEL_CHAT), nullptr);
}

TEST_F(LabelTest, PlacedLabelsAreDrawnWithTheirBackgroundAndText) {
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP image = CreateCompatibleBitmap(screen, kViewWidth, kViewHeight);
  ReleaseDC(nullptr, screen);
  HGDIOBJ previous = SelectObject(dc, image);
  PatBlt(dc, 0, 0, kViewWidth, kViewHeight, BLACKNESS);
  zmChatDisplay(object("Link"), "ab");
  const ZmLabel* label = zmFindObjLabel(object("Link"), ZM_LABEL_CHAT);
  ASSERT_EQ(label->placed, 1);
  zmScouterDraw(dc);
  int grey = 0, dark = 0;
  for (int y = std::max(0, label->y); y < label->y + label->height; ++y)
    for (int x = std::max(0, label->x); x < std::min(kViewWidth, label->x + label->width); ++x) {
      const COLORREF pixel = GetPixel(dc, x, y);
      grey += pixel == RGB(0xC0, 0xC0, 0xC0);
      dark += pixel == RGB(0, 0, 0);
    }
  EXPECT_GT(grey, 0);  // the background
  EXPECT_GT(dark, 0);  // the black text on it
  EXPECT_EQ(GetPixel(dc, 0, kViewHeight - 1), RGB(0, 0, 0));
  SelectObject(dc, previous);
  DeleteObject(image);
  DeleteDC(dc);
}

}  // namespace
