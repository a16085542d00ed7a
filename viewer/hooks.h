// viewer/hooks.h -- the calls the viewer makes up into the multi-user
// client, the shell and media (core/service.h): the overlays of a frame,
// the bookmarks, a textured object's movie, sending grabbed objects' moves,
// and what navigation needs (keys held down, the alert, walking sounds,
// postures of bodies, the avatar's place for the world server).
#ifndef LUMENFOLD_VIEWER_HOOKS_H
#define LUMENFOLD_VIEWER_HOOKS_H

#include <cstdint>
#include <cstring>

#include "core/service.h"
#include "platform/wintypes.h"

struct ZmObj;

// Each sends to the world server when there is a connection and the object
// is shared; the send's result, or 0 when nothing is sent.
struct ZmViewerMultiUser {
  int (*qxUpdateObj)(ZmObj* object);        // zmqxUpdateObj: the world matrix
  int (*qxSendObjPosition)(ZmObj* object);  // zmqxSendObjPosition: the world position
};
inline constexpr ZmViewerMultiUser kViewerMultiUserDefaults = {
    .qxUpdateObj = zmReturns<0>, .qxSendObjPosition = zmReturns<0>};
inline constinit ZmService<ZmViewerMultiUser> viewerMultiUser{"multiuser", "viewerMultiUser",
                                                              kViewerMultiUserDefaults};

struct ZmViewerShell {
  // zmScouterDraw -- draws the chat and scouter labels into the camera
  // image's device context.
  void (*scouterDraw)(HDC image);
  // zmDrawDragFeedback -- a mouse drag's feedback in the view: a white cross
  // at the press point and a line to the mouse (zmDrawLine).
  void (*drawDragFeedback)(HDC image);
  // zmReadBookmark, zmSaveBookmark -- read the 3-D bookmarks when the viewer
  // starts, write them as an exit handler.
  void (*readBookmark)();
  void (*saveBookmark)();
  // zmGetKeyStateTable -- copies the 256-byte key-state table (bit 0x80: the
  // key is down) into the buffer. Default: zeroes it.
  void (*getKeyStateTable)(uint8_t buffer[256]);
  // zmAlert -- sounds the alert and turns the status lamp red.
  void (*alert)();
};
inline constexpr ZmViewerShell kViewerShellDefaults = {
    .scouterDraw = zmNothing,
    .drawDragFeedback = zmNothing,
    .readBookmark = zmNothing, .saveBookmark = zmNothing,
    .getKeyStateTable = [](uint8_t buffer[256]) { std::memset(buffer, 0, 256); },
    .alert = zmNothing,
};
inline constinit ZmService<ZmViewerShell> viewerShell{"shell", "viewerShell", kViewerShellDefaults};

struct ZmViewerMedia {
  // zmSetTextureMovie -- attaches or completes the object's movie record from
  // its movie file and plays it when it plays by itself; called each time
  // the object's textures are applied, after the movie was paused.
  void (*setTextureMovie)(ZmObj* object);
  // zmPlaySpotSoundByName, zmStopSoundByName -- start (looping when loop is
  // 1) or stop the sound object of that name in the sound world; 0 or -1 (the
  // default).
  int (*playSpotSoundByName)(const char* name, int loop);
  int (*stopSoundByName)(const char* name);
  // zmKinNextPosture, zmKinPrevPosture -- step the object's articulated body
  // one posture forward or back; 0, or negative (-1 unset: no bodies).
  int (*kinNextPosture)(ZmObj* object);
  int (*kinPrevPosture)(ZmObj* object);
};
inline constexpr ZmViewerMedia kViewerMediaDefaults = {
    .setTextureMovie = zmNothing,
    .playSpotSoundByName = zmReturns<-1>, .stopSoundByName = zmReturns<-1>,
    .kinNextPosture = zmReturns<-1>, .kinPrevPosture = zmReturns<-1>,
};
inline constinit ZmService<ZmViewerMedia> viewerMedia{"media", "viewerMedia", kViewerMediaDefaults};

#endif
