// platform/midiout.cpp -- the MIDI-out device: one handle at a time, and
// every short message it is given recorded as "Midi" for tests to read;
// heard through the synthesiser when one was chosen (midisynth.h), silent
// otherwise.
#include <cstdio>

#include "platform/handletable.h"
#include "platform/midisynth.h"
#include "platform/mmsystem.h"
#include "platform/recorder.h"

namespace {

constexpr BYTE kControlChange = 0xB0;
constexpr BYTE kAllNotesOff = 123;

// The device keeps no state of its own: the table only tells the open
// handle from stale ones and refuses a second opening.
struct MidiDevice {};
platform::HandleTable<HMIDIOUT, MidiDevice> devices{1, 1, 1};

bool isOpenHandle(HMIDIOUT midiOut) { return devices.find(midiOut) != nullptr; }

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
  if (devices.full()) return MMSYSERR_ALLOCATED;
  *midiOut = devices.add(MidiDevice{});
  platform::midiSynthOpen();
  return MMSYSERR_NOERROR;
}

MMRESULT midiOutClose(HMIDIOUT midiOut) {
  if (!devices.remove(midiOut)) return MMSYSERR_INVALHANDLE;
  platform::midiSynthClose();
  return MMSYSERR_NOERROR;
}

MMRESULT midiOutShortMsg(HMIDIOUT midiOut, DWORD message) {
  if (!isOpenHandle(midiOut)) return MMSYSERR_INVALHANDLE;
  recordMessage(message);
  platform::midiSynthSend(message);
  return MMSYSERR_NOERROR;
}

MMRESULT midiOutReset(HMIDIOUT midiOut) {
  if (!isOpenHandle(midiOut)) return MMSYSERR_INVALHANDLE;
  for (BYTE channel = 0; channel < 16; ++channel)
    recordMessage(DWORD(kControlChange | channel) | DWORD(kAllNotesOff) << 8);
  platform::midiSynthAllNotesOff();
  return MMSYSERR_NOERROR;
}
