// The X11 backend. One connection, guarded by one lock; a reader thread owned by the backend
// waits on the connection (and a wake-up pipe) and turns events into the model's input, so a
// user-interface thread only ever waits on its own queue.
#include "x11/x11_backend.h"

#include <windows.h>

#include <cairo.h>
#include <X11/Xatom.h>
#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/shape.h>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <deque>
#include <cstring>
#include <mutex>
#include <set>
#include <thread>
#include <unordered_map>
#include <vector>

#include "core/dispatch.h"
#include "core/input.h"
#include "core/text_utf8.h"
#include "system/session_end.h"
#include "x11/input_method.h"
#include "x11/keymap.h"
#include "x11/see_through.h"
#include "x11/selection_clipboard.h"
#include "x11/window_hints.h"

namespace win::core {

namespace {

struct DisplayCloser {
  void operator()(Display* display) const { XCloseDisplay(display); }
};
using DisplayPtr = std::unique_ptr<Display, DisplayCloser>;

// X errors arrive asynchronously; the calls that can fail sync and look at the last one.
std::atomic<int> g_last_error{0};
int RecordError(Display*, XErrorEvent* event) {
  g_last_error = event->error_code;
  return 0;
}

// Returns, so that the display's exit handler decides what follows.
int LeaveLostConnectionToExitHandler(Display*) { return 0; }

// Any client of the server can send these, so they carry no pointer and nothing that drives
// the program: a second copy's raise, and an inert message that tells a client its earlier
// events were read.
void PostFromOtherProgram(HWND window, const XClientMessageEvent& event) {
  const auto message = static_cast<UINT>(event.data.l[0]);
  const auto wparam = static_cast<WPARAM>(event.data.l[1]);
  if (message == WM_SYSCOMMAND && wparam == SC_RESTORE) {
    PostMessageW(window, WM_SYSCOMMAND, SC_RESTORE, 0);
  } else if (message == WM_NULL) {
    PostMessageW(window, WM_NULL, wparam, 0);
  }
}

struct Mirror {
  ::Window id = 0;
  NativeWindowState state;
  // What this program last asked the server for. The server's map and unmap events for those
  // requests arrive later, possibly after the opposite request: they are counted off as echoes
  // and only the others (a window manager's or another client's) change the mirror.
  bool mapped = false;
  int expected_maps = 0;
  int expected_unmaps = 0;
  // The rectangles this program asked for lately: their configure events are echoes, not
  // moves by the user, and must not move the window back.
  std::deque<RECT> requested;
  // A see-through window: drawn with the alpha visual (gc for its depth), or cut to what shows.
  GC alpha_gc = nullptr;
  bool cut_to_shown = false;
  OpacityMask opacity;
  InputContextPtr input_context;
};

constexpr size_t kRememberedRequests = 8;

bool SameRect(const RECT& a, const RECT& b) { return std::memcmp(&a, &b, sizeof(RECT)) == 0; }

class X11Backend final : public Backend {
  // Holds the connection's lock. Any call can read events off the socket into Xlib's own
  // queue (a round trip does); the reader, asleep on the socket, is then woken to take them.
  class Locked {
   public:
    explicit Locked(X11Backend& backend) : backend_(backend), lock_(backend.lock_) {}
    ~Locked() {
      if (XQLength(backend_.display_.get()) > 0) backend_.WakeReader();
    }
    Locked(const Locked&) = delete;
    Locked& operator=(const Locked&) = delete;

   private:
    X11Backend& backend_;
    std::lock_guard<std::mutex> lock_;
  };

 public:
  explicit X11Backend(DisplayPtr display);
  ~X11Backend() override;

  Clock& clock() override { return clock_; }
  bool IsHeadless() const override { return false; }
  std::vector<MonitorArea> Monitors() override;
  std::optional<POINT> QueryCursor() override;
  void WarpCursor(POINT point) override;

  void TopLevelCreated(HWND window, const NativeWindowState& state) override;
  void TopLevelChanged(HWND window, const NativeWindowState& state) override;
  void TopLevelDestroyed(HWND window) override;
  void Raise(HWND window) override;
  void Activate(HWND window) override;
  void Present(HWND window, const RECT& area, cairo_surface_t* composed) override;

  bool GrabKey(UINT modifiers, UINT virtual_key) override;
  void UngrabKey(UINT modifiers, UINT virtual_key) override;

