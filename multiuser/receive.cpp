// multiuser/receive.cpp -- the receive path; see receive.h.
#include "multiuser/receive.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "core/event.h"
#include "core/hooks.h"
#include "core/memory.h"
#include "core/strings.h"
#include "core/object.h"
#include "core/report.h"
#include "core/transform.h"
#include "core/world.h"
#include "loading/lha.h"
#include "loading/urltable.h"
#include "multiuser/connection.h"
#include "multiuser/hooks.h"
#include "multiuser/peers.h"
#include "viewer/hooks.h"
#include "multiuser/protocol.h"
#include "multiuser/send.h"
#include "viewer/api.h"
#include "vrml/parse.h"

namespace {

constexpr uint8_t kStepNext = 1, kStepPrevious = 255;

// Where an object stands for the messages of others.
enum class Standing { Open, Avatar, Leaving };

// Open: a part of the world that others may act on. Avatar: the user's own
// avatar or a part of it, which only the server's word on its id touches.
// Leaving: no longer held by the world's tree (its deletion is under way,
// and a handler of it may have pumped this message), so nothing may touch it.
Standing standingOf(const ZmObj* object) {
  const ZmWorld* world = object->world;
  bool avatar = false;
  for (const ZmObj* at = object; at != nullptr; at = at->parent) {
    avatar = avatar || at == world->person;
    if (at->topNode != nullptr) return avatar ? Standing::Avatar : Standing::Open;
    if (at->childNode == nullptr) break;
  }
  return Standing::Leaving;
}

ZmObj* objectWithId(ZmId id) {
  ZmWorld* world = zmGetCurrentWorld();
  return world ? zmGetZmObjById(world, &id) : nullptr;
}

// Whether a message of others may name the user's own avatar.
enum class AvatarTarget { Refused, Allowed };

// The object with that id when others may act on it; null (after the
// handler's warning for the user's avatar) when there is none, it is the
// avatar (unless allowed) or it is being deleted.
ZmObj* openObjectWithId(ZmId id, const char* handler, AvatarTarget avatar = AvatarTarget::Refused) {
  ZmObj* object = objectWithId(id);
  if (object == nullptr) return nullptr;
  switch (standingOf(object)) {
    case Standing::Open: return object;
    case Standing::Avatar:
      if (avatar == AvatarTarget::Allowed) return object;
      zmReportWarning("%s: object id=%d is the user's own avatar: refused.", handler, id);
      break;
    case Standing::Leaving: break;
  }
  return nullptr;
}

// The object named by a kind-6 message; null after the handler's warning.
ZmObj* targetOf(const uint8_t* message, const char* handler, AvatarTarget avatar = AvatarTarget::Refused) {
  ZmId id = 0;
  zmqxReadObjectMessage(message, &id, nullptr, nullptr);
  if (objectWithId(id) == nullptr) {
    zmReportWarning("%s: target object is not found.", handler);
    return nullptr;
  }
  return openObjectWithId(id, handler, avatar);
}

// Takes the labels off the object and everything under it.
void forgetLabelsOfTree(ZmObj* object) {
  coreShell().deleteObjLabels(object);
  for (ZmChildList* node = object->child; node != nullptr; node = node->next)
    if (node->object != nullptr) forgetLabelsOfTree(node->object);
}

// The server's word that a user left: their avatar is hidden, and what
// they said goes with it rather than float over the empty place.
int upcallToChild0(const uint8_t* message) {
  ZmId id = 0;
  zmqxReadObjectId(message, &id);
  ZmObj* object = openObjectWithId(id, "upcallToChild0");
  if (object == nullptr) return -1;
  if (object->vrmlType == ZM_VRML_SWITCH) zmSetSwitchObjNo(object, 0);
  forgetLabelsOfTree(object);
  return 0;
}

int upcallMaster(const uint8_t* message) {
  const uint8_t master = zmqxReadByte(message);
  ZmWorld* world = zmGetCurrentWorld();
  if (master > 1 || world == nullptr) return -1;
  world->master = master;
  return 0;
}

int upcallObjectMessage(const uint8_t* message) {
  uint32_t subKind = 0;
  zmqxReadObjectMessage(message, nullptr, &subKind, nullptr);
  switch (subKind) {
    case ZMQX_SUB_TRANS:
    case ZMQX_SUB_ROT: return -1;
    case ZMQX_SUB_ROT_TRANS: return zmqxUpcallRotTrans(message);
    case ZMQX_SUB_CHAT: return zmqxUpcallApplSendText(message);
    case ZMQX_SUB_APPL_SPECIFIC: return zmqxUpcallApplSpecific(message);
    default: return ZMQX_UNKNOWN_KIND;
  }
}

// The size of a readable file; -1 when it cannot be read.
long long fileSize(const char* path) {
  std::FILE* file = std::fopen(path, "rb");
  if (file == nullptr) return -1;
  const bool sized = std::fseek(file, 0, SEEK_END) == 0;
  const long long size = sized ? std::ftell(file) : -1;
  std::fclose(file);
  return size;
}

// Deletes the top objects from `first` to the end of the world's list (what
// one file added); the list is walked before any goes.
void deleteTopObjectsFrom(ZmTopObjList* first) {
  std::vector<ZmObj*> tops;
  for (ZmTopObjList* node = first; node != nullptr; node = node->next) tops.push_back(node->object);
  for (ZmObj* top : tops) zmDeleteZmObj(top);
}

int dispatchMessage(const uint8_t* message) {
  uint8_t messageClass = 0;
  uint32_t kind = 0;
  zmqxReadHeader(message, &messageClass, nullptr, nullptr, &kind, nullptr);
  if (messageClass == ZMQX_CLASS_POSTURE) {
    zmqxUpcallSys1(message);
    return 0;
  }
  if (messageClass == ZMQX_CLASS_POSITION) {
    zmqxUpcallSys2(message);
    return 0;
  }
  switch (kind) {
    case ZMQX_KIND_AVATAR: return 0;
    case ZMQX_KIND_CLIENT_ID: zmqxReadClientId(message, &zmqxConnection().clientId); return 0;
    case ZMQX_KIND_ADD_OBJECTS: return zmqxUpcallAddObjects(message);
    case ZMQX_KIND_TO_CHILD0: return upcallToChild0(message);
    case ZMQX_KIND_MYSELF: return zmqxUpcallMyself(message);
    case ZMQX_KIND_UNUSED: return -1;
    case ZMQX_KIND_OBJECT: return upcallObjectMessage(message);
    case ZMQX_KIND_LEAVE: return zmZMQXExit() == 0 ? 0 : -1;
    case ZMQX_KIND_MASTER: return upcallMaster(message);
    default: return ZMQX_UNKNOWN_KIND;
  }
}

bool isAddObjects(const uint8_t* header) {
  uint8_t messageClass = 0;
  uint32_t kind = 0;
  zmqxReadHeader(header, &messageClass, nullptr, nullptr, &kind, nullptr);
  return messageClass == ZMQX_CLASS_MESSAGE && kind == ZMQX_KIND_ADD_OBJECTS;
}

// What reading the socket gave.
enum class Intake { Read, Nothing, Ended };

// Moves what the socket holds into the ring with one recv.
Intake takeFromSocket(ZmqxConnection& link) {
  u_long waiting = 0;
  const int32_t room = zmqxBufferFree(&link.ring);
  if (room == 0) return Intake::Nothing;
  if (ioctlsocket(link.socket, FIONREAD, &waiting) == SOCKET_ERROR) return Intake::Ended;
  uint8_t block[ZMQX_RING_SIZE];
  // Nothing waiting may also mean the peer has gone: a peek tells.
  const int asked = waiting == 0 ? 1 : int(std::min<u_long>(waiting, u_long(room)));
  const int received = recv(link.socket, reinterpret_cast<char*>(block), asked, waiting == 0 ? MSG_PEEK : 0);
  if (received == SOCKET_ERROR) return WSAGetLastError() == WSAEWOULDBLOCK ? Intake::Nothing : Intake::Ended;
  if (received == 0) {
    zmReportWarning("zmSockProc: socket close detected.");
    return Intake::Ended;
  }
  if (waiting == 0) return Intake::Read;  // only peeked: FIONREAD counts it next time
  if (const int status = zmqxPutData(&link.ring, block, received); status != 0)
    zmReportWarning("zmqxPutData: failed %d", status);
  return Intake::Read;
}

// Another user's file runs no scripts here (the reader drops its behaviour
// nodes), and neither do the Tcl files of an archive that it is, or that
// it names, while it is fetched and read.
class ArchiveScriptsOff {
 public:
  ArchiveScriptsOff() : before_(zmLhaSetRunsScripts(false)) {}
  ~ArchiveScriptsOff() { zmLhaSetRunsScripts(before_); }
  ArchiveScriptsOff(const ArchiveScriptsOff&) = delete;
  ArchiveScriptsOff& operator=(const ArchiveScriptsOff&) = delete;

