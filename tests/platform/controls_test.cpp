// Controls, menus, dialogs and window scroll bars, driven through the
// device input queue and dialog scripts as a person would drive them.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "platform/devinput.h"
#include "platform/presenter.h"
#include "platform/windows.h"
#include "window_fixture.h"
#include "tests/temp_folder.h"

namespace {

class ControlsTest : public WindowTest {
 protected:
  void TearDown() override {
    platform::clearQueuedInput();
    platform::clearDialogScripts();
    WindowTest::TearDown();
  }

  HWND makeEdit(HWND parent) {
    return CreateWindowExA(0, "edit", "", WS_CHILD | WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL, 5, 5, 150, 22,
                           parent, reinterpret_cast<HMENU>(intptr_t(200)), nullptr, nullptr);
  }

  std::string textOf(HWND hwnd) {
    char text[256];
    GetWindowTextA(hwnd, text, sizeof text);
    return text;
  }

  std::vector<WORD> notificationsFrom(int id) {
    std::vector<WORD> codes;
    for (const LoggedMessage& m : log)
      if (m.message == WM_COMMAND && LOWORD(m.wParam) == id) codes.push_back(HIWORD(m.wParam));
    return codes;
  }
};

TEST_F(ControlsTest, EditTakesTypingWithinItsLimitAndReplacesTheSelection) {
  HWND parent = makeWindow(WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  HWND edit = makeEdit(parent);
  SetFocus(edit);
  SendMessageA(edit, EM_LIMITTEXT, 8, 0);
  platform::queueTyping("Hello, world");
  pumpAll();
  EXPECT_EQ(textOf(edit), "Hello, w");
  EXPECT_NE(std::find(notificationsFrom(200).begin(), notificationsFrom(200).end(), EN_MAXTEXT),
            notificationsFrom(200).end());

  SendMessageA(edit, EM_SETSEL, 1, 5);
  DWORD start = 0, end = 0;
  SendMessageA(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  EXPECT_EQ(start, 1u);
  EXPECT_EQ(end, 5u);
  platform::queueTyping("ELL");
  platform::queueKey(VK_BACK);
  platform::queueKey(VK_HOME);
  platform::queueKey(VK_DELETE);
  pumpAll();
  EXPECT_EQ(textOf(edit), "EL, w");
}

// Holds the modifiers while pressing the key, as a person's chord.
void queueChord(std::initializer_list<UINT> modifiers, UINT key) {
  platform::InputEvent event;
  for (UINT modifier : modifiers) {
    event.kind = platform::InputEvent::KeyDown;
    event.virtualKey = modifier;
    platform::queueInput(event);
  }
  platform::queueKey(key);
  for (UINT modifier : modifiers) {
    event.kind = platform::InputEvent::KeyUp;
    event.virtualKey = modifier;
    platform::queueInput(event);
  }
}

TEST_F(ControlsTest, EditTakesTheUsualEditingChords) {
  struct Case {
    const char* what;
    std::function<void()> keys;
    const char* after;  // then "X" is typed
  };
  const Case cases[] = {
      {"Ctrl+A selects all", [] { queueChord({VK_CONTROL}, 'A'); }, "X"},
      {"Ctrl+Left goes to the word's start", [] { queueChord({VK_CONTROL}, VK_LEFT); }, "one two Xthree"},
      {"Ctrl+Left twice, a word further",
       [] {
         queueChord({VK_CONTROL}, VK_LEFT);
         queueChord({VK_CONTROL}, VK_LEFT);
       },
       "one Xtwo three"},
      {"Ctrl+Right from the start goes past the word and its space",
       [] {
         platform::queueKey(VK_HOME);
         queueChord({VK_CONTROL}, VK_RIGHT);
       },
       "one Xtwo three"},
      {"Shift+Ctrl+Left selects the word", [] { queueChord({VK_SHIFT, VK_CONTROL}, VK_LEFT); }, "one two X"},
      {"Ctrl+Backspace deletes the word before", [] { queueChord({VK_CONTROL}, VK_BACK); }, "one two X"},
      {"Ctrl+Delete deletes the word after",
       [] {
         platform::queueKey(VK_HOME);
         queueChord({VK_CONTROL}, VK_DELETE);
       },
       "Xtwo three"},
  };
  HWND parent = makeWindow(WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  HWND edit = makeEdit(parent);
  SetFocus(edit);
  for (const Case& c : cases) {
    SetWindowTextA(edit, "one two three");
    SendMessageA(edit, EM_SETSEL, 13, 13);
    c.keys();
    platform::queueTyping("X");
    pumpAll();
    EXPECT_EQ(textOf(edit), c.after) << c.what;
  }
}

// The display's events arrive faster than a busy program handles them, and
// a click moves the focus only when it is handled: keys typed right after
// a click into an edit still reach that edit, not the one focused before.
TEST_F(ControlsTest, DisplayKeysRightAfterAClickGoWhereTheClickPutsTheFocus) {
  HWND parent = makeWindow(WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  HWND focused = makeEdit(parent);
  HWND clicked = CreateWindowExA(0, "edit", "", WS_CHILD | WS_VISIBLE | WS_BORDER, 5, 40, 150, 22, parent,
                                 reinterpret_cast<HMENU>(intptr_t(201)), nullptr, nullptr);
  SetFocus(focused);
  platform::InputEvent event;
  event.screen = {10, 10};
  ClientToScreen(clicked, &event.screen);
  using Kind = platform::InputEvent::Kind;
  for (Kind kind : {Kind::MouseMove, Kind::ButtonDown, Kind::ButtonUp}) {
    event.kind = kind;
    platform::deliverInput(event);
  }
  for (UINT key : {'O', 'K'}) {
    for (Kind kind : {Kind::KeyDown, Kind::KeyUp}) {
      event.kind = kind;
      event.virtualKey = key;
      platform::deliverInput(event);
    }
  }
  pumpAll();
  EXPECT_EQ(GetFocus(), clicked);
  EXPECT_EQ(textOf(clicked), "ok");
  EXPECT_EQ(textOf(focused), "");
}

LRESULT CALLBACK swallowReturn(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
WNDPROC editProcBefore = nullptr;
int returnsSeen = 0;

LRESULT CALLBACK swallowReturn(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_CHAR && (wParam == '\r' || wParam == '\n')) {
    returnsSeen++;
    return 0;
  }
  return CallWindowProcA(editProcBefore, hwnd, msg, wParam, lParam);
}

TEST_F(ControlsTest, SubclassedEditSeesKeysFirstAndPassesTheRestOn) {
  HWND parent = makeWindow(WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  HWND edit = makeEdit(parent);
  editProcBefore = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(edit, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(swallowReturn)));
  returnsSeen = 0;
  SetFocus(edit);
  platform::queueTyping("ab\rc");
  pumpAll();
  EXPECT_EQ(textOf(edit), "abc");
  EXPECT_EQ(returnsSeen, 1);
}

// The test window at (10, 20), 300 x 200: frame 4, caption 19, then the menu bar.
constexpr POINT kFirstBarItem{20, 50};
constexpr POINT kPopupItem[] = {{40, 73}, {40, 91}};

TEST_F(ControlsTest, MenuBarClickChoosesAnItemAndGrayedItemsAreNotChosen) {
  HMENU popup = CreatePopupMenu();
  AppendMenuA(popup, MF_STRING, 101, "&Open");
  AppendMenuA(popup, MF_STRING, 102, "&Reload");
  HMENU bar = CreateMenu();
  AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(popup), "&File");
  HWND hwnd = CreateWindowExA(0, kClassName, "menu", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 20, 300, 200,
                              nullptr, bar, nullptr, nullptr);
  EXPECT_EQ(CheckMenuItem(bar, 101, MF_CHECKED), DWORD(MF_UNCHECKED));
  EXPECT_EQ(GetMenuState(bar, 101, MF_BYCOMMAND) & MF_CHECKED, UINT(MF_CHECKED));
  EXPECT_EQ(EnableMenuItem(bar, 102, MF_GRAYED), UINT(MF_ENABLED));
  EXPECT_EQ(EnableMenuItem(bar, 999, MF_GRAYED), UINT(-1));

  platform::queueClick(kFirstBarItem);
  platform::queueClick(kPopupItem[1]);  // grayed: the menu stays open
  platform::queueKey(VK_ESCAPE);
  pumpAll();
  EXPECT_TRUE(notificationsFrom(102).empty());

  log.clear();
  platform::queueClick(kFirstBarItem);
  platform::queueClick(kPopupItem[0]);
  pumpAll();
  EXPECT_EQ(notificationsFrom(101), std::vector<WORD>{0});
  auto initPopup = std::find_if(log.begin(), log.end(), [&](const LoggedMessage& m) {
    return m.hwnd == hwnd && m.message == WM_INITMENUPOPUP && m.wParam == reinterpret_cast<WPARAM>(popup);
  });
  EXPECT_NE(initPopup, log.end());
  EXPECT_EQ(platform::openMenuWindow(), nullptr);
}

// A menu bar whose "File" pop-up holds a sub-menu "Recent" as its second
// item, with the sub-menu's opening (WM_INITMENUPOPUP) counted.
class SubMenuTest : public ControlsTest {
 protected:
  void SetUp() override {
    ControlsTest::SetUp();
    recent = CreatePopupMenu();
    AppendMenuA(recent, MF_STRING, 201, "&First");
    AppendMenuA(recent, MF_STRING, 202, "&Second");
    AppendMenuA(recent, MF_STRING, 203, "&Third");
    file = CreatePopupMenu();
    AppendMenuA(file, MF_STRING, 101, "&Open");
    AppendMenuA(file, MF_POPUP, reinterpret_cast<UINT_PTR>(recent), "&Recent");
    AppendMenuA(file, MF_STRING, 103, "&Close");
    HMENU bar = CreateMenu();
    AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), "&File");
    hwnd = CreateWindowExA(0, kClassName, "menu", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 20, 300, 200, nullptr,
                           bar, nullptr, nullptr);
  }

  int subMenuOpenings() const {
    int count = 0;
    for (const LoggedMessage& m : log)
      if (m.message == WM_INITMENUPOPUP && m.wParam == reinterpret_cast<WPARAM>(recent)) {
        EXPECT_EQ(m.lParam, MAKELPARAM(1, 0));  // its place in "File"
        count++;
      }
    return count;
  }

  std::vector<WORD> commands() const {
    std::vector<WORD> ids;
    for (const LoggedMessage& m : log)
      if (m.message == WM_COMMAND) ids.push_back(LOWORD(m.wParam));
    return ids;
  }

  static void queueMove(POINT screen) {
    platform::InputEvent move;
    move.screen = screen;
    platform::queueInput(move);
  }

  HMENU file = nullptr, recent = nullptr;
  HWND hwnd = nullptr;
};

TEST_F(SubMenuTest, KeysOpenCloseAndChooseInTheSubMenu) {
  struct Case {
    const char* keys;  // D down, U up, R right, L left, E escape, N return; lower case: typed
    std::vector<WORD> commands;
    int openings;
  };
  const Case cases[] = {
      {"DDRDN", {202}, 1},
      {"DDNN", {201}, 1},          // Return opens it with its first item lit
      {"DDRLREDN", {103}, 2},     // Left and Escape close only the sub-menu
      {"rs", {202}, 1},            // mnemonics
      {"DDRDEE", {}, 1},
      {"DDRUUUN", {201}, 1},       // Up wraps round inside the sub-menu
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.keys);
    log.clear();
    platform::queueClick(kFirstBarItem);
    for (const char* key = c.keys; *key; key++) {
      switch (*key) {
        case 'D': platform::queueKey(VK_DOWN); break;
        case 'U': platform::queueKey(VK_UP); break;
        case 'R': platform::queueKey(VK_RIGHT); break;
        case 'L': platform::queueKey(VK_LEFT); break;
        case 'E': platform::queueKey(VK_ESCAPE); break;
        case 'N': platform::queueKey(VK_RETURN); break;
        default: platform::queueTyping(std::string(1, *key)); break;
      }
    }
    pumpAll();
    EXPECT_FALSE(platform::inputQueued());
    EXPECT_EQ(commands(), c.commands);
    EXPECT_EQ(subMenuOpenings(), c.openings);
    EXPECT_EQ(platform::openMenuWindow(), nullptr);
  }
}

// The pointer opens the sub-menu beside its item, moving to another item
// closes it, and a click in it chooses and closes every pop-up.
TEST_F(SubMenuTest, ThePointerOpensTheSubMenuBesideItsItemAndAClickInItChooses) {
  const POINT kOpen = kPopupItem[0], kRecent = kPopupItem[1];
  HWND parent = nullptr, sub = nullptr;
  RECT parentRect{}, subRect{};
  handlers[WM_INITMENUPOPUP] = [&](HWND, WPARAM menu, LPARAM, LRESULT*) {
    if (menu == reinterpret_cast<WPARAM>(recent)) {
      parent = platform::openMenuWindow();  // the sub-menu is not shown yet
      PostMessageA(hwnd, WM_USER + 1, 0, 0);
    }
    return false;
  };
  handlers[WM_USER + 1] = [&](HWND, WPARAM, LPARAM, LRESULT*) {
    sub = platform::openMenuWindow();
    GetWindowRect(parent, &parentRect);
    GetWindowRect(sub, &subRect);
    // Items are 18 pixels high below a 2-pixel edge: a click on "Third".
    if (subMenuOpenings() == 2) platform::queueClick(POINT{subRect.left + 20, subRect.top + 2 + 18 * 2 + 9});
    return true;
  };
  platform::queueClick(kFirstBarItem);
  queueMove(kRecent);
  queueMove(kOpen);
  queueMove(kRecent);
  pumpAll();
  EXPECT_EQ(subMenuOpenings(), 2);
  EXPECT_EQ(commands(), std::vector<WORD>{203});
  ASSERT_NE(sub, parent);
  EXPECT_NEAR(subRect.left, parentRect.right, 4);
  EXPECT_NEAR(subRect.top, parentRect.top + 2 + 18, 4);  // level with "Recent"
  EXPECT_FALSE(IsWindow(sub));
  EXPECT_FALSE(IsWindow(parent));
  EXPECT_EQ(platform::openMenuWindow(), nullptr);
}

TEST_F(ControlsTest, MenuEditingByPositionAndCommand) {
  HMENU popup = CreatePopupMenu();
  AppendMenuA(popup, MF_STRING, 114, "&Add bookmark");
  AppendMenuA(popup, MF_SEPARATOR, 0, nullptr);
  for (UINT id = 1; id <= 3; id++) AppendMenuA(popup, MF_STRING, id, "entry");
  HMENU bar = CreateMenu();
  AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(popup), "&Bookmark");
  EXPECT_EQ(GetSubMenu(bar, 0), popup);
  EXPECT_EQ(GetMenuItemID(bar, 0), UINT(-1));
  EXPECT_EQ(GetMenuItemID(popup, 0), 114u);
  EXPECT_TRUE(InsertMenuA(popup, 1, MF_BYCOMMAND | MF_STRING, 9, "before 1"));
  EXPECT_EQ(GetMenuItemID(popup, 2), 9u);
  for (int entry = 0; entry < 3; entry++) EXPECT_TRUE(DeleteMenu(popup, 3, MF_BYPOSITION));
  EXPECT_EQ(GetMenuItemCount(popup), 3);
  EXPECT_EQ(GetMenuItemID(popup, 1), 0u);  // the separator
  EXPECT_FALSE(DeleteMenu(popup, 3, MF_BYPOSITION));
  EXPECT_FALSE(DeleteMenu(popup, 3, MF_BYCOMMAND));
  EXPECT_TRUE(DestroyMenu(bar));
  EXPECT_FALSE(IsMenu(popup));
}

