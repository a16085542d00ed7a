// media/sound.cpp -- sound objects and the sound scheduler; see sound.h.
#include "media/sound.h"

#include <algorithm>
#include <cmath>

#include "core/bounds.h"
#include "core/camera.h"
#include "core/collision.h"
#include "core/linequery.h"
#include "core/report.h"
#include "loading/urltable.h"
#include "media/midi.h"
#include "media/soundsystem.h"
#include "media/wave.h"
#include "platform/windows.h"

namespace {

SoundSystem sound;  // see media/soundsystem.h

enum ChannelType { kUnknown = 0, kWave = 1, kMidiFile = 2, kMidiNote = 3, kTypeCount = kSoundChannelTypes };

constexpr int kMaxVolume = 255;
constexpr float kDefaultRange = 20.0f;
constexpr double kNearDistance = 1.0;  // closer than this: full volume

ZmSoundLeaf* nextCandidate(ZmSoundLeaf* leaf) { return static_cast<ZmSoundLeaf*>(leaf->nextCandidate); }
ZmSoundLeaf* nextSelected(ZmSoundLeaf* leaf) { return static_cast<ZmSoundLeaf*>(leaf->nextSelected); }
ZmSoundLeaf* nextPlaying(ZmSoundLeaf* leaf) { return static_cast<ZmSoundLeaf*>(leaf->nextPlaying); }

ZmSoundLeaf* soundLeafOf(ZmObj* object) {
  if (object == nullptr || object->leaf == nullptr || object->leaf->kind != ZM_LEAF_SOUND) return nullptr;
  return static_cast<ZmSoundLeaf*>(object->leaf);
}

bool inSelection(ZmSoundLeaf* list, ZmSoundLeaf* leaf) {
  for (; list != nullptr; list = nextSelected(list))
    if (list == leaf) return true;
  return false;
}

bool inPlaying(ZmSoundLeaf* list, ZmSoundLeaf* leaf) {
  for (; list != nullptr; list = nextPlaying(list))
    if (list == leaf) return true;
  return false;
}

// Stops every playing sound and empties every list.
void resetScheduler() {
  SoundScheduler& scheduler = sound.scheduler;
  for (ZmSoundLeaf*& list : scheduler.playing) {
    for (ZmSoundLeaf* leaf = list; leaf != nullptr;) {
      ZmSoundLeaf* next = nextPlaying(leaf);
      zmSoundStop(leaf);
      leaf->nextPlaying = nullptr;
      leaf = next;
    }
    list = nullptr;
  }
  for (ZmSoundLeaf*& list : scheduler.selection) {
    for (ZmSoundLeaf* leaf = list; leaf != nullptr;) {
      ZmSoundLeaf* next = nextSelected(leaf);
      leaf->nextSelected = nullptr;
      leaf = next;
    }
    list = nullptr;
  }
  for (ZmSoundLeaf* leaf = scheduler.candidates; leaf != nullptr;) {
    ZmSoundLeaf* next = nextCandidate(leaf);
    leaf->nextCandidate = nullptr;
    leaf = next;
  }
  scheduler.candidates = nullptr;
}

// ---- One pass ---------------------------------------------------------------

// A sound that its output has finished is stopped.
void refreshFromOutputs() {
  SoundScheduler& scheduler = sound.scheduler;
  for (int type : {kWave, kMidiNote})
    for (ZmSoundLeaf* leaf = scheduler.playing[type]; leaf != nullptr; leaf = nextPlaying(leaf))
      if (zmSoundGetStatusPhysical(leaf) == 0) leaf->state = ZM_SOUND_STOPPED;
}

/*
 * attenuatedVolume --
 *   The volume heard at distance d from a sound of the given range: full
 *   nearer than 1.0, fading linearly to 0 at the range. A range of 0 (an
 *   object whose bounding cube has no size) is heard nowhere.
 */
int attenuatedVolume(int volume, float range, double d) {
  if (!(range > 0.0f)) return 0;
  if (d < kNearDistance) return volume;
  double heard = std::trunc((double(range) - d) / double(range) * volume);
  return heard < 0.0 ? 0 : int(heard);
}

// Where the camera stands decides the state of an audible or outside sound
// and, unless it is unattenuated, its effective volume. An unattenuated
// sound plays at its volume wherever the camera is, so its bounding cube
// does not place it (else a spot sound with the reader's default, empty
// box would never be heard).
void placeSound(ZmObj* object, ZmSoundLeaf* leaf, ZmObj* camera, const ZmVec3* eye) {
  if (leaf->unattenuated || zmGetBoundingCube(object) == nullptr) {
    leaf->state = ZM_SOUND_AUDIBLE;
  } else {
    leaf->state = eye != nullptr && zmIsPointInBoundingCube(eye, object) ? ZM_SOUND_AUDIBLE : ZM_SOUND_OUTSIDE;
  }
  if (leaf->unattenuated) {
    leaf->effectiveVolume = leaf->volume;
  } else if (leaf->state == ZM_SOUND_AUDIBLE) {
    leaf->effectiveVolume =
        camera != nullptr ? attenuatedVolume(leaf->volume, leaf->range, zmCalcObjDistance(camera, object))
                          : leaf->volume;
  }
}

void placeSounds(ZmWorld* world) {
  ZmObj* camera = zmGetActiveCamera(world);
  ZmVec3 eye{};
  bool haveEye = camera != nullptr && zmGetCameraPosition(camera, &eye) == 0;
  for (int32_t i = 0; i < world->soundObjects.count; ++i) {
    ZmObj* object = world->soundObjects.objs[i];
    ZmSoundLeaf* leaf = soundLeafOf(object);
    if (leaf == nullptr) continue;
    if (leaf->state != ZM_SOUND_AUDIBLE && leaf->state != ZM_SOUND_OUTSIDE) continue;
    placeSound(object, leaf, haveEye ? camera : nullptr, haveEye ? &eye : nullptr);
  }
}

// Inserts after every candidate at least as loud, so equals keep their order.
// The lists are walked through typed pointers only: reaching a list head
// through a ZmLeaf** would alias a ZmSoundLeaf*, which optimised builds
// assume never happens.
void insertCandidate(ZmSoundLeaf* leaf) {
  SoundScheduler& scheduler = sound.scheduler;
  ZmSoundLeaf* before = nullptr;
  for (ZmSoundLeaf* other = scheduler.candidates; other != nullptr && other->effectiveVolume >= leaf->effectiveVolume;
       other = nextCandidate(other))
    before = other;
  if (before == nullptr) {
    leaf->nextCandidate = scheduler.candidates;
    scheduler.candidates = leaf;
  } else {
    leaf->nextCandidate = before->nextCandidate;
    before->nextCandidate = leaf;
  }
}

void collectCandidates(ZmWorld* world) {
  SoundScheduler& scheduler = sound.scheduler;
  for (ZmSoundLeaf* leaf = scheduler.candidates; leaf != nullptr;) {
    ZmSoundLeaf* next = nextCandidate(leaf);
    leaf->nextCandidate = nullptr;
    leaf = next;
  }
  scheduler.candidates = nullptr;
  for (int32_t i = 0; i < world->soundObjects.count; ++i) {
    ZmSoundLeaf* leaf = soundLeafOf(world->soundObjects.objs[i]);
    if (leaf != nullptr && leaf->state == ZM_SOUND_AUDIBLE) insertCandidate(leaf);
  }
}

// The first candidates of the type, up to its limit, chained as selection.
ZmSoundLeaf* selectLoudest(int type) {
  SoundScheduler& scheduler = sound.scheduler;
  ZmSoundLeaf* first = nullptr;
  ZmSoundLeaf* last = nullptr;
  int taken = 0;
  for (ZmSoundLeaf* leaf = scheduler.candidates; leaf != nullptr && taken < scheduler.limit[type];
       leaf = nextCandidate(leaf)) {
    if (leaf->channelType != type) continue;
    leaf->nextSelected = nullptr;
    if (last == nullptr) {
      first = leaf;
    } else {
      last->nextSelected = leaf;
    }
    last = leaf;
    ++taken;
  }
  return first;
}

// Stops what is no longer chosen, starts what is newly chosen, adjusts the
// volume of what stays; the choice becomes what plays.
void applySelection(int type) {
  SoundScheduler& scheduler = sound.scheduler;
  ZmSoundLeaf* chosen = selectLoudest(type);
  scheduler.selection[type] = chosen;
  for (ZmSoundLeaf* leaf = scheduler.playing[type]; leaf != nullptr; leaf = nextPlaying(leaf))
    if (!inSelection(chosen, leaf)) zmSoundStop(leaf);
  for (ZmSoundLeaf* leaf = chosen; leaf != nullptr; leaf = nextSelected(leaf)) {
    if (!inPlaying(scheduler.playing[type], leaf)) {
      zmSoundStart(leaf);
    } else if (leaf->effectiveVolume != leaf->appliedVolume) {
      zmSoundSetVolume(leaf);
    }
  }
  for (ZmSoundLeaf* leaf = scheduler.playing[type]; leaf != nullptr;) {
    ZmSoundLeaf* next = nextPlaying(leaf);
    leaf->nextPlaying = nullptr;
    leaf = next;
  }
  for (ZmSoundLeaf* leaf = chosen; leaf != nullptr; leaf = nextSelected(leaf)) leaf->nextPlaying = nextSelected(leaf);
  scheduler.playing[type] = chosen;
}

// ---- Script operations ------------------------------------------------------

int setPlaying(ZmObj* object, int loop, int unattenuated) {
  ZmSoundLeaf* leaf = soundLeafOf(object);
  if (leaf == nullptr) {
    zmReportWarning("zmAmbientSoundPlay: sound object has no sound leaf");
    return -1;
  }
  leaf->state = ZM_SOUND_AUDIBLE;
  leaf->unattenuated = unattenuated;
  leaf->loop = loop;
  return 0;
}

// Runs `operation` on every sound object of the sound world.
template <typename Operation>
int forEverySound(Operation operation) {
  SoundScheduler& scheduler = sound.scheduler;
  if (scheduler.world == nullptr) return -1;
  for (int32_t i = 0; i < scheduler.world->soundObjects.count; ++i) operation(scheduler.world->soundObjects.objs[i]);
  return 0;
}

float halfDiagonal(const ZmBoundingCube& cube) {
  float dx = cube.local_max.x - cube.local_min.x;
  float dy = cube.local_max.y - cube.local_min.y;
  float dz = cube.local_max.z - cube.local_min.z;
  return std::sqrt(dx * dx + dy * dy + dz * dz) / 2.0f;
}

}  // namespace

