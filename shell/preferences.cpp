// shell/preferences.cpp -- the preference table, its registry values and the
// Preferences dialog; see preferences.h.
#include "shell/preferences.h"

#include <cstring>
#include <iterator>
#include <string>
#include <vector>

#include "platform/controls.h"
#include "platform/dialogs.h"
#include "platform/winuser.h"

namespace {

// Largest row buffer (the SOCKS host and port).
constexpr int kLongest = 256;

// The defaults of the rows below, in their order.
constexpr const char* kDefaults[] = {"yes", "yes", "yes", "(usr)", "(nik)", "yes", "", ""};

// The preference table, ended by a row with an empty value name, and the
// rows' cache.
struct Preferences {
  zmPreference table[std::size(kDefaults) + 1] = {
      {"Sound", "Sound", nullptr, 4, ZM_PREF_YES_NO, ZM_PREF_SOUND},
      {"Sound", "WalkingSound", nullptr, 4, ZM_PREF_YES_NO, ZM_PREF_WALKING_SOUND},
      {"Texture", "Texture", nullptr, 4, ZM_PREF_YES_NO, ZM_PREF_TEXTURE},
      {"User", "Name", nullptr, 32, ZM_PREF_TEXT, ZM_PREF_USER_NAME},
      {"User", "NickName", nullptr, 32, ZM_PREF_TEXT, ZM_PREF_NICK_NAME},
      {"MultiUser", "MultiUser", nullptr, 4, ZM_PREF_YES_NO, ZM_PREF_MULTI_USER},
      {"MultiUser", "SOCKS Host", nullptr, 256, ZM_PREF_TEXT, ZM_PREF_SOCKS_HOST},
      {"MultiUser", "SOCKS Port", nullptr, 256, ZM_PREF_TEXT, ZM_PREF_SOCKS_PORT},
      {"TERMINATER", "", nullptr, 0, 0, 0},
  };
  // One cache buffer per row, holding its default until first use.
  char buffers[std::size(kDefaults)][kLongest] = {"yes", "yes", "yes", "(usr)", "(nik)", "yes", "", ""};
};
Preferences preferences;

// The row of the id, by a linear search up to the ending row.
zmPreference* findRow(int id, char** buffer) {
  for (int row = 0; preferences.table[row].valueName[0] != '\0'; row++) {
    if (preferences.table[row].id != id) continue;
    *buffer = preferences.buffers[row];
    return &preferences.table[row];
  }
  return nullptr;
}

std::string keyPathOf(const zmPreference* row) { return std::string(ZM_PREFERENCE_KEY) + row->section; }

bool isStringType(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ; }

// First use of a row: the registry's value, or the default written there.
// A row whose value can be neither read nor written stays unused, so the
// next use tries again.
bool useRow(zmPreference* row, char* buffer) {
  if (row->cache != nullptr) return true;
  const std::string key = keyPathOf(row);
  if (zmReadRegistryValue(key.c_str(), row->valueName, buffer, row->size, REG_SZ) == 0 ||
      zmWriteRegistryValue(key.c_str(), row->valueName, buffer, (DWORD)std::strlen(buffer), REG_SZ) == 0) {
    row->cache = buffer;
    return true;
  }
  return false;
}

class OpenKey {
 public:
  explicit OpenKey(const char* keyPath) {
    HKEY root;
    const char* subKey;
    if (zmSplitKeyPath(keyPath, &root, &subKey) != 0) return;
    if (RegCreateKeyExA(root, subKey, 0, nullptr, REG_OPTION_NON_VOLATILE, 0x2001F, nullptr, &key_, nullptr) !=
        ERROR_SUCCESS)
      key_ = nullptr;
  }
  ~OpenKey() {
    if (key_ != nullptr) RegCloseKey(key_);
  }
  OpenKey(const OpenKey&) = delete;
  OpenKey& operator=(const OpenKey&) = delete;
  HKEY get() const { return key_; }