  std::optional<ForeignWindow> FindForeign(const std::wstring& class_name,
                                           const std::wstring* title) override;
  bool ForeignAlive(std::uint64_t id) override;
  bool PostForeign(std::uint64_t id, UINT message, WPARAM wparam, LPARAM lparam) override;
  bool RectOfForeign(std::uint64_t id, RECT* rect) override;
  void RaiseForeign(std::uint64_t id) override;
  void ActivateForeign(std::uint64_t id) override;
  std::optional<ForeignWindow> ForeignForeground() override;

  void OfferClipboardText(const std::wstring& text) override;
  std::optional<std::wstring> OthersClipboardText() override;

 private:
  // All below require lock_ unless noted.
  void ApplyState(Mirror& mirror, const NativeWindowState& state);
  // The window's shape: its region, and for a window cut to what shows, its shown pixels.
  void Reshape(const Mirror& mirror, const NativeWindowState& state);
  void SetTitle(::Window id, const std::wstring& title);
  void SetTopmost(::Window id, bool topmost);
  void SendActivate(::Window id);
  DWORD ProcessOf(::Window id);
  bool IsOurs(::Window id) const;
  HWND HandleOf(::Window id) const;
  std::wstring ClassOf(::Window id);
  std::wstring TitleOf(::Window id);
  bool GrabAllLockStates(KeyCode code, unsigned int state, bool grab);
  void ReadEvents();
  void WakeReader();
  static void OnConnectionLost(Display* display, void* backend);  // without the lock
  void Handle(const XEvent& event);  // without the lock
  void HandleKey(const XKeyEvent& event);

