// platform/midisynth.cpp -- the synthesiser's functions, forwarded to the
// synthesiser module; see midisynth.h.
#include "platform/midisynth.h"

#include "platform/mmstate.h"
#include "platform/ownmodule.h"

namespace platform {
namespace {

// The module's functions once a soundfont has been chosen with it: until
// then there is no synthesiser to forward to, and the module stays unloaded.
const MidiSynthFunctions* chosen() { return multimedia().synthesiser; }

}  // namespace

bool chooseMidiSynth(const char* soundFont, const std::string& alsaDevice) {
  const MidiSynthFunctions*& synthesiser = multimedia().synthesiser;
  if (synthesiser != nullptr) synthesiser->chooseMidiSynth(nullptr, "");
  synthesiser = nullptr;
  if (soundFont == nullptr || *soundFont == '\0') return false;
  synthesiser = ownModuleTable<MidiSynthFunctions>(kMidiSynthModule, kMidiSynthEntry);
  return synthesiser != nullptr && synthesiser->chooseMidiSynth(soundFont, alsaDevice);
}

const std::string& midiSynthSoundFont() {
  static const std::string none;
  return chosen() != nullptr ? chosen()->midiSynthSoundFont() : none;
}

void midiSynthOpen() {
  if (chosen() != nullptr) chosen()->midiSynthOpen();
}

void midiSynthClose() {
  if (chosen() != nullptr) chosen()->midiSynthClose();
}

void midiSynthSend(DWORD message) {
  if (chosen() != nullptr) chosen()->midiSynthSend(message);
}

void midiSynthAllNotesOff() {
  if (chosen() != nullptr) chosen()->midiSynthAllNotesOff();
}

bool midiSynthRender(int16_t* out, int frames) { return chosen() != nullptr && chosen()->midiSynthRender(out, frames); }

}  // namespace platform
