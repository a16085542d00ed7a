// platform/display.cpp -- the display description and the system palette.
#include "platform/display.h"

#include <array>

#include "platform/wingdi.h"

namespace platform {
namespace {

// The twenty colours an 8-bit display keeps for itself: ten at the bottom of
// the system palette and ten at the top.
constexpr std::array<PALETTEENTRY, 10> kLowStatic = {{{0, 0, 0, 0},
                                                      {128, 0, 0, 0},
                                                      {0, 128, 0, 0},
                                                      {128, 128, 0, 0},
                                                      {0, 0, 128, 0},
                                                      {128, 0, 128, 0},
                                                      {0, 128, 128, 0},
                                                      {192, 192, 192, 0},
                                                      {192, 220, 192, 0},
                                                      {166, 202, 240, 0}}};
constexpr std::array<PALETTEENTRY, 10> kHighStatic = {{{255, 251, 240, 0},
                                                       {160, 160, 164, 0},
                                                       {128, 128, 128, 0},
                                                       {255, 0, 0, 0},
                                                       {0, 255, 0, 0},
                                                       {255, 255, 0, 0},
                                                       {0, 0, 255, 0},
                                                       {255, 0, 255, 0},
                                                       {0, 255, 255, 0},
                                                       {255, 255, 255, 0}}};

struct Display {
  int depth = 24;                        // 8, 15, 16 or 24
  int width = 1024;                      // pixels
  int height = 768;                      // pixels
  uint32_t generation = 1;               // grows on every depth change
  std::array<PALETTEENTRY, 256> system;  // the system palette (8-bit display)
};

Display& display() {
  static Display instance = [] {
    Display d;
    d.system.fill(PALETTEENTRY{0, 0, 0, 0});
    for (int i = 0; i < 10; i++) {
      d.system[i] = kLowStatic[i];
      d.system[246 + i] = kHighStatic[i];
    }
    return d;
  }();
  return instance;
}

}  // namespace

bool setDisplayDepth(int bitsPerPixel) {
  if (bitsPerPixel != 8 && bitsPerPixel != 15 && bitsPerPixel != 16 && bitsPerPixel != 24)
    return false;
  display().depth = bitsPerPixel;
  display().generation++;
  resetSystemPalette();
  return true;
}

int displayDepth() { return display().depth; }

int displayBitsPerPixel() { return display().depth == 15 ? 16 : display().depth; }

bool displayHasPalette() { return display().depth == 8; }

bool setDisplaySize(int width, int height) {
  if (width < 1 || height < 1) return false;
  display().width = width;
  display().height = height;
  return true;
}

int displayWidth() { return display().width; }
int displayHeight() { return display().height; }
int displayLogPixels() { return 96; }
uint32_t displayGeneration() { return display().generation; }

const PALETTEENTRY& systemPaletteEntry(int index) { return display().system[index & 255]; }

void setSystemPaletteEntry(int index, const PALETTEENTRY& entry) {
  if (index < 0 || index > 255 || isStaticPaletteIndex(index)) return;
  display().system[index] = entry;
}

void resetSystemPalette() {
  for (int i = 10; i < 246; i++) display().system[i] = PALETTEENTRY{0, 0, 0, 0};
}

bool isStaticPaletteIndex(int index) { return index < 10 || index > 245; }

}  // namespace platform