 private:
  bool before_;
};

}  // namespace

int zmqxDispatch(ZmqxBuffer* ring) {
  const uint8_t* header = nullptr;
  const int64_t size = zmqxMessageSizeAtHead(ring, &header);
  if (size == ZMQX_MESSAGE_INCOMPLETE) return 0;
  if (size == ZMQX_TOO_LONG) {
    zmqxDiscardHead(ring, zmqxMessageSize(header));
    return ZMQX_TOO_LONG;
  }
  if (size < 0) return int(size);
  // One byte past the message stays NUL, so no text read from it runs on.
  uint8_t message[ZMQX_MAX_MESSAGE + 1] = {};
  zmqxGetData(ring, message, int32_t(size));
  return dispatchMessage(message);
}

int zmSockProc() {
  ZmWorld* world = zmGetCurrentWorld();
  ZmqxConnection& link = zmqxConnection();
  if (link.state == ZMQX_STATE_CONNECTING && zmqxContinueConnect() != 0) return -1;
  if (world == nullptr || world->server == nullptr || world->person == nullptr ||
      link.state != ZMQX_STATE_CONNECTED)
    return -1;
  if (link.pumpGuard) return 0;
  link.pumpGuard = 1;
  for (;;) {
    const uint8_t* header = nullptr;
    const int64_t size = zmqxMessageSizeAtHead(&link.ring, &header);
    if (size == ZMQX_BAD_CLASS) {
      zmReportWarning("zmSockProc: a message of unknown class %d, leaving the server.",
                      link.ring.data[link.ring.read]);
      break;
    }
    if (size > 0 || size == ZMQX_TOO_LONG) {
      const bool addsObjects = size > 0 && isAddObjects(header);
      if (zmqxDispatch(&link.ring) < 0) zmReportWarning("zmqxDispatch failed");
      // The leave message may have ended the connection.
      if (addsObjects || link.state != ZMQX_STATE_CONNECTED) {
        link.pumpGuard = 0;
        return 0;
      }
      continue;
    }
    const Intake intake = takeFromSocket(link);
    if (intake == Intake::Nothing) {
      link.pumpGuard = 0;
      return 0;
    }
    if (intake == Intake::Ended) break;
  }
  link.pumpGuard = 0;
  zmZMQXExit();
  return -1;
}

