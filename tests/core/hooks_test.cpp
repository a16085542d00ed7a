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
      {"hookNotifyMessage", [](ZmWorld*, ZmObj*) { return hookNotifyMessage("dropped"); }, -1},
      {"hookDestroyObjInViewer", [](ZmWorld*, ZmObj* o) { return hookDestroyObjInViewer(o); }, 0},
      {"hookRenderDeleteBoundingBoxInViewer",
       [](ZmWorld*, ZmObj* o) { return hookRenderDeleteBoundingBoxInViewer(o); }, 0},
      {"hookRwAddObjToTransferedObjList", [](ZmWorld*, ZmObj* o) { return hookRwAddObjToTransferedObjList(o); }, 0},
      {"hookRenderDestroyWorldInViewer", [](ZmWorld* w, ZmObj*) { return hookRenderDestroyWorldInViewer(w); }, 0},
      {"hookRenderSetMaterial", [](ZmWorld*, ZmObj*) { return hookRenderSetMaterial(nullptr); }, 0},
      {"hookRenderSetCameraViewport",
       [](ZmWorld* w, ZmObj*) { return hookRenderSetCameraViewport(w, 0, 0, 8, 8); }, 0},
      {"hookScriptInit", [](ZmWorld* w, ZmObj*) { return hookScriptInit(w, 1); }, 0},
      {"hookScriptExit", [](ZmWorld* w, ZmObj*) { return hookScriptExit(w, 1); }, 0},
      {"hookDeleteSoundLeaf", [](ZmWorld*, ZmObj*) { return hookDeleteSoundLeaf(nullptr); }, 0},
      {"hookKinDeleteBodyAndPos", [](ZmWorld*, ZmObj* o) { return hookKinDeleteBodyAndPos(o); }, 0},
  };
  for (const DefaultCase& c : cases) EXPECT_EQ(c.call(world, object), c.expected) << c.wrapper;
}

TEST_F(CoreHooksTest, UnsetQueriesFailAndLeaveTheirOutputs) {
  int x = 7, y = 7, width = 7, height = 7;
  float w = 7, h = 7, distance = 7;
  ZmUrlHashTable* table = reinterpret_cast<ZmUrlHashTable*>(&x);
  EXPECT_EQ(hookRenderGetActiveCameraViewport(world, &x, &y, &width, &height), -1);
  EXPECT_EQ(hookRenderGetCameraViewport(object, &x, &y, &width, &height), -1);
  EXPECT_EQ(hookRenderGetActiveCameraViewWindow(world, &w, &h), -1);
  EXPECT_EQ(hookRenderGetCameraViewWindow(object, &w, &h), -1);
  EXPECT_EQ(hookRenderGetActiveCameraNearClipping(world, &distance), -1);
  EXPECT_EQ(hookRenderGetCameraFarClipping(object, &distance), -1);
  EXPECT_EQ(hookNewUrlHash(16, &table), -1);
  EXPECT_EQ(x + y + width + height, 28);
  EXPECT_EQ(w + h + distance, 21);
  EXPECT_EQ(table, reinterpret_cast<ZmUrlHashTable*>(&x));
}

TEST_F(CoreHooksTest, UnsetSwitchQueriesReadTheExtensionAndWalkTheChildren) {
  object->vrmlType = ZM_VRML_SWITCH;
  EXPECT_EQ(hookGetSwitchObjNo(object), 0);  // no extension yet
  auto* number = static_cast<int32_t*>(zmMalloc(sizeof(int32_t)));
  *number = 2;
  ASSERT_EQ(zmRegisterObjExtension(object, zmSwitchWhichChild, reinterpret_cast<intptr_t>(number)), 0);
  EXPECT_EQ(hookGetSwitchObjNo(object), 2);

  ZmObj* first = child();
  ZmObj* second = child();
  EXPECT_EQ(hookGetSwitchObjByNo(object, 0), first);
  EXPECT_EQ(hookGetSwitchObjByNo(object, 1), second);
  EXPECT_EQ(hookGetSwitchObjByNo(object, 2), nullptr);
  EXPECT_EQ(hookGetSwitchObjByNo(object, -1), nullptr);
}

TEST_F(CoreHooksTest, UnsetEventDeliveryStillNamesTheObject) {
  ZmEvent event = {};
  EXPECT_EQ(hookCallEventHandler(object, &event), 0);
  EXPECT_EQ(event.object, object);
}

TEST_F(CoreHooksTest, UnsetTextureDeletionFreesTheCoordinates) {
  ZmTexture texture = {};
  texture.uv.values = static_cast<ZmSFVec2f*>(zmMalloc(4 * sizeof(ZmSFVec2f)));
  texture.uv.count = 4;
  hookDeleteTexture(&texture);  // the leak checker fails the run when it does not
}

TEST_F(CoreHooksTest, SetSlotsAnswerForTheirWrapper) {
  hooks.viewer->destroyObjInViewer = [](ZmObj*) { return -1; };
  hooks.viewer->getSwitchObjNo = [](ZmObj*) { return int32_t{-3}; };
  hooks.script->callEventHandler = [](ZmObj*, ZmEvent*) { return -1; };
  ZmEvent event = {};
  EXPECT_EQ(hookDestroyObjInViewer(object), -1);
  EXPECT_EQ(hookGetSwitchObjNo(object), -3);
  EXPECT_EQ(hookCallEventHandler(object, &event), -1);
  EXPECT_EQ(event.object, nullptr);  // the handler's business once it exists
  hooks.viewer->destroyObjInViewer = nullptr;  // so that the world can go
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

// The build checks that each table's list is as long as the table; a slot
// listed twice would hide one left out.
TEST(CoreHookSlots, EverySlotIsListedOnceAndReportsItsOwnState) {
  CoreHookGuards hooks;
  hooks.media->pause3DMovie = [](ZmObj*) {};
  std::set<std::string> seen;
  for (const ZmHookSlot& slot : zmCoreHookSlots()) {
    const std::string name = std::string(slot.table) + "." + slot.slot;
    EXPECT_TRUE(seen.insert(name).second) << name;
    EXPECT_EQ(slot.isSet(), name == "zmCoreMediaHooks.pause3DMovie") << name;
  }
}

}  // namespace
