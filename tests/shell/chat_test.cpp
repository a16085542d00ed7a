// The nickname's first start, and the chat window: its layout, the edit
// field's limit, Enter with and without a world, the lines the pane keeps,
// and the Chat command behind the menu and the close box.
#include <gtest/gtest.h>

#include <array>
#include <string>

#include "core/apphandles.h"
#include "core/world.h"
#include "platform/sysinfo.h"
#include "platform/windows.h"
#include "shell/chat.h"
#include "shell/labels.h"
#include "shell/nickname.h"
#include "shell/preferences.h"
#include "tests/shell/shell_fixture.h"

namespace {

std::string preference(int id) {
  char text[32] = {};
  EXPECT_EQ(zmGetPreference(id, text), 0);
  return text;
}

std::string systemUserName() {
  char name[32] = {};
  DWORD size = sizeof name;
  EXPECT_EQ(WNetGetUserA(nullptr, name, &size), DWORD(NO_ERROR));
  return name;
}

using NickNameTest = shelltest::ShellTest;

TEST_F(NickNameTest, FirstStartTakesTheSystemUserNameAndLaterStartsKeepTheStoredOne) {
  zmResetPreferencesForTest();
  ASSERT_EQ(zmInitNickName(), 0);
  EXPECT_EQ(zmGetUserName(), systemUserName());
  EXPECT_EQ(preference(ZM_PREF_USER_NAME), systemUserName());
  EXPECT_EQ(preference(ZM_PREF_NICK_NAME), systemUserName());

  ASSERT_EQ(zmSetPreference(ZM_PREF_NICK_NAME, "Ann"), 0);
  zmResetPreferencesForTest();
  ASSERT_EQ(zmInitNickName(), 0);
  EXPECT_STREQ(zmGetUserName(), "Ann");
  EXPECT_EQ(preference(ZM_PREF_USER_NAME), systemUserName());
  zmResetPreferencesForTest();
}

// The chat window made as at start-up, under a main window whose Chat
// command toggles it.
class ChatWindowTest : public shelltest::ShellTest {
 protected:
  void SetUp() override {
    ShellTest::SetUp();
    zmResetPreferencesForTest();
    ASSERT_EQ(zmSetPreference(ZM_PREF_NICK_NAME, "Tenletters"), 0);
    WNDCLASSA wc{};
    wc.lpfnWndProc = [](HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) -> LRESULT {
      if (msg == WM_COMMAND && LOWORD(wParam) == ZM_CHAT_COMMAND) return zmChatCommand(hwnd);
      return DefWindowProcA(hwnd, msg, wParam, lParam);
    };
    wc.lpszClassName = "LfChatTestMain";
    ASSERT_NE(RegisterClassA(&wc), 0);
    mainWindow = CreateWindowExA(0, "LfChatTestMain", "main", WS_OVERLAPPEDWINDOW, 0, 0, 320, 240, nullptr, nullptr,
                                 nullptr, nullptr);
    zmSetMainHwnd(mainWindow);
    ASSERT_EQ(zmRegisterLogViewClass(nullptr), 0);
    ASSERT_EQ(zmChatInit(), 0);
    chat = zmGetChat();
  }

  void TearDown() override {
    zmSetCurrentWorld(nullptr);
    if (world != nullptr) {
      EXPECT_EQ(zmDeleteWorld(world), 0);
    }
    zmLabelExit();
    EXPECT_EQ(zmChatExit(), 0);
    zmSetMainHwnd(nullptr);
    ShellTest::TearDown();
    UnregisterClassA("LfChatTestMain", nullptr);
    zmResetPreferencesForTest();
  }

  void type(const std::string& text) {
    SetFocus(chat->edit);
    for (char c : text) SendMessageA(chat->edit, WM_CHAR, WPARAM(static_cast<unsigned char>(c)), 0);
  }

  static void pump() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
  }

  std::string editText() const {
    char text[256] = {};
    GetWindowTextA(chat->edit, text, sizeof text);
    return text;
  }

  int paneLines() const { return zmTextBufGetLineCount(chat->pane->textBuf); }
  std::string paneMessage(const ZmTextMsg* msg) const { return msg != nullptr ? msg->text : "<none>"; }

  static bool visible(HWND hwnd) { return (GetWindowLongA(hwnd, GWL_STYLE) & WS_VISIBLE) != 0; }

  HWND mainWindow = nullptr;
  ZmChat* chat = nullptr;
  ZmWorld* world = nullptr;
};

