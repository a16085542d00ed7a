// media/output.cpp -- the choice of sound output; see output.h.
#include "media/output.h"

#include <unistd.h>

#include <cstdlib>
#include <cstring>

#include "core/report.h"
#include "platform/alsapcm.h"
#include "platform/midisynth.h"

namespace {

// Where Debian's General MIDI soundfonts are installed, best first.
constexpr const char* kSystemSoundFonts[] = {
    "/usr/share/sounds/sf2/default-GM.sf2",
    "/usr/share/sounds/sf2/FluidR3_GM.sf2",
};

// Loads the first soundfont that is there into the synthesiser on `device`.
bool chooseSynth(const std::string& device) {
  if (const char* named = std::getenv("LUMENFOLD_SOUNDFONT")) return platform::chooseMidiSynth(named, device);
  for (const char* path : kSystemSoundFonts)
    if (access(path, R_OK) == 0 && platform::chooseMidiSynth(path, device)) return true;
  return false;
}

}  // namespace

int zmSoundChooseOutput() {
  const char* device = std::getenv("LUMENFOLD_SOUND_DEVICE");
  if (device == nullptr) device = "default";
  if (std::strcmp(device, "none") == 0 || !platform::chooseAlsaOutput(device)) {
    platform::chooseAlsaOutput(nullptr);
    platform::chooseMidiSynth(nullptr, "");
    zmDebugPrint(__func__, "Sound output: silent (no ALSA playback device)");
    return 0;
  }
  zmDebugPrint(__func__, "Sound output: ALSA device %s", device);
  if (chooseSynth(device)) {
    zmDebugPrint(__func__, "MIDI output: FluidSynth with %s", platform::midiSynthSoundFont().c_str());
  } else {
    zmDebugPrint(__func__, "MIDI output: silent (no soundfont)");
  }
  return 1;
}
