// shell/bookmarks.h -- the 3-D bookmarks: a world's URL and a camera
// position in it, with a title and a thumbnail of the view.
//
// Owns: the program-wide list of bookmarks (in file order), the file
// "landmark.htm" and the thumbnails "markNN.bmp" in the user folder (NN the
// bookmark's position from 0), adding a bookmark of a world's active
// camera, deleting one with its thumbnail (the later thumbnails renumbered
// so they stay named by position), the entries of the Bookmark menu, going
// to a bookmark, the dialog "ViewBookmark" and the functions the viewer
// calls through its hooks to read the bookmarks at start and save them at
// exit. It does not own the Bookmark menu itself nor the commands (the
// menu code appends the entries given here), the loading of another world
// (the caller's `goToUrl`), nor the BMP files' format (shell/dibfile.h).
//
// The file: three header lines, one line per bookmark
//   "\t<DT><A HREF=\"URL\" LOC=\"tx ty tz m00 m10 m20 m01 m11 m21 m02 m12 m22\">TITLE\n"
// (numbers in "%f" form, the matrix column by column), then "</DL><P>".
// No bookmarks: an empty file. The file is replaced whole: written to a
// temporary file in the same folder, then renamed over it, so a write that
// fails keeps the previous file.
#ifndef LUMENFOLD_SHELL_BOOKMARKS_H
#define LUMENFOLD_SHELL_BOOKMARKS_H

#include <string>
#include <vector>

#include "core/vecmath.h"
#include "platform/wintypes.h"

struct ZmObj;
struct ZmWorld;

struct ZmBookmark {
  ZmBookmark* next;
  char* title;   // owned
  char* url;     // owned
  ZmRT camera;   // world transform of the camera when the bookmark was made
};

// The Bookmark menu's entries take ids 1 to at most this many, below every
// command id (101 and up); further bookmarks stay in the file and the
// dialog.
constexpr int ZM_MAX_BOOKMARK_MENU_ENTRIES = 100;

// The command the bookmark dialog posts to the main window after OK
// deleted entries: rebuild the bookmark entries of the menu.
constexpr int ZM_CMD_REBUILD_BOOKMARK_MENU = 115;

/*
 * zmReadBookmark --
 *   Replaces the list with the bookmarks of "landmark.htm" in the user
 *   folder. A missing file gives none; reading stops at the first line that
 *   does not match the bookmark line and keeps what was read.
 * Results:
 *   The first bookmark, or null.
 */
ZmBookmark* zmReadBookmark();

/*
 * zmSaveBookmark --
 *   Writes the list to "landmark.htm" (empty for no bookmarks).
 * Results:
 *   0; -1 after the warning "zmSaveBookmark: can not open bookmark file"
 *   (nothing written) or the error "zmSaveBookmark: maybe disk full, PATH";
 *   the previous file stays in both cases.
 */
int zmSaveBookmark();

/*
 * zmAddBookmark --
 *   Appends a bookmark of the world's active camera: its world transform,
 *   the world's URL, and the title "TITLE(x,y,z)" (the world's title or
 *   "Unknown World", then the camera's position).
 * Results:
 *   The new bookmark's title (owned by the bookmark), or null after a
 *   warning ("zmAddBookmark: NULL world", "zmAddBookmark: NULL camera") or
 *   error ("zmSetBookmark: url is NULL", "zmAddBookmark: zmMalloc failed").
 */
const char* zmAddBookmark(ZmWorld* world);

// Fills the bookmark from the world and its camera object (its texts are
// replaced); 0, or -1 after "zmSetBookmark: url is NULL" or a failed
// allocation.
int zmSetBookmark(ZmBookmark* bookmark, ZmWorld* world, ZmObj* camera);

int zmGetBookmarkCount();
// The bookmark at the position (0 <= position < count) and, when
// `previous` is given, its predecessor (null for the first); null for a
// position outside the list.
ZmBookmark* zmGetBookmark(int position, ZmBookmark** previous);

/*
 * zmDeleteBookmark --
 *   Unlinks and frees the bookmark at the position, deletes its thumbnail
 *   and renames the thumbnails after it down by one.
 * Results:
 *   0, or -1 for a position outside the list.
 */
int zmDeleteBookmark(int position);

// Frees every bookmark (the files stay). For shut-down and tests.
void zmFreeBookmarks();

// The path of the thumbnail of a position ("markNN.bmp" in the user
// folder); empty when there is no user folder.
std::string zmBookmarkThumbnailPath(int position);

/*
 * zmCaptureBookmarkThumbnail --
 *   Writes the thumbnail of the newest bookmark (position count - 1): the
 *   view window's client area at half its width and height, at the
 *   display's depth (24 bits for 15- and 16-bit displays).
 * Results:
 *   0; -8 when the folder is missing, -10 when the disk is full, -1 for any
 *   other failure (nothing is reported).
 */
int zmCaptureBookmarkThumbnail(HWND view);

// One entry of the Bookmark menu.
struct ZmBookmarkMenuEntry {
  int id;  // 1, 2, ...: command id id goes to bookmark id - 1
  std::string title;
};

// The entries for the bookmarks in list order, at most
// ZM_MAX_BOOKMARK_MENU_ENTRIES of them.
std::vector<ZmBookmarkMenuEntry> zmBookmarkMenuEntries();

/*
 * zmGoToBookmark --
 *   Goes to the bookmark at the position: when the current world is the
 *   bookmark's world (its name equals the URL), its person is moved to the
 *   bookmark's camera; otherwise goToUrl(URL, camera) loads the world (the
 *   main window's zmGoToUrl).
 * Results:
 *   That of the move or of goToUrl; -1 for a position outside the list.
 */
int zmGoToBookmark(int position, int (*goToUrl)(const char* url, const ZmRT* camera));

// Runs the dialog "ViewBookmark" over the main window; after OK deleted
// bookmarks it posts ZM_CMD_REBUILD_BOOKMARK_MENU to the main window.
// The dialog's result: 1 for OK, 0 for Cancel.
INT_PTR zmOpenBookmarkDialog(HWND mainWindow);

// Control ids of the dialog.
enum { ZM_BMDLG_LIST = 2000, ZM_BMDLG_DELETE = 2010, ZM_BMDLG_UNDO = 2020 };

#endif
