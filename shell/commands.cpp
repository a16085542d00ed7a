// shell/commands.cpp -- the commands and the looks of their items and
// buttons; see commands.h.
#include "shell/commands.h"

#include <cstdint>

#include "core/world.h"
#include "loading/wwwlink.h"
#include "platform/menus.h"
#include "platform/winuser.h"
#include "script/mainloop.h"
#include "shell/appstate.h"
#include "shell/avatar.h"
#include "shell/bookmarks.h"
#include "shell/chat.h"
#include "shell/labels.h"
#include "shell/opendialogs.h"
#include "shell/preferences.h"
#include "shell/toolbar.h"
#include "shell/viewinput.h"
#include "shell/worldcache.h"
#include "shell/worldload.h"
#include "viewer/automove.h"
#include "viewer/grab.h"
#include "viewer/navigation.h"
#include "viewer/person.h"

namespace {

// The switches the commands toggle, program-wide.
struct CommandState {
  int autoLoadImages = 1;
  int autoLoadSounds = 0;  // shown and toggled; nothing reads it
  int scouter = 0;
  int headLight = 0;
  int jumpingEye = 0;      // the Vadavir Oze state: 1 while its automatic move runs
  int jumpingEyeShown = -1;  // the state the mark and button show; -1: none shown
};
CommandState state;

// ---- Looks ------------------------------------------------------------------

void setButtonLook(int id, int look) { zmSetToolBarButtonLook(zmGetCommandToolBar(), id, look); }

// A command that is both a menu item and a command toolbar button.
void showEnabled(int id, bool enabled) {
  zmEnableMenuCommand(id, enabled ? MF_ENABLED : MF_GRAYED);
  setButtonLook(id, enabled ? ZM_LOOK_NORMAL : ZM_LOOK_DISABLED);
}

ZmObj* currentPerson() {
  ZmWorld* world = zmGetCurrentWorld();
  return world != nullptr ? world->person : nullptr;
}

// ---- Commands ---------------------------------------------------------------

void openUrl(HWND mainWindow) {
  if (zmOpenUrlDialog(mainWindow) == 1) zmGoToUrl(zmShell.sharedUrl, nullptr);
}

void openFile(HWND mainWindow) {
  char path[ZM_SHARED_URL_SIZE];
  if (zmOpenFileDialog(mainWindow, path, sizeof path)) zmWwwOpenFile(path);
}

void stepHistory(ZmHistory* entry) {
  if (entry == nullptr) return;
  if (ZmWorld* world = zmGetCurrentWorld()) zmLeaveWorld(world->name);
  zmActivateWorld(entry, nullptr);
}

void goHome() {
  ZmWorld* world = zmGetCurrentWorld();
  if (world != nullptr && world->person != nullptr) zmPlacePersonAtCamera(world->person, &world->worldRT);
}

// The thumbnail is read from the view's own pixels without pumping
// messages, so no second Add bookmark can arrive while it is taken.
void addBookmark() {
  ZmWorld* world = zmGetCurrentWorld();
  if (world == nullptr) return;
  const char* title = zmAddBookmark(world);
  if (title == nullptr) return;
  zmAppendBookmarkMenuEntry(title);
  zmCaptureBookmarkThumbnail(zmGetViewHwnd());
  // Written at once, so that a program that is killed loses no bookmark.
  zmSaveBookmark();
}

void toggleAutoLoadImages() {
  state.autoLoadImages = !state.autoLoadImages;
  zmUpdateAutoLoadImagesMark();
}

void toggleAutoLoadSounds() {
  state.autoLoadSounds = !state.autoLoadSounds;
  zmCheckMenuCommand(ZM_CMD_AUTO_LOAD_SOUNDS, state.autoLoadSounds != 0);
}

void reload() {
  if (ZmWorld* world = zmGetCurrentWorld()) zmReloadWorld(world->name, nullptr);
}

void jumpingEye() {
  if (zmShell.worldRunning != 1) return;
  state.jumpingEye = zmNavGoHome(zmGetCurrentWorld());
  zmUpdateJumpingEyeMark();
}

void toggleScouter() {
  state.scouter = !state.scouter;
  if (state.scouter) zmScouterOn();
  else zmScouterOff();
  zmUpdateScouterButton();
}

void toggleHeadLight() {
  ZmObj* person = currentPerson();
  if (person == nullptr) return;
  state.headLight = !state.headLight;
  zmCheckMenuCommand(ZM_CMD_HEAD_LIGHT, state.headLight != 0);
  zmSetPersonHeadLight(person, state.headLight);
}

void rebuildBookmarkMenu() {
  zmRemoveBookmarkMenu();
  zmAppendBookmarkMenu();
}

// A navigation button holds the arrow key it stands for (and Shift for a
// slide) down in the key-state table while it is pressed.
void holdNavigationKeys(int id, bool down) {
  struct Keys {
    int id;
    bool shift;
    int key;
  };
  static constexpr Keys kKeys[] = {
      {ZM_CMD_TURN_LEFT, false, VK_LEFT},      {ZM_CMD_SLIDE_LEFT, true, VK_LEFT},
      {ZM_CMD_WALK_FORWARD, false, VK_UP},     {ZM_CMD_WALK_BACK, false, VK_DOWN},
      {ZM_CMD_SLIDE_RIGHT, true, VK_RIGHT},    {ZM_CMD_TURN_RIGHT, false, VK_RIGHT},
  };
  for (const Keys& keys : kKeys) {
    if (keys.id != id) continue;
    if (down) {
      if (keys.shift) zmViewKeyDown(VK_SHIFT);
      zmViewKeyDown(keys.key);
    } else {
      zmViewKeyUp(keys.key);
      if (keys.shift) zmViewKeyUp(VK_SHIFT);
    }
  }
}

bool isBookmarkEntry(int id) { return id >= 1 && id <= zmBookmarkMenuCount(); }

}  // namespace

