// viewer/install.cpp -- the viewer's hook slots filled; see install.h.
#include "viewer/install.h"

#include "core/hooks.h"
#include "viewer/api.h"
#include "viewer/boundingbox.h"
#include "viewer/cameraquery.h"
#include "viewer/construct.h"
#include "viewer/material.h"
#include "viewer/navigation.h"
#include "viewer/texture.h"
#include "viewer/transfer.h"
#include "vrml/hooks.h"

namespace {

constexpr ZmVrmlViewer kVrmlViewer{.navSetGravity = zmNavSetGravity};

}  // namespace

void zmInstallViewerHooks() {
  zmCoreViewerHooks.destroyObjInViewer = zmDestroyObjInViewer;
  zmCoreViewerHooks.renderDeleteBoundingBoxInViewer = zmRenderDeleteBoundingBoxInViewer;
  zmCoreViewerHooks.rwAddObjToTransferedObjList = zmRwAddObjToTransferedObjList;
  zmCoreViewerHooks.rwRemoveObjFromTransferedObjList = zmRwRemoveObjFromTransferedObjList;
  zmCoreViewerHooks.renderDestroyWorldInViewer = zmRenderDestroyWorldInViewer;
  zmCoreViewerHooks.renderSetCameraViewport = zmRenderSetCameraViewport;
  zmCoreViewerHooks.renderGetActiveCameraViewport = zmRenderGetActiveCameraViewport;
  zmCoreViewerHooks.renderGetActiveCameraViewWindow = zmRenderGetActiveCameraViewWindow;
  zmCoreViewerHooks.renderGetActiveCameraNearClipping = zmRenderGetActiveCameraNearClipping;
  zmCoreViewerHooks.renderGetActiveCameraFarClipping = zmRenderGetActiveCameraFarClipping;
  zmCoreViewerHooks.renderGetCameraViewport = zmRenderGetCameraViewport;
  zmCoreViewerHooks.renderGetCameraViewWindow = zmRenderGetCameraViewWindow;
  zmCoreViewerHooks.renderGetCameraNearClipping = zmRenderGetCameraNearClipping;
  zmCoreViewerHooks.renderGetCameraFarClipping = zmRenderGetCameraFarClipping;
  zmCoreViewerHooks.renderSetMaterial = zmRenderSetMaterial;
  zmCoreViewerHooks.initTexture = zmInitTexture;
  zmCoreViewerHooks.deleteTexture = zmDeleteTexture;
  zmCoreViewerHooks.getSwitchObjNo = zmGetSwitchObjNo;
  zmCoreViewerHooks.getSwitchObjByNo = zmGetSwitchObjByNo;
  vrmlViewer.provide(kVrmlViewer);
}
