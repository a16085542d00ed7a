// media/sound.h -- sound objects and the sound scheduler.
//
// Owns: the meaning of sound leaves (kind 22, core/leaf.h: channel type,
// state, volumes, range), the scheduler's program-wide state (the sound
// world, the candidate list, per channel type the selection and the playing
// list) and the sound system's record that holds it with the outputs' state
// (media/soundsystem.h), placing each sound against the active camera, choosing the loudest
// sounds for the limited outputs (one wave voice, no MIDI file, 16 MIDI
// notes), and the script operations on sounds. It does not own the outputs
// (media/wave.h, media/midi.h), the sound files (the URL table) nor the
// world's sound list (core/world.h), which it only edits.
//
// Channel types: 1 ".wav" wave, 2 ".mid" MIDI file (never scheduled), 3
// ".sna" MIDI note from a profile, 0 unknown. States: 0 stopped, 1 audible,
// 2 outside (the camera is not in the object's bounding cube), 3 paused.
#ifndef LUMENFOLD_MEDIA_SOUND_H
#define LUMENFOLD_MEDIA_SOUND_H

#include "core/leaf.h"
#include "core/object.h"
#include "core/world.h"

enum {
  ZM_SOUND_STOPPED = 0,
  ZM_SOUND_AUDIBLE = 1,
  ZM_SOUND_OUTSIDE = 2,
  ZM_SOUND_PAUSED = 3,
};

// ---- Life of sound objects --------------------------------------------------

// A sound leaf: no channel, no file, stopped, no voice, volumes 255, range
// 20.0; null when memory runs out.
ZmLeaf* zmNewSoundLeaf();

// Appends the object to the world's sound list and fetches its sound file;
// 0, or -1 when the list cannot grow.
int zmAddSoundObj(ZmWorld* world, ZmObj* object);

/*
 * zmDeleteSoundLeaf --
 *   Before a sound leaf is freed: resets the scheduler (every playing sound
 *   stops, the wave device closes), takes the owner out of its world's sound
 *   list and releases the file's URL entry.
 * Results:
 *   0.
 */
int zmDeleteSoundLeaf(ZmLeaf* leaf);

/*
 * zmSoundSetWorld --
 *   Resets the scheduler and makes `world` (null: none) the sound world;
 *   starts the sound set of its object named "soundset", if any.
 */
void zmSoundSetWorld(ZmWorld* world);

// After loading: each sound object's state from its auto-play flag, and its
// range as half its bounding cube's diagonal (20.0 without cube).
void zmSoundAutoPlay(ZmWorld* world);

// One scheduler pass; called on every frame tick.
void zmSoundSchedule();

// Stops every sound, closes the wave device and the MIDI device. Nothing
// in the layers calls it: the program does, when it shuts down.
void zmSoundShutdown();

// ---- Script operations ------------------------------------------------------

// By object: 0, or -1 for an object without sound leaf.
int zmPlayAmbientSound(ZmObj* object, int loop);
int zmPlaySpotSound(ZmObj* object, int loop);
int zmStopSound(ZmObj* object);
int zmSetSoundVolume(ZmObj* object, int volume);
int zmSuspendSound(ZmObj* object);
int zmResumeSound(ZmObj* object);
// Every sound of the sound world; -1 without a sound world.
int zmSuspendAllSound();
int zmResumeAllSound();

// The first object of the sound world's list named `name` whose first leaf
// is a sound leaf, into *object; 0, or -1 with a warning.
int zmAmbientSoundPlay(const char* name, ZmObj** object);

// The same operations by name (zmAmbientSoundPlay); -1 when not found.
int zmPlayAmbientSoundByName(const char* name, int loop);
int zmPlaySpotSoundByName(const char* name, int loop);
int zmStopSoundByName(const char* name);
int zmSetSoundVolumeByName(const char* name, int volume);
int zmSuspendSoundByName(const char* name);
int zmResumeSoundByName(const char* name);

// ---- Outputs, by channel type ----------------------------------------------

// Starts the leaf's sound on its output; 0, or -1 (the leaf is then stopped).
int zmSoundStart(ZmSoundLeaf* leaf);
// Stops it on its output; 0, or -1 for an unknown type.
int zmSoundStop(ZmSoundLeaf* leaf);
// Gives the output the effective volume and records it as applied; 0 or -1.
int zmSoundSetVolume(ZmSoundLeaf* leaf);
// 1 while the output still plays the leaf (wave only), else 0.
int zmSoundGetStatusPhysical(ZmSoundLeaf* leaf);

#endif
