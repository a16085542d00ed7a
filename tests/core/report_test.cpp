// The message flags, the reporters and the fatal box.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/apphandles.h"
#include "core/report.h"
#include "platform/recorder.h"
#include "platform/winuser.h"
#include "tests/hook_guard.h"

namespace {

struct Notice {
  std::string text;
  int boxFlagDuringAppend;
};
std::vector<Notice> notices;

int recordNotify(const char* text) {
  notices.push_back({text, zmIsMessageBoxShowing()});
  return 0;
}

LRESULT CALLBACK quietProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(hwnd, msg, wParam, lParam);
}

// A main window to own the fatal box and receive the close requests, a
// recorder in place of the notify window, and the reporting state as at start.
class ReportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = quietProc;
    wc.lpszClassName = "CoreReportTestMain";
    RegisterClassA(&wc);  // refused after the first test: the class stays
    main_ = CreateWindowExA(0, "CoreReportTestMain", "main", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr,
                            nullptr, nullptr, nullptr);
    ASSERT_NE(main_, nullptr);
    zmSetMainHwnd(main_);
    zmResetReportStateForTest();
    shellHooks->notifyMessage = recordNotify;
    notices.clear();
    platform::clearRecordedEvents();
  }
  void TearDown() override {
    zmResetReportStateForTest();
    zmSetMainHwnd(nullptr);
    DestroyWindow(main_);
    platform::clearRecordedEvents();
  }

  // The messages posted to the main window, taken off the queue.
  std::vector<UINT> takePosted() {
    std::vector<UINT> posted;
    MSG msg;
    while (PeekMessageA(&msg, main_, 0, 0, PM_REMOVE)) {
      if (msg.message != WM_PAINT && msg.message != WM_TIMER) posted.push_back(msg.message);
    }
    return posted;
  }

  static std::vector<std::string> boxes() {
    std::vector<std::string> details;
    for (const auto& event : platform::recordedEvents("MessageBox")) details.push_back(event.detail);
    return details;
  }

  HWND main_ = nullptr;
  ServiceGuard<ZmCoreMessages> shellHooks{coreMessages};
};

TEST_F(ReportTest, FlagDefaultsAndSwitchingByNameAndId) {
  struct Row {
    const char* name;
    int id;
    int on;
  };
  const Row defaults[] = {{"warning", 1, 1}, {"error", 2, 1},   {"message", 3, 1}, {"zmdebug", 4, 0},
                          {"rwdebug", 5, 0}, {"qvdebug", 6, 0}, {"tkdebug", 7, 0}, {"authdebug", 8, 0}};
  for (const Row& row : defaults) {
    EXPECT_EQ(zmGetFlag(row.id), row.on) << row.name;
    zmTurnOnFlagByName(row.name);
    EXPECT_EQ(zmGetFlag(row.id), 1) << row.name;
    zmTurnOffFlagByName(row.name);
    EXPECT_EQ(zmGetFlag(row.id), 0) << row.name;
    zmTurnOnFlag(row.id);
    EXPECT_EQ(zmGetFlag(row.id), 1) << row.name;
    zmTurnOffFlag(row.id);
    EXPECT_EQ(zmGetFlag(row.id), 0) << row.name;
  }
}

TEST_F(ReportTest, UnknownFlagsChangeNothing) {
  // As "-dflags qvdebug nosuch Warning" would switch them at start-up.
  for (const char* name : {"qvdebug", "nosuch", "Warning"}) zmTurnOnFlagByName(name);
  zmTurnOnFlagByName(nullptr);
  zmTurnOnFlag(0);
  zmTurnOnFlag(9);
  zmTurnOffFlagByName("WARNING");
  EXPECT_EQ(zmGetFlag(6), 1);
  EXPECT_EQ(zmGetFlag(1), 1);
  EXPECT_EQ(zmGetFlag(0), 0);
  EXPECT_EQ(zmGetFlag(9), 0);
  EXPECT_EQ(zmAnyFlag(4, 5, 7, 8, 0), 0);
}

TEST_F(ReportTest, AnyAndAllOverIdLists) {
  EXPECT_EQ(zmAnyFlag(4, 5, 0), 0);
  EXPECT_EQ(zmAnyFlag(4, 2, 0), 1);
  EXPECT_EQ(zmAllFlags(1, 2, 3, 0), 1);
  zmTurnOffFlag(ZM_FLAG_WARNING);  // as start-up does
  EXPECT_EQ(zmAllFlags(1, 2, 3, 0), 0);
  EXPECT_EQ(zmAnyFlag(0), 0);
  EXPECT_EQ(zmAllFlags(0), 0);
}

