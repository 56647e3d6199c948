// Device contexts on window surfaces, brushes, fills, fonts and text.
#include <windows.h>

#include <cstring>
#include <cwchar>

#include "handles/cairo.h"
#include "core/dispatch.h"
#include "core/gdi_objects.h"
#include "core/rect_math.h"
#include "core/surface_store.h"
#include "core/text_layout.h"
#include "win/surface.h"

using win::core::DeviceContext;

namespace {

void SetSourceColor(cairo_t* cairo, COLORREF color) {
  cairo_set_source_rgb(cairo, GetRValue(color) / 255.0, GetGValue(color) / 255.0,
                       GetBValue(color) / 255.0);
}

std::wstring TextOf(LPCWSTR text, int count) {
  if (text == nullptr) return {};
  return count < 0 ? std::wstring(text) : std::wstring(text, static_cast<size_t>(count));
}

// Sets one drawing setting of the context; returns the previous value (0 for a bad context).
template <typename Value>
Value Exchange(HDC dc, Value DeviceContext::*setting, Value value) {
  Value previous{};
  win::core::WithContext(dc, [&](DeviceContext& context) {
    previous = context.*setting;
    context.*setting = value;
  });
  return previous;
}

}  // namespace

HDC GetDC(HWND window) { return win::core::CreateContext(window); }

int ReleaseDC(HWND, HDC dc) {
  auto context = win::core::RemoveContext(dc);
  if (!context) return 0;
  if (!win::core::IsEmpty(context->drawn)) {
    {
      std::lock_guard<std::mutex> lock(context->surface->mutex());
      context->surface->MarkDirty(context->drawn);
    }
    win::PresentWindow(context->window);
  }
  return 1;
}

HBRUSH CreateSolidBrush(COLORREF color) {
  return reinterpret_cast<HBRUSH>(win::core::StoreObject(win::core::Brush{color & 0xFFFFFF}));
}

int FillRect(HDC dc, const RECT* rect, HBRUSH brush) {
  if (rect == nullptr) return 0;
  auto color = win::core::BrushColor(brush);
  if (!color) return 0;
  bool drawn = win::core::WithContext(dc, [&](DeviceContext& context) {
    std::lock_guard<std::mutex> lock(context.surface->mutex());
    handles::CairoPtr cairo(cairo_create(context.surface->image()));
    SetSourceColor(cairo.get(), *color);
    cairo_rectangle(cairo.get(), rect->left, rect->top, rect->right - rect->left,
                    rect->bottom - rect->top);
    cairo_fill(cairo.get());
    context.drawn = win::core::Union(context.drawn, *rect);
  });
  return drawn ? 1 : 0;
}

BOOL DeleteObject(HGDIOBJ object) { return win::core::EraseObject(object) ? TRUE : FALSE; }

HGDIOBJ GetStockObject(int object) { return win::core::StockObject(object); }

HGDIOBJ SelectObject(HDC dc, HGDIOBJ object) {
  auto found = win::core::LookupObject(object);
  if (!found) return nullptr;
  HGDIOBJ previous = nullptr;
  bool known = win::core::WithContext(dc, [&](DeviceContext& context) {
    if (std::holds_alternative<win::core::Font>(*found)) {
      previous = reinterpret_cast<HGDIOBJ>(context.font);
      context.font = reinterpret_cast<HFONT>(object);
    } else if (std::holds_alternative<win::core::Brush>(*found)) {
      previous = reinterpret_cast<HGDIOBJ>(context.brush);
      context.brush = reinterpret_cast<HBRUSH>(object);
    }
  });
  return known ? previous : nullptr;
}

HFONT CreateFontIndirectW(const LOGFONTW* font) {
  if (font == nullptr) return nullptr;
  win::core::Font stored{*font};
  stored.description.lfFaceName[LF_FACESIZE - 1] = L'\0';
  return reinterpret_cast<HFONT>(win::core::StoreObject(stored));
}

int GetObjectW(HGDIOBJ object, int size, LPVOID buffer) {
  auto found = win::core::LookupObject(object);
  if (!found || !std::holds_alternative<win::core::Font>(*found)) return 0;
  if (buffer == nullptr) return sizeof(LOGFONTW);
  if (size < static_cast<int>(sizeof(LOGFONTW))) return 0;
  std::memcpy(buffer, &std::get<win::core::Font>(*found).description, sizeof(LOGFONTW));
  return sizeof(LOGFONTW);
}

COLORREF SetTextColor(HDC dc, COLORREF color) {
  return Exchange(dc, &DeviceContext::text_color, color);
}

COLORREF SetBkColor(HDC dc, COLORREF color) {
  return Exchange(dc, &DeviceContext::background_color, color);
}

int SetBkMode(HDC dc, int mode) { return Exchange(dc, &DeviceContext::background_mode, mode); }

int DrawTextW(HDC dc, LPCWSTR text, int count, LPRECT rect, UINT format) {
  if (text == nullptr || rect == nullptr) return 0;
  HFONT font_handle = nullptr;
  if (!win::core::WithContext(dc, [&](DeviceContext& context) { font_handle = context.font; }))
    return 0;
  auto font = win::core::FontOf(font_handle);
  LOGFONTW description = font ? *font : win::core::DefaultGuiFont();
  win::core::TextRequest request{&description, TextOf(text, count), format, *rect};
  if ((format & DT_CALCRECT) != 0) {
    win::core::TextBox box = win::core::MeasureText(request);
    rect->right = rect->left + box.width;
    rect->bottom = rect->top + box.height;
    return box.height;
  }
  int height = 0;
  win::core::WithContext(dc, [&](DeviceContext& context) {
    std::lock_guard<std::mutex> lock(context.surface->mutex());
    handles::CairoPtr cairo(cairo_create(context.surface->image()));
    if (context.background_mode == OPAQUE) {
      win::core::TextBox box = win::core::MeasureText(request);
      SetSourceColor(cairo.get(), context.background_color);
      cairo_rectangle(cairo.get(), rect->left, rect->top, box.width, box.height);
      cairo_fill(cairo.get());
    }
    height = win::core::DrawText(cairo.get(), request, context.text_color);
    context.drawn = win::core::Union(context.drawn, *rect);
  });
  return height;
}

BOOL GetTextExtentPoint32W(HDC dc, LPCWSTR text, int count, SIZE* size) {
  if (size == nullptr) return FALSE;
  HFONT font_handle = nullptr;
  if (!win::core::WithContext(dc, [&](DeviceContext& context) { font_handle = context.font; })) {
    return FALSE;
  }
  auto font = win::core::FontOf(font_handle);
  LOGFONTW description = font ? *font : win::core::DefaultGuiFont();
  win::core::TextRequest request{&description, TextOf(text, count), DT_SINGLELINE, RECT{}};
  win::core::TextBox box = win::core::MeasureText(request);
  size->cx = box.width;
  size->cy = box.height;
  return TRUE;
}
