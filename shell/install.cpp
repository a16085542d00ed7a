// shell/install.cpp -- the shell's hooks and the view input's actions; see
// install.h.
#include "shell/install.h"

#include "loading/wwwlink.h"
#include "media/bodies.h"
#include "media/labelhooks.h"
#include "media/movie.h"
#include "media/sound.h"
#include "media/video.h"
#include "media/wave.h"
#include "multiuser/hooks.h"
#include "multiuser/send.h"
#include "script/hooks.h"
#include "viewer/automove.h"
#include "viewer/hooks.h"
#include "viewer/navigation.h"
#include "shell/bookmarks.h"
#include "shell/toolbar.h"
#include "shell/chat.h"
#include "shell/labels.h"
#include "shell/nickname.h"
#include "shell/viewinput.h"
#include "shell/worldload.h"

namespace {

int disableNavigation() { return zmDisableNavigation(); }
int enableNavigation() { return zmEnableNavigation(); }
int openAnchor(const char* url) { return zmGoToUrl(url, nullptr); }

void showNavigationButton(int id, bool pressed) {
  if (pressed)
    zmPressToolBarButton(zmGetNavigationToolBar(), id);
  else
    zmReleaseToolBarButton(zmGetNavigationToolBar(), id);
}

void playAlert(const char* path) {
  if (const int voice = zmWaveOpen(path, 0); voice >= 0) zmWavePlay(voice);
}

// Scripts reach the openers, the walking switch and the sounds through
// their own tables.
void installScriptSlots() {
  zmScriptShellHooks.wwwOpenUrl = zmWwwOpenUrl;
  zmScriptShellHooks.wwwOpenFile = zmWwwOpenFile;
  zmScriptViewerHooks.enableNavigation = enableNavigation;
  zmScriptViewerHooks.disableNavigation = disableNavigation;
  ZmScriptMultiUserHooks& network = zmScriptMultiUserHooks;
  network.qxSendApplEvent = [](ZmObj* object, uint32_t mask, const char* text) { zmqxSendApplEvent(object, mask, text); };
  network.qxSendApplSpecificMsg = [](ZmObj* object, const char* procedure, const char* text) {
    zmqxSendApplSpecificMsg(object, procedure, text);
  };
  network.qxSendApplSpecificMsgWithDist = [](ZmObj* object, const char* procedure, const char* text, int to) {
    zmqxSendApplSpecificMsgWithDist(object, procedure, text, to);
  };
  network.qxSendChatStr = [](ZmObj* object, const char* text) { zmqxSendChatStr(object, text); };
  network.qxAmIMaster = zmqxAmIMaster;
  network.getUserName = zmGetUserName;
  ZmScriptMediaHooks& media = zmScriptMediaHooks;
  media.playAmbientSound = zmPlayAmbientSound;
  media.playSpotSound = zmPlaySpotSound;
  media.stopSound = zmStopSound;
  media.videoPlay = zmVideoPlay;
  media.suspendSound = zmSuspendSound;
  media.resumeSound = zmResumeSound;
  media.setSoundVolume = zmSetSoundVolume;
  media.playAmbientSoundByName = zmPlayAmbientSoundByName;
  media.suspendSoundByName = zmSuspendSoundByName;
  media.resumeSoundByName = zmResumeSoundByName;
  media.setSoundVolumeByName = zmSetSoundVolumeByName;
  media.suspendAllSound = zmSuspendAllSound;
  media.resumeAllSound = zmResumeAllSound;
  media.play3DMovie = zmPlay3DMovie;
  media.pause3DMovie = zmPause3DMovie;
  media.set3DMovieSpeed = zmSet3DMovieSpeed;
  media.get3DMovieSpeed = zmGet3DMovieSpeed;
  media.set3DMovieFrame = [](ZmObj* object, long frame) { return zmSet3DMovieFrame(object, int(frame)); };
  media.get3DMovieFrame = [](ZmObj* object) { return long(zmGet3DMovieFrame(object)); };
  media.get3DMovieFrameNum = [](ZmObj* object) { return long(zmGet3DMovieFrameNum(object)); };
  media.get3DMovieLoop = zmGet3DMovieLoop;
  media.set3DMovieLoop = zmSet3DMovieLoop;
  media.set3DMovieNextFrame = zmSet3DMovieNextFrame;
  media.set3DMoviePrevFrame = zmSet3DMoviePrevFrame;
  media.kinSetFrame = [](ZmObj* object, int frame) { return zmKinSetFrame(object, frame); };
  media.kinGetFrame = [](ZmObj* object, int* frame) {
    int32_t value = 0;
    const int status = zmKinGetFrame(object, &value);
    *frame = value;
    return status;
  };
  media.kinGetMaxFrame = [](ZmObj* object, int* frames) {
    int32_t value = 0;
    const int status = zmKinGetMaxFrame(object, &value);
    *frames = value;
    return status;
  };
  media.kinNewTopObject = zmKinNewTopObject;
}

// Chat text from the server and from scripts reaches the chat window; the
// frame draws the labels, an object takes its labels along when it goes, and
// a video freezes them while it plays.
void installLabelSlots() {
  zmMultiUserChatHooks.chatDisplay = zmChatDisplay;
  zmViewerMultiUserHooks.scouterDraw = zmScouterDraw;
  zmCoreMultiUserHooks.deleteObjLabels = zmDeleteObjLabels;
  zmMediaShellHooks.labelHideAll = zmLabelHideAll;
  zmMediaShellHooks.labelShowAll = zmLabelShowAll;
}

}  // namespace

void zmInstallShellHooks() {
  zmInstallViewInputHooks();
  zmInstallBookmarkHooks();
  zmViewerShellHooks.getKeyStateTable = zmGetKeyStateTable;
  zmViewerShellHooks.alert = zmAlert;
  zmViewInputActions.disableNavigation = disableNavigation;
  zmViewInputActions.enableNavigation = enableNavigation;
  zmViewInputActions.navStartEventMove = zmNavStartEventMove;
  zmViewInputActions.goToUrl = openAnchor;
  zmViewInputActions.setToolbarButton = showNavigationButton;
  zmViewInputActions.playAlertSound = playAlert;
  installScriptSlots();
  installLabelSlots();
}
