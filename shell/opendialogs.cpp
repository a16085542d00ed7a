// shell/opendialogs.cpp -- Open URL, Open File and About; see
// opendialogs.h.
#include "shell/opendialogs.h"

#include "core/report.h"
#include "platform/controls.h"
#include "platform/dialogs.h"
#include "platform/winuser.h"
#include "shell/appstate.h"
#include "viewer/api.h"

namespace {

constexpr const char* kAboutText =
    "Lumenfold\n"
    "Version " LUMENFOLD_VERSION "\n"
    "\n"
    "Shows VRML 1.0 worlds and lets you walk through them,\n"
    "alone or with the other users of a world server.\n"
    "\n"
    "This software is based in part on the work of\n"
    "the Independent JPEG Group.";

void registerOpenUrlDialog() {
  platform::DialogTemplate dialog;
  dialog.title = "Open URL";
  dialog.width = 380;
  dialog.height = 80;
  dialog.items = {
      {"edit", "", ZM_URLDLG_URL, ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 10, 10, 360, 22},
      {"button", "OK", IDOK, BS_DEFPUSHBUTTON | WS_TABSTOP, 60, 45, 75, 24},
      {"button", "Cancel", IDCANCEL, WS_TABSTOP, 150, 45, 75, 24},
      {"button", "Help", ZM_URLDLG_HELP, WS_DISABLED, 240, 45, 75, 24},
  };
  platform::registerDialogResource("OPENURL", dialog);
}

INT_PTR CALLBACK openUrlDlgProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM) {
  switch (msg) {
    case WM_INITDIALOG:
      SetDlgItemTextA(dialog, ZM_URLDLG_URL, zmShell.sharedUrl);
      return TRUE;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDOK:
          GetDlgItemTextA(dialog, ZM_URLDLG_URL, zmShell.sharedUrl, int(ZM_SHARED_URL_SIZE));
          EndDialog(dialog, 1);
          return TRUE;
        case IDCANCEL:
          EndDialog(dialog, 0);
          return TRUE;
      }
      return FALSE;
    default:
      return FALSE;
  }
}

}  // namespace

INT_PTR zmOpenUrlDialog(HWND mainWindow) {
  registerOpenUrlDialog();
  return DialogBoxParamA(nullptr, "OPENURL", mainWindow, openUrlDlgProc, 0);
}

bool zmOpenFileDialog(HWND mainWindow, char* path, size_t size) {
  static constexpr char kFilter[] = "VRML Files (*.wrl)\0*.wrl;*.wrl.gz\0All Files (*.*)\0*.*\0";
  if (size == 0) return false;
  path[0] = '\0';
  OPENFILENAMEA request{};
  request.lStructSize = sizeof request;
  request.hwndOwner = mainWindow;
  request.lpstrFilter = kFilter;
  request.nFilterIndex = 1;
  request.lpstrFile = path;
  request.nMaxFile = DWORD(size);
  request.nMaxFileTitle = 16;
  request.Flags = OFN_FILEMUSTEXIST;
  request.lpstrDefExt = "WRL";
  return GetOpenFileNameA(&request) != FALSE;
}

void zmShowAbout(HWND mainWindow) {
  if (GetKeyState(VK_SHIFT) < 0) {
    zmShowCredits();
    return;
  }
  zmSetMessageBoxShowing(1);
  MessageBoxA(mainWindow, kAboutText, "About Lumenfold", MB_OK);
  zmSetMessageBoxShowing(0);
}
