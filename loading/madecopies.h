// loading/madecopies.h -- the copies the program made: unpacked and
// converted files.
//
// Owns: the list of files this run made from others (gzip unpacking, image
// conversion), kept in memory and in a journal of its own on disk
// ("copies/<process id>.list" in the user folder), so that a copy is
// deleted with the world that used it and, after a crash, at the next start.
// Only files on that list are ever deleted here: an original, or a file of
// the same name that the program did not write, is never touched.
// It does not own the making of the copies (loading/filetype.h,
// loading/gzip.h) nor the entries that name them (loading/urltable.h).
#ifndef LUMENFOLD_LOADING_MADECOPIES_H
#define LUMENFOLD_LOADING_MADECOPIES_H

// Notes that the program has just written the file from another.
void zmRecordMadeCopy(const char* path);
// Whether the file is a copy this run made and has not deleted.
bool zmIsMadeCopy(const char* path);
// Deletes the file when it is a copy this run made; anything else stays.
void zmDeleteMadeCopy(const char* path);

/*
 * zmCleanUpLeftCopies --
 *   Deletes the copies listed in the journals of runs that have ended
 *   without deleting them (a crash, or worlds never freed), then those
 *   journals. Journals of runs still going are left alone. The start-up
 *   calls it once.
 * Results:
 *   The number of files deleted.
 */
int zmCleanUpLeftCopies();

#endif
