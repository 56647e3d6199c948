// System services: locale, folders and files, the program file and its version, the debugger
// output and code-page conversion. Each maps to its Linux counterpart (see the notes below).
#pragma once

#include <cstddef>

#include "win/types.h"

// The user's locale from LC_ALL, LC_MESSAGES or LANG, whichever is set first: zh_CN and bare
// zh give 0x0804, zh_TW 0x0404, zh_HK 0x0C04, zh_SG 0x1004, zh_MO 0x1404, anything else 0x0409.
LCID GetUserDefaultLCID();

// Roaming application data is $XDG_CONFIG_HOME, else ~/.config (the home folder from $HOME or
// the password database). The folder is never created here; create must be FALSE.
constexpr int CSIDL_APPDATA = 0x001a;
BOOL SHGetSpecialFolderPathA(HWND owner, LPSTR path, int csidl, BOOL create);

BOOL CreateDirectoryA(LPCSTR path, LPVOID security_attributes);
BOOL PathFileExistsA(LPCSTR path);

// MOVEFILE_WRITE_THROUGH returns only once the moved file and its folder entry are on disk.
constexpr DWORD MOVEFILE_REPLACE_EXISTING = 0x1;
constexpr DWORD MOVEFILE_WRITE_THROUGH = 0x8;
BOOL MoveFileExA(LPCSTR existing, LPCSTR replacement, DWORD flags);

// The program file's path; module must be null (the running program).
DWORD GetModuleFileNameW(HMODULE module, LPWSTR filename, DWORD size);

// Libraries loaded at run time, by file name as the dynamic loader finds them. A failed call
// sets the thread's last error: ERROR_MOD_NOT_FOUND for a library that cannot be loaded,
// ERROR_PROC_NOT_FOUND for a name it does not export. Loaded libraries stay until freed.
constexpr DWORD ERROR_MOD_NOT_FOUND = 126;
constexpr DWORD ERROR_PROC_NOT_FOUND = 127;
using FARPROC = void (*)();
HMODULE LoadLibraryA(LPCSTR file_name);
FARPROC GetProcAddress(HMODULE module, LPCSTR name);
BOOL FreeLibrary(HMODULE module);
DWORD GetLastError();

// The fixed part of a version resource. Executables carry it in the section named by
// kVersionSectionName (stamped by the build), and these calls read it back from the file.
struct VS_FIXEDFILEINFO {
  DWORD dwSignature;
  DWORD dwStrucVersion;
  DWORD dwFileVersionMS;
  DWORD dwFileVersionLS;
  DWORD dwProductVersionMS;
  DWORD dwProductVersionLS;
  DWORD dwFileFlagsMask;
  DWORD dwFileFlags;
  DWORD dwFileOS;
  DWORD dwFileType;
  DWORD dwFileSubtype;
  DWORD dwFileDateMS;
  DWORD dwFileDateLS;
};
constexpr DWORD VS_FFI_SIGNATURE = 0xFEEF04BD;
constexpr DWORD VS_FFI_STRUCVERSION = 0x00010000;
constexpr const char* kVersionSectionName = ".quorvel_version";

DWORD GetFileVersionInfoSizeW(LPCWSTR filename, DWORD* handle);
BOOL GetFileVersionInfoW(LPCWSTR filename, DWORD handle, DWORD size, LPVOID data);
// Only the root block "\\" (the fixed file information) exists.
BOOL VerQueryValueW(LPCVOID block, LPCWSTR sub_block, LPVOID* buffer, UINT* length);

// Written to standard error when QUORVEL_DEBUG is set to anything but "0"; discarded otherwise.
void OutputDebugStringW(LPCWSTR text);

// The ANSI code page is the locale's character set, which is UTF-8 here. Invalid input
// decodes to U+FFFD, or fails the whole call (0) with MB_ERR_INVALID_CHARS; characters UTF-8
// cannot hold encode as the default character.
constexpr UINT CP_ACP = 0;
constexpr UINT CP_UTF8 = 65001;
constexpr DWORD MB_ERR_INVALID_CHARS = 0x08;
int MultiByteToWideChar(UINT code_page, DWORD flags, LPCSTR text, int bytes, LPWSTR wide,
                        int wide_chars);
int WideCharToMultiByte(UINT code_page, DWORD flags, LPCWSTR wide, int wide_chars, LPSTR text,
                        int bytes, LPCSTR default_char, BOOL* used_default_char);

// Requests to end the program from outside: SIGINT arrives as CTRL_C_EVENT, SIGHUP (the
// terminal went) as CTRL_CLOSE_EVENT, SIGTERM (a logout, a shutdown, kill) as
// CTRL_SHUTDOWN_EVENT. Handlers run on a thread of the window system's own, the last added
// first, until one returns TRUE; when none does, the signal ends the program as it would have
// without handlers. The thread runs while any handler is registered. The desktop's display
// going away arrives as CTRL_LOGOFF_EVENT, held for the first handler when none is registered.
constexpr DWORD CTRL_C_EVENT = 0;
constexpr DWORD CTRL_CLOSE_EVENT = 2;
constexpr DWORD CTRL_LOGOFF_EVENT = 5;
constexpr DWORD CTRL_SHUTDOWN_EVENT = 6;
using PHANDLER_ROUTINE = BOOL (*)(DWORD ctrl_type);
BOOL SetConsoleCtrlHandler(PHANDLER_ROUTINE handler, BOOL add);

// Movable memory blocks, as the clipboard takes and gives them. A block given to
// SetClipboardData belongs to the clipboard from then on.
using HGLOBAL = HANDLE;
constexpr UINT GMEM_MOVEABLE = 0x0002;
HGLOBAL GlobalAlloc(UINT flags, std::size_t bytes);
LPVOID GlobalLock(HGLOBAL memory);
BOOL GlobalUnlock(HGLOBAL memory);
std::size_t GlobalSize(HGLOBAL memory);
// Null once freed; the block itself when it is no block.
HGLOBAL GlobalFree(HGLOBAL memory);