SoundSystem& soundSystem() { return sound; }

// ---- Life of sound objects --------------------------------------------------

ZmLeaf* zmNewSoundLeaf() {
  auto* leaf = static_cast<ZmSoundLeaf*>(zmNewShape(ZM_LEAF_SOUND));
  if (leaf == nullptr) return nullptr;
  leaf->device = -1;
  leaf->volume = leaf->effectiveVolume = leaf->appliedVolume = kMaxVolume;
  leaf->range = kDefaultRange;
  return leaf;
}

int zmAddSoundObj(ZmWorld* world, ZmObj* object) {
  if (world == nullptr || object == nullptr) return -1;
  if (zmAddZmObjToZmMFObj(&world->soundObjects, object) != 0) return -1;
  if (ZmSoundLeaf* leaf = soundLeafOf(object)) zmGetLocalFile(leaf->file);
  return 0;
}

int zmDeleteSoundLeaf(ZmLeaf* leaf) {
  if (leaf == nullptr) return 0;
  resetScheduler();
  ZmObj* owner = leaf->owner;
  if (owner != nullptr && owner->world != nullptr && owner->world->soundObjects.count > 0)
    zmRemoveObjToZmMFObj(&owner->world->soundObjects, owner);
  auto* sound = static_cast<ZmSoundLeaf*>(leaf);
  if (sound->file != nullptr) zmReleaseUrlHashEntry(sound->file);
  sound->file = nullptr;
  return 0;
}

