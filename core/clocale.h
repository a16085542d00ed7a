// core/clocale.h -- a scope in which the C library reads and writes numbers
// in the "C" locale.
//
// Owns: nothing but the switch of the calling thread's locale for the
// lifetime of one object. Scripts' toolkit may change the process locale;
// texts the core formats or scans ("%f") must not follow it.
#ifndef LUMENFOLD_CORE_CLOCALE_H
#define LUMENFOLD_CORE_CLOCALE_H

#include <locale.h>

class ZmCLocaleScope {
 public:
  ZmCLocaleScope() : previous_(uselocale(cLocale())) {}
  ~ZmCLocaleScope() { uselocale(previous_); }
  ZmCLocaleScope(const ZmCLocaleScope&) = delete;
  ZmCLocaleScope& operator=(const ZmCLocaleScope&) = delete;

 private:
  static locale_t cLocale() {
    static locale_t locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
    return locale;
  }
  locale_t previous_;
};

#endif
