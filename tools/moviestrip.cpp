// tools/moviestrip.cpp -- moviestrip FRAMES OUT.bmp
//
// Writes a movie texture: FRAMES frames of 128 x 128 pixels stacked in one
// 24-bit BMP 128 pixels wide, the first frame at the top, as movie textures
// are read. Each frame has its own colour, runs from blue to red through
// the frames, and a white bar that crosses it from left to right as the
// movie plays, so that the frame shown can be told at a glance.
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "loading/bmpfile.h"

namespace {

constexpr int kSide = 128;

// Blue, green, red bytes of the frame's colour: from blue at the first
// frame to red at the last.
void frameColour(int frame, int frames, unsigned char bgr[3]) {
  const int share = frames > 1 ? frame * 255 / (frames - 1) : 0;
  bgr[0] = static_cast<unsigned char>(255 - share);
  bgr[1] = 64;
  bgr[2] = static_cast<unsigned char>(share);
}

}  // namespace

int main(int argc, char** argv) {
  const int frames = argc == 3 ? std::atoi(argv[1]) : 0;
  if (frames < 2 || frames > 256) {
    std::fprintf(stderr, "usage: moviestrip FRAMES(2-256) OUT.bmp\n");
    return 2;
  }
  ZmBmpFileHeader header{};
  ZmBmpInfo info{};
  info.width = kSide;
  info.height = kSide * frames;
  info.bitCount = 24;
  if (zmSetBMPHeader(&header, &info) != 0) return 1;
  std::vector<unsigned char> pixels(size_t(kSide) * size_t(info.height) * 3);
  const int barWidth = kSide / frames > 4 ? kSide / frames : 4;
  for (int row = 0; row < info.height; ++row) {
    const int fromTop = info.height - 1 - row;  // BMP rows run bottom first
    const int frame = fromTop / kSide;
    unsigned char colour[3];
    frameColour(frame, frames, colour);
    const int barStart = frame * (kSide - barWidth) / (frames - 1);
    for (int x = 0; x < kSide; ++x) {
      unsigned char* pixel = &pixels[(size_t(row) * kSide + size_t(x)) * 3];
      const bool onBar = x >= barStart && x < barStart + barWidth;
      for (int c = 0; c < 3; ++c) pixel[c] = onBar ? 255 : colour[c];
    }
  }
  if (zmWriteBMP(argv[2], &header, &info, pixels.data()) != 0) {
    std::fprintf(stderr, "moviestrip: cannot write %s\n", argv[2]);
    return 1;
  }
  return 0;
}