void zmSoundSetWorld(ZmWorld* world) {
  SoundScheduler& scheduler = sound.scheduler;
  resetScheduler();
  scheduler.world = world;
  if (world == nullptr || !scheduler.channelOn[kMidiNote]) return;
  for (int32_t i = 0; i < world->soundObjects.count; ++i) {
    ZmObj* object = world->soundObjects.objs[i];
    if (zmObjNameIs(object, "soundset")) {
      zmMidiStartSoundSet(object);
      return;
    }
  }
}

void zmSoundAutoPlay(ZmWorld* world) {
  if (world == nullptr) {
    zmReportWarning("zmSoundAutoPlay: world is NULL");
    return;
  }
  for (int32_t i = 0; i < world->soundObjects.count; ++i) {
    ZmObj* object = world->soundObjects.objs[i];
    ZmSoundLeaf* leaf = soundLeafOf(object);
    if (leaf == nullptr) {
      zmReportWarning("zmSoundAutoPlay: sound is NULL");
      continue;
    }
    leaf->state = leaf->autoPlay ? ZM_SOUND_AUDIBLE : ZM_SOUND_STOPPED;
    const ZmBoundingCube* cube = zmGetBoundingCube(object);
    leaf->range = cube != nullptr ? halfDiagonal(*cube) : kDefaultRange;
  }
}

