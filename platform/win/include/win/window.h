// Windows, their classes, messages, timers, focus and hotkeys.
//
// Every window belongs to the thread that created it; that thread's message queue receives
// what is posted to it and runs its procedure. Only PostMessageW, PostThreadMessageW,
// SendMessageW, IsWindow and the read-only queries may be called from other threads.
// Handles are never reused within a run: a destroyed window's handle stays dead.
#pragma once

#include "win/messages.h"
#include "win/types.h"

#define CALLBACK
using WNDPROC = LRESULT (*)(HWND, UINT, WPARAM, LPARAM);
using TIMERPROC = void (*)(HWND, UINT, UINT_PTR, DWORD);

// Class styles.
constexpr UINT CS_VREDRAW = 0x0001;
constexpr UINT CS_HREDRAW = 0x0002;
constexpr UINT CS_DBLCLKS = 0x0008;

struct WNDCLASSEXW {
  UINT cbSize;  // sizeof(WNDCLASSEXW)
  UINT style;
  WNDPROC lpfnWndProc;
  int cbClsExtra;
  int cbWndExtra;
  HINSTANCE hInstance;
  HICON hIcon;
  HCURSOR hCursor;
  HBRUSH hbrBackground;  // filled by DefWindowProcW on WM_ERASEBKGND
  LPCWSTR lpszMenuName;
  LPCWSTR lpszClassName;
  HICON hIconSm;
};

struct CREATESTRUCTW {
  LPVOID lpCreateParams;
  HINSTANCE hInstance;
  HMENU hMenu;
  HWND hwndParent;
  int cy;
  int cx;
  int y;
  int x;
  LONG style;
  LPCWSTR lpszName;
  LPCWSTR lpszClass;
  DWORD dwExStyle;
};

// A message as the queue hands it out. lPrivate carries the character that TranslateMessage
// turns a key press into (0 when it has none).
struct MSG {
  HWND hwnd;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  DWORD time;
  POINT pt;
  DWORD lPrivate;
};
using LPMSG = MSG*;

// Window styles.
constexpr DWORD WS_OVERLAPPED = 0x00000000;
constexpr DWORD WS_POPUP = 0x80000000;
constexpr DWORD WS_CHILD = 0x40000000;
constexpr DWORD WS_MINIMIZE = 0x20000000;
constexpr DWORD WS_VISIBLE = 0x10000000;
constexpr DWORD WS_DISABLED = 0x08000000;
constexpr DWORD WS_CLIPSIBLINGS = 0x04000000;
constexpr DWORD WS_CLIPCHILDREN = 0x02000000;
constexpr DWORD WS_MAXIMIZE = 0x01000000;
constexpr DWORD WS_BORDER = 0x00800000;
constexpr DWORD WS_DLGFRAME = 0x00400000;
constexpr DWORD WS_CAPTION = 0x00C00000;
constexpr DWORD WS_SYSMENU = 0x00080000;
constexpr DWORD WS_THICKFRAME = 0x00040000;
constexpr DWORD WS_MINIMIZEBOX = 0x00020000;
constexpr DWORD WS_MAXIMIZEBOX = 0x00010000;
constexpr DWORD WS_OVERLAPPEDWINDOW = 0x00CF0000;
// Extended styles.
constexpr DWORD WS_EX_TOPMOST = 0x00000008;
constexpr DWORD WS_EX_TRANSPARENT = 0x00000020;
constexpr DWORD WS_EX_TOOLWINDOW = 0x00000080;
constexpr DWORD WS_EX_STATICEDGE = 0x00020000;
constexpr DWORD WS_EX_APPWINDOW = 0x00040000;

// The system picks: position 0, 0 and half of the primary work area as size.
constexpr int CW_USEDEFAULT = static_cast<int>(0x80000000);

// Windows have no frame here (the program draws its own caption): the client area is the
// whole window rectangle, whatever the style bits say.
ATOM RegisterClassExW(const WNDCLASSEXW* window_class);
BOOL UnregisterClassW(LPCWSTR class_name, HINSTANCE instance);
// Sends WM_NCCREATE, WM_CREATE, WM_SIZE and WM_MOVE, then WM_SHOWWINDOW when WS_VISIBLE is
// given. A child (WS_CHILD) needs a parent; any other window given a parent is owned by it.
HWND CreateWindowExW(DWORD ex_style, LPCWSTR class_name, LPCWSTR window_name, DWORD style, int x,
                     int y, int width, int height, HWND parent, HMENU menu, HINSTANCE instance,
                     LPVOID param);
