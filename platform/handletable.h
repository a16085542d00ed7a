// platform/handletable.h -- the table that maps handle values to the records
// behind them, shared by every module that hands out handles (windows, GDI
// objects, kernel objects, sockets, registry keys, multimedia devices and
// files, archives).
//
// Owns: the numbering of handles and the records while they live. It does not
// own what a record refers to (descriptors, timers, other handles): the module
// that fills a record releases those before removing it.
//
// Handles count up from a first value by a fixed step and are never reused,
// so a handle that has been removed stays invalid for good: a caller holding
// a stale handle finds nothing instead of somebody else's record. Each table
// numbers on its own, so a handle from one table may name a record in
// another; modules that share one table among several kinds look up by kind.
//
// A record keeps its address until it is removed, whatever else is added or
// removed meanwhile, so a pointer to it may be held across callbacks that
// create or destroy other handles. Records are visited oldest first.
#ifndef LUMENFOLD_PLATFORM_HANDLETABLE_H
#define LUMENFOLD_PLATFORM_HANDLETABLE_H

#include <cstddef>
#include <cstdint>
#include <limits>
#include <map>
#include <type_traits>
#include <utility>
#include <vector>

#include "platform/fatal.h"

namespace platform {

// `Handle` is the handle type callers see: a pointer type (HWND, HGDIOBJ) or
// an unsigned integer (SOCKET). Its null value (nullptr or 0) is never a
// handle of the table, so it can report failure.
template <typename Handle, typename Record>
class HandleTable {
  static_assert(std::is_pointer_v<Handle> || std::is_unsigned_v<Handle>,
                "handles are pointers or unsigned numbers");

 public:
  static constexpr size_t kUnbounded = std::numeric_limits<size_t>::max();
  // Never a handle either: it is the "invalid" value of kernel handles and
  // sockets, so the numbering stops short of it.
  static constexpr uintptr_t kAllOnes = std::numeric_limits<uintptr_t>::max();

  // Handles will be `first`, `first + step`, ...; at most `capacity` records
  // live at once. `first` and `step` must not be 0.
  explicit HandleTable(uintptr_t first, uintptr_t step = 1, size_t capacity = kUnbounded)
      : next_(first), step_(step), capacity_(capacity) {
    ZM_ASSERT(first != 0 && step != 0, "a handle table numbers from a first value by a step, neither 0");
  }

  HandleTable(const HandleTable&) = delete;
  HandleTable& operator=(const HandleTable&) = delete;
  HandleTable(HandleTable&&) = default;
  HandleTable& operator=(HandleTable&&) = default;

  // Takes the record and returns its new handle; the null handle when
  // `capacity` records already live or the numbering has run out before the
  // all-ones value (the record is then dropped).
  Handle add(Record record) {
    if (full() || !numbersLeft_) return toHandle(0);
    const uintptr_t number = next_;
    if (next_ >= kAllOnes - step_) numbersLeft_ = false;
    else next_ += step_;
    records_.emplace(number, std::move(record));
    return toHandle(number);
  }

  // The record behind the handle, or null for the null handle, one never
  // given out, and one removed.
  Record* find(Handle handle) {
    auto found = records_.find(toNumber(handle));
    return found == records_.end() ? nullptr : &found->second;
  }
  const Record* find(Handle handle) const {
    auto found = records_.find(toNumber(handle));
    return found == records_.end() ? nullptr : &found->second;
  }

  // As find, but only a record whose `kind` member (through the pointer, for
  // records held by pointer) equals `kind`: a handle of another kind finds
  // nothing.
  template <typename Kind>
  Record* find(Handle handle, Kind kind) {
    Record* record = find(handle);
    return record != nullptr && kindOf(*record) == kind ? record : nullptr;
  }

  // Destroys the record; false when the handle names none.
  bool remove(Handle handle) { return records_.erase(toNumber(handle)) != 0; }

  // The oldest handle whose record satisfies `test`, or the null handle.
  template <typename Test>
  Handle firstWhere(Test test) const {
    for (const auto& [number, record] : records_)
      if (test(record)) return toHandle(number);
    return toHandle(0);
  }

  // The live handles, oldest first: a copy, so the caller may remove records
  // (or have callbacks add and remove them) while walking it.
  std::vector<Handle> handles() const {
    std::vector<Handle> live;
    live.reserve(records_.size());
    for (const auto& entry : records_) live.push_back(toHandle(entry.first));
    return live;
  }

  size_t size() const { return records_.size(); }
  bool empty() const { return records_.empty(); }
  bool full() const { return records_.size() >= capacity_; }

 private:
  static uintptr_t toNumber(Handle handle) {
    if constexpr (std::is_pointer_v<Handle>) return reinterpret_cast<uintptr_t>(handle);
    else return static_cast<uintptr_t>(handle);
  }
  static Handle toHandle(uintptr_t number) {
    if constexpr (std::is_pointer_v<Handle>) return reinterpret_cast<Handle>(number);
    else return static_cast<Handle>(number);
  }
  template <typename R>
  static auto kindOf(const R& record) {
    if constexpr (requires { record->kind; }) return record->kind;
    else return record.kind;
  }

  std::map<uintptr_t, Record> records_;  // by handle number: oldest first
  uintptr_t next_;                       // the number the next add hands out
  uintptr_t step_;
  size_t capacity_;
  bool numbersLeft_ = true;  // false once the last number below all-ones is handed out
};

}  // namespace platform

#endif  // LUMENFOLD_PLATFORM_HANDLETABLE_H
