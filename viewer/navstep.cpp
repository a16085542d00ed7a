// viewer/navstep.cpp -- the navigation step of each frame tick, the motion
// primitive and the geometry shared with the automatic moves; see
// navigation.h.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "core/bounds.h"
#include "core/object.h"
#include "core/shapequery.h"
#include "core/transform.h"
#include "core/world.h"
#include "platform/clock.h"
#include "viewer/automove.h"
#include "viewer/hooks.h"
#include "viewer/navigation.h"
#include "viewer/usercontrol.h"

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kDegreesPerRadian = 180.0 / kPi;
constexpr float kPitchLimit = 80.0f;
constexpr float kDefaultEyeHeight = 1.5f;
// The eye stops this far short of what it would have walked into.
constexpr float kCollisionMargin = 0.1f;

// Virtual-key codes read from the key-state table, and its down bit.
enum : uint8_t { kShift = 16, kControl = 17, kLeft = 37, kUp = 38, kRight = 39, kDown = 40 };
constexpr uint8_t kKeyDown = 0x80;

// Turns per tick of the Left and Right keys, and pitch per tick of Shift
// with Up or Down, in degrees.
constexpr float kKeyTurn = 4.0f;
constexpr float kKeyPitch = 2.0f;
// Walking decays the pitch by this factor a tick, to level within +-5.
constexpr float kPitchDecay = 0.8f;
constexpr float kPitchLevelWithin = 5.0f;
// A drag walks only when its forward part beats a third of its sideways
// part, and turns only when its sideways part beats a third of the forward.
constexpr float kWalkBySide = 0.33333334f;
constexpr float kTurnByForward = 3.0f;
// The approach of a walk to a point and of a rise or return keeps this
// part of the remaining distance each tick.
constexpr float kApproachFraction = 0.8f;
// A rise looks down by atan(height gained / this) degrees.
constexpr double kRiseLookDistance = 50.0;
// On the way back the pitch eases off over the last ticks.
constexpr int32_t kEaseTicks = 5;
constexpr float kEasePitch = 0.7f;

constexpr uint64_t kPositionEveryMs = 1000;
constexpr uint64_t kFullEveryMs = 5000;

// How many ticks `ms` milliseconds make, with a fraction.
float ticksIn(uint32_t ms) { return static_cast<float>(ms) / static_cast<float>(ZM_NAV_TICK_MS); }

bool isDown(const uint8_t keys[256], uint8_t code) { return (keys[code] & kKeyDown) != 0; }

float clampPitch(float pitch) { return std::clamp(pitch, -kPitchLimit, kPitchLimit); }

// The length of this step: the time since the previous one, at most the
// longest a step counts; a first step counts as one tick.
uint32_t stepMs() {
  NavStepState& program = userControl().step;
  const uint64_t now = platform::clockMs();
  const uint64_t elapsed = program.stepped ? now - program.lastStepMs : ZM_NAV_TICK_MS;
  program.stepped = true;
  program.lastStepMs = now;
  return static_cast<uint32_t>(std::min<uint64_t>(elapsed, ZM_NAV_LONGEST_STEP_MS));
}

// The acceleration of held keys in their n-th tick (from 1): 1 for the
// first five ticks, then one more every five ticks, at most 5.
int32_t keyAcceleration(uint64_t n) {
  return n <= 5 ? 1 : static_cast<int32_t>(std::min<uint64_t>(n / 5 + 1, 5));
}

// The acceleration summed over each millisecond of holding from `fromMs` to
// `toMs`, tick by tick: a step that spans parts of several ticks walks as
// far as those ticks would have, whatever the frame rate.
uint64_t acceleratedMs(uint64_t fromMs, uint64_t toMs) {
  uint64_t sum = 0;
  for (uint64_t at = fromMs; at < toMs;) {
    const uint64_t tick = at / ZM_NAV_TICK_MS + 1;
    const uint64_t end = std::min(toMs, tick * ZM_NAV_TICK_MS);
    sum += static_cast<uint64_t>(keyAcceleration(tick)) * (end - at);
    at = end;
  }
  return sum;
}

// The mean acceleration of held keys over this step of `ms` milliseconds.
float heldKeyAcceleration(uint32_t ms) {
  NavStepState& program = userControl().step;
  const uint64_t from = program.keysHeldMs;
  program.keysHeldMs += ms;
  if (ms == 0) return static_cast<float>(keyAcceleration(from / ZM_NAV_TICK_MS + 1));
  return static_cast<float>(acceleratedMs(from, program.keysHeldMs)) / static_cast<float>(ms);
}

