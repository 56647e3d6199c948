// Drawing on a window: device contexts, solid brushes, regions, fonts and text.
//
// A device context draws into the window's own surface (see win/surface.h for the platform
// side); ReleaseDC and EndPaint put what was drawn on the screen. Text is laid out with the
// system's fonts, so measured sizes are the rendered ones.
#pragma once

#include "win/types.h"

HDC GetDC(HWND window);
int ReleaseDC(HWND window, HDC dc);

HBRUSH CreateSolidBrush(COLORREF color);
int FillRect(HDC dc, const RECT* rect, HBRUSH brush);

// Deletes a brush, font or region. Stock objects and a region given to a window are not deleted.
BOOL DeleteObject(HGDIOBJ object);
template <typename Handle>
BOOL DeleteObject(Handle object) {
  return DeleteObject(reinterpret_cast<HGDIOBJ>(object));
}
// Selects a font or brush into the context; returns the previous one of that kind.
HGDIOBJ SelectObject(HDC dc, HGDIOBJ object);
template <typename Handle>
HGDIOBJ SelectObject(HDC dc, Handle object) {
  return SelectObject(dc, reinterpret_cast<HGDIOBJ>(object));
}

constexpr int BLACK_BRUSH = 4;
constexpr int NULL_BRUSH = 5;
constexpr int DEFAULT_GUI_FONT = 17;
HGDIOBJ GetStockObject(int object);

// Regions: unions of rectangles.
constexpr int ERROR = 0;
constexpr int NULLREGION = 1;
constexpr int SIMPLEREGION = 2;
constexpr int COMPLEXREGION = 3;
constexpr int RGN_AND = 1;
constexpr int RGN_OR = 2;
constexpr int RGN_COPY = 5;
HRGN CreateRectRgn(int left, int top, int right, int bottom);
// destination = source1 (op) source2; destination must exist. Returns the region kind.
int CombineRgn(HRGN destination, HRGN source1, HRGN source2, int mode);
BOOL PtInRegion(HRGN region, int x, int y);
int GetRgnBox(HRGN region, LPRECT rect);
// In window coordinates. The window owns the region from then on (null removes it); only
// the region's part of the window is drawn and takes the mouse.
int SetWindowRgn(HWND window, HRGN region, BOOL redraw);

// Fonts.
constexpr int LF_FACESIZE = 32;
constexpr BYTE DEFAULT_CHARSET = 1;
constexpr LONG FW_NORMAL = 400;
constexpr LONG FW_BOLD = 700;
struct LOGFONTW {
  LONG lfHeight;  // negative: character height in pixels; positive: cell height
  LONG lfWidth;
  LONG lfEscapement;
  LONG lfOrientation;
  LONG lfWeight;
  BYTE lfItalic;
  BYTE lfUnderline;
  BYTE lfStrikeOut;
  BYTE lfCharSet;
  BYTE lfOutPrecision;
  BYTE lfClipPrecision;
  BYTE lfQuality;
  BYTE lfPitchAndFamily;
  WCHAR lfFaceName[LF_FACESIZE];  // a face the system lacks falls back to one that has the glyphs
};
HFONT CreateFontIndirectW(const LOGFONTW* font);
// Copies a font's LOGFONTW (size must be sizeof(LOGFONTW)); returns the bytes copied, 0 on error.
int GetObjectW(HGDIOBJ object, int size, LPVOID buffer);
template <typename Handle>
int GetObjectW(Handle object, int size, LPVOID buffer) {
  return GetObjectW(reinterpret_cast<HGDIOBJ>(object), size, buffer);
}

constexpr int TRANSPARENT = 1;
constexpr int OPAQUE = 2;
COLORREF SetTextColor(HDC dc, COLORREF color);
COLORREF SetBkColor(HDC dc, COLORREF color);
int SetBkMode(HDC dc, int mode);

// Text. Prefix characters (&) are shown as they are.
constexpr UINT DT_TOP = 0x0000;
constexpr UINT DT_LEFT = 0x0000;
constexpr UINT DT_CENTER = 0x0001;
constexpr UINT DT_RIGHT = 0x0002;
constexpr UINT DT_VCENTER = 0x0004;
constexpr UINT DT_BOTTOM = 0x0008;
constexpr UINT DT_WORDBREAK = 0x0010;  // wrap at the rectangle's width
constexpr UINT DT_SINGLELINE = 0x0020;
constexpr UINT DT_NOCLIP = 0x0100;
constexpr UINT DT_CALCRECT = 0x0400;  // only measure: right and bottom become the text's extent
constexpr UINT DT_NOPREFIX = 0x0800;
constexpr UINT DT_END_ELLIPSIS = 0x8000;
// count -1: the text is null-terminated. Returns the text's height, 0 on error.
int DrawTextW(HDC dc, LPCWSTR text, int count, LPRECT rect, UINT format);
BOOL GetTextExtentPoint32W(HDC dc, LPCWSTR text, int count, SIZE* size);
