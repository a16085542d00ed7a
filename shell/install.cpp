// shell/install.cpp -- the shell's hooks and the view input's actions; see
// install.h.
#include "shell/install.h"

#include "viewer/automove.h"
#include "viewer/hooks.h"
#include "viewer/navigation.h"
#include "shell/viewinput.h"
#include "shell/worldload.h"

namespace {

int disableNavigation() { return zmDisableNavigation(); }
int enableNavigation() { return zmEnableNavigation(); }
int openAnchor(const char* url) { return zmGoToUrl(url, nullptr); }

}  // namespace

void zmInstallShellHooks() {
  zmInstallViewInputHooks();
  zmViewerShellHooks.getKeyStateTable = zmGetKeyStateTable;
  zmViewerShellHooks.alert = zmAlert;
  zmViewInputActions.disableNavigation = disableNavigation;
  zmViewInputActions.enableNavigation = enableNavigation;
  zmViewInputActions.navStartEventMove = zmNavStartEventMove;
  zmViewInputActions.goToUrl = openAnchor;
}
