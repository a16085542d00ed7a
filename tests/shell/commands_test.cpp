// tests/shell/commands_test.cpp -- the program's menu bar and commands,
// headless: items and buttons enabled, grayed, checked or "on" as the
// program's state changes, the openers, the history steps, bookmarks from
// the menu (entries, thumbnails, the dialog's rebuild, the bound below the
// command ids), the dialogs the commands open, the toolbars' buttons and
// the menu's keyboard mnemonics.
#include <filesystem>
#include <string>
#include <vector>

#include "core/camera.h"
#include "core/transform.h"
#include "platform/controls.h"
#include "platform/dialogs.h"
#include "platform/menus.h"
#include "shell/avatar.h"
#include "shell/bookmarks.h"
#include "shell/commands.h"
#include "shell/preferences.h"
#include "shell/toolbar.h"
#include "shell/viewinput.h"
#include "tests/shell/program_fixture.h"
#include "viewer/person.h"

namespace {

using platform::DialogAction;

class CommandsTest : public ProgramTest {
 public:
  void command(int id, int high = 0) {
    SendMessageA(zmGetMainHwnd(), WM_COMMAND, MAKEWPARAM(id, high), 0);
    pump();
  }

  static UINT menuState(int id) { return GetMenuState(GetMenu(zmGetMainHwnd()), UINT(id), MF_BYCOMMAND); }
  static bool grayed(int id) { return (menuState(id) & MF_GRAYED) != 0; }
  static bool checked(int id) { return (menuState(id) & MF_CHECKED) != 0; }
  static int look(int id) { return zmFindToolBarButton(zmGetCommandToolBar(), id)->look; }

  std::string currentName() const {
    const ZmWorld* world = zmGetCurrentWorld();
    return world != nullptr && world->name != nullptr ? world->name : "";
  }

  // The Bookmark menu's entries after its separator: {id, text}.
  // Lines of the bookmark file as it is on disk now; 0 when there is none.
  int landmarkLines() const {
    std::ifstream landmarks(dir + "/landmark.htm");
    int lines = 0;
    for (std::string line; std::getline(landmarks, line);) lines++;
    return lines;
  }

  static std::vector<std::pair<UINT, std::string>> bookmarkEntries() {
    std::vector<std::pair<UINT, std::string>> entries;
    HMENU menu = zmFindSubMenu(ZM_CMD_ADD_BOOKMARK);
    for (int position = 3; position < GetMenuItemCount(menu); position++) {
      char text[256] = "";
      GetMenuStringA(menu, UINT(position), text, sizeof text, MF_BYPOSITION);
      entries.emplace_back(GetMenuItemID(menu, position), text);
    }
    return entries;
  }

