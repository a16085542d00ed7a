// fuzz/layers.cpp -- the layers started over the harness's private folder.
#include "fuzz/layers.h"

#include <unistd.h>

#include <cstdlib>
#include <string>

#include "core/object.h"
#include "core/world.h"
#include "fuzz/harness.h"
#include "loading/filetype.h"
#include "loading/urltable.h"
#include "startup/startup.h"
#include "vrml/parse.h"

namespace fuzz {
namespace {

std::string fetched;

const char* fetchFromPrivateFolder(ZmUrlHash* entry) {
  const char* url = zmGetUrl(entry);
  if (url == nullptr || zmGetUrlScheme(url) != ZM_SCHEME_NONE) return nullptr;
  if (url[0] == '/' || std::string(url).find("..") != std::string::npos) return nullptr;
  fetched = privateFolder() + url;
  zmResolveLocalName(fetched.data());
  return access(fetched.c_str(), R_OK) == 0 ? fetched.c_str() : nullptr;
}

}  // namespace

void startLayersOverPrivateFolder() {
  adoptPrivateFolderAsHome();
  zmStartLayers({nullptr});
  zmSetUrlFetch(fetchFromPrivateFolder);
}

ZmWorld* readCurrentWorld(const std::string& path, ZmId firstId, ZmId lastId) {
  ZmWorld* world = zmNewWorld(path.c_str());
  if (world == nullptr) std::abort();
  zmSetCurrentWorld(world);
  zmSetIdCounter(&firstId, &lastId, 0);
  parseVRMLIntoWorld(path.c_str(), world);
  return world;
}

}  // namespace fuzz
