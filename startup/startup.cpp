// startup/startup.cpp -- the start-up of the layers; see startup.h.
#include "startup/startup.h"

#include <algorithm>
#include <cstdio>

#include "core/hooks.h"
#include "core/report.h"
#include "loading/loadhooks.h"
#include "media/install.h"
#include "media/labelhooks.h"
#include "media/timeouthooks.h"
#include "multiuser/hooks.h"
#include "multiuser/install.h"
#include "platform/ownmodule.h"
#include "script/hooks.h"
#include "script/install.h"
#include "viewer/install.h"
#include "viewer/hooks.h"
#include "vrml/hooks.h"
#include "vrmlwrite/hooks.h"

namespace {

// Every service record of the layers below the start-up.
const ZmServiceState* const kServices[] = {
    &coreMessages, &coreShell,   &coreViewer,      &coreScript,     &coreMedia,    &coreLoading, &viewerMultiUser,
    &viewerShell,  &viewerMedia, &multiUserScript, &multiUserShell, &mediaShell,   &mediaScript, &scriptShell,
    &vrmlLoading,  &vrmlScript,  &vrmlMedia,       &vrmlViewer,     &writerLoading, &loadingScript};

// Shown whatever the flags: without the module a movie, MIDI or the web
// fails, and the reason belongs beside that.
void reportModuleNotLoaded(const char* text) { zmReportMessage("%s", text); }

}  // namespace

std::string zmListUnsetHooks(std::initializer_list<std::string_view> providers) {
  std::string unset;
  for (const ZmServiceState* service : kServices) {
    if (std::ranges::find(providers, std::string_view(service->provider())) == providers.end()) continue;
    if (!service->provided())
      unset += std::string(service->provider()) + ": " + service->name() + "\n";
    else if (!service->complete())
      unset += std::string(service->provider()) + ": " + service->name() + " (a function left out)\n";
  }
  return unset;
}

void zmStartLayers(const ZmStandIns& standIns) {
  zmInstallViewerHooks();
  zmInstallLoadingHooks();
  zmInstallMediaHooks();
  zmInstallMultiUserHooks();
  zmInstallScriptHooks();
  platform::setOwnModuleReporter(reportModuleNotLoaded);
  static ZmCoreMessages messages;
  messages.notifyMessage = standIns.notifyMessage;
  if (standIns.notifyMessage != nullptr) coreMessages.provide(messages);
#ifndef NDEBUG
  // Every layer installed above: what it leaves unset is still to be built.
  const std::string unset = zmListUnsetHooks({"viewer", "loading", "media", "multiuser", "script"});
  if (!unset.empty()) std::fprintf(stderr, "Service records left unset by the installed layers:\n%s", unset.c_str());
#endif
}
