// tests/vrml_hook_guards.h -- the hook tables of the VRML layer emptied for
// a while, for the suites of that layer and those above it.
//
// Owns: VrmlHookGuards, one guard (tests/hook_guard.h) per table of
// vrml/hooks.h. It does not own the tables.
#ifndef LUMENFOLD_TESTS_VRML_HOOK_GUARDS_H
#define LUMENFOLD_TESTS_VRML_HOOK_GUARDS_H

#include "tests/hook_guard.h"
#include "vrml/hooks.h"

struct VrmlHookGuards {
  ServiceGuard<ZmVrmlLoading> loading{vrmlLoading};
  ServiceGuard<ZmVrmlScript> script{vrmlScript};
  ServiceGuard<ZmVrmlMedia> media{vrmlMedia};
  ServiceGuard<ZmVrmlViewer> viewer{vrmlViewer};
};

#endif
