// platform/presenter.h -- the pixels of every window, headless.
//
// Owns: one pixel surface per window, in the display's format and sized
// from the window's client rectangle whenever it is drawn into or read, and
// the screen's surface, which shows the visible windows' surfaces at their
// screen positions. A test reads a window's pixels back as colours or saves
// them as a BMP file. It does not own the windows (winuser.h) nor the
// drawing (wingdi.h); a surface is dropped once its window is gone.
//
// composeWindow puts a window's frame and children around its client pixels,
// which is what a display presenter (xpresenter.h) shows.
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

// The whole window as a display shows it: its frame (caption, menu bar,
// scroll bars), its client pixels and those of its visible children, each
// clipped to its parent's client area. False for an invalid window.
bool composeWindow(HWND hwnd, WindowPixels* out);

// Grows whenever something that a display shows may have changed: a
// window drawn into, a frame part (title, menu, scroll bar) changed. A
// presenter compares it to know when to show the windows again.
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
}  // namespace gdi

}  // namespace platform

#endif