  std::string landmarkLine(int i) {
    return "\t<DT><A HREF=\"" + url(dir + "/w.wrl") + "\" LOC=\"" + std::to_string(i) +
           " 0 0 1 0 0 0 1 0 0 0 1\">W" + std::to_string(i) + "\n";
  }
};

TEST_F(CommandsTest, TheMenuBarHoldsTheCommandsUnderTheirNames) {
  start();
  HMENU bar = GetMenu(zmGetMainHwnd());
  ASSERT_NE(bar, nullptr);
  const std::vector<std::pair<std::string, std::vector<std::pair<UINT, std::string>>>> expected = {
      {"&File", {{102, "&Open File..."}, {101, "Open &URL..."}, {109, "E&xit"}}},
      {"&Go", {{103, "&Stop loading"}, {111, "&Backward"}, {110, "&Forward"}}},
      {"&View", {{120, "&Reload"}, {121, "&Vadavir Oze"}, {123, "Head &Light"}, {124, "&Chat"}, {0, ""},
                 {129, "&Preferences..."}}},
      {"&Bookmark", {{114, "&Add bookmark"}, {125, "&View Bookmark"}, {0, ""}}},
      {"&Avatar", {{118, "&View Avatar"}}},
      {"&Options", {{116, "&Auto Load Images"}, {117, "&Auto Load Sounds"}}},
      {"&Help", {{199, "&About..."}}},
  };
  ASSERT_EQ(GetMenuItemCount(bar), int(expected.size()));
  for (int i = 0; i < int(expected.size()); i++) {
    char text[64] = "";
    GetMenuStringA(bar, UINT(i), text, sizeof text, MF_BYPOSITION);
    EXPECT_EQ(text, expected[size_t(i)].first);
    HMENU sub = GetSubMenu(bar, i);
    const auto& items = expected[size_t(i)].second;
    ASSERT_EQ(GetMenuItemCount(sub), int(items.size())) << text;
    for (int j = 0; j < int(items.size()); j++) {
      char itemText[64] = "";
      GetMenuStringA(sub, UINT(j), itemText, sizeof itemText, MF_BYPOSITION);
      EXPECT_EQ(GetMenuItemID(sub, j), items[size_t(j)].first) << text << " " << j;
      EXPECT_EQ(itemText, items[size_t(j)].second) << text << " " << j;
    }
  }
  EXPECT_EQ(zmFindSubMenu(ZM_CMD_ADD_BOOKMARK), GetSubMenu(bar, 3));
  EXPECT_EQ(zmFindSubMenu(ZM_CMD_VIEW_BOOKMARK), nullptr);  // not the first item of any pop-up
}

TEST_F(CommandsTest, ItemsAndButtonsFollowTheProgramsState) {
  const std::string a = write("a.wrl"), b = write("b.wrl");
  start();
  // Waiting: nothing to go back to, reload, bookmark or stop.
  EXPECT_TRUE(grayed(ZM_CMD_BACKWARD) && grayed(ZM_CMD_FORWARD) && grayed(ZM_CMD_RELOAD));
  EXPECT_FALSE(grayed(ZM_CMD_OPEN_FILE) || grayed(ZM_CMD_OPEN_URL));
  for (int id : {ZM_CMD_BACKWARD, ZM_CMD_FORWARD, ZM_CMD_HOME, ZM_CMD_UNDO, ZM_CMD_ADD_BOOKMARK, ZM_CMD_STOP,
                 ZM_CMD_SCOUTER, ZM_CMD_JUMPING_EYE})
    EXPECT_EQ(look(id), ZM_LOOK_DISABLED) << id;
  EXPECT_TRUE(checked(ZM_CMD_AUTO_LOAD_IMAGES));
  EXPECT_TRUE(grayed(ZM_CMD_AUTO_LOAD_SOUNDS));
  EXPECT_FALSE(checked(ZM_CMD_HEAD_LIGHT) || checked(ZM_CMD_JUMPING_EYE) || checked(ZM_CMD_CHAT));

  ASSERT_EQ(open(a), 0);
  EXPECT_FALSE(grayed(ZM_CMD_RELOAD));
  for (int id : {ZM_CMD_HOME, ZM_CMD_UNDO, ZM_CMD_ADD_BOOKMARK, ZM_CMD_SCOUTER, ZM_CMD_JUMPING_EYE})
    EXPECT_EQ(look(id), ZM_LOOK_NORMAL) << id;
  EXPECT_EQ(look(ZM_CMD_STOP), ZM_LOOK_DISABLED);
  EXPECT_TRUE(grayed(ZM_CMD_BACKWARD));

  ASSERT_EQ(open(b), 0);
  EXPECT_FALSE(grayed(ZM_CMD_BACKWARD));
  EXPECT_EQ(look(ZM_CMD_BACKWARD), ZM_LOOK_NORMAL);
  EXPECT_TRUE(grayed(ZM_CMD_FORWARD));
  EXPECT_EQ(look(ZM_CMD_FORWARD), ZM_LOOK_DISABLED);

  command(ZM_CMD_BACKWARD);
  EXPECT_EQ(currentName(), url(a));
  EXPECT_TRUE(grayed(ZM_CMD_BACKWARD));
  EXPECT_FALSE(grayed(ZM_CMD_FORWARD));
  command(ZM_CMD_BACKWARD);  // at the first step: nothing happens
  EXPECT_EQ(currentName(), url(a));
  command(ZM_CMD_FORWARD);
  EXPECT_EQ(currentName(), url(b));
  command(ZM_CMD_STOP);  // changes nothing
  EXPECT_EQ(currentName(), url(b));
  EXPECT_EQ(zmShell.zmAppState, ZM_APP_RUNNING);

  // While a world is built: no opening, no reload, and Stop shows.
  zmShell.zmAppState = ZM_APP_BUILDING;
  zmUpdateCommandStates();
  EXPECT_TRUE(grayed(ZM_CMD_OPEN_FILE) && grayed(ZM_CMD_OPEN_URL) && grayed(ZM_CMD_RELOAD));
  EXPECT_EQ(look(ZM_CMD_STOP), ZM_LOOK_NORMAL);
  zmShell.zmAppState = ZM_APP_RUNNING;

  // A failed load leaves the world on show with its buttons, Stop
  // disabled again, and the next world shows them too.
  ZmWorld* shown = zmGetCurrentWorld();
  open(write("bad.wrl", "not a world {{{\n"));
  EXPECT_EQ(zmGetCurrentWorld(), shown);
  EXPECT_EQ(look(ZM_CMD_HOME), ZM_LOOK_NORMAL);
  EXPECT_EQ(look(ZM_CMD_STOP), ZM_LOOK_DISABLED);
  EXPECT_FALSE(grayed(ZM_CMD_RELOAD));
  ASSERT_EQ(open(write("c.wrl")), 0);
  EXPECT_EQ(look(ZM_CMD_JUMPING_EYE), ZM_LOOK_NORMAL);
  EXPECT_EQ(look(ZM_CMD_SCOUTER), ZM_LOOK_NORMAL);
}

TEST_F(CommandsTest, SwitchesToggleTheirMarksAndWhatTheyStandFor) {
  start();
  command(ZM_CMD_HEAD_LIGHT);  // no world: nothing
  EXPECT_FALSE(checked(ZM_CMD_HEAD_LIGHT));
  command(ZM_CMD_JUMPING_EYE);  // nothing built yet: nothing
  EXPECT_FALSE(checked(ZM_CMD_JUMPING_EYE));

  ASSERT_EQ(open(write("a.wrl")), 0);
  ZmObj* person = zmGetCurrentWorld()->person;
  ASSERT_NE(person, nullptr);
  command(ZM_CMD_HEAD_LIGHT);
  EXPECT_TRUE(checked(ZM_CMD_HEAD_LIGHT));
  EXPECT_NE(zmGetPersonHeadLight(person), 0);
  command(ZM_CMD_HEAD_LIGHT);
  EXPECT_FALSE(checked(ZM_CMD_HEAD_LIGHT));
  EXPECT_EQ(zmGetPersonHeadLight(person), 0);

  command(ZM_CMD_SCOUTER);
  EXPECT_EQ(look(ZM_CMD_SCOUTER), ZM_LOOK_ON);
  command(ZM_CMD_SCOUTER);
  EXPECT_EQ(look(ZM_CMD_SCOUTER), ZM_LOOK_NORMAL);

  command(ZM_CMD_AUTO_LOAD_IMAGES);
  EXPECT_FALSE(checked(ZM_CMD_AUTO_LOAD_IMAGES));
  EXPECT_EQ(zmAutoLoadImages(), 0);
  command(ZM_CMD_CHAT);
  EXPECT_TRUE(checked(ZM_CMD_CHAT));

  // Vadavir Oze rises and stays up; its mark and button show until the
  // second command has brought the eye back.
  command(ZM_CMD_JUMPING_EYE);
  for (int i = 0; i < 20; i++) tick();
  EXPECT_TRUE(checked(ZM_CMD_JUMPING_EYE));
  EXPECT_EQ(look(ZM_CMD_JUMPING_EYE), ZM_LOOK_ON);
  command(ZM_CMD_JUMPING_EYE);
  for (int i = 0; i < 40 && checked(ZM_CMD_JUMPING_EYE); i++) tick();
  EXPECT_FALSE(checked(ZM_CMD_JUMPING_EYE));
  EXPECT_EQ(look(ZM_CMD_JUMPING_EYE), ZM_LOOK_NORMAL);
}

TEST_F(CommandsTest, OpenUrlAndOpenFileLoadWhatTheDialogsGive) {
  const std::string a = write("a.wrl"), b = write("b.wrl");
  start();
  platform::queueDialogScript({{DialogAction::Type, 200, url(a)}, {DialogAction::Press, IDCANCEL}});
  command(ZM_CMD_OPEN_URL);
  EXPECT_EQ(zmGetCurrentWorld(), nullptr);

  platform::queueDialogScript({{DialogAction::Type, 200, url(a)}, {DialogAction::Press, IDOK}});
  command(ZM_CMD_OPEN_URL);
  EXPECT_EQ(currentName(), url(a));
  EXPECT_EQ(std::string(zmShell.sharedUrl), url(a));

  platform::queueDialogScript({{DialogAction::Type, IDC_OPENFILE_NAME, b}, {DialogAction::Press, IDOK}});
  command(ZM_CMD_OPEN_FILE);
  EXPECT_EQ(currentName(), url(b));
  platform::queueDialogScript({{DialogAction::Press, IDCANCEL}});
  command(ZM_CMD_OPEN_FILE);
  EXPECT_EQ(currentName(), url(b));
}

TEST_F(CommandsTest, BookmarksFromTheMenuKeepTheirEntriesNumbered) {
  const std::string a = write("a.wrl");
  start(a);
  command(ZM_CMD_ADD_BOOKMARK);
  EXPECT_EQ(landmarkLines(), 5) << "written as soon as it is added";
  command(ZM_CMD_ADD_BOOKMARK);
  command(ZM_CMD_ADD_BOOKMARK);
  ASSERT_EQ(zmGetBookmarkCount(), 3);
  EXPECT_EQ(landmarkLines(), 7);
  const std::string title = zmGetBookmark(0, nullptr)->title;
  EXPECT_EQ(title.rfind("Unknown World(", 0), 0u) << title;
  EXPECT_EQ(bookmarkEntries(), (std::vector<std::pair<UINT, std::string>>{{1, title}, {2, title}, {3, title}}));
  for (const char* thumbnail : {"/mark00.bmp", "/mark01.bmp", "/mark02.bmp"})
    EXPECT_TRUE(std::filesystem::exists(dir + thumbnail)) << thumbnail;

  // An entry of the world on show moves the person's camera there.
  zmGetBookmark(1, nullptr)->camera.t = {5, 0, 0};
  command(2);
  EXPECT_NEAR(zmGetWRT(zmGetActiveCamera(zmGetCurrentWorld()))->t.x, 5, 1e-3);
  command(4);  // no such entry: nothing
  EXPECT_EQ(currentName(), url(a));

  // Deleting the first in the dialog renumbers the files and the entries.
  platform::queueDialogScript({{DialogAction::Press, ZM_BMDLG_DELETE},
                               {DialogAction::Press, ZM_BMDLG_DELETE},
                               {DialogAction::Press, ZM_BMDLG_UNDO},
                               {DialogAction::Press, IDOK}});
  command(ZM_CMD_VIEW_BOOKMARK);
  EXPECT_EQ(zmGetBookmarkCount(), 2);
  EXPECT_EQ(bookmarkEntries(), (std::vector<std::pair<UINT, std::string>>{{1, title}, {2, title}}));
  EXPECT_TRUE(std::filesystem::exists(dir + "/mark01.bmp"));
  EXPECT_FALSE(std::filesystem::exists(dir + "/mark02.bmp"));

  // The file follows every change, not only the end of the program: the
  // header, a line for each bookmark, the closing line.
  EXPECT_EQ(landmarkLines(), 6);
  PostMessageA(zmGetMainHwnd(), WM_CLOSE, 0, 0);
  pump();
  EXPECT_EQ(landmarkLines(), 6);
}

TEST_F(CommandsTest, NoBookmarkEntryReachesTheCommandIds) {
  std::string file = "<TITLE>Personal 3D Bookmarks</TITLE>\n<H1>Personal 3D Bookmarks</H1>\n<DL><P>\n";
  for (int i = 0; i < 101; i++) file += landmarkLine(i);
  write("landmark.htm", file + "</DL><P>\n");
  start(write("w.wrl"));
  ASSERT_EQ(zmGetBookmarkCount(), 101);
  std::vector<std::pair<UINT, std::string>> entries = bookmarkEntries();
  ASSERT_EQ(entries.size(), 100u);
  EXPECT_EQ(entries.back(), std::make_pair(UINT(100), std::string("W99")));

  command(ZM_CMD_ADD_BOOKMARK);  // kept, but reached through the dialog only
  EXPECT_EQ(zmGetBookmarkCount(), 102);
  EXPECT_EQ(bookmarkEntries().size(), 100u);
  command(ZM_CMD_REBUILD_BOOKMARK_MENU);
  EXPECT_EQ(bookmarkEntries(), entries);
}

TEST_F(CommandsTest, CommandsOpenTheAvatarAndPreferenceDialogs) {
  zmResetAvatarForTest();
  zmResetPreferencesForTest();
  start();
  platform::queueDialogScript({{DialogAction::Pick, ZM_AVDLG_LIST, "", 2}, {DialogAction::Press, IDOK}});
  command(ZM_CMD_VIEW_AVATAR);
  EXPECT_STREQ(zmGetAvatarFile(), "girl.wrl");

  platform::queueDialogScript({{DialogAction::Check, ZM_PREFDLG_TEXTURE, "", BST_UNCHECKED},
                               {DialogAction::Type, ZM_PREFDLG_NICK_NAME, "walker"},
                               {DialogAction::Press, IDOK}});
  command(ZM_CMD_PREFERENCES);
  int texture = -1;
  char nick[32] = "";
  ASSERT_EQ(zmGetPreference(ZM_PREF_TEXTURE, &texture), 0);
  ASSERT_EQ(zmGetPreference(ZM_PREF_NICK_NAME, nick), 0);
  EXPECT_EQ(texture, 0);
  EXPECT_STREQ(nick, "walker");
}

TEST_F(CommandsTest, AboutShowsItsBoxAndShiftSendsTheCreditsToTheLog) {
  start();
  platform::clearRecordedEvents();
  command(ZM_CMD_ABOUT);
  const auto boxes = platform::recordedEvents("MessageBox");
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].detail.rfind("About Lumenfold\nLumenfold\nVersion ", 0), 0u) << boxes[0].detail;
  EXPECT_NE(boxes[0].detail.find("Independent JPEG Group"), std::string::npos);
  EXPECT_EQ(zmIsMessageBoxShowing(), 0);

  PostMessageA(zmGetViewHwnd(), WM_KEYDOWN, VK_SHIFT, 0);
  pump();
  command(ZM_CMD_ABOUT);
  PostMessageA(zmGetViewHwnd(), WM_KEYUP, VK_SHIFT, 0);
  pump();
  EXPECT_EQ(platform::recordedEvents("MessageBox").size(), 1u);
  EXPECT_TRUE(reported("Thanks to everyone"));
}

