// fuzz/layers.cpp -- the layers started over the harness's private folder.
#include "fuzz/layers.h"

#include <unistd.h>

#include <string>

#include "fuzz/harness.h"
#include "loading/filetype.h"
#include "loading/urltable.h"
#include "startup/startup.h"

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

}  // namespace fuzz
