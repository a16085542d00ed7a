// tests/shell/logview_test.cpp -- the log view (following the end, scrolling,
// renumbering, drawing its lines) and the "Messages" window built on it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/presenter.h"
#include "platform/windows.h"
#include "shell/logview.h"
#include "shell/notify.h"
#include "tests/shell/window_fixture.h"

namespace {

class LogViewTest : public ShellWindowTest {
 protected:
  void SetUp() override {
    ShellWindowTest::SetUp();
    ASSERT_EQ(zmRegisterLogViewClass(nullptr), 0);
    parent = makeFrame(600, 500);
  }
  void TearDown() override {
    zmDeleteLogView(view);
    ShellWindowTest::TearDown();
  }

  void makeView(int maxMsgs) {
    view = zmNewLogView(parent, maxMsgs);
    ASSERT_NE(view, nullptr);
    ASSERT_GT(view->linesPerPage, 1);
  }

  void appendNumbered(int from, int to) {
    for (int i = from; i <= to; ++i) ASSERT_EQ(zmLogAppend(view, ("message " + std::to_string(i)).c_str()), 0);
  }

  std::string lineText(int lineNo) const {
    ZmTextLine* line = nullptr;
    if (zmTextBufFindLine(view->textBuf, lineNo, nullptr, &line) != 0) return "<none>";
    return std::string(line->start, line->drawn);
  }

  int first() const { return zmTextBufGetFirstLineNo(view->textBuf); }
  int last() const { return zmTextBufGetLastLineNo(view->textBuf); }
  bool showsLastLine() const { return view->topLine <= last() && last() < view->topLine + view->linesPerPage; }

  void scroll(int request, int thumb = 0) {
    SendMessageA(view->hwnd, WM_VSCROLL, MAKEWPARAM(request, thumb), 0);
  }

