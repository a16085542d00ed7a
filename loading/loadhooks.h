// loading/loadhooks.h -- the loading layer's install function, and its one
// call up into scripting (core/service.h).
#ifndef LUMENFOLD_LOADING_LOADHOOKS_H
#define LUMENFOLD_LOADING_LOADHOOKS_H

#include "core/service.h"

struct ZmWorld;

struct ZmLoadingScript {
  // zmScriptEvalFile -- evaluates a Tcl file (script type 1) in the world's
  // interpreter; 0, or -1 (the default: not run), reported by scripting.
  int (*scriptEvalFile)(ZmWorld* world, const char* file);
};
inline constexpr ZmLoadingScript kLoadingScriptDefaults = {.scriptEvalFile = zmReturns<-1>};
inline constinit ZmService<ZmLoadingScript> loadingScript{"script", "loadingScript", kLoadingScriptDefaults};

// Provides the URL table's functions to the core, the VRML reader and the
// writer (their LHA extraction too), and makes the archiver library
// loadable; worlds made afterwards get a URL table. Safe to call more than
// once.
void zmInstallLoadingHooks();

#endif
