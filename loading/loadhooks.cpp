// loading/loadhooks.cpp -- the loading layer's service records; see loadhooks.h.
#include "loading/loadhooks.h"

#include "core/hooks.h"
#include "loading/lha.h"
#include "loading/urltable.h"
#include "platform/archiver.h"
#include "vrml/hooks.h"
#include "vrmlwrite/hooks.h"

void zmInstallLoadingHooks() {
  static constexpr ZmCoreLoading core{
      .newUrlHash = zmNewUrlHash,
      .deleteUrlHash = zmDeleteUrlHash,
      .releaseUrlHashEntry = zmReleaseUrlHashEntry,
  };
  static constexpr ZmVrmlLoading vrml{
      .wwwLoadFile = zmWwwLoadFile,
      .getUrl = zmGetUrl,
      .getLocalFile = zmGetLocalFile,
      .setNameOfWWW = zmSetNameOfWWW,
      .getLocalNameOfWWW = zmGetLocalNameOfWWW,
      .extractLha = zmExtractLhaCopy,
  };
  static constexpr ZmWriterLoading writer{.getUrlNameOfWWW = zmGetUrlNameOfWWW};
  coreLoading.provide(core);
  vrmlLoading.provide(vrml);
  writerLoading.provide(writer);
  platform::provideArchiver();
}
