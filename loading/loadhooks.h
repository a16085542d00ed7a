// loading/loadhooks.h -- the loading layer's installation into the layers
// below it, and the one call it makes up into scripting.
//
// Owns: zmInstallLoadingHooks, the loading layer's one install function,
// and the service record `loadingScript` (core/service.h) with its default:
// what the archive reader gets while scripting is absent. It does not own
// the functions behind the records.
#ifndef LUMENFOLD_LOADING_LOADHOOKS_H
#define LUMENFOLD_LOADING_LOADHOOKS_H

#include "core/service.h"

struct ZmWorld;

struct ZmLoadingScript {
  // zmScriptEvalFile -- evaluates a Tcl file (script type 1) in the world's
  // interpreter; 0 on success, -1 otherwise, the failure reported by
  // scripting. Default: no interpreter exists; the file is not run (-1).
  int (*scriptEvalFile)(ZmWorld* world, const char* file);
};
inline constexpr ZmLoadingScript kLoadingScriptDefaults = {
    .scriptEvalFile = [](ZmWorld*, const char*) { return -1; },
};
inline constinit ZmService<ZmLoadingScript> loadingScript{"script", "loadingScript", kLoadingScriptDefaults};

// Fills every upward slot the loading layer provides: the URL table's
// functions (zmNewUrlHash, zmDeleteUrlHash, zmReleaseUrlHashEntry into the
// core's table; zmWwwLoadFile, zmGetUrl, zmGetLocalFile, zmSetNameOfWWW,
// zmGetLocalNameOfWWW and the LHA extraction into the VRML layer's;
// zmGetUrlNameOfWWW into the writer's); makes the archiver library
// loadable. Worlds made afterwards get a URL table. Safe to call more than
// once.
void zmInstallLoadingHooks();

#endif
