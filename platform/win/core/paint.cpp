// Update regions and the WM_PAINT cycle.
#include <windows.h>

#include <mutex>

#include "core/dispatch.h"
#include "core/model.h"
#include "core/surface_store.h"
#include "core/thread_queue.h"
#include "win/surface.h"

using win::core::Model;
using win::core::TheModel;

BOOL InvalidateRect(HWND window, const RECT* rect, BOOL erase) {
  if (!IsWindow(window)) return FALSE;
  win::core::Invalidate(window, rect, erase != FALSE);
  return TRUE;
}

BOOL ValidateRect(HWND window, const RECT*) {
  Model& model = TheModel();
  std::unique_lock lock(model.mutex);
  win::core::Window* found = model.FindLocal(window);
  if (found == nullptr) return FALSE;
  found->update.reset();
  found->erase_pending = false;
  return TRUE;
}

BOOL GetUpdateRect(HWND window, LPRECT rect, BOOL) {
  Model& model = TheModel();
  std::shared_lock lock(model.mutex);
  win::core::Window* found = model.FindLocal(window);
  if (found == nullptr || !found->update) {
    if (rect != nullptr) *rect = RECT{0, 0, 0, 0};
    return FALSE;
  }
  if (rect != nullptr) *rect = *found->update;
  return TRUE;
}

BOOL UpdateWindow(HWND window) {
  if (!win::core::OwnedByCurrentThread(window)) return FALSE;
  if (GetUpdateRect(window, nullptr, FALSE)) {
    std::shared_ptr<win::core::ThreadQueue> queue = win::core::CurrentQueueShared();
    queue->DropPaintRequest(window);
    SendMessageW(window, WM_PAINT, 0, 0);
    ValidateRect(window, nullptr);
  }
  return TRUE;
}

HDC BeginPaint(HWND window, PAINTSTRUCT* paint) {
  if (paint == nullptr) return nullptr;
  *paint = PAINTSTRUCT{};
  bool erase = false;
  {
    Model& model = TheModel();
    std::unique_lock lock(model.mutex);
    win::core::Window* found = model.FindLocal(window);
    if (found == nullptr) return nullptr;
    paint->rcPaint = found->update.value_or(RECT{0, 0, 0, 0});
    erase = found->erase_pending;
    found->update.reset();
    found->erase_pending = false;
  }
  win::core::CurrentQueue().DropPaintRequest(window);
  paint->hdc = GetDC(window);
  paint->fErase =
      erase && SendMessageW(window, WM_ERASEBKGND, reinterpret_cast<WPARAM>(paint->hdc), 0) == 0;
  return paint->hdc;
}

BOOL EndPaint(HWND window, const PAINTSTRUCT* paint) {
  if (paint == nullptr) return FALSE;
  {
    win::SurfaceAccess access(window);
    access.MarkDirty(paint->rcPaint);
  }
  ReleaseDC(window, paint->hdc);
  win::PresentWindow(window);
  return TRUE;
}
