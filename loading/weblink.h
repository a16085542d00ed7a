// loading/weblink.h -- the web half of the browser link: documents that
// the program fetches itself over http and https.
//
// Owns: the local copies of web documents (named in the program's
// temporary folder and entered as copies the program made, so that they
// are deleted with the world that used them and never a user's file), the
// message pump that keeps the windows alive while a transfer runs, the
// stopping of running transfers, what went wrong with the last failed
// transfer (the transfers and failure kept in the fetching record,
// loading/fetching.h), and the rule that a world from the web reads no local file. It
// does not own the transfer itself (loading/httpfetch.h), the
// post-processing of what arrives (loading/filetype.h), nor the base URL
// and load records (loading/wwwlink.h).
#ifndef LUMENFOLD_LOADING_WEBLINK_H
#define LUMENFOLD_LOADING_WEBLINK_H

#include <cstddef>
#include <cstdint>

/*
 * zmWebFetch --
 *   Fetches the web URL into a new file of the temporary folder named after
 *   the URL's last step, then post-processes it as a fetched file (gzip
 *   unpacked beside it, GIF and JPEG converted to BMP, with `type` naming
 *   an unpacked file that has no extension). While the transfer runs every
 *   message is dispatched, except that WM_ZMCANCEL (the Stop path) is taken
 *   and stops it, and a WM_CLOSE to the main window or a WM_QUIT stops it
 *   and is posted again once the transfer is gone.
 * Results:
 *   0 with the name of the file to use in `out`; -1 after the warning
 *   "zmWebFetch: <url>: <what went wrong>" (a 404, a failed or stopped
 *   transfer), with no partial file left behind.
 */
int zmWebFetch(const char* url, uint32_t type, char* out, size_t outSize);

// What went wrong with the last fetch that failed ("cancelled" for a
// stopped one); empty before any failed.
const char* zmWebLastFailure();

// Stops every transfer running now (the innermost and those waiting
// around it); each ends as a failed fetch. Nothing happens when none runs.
void zmWebStopFetches();

/*
 * zmWebRefusesLocal --
 *   The rule that keeps a world's own files apart from the user's: true,
 *   after the warning "%s: a world from the web cannot read local files",
 *   when the world's URL (or, without a world, the base URL) is a web URL
 *   and `url` names a local file (a "file:" URL or an absolute path).
 */
bool zmWebRefusesLocal(const char* worldUrl, const char* url);

/*
 * zmWebRefusesLocalOpen --
 *   The same rule for going elsewhere (an anchor, a script's open): true,
 *   after the message "%s: a world from the web cannot open local files",
 *   when the world's URL is a web URL and `url`, resolved against it, is a
 *   "file:" URL or an absolute path.
 */
bool zmWebRefusesLocalOpen(const char* worldUrl, const char* url);

#endif
