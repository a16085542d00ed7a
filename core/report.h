// core/report.h -- the program's reporters and the table of message flags.
//
// Owns: the message-flag table (named switches that gate the reporters and
// the debug output of the other layers), the reporters themselves, the fatal
// box with its once-per-run guard, and the message-box flag that tells the
// window procedures a box or a notify append is pumping messages.
// It does not own the notify window (the shell's, reached through
// hookNotifyMessage), the main window, or what closing it does.
//
// Every reporter formats into a buffer of its own of ZM_REPORT_BUFFER
// characters; a longer text is cut there, never written past it.
#ifndef LUMENFOLD_CORE_REPORT_H
#define LUMENFOLD_CORE_REPORT_H

#define ZM_REPORT_BUFFER 4096
#define ZM_FLAG_NAME_SIZE 12

// Ids of the message flags: the first three gate zmReportWarning,
// zmReportError and zmDebugPrint; the others are only switched and read.
enum {
  ZM_FLAG_WARNING = 1,
  ZM_FLAG_ERROR = 2,
  ZM_FLAG_MESSAGE = 3,
  ZM_FLAG_ZMDEBUG = 4,
  ZM_FLAG_RWDEBUG = 5,
  ZM_FLAG_QVDEBUG = 6,
  ZM_FLAG_TKDEBUG = 7,
  ZM_FLAG_AUTHDEBUG = 8,
};

// One row of the message-flag table.
struct ZmFlag {
  char name[ZM_FLAG_NAME_SIZE];  // "warning", "error", ...
  int id;                        // 1..8; 0 ends the table
  int on;                        // 0 or 1
};

// Switch the flag of that name (case-sensitive) or id; a name or id that no
// row has, or a null name, changes nothing.
void zmTurnOnFlagByName(const char* name);
// True when a row of the table has that name (case-sensitive).
bool zmIsFlagName(const char* name);
void zmTurnOffFlagByName(const char* name);
void zmTurnOnFlag(int id);
void zmTurnOffFlag(int id);

// The flag's value; 0 for an id that no row has.
int zmGetFlag(int id);

// Over a list of ids ended by 0: zmAnyFlag is 1 when one of them is on,
// zmAllFlags is 1 when all of them are. An empty list gives 0 for both.
int zmAnyFlag(int id, ...);
int zmAllFlags(int id, ...);

// The message-box flag: 1 while a fatal box is shown or a text is appended to
// the notify window (or the shell shows a box of its own).
int zmIsMessageBoxShowing();
// Stores the value and returns it.
int zmSetMessageBoxShowing(int value);

/*
 * zmReportError --
 *   With the "error" flag on, shows the formatted text in the fatal box
 *   (zmFatalErrorBox).
 * Results:
 *   The flag's value when it is not 1 (0 when off); otherwise the result of
 *   the close request.
 */
int zmReportError(const char* format, ...) __attribute__((format(printf, 1, 2)));

/*
 * zmFatalErrorBox --
 *   Shows the text in a box titled "Fatal Error" owned by the main window,
 *   the first time only in a run, then asks the main window to close
 *   (zmFatalStop) on every call.
 * Results:
 *   The result of the close request.
 */
int zmFatalErrorBox(const char* text);

// The fatal box with "%s %s" / "%s %d" of the arguments, formatted by the
// window system's formatter (at most 1023 characters).
int zmFatalErrorStr(const char* a, const char* b);
int zmFatalErrorInt(const char* a, int n);

/*
 * zmShowNotifyText --
 *   Appends the text to the notify window (hookNotifyMessage) with the
 *   message-box flag set around the append.
 * Results:
 *   0, or -1 when the text is null or there is no notify window (the hook
 *   is unset or the window does not exist yet): the text is then dropped.
 */
int zmShowNotifyText(const char* text);

// With the "warning" flag on, the formatted text goes to the notify window.
// Result: the flag's value when it is not 1, otherwise that of the append.
int zmReportWarning(const char* format, ...) __attribute__((format(printf, 1, 2)));

// The text goes to the notify window whatever the flags; result of the append.
int zmReportMessage(const char* format, ...) __attribute__((format(printf, 1, 2)));
int zmReportMessageStr(const char* a, const char* b);
int zmReportMessageInt(const char* a, int n);

// With the "message" flag exactly 1, writes "%s(): %s\n" of the function
// name and the formatted text to the debugger output.
void zmDebugPrint(const char* function, const char* format, ...) __attribute__((format(printf, 2, 3)));

// Test support only: the flags back to their defaults, the message-box flag
// to 0 and the fatal guard re-armed, so that one test process can show the
// fatal box more than once. The program never calls it.
void zmResetReportStateForTest();

#endif
