// script/hooks.h -- the calls the script commands make up into the layers
// above scripting or beside it: the browser link's web side, navigation,
// sounds, videos, movie textures, articulated bodies and the multi-user
// client.
//
// Owns: one table per providing layer, all slots null at start, filled at
// start-up once the provider exists (by scripting's install function for the
// layers below it, by the program for the shell; tests set recorders), and
// the list of their slots for the start-up's check. Commands use the inline wrappers below,
// never the slots; each wrapper holds what happens while its slot is unset,
// which is what the command answers until the providing layer exists.
// The slot `fooBar` stands for the provider's `zmFooBar`.
#ifndef LUMENFOLD_SCRIPT_HOOKS_H
#define LUMENFOLD_SCRIPT_HOOKS_H

#include <cstdint>
#include <span>

#include "core/hooks.h"
#include "core/hookslots.h"
#include "core/service.h"

struct ZmObj;
struct ZmWorld;

// ---- Shell: opening URLs and files ------------------------------------------

// The browser link's openers; the program fills them at start-up with the
// shell's own opening of worlds until the link's web side exists.
struct ZmScriptShell {
  // zmWwwOpenUrl -- the browser opens the URL (a world comes back as a load
  // request); 0 or -1. Default: there is no browser link (-1).
  int (*wwwOpenUrl)(const char* url);
  // zmWwwOpenFile -- opens a local world file by its URL; 0 or -1. Default:
  // nothing can open it (-1).
  int (*wwwOpenFile)(const char* path);
  // zmGetUserName -- the user's nickname, owned by the shell. Default: no
  // nickname is known (the empty text).
  const char* (*getUserName)();
};
inline constexpr ZmScriptShell kScriptShellDefaults = {
    .wwwOpenUrl = [](const char*) { return -1; },
    .wwwOpenFile = [](const char*) { return -1; },
    .getUserName = [] { return ""; },
};
inline constinit ZmService<ZmScriptShell> scriptShell{"shell", "scriptShell", kScriptShellDefaults};

// ---- Viewer: navigation -----------------------------------------------------

struct ZmScriptViewerHooks {
  // zmEnableNavigation, zmDisableNavigation -- switch the user's walking on
  // or off; the previous switch (1 on, 0 off). Unset: there is no
  // navigation to switch (0).
  int (*enableNavigation)();
  int (*disableNavigation)();
};
extern ZmScriptViewerHooks zmScriptViewerHooks;

inline int hookEnableNavigation() {
  return zmScriptViewerHooks.enableNavigation ? zmScriptViewerHooks.enableNavigation() : 0;
}

inline int hookDisableNavigation() {
  return zmScriptViewerHooks.disableNavigation ? zmScriptViewerHooks.disableNavigation() : 0;
}

// ---- Media ------------------------------------------------------------------

// The sound operations on one object's sound leaf, or on the first sound
// object of that name; 0, or -1 (no sound leaf, no such object). Playing a
// spot sound or stopping a sound by name, and stepping a body's posture, are
// navigation's calls too: scripts use the viewer's slots for them
// (viewer/hooks.h).
struct ZmScriptMediaHooks {
  int (*playAmbientSound)(ZmObj* object, int loop);
  int (*playSpotSound)(ZmObj* object, int loop);
  int (*stopSound)(ZmObj* object);
  int (*suspendSound)(ZmObj* object);
  int (*resumeSound)(ZmObj* object);
  int (*setSoundVolume)(ZmObj* object, int volume);
  int (*playAmbientSoundByName)(const char* name, int loop);
  int (*suspendSoundByName)(const char* name);
  int (*resumeSoundByName)(const char* name);
  int (*setSoundVolumeByName)(const char* name, int volume);
  // Every sound of the sound world; 0, or -1 without a sound world.
  int (*suspendAllSound)();
  int (*resumeAllSound)();

  // zmVideoPlay -- plays the file in the video window; 0 or -1.
  int (*videoPlay)(const char* file);

  // The movie texture of an object: 0, or -1 without a movie; the speed
  // -1.0, the frame and frame count -1, the loop flag 0 without one.
  int (*play3DMovie)(ZmObj* object);
  int (*pause3DMovie)(ZmObj* object);
  int (*set3DMovieSpeed)(ZmObj* object, float speed);
  float (*get3DMovieSpeed)(ZmObj* object);
  int (*set3DMovieFrame)(ZmObj* object, long frame);
  long (*get3DMovieFrame)(ZmObj* object);
  long (*get3DMovieFrameNum)(ZmObj* object);
  int (*get3DMovieLoop)(ZmObj* object);
  void (*set3DMovieLoop)(ZmObj* object, int loop);
  int (*set3DMovieNextFrame)(ZmObj* object);
  int (*set3DMoviePrevFrame)(ZmObj* object);

