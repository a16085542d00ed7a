// shell/placement.h -- where the program's own windows open beside the main
// window.
//
// Owns: the choice of a place for a window of a given size beside another
// one (a preferred side, then the others, then the screen's nearest place)
// and putting the Messages and Chat windows there when they first show.
// Rectangles are outer ones: the window manager's frame (platform/desktop.h)
// counts, so that frames do not overlap either. It does not own the windows
// nor the dialogs' placement (the platform's).
#ifndef LUMENFOLD_SHELL_PLACEMENT_H
#define LUMENFOLD_SHELL_PLACEMENT_H

#include "platform/winuser.h"

enum class ZmSide { Below, Right, Left, Above };

/*
 * zmPlaceBeside --
 *   The outer rectangle of `width` x `height` beside `anchor` on the first
 *   side of `preferred`, then below, right, left and above, where it fits
 *   whole on `screen`, slid along that side to stay on the screen. When no
 *   side leaves room, the preferred place moved onto the screen (its
 *   top-left corner kept on screen when the window is larger).
 */
RECT zmPlaceBeside(const RECT& anchor, int width, int height, ZmSide preferred, const RECT& screen);

/*
 * zmPlaceWindowBeside --
 *   Moves `hwnd` beside `anchor` (see zmPlaceBeside) on the screen, frames
 *   included. Nothing for invalid windows.
 */
void zmPlaceWindowBeside(HWND hwnd, HWND anchor, ZmSide preferred);

#endif
