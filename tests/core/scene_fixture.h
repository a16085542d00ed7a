// tests/core/scene_fixture.h -- a world with every upward hook recording its
// calls, for the scene-core suites.
//
// Owns: the world of each test, which it deletes afterwards, and the
// recorded calls, messages and names. The objects a test makes stay the
// world's; the core's hook tables are given back as they were when the test
// ends.
#ifndef LUMENFOLD_TESTS_CORE_SCENE_FIXTURE_H
#define LUMENFOLD_TESTS_CORE_SCENE_FIXTURE_H

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "core/leaf.h"
#include "core/memory.h"
#include "core/object.h"
#include "core/report.h"
#include "core/strings.h"
#include "core/world.h"
#include "platform/recorder.h"
#include "tests/hook_guard.h"

// Calls the core made upwards ("destroyObjInViewer parent", ...) and texts
// it sent to the notify window, in order.
inline std::vector<std::string> sceneCalls;
inline std::vector<std::string> sceneMessages;
inline std::map<const void*, std::string> sceneNames;  // objects and leaves by test name

inline std::string sceneNameOf(const void* p) {
  auto found = sceneNames.find(p);
  return found == sceneNames.end() ? "?" : found->second;
}

inline void recordCall(const char* what, const void* p) {
  sceneCalls.push_back(std::string(what) + " " + sceneNameOf(p));
}

inline void installRecordingHooks(CoreHookGuards& hooks) {
  hooks.messages->notifyMessage = [](const char* text) {
    sceneMessages.push_back(text);
    return 0;
  };
  hooks.viewer->destroyObjInViewer = [](ZmObj* o) { recordCall("destroyObjInViewer", o); return 0; };
  hooks.viewer->renderDeleteBoundingBoxInViewer = [](ZmObj* o) {
    recordCall("renderDeleteBoundingBoxInViewer", o);
    return 0;
  };
  hooks.viewer->rwAddObjToTransferedObjList = [](ZmObj* o) {
    recordCall("rwAddObjToTransferedObjList", o);
    return 0;
  };
  hooks.viewer->rwRemoveObjFromTransferedObjList = [](ZmObj* o) {
    recordCall("rwRemoveObjFromTransferedObjList", o);
    return 0;
  };
  hooks.viewer->renderDestroyWorldInViewer = [](ZmWorld*) {
    sceneCalls.push_back("renderDestroyWorldInViewer");
    return 0;
  };
  hooks.viewer->renderSetMaterial = [](ZmLeaf* l) { recordCall("renderSetMaterial", l); return 0; };
  hooks.script->deleteAllEventHandler = [](ZmObj* o) { recordCall("deleteAllEventHandler", o); return 0; };
  hooks.script->deleteObjTimeOutHandler = [](ZmObj* o) { recordCall("deleteObjTimeOutHandler", o); };
  hooks.shell->deleteObjLabels = [](ZmObj* o) { recordCall("deleteObjLabels", o); };
  hooks.media->deleteSoundLeaf = [](ZmLeaf* l) { recordCall("deleteSoundLeaf", l); return 0; };
  hooks.media->pause3DMovie = [](ZmObj* o) { recordCall("pause3DMovie", o); };
  hooks.media->kinDeleteBodyAndPos = [](ZmObj* o) { recordCall("kinDeleteBodyAndPos", o); return 0; };
  hooks.media->soundSetWorld = [](ZmWorld* w) {
    sceneCalls.push_back(w ? "soundSetWorld world" : "soundSetWorld null");
  };
  hooks.loading->deleteUrlHash = [](ZmWorld*) { sceneCalls.push_back("deleteUrlHash"); };
  hooks.script->scriptExit = [](ZmWorld*, int) { sceneCalls.push_back("scriptExit"); return 0; };
}

class SceneTest : public ::testing::Test {
 protected:
  void SetUp() override {
    zmResetReportStateForTest();
    platform::clearRecordedEvents();
    sceneCalls.clear();
    sceneMessages.clear();
    sceneNames.clear();
    installRecordingHooks(hooks);
    world = zmNewWorld("test.wrl");
    ZmId first = -10000, last = -1;
    ASSERT_EQ(zmSetIdCounter(&first, &last, 0), 0);
  }

  void TearDown() override {
    EXPECT_EQ(zmDeleteWorld(world), 0);
    zmResetReportStateForTest();
  }

  // A named object: a top object without parent, else the parent's child.
  ZmObj* make(const char* name, ZmObj* parent = nullptr) {
    ZmObj* object = nullptr;
    EXPECT_EQ(zmNewZmObj(world, &object, 0), 0);
    zmNameObject(object, name);
    sceneNames[object] = name;
    if (parent == nullptr) {
      EXPECT_EQ(zmAddTopObject(object, "test.wrl"), 0);
    } else {
      EXPECT_EQ(zmAddChild(parent, object), 0);
    }
    return object;
  }

  // The texts of the fatal boxes shown since the test began.
  static std::vector<std::string> fatalTexts() {
    std::vector<std::string> texts;
    for (const auto& event : platform::recordedEvents("MessageBox")) {
      texts.push_back(event.detail.substr(event.detail.find('\n') + 1));
    }
    return texts;
  }

  CoreHookGuards hooks;
  ZmWorld* world = nullptr;
};

#endif
