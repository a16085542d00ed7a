// platform/openfile.cpp -- the open-file dialog: one folder's sub-folders
// ("[name]", "[..]" first) and the files that match the chosen filter, a
// file-name field, OK and Cancel. Choosing a folder (or typing one) moves
// into it; OK with a file name ends the dialog with its full path.
#include <dirent.h>
#include <fnmatch.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <string>
#include <vector>

#include "platform/controls.h"
#include "platform/dialogs.h"
#include "platform/winuser.h"

namespace {

constexpr const char* kResource = "#OpenFileDialog";

struct OpenFileSession {
  OPENFILENAMEA* ofn = nullptr;
  std::string folder;
  std::vector<std::string> patterns;  // of the chosen filter
  std::vector<std::string> entries;   // as listed
  std::string chosen;                 // the full path, once OK succeeded
};

// A dialog's session rides in its DWL_USER word from WM_INITDIALOG on;
// null before.
OpenFileSession* sessionOf(HWND dialog) {
  return reinterpret_cast<OpenFileSession*>(GetWindowLongA(dialog, DWL_USER));
}

bool isFolder(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool isFile(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

// The patterns of the nFilterIndex-th pair ("*.wrl;*.wrl.gz"); "*.*"
// means every file, as on the original, dot or not.
std::vector<std::string> filterPatterns(const OPENFILENAMEA& ofn) {
  std::vector<std::string> patterns;
  const char* at = ofn.lpstrFilter;
  DWORD wanted = std::max<DWORD>(1, ofn.nFilterIndex);
  for (DWORD pair = 1; at != nullptr && *at; pair++) {
    at += std::strlen(at) + 1;  // the description
    std::string list = at;
    at += list.size() + 1;
    if (pair != wanted) continue;
    size_t start = 0;
    while (start <= list.size()) {
      size_t end = list.find(';', start);
      std::string pattern = list.substr(start, end == std::string::npos ? std::string::npos : end - start);
      patterns.push_back(pattern == "*.*" ? "*" : pattern);
      if (end == std::string::npos) break;
      start = end + 1;
    }
  }
  if (patterns.empty()) patterns.push_back("*");
  return patterns;
}

bool matches(const std::vector<std::string>& patterns, const std::string& name) {
  for (const std::string& pattern : patterns)
    if (fnmatch(pattern.c_str(), name.c_str(), FNM_CASEFOLD) == 0) return true;
  return false;
}

void listFolder(HWND dialog) {
  OpenFileSession* session = sessionOf(dialog);
  std::vector<std::string> folders, files;
  if (DIR* dir = opendir(session->folder.c_str())) {
    while (dirent* entry = readdir(dir)) {
      std::string name = entry->d_name;
      if (name == ".") continue;
      std::string path = session->folder + "/" + name;
      if (isFolder(path)) {
        folders.push_back("[" + name + "]");
      } else if (name[0] != '.' && matches(session->patterns, name)) {
        files.push_back(name);
      }
    }
    closedir(dir);
  }
  std::sort(folders.begin(), folders.end());
  std::sort(files.begin(), files.end());
  session->entries = folders;
  session->entries.insert(session->entries.end(), files.begin(), files.end());
  SendDlgItemMessageA(dialog, IDC_OPENFILE_LIST, LB_RESETCONTENT, 0, 0);
  for (const std::string& entry : session->entries)
    SendDlgItemMessageA(dialog, IDC_OPENFILE_LIST, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.c_str()));
  SetDlgItemTextA(dialog, IDC_OPENFILE_FOLDER, session->folder.c_str());
}

std::string joined(const std::string& folder, const std::string& name) {
  if (!name.empty() && name[0] == '/') return name;
  if (name == "..") {
    size_t slash = folder.find_last_of('/');
    return slash == 0 || slash == std::string::npos ? "/" : folder.substr(0, slash);
  }
  return folder == "/" ? "/" + name : folder + "/" + name;
}

// OK: moves into a folder, or ends with the file; false when it stays.
bool accept(HWND dialog) {
  char typed[MAX_PATH * 2];
  GetDlgItemTextA(dialog, IDC_OPENFILE_NAME, typed, sizeof typed);
  std::string name = typed;
  if (name.size() > 2 && name.front() == '[' && name.back() == ']') name = name.substr(1, name.size() - 2);
  if (name.empty()) return false;
  OpenFileSession* session = sessionOf(dialog);
  std::string path = joined(session->folder, name);
  if (isFolder(path)) {
    session->folder = path;
    SetDlgItemTextA(dialog, IDC_OPENFILE_NAME, "");
    listFolder(dialog);
    return false;
  }
  const OPENFILENAMEA& ofn = *session->ofn;
  bool hasExtension = name.find('.') != std::string::npos;
  if (!hasExtension && ofn.lpstrDefExt != nullptr && *ofn.lpstrDefExt && !isFile(path)) {
    // Names here are case-sensitive: the extension as given, else in lower case.
    std::string extension = ofn.lpstrDefExt, lower = extension;
    for (char& c : lower) c = char(std::tolower(static_cast<unsigned char>(c)));
    std::string given = path + "." + extension, lowered = path + "." + lower;
    path = !isFile(given) && isFile(lowered) ? lowered : given;
  }
  if ((ofn.Flags & OFN_FILEMUSTEXIST) && !isFile(path)) {
    std::string text = path + "\nFile not found.\nPlease verify the correct file name was given.";
    MessageBoxA(dialog, text.c_str(), ofn.lpstrTitle ? ofn.lpstrTitle : "Open", MB_OK | MB_ICONEXCLAMATION);
    return false;
  }
  session->chosen = path;
  return true;
}

// Puts the list's selected entry into the name field; false when none is.
bool nameTheSelection(HWND dialog) {
  OpenFileSession* session = sessionOf(dialog);
  LRESULT index = SendDlgItemMessageA(dialog, IDC_OPENFILE_LIST, LB_GETCURSEL, 0, 0);
  if (index < 0 || size_t(index) >= session->entries.size()) return false;
  SetDlgItemTextA(dialog, IDC_OPENFILE_NAME, session->entries[size_t(index)].c_str());
  return true;
}

INT_PTR CALLBACK openFileProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_INITDIALOG: {
      SetWindowLongA(dialog, DWL_USER, lParam);
      const OPENFILENAMEA& ofn = *sessionOf(dialog)->ofn;
      if (ofn.lpstrFile != nullptr && ofn.lpstrFile[0]) SetDlgItemTextA(dialog, IDC_OPENFILE_NAME, ofn.lpstrFile);
      if (ofn.lpstrTitle != nullptr) SetWindowTextA(dialog, ofn.lpstrTitle);
      listFolder(dialog);
      return TRUE;
    }
    case WM_COMMAND:
      if (sessionOf(dialog) == nullptr) return FALSE;
      switch (LOWORD(wParam)) {
        case IDOK:
          if (accept(dialog)) EndDialog(dialog, IDOK);
          return TRUE;
        case IDCANCEL:
          EndDialog(dialog, IDCANCEL);
          return TRUE;
        case IDC_OPENFILE_LIST:
          if (HIWORD(wParam) == LBN_SELCHANGE) nameTheSelection(dialog);
          // A double-click opens the entry as Open would: a folder is
          // entered, a file chosen.
          if (HIWORD(wParam) == LBN_DBLCLK && nameTheSelection(dialog) && accept(dialog)) EndDialog(dialog, IDOK);
          return TRUE;
        default:
          return FALSE;
      }
    default:
      return FALSE;
  }
}

