// shell/picturelist.h -- an owner-drawn list of pictures with captions that
// attaches itself to a dialog's list box, and the placement of such
// dialogs at the bottom of the main window.
//
// Owns: the list's items and their bitmaps (deleted when the dialog goes),
// the record of deleted entries that lets them be put back, the drawing of
// its entries (WM_DRAWITEM, WM_MEASUREITEM, WM_CTLCOLORLISTBOX) and the
// dialog commands ZM_PICTURES_DELETE and ZM_PICTURES_UNDO, which it answers
// in front of the dialog's own procedure. It does not own the dialog, what
// the entries stand for (avatars, bookmarks) nor what a dialog does with
// the deletions when it closes.
//
// Entries are identified by their item data: the position given when the
// item was added, which stays the item's while entries before it are
// deleted and put back.
#ifndef LUMENFOLD_SHELL_PICTURELIST_H
#define LUMENFOLD_SHELL_PICTURELIST_H

#include <string>
#include <vector>

#include "platform/wintypes.h"

// The dialog commands the list answers.
enum { ZM_PICTURES_DELETE = 2010, ZM_PICTURES_UNDO = 2020 };

struct ZmPictureItem {
  int width;       // the picture's size on screen
  int height;      // also the entry's height
  HBITMAP bitmap;  // owned by the list once added; null draws no picture
  std::string text;  // a '\n' breaks it into lines
  int position;
};

// A deleted entry: where it stood in the list box, and its item's position.
struct ZmDeletedPicture {
  int listIndex;
  int position;
};

/*
 * zmAttachPictureList --
 *   Empties the dialog's list box `listId` and puts the picture list's own
 *   procedure in front of the dialog's; the record lives in the dialog's
 *   user word (DWLP_USER) until the dialog is destroyed.
 * Results:
 *   0, or -1 when the dialog has no such list box.
 */
int zmAttachPictureList(HWND dialog, int listId);

// Appends the item (the list takes its bitmap) and an entry for it whose
// height is the item's; 0, or -1 when no list is attached.
int zmAddPictureItem(HWND dialog, const ZmPictureItem& item);

// The deletions not undone, oldest first (empty when no list is
// attached). Each list index counts in the list as it stood after the
// deletions before it.
std::vector<ZmDeletedPicture> zmDeletedPictures(HWND dialog);

/*
 * zmPlaceDialogAtBottom --
 *   Keeps the dialog's x and size and moves it so that its bottom is the
 *   main window's bottom, but its top not above the desktop's top and its
 *   bottom not below the desktop's bottom.
 */
void zmPlaceDialogAtBottom(HWND dialog, HWND mainWindow);

// The answer of a picture dialog to WM_CTLCOLORDLG: white text, drawn
// transparently, on the black brush it returns.
INT_PTR zmPictureDialogColours(HDC dc);

#endif
