#include "app/main_window.h"

#include <utility>

#include "app/camera_hotkey.h"
#include "base/diagnostics.h"
#include "widgets/float_tip_wnd.h"
#include "app/main_window_notice.h"
#include "classroom/alarm_bar.h"
#include "classroom/control_bar.h"
#include "classroom/meeting_view.h"
#include "classroom/status_bar.h"
#include "media/engine_event_bridge.h"
#include "media/media_engine.h"
#include "service/config_request.h"
#include "service/data_holder.h"
#include "service/login_request.h"
#include "views/login_view.h"

namespace {

constexpr const wchar_t* kClassName = L"QUORVEL_MAIN";
constexpr DWORD kMainStyle = WS_VISIBLE | WS_OVERLAPPEDWINDOW;
constexpr DWORD kMainExStyle = WS_EX_APPWINDOW | WS_EX_STATICEDGE;
constexpr DWORD kViewStyle = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
constexpr UINT kMainIcon = 130;

}  // namespace

MainWindowServices WithProgramRequests(DataHolder& holder, MediaEngine& media,
                                       CAGEngineEventHandler& bridge, std::wstring version) {
  return {holder,
          media,
          bridge,
          std::move(version),
          [](DataHolder& target) { StartConfigRequest(target); },
          [](DataHolder& target, const std::string& code) { StartLogin(code, target); }};
}

MainWindowServices ProgramMainWindowServices(DataHolder& holder) {
  return WithProgramRequests(holder, MediaEngine::Instance(), CAGEngineEventHandler::Instance(),
                             ProgramVersionText());
}

std::unique_ptr<MainWindow> CreateMainWindow(MainWindowServices services) {
  MONITORINFO monitor{};
  monitor.cbSize = sizeof(monitor);
  GetMonitorInfoW(MonitorFromWindow(nullptr, MONITOR_DEFAULTTOPRIMARY), &monitor);
  const RECT& work = monitor.rcWork;
  const int x = (work.right - work.left - MainWindow::kWidth) / 2;
  const int y = (work.bottom - work.top - MainWindow::kHeight) / 2;
  auto window = std::make_unique<MainWindow>(std::move(services));
  window->Create(nullptr, kClassName, kMainStyle, kMainExStyle, x, y, MainWindow::kWidth,
                 MainWindow::kHeight);
  return window;
}

MainWindow::MainWindow(MainWindowServices services) : services_(std::move(services)) {}

MainWindow::~MainWindow() {
  // Here, while this is still a MainWindow: the window's last messages reach its handlers, and
  // every window it holds goes with it before the objects below are deleted.
  if (GetHWND() == nullptr || !IsWindow(GetHWND())) return;
  services_.bridge.ReleaseWindow(GetHWND());
  // The meeting view first, so that it frees the events queued for it before its window goes
  // with this one.
  meeting_view_.reset();
  DestroyWindow(GetHWND());
}

ui::LPCTSTR MainWindow::GetWindowClassName() const { return kClassName; }

void MainWindow::OnFinalMessage(HWND window) { UnregisterCameraHotkey(window); }

ui::CUiString MainWindow::GetSkinFile() { return L"main_wnd.xml"; }

LRESULT MainWindow::OnChar(UINT, WPARAM, LPARAM, BOOL& handled) {
  handled = FALSE;
  return 0;
}

