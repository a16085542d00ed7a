// shell/bookmarkdialog.cpp -- the dialog "ViewBookmark": the bookmarks with
// their thumbnails, deleted and put back in the picture list and deleted
// for good on OK; see bookmarks.h.
#include <string>
#include <vector>

#include "core/memory.h"
#include "platform/controls.h"
#include "platform/dialogs.h"
#include "platform/wingdi.h"
#include "platform/winuser.h"
#include "shell/bookmarks.h"
#include "shell/dibfile.h"
#include "shell/picturelist.h"

namespace {

constexpr int kThumbnailWidth = 80;
constexpr int kThumbnailHeight = 60;  // also every entry's height

void registerBookmarkDialog() {
  platform::DialogTemplate dialog;
  dialog.title = "ViewBookmark";
  dialog.width = 360;
  dialog.height = 330;
  dialog.items = {
      {"listbox", "", ZM_BMDLG_LIST, LBS_OWNERDRAWVARIABLE | LBS_NOTIFY | WS_VSCROLL | WS_BORDER | WS_TABSTOP, 10,
       10, 340, 270},
      {"button", "DELETE", ZM_BMDLG_DELETE, WS_TABSTOP, 10, 295, 75, 24},
      {"button", "UNDO", ZM_BMDLG_UNDO, WS_TABSTOP, 95, 295, 75, 24},
      {"button", "CANCEL", IDCANCEL, WS_TABSTOP, 185, 295, 75, 24},
      {"button", "OK", IDOK, BS_DEFPUSHBUTTON | WS_TABSTOP, 275, 295, 75, 24},
  };
  platform::registerDialogResource("ViewBookmark", dialog);
}

// The thumbnail of the position as a bitmap; null when it cannot be read.
HBITMAP loadThumbnail(int position) {
  BITMAPINFOHEADER* dib = zmReadDibFile(zmBookmarkThumbnailPath(position).c_str());
  if (dib == nullptr) return nullptr;
  HBITMAP bitmap = zmDibToBitmap(dib, nullptr);
  zmFree(dib);
  return bitmap;
}

// The name and the coordinates on two lines.
std::string captionOf(const char* title) {
  std::string caption = title;
  const size_t bracket = caption.find('(');
  if (bracket != std::string::npos) caption.insert(bracket, "\n");
  return caption;
}

void fillList(HWND dialog) {
  zmAttachPictureList(dialog, ZM_BMDLG_LIST);
  for (int position = 0; position < zmGetBookmarkCount(); position++) {
    const ZmBookmark* bookmark = zmGetBookmark(position, nullptr);
    zmAddPictureItem(dialog, {kThumbnailWidth, kThumbnailHeight, loadThumbnail(position), captionOf(bookmark->title),
                              position});
  }
  SendDlgItemMessageA(dialog, ZM_BMDLG_LIST, LB_SETCURSEL, 0, 0);
}

void paintBackground(HWND dialog, HDC dc) {
  RECT client;
  GetClientRect(dialog, &client);
  FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  RECT list;
  GetWindowRect(GetDlgItem(dialog, ZM_BMDLG_LIST), &list);
  POINT corners[2] = {{list.left, list.top}, {list.right, list.bottom}};
  ScreenToClient(dialog, &corners[0]);
  ScreenToClient(dialog, &corners[1]);
  list = RECT{corners[0].x, corners[0].y, corners[1].x, corners[1].y};
  InflateRect(&list, 1, 1);
  FrameRect(dc, &list, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
}

// Each deletion's list index counts in the list as it stood after the
// deletions before it, which is how the bookmark list shifts too.
void deleteConfirmed(HWND dialog) {
  const std::vector<ZmDeletedPicture> deletions = zmDeletedPictures(dialog);
  for (const ZmDeletedPicture& deleted : deletions) zmDeleteBookmark(deleted.listIndex);
  // Written at once, so that a program that is killed loses no change.
  if (!deletions.empty()) zmSaveBookmark();
  HWND mainWindow = GetWindow(dialog, GW_OWNER);
  if (IsWindow(mainWindow)) PostMessageA(mainWindow, WM_COMMAND, ZM_CMD_REBUILD_BOOKMARK_MENU, 0);
}

INT_PTR CALLBACK bookmarkDlgProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_INITDIALOG:
      fillList(dialog);
      zmPlaceDialogAtBottom(dialog, GetWindow(dialog, GW_OWNER));
      return TRUE;
    case WM_ERASEBKGND:
      paintBackground(dialog, reinterpret_cast<HDC>(wParam));
      return TRUE;
    case WM_CTLCOLORDLG:
      return zmPictureDialogColours(reinterpret_cast<HDC>(wParam));
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDOK:
          deleteConfirmed(dialog);
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

INT_PTR zmOpenBookmarkDialog(HWND mainWindow) {
  registerBookmarkDialog();
  return DialogBoxParamA(nullptr, "ViewBookmark", mainWindow, bookmarkDlgProc, 0);
}
