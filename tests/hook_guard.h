// tests/hook_guard.h -- the tests' way to fill upward hook slots for a while.
//
// Owns: ServiceGuard, which puts one service (core/service.h) at its default
// for its lifetime and gives it back as it was afterwards, so a recorder set
// in one test never leaks into the next; HookTableGuard, the same for a
// table of nullable slots; and CoreHookGuards, one guard per service of the
// core. It does not own the services.
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
// use before back afterwards. Setting a member puts a copy of the record in
// use (the default, or what a layer's install provided since) with that
// member changed in its place: guard->member = recorder.
template <typename Record>
class ServiceGuard {
 public:
  explicit ServiceGuard(ZmService<Record>& service)
      : service_(service), saved_(service()), record_(service.fallback()) {
    service_.provide(service.fallback());
  }
  ~ServiceGuard() { service_.provide(saved_); }
  ServiceGuard(const ServiceGuard&) = delete;
  ServiceGuard& operator=(const ServiceGuard&) = delete;

  Record* operator->() {
    if (&service_() != &record_) {
      record_ = service_();
      service_.provide(record_);
    }
    return &record_;
  }

 private:
  ZmService<Record>& service_;
  const Record& saved_;
  Record record_;
};

// Every service of the core at its default for the guards' lifetime.
struct CoreHookGuards {
  ServiceGuard<ZmCoreMessages> messages{coreMessages};
  ServiceGuard<ZmCoreShell> shell{coreShell};
  ServiceGuard<ZmCoreViewer> viewer{coreViewer};
  ServiceGuard<ZmCoreScript> script{coreScript};
  ServiceGuard<ZmCoreMedia> media{coreMedia};
  ServiceGuard<ZmCoreLoading> loading{coreLoading};
};

#endif
