// shell/avatar.h -- the avatar chooser: which of the avatars the program
// ships the user appears as, and the dialog "ViewAvatar" that shows them.
//
// Owns: the fixed table of avatars (a world file and a picture in the
// data folder each), the current choice (kept in the shell's record,
// shell/appstate.h), and the dialog with its picture list. It does not own the avatar worlds or pictures (shipped in
// the data folder) nor their use (the multi-user client announces
// zmGetAvatarFile; the viewer's own person is "person.wrl" whatever the
// choice).
#ifndef LUMENFOLD_SHELL_AVATAR_H
#define LUMENFOLD_SHELL_AVATAR_H

#include "platform/wintypes.h"

// The current avatar's world file ("person.wrl", "boy.wrl" or
// "girl.wrl"); "person.wrl" until another is chosen. The text is static.
const char* zmGetAvatarFile();

// Control ids of the dialog "ViewAvatar" besides IDOK (SELECT) and
// IDCANCEL.
enum { ZM_AVDLG_LIST = 2001 };

/*
 * zmOpenAvatarDialog --
 *   Runs the dialog over the main window: every avatar with its picture
 *   (none when the picture cannot be read) and its world file, the current
 *   one selected. SELECT makes the selected one current; CANCEL keeps the
 *   current one.
 * Results:
 *   0.
 */
int zmOpenAvatarDialog(HWND mainWindow);

// Test support: forgets the choice, as at the start of a run.
void zmResetAvatarForTest();

#endif
