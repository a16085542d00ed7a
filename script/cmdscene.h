// script/cmdscene.h -- the script commands that find, add, delete, name and
// move objects: lookups by name and path, leaves ("Parts"), adding VRML
// from a file or a text, switches, named values, the user's avatar,
// transforms, projection to the screen, distances and collisions.
//
// Owns: those handlers, each checking its word count (zmTclError with its
// usage text) and its records (pointer texts) before it calls the scene
// core, the reader or the viewer. It does not own the table that names them
// (script/commands.h) nor the operations they call.
#ifndef LUMENFOLD_SCRIPT_CMDSCENE_H
#define LUMENFOLD_SCRIPT_CMDSCENE_H

#include "script/cmdsupport.h"

namespace zmcmd {

ZM_COMMAND(getObjByName);
ZM_COMMAND(nameObject);
ZM_COMMAND(getObjPart);
ZM_COMMAND(addObjFromFile);
ZM_COMMAND(addObjFromStr);  // the text goes through a temporary file, removed after
ZM_COMMAND(delObj);
ZM_COMMAND(setSwitchObjByNo);
ZM_COMMAND(getSwitchObjByNo);
ZM_COMMAND(getSwitchObjInfo);
ZM_COMMAND(newVariable);
ZM_COMMAND(getOrSetVariable);  // tells zmGetVariable and zmSetVariable apart by its word
ZM_COMMAND(delVariable);
ZM_COMMAND(getPerson);
ZM_COMMAND(rotate);
ZM_COMMAND(rotateAngle);
ZM_COMMAND(translate);
ZM_COMMAND(rotateTranslate);
ZM_COMMAND(rotateAngleTranslate);
ZM_COMMAND(getObjWRT);
ZM_COMMAND(getObjLRT);
ZM_COMMAND(pos3DTo2D);
ZM_COMMAND(calcDistance);
ZM_COMMAND(intersectTopObjAndWorld);
ZM_COMMAND(intersectTopObjs);

}  // namespace zmcmd

#endif
