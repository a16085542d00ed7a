// tests/shell/program_fixture.h -- the program started headless in the test
// process, on the virtual clock, with worlds written to a folder of the
// test's own.
//
// Owns: the test folder (also the user folder, LUMENFOLD_HOME), the hook
// tables the start-up fills (given back afterwards), the messages the
// program reported, and the program's end when a test has not ended it. It
// does not own what the program does: each test drives it with messages
// and pumps.
#ifndef LUMENFOLD_TESTS_SHELL_PROGRAM_FIXTURE_H
#define LUMENFOLD_TESTS_SHELL_PROGRAM_FIXTURE_H

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "core/report.h"
#include "core/world.h"
#include "loading/loadhooks.h"
#include "loading/urltable.h"
#include "loading/wwwlink.h"
#include "platform/clock.h"
#include "platform/recorder.h"
#include "script/mainloop.h"
#include "shell/app.h"
#include "shell/appstate.h"
#include "shell/cmdline.h"
#include "startup/startup.h"
#include "shell/worldcache.h"
#include "shell/worldload.h"
#include "tests/hook_guard.h"
#include "tests/url_fetch_guard.h"
#include "tests/vrml_hook_guards.h"
#include "vrmlwrite/hooks.h"
#include "tests/temp_folder.h"

class ProgramTest : public ::testing::Test {
 public:
  static constexpr const char* kWorldText = "#VRML V1.0 ascii\nSeparator { Cube {} }\n";

  static inline std::vector<std::string> messages;
  static int recordMessage(const char* text) {
    messages.emplace_back(text);
    return 0;
  }

  void SetUp() override {
    setenv("LUMENFOLD_HOME", dir.c_str(), 1);
    platform::useVirtualClock(true, 1000);
    platform::clearRecordedEvents();
    platform::clearMessageBoxAnswers();
    messages.clear();
    zmResetOptions();
    zmStartLayers({recordMessage});
    zmSetUrlFetch(zmWwwFetchUrl);  // the program's own, in place of the guard's nothing
  }

  void TearDown() override {
    if (IsWindow(zmGetMainHwnd())) DestroyWindow(zmGetMainHwnd());
    pump();
    zmSetMainHwnd(nullptr);
    zmSetViewHwnd(nullptr);
    zmShell.zmAppState = ZM_APP_NONE;
    zmShell.worldRunning = 0;
    zmResetReportStateForTest();
    platform::useVirtualClock(false);
    unsetenv("LUMENFOLD_HOME");
  }

  // Starts the program on the command line; warnings are reported from then
  // on (the start-up switches them off).
  void start(const std::string& commandLine = "") {
    line = commandLine;
    ASSERT_EQ(zmAppInit(nullptr, nullptr, line.data(), SW_SHOWNORMAL), 0);
    zmTurnOnFlag(ZM_FLAG_WARNING);
    pump();
  }

  // Serves every waiting message; the quit message is kept, not served.
  void pump() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) {
        quitCode = static_cast<int>(msg.wParam);
        continue;
      }
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
  }

  // One tick of the frame timer, served.
  void tick() {
    platform::advanceClock(1000);
    pump();
  }

  std::string write(const std::string& name, const std::string& text = kWorldText) {
    const std::string path = dir + "/" + name;
    std::ofstream(path) << text;
    return path;
  }

  // Opens the file as the location bar or a dropped file does, and serves
  // the messages that brings.
  int open(const std::string& path) {
    const int result = zmWwwOpenFile(path.c_str());
    pump();
    return result;
  }

  std::string url(const std::string& path) { return "file://" + path; }

  bool reported(const std::string& text) const {
    for (const std::string& message : messages)
      if (message.find(text) != std::string::npos) return true;
    return false;
  }

  TempFolder temp{"lf-shell"};
  std::string dir = temp.path();
  std::string line;
  int quitCode = -1;
  CoreHookGuards coreHooks;
  VrmlHookGuards vrmlHooks;
  ServiceGuard<ZmWriterLoading> writerHooks{writerLoading};
  UrlFetchGuard urlFetch;
  ServiceGuard<ZmLoadingScript> loadingScriptHooks{loadingScript};
};

#endif
