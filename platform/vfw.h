// platform/vfw.h -- the MCI window stand-in: a child window that plays a
// video file.
//
// Owns: the "MCIWndClass" window class, the playing of the file (decoded by
// moviefile.h): drawing its frames into the window at the file's own rate,
// and its sound track through a wave-out device of its own (trackplayer.h)
// in step with them; and the stop notice. It does not own what surrounds
// the window (the caller's video window) nor any sound the program itself
// plays.
//
// The window takes the size of the video. MCI_PLAY starts playing from the
// current frame; when the last frame has had its time and the sound has
// played out, the window sends its parent MCIWNDM_NOTIFYMODE with
// MCI_MODE_STOP (only with MCIWNDF_NOTIFYMODE). MCI_STOP stops picture and
// sound where they are. A file without sound plays its picture alone. The
// window's procedure takes the wave device's MM_WOM_* notices, so a
// subclass must pass them on. Decoder and device are freed when the window
// is destroyed.
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
// Frames drawn so far by an MCI window (those skipped for being late not
// counted; 0 for any other window), for tests.
int mciFramesShown(HWND mciWindow);
}  // namespace platform

#endif
