// Classes, creation and destruction, window data and the default procedure.
#include <windows.h>

#include <algorithm>
#include <cwchar>
#include <mutex>
#include <utility>

#include "core/dispatch.h"
#include "core/model.h"
#include "core/screen_model.h"
#include "core/surface_store.h"
#include "core/thread_queue.h"

using win::core::Model;
using win::core::TheModel;
using win::core::Window;

namespace {

std::wstring TextOrEmpty(LPCWSTR text) {
  return text == nullptr ? std::wstring() : std::wstring(text);
}

// Class names given as atoms (MAKEINTRESOURCEW) are not supported: only names.
bool IsName(LPCWSTR text) { return reinterpret_cast<std::uintptr_t>(text) > 0xFFFF; }

RECT DefaultPlacement(int x, int y, int width, int height, bool child) {
  if (child) {
    if (x == CW_USEDEFAULT) x = y = 0;
    if (width == CW_USEDEFAULT) width = height = 0;
  } else {
    RECT work = win::core::PrimaryMonitor().work;
    if (x == CW_USEDEFAULT) x = y = 0;
    if (width == CW_USEDEFAULT) {
      width = (work.right - work.left) / 2;
      height = (work.bottom - work.top) / 2;
    }
  }
  return RECT{x, y, x + std::max(width, 0), y + std::max(height, 0)};
}

void Collect(Model& model, HWND handle, std::vector<HWND>& pre_order) {
  Window* window = model.Find(handle);
  if (window == nullptr) return;
  pre_order.push_back(handle);
  for (HWND child : window->children) Collect(model, child, pre_order);
}

void RemoveFromModel(HWND handle) {
  Model& model = TheModel();
  std::unique_lock lock(model.mutex);
  Window* window = model.Find(handle);
  if (window == nullptr) return;
  if (window->is_child()) {
    if (Window* parent = model.Find(window->parent)) {
      auto& siblings = parent->children;
      siblings.erase(std::remove(siblings.begin(), siblings.end(), handle), siblings.end());
    }
  } else {
    auto& list = model.top_levels;
    list.erase(std::remove(list.begin(), list.end(), handle), list.end());
  }
  if (model.foreground == handle) model.foreground = window->owner;
  model.windows.erase(handle);
}

}  // namespace

ATOM RegisterClassExW(const WNDCLASSEXW* window_class) {
  if (window_class == nullptr || window_class->lpfnWndProc == nullptr ||
      !IsName(window_class->lpszClassName) || *window_class->lpszClassName == L'\0') {
    return 0;
  }
  Model& model = TheModel();
  std::unique_lock lock(model.mutex);
  std::wstring key = win::core::LowerCase(window_class->lpszClassName);
  if (model.classes.count(key) != 0) return 0;
  win::core::WindowClass& entry = model.classes[key];
  entry.name = window_class->lpszClassName;
  entry.style = window_class->style;
  entry.procedure = window_class->lpfnWndProc;
  entry.instance = window_class->hInstance;
  entry.background = window_class->hbrBackground;
  return static_cast<ATOM>(0xC000 + model.classes.size());
}

BOOL UnregisterClassW(LPCWSTR class_name, HINSTANCE) {
  if (!IsName(class_name)) return FALSE;
  Model& model = TheModel();
  std::unique_lock lock(model.mutex);
  std::wstring key = win::core::LowerCase(class_name);
  for (const auto& [handle, window] : model.windows) {
    if (!window->foreign && win::core::LowerCase(window->class_name) == key) return FALSE;
  }
  return model.classes.erase(key) != 0 ? TRUE : FALSE;
}