LRESULT zmOnCommand(HWND mainWindow, UINT, WPARAM wParam) {
  const int id = LOWORD(wParam);
  switch (id) {
    case ZM_CMD_OPEN_URL: openUrl(mainWindow); break;
    case ZM_CMD_OPEN_FILE: openFile(mainWindow); break;
    case ZM_CMD_STOP: zmWwwCancelProgress(); break;  // the fetches running now end, failed
    case ZM_CMD_EXIT: PostMessageA(mainWindow, WM_CLOSE, 0, 0); break;
    case ZM_CMD_FORWARD: stepHistory(zmGetNextHistory(zmGetCurrentHistory())); break;
    case ZM_CMD_BACKWARD: stepHistory(zmGetPrevHistory(zmGetCurrentHistory())); break;
    case ZM_CMD_HOME: goHome(); break;
    case ZM_CMD_UNDO: zmUndoGrab(); break;
    case ZM_CMD_ADD_BOOKMARK: addBookmark(); break;
    case ZM_CMD_REBUILD_BOOKMARK_MENU: rebuildBookmarkMenu(); break;
    case ZM_CMD_AUTO_LOAD_IMAGES: toggleAutoLoadImages(); break;
    case ZM_CMD_AUTO_LOAD_SOUNDS: toggleAutoLoadSounds(); break;
    case ZM_CMD_VIEW_AVATAR: zmOpenAvatarDialog(mainWindow); break;
    case ZM_CMD_RELOAD: reload(); break;
    case ZM_CMD_JUMPING_EYE: jumpingEye(); break;
    case ZM_CMD_SCOUTER: toggleScouter(); break;
    case ZM_CMD_HEAD_LIGHT: toggleHeadLight(); break;
    case ZM_CMD_CHAT: zmChatCommand(zmGetMainHwnd()); break;
    case ZM_CMD_VIEW_BOOKMARK: zmOpenBookmarkDialog(mainWindow); break;
    case ZM_CMD_PREFERENCES: zmOpenPreferenceDialog(mainWindow); break;
    case ZM_CMD_TURN_LEFT: case ZM_CMD_SLIDE_LEFT: case ZM_CMD_WALK_FORWARD:
    case ZM_CMD_WALK_BACK: case ZM_CMD_SLIDE_RIGHT: case ZM_CMD_TURN_RIGHT:
      holdNavigationKeys(id, HIWORD(wParam) == 1);
      break;
    case ZM_CMD_ABOUT: zmShowAbout(mainWindow); break;
    default:
      if (isBookmarkEntry(id)) zmGoToBookmark(id - 1, zmGoToUrl);
      break;
  }
  return 0;
}

