// viewer/hooks.h -- the calls the viewer makes up into the layers above it:
// the overlays of a frame, the bookmarks kept across runs, the movie of a
// textured object, the sending of grabbed objects' moves, and what
// navigation needs from above (the keys held down, the alert, walking
// sounds, postures of articulated bodies, and telling the world server where
// the user's avatar is).
//
// Owns: one service record per providing layer (core/service.h), each with
// its constant default record, which holds what the viewer gets while that
// layer is absent, and the service the viewer calls it through. Member
// `fooBar` stands for the provider's `zmFooBar`.
#ifndef LUMENFOLD_VIEWER_HOOKS_H
#define LUMENFOLD_VIEWER_HOOKS_H

#include <cstdint>
#include <cstring>

#include "core/service.h"
#include "platform/wintypes.h"

struct ZmObj;

// ---- Multi-user -------------------------------------------------------------

struct ZmViewerMultiUser {
  // zmqxUpdateObj -- sends the object's world matrix to the world server when
  // there is a connection and the object is shared; the send's result, or 0
  // when nothing is sent. Default: there is no server (nothing sent, 0).
  int (*qxUpdateObj)(ZmObj* object);

  // zmqxSendObjPosition -- sends the object's world position to the world
  // server; as above. Default: nothing sent, 0.
  int (*qxSendObjPosition)(ZmObj* object);
};
inline constexpr ZmViewerMultiUser kViewerMultiUserDefaults = {
    .qxUpdateObj = [](ZmObj*) { return 0; },
    .qxSendObjPosition = [](ZmObj*) { return 0; },
};
inline constinit ZmService<ZmViewerMultiUser> viewerMultiUser{"multiuser", "viewerMultiUser",
                                                              kViewerMultiUserDefaults};

// ---- Shell ------------------------------------------------------------------

struct ZmViewerShell {
  // zmScouterDraw -- draws the chat and scouter labels into the camera
  // image's device context. Default: there are no labels.
  void (*scouterDraw)(HDC image);

  // zmDrawDragFeedback -- the feedback of a mouse drag in the view (a white
  // cross at the press point and a line to the mouse, drawn with
  // zmDrawLine). Default: no drag can be in progress.
  void (*drawDragFeedback)(HDC image);

  // zmReadBookmark -- reads the 3-D bookmarks when the viewer starts.
  // Default: there are none to read.
  void (*readBookmark)();

  // zmSaveBookmark -- writes the 3-D bookmarks; the viewer runs it as an
  // exit handler. Default: there are none to save.
  void (*saveBookmark)();

  // zmGetKeyStateTable -- copies the 256-byte key-state table (a key is
  // down when its byte has bit 0x80) into the buffer. Default: no key is
  // down (the buffer is zeroed).
  void (*getKeyStateTable)(uint8_t buffer[256]);

  // zmAlert -- sounds the alert and turns the status lamp red. Default:
  // there is nothing to sound or show.
  void (*alert)();
};
inline constexpr ZmViewerShell kViewerShellDefaults = {
    .scouterDraw = [](HDC) {},
    .drawDragFeedback = [](HDC) {},
    .readBookmark = [] {},
    .saveBookmark = [] {},
    .getKeyStateTable = [](uint8_t buffer[256]) { std::memset(buffer, 0, 256); },
    .alert = [] {},
};
inline constinit ZmService<ZmViewerShell> viewerShell{"shell", "viewerShell", kViewerShellDefaults};

// ---- Media ------------------------------------------------------------------

struct ZmViewerMedia {
  // zmSetTextureMovie -- attaches or completes the object's movie record from
  // its movie file and plays it when it plays by itself; called each time
  // the object's textures are applied, after the movie was paused. Default:
  // no movie runs.
  void (*setTextureMovie)(ZmObj* object);

  // zmPlaySpotSoundByName -- starts the sound object of that name in the
  // sound world, looping when loop is 1; 0 or -1. Default: there are no
  // sounds (-1).
  int (*playSpotSoundByName)(const char* name, int loop);

  // zmStopSoundByName -- stops the sound object of that name; 0 or -1.
  // Default: nothing plays (-1).
  int (*stopSoundByName)(const char* name);

  // zmKinNextPosture, zmKinPrevPosture -- step the object's articulated
  // body one posture forward or back; 0 or negative. Default: there are no
  // bodies, so no posture changes (-1).
  int (*kinNextPosture)(ZmObj* object);
  int (*kinPrevPosture)(ZmObj* object);
};
inline constexpr ZmViewerMedia kViewerMediaDefaults = {
    .setTextureMovie = [](ZmObj*) {},
    .playSpotSoundByName = [](const char*, int) { return -1; },
    .stopSoundByName = [](const char*) { return -1; },
    .kinNextPosture = [](ZmObj*) { return -1; },
    .kinPrevPosture = [](ZmObj*) { return -1; },
};
inline constinit ZmService<ZmViewerMedia> viewerMedia{"media", "viewerMedia", kViewerMediaDefaults};

#endif
