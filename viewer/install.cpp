// viewer/install.cpp -- the viewer's service records; see install.h.
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

void zmInstallViewerHooks() {
  static constexpr ZmCoreViewer core{
      .destroyObjInViewer = zmDestroyObjInViewer,
      .renderDeleteBoundingBoxInViewer = zmRenderDeleteBoundingBoxInViewer,
      .rwAddObjToTransferedObjList = zmRwAddObjToTransferedObjList,
      .rwRemoveObjFromTransferedObjList = zmRwRemoveObjFromTransferedObjList,
      .renderDestroyWorldInViewer = zmRenderDestroyWorldInViewer,
      .renderSetMaterial = zmRenderSetMaterial,
      .initTexture = zmInitTexture,
      .deleteTexture = zmDeleteTexture,
      .renderSetCameraViewport = zmRenderSetCameraViewport,
      .renderGetActiveCameraViewport = zmRenderGetActiveCameraViewport,
      .renderGetActiveCameraViewWindow = zmRenderGetActiveCameraViewWindow,
      .renderGetActiveCameraNearClipping = zmRenderGetActiveCameraNearClipping,
      .renderGetActiveCameraFarClipping = zmRenderGetActiveCameraFarClipping,
      .renderGetCameraViewport = zmRenderGetCameraViewport,
      .renderGetCameraViewWindow = zmRenderGetCameraViewWindow,
      .renderGetCameraNearClipping = zmRenderGetCameraNearClipping,
      .renderGetCameraFarClipping = zmRenderGetCameraFarClipping,
      .getSwitchObjNo = zmGetSwitchObjNo,
      .getSwitchObjByNo = zmGetSwitchObjByNo,
  };
  static constexpr ZmVrmlViewer vrml{.navSetGravity = zmNavSetGravity};
  coreViewer.provide(core);
  vrmlViewer.provide(vrml);
}
