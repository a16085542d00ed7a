// viewer/automove.cpp -- walk to a point, rise and return, jump; see
// automove.h.
#include "viewer/automove.h"

#include <algorithm>
#include <cmath>

#include "core/transform.h"
#include "core/vecmath.h"
#include "core/world.h"
#include "viewer/navigation.h"
#include "viewer/sceneobjects.h"

namespace {

constexpr float kFloorNormalY = 0.5f;
// A floor this little more than an eye height below the eye is the one the
// person stands on: the walk keeps the eye's height above it.
constexpr float kStandingTolerance = 1e-3f;
// A walk toward a wall ends this part of an eye height in front of it.
constexpr float kWallStandOff = 0.25f;
constexpr float kMinimumRise = 10.0f;
constexpr float kRisePerWorldHeight = 1.5f;
constexpr int32_t kRiseTicks = 10;
constexpr int32_t kJumpTicks = 10;
// Closer than this horizontally, an approach no longer steers.
constexpr float kApproachSteers = 0.01f;

ZmVec3 horizontalUnit(float x, float z) {
  ZmVec3 v = {x, 0.0f, z};
  zmNavNormalize(&v);
  return v;
}

// The target of a walk to a point on a floor-like surface.
void floorTarget(zmNavState* state, ZmObj* person, const ZmVec3& P, const ZmVec3& N, const ZmVec3& eye, float h) {
  float height = P.y;
  const bool standsOnIt = N.y > 0.0f && state->gravity == 1 && zmNavOnGround(person) == 1;
  if (state->autoMove != ZM_AUTO_NONE || standsOnIt) {
    height = P.y + h;
  } else if (N.y > 0.0f && P.y < eye.y && eye.y - P.y < h + kStandingTolerance) {
    // A floor at most an eye height below, the one stood on included: keep
    // the present height rather than sink the eye to the floor.
    height = eye.y;
  }
  state->target = {P.x, height, P.z};
  state->targetDir = horizontalUnit(P.x - eye.x, P.z - eye.z);
}

// The target of a walk to a point on a wall-like surface; false when the
// wall is too close to walk to.
bool wallTarget(zmNavState* state, const ZmVec3& P, ZmVec3 N, const ZmVec3& eye, float h) {
  const ZmVec3 D = {P.x - eye.x, P.y - eye.y, P.z - eye.z};
  const float distanceSquared = D.x * D.x + D.y * D.y + D.z * D.z;
  const ZmVec3 way = horizontalUnit(D.x, D.z);
  N = horizontalUnit(N.x, N.z);
  if (N.x * way.x + N.z * way.z < 0.0f) N = {-N.x, 0.0f, -N.z};  // into the wall
  const float b = h * kWallStandOff;
  if (state->autoMove == ZM_AUTO_NONE && distanceSquared < b * b) return false;
  state->target = {P.x - N.x * b, P.y, P.z - N.z * b};
  state->targetDir = N;
  return true;
}

}  // namespace

int zmNavPickTarget(intptr_t x, intptr_t y) {
  ZmWorld* world = zmGetCurrentWorld();
  zmNavState* state = zmGetNavState(world);
  if (state == nullptr || world->person == nullptr) return 0;
  ZmPickInfo pick = {};
  if (zmPickupZmShape(world, x, y, &pick) != 0) return 0;
  const ZmVec3 P = {pick.point[0], pick.point[1], pick.point[2]};
  const ZmVec3 N = pick.hasNormal ? ZmVec3{pick.normal[0], pick.normal[1], pick.normal[2]} : ZmVec3{0.0f, 1.0f, 0.0f};
  ZmVec3 eye = {};
  zmNavGetEyePosition(nullptr, &eye);
  const float h = zmNavEyeHeight(world->person);
  if (std::fabs(N.y) >= kFloorNormalY) {
    floorTarget(state, world->person, P, N, eye, h);
    return 1;
  }
  return wallTarget(state, P, N, eye, h) ? 1 : 0;
}

int zmNavOnGround(ZmObj* object) {
  const ZmVec3 below = {0.0f, -1.0f, 0.0f};
  ZmVec3 ground = {};
  float dy = 0.0f;
  if (zmNavCastRay(object, &below, &ground, &dy) != 1) return 0;
  const float h = zmNavEyeHeight(object);
  return -dy > 0.9f * h && -dy < 1.1f * h ? 1 : 0;
}