void zmResetCommandState() { state = CommandState{}; }

int zmAutoLoadImages() { return state.autoLoadImages; }

int zmUpdateCommandStates() {
  ZmHistory* current = zmGetCurrentHistory();
  showEnabled(ZM_CMD_BACKWARD, zmGetPrevHistory(current) != nullptr);
  showEnabled(ZM_CMD_FORWARD, zmGetNextHistory(current) != nullptr);
  const int appState = zmShell.zmAppState;
  const bool canOpen = appState == ZM_APP_WAITING || appState == ZM_APP_RUNNING;
  zmEnableMenuCommand(ZM_CMD_OPEN_FILE, canOpen ? MF_ENABLED : MF_GRAYED);
  zmEnableMenuCommand(ZM_CMD_OPEN_URL, canOpen ? MF_ENABLED : MF_GRAYED);
  const int worldLook = zmGetCurrentWorld() != nullptr ? ZM_LOOK_NORMAL : ZM_LOOK_DISABLED;
  for (int id : {ZM_CMD_HOME, ZM_CMD_UNDO, ZM_CMD_ADD_BOOKMARK}) setButtonLook(id, worldLook);
  zmEnableMenuCommand(ZM_CMD_RELOAD, appState == ZM_APP_RUNNING ? MF_ENABLED : MF_GRAYED);
  const bool loading = appState == ZM_APP_FETCHING || appState == ZM_APP_BUILDING;
  setButtonLook(ZM_CMD_STOP, loading ? ZM_LOOK_NORMAL : ZM_LOOK_DISABLED);
  return 0;
}

int zmUpdateScouterButton() {
  int look = ZM_LOOK_DISABLED;
  if (zmGetCurrentWorld() != nullptr) look = state.scouter ? ZM_LOOK_ON : ZM_LOOK_NORMAL;
  setButtonLook(ZM_CMD_SCOUTER, look);
  return 0;
}

// Without a world the button is disabled and no state is shown, so the
// next world's state is drawn whatever it is.
int zmUpdateJumpingEyeMark() {
  if (zmGetCurrentWorld() == nullptr) {
    setButtonLook(ZM_CMD_JUMPING_EYE, ZM_LOOK_DISABLED);
    state.jumpingEyeShown = -1;
    return 0;
  }
  int32_t moving = 0, stepsLeft = 0;
  zmNavGetFlags(&moving, &stepsLeft);
  state.jumpingEye = moving;
  if (state.jumpingEye == state.jumpingEyeShown) return 0;
  zmCheckMenuCommand(ZM_CMD_JUMPING_EYE, state.jumpingEye == 1);
  setButtonLook(ZM_CMD_JUMPING_EYE, state.jumpingEye == 1 ? ZM_LOOK_ON : ZM_LOOK_NORMAL);
  state.jumpingEyeShown = state.jumpingEye;
  return 0;
}

int zmUpdateHeadLightMark() {
  ZmObj* person = currentPerson();
  state.headLight = person != nullptr ? (zmGetPersonHeadLight(person) != 0) : 0;
  zmCheckMenuCommand(ZM_CMD_HEAD_LIGHT, state.headLight != 0);
  return 0;
}

int zmUpdateAutoLoadImagesMark() {
  zmCheckMenuCommand(ZM_CMD_AUTO_LOAD_IMAGES, state.autoLoadImages == 1);
  return 0;
}

void zmUpdateAllCommandLooks() {
  zmUpdateCommandStates();
  zmUpdateScouterButton();
  zmUpdateJumpingEyeMark();
  zmUpdateHeadLightMark();
  zmUpdateAutoLoadImagesMark();
}
