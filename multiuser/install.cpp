// multiuser/install.cpp -- the multi-user client's hook slots; see install.h.
#include "multiuser/install.h"

#include "multiuser/send.h"
#include "viewer/hooks.h"

namespace {

constexpr ZmViewerMultiUser kViewerMultiUser{.qxUpdateObj = zmqxUpdateObj, .qxSendObjPosition = zmqxSendObjPosition};

}  // namespace

void zmInstallMultiUserHooks() { viewerMultiUser.provide(kViewerMultiUser); }
