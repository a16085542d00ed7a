// core/hooks.cpp -- storage of the core's upward hook tables, all slots null
// at start, and the list of their slots; see hooks.h.
#include "core/hooks.h"

#include "core/hookslots.h"

ZmCoreShellHooks zmCoreShellHooks = {};
ZmCoreViewerHooks zmCoreViewerHooks = {};
ZmCoreScriptHooks zmCoreScriptHooks = {};
ZmCoreMultiUserHooks zmCoreMultiUserHooks = {};
ZmCoreMediaHooks zmCoreMediaHooks = {};
ZmCoreLoadingHooks zmCoreLoadingHooks = {};

namespace {

constexpr ZmHookSlot kSlots[] = {
    ZM_HOOK_SLOT("shell", zmCoreShellHooks, notifyMessage),
    ZM_HOOK_SLOT("shell", zmCoreShellHooks, viewInputForgetObj),
    ZM_HOOK_SLOT("viewer", zmCoreViewerHooks, destroyObjInViewer),
    ZM_HOOK_SLOT("viewer", zmCoreViewerHooks, renderDeleteBoundingBoxInViewer),
    ZM_HOOK_SLOT("viewer", zmCoreViewerHooks, rwAddObjToTransferedObjList),
    ZM_HOOK_SLOT("viewer", zmCoreViewerHooks, rwRemoveObjFromTransferedObjList),
    ZM_HOOK_SLOT("viewer", zmCoreViewerHooks, renderDestroyWorldInViewer),
    ZM_HOOK_SLOT("viewer", zmCoreViewerHooks, renderSetMaterial),
    ZM_HOOK_SLOT("viewer", zmCoreViewerHooks, initTexture),
    ZM_HOOK_SLOT("viewer", zmCoreViewerHooks, deleteTexture),
    ZM_HOOK_SLOT("viewer", zmCoreViewerHooks, renderSetCameraViewport),
    ZM_HOOK_SLOT("viewer", zmCoreViewerHooks, renderGetActiveCameraViewport),
    ZM_HOOK_SLOT("viewer", zmCoreViewerHooks, renderGetActiveCameraViewWindow),
    ZM_HOOK_SLOT("viewer", zmCoreViewerHooks, renderGetActiveCameraNearClipping),
    ZM_HOOK_SLOT("viewer", zmCoreViewerHooks, renderGetActiveCameraFarClipping),
    ZM_HOOK_SLOT("viewer", zmCoreViewerHooks, renderGetCameraViewport),
    ZM_HOOK_SLOT("viewer", zmCoreViewerHooks, renderGetCameraViewWindow),
    ZM_HOOK_SLOT("viewer", zmCoreViewerHooks, renderGetCameraNearClipping),
    ZM_HOOK_SLOT("viewer", zmCoreViewerHooks, renderGetCameraFarClipping),
    ZM_HOOK_SLOT("viewer", zmCoreViewerHooks, getSwitchObjNo),
    ZM_HOOK_SLOT("viewer", zmCoreViewerHooks, getSwitchObjByNo),
    ZM_HOOK_SLOT("script", zmCoreScriptHooks, deleteAllEventHandler),
    ZM_HOOK_SLOT("script", zmCoreScriptHooks, deleteObjTimeOutHandler),
    ZM_HOOK_SLOT("script", zmCoreScriptHooks, deleteAllTimeOutHandler),
    ZM_HOOK_SLOT("script", zmCoreScriptHooks, scriptInit),
    ZM_HOOK_SLOT("script", zmCoreScriptHooks, scriptExit),
    ZM_HOOK_SLOT("script", zmCoreScriptHooks, callEventHandler),
    ZM_HOOK_SLOT("shell", zmCoreMultiUserHooks, deleteObjLabels),
    ZM_HOOK_SLOT("media", zmCoreMediaHooks, deleteSoundLeaf),
    ZM_HOOK_SLOT("media", zmCoreMediaHooks, pause3DMovie),
    ZM_HOOK_SLOT("media", zmCoreMediaHooks, kinDeleteBodyAndPos),
    ZM_HOOK_SLOT("media", zmCoreMediaHooks, soundSetWorld),
    ZM_HOOK_SLOT("loading", zmCoreLoadingHooks, newUrlHash),
    ZM_HOOK_SLOT("loading", zmCoreLoadingHooks, deleteUrlHash),
    ZM_HOOK_SLOT("loading", zmCoreLoadingHooks, releaseUrlHashEntry),
};

static_assert(zmListsEverySlot<ZmCoreShellHooks>(kSlots, "zmCoreShellHooks"));
static_assert(zmListsEverySlot<ZmCoreViewerHooks>(kSlots, "zmCoreViewerHooks"));
static_assert(zmListsEverySlot<ZmCoreScriptHooks>(kSlots, "zmCoreScriptHooks"));
static_assert(zmListsEverySlot<ZmCoreMultiUserHooks>(kSlots, "zmCoreMultiUserHooks"));
static_assert(zmListsEverySlot<ZmCoreMediaHooks>(kSlots, "zmCoreMediaHooks"));
static_assert(zmListsEverySlot<ZmCoreLoadingHooks>(kSlots, "zmCoreLoadingHooks"));

}  // namespace

std::span<const ZmHookSlot> zmCoreHookSlots() { return kSlots; }
