// core/hookslots.h -- the means by which each layer lists the slots of its
// upward hook tables (see core/hooks.h), for the start-up's check of what is
// left unset.
//
// Owns: ZM_HOOK_SLOT, one entry of such a list, and zmListsEverySlot, the
// compile-time check that a list names every slot of a table. It does not
// own the lists: each table's layer keeps its own next to the table.
#ifndef LUMENFOLD_CORE_HOOKSLOTS_H
#define LUMENFOLD_CORE_HOOKSLOTS_H

#include <cstddef>
#include <span>
#include <string_view>

#include "core/hooks.h"

// One slot of an upward hook table: the layer that fills it ("shell",
// "viewer", "script", "multiuser", "media", "loading"), the table and the
// slot by name, and whether it is set now.
struct ZmHookSlot {
  const char* provider;
  const char* table;
  const char* slot;
  bool (*isSet)();
};

// The entry of `table.slot`, filled by `provider`.
#define ZM_HOOK_SLOT(provider, table, slot) \
  ZmHookSlot { provider, #table, #slot, [] { return table.slot != nullptr; } }

// True when `slots` has one entry per slot of the table `Table` named
// `table`. Every member of a hook table is one function pointer, so a
// slot added to a table and forgotten in its list fails the build.
template <typename Table>
constexpr bool zmListsEverySlot(std::span<const ZmHookSlot> slots, std::string_view table) {
  std::size_t listed = 0;
  for (const ZmHookSlot& entry : slots) listed += std::string_view(entry.table) == table ? 1 : 0;
  return listed * sizeof(void (*)()) == sizeof(Table);
}

#endif
