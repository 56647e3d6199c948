// Icon resources: registered by the program's generated tables, decoded on first load and
// kept for the process, as the system keeps a shared icon.
#include "core/icons.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>

#include "handles/cairo.h"
#include "win/icon_resource.h"

namespace win::core {

namespace {

struct Registry {
  std::mutex mutex;
  std::map<WORD, IconResource> resources;
  std::map<WORD, std::unique_ptr<Icon>> loaded;
};

Registry& TheRegistry() {
  static Registry registry;
  return registry;
}

struct PngReader {
  const unsigned char* data;
  std::size_t left;
};

cairo_status_t ReadPng(void* closure, unsigned char* out, unsigned int length) {
  auto* reader = static_cast<PngReader*>(closure);
  if (length > reader->left) return CAIRO_STATUS_READ_ERROR;
  std::memcpy(out, reader->data, length);
  reader->data += length;
  reader->left -= length;
  return CAIRO_STATUS_SUCCESS;
}

// Cairo keeps premultiplied alpha; an icon property wants it straight.
bool Decode(const IconPicture& picture, IconImage& image) {
  PngReader reader{picture.png, picture.size};
  handles::CairoSurfacePtr surface(cairo_image_surface_create_from_png_stream(ReadPng, &reader));
  if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS ||
      cairo_image_surface_get_format(surface.get()) != CAIRO_FORMAT_ARGB32) {
    return false;
  }
  cairo_surface_flush(surface.get());
  image.width = cairo_image_surface_get_width(surface.get());
  image.height = cairo_image_surface_get_height(surface.get());
  const int stride = cairo_image_surface_get_stride(surface.get());
  const unsigned char* data = cairo_image_surface_get_data(surface.get());
  image.argb.reserve(static_cast<std::size_t>(image.width) *
                     static_cast<std::size_t>(image.height));
  for (int y = 0; y < image.height; ++y) {
    const auto* row =
        reinterpret_cast<const std::uint32_t*>(data + static_cast<std::ptrdiff_t>(y) * stride);
    for (int x = 0; x < image.width; ++x) {
      const std::uint32_t pixel = row[x];
      const std::uint32_t alpha = pixel >> 24;
      auto straight = [alpha](std::uint32_t channel) {
        return alpha == 0 ? 0u : std::min<std::uint32_t>(255, (channel * 255 + alpha / 2) / alpha);
      };
      image.argb.push_back(alpha << 24 | straight(pixel >> 16 & 0xFF) << 16 |
                           straight(pixel >> 8 & 0xFF) << 8 | straight(pixel & 0xFF));
    }
  }
  return true;
}

}  // namespace

const Icon* IconOf(HICON handle) {
  if (handle == nullptr) return nullptr;
  Registry& registry = TheRegistry();
  std::lock_guard lock(registry.mutex);
  for (const auto& [id, icon] : registry.loaded) {
    if (reinterpret_cast<HICON>(icon.get()) == handle) return icon.get();
  }
  return nullptr;
}

}  // namespace win::core

namespace win {

bool RegisterIconResource(const IconResource& resource) {
  core::Registry& registry = core::TheRegistry();
  std::lock_guard lock(registry.mutex);
  registry.resources[resource.id] = resource;
  return true;
}

}  // namespace win

// The program is the only module: whatever instance is given, its icons are meant.
HICON LoadIconW(HINSTANCE, LPCWSTR name) {
  const auto number = reinterpret_cast<UINT_PTR>(name);
  if (number == 0 || number > 0xFFFF) return nullptr;
  const auto id = static_cast<WORD>(number);
  win::core::Registry& registry = win::core::TheRegistry();
  std::lock_guard lock(registry.mutex);
  if (auto loaded = registry.loaded.find(id); loaded != registry.loaded.end()) {
    return reinterpret_cast<HICON>(loaded->second.get());
  }
  auto resource = registry.resources.find(id);
  if (resource == registry.resources.end()) return nullptr;
  auto icon = std::make_unique<win::core::Icon>();
  for (std::size_t i = 0; i < resource->second.count; ++i) {
    win::core::IconImage image{};
    if (win::core::Decode(resource->second.pictures[i], image))
      icon->images.push_back(std::move(image));
  }
  if (icon->images.empty()) return nullptr;
  HICON handle = reinterpret_cast<HICON>(icon.get());
  registry.loaded.emplace(id, std::move(icon));
  return handle;
}
