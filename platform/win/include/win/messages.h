// Window message numbers and the codes that travel with them.
#pragma once

#include "win/types.h"

constexpr UINT WM_NULL = 0x0000;
constexpr UINT WM_CREATE = 0x0001;  // lParam: CREATESTRUCTW*; -1 from the procedure fails creation
constexpr UINT WM_DESTROY = 0x0002;
constexpr UINT WM_MOVE = 0x0003;       // lParam: client origin x | y << 16 (signed; parent's client
                                       // space for a child, the screen otherwise)
constexpr UINT WM_SIZE = 0x0005;       // wParam: SIZE_*; lParam: client width | height << 16
constexpr UINT WM_ACTIVATE = 0x0006;   // wParam: WA_ACTIVE or WA_INACTIVE
constexpr UINT WM_SETFOCUS = 0x0007;   // wParam: the window that lost the focus
constexpr UINT WM_KILLFOCUS = 0x0008;  // wParam: the window that gets the focus
constexpr UINT WM_ENABLE = 0x000A;     // wParam: TRUE when enabled
constexpr UINT WM_SETTEXT = 0x000C;
constexpr UINT WM_PAINT = 0x000F;
constexpr UINT WM_CLOSE = 0x0010;
constexpr UINT WM_QUIT = 0x0012;        // wParam: exit code; never dispatched
constexpr UINT WM_ERASEBKGND = 0x0014;  // wParam: HDC
constexpr UINT WM_SHOWWINDOW = 0x0018;  // wParam: TRUE when shown
constexpr UINT WM_ACTIVATEAPP = 0x001C;
constexpr UINT WM_SETCURSOR = 0x0020;
constexpr UINT WM_GETMINMAXINFO = 0x0024;
constexpr UINT WM_WINDOWPOSCHANGED = 0x0047;
constexpr UINT WM_SETICON =
    0x0080;  // wParam: ICON_BIG or ICON_SMALL; lParam: HICON; answers the old one
constexpr UINT WM_NCCREATE = 0x0081;   // lParam: CREATESTRUCTW*; FALSE fails creation
constexpr UINT WM_NCDESTROY = 0x0082;  // the last message a window receives
constexpr UINT WM_NCHITTEST = 0x0084;  // lParam: screen point; answer HT*
constexpr UINT WM_NCPAINT = 0x0085;
constexpr UINT WM_NCACTIVATE = 0x0086;
constexpr UINT WM_KEYDOWN = 0x0100;  // wParam: virtual-key code
constexpr UINT WM_KEYUP = 0x0101;
constexpr UINT WM_CHAR = 0x0102;        // wParam: the character (UTF-32 here)
constexpr UINT WM_SYSKEYDOWN = 0x0104;  // a key pressed with Alt held
constexpr UINT WM_SYSKEYUP = 0x0105;
constexpr UINT WM_SYSCHAR = 0x0106;
constexpr UINT WM_COMMAND = 0x0111;
constexpr UINT WM_SYSCOMMAND = 0x0112;  // wParam: SC_*
constexpr UINT WM_TIMER = 0x0113;       // wParam: timer id; lParam: TIMERPROC or 0
constexpr UINT WM_MOUSEMOVE = 0x0200;   // wParam: MK_*; lParam: client x | y << 16 (signed)
constexpr UINT WM_LBUTTONDOWN = 0x0201;
constexpr UINT WM_LBUTTONUP = 0x0202;
constexpr UINT WM_LBUTTONDBLCLK = 0x0203;
constexpr UINT WM_RBUTTONDOWN = 0x0204;
constexpr UINT WM_RBUTTONUP = 0x0205;
constexpr UINT WM_MBUTTONDOWN = 0x0207;
constexpr UINT WM_MBUTTONUP = 0x0208;
constexpr UINT WM_MOUSEWHEEL = 0x020A;  // wParam: MK_* | delta << 16 (WHEEL_DELTA a notch);
                                        // lParam: screen point
constexpr UINT WM_CAPTURECHANGED = 0x0215;
constexpr UINT WM_MOUSELEAVE = 0x02A3;
constexpr UINT WM_HOTKEY = 0x0312;  // wParam: hotkey id; lParam: MOD_* | virtual key << 16
constexpr UINT WM_USER = 0x0400;

// WM_SIZE wParam.
constexpr WPARAM SIZE_RESTORED = 0;
constexpr WPARAM SIZE_MINIMIZED = 1;
constexpr WPARAM SIZE_MAXIMIZED = 2;

// WM_ACTIVATE wParam.
constexpr WPARAM WA_INACTIVE = 0;
constexpr WPARAM WA_ACTIVE = 1;

// WM_SETICON wParam.
constexpr WPARAM ICON_SMALL = 0;
constexpr WPARAM ICON_BIG = 1;

