// shell/install.cpp -- the shell's service records and the view input's
// actions; see install.h.
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

}  // namespace

void zmInstallShellHooks() {
  static constexpr ZmCoreShell core{.viewInputForgetObj = zmViewInputForgetObj, .deleteObjLabels = zmDeleteObjLabels};
  static constexpr ZmViewerShell viewer{
      .scouterDraw = zmScouterDraw,
      .drawDragFeedback = zmDrawLine,
      .readBookmark = [] { zmReadBookmark(); },
      .saveBookmark = [] { zmSaveBookmark(); },
      .getKeyStateTable = zmGetKeyStateTable,
      .alert = zmAlert,
  };
  static constexpr ZmMultiUserShell multiUser{.chatDisplay = zmChatDisplay};
  static constexpr ZmMediaShell media{.labelHideAll = zmLabelHideAll, .labelShowAll = zmLabelShowAll};
  static constexpr ZmScriptShell script{
      .wwwOpenUrl = zmWwwOpenUrl,
      .wwwOpenFile = zmWwwOpenFile,
      .getUserName = zmGetUserName,
  };
  coreShell.provide(core);
  viewerShell.provide(viewer);
  multiUserShell.provide(multiUser);
  mediaShell.provide(media);
  scriptShell.provide(script);
  zmSetViewInputActions({
      .disableNavigation = zmDisableNavigation,
      .enableNavigation = zmEnableNavigation,
      .navStartEventMove = zmNavStartEventMove,
      .goToUrl = openAnchor,
      .setToolbarButton = showNavigationButton,
      .playAlertSound = playAlert,
  });
}