// The key part of a step (its steps 3 to 8): the mode for this step, with
// the state's motion replaced by the keys' when arrow keys are down. The
// motion stays per tick; the step is `ms` milliseconds long.
int32_t readKeys(zmNavState* state, uint32_t ms) {
  NavStepState& program = userControl().step;
  uint8_t keys[256];
  viewerShell().getKeyStateTable(keys);
  int32_t mode = state->inputMode;
  float pitchChange = 0.0f;
  float acceleration = 1.0f;
  const bool up = isDown(keys, kUp), down = isDown(keys, kDown);
  if (isDown(keys, kLeft) || up || isDown(keys, kRight) || down) {
    acceleration = heldKeyAcceleration(ms);
    const bool shift = isDown(keys, kShift), control = isDown(keys, kControl);
    mode = shift && control ? ZM_NAV_SLIDE : shift ? ZM_NAV_LOOK : (up || down) ? ZM_NAV_KEY_WALK : ZM_NAV_WALK;
    state->forward = state->side = state->turn = 0.0f;
  } else {
    program.keysHeldMs = 0;
    program.postureMs = 0;
  }
  const float hurry = state->autoMove != ZM_AUTO_NONE ? 2.0f : 1.0f;
  const float step = state->speed * hurry * acceleration;
  if (isDown(keys, kLeft)) {
    state->side = step;
    state->turn = kKeyTurn;
  }
  if (isDown(keys, kRight)) {
    state->side = -step;
    state->turn = -kKeyTurn;
  }
  if (up) {
    state->forward = step;
    pitchChange -= kKeyPitch;
  }
  if (down) {
    state->forward = -step;
    pitchChange += kKeyPitch;
  }
  if (mode == ZM_NAV_LOOK && pitchChange != 0.0f)
    state->pitch = clampPitch(state->pitch + pitchChange * ticksIn(ms));
  return mode;
}

// Ends a tick of the automatic move under way: the final placement of a
// way back, and what follows each move.
void endMoveTick(zmNavState* state, ZmObj* person) {
  state->tickMsRun = 0;
  state->stepsLeft--;
  if (state->stepsLeft > 0) return;
  switch (state->autoMove) {
    case ZM_AUTO_RISE: state->autoMove = ZM_AUTO_APPROACH; break;  // hover at the top
    case ZM_AUTO_APPROACH:
      zmNavApproach(person, &state->target, &state->targetDir, 0.0f, state->gravity);
      state->autoMove = ZM_AUTO_NONE;
      state->pitch = 0.0f;
      break;
    case ZM_AUTO_JUMP: state->autoMove = ZM_AUTO_NONE; break;
    default: break;
  }
}

// Runs `ms` milliseconds (at most what is left of the present tick) of the
// automatic move under way; `pitch` is the camera's pitch before them.
void runMovePart(zmNavState* state, ZmObj* person, ZmObj* camera, uint32_t ms, float* pitch) {
  const float share = ticksIn(ms);
  if (state->autoMove == ZM_AUTO_JUMP) {
    zmNavJumpStep(person, state->stepsLeft, share);
  } else {
    // Each tick keeps this part of the way left; a part of a tick keeps
    // that power of it, so the way shrinks alike in steps of any length.
    zmNavApproach(person, &state->target, &state->targetDir, std::pow(kApproachFraction, share), 0);
  }
  switch (state->autoMove) {
    case ZM_AUTO_RISE: {
      const double gained = zmGetWRT(camera)->t.y - state->savedView.t.y;
      state->pitch = static_cast<float>(std::atan(gained / kRiseLookDistance) * kDegreesPerRadian);
      break;
    }
    case ZM_AUTO_APPROACH:
      // Eases off over the last ticks: stepsLeft counts the present one.
      if (state->stepsLeft <= kEaseTicks) state->pitch = *pitch * std::pow(kEasePitch, share);
      break;
    case ZM_AUTO_NONE: state->pitch = 0.0f; break;
    default: break;
  }
  *pitch = state->pitch;
  state->tickMsRun += static_cast<int32_t>(ms);
  if (state->tickMsRun >= static_cast<int32_t>(ZM_NAV_TICK_MS)) endMoveTick(state, person);
}

// The automatic move under way for a step of `ms` milliseconds (step 10),
// tick by tick; p0 is the camera's pitch at the start of the step.
void runAutoMove(zmNavState* state, ZmObj* person, ZmObj* camera, uint32_t ms, float p0) {
  float pitch = p0;
  while (ms > 0 && state->stepsLeft > 0) {
    const uint32_t part = std::min(ms, ZM_NAV_TICK_MS - static_cast<uint32_t>(state->tickMsRun));
    runMovePart(state, person, camera, part, &pitch);
    ms -= part;
  }
}

