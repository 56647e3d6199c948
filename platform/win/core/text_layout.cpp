#include "core/text_layout.h"

#include <algorithm>
#include <cstdlib>
#include <string>

#include "handles/cairo.h"
#include "handles/pango.h"
#include "core/text_utf8.h"

namespace win::core {

namespace {

handles::FontDescriptionPtr DescriptionOf(const LOGFONTW& font) {
  handles::FontDescriptionPtr description(pango_font_description_new());
  std::wstring face(font.lfFaceName, wcsnlen(font.lfFaceName, LF_FACESIZE));
  // A face the system lacks falls through to fontconfig's choice for the glyphs.
  std::string families = face.empty() ? "Sans" : ToUtf8(face) + ",Sans";
  pango_font_description_set_family(description.get(), families.c_str());
  // Negative heights are the character height in pixels; positive ones the cell height,
  // of which the character takes about four fifths here.
  int pixels = font.lfHeight < 0 ? -font.lfHeight : font.lfHeight * 4 / 5;
  if (pixels == 0) pixels = 12;
  pango_font_description_set_absolute_size(description.get(), pixels * PANGO_SCALE);
  int weight = font.lfWeight == 0 ? FW_NORMAL : font.lfWeight;
  pango_font_description_set_weight(description.get(), static_cast<PangoWeight>(weight));
  pango_font_description_set_style(description.get(),
                                   font.lfItalic ? PANGO_STYLE_ITALIC : PANGO_STYLE_NORMAL);
  return description;
}

handles::PangoLayoutPtr LayoutFor(cairo_t* cairo, const TextRequest& request) {
  handles::PangoLayoutPtr layout(pango_cairo_create_layout(cairo));
  handles::FontDescriptionPtr description = DescriptionOf(*request.font);
  pango_layout_set_font_description(layout.get(), description.get());
  std::string text = ToUtf8(request.text);
  if ((request.format & DT_SINGLELINE) != 0) {
    std::replace(text.begin(), text.end(), '\n', ' ');
    std::replace(text.begin(), text.end(), '\r', ' ');
  }
  pango_layout_set_text(layout.get(), text.c_str(), static_cast<int>(text.size()));
  const int width = request.rect.right - request.rect.left;
  if ((request.format & DT_WORDBREAK) != 0 && (request.format & DT_SINGLELINE) == 0 && width > 0) {
    pango_layout_set_width(layout.get(), width * PANGO_SCALE);
    pango_layout_set_wrap(layout.get(), PANGO_WRAP_WORD_CHAR);
  } else if ((request.format & DT_END_ELLIPSIS) != 0 && width > 0) {
    pango_layout_set_width(layout.get(), width * PANGO_SCALE);
    pango_layout_set_ellipsize(layout.get(), PANGO_ELLIPSIZE_END);
  }
  if ((request.format & DT_CENTER) != 0)
    pango_layout_set_alignment(layout.get(), PANGO_ALIGN_CENTER);
  if ((request.format & DT_RIGHT) != 0) pango_layout_set_alignment(layout.get(), PANGO_ALIGN_RIGHT);
  return layout;
}

// A scratch context for measuring, one per thread (Pango's font maps are per thread).
cairo_t* MeasuringContext() {
  thread_local handles::CairoSurfacePtr surface(
      cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 1, 1));
  thread_local handles::CairoPtr cairo(cairo_create(surface.get()));
  return cairo.get();
}

TextBox ExtentOf(PangoLayout* layout) {
  int width = 0;
  int height = 0;
  pango_layout_get_pixel_size(layout, &width, &height);
  return TextBox{width, height};
}

}  // namespace

TextBox MeasureText(const TextRequest& request) {
  handles::PangoLayoutPtr layout = LayoutFor(MeasuringContext(), request);
  return ExtentOf(layout.get());
}

int DrawText(cairo_t* cairo, const TextRequest& request, COLORREF color) {
  handles::PangoLayoutPtr layout = LayoutFor(cairo, request);
  TextBox box = ExtentOf(layout.get());
  const RECT& rect = request.rect;
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  double x = rect.left;
  double y = rect.top;
  const bool wrapped = pango_layout_get_width(layout.get()) > 0;
  // Pango aligns within the wrap width; an unwrapped line is placed here.
  if (!wrapped && (request.format & DT_CENTER) != 0) x += (width - box.width) / 2;
  if (!wrapped && (request.format & DT_RIGHT) != 0) x += width - box.width;
  if ((request.format & DT_SINGLELINE) != 0) {
    if ((request.format & DT_VCENTER) != 0) y += (height - box.height) / 2;
    if ((request.format & DT_BOTTOM) != 0) y += height - box.height;
  }
  cairo_save(cairo);
  if ((request.format & DT_NOCLIP) == 0) {
    cairo_rectangle(cairo, rect.left, rect.top, width, height);
    cairo_clip(cairo);
  }
  cairo_set_source_rgb(cairo, GetRValue(color) / 255.0, GetGValue(color) / 255.0,
                       GetBValue(color) / 255.0);
  cairo_move_to(cairo, x, y);
  pango_cairo_show_layout(cairo, layout.get());
  cairo_restore(cairo);
  return box.height;
}

}  // namespace win::core
