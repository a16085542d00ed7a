// platform/composition.h -- what a display shows of each top-level window:
// its frame, its client pixels and those of its visible children, composed
// into one picture and kept up to date from what was drawn.
//
// Owns: one picture per top-level window that a presenter shows, 32 bits a
// pixel (0x00RRGGBB, the layout of a true-colour X image), with what the
// picture was composed from (its windows' places, styles, captions, the
// active window, the frame generation and the display's depth); and
// composeWindow, the whole window composed afresh as colours, which is the
// reference the kept pictures are held to. It does not own the window
// surfaces or the record of what was drawn into them (presenter.h), the
// frames' drawing (windowstate.h) nor the display (x11/xpresenter.h).
//
// Only what changed is composed again: the parts of the windows' surfaces
// drawn into since the last call, in their windows' places and under the
// windows stacked above them. A change that no drawing call reports -- a
// window moved, sized, shown, hidden, restacked or retitled, another active
// window, a menu (presentationGeneration) or a scroll bar (noteFrameChanged),
// a new display depth -- composes the whole window again.
#ifndef LUMENFOLD_PLATFORM_COMPOSITION_H
#define LUMENFOLD_PLATFORM_COMPOSITION_H

#include <cstdint>

#include "platform/presenter.h"
#include "platform/wintypes.h"

namespace platform {

struct ComposedPicture {
  const uint32_t* pixels = nullptr;  // rows from the top, `width` pixels each
  int width = 0;
  int height = 0;
  int stride = 0;  // pixels from one row's start to the next; 0: `width` (a part of a wider picture)

  size_t rowPixels() const { return size_t(stride > 0 ? stride : width); }
};

/*
 * composeChanges --
 *   Brings the picture of the top-level window up to date: composed whole
 *   on the first call and after a change that no drawing call reports,
 *   else only where its windows were drawn into since the last call.
 * Results:
 *   False for an invalid window or one without area. Otherwise true, the
 *   picture in *picture (valid until the next call for the window) and the
 *   bounding rectangle of what was composed in *changed (window
 *   coordinates), empty when nothing was.
 */
bool composeChanges(HWND hwnd, ComposedPicture* picture, RECT* changed);

// Drops the picture of a window that is no longer shown.
void forgetComposition(HWND hwnd);

// A part of the window's frame that no drawing call reports (a scroll bar)
// changed: the top-level window holding it is composed whole next time.
void noteFrameChanged(HWND hwnd);

// The whole window as a display shows it, composed afresh: its frame
// (caption, menu bar, scroll bars), its client pixels and those of its
// visible children, each clipped to its parent's client area. False for an
// invalid window.
bool composeWindow(HWND hwnd, WindowPixels* out);

}  // namespace platform

#endif
