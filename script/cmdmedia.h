// script/cmdmedia.h -- the script commands for sounds, videos, movie
// textures and articulated bodies.
//
// Owns: those handlers. Each checks its words and records, then calls the
// media layer through script/hooks.h (which answers "nothing there" until
// that layer is built) or, for video textures and the bodies' skins, the
// viewer and the reader. It does not own sounds, movies or bodies, nor the
// command table (script/commands.h).
#ifndef LUMENFOLD_SCRIPT_CMDMEDIA_H
#define LUMENFOLD_SCRIPT_CMDMEDIA_H

#include "script/cmdsupport.h"

namespace zmcmd {

// Sounds; the command word chooses the operation and whether the first
// word is an object or a sound object's name.
ZM_COMMAND(playSound);       // zmPlayAmbientSound, zmPlaySpotSound (+ByName)
ZM_COMMAND(soundState);      // zmStopSound, zmSuspendSound, zmResumeSound (+ByName)
ZM_COMMAND(setSoundVolume);  // zmSetSoundVolume (+ByName)
ZM_COMMAND(allSounds);       // zmSuspendAllSound, zmResumeAllSound

ZM_COMMAND(videoPlay);
ZM_COMMAND(videoNextFrame);

// Movie textures.
ZM_COMMAND(movieStep);  // zmPlay3DMovie, zmPause3DMovie, zmSet3DMovieNextFrame, zmSet3DMoviePrevFrame
ZM_COMMAND(setMovieSpeed);
ZM_COMMAND(getMovieSpeed);
ZM_COMMAND(getMovieInfo);
ZM_COMMAND(setMovieFrame);
ZM_COMMAND(setMovieLoop);

// Articulated bodies.
ZM_COMMAND(kinNew);
ZM_COMMAND(kinDelete);
ZM_COMMAND(kinSetFrame);
ZM_COMMAND(kinPosture);  // zmKinNextPosture, zmKinPrevPosture
ZM_COMMAND(kinGetFrame);
ZM_COMMAND(debugFunc);

}  // namespace zmcmd

#endif
