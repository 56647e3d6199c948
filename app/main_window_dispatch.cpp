// The main window's messages: its own moves, sizes, close requests, timers and hotkey, and the
// steps of the lesson flow from the configuration's arrival to the classroom.
#include <cwctype>
#include <functional>
#include <memory>
#include <numeric>
#include <string>

#include "base/app_messages.h"
#include "app/camera_hotkey.h"
#include "base/diagnostics.h"
#include "app/main_window.h"
#include "app/main_window_notice.h"
#include "widgets/msg_box.h"
#include "base/text_conversion.h"
#include "classroom/meeting_view.h"
#include "media/engine_event_bridge.h"
#include "media/engine_events.h"
#include "media/media_engine.h"
#include "service/data_holder.h"
#include "service/version_order.h"
#include "views/login_view.h"

namespace {

constexpr const wchar_t* kBoxTitle = L"QV-MsgBox";
constexpr SIZE kSmallBox{360, 220};
constexpr SIZE kUpdateBox{600, 400};
constexpr UINT kConfirmed = 1;
constexpr UINT kCancelled = 2;

constexpr int kOptionalUpdate = 1;
constexpr int kForcedUpdate = 2;

// The network passes while the rounded average quality of the samples stays below 4 (a larger
// number is a worse network): a sum of at most 18.
constexpr int kWorstPassingAverage = 3;

// Opens the box of that layout modally over owner; its answer (1 confirmed, 2 cancelled).
UINT AskWithBox(HWND owner, const wchar_t* layout, const wchar_t* title, SIZE size,
                const std::function<void(MsgBox&)>& prepare = {}) {
  auto* box = new MsgBox(layout);  // deletes itself when its window goes
  box->Create(owner, title, WS_POPUP | WS_VISIBLE, WS_EX_TOOLWINDOW, 0, 0, size.cx, size.cy);
  if (!box->answerable()) {
    // A question nobody can answer would hold the program in its modal loop.
    DestroyWindow(box->GetHWND());
    return kCancelled;
  }
  box->CenterWindow();
  if (prepare) prepare(*box);
  return box->ShowModal();
}

// Only web addresses are handed to the system's opener, whatever the service sent.
bool IsWebAddress(const std::wstring& address) {
  std::wstring scheme;
  for (wchar_t c : address.substr(0, 8)) {
    scheme += static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c)));
  }
  return scheme.rfind(L"http://", 0) == 0 || scheme.rfind(L"https://", 0) == 0;
}

void OpenUpdateAddress(const std::wstring& address) {
  if (IsWebAddress(address)) {
    ShellExecuteW(nullptr, L"open", address.c_str(), nullptr, nullptr, SW_SHOW);
  }
}

}  // namespace

LRESULT MainWindow::HandleCustomMessage(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) {
  handled = FALSE;
  switch (message) {
    case WM_MOVE:
      LayoutChildren();
      PlaceBars();
      break;
    case WM_SIZE:
      PlaceBars();
      LayoutChildren();
      break;
    case WM_CLOSE:
      OnCloseRequest(handled);
      break;
    case UM_END_REQUESTED:
      OnEndRequest();
      break;
    case UM_OWN_LEFT:
      if (ending_) PostQuitMessage(0);
      break;
    case WM_TIMER:
      if (wParam == TIMER_NOTICE) {
        OnNoticeTimer();
      } else if (wParam == TIMER_ENGINE_START) {
        OnEngineStartTimer(lParam);
      } else if (wParam == TIMER_END_BOUND) {
        KillTimer(GetHWND(), TIMER_END_BOUND);
        PostQuitMessage(0);
      }
      break;
    case WM_HOTKEY:
      // The new camera replaces a shared screen, as after the settings dialog's camera change.
      if (in_classroom_ == 1 && SwitchCamera(services_.media) && meeting_view_)
        meeting_view_->PostMessage(UM_CAMERA_RESTARTED);
      break;
    case UM_LESSON_START_REACHED:
      break;
    case UM_NETWORK_TEST_STARTED:
      ShowNetworkTestTip();
      break;
    case UM_NETWORK_TEST_RESULT:
      OnNetworkVerdict(wParam, lParam);
      break;
    case UM_NETWORK_TEST_COMPLETE:
      EvaluateSamples();
      break;
    case UM_CAMERA_RESTARTED:
      if (meeting_view_) meeting_view_->PostMessage(message, wParam, lParam);
      break;
    case UM_HOTKEY_CHANGED:
      camera_hotkey_ = RegisterHotkeyFromControl(GetHWND(), wParam, lParam, camera_hotkey_);
      break;
    case UM_HOTKEY_FAILED:
      ShowHotkeyFailure();
      break;
    case UM_CONFIG_DONE:
      OnConfigDone();
      break;
    case UM_LOGIN_RESULT:
      OnLoginResult(wParam, lParam);
      break;
    default:
      if (message == EngineEventMessage(EID_LASTMILE_QUALITY)) {
        OnLastmileSample(wParam);
      } else {
        // Whatever event reaches this window is its own to free, also one that was on its way
        // when the meeting view became the engine's target.
        FreeEngineEvent(message, wParam);
      }
      break;
  }
  return 0;
}

// Outside a lesson closing ends the program; in a lesson it only asks whether to leave it.
void MainWindow::OnCloseRequest(BOOL& handled) {
  if (in_classroom_ == 0) {
    PostQuitMessage(0);
    return;
  }
  handled = TRUE;
  const UINT answer = AskWithBox(GetHWND(), L"exit_meeting_confirm_dlg.xml", kBoxTitle, kSmallBox);
  // The lesson clock may have ended the lesson while the question was open.
  if (answer == kConfirmed && in_classroom_ == 1) LeaveClassroom();
}