TEST_F(ChatWindowTest, StartsHiddenAndTheLayoutFollowsTheFrameSize) {
  ASSERT_NE(chat, nullptr);
  EXPECT_FALSE(visible(chat->frame));
  char title[16] = {};
  GetWindowTextA(chat->frame, title, sizeof title);
  EXPECT_STREQ(title, "Chat");

  SendMessageA(chat->frame, WM_SIZE, 0, MAKELPARAM(300, 200));
  using Box = std::array<int, 4>;
  EXPECT_EQ((Box{chat->paneX, chat->paneY, chat->paneWidth, chat->paneHeight}), (Box{5, 5, 290, 165}));
  EXPECT_EQ((Box{chat->editX, chat->editY, chat->editWidth, chat->editHeight}), (Box{5, 175, 290, 20}));
  RECT pane{}, edit{};
  GetClientRect(chat->pane->hwnd, &pane);
  GetWindowRect(chat->edit, &edit);
  EXPECT_EQ(edit.right - edit.left, 290);
  EXPECT_EQ(edit.bottom - edit.top, 20);
  EXPECT_LE(pane.right, 290);
  EXPECT_GT(pane.bottom, 150);
}

TEST_F(ChatWindowTest, TenLetterNicknameLeavesOneHundredSixtyCharacters) {
  EXPECT_EQ(zmChatInputLimit("Tenletters"), 160);
  EXPECT_EQ(SendMessageA(chat->edit, EM_GETLIMITTEXT, 0, 0), 160);
  type(std::string(170, 'x'));
  EXPECT_EQ(editText().size(), 160u);
}

TEST_F(ChatWindowTest, EnterWithoutWorldClearsTheFieldAndShowsNothing) {
  const long before = zmChatLineCount();
  type("nobody hears\r");
  pump();
  EXPECT_EQ(editText(), "");
  EXPECT_EQ(paneLines(), 0);
  EXPECT_EQ(zmChatLineCount(), before);
}

TEST_F(ChatWindowTest, EnterInAWorldShowsTheNicknamedLineWithoutLabellingTheUser) {
  world = zmNewWorld("chat.wrl");
  ZmObj* person = nullptr;
  ASSERT_EQ(zmNewZmObj(world, &person, 0), 0);
  world->person = person;
  zmSetCurrentWorld(world);
  type("hello\n");
  EXPECT_EQ(editText(), "hello");  // Enter only posts the line
  pump();
  EXPECT_EQ(editText(), "");
  EXPECT_EQ(paneMessage(chat->pane->textBuf->lastMsg), "Tenletters: hello");
  EXPECT_EQ(zmFirstLabel(), nullptr);
  world->person = nullptr;
  EXPECT_EQ(zmDeleteZmObj(person), 0);
}

TEST_F(ChatWindowTest, PaneKeepsTheLastThreeHundredLines) {
  for (int i = 1; i <= ZM_CHAT_MAX_LINES + 1; ++i) zmChatDisplay(nullptr, ("line " + std::to_string(i)).c_str());
  EXPECT_EQ(chat->pane->textBuf->msgCount, ZM_CHAT_MAX_LINES);
  EXPECT_EQ(paneMessage(chat->pane->textBuf->firstMsg), "line 2");
  EXPECT_EQ(paneMessage(chat->pane->textBuf->lastMsg), "line 301");
}

TEST_F(ChatWindowTest, ChatCommandTogglesTheWindowAndTheCloseBoxHidesIt) {
  EXPECT_EQ(SendMessageA(mainWindow, WM_COMMAND, ZM_CHAT_COMMAND, 0), 0);
  EXPECT_TRUE(visible(chat->frame));
  SendMessageA(chat->frame, WM_CLOSE, 0, 0);
  EXPECT_FALSE(visible(chat->frame));
  EXPECT_TRUE(IsWindow(chat->frame));
  SendMessageA(mainWindow, WM_COMMAND, ZM_CHAT_COMMAND, 0);
  EXPECT_TRUE(visible(chat->frame));
}

TEST_F(ChatWindowTest, ShowAndHideWithoutWindowFail) {
  ASSERT_EQ(zmChatExit(), 0);
  EXPECT_EQ(zmGetChat(), nullptr);
  EXPECT_EQ(zmChatShow(), -1);
  EXPECT_EQ(zmChatHide(), -1);
  zmChatDisplay(nullptr, "no window");  // dropped, no crash
  ASSERT_EQ(zmChatInit(), 0);
  chat = zmGetChat();
}

}  // namespace