TEST_F(ControlsTest, ScrollBarClicksSendRequestsThatTheWindowApplies) {
  handlers[WM_VSCROLL] = [](HWND hwnd, WPARAM wParam, LPARAM, LRESULT*) {
    int step = LOWORD(wParam) == SB_LINEDOWN ? 1 : LOWORD(wParam) == SB_PAGEDOWN ? 5
             : LOWORD(wParam) == SB_LINEUP ? -1 : 0;
    SetScrollPos(hwnd, SB_VERT, GetScrollPos(hwnd, SB_VERT) + step, TRUE);
    return true;
  };
  HWND hwnd = makeWindow(WS_OVERLAPPEDWINDOW | WS_VSCROLL | WS_VISIBLE);  // (10, 20), 200 x 150
  EXPECT_TRUE(SetScrollRange(hwnd, SB_VERT, 0, 8, TRUE));
  platform::queueClick(POINT{198, 160});  // the down arrow
  platform::queueClick(POINT{198, 140});  // the trough below the thumb
  platform::queueClick(POINT{198, 140});  // again: the position stops at the range's end
  platform::queueClick(POINT{198, 50});   // the up arrow
  pumpAll();
  EXPECT_EQ(GetScrollPos(hwnd, SB_VERT), 7);
  int low = -1, high = -1;
  EXPECT_TRUE(GetScrollRange(hwnd, SB_VERT, &low, &high));
  EXPECT_EQ(high, 8);
  EXPECT_FALSE(SetScrollRange(hwnd, SB_CTL, 0, 1, FALSE));
}

