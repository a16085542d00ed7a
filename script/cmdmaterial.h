// script/cmdmaterial.h -- the script commands that change how objects look
// and see: materials of leaves, objects and subtrees, colour lists, the
// attributes of objects, lights and cameras, and the active camera.
//
// Owns: those handlers and the colour lists scripts make with
// "zmNewZmMFColor", handed out as checked pointer texts until
// "zmDeleteZmMFColor" or until the interpreter that made them is deleted
// with its world, which frees those left; only that interpreter's scripts
// may use a list. Value lists are bounded: more colours or floats than
// a material command takes are refused with its "bad num" message. It does
// not own the materials and attributes themselves (core/material.h,
// viewer/attributes.h) nor the command table (script/commands.h).
#ifndef LUMENFOLD_SCRIPT_CMDMATERIAL_H
#define LUMENFOLD_SCRIPT_CMDMATERIAL_H

#include "script/cmdsupport.h"

namespace zmcmd {

// The most values one material command takes: colours, or floats.
constexpr int kMaxMaterialValues = 256;

// "zmSetObjMaterial", "zmSetObjAllMaterial", "zmSetPartMaterial": target,
// attribute number, values; the scope is told by the command word.
ZM_COMMAND(setMaterial);
// "zmGetObjMaterial", "zmGetPartMaterial": target, attribute, variable names.
ZM_COMMAND(getMaterial);
// "zmSetPartAmbient" ... "zmGetPartTransparency": the attribute is told by
// the command word; the part and the values (or names) follow.
ZM_COMMAND(setPartAttribute);
ZM_COMMAND(getPartAttribute);

ZM_COMMAND(newColorList);
ZM_COMMAND(deleteColorList);
ZM_COMMAND(getColorListAt);
ZM_COMMAND(setColorListAt);

ZM_COMMAND(getObjAttribute);
ZM_COMMAND(setObjAttribute);
ZM_COMMAND(getLightAttribute);
ZM_COMMAND(setLightAttribute);
ZM_COMMAND(getCameraAttribute);
ZM_COMMAND(setCameraAttribute);
ZM_COMMAND(getActiveCamera);
ZM_COMMAND(setActiveCamera);

}  // namespace zmcmd

#endif
