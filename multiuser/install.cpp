// multiuser/install.cpp -- the multi-user client's hook slots; see install.h.
#include "multiuser/install.h"

#include "multiuser/send.h"
#include "viewer/hooks.h"

void zmInstallMultiUserHooks() {
  zmViewerMultiUserHooks.qxUpdateObj = zmqxUpdateObj;
  zmViewerMultiUserHooks.qxSendObjPosition = zmqxSendObjPosition;
}