TEST_F(ReportTest, WarningsFollowTheirFlagAndMessagesAlwaysGo) {
  EXPECT_EQ(zmReportWarning("%s: %d", "zmTest", 7), 0);
  zmTurnOffFlagByName("warning");
  EXPECT_EQ(zmReportWarning("dropped"), 0);
  EXPECT_EQ(zmReportMessage("%s : %s", "zmRender()", "cannot render"), 0);
  EXPECT_EQ(zmReportMessageStr("loading", "a.wrl"), 0);
  EXPECT_EQ(zmReportMessageInt("count", 3), 0);

  std::vector<std::string> texts;
  for (const Notice& notice : notices) {
    texts.push_back(notice.text);
    EXPECT_EQ(notice.boxFlagDuringAppend, 1) << notice.text;
  }
  EXPECT_EQ(texts, (std::vector<std::string>{"zmTest: 7", "zmRender() : cannot render", "loading a.wrl", "count 3"}));
  EXPECT_EQ(zmIsMessageBoxShowing(), 0);
}

TEST_F(ReportTest, NotifyWithoutAWindowDropsTheText) {
  shellHooks->notifyMessage = kCoreMessagesDefaults.notifyMessage;
  EXPECT_EQ(zmReportMessage("early"), -1);
  EXPECT_EQ(zmReportWarning("early"), -1);
  shellHooks->notifyMessage = recordNotify;
  EXPECT_EQ(zmShowNotifyText(nullptr), -1);
  EXPECT_TRUE(notices.empty());
}

TEST_F(ReportTest, NotifyAppendKeepsAnOuterBoxFlag) {
  zmSetMessageBoxShowing(1);  // a box of the shell is pumping
  zmReportMessage("inside");
  EXPECT_EQ(zmIsMessageBoxShowing(), 1);
}

TEST_F(ReportTest, LongTextsAreCutToTheBuffer) {
  const std::string longText(5000, 'w');
  zmReportWarning("%s", longText.c_str());
  zmReportMessage("%s", longText.c_str());
  zmReportMessageStr(longText.c_str(), "tail");
  ASSERT_EQ(notices.size(), 3u);
  EXPECT_EQ(notices[0].text, longText.substr(0, ZM_REPORT_BUFFER - 1));
  EXPECT_EQ(notices[1].text, longText.substr(0, ZM_REPORT_BUFFER - 1));
  EXPECT_EQ(notices[2].text, longText.substr(0, 1023));  // the window system's formatter

  zmReportError("%s", longText.c_str());
  EXPECT_EQ(boxes(), std::vector<std::string>{"Fatal Error\n" + longText.substr(0, ZM_REPORT_BUFFER - 1)});
}

TEST_F(ReportTest, ErrorOffShowsNothingAndPostsNothing) {
  zmTurnOffFlagByName("error");
  EXPECT_EQ(zmReportError("zmTest: %s", "broken"), 0);
  EXPECT_TRUE(boxes().empty());
  EXPECT_TRUE(takePosted().empty());
}

TEST_F(ReportTest, RepeatedErrorsShowOneBoxAndRequestCloseEachTime) {
  EXPECT_NE(zmReportError("zmTest: %s", "first"), 0);
  EXPECT_EQ(zmIsMessageBoxShowing(), 0);
  EXPECT_NE(zmReportError("zmTest: %s", "second"), 0);
  EXPECT_NE(zmFatalErrorStr("zmTest:", "third"), 0);

  EXPECT_EQ(boxes(), std::vector<std::string>{"Fatal Error\nzmTest: first"});
  const UINT oneStop[] = {WM_ZMCANCEL, WM_CLOSE};
  std::vector<UINT> expected;
  for (int i = 0; i < 3; ++i) expected.insert(expected.end(), std::begin(oneStop), std::end(oneStop));
  EXPECT_EQ(takePosted(), expected);
}

TEST_F(ReportTest, FatalTextsOfTheFixedFormatters) {
  zmFatalErrorInt("count", 3);
  zmResetReportStateForTest();
  zmFatalErrorStr("can not open", "a.wrl");
  EXPECT_EQ(boxes(), (std::vector<std::string>{"Fatal Error\ncount 3", "Fatal Error\ncan not open a.wrl"}));
}

TEST_F(ReportTest, DebugPrintFollowsTheMessageFlag) {
  zmDebugPrint("zmLoadWorld", "%d objects", 12);
  zmTurnOffFlagByName("message");
  zmDebugPrint("zmLoadWorld", "hidden");
  zmTurnOnFlagByName("message");
  zmDebugPrint("zmLoadWorld", "%s", std::string(5000, 'd').c_str());

  auto lines = platform::recordedEvents("DebugOutput");
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].detail, "zmLoadWorld(): 12 objects\n");
  EXPECT_EQ(lines[1].detail.size(), static_cast<size_t>(ZM_REPORT_BUFFER - 1));
  EXPECT_EQ(lines[1].detail.substr(0, 15), "zmLoadWorld(): ");
  EXPECT_EQ(lines[1].detail.back(), '\n');
}

}  // namespace
