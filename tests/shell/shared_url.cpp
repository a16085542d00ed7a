// tests/shell/shared_url.cpp -- the shared URL buffer for suites that link
// the location bar without the world loading that defines it.
//
// Weak, so that the world loading's own definition takes its place as soon
// as the suite links it.
#include "shell/appstate.h"

__attribute__((weak)) char zmSharedUrl[ZM_SHARED_URL_SIZE];
