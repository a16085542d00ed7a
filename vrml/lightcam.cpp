// vrml/lightcam.cpp -- light and camera leaves and placement.
#include "vrml/lightcam.h"

#include "core/camera.h"
#include "core/leaf.h"
#include "core/object.h"
#include "core/report.h"
#include "vrml/objcreate.h"
#include "vrml/qvnodes.h"

namespace {

// The fields every light shares; on is 0 or 1 in a well-formed node.
void setLightFields(ZmLight* light, const QvSFBool& on, const QvSFFloat& intensity, const QvSFColor& color,
                    const char* badOn) {
  if (on.value == 0 || on.value == 1) light->on = on.value; else zmReportWarning("%s", badOn);
  light->intensity = intensity.value;
  for (int i = 0; i < 3; ++i) light->color[i] = color.value[i];
}

void postMultTranslation(const QvSFVec3f& v, ZmRT* m) {
  ZmRT t;
  setZmTranslationRT(v, &t);
  zmRTPostMult(&t, m);
}

void postMultDirection(const QvSFVec3f& d, ZmRT* m) {
  ZmRT r;
  setZmDirectionRT(d, &r);
  zmRTPostMult(&r, m);
}

}  // namespace

ZmLeaf* createZmDirectionalLightLeaf(const QvNode* node, QvState* state) {
  if (state == nullptr) {
    zmReportWarning("QvDirectionalLight::createZmLeaf() : pState is NULL.");
    return nullptr;
  }
  const auto* n = static_cast<const QvDirectionalLight*>(node);
  ZmLight* light = zmNewDirectionalLight();
  if (light == nullptr) {
    zmReportMessage("%s : %s", "QvDirectionalLight::createZmLeaf()", "Couldn't allocate memory for ZmDirectionalLight.");
    return nullptr;
  }
  setLightFields(light, n->on, n->intensity, n->color, "QvDirectionalLight::createZmLeaf() : invalid value in 'on'.");
  return light;
}

ZmLeaf* createZmPointLightLeaf(const QvNode* node, QvState* state) {
  if (state == nullptr) {
    zmReportWarning("QvPointLight::createZmLeaf() pState is NULL.");
    return nullptr;
  }
  const auto* n = static_cast<const QvPointLight*>(node);
  ZmLight* light = zmNewPointLight();
  if (light == nullptr) {
    zmReportMessage("%s : %s", "QvPointLight::createZmLeaf()", "Couldn't allocate memory for ZmPointLight.");
    return nullptr;
  }
  setLightFields(light, n->on, n->intensity, n->color, "QvPointLight::createZmLeaf() : invalid value in 'on'.");
  return light;
}

ZmLeaf* createZmSpotLightLeaf(const QvNode* node, QvState* state) {
  if (state == nullptr) {
    zmReportWarning("QvSpotLight::createZmLeaf() : pState is NULL.");
    return nullptr;
  }
  const auto* n = static_cast<const QvSpotLight*>(node);
  ZmSpotLight* light = zmNewSpotLight();
  if (light == nullptr) {
    zmReportMessage("%s : %s", "QvSpotLight::createZmLeaf()", "Couldn't allocate memory for ZmSpotLight.");
    return nullptr;
  }
  setLightFields(light, n->on, n->intensity, n->color, "QvSpotLight::createZmLeaf() : invalid value in 'on'.");
  light->dropOffRate = n->dropOffRate.value;
  light->cutOffAngle = n->cutOffAngle.value;
  return light;
}

ZmLeaf* createZmOrthographicCameraLeaf(const QvNode* node, QvState* state) {
  if (state == nullptr) {
    zmReportWarning("QvOrthographicCamera::createZmLeaf(): QvState is null.");
    return nullptr;
  }
  const auto* n = static_cast<const QvOrthographicCamera*>(node);
  ZmOrthographicCamera* camera = ZmNewOrthographicCamera();
  if (camera == nullptr) {
    zmReportMessage("%s: %s", "QvOrthographicCamera::createZmLeaf()", "Couldn't allocate memory for ZmOrthographicCamera.");
    return nullptr;
  }
  camera->focalDistance = n->focalDistance.value;
  camera->height = n->height.value;
  return camera;
}

ZmLeaf* createZmPerspectiveCameraLeaf(const QvNode* node, QvState* state) {
  if (state == nullptr) {
    zmReportWarning("QvPerspectiveCamera::createZmLeaf(): QvState is null.");
    return nullptr;
  }
  const auto* n = static_cast<const QvPerspectiveCamera*>(node);
  ZmPerspectiveCamera* camera = zmNewPerspectiveCameraLeaf();
  if (camera == nullptr) {
    zmReportMessage("%s: %s", "QvPerspectiveCamera::createZmLeaf()", "Couldn't allocate memory for ZmPerspectiveCamera.");
    return nullptr;
  }
  camera->focalDistance = n->focalDistance.value;
  camera->heightAngle = n->heightAngle.value;
  return camera;
}

void setZmDirectionalLightLocalRT(const QvNode* node, ZmRT* m) {
  postMultDirection(static_cast<const QvDirectionalLight*>(node)->direction, m);
}

void setZmPointLightLocalRT(const QvNode* node, ZmRT* m) {
  postMultTranslation(static_cast<const QvPointLight*>(node)->location, m);
}

void setZmSpotLightLocalRT(const QvNode* node, ZmRT* m) {
  const auto* spot = static_cast<const QvSpotLight*>(node);
  postMultTranslation(spot->location, m);
  postMultDirection(spot->direction, m);
}

void setZmCameraLocalRT(const QvNode* node, ZmRT* m) {
  const QvSFVec3f* position;
  const QvSFRotation* orientation;
  if (const auto* ortho = dynamic_cast<const QvOrthographicCamera*>(node)) {
    position = &ortho->position;
    orientation = &ortho->orientation;
  } else {
    const auto* perspective = static_cast<const QvPerspectiveCamera*>(node);
    position = &perspective->position;
    orientation = &perspective->orientation;
  }
  postMultTranslation(*position, m);
  ZmRT r;
  setZmRotationRT(*orientation, &r);
  zmRTPostMult(&r, m);
}

ZmObj* setZmCameraSpecialNode(const QvNode* node, QvState*, ZmObj* object, ZmLeaf*) {
  if (zmReginsterToCameraTable(object, 3) == 0) return object;
  const char* fn = dynamic_cast<const QvOrthographicCamera*>(node) ? "QvOrthographicCamera::setZmSpecialNode()"
                                                                   : "QvPerspectiveCamera::setZmSpecialNode()";
  zmReportMessage("%s: %s", fn, "zmRegisterCamera() failed.");
  return discardZmObj(object, fn);
}
