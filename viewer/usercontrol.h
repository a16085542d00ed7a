// viewer/usercontrol.h -- the record of the user's control through the view
// (private to viewer/).
//
// Owns: UserControl, the program-wide state of what the user does in the
// 3-D view with the avatar and the mouse: the view's input reaches both
// navigation and the grab, and the avatar that navigation walks is read
// by viewer/person.cpp. Each module writes only its own member: `step`
// viewer/navstep.cpp, `grab` viewer/grab.cpp, `personFileForTest`
// viewer/person.cpp. The record is defined in viewer/navigation.cpp. It
// does not own the per-world navigation state (the world's navigation
// field), the avatar object (the world's person) nor the objects held.
#ifndef LUMENFOLD_VIEWER_USERCONTROL_H
#define LUMENFOLD_VIEWER_USERCONTROL_H

#include <cstdint>
#include <string>

#include "core/vecmath.h"
#include "engine/matrix.h"

struct ZmObj;

// ---- the navigation step (viewer/navstep.cpp) ------------------------------

// Program-wide, surviving a change of world: how long arrow keys have been
// held, when the previous step ran, and what was last told to the world
// server. Times are on the program's clock (platform/clock.h), which tests
// run as a virtual clock; flags, not zero times, mark the first step, since
// that clock may start at 0.
struct NavStepState {
  uint64_t keysHeldMs = 0;    // how long arrow keys have been down, this step included
  uint64_t postureMs = 0;     // key walking of a body not yet spent on posture steps
  bool stepped = false;       // a step has run
  uint64_t lastStepMs = 0;    // when the previous step ran
  bool told = false;          // the first step has sent the full transform
  uint64_t positionDueMs = 0; // a changed position is sent after this
  uint64_t fullDueMs = 0;     // the full transform is sent after this
  ZmRT lastSent = {};         // the person's world matrix as last sent
};

// ---- the grab (viewer/grab.cpp) --------------------------------------------

// The one grab of the program (the view is the only place to grab from).
struct GrabRecord {
  int32_t mode;      // GrabMode of viewer/grab.cpp
  ZmObj* object;     // the object held since the press; null once forgotten
  RwVector offset;   // the object's world position minus the grab point at the press
  int32_t lastX;     // the mouse point of the previous grab event, client pixels
  int32_t lastY;
  ZmObj* undoObject; // the object of the last successful press, or null
  ZmRT undoMatrix;   // its world matrix at that press
};

struct UserControl {
  NavStepState step;
  GrabRecord grab = {};
  std::string personFileForTest;  // the avatar file to read; empty: the data folder's
};
UserControl& userControl();

#endif
