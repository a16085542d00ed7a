// tests/hook_guard.h -- the tests' way to fill upward hook slots for a while.
//
// Owns: HookTableGuard, which empties one hook table (core/hooks.h,
// vrml/hooks.h, vrmlwrite/hooks.h, loading/loadhooks.h) for its lifetime and
// gives it back as it was afterwards, so a recorder set in one test never
// leaks into the next; and CoreHookGuards, one guard per table of the core.
// It does not own the tables.
#ifndef LUMENFOLD_TESTS_HOOK_GUARD_H
#define LUMENFOLD_TESTS_HOOK_GUARD_H

#include "core/hooks.h"
#include "core/service.h"

template <typename Table>
class HookTableGuard {
 public:
  explicit HookTableGuard(Table& table) : table_(table), saved_(table) { table_ = {}; }
  ~HookTableGuard() { table_ = saved_; }
  HookTableGuard(const HookTableGuard&) = delete;
  HookTableGuard& operator=(const HookTableGuard&) = delete;

  // The guarded table, to set slots in: guard->slot = recorder.
  Table* operator->() const { return &table_; }

 private:
  Table& table_;
  Table saved_;
};

// Puts a service's default record in use for its lifetime and the record in
// use before back afterwards. Setting a member puts a copy of the default
// with that member changed in use: guard->member = recorder.
template <typename Record>
class ServiceGuard {
 public:
  explicit ServiceGuard(ZmService<Record>& service) : service_(service), saved_(service()), record_(service.fallback()) {
    service_.provide(service.fallback());
  }
  ~ServiceGuard() { service_.provide(saved_); }
  ServiceGuard(const ServiceGuard&) = delete;
  ServiceGuard& operator=(const ServiceGuard&) = delete;

  Record* operator->() {
    service_.provide(record_);
    return &record_;
  }

 private:
  ZmService<Record>& service_;
  const Record& saved_;
  Record record_;
};

// Every table of the core emptied for the guards' lifetime.
struct CoreHookGuards {
  HookTableGuard<ZmCoreShellHooks> shell{zmCoreShellHooks};
  HookTableGuard<ZmCoreViewerHooks> viewer{zmCoreViewerHooks};
  HookTableGuard<ZmCoreScriptHooks> script{zmCoreScriptHooks};
  HookTableGuard<ZmCoreMultiUserHooks> multiUser{zmCoreMultiUserHooks};
  HookTableGuard<ZmCoreMediaHooks> media{zmCoreMediaHooks};
  HookTableGuard<ZmCoreLoadingHooks> loading{zmCoreLoadingHooks};
};

#endif
