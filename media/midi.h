// media/midi.h -- MIDI notes and sound sets through the one MIDI-out device.
//
// Owns: the MIDI-out device (kept in the sound system's record,
// media/soundsystem.h; opened on first use through the MIDI mapper;
// after a failed open nothing is sent or retried for the rest of the run),
// the short messages the notes, volumes and programs become, and reading
// note and sound-set profiles. It does not own the sound leaves (media/
// sound.h decides what plays) nor their files (the URL table).
//
// Channels are 1 to 16 and every data byte 0 to 127 on the wire: a profile
// naming a channel outside 1..16 is skipped with a warning, a note or
// velocity beyond 7 bits is clamped with a warning.
#ifndef LUMENFOLD_MEDIA_MIDI_H
#define LUMENFOLD_MEDIA_MIDI_H

#include "core/leaf.h"
#include "core/object.h"

// Opens the device; 0, or -1 with the warning "Can't open MIDI device" (the
// device then counts as failed for good).
int zmMidiOpen();

// Note on and the channel's volume 0..255 as coarse and fine controller
// values (both open the device when closed), note off. 0, or -1 when the
// device failed, is closed (note off), the channel is not 1..16 or the
// message cannot be sent.
int zmMidiNoteOn(int channel, int note, int velocity);
int zmMidiNoteOff(int channel, int note);
int zmMidiSetChannelVolume(int channel, int volume);

/*
 * zmMidiReadNote --
 *   Reads "CHANNEL", "NOTE" and "VEROCITY" (defaults 0, 0, 127) from the
 *   section named after the leaf's owner in the leaf's sound file into the
 *   leaf's device, note and velocity.
 * Results:
 *   0; -1 when the file cannot be had or the channel is outside 1..16 (the
 *   leaf's device is then 0 and the note must not be played).
 */
int zmMidiReadNote(ZmSoundLeaf* leaf);

/*
 * zmMidiStartSoundSet --
 *   Selects the instrument of the "soundset" object's profile: program
 *   "SOUNDSET" (1..128) on channel "CHANNEL" (default 16). Nothing is sent
 *   when "SOUNDSET" is absent or either value is out of range (warned).
 * Results:
 *   0, or -1 when the device failed or the object has no sound leaf.
 */
int zmMidiStartSoundSet(ZmObj* object);

// All notes off on channel 1, then closes the device. 0, or -1 when the
// device failed or the close failed; nothing to do when closed (0).
int zmMidiClose();

// Forgets a failed open, so that a test can open the device again.
void zmMidiForgetFailureForTest();

#endif
