// The X11 backend. One connection, guarded by one lock; a reader thread owned by the backend
// waits on the connection (and a wake-up pipe) and turns events into the model's input, so a
// user-interface thread only ever waits on its own queue. The windows it mirrors, the keyboard,
// other programs' windows and the reader are parts of their own; this file ties them together.
#include "x11/x11_backend.h"

#include <windows.h>

#include <cairo.h>
#include <X11/Xatom.h>
#include <X11/XKBlib.h>
#include <X11/Xlib.h>

#include <atomic>
#include <cstdio>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "core/dispatch.h"
#include "core/input.h"
#include "core/text_utf8.h"
#include "core/thread_queue.h"
#include "system/session_end.h"
#include "x11/connection.h"
#include "x11/event_reader.h"
#include "x11/foreign_windows.h"
#include "x11/input_method.h"
#include "x11/keyboard.h"
#include "x11/text_selection.h"
#include "x11/window_mirrors.h"

namespace win::core {

namespace {

// Returns, so that the display's exit handler decides what follows.
int LeaveLostConnectionToExitHandler(Display*) { return 0; }

class X11Backend final : public Backend {
  // Holds the connection's lock. Any call can read events off the socket into Xlib's own
  // queue (a round trip does); the reader, asleep on the socket, is then woken to take them.
  class Locked {
   public:
    explicit Locked(X11Backend& backend) : backend_(backend), lock_(backend.lock_) {}
    ~Locked() {
      if (XQLength(backend_.display_.get()) > 0) backend_.reader_->Wake();
    }
    Locked(const Locked&) = delete;
    Locked& operator=(const Locked&) = delete;

   private:
    X11Backend& backend_;
    std::lock_guard<std::mutex> lock_;
  };

 public:
  explicit X11Backend(DisplayPtr display);

  Clock& clock() override { return clock_; }
  bool IsHeadless() const override { return false; }
  std::vector<MonitorArea> Monitors() override;
  std::optional<POINT> QueryCursor() override;
  void WarpCursor(POINT point) override;

  void TopLevelCreated(HWND window, const NativeWindowState& state) override {
    Locked lock(*this);
    mirrors_.Create(window, state);
  }
  void TopLevelChanged(HWND window, const NativeWindowState& state) override {
    Locked lock(*this);
    mirrors_.Change(window, state);
  }
  void TopLevelDestroyed(HWND window) override {
    Locked lock(*this);
    mirrors_.Destroy(window);
  }
  void Raise(HWND window) override {
    Locked lock(*this);
    mirrors_.Raise(window);
  }
  void Activate(HWND window) override {
    Locked lock(*this);
    mirrors_.Activate(window);
  }
  void Present(HWND window, const RECT& area, cairo_surface_t* composed) override {
    Locked lock(*this);
    mirrors_.Present(window, area, composed);
  }

  bool GrabKey(UINT modifiers, UINT virtual_key) override {
    Locked lock(*this);
    return keyboard_.Grab(modifiers, virtual_key);
  }
  void UngrabKey(UINT modifiers, UINT virtual_key) override {
    Locked lock(*this);
    keyboard_.Ungrab(modifiers, virtual_key);
  }

  std::optional<ForeignWindow> FindForeign(const std::wstring& class_name,
                                           const std::wstring* title) override {
    Locked lock(*this);
    return foreign_.Find(class_name, title);
  }
  bool ForeignAlive(std::uint64_t id) override {
    Locked lock(*this);
    return foreign_.Alive(id);
  }
  bool PostForeign(std::uint64_t id, UINT message, WPARAM wparam, LPARAM lparam) override {
    Locked lock(*this);
    return foreign_.Post(id, message, wparam, lparam);
  }
  bool RectOfForeign(std::uint64_t id, RECT* rect) override {
    Locked lock(*this);
    return foreign_.RectOf(id, rect);
  }
  void RaiseForeign(std::uint64_t id) override {
    Locked lock(*this);
    foreign_.Raise(id);
  }
  void ActivateForeign(std::uint64_t id) override {
    Locked lock(*this);
    foreign_.Activate(id);
  }
  std::optional<ForeignWindow> ForeignForeground() override {
    Locked lock(*this);
    return foreign_.Foreground();
  }

  void OfferSelectionText(DesktopSelection which, const std::wstring& text) override;
  std::optional<std::wstring> OthersSelectionText(DesktopSelection which) override;

 private:
  static void OnConnectionLost(Display* display, void* backend);  // without the lock
  void Handle(const XEvent& event);  // on the reader's thread, without the lock
  void HandleWindowEvent(HWND window, const XEvent& event);

  // In the order of their making: each part uses those above it, and the reader all of them.
  DisplayPtr display_;
  std::mutex lock_;
  SteadyClock clock_;
  Connection connection_;
  InputMethod input_method_;
  TextSelection& SelectionOf(DesktopSelection which) {
    return which == DesktopSelection::Clipboard ? clipboard_ : primary_;
  }

