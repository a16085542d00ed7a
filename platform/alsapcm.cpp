// platform/alsapcm.cpp -- ALSA playback streams for wave output; see
// alsapcm.h.
#include "platform/alsapcm.h"

#include <alsa/asoundlib.h>

#include <cerrno>

#include "platform/mmstate.h"

namespace platform {

struct AlsaStream {
  snd_pcm_t* pcm;
  size_t frameBytes;
};

namespace {

// ALSA caches its parsed configuration for the process; with no stream
// open it is given back, so nothing of it outlives the last sound.
void releaseConfigWhenIdle() {
  WaveOutput& output = multimedia().waveOutput;
  if (output.openStreams == 0) snd_config_update_free_global();
}

// What the wave-out device can queue at most (16 blocks of its largest
// size) plus half a second, so that writes fit as long as the device keeps
// up with the platform clock.
constexpr unsigned kLargestQueueBytes = 16 * 4096;

unsigned bufferMicroseconds(const WAVEFORMATEX& format) {
  unsigned queued = unsigned(uint64_t(kLargestQueueBytes) * 1000000u / format.nAvgBytesPerSec);
  return queued + 500000u;
}

snd_pcm_t* openPcm(const std::string& device, const WAVEFORMATEX& format) {
  snd_pcm_t* pcm = nullptr;
  if (snd_pcm_open(&pcm, device.c_str(), SND_PCM_STREAM_PLAYBACK, SND_PCM_NONBLOCK) < 0) return nullptr;
  snd_pcm_format_t sampleFormat = format.wBitsPerSample == 8 ? SND_PCM_FORMAT_U8 : SND_PCM_FORMAT_S16_LE;
  if (snd_pcm_set_params(pcm, sampleFormat, SND_PCM_ACCESS_RW_INTERLEAVED, format.nChannels,
                         format.nSamplesPerSec, 1, bufferMicroseconds(format)) < 0) {
    snd_pcm_close(pcm);
    return nullptr;
  }
  return pcm;
}

// ALSA would print its own complaints about a device that does not open;
// the choice is reported once, in the program's log, instead.
void quietAlsaError(const char*, int, const char*, int, const char*, ...) {}

}  // namespace

bool chooseAlsaOutput(const char* name) {
  WaveOutput& output = multimedia().waveOutput;
  snd_lib_error_set_handler(quietAlsaError);
  output.chosenDevice.clear();
  if (name == nullptr || *name == '\0') return false;
  // A probe in the format of the shipped sounds.
  WAVEFORMATEX probe{WAVE_FORMAT_PCM, 1, 22050, 44100, 2, 16, 0};
  snd_pcm_t* pcm = openPcm(name, probe);
  if (pcm == nullptr) {
    releaseConfigWhenIdle();
    return false;
  }
  snd_pcm_close(pcm);
  releaseConfigWhenIdle();
  output.chosenDevice = name;
  return true;
}

const std::string& alsaOutputName() { return multimedia().waveOutput.chosenDevice; }

AlsaStream* alsaOpen(const WAVEFORMATEX& format) {
  WaveOutput& output = multimedia().waveOutput;
  if (output.chosenDevice.empty() || format.nBlockAlign == 0) return nullptr;
  snd_pcm_t* pcm = openPcm(output.chosenDevice, format);
  if (pcm == nullptr) {
    releaseConfigWhenIdle();
    return nullptr;
  }
  ++output.openStreams;
  return new AlsaStream{pcm, format.nBlockAlign};
}

void alsaWrite(AlsaStream* stream, const void* bytes, size_t size) {
  if (stream == nullptr) return;
  snd_pcm_uframes_t frames = size / stream->frameBytes;
  snd_pcm_sframes_t written = snd_pcm_writei(stream->pcm, bytes, frames);
  // After an underrun (nothing played for a while) the stream must be
  // prepared again; the data is then written once more.
  if (written == -EPIPE || written == -ESTRPIPE) {
    snd_pcm_prepare(stream->pcm);
    snd_pcm_writei(stream->pcm, bytes, frames);
  }
}

void alsaDrop(AlsaStream* stream) {
  if (stream == nullptr) return;
  snd_pcm_drop(stream->pcm);
  snd_pcm_prepare(stream->pcm);
}

void alsaClose(AlsaStream* stream) {
  WaveOutput& output = multimedia().waveOutput;
  if (stream == nullptr) return;
  snd_pcm_nonblock(stream->pcm, 0);
  snd_pcm_drain(stream->pcm);
  snd_pcm_close(stream->pcm);
  delete stream;
  --output.openStreams;
  releaseConfigWhenIdle();
}

}  // namespace platform
