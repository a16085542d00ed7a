// shell/lamp.h -- the status lamp: the 3-pixel frame around the view window
// that flashes a colour twice and settles back to black.
//
// Owns: the lamp's rest colour (black), its current colour, the deadline of
// the running phase and the phases left (0 to 3), and the drawing of the
// frame. It does not own who lights the lamp (the alert sends WM_ZMLAMP to
// the main window, whose procedure calls zmSetLamp) nor the timer that steps
// it (the main window calls zmLampBlinkStep on every WM_TIMER).
//
// A blink shows colour, rest, colour, rest, each phase lasting at least
// ZM_LAMP_PHASE_MS, and ends in the rest colour. Times are milliseconds of
// the program clock (GetTickCount, message times); comparisons survive the
// clock's 32-bit wrap.
#ifndef LUMENFOLD_SHELL_LAMP_H
#define LUMENFOLD_SHELL_LAMP_H

#include "platform/wintypes.h"

constexpr DWORD ZM_LAMP_PHASE_MS = 250;
constexpr int ZM_LAMP_PHASES = 3;

// The colour the frame rests in (black); WM_PAINT draws the frame in it.
COLORREF zmGetLampRestColor();
// The colour of the blink under way (or of the last one).
COLORREF zmGetLampColor();
// The phases of the blink still to come; 0 when the lamp rests.
int zmGetLampPhases();

// Draws the frame with a 3-pixel solid pen in the colour around the view
// (left 13, top 27, the view window's client size plus 3 x 2), in the main
// window's client coordinates.
void zmDrawLampFrame(HDC dc, COLORREF colour);

// Starts a blink in the colour: three phases from now, the first one (the
// colour) drawn at once into the main window. A blink under way starts over.
void zmSetLamp(COLORREF colour);

// Ends the phase under way once `time` is past its deadline: the next phase
// starts, drawn into the main window, in the rest colour when an even number
// of phases is left and in the lamp's colour when an odd number is. Nothing
// happens while the lamp rests or before the deadline.
void zmLampBlinkStep(DWORD time);

// Stops a blink where it stands (a new world is shown): no further phase is
// drawn until the next zmSetLamp.
void zmStopLampBlink();
// Stops a blink and draws the frame in the rest colour (a load has ended).
void zmRestLamp();

#endif
