// tests/shell/location_test.cpp -- the location field: Enter posts an open
// request for the typed text to the main window, and a text too long for the
// shared URL buffer is refused, never cut; a text that is neither a URL nor
// a file is reported instead.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "core/report.h"
#include "loading/wwwlink.h"
#include "shell/appstate.h"
#include "shell/location.h"
#include "tests/hook_guard.h"
#include "tests/shell/main_window_fixture.h"

namespace {

std::vector<std::string>* notified = nullptr;
int recordNotice(const char* text) {
  notified->push_back(text);
  return 0;
}

class LocationFieldTest : public MainWindowTest {
 protected:
  ServiceGuard<ZmCoreMessages> shellHooks{coreMessages};
  std::vector<std::string> notices;
  HWND field = nullptr;

  void SetUp() override {
    MainWindowTest::SetUp();
    zmResetReportStateForTest();  // "warning" on
    notified = &notices;
    shellHooks->notifyMessage = recordNotice;
    ASSERT_NE(zmCreateLocationFont(), nullptr);
    field = zmCreateLocationField(nullptr, main);
    ASSERT_NE(field, nullptr);
  }
  void TearDown() override {
    notified = nullptr;
    MainWindowTest::TearDown();
  }

  void type(const std::string& text) {
    for (char c : text) SendMessageA(field, WM_CHAR, WPARAM(static_cast<unsigned char>(c)), 0);
  }

  // The WM_ZMOPENURL messages waiting for the main window, taken off the
  // queue.
  std::vector<MSG> takeOpenRequests() {
    std::vector<MSG> requests;
    MSG msg;
    while (PeekMessageA(&msg, main, WM_ZMOPENURL, WM_ZMOPENURL, PM_REMOVE)) requests.push_back(msg);
    return requests;
  }
};

TEST_F(LocationFieldTest, EnterPostsTheTypedTextAsAnOpenRequest) {
  struct Case {
    const char* typed;
    char enter;
  };
  for (const Case& c : {Case{"file:///tmp/a.wrl", '\r'}, Case{"http://host/w%20x.wrl", '\n'}, Case{"", '\r'}}) {
    SCOPED_TRACE(c.typed);
    zmSetLocationText("");
    type(c.typed);
    ASSERT_EQ(SendMessageA(field, WM_CHAR, WPARAM(c.enter), 0), 0);
    const std::vector<MSG> requests = takeOpenRequests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].wParam, reinterpret_cast<WPARAM>(field));
    const auto* record = reinterpret_cast<const ZmLoadRecord*>(requests[0].lParam);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->local, zmShell.sharedUrl);
    EXPECT_EQ(record->url, nullptr);  // no camera
    EXPECT_STREQ(zmShell.sharedUrl, c.typed);
  }
  EXPECT_TRUE(notices.empty());
}

TEST_F(LocationFieldTest, TextSetByTheProgramIsWhatEnterOpens) {
  zmSetLocationText("file:///tmp/shown.wrl");
  SendMessageA(field, WM_CHAR, WPARAM('\r'), 0);
  ASSERT_EQ(takeOpenRequests().size(), 1u);
  EXPECT_STREQ(zmShell.sharedUrl, "file:///tmp/shown.wrl");
}

TEST_F(LocationFieldTest, TextLongerThanTheBufferIsRefusedWithAWarning) {
  struct Case {
    size_t length;
    bool opened;
  };
  for (const Case& c : {Case{ZM_SHARED_URL_SIZE - 1, true}, Case{ZM_SHARED_URL_SIZE, false}, Case{300, false}}) {
    SCOPED_TRACE(c.length);
    std::strcpy(zmShell.sharedUrl, "before");
    notices.clear();
    const std::string text = "http://" + std::string(c.length - 7, 'a');
    zmSetLocationText("");
    type(text);
    ASSERT_EQ(GetWindowTextLengthA(field), int(c.length));
    SendMessageA(field, WM_CHAR, WPARAM('\r'), 0);
    EXPECT_EQ(takeOpenRequests().size(), c.opened ? 1u : 0u);
    EXPECT_EQ(std::string(zmShell.sharedUrl), c.opened ? text : "before");
    EXPECT_EQ(notices.size(), c.opened ? 0u : 1u);
  }
}

// A typed text opens when it is a URL or names a file (by its path, or next
// to the world on show); anything else is reported and not opened.
TEST_F(LocationFieldTest, TextThatIsNoUrlAndNoFileSaysSo) {
  namespace fs = std::filesystem;
  const fs::path folder = fs::temp_directory_path() / ("lf_location_" + std::to_string(getpid()));
  fs::create_directories(folder);
  std::ofstream(folder / "next to it.wrl") << "#VRML V1.0 ascii\n";
  const std::string baseFile = "file://" + (folder / "shown.wrl").string();
  const std::string path = (folder / "next to it.wrl").string();
  struct Case {
    std::string base, typed, opens;  // opens "": refused with a message
  };
  const Case cases[] = {
      {"", "no such world", ""},
      {baseFile, "no such world", ""},
      {"", path, "file://" + path},
      {baseFile, "next to it.wrl", "next to it.wrl"},
      {"http://host/w/a.wrl", "b.wrl", "b.wrl"},
      {"", "ftp://host/w.wrl", "ftp://host/w.wrl"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.base + " | " + c.typed);
    notices.clear();
    zmWwwSetBaseUrl(c.base.c_str());
    zmSetLocationText("");
    type(c.typed);
    SendMessageA(field, WM_CHAR, WPARAM('\r'), 0);
    const std::vector<MSG> requests = takeOpenRequests();
    if (c.opens.empty()) {
      EXPECT_TRUE(requests.empty());
      ASSERT_EQ(notices.size(), 1u);
      EXPECT_NE(notices[0].find(c.typed + ": no such file, and not a URL."), std::string::npos) << notices[0];
    } else {
      ASSERT_EQ(requests.size(), 1u);
      EXPECT_EQ(std::string(zmShell.sharedUrl), c.opens);
      EXPECT_TRUE(notices.empty());
    }
  }
  zmWwwSetBaseUrl("");
  fs::remove_all(folder);
}

}  // namespace
