// platform/display.h -- the description of the display the program runs on.
//
// Owns: the display's pixel depth (24-bit true colour by default; an 8-bit
// palette display and 15- and 16-bit displays can be chosen, so that tests
// run every colour path), its size in pixels and resolution, and the
// system palette of the 8-bit display. It does not own the DCs that answer
// GetDeviceCaps from it, nor the realisation of logical palettes (both in
// the GDI modules of wingdi.h), nor the window surfaces (presenter.h).
//
// Changing the depth resets the system palette to the twenty static colours
// and makes every window surface start again, blank, in the new format.
#ifndef LUMENFOLD_PLATFORM_DISPLAY_H
#define LUMENFOLD_PLATFORM_DISPLAY_H

#include <cstdint>

#include "platform/wintypes.h"

struct PALETTEENTRY;

namespace platform {

// 8 (palette), 15 (16-bit pixels in 5:5:5), 16 (5:6:5) or 24 (true colour).
// Any other value is refused (false) and changes nothing.
bool setDisplayDepth(int bitsPerPixel);
int displayDepth();

// What GetDeviceCaps(BITSPIXEL) answers: 16 for both 15- and 16-bit
// displays, as the real interface does (the program probes the layout).
int displayBitsPerPixel();
bool displayHasPalette();

// 1024 x 768 by default; sizes below 1 are refused.
bool setDisplaySize(int width, int height);
int displayWidth();
int displayHeight();
int displayLogPixels();  // 96 dots per inch in both directions

// Grows by one on every change of depth, so that holders of pixels in the
// display's format can tell that theirs are stale.
uint32_t displayGeneration();

// The system palette of the 8-bit display: entries 0..9 and 246..255 hold
// the static colours and never change; 10..245 are set by RealizePalette.
const PALETTEENTRY& systemPaletteEntry(int index);
void setSystemPaletteEntry(int index, const PALETTEENTRY& entry);
void resetSystemPalette();
// True for the entries that the display keeps for itself.
bool isStaticPaletteIndex(int index);

}  // namespace platform

#endif
