// shell/location.h -- the location bar: the label "Location:" and the edit
// field above the view, centred in the main window, where the user types a
// URL to open.
//
// Owns: the location font ("Courier New", height 14), the bar's geometry
// (label width, bar position, a bar 355 x 15), the edit field with the edit
// control's previous window procedure, and the open request the field posts
// (a program-wide ZmLoadRecord over the shared URL buffer). It does not own
// the shared URL buffer (shell/appstate.h, defined with the world loading),
// the field's colours (the main window answers WM_CTLCOLOREDIT) nor what
// opening the URL does (the main window's WM_ZMOPENURL).
#ifndef LUMENFOLD_SHELL_LOCATION_H
#define LUMENFOLD_SHELL_LOCATION_H

#include "platform/wintypes.h"

constexpr int ZM_LOCATION_BAR_WIDTH = 355;
constexpr int ZM_LOCATION_BAR_HEIGHT = 15;
constexpr int ZM_LOCATION_BAR_Y = 5;
constexpr const char* ZM_LOCATION_LABEL = "Location:";

// The bar's geometry as zmLayoutLocationBar last computed it.
struct ZmLocationGeometry {
  int labelWidth;  // "Location:" in the main window's default font, plus 3
  int barX;
  int barY;
};

// Makes the location font (a second call replaces the first font, deleting
// it). The font, or null when it cannot be made.
HFONT zmCreateLocationFont();

// Lays the bar out for the kept main client width (shell/layout.h): the
// label width, the bar centred (x never below 0), and the edit field moved
// to its place right of the label.
void zmLayoutLocationBar();
ZmLocationGeometry zmGetLocationGeometry();

// Draws "Location:" white on black in the location font at the bar's place,
// and a 1-pixel grey frame around the edit field.
void zmDrawLocationLabel(HDC dc);

/*
 * zmCreateLocationField --
 *   Creates the edit field as a child of `parent` (the main window), gives it
 *   the location font and puts zmLocationFieldProc in front of the edit
 *   control's own procedure. Call zmCreateLocationFont first.
 * Results:
 *   The field, or null when the window cannot be made.
 */
HWND zmCreateLocationField(HINSTANCE instance, HWND parent);
HWND zmGetLocationField();

/*
 * zmLocationFieldProc --
 *   Enter (a WM_CHAR of line feed or carriage return) opens the field's text:
 *   it is copied into zmShell.sharedUrl, and WM_ZMOPENURL is posted to the
 *   main window with the field as wParam and a program-wide record {that URL,
 *   no camera} as lParam; the character is not passed on. A text that does
 *   not fit the buffer (more than ZM_SHARED_URL_SIZE - 1 characters) is never
 *   cut: it is refused with a warning, and nothing is posted. Every other
 *   message goes to the edit control.
 */
LRESULT CALLBACK zmLocationFieldProc(HWND field, UINT msg, WPARAM wParam, LPARAM lParam);

// Puts the text into the field (the URL of the world on show); nothing while
// the field does not exist.
void zmSetLocationText(const char* text);

#endif
