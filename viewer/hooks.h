// viewer/hooks.h -- the calls the viewer makes up into the layers above it:
// the overlays of a frame, the bookmarks kept across runs, the movie of a
// textured object, the sending of grabbed objects' moves, and what
// navigation needs from above (the keys held down, the alert, walking
// sounds, postures of articulated bodies, and telling the world server where
// the user's avatar is).
//
// Owns: one table per providing layer, all slots null at start, filled by
// that layer's install function (tests set recorders), and the list of their
// slots for the start-up's check. Callers use the inline wrappers below,
// never the slots; each wrapper holds what happens while its slot is unset.
// The slot `fooBar` stands for the provider's `zmFooBar`.
#ifndef LUMENFOLD_VIEWER_HOOKS_H
#define LUMENFOLD_VIEWER_HOOKS_H

#include <cstdint>
#include <cstring>
#include <span>

#include "core/hooks.h"
#include "core/hookslots.h"
#include "platform/wintypes.h"

struct ZmObj;

// ---- Multi-user -------------------------------------------------------------

struct ZmViewerMultiUserHooks {
  // zmScouterDraw -- draws the chat and scouter labels into the camera
  // image's device context. Unset: there are no labels.
  void (*scouterDraw)(HDC image);

  // zmqxUpdateObj -- sends the object's world matrix to the world server when
  // there is a connection and the object is shared; the send's result, or 0
  // when nothing is sent. Unset: there is no server (nothing sent, 0).
  int (*qxUpdateObj)(ZmObj* object);

  // zmqxSendObjPosition -- sends the object's world position to the world
  // server; as above. Unset: nothing sent, 0.
  int (*qxSendObjPosition)(ZmObj* object);
};
extern ZmViewerMultiUserHooks zmViewerMultiUserHooks;

inline void hookScouterDraw(HDC image) {
  if (zmViewerMultiUserHooks.scouterDraw) zmViewerMultiUserHooks.scouterDraw(image);
}

inline int hookQxUpdateObj(ZmObj* object) {
  return zmViewerMultiUserHooks.qxUpdateObj ? zmViewerMultiUserHooks.qxUpdateObj(object) : 0;
}

inline int hookQxSendObjPosition(ZmObj* object) {
  return zmViewerMultiUserHooks.qxSendObjPosition ? zmViewerMultiUserHooks.qxSendObjPosition(object) : 0;
}

// ---- Shell ------------------------------------------------------------------

struct ZmViewerShellHooks {
  // zmDrawDragFeedback -- the feedback of a mouse drag in the view (a white
  // cross at the press point and a line to the mouse, drawn with
  // zmDrawLine). Unset: no drag can be in progress.
  void (*drawDragFeedback)(HDC image);

  // zmReadBookmark -- reads the 3-D bookmarks when the viewer starts.
  // Unset: there are none to read.
  void (*readBookmark)();

  // zmSaveBookmark -- writes the 3-D bookmarks; the viewer runs it as an
  // exit handler. Unset: there are none to save.
  void (*saveBookmark)();

  // zmGetKeyStateTable -- copies the 256-byte key-state table (a key is
  // down when its byte has bit 0x80) into the buffer. Unset: no key is down
  // (the buffer is zeroed).
  void (*getKeyStateTable)(uint8_t buffer[256]);

  // zmAlert -- sounds the alert and turns the status lamp red. Unset: there
  // is nothing to sound or show.
  void (*alert)();
};
extern ZmViewerShellHooks zmViewerShellHooks;

inline void hookDrawDragFeedback(HDC image) {
  if (zmViewerShellHooks.drawDragFeedback) zmViewerShellHooks.drawDragFeedback(image);
}

inline void hookReadBookmark() {
  if (zmViewerShellHooks.readBookmark) zmViewerShellHooks.readBookmark();
}

inline void hookSaveBookmark() {
  if (zmViewerShellHooks.saveBookmark) zmViewerShellHooks.saveBookmark();
}

inline void hookGetKeyStateTable(uint8_t buffer[256]) {
  if (zmViewerShellHooks.getKeyStateTable) {
    zmViewerShellHooks.getKeyStateTable(buffer);
  } else {
    std::memset(buffer, 0, 256);
  }
}

inline void hookAlert() {
  if (zmViewerShellHooks.alert) zmViewerShellHooks.alert();
}

// ---- Media ------------------------------------------------------------------

struct ZmViewerMediaHooks {
  // zmSetTextureMovie -- attaches or completes the object's movie record from
  // its movie file and plays it when it plays by itself; called each time
  // the object's textures are applied, after the movie was paused. Unset: no
  // movie runs.
  void (*setTextureMovie)(ZmObj* object);

  // zmPlaySpotSoundByName -- starts the sound object of that name in the
  // sound world, looping when loop is 1; 0 or -1. Unset: there are no
  // sounds (-1).
  int (*playSpotSoundByName)(const char* name, int loop);

  // zmStopSoundByName -- stops the sound object of that name; 0 or -1.
  // Unset: nothing plays (-1).
  int (*stopSoundByName)(const char* name);

  // zmKinNextPosture, zmKinPrevPosture -- step the object's articulated
  // body one posture forward or back; 0 or negative. Unset: there are no
  // bodies, so no posture changes (-1).
  int (*kinNextPosture)(ZmObj* object);
  int (*kinPrevPosture)(ZmObj* object);
};
extern ZmViewerMediaHooks zmViewerMediaHooks;

inline void hookSetTextureMovie(ZmObj* object) {
  if (zmViewerMediaHooks.setTextureMovie) zmViewerMediaHooks.setTextureMovie(object);
}

inline int hookPlaySpotSoundByName(const char* name, int loop) {
  return zmViewerMediaHooks.playSpotSoundByName ? zmViewerMediaHooks.playSpotSoundByName(name, loop) : -1;
}

inline int hookStopSoundByName(const char* name) {
  return zmViewerMediaHooks.stopSoundByName ? zmViewerMediaHooks.stopSoundByName(name) : -1;
}

inline int hookKinNextPosture(ZmObj* object) {
  return zmViewerMediaHooks.kinNextPosture ? zmViewerMediaHooks.kinNextPosture(object) : -1;
}

inline int hookKinPrevPosture(ZmObj* object) {
  return zmViewerMediaHooks.kinPrevPosture ? zmViewerMediaHooks.kinPrevPosture(object) : -1;
}

// Every slot of the tables above, for the start-up's check.
std::span<const ZmHookSlot> zmViewerHookSlots();

#endif
