// media/wave.h -- the wave player: one RIFF WAVE file at a time streamed to
// the wave-out device through a ring of blocks.
//
// Owns: the voice table (one voice), the wave-out device while it is open,
// the blocks and read buffer (allocated once, kept for the run) and their
// counters, all kept in the sound system's record (media/soundsystem.h). It does not own the decision of what plays (media/sound.h) nor
// the main window whose procedure hands MM_WOM_* notices to zmWaveOnDone.
//
// Samples are scaled by the voice's volume (256 = unchanged) while they are
// copied into a block: 16-bit data as signed samples, 8-bit data as
// unsigned samples around 128. The part of a block after the end of the
// data is silence. The device reports to the main window (core/apphandles.h);
// without one no voice can open.
#ifndef LUMENFOLD_MEDIA_WAVE_H
#define LUMENFOLD_MEDIA_WAVE_H

#include "platform/windows.h"

/*
 * zmWaveOpen --
 *   Opens a RIFF WAVE file as the voice, opening the device with the file's
 *   format when it is closed. A data chunk that claims more bytes than the
 *   file holds ends at the end of the file.
 * Results:
 *   The voice index (0), or -1 when the file is no playable WAVE file, the
 *   device cannot open or the voice is taken; nothing stays open then.
 */
int zmWaveOpen(const char* fileName, int loop);

// Starts the voice: fills and queues blocks. 0, or -1 for an invalid or
// free voice.
int zmWavePlay(int voice);

/*
 * zmWaveStop --
 *   Stops the voice at once: closes its file, returns every queued block
 *   from the device and closes the device when no voice plays.
 * Results:
 *   0, or -1 for an invalid or free voice (nothing changes then).
 */
int zmWaveStop(int voice);

// 1 while the voice plays, 0 otherwise, -1 for an invalid index.
int zmWaveIsPlaying(int voice);

// Sets the voice's volume (256 = unchanged, 0 silent but playing); the
// previous volume, or -1 for an invalid index.
int zmWaveSetVolume(int voice, unsigned volume);

// Closes the device when no voice plays; 0, or -1 when the close failed.
int zmWaveCloseIdle();

/*
 * zmWaveOnDone --
 *   The main window's handler of MM_WOM_OPEN, MM_WOM_CLOSE and MM_WOM_DONE;
 *   acts on MM_WOM_DONE only: takes back the finished blocks, refills and
 *   queues them, and closes the device when nothing is left to play.
 * Results:
 *   0.
 */
LRESULT zmWaveOnDone(HWND window, UINT message);

// Resets the device, stops the voice, closes the device and frees the
// blocks.
void zmWaveShutdown();

// True while the wave-out device is open.
bool zmWaveDeviceOpen();

#endif
