// Owning handles for the Pango objects the platform lays text out with.
#pragma once

#include <pango/pangocairo.h>

#include <memory>

namespace handles {

struct PangoRelease {
  void operator()(PangoLayout* layout) const { g_object_unref(layout); }
  void operator()(PangoFontDescription* font) const { pango_font_description_free(font); }
};

using PangoLayoutPtr = std::unique_ptr<PangoLayout, PangoRelease>;
using FontDescriptionPtr = std::unique_ptr<PangoFontDescription, PangoRelease>;

}  // namespace handles
