// script/rights.cpp -- the files a world's scripts may read; see rights.h.
#include "script/rights.h"

#include <climits>
#include <cstdlib>
#include <vector>

#include "core/world.h"
#include "loading/filetype.h"
#include "loading/httpfetch.h"
#include "loading/madecopies.h"
#include "loading/urltable.h"
#include "script/host.h"
#include "script/sandbox.h"

namespace {

std::string resolved(const std::string& path) {
  char buffer[PATH_MAX];
  return realpath(path.c_str(), buffer) != nullptr ? std::string(buffer) : std::string();
}

bool isLocalWorld(const ZmWorld* world) {
  return world->name != nullptr &&
         (zmGetUrlScheme(world->name) == ZM_SCHEME_FILE || world->name[0] == '/');
}

// The local path a "file:" URL or an absolute path names; empty for any
// other URL.
std::string localPathOf(const char* url) {
  if (url[0] == '/') return url;
  const char* path = zmFileUrlToPath(url);
  return path != nullptr ? std::string(path) : std::string();
}

// The folders the world's scripts read whole, resolved.
std::vector<std::string> readableFolders(ZmWorld* world) {
  std::vector<std::string> folders = {zmScriptRealPath(zmScriptSandboxDir()),
                                      zmScriptRealPath(zmScriptLibraryFolder())};
  if (isLocalWorld(world)) {
    const std::string file = localPathOf(world->name);
    const size_t slash = file.rfind('/');
    if (slash != std::string::npos) folders.push_back(zmScriptRealPath(file.substr(0, slash + 1)));
    folders.push_back(zmScriptRealPath(zmScriptProgramDir()));
  }
  return folders;
}

// `path` is the folder itself or lies below it at a '/'. The root admits
// nothing: no folder the rule names can be it.
bool within(const std::string& path, const std::string& folder) {
  if (folder.empty() || folder == "/" || path.compare(0, folder.size(), folder) != 0) return false;
  return path.size() == folder.size() || path[folder.size()] == '/';
}

bool inReadableFolder(ZmWorld* world, const std::string& real) {
  for (const std::string& folder : readableFolders(world))
    if (within(real, folder)) return true;
  return false;
}

// A URL as the world's scripts mean it: a relative one resolved against the
// world's own URL (left as it is when the world has none).
std::string absoluteUrl(const ZmWorld* world, const char* url) {
  const bool relative = zmGetUrlScheme(url) == ZM_SCHEME_NONE && url[0] != '/';
  if (!relative || world->name == nullptr || zmGetUrlScheme(world->name) == ZM_SCHEME_NONE) return url;
  const char* absolute = zmDdeParseAnchor(world->name, url);
  return absolute != nullptr ? std::string(absolute) : std::string();
}

bool sourceIsReadable(ZmWorld* world, const char* url) {
  const std::string absolute = absoluteUrl(world, url);
  if (zmIsWebUrl(absolute.c_str())) return true;
  const std::string path = localPathOf(absolute.c_str());
  return !path.empty() && inReadableFolder(world, zmScriptRealPath(path));
}

// A copy the program made for one of the world's entries, from a source
// the world may read.
bool isFetchedCopy(ZmWorld* world, const std::string& real) {
  if (world->urlTable == nullptr) return false;
  for (int32_t b = 0; b < world->urlTable->bucketCount; ++b) {
    for (ZmUrlHash* entry = world->urlTable->buckets[b]; entry != nullptr; entry = entry->next) {
      const char* local = entry->local_filename;
      if (local == nullptr || local[0] == '\0' || entry->url == nullptr || entry->url[0] == '\0') continue;
      if (zmScriptRealPath(local) == real && zmIsMadeCopy(local) && sourceIsReadable(world, entry->url)) return true;
    }
  }
  return false;
}

}  // namespace

std::string zmScriptRealPath(const std::string& path) {
  if (path.empty()) return {};
  // The deepest folder that is there decides; what follows it must go no
  // higher than it.
  std::string there = path;
  std::string rest;
  for (;;) {
    const std::string real = resolved(there.empty() ? "." : there);
    if (!real.empty()) return rest.empty() ? real : (real == "/" ? "" : real) + rest;
    const size_t slash = there.find_last_of('/');
    const std::string name = slash == std::string::npos ? there : there.substr(slash + 1);
    if (name == "..") return {};
    if (!name.empty() && name != ".") rest = "/" + name + rest;
    if (slash == std::string::npos) {
      there.clear();
    } else {
      there = slash == 0 ? "/" : there.substr(0, slash);
    }
  }
}

bool zmScriptMayRead(ZmWorld* world, const char* path) {
  if (world == nullptr || path == nullptr) return false;
  const std::string real = zmScriptRealPath(path);
  if (real.empty()) return false;
  return inReadableFolder(world, real) || isFetchedCopy(world, real);
}

bool zmScriptMayFetch(ZmWorld* world, const char* url) {
  if (world == nullptr || url == nullptr) return false;
  const std::string absolute = absoluteUrl(world, url);
  if (absolute.empty()) return false;
  const std::string path = localPathOf(absolute.c_str());
  return path.empty() || zmScriptMayRead(world, path.c_str());
}
