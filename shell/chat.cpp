// shell/chat.cpp -- the chat window; see chat.h.
#include "shell/chat.h"

#include <cstring>
#include <string>

#include "core/apphandles.h"
#include "core/world.h"
#include "multiuser/send.h"
#include "platform/windows.h"
#include "shell/labels.h"
#include "shell/mainparts.h"
#include "shell/nickname.h"
#include "shell/placement.h"

namespace {

constexpr int kWidth = 480;
constexpr int kHeight = 400;
constexpr int kMargin = 5;
constexpr int kEditHeight = 20;
constexpr int kBelowPane = 35;  // client height not taken by the pane
constexpr int kEditId = 1;

// The chat window's part of the main window's record.
ZmChatState& chat() { return zmMainWindowParts().chat; }

ZmChat* recordOf(HWND frame) { return reinterpret_cast<ZmChat*>(GetWindowLongPtrA(frame, 0)); }

void layOut(ZmChat* record) {
  record->paneX = kMargin;
  record->paneY = kMargin;
  record->paneWidth = record->width - 2 * kMargin;
  record->paneHeight = record->height - kBelowPane;
  record->editX = kMargin;
  record->editY = record->paneY + record->paneHeight + kMargin;
  record->editWidth = record->width - 2 * kMargin;
  record->editHeight = kEditHeight;
  if (record->pane != nullptr)
    MoveWindow(record->pane->hwnd, record->paneX, record->paneY, record->paneWidth, record->paneHeight, TRUE);
  if (record->edit != nullptr)
    MoveWindow(record->edit, record->editX, record->editY, record->editWidth, record->editHeight, TRUE);
}

// The edit field has a black background on the black frame: a white line
// one pixel outside it shows where to write.
void paintEditFrame(HWND frame, const ZmChat* record) {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(frame, &paint);
  const RECT around{record->editX - 1, record->editY - 1, record->editX + record->editWidth + 1,
                    record->editY + record->editHeight + 1};
  FrameRect(dc, &around, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  EndPaint(frame, &paint);
}

// Enter: nickname, ": " and the field's text go to the pane and the server
// (with a world on show), and the field is emptied.
void sendLine(ZmChat* record) {
  const char* nickname = zmGetUserName();
  const int limit = zmChatInputLimit(nickname);
  std::string text(size_t(limit > 0 ? limit : 0) + 1, '\0');
  text.resize(size_t(GetWindowTextA(record->edit, text.data(), int(text.size()))));
  const std::string line = std::string(nickname) + ": " + text;
  if (ZmWorld* world = zmGetCurrentWorld()) {
    zmChatDisplay(world->person, line.c_str());
    zmqxSendChatStr(world->person, line.c_str());
  }
  SetWindowTextA(record->edit, "");
}

LRESULT CALLBACK editProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam) {
  HWND frame = GetParent(edit);
  ZmChat* record = recordOf(frame);
  if (message == WM_CHAR && (wParam == '\n' || wParam == '\r')) {
    PostMessageA(frame, ZM_CHAT_SEND_LINE, reinterpret_cast<WPARAM>(edit), 0);
    return 0;
  }
  return CallWindowProcA(record->editPrevProc, edit, message, wParam, lParam);
}

LRESULT CALLBACK frameProc(HWND frame, UINT message, WPARAM wParam, LPARAM lParam) {
  ZmChat* record = recordOf(frame);
  if (record == nullptr && message != WM_CREATE) return DefWindowProcA(frame, message, wParam, lParam);
  switch (message) {
    case WM_CREATE:
      SetWindowLongPtrA(frame, 0,
                        reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams));
      return 0;
    case WM_SIZE:
      record->width = LOWORD(lParam);
      record->height = HIWORD(lParam);
      layOut(record);
      return 0;
    case WM_PAINT:
      paintEditFrame(frame, record);
      return 0;
    case WM_CTLCOLOREDIT:
      SetTextColor(reinterpret_cast<HDC>(wParam), RGB(0xFF, 0xFF, 0xFF));
      SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
      return reinterpret_cast<LRESULT>(record->editBrush);
    case ZM_CHAT_SEND_LINE:
      sendLine(record);
      return 0;
    case WM_CLOSE:
      // The Chat command hides the window and clears its check mark.
      SendMessageA(zmGetMainHwnd(), WM_COMMAND, ZM_CHAT_COMMAND, reinterpret_cast<LPARAM>(frame));
      return 0;
    case WM_SETFOCUS:
      SetFocus(record->edit);
      return 0;
    default:
      return DefWindowProcA(frame, message, wParam, lParam);
  }
}