TEST_F(ControlsTest, OwnerDrawnListAsksItemHeightsAndDrawsEachItem) {
  struct Drawn {
    UINT item;
    RECT rect;
    UINT state;
    ULONG_PTR data;
  };
  std::vector<Drawn> drawn;
  handlers[WM_MEASUREITEM] = [](HWND, WPARAM, LPARAM lParam, LRESULT* result) {
    auto* measure = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
    measure->itemHeight = UINT(10 + 5 * measure->itemData);
    *result = TRUE;
    return true;
  };
  handlers[WM_DRAWITEM] = [&drawn](HWND, WPARAM, LPARAM lParam, LRESULT* result) {
    auto* draw = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
    drawn.push_back({draw->itemID, draw->rcItem, draw->itemState, draw->itemData});
    *result = TRUE;
    return true;
  };
  HWND parent = makeWindow(WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  HWND list = CreateWindowExA(0, "listbox", "", WS_CHILD | WS_VISIBLE | LBS_OWNERDRAWVARIABLE | LBS_NOTIFY,
                              0, 0, 120, 100, parent, reinterpret_cast<HMENU>(intptr_t(2001)), nullptr, nullptr);
  for (LPARAM data = 1; data <= 3; data++) EXPECT_EQ(SendMessageA(list, LB_ADDSTRING, 0, data), data - 1);
  EXPECT_EQ(SendMessageA(list, LB_GETITEMHEIGHT, 2, 0), 25);
  EXPECT_EQ(SendMessageA(list, LB_SETITEMHEIGHT, 0, 30), LB_OKAY);
  EXPECT_EQ(SendMessageA(list, LB_GETITEMDATA, 1, 0), 2);
  SendMessageA(list, LB_SETCURSEL, 1, 0);
  UpdateWindow(list);
  ASSERT_EQ(drawn.size(), 3u);
  const int tops[] = {0, 30, 50}, bottoms[] = {30, 50, 75};
  for (UINT i = 0; i < 3; i++) {
    EXPECT_EQ(drawn[i].item, i);
    EXPECT_EQ(drawn[i].rect.top, tops[i]);
    EXPECT_EQ(drawn[i].rect.bottom, bottoms[i]);
    EXPECT_EQ(drawn[i].data, ULONG_PTR(i + 1));
    EXPECT_EQ((drawn[i].state & ODS_SELECTED) != 0, i == 1);
  }
  POINT third{5, 60};
  ClientToScreen(list, &third);
  platform::queueClick(third);
  pumpAll();
  EXPECT_EQ(SendMessageA(list, LB_GETCURSEL, 0, 0), 2);
  EXPECT_EQ(notificationsFrom(2001), std::vector<WORD>{LBN_SELCHANGE});
  EXPECT_EQ(SendMessageA(list, LB_GETITEMDATA, 7, 0), LB_ERR);
}

char urlBuffer[32];

INT_PTR CALLBACK openUrlProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_INITDIALOG:
      SetDlgItemTextA(dialog, 200, reinterpret_cast<LPCSTR>(lParam));
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK) {
        GetDlgItemTextA(dialog, 200, urlBuffer, sizeof urlBuffer);
        EndDialog(dialog, 1);
        return TRUE;
      }
      if (LOWORD(wParam) == IDCANCEL) {
        EndDialog(dialog, 0);
        return TRUE;
      }
      return FALSE;
    default:
      return FALSE;
  }
}

