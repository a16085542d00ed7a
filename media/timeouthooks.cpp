// media/timeouthooks.cpp -- storage of media's upward hook table and the
// list of its slots; see timeouthooks.h.
#include "media/timeouthooks.h"

#include "core/hookslots.h"

ZmMediaScriptHooks zmMediaScriptHooks = {};

namespace {

constexpr ZmHookSlot kSlots[] = {
    ZM_HOOK_SLOT("script", zmMediaScriptHooks, addTimeOutHandler),
    ZM_HOOK_SLOT("script", zmMediaScriptHooks, removeTimeOutHandler),
};

static_assert(zmListsEverySlot<ZmMediaScriptHooks>(kSlots, "zmMediaScriptHooks"));

}  // namespace

std::span<const ZmHookSlot> zmMediaTimeOutHookSlots() { return kSlots; }
