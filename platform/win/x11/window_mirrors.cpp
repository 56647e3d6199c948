#include "x11/window_mirrors.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/extensions/shape.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "core/text_utf8.h"
#include "x11/window_hints.h"

namespace win::core {

namespace {

constexpr size_t kRememberedRequests = 8;

bool SameRect(const RECT& a, const RECT& b) { return std::memcmp(&a, &b, sizeof(RECT)) == 0; }

unsigned int Extent(LONG low, LONG high) {
  return static_cast<unsigned>(std::max<LONG>(high - low, 1));
}

}  // namespace

WindowMirrors::WindowMirrors(const Connection& connection, InputMethod& input_method)
    : connection_(connection), display_(connection.display), input_method_(input_method) {}

WindowMirrors::~WindowMirrors() {
  if (alpha_visual_.colormap != 0) XFreeColormap(display_, alpha_visual_.colormap);
}

WindowMirrors::Mirror* WindowMirrors::Find(HWND window) {
  auto it = mirrors_.find(window);
  return it == mirrors_.end() ? nullptr : &it->second;
}

HWND WindowMirrors::HandleOf(::Window id) const {
  auto it = by_id_.find(id);
  return it == by_id_.end() ? nullptr : it->second;
}

XIC WindowMirrors::InputContextOf(::Window id) const {
  auto owner = by_id_.find(id);
  if (owner == by_id_.end()) return nullptr;
  auto mirror = mirrors_.find(owner->second);
  return mirror == mirrors_.end() ? nullptr : mirror->second.input_context.get();
}

void WindowMirrors::Create(HWND window, const NativeWindowState& state) {
  Display* d = display_;
  const Atoms& atoms = connection_.atoms;
  XSetWindowAttributes attributes{};
  attributes.background_pixel = BlackPixel(d, DefaultScreen(d));
  attributes.event_mask = ExposureMask | StructureNotifyMask | ButtonPressMask | ButtonReleaseMask |
                          PointerMotionMask | KeyPressMask | KeyReleaseMask | FocusChangeMask;
  // Owned windows are the ones drawn with see-through parts over another. A compositing
  // manager may start or stop at any time: each window asks when it is made.
  const bool see_through = state.owner != nullptr;
  bool blended = false;
  if (see_through && CompositorRuns(d)) {
    if (alpha_visual_.visual == nullptr) alpha_visual_ = FindAlphaVisual(d);
    blended = alpha_visual_.visual != nullptr;
  }
  unsigned long value_mask = CWBackPixel | CWEventMask;
  if (blended) {
    attributes.background_pixel = 0;
    attributes.border_pixel = 0;
    attributes.colormap = alpha_visual_.colormap;
    value_mask |= CWBorderPixel | CWColormap;
  }
  const RECT& rect = state.rect;
  const ::Window id = XCreateWindow(
      d, connection_.root, rect.left, rect.top, Extent(rect.left, rect.right),
      Extent(rect.top, rect.bottom), 0, blended ? 32 : CopyFromParent, InputOutput,
      blended ? alpha_visual_.visual : nullptr /* CopyFromParent */, value_mask, &attributes);
  // The program draws its own caption and frame.
  long hints[5] = {2, 0, 0, 0, 0};
  XChangeProperty(d, id, atoms.motif_hints, atoms.motif_hints, 32, PropModeReplace,
                  reinterpret_cast<unsigned char*>(hints), 5);
  SetClassHint(d, id, state.class_name);
  Atom wm_delete = atoms.wm_delete;
  XSetWMProtocols(d, id, &wm_delete, 1);
  long pid = static_cast<long>(getpid());
  XChangeProperty(d, id, atoms.net_wm_pid, XA_CARDINAL, 32, PropModeReplace,
                  reinterpret_cast<unsigned char*>(&pid), 1);
  // Keep the position the program asked for, with or without a window manager.
  XSizeHints size_hints{};
  size_hints.flags = PPosition | USPosition;
  XSetWMNormalHints(d, id, &size_hints);
  Mirror& mirror = mirrors_[window];
  mirror.id = id;
  if (blended) mirror.alpha_gc = XCreateGC(d, id, 0, nullptr);
  mirror.cut_to_shown = see_through && !blended;
  mirror.event_mask = attributes.event_mask;
  mirror.state = state;
  mirror.state.visible = false;
  by_id_[id] = window;
  SetTitle(id, state.title);
  Apply(mirror, state);
  XFlush(d);
}

void WindowMirrors::Change(HWND window, const NativeWindowState& state) {
  Mirror* mirror = Find(window);
  if (mirror == nullptr) return;
  Apply(*mirror, state);
  XFlush(display_);
}

void WindowMirrors::Apply(Mirror& mirror, const NativeWindowState& state) {
  Display* d = display_;
  const NativeWindowState& was = mirror.state;
  if (!SameRect(was.rect, state.rect)) {
    mirror.requested.push_back(state.rect);
    if (mirror.requested.size() > kRememberedRequests) mirror.requested.pop_front();
    XMoveResizeWindow(d, mirror.id, state.rect.left, state.rect.top,
                      Extent(state.rect.left, state.rect.right),
                      Extent(state.rect.top, state.rect.bottom));
  }
  if (was.title != state.title) SetTitle(mirror.id, state.title);
  if (was.topmost != state.topmost) SetTopmost(mirror.id, state.topmost);
  if (was.icon != state.icon) SetIconProperty(d, mirror.id, state.icon);
  if (state.owner != was.owner) {
    auto owner = mirrors_.find(state.owner);
    XSetTransientForHint(d, mirror.id, owner == mirrors_.end() ? None : owner->second.id);
  }
  if (state.has_region != was.has_region || state.region.size() != was.region.size() ||
      (state.has_region && std::memcmp(state.region.data(), was.region.data(),
                                       state.region.size() * sizeof(RECT)) != 0)) {
    Reshape(mirror, state);
  }
  const bool map = state.visible && !state.minimized;
  if (map && !mirror.mapped) {
    XMapRaised(d, mirror.id);
    // Without a window manager nothing places a mapped window; ask again where it belongs.
    XMoveWindow(d, mirror.id, state.rect.left, state.rect.top);
    ++mirror.expected_maps;
    mirror.mapped = true;
  } else if (!map && mirror.mapped) {
    XUnmapWindow(d, mirror.id);
    ++mirror.expected_unmaps;
    mirror.mapped = false;
  }
  mirror.state = state;
}

void WindowMirrors::Reshape(const Mirror& mirror, const NativeWindowState& state) {
  Display* d = display_;
  std::vector<XRectangle> region;
  for (const RECT& r : state.region) {
    region.push_back(XRectangle{static_cast<short>(r.left), static_cast<short>(r.top),
                                static_cast<unsigned short>(r.right - r.left),
                                static_cast<unsigned short>(r.bottom - r.top)});
  }
  if (mirror.cut_to_shown) {
    std::vector<XRectangle> shown = mirror.opacity.ShownRectangles();
    XShapeCombineRectangles(d, mirror.id, ShapeBounding, 0, 0, shown.data(),
                            static_cast<int>(shown.size()), ShapeSet, YXBanded);
    if (state.has_region) {
      XShapeCombineRectangles(d, mirror.id, ShapeBounding, 0, 0, region.data(),
                              static_cast<int>(region.size()), ShapeIntersect, Unsorted);
    }
  } else if (state.has_region) {
    XShapeCombineRectangles(d, mirror.id, ShapeBounding, 0, 0, region.data(),
                            static_cast<int>(region.size()), ShapeSet, Unsorted);
  } else {
    XShapeCombineMask(d, mirror.id, ShapeBounding, 0, 0, None, ShapeSet);
  }
}

void WindowMirrors::SetTitle(::Window id, const std::wstring& title) {
  std::string text = ToUtf8(title);
  XChangeProperty(display_, id, connection_.atoms.net_wm_name, connection_.atoms.utf8_string, 8,
                  PropModeReplace, reinterpret_cast<const unsigned char*>(text.data()),
                  static_cast<int>(text.size()));
  XStoreName(display_, id, text.c_str());
}

void WindowMirrors::SetTopmost(::Window id, bool topmost) {
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = id;
  event.xclient.message_type = connection_.atoms.net_wm_state;
  event.xclient.format = 32;
  event.xclient.data.l[0] = topmost ? 1 : 0;  // add or remove
  event.xclient.data.l[1] = static_cast<long>(connection_.atoms.net_wm_state_above);
  event.xclient.data.l[3] = 1;
  XSendEvent(display_, connection_.root, False, SubstructureRedirectMask | SubstructureNotifyMask,
             &event);
  if (topmost) XRaiseWindow(display_, id);
}

void WindowMirrors::Destroy(HWND window) {
  auto it = mirrors_.find(window);
  if (it == mirrors_.end()) return;
  by_id_.erase(it->second.id);
  if (it->second.alpha_gc != nullptr) XFreeGC(display_, it->second.alpha_gc);
  it->second.input_context.reset();
  XDestroyWindow(display_, it->second.id);
  XFlush(display_);
  mirrors_.erase(it);
}

void WindowMirrors::Raise(HWND window) {
  Mirror* mirror = Find(window);
  if (mirror == nullptr || !mirror->mapped) return;
  XRaiseWindow(display_, mirror->id);
  XFlush(display_);
}

void WindowMirrors::Activate(HWND window) {
  Mirror* mirror = Find(window);
  if (mirror == nullptr || !mirror->mapped) return;
  SendActivate(connection_, mirror->id);
  XFlush(display_);
}

void WindowMirrors::Present(HWND window, const RECT& area, cairo_surface_t* composed) {
  Mirror* found = Find(window);
  if (found == nullptr || !found->mapped) return;
  Mirror& mirror = *found;
  Display* d = display_;
  const int width = cairo_image_surface_get_width(composed);
  const int height = cairo_image_surface_get_height(composed);
  if (width <= 0 || height <= 0) return;
  cairo_surface_flush(composed);
  auto* pixels = reinterpret_cast<std::uint32_t*>(cairo_image_surface_get_data(composed));
  const int stride = cairo_image_surface_get_stride(composed);
  if (mirror.cut_to_shown) {
    const RECT& rect = mirror.state.rect;
    if (mirror.opacity.Update(rect.right - rect.left, rect.bottom - rect.top, area, pixels,
                              stride / 4)) {
      Reshape(mirror, mirror.state);
    }
  }
  // Cairo's premultiplied ARGB is what a 32-bit visual blends; a 24-bit one ignores the alpha.
  const bool blended = mirror.alpha_gc != nullptr;
  XImage* image =
      XCreateImage(d, blended ? alpha_visual_.visual : DefaultVisual(d, DefaultScreen(d)),
                   blended ? 32 : 24, ZPixmap, 0, reinterpret_cast<char*>(pixels),
                   static_cast<unsigned>(width), static_cast<unsigned>(height), 32, stride);
  if (image == nullptr) return;
  GC gc = blended ? mirror.alpha_gc : DefaultGC(d, DefaultScreen(d));
  XPutImage(d, mirror.id, gc, image, 0, 0, area.left, area.top, static_cast<unsigned>(width),
            static_cast<unsigned>(height));
  image->data = nullptr;  // Cairo's pixels, not the image's
  XDestroyImage(image);
  XFlush(d);
}

std::optional<RECT> WindowMirrors::Configured(HWND window, const XConfigureEvent& event) {
  Mirror* mirror = Find(window);
  if (mirror == nullptr) return std::nullopt;
  int x = 0;
  int y = 0;
  ::Window child = 0;
  XTranslateCoordinates(display_, event.window, connection_.root, 0, 0, &x, &y, &child);
  const RECT rect{x, y, x + event.width, y + event.height};
  auto& requested = mirror->requested;
  auto echo = std::find_if(requested.begin(), requested.end(),
                           [&](const RECT& asked) { return SameRect(asked, rect); });
  if (echo != requested.end()) {
    requested.erase(requested.begin(), echo + 1);
    return std::nullopt;
  }
  if (SameRect(rect, mirror->state.rect)) return std::nullopt;
  mirror->state.rect = rect;
  return rect;
}

bool WindowMirrors::MappedByOthers(HWND window, bool mapped) {
  Mirror* mirror = Find(window);
  if (mirror == nullptr) return false;
  int& echoes = mapped ? mirror->expected_maps : mirror->expected_unmaps;
  if (echoes > 0) {
    --echoes;
    return false;
  }
  const bool was_minimized = mirror->state.minimized;
  mirror->mapped = mapped;
  mirror->state.minimized = !mapped;
  // Another's unmap minimises; another's map restores only what was minimised.
  return !mapped || was_minimized;
}

void WindowMirrors::Focused(HWND window, bool in) {
  Mirror* mirror = Find(window);
  if (mirror == nullptr) return;
  if (in && !mirror->context_made) {
    mirror->context_made = true;
    long filter_events = 0;
    mirror->input_context = input_method_.CreateContext(mirror->id, &filter_events);
    if (filter_events != 0) XSelectInput(display_, mirror->id, mirror->event_mask | filter_events);
  }
  if (!mirror->input_context) return;
  if (in) {
    XSetICFocus(mirror->input_context.get());
  } else {
    XUnsetICFocus(mirror->input_context.get());
  }
}

}  // namespace win::core