void zmNavApproach(ZmObj* person, const ZmVec3* target, const ZmVec3* direction, float f, int withGravity) {
  ZmObj* camera = zmNavGetPersonCamera(zmGetCurrentWorld());
  if (camera == nullptr) return;
  const ZmVec3& T = *target;
  const ZmVec3& t = *direction;
  ZmVec3 eye = {};
  zmNavGetEyePosition(nullptr, &eye);
  const float s = std::hypot(eye.x - T.x, eye.z - T.z) * f;
  if (s <= kApproachSteers) {
    ZmVec3 rest = {(1.0f - f) * (T.x - eye.x), (1.0f - f) * (T.y - eye.y), (1.0f - f) * (T.z - eye.z)};
    zmNavMoveObj(person, &rest, 1, 0, withGravity, 0);
    return;
  }
  const ZmVec3 u = horizontalUnit(T.x - eye.x, T.z - eye.z);
  const ZmVec3 w = horizontalUnit(u.x * f + (1.0f - f) * t.x, u.z * f + (1.0f - f) * t.z);
  ZmVec3 move = {T.x - w.x * s - eye.x, (1.0f - f) * (T.y - eye.y), T.z - w.z * s - eye.z};
  zmNavMoveObj(person, &move, 1, 0, withGravity, 0);
  const ZmRT* view = zmGetWRT(camera);
  const ZmVec3 facing = horizontalUnit(-view->m[6] * f + (1.0f - f) * t.x, -view->m[8] * f + (1.0f - f) * t.z);
  zmNavFaceDirection(person, &facing);
}

int zmNavGoHome(ZmWorld* world) {
  if (world == nullptr) return 1;
  const float height = std::fabs(world->boundingBox[1].y - world->boundingBox[0].y);
  zmNavStartJumpingEye(world, std::max(height * kRisePerWorldHeight, kMinimumRise), kRiseTicks);
  return 1;
}

int zmNavStartJumpingEye(ZmWorld* world, float rise, int32_t n) {
  zmNavState* state = zmGetNavState(world);
  ZmObj* camera = zmNavGetPersonCamera(world);
  if (state == nullptr || world->person == nullptr || camera == nullptr) return 0;
  if (state->autoMove == ZM_AUTO_NONE) {
    const ZmVec3 up = {0.0f, 1.0f, 0.0f};
    ZmVec3 ceiling = {};
    float dy = 0.0f;
    if (zmNavCastRay(world->person, &up, &ceiling, &dy) == 1) rise = std::min(rise, dy);
    state->savedView = *zmGetWRT(camera);
    const ZmRT& saved = state->savedView;
    state->target = {saved.t.x, saved.t.y + rise, saved.t.z};
    state->targetDir = horizontalUnit(-saved.m[6], -saved.m[8]);
    state->autoMove = ZM_AUTO_RISE;
  } else {
    const ZmRT& saved = state->savedView;
    state->autoMove = ZM_AUTO_APPROACH;
    state->target = saved.t;
    // The saved view's own heading: a person who walked about while hovering
    // comes back turned the way it looked when the rise began (the camera's
    // third row itself would turn it round).
    state->targetDir = horizontalUnit(-saved.m[6], -saved.m[8]);
  }
  zmNavStartSteps(state, n);
  return 1;
}

int zmNavStartEventMove(ZmObj* object, float height) {
  zmNavState* state = zmGetNavState(zmGetCurrentWorld());
  if (object == nullptr || state == nullptr || state->autoMove != ZM_AUTO_NONE || state->stepsLeft > 0) return -1;
  state->jumpStep = height / 4.0f;
  state->autoMove = ZM_AUTO_JUMP;
  zmNavStartSteps(state, kJumpTicks);
  return 0;
}

void zmNavJumpStep(ZmObj* person, int32_t k, float share) {
  const zmNavState* state = zmGetNavState(zmGetCurrentWorld());
  if (state == nullptr || person == nullptr) return;
  float rise = 0.0f;
  if (k >= 7 && k <= 10) rise = state->jumpStep;
  if (k >= 1 && k <= 4) rise = -state->jumpStep;
  if (rise == 0.0f) return;
  const ZmVec3 v = {0.0f, rise * share, 0.0f};
  zmObjectTrans(person, &v, ZM_COORD_WORLD, 1);
}