void zmSoundSchedule() {
  SoundScheduler& scheduler = sound.scheduler;
  if (scheduler.world == nullptr) return;
  refreshFromOutputs();
  placeSounds(scheduler.world);
  collectCandidates(scheduler.world);
  for (int type : {kWave, kMidiFile, kMidiNote})
    if (scheduler.channelOn[type]) applySelection(type);
}

void zmSoundShutdown() {
  resetScheduler();
  zmWaveShutdown();
  zmMidiClose();
}

// ---- Script operations ------------------------------------------------------

int zmPlayAmbientSound(ZmObj* object, int loop) { return setPlaying(object, loop, 0); }

int zmPlaySpotSound(ZmObj* object, int loop) { return setPlaying(object, loop, 1); }

int zmStopSound(ZmObj* object) {
  ZmSoundLeaf* leaf = soundLeafOf(object);
  if (leaf == nullptr) {
    zmReportWarning("zmAmbientSoundPlay: sound object has no sound leaf");
    return -1;
  }
  leaf->state = ZM_SOUND_STOPPED;
  return 0;
}

int zmSetSoundVolume(ZmObj* object, int volume) {
  ZmSoundLeaf* leaf = soundLeafOf(object);
  if (leaf == nullptr) {
    zmReportWarning("zmAmbientSoundPlay: sound object has no sound leaf");
    return -1;
  }
  // Outputs take 0..255: more would wrap the MIDI controller values.
  leaf->volume = std::clamp(volume, 0, kMaxVolume);
  return 0;
}

int zmSuspendSound(ZmObj* object) {
  ZmSoundLeaf* leaf = soundLeafOf(object);
  if (leaf == nullptr) return -1;
  if (leaf->state == ZM_SOUND_AUDIBLE || leaf->state == ZM_SOUND_OUTSIDE) leaf->state = ZM_SOUND_PAUSED;
  return 0;
}

int zmResumeSound(ZmObj* object) {
  ZmSoundLeaf* leaf = soundLeafOf(object);
  if (leaf == nullptr) return -1;
  if (leaf->state == ZM_SOUND_PAUSED) leaf->state = ZM_SOUND_AUDIBLE;
  return 0;
}

int zmSuspendAllSound() {
  if (forEverySound(zmSuspendSound) != 0) return -1;
  zmSoundSchedule();
  zmWaveCloseIdle();
  return 0;
}

int zmResumeAllSound() { return forEverySound(zmResumeSound); }

int zmAmbientSoundPlay(const char* name, ZmObj** object) {
  SoundScheduler& scheduler = sound.scheduler;
  if (scheduler.world == nullptr || name == nullptr) return -1;
  for (int32_t i = 0; i < scheduler.world->soundObjects.count; ++i) {
    ZmObj* candidate = scheduler.world->soundObjects.objs[i];
    if (!zmObjNameIs(candidate, name)) continue;
    if (candidate->leaf == nullptr) {
      zmReportWarning("zmAmbientSoundPlay: sound object %s has no sound leaf", name);
      return -1;
    }
    if (candidate->leaf->kind != ZM_LEAF_SOUND) {
      zmReportWarning("zmAmbientSoundPlay: obj is not a sound %s", name);
      return -1;
    }
    *object = candidate;
    return 0;
  }
  return -1;
}

