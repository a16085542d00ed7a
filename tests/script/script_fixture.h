// tests/script/script_fixture.h -- a world with scripting installed, on the
// virtual clock, with the program's messages recorded.
//
// Owns: ScriptTest, which fills the core's, the builder's and loading's hook
// slots for one test, points the user folder (and so "usrfiles") at a fresh
// temporary folder, records every text that reaches the notify window, and
// makes worlds and objects that are freed after the test. It does not own
// what the tests check.
#ifndef LUMENFOLD_TESTS_SCRIPT_SCRIPT_FIXTURE_H
#define LUMENFOLD_TESTS_SCRIPT_SCRIPT_FIXTURE_H

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "core/object.h"
#include "core/report.h"
#include "core/world.h"
#include "loading/loadhooks.h"
#include "media/timeouthooks.h"
#include "platform/clock.h"
#include "platform/recorder.h"
#include "script/host.h"
#include "script/install.h"
#include "tests/url_fetch_guard.h"
#include "tests/vrml_hook_guards.h"
#include "tests/temp_folder.h"

class ScriptTest : public ::testing::Test {
 protected:
  static std::vector<std::string>& notices() {
    static std::vector<std::string> texts;
    return texts;
  }
  static int recordNotice(const char* text) {
    notices().push_back(text);
    return 0;
  }

  void SetUp() override {
    setenv("LUMENFOLD_HOME", (folder / "home").c_str(), 1);
    zmResetReportStateForTest();
    zmInstallLoadingHooks();
    zmInstallScriptHooks();
    coreHooks.messages->notifyMessage = recordNotice;
    notices().clear();
    platform::clearRecordedEvents();
    platform::useVirtualClock(true, 1'000'000'000);
  }

  void TearDown() override {
    for (ZmWorld* world : worlds) zmDeleteWorld(world);
    zmSetCurrentWorld(nullptr);
    zmScriptSetProgramDirForTest(nullptr);
    platform::useVirtualClock(false);
    unsetenv("LUMENFOLD_HOME");
  }

  ZmWorld* newWorld() {
    ZmWorld* world = zmNewWorld("test.wrl");
    worlds.push_back(world);
    return world;
  }

  // A new object, a top object of the world or a child of `parent`.
  ZmObj* newObject(ZmWorld* world, ZmObj* parent = nullptr) {
    ZmObj* object = nullptr;
    EXPECT_EQ(zmNewZmObj(world, &object, 0), 0);
    if (parent != nullptr) {
      zmAddChild(parent, object);
    } else {
      zmAddTopObject(object, "test.wrl");
    }
    return object;
  }

  // Evaluates in the world's interpreter; the status, the result text in
  // *text when given.
  int eval(ZmWorld* world, const std::string& script, std::string* text = nullptr) {
    int number = 0;
    int status = zmScriptEvalStr(world, 1, script.c_str(), &number);
    if (text != nullptr) *text = Tcl_GetStringResult(zmScriptGetInterp(world));
    return status;
  }

  bool noticed(const std::string& part) const {
    for (const std::string& text : notices())
      if (text.find(part) != std::string::npos) return true;
    return false;
  }

  CoreHookGuards coreHooks;
  VrmlHookGuards vrmlHooks;
  UrlFetchGuard urlFetch;
  ServiceGuard<ZmLoadingScript> loadingScriptHooks{loadingScript};
  ServiceGuard<ZmMediaScript> mediaHooks{mediaScript};
  TempFolder temp{"lumenfold-script"};
  std::filesystem::path folder = temp.path();
  std::vector<ZmWorld*> worlds;
};

#endif
