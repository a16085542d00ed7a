// shell/picturelist.cpp -- the owner-drawn picture list; see picturelist.h.
#include "shell/picturelist.h"

#include <algorithm>

#include "platform/controls.h"
#include "platform/dialogs.h"
#include "platform/resources.h"
#include "platform/wingdi.h"
#include "platform/winuser.h"

namespace {

struct PictureList {
  HWND list;
  int listId;
  COLORREF background = RGB(0, 0, 0);
  COLORREF text = RGB(255, 255, 255);
  COLORREF selection = GetSysColor(COLOR_HIGHLIGHT);
  HBRUSH backgroundBrush = CreateSolidBrush(RGB(0, 0, 0));
  std::vector<ZmPictureItem> items;  // in the order added; items[i].position is i's data
  std::vector<ZmDeletedPicture> deleted;
  DLGPROC replaced;
};

PictureList* pictureList(HWND dialog) { return reinterpret_cast<PictureList*>(GetWindowLongPtrA(dialog, DWLP_USER)); }

const ZmPictureItem* itemOf(const PictureList& pictures, ULONG_PTR data) {
  for (const ZmPictureItem& item : pictures.items)
    if (item.position == int(data)) return &item;
  return nullptr;
}

void drawEntry(const PictureList& pictures, const DRAWITEMSTRUCT& draw) {
  if (draw.itemAction & ODA_FOCUS) {
    DrawFocusRect(draw.hDC, &draw.rcItem);
    return;
  }
  const bool selected = (draw.itemState & ODS_SELECTED) != 0;
  HBRUSH fill = selected ? GetSysColorBrush(COLOR_HIGHLIGHT) : pictures.backgroundBrush;
  FillRect(draw.hDC, &draw.rcItem, fill);
  const ZmPictureItem* item = draw.itemID == UINT(-1) ? nullptr : itemOf(pictures, draw.itemData);
  if (item == nullptr) return;  // an empty list: the background only
  if (item->bitmap != nullptr) {
    BITMAP size;
    GetObjectA(item->bitmap, sizeof size, &size);
    HDC memory = CreateCompatibleDC(draw.hDC);
    HGDIOBJ previous = SelectObject(memory, item->bitmap);
    SetStretchBltMode(draw.hDC, COLORONCOLOR);
    StretchBlt(draw.hDC, draw.rcItem.left, draw.rcItem.top, item->width, item->height, memory, 0, 0, size.bmWidth,
               size.bmHeight, SRCCOPY);
    SelectObject(memory, previous);
    DeleteDC(memory);
  }
  RECT caption = draw.rcItem;
  caption.left += item->width;
  SetBkMode(draw.hDC, TRANSPARENT);
  SetTextColor(draw.hDC, pictures.text);
  DrawTextA(draw.hDC, item->text.c_str(), -1, &caption, DT_CENTER | DT_VCENTER);
}

void deleteSelected(HWND dialog, PictureList& pictures) {
  const int selected = int(SendMessageA(pictures.list, LB_GETCURSEL, 0, 0));
  if (selected == LB_ERR) return;
  const int position = int(SendMessageA(pictures.list, LB_GETITEMDATA, WPARAM(selected), 0));
  pictures.deleted.push_back({selected, position});
  SendMessageA(pictures.list, LB_DELETESTRING, WPARAM(selected), 0);
  const int left = int(SendMessageA(pictures.list, LB_GETCOUNT, 0, 0));
  if (left > 0)
    SendMessageA(pictures.list, LB_SETCURSEL, WPARAM(std::min(selected, left - 1)), 0);
  else
    SetFocus(pictures.list);
}

void putBackLast(PictureList& pictures) {
  if (pictures.deleted.empty()) return;
  const ZmDeletedPicture last = pictures.deleted.back();
  pictures.deleted.pop_back();
  const int index = int(SendMessageA(pictures.list, LB_INSERTSTRING, WPARAM(last.listIndex), LPARAM(last.position)));
  if (const ZmPictureItem* item = itemOf(pictures, ULONG_PTR(last.position)))
    SendMessageA(pictures.list, LB_SETITEMHEIGHT, WPARAM(index), LPARAM(item->height));
  SendMessageA(pictures.list, LB_SETCURSEL, WPARAM(index), 0);
}

void freePictureList(HWND dialog, PictureList* pictures) {
  for (ZmPictureItem& item : pictures->items)
    if (item.bitmap != nullptr) DeleteObject(item.bitmap);
  DeleteObject(pictures->backgroundBrush);
  SetWindowLongPtrA(dialog, DWLP_USER, 0);
  delete pictures;
}

INT_PTR CALLBACK pictureListProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
  PictureList* pictures = pictureList(dialog);
  if (pictures == nullptr) return FALSE;
  const DLGPROC replaced = pictures->replaced;
  switch (msg) {
    case WM_DRAWITEM: {
      const auto* draw = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      if (draw->CtlID != UINT(pictures->listId)) break;
      drawEntry(*pictures, *draw);
      return TRUE;
    }
    case WM_MEASUREITEM: {
      auto* measure = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
      const ZmPictureItem* item = measure->CtlID == UINT(pictures->listId) ? itemOf(*pictures, measure->itemData) : nullptr;
      if (item == nullptr) break;
      measure->itemHeight = UINT(item->height);
      return TRUE;
    }
    case WM_CTLCOLORLISTBOX:
      SetTextColor(reinterpret_cast<HDC>(wParam), pictures->text);
      SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
      return reinterpret_cast<INT_PTR>(pictures->backgroundBrush);
    case WM_COMMAND:
      if (LOWORD(wParam) == ZM_PICTURES_DELETE) {
        deleteSelected(dialog, *pictures);
        return TRUE;
      }
      if (LOWORD(wParam) == ZM_PICTURES_UNDO) {
        putBackLast(*pictures);
        return TRUE;
      }
      break;
    case WM_DESTROY: {
      INT_PTR result = replaced(dialog, msg, wParam, lParam);
      freePictureList(dialog, pictures);
      return result;
    }
  }
  return replaced(dialog, msg, wParam, lParam);
}

}  // namespace

