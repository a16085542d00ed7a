// platform/wintypes.h -- the basic types, handles and macros of the Windows
// interfaces, as the program's code names them.
//
// Owns: integer and pointer-sized word types, handle types, RECT/POINT/SIZE,
// MSG and the window-procedure type, and the small packing macros. It does not
// own any function: windows and messages live in winuser.h, drawing in wingdi.h.
//
// Words that carry a pointer or an integer (WPARAM, LPARAM, LRESULT, window
// words) are pointer-sized on this 64-bit system; types that describe file or
// wire layouts (BYTE, WORD, DWORD, LONG) keep their exact widths.
#ifndef LUMENFOLD_PLATFORM_WINTYPES_H
#define LUMENFOLD_PLATFORM_WINTYPES_H

#include <cstddef>
#include <cstdint>

#define WINAPI
#define CALLBACK
#define APIENTRY

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif

#define MAX_PATH 260

typedef int BOOL;
typedef int INT;
typedef unsigned int UINT;
typedef uint8_t BYTE;
typedef uint16_t WORD;
typedef uint32_t DWORD;
typedef int32_t LONG;
typedef uint32_t ULONG;
typedef int16_t SHORT;
typedef uint16_t USHORT;
typedef char CHAR;
typedef unsigned char UCHAR;
typedef intptr_t LONG_PTR;
typedef uintptr_t ULONG_PTR;
typedef uintptr_t DWORD_PTR;
typedef uintptr_t UINT_PTR;
typedef intptr_t INT_PTR;
typedef uintptr_t WPARAM;
typedef intptr_t LPARAM;
typedef intptr_t LRESULT;
typedef uint16_t ATOM;
typedef DWORD COLORREF;

typedef void* LPVOID;
typedef const void* LPCVOID;
typedef char* LPSTR;
typedef const char* LPCSTR;
typedef BYTE* LPBYTE;
typedef DWORD* LPDWORD;
typedef LONG* LPLONG;
typedef BOOL* LPBOOL;
typedef int* LPINT;

typedef void* HANDLE;

// Distinct handle types, so that passing a window where a DC is due does not
// compile. The structs are never defined: handles are keys into the
// platform's own tables, checked on every call.
#define LF_DECLARE_HANDLE(name) \
  struct name##__;              \
  typedef struct name##__* name

LF_DECLARE_HANDLE(HWND);
LF_DECLARE_HANDLE(HINSTANCE);
LF_DECLARE_HANDLE(HMENU);
LF_DECLARE_HANDLE(HICON);
LF_DECLARE_HANDLE(HDC);
LF_DECLARE_HANDLE(HBITMAP);
LF_DECLARE_HANDLE(HPALETTE);
LF_DECLARE_HANDLE(HFONT);
LF_DECLARE_HANDLE(HPEN);
LF_DECLARE_HANDLE(HBRUSH);
LF_DECLARE_HANDLE(HRGN);
LF_DECLARE_HANDLE(HKEY);
LF_DECLARE_HANDLE(HDROP);
typedef HINSTANCE HMODULE;
typedef HICON HCURSOR;
typedef HANDLE HGDIOBJ;
typedef HANDLE HGLOBAL;

typedef LRESULT(CALLBACK* WNDPROC)(HWND, UINT, WPARAM, LPARAM);
typedef void(CALLBACK* TIMERPROC)(HWND, UINT, UINT_PTR, DWORD);
typedef INT_PTR (*FARPROC)();

struct RECT {
  LONG left;
  LONG top;
  LONG right;
  LONG bottom;
};
typedef RECT* LPRECT;
typedef const RECT* LPCRECT;

struct POINT {
  LONG x;
  LONG y;
};
typedef POINT* LPPOINT;

struct SIZE {
  LONG cx;
  LONG cy;
};
typedef SIZE* LPSIZE;

struct MSG {
  HWND hwnd;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  DWORD time;
  POINT pt;
};
typedef MSG* LPMSG;

#define LOWORD(l) ((WORD)(((DWORD_PTR)(l)) & 0xffff))
#define HIWORD(l) ((WORD)((((DWORD_PTR)(l)) >> 16) & 0xffff))
#define LOBYTE(w) ((BYTE)(((DWORD_PTR)(w)) & 0xff))
#define HIBYTE(w) ((BYTE)((((DWORD_PTR)(w)) >> 8) & 0xff))
#define MAKEWORD(a, b) ((WORD)(((BYTE)(a)) | ((WORD)((BYTE)(b))) << 8))
#define MAKELONG(a, b) ((LONG)(((WORD)(a)) | ((DWORD)((WORD)(b))) << 16))
#define MAKELPARAM(l, h) ((LPARAM)(DWORD)MAKELONG(l, h))
#define MAKEWPARAM(l, h) ((WPARAM)(DWORD)MAKELONG(l, h))
#define MAKELRESULT(l, h) ((LRESULT)(DWORD)MAKELONG(l, h))

#define RGB(r, g, b) ((COLORREF)(((BYTE)(r)) | ((WORD)((BYTE)(g)) << 8) | (((DWORD)(BYTE)(b)) << 16)))
#define GetRValue(c) ((BYTE)(c))
#define GetGValue(c) ((BYTE)(((WORD)(c)) >> 8))
#define GetBValue(c) ((BYTE)((c) >> 16))
#define PALETTERGB(r, g, b) (0x02000000 | RGB(r, g, b))
#define PALETTEINDEX(i) ((COLORREF)(0x01000000 | (DWORD)(WORD)(i)))

#endif
