#include "render.h"

#include <algorithm>
#include <map>
#include <utility>

#include "diagnostics.h"
#include "image_decoder.h"
#include "resources.h"

namespace ui {

namespace {

std::map<std::wstring, std::pair<handles::CairoSurfacePtr, std::wstring>>& ImageCache() {
  static std::map<std::wstring, std::pair<handles::CairoSurfacePtr, std::wstring>> cache;
  return cache;
}

PangoFontDescription* MakeFontDescription(const FontInfo& font) {
  PangoFontDescription* description = pango_font_description_new();
  // Faces the system lacks fall back through fontconfig, per character for Chinese text.
  const std::string family =
      font.face.IsEmpty() ? std::string("sans-serif") : Narrow(font.face.str()) + ",sans-serif";
  pango_font_description_set_family(description, family.c_str());
  pango_font_description_set_absolute_size(description, font.size * PANGO_SCALE);
  pango_font_description_set_weight(description,
                                    font.bold ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL);
  pango_font_description_set_style(description,
                                   font.italic ? PANGO_STYLE_ITALIC : PANGO_STYLE_NORMAL);
  return description;
}

cairo_t* MeasuringCairo() {
  static handles::CairoSurfacePtr surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 1, 1));
  static handles::CairoPtr cr(cairo_create(surface.get()));
  return cr.get();
}

// Byte offsets of Pango's UTF-8 text against character indexes of the wide text.
int ByteOffsetOfIndex(const std::string& utf8, int index) {
  const char* start = utf8.c_str();
  const char* at = g_utf8_offset_to_pointer(start, std::max(0, index));
  return static_cast<int>(at - start);
}

void DrawStretched(cairo_t* cr, cairo_surface_t* image, double sx, double sy, double sw, double sh,
                   double dx, double dy, double dw, double dh) {
  if (sw <= 0 || sh <= 0 || dw <= 0 || dh <= 0) return;
  cairo_save(cr);
  cairo_rectangle(cr, dx, dy, dw, dh);
  cairo_clip(cr);
  cairo_translate(cr, dx, dy);
  cairo_scale(cr, dw / sw, dh / sh);
  cairo_set_source_surface(cr, image, -sx, -sy);
  cairo_pattern_set_extend(cairo_get_source(cr), CAIRO_EXTEND_PAD);
  cairo_pattern_set_filter(cairo_get_source(cr),
                           (dw == sw && dh == sh) ? CAIRO_FILTER_FAST : CAIRO_FILTER_GOOD);
  cairo_paint(cr);
  cairo_restore(cr);
}

}  // namespace

LoadedImage LoadSkinImage(const ResourceLocation& where, const std::wstring& name) {
  const std::wstring key = where.folder + L"|" + where.archive + L"|" + name;
  auto& cache = ImageCache();
  auto found = cache.find(key);
  if (found == cache.end()) {
    const ResourceData data = ReadSkinFile(where, name);
    std::wstring error = L"missing image: " + data.error;
    handles::CairoSurfacePtr surface;
    if (data.ok()) {
      DecodedImage decoded = DecodeImage(data.bytes);
      surface = std::move(decoded.surface);
      error = surface ? L"" : L"broken image " + name + L": " + decoded.error;
    }
    found = cache.emplace(key, std::make_pair(std::move(surface), std::move(error))).first;
  }
  return LoadedImage{found->second.first.get(), found->second.second};
}

handles::PangoLayoutPtr MakeTextLayout(cairo_t* cr, const std::wstring& text,
                                       const FontInfo& font) {
  handles::PangoLayoutPtr layout(pango_cairo_create_layout(cr != nullptr ? cr : MeasuringCairo()));
  PangoFontDescription* description = MakeFontDescription(font);
  pango_layout_set_font_description(layout.get(), description);
  pango_font_description_free(description);
  const std::string utf8 = Narrow(text);
  pango_layout_set_text(layout.get(), utf8.c_str(), static_cast<int>(utf8.size()));
  return layout;
}

int TextIndexAtX(const std::wstring& text, const FontInfo& font, int x) {
  if (text.empty() || x <= 0) return 0;
  handles::PangoLayoutPtr layout = MakeTextLayout(nullptr, text, font);
  int byte_index = 0;
  int trailing = 0;
  pango_layout_xy_to_index(layout.get(), x * PANGO_SCALE, 0, &byte_index, &trailing);
  const char* utf8 = pango_layout_get_text(layout.get());
  const int index = static_cast<int>(g_utf8_pointer_to_offset(utf8, utf8 + byte_index)) + trailing;
  return std::min(index, static_cast<int>(text.size()));
}

int TextXAtIndex(const std::wstring& text, const FontInfo& font, int index) {
  if (text.empty() || index <= 0) return 0;
  handles::PangoLayoutPtr layout = MakeTextLayout(nullptr, text, font);
  const std::string utf8 = pango_layout_get_text(layout.get());
  PangoRectangle position;
  pango_layout_index_to_pos(
      layout.get(), ByteOffsetOfIndex(utf8, std::min<int>(index, static_cast<int>(text.size()))),
      &position);
  return PANGO_PIXELS(position.x);
}

