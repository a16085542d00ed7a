// vrml/hooks.cpp -- storage of the reader's and builder's upward hook
// tables, all slots null at start, and the list of their slots; see hooks.h.
#include "vrml/hooks.h"

#include "core/hookslots.h"

ZmVrmlLoadingHooks zmVrmlLoadingHooks = {};
ZmVrmlScriptHooks zmVrmlScriptHooks = {};
ZmVrmlMediaHooks zmVrmlMediaHooks = {};
ZmVrmlViewerHooks zmVrmlViewerHooks = {};

namespace {

constexpr ZmHookSlot kSlots[] = {
    ZM_HOOK_SLOT("loading", zmVrmlLoadingHooks, wwwLoadFile),
    ZM_HOOK_SLOT("loading", zmVrmlLoadingHooks, getUrl),
    ZM_HOOK_SLOT("loading", zmVrmlLoadingHooks, getLocalFile),
    ZM_HOOK_SLOT("loading", zmVrmlLoadingHooks, setNameOfWWW),
    ZM_HOOK_SLOT("loading", zmVrmlLoadingHooks, getLocalNameOfWWW),
    ZM_HOOK_SLOT("loading", zmVrmlLoadingHooks, extractLha),
    ZM_HOOK_SLOT("script", zmVrmlScriptHooks, scriptEvalStr),
    ZM_HOOK_SLOT("script", zmVrmlScriptHooks, addEventHandler),
    ZM_HOOK_SLOT("script", zmVrmlScriptHooks, addTimeOutHandler),
    ZM_HOOK_SLOT("media", zmVrmlMediaHooks, newMovie),
    ZM_HOOK_SLOT("media", zmVrmlMediaHooks, deleteTextureMovie),
    ZM_HOOK_SLOT("media", zmVrmlMediaHooks, kinNew),
    ZM_HOOK_SLOT("media", zmVrmlMediaHooks, newSoundLeaf),
    ZM_HOOK_SLOT("media", zmVrmlMediaHooks, addSoundObj),
    ZM_HOOK_SLOT("viewer", zmVrmlViewerHooks, navSetGravity),
};

static_assert(zmListsEverySlot<ZmVrmlLoadingHooks>(kSlots, "zmVrmlLoadingHooks"));
static_assert(zmListsEverySlot<ZmVrmlScriptHooks>(kSlots, "zmVrmlScriptHooks"));
static_assert(zmListsEverySlot<ZmVrmlMediaHooks>(kSlots, "zmVrmlMediaHooks"));
static_assert(zmListsEverySlot<ZmVrmlViewerHooks>(kSlots, "zmVrmlViewerHooks"));

}  // namespace

std::span<const ZmHookSlot> zmVrmlHookSlots() { return kSlots; }
