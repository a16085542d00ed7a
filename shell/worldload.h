// shell/worldload.h -- the road from a URL to a world on show.
//
// Owns: the reloading flag with its saved camera, the failed-load observer,
// and the operations that fetch, build, re-show, leave and reload worlds,
// with the handling of WM_ZMLOADWORLD; they drive the application state's
// transitions and keep the shared URL buffer, the pending camera and the
// viewer-registration result. All of that state is kept in the shell's
// record (shell/appstate.h). It does not own the built worlds and the
// history (shell/worldcache.h), the fetching (loading/wwwlink.h) nor the
// windows.
//
// Every URL copied into a fixed buffer here fits whole (at most
// ZM_SHARED_URL_SIZE - 1 characters) or is refused with a warning.
#ifndef LUMENFOLD_SHELL_WORLDLOAD_H
#define LUMENFOLD_SHELL_WORLDLOAD_H

#include "shell/appstate.h"

struct ZmHistory;
struct ZmRT;

/*
 * zmGoToUrl --
 *   Shows the world at the URL: a cached one at once (a new history step),
 *   else asks the browser link to fetch it, the camera waiting as the
 *   pending camera for the world's arrival (WM_ZMLOADWORLD).
 * Results:
 *   0; -1 while the program is not registered as a viewer or when the fetch
 *   fails (zmEndFailedFetch then puts back what was shown); a re-shown
 *   world's zmActivateWorld result.
 */
int zmGoToUrl(const char* url, const ZmRT* camera);

/*
 * zmLoadWorld --
 *   Builds a new world from the local VRML file and shows it; the world
 *   joins the cache and, unless it is being reloaded, the history.
 * Results:
 *   0. On failure the Messages window says why (for a file that cannot be
 *   read or does not build), the half-built world is deleted, the history
 *   is as it was and the world of its current entry is shown again (or, when
 *   the cache no longer holds it, the program waits: state 1): -1 for a URL
 *   that is too long, a file that cannot be read, a world that cannot be
 *   made or an avatar that cannot join; the reader's code when the file does
 *   not build.
 */
int zmLoadWorld(const char* localFile, const char* url, const ZmRT* camera);
// Re-shows the cached world of the URL as a new history step; as
// zmActivateWorld, or -1 when memory runs out.
int zmLoadCachedWorld(const char* url, const ZmRT* camera);
/*
 * zmActivateWorld --
 *   Makes the cached world of the history entry the one on show (none when
 *   the cache no longer holds it: nothing is shown), seen from the camera
 *   when one is given; the entry becomes current.
 * Results:
 *   0; -1 when the world's avatar cannot join.
 */
int zmActivateWorld(ZmHistory* entry, const ZmRT* camera);
// Leaves the world on show (its "WORLD_OUT" event). 0.
int zmLeaveWorld(const char* name);
// Throws the cached world of the URL away and fetches it again in place of
// the current history entry. -1 when the cache holds no such world or the
// URL is too long; else as zmGoToUrl.
int zmReloadWorld(const char* url, const ZmRT* camera);

/*
 * zmEndFailedFetch --
 *   A fetch that did not bring its world (failed, stopped, cancelled) ends:
 *   a pending reload is forgotten, the loading state gives way to the world
 *   still on show (or to waiting when there is none), the location bar
 *   shows that world's URL again and the failed-load observer is told. A
 *   world being built is left to its build.
 */
void zmEndFailedFetch();

// The main window's WM_ZMLOADING: the loading state (2) with its signs, the
// Stop button enabled and the lamp blinking (kept blinking by
// zmKeepLoadingLamp); nothing while a world is being built.
void zmOnLoading();
// While a world is fetched the lamp blinks on: a blink that has run out
// starts again. Called on every tick of the main window.
void zmKeepLoadingLamp();

// Called after every load that failed, once the program shows again what it
// showed before (a test or the program's frame count watch it); null for
// none.
void zmSetFailedLoadObserver(void (*observer)());

// Decodes every '%' followed by two hexadecimal digits into one byte, in
// place; any other '%' stays as it is. Null is ignored.
void zmUnescapeUrl(char* text);

/*
 * zmOnLoadWorld --
 *   The main window's WM_ZMLOADWORLD: dropped while a world is being built
 *   (state 3); otherwise the world on show is left and the record's world
 *   built or, when cached, re-shown; then the next word of the command line,
 *   if any, is opened. The record's URL is unescaped in place.
 * Results:
 *   0.
 */
LRESULT zmOnLoadWorld(ZmLoadRecord* record);

// Copies the URL whole into the buffer of `size` characters; false with the
// warning "%s: the URL is longer than %d characters: refused" (`who`, the
// limit) when it does not fit. A null URL copies as the empty text.
bool zmCopyUrl(char* buffer, size_t size, const char* url, const char* who);

#endif
