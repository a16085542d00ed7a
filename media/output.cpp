// media/output.cpp -- the choice of sound output; see output.h.
#include "media/output.h"

#include <cstdlib>
#include <cstring>

#include "core/report.h"
#include "platform/alsapcm.h"

int zmSoundChooseOutput() {
  const char* device = std::getenv("LUMENFOLD_SOUND_DEVICE");
  if (device == nullptr) device = "default";
  if (std::strcmp(device, "none") != 0 && platform::chooseAlsaOutput(device)) {
    zmReportMessage("Sound output: ALSA device %s", device);
    return 1;
  }
  platform::chooseAlsaOutput(nullptr);
  zmReportMessage("Sound output: silent (no ALSA playback device)");
  return 0;
}
