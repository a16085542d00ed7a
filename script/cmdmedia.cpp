// script/cmdmedia.cpp -- sounds, videos, movie textures and articulated
// bodies for scripts; see cmdmedia.h.
#include "script/cmdmedia.h"

#include <cstdint>
#include <cstring>

#include "core/memory.h"
#include "core/strings.h"
#include "core/object.h"
#include "core/world.h"
#include "loading/urltable.h"
#include "media/bodies.h"
#include "media/movie.h"
#include "media/sound.h"
#include "media/video.h"
#include "script/host.h"
#include "viewer/api.h"
#include "vrml/parse.h"

namespace zmcmd {

namespace {

bool is(const char* command, const char* name) { return std::strcmp(command, name) == 0; }

bool byName(const char* command) {
  size_t length = std::strlen(command);
  return length > 6 && std::strcmp(command + length - 6, "ByName") == 0;
}

// The object of a command of `words` words after its name, the object
// first. Null when the count or the object is wrong: *code is then what the
// command returns (the usage line in help mode succeeds).
ZmObj* onlyObject(Tcl_Interp* interp, int argc, const char* argv[], int words, const char* usage, int* code) {
  if (argc != words + 1) {
    *code = zmTclError(interp, argv[0], usage);
    return nullptr;
  }
  *code = TCL_ERROR;
  return objectArg(interp, argv[0], argv[1]);
}

}  // namespace

// ---- Sounds ----------------------------------------------------------------

ZM_COMMAND(playSound) {
  bool named = byName(argv[0]);
  if (argc != 3) return zmTclError(interp, argv[0], named ? "name ZmBoolean" : "ZmObj ZmBoolean");
  bool spot = std::strncmp(argv[0], "zmPlaySpot", 10) == 0;
  int loop = int(longWord(argv[2]));
  if (named)
    return intResult(interp, spot ? zmPlaySpotSoundByName(argv[1], loop) : zmPlayAmbientSoundByName(argv[1], loop));
  ZmObj* object = objectArg(interp, argv[0], argv[1]);
  if (object == nullptr) return TCL_ERROR;
  return intResult(interp, spot ? zmPlaySpotSound(object, loop) : zmPlayAmbientSound(object, loop));
}

ZM_COMMAND(soundState) {
  bool named = byName(argv[0]);
  if (argc != 2) return zmTclError(interp, argv[0], named ? "name" : "ZmObj");
  if (named) {
    if (std::strncmp(argv[0], "zmStop", 6) == 0) return intResult(interp, zmStopSoundByName(argv[1]));
    if (std::strncmp(argv[0], "zmSuspend", 9) == 0) return intResult(interp, zmSuspendSoundByName(argv[1]));
    return intResult(interp, zmResumeSoundByName(argv[1]));
  }
  ZmObj* object = objectArg(interp, argv[0], argv[1]);
  if (object == nullptr) return TCL_ERROR;
  if (is(argv[0], "zmStopSound")) return intResult(interp, zmStopSound(object));
  if (is(argv[0], "zmSuspendSound")) return intResult(interp, zmSuspendSound(object));
  return intResult(interp, zmResumeSound(object));
}

ZM_COMMAND(setSoundVolume) {
  bool named = byName(argv[0]);
  if (argc != 3) return zmTclError(interp, argv[0], named ? "name volume" : "ZmObj volume");
  int volume = int(longWord(argv[2]));
  if (named) return intResult(interp, zmSetSoundVolumeByName(argv[1], volume));
  ZmObj* object = objectArg(interp, argv[0], argv[1]);
  if (object == nullptr) return TCL_ERROR;
  return intResult(interp, zmSetSoundVolume(object, volume));
}

ZM_COMMAND(allSounds) {
  if (argc != 1) return zmTclError(interp, argv[0], "no args");
  return intResult(interp, is(argv[0], "zmSuspendAllSound") ? zmSuspendAllSound() : zmResumeAllSound());
}

// ---- Videos ----------------------------------------------------------------

ZM_COMMAND(videoPlay) {
  if (argc != 2) return zmTclError(interp, argv[0], "VideoFileName");
  if (!mayReadArg(interp, argv[0], argv[1])) return TCL_ERROR;
  return intResult(interp, zmVideoPlay(argv[1]));
}

ZM_COMMAND(videoNextFrame) {
  int code = TCL_OK;
  ZmObj* object = onlyObject(interp, argc, argv, 1, "ZmObj", &code);
  return object ? intResult(interp, zmViewerVideoNextFrame(object)) : code;
}

// ---- Movie textures ----------------------------------------------------------

ZM_COMMAND(movieStep) {
  int code = TCL_OK;
  ZmObj* object = onlyObject(interp, argc, argv, 1, "ZmObj", &code);
  if (object == nullptr) return code;
  if (is(argv[0], "zmPlay3DMovie")) return intResult(interp, zmPlay3DMovie(object));
  if (is(argv[0], "zmPause3DMovie")) return intResult(interp, zmPause3DMovie(object));
  if (is(argv[0], "zmSet3DMovieNextFrame")) return intResult(interp, zmSet3DMovieNextFrame(object));
  return intResult(interp, zmSet3DMoviePrevFrame(object));
}

ZM_COMMAND(setMovieSpeed) {
  int code = TCL_OK;
  ZmObj* object = onlyObject(interp, argc, argv, 2, "ZmObj speed", &code);
  return object ? intResult(interp, zmSet3DMovieSpeed(object, float(floatWord(argv[2])))) : code;
}

ZM_COMMAND(getMovieSpeed) {
  int code = TCL_OK;
  ZmObj* object = onlyObject(interp, argc, argv, 1, "ZmObj", &code);
  return object ? floatResult(interp, zmGet3DMovieSpeed(object)) : code;
}

ZM_COMMAND(getMovieInfo) {
  if (argc < 3 || argc > 5) return zmTclError(interp, argv[0], "ZmObj cur [max] [loop]");
  ZmObj* object = objectArg(interp, argv[0], argv[1]);
  if (object == nullptr) return TCL_ERROR;
  if (!setLongVar(interp, argv[2], zmGet3DMovieFrame(object))) return TCL_ERROR;
  if (argc > 3 && !setLongVar(interp, argv[3], zmGet3DMovieFrameNum(object))) return TCL_ERROR;
  if (argc > 4 && !setLongVar(interp, argv[4], zmGet3DMovieLoop(object))) return TCL_ERROR;
  return emptyResult(interp);
}

ZM_COMMAND(setMovieFrame) {
  int code = TCL_OK;
  ZmObj* object = onlyObject(interp, argc, argv, 2, "ZmObj frameNo", &code);
  return object ? intResult(interp, zmSet3DMovieFrame(object, int(longWord(argv[2])))) : code;
}

ZM_COMMAND(setMovieLoop) {
  int code = TCL_OK;
  ZmObj* object = onlyObject(interp, argc, argv, 2, "ZmObj [$zmTrue/$zmFalse]", &code);
  if (object == nullptr) return code;
  zmSet3DMovieLoop(object, int(longWord(argv[2])));
  return emptyResult(interp);
}

// ---- Articulated bodies ------------------------------------------------------

ZM_COMMAND(kinNew) {
  if (argc != 3) return zmTclError(interp, argv[0], "SkinUrl(wrl) ZmObj_return");
  if (!mayFetchArg(interp, argv[0], argv[1])) return TCL_ERROR;
  const char* local = zmGetLocalFile(zmWwwLoadFile(argv[1]));
  if (local == nullptr) return zmScriptErrorResult(interp, "%s:zmWwwLoadFile Fail.", argv[0]);
  // The entry's name may change while the parse fetches more files.
  char* file = zmStrdup(local);
  if (file == nullptr) return zmScriptErrorResult(interp, "%s:zmStrDup Fail.", argv[0]);
  ZmObj* skin = nullptr;
  int parsed = zmParseVRMLAddToWorld(file, &skin);
  zmFree(file);
  if (parsed == 0 && skin != nullptr) zmConstructObjInViewer(skin);
  if (!setObjectVar(interp, argv[2], parsed == 0 ? skin : nullptr)) return TCL_ERROR;
  intResult(interp, parsed);
  return parsed == 0 ? TCL_OK : TCL_ERROR;
}

ZM_COMMAND(kinDelete) {
  int code = TCL_OK;
  ZmObj* object = onlyObject(interp, argc, argv, 1, "ZmObj", &code);
  return object ? intResult(interp, zmDeleteZmObj(object)) : code;
}

ZM_COMMAND(kinSetFrame) {
  int code = TCL_OK;
  ZmObj* object = onlyObject(interp, argc, argv, 2, "ZmObj  frameno", &code);
  return object ? intResult(interp, zmKinSetFrame(object, int(longWord(argv[2])))) : code;
}

ZM_COMMAND(kinPosture) {
  int code = TCL_OK;
  ZmObj* object = onlyObject(interp, argc, argv, 1, "ZmObj", &code);
  if (object == nullptr) return code;
  return intResult(interp, is(argv[0], "zmKinNextPosture") ? zmKinNextPosture(object) : zmKinPrevPosture(object));
}

ZM_COMMAND(kinGetFrame) {
  if (argc != 3 && argc != 4) return zmTclError(interp, argv[0], "ZmObj cur [max]");
  ZmObj* object = objectArg(interp, argv[0], argv[1]);
  if (object == nullptr) return TCL_ERROR;
  int32_t frame = 0;
  int status = zmKinGetFrame(object, &frame);
  if (status != 0) return intResult(interp, status);
  if (!setLongVar(interp, argv[2], frame)) return TCL_ERROR;
  if (argc == 4) {
    int32_t frames = 0;
    status = zmKinGetMaxFrame(object, &frames);
    if (status != 0) return intResult(interp, status);
    if (!setLongVar(interp, argv[3], frames)) return TCL_ERROR;
  }
  return intResult(interp, 0);
}

// Only "zmKinNew wknfile objret" does anything: a body file as a new top
// object of the current world.
ZM_COMMAND(debugFunc) {
  if (argc < 2) return zmTclError(interp, argv[0], "function [function arguments]");
  if (!is(argv[1], "zmKinNew")) return emptyResult(interp);
  if (argc != 4) return zmTclError(interp, argv[0], "zmKinNew wknfile objret");
  ZmWorld* world = zmGetCurrentWorld();
  if (world == nullptr) return intResult(interp, -1);
  ZmObj* body = nullptr;
  int status = zmKinNewTopObject(world, argv[2], nullptr, &body);
  if (status == 0 && !setObjectVar(interp, argv[3], body)) return TCL_ERROR;
  return intResult(interp, status);
}

}  // namespace zmcmd
