// Drawing with Cairo and Pango: the target of one paint, decoded images and text layout.
#pragma once

#include <cairo.h>
#include <pango/pangocairo.h>
#include <windows.h>

#include <memory>
#include <string>

#include "attribute_values.h"
#include "handles/cairo.h"
#include "handles/pango.h"
#include "ui/ui_manager.h"
#include "skin_archive.h"

namespace ui {

// A decoded PNG or JPEG from the skin, or null with the reason. Decoded images are kept for
// the life of the process, keyed by archive and name.
struct LoadedImage {
  cairo_surface_t* surface = nullptr;  // owned by the cache
  std::wstring error;
};
LoadedImage LoadSkinImage(const ResourceLocation& where, const std::wstring& name);

// A Pango layout of text in font, for drawing on cr or (cr null) for measuring only.
handles::PangoLayoutPtr MakeTextLayout(cairo_t* cr, const std::wstring& text, const FontInfo& font);
// Character index nearest to x pixels from the text's start, and back.
int TextIndexAtX(const std::wstring& text, const FontInfo& font, int x);
int TextXAtIndex(const std::wstring& text, const FontInfo& font, int index);
// The width of the text on one line, in pixels.
int TextWidth(const std::wstring& text, const FontInfo& font);

void SetSourceArgb(cairo_t* cr, DWORD argb);

class CRenderContext {
 public:
  CRenderContext(cairo_t* cr, CPaintManagerUI& manager) : cr_(cr), manager_(manager) {}

  cairo_t* cairo() const { return cr_; }
  CPaintManagerUI& manager() const { return manager_; }

  void FillRect(const RECT& rect, DWORD argb);
  void FrameRect(const RECT& rect, DWORD argb);
  // Stretches the image over rect, keeping its corner margins unscaled; false when missing.
  bool DrawImage(const ImageDescription& image, const RECT& rect);
  void DrawText(const std::wstring& text, const RECT& rect, DWORD argb, const FontInfo& font,
                UINT align);
  // One line from x, whole (never shortened), centred in clip's height and cut at its edges.
  void DrawTextLine(const std::wstring& text, int x, const RECT& clip, DWORD argb,
                    const FontInfo& font);

 private:
  cairo_t* cr_;
  CPaintManagerUI& manager_;
};

}  // namespace ui