// Destroys the owned windows first, then sends WM_DESTROY to the window and its children,
// then WM_NCDESTROY to each (the last message). Only the owning thread may destroy.
BOOL DestroyWindow(HWND window);
BOOL IsWindow(HWND window);
LRESULT DefWindowProcW(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
LRESULT CallWindowProcW(WNDPROC procedure, HWND window, UINT message, WPARAM wparam, LPARAM lparam);

constexpr int GWLP_WNDPROC = -4;
constexpr int GWLP_HINSTANCE = -6;
constexpr int GWLP_HWNDPARENT = -8;  // the owner
constexpr int GWLP_ID = -12;
constexpr int GWL_STYLE = -16;
constexpr int GWL_EXSTYLE = -20;
constexpr int GWLP_USERDATA = -21;
// Both return the previous value (0 for a bad window or index).
LONG_PTR SetWindowLongPtrW(HWND window, int index, LONG_PTR value);
LONG_PTR GetWindowLongPtrW(HWND window, int index);

BOOL SetWindowTextW(HWND window, LPCWSTR text);
int GetWindowTextW(HWND window, LPWSTR text, int size);
int GetClassNameW(HWND window, LPWSTR class_name, int size);

// Messages. A successful post hands whatever the parameters point to over to the receiving
// window, which frees it once handled (the program's engine records, for one). A post to a
// window that does not exist, or no longer does, returns FALSE and the poster keeps (and
// frees) its payload. A window destroyed after the post never sees the message: its payload
// is then lost with it, so a receiver that owns payloads drains its queue before it goes.
// Null window: posted to the calling thread, as PostThreadMessageW.
BOOL PostMessageW(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
BOOL PostThreadMessageW(DWORD thread_id, UINT message, WPARAM wparam, LPARAM lparam);
LRESULT SendMessageW(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
// Blocks until a message: sent messages are delivered inside, then posted ones in each
// poster's order, then WM_QUIT, WM_PAINT and WM_TIMER. Returns 0 for WM_QUIT, -1 on error.
BOOL GetMessageW(LPMSG message, HWND window, UINT first, UINT last);
constexpr UINT PM_NOREMOVE = 0x0000;
constexpr UINT PM_REMOVE = 0x0001;
BOOL PeekMessageW(LPMSG message, HWND window, UINT first, UINT last, UINT remove);
BOOL TranslateMessage(const MSG* message);
LRESULT DispatchMessageW(const MSG* message);
void PostQuitMessage(int exit_code);
// Blocks until the calling thread's queue has something to retrieve.
BOOL WaitMessage();

// Timers: one per window and id; setting a running id again replaces it. Null window: the
// id is chosen and WM_TIMER goes to the thread with a null window. Timers die with their window.
UINT_PTR SetTimer(HWND window, UINT_PTR id, UINT elapse_ms, TIMERPROC callback);
BOOL KillTimer(HWND window, UINT_PTR id);

// Painting. The update region is a rectangle here; WM_PAINT comes when the queue is idle.
struct PAINTSTRUCT {
  HDC hdc;
  BOOL fErase;
  RECT rcPaint;
  BOOL fRestore;
  BOOL fIncUpdate;
  BYTE rgbReserved[32];
};
BOOL InvalidateRect(HWND window, const RECT* rect, BOOL erase);
BOOL ValidateRect(HWND window, const RECT* rect);
BOOL UpdateWindow(HWND window);
BOOL GetUpdateRect(HWND window, LPRECT rect, BOOL erase);
HDC BeginPaint(HWND window, PAINTSTRUCT* paint);
BOOL EndPaint(HWND window, const PAINTSTRUCT* paint);

// Showing, placing and stacking.
constexpr int SW_HIDE = 0;
constexpr int SW_SHOWNORMAL = 1;
constexpr int SW_NORMAL = 1;
constexpr int SW_SHOWMINIMIZED = 2;
constexpr int SW_SHOWMAXIMIZED = 3;
constexpr int SW_MAXIMIZE = 3;
constexpr int SW_SHOWNOACTIVATE = 4;
constexpr int SW_SHOW = 5;
constexpr int SW_MINIMIZE = 6;
constexpr int SW_SHOWMINNOACTIVE = 7;
constexpr int SW_SHOWNA = 8;
constexpr int SW_RESTORE = 9;
// Returns whether the window was visible before.
BOOL ShowWindow(HWND window, int command);
BOOL IsWindowVisible(HWND window);  // the window and all its ancestors have WS_VISIBLE
BOOL IsIconic(HWND window);
BOOL IsZoomed(HWND window);
BOOL EnableWindow(HWND window, BOOL enable);  // returns whether it was disabled before
BOOL IsWindowEnabled(HWND window);

BOOL MoveWindow(HWND window, int x, int y, int width, int height, BOOL repaint);
inline HWND const HWND_TOP = reinterpret_cast<HWND>(0);
inline HWND const HWND_BOTTOM = reinterpret_cast<HWND>(1);
inline HWND const HWND_TOPMOST = reinterpret_cast<HWND>(-1);
inline HWND const HWND_NOTOPMOST = reinterpret_cast<HWND>(-2);
constexpr UINT SWP_NOSIZE = 0x0001;
constexpr UINT SWP_NOMOVE = 0x0002;
constexpr UINT SWP_NOZORDER = 0x0004;
constexpr UINT SWP_NOREDRAW = 0x0008;
constexpr UINT SWP_NOACTIVATE = 0x0010;
constexpr UINT SWP_SHOWWINDOW = 0x0040;
constexpr UINT SWP_HIDEWINDOW = 0x0080;
// HWND_TOPMOST puts the window (and the windows it owns) into the topmost band;
// HWND_NOTOPMOST takes it out, to the top of the normal band.
BOOL SetWindowPos(HWND window, HWND insert_after, int x, int y, int width, int height, UINT flags);
BOOL BringWindowToTop(HWND window);
// Screen coordinates; the client rectangle's origin is always 0, 0.
BOOL GetWindowRect(HWND window, LPRECT rect);
BOOL GetClientRect(HWND window, LPRECT rect);
BOOL ClientToScreen(HWND window, LPPOINT point);
BOOL ScreenToClient(HWND window, LPPOINT point);
// Converts count points (two for a RECT) from one client space to another; null = the screen.
int MapWindowPoints(HWND from, HWND to, LPPOINT points, UINT count);

// Relations. GetParent gives the parent of a child and the owner of a WS_POPUP window.
HWND GetParent(HWND window);
constexpr UINT GW_HWNDFIRST = 0;
constexpr UINT GW_HWNDLAST = 1;
constexpr UINT GW_HWNDNEXT = 2;  // the next window below in the z-order
constexpr UINT GW_HWNDPREV = 3;
constexpr UINT GW_OWNER = 4;
constexpr UINT GW_CHILD = 5;  // the top child
HWND GetWindow(HWND window, UINT command);
constexpr UINT GA_PARENT = 1;
constexpr UINT GA_ROOT = 2;
constexpr UINT GA_ROOTOWNER = 3;
HWND GetAncestor(HWND window, UINT flags);
BOOL IsChild(HWND parent, HWND window);
// A top-level window by class and (when given) title; with X11 also other programs' windows.
HWND FindWindowW(LPCWSTR class_name, LPCWSTR window_name);
HWND GetDesktopWindow();

// Activation, focus, capture.
HWND GetForegroundWindow();
BOOL SetForegroundWindow(HWND window);
HWND GetActiveWindow();
HWND SetActiveWindow(HWND window);
HWND SetFocus(HWND window);  // returns the window that had the focus
HWND GetFocus();
HWND SetCapture(HWND window);
BOOL ReleaseCapture();
HWND GetCapture();
constexpr DWORD TME_LEAVE = 0x00000002;
constexpr DWORD TME_CANCEL = 0x80000000;
struct TRACKMOUSEEVENT {
  DWORD cbSize;
  DWORD dwFlags;
  HWND hwndTrack;
  DWORD dwHoverTime;
};
// WM_MOUSELEAVE once the cursor leaves the window's client area.
BOOL TrackMouseEvent(TRACKMOUSEEVENT* track);

// Threads.
DWORD GetCurrentThreadId();
DWORD GetCurrentProcessId();
// The creating thread's id; process_id receives the owning process (another one for a
// window that FindWindowW found in another program).
DWORD GetWindowThreadProcessId(HWND window, LPDWORD process_id);
// Input state is shared by the whole process here, so attaching only checks the ids.
BOOL AttachThreadInput(DWORD attach, DWORD attach_to, BOOL do_attach);

// Keyboard state of the keys the window system has seen; the high bit is set while down.
short GetKeyState(int virtual_key);
short GetAsyncKeyState(int virtual_key);

// System-wide hotkeys. A combination already taken (by this program or another one)
// fails; so does an id already registered on the same window.
constexpr UINT MOD_ALT = 0x0001;
constexpr UINT MOD_CONTROL = 0x0002;
constexpr UINT MOD_SHIFT = 0x0004;
constexpr UINT MOD_WIN = 0x0008;
constexpr UINT MOD_NOREPEAT = 0x4000;  // a held combination gives one WM_HOTKEY
BOOL RegisterHotKey(HWND window, int id, UINT modifiers, UINT virtual_key);
BOOL UnregisterHotKey(HWND window, int id);

// Resources. Icons are the program file's own (win/icon_resource.h), loaded once and shared
// for the process's life; a name that is no numbered icon of the program gives null. Cursors
// are drawn by the program itself: the cursor calls succeed with null handles.
HICON LoadIconW(HINSTANCE instance, LPCWSTR name);
HCURSOR LoadCursorW(HINSTANCE instance, LPCWSTR name);
inline LPCWSTR const IDC_ARROW = MAKEINTRESOURCEW(32512);
inline LPCWSTR const IDC_HAND = MAKEINTRESOURCEW(32649);
inline LPCWSTR const IDC_IBEAM = MAKEINTRESOURCEW(32513);
HCURSOR SetCursor(HCURSOR cursor);
HINSTANCE GetModuleHandleW(LPCWSTR module_name);

// The clipboard: text only (CF_UNICODETEXT, a null-terminated wchar_t string in a movable
// block). Under X11 it is the desktop's CLIPBOARD selection, shared with every program;
// headless it is the process's own.
constexpr UINT CF_UNICODETEXT = 13;
BOOL OpenClipboard(HWND owner);
BOOL CloseClipboard();
// Makes this program the clipboard's owner with nothing on it; only while opened.
BOOL EmptyClipboard();
// Takes the block on success; only after EmptyClipboard.
HANDLE SetClipboardData(UINT format, HANDLE memory);
// The clipboard's own block, valid until the clipboard is closed; null when it holds no text.
HANDLE GetClipboardData(UINT format);