TEST_F(ControlsTest, ScriptedModalDialogRunsItsProcedureAndReturnsItsResult) {
  platform::DialogTemplate dialog;
  dialog.title = "Open URL";
  dialog.width = 300;
  dialog.height = 80;
  dialog.items = {{"edit", "", 200, WS_BORDER | WS_TABSTOP, 10, 10, 280, 20},
                  {"button", "OK", IDOK, WS_TABSTOP | BS_DEFPUSHBUTTON, 10, 40, 80, 24},
                  {"button", "Cancel", IDCANCEL, WS_TABSTOP, 100, 40, 80, 24},
                  {"button", "Help", 998, WS_TABSTOP | WS_DISABLED, 190, 40, 80, 24}};
  platform::registerDialogResource("OPENURL", dialog);
  HWND owner = makeWindow(WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  struct Case {
    std::vector<platform::DialogAction> script;
    INT_PTR result;
    const char* url;
  } cases[] = {
      {{{platform::DialogAction::Type, 200, "http://x/w.wrl"}, {platform::DialogAction::Press, IDOK}}, 1, "http://x/w.wrl"},
      {{{platform::DialogAction::Press, 998}, {platform::DialogAction::Press, IDOK}}, 1, "start"},
      {{{platform::DialogAction::Type, 200, "ignored"}}, 0, ""},  // the script ends: Cancel
  };
  for (const Case& c : cases) {
    urlBuffer[0] = 0;
    platform::queueDialogScript(c.script);
    EXPECT_EQ(DialogBoxParamA(nullptr, "OpenUrl", owner, openUrlProc, reinterpret_cast<LPARAM>("start")), c.result);
    EXPECT_STREQ(urlBuffer, c.url);
    EXPECT_TRUE(IsWindowEnabled(owner));
  }
  EXPECT_EQ(platform::recordedEvents("DialogScript").size(), 1u);
  EXPECT_EQ(DialogBoxParamA(nullptr, "NoSuchDialog", owner, openUrlProc, 0), -1);
}

TEST_F(ControlsTest, DialogKeysMoveTheFocusAndEnterPressesTheDefaultButton) {
  platform::DialogTemplate dialog;
  dialog.items = {{"edit", "", 200, WS_BORDER | WS_TABSTOP, 10, 10, 180, 20},
                  {"button", "OK", IDOK, WS_TABSTOP | BS_DEFPUSHBUTTON, 10, 40, 80, 24},
                  {"button", "Cancel", IDCANCEL, WS_TABSTOP, 100, 40, 80, 24}};
  platform::registerDialogResource("KEYS", dialog);
  HWND owner = makeWindow(WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  urlBuffer[0] = 0;
  platform::queueTyping("typed");
  platform::queueKey(VK_TAB);
  platform::queueKey(VK_TAB);
  platform::queueKey(VK_TAB);  // round to the edit again
  platform::queueTyping("!\r");
  handlers[WM_ACTIVATE] = [](HWND, WPARAM, LPARAM, LRESULT*) { return false; };
  EXPECT_EQ(DialogBoxParamA(nullptr, "KEYS", owner, openUrlProc, reinterpret_cast<LPARAM>("")), 1);
  EXPECT_STREQ(urlBuffer, "!");  // the tab into the edit selected its text
}

TEST_F(ControlsTest, OpenFileDialogListsMatchingFilesAndReturnsTheChosenOne) {
  namespace fs = std::filesystem;
  const TempFolder temp("lf_openfile");
  const fs::path folder = temp.path();
  fs::create_directories(folder / "sub");
  for (const char* name : {"b.wrl", "a.WRL.gz", "notes.txt"}) std::ofstream(folder / name) << "x";
  std::ofstream(folder / "sub" / "deep.wrl") << "x";

  char file[256] = "";
  char title[16] = "";
  OPENFILENAMEA ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.lpstrFilter = "VRML Files (*.wrl)\0*.wrl;*.wrl.gz\0All Files (*.*)\0*.*\0";
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = file;
  ofn.nMaxFile = sizeof file;
  ofn.lpstrFileTitle = title;
  ofn.nMaxFileTitle = sizeof title;
  ofn.lpstrInitialDir = folder.c_str();
  ofn.Flags = OFN_FILEMUSTEXIST;
  ofn.lpstrDefExt = "WRL";
  using Action = platform::DialogAction;
  // Entries: [..], [sub], a.WRL.gz, b.wrl
  platform::queueDialogScript({{Action::Pick, IDC_OPENFILE_LIST, "", 1}, {Action::Press, IDOK},
                               {Action::Pick, IDC_OPENFILE_LIST, "", 1}, {Action::Press, IDOK}});
  ASSERT_TRUE(GetOpenFileNameA(&ofn));
  EXPECT_EQ(std::string(file), (folder / "sub" / "deep.wrl").string());
  EXPECT_STREQ(title, "deep.wrl");
  EXPECT_EQ(std::string(file + ofn.nFileOffset), "deep.wrl");

  platform::queueDialogScript({{Action::Type, IDC_OPENFILE_NAME, "missing"}, {Action::Press, IDOK},
                               {Action::Type, IDC_OPENFILE_NAME, "b"}, {Action::Press, IDOK}});
  ASSERT_TRUE(GetOpenFileNameA(&ofn));
  EXPECT_EQ(std::string(file), (folder / "b.wrl").string());  // the default extension, as the files spell it
  EXPECT_EQ(platform::recordedEvents("MessageBox").size(), 1u);  // "missing.WRL" does not exist

  platform::queueDialogScript({{Action::Press, IDCANCEL}});
  EXPECT_FALSE(GetOpenFileNameA(&ofn));
}

// From inside the Open dialog's loop: a double-click on the list's second
// entry, as a person's two quick clicks.
void CALLBACK doubleClickSecondEntry(HWND, UINT, UINT_PTR id, DWORD) {
  static int clicked = 0;
  HWND list = GetDlgItem(GetActiveWindow(), IDC_OPENFILE_LIST);
  if (list == nullptr || ++clicked > 2) {
    KillTimer(nullptr, id);
    clicked = 0;
    return;
  }
  RECT item{};
  SendMessageA(list, LB_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&item));
  POINT point{item.left + 5, (item.top + item.bottom) / 2};
  ClientToScreen(list, &point);
  platform::queueClick(point);
  platform::queueClick(point);
}

TEST_F(ControlsTest, ADoubleClickInTheOpenDialogEntersAFolderAndOpensAFile) {
  namespace fs = std::filesystem;
  fs::path folder = fs::temp_directory_path() / ("lf_dblclick_" + std::to_string(getpid()));
  fs::create_directories(folder / "sub");
  std::ofstream(folder / "sub" / "deep.wrl") << "x";
  char file[256] = "";
  OPENFILENAMEA ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.lpstrFilter = "VRML Files (*.wrl)\0*.wrl\0";
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = file;
  ofn.nMaxFile = sizeof file;
  ofn.lpstrInitialDir = folder.c_str();
  ofn.Flags = OFN_FILEMUSTEXIST;
  // Entries: [..], [sub]; then in sub: [..], deep.wrl.
  const UINT_PTR timer = SetTimer(nullptr, 0, 100, doubleClickSecondEntry);
  ASSERT_TRUE(GetOpenFileNameA(&ofn));
  KillTimer(nullptr, timer);
  EXPECT_EQ(std::string(file), (folder / "sub" / "deep.wrl").string());
  fs::remove_all(folder);
}

// From inside the Open dialog's loop: a second Open dialog is asked for,
// then the first one is cancelled.
BOOL nestedOpenResult = TRUE;
void CALLBACK openAgainThenCancel(HWND, UINT, UINT_PTR id, DWORD) {
  KillTimer(nullptr, id);
  char file[64] = "";
  OPENFILENAMEA ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.lpstrFile = file;
  ofn.nMaxFile = sizeof file;
  nestedOpenResult = GetOpenFileNameA(&ofn);
  PostMessageA(GetActiveWindow(), WM_COMMAND, IDCANCEL, 0);
}

TEST_F(ControlsTest, OnlyOneOpenDialogShowsAtATimeAndTheNextMayFollow) {
  char file[1024] = "";
  OPENFILENAMEA ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.lpstrFile = file;
  ofn.nMaxFile = sizeof file;
  nestedOpenResult = TRUE;
  SetTimer(nullptr, 0, 100, openAgainThenCancel);
  EXPECT_FALSE(GetOpenFileNameA(&ofn));
  EXPECT_FALSE(nestedOpenResult);  // refused while the first was on show

  using Action = platform::DialogAction;
  platform::queueDialogScript({{Action::Type, IDC_OPENFILE_NAME, "chosen.wrl"}, {Action::Press, IDOK}});
  ASSERT_TRUE(GetOpenFileNameA(&ofn));
  EXPECT_STREQ(file + ofn.nFileOffset, "chosen.wrl");
}

// Two quick clicks at one place on a list are a double click; a slow second
// click, or a third quick one, is a plain click.
TEST_F(ControlsTest, QuickSecondClickOnAListIsADoubleClick) {
  HWND parent = makeWindow(WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  HWND list = CreateWindowExA(0, "listbox", "", WS_CHILD | WS_VISIBLE | LBS_NOTIFY, 0, 0, 100, 80, parent,
                              reinterpret_cast<HMENU>(intptr_t(300)), nullptr, nullptr);
  for (const char* entry : {"one", "two"}) SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry));
  POINT point{5, 5};
  ClientToScreen(list, &point);
  const auto click = [&](uint64_t afterMs) {
    platform::advanceClock(afterMs);
    platform::InputEvent event;
    event.screen = point;
    using Kind = platform::InputEvent::Kind;
    for (Kind kind : {Kind::MouseMove, Kind::ButtonDown, Kind::ButtonUp}) {
      event.kind = kind;
      platform::routeInput(event);
    }
    pumpAll();
  };
  click(0);
  click(100);
  click(100);
  click(600);
  click(501);
  const std::vector<WORD> expected = {LBN_SELCHANGE, LBN_DBLCLK};
  EXPECT_EQ(notificationsFrom(300), expected) << "only the second click of the first pair";
}

