// soundgen -- writes the sounds the program ships into a folder, as RIFF
// WAVE files of 16-bit mono PCM at 22050 Hz.
//
//   soundgen FOLDER
//
// "alert.wav" is a short falling two-tone beep, played when the user walks
// into something. The walking sounds are footsteps at three paces
// ("man_slow.wav", "man_middle.wav", "man_fast.wav": two steps each, so
// that they loop evenly) and a shuffle of the feet for turning on the spot
// ("man_turn.wav"). Every sound is synthesised here from sine tones and
// seeded noise, so the files are the same on every build; the build runs
// it and nothing else writes these files.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int kRate = 22050;
constexpr double kPi = 3.14159265358979323846;

using Samples = std::vector<double>;  // -1.0 .. 1.0

// A repeatable noise source (a linear congruential generator).
class Noise {
 public:
  double next() {
    state_ = state_ * 1664525u + 1013904223u;
    return double(state_ >> 8) / double(1u << 24) * 2.0 - 1.0;
  }

 private:
  uint32_t state_ = 12345u;
};

Samples silence(double seconds) { return Samples(size_t(seconds * kRate), 0.0); }

// A sine tone with 5 ms ramps at both ends, so that it does not click.
void addTone(Samples& out, double start, double seconds, double frequency, double level) {
  size_t first = size_t(start * kRate), count = size_t(seconds * kRate);
  double ramp = 0.005 * kRate;
  for (size_t i = 0; i < count && first + i < out.size(); ++i) {
    double envelope = std::min({1.0, double(i) / ramp, double(count - i) / ramp});
    out[first + i] += level * envelope * std::sin(2.0 * kPi * frequency * double(i) / kRate);
  }
}

// One footstep: a low thump under a short burst of noise, both decaying.
void addStep(Samples& out, double start, double level, Noise& noise) {
  size_t first = size_t(start * kRate), count = size_t(0.12 * kRate);
  double lowPassed = 0.0;
  for (size_t i = 0; i < count && first + i < out.size(); ++i) {
    double t = double(i) / kRate;
    lowPassed += (noise.next() - lowPassed) * 0.25;
    double thump = std::sin(2.0 * kPi * 70.0 * t) * std::exp(-t * 40.0);
    double scuff = lowPassed * std::exp(-t * 60.0);
    out[first + i] += level * (0.7 * thump + 0.6 * scuff);
  }
}

// The shuffle of a turn: noise that swells and fades, softened.
void addShuffle(Samples& out, double start, double seconds, double level, Noise& noise) {
  size_t first = size_t(start * kRate), count = size_t(seconds * kRate);
  double lowPassed = 0.0;
  for (size_t i = 0; i < count && first + i < out.size(); ++i) {
    lowPassed += (noise.next() - lowPassed) * 0.15;
    double envelope = std::sin(kPi * double(i) / double(count));
    out[first + i] += level * envelope * lowPassed;
  }
}

Samples alert() {
  Samples out = silence(0.3);
  addTone(out, 0.0, 0.12, 880.0, 0.5);
  addTone(out, 0.14, 0.16, 660.0, 0.5);
  return out;
}

// Two steps a `pace` apart, then the same pause again before the loop.
Samples footsteps(double pace, double level) {
  Noise noise;
  Samples out = silence(2 * pace);
  addStep(out, 0.0, level, noise);
  addStep(out, pace, level * 0.85, noise);
  return out;
}

Samples turn() {
  Noise noise;
  Samples out = silence(0.5);
  addShuffle(out, 0.0, 0.22, 0.5, noise);
  addShuffle(out, 0.25, 0.22, 0.4, noise);
  return out;
}

void appendLE(std::string& out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(char(value >> (8 * i)));
}

bool writeWave(const std::string& path, const Samples& samples) {
  std::string data;
  for (double sample : samples) {
    double clipped = std::max(-1.0, std::min(1.0, sample));
    appendLE(data, uint32_t(int32_t(std::lround(clipped * 32767.0))) & 0xFFFF, 2);
  }
  std::string file = "RIFF";
  appendLE(file, uint32_t(4 + 8 + 16 + 8 + data.size()), 4);
  file += "WAVEfmt ";
  appendLE(file, 16, 4);
  appendLE(file, 1, 2);          // PCM
  appendLE(file, 1, 2);          // mono
  appendLE(file, kRate, 4);
  appendLE(file, kRate * 2, 4);  // bytes per second
  appendLE(file, 2, 2);          // bytes per sample
  appendLE(file, 16, 2);         // bits per sample
  file += "data";
  appendLE(file, uint32_t(data.size()), 4);
  file += data;
  FILE* out = std::fopen(path.c_str(), "wb");
  if (out == nullptr) return false;
  bool ok = std::fwrite(file.data(), 1, file.size(), out) == file.size();
  return std::fclose(out) == 0 && ok;
}

struct Sound {
  const char* file;
  Samples (*make)();
};

const Sound kSounds[] = {
    {"alert.wav", alert},
    {"man_slow.wav", [] { return footsteps(0.6, 0.6); }},
    {"man_middle.wav", [] { return footsteps(0.4, 0.65); }},
    {"man_fast.wav", [] { return footsteps(0.25, 0.7); }},
    {"man_turn.wav", turn},
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: soundgen FOLDER\n");
    return 2;
  }
  for (const Sound& sound : kSounds) {
    std::string path = std::string(argv[1]) + "/" + sound.file;
    if (!writeWave(path, sound.make())) {
      std::fprintf(stderr, "soundgen: cannot write %s\n", path.c_str());
      return 1;
    }
  }
  return 0;
}
