// core/dirs.h -- the program's folders, temporary file names and the time
// stamp clock.
//
// Owns: the executable's path and folder, the temporary base folder and the
// program's own temporary folder "LumenfoldLib" in it (its path is computed
// once per run and kept, core/programplace.h; the folder is made again whenever it is missing),
// unique temporary file names, empty-file creation, and ZmTimeStamp. It does
// not own the user's data and configuration folders (the shell's), nor the
// files made in the temporary folder: whoever names one removes it.
//
// Paths use '/', and folder names returned here end in '/' only where said.
#ifndef LUMENFOLD_CORE_DIRS_H
#define LUMENFOLD_CORE_DIRS_H

#include <cstddef>
#include <cstdint>

// Calendar time: seconds since 1 January 1970 UTC and the milliseconds within
// that second.
struct ZmTimeStamp {
  intptr_t sec;
  intptr_t msec;  // 0..999
};

// The full path of the program's executable in `buffer`. Its length; 0, with
// the buffer emptied, when it cannot be had or does not fit in `size`
// characters with its terminator.
int zmGetModuleFileName(char* buffer, size_t size);

/*
 * zmGetModuleDirName --
 *   The executable's folder with its trailing '/' in `buffer`.
 * Results:
 *   Its length (the position of the last '/' plus one); 0, with the buffer
 *   emptied, when the path cannot be had or has no '/' after its first
 *   character.
 */
int zmGetModuleDirName(char* buffer, size_t size);

/*
 * zmGetDataDirName --
 *   The folder of the program's shipped files (avatars, pictures, sounds,
 *   start-up script) with its trailing '/' in `buffer`: the program's own
 *   folder when it holds them (in the build tree, beside zminit.tcl), else
 *   "share/lumenfold/" beside the program's "bin" folder (an installed
 *   program).
 * Results:
 *   Its length; 0, with the buffer emptied, when the program's path cannot
 *   be had or the folder does not fit in `size` characters.
 */
int zmGetDataDirName(char* buffer, size_t size);

/*
 * zmGetTempBaseDir --
 *   The system's temporary folder in `buffer`: the value of $TEMP, else of
 *   $TMPDIR (an empty value counts as unset), else "/tmp".
 * Results:
 *   1 for a folder named by the environment, the length of "/tmp" for the
 *   system's own; 0 when it does not fit in `size` characters with its
 *   terminator (nothing is then cut into a wrong folder).
 */
int zmGetTempBaseDir(char* buffer, size_t size);

/*
 * zmGetTempDir --
 *   The program's temporary folder, "LumenfoldLib" in the temporary base
 *   folder (no trailing '/'), made when missing.
 * Results:
 *   A program-wide buffer that stays valid for the run; null after the error
 *   "can not get temp directory" (no base folder, or the path would exceed
 *   MAX_PATH characters) or "can not make temp directory".
 */
const char* zmGetTempDir();

/*
 * zmMakeTempFileName --
 *   A name of no existing file in the program's temporary folder: "qx", a
 *   letter and five digits of the process id; the letter advances from 'a'
 *   until the name is free. No file is made.
 * Results:
 *   `buffer`; null when there is no temporary folder, the name does not fit
 *   in `size` characters, or every letter is taken (after the error "can not
 *   make tmp file").
 */
char* zmMakeTempFileName(char* buffer, size_t size);

// Creates the file, or empties it. 0; -1 when it cannot be opened for
// writing.
int zmCreateEmptyFile(const char* path);

// True when the path names something other than a regular file: a folder,
// a device, a FIFO or a socket. Such a thing is never read as a file: a
// FIFO may block its reader and a device may never end. A path that names
// nothing gives false (its opening fails in the usual way).
bool zmIsNotRegularFile(const char* path);

// Fills the stamp with the current calendar time; returns its milliseconds.
intptr_t zmGetTimeStamp(ZmTimeStamp* stamp);

// Test support only: forgets the kept temporary folder path so that the next
// zmGetTempDir reads the environment again. The program never calls it.
void zmForgetTempDirForTest();

#endif
