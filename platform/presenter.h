// platform/presenter.h -- the pixels of every window, headless.
//
// Owns: one pixel surface per window, in the display's format and sized
// from the window's client rectangle whenever it is drawn into or read, the
// part of each surface drawn into since a presenter last took it, and the
// screen's surface, which shows the visible windows' surfaces at their
// screen positions. A test reads a window's pixels back as colours or saves
// them as a BMP file. It does not own the windows (winuser.h) nor the
// drawing (wingdi.h) nor the composition of a window with its frame and
// children (composition.h); a surface is dropped once its window is gone.
//
// On a true-colour display a surface holds 32 bits a pixel (8 bits a
// channel in the low 24, the layout of a true-colour X image), so that
// what a display shows is copied, not converted; compatible bitmaps keep
// the display's 24 bits.
//
// A resized window keeps the pixels that still fit; a change of display
// depth (display.h) starts every surface again, black.
#ifndef LUMENFOLD_PLATFORM_PRESENTER_H
#define LUMENFOLD_PLATFORM_PRESENTER_H

#include <string>
#include <vector>

#include "platform/wintypes.h"

namespace platform {

struct WindowPixels {
  int width = 0;
  int height = 0;
  std::vector<COLORREF> pixels;  // rows from the top, each `width` colours

  COLORREF at(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

// The window's client pixels as colours (through the system palette on an
// 8-bit display). False for an invalid window or a null record; an empty
// client area reads as 0 x 0.
bool readWindowPixels(HWND hwnd, WindowPixels* out);
// The whole screen, as GetDC(NULL) shows it.
bool readScreenPixels(WindowPixels* out);

// Grows whenever a menu that a window's frame may show changed, which no
// drawing call reports. A presenter compares it to know when to compose
// whole windows again.
uint32_t presentationGeneration();
void notePresentationChanged();

// Writes the window's client pixels to a 24-bit BMP file. False for an
// invalid window, an empty client area or a file that cannot be written.
bool saveWindowBmp(HWND hwnd, const std::string& path);

namespace gdi {
struct BitmapObject;
// For the GDI modules: the window's surface, made or resized to its client
// rectangle; null for an invalid window or an empty client area.
BitmapObject* windowSurface(HWND hwnd);
// For the GDI modules: the screen, composed afresh from the windows.
BitmapObject* screenSurface();
// For the GDI modules: `rect` (client coordinates) of the window's surface
// was drawn into.
void noteWindowDrawn(HWND hwnd, const RECT& rect);
// For the composition: the part of the window's surface drawn into since
// the last call (client coordinates), forgotten once taken; false when
// nothing was drawn. A new or resized surface counts as drawn whole.
bool takeWindowDrawn(HWND hwnd, RECT* drawn);
}  // namespace gdi

}  // namespace platform

#endif
