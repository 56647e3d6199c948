#include "tests/classroom/meeting_view_fixture.h"

#include <ui/ui_test_driver.h>

namespace meeting_test {

MockedMedia* MockedMedia::current_ = nullptr;

MockedMedia::MockedMedia() {
  current_ = this;
  ON_CALL(engine, queryInterface(rtc::IID_RTC_ENGINE_PARAMETER, ::testing::_))
      .WillByDefault(media_test::HandOut(&parameter));
  media_ = std::make_unique<MediaEngine>(&MockedMedia::Factory, CAGEngineEventHandler::Instance());
}

MockedMedia::~MockedMedia() {
  media_.reset();
  current_ = nullptr;
}

rtc::IRtcEngine* MockedMedia::Factory() { return &current_->engine; }

void MeetingViewTest::SetUp() {
  shell_test::SkinTest::SetUp();
  shell_.owner = owner_->hwnd();
  // Wide enough for a 1280 x 720 classroom below a 40-pixel caption.
  MoveWindow(owner_->hwnd(), 0, 0, 1280, 760, TRUE);
  holder_.chinese_ui = std::string(GetParam().language) == "cn";
}

void MeetingViewTest::TearDown() {
  bridge_.SetTargetWindow(nullptr);
  view_.reset();
  ui::CUiDriver::Pump();
  // Every report ends before the service it talks to.
  EXPECT_TRUE(PumpUntil([this] { return holder_.worker_gate()->running() == 0; }));
  shell_test::SkinTest::TearDown();
}

void MeetingViewTest::OpenView(MediaEngine& media) {
  view_ = std::make_unique<MeetingView>(shell_, holder_, media, bridge_);
  shell_.view = view_.get();
  view_->Create(owner_->hwnd(), L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0,
                0, 0, 0, 0);
  MoveWindow(view_->GetHWND(), 0, 40, 1280, 720, TRUE);
  ui::CUiDriver::Pump();
}

LessonUids MeetingViewTest::uids() const {
  const auto& lesson = service_.lesson().lesson;
  return {lesson.teacher_uid, lesson.student_uid, lesson.assistant_uid};
}

void MeetingViewTest::LogIn(Role role) {
  const auto& served = service_.lesson().lesson;
  LessonRecord& lesson = holder_.lesson();
  lesson.meeting_id = served.meeting_id;
  lesson.channel_name = served.channel_name;
  lesson.channel_key = served.channel_key;
  lesson.teacher_id = served.teacher_uid;
  lesson.student_id = served.student_uid;
  lesson.assistant_id = served.assistant_uid;
  switch (role) {
    case Role::Teacher:
      lesson.user_type = "1";
      lesson.uid = served.teacher_uid;
      break;
    case Role::Student:
      lesson.user_type = "0";
      lesson.uid = served.student_uid;
      break;
    case Role::Assistant:
      lesson.user_type = "2";
      lesson.uid = served.assistant_uid;
      break;
  }
}

RECT MeetingViewTest::PlaceOf(const CanvasView* tile) const {
  RECT rect{};
  GetWindowRect(tile->GetHWND(), &rect);
  POINT corners[2] = {{rect.left, rect.top}, {rect.right, rect.bottom}};
  for (POINT& corner : corners) ScreenToClient(view_->GetHWND(), &corner);
  return RECT{corners[0].x, corners[0].y, corners[1].x, corners[1].y};
}

bool MeetingViewTest::PumpUntil(const std::function<bool()>& done, std::chrono::seconds watchdog) {
  const auto deadline = std::chrono::steady_clock::now() + watchdog;
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    ui::CUiDriver::Pump();
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return true;
}

std::vector<MediaLogReport> MeetingViewTest::Reports() {
  EXPECT_TRUE(PumpUntil([this] { return holder_.worker_gate()->running() == 0; }));
  return service_.store().Reports();
}

void MockedMeetingViewTest::OwnJoinSucceeds() {
  bridge_.onJoinChannelSuccess(holder_.lesson().channel_name.c_str(),
                               static_cast<rtc::uid_t>(OwnUid()), 12);
  ui::CUiDriver::Pump();
}

void MockedMeetingViewTest::EverybodyIn() {
  LogIn(Role::Teacher);
  meeting().Enter();
  OwnJoinSucceeds();
  const LessonUids ids = uids();
  bridge_.onFirstLocalVideoFrame(320, 240, 5);
  bridge_.onUserJoined(static_cast<rtc::uid_t>(ids.student), 10);
  bridge_.onFirstRemoteVideoDecoded(static_cast<rtc::uid_t>(ids.student), 640, 480, 20);
  bridge_.onUserJoined(static_cast<rtc::uid_t>(ids.assistant), 10);
  bridge_.onFirstRemoteVideoDecoded(static_cast<rtc::uid_t>(ids.assistant), 640, 360, 20);
  ui::CUiDriver::Pump();
}

}  // namespace meeting_test