 private:
  HKEY key_ = nullptr;
};

// True when the key holds a value of exactly that name (letter case
// included; the registry itself matches names without regard to case).
bool hasValueNamed(HKEY key, const char* name) {
  DWORD longest = 0;
  if (RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &longest, nullptr,
                       nullptr, nullptr) != ERROR_SUCCESS)
    return false;
  std::vector<char> found(longest + 1);
  for (DWORD index = 0;; index++) {
    DWORD length = longest + 1;
    if (RegEnumValueA(key, index, found.data(), &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
      return false;
    if (std::strcmp(found.data(), name) == 0) return true;
  }
}

}  // namespace

int zmSplitKeyPath(const char* path, HKEY* root, const char** subKey) {
  static const struct {
    const char* name;
    HKEY key;
  } roots[] = {{"HKEY_CLASSES_ROOT", HKEY_CLASSES_ROOT},
               {"HKEY_USERS", HKEY_USERS},
               {"HKEY_LOCAL_MACHINE", HKEY_LOCAL_MACHINE},
               {"HKEY_CURRENT_USER", HKEY_CURRENT_USER}};
  if (path == nullptr) return -1;
  const char* slash = std::strchr(path, '\\');
  if (slash == nullptr) return -1;
  const std::string rootName(path, slash);
  for (const auto& candidate : roots) {
    if (rootName != candidate.name) continue;
    *root = candidate.key;
    *subKey = slash + 1;
    return 0;
  }
  return -1;
}

int zmReadRegistryValue(const char* keyPath, const char* name, void* out, DWORD size, DWORD type) {
  OpenKey key(keyPath);
  if (key.get() == nullptr || !hasValueNamed(key.get(), name)) return -1;
  std::vector<BYTE> data(size + 1, 0);
  DWORD length = size;
  if (RegQueryValueExA(key.get(), name, nullptr, nullptr, data.data(), &length) != ERROR_SUCCESS) return -1;
  if (isStringType(type)) {
    // The text and its terminator must fit the buffer: a stored text as
    // long as the buffer has no room left for its end.
    size_t text = strnlen(reinterpret_cast<const char*>(data.data()), length);
    if (text + 1 > size) return -1;
    std::memcpy(out, data.data(), text);
    static_cast<char*>(out)[text] = '\0';
    return 0;
  }
  std::memcpy(out, data.data(), length);
  return 0;
}

int zmWriteRegistryValue(const char* keyPath, const char* name, const void* data, DWORD size, DWORD type) {
  OpenKey key(keyPath);
  if (key.get() == nullptr) return -1;
  DWORD stored = isStringType(type) ? size + 1 : size;
  return RegSetValueExA(key.get(), name, 0, type, static_cast<const BYTE*>(data), stored) == ERROR_SUCCESS ? 0 : -1;
}

int zmGetPreference(int id, void* out) {
  char* buffer;
  zmPreference* row = findRow(id, &buffer);
  if (row == nullptr || !useRow(row, buffer)) return -1;
  if (row->type == ZM_PREF_YES_NO)
    *static_cast<int*>(out) = std::strcmp(row->cache, "yes") == 0 ? 1 : 0;
  else
    std::strcpy(static_cast<char*>(out), row->cache);
  return 0;
}

int zmSetPreference(int id, const void* in) {
  char* buffer;
  zmPreference* row = findRow(id, &buffer);
  if (row == nullptr || !useRow(row, buffer)) return -1;
  std::string value = row->type == ZM_PREF_YES_NO ? (*static_cast<const int*>(in) == 1 ? "yes" : "no")
                                                  : std::string(static_cast<const char*>(in));
  if (value.size() > (size_t)row->size - 1) value.resize(row->size - 1);
  if (value == row->cache) return -1;
  std::strcpy(row->cache, value.c_str());
  return zmWriteRegistryValue(keyPathOf(row).c_str(), row->valueName, row->cache, (DWORD)value.size(), REG_SZ);
}

int zmPreferenceSize(int id) {
  char* buffer;
  const zmPreference* row = findRow(id, &buffer);
  return row != nullptr ? row->size : 0;
}

void zmResetPreferencesForTest() {
  for (size_t row = 0; row < std::size(kDefaults); row++) {
    preferences.table[row].cache = nullptr;
    std::strcpy(preferences.buffers[row], kDefaults[row]);
  }
}

// ---- The dialog ---------------------------------------------------------------

namespace {

constexpr struct {
  int control;
  int preference;
} kSwitches[] = {{ZM_PREFDLG_SOUND, ZM_PREF_SOUND},
                 {ZM_PREFDLG_WALKING_SOUND, ZM_PREF_WALKING_SOUND},
                 {ZM_PREFDLG_MULTI_USER, ZM_PREF_MULTI_USER},
                 {ZM_PREFDLG_TEXTURE, ZM_PREF_TEXTURE}};

constexpr struct {
  int control;
  int preference;
} kTexts[] = {{ZM_PREFDLG_SOCKS_HOST, ZM_PREF_SOCKS_HOST},
              {ZM_PREFDLG_SOCKS_PORT, ZM_PREF_SOCKS_PORT},
              {ZM_PREFDLG_NICK_NAME, ZM_PREF_NICK_NAME}};

void showPreferences(HWND dialog) {
  for (const auto& entry : kSwitches) {
    int on = 0;
    if (zmGetPreference(entry.preference, &on) == 0) CheckDlgButton(dialog, entry.control, on ? BST_CHECKED : BST_UNCHECKED);
  }
  for (const auto& entry : kTexts) {
    char text[kLongest];
    if (zmGetPreference(entry.preference, text) == 0) SetDlgItemTextA(dialog, entry.control, text);
  }
}

void takePreferences(HWND dialog) {
  for (const auto& entry : kSwitches) {
    int on = IsDlgButtonChecked(dialog, entry.control) == BST_CHECKED ? 1 : 0;
    zmSetPreference(entry.preference, &on);
  }
  for (const auto& entry : kTexts) {
    char text[kLongest + 1];
    GetDlgItemTextA(dialog, entry.control, text, zmPreferenceSize(entry.preference));
    zmSetPreference(entry.preference, text);
  }
}

}  // namespace

void zmRegisterPreferenceDialog() {
  platform::DialogTemplate dialog;
  dialog.title = "Preferences";
  dialog.style = DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU;
  dialog.width = 300;
  dialog.height = 190;
  const DWORD check = BS_AUTOCHECKBOX | WS_TABSTOP;
  const DWORD edit = WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL;
  dialog.items = {
      {"button", "Sound", ZM_PREFDLG_SOUND, check | WS_DISABLED, 10, 10, 130, 20},
      {"button", "Walking Sound", ZM_PREFDLG_WALKING_SOUND, check | WS_DISABLED, 150, 10, 140, 20},
      {"button", "Load Texture", ZM_PREFDLG_TEXTURE, check, 10, 35, 130, 20},
      {"button", "Multi User", ZM_PREFDLG_MULTI_USER, check | WS_DISABLED, 150, 35, 140, 20},
      {"static", "Nick Name:", -1, 0, 10, 65, 90, 20},
      {"edit", "", ZM_PREFDLG_NICK_NAME, edit, 100, 65, 190, 20},
      {"static", "SOCKS Host:", -1, 0, 10, 90, 90, 20},
      {"edit", "", ZM_PREFDLG_SOCKS_HOST, edit, 100, 90, 190, 20},
      {"static", "Port:", -1, 0, 10, 115, 90, 20},
      {"edit", "", ZM_PREFDLG_SOCKS_PORT, edit, 100, 115, 80, 20},
      {"button", "OK", IDOK, BS_DEFPUSHBUTTON | WS_TABSTOP, 110, 155, 80, 24},
      {"button", "CANCEL", IDCANCEL, WS_TABSTOP, 200, 155, 80, 24},
  };
  platform::registerDialogResource("PREFERENCE", dialog);
}

INT_PTR CALLBACK zmPreferenceDlgProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_INITDIALOG:
      showPreferences(dialog);
      return TRUE;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDOK:
          takePreferences(dialog);
          EndDialog(dialog, 1);
          return TRUE;
        case IDCANCEL:
          EndDialog(dialog, 0);
          return TRUE;
      }
      return FALSE;
    default:
      return FALSE;
  }
}

int zmOpenPreferenceDialog(HWND owner) {
  zmRegisterPreferenceDialog();
  return DialogBoxParamA(nullptr, "PREFERENCE", owner, zmPreferenceDlgProc, 0) > 0 ? 0 : -1;
}
