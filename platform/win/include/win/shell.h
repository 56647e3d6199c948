// Shell and system settings: the drag-full-windows option, opening web addresses, the clock.
#pragma once

#include "win/types.h"

// Whether windows show their contents while dragged. There is no such option on this
// desktop: the value is kept per user in $XDG_CONFIG_HOME (else ~/.config)/quorvel-system/
// drag-full-windows, default on. Get: param_out is a BOOL*. Set: the new value is uiParam.
constexpr UINT SPI_SETDRAGFULLWINDOWS = 0x0025;
constexpr UINT SPI_GETDRAGFULLWINDOWS = 0x0026;
constexpr UINT SPIF_UPDATEINIFILE = 0x0001;  // without it a set lasts for this run only
constexpr UINT SPIF_SENDCHANGE = 0x0002;
BOOL SystemParametersInfoW(UINT action, UINT ui_param, LPVOID pv_param, UINT win_ini);

// Only the "open" verb (or null) with an http:// or https:// address is carried out, by
// xdg-open, without waiting for it. Returns a value above 32 on success (Windows' rule),
// SE_ERR_NOASSOC for anything refused.
constexpr int SE_ERR_FNF = 2;
constexpr int SE_ERR_NOASSOC = 31;
HINSTANCE ShellExecuteW(HWND window, LPCWSTR verb, LPCWSTR file, LPCWSTR parameters,
                        LPCWSTR directory, int show_command);

// "Now" for the program: 100-nanosecond intervals since 1601-01-01 UTC. The headless
// backend's virtual clock drives it, so tests can move lesson times forward.
struct FILETIME {
  DWORD dwLowDateTime;
  DWORD dwHighDateTime;
};
void GetSystemTimeAsFileTime(FILETIME* time);
// Milliseconds of the window system's own clock (the one timers and MSG::time run on).
DWORD GetTickCount();