HWND CreateWindowExW(DWORD ex_style, LPCWSTR class_name, LPCWSTR window_name, DWORD style, int x,
                     int y, int width, int height, HWND parent, HMENU menu, HINSTANCE instance,
                     LPVOID param) {
  if (!IsName(class_name)) return nullptr;
  Model& model = TheModel();
  auto window = std::make_unique<Window>();
  const bool child = (style & WS_CHILD) != 0;
  const HWND handle = model.NewHandle();
  RECT rect = DefaultPlacement(x, y, width, height, child);
  {
    std::unique_lock lock(model.mutex);
    auto found = model.classes.find(win::core::LowerCase(class_name));
    if (found == model.classes.end()) return nullptr;
    if (child) {
      if (model.FindLocal(parent) == nullptr) return nullptr;
      window->parent = parent;
      window->id = reinterpret_cast<LONG_PTR>(menu);
    } else if (parent != nullptr) {
      Window* given = model.FindLocal(parent);
      if (given == nullptr) return nullptr;
      window->owner = model.Root(*given).handle;
    }
    window->handle = handle;
    window->class_name = found->second.name;
    window->class_style = found->second.style;
    window->background = found->second.background;
    window->procedure = found->second.procedure;
    window->instance = instance;
    window->title = TextOrEmpty(window_name);
    // Shown after creation, as the visible style asks, so that WM_SHOWWINDOW comes last.
    window->style = style & ~WS_VISIBLE;
    window->ex_style = ex_style;
    window->rect = rect;
    window->queue = win::core::CurrentQueueShared();
    window->thread_id = window->queue->thread_id();
    window->surface = std::make_shared<win::Surface>(window->width(), window->height());
    if (child) {
      auto& siblings = model.Find(parent)->children;
      siblings.insert(siblings.begin(), handle);
    } else {
      model.top_levels.insert(model.top_levels.begin(), handle);
    }
    model.windows.emplace(handle, std::move(window));
    if (!child) model.NormalizeZOrder();
  }
  if (!child) {
    win::core::NativeWindowState state;
    {
      std::shared_lock lock(model.mutex);
      state = model.NativeState(*model.Find(handle));
    }
    win::core::TheBackend().TopLevelCreated(handle, state);
  }

  CREATESTRUCTW create{param,
                       instance,
                       menu,
                       parent,
                       static_cast<int>(rect.bottom - rect.top),
                       static_cast<int>(rect.right - rect.left),
                       static_cast<int>(rect.top),
                       static_cast<int>(rect.left),
                       static_cast<LONG>(style),
                       window_name,
                       class_name,
                       ex_style};
  const LPARAM create_param = reinterpret_cast<LPARAM>(&create);
  if (!win::core::CallProcedure(handle, WM_NCCREATE, 0, create_param) ||
      win::core::CallProcedure(handle, WM_CREATE, 0, create_param) == -1) {
    DestroyWindow(handle);
    return nullptr;
  }
  if (!IsWindow(handle)) return nullptr;  // destroyed by its own creation messages
  SendMessageW(handle, WM_SIZE, SIZE_RESTORED,
               MAKELPARAM(rect.right - rect.left, rect.bottom - rect.top));
  SendMessageW(handle, WM_MOVE, 0, MAKELPARAM(rect.left, rect.top));
  if ((style & WS_VISIBLE) != 0 && IsWindow(handle)) {
    ShowWindow(handle, (ex_style & WS_EX_TOPMOST) != 0 || child ? SW_SHOWNA : SW_SHOW);
  }
  return IsWindow(handle) ? handle : nullptr;
}