TEST_F(ControlsTest, DroppedFilesReachOnlyWindowsThatAcceptThem) {
  HWND hwnd = makeWindow(WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  EXPECT_FALSE(platform::dropFiles(hwnd, {"/tmp/a.wrl"}, POINT{3, 4}));
  DragAcceptFiles(hwnd, TRUE);
  ASSERT_TRUE(platform::dropFiles(hwnd, {"/tmp/a.wrl", "/tmp/longer.wrl"}, POINT{3, 4}));
  pumpAll();
  auto dropped = std::find_if(log.begin(), log.end(), [](const LoggedMessage& m) { return m.message == WM_DROPFILES; });
  ASSERT_NE(dropped, log.end());
  auto drop = reinterpret_cast<HDROP>(dropped->wParam);
  EXPECT_EQ(DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0), 2u);
  char name[8];
  EXPECT_EQ(DragQueryFileA(drop, 1, nullptr, 0), 15u);
  EXPECT_EQ(DragQueryFileA(drop, 1, name, sizeof name), 7u);  // cut to the buffer
  EXPECT_STREQ(name, "/tmp/lo");
  POINT at;
  EXPECT_TRUE(DragQueryPoint(drop, &at));
  EXPECT_EQ(at.x, 3);
  DragFinish(drop);
  EXPECT_EQ(DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0), 0u);
}

