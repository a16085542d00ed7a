// core/hooks.cpp -- storage of the upward hook table, all slots null at start.
#include "core/hooks.h"

ZmCoreHooks zmCoreHooks = {};
