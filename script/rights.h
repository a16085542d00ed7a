// script/rights.h -- what a world's scripts may read, by where the world
// came from.
//
// Owns: the rule that trust follows origin for reading. A local world's
// scripts read its own folder, the files it fetched, the program's folder
// and the sandbox folder "usrfiles"; a world from the web, or from any
// other place that is not a local file, reads only what it fetched and
// "usrfiles". "What it fetched" is a copy the program made (a download, an
// unpacked or converted file) for an entry of the world's URL table whose
// URL is on the web or names a file the world may read itself. Every world
// also reads the script folders of the Tcl library, which the library and
// the toolkit load their own scripts from and which hold nothing of the
// user's. Paths are compared with every link resolved, and a folder admits
// only what lies below it at a '/'.
// It does not own the commands that ask (script/sandbox.h and the script
// commands), the URL table (loading/urltable.h) nor the copies
// (loading/madecopies.h).
#ifndef LUMENFOLD_SCRIPT_RIGHTS_H
#define LUMENFOLD_SCRIPT_RIGHTS_H

#include <string>

struct ZmWorld;

// True when the world's scripts may read the file or folder at `path`
// (relative to the current folder unless absolute). A path that names
// nothing is judged by the deepest folder of it that is there. False for a
// null world.
bool zmScriptMayRead(ZmWorld* world, const char* path);

// True when the world's scripts may have the program fetch `url` for them:
// a URL of a local file (a "file:" URL or an absolute path, a relative one
// resolved against the world's URL) only when they may read that file.
bool zmScriptMayFetch(ZmWorld* world, const char* url);

// The path with every link resolved; of a path that names nothing, the
// deepest folder of it that is there, resolved, with the rest of the path
// after it ("" when that rest climbs with "..").
std::string zmScriptRealPath(const std::string& path);

#endif