// The top-level window at (10, 20), 300 x 200; its client area starts at
// (14, 43); a child at (20, 30) of it, 100 x 50, and a grandchild at (5, 5)
// of the child, 20 x 20.
TEST_F(ControlsTest, DropsGoToTheNearestWindowThatAcceptsFiles) {
  HWND top = makeWindow(WS_OVERLAPPEDWINDOW | WS_VISIBLE, nullptr, 0, 300, 200);
  HWND child = CreateWindowExA(0, kClassName, "", WS_CHILD | WS_VISIBLE, 20, 30, 100, 50, top, nullptr,
                               nullptr, nullptr);
  HWND grandchild = CreateWindowExA(0, kClassName, "", WS_CHILD | WS_VISIBLE, 5, 5, 20, 20, child, nullptr,
                                    nullptr, nullptr);
  const POINT onTop{20, 150}, onChild{100, 90}, onGrandchild{44, 80}, outside{400, 100};
  EXPECT_FALSE(platform::acceptsDroppedFiles(top));
  EXPECT_EQ(platform::dropTargetAt(top, onChild), nullptr);

  DragAcceptFiles(child, TRUE);
  EXPECT_TRUE(platform::acceptsDroppedFiles(top));
  struct Case {
    POINT at;
    HWND expected;
  };
  for (const Case& c : {Case{onChild, child}, Case{onGrandchild, child}, Case{onTop, nullptr},
                        Case{outside, nullptr}}) {
    SCOPED_TRACE(testing::Message() << c.at.x << "," << c.at.y);
    EXPECT_EQ(platform::dropTargetAt(top, c.at), c.expected);
  }

  DragAcceptFiles(top, TRUE);
  DragAcceptFiles(grandchild, TRUE);
  EXPECT_EQ(platform::dropTargetAt(top, onTop), top);
  EXPECT_EQ(platform::dropTargetAt(top, onGrandchild), grandchild);
  EnableWindow(grandchild, FALSE);
  EXPECT_EQ(platform::dropTargetAt(top, onGrandchild), child);
  DragAcceptFiles(child, FALSE);
  EXPECT_EQ(platform::dropTargetAt(top, onChild), top);
}

