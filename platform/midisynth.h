// platform/midisynth.h -- the synthesiser that makes the MIDI-out device
// heard: FluidSynth with a General MIDI soundfont, playing through the ALSA
// output that wave output uses. FluidSynth lives in the synthesiser module
// (platform/modules/midisynth.cpp), loaded when a soundfont is first chosen
// (ownmodule.h); without it there is no synthesiser.
//
// Owns: the choice, once per run, of the soundfont (loaded then, kept for
// the run), the synthesiser, and its audio driver while the MIDI device is
// open. It does not own the MIDI device's handle and recording (midiout.cpp
// keeps those whatever is heard), nor the choice of ALSA device
// (alsapcm.h).
//
// The audio driver renders on a thread of FluidSynth's own; every call here
// is made from the program's one thread, and the synthesiser serialises
// them against its renderer.
#ifndef LUMENFOLD_PLATFORM_MIDISYNTH_H
#define LUMENFOLD_PLATFORM_MIDISYNTH_H

#include <cstdint>
#include <string>

#include "platform/wintypes.h"

namespace platform {

/*
 * chooseMidiSynth --
 *   Loads the soundfont into a new synthesiser, whose notes are heard on the
 *   ALSA device `alsaDevice` while the MIDI device is open; with an empty
 *   device they are only rendered on demand (midiSynthRender). A null or
 *   empty soundfont drops the synthesiser.
 * Results:
 *   True when the soundfont loaded; false also when the synthesiser module
 *   cannot be loaded.
 */
bool chooseMidiSynth(const char* soundFont, const std::string& alsaDevice);

// The loaded soundfont's path, empty without synthesiser.
const std::string& midiSynthSoundFont();

// For the MIDI-out device: starts and stops being heard, plays one short
// message (note on and off, controllers, program change), silences every
// channel. Nothing happens without synthesiser.
void midiSynthOpen();
void midiSynthClose();
void midiSynthSend(DWORD message);
void midiSynthAllNotesOff();

// Renders `frames` stereo frames of the synthesiser's output into `out`
// (interleaved 16-bit samples, 2 x frames); false without synthesiser.
bool midiSynthRender(int16_t* out, int frames);

// What the synthesiser module hands over: the functions above, same
// meanings.
struct MidiSynthFunctions {
  bool (*chooseMidiSynth)(const char* soundFont, const std::string& alsaDevice);
  const std::string& (*midiSynthSoundFont)();
  void (*midiSynthOpen)();
  void (*midiSynthClose)();
  void (*midiSynthSend)(DWORD message);
  void (*midiSynthAllNotesOff)();
  bool (*midiSynthRender)(int16_t* out, int frames);
};

constexpr const char* kMidiSynthModule = "midisynth";
constexpr const char* kMidiSynthEntry = "lumenfoldMidiSynth";

}  // namespace platform

// The synthesiser module's entry, named by kMidiSynthEntry.
extern "C" const platform::MidiSynthFunctions lumenfoldMidiSynth;

#endif
