// engine/path.h -- file-name and path utilities of the shape, image and
// texture readers.
//
// Owns: tests on files, joining a directory and a name, adding an extension,
// taking a file's base name, comparing names ignoring case, and resolving a
// name written with '\\' or in another letter case to the file it means.
// It does not own the search path itself (the shape reader keeps it).
//
// Paths are written with '/'. Names from worlds and scripts may use '\\', so
// both count as separators when a path is read. Every writer is bounded by
// the size of its output: a result that does not fit is not written and the
// call returns null, so a search treats that candidate as not found.
#ifndef LUMENFOLD_ENGINE_PATH_H
#define LUMENFOLD_ENGINE_PATH_H

#include <cstddef>
#include <cstdio>

constexpr char rwPathSeparator = '/';

// Modes of RwTestFile.
constexpr int rwFileExists = 1;
constexpr int rwFileWritable = 2;

// 0 when the test passes, 1 when it fails (any other mode always fails).
int RwTestFile(const char* path, int mode);
// The file opened for reading with the stdio mode ("r" or "rb"), or null
// when it cannot be opened or is not a regular file (a folder, a device, a
// FIFO: it is never waited on). The caller closes it.
std::FILE* RwOpenRegularFile(const char* path, const char* mode);
// 1 when the path begins with a separator or with a letter and a colon.
int RwIsAbsolutePath(const char* path);
// Writes directory, separator, name into out; returns out, or null when the
// result does not fit in outSize bytes.
char* RwJoinPath(char* out, size_t outSize, const char* directory, const char* name);
// Null, writing nothing, when the path already holds the extension's first
// character (the dot) anywhere, or when the result does not fit; otherwise
// writes path followed by extension and returns out.
char* RwAddExtension(const char* path, const char* extension, char* out, size_t outSize);
// Writes the name after the last separator (or after a drive prefix "X:"),
// up to its first dot; returns the end of what it wrote. Truncated to fit.
char* RwBaseName(const char* path, char* out, size_t outSize);
// 1 when the two names are equal ignoring letter case (ASCII).
int RwSameNameNoCase(const char* a, const char* b);

/*
 * RwResolveFileName --
 *   Finds the existing file a name from a world or a script means: every
 *   '\\' is read as '/', and a component that does not exist as written is
 *   matched ignoring letter case among the entries of its folder.
 * Results:
 *   out holding the name of the existing file, or null when there is none
 *   or it does not fit in outSize bytes.
 */
char* RwResolveFileName(const char* name, char* out, size_t outSize);

#endif
