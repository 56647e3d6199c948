#include "core/compose.h"

#include <memory>
#include <mutex>
#include <vector>

#include "core/model.h"
#include "core/rect_math.h"
#include "core/surface_store.h"

namespace win::core {

namespace {

struct Layer {
  std::shared_ptr<win::Surface> surface;
  POINT origin;                             // in the composed window's coordinates
  RECT clip;                                // the parents' client areas
  std::optional<std::vector<RECT>> region;  // composed coordinates
};

void CollectLayers(const Model& model, const Window& window, POINT origin, RECT clip,
                   std::vector<Layer>& layers) {
  RECT own = Intersect(
      clip, RECT{origin.x, origin.y, origin.x + window.width(), origin.y + window.height()});
  if (IsEmpty(own)) return;
  Layer layer{window.surface, origin, own, std::nullopt};
  if (window.region) {
    layer.region = std::vector<RECT>();
    for (const RECT& rect : *window.region)
      layer.region->push_back(Offset(rect, origin.x, origin.y));
  }
  layers.push_back(layer);
  // Children are kept front to back; paint the back ones first.
  for (auto it = window.children.rbegin(); it != window.children.rend(); ++it) {
    const Window* child = model.Find(*it);
    if (child == nullptr || !child->visible_bit() || child->minimized) continue;
    CollectLayers(model, *child, POINT{origin.x + child->rect.left, origin.y + child->rect.top},
                  own, layers);
  }
}

}  // namespace

handles::CairoSurfacePtr ComposeWindow(HWND handle, const RECT& area) {
  std::vector<Layer> layers;
  {
    Model& model = TheModel();
    std::shared_lock lock(model.mutex);
    const Window* window = model.FindLocal(handle);
    if (window == nullptr) return nullptr;
    CollectLayers(model, *window, POINT{0, 0}, RECT{0, 0, window->width(), window->height()},
                  layers);
  }
  const int width = PictureSide(area.right - area.left);
  const int height = PictureSide(area.bottom - area.top);
  handles::CairoSurfacePtr composed(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height));
  handles::CairoPtr cairo(cairo_create(composed.get()));
  cairo_translate(cairo.get(), -area.left, -area.top);
  for (const Layer& layer : layers) {
    cairo_save(cairo.get());
    cairo_rectangle(cairo.get(), layer.clip.left, layer.clip.top,
                    layer.clip.right - layer.clip.left, layer.clip.bottom - layer.clip.top);
    cairo_clip(cairo.get());
    if (layer.region) {
      for (const RECT& rect : *layer.region) {
        cairo_rectangle(cairo.get(), rect.left, rect.top, rect.right - rect.left,
                        rect.bottom - rect.top);
      }
      cairo_clip(cairo.get());
    }
    {
      std::lock_guard<std::mutex> surface_lock(layer.surface->mutex());
      cairo_set_source_surface(cairo.get(), layer.surface->image(), layer.origin.x, layer.origin.y);
      cairo_paint(cairo.get());
    }
    cairo_restore(cairo.get());
  }
  cairo_surface_flush(composed.get());
  return composed;
}

}  // namespace win::core
