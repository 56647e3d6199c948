#include "classroom/alarm_bar.h"

#include <cstdint>
#include <cwchar>
#include <string>

#include "app/app_messages.h"

namespace {

constexpr std::size_t kMaxSentenceLength = 256;

// Whole seconds since 1970-01-01 UTC by the computer's clock.
std::int64_t NowSeconds() {
  FILETIME now{};
  GetSystemTimeAsFileTime(&now);
  const std::int64_t intervals =
      static_cast<std::int64_t>((static_cast<std::uint64_t>(now.dwHighDateTime) << 32) |
                                now.dwLowDateTime);
  constexpr std::int64_t kIntervalsTo1970 = 116444736000000000;
  constexpr std::int64_t kIntervalsPerSecond = 10000000;
  return (intervals - kIntervalsTo1970) / kIntervalsPerSecond;
}

// The length of the integer placeholder starting at format[at] (a '%'), or 0 if there is none.
std::size_t IntegerPlaceholderLength(const std::wstring& format, std::size_t at) {
  for (const wchar_t* placeholder : {L"%d", L"%ld", L"%lld", L"%I64d"}) {
    if (format.compare(at, std::wcslen(placeholder), placeholder) == 0) return std::wcslen(placeholder);
  }
  return 0;
}

}  // namespace

std::wstring FormatMinutesToStart(const std::wstring& format, std::int64_t minutes) {
  std::wstring sentence;
  bool filled = false;
  for (std::size_t at = 0; at < format.size();) {
    if (format[at] == L'%' && format.compare(at, 2, L"%%") == 0) {
      sentence += L'%';
      at += 2;
      continue;
    }
    const std::size_t placeholder = format[at] == L'%' ? IntegerPlaceholderLength(format, at) : 0;
    if (placeholder > 0 && !filled) {
      sentence += std::to_wstring(minutes);
      filled = true;
      at += placeholder;
      continue;
    }
    sentence += format[at];
    ++at;
  }
  if (sentence.size() > kMaxSentenceLength) sentence.resize(kMaxSentenceLength);
  return sentence;
}

DuiLib::LPCTSTR AlarmBar::GetWindowClassName() const { return L"QV-ALERMBAR"; }

// The bar lives as long as the process; its owner keeps the object.
void AlarmBar::OnFinalMessage(HWND) {}

void AlarmBar::InitWindow() {
  alarm_icon_ = m_PaintManager.FindControl(L"alarm_icon");
  warn_info_ = m_PaintManager.FindControl(L"warn_info");
  warn_format_ = m_PaintManager.FindControl(L"warn_info_format")->GetText().str();
}

DuiLib::CDuiString AlarmBar::GetSkinFile() { return layout_.c_str(); }

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
  // Whole minutes, rounded up; the sentence shows them within the hour.
  const std::int64_t minutes = ((start_at_ - now + 59) / 60) % 60;
  warn_info_->SetAttribute(L"text", FormatMinutesToStart(warn_format_, minutes).c_str());
}

HWND AlarmBar::MainWindow() const { return GetWindow(GetHWND(), GW_OWNER); }
