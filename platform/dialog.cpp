// platform/dialog.cpp -- dialogs: resources, creation, the dialog class's
// default handling, keyboard navigation, the modal loop and the scripts
// that drive it in tests; message boxes shown as dialogs; dropped files.
#include <algorithm>
#include <deque>
#include <map>
#include <memory>

#include "platform/controls.h"
#include "platform/dialogs.h"
#include "platform/handletable.h"
#include "platform/recorder.h"
#include "platform/resources.h"
#include "platform/userstate.h"

namespace {

using platform::DialogAction;
using platform::DialogTemplate;
using platform::user::windowSystem;

constexpr const char* kDialogClass = "#32770";

using platform::user::DialogState;
using platform::user::DialogTable;
using platform::user::DropRecord;

DialogState* dialogState(HWND hwnd) {
  DialogTable& table = windowSystem().dialogs;
  auto found = table.dialogs.find(hwnd);
  return found == table.dialogs.end() ? nullptr : &found->second;
}

DLGPROC dialogProc(HWND hwnd) { return reinterpret_cast<DLGPROC>(GetWindowLongA(hwnd, DWL_DLGPROC)); }

// Messages whose answer is the procedure's return value itself, not DWL_MSGRESULT.
bool answersDirectly(UINT msg) {
  return (msg >= WM_CTLCOLORMSGBOX && msg <= WM_CTLCOLORSTATIC) || msg == WM_INITDIALOG;
}

LRESULT CALLBACK dialogWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  DialogTable& table = windowSystem().dialogs;
  if (msg == WM_NCDESTROY) table.dialogs.erase(hwnd);
  DLGPROC proc = dialogProc(hwnd);
  if (proc != nullptr) {
    SetWindowLongA(hwnd, DWL_MSGRESULT, 0);
    INT_PTR handled = proc(hwnd, msg, wParam, lParam);
    if (handled) return answersDirectly(msg) ? handled : GetWindowLongA(hwnd, DWL_MSGRESULT);
    if (!IsWindow(hwnd)) return 0;
  }
  return DefDlgProcA(hwnd, msg, wParam, lParam);
}

void registerDialogClass() {
  static bool registered = false;
  if (registered) return;
  WNDCLASSA wc{};
  wc.lpfnWndProc = dialogWindowProc;
  wc.cbWndExtra = DLGWINDOWEXTRA;
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  wc.lpszClassName = kDialogClass;
  registered = RegisterClassA(&wc) != 0;
}

bool tabStop(HWND control) {
  LONG_PTR style = GetWindowLongA(control, GWL_STYLE);
  return (style & WS_TABSTOP) && (style & WS_VISIBLE) && !(style & WS_DISABLED);
}

void focusControl(HWND control) {
  SetFocus(control);
  if (SendMessageA(control, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL) SendMessageA(control, EM_SETSEL, 0, -1);
}

HWND firstTabStop(const DialogState& state) {
  for (HWND control : state.controls)
    if (tabStop(control)) return control;
  return nullptr;
}

void moveFocus(HWND dialog, DialogState& state, bool backwards) {
  auto& order = state.controls;
  if (order.empty()) return;
  HWND focus = GetFocus();
  auto at = std::find(order.begin(), order.end(), focus);
  size_t start = at == order.end() ? (backwards ? 0 : order.size() - 1) : size_t(at - order.begin());
  for (size_t n = 1; n <= order.size(); n++) {
    size_t i = backwards ? (start + order.size() * 2 - n) % order.size() : (start + n) % order.size();
    if (tabStop(order[i])) return focusControl(order[i]);
  }
}

int defaultButtonId(const DialogState& state) {
  for (HWND control : state.controls)
    if (SendMessageA(control, WM_GETDLGCODE, 0, 0) & DLGC_DEFPUSHBUTTON) return GetDlgCtrlID(control);
  return IDOK;
}

void pressId(HWND dialog, int id) {
  HWND control = GetDlgItem(dialog, id);
  if (control != nullptr && !IsWindowEnabled(control)) return;
  SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(control));
}

