// loading/loadhooks.cpp -- the loading layer's installation into the layers
// below it; see loadhooks.h.
#include "loading/loadhooks.h"

#include "core/hooks.h"
#include "loading/lha.h"
#include "loading/urltable.h"
#include "platform/archiver.h"
#include "vrml/hooks.h"
#include "vrmlwrite/hooks.h"

namespace {

constexpr ZmCoreLoading kCoreLoading{
    .newUrlHash = zmNewUrlHash,
    .deleteUrlHash = zmDeleteUrlHash,
    .releaseUrlHashEntry = zmReleaseUrlHashEntry,
};
constexpr ZmVrmlLoading kVrmlLoading{
    .wwwLoadFile = zmWwwLoadFile,
    .getUrl = zmGetUrl,
    .getLocalFile = zmGetLocalFile,
    .setNameOfWWW = zmSetNameOfWWW,
    .getLocalNameOfWWW = zmGetLocalNameOfWWW,
    .extractLha = zmExtractLhaCopy,
};
constexpr ZmWriterLoading kWriterLoading{.getUrlNameOfWWW = zmGetUrlNameOfWWW};

}  // namespace

void zmInstallLoadingHooks() {
  coreLoading.provide(kCoreLoading);
  vrmlLoading.provide(kVrmlLoading);
  writerLoading.provide(kWriterLoading);
  platform::provideArchiver();
}
