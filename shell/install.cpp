// shell/install.cpp -- the shell's hooks and the view input's actions; see
// install.h.
#include "shell/install.h"

#include "core/hooks.h"
#include "core/world.h"
#include "loading/weblink.h"
#include "loading/wwwlink.h"
#include "media/labelhooks.h"
#include "media/wave.h"
#include "multiuser/hooks.h"
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
// An anchor of a world from the web never leads to a local world.
int openAnchor(const char* url) {
  const ZmWorld* world = zmGetCurrentWorld();
  if (world != nullptr && zmWebRefusesLocalOpen(world->name, url)) return -1;
  return zmGoToUrl(url, nullptr);
}

void showNavigationButton(int id, bool pressed) {
  if (pressed)
    zmPressToolBarButton(zmGetNavigationToolBar(), id);
  else
    zmReleaseToolBarButton(zmGetNavigationToolBar(), id);
}

void playAlert(const char* path) {
  if (const int voice = zmWaveOpen(path, 0); voice >= 0) zmWavePlay(voice);
}

// The shell's records for the layers below: the view input lets go of
// deleted objects and draws its drag, chat text reaches the chat window, the
// frame draws the labels, an object takes its labels along when it goes, and
// a video freezes them while it plays.
constexpr ZmCoreShell kCoreShell{.viewInputForgetObj = zmViewInputForgetObj, .deleteObjLabels = zmDeleteObjLabels};
constexpr ZmScriptShell kScriptShell{
    .wwwOpenUrl = zmWwwOpenUrl,
    .wwwOpenFile = zmWwwOpenFile,
    .getUserName = zmGetUserName,
};
constexpr ZmMultiUserShell kMultiUserShell{.chatDisplay = zmChatDisplay};
constexpr ZmMediaShell kMediaShell{.labelHideAll = zmLabelHideAll, .labelShowAll = zmLabelShowAll};
constexpr ZmViewerShell kViewerShell{
    .scouterDraw = zmScouterDraw,
    .drawDragFeedback = zmDrawLine,
    .readBookmark = [] { zmReadBookmark(); },
    .saveBookmark = [] { zmSaveBookmark(); },
    .getKeyStateTable = zmGetKeyStateTable,
    .alert = zmAlert,
};
constexpr ZmViewInputActions kViewInputActions{
    .disableNavigation = disableNavigation,
    .enableNavigation = enableNavigation,
    .navStartEventMove = zmNavStartEventMove,
    .goToUrl = openAnchor,
    .setToolbarButton = showNavigationButton,
    .playAlertSound = playAlert,
};

}  // namespace

void zmInstallShellHooks() {
  coreShell.provide(kCoreShell);
  viewerShell.provide(kViewerShell);
  multiUserShell.provide(kMultiUserShell);
  mediaShell.provide(kMediaShell);
  scriptShell.provide(kScriptShell);
  zmSetViewInputActions(kViewInputActions);
}
