// platform/x11/xdnd.h -- the X presenter's drop target: files that another
// program drags onto our windows with the X drag-and-drop protocol
// (version 5).
//
// Owns: the protocol's atoms, the XdndAware property on the presenter's X
// windows, the one drag in progress over them (its source, whether it
// offers "text/uri-list", the last pointer position, whether we accept),
// the conversion of the dropped selection and the answers to the source
// (XdndStatus, XdndFinished). It does not own the X connection nor the X
// windows (xpresenter.h), the reading of the list (urilist.h) nor the
// dropped-file records and WM_DROPFILES (dialogs.h).
//
// A drop is accepted where dialogs.h's dropTargetAt finds a window; the
// files go to that window with the drop point in its client coordinates.
#ifndef LUMENFOLD_PLATFORM_X11_XDND_H
#define LUMENFOLD_PLATFORM_X11_XDND_H

#include <X11/Xlib.h>

#include "platform/wintypes.h"

namespace platform::xdnd {

// Interns the atoms; call once the display is open, and stop() before it
// closes.
void start(Display* display);
void stop();

// Adds (or removes) the property that tells sources the X window takes
// drops.
void advertise(Window xid, bool aware);

// Handles a client message of the protocol sent to `xid`, which shows the
// top-level window `top`; false when the message is not one of the
// protocol's (the caller then handles it).
bool clientMessage(const XClientMessageEvent& event, HWND top);

// Handles the answer to our request for the dropped selection; false when
// the event answers something else.
bool selectionNotify(const XSelectionEvent& event);

}  // namespace platform::xdnd

#endif
