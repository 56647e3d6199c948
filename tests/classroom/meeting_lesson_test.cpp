// Whole lessons with the built-in engine: the scenario's participants join, their videos (the
// engine's test pattern) arrive in the tiles, and the view is photographed in both layouts.
#include <ui/ui_test_driver.h>

#include <fstream>

#include "tests/classroom/meeting_view_fixture.h"
#include "tests/support/scoped_env.h"

namespace meeting_test {
namespace {

class LessonTest : public MeetingViewTest {
 protected:
  // A teacher's lesson whose student and assistant follow the scenario made of users, with
  // the network-quality reports given.
  void StartLesson(const std::string& users, const std::string& qualities = "") {
    std::ofstream(config_)
        << R"({"channel": "simulated", "real_devices": false, "scenario": {"users": [)" << users
        << R"(], "network_quality": [)" << qualities << "]}}";
    media_ = std::make_unique<MediaEngine>(createRtcEngine, CAGEngineEventHandler::Instance());
    media_->Initialize(L"3c9e0a4b7d21f6e85a0c4b9d2e7f1a63");
    OpenView(*media_);
    LogIn(Role::Teacher);
    meeting().Enter();
  }
  std::string User(int32_t uid, int join_ms, int leave_ms, int width, int height) const {
    return R"({"uid": )" + std::to_string(uid) + R"(, "join_ms": )" + std::to_string(join_ms) +
           R"(, "leave_ms": )" + std::to_string(leave_ms) + R"(, "width": )" +
           std::to_string(width) + R"(, "height": )" + std::to_string(height) + "}";
  }
  void TearDown() override {
    if (view_) meeting().Leave();
    MeetingViewTest::TearDown();
    media_.reset();
  }
  static std::string Quality(int32_t uid, int tx, int rx) {
    return R"({"at_ms": 400, "uid": )" + std::to_string(uid) + R"(, "tx": )" + std::to_string(tx) +
           R"(, "rx": )" + std::to_string(rx) + "}";
  }
  bool BarsColoured() {
    for (const CanvasView* tile :
         {meeting().teacher_tile(), meeting().student_tile(), meeting().assistant_tile()}) {
      const ui::CUiString colour = ui::CUiDriver::GetAttribute(tile->network_indicator()->GetHWND(),
                                                               L"background", L"bkcolor");
      if (colour.str() == L"#ff888888") return false;
    }
    return true;
  }
  static bool SizeKnown(const CanvasView* tile) {
    return tile->present && tile->video_width > 0 && tile->video_height > 0;
  }
  bool EverybodyShowsVideo() {
    return SizeKnown(meeting().teacher_tile()) && SizeKnown(meeting().student_tile()) &&
           SizeKnown(meeting().assistant_tile());
  }
  // Lets the engine draw a few frames into the tiles as placed now.
  static void LetFramesArrive() {
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(600);
    PumpUntil([until] { return std::chrono::steady_clock::now() > until; });
  }
  void Shoot(const std::string& what) {
    EXPECT_TRUE(ui::CUiDriver::SaveScreenshot(view(), shell_test::ScreenshotPath(ShotName(what))));
  }

  testing_support::TempDir folder_;
  std::filesystem::path config_ = folder_.path() / "rtc.json";
  testing_support::ScopedEnv config_env_{"QUORVEL_RTC_CONFIG", config_.string()};
  std::unique_ptr<MediaEngine> media_;
};

TEST_P(LessonTest, ThreeParticipantsInBothLayouts) {
  StartLesson(User(uids().student, 100, 600000, 640, 480) + "," +
                  User(uids().assistant, 200, 600000, 640, 360),
              Quality(0, 1, 1) + "," + Quality(uids().student, 1, 2) + "," +
                  Quality(uids().assistant, 3, 2));
  ASSERT_TRUE(PumpUntil([this] { return EverybodyShowsVideo() && BarsColoured(); }))
      << "the scenario's participants never all showed video with their quality";
  // All between 1 and 3: no warning.
  EXPECT_FALSE(shell_.tip_visible);
  // The teacher's own camera fills the view; the assistant above the student at the right.
  const RECT upper = PlaceOf(meeting().assistant_tile());
  const RECT lower = PlaceOf(meeting().student_tile());
  EXPECT_EQ(upper.left, 1040);
  EXPECT_EQ(upper.bottom - upper.top, 135);
  EXPECT_EQ(lower.top, upper.bottom);
  EXPECT_EQ(lower.bottom - lower.top, 180);
  LetFramesArrive();
  Shoot("meeting_picture_in_picture");

  meeting().ChangeLayout();
  const RECT student = PlaceOf(meeting().student_tile());
  EXPECT_EQ(student.left, 0);
  EXPECT_TRUE(Shown(meeting().assistant_tile()));
  EXPECT_TRUE(Shown(meeting().teacher_tile()));
  LetFramesArrive();
  Shoot("meeting_side_by_side");
}

TEST_P(LessonTest, AloneTheTeacherSeesTheStudentsPlaceWaitingWithItsBadge) {
  StartLesson("");
  ASSERT_TRUE(PumpUntil([this] { return SizeKnown(meeting().teacher_tile()); }));
  const CanvasView* student = meeting().student_tile();
  EXPECT_TRUE(Shown(student));
  EXPECT_TRUE(BadgeShown(student));
  EXPECT_FALSE(Shown(meeting().assistant_tile()));
  const RECT place = PlaceOf(student);
  EXPECT_EQ(place.left, 1040);
  EXPECT_EQ(place.top, 0);
  LetFramesArrive();
  Shoot("meeting_alone");
}

TEST_P(LessonTest, TheStudentJoinsAndLeavesAndBothAreReported) {
  StartLesson(User(uids().student, 100, 900, 640, 480));
  ASSERT_TRUE(PumpUntil([this] { return meeting().student_tile()->present; }));
  EXPECT_EQ(meeting().slot_lower(), meeting().student_tile());
  EXPECT_TRUE(Shown(meeting().student_tile()));
  ASSERT_TRUE(PumpUntil([this] {
    return !meeting().student_tile()->present && holder_.worker_gate()->running() == 0 &&
           service_.store().Reports().size() >= 3;
  }));
  EXPECT_TRUE(BadgeShown(meeting().student_tile()));
  const auto reports = Reports();
  ASSERT_EQ(reports.size(), 3u);
  int exits = 0;
  for (const MediaLogReport& report : reports) {
    if (report.action == "exit") {
      ++exits;
      EXPECT_EQ(report.target_uid, uids().student);
      EXPECT_EQ(report.upload_uid, OwnUid());
    }
  }
  EXPECT_EQ(exits, 1);
}

INSTANTIATE_TEST_SUITE_P(BothSkins, LessonTest, ::testing::ValuesIn(shell_test::kBothSkins),
                         [](const auto& info) { return std::string(info.param.language); });

}  // namespace
}  // namespace meeting_test
