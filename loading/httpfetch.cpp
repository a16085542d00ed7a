// loading/httpfetch.cpp -- web URLs, and their fetches forwarded to the web
// module; see httpfetch.h.
#include "loading/httpfetch.h"

#include <cstdio>

#include "platform/ownmodule.h"

namespace {

bool startsWithWord(const char* text, const char* word) {
  for (; *word != '\0'; ++text, ++word)
    if ((*text | 0x20) != *word) return false;
  return true;
}

}  // namespace

bool zmIsWebUrl(const char* url) {
  return url != nullptr && (startsWithWord(url, "http:") || startsWithWord(url, "https:"));
}

ZmFetchOutcome zmHttpFetch(const char* url, const char* path, ZmFetchProgress keepGoing, void* user) {
  if (!zmIsWebUrl(url) || path == nullptr) return {ZM_FETCH_FAILED, 0, "not a web URL"};
  const ZmWebFetcher* web = platform::ownModuleTable<ZmWebFetcher>(kZmWebModule, kZmWebFetcherEntry);
  if (web == nullptr) {
    std::remove(path);  // as after any failed fetch
    return {ZM_FETCH_FAILED, 0, "the web support could not be loaded"};
  }
  return web->fetch(url, path, keepGoing, user);
}
