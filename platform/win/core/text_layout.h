// Text measured and drawn with Pango, so that sizes are those of the rendered glyphs.
#pragma once

#include <windows.h>

#include <string>

typedef struct _cairo cairo_t;

namespace win::core {

struct TextBox {
  int width;
  int height;
};

struct TextRequest {
  const LOGFONTW* font;
  std::wstring text;
  UINT format;  // DT_* flags
  RECT rect;
};

// The extent of the text as DrawTextW lays it out in the request's rectangle.
TextBox MeasureText(const TextRequest& request);
// Draws into cairo (client coordinates of the target), clipped to the rectangle unless
// DT_NOCLIP. Returns the text's height.
int DrawText(cairo_t* cairo, const TextRequest& request, COLORREF color);

}  // namespace win::core