// ---- Handlers ------------------------------------------------------------------

int zmqxUpcallSys1(const uint8_t* message) {
  ZmId id = 0;
  uint8_t step = 0;
  zmqxReadPostureStep(message, nullptr, nullptr, &id, &step);
  if (objectWithId(id) == nullptr) {
    zmReportWarning("zmqxUpcallSys1: myself is not found.");
    return -1;
  }
  ZmObj* object = openObjectWithId(id, "zmqxUpcallSys1");
  if (object == nullptr) return -1;
  if (zmGetObjExtension(object, zmKinemationSegment) == 0) return -1;
  if (step == kStepNext) viewerMedia().kinNextPosture(object);
  if (step == kStepPrevious) viewerMedia().kinPrevPosture(object);
  return 0;
}

int zmqxUpcallSys2(const uint8_t* message) {
  ZmId id = 0;
  ZmVec3 position = {};
  zmqxReadPosition(message, nullptr, nullptr, &id, &position);
  if (objectWithId(id) == nullptr) {
    zmReportWarning("zmqxUpcallSys2: object id=%d not found.", id);
    return -1;
  }
  ZmObj* object = openObjectWithId(id, "zmqxUpcallSys2");
  if (object == nullptr) return -1;
  zmObjectTrans(object, &position, ZM_COORD_WORLD, 0);
  return 0;
}

int zmqxUpcallAddObjects(const uint8_t* message) {
  const ArchiveScriptsOff archiveScriptsOff;
  ZmWorld* world = zmGetCurrentWorld();
  ZmId first = 0, last = 0;
  const char* url = nullptr;
  const char* comment = nullptr;
  if (world == nullptr || zmqxReadAddObjects(message, &first, &last, &url, &comment) != 0) return -1;
  char address[256];
  std::snprintf(address, sizeof address, "%s", url);
  if (objectWithId(first) != nullptr) {
    ZmObj* present = openObjectWithId(first, "zmqxUpcallAddObjects");
    if (present == nullptr) return -1;
    zmSetSwitchObjNo(present, 1);
    return 0;
  }
  const char* localFile = zmGetLocalFile(zmWwwLoadFile(address));
  if (localFile == nullptr) return -1;
  // The fetch pumped messages: the user may have left the world or server.
  if (zmGetCurrentWorld() != world || zmqxGetState() != ZMQX_STATE_CONNECTED) return -1;
  const long long size = fileSize(localFile);
  if (size < 0) {
    zmReportWarning("zmqxUpcallAddObjects: The file cannot be fetched.");
    return -1;
  }
  ZmqxPeer* peer = zmqxPeerOfMessage(first, last, comment);
  if (!zmqxAdmit(peer, 0, uint64_t(size))) return -1;
  zmSetIdCounter(&first, &last, 1);
  const int32_t before = world->objectCount;
  ZmObj* camera = nullptr;
  ZmTopObjList* added = zmParsePeerVRMLInZmCamera(world, localFile, &camera);
  if (added == nullptr) {
    zmReportWarning("zmqxUpcallAddObjects: zmParseVRMLAddToWorld failed.");
    return -1;
  }
  if (!zmqxAdmit(zmqxPeerOfMessage(first, last, comment), world->objectCount - before, 0)) {
    deleteTopObjectsFrom(added);
    return -1;
  }
  // A file may add several top objects: each one the file added is built,
  // not only the first, or the others would never be seen.
  for (ZmTopObjList* node = added; node != nullptr; node = node->next) {
    if (zmConstructObjInViewer(node->object) != 0) {
      zmReportWarning("zmqxUpcallAddObjects: zmConstructPartInViewer failed.");
      return -1;
    }
  }
  // The object's comment (the slot an Attributes comment fills): the
  // scouter shows it when the mouse is over the other user's objects.
  zmFree(added->object->comment[3]);
  added->object->comment[3] = zmStrdup(comment ? zmqxWithoutControls(comment).c_str() : "");
  return 0;
}