  HWND parent = nullptr;
  ZmLogView* view = nullptr;
};

TEST_F(LogViewTest, TheHundredAndFirstMessageDropsTheFirstAndTheViewKeepsItsPlace) {
  struct Case {
    const char* name;
    int request;  // scrolling before the 101st message; -1 none
    int thumb;
  };
  for (const Case& c : {Case{"showing the end", -1, 0}, Case{"scrolled back", SB_THUMBPOSITION, 50},
                        Case{"at the top", SB_TOP, 0}}) {
    SCOPED_TRACE(c.name);
    zmDeleteLogView(view);
    makeView(100);
    appendNumbered(1, 100);
    ASSERT_TRUE(showsLastLine());
    if (c.request >= 0) scroll(c.request, c.thumb);
    const std::string topBefore = lineText(view->topLine);

    appendNumbered(101, 101);
    EXPECT_EQ(view->textBuf->msgCount, 100);
    EXPECT_EQ(lineText(first()), "message 2");
    EXPECT_EQ(view->firstLineNo, first());
    if (c.request < 0) {
      EXPECT_TRUE(showsLastLine());
    } else if (c.request == SB_TOP) {
      EXPECT_EQ(view->topLine, first());  // the line shown at the top was dropped
    } else {
      EXPECT_EQ(lineText(view->topLine), topBefore);
    }
    EXPECT_EQ(GetScrollPos(view->hwnd, SB_VERT), view->topLine - first());
  }
}

TEST_F(LogViewTest, FollowingTheEndKeepsThePageFull) {
  makeView(10);
  const int page = view->linesPerPage;
  auto lines = [](int count) {
    std::string text = "line";
    for (int i = 1; i < count; ++i) text += "\nline";
    return text;
  };
  struct Case {
    const char* name;
    int linesBefore;  // already shown, fewer than a page
    int linesAdded;
  };
  for (const Case& c : {Case{"empty view", 0, page + 5}, Case{"half a page", page / 2, page}}) {
    SCOPED_TRACE(c.name);
    zmLogClear(view);
    if (c.linesBefore > 0) {
      ASSERT_EQ(zmLogAppend(view, lines(c.linesBefore).c_str()), 0);
    }
    ASSERT_EQ(view->topLine, first());
    ASSERT_EQ(zmLogAppend(view, lines(c.linesAdded).c_str()), 0);
    EXPECT_EQ(view->topLine, last() - page + 1);
  }
}

TEST_F(LogViewTest, ScrollRequestsMoveTheTopLineWithinTheText) {
  makeView(50);
  appendNumbered(1, 60);  // lines 10 to 59 are kept
  ASSERT_EQ(first(), 10);
  const int page = view->linesPerPage;
  struct Step {
    int request;
    int thumb;
    int expectedTop;
  };
  const std::vector<Step> steps = {
      {SB_TOP, 0, 10},       {SB_LINEUP, 0, 10},         {SB_LINEDOWN, 0, 11},
      {SB_PAGEDOWN, 0, 11 + page}, {SB_PAGEUP, 0, 11},   {SB_PAGEUP, 0, 10},
      {SB_THUMBPOSITION, 7, 17},   {SB_THUMBTRACK, 30, 40}, {SB_BOTTOM, 0, 59},
      {SB_LINEDOWN, 0, 59},        {SB_THUMBTRACK, 1000, 59}, {SB_ENDSCROLL, 0, 59},
  };
  for (const Step& s : steps) {
    scroll(s.request, s.thumb);
    EXPECT_EQ(view->topLine, s.expectedTop) << "request " << s.request << " thumb " << s.thumb;
    EXPECT_EQ(GetScrollPos(view->hwnd, SB_VERT), view->topLine - first());
  }
  int low = -1, high = -1;
  ASSERT_TRUE(GetScrollRange(view->hwnd, SB_VERT, &low, &high));
  EXPECT_EQ(low, 0);
  EXPECT_EQ(high, 50);
}

TEST_F(LogViewTest, RenumberingJumpsTheViewToTheFirstKeptLine) {
  makeView(100);
  const std::string tenLines = "0\n1\n2\n3\n4\n5\n6\n7\n8\n9";
  for (int appended = 0;; ++appended) {
    ASSERT_LT(appended, 4000) << "never numbered again";
    const int previousFirst = first();
    ASSERT_EQ(zmLogAppend(view, tenLines.c_str()), 0);
    if (first() < previousFirst) break;
    ASSERT_TRUE(showsLastLine());  // followed the end until then
  }
  EXPECT_EQ(first(), 0);
  EXPECT_EQ(view->firstLineNo, 0);
  EXPECT_EQ(view->topLine, 0);
  EXPECT_EQ(GetScrollPos(view->hwnd, SB_VERT), 0);
}

TEST_F(LogViewTest, PaintDrawsThePageFromTheTopLine) {
  makeView(10);
  appendNumbered(1, 3);
  const int lineHeight = zmTextBufGetLineHeight(view->textBuf);
  // Which bands of one line height hold white text pixels.
  auto inkedBands = [&](int bands) {
    UpdateWindow(view->hwnd);
    platform::WindowPixels pixels;
    EXPECT_TRUE(platform::readWindowPixels(view->hwnd, &pixels));
    std::vector<bool> inked(bands, false);
    for (int y = 0; y < std::min(pixels.height, bands * lineHeight); ++y)
      for (int x = 0; x < pixels.width; ++x)
        if (pixels.at(x, y) == RGB(255, 255, 255)) inked[y / lineHeight] = true;
    return inked;
  };
  EXPECT_EQ(inkedBands(4), (std::vector<bool>{true, true, true, false}));
  scroll(SB_LINEDOWN);
  EXPECT_EQ(inkedBands(4), (std::vector<bool>{true, true, false, false}));
}

TEST_F(LogViewTest, ResizingWrapsAgainToTheClientWidth) {
  makeView(10);
  const std::string longText(200, 'x');
  ASSERT_EQ(zmLogAppend(view, longText.c_str()), 0);
  const int linesWide = zmTextBufGetLineCount(view->textBuf);
  MoveWindow(view->hwnd, 0, 0, 200, 100, TRUE);
  RECT client{};
  GetClientRect(view->hwnd, &client);
  EXPECT_EQ(view->textBuf->wrapWidth, client.right);
  EXPECT_EQ(view->linesPerPage, client.bottom / zmTextBufGetLineHeight(view->textBuf));
  EXPECT_GT(zmTextBufGetLineCount(view->textBuf), linesWide);
  EXPECT_LE(zmTextBufGetWidest(view->textBuf), client.right);
}

TEST_F(LogViewTest, AppendRefusesWhatIsMissing) {
  makeView(10);
  EXPECT_EQ(zmLogAppend(nullptr, "x"), -1);
  EXPECT_EQ(zmLogAppend(view, nullptr), -1);
  EXPECT_EQ(zmTextBufGetLineCount(view->textBuf), 0);
}

class NotifyTest : public ShellWindowTest {
 protected:
  void SetUp() override {
    ShellWindowTest::SetUp();
    ASSERT_EQ(zmRegisterLogViewClass(nullptr), 0);
    owner = makeFrame(640, 480);
    ASSERT_EQ(zmNotifyInit(nullptr, owner), 0);
    notify = zmGetNotifyHwnd();
    ASSERT_NE(notify, nullptr);
    ASSERT_NE(zmGetNotifyLogView(), nullptr);
  }
  void TearDown() override {
    zmNotifyExit();
    EXPECT_EQ(zmGetNotifyHwnd(), nullptr);
    ShellWindowTest::TearDown();
  }

