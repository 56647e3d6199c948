// The real program, headless, teaches a lesson on a real media server: the student and the
// assistant are quorvel-peer processes, and everything runs inside a private network
// namespace of the test's own. The program shows each peer's moving picture in that peer's
// tile, each peer receives the program's video at the lesson's size and its tone, and a peer
// that hangs up is shown gone within seconds, the student's place then waiting with its badge.
// A student in a browser instead meets the program and a peer on the same terms.
#include <win/headless.h>

#include <signal.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "classroom/meeting_view.h"
#include "rtc/rtc_engine.h"
#include "test_pattern.h"
#include "tests/e2e/lesson_world.h"
#include "tests/e2e/network_peer.h"
#include "tests/e2e/process_measures.h"
#include "tests/support/network_namespace.h"
#include "tests/tools/running_media_server.h"
#include "tests/support/needs.h"
#include "video_pipeline.h"

namespace e2e {
namespace {

using testing_support::RunningMediaServer;

const auto* const kNetwork =
    testing::AddGlobalTestEnvironment(new testing_support::PrivateNetworkEnvironment);

constexpr const char* kAdminKey = "e2e-admin";
// Bounds for a loaded machine: media to start flowing, and a hang-up to be shown.
constexpr std::chrono::seconds kMediaWatchdog{20};
constexpr std::chrono::seconds kLeaveWatchdog{10};

// How far a decoded and scaled pixel may stray from the pattern's colour in each channel.
constexpr int kColourTolerance = 16;
// The pattern's bar is light grey on a dark background; anything this light in every channel
// below the digits is the bar.
constexpr std::uint32_t kBarThreshold = 0xA0;

std::uint32_t Channel(std::uint32_t pixel, int shift) { return (pixel >> shift) & 0xFFu; }

bool NearColour(std::uint32_t pixel, std::uint32_t colour) {
  for (int shift : {0, 8, 16}) {
    const int difference =
        static_cast<int>(Channel(pixel, shift)) - static_cast<int>(Channel(colour, shift));
    if (std::abs(difference) > kColourTolerance) return false;
  }
  return true;
}

// The pixels of a grid of 9 x 9 points over the tile.
std::vector<std::uint32_t> GridPixels(HWND tile) {
  constexpr int kGrid = 9;
  RECT client{};
  GetClientRect(tile, &client);
  std::vector<std::uint32_t> pixels;
  for (int row = 1; row <= kGrid; ++row) {
    for (int column = 1; column <= kGrid; ++column) {
      pixels.push_back(win::headless::WindowPixel(tile, client.right * column / (kGrid + 1),
                                                  client.bottom * row / (kGrid + 1)));
    }
  }
  return pixels;
}

// Most of a grid over the tile has the colour: the pattern's background.
bool MostlyColour(HWND tile, std::uint32_t colour) {
  const std::vector<std::uint32_t> pixels = GridPixels(tile);
  const auto near = std::count_if(pixels.begin(), pixels.end(),
                                  [&](std::uint32_t pixel) { return NearColour(pixel, colour); });
  return static_cast<std::size_t>(near) * 2 > pixels.size();
}

// Where the bar crosses a row below the digits and the indicators; -1 when nowhere.
int BarX(HWND tile) {
  RECT client{};
  GetClientRect(tile, &client);
  const int y = client.bottom * 7 / 8;
  for (int x = 0; x < client.right; ++x) {
    const std::uint32_t pixel = win::headless::WindowPixel(tile, x, y);
    if (Channel(pixel, 0) >= kBarThreshold && Channel(pixel, 8) >= kBarThreshold &&
        Channel(pixel, 16) >= kBarThreshold) {
      return x;
    }
  }
  return -1;
}

class NetworkLessonTest : public LessonWorld {
 protected:
  void SetUp() override {
    QUORVEL_NEEDS(RunningMediaServer::Installed(), "janus is not installed");
    // Off loopback: the media connections need candidates on a real interface.
    media_server_ =
        std::make_unique<RunningMediaServer>(kAdminKey, testing_support::kPrivateAddressA);
    ASSERT_TRUE(media_server_->ready());
  }

