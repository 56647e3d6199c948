#include "classroom/alarm_bar.h"

#include <cstdint>

#include "base/app_messages.h"
#include "classroom/lesson_time.h"

ui::LPCTSTR AlarmBar::GetWindowClassName() const { return L"QV-ALERMBAR"; }

// The bar lives as long as the process; its owner keeps the object.
void AlarmBar::OnFinalMessage(HWND) {}

void AlarmBar::InitWindow() {
  alarm_icon_ = &ControlOrStandIn(L"alarm_icon");
  warn_info_ = &ControlOrStandIn(L"warn_info");
  warn_format_ = ControlOrStandIn(L"warn_info_format").GetText().str();
}

ui::CUiString AlarmBar::GetSkinFile() { return layout_.c_str(); }

// Nowhere: the bar lets every click through to the classroom under it.
LRESULT AlarmBar::OnNcHitTest(UINT, WPARAM, LPARAM, BOOL& handled) {
  handled = TRUE;
  return HTNOWHERE;
}

LRESULT AlarmBar::HandleCustomMessage(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) {
  handled = FALSE;
  switch (message) {
    case WM_TIMER:
      Tick();
      break;
    case WM_MOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
      SendMessageW(MainWindow(), message, wParam, lParam);
      break;
    default:
      break;
  }
  return 0;
}

void AlarmBar::Start(std::int64_t start_at) {
  start_at_ = start_at;
  alarm_icon_->SetVisible(false);
  warn_info_->SetVisible(false);
  ShowWindow(NowSeconds() < start_at_, false);
  // Also when the start has passed: the first tick then stops it and tells the owner.
  SetTimer(GetHWND(), TIMER_LESSON_CLOCK, kLessonClockPeriodMs, nullptr);
}

void AlarmBar::Tick() {
  const std::int64_t now = NowSeconds();
  if (now >= start_at_) {
    KillTimer(GetHWND(), TIMER_LESSON_CLOCK);
    PostMessageW(MainWindow(), UM_LESSON_START_REACHED, 0, 0);
    ShowWindow(false, false);
    return;
  }
  if (!alarm_icon_->IsVisible()) alarm_icon_->SetVisible(true);
  if (!warn_info_->IsVisible()) warn_info_->SetVisible(true);
  const std::int64_t minutes = MinutesRoundedUp(start_at_ - now);
  warn_info_->SetAttribute(L"text", FormatMinutes(warn_format_, minutes).c_str());
}

HWND AlarmBar::MainWindow() const { return GetWindow(GetHWND(), GW_OWNER); }
