// tools/vrmlwrite.cpp -- reads one VRML 1.0 world and writes it back.
//
// Usage: vrmlwrite FILE.wrl OUT.wrl. Reads FILE through parseVRMLIntoWorld,
// printing every message of the reader and the writer as it comes, and
// writes the world to OUT with zmDumpZmWorld. Without the loading layer a
// URL is its own local file ("file://" URLs name the path after it), so
// texture and sound fields name what the world file named. Exit status 0
// when the world was read, 1 when the parse failed, 2 for a wrong command
// line.
#include <cstdio>
#include <map>
#include <memory>
#include <string>

#include "core/hooks.h"
#include "core/object.h"
#include "core/world.h"
#include "vrml/parse.h"
#include "vrmlwrite/qvdump.h"
#include "tools/messages.h"

// The tool's own URL table: each URL is an entry that only knows its text.
struct ZmUrlHash {
  std::string url;
};

namespace {

std::map<std::string, std::unique_ptr<ZmUrlHash>> urlTable;

ZmUrlHash* wwwLoadFile(const char* url) {
  auto& entry = urlTable[url];
  if (!entry) entry = std::make_unique<ZmUrlHash>(ZmUrlHash{url});
  return entry.get();
}

const char* getUrl(ZmUrlHash* entry) { return entry->url.c_str(); }

const char* getLocalFile(ZmUrlHash* entry) {
  const std::string& url = entry->url;
  return url.rfind("file://", 0) == 0 ? url.c_str() + 7 : url.c_str();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: vrmlwrite FILE.wrl OUT.wrl\n");
    return 2;
  }
  zmCoreHooks.notifyMessage = printMessage;
  zmCoreHooks.wwwLoadFile = wwwLoadFile;
  zmCoreHooks.getUrl = getUrl;
  zmCoreHooks.getLocalFile = getLocalFile;
  ZmWorld* world = zmNewWorld(argv[1]);
  if (world == nullptr) return 1;
  zmSetCurrentWorld(world);
  ZmId first = -10000, last = -1;
  zmSetIdCounter(&first, &last, 0);
  int result = parseVRMLIntoWorld(argv[1], world);
  if (result == 0) zmDumpZmWorld(world, argv[2]);
  zmSetCurrentWorld(nullptr);
  zmDeleteWorld(world);
  return result == 0 ? 0 : 1;
}
