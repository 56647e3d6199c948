#include <algorithm>

#include "library_timers.h"
#include "ui/ui_manager.h"

namespace ui {

bool CPaintManagerUI::SetTimer(CControlUI* control, UINT_PTR id, UINT elapse_ms) {
  if (window_ == nullptr) return false;
  KillTimer(nullptr, id);
  if (::SetTimer(window_, id, elapse_ms, &CPaintManagerUI::OnTimer) == 0) return false;
  timers_.emplace_back(id, control);
  return true;
}

// A null control kills the id whoever holds it.
void CPaintManagerUI::KillTimer(CControlUI* control, UINT_PTR id) {
  const auto held = [&](const std::pair<UINT_PTR, CControlUI*>& timer) {
    return timer.first == id && (control == nullptr || timer.second == control);
  };
  if (std::none_of(timers_.begin(), timers_.end(), held)) return;
  timers_.erase(std::remove_if(timers_.begin(), timers_.end(), held), timers_.end());
  if (window_ != nullptr) ::KillTimer(window_, id);
}

void CALLBACK CPaintManagerUI::OnTimer(HWND window, UINT, UINT_PTR id, DWORD) {
  CPaintManagerUI* manager = FromWindow(window);
  if (manager == nullptr) return;
  if (id == kToolTipTimer) {
    manager->ShowToolTip();
    return;
  }
  for (const auto& [timer_id, control] : manager->timers_) {
    if (timer_id == id && control != nullptr) {
      manager->Dispatch(control, UIEvent::Timer, manager->last_mouse_, id);
      return;
    }
  }
}

}  // namespace ui
