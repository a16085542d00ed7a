// loading/loadhooks.cpp -- the loading layer's downward hooks and its
// installation into the layers below; see loadhooks.h.
#include "loading/loadhooks.h"

#include "core/hooks.h"
#include "loading/gzip.h"
#include "loading/lha.h"
#include "loading/urltable.h"
#include "platform/archiver.h"
#include "vrml/hooks.h"
#include "vrmlwrite/hooks.h"

ZmLoadingHooks zmLoadingHooks = {};

void zmInstallLoadingHooks() {
  zmCoreLoadingHooks.newUrlHash = zmNewUrlHash;
  zmCoreLoadingHooks.deleteUrlHash = zmDeleteUrlHash;
  zmCoreLoadingHooks.releaseUrlHashEntry = zmReleaseUrlHashEntry;

  zmVrmlLoadingHooks.wwwLoadFile = zmWwwLoadFile;
  zmVrmlLoadingHooks.getUrl = zmGetUrl;
  zmVrmlLoadingHooks.getLocalFile = zmGetLocalFile;
  zmVrmlLoadingHooks.setNameOfWWW = zmSetNameOfWWW;
  zmVrmlLoadingHooks.getLocalNameOfWWW = zmGetLocalNameOfWWW;
  zmVrmlLoadingHooks.extractLha = zmExtractLhaCopy;

  zmWriterLoadingHooks.getUrlNameOfWWW = zmGetUrlNameOfWWW;

  zmLoadingHooks.decompress = Decompress;
  platform::provideArchiver();
}
