// viewer/navigation.h -- walking the user's avatar through the current
// world: the navigation state, the mouse in the 3-D view, and the step that
// the frame tick runs.
//
// Owns: `zmNavState` (one per world, kept in the world record's navigation
// field, made zero-filled on first use and freed with the world), its
// creation and reset, the collision and gravity switches, the on/off switch,
// the left mouse button of the view (press, drag, release and the short
// Ctrl-click that starts a walk to a point), the walking sounds, the
// per-tick step (keys, mouse motion, one tick of an automatic move, the
// camera's pitch, telling the world server where the avatar is), the motion
// primitive every walk goes through (`zmNavMoveObj`: collision stop, ground
// following, posture stepping) and the small geometric operations shared
// with the automatic moves. navigation.cpp holds the state and the mouse,
// navstep.cpp the step and the geometry; what the step keeps across worlds
// is in the record of the user's control (viewer/usercontrol.h).
// It does not own the automatic moves themselves (viewer/automove.h), the
// avatar and its camera (viewer/person.h: the person is the world's person
// field, its camera is camera 2 of the world's camera table), nor what lies
// above the viewer (keys, alert, sounds, postures, the world server), which
// it reaches through viewer/hooks.h.
//
// The state keeps no address of any scene object: the person and its camera
// are looked up in the world on every call, so deleting either (or the
// world) leaves nothing dangling here.
//
// Frames: the person's +z is the way it faces, +y is up, +x is its left.
// Its camera looks along the person's +z (the camera's own -z).
//
// Time, not the frame rate, sets the pace: every amount "per tick" below is
// the amount of a 50 ms tick (ZM_NAV_TICK_MS). A step moves in proportion
// to the time since the previous step, as a 200 ms tick at most, and the
// automatic moves run their ticks in milliseconds.
#ifndef LUMENFOLD_VIEWER_NAVIGATION_H
#define LUMENFOLD_VIEWER_NAVIGATION_H

#include <cstdint>

#include "core/vecmath.h"
#include "platform/wintypes.h"

struct ZmObj;
struct ZmWorld;

// The tick whose amounts the state holds, and the longest a step counts.
constexpr uint32_t ZM_NAV_TICK_MS = 50;
constexpr uint32_t ZM_NAV_LONGEST_STEP_MS = 200;

// Values of `inputMode`. ZM_NAV_KEY_WALK lives only inside one step, for
// the tick in which arrow keys are down; it is never stored.
enum ZmNavInputMode : int32_t {
  ZM_NAV_IDLE = 0,
  ZM_NAV_WALK = 1,           // plain drag
  ZM_NAV_TO_POINT = 2,       // a walk to a picked point is under way
  ZM_NAV_LOOK = 3,           // Shift drag: look up and down, sidestep
  ZM_NAV_SLIDE = 4,          // Shift+Ctrl drag: slide in the person's own plane
  ZM_NAV_KEY_WALK = 5,
};

// Values of `autoMove` (viewer/automove.h runs them).
enum ZmNavAutoMove : int32_t {
  ZM_AUTO_NONE = 0,
  ZM_AUTO_RISE = 1,      // rising high above the world
  ZM_AUTO_APPROACH = 2,  // coming back down, or hovering when no steps are left
  ZM_AUTO_JUMP = 3,
};

struct zmNavState {
  int32_t inputMode;   // ZmNavInputMode
  int32_t autoMove;    // ZmNavAutoMove
  int32_t stepsLeft;   // ticks left of an automatic move or a walk to a point
  ZmVec3 target;       // world position the eye is to reach
  ZmVec3 targetDir;    // horizontal unit direction to face there (y is 0)
  int32_t pressTime;   // message time (ms) of the last left press; 0 after the release
  int32_t pressX, pressY;  // client point of that press
  uint16_t pressKeys;      // its key flags (MK_SHIFT, MK_CONTROL); 0 after the release
  int32_t originX, originY;  // the press point on the screen: the origin of a drag
  float forward;       // per tick along the person's +z, world units
  float side;          // per tick along the person's +x (positive: to the left)
  float turn;          // per tick about the vertical axis, degrees (positive: to the left)
  float pitch;         // the camera's pitch, degrees, positive looking down, within -80..80
  float speed;         // walking step per tick for keys
  int32_t gravity;     // 1: keep the person on the ground below it
  int32_t collision;   // 1: stop the person short of what is in its way
  ZmRT savedView;      // the camera's world matrix when a rise began
  int32_t enabled;     // 1: navigation on
  float jumpStep;      // height per tick of a jump
  int32_t tickMsRun;   // milliseconds of the move's present tick already run
};

// The world's state, or null (also for a null world).
zmNavState* zmGetNavState(ZmWorld* world);
// The person's camera: camera 2 of the world; null when there is none.
ZmObj* zmNavGetPersonCamera(ZmWorld* world);

// ---- State and switches -------------------------------------------------------

