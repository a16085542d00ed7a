// shell/avatar.cpp -- the avatar table, the current choice and the dialog
// "ViewAvatar"; see avatar.h.
#include "shell/avatar.h"

#include <cstring>
#include <string>

#include "core/dirs.h"
#include "core/memory.h"
#include "platform/controls.h"
#include "platform/dialogs.h"
#include "platform/wingdi.h"
#include "platform/winuser.h"
#include "shell/appstate.h"
#include "shell/dibfile.h"
#include "shell/picturelist.h"

namespace {

struct Avatar {
  const char* world;
  const char* picture;
};

// Ended by a pair of empty texts.
constexpr Avatar kAvatars[] = {{"person.wrl", "person.bmp"}, {"boy.wrl", "boy.bmp"}, {"girl.wrl", "girl.bmp"}, {"", ""}};

constexpr int kPictureWidth = 60;

void registerAvatarDialog() {
  platform::DialogTemplate dialog;
  dialog.title = "View Avatar";
  dialog.width = 260;
  dialog.height = 300;
  dialog.items = {
      {"listbox", "", ZM_AVDLG_LIST, LBS_OWNERDRAWVARIABLE | LBS_NOTIFY | WS_VSCROLL | WS_BORDER | WS_TABSTOP, 10, 10,
       240, 240},
      {"button", "SELECT", IDOK, BS_DEFPUSHBUTTON | WS_TABSTOP, 40, 265, 80, 24},
      {"button", "CANCEL", IDCANCEL, WS_TABSTOP, 140, 265, 80, 24},
  };
  platform::registerDialogResource("ViewAvatar", dialog);
}

HBITMAP loadPicture(const char* name, int* height) {
  *height = kPictureWidth;
  char folder[4096];
  if (zmGetDataDirName(folder, sizeof folder) == 0) return nullptr;
  BITMAPINFOHEADER* dib = zmReadDibFile((std::string(folder) + name).c_str());
  if (dib == nullptr) return nullptr;
  HBITMAP bitmap = zmDibToBitmap(dib, nullptr);
  if (bitmap != nullptr) *height = kPictureWidth * dib->biHeight / dib->biWidth;
  zmFree(dib);
  return bitmap;
}

// The position of the current avatar in the table; 0 when none is chosen.
int currentPosition() {
  for (int position = 0; kAvatars[position].world[0] != '\0'; position++)
    if (zmShell.avatar != nullptr && std::strcmp(kAvatars[position].world, zmShell.avatar) == 0) return position;
  return 0;
}

void fillList(HWND dialog) {
  zmAttachPictureList(dialog, ZM_AVDLG_LIST);
  for (int position = 0; kAvatars[position].world[0] != '\0'; position++) {
    int height;
    HBITMAP picture = loadPicture(kAvatars[position].picture, &height);
    zmAddPictureItem(dialog, {kPictureWidth, height, picture, kAvatars[position].world, position});
  }
  SendDlgItemMessageA(dialog, ZM_AVDLG_LIST, LB_SETCURSEL, WPARAM(currentPosition()), 0);
}

void takeSelection(HWND dialog) {
  const LRESULT selected = SendDlgItemMessageA(dialog, ZM_AVDLG_LIST, LB_GETCURSEL, 0, 0);
  if (selected == LB_ERR) return;
  const LRESULT position = SendDlgItemMessageA(dialog, ZM_AVDLG_LIST, LB_GETITEMDATA, WPARAM(selected), 0);
  if (position >= 0 && position < LRESULT(std::size(kAvatars) - 1)) zmShell.avatar = kAvatars[position].world;
}

INT_PTR CALLBACK avatarDlgProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_INITDIALOG:
      fillList(dialog);
      zmPlaceDialogAtBottom(dialog, GetWindow(dialog, GW_OWNER));
      return TRUE;
    case WM_CTLCOLORDLG:
      return zmPictureDialogColours(reinterpret_cast<HDC>(wParam));
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDOK:
          takeSelection(dialog);
          EndDialog(dialog, 1);
          return TRUE;
        case IDCANCEL:
          EndDialog(dialog, 1);
          return TRUE;
      }
      return FALSE;
    default:
      return FALSE;
  }
}

}  // namespace

const char* zmGetAvatarFile() {
  if (zmShell.avatar == nullptr) zmShell.avatar = kAvatars[0].world;
  return zmShell.avatar;
}

int zmOpenAvatarDialog(HWND mainWindow) {
  registerAvatarDialog();
  DialogBoxParamA(nullptr, "ViewAvatar", mainWindow, avatarDlgProc, 0);
  return 0;
}

void zmResetAvatarForTest() { zmShell.avatar = nullptr; }
