// The meeting view as the main window holds it: a 1280 x 720 child of a stand-in main window,
// built from the real skin archive of the test's language, over a recording shell and either a
// mocked engine (the test calls the bridge as the engine would) or the built-in engine with a
// scenario. Media-log reports go to a real lesson service on loopback.
#pragma once

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "classroom/classroom_shell.h"
#include "classroom/meeting_view.h"
#include "media/engine_event_bridge.h"
#include "media/media_engine.h"
#include "service/data_holder.h"
#include "tests/widgets/shell_window_support.h"
#include "tests/media/mock_engine.h"
#include "tests/service/running_lesson_service.h"
#include "tests/support/scoped_env.h"

namespace meeting_test {

// What the meeting view asked of the window holding it.
class RecordingShell : public ClassroomShell {
 public:
  HWND shell_window() const override { return owner; }
  bool in_classroom() const override { return true; }
  MeetingView* meeting_view() override { return view; }
  void LeaveClassroom() override { ++leaves; }
  void ShowControlBarIfHidden() override { ++control_bar_shows; }
  bool alarm_bar_visible() const override { return alarm_bar_shown; }
  void HideLessonBars() override { ++lesson_bar_hides; }
  void ShowFloatTip(const std::wstring& text) override {
    tips.push_back(text);
    tip_visible = true;
  }
  void HideFloatTip() override {
    ++tip_hides;
    tip_visible = false;
  }
  void ShowNotice(const std::wstring& text) override { notices.push_back(text); }
  void ShowLastingNotice(const std::wstring& text) override { lasting_notice = text; }
  void HideNotice() override { lasting_notice.clear(); }

  HWND owner = nullptr;
  MeetingView* view = nullptr;
  bool alarm_bar_shown = false;
  int control_bar_shows = 0;
  int lesson_bar_hides = 0;
  int tip_hides = 0;
  int leaves = 0;
  std::vector<std::wstring> notices;
  std::wstring lasting_notice;  // empty while none is shown
  bool tip_visible = false;
  std::vector<std::wstring> tips;
};

// A mocked engine behind a MediaEngine that posts through the program's own bridge.
class MockedMedia {
 public:
  MockedMedia();
  ~MockedMedia();
  MediaEngine& media() { return *media_; }

  ::testing::NiceMock<media_test::MockRtcEngine> engine;
  ::testing::NiceMock<media_test::MockParameter> parameter;

 private:
  static rtc::IRtcEngine* Factory();
  static MockedMedia* current_;
  std::unique_ptr<MediaEngine> media_;
};

// The uids of the lesson the tests play.
struct LessonUids {
  int32_t teacher;
  int32_t student;
  int32_t assistant;
};

enum class Role { Teacher, Student, Assistant };

class MeetingViewTest : public shell_test::SkinTest {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Builds the view (before any login, as the main window does) over the given engine.
  void OpenView(MediaEngine& media);
  // The lesson record as a login for that role leaves it.
  void LogIn(Role role);
  HWND view() const { return view_->GetHWND(); }
  MeetingView& meeting() { return *view_; }
  LessonUids uids() const;
  int32_t OwnUid() { return holder_.lesson().uid; }

  // The tile's place in the view's client area, and whether it is shown.
  RECT PlaceOf(const CanvasView* tile) const;
  static bool Shown(const CanvasView* tile) { return IsWindowVisible(tile->GetHWND()) != FALSE; }
  static bool BadgeShown(const CanvasView* tile) {
    return IsWindowVisible(tile->online_indicator()->GetHWND()) != FALSE;
  }

  // Pumps until done holds; false when the watchdog ran out first.
  static bool PumpUntil(const std::function<bool()>& done,
                        std::chrono::seconds watchdog = std::chrono::seconds(20));
  // The reports the service got once every report started so far has ended.
  std::vector<MediaLogReport> Reports();

  testing_support::RunningLessonService service_;
  testing_support::ScopedUserProfile profile_;
  DataHolder holder_;
  RecordingShell shell_;
  std::unique_ptr<MeetingView> view_;
  CAGEngineEventHandler& bridge_ = CAGEngineEventHandler::Instance();
};

// The same with the mocked engine.
class MockedMeetingViewTest : public MeetingViewTest {
 protected:
  void SetUp() override {
    MeetingViewTest::SetUp();
    OpenView(mocked_.media());
  }
  // The own join as the engine reports it, for the lesson's own uid.
  void OwnJoinSucceeds();
  // A lesson of a teacher's client with everybody in, videos of the given sizes: teacher's
  // own 320 x 240 (lower), student 640 x 480 (main), assistant 640 x 360 (upper).
  void EverybodyIn();
  MockedMedia mocked_;
};

}  // namespace meeting_test