  // Articulated bodies: 0, -1 (no body) or -4 (no such frame).
  int (*kinSetFrame)(ZmObj* object, int frame);
  int (*kinGetFrame)(ZmObj* object, int* frame);
  int (*kinGetMaxFrame)(ZmObj* object, int* frames);
  // zmKinNewTopObject -- a body file as a new top object of the world
  // (no skin); 0 with *object set, or the first failing step's result.
  int (*kinNewTopObject)(ZmWorld* world, const char* bodyUrl, const char* skinUrl, ZmObj** object);
};
extern ZmScriptMediaHooks zmScriptMediaHooks;

// Unset sound slots: no sound leaf can exist (-1); the "all" forms: there is
// no sound world (-1).
inline int hookPlayAmbientSound(ZmObj* object, int loop) {
  return zmScriptMediaHooks.playAmbientSound ? zmScriptMediaHooks.playAmbientSound(object, loop) : -1;
}
inline int hookPlaySpotSound(ZmObj* object, int loop) {
  return zmScriptMediaHooks.playSpotSound ? zmScriptMediaHooks.playSpotSound(object, loop) : -1;
}
inline int hookStopSound(ZmObj* object) {
  return zmScriptMediaHooks.stopSound ? zmScriptMediaHooks.stopSound(object) : -1;
}
inline int hookSuspendSound(ZmObj* object) {
  return zmScriptMediaHooks.suspendSound ? zmScriptMediaHooks.suspendSound(object) : -1;
}
inline int hookResumeSound(ZmObj* object) {
  return zmScriptMediaHooks.resumeSound ? zmScriptMediaHooks.resumeSound(object) : -1;
}
inline int hookSetSoundVolume(ZmObj* object, int volume) {
  return zmScriptMediaHooks.setSoundVolume ? zmScriptMediaHooks.setSoundVolume(object, volume) : -1;
}
inline int hookPlayAmbientSoundByName(const char* name, int loop) {
  auto slot = zmScriptMediaHooks.playAmbientSoundByName;
  return slot ? slot(name, loop) : -1;
}
inline int hookSuspendSoundByName(const char* name) {
  return zmScriptMediaHooks.suspendSoundByName ? zmScriptMediaHooks.suspendSoundByName(name) : -1;
}
inline int hookResumeSoundByName(const char* name) {
  return zmScriptMediaHooks.resumeSoundByName ? zmScriptMediaHooks.resumeSoundByName(name) : -1;
}
inline int hookSetSoundVolumeByName(const char* name, int volume) {
  auto slot = zmScriptMediaHooks.setSoundVolumeByName;
  return slot ? slot(name, volume) : -1;
}
inline int hookSuspendAllSound() {
  return zmScriptMediaHooks.suspendAllSound ? zmScriptMediaHooks.suspendAllSound() : -1;
}
inline int hookResumeAllSound() {
  return zmScriptMediaHooks.resumeAllSound ? zmScriptMediaHooks.resumeAllSound() : -1;
}

// Unset: the video window cannot be made (-1).
inline int hookVideoPlay(const char* file) {
  return zmScriptMediaHooks.videoPlay ? zmScriptMediaHooks.videoPlay(file) : -1;
}