  DisplayPtr display_;
  std::mutex lock_;
  SteadyClock clock_;
  ::Window root_;
  Atom wm_protocols_, wm_delete_, net_wm_name_, utf8_string_, net_active_, net_wm_state_,
      net_wm_state_above_, net_wm_pid_, net_workarea_, motif_hints_, quorvel_message_;
  AlphaVisual alpha_visual_;  // found once a compositing manager was first seen
  std::unique_ptr<InputMethod> input_method_;
  std::unique_ptr<SelectionClipboard> clipboard_;
  std::unordered_map<HWND, Mirror> mirrors_;
  std::unordered_map<::Window, HWND> by_id_;
  std::set<KeyCode> keys_down_;
  int wake_pipe_[2] = {-1, -1};
  std::atomic<bool> stopping_{false};
  std::atomic<bool> connection_lost_{false};
  std::thread reader_;
};

X11Backend::X11Backend(DisplayPtr display) : display_(std::move(display)) {
  Display* d = display_.get();
  root_ = DefaultRootWindow(d);
  auto atom = [d](const char* name) { return XInternAtom(d, name, False); };
  wm_protocols_ = atom("WM_PROTOCOLS");
  wm_delete_ = atom("WM_DELETE_WINDOW");
  net_wm_name_ = atom("_NET_WM_NAME");
  utf8_string_ = atom("UTF8_STRING");
  net_active_ = atom("_NET_ACTIVE_WINDOW");
  net_wm_state_ = atom("_NET_WM_STATE");
  net_wm_state_above_ = atom("_NET_WM_STATE_ABOVE");
  net_wm_pid_ = atom("_NET_WM_PID");
  net_workarea_ = atom("_NET_WORKAREA");
  motif_hints_ = atom("_MOTIF_WM_HINTS");
  quorvel_message_ = atom("_QUORVEL_MESSAGE");
  XSetErrorHandler(RecordError);
  XSetIOErrorHandler(LeaveLostConnectionToExitHandler);
  XSetIOErrorExitHandler(d, OnConnectionLost, this);
  Bool detectable = False;
  XkbSetDetectableAutoRepeat(d, True, &detectable);
  XSelectInput(d, root_, KeyPressMask | KeyReleaseMask);
  input_method_ = std::make_unique<InputMethod>(d);
  clipboard_ = std::make_unique<SelectionClipboard>(d);
  XFlush(d);
  if (pipe2(wake_pipe_, O_NONBLOCK | O_CLOEXEC) != 0) wake_pipe_[0] = wake_pipe_[1] = -1;
  reader_ = std::thread([this] { ReadEvents(); });
}

// The server went away, having ended or ended the session: instead of Xlib's exit from
// whichever thread noticed, the program hears a logoff and ends as it does on one, its
// windows' calls doing nothing meanwhile.
void X11Backend::OnConnectionLost(Display* display, void* backend) {
  // Xlib keeps the display locked for the thread that noticed, for an exit that does not come;
  // unlocked, every thread's later calls find the connection closed and return.
  XUnlockDisplay(display);
  auto* self = static_cast<X11Backend*>(backend);
  if (self->connection_lost_.exchange(true)) return;
  std::fprintf(stderr, "the connection to the display %s was lost\n", DisplayString(display));
  self->WakeReader();
  win::system::DeliverLogoff();
}

void X11Backend::WakeReader() {
  if (wake_pipe_[1] < 0) return;
  char byte = 0;
  (void)!write(wake_pipe_[1], &byte, 1);
}

X11Backend::~X11Backend() {
  stopping_ = true;
  WakeReader();
  if (reader_.joinable()) reader_.join();
  for (int fd : wake_pipe_) {
    if (fd >= 0) close(fd);
  }
  if (alpha_visual_.colormap != 0) XFreeColormap(display_.get(), alpha_visual_.colormap);
}

std::vector<MonitorArea> X11Backend::Monitors() {
  Locked lock(*this);
  Display* d = display_.get();
  const int screen = DefaultScreen(d);
  RECT monitor{0, 0, DisplayWidth(d, screen), DisplayHeight(d, screen)};
  RECT work = monitor;
  Atom type = None;
  int format = 0;
  unsigned long count = 0;
  unsigned long after = 0;
  unsigned char* data = nullptr;
  if (XGetWindowProperty(d, root_, net_workarea_, 0, 4, False, XA_CARDINAL, &type, &format, &count,
                         &after, &data) == Success &&
      data != nullptr && format == 32 && count >= 4) {
    auto* values = reinterpret_cast<long*>(data);
    work = RECT{static_cast<LONG>(values[0]), static_cast<LONG>(values[1]),
                static_cast<LONG>(values[0] + values[2]), static_cast<LONG>(values[1] + values[3])};
  }
  if (data != nullptr) XFree(data);
  return {MonitorArea{monitor, work}};
}

std::optional<POINT> X11Backend::QueryCursor() {
  Locked lock(*this);
  ::Window root = 0;
  ::Window child = 0;
  int x = 0;
  int y = 0;
  int wx = 0;
  int wy = 0;
  unsigned int mask = 0;
  if (!XQueryPointer(display_.get(), root_, &root, &child, &x, &y, &wx, &wy, &mask)) return std::nullopt;
  return POINT{x, y};
}

void X11Backend::WarpCursor(POINT point) {
  Locked lock(*this);
  XWarpPointer(display_.get(), None, root_, 0, 0, 0, 0, point.x, point.y);
  XFlush(display_.get());
}

void X11Backend::TopLevelCreated(HWND window, const NativeWindowState& state) {
  Locked lock(*this);
  Display* d = display_.get();
  XSetWindowAttributes attributes{};
  attributes.background_pixel = BlackPixel(d, DefaultScreen(d));
  attributes.event_mask = ExposureMask | StructureNotifyMask | ButtonPressMask | ButtonReleaseMask |
                          PointerMotionMask | KeyPressMask | KeyReleaseMask | FocusChangeMask;
  const int width = std::max<LONG>(state.rect.right - state.rect.left, 1);
  const int height = std::max<LONG>(state.rect.bottom - state.rect.top, 1);
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
  const ::Window id =
      XCreateWindow(d, root_, state.rect.left, state.rect.top, static_cast<unsigned>(width),
                    static_cast<unsigned>(height), 0, blended ? 32 : CopyFromParent, InputOutput,
                    blended ? alpha_visual_.visual : nullptr /* CopyFromParent */, value_mask,
                    &attributes);
  // The program draws its own caption and frame.
  long hints[5] = {2, 0, 0, 0, 0};
  XChangeProperty(d, id, motif_hints_, motif_hints_, 32, PropModeReplace,
                  reinterpret_cast<unsigned char*>(hints), 5);
  SetClassHint(d, id, state.class_name);
  XSetWMProtocols(d, id, &wm_delete_, 1);
  long pid = static_cast<long>(getpid());
  XChangeProperty(d, id, net_wm_pid_, XA_CARDINAL, 32, PropModeReplace,
                  reinterpret_cast<unsigned char*>(&pid), 1);
  // Keep the position the program asked for, with or without a window manager.
  XSizeHints size_hints{};
  size_hints.flags = PPosition | USPosition;
  XSetWMNormalHints(d, id, &size_hints);
  Mirror& mirror = mirrors_[window];
  mirror.id = id;
  if (blended) mirror.alpha_gc = XCreateGC(d, id, 0, nullptr);
  mirror.cut_to_shown = see_through && !blended;
  long filter_events = 0;
  mirror.input_context = input_method_->CreateContext(id, &filter_events);
  if (filter_events != 0) XSelectInput(d, id, attributes.event_mask | filter_events);
  mirror.state = state;
  mirror.state.visible = false;
  by_id_[id] = window;
  SetTitle(id, state.title);
  ApplyState(mirror, state);
  XFlush(d);
}

void X11Backend::TopLevelChanged(HWND window, const NativeWindowState& state) {
  Locked lock(*this);
  auto it = mirrors_.find(window);
  if (it == mirrors_.end()) return;
  ApplyState(it->second, state);
  XFlush(display_.get());
}

void X11Backend::ApplyState(Mirror& mirror, const NativeWindowState& state) {
  Display* d = display_.get();
  const NativeWindowState& was = mirror.state;
  if (!SameRect(was.rect, state.rect)) {
    mirror.requested.push_back(state.rect);
    if (mirror.requested.size() > kRememberedRequests) mirror.requested.pop_front();
    XMoveResizeWindow(d, mirror.id, state.rect.left, state.rect.top,
                      static_cast<unsigned>(std::max<LONG>(state.rect.right - state.rect.left, 1)),
                      static_cast<unsigned>(std::max<LONG>(state.rect.bottom - state.rect.top, 1)));
  }
  if (was.title != state.title) SetTitle(mirror.id, state.title);
  if (was.topmost != state.topmost) SetTopmost(mirror.id, state.topmost);
  if (was.icon != state.icon) SetIconProperty(d, mirror.id, state.icon);
  if (state.owner != was.owner) {
    auto owner = mirrors_.find(state.owner);
    XSetTransientForHint(d, mirror.id, owner == mirrors_.end() ? None : owner->second.id);
  }
  if (state.has_region != was.has_region || state.region.size() != was.region.size() ||
      (state.has_region &&
       std::memcmp(state.region.data(), was.region.data(), state.region.size() * sizeof(RECT)) != 0)) {
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

void X11Backend::Reshape(const Mirror& mirror, const NativeWindowState& state) {
  Display* d = display_.get();
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

void X11Backend::SetTitle(::Window id, const std::wstring& title) {
  std::string text = ToUtf8(title);
  XChangeProperty(display_.get(), id, net_wm_name_, utf8_string_, 8, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(text.data()), static_cast<int>(text.size()));
  XStoreName(display_.get(), id, text.c_str());
}

void X11Backend::SetTopmost(::Window id, bool topmost) {
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = id;
  event.xclient.message_type = net_wm_state_;
  event.xclient.format = 32;
  event.xclient.data.l[0] = topmost ? 1 : 0;  // add or remove
  event.xclient.data.l[1] = static_cast<long>(net_wm_state_above_);
  event.xclient.data.l[3] = 1;
  XSendEvent(display_.get(), root_, False, SubstructureRedirectMask | SubstructureNotifyMask, &event);
  if (topmost) XRaiseWindow(display_.get(), id);
}

void X11Backend::SendActivate(::Window id) {
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = id;
  event.xclient.message_type = net_active_;
  event.xclient.format = 32;
  event.xclient.data.l[0] = 1;  // from an application
  event.xclient.data.l[1] = CurrentTime;
  XSendEvent(display_.get(), root_, False, SubstructureRedirectMask | SubstructureNotifyMask, &event);
  XRaiseWindow(display_.get(), id);
}

void X11Backend::TopLevelDestroyed(HWND window) {
  Locked lock(*this);
  auto it = mirrors_.find(window);
  if (it == mirrors_.end()) return;
  by_id_.erase(it->second.id);
  if (it->second.alpha_gc != nullptr) XFreeGC(display_.get(), it->second.alpha_gc);
  it->second.input_context.reset();
  XDestroyWindow(display_.get(), it->second.id);
  XFlush(display_.get());
  mirrors_.erase(it);
}

void X11Backend::Raise(HWND window) {
  Locked lock(*this);
  auto it = mirrors_.find(window);
  if (it == mirrors_.end() || !it->second.mapped) return;
  XRaiseWindow(display_.get(), it->second.id);
  XFlush(display_.get());
}

void X11Backend::Activate(HWND window) {
  Locked lock(*this);
  auto it = mirrors_.find(window);
  if (it == mirrors_.end() || !it->second.mapped) return;
  SendActivate(it->second.id);
  XFlush(display_.get());
}

void X11Backend::Present(HWND window, const RECT& area, cairo_surface_t* composed) {
  Locked lock(*this);
  auto it = mirrors_.find(window);
  if (it == mirrors_.end() || !it->second.mapped) return;
  Display* d = display_.get();
  const int width = cairo_image_surface_get_width(composed);
  const int height = cairo_image_surface_get_height(composed);
  if (width <= 0 || height <= 0) return;
  cairo_surface_flush(composed);
  Mirror& mirror = it->second;
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
  XImage* image = XCreateImage(d, blended ? alpha_visual_.visual : DefaultVisual(d, DefaultScreen(d)),
                               blended ? 32 : 24, ZPixmap, 0, reinterpret_cast<char*>(pixels),
                               static_cast<unsigned>(width), static_cast<unsigned>(height), 32,
                               stride);
  if (image == nullptr) return;
  GC gc = blended ? mirror.alpha_gc : DefaultGC(d, DefaultScreen(d));
  XPutImage(d, it->second.id, gc, image, 0, 0, area.left, area.top, static_cast<unsigned>(width),
            static_cast<unsigned>(height));
  image->data = nullptr;  // Cairo's pixels, not the image's
  XDestroyImage(image);
  XFlush(d);
}

bool X11Backend::GrabAllLockStates(KeyCode code, unsigned int state, bool grab) {
  // Caps Lock and Num Lock must not hide the combination.
  const unsigned int extras[] = {0, LockMask, Mod2Mask, LockMask | Mod2Mask};
  Display* d = display_.get();
  g_last_error = 0;
  for (unsigned int extra : extras) {
    if (grab) {
      XGrabKey(d, code, state | extra, root_, True, GrabModeAsync, GrabModeAsync);
    } else {
      XUngrabKey(d, code, state | extra, root_);
    }
  }
  XSync(d, False);
  return g_last_error.load() == 0;
}

bool X11Backend::GrabKey(UINT modifiers, UINT virtual_key) {
  Locked lock(*this);
  KeySym symbol = KeySymOfVirtualKey(virtual_key);
  if (symbol == NoSymbol) return false;
  KeyCode code = XKeysymToKeycode(display_.get(), symbol);
  if (code == 0) return false;
  const unsigned int state = StateOfModifiers(modifiers);
  if (GrabAllLockStates(code, state, true)) return true;
  // Another client holds it: give back what this one got.
  GrabAllLockStates(code, state, false);
  return false;
}

void X11Backend::UngrabKey(UINT modifiers, UINT virtual_key) {
  Locked lock(*this);
  KeySym symbol = KeySymOfVirtualKey(virtual_key);
  KeyCode code = symbol == NoSymbol ? 0 : XKeysymToKeycode(display_.get(), symbol);
  if (code != 0) GrabAllLockStates(code, StateOfModifiers(modifiers), false);
}

bool X11Backend::IsOurs(::Window id) const { return by_id_.count(id) != 0; }

HWND X11Backend::HandleOf(::Window id) const {
  auto it = by_id_.find(id);
  return it == by_id_.end() ? nullptr : it->second;
}

DWORD X11Backend::ProcessOf(::Window id) {
  Atom type = None;
  int format = 0;
  unsigned long count = 0;
  unsigned long after = 0;
  unsigned char* data = nullptr;
  DWORD pid = 0;
  if (XGetWindowProperty(display_.get(), id, net_wm_pid_, 0, 1, False, XA_CARDINAL, &type, &format,
                         &count, &after, &data) == Success &&
      data != nullptr && count == 1) {
    pid = static_cast<DWORD>(*reinterpret_cast<long*>(data));
  }
  if (data != nullptr) XFree(data);
  return pid;
}

std::wstring X11Backend::ClassOf(::Window id) { return ModelClassOf(display_.get(), id); }

std::wstring X11Backend::TitleOf(::Window id) {
  Atom type = None;
  int format = 0;
  unsigned long count = 0;
  unsigned long after = 0;
  unsigned char* data = nullptr;
  std::wstring title;
  if (XGetWindowProperty(display_.get(), id, net_wm_name_, 0, 1024, False, utf8_string_, &type,
                         &format, &count, &after, &data) == Success && data != nullptr) {
    title = FromUtf8(std::string(reinterpret_cast<char*>(data), count));
  }
  if (data != nullptr) XFree(data);
  return title;
}

std::optional<ForeignWindow> X11Backend::FindForeign(const std::wstring& class_name,
                                                     const std::wstring* title) {
  Locked lock(*this);
  Display* d = display_.get();
  const std::wstring wanted = LowerCase(class_name);
  // Top-level windows, and the client windows inside a window manager's frames.
  std::vector<::Window> candidates;
  ::Window root = 0;
  ::Window parent = 0;
  ::Window* children = nullptr;
  unsigned int count = 0;
  if (XQueryTree(d, root_, &root, &parent, &children, &count)) {
    for (unsigned int i = 0; i < count; ++i) {
      candidates.push_back(children[i]);
      ::Window* inner = nullptr;
      unsigned int inner_count = 0;
      if (XQueryTree(d, children[i], &root, &parent, &inner, &inner_count)) {
        candidates.insert(candidates.end(), inner, inner + inner_count);
        if (inner != nullptr) XFree(inner);
      }
    }
    if (children != nullptr) XFree(children);
  }
  for (::Window id : candidates) {
    if (IsOurs(id) || LowerCase(ClassOf(id)) != wanted) continue;
    if (title != nullptr && TitleOf(id) != *title) continue;
    return ForeignWindow{static_cast<std::uint64_t>(id), ProcessOf(id)};
  }
  return std::nullopt;
}

bool X11Backend::ForeignAlive(std::uint64_t id) {
  Locked lock(*this);
  XWindowAttributes attributes{};
  g_last_error = 0;
  Status status = XGetWindowAttributes(display_.get(), static_cast<::Window>(id), &attributes);
  return status != 0 && g_last_error.load() == 0;
}

bool X11Backend::PostForeign(std::uint64_t id, UINT message, WPARAM wparam, LPARAM lparam) {
  Locked lock(*this);
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = static_cast<::Window>(id);
  event.xclient.message_type = quorvel_message_;
  event.xclient.format = 32;
  event.xclient.data.l[0] = static_cast<long>(message);
  event.xclient.data.l[1] = static_cast<long>(wparam);
  event.xclient.data.l[2] = static_cast<long>(lparam);
  g_last_error = 0;
  // An empty mask delivers to the client that created the window: the other program.
  XSendEvent(display_.get(), static_cast<::Window>(id), False, NoEventMask, &event);
  XSync(display_.get(), False);
  return g_last_error.load() == 0;
}

bool X11Backend::RectOfForeign(std::uint64_t id, RECT* rect) {
  Locked lock(*this);
  XWindowAttributes attributes{};
  g_last_error = 0;
  if (!XGetWindowAttributes(display_.get(), static_cast<::Window>(id), &attributes)) return false;
  int x = 0;
  int y = 0;
  ::Window child = 0;
  XTranslateCoordinates(display_.get(), static_cast<::Window>(id), root_, 0, 0, &x, &y, &child);
  *rect = RECT{x, y, x + attributes.width, y + attributes.height};
  return g_last_error.load() == 0;
}

void X11Backend::RaiseForeign(std::uint64_t id) {
  Locked lock(*this);
  XRaiseWindow(display_.get(), static_cast<::Window>(id));
  XFlush(display_.get());
}

void X11Backend::ActivateForeign(std::uint64_t id) {
  Locked lock(*this);
  SendActivate(static_cast<::Window>(id));
  XFlush(display_.get());
}

std::optional<ForeignWindow> X11Backend::ForeignForeground() {
  Locked lock(*this);
  Atom type = None;
  int format = 0;
  unsigned long count = 0;
  unsigned long after = 0;
  unsigned char* data = nullptr;
  ::Window active = 0;
  if (XGetWindowProperty(display_.get(), root_, net_active_, 0, 1, False, XA_WINDOW, &type, &format,
                         &count, &after, &data) == Success &&
      data != nullptr && count == 1) {
    active = static_cast<::Window>(*reinterpret_cast<unsigned long*>(data));
  }
  if (data != nullptr) XFree(data);
  if (active == 0 || IsOurs(active)) return std::nullopt;
  return ForeignWindow{static_cast<std::uint64_t>(active), ProcessOf(active)};
}

void X11Backend::ReadEvents() {
  const int connection = ConnectionNumber(display_.get());
  while (!stopping_ && !connection_lost_) {
    std::vector<XEvent> events;
    {
      std::lock_guard<std::mutex> lock(lock_);
      while (XPending(display_.get()) > 0) {
        XEvent event{};
        XNextEvent(display_.get(), &event);
        // The input method's own traffic, and keys it takes while composing.
        if (XFilterEvent(&event, None)) continue;
        events.push_back(event);
      }
    }
    for (const XEvent& event : events) Handle(event);
    if (!events.empty()) continue;
    pollfd waits[2] = {{connection, POLLIN, 0}, {wake_pipe_[0], POLLIN, 0}};
    poll(waits, wake_pipe_[0] >= 0 ? 2 : 1, -1);
    char drained[64];
    while (wake_pipe_[0] >= 0 && read(wake_pipe_[0], drained, sizeof(drained)) > 0) {
    }
  }
}

void X11Backend::HandleKey(const XKeyEvent& key) {
  TypedKey typed;
  KeySym unshifted = NoSymbol;
  bool repeat = false;
  {
    std::lock_guard<std::mutex> lock(lock_);
    XIC context = nullptr;
    if (auto owner = by_id_.find(key.window); owner != by_id_.end()) {
      if (auto mirror = mirrors_.find(owner->second); mirror != mirrors_.end()) {
        context = mirror->second.input_context.get();
      }
    }
    typed = InputMethod::Lookup(context, key);
    // Detectable auto-repeat: a held key presses again without releasing. An input method's
    // text comes without a key.
    if (key.keycode != 0) {
      if (key.type == KeyPress) {
        repeat = !keys_down_.insert(static_cast<KeyCode>(key.keycode)).second;
      } else {
        keys_down_.erase(static_cast<KeyCode>(key.keycode));
      }
      unshifted = XkbKeycodeToKeysym(display_.get(), static_cast<KeyCode>(key.keycode), 0, 0);
    }
  }
  UINT virtual_key = VirtualKeyOfKeySym(typed.symbol);
  if (virtual_key == 0) virtual_key = VirtualKeyOfKeySym(unshifted);
  const UINT modifiers = ModifiersOfState(key.state);
  if (key.window == root_) {
    if (key.type == KeyPress && virtual_key != 0) RouteHotKey(modifiers, virtual_key, repeat);
    return;
  }
  SetModifiers(modifiers);
  std::wstring characters;
  for (wchar_t c : FromUtf8(typed.text)) {
    if (c >= L' ' && c != 0x7F) characters += c;
  }
  if (virtual_key == VK_RETURN || virtual_key == VK_BACK) {
    characters = typed.text.empty() ? L"" : std::wstring(1, static_cast<wchar_t>(typed.text[0]));
  }
  const bool down = key.type == KeyPress;
  std::size_t next = 0;
  if (virtual_key != 0) {
    RouteKey(virtual_key, down, down && !characters.empty() ? characters[next++] : 0, repeat);
  }
  // What the key's own message cannot carry: an input method's text, a character without a key.
  for (; down && next < characters.size(); ++next) {
    RouteKey(VK_PACKET, true, characters[next], false);
    RouteKey(VK_PACKET, false, 0, false);
  }
}

void X11Backend::OfferClipboardText(const std::wstring& text) {
  Locked lock(*this);
  clipboard_->Offer(ToUtf8(text));
}

std::optional<std::wstring> X11Backend::OthersClipboardText() {
  {
    Locked lock(*this);
    switch (clipboard_->Ask()) {
      case SelectionClipboard::Holder::Own:
        return std::nullopt;
      case SelectionClipboard::Holder::Nobody:
        return std::wstring();
      case SelectionClipboard::Holder::Other:
        break;
    }
  }
  // A live client answers at once; one that hangs costs the paste, never the program.
  return FromUtf8(clipboard_->WaitForText(std::chrono::milliseconds(1000)));
}

void X11Backend::Handle(const XEvent& event) {
  HWND window = nullptr;
  {
    std::lock_guard<std::mutex> lock(lock_);
    window = HandleOf(event.xany.window);
    if (event.xany.window == clipboard_->window()) {
      clipboard_->Handle(event);
      return;
    }
  }
  switch (event.type) {
    case KeyPress:
    case KeyRelease:
      HandleKey(event.xkey);
      return;
    default:
      break;
  }
  if (window == nullptr) return;
  switch (event.type) {
    case Expose:
      PresentArea(window, RECT{event.xexpose.x, event.xexpose.y,
                               event.xexpose.x + event.xexpose.width,
                               event.xexpose.y + event.xexpose.height});
      break;
    case MotionNotify:
      RouteMouseMove(POINT{event.xmotion.x_root, event.xmotion.y_root});
      break;
    case ButtonPress:
    case ButtonRelease: {
      const bool down = event.type == ButtonPress;
      RouteMouseMove(POINT{event.xbutton.x_root, event.xbutton.y_root});
      switch (event.xbutton.button) {
        case Button1: RouteMouseButton(MouseButton::Left, down); break;
        case Button2: RouteMouseButton(MouseButton::Middle, down); break;
        case Button3: RouteMouseButton(MouseButton::Right, down); break;
        case Button4: if (down) RouteMouseWheel(WHEEL_DELTA); break;
        case Button5: if (down) RouteMouseWheel(-WHEEL_DELTA); break;
        default: break;
      }
      break;
    }
    case ConfigureNotify: {
      RECT rect{};
      bool changed = false;
      {
        std::lock_guard<std::mutex> lock(lock_);
        auto it = mirrors_.find(window);
        if (it == mirrors_.end()) break;
        int x = 0;
        int y = 0;
        ::Window child = 0;
        XTranslateCoordinates(display_.get(), event.xconfigure.window, root_, 0, 0, &x, &y, &child);
        rect = RECT{x, y, x + event.xconfigure.width, y + event.xconfigure.height};
        auto& requested = it->second.requested;
        auto echo = std::find_if(requested.begin(), requested.end(),
                                 [&](const RECT& asked) { return SameRect(asked, rect); });
        if (echo != requested.end()) {
          requested.erase(requested.begin(), echo + 1);
          break;
        }
        changed = !SameRect(rect, it->second.state.rect);
        if (changed) it->second.state.rect = rect;
      }
      if (changed) RouteNativeGeometry(window, rect);
      break;
    }
    case UnmapNotify: {
      bool by_user = false;
      {
        std::lock_guard<std::mutex> lock(lock_);
        auto it = mirrors_.find(window);
        if (it == mirrors_.end()) break;
        if (it->second.expected_unmaps > 0) {
          --it->second.expected_unmaps;
        } else {
          by_user = true;
          it->second.mapped = false;
          it->second.state.minimized = true;
        }
      }
      if (by_user) RouteNativeMinimized(window, true);
      break;
    }
    case MapNotify: {
      bool restored = false;
      {
        std::lock_guard<std::mutex> lock(lock_);
        auto it = mirrors_.find(window);
        if (it == mirrors_.end()) break;
        if (it->second.expected_maps > 0) {
          --it->second.expected_maps;
        } else {
          restored = it->second.state.minimized;
          it->second.mapped = true;
          it->second.state.minimized = false;
        }
      }
      if (restored) RouteNativeMinimized(window, false);
      break;
    }
    case FocusIn:
    case FocusOut: {
      {
        std::lock_guard<std::mutex> lock(lock_);
        auto mirror = mirrors_.find(window);
        if (mirror != mirrors_.end() && mirror->second.input_context) {
          if (event.type == FocusIn) {
            XSetICFocus(mirror->second.input_context.get());
          } else {
            XUnsetICFocus(mirror->second.input_context.get());
          }
        }
      }
      if (event.type == FocusIn) RouteNativeActivated(window);
      break;
    }
    case ClientMessage:
      if (event.xclient.message_type == wm_protocols_ &&
          static_cast<Atom>(event.xclient.data.l[0]) == wm_delete_) {
        RouteCloseRequest(window);
      } else if (event.xclient.message_type == quorvel_message_) {
        PostFromOtherProgram(window, event.xclient);
      }
      break;
    default:
      break;
  }
}

}  // namespace

std::unique_ptr<Backend> CreateX11Backend() {
  XInitThreads();
  DisplayPtr display(XOpenDisplay(nullptr));
  if (!display) return nullptr;
  return std::make_unique<X11Backend>(std::move(display));
}

}  // namespace win::core