// A dialog opens inside its owner's area, and wholly on the screen even
// when the owner is partly off it (its top-left corner first when it is
// larger than the screen).
POINT keptOnScreen(POINT at, int width, int height) {
  RECT screen = platform::user::screenRect();
  at.x = std::max<LONG>(screen.left, std::min<LONG>(at.x, screen.right - width));
  at.y = std::max<LONG>(screen.top, std::min<LONG>(at.y, screen.bottom - height));
  return at;
}

HWND createDialog(LPCSTR templateName, HWND owner, DLGPROC proc, LPARAM param, bool modal) {
  DialogTable& table = windowSystem().dialogs;
  if (templateName == nullptr) return nullptr;
  auto found = table.resources.find(platform::resourceKey(templateName));
  if (found == table.resources.end()) return nullptr;
  const DialogTemplate dialog = found->second;  // a procedure may register resources meanwhile
  registerDialogClass();
  DWORD style = dialog.style ? dialog.style : (WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME);
  style &= ~DWORD(WS_VISIBLE);
  RECT rect{0, 0, dialog.width, dialog.height};
  AdjustWindowRect(&rect, style, FALSE);
  POINT at{dialog.x, dialog.y};
  if (owner != nullptr) ClientToScreen(owner, &at);
  at = keptOnScreen(at, rect.right - rect.left, rect.bottom - rect.top);
  HWND hwnd = CreateWindowExA(WS_EX_DLGMODALFRAME, kDialogClass, dialog.title.c_str(), style, at.x, at.y,
                              rect.right - rect.left, rect.bottom - rect.top, owner, nullptr, nullptr, nullptr);
  if (hwnd == nullptr) return nullptr;
  DialogState& state = table.dialogs[hwnd];
  state.modal = modal;
  SetWindowLongA(hwnd, DWL_DLGPROC, reinterpret_cast<LONG_PTR>(proc));
  for (const auto& item : dialog.items) {
    HWND control = CreateWindowExA(0, item.className.c_str(), item.text.c_str(),
                                   item.style | WS_CHILD | WS_VISIBLE, item.x, item.y, item.width,
                                   item.height, hwnd, reinterpret_cast<HMENU>(intptr_t(item.id)),
                                   nullptr, nullptr);
    if (control != nullptr && dialogState(hwnd)) dialogState(hwnd)->controls.push_back(control);
  }
  HWND first = dialogState(hwnd) ? firstTabStop(*dialogState(hwnd)) : nullptr;
  if (SendMessageA(hwnd, WM_INITDIALOG, reinterpret_cast<WPARAM>(first), param) && IsWindow(first))
    focusControl(first);
  return hwnd;
}

void applyAction(HWND dialog, const DialogAction& action) {
  HWND control = GetDlgItem(dialog, action.id);
  switch (action.kind) {
    case DialogAction::Press: pressId(dialog, action.id); break;
    case DialogAction::Type:
      SetDlgItemTextA(dialog, action.id, action.text.c_str());
      break;
    case DialogAction::Pick:
      SendMessageA(control, LB_SETCURSEL, WPARAM(action.value), 0);
      SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(action.id, LBN_SELCHANGE), reinterpret_cast<LPARAM>(control));
      break;
    case DialogAction::Check:
      CheckDlgButton(dialog, action.id, UINT(action.value));
      pressId(dialog, action.id);
      break;
  }
}

bool ended(HWND dialog) {
  DialogState* state = dialogState(dialog);
  return state == nullptr || state->ended;
}

void runScript(HWND dialog, const std::vector<DialogAction>& script) {
  for (const DialogAction& action : script) {
    if (ended(dialog)) return;
    applyAction(dialog, action);
  }
  if (!ended(dialog)) {
    platform::recordEvent("DialogScript", "the script ended before the dialog; IDCANCEL pressed");
    pressId(dialog, IDCANCEL);
  }
  if (!ended(dialog)) EndDialog(dialog, -1);
}

void runModalLoop(HWND dialog) {
  MSG msg;
  while (!ended(dialog)) {
    if (!GetMessageA(&msg, nullptr, 0, 0)) {
      PostQuitMessage(int(msg.wParam));
      return;
    }
    if (!IsDialogMessageA(dialog, &msg)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
  }
}

}  // namespace

// ---------------------------------------------------------------- calls