void MainWindow::InitWindow() {
  SetWindowTextW(GetHWND(), L"Quorvel");
  SetIcon(kMainIcon);
  DataHolder& holder = services_.holder;
  if (!login_view_) {
    login_view_ = std::make_unique<LoginView>(
        LoginServices{holder, services_.media, services_.version, services_.start_login});
    login_view_->Create(GetHWND(), L"", kViewStyle, 0, 0, 0, 0, 0);
  }
  if (!meeting_view_) {
    meeting_view_ = std::make_unique<MeetingView>(*this, holder, services_.media, services_.bridge);
    meeting_view_->Create(GetHWND(), L"", kViewStyle, 0, 0, 0, 0, 0);
  }
  // Both views are shown; the login view is the one on top until a lesson starts.
  SetWindowPos(login_view_->GetHWND(), HWND_TOP, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  LayoutChildren();
  holder.main_window = GetHWND();
  services_.start_config(holder);
  const std::string& hotkey = holder.settings().hotkey;
  if (!hotkey.empty()) camera_hotkey_ = RegisterHotkeyText(GetHWND(), hotkey);
}

ControlBar& MainWindow::control_bar() {
  if (!control_bar_.Alive()) {
    control_bar_.Replace(std::make_unique<ControlBar>(*this, services_.media))
        .Create(GetHWND(), L"QV-ControlBar", WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0, 0, 0, kWidth,
                kHeight);
  }
  return *control_bar_.get();
}

StatusBar& MainWindow::status_bar() {
  if (!status_bar_.Alive()) {
    status_bar_.Replace(std::make_unique<StatusBar>(*this, services_.holder))
        .Create(GetHWND(), L"QV-StatusBar",
                WS_VISIBLE | WS_DISABLED | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0, 0, 0, kWidth,
                kHeight);
  }
  return *status_bar_.get();
}

AlarmBar& MainWindow::alarm_bar() {
  if (!alarm_bar_.Alive()) {
    alarm_bar_.Replace(std::make_unique<AlarmBar>())
        .Create(GetHWND(), L"QV-AlarmBar", WS_DISABLED, 0, 0, 0, kWidth, kHeight);
  }
  return *alarm_bar_.get();
}

// Built once: a tip whose window has gone stays gone.
FloatTipWnd& MainWindow::float_tip() {
  if (float_tip_.get() == nullptr) {
    float_tip_.Replace(std::make_unique<FloatTipWnd>())
        .Create(GetHWND(), L"", WS_OVERLAPPEDWINDOW, 0, 0, 0, 0, 0);
  }
  return *float_tip_.get();
}

NoticeWindow& MainWindow::notice() {
  if (!notice_.Alive()) RecreateNotice(GetHWND());
  return *notice_.get();
}

NoticeWindow& MainWindow::RecreateNotice(HWND owner) {
  if (notice_.Alive() && GetWindow(notice_.get()->GetHWND(), GW_OWNER) == owner) {
    return *notice_.get();
  }
  // Replacing destroys the old window at once, which is what closing and forgetting it meant.
  notice_.Replace(std::make_unique<NoticeWindow>())
      .Create(owner, L"QV-OverlayWnd", WS_VISIBLE | WS_DISABLED, 0, CW_USEDEFAULT, CW_USEDEFAULT,
              CW_USEDEFAULT, CW_USEDEFAULT);
  return *notice_.get();
}

void MainWindow::ShowNotice(HWND owner, const std::wstring& text) {
  NoticeWindow& box = RecreateNotice(owner);
  box.FitToText(text);
  box.CenterWindow();
  box.ShowWindow(true, true);
  box.SetNoticeText(text);
  SetTimer(owner, TIMER_NOTICE, kNoticeDurationMs, nullptr);
}

void MainWindow::ShowLastingNotice(const std::wstring& text) {
  ShowNotice(GetHWND(), text);
  KillTimer(GetHWND(), TIMER_NOTICE);
}

void MainWindow::HideNotice() {
  KillTimer(GetHWND(), TIMER_NOTICE);
  if (notice_.Alive()) notice_.get()->ShowWindow(false, true);
}

void MainWindow::ShowControlBarIfHidden() {
  ControlBar& bar = control_bar();
  if ((GetWindowLongPtrW(bar.GetHWND(), GWL_STYLE) & WS_VISIBLE) == 0) bar.ShowWindow(true, true);
}

// Only windows that exist: hiding never builds one.
bool MainWindow::alarm_bar_visible() const {
  return alarm_bar_.Alive() && IsWindowVisible(alarm_bar_.get()->GetHWND());
}

void MainWindow::HideLessonBars() {
  if (control_bar_.Alive()) control_bar_.get()->ShowWindow(false, true);
  if (status_bar_.Alive()) status_bar_.get()->ShowWindow(false, true);
  if (alarm_bar_.Alive()) alarm_bar_.get()->ShowWindow(false, true);
}

void MainWindow::ShowFloatTip(const std::wstring& text) {
  float_tip().ShowTip(text);
  PlaceFloatTip();
}

void MainWindow::HideFloatTip() { float_tip().ShowWindow(false, true); }
