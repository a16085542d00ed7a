// tests/url_fetch_guard.h -- the tests' way to put a fetch of their own
// behind the URL table for a while.
//
// Owns: UrlFetchGuard, which leaves nothing fetchable for its lifetime (a
// test sets its own with zmSetUrlFetch) and puts back the fetch in place
// before afterwards, so a recorder set in one test never leaks into the
// next. It does not own the fetches.
#ifndef LUMENFOLD_TESTS_URL_FETCH_GUARD_H
#define LUMENFOLD_TESTS_URL_FETCH_GUARD_H

#include "loading/urltable.h"

class UrlFetchGuard {
 public:
  UrlFetchGuard() : saved_(zmSetUrlFetch(nullptr)) {}
  ~UrlFetchGuard() { zmSetUrlFetch(saved_); }
  UrlFetchGuard(const UrlFetchGuard&) = delete;
  UrlFetchGuard& operator=(const UrlFetchGuard&) = delete;

 private:
  ZmUrlFetch saved_;
};

#endif
