// shell/cmdline.h -- the program's command line: filling the argument table
// and scanning it for the option flags ("-dname", "-dcomment", "-dscouter",
// "-dframerate", "-memdbg") and the world argument.
//
// The table and the flags are the shell's record's (zmShell.commandLine,
// zmShell.options in shell/appstate.h). It does not own the text the words
// point into (the caller's, cut in place) nor what the flags change (the
// labels, the frame timer's debug lines).
#ifndef LUMENFOLD_SHELL_CMDLINE_H
#define LUMENFOLD_SHELL_CMDLINE_H

#include "shell/appstate.h"

/*
 * zmSplitCommandLine --
 *   Starts a new argument table (count 1, scan index 1, slots cleared) and
 *   fills it with the blank-separated words of `text` (blank, tab, line
 *   feed, vertical tab, form feed, carriage return; no quoting), cutting the
 *   text in place: each word is ended by a NUL written over the white space
 *   that follows it.
 * Results:
 *   The new count. Words after the 31st are left in the text, uncut and out
 *   of the table.
 */
int zmSplitCommandLine(char* text);

/*
 * zmTakeArguments --
 *   Starts a new argument table as zmSplitCommandLine does and fills it with
 *   the words as they are (the program's own arguments, already split by
 *   whoever started it): a word with blanks in it stays one word.
 * Results:
 *   The new count. Words after the 31st are left out of the table.
 */
int zmTakeArguments(int count, char** words);

/*
 * zmScanOptions --
 *   Scans the words from the scan index: options set their flags, "-dflags"
 *   switches on the message flags named by the words after it up to the
 *   next word that begins with '-' or names no message flag (which is
 *   scanned again, as an option or the world argument), and the first other
 *   word is the world argument.
 * Results:
 *   The world argument, or null when the words hold none. The scan index
 *   points at the word after it.
 */
const char* zmScanOptions();

// Clears the option flags (a new run's state; tests call it).
void zmResetOptions();

#endif
