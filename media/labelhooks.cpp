// media/labelhooks.cpp -- storage of media's hook table into the shell and
// the list of its slots; see labelhooks.h.
#include "media/labelhooks.h"

#include "core/hookslots.h"

ZmMediaShellHooks zmMediaShellHooks = {};

namespace {

constexpr ZmHookSlot kSlots[] = {
    ZM_HOOK_SLOT("shell", zmMediaShellHooks, labelHideAll),
    ZM_HOOK_SLOT("shell", zmMediaShellHooks, labelShowAll),
};

static_assert(zmListsEverySlot<ZmMediaShellHooks>(kSlots, "zmMediaShellHooks"));

}  // namespace

std::span<const ZmHookSlot> zmMediaShellHookSlots() { return kSlots; }
