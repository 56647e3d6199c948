// What the window model needs from the screen it runs on. The model (windows, queues,
// timers, hotkeys) lives once above this; headless/ and x11/ implement it.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/clock.h"

typedef struct _cairo_surface cairo_surface_t;

namespace win::core {

struct MonitorArea {
  RECT monitor;
  RECT work;
};

// What a native window shows of a top-level window of the model.
struct NativeWindowState {
  std::wstring class_name;
  std::wstring title;
  RECT rect;  // screen
  bool visible;
  bool minimized;
  bool topmost;
  bool has_region;
  std::vector<RECT> region;  // window coordinates; used when has_region
  HWND owner;
  HICON icon;  // null: none
};

// A window of another program, found through the window manager.
struct ForeignWindow {
  std::uint64_t native_id;
  DWORD process_id;
};

// The two texts the desktop shares between programs: the clipboard (copy and paste) and the
// primary selection (select and middle-click).
enum class DesktopSelection { Clipboard, Primary };

class Backend {
 public:
  virtual ~Backend() = default;

  virtual Clock& clock() = 0;
  virtual bool IsHeadless() const = 0;
  virtual std::vector<MonitorArea> Monitors() = 0;
  // The pointer where the screen knows it better than the model; nullopt: use the model's.
  virtual std::optional<POINT> QueryCursor() { return std::nullopt; }
  virtual void WarpCursor(POINT) {}

  // Mirroring of top-level windows. Called with no model lock held.
  virtual void TopLevelCreated(HWND, const NativeWindowState&) {}
  virtual void TopLevelChanged(HWND, const NativeWindowState&) {}
  virtual void TopLevelDestroyed(HWND) {}
  virtual void Raise(HWND) {}
  virtual void Activate(HWND) {}
  // A press on the caption (or a sizing edge, by hit-test code) hands the drag to the screen.
  // False: the model moves the window itself.
  virtual bool BeginSystemDrag(HWND, POINT /*screen*/, LRESULT /*hit*/) { return false; }
  // composed: the window's picture of the area (top-level coordinates), area-sized.
  virtual void Present(HWND, const RECT& /*area*/, cairo_surface_t* /*composed*/) {}

  // Global key grabs for hotkeys (MOD_* without MOD_NOREPEAT); false when taken elsewhere.
  virtual bool GrabKey(UINT modifiers, UINT virtual_key) = 0;
  virtual void UngrabKey(UINT modifiers, UINT virtual_key) = 0;

  // Other programs' windows.
  virtual std::optional<ForeignWindow> FindForeign(const std::wstring& /*class_name*/,
                                                   const std::wstring* /*title*/) {
    return std::nullopt;
  }
  virtual bool ForeignAlive(std::uint64_t) { return false; }
  virtual bool PostForeign(std::uint64_t, UINT, WPARAM, LPARAM) { return false; }
  virtual bool RectOfForeign(std::uint64_t, RECT*) { return false; }
  virtual void RaiseForeign(std::uint64_t) {}
  virtual void ActivateForeign(std::uint64_t) {}
  // The desktop's clipboard or primary selection: the text this program puts on it, and the
  // text another program put there; nullopt while this program's own text is on it (or there
  // is no desktop), empty when there is none to be had.
  virtual void OfferSelectionText(DesktopSelection, const std::wstring&) {}
  virtual std::optional<std::wstring> OthersSelectionText(DesktopSelection) { return std::nullopt; }

  // The active window of the desktop when it belongs to another program.
  virtual std::optional<ForeignWindow> ForeignForeground() { return std::nullopt; }
};

// The process's backend: X11 when DISPLAY is set (and QUORVEL_HEADLESS is not 1),
// headless otherwise. Created on first use, lives for the process.
Backend& TheBackend();

}  // namespace win::core