bool registerFrameClass(HINSTANCE instance) {
  WNDCLASSA wc{};
  if (GetClassInfoA(instance, ZM_CHAT_CLASS, &wc)) return true;
  wc.style = CS_HREDRAW | CS_VREDRAW;
  wc.lpfnWndProc = frameProc;
  wc.cbWndExtra = 4;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  wc.lpszClassName = ZM_CHAT_CLASS;
  return RegisterClassA(&wc) != 0;
}

bool createParts(ZmChat* record, HINSTANCE instance) {
  record->frame = CreateWindowExA(0, ZM_CHAT_CLASS, "Chat", WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME, 0, 0,
                                  kWidth, kHeight, nullptr, nullptr, instance, record);
  if (record->frame == nullptr) return false;
  record->pane = zmNewLogView(record->frame, ZM_CHAT_MAX_LINES);
  if (record->pane == nullptr) return false;
  record->edit = CreateWindowExA(0, "edit", "", WS_CHILD | WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL, 0, 0, 0, 0,
                                 record->frame, reinterpret_cast<HMENU>(intptr_t(kEditId)), instance, nullptr);
  if (record->edit == nullptr) return false;
  record->editPrevProc =
      reinterpret_cast<WNDPROC>(SetWindowLongPtrA(record->edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(editProc)));
  RECT client{};
  GetClientRect(record->frame, &client);
  record->width = client.right;
  record->height = client.bottom;
  layOut(record);
  SendMessageA(record->edit, EM_LIMITTEXT, WPARAM(zmChatInputLimit(zmGetUserName())), 0);
  return true;
}

int showOrHide(UINT how) {
  ZmChatState& chat = zmMainWindowParts().chat;
  if (chat.window == nullptr || chat.window->frame == nullptr) return -1;
  // Right of the main window, where it leaves the menu, location bar and view uncovered.
  if ((how & SWP_SHOWWINDOW) && !chat.window->placed) {
    zmPlaceWindowBeside(chat.window->frame, zmGetMainHwnd(), ZmSide::Right);
    chat.window->placed = true;
  }
  SetWindowPos(chat.window->frame, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | how);
  return 0;
}

}  // namespace

int zmChatInit() {
  ZmChatState& chat = zmMainWindowParts().chat;
  HINSTANCE instance = zmGetHinstance();
  if (!registerFrameClass(instance)) return -1;
  zmChatLabelInitFont();
  if (chat.window != nullptr) zmChatExit();
  chat.window = new ZmChat{};
  chat.window->editBrush = CreateSolidBrush(RGB(0, 0, 0));
  if (createParts(chat.window, instance)) return 0;
  zmChatExit();
  return -1;
}

int zmChatExit() {
  ZmChatState& chat = zmMainWindowParts().chat;
  if (chat.window == nullptr) return 0;
  zmDeleteLogView(chat.window->pane);
  if (chat.window->frame != nullptr) DestroyWindow(chat.window->frame);
  DeleteObject(chat.window->editBrush);
  delete chat.window;
  chat.window = nullptr;
  chat.chatFlag = 0;
  zmChatLabelExitFont();
  return 0;
}

int zmChatShow() { return showOrHide(SWP_SHOWWINDOW); }
int zmChatHide() { return showOrHide(SWP_HIDEWINDOW); }

int zmChatCommand(HWND mainWindow) {
  ZmChatState& chat = zmMainWindowParts().chat;
  chat.chatFlag = !chat.chatFlag;
  if (chat.chatFlag)
    zmChatShow();
  else
    zmChatHide();
  if (HMENU menu = GetMenu(mainWindow)) CheckMenuItem(menu, ZM_CHAT_COMMAND, chat.chatFlag ? MF_CHECKED : MF_UNCHECKED);
  return 0;
}

void zmChatDisplay(ZmObj* object, const char* text) {
  ZmChatState& chat = zmMainWindowParts().chat;
  if (text == nullptr) return;
  ++chat.linesShown;
  if (chat.window != nullptr) zmLogAppend(chat.window->pane, text);
  zmChatLabelSay(object, text);
}

int zmChatInputLimit(const char* nickname) {
  return zmqxChatTextLimit() - int(std::strlen(nickname)) - 3;
}

ZmChat* zmGetChat() { return chat().window; }
long zmChatLineCount() { return chat().linesShown; }
