// platform/x11/xpresenter.h -- the X11 presenter: top-level windows shown on
// an X display, its input turned into window messages.
//
// Owns: the X connection, one X window per visible top-level window (its
// title, position and size kept equal to the window's, its image in
// ximage.h), the X cursor, and the translation of X events (exposure,
// configuration, focus, buttons, wheel, motion, keys through the keyboard
// layout, the window manager's close request) into device input
// (devinput.h). It does not own the pixels (presenter.h composes them),
// what the messages do, nor the drag-and-drop exchange with other programs
// (xdnd.h), whose messages it passes on.
//
// The X connection is a watched file descriptor (tclloop.h), so the message
// loop and the Tcl notifier wake on X events and nothing polls; what changed
// is shown just before the loop waits: each window's picture is composed
// where it changed (composition.h) and that rectangle sent in one request.
// When a window manager runs, it frames the windows with a caption
// (desktop.h, xwm.h); otherwise the frame is ours and the X windows ask for
// no decoration.
#ifndef LUMENFOLD_PLATFORM_X11_XPRESENTER_H
#define LUMENFOLD_PLATFORM_X11_XPRESENTER_H

namespace platform {

// Opens the display (`displayName`, else $DISPLAY) and shows the windows on
// it from now on; the display's size becomes the screen's. False (and the
// program stays headless) when there is no display, it cannot be opened or
// its visual is not a true-colour one.
bool openX11Presenter(const char* displayName = nullptr);
void closeX11Presenter();
bool x11PresenterOpen();


// Opens the X11 presenter unless `headless` is asked for or no display is
// named; true when it is open.
bool startPresenter(bool headless);

// Shows what changed since the last call (the message loop calls it before
// it waits).
void presentChanges();

}  // namespace platform

#endif