// Unset movie slots: no object has a movie.
inline int hookPlay3DMovie(ZmObj* object) {
  return zmScriptMediaHooks.play3DMovie ? zmScriptMediaHooks.play3DMovie(object) : -1;
}
// Named apart from the core's wrapper of the same slot, which drops the status.
inline int hookPause3DMovieStatus(ZmObj* object) {
  return zmScriptMediaHooks.pause3DMovie ? zmScriptMediaHooks.pause3DMovie(object) : -1;
}
inline int hookSet3DMovieSpeed(ZmObj* object, float speed) {
  return zmScriptMediaHooks.set3DMovieSpeed ? zmScriptMediaHooks.set3DMovieSpeed(object, speed) : -1;
}
inline float hookGet3DMovieSpeed(ZmObj* object) {
  return zmScriptMediaHooks.get3DMovieSpeed ? zmScriptMediaHooks.get3DMovieSpeed(object) : -1.0f;
}
inline int hookSet3DMovieFrame(ZmObj* object, long frame) {
  return zmScriptMediaHooks.set3DMovieFrame ? zmScriptMediaHooks.set3DMovieFrame(object, frame) : -1;
}
inline long hookGet3DMovieFrame(ZmObj* object) {
  return zmScriptMediaHooks.get3DMovieFrame ? zmScriptMediaHooks.get3DMovieFrame(object) : -1;
}
inline long hookGet3DMovieFrameNum(ZmObj* object) {
  return zmScriptMediaHooks.get3DMovieFrameNum ? zmScriptMediaHooks.get3DMovieFrameNum(object) : -1;
}
inline int hookGet3DMovieLoop(ZmObj* object) {
  return zmScriptMediaHooks.get3DMovieLoop ? zmScriptMediaHooks.get3DMovieLoop(object) : 0;
}
inline void hookSet3DMovieLoop(ZmObj* object, int loop) {
  if (zmScriptMediaHooks.set3DMovieLoop) zmScriptMediaHooks.set3DMovieLoop(object, loop);
}
inline int hookSet3DMovieNextFrame(ZmObj* object) {
  return zmScriptMediaHooks.set3DMovieNextFrame ? zmScriptMediaHooks.set3DMovieNextFrame(object) : -1;
}
inline int hookSet3DMoviePrevFrame(ZmObj* object) {
  return zmScriptMediaHooks.set3DMoviePrevFrame ? zmScriptMediaHooks.set3DMoviePrevFrame(object) : -1;
}

// Unset body slots: no object has a body (-1, outputs untouched).
inline int hookKinSetFrame(ZmObj* object, int frame) {
  return zmScriptMediaHooks.kinSetFrame ? zmScriptMediaHooks.kinSetFrame(object, frame) : -1;
}
inline int hookKinGetFrame(ZmObj* object, int* frame) {
  return zmScriptMediaHooks.kinGetFrame ? zmScriptMediaHooks.kinGetFrame(object, frame) : -1;
}
inline int hookKinGetMaxFrame(ZmObj* object, int* frames) {
  return zmScriptMediaHooks.kinGetMaxFrame ? zmScriptMediaHooks.kinGetMaxFrame(object, frames) : -1;
}
// Unset: no body file can be read (-1, *object untouched).
inline int hookKinNewTopObject(ZmWorld* world, const char* bodyUrl, const char* skinUrl, ZmObj** object) {
  auto slot = zmScriptMediaHooks.kinNewTopObject;
  return slot ? slot(world, bodyUrl, skinUrl, object) : -1;
}

// ---- Multi-user -------------------------------------------------------------

struct ZmScriptMultiUserHooks {
  // The senders to the world server: an application event (mask, text), a
  // call of a procedure on the other clients (with or without a
  // destination flag), a chat line. (An object's world matrix goes through
  // the viewer's slot, viewer/hooks.h.)
  void (*qxSendApplEvent)(ZmObj* object, uint32_t mask, const char* text);
  void (*qxSendApplSpecificMsg)(ZmObj* object, const char* procedure, const char* text);
  void (*qxSendApplSpecificMsgWithDist)(ZmObj* object, const char* procedure, const char* text, int destination);
  void (*qxSendChatStr)(ZmObj* object, const char* text);
  // zmqxAmIMaster -- the current world's master flag, 0 or 1.
  int (*qxAmIMaster)();
};
extern ZmScriptMultiUserHooks zmScriptMultiUserHooks;

// Unset senders: there is no server, nothing is sent.
inline void hookQxSendApplEvent(ZmObj* object, uint32_t mask, const char* text) {
  if (zmScriptMultiUserHooks.qxSendApplEvent) zmScriptMultiUserHooks.qxSendApplEvent(object, mask, text);
}
inline void hookQxSendApplSpecificMsg(ZmObj* object, const char* procedure, const char* text) {
  auto slot = zmScriptMultiUserHooks.qxSendApplSpecificMsg;
  if (slot) slot(object, procedure, text);
}
inline void hookQxSendApplSpecificMsgWithDist(ZmObj* object, const char* procedure, const char* text,
                                              int destination) {
  auto slot = zmScriptMultiUserHooks.qxSendApplSpecificMsgWithDist;
  if (slot) slot(object, procedure, text, destination);
}
inline void hookQxSendChatStr(ZmObj* object, const char* text) {
  if (zmScriptMultiUserHooks.qxSendChatStr) zmScriptMultiUserHooks.qxSendChatStr(object, text);
}
// Unset: no server makes this client the master (0).
inline int hookQxAmIMaster() { return zmScriptMultiUserHooks.qxAmIMaster ? zmScriptMultiUserHooks.qxAmIMaster() : 0; }

// Every slot of the tables above, for the start-up's check.
std::span<const ZmHookSlot> zmScriptHookSlots();

#endif
