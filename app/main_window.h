// The program's one top-level window and the dispatcher of its lesson flow.
//
// It holds the two views as children, the login view and the classroom (MeetingView), and
// shows exactly one of them. It owns the windows that float over it (control bar, status bar,
// alarm bar, floating tip, notice window), builds each on first use, builds it again when its
// window has gone (the floating tip excepted) and keeps them glued to its own rectangle.
//
// Every completion message of the program comes here (HandleCustomMessage, in
// main_window_dispatch.cpp): the configuration ends (6024) -> 500 ms later the engine starts
// and the login view gets its devices (3029); a login ends (6025) -> on success the network
// test collects five last-mile samples (1571) and its verdict (3033) opens the classroom,
// otherwise a 3-second notice shows the service's text and gives the login view back (3028).
//
// What it reaches outside itself comes in MainWindowServices, so that tests build it over an
// engine and a holder of their own; GetMainWindow builds the program's.
#pragma once

#include <ui/ui.h>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "app/camera_hotkey.h"
#include "app/main_window_owned.h"
#include "classroom/classroom_shell.h"

class AlarmBar;
class CAGEngineEventHandler;
class ControlBar;
class DataHolder;
class FloatTipWnd;
class LoginView;
class MediaEngine;
class NoticeWindow;
class StatusBar;

struct MainWindowServices {
  DataHolder& holder;
  MediaEngine& media;
  // Sends the engine's events to the main window during the network test.
  CAGEngineEventHandler& bridge;
  std::wstring version;  // the program file's "major.minor.build", empty when it has none
  // Start the request workers on the holder; each ends with its message to holder.main_window.
  std::function<void(DataHolder& holder)> start_config;
  std::function<void(DataHolder& holder, const std::string& code)> start_login;
};
// The given engine, bridge and version with the real request workers.
MainWindowServices WithProgramRequests(DataHolder& holder, MediaEngine& media,
                                       CAGEngineEventHandler& bridge, std::wstring version);
// The process-wide engine and bridge, the program file's version, the real request workers.
MainWindowServices ProgramMainWindowServices(DataHolder& holder);

class MainWindow : public ui::WindowImplBase, public ClassroomShell {
 public:
  static constexpr int kWidth = 1080;
  static constexpr int kHeight = 675;
  static constexpr int kSampleTotal = 5;

  explicit MainWindow(MainWindowServices services);
  // Destroys its window (and with it every window it holds) before its objects go.
  ~MainWindow() override;

  // ClassroomShell.
  HWND shell_window() const override { return GetHWND(); }
  bool in_classroom() const override { return in_classroom_ != 0; }
  MeetingView* meeting_view() override { return meeting_view_.get(); }
  void LeaveClassroom() override;
  void ShowControlBarIfHidden() override;
  bool alarm_bar_visible() const override;
  void HideLessonBars() override;
  void ShowFloatTip(const std::wstring& text) override;
  void HideFloatTip() override;
  void ShowNotice(const std::wstring& text) override { ShowNotice(GetHWND(), text); }
  void ShowLastingNotice(const std::wstring& text) override;
  void HideNotice() override;

  LoginView* login_view() const { return login_view_.get(); }
  int sample_count() const { return sample_count_; }
  const std::array<std::int32_t, kSampleTotal>& lastmile_samples() const {
    return lastmile_samples_;
  }

  // The owned windows, built when missing.
  ControlBar& control_bar();
  StatusBar& status_bar();
  AlarmBar& alarm_bar();
  FloatTipWnd& float_tip();
  NoticeWindow& notice();
  // The notice window owned by owner: the existing one when it is, else a new one.
  NoticeWindow& RecreateNotice(HWND owner);
  // Shows text for 3 s over owner (TIMER_NOTICE on owner).
  void ShowNotice(HWND owner, const std::wstring& text);

  // Both views below the caption, inside the size box.
  void LayoutChildren();
  // Every owned window placed on the main window's rectangle: the two lesson bars shown in a
  // lesson only, the alarm bar as it is, the notice centred, the tip at the top.
  void PlaceBars();
  void PlaceControlBar(bool show);
  void PlaceStatusBar(bool show);
  void PlaceAlarmBar(bool show);
  void PlaceFloatTip();

  // The classroom instead of the login view, its bars armed with the lesson's times.
  void EnterClassroom();

 protected:
  ui::LPCTSTR GetWindowClassName() const override;
  void OnFinalMessage(HWND window) override;
  void InitWindow() override;
  ui::CUiString GetSkinFile() override;
  LRESULT OnChar(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) override;
  LRESULT HandleCustomMessage(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) override;

 private:
  // The steps of the lesson flow (main_window_dispatch.cpp).
  void OnCloseRequest(BOOL& handled);
  void OnEndRequest();
  void OnNoticeTimer();
  void OnConfigDone();
  void OfferUpdate();
  void OnEngineStartTimer(LPARAM lParam);
  void OnLoginResult(WPARAM step, LPARAM succeeded);
  void StartNetworkTest();
  void ShowNetworkTestTip();
  void OnLastmileSample(WPARAM record);
  void EvaluateSamples();
  void OnNetworkVerdict(WPARAM passed, LPARAM lParam);
  void ResetLessonBars();
  void ShowHotkeyFailure();

  void PaintBelowCaptionBlack();
  void ShowBar(ui::CWindowWnd& bar, bool show, int x, int y, int width, int height);
  RECT ScreenRect() const;

  MainWindowServices services_;
  int in_classroom_ = 0;
  bool ending_ = false;  // the program ends once the lesson it was in has been left
  std::array<std::int32_t, kSampleTotal> lastmile_samples_{};
  int sample_count_ = 0;
  std::unique_ptr<LoginView> login_view_;
  std::unique_ptr<MeetingView> meeting_view_;
  OwnedWindow<ControlBar> control_bar_;
  OwnedWindow<StatusBar> status_bar_;
  OwnedWindow<AlarmBar> alarm_bar_;
  OwnedWindow<FloatTipWnd> float_tip_;
  OwnedWindow<NoticeWindow> notice_;
  // The camera hotkey registered now: the settings dialog's refused choice goes back to it.
  std::optional<HotkeyCombination> camera_hotkey_;
};

// Builds the main window centred on the primary monitor's work area (its left and top not
// added), 1080 x 675; creating it runs InitWindow, which starts the configuration request.
std::unique_ptr<MainWindow> CreateMainWindow(MainWindowServices services);

// The program's main window over TheDataHolder(), built when missing or when its window has
// gone. ReleaseMainWindow ends it before the process's statics go.
MainWindow& GetMainWindow();
void ReleaseMainWindow();