INT_PTR DialogBoxParamA(HINSTANCE, LPCSTR templateName, HWND owner, DLGPROC proc, LPARAM param) {
  DialogTable& table = windowSystem().dialogs;
  HWND top = owner ? platform::user::topLevelAncestor(owner) : nullptr;
  bool ownerWasEnabled = top != nullptr && IsWindowEnabled(top);
  std::vector<DialogAction> script;
  bool scripted = !table.scripts.empty();
  if (scripted) {
    script = std::move(table.scripts.front());
    table.scripts.pop_front();
  }
  HWND dialog = createDialog(templateName, top, proc, param, true);
  if (dialog == nullptr) return -1;
  if (ownerWasEnabled) EnableWindow(top, FALSE);
  if (!ended(dialog)) {
    ShowWindow(dialog, SW_SHOW);
    if (GetFocus() == nullptr || !IsChild(dialog, GetFocus())) SetActiveWindow(dialog);
  }
  if (scripted) {
    runScript(dialog, script);
  } else {
    runModalLoop(dialog);
  }
  DialogState* state = dialogState(dialog);
  INT_PTR result = state ? state->result : -1;
  if (ownerWasEnabled && IsWindow(top)) EnableWindow(top, TRUE);
  DestroyWindow(dialog);
  if (IsWindow(top)) SetActiveWindow(top);
  return result;
}

HWND CreateDialogParamA(HINSTANCE, LPCSTR templateName, HWND owner, DLGPROC proc, LPARAM param) {
  HWND dialog = createDialog(templateName, owner, proc, param, false);
  if (dialog != nullptr && !ended(dialog)) ShowWindow(dialog, SW_SHOW);
  return dialog;
}

BOOL EndDialog(HWND dialog, INT_PTR result) {
  DialogState* state = dialogState(dialog);
  if (state == nullptr) return FALSE;
  state->ended = true;
  state->result = result;
  if (!state->modal) ShowWindow(dialog, SW_HIDE);
  return TRUE;
}

BOOL IsDialogMessageA(HWND dialog, LPMSG msg) {
  DialogState* state = dialogState(dialog);
  if (state == nullptr || msg == nullptr) return FALSE;
  if (msg->hwnd != dialog && !IsChild(dialog, msg->hwnd)) return FALSE;
  if (msg->message == WM_KEYDOWN) {
    LRESULT wants = msg->hwnd ? SendMessageA(msg->hwnd, WM_GETDLGCODE, msg->wParam, 0) : 0;
    if (!(wants & DLGC_WANTALLKEYS)) {
      switch (msg->wParam) {
        case VK_TAB:
          if (wants & DLGC_WANTTAB) break;
          moveFocus(dialog, *state, GetKeyState(VK_SHIFT) < 0);
          return TRUE;
        case VK_RETURN: pressId(dialog, defaultButtonId(*state)); return TRUE;
        case VK_ESCAPE: pressId(dialog, IDCANCEL); return TRUE;
        default: break;
      }
    }
  }
  if (msg->message == WM_CHAR && (msg->wParam == '\t' || msg->wParam == '\r' || msg->wParam == 27))
    return TRUE;
  TranslateMessage(msg);
  DispatchMessageA(msg);
  return TRUE;
}

LRESULT DefDlgProcA(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_CLOSE: pressId(dialog, IDCANCEL); return 0;
    case WM_ERASEBKGND: {
      HDC dc = reinterpret_cast<HDC>(wParam);
      DLGPROC proc = dialogProc(dialog);
      INT_PTR brush = proc ? proc(dialog, WM_CTLCOLORDLG, wParam, reinterpret_cast<LPARAM>(dialog)) : 0;
      RECT client;
      GetClientRect(dialog, &client);
      FillRect(dc, &client, brush ? reinterpret_cast<HBRUSH>(brush) : GetSysColorBrush(COLOR_BTNFACE));
      return TRUE;
    }
    case WM_PAINT: {
      PAINTSTRUCT ps;
      BeginPaint(dialog, &ps);
      EndPaint(dialog, &ps);
      return 0;
    }
    default: return DefWindowProcA(dialog, msg, wParam, lParam);
  }
}