int zmqxUpcallMyself(const uint8_t* message) {
  ZmWorld* world = zmGetCurrentWorld();
  if (world == nullptr) {
    zmReportWarning("zmqxUpcallMyself: zmGetCurrentWorld() failed.");
    return -1;
  }
  ZmId id = 0;
  zmqxReadObjectId(message, &id);
  ZmObj* person = world->person;
  if (person == nullptr || standingOf(person) != Standing::Avatar) {
    zmReportWarning("zmqxUpcallMyself: the user has no avatar.");
    return -1;
  }
  // The id is the avatar's alone: one that names nothing, or the avatar
  // itself, is taken; one that another object holds (the world's, another
  // user's or a part of the avatar) is refused, and that object kept.
  ZmObj* holder = zmGetZmObjById(world, &id);
  if (!zmIsValidId(&id) || (holder != nullptr && holder != person)) {
    zmReportWarning("zmqxUpcallMyself: id=%d is not free for the avatar: refused.", id);
    return -1;
  }
  if (holder == nullptr && zmObjAssignId(person, &id) != 0) {
    zmReportWarning("zmqxUpcallMyself: zmObjAssignId failed.");
    return -1;
  }
  zmqxUpdateObj(person);
  return 0;
}

int zmqxUpcallRotTrans(const uint8_t* message) {
  ZmId id = 0;
  zmqxReadObjectMessage(message, &id, nullptr, nullptr);
  if (objectWithId(id) == nullptr) {
    zmReportWarning("zmqxUpcallRotTrans: target obj is not found.");
    return -1;
  }
  ZmObj* object = openObjectWithId(id, "zmqxUpcallRotTrans");
  if (object == nullptr) return -1;
  ZmRT matrix;
  zmqxReadRotTrans(message, &matrix);
  zmObjectRotateTrans(object, &matrix, ZM_COORD_WORLD, 0);
  return 0;
}

int zmqxUpcallApplSendText(const uint8_t* message) {
  ZmObj* object = targetOf(message, "zmqxUpcallApplSendText");
  const char* text = nullptr;
  if (object == nullptr || zmqxReadChatText(message, &text) != 0) return -1;
  ZmId speaker = 0;
  zmqxReadObjectMessage(message, &speaker, nullptr, nullptr);
  multiUserShell().chatDisplay(object, zmqxChatLineOf(speaker, text).c_str());
  return 0;
}

int zmqxUpcallApplSpecific(const uint8_t* message) {
  // The avatar may be named: the message only has the world's own procedure
  // called with it (one user's script tagging another's avatar), and moves
  // nothing by itself.
  ZmObj* object = targetOf(message, "zmqxUpcallApplSpecific", AvatarTarget::Allowed);
  const char* procedure = nullptr;
  const char* userData = nullptr;
  if (object == nullptr || zmqxReadApplSpecific(message, &procedure, &userData) != 0) return -1;
  ZmEvent event = {};
  event.type = ZMQX_EVENT_APPL_SPECIFIC;
  const int called = multiUserScript().scriptEvalFunction(object->world, object, &event, procedure, userData);
  if (called == ZMQX_NOT_A_WORLD_PROCEDURE) {
    uint32_t sender = 0;
    zmqxReadHeader(message, nullptr, nullptr, &sender, nullptr, nullptr);
    // The name is the sender's text: no control character of it reaches the log.
    std::string name = procedure;
    for (char& c : name) c = static_cast<unsigned char>(c) < 0x20 || c == 0x7f ? '?' : c;
    zmReportWarning("zmqxUpcallApplSpecific: client %u named \"%s\", which is no procedure of this world; dropped.",
                    static_cast<unsigned>(sender), name.c_str());
  }
  return called == 0 ? 0 : -1;
}