TEST_F(CommandsTest, NavigationButtonsHoldTheirKeysAndKeysShowOnTheButtons) {
  start(write("a.wrl"));
  BYTE keys[256];
  ZmToolBarButton* slideLeft = zmFindToolBarButton(zmGetNavigationToolBar(), ZM_CMD_SLIDE_LEFT);
  ASSERT_NE(slideLeft, nullptr);
  SendMessageA(slideLeft->window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  zmGetKeyStateTable(keys);
  EXPECT_TRUE((keys[VK_SHIFT] & 0x80) && (keys[VK_LEFT] & 0x80));
  SendMessageA(slideLeft->window, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  zmGetKeyStateTable(keys);  // a tap reads as down once
  zmGetKeyStateTable(keys);
  EXPECT_FALSE((keys[VK_SHIFT] & 0x80) || (keys[VK_LEFT] & 0x80));

  ZmToolBarButton* forward = zmFindToolBarButton(zmGetNavigationToolBar(), ZM_CMD_WALK_FORWARD);
  SendMessageA(zmGetViewHwnd(), WM_KEYDOWN, VK_UP, 0);
  EXPECT_EQ(forward->pressed, 1);
  SendMessageA(zmGetViewHwnd(), WM_KEYUP, VK_UP, 0);
  EXPECT_EQ(forward->pressed, 0);

  // A command button's click is its command.
  ZmToolBarButton* add = zmFindToolBarButton(zmGetCommandToolBar(), ZM_CMD_ADD_BOOKMARK);
  SendMessageA(add->window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  SendMessageA(add->window, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  pump();
  EXPECT_EQ(zmGetBookmarkCount(), 1);
}

TEST_F(CommandsTest, MnemonicsOpenTheMenusFromTheKeyboard) {
  start(write("a.wrl"));
  HWND view = zmGetViewHwnd();
  // Alt+menu, then item; the two Escapes after them close a menu that a
  // failed mnemonic left open, so that the modal menu loop ends and the
  // expectations fail at once (else they reach the view, which ignores them).
  auto press = [view](char menu, char item) {
    PostMessageA(view, WM_SYSKEYDOWN, WPARAM(menu), 0);
    PostMessageA(view, WM_KEYDOWN, WPARAM(item), 0);
    PostMessageA(view, WM_KEYDOWN, VK_ESCAPE, 0);
    PostMessageA(view, WM_KEYDOWN, VK_ESCAPE, 0);
  };
  press('B', 'A');
  pump();
  EXPECT_EQ(zmGetBookmarkCount(), 1);
  press('F', 'X');
  pump();
  EXPECT_FALSE(IsWindow(zmGetMainHwnd()));
  EXPECT_EQ(quitCode, 0);
}

TEST_F(CommandsTest, TheWindowTitleIsTheWorldsTitle) {
  start();
  const std::string titled =
      write("t.wrl", "#VRML V1.0 ascii\nSeparator { DEF Title Info { string \"Great Hall\" } Cube {} }\n");
  const std::string plain = write("p.wrl");
  char text[64] = "";
  ASSERT_EQ(open(titled), 0);
  GetWindowTextA(zmGetMainHwnd(), text, sizeof text);
  EXPECT_STREQ(text, "Great Hall");
  ASSERT_EQ(open(plain), 0);
  GetWindowTextA(zmGetMainHwnd(), text, sizeof text);
  EXPECT_STREQ(text, "Lumenfold");
}

}  // namespace
