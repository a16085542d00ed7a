// platform/process.h -- outside programs: starting one with its standard
// handles redirected to files, watching it, ending it; and the kernel
// handles (files, processes, threads) those calls hand out.
//
// Owns: CreateFileA (as far as redirection needs: opening and creating
// files), CreateProcessA, GetExitCodeProcess, TerminateProcess,
// WaitForSingleObject and CloseHandle, and the table of kernel handles. It
// does not own the message pump a caller runs while it waits (winuser.h).
//
// Every CreateProcessA call is recorded as kind "Process" with the command
// line as given. The command line is split as the C runtime of the original
// system splits it (quotes group, \" is a quote, 2n backslashes before a
// quote are n). A command line run through the command interpreter
// ("cmd.exe /c ..." or "command.com /c ...") is read here rather than handed
// to a shell: cmd's outer quotes are dropped, and unquoted "<", ">" and ">>"
// redirect the standard input and output to files.
//
// Programs are found so that names written for the original system run the
// system's own programs: a path that names an existing executable runs it;
// a path to a missing file with a ".exe" or ".com" extension (say
// "<program folder>/gzip.exe") runs the program of that base name without
// its extension from $PATH ("gzip", else its lower-case spelling); a name
// without a folder is looked for on $PATH as it is and then as that. A program not found fails
// the start with ERROR_FILE_NOT_FOUND, also behind the command interpreter.
//
// Handles are inherited only as the child's standard handles: files are
// opened close-on-exec whatever their SECURITY_ATTRIBUTES say, and the
// three STARTUPINFOA handles (with STARTF_USESTDHANDLES) become the child's
// descriptors 0, 1 and 2. Window, console and priority flags are accepted
// and have no effect.
#ifndef LUMENFOLD_PLATFORM_PROCESS_H
#define LUMENFOLD_PLATFORM_PROCESS_H

#include "platform/lasterror.h"
#include "platform/wintypes.h"

struct SECURITY_ATTRIBUTES {
  DWORD nLength;
  LPVOID lpSecurityDescriptor;
  BOOL bInheritHandle;
};
typedef SECURITY_ATTRIBUTES* LPSECURITY_ATTRIBUTES;

#define INVALID_HANDLE_VALUE ((HANDLE)(LONG_PTR)-1)

#define GENERIC_READ 0x80000000u
#define GENERIC_WRITE 0x40000000u
#define FILE_SHARE_READ 0x1
#define FILE_SHARE_WRITE 0x2
#define CREATE_NEW 1
#define CREATE_ALWAYS 2
#define OPEN_EXISTING 3
#define OPEN_ALWAYS 4
#define TRUNCATE_EXISTING 5
#define FILE_ATTRIBUTE_NORMAL 0x80

#define STARTF_USESHOWWINDOW 0x1
#define STARTF_USESTDHANDLES 0x100
#define CREATE_NEW_CONSOLE 0x10
#define NORMAL_PRIORITY_CLASS 0x20
#define CREATE_NO_WINDOW 0x08000000

#define STILL_ACTIVE 259
#define INFINITE 0xFFFFFFFFu
#define WAIT_OBJECT_0 0
#define WAIT_TIMEOUT 258
#define WAIT_FAILED 0xFFFFFFFFu

struct STARTUPINFOA {
  DWORD cb;
  LPSTR lpReserved;
  LPSTR lpDesktop;
  LPSTR lpTitle;
  DWORD dwX;
  DWORD dwY;
  DWORD dwXSize;
  DWORD dwYSize;
  DWORD dwXCountChars;
  DWORD dwYCountChars;
  DWORD dwFillAttribute;
  DWORD dwFlags;
  WORD wShowWindow;
  WORD cbReserved2;
  LPBYTE lpReserved2;
  HANDLE hStdInput;
  HANDLE hStdOutput;
  HANDLE hStdError;
};
typedef STARTUPINFOA* LPSTARTUPINFOA;
typedef STARTUPINFOA STARTUPINFO;

struct PROCESS_INFORMATION {
  HANDLE hProcess;
  HANDLE hThread;
  DWORD dwProcessId;
  DWORD dwThreadId;
};
typedef PROCESS_INFORMATION* LPPROCESS_INFORMATION;

/*
 * CreateFileA --
 *   Opens or creates `name` for GENERIC_READ and/or GENERIC_WRITE with one
 *   of the dispositions CREATE_NEW ... TRUNCATE_EXISTING. Share mode,
 *   attributes and template are accepted and ignored.
 * Results:
 *   A file handle (close it with CloseHandle), or INVALID_HANDLE_VALUE with
 *   the last error ERROR_FILE_NOT_FOUND, ERROR_PATH_NOT_FOUND,
 *   ERROR_FILE_EXISTS, ERROR_ACCESS_DENIED or ERROR_INVALID_PARAMETER.
 */
HANDLE CreateFileA(LPCSTR name, DWORD access, DWORD shareMode, LPSECURITY_ATTRIBUTES security,
                   DWORD disposition, DWORD flags, HANDLE templateFile);
#define CreateFile CreateFileA

/*
 * CreateProcessA --
 *   Starts the program named by `applicationName` (when not null) or by the
 *   command line's first word, with the command line's words as its
 *   arguments, in `currentDirectory` (null: this process's).
 * Results:
 *   TRUE with a process and a thread handle and the process id in *info
 *   (close both handles). FALSE with the last error: ERROR_FILE_NOT_FOUND
 *   (no such program), ERROR_DIRECTORY (no such directory),
 *   ERROR_PATH_NOT_FOUND or ERROR_ACCESS_DENIED (a redirection file cannot
 *   be opened), ERROR_BAD_FORMAT (not executable), ERROR_INVALID_PARAMETER
 *   (no command, null info).
 * Side effects:
 *   Records kind "Process" with the command line.
 */
BOOL CreateProcessA(LPCSTR applicationName, LPSTR commandLine,
                    LPSECURITY_ATTRIBUTES processAttributes,
                    LPSECURITY_ATTRIBUTES threadAttributes, BOOL inheritHandles,
                    DWORD creationFlags, LPVOID environment, LPCSTR currentDirectory,
                    LPSTARTUPINFOA startupInfo, LPPROCESS_INFORMATION info);
#define CreateProcess CreateProcessA

// *exitCode = STILL_ACTIVE while the process runs, else its exit code (the
// one given to TerminateProcess when it was terminated; 128 + the signal
// when a signal ended it). FALSE with ERROR_INVALID_HANDLE or
// ERROR_INVALID_PARAMETER.
BOOL GetExitCodeProcess(HANDLE process, LPDWORD exitCode);

// Kills the process; its exit code becomes `exitCode`. FALSE with
// ERROR_ACCESS_DENIED when it has already ended, ERROR_INVALID_HANDLE for
// anything but a process.
BOOL TerminateProcess(HANDLE process, UINT exitCode);

// Waits up to `milliseconds` (INFINITE: no limit) of real time for a
// process (or its thread) to end: WAIT_OBJECT_0, WAIT_TIMEOUT, or
// WAIT_FAILED with ERROR_INVALID_HANDLE.
DWORD WaitForSingleObject(HANDLE object, DWORD milliseconds);

// Closes any kernel handle. Closing a running process's handle leaves the
// process running (it is reaped once it ends). FALSE with
// ERROR_INVALID_HANDLE for an unknown handle.
BOOL CloseHandle(HANDLE object);

#endif
