// loading/wwwlink.h -- the browser link: opening worlds and fetching files
// by URL, the program's registration as the browser's viewer of VRML, and
// the hand-over of a world to a program already running.
//
// Owns: the base URL against which relative URLs are resolved, the result
// buffer of a fetch, the reply buffer of a URL query, the static load record
// of a local world, and the link itself (the program's client and server,
// made by a registration that a browser service answered), all kept in the
// fetching record (loading/fetching.h). Local worlds and
// "file:" URLs are opened and fetched directly, "http:" and "https:" ones
// by the program itself through the web half (weblink.h), so that a web
// world's files obey its rules and Stop ends them whatever browser answers;
// every other URL is asked of the browser service ("WWW_OpenURL"), which
// hands the document back through the program's server. It does not own the
// conversations (ddeclient.h, ddeserver.h), the browser service
// (browserservice.h), the transfers (weblink.h, httpfetch.h), what the main
// window does with the posted messages (the shell) nor the file types and
// post-processing (filetype.h).
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
 *   Opens the document at `url`, resolved against the base URL. A local VRML
 *   world (a "file:" URL of type 4, or gzip with inner type 4) is prepared
 *   (zmPreProcessFile) into the fetch buffer; for a web one WM_ZMLOADING is
 *   sent to the main window first (the loading state shows while it
 *   arrives) and it is fetched there (zmWebFetch: the windows stay alive
 *   meanwhile and the Stop path ends the fetch). The base URL becomes the
 *   resolved URL, and (for a local world WM_ZMLOADING, then) WM_ZMLOADWORLD
 *   with the static load record {fetch buffer, base URL} is posted to the
 *   main window. Any other URL is asked of the browser ("WWW_OpenURL"), and
 *   for a VRML world WM_ZMLOADING is posted once the browser took it; the
 *   world comes back later as a WM_ZMLOADWORLD from the program's server.
 * Results:
 *   0; -1 when the URL cannot be resolved, a world cannot be fetched or
 *   prepared (the Messages window says why: "<url>: cannot be loaded:
 *   <why>"), or no browser took the request. Nothing is posted on failure.
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
 *   The URL of a local file name: the browser's answer to "WWW_QueryURLFile"
 *   (its quotes removed), or, when no browser answers or the answer is
 *   empty, the "file:" URL of the name made absolute from the current folder.
 * Results:
 *   The URL in a buffer of 256 characters that the next call overwrites;
 *   null after "%s: FileLength=%u: url buffer 256 size is overflow." for a
 *   name of 256 characters or more, or when the URL does not fit.
 */
const char* zmWwwFilenameToUrl(const char* file);

/*
 * zmWwwFetchUrl --
 *   The synchronous fetch behind zmGetLocalFile. The entry's URL is resolved
 *   against the base URL. A world whose own URL is a web URL gets no local
 *   file at all (zmWebRefusesLocal). A "file:" URL names the file itself; a
 *   web URL is fetched by zmWebFetch (post-processed there). Any other is
 *   asked of the browser ("WWW_OpenURL"; for a type other than VRML the
 *   program first registers as the viewer of its MIME type, when it has one,
 *   so that the browser hands the file back, and withdraws afterwards), and
 *   the messages of the queue are dispatched until the document arrives
 *   (WM_ZMLOADWORLD), a load is cancelled (WM_ZMCANCEL) or the main window
 *   is asked to close (WM_CLOSE, dispatched once the fetch has ended). The
 *   file is post-processed and the entry's type code set from the result.
 * Results:
 *   The local file, in a buffer the next fetch overwrites; null when the URL
 *   cannot be resolved or read, no browser takes it, another message ends
 *   the wait, another document arrives first, or post-processing fails.
 */
const char* zmWwwFetchUrl(ZmUrlHash* entry);

/*
 * zmWwwRegisterViewer --
 *   Makes the program's client and asks the browser to take the program as
 *   its viewer of VRML ("WWW_RegisterViewer"); when a browser answers, the
 *   program's server "Lumenfold" starts.
 * Results:
 *   0 registered; -1 when no browser answers (the client is destroyed).
 */
int zmWwwRegisterViewer();
// Withdraws the registration and ends the client and the server; 0.
int zmWwwUnRegisterViewer();
// The Stop command's cancel: every web fetch running now ends, failed, and
// the browser is asked to stop the transfer it numbered last; 0.
int zmWwwCancelProgress();

/*
 * zmWwwHandToRunningViewer --
 *   Looks for another program that serves "Lumenfold" and hands it the
 *   world named on the command line (a file name or a "file:" URL; null for
 *   none), as a browser hands over a document ("WWW_ViewDocFile"). Call
 *   before this program registers.
 * Results:
 *   ZM_HANDED_OVER when the running program took the world; ZM_NONE_RUNNING
 *   when no such program answers; ZM_ALREADY_RUNNING when one answers but
 *   no world was handed (none named, or not a local file).
 */
enum { ZM_NONE_RUNNING = 0, ZM_HANDED_OVER = 1, ZM_ALREADY_RUNNING = -1 };
int zmWwwHandToRunningViewer(const char* world);

#endif