BOOL DestroyWindow(HWND handle) {
  Model& model = TheModel();
  std::vector<HWND> owned;
  std::vector<HWND> tree;
  RECT old_screen{};
  HWND root = nullptr;
  bool child = false;
  {
    std::unique_lock lock(model.mutex);
    Window* window = model.FindLocal(handle);
    if (window == nullptr || window->destroying ||
        window->thread_id != win::core::CurrentThreadId()) {
      return FALSE;
    }
    child = window->is_child();
    old_screen = model.ScreenRect(*window);
    root = model.Root(*window).handle;
    owned = model.OwnedBy(handle);
    Collect(model, handle, tree);
    for (HWND member : tree) model.Find(member)->destroying = true;
  }
  for (HWND member : owned) DestroyWindow(member);
  for (HWND member : tree) {
    win::core::ForgetTimers(member);
    win::core::ForgetHotKeys(member);
    win::core::ForgetInputState(member);
  }
  {
    std::unique_lock lock(model.mutex);
    if (Window* window = model.Find(handle)) window->style &= ~WS_VISIBLE;
  }
  if (!child) win::core::SyncNative(handle);
  for (HWND member : tree) win::core::CallProcedure(member, WM_DESTROY, 0, 0);
  // Children end before their parent: WM_NCDESTROY is each window's last message.
  for (auto it = tree.rbegin(); it != tree.rend(); ++it) {
    win::core::CallProcedure(*it, WM_NCDESTROY, 0, 0);
    std::shared_ptr<win::core::ThreadQueue> queue;
    {
      std::shared_lock lock(model.mutex);
      if (Window* window = model.Find(*it)) queue = window->queue;
    }
    if (queue) {
      queue->DropPaintRequest(*it);
      queue->DropMessagesOf(*it);
    }
    RemoveFromModel(*it);
  }
  if (child) {
    win::core::RefreshAfterChange(root, old_screen);
  } else {
    win::core::TheBackend().TopLevelDestroyed(handle);
  }
  return TRUE;
}

BOOL IsWindow(HWND handle) {
  if (handle == win::core::DesktopHandle()) return TRUE;
  Model& model = TheModel();
  std::uint64_t foreign_id = 0;
  {
    std::shared_lock lock(model.mutex);
    Window* window = model.Find(handle);
    if (window == nullptr) return FALSE;
    if (!window->foreign) return TRUE;
    foreign_id = window->foreign->native_id;
  }
  return win::core::TheBackend().ForeignAlive(foreign_id) ? TRUE : FALSE;
}

LRESULT CallWindowProcW(WNDPROC procedure, HWND window, UINT message, WPARAM wparam,
                        LPARAM lparam) {
  return procedure == nullptr ? 0 : procedure(window, message, wparam, lparam);
}

LONG_PTR SetWindowLongPtrW(HWND handle, int index, LONG_PTR value) {
  Model& model = TheModel();
  LONG_PTR previous = 0;
  bool style_changed = false;
  {
    std::unique_lock lock(model.mutex);
    Window* window = model.FindLocal(handle);
    if (window == nullptr) return 0;
    switch (index) {
      case GWLP_USERDATA:
        previous = window->user_data;
        window->user_data = value;
        break;
      case GWLP_WNDPROC:
        previous = reinterpret_cast<LONG_PTR>(window->procedure);
        window->procedure = reinterpret_cast<WNDPROC>(value);
        break;
      case GWLP_ID:
        previous = window->id;
        window->id = value;
        break;
      case GWLP_HWNDPARENT:
        previous = reinterpret_cast<LONG_PTR>(window->owner);
        if (!window->is_child()) {
          window->owner = reinterpret_cast<HWND>(value);
          model.NormalizeZOrder();
        }
        break;
      case GWL_STYLE:
        previous = static_cast<LONG_PTR>(window->style);
        // The child bit cannot change after creation.
        window->style = (static_cast<DWORD>(value) & ~WS_CHILD) | (window->style & WS_CHILD);
        style_changed = true;
        break;
      case GWL_EXSTYLE:
        previous = static_cast<LONG_PTR>(window->ex_style);
        window->ex_style = static_cast<DWORD>(value);
        style_changed = true;
        break;
      default:
        return 0;
    }
  }
  if (style_changed) win::core::SyncNative(handle);
  return previous;
}

LONG_PTR GetWindowLongPtrW(HWND handle, int index) {
  Model& model = TheModel();
  std::shared_lock lock(model.mutex);
  Window* window = model.FindLocal(handle);
  if (window == nullptr) return 0;
  switch (index) {
    case GWLP_USERDATA:
      return window->user_data;
    case GWLP_WNDPROC:
      return reinterpret_cast<LONG_PTR>(window->procedure);
    case GWLP_ID:
      return window->id;
    case GWLP_HINSTANCE:
      return reinterpret_cast<LONG_PTR>(window->instance);
    case GWLP_HWNDPARENT:
      return reinterpret_cast<LONG_PTR>(window->owner);
    case GWL_STYLE:
      return static_cast<LONG_PTR>(window->style | (window->minimized ? WS_MINIMIZE : 0) |
                                   (window->maximized ? WS_MAXIMIZE : 0));
    case GWL_EXSTYLE:
      return static_cast<LONG_PTR>(window->ex_style);
    default:
      return 0;
  }
}

