// shell/cmdline.h -- the program's command line: the argument table, the
// option scan and the option flags it sets.
//
// Owns: the 32-slot argument table (slot 0 never filled) and its count, the
// scan index from which the main window opens the words left after the
// world argument, and the option flags ("-dname", "-dcomment", "-dscouter",
// "-dframerate", "-memdbg"). It does not own the text the words point into
// (the caller's, cut in place) nor what the flags change (the labels, the
// frame timer's debug lines).
#ifndef LUMENFOLD_SHELL_CMDLINE_H
#define LUMENFOLD_SHELL_CMDLINE_H

constexpr int ZM_ARG_SLOTS = 32;  // words go to slots 1 to 31

extern char* zmArgv[ZM_ARG_SLOTS];
extern int zmArgc;       // 1 + the number of words
extern int zmArgIndex;   // the next word to scan or to open

// Option flags, 0 until the option is seen.
extern int zmOptionDName;       // "-dname": labels show names
extern int zmOptionDComment;    // "-dcomment": labels show comments (wins over -dname)
extern int zmOptionDScouter;    // "-dscouter": labels leave their background unpainted
extern int zmOptionDFrameRate;  // "-dframerate": each frame writes its timing lines
extern int zmOptionMemDbg;      // "-memdbg": recorded only

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
