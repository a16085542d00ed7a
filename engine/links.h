// engine/links.h -- how a lower engine module reaches work that a module
// opened after it provides.
//
// Owns: RwLinks, which holds the record of function pointers in use for one
// link table and the constant default record it falls back to. Each default
// record holds what the callers get while the providing module is closed
// (before the library opens, after it closes, or in a test that opens only
// some modules), so no caller tests a pointer. It does not own the records:
// the calling module declares each table and its default beside its
// callers, the providing module defines its filled record beside its
// functions and provides it when it opens.
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
