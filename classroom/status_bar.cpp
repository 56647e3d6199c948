#include "classroom/status_bar.h"

#include <cwchar>

#include "base/app_messages.h"
#include "classroom/classroom_shell.h"
#include "classroom/lesson_time.h"
#include "service/data_holder.h"

namespace {

constexpr const wchar_t* kWhite = L"#ffffffff";
constexpr const wchar_t* kRed = L"#ffe5393b";
constexpr const wchar_t* kGreen = L"#ff00ff00";
constexpr std::size_t kMaxClockLength = 128;

// Hours, minutes and seconds of elapsed seconds, the hours within the day.
std::wstring ClockText(std::int64_t elapsed) {
  wchar_t text[kMaxClockLength] = {};
  std::swprintf(text, kMaxClockLength, L"%.2lld:%.2lld:%.2lld",
                static_cast<long long>((elapsed / 3600) % 24),
                static_cast<long long>((elapsed / 60) % 60), static_cast<long long>(elapsed % 60));
  return text;
}

void ShowIfHidden(ui::CControlUI* control) {
  if (!control->IsVisible()) control->SetVisible(true);
}

}  // namespace

StatusBar::StatusBar(ClassroomShell& shell, DataHolder& holder) : shell_(shell), holder_(holder) {}

void StatusBar::Start() {
  const LessonRecord& lesson = holder_.lesson();
  const LessonMoments at = lesson.moments();
  teacher_ = lesson.role() == LessonRole::Teacher;
  clock_start_ = at.start;
  red_at_ = teacher_ ? at.warn_at : at.close;
  warn_at_ = teacher_ ? at.end : at.close;
  close_at_ = at.close;
  time_counter_->SetAttribute(L"textcolor", kWhite);
  warn_info_->SetAttribute(L"textcolor", kWhite);
  record_status_->SetAttribute(L"textcolor", kGreen);
  time_icon_->SetAttribute(L"bkimage", L"white_clock.png");
  time_icon_->SetVisible(false);
  time_counter_->SetVisible(false);
  warn_info_->SetVisible(false);
  record_status_->SetVisible(recording_shown_);
  ::ShowWindow(GetHWND(), SW_SHOW);
  SetTimer(GetHWND(), TIMER_LESSON_CLOCK, kLessonClockPeriodMs, nullptr);
}

void StatusBar::ShowRecording(bool recording) {
  recording_shown_ = recording;
  record_status_->SetVisible(recording);
}

void StatusBar::Stop() { KillTimer(GetHWND(), TIMER_LESSON_CLOCK); }

ui::LPCTSTR StatusBar::GetWindowClassName() const { return L"StatusBar"; }

// The main window owns the object and its window's life, so the bar never deletes itself.
void StatusBar::OnFinalMessage(HWND) {}

void StatusBar::InitWindow() {
  time_icon_ = &ControlOrStandIn(L"time_icon");
  time_counter_ = &ControlOrStandIn(L"time_counter");
  warn_info_ = &ControlOrStandIn(L"warn_info");
  record_status_ = &ControlOrStandIn(L"record_status");
  warn_format_ = ControlOrStandIn(L"warn_info_format").GetText().str();
}

ui::CUiString StatusBar::GetSkinFile() { return L"status_bar.xml"; }

// Nowhere: with its disabled style the bar never takes the mouse.
LRESULT StatusBar::OnNcHitTest(UINT, WPARAM, LPARAM, BOOL& handled) {
  handled = TRUE;
  return HTNOWHERE;
}

LRESULT StatusBar::HandleCustomMessage(UINT message, WPARAM, LPARAM, BOOL& handled) {
  handled = message == WM_MOVE ? TRUE : FALSE;
  // The bar has no other timer.
  if (message == WM_TIMER) Tick();
  return 0;
}

void StatusBar::Tick() {
  const std::int64_t now = NowSeconds();
  if (now > clock_start_) {
    ShowIfHidden(time_icon_);
    ShowIfHidden(time_counter_);
    if (recording_shown_) ShowIfHidden(record_status_);
    time_counter_->SetAttribute(L"text", ClockText(now - clock_start_).c_str());
  }
  if (now > red_at_) {
    time_icon_->SetAttribute(L"bkimage", L"red_clock.png");
    time_counter_->SetAttribute(L"textcolor", kRed);
    warn_info_->SetAttribute(L"textcolor", kRed);
  }
  if (now > warn_at_ && teacher_) {
    ShowIfHidden(warn_info_);
    warn_info_->SetAttribute(
        L"text", FormatMinutes(warn_format_, MinutesRoundedUp(close_at_ - now)).c_str());
  }
  if (now > close_at_) {
    Stop();
    ::ShowWindow(GetHWND(), SW_HIDE);
    shell_.LeaveClassroom();
  }
}