// Turns the person about its own vertical axis (positive: to the left).
void turnPerson(ZmObj* person, float degrees) {
  float turn[9];
  zmMat3FromAngles(0.0, degrees * kPi / 180.0, 0.0, turn);
  zmObjectRotate(person, turn, ZM_COORD_OWN, 1);
}

// Walking an articulated body with the keys steps its posture instead of
// moving it: one step a tick, however the steps fall.
void stepPostures(ZmObj* person, float forward, uint32_t ms) {
  NavStepState& program = userControl().step;
  program.postureMs += ms;
  for (; program.postureMs >= ZM_NAV_TICK_MS; program.postureMs -= ZM_NAV_TICK_MS) {
    ZmVec3 v = {0.0f, 0.0f, forward};
    zmNavMoveObj(person, &v, 0, 1, forward != 0.0f ? 1 : 0, 1);
  }
}

// The motion of a step `ms` milliseconds long by its mode (step 11): the
// state's per-tick amounts times the ticks.
void moveByMode(const zmNavState* state, ZmObj* person, int32_t mode, uint32_t ms) {
  const float ticks = ticksIn(ms);
  switch (mode) {
    case ZM_NAV_WALK: {
      // The drag's shape, not its length in time, chooses walk or turn.
      if (std::fabs(state->side) * kWalkBySide < std::fabs(state->forward)) {
        ZmVec3 v = {0.0f, 0.0f, state->forward * ticks};
        zmNavMoveObj(person, &v, 0, 1, 1, 0);
      }
      if (std::fabs(state->forward) < kTurnByForward * std::fabs(state->side)) turnPerson(person, state->turn * ticks);
      break;
    }
    case ZM_NAV_LOOK: {
      ZmVec3 v = {state->side * ticks, 0.0f, 0.0f};
      zmNavMoveObj(person, &v, 0, 1, 1, 0);
      break;
    }
    case ZM_NAV_SLIDE: {
      const ZmVec3 v = {state->side * ticks, state->forward * ticks, 0.0f};
      zmObjectTrans(person, &v, ZM_COORD_OWN, 1);
      break;
    }
    case ZM_NAV_KEY_WALK: {
      if (zmGetObjExtension(person, zmKinemationBody) != 0) {
        stepPostures(person, state->forward, ms);
        break;
      }
      ZmVec3 v = {0.0f, 0.0f, state->forward * ticks};
      zmNavMoveObj(person, &v, 0, 1, state->forward != 0.0f ? 1 : 0, 1);
      break;
    }
    default: break;
  }
}

// Walking levels the view little by little (step 12), by the decay of a
// tick raised to the step's length in ticks.
void levelWhileWalking(zmNavState* state, int32_t mode, float ticks) {
  if (state->autoMove != ZM_AUTO_NONE || state->forward == 0.0f || state->pitch == 0.0f) return;
  if (mode != ZM_NAV_WALK && mode != ZM_NAV_KEY_WALK) return;
  state->pitch *= std::pow(kPitchDecay, ticks);
  if (state->pitch > -kPitchLevelWithin && state->pitch < kPitchLevelWithin) state->pitch = 0.0f;
}

// Gives the levelled camera the state's pitch again (step 13).
void applyPitch(zmNavState* state, ZmObj* camera) {
  if (state->pitch == 0.0f) return;
  state->pitch = clampPitch(state->pitch);
  float tilt[9];
  zmMat3FromAngles(-state->pitch * kPi / 180.0, 0.0, 0.0, tilt);
  zmObjectRotate(camera, tilt, ZM_COORD_OWN, 1);
}

// Whether the step moves nothing: no key or drag, no automatic move, the
// pitch (within its limit) as the camera has it. Such a step leaves the camera alone instead of
// levelling and tilting it again, which would mark it moved and have every
// shape in view transformed anew on each frame of a view nobody touches.
bool standsStill(const zmNavState* state, int32_t mode, float cameraPitch) {
  constexpr float kSamePitch = 1e-3f;  // degrees
  return mode == ZM_NAV_IDLE && state->stepsLeft <= 0 &&
         std::fabs(clampPitch(state->pitch) - cameraPitch) < kSamePitch;
}