// WM_SYSCOMMAND wParam.
constexpr WPARAM SC_SIZE = 0xF000;
constexpr WPARAM SC_MOVE = 0xF010;
constexpr WPARAM SC_MINIMIZE = 0xF020;
constexpr WPARAM SC_MAXIMIZE = 0xF030;
constexpr WPARAM SC_CLOSE = 0xF060;
constexpr WPARAM SC_RESTORE = 0xF120;

// WM_NCHITTEST answers.
constexpr LRESULT HTERROR = -2;
constexpr LRESULT HTTRANSPARENT = -1;  // the point goes to the window below
constexpr LRESULT HTNOWHERE = 0;
constexpr LRESULT HTCLIENT = 1;
constexpr LRESULT HTCAPTION = 2;  // a press there drags the window
constexpr LRESULT HTLEFT = 10;
constexpr LRESULT HTRIGHT = 11;
constexpr LRESULT HTTOP = 12;
constexpr LRESULT HTTOPLEFT = 13;
constexpr LRESULT HTTOPRIGHT = 14;
constexpr LRESULT HTBOTTOM = 15;
constexpr LRESULT HTBOTTOMLEFT = 16;
constexpr LRESULT HTBOTTOMRIGHT = 17;

// Mouse message wParam: buttons and keys held.
constexpr WPARAM MK_LBUTTON = 0x0001;
constexpr WPARAM MK_RBUTTON = 0x0002;
constexpr WPARAM MK_SHIFT = 0x0004;
constexpr WPARAM MK_CONTROL = 0x0008;
constexpr WPARAM MK_MBUTTON = 0x0010;
constexpr int WHEEL_DELTA = 120;

// Virtual-key codes. Letters and digits are their upper-case ASCII codes ('A' = 0x41, '0' = 0x30).
constexpr UINT VK_LBUTTON = 0x01;
constexpr UINT VK_RBUTTON = 0x02;
constexpr UINT VK_MBUTTON = 0x04;
constexpr UINT VK_BACK = 0x08;
constexpr UINT VK_TAB = 0x09;
constexpr UINT VK_RETURN = 0x0D;
constexpr UINT VK_SHIFT = 0x10;
constexpr UINT VK_CONTROL = 0x11;
constexpr UINT VK_MENU = 0x12;  // Alt
constexpr UINT VK_ESCAPE = 0x1B;
constexpr UINT VK_SPACE = 0x20;
constexpr UINT VK_PRIOR = 0x21;
constexpr UINT VK_NEXT = 0x22;
constexpr UINT VK_END = 0x23;
constexpr UINT VK_HOME = 0x24;
constexpr UINT VK_LEFT = 0x25;
constexpr UINT VK_UP = 0x26;
constexpr UINT VK_RIGHT = 0x27;
constexpr UINT VK_DOWN = 0x28;
constexpr UINT VK_INSERT = 0x2D;
constexpr UINT VK_DELETE = 0x2E;
constexpr UINT VK_LWIN = 0x5B;
constexpr UINT VK_NUMPAD0 = 0x60;  // VK_NUMPAD0 + n is the keypad's digit n
constexpr UINT VK_MULTIPLY = 0x6A;
constexpr UINT VK_ADD = 0x6B;
constexpr UINT VK_SUBTRACT = 0x6D;
constexpr UINT VK_DECIMAL = 0x6E;
constexpr UINT VK_DIVIDE = 0x6F;
constexpr UINT VK_F1 = 0x70;  // VK_F1 + n - 1 is Fn, up to F24
constexpr UINT VK_F12 = 0x7B;
constexpr UINT VK_F24 = 0x87;
// Punctuation keys, named by what they carry on a US layout without Shift.
constexpr UINT VK_OEM_1 = 0xBA;  // ;
constexpr UINT VK_OEM_PLUS = 0xBB;
constexpr UINT VK_OEM_COMMA = 0xBC;
constexpr UINT VK_OEM_MINUS = 0xBD;
constexpr UINT VK_OEM_PERIOD = 0xBE;
constexpr UINT VK_OEM_2 = 0xBF;    // /
constexpr UINT VK_OEM_3 = 0xC0;    // `
constexpr UINT VK_OEM_4 = 0xDB;    // [
constexpr UINT VK_OEM_5 = 0xDC;    // backslash
constexpr UINT VK_OEM_6 = 0xDD;    // ]
constexpr UINT VK_OEM_7 = 0xDE;    // '
constexpr UINT VK_OEM_102 = 0xE2;  // the extra key beside the left Shift of European keyboards
// A character typed without a key of its own (an input method's text): its WM_KEYDOWN carries
// the character to TranslateMessage.
constexpr UINT VK_PACKET = 0xE7;
