// loading/httpfetch.h -- fetching one http or https URL into a file.
//
// Owns: the transfer of a web document into a local file over libcurl (in
// the web module, loading/modules/webfetch.cpp, loaded on the first fetch:
// platform/ownmodule.h), the progress calls that let the caller keep its
// windows alive and stop the transfer, and the removal of what a transfer
// that did not succeed left behind. Only the "http" and "https" schemes are
// spoken, redirects included: a web server can never make the transfer read
// a local file.
// It does not own where fetched files go, what is done with them, or the
// message pump that the progress call drives (loading/weblink.h).
#ifndef LUMENFOLD_LOADING_HTTPFETCH_H
#define LUMENFOLD_LOADING_HTTPFETCH_H

#include <string>

enum ZmFetchStatus { ZM_FETCH_OK, ZM_FETCH_HTTP_ERROR, ZM_FETCH_CANCELLED, ZM_FETCH_FAILED };

struct ZmFetchOutcome {
  ZmFetchStatus status;
  long httpCode;        // the server's status code; 0 when no answer came
  std::string message;  // what went wrong, for a warning; empty on success
};

// Called with the bytes written so far and the document's length (-1 while
// unknown); false cancels the transfer.
using ZmFetchProgress = bool (*)(long long received, long long total, void* user);  // false cancels

/*
 * zmHttpFetch --
 *   Fetches `url` into a new file `path` (a file already there is replaced;
 *   a link there is not followed). keepGoing, when given, is called after
 *   each block that arrives and at least every 100 ms while the server is
 *   silent, outside any libcurl callback, so it may pump messages and even
 *   start another fetch.
 * Results:
 *   ZM_FETCH_OK with the whole document in `path`; ZM_FETCH_HTTP_ERROR with
 *   the server's code (400 or above); ZM_FETCH_CANCELLED when keepGoing
 *   said false; ZM_FETCH_FAILED for a URL of another scheme, a server that
 *   cannot be reached, a broken transfer or a file that cannot be written.
 *   On anything but ZM_FETCH_OK no file is left at `path`.
 */
ZmFetchOutcome zmHttpFetch(const char* url, const char* path, ZmFetchProgress keepGoing, void* user);

// True for a URL whose scheme is "http" or "https" (any letter case).
bool zmIsWebUrl(const char* url);

// What the web module hands over: zmHttpFetch for a web URL and a path.
struct ZmWebFetcher {
  ZmFetchOutcome (*fetch)(const char* url, const char* path, ZmFetchProgress keepGoing, void* user);
};

constexpr const char* kZmWebModule = "web";
constexpr const char* kZmWebFetcherEntry = "lumenfoldWebFetcher";

// The web module's entry, named by kZmWebFetcherEntry.
extern "C" const ZmWebFetcher lumenfoldWebFetcher;

#endif
