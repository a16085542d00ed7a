// platform/vfw.h -- the MCI window stand-in: a child window that plays a
// video file.
//
// Owns: the "MCIWndClass" window class, the decoding of the file (through
// FFmpeg's libraries), drawing its frames into the window at the file's own
// rate, and the stop notice. It does not own what surrounds the window (the
// caller's video window) nor any sound the program itself plays; the file's
// sound track is not played.
//
// The window takes the size of the video. MCI_PLAY starts playing from the
// current frame; when the last frame has been shown the window sends its
// parent MCIWNDM_NOTIFYMODE with MCI_MODE_STOP (only with
// MCIWNDF_NOTIFYMODE). MCI_STOP stops it where it is. The decoder is freed
// when the window is destroyed.
#ifndef LUMENFOLD_PLATFORM_VFW_H
#define LUMENFOLD_PLATFORM_VFW_H

#include "platform/windows.h"

#define MCI_PLAY 0x0806
#define MCI_STOP 0x0808
#define MCI_MODE_STOP 525
#define MCI_MODE_PLAY 526

#define MCIWNDM_NOTIFYMODE (WM_USER + 200)

#define MCIWNDF_NOAUTOSIZEWINDOW 0x0001
#define MCIWNDF_NOPLAYBAR 0x0002
#define MCIWNDF_NOAUTOSIZEMOVIE 0x0004
#define MCIWNDF_NOMENU 0x0008
#define MCIWNDF_NOTIFYMODE 0x0100
#define MCIWNDF_NOTIFYANSI 0x0080

/*
 * MCIWndCreateA --
 *   A child window of `parent` that holds the video in `file`, showing its
 *   first frame.
 * Results:
 *   The window, or NULL when the file cannot be opened or holds no video
 *   stream that can be decoded (nothing is left behind then).
 */
HWND MCIWndCreateA(HWND parent, HINSTANCE instance, DWORD style, LPCSTR file);

namespace platform {
// Frames shown so far by an MCI window (0 for any other window), for tests.
int mciFramesShown(HWND mciWindow);
}  // namespace platform

#endif
