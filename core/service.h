// core/service.h -- how a lower layer reaches the functions an upper layer
// provides: one record of function pointers per providing layer, declared
// beside its callers.
//
// Owns: ZmService, which holds the record in use for one boundary and the
// constant default record it falls back to, and ZmServiceState, the untyped
// view the start-up lists services through. Each default record holds what
// the callers get while the upper layer is absent (the tools and unit tests
// run without some layers), so no caller tests a pointer. It does not own the
// records: each caller's layer declares its own, each provider defines its
// filled record beside its functions.
#ifndef LUMENFOLD_CORE_SERVICE_H
#define LUMENFOLD_CORE_SERVICE_H

#include <cstddef>

// The record of one boundary without its type, for the start-up's check.
class ZmServiceState {
 public:
  // The layer that fills the record ("viewer", "shell", ...) and the
  // service's name ("coreViewer").
  const char* provider() const { return provider_; }
  const char* name() const { return name_; }
  // False while the default record is in use.
  bool provided() const { return current_ != fallback_; }
  // False when a function of the record in use is null (a provider's record
  // that leaves a member out).
  bool complete() const;

 protected:
  constexpr ZmServiceState(const char* provider, const char* name, const void* fallback, std::size_t size)
      : provider_(provider), name_(name), fallback_(fallback), current_(fallback), size_(size) {}

  const char* provider_;
  const char* name_;
  const void* fallback_;
  const void* current_;
  std::size_t size_;
};

// service() is the record in use; provide() puts a record in its place for
// as long as the record lives (providing the default withdraws the service).
template <typename Record>
class ZmService : public ZmServiceState {
  static_assert(sizeof(Record) % sizeof(void (*)()) == 0, "a service record holds only function pointers");

 public:
  constexpr ZmService(const char* provider, const char* name, const Record& fallback)
      : ZmServiceState(provider, name, &fallback, sizeof(Record)) {}
  ZmService(const ZmService&) = delete;
  ZmService& operator=(const ZmService&) = delete;

  const Record& operator()() const { return *static_cast<const Record*>(current_); }
  const Record& fallback() const { return *static_cast<const Record*>(fallback_); }
  void provide(const Record& record) { current_ = &record; }
};

#endif
