// media/output.h -- where the program's sounds are heard, chosen once at
// start.
//
// Owns: the start-up choice between an ALSA playback device and the
// platform's silent devices, and the log line that tells it. It does not own
// the devices (platform/mmsystem.h, platform/alsapcm.h) nor what plays on
// them (media/sound.h). The line is debug output (shown with the "message"
// flag), not a message to the user: the Messages window stays closed.
#ifndef LUMENFOLD_MEDIA_OUTPUT_H
#define LUMENFOLD_MEDIA_OUTPUT_H

/*
 * zmSoundChooseOutput --
 *   Tries the ALSA device named by $LUMENFOLD_SOUND_DEVICE ("default" when
 *   unset; "none" or empty: no ALSA) for wave output, and, when it opens,
 *   FluidSynth with the soundfont $LUMENFOLD_SOUNDFONT (else the system's
 *   General MIDI soundfont) on the same device for MIDI notes. Called once
 *   by the program at start, after the log window exists; tools and tests
 *   that do not call it stay on the silent devices.
 * Results:
 *   1 when sounds are heard through ALSA, 0 when they stay silent.
 * Side effects:
 *   Prints "Sound output: ALSA device <name>" or "Sound output: silent (no
 *   ALSA playback device)" to the debug output, then "MIDI output: FluidSynth with
 *   <soundfont>" or "MIDI output: silent (no soundfont)".
 */
int zmSoundChooseOutput();

#endif
