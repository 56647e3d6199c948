#include "classroom/status_bar.h"

#include "classroom/classroom_shell.h"
#include "service/data_holder.h"

StatusBar::StatusBar(ClassroomShell& shell, DataHolder& holder) : shell_(shell), holder_(holder) {}

void StatusBar::Start(std::int64_t clock_start, std::int64_t red_at, std::int64_t warn_at,
                      std::int64_t close_at) {
  clock_start_ = clock_start;
  red_at_ = red_at;
  warn_at_ = warn_at;
  close_at_ = close_at;
}

void StatusBar::ShowRecording(bool recording) { recording_shown_ = recording; }

void StatusBar::Stop() {}

DuiLib::LPCTSTR StatusBar::GetWindowClassName() const { return L"StatusBar"; }

// The main window owns the object.
void StatusBar::OnFinalMessage(HWND) {}

void StatusBar::InitWindow() {}

DuiLib::CDuiString StatusBar::GetSkinFile() { return L"status_bar.xml"; }

LRESULT StatusBar::OnNcHitTest(UINT, WPARAM, LPARAM, BOOL& handled) {
  handled = TRUE;
  return HTNOWHERE;
}

LRESULT StatusBar::HandleCustomMessage(UINT, WPARAM, LPARAM, BOOL& handled) {
  handled = FALSE;
  return 0;
}

void StatusBar::Tick() {}