  TextSelection clipboard_;
  TextSelection primary_;
  WindowMirrors mirrors_;
  Keyboard keyboard_;
  ForeignWindows foreign_;
  std::atomic<bool> connection_lost_{false};
  std::unique_ptr<EventReader> reader_;
};

X11Backend::X11Backend(DisplayPtr display)
    : display_(std::move(display)),
      connection_(display_.get()),
      input_method_(display_.get()),
      clipboard_(display_.get(), "CLIPBOARD"),
      primary_(display_.get(), "PRIMARY"),
      mirrors_(connection_, input_method_),
      keyboard_(connection_),
      foreign_(connection_, mirrors_) {
  Display* d = display_.get();
  Bool detectable = False;
  XkbSetDetectableAutoRepeat(d, True, &detectable);
  XSelectInput(d, connection_.root, KeyPressMask | KeyReleaseMask);
  XFlush(d);
  reader_ = std::make_unique<EventReader>(d, lock_, [this](const XEvent& event) { Handle(event); });
  XSetIOErrorHandler(LeaveLostConnectionToExitHandler);
  XSetIOErrorExitHandler(d, OnConnectionLost, this);
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
  self->reader_->Stop();
  win::system::DeliverLogoff();
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
  if (XGetWindowProperty(d, connection_.root, connection_.atoms.net_workarea, 0, 4, False,
                         XA_CARDINAL, &type, &format, &count, &after, &data) == Success &&
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
  if (!XQueryPointer(display_.get(), connection_.root, &root, &child, &x, &y, &wx, &wy, &mask))
    return std::nullopt;
  return POINT{x, y};
}

void X11Backend::WarpCursor(POINT point) {
  Locked lock(*this);
  XWarpPointer(display_.get(), None, connection_.root, 0, 0, 0, 0, point.x, point.y);
  XFlush(display_.get());
}

void X11Backend::OfferSelectionText(DesktopSelection which, const std::wstring& text) {
  Locked lock(*this);
  SelectionOf(which).Offer(ToUtf8(text));
}

std::optional<std::wstring> X11Backend::OthersSelectionText(DesktopSelection which) {
  TextSelection& selection = SelectionOf(which);
  {
    Locked lock(*this);
    switch (selection.Ask()) {
      case TextSelection::Holder::Own:
        return std::nullopt;
      case TextSelection::Holder::Nobody:
        return std::wstring();
      case TextSelection::Holder::Other:
        break;
    }
  }
  // A live client answers at once; one that hangs costs the paste, never the program. The
  // reader may be sending to this thread meanwhile (a click's activation and focus), so what
  // is sent here is delivered while the answer is awaited.
  const std::shared_ptr<ThreadQueue> own_queue = CurrentQueueShared();
  return FromUtf8(selection.WaitForText(std::chrono::milliseconds(1000),
                                        [&own_queue] { own_queue->RunTasks(); }));
}

void X11Backend::Handle(const XEvent& event) {
  HWND window = nullptr;
  ReadKey key;
  {
    std::lock_guard<std::mutex> lock(lock_);
    for (TextSelection* selection : {&clipboard_, &primary_}) {
      if (event.xany.window == selection->window()) {
        selection->Handle(event);
        return;
      }
    }
    if (event.type == KeyPress || event.type == KeyRelease) {
      key = keyboard_.Read(event.xkey, mirrors_.InputContextOf(event.xkey.window));
    } else {
      window = mirrors_.HandleOf(event.xany.window);
    }
  }
  if (event.type == KeyPress || event.type == KeyRelease) {
    keyboard_.Route(event.xkey, key);
  } else if (window != nullptr) {
    HandleWindowEvent(window, event);
  }
}

void X11Backend::HandleWindowEvent(HWND window, const XEvent& event) {
  switch (event.type) {
    case Expose:
      PresentExposed(window,
                     RECT{event.xexpose.x, event.xexpose.y, event.xexpose.x + event.xexpose.width,
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
        case Button1:
          RouteMouseButton(MouseButton::Left, down);
          break;
        case Button2:
          RouteMouseButton(MouseButton::Middle, down);
          break;
        case Button3:
          RouteMouseButton(MouseButton::Right, down);
          break;
        case Button4:
          if (down) RouteMouseWheel(WHEEL_DELTA);
          break;
        case Button5:
          if (down) RouteMouseWheel(-WHEEL_DELTA);
          break;
        default:
          break;
      }
      break;
    }
    case ConfigureNotify: {
      std::optional<RECT> moved;
      {
        std::lock_guard<std::mutex> lock(lock_);
        moved = mirrors_.Configured(window, event.xconfigure);
      }
      if (moved) RouteNativeGeometry(window, *moved);
      break;
    }
    case UnmapNotify:
    case MapNotify: {
      const bool mapped = event.type == MapNotify;
      bool by_others = false;
      {
        std::lock_guard<std::mutex> lock(lock_);
        by_others = mirrors_.MappedByOthers(window, mapped);
      }
      if (by_others) RouteNativeMinimized(window, !mapped);
      break;
    }
    case FocusIn:
    case FocusOut: {
      {
        std::lock_guard<std::mutex> lock(lock_);
        mirrors_.Focused(window, event.type == FocusIn);
      }
      if (event.type == FocusIn) RouteNativeActivated(window);
      break;
    }
    case ClientMessage:
      if (event.xclient.message_type == connection_.atoms.wm_protocols &&
          static_cast<Atom>(event.xclient.data.l[0]) == connection_.atoms.wm_delete) {
        RouteCloseRequest(window);
      } else if (event.xclient.message_type == connection_.atoms.quorvel_message) {
        ForeignWindows::Accept(window, event.xclient);
      }
      break;
    default:
      break;
  }
}

}  // namespace

std::unique_ptr<Backend> CreateX11Backend() {
  XInitThreads();
  RecordErrors();
  DisplayPtr display(XOpenDisplay(nullptr));
  if (!display) return nullptr;
  return std::make_unique<X11Backend>(std::move(display));
}

}  // namespace win::core
