// platform/modules/midisynth.cpp -- the synthesiser module: FluidSynth
// behind the MIDI-out device; see platform/midisynth.h.
#include "platform/midisynth.h"

#include <fluidsynth.h>

// Outside namespace platform: these are the module's own, not the
// forwarders midisynth.h declares.
namespace {

struct MidiSynth {
  fluid_settings_t* settings = nullptr;
  fluid_synth_t* synth = nullptr;
  fluid_audio_driver_t* driver = nullptr;  // while the MIDI device is open
  std::string soundFont;
  std::string alsaDevice;  // empty: rendered on demand only
};
MidiSynth synthesiser;

void dropSynth() {
  if (synthesiser.driver != nullptr) delete_fluid_audio_driver(synthesiser.driver);
  if (synthesiser.synth != nullptr) delete_fluid_synth(synthesiser.synth);
  if (synthesiser.settings != nullptr) delete_fluid_settings(synthesiser.settings);
  synthesiser = MidiSynth{};
}

// FluidSynth would print its own complaints; what matters is reported once,
// in the program's log, by the caller of chooseMidiSynth.
void quietLog(int, const char*, void*) {}

bool chooseMidiSynth(const char* soundFont, const std::string& alsaDevice) {
  dropSynth();
  if (soundFont == nullptr || *soundFont == '\0') return false;
  for (int level : {FLUID_PANIC, FLUID_ERR, FLUID_WARN, FLUID_INFO, FLUID_DBG})
    fluid_set_log_function(level, quietLog, nullptr);
  synthesiser.settings = new_fluid_settings();
  if (synthesiser.settings == nullptr) return false;
  fluid_settings_setstr(synthesiser.settings, "audio.driver", "alsa");
  fluid_settings_setstr(synthesiser.settings, "audio.alsa.device", alsaDevice.c_str());
  synthesiser.synth = new_fluid_synth(synthesiser.settings);
  if (synthesiser.synth == nullptr || fluid_synth_sfload(synthesiser.synth, soundFont, 1) == FLUID_FAILED) {
    dropSynth();
    return false;
  }
  synthesiser.soundFont = soundFont;
  synthesiser.alsaDevice = alsaDevice;
  return true;
}

const std::string& midiSynthSoundFont() { return synthesiser.soundFont; }

void midiSynthOpen() {
  if (synthesiser.synth == nullptr || synthesiser.driver != nullptr || synthesiser.alsaDevice.empty()) return;
  synthesiser.driver = new_fluid_audio_driver(synthesiser.settings, synthesiser.synth);
}

void midiSynthClose() {
  if (synthesiser.driver != nullptr) delete_fluid_audio_driver(synthesiser.driver);
  synthesiser.driver = nullptr;
}

void midiSynthSend(DWORD message) {
  fluid_synth_t* synth = synthesiser.synth;
  if (synth == nullptr) return;
  int status = int(message & 0xF0), channel = int(message & 0x0F);
  int first = int(message >> 8 & 0x7F), second = int(message >> 16 & 0x7F);
  switch (status) {
    case 0x80: fluid_synth_noteoff(synth, channel, first); break;
    case 0x90: fluid_synth_noteon(synth, channel, first, second); break;
    case 0xB0: fluid_synth_cc(synth, channel, first, second); break;
    case 0xC0: fluid_synth_program_change(synth, channel, first); break;
    default: break;  // nothing else is sent
  }
}

void midiSynthAllNotesOff() {
  if (synthesiser.synth != nullptr) fluid_synth_all_notes_off(synthesiser.synth, -1);
}

bool midiSynthRender(int16_t* out, int frames) {
  if (synthesiser.synth == nullptr) return false;
  return fluid_synth_write_s16(synthesiser.synth, frames, out, 0, 2, out, 1, 2) == FLUID_OK;
}

}  // namespace

extern "C" const platform::MidiSynthFunctions lumenfoldMidiSynth = {
    chooseMidiSynth, midiSynthSoundFont, midiSynthOpen, midiSynthClose, midiSynthSend, midiSynthAllNotesOff,
    midiSynthRender,
};