int TextWidth(const std::wstring& text, const FontInfo& font) {
  if (text.empty()) return 0;
  handles::PangoLayoutPtr layout = MakeTextLayout(nullptr, text, font);
  int width = 0;
  int height = 0;
  pango_layout_get_pixel_size(layout.get(), &width, &height);
  return width;
}

void SetSourceArgb(cairo_t* cr, DWORD argb) {
  cairo_set_source_rgba(cr, ((argb >> 16) & 0xFF) / 255.0, ((argb >> 8) & 0xFF) / 255.0,
                        (argb & 0xFF) / 255.0, ((argb >> 24) & 0xFF) / 255.0);
}

void CRenderContext::FillRect(const RECT& rect, DWORD argb) {
  if ((argb & 0xFF000000) == 0) return;
  SetSourceArgb(cr_, argb);
  cairo_rectangle(cr_, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
  cairo_fill(cr_);
}

void CRenderContext::FrameRect(const RECT& rect, DWORD argb) {
  if ((argb & 0xFF000000) == 0) return;
  SetSourceArgb(cr_, argb);
  cairo_set_line_width(cr_, 1.0);
  cairo_rectangle(cr_, rect.left + 0.5, rect.top + 0.5, rect.right - rect.left - 1,
                  rect.bottom - rect.top - 1);
  cairo_stroke(cr_);
}

bool CRenderContext::DrawImage(const ImageDescription& description, const RECT& rect) {
  const LoadedImage image = LoadSkinImage(CurrentSkinLocation(), description.file);
  if (image.surface == nullptr) return false;
  const double w = cairo_image_surface_get_width(image.surface);
  const double h = cairo_image_surface_get_height(image.surface);
  const RECT& c = description.corner;
  const double l = c.left, t = c.top, r = c.right, b = c.bottom;
  const double dl = rect.left, dt = rect.top, dr = rect.right, db = rect.bottom;
  if (l == 0 && t == 0 && r == 0 && b == 0) {
    DrawStretched(cr_, image.surface, 0, 0, w, h, dl, dt, dr - dl, db - dt);
    return true;
  }
  // Nine pieces: corners keep their size, edges stretch one way, the middle both ways.
  const double sx[] = {0, l, w - r, w};
  const double sy[] = {0, t, h - b, h};
  const double dx[] = {dl, dl + l, dr - r, dr};
  const double dy[] = {dt, dt + t, db - b, db};
  for (int row = 0; row < 3; ++row) {
    for (int col = 0; col < 3; ++col) {
      DrawStretched(cr_, image.surface, sx[col], sy[row], sx[col + 1] - sx[col],
                    sy[row + 1] - sy[row], dx[col], dy[row], dx[col + 1] - dx[col],
                    dy[row + 1] - dy[row]);
    }
  }
  return true;
}

void CRenderContext::DrawText(const std::wstring& text, const RECT& rect, DWORD argb,
                              const FontInfo& font, UINT align) {
  if (text.empty() || (argb & 0xFF000000) == 0) return;
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  if (width <= 0 || height <= 0) return;
  handles::PangoLayoutPtr layout = MakeTextLayout(cr_, text, font);
  pango_layout_set_width(layout.get(), width * PANGO_SCALE);
  if (align & kAlignWordBreak) {
    pango_layout_set_wrap(layout.get(), PANGO_WRAP_WORD_CHAR);
  } else {
    pango_layout_set_ellipsize(layout.get(), PANGO_ELLIPSIZE_END);
  }
  pango_layout_set_alignment(layout.get(), (align & kAlignCenter)  ? PANGO_ALIGN_CENTER
                                           : (align & kAlignRight) ? PANGO_ALIGN_RIGHT
                                                                   : PANGO_ALIGN_LEFT);
  int text_width = 0;
  int text_height = 0;
  pango_layout_get_pixel_size(layout.get(), &text_width, &text_height);
  double y = rect.top;
  if (align & kAlignVCenter)
    y += (height - text_height) / 2.0;
  else if (align & kAlignBottom)
    y += height - text_height;
  cairo_save(cr_);
  cairo_rectangle(cr_, rect.left, rect.top, width, height);
  cairo_clip(cr_);
  SetSourceArgb(cr_, argb);
  cairo_move_to(cr_, rect.left, y);
  pango_cairo_show_layout(cr_, layout.get());
  cairo_restore(cr_);
}

void CRenderContext::DrawTextLine(const std::wstring& text, int x, const RECT& clip, DWORD argb,
                                  const FontInfo& font) {
  if (text.empty() || (argb & 0xFF000000) == 0) return;
  if (clip.right <= clip.left || clip.bottom <= clip.top) return;
  handles::PangoLayoutPtr layout = MakeTextLayout(cr_, text, font);
  int text_width = 0;
  int text_height = 0;
  pango_layout_get_pixel_size(layout.get(), &text_width, &text_height);
  cairo_save(cr_);
  cairo_rectangle(cr_, clip.left, clip.top, clip.right - clip.left, clip.bottom - clip.top);
  cairo_clip(cr_);
  SetSourceArgb(cr_, argb);
  cairo_move_to(cr_, x, clip.top + (clip.bottom - clip.top - text_height) / 2.0);
  pango_cairo_show_layout(cr_, layout.get());
  cairo_restore(cr_);
}

}  // namespace ui
