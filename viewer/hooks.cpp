// viewer/hooks.cpp -- storage of the viewer's upward hook tables, all slots
// null at start, and the list of their slots; see hooks.h.
#include "viewer/hooks.h"

#include "core/hookslots.h"

ZmViewerMultiUserHooks zmViewerMultiUserHooks = {};
ZmViewerShellHooks zmViewerShellHooks = {};
ZmViewerMediaHooks zmViewerMediaHooks = {};

namespace {

constexpr ZmHookSlot kSlots[] = {
    ZM_HOOK_SLOT("shell", zmViewerMultiUserHooks, scouterDraw),
    ZM_HOOK_SLOT("shell", zmViewerShellHooks, drawDragFeedback),
    ZM_HOOK_SLOT("shell", zmViewerShellHooks, readBookmark),
    ZM_HOOK_SLOT("shell", zmViewerShellHooks, saveBookmark),
    ZM_HOOK_SLOT("media", zmViewerMediaHooks, setTextureMovie),
    // What navigation needs from above.
    ZM_HOOK_SLOT("multiuser", zmViewerMultiUserHooks, qxUpdateObj),
    ZM_HOOK_SLOT("multiuser", zmViewerMultiUserHooks, qxSendObjPosition),
    ZM_HOOK_SLOT("shell", zmViewerShellHooks, getKeyStateTable),
    ZM_HOOK_SLOT("shell", zmViewerShellHooks, alert),
    ZM_HOOK_SLOT("media", zmViewerMediaHooks, playSpotSoundByName),
    ZM_HOOK_SLOT("media", zmViewerMediaHooks, stopSoundByName),
    ZM_HOOK_SLOT("media", zmViewerMediaHooks, kinNextPosture),
    ZM_HOOK_SLOT("media", zmViewerMediaHooks, kinPrevPosture),
};

static_assert(zmListsEverySlot<ZmViewerMultiUserHooks>(kSlots, "zmViewerMultiUserHooks"));
static_assert(zmListsEverySlot<ZmViewerShellHooks>(kSlots, "zmViewerShellHooks"));
static_assert(zmListsEverySlot<ZmViewerMediaHooks>(kSlots, "zmViewerMediaHooks"));

}  // namespace

std::span<const ZmHookSlot> zmViewerHookSlots() { return kSlots; }
