// platform/waveout.cpp -- the silent wave-out device: it keeps real time on
// the platform clock and returns each buffer once its playing time is over.
//
// A device plays its queued buffers one after another from the moment the
// first is written (or from the end of an underrun). A windowless timer of
// the queue wakes the device when the first buffer's time is up; the timer
// procedure marks every buffer whose time has passed as done and posts
// MM_WOM_DONE for it, in queue order, so the notices reach the callback
// window from the message loop, as the program's single thread expects.
#include <algorithm>
#include <cstdlib>
#include <cstdio>
#include <deque>
#include <string>

#include "platform/alsapcm.h"
#include "platform/handletable.h"
#include "platform/mmstate.h"
#include "platform/recorder.h"
#include "platform/winuser.h"

namespace platform {
namespace {

Multimedia theDevices;

}  // namespace

Multimedia& multimedia() { return theDevices; }

}  // namespace platform

namespace {

constexpr DWORD kCallbackTypeMask = 0x00070000;

using platform::QueuedBuffer;
using platform::WaveDevice;

WaveDevice* findDevice(HWAVEOUT waveOut) { return platform::multimedia().waveDevices.find(waveOut); }

HWAVEOUT handleOf(const WaveDevice& device) {
  auto& devices = platform::multimedia().waveDevices;
  return devices.firstWhere(
      [&device](const WaveDevice& candidate) { return &candidate == &device; });
}

bool isPlayablePcm(const WAVEFORMATEX& format) {
  if (format.wFormatTag != WAVE_FORMAT_PCM) return false;
  if (format.nChannels != 1 && format.nChannels != 2) return false;
  if (format.wBitsPerSample != 8 && format.wBitsPerSample != 16) return false;
  if (format.nSamplesPerSec == 0) return false;
  if (format.nBlockAlign != format.nChannels * format.wBitsPerSample / 8) return false;
  return uint64_t(format.nAvgBytesPerSec) == uint64_t(format.nSamplesPerSec) * format.nBlockAlign;
}

std::string describeFormat(const WAVEFORMATEX& format) {
  char text[64];
  std::snprintf(text, sizeof text, "open %u ch %u Hz %u bit", unsigned(format.nChannels),
                unsigned(format.nSamplesPerSec), unsigned(format.wBitsPerSample));
  return text;
}

void returnBuffer(WaveDevice& device, WAVEHDR* header) {
  header->dwFlags = (header->dwFlags & ~DWORD(WHDR_INQUEUE)) | WHDR_DONE;
  if (device.window != nullptr)
    PostMessageA(device.window, MM_WOM_DONE, reinterpret_cast<WPARAM>(handleOf(device)),
                 reinterpret_cast<LPARAM>(header));
}

void CALLBACK onPlayTimer(HWND, UINT, UINT_PTR timerId, DWORD);

// Sets the timer for the first queued buffer, or drops it when none is left.
void scheduleNextDone(WaveDevice& device) {
  if (device.queue.empty()) {
    if (device.timerId != 0) KillTimer(nullptr, device.timerId);
    device.timerId = 0;
    return;
  }
  uint64_t now = platform::clockMs();
  uint64_t end = device.queue.front().endMs;
  UINT wait = end > now ? UINT(std::min<uint64_t>(end - now, 0x7FFFFFFF)) : 0;
  device.timerId = SetTimer(nullptr, device.timerId, wait, onPlayTimer);
}

void CALLBACK onPlayTimer(HWND, UINT, UINT_PTR timerId, DWORD) {
  auto& devices = platform::multimedia().waveDevices;
  WaveDevice* device = findDevice(devices.firstWhere(
      [timerId](const WaveDevice& candidate) { return candidate.timerId == timerId; }));
  if (device == nullptr) return;
  uint64_t now = platform::clockMs();
  while (!device->queue.empty() && device->queue.front().endMs <= now) {
    WAVEHDR* header = device->queue.front().header;
    device->queue.pop_front();
    returnBuffer(*device, header);
  }
  scheduleNextDone(*device);
}

// The largest sample distance from silence in a buffer: signed 16-bit
// samples, or unsigned 8-bit ones around 128.
unsigned peakLevel(const WAVEFORMATEX& format, const WAVEHDR& header) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(header.lpData);
  unsigned peak = 0;
  if (format.wBitsPerSample == 8) {
    for (DWORD i = 0; i < header.dwBufferLength; ++i) peak = std::max(peak, unsigned(std::abs(int(bytes[i]) - 128)));
    return peak;
  }
  for (DWORD i = 0; i + 1 < header.dwBufferLength; i += 2) {
    auto sample = int16_t(uint16_t(bytes[i] | bytes[i + 1] << 8));
    peak = std::max(peak, unsigned(std::abs(int(sample))));
  }
  return peak;
}

MMRESULT checkHeader(LPWAVEHDR header, UINT headerSize) {
  if (header == nullptr || headerSize < sizeof(WAVEHDR)) return MMSYSERR_INVALPARAM;
  if (header->dwFlags & WHDR_INQUEUE) return WAVERR_STILLPLAYING;
  return MMSYSERR_NOERROR;
}

}  // namespace

