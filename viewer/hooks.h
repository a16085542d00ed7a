// viewer/hooks.h -- the calls the viewer makes up into the layers above it:
// the overlays of a frame, the bookmarks kept across runs, the movie of a
// textured object and the sending of a grabbed object's moves.
//
// Owns: one table per providing layer, all slots null at start, filled by
// that layer's install function (tests set recorders), and the list of their
// slots for the start-up's check. Callers use the inline wrappers below,
// never the slots; each wrapper holds what happens while its slot is unset.
// The slot `fooBar` stands for the provider's `zmFooBar`.
#ifndef LUMENFOLD_VIEWER_HOOKS_H
#define LUMENFOLD_VIEWER_HOOKS_H

#include <span>

#include "core/hooks.h"
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
};
extern ZmViewerMultiUserHooks zmViewerMultiUserHooks;

inline void hookScouterDraw(HDC image) {
  if (zmViewerMultiUserHooks.scouterDraw) zmViewerMultiUserHooks.scouterDraw(image);
}

inline int hookQxUpdateObj(ZmObj* object) {
  return zmViewerMultiUserHooks.qxUpdateObj ? zmViewerMultiUserHooks.qxUpdateObj(object) : 0;
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

// ---- Media ------------------------------------------------------------------

struct ZmViewerMediaHooks {
  // zmSetTextureMovie -- attaches or completes the object's movie record from
  // its movie file and plays it when it plays by itself; called each time
  // the object's textures are applied, after the movie was paused. Unset: no
  // movie runs.
  void (*setTextureMovie)(ZmObj* object);
};
extern ZmViewerMediaHooks zmViewerMediaHooks;

inline void hookSetTextureMovie(ZmObj* object) {
  if (zmViewerMediaHooks.setTextureMovie) zmViewerMediaHooks.setTextureMovie(object);
}

// Every slot of the tables above, for the start-up's check.
std::span<const ZmHookSlot> zmViewerHookSlots();

#endif
