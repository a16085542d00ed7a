// fuzz/midi.cpp -- a sound profile read as a MIDI note profile and as a
// sound set: a world's "soundset" object selects its instrument when the
// world is shown, and its "note" object plays its note and stops it.
//
// Whatever the profile holds, only valid MIDI reaches the silent device
// and the world is deleted with no sound left playing.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/apphandles.h"
#include "core/object.h"
#include "core/report.h"
#include "core/world.h"
#include "fuzz/harness.h"
#include "loading/loadhooks.h"
#include "loading/urltable.h"
#include "media/install.h"
#include "media/midi.h"
#include "media/sound.h"
#include "platform/clock.h"

namespace {

// The channel type of a MIDI note sound.
constexpr int32_t kMidiChannel = 3;

void startLayers() {
  fuzz::adoptPrivateFolderAsHome();
  zmTurnOffFlag(ZM_FLAG_WARNING);
  zmTurnOffFlag(ZM_FLAG_ERROR);
  platform::useVirtualClock(true, 1000);
  zmInstallLoadingHooks();
  zmInstallMediaHooks();
}

// A top object named `name` whose sound leaf plays `path`.
ZmObj* addSound(ZmWorld* world, ZmUrlHashTable* urls, const char* name, const std::string& path) {
  ZmObj* object = nullptr;
  if (zmNewZmObj(world, &object, 1) != 0) std::abort();
  zmNameObject(object, name);
  auto* leaf = static_cast<ZmSoundLeaf*>(zmNewSoundLeaf());
  leaf->channelType = kMidiChannel;
  leaf->file = zmNewUrlHashEntry(urls, path.c_str(), path.c_str(), 3);
  zmAddLeaf(object, 0, leaf);
  zmAddTopObject(object, name);
  zmAddSoundObj(world, object);
  return object;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool started = (startLayers(), true);
  (void)started;
  const std::string path = fuzz::writeInput("in.sna", data, size);
  ZmUrlHashTable* urls = nullptr;
  if (zmNewUrlHash(ZM_WORLD_URL_BUCKETS, &urls) != 0) std::abort();
  ZmWorld* world = zmNewWorld("sounds");
  if (world == nullptr) std::abort();
  ZmId first = -10000, last = -1;
  zmSetIdCounter(&first, &last, 0);
  addSound(world, urls, "soundset", path);
  ZmObj* note = addSound(world, urls, "note", path);
  zmSoundSetWorld(world);
  zmPlayAmbientSound(note, 0);
  zmSoundSchedule();
  platform::advanceClock(20);
  zmSoundSchedule();
  zmSoundSetWorld(nullptr);
  zmDeleteWorld(world);
  zmSoundShutdown();
  zmMidiForgetFailureForTest();
  zmFreeUrlHash(urls);
  fuzz::clearPrivateFolder();
  return 0;
}
