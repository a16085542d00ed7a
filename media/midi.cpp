// media/midi.cpp -- MIDI notes and sound sets; see midi.h.
#include "media/midi.h"

#include <algorithm>

#include "core/report.h"
#include "loading/urltable.h"
#include "media/soundsystem.h"
#include "platform/windows.h"

namespace {

constexpr BYTE kNoteOff = 0x80;
constexpr BYTE kNoteOn = 0x90;
constexpr BYTE kControlChange = 0xB0;
constexpr BYTE kProgramChange = 0xC0;
constexpr BYTE kVolumeCoarse = 7;
constexpr BYTE kVolumeFine = 39;
constexpr BYTE kAllNotesOff = 123;

bool validChannel(int channel) { return channel >= 1 && channel <= 16; }

// Status, then the two data bytes, low byte first.
DWORD packMessage(BYTE status, BYTE first, BYTE second) {
  return DWORD(status) | DWORD(first) << 8 | DWORD(second) << 16;
}

int send(BYTE status, BYTE first, BYTE second) {
  MidiOut& midi = soundSystem().midi;
  if (midi.state != kMidiOpen) return -1;
  return midiOutShortMsg(midi.handle, packMessage(status, first, second)) == MMSYSERR_NOERROR ? 0 : -1;
}

// Opens the device when it is closed; false when it is (or becomes) failed.
bool ensureOpen() {
  MidiOut& midi = soundSystem().midi;
  if (midi.state == kMidiClosed) zmMidiOpen();
  return midi.state == kMidiOpen;
}

// A profile value as a data byte: 0..127, anything else clamped and warned.
int dataByte(int value, const char* key, const char* section) {
  int clamped = std::clamp(value, 0, 127);
  if (clamped != value)
    zmReportWarning("zmMidiReadNote: %s %d of %s is outside 0..127, %d is used", key, value, section, clamped);
  return clamped;
}

// GetPrivateProfileIntA's unsigned result as the signed number written.
int readInt(const char* section, const char* key, int defaultValue, const char* file) {
  return int(GetPrivateProfileIntA(section, key, defaultValue, file));
}

}  // namespace

int zmMidiOpen() {
  MidiOut& midi = soundSystem().midi;
  if (midi.state == kMidiOpen) return 0;
  if (midi.state == kMidiFailed) return -1;
  if (midiOutOpen(&midi.handle, MIDI_MAPPER, 0, 0, CALLBACK_NULL) != MMSYSERR_NOERROR) {
    zmReportWarning("Can't open MIDI device");
    midi.state = kMidiFailed;
    return -1;
  }
  midi.state = kMidiOpen;
  return 0;
}

int zmMidiNoteOn(int channel, int note, int velocity) {
  if (!validChannel(channel) || !ensureOpen()) return -1;
  return send(BYTE(kNoteOn + channel - 1), BYTE(note & 0x7F), BYTE(velocity & 0x7F));
}

int zmMidiNoteOff(int channel, int note) {
  if (!validChannel(channel)) return -1;
  return send(BYTE(kNoteOff + channel - 1), BYTE(note & 0x7F), 0);
}

int zmMidiSetChannelVolume(int channel, int volume) {
  // Opening here too: the first note's volume must reach the device before
  // the note does.
  if (!validChannel(channel) || !ensureOpen()) return -1;
  BYTE status = BYTE(kControlChange + channel - 1);
  if (send(status, kVolumeCoarse, BYTE((volume >> 1) & 127)) != 0) return -1;
  return send(status, kVolumeFine, BYTE((volume << 6) & 127));
}

int zmMidiReadNote(ZmSoundLeaf* leaf) {
  const char* file = zmGetLocalFile(leaf->file);
  const char* section = leaf->owner != nullptr ? leaf->owner->comment[1] : nullptr;
  leaf->device = 0;
  if (file == nullptr || section == nullptr) {
    zmReportWarning("zmMidiReadNote: no profile section for the note");
    return -1;
  }
  int channel = readInt(section, "CHANNEL", 0, file);
  leaf->note = dataByte(readInt(section, "NOTE", 0, file), "NOTE", section);
  leaf->velocity = dataByte(readInt(section, "VEROCITY", 127, file), "VEROCITY", section);
  if (!validChannel(channel)) {
    zmReportWarning("zmMidiReadNote: CHANNEL %d of %s is outside 1..16, the note is skipped", channel, section);
    return -1;
  }
  leaf->device = channel;
  return 0;
}

int zmMidiStartSoundSet(ZmObj* object) {
  if (object == nullptr || object->leaf == nullptr || object->leaf->kind != ZM_LEAF_SOUND) return -1;
  auto* leaf = static_cast<ZmSoundLeaf*>(object->leaf);
  const char* file = zmGetLocalFile(leaf->file);
  const char* section = object->comment[1];
  if (file == nullptr) return 0;
  int program = readInt(section, "SOUNDSET", -1, file);
  int channel = readInt(section, "CHANNEL", 16, file);
  if (program == -1) return 0;
  if (program < 1 || program > 128 || !validChannel(channel)) {
    zmReportWarning("zmMidiStartSoundSet: SOUNDSET %d on CHANNEL %d is outside 1..128 on 1..16, skipped", program,
                    channel);
    return 0;
  }
  if (!ensureOpen()) return -1;
  return send(BYTE(kProgramChange + channel - 1), BYTE(program - 1), 0xFF);
}

int zmMidiClose() {
  MidiOut& midi = soundSystem().midi;
  if (midi.state == kMidiFailed) return -1;
  if (midi.state == kMidiClosed) return 0;
  send(kControlChange, kAllNotesOff, 127);
  if (midiOutClose(midi.handle) != MMSYSERR_NOERROR) return -1;
  midi.handle = nullptr;
  midi.state = kMidiClosed;
  return 0;
}

void zmMidiForgetFailureForTest() {
  MidiOut& midi = soundSystem().midi;
  if (midi.state == kMidiFailed) midi.state = kMidiClosed;
}