// A request from outside (a logout, kill, Ctrl+C) asks nobody: a lesson is left as by its
// hang-up, and the program ends once the exit report is on its way, a second request at once.
void MainWindow::OnEndRequest() {
  if (in_classroom_ == 0 || ending_) {
    PostQuitMessage(0);
    return;
  }
  ending_ = true;
  LeaveClassroom();
  SetTimer(GetHWND(), TIMER_END_BOUND, kEndBoundMs, nullptr);
}

void MainWindow::OnNoticeTimer() {
  KillTimer(GetHWND(), TIMER_NOTICE);
  notice().ShowWindow(false, true);
  login_view_->PostMessage(UM_NOTICE_CLOSED);
}

void MainWindow::OnConfigDone() {
  SetTimer(GetHWND(), TIMER_ENGINE_START, kEngineStartDelayMs, nullptr);
  OfferUpdate();
}

// Modal; the engine timer keeps running underneath, so the engine may start meanwhile.
void MainWindow::OfferUpdate() {
  const AppInfo info = services_.holder.app_info();
  if (!IsNewerVersion(info.new_version, info.current_version)) return;
  if (info.update != kOptionalUpdate && info.update != kForcedUpdate) return;
  const bool forced = info.update == kForcedUpdate;
  const UINT answer =
      AskWithBox(GetHWND(), L"app_update_confirm_dlg.xml", kBoxTitle, kUpdateBox, [&](MsgBox& box) {
        if (box.message() != nullptr)
          box.message()->SetText(AnsiToWide(info.update_message).c_str());
        if (forced && box.cancel() != nullptr) box.cancel()->SetVisible(false);
      });
  if (answer != kConfirmed) return;
  OpenUpdateAddress(AnsiToWide(info.update_url));
  if (forced) PostQuitMessage(0);
}

void MainWindow::OnEngineStartTimer(LPARAM lParam) {
  KillTimer(GetHWND(), TIMER_ENGINE_START);
  MediaEngine& media = services_.media;
  media.Initialize(AnsiToWide(services_.holder.settings().app_id));
  media.EnableVideo(true);
  media.UseDefaultLogFile();
  const bool lists_open =
      media.OpenSpeakerList() && media.OpenMicrophoneList() && media.OpenCameraList();
  if (!lists_open) {
    AskWithBox(GetHWND(), L"err_camera.xml", kBoxTitle, kSmallBox);
    Close(0);  // outside a lesson, so the program ends
  }
  login_view_->PostMessage(UM_ENGINE_READY, TIMER_ENGINE_START, lParam);
}

void MainWindow::OnLoginResult(WPARAM step, LPARAM succeeded) {
  if (step == 1 && succeeded == 1) {
    StartNetworkTest();
  } else if (succeeded == 0) {
    ShowNotice(GetHWND(), Utf8ToWide(services_.holder.last_message));
  }
}

void MainWindow::StartNetworkTest() {
  PostMessage(UM_NETWORK_TEST_STARTED);
  lastmile_samples_.fill(0);
  sample_count_ = 0;
  // The test measures the way to the lesson's own media server.
  services_.media.SetMediaServer(services_.holder.lesson().media_server);
  if (rtc::IRtcEngine* engine = services_.media.Engine()) engine->enableLastmileTest();
  services_.bridge.SetTargetWindow(GetHWND());
}

void MainWindow::ShowNetworkTestTip() {
  const std::wstring text = services_.holder.chinese_ui ? L"正在测试网络，请稍后..."
                                                        : L"Network testing, please wait\u2026";
  ShowFloatTip(text);
}

void MainWindow::OnLastmileSample(WPARAM record) {
  const auto sample = AdoptEngineEvent<EID_LASTMILE_QUALITY>(record);
  if (!sample) return;
  DebugPrint(L"--> %d", sample->value);
  // Samples queued before the probe stopped find the five already taken.
  if (sample_count_ >= kSampleTotal) return;
  lastmile_samples_[static_cast<std::size_t>(sample_count_++)] = sample->value;
  if (sample_count_ < kSampleTotal) return;
  if (rtc::IRtcEngine* engine = services_.media.Engine()) engine->disableLastmileTest();
  PostMessage(UM_NETWORK_TEST_COMPLETE);
}

void MainWindow::EvaluateSamples() {
  const int sum = std::accumulate(lastmile_samples_.begin(), lastmile_samples_.end(), 0);
  const bool passed = (sum + 1) / kSampleTotal <= kWorstPassingAverage;
  PostMessage(UM_NETWORK_TEST_RESULT, passed ? 1 : 0, 0);
}

void MainWindow::OnNetworkVerdict(WPARAM passed, LPARAM lParam) {
  if (passed == 1) {
    login_view_->PostMessage(UM_NETWORK_TEST_RESULT, passed, lParam);
    EnterClassroom();
    ResetLessonBars();
    return;
  }
  const std::wstring text = services_.holder.chinese_ui
                                ? L"网络不稳定，不符合上课条件"
                                : L"Network unstable, unable to proceed to lesson";
  HideFloatTip();
  ShowNotice(GetHWND(), text);
}

// Confirming only closes the box: no lesson runs yet, so there is nothing to start. An open
// settings dialog chose the refused combination: it goes back to the one kept, which it saves.
void MainWindow::ShowHotkeyFailure() {
  if (HWND dialog = FindWindowW(L"SettingView", nullptr)) {
    PostMessageW(dialog, UM_HOTKEY_REFUSED, 0, 0);
  }
  AskWithBox(GetHWND(), L"hotkey_register_failed_dlg.xml", L"", kSmallBox);
}
