// platform/midiout.cpp -- the MIDI-out device: one handle at a time, and
// every short message it is given recorded as "Midi" for tests to read;
// heard through the synthesiser when one was chosen (midisynth.h), silent
// otherwise.
#include <cstdio>

#include "platform/handletable.h"
#include "platform/midisynth.h"
#include "platform/mmstate.h"
#include "platform/recorder.h"

namespace {

constexpr BYTE kControlChange = 0xB0;
constexpr BYTE kAllNotesOff = 123;

using platform::MidiDevice;

bool isOpenHandle(HMIDIOUT midiOut) { return platform::multimedia().midiDevices.find(midiOut) != nullptr; }

void recordMessage(DWORD message) {
  char text[16];
  std::snprintf(text, sizeof text, "%08X", unsigned(message));
  platform::recordEvent("Midi", text);
}

}  // namespace

MMRESULT midiOutOpen(LPHMIDIOUT midiOut, UINT deviceId, DWORD_PTR, DWORD_PTR, DWORD flags) {
  auto& devices = platform::multimedia().midiDevices;
  if (deviceId != 0 && deviceId != MIDI_MAPPER) return MMSYSERR_BADDEVICEID;
  if (flags != CALLBACK_NULL) return MMSYSERR_INVALFLAG;
  if (midiOut == nullptr) return MMSYSERR_INVALPARAM;
  if (devices.full()) return MMSYSERR_ALLOCATED;
  *midiOut = devices.add(MidiDevice{});
  platform::midiSynthOpen();
  return MMSYSERR_NOERROR;
}

MMRESULT midiOutClose(HMIDIOUT midiOut) {
  auto& devices = platform::multimedia().midiDevices;
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
