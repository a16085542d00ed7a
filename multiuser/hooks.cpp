// multiuser/hooks.cpp -- the multi-user client's upward hook tables; see hooks.h.
#include "multiuser/hooks.h"

#include "core/hookslots.h"

ZmMultiUserScriptHooks zmMultiUserScriptHooks = {};
ZmMultiUserChatHooks zmMultiUserChatHooks = {};

namespace {

constexpr ZmHookSlot kSlots[] = {
    ZM_HOOK_SLOT("script", zmMultiUserScriptHooks, scriptEvalFunction),
    ZM_HOOK_SLOT("shell", zmMultiUserChatHooks, chatDisplay),
};
static_assert(zmListsEverySlot<ZmMultiUserScriptHooks>(kSlots, "zmMultiUserScriptHooks"));
static_assert(zmListsEverySlot<ZmMultiUserChatHooks>(kSlots, "zmMultiUserChatHooks"));

}  // namespace

std::span<const ZmHookSlot> zmMultiUserHookSlots() { return kSlots; }