// Tells the world server where the person is (step 14): the full
// transform on the first step and every five seconds, the position at most
// once a second and only when the person moved.
void tellServer(ZmObj* person) {
  NavStepState& program = userControl().step;
  const uint64_t now = platform::clockMs();
  if (!program.told) {
    viewerMultiUser().qxUpdateObj(person);
    program.told = true;
    program.positionDueMs = now + kPositionEveryMs;
    program.fullDueMs = now + kFullEveryMs;
    program.lastSent = *zmGetWRT(person);
    return;
  }
  if (program.positionDueMs < now) {
    const ZmRT* placed = zmGetWRT(person);
    if (std::memcmp(placed, &program.lastSent, sizeof(ZmRT)) != 0) {
      viewerMultiUser().qxSendObjPosition(person);
      program.lastSent = *placed;
    }
    program.positionDueMs = now + kPositionEveryMs;
  }
  if (program.fullDueMs < now) {
    viewerMultiUser().qxUpdateObj(person);
    program.fullDueMs = now + kFullEveryMs;
  }
}

}  // namespace

void zmNavStep(HWND) {
  // Measured before anything can return, so that a pause (navigation off,
  // no person) ends in one step of at most the longest a step counts.
  const uint32_t ms = stepMs();
  ZmWorld* world = zmGetCurrentWorld();
  zmNavState* state = zmGetNavState(world);
  if (state == nullptr || state->enabled != 1 || world->person == nullptr) return;
  ZmObj* person = world->person;
  ZmObj* camera = zmNavGetPersonCamera(world);
  if (camera == nullptr) return;

  const float p0 = zmNavGetPitch(camera);
  const int32_t mode = readKeys(state, ms);
  if (standsStill(state, mode, p0)) {
    tellServer(person);
    return;
  }
  // From here to applyPitch the camera is level and the pitch lives only
  // in the state.
  if (p0 != 0.0f) zmNavLevelCamera(camera);
  // The user's own motion cancels a walk to a point.
  if (mode != ZM_NAV_IDLE && mode != ZM_NAV_TO_POINT && state->autoMove == ZM_AUTO_NONE && state->stepsLeft > 0)
    state->stepsLeft = 0;
  runAutoMove(state, person, camera, ms, p0);
  moveByMode(state, person, mode, ms);
  levelWhileWalking(state, mode, ticksIn(ms));
  applyPitch(state, camera);
  tellServer(person);
}

int zmNavMoveObj(ZmObj* object, ZmVec3* v, int inWorld, int withCollision, int withGravity, int withPosture) {
  ZmWorld* world = zmGetCurrentWorld();
  ZmObj* camera = zmNavGetPersonCamera(world);
  if (camera == nullptr || object == nullptr || (v->x == 0.0f && v->y == 0.0f && v->z == 0.0f)) return 0;
  const ZmVec3 asked = *v;
  const zmNavState* state = zmGetNavState(world);
  const int32_t autoMove = state ? state->autoMove : ZM_AUTO_NONE;
  const bool gravity = withGravity && state && state->gravity == 1 && autoMove == ZM_AUTO_NONE;
  const bool collision = withCollision && state && state->collision == 1 &&
                         (autoMove == ZM_AUTO_NONE || autoMove == ZM_AUTO_JUMP);

  if (!inWorld) zmMat3TransformVec3Self(zmGetWRT(object)->m, v);
  // A purely vertical move has no way ahead to be blocked.
  if (collision && (v->x != 0.0f || v->z != 0.0f)) {
    ZmVec3 eye = {}, way = {v->x, 0.0f, v->z}, hit = {};
    float dy = 0.0f;
    zmNavGetEyePosition(nullptr, &eye);
    zmNavNormalize(&way);
    if (zmNavCastRay(camera, &way, &hit, &dy) == 1) {
      const float hx = hit.x - eye.x, hz = hit.z - eye.z;
      if (hx * hx + hz * hz < v->x * v->x + v->z * v->z) {
        *v = {hx - way.x * kCollisionMargin, 0.0f, hz - way.z * kCollisionMargin};
        viewerShell().alert();
      }
    }
  }

  const bool stepsPosture = withPosture && zmGetObjExtension(object, zmKinemationBody) != 0 && asked.x == 0.0f &&
                            asked.y == 0.0f;
  if (stepsPosture) {
    if (asked.z > 0.0f) viewerMedia().kinNextPosture(object); else viewerMedia().kinPrevPosture(object);
  } else {
    zmObjectTrans(object, v, ZM_COORD_WORLD, 1);
  }

  if (gravity) {
    const ZmVec3 below = {0.0f, -1.0f, 0.0f};
    ZmVec3 ground = {};
    float dy = 0.0f;
    if (zmNavCastRay(object, &below, &ground, &dy) == 1) {
      const ZmVec3 stand = {0.0f, zmNavEyeHeight(object) + dy, 0.0f};
      if (stand.y != 0.0f) zmObjectTrans(object, &stand, ZM_COORD_WORLD, 1);
    }
  }
  return 0;
}