void registerOpenFileDialog() {
  platform::DialogTemplate dialog;
  dialog.title = "Open";
  dialog.x = 20;
  dialog.y = 20;
  dialog.width = 340;
  dialog.height = 280;
  dialog.items = {
      {"static", "", IDC_OPENFILE_FOLDER, SS_LEFT, 10, 8, 320, 16},
      {"listbox", "", IDC_OPENFILE_LIST, WS_BORDER | WS_VSCROLL | WS_TABSTOP | LBS_NOTIFY, 10, 28, 320, 180},
      {"static", "File &name:", -1, SS_LEFT, 10, 218, 70, 18},
      {"edit", "", IDC_OPENFILE_NAME, WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, 80, 216, 250, 20},
      {"button", "&Open", IDOK, WS_TABSTOP | BS_DEFPUSHBUTTON, 170, 248, 76, 24},
      {"button", "Cancel", IDCANCEL, WS_TABSTOP | BS_PUSHBUTTON, 254, 248, 76, 24},
  };
  platform::registerDialogResource(kResource, dialog);
}

BOOL CALLBACK findOpenFileDialog(HWND hwnd, LPARAM found) {
  char className[16];
  bool isDialog = GetClassNameA(hwnd, className, sizeof className) > 0 && std::strcmp(className, "#32770") == 0;
  if (!isDialog || GetWindowLongA(hwnd, DWL_DLGPROC) != reinterpret_cast<LONG_PTR>(openFileProc)) return TRUE;
  *reinterpret_cast<bool*>(found) = true;
  return FALSE;
}

// One open-file dialog at a time: a second call while one is on show fails.
bool openFileDialogShowing() {
  bool found = false;
  EnumWindows(findOpenFileDialog, reinterpret_cast<LPARAM>(&found));
  return found;
}

std::string startFolder(const OPENFILENAMEA& ofn) {
  if (ofn.lpstrInitialDir != nullptr && isFolder(ofn.lpstrInitialDir)) return ofn.lpstrInitialDir;
  char here[4096];
  return getcwd(here, sizeof here) ? here : "/";
}

}  // namespace

BOOL GetOpenFileNameA(LPOPENFILENAMEA ofn) {
  if (ofn == nullptr || ofn->lpstrFile == nullptr || ofn->nMaxFile == 0 || openFileDialogShowing()) return FALSE;
  registerOpenFileDialog();
  OpenFileSession current;
  current.ofn = ofn;
  current.folder = startFolder(*ofn);
  current.patterns = filterPatterns(*ofn);
  INT_PTR result =
      DialogBoxParamA(nullptr, kResource, ofn->hwndOwner, openFileProc, reinterpret_cast<LPARAM>(&current));
  if (result != IDOK || current.chosen.size() + 1 > ofn->nMaxFile) return FALSE;
  std::strcpy(ofn->lpstrFile, current.chosen.c_str());
  size_t slash = current.chosen.find_last_of('/');
  std::string title = current.chosen.substr(slash + 1);
  ofn->nFileOffset = WORD(slash + 1);
  size_t dot = title.find_last_of('.');
  ofn->nFileExtension = WORD(dot == std::string::npos ? current.chosen.size() : slash + 2 + dot);
  if (ofn->lpstrFileTitle != nullptr && ofn->nMaxFileTitle > 0) {
    size_t count = std::min<size_t>(title.size(), ofn->nMaxFileTitle - 1);
    title.copy(ofn->lpstrFileTitle, count);
    ofn->lpstrFileTitle[count] = 0;
  }
  return TRUE;
}