// A checked box shows a tick: ink at its bottom point and along its arms,
// the box's own colour in the corners a filled square would cover.
TEST_F(ControlsTest, ACheckedBoxDrawsATickAndAnUncheckedOneNothing) {
  HWND parent = makeWindow(WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  HWND box = CreateWindowExA(0, "button", "Load Texture", WS_CHILD | WS_VISIBLE | BS_AUTOCHECKBOX, 10, 10, 130, 20,
                             parent, reinterpret_cast<HMENU>(intptr_t(1005)), nullptr, nullptr);
  ASSERT_NE(box, nullptr);
  const COLORREF ink = GetSysColor(COLOR_WINDOWTEXT), paper = GetSysColor(COLOR_WINDOW);
  const int top = (20 - 13) / 2;  // the 13-pixel box stands in the middle
  for (bool checked : {false, true}) {
    SendMessageA(box, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
    UpdateWindow(box);
    platform::WindowPixels pixels;
    ASSERT_TRUE(platform::readWindowPixels(box, &pixels));
    int inked = 0;
    for (int y = top + 2; y <= top + 10; ++y)
      for (int x = 2; x <= 10; ++x) inked += pixels.at(x, y) == ink;
    if (!checked) {
      EXPECT_EQ(inked, 0);
      continue;
    }
    EXPECT_GT(inked, 8);
    EXPECT_LT(inked, 40) << "a tick, not a filled square";
    EXPECT_EQ(pixels.at(5, top + 8), ink) << "the tick's bottom point";
    EXPECT_EQ(pixels.at(9, top + 3), ink) << "the end of its long arm";
    for (const POINT corner : {POINT{3, top + 3}, POINT{9, top + 9}, POINT{3, top + 9}})
      EXPECT_EQ(pixels.at(corner.x, corner.y), paper) << corner.x << "," << corner.y;
  }
}

TEST_F(ControlsTest, CursorsAndSystemColours) {
  HCURSOR arrow = LoadCursorA(nullptr, IDC_ARROW), beam = LoadCursorA(nullptr, IDC_IBEAM);
  ASSERT_NE(arrow, nullptr);
  EXPECT_EQ(platform::pointerShape(beam), platform::PointerShape::IBeam);
  EXPECT_EQ(LoadCursorA(nullptr, "NoSuchCursor"), nullptr);
  SetCursor(arrow);
  HWND parent = makeWindow(WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  HWND edit = makeEdit(parent);
  POINT inside{10, 10};
  ClientToScreen(edit, &inside);
  platform::InputEvent move;
  move.screen = inside;
  platform::routeInput(move);
  EXPECT_EQ(platform::currentPointerShape(), platform::PointerShape::IBeam);
  EXPECT_EQ(GetSysColor(COLOR_HIGHLIGHT), RGB(0, 0, 128));
  EXPECT_EQ(GetSysColor(999), 0u);
  EXPECT_EQ(edit, GetDlgItem(parent, 200));
}

// The program's own cursors are there before anything registers them, each
// its own shape, and a name finds its cursor whatever its case.
TEST_F(ControlsTest, ProgramCursorResourcesLoadByName) {
  const struct {
    const char* name;
    platform::PointerShape shape;
  } cases[] = {{"URL", platform::PointerShape::Link},
               {"Pick", platform::PointerShape::Pick},
               {"GRAB", platform::PointerShape::Grab},
               {"drag", platform::PointerShape::Drag}};
  for (const auto& c : cases) {
    HCURSOR cursor = LoadCursorA(nullptr, c.name);
    ASSERT_NE(cursor, nullptr) << c.name;
    EXPECT_EQ(platform::pointerShape(cursor), c.shape) << c.name;
    SetCursor(cursor);
    EXPECT_EQ(platform::currentPointerShape(), c.shape) << c.name;
  }
  SetCursor(LoadCursorA(nullptr, IDC_ARROW));
}

}  // namespace
