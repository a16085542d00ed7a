// multiuser/send.cpp -- the senders; see send.h.
#include "multiuser/send.h"

#include "core/camera.h"
#include "core/transform.h"
#include "core/world.h"
#include "multiuser/connection.h"
#include "multiuser/hooks.h"
#include "viewer/hooks.h"
#include "multiuser/protocol.h"

namespace {

constexpr int32_t kPersonCameraId = 2;
constexpr uint8_t kStepNext = 1, kStepPrevious = 255;
constexpr uint8_t kToEveryone = 2, kFromMaster = 4;

// The socket to send on; false (with the value to return in *result) when
// there is none or the object is not shared.
bool canSend(ZmObj* object, int* result) {
  if (zmqxGetSocket() == INVALID_SOCKET) {
    *result = SOCKET_ERROR;
    return false;
  }
  if (!zmIsValidId(&object->id)) {
    *result = 0;
    return false;
  }
  return true;
}

// A kind-6 message for the object with the header and base written.
void beginObjectMessage(uint8_t* message, ZmObj* object) {
  const ZmqxConnection& link = zmqxConnection();
  zmqxWriteHeader(message, ZMQX_CLASS_MESSAGE, link.channelId, link.clientId);
  zmqxWriteObjectMessage(message, object->id);
}

int sendMessage(const uint8_t* message, int size) {
  if (size < 0) return SOCKET_ERROR;
  return zmqxSendAll(zmqxGetSocket(), message, size);
}

}  // namespace

int zmqxAmIMaster() {
  const ZmWorld* world = zmGetCurrentWorld();
  return world ? world->master : 0;
}

int zmqxUpdateObj(ZmObj* object) {
  int result = 0;
  if (!canSend(object, &result)) return result;
  uint8_t message[ZMQX_MAX_MESSAGE];
  beginObjectMessage(message, object);
  return sendMessage(message, zmqxWriteRotTrans(message, zmGetWRT(object)));
}

int zmqxObjectTrans(ZmObj* object, const ZmVec3* vector, int coordSystem, int relative) {
  zmObjectTrans(object, vector, coordSystem, relative);
  zmqxUpdateObj(object);
  return 0;
}

int zmqxObjectRotate(ZmObj* object, const ZmRT* matrix, int coordSystem, int relative) {
  zmObjectRotateTrans(object, matrix, coordSystem, relative);
  zmqxUpdateObj(object);
  return 0;
}

int zmqxObjectRotate3(ZmObj* object, const float rotation[9], int coordSystem, int relative) {
  zmObjectRotate(object, rotation, coordSystem, relative);
  zmqxUpdateObj(object);
  return 0;
}

int zmqxPostureStep(ZmObj* object, int direction) {
  if (zmqxGetSocket() == INVALID_SOCKET) return SOCKET_ERROR;
  if (direction > 0) {
    viewerMedia().kinNextPosture(object);
  } else {
    viewerMedia().kinPrevPosture(object);
  }
  const ZmqxConnection& link = zmqxConnection();
  uint8_t message[ZMQX_POSTURE_SIZE];
  const int size = zmqxWritePostureStep(message, link.channelId, link.clientId, object->id,
                                        direction > 0 ? kStepNext : kStepPrevious);
  return sendMessage(message, size);
}

int zmqxSendApplEvent(ZmObj* object, uint32_t eventMask, const char* text) {
  int result = 0;
  if (!canSend(object, &result)) return result;
  uint8_t message[ZMQX_MAX_MESSAGE];
  beginObjectMessage(message, object);
  return sendMessage(message, zmqxWriteApplEvent(message, eventMask, text));
}

int zmqxSendChatStr(ZmObj* object, const char* text) {
  int result = 0;
  if (!canSend(object, &result)) return result;
  uint8_t message[ZMQX_MAX_MESSAGE];
  beginObjectMessage(message, object);
  return sendMessage(message, zmqxWriteChatText(message, text));
}

int zmqxChatTextLimit() { return ZMQX_CHAT_TEXT_LIMIT; }

int zmqxSendObjPosition(ZmObj* object) {
  int result = 0;
  if (!canSend(object, &result)) return result;
  const ZmqxConnection& link = zmqxConnection();
  uint8_t message[ZMQX_POSITION_SIZE];
  const int size = zmqxWritePosition(message, link.channelId, link.clientId, object->id, &zmGetWRT(object)->t);
  return sendMessage(message, size);
}

int zmqxSendApplSpecificMsg(ZmObj* object, const char* procedure, const char* userData) {
  return zmqxSendApplSpecificMsgWithDist(object, procedure, userData,
                                         zmqxAmIMaster() == 1 ? kFromMaster : kToEveryone);
}

int zmqxSendApplSpecificMsgWithDist(ZmObj* object, const char* procedure, const char* userData,
                                    uint8_t destination) {
  int result = 0;
  if (!canSend(object, &result)) return result;
  uint8_t message[ZMQX_MAX_MESSAGE];
  beginObjectMessage(message, object);
  return sendMessage(message, zmqxWriteApplSpecific(message, procedure, userData, destination));
}

ZmObj* zmGetPersonObj(ZmWorld* world) { return world ? zmGetCameraFromCameraTable(world, kPersonCameraId) : nullptr; }