int zmNavCastRay(ZmObj* object, const ZmVec3* direction, ZmVec3* point, float* dy) {
  *dy = 0.0f;
  if (object == nullptr || object->world == nullptr || zmNavGetPersonCamera(zmGetCurrentWorld()) == nullptr)
    return 0;
  ZmVec3 eye = {};
  zmNavGetEyePosition(nullptr, &eye);
  const ZmVec3 through = {eye.x + direction->x, eye.y + direction->y, eye.z + direction->z};
  float t = -1.0f;
  ZmLeaf* leaf = nullptr;
  int32_t part = 0;
  ZmVec3 hit = {};
  if (zmFindZmObjByPerson(object->world, &eye, &through, &t, &leaf, &part, &hit) == nullptr) return 0;
  *point = hit;
  *dy = hit.y - eye.y;
  return 1;
}

float zmNavEyeHeight(ZmObj* object) {
  if (object == nullptr || object->world == nullptr) return kDefaultEyeHeight;
  ZmObj* camera = zmNavGetPersonCamera(zmGetCurrentWorld());
  const ZmBoundingCube* cube = zmGetBoundingCube(object);
  if (camera == nullptr || cube == nullptr) return kDefaultEyeHeight;
  return zmGetWRT(camera)->t.y - cube->p_local_min.y;
}

void zmNavGetEyePosition(ZmObj*, ZmVec3* eye) {
  if (ZmObj* camera = zmNavGetPersonCamera(zmGetCurrentWorld())) *eye = zmGetWRT(camera)->t;
}

float zmNavGetPitch(ZmObj* camera) {
  const ZmRT* frame = zmGetWRT(camera);
  ZmVec3 view = {-frame->m[6], -frame->m[7], -frame->m[8]};
  zmNavNormalize(&view);
  ZmVec3 level = {view.x, 0.0f, view.z};
  zmNavNormalize(&level);
  // Rounding can carry the cosine a hair past 1, where acos has no value.
  const double cosine = std::clamp(zmVec3Dot(&view, &level), -1.0, 1.0);
  const double degrees = std::fabs(std::acos(cosine) * kDegreesPerRadian);
  return static_cast<float>(view.y > 0.0f ? -degrees : degrees);
}

void zmNavViewHeading(const ZmRT* frame, ZmVec3* heading) {
  *heading = {-frame->m[6], 0.0f, -frame->m[8]};
  if (std::hypot(heading->x, heading->z) <= 1e-6f) {
    // Straight down, the top of the view is the way ahead; straight up, its
    // bottom. Row 2 is the view's up, row 3's y says which way it looks.
    const float ahead = frame->m[7] > 0.0f ? 1.0f : -1.0f;
    *heading = {ahead * frame->m[3], 0.0f, ahead * frame->m[5]};
  }
  zmNavNormalize(heading);
}

void zmNavLevelCamera(ZmObj* camera) {
  ZmVec3 view;
  zmNavViewHeading(zmGetWRT(camera), &view);
  // The camera's +z, its back, is the way its view runs level.
  const ZmVec3 back = {-view.x, 0.0f, -view.z};
  zmNavFaceDirection(camera, &back);
}

int zmNavFaceDirection(ZmObj* object, const ZmVec3* direction) {
  ZmVec3 d = {direction->x, 0.0f, direction->z};
  const double length = std::sqrt(static_cast<double>(d.x) * d.x + static_cast<double>(d.z) * d.z);
  // Normalising a (near) zero vector would write a degenerate matrix into
  // the object; such a direction names no heading.
  if (length <= 1e-6) return 0;
  d.x = static_cast<float>(d.x / length);
  d.z = static_cast<float>(d.z / length);
  // Rows: up x direction, up, direction, with up = (0, 1, 0).
  const float rows[9] = {d.z, 0.0f, -d.x, 0.0f, 1.0f, 0.0f, d.x, 0.0f, d.z};
  return zmObjectRotate(object, rows, ZM_COORD_WORLD, 0);
}

void zmNavNormalize(ZmVec3* v) {
  const double length =
      std::sqrt(static_cast<double>(v->x) * v->x + static_cast<double>(v->y) * v->y + static_cast<double>(v->z) * v->z);
  if (length <= 1e-6) return;
  v->x = static_cast<float>(v->x / length);
  v->y = static_cast<float>(v->y / length);
  v->z = static_cast<float>(v->z / length);
}

void zmNavForgetProgramStateForTest() { userControl().step = NavStepState{}; }
