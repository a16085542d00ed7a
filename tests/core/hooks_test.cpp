// tests/core/hooks_test.cpp -- what the core's hook wrappers do while their
// slot is unset, and that a set slot's answer is the wrapper's.
#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "core/hooks.h"
#include "core/memory.h"
#include "core/object.h"
#include "core/world.h"
#include "tests/hook_guard.h"

namespace {

class CoreHooksTest : public ::testing::Test {
 protected:
  void SetUp() override {
    world = zmNewWorld("hooks.wrl");
    ASSERT_NE(world, nullptr);
    ASSERT_EQ(zmNewZmObj(world, &object, 0), 0);
    ASSERT_EQ(zmAddTopObject(object, "hooks.wrl"), 0);
  }
  void TearDown() override { EXPECT_EQ(zmDeleteWorld(world), 0); }

  ZmObj* child() {
    ZmObj* made = nullptr;
    EXPECT_EQ(zmNewZmObj(world, &made, 0), 0);
    EXPECT_EQ(zmAddChild(object, made), 0);
    return made;
  }

  CoreHookGuards hooks;
  ZmWorld* world = nullptr;
  ZmObj* object = nullptr;
};

struct DefaultCase {
  const char* wrapper;
  std::function<int(ZmWorld*, ZmObj*)> call;
  int expected;
};

// Failures the callers report, and successes they go on after: a wrong
// default here either stops a deletion or hides a missing layer.
TEST_F(CoreHooksTest, UnsetSlotsAnswerTheirDocumentedDefault) {
  const DefaultCase cases[] = {
      {"hookNotifyMessage", [](ZmWorld*, ZmObj*) { return coreMessages().notifyMessage("dropped"); }, -1},
      {"hookDestroyObjInViewer", [](ZmWorld*, ZmObj* o) { return coreViewer().destroyObjInViewer(o); }, 0},
      {"hookRenderDeleteBoundingBoxInViewer",
       [](ZmWorld*, ZmObj* o) { return coreViewer().renderDeleteBoundingBoxInViewer(o); }, 0},
      {"hookRwAddObjToTransferedObjList",
       [](ZmWorld*, ZmObj* o) { return coreViewer().rwAddObjToTransferedObjList(o); }, 0},
      {"hookRenderDestroyWorldInViewer", [](ZmWorld* w, ZmObj*) { return coreViewer().renderDestroyWorldInViewer(w); },
       0},
      {"hookRenderSetMaterial", [](ZmWorld*, ZmObj*) { return coreViewer().renderSetMaterial(nullptr); }, 0},
      {"hookRenderSetCameraViewport",
       [](ZmWorld* w, ZmObj*) { return coreViewer().renderSetCameraViewport(w, 0, 0, 8, 8); }, 0},
      {"hookScriptInit", [](ZmWorld* w, ZmObj*) { return coreScript().scriptInit(w, 1); }, 0},
      {"hookScriptExit", [](ZmWorld* w, ZmObj*) { return coreScript().scriptExit(w, 1); }, 0},
      {"hookDeleteSoundLeaf", [](ZmWorld*, ZmObj*) { return coreMedia().deleteSoundLeaf(nullptr); }, 0},
      {"hookKinDeleteBodyAndPos", [](ZmWorld*, ZmObj* o) { return coreMedia().kinDeleteBodyAndPos(o); }, 0},
  };
  for (const DefaultCase& c : cases) EXPECT_EQ(c.call(world, object), c.expected) << c.wrapper;
}

TEST_F(CoreHooksTest, UnsetQueriesFailAndLeaveTheirOutputs) {
  int x = 7, y = 7, width = 7, height = 7;
  float w = 7, h = 7, distance = 7;
  ZmUrlHashTable* table = reinterpret_cast<ZmUrlHashTable*>(&x);
  EXPECT_EQ(coreViewer().renderGetActiveCameraViewport(world, &x, &y, &width, &height), -1);
  EXPECT_EQ(coreViewer().renderGetCameraViewport(object, &x, &y, &width, &height), -1);
  EXPECT_EQ(coreViewer().renderGetActiveCameraViewWindow(world, &w, &h), -1);
  EXPECT_EQ(coreViewer().renderGetCameraViewWindow(object, &w, &h), -1);
  EXPECT_EQ(coreViewer().renderGetActiveCameraNearClipping(world, &distance), -1);
  EXPECT_EQ(coreViewer().renderGetCameraFarClipping(object, &distance), -1);
  EXPECT_EQ(coreLoading().newUrlHash(16, &table), -1);
  EXPECT_EQ(x + y + width + height, 28);
  EXPECT_EQ(w + h + distance, 21);
  EXPECT_EQ(table, reinterpret_cast<ZmUrlHashTable*>(&x));
}

TEST_F(CoreHooksTest, UnsetSwitchQueriesReadTheExtensionAndWalkTheChildren) {
  object->vrmlType = ZM_VRML_SWITCH;
  EXPECT_EQ(coreViewer().getSwitchObjNo(object), 0);  // no extension yet
  auto* number = static_cast<int32_t*>(zmMalloc(sizeof(int32_t)));
  *number = 2;
  ASSERT_EQ(zmRegisterObjExtension(object, zmSwitchWhichChild, reinterpret_cast<intptr_t>(number)), 0);
  EXPECT_EQ(coreViewer().getSwitchObjNo(object), 2);

  ZmObj* first = child();
  ZmObj* second = child();
  EXPECT_EQ(coreViewer().getSwitchObjByNo(object, 0), first);
  EXPECT_EQ(coreViewer().getSwitchObjByNo(object, 1), second);
  EXPECT_EQ(coreViewer().getSwitchObjByNo(object, 2), nullptr);
  EXPECT_EQ(coreViewer().getSwitchObjByNo(object, -1), nullptr);
}

TEST_F(CoreHooksTest, UnsetEventDeliveryStillNamesTheObject) {
  ZmEvent event = {};
  EXPECT_EQ(coreScript().callEventHandler(object, &event), 0);
  EXPECT_EQ(event.object, object);
}

TEST_F(CoreHooksTest, UnsetTextureDeletionFreesTheCoordinates) {
  ZmTexture texture = {};
  texture.uv.values = static_cast<ZmSFVec2f*>(zmMalloc(4 * sizeof(ZmSFVec2f)));
  texture.uv.count = 4;
  coreViewer().deleteTexture(&texture);  // the leak checker fails the run when it does not
}

TEST_F(CoreHooksTest, SetSlotsAnswerForTheirWrapper) {
  hooks.viewer->destroyObjInViewer = [](ZmObj*) { return -1; };
  hooks.viewer->getSwitchObjNo = [](ZmObj*) { return int32_t{-3}; };
  hooks.script->callEventHandler = [](ZmObj*, ZmEvent*) { return -1; };
  ZmEvent event = {};
  EXPECT_EQ(coreViewer().destroyObjInViewer(object), -1);
  EXPECT_EQ(coreViewer().getSwitchObjNo(object), -3);
  EXPECT_EQ(coreScript().callEventHandler(object, &event), -1);
  EXPECT_EQ(event.object, nullptr);  // the handler's business once it exists
  hooks.viewer->destroyObjInViewer = kCoreViewerDefaults.destroyObjInViewer;  // so that the world can go
}

// Whoever holds objects between messages hears of each deleted object while
// its contents can still be read, the whole subtree and a cleared object alike.
TEST_F(CoreHooksTest, EveryDeletedObjectIsForgottenWhileItsContentsStand) {
  static std::vector<std::pair<ZmObj*, ZmEventHandler*>> forgotten;
  forgotten.clear();
  hooks.shell->viewInputForgetObj = [](ZmObj* o) { forgotten.push_back({o, o->eventHandlers}); };
  ZmObj* parent = child();
  ZmObj* leaf = nullptr;
  ASSERT_EQ(zmNewZmObj(world, &leaf, 0), 0);
  ASSERT_EQ(zmAddChild(parent, leaf), 0);
  ZmEventHandler handler = {};
  leaf->eventHandlers = &handler;  // stands for contents the deletion frees
  hooks.script->deleteAllEventHandler = [](ZmObj*) { return 0; };

  ASSERT_EQ(zmDeleteZmObj(parent), 0);
  ASSERT_EQ(forgotten.size(), 2u);
  EXPECT_EQ(forgotten[0].first, leaf);
  EXPECT_EQ(forgotten[0].second, &handler);
  EXPECT_EQ(forgotten[1].first, parent);

  forgotten.clear();
  ASSERT_EQ(zmClearZmObjContents(object), 0);
  ASSERT_EQ(forgotten.size(), 1u);
  EXPECT_EQ(forgotten[0].first, object);
}

// The start-up's check reads a service through its untyped state: whether
// a provider's record is in use, and whether it left a function out.
TEST(CoreServices, StateTellsAProvidedRecordAndOneWithAFunctionLeftOut) {
  const ZmServiceState& state = coreMedia;
  ZmCoreMedia record = kCoreMediaDefaults;
  {
    CoreHookGuards hooks;
    EXPECT_FALSE(state.provided());
    EXPECT_TRUE(state.complete());
    coreMedia.provide(record);
    EXPECT_TRUE(state.provided());
    EXPECT_TRUE(state.complete());
    record.soundSetWorld = nullptr;
    EXPECT_FALSE(state.complete());
    record.soundSetWorld = kCoreMediaDefaults.soundSetWorld;
    coreMedia.provide(coreMedia.fallback());
    EXPECT_FALSE(state.provided());
    hooks.media->pause3DMovie = [](ZmObj*) {};
    EXPECT_TRUE(state.provided());
    EXPECT_NE(coreMedia().pause3DMovie, kCoreMediaDefaults.pause3DMovie);
  }
  // The guard gives back the record it found.
  EXPECT_EQ(coreMedia().pause3DMovie, kCoreMediaDefaults.pause3DMovie);
}

}  // namespace
