// loading/wwwlink.h -- the browser link: opening worlds and fetching files
// by URL, local ones and those of the web.
//
// Owns: the base URL against which relative URLs are resolved, the fetch
// and result buffers of the document in hand, the static load record posted
// with WM_ZMLOADWORLD, the program's viewer registration and the busy flag
// of browser requests. No browser service exists yet: registration succeeds
// with the local service only; "file:" URLs are opened and fetched here,
// "http:" and "https:" ones through the web half (loading/weblink.h), and
// any other URL is refused with the warning "%s: only local and web worlds
// can be opened". It does not own what the main window does with the posted
// messages (the shell) nor the file types and post-processing
// (loading/filetype.h).
#ifndef LUMENFOLD_LOADING_WWWLINK_H
#define LUMENFOLD_LOADING_WWWLINK_H

#include "platform/winuser.h"

struct ZmUrlHash;

// Messages the link posts to the main window.
#define WM_ZMLOADWORLD (WM_USER + 0)  // lParam: ZmLoadRecord*
#define WM_ZMLOADING (WM_USER + 1)    // a world is on its way

// A fetched world handed to the main window: its local copy and its URL. The
// open request (WM_ZMOPENURL) reuses the record as {URL, camera}: `local`
// then holds the URL and `url` the camera (a ZmRT*, or null).
struct ZmLoadRecord {
  const char* local;
  const char* url;
};

// Copies the URL into the base URL. 0; -1 (the base unchanged) with a
// warning for a null URL or one that does not fit.
int zmWwwSetBaseUrl(const char* url);
const char* zmWwwGetBaseUrl();

/*
 * zmWwwOpenUrl --
 *   Opens the world at `url`, resolved against the base URL. A VRML world
 *   (type 4, or gzip with inner type 4) is prepared into the fetch buffer:
 *   a "file:" one by zmPreProcessFile, a web one fetched first (zmWebFetch:
 *   the windows stay alive meanwhile and the Stop path ends the fetch).
 *   Then the base URL becomes the resolved URL, and WM_ZMLOADING then
 *   WM_ZMLOADWORLD with the static load record {fetch buffer, base URL} are
 *   posted to the main window.
 * Results:
 *   0 when the messages were posted; -1 when the URL cannot be resolved,
 *   is not a local or web world (warned), cannot be fetched (warned) or
 *   prepared. Nothing is posted on failure.
 */
int zmWwwOpenUrl(const char* url);

// True when `url`, resolved against the base URL, is a world on the web
// (which zmWwwOpenUrl fetches without the browser).
bool zmWwwIsWebWorld(const char* url);

// Opens a local file by name (absolute, or relative to the current folder)
// as zmWwwOpenUrl does with its file URL. 0 or -1.
int zmWwwOpenFile(const char* path);

/*
 * zmWwwFilenameToUrl --
 *   The "file:" URL of a local file name (made absolute from the current
 *   folder).
 * Results:
 *   The URL in a buffer of 256 characters that the next call overwrites;
 *   null after "%s: FileLength=%u: url buffer 256 size is overflow." for a
 *   name of 256 characters or more, or when the URL does not fit.
 */
const char* zmWwwFilenameToUrl(const char* file);

/*
 * zmWwwFetchUrl --
 *   The synchronous fetch behind zmGetLocalFile: the entry's URL resolved
 *   against the base URL must be a readable local file or a web document
 *   (fetched by zmWebFetch); it is post-processed and the entry's type code
 *   set from the result. A world whose own URL is a web URL gets no local
 *   file at all (zmWebRefusesLocal).
 * Results:
 *   The local file, in a buffer the next fetch overwrites; null when the URL
 *   is neither local nor web (warned), is refused (warned), cannot be
 *   resolved, read or fetched, or fails to post-process.
 */
const char* zmWwwFetchUrl(ZmUrlHash* entry);

// The Stop command's cancel: every web fetch running now ends, failed. 0.
int zmWwwCancelProgress();

// 1 while a request to the browser runs; there are no requests yet, so 0.
int zmDdeIsBusy();
// Registers the program as the viewer of VRML worlds: 0 (the local service
// only). Withdrawing it: 0.
int zmWwwRegisterViewer();
int zmWwwUnRegisterViewer();

#endif