/*
 * zmNewNavState --
 *   Makes the world's state when it has none, then resets the mouse, the
 *   motion and the moves and sets the defaults: speed 0.1, gravity 0,
 *   collision 1, enabled 1, jump step 0.2. `side`, `target`, `targetDir`
 *   and `savedView` keep their values.
 * Results:
 *   The state; null for a null world or when memory runs out.
 */
zmNavState* zmNewNavState(ZmWorld* world);
// Stores both switches in the current world's state, made when missing.
// 0; -1 without a current world or state.
int zmNavSetSpeed(int32_t collision, int32_t gravity);
// The reader's form of zmNavSetSpeed: the world being built, else the
// current one.
void zmNavSetGravity(intptr_t collision, int gravity);
/*
 * zmNavInit --
 *   Prepares the current world's navigation after a load: makes the state
 *   when missing, stops the mouse motion and any walk to a point, sets the
 *   step to a fifth of the person's height (0.1 without a person) and stops
 *   the walking sounds. The automatic move, pitch and switches stay.
 * Results:
 *   0; -1 after the error "zmNavInit: can't get current world". A world
 *   without the person's camera is left alone (0).
 */
int zmNavInit();
// Both return the previous `enabled` (0 without a state). Disabling also
// ends a walk to a point and a drag, releasing the mouse capture.
int32_t zmDisableNavigation();
int32_t zmEnableNavigation();
// Gives the move about to start `ticks` whole ticks to run.
void zmNavStartSteps(zmNavState* state, int32_t ticks);
// first: 1 while an automatic move runs; second: 1 while steps are left.
void zmNavGetFlags(int32_t* first, int32_t* second);

// ---- Mouse and sounds -------------------------------------------------------

/*
 * zmNavMouseEvent --
 *   The view window's WM_LBUTTONDOWN, WM_MOUSEMOVE and WM_LBUTTONUP (other
 *   messages are ignored), with the point in lParam's signed words and the
 *   time from GetMessageTime. Acts only while the current world has a state,
 *   navigation is on and the world has a person.
 * Side effects:
 *   The press captures the mouse for the view, the release lets it go; a
 *   short Ctrl-click (or any short click during an automatic move) picks a
 *   point to walk to.
 */
void zmNavMouseEvent(HWND view, UINT message, WPARAM wParam, LPARAM lParam);
// Plays the walking sound that the present drag calls for; 0.
int zmSetAvatarMotion();
int zmStopWalkingSounds();  // stops all four; 0

// ---- The step ------------------------------------------------------------------

// One tick of navigation in the current world, as long as the time since
// the previous one (a first tick counts as 50 ms); the window is not used.
void zmNavStep(HWND view);

/*
 * zmNavMoveObj --
 *   Moves the object by v (in its own frame when inWorld is 0), stopping the
 *   eye 0.1 short of what is ahead (withCollision, the world's switch on and
 *   no rise or return under way; the alert sounds), stepping an articulated
 *   body's posture instead of moving it for a purely forward or backward
 *   move (withPosture), then standing it on what lies below (withGravity,
 *   the world's switch on and no automatic move).
 * Results:
 *   0. v is changed in place (turned into the world frame, cut short).
 */
int zmNavMoveObj(ZmObj* object, ZmVec3* v, int inWorld, int withCollision, int withGravity, int withPosture);
// A ray from the eye along `direction` against the object's world, leaving
// the person out. 1 with the nearest hit and dy = hit y - eye y; else 0
// (dy is 0 and point untouched).
int zmNavCastRay(ZmObj* object, const ZmVec3* direction, ZmVec3* point, float* dy);
// The eye's height above the bottom of the object's parent-frame box; 1.5
// when the object, its world, its box or the eye is missing.
float zmNavEyeHeight(ZmObj* object);
// The world position of the current world's person's camera; the vector
// is left as it is when there is none.
void zmNavGetEyePosition(ZmObj* ignored, ZmVec3* eye);
// The camera's tilt in degrees, positive looking down.
float zmNavGetPitch(ZmObj* camera);
// The level unit direction that a camera with this world matrix looks
// along: its view direction's horizontal part; looking straight down (up),
// the way the top (bottom) of its view points.
void zmNavViewHeading(const ZmRT* frame, ZmVec3* heading);
// Takes the camera's tilt away, keeping its heading (zmNavViewHeading).
void zmNavLevelCamera(ZmObj* camera);
/*
 * zmNavFaceDirection --
 *   Turns the object, keeping its position, so that its +z runs along the
 *   direction's horizontal part and its y axis stays up. A direction whose
 *   horizontal part is (near) zero names no heading: the object keeps the
 *   one it has.
 * Results:
 *   That of zmObjectRotate; 0 when the heading is kept.
 */
int zmNavFaceDirection(ZmObj* object, const ZmVec3* direction);
// Divides by the length when it is above 1e-6; else leaves the vector.
void zmNavNormalize(ZmVec3* v);

// Test support only: forgets the program-wide key-repeat counter and the
// send bookkeeping, as at program start. The program never calls it.
void zmNavForgetProgramStateForTest();

#endif