BOOL SetWindowTextW(HWND handle, LPCWSTR text) {
  Model& model = TheModel();
  {
    std::unique_lock lock(model.mutex);
    Window* window = model.FindLocal(handle);
    if (window == nullptr) return FALSE;
    window->title = TextOrEmpty(text);
  }
  win::core::SyncNative(handle);
  return TRUE;
}

namespace {

int CopyOut(const std::wstring& text, LPWSTR out, int size) {
  if (out == nullptr || size <= 0) return 0;
  int count = std::min(static_cast<int>(text.size()), size - 1);
  std::wmemcpy(out, text.data(), static_cast<size_t>(count));
  out[count] = L'\0';
  return count;
}

}  // namespace

int GetWindowTextW(HWND handle, LPWSTR text, int size) {
  Model& model = TheModel();
  std::shared_lock lock(model.mutex);
  Window* window = model.FindLocal(handle);
  return window == nullptr ? CopyOut(L"", text, size) : CopyOut(window->title, text, size);
}

int GetClassNameW(HWND handle, LPWSTR class_name, int size) {
  Model& model = TheModel();
  std::shared_lock lock(model.mutex);
  Window* window = model.Find(handle);
  return window == nullptr ? 0 : CopyOut(window->class_name, class_name, size);
}

LRESULT DefWindowProcW(HWND handle, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_NCCREATE:
      return TRUE;
    case WM_CLOSE:
      DestroyWindow(handle);
      return 0;
    case WM_NCHITTEST: {
      POINT point{GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)};
      RECT rect{};
      GetWindowRect(handle, &rect);
      return point.x >= rect.left && point.x < rect.right && point.y >= rect.top &&
                     point.y < rect.bottom
                 ? HTCLIENT
                 : HTNOWHERE;
    }
    case WM_SYSCOMMAND:
      switch (wparam & 0xFFF0) {
        case SC_RESTORE:
          ShowWindow(handle, SW_RESTORE);
          return 0;
        case SC_MINIMIZE:
          ShowWindow(handle, SW_MINIMIZE);
          return 0;
        case SC_MAXIMIZE:
          ShowWindow(handle, SW_MAXIMIZE);
          return 0;
        case SC_CLOSE:
          SendMessageW(handle, WM_CLOSE, 0, 0);
          return 0;
        default:
          return 0;
      }
    case WM_ERASEBKGND: {
      HBRUSH background = nullptr;
      {
        Model& model = TheModel();
        std::shared_lock lock(model.mutex);
        if (Window* window = model.FindLocal(handle)) background = window->background;
      }
      if (background == nullptr) return 0;
      RECT client{};
      GetClientRect(handle, &client);
      FillRect(reinterpret_cast<HDC>(wparam), &client, background);
      return 1;
    }
    case WM_PAINT: {
      PAINTSTRUCT paint{};
      BeginPaint(handle, &paint);
      EndPaint(handle, &paint);
      return 0;
    }
    case WM_SETTEXT:
      return SetWindowTextW(handle, reinterpret_cast<LPCWSTR>(lparam));
    case WM_SETICON: {
      HICON previous = nullptr;
      {
        Model& model = TheModel();
        std::unique_lock lock(model.mutex);
        Window* window = model.FindLocal(handle);
        if (window == nullptr) return 0;
        HICON& slot = wparam == ICON_SMALL ? window->small_icon : window->big_icon;
        previous = std::exchange(slot, reinterpret_cast<HICON>(lparam));
      }
      win::core::SyncNative(handle);
      return reinterpret_cast<LRESULT>(previous);
    }
    default:
      return 0;
  }
}
