// engine/links.h -- how a lower engine module reaches work that a module
// opened after it provides; the engine's counterpart of core/service.h,
// which it cannot use.
//
// Owns: RwLinks. The calling module declares each link table, its constant
// default record (what callers get while the provider is closed: before the
// library opens, after it closes, in a test that opens some modules) and
// its RwLinks; the provider provides its record when it opens. A member's
// comment gives its default only where that does more than nothing or
// returning 0.
#ifndef LUMENFOLD_ENGINE_LINKS_H
#define LUMENFOLD_ENGINE_LINKS_H

// links() is the record in use; provide() puts a record in its place for as
// long as the record lives, withdraw() puts the default back.
template <typename Record>
class RwLinks {
  static_assert(sizeof(Record) % sizeof(void (*)()) == 0, "a link table holds only function pointers");

 public:
  constexpr RwLinks(const Record& fallback) : fallback_(&fallback), current_(&fallback) {}
  RwLinks(const RwLinks&) = delete;
  RwLinks& operator=(const RwLinks&) = delete;

  const Record& operator()() const { return *current_; }
  bool provided() const { return current_ != fallback_; }
  void provide(const Record& record) { current_ = &record; }
  void withdraw() { current_ = fallback_; }

 private:
  const Record* fallback_;
  const Record* current_;
};

#endif
