// platform/midiout.cpp -- the silent MIDI-out device: one handle at a time,
// and every short message it is given recorded as "Midi" for tests to read.
#include <cstdio>

#include "platform/mmsystem.h"
#include "platform/recorder.h"

namespace {

constexpr BYTE kControlChange = 0xB0;
constexpr BYTE kAllNotesOff = 123;

struct MidiState {
  uintptr_t openHandle = 0;  // 0 while closed
  uintptr_t nextHandle = 1;  // never reused, so a stale handle stays invalid
};
MidiState midi;

bool isOpenHandle(HMIDIOUT midiOut) {
  return midi.openHandle != 0 && reinterpret_cast<uintptr_t>(midiOut) == midi.openHandle;
}

void recordMessage(DWORD message) {
  char text[16];
  std::snprintf(text, sizeof text, "%08X", unsigned(message));
  platform::recordEvent("Midi", text);
}

}  // namespace

MMRESULT midiOutOpen(LPHMIDIOUT midiOut, UINT deviceId, DWORD_PTR, DWORD_PTR, DWORD flags) {
  if (deviceId != 0 && deviceId != MIDI_MAPPER) return MMSYSERR_BADDEVICEID;
  if (flags != CALLBACK_NULL) return MMSYSERR_INVALFLAG;
  if (midiOut == nullptr) return MMSYSERR_INVALPARAM;
  if (midi.openHandle != 0) return MMSYSERR_ALLOCATED;
  midi.openHandle = midi.nextHandle++;
  *midiOut = reinterpret_cast<HMIDIOUT>(midi.openHandle);
  return MMSYSERR_NOERROR;
}

MMRESULT midiOutClose(HMIDIOUT midiOut) {
  if (!isOpenHandle(midiOut)) return MMSYSERR_INVALHANDLE;
  midi.openHandle = 0;
  return MMSYSERR_NOERROR;
}

MMRESULT midiOutShortMsg(HMIDIOUT midiOut, DWORD message) {
  if (!isOpenHandle(midiOut)) return MMSYSERR_INVALHANDLE;
  recordMessage(message);
  return MMSYSERR_NOERROR;
}

MMRESULT midiOutReset(HMIDIOUT midiOut) {
  if (!isOpenHandle(midiOut)) return MMSYSERR_INVALHANDLE;
  for (BYTE channel = 0; channel < 16; ++channel)
    recordMessage(DWORD(kControlChange | channel) | DWORD(kAllNotesOff) << 8);
  return MMSYSERR_NOERROR;
}
