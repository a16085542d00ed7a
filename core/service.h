// core/service.h -- how a lower layer reaches the functions an upper layer
// provides.
//
// Beside its callers, the lower layer declares one record of function
// pointers per providing layer, a constant default record and the service
// holding the record in use; callers write coreViewer().renderSetMaterial
// (leaf) and never test a pointer. The defaults are what callers get while
// the provider is absent (the tools and unit tests run without some
// layers). Each provider fills its records in its layer's install function;
// the start-up (startup/startup.h) runs those in order and lists what stays
// unset, and tests put recorders in for a while (tests/hook_guard.h).
//
// Reading a record: a member's comment names the provider's function
// (member `fooBar` is `zmFooBar`), says what it does, and says what the
// default does where that is more than nothing or returning 0.
//
// Owns: ZmService, ZmServiceState (the untyped view the start-up lists
// services through) and the defaults zmReturns and zmNothing. It does not
// own the records.
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

// Defaults: `.member = zmReturns<-1>` ignores its arguments and returns the
// value as the member's type (zmReturns<nullptr> suits any pointer);
// `.member = zmNothing` ignores them.
template <typename Result, typename... Arguments>
using ZmFunction = Result (*)(Arguments...);

template <auto Value>
struct ZmReturnsValue {
  template <typename Result, typename... Arguments>
  constexpr operator ZmFunction<Result, Arguments...>() const {
    return [](Arguments...) { return static_cast<Result>(Value); };  // refuses -1 for a pointer
  }
};
template <auto Value>
inline constexpr ZmReturnsValue<Value> zmReturns{};

inline constexpr struct ZmDoesNothing {
  template <typename... Arguments>
  constexpr operator ZmFunction<void, Arguments...>() const { return [](Arguments...) {}; }
} zmNothing{};

#endif
