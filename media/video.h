// media/video.h -- the video window: a video played over the 3-D view.
//
// Owns: the "ZmVideo" window class, the one video window and the MCI window
// inside it (platform/vfw.h), pausing every sound while it plays and
// resuming them when it closes. A left press, a right release or the end of
// the video closes it. It does not own the decoding (the platform's MCI
// window) nor the sounds (media/sound.h).
//
// A second zmVideoPlay while a video shows closes the first one and plays
// the new file, so that sounds are paused and resumed exactly once each.
#ifndef LUMENFOLD_MEDIA_VIDEO_H
#define LUMENFOLD_MEDIA_VIDEO_H

#include "platform/windows.h"

/*
 * zmVideoPlay --
 *   Pauses every sound and plays `file` in a window over the current
 *   world's view window (the main window when no world shows).
 * Results:
 *   0, or -1 when the class, the video window or the MCI window cannot be
 *   made (an unreadable file among them); sounds are resumed then.
 */
int zmVideoPlay(const char* file);

// The video window while a video plays, else NULL.
HWND zmVideoWindow();

#endif
