// script/hooks.h -- the calls the script commands make up into the shell:
// opening URLs and files through the browser link, and the user's nickname.
//
// Owns: scriptShell, the record the program fills at start-up (tests fill it
// with recorders), and its defaults, which are what the commands answer while
// there is no shell. The layers scripting links (the multi-user client, media,
// the viewer) are called directly and have no record here.
#ifndef LUMENFOLD_SCRIPT_HOOKS_H
#define LUMENFOLD_SCRIPT_HOOKS_H

#include "core/service.h"

// The browser link's openers; the program fills them at start-up with the
// shell's own opening of worlds until the link's web side exists.
struct ZmScriptShell {
  // zmWwwOpenUrl -- the browser opens the URL (a world comes back as a load
  // request); 0 or -1. Default: there is no browser link (-1).
  int (*wwwOpenUrl)(const char* url);
  // zmWwwOpenFile -- opens a local world file by its URL; 0 or -1. Default:
  // nothing can open it (-1).
  int (*wwwOpenFile)(const char* path);
  // zmGetUserName -- the user's nickname, owned by the shell. Default: no
  // nickname is known (the empty text).
  const char* (*getUserName)();
};
inline constexpr ZmScriptShell kScriptShellDefaults = {
    .wwwOpenUrl = [](const char*) { return -1; },
    .wwwOpenFile = [](const char*) { return -1; },
    .getUserName = [] { return ""; },
};
inline constinit ZmService<ZmScriptShell> scriptShell{"shell", "scriptShell", kScriptShellDefaults};

#endif