  // placed: the service puts the lessons on the media server; else it names none, and the
  // engine goes to the one it was told of, which has no room for them.
  void OpenWorld(bool placed, Language language = Language::kEnglish,
                 std::int64_t duration = kDuration) {
    WorldSetup setup;
    setup.language = language;
    setup.duration = duration;
    setup.engine_extra = R"("channel": "network")";
    if (placed) {
      setup.media_servers = {{media_server_->url()}, kAdminKey};
    } else {
      default_server_ = std::make_unique<testing_support::ScopedEnv>("QUORVEL_MEDIA_SERVER",
                                                                     media_server_->url());
    }
    Open(setup);
  }

  // Moves both clocks along with real time, so that the engine's statistics and levels come
  // as often as in the program, until condition holds; false (the test failing) after watchdog.
  bool RealTimeUntil(const std::function<bool()>& condition, const std::string& what,
                     std::chrono::seconds watchdog = kMediaWatchdog) {
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + watchdog;
    Clock::time_point moved_to = Clock::now();
    for (;;) {
      ui::CUiDriver::Pump();
      if (condition()) return true;
      if (Clock::now() > deadline) {
        ADD_FAILURE() << "never happened: " << what;
        return false;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
      const auto step =
          std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - moved_to);
      Advance(step.count());
      moved_to += step;
    }
  }

  // The tile shows the pattern of uid, and its bar moves.
  bool ShowsMovingPattern(CanvasView& tile, std::int32_t uid, const std::string& what) {
    const HWND window = tile.GetHWND();
    const std::uint32_t colour = rtc::PatternColour(static_cast<rtc::uid_t>(uid));
    auto shows_pattern = [&] { return tile.present && MostlyColour(window, colour); };
    int first_bar = -1;
    return RealTimeUntil([&] { return shows_pattern() && (first_bar = BarX(window)) >= 0; },
                         what + "'s pattern in its tile") &&
           RealTimeUntil(
               [&] {
                 const int bar = BarX(window);
                 return shows_pattern() && bar >= 0 && bar != first_bar;
               },
               what + "'s pattern moving");
  }

  // The tile shows a picture of the lesson's size, and the picture changes: for a camera
  // whose pattern is not the engine's.
  bool ShowsMovingPicture(CanvasView& tile, const std::string& what) {
    const HWND window = tile.GetHWND();
    std::vector<std::uint32_t> first;
    return RealTimeUntil(
               [&] {
                 first = GridPixels(window);
                 return tile.present && tile.video_width == 640 && tile.video_height == 480;
               },
               what + " in its tile at 640 x 480") &&
           RealTimeUntil([&] { return tile.present && GridPixels(window) != first; },
                         what + " moving in its tile");
  }

  // The peer receives uid's video at the lesson's size, its frames growing by a second's
  // worth, and hears its tone.
  bool ReceivesVideoAndTone(const NetworkPeer& peer, std::int32_t uid, const std::string& what) {
    Json::Int64 first_frames = -1;
    return RealTimeUntil(
        [&] {
          const Json::Value seen = peer.Seen(uid);
          if (seen.isNull()) return false;
          const Json::Int64 frames = seen["frames"].asInt64();
          if (first_frames < 0) first_frames = frames;
          return seen["width"].asInt() == 640 && seen["height"].asInt() == 480 &&
                 seen["level"].asInt() > 0 &&
                 frames >= first_frames + rtc::VideoPipeline::kFramesPerSecond;
        },
        what);
  }

  int MediaServerPort() const {
    const std::string& url = media_server_->url();
    const std::size_t colon = url.rfind(':');
    return std::atoi(url.c_str() + colon + 1);
  }

  // A quorvel-peer (or the browser's participant) in the first lesson, its files named after
  // name.
  NetworkPeer PeerAs(Role role, const std::string& name,
                     PeerProgram program = PeerProgram::kEngine) {
    return NetworkPeer(CodeOf(first_lesson(), role), service_base(), peer_folder_.path(), name,
                       program);
  }

  // The program enters the first lesson as its teacher and passes the network test.
  void EnterAsTeacher() {
    WaitForEngineReady();
    ASSERT_NO_FATAL_FAILURE(JoinWithCode(CodeOf(first_lesson(), Role::kTeacher)));
    ASSERT_TRUE(RunNetworkTest()) << testing::PrintToString(NoticeText());
  }

