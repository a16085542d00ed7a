// platform/resources.h -- the program's resources defined in code (bitmaps,
// icons, cursors), the system colours and the mouse cursor.
//
// Owns: the table of named bitmap resources that LoadBitmapA copies from,
// the cursor and icon handles (the stock ones and those the program names),
// the current cursor and WM_SETCURSOR's default, and the system colour
// table. It does not own menu and dialog resources (menus.h, dialogs.h:
// each keeps its own table) nor how a presenter shows a cursor (it asks
// currentPointerShape).
//
// Resource names are strings or MAKEINTRESOURCE numbers; a string name is
// compared without regard to case, as the original does.
#ifndef LUMENFOLD_PLATFORM_RESOURCES_H
#define LUMENFOLD_PLATFORM_RESOURCES_H

#include <cstdint>
#include <string>
#include <vector>

#include "platform/wingdi.h"
#include "platform/wintypes.h"

#define MAKEINTRESOURCEA(i) ((LPSTR)(ULONG_PTR)(WORD)(i))
#define MAKEINTRESOURCE MAKEINTRESOURCEA
#define IS_INTRESOURCE(p) ((((ULONG_PTR)(p)) >> 16) == 0)

// ------------------------------------------------------------ system colours

#define COLOR_SCROLLBAR 0
#define COLOR_BACKGROUND 1
#define COLOR_ACTIVECAPTION 2
#define COLOR_INACTIVECAPTION 3
#define COLOR_MENU 4
#define COLOR_WINDOW 5
#define COLOR_WINDOWFRAME 6
#define COLOR_MENUTEXT 7
#define COLOR_WINDOWTEXT 8
#define COLOR_CAPTIONTEXT 9
#define COLOR_ACTIVEBORDER 10
#define COLOR_INACTIVEBORDER 11
#define COLOR_APPWORKSPACE 12
#define COLOR_HIGHLIGHT 13
#define COLOR_HIGHLIGHTTEXT 14
#define COLOR_BTNFACE 15
#define COLOR_BTNSHADOW 16
#define COLOR_GRAYTEXT 17
#define COLOR_BTNTEXT 18
#define COLOR_INACTIVECAPTIONTEXT 19
#define COLOR_BTNHIGHLIGHT 20

// The colour of a display element; black for an unknown index.
DWORD GetSysColor(int index);
// A stock solid brush of the colour (never to be deleted); null for an
// unknown index.
HBRUSH GetSysColorBrush(int index);

// ---------------------------------------------------------- cursors, icons

#define IDC_ARROW MAKEINTRESOURCEA(32512)
#define IDC_IBEAM MAKEINTRESOURCEA(32513)
#define IDC_WAIT MAKEINTRESOURCEA(32514)
#define IDC_CROSS MAKEINTRESOURCEA(32515)
#define IDC_UPARROW MAKEINTRESOURCEA(32516)
#define IDC_SIZEALL MAKEINTRESOURCEA(32646)
#define IDC_SIZENWSE MAKEINTRESOURCEA(32642)
#define IDC_SIZENESW MAKEINTRESOURCEA(32643)
#define IDC_SIZEWE MAKEINTRESOURCEA(32644)
#define IDC_SIZENS MAKEINTRESOURCEA(32645)
#define IDC_NO MAKEINTRESOURCEA(32648)
#define IDC_HAND MAKEINTRESOURCEA(32649)

#define IDI_APPLICATION MAKEINTRESOURCEA(32512)
#define IDI_HAND MAKEINTRESOURCEA(32513)
#define IDI_QUESTION MAKEINTRESOURCEA(32514)
#define IDI_EXCLAMATION MAKEINTRESOURCEA(32515)
#define IDI_ASTERISK MAKEINTRESOURCEA(32516)

// A stock cursor (instance null and an IDC_ number), or a cursor resource
// the program registered under the name (see registerCursorResource).
// Null for an unknown name. Cursors are shared: never destroyed.
HCURSOR LoadCursorA(HINSTANCE instance, LPCSTR name);
HICON LoadIconA(HINSTANCE instance, LPCSTR name);
// Makes `cursor` the one shown (null hides it); the previous one.
HCURSOR SetCursor(HCURSOR cursor);
HCURSOR GetCursor();
// Each call hides (-1) or shows (+1) the cursor once; the new count, the
// cursor showing while it is 0 or more.
int ShowCursor(BOOL show);

// ----------------------------------------------------------------- bitmaps

// A new bitmap holding a copy of the named bitmap resource (a DIB section
// in the resource's own format, colour table included); null when no
// resource has the name. The caller deletes it with DeleteObject.
HBITMAP LoadBitmapA(HINSTANCE instance, LPCSTR name);

namespace platform {

// The shapes a presenter can show; a cursor handle stands for one of them.
// Link, Pick, Grab and Drag are the program's own cursor resources "URL",
// "PICK", "GRAB" and "DRAG", there from the start.
enum class PointerShape { Arrow, IBeam, Wait, Cross, UpArrow, SizeAll, SizeNwse, SizeNesw, SizeWe,
                         SizeNs, No, Hand, Link, Pick, Grab, Drag, Hidden };

PointerShape pointerShape(HCURSOR cursor);  // Arrow for an unknown handle
// The shape on show: the current cursor, Hidden while ShowCursor's count
// is below 0.
PointerShape currentPointerShape();
// Grows on every change of the shape on show, so that a presenter can tell.
uint32_t cursorGeneration();

// Registers a cursor resource under `name` showing `shape`; a second
// registration of the name replaces the first.
void registerCursorResource(const std::string& name, PointerShape shape);

// A bitmap resource: `bitsPerPixel` 8 (with `colours`), 16 (5:6:5) or 24,
// rows from the top, each padded to 4 bytes.
struct BitmapResource {
  int width = 0;
  int height = 0;
  int bitsPerPixel = 24;
  std::vector<RGBQUAD> colours;
  std::vector<uint8_t> bits;
};
// Registers (or replaces) the bitmap resource `name`; false when its size,
// depth or pixel count does not add up.
bool registerBitmapResource(const std::string& name, BitmapResource bitmap);
void clearBitmapResources();

// The resource name as a table key: "#123" for a number, else the name in
// upper case.
std::string resourceKey(LPCSTR name);

}  // namespace platform

#endif
