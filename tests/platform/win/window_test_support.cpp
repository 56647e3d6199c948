#include "tests/platform/win/window_test_support.h"

#include <condition_variable>
#include <cstdlib>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace win_test {

namespace {

constexpr UINT kWatchdogMessage = WM_USER + 0x7FF0;

std::map<HWND, Handler>& Handlers() {
  static std::map<HWND, Handler> handlers;
  return handlers;
}
Handler g_pending_handler;

std::vector<HWND>& Created() {
  static std::vector<HWND> created;
  return created;
}

LRESULT CALLBACK TestProcedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  auto& handlers = Handlers();
  auto it = handlers.find(window);
  if (it == handlers.end() && g_pending_handler) {
    it = handlers.emplace(window, std::move(g_pending_handler)).first;
    g_pending_handler = nullptr;
  }
  if (it != handlers.end() && it->second) {
    Handler handler = it->second;  // the handler may replace itself
    LRESULT result = handler(window, message, wparam, lparam);
    if (message == WM_NCDESTROY) handlers.erase(window);
    return result;
  }
  return DefWindowProcW(window, message, wparam, lparam);
}

}  // namespace

void RegisterTestClass(const std::wstring& name) {
  WNDCLASSEXW window_class{};
  window_class.cbSize = sizeof(window_class);
  window_class.lpfnWndProc = TestProcedure;
  window_class.lpszClassName = name.c_str();
  RegisterClassExW(&window_class);
}

HWND CreateTestWindow(const std::wstring& class_name, Handler handler, DWORD style, int x, int y,
                      int width, int height, HWND parent, DWORD ex_style, LPVOID param) {
  g_pending_handler = std::move(handler);
  HWND window = CreateWindowExW(ex_style, class_name.c_str(), L"", style, x, y, width, height,
                                parent, nullptr, nullptr, param);
  g_pending_handler = nullptr;
  if (window != nullptr) Created().push_back(window);
  return window;
}

void DestroyTestWindows() {
  ReleaseCapture();
  std::vector<HWND> windows;
  windows.swap(Created());
  for (HWND window : windows) {
    if (IsWindow(window) && GetAncestor(window, GA_ROOT) == window) DestroyWindow(window);
  }
  PumpPending();
}

void SetHandler(HWND window, Handler handler) { Handlers()[window] = std::move(handler); }

void PumpPending() {
  MSG message{};
  // Bounded: a handler that keeps posting to itself cannot hold the test here.
  for (int i = 0; i < 100000 && PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE); ++i) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

bool RunLoopUntil(const std::function<bool()>& done, std::chrono::milliseconds limit) {
  const DWORD thread = GetCurrentThreadId();
  std::mutex mutex;
  std::condition_variable stop;
  bool finished = false;
  std::thread watchdog([&] {
    std::unique_lock<std::mutex> lock(mutex);
    if (!stop.wait_for(lock, limit, [&] { return finished; })) {
      PostThreadMessageW(thread, kWatchdogMessage, 0, 0);
    }
  });
  bool fired = false;
  MSG message{};
  while (!done()) {
    if (GetMessageW(&message, nullptr, 0, 0) <= 0) break;
    if (message.hwnd == nullptr && message.message == kWatchdogMessage) {
      fired = true;
      break;
    }
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  {
    std::lock_guard<std::mutex> lock(mutex);
    finished = true;
  }
  stop.notify_one();
  watchdog.join();
  if (fired) ADD_FAILURE() << "the message loop did not finish within the time limit";
  return !fired;
}

}  // namespace win_test