  std::unique_ptr<RunningMediaServer> media_server_;
  std::unique_ptr<testing_support::ScopedEnv> default_server_;
  testing_support::TempDir peer_folder_;
};

TEST_F(NetworkLessonTest, TheTeacherAndTwoPeersSeeAndHearEachOtherUntilEachHangsUp) {
  OpenWorld(true);
  const Lesson& lesson = first_lesson().lesson;
  // Started first, so that their logins overlap with the program's start.
  NetworkPeer student = PeerAs(Role::kStudent, "student");
  NetworkPeer assistant = PeerAs(Role::kAssistant, "assistant");
  ASSERT_NO_FATAL_FAILURE(EnterAsTeacher());
  EXPECT_EQ(holder().lesson().media_server, media_server_->url());

  MeetingView& meeting = *main().meeting_view();
  struct Remote {
    const char* role;
    std::int32_t uid;
    CanvasView* tile;
    NetworkPeer& peer;
  };
  const Remote remotes[] = {
      {"student", lesson.student_uid, meeting.student_tile(), student},
      {"assistant", lesson.assistant_uid, meeting.assistant_tile(), assistant}};

  // Each tile shows its own peer's pattern, and the pattern's bar moves.
  for (const Remote& remote : remotes) {
    ASSERT_TRUE(ShowsMovingPattern(*remote.tile, remote.uid, std::string("the ") + remote.role))
        << remote.peer.Output();
  }
  Screenshot("network_lesson");

  // Each peer receives the program's video at the size of the lesson's profile, and its tone.
  ASSERT_EQ(holder().lesson().video_profile, rtc::VIDEO_PROFILE_480P);
  for (const Remote& remote : remotes) {
    EXPECT_TRUE(ReceivesVideoAndTone(
        remote.peer, lesson.teacher_uid,
        std::string("the ") + remote.role + " receiving the teacher's video and tone"))
        << remote.peer.Output();
  }

  // A hang-up shows at once, not after the media server's timeout: the student's tile goes
  // while the assistant's stays; once the assistant has gone too, the teacher alone sees
  // the student's place waiting with its offline badge.
  CanvasView& student_tile = *meeting.student_tile();
  CanvasView& assistant_tile = *meeting.assistant_tile();
  ASSERT_TRUE(student.Leave());
  EXPECT_TRUE(
      RealTimeUntil([&] { return !student_tile.present; }, "the student gone", kLeaveWatchdog));
  EXPECT_FALSE(Visible(student_tile.GetHWND()));
  EXPECT_TRUE(assistant_tile.present);
  EXPECT_TRUE(WaitUntil([&] { return HasReport(lesson.student_uid, "exit"); },
                        "the student's exit report"));

  ASSERT_TRUE(assistant.Leave());
  EXPECT_TRUE(
      RealTimeUntil([&] { return !assistant_tile.present; }, "the assistant gone", kLeaveWatchdog));
  EXPECT_FALSE(Visible(assistant_tile.GetHWND()));
  EXPECT_TRUE(Visible(student_tile.GetHWND()));
  EXPECT_TRUE(Visible(student_tile.online_indicator()->GetHWND()));
  EXPECT_TRUE(WaitUntil([&] { return HasReport(lesson.assistant_uid, "exit"); },
                        "the assistant's exit report"));
  Screenshot("network_alone");
}

// The browser publishes its fake camera and microphone and subscribes to the others, as the
// engine does: the program shows its camera in the student's tile, and it decodes the
// teacher's and the assistant's video and hears their tones.
TEST_F(NetworkLessonTest, AStudentInABrowserSeesAndHearsTheOthersAndShowsInItsTile) {
  QUORVEL_NEEDS(std::filesystem::exists("/usr/bin/chromium"), "chromium is not installed");
  OpenWorld(true);
  const Lesson& lesson = first_lesson().lesson;
  NetworkPeer browser = PeerAs(Role::kStudent, "browser", PeerProgram::kBrowser);
  NetworkPeer assistant = PeerAs(Role::kAssistant, "assistant");
  ASSERT_NO_FATAL_FAILURE(EnterAsTeacher());
  MeetingView& meeting = *main().meeting_view();
  ASSERT_TRUE(ShowsMovingPicture(*meeting.student_tile(), "the browser's camera"))
      << browser.Output();
  ASSERT_TRUE(ShowsMovingPattern(*meeting.assistant_tile(), lesson.assistant_uid, "the assistant"))
      << assistant.Output();
  Screenshot("network_browser");
  EXPECT_TRUE(ReceivesVideoAndTone(browser, lesson.teacher_uid,
                                   "the browser receiving the teacher's video and tone"))
      << browser.Output();
  EXPECT_TRUE(ReceivesVideoAndTone(browser, lesson.assistant_uid,
                                   "the browser receiving the assistant's video and tone"))
      << browser.Output();
}

TEST_F(NetworkLessonTest, AJoinTheMediaServerRefusesReturnsToTheLoginViewWithANotice) {
  OpenWorld(false);
  ASSERT_NO_FATAL_FAILURE(EnterAsTeacher());
  EXPECT_TRUE(RealTimeUntil([&] { return !main().in_classroom() && NoticeShown(); },
                            "the refused join reported"));
  EXPECT_TRUE(Visible(login_hwnd()));
  EXPECT_EQ(NoticeText(), L"Unable to join the lesson's audio and video, please try again");
  Screenshot("network_refused");
}

class NetworkLanguageTest : public NetworkLessonTest,
                            public ::testing::WithParamInterface<Language> {
 protected:
  std::wstring Bars(CanvasView& tile) {
    return ui::CUiDriver::GetAttribute(tile.network_indicator()->GetHWND(), L"background",
                                       L"bkcolor")
        .str();
  }
};

// A fifth of the student's packets lost on their way to the server: its bars turn red and the
// tip names it, while the teacher's and the assistant's stay good; both clear once the loss is
// lifted. The student frozen, its tile shows the link down after 3 s without its media.
TEST_P(NetworkLanguageTest, LossFromOnePeerTurnsItsBarsAndRaisesTheTipUntilLifted) {
  OpenWorld(true, GetParam());
  const Lesson& lesson = first_lesson().lesson;
  NetworkPeer student = PeerAs(Role::kStudent, "student");
  NetworkPeer assistant = PeerAs(Role::kAssistant, "assistant");
  ASSERT_NO_FATAL_FAILURE(EnterAsTeacher());
  MeetingView& meeting = *main().meeting_view();
  CanvasView& student_tile = *meeting.student_tile();
  ASSERT_TRUE(ShowsMovingPattern(student_tile, lesson.student_uid, "the student"))
      << student.Output();
  ASSERT_TRUE(ShowsMovingPattern(*meeting.assistant_tile(), lesson.assistant_uid, "the assistant"))
      << assistant.Output();

  auto student_quality = [&] { return meeting.QualityOf(LessonRole::Student); };
  const std::wstring tip = chinese() ? L"学生网络不稳定" : L"Student's network unstable";
  {
    testing_support::ProcessPacketLoss loss(student.pid(), 20);
    ASSERT_EQ(loss.failure(), "");
    ASSERT_TRUE(
        RealTimeUntil([&] { return student_quality() >= 4 && TipShown() && TipText() == tip; },
                      "the student's loss shown"))
        << "quality " << student_quality() << ", tip shown " << TipShown() << ": "
        << testing::PrintToString(TipText());
    EXPECT_EQ(Bars(student_tile), L"ffd81e06");
    EXPECT_LE(meeting.QualityOf(LessonRole::Assistant), 3);
    EXPECT_LE(meeting.QualityOf(LessonRole::Teacher), 3);
    Screenshot("network_degraded");
  }
  EXPECT_TRUE(
      RealTimeUntil([&] { return student_quality() == rtc::QUALITY_EXCELLENT && !TipShown(); },
                    "the student's bars and the tip cleared"));
  EXPECT_EQ(Bars(student_tile), L"#ff71bd5f");

  // Well within the server's session timeout, so that the student stays in the lesson.
  ASSERT_EQ(::kill(student.pid(), SIGSTOP), 0);
  const bool down = RealTimeUntil([&] { return student_quality() == rtc::QUALITY_DOWN; },
                                  "the frozen student's link down", std::chrono::seconds(7));
  ::kill(student.pid(), SIGCONT);
  ASSERT_TRUE(down);
  EXPECT_TRUE(RealTimeUntil([&] { return student_quality() <= 2; }, "the student back"));
}

// The server dropped from the network for 5 s: the classroom says it is reconnecting, and once
// packets flow again the notice goes and the student's video is back, with nothing clicked.
TEST_P(NetworkLanguageTest, AnOutageShowsTheReconnectNoticeUntilTheLessonIsBack) {
  OpenWorld(true, GetParam());
  const Lesson& lesson = first_lesson().lesson;
  NetworkPeer student = PeerAs(Role::kStudent, "student");
  ASSERT_NO_FATAL_FAILURE(EnterAsTeacher());
  CanvasView& student_tile = *main().meeting_view()->student_tile();
  ASSERT_TRUE(ShowsMovingPattern(student_tile, lesson.student_uid, "the student"))
      << student.Output();

  const std::wstring reconnecting =
      chinese() ? L"网络连接中断，正在重新连接…" : L"Connection lost, reconnecting…";
  {
    const auto blocked_at = std::chrono::steady_clock::now();
    testing_support::MediaOutage outage(MediaServerPort());
    ASSERT_EQ(outage.failure(), "");
    ASSERT_TRUE(RealTimeUntil([&] { return NoticeShown() && NoticeText() == reconnecting; },
                              "the reconnect notice", std::chrono::seconds(5)));
    Screenshot("network_reconnecting");
    RealTimeUntil(
        [&] { return std::chrono::steady_clock::now() - blocked_at > std::chrono::seconds(5); },
        "the outage's end");
    EXPECT_TRUE(NoticeShown());
  }
  EXPECT_TRUE(RealTimeUntil([&] { return !NoticeShown(); }, "the notice gone"));
  EXPECT_TRUE(main().in_classroom());
  EXPECT_TRUE(ShowsMovingPattern(student_tile, lesson.student_uid, "the student again"))
      << student.Output();
}

INSTANTIATE_TEST_SUITE_P(BothLanguages, NetworkLanguageTest,
                         ::testing::Values(Language::kEnglish, Language::kChinese), LanguageName);

// The student leaves and comes back every 30 s; what the program holds (heap, open files,
// threads) after the first two visits is what it holds at the end. Three minutes here;
// QUORVEL_SOAK_MINUTES sets a longer run.
TEST_F(NetworkLessonTest, HeapFilesAndThreadsStayFlatWhileAPeerComesAndGoes) {
  const char* minutes_set = std::getenv("QUORVEL_SOAK_MINUTES");
  const int minutes = minutes_set != nullptr ? std::max(2, std::atoi(minutes_set)) : 3;
  OpenWorld(true, Language::kEnglish, minutes * 60 + kDuration);
  const Lesson& lesson = first_lesson().lesson;
  ASSERT_NO_FATAL_FAILURE(EnterAsTeacher());
  CanvasView& tile = *main().meeting_view()->student_tile();

  using Clock = std::chrono::steady_clock;
  auto visit = [&](int number) {
    const Clock::time_point start = Clock::now();
    NetworkPeer student = PeerAs(Role::kStudent, "student");
    const std::string what = "the student on visit " + std::to_string(number);
    if (!ShowsMovingPattern(tile, lesson.student_uid, what)) return false;
    auto until = [&](std::chrono::seconds at) {
      return RealTimeUntil([&] { return Clock::now() - start >= at; }, "the visit's time",
                           std::chrono::seconds(40));
    };
    return until(std::chrono::seconds(25)) && student.Leave() &&
           RealTimeUntil([&] { return !tile.present; }, what + " gone", kLeaveWatchdog) &&
           until(std::chrono::seconds(30));
  };
  ASSERT_TRUE(visit(1));
  ASSERT_TRUE(visit(2));
  const std::int64_t heap = ProgramHeap();
  const int files = OpenFiles();
  const int threads = Threads();
  for (int number = 3; number <= minutes * 2; ++number) ASSERT_TRUE(visit(number));
  EXPECT_LT(ProgramHeap() - heap, 2 * 1024 * 1024);
  EXPECT_LE(OpenFiles(), files);
  EXPECT_LE(Threads(), threads);
}

}  // namespace
}  // namespace e2e
