// fuzz/vrml.cpp -- a VRML file read and built into a fresh world, which is
// then deleted.
//
// The layers above the builder are filled as the command-line programs fill
// them today: the URL table, and a fetch that finds local files. Here the
// fetch finds only files in the harness's private folder, so an inline can
// name the world itself but never reaches outside.
#include <cstdint>
#include <string>

#include "core/object.h"
#include "core/world.h"
#include "fuzz/harness.h"
#include "fuzz/layers.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bool ready = (fuzz::startLayersOverPrivateFolder(), true);
  (void)ready;
  const std::string path = fuzz::writeInput("world.wrl", data, size);
  ZmWorld* world = fuzz::readCurrentWorld(path);
  zmSetCurrentWorld(nullptr);
  zmDeleteWorld(world);
  fuzz::clearPrivateFolder();
  return 0;
}
