// multiuser/install.cpp -- the multi-user client's service record; see install.h.
#include "multiuser/install.h"

#include "multiuser/send.h"
#include "viewer/hooks.h"

void zmInstallMultiUserHooks() {
  static constexpr ZmViewerMultiUser viewer{.qxUpdateObj = zmqxUpdateObj, .qxSendObjPosition = zmqxSendObjPosition};
  viewerMultiUser.provide(viewer);
}