MMRESULT waveOutOpen(LPHWAVEOUT waveOut, UINT deviceId, LPCWAVEFORMATEX format, DWORD_PTR callback,
                     DWORD_PTR, DWORD flags) {
  auto& devices = platform::multimedia().waveDevices;
  if (deviceId != 0 && deviceId != WAVE_MAPPER) return MMSYSERR_BADDEVICEID;
  if (format == nullptr) return MMSYSERR_INVALPARAM;
  DWORD callbackType = flags & kCallbackTypeMask;
  if (callbackType != CALLBACK_NULL && callbackType != CALLBACK_WINDOW) return MMSYSERR_INVALFLAG;
  if (!isPlayablePcm(*format)) return WAVERR_BADFORMAT;
  if (flags & WAVE_FORMAT_QUERY) return MMSYSERR_NOERROR;
  if (waveOut == nullptr) return MMSYSERR_INVALPARAM;
  HWND window = callbackType == CALLBACK_WINDOW ? reinterpret_cast<HWND>(callback) : nullptr;
  if (callbackType == CALLBACK_WINDOW && !IsWindow(window)) return MMSYSERR_INVALPARAM;

  WaveDevice device;
  device.window = window;
  device.format = *format;
  device.format.cbSize = 0;
  device.alsa = platform::alsaOpen(device.format);
  platform::recordEvent("Wave", describeFormat(device.format));
  *waveOut = devices.add(std::move(device));
  if (window != nullptr) PostMessageA(window, MM_WOM_OPEN, reinterpret_cast<WPARAM>(*waveOut), 0);
  return MMSYSERR_NOERROR;
}

MMRESULT waveOutClose(HWAVEOUT waveOut) {
  auto& devices = platform::multimedia().waveDevices;
  WaveDevice* device = findDevice(waveOut);
  if (device == nullptr) return MMSYSERR_INVALHANDLE;
  if (!device->queue.empty()) return WAVERR_STILLPLAYING;
  if (device->timerId != 0) KillTimer(nullptr, device->timerId);
  if (device->window != nullptr)
    PostMessageA(device->window, MM_WOM_CLOSE, reinterpret_cast<WPARAM>(waveOut), 0);
  platform::alsaClose(device->alsa);
  devices.remove(waveOut);
  platform::recordEvent("Wave", "close");
  return MMSYSERR_NOERROR;
}

MMRESULT waveOutPrepareHeader(HWAVEOUT waveOut, LPWAVEHDR header, UINT headerSize) {
  if (findDevice(waveOut) == nullptr) return MMSYSERR_INVALHANDLE;
  if (MMRESULT result = checkHeader(header, headerSize)) return result;
  header->dwFlags |= WHDR_PREPARED;
  return MMSYSERR_NOERROR;
}

MMRESULT waveOutUnprepareHeader(HWAVEOUT waveOut, LPWAVEHDR header, UINT headerSize) {
  if (findDevice(waveOut) == nullptr) return MMSYSERR_INVALHANDLE;
  if (MMRESULT result = checkHeader(header, headerSize)) return result;
  header->dwFlags &= ~DWORD(WHDR_PREPARED);
  return MMSYSERR_NOERROR;
}

MMRESULT waveOutWrite(HWAVEOUT waveOut, LPWAVEHDR header, UINT headerSize) {
  WaveDevice* device = findDevice(waveOut);
  if (device == nullptr) return MMSYSERR_INVALHANDLE;
  if (MMRESULT result = checkHeader(header, headerSize)) return result;
  if (!(header->dwFlags & WHDR_PREPARED)) return WAVERR_UNPREPARED;
  if (header->lpData == nullptr && header->dwBufferLength > 0) return MMSYSERR_INVALPARAM;

  uint64_t now = platform::clockMs();
  bool underrun = device->queue.empty() || device->queue.back().endMs <= now;
  if (underrun) {
    device->anchorMs = now;
    device->bytesSinceAnchor = 0;
  }
  device->bytesSinceAnchor += header->dwBufferLength;
  uint64_t rate = device->format.nAvgBytesPerSec;
  uint64_t endMs = device->anchorMs + (device->bytesSinceAnchor * 1000 + rate - 1) / rate;
  header->dwFlags = (header->dwFlags & ~DWORD(WHDR_DONE)) | WHDR_INQUEUE;
  device->queue.push_back(QueuedBuffer{header, endMs});
  platform::alsaWrite(device->alsa, header->lpData, header->dwBufferLength);
  platform::recordEvent("Wave", "write " + std::to_string(header->dwBufferLength));
  platform::recordEvent("WaveLevel", std::to_string(peakLevel(device->format, *header)));
  if (device->queue.size() == 1) scheduleNextDone(*device);
  return MMSYSERR_NOERROR;
}

MMRESULT waveOutReset(HWAVEOUT waveOut) {
  WaveDevice* device = findDevice(waveOut);
  if (device == nullptr) return MMSYSERR_INVALHANDLE;
  std::deque<QueuedBuffer> pending;
  pending.swap(device->queue);
  platform::alsaDrop(device->alsa);
  for (const QueuedBuffer& buffer : pending) returnBuffer(*device, buffer.header);
  scheduleNextDone(*device);
  platform::recordEvent("Wave", "reset");
  return MMSYSERR_NOERROR;
}

MMRESULT waveOutSetVolume(HWAVEOUT waveOut, DWORD volume) {
  WaveDevice* device = findDevice(waveOut);
  if (device == nullptr) return MMSYSERR_INVALHANDLE;
  device->volume = volume;
  return MMSYSERR_NOERROR;
}

MMRESULT waveOutGetVolume(HWAVEOUT waveOut, LPDWORD volume) {
  WaveDevice* device = findDevice(waveOut);
  if (device == nullptr) return MMSYSERR_INVALHANDLE;
  if (volume == nullptr) return MMSYSERR_INVALPARAM;
  *volume = device->volume;
  return MMSYSERR_NOERROR;
}