int zmAttachPictureList(HWND dialog, int listId) {
  HWND list = GetDlgItem(dialog, listId);
  if (list == nullptr) return -1;
  SendMessageA(list, LB_RESETCONTENT, 0, 0);
  auto* pictures = new PictureList{list, listId};
  pictures->replaced = reinterpret_cast<DLGPROC>(GetWindowLongPtrA(dialog, DWLP_DLGPROC));
  SetWindowLongPtrA(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(pictures));
  SetWindowLongPtrA(dialog, DWLP_DLGPROC, reinterpret_cast<LONG_PTR>(pictureListProc));
  return 0;
}

int zmAddPictureItem(HWND dialog, const ZmPictureItem& item) {
  PictureList* pictures = pictureList(dialog);
  if (pictures == nullptr) return -1;
  pictures->items.push_back(item);
  const int index = int(SendMessageA(pictures->list, LB_ADDSTRING, 0, LPARAM(item.position)));
  SendMessageA(pictures->list, LB_SETITEMHEIGHT, WPARAM(index), LPARAM(item.height));
  return 0;
}

std::vector<ZmDeletedPicture> zmDeletedPictures(HWND dialog) {
  PictureList* pictures = pictureList(dialog);
  return pictures != nullptr ? pictures->deleted : std::vector<ZmDeletedPicture>{};
}

void zmPlaceDialogAtBottom(HWND dialog, HWND mainWindow) {
  RECT own, main, desktop;
  if (!GetWindowRect(dialog, &own) || !GetWindowRect(mainWindow, &main) ||
      !GetWindowRect(GetDesktopWindow(), &desktop))
    return;
  const int height = own.bottom - own.top;
  int top = main.bottom - height;
  top = std::min(top, int(desktop.bottom) - height);
  top = std::max(top, int(desktop.top));
  SetWindowPos(dialog, nullptr, own.left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

INT_PTR zmPictureDialogColours(HDC dc) {
  SetTextColor(dc, RGB(255, 255, 255));
  SetBkMode(dc, TRANSPARENT);
  return reinterpret_cast<INT_PTR>(GetStockObject(BLACK_BRUSH));
}