BOOL SetDlgItemTextA(HWND dialog, int id, LPCSTR text) {
  HWND control = GetDlgItem(dialog, id);
  return control != nullptr && SetWindowTextA(control, text);
}

UINT GetDlgItemTextA(HWND dialog, int id, LPSTR buffer, int bufferSize) {
  HWND control = GetDlgItem(dialog, id);
  if (control == nullptr) {
    if (buffer != nullptr && bufferSize > 0) buffer[0] = 0;
    return 0;
  }
  return UINT(GetWindowTextA(control, buffer, bufferSize));
}

LRESULT SendDlgItemMessageA(HWND dialog, int id, UINT msg, WPARAM wParam, LPARAM lParam) {
  HWND control = GetDlgItem(dialog, id);
  return control ? SendMessageA(control, msg, wParam, lParam) : 0;
}

BOOL CheckDlgButton(HWND dialog, int id, UINT check) {
  HWND control = GetDlgItem(dialog, id);
  if (control == nullptr) return FALSE;
  SendMessageA(control, BM_SETCHECK, check, 0);
  return TRUE;
}

UINT IsDlgButtonChecked(HWND dialog, int id) { return UINT(SendDlgItemMessageA(dialog, id, BM_GETCHECK, 0, 0)); }

// ------------------------------------------------------------ message boxes

namespace {

struct BoxButtons {
  int ids[3];
  const char* names[3];
};

BoxButtons buttonsOf(UINT type) {
  switch (type & MB_TYPEMASK) {
    case MB_OKCANCEL: return {{IDOK, IDCANCEL, 0}, {"OK", "Cancel", nullptr}};
    case MB_ABORTRETRYIGNORE: return {{IDABORT, IDRETRY, IDIGNORE}, {"&Abort", "&Retry", "&Ignore"}};
    case MB_YESNOCANCEL: return {{IDYES, IDNO, IDCANCEL}, {"&Yes", "&No", "Cancel"}};
    case MB_YESNO: return {{IDYES, IDNO, 0}, {"&Yes", "&No", nullptr}};
    case MB_RETRYCANCEL: return {{IDRETRY, IDCANCEL, 0}, {"&Retry", "Cancel", nullptr}};
    default: return {{IDOK, 0, 0}, {"OK", nullptr, nullptr}};
  }
}

INT_PTR CALLBACK messageBoxProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM) {
  if (msg == WM_INITDIALOG) return TRUE;
  if (msg == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
    int id = LOWORD(wParam);
    // Escape and the close box give IDCANCEL; a box without Cancel ignores them.
    if (id == IDCANCEL && GetDlgItem(dialog, IDCANCEL) == nullptr && GetDlgItem(dialog, IDOK) == nullptr)
      return TRUE;
    EndDialog(dialog, id == IDCANCEL && GetDlgItem(dialog, IDCANCEL) == nullptr ? IDOK : id);
    return TRUE;
  }
  return FALSE;
}

}  // namespace

