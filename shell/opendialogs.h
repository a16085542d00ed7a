// shell/opendialogs.h -- the small modal boxes the menu commands open: the
// dialog "OPENURL", the open-file dialog for worlds, and the About box.
//
// Owns: the dialog resource "OPENURL" and its procedure, the open-file
// dialog's filters and limits, and the About text. It does not own what
// is done with the URL or file chosen (shell/commands.h) nor the shared
// URL buffer it edits (shell/appstate.h).
#ifndef LUMENFOLD_SHELL_OPENDIALOGS_H
#define LUMENFOLD_SHELL_OPENDIALOGS_H

#include <cstddef>

#include "platform/wintypes.h"

// Control ids of the dialog "OPENURL" besides IDOK and IDCANCEL.
enum { ZM_URLDLG_URL = 200, ZM_URLDLG_HELP = 998 };

/*
 * zmOpenUrlDialog --
 *   Runs "OPENURL" over the main window with the shared URL buffer's text
 *   in its field. OK copies the field (at most ZM_SHARED_URL_SIZE - 1
 *   characters) back into the buffer.
 * Results:
 *   1 for OK, 0 for Cancel.
 */
INT_PTR zmOpenUrlDialog(HWND mainWindow);

/*
 * zmOpenFileDialog --
 *   The open-file dialog for a world file ("VRML Files (*.wrl)" first,
 *   then "All Files (*.*)"); the file must exist.
 * Results:
 *   true with the chosen path in `path` (of `size` bytes); false when
 *   cancelled.
 */
bool zmOpenFileDialog(HWND mainWindow, char* path, size_t size);

// The About box over the main window, with the message-box flag set while
// it shows; with Shift held the credits go to the log window instead.
void zmShowAbout(HWND mainWindow);

#endif