  std::vector<std::string> shownTexts() const {
    std::vector<std::string> texts;
    for (const ZmTextMsg* msg = zmGetNotifyLogView()->textBuf->firstMsg; msg != nullptr; msg = msg->next)
      texts.emplace_back(msg->text);
    return texts;
  }

  // A child's rectangle in its parent's client coordinates.
  static RECT placeOf(HWND child) {
    RECT r{};
    GetWindowRect(child, &r);
    POINT topLeft{r.left, r.top};
    ScreenToClient(GetParent(child), &topLeft);
    return RECT{topLeft.x, topLeft.y, topLeft.x + (r.right - r.left), topLeft.y + (r.bottom - r.top)};
  }

  HWND owner = nullptr;
  HWND notify = nullptr;
};

TEST_F(NotifyTest, ClosingHidesAndClearsAndTheNextMessageShowsOnlyItself) {
  struct Case {
    const char* name;
    void (*close)(HWND notify);
  };
  const Case cases[] = {
      {"Close button", [](HWND n) { SendMessageA(GetDlgItem(n, ZM_NOTIFY_CLOSE_ID), BM_CLICK, 0, 0); }},
      {"frame's close", [](HWND n) { SendMessageA(n, WM_CLOSE, 0, 0); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_FALSE(IsWindowVisible(notify));
    ASSERT_EQ(zmNotifyMessage("first warning"), 0);
    ASSERT_EQ(zmNotifyMessage("second warning"), 0);
    EXPECT_TRUE(IsWindowVisible(notify));
    EXPECT_EQ(shownTexts(), (std::vector<std::string>{"first warning", "second warning"}));

    c.close(notify);
    EXPECT_FALSE(IsWindowVisible(notify));
    EXPECT_TRUE(shownTexts().empty());
    ASSERT_EQ(zmGetNotifyHwnd(), notify);

    MoveWindow(notify, 30, 40, 500, 300, TRUE);
    RECT before{};
    GetWindowRect(notify, &before);
    ASSERT_EQ(zmNotifyMessage("new warning"), 0);
    EXPECT_TRUE(IsWindowVisible(notify));
    EXPECT_EQ(shownTexts(), std::vector<std::string>{"new warning"});
    const ZmLogView* view = zmGetNotifyLogView();
    EXPECT_EQ(view->topLine, zmTextBufGetFirstLineNo(view->textBuf));
    RECT after{};
    GetWindowRect(notify, &after);
    EXPECT_TRUE(EqualRect(&before, &after));
    c.close(notify);
  }
}

TEST_F(NotifyTest, LogViewAndCloseButtonFollowTheWindowSize) {
  for (SIZE size : {SIZE{480, 280}, SIZE{700, 500}}) {
    SetWindowPos(notify, HWND_TOP, 0, 0, size.cx, size.cy, SWP_NOMOVE);
    RECT client{};
    GetClientRect(notify, &client);
    const RECT log = placeOf(zmGetNotifyLogView()->hwnd);
    EXPECT_EQ(log.left, 10);
    EXPECT_EQ(log.top, 10);
    EXPECT_EQ(log.right - log.left, client.right - 20);
    EXPECT_EQ(log.bottom - log.top, client.bottom - 50);
    const RECT button = placeOf(GetDlgItem(notify, ZM_NOTIFY_CLOSE_ID));
    EXPECT_EQ(button.left, (client.right - 20 - 50) / 2);
    EXPECT_EQ(button.top, client.bottom - 50 + 15);
    EXPECT_EQ(button.right - button.left, 50);
    EXPECT_EQ(button.bottom - button.top, 30);
  }
}

TEST_F(NotifyTest, NoTextAndNoWindowAreRefused) {
  EXPECT_EQ(zmNotifyMessage(nullptr), -1);
  EXPECT_FALSE(IsWindowVisible(notify));
  DestroyWindow(owner);  // takes the notify window with it
  EXPECT_EQ(zmGetNotifyHwnd(), nullptr);
  EXPECT_EQ(zmGetNotifyLogView(), nullptr);
  EXPECT_EQ(zmNotifyMessage("lost"), -1);
}

}  // namespace
