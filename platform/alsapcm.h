// platform/alsapcm.h -- an ALSA playback stream that the wave-out device
// copies its buffers into, so that what the silent device times is also
// heard.
//
// Owns: the choice, once per run, of the ALSA playback device that wave
// output uses (or none), and the PCM streams opened on it, one per open
// wave-out handle. It does not own the timing of buffers or the MM_WOM_*
// notices (waveout.cpp keeps those on the platform clock whatever plays),
// nor MIDI.
//
// Writes never block: the stream's buffer holds more than the wave-out
// device ever queues, and data that does not fit is dropped, never waited
// for, because the program's one thread must not stall on the sound card.
#ifndef LUMENFOLD_PLATFORM_ALSAPCM_H
#define LUMENFOLD_PLATFORM_ALSAPCM_H

#include <cstddef>
#include <string>

#include "platform/mmsystem.h"

namespace platform {

/*
 * chooseAlsaOutput --
 *   Tries the ALSA device `name` ("default", "null", a plugin string...)
 *   for playback; when it opens, later wave-out devices play through it.
 *   Null or an empty name chooses no ALSA output.
 * Results:
 *   True when ALSA output is chosen.
 */
bool chooseAlsaOutput(const char* name);

// The chosen device's name, empty when wave output stays silent.
const std::string& alsaOutputName();

struct AlsaStream;

// A stream on the chosen device in the wave format, or null (none chosen,
// or it cannot take the format now).
AlsaStream* alsaOpen(const WAVEFORMATEX& format);
// Queues the bytes for playing; what does not fit now is dropped.
void alsaWrite(AlsaStream* stream, const void* bytes, size_t size);
// Throws away everything queued and not yet played.
void alsaDrop(AlsaStream* stream);
// Lets what is queued play out, then closes; null is ignored.
void alsaClose(AlsaStream* stream);

}  // namespace platform

#endif
