// tests/shell/shell_fixture.h -- a private user folder (LUMENFOLD_HOME, so
// the registry and the bookmark files land in it), the warnings reported
// while a case runs, and small file helpers.
//
// Owns: the folder of each case and everything in it, removed afterwards;
// the LUMENFOLD_HOME setting, put back; the windows a case leaves and the
// dialog scripts it did not use. It does not own the shell's program-wide
// state: each suite resets what its module keeps.
#ifndef LUMENFOLD_TESTS_SHELL_FIXTURE_H
#define LUMENFOLD_TESTS_SHELL_FIXTURE_H

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "core/report.h"
#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/recorder.h"
#include "platform/winuser.h"
#include "tests/hook_guard.h"
#include "tests/temp_folder.h"

namespace shelltest {

inline std::vector<std::string>& warnings() {
  static std::vector<std::string> texts;
  return texts;
}

inline int recordWarning(const char* text) {
  warnings().push_back(text);
  return 0;
}

inline std::string readText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

inline void writeText(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

class ShellTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* previous = getenv("LUMENFOLD_HOME");
    hadHome = previous != nullptr;
    if (hadHome) previousHome = previous;
    setenv("LUMENFOLD_HOME", temp.path().c_str(), 1);
    platform::useVirtualClock(true, 1000);
    platform::clearRecordedEvents();
    zmResetReportStateForTest();
    warnings().clear();
    zmTurnOnFlag(ZM_FLAG_WARNING);
    coreHooks.messages->notifyMessage = recordWarning;
  }

  void TearDown() override {
    platform::clearDialogScripts();
    std::vector<HWND> windows;
    EnumWindows(
        [](HWND hwnd, LPARAM list) {
          reinterpret_cast<std::vector<HWND>*>(list)->push_back(hwnd);
          return TRUE;
        },
        reinterpret_cast<LPARAM>(&windows));
    for (HWND hwnd : windows) DestroyWindow(hwnd);
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
    platform::useVirtualClock(false);
    zmResetReportStateForTest();
    if (hadHome)
      setenv("LUMENFOLD_HOME", previousHome.c_str(), 1);
    else
      unsetenv("LUMENFOLD_HOME");
  }

  bool warned(const std::string& text) const {
    for (const std::string& warning : warnings())
      if (warning.find(text) != std::string::npos) return true;
    return false;
  }

  static std::vector<std::string> errorBoxes() {
    std::vector<std::string> texts;
    for (const auto& event : platform::recordedEvents("MessageBox")) texts.push_back(event.detail);
    return texts;
  }

  HWND makeOwner() {
    return CreateWindowExA(0, "static", "owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 640, 480, nullptr, nullptr,
                           nullptr, nullptr);
  }

  TempFolder temp{"lf-shell"};
  std::string home = temp.path() + "/";  // with its trailing '/'
  CoreHookGuards coreHooks;

 private:
  bool hadHome = false;
  std::string previousHome;
};

}  // namespace shelltest

#endif
