#include "modal_hooks.h"

#include <utility>

namespace ui {

namespace {

std::function<void(HWND)>& Observer() {
  static std::function<void(HWND)> observer;
  return observer;
}

}  // namespace

void SetModalStartObserver(std::function<void(HWND)> observer) { Observer() = std::move(observer); }

void NotifyModalStart(HWND window) {
  // Taken out first: the observer may start another modal loop.
  std::function<void(HWND)> observer = std::move(Observer());
  Observer() = nullptr;
  if (observer) observer(window);
}

}  // namespace ui