namespace platform::user {

int runMessageBoxDialog(HWND owner, const std::string& text, const std::string& caption, UINT type) {
  BoxButtons buttons = buttonsOf(type);
  int count = buttons.names[2] ? 3 : buttons.names[1] ? 2 : 1;
  RECT measure{0, 0, 360, 0};
  HDC dc = CreateCompatibleDC(nullptr);
  SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
  DrawTextA(dc, text.c_str(), int(text.size()), &measure, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
  DeleteDC(dc);
  int width = std::max<int>(measure.right + 32, count * 86 + 16);
  int textHeight = measure.bottom + 4;
  DialogTemplate box;
  box.title = caption;
  box.width = width;
  box.height = textHeight + 64;
  box.items.push_back({"static", text, -1, SS_LEFT, 16, 16, width - 32, textHeight});
  int left = (width - count * 86 + 6) / 2;
  int defaultIndex = (type & MB_DEFBUTTON3) ? 2 : (type & MB_DEFBUTTON2) ? 1 : 0;
  for (int i = 0; i < count; i++)
    box.items.push_back({"button", buttons.names[i], buttons.ids[i],
                         DWORD(WS_TABSTOP | (i == defaultIndex ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON)),
                         left + i * 86, textHeight + 28, 80, 24});
  platform::registerDialogResource("#MessageBox", box);
  INT_PTR answer = DialogBoxParamA(nullptr, "#MessageBox", owner, messageBoxProc, 0);
  return answer > 0 ? int(answer) : buttons.ids[0];
}

}  // namespace platform::user

// ------------------------------------------------------------ dropped files

namespace {

DropRecord* findDrop(HDROP drop) { return windowSystem().dialogs.drops.find(drop); }

}  // namespace

void DragAcceptFiles(HWND hwnd, BOOL accept) {
  LONG_PTR exStyle = GetWindowLongA(hwnd, GWL_EXSTYLE);
  SetWindowLongA(hwnd, GWL_EXSTYLE, accept ? (exStyle | WS_EX_ACCEPTFILES) : (exStyle & ~LONG_PTR(WS_EX_ACCEPTFILES)));
}

UINT DragQueryFileA(HDROP drop, UINT index, LPSTR buffer, UINT bufferSize) {
  DropRecord* record = findDrop(drop);
  if (record == nullptr) return 0;
  if (index == 0xFFFFFFFF) return UINT(record->paths.size());
  if (index >= record->paths.size()) return 0;
  const std::string& path = record->paths[index];
  if (buffer == nullptr) return UINT(path.size());
  if (bufferSize == 0) return 0;
  size_t count = std::min<size_t>(path.size(), bufferSize - 1);
  path.copy(buffer, count);
  buffer[count] = 0;
  return UINT(count);
}

BOOL DragQueryPoint(HDROP drop, LPPOINT point) {
  DropRecord* record = findDrop(drop);
  if (record == nullptr || point == nullptr) return FALSE;
  *point = record->point;
  return TRUE;
}

void DragFinish(HDROP drop) { windowSystem().dialogs.drops.remove(drop); }

namespace platform {

void registerDialogResource(const std::string& name, DialogTemplate dialog) {
  DialogTable& table = windowSystem().dialogs;
  table.resources[resourceKey(name.c_str())] = std::move(dialog);
}

void queueDialogScript(std::vector<DialogAction> actions) { windowSystem().dialogs.scripts.push_back(std::move(actions)); }
void clearDialogScripts() { windowSystem().dialogs.scripts.clear(); }

bool dropFiles(HWND hwnd, const std::vector<std::string>& paths, POINT client) {
  DialogTable& table = windowSystem().dialogs;
  if (!IsWindow(hwnd) || !(GetWindowLongA(hwnd, GWL_EXSTYLE) & WS_EX_ACCEPTFILES)) return false;
  HDROP drop = table.drops.add(DropRecord{paths, client});
  return drop != nullptr && PostMessageA(hwnd, WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0) != 0;
}

namespace {

bool acceptsFiles(HWND hwnd) { return (GetWindowLongA(hwnd, GWL_EXSTYLE) & WS_EX_ACCEPTFILES) != 0; }

BOOL CALLBACK findAcceptingChild(HWND hwnd, LPARAM found) {
  if (!acceptsFiles(hwnd)) return TRUE;
  *reinterpret_cast<bool*>(found) = true;
  return FALSE;
}

}  // namespace

bool acceptsDroppedFiles(HWND top) {
  if (!IsWindow(top)) return false;
  bool found = acceptsFiles(top);
  if (!found) EnumChildWindows(top, findAcceptingChild, reinterpret_cast<LPARAM>(&found));
  return found;
}

HWND dropTargetAt(HWND top, POINT screen) {
  RECT rect;
  if (!GetWindowRect(top, &rect) || !PtInRect(&rect, screen)) return nullptr;
  HWND hit = WindowFromPoint(screen);
  // The display found the point on `top`; our own stacking may still put
  // another top-level window (a menu, a tool tip) over it.
  if (hit != top && !IsChild(top, hit)) hit = top;
  for (; hit != nullptr; hit = hit == top ? nullptr : GetParent(hit))
    if (acceptsFiles(hit) && IsWindowEnabled(hit)) return hit;
  return nullptr;
}

void setMessageBoxesOnScreen(bool onScreen) { windowSystem().dialogs.boxesOnScreen = onScreen; }
bool messageBoxesOnScreen() { return windowSystem().dialogs.boxesOnScreen; }

}  // namespace platform
