// viewer/hooks.h -- the calls the viewer makes up into the layers above it
// while it draws a frame's overlays.
//
// Owns: the table `zmViewerHooks`, all null at start, filled by the layers
// that draw overlays when they start (tests set recorders). Callers use the
// inline functions below, never the slots; each says what happens while its
// slot is unset.
#ifndef LUMENFOLD_VIEWER_HOOKS_H
#define LUMENFOLD_VIEWER_HOOKS_H

#include "platform/wintypes.h"

struct ZmViewerHooks {
  // Multi-user: zmScouterDraw -- draws the chat and scouter labels into the
  // camera image's device context. Unset: there are no labels.
  void (*scouterDraw)(HDC image);

  // Shell: the feedback of a mouse drag in the view (a white cross at the
  // press point and a line to the mouse), drawn with zmDrawLine. Unset: no
  // drag can be in progress.
  void (*drawDragFeedback)(HDC image);
};

extern ZmViewerHooks zmViewerHooks;

inline void zmViewerScouterDraw(HDC image) {
  if (zmViewerHooks.scouterDraw) zmViewerHooks.scouterDraw(image);
}

inline void zmViewerDrawDragFeedback(HDC image) {
  if (zmViewerHooks.drawDragFeedback) zmViewerHooks.drawDragFeedback(image);
}

#endif
