// shell/labels.h -- short texts floating over objects in the 3-D view: the
// chat label over a user who spoke and the scouter label naming the object
// under the mouse.
//
// Owns: the program-wide label list (newest first), each label's text
// buffer, the two label fonts (chat and scouter), the labels-shown and
// scouter switches and the current scouter label; expiring and placing the
// labels on each tick and drawing the placed ones into the camera image.
// It does not own the objects a label follows (a label goes with its
// object: zmDeleteObjLabels), the chat window's pane (shell/chat.h) nor the
// picking and projection it asks the viewer for.
#ifndef LUMENFOLD_SHELL_LABELS_H
#define LUMENFOLD_SHELL_LABELS_H

#include <cstdint>

#include "core/object.h"
#include "platform/winuser.h"
#include "shell/fontobj.h"
#include "shell/textbuf.h"

// Label flags.
enum : uint32_t {
  ZM_LABEL_FOLLOW = 1,   // placed again on every tick
  ZM_LABEL_EXPIRES = 4,  // the expiry time is valid
  ZM_LABEL_FROZEN = 8,   // not placed again (while a video plays)
};

// Label kinds.
enum : int32_t { ZM_LABEL_SCOUTER = 1, ZM_LABEL_CHAT = 2 };

// Where over its object a label stands.
enum : int32_t {
  ZM_LABEL_AT_CENTRE = 0,  // centre of the object's bounding cube
  ZM_LABEL_AT_TOP = 1,     // top centre
  ZM_LABEL_AT_BOTTOM = 2,  // bottom centre
  ZM_LABEL_AT_ANCHOR = 3,  // the label's own anchor point (world coordinates)
};

// Label font styles (the font object's flags).
enum : int {
  ZM_LABEL_STYLE_SHADOW = 1,      // a black copy one pixel down and right
  ZM_LABEL_STYLE_BACKGROUND = 2,  // the background colour OR-ed onto the frame
};

// How long a label lives, in milliseconds.
constexpr uint32_t ZM_CHAT_LABEL_LIFE = 30000;
constexpr uint32_t ZM_CHAT_LABEL_RENEWED_LIFE = 5000;
constexpr uint32_t ZM_SCOUTER_LABEL_LIFE = 3000;
constexpr int ZM_LABEL_WRAP_WIDTH = 320;  // pixels

struct ZmLabel {
  ZmLabel* next;
  ZmLabel* prev;
  uint32_t flags;
  int32_t kind;
  int placed;              // 1 when the last placement put it in the view
  ZmFontObj* fontObj;      // not owned
  ZmTextBuf* textBuf;      // one message, wrapped at ZM_LABEL_WRAP_WIDTH
  int width, height;       // of the text, in pixels
  int x, y;                // top left in the view; -1, -1 before placed
  float anchor[3];
  ZmObj* object;
  ZmLeaf* part;
  int32_t geometry;
  uint32_t expirySec, expiryMsec;
};

// ---- Start and end ---------------------------------------------------------------

// Nothing to prepare: the list starts empty. 0.
int zmLabelInit();
// Removes every label. 0.
int zmLabelExit();
// The scouter font ("ARIAL Italic" 16, white with a black shadow); 0 or -1.
int zmScouterInitFont();
void zmScouterExitFont();
// The chat font ("FixedSys" 12, black on grey); made with the chat
// window's class, freed with the chat window. 0 or -1.
int zmChatLabelInitFont();
void zmChatLabelExitFont();

// ---- Chat and scouter ----------------------------------------------------------

/*
 * zmChatLabelSay --
 *   Puts the chat text over the speaking object: a new chat label living
 *   30 s, or, when the object has one, the new text and 5 s more; the same
 *   text again changes nothing. The user's own avatar gets no label.
 */
void zmChatLabelSay(ZmObj* object, const char* text);

// Set the scouter switch to 1 or 0; the previous value.
int zmScouterOn();
int zmScouterOff();

/*
 * zmScouterMouseMove --
 *   While the scouter is on: labels the object under the mouse (lParam's
 *   signed halves) with its comment, or its name under "-dname", for 3 s.
 * Results:
 *   0.
 */
LRESULT zmScouterMouseMove(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The first object from `object` up the parent chain that has a comment
// (a name); null when none. A null object warns "zmGetObjComment:
// parameter is NULL" ("zmGetObjName: ...").
ZmObj* zmGetObjComment(ZmObj* object);
ZmObj* zmGetObjName(ZmObj* object);

// ---- Every tick and every frame --------------------------------------------------

// Removes the expired labels and places the following ones again.
void zmLabelUpdate();
// Draws every placed label into the device context (the camera image).
void zmScouterDraw(HDC dc);

/*
 * zmLabelWinSetObjPos --
 *   The view pixel of the object's label point: the centre, top centre or
 *   bottom centre of its bounding cube, through the world's active camera.
 * Results:
 *   0 with *point set; -1 when the point is not in view, the object has no
 *   box, or the geometry is unknown (warned "zmLabelWinSetObjPos: unknown
 *   geometry").
 */
int zmLabelWinSetObjPos(ZmWorld* world, ZmObj* object, POINT* point, int32_t geometry);

// Freeze every label where it stands, and let them follow again.
void zmLabelHideAll();
void zmLabelShowAll();

// Removes every label of the object.
void zmDeleteObjLabels(ZmObj* object);

// ---- Readers (the tests') ---------------------------------------------------------

// The newest label first; null when there are none.
ZmLabel* zmFirstLabel();
// The object's label of the kind; null when none.
ZmLabel* zmFindObjLabel(ZmObj* object, int32_t kind);
// The label the scouter last made or renewed; null when none.
ZmLabel* zmCurrentScouterLabel();
// The label's text (its one message); "" when empty.
const char* zmLabelText(const ZmLabel* label);

#endif
