// vrmlwrite/hooks.cpp -- storage of the writer's upward hook table, null at
// start, and the list of its slots; see hooks.h.
#include "vrmlwrite/hooks.h"

#include "core/hookslots.h"

ZmWriterLoadingHooks zmWriterLoadingHooks = {};

namespace {

constexpr ZmHookSlot kSlots[] = {
    ZM_HOOK_SLOT("loading", zmWriterLoadingHooks, getUrlNameOfWWW),
};

static_assert(zmListsEverySlot<ZmWriterLoadingHooks>(kSlots, "zmWriterLoadingHooks"));

}  // namespace

std::span<const ZmHookSlot> zmWriterHookSlots() { return kSlots; }
