// platform/dialogs.h -- dialogs from templates defined in code, message
// boxes on screen, the open-file dialog and dropped files.
//
// Owns: the dialog resources, the dialog window class "#32770" and its
// default handling (keyboard navigation with Tab, Enter for the default
// button, Escape for IDCANCEL), the modal loop of DialogBoxParamA, the
// scripted answers that drive a modal dialog's own procedure in tests, the
// open-file dialog (our own: folders and matching files of one folder), and
// the dropped-file records. It does not own the controls (controls.h).
//
// Template coordinates are pixels. A scripted dialog runs its real dialog
// procedure: the script's actions are applied to its controls after
// WM_INITDIALOG, one by one, until EndDialog is called; a script that ends
// first presses IDCANCEL.
#ifndef LUMENFOLD_PLATFORM_DIALOGS_H
#define LUMENFOLD_PLATFORM_DIALOGS_H

#include <string>
#include <vector>

#include "platform/wintypes.h"

typedef INT_PTR(CALLBACK* DLGPROC)(HWND, UINT, WPARAM, LPARAM);

#define DLGWINDOWEXTRA 32
#define DWL_MSGRESULT 0
#define DWL_DLGPROC 4
#define DWL_USER 8
#define DWLP_MSGRESULT DWL_MSGRESULT
#define DWLP_DLGPROC DWL_DLGPROC
#define DWLP_USER DWL_USER

#define DS_MODALFRAME 0x80L
#define DS_CENTER 0x0800L

// The dialog's procedure answers TRUE for what it handled.
INT_PTR DialogBoxParamA(HINSTANCE instance, LPCSTR templateName, HWND owner, DLGPROC proc, LPARAM param);
#define DialogBoxParam DialogBoxParamA
#define DialogBoxA(i, t, o, p) DialogBoxParamA(i, t, o, p, 0)
HWND CreateDialogParamA(HINSTANCE instance, LPCSTR templateName, HWND owner, DLGPROC proc, LPARAM param);
// Ends a modal dialog with `result` once its procedure returns (a modeless
// one is hidden). FALSE for a window that is no dialog.
BOOL EndDialog(HWND dialog, INT_PTR result);
// Handles the dialog's keyboard navigation for a message meant for it or
// one of its controls, and dispatches the message; FALSE (nothing done)
// for another window's message.
BOOL IsDialogMessageA(HWND dialog, LPMSG msg);
#define IsDialogMessage IsDialogMessageA
LRESULT DefDlgProcA(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam);

BOOL SetDlgItemTextA(HWND dialog, int id, LPCSTR text);
UINT GetDlgItemTextA(HWND dialog, int id, LPSTR buffer, int bufferSize);
LRESULT SendDlgItemMessageA(HWND dialog, int id, UINT msg, WPARAM wParam, LPARAM lParam);
BOOL CheckDlgButton(HWND dialog, int id, UINT check);
UINT IsDlgButtonChecked(HWND dialog, int id);

// ------------------------------------------------------------ open file

#define OFN_READONLY 0x00000001
#define OFN_OVERWRITEPROMPT 0x00000002
#define OFN_HIDEREADONLY 0x00000004
#define OFN_NOCHANGEDIR 0x00000008
#define OFN_PATHMUSTEXIST 0x00000800
#define OFN_FILEMUSTEXIST 0x00001000

struct OPENFILENAMEA {
  DWORD lStructSize;
  HWND hwndOwner;
  HINSTANCE hInstance;
  LPCSTR lpstrFilter;        // pairs of texts, each ended by 0, the list by another 0
  LPSTR lpstrCustomFilter;
  DWORD nMaxCustFilter;
  DWORD nFilterIndex;        // 1-based
  LPSTR lpstrFile;           // in: the first name shown; out: the full path
  DWORD nMaxFile;
  LPSTR lpstrFileTitle;      // out: the name without its folder, when given
  DWORD nMaxFileTitle;
  LPCSTR lpstrInitialDir;
  LPCSTR lpstrTitle;
  DWORD Flags;
  WORD nFileOffset;
  WORD nFileExtension;
  LPCSTR lpstrDefExt;
  LPARAM lCustData;
  void* lpfnHook;
  LPCSTR lpTemplateName;
};
typedef OPENFILENAMEA* LPOPENFILENAMEA;

// Control ids of the open-file dialog, for scripts.
#define IDC_OPENFILE_NAME 1152
#define IDC_OPENFILE_LIST 1120
#define IDC_OPENFILE_FOLDER 1088

// Runs the open-file dialog; TRUE with the chosen path in lpstrFile. FALSE
// when cancelled or when the path does not fit lpstrFile.
BOOL GetOpenFileNameA(LPOPENFILENAMEA ofn);

// --------------------------------------------------------- dropped files

void DragAcceptFiles(HWND hwnd, BOOL accept);
// With index 0xFFFFFFFF the number of files; with a null buffer the
// length of the name; else copies the name and returns its length.
UINT DragQueryFileA(HDROP drop, UINT index, LPSTR buffer, UINT bufferSize);
BOOL DragQueryPoint(HDROP drop, LPPOINT point);
void DragFinish(HDROP drop);

namespace platform {

struct DialogItemTemplate {
  std::string className;  // "button", "edit", "static", "listbox" or a registered class
  std::string text;
  int id = 0;
  DWORD style = 0;        // WS_CHILD | WS_VISIBLE are added
  int x = 0, y = 0, width = 0, height = 0;
};

struct DialogTemplate {
  std::string title;
  DWORD style = 0;        // 0: a captioned pop-up with a close box
  int x = 0, y = 0, width = 200, height = 100;  // the client area, relative to the owner
  std::vector<DialogItemTemplate> items;
};

void registerDialogResource(const std::string& name, DialogTemplate dialog);

struct DialogAction {
  enum Kind { Press, Type, Pick, Check } kind = Press;
  int id = 0;
  std::string text;  // Type
  int value = 0;     // Pick: the list index; Check: BST_CHECKED or BST_UNCHECKED
};
// The script for the next modal dialog (DialogBoxParamA, MessageBoxA on
// screen, GetOpenFileNameA); scripts are taken in the order queued.
void queueDialogScript(std::vector<DialogAction> actions);
void clearDialogScripts();

// Drops the files on the window at the client point: WM_DROPFILES is
// posted when the window accepts files. False otherwise.
bool dropFiles(HWND hwnd, const std::vector<std::string>& paths, POINT client);
// True when the top-level window or one of its descendants accepts files:
// a display then offers the window as a place to drop files on.
bool acceptsDroppedFiles(HWND top);
// Where files dropped at the screen point on the top-level window go: the
// deepest window there that accepts files, else its nearest ancestor up to
// `top` that does; null when none does or the point is not on `top`.
HWND dropTargetAt(HWND top, POINT screen);

// Message boxes are real dialogs when set (a display presenter sets it);
// otherwise they answer at once (winuser.h).
void setMessageBoxesOnScreen(bool onScreen);
bool messageBoxesOnScreen();

}  // namespace platform

#endif
