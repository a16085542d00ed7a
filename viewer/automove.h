// viewer/automove.h -- the moves that carry the user's avatar by themselves
// over several frame ticks: the walk to a picked point, the rise high above
// the world and the way back, and the jump.
//
// Owns: setting those moves up in the current world's navigation state
// (their targets, directions and tick counts), the approach step that all
// but the jump take each tick, the jump's tick, and whether the person
// stands on the ground. The navigation step (viewer/navigation.h) runs one
// tick of the move under way each frame; placing the person at a viewpoint
// at once is viewer/person.h's. Nothing here reports a message.
//
// The moves keep positions and directions only, never the address of an
// object: a picked point is copied out of the pick at once.
#ifndef LUMENFOLD_VIEWER_AUTOMOVE_H
#define LUMENFOLD_VIEWER_AUTOMOVE_H

#include <cstdint>

struct ZmObj;
struct ZmVec3;
struct ZmWorld;

/*
 * zmNavPickTarget --
 *   Picks the shape under client point (x, y) of the view and sets the
 *   target of a walk there: on a floor-like surface (|normal y| >= 0.5) the
 *   point at standing, present or its own height; on a wall-like one a
 *   quarter eye height in front of it, facing it.
 * Results:
 *   1 with `target` and `targetDir` set; 0 with nothing changed when
 *   nothing is picked or the wall is closer than a quarter eye height. The
 *   caller starts the walk (inputMode 2, ten steps).
 */
int zmNavPickTarget(intptr_t x, intptr_t y);
// 1 when a ray straight down from the eye meets something between 0.9 and
// 1.1 eye heights (both exclusive) below it; else 0.
int zmNavOnGround(ZmObj* object);
/*
 * zmNavApproach --
 *   One step of the person toward `target`: with fraction f, to the point f
 *   times the remaining horizontal distance back from the target along a
 *   blend of the way there and `direction`, and (1 - f) of the height
 *   difference, turning to face a blend of its heading and `direction`.
 *   Within 0.01 horizontally it moves (1 - f) of the way in all three
 *   components and keeps its heading; f = 0 lands the eye on the target.
 */
void zmNavApproach(ZmObj* person, const ZmVec3* target, const ZmVec3* direction, float f, int withGravity);
// The rise command: 1.5 times the height of the world's box, at least 10,
// in 10 ticks; or the way back when a move is under way. 1.
int zmNavGoHome(ZmWorld* world);
/*
 * zmNavStartJumpingEye --
 *   Without a move under way: remembers the camera's matrix and starts the
 *   rise by `rise` (at most to a ceiling above the eye) in n ticks.
 *   Otherwise starts the way back to the remembered matrix in n ticks,
 *   turning toward the heading it had.
 * Results:
 *   1; 0 when the world has no state, person or person's camera.
 */
int zmNavStartJumpingEye(ZmWorld* world, float rise, int32_t n);
// Starts a jump of the given height when the object is given and no move
// runs in the current world: 0; else -1.
int zmNavStartEventMove(ZmObj* object, float height);
// The share (1 for all of it) of tick k of a jump (k the steps left before
// this one): up a quarter of the height on ticks 10 to 7, down on 4 to 1,
// nothing on 6 and 5.
void zmNavJumpStep(ZmObj* person, int32_t k, float share);

#endif
