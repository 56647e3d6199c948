#include "classroom/control_bar.h"

#include "base/app_messages.h"
#include "base/diagnostics.h"
#include "widgets/msg_box.h"
#include "classroom/classroom_shell.h"
#include "classroom/meeting_view.h"
#include "media/media_engine.h"

namespace {

constexpr int kConfirmWidth = 360;
constexpr int kConfirmHeight = 220;

}  // namespace

ControlBar::ControlBar(ClassroomShell& shell, MediaEngine& media) : shell_(shell), media_(media) {}

void ControlBar::ResetForLesson(bool screen_sharing_allowed) {
  SetMuteImages(Microphone::On);
  share_screen_->SetAttribute(L"visible", screen_sharing_allowed ? L"true" : L"false");
}

ui::LPCTSTR ControlBar::GetWindowClassName() const { return L"QV-CONTROLBAR"; }

// The bar lives as long as the process; the main window keeps the object.
void ControlBar::OnFinalMessage(HWND) {}

void ControlBar::InitWindow() {
  share_screen_ = &ControlOrStandIn(L"share_screen");
  mute_ = &ControlOrStandIn(L"mute");
  SetMuteImages(Microphone::On);
}

ui::CUiString ControlBar::GetSkinFile() { return layout_.c_str(); }

// No caption and no border: the bar is never dragged, and its outer edge is not its own.
LRESULT ControlBar::OnNcHitTest(UINT, WPARAM, LPARAM lParam, BOOL& handled) {
  handled = TRUE;
  return StrictlyInside(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}) ? HTCLIENT : HTNOWHERE;
}

// Every message also goes on to the library's own handling.
LRESULT ControlBar::HandleCustomMessage(UINT message, WPARAM wParam, LPARAM, BOOL& handled) {
  handled = FALSE;
  switch (message) {
    case WM_SHOWWINDOW:
      KillTimer(GetHWND(), TIMER_CONTROL_BAR_HIDE);
      if (wParam == 1) SetTimer(GetHWND(), TIMER_CONTROL_BAR_HIDE, kControlBarHideMs, nullptr);
      break;
    case WM_MOUSEMOVE:
      RestartHideTimer();
      break;
    case WM_TIMER:
      if (wParam == TIMER_CONTROL_BAR_HIDE) HideUnlessCursorInside();
      break;
    default:
      break;
  }
  return 0;
}

void ControlBar::Notify(ui::TNotifyUI& msg) {
  if (msg.sType == ui::CUiString(L"click") && msg.pSender != nullptr) {
    const ui::CUiString sender = msg.pSender->GetName();
    if (sender == ui::CUiString(L"hangup")) {
      OnHangUp();
    } else if (sender == ui::CUiString(L"change_layout")) {
      if (MeetingView* view = shell_.meeting_view()) view->ChangeLayout();
    } else if (sender == ui::CUiString(L"share_screen")) {
      OnShareScreen();
    } else if (sender == ui::CUiString(L"mute")) {
      OnMute();
    } else if (sender == ui::CUiString(L"setting")) {
      OnSetting();
    }
  }
  WindowImplBase::Notify(msg);
}

void ControlBar::SetMuteImages(Microphone microphone) {
  const bool on = microphone == Microphone::On;
  mute_->SetAttribute(L"normalimage", on ? L"mute_button.png" : L"unmute_button.png");
  mute_->SetAttribute(L"pushedimage",
                      on ? L"mute_button_pressed.png" : L"unmute_button_pressed.png");
}

bool ControlBar::Confirm(const wchar_t* layout) {
  // The box deletes itself when its window is gone.
  MsgBox* box = new MsgBox(layout);
  box->Create(shell_.shell_window(), L"", WS_POPUP | WS_VISIBLE, WS_EX_TOOLWINDOW, 0, 0,
              kConfirmWidth, kConfirmHeight);
  box->CenterWindow();
  return box->ShowModal() == ui::IDOK;
}

bool ControlBar::StrictlyInside(POINT point) const {
  ScreenToClient(GetHWND(), &point);
  RECT client{};
  GetClientRect(GetHWND(), &client);
  // right and bottom lie one past the last pixel: the edge pixels there are right - 1 and
  // bottom - 1, and they are outside like those at left and top.
  return client.left < point.x && point.x < client.right - 1 && client.top < point.y &&
         point.y < client.bottom - 1;
}

void ControlBar::HideUnlessCursorInside() {
  POINT cursor{};
  GetCursorPos(&cursor);
  if (StrictlyInside(cursor)) {
    // Still in use: looked at again one period later.
    DebugPrint(L"\r\nMouse on controlbar");
  } else {
    ShowWindow(false, true);  // its WM_SHOWWINDOW stops the timer
  }
}

void ControlBar::RestartHideTimer() {
  KillTimer(GetHWND(), TIMER_CONTROL_BAR_HIDE);
  SetTimer(GetHWND(), TIMER_CONTROL_BAR_HIDE, kControlBarHideMs, nullptr);
}

// The bar stays hidden whatever the answer; the next mouse move over the classroom brings it.
// The questions run nested loops in which the lesson can reach its closing time: what follows
// an answer happens only while the classroom is still open.
void ControlBar::OnHangUp() {
  ShowWindow(false, true);
  if (Confirm(L"exit_meeting_confirm_dlg.xml") && shell_.in_classroom()) shell_.LeaveClassroom();
}

void ControlBar::OnShareScreen() {
  ShowWindow(false, true);
  MeetingView* view = shell_.meeting_view();
  const bool sharing = view != nullptr && view->sharing_on;
  const bool confirmed =
      Confirm(sharing ? L"cancel_screen_share_confirm_dlg.xml" : L"screen_share_confirm_dlg.xml");
  if (!shell_.in_classroom()) return;
  if (confirmed) {
    if (MeetingView* current = shell_.meeting_view()) current->ToggleScreenSharing();
  }
  ShowWindow(true, true);
}

void ControlBar::OnMute() {
  MeetingView* view = shell_.meeting_view();
  if (view != nullptr) {
    view->microphone_on = !view->microphone_on;
    media_.SetMicrophoneMuted(!view->microphone_on);
  }
  SetMuteImages(view != nullptr && !view->microphone_on ? Microphone::Off : Microphone::On);
  mute_->Invalidate();
}

void ControlBar::OnSetting() {
  ShowWindow(false, true);
  MeetingView* view = shell_.meeting_view();
  if (!shell_.in_classroom()) return;
  if (view != nullptr) view->OpenSettings();
  if (shell_.in_classroom()) ShowWindow(true, true);
}
