// script/hooks.h -- the calls the script commands make up into the shell
// (core/service.h): opening URLs and files through the browser link, and the
// user's nickname. The layers scripting links (the multi-user client,
// media, the viewer) are called directly.
#ifndef LUMENFOLD_SCRIPT_HOOKS_H
#define LUMENFOLD_SCRIPT_HOOKS_H

#include "core/service.h"

// The program fills the openers with the shell's own opening of worlds
// until the browser link's web side exists.
struct ZmScriptShell {
  // zmWwwOpenUrl, zmWwwOpenFile -- open the URL through the browser (a world
  // comes back as a load request), or a local world file by its URL; 0 or -1
  // (the default).
  int (*wwwOpenUrl)(const char* url);
  int (*wwwOpenFile)(const char* path);
  // zmGetUserName -- the user's nickname, owned by the shell. Default: "".
  const char* (*getUserName)();
};
inline constexpr ZmScriptShell kScriptShellDefaults = {
    .wwwOpenUrl = zmReturns<-1>, .wwwOpenFile = zmReturns<-1>,
    .getUserName = [] { return ""; },
};
inline constinit ZmService<ZmScriptShell> scriptShell{"shell", "scriptShell", kScriptShellDefaults};

#endif
