// loading/loadhooks.cpp -- the loading layer's downward hooks and its
// installation into the layers below; see loadhooks.h.
#include "loading/loadhooks.h"

#include "core/hooks.h"
#include "core/world.h"
#include "loading/filetype.h"
#include "loading/gzip.h"
#include "loading/lha.h"
#include "loading/urltable.h"
#include "platform/archiver.h"
#include "vrml/hooks.h"
#include "vrml/session.h"
#include "vrmlwrite/hooks.h"

ZmLoadingHooks zmLoadingHooks = {};

namespace {

// An archive is fetched as any other file of the world, under the same
// rules: relative to the world, and never a local file for a world from the
// web.
const char* fetchArchive(const char* url) {
  if (zmLoadingHooks.wwwFetchUrl == nullptr) return nullptr;
  ZmUrlHash record{const_cast<char*>(url), nullptr, ZM_FILE_UNKNOWN, nullptr};
  return zmLoadingHooks.wwwFetchUrl(&record);
}

int enterMember(const char* url, const char* localFile, uint32_t type) {
  ZmWorld* world = zmGetWorldBeingBuiltOrCurrent();
  return world != nullptr && zmNewUrlHashEntry(world->urlTable, url, localFile, type) != nullptr ? 0 : -1;
}

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

  zmLhaCallbacks.fetchUrl = fetchArchive;
  zmLhaCallbacks.preProcessFile = zmPreProcessFile;
  zmLhaCallbacks.getFileType = zmGetFileType;
  zmLhaCallbacks.newUrlHashEntry = enterMember;

  zmLoadingHooks.decompress = Decompress;
  platform::provideArchiver();
}
