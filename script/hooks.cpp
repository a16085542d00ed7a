// script/hooks.cpp -- storage of the script layer's upward hook tables, all
// slots null at start, and the list of their slots; see hooks.h.
#include "script/hooks.h"

#include "core/hookslots.h"

ZmScriptViewerHooks zmScriptViewerHooks = {};
ZmScriptMediaHooks zmScriptMediaHooks = {};
ZmScriptMultiUserHooks zmScriptMultiUserHooks = {};

namespace {

constexpr ZmHookSlot kSlots[] = {
    ZM_HOOK_SLOT("viewer", zmScriptViewerHooks, enableNavigation),
    ZM_HOOK_SLOT("viewer", zmScriptViewerHooks, disableNavigation),
    ZM_HOOK_SLOT("media", zmScriptMediaHooks, playAmbientSound),
    ZM_HOOK_SLOT("media", zmScriptMediaHooks, playSpotSound),
    ZM_HOOK_SLOT("media", zmScriptMediaHooks, stopSound),
    ZM_HOOK_SLOT("media", zmScriptMediaHooks, suspendSound),
    ZM_HOOK_SLOT("media", zmScriptMediaHooks, resumeSound),
    ZM_HOOK_SLOT("media", zmScriptMediaHooks, setSoundVolume),
    ZM_HOOK_SLOT("media", zmScriptMediaHooks, playAmbientSoundByName),
    ZM_HOOK_SLOT("media", zmScriptMediaHooks, suspendSoundByName),
    ZM_HOOK_SLOT("media", zmScriptMediaHooks, resumeSoundByName),
    ZM_HOOK_SLOT("media", zmScriptMediaHooks, setSoundVolumeByName),
    ZM_HOOK_SLOT("media", zmScriptMediaHooks, suspendAllSound),
    ZM_HOOK_SLOT("media", zmScriptMediaHooks, resumeAllSound),
    ZM_HOOK_SLOT("media", zmScriptMediaHooks, videoPlay),
    ZM_HOOK_SLOT("media", zmScriptMediaHooks, play3DMovie),
    ZM_HOOK_SLOT("media", zmScriptMediaHooks, pause3DMovie),
    ZM_HOOK_SLOT("media", zmScriptMediaHooks, set3DMovieSpeed),
    ZM_HOOK_SLOT("media", zmScriptMediaHooks, get3DMovieSpeed),
    ZM_HOOK_SLOT("media", zmScriptMediaHooks, set3DMovieFrame),
    ZM_HOOK_SLOT("media", zmScriptMediaHooks, get3DMovieFrame),
    ZM_HOOK_SLOT("media", zmScriptMediaHooks, get3DMovieFrameNum),
    ZM_HOOK_SLOT("media", zmScriptMediaHooks, get3DMovieLoop),
    ZM_HOOK_SLOT("media", zmScriptMediaHooks, set3DMovieLoop),
    ZM_HOOK_SLOT("media", zmScriptMediaHooks, set3DMovieNextFrame),
    ZM_HOOK_SLOT("media", zmScriptMediaHooks, set3DMoviePrevFrame),
    ZM_HOOK_SLOT("media", zmScriptMediaHooks, kinSetFrame),
    ZM_HOOK_SLOT("media", zmScriptMediaHooks, kinGetFrame),
    ZM_HOOK_SLOT("media", zmScriptMediaHooks, kinGetMaxFrame),
    ZM_HOOK_SLOT("media", zmScriptMediaHooks, kinNewTopObject),
    ZM_HOOK_SLOT("multiuser", zmScriptMultiUserHooks, qxSendApplEvent),
    ZM_HOOK_SLOT("multiuser", zmScriptMultiUserHooks, qxSendApplSpecificMsg),
    ZM_HOOK_SLOT("multiuser", zmScriptMultiUserHooks, qxSendApplSpecificMsgWithDist),
    ZM_HOOK_SLOT("multiuser", zmScriptMultiUserHooks, qxSendChatStr),
    ZM_HOOK_SLOT("multiuser", zmScriptMultiUserHooks, qxAmIMaster),
};

static_assert(zmListsEverySlot<ZmScriptViewerHooks>(kSlots, "zmScriptViewerHooks"));
static_assert(zmListsEverySlot<ZmScriptMediaHooks>(kSlots, "zmScriptMediaHooks"));
static_assert(zmListsEverySlot<ZmScriptMultiUserHooks>(kSlots, "zmScriptMultiUserHooks"));

}  // namespace

std::span<const ZmHookSlot> zmScriptHookSlots() { return kSlots; }