int zmPlayAmbientSoundByName(const char* name, int loop) {
  ZmObj* object = nullptr;
  return zmAmbientSoundPlay(name, &object) == 0 ? zmPlayAmbientSound(object, loop) : -1;
}

int zmPlaySpotSoundByName(const char* name, int loop) {
  ZmObj* object = nullptr;
  return zmAmbientSoundPlay(name, &object) == 0 ? zmPlaySpotSound(object, loop) : -1;
}

int zmStopSoundByName(const char* name) {
  ZmObj* object = nullptr;
  return zmAmbientSoundPlay(name, &object) == 0 ? zmStopSound(object) : -1;
}

int zmSetSoundVolumeByName(const char* name, int volume) {
  ZmObj* object = nullptr;
  return zmAmbientSoundPlay(name, &object) == 0 ? zmSetSoundVolume(object, volume) : -1;
}

int zmSuspendSoundByName(const char* name) {
  ZmObj* object = nullptr;
  return zmAmbientSoundPlay(name, &object) == 0 ? zmSuspendSound(object) : -1;
}

int zmResumeSoundByName(const char* name) {
  ZmObj* object = nullptr;
  return zmAmbientSoundPlay(name, &object) == 0 ? zmResumeSound(object) : -1;
}

// ---- Outputs ----------------------------------------------------------------

int zmSoundStart(ZmSoundLeaf* leaf) {
  switch (leaf->channelType) {
    case kWave: {
      int voice = zmWaveOpen(zmGetLocalFile(leaf->file), leaf->loop);
      if (voice < 0) {
        leaf->state = ZM_SOUND_STOPPED;
        return -1;
      }
      leaf->device = voice;
      zmSoundSetVolume(leaf);
      return zmWavePlay(voice);
    }
    case kMidiFile:
      return zmSoundSetVolume(leaf);
    case kMidiNote:
      if (zmMidiReadNote(leaf) != 0) {
        leaf->state = ZM_SOUND_STOPPED;
        return -1;
      }
      zmSoundSetVolume(leaf);
      leaf->startTick = timeGetTime();
      return zmMidiNoteOn(leaf->device, leaf->note, leaf->velocity);
    default:
      zmReportWarning("zmSoundStart: unknown sound type");
      return -1;
  }
}

int zmSoundStop(ZmSoundLeaf* leaf) {
  switch (leaf->channelType) {
    case kWave:
      if (leaf->device >= 0) zmWaveStop(leaf->device);
      leaf->device = -1;
      return 0;
    case kMidiFile:
      return 0;
    case kMidiNote:
      return leaf->device > 0 ? zmMidiNoteOff(leaf->device, leaf->note) : 0;
    default:
      return -1;
  }
}

int zmSoundSetVolume(ZmSoundLeaf* leaf) {
  if (leaf == nullptr) {
    zmReportError("zmSoundSetVolume: parameter is NULL");
    return -1;
  }
  leaf->appliedVolume = leaf->effectiveVolume;
  switch (leaf->channelType) {
    case kWave: return zmWaveSetVolume(leaf->device, unsigned(leaf->effectiveVolume)) < 0 ? -1 : 0;
    case kMidiFile: return 0;
    case kMidiNote: return zmMidiSetChannelVolume(leaf->device, leaf->effectiveVolume);
    default: return -1;
  }
}

int zmSoundGetStatusPhysical(ZmSoundLeaf* leaf) {
  switch (leaf->channelType) {
    case kWave: return leaf->device >= 0 && zmWaveIsPlaying(leaf->device) == 1 ? 1 : 0;
    case kMidiFile:
    case kMidiNote: return 0;
    default:
      zmReportWarning("zmSoundGetStatusPhysical: unknown sound type");
      return 0;
  }
}
