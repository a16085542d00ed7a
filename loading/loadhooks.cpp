// loading/loadhooks.cpp -- the loading layer's downward hooks and its
// installation into the core; see loadhooks.h.
#include "loading/loadhooks.h"

#include "core/hooks.h"
#include "loading/urltable.h"

ZmLoadingHooks zmLoadingHooks = {};

void zmInstallLoadingHooks() {
  zmCoreHooks.wwwLoadFile = zmWwwLoadFile;
  zmCoreHooks.getUrl = zmGetUrl;
  zmCoreHooks.newUrlHash = zmNewUrlHash;
  zmCoreHooks.deleteUrlHash = zmDeleteUrlHash;
  zmCoreHooks.releaseUrlHashEntry = zmReleaseUrlHashEntry;
  zmCoreHooks.setNameOfWWW = zmSetNameOfWWW;
  zmCoreHooks.getLocalNameOfWWW = zmGetLocalNameOfWWW;
  zmCoreHooks.getLocalFile = zmGetLocalFile;
  zmCoreHooks.getUrlNameOfWWW = zmGetUrlNameOfWWW;
}
