#include "classroom/control_bar.h"

#include "classroom/classroom_shell.h"
#include "media/media_engine.h"

ControlBar::ControlBar(ClassroomShell& shell, MediaEngine& media) : shell_(shell), media_(media) {}

void ControlBar::ResetForLesson(bool) {}

DuiLib::LPCTSTR ControlBar::GetWindowClassName() const { return L"QV-CONTROLBAR"; }

// The bar lives as long as the process; the main window keeps the object.
void ControlBar::OnFinalMessage(HWND) {}

void ControlBar::InitWindow() {}

DuiLib::CDuiString ControlBar::GetSkinFile() { return layout_.c_str(); }

LRESULT ControlBar::OnNcHitTest(UINT, WPARAM, LPARAM, BOOL& handled) {
  handled = TRUE;
  return HTNOWHERE;
}

LRESULT ControlBar::HandleCustomMessage(UINT, WPARAM, LPARAM, BOOL& handled) {
  handled = FALSE;
  return 0;
}

void ControlBar::Notify(DuiLib::TNotifyUI& msg) { WindowImplBase::Notify(msg); }
