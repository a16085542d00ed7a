// loading/desktopopen.h -- documents handed to the desktop's own browser.
//
// Owns: handing a URL that no viewer of ours takes (a web page, a mail
// address, a picture opened from an anchor) to `xdg-open`, started straight
// from $PATH without a shell, the URL its one argument, and reaping those
// started (the caller keeps the list of them); and the schemes that may go there: http, https, ftp, file and
// mailto. It does not own the choice of what goes (browserservice.h) nor
// the rule that a world from the web opens no local file (weblink.h),
// which has refused such a URL before it gets here.
//
// Every hand-over is recorded (platform/recorder.h) as kind "DesktopOpen"
// with the URL.
#ifndef LUMENFOLD_LOADING_DESKTOPOPEN_H
#define LUMENFOLD_LOADING_DESKTOPOPEN_H

#include <sys/types.h>

#include <vector>

// True for a URL the desktop's browser may be given: one of the schemes
// above, and no control characters.
bool zmDesktopMayOpen(const char* url);

/*
 * zmDesktopOpen --
 *   Starts `xdg-open URL` and returns without waiting for it. xdg-open may
 *   outlive the call (it waits for some browsers): `started` is the
 *   caller's list of openers not yet reaped.
 * Results:
 *   0 when it started; -1 when the URL may not be handed over or the
 *   program cannot be started (not installed).
 * Side effects:
 *   The openers of `started` that have ended are reaped and dropped from
 *   it; the new one is added.
 */
int zmDesktopOpen(const char* url, std::vector<pid_t>& started);

#endif
