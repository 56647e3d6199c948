// Basic Windows types with their Windows sizes. Wide text is wchar_t (32-bit here).
#pragma once

#include <cstdint>

using BOOL = int;
using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using UINT = unsigned int;
using INT = int;
using LONG = std::int32_t;
using LONG_PTR = std::intptr_t;
using UINT_PTR = std::uintptr_t;
using DWORD_PTR = std::uintptr_t;
using WPARAM = UINT_PTR;
using LPARAM = LONG_PTR;
using LRESULT = LONG_PTR;
using LCID = DWORD;
using ATOM = WORD;
using COLORREF = DWORD;
using CHAR = char;
using WCHAR = wchar_t;
using LPSTR = char*;
using LPCSTR = const char*;
using LPWSTR = wchar_t*;
using LPCWSTR = const wchar_t*;
using LPVOID = void*;
using LPCVOID = const void*;
using HANDLE = void*;
using LPDWORD = DWORD*;

// Handles are distinct pointer types so that passing one kind for another does not compile.
#define QUORVEL_DECLARE_HANDLE(name) \
  struct name##__;                   \
  using name = name##__*
QUORVEL_DECLARE_HANDLE(HWND);
QUORVEL_DECLARE_HANDLE(HINSTANCE);
QUORVEL_DECLARE_HANDLE(HDC);
QUORVEL_DECLARE_HANDLE(HBRUSH);
QUORVEL_DECLARE_HANDLE(HFONT);
QUORVEL_DECLARE_HANDLE(HRGN);
QUORVEL_DECLARE_HANDLE(HPEN);
QUORVEL_DECLARE_HANDLE(HBITMAP);
QUORVEL_DECLARE_HANDLE(HMONITOR);
QUORVEL_DECLARE_HANDLE(HMENU);
QUORVEL_DECLARE_HANDLE(HICON);
QUORVEL_DECLARE_HANDLE(HCURSOR);
QUORVEL_DECLARE_HANDLE(HGDIOBJ);
#undef QUORVEL_DECLARE_HANDLE
using HMODULE = HINSTANCE;

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif

constexpr DWORD MAX_PATH = 260;

constexpr WORD LOWORD(DWORD_PTR value) { return static_cast<WORD>(value & 0xFFFF); }
constexpr WORD HIWORD(DWORD_PTR value) { return static_cast<WORD>((value >> 16) & 0xFFFF); }
constexpr LPARAM MAKELPARAM(int low, int high) {
  return static_cast<LPARAM>(static_cast<DWORD>((static_cast<DWORD>(low) & 0xFFFF) |
                                                ((static_cast<DWORD>(high) & 0xFFFF) << 16)));
}
constexpr WPARAM MAKEWPARAM(int low, int high) {
  return static_cast<WPARAM>(static_cast<DWORD>(MAKELPARAM(low, high)));
}
// Signed client coordinates packed into a mouse message's lParam.
constexpr int GET_X_LPARAM(LPARAM value) {
  return static_cast<short>(LOWORD(static_cast<DWORD_PTR>(value)));
}
constexpr int GET_Y_LPARAM(LPARAM value) {
  return static_cast<short>(HIWORD(static_cast<DWORD_PTR>(value)));
}

// 0x00BBGGRR.
constexpr COLORREF RGB(int red, int green, int blue) {
  return static_cast<COLORREF>((red & 0xFF) | ((green & 0xFF) << 8) | ((blue & 0xFF) << 16));
}
constexpr BYTE GetRValue(COLORREF color) { return static_cast<BYTE>(color & 0xFF); }
constexpr BYTE GetGValue(COLORREF color) { return static_cast<BYTE>((color >> 8) & 0xFF); }
constexpr BYTE GetBValue(COLORREF color) { return static_cast<BYTE>((color >> 16) & 0xFF); }

struct POINT {
  LONG x;
  LONG y;
};
using POINTL = POINT;
using LPPOINT = POINT*;

struct SIZE {
  LONG cx;
  LONG cy;
};

// Right and bottom are exclusive.
struct RECT {
  LONG left;
  LONG top;
  LONG right;
  LONG bottom;
};
using LPRECT = RECT*;
using LPCRECT = const RECT*;

// Resource identifiers given as numbers travel in the pointer, as MAKEINTRESOURCEW does.
inline LPCWSTR MAKEINTRESOURCEW(int id) {
  return reinterpret_cast<LPCWSTR>(static_cast<UINT_PTR>(static_cast<WORD>(id)));
}
